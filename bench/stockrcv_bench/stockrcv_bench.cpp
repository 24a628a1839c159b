// A complete purchase order of 1,000 lines received and accepted through the
// receipt window, as a user would: order number, packing slip, "Complete
// Purchase order", Accept. Headless; the engine is the one the environment
// chooses (VARNEX_ENGINE=postgresql with VARNEX_SERVER for the server engine).
//
//   stockrcv_bench [--lines N] [--runs N]
//
// Prints, per run, the time from the packing slip to the copied lines on the
// screen, from Accept to the reset entry (the posting), and the sum.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "modal_driver.h"
#include "stockrcv_forms.h"
#include "varnex/application.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/messages.h"
#include "varnex/settings.h"

using namespace varnex;
using namespace varnex::stockrcv;

namespace {

void seed(data::Database& db, int lines, const QString& order)
{
    data::Transaction fill(db.shared_from_this());
    data::Table sup, prod, inv, head, det;
    for (auto [t, name] :
         {std::pair{&sup, "sup"}, {&prod, "ivprod"}, {&inv, "ivinv"}, {&head, "cfhdr"}, {&det, "cfdet"}}) {
        t->setDatabase(db.shared_from_this());
        t->setTableName(QString::fromLatin1(name));
        t->open();
    }
    if (!sup.findKey({QStringLiteral("ACME")})) {
        sup.append();
        sup.field(QStringLiteral("Sup_code")).setString(QStringLiteral("ACME"));
        sup.field(QStringLiteral("Sup_name")).setString(QStringLiteral("Acme"));
        sup.post();
        data::Table store;
        store.setDatabase(db.shared_from_this());
        store.setTableName(QStringLiteral("ivmag"));
        store.open();
        store.append();
        store.field(QStringLiteral("Ivmag_store_number")).setInteger(1);
        store.post();
        for (int i = 0; i < lines; ++i) {
            const QString item = QStringLiteral("ITEM%1").arg(i, 5, 10, QLatin1Char('0'));
            prod.append();
            prod.field(QStringLiteral("Ivprod_line_code")).setString(QStringLiteral("ABC"));
            prod.field(QStringLiteral("Ivprod_item_code")).setString(item);
            prod.field(QStringLiteral("Ivprod_desc_1")).setString(QStringLiteral("Product ") + item);
            prod.field(QStringLiteral("Ivprod_std_cost")).setNumber(1.25);
            prod.post();
            inv.append();
            inv.field(QStringLiteral("Ivinv_Line_Code")).setString(QStringLiteral("ABC"));
            inv.field(QStringLiteral("Ivinv_item_code")).setString(item);
            inv.field(QStringLiteral("Ivinv_store")).setInteger(1);
            inv.field(QStringLiteral("Ivinv_qty1")).setNumber(10);
            inv.field(QStringLiteral("Ivinv_cost1")).setNumber(1.25);
            inv.post();
        }
    }
    head.append();
    head.field(QStringLiteral("Cfhdr_doc")).setString(QStringLiteral("2"));
    head.field(QStringLiteral("Cfhdr_order_number")).setString(order);
    head.field(QStringLiteral("Cfhdr_supplier")).setString(QStringLiteral("ACME"));
    head.field(QStringLiteral("Cfhdr_date")).setDate(QDate::currentDate());
    head.field(QStringLiteral("Cfhdr_store")).setInteger(1);
    head.post();
    for (int i = 0; i < lines; ++i) {
        det.append();
        det.field(QStringLiteral("Cfdet_doc")).setString(QStringLiteral("2"));
        det.field(QStringLiteral("Cfdet_order_number")).setString(order);
        det.field(QStringLiteral("Cfdet_line_code")).setString(QStringLiteral("ABC"));
        det.field(QStringLiteral("Cfdet_item_code"))
            .setString(QStringLiteral("ITEM%1").arg(i, 5, 10, QLatin1Char('0')));
        det.field(QStringLiteral("Cfdet_qty_order")).setNumber(12);
        det.field(QStringLiteral("Cfdet_qty_received")).setNumber(2);
        det.field(QStringLiteral("Cfdet_price")).setNumber(1.5);
        det.post();
    }
    fill.commit();
}

void settle()
{
    QTest::qWait(5);
}

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    VarnexApplication app(argc, argv);
    int lines = 1000;
    int runs = 3;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--lines"))
            lines = std::max(1, arguments[i + 1].toInt());
        if (arguments[i] == QLatin1String("--runs"))
            runs = std::max(1, arguments[i + 1].toInt());
    }

    QTemporaryDir scratch;
    const QString settings = scratch.filePath(QStringLiteral("bench.ini"));
    qputenv("VARNEX_SETTINGS", settings.toLocal8Bit());
    const QString dataRoot = scratch.filePath(QStringLiteral("Lgx/data"));
    data::DataRootOptions rootOptions;
    rootOptions.adminPassword = QStringLiteral("BENCH");
    data::CreateDataRoot(dataRoot, rootOptions);
    data::CompanyOptions companyOptions;
    companyOptions.name = QStringLiteral("Bench");
    data::CreateCompany(dataRoot, companyOptions);
    auto company = data::Database::forFolder(data::CompanyFolderOf(dataRoot, 1));

    LinkRecord& link = ModuleLink();
    link.setText(&TLinkSection::Link_data_dir, dataRoot);
    link.setText(&TLinkSection::Link_company, QStringLiteral("1"));
    link.setText(&TLinkSection::Link_user, QStringLiteral("BENCH"));
    link.raw().Link_session = 1;
    link.raw().Link_language = 1;
    link.setLangCode(QStringLiteral("en"));
    RecordingMessageService messages;
    SetMessageService(&messages);

    Tstockrcv_dm dm;
    Tstockrcv_frm form(&dm);
    form.show();
    if (!QTest::qWaitForWindowActive(&form)
        || !QTest::qWaitFor([&] { return form.DBGrid3->gridModel()->dataSet() != nullptr; }, 10000)) {
        std::fprintf(stderr, "the receipt window did not open\n");
        return 1;
    }

    std::printf("engine=%s lines=%d\n",
                qgetenv("VARNEX_ENGINE").isEmpty() ? "sqlite" : qgetenv("VARNEX_ENGINE").constData(), lines);
    QList<double> totals;
    for (int run = 0; run < runs; ++run) {
        const QString order = QStringLiteral("PO%1").arg(run);
        seed(*company, lines, order);
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form))
            return 1;
        form.Order_no->setFocus();
        settle();
        QTest::keyClicks(form.Order_no, order);
        form.packing_slip->setFocus();
        settle();
        QTest::keyClicks(form.packing_slip, QStringLiteral("PS%1").arg(run));
        test_support::ModalDriver perform(
            QStringLiteral("stockrcv_frm2"),
            [](QWidget* w) {
                auto* dialog = static_cast<Tstockrcv_frm2*>(w);
                dialog->CompleteOrder->setChecked(true);
                dialog->OKBtn->click();
            },
            60000);
        QElapsedTimer copy;
        copy.start();
        form.DateEdit->setFocus();
        if (!QTest::qWaitFor([&] { return form.DBGrid3->gridModel()->rowCount() == lines; }, 60000)) {
            std::fprintf(stderr, "the order was not copied\n");
            return 1;
        }
        const double copyMs = static_cast<double>(copy.nsecsElapsed()) / 1e6;
        QElapsedTimer post;
        post.start();
        form.Accept_btn->click();
        const double postMs = static_cast<double>(post.nsecsElapsed()) / 1e6;
        const bool posted = form.DBGrid3->gridModel()->rowCount() == 0 && messages.shown.isEmpty();
        std::printf("run %d: copy %.0f ms, accept %.0f ms, total %.0f ms%s\n", run + 1, copyMs, postMs, copyMs + postMs,
                    posted ? "" : " (NOT POSTED)");
        if (!posted)
            for (const QString& text : messages.texts())
                std::printf("  message: %s\n", qPrintable(text));
        messages.shown.clear();
        totals << copyMs + postMs;
        std::fflush(stdout);
    }
    std::sort(totals.begin(), totals.end());
    std::printf("median total %.0f ms\n", totals[totals.size() / 2]);
    form.Exit_btnClick();
    SetMessageService(nullptr);
    return 0;
}
