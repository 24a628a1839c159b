#pragma once
// The purchase window's data module: its two private databases, the tables the
// window reads while the user types, and the look-ups the checks share. The
// posting itself is the ledger's; nothing here writes a shared table.

#include <QDate>
#include <QObject>
#include <QString>

#include <array>
#include <memory>

#include "varnex/currency.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"
#include "varnex/frame/module.h"
#include "varnex/ledger/purchase.h"
#include "varnex/ledger/terms.h"

namespace varnex::purchent {

// Index of the type list of the window: Purchase, Debit, Credit, Adjustment.
QString TypeCodeOfIndex(int index);

class Tpurchent_dm : public QObject {
    Q_OBJECT
public:
    Tpurchent_dm();
    ~Tpurchent_dm() override;

    frame::ModuleDatabase Database1{QStringLiteral("purchentdb")};
    frame::ModuleDatabase Database2{QStringLiteral("mydbpurchent")};

    data::Table* Table1;     // sup: the supplier being entered
    data::Table* Sup2_Table; // sup: terms for the due date
    data::Table* Table3;     // glm
    data::Table* Table4;     // gla (opened with the others only)
    data::Table* Table5;     // ctrl
    data::Table* Table7;     // cap
    data::Table* Table8;     // Periods
    data::Table* cfhdr;
    data::Table* tjlh;
    data::Table* tjld;
    data::Table* apori;
    data::Table* taxratesP;
    data::Table* Table2;    // virmem: this session's amounts
    data::Table* tblVatTmp; // "VatTmp" + session
    data::Table* tblCaxJC;  // "CaxJC" + session
    data::Table* jcProject;
    data::Table* jcPhase;
    data::Table* JcElem;
    data::Table* jcBudgetHdr;
    data::Table* jcTrans;
    data::Query* qryBudDetCount;

    // Every table of the window through OpenTableChecked; false when one
    // could not be opened (the message was shown and `formToClose` closed).
    bool OpenTables(int language, QWidget* formToClose);
    // Finds this session's working record and holds it in edit mode; a data
    // root without the row gets one.
    void EditSessionRecord(int session);
    void CloseTables();

    // The work tables of this session, created empty.
    void PrepareVatTable(int session);
    void PrepareJobCostTable(int session);

    // The ledger's posting, on cursors kept open from one document to the next.
    ledger::PostingResult PostPurchase(const ledger::PurchaseDocument& document, const ledger::PostingOptions& options);

    bool FindSupplier(const QString& code);
    bool InvoiceExists(const QString& supplier, const QString& type, const QString& invoice);
    bool FindAccount(int account);
    QString AccountDescription(int account);
    bool PurchaseOrderExists(const QString& order);
    // "Period_mth" of a period, empty when the period is not in `Periods`.
    QString PeriodMonth(int period);

    // Company controls read at start.
    int ApPeriod() const { return m_apPeriod; }
    int TaxSystem() const { return m_taxSystem; }
    // Ctrl_ap_accnt, Ctrl_ap_curr2 .. Ctrl_ap_curr5 by supplier currency 0..4.
    const ledger::PayableAccounts& PayableAccounts() const { return m_payable; }
    // Ctrl_ap_purch_accnt1 .. 8.
    const std::array<int, 8>& PurchaseAccounts() const { return m_purchase; }
    QString CurrencySign(int currency) const;
    bool IsPayableAccount(int account) const;
    void ReadControls();

private:
    data::Table* makeTable(const char* name, const char* tableName, bool companyFolder);
    int m_apPeriod = 0;
    int m_taxSystem = 0;
    ledger::PayableAccounts m_payable;
    std::unique_ptr<ledger::PurchasePoster> m_poster;
    std::array<int, 8> m_purchase{};
    std::array<QString, 4> m_signs;
};

} // namespace varnex::purchent
