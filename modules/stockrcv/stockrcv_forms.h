#pragma once
// The stock receipt module: its data module, the receipt window and its
// dialogs. The window gathers a receipt (header, lines in the per-session work
// table, serial numbers, container counts, project) and hands it to the
// ledger's receipt posting in one call; it writes no shared table itself.

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <map>
#include <optional>

#include "varnex/currency.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"
#include "varnex/frame/module.h"
#include "varnex/frame/services.h"
#include "varnex/linksection.h"
#include "varnex/widgets/dbwidgets.h"

#include "stockrcv_lines.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace varnex {
class TStatusBar;
class TVarnexMaskEdit;
} // namespace varnex

namespace varnex::stockrcv {

// The session record of the module call (the module's own copy).
LinkRecord& ModuleLink();
// The application's exception event while the receipt window is open: an
// error that reaches it is shown (a dropped error would let a failed action
// look done).
void ModuleExceptionHandler(std::exception_ptr error);

// Columns of the receipt grid DBGrid3.
enum ReceiptColumn { ColLine, ColItem, ColDesc, ColQtyOrder, ColQtyReceived, ColCost, ColTotal, ColumnCount };

class Tstockrcv_dm : public QObject {
    Q_OBJECT
public:
    Tstockrcv_dm();
    ~Tstockrcv_dm() override;

    frame::ModuleDatabase Database1{QStringLiteral("stockrcvdb")};
    frame::ModuleDatabase Database2{QStringLiteral("nolockstockrcv")};

    data::Table supp_table;
    data::Table cfhdr_table;
    data::Table cfdet_table;
    data::Table cfrhd_table;
    data::Table Table2;
    data::Table ivprod_table;
    data::Table alt1;
    data::Table alt2;
    data::Table ivinv_table;
    data::Table ivmag;
    data::Table ctrl_table;
    data::Table ivctrl_table;
    data::Table ivserin_table;
    data::Table user_table;
    data::Table cfrdettmp_table;
    data::Table ivserintmp;
    data::Query qryProjectCount;

    // The tables read at start only so that a missing one is reported before
    // any entry (the posting reads them itself).
    QList<data::Table*> postingTables;

    QString workLinesName;   // "cfrdettmp" + session
    QString workSerialsName; // "ivserintmp" + session

    // Points every cursor at its folder, creates the work tables and opens
    // everything through OpenTableChecked. False when a table failed.
    bool OpenTables(const TLinkSection& record, QWidget* formToClose);
    void CloseTables();

