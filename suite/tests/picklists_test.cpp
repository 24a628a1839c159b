#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "modal_driver.h"
#include "varnex/data/database.h"
#include "varnex/data/schema.h"
#include "varnex/data/table.h"
#include "varnex/library.h"
#include "varnex/linksection.h"
#include "varnex/messages.h"
#include "varnex/shell.h"
#include "varnex/translation/window_check.h"

using namespace varnex;
using namespace varnex::data;
using varnex::test_support::ModalDriver;

namespace {

using TextEntry = std::int32_t (*)(VxStr*, TLinkSection);
using NumberEntry = std::int32_t (*)(TLinkSection);

// A company folder with a few rows in the tables the pick lists read.
class PickListFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString folder = root.path() + QStringLiteral("/data1");
        QDir().mkpath(folder);
        db = Database::forFolder(folder);
        for (const char* name : {"sup", "glm", "jcProject", "jcPhase", "JcElem", "ivprod", "cfhdr"})
            db->createTable(*FindTableDef(QString::fromUtf8(name)));
        rows(QStringLiteral("sup"), {{{"Sup_code", "ACME"}, {"Sup_name", "Acme Québec"}, {"Sup_city", "Laval"}},
                                     {{"Sup_code", "BELL"}, {"Sup_name", "Bell Canada"}, {"Sup_city", "Montréal"}},
                                     {{"Sup_code", "COTE"}, {"Sup_name", "Côté et fils"}, {"Sup_city", "Québec"}}});
        rows(QStringLiteral("glm"), {{{"Glm_account", "2100"}, {"Glm_Description", "Comptes fournisseurs"}},
                                     {{"Glm_account", "5010"}, {"Glm_Description", "Achats"}}});
        rows(QStringLiteral("jcProject"), {{{"JcProject_No", "P-100"}}, {{"JcProject_No", "P-200"}}});
        rows(QStringLiteral("jcPhase"), {{{"JcPhase_Code", "FOND"}}, {{"JcPhase_Code", "TOIT"}}});
        rows(QStringLiteral("JcElem"), {{{"JcElem_Code", "MAT"}, {"JcElem_Description", "Matériaux"}},
                                        {{"JcElem_Code", "MO"}, {"JcElem_Description", "Main-d'oeuvre"}}});
        rows(QStringLiteral("ivprod"),
             {{{"Ivprod_line_code", "AB"}, {"Ivprod_item_code", "VIS-10"}, {"Ivprod_desc_1", "Vis"}},
              {{"Ivprod_line_code", "OXY"}, {"Ivprod_item_code", "CYL-50"}, {"Ivprod_desc_1", "Cylindre"}}});
        rows(QStringLiteral("cfhdr"),
             {{{"Cfhdr_doc", "1"}, {"Cfhdr_order_number", "Q-1"}},
              {{"Cfhdr_doc", "2"}, {"Cfhdr_order_number", "PO-7"}, {"Cfhdr_supplier", "ACME"}},
              {{"Cfhdr_doc", "2"}, {"Cfhdr_order_number", "PO-8"}, {"Cfhdr_supplier", "BELL"}}});
        record.setText(&TLinkSection::Link_data_dir, root.path() + QStringLiteral("/data"));
        record.setText(&TLinkSection::Link_company, QStringLiteral("1"));
        record.raw().Link_language = 2;
        record.setLangCode(QStringLiteral("fr")); // the compiled picklistsfr table
    }

    void rows(const QString& table, const std::vector<std::vector<std::pair<const char*, const char*>>>& values)
    {
        Table t;
        t.setDatabase(db);
        t.setTableName(table);
        t.open();
        for (const auto& row : values) {
            t.append();
            for (const auto& [field, value] : row)
                t.field(QString::fromUtf8(field)).setString(QString::fromUtf8(value));
            t.post();
        }
    }

    template <typename Entry>
    Entry entry(SharedLibrary& library, const char* file, const char* name)
    {
        EXPECT_TRUE(library.load(QString::fromUtf8(file), QStringLiteral(VARNEX_BIN_DIR)))
            << library.errorText().toStdString();
        return library.entry<Entry>(name);
    }

    // Runs a text entry point while `steps` drive its window; returns its result and text.
    std::pair<int, QString> runText(const char* file, const char* name, const char* window,
                                    std::function<void(QWidget*)> steps)
    {
        SharedLibrary library;
        auto function = entry<TextEntry>(library, file, name);
        if (function == nullptr)
            return {-99, QString()};
        ModalDriver driver(QString::fromUtf8(window), std::move(steps));
        VxStr slot = vxstr_make("old", 3); // the caller's previous text is released
        const int result = function(&slot, record.value());
        const QString text = LinkText(slot);
        vxstr_release(slot);
        EXPECT_TRUE(driver.ran()) << window;
        EXPECT_FALSE(driver.timedOut()) << window;
        return {result, text};
    }

    int runNumber(const char* file, const char* name, const char* window, std::function<void(QWidget*)> steps)
    {
        SharedLibrary library;
        auto function = entry<NumberEntry>(library, file, name);
        if (function == nullptr)
            return -99;
        ModalDriver driver(QString::fromUtf8(window), std::move(steps));
        const int result = function(record.value());
        EXPECT_TRUE(driver.ran()) << window;
        EXPECT_FALSE(driver.timedOut()) << window;
        return result;
    }

    static std::function<void(QWidget*)> search(const QString& text)
    {
        return [text](QWidget* w) {
            auto* box = w->findChild<QLineEdit*>(QStringLiteral("SearchEdit"));
            QTest::keyClicks(box, text);
            QTest::keyClick(box, Qt::Key_Return);
        };
    }

    static void escape(QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }

    QTemporaryDir root;
    std::shared_ptr<Database> db;
    LinkRecord record;
};

} // namespace

