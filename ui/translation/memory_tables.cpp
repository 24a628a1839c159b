#include "varnex/translation/translate.h"

namespace varnex::translation {

namespace {

// Table names compare like the engine's: without regard to case and without
// the ".db" suffix.
QString tableKey(const QString& name)
{
    QString key = name.toLower();
    if (key.endsWith(QStringLiteral(".db")))
        key.chop(3);
    return key;
}

class MemoryLanguageTable : public LanguageTable {
public:
    explicit MemoryLanguageTable(std::vector<LanguageRow> rows)
        : m_rows(std::move(rows))
    {
    }

    std::vector<LanguageRow> rowsOfForm(const QString& formName) const override
    {
        std::vector<LanguageRow> rows;
        for (const LanguageRow& row : m_rows) {
            if (row.formName == formName)
                rows.push_back(row);
        }
        return rows;
    }

    QStringList formNames() const override
    {
        QStringList names;
        for (const LanguageRow& row : m_rows) {
            if (!names.contains(row.formName))
                names.append(row.formName);
        }
        return names;
    }

private:
    std::vector<LanguageRow> m_rows;
};

} // namespace

void MemoryLanguageTables::addRow(const QString& tableName, const LanguageRow& row)
{
    m_tables[tableKey(tableName)].push_back(row);
}

void MemoryLanguageTables::addTable(const QString& tableName)
{
    m_tables[tableKey(tableName)];
}

std::unique_ptr<LanguageTable> MemoryLanguageTables::open(const QString& tableFileName)
{
    ++m_openCount;
    const auto found = m_tables.constFind(tableKey(tableFileName));
    if (found == m_tables.constEnd())
        throw LanguageTableError(QStringLiteral("Table does not exist. Table: %1").arg(tableFileName).toStdString());
    return std::make_unique<MemoryLanguageTable>(found.value());
}

} // namespace varnex::translation
