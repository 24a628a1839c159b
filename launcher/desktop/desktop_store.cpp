#include "desktop_store.h"

#include "varnex/data/database.h"
#include "varnex/data/table.h"

namespace varnex::launcher::desktop {

namespace {

const QString kUser = QStringLiteral("Desktop_user");

void openUserRows(data::Table& table, const QString& dataRoot, const QString& user, bool readOnly)
{
    table.setFolder(dataRoot);
    table.setTableName(QStringLiteral("Desktop"));
    table.setReadOnly(readOnly);
    table.open();
    // The primary key (user, index) keeps each user's rows in the order they were written.
    table.setRange({user}, {user});
}

} // namespace

QList<DesktopRow> ReadDesktopRows(const QString& dataRoot, const QString& user)
{
    data::Table table;
    openUserRows(table, dataRoot, user, true);
    QList<DesktopRow> rows;
    for (table.first(); !table.eof(); table.next()) {
        DesktopRow row;
        row.componentIndex = static_cast<int>(table.field(QStringLiteral("Desktop_ComponentIndex")).asInteger());
        row.type = static_cast<int>(table.field(QStringLiteral("Desktop_Component_type")).asInteger());
        row.component = table.field(QStringLiteral("Desktop_Component")).asBytes();
        rows << row;
    }
    table.close();
    return rows;
}

void ReplaceDesktopRows(const QString& dataRoot, const QString& user, const QList<DesktopRow>& rows)
{
    data::Table table;
    openUserRows(table, dataRoot, user, false);
    {
        data::Transaction transaction(table.database());
        table.first();
        while (!table.eof())
            table.deleteRecord();
        for (const DesktopRow& row : rows) {
            table.append();
            table.field(kUser).setString(user);
            table.field(QStringLiteral("Desktop_ComponentIndex")).setInteger(row.componentIndex);
            table.field(QStringLiteral("Desktop_Component_type")).setInteger(row.type);
            table.field(QStringLiteral("Desktop_Component")).setBytes(row.component);
            table.post();
        }
        transaction.commit();
    }
    table.close();
}

} // namespace varnex::launcher::desktop
