#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <random>

#include "deferred.h"
#include "varnex/controls/maskedit.h"
#include "varnex/messages.h"
#include "varnex/regional.h"

using namespace varnex;

namespace {

RegionalFormats formatsWith(QChar date, QChar time)
{
    RegionalFormats f;
    f.dateSeparator = date;
    f.timeSeparator = time;
    return f;
}

// A window with the masked box and a second box to leave it for.
struct Form {
    QWidget window;
    TVarnexMaskEdit* edit;
    QLineEdit* other;
    RecordingMessageService messages;

    explicit Form(const QString& mask)
    {
        auto* layout = new QVBoxLayout(&window);
        edit = new TVarnexMaskEdit(&window);
        other = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->setEditMask(mask);
        SetMessageService(&messages);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }
    ~Form() { SetMessageService(nullptr); }

    void leave()
    {
        other->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(varnex::test_support::RunDeferred()); // the deferred validation runs
    }
};

} // namespace

TEST(EditMask, ParsesFieldsDirectivesAndSeparators)
{
    struct Case {
        const char* mask;
        QString empty;
        bool save;
        bool leading;
    };
    const RegionalFormats f = formatsWith(QLatin1Char('-'), QLatin1Char('h'));
    const Case cases[] = {
        {"!99/99/9999;1; ", QStringLiteral("  -  -    "), true, true}, // regional date separator
        {"99:99", QStringLiteral("__h__"), true, false},               // regional time separator
        {"(999)000-0000;0;_", QStringLiteral("(___)___-____"), false, false},
        {"000;1;*", QStringLiteral("***"), true, false},
        {"000;;*", QStringLiteral("***"), true, false},        // an empty save field saves
        {"\\/00\\;", QStringLiteral("/__;"), true, false},     // escaped literals stay as written
        {"0;0;0000", QStringLiteral("_;_;____"), true, false}, // ";" far from the end is a literal
        {">LL<ll<>cc", QStringLiteral("______"), true, false},
        {"", QString(), true, false},
    };
    for (const Case& c : cases) {
        const EditMask m = EditMask::parse(QLatin1String(c.mask), f);
        EXPECT_EQ(m.emptyText(), c.empty) << c.mask;
        EXPECT_EQ(m.length(), c.empty.size()) << c.mask;
        EXPECT_EQ(m.saveLiterals(), c.save) << c.mask;
        EXPECT_EQ(m.leadingBlanks(), c.leading) << c.mask;
    }
}

TEST(EditMask, WhatFitsWhere)
{
    const EditMask m = EditMask::parse(QStringLiteral("09#LlAaCc"), RegionalFormats());
    struct Case {
        int pos;
        const char* yes;
        const char* no;
    };
    const Case cases[] = {
        {0, "0123456789", "a +-_"}, {1, "09", "x "}, {2, "05 +-", "a*"}, {3, "aZé", "1 _"}, {4, "q", "7"},
        {5, "a9Z", " -"},           {6, "b0", "."},  {7, "*+ a1", "\t"}, {8, "%", "\n"},
    };
    for (const Case& c : cases) {
        for (QChar ch : QString::fromUtf8(c.yes))
            EXPECT_TRUE(m.accepts(c.pos, ch)) << c.pos << " " << qPrintable(QString(ch));
        for (QChar ch : QString::fromUtf8(c.no))
            EXPECT_FALSE(m.accepts(c.pos, ch)) << c.pos << " " << qPrintable(QString(ch));
    }
    const EditMask cases2 = EditMask::parse(QStringLiteral(">L<L<>L"), RegionalFormats());
    EXPECT_EQ(cases2.convert(0, QLatin1Char('a')), QLatin1Char('A'));
    EXPECT_EQ(cases2.convert(1, QLatin1Char('B')), QLatin1Char('b'));
    EXPECT_EQ(cases2.convert(2, QLatin1Char('c')), QLatin1Char('c'));
}

