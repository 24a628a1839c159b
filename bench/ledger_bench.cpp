// The ledger's postings timed on a small company: a three-row invoice with
// tax beside a hand-written engine transaction writing the same rows, a
// 6,300-line stock receipt and a receipt of 1,500 serial numbers.
// VARNEX_ENGINE=postgresql with VARNEX_SERVER measures the server engine.
// Run: ledger_bench [--benchmark_filter=...]. Never asserted.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/ledger/purchase.h"
#include "varnex/ledger/receipt.h"

using namespace varnex;
using namespace varnex::ledger;

namespace {

constexpr int Payable = 2100;
constexpr int Goods = 5100;
constexpr int GstPaid = 1410;

std::unique_ptr<data::Table> openTable(const std::shared_ptr<data::Database>& db, const char* name)
{
    auto t = std::make_unique<data::Table>();
    t->setDatabase(db);
    t->setTableName(QString::fromLatin1(name));
    t->open();
    return t;
}

void zeroNumbers(data::Table& t)
{
    for (int i = 0; i < t.fieldCount(); ++i) {
        data::Field& f = t.fieldByNumber(i);
        if (f.type() == data::FieldType::Number)
            f.setNumber(0);
        else if (f.type() == data::FieldType::Money)
            f.setMoney(Currency());
        else if (f.type() == data::FieldType::Integer || f.type() == data::FieldType::ShortInteger)
            f.setInteger(0);
    }
}

// A company with the accounts, one supplier, a GST rate and `products`
// products with stock in store 1 (every `serialEvery`th serial-numbered).
struct Company {
    QTemporaryDir dir;
    std::shared_ptr<data::Database> db;

    explicit Company(int products = 0)
    {
        const QString root = dir.path() + QStringLiteral("/Lgx/data");
        data::CreateDataRoot(root);
        data::CompanyOptions options;
        options.taxSystem = 1;
        data::CreateCompany(root, options);
        db = data::Database::forFolder(data::CompanyFolderOf(root, 1));
        data::Transaction tx(db);
        auto ctrl = openTable(db, "ctrl");
        ctrl->first();
        ctrl->edit();
        ctrl->field(QStringLiteral("Ctrl_ap_accnt")).setInteger(Payable);
        ctrl->field(QStringLiteral("Ctrl_TaxSystem")).setInteger(1);
        ctrl->post();
        auto glm = openTable(db, "glm");
        for (int account : {Payable, Goods, GstPaid}) {
            glm->append();
            glm->field(QStringLiteral("Glm_account")).setInteger(account);
            glm->post();
        }
        auto rates = openTable(db, "taxratesP");
        rates->append();
        rates->field(QStringLiteral("TaxRates_Account")).setInteger(GstPaid);
        rates->field(QStringLiteral("TaxRates_Description")).setString(QStringLiteral("GST"));
        rates->field(QStringLiteral("TaxRates_Rate")).setNumber(5);
        rates->field(QStringLiteral("TaxRates_Code")).setInteger(1);
        rates->post();
        auto sup = openTable(db, "sup");
        sup->append();
        zeroNumbers(*sup);
        sup->field(QStringLiteral("Sup_code")).setString(QStringLiteral("ACME"));
        sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Acme"));
        sup->post();
        auto prod = openTable(db, "ivprod");
        auto inv = openTable(db, "ivinv");
        for (int p = 0; p < products; ++p) {
            prod->append();
            prod->field(QStringLiteral("Ivprod_line_code")).setString(QStringLiteral("QUI"));
            prod->field(QStringLiteral("Ivprod_item_code")).setString(item(p));
            prod->field(QStringLiteral("Ivprod_serial_no")).setLogical(p == 0);
            prod->post();
            inv->append();
            zeroNumbers(*inv);
            inv->field(QStringLiteral("Ivinv_Line_Code")).setString(QStringLiteral("QUI"));
            inv->field(QStringLiteral("Ivinv_item_code")).setString(item(p));
            inv->field(QStringLiteral("Ivinv_store")).setInteger(1);
            inv->post();
        }
        tx.commit();
    }

