// The desktop through the real main window: built at login, changed by the
// user, saved at exit and found again at the next start.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include <random>
#include <QToolButton>

#include "desktop.h"
#include "dialogs.h"
#include "launcher_fixture.h"
#include "varnex/controls/componentstream.h"
#include "varnex/controls/transparentbutton.h"
#include "varnex/controls/wallpaper.h"
#include "varnex/data/table.h"
#include "varnex/translation/window_check.h"

using namespace varnex::launcher;
using namespace varnex::launcher::desktop;
using launcher_test::Installation;
using launcher_test::Line;
using varnex::TTransparentButton;

namespace {

// One run of the launcher: the main window with its desktop, shown and
// past its first activation.
struct LauncherRun {
    std::unique_ptr<TLogoAppForm> form;
    TDesktop* desktop = nullptr;

    LauncherRun(Installation& installation, LauncherEnvironment environment = {},
                DesktopEnvironment desktopEnvironment = {}, bool standardDesktop = false)
    {
        form = installation.makeForm(std::move(environment));
        desktop = new TDesktop(*form, std::move(desktopEnvironment));
        form->findChild<QCheckBox*>(QStringLiteral("DesktopCheckBox"))->setChecked(standardDesktop);
        form->show();
        form->FormActivate();
    }
    // The window closes as the user closes it: the desktop is saved when it changed.
    ~LauncherRun()
    {
        if (form)
            form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TDesktopListBox* box(int list) const { return desktop->listBox(list); }
    varnex::TWallpaper* wallpaper() const { return form->findChild<varnex::TWallpaper*>(QStringLiteral("Wallpaper1")); }
};

QImage testPicture(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    for (int i = 0; i < std::min(w, h); ++i)
        image.setPixel(i, i, qRgb(255, 255, 255));
    return image;
}

QByteArray iconStream(const QString& name, const QString& caption)
{
    TTransparentButton icon;
    icon.setObjectName(name);
    icon.setCaption(caption);
    icon.setGeometry(20, 300, 89, 89);
    icon.setProperty("Tag", 1);
    icon.setGlyph(testPicture(32, 32, qRgb(10, 120, 200)));
    return varnex::WriteComponent(&icon);
}

} // namespace

TEST(DesktopWindow, AUserWithoutRowsSeesAnEmptyWallpaper)
{
    Installation installation;
    LauncherRun run(installation);
    EXPECT_TRUE(run.desktop->icons().isEmpty());
    for (int i = 0; i < kListCount; ++i) {
        EXPECT_TRUE(run.box(i)->isHidden()) << i;
        EXPECT_EQ(run.box(i)->property("Tag").toInt(), 0) << i;
        EXPECT_FALSE(run.desktop->tables().isOpen(i)) << i;
    }
    EXPECT_TRUE(installation.messages.shown.isEmpty());
    EXPECT_FALSE(run.form->desktopChanged());
    // The menus of ledgers that are not installed are hidden all the same.
    EXPECT_FALSE(run.form->ledgerMenu(7)->menuAction()->isVisible());
}

TEST(DesktopWindow, AShownListComesBackAtTheSamePlaceAndSize)
{
    Installation installation;
    QRect placed;
    {
        LauncherRun first(installation);
        first.desktop->ClientBtnDblClick();
        TDesktopListBox* box = first.box(0);
        ASSERT_FALSE(box->isHidden());
        EXPECT_EQ(box->property("Tag").toInt(), 1);
        EXPECT_TRUE(first.desktop->tables().isOpen(0));
        // Dragged by its frame, then enlarged with its title button.
        QTest::mousePress(box, Qt::LeftButton, {}, QPoint(40, 8));
        QTest::mouseMove(box, QPoint(70, 28));
        QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(70, 28));
        QTest::mouseClick(box->enlargeButton(), Qt::LeftButton);
        placed = box->geometry();
        EXPECT_EQ(placed.topLeft(), QPoint(8 + 30, 8 + 20));
        EXPECT_EQ(placed.size(), QSize(359, 211));
        EXPECT_TRUE(first.form->desktopChanged());
    }
    LauncherRun second(installation);
    TDesktopListBox* box = second.box(0);
    EXPECT_FALSE(box->isHidden());
    EXPECT_EQ(box->geometry(), placed);
    EXPECT_EQ(box->property("Tag").toInt(), 1);
    EXPECT_TRUE(second.desktop->tables().isOpen(0));
    EXPECT_EQ(box->content()->height(), 211 - 34);
    EXPECT_TRUE(second.box(1)->isHidden());
    EXPECT_FALSE(second.form->desktopChanged()); // restoring is not a change
    // Entering the list that is already in front changes nothing either.
    QApplication::setActiveWindow(second.form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(second.form.get()));
    box->content()->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(box->content()->hasFocus());
    EXPECT_FALSE(second.form->desktopChanged());
    EXPECT_TRUE(installation.messages.shown.isEmpty());
}

