#include "startup.h"

#include <cstdint>

#include "varnex/library.h"
#include "varnex/messages.h"

namespace varnex::launcher {

LoadingDialog::LoadingDialog(const QString& programFolder)
    : m_library(std::make_unique<SharedLibrary>())
{
    // By full path only: a loading window of another installation must not
    // be picked up by the ordinary library search.
    if (!m_library->load(programFolder + QStringLiteral("/waitpanel.so")))
        m_library.reset();
}

LoadingDialog::~LoadingDialog() = default;

bool LoadingDialog::loaded() const
{
    return m_library && m_library->isLoaded();
}

bool LoadingDialog::call(const char* function, bool withArgument, int argument)
{
    if (!loaded())
        return false;
    std::int32_t result = 0;
    if (withArgument) {
        auto entry = m_library->entry<std::int32_t (*)(std::int32_t)>(function);
        if (!entry)
            return false;
        result = entry(argument);
    } else {
        auto entry = m_library->entry<std::int32_t (*)()>(function);
        if (!entry)
            return false;
        result = entry();
    }
    if (result == 0) {
        ++m_denied;
        ShowMessage(QStringLiteral("Access denied..."));
        return false;
    }
    return true;
}

bool LoadingDialog::open()
{
    return call("loading_Dialog_open", false, 0);
}

bool LoadingDialog::caption(int which)
{
    return call("loading_Dialog_caption", true, which);
}

bool LoadingDialog::step()
{
    return call("loading_Dialog_step", false, 0);
}

bool LoadingDialog::close()
{
    const bool ok = call("loading_Dialog_close", false, 0);
    if (m_library)
        m_library->unload();
    m_library.reset();
    return ok;
}

} // namespace varnex::launcher
