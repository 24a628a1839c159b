#pragma once
// Message lists: a hidden multi-line text component on a window whose lines,
// filled by the translation, are the texts the code shows. The code reads
// line n by number; the numbers each program reads are listed here, so that
// the build can check that both languages hold every one of them.

#include <QString>
#include <QStringList>

#include <array>

class QWidget;

namespace varnex::translation {

// Line n (from 0) of a message list (QPlainTextEdit or QTextEdit). A missing
// line, a null list or a widget that is not a text box gives an empty text,
// never a crash.
QString MessageLine(const QWidget* messageList, int line);
// The same for the message list named listName among the window's components.
QString MessageLine(const QWidget* window, const QString& listName, int line);

// The lines of the message list `listName` of window `formName`, read
// straight from the language table `tableName` (without extension), for a
// program that tells its texts without showing that window (a command-line
// tool, a library that only reports). Empty when the table cannot be read or
// has no such list: the caller then tells its design text.
QStringList MessageLinesOfTable(const QString& tableName, const QString& formName, const QString& listName);

// Lines of the launcher's `Error_Messages` (table "MainMenu" + code).
namespace launcher_lines {
inline constexpr int PictureNotLoaded = 0; // a wallpaper or icon picture cannot be read
inline constexpr int ShortcutExists = 1;   // a second shortcut to the same option
// Lines 3 to 12 are the ledger labels appended to option captions in the
// shortcut lists: line LedgerLabelBase + the ledger menu's Tag (0 to 9).
inline constexpr int LedgerLabelBase = 3;
inline constexpr int NoTrackerDatabase = 13; // a tracker option with no database chosen
inline constexpr int PayrollLibraryMissing = 14;
inline constexpr int PayrollFilesMissing = 15;
inline constexpr int WindowTitle = 16; // the dated title of the main window
inline constexpr int JobCostFilesMissing = 19;
// Line 3 is the General ledger label, so the refusal of an option the user
// may not run has a line of its own (a shortcut or desktop list whose option
// is no longer allowed).
inline constexpr int OptionNotAllowed = 20;
// Why the launcher closes before any login: the data root has no system
// tables (%1 is the folder), or every session slot is held.
inline constexpr int DataRootNotSetUp = 21;
inline constexpr int NoFreeSession = 22;
// A language table that cannot be read (%1 is its name): told once, in the
// texts the windows already have.
inline constexpr int LanguageTableMissing = 23;
// Lines 24 to 29: the international wording of the six cheque entries, in
// the order Internationalize sets them.
inline constexpr int InternationalCaptionBase = 24;
// A stored desktop that cannot be read (%1 says which row and why): the
// standard desktop is shown instead.
inline constexpr int DesktopDamaged = 30;
// An option library whose name is not a plain name of the program folder
// (%1): refused, nothing is loaded.
inline constexpr int LibraryNameRefused = 31;
// The languages folder itself is missing (%1): told once for every table.
inline constexpr int LanguagesFolderMissing = 32;

// Every line the launcher reads.
inline constexpr std::array<int, 30> All = {0,  1,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                            16, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
} // namespace launcher_lines

// Lines of lgxadmin's `Messages` (table "lgxadmin" + code, window "Lgxadmin").
namespace lgxadmin_lines {
// Another process is creating the company in the folder %1.
inline constexpr int CompanyBeingCreated = 0;
// The disk holding the folder (%1) filled up: nothing of the step was kept.
inline constexpr int DiskFull = 1;
inline constexpr std::array<int, 2> All = {CompanyBeingCreated, DiskFull};
} // namespace lgxadmin_lines

// Lines of the Tools menu maintenance's `Messages` (table "toolsmaint" +
// code, window "ToolsMaint_Frm").
namespace toolsmaint_lines {
inline constexpr int Everybody = 0; // the first choice of "Rights like"
inline constexpr int NoProgram = 1;
inline constexpr int NoCaption = 2;
inline constexpr int ProgramTaken = 3;
inline constexpr int LibraryNameRefused = 4; // not a plain library name of the program folder
inline constexpr int NoWorkingFolder = 5;
inline constexpr int EntryDeletedElsewhere = 6;
inline constexpr int MaintenanceKept = 7; // the menu's own maintenance entry cannot be deleted
inline constexpr int ConfirmDelete = 8;
inline constexpr std::array<int, 9> All = {0, 1, 2, 3, 4, 5, 6, 7, 8};
} // namespace toolsmaint_lines

// Lines of company creation's `Messages` (table "compcreate" + code, window
// "CompCreate"); it has no window of its own.
namespace compcreate_lines {
inline constexpr int DefaultName = 0;         // "Company %1"
inline constexpr int DataRootMissing = 1;     // the data folder %1 does not exist
inline constexpr int CompanyBeingCreated = 2; // %1 the company's folder
inline constexpr int DiskFull = 3;            // %1 folder
inline constexpr std::array<int, 4> All = {DefaultName, DataRootMissing, CompanyBeingCreated, DiskFull};
} // namespace compcreate_lines

// Lines of the module frame's own `Messages` (table "picklists" + code,
// window "FrameMessages"): what the shared services tell in any module.
namespace frame_lines {
inline constexpr int TableNotOpened = 0;   // %1 the table's name
inline constexpr int WaitingForRecord = 1; // another workstation holds the record
inline constexpr std::array<int, 2> All = {TableNotOpened, WaitingForRecord};
} // namespace frame_lines

} // namespace varnex::translation