    // The product of (line, item): positions ivprod_table; false when none.
    bool FindProduct(const QString& lineCode, const QString& itemCode);
    // Price unit of the current product: Ivprod_price_unit, 1 when 0.
    double UnitFactor();
    static bool IsNonStock(const QString& lineCode);

private:
    std::vector<std::unique_ptr<data::Table>> m_ownedPostingTables;
};

class Tstockrcv_frm;

// "Perform stock receipt by": item by item, or the complete order.
class Tstockrcv_frm2 : public QDialog {
    Q_OBJECT
public:
    explicit Tstockrcv_frm2(QWidget* parent = nullptr);
    QGroupBox* RadioGroup1;
    QRadioButton* ItemByItem;
    QRadioButton* CompleteOrder;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    bool complete() const;
};

// "Which store".
class TStore_frm : public QDialog {
    Q_OBJECT
public:
    TStore_frm(Tstockrcv_dm* dm, QWidget* parent = nullptr);
    QLabel* Label1;
    QComboBox* ComboBox1;
    QStringList StoreNumbers; // parallel to the combo's entries
    QPushButton* OKBtn;
    // Fills the list from ivmag and preselects the user's own store.
    void FillStores();
    int SelectedStore() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Tstockrcv_dm* m_dm;
};

// "Enter range": two numbers of up to 23 digits.
class TRangeFrm : public QDialog {
    Q_OBJECT
public:
    explicit TRangeFrm(QWidget* parent = nullptr);
    QLabel* Label1;
    QLabel* Label2;
    TVarnexMaskEdit* FromEdit;
    TVarnexMaskEdit* ToEdit;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

// "Enter serial numbers" for one receipt line.
class Tstockrcv_serial_frm : public QDialog {
    Q_OBJECT
public:
    Tstockrcv_serial_frm(Tstockrcv_dm* dm, Tstockrcv_frm* receipt, TRangeFrm* range, QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* DescLabel;
    QLabel* CodeLabel;
    QLabel* QtyLabel;
    TVarnexDBGrid* DBGrid1;
    QPushButton* AcceptBtn;
    QPushButton* CancelBtn;
    QPushButton* RangeBtn;
    bool Cancelled = true;

    // Shows the serials of (line, item) for `quantity` units.
    void Prepare(const QString& lineCode, const QString& itemCode, const QString& description, int quantity);
    // The checks of a changed serial; false (with the message shown) when refused.
    bool ivserintmpIvserin_serialChange(const QString& serial);
    // Writes the serial of the grid's row `row` after the checks.
    bool SetSerial(int row, const QString& serial);
    void AcceptBtnClick();
    void CancelBtnClick();
    void RangeBtnClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool serialUsedElsewhere(const QString& serial, std::int64_t exceptRow);
    bool serialInStock(const QString& serial);
    QString message(int line) const;
    Tstockrcv_dm* m_dm;
    Tstockrcv_frm* m_receipt;
    TRangeFrm* m_range;
    QString m_line;
    QString m_item;
    int m_quantity = 0;
};

// "Cylinders received": a whole number of containers for a volume product.
class TfrmCyQty : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCyQty(QWidget* parent = nullptr);
    QLabel* Label1;
    QLabel* lblDesc;
    QLineEdit* edtCYReceived;
    QPushButton* OKBtn;

protected:
    void showEvent(QShowEvent* event) override;
};

// "Project": the project of a receipt without purchase order, and the period.
class TstockrcvProjectFrm : public QDialog {
    Q_OBJECT
public:
    TstockrcvProjectFrm(Tstockrcv_dm* dm, Tstockrcv_frm* receipt, QWidget* parent = nullptr);
    QLabel* Label1;
    QLabel* Label2;
    TVarnexDBEdit* edtProject;
    QToolButton* btnGetProject;
    TVarnexMaskEdit* edtPeriod;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    bool Confirmed = false;
    int Period() const;
    void btnGetProjectClick();
    void OKBtnClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Tstockrcv_dm* m_dm;
    Tstockrcv_frm* m_receipt;
};

// What the receipt window hands to the ledger: everything asked of the user
// is in here, so the posting itself never waits for anyone.
struct GatheredLine {
    std::int64_t workLine = 0;
    QString lineCode;
    QString itemCode;
    QStringList serials;          // one per unit received, for a serial-numbered product
    std::optional<int> cylinders; // volume products
};

// A received line whose product needs serial numbers or a container count.
struct LineToAsk {
    std::int64_t workLine = 0;
    QString lineCode;
    QString itemCode;
    QString description;
    int quantity = 0; // units received, as a whole number
    bool serialNumbers = false;
    bool volume = false;
};

struct GatheredReceipt {
    QList<GatheredLine> lines;
    std::optional<int> projectPeriod; // typed in the project dialog
};

} // namespace varnex::stockrcv

namespace varnex::ledger {
struct StockReceipt;
}

namespace varnex::stockrcv {

// The ledger's receipt filled from the header being entered, every work line
// and what the dialogs gathered.
ledger::StockReceipt BuildStockReceipt(Tstockrcv_dm& dm, const GatheredReceipt& gathered, const TLinkSection& record,
                                       const QString& jobCostDescription);

// The posting: the ledger's unless one is set here (empty restores it).
// Returns an empty text on success, else what the user is shown.
using ReceiptPoster = std::function<QString(Tstockrcv_dm&, const GatheredReceipt&, const TLinkSection&)>;
void SetReceiptPoster(ReceiptPoster poster);

class Tstockrcv_frm : public frame::TModuleForm {
    Q_OBJECT
public:
    explicit Tstockrcv_frm(Tstockrcv_dm* dm, QWidget* parent = nullptr);
    ~Tstockrcv_frm() override;

    // Components named as the window's design names them.
    TVarnexDBEdit* Client_code;
    TVarnexDBEdit* Order_no;
    TVarnexDBEdit* packing_slip;
    TVarnexDBEdit* DateEdit;
    TVarnexDBEdit* MemoEdit;
    TVarnexCurrencyField* TotalEdit;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* SupName;
    QLabel* SupAdr1;
    QLabel* SupAdr2;
    QLabel* SupCity;
    QLabel* SupPostal;
    // The current line's product in the receipt's store.
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* lblOnHand;
    QLabel* lblAvailable;
    QLabel* lblOnOrder;
    TVarnexDBGrid* DBGrid3;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* Accept_btn;
    QPushButton* Cancel_btn;
    QPushButton* Exit_btn;
    QPushButton* Help_btn;
    QToolButton* Printfrm_Btn;
    QToolButton* SpeedButton1; // quick link
    QToolButton* SpeedButton2; // e-mail
    QPlainTextEdit* IntlStrings1;
    TStatusBar* StatusBar1;

