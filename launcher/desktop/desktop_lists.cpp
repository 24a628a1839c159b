#include "desktop_lists.h"

#include <QHeaderView>
#include <QToolButton>

#include "varnex/data/table.h"

namespace varnex::launcher::desktop {

namespace {

const QString kMenuDataAlias = QStringLiteral("menudata");

struct ListColumns {
    const char* table;
    std::vector<const char*> fields;
};

// The columns of each grid, by stored list index (the notes have none).
const ListColumns& columnsOf(int listIndex)
{
    static const std::array<ListColumns, kListCount> columns = {{
        {"cli",
         {"Cli_code", "Cli_name", "Cli_tel", "Cli_adr1", "Cli_adr2", "Cli_city", "Cli_prov", "Cli_country",
          "Cli_postal_code", "Cli_fax", "Cli_contact", "Cli_email", "Cli_salesrep"}},
        {"sup",
         {"Sup_code", "Sup_name", "Sup_tel", "Sup_adr1", "Sup_adr2", "Sup_city", "Sup_prov", "Sup_country",
          "Sup_postal_code", "Sup_fax", "Sup_contact", "Sup_email"}},
        {"glm", {"Glm_account", "Glm_Description", "glm_type_desc"}},
        {"emp",
         {"Emp_Code", "Emp_Name", "Emp_Telephone", "Emp_Adr1", "Emp_Adr2", "Emp_City", "Emp_province",
          "Emp_Postal_code", "Emp_Occupation"}},
        {"", {}},
        {"ivprod",
         {"Ivprod_line_code", "Ivprod_item_code", "Ivprod_desc_1", "Ivprod_upc", "Ivprod_sup1", "Ivprod_price1",
          "Ivprod_price2", "Ivprod_price3", "Ivprod_price4", "Ivprod_price5", "Ivprod_price6", "Ivprod_price7",
          "Ivprod_price8", "Ivprod_price9", "Ivprod_std_cost", "Ivprod_on_hand"}},
    }};
    return columns.at(static_cast<size_t>(listIndex));
}

int defaultWidth(const QString& field)
{
    if (field.endsWith(QLatin1String("_name")) || field.endsWith(QLatin1String("_Name"))
        || field.contains(QLatin1String("desc"), Qt::CaseInsensitive)
        || field.contains(QLatin1String("adr"), Qt::CaseInsensitive) || field.endsWith(QLatin1String("email")))
        return 160;
    return 80;
}

QString onHandKey(const QString& line, const QString& item)
{
    return line.trimmed() + QLatin1Char('\t') + item.trimmed();
}

} // namespace

// ---- TDesktopListBox ----------------------------------------------------------

TDesktopListBox::TDesktopListBox(int listIndex, QWidget* wallpaper)
    : QGroupBox(wallpaper)
    , m_listIndex(listIndex)
{
    const ListInfo& info = Lists().at(static_cast<size_t>(listIndex));
    setObjectName(QLatin1String(info.boxName));
    setProperty("Tag", 0);
    setAutoFillBackground(true);
    auto button = [this, &info](const char* suffix, const QString& text) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(info.prefix) + QLatin1String(suffix));
        b->setText(text);
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->resize(18, 16);
        return b;
    };
    m_reduce = button("Reduce", QStringLiteral("-"));
    m_enlarge = button("Enlarge", QStringLiteral("+"));
    m_close = button("Close", QStringLiteral("X"));
    hide();
}

void TDesktopListBox::setContent(QWidget* content)
{
    m_content = content;
    applyGeometryRules();
}

void TDesktopListBox::applyGeometryRules()
{
    const BoxLayout layout = LayoutFor(size());
    m_reduce->move(layout.reduceLeft, 4);
    m_enlarge->move(layout.enlargeLeft, 4);
    m_close->move(layout.closeLeft, 4);
    if (m_content)
        m_content->setGeometry(4, 24, std::max(width() - 8, 0), std::max(layout.contentHeight, 0));
}

// ---- TDesktopGrid ---------------------------------------------------------------

TDesktopGrid::TDesktopGrid(QWidget* parent)
    : TVarnexDBGrid(parent)
{
    // Reading the rows again resets the header: its widths and order are
    // kept across it.
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_headerState = horizontalHeader()->saveState();
        m_headerColumns = model()->columnCount();
    });
    connect(model(), &QAbstractItemModel::modelReset, this, [this] {
        if (!m_headerState.isEmpty() && model()->columnCount() == m_headerColumns)
            horizontalHeader()->restoreState(m_headerState);
    });
}

