#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "langfile.h"

using namespace varnex::langc;

namespace {

ParseResult parse(const char* text)
{
    return ParseLanguageFile(QStringLiteral("/src/languages/Demo.lang"), QString::fromUtf8(text));
}

const varnex::translation::LanguageRow* findRow(const std::vector<varnex::translation::LanguageRow>& rows,
                                                const char* component)
{
    for (const auto& row : rows)
        if (row.componentName == QLatin1String(component))
            return &row;
    return nullptr;
}

} // namespace

TEST(LanguageFile, EveryKindGivesItsRowInBothLanguages)
{
    const ParseResult result = parse(R"(# comment
window DemoForm
    en: Demo
    fr: Démo

text OKBtn
    en: OK
    fr: D'accord
    hint.en: Accept
    hint.fr: Accepter

messages IntlStrings1
    0.en: zero
    0.fr: zéro
    2.en: " two "
    2.fr: deux

grid DBGrid1
    lines.en:
      | Code
      |
      |  Name
    lines.fr:
      | Code
      |
      |  Nom

radio RadioGroup1
    en: Kind
    fr: Genre
    lines.en:
      | Purchase
    lines.fr:
      | Achat

combo Combo1
    lines.en:
    lines.fr:

checklist CheckList1
    lines.en:
      | a
    lines.fr:
      | b

memo Memo1
    lines.en:
      | one line
    lines.fr:
      | une ligne
      | et une autre

navigator DBNavigator1
    lines.en:
      | First
    lines.fr:
      | Premier
)");
    ASSERT_TRUE(result.errors.isEmpty()) << result.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(result.file.program, QStringLiteral("Demo"));

    const auto en = RowsFor(result.file, English);
    const auto fr = RowsFor(result.file, French);
    ASSERT_EQ(en.size(), 9u);
    ASSERT_EQ(fr.size(), 9u);

    EXPECT_EQ(findRow(fr, "DemoForm")->caption, QStringLiteral("Démo"));
    EXPECT_EQ(findRow(fr, "OKBtn")->caption, QStringLiteral("D'accord"));
    EXPECT_EQ(findRow(en, "OKBtn")->hint, QStringLiteral("Accept"));

    const auto* messages = findRow(en, "IntlStrings1");
    EXPECT_TRUE(messages->isMemo);
    EXPECT_EQ(messages->lines, QStringLiteral("zero\n\n two ")); // line 1 unused, quotes keep spaces

    const auto* grid = findRow(fr, "DBGrid1");
    EXPECT_TRUE(grid->isDBGrid);
    EXPECT_EQ(grid->lines, QStringLiteral("Code\n\n Nom")); // one space after "|" is the separator

    const auto* radio = findRow(fr, "RadioGroup1");
    EXPECT_TRUE(radio->isRadioGroup);
    EXPECT_EQ(radio->caption, QStringLiteral("Genre"));
    EXPECT_EQ(radio->lines, QStringLiteral("Achat"));

    const auto* combo = findRow(en, "Combo1");
    EXPECT_TRUE(combo->isCombobox);
    EXPECT_TRUE(combo->lines.isEmpty());

    EXPECT_TRUE(findRow(en, "CheckList1")->isCheckList);
    EXPECT_EQ(findRow(fr, "Memo1")->lines, QStringLiteral("une ligne\net une autre")); // prose may differ

    const auto* navigator = findRow(en, "DBNavigator1");
    EXPECT_FALSE(navigator->isMemo || navigator->isDBGrid || navigator->isRadioGroup || navigator->isCombobox
                 || navigator->isCheckList);
    EXPECT_EQ(navigator->lines, QStringLiteral("First"));

    EXPECT_EQ(MessageListLine(result.file, QStringLiteral("DemoForm"), QStringLiteral("IntlStrings1"), 2, French),
              QStringLiteral("deux"));
    EXPECT_EQ(MessageListLine(result.file, QStringLiteral("DemoForm"), QStringLiteral("IntlStrings1"), 1, French),
              QString());
}

TEST(LanguageFile, AWindowWithoutCaptionOnlyGroupsItsEntries)
{
    const ParseResult result = parse("window W\ntext T\n    en: a\n    fr: b\n");
    ASSERT_TRUE(result.errors.isEmpty());
    const auto rows = RowsFor(result.file, English);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].formName, QStringLiteral("W"));
    EXPECT_EQ(rows[0].componentName, QStringLiteral("T"));
}

TEST(LanguageFile, WindowsDoNotShareKeys)
{
    // The same component name under two windows is two keys.
    const ParseResult result =
        parse("window A\ntext OKBtn\n    en: a\n    fr: a\nwindow B\ntext OKBtn\n    en: b\n    fr: b\n");
    EXPECT_TRUE(result.errors.isEmpty()) << result.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(RowsFor(result.file, French).size(), 2u);
}

