#include "desktop_seed.h"

#include <QImage>

#include <memory>

#include "varnex/controls/componentstream.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/translation/translate.h"

namespace varnex::lgxadmin {

namespace {

// The icon of each list and the list box whose caption it takes, in the
// order they stand on the wallpaper.
struct ListIcon {
    const char* icon;
    const char* list;
    const char* designCaption;
};
constexpr ListIcon kListIcons[] = {
    {"ClientBtn", "ClientList", "Clients"},       {"SupplierBtn", "SupplierList", "Suppliers"},
    {"ProductBtn", "ProductList", "Products"},    {"AccountsBtn", "AccountsList", "Chart of accounts"},
    {"EmployeeBtn", "EmployeeList", "Employees"}, {"ToDoListBtn", "ThingsToDoList", "Things to do"},
};
constexpr int kIconType = 1; // a stored desktop row holding an icon

// The captions of the main window's lists in the user's language; the
// design texts when the table cannot be read.
QString captionOf(const ListIcon& icon, int language)
{
    try {
        const auto table = translation::LanguageTables().open(translation::LanguageTableFileName(
            language == 2 ? QStringLiteral("MainMenufr") : QStringLiteral("MainMenuen")));
        for (const translation::LanguageRow& row : table->rowsOfForm(QStringLiteral("LogoAppForm")))
            if (row.componentName == QLatin1String(icon.list) && !row.caption.isEmpty())
                return row.caption;
    } catch (const std::exception&) {
    }
    return QString::fromUtf8(icon.designCaption);
}

QByteArray iconStream(const ListIcon& icon, int position, const QString& caption, const QByteArray& picture)
{
    StoredComponent c;
    c.className = QStringLiteral("TTransparentButton");
    c.name = QString::fromLatin1(icon.icon);
    auto add = [&c](const char* name, StreamValue value) { c.properties.append({QString::fromLatin1(name), value}); };
    add("Left", qint32(656));
    add("Top", qint32(4 + position * 80));
    add("Width", qint32(80));
    add("Height", qint32(78));
    add("Tag", qint32(1));
    add("BorderWidth", qint32(0));
    add("Caption", caption);
    add("Font.Name", QStringLiteral("Arial"));
    add("Font.Size", qint32(10));
    add("Font.Color", QColor(Qt::white));
    if (!picture.isEmpty())
        add("Glyph", picture);
    add("Movable", true);
    return WriteStream(c);
}

} // namespace

int WriteStarterDesktop(const QString& dataRoot, const QString& userCode, const QString& programFolder)
{
    auto db = data::Database::forFolder(dataRoot);
    if (!db->tableExists(QStringLiteral("user")) || !db->tableExists(QStringLiteral("Desktop")))
        throw data::SetupError(QStringLiteral("%1 is not a data root (no user or desktop table).").arg(dataRoot));
    const QString wanted = userCode.trimmed();
    QString code; // as stored: the launcher keys the desktop by it

    int language = 0;
    data::Table users;
    users.setDatabase(db);
    users.setTableName(QStringLiteral("user"));
    users.setReadOnly(true);
    users.open();
    bool found = false;
    for (users.first(); !users.eof() && !found; users.next()) {
        const QString stored = users.field(QStringLiteral("User_code")).asString();
        if (stored.trimmed().compare(wanted, Qt::CaseInsensitive) == 0) {
            found = true;
            code = stored;
            language = static_cast<int>(users.field(QStringLiteral("User_language")).asInteger());
        }
    }
    users.close();
    if (!found)
        throw data::SetupError(QStringLiteral("There is no user %1.").arg(wanted));

    data::Table desktop;
    desktop.setDatabase(db);
    desktop.setTableName(QStringLiteral("Desktop"));
    desktop.open();
    desktop.setRange({code}, {code});
    desktop.first();
    if (!desktop.eof())
        throw data::SetupError(QStringLiteral("User %1 already has a desktop; it is kept.").arg(code));

    const QByteArray picture = stored::EncodePicture(QImage(programFolder + QStringLiteral("/sysedit.bmp")));
    data::Transaction transaction(db);
    int position = 0;
    for (const ListIcon& icon : kListIcons) {
        desktop.append();
        desktop.field(QStringLiteral("Desktop_user")).setString(code);
        desktop.field(QStringLiteral("Desktop_ComponentIndex")).setInteger(position);
        desktop.field(QStringLiteral("Desktop_Component_type")).setInteger(kIconType);
        desktop.field(QStringLiteral("Desktop_Component"))
            .setBytes(iconStream(icon, position, captionOf(icon, language), picture));
        desktop.post();
        ++position;
    }
    transaction.commit();
    desktop.close();
    return position;
}

} // namespace varnex::lgxadmin
