#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include "deferred.h"
#include "modal_driver.h"
#include "varnex/application.h"
#include "varnex/controls/maskedit.h"
#include "varnex/data/database.h"
#include "varnex/data/schema.h"
#include "varnex/data/table.h"
#include "varnex/frame/module.h"
#include "varnex/frame/picklist.h"
#include "varnex/library.h"
#include "varnex/messages.h"
#include "varnex/regional.h"
#include "varnex/translation/translate.h"
#include "varnex/widgets/dbwidgets.h"

using namespace varnex;
using namespace varnex::data;
using namespace varnex::frame;
using varnex::test_support::ModalDriver;

namespace {

using ShowDllFormFunction = std::int32_t (*)(TLinkSection);
using LastFunction = const char* (*)(int);

void makeCompany(const QString& folder)
{
    QDir().mkpath(folder);
    auto db = Database::forFolder(folder);
    db->createTable(*FindTableDef(QStringLiteral("sup")));
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    for (const char* code : {"ACME", "BELL", "COTE"}) {
        sup.append();
        sup.field(QStringLiteral("Sup_code")).setString(QString::fromUtf8(code));
        sup.post();
    }
}

class ModuleFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeCompany(root.path() + QStringLiteral("/data1"));
        record.setText(&TLinkSection::Link_data_dir, root.path() + QStringLiteral("/data"));
        record.setText(&TLinkSection::Link_pgm_dir, root.path() + QStringLiteral("/bin"));
        record.setText(&TLinkSection::Link_company, QStringLiteral("1"));
        record.setText(&TLinkSection::Link_company_name, QStringLiteral("Quincaillerie Côté"));
        record.setText(&TLinkSection::Link_user, QStringLiteral("MARIE"));
        record.setText(&TLinkSection::Link_user_name, QStringLiteral("Marie"));
        record.raw().Link_session = 3;
        record.raw().Link_language = 1;
        record.setLangCode(QStringLiteral("en"));
        translation::LanguageRow caption;
        caption.formName = caption.componentName = QStringLiteral("testmodule_frm");
        caption.caption = QStringLiteral("Display of tests");
        tables.addRow(QStringLiteral("testmoduleen"), caption);
        caption.caption = QStringLiteral("Affichage des tests");
        tables.addRow(QStringLiteral("testmodulefr"), caption);
        translation::SetLanguageTableSource(&tables);
        ASSERT_TRUE(library.load(QStringLiteral(VARNEX_TEST_BIN_DIR "/testmodule.so")))
            << library.errorText().toStdString();
        show = library.entry<ShowDllFormFunction>("ShowDllForm");
        last = library.entry<LastFunction>("TestModuleLast");
        ASSERT_TRUE(show && last);
    }

    void TearDown() override { translation::SetLanguageTableSource(nullptr); }

    QString lastValue(int what) { return QString::fromUtf8(last(what)); }

    QTemporaryDir root;
    LinkRecord record;
    translation::MemoryLanguageTables tables;
    SharedLibrary library;
    ShowDllFormFunction show = nullptr;
    LastFunction last = nullptr;
};

void closeWhenSupplierShown(QWidget* window)
{
    auto* label = window->findChild<QLabel*>(QStringLiteral("SupplierLabel"));
    EXPECT_TRUE(QTest::qWaitFor([label] { return !label->text().isEmpty(); }, 5000));
    qobject_cast<QDialog*>(window)->reject();
}

} // namespace

TEST_F(ModuleFixture, TheWholePathOfAModuleCall)
{
    RecordingPickListService picks;
    picks.textAnswers = {QStringLiteral("BELL")};
    ModalDriver driver(QStringLiteral("testmodule_frm"), closeWhenSupplierShown);
    EXPECT_EQ(show(record.value()), -1);
    EXPECT_TRUE(driver.ran());
    EXPECT_EQ(lastValue(0), QStringLiteral("Display of tests"));
    const QStringList status = lastValue(1).split(QLatin1Char('|'));
    ASSERT_EQ(status.size(), 3);
    EXPECT_EQ(status[0], QStringLiteral("1-Quincaillerie Côté"));
    EXPECT_EQ(status[1], QStringLiteral("Marie"));
    EXPECT_TRUE(status[2].startsWith(QStringLiteral("Version "))) << status[2].toStdString();
    EXPECT_EQ(status[2].count(QLatin1Char('.')), 3);
    EXPECT_EQ(lastValue(2), QStringLiteral("BELL"));
    EXPECT_EQ(picks.calls, QStringList({QStringLiteral("ApGetSupplier:N")}));
    EXPECT_EQ(lastValue(3), QStringLiteral("Captmp3"));
    EXPECT_TRUE(Database::forFolder(root.path() + QStringLiteral("/data1"))->tableExists(QStringLiteral("Captmp3")));
    EXPECT_EQ(lastValue(5), QStringLiteral("3"));
    // the module gave its references back; the launcher's strings are intact
    EXPECT_EQ(vxstr_refcount(record.raw().Link_user), 1u);
    EXPECT_EQ(record.text(&TLinkSection::Link_user), QStringLiteral("MARIE"));
    EXPECT_EQ(record.text(&TLinkSection::Link_context), QString());
}

