#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "varnex/translation/message_lines.h"
#include "varnex/translation/translate.h"
#include "varnex/translation/window_check.h"

using namespace varnex::translation;

namespace {

LanguageRow textRow(const QString& form, const QString& component, const QString& caption,
                    const QString& hint = QString())
{
    LanguageRow row;
    row.formName = form;
    row.componentName = component;
    row.caption = caption;
    row.hint = hint;
    return row;
}

LanguageRow linesRow(const QString& form, const QString& component, const QString& lines)
{
    LanguageRow row;
    row.formName = form;
    row.componentName = component;
    row.lines = lines;
    return row;
}

template <typename T>
T* addNamed(QWidget* parent, const QString& name)
{
    auto* widget = new T(parent);
    widget->setObjectName(name);
    return widget;
}

QStringList gridTitles(QTableWidget* grid)
{
    QStringList titles;
    for (int i = 0; i < grid->columnCount(); ++i)
        titles << grid->model()->headerData(i, Qt::Horizontal).toString();
    return titles;
}

struct Window {
    QWidget form;
    explicit Window(const QString& name = QStringLiteral("TestForm"))
    {
        form.setObjectName(name);
        form.setWindowTitle(QStringLiteral("Design caption"));
    }
};

} // namespace

TEST(TableName, FirstDotRemovedAndExtensionAppended)
{
    const struct {
        const char* given;
        const char* opened;
    } cases[] = {
        {"MainMenuen", "MainMenuen.db"},
        {"a.b", "ab.db"},
        {"a.b.c", "ab.c.db"}, // one character only
        {".fr", "fr.db"},
        {"purchent.", "purchent.db"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageTableFileName(QString::fromLatin1(c.given)), QString::fromLatin1(c.opened)) << c.given;
}

TEST(SplitLines, BreaksLikeTheDesignStringLists)
{
    const struct {
        const char* text;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\n", {"one"}},             // a final break adds no line
        {"one\r\ntwo", {"one", "two"}}, // CR LF is one break
        {"one\rtwo", {"one", "two"}},
        {"one\n\nthree", {"one", "", "three"}},
        {"\n", {""}},
        {" lead\ttab ", {" lead\ttab "}}, // spaces are kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitLines(QString::fromLatin1(c.text)), c.lines) << c.text;
}

TEST(TranslateForm, TableNameWithDotOpensTheTableWithoutIt)
{
    Window w;
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("ab"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("TestForm"), QStringLiteral("From ab")));
    TranslateForm(&w.form, QStringLiteral("a.b"), tables);
    EXPECT_EQ(w.form.windowTitle(), QStringLiteral("From ab"));
}

TEST(TranslateForm, MissingTableRaisesAndTheWindowKeepsItsTexts)
{
    Window w;
    auto* label = addNamed<QLabel>(&w.form, QStringLiteral("Label1"));
    label->setText(QStringLiteral("design"));
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("MainMenuen"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("Label1"), QStringLiteral("english")));
    EXPECT_THROW(TranslateForm(&w.form, QStringLiteral("MainMenufr"), tables), LanguageTableError);
    EXPECT_EQ(label->text(), QStringLiteral("design"));
    EXPECT_EQ(w.form.windowTitle(), QStringLiteral("Design caption"));
}

TEST(TranslateForm, NoWindowIsAClearErrorNotACrash)
{
    MemoryLanguageTables tables;
    tables.addTable(QStringLiteral("x"));
    EXPECT_THROW(TranslateForm(nullptr, QStringLiteral("x"), tables), LanguageTableError);
}

TEST(TranslateForm, WindowCaptionOnlyFromItsOwnRow)
{
    Window w;
    addNamed<QLabel>(&w.form, QStringLiteral("Label1"));
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("Label1"), QStringLiteral("x")));
    // Another window's own row does not count.
    tables.addRow(QStringLiteral("t"), textRow(QStringLiteral("Other"), QStringLiteral("Other"), QStringLiteral("no")));
    TranslateForm(&w.form, QStringLiteral("t"), tables);
    EXPECT_EQ(w.form.windowTitle(), QStringLiteral("Design caption"));

    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("TestForm"), QStringLiteral("Yes")));
    TranslateForm(&w.form, QStringLiteral("t"), tables);
    EXPECT_EQ(w.form.windowTitle(), QStringLiteral("Yes"));
}

