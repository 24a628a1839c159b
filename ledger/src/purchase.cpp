#include "varnex/ledger/purchase.h"

#include <optional>

#include "posting_run.h"
#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"

namespace varnex::ledger {

using detail::KeyText;
using detail::OpenTable;

namespace {

bool isKnownType(const QString& code)
{
    return code == PurchaseTypeCode || code == AdjustmentTypeCode || code == DebitTypeCode || code == CreditTypeCode;
}

// A used row is journalised: an account and an amount.
bool isJournalised(const PurchaseRow& row)
{
    return row.account != 0 && row.hasAmount();
}

struct SupplierFacts {
    QString code;
    QString name;
    int currency = 0;
};

std::optional<SupplierFacts> readSupplier(detail::Cursors& cursors, const QString& code)
{
    data::Table* sup = &cursors(QStringLiteral("sup"));
    if (code.isEmpty() || !sup->findKey({code}))
        return std::nullopt;
    return SupplierFacts{sup->field(QStringLiteral("Sup_code")).asString(),
                         sup->field(QStringLiteral("Sup_name")).asString(),
                         static_cast<int>(sup->field(QStringLiteral("Sup_currency")).asInteger())};
}

int taxSystemOf(detail::Cursors& cursors)
{
    data::Table* ctrl = &cursors(QStringLiteral("ctrl"));
    ctrl->first();
    return ctrl->eof() ? 0 : static_cast<int>(ctrl->field(QStringLiteral("Ctrl_TaxSystem")).asInteger());
}

struct TaxRate {
    int account = 0;
    QString description;
    double rate = 0;
    int code = 0;
};

std::vector<TaxRate> readTaxRates(detail::Cursors& cursors)
{
    std::vector<TaxRate> rates;
    data::Table* table = &cursors(QStringLiteral("taxratesP"));
    for (table->first(); !table->eof(); table->next())
        rates.push_back({static_cast<int>(table->field(QStringLiteral("TaxRates_Account")).asInteger()),
                         table->field(QStringLiteral("TaxRates_Description")).asString(),
                         table->field(QStringLiteral("TaxRates_Rate")).asNumber(),
                         static_cast<int>(table->field(QStringLiteral("TaxRates_Code")).asInteger())});
    return rates;
}

void setAllNumbersToZero(data::Table& table)
{
    for (int i = 0; i < table.fieldCount(); ++i) {
        data::Field& f = table.fieldByNumber(i);
        switch (f.type()) {
        case data::FieldType::Money: f.setMoney(Currency()); break;
        case data::FieldType::Integer:
        case data::FieldType::ShortInteger: f.setInteger(0); break;
        case data::FieldType::Number: f.setNumber(0); break;
        default: break;
        }
    }
}

} // namespace

Currency PayableAmount(const PurchaseDocument& document, const PayableAccounts& payables)
{
    if (document.directCash)
        return {};
    Currency amount;
    for (const PurchaseRow& row : document.rows)
        if ((row.debit > Currency() || row.credit > Currency()) && payables.contains(row.account))
            amount += row.debit + row.credit;
    return amount;
}

Currency HoldbackAmount(Currency amount, double percent)
{
    if (!(percent > 0))
        return {};
    return RoundToCents(amount.multipliedBy(percent / 100.0));
}

bool InvoiceExists(const std::shared_ptr<data::Database>& company, const QString& supplierCode,
                   const QString& invoiceNumber, const QString& typeCode)
{
    // Any line of the invoice with the type will do, not only the first
    // found (a payment line of type "2" may sort before the purchase).
    data::Query query(company, QStringLiteral("SELECT COUNT(*) AS n FROM cap WHERE Cap_supplier = :s AND "
                                              "Cap_invoice = :i AND Cap_type = :t"));
    query.bindText(QStringLiteral("s"), supplierCode);
    query.bindText(QStringLiteral("i"), invoiceNumber);
    query.bindText(QStringLiteral("t"), typeCode);
    query.open();
    return query.field(QStringLiteral("n")).asInteger() > 0;
}

std::vector<TaxLine> BuildTaxLines(const std::shared_ptr<data::Database>& company, const PurchaseDocument& document)
{
    detail::Cursors cursors(company);
    const std::vector<TaxRate> rates = readTaxRates(cursors);
    std::vector<TaxLine> lines;
    for (const PurchaseRow& row : document.rows) {
        if (row.account == 0)
            continue;
        const TaxRate* rate = nullptr;
        for (const TaxRate& r : rates)
            if (r.account == row.account) {
                rate = &r;
                break;
            }
        if (!rate)
            continue;
        const Currency amount = row.debit + row.credit;
        if (amount > Currency())
            lines.push_back({rate->description, rate->rate, amount, Currency(), row.debit > Currency() ? 4 : 6});
        else if (amount.isZero() && rate->rate == 0)
            lines.push_back(
                {rate->description, rate->rate, Currency(), Currency(), document.typeCode == CreditTypeCode ? 6 : 4});
    }
    return lines;
}

namespace {

PostingResult checkPurchase(detail::Cursors& cursors, const PurchaseDocument& document, const PayableAccounts& payables)
{
    using C = PostingCheck;
    if (document.invoiceNumber.trimmed().isEmpty())
        return PostingResult::failedCheck(C::EmptyInvoice, QStringLiteral("The invoice number is empty."));
    if (!isKnownType(document.typeCode))
        return PostingResult::failedCheck(C::UnknownType, QStringLiteral("Unknown document type."));
    if (document.typeCode != PurchaseTypeCode && document.drCrReference.trimmed().isEmpty())
        return PostingResult::failedCheck(C::EmptyReference, QStringLiteral("The Dr/Cr reference is empty."));
    Currency debit, credit;
    for (const PurchaseRow& row : document.rows) {
        debit += row.debit;
        credit += row.credit;
    }
    if (debit != credit)
        return PostingResult::failedCheck(C::Unbalanced, QStringLiteral("Debits and credits differ."));
    if (!document.poNumber.isEmpty()) {
        data::Table* cfhdr = &cursors(QStringLiteral("cfhdr"));
        if (!cfhdr->findKey({QStringLiteral("2"), document.poNumber}))
            return PostingResult::failedCheck(C::UnknownOrder, QStringLiteral("The purchase order does not exist."));
    }
    data::Table* glm = &cursors(QStringLiteral("glm"));
    for (int n = 0; n < PurchaseRowCount; ++n) {
        const PurchaseRow& row = document.rows[static_cast<size_t>(n)];
        if (document.directCash && row.account != 0 && row.hasAmount() && payables.contains(row.account))
            return PostingResult::failedCheck(
                C::PayableOnCashPurchase,
                QStringLiteral("A direct/cash purchase cannot use an accounts payable account."), n + 1);
        if (row.hasAmount() && (row.account == 0 || !glm->findKey({row.account})))
            return PostingResult::failedCheck(C::UnknownAccount, QStringLiteral("The account does not exist."), n + 1);
    }
    if (!document.directCash && !readSupplier(cursors, document.supplierCode))
        return PostingResult::failedCheck(C::UnknownSupplier, QStringLiteral("The supplier does not exist."));
    return PostingResult::success();
}

PayableAccounts payablesOf(detail::Cursors& cursors)
{
    PayableAccounts accounts;
    data::Table& ctrl = cursors(QStringLiteral("ctrl"));
    ctrl.first();
    if (ctrl.eof())
        return accounts;
    accounts.byCurrency[0] = static_cast<int>(ctrl.field(QStringLiteral("Ctrl_ap_accnt")).asInteger());
    for (int currency = 1; currency <= 4; ++currency)
        accounts.byCurrency[static_cast<size_t>(currency)] =
            static_cast<int>(ctrl.field(QStringLiteral("Ctrl_ap_curr%1").arg(currency + 1)).asInteger());
    return accounts;
}

PostingResult postPurchase(detail::Cursors& cursors, const PurchaseDocument& document, const PostingOptions& options);

} // namespace

PostingResult CheckPurchase(const std::shared_ptr<data::Database>& company, const PurchaseDocument& document)
{
    detail::Cursors cursors(company);
    return checkPurchase(cursors, document, payablesOf(cursors));
}

PostingResult PostPurchase(std::shared_ptr<data::Database> company, const PurchaseDocument& document)
{
    return PostPurchase(std::move(company), document, PostingOptions{});
}

PostingResult PostPurchase(std::shared_ptr<data::Database> company, const PurchaseDocument& document,
                           const PostingOptions& options)
{
    detail::Cursors cursors(std::move(company));
    return postPurchase(cursors, document, options);
}

struct PurchasePoster::Impl {
    explicit Impl(std::shared_ptr<data::Database> db)
        : cursors(std::move(db))
    {
    }
    detail::Cursors cursors;
};

PurchasePoster::PurchasePoster(std::shared_ptr<data::Database> company)
    : d(std::make_unique<Impl>(std::move(company)))
{
}

PurchasePoster::~PurchasePoster() = default;

PostingResult PurchasePoster::post(const PurchaseDocument& document, const PostingOptions& options)
{
    return postPurchase(d->cursors, document, options);
}

namespace {

PostingResult postPurchase(detail::Cursors& cursors, const PurchaseDocument& document, const PostingOptions& options)
{
    const std::shared_ptr<data::Database>& company = cursors.db();
    detail::WriteSpot spot;
    cursors.cancelAll();
    // Everything read once, before any lock: none of it is changed by a
    // posting. Reading can fail as well (a table missing, the server gone).
    PayableAccounts payables;
    std::optional<SupplierFacts> supplier;
    int taxSystem = 0;
    std::vector<TaxRate> taxRates;
    try {
        payables = payablesOf(cursors);
        const PostingResult checked = checkPurchase(cursors, document, payables);
        if (!checked)
            return checked;
        if (!document.directCash)
            supplier = readSupplier(cursors, document.supplierCode);
        taxSystem = taxSystemOf(cursors);
        if (taxSystem != 0)
            taxRates = readTaxRates(cursors);
    } catch (const data::EngineError& error) {
        PostingResult result;
        result.ok = false;
        result.message = error.message();
        result.errorCode = error.code();
        result.errorCategory = error.category();
        return result;
    }
    const int journal = PurchaseJournalNumber(supplier ? supplier->currency : 0);
    const QDateTime now = detail::StampOf(document.stamp);
    const bool isPurchase = document.typeCode == PurchaseTypeCode;

    int firstPayableRow = -1;
    Currency purchaseAmount; // every accounts-payable row of this document
    for (int n = 0; n < PurchaseRowCount; ++n) {
        const PurchaseRow& row = document.rows[static_cast<size_t>(n)];
        if (!isJournalised(row) || !payables.contains(row.account))
            continue;
        purchaseAmount += row.credit - row.debit;
        if (firstPayableRow < 0)
            firstPayableRow = n;
    }
    const bool updatesSupplier = supplier && firstPayableRow >= 0;

    // Tax lines as the dialog gave them; a reversed tax is stored negative.
    std::vector<TaxLine> taxLines = document.taxLines;
    for (TaxLine& line : taxLines)
        if (line.type == 6) {
            if (line.taxAmount > Currency())
                line.taxAmount = -line.taxAmount;
            if (line.totalAmount > Currency())
                line.totalAmount = -line.totalAmount;
        }

    auto attempt = [&] {
        cursors.cancelAll();
        const QVariantList headerKey{document.period, journal, document.invoiceNumber, document.date};
        data::Table* tjlh = &cursors(QStringLiteral("tjlh"));
        if (tjlh->indexFieldNames().isEmpty())
            tjlh->setIndexFieldNames(QStringLiteral("Tjlh_period;Tjlh_journal;Tjlh_reference;Tjlh_date"));
        data::Table* tjld = &cursors(QStringLiteral("tjld"));
        data::Table* cap = &cursors(QStringLiteral("cap"));
        data::Table* apori = &cursors(QStringLiteral("apori"));
        data::Table* sup = nullptr;

        // Locks, outside the transaction: the supplier, and a journal header
        // of the same key another document already wrote.
        if (updatesSupplier) {
            sup = &cursors(QStringLiteral("sup"));
            spot.at(QStringLiteral("sup"), supplier->code);
            if (!sup->findKey({supplier->code}))
                throw data::EngineError(data::ErrorCode::RecordDeleted,
                                        QStringLiteral("The supplier was deleted by another user."));
            detail::EditWaitingForLock(*sup, supplier->code, options);
        }
        bool headerExists = false;
        if (tjlh->findKey(headerKey)) {
            spot.at(QStringLiteral("tjlh"), KeyText(headerKey));
            detail::EditWaitingForLock(*tjlh, KeyText(headerKey), options);
            headerExists = true;
        }

        data::Transaction tx(company);
        bool supplierDone = false;
        for (int n = 0; n < PurchaseRowCount; ++n) {
            const PurchaseRow& row = document.rows[static_cast<size_t>(n)];
            if (!isJournalised(row))
                continue;
            spot.at(QStringLiteral("tjlh"), KeyText(headerKey));
            if (headerExists) {
                tjlh->edit();
                data::Field& total = tjlh->field(row.debit.isZero() ? QStringLiteral("Tjlh_tot_credit")
                                                                    : QStringLiteral("Tjlh_tot_debit"));
                total.setMoney(total.asMoney() + (row.debit.isZero() ? row.credit : row.debit));
            } else {
                tjlh->append();
                tjlh->field(QStringLiteral("Tjlh_period")).setInteger(document.period);
                tjlh->field(QStringLiteral("Tjlh_journal")).setInteger(journal);
                tjlh->field(QStringLiteral("Tjlh_reference")).setString(document.invoiceNumber);
                tjlh->field(QStringLiteral("Tjlh_date")).setDate(document.date);
                QString memo = document.directCash ? document.memo : supplier ? supplier->name : QString();
                if (!document.directCash && !document.memo.isEmpty())
                    memo += QLatin1Char('\r') + document.memo;
                tjlh->field(QStringLiteral("Tjlh_memo")).setString(memo);
                tjlh->field(QStringLiteral("Tjlh_user")).setString(document.user);
                tjlh->field(QStringLiteral("Tjlh_stamp")).setTimestamp(now);
                tjlh->field(QStringLiteral("Tjlh_tot_debit")).setMoney(row.debit);
                tjlh->field(QStringLiteral("Tjlh_tot_credit")).setMoney(row.debit.isZero() ? row.credit : Currency());
            }
            tjlh->post();
            headerExists = true;

            spot.at(QStringLiteral("tjld"), KeyText(headerKey));
            tjld->append();
            tjld->field(QStringLiteral("Tjld_period")).setInteger(document.period);
            tjld->field(QStringLiteral("Tjld_journal")).setInteger(journal);
            tjld->field(QStringLiteral("Tjld_reference")).setString(document.invoiceNumber);
            tjld->field(QStringLiteral("Tjld_date")).setDate(document.date);
            tjld->field(QStringLiteral("Tjld_account")).setInteger(row.account);
            tjld->field(QStringLiteral("Tjld_description")).setString(row.description);
            tjld->field(QStringLiteral("Tjld_debit")).setMoney(row.debit.isZero() ? Currency() : row.debit);
            tjld->field(QStringLiteral("Tjld_credit")).setMoney(row.debit.isZero() ? row.credit : Currency());
            tjld->post();

            const Currency rowNet = row.debit - row.credit;
            if (!updatesSupplier || supplierDone || !payables.contains(row.account))
                continue;
            supplierDone = true;
            spot.at(QStringLiteral("sup"), supplier->code);
            if (isPurchase) {
                sup->field(QStringLiteral("Sup_date_last_purch")).setDate(document.date);
                // The last purchase is this document's amount, not a sum
                // over every purchase ever posted.
                sup->field(QStringLiteral("Sup_last_purch")).setMoney(purchaseAmount);
                for (const char* name : {"Sup_purch_mth", "Sup_purch_ytd"}) {
                    data::Field& f = sup->field(QString::fromLatin1(name));
                    f.setMoney(f.asMoney() - rowNet);
                }
            }
            data::Field& balance = sup->field(QStringLiteral("Sup_current_bal"));
            balance.setMoney(balance.asMoney() - rowNet);
            sup->post();

            const Currency holdback = HoldbackAmount(-rowNet, document.holdbackPercent);
            const QString reference = isPurchase ? QString() : document.drCrReference;
            auto writeItem = [&](const QString& type, const QDate& due, Currency amount) {
                spot.at(QStringLiteral("cap"), KeyText({supplier->code, document.invoiceNumber, type}));
                cap->append();
                cap->field(QStringLiteral("Cap_supplier")).setString(supplier->code);
                cap->field(QStringLiteral("Cap_invoice")).setString(document.invoiceNumber);
                cap->field(QStringLiteral("Cap_ref")).setString(reference);
                cap->field(QStringLiteral("Cap_date")).setDate(document.date);
                cap->field(QStringLiteral("Cap_type")).setString(type);
                cap->field(QStringLiteral("Cap_du_date")).setDate(due);
                cap->field(QStringLiteral("Cap_amount")).setMoney(amount);
                cap->field(QStringLiteral("Cap_memo")).setString(document.memo);
                cap->field(QStringLiteral("Cap_user")).setString(document.user);
                cap->field(QStringLiteral("Cap_stamp")).setTimestamp(now);
                cap->post();
            };
            writeItem(document.typeCode, document.dueDate, -rowNet - holdback);
            if (document.holdbackPercent > 0)
                writeItem(HoldbackTypeCode, document.holdbackDueDate, holdback);
        }

        if (taxSystem != 0 && !taxLines.empty()) {
            data::Table* taxrep = &cursors(QStringLiteral("taxrepP"));
            if (taxrep->indexFieldNames().isEmpty())
                taxrep->setIndexFieldNames(QStringLiteral("TaxRep_Code;TaxRep_Reference"));
            for (const TaxLine& line : taxLines) {
                const TaxRate* rate = nullptr;
                for (const TaxRate& r : taxRates)
                    if (r.description == line.description) {
                        rate = &r;
                        break;
                    }
                if (!rate || line.totalAmount.isZero())
                    continue;
                spot.at(QStringLiteral("taxrepP"), KeyText({rate->code, document.invoiceNumber}));
                if (taxrep->findKey({rate->code, document.invoiceNumber})
                    && taxrep->field(QStringLiteral("TaxRep_TypeCode")).asInteger() == line.type) {
                    taxrep->edit();
                    data::Field& gross = taxrep->field(QStringLiteral("TaxRep_Gross"));
                    gross.setMoney(gross.asMoney() + line.totalAmount);
                    data::Field& vat = taxrep->field(QStringLiteral("TaxRep_VAT"));
                    vat.setMoney(vat.asMoney() + line.taxAmount);
                } else {
                    taxrep->append();
                    taxrep->field(QStringLiteral("TaxRep_Code")).setInteger(rate->code);
                    taxrep->field(QStringLiteral("TaxRep_Date")).setDate(document.date);
                    taxrep->field(QStringLiteral("TaxRep_Reference")).setString(document.invoiceNumber);
                    taxrep->field(QStringLiteral("TaxRep_Purchase")).setLogical(true);
                    taxrep->field(QStringLiteral("TaxRep_TypeCode")).setInteger(line.type);
                    taxrep->field(QStringLiteral("TaxRep_Gross")).setMoney(line.totalAmount);
                    taxrep->field(QStringLiteral("TaxRep_VAT")).setMoney(line.taxAmount);
                }
                taxrep->post();
            }
        }

        if (document.jobCostEnabled && !document.jobCost.empty()) {
            data::Table* jc = &cursors(QStringLiteral("jcTrans"));
            jc->last();
            std::int64_t seq = jc->eof() && jc->bof() ? 0 : jc->field(QStringLiteral("JcTrans_Seq")).asInteger();
            data::Table* elements = &cursors(QStringLiteral("JcElem"));
            for (const JobCostLine& line : document.jobCost) {
                QString unit;
                if (elements->findKey({line.element}))
                    unit = elements->field(QStringLiteral("JcElem_UM")).asString();
                for (;;) {
                    ++seq;
                    spot.at(QStringLiteral("jcTrans"), QString::number(seq));
                    jc->append();
                    jc->field(QStringLiteral("JcTrans_Seq")).setInteger(seq);
                    jc->field(QStringLiteral("JcTrans_Project")).setString(line.project);
                    jc->field(QStringLiteral("JcTrans_Phase")).setString(line.phase);
                    jc->field(QStringLiteral("JcTrans_Comp")).setString(line.element);
                    jc->field(QStringLiteral("JcTrans_Date")).setDate(document.date);
                    jc->field(QStringLiteral("JcTrans_Period")).setInteger(document.period);
                    jc->field(QStringLiteral("JcTrans_Ref")).setString(document.invoiceNumber);
                    jc->field(QStringLiteral("JcTrans_Type")).setInteger(0);
                    jc->field(QStringLiteral("JcTrans_Vol")).setNumber(line.quantity);
                    jc->field(QStringLiteral("JcTrans_Taux")).setMoney(Currency::fromDouble(line.rate));
                    jc->field(QStringLiteral("JcTrans_Tot")).setMoney(line.amount);
                    jc->field(QStringLiteral("JcTrans_Desc")).setString(supplier ? supplier->name : QString());
                    jc->field(QStringLiteral("JcTrans_Source")).setInteger(2);
                    jc->field(QStringLiteral("JcTrans_Stamp")).setTimestamp(now);
                    jc->field(QStringLiteral("JcTrans_UM")).setString(unit);
                    jc->field(QStringLiteral("JcTrans_User")).setString(document.user);
                    jc->field(QStringLiteral("JcTrans_TypeDesc")).setString(document.jobCostTypeDescription);
                    try {
                        jc->post();
                        break;
                    } catch (const data::EngineError& error) {
                        // Another workstation took the number: take the next one.
                        if (error.code() != data::ErrorCode::KeyViolation)
                            throw;
                        jc->cancel();
                    }
                }
            }
        }

        spot.at(QStringLiteral("apori"), document.invoiceNumber);
        apori->append();
        setAllNumbersToZero(*apori);
        apori->field(QStringLiteral("Reference")).setString(document.invoiceNumber);
        apori->field(QStringLiteral("Supplier"))
            .setString(document.directCash ? QString()
                       : supplier          ? supplier->code
                                           : document.supplierCode);
        apori->field(QStringLiteral("Date")).setDate(document.date);
        apori->field(QStringLiteral("Due_date")).setDate(document.dueDate);
        apori->field(QStringLiteral("Direct_cash_purchase")).setLogical(document.directCash);
        apori->field(QStringLiteral("Trx_type")).setString(document.typeCode);
        apori->field(QStringLiteral("Dr_cr_reference")).setString(document.drCrReference);
        apori->field(QStringLiteral("Comments")).setString(document.memo);
        apori->field(QStringLiteral("Stamp")).setTimestamp(now);
        apori->field(QStringLiteral("User")).setString(document.user);
        apori->field(QStringLiteral("DebitCredit")).setLogical(!isPurchase);
        apori->field(QStringLiteral("PO")).setString(document.poNumber);
        for (int n = 0; n < PurchaseRowCount; ++n) {
            const PurchaseRow& row = document.rows[static_cast<size_t>(n)];
            const QString number = QString::number(n + 1);
            apori->field(QStringLiteral("Account") + number).setInteger(row.account);
            apori->field(QStringLiteral("Debit") + number).setMoney(row.debit);
            apori->field(QStringLiteral("Credit") + number).setMoney(row.credit);
        }
        apori->post();
        tx.commit();
    };
    // An attempt that ends early leaves no edit (and no lock) behind while
    // the next one waits.
    auto guarded = [&] {
        try {
            attempt();
        } catch (...) {
            cursors.cancelAll();
            throw;
        }
    };
    return detail::RunPosting(options, spot, guarded);
}

} // namespace

} // namespace varnex::ledger