TEST_F(ModuleFixture, ACompanyThatCannotBeOpenedIsToldOnceAndTheWindowCloses)
{
    RecordingMessageService messages;
    record.setText(&TLinkSection::Link_company, QStringLiteral("9")); // no folder data9
    ModalDriver driver(
        QStringLiteral("testmodule_frm"),
        [](QWidget* window) {
            // Activations after the failure (a message box closing) change nothing.
            window->activateWindow();
            EXPECT_TRUE(varnex::test_support::RunDeferred());
        },
        5000);
    EXPECT_EQ(show(record.value()), -1);
    EXPECT_FALSE(driver.timedOut()); // the window closed itself
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_FALSE(messages.shown[0].text.isEmpty());
    const QStringList status = lastValue(1).split(QLatin1Char('|'));
    ASSERT_EQ(status.size(), 3);
    EXPECT_EQ(status[0], QStringLiteral("9-Quincaillerie Côté"));
    EXPECT_EQ(status[1], QStringLiteral("Marie"));
    EXPECT_EQ(status[2].count(QStringLiteral("Version")), 1) << status[2].toStdString();
    EXPECT_TRUE(lastValue(3).isEmpty()); // no work table was made
    EXPECT_EQ(vxstr_refcount(record.raw().Link_user), 1u);
}

TEST_F(ModuleFixture, FrenchAndASecondActivationDoesNotRedoTheSetUp)
{
    RecordingPickListService picks;
    picks.textAnswers = {QStringLiteral("ACME"), QStringLiteral("COTE")};
    record.raw().Link_language = 2;
    record.setLangCode(QStringLiteral("fr"));
    ModalDriver driver(QStringLiteral("testmodule_frm"), [](QWidget* window) {
        auto* label = window->findChild<QLabel*>(QStringLiteral("SupplierLabel"));
        EXPECT_TRUE(QTest::qWaitFor([label] { return !label->text().isEmpty(); }, 5000));
        // a dialog closes and the window is activated again
        QDialog other;
        other.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
        other.close();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        EXPECT_TRUE(varnex::test_support::RunDeferred());
        qobject_cast<QDialog*>(window)->reject();
    });
    EXPECT_EQ(show(record.value()), -1);
    EXPECT_EQ(lastValue(0), QStringLiteral("Affichage des tests"));
    EXPECT_EQ(lastValue(2), QStringLiteral("ACME"));
    EXPECT_EQ(picks.calls.size(), 1);
    EXPECT_EQ(tables.openCount(), 1);
}