TEST(TranslateForm, NamesCompareExactly)
{
    Window w;
    auto* label = addNamed<QLabel>(&w.form, QStringLiteral("Label1"));
    label->setText(QStringLiteral("design"));
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("testform"), QStringLiteral("Label1"), QStringLiteral("a")));
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("label1"), QStringLiteral("b")));
    TranslateForm(&w.form, QStringLiteral("t"), tables);
    EXPECT_EQ(label->text(), QStringLiteral("design"));
}

TEST(TranslateForm, GridTitlesOnlyWhenLineCountEqualsColumnCount)
{
    const struct {
        const char* lines;
        bool changed;
    } cases[] = {
        {"A\nB\nC\nD", false},       // 4 lines for 5 columns
        {"A\nB\nC\nD\nE\nF", false}, // 6 lines
        {"A\nB\nC\nD\nE", true},     // exactly 5
        {"A\nB\nC\nD\nE\n", true},   // a final line break is not a sixth line
    };
    for (const auto& c : cases) {
        Window w;
        auto* grid = addNamed<QTableWidget>(&w.form, QStringLiteral("DBGrid1"));
        grid->setColumnCount(5);
        const QStringList design = {"c1", "c2", "c3", "c4", "c5"};
        grid->setHorizontalHeaderLabels(design);
        LanguageRow row = linesRow(QStringLiteral("TestForm"), QStringLiteral("DBGrid1"), QString::fromLatin1(c.lines));
        row.isDBGrid = true;
        MemoryLanguageTables tables;
        tables.addRow(QStringLiteral("t"), row);
        TranslateForm(&w.form, QStringLiteral("t"), tables);
        const QStringList expected = c.changed ? QStringList{"A", "B", "C", "D", "E"} : design;
        EXPECT_EQ(gridTitles(grid), expected) << c.lines;
    }
}

TEST(TranslateForm, RadioGroupKeepsItsItemCount)
{
    const struct {
        const char* lines;
        QStringList items;
    } cases[] = {
        {"one\ntwo\nthree\nfour\nfive", {"one", "two", "three"}}, // extra lines ignored
        {"one\ntwo", {"one", "two", "r3"}},                       // too few: the rest stays
    };
    for (const auto& c : cases) {
        Window w;
        auto* group = addNamed<QGroupBox>(&w.form, QStringLiteral("RadioGroup1"));
        auto* layout = new QVBoxLayout(group);
        for (const char* text : {"r1", "r2", "r3"})
            layout->addWidget(new QRadioButton(QString::fromLatin1(text)));
        LanguageRow row =
            linesRow(QStringLiteral("TestForm"), QStringLiteral("RadioGroup1"), QString::fromLatin1(c.lines));
        row.caption = QStringLiteral("Choose");
        row.isRadioGroup = true;
        MemoryLanguageTables tables;
        tables.addRow(QStringLiteral("t"), row);
        TranslateForm(&w.form, QStringLiteral("t"), tables);
        EXPECT_EQ(group->title(), QStringLiteral("Choose"));
        QStringList items;
        for (QRadioButton* button : group->findChildren<QRadioButton*>())
            items << button->text();
        EXPECT_EQ(items, c.items) << c.lines;
    }
}

TEST(TranslateForm, ComboItemsAreReplacedAndTheChoiceKept)
{
    Window w;
    auto* combo = addNamed<QComboBox>(&w.form, QStringLiteral("cbxPayroll"));
    combo->addItems({"None", "Regular", "CCQ"});
    combo->setCurrentIndex(1);
    int selectionSignals = 0;
    QObject::connect(combo, &QComboBox::currentIndexChanged, [&] { ++selectionSignals; });
    LanguageRow row =
        linesRow(QStringLiteral("TestForm"), QStringLiteral("cbxPayroll"), QStringLiteral("Aucun\nRégulier\nCCQ"));
    row.isCombobox = true;
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("fr"), row);
    TranslateForm(&w.form, QStringLiteral("fr"), tables);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Aucun"));
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(selectionSignals, 0);

    // An empty "Lines" leaves no item at all.
    row.lines.clear();
    tables.addRow(QStringLiteral("empty"), row);
    TranslateForm(&w.form, QStringLiteral("empty"), tables);
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(combo->currentIndex(), -1);
}

