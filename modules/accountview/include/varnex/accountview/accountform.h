#pragma once
// The account display window and its data module, written once for clients
// (clview) and suppliers (supview); AccountSide says where they differ. The
// thin module libraries derive the design's class names from these.

#include <QDate>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

#include "varnex/accountview/side.h"
#include "varnex/currency.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"
#include "varnex/frame/module.h"
#include "varnex/frame/services.h"
#include "varnex/linksection.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QWidget;

class QChartView;
class QChart;

namespace varnex {
class TStatusBar;
class TVarnexCurrencyField;
class TVarnexDBEdit;
class TVarnexDBGrid;
class TVarnexMaskEdit;
} // namespace varnex

namespace varnex::accountview {

// Name of a statement or source-document line type: message line 0 to 4 for
// "1", "4", "5", "3", "2"; `typeSixLine` for "6" (-1: not named); any other
// type has no name.
int TypeNameLine(const QString& type, int typeSixLine);

class TAccountDataModule : public QObject {
    Q_OBJECT
public:
    explicit TAccountDataModule(const AccountSide& side, QObject* parent = nullptr);
    ~TAccountDataModule() override;

    const AccountSide& side() const { return m_side; }

    frame::ModuleDatabase database;
    data::Query Query1;
    data::Table currentLines;  // Table2 (car) / cap_table (cap)
    data::Table historyLines;  // carh / caph
    data::Table balanceTable;  // cartmp / captmp
    data::Table statsTable;    // svstatc_table / sastats_table
    data::Table periods_table; // clview
    data::Table Table3;        // ivctrl: price list names 6..9
    data::Table Table4;        // ctrl: price list names 1..5, currencies, tax system
    data::Table ctrl;          // aging limits and names
    data::Table virmem;
    data::Table tblTaxRates;
    data::Table facylinder;
    data::Table CliCyln;
    data::Table glm;
    // Detail documents of a statement line.
    data::Table sourceDocument; // arori / apori
    data::Table receiptHeader;  // crorihdr / cdorihdr
    data::Table fahdr;
    data::Table fahdra;
    data::Table fadet; // invoice lines: margin and markup
    data::Table fadeta;
    data::Table arterms; // payment terms of an invoice

    // The session's balance table (name with the session number).
    QString balanceTableName;
    // Reads a line of the window's message list (the type names, yes/no).
    std::function<QString(int)> messageLine;
    // Look-ups made by the calculation handlers, for the tests that show
    // that a statement is shown without scans.
    long long balanceLookups = 0;

    data::Table& statementTable(bool current) { return current ? currentLines : historyLines; }
    // The statement line currently shown by a statement table.
    QString lineField(bool current, const QString& suffix);

    // Sets up the calculation handlers of the tables (before they open).
    void declareCalculatedFields();
    // Every date field of an open data set: the regional mask and format.
    static void ApplyDateFormatTo(data::DataSet& dataSet);

private:
    void statementCalcFields(data::DataSet& lines, bool current);
    void statsCalcFields(data::DataSet& stats);
    void sourceDocumentCalcFields(data::DataSet& document, int accounts, bool transaction);
    void bankCalcFields(data::DataSet& account);
    void invoiceLineCalcFields(data::DataSet& line, const QString& prefix);
    void termsCalcFields(data::DataSet& invoice, const QString& termsField);
    const AccountSide& m_side;
};

// Asks where the chart goes: shows the print dialog when asked and prints.
// Replaceable so that tests neither print nor wait on a dialog.
class ChartPrinter {
public:
    virtual ~ChartPrinter() = default;
    // Returns false when the user cancelled the dialog.
    virtual bool printChart(QChartView* chart, bool showDialog, QWidget* parent) = 0;
};
ChartPrinter& ChartPrinting();
void SetChartPrinter(ChartPrinter* printer);

// "Which document": a purchase with a purchase order shows either.
class TWhichReportForm : public QDialog {
    Q_OBJECT
public:
    explicit TWhichReportForm(QWidget* parent = nullptr);
    QGroupBox* RadioGroup1;
    QRadioButton* PurchaseItem;
    QRadioButton* PurchaseOrderItem;
    QPushButton* OKBtn;
    // 0 purchase, 1 purchase order.
    int itemIndex() const;
};
// Asks which document to show; replaceable for tests. Returns 0 or 1.
using WhichDocumentAsker = std::function<int(TWhichReportForm*)>;
void SetWhichDocumentAsker(WhichDocumentAsker asker);

class TAccountForm : public frame::TModuleForm {
    Q_OBJECT
public:
    TAccountForm(const AccountSide& side, TAccountDataModule* dm, LinkRecord& link, const void* moduleAddress,
                 QWidget* parent = nullptr);
    ~TAccountForm() override;

