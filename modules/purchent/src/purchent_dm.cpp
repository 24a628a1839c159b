#include "purchent_dm.h"

#include "varnex/data/database.h"
#include "varnex/frame/tables.h"
#include "varnex/ledger/purchase.h"

namespace varnex::purchent {

QString TypeCodeOfIndex(int index)
{
    switch (index) {
    case 1: return ledger::DebitTypeCode;
    case 2: return ledger::CreditTypeCode;
    case 3: return ledger::AdjustmentTypeCode;
    default: return ledger::PurchaseTypeCode;
    }
}

Tpurchent_dm::Tpurchent_dm()
{
    setObjectName(QStringLiteral("purchent_dm"));
    Table1 = makeTable("Table1", "sup", true);
    Sup2_Table = makeTable("Sup2_Table", "sup", true);
    Table3 = makeTable("Table3", "glm", true);
    Table4 = makeTable("Table4", "gla", true);
    Table5 = makeTable("Table5", "ctrl", true);
    Table7 = makeTable("Table7", "cap", true);
    Table8 = makeTable("Table8", "Periods", true);
    cfhdr = makeTable("cfhdr", "cfhdr", true);
    tjlh = makeTable("tjlh", "tjlh", true);
    tjld = makeTable("tjld", "tjld", true);
    apori = makeTable("apori", "apori", true);
    taxratesP = makeTable("taxratesP", "taxratesP", true);
    Table2 = makeTable("Table2", "virmem", false);
    tblVatTmp = makeTable("tblVatTmp", "VatTmp", true);
    tblCaxJC = makeTable("tblCaxJC", "CaxJC", true);
    jcProject = makeTable("jcProject", "jcProject", true);
    jcPhase = makeTable("jcPhase", "jcPhase", true);
    JcElem = makeTable("JcElem", "JcElem", true);
    jcBudgetHdr = makeTable("jcBudgetHdr", "jcBudgetHdr", true);
    jcTrans = makeTable("jcTrans", "jcTrans", true);
    qryBudDetCount = new data::Query(this);
    qryBudDetCount->setObjectName(QStringLiteral("qryBudDetCount"));
    qryBudDetCount->setAliasName(Database1.alias());
    qryBudDetCount->setSql(QStringLiteral("SELECT COUNT(*) AS MyCount\nFROM jcBudgetDet\nWHERE \n"
                                          "JcBudDet_Project = :pProject\nAND\nJcBudDet_Phase = :pPhase\nAND\n"
                                          "JcBudDet_Elem = :pElem"));
}

Tpurchent_dm::~Tpurchent_dm()
{
    CloseTables();
}

data::Table* Tpurchent_dm::makeTable(const char* name, const char* tableName, bool companyFolder)
{
    auto* table = new data::Table(this);
    table->setObjectName(QString::fromLatin1(name));
    table->setAliasName(companyFolder ? Database1.alias() : Database2.alias());
    table->setTableName(QString::fromLatin1(tableName));
    return table;
}

bool Tpurchent_dm::OpenTables(int language, QWidget* formToClose)
{
    for (data::Table* table : {Table3, Table4, Table5, Table1, Table7, tjlh, tjld, cfhdr, Sup2_Table, taxratesP}) {
        if (!frame::OpenTableChecked(*table, language, formToClose))
            return false;
    }
    Table2->open();
    Table5->first();
    ReadControls();
    return frame::OpenTableChecked(*apori, language, formToClose);
}

void Tpurchent_dm::EditSessionRecord(int session)
{
    if (!Table2->findKey({session})) {
        Table2->append();
        Table2->field(QStringLiteral("Session_id")).setInteger(session);
        Table2->post();
    }
    Table2->edit();
}

ledger::PostingResult Tpurchent_dm::PostPurchase(const ledger::PurchaseDocument& document,
                                                 const ledger::PostingOptions& options)
{
    if (!m_poster)
        m_poster = std::make_unique<ledger::PurchasePoster>(Database1.database());
    return m_poster->post(document, options);
}

void Tpurchent_dm::CloseTables()
{
    m_poster.reset();
    if (Table2->isOpen() && Table2->state() != data::DataSetState::Browse)
        Table2->cancel();
    for (QObject* child : children()) {
        if (auto* table = qobject_cast<data::Table*>(child))
            table->close();
    }
    qryBudDetCount->close();
}

void Tpurchent_dm::PrepareVatTable(int session)
{
    tblVatTmp->close();
    tblVatTmp->setTableName(frame::PrepareWorkTable(*Database1.database(), QStringLiteral("VatTmp"), session));
    tblVatTmp->open();
}

void Tpurchent_dm::PrepareJobCostTable(int session)
{
    tblCaxJC->close();
    tblCaxJC->setTableName(frame::PrepareWorkTable(*Database1.database(), QStringLiteral("CaxJC"), session));
}

void Tpurchent_dm::ReadControls()
{
    auto integer = [this](const QString& name) { return int(Table5->field(name).asInteger()); };
    m_apPeriod = integer(QStringLiteral("Ctrl_ap_period"));
    m_taxSystem = integer(QStringLiteral("Ctrl_TaxSystem"));
    m_payable = ledger::ReadPayableAccounts(Database1.database());
    for (int i = 0; i < 8; ++i)
        m_purchase[i] = integer(QStringLiteral("Ctrl_ap_purch_accnt%1").arg(i + 1));
    for (int i = 0; i < 4; ++i)
        m_signs[i] = Table5->field(QStringLiteral("Ctrl_curr%1_sign").arg(i + 1)).asString();
}

QString Tpurchent_dm::CurrencySign(int currency) const
{
    return currency >= 1 && currency <= 4 ? m_signs[currency - 1] : QString();
}

bool Tpurchent_dm::IsPayableAccount(int account) const
{
    return m_payable.contains(account);
}

bool Tpurchent_dm::FindSupplier(const QString& code)
{
    return !code.isEmpty() && Table1->findKey({code});
}

bool Tpurchent_dm::InvoiceExists(const QString& supplier, const QString& type, const QString& invoice)
{
    return ledger::InvoiceExists(Database1.database(), supplier, invoice, type);
}

bool Tpurchent_dm::FindAccount(int account)
{
    return account != 0 && Table3->findKey({account});
}

QString Tpurchent_dm::AccountDescription(int account)
{
    return FindAccount(account) ? Table3->field(QStringLiteral("Glm_Description")).asString() : QString();
}

bool Tpurchent_dm::PurchaseOrderExists(const QString& order)
{
    return cfhdr->findKey({QStringLiteral("2"), order});
}

QString Tpurchent_dm::PeriodMonth(int period)
{
    Table8->open();
    QString month;
    if (Table8->findKey({period}))
        month = Table8->field(QStringLiteral("Period_mth")).asString();
    Table8->close();
    return month;
}

} // namespace varnex::purchent