TEST(TranslateForm, CheckListItemsReplacedWithTheirCheckMarks)
{
    Window w;
    auto* list = addNamed<QListWidget>(&w.form, QStringLiteral("CheckListBox1"));
    for (const char* text : {"a", "b"}) {
        auto* item = new QListWidgetItem(QString::fromLatin1(text), list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    list->item(1)->setCheckState(Qt::Checked);
    LanguageRow row = linesRow(QStringLiteral("TestForm"), QStringLiteral("CheckListBox1"), QStringLiteral("x\ny\nz"));
    row.isCheckList = true;
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("t"), row);
    TranslateForm(&w.form, QStringLiteral("t"), tables);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("z"));
    EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(2)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(list->item(2)->flags() & Qt::ItemIsUserCheckable);
}

TEST(TranslateForm, ControlsTakeCaptionAndANonEmptyHint)
{
    Window w;
    auto* tabs = addNamed<QTabWidget>(&w.form, QStringLiteral("PageControl1"));
    auto* page = addNamed<QWidget>(nullptr, QStringLiteral("TabSheet1"));
    tabs->addTab(page, QStringLiteral("design tab"));
    QList<QWidget*> controls = {
        addNamed<QPushButton>(&w.form, QStringLiteral("Button1")),
        addNamed<QLabel>(&w.form, QStringLiteral("Label1")),
        addNamed<QCheckBox>(&w.form, QStringLiteral("CheckBox1")),
        addNamed<QGroupBox>(&w.form, QStringLiteral("GroupBox1")),
        addNamed<QLineEdit>(&w.form, QStringLiteral("Edit1")),
        addNamed<QPlainTextEdit>(&w.form, QStringLiteral("Memo1")), // an unflagged memo row sets its content
    };
    MemoryLanguageTables tables;
    for (QWidget* control : controls) {
        control->setToolTip(QStringLiteral("design tip"));
        const bool withHint = control->objectName() != QStringLiteral("Label1");
        tables.addRow(QStringLiteral("t"), textRow(QStringLiteral("TestForm"), control->objectName(),
                                                   control->objectName() + QStringLiteral(" text"),
                                                   withHint ? QStringLiteral("tip") : QString()));
    }
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("TabSheet1"), QStringLiteral("Général")));
    TranslateForm(&w.form, QStringLiteral("t"), tables);

    EXPECT_EQ(qobject_cast<QPushButton*>(controls[0])->text(), QStringLiteral("Button1 text"));
    EXPECT_EQ(qobject_cast<QLabel*>(controls[1])->text(), QStringLiteral("Label1 text"));
    EXPECT_EQ(qobject_cast<QCheckBox*>(controls[2])->text(), QStringLiteral("CheckBox1 text"));
    EXPECT_EQ(qobject_cast<QGroupBox*>(controls[3])->title(), QStringLiteral("GroupBox1 text"));
    EXPECT_EQ(qobject_cast<QLineEdit*>(controls[4])->text(), QStringLiteral("Edit1 text"));
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(controls[5])->toPlainText(), QStringLiteral("Memo1 text"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Général"));
    for (QWidget* control : controls) {
        const bool withHint = control->objectName() != QStringLiteral("Label1");
        EXPECT_EQ(control->toolTip(), withHint ? QStringLiteral("tip") : QStringLiteral("design tip"))
            << control->objectName().toStdString();
    }
}