    static QString item(int p) { return QStringLiteral("P%1").arg(p, 6, 10, QLatin1Char('0')); }
};

PurchaseDocument threeRowInvoice(const std::shared_ptr<data::Database>& db, int n)
{
    PurchaseDocument d;
    d.supplierCode = QStringLiteral("ACME");
    d.invoiceNumber = QStringLiteral("B%1").arg(n);
    d.date = QDate(2026, 3, 14);
    d.dueDate = QDate(2026, 4, 13);
    d.period = 3;
    d.user = QStringLiteral("BENCH");
    d.rows[0] = {Goods, QStringLiteral("goods"), Currency::fromUnits(100), {}};
    d.rows[1] = {GstPaid, QStringLiteral("GST"), Currency::fromUnits(5), {}};
    d.rows[2] = {Payable, QStringLiteral("payable"), {}, Currency::fromUnits(105)};
    d.taxLines = BuildTaxLines(db, d);
    d.taxLines[0].totalAmount = Currency::fromUnits(100);
    return d;
}

void Ledger_PurchaseThreeRowsWithTax(benchmark::State& state)
{
    Company company;
    int n = 0;
    const PurchaseDocument model = threeRowInvoice(company.db, 0);
    for (auto _ : state) {
        PurchaseDocument d = model;
        d.invoiceNumber = QStringLiteral("B%1").arg(++n);
        const PostingResult r = PostPurchase(company.db, d);
        if (!r.ok)
            state.SkipWithError(r.message.toUtf8().constData());
    }
    state.SetItemsProcessed(state.iterations());
}

// The same with a poster that keeps its cursors open between postings, as
// an entry window or a batch does.
void LedgerPoster_PurchaseThreeRowsWithTax(benchmark::State& state)
{
    Company company;
    PurchasePoster poster(company.db);
    int n = 0;
    const PurchaseDocument model = threeRowInvoice(company.db, 0);
    for (auto _ : state) {
        PurchaseDocument d = model;
        d.invoiceNumber = QStringLiteral("P%1").arg(++n);
        const PostingResult r = poster.post(d);
        if (!r.ok)
            state.SkipWithError(r.message.toUtf8().constData());
    }
    state.SetItemsProcessed(state.iterations());
}

// The same rows written by hand in one engine transaction: journal header and
// three lines, the supplier, the open item, the tax line, the document. No
// checks, no lock before the transaction, cursors opened once.
void HandWritten_PurchaseThreeRowsWithTax(benchmark::State& state)
{
    Company company;
    auto db = company.db;
    auto tjlh = openTable(db, "tjlh");
    auto tjld = openTable(db, "tjld");
    auto sup = openTable(db, "sup");
    auto cap = openTable(db, "cap");
    auto tax = openTable(db, "taxrepP");
    auto apori = openTable(db, "apori");
    const PurchaseDocument model = threeRowInvoice(db, 0);
    int n = 0;
    for (auto _ : state) {
        const QString invoice = QStringLiteral("H%1").arg(++n);
        const QDateTime now = QDateTime::currentDateTime();
        data::Transaction tx(db);
        tjlh->append();
        tjlh->field(QStringLiteral("Tjlh_period")).setInteger(3);
        tjlh->field(QStringLiteral("Tjlh_journal")).setInteger(3);
        tjlh->field(QStringLiteral("Tjlh_reference")).setString(invoice);
        tjlh->field(QStringLiteral("Tjlh_date")).setDate(model.date);
        tjlh->field(QStringLiteral("Tjlh_memo")).setString(QStringLiteral("Acme"));
        tjlh->field(QStringLiteral("Tjlh_user")).setString(model.user);
        tjlh->field(QStringLiteral("Tjlh_stamp")).setTimestamp(now);
        tjlh->field(QStringLiteral("Tjlh_tot_debit")).setMoney(Currency::fromUnits(105));
        tjlh->field(QStringLiteral("Tjlh_tot_credit")).setMoney(Currency::fromUnits(105));
        tjlh->post();
        for (int r = 0; r < 3; ++r) {
            const PurchaseRow& row = model.rows[static_cast<size_t>(r)];
            tjld->append();
            tjld->field(QStringLiteral("Tjld_period")).setInteger(3);
            tjld->field(QStringLiteral("Tjld_journal")).setInteger(3);
            tjld->field(QStringLiteral("Tjld_reference")).setString(invoice);
            tjld->field(QStringLiteral("Tjld_date")).setDate(model.date);
            tjld->field(QStringLiteral("Tjld_account")).setInteger(row.account);
            tjld->field(QStringLiteral("Tjld_description")).setString(row.description);
            tjld->field(QStringLiteral("Tjld_debit")).setMoney(row.debit);
            tjld->field(QStringLiteral("Tjld_credit")).setMoney(row.credit);
            tjld->post();
        }
        sup->findKey({QStringLiteral("ACME")});
        sup->edit();
        sup->field(QStringLiteral("Sup_current_bal"))
            .setMoney(sup->field(QStringLiteral("Sup_current_bal")).asMoney() + Currency::fromUnits(105));
        sup->post();
        cap->append();
        cap->field(QStringLiteral("Cap_supplier")).setString(QStringLiteral("ACME"));
        cap->field(QStringLiteral("Cap_invoice")).setString(invoice);
        cap->field(QStringLiteral("Cap_date")).setDate(model.date);
        cap->field(QStringLiteral("Cap_type")).setString(QStringLiteral("1"));
        cap->field(QStringLiteral("Cap_du_date")).setDate(model.dueDate);
        cap->field(QStringLiteral("Cap_amount")).setMoney(Currency::fromUnits(105));
        cap->field(QStringLiteral("Cap_stamp")).setTimestamp(now);
        cap->post();
        tax->append();
        tax->field(QStringLiteral("TaxRep_Code")).setInteger(1);
        tax->field(QStringLiteral("TaxRep_Reference")).setString(invoice);
        tax->field(QStringLiteral("TaxRep_Date")).setDate(model.date);
        tax->field(QStringLiteral("TaxRep_TypeCode")).setInteger(4);
        tax->field(QStringLiteral("TaxRep_Gross")).setMoney(Currency::fromUnits(100));
        tax->field(QStringLiteral("TaxRep_VAT")).setMoney(Currency::fromUnits(5));
        tax->post();
        apori->append();
        apori->field(QStringLiteral("Reference")).setString(invoice);
        apori->field(QStringLiteral("Supplier")).setString(QStringLiteral("ACME"));
        apori->field(QStringLiteral("Date")).setDate(model.date);
        apori->field(QStringLiteral("Trx_type")).setString(QStringLiteral("1"));
        for (int r = 0; r < 11; ++r) {
            const PurchaseRow& row = model.rows[static_cast<size_t>(r)];
            apori->field(QStringLiteral("Account%1").arg(r + 1)).setInteger(row.account);
            apori->field(QStringLiteral("Debit%1").arg(r + 1)).setMoney(row.debit);
            apori->field(QStringLiteral("Credit%1").arg(r + 1)).setMoney(row.credit);
        }
        apori->post();
        tx.commit();
    }
    state.SetItemsProcessed(state.iterations());
}

StockReceipt receiptOf(int lines, const QString& slip)
{
    StockReceipt r;
    r.packingSlip = slip;
    r.supplierCode = QStringLiteral("ACME");
    r.date = QDate(2026, 3, 14);
    r.store = 1;
    for (int l = 0; l < lines; ++l) {
        ReceiptLine line;
        line.lineCode = QStringLiteral("QUI");
        line.itemCode = Company::item(1 + l);
        line.quantityReceived = 2;
        line.price = Currency::fromUnits(3);
        line.total = Currency::fromUnits(6);
        r.total += line.total;
        r.lines.push_back(std::move(line));
    }
    return r;
}

void Ledger_Receipt6300Lines(benchmark::State& state)
{
    constexpr int Lines = 6300;
    Company company(Lines + 1);
    int n = 0;
    for (auto _ : state) {
        const PostingResult r = PostStockReceipt(company.db, receiptOf(Lines, QStringLiteral("R%1").arg(++n)));
        if (!r.ok)
            state.SkipWithError(r.message.toUtf8().constData());
    }
    state.SetItemsProcessed(state.iterations() * Lines);
}

void Ledger_Receipt1500Serials(benchmark::State& state)
{
    constexpr int Units = 1500;
    Company company(1);
    int n = 0;
    for (auto _ : state) {
        ++n;
        StockReceipt r;
        r.packingSlip = QStringLiteral("S%1").arg(n);
        r.supplierCode = QStringLiteral("ACME");
        r.date = QDate(2026, 3, 14);
        r.store = 1;
        ReceiptLine line;
        line.lineCode = QStringLiteral("QUI");
        line.itemCode = Company::item(0);
        line.quantityReceived = Units;
        line.price = Currency::fromUnits(3);
        line.total = Currency::fromUnits(3 * Units);
        for (int u = 0; u < Units; ++u)
            line.serials.push_back({QStringLiteral("SN%1-%2").arg(n).arg(u), QString(), 1.0, true});
        r.lines = {line};
        const PostingResult result = PostStockReceipt(company.db, r);
        if (!result.ok)
            state.SkipWithError(result.message.toUtf8().constData());
    }
    state.SetItemsProcessed(state.iterations() * Units);
}

} // namespace

BENCHMARK(Ledger_PurchaseThreeRowsWithTax)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(LedgerPoster_PurchaseThreeRowsWithTax)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(HandWritten_PurchaseThreeRowsWithTax)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(Ledger_Receipt6300Lines)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Ledger_Receipt1500Serials)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    // Bench folders of one run share their last name: keep them apart on
    // the server.
    setenv("VARNEX_SERVER_SCHEMAS", "path", 0);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
