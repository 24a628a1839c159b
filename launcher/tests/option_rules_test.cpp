// The launcher's rules without a window: option names, libraries, contexts,
// checks, placement and language values.

#include <gtest/gtest.h>

#include "option_rules.h"

using namespace varnex::launcher;

TEST(OptionRules, SuffixesAreRemovedInOrder)
{
    struct Case {
        const char* given;
        const char* option;
        bool fromDesktop;
    } cases[] = {
        {"purchentf", "purchent", false},   // favourite
        {"clviewS", "clview", true},        // desktop shortcut
        {"compsetup", "compsetup", false},  // company maintenance keeps its own "p"
        {"COMPSETUP", "COMPSETUP", false},  // compared in upper case
        {"compsetupf", "compsetup", false}, // its favourite: "f" only
        {"rptprintp", "rptprint", false},   // "p" first ...
        {"supviewfp", "supview", false},    // ... then "f"
        {"climaintSp", "climaint", true},   // "p", then "S"
        {"acctviewfS", "acctviewf", true},  // "S" is the last one looked at, so "f" stays
        {"", "", false},
        {"S", "", true},
    };
    for (const Case& c : cases) {
        const OptionName name = StripOptionSuffixes(QString::fromLatin1(c.given));
        EXPECT_EQ(name.name, QString::fromLatin1(c.option)) << c.given;
        EXPECT_EQ(name.fromDesktop, c.fromDesktop) << c.given;
    }
}

TEST(OptionRules, ReportOptionsShareTwoLibrariesByContext)
{
    struct Case {
        const char* option;
        const char* library;
        const char* context;
        bool setsContext;
    } cases[] = {
        {"rptprint", "rptprint", "gl", true},    {"rptmaint", "rptmaint", "gl", true},
        {"aprptprint", "rptprint", "ap", true},  {"aprptmaint", "rptmaint", "ap", true},
        {"arrptprint", "rptprint", "ar", true},  {"arrptmaint", "rptmaint", "ar", true},
        {"parptprint", "rptprint", "pa", true},  {"parptmaint", "rptmaint", "pa", true},
        {"ivrptprint", "rptprint", "iv", true},  {"ivrptmaint", "rptmaint", "iv", true},
        {"fastatprint", "rptprint", "sv", true}, {"fastatmaint", "rptmaint", "sv", true},
        {"cfstatprint", "rptprint", "sa", true}, {"cfstatmaint", "rptmaint", "sa", true},
        {"purchent", "purchent", "", false},     {"trkentry", "trkentry", "", false},
        {"xxrptprint", "xxrptprint", "", false}, // not a ledger of the suite
    };
    for (const Case& c : cases) {
        const OptionLibrary library = LibraryForOptionName(QString::fromLatin1(c.option));
        EXPECT_EQ(library.library, QString::fromLatin1(c.library)) << c.option;
        EXPECT_EQ(library.context, QString::fromLatin1(c.context)) << c.option;
        EXPECT_EQ(library.setsContext, c.setsContext) << c.option;
    }
}

TEST(OptionRules, ChecksBeforeLoading)
{
    struct Case {
        const char* option;
        bool tracker, payroll, jobCost;
    } cases[] = {
        {"trkentry", true, false, false},   {"trknewbase", false, false, false},
        {"paentry", false, true, false},    {"pafiles", false, false, false},
        {"parptprint", false, true, false}, {"glsubjrn", false, true, false}, // sub-journals read payroll
        {"jcentry", false, false, true},    {"jcfiles", false, false, false},
        {"purchent", false, false, false},  {"Paentry", false, false, false}, // names are case-sensitive
    };
    for (const Case& c : cases) {
        const QString option = QString::fromLatin1(c.option);
        EXPECT_EQ(NeedsTrackerDatabase(option), c.tracker) << c.option;
        EXPECT_EQ(NeedsPayrollFiles(option), c.payroll) << c.option;
        EXPECT_EQ(NeedsJobCostFiles(option), c.jobCost) << c.option;
    }
    EXPECT_TRUE(IsCompanyMaintenance(QStringLiteral("CompSetup")));
    EXPECT_FALSE(IsCompanyMaintenance(QStringLiteral("compsetupf")));
}

