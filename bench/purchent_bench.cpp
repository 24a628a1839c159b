// Supplier invoices typed and posted through the real purchase window,
// headless: each invoice has two expense rows, a tax row and the payable row,
// typed key by key with Tab between the boxes, then the accept button.
//
//   purchent_bench [--invoices N]
//
// The company is made in a temporary folder. With VARNEX_ENGINE=postgresql
// and VARNEX_SERVER set it runs on the server engine. Prints postings per
// second (typing included) and checks that every invoice was stored.

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <cstdlib>

#include "varnex/application.h"
#include "varnex/currency.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/library.h"
#include "varnex/linksection.h"
#include "varnex/messages.h"
#include "varnex/settings.h"

using namespace varnex;

namespace {

std::shared_ptr<data::Database> makeCompany(const QString& root)
{
    data::CreateDataRoot(root);
    data::CompanyOptions options;
    options.number = 1;
    options.name = QStringLiteral("Bench");
    options.language = 1;
    data::CreateCompany(root, options);
    auto db = data::Database::forFolder(data::CompanyFolderOf(root, 1));
    auto table = [&](const char* name) {
        auto t = std::make_unique<data::Table>();
        t->setDatabase(db);
        t->setTableName(QString::fromLatin1(name));
        t->open();
        return t;
    };
    auto ctrl = table("ctrl");
    ctrl->first();
    ctrl->edit();
    ctrl->field(QStringLiteral("Ctrl_ap_accnt")).setInteger(2100);
    ctrl->field(QStringLiteral("Ctrl_ap_purch_accnt1")).setInteger(5100);
    ctrl->field(QStringLiteral("Ctrl_ap_purch_accnt2")).setInteger(5300);
    ctrl->field(QStringLiteral("Ctrl_ap_purch_accnt3")).setInteger(1410);
    ctrl->post();
    auto glm = table("glm");
    for (int account : {2100, 5100, 5300, 1410}) {
        glm->append();
        glm->field(QStringLiteral("Glm_account")).setInteger(account);
        glm->field(QStringLiteral("Glm_Description")).setString(QStringLiteral("Account %1").arg(account));
        glm->post();
    }
    auto sup = table("sup");
    for (int i = 0; i < 20; ++i) {
        sup->append();
        sup->field(QStringLiteral("Sup_code")).setString(QStringLiteral("SUP%1").arg(i, 2, 10, QLatin1Char('0')));
        sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Supplier %1").arg(i));
        sup->field(QStringLiteral("Sup_du_days")).setInteger(30);
        sup->field(QStringLiteral("Sup_current_bal")).setMoney(Currency());
        sup->post();
    }
    return db;
}

void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void typeInto(QWidget* window, const QString& name, const QString& text)
{
    auto* box = window->findChild<QLineEdit*>(name);
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    VarnexApplication application(argc, argv);
    int invoices = 1000;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i + 1 < arguments.size(); ++i)
        if (arguments[i] == QLatin1String("--invoices"))
            invoices = std::max(1, arguments[i + 1].toInt());

    QTemporaryDir scratch;
    const QString settings = scratch.filePath(QStringLiteral("varnex.ini"));
    qputenv("VARNEX_SETTINGS", settings.toLocal8Bit());
    SettingsStore(settings).setValue(QStringLiteral("Lgx"), QStringLiteral("JobCost"), QStringLiteral("N"));
    const QString root = scratch.filePath(QStringLiteral("Lgx/data"));
    auto db = makeCompany(root);

    LinkRecord record;
    record.setText(&TLinkSection::Link_data_dir, root);
    record.setText(&TLinkSection::Link_pgm_dir, QStringLiteral(VARNEX_BIN_DIR));
    record.setText(&TLinkSection::Link_company, QStringLiteral("1"));
    record.setText(&TLinkSection::Link_user, QStringLiteral("BENCH"));
    record.raw().Link_session = 1;
    record.raw().Link_language = 1;
    record.setLangCode(QStringLiteral("en"));
    SharedLibrary library;
    if (!library.load(QStringLiteral(VARNEX_BIN_DIR "/purchent.so"))) {
        std::fprintf(stderr, "%s\n", qPrintable(library.errorText()));
        return 1;
    }
    auto show = library.entry<std::int32_t (*)(TLinkSection)>("ShowDllForm");
    RecordingMessageService messages; // any box would stop the run: count them instead

    qint64 elapsed = 0;
    double cpuMs = 0;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("purchent_frm") && w->isVisible())
                window = w;
        if (window == nullptr)
            return;
        poll.stop();
        (void)QTest::qWaitForWindowActive(window, 5000);
        auto* supplier = window->findChild<QWidget*>(QStringLiteral("Varnexdbedit1"));
        (void)QTest::qWaitFor([supplier] { return supplier->hasFocus(); }, 5000);
        auto* post = window->findChild<QPushButton*>(QStringLiteral("PostBtn"));
        QElapsedTimer clock;
        QElapsedTimer frame;
        clock.start();
        frame.start();
        const std::clock_t cpuStart = std::clock();
        for (int i = 0; i < invoices; ++i) {
            const int cents = 10000 + (i % 50) * 137;
            const Currency goods = Currency::fromTicks(cents * 100);
            const Currency freight = Currency::fromUnits(25);
            const Currency tax = RoundToCents((goods + freight).multipliedBy(0.05));
            typeInto(window, QStringLiteral("Varnexdbedit1"),
                     QStringLiteral("SUP%1").arg(i % 20, 2, 10, QLatin1Char('0')));
            typeInto(window, QStringLiteral("InvoiceNum"), QStringLiteral("B%1").arg(i));
            typeInto(window, QStringLiteral("DebitCell2"), goods.toText(2));
            typeInto(window, QStringLiteral("DebitCell3"), freight.toText(2));
            typeInto(window, QStringLiteral("DebitCell4"), tax.toText(2));
            typeInto(window, QStringLiteral("CreditCell1"), (goods + freight + tax).toText(2));
            post->setFocus(Qt::MouseFocusReason);
            QTest::mouseClick(post, Qt::LeftButton);
            // The screen is refreshed as a display would show it, at most
            // sixty times a second; the deferred work of the window runs.
            if (frame.elapsed() >= 16) {
                settle();
                frame.restart();
            } else {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        }
        elapsed = clock.elapsed();
        cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
        QMetaObject::invokeMethod(window->findChild<QPushButton*>(QStringLiteral("Exit_btn")), "click");
    });
    poll.start();
    show(record.value());

    data::Table apori;
    apori.setDatabase(db);
    apori.setTableName(QStringLiteral("apori"));
    apori.open();
    const int stored = apori.recordCount();
    const char* engine = std::getenv("VARNEX_ENGINE");
    // The processor time of this process tells the cost of a posting when
    // other work shares the machine; the wall clock is what a user waits.
    std::printf("engine %s: %d invoices typed and posted in %.2f s: %.0f postings/s; %.2f ms of processor time each "
                "(%.0f postings/s of processor time) (%d stored, %d messages)\n",
                engine ? engine : "sqlite", invoices, elapsed / 1000.0, elapsed > 0 ? invoices * 1000.0 / elapsed : 0.0,
                cpuMs / invoices, cpuMs > 0 ? invoices * 1000.0 / cpuMs : 0.0, stored, int(messages.shown.size()));
    return stored == invoices && messages.shown.isEmpty() ? 0 : 1;
}
