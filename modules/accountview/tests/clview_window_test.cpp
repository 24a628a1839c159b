// The client display window driven through its named components.
#include "account_fixture.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "varnex/accountview/reports.h"
#include "varnex/statusbar.h"
#include "varnex/translation/window_check.h"
#include "varnex/widgets/dbwidgets.h"

using namespace varnex;
using namespace varnex::accountview;
using namespace varnex::accountview::test;

namespace {

class ClientWindow : public AccountWindowFixture {
protected:
    void addClient(const char* code, const char* name, int priceList = 0)
    {
        AddRow(db, QStringLiteral("cli"),
               {{QStringLiteral("Cli_code"), QString::fromLatin1(code)},
                {QStringLiteral("Cli_name"), QString::fromUtf8(name)},
                {QStringLiteral("Cli_price_list"), priceList},
                {QStringLiteral("Cli_currency"), 0}});
    }
    void addLine(const char* table, const char* client, const char* invoice, const char* ref, const QDate& date,
                 const char* type, const char* amount)
    {
        AddRow(db, QString::fromLatin1(table),
               {{QStringLiteral("Car_client"), QString::fromLatin1(client)},
                {QStringLiteral("Car_invoice"), QString::fromLatin1(invoice)},
                {QStringLiteral("Car_ref"), QString::fromLatin1(ref)},
                {QStringLiteral("Car_date"), date},
                {QStringLiteral("Car_type"), QString::fromLatin1(type)},
                {QStringLiteral("Car_amount"), Money(amount)}});
    }
    // Puts the list on a client by its code, as a click in the list does.
    void selectClient(const char* code)
    {
        data::Query& q = dm->Query1;
        for (q.first(); !q.eof(); q.next())
            if (q.field(QStringLiteral("Cli_code")).asString() == QLatin1String(code))
                return;
        ADD_FAILURE() << "no client " << code;
    }
    QStringList gridColumn(TVarnexDBGrid* grid, int column)
    {
        QStringList values;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            values << grid->model()->index(row, column).data().toString();
        return values;
    }
    QString messageLine(int n) { return form->IntlStrings1->toPlainText().split(QLatin1Char('\n')).value(n); }
};

} // namespace

