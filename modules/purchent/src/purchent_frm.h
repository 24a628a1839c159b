#pragma once
// The purchase entry window: one supplier document at a time (purchase, debit
// note, credit note, adjustment, or a direct/cash purchase without a supplier
// account), distributed over eleven ledger rows. The rules that run while the
// user types live here; the posting is one call to the ledger.

#include <QDate>
#include <QDateTime>
#include <QPointer>

#include <array>
#include <functional>

#include "varnex/currency.h"
#include "varnex/frame/module.h"
#include "varnex/frame/services.h"
#include "varnex/ledger/purchase.h"
#include "varnex/linksection.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace varnex {
class TStatusBar;
class TVarnexDBEdit;
class TVarnexMaskEdit;
} // namespace varnex

namespace varnex::purchent {

class Tpurchent_dm;
class TfrmVAT;
class TfrmHoldback;
class TfrmProject;
class Tperiod_frm;

inline constexpr int RowCount = 11;
inline constexpr int HelpContext = 304;

// The module's copy of the session record (one per module call).
LinkRecord& ModuleLink();

class Tpurchent_frm : public frame::TModuleForm {
    Q_OBJECT
public:
    explicit Tpurchent_frm(Tpurchent_dm* dm);
    // The dialogs are created after the window (they read its message lines).
    void SetDialogs(TfrmVAT* vat, TfrmHoldback* holdback, TfrmProject* project, Tperiod_frm* period,
                    frame::TErrorForm* errorForm, QWidget* endOfYear);
    ~Tpurchent_frm() override;

    // ---- components, by their design names ----
    QLineEdit* Varnexdbedit1;
    QToolButton* SearchBtn;
    QLabel* Sup_name;
    QLabel* Sup_adr1;
    QLabel* Sup_adr2;
    QLabel* Sup_city;
    QLabel* Sup_prov;
    QCheckBox* CheckBox1;
    QComboBox* TransType;
    TVarnexMaskEdit* InvoiceNum;
    TVarnexMaskEdit* DebCreRef;
    TVarnexMaskEdit* PO_number;
    TVarnexMaskEdit* TransDate;
    TVarnexMaskEdit* TransDueDate;
    QPlainTextEdit* TransMemo;
    QScrollArea* ScrollBox1;
    std::array<TVarnexMaskEdit*, RowCount> AccountBoxes{};
    std::array<QLineEdit*, RowCount> DescriptionBoxes{};
    std::array<TVarnexDBEdit*, RowCount> DebitCells{};
    std::array<TVarnexDBEdit*, RowCount> CreditCells{};
    QToolButton* SearchAccountBtn;
    TVarnexDBEdit* TotalDBEdit;
    TVarnexDBEdit* TotalCDEdit;
    QPushButton* PostBtn;
    QPushButton* CancelBtn;
    QPushButton* Exit_btn;
    QPushButton* Help_btn;
    QToolButton* SpeedButton1; // print screen
    QToolButton* SpeedButton2; // e-mail
    QToolButton* SpeedButton3; // quick link
    QToolButton* SpeedButton4; // change period
    TStatusBar* StatusBar1;
    QPlainTextEdit* IntlStrings1;

    // ---- operations other windows use ----
    void reset_screen();
    void calc_due_date();
    void calc_due_date_change();
    // Puts an account (0: none) and its description into a row and zeroes its amounts.
    void LoadRowAccount(int row, int account);
    int FirstEmptyRow();
    QString Message(int line) const;
    int PostingPeriod() const { return m_postingPeriod; }
    void SetPostingPeriod(int period);

    // The database-error handler of the application while the window is open.
    void HandleDatabaseError(std::exception_ptr error);

protected:
    void FormActivate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // row access (rows 1..11; others read as empty and ignore writes)
    static bool RowIsValid(int row) { return row >= 1 && row <= RowCount; }
    int RowAccount(int row);
    Currency RowDebit(int row) const;
    Currency RowCredit(int row) const;
    void SetRowDebit(int row, Currency amount);
    void SetRowCredit(int row, Currency amount);
    Currency DebitTotal() const;
    Currency CreditTotal() const;
    void SetTotals(Currency debit, Currency credit);
    QString TypeCode() const;

    // handlers
    void Varnexdbedit1Exit();
    void SearchBtnClick();
    bool TransTypeEnter();
    void InvoiceNumExit(QWidget* next);
    void DebCreRefExit(QWidget* next);
    void TransDateExit();
    void TransDueDateExit();
    void PO_numberExit(QWidget* next);
    void CheckBox1Click();
    void OnEnterGridElem(QWidget* box);
    void OnDbCdEnter(QWidget* cell);
    void OnDbExit(int row);
    void OnCDExit(int row);
    void AccountEditExit(int row);
    void SearchAccountBtnClick();
    void PostBtnClick();
    void CancelBtnClick();
    void Exit_btnClick();
    void Help_btnClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();

    void ShowSupplierLabels(bool visible);
    void LoadDefaultRows();
    void ApplyDueDate(const QDate& start, int terms);
    void MoveFocus(bool forward);
    // Runs after the focus change that is under way (messages and focus
    // returns must not happen inside it).
    void later(std::function<void()> step);
    // Gives the focus back to a box that refused its entry.
    void returnFocus(QWidget* box);
    void info(int line);
    void plain(int line);
    QWidget* RowWidgetOf(QObject* object, int* row, int* kind) const;
    // The entry as the ledger takes it (without the dialogs' answers).
    ledger::PurchaseDocument Document() const;
    // The tax dialog over the lines the ledger builds; false on Cancel.
    bool AskTaxes(ledger::PurchaseDocument& document);
    // Asks every dialog, then one posting; false when nothing was written.
    bool Post(Currency apAmount);

    void buildWindow();

    Tpurchent_dm* m_dm;
    TfrmVAT* m_vat = nullptr;
    TfrmHoldback* m_holdback = nullptr;
    TfrmProject* m_project = nullptr;
    Tperiod_frm* m_period = nullptr;
    QWidget* m_endOfYear = nullptr;
    frame::CurrencySymbolTable m_symbols;
    QPointer<frame::TErrorForm> m_errorForm;

    QDateTime m_entryDate;
    int m_postingPeriod = 0;
    int m_currentRow = 1;
    bool m_jobCostEnabled = false;
    Currency m_enteredValue;
    bool m_skipNextMove = false;
    bool m_closing = false;
    bool m_returningFocus = false;
    QString m_vatTable;
};

} // namespace varnex::purchent
