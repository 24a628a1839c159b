#include "launcherwindows.h"

#include <QFileInfo>

#include "defaultinfo.h"
#include "infowindows.h"
#include "logoappform.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/translation/translate.h"

namespace varnex::launcher {

LauncherWindows::LauncherWindows(std::function<int(QDialog&)> runDialog)
    : m_runDialog(std::move(runDialog))
    , m_aboutBox(std::make_unique<TAboutBox>())
    , m_contactUs(std::make_unique<TContactUs>())
    , m_wizard(std::make_unique<TfrmDefaultInfo>())
    , m_setup(std::make_unique<TfrmSetup>())
    , m_welcome(std::make_unique<TfrmWelcome>())
{
}

LauncherWindows::~LauncherWindows() = default;

void LauncherWindows::install(LauncherHooks& hooks)
{
    hooks.runCompanyWizard = [this](const QString& folder) { runCompanyWizard(folder); };
    hooks.showWelcome = [this](const TLinkSection& record, const QString& section) { showWelcome(record, section); };
    hooks.showSetupNotice = [this](const QString& which) { showSetupNotice(which); };
    hooks.showContactUs = [this] { showContactUs(); };
    hooks.showAbout = [this] { showAbout(); };
}

int LauncherWindows::run(QDialog& dialog)
{
    return m_runDialog ? m_runDialog(dialog) : dialog.exec();
}

void LauncherWindows::translate(QWidget* window)
{
    const QString code = m_form ? m_form->linkSection().langCode() : QString();
    if (code.isEmpty())
        return;
    try {
        translation::TranslateForm(window, QStringLiteral("MainMenu") + code);
    } catch (const std::exception&) {
        // The main window has told the user that its table is missing; the
        // window keeps its English texts.
    }
}

void LauncherWindows::runCompanyWizard(const QString& companyFolder)
{
    // A company creation that failed has told the user why; a wizard on a
    // company that does not exist could never be closed, since Close is its
    // only way out and could only fail.
    try {
        if (!QFileInfo(companyFolder).isDir()
            || !data::Database::forFolder(companyFolder)->tableExists(QStringLiteral("ctrl")))
            return;
    } catch (const data::EngineError&) {
        return;
    }
    m_wizard->setCompanyFolder(companyFolder);
    m_wizard->setLanguage(m_form ? m_form->linkSection().raw().Link_language : 1);
    translate(m_wizard.get());
    m_wizard->FormActivate();
    run(*m_wizard);
}

void LauncherWindows::showWelcome(const TLinkSection& record, const QString& section)
{
    m_welcome->setLink(record, section);
    translate(m_welcome.get());
    run(*m_welcome);
}

void LauncherWindows::showSetupNotice(const QString& which)
{
    m_setup->ShowPayroll = which == QLatin1String("payroll");
    m_setup->ShowJobCost = which == QLatin1String("jobcost");
    translate(m_setup.get());
    m_setup->FormActivate();
    run(*m_setup);
}

void LauncherWindows::showContactUs()
{
    if (m_form)
        m_contactUs->Language = m_form->linkSection().raw().Link_language;
    translate(m_contactUs.get());
    run(*m_contactUs);
}

void LauncherWindows::showAbout()
{
    if (m_form) {
        m_aboutBox->setInstallation(m_form->linkSection().text(&TLinkSection::Link_data_dir),
                                    m_form->settings().payroll, m_form->settings().payrollCCQ);
    }
    translate(m_aboutBox.get());
    m_aboutBox->FormShow();
    run(*m_aboutBox);
}

} // namespace varnex::launcher
