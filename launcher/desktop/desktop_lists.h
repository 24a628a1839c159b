#pragma once
// The list boxes of the wallpaper and the company tables behind their grids.

#include <QGroupBox>
#include <QList>
#include <QPointer>

#include <array>
#include <memory>

#include "desktop_rules.h"
#include "varnex/widgets/dbwidgets.h"

class QToolButton;
class QTextEdit;

namespace varnex::data {
class Table;
}

namespace varnex::launcher::desktop {

// A list window on the wallpaper: a titled box with Reduce, Enlarge and
// Close buttons at its top right and one content control under them. `Tag`
// (a dynamic property) is 1 while the list is shown.
class TDesktopListBox : public QGroupBox {
    Q_OBJECT
public:
    TDesktopListBox(int listIndex, QWidget* wallpaper);

    int listIndex() const { return m_listIndex; }
    QToolButton* reduceButton() const { return m_reduce; }
    QToolButton* enlargeButton() const { return m_enlarge; }
    QToolButton* closeButton() const { return m_close; }
    QWidget* content() const { return m_content; }
    void setContent(QWidget* content);

    // Places the title buttons and the content for the box's size.
    void applyGeometryRules();

private:
    int m_listIndex;
    QToolButton* m_reduce;
    QToolButton* m_enlarge;
    QToolButton* m_close;
    QPointer<QWidget> m_content;
};

// A list grid that keeps its column widths and order when its rows are read
// again (a refresh, a reopened table), as a stored desktop expects.
class TDesktopGrid : public TVarnexDBGrid {
    Q_OBJECT
public:
    explicit TDesktopGrid(QWidget* parent = nullptr);

private:
    QByteArray m_headerState;
    int m_headerColumns = 0;
};

// The company tables of the five grids ("menudata"), opened while their list
// is shown. The product list shows the quantity on hand of every store
// together, computed from the inventory rows (quantities 1 to 5) rather
// than read from their stored total.
class ListTables {
public:
    ListTables();
    ~ListTables();

    // The grid's data set and columns.
    void bind(int listIndex, TVarnexDBGrid* grid);
    void open(int listIndex);  // engine errors go to the caller
    void close(int listIndex); // closing a closed list does nothing
    void refresh(int listIndex);
    bool isOpen(int listIndex) const;
    data::Table* table(int listIndex) const;

private:
    void computeOnHand();
    std::array<std::unique_ptr<data::Table>, kListCount> m_tables;
    std::unique_ptr<data::Table> m_ivinv;
    QHash<QString, double> m_onHand; // by line code + "\t" + item code
};

} // namespace varnex::launcher::desktop