TEST(LanguageFile, FaultsAreReportedWithFileAndLine)
{
    const struct {
        const char* name;
        const char* text;
        int line;
        const char* message;
    } cases[] = {
        {"duplicate component", "window W\ntext A\n    en: a\n    fr: a\ntext A\n    en: b\n    fr: b\n", 5,
         "duplicate key W.A (first at line 2)"},
        {"duplicate window", "window W\nwindow W\n", 2, "duplicate key W.W"},
        {"own row twice", "window W\ntext W\n    en: a\n    fr: a\n", 2, "duplicate key W.W"},
        {"French caption missing", "window W\ntext A\n    en: a\n", 2, "A has a caption in English but not in French"},
        {"English hint missing", "window W\ntext A\n    en: a\n    fr: a\n    hint.fr: h\n", 2,
         "a hint in French but not in English"},
        {"message line missing in French", "window W\nmessages L\n    0.en: a\n    0.fr: a\n    3.en: b\n", 2,
         "line 3 of L is missing in French"},
        {"message line missing in English", "window W\nmessages L\n    0.fr: a\n", 2,
         "line 0 of L is missing in English"},
        {"item counts differ", "window W\ncombo C\n    lines.en:\n      | a\n      | b\n    lines.fr:\n      | a\n", 2,
         "C has 2 English lines and 1 French lines"},
        {"unknown kind", "window W\nbutton B\n", 2, "unknown entry \"button\""},
        {"bad name", "window W\ntext 1abc\n", 2, "needs one component name"},
        {"two names", "window W\ntext A B\n", 2, "needs one component name"},
        {"entry before window", "text A\n    en: a\n    fr: a\n", 1, "comes before any \"window\" line"},
        {"text outside entry", "    en: a\n", 1, "text outside an entry"},
        {"key without colon", "window W\ntext A\n    en a\n", 3, "expected \"en: text\""},
        {"unknown language", "window W\ntext A\n    de: a\n", 3, "expected \"en: text\""},
        {"caption on a combo", "window W\ncombo C\n    en: a\n", 3, "does not belong in this kind of entry"},
        {"numbered line on a text", "window W\ntext A\n    0.en: a\n", 3, "does not belong"},
        {"negative line number", "window W\nmessages L\n    -1.en: a\n", 3, "expected"},
        {"key given twice", "window W\ntext A\n    en: a\n    en: b\n    fr: c\n", 4, "\"en\" is given twice in A"},
        {"bar outside lines", "window W\ntext A\n    en: a\n    fr: a\n      | x\n", 5, "belongs under \"lines.en:\""},
        {"value after lines key", "window W\nmemo M\n    lines.en: a\n", 3, "following \"|\" lines"},
        {"empty text entry", "window W\ntext A\n", 2, "A has no text"},
        {"memo without lines", "window W\nmemo M\n", 2, "M has no lines"},
        {"radio without caption", "window W\nradio R\n    lines.en:\n    lines.fr:\n", 2, "needs its caption"},
        {"empty message list", "window W\nmessages L\n", 2, "has no lines"},
        {"navigator of another name", "window W\nnavigator DBNavigator2\n", 2, "only the component named DBNavigator1"},
        {"caption too long", nullptr, 3, "longer than 255 characters"},
    };
    for (const auto& c : cases) {
        const QByteArray longCaption = "window W\ntext A\n    en: " + QByteArray(256, 'x') + "\n    fr: y\n";
        const ParseResult result = parse(c.text ? c.text : longCaption.constData());
        const QString expected = QStringLiteral("/src/languages/Demo.lang:%1: ").arg(c.line);
        bool found = false;
        for (const QString& error : result.errors)
            found = found || (error.startsWith(expected) && error.contains(QString::fromUtf8(c.message)));
        EXPECT_TRUE(found) << c.name << "\n  got: " << result.errors.join(QStringLiteral("\n       ")).toStdString();
    }
}

TEST(LanguageFile, ARefusedEntryIsReportedOnce)
{
    const ParseResult result = parse("window W\ntext A\n    en: a\n    fr: a\ntext A\n    en: q\n    fr: r\n"
                                     "text B\n    en: b\n    fr: b\n");
    ASSERT_EQ(result.errors.size(), 1) << result.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(RowsFor(result.file, French).size(), 2u); // the entries after it are still read
}

TEST(LanguageFile, CarriageReturnLineEndsAreRead)
{
    const ParseResult result = parse("window W\r\ntext A\r\n    en: a\r\n    fr: b\r\n");
    ASSERT_TRUE(result.errors.isEmpty());
    EXPECT_EQ(RowsFor(result.file, French).at(0).caption, QStringLiteral("b"));
}

TEST(LanguageFile, FileInAnotherEncodingIsAnError)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Latin.lang"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("window W\ntext A\n    en: French\n    fr: Fran\xe7\x61is\n"); // Latin-1 c cedilla
    file.close();
    const ParseResult result = ReadLanguageFile(path);
    ASSERT_EQ(result.errors.size(), 1);
    EXPECT_TRUE(result.errors[0].contains(QStringLiteral("is not UTF-8"))) << result.errors[0].toStdString();
}

TEST(LanguageFile, UnreadableFileIsAnError)
{
    const ParseResult result = ReadLanguageFile(QStringLiteral("/nonexistent/None.lang"));
    ASSERT_EQ(result.errors.size(), 1);
    EXPECT_TRUE(result.errors[0].startsWith(QStringLiteral("/nonexistent/None.lang: cannot be read")));
}