TEST(TranslateForm, NavigatorTakesHintsFromLinesOnlyWhenNamedDBNavigator1)
{
    Window w;
    QList<QWidget*> navigators;
    for (const char* name : {"DBNavigator1", "DBNavigator2"}) {
        auto* navigator = addNamed<QWidget>(&w.form, QString::fromLatin1(name));
        auto* layout = new QHBoxLayout(navigator);
        for (int i = 0; i < 3; ++i) {
            auto* button = new QToolButton;
            button->setToolTip(QStringLiteral("design %1").arg(i));
            layout->addWidget(button);
        }
        navigators << navigator;
    }
    MemoryLanguageTables tables;
    for (QWidget* navigator : navigators) {
        LanguageRow row = textRow(QStringLiteral("TestForm"), navigator->objectName(), QStringLiteral("caption"),
                                  QStringLiteral("hint"));
        row.lines = QStringLiteral("First\nPrior");
        tables.addRow(QStringLiteral("t"), row);
    }
    TranslateForm(&w.form, QStringLiteral("t"), tables);

    const auto hints = [](QWidget* navigator) {
        QStringList tips;
        for (auto* button : navigator->findChildren<QToolButton*>())
            tips << button->toolTip();
        return tips;
    };
    EXPECT_EQ(hints(navigators[0]), (QStringList{"First", "Prior", "design 2"}));
    EXPECT_EQ(navigators[0]->toolTip(), QString()); // "Caption" and "Hint" unused
    EXPECT_EQ(hints(navigators[1]), (QStringList{"design 0", "design 1", "design 2"}));
    EXPECT_EQ(navigators[1]->toolTip(), QStringLiteral("hint"));
}

TEST(TranslateForm, MemoFlagWinsOverGridFlag)
{
    Window w;
    auto* memo = addNamed<QPlainTextEdit>(&w.form, QStringLiteral("Error_Messages"));
    memo->setPlainText(QStringLiteral("Error_Messages"));
    LanguageRow row =
        linesRow(QStringLiteral("TestForm"), QStringLiteral("Error_Messages"), QStringLiteral("zero\r\none\ntwo\n"));
    row.isMemo = true;
    row.isDBGrid = true;
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("t"), row);
    TranslateForm(&w.form, QStringLiteral("t"), tables);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("zero\none\ntwo"));
    EXPECT_EQ(MessageLine(memo, 1), QStringLiteral("one"));
    EXPECT_EQ(MessageLine(&w.form, QStringLiteral("Error_Messages"), 2), QStringLiteral("two"));
    // Lines that do not exist read empty instead of failing.
    EXPECT_EQ(MessageLine(memo, 3), QString());
    EXPECT_EQ(MessageLine(memo, -1), QString());
    EXPECT_EQ(MessageLine(nullptr, 0), QString());
    EXPECT_EQ(MessageLine(&w.form, QStringLiteral("IntlStrings1"), 0), QString());
}

TEST(TranslateForm, FlaggedRowOnAnotherKindLeavesTheComponentAlone)
{
    Window w;
    auto* label = addNamed<QLabel>(&w.form, QStringLiteral("Label1"));
    label->setText(QStringLiteral("design"));
    LanguageRow row = linesRow(QStringLiteral("TestForm"), QStringLiteral("Label1"), QStringLiteral("a"));
    row.caption = QStringLiteral("caption");
    for (bool LanguageRow::*flag : {&LanguageRow::isMemo, &LanguageRow::isDBGrid, &LanguageRow::isRadioGroup,
                                    &LanguageRow::isCombobox, &LanguageRow::isCheckList}) {
        LanguageRow flagged = row;
        flagged.*flag = true;
        MemoryLanguageTables one;
        one.addRow(QStringLiteral("t"), flagged);
        TranslateForm(&w.form, QStringLiteral("t"), one);
        EXPECT_EQ(label->text(), QStringLiteral("design"));
        QStringList problems = CheckWindowTexts(&w.form, *one.open(QStringLiteral("t.db")));
        EXPECT_EQ(problems.size(), 1);
    }
}

