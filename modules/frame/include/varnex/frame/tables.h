#pragma once
// Guarded opening of a table and the edit that waits for another
// workstation's record lock.

#include <QString>

class QWidget;

namespace varnex::data {
class Table;
}

namespace varnex::frame {

// Opens the table. On any failure shows "Error opening table " + name (in
// French when the language is 2) with one OK button, then closes `formToClose`
// (the modules pass the application's main window). The failure is not passed
// on; returns whether the table is open.
bool OpenTableChecked(data::Table& table, int language, QWidget* formToClose);

// Puts the current record in edit mode, waiting as long as another process
// holds its lock. Between attempts it pauses briefly, keeps the windows
// painted and shows that it waits for another workstation. Any other engine
// error ends the attempt quietly (the record is then not in edit mode); an
// exception that is not an engine error is passed on. Returns whether the
// record is in edit mode.
bool EditWithLockRetry(data::Table& table, QWidget* window = nullptr, int language = 1);

// Pause between two attempts of EditWithLockRetry, in milliseconds.
inline constexpr int LockRetryPauseMs = 100;

} // namespace varnex::frame