// ---- ListTables -------------------------------------------------------------------

ListTables::ListTables() = default;
ListTables::~ListTables()
{
    for (int i = 0; i < kListCount; ++i)
        close(i);
}

void ListTables::bind(int listIndex, TVarnexDBGrid* grid)
{
    const ListColumns& columns = columnsOf(listIndex);
    auto table = std::make_unique<data::Table>();
    table->setObjectName(QLatin1String(columns.table));
    table->setAliasName(kMenuDataAlias);
    table->setTableName(QLatin1String(columns.table));
    table->setReadOnly(true);
    if (listIndex == 2) {
        table->addCalculatedField(QStringLiteral("glm_type_desc"), data::FieldType::Text, 15);
        table->addCalculatedField(QStringLiteral("glm_summarize_desc"), data::FieldType::Text, 15);
        // The type column shows the account's type rather than staying blank.
        table->events().calcFields = [](data::DataSet& glm) {
            glm.field(QStringLiteral("glm_type_desc")).setString(glm.field(QStringLiteral("Glm_type")).asString());
        };
    }
    if (listIndex == 5) {
        table->addCalculatedField(QStringLiteral("Ivprod_on_hand"), data::FieldType::Number);
        table->events().calcFields = [this](data::DataSet& product) {
            const QString key = onHandKey(product.field(QStringLiteral("Ivprod_line_code")).asString(),
                                          product.field(QStringLiteral("Ivprod_item_code")).asString());
            product.field(QStringLiteral("Ivprod_on_hand")).setNumber(m_onHand.value(key));
        };
    }
    QList<GridColumn> gridColumns;
    for (const char* field : columns.fields) {
        GridColumn column;
        column.fieldName = QLatin1String(field);
        column.title = column.fieldName;
        gridColumns << column;
    }
    grid->setDataSet(table.get());
    grid->setColumns(gridColumns);
    for (int i = 0; i < gridColumns.size(); ++i)
        grid->horizontalHeader()->resizeSection(i, defaultWidth(gridColumns[i].fieldName));
    m_tables[static_cast<size_t>(listIndex)] = std::move(table);
}

data::Table* ListTables::table(int listIndex) const
{
    if (listIndex < 0 || listIndex >= kListCount)
        return nullptr;
    return m_tables[static_cast<size_t>(listIndex)].get();
}

bool ListTables::isOpen(int listIndex) const
{
    data::Table* t = table(listIndex);
    return t && t->isOpen();
}

void ListTables::computeOnHand()
{
    m_onHand.clear();
    if (!m_ivinv)
        return;
    for (m_ivinv->first(); !m_ivinv->eof(); m_ivinv->next()) {
        double quantity = 0;
        for (int i = 1; i <= 5; ++i)
            quantity += m_ivinv->field(QStringLiteral("Ivinv_qty%1").arg(i)).asNumber();
        m_onHand[onHandKey(m_ivinv->field(QStringLiteral("Ivinv_Line_Code")).asString(),
                           m_ivinv->field(QStringLiteral("Ivinv_item_code")).asString())] += quantity;
    }
}

void ListTables::open(int listIndex)
{
    data::Table* t = table(listIndex);
    if (!t || t->isOpen())
        return;
    if (listIndex == 5) {
        // Both tables of the products: the quantities first, so that the
        // products' computed column is right on the first read.
        if (!m_ivinv) {
            m_ivinv = std::make_unique<data::Table>();
            m_ivinv->setObjectName(QStringLiteral("ivinv"));
            m_ivinv->setAliasName(kMenuDataAlias);
            m_ivinv->setTableName(QStringLiteral("ivinv"));
            m_ivinv->setReadOnly(true);
        }
        m_ivinv->open();
        computeOnHand();
    }
    t->open();
}

void ListTables::close(int listIndex)
{
    if (data::Table* t = table(listIndex))
        t->close();
    if (listIndex == 5 && m_ivinv)
        m_ivinv->close();
}

void ListTables::refresh(int listIndex)
{
    data::Table* t = table(listIndex);
    if (!t || !t->isOpen())
        return;
    if (listIndex == 5 && m_ivinv && m_ivinv->isOpen()) {
        m_ivinv->refresh();
        computeOnHand();
    }
    t->refresh();
}

} // namespace varnex::launcher::desktop
