// Checks of the delivered language files: every message line a program reads
// exists in both languages, and the launcher's menus carry every option.

#include <gtest/gtest.h>

#include <QDir>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSet>

#include "langfile.h"
#include <QTemporaryDir>

#include "stockrcv_lines.h"

#include "table_writer.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/options.h"
#include "varnex/translation/message_lines.h"
#include "varnex/translation/translate.h"

using namespace varnex::langc;

namespace {

const LanguageFile& launcherFile()
{
    static const ParseResult result = ReadLanguageFile(QStringLiteral(VARNEX_LANGUAGES_SOURCE_DIR "/MainMenu.lang"));
    EXPECT_TRUE(result.errors.isEmpty()) << result.errors.join(QLatin1Char('\n')).toStdString();
    return result.file;
}

const Entry* findEntry(const LanguageFile& file, const QString& form, const QString& component)
{
    for (const Entry& entry : file.entries)
        if (entry.formName == form && entry.componentName == component)
            return &entry;
    return nullptr;
}

} // namespace

TEST(LanguageFiles, EveryFileParsesWithoutFault)
{
    const QStringList files = QDir(QStringLiteral(VARNEX_LANGUAGES_SOURCE_DIR))
                                  .entryList({QStringLiteral("*.lang")}, QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{"MainMenu.lang", "clview.lang", "compcreate.lang", "lgxadmin.lang", "picklists.lang",
                                  "purchent.lang", "stockrcv.lang", "supview.lang", "toolsmaint.lang"}));
    for (const QString& name : files) {
        const ParseResult result = ReadLanguageFile(QStringLiteral(VARNEX_LANGUAGES_SOURCE_DIR "/") + name);
        EXPECT_TRUE(result.errors.isEmpty()) << result.errors.join(QLatin1Char('\n')).toStdString();
    }
}

// Every message list a program reads, with the lines its code reads (the
// constants of message_lines.h). A module adds its IntlStrings1 row here.
TEST(LanguageFiles, EveryMessageLineAProgramReadsExistsInBothLanguages)
{
    namespace launcher = varnex::translation::launcher_lines;
    namespace stockrcv = varnex::stockrcv::lines;
    namespace lgxadmin = varnex::translation::lgxadmin_lines;
    namespace compcreate = varnex::translation::compcreate_lines;
    namespace toolsmaint = varnex::translation::toolsmaint_lines;
    namespace frame = varnex::translation::frame_lines;
    const struct {
        const char* program;
        const char* form;
        const char* list;
        std::vector<int> lines;
    } lists[] = {
        {"MainMenu", "LogoAppForm", "Error_Messages", {launcher::All.begin(), launcher::All.end()}},
        {"stockrcv", "stockrcv_frm", "IntlStrings1", {stockrcv::All.begin(), stockrcv::All.end()}},
        {"lgxadmin", "Lgxadmin", "Messages", {lgxadmin::All.begin(), lgxadmin::All.end()}},
        {"compcreate", "CompCreate", "Messages", {compcreate::All.begin(), compcreate::All.end()}},
        {"toolsmaint", "ToolsMaint_Frm", "Messages", {toolsmaint::All.begin(), toolsmaint::All.end()}},
        {"picklists", "FrameMessages", "Messages", {frame::All.begin(), frame::All.end()}},
    };
    for (const auto& list : lists) {
        const ParseResult result = ReadLanguageFile(
            QStringLiteral(VARNEX_LANGUAGES_SOURCE_DIR "/%1.lang").arg(QString::fromLatin1(list.program)));
        ASSERT_TRUE(result.errors.isEmpty()) << result.errors.join(QLatin1Char('\n')).toStdString();
        for (int line : list.lines) {
            for (Language language : {English, French}) {
                const QString text = MessageListLine(result.file, QString::fromLatin1(list.form),
                                                     QString::fromLatin1(list.list), line, language);
                EXPECT_FALSE(text.trimmed().isEmpty()) << list.program << " " << list.list << " line " << line << " in "
                                                       << kLanguageCodes[static_cast<size_t>(language)];
            }
        }
    }
}

