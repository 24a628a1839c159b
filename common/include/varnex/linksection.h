#pragma once
// The module session record handed from the launcher to every module library
// and on to the outside pick lists, always by value. Its 80-byte layout is an
// interface between separately built libraries and must never change.
//
// String slots hold handles into the process-wide string table of this
// library (0 = empty). A receiver that keeps a copy takes one reference per
// string slot (LinkAddRefStrings) and gives them back when it drops the copy
// (LinkReleaseStrings); the sender's strings are never freed by a receiver.

#include <bit>
#include <cstddef>
#include <cstdint>

#include <QString>

extern "C" {

typedef std::uint32_t VxStr;

// Makes a string with one reference; empty text gives 0.
VxStr vxstr_make(const char* utf8, std::size_t length);
// Takes one more reference; 0 and stale handles are ignored.
void vxstr_addref(VxStr handle);
// Gives one reference back; the text is freed with the last one.
void vxstr_release(VxStr handle);
// Copies up to capacity bytes of the UTF-8 text into buffer and returns the
// full length; a stale handle reads as empty.
std::size_t vxstr_read(VxStr handle, char* buffer, std::size_t capacity);
// Diagnostics for tests: references of a handle (0 when stale), live strings,
// and how many stale handles were used (a double release shows up here).
std::uint32_t vxstr_refcount(VxStr handle);
std::size_t vxstr_live_count();
std::size_t vxstr_stale_uses();

struct TLinkSection {
    VxStr Link_user;                // 0
    VxStr Link_user_name;           // 4
    VxStr Link_reserved8;           // 8
    VxStr Link_company;             // 12
    VxStr Link_company_name;        // 16
    std::int32_t Link_language;     // 20: 1 English, 2 French
    std::uint8_t Link_lang_code[4]; // 24: length byte, two characters, unused byte
    VxStr Link_printer;             // 28
    VxStr Link_reserved32;          // 32
    VxStr Link_customer;            // 36
    VxStr Link_pgm_dir;             // 40
    VxStr Link_data_dir;            // 44
    VxStr Link_reserved48;          // 48
    VxStr Link_reserved52;          // 52
    std::int32_t Link_reserved56;   // 56
    VxStr Link_reserved60;          // 60
    std::int32_t Link_session;      // 64
    std::int32_t Link_reserved68;   // 68
    std::int32_t Link_user_detail;  // 72
    VxStr Link_context;             // 76
};

} // extern "C"

static_assert(std::endian::native == std::endian::little, "the session record is little-endian");
static_assert(sizeof(TLinkSection) == 80);
static_assert(offsetof(TLinkSection, Link_user) == 0);
static_assert(offsetof(TLinkSection, Link_user_name) == 4);
static_assert(offsetof(TLinkSection, Link_reserved8) == 8);
static_assert(offsetof(TLinkSection, Link_company) == 12);
static_assert(offsetof(TLinkSection, Link_company_name) == 16);
static_assert(offsetof(TLinkSection, Link_language) == 20);
static_assert(offsetof(TLinkSection, Link_lang_code) == 24);
static_assert(offsetof(TLinkSection, Link_printer) == 28);
static_assert(offsetof(TLinkSection, Link_reserved32) == 32);
static_assert(offsetof(TLinkSection, Link_customer) == 36);
static_assert(offsetof(TLinkSection, Link_pgm_dir) == 40);
static_assert(offsetof(TLinkSection, Link_data_dir) == 44);
static_assert(offsetof(TLinkSection, Link_reserved48) == 48);
static_assert(offsetof(TLinkSection, Link_reserved52) == 52);
static_assert(offsetof(TLinkSection, Link_reserved56) == 56);
static_assert(offsetof(TLinkSection, Link_reserved60) == 60);
static_assert(offsetof(TLinkSection, Link_session) == 64);
static_assert(offsetof(TLinkSection, Link_reserved68) == 68);
static_assert(offsetof(TLinkSection, Link_user_detail) == 72);
static_assert(offsetof(TLinkSection, Link_context) == 76);

namespace varnex {

// The fourteen string slots, in layout order.
inline constexpr VxStr TLinkSection::*LinkStringSlots[14] = {
    &TLinkSection::Link_user,       &TLinkSection::Link_user_name,    &TLinkSection::Link_reserved8,
    &TLinkSection::Link_company,    &TLinkSection::Link_company_name, &TLinkSection::Link_printer,
    &TLinkSection::Link_reserved32, &TLinkSection::Link_customer,     &TLinkSection::Link_pgm_dir,
    &TLinkSection::Link_data_dir,   &TLinkSection::Link_reserved48,   &TLinkSection::Link_reserved52,
    &TLinkSection::Link_reserved60, &TLinkSection::Link_context,
};

QString LinkText(VxStr handle);
// Replaces the slot's string: releases the old handle, stores a new one.
void LinkSetText(VxStr& slot, const QString& text);
void LinkAddRefStrings(const TLinkSection& record);
void LinkReleaseStrings(TLinkSection& record);
QString LinkLangCode(const TLinkSection& record);
// Keeps at most the first two characters.
void LinkSetLangCode(TLinkSection& record, const QString& code);

// A record that owns its string references: the launcher's global record and
// a module's kept copy. Copying takes references, destruction releases them.
class LinkRecord {
public:
    LinkRecord();
    // Keeps a copy of a record received by value (takes references).
    explicit LinkRecord(const TLinkSection& received);
    LinkRecord(const LinkRecord& other);
    LinkRecord& operator=(const LinkRecord& other);
    ~LinkRecord();

    TLinkSection& raw() { return m_record; }
    const TLinkSection& raw() const { return m_record; }
    // The record to pass by value: the callee takes its own references.
    TLinkSection value() const { return m_record; }

    QString text(VxStr TLinkSection::*slot) const { return LinkText(m_record.*slot); }
    void setText(VxStr TLinkSection::*slot, const QString& value) { LinkSetText(m_record.*slot, value); }
    QString langCode() const { return LinkLangCode(m_record); }
    void setLangCode(const QString& code) { LinkSetLangCode(m_record, code); }

private:
    TLinkSection m_record;
};

} // namespace varnex