TEST(EditMask, LoadingValuesIntoTheMask)
{
    const RegionalFormats f = formatsWith(QLatin1Char('/'), QLatin1Char(':'));
    struct Case {
        const char* mask;
        const char* value;
        const char* shown;
    };
    const Case cases[] = {
        {"99/99/9999;1;_", "31/12/2025", "31/12/2025"},
        {"99/99/9999;1;_", "31122025", "31/12/2025"},  // without literals
        {"99/99/9999;1;_", "1/2/2025", "1_/2_/2025"},  // a separator ends its group
        {"!99/99/9999;1;_", "1/2/2025", "_1/_2/2025"}, // "!" fills from the right
        {"!999;1;_", "7", "__7"},
        {"999;1;_", "7", "7__"},
        {"99/99/9999;1;_", "31-12-2025", "31/12/2025"}, // foreign separators are dropped
        {"000;1;_", "1a2", "12_"},
        {"000;1;_", "1 2", "1_2"}, // a space is an empty position
        {">LLL;1;_", "abc", "ABC"},
        {"(999)000-0000;0;_", "5551234567", "(555)123-4567"},
        {"00;1;_", "12345", "12"}, // the rest does not fit
        {"!99/99/9999;1; ", "", "  /  /    "},
    };
    for (const Case& c : cases) {
        const EditMask m = EditMask::parse(QLatin1String(c.mask), f);
        const QString shown = m.format(QLatin1String(c.value));
        EXPECT_EQ(shown, QLatin1String(c.shown)) << c.mask << " <- " << c.value;
        EXPECT_TRUE(m.conforms(shown)) << c.mask;
    }
}

TEST(EditMask, ValueAndValidity)
{
    const RegionalFormats f;
    struct Case {
        const char* mask;
        const char* shown;
        const char* value;
        int firstInvalid;
    };
    const Case cases[] = {
        {"!99/99/9999;1; ", "  /  /    ", "  /  /    ", -1}, // all optional: never invalid
        {"(999)000-0000;0;_", "(555)123-4567", "5551234567", -1},
        {"(999)000-0000;1;_", "(___)12_-4567", "(   )12 -4567", 7},
        {"000;1;_", "___", "   ", 0},
        {"LLL;1;*", "ab*", "ab ", 2},
        {"CCC;1;_", "a c", "a c", -1}, // a space is a character under "C"
        {"AAA;1;_", "a1_", "a1 ", 2},
        {"990;1;_", "__5", "  5", -1},
    };
    for (const Case& c : cases) {
        const EditMask m = EditMask::parse(QLatin1String(c.mask), f);
        EXPECT_EQ(m.value(QLatin1String(c.shown)), QLatin1String(c.value)) << c.mask;
        EXPECT_EQ(m.firstInvalid(QLatin1String(c.shown)), c.firstInvalid) << c.mask;
    }
}

TEST(MaskEdit, WithoutAMaskItIsAPlainEdit)
{
    TVarnexMaskEdit e;
    EXPECT_FALSE(e.isMasked());
    e.setText(QStringLiteral("anything at all"));
    EXPECT_EQ(e.Text(), QStringLiteral("anything at all"));
    e.setMaxLength(5);
    EXPECT_EQ(e.maxLength(), 5);
    EXPECT_TRUE(e.ValidateEdit());
    EXPECT_EQ(e.OnEnterColor(), QColor(0, 0x20, 0x20));
}

TEST(MaskEdit, DateMaskShowsRegionalSeparatorsAndNeverFails)
{
    ResetRegionalFormats();
    Regional().dateSeparator = QLatin1Char('-');
    Form form(QStringLiteral("!99/99/9999;1; "));
    ResetRegionalFormats();
    EXPECT_EQ(form.edit->EditText(), QStringLiteral("  -  -    "));
    EXPECT_EQ(form.edit->maxLength(), 10);
    form.edit->setMaxLength(3);
    EXPECT_EQ(form.edit->maxLength(), 10); // the mask decides
    EXPECT_EQ(form.edit->Text(), QStringLiteral("  -  -    "));
    form.leave();
    EXPECT_TRUE(form.messages.shown.isEmpty());
    form.edit->setFocus();
    QTest::keyClicks(form.edit, QStringLiteral("3112"));
    form.leave();
    EXPECT_TRUE(form.messages.shown.isEmpty());
    EXPECT_EQ(form.edit->Text(), QStringLiteral("31-12-    "));
}