TEST(TranslateForm, EnglishThenFrenchLeavesFrenchWhereFrenchHasRows)
{
    Window w;
    auto* both = addNamed<QLabel>(&w.form, QStringLiteral("Both"));
    auto* englishOnly = addNamed<QLabel>(&w.form, QStringLiteral("EnglishOnly"));
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("Xen"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("TestForm"), QStringLiteral("Window")));
    tables.addRow(QStringLiteral("Xen"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("Both"), QStringLiteral("Supplier")));
    tables.addRow(QStringLiteral("Xen"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("EnglishOnly"), QStringLiteral("Only")));
    tables.addRow(QStringLiteral("Xfr"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("TestForm"), QStringLiteral("Fenêtre")));
    tables.addRow(QStringLiteral("Xfr"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("Both"), QStringLiteral("Fournisseur")));
    TranslateForm(&w.form, QStringLiteral("Xen"), tables);
    TranslateForm(&w.form, QStringLiteral("Xfr"), tables);
    EXPECT_EQ(w.form.windowTitle(), QStringLiteral("Fenêtre"));
    EXPECT_EQ(both->text(), QStringLiteral("Fournisseur"));
    EXPECT_EQ(englishOnly->text(), QStringLiteral("Only"));
}

TEST(TranslateForm, MenusAndActionsTakeTheirCaption)
{
    QMainWindow window;
    window.setObjectName(QStringLiteral("LogoAppForm"));
    QMenu* ledger = window.menuBar()->addMenu(QStringLiteral("Fournisseurs"));
    ledger->setObjectName(QStringLiteral("AccountsPayable"));
    QMenu* group = ledger->addMenu(QStringLiteral("Transactions"));
    group->setObjectName(QStringLiteral("APTransactions"));
    QAction* option = group->addAction(QStringLiteral("Achats"));
    option->setObjectName(QStringLiteral("purchent"));
    QAction* unnamed = group->addAction(QStringLiteral("left alone"));

    MemoryLanguageTables tables;
    tables.addRow(
        QStringLiteral("MainMenuen"),
        textRow(QStringLiteral("LogoAppForm"), QStringLiteral("AccountsPayable"), QStringLiteral("Accounts payable")));
    tables.addRow(QStringLiteral("MainMenuen"), textRow(QStringLiteral("LogoAppForm"), QStringLiteral("APTransactions"),
                                                        QStringLiteral("Transactions")));
    tables.addRow(QStringLiteral("MainMenuen"),
                  textRow(QStringLiteral("LogoAppForm"), QStringLiteral("purchent"), QStringLiteral("Purchases")));
    TranslateForm(&window, QStringLiteral("MainMenuen"), tables);
    EXPECT_EQ(ledger->title(), QStringLiteral("Accounts payable"));
    EXPECT_EQ(ledger->menuAction()->text(), QStringLiteral("Accounts payable"));
    EXPECT_EQ(option->text(), QStringLiteral("Purchases"));
    EXPECT_EQ(unnamed->text(), QStringLiteral("left alone"));
    EXPECT_TRUE(CheckWindowTexts(&window, *tables.open(QStringLiteral("MainMenuen.db"))).isEmpty());
}

namespace {

class FakeReportLabel : public QObject, public ReportLabelItem {
public:
    QString caption;
    void setTranslatedCaption(const QString& text) override { caption = text; }
};

class FakeSystemData : public QObject, public ReportSystemDataItem {
public:
    QString text;
    void setTranslatedText(const QString& value) override { text = value; }
};

} // namespace

TEST(TranslateForm, ReportItemsThroughTheirInterfaces)
{
    Window w(QStringLiteral("ReportForm"));
    auto* label = new FakeReportLabel;
    label->setParent(&w.form);
    label->setObjectName(QStringLiteral("QRLabel1"));
    auto* page = new FakeSystemData;
    page->setParent(&w.form);
    page->setObjectName(QStringLiteral("QRSysData1"));
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("ReportForm"), QStringLiteral("QRLabel1"), QStringLiteral("Supplier")));
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("ReportForm"), QStringLiteral("QRSysData1"), QStringLiteral("Page ")));
    TranslateForm(&w.form, QStringLiteral("t"), tables);
    EXPECT_EQ(label->caption, QStringLiteral("Supplier"));
    EXPECT_EQ(page->text, QStringLiteral("Page "));
}