    const AccountSide& side() const { return m_side; }
    TAccountDataModule* dataModule() const { return m_dm; }

    // ---- components (named as the design names them) ----
    QLabel* Label1; // "Select a field:"
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    TVarnexMaskEdit* VarnexMaskEdit1;
    QPushButton* RefreshButton;
    QTabWidget* PageControl1;
    TVarnexDBGrid* DBGrid1;
    TVarnexDBGrid* DBGrid2;
    TVarnexDBGrid* DBGrid3; // cylinders (clview)
    QPushButton* DetailButton;
    QCheckBox* CheckBox1; // "View current transactions"
    QPushButton* ExitButton;
    QPushButton* HelpButton;
    QToolButton* PrintScreenButton;
    QToolButton* EmailButton;
    QToolButton* QuickLinkButton;
    QPlainTextEdit* IntlStrings1;
    TStatusBar* StatusBar1;
    QLineEdit* Edit1;     // price list name
    QComboBox* ComboBox3; // currency
    QSpinBox* SpinEdit1;  // copies
    QGroupBox* TaxGroup;
    QCheckBox* DBCheckBox1;
    QCheckBox* DBCheckBox2;
    QListWidget* lbTaxes;
    QComboBox* ComboBox4; // statistics year
    QGroupBox* TotalsGroup;
    QList<QLabel*> monthLabels;
    TVarnexCurrencyField* totdols;
    TVarnexCurrencyField* totcost;
    QLineEdit* totqty;
    QChartView* VtChart1;
    QChartView* VtChart2;
    std::array<QLabel*, 5> agingCaptions{};         // Label61..Label65
    std::array<TVarnexCurrencyField*, 5> DBTexts{}; // DBText1..DBText5
    QPushButton* PrintButton;
    QCheckBox* CheckBox2;      // "Display print dialog"
    QLabel* Label51 = nullptr; // "Cost:"
    QLabel* Label48 = nullptr; // "Cost"
    QPlainTextEdit* CommentsMemo;
    QPlainTextEdit* ShipViaMemo = nullptr;
    QLineEdit* BankDescEdit = nullptr; // supview

    // ---- handlers and operations ----
    void SearchAccounts();
    void PageControl1Change(int index);
    void CheckBox1Click();
    void FillBalanceTable(bool current);
    void FillCylinderTable();
    void ShowAging();
    std::array<Currency, 5> ComputeAging(const QDate& today);
    bool PrintAgingChart();
    void ComboBox4Change(int index);
    void ShowStatementDetail();
    void Query1AfterScroll();
    void LoadTaxList();
    void ExitClick();
    void HelpClick();

    // The day aging is measured from (today unless a test fixes it).
    QDate agingToday;
    int taxCount() const { return m_taxCount; }
    // Time of the last handler (for the benchmarks: tab switches, searches).
    bool statementCurrent() const;

protected:
    void FormActivate() override;

private:
    void buildWindow();
    QWidget* buildListTab();
    QWidget* buildGeneralTab();
    QWidget* buildControlTab();
    QWidget* buildCommentsTab();
    QWidget* buildStatementTab();
    QWidget* buildStatisticsTab();
    QWidget* buildGraphTab();
    QWidget* buildCylindersTab();
    void applyInternationalCaptions();
    void setStatementColumns(bool current);
    void showPriceListName();
    void followAccount();
    void fillChart(QChart* chart, const QString& title, bool withAmounts);
    QString line(int n) const;
    QString companyFolder() const;

    const AccountSide& m_side;
    TAccountDataModule* m_dm;
    LinkRecord& m_link;
    const void* m_moduleAddress;
    frame::CurrencySymbolTable m_currencies;
    int m_taxCount = 0;
    bool m_detailRunning = false;
    QString m_followedAccount;
    bool m_followedValid = false;
    QList<TVarnexDBEdit*> m_statsEdits; // Tag 13: bound to the statistics table
    QList<QPair<QCheckBox*, QString>> m_boundChecks;
    QList<QPair<QPlainTextEdit*, QString>> m_boundMemos;
    QStringList m_chartTexts; // DBText1..5 names, for PrintAgingChart
    std::unique_ptr<TWhichReportForm> m_ownedWhich;

public:
    TWhichReportForm* whichForm = nullptr; // supview: created at module entry
};

} // namespace varnex::accountview
