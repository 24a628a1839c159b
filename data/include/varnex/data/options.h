#pragma once
// The option items of the ten ledger menus, in the item order that fixes their
// rights bits, and the rights map (`User_security`) built from them. The
// launcher names its menu items after `name`; user maintenance and the
// administration tool grant rights by the same names.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace varnex::data {

struct MenuOption {
    int ledger;          // the ledger menu's Tag: 0 GL, 1 AR, 2 AP, 3 invoicing, 4 system,
                         // 5 inventory, 6 purchase orders, 7 payroll, 8 tracker, 9 job cost
    int group;           // 0 edit, 1 transactions, 2 reports, 3 procedures
    int item;            // index within the group
    const char* name;    // option name: menu item name and, mostly, library file name
    const char* caption; // design caption (French, English for job cost)
};

constexpr int RightsMapSize = 200; // bytes of `User_security`

// Every option item of the ledger menus, in the order of the main menu.
const QList<MenuOption>& MenuOptions();
// The option of that name (case-insensitive), or nullptr.
const MenuOption* FindMenuOption(const QString& name);

// Bit n = ledger x 105 + group x 15 + item; ledger and group keep their low
// 7 bits, as the launcher's rights test does.
int RightsBit(int ledger, int group, int item);
bool HasRight(const QByteArray& rights, int ledger, int group, int item);
void SetRight(QByteArray& rights, int ledger, int group, int item, bool granted);

QByteArray RightsNone(); // 200 zero bytes
QByteArray RightsAll();  // every option of MenuOptions()
// Rights for the named options; names not found are added to `unknown`
// (when given) and grant nothing.
QByteArray RightsFor(const QStringList& optionNames, QStringList* unknown = nullptr);

} // namespace varnex::data
