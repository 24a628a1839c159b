#pragma once
// The windows the launcher creates at start-up beside its main window (the
// company wizard and the information windows), joined to the main window
// through its hooks. They have no parent, so that the main window's change of
// language finds the contact window and the about box among the top-level
// windows; each is translated with the launcher's table when it is shown.

#include <QString>

#include <functional>
#include <memory>

#include "varnex/linksection.h"

class QDialog;
class QWidget;

namespace varnex::launcher {

struct LauncherHooks;
class TLogoAppForm;
class TfrmDefaultInfo;
class TfrmWelcome;
class TfrmSetup;
class TContactUs;
class TAboutBox;

class LauncherWindows {
public:
    // runDialog shows a modal window and returns its result (exec() when empty).
    explicit LauncherWindows(std::function<int(QDialog&)> runDialog = {});
    ~LauncherWindows();
    LauncherWindows(const LauncherWindows&) = delete;
    LauncherWindows& operator=(const LauncherWindows&) = delete;

    // Fills the hooks of the wizard and the information windows.
    void install(LauncherHooks& hooks);
    // The main window whose record, settings and language the windows use.
    void attach(const TLogoAppForm& form) { m_form = &form; }

    void runCompanyWizard(const QString& companyFolder);
    void showWelcome(const TLinkSection& record, const QString& section);
    void showSetupNotice(const QString& which);
    void showContactUs();
    void showAbout();

    TfrmDefaultInfo& wizard() { return *m_wizard; }
    TfrmWelcome& welcome() { return *m_welcome; }
    TfrmSetup& setup() { return *m_setup; }
    TContactUs& contactUs() { return *m_contactUs; }
    TAboutBox& aboutBox() { return *m_aboutBox; }

private:
    int run(QDialog& dialog);
    void translate(QWidget* window);

    std::function<int(QDialog&)> m_runDialog;
    const TLogoAppForm* m_form = nullptr;
    std::unique_ptr<TAboutBox> m_aboutBox;
    std::unique_ptr<TContactUs> m_contactUs;
    std::unique_ptr<TfrmDefaultInfo> m_wizard;
    std::unique_ptr<TfrmSetup> m_setup;
    std::unique_ptr<TfrmWelcome> m_welcome;
};

} // namespace varnex::launcher
