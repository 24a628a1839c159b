#include "desktop_rules.h"

#include <QStringList>

namespace varnex::launcher::desktop {

const std::array<ListInfo, kListCount>& Lists()
{
    static const std::array<ListInfo, kListCount> lists = {{
        {"ClientList", "Client", "ClientBtn", "clview", "climaintS", "DBGrid1", 0},
        {"SupplierList", "Supplier", "SupplierBtn", "supview", "supmaintS", "DBGrid2", 1},
        {"AccountsList", "Accounts", "AccountsBtn", "acctview", "acctmaintS", "DBGrid3", 2},
        {"EmployeeList", "Employee", "EmployeeBtn", "empview", "empmaintS", "DBGrid4", 3},
        {"ThingsToDoList", "Ttd", "ToDoListBtn", "", "", "RichEdit1", -1},
        {"ProductList", "Product", "ProductBtn", "prodview", "prodmaintS", "DBGrid5", 4},
    }};
    return lists;
}

int ListIndexOfBox(const QString& boxName)
{
    for (int i = 0; i < kListCount; ++i) {
        if (boxName == QLatin1String(Lists()[i].boxName))
            return i;
    }
    return -1;
}

int ListIndexOfIcon(const QString& iconName)
{
    for (int i = 0; i < kListCount; ++i) {
        if (iconName == QLatin1String(Lists()[i].iconName))
            return i;
    }
    return -1;
}

int ListIndexOfGrid(int gridIndex)
{
    for (int i = 0; i < kListCount; ++i) {
        if (Lists()[i].gridIndex >= 0 && Lists()[i].gridIndex == gridIndex)
            return i;
    }
    return -1;
}

BoxLayout LayoutFor(const QSize& box)
{
    return {box.width() - 65, box.width() - 46, box.width() - 23, box.height() - 34};
}

QSize Enlarged(const QSize& box)
{
    return {box.width() * 115 / 100, box.height() * 125 / 100};
}

QSize Reduced(const QSize& box)
{
    const QSize reduced(box.width() * 100 / 115, box.height() * 100 / 125);
    if (reduced.width() < kMinimumBoxSize.width() || reduced.height() < kMinimumBoxSize.height())
        return box;
    return reduced;
}

bool InsideWallpaper(const QRect& box, const QSize& wallpaper)
{
    return box.left() >= 0 && box.top() >= 0 && box.left() + box.width() <= wallpaper.width()
           && box.top() + box.height() <= wallpaper.height();
}

std::optional<QPoint> DraggedPosition(const QRect& box, const QPoint& press, const QPoint& now, const QSize& wallpaper)
{
    const QPoint moved = box.topLeft() + (now - press);
    if (!InsideWallpaper(QRect(moved, box.size()), wallpaper))
        return std::nullopt;
    return moved;
}

QString ShortcutName(const QString& option)
{
    return option + QLatin1Char('S');
}

QString OptionOfShortcut(const QString& iconName)
{
    return iconName.endsWith(QLatin1Char('S')) ? iconName.left(iconName.size() - 1) : iconName;
}

QString QtFileFilter(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i].trimmed() + QStringLiteral(" (") + parts[i + 1].trimmed() + QLatin1Char(')');
    return filters.join(QStringLiteral(";;"));
}

} // namespace varnex::launcher::desktop