TEST(TranslateForm, DialogParentedToTheWindowIsNotEntered)
{
    Window w;
    auto* dialog = addNamed<QDialog>(&w.form, QStringLiteral("PasswordDlg"));
    auto* inside = addNamed<QLabel>(dialog, QStringLiteral("Label1"));
    inside->setText(QStringLiteral("dialog text"));
    auto* own = addNamed<QLabel>(&w.form, QStringLiteral("Label2"));
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("Label1"), QStringLiteral("wrong")));
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("Label2"), QStringLiteral("right")));
    TranslateForm(&w.form, QStringLiteral("t"), tables);
    EXPECT_EQ(inside->text(), QStringLiteral("dialog text"));
    EXPECT_EQ(own->text(), QStringLiteral("right"));
}

TEST(WindowCheck, ReportsMissingComponentsAndKindMismatches)
{
    Window w;
    addNamed<QLabel>(&w.form, QStringLiteral("Label1"));
    addNamed<QComboBox>(&w.form, QStringLiteral("Combo1"));
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("TestForm"), QStringLiteral("ok")));
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("Label1"), QStringLiteral("ok")));
    LanguageRow combo = linesRow(QStringLiteral("TestForm"), QStringLiteral("Combo1"), QStringLiteral("a"));
    combo.isCombobox = true;
    tables.addRow(QStringLiteral("t"), combo);
    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("Other"), QStringLiteral("Gone"), QStringLiteral("other window")));
    EXPECT_TRUE(CheckWindowTexts(&w.form, *tables.open(QStringLiteral("t"))).isEmpty());

    tables.addRow(QStringLiteral("t"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("Renamed"), QStringLiteral("x")));
    LanguageRow grid = linesRow(QStringLiteral("TestForm"), QStringLiteral("Label1"), QStringLiteral("a"));
    grid.isDBGrid = true;
    MemoryLanguageTables bad;
    bad.addRow(QStringLiteral("t"), grid);
    bad.addRow(QStringLiteral("t"),
               textRow(QStringLiteral("TestForm"), QStringLiteral("Renamed"), QStringLiteral("x")));
    const QStringList problems = CheckWindowTexts(&w.form, *bad.open(QStringLiteral("t")));
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("data grid"))) << problems[0].toStdString();
    EXPECT_TRUE(problems[1].contains(QStringLiteral("Renamed"))) << problems[1].toStdString();

    QWidget unnamed;
    EXPECT_EQ(CheckWindowTexts(&unnamed, *bad.open(QStringLiteral("t"))).size(), 1);
}

TEST(LanguagesFolder, BesideTheProgramFolderWhateverTheCurrentDirectory)
{
    const QString expected = QDir::cleanPath(QStringLiteral(VARNEX_BIN_DIR "/../languages"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath());
    EXPECT_EQ(LanguagesFolder(), expected);
    QDir::setCurrent(previous);

    SetLanguagesFolder(QStringLiteral("/elsewhere/languages"));
    EXPECT_EQ(LanguagesFolder(), QStringLiteral("/elsewhere/languages"));
    SetLanguagesFolder(QString());
    EXPECT_EQ(LanguagesFolder(), expected);
}

TEST(LanguageTables, ProcessWideSourceCanBeReplaced)
{
    Window w;
    MemoryLanguageTables tables;
    tables.addRow(QStringLiteral("MainMenufr"),
                  textRow(QStringLiteral("TestForm"), QStringLiteral("TestForm"), QStringLiteral("Fenêtre")));
    SetLanguageTableSource(&tables);
    TranslateForm(&w.form, QStringLiteral("MainMenufr"));
    EXPECT_TRUE(CheckWindowTexts(&w.form, QStringLiteral("MainMenufr")).isEmpty());
    EXPECT_THROW(CheckWindowTexts(&w.form, QStringLiteral("MainMenude")), LanguageTableError);
    SetLanguageTableSource(nullptr);
    EXPECT_EQ(w.form.windowTitle(), QStringLiteral("Fenêtre"));
    EXPECT_EQ(tables.openCount(), 3);
    EXPECT_NE(&LanguageTables(), static_cast<LanguageTableSource*>(&tables));
}
