#pragma once
// The launcher's rules that need no window: option names and their suffixes,
// the library and context of an option, the checks an option is subject to,
// the window placement value and the start-up language value. The main
// window calls these; the tests check them as tables of cases.

#include <QString>

namespace varnex::launcher {

// What is left of a name once the menu and desktop suffixes are removed.
struct OptionName {
    QString name;             // the option proper
    bool fromDesktop = false; // had a final "S": started from an icon or a desktop list
};

// Drops a final "p" (except for the company maintenance option, whose own
// name ends in "p"), then a final "f" (a favourite), then a final "S" (a
// desktop shortcut), in that order.
OptionName StripOptionSuffixes(const QString& name);

// The library file (without extension) an option loads and the context the
// module receives in `Link_context` for the call. Report printing and report
// maintenance of every ledger share two libraries told apart by the context.
// Tracker options get their context from the chosen tracker database instead
// (see NeedsTrackerDatabase).
struct OptionLibrary {
    QString library;
    QString context;
    bool setsContext = false; // false: `Link_context` is left as it is
};
OptionLibrary LibraryForOptionName(const QString& option);

// Tracker options run against the tracker database chosen in the Tracker
// menu; creating a new database is the one that needs none.
bool NeedsTrackerDatabase(const QString& option);
// Payroll options (and the sub-journals, which read payroll postings) need
// the company's payroll files, except the option that creates them.
bool NeedsPayrollFiles(const QString& option);
// Job-cost options need the company's job-cost files, except the one that creates them.
bool NeedsJobCostFiles(const QString& option);
// Payroll libraries: a missing dependency has a message of its own.
bool IsPayrollOption(const QString& option);
bool IsCompanyMaintenance(const QString& option); // any case

// "Y" in any case: an installed ledger.
bool IsYesAnyCase(const QString& value);
// Exactly "Y".
bool IsExactlyYes(const QString& value);
// "N" in any case: the option lists skip a ledger only when told "N" outright.
bool IsNoAnyCase(const QString& value);

// ---- window placement ("Form") --------------------------------------------

struct WindowPlacement {
    int height = 520;
    int left = 20;
    int top = 36;
    int width = 750;
    bool useStoredPosition = false; // fifth item "Y": left and top are used
};

// Five comma-separated items: height, left, top, width, flag. A missing or
// non-numeric item keeps its design value, so that a damaged value never
// stops the program or gives it a zero-sized window.
WindowPlacement ParseWindowPlacement(const QString& text);
// height, left, top, width and ",Y": written at every exit.
QString FormatWindowPlacement(int height, int left, int top, int width);

// ---- start-up language ("language") ---------------------------------------

struct StartLanguage {
    int number = 1;    // `Link_language`
    QString code;      // "en", "fr", or empty for any other number
    bool valid = true; // false: the value was not a number
};
StartLanguage ParseStartLanguage(const QString& text);

// The first two characters of a language code ("fra" -> "fr"); "en" when empty.
QString LanguageCodeOf(const QString& langCode);

// ---- window caption --------------------------------------------------------

// The dated caption pattern of the main window: the message line quoted
// literally, then the weekday, month, day and year.
QString DatedCaptionPattern(const QString& titleLine);

} // namespace varnex::launcher