TEST(DesktopWindow, TheStandardDesktopReplacesTheStoredOneAtExit)
{
    Installation installation;
    {
        LauncherRun first(installation);
        first.desktop->SupplierBtnDblClick();
    }
    {
        LauncherRun standard(installation, {}, {}, true);
        EXPECT_TRUE(standard.box(1)->isHidden());
        // Nothing else changes: the standard layout is stored all the same.
        EXPECT_TRUE(standard.form->desktopChanged());
    }
    LauncherRun third(installation);
    EXPECT_TRUE(third.box(1)->isHidden());
    EXPECT_EQ(ReadDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN")).isEmpty(), false);
}

TEST(DesktopWindow, TitleButtonsEnlargeAndReduceByTheRules)
{
    Installation installation;
    LauncherRun run(installation);
    run.desktop->ClientBtnDblClick();
    TDesktopListBox* box = run.box(0);
    ASSERT_EQ(box->size(), QSize(313, 169));
    auto expectRules = [box](const char* when) {
        EXPECT_EQ(box->closeButton()->x(), box->width() - 23) << when;
        EXPECT_EQ(box->enlargeButton()->x(), box->width() - 46) << when;
        EXPECT_EQ(box->reduceButton()->x(), box->width() - 65) << when;
        EXPECT_EQ(box->content()->height(), box->height() - 34) << when;
    };
    expectRules("shown");
    QTest::mouseClick(box->enlargeButton(), Qt::LeftButton);
    EXPECT_EQ(box->size(), QSize(359, 211));
    expectRules("enlarged");
    QTest::mouseClick(box->reduceButton(), Qt::LeftButton);
    EXPECT_EQ(box->size(), QSize(312, 168));
    expectRules("reduced");
    // The things-to-do list is sized from its own popup menu.
    run.desktop->ToDoListBtnDblClick();
    run.desktop->thingsToDoPopup()->findChild<QAction*>(QStringLiteral("Enlarge2"))->trigger();
    EXPECT_EQ(run.box(kThingsToDo)->size(), QSize(359, 211));
    run.desktop->thingsToDoPopup()->findChild<QAction*>(QStringLiteral("Reduce2"))->trigger();
    EXPECT_EQ(run.box(kThingsToDo)->size(), QSize(312, 168));
    // The close button is the toggle.
    QTest::mouseClick(box->closeButton(), Qt::LeftButton);
    EXPECT_TRUE(box->isHidden());
    EXPECT_EQ(box->property("Tag").toInt(), 0);
    EXPECT_FALSE(run.desktop->tables().isOpen(0));
}

TEST(DesktopWindow, ADragThatWouldLeaveTheWallpaperLeavesTheListInPlace)
{
    Installation installation;
    LauncherRun run(installation);
    run.desktop->AccountsBtnDblClick();
    TDesktopListBox* box = run.box(2);
    const QRect start = box->geometry();
    ASSERT_EQ(start.topLeft(), QPoint(8, 186));
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(box, QPoint(20 - 9, 10)); // the left edge would be at -1
    EXPECT_EQ(box->geometry(), start);
    QTest::mouseMove(box, QPoint(20, 10 - 187)); // the top edge would be at -1
    EXPECT_EQ(box->geometry(), start);
    const int wallpaperHeight = run.wallpaper()->height();
    QTest::mouseMove(box, QPoint(20, 10 + wallpaperHeight)); // past the bottom
    EXPECT_EQ(box->geometry(), start);
    QTest::mouseMove(box, QPoint(20 - 8, 10 - 186)); // exactly into the corner
    EXPECT_EQ(box->pos(), QPoint(0, 0));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(12, 0));
    // Released: moving the mouse no longer drags.
    QTest::mouseMove(box, QPoint(60, 60));
    EXPECT_EQ(box->pos(), QPoint(0, 0));
    EXPECT_TRUE(run.form->desktopChanged());
}

TEST(DesktopWindow, AListDroppedOnTheWallpaperIsPlacedAtThePointer)
{
    Installation installation;
    LauncherRun run(installation);
    run.desktop->SupplierBtnDblClick();
    auto send = [&](const QByteArray& name, const QPoint& at) {
        QMimeData data;
        data.setData(QStringLiteral("application/x-varnex-desktop-list"), name);
        // Straight to the desktop's handling: without a real drag in
        // progress the application does not deliver drop events.
        QObject* filter = run.desktop;
        QDragMoveEvent over(at, Qt::MoveAction, &data, Qt::LeftButton, {});
        filter->eventFilter(run.wallpaper(), &over);
        QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, {});
        filter->eventFilter(run.wallpaper(), &drop);
        return over.isAccepted();
    };
    EXPECT_TRUE(send("SupplierList", QPoint(140, 90)));
    EXPECT_EQ(run.box(1)->pos(), QPoint(140, 90));
    EXPECT_TRUE(run.form->desktopChanged());
    // Only list boxes are accepted.
    EXPECT_FALSE(send("purchentS", QPoint(10, 10)));
    EXPECT_EQ(run.box(1)->pos(), QPoint(140, 90));
}

TEST(DesktopWindow, EnteringAListBringsThatListToTheFront)
{
    Installation installation;
    installation.setSetting(QStringLiteral("payroll"), QStringLiteral("Y")); // the employees' list
    LauncherRun run(installation);
    QApplication::setActiveWindow(run.form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(run.form.get()));
    for (int list : {0, 1, 2, 3, kThingsToDo, 5})
        run.desktop->ToggleList(list);
    auto front = [&] {
        QWidget* top = nullptr;
        for (QObject* child : run.wallpaper()->children()) {
            if (auto* box = qobject_cast<TDesktopListBox*>(child); box && !box->isHidden())
                top = box;
        }
        return top;
    };
    for (int list : {2, 0, kThingsToDo, 5, 1, 3}) {
        // By the keyboard: the focus moves into the list's content.
        run.box(list)->content()->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(front(), run.box(list)) << "focus " << list;
    }
    for (int list : {3, 5, 0}) {
        // By the mouse: a press on the box itself.
        QTest::mousePress(run.box(list), Qt::LeftButton, {}, QPoint(60, 8));
        QTest::mouseRelease(run.box(list), Qt::LeftButton, {}, QPoint(60, 8));
        EXPECT_EQ(front(), run.box(list)) << "mouse " << list;
    }
}