TEST(LanguageFiles, LedgerLabelsFollowTheCaptionWithASpace)
{
    namespace launcher = varnex::translation::launcher_lines;
    for (int tag = 0; tag <= 9; ++tag) {
        for (Language language : {English, French}) {
            const QString text =
                MessageListLine(launcherFile(), QStringLiteral("LogoAppForm"), QStringLiteral("Error_Messages"),
                                launcher::LedgerLabelBase + tag, language);
            EXPECT_TRUE(text.startsWith(QLatin1Char(' ')) && text.size() > 1) << "Tag " << tag;
        }
    }
}

TEST(LanguageFiles, LauncherMenusCarryEveryOptionWithItsDesignCaption)
{
    const LanguageFile& file = launcherFile();
    for (const varnex::data::MenuOption& option : varnex::data::MenuOptions()) {
        const QString name = QString::fromLatin1(option.name);
        const Entry* entry = findEntry(file, QStringLiteral("LogoAppForm"), name);
        ASSERT_NE(entry, nullptr) << option.name;
        EXPECT_EQ(entry->kind, EntryKind::Text) << option.name;
        const QString design = QString::fromUtf8(option.caption);
        // The design caption is the French text, except where the design
        // itself is English (job cost and a few late items): then it is the
        // English text and French gets its own.
        const bool englishDesign = entry->texts[English].caption == design;
        EXPECT_TRUE(englishDesign || entry->texts[French].caption == design) << option.name;
        if (option.ledger == 9) {
            EXPECT_TRUE(englishDesign) << option.name;
        }
    }

    // A favourite reads exactly like the option it repeats.
    int favourites = 0;
    for (const Entry& entry : file.entries) {
        if (!entry.componentName.endsWith(QLatin1Char('f')))
            continue;
        const QString optionName = entry.componentName.chopped(1);
        if (!varnex::data::FindMenuOption(optionName))
            continue;
        ++favourites;
        const Entry* option = findEntry(file, entry.formName, optionName);
        ASSERT_NE(option, nullptr);
        for (Language language : {English, French})
            EXPECT_EQ(entry.texts[static_cast<size_t>(language)].caption,
                      option->texts[static_cast<size_t>(language)].caption)
                << entry.componentName.toStdString();
    }
    // 3 favourites in five ledgers, 6 in invoicing, 5 in payroll, 2 in tracker, 1 in job cost.
    EXPECT_EQ(favourites, 3 * 5 + 6 + 5 + 2 + 1);
}

// The compiled tables, read the way the launcher reads them.
TEST(LanguageTables, CompiledLauncherTablesFillTheMessageList)
{
    varnex::translation::SetLanguagesFolder(QStringLiteral(VARNEX_LANGUAGES_DIR));
    QWidget window;
    window.setObjectName(QStringLiteral("LogoAppForm"));
    auto* messages = new QPlainTextEdit(&window);
    messages->setObjectName(QStringLiteral("Error_Messages"));
    for (const char* table : {"MainMenuen", "MainMenufr"}) {
        messages->setPlainText(QStringLiteral("Error_Messages"));
        varnex::translation::TranslateForm(&window, QString::fromLatin1(table));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Primora/Lgx"));
        for (int line : varnex::translation::launcher_lines::All)
            EXPECT_FALSE(varnex::translation::MessageLine(messages, line).trimmed().isEmpty())
                << table << " line " << line;
    }
    EXPECT_EQ(varnex::translation::MessageLine(messages, varnex::translation::launcher_lines::LedgerLabelBase + 2),
              QStringLiteral(" (Comptes fournisseurs)"));
    varnex::translation::SetLanguagesFolder(QString());
}

