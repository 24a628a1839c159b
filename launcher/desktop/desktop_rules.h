#pragma once
// What the desktop decides without a window: the six lists and their names,
// the stored component types and indexes, and the geometry of a list box.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <optional>

namespace varnex::launcher::desktop {

// Desktop_Component_type of a stored row.
enum class ComponentType { Wallpaper = 0, Icon = 1, ListBox = 2, ListGrid = 3, Notes = 4 };
inline constexpr int kComponentTypeCount = 5;

// One list of the wallpaper, in the order of its stored index (type 2).
struct ListInfo {
    const char* boxName;     // "ClientList"
    const char* prefix;      // of its title buttons: "ClientReduce", "ClientEnlarge", "ClientClose"
    const char* iconName;    // the list icon that toggles it
    const char* option;      // the display option the user must be allowed; empty: none
    const char* maintenance; // what the Insert key runs in its grid; empty: none
    const char* contentName; // "DBGrid1" ... or the notes editor "RichEdit1"
    int gridIndex;           // stored index of the grid (type 3); -1 for the notes
};

inline constexpr int kListCount = 6;
inline constexpr int kGridCount = 5;
inline constexpr int kThingsToDo = 4; // stored index of the things-to-do list

const std::array<ListInfo, kListCount>& Lists();
// Stored index of a list by one of its names; -1 when it is none of them.
int ListIndexOfBox(const QString& boxName);
int ListIndexOfIcon(const QString& iconName);
// Stored list index of the list that holds grid `gridIndex` (0..4).
int ListIndexOfGrid(int gridIndex);

// ---- geometry ----

// Where the title buttons and the content go in a box of this size.
struct BoxLayout {
    int reduceLeft;
    int enlargeLeft;
    int closeLeft;
    int contentHeight;
};
BoxLayout LayoutFor(const QSize& box);

// Enlarge: width x 1.15 and height x 1.25, truncated; Reduce divides. The
// factors are applied as exact decimals, so 20 wide enlarges to 23 and not
// to whatever binary rounding of 1.15 would leave.
QSize Enlarged(const QSize& box);
// A box is never reduced below kMinimumBoxSize: its buttons and content
// would overlap or vanish, and the user could not enlarge it again.
QSize Reduced(const QSize& box);
inline constexpr QSize kMinimumBoxSize{120, 70};

// Whether the whole box lies inside a wallpaper of this size.
bool InsideWallpaper(const QRect& box, const QSize& wallpaper);
// Dragging: the position the box moves to when the pointer, pressed at
// `press` (box coordinates), is now at `now` (box coordinates); nothing when
// the box would leave the wallpaper.
std::optional<QPoint> DraggedPosition(const QRect& box, const QPoint& press, const QPoint& now, const QSize& wallpaper);

// The shortcut icon of an option ("purchent" gives "purchentS") and back.
QString ShortcutName(const QString& option);
QString OptionOfShortcut(const QString& iconName);

// A file filter as the picture dialogs describe it ("Bitmap image|*.bmp|Jpeg
// image|*.jpg") in the form Qt's file dialogs take.
QString QtFileFilter(const QString& pairs);

} // namespace varnex::launcher::desktop
