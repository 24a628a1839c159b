#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/table.h"
#include "varnex/frame/tables.h"
#include "varnex/messages.h"

using namespace varnex;
using namespace varnex::data;
using namespace varnex::frame;

namespace {

class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

void makeSuppliers(const QString& folder)
{
    TableDef def;
    def.name = QStringLiteral("sup");
    def.fields = {{QStringLiteral("Sup_code"), FieldType::Text, 10}, {QStringLiteral("Sup_name"), FieldType::Text, 60}};
    def.indexes = {{QString(), {QStringLiteral("Sup_code")}, true, true}};
    auto db = Database::forFolder(folder);
    db->createTable(def);
    Table t;
    t.setDatabase(db);
    t.setTableName(QStringLiteral("sup"));
    t.open();
    for (const char* code : {"ACME", "BELL"}) {
        t.append();
        t.field(QStringLiteral("Sup_code")).setString(QString::fromUtf8(code));
        t.post();
    }
}

} // namespace

TEST(EditWithLockRetry, WaitsForTheOtherWorkstationAndKeepsPainting)
{
    QTemporaryDir dir;
    makeSuppliers(dir.path());
    QProcess holder;
    holder.start(QStringLiteral(VARNEX_TEST_BIN_DIR "/lock_holder"),
                 {dir.path(), QStringLiteral("sup"), QStringLiteral("ACME")});
    ASSERT_TRUE(holder.waitForStarted(5000));
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_TRUE(holder.readLine().startsWith("locked"));

    Table table;
    table.setDatabase(Database::forFolder(dir.path()));
    table.setTableName(QStringLiteral("sup"));
    table.open();
    ASSERT_TRUE(table.findKey({QStringLiteral("ACME")}));

    PaintCounter window;
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const int paintsBefore = window.paints;
    bool noticeSeen = false;
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, &window, [&] {
        window.update();
        for (QWidget* w : QApplication::topLevelWidgets())
            noticeSeen = noticeSeen || (w->objectName() == QLatin1String("LockWaitNotice") && w->isVisible());
    });
    repaint.start(50);
    QTimer::singleShot(600, [&] { holder.write("\n"); });

    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(EditWithLockRetry(table, &window, 2));
    EXPECT_GE(clock.elapsed(), 500);
    EXPECT_EQ(table.state(), DataSetState::Edit);
    EXPECT_GT(window.paints, paintsBefore + 2);
    EXPECT_TRUE(noticeSeen);
    table.cancel();
    holder.waitForFinished(5000);
}

TEST(EditWithLockRetry, OtherEngineErrorsEndTheAttemptQuietly)
{
    RecordingMessageService messages;
    Table closed;
    closed.setTableName(QStringLiteral("sup"));
    EXPECT_FALSE(EditWithLockRetry(closed));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(EditWithLockRetry, AFreeRecordIsEditedAtOnce)
{
    QTemporaryDir dir;
    makeSuppliers(dir.path());
    Table table;
    table.setDatabase(Database::forFolder(dir.path()));
    table.setTableName(QStringLiteral("sup"));
    table.open();
    EXPECT_TRUE(EditWithLockRetry(table));
    EXPECT_EQ(table.state(), DataSetState::Edit);
    table.cancel();
}

TEST(OpenTableChecked, MessageInTheUsersLanguageThenTheFormCloses)
{
    QTemporaryDir dir;
    makeSuppliers(dir.path());
    RecordingMessageService messages;
    for (int language : {1, 2}) {
        QWidget mainWindow;
        mainWindow.show();
        Table missing;
        missing.setDatabase(Database::forFolder(dir.path()));
        missing.setTableName(QStringLiteral("cfhdr"));
        EXPECT_FALSE(OpenTableChecked(missing, language, &mainWindow));
        EXPECT_FALSE(mainWindow.isVisible());
    }
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Error opening table cfhdr"));
    EXPECT_EQ(messages.shown[1].text, QStringLiteral("Erreur lors de l'ouverture de la table cfhdr"));
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);

    QWidget stays;
    stays.show();
    Table present;
    present.setDatabase(Database::forFolder(dir.path()));
    present.setTableName(QStringLiteral("sup"));
    EXPECT_TRUE(OpenTableChecked(present, 1, &stays));
    EXPECT_TRUE(stays.isVisible());
    EXPECT_EQ(messages.shown.size(), 2);
}
