#include "varnex/accountview/accountform.h"

#include "varnex/data/engine_error.h"
#include "varnex/ledger/statement.h"
#include "varnex/regional.h"

namespace varnex::accountview {

using data::DataSet;
using data::FieldType;

int TypeNameLine(const QString& type, int typeSixLine)
{
    if (type == QLatin1String("1"))
        return 0;
    if (type == QLatin1String("4"))
        return 1;
    if (type == QLatin1String("5"))
        return 2;
    if (type == QLatin1String("3"))
        return 3;
    if (type == QLatin1String("2"))
        return 4;
    if (type == QLatin1String("6"))
        return typeSixLine;
    return -1;
}

TAccountDataModule::TAccountDataModule(const AccountSide& side, QObject* parent)
    : QObject(parent)
    , database(side.alias)
    , m_side(side)
{
    setObjectName(side.dataModuleName);
    const bool client = side.client;
    Query1.setObjectName(QStringLiteral("Query1"));
    currentLines.setObjectName(side.currentComponent);
    historyLines.setObjectName(side.historyComponent);
    balanceTable.setObjectName(client ? QStringLiteral("cartmp") : QStringLiteral("captmp"));
    statsTable.setObjectName(side.statsComponent);
    periods_table.setObjectName(QStringLiteral("periods_table"));
    Table3.setObjectName(QStringLiteral("Table3"));
    Table4.setObjectName(QStringLiteral("Table4"));
    ctrl.setObjectName(client ? QStringLiteral("ctrl") : QStringLiteral("Table1"));
    virmem.setObjectName(QStringLiteral("virmem"));
    tblTaxRates.setObjectName(QStringLiteral("tblTaxRates"));
    facylinder.setObjectName(QStringLiteral("facylinder"));
    CliCyln.setObjectName(QStringLiteral("CliCyln"));
    glm.setObjectName(QStringLiteral("glm"));
    sourceDocument.setObjectName(client ? QStringLiteral("arori") : QStringLiteral("apori"));
    receiptHeader.setObjectName(client ? QStringLiteral("crorihdr") : QStringLiteral("cdorihdr"));
    fahdr.setObjectName(QStringLiteral("fahdr"));
    fahdra.setObjectName(QStringLiteral("fahdra"));
    fadet.setObjectName(QStringLiteral("fadet"));
    fadeta.setObjectName(QStringLiteral("fadeta"));
    arterms.setObjectName(QStringLiteral("arterms"));
    fadet.setTableName(QStringLiteral("fadet"));
    fadeta.setTableName(QStringLiteral("fadeta"));
    arterms.setTableName(QStringLiteral("arterms"));

    currentLines.setTableName(side.currentTable);
    historyLines.setTableName(side.historyTable);
    statsTable.setTableName(side.statsTable);
    periods_table.setTableName(QStringLiteral("Periods"));
    Table3.setTableName(QStringLiteral("ivctrl"));
    Table4.setTableName(QStringLiteral("ctrl"));
    ctrl.setTableName(QStringLiteral("ctrl"));
    virmem.setTableName(QStringLiteral("virmem"));
    tblTaxRates.setTableName(QStringLiteral("taxrates"));
    facylinder.setTableName(QStringLiteral("FaCylinder"));
    glm.setTableName(QStringLiteral("glm"));
    sourceDocument.setTableName(client ? QStringLiteral("arori") : QStringLiteral("apori"));
    receiptHeader.setTableName(client ? QStringLiteral("crorihdr") : QStringLiteral("cdorihdr"));
    fahdr.setTableName(QStringLiteral("fahdr"));
    fahdra.setTableName(QStringLiteral("fahdra"));
    for (data::Table* t :
         {&currentLines, &historyLines, &statsTable, &periods_table, &Table3, &Table4, &ctrl, &tblTaxRates, &facylinder,
          &glm, &sourceDocument, &receiptHeader, &fahdr, &fahdra, &fadet, &fadeta, &arterms})
        t->setAliasName(side.alias);
    for (data::Table* t : {&currentLines, &historyLines, &Table3, &Table4, &ctrl, &periods_table, &glm})
        t->setReadOnly(true);
    Query1.setAliasName(side.alias);
    declareCalculatedFields();
}

TAccountDataModule::~TAccountDataModule()
{
    if (virmem.isOpen() && virmem.state() == data::DataSetState::Insert)
        virmem.cancel();
}

QString TAccountDataModule::lineField(bool current, const QString& suffix)
{
    data::Table& t = statementTable(current);
    const data::Field* f = t.isOpen() && !t.isEmpty() ? t.findField(m_side.linePrefix + suffix) : nullptr;
    return f ? f->asString() : QString();
}

void TAccountDataModule::ApplyDateFormatTo(DataSet& dataSet)
{
    const QString format = Regional().shortDateFormat;
    const QString mask = DateEditMask(format);
    for (int i = 0; i < dataSet.fieldCount(); ++i) {
        data::Field& f = dataSet.fieldByNumber(i);
        if (f.type() == FieldType::Date) {
            f.setEditMask(mask);
            f.setDisplayFormat(format);
        }
    }
}

void TAccountDataModule::declareCalculatedFields()
{
    // The statement: the type's name and the balance from the session's table.
    for (bool current : {true, false}) {
        data::Table& t = statementTable(current);
        t.addCalculatedField(current ? m_side.typeField : m_side.historyTypeField, FieldType::Text, 40);
        t.addCalculatedField(m_side.balanceField, FieldType::Money);
        t.events().calcFields = [this, current](DataSet& lines) { statementCalcFields(lines, current); };
    }
    if (m_side.client)
        statsTable.addCalculatedField(QStringLiteral("totdols"), FieldType::Money);
    statsTable.addCalculatedField(QStringLiteral("totcost"), FieldType::Money);
    statsTable.addCalculatedField(QStringLiteral("totqty"), FieldType::Number);
    statsTable.events().calcFields = [this](DataSet& stats) { statsCalcFields(stats); };

    for (int n = 1; n <= 15; ++n)
        sourceDocument.addCalculatedField(QStringLiteral("desc%1").arg(n), FieldType::Text, 60);
    sourceDocument.addCalculatedField(QStringLiteral("strType"), FieldType::Text, 40);
    sourceDocument.addCalculatedField(
        m_side.client ? QStringLiteral("dir_cash_sale") : QStringLiteral("dir_cash_purchase"), FieldType::Text, 10);
    if (!m_side.client)
        sourceDocument.addCalculatedField(QStringLiteral("PoDocType"), FieldType::Text, 1);
    sourceDocument.events().calcFields = [this](DataSet& d) { sourceDocumentCalcFields(d, 15, true); };
    for (int n = 1; n <= 20; ++n)
        receiptHeader.addCalculatedField(QStringLiteral("desc%1").arg(n), FieldType::Text, 60);
    if (m_side.client) {
        receiptHeader.addCalculatedField(QStringLiteral("not_from_client"), FieldType::Text, 10);
        receiptHeader.addCalculatedField(QStringLiteral("NSF"), FieldType::Text, 10);
    } else {
        receiptHeader.addCalculatedField(QStringLiteral("Not_to_supplier"), FieldType::Text, 10);
    }
    receiptHeader.events().calcFields = [this](DataSet& d) { sourceDocumentCalcFields(d, 20, false); };
    fadet.addCalculatedField(QStringLiteral("margin"), FieldType::Number);
    fadet.addCalculatedField(QStringLiteral("markup"), FieldType::Number);
    fadet.events().calcFields = [this](DataSet& d) { invoiceLineCalcFields(d, QStringLiteral("Fadet_")); };
    fadeta.addCalculatedField(QStringLiteral("margin"), FieldType::Number);
    fadeta.addCalculatedField(QStringLiteral("markup"), FieldType::Number);
    fadeta.events().calcFields = [this](DataSet& d) { invoiceLineCalcFields(d, QStringLiteral("Fadeta_")); };
    fahdr.addCalculatedField(QStringLiteral("terms"), FieldType::Text, 40);
    fahdr.events().calcFields = [this](DataSet& d) { termsCalcFields(d, QStringLiteral("Fahdr_terms")); };
    fahdra.addCalculatedField(QStringLiteral("terms"), FieldType::Text, 40);
    fahdra.events().calcFields = [this](DataSet& d) { termsCalcFields(d, QStringLiteral("Fahdra_terms")); };
    if (!m_side.client) {
        Query1.addCalculatedField(QStringLiteral("Bank_desc"), FieldType::Text, 60);
        Query1.events().calcFields = [this](DataSet& d) { bankCalcFields(d); };
    }
}

void TAccountDataModule::statementCalcFields(DataSet& lines, bool current)
{
    const QString& p = m_side.linePrefix;
    const QString type = lines.field(p + QStringLiteral("type")).asString();
    const int sixLine = current ? m_side.typeSixLineCurrent : m_side.typeSixLineHistory;
    const int typeLine = TypeNameLine(type, sixLine);
    data::Field& name = lines.field(current ? m_side.typeField : m_side.historyTypeField);
    if (typeLine >= 0 && messageLine)
        name.setString(messageLine(typeLine));
    else
        name.clear();

    data::Field& balance = lines.field(m_side.balanceField);
    if (!balanceTable.isOpen() || balanceTable.state() != data::DataSetState::Browse) {
        balance.clear();
        return;
    }
    ++balanceLookups;
    // A line that was not in the table when it was filled has no balance:
    // showing the record the table happened to stand on would be a wrong figure.
    const QVariantList key = {
        lines.field(m_side.lineAccountField).value(),    lines.field(p + QStringLiteral("invoice")).value(),
        lines.field(p + QStringLiteral("ref")).value(),  lines.field(p + QStringLiteral("date")).value(),
        lines.field(p + QStringLiteral("type")).value(), lines.field(p + QStringLiteral("seq")).value()};
    if (balanceTable.findKey(key))
        balance.setMoney(balanceTable.field(m_side.balancePrefix + QStringLiteral("balance")).asMoney());
    else
        balance.clear();
}

void TAccountDataModule::statsCalcFields(DataSet& stats)
{
    if (m_side.client)
        stats.field(QStringLiteral("totdols")).setMoney(ledger::TwelveMonthMoneyTotal(stats, m_side.salesPrefix));
    stats.field(QStringLiteral("totcost")).setMoney(ledger::TwelveMonthMoneyTotal(stats, m_side.costPrefix));
    stats.field(QStringLiteral("totqty")).setNumber(ledger::TwelveMonthQuantityTotal(stats, m_side.qtyPrefix));
}

void TAccountDataModule::sourceDocumentCalcFields(DataSet& document, int accounts, bool transaction)
{
    auto yesNo = [this](bool value) { return messageLine ? messageLine(value ? lines::Yes : lines::No) : QString(); };
    if (transaction) {
        const int typeLine = TypeNameLine(document.field(QStringLiteral("Trx_type")).asString(), -1);
        if (typeLine >= 0 && messageLine)
            document.field(QStringLiteral("strType")).setString(messageLine(typeLine));
        if (m_side.client) {
            document.field(QStringLiteral("dir_cash_sale"))
                .setString(yesNo(document.field(QStringLiteral("Direct_cash_sale")).asLogical()));
        } else {
            document.field(QStringLiteral("dir_cash_purchase"))
                .setString(yesNo(document.field(QStringLiteral("Direct_cash_purchase")).asLogical()));
            document.field(QStringLiteral("PoDocType")).setString(QStringLiteral("2"));
        }
    } else if (m_side.client) {
        document.field(QStringLiteral("not_from_client"))
            .setString(yesNo(document.field(QStringLiteral("Not_from_cli")).asLogical()));
        document.field(QStringLiteral("NSF"))
            .setString(yesNo(document.field(QStringLiteral("Nsf_cheque")).asLogical()));
    } else {
        document.field(QStringLiteral("Not_to_supplier"))
            .setString(yesNo(document.field(QStringLiteral("Not_to_sup")).asLogical()));
    }
    // Descriptions by key: an account that is not in the chart leaves its
    // description empty; an engine failure leaves the rest empty.
    try {
        if (!glm.isOpen())
            glm.open();
        for (int n = 1; n <= accounts; ++n) {
            const data::Field& account = document.field(QStringLiteral("Account%1").arg(n));
            if (!account.isNull() && glm.findKey({static_cast<qlonglong>(account.asInteger())}))
                document.field(QStringLiteral("desc%1").arg(n))
                    .setString(glm.field(QStringLiteral("Glm_Description")).asString());
        }
    } catch (const data::EngineError&) {
    }
}

void TAccountDataModule::bankCalcFields(DataSet& account)
{
    try {
        if (!glm.isOpen())
            glm.open();
        if (glm.findKey({static_cast<qlonglong>(account.field(QStringLiteral("Sup_bank_account")).asInteger())}))
            account.field(QStringLiteral("Bank_desc"))
                .setString(glm.field(QStringLiteral("Glm_Description")).asString());
    } catch (const data::EngineError&) {
    }
}

void TAccountDataModule::invoiceLineCalcFields(DataSet& line, const QString& prefix)
{
    const Currency total = line.field(prefix + QStringLiteral("total")).asMoney();
    const Currency cost = line.field(prefix + QStringLiteral("cost")).asMoney();
    if (const std::optional<double> margin = ledger::Margin(total, cost))
        line.field(QStringLiteral("margin")).setNumber(*margin);
    if (const std::optional<double> markup = ledger::Markup(total, cost))
        line.field(QStringLiteral("markup")).setNumber(*markup);
}

void TAccountDataModule::termsCalcFields(DataSet& invoice, const QString& termsField)
{
    try {
        if (!arterms.isOpen())
            arterms.open();
        if (arterms.findKey({static_cast<qlonglong>(invoice.field(termsField).asInteger())}))
            invoice.field(QStringLiteral("terms")).setString(arterms.field(QStringLiteral("Arterms_desc")).asString());
    } catch (const data::EngineError&) {
    }
}

} // namespace varnex::accountview
