// Speed of the client display window on a large company: statements of
// large accounts (balance table filled, grid read, first page shown, the
// grid scrolled to the end and back to the middle),
// searches over every client, and switching tabs.
//
//   accountview_bench --root DIR [--runs N] [--statements 1000,-10000,...]
//
// --statements measures only those statement sizes (a negative size without
// the grid); without it: searches, statements of 1,000 and 10,000
// lines with the grid, and tab switches.
//
// DIR is a data root made by "lgxadmin init" and "lgxadmin demo --size large"
// (DIR/Lgx/data); with VARNEX_ENGINE=postgresql and VARNEX_SERVER set the
// server engine is measured (make the data root with lgxadmin --server).
// A client "ZZB<n>" with n statement lines is added to company 1 for each
// size measured, the first time.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "bench_timing.h"
#include "varnex/accountview/accountform.h"
#include "varnex/application.h"
#include "varnex/controls/maskedit.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/widgets/dbwidgets.h"

using namespace varnex;
using namespace varnex::accountview;
using varnex::bench::median;
using varnex::bench::timeMs;

namespace {

QString benchClient(int lines)
{
    return QStringLiteral("ZZB%1").arg(lines);
}

void ModuleAddress()
{
}

void addBenchClient(const std::shared_ptr<data::Database>& db, int count)
{
    const QString kBenchClient = benchClient(count);
    data::Table clients;
    clients.setDatabase(db);
    clients.setTableName(QStringLiteral("cli"));
    clients.open();
    if (clients.findKey({kBenchClient}))
        return;
    data::Transaction tx(db);
    clients.append();
    clients.field(QStringLiteral("Cli_code")).setString(kBenchClient);
    clients.field(QStringLiteral("Cli_name")).setString(QStringLiteral("Banc d'essai %1 lignes").arg(count));
    clients.post();
    data::Table lines;
    lines.setDatabase(db);
    lines.setTableName(QStringLiteral("car"));
    lines.open();
    const QDate start(2020, 1, 1);
    for (int i = 0; i < count; ++i) {
        lines.append();
        lines.field(QStringLiteral("Car_client")).setString(kBenchClient);
        lines.field(QStringLiteral("Car_invoice")).setString(QStringLiteral("B%1").arg(i / 4, 7, 10, QLatin1Char('0')));
        lines.field(QStringLiteral("Car_ref")).setString(QStringLiteral("R%1").arg(i % 4));
        lines.field(QStringLiteral("Car_date")).setDate(start.addDays(i / 60));
        lines.field(QStringLiteral("Car_type")).setString(i % 4 == 3 ? QStringLiteral("2") : QStringLiteral("1"));
        lines.field(QStringLiteral("Car_amount"))
            .setMoney(Currency::fromTicks((i % 4 == 3 ? -1 : 1) * (1000000 + i * 37)));
        lines.post();
    }
    tx.commit();
}

// The statement grid scrolled as a reader does: to the end, back to the
// middle, then the middle line chosen (which moves the cursor there); and,
// from rows just opened again, the scroll bar dragged to the middle at once.
void scrollStatement(TAccountForm& form, int size, int runs)
{
    TVarnexDBGrid* grid = form.DBGrid2;
    QAbstractItemModel* model = grid->model();
    grid->resize(900, 600);
    QList<double> toEnd, toMiddle, chooseMiddle, jumpMiddle;
    // Each run starts from rows just opened, none read but the first page.
    auto reopen = [&] {
        grid->scrollToTop();
        grid->setCurrentIndex(model->index(0, 0));
        grid->gridModel()->reload();
        grid->viewport()->grab();
    };
    for (int r = 0; r < runs; ++r) {
        reopen();
        jumpMiddle << timeMs([&] {
            grid->scrollTo(model->index(size / 2, 0), QAbstractItemView::PositionAtCenter);
            grid->viewport()->grab();
        });
        reopen();
        toEnd << timeMs([&] {
            grid->scrollToBottom();
            grid->viewport()->grab();
        });
        toMiddle << timeMs([&] {
            grid->scrollTo(model->index(size / 2, 0), QAbstractItemView::PositionAtCenter);
            grid->viewport()->grab();
        });
        chooseMiddle << timeMs([&] {
            grid->setCurrentIndex(model->index(size / 2, 0));
            grid->viewport()->grab();
        });
    }
    std::printf("statement %6d lines: scrolled to the end %.1f ms, back to the middle %.1f ms, middle line chosen "
                "%.1f ms, jumped to the middle from rows just opened %.1f ms\n",
                size, median(toEnd), median(toMiddle), median(chooseMiddle), median(jumpMiddle));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    VarnexApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const QStringList arguments = QCoreApplication::arguments();
    QString root;
    int runs = 5;
    QList<int> sizes = {1000, 10000};
    bool withSearches = true;
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--root"))
            root = arguments[i + 1];
        if (arguments[i] == QLatin1String("--runs"))
            runs = std::max(1, arguments[i + 1].toInt());
        if (arguments[i] == QLatin1String("--statements")) {
            sizes.clear();
            for (const QString& n : arguments[i + 1].split(QLatin1Char(',')))
                sizes << n.toInt();
            withSearches = false;
        }
    }
    if (root.isEmpty()) {
        std::fprintf(stderr, "usage: accountview_bench --root DIR [--runs N]\n");
        return 2;
    }
    const QString dataRoot = QDir(root).filePath(QStringLiteral("Lgx/data"));
    auto company = data::Database::forFolder(dataRoot + QStringLiteral("1"));
    const double setup = timeMs([&] {
        for (int size : sizes)
            addBenchClient(company, std::abs(size));
    });