    // Dialogs created with the window.
    Tstockrcv_frm2* Frm2 = nullptr;
    TStore_frm* StoreFrm = nullptr;
    Tstockrcv_serial_frm* SerialFrm = nullptr;
    TRangeFrm* RangeFrm = nullptr;
    TfrmCyQty* CyQtyFrm = nullptr;
    TstockrcvProjectFrm* ProjectFrm = nullptr;
    frame::TErrorForm* ErrorFrm = nullptr;

    QString Message(int line) const;
    bool OrderSelectionOpen() const { return m_orderSelectionOpen; }
    bool JobCost() const { return m_jobCost; }
    const QString& BaseCaption() const { return m_baseCaption; }
    bool CellEditable(int row, int column);
    bool ColumnReadOnly(int column) const { return m_columnReadOnly[column]; }

    // Handlers named after the component and the event.
    void Client_codeEnter();
    void Client_codeExit(QWidget* next);
    void Order_noEnter();
    void Order_noExit(QWidget* next);
    void packing_slipEnter();
    void packing_slipExit(QWidget* next);
    void BitBtn1Click();
    void BitBtn2Click();
    void DBGrid3Enter();
    void DBGrid3ColEnter();
    void DBGrid3KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void DBGrid3EditButtonClick();
    void Accept_btnClick();
    void Cancel_btnClick();
    void Exit_btnClick();
    void Help_btnClick();
    void Printfrm_BtnClick();
    void SpeedButton1Click();
    void SpeedButton2Click();

    // The grid's edits: one cell of the line shown in `row` receives `text`.
    // Runs the line rules (validation, product defaults, totals). Returns
    // false when the value was refused.
    bool EditCell(int row, int column, const QString& text);
    // Appends an empty line and selects its first column.
    void AppendLine();
    // Deletes the current line when the rules allow it.
    bool DeleteCurrentLine();
    // Shows the stock of the current line's product (empty without one).
    void ShowStockOfCurrentLine();

    // Copies the purchase order of the header into the receipt.
    void CopyOrder(bool complete);
    // Reset of the entry: empty receipt, supplier box focused.
    void ResetEntry();

    // Data-module handlers.
    void cfrdettmp_tableNewRecord(data::DataSet& lines);
    void cfrdettmp_tableBeforeDelete(data::DataSet& lines);
    void cfrdettmp_tableAfterDelete(data::DataSet& lines);
    void cfrdettmp_tableAfterScroll();
    bool cfrdettmp_tableCfrdet_line_codeValidate(int column);
    bool cfrdettmp_tableCfrdet_item_codeValidate();
    bool cfrdettmp_tableCfrdet_item_codeChange();
    void cfrdettmp_tableCfrdet_descChange();
    void cfrdettmp_tableCfrdet_qty_receivedChange(Currency previousTotal);
    void cfrdettmp_tableCfrdet_priceChange(Currency previousTotal);
    void cfrhd_tableNewRecord(data::DataSet& header);
    // The project dialog before a receipt without order is stored; false
    // when the user cancelled it.
    bool cfrhd_tableBeforePost(GatheredReceipt& receipt);

    // Serial-number rows for the current work line (quantity received as an
    // integer); existing rows are kept.
    void CreateSerialRows(int quantity);
    // Removes the serial rows of (line, item) beyond the units the receipt's
    // lines of that product receive, so no row outlives a lowered quantity.
    void TrimSerialRows(const QString& lineCode, const QString& itemCode);

protected:
    void FormActivate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void returnFocusTo(QWidget* box);
    void setSupplierLabelsVisible(bool visible);
    void showSupplier();
    bool findSupplier(const QString& code);
    bool hasLines();
    void setHeaderEditable(bool editable);
    void setStoreCaption(std::int64_t store);
    void setColumnReadOnly(int column, bool readOnly);
    void selectColumn(int column);
    void FormKeyDown(QKeyEvent* event, QWidget* from);
    void applyProductDefaults();
    void updateTotal(Currency previousTotal);
    QList<LineToAsk> linesToAsk();
    bool gatherSerials(GatheredReceipt& receipt, const QList<LineToAsk>& toAsk);
    bool gatherCylinders(GatheredReceipt& receipt, const QList<LineToAsk>& toAsk);
    int layeredCosting();
    QString headerText(const char* field);

    Tstockrcv_dm* m_dm;
    QString m_baseCaption;
    bool m_orderSelectionOpen = true;
    bool m_jobCost = false;
    bool m_activated = false;
    bool m_inCellEdit = false;
    bool m_returningFocus = false;
    int m_editColumn = -1;
    bool m_columnReadOnly[ColumnCount] = {};
    frame::CurrencySymbolTable m_currencies;
    QList<QWidget*> m_headerEdits;
};

} // namespace varnex::stockrcv