TEST(MaskEdit, RequiredPositionLeftBlankRaisesOnLeaving)
{
    Form form(QStringLiteral("(999)000-0000;0;_"));
    QTest::keyClicks(form.edit, QStringLiteral("55512"));
    EXPECT_EQ(form.edit->EditText(), QStringLiteral("(555)12_-____"));
    form.leave();
    ASSERT_EQ(form.messages.shown.size(), 1);
    EXPECT_EQ(form.messages.shown[0].text, EDBEditError::standardMessage());
    EXPECT_EQ(form.messages.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(form.edit->hasFocus());        // the box keeps the focus
    EXPECT_EQ(form.edit->cursorPosition(), 7); // on the first blank required position
    // Completing it lets the user leave.
    QTest::keyClicks(form.edit, QStringLiteral("34567"));
    form.leave();
    EXPECT_EQ(form.messages.shown.size(), 1);
    EXPECT_TRUE(form.other->hasFocus());
    EXPECT_EQ(form.edit->Text(), QStringLiteral("5551234567"));
}

// A box left as it was found, or restored with Escape, is not checked: the
// user is never trapped in an empty required box.
TEST(MaskEdit, UnchangedOrRestoredBoxCanBeLeft)
{
    Form form(QStringLiteral("000;1;_"));
    form.leave();
    EXPECT_TRUE(form.messages.shown.isEmpty());
    EXPECT_TRUE(form.other->hasFocus());

    form.edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(form.edit, QStringLiteral("1"));
    QTest::keyClick(form.edit, Qt::Key_Escape);
    EXPECT_EQ(form.edit->EditText(), QStringLiteral("___"));
    form.leave();
    EXPECT_TRUE(form.messages.shown.isEmpty());

    form.edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(form.edit, QStringLiteral("1"));
    QTest::keyClick(form.edit, Qt::Key_Backspace); // changed, even if it looks the same
    form.leave();
    EXPECT_EQ(form.messages.shown.size(), 1);
    EXPECT_EQ(form.edit->cursorPosition(), 0);
}

TEST(MaskEdit, LeavingForATag13ButtonSkipsTheCheck)
{
    Form form(QStringLiteral("000;1;_"));
    form.other->setProperty("Tag", 13); // an exit button
    QTest::keyClicks(form.edit, QStringLiteral("1"));
    form.leave();
    EXPECT_TRUE(form.messages.shown.isEmpty());
    EXPECT_TRUE(form.other->hasFocus());
    form.other->setProperty("Tag", 0);
    form.edit->setFocus(Qt::TabFocusReason);
    form.leave(); // still changed: checked now
    EXPECT_EQ(form.messages.shown.size(), 1);
}

TEST(MaskEdit, EnterValidatesOnlyAModifiedText)
{
    Form form(QStringLiteral("000;1;_"));
    int returns = 0;
    QObject::connect(form.edit, &QLineEdit::returnPressed, [&] { ++returns; });
    QTest::keyClick(form.edit, Qt::Key_Return);
    EXPECT_TRUE(form.messages.shown.isEmpty()); // unchanged: no check on Enter
    QTest::keyClicks(form.edit, QStringLiteral("1"));
    QTest::keyClick(form.edit, Qt::Key_Return);
    EXPECT_EQ(form.messages.shown.size(), 1);
    EXPECT_EQ(returns, 1); // the invalid Enter goes no further
    EXPECT_EQ(form.edit->cursorPosition(), 1);
    QTest::keyClicks(form.edit, QStringLiteral("23"));
    QTest::keyClick(form.edit, Qt::Key_Return);
    EXPECT_EQ(form.messages.shown.size(), 1);
    EXPECT_EQ(returns, 2);
}

TEST(MaskEdit, EscapeRestoresTheTextOfEntering)
{
    Form form(QStringLiteral("000;1;_"));
    form.edit->setText(QStringLiteral("123"));
    form.leave();
    form.edit->setFocus(Qt::TabFocusReason);
    form.edit->setCursorPosition(0);
    QTest::keyClicks(form.edit, QStringLiteral("98"));
    EXPECT_EQ(form.edit->EditText(), QStringLiteral("983"));
    QTest::keyClick(form.edit, Qt::Key_Escape);
    EXPECT_EQ(form.edit->EditText(), QStringLiteral("123"));
    EXPECT_FALSE(form.edit->isModified());
}

TEST(MaskEdit, OnValidateMayChangeValueAndVerdict)
{
    Form form(QStringLiteral("000;1;_"));
    int calls = 0;
    form.edit->OnValidate = [&](TVarnexMaskEdit*, QString& value, bool& valid) {
        ++calls;
        if (value.trimmed().isEmpty()) {
            value = QStringLiteral("000"); // an empty box means zero
            valid = true;
        } else if (value == QStringLiteral("999")) {
            valid = false; // complete, but refused
        }
    };
    QTest::keyClicks(form.edit, QStringLiteral("4"));
    QTest::keyClick(form.edit, Qt::Key_Backspace);
    form.leave();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(form.messages.shown.isEmpty());
    EXPECT_EQ(form.edit->Text(), QStringLiteral("000"));

    form.edit->setFocus();
    form.edit->setCursorPosition(0);
    QTest::keyClicks(form.edit, QStringLiteral("999"));
    form.leave();
    EXPECT_EQ(form.messages.shown.size(), 1);
    EXPECT_TRUE(form.edit->hasFocus());
}

TEST(MaskEdit, TypingFollowsTheMask)
{
    Form form(QStringLiteral(">LL-00;1;_"));
    struct Case {
        const char* keys;
        const char* shown;
    };
    const Case cases[] = {
        {"ab12", "AB-12"},  {"a1b", "AB-__"}, // the digit does not fit a letter position
        {"ab-1", "AB-1_"},                    // typing the literal steps over it
        {"a-12", "A_-12"},                    // an early separator leaves its group blank
        {"abc12", "AB-12"},
    };
    for (const Case& c : cases) {
        form.edit->setText(QString());
        form.edit->setCursorPosition(0);
        QTest::keyClicks(form.edit, QLatin1String(c.keys));
        EXPECT_EQ(form.edit->EditText(), QLatin1String(c.shown)) << c.keys;
    }
    // Backspace blanks the position before the caret, skipping literals.
    form.edit->setText(QStringLiteral("AB12"));
    form.edit->setCursorPosition(3);
    QTest::keyClick(form.edit, Qt::Key_Backspace);
    EXPECT_EQ(form.edit->EditText(), QStringLiteral("A_-12"));
    EXPECT_EQ(form.edit->cursorPosition(), 1);
    form.edit->setCursorPosition(3);
    QTest::keyClick(form.edit, Qt::Key_Delete);
    EXPECT_EQ(form.edit->EditText(), QStringLiteral("A_-_2"));
    // The caret steps over literals with the arrows.
    form.edit->setCursorPosition(1);
    QTest::keyClick(form.edit, Qt::Key_Right);
    EXPECT_EQ(form.edit->cursorPosition(), 3);
    QTest::keyClick(form.edit, Qt::Key_Left);
    EXPECT_EQ(form.edit->cursorPosition(), 1);
}

TEST(MaskEdit, PasteKeepsWhatFits)
{
    Form form(QStringLiteral("99/99/9999;1;_"));
    QApplication::clipboard()->setText(QStringLiteral("31-12-2025 extra"));
    form.edit->setCursorPosition(0);
    QTest::keyClick(form.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.edit->EditText(), QStringLiteral("31/12/2025"));
    EXPECT_TRUE(form.edit->isModified());
}

// Whatever is typed, pasted, dropped in or set through the base class, the
// box ends with a text that fits its mask.
TEST(MaskEdit, AnyInputLeavesATextThatFitsTheMask)
{
    const QString masks[] = {QStringLiteral("!99/99/9999;1; "), QStringLiteral("(999)000-0000;0;_"),
                             QStringLiteral(">LL<ll-AA;1;*"), QStringLiteral("##0.00;1;_"), QStringLiteral("CCCC;0;_")};
    const QString alphabet = QStringLiteral("0123456789abcXYZ -+/.:;_*()éÉ");
    std::mt19937 rng(4);
    Form form(masks[0]);
    form.edit->OnValidate = [](TVarnexMaskEdit*, QString&, bool& valid) { valid = true; };
    for (const QString& mask : masks) {
        form.edit->setEditMask(mask);
        const EditMask& m = form.edit->mask();
        for (int round = 0; round < 120; ++round) {
            QString text;
            for (int k = 0; k < int(rng() % 16); ++k)
                text.append(alphabet[rng() % alphabet.size()]);
            form.edit->setCursorPosition(int(rng() % (m.length() + 1)));
            switch (round % 5) {
            case 0:
                for (QChar c : text) { // keyClicks knows only ASCII keys
                    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                    QApplication::sendEvent(form.edit, &press);
                }
                break;
            case 1:
                QApplication::clipboard()->setText(text);
                QTest::keyClick(form.edit, Qt::Key_V, Qt::ControlModifier);
                break;
            case 2:
                QApplication::clipboard()->setText(text + QStringLiteral("\t\n"));
                form.edit->paste(); // the context menu's way, past the key handling
                break;
            case 3: static_cast<QLineEdit*>(form.edit)->setText(text); break;
            case 4:
                form.edit->insert(text);
                form.edit->undo();
                break;
            }
            EXPECT_TRUE(m.conforms(form.edit->EditText()))
                << qPrintable(mask) << " <- " << qPrintable(text) << " = " << qPrintable(form.edit->EditText());
            EXPECT_EQ(form.edit->EditText().size(), m.length());
        }
    }
}
