#include <QDir>

#include "varnex/data/query.h"
#include "varnex/data/table.h"
#include "varnex/translation/translate.h"

namespace varnex::translation {

namespace {

using varnex::data::Database;
using varnex::data::Table;

// A language table of the languages folder's database. The rows of one window
// are read with one ranged walk of the primary key; names are compared again
// here, exactly, because the key order of the engine is not this routine's
// business.
class EngineLanguageTable : public LanguageTable {
public:
    explicit EngineLanguageTable(std::unique_ptr<Table> table)
        : m_table(std::move(table))
    {
    }

    std::vector<LanguageRow> rowsOfForm(const QString& formName) const override
    {
        std::vector<LanguageRow> rows;
        m_table->setRange({formName}, {formName});
        for (m_table->first(); !m_table->eof(); m_table->next()) {
            LanguageRow row = currentRow();
            if (row.formName == formName)
                rows.push_back(std::move(row));
        }
        m_table->cancelRange();
        return rows;
    }

    QStringList formNames() const override
    {
        QStringList names;
        for (m_table->first(); !m_table->eof(); m_table->next()) {
            const QString name = m_table->field(QStringLiteral("FormName")).asString();
            if (!names.contains(name))
                names.append(name);
        }
        return names;
    }

private:
    LanguageRow currentRow() const
    {
        LanguageRow row;
        row.formName = m_table->field(QStringLiteral("FormName")).asString();
        row.componentName = m_table->field(QStringLiteral("ComponentName")).asString();
        row.caption = m_table->field(QStringLiteral("Caption")).asString();
        row.lines = m_table->field(QStringLiteral("Lines")).asString();
        row.hint = m_table->field(QStringLiteral("Hint")).asString();
        row.isMemo = m_table->field(QStringLiteral("IsMemo")).asLogical();
        row.isDBGrid = m_table->field(QStringLiteral("IsDBGrid")).asLogical();
        row.isRadioGroup = m_table->field(QStringLiteral("IsRadioGroup")).asLogical();
        row.isCombobox = m_table->field(QStringLiteral("IsCombobox")).asLogical();
        row.isCheckList = m_table->field(QStringLiteral("IsCheckList")).asLogical();
        return row;
    }

    std::unique_ptr<Table> m_table;
};

class EngineLanguageTables : public LanguageTableSource {
public:
    std::unique_ptr<LanguageTable> open(const QString& tableFileName) override
    {
        // Opened by folder, read-only: the tables are data delivered with the
        // program and no program writes them.
        auto table = std::make_unique<Table>();
        table->setDatabase(Database::forFolder(LanguagesFolder()));
        table->setTableName(tableFileName);
        table->setReadOnly(true);
        table->open();
        return std::make_unique<EngineLanguageTable>(std::move(table));
    }
};

} // namespace

LanguageTableSource& DefaultLanguageTables()
{
    static EngineLanguageTables source;
    return source;
}

} // namespace varnex::translation
