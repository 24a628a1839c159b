#include "varnex/linksection.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The string table shared by every deliverable. A handle is the slot index + 1
// in its low 24 bits and the slot's generation in its high 8 bits, so that a
// handle used after its last release is recognised instead of reading a
// string that has since been given the same slot.
namespace {

struct Entry {
    std::string text;
    std::uint32_t references = 0;
    std::uint8_t generation = 1;
};

class StringTable {
public:
    VxStr make(const char* utf8, std::size_t length)
    {
        if (utf8 == nullptr || length == 0)
            return 0;
        std::lock_guard lock(m_mutex);
        std::uint32_t index;
        if (!m_free.empty()) {
            index = m_free.back();
            m_free.pop_back();
        } else {
            if (m_entries.size() >= 0xFFFFFE)
                return 0;
            index = static_cast<std::uint32_t>(m_entries.size());
            m_entries.push_back(std::make_unique<Entry>());
        }
        Entry& e = *m_entries[index];
        e.text.assign(utf8, length);
        e.references = 1;
        ++m_live;
        return (static_cast<std::uint32_t>(e.generation) << 24) | (index + 1);
    }

    void addRef(VxStr handle)
    {
        std::lock_guard lock(m_mutex);
        if (Entry* e = find(handle))
            ++e->references;
    }

    void release(VxStr handle)
    {
        std::lock_guard lock(m_mutex);
        Entry* e = find(handle);
        if (e == nullptr)
            return;
        if (--e->references == 0) {
            std::string().swap(e->text);
            e->generation = static_cast<std::uint8_t>(e->generation == 255 ? 1 : e->generation + 1);
            m_free.push_back((handle & 0xFFFFFF) - 1);
            --m_live;
        }
    }

    std::size_t read(VxStr handle, char* buffer, std::size_t capacity)
    {
        std::lock_guard lock(m_mutex);
        const Entry* e = find(handle);
        if (e == nullptr)
            return 0;
        if (buffer != nullptr && capacity > 0)
            std::memcpy(buffer, e->text.data(), std::min(capacity, e->text.size()));
        return e->text.size();
    }

    std::uint32_t references(VxStr handle)
    {
        std::lock_guard lock(m_mutex);
        const Entry* e = find(handle, false);
        return e ? e->references : 0;
    }

    std::size_t live()
    {
        std::lock_guard lock(m_mutex);
        return m_live;
    }

    std::size_t staleUses()
    {
        std::lock_guard lock(m_mutex);
        return m_staleUses;
    }

private:
    Entry* find(VxStr handle, bool countStale = true)
    {
        if (handle == 0)
            return nullptr;
        const std::uint32_t index = (handle & 0xFFFFFF) - 1;
        const auto generation = static_cast<std::uint8_t>(handle >> 24);
        if (index >= m_entries.size() || m_entries[index]->generation != generation
            || m_entries[index]->references == 0) {
            if (countStale)
                ++m_staleUses;
            return nullptr;
        }
        return m_entries[index].get();
    }

    std::mutex m_mutex;
    std::vector<std::unique_ptr<Entry>> m_entries;
    std::vector<std::uint32_t> m_free;
    std::size_t m_live = 0;
    std::size_t m_staleUses = 0;
};

StringTable& table()
{
    // Never destroyed: libraries unloaded late may still release handles.
    static StringTable* instance = new StringTable;
    return *instance;
}

} // namespace

extern "C" {

VxStr vxstr_make(const char* utf8, std::size_t length)
{
    return table().make(utf8, length);
}
void vxstr_addref(VxStr handle)
{
    table().addRef(handle);
}
void vxstr_release(VxStr handle)
{
    table().release(handle);
}
std::size_t vxstr_read(VxStr handle, char* buffer, std::size_t capacity)
{
    return table().read(handle, buffer, capacity);
}
std::uint32_t vxstr_refcount(VxStr handle)
{
    return table().references(handle);
}
std::size_t vxstr_live_count()
{
    return table().live();
}
std::size_t vxstr_stale_uses()
{
    return table().staleUses();
}

} // extern "C"

namespace varnex {

QString LinkText(VxStr handle)
{
    if (handle == 0)
        return QString();
    // The text cannot change while we read it, but another thread may release
    // it between the two calls; read again when the length grew.
    QByteArray buffer(64, Qt::Uninitialized);
    for (;;) {
        const std::size_t length = vxstr_read(handle, buffer.data(), static_cast<std::size_t>(buffer.size()));
        if (length <= static_cast<std::size_t>(buffer.size()))
            return QString::fromUtf8(buffer.constData(), static_cast<qsizetype>(length));
        buffer.resize(static_cast<qsizetype>(length));
    }
}

void LinkSetText(VxStr& slot, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const VxStr fresh = vxstr_make(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    vxstr_release(slot);
    slot = fresh;
}

void LinkAddRefStrings(const TLinkSection& record)
{
    for (auto slot : LinkStringSlots)
        vxstr_addref(record.*slot);
}

void LinkReleaseStrings(TLinkSection& record)
{
    for (auto slot : LinkStringSlots) {
        vxstr_release(record.*slot);
        record.*slot = 0;
    }
}

QString LinkLangCode(const TLinkSection& record)
{
    const int length = std::min<int>(record.Link_lang_code[0], 2);
    return QString::fromLatin1(reinterpret_cast<const char*>(record.Link_lang_code + 1), length);
}

void LinkSetLangCode(TLinkSection& record, const QString& code)
{
    const QByteArray latin = code.left(2).toLatin1();
    std::memset(record.Link_lang_code, 0, sizeof record.Link_lang_code);
    record.Link_lang_code[0] = static_cast<std::uint8_t>(latin.size());
    std::memcpy(record.Link_lang_code + 1, latin.constData(), static_cast<std::size_t>(latin.size()));
}

LinkRecord::LinkRecord()
{
    std::memset(&m_record, 0, sizeof m_record);
}

LinkRecord::LinkRecord(const TLinkSection& received)
    : m_record(received)
{
    LinkAddRefStrings(m_record);
}

LinkRecord::LinkRecord(const LinkRecord& other)
    : m_record(other.m_record)
{
    LinkAddRefStrings(m_record);
}

LinkRecord& LinkRecord::operator=(const LinkRecord& other)
{
    if (this != &other) {
        LinkAddRefStrings(other.m_record);
        LinkReleaseStrings(m_record);
        m_record = other.m_record;
    }
    return *this;
}

LinkRecord::~LinkRecord()
{
    LinkReleaseStrings(m_record);
}

} // namespace varnex