TEST_F(ModuleFixture, ClosedAtOnceStillReturnsMinusOne)
{
    RecordingPickListService picks;
    ModalDriver driver(QStringLiteral("testmodule_frm"), [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(show(record.value()), -1);
    EXPECT_EQ(vxstr_refcount(record.raw().Link_user), 1u);
}

TEST_F(ModuleFixture, WithoutACompanyItRunsOnTheStandaloneFolders)
{
    QTemporaryDir dataHome;
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    makeCompany(StandaloneDataFolder() + QStringLiteral("1"));
    record.setText(&TLinkSection::Link_company, QString());
    RecordingPickListService picks;
    picks.textAnswers = {QStringLiteral("ACME")};
    ModalDriver driver(QStringLiteral("testmodule_frm"), closeWhenSupplierShown);
    EXPECT_EQ(show(record.value()), -1);
    EXPECT_EQ(lastValue(5), QStringLiteral("3"));
    EXPECT_TRUE(lastValue(1).startsWith(QStringLiteral("1-")));
    if (previous.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previous);
}

TEST(ModuleLoading, AMissingPickListStopsTheModuleFromLoading)
{
    QTemporaryDir alone;
    const QString copy = alone.filePath(QStringLiteral("testmodule.so"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VARNEX_TEST_BIN_DIR "/testmodule.so"), copy));
    SharedLibrary library;
    EXPECT_FALSE(library.load(QStringLiteral("testmodule.so"), alone.path()));
    EXPECT_EQ(library.failure(), LibraryFailure::DependencyMissing);
    EXPECT_EQ(library.failureCode(), 1157);
    EXPECT_TRUE(library.errorText().contains(QLatin1String("suppick.so"))) << library.errorText().toStdString();
}

// The masks the date boxes of the module windows are designed with, and what
// each becomes under a date format: only the four design date masks change.
struct DateMaskCase {
    const char* design;
    bool regional;
};
const DateMaskCase kDesignMasks[] = {
    {"99/99/9999", true},      {"9999/99/99", true},  {"!99/99/9999", true},
    {"!99/99/9999;1; ", true}, {"99-99-9999", false}, {"000;0;_", false}, // a hyphen date, a code
};
const char* const kDateFormats[] = {"DD/MM/YYYY", "MM/DD/YYYY", "YYYY-MM-DD"};

TEST(DateMasks, TheSuitesMaskedEditFollowsTheFormatOnlyForTheFourDesignMasks)
{
    for (const char* format : kDateFormats) {
        QWidget form;
        QList<TVarnexMaskEdit*> boxes;
        for (const DateMaskCase& c : kDesignMasks) {
            auto* box = new TVarnexMaskEdit(&form);
            box->setEditMask(QString::fromUtf8(c.design));
            boxes << box;
        }
        ApplyDateMaskToEdits(&form, QString::fromUtf8(format));
        const QString regional = DateEditMask(QString::fromUtf8(format));
        for (int i = 0; i < boxes.size(); ++i) {
            const DateMaskCase& c = kDesignMasks[i];
            EXPECT_EQ(boxes[i]->EditMask(), c.regional ? regional : QString::fromUtf8(c.design))
                << format << " " << c.design;
        }
    }
    // A date typed into a re-masked box takes the format's shape.
    QWidget form;
    auto* box = new TVarnexMaskEdit(&form);
    box->setEditMask(QStringLiteral("!99/99/9999;1; "));
    ApplyDateMaskToEdits(&form, QStringLiteral("YYYY-MM-DD"));
    box->setText(QStringLiteral("20261208"));
    EXPECT_EQ(box->text(), QStringLiteral("2026-12-08"));
}

TEST(DateMasks, PlainAndDataAwareLineEditsFollowTheFormatByTheirInputMask)
{
    for (const char* format : kDateFormats) {
        QWidget form;
        QList<QLineEdit*> boxes;
        for (int i = 0; i < static_cast<int>(std::size(kDesignMasks)); ++i) {
            // Every other box is the data-aware edit: a line edit too.
            QLineEdit* box = i % 2 ? new TVarnexDBEdit(&form) : new QLineEdit(&form);
            box->setInputMask(QString::fromUtf8(kDesignMasks[i].design));
            boxes << box;
        }
        const QStringList before = [&] {
            QStringList masks;
            for (QLineEdit* box : boxes)
                masks << box->inputMask();
            return masks;
        }();
        ApplyDateMaskToEdits(&form, QString::fromUtf8(format));
        // The placeholders and literals of the format's mask, blank a space.
        QString placeholders = DateEditMask(QString::fromUtf8(format));
        placeholders.truncate(placeholders.indexOf(QLatin1Char(';')));
        QLineEdit reference;
        reference.setInputMask(placeholders + QStringLiteral("; "));
        const QString expected = reference.inputMask();
        ASSERT_TRUE(expected.startsWith(placeholders));
        for (int i = 0; i < boxes.size(); ++i) {
            const DateMaskCase& c = kDesignMasks[i];
            EXPECT_EQ(boxes[i]->inputMask(), c.regional ? expected : before[i]) << format << " " << c.design;
        }
    }
    QWidget form;
    auto* unmasked = new QLineEdit(&form);
    ApplyDateMaskToEdits(&form, QStringLiteral("YYYY-MM-DD"));
    EXPECT_TRUE(unmasked->inputMask().isEmpty()); // a box without a mask stays free text
}

TEST(DateMasks, EngineDateFieldsGetTheMaskAndFormatAlsoWhenOpenedLater)
{
    QTemporaryDir dir;
    auto db = Database::forFolder(dir.path());
    TableDef def;
    def.name = QStringLiteral("dated");
    def.fields = {{QStringLiteral("Id"), FieldType::Integer},
                  {QStringLiteral("Due"), FieldType::Date},
                  {QStringLiteral("Stamp"), FieldType::Timestamp},
                  {QStringLiteral("At"), FieldType::Time}};
    def.indexes = {{QString(), {QStringLiteral("Id")}, true, true}};
    db->createTable(def);

    for (const char* format : kDateFormats) {
        QObject dataModule;
        auto* closed = new Table(&dataModule); // opened only after the format is set, as at module entry
        closed->setDatabase(db);
        closed->setTableName(QStringLiteral("dated"));
        closed->addCalculatedField(QStringLiteral("NextDue"), FieldType::Date);
        auto* open = new Table(&dataModule);
        open->setDatabase(db);
        open->setTableName(QStringLiteral("dated"));
        open->open();

        const QString dateFormat = QString::fromUtf8(format);
        ApplyDateFormat(&dataModule, dateFormat);
        closed->open();
        for (Table* table : {closed, open}) {
            EXPECT_EQ(table->field(QStringLiteral("Due")).editMask(), DateEditMask(dateFormat)) << format;
            EXPECT_EQ(table->field(QStringLiteral("Due")).displayFormat(), dateFormat) << format;
            for (const char* other : {"Id", "Stamp", "At"}) {
                EXPECT_TRUE(table->field(QLatin1String(other)).editMask().isEmpty()) << other;
                EXPECT_TRUE(table->field(QLatin1String(other)).displayFormat().isEmpty()) << other;
            }
        }
        EXPECT_EQ(closed->field(QStringLiteral("NextDue")).displayFormat(), dateFormat);
        // Closed and opened again, the fields are made anew and keep the format.
        open->close();
        open->open();
        EXPECT_EQ(open->field(QStringLiteral("Due")).editMask(), DateEditMask(dateFormat));
    }
}

TEST(RunModule, AFailureWhileCreatingStillGivesTheReferencesBack)
{
    LinkRecord launcher;
    launcher.setText(&TLinkSection::Link_user, QStringLiteral("LUC"));
    LinkRecord moduleCopy;
    EXPECT_THROW(RunModule(launcher.value(), moduleCopy, {},
                           []() -> ModuleObjects { throw std::runtime_error("cannot create the data module"); }),
                 std::runtime_error);
    EXPECT_EQ(vxstr_refcount(launcher.raw().Link_user), 1u);
    EXPECT_EQ(moduleCopy.raw().Link_user, 0u);
}

TEST(RunModule, TheModulesHandlerIsInstalledAndTheObjectsFreed)
{
    LinkRecord launcher;
    LinkRecord moduleCopy;
    QPointer<QObject> dataModule;
    QPointer<QDialog> form;
    bool handlerSeen = false;
    ModuleOptions options;
    options.exceptionHandler = [](std::exception_ptr) {};
    ModalDriver driver(QStringLiteral("plainModuleForm"), [&](QWidget* w) {
        handlerSeen = HasApplicationExceptionHandler();
        qobject_cast<QDialog*>(w)->accept();
    });
    EXPECT_EQ(RunModule(launcher.value(), moduleCopy, options,
                        [&] {
                            ModuleObjects objects;
                            objects.dataModule = std::make_unique<QObject>();
                            objects.mainForm = std::make_unique<QDialog>();
                            objects.mainForm->setObjectName(QStringLiteral("plainModuleForm"));
                            dataModule = objects.dataModule.get();
                            form = objects.mainForm.get();
                            return objects;
                        }),
              -1);
    EXPECT_TRUE(handlerSeen);
    EXPECT_TRUE(dataModule.isNull());
    EXPECT_TRUE(form.isNull());
    // the launcher clears it after the call
    ClearApplicationExceptionHandler();
}

TEST(FirstActivation, WithoutStandaloneDefaultsAnEmptyCompanyStaysEmpty)
{
    // clview and purchent: the company folder is then the data folder itself
    QTemporaryDir root;
    makeCompany(root.path() + QStringLiteral("/data"));
    LinkRecord copy;
    copy.setText(&TLinkSection::Link_data_dir, root.path() + QStringLiteral("/data"));
    translation::MemoryLanguageTables tables;
    tables.addTable(QStringLiteral("clviewen"));
    translation::SetLanguageTableSource(&tables);
    copy.setLangCode(QStringLiteral("en"));
    ModuleDatabase database(QStringLiteral("clviewdb"));
    FirstActivationSetup setup;
    setup.moduleName = QStringLiteral("clview");
    setup.databases = {{&database, true}};
    EXPECT_TRUE(FirstActivation(copy, setup));
    EXPECT_EQ(copy.text(&TLinkSection::Link_company), QString());
    EXPECT_EQ(database.database()->folder(), root.path() + QStringLiteral("/data"));
    EXPECT_TRUE(database.database()->tableExists(QStringLiteral("sup")));
    EXPECT_FALSE(FirstActivation(copy, setup));
    EXPECT_EQ(tables.openCount(), 0); // no form to translate
    translation::SetLanguageTableSource(nullptr);
}
