#include "launcher_fixture.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>

#include <gtest/gtest.h>

#include "dialogs.h"
#include "varnex/data/company.h"
#include "varnex/data/options.h"
#include "varnex/settings.h"
#include "varnex/statusbar.h"

namespace launcher_test {

QString Line(int number)
{
    return QStringLiteral("line %1").arg(number);
}

namespace {

void addMessageTable(varnex::translation::MemoryLanguageTables& tables, const QString& table, const QString& title)
{
    QStringList lines;
    for (int i = 0; i <= 20; ++i)
        lines << (i == 16 ? title : Line(i));
    lines << QStringLiteral("No session table in \"%1\": create it with \"lgxadmin init\".")
          << QStringLiteral("All sessions are in use.");
    for (int i = 23; i <= 32; ++i)
        lines << Line(i);
    varnex::translation::LanguageRow row;
    row.formName = QStringLiteral("LogoAppForm");
    row.componentName = QStringLiteral("Error_Messages");
    row.lines = lines.join(QLatin1Char('\n'));
    row.isMemo = true;
    tables.addRow(table, row);
    varnex::translation::LanguageRow menu;
    menu.formName = QStringLiteral("LogoAppForm");
    menu.componentName = QStringLiteral("GLMenu");
    menu.caption =
        table.endsWith(QLatin1String("fr")) ? QStringLiteral("Grand livre") : QStringLiteral("General ledger");
    tables.addRow(table, menu);
    tables.addTable(table);
}

} // namespace

Installation::Installation(int sessions, bool withCompany)
{
    QDir().mkpath(programFolder());
    QDir().mkpath(dataRoot());
    m_log = m_root.filePath(QStringLiteral("calls.log"));
    qputenv("LAUNCHER_FIXTURE_LOG", m_log.toLocal8Bit());
    qunsetenv("LAUNCHER_FIXTURE_RESULT");
    qunsetenv("LAUNCHER_FIXTURE_HANDLER");

    varnex::data::DataRootOptions options;
    options.sessions = sessions;
    options.adminPassword = QStringLiteral("SECRET");
    options.adminLanguage = 1;
    m_adminPassword = varnex::data::CreateDataRoot(dataRoot(), options);
    if (withCompany)
        addCompany(1, QStringLiteral("Alpha"));

    setSetting(QStringLiteral("pgmdrive"), programDrive());
    setSetting(QStringLiteral("datadrive"), dataDrive());
    setSetting(QStringLiteral("ShowWelcome"), QStringLiteral("N"));

    addMessageTable(languages, QStringLiteral("MainMenuen"), QStringLiteral("Lgx test"));
    addMessageTable(languages, QStringLiteral("MainMenufr"), QStringLiteral("Lgx essai"));
    varnex::translation::SetLanguageTableSource(&languages);
}

Installation::~Installation()
{
    varnex::translation::SetLanguageTableSource(nullptr);
}

QString Installation::programDrive() const
{
    return m_root.filePath(QStringLiteral("pgm"));
}

QString Installation::dataDrive() const
{
    return m_root.filePath(QStringLiteral("data"));
}

QString Installation::programFolder() const
{
    return programDrive() + QStringLiteral("/Lgx/bin");
}

QString Installation::dataRoot() const
{
    return dataDrive() + QStringLiteral("/Lgx/data");
}

void Installation::setSetting(const QString& name, const QString& value, const QString& section)
{
    varnex::SettingsStore(m_settings.path()).setValue(section, name, value);
}

QString Installation::setting(const QString& name, const QString& section) const
{
    return varnex::SettingsStore(m_settings.path()).value(section, name);
}

void Installation::installModule(const QString& option, const QString& fixture)
{
    const QString target = programFolder() + QLatin1Char('/') + option + QStringLiteral(".so");
    QFile::remove(target);
    QFile::copy(QStringLiteral(VARNEX_TEST_BIN_DIR "/") + fixture + QStringLiteral(".so"), target);
}

QStringList Installation::calls() const
{
    QFile log(m_log);
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void Installation::addUser(const QString& code, const QString& password, const QStringList& options, int language,
                           int company)
{
    varnex::data::UserSpec newUser;
    newUser.code = code;
    newUser.name = code + QStringLiteral(" name");
    newUser.password = password;
    newUser.language = language;
    newUser.company = company;
    newUser.rights = varnex::data::RightsFor(options);
    varnex::data::AddUser(dataRoot(), newUser);
}

void Installation::addCompany(int number, const QString& name, const QString& password)
{
    varnex::data::CompanyOptions company;
    company.number = number;
    company.name = name;
    company.password = password;
    varnex::data::CreateCompany(dataRoot(), company);
}

std::unique_ptr<varnex::launcher::TLogoAppForm>
Installation::makeForm(varnex::launcher::LauncherEnvironment environment)
{
    if (!environment.printers)
        environment.printers = printers;
    if (!environment.runDialog)
        environment.runDialog = [](QDialog&) { return varnex::launcher::mrCancel; };
    return std::make_unique<varnex::launcher::TLogoAppForm>(std::move(environment));
}

std::unique_ptr<varnex::launcher::TLogoAppForm>
Installation::startForm(varnex::launcher::LauncherEnvironment environment)
{
    auto form = makeForm(std::move(environment));
    form->FormActivate();
    return form;
}

varnex::TStatusBar* StatusBarOf(const QWidget& form)
{
    auto* bar = form.findChild<varnex::TStatusBar*>(QStringLiteral("StatusBar1"));
    EXPECT_NE(bar, nullptr);
    return bar;
}

QMenu* MenuOf(const QWidget& form, const char* name)
{
    auto* menu = form.findChild<QMenu*>(QLatin1String(name));
    EXPECT_NE(menu, nullptr) << name;
    return menu;
}

QListWidget* ListOf(const QWidget& form, const char* name)
{
    auto* list = form.findChild<QListWidget*>(QLatin1String(name));
    EXPECT_NE(list, nullptr) << name;
    return list;
}

} // namespace launcher_test