TEST(OptionRules, YesNoValues)
{
    EXPECT_TRUE(IsYesAnyCase(QStringLiteral("y")));
    EXPECT_TRUE(IsYesAnyCase(QStringLiteral("Y")));
    EXPECT_FALSE(IsYesAnyCase(QStringLiteral("yes")));
    EXPECT_TRUE(IsExactlyYes(QStringLiteral("Y")));
    EXPECT_FALSE(IsExactlyYes(QStringLiteral("y"))); // "DisplayPW" and "ShowWelcome" want exactly "Y"
    EXPECT_TRUE(IsNoAnyCase(QStringLiteral("n")));
    EXPECT_FALSE(IsNoAnyCase(QString()));
}

TEST(OptionRules, WindowPlacementValues)
{
    struct Case {
        const char* text;
        int height, left, top, width;
        bool stored;
    } cases[] = {
        {"520,20,36,750,N", 520, 20, 36, 750, false}, // the default
        {"600,10,15,800,Y", 600, 10, 15, 800, true},
        {"600,10,15,800,y", 600, 10, 15, 800, false}, // only "Y" uses the position
        {"600,10,15,800", 600, 10, 15, 800, false},   // no flag
        {"", 520, 20, 36, 750, false},                // nothing at all
        {"abc,10,x,800,Y", 520, 10, 36, 800, true},   // non-numeric items keep the design value
        {"0,10,15,-5,Y", 520, 10, 15, 750, true},     // no zero or negative size
        {"600,,,", 600, 20, 36, 750, false},          // missing items
        {" 600 , 10 , 15 , 800 , Y ", 600, 10, 15, 800, true},
    };
    for (const Case& c : cases) {
        const WindowPlacement p = ParseWindowPlacement(QString::fromLatin1(c.text));
        EXPECT_EQ(p.height, c.height) << c.text;
        EXPECT_EQ(p.left, c.left) << c.text;
        EXPECT_EQ(p.top, c.top) << c.text;
        EXPECT_EQ(p.width, c.width) << c.text;
        EXPECT_EQ(p.useStoredPosition, c.stored) << c.text;
    }
    EXPECT_EQ(FormatWindowPlacement(480, -3, 12, 700), QStringLiteral("480,-3,12,700,Y"));
    const WindowPlacement back = ParseWindowPlacement(FormatWindowPlacement(480, -3, 12, 700));
    EXPECT_TRUE(back.useStoredPosition);
    EXPECT_EQ(back.left, -3);
}

TEST(OptionRules, StartLanguageValues)
{
    struct Case {
        const char* text;
        int number;
        const char* code;
        bool valid;
    } cases[] = {
        {"1", 1, "en", true}, {"2", 2, "fr", true},       {"3", 3, "", true},
        {"0", 0, "", true},   {"french", 1, "en", false}, // not a number: English, and the caller says so
        {"", 1, "en", false},
    };
    for (const Case& c : cases) {
        const StartLanguage language = ParseStartLanguage(QString::fromLatin1(c.text));
        EXPECT_EQ(language.number, c.number) << c.text;
        EXPECT_EQ(language.code, QString::fromLatin1(c.code)) << c.text;
        EXPECT_EQ(language.valid, c.valid) << c.text;
    }
    EXPECT_EQ(LanguageCodeOf(QStringLiteral("fra")), QStringLiteral("fr"));
    EXPECT_EQ(LanguageCodeOf(QString()), QStringLiteral("en"));
}

TEST(OptionRules, DatedCaptionQuotesTheLine)
{
    EXPECT_EQ(DatedCaptionPattern(QStringLiteral("Primora/Lgx -")),
              QStringLiteral("\"Primora/Lgx -\" dddd, mmmm d, yyyy"));
    // A quote in the translated line must not end the literal text early.
    EXPECT_EQ(DatedCaptionPattern(QStringLiteral("A \"b\"")), QStringLiteral("\"A b\" dddd, mmmm d, yyyy"));
}
