#pragma once
// The user's rights map and the marking of the main menu with it.
//
// The map is 200 bytes (1600 bits) kept in `User_security`. The option at
// item i of group g of the ledger menu with Tag L is bit L x 105 + g x 15 + i,
// bit n being bit (n mod 8) of byte (n div 8), least significant first. The
// user maintenance option of the suite sets the bits by the same rule, so the
// rule never changes.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;

#include "varnex/data/table.h"

namespace varnex::launcher {

constexpr int SecurityMapBytes = 200;

// Bit number of an option; ledger and group keep their low 7 bits, so stored
// rights maps keep their meaning.
int SecurityBit(int ledger, int group, int item);
// The bit in a map; bits beyond the map read as clear.
bool SecurityBitSet(const QByteArray& map, int ledger, int group, int item);

class TUserSecurityManager : public QObject {
    Q_OBJECT
public:
    explicit TUserSecurityManager(QObject* owner = nullptr);

    // The user table. Every change of its current record reloads the map.
    data::DataSet* DataSource() const { return m_dataSource; }
    void setDataSource(data::DataSet* dataSource);

    // The field that holds the map. A field shorter than the map is refused
    // (the property stays empty) and returns false; `designMessage`, when
    // given, receives the text a designer is shown.
    QString BytesField() const { return m_bytesField; }
    bool setBytesField(const QString& fieldName, QString* designMessage = nullptr);

    // Called after every reload of the map.
    std::function<void()> OnChange;

    const QByteArray& map() const { return m_map; }
    // Reloads the copy from the current record: a byte value gives the copy,
    // anything else (null, no record, no field) 200 zero bytes.
    void Reload();
    // Stores the copy into the field of the current record (which must be in
    // edit or insert state).
    void WriteBack();
    bool Test(int ledger, int group, int item) const;
    void setMap(const QByteArray& map); // grants and tests; padded/cut to 200 bytes

    // For each submenu of `menu` from index `first` to `last` (the k-th one
    // being group groupBase + k), each of its items i gets Enabled (when
    // useEnabled) or Visible set to the bit of (menu's Tag, group, i).
    // Entries of `menu` that are not submenus (favourites, separators) count
    // in the indexes but are left alone.
    void MarkTMenu(QMenu* menu, int first, int groupBase, int last, bool useEnabled) const;
    // The same over the root menus of a menu bar, with the bar's Tag.
    void MarkMenu(QMenuBar* menuBar, int first, int groupBase, int last, bool useEnabled) const;

private:
    void MarkEntries(const QList<QAction*>& entries, int ledger, int first, int groupBase, int last,
                     bool useEnabled) const;
    data::Field* mapField() const;

    QPointer<data::DataSet> m_dataSource;
    QString m_bytesField;
    QByteArray m_map;
    QMetaObject::Connection m_recordConnection;
    QMetaObject::Connection m_setConnection;
};

// "Tag" of a menu (a dynamic property, as the design's Tag), 0 when absent.
int MenuTag(const QObject* menuObject);

} // namespace varnex::launcher