TEST_F(PickListFixture, EachListReturnsTheChosenCode)
{
    EXPECT_EQ(runText("suppick.so", "ApGetSupplier", "SupplierPick", search(QStringLiteral("montr"))),
              std::make_pair(1, QStringLiteral("BELL")));
    EXPECT_EQ(runNumber("accpick.so", "GlGetAccount", "AccountPick", search(QStringLiteral("achat"))), 5010);
    EXPECT_EQ(runText("projpick.so", "Getproject", "ProjectPick", search(QStringLiteral("200"))),
              std::make_pair(1, QStringLiteral("P-200")));
    EXPECT_EQ(runNumber("phasepick.so", "Getphase", "PhasePick", search(QStringLiteral("toit"))), 2);
    EXPECT_EQ(runText("elempick.so", "Getelem", "ElementPick", search(QStringLiteral("main"))),
              std::make_pair(1, QStringLiteral("MO")));
    // the line code keeps three characters, padded
    EXPECT_EQ(runText("prodpick.so", "GetLineCd", "ProductPick", search(QStringLiteral("vis"))),
              std::make_pair(1, QStringLiteral("AB VIS-10")));
    record.setText(&TLinkSection::Link_context, QStringLiteral("2"));
    EXPECT_EQ(runText("docpick.so", "CfhdrGetDoc", "DocumentPick", search(QStringLiteral("bell"))),
              std::make_pair(1, QStringLiteral("PO-8")));
}

TEST_F(PickListFixture, EscapeGivesAnEmptyResult)
{
    EXPECT_EQ(runText("suppick.so", "ApGetSupplier", "SupplierPick", escape), std::make_pair(0, QString()));
    EXPECT_EQ(runNumber("accpick.so", "GlGetAccount", "AccountPick", escape), 0);
    EXPECT_EQ(runNumber("phasepick.so", "Getphase", "PhasePick", escape), 0);
    EXPECT_EQ(runText("prodpick.so", "GetLineCd", "ProductPick", escape), std::make_pair(0, QString()));
}

TEST_F(PickListFixture, DoubleClickChoosesAndTheListIsInTheUsersLanguage)
{
    auto steps = [](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Fournisseurs"));
        auto* grid = w->findChild<QTableView*>(QStringLiteral("PickGrid"));
        EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nom"));
        EXPECT_EQ(w->findChild<QWidget*>(QStringLiteral("CancelBtn"))->property("text").toString(),
                  QStringLiteral("Annuler"));
        for (const char* table : {"picklistsen", "picklistsfr"})
            EXPECT_TRUE(varnex::translation::CheckWindowTexts(w, QLatin1String(table)).isEmpty()) << table;
        ASSERT_EQ(grid->model()->rowCount(), 3);
        const QRect cell = grid->visualRect(grid->model()->index(2, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    };
    EXPECT_EQ(runText("suppick.so", "ApGetSupplier", "SupplierPick", steps), std::make_pair(1, QStringLiteral("COTE")));
}

TEST_F(PickListFixture, DocumentListOffersOnlyTheKindAsked)
{
    record.setText(&TLinkSection::Link_context, QStringLiteral("2"));
    auto steps = [](QWidget* w) {
        auto* grid = w->findChild<QTableView*>(QStringLiteral("PickGrid"));
        EXPECT_EQ(grid->model()->rowCount(), 2);
        QTest::keyClick(w, Qt::Key_Escape);
    };
    EXPECT_EQ(runText("docpick.so", "CfhdrGetDoc", "DocumentPick", steps), std::make_pair(0, QString()));
}

TEST_F(PickListFixture, QuickLinkWindowIsCaptionedByLanguage)
{
    RecordingShellService shell;
    auto steps = [](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Lien Rapide"));
        auto* links = w->findChild<QListWidget*>(QStringLiteral("LinkList"));
        ASSERT_EQ(links->count(), 3);
        EXPECT_EQ(links->item(0)->text(), QStringLiteral("Ouvrir le dossier de la compagnie"));
        EXPECT_EQ(links->item(2)->text(), QString::fromUtf8("Écrire un courriel"));
        for (const char* table : {"picklistsen", "picklistsfr"})
            EXPECT_TRUE(varnex::translation::CheckWindowTexts(w, QLatin1String(table)).isEmpty()) << table;
        links->setCurrentRow(0);
        Q_EMIT links->itemActivated(links->item(0));
        QTest::keyClick(w, Qt::Key_Escape);
    };
    runNumber("linkpanel.so", "QuickLink", "QuickLinkForm", steps);
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0].toLocalFile(), root.path() + QStringLiteral("/data1"));
    record.raw().Link_language = 1;
    record.setLangCode(QStringLiteral("en"));
    runNumber("linkpanel.so", "QuickLink", "QuickLinkForm", [](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Quick Link"));
        EXPECT_EQ(w->findChild<QListWidget*>(QStringLiteral("LinkList"))->item(1)->text(),
                  QStringLiteral("Help contents"));
        QTest::keyClick(w, Qt::Key_Escape);
    });
}

TEST_F(PickListFixture, AMissingTableIsReportedNotFatal)
{
    db->dropTable(QStringLiteral("glm"));
    SharedLibrary library;
    auto function = entry<NumberEntry>(library, "accpick.so", "GlGetAccount");
    ASSERT_NE(function, nullptr);
    RecordingMessageService messages;
    EXPECT_EQ(function(record.value()), 0);
    EXPECT_EQ(messages.shown.size(), 1);
}