    LinkRecord link;
    link.setText(&TLinkSection::Link_data_dir, dataRoot);
    link.setText(&TLinkSection::Link_company, QStringLiteral("1"));
    link.setText(&TLinkSection::Link_company_name, QStringLiteral("Bench"));
    link.raw().Link_session = 9;
    link.raw().Link_language = 1;
    link.setLangCode(QStringLiteral("en"));
    TAccountDataModule dm(ClientSide());
    TAccountForm form(ClientSide(), &dm, link, reinterpret_cast<const void*>(&ModuleAddress));
    const double activation = timeMs([&] {
        form.show();
        while (!dm.Query1.isOpen())
            QCoreApplication::processEvents();
    });
    const int clients = dm.Query1.recordCount();

    auto search = [&](int field, int op, const QString& parameter) {
        form.ComboBox1->setCurrentIndex(field);
        form.ComboBox2->setCurrentIndex(op);
        form.VarnexMaskEdit1->setText(parameter);
        form.SearchAccounts();
        QCoreApplication::processEvents();
    };
    struct Search {
        const char* name;
        int field;
        int op;
        QString parameter;
    };
    const QList<Search> searches = {
        {"search: blank (every client)", 0, 0, QString()},
        {"search: code = one client", 0, 0, QStringLiteral("C00123")},
        {"search: name CONTAINING a family name", 1, 4, QStringLiteral("Tremblay")},
        {"search: city = Nicolet", 4, 0, QStringLiteral("Nicolet")},
        {"search: current balance > 1000", 32, 1, QStringLiteral("1000")},
    };
    std::printf("engine %s, %d clients, bench client set-up %.0f ms, first activation %.1f ms\n",
                qEnvironmentVariable("VARNEX_ENGINE", QStringLiteral("sqlite")).toUtf8().constData(), clients, setup,
                activation);
    for (const Search& s : withSearches ? searches : QList<Search>()) {
        QList<double> times;
        int rows = 0;
        for (int r = 0; r < runs; ++r) {
            times << timeMs([&] { search(s.field, s.op, s.parameter); });
            rows = dm.Query1.recordCount();
        }
        std::printf("%-45s %8.1f ms  (%d rows)\n", s.name, median(times), rows);
    }

    // Statements of 1,000 to 100,000 lines: a negative size measures the
    // module's and the ledger's work without the grid.
    for (int signedSize : sizes) {
        const int size = std::abs(signedSize);
        const bool withGrid = signedSize > 0;
        // Without the grid: the module's own work only (read the lines, fill
        // the balance table in one transaction).
        form.DBGrid2->setDataSet(withGrid ? &dm.currentLines : nullptr);
        search(0, 0, benchClient(size));
        QList<double> fill, shown;
        for (int r = 0; r < runs; ++r) {
            form.PageControl1->setCurrentIndex(0);
            QCoreApplication::processEvents();
            // With the grid, filling ends by handing the statement back to it, which reads it.
            fill << timeMs([&] { form.FillBalanceTable(true); });
            shown << timeMs([&] { form.DBGrid2->viewport()->grab(); });
        }
        std::printf("statement %6d lines: %-24s %8.1f ms, first page painted %.1f ms (%d rows in grid)\n", size,
                    withGrid ? "filled and grid read" : "balance table filled", median(fill), median(shown),
                    form.DBGrid2->model()->rowCount());
        if (withGrid)
            scrollStatement(form, size, runs);
    }
    form.DBGrid2->setDataSet(&dm.currentLines);

    // Tab switches on an ordinary client (twenty statement lines).
    search(0, 0, QStringLiteral("C00123"));
    for (int tab = 1; withSearches && tab < form.PageControl1->count(); ++tab) {
        QList<double> times;
        for (int r = 0; r < runs; ++r) {
            form.PageControl1->setCurrentIndex(0);
            QCoreApplication::processEvents();
            times << timeMs([&] {
                form.PageControl1->setCurrentIndex(tab);
                form.PageControl1->currentWidget()->grab();
            });
        }
        std::printf("tab %d %-39s %8.1f ms\n", tab, form.PageControl1->tabText(tab).toUtf8().constData(),
                    median(times));
    }
    form.ExitClick();
    return 0;
}