TEST(DesktopWindow, ListsNeedTheirDisplayOptionAndTheNotesNeedNone)
{
    Installation installation;
    // A clerk who may run the supplier display and nothing of the clients.
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERKPW"), {QStringLiteral("supview")});
    LauncherEnvironment environment;
    environment.runDialog = [](QDialog& dialog) {
        if (auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("Password"))) {
            box->setText(QStringLiteral("CLERKPW"));
            return mrOk;
        }
        return mrCancel;
    };
    LauncherRun run(installation, environment);
    for (int list : {0, 2, 3, 5}) {
        run.desktop->ToggleList(list);
        EXPECT_TRUE(run.box(list)->isHidden()) << list;
        EXPECT_FALSE(run.desktop->tables().isOpen(list)) << list;
    }
    EXPECT_FALSE(run.form->desktopChanged());
    run.desktop->SupplierBtnDblClick();
    EXPECT_FALSE(run.box(1)->isHidden());
    run.desktop->ToDoListBtnDblClick();
    EXPECT_FALSE(run.box(kThingsToDo)->isHidden());
}

TEST(DesktopWindow, DeletingTheClientListIconHidesTheListAndLeavesItsTableOpen)
{
    Installation installation;
    ReplaceDesktopRows(
        installation.dataRoot(), QStringLiteral("ADMIN"),
        {{1, int(ComponentType::Icon), iconStream(QStringLiteral("ClientBtn"), QStringLiteral("Clients"))}});
    LauncherRun run(installation);
    ASSERT_EQ(run.desktop->icons().size(), 1);
    TTransparentButton* icon = run.desktop->icons().first();
    EXPECT_FALSE(icon->isHidden());
    EXPECT_EQ(icon->PopUpMenu(), run.desktop->desktopPopup());
    // A click on a list icon shows its list rather than running an option.
    QTest::mouseClick(icon, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_FALSE(run.box(0)->isHidden());
    EXPECT_TRUE(installation.calls().isEmpty());
    run.desktop->DeleteShortCutClick(icon);
    EXPECT_TRUE(run.box(0)->isHidden());
    EXPECT_EQ(run.box(0)->property("Tag").toInt(), 0);
    EXPECT_TRUE(run.desktop->tables().isOpen(0));
    EXPECT_TRUE(run.desktop->icons().isEmpty());
    // The wallpaper is no icon: deleting it does nothing.
    run.desktop->DeleteShortCutClick(run.wallpaper());
    EXPECT_FALSE(run.wallpaper()->isHidden());
}

// The first desktop the administration program gives a user: six list
// icons with the program's picture, and a click opens the list.
TEST(DesktopWindow, TheStarterDesktopShowsTheSixListIcons)
{
    Installation installation;
    QProcess admin;
    admin.start(QStringLiteral(VARNEX_BIN_DIR "/lgxadmin"),
                {QStringLiteral("desktop"), QStringLiteral("--user"), QStringLiteral("ADMIN"),
                 QDir::cleanPath(installation.dataRoot() + QStringLiteral("/../.."))});
    ASSERT_TRUE(admin.waitForFinished(60000));
    ASSERT_EQ(admin.exitCode(), 0) << admin.readAllStandardError().toStdString();

    LauncherRun run(installation);
    QStringList names;
    for (TTransparentButton* icon : run.desktop->icons()) {
        names << icon->objectName();
        EXPECT_FALSE(icon->isHidden()) << icon->objectName().toStdString();
        EXPECT_FALSE(icon->Glyph().isNull()) << icon->objectName().toStdString();
        EXPECT_FALSE(icon->Caption().isEmpty()) << icon->objectName().toStdString();
    }
    names.sort();
    EXPECT_EQ(names,
              (QStringList{"AccountsBtn", "ClientBtn", "EmployeeBtn", "ProductBtn", "SupplierBtn", "ToDoListBtn"}));
    TTransparentButton* clients = run.form->findChild<TTransparentButton*>(QStringLiteral("ClientBtn"));
    ASSERT_NE(clients, nullptr);
    QTest::mouseClick(clients, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_FALSE(run.box(0)->isHidden());
}

TEST(DesktopWindow, NewShortcutsRefusedOptionsAndDuplicates)
{
    Installation installation;
    installation.installModule(QStringLiteral("purchent"));
    QFile::copy(QStringLiteral(VARNEX_BIN_DIR "/sysedit.bmp"),
                installation.programFolder() + QStringLiteral("/sysedit.bmp"));
    // The dialog is answered by choosing the row of an option by name.
    auto choice = std::make_shared<QString>();
    LauncherEnvironment environment;
    environment.runDialog = [choice](QDialog& dialog) {
        auto* dll = dialog.findChild<QListWidget*>(QStringLiteral("DllList"));
        auto* names = dialog.findChild<QListWidget*>(QStringLiteral("OptionNames"));
        if (!dll || choice->isEmpty())
            return int(QDialog::Rejected);
        EXPECT_EQ(names->currentRow(), 0); // the first row is offered first
        for (int i = 0; i < dll->count(); ++i) {
            if (dll->item(i)->text() == *choice)
                names->setCurrentRow(i);
        }
        return int(QDialog::Accepted);
    };
    LauncherRun run(installation, environment);
    QListWidget* dll = launcher_test::ListOf(*run.form, "DllList");
    QListWidget* names = launcher_test::ListOf(*run.form, "OptionNames");

    run.desktop->Shortcut1Click(); // cancelled
    EXPECT_TRUE(run.desktop->icons().isEmpty());
    EXPECT_FALSE(run.form->desktopChanged());

    *choice = QStringLiteral("purchent");
    run.desktop->Shortcut1Click();
    ASSERT_EQ(run.desktop->icons().size(), 1);
    TTransparentButton* icon = run.desktop->icons().first();
    EXPECT_EQ(icon->objectName(), QStringLiteral("purchentS"));
    EXPECT_EQ(icon->geometry(), QRect(296, 256, 89, 89));
    EXPECT_EQ(icon->BorderWidth(), 0);
    EXPECT_EQ(icon->property("Tag").toInt(), 1);
    EXPECT_EQ(icon->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(icon->font().pointSize(), 10);
    EXPECT_EQ(icon->palette().color(icon->foregroundRole()), QColor(Qt::white));
    EXPECT_FALSE(icon->Glyph().isNull());
    const int row = dll->row(dll->findItems(QStringLiteral("purchent"), Qt::MatchExactly).first());
    EXPECT_EQ(icon->Caption(), names->item(row)->text());
    EXPECT_TRUE(run.form->desktopChanged());
    // A click runs the option.
    QTest::mouseClick(icon, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(installation.calls().size(), 1);

    run.desktop->Shortcut1Click(); // the same option again
    EXPECT_EQ(run.desktop->icons().size(), 1);
    EXPECT_TRUE(installation.messages.texts().contains(Line(1)));

    // A row the user sees but may not run.
    dll->item(0)->setText(QString());
    *choice = QString();
    EXPECT_EQ(dll->item(0)->text(), QString());
    LauncherEnvironment& env = run.form->environment();
    env.runDialog = [](QDialog&) { return int(QDialog::Accepted); }; // the first row, as offered
    run.desktop->Shortcut1Click();
    EXPECT_EQ(run.desktop->icons().size(), 1);
    EXPECT_TRUE(installation.messages.texts().contains(Line(20)));
}

TEST(DesktopWindow, IconPropertiesChangeTheCaptionAndThePicture)
{
    Installation installation;
    QTemporaryDir pictures;
    const QString good = pictures.filePath(QStringLiteral("good.bmp"));
    ASSERT_TRUE(testPicture(24, 24, qRgb(200, 30, 30)).save(good));
    const QString bad = pictures.filePath(QStringLiteral("bad.jpg"));
    QFile badFile(bad);
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write("not a picture");
    badFile.close();

    ReplaceDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN"),
                       {{1, int(ComponentType::Icon), iconStream(QStringLiteral("purchentS"), QStringLiteral("Buy"))}});
    auto chosen = std::make_shared<QString>();
    auto folders = std::make_shared<QStringList>();
    DesktopEnvironment desktopEnvironment;
    desktopEnvironment.choosePicture = [chosen, folders](QWidget*, const QString& folder, const QString& filter) {
        *folders << folder;
        EXPECT_EQ(filter, QStringLiteral("Bitmap image (*.bmp);;Jpeg image (*.jpg)"));
        return *chosen;
    };
    auto answer = std::make_shared<int>(QDialog::Accepted);
    auto newCaption = std::make_shared<QString>(QStringLiteral("Purchases"));
    LauncherEnvironment environment;
    environment.runDialog = [answer, newCaption](QDialog& dialog) {
        if (auto* properties = qobject_cast<TPropertiesDlg*>(&dialog)) {
            EXPECT_EQ(properties->DllLabel->text(), QStringLiteral("purchent"));
            properties->NewCaption->setText(*newCaption);
            properties->ChangeIconClick();
        }
        return *answer;
    };
    LauncherRun run(installation, environment, desktopEnvironment);
    ASSERT_EQ(run.desktop->icons().size(), 1);
    TTransparentButton* icon = run.desktop->icons().first();
    const QImage original = icon->Glyph();

    *chosen = good;
    run.desktop->Properties1Click(icon);
    EXPECT_EQ(icon->Caption(), QStringLiteral("Purchases"));
    EXPECT_EQ(icon->Glyph().size(), QSize(24, 24));
    EXPECT_EQ(folders->last(), installation.programFolder());
    EXPECT_TRUE(run.form->desktopChanged());

    // An unreadable picture: line 0, the picture stays; the caption is taken.
    *chosen = bad;
    *newCaption = QStringLiteral("Achats");
    run.desktop->Properties1Click(icon);
    EXPECT_TRUE(installation.messages.texts().contains(Line(0)));
    EXPECT_EQ(icon->Glyph().size(), QSize(24, 24));
    EXPECT_EQ(icon->Caption(), QStringLiteral("Achats"));

    // Cancelled: nothing changes, and the picture chosen then is not kept
    // for the next use of the dialog.
    *chosen = good;
    *answer = QDialog::Rejected;
    icon->setGlyph(original);
    run.desktop->Properties1Click(icon);
    EXPECT_EQ(icon->Caption(), QStringLiteral("Achats"));
    EXPECT_EQ(icon->Glyph().size(), original.size());
    *answer = QDialog::Accepted;
    *chosen = QString(); // "Change icon..." cancelled this time
    run.desktop->Properties1Click(icon);
    EXPECT_EQ(icon->Glyph().size(), original.size());
}

TEST(DesktopWindow, TheWallpaperPictureIsChangedOrKept)
{
    Installation installation;
    QTemporaryDir pictures;
    const QString jpeg = pictures.filePath(QStringLiteral("sky.jpg"));
    ASSERT_TRUE(testPicture(40, 30, qRgb(20, 90, 200)).save(jpeg, "JPG"));
    auto chosen = std::make_shared<QString>();
    DesktopEnvironment desktopEnvironment;
    desktopEnvironment.choosePicture = [chosen](QWidget*, const QString&, const QString&) { return *chosen; };
    LauncherRun run(installation, {}, desktopEnvironment);

    run.desktop->Changeproperties1Click(); // nothing chosen
    EXPECT_FALSE(run.form->desktopChanged());
    *chosen = jpeg;
    run.form->findChild<QAction*>(QStringLiteral("Changeproperties1"))->trigger();
    EXPECT_EQ(run.wallpaper()->Wallpaper().size(), QSize(40, 30));
    EXPECT_TRUE(run.form->desktopChanged());
    // The popup's Properties on the wallpaper is the same command.
    *chosen = pictures.filePath(QStringLiteral("missing.bmp"));
    run.desktop->Properties1Click(run.wallpaper());
    EXPECT_TRUE(installation.messages.texts().contains(Line(0)));
    EXPECT_EQ(run.wallpaper()->Wallpaper().size(), QSize(40, 30));
}

TEST(DesktopWindow, InsertInAListGridRunsTheMaintenanceOption)
{
    Installation installation;
    installation.installModule(QStringLiteral("climaint"));
    LauncherRun run(installation);
    run.desktop->ClientBtnDblClick();
    auto* grid = run.form->findChild<TDesktopGrid*>(QStringLiteral("DBGrid1"));
    ASSERT_NE(grid, nullptr);
    QTest::keyClick(grid, Qt::Key_Down); // other keys run nothing
    EXPECT_TRUE(installation.calls().isEmpty());
    QTest::keyClick(grid, Qt::Key_Insert);
    ASSERT_EQ(installation.calls().size(), 1);
    EXPECT_TRUE(installation.calls().first().contains(QStringLiteral("climaint")));
    EXPECT_TRUE(run.desktop->tables().isOpen(0));
}

// A desktop with every kind of component, arranged by the user.
void arrangeEverything(LauncherRun& run)
{
    run.wallpaper()->setWallpaper(testPicture(16, 16, qRgb(0, 80, 80)));
    for (int list : {0, kThingsToDo, 5})
        run.desktop->ToggleList(list);
    run.desktop->EnlargeClick(5);
    run.box(5)->move(200, 150);
    run.desktop->notes()->setHtml(QStringLiteral("<p>Call <b>Dubé</b> about the <i>invoice</i></p>"));
    auto* grid = run.form->findChild<TDesktopGrid*>(QStringLiteral("DBGrid1"));
    grid->horizontalHeader()->resizeSection(1, 222);
    grid->horizontalHeader()->moveSection(3, 0);

    auto* shortcut = new TTransparentButton(run.wallpaper());
    shortcut->setObjectName(QStringLiteral("supviewS"));
    shortcut->setCaption(QStringLiteral("Suppliers"));
    shortcut->setGlyph(testPicture(64, 16, qRgb(1, 2, 3)));
    shortcut->setGeometry(500, 20, 89, 89);
    shortcut->setProperty("Tag", 1);
    shortcut->setFrameStyle(varnex::fsMono);
    auto* listIcon = new TTransparentButton(run.wallpaper());
    listIcon->setObjectName(QStringLiteral("ProductBtn"));
    listIcon->setCaption(QStringLiteral("Products"));
    listIcon->setGeometry(600, 20, 89, 89);
    listIcon->setProperty("Tag", 1);
    for (TTransparentButton* icon : {shortcut, listIcon}) {
        run.desktop->prepareIcon(icon);
        icon->show();
    }
    run.form->markDesktopChanged();
}

TEST(DesktopWindow, EveryKindOfComponentSurvivesSaveAndRestoreByteForByte)
{
    Installation installation;
    QList<DesktopRow> saved;
    {
        LauncherRun first(installation);
        arrangeEverything(first);
        saved = first.desktop->CaptureDesktop();
    }
    const QList<DesktopRow> stored = ReadDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN"));
    EXPECT_EQ(stored, saved);
    QList<int> types;
    for (const DesktopRow& row : stored)
        types << row.type;
    for (int type = 0; type < kComponentTypeCount; ++type)
        EXPECT_TRUE(types.contains(type)) << type;
    EXPECT_EQ(types.count(int(ComponentType::ListBox)), kListCount);
    EXPECT_EQ(types.count(int(ComponentType::ListGrid)), kGridCount);

    LauncherRun second(installation);
    const QList<DesktopRow> again = second.desktop->CaptureDesktop();
    EXPECT_EQ(again, stored);
    for (int i = 0; i < std::min(again.size(), stored.size()); ++i) {
        if (again[i] == stored[i])
            continue;
        const auto a = varnex::ReadStream(again[i].component);
        const auto b = varnex::ReadStream(stored[i].component);
        for (const auto& p : b.properties) {
            const auto* q = a.find(p.name);
            if (!q || !(q->value == p.value))
                ADD_FAILURE() << "row " << i << " " << p.name.toStdString();
        }
        for (const auto& p : a.properties)
            if (!b.find(p.name))
                ADD_FAILURE() << "row " << i << " new " << p.name.toStdString();
    }
    EXPECT_EQ(second.box(5)->geometry(), QRect(200, 150, 359, 211));
    EXPECT_EQ(second.desktop->notes()->toPlainText(), QStringLiteral("Call Dubé about the invoice"));
    auto* grid = second.form->findChild<TDesktopGrid*>(QStringLiteral("DBGrid1"));
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(1), 222);
    EXPECT_EQ(grid->horizontalHeader()->logicalIndex(0), 3);
    EXPECT_EQ(second.wallpaper()->Wallpaper().size(), QSize(16, 16));
    ASSERT_EQ(second.desktop->icons().size(), 2);
    TTransparentButton* shortcut = second.form->findChild<TTransparentButton*>(QStringLiteral("supviewS"));
    TTransparentButton* listIcon = second.form->findChild<TTransparentButton*>(QStringLiteral("ProductBtn"));
    ASSERT_TRUE(shortcut && listIcon);
    EXPECT_EQ(shortcut->FrameStyle(), varnex::fsMono);
    EXPECT_EQ(shortcut->NumGlyphs(), 4);
    // The list icon toggles its list; the shortcut carries the popup too.
    EXPECT_EQ(shortcut->PopUpMenu(), second.desktop->desktopPopup());
    listIcon->click();
    EXPECT_TRUE(second.box(5)->isHidden());
}

TEST(DesktopWindow, IconsStoredWithTheStreamDefaultsComeBackAsConstructed)
{
    Installation installation;
    TTransparentButton source;
    source.setObjectName(QStringLiteral("supviewS"));
    source.setProperty("Tag", 1);
    source.setFrameStyle(varnex::fsExplorer);
    source.setShowPressed(true);
    source.setTextAlign(varnex::ttaCenter);
    source.setWordWrap(false);
    source.setMovable(false);
    const QByteArray bytes = varnex::WriteComponent(&source);
    ReplaceDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN"), {{1, int(ComponentType::Icon), bytes}});
    LauncherRun run(installation);
    ASSERT_EQ(run.desktop->icons().size(), 1);
    TTransparentButton* icon = run.desktop->icons().first();
    EXPECT_EQ(icon->FrameStyle(), varnex::fsRegular);
    EXPECT_FALSE(icon->ShowPressed());
    EXPECT_EQ(icon->TextAlign(), varnex::ttaBottom);
    EXPECT_TRUE(icon->WordWrap());
    EXPECT_TRUE(icon->Movable());
    // Saved again, the button now stores what it has become.
    const auto saved = varnex::ReadStream(run.desktop->CaptureDesktop().last().component);
    ASSERT_NE(saved.find(QStringLiteral("FrameStyle")), nullptr);
    EXPECT_EQ(saved.find(QStringLiteral("FrameStyle"))->value.enumName(), QStringLiteral("fsRegular"));
}

TEST(DesktopWindow, DamagedStoredRowsGiveAMessageAndTheStandardDesktop)
{
    Installation installation;
    {
        LauncherRun first(installation);
        arrangeEverything(first);
    }
    const QList<DesktopRow> good = ReadDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN"));
    const QList<DesktopRow> otherUser = {{2, 2, good[1].component}};
    ReplaceDesktopRows(installation.dataRoot(), QStringLiteral("OTHER"), otherUser);

    // Damage: the fuzzer's seeds (a mask edit is no desktop component), cut
    // and flipped streams, wrong types and indexes.
    QList<QPair<QString, DesktopRow>> damaged;
    for (const QString& seed : QDir(QStringLiteral(VARNEX_CORPUS_DIR)).entryList(QDir::Files)) {
        QFile file(QStringLiteral(VARNEX_CORPUS_DIR "/") + seed);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        if (seed.startsWith(QLatin1String("maskedit")))
            damaged.append({seed, {0, int(ComponentType::Icon), bytes}});
        for (qsizetype cut : {qsizetype(0), qsizetype(5), bytes.size() / 2, bytes.size() - 1})
            damaged.append(
                {seed + QStringLiteral(" cut at %1").arg(cut), {0, int(ComponentType::Icon), bytes.left(cut)}});
    }
    const int iconRow = [&] {
        for (int i = 0; i < good.size(); ++i)
            if (good[i].type == int(ComponentType::Icon))
                return i;
        return -1;
    }();
    ASSERT_GE(iconRow, 0);
    QByteArray flipped = good[iconRow].component;
    flipped[flipped.size() / 3] = char(0xfe);
    damaged.append({QStringLiteral("flipped icon"), {0, int(ComponentType::Icon), flipped}});
    damaged.append({QStringLiteral("unknown type"), {0, 7, good[iconRow].component}});
    damaged.append(
        {QStringLiteral("icon stored as a list"), {0, int(ComponentType::ListBox), good[iconRow].component}});
    DesktopRow listOutOfRange = good[1];
    listOutOfRange.componentIndex = 6;
    damaged.append({QStringLiteral("list index 6"), listOutOfRange});
    damaged.append({QStringLiteral("two icons of one name"), good[iconRow]});

    for (const auto& [what, row] : damaged) {
        QList<DesktopRow> rows = good;
        rows.insert(rows.size() / 2, row);
        ReplaceDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN"), rows);
        installation.messages.shown.clear();
        {
            LauncherRun run(installation);
            ASSERT_EQ(installation.messages.shown.size(), 1) << what.toStdString();
            EXPECT_TRUE(installation.messages.shown.first().text.startsWith(Line(30))) << what.toStdString();
            EXPECT_TRUE(run.desktop->icons().isEmpty()) << what.toStdString();
            for (int list = 0; list < kListCount; ++list)
                EXPECT_TRUE(run.box(list)->isHidden()) << what.toStdString();
            EXPECT_TRUE(run.wallpaper()->Wallpaper().isNull() || run.wallpaper()->Wallpaper().size() != QSize(16, 16));
        }
        // Unchanged, the standard desktop is not written over the stored one.
        EXPECT_EQ(ReadDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN")), rows) << what.toStdString();
        EXPECT_EQ(ReadDesktopRows(installation.dataRoot(), QStringLiteral("OTHER")), otherUser);
    }
}

TEST(DesktopWindow, DesktopTextsMatchTheLanguageTables)
{
    Installation installation;
    LauncherRun run(installation);
    varnex::translation::SetLanguageTableSource(nullptr); // the tables the build made
    for (const char* table : {"MainMenuen", "MainMenufr"}) {
        QStringList problems;
        try {
            problems = varnex::translation::CheckWindowTexts(run.form.get(), QLatin1String(table));
        } catch (const std::exception& error) {
            GTEST_SKIP() << "language tables not built: " << error.what();
        }
        EXPECT_TRUE(problems.isEmpty()) << table << ": " << problems.join(QStringLiteral("; ")).toStdString();
        const QStringList dialog =
            varnex::translation::CheckWindowTexts(run.desktop->propertiesDialog(), QLatin1String(table));
        EXPECT_TRUE(dialog.isEmpty()) << table << ": " << dialog.join(QStringLiteral("; ")).toStdString();
    }
    varnex::translation::TranslateForm(run.form.get(), QStringLiteral("MainMenufr"));
    auto* grid = run.form->findChild<TDesktopGrid*>(QStringLiteral("DBGrid5"));
    EXPECT_EQ(grid->columnTitles().last(), QStringLiteral("En main"));
    EXPECT_EQ(run.box(2)->title(), QStringLiteral("Charte des comptes"));
}

TEST(DesktopWindow, AfterChoosingFrenchThePropertiesDialogKeepsItsLanguage)
{
    Installation installation;
    varnex::translation::SetLanguageTableSource(nullptr); // the tables the build made
    if (!QFileInfo::exists(varnex::translation::LanguagesFolder()))
        GTEST_SKIP() << "language tables not built";
    LauncherRun run(installation);
    TPropertiesDlg* properties = run.desktop->propertiesDialog();
    EXPECT_EQ(properties->windowTitle(), QStringLiteral("Properties"));
    EXPECT_EQ(properties->CancelBtn->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(run.box(1)->title(), QStringLiteral("Suppliers"));
    run.form->findChild<QAction*>(QStringLiteral("MenuItemfr"))->trigger();
    // The main window, its lists and their columns follow the language.
    EXPECT_EQ(run.box(1)->title(), QStringLiteral("Fournisseurs"));
    EXPECT_EQ(run.form->findChild<TDesktopGrid*>(QStringLiteral("DBGrid1"))->columnTitles().at(1),
              QStringLiteral("Nom"));
    EXPECT_EQ(run.desktop->desktopPopup()->actions().at(0)->text(), QStringLiteral("Propriétés"));
    EXPECT_EQ(properties->windowTitle(), QStringLiteral("Properties"));
    EXPECT_EQ(properties->CancelBtn->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(properties->PictureFilter->text(), QStringLiteral("Bitmap image|*.bmp|Jpeg image|*.jpg"));
}

namespace {

// A few rows in the company's tables, so that the lists have something to show.
void fillCompany(const Installation& installation)
{
    auto append = [&](const char* table, const std::vector<std::pair<const char*, QVariant>>& values) {
        varnex::data::Table t;
        t.setFolder(installation.dataRoot() + QLatin1Char('1'));
        t.setTableName(QLatin1String(table));
        t.open();
        t.append();
        for (const auto& [field, value] : values)
            t.field(QLatin1String(field)).setValue(value);
        t.post();
        t.close();
    };
    const char* clients[][4] = {{"BOUL01", "Boulangerie Saint-Roch", "418 555-0142", "Québec"},
                                {"GARA02", "Garage Côté et fils", "819 555-0190", "Sherbrooke"},
                                {"NORD03", "Quincaillerie du Nord", "705 555-0111", "Sudbury"},
                                {"PHAR04", "Pharmacie Lavoie", "514 555-0173", "Montréal"}};
    for (const auto& c : clients)
        append("cli", {{"Cli_code", QString::fromUtf8(c[0])},
                       {"Cli_name", QString::fromUtf8(c[1])},
                       {"Cli_tel", QString::fromUtf8(c[2])},
                       {"Cli_city", QString::fromUtf8(c[3])}});
    const char* products[][3] = {{"HW", "BOLT-1/4", "Carriage bolt 1/4 in."},
                                 {"HW", "NUT-1/4", "Hex nut 1/4 in."},
                                 {"PT", "PAINT-W", "Latex paint, white, 3.78 L"}};
    double quantity = 12;
    for (const auto& p : products) {
        append("ivprod", {{"Ivprod_line_code", QString::fromUtf8(p[0])},
                          {"Ivprod_item_code", QString::fromUtf8(p[1])},
                          {"Ivprod_desc_1", QString::fromUtf8(p[2])},
                          {"Ivprod_price1", quantity * 1.25}});
        for (int store = 1; store <= 2; ++store)
            append("ivinv", {{"Ivinv_Line_Code", QString::fromUtf8(p[0])},
                             {"Ivinv_item_code", QString::fromUtf8(p[1])},
                             {"Ivinv_store", store},
                             {"Ivinv_qty1", quantity},
                             {"Ivinv_qty3", store * 2.0}});
        quantity *= 3;
    }
}

} // namespace

TEST(DesktopWindow, TheProductListShowsTheQuantityOnHandOfEveryStore)
{
    Installation installation;
    fillCompany(installation);
    LauncherRun run(installation);
    run.desktop->ProductBtnDblClick();
    auto* grid = run.form->findChild<TDesktopGrid*>(QStringLiteral("DBGrid5"));
    ASSERT_EQ(grid->model()->rowCount(), 3);
    const int onHand = grid->model()->columnCount() - 1;
    // Two stores each: 2 x 12 + 2 + 4, then 2 x 36 + 6, then 2 x 108 + 6.
    const double expected[] = {30, 78, 222};
    for (int row = 0; row < 3; ++row)
        EXPECT_DOUBLE_EQ(grid->gridModel()->data(grid->model()->index(row, onHand), Qt::EditRole).toDouble(),
                         expected[row])
            << row;
}

TEST(DesktopWindow, PicturesOfAPopulatedDesktop)
{
    const QString folder = qEnvironmentVariable("VARNEX_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "VARNEX_SCREENSHOTS not set";
    Installation installation;
    fillCompany(installation);
    for (const char* file : {"wallpaper.png", "sysedit.bmp"})
        QFile::copy(QStringLiteral(VARNEX_BIN_DIR "/") + QLatin1String(file),
                    installation.programFolder() + QLatin1Char('/') + QLatin1String(file));
    auto icon = [](const QString& name, const QString& caption, const QPoint& at) {
        TTransparentButton button;
        button.setObjectName(name);
        button.setCaption(caption);
        button.setGlyph(QImage(QStringLiteral(VARNEX_BIN_DIR "/sysedit.bmp")));
        button.setGeometry(QRect(at, QSize(89, 89)));
        button.setBorderWidth(0);
        button.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        QPalette palette = button.palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        button.setPalette(palette);
        button.setProperty("Tag", 1);
        return DesktopRow{1, int(ComponentType::Icon), varnex::WriteComponent(&button)};
    };
    ReplaceDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN"),
                       {icon(QStringLiteral("ClientBtn"), QStringLiteral("Clients"), {640, 10}),
                        icon(QStringLiteral("ProductBtn"), QStringLiteral("Products"), {640, 110}),
                        icon(QStringLiteral("purchentS"), QStringLiteral("Purchases"), {640, 210}),
                        icon(QStringLiteral("ToDoListBtn"), QStringLiteral("Things to do"), {640, 310})});
    varnex::translation::SetLanguageTableSource(nullptr);
    LauncherRun run(installation);
    run.desktop->ClientBtnDblClick();
    run.desktop->EnlargeClick(0);
    run.desktop->ProductBtnDblClick();
    run.box(5)->move(170, 225);
    run.desktop->ToDoListBtnDblClick();
    run.box(kThingsToDo)->setGeometry(400, 20, 230, 150);
    run.box(kThingsToDo)->applyGeometryRules();
    run.desktop->notes()->setHtml(
        QStringLiteral("<p><b>Monday</b>: call Garage Côté about the <i>March</i> statement.</p>"
                       "<p>Count the paint in store 2.</p>"));
    QDir().mkpath(folder);
    for (const char* code : {"en", "fr"}) {
        run.form->findChild<QAction*>(QStringLiteral("MenuItem") + QLatin1String(code))->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(
            run.form->grab().save(folder + QStringLiteral("/desktop-") + QLatin1String(code) + QStringLiteral(".png")));
    }
}

TEST(DesktopWindow, GeneratedDamageNeverChangesTheDesktopHalfway)
{
    Installation installation;
    {
        LauncherRun first(installation);
        arrangeEverything(first);
    }
    const QList<DesktopRow> good = ReadDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN"));
    LauncherRun run(installation);
    QList<DesktopRow> shown = run.desktop->CaptureDesktop();
    std::mt19937 rng(20261208);
    int refused = 0;
    for (int i = 0; i < 300; ++i) {
        QList<DesktopRow> rows = good;
        DesktopRow& row = rows[static_cast<int>(rng() % rows.size())];
        QByteArray& bytes = row.component;
        switch (i % 3) {
        case 0: // a few bytes flipped
            for (int k = 0; k < 1 + int(rng() % 3); ++k)
                bytes[static_cast<int>(rng() % bytes.size())] = char(rng() & 0xFF);
            break;
        case 1: // cut
            bytes.truncate(static_cast<int>(rng() % bytes.size()));
            break;
        case 2: // a length or count made huge
            bytes.replace(static_cast<int>(rng() % (bytes.size() - 4)), 4, QByteArray("\xff\xff\xff\x7f", 4));
            break;
        }
        ReplaceDesktopRows(installation.dataRoot(), QStringLiteral("ADMIN"), rows);
        installation.messages.shown.clear();
        run.desktop->Set_Desktop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (installation.messages.shown.isEmpty()) {
            // The damage fell where any value will do: that desktop is shown now.
            shown = run.desktop->CaptureDesktop();
            continue;
        }
        ++refused;
        ASSERT_EQ(installation.messages.shown.size(), 1) << i;
        EXPECT_TRUE(installation.messages.shown.first().text.startsWith(Line(30))) << i;
        // Refused as a whole: what was on screen is still there, untouched.
        EXPECT_EQ(run.desktop->CaptureDesktop(), shown) << i;
    }
    EXPECT_GT(refused, 150);
}

TEST(DesktopWindow, OpenListsFollowTheCompanyChosenInTheOptionsMenu)
{
    Installation installation;
    fillCompany(installation); // four clients in company 1
    installation.addCompany(2, QStringLiteral("Beta"));
    LauncherRun run(installation);
    run.desktop->ClientBtnDblClick();
    auto* grid = run.form->findChild<TDesktopGrid*>(QStringLiteral("DBGrid1"));
    EXPECT_EQ(grid->model()->rowCount(), 4);
    QAction* beta = nullptr;
    for (QAction* item : launcher_test::MenuOf(*run.form, "CompanyMenu")->actions())
        beta = item->text() == QStringLiteral("Beta") ? item : beta;
    ASSERT_NE(beta, nullptr);
    run.form->CompanyClick(beta);
    EXPECT_FALSE(run.box(0)->isHidden());
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_TRUE(run.desktop->tables().isOpen(0));
}