TEST_F(ClientWindow, FirstActivationSetsUpTheWindowInOrder)
{
    addClient("ABC01", "ABCO");
    setCtrl({{QStringLiteral("Ctrl_curr1_name"), QStringLiteral("US dollar")},
             {QStringLiteral("Ctrl_curr1_sign"), QStringLiteral("US")}});
    QFile years(companyFolder + QStringLiteral("/SvstatYears"));
    QFile::remove(years.fileName());
    TAccountForm& w = open(ClientSide());
    EXPECT_EQ(w.objectName(), QStringLiteral("clview_frm"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Display of clients"));
    EXPECT_EQ(w.size(), QSize(692, 385));
    const QStringList tabs = {
        QStringLiteral("List"),      QStringLiteral("General"),          QStringLiteral("Control information"),
        QStringLiteral("Comments "), QStringLiteral("Client statement"), QStringLiteral("Client statistics"),
        QStringLiteral("Graph"),     QStringLiteral("Cylinders")};
    ASSERT_EQ(w.PageControl1->count(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(w.PageControl1->tabText(i), tabs[i]);
    EXPECT_EQ(w.ComboBox1->count(), 43);
    EXPECT_EQ(w.ComboBox1->currentIndex(), 0);
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("="));
    EXPECT_EQ(w.StatusBar1->panelText(0), QStringLiteral("1-Quincaillerie Côté"));
    EXPECT_EQ(w.StatusBar1->panelText(1), QStringLiteral("Marie"));
    // currencies: "Default" then the company's four names
    ASSERT_EQ(w.ComboBox3->count(), 5);
    EXPECT_EQ(w.ComboBox3->itemText(0), QStringLiteral("Default"));
    EXPECT_EQ(w.ComboBox3->itemText(1), QStringLiteral("US dollar"));
    // months from the periods table, the home symbol before the cost captions
    EXPECT_EQ(w.monthLabels[0]->text(), data::PeriodName(1, 1));
    EXPECT_EQ(w.monthLabels[11]->text(), data::PeriodName(12, 1));
    EXPECT_EQ(w.Label51->text(), QStringLiteral("$ Cost:"));
    EXPECT_EQ(w.Label48->text(), QStringLiteral("$ Cost"));
    // GST/PST company: the two boxes, no check list
    EXPECT_FALSE(w.DBCheckBox1->isHidden());
    EXPECT_TRUE(w.lbTaxes->isHidden());
    // work tables of the session, the cylinder table, the unposted scratch record
    EXPECT_TRUE(db->tableExists(QStringLiteral("Cartmp3")));
    EXPECT_TRUE(db->tableExists(QStringLiteral("CliCyln3")));
    EXPECT_TRUE(db->tableExists(QStringLiteral("FaCylinder")));
    EXPECT_EQ(dm->virmem.state(), data::DataSetState::Insert);
    // a missing years file is created empty and only "Current" is offered
    EXPECT_TRUE(years.exists());
    EXPECT_EQ(w.ComboBox4->count(), 1);
    EXPECT_EQ(w.TotalsGroup->title(), QStringLiteral("Total : Current"));
    EXPECT_TRUE(translation::CheckWindowTexts(&w, QStringLiteral("clviewen")).isEmpty())
        << translation::CheckWindowTexts(&w, QStringLiteral("clviewen")).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(translation::CheckWindowTexts(&w, QStringLiteral("clviewfr")).isEmpty());
    for (int line : {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 13, 14, 15})
        EXPECT_FALSE(messageLine(line).isEmpty()) << line;
}

TEST_F(ClientWindow, FrenchInternationalCaptionsAndYearsListedNewestFirst)
{
    SettingsStore::machine().setValue(QStringLiteral("Settings"), QStringLiteral("Intl"), QStringLiteral("y"));
    link.raw().Link_language = 2;
    link.setLangCode(QStringLiteral("fr"));
    {
        QFile years(companyFolder + QStringLiteral("/SvstatYears"));
        ASSERT_TRUE(years.open(QIODevice::WriteOnly | QIODevice::Truncate));
        years.write("2001\n2002\n");
    }
    TAccountForm& w = open(ClientSide());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Affichage des clients"));
    EXPECT_EQ(w.DBCheckBox1->text(), QStringLiteral("Charger taxe 1"));
    EXPECT_EQ(w.DBCheckBox2->text(), QStringLiteral("Charger taxe 2"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label24"))->text(), QStringLiteral("Adresse ligne 1"));
    ASSERT_EQ(w.ComboBox4->count(), 3);
    EXPECT_EQ(w.ComboBox4->itemText(0), QStringLiteral("Courante"));
    EXPECT_EQ(w.ComboBox4->itemText(1), QStringLiteral("2002"));
    EXPECT_EQ(w.ComboBox4->itemText(2), QStringLiteral("2001"));
    EXPECT_EQ(w.TotalsGroup->title(), QStringLiteral("Total : Courante"));
}

TEST_F(ClientWindow, EnglishInternationalCaptions)
{
    SettingsStore::machine().setValue(QStringLiteral("Settings"), QStringLiteral("Intl"), QStringLiteral("Y"));
    TAccountForm& w = open(ClientSide());
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label27"))->text(), QStringLiteral("State"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label29"))->text(), QStringLiteral("Zip code"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label38"))->text(), QStringLiteral("Date last NSF check"));
    EXPECT_EQ(w.DBCheckBox1->text(), QStringLiteral("Charge tax 1"));
}

TEST_F(ClientWindow, MultiTaxCompanyShowsTheTaxListMarkedPerClient)
{
    setCtrl({{QStringLiteral("Ctrl_TaxSystem"), 1}});
    for (const char* tax : {"TPS", "TVQ", "Taxe verte"})
        AddRow(db, QStringLiteral("taxrates"), {{QStringLiteral("TaxRates_Description"), QString::fromLatin1(tax)}});
    AddRow(db, QStringLiteral("cli"),
           {{QStringLiteral("Cli_code"), QStringLiteral("A1")},
            {QStringLiteral("Cli_tax_fed"), true},
            {QStringLiteral("Cli_tax_pro"), false},
            {QStringLiteral("Cli_tax3"), true}});
    TAccountForm& w = open(ClientSide());
    EXPECT_TRUE(w.DBCheckBox1->isHidden());
    EXPECT_FALSE(w.lbTaxes->isHidden());
    EXPECT_EQ(w.taxCount(), 3);
    ASSERT_EQ(w.lbTaxes->count(), 3);
    EXPECT_EQ(w.lbTaxes->item(2)->text(), QStringLiteral("Taxe verte"));
    EXPECT_EQ(w.lbTaxes->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(w.lbTaxes->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w.lbTaxes->item(2)->checkState(), Qt::Checked);
}

TEST_F(ClientWindow, PriceListNameKeepsThePreviousNameForNumbersWithoutAList)
{
    setCtrl({{QStringLiteral("Ctrl_pl_name2"), QStringLiteral("Détaillant")}});
    {
        data::Table ivctrl;
        ivctrl.setDatabase(db);
        ivctrl.setTableName(QStringLiteral("ivctrl"));
        ivctrl.open();
        ivctrl.first();
        ivctrl.edit();
        ivctrl.field(QStringLiteral("Ivctrl_pl_name7")).setString(QStringLiteral("Grossiste"));
        ivctrl.post();
    }
    addClient("A1", "a", 2);
    addClient("A2", "b", 0);
    addClient("A3", "c", 10);
    addClient("A4", "d", 7);
    TAccountForm& w = open(ClientSide());
    struct Case {
        const char* code;
        const char* shown;
    };
    for (const Case& c :
         {Case{"A1", "Détaillant"}, Case{"A2", "Détaillant"}, Case{"A3", "Détaillant"}, Case{"A4", "Grossiste"}}) {
        selectClient(c.code);
        EXPECT_EQ(w.Edit1->text(), QString::fromUtf8(c.shown)) << c.code;
    }
}

TEST_F(ClientWindow, StatementShowsTypeNamesAndTheRunningBalance)
{
    addClient("A1", "a");
    addClient("B2", "b");
    const QDate d(2024, 5, 1);
    addLine("car", "A1", "1001", "R1", d, "1", "100.00");
    addLine("car", "A1", "1001", "R2", d.addDays(3), "2", "-40.25");
    addLine("car", "A1", "1002", "R3", d.addDays(5), "6", "10.0001");
    addLine("car", "A1", "1003", "R4", d.addDays(6), "7", "5");
    addLine("car", "B2", "2001", "R9", d, "1", "999");
    addLine("carh", "A1", "0900", "H1", d.addYears(-1), "1", "70");
    TAccountForm& w = open(ClientSide());
    selectClient("A1");
    w.PageControl1->setCurrentIndex(4);
    EXPECT_TRUE(w.CheckBox1->isVisible());
    ASSERT_EQ(w.DBGrid2->model()->rowCount(), 4);
    EXPECT_EQ(gridColumn(w.DBGrid2, 0), QStringList({"1001", "1001", "1002", "1003"}));
    EXPECT_EQ(gridColumn(w.DBGrid2, 3), QStringList({messageLine(0), messageLine(4), messageLine(10), QString()}));
    EXPECT_EQ(gridColumn(w.DBGrid2, 6), QStringList({"100.00", "59.75", "69.75", "74.75"}));
    // history
    QTest::mouseClick(w.CheckBox1, Qt::LeftButton, {}, QPoint(4, w.CheckBox1->height() / 2));
    EXPECT_FALSE(w.CheckBox1->isChecked());
    EXPECT_EQ(gridColumn(w.DBGrid2, 0), QStringList({"0900"}));
    EXPECT_EQ(gridColumn(w.DBGrid2, 6), QStringList({"70.00"}));
    // leaving the tab hides the check box
    w.PageControl1->setCurrentIndex(1);
    EXPECT_FALSE(w.CheckBox1->isVisible());
}

TEST_F(ClientWindow, ALineAddedAfterTheBalanceWasFilledShowsNoBalance)
{
    addClient("A1", "a");
    addLine("car", "A1", "1001", "R1", QDate(2024, 5, 1), "1", "100");
    TAccountForm& w = open(ClientSide());
    w.PageControl1->setCurrentIndex(4);
    ASSERT_EQ(gridColumn(w.DBGrid2, 6), QStringList({"100.00"}));
    // another workstation posts a line; the grid reads it, the balance table does not have it
    addLine("car", "A1", "1000", "R0", QDate(2024, 4, 1), "1", "25");
    dm->currentLines.refresh();
    w.DBGrid2->gridModel()->reload();
    EXPECT_EQ(gridColumn(w.DBGrid2, 0), QStringList({"1000", "1001"}));
    EXPECT_EQ(gridColumn(w.DBGrid2, 6), QStringList({QString(), "100.00"}));
    // the balance is found by key for every line shown, never by walking
    const long long before = dm->balanceLookups;
    w.DBGrid2->gridModel()->reload();
    EXPECT_LE(dm->balanceLookups - before, 6);
}

TEST_F(ClientWindow, NoStatementLinesGivesAnEmptyGridAndZeroAging)
{
    addClient("A1", "a");
    TAccountForm& w = open(ClientSide());
    w.PageControl1->setCurrentIndex(4);
    EXPECT_EQ(w.DBGrid2->model()->rowCount(), 0);
    w.PageControl1->setCurrentIndex(6);
    for (TVarnexCurrencyField* amount : w.DBTexts)
        EXPECT_EQ(amount->value(), Currency());
}

TEST_F(ClientWindow, EveryLineOfAnInvoiceAgesFromItsFirstLine)
{
    setCtrl({{QStringLiteral("Ctrl_ar_days1"), 30},
             {QStringLiteral("Ctrl_ar_days2"), 60},
             {QStringLiteral("Ctrl_ar_days3"), 90},
             {QStringLiteral("Ctrl_ar_days4"), 120},
             {QStringLiteral("Ctrl_ar_dname1"), QStringLiteral("Current")},
             {QStringLiteral("Ctrl_ar_dname2"), QStringLiteral("31-60")},
             {QStringLiteral("Ctrl_ar_dname3"), QStringLiteral("61-90")},
             {QStringLiteral("Ctrl_ar_dname4"), QStringLiteral("91-120")},
             {QStringLiteral("Ctrl_ar_dname5"), QStringLiteral("Over 120")}});
    addClient("A1", "Atelier Côté");
    const QDate today(2024, 6, 30);
    addLine("car", "A1", "1001", "R1", today.addDays(-45), "1", "200");
    addLine("car", "A1", "1001", "R2", today, "2", "-50");
    addLine("car", "A1", "1002", "R3", today.addDays(-200), "1", "10.99");
    addLine("carh", "A1", "0001", "H1", today.addDays(-10), "1", "1000"); // history never ages
    TAccountForm& w = open(ClientSide());
    w.agingToday = today;
    w.PageControl1->setCurrentIndex(6);
    const QList<Currency> expected = {Currency(), *Currency::parse(QStringLiteral("150")), Currency(), Currency(),
                                      *Currency::parse(QStringLiteral("10.99"))};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(w.DBTexts[static_cast<size_t>(i)]->value(), expected[i]) << "bucket " << i + 1;
        EXPECT_EQ(dm->virmem.field(QStringLiteral("Curr_%1").arg(i + 1)).asMoney(), expected[i]);
    }
    EXPECT_EQ(w.agingCaptions[4]->text(), QStringLiteral("Over 120"));

    // the chart: five bars, whole units, labelled by the aging names, titled
    QChart* chart = w.VtChart1->chart();
    EXPECT_EQ(chart->title(), QStringLiteral("Aging of accounts"));
    ASSERT_EQ(chart->series().size(), 1);
    auto* series = qobject_cast<QBarSeries*>(chart->series().first());
    ASSERT_NE(series, nullptr);
    ASSERT_EQ(series->barSets().size(), 1);
    QBarSet* bars = series->barSets().first();
    ASSERT_EQ(bars->count(), 5);
    EXPECT_EQ(bars->at(1), 150.0);
    EXPECT_EQ(bars->at(4), 10.0);
    auto* axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->categories(), QStringList({"Current", "31-60", "61-90", "91-120", "Over 120"}));
    // rendered offscreen: a picture with the bar colour where the two bars stand
    w.VtChart1->resize(500, 320);
    const QImage picture = w.VtChart1->grab().toImage();
    const QString png = root.path() + QStringLiteral("/aging.png");
    ASSERT_TRUE(picture.save(png));
    QImage read(png);
    ASSERT_FALSE(read.isNull());
    const QColor barColour = bars->color();
    int barPixels = 0;
    for (int y = 0; y < read.height(); ++y)
        for (int x = 0; x < read.width(); ++x)
            barPixels += read.pixelColor(x, y) == barColour;
    EXPECT_GT(barPixels, 200);
}

TEST_F(ClientWindow, PrintingTheChartNamesTheClientAndTheAmounts)
{
    struct Recorder : ChartPrinter {
        bool printChart(QChartView* chart, bool showDialog, QWidget*) override
        {
            title = chart->chart()->title();
            dialog = showDialog;
            auto* axis = qobject_cast<QBarCategoryAxis*>(chart->chart()->axes(Qt::Horizontal).value(0));
            labels = axis ? axis->categories() : QStringList();
            return true;
        }
        QString title;
        bool dialog = false;
        QStringList labels;
    } printer;
    SetChartPrinter(&printer);
    setCtrl({{QStringLiteral("Ctrl_ar_days1"), 30},
             {QStringLiteral("Ctrl_ar_days2"), 60},
             {QStringLiteral("Ctrl_ar_days3"), 90},
             {QStringLiteral("Ctrl_ar_days4"), 120},
             {QStringLiteral("Ctrl_ar_dname1"), QStringLiteral("Current")}});
    addClient("A1", "Atelier Côté");
    addLine("car", "A1", "1001", "R1", QDate::currentDate(), "1", "1234.5");
    TAccountForm& w = open(ClientSide());
    w.PageControl1->setCurrentIndex(6);
    QTest::mouseClick(w.CheckBox2, Qt::LeftButton, {}, QPoint(4, w.CheckBox2->height() / 2));
    QTest::mouseClick(w.PrintButton, Qt::LeftButton);
    SetChartPrinter(nullptr);
    EXPECT_EQ(printer.title, QStringLiteral("Aging of accounts\nAtelier Côté"));
    EXPECT_TRUE(printer.dialog);
    ASSERT_EQ(printer.labels.size(), 5);
    EXPECT_EQ(printer.labels[0], QStringLiteral("Current: 1,234.50"));
}

TEST_F(ClientWindow, StatisticsTotalMonthsOneToTwelveOnly)
{
    addClient("A1", "a");
    addClient("B2", "b");
    AddRow(
        db, QStringLiteral("svstatc"),
        {{QStringLiteral("Svstatc_client"), QStringLiteral("A1")}, {QStringLiteral("Svstatc_dols13"), Money("500")}});
    AddRow(db, QStringLiteral("svstatc"),
           {{QStringLiteral("Svstatc_client"), QStringLiteral("B2")},
            {QStringLiteral("Svstatc_dols1"), Money("10.10")},
            {QStringLiteral("Svstatc_dols12"), Money("0.01")},
            {QStringLiteral("Svstatc_cost3"), Money("4")},
            {QStringLiteral("Svstatc_Qty2"), 1.5},
            {QStringLiteral("Svstatc_Qty13"), 99.0}});
    TAccountForm& w = open(ClientSide());
    w.PageControl1->setCurrentIndex(5);
    selectClient("A1");
    EXPECT_EQ(w.totdols->value(), Currency());
    selectClient("B2");
    EXPECT_EQ(w.totdols->value(), *Currency::parse(QStringLiteral("10.11")));
    EXPECT_EQ(w.totcost->value(), *Currency::parse(QStringLiteral("4")));
    EXPECT_EQ(w.totqty->text(), QStringLiteral("1.50"));
}

TEST_F(ClientWindow, AnArchivedYearOpensItsOwnTableAndAMissingOneFails)
{
    addClient("A1", "a");
    db->createTableLike(QStringLiteral("svstatc2002"), QStringLiteral("svstatc"));
    AddRow(db, QStringLiteral("svstatc2002"),
           {{QStringLiteral("Svstatc_client"), QStringLiteral("A1")}, {QStringLiteral("Svstatc_dols5"), Money("77")}});
    {
        QFile years(companyFolder + QStringLiteral("/SvstatYears"));
        ASSERT_TRUE(years.open(QIODevice::WriteOnly | QIODevice::Truncate));
        years.write("2001\n2002\n");
    }
    TAccountForm& w = open(ClientSide());
    w.PageControl1->setCurrentIndex(5);
    w.ComboBox4->setCurrentIndex(1);
    w.ComboBox4Change(1);
    EXPECT_EQ(w.TotalsGroup->title(), QStringLiteral("Total : 2002"));
    EXPECT_EQ(w.totdols->value(), *Currency::parse(QStringLiteral("77")));
    w.ComboBox4->setCurrentIndex(2);
    EXPECT_THROW(w.ComboBox4Change(2), data::EngineError);
}

TEST_F(ClientWindow, CylinderBalancesCountTheOpeningLine)
{
    addClient("A1", "a");
    AddRow(db, QStringLiteral("ivprod"),
           {{QStringLiteral("Ivprod_line_code"), QStringLiteral("GAZ")},
            {QStringLiteral("Ivprod_item_code"), QStringLiteral("PROP20")},
            {QStringLiteral("Ivprod_desc_1"), QStringLiteral("Propane 20 lb")}});
    TAccountForm& w = open(ClientSide());
    auto movement = [this](const char* invoice, double delivered, double received, double opening) {
        AddRow(db, QStringLiteral("FaCylinder"),
               {{QStringLiteral("FaCylinder_Client"), QStringLiteral("A1")},
                {QStringLiteral("FaCylinder_Line_Code"), QStringLiteral("GAZ")},
                {QStringLiteral("FaCylinder_Item_Code"), QStringLiteral("PROP20")},
                {QStringLiteral("FaCylinder_Invoice"), QString::fromLatin1(invoice)},
                {QStringLiteral("FaCylinder_Delivered"), delivered},
                {QStringLiteral("FaCylinder_Received"), received},
                {QStringLiteral("FaCylinder_Opening"), opening}});
    };
    movement("", 0, 0, 4);
    movement("1001", 10, 0, 0);
    movement("1002", 0, 6, 0);
    w.PageControl1->setCurrentIndex(7);
    ASSERT_EQ(w.DBGrid3->model()->rowCount(), 1);
    EXPECT_EQ(gridColumn(w.DBGrid3, 2), QStringList({"Propane 20 lb"}));
    EXPECT_EQ(gridColumn(w.DBGrid3, 3), QStringList({"10"}));
    EXPECT_EQ(gridColumn(w.DBGrid3, 4), QStringList({"6"}));
    EXPECT_EQ(gridColumn(w.DBGrid3, 5), QStringList({"8"}));
}

TEST_F(ClientWindow, DetailOpensTheDocumentOfTheLineOrSaysThereIsNone)
{
    RecordingStatementReports reports;
    addClient("A1", "a");
    const QDate d(2024, 5, 1);
    addLine("car", "A1", "1001", "R1", d, "1", "100");   // current invoice
    addLine("car", "A1", "1002", "R2", d, "1", "50");    // archived invoice
    addLine("car", "A1", "1003", "R3", d, "4", "5");     // entered debit note
    addLine("car", "A1", "1001", "CH7", d, "2", "-100"); // receipt
    addLine("car", "A1", "1004", "R5", d, "3", "1");     // nothing behind it
    addLine("car", "A1", "1005", "CH8", d, "2", "-1");   // receipt without header
    AddRow(db, QStringLiteral("fahdr"),
           {{QStringLiteral("Fahdr_doc"), QStringLiteral("1")},
            {QStringLiteral("Fahdr_invoice"), QStringLiteral("1001")}});
    AddRow(db, QStringLiteral("fahdra"),
           {{QStringLiteral("Fahdra_doc"), QStringLiteral("1")},
            {QStringLiteral("Fahdra_invoice"), QStringLiteral("1002")}});
    AddRow(db, QStringLiteral("arori"),
           {{QStringLiteral("Reference"), QStringLiteral("1003")},
            {QStringLiteral("Client"), QStringLiteral("A1")},
            {QStringLiteral("Date"), d},
            {QStringLiteral("Dr_cr_reference"), QStringLiteral("R3")}});
    AddRow(db, QStringLiteral("crorihdr"),
           {{QStringLiteral("Reference"), QStringLiteral("CH7")},
            {QStringLiteral("Client"), QStringLiteral("A1")},
            {QStringLiteral("Date"), d}});
    TAccountForm& w = open(ClientSide());
    w.PageControl1->setCurrentIndex(4);
    data::Table& lines = dm->currentLines;
    QStringList infos;
    for (lines.first(); !lines.eof(); lines.next()) {
        const QString ref = lines.field(QStringLiteral("Car_ref")).asString();
        messages.shown.clear();
        QTest::mouseClick(w.DetailButton, Qt::LeftButton);
        EXPECT_TRUE(w.DetailButton->isEnabled());
        if (!messages.shown.isEmpty())
            infos << ref + QLatin1Char(':') + messages.shown[0].text;
    }
    EXPECT_EQ(reports.requests, QStringList({"Receipt:1001:CH7:2", "Invoice:1001:R1:1", "ArchivedInvoice:1002:R2:1",
                                             "Transaction:1003:R3:4"}));
    EXPECT_EQ(infos, QStringList({QStringLiteral("R5:") + messageLine(7), QStringLiteral("CH8:") + messageLine(7)}));
}

TEST_F(ClientWindow, ComputedFieldsOfTheSourceDocuments)
{
    AddRow(db, QStringLiteral("glm"),
           {{QStringLiteral("Glm_account"), 4000}, {QStringLiteral("Glm_Description"), QStringLiteral("Ventes")}});
    AddRow(db, QStringLiteral("glm"),
           {{QStringLiteral("Glm_account"), 1100}, {QStringLiteral("Glm_Description"), QStringLiteral("Clients")}});
    AddRow(db, QStringLiteral("arori"),
           {{QStringLiteral("Reference"), QStringLiteral("1003")},
            {QStringLiteral("Client"), QStringLiteral("A1")},
            {QStringLiteral("Trx_type"), QStringLiteral("6")},
            {QStringLiteral("Direct_cash_sale"), true},
            {QStringLiteral("Account1"), 4000},
            {QStringLiteral("Account2"), 0},
            {QStringLiteral("Account3"), 9999},
            {QStringLiteral("Account4"), 1100}});
    AddRow(db, QStringLiteral("arterms"),
           {{QStringLiteral("Arterms_code"), 2}, {QStringLiteral("Arterms_desc"), QStringLiteral("Net 30")}});
    AddRow(db, QStringLiteral("fahdr"),
           {{QStringLiteral("Fahdr_doc"), QStringLiteral("1")},
            {QStringLiteral("Fahdr_invoice"), QStringLiteral("1")},
            {QStringLiteral("Fahdr_terms"), 2}});
    AddRow(db, QStringLiteral("fahdr"),
           {{QStringLiteral("Fahdr_doc"), QStringLiteral("1")},
            {QStringLiteral("Fahdr_invoice"), QStringLiteral("2")},
            {QStringLiteral("Fahdr_terms"), 5}});
    struct Line {
        const char* total;
        const char* cost;
        QVariant margin;
        QVariant markup;
    };
    const QList<Line> lines = {
        {"0", "10", QVariant(), -100.0}, {"150", "100", 100.0 / 3.0, 50.0}, {"20", "0", 100.0, QVariant()}};
    for (const Line& l : lines)
        AddRow(db, QStringLiteral("fadet"),
               {{QStringLiteral("Fadet_doc"), QStringLiteral("1")},
                {QStringLiteral("Fadet_invoice"), QStringLiteral("1")},
                {QStringLiteral("Fadet_total"), Money(l.total)},
                {QStringLiteral("Fadet_cost"), Money(l.cost)}});
    open(ClientSide());
    data::Table& arori = dm->sourceDocument;
    arori.open();
    arori.first();
    EXPECT_EQ(arori.field(QStringLiteral("desc1")).asString(), QStringLiteral("Ventes"));
    EXPECT_EQ(arori.field(QStringLiteral("desc2")).asString(), QString()); // account 0
    EXPECT_EQ(arori.field(QStringLiteral("desc3")).asString(), QString()); // not in the chart
    EXPECT_EQ(arori.field(QStringLiteral("desc4")).asString(), QStringLiteral("Clients"));
    EXPECT_EQ(arori.field(QStringLiteral("strType")).asString(), QString()); // "6" is not named on documents
    EXPECT_EQ(arori.field(QStringLiteral("dir_cash_sale")).asString(), messageLine(8));
    data::Table& fadet = dm->fadet;
    fadet.open();
    int n = 0;
    for (fadet.first(); !fadet.eof(); fadet.next(), ++n) {
        EXPECT_EQ(fadet.field(QStringLiteral("margin")).value().isValid(), lines[n].margin.isValid()) << n;
        EXPECT_EQ(fadet.field(QStringLiteral("markup")).value().isValid(), lines[n].markup.isValid()) << n;
        if (lines[n].margin.isValid()) {
            EXPECT_NEAR(fadet.field(QStringLiteral("margin")).asNumber(), lines[n].margin.toDouble(), 1e-9) << n;
        }
        if (lines[n].markup.isValid()) {
            EXPECT_NEAR(fadet.field(QStringLiteral("markup")).asNumber(), lines[n].markup.toDouble(), 1e-9) << n;
        }
    }
    EXPECT_EQ(n, 3);
    data::Table& fahdr = dm->fahdr;
    fahdr.open();
    fahdr.first();
    EXPECT_EQ(fahdr.field(QStringLiteral("terms")).asString(), QStringLiteral("Net 30"));
    fahdr.next();
    EXPECT_EQ(fahdr.field(QStringLiteral("terms")).asString(), QString()); // terms 5 do not exist
}

TEST_F(ClientWindow, ExitCancelsTheScratchRecordAndClosesTheTables)
{
    addClient("A1", "a");
    TAccountForm& w = open(ClientSide());
    const int before = [this] {
        data::Table v;
        v.setFolder(dataRoot);
        v.setTableName(QStringLiteral("virmem"));
        v.open();
        return v.recordCount();
    }();
    QTest::mouseClick(child<QPushButton>(QStringLiteral("Exit_btn")), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(dm->database.connected());
    EXPECT_FALSE(dm->Query1.isOpen());
    EXPECT_FALSE(dm->virmem.isOpen());
    data::Table v;
    v.setFolder(dataRoot);
    v.setTableName(QStringLiteral("virmem"));
    v.open();
    EXPECT_EQ(v.recordCount(), before);
}
