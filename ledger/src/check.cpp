#include "varnex/ledger/check.h"

#include <QHash>
#include <QMap>

#include <cmath>

#include "varnex/currency.h"
#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"

namespace varnex::ledger {

using data::Database;
using data::FieldType;
using data::Query;
using data::Table;

namespace {

QString money(Currency c)
{
    return c.toText(2);
}

// Account balances against the sum of their open items. The balance is kept
// by adding and subtracting on every posting, so any drift shows here.
void checkBalances(Database& db, CheckReport& report, const QString& who, const QString& accounts,
                   const QString& codeField, const QString& balanceField, const QString& items,
                   const QString& itemAccountField, const QString& itemAmountField, int& counted)
{
    QHash<QString, Currency> itemSums;
    Query sums(db.shared_from_this(), QStringLiteral("SELECT %1 AS account, SUM(%2) AS total FROM %3 GROUP BY %1")
                                          .arg(itemAccountField, itemAmountField, items));
    sums.declareResultField(QStringLiteral("total"), FieldType::Money);
    sums.open();
    for (; !sums.eof(); sums.next())
        itemSums.insert(sums.field(QStringLiteral("account")).asString(),
                        sums.field(QStringLiteral("total")).asMoney());

    Query balances(db.shared_from_this(),
                   QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1").arg(codeField, balanceField, accounts));
    balances.declareResultField(balanceField, FieldType::Money);
    balances.open();
    for (; !balances.eof(); balances.next()) {
        ++counted;
        const QString code = balances.field(codeField).asString();
        const Currency balance = balances.field(balanceField).asMoney();
        const Currency items_ = itemSums.take(code);
        if (balance != items_)
            report.differences << QStringLiteral("%1 %2: %3 is %4, its open items (%5) add up to %6; difference %7")
                                      .arg(who, code, balanceField, money(balance), items, money(items_),
                                           money(balance - items_));
    }
    for (auto it = itemSums.cbegin(); it != itemSums.cend(); ++it)
        report.differences << QStringLiteral("%1 %2 does not exist but has open items in %3 adding up to %4")
                                  .arg(who, it.key(), items, money(it.value()));
}

struct JournalTotals {
    Currency debit;
    Currency credit;
    int count = 0;
};

QMap<QString, JournalTotals> journalTotals(Database& db, const QString& sql)
{
    QMap<QString, JournalTotals> out;
    Query q(db.shared_from_this(), sql);
    q.declareResultField(QStringLiteral("debit"), FieldType::Money);
    q.declareResultField(QStringLiteral("credit"), FieldType::Money);
    q.open();
    for (; !q.eof(); q.next()) {
        const QString key =
            QStringLiteral("period %1, journal %2, reference %3, date %4")
                .arg(q.field(QStringLiteral("period")).asInteger())
                .arg(q.field(QStringLiteral("journal")).asInteger())
                .arg(q.field(QStringLiteral("reference")).asString(), q.field(QStringLiteral("day")).asString());
        JournalTotals& t = out[key];
        t.debit += q.field(QStringLiteral("debit")).asMoney();
        t.credit += q.field(QStringLiteral("credit")).asMoney();
        t.count += static_cast<int>(q.field(QStringLiteral("n")).asInteger());
    }
    return out;
}

void checkJournals(Database& db, CheckReport& report)
{
    const auto headers = journalTotals(
        db, QStringLiteral("SELECT Tjlh_period AS period, Tjlh_journal AS journal, Tjlh_reference AS reference, "
                           "Tjlh_date AS day, SUM(Tjlh_tot_debit) AS debit, SUM(Tjlh_tot_credit) AS credit, "
                           "COUNT(*) AS n FROM tjlh GROUP BY Tjlh_period, Tjlh_journal, Tjlh_reference, Tjlh_date"));
    const auto lines = journalTotals(
        db, QStringLiteral("SELECT Tjld_period AS period, Tjld_journal AS journal, Tjld_reference AS reference, "
                           "Tjld_date AS day, SUM(Tjld_debit) AS debit, SUM(Tjld_credit) AS credit, "
                           "COUNT(*) AS n FROM tjld GROUP BY Tjld_period, Tjld_journal, Tjld_reference, Tjld_date"));
    for (auto it = headers.cbegin(); it != headers.cend(); ++it) {
        report.journalHeaders += it.value().count;
        if (it.value().count > 1)
            report.differences
                << QStringLiteral("Journal header %1 is written %2 times").arg(it.key()).arg(it.value().count);
        const JournalTotals l = lines.value(it.key());
        if (l.count == 0) {
            report.differences << QStringLiteral("Journal header %1 has no lines").arg(it.key());
            continue;
        }
        if (it.value().debit != it.value().credit)
            report.differences << QStringLiteral("Journal entry %1 does not balance: debits %2, credits %3")
                                      .arg(it.key(), money(it.value().debit), money(it.value().credit));
        if (l.debit != it.value().debit || l.credit != it.value().credit)
            report.differences << QStringLiteral("Journal header %1: totals %2 / %3, lines %4 / %5")
                                      .arg(it.key(), money(it.value().debit), money(it.value().credit), money(l.debit),
                                           money(l.credit));
    }
    for (auto it = lines.cbegin(); it != lines.cend(); ++it)
        if (!headers.contains(it.key()))
            report.differences << QStringLiteral("Journal lines %1 have no header").arg(it.key());
}

// Layers 2 to 5 are what is left of earlier receipts and never go below
// zero (a receipt absorbs a negative newest layer); a layer's date is kept
// exactly when it has a cost.
void checkCostLayers(Database& db, CheckReport& report)
{
    Table inv;
    inv.setDatabase(db.shared_from_this());
    inv.setTableName(QStringLiteral("ivinv"));
    inv.setReadOnly(true);
    inv.open();
    inv.disableControls();
    for (inv.first(); !inv.eof(); inv.next()) {
        ++report.inventoryRecords;
        const QString item = QStringLiteral("%1 %2 store %3")
                                 .arg(inv.field(QStringLiteral("Ivinv_Line_Code")).asString(),
                                      inv.field(QStringLiteral("Ivinv_item_code")).asString())
                                 .arg(inv.field(QStringLiteral("Ivinv_store")).asInteger());
        double layered = 0;
        for (int n = 1; n <= 5; ++n)
            layered += inv.field(QStringLiteral("Ivinv_qty%1").arg(n)).asNumber();
        const double onHand = inv.field(QStringLiteral("Ivinv_on_hand")).asNumber();
        if (std::abs(onHand - layered) > 1e-6)
            report.differences << QStringLiteral("Inventory %1: on hand %2, its cost layers hold %3")
                                      .arg(item)
                                      .arg(onHand)
                                      .arg(layered);
        if (inv.field(QStringLiteral("Ivinv_on_order")).asNumber() < 0)
            report.differences << QStringLiteral("Inventory %1: on order %2")
                                      .arg(item)
                                      .arg(inv.field(QStringLiteral("Ivinv_on_order")).asNumber());
        for (int n = 1; n <= 5; ++n) {
            const double qty = inv.field(QStringLiteral("Ivinv_qty%1").arg(n)).asNumber();
            const double cost = inv.field(QStringLiteral("Ivinv_cost%1").arg(n)).asNumber();
            const bool dated = !inv.field(QStringLiteral("Ivinv_date_cost%1").arg(n)).isNull();
            if (n > 1 && qty < 0)
                report.differences << QStringLiteral("Inventory %1: layer %2 holds %3").arg(item).arg(n).arg(qty);
            if (cost < 0)
                report.differences << QStringLiteral("Inventory %1: layer %2 costs %3").arg(item).arg(n).arg(cost);
            // Average costing dates layer 1 with every receipt, a free one too.
            if (dated != (cost != 0.0) && !(n == 1 && qty != 0 && dated))
                report.differences << QStringLiteral("Inventory %1: layer %2 %3")
                                          .arg(item)
                                          .arg(n)
                                          .arg(dated ? QStringLiteral("has a date but no cost")
                                                     : QStringLiteral("has a cost but no date"));
        }
    }
    inv.enableControls();
}

// A receipt line or movement line without its header is half a posting.
void checkOrphans(Database& db, CheckReport& report, const QString& lines, const QString& lineKey,
                  const QString& headers, const QString& headerKey, const QString& what)
{
    Query q(db.shared_from_this(), QStringLiteral("SELECT DISTINCT %1 AS k FROM %2 WHERE %1 NOT IN (SELECT %3 FROM %4)")
                                       .arg(lineKey, lines, headerKey, headers));
    q.open();
    for (; !q.eof(); q.next())
        report.differences
            << QStringLiteral("%1 %2 has lines but no header").arg(what, q.field(QStringLiteral("k")).asString());
}

void checkPending(Database& db, CheckReport& report)
{
    Query q(
        db.shared_from_this(),
        QStringLiteral(
            "SELECT Cfpkey_order, Cfpkey_line_code, Cfpkey_item_code, Cfpkey_qty FROM cfpkey WHERE Cfpkey_qty < 0"));
    q.open();
    for (; !q.eof(); q.next())
        report.differences << QStringLiteral("Order %1, %2 %3: %4 pending")
                                  .arg(q.field(QStringLiteral("Cfpkey_order")).asString(),
                                       q.field(QStringLiteral("Cfpkey_line_code")).asString(),
                                       q.field(QStringLiteral("Cfpkey_item_code")).asString())
                                  .arg(q.field(QStringLiteral("Cfpkey_qty")).asNumber());
}

} // namespace

CheckReport CheckCompany(const std::shared_ptr<data::Database>& company)
{
    Database& db = *company;
    CheckReport report;
    checkBalances(db, report, QStringLiteral("Supplier"), QStringLiteral("sup"), QStringLiteral("Sup_code"),
                  QStringLiteral("Sup_current_bal"), QStringLiteral("cap"), QStringLiteral("Cap_supplier"),
                  QStringLiteral("Cap_amount"), report.suppliers);
    checkBalances(db, report, QStringLiteral("Client"), QStringLiteral("cli"), QStringLiteral("Cli_code"),
                  QStringLiteral("Cli_current_bal"), QStringLiteral("car"), QStringLiteral("Car_client"),
                  QStringLiteral("Car_amount"), report.clients);
    checkJournals(db, report);
    checkCostLayers(db, report);
    checkPending(db, report);
    checkOrphans(db, report, QStringLiteral("cfrdet"), QStringLiteral("Cfrdet_paking_slip"), QStringLiteral("cfrhd"),
                 QStringLiteral("Cfrhd_packing_slip"), QStringLiteral("Receipt"));
    checkOrphans(db, report, QStringLiteral("ivtrxdh"), QStringLiteral("Ivtrxd_reference"), QStringLiteral("ivtrxhh"),
                 QStringLiteral("Ivtrxh_reference"), QStringLiteral("Movement"));
    Query receipts(company, QStringLiteral("SELECT COUNT(*) AS n FROM cfrhd"));
    receipts.open();
    report.receipts = static_cast<int>(receipts.field(QStringLiteral("n")).asInteger());
    return report;
}

} // namespace varnex::ledger
