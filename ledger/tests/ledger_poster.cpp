// A workstation for the crash and concurrency tests: posts purchases and
// stock receipts through the ledger into a company folder that the test made.
//
//   ledger_poster FOLDER stream PREFIX COUNT   post COUNT pairs, "POSTED n" after each
//   ledger_poster FOLDER race PREFIX SECONDS   post pairs until the time is up,
//                                              then "DONE purchases receipts"
//
// Every purchase is 10.00 to supplier ACME; every receipt is one VIS (line
// QUI) at 2.00 into store 1. A posting that fails prints "FAIL ..." and ends
// the program with status 1.

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>

#include <cstdio>

#include "varnex/data/database.h"
#include "varnex/ledger/purchase.h"
#include "varnex/ledger/receipt.h"

using namespace varnex;
using namespace varnex::ledger;

namespace {

PurchaseDocument purchase(const QString& invoice)
{
    PurchaseDocument d;
    d.supplierCode = QStringLiteral("ACME");
    d.invoiceNumber = invoice;
    d.date = QDate(2026, 3, 14);
    d.dueDate = QDate(2026, 4, 13);
    d.period = 3;
    d.user = QStringLiteral("POSTER");
    d.rows[0] = {2100, QString(), {}, Currency::fromUnits(10)};
    d.rows[1] = {5100, QString(), Currency::fromUnits(10), {}};
    return d;
}

StockReceipt receipt(const QString& slip)
{
    StockReceipt r;
    r.packingSlip = slip;
    r.supplierCode = QStringLiteral("ACME");
    r.date = QDate(2026, 3, 14);
    r.store = 1;
    r.user = QStringLiteral("POSTER");
    ReceiptLine l;
    l.lineCode = QStringLiteral("QUI");
    l.itemCode = QStringLiteral("VIS");
    l.quantityToReceive = 1;
    l.quantityReceived = 1;
    l.price = Currency::fromUnits(2);
    l.total = Currency::fromUnits(2);
    r.lines = {l};
    r.total = l.total;
    return r;
}

bool report(const PostingResult& result, const QString& what)
{
    if (result.ok)
        return true;
    std::printf("FAIL %s: %s (%s %s, code %d)\n", qPrintable(what), qPrintable(result.message),
                qPrintable(result.table), qPrintable(result.record), result.errorCode);
    std::fflush(stdout);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: ledger_poster FOLDER stream|race PREFIX COUNT|SECONDS\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString mode = QString::fromLatin1(argv[2]);
    const QString prefix = QString::fromLatin1(argv[3]);
    const int amount = QString::fromLatin1(argv[4]).toInt();
    auto db = data::Database::forFolder(folder);
    QElapsedTimer clock;
    clock.start();
    int purchases = 0;
    int receipts = 0;
    for (int n = 1;; ++n) {
        if (mode == QLatin1String("stream") ? n > amount : clock.elapsed() >= amount * 1000LL)
            break;
        const QString number = QStringLiteral("%1-%2").arg(prefix).arg(n);
        if (!report(PostPurchase(db, purchase(number)), number))
            return 1;
        ++purchases;
        if (!report(PostStockReceipt(db, receipt(number)), number))
            return 1;
        ++receipts;
        if (mode == QLatin1String("stream")) {
            std::printf("POSTED %d\n", n);
            std::fflush(stdout);
        }
    }
    std::printf("DONE %d %d\n", purchases, receipts);
    std::fflush(stdout);
    return 0;
}
