#include "stockrcv_forms.h"

#include "varnex/data/database.h"
#include "varnex/data/schema.h"
#include "varnex/frame/tables.h"

namespace varnex::stockrcv {

using data::Table;

LinkRecord& ModuleLink()
{
    static LinkRecord link;
    return link;
}

Tstockrcv_dm::Tstockrcv_dm()
{
    setObjectName(QStringLiteral("stockrcv_dm"));
    const std::pair<Table*, const char*> named[] = {
        {&supp_table, "supp_table"},
        {&cfhdr_table, "cfhdr_table"},
        {&cfdet_table, "cfdet_table"},
        {&cfrhd_table, "cfrhd_table"},
        {&Table2, "Table2"},
        {&ivprod_table, "ivprod_table"},
        {&alt1, "alt1"},
        {&alt2, "alt2"},
        {&ivinv_table, "ivinv_table"},
        {&ivmag, "ivmag"},
        {&ctrl_table, "ctrl_table"},
        {&ivctrl_table, "ivctrl_table"},
        {&ivserin_table, "ivserin_table"},
        {&user_table, "user_table"},
        {&cfrdettmp_table, "cfrdettmp_table"},
        {&ivserintmp, "ivserintmp"},
    };
    for (const auto& [table, name] : named)
        table->setObjectName(QString::fromLatin1(name));
    qryProjectCount.setObjectName(QStringLiteral("qryProjectCount"));
    // The date fields get the regional mask and display format at entry.
    auto* date = new QObject(this);
    date->setObjectName(QStringLiteral("cfrhd_tableCfrhd_date"));
    date->setProperty("fieldKind", QStringLiteral("date"));
}

Tstockrcv_dm::~Tstockrcv_dm()
{
    CloseTables();
}

namespace {

// The receipt lines' work table is made from the template cfrdet01, which the
// catalogue knows under its session name ("cfrdettmp3"), not under the bare
// prefix: look the definition up by the full name.
QString PrepareSessionTable(data::Database& db, const QString& prefix, int session)
{
    const QString name = prefix + QString::number(session);
    if (db.tableExists(name)) {
        db.emptyTable(name);
        return name;
    }
    const data::TableDef* def = data::FindTableDef(name);
    if (def == nullptr)
        throw std::invalid_argument("no table definition for the work table " + name.toStdString());
    db.createTable(*def, name);
    return name;
}

} // namespace

bool Tstockrcv_dm::OpenTables(const TLinkSection& record, QWidget* formToClose)
{
    const auto company = Database1.database();
    const auto work = Database2.database();
    const int session = record.Link_session;
    workLinesName = PrepareSessionTable(*work, QStringLiteral("cfrdettmp"), session);
    workSerialsName = PrepareSessionTable(*work, QStringLiteral("ivserintmp"), session);

    const std::pair<Table*, const char*> tables[] = {
        {&supp_table, "sup"},        {&cfhdr_table, "cfhdr"},   {&cfdet_table, "cfdet"}, {&cfrhd_table, "cfrhd"},
        {&Table2, "cfrhd"},          {&ivprod_table, "ivprod"}, {&alt1, "ivprod"},       {&alt2, "ivprod"},
        {&ivinv_table, "ivinv"},     {&ivmag, "ivmag"},         {&ctrl_table, "ctrl"},   {&ivctrl_table, "ivctrl"},
        {&ivserin_table, "ivserin"},
    };
    for (const auto& [table, name] : tables) {
        table->setDatabase(company);
        table->setTableName(QString::fromLatin1(name));
    }
    alt1.setIndexFieldNames(QStringLiteral("Ivprod_alt_key1"));
    alt2.setIndexFieldNames(QStringLiteral("Ivprod_alt_key2"));
    ivserin_table.setIndexFieldNames(QStringLiteral("Ivserin_line_code;Ivserin_item_code;Ivserin_serial"));
    for (Table* t : {&supp_table, &cfhdr_table, &Table2, &ivprod_table, &alt1, &alt2, &ivinv_table, &ivmag, &ctrl_table,
                     &ivctrl_table, &ivserin_table})
        t->setReadOnly(true);
    user_table.setFolder(LinkText(record.Link_data_dir));
    user_table.setTableName(QStringLiteral("user"));
    user_table.setReadOnly(true);
    cfrdettmp_table.setDatabase(work);
    cfrdettmp_table.setTableName(workLinesName);
    ivserintmp.setDatabase(work);
    ivserintmp.setTableName(workSerialsName);

    // The order lines follow their header; lines ordered nothing are not offered.
    cfdet_table.setIndexFieldNames(QStringLiteral("Cfdet_doc;Cfdet_order_number;Cfdet_line"));
    cfdet_table.setMaster(&cfhdr_table, QStringLiteral("Cfhdr_doc;Cfhdr_order_number"));
    cfdet_table.setFilter(
        [](data::DataSet& line) { return line.field(QStringLiteral("Cfdet_qty_order")).asNumber() != 0; });
    cfdet_table.setReadOnly(true);
    // Serial rows are shown per receipt line.
    ivserintmp.setIndexFieldNames(QStringLiteral("Ivserin_line_code;Ivserin_item_code;Ivserin_seq"));

    const int language = record.Link_language;
    for (Table* t :
         {&supp_table, &cfhdr_table, &cfdet_table, &cfrhd_table, &Table2, &ivprod_table, &alt1, &alt2, &ivinv_table,
          &ivmag, &ctrl_table, &ivctrl_table, &ivserin_table, &user_table, &cfrdettmp_table, &ivserintmp})
        if (!frame::OpenTableChecked(*t, language, formToClose))
            return false;
    // Opened for the check only: the posting reads and writes them itself.
    for (const char* name : {"glm", "cfrdet", "sastats", "sastatsp", "sastatp", "sastatmp", "ivtrxhh", "ivtrxdh",
                             "cfpkey", "tjlh", "tjld"}) {
        auto table = std::make_unique<Table>();
        table->setDatabase(company);
        table->setTableName(QString::fromLatin1(name));
        table->setReadOnly(true);
        if (!frame::OpenTableChecked(*table, language, formToClose))
            return false;
        postingTables << table.get();
        m_ownedPostingTables.push_back(std::move(table));
    }
    qryProjectCount.setDatabase(company);
    qryProjectCount.setSql(QStringLiteral("select count(*) as mycount\nfrom jcproject\nwhere jcproject_no = :pcode"));
    return true;
}

void Tstockrcv_dm::CloseTables()
{
    qryProjectCount.close();
    for (Table* t :
         {&ivserintmp, &cfrdettmp_table, &cfdet_table, &cfhdr_table, &supp_table, &cfrhd_table, &Table2, &ivprod_table,
          &alt1, &alt2, &ivinv_table, &ivmag, &ctrl_table, &ivctrl_table, &ivserin_table, &user_table})
        t->close();
    postingTables.clear();
    m_ownedPostingTables.clear();
    Database1.disconnect();
    Database2.disconnect();
}

bool Tstockrcv_dm::FindProduct(const QString& lineCode, const QString& itemCode)
{
    if (!ivprod_table.isOpen())
        return false;
    return ivprod_table.findKey({lineCode, itemCode});
}

double Tstockrcv_dm::UnitFactor()
{
    const double unit = ivprod_table.field(QStringLiteral("Ivprod_price_unit")).asNumber();
    return unit != 0 ? unit : 1.0;
}

bool Tstockrcv_dm::IsNonStock(const QString& lineCode)
{
    return lineCode.trimmed().isEmpty() || lineCode.trimmed().compare(QLatin1String("N"), Qt::CaseInsensitive) == 0;
}

} // namespace varnex::stockrcv
