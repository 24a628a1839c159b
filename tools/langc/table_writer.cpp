#include "table_writer.h"

#include "langfile.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"

namespace varnex::langc {

using namespace varnex::data;

TableDef LanguageTableDef(const QString& tableName)
{
    TableDef def;
    def.name = tableName;
    def.folder = Folder::Languages;
    def.fields = {
        {QStringLiteral("FormName"), FieldType::Text, kNameWidth},
        {QStringLiteral("ComponentName"), FieldType::Text, kNameWidth},
        {QStringLiteral("Caption"), FieldType::Text, kCaptionWidth},
        {QStringLiteral("Lines"), FieldType::Memo, 0},
        {QStringLiteral("Hint"), FieldType::Text, kHintWidth},
        {QStringLiteral("IsMemo"), FieldType::Logical, 0},
        {QStringLiteral("IsDBGrid"), FieldType::Logical, 0},
        {QStringLiteral("IsRadioGroup"), FieldType::Logical, 0},
        {QStringLiteral("IsCombobox"), FieldType::Logical, 0},
        {QStringLiteral("IsCheckList"), FieldType::Logical, 0},
    };
    def.indexes = {{QString(), {QStringLiteral("FormName"), QStringLiteral("ComponentName")}, true, true}};
    return def;
}

void WriteLanguageTable(const QString& folder, const QString& tableName,
                        const std::vector<varnex::translation::LanguageRow>& rows)
{
    const std::shared_ptr<Database> db = Database::forFolder(folder);
    db->dropTable(tableName);
    db->createTable(LanguageTableDef(tableName));
    Transaction transaction(db);
    Table table;
    table.setDatabase(db);
    table.setTableName(tableName);
    table.open();
    for (const varnex::translation::LanguageRow& row : rows) {
        table.append();
        table.field(QStringLiteral("FormName")).setString(row.formName);
        table.field(QStringLiteral("ComponentName")).setString(row.componentName);
        table.field(QStringLiteral("Caption")).setString(row.caption);
        table.field(QStringLiteral("Lines")).setString(row.lines);
        table.field(QStringLiteral("Hint")).setString(row.hint);
        table.field(QStringLiteral("IsMemo")).setLogical(row.isMemo);
        table.field(QStringLiteral("IsDBGrid")).setLogical(row.isDBGrid);
        table.field(QStringLiteral("IsRadioGroup")).setLogical(row.isRadioGroup);
        table.field(QStringLiteral("IsCombobox")).setLogical(row.isCombobox);
        table.field(QStringLiteral("IsCheckList")).setLogical(row.isCheckList);
        table.post();
    }
    table.close();
    transaction.commit();
}

} // namespace varnex::langc