TEST(LanguageTables, EnglishThenFrenchOnTheLauncherMenus)
{
    varnex::translation::SetLanguagesFolder(QStringLiteral(VARNEX_LANGUAGES_DIR));
    QMainWindow window;
    window.setObjectName(QStringLiteral("LogoAppForm"));
    QMenu* payables = window.menuBar()->addMenu(QStringLiteral("design"));
    payables->setObjectName(QStringLiteral("APMenu"));
    QAction* purchases = payables->addAction(QStringLiteral("design"));
    purchases->setObjectName(QStringLiteral("purchent"));

    varnex::translation::TranslateForm(&window, QStringLiteral("MainMenuen"));
    EXPECT_EQ(payables->title(), QStringLiteral("Accounts payable"));
    EXPECT_EQ(purchases->text(), QStringLiteral("Purchases"));
    varnex::translation::TranslateForm(&window, QStringLiteral("MainMenufr"));
    EXPECT_EQ(payables->title(), QStringLiteral("Comptes fournisseurs"));
    EXPECT_EQ(purchases->text(), QStringLiteral("Achats"));
    varnex::translation::SetLanguagesFolder(QString());
}

TEST(LanguageTables, MissingTableRaisesTheEngineErrorAndTheWindowKeepsItsTexts)
{
    QWidget window;
    window.setObjectName(QStringLiteral("LogoAppForm"));
    window.setWindowTitle(QStringLiteral("design"));
    auto* messages = new QPlainTextEdit(QStringLiteral("Error_Messages"), &window);
    messages->setObjectName(QStringLiteral("Error_Messages"));

    const struct {
        const char* folder;
        const char* table;
    } cases[] = {
        {VARNEX_LANGUAGES_DIR, "MainMenude"},     // no such language
        {"/nonexistent/languages", "MainMenuen"}, // no languages folder at all
    };
    for (const auto& c : cases) {
        varnex::translation::SetLanguagesFolder(QString::fromLatin1(c.folder));
        try {
            varnex::translation::TranslateForm(&window, QString::fromLatin1(c.table));
            ADD_FAILURE() << c.table << " in " << c.folder << " did not raise";
        } catch (const varnex::data::EngineError& error) {
            if (QLatin1String(c.folder) == QLatin1String(VARNEX_LANGUAGES_DIR)) {
                EXPECT_EQ(error.code(), varnex::data::ErrorCode::TableNotFound);
            }
        }
        EXPECT_EQ(window.windowTitle(), QStringLiteral("design"));
        EXPECT_EQ(messages->toPlainText(), QStringLiteral("Error_Messages"));
    }
    varnex::translation::SetLanguagesFolder(QString());
}
TEST(LanguageTables, WritingATableAgainLeavesOnlyTheNewRows)
{
    QTemporaryDir folder;
    varnex::translation::LanguageRow row;
    row.formName = QStringLiteral("W");
    row.componentName = QStringLiteral("Gone");
    row.caption = QStringLiteral("old");
    WriteLanguageTable(folder.path(), QStringLiteral("Demoen"), {row});
    row.componentName = QStringLiteral("Kept");
    row.caption = QStringLiteral("new");
    row.lines = QStringLiteral("a\nb");
    row.isCombobox = true;
    WriteLanguageTable(folder.path(), QStringLiteral("Demoen"), {row});

    varnex::translation::SetLanguagesFolder(folder.path());
    const auto table = varnex::translation::LanguageTables().open(QStringLiteral("Demoen.db"));
    const auto rows = table->rowsOfForm(QStringLiteral("W"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].componentName, QStringLiteral("Kept"));
    EXPECT_EQ(rows[0].caption, QStringLiteral("new"));
    EXPECT_EQ(rows[0].lines, QStringLiteral("a\nb"));
    EXPECT_TRUE(rows[0].isCombobox);
    EXPECT_FALSE(rows[0].isMemo || rows[0].isDBGrid || rows[0].isRadioGroup || rows[0].isCheckList);
    EXPECT_EQ(table->formNames(), QStringList{QStringLiteral("W")});
    varnex::translation::SetLanguagesFolder(QString());
}
