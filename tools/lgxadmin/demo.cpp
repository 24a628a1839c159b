// The small demonstration company: a hardware and welding-gas dealer of the
// Mauricie region. Purchases, credit notes and stock receipts are posted
// through the ledger library, exactly as the windows post them, so the
// suppliers' balances, the stock layers and the statistics are what users
// would have; payments and sales (outside the library) are written here and
// their balances accumulated before the client records are written.

#include "demo.h"

#include "demo_writer.h"

#include "varnex/currency.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/schema.h"
#include "varnex/ledger/purchase.h"
#include "varnex/ledger/receipt.h"
#include "varnex/ledger/terms.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTextStream>

#include <map>
#include <random>
#include <tuple>

using namespace varnex;
using namespace varnex::data;

namespace {

// ---- chart of accounts ----------------------------------------------------
constexpr int kBank = 1010;
constexpr int kBankUs = 1020;
constexpr int kReceivables = 1200;
constexpr int kInventory = 1300;
constexpr int kGstPaid = 1410;
constexpr int kQstPaid = 1420;
constexpr int kPayable = 2100;
constexpr int kPayableUs = 2110;
constexpr int kPayableEuro = 2120;
constexpr int kGstCollected = 2310;
constexpr int kQstCollected = 2320;
constexpr int kSalesHardware = 4100;
constexpr int kSalesGas = 4200;
constexpr int kPurchasesGoods = 5100;
constexpr int kPurchasesGas = 5200;
constexpr int kFreight = 5300;
constexpr int kElectricity = 5400;
constexpr int kTelecom = 5500;
constexpr int kOfficeSupplies = 5700;
constexpr int kCostOfSales = 5900;

constexpr int kPurchaseJournal = 3;     // home currency; 31 + currency otherwise
constexpr int kDisbursementJournal = 4; // cheques

constexpr double kGstRate = 5.0;
constexpr double kQstRate = 9.975;

struct Account {
    int number;
    const char* description;
    const char* type;
    const char* summarize;
};

const Account kChart[] = {
    {kBank, "Encaisse – Banque Nationale", "Actif", "D"},
    {kBankUs, "Banque – compte en dollars US", "Actif", "D"},
    {kReceivables, "Comptes clients", "Actif", "D"},
    {kInventory, "Stocks de marchandises", "Actif", "D"},
    {kGstPaid, "TPS payée sur achats", "Actif", "D"},
    {kQstPaid, "TVQ payée sur achats", "Actif", "D"},
    {1500, "Équipement et outillage", "Actif", "D"},
    {kPayable, "Fournisseurs", "Passif", "D"},
    {kPayableUs, "Fournisseurs – dollars US", "Passif", "D"},
    {kPayableEuro, "Fournisseurs – euros", "Passif", "D"},
    {kGstCollected, "TPS perçue", "Passif", "D"},
    {kQstCollected, "TVQ perçue", "Passif", "D"},
    {3100, "Capital-actions", "Capital", "S"},
    {3200, "Bénéfices non répartis", "Capital", "S"},
    {kSalesHardware, "Ventes – quincaillerie", "Revenu", "D"},
    {kSalesGas, "Ventes – gaz comprimés", "Revenu", "D"},
    {kPurchasesGoods, "Achats – marchandises", "Dépense", "D"},
    {kPurchasesGas, "Achats – gaz et bouteilles", "Dépense", "D"},
    {kFreight, "Fret et transport", "Dépense", "D"},
    {kElectricity, "Électricité", "Dépense", "D"},
    {kTelecom, "Télécommunications", "Dépense", "D"},
    {5600, "Loyer", "Dépense", "D"},
    {kOfficeSupplies, "Fournitures de bureau", "Dépense", "D"},
    {5800, "Frais bancaires", "Dépense", "D"},
    {kCostOfSales, "Coût des marchandises vendues", "Dépense", "D"},
};

int payableAccount(int currency)
{
    return currency == 1 ? kPayableUs : currency == 2 ? kPayableEuro : kPayable;
}

Currency cents(double value)
{
    return RoundToCents(Currency::fromDouble(value));
}

Currency tax(Currency base, double rate)
{
    return RoundToCents(base.multipliedBy(rate / 100.0));
}

// ---- suppliers --------------------------------------------------------------

struct Supplier {
    const char* code;
    const char* name;
    const char* address;
    const char* city;
    const char* province;
    const char* country;
    const char* postalCode;
    const char* telephone;
    const char* contact;
    const char* email;
    char language;
    int currency; // 0 home, 1 US dollars, 2 euros
    int terms;    // days, or 900 + day of next month
    int account1, account2, account3;

    Currency balance;
    Currency lastPurchase;
    Currency monthPurchases;
    Currency yearPurchases;
    QDate lastPurchaseDate;
    QDate lastPaymentDate;
};

// ---- products ---------------------------------------------------------------

struct Product {
    const char* line;
    const char* item;
    const char* description;
    const char* unit;
    const char* supplier;
    double price;
    double cost;
    const char* altKey1;
    const char* altKey2;
    bool serial = false;
    bool kit = false;
    bool volume = false; // sold in cylinders
};

const Product kProducts[] = {
    {"QUI", "VIS-10-34", "Vis à bois n° 10 × 3/4 po (boîte de 100)", "BTE", "LEVESQUE", 8.49, 4.10, "VB1034",
     "LEV-55120"},
    {"QUI", "CLOU-212", "Clous communs 2 1/2 po (5 lb)", "SAC", "LEVESQUE", 14.99, 8.25, "CC212", "LEV-20455"},
    {"QUI", "BOUL-38", "Boulons de carrosserie 3/8 × 4 po (25)", "BTE", "GLFAST", 19.95, 9.80, "BC384", "GLF-3840"},
    {"QUI", "PENT-INT", "Penture intérieure satinée 3 1/2 po", "UN", "PELLETIER", 6.75, 3.05, "PI312", "PEL-7781"},
    {"OUT", "PERC-18V", "Perceuse sans fil 18 V avec 2 batteries", "UN", "MIDWEST", 219.00, 128.40, "PSF18",
     "MTS-18V-K2", true},
    {"OUT", "SCIE-CIRC", "Scie circulaire 7 1/4 po, 15 A", "UN", "MIDWEST", 179.00, 102.75, "SC714", "MTS-CS715", true},
    {"OUT", "MART-16", "Marteau de charpentier 16 oz", "UN", "LEFEVRE", 29.95, 13.20, "MC16", "LEF-M16"},
    {"OUT", "NIV-48", "Niveau en aluminium 48 po", "UN", "MULLER", 44.50, 21.90, "NA48", "WMU-4800"},
    {"GAZ", "OXY-244", "Oxygène industriel – bouteille 244 pi³", "BTL", "GAZIND", 62.00, 31.50, "OXY244", "GIQ-O2-244",
     false, false, true},
    {"GAZ", "ACE-145", "Acétylène – bouteille 145 pi³", "BTL", "GAZIND", 88.00, 47.25, "ACE145", "GIQ-C2H2-145", false,
     false, true},
    {"GAZ", "ARG-MIX", "Mélange argon/CO2 75/25 – bouteille 300 pi³", "BTL", "GAZIND", 119.00, 64.80, "AM300",
     "GIQ-AR25-300", false, false, true},
    {"ELE", "FIL-142", "Fil électrique 14/2 NMD90 (75 m)", "RLX", "LEVESQUE", 96.00, 58.60, "FE142", "LEV-NMD142"},
    {"ELE", "DISJ-15A", "Disjoncteur unipolaire 15 A", "UN", "PELLETIER", 12.49, 6.35, "DU15", "PEL-BR115"},
    {"ENS", "TROUSSE-SD", "Trousse de soudage oxyacétylénique complète", "UN", "GAZIND", 549.00, 0.0, "TSOX",
     "GIQ-KIT-OA", false, true},
    {"ENS", "ENS-TERR", "Ensemble de fixation pour terrasse (100 pi²)", "UN", "LEVESQUE", 74.95, 0.0, "EFT100",
     "LEV-KIT-T", false, true},
};

const Product* findProduct(const char* item)
{
    for (const Product& p : kProducts)
        if (qstrcmp(p.item, item) == 0)
            return &p;
    qFatal("demo: no product %s", item); // a typo in the demo tables
}

struct StockKey {
    QString line;
    QString item;
    int store;
    bool operator<(const StockKey& o) const { return std::tie(line, item, store) < std::tie(o.line, o.item, o.store); }
};

struct Stock {
    double onOrder = 0;
    double monthReceived = 0;
    double yearReceived = 0;
    QDate lastReceipt;
    double monthSold = 0;
    double yearSold = 0;
    int cylinders = 0;
    double layers[3] = {}; // quantities of the three cost layers, newest first
    bool kept = false;     // the store keeps this product
    double onHand() const { return layers[0] + layers[1] + layers[2]; }
};

// ---- clients ----------------------------------------------------------------

struct Client {
    const char* code;
    const char* name;
    const char* address;
    const char* city;
    const char* postalCode;
    const char* telephone;
    const char* contact;
    const char* email;
    char language;
    int terms; // arterms code
    const char* salesRep;
    bool taxable;
    int creditLimit;

    Currency balance;
    Currency lastSale;
    Currency monthSales;
    Currency yearSales;
    QDate lastSaleDate;
    QDate lastPaymentDate;
    // monthly statistics of the current year: sales, cost, quantity
    Currency statSales[13];
    Currency statCost[13];
    double statQty[13] = {};
    int statInvoices = 0;
};

struct SupplierStats {
    Currency cost[13];
    double qty[13] = {};
    int orders = 0;
    Currency total;
};

class Demo {
public:
    Demo(std::shared_ptr<Database> db, const QString& folder)
        : m_db(std::move(db))
        , m_folder(folder)
        , m_today(QDate::currentDate())
        , m_year(m_today.year())
        , m_rng(20260101)
    {
    }

    DemoSummary run();

private:
    TableFiller& table(const char* name)
    {
        auto it = m_tables.find(QString::fromLatin1(name));
        if (it == m_tables.end())
            it = m_tables
                     .emplace(QString::fromLatin1(name), std::make_unique<TableFiller>(m_db, QString::fromLatin1(name)))
                     .first;
        return *it->second;
    }

    // A date `daysAgo` before today, kept in the current year so that its
    // period is the month.
    QDate daysAgo(int days) const
    {
        const QDate d = m_today.addDays(-days);
        return d.year() == m_year ? d : QDate(m_year, 1, 2 + days % 20);
    }
    static int periodOf(const QDate& d) { return d.month(); }

    Supplier& supplier(const char* code);
    Client& client(const char* code);

    void writeChart();
    void writeTaxesTermsAndReps();
    void writeCurrencies();
    void writeStoresAndProducts();
    void writeJobCost();
    void writePurchases();
    void writeOrdersAndReceipts();
    void writeSales();
    void writeHistory();
    void writeStatisticsArchives();
    void writeEmployees();
    void writeSuppliers();
    void writeOpeningStock();
    void writeMasters();
    // A posting of the ledger library that fails stops the demo.
    void post(const ledger::PostingResult& result, const QString& what);

    struct JournalLine {
        int account;
        Currency debit;
        Currency credit;
        QString description;
    };
    void writeJournal(int period, int journal, const QString& reference, const QDate& date, const QString& memo,
                      const QList<JournalLine>& lines);

    struct PurchaseLine {
        int account;
        double net;
    };
    // A supplier invoice posted as the purchases entry posts it.
    void postPurchase(const char* supplierCode, const QString& invoice, const QDate& date,
                      const QList<PurchaseLine>& lines, double holdbackPercent = 0, const char* project = nullptr,
                      const char* phase = nullptr, const char* element = nullptr, const QString& po = QString());
    void postSupplierCredit(const char* supplierCode, const QString& note, const QString& invoice, const QDate& date,
                            double net);
    void payByCheque(const char* supplierCode, const QString& cheque, const QDate& date,
                     const QList<QPair<QString, Currency>>& invoices);

    struct SaleLine {
        const char* item;
        double quantity;
    };
    Currency postInvoice(const char* clientCode, const QString& invoice, const QDate& date,
                         const QList<SaleLine>& lines);
    void receivePayment(const char* clientCode, const QString& reference, const QDate& date,
                        const QList<QPair<QString, Currency>>& invoices);

    std::shared_ptr<Database> m_db;
    QString m_folder;
    QDate m_today;
    int m_year;
    std::mt19937 m_rng;
    std::map<QString, std::unique_ptr<TableFiller>> m_tables;
    QList<Supplier> m_suppliers;
    QList<Client> m_clients;
    std::map<StockKey, Stock> m_stock;
    QMap<QString, SupplierStats> m_supplierStats;
    QMap<QString, QDate> m_invoiceDates;              // client invoice -> date
    std::vector<std::pair<QString, int>> m_extraRows; // tables filled outside m_tables
    int m_jobCostSeq = 0;
};

Supplier& Demo::supplier(const char* code)
{
    for (Supplier& s : m_suppliers)
        if (qstrcmp(s.code, code) == 0)
            return s;
    qFatal("demo: no supplier %s", code);
}

Client& Demo::client(const char* code)
{
    for (Client& c : m_clients)
        if (qstrcmp(c.code, code) == 0)
            return c;
    qFatal("demo: no client %s", code);
}

void Demo::writeChart()
{
    TableFiller& glm = table("glm");
    std::uniform_int_distribution<int> spread(80, 120);
    for (const Account& a : kChart) {
        RecordWriter& r = glm.add();
        r.set("Glm_account", a.number);
        r.set("Glm_Description", QString::fromUtf8(a.description));
        r.set("Glm_type", QString::fromUtf8(a.type));
        r.set("Glm_summarize", a.summarize);
        const bool profitAndLoss = a.number >= 4000;
        for (int p = 1; p <= 12 && profitAndLoss; ++p) {
            const double base = a.number < 5000 ? 18000.0 : 1500.0;
            r.set(QStringLiteral("Glm_budget%1").arg(p), cents(base));
            r.set(QStringLiteral("Glm_ly%1").arg(p), cents(base * spread(m_rng) / 100.0));
            if (p < periodOf(m_today))
                r.set(QStringLiteral("Glm_current%1").arg(p), cents(base * spread(m_rng) / 100.0));
        }
        r.set("Glm_user", "ADMIN");
        r.set("Glm_stamp", QDateTime(m_today.addDays(-200), QTime(9, 0)));
        glm.post();
    }
}

void Demo::writeTaxesTermsAndReps()
{
    struct Rate {
        int account;
        const char* description;
        double rate;
        int code;
    };
    const Rate purchases[] = {
        {kGstPaid, "TPS 5 %", kGstRate, 1}, {kQstPaid, "TVQ 9,975 %", kQstRate, 2}, {kGstPaid, "Détaxé 0 %", 0.0, 3}};
    for (const Rate& t : purchases) {
        RecordWriter& r = table("taxratesP").add();
        r.set("TaxRates_Account", t.account);
        r.set("TaxRates_Description", QString::fromUtf8(t.description));
        r.set("TaxRates_Rate", t.rate);
        r.set("TaxRates_Code", t.code);
        table("taxratesP").post();
    }
    const Rate sales[] = {{kGstCollected, "TPS 5 %", kGstRate, 1}, {kQstCollected, "TVQ 9,975 %", kQstRate, 2}};
    for (const Rate& t : sales) {
        RecordWriter& r = table("taxrates").add();
        r.set("TaxRates_Account", t.account);
        r.set("TaxRates_Description", QString::fromUtf8(t.description));
        r.set("TaxRates_Rate", t.rate);
        r.set("TaxRates_Code", t.code);
        table("taxrates").post();
    }
    const struct {
        int code;
        const char* description;
        int days;
    } terms[] = {{1, "Net 30 jours", 30},
                 {2, "Net 15 jours", 15},
                 {3, "2 % 10 jours, net 30", 30},
                 {4, "Payable sur réception", 0},
                 {5, "Le 10 du mois suivant", 910}};
    for (const auto& t : terms) {
        RecordWriter& r = table("arterms").add();
        r.set("Arterms_code", t.code);
        r.set("Arterms_desc", QString::fromUtf8(t.description));
        r.set("Arterms_days", t.days);
        table("arterms").post();
    }
    const struct {
        const char* code;
        const char* name;
        double rate;
    } reps[] = {{"JMB", "Jean-Marc Boisvert", 3.5}, {"SGA", "Sophie Gauthier", 4.0}, {"LTR", "Luc Trottier", 3.0}};
    for (const auto& s : reps) {
        RecordWriter& r = table("slsm").add();
        r.set("Slsm_code", s.code);
        r.set("Slsm_nom", QString::fromUtf8(s.name));
        r.set("Slsm_taux1", s.rate);
        table("slsm").post();
    }
}

// Currencies, accounts and numbering in the control record that
// CreateCompany wrote.
void Demo::writeCurrencies()
{
    Table& ctrl = table("ctrl").table();
    ctrl.first();
    RecordWriter w(ctrl);
    w.edit();
    w.set("Ctrl_curr1_name", QString::fromUtf8("Dollar américain"));
    w.set("Ctrl_curr1_rate", 1.3850);
    w.set("Ctrl_curr1_sign", "US");
    w.set("Ctrl_curr2_name", QStringLiteral("Euro"));
    w.set("Ctrl_curr2_rate", 1.4920);
    w.set("Ctrl_curr2_sign", QString::fromUtf8("€"));
    w.set("Ctrl_fed_tax_no", "123456789 RT0001");
    w.set("Ctrl_pro_tax_no", "1234567890 TQ0001");
    const char* const payments[] = {"Comptant", "Chèque", "Visa", "MasterCard", "Interac"};
    for (int n = 1; n <= 5; ++n) {
        w.set(QStringLiteral("Ctrl_pmt_name%1").arg(n), QString::fromUtf8(payments[n - 1]));
        w.set(QStringLiteral("Ctrl_pmt_accnt%1").arg(n), kBank);
    }
    w.set("Ctrl_bank_accnt1", kBank);
    w.set("Ctrl_bank_accnt2", kBankUs);
    w.set("Ctrl_ar_accnt", kReceivables);
    w.set("Ctrl_Pro_tax_accnt", kQstCollected);
    w.set("Ctrl_fed_tax_accnt", kGstCollected);
    w.set("Ctrl_sales_accnt1", kSalesHardware);
    w.set("Ctrl_sales_accnt2", kSalesGas);
    w.set("Ctrl_cr_accnt1", kBank);
    w.set("Ctrl_general_sales_accnt", kSalesHardware);
    w.set("Ctrl_ap_accnt", kPayable);
    w.set("Ctrl_ap_curr2", kPayableUs);
    w.set("Ctrl_ap_curr3", kPayableEuro);
    w.set("Ctrl_ap_purch_accnt1", kPurchasesGoods);
    w.set("Ctrl_ap_purch_accnt2", kPurchasesGas);
    w.set("Ctrl_ap_purch_accnt3", kFreight);
    w.set("Ctrl_ap_disb_accnt1", kBank);
    w.set("Ctrl_ap_disb_accnt2", kBankUs);
    w.set("Ctrl_alt_key1", QString::fromUtf8("Code à barres"));
    w.set("Ctrl_alt_key2", "Code fournisseur");
    w.set("Ctrl_ar_invoiceno", 20120);
    w.set("Ctrl_fa_invoice", 20120);
    w.set("Ctrl_fa_order", 5040);
    w.set("Ctrl_fa_quote", 310);
    w.set("Ctrl_ap_chqno1", 4530);
    w.set("Ctrl_ap_chqno2", 812);
    w.set("Ctrl_payroll_start_date", QDate(m_year, 1, 1));
    w.post();

    Table& ivctrl = table("ivctrl").table();
    ivctrl.first();
    RecordWriter iv(ivctrl);
    iv.edit();
    iv.set("Ivctrl_inv_accnt", kInventory);
    iv.set("Ivctrl_pm_ns", 35.0);
    iv.set("Ivctrl_po_number", 1004);
    iv.post();
}

void Demo::writeStoresAndProducts()
{
    // Quantities on hand are settled first: the receipts' movement history
    // shows the balance they leave.
    std::uniform_int_distribution<int> quantity(4, 30);
    for (const Product& p : kProducts) {
        if (p.kit)
            continue; // kits are assembled from their components' stock
        for (int store = 1; store <= 3; ++store) {
            if (store == 3 && qstrcmp(p.line, "GAZ") != 0 && qstrcmp(p.line, "ELE") != 0)
                continue; // the warehouse only keeps gas and electrical stock
            Stock& st = m_stock[{QString::fromLatin1(p.line), QString::fromLatin1(p.item), store}];
            st.kept = true;
            for (double& layer : st.layers)
                layer = quantity(m_rng);
        }
    }

    const char* const stores[] = {"Magasin principal – Trois-Rivières", "Succursale Shawinigan", "Entrepôt Bécancour"};
    for (int s = 1; s <= 3; ++s) {
        RecordWriter& r = table("ivmag").add();
        r.set("Ivmag_store_number", s);
        r.set("Ivmag_store_name", QString::fromUtf8(stores[s - 1]));
        table("ivmag").post();
    }
    for (const Product& p : kProducts) {
        RecordWriter& r = table("ivprod").add();
        r.set("Ivprod_line_code", p.line);
        r.set("Ivprod_item_code", p.item);
        r.set("Ivprod_desc_1", QString::fromUtf8(p.description));
        r.set("Ivprod_sup1", p.supplier);
        for (int n = 1; n <= 9; ++n)
            r.set(QStringLiteral("Ivprod_price%1").arg(n), RoundToCents(p.price * (1.0 - 0.025 * (n - 1))));
        r.set("Ivprod_std_cost", p.cost);
        r.set("Ivprod_upc",
              QStringLiteral("0627%1").arg(qHash(QByteArray(p.item)) % 100000000, 8, 10, QLatin1Char('0')));
        r.set("Ivprod_um", p.unit);
        r.set("Ivprod_tax1", true);
        r.set("Ivprod_tax2", true);
        r.set("Ivprod_date_created", QDate(m_year - 3, 4, 15));
        r.set("Ivprod_inv_accnt", kInventory);
        r.set("Ivprod_sales_accnt", qstrcmp(p.line, "GAZ") == 0 ? kSalesGas : kSalesHardware);
        r.set("Ivprod_cost_accnt", kCostOfSales);
        r.set("Ivprod_alt_key1", p.altKey1);
        r.set("Ivprod_alt_key2", p.altKey2);
        r.set("Ivprod_date_last_price", QDate(m_year, 1, 5));
        r.set("Ivprod_price_unit", 1.0);
        r.set("Ivprod_serial_no", p.serial);
        r.set("Ivprod_kit", p.kit);
        r.set("Ivprod_VolumeProduct", p.volume);
        r.set("Ivprod_pkg_qty", 1.0);
        if (p.volume)
            r.set("Ivprod_pakaging_desc", QString::fromUtf8("Bouteille consignée"));
        table("ivprod").post();
    }
}

void Demo::writeJobCost()
{
    const struct {
        const char* number;
        int billed;
    } projects[] = {{"P-26-01", 1}, {"P-26-02", 1}, {"P-26-03", 0}};
    for (const auto& p : projects) {
        RecordWriter& r = table("jcProject").add();
        r.set("JcProject_No", p.number);
        r.set("JcProject_Fact", p.billed);
        table("jcProject").post();
    }
    for (const char* phase : {"FONDATION", "CHARPENTE", "ELECTR", "FINITION"}) {
        RecordWriter& r = table("jcPhase").add();
        r.set("JcPhase_Code", phase);
        table("jcPhase").post();
    }
    const struct {
        const char* code;
        const char* description;
        const char* unit;
    } elements[] = {{"MAT", "Matériaux", "UN"},
                    {"MO", "Main-d'œuvre", "H"},
                    {"SOUS", "Sous-traitance", "FORF"},
                    {"LOC", "Location d'équipement", "JR"}};
    for (const auto& e : elements) {
        RecordWriter& r = table("JcElem").add();
        r.set("JcElem_Code", e.code);
        r.set("JcElem_Description", QString::fromUtf8(e.description));
        r.set("JcElem_UM", e.unit);
        table("JcElem").post();
    }
    const struct {
        const char* project;
        const char* phase;
        const char* element;
        double quantity;
        double rate;
    } budgets[] = {
        {"P-26-01", "FONDATION", "MAT", 1, 18500}, {"P-26-01", "FONDATION", "SOUS", 1, 42000},
        {"P-26-01", "CHARPENTE", "MAT", 1, 27500}, {"P-26-01", "CHARPENTE", "MO", 320, 58},
        {"P-26-01", "ELECTR", "MAT", 1, 6400},     {"P-26-01", "ELECTR", "SOUS", 1, 11800},
        {"P-26-02", "FINITION", "MAT", 1, 9200},   {"P-26-02", "FINITION", "MO", 140, 52},
        {"P-26-02", "ELECTR", "MAT", 1, 3100},     {"P-26-02", "ELECTR", "LOC", 6, 185},
    };
    QSet<QString> headers;
    for (const auto& b : budgets) {
        const QString key = QString::fromLatin1(b.project) + QLatin1Char('/') + QString::fromLatin1(b.phase);
        if (!headers.contains(key)) {
            headers.insert(key);
            RecordWriter& h = table("jcBudgetHdr").add();
            h.set("JcBudHdr_Project", b.project);
            h.set("JcBudHdr_Phase", b.phase);
            table("jcBudgetHdr").post();
        }
        RecordWriter& d = table("jcBudgetDet").add();
        d.set("JcBudDet_Project", b.project);
        d.set("JcBudDet_Phase", b.phase);
        d.set("JcBudDet_Elem", b.element);
        d.set("JcBudDet_Qty", b.quantity);
        d.set("JcBudDet_Rate", Currency::fromDouble(b.rate));
        d.set("JcBudDet_Amount", cents(b.quantity * b.rate));
        table("jcBudgetDet").post();
    }
    RecordWriter& c = table("jcctrl").add();
    c.set("JcCtrl_period", periodOf(m_today));
    table("jcctrl").post();
}

void Demo::writeJournal(int period, int journal, const QString& reference, const QDate& date, const QString& memo,
                        const QList<JournalLine>& lines)
{
    Currency debit, credit;
    for (const JournalLine& l : lines) {
        debit += l.debit;
        credit += l.credit;
    }
    RecordWriter& h = table("tjlh").add();
    h.set("Tjlh_period", period);
    h.set("Tjlh_journal", journal);
    h.set("Tjlh_reference", reference);
    h.set("Tjlh_date", date);
    h.set("Tjlh_tot_debit", debit);
    h.set("Tjlh_tot_credit", credit);
    h.set("Tjlh_memo", memo);
    h.set("Tjlh_user", "ADMIN");
    h.set("Tjlh_stamp", QDateTime(date, QTime(10, 30)));
    table("tjlh").post();
    for (const JournalLine& l : lines) {
        RecordWriter& d = table("tjld").add();
        d.set("Tjld_period", period);
        d.set("Tjld_journal", journal);
        d.set("Tjld_reference", reference);
        d.set("Tjld_date", date);
        d.set("Tjld_account", l.account);
        d.set("Tjld_debit", l.debit);
        d.set("Tjld_credit", l.credit);
        d.set("Tjld_description", l.description);
        table("tjld").post();
    }
}

void Demo::postPurchase(const char* supplierCode, const QString& invoice, const QDate& date,
                        const QList<PurchaseLine>& lines, double holdbackPercent, const char* project,
                        const char* phase, const char* element, const QString& po)
{
    const Supplier& s = supplier(supplierCode);
    const bool taxed = s.currency == 0;
    ledger::PurchaseDocument d;
    d.supplierCode = QString::fromLatin1(s.code);
    d.invoiceNumber = invoice;
    d.poNumber = po;
    d.date = date;
    d.dueDate = ledger::DueDateFromTerms(date, s.terms);
    d.period = periodOf(date);
    d.user = QStringLiteral("ADMIN");
    d.stamp = QDateTime(date, QTime(10, 30));
    Currency net;
    int row = 0;
    for (const PurchaseLine& l : lines) {
        const Currency amount = cents(l.net);
        net += amount;
        d.rows[static_cast<size_t>(row++)] = {l.account, QString::fromUtf8(s.name), amount, {}};
    }
    const Currency gst = taxed ? tax(net, kGstRate) : Currency();
    const Currency qst = taxed ? tax(net, kQstRate) : Currency();
    if (taxed) {
        d.rows[static_cast<size_t>(row++)] = {kGstPaid, QStringLiteral("TPS"), gst, {}};
        d.rows[static_cast<size_t>(row++)] = {kQstPaid, QStringLiteral("TVQ"), qst, {}};
    }
    d.rows[static_cast<size_t>(row)] = {payableAccount(s.currency), QString::fromUtf8(s.name), {}, net + gst + qst};
    if (holdbackPercent > 0) {
        d.holdbackPercent = holdbackPercent;
        d.holdbackDueDate = date.addDays(90);
    }
    if (project) {
        d.jobCostEnabled = true;
        d.jobCostTypeDescription = QStringLiteral("Achat");
        d.jobCost = {{QString::fromLatin1(project), QString::fromLatin1(phase), QString::fromLatin1(element), 1.0,
                      net.toDouble(), net}};
    }
    post(ledger::PostPurchase(m_db, d), invoice);
}

void Demo::postSupplierCredit(const char* supplierCode, const QString& note, const QString& invoice, const QDate& date,
                              double netAmount)
{
    const Supplier& s = supplier(supplierCode);
    const Currency net = cents(netAmount);
    const Currency gst = s.currency == 0 ? tax(net, kGstRate) : Currency();
    const Currency qst = s.currency == 0 ? tax(net, kQstRate) : Currency();
    // A credit note is entered against the invoice it credits; the note's
    // own number is the Dr/Cr reference.
    ledger::PurchaseDocument d;
    d.typeCode = ledger::CreditTypeCode;
    d.supplierCode = QString::fromLatin1(s.code);
    d.invoiceNumber = invoice;
    d.drCrReference = note;
    d.date = date;
    d.dueDate = date;
    d.memo = QString::fromUtf8("Note de crédit – retour");
    d.period = periodOf(date);
    d.user = QStringLiteral("ADMIN");
    d.stamp = QDateTime(date, QTime(14, 0));
    d.rows[0] = {payableAccount(s.currency), QString::fromUtf8(s.name), net + gst + qst, {}};
    d.rows[1] = {kPurchasesGoods, QString::fromUtf8("Retour de marchandise"), {}, net};
    if (s.currency == 0) {
        d.rows[2] = {kGstPaid, QStringLiteral("TPS"), {}, gst};
        d.rows[3] = {kQstPaid, QStringLiteral("TVQ"), {}, qst};
    }
    post(ledger::PostPurchase(m_db, d), note);
}

void Demo::post(const ledger::PostingResult& result, const QString& what)
{
    if (!result.ok)
        throw SetupError(QStringLiteral("The demo posting %1 failed: %2 (%3 %4)")
                             .arg(what, result.message, result.table, result.record));
}

void Demo::payByCheque(const char* supplierCode, const QString& cheque, const QDate& date,
                       const QList<QPair<QString, Currency>>& invoices)
{
    // Payments are not a posting of the ledger library: written here, in one
    // transaction of their own.
    Transaction tx(m_db);
    const Supplier& s = supplier(supplierCode);
    Currency total;
    for (const auto& i : invoices)
        total += i.second;
    const int bank = s.currency == 1 ? kBankUs : kBank;
    writeJournal(periodOf(date), kDisbursementJournal, cheque, date, QString::fromUtf8(s.name),
                 {{payableAccount(s.currency), total, Currency(), QString::fromUtf8(s.name)},
                  {bank, Currency(), total, QString::fromUtf8("Chèque %1").arg(cheque)}});

    RecordWriter& h = table("cdorihdr").add();
    h.set("Reference", cheque);
    h.set("Supplier", s.code);
    h.set("Date", date);
    h.set("Not_to_sup", false);
    h.set("Comments", QString::fromUtf8("Paiement de factures"));
    h.set("Account1", payableAccount(s.currency));
    h.set("Debit1", total);
    h.set("Account2", bank);
    h.set("Credit2", total);
    h.set("User", "ADMIN");
    h.set("Stamp", QDateTime(date, QTime(15, 0)));
    table("cdorihdr").post();
    const qint64 headerSeq = table("cdorihdr").integer(QStringLiteral("Seq"));

    for (const auto& [invoice, amount] : invoices) {
        RecordWriter& d = table("cdoridet").add();
        d.set("Reference", cheque);
        d.set("Supplier", s.code);
        d.set("Date", date);
        d.set("Header_seq", headerSeq);
        d.set("Invoice", invoice);
        d.set("Invoice_date", date.addDays(-35));
        d.set("Invoice_due_date", date.addDays(-5));
        d.set("Invoice_amount", amount);
        d.set("Invoice_payment", amount);
        table("cdoridet").post();

        RecordWriter& item = table("cap").add();
        item.set("Cap_supplier", s.code);
        item.set("Cap_invoice", invoice);
        item.set("Cap_ref", cheque);
        item.set("Cap_date", date);
        item.set("Cap_type", "2");
        item.set("Cap_du_date", date);
        item.set("Cap_amount", -amount);
        item.set("Cap_user", "ADMIN");
        item.set("Cap_stamp", QDateTime(date, QTime(15, 0)));
        table("cap").post();
    }
    Table& sup = table("sup").table();
    sup.refresh();
    if (!sup.findKey({QString::fromLatin1(s.code)}))
        throw SetupError(QStringLiteral("The demo supplier %1 is missing.").arg(QString::fromLatin1(s.code)));
    RecordWriter w(sup);
    w.edit();
    w.set("Sup_current_bal", sup.field(QStringLiteral("Sup_current_bal")).asMoney() - total);
    w.set("Sup_date_last_pmt", date);
    w.post();
    tx.commit();
}

void Demo::writePurchases()
{
    // Invoices of the last months; some paid, one with a holdback, one
    // charged to a project, foreign ones without Canadian taxes.
    struct Invoice {
        const char* supplier;
        const char* number;
        int daysAgo;
        QList<PurchaseLine> lines;
    };
    const QList<Invoice> invoices = {
        {"LEVESQUE", "F-88412", 95, {{kPurchasesGoods, 2480.00}, {kFreight, 85.00}}},
        {"LEVESQUE", "F-88977", 62, {{kPurchasesGoods, 1316.40}}},
        {"LEVESQUE", "F-89530", 18, {{kPurchasesGoods, 3025.75}, {kFreight, 110.00}}},
        {"GAGNON", "GF-2231", 41, {{kPurchasesGoods, 744.20}}},
        {"GAZIND", "GIQ-70115", 75, {{kPurchasesGas, 1890.00}}},
        {"GAZIND", "GIQ-70388", 33, {{kPurchasesGas, 2245.50}}},
        {"GAZIND", "GIQ-70602", 6, {{kPurchasesGas, 1612.00}}},
        {"HYDRO", "HQ-092611", 28, {{kElectricity, 1184.37}}},
        {"VIDEOTRON", "VT-5501209", 21, {{kTelecom, 189.95}}},
        {"COTEIMPR", "IC-1187", 54, {{kOfficeSupplies, 412.00}}},
        {"BELANGER", "TB-40921", 12, {{kFreight, 367.80}}},
        {"MIDWEST", "MTS-230871", 47, {{kPurchasesGoods, 4120.00}}},
        {"MIDWEST", "MTS-231560", 9, {{kPurchasesGoods, 1968.00}, {kFreight, 145.00}}},
        {"GLFAST", "GLF-99102", 38, {{kPurchasesGoods, 886.50}}},
        {"LEFEVRE", "LEF-26-412", 58, {{kPurchasesGoods, 1540.00}}},
        {"MULLER", "WM-771203", 26, {{kPurchasesGoods, 2208.00}}},
    };
    for (const Invoice& i : invoices)
        postPurchase(i.supplier, QString::fromLatin1(i.number), daysAgo(i.daysAgo), i.lines);

    postPurchase("PELLETIER", QStringLiteral("MP-60231"), daysAgo(30), {{kPurchasesGoods, 12800.00}}, 10.0, "P-26-01",
                 "CHARPENTE", "MAT");
    postPurchase("PELLETIER", QStringLiteral("MP-60455"), daysAgo(14), {{kPurchasesGoods, 5320.00}}, 0.0, "P-26-02",
                 "FINITION", "MAT");

    postSupplierCredit("LEVESQUE", QStringLiteral("NC-1204"), QStringLiteral("F-88977"), daysAgo(50), 126.40);

    // Cheques: the oldest invoices are paid.
    auto openAmount = [&](const char* code, const char* invoice) {
        // The open item's amount as written above (the whole invoice).
        Table& cap = table("cap").table();
        cap.refresh();
        cap.setIndexFieldNames(QStringLiteral("Cap_supplier"));
        Currency sum;
        for (cap.first(); !cap.eof(); cap.next())
            if (cap.field(QStringLiteral("Cap_supplier")).asString() == QLatin1String(code)
                && cap.field(QStringLiteral("Cap_invoice")).asString() == QLatin1String(invoice))
                sum += cap.field(QStringLiteral("Cap_amount")).asMoney();
        return sum;
    };
    payByCheque("LEVESQUE", QStringLiteral("4521"), daysAgo(60),
                {{QStringLiteral("F-88412"), openAmount("LEVESQUE", "F-88412")}});
    payByCheque("GAZIND", QStringLiteral("4522"), daysAgo(40),
                {{QStringLiteral("GIQ-70115"), openAmount("GAZIND", "GIQ-70115")}});
    payByCheque("COTEIMPR", QStringLiteral("4525"), daysAgo(20),
                {{QStringLiteral("IC-1187"), openAmount("COTEIMPR", "IC-1187")}});
    // A part payment leaves a balance on the statement.
    payByCheque("MIDWEST", QStringLiteral("0809"), daysAgo(15),
                {{QStringLiteral("MTS-230871"), Currency::fromUnits(2500)}});
}

void Demo::writeOrdersAndReceipts()
{
    struct Line {
        const char* item;
        double ordered;
        double received;
        double price;
    };
    struct Order {
        const char* number;
        const char* supplier;
        int store;
        int daysAgo;
        const char* packingSlip; // empty: nothing received yet
        int receivedDaysAgo;
        const char* project;
        QList<Line> lines;
    };
    const QList<Order> orders = {
        {"1001",
         "LEVESQUE",
         1,
         25,
         "BL-58812",
         19,
         "",
         {{"VIS-10-34", 120, 120, 4.10}, {"CLOU-212", 60, 40, 8.25}, {"FIL-142", 12, 0, 58.60}}},
        {"1002", "MIDWEST", 1, 20, "PK-771045", 10, "", {{"PERC-18V", 6, 4, 128.40}, {"SCIE-CIRC", 4, 4, 102.75}}},
        {"1003",
         "GAZIND",
         2,
         8,
         "",
         0,
         "P-26-01",
         {{"OXY-244", 10, 0, 31.50}, {"ACE-145", 8, 0, 47.25}, {"ARG-MIX", 6, 0, 64.80}}},
    };

    // The orders as they stood before anything was received (order entry is
    // not a ledger posting); the receipts below then post against them.
    {
        Transaction tx(m_db);
        Table& stock = table("ivinv").table();
        stock.refresh();
        for (const Order& o : orders) {
            const Supplier& s = supplier(o.supplier);
            const QDate ordered = daysAgo(o.daysAgo);
            Currency total;
            for (const Line& l : o.lines)
                total += cents(l.ordered * l.price);

            RecordWriter& h = table("cfhdr").add();
            h.set("Cfhdr_doc", "2");
            h.set("Cfhdr_order_number", o.number);
            h.set("Cfhdr_supplier", s.code);
            h.set("Cfhdr_date", ordered);
            h.set("Cfhdr_date_req", ordered.addDays(10));
            h.set("Cfhdr_date_prom", ordered.addDays(12));
            h.set("Cfhdr_shp_to", QString::number(o.store));
            h.set("Cfhdr_shp_nom", QStringLiteral("Quincaillerie Beauchemin inc."));
            h.set("Cfhdr_shp_adr1", QString::fromUtf8("1450, boulevard des Forges"));
            h.set("Cfhdr_shp_city", QString::fromUtf8("Trois-Rivières"));
            h.set("Cfhdr_shp_prov", QString::fromUtf8("Québec"));
            h.set("Cfhdr_shp_cp", "G8Z 1T7");
            h.set("Cfhdr_shp_country", "Canada");
            h.set("Cfhdr_shp_tel", "819 555-0142");
            h.set("Cfhdr_ship_via", s.currency == 0 ? QStringLiteral("Transport Bélanger") : QStringLiteral("UPS"));
            h.set("Cfhdr_total", total);
            h.set("Cfhdr_total_received", Currency());
            h.set("Cfhdr_store", o.store);
            h.set("cfhdr_project", o.project);
            h.set("cfhdr_period", periodOf(ordered));
            table("cfhdr").post();

            int lineNumber = 0;
            for (const Line& l : o.lines) {
                const Product& p = *findProduct(l.item);
                RecordWriter& d = table("cfdet").add();
                d.set("Cfdet_doc", "2");
                d.set("Cfdet_order_number", o.number);
                d.set("Cfdet_line_code", p.line);
                d.set("Cfdet_item_code", p.item);
                d.set("Cfdet_desc", QString::fromUtf8(p.description));
                d.set("Cfdet_qty_order", l.ordered);
                d.set("Cfdet_qty_received", 0.0);
                d.set("Cfdet_price", l.price);
                d.set("Cfdet_total", cents(l.ordered * l.price));
                table("cfdet").post();
                ++lineNumber;

                RecordWriter& k = table("cfpkey").add();
                k.set("Cfpkey_line_code", p.line);
                k.set("Cfpkey_item_code", p.item);
                k.set("Cfpkey_store", o.store);
                k.set("Cfpkey_order", o.number);
                k.set("Cfpkey_line", lineNumber);
                k.set("Cfpkey_supplier", s.code);
                k.set("Cfpkey_qty", l.ordered);
                k.set("Cfpkey_cost", l.price);
                k.set("Cfpkey_date", ordered);
                table("cfpkey").post();

                if (stock.findKey({QString::fromLatin1(p.line), QString::fromLatin1(p.item), o.store})) {
                    RecordWriter w(stock);
                    w.edit();
                    w.set("Ivinv_on_order", stock.field(QStringLiteral("Ivinv_on_order")).asNumber() + l.ordered);
                    w.post();
                }
            }
        }
        tx.commit();
    }

    int serial = 41870;
    for (const Order& o : orders) {
        if (o.packingSlip[0] == '\0')
            continue;
        const Supplier& s = supplier(o.supplier);
        const QDate ordered = daysAgo(o.daysAgo);
        ledger::StockReceipt r;
        r.packingSlip = QString::fromLatin1(o.packingSlip);
        r.orderNumber = QString::fromLatin1(o.number);
        r.supplierCode = QString::fromLatin1(s.code);
        r.date = daysAgo(o.receivedDaysAgo);
        r.dateRequired = ordered.addDays(10);
        r.datePromised = ordered.addDays(12);
        r.shipName = QStringLiteral("Quincaillerie Beauchemin inc.");
        r.memo = QString::fromUtf8("Réception partielle");
        r.store = o.store;
        r.project = QString::fromLatin1(o.project);
        r.user = QStringLiteral("ADMIN");
        r.language = 2;
        r.jobCostTypeDescription = QString::fromUtf8("Réception");
        r.stamp = QDateTime(r.date, QTime(9, 15));
        for (const Line& l : o.lines) {
            const Product& p = *findProduct(l.item);
            ledger::ReceiptLine line;
            line.orderNumber = r.orderNumber;
            line.lineCode = QString::fromLatin1(p.line);
            line.itemCode = QString::fromLatin1(p.item);
            line.description = QString::fromUtf8(p.description);
            line.quantityToReceive = l.ordered;
            line.quantityReceived = l.received;
            line.price = Currency::fromDouble(l.price);
            line.total = ledger::ReceiptLineTotal(line.price, l.received, 1.0);
            line.fromOrder = true;
            if (p.volume)
                line.cylinders = static_cast<int>(l.received);
            if (p.serial)
                for (int u = 0; u < static_cast<int>(l.received); ++u)
                    line.serials.push_back(
                        {QStringLiteral("MTS%1-%2").arg(QString::fromLatin1(p.item).left(4)).arg(serial++), QString(),
                         1.0, true});
            r.total += line.total;
            r.lines.push_back(std::move(line));
        }
        r.totalReceived = r.total;
        post(ledger::PostStockReceipt(m_db, r), r.packingSlip);
    }
}

Currency Demo::postInvoice(const char* clientCode, const QString& invoice, const QDate& date,
                           const QList<SaleLine>& lines)
{
    Client& c = client(clientCode);
    Currency total, cost, gst, qst;
    double quantity = 0;
    int lineNo = 0;
    Currency hardware, gas;
    for (const SaleLine& l : lines) {
        const Product& p = *findProduct(l.item);
        const Currency lineTotal = cents(l.quantity * p.price);
        const Currency lineCost = cents(l.quantity * p.cost);
        const Currency lineGst = c.taxable ? tax(lineTotal, kGstRate) : Currency();
        const Currency lineQst = c.taxable ? tax(lineTotal, kQstRate) : Currency();
        total += lineTotal;
        cost += lineCost;
        gst += lineGst;
        qst += lineQst;
        quantity += l.quantity;
        (qstrcmp(p.line, "GAZ") == 0 ? gas : hardware) += lineTotal;

        RecordWriter& d = table("fadet").add();
        d.set("Fadet_doc", "1");
        d.set("Fadet_invoice", invoice);
        d.set("Fadet_line_code", p.line);
        d.set("Fadet_item_code", p.item);
        d.set("Fadet_desc", QString::fromUtf8(p.description));
        d.set("Fadet_kit", p.kit);
        d.set("Fadet_qty_order", l.quantity);
        d.set("Fadet_qty_ship", l.quantity);
        d.set("Fadet_tax1_code", c.taxable);
        d.set("Fadet_tax2_code", c.taxable);
        d.set("Fadet_price", p.price);
        d.set("Fadet_sales_accnt", qstrcmp(p.line, "GAZ") == 0 ? kSalesGas : kSalesHardware);
        d.set("Fadet_cost_accnt", kCostOfSales);
        d.set("Fadet_cost", lineCost);
        d.set("Fadet_total", lineTotal);
        d.set("Fadet_tax1", lineGst);
        d.set("Fadet_tax2", lineQst);
        d.set("Fadet_perc_comm", 3.5);
        if (p.serial)
            d.set("Fadet_Serial",
                  QStringLiteral("MTS%1-%2").arg(QString::fromLatin1(p.item).left(4)).arg(41000 + lineNo));
        table("fadet").post();
        ++lineNo;

        if (p.volume) {
            RecordWriter& cyl = table("FaCylinder").add();
            cyl.set("FaCylinder_Client", c.code);
            cyl.set("FaCylinder_Line_Code", p.line);
            cyl.set("FaCylinder_Item_Code", p.item);
            cyl.set("FaCylinder_Store", 1);
            cyl.set("FaCylinder_Invoice", invoice);
            cyl.set("FaCylinder_date", date);
            const double returned = std::max(0.0, l.quantity - 1);
            cyl.set("FaCylinder_Delivered", l.quantity);
            cyl.set("FaCylinder_Received", returned);
            cyl.set("FaCylinder_Net", l.quantity - returned);
            table("FaCylinder").post();
        }
    }
    const Currency grand = total + gst + qst;
    const QDate due = date.addDays(30);

    RecordWriter& h = table("fahdr").add();
    h.set("Fahdr_doc", "1");
    h.set("Fahdr_invoice", invoice);
    h.set("Fahdr_client", c.code);
    h.set("Fahdr_date", date);
    h.set("Fahdr_du_date", due);
    h.set("Fahdr_slsm", c.salesRep);
    h.set("Fahdr_comm", 3.5);
    h.set("Fahdr_shp_nom", QString::fromUtf8(c.name));
    h.set("Fahdr_shp_adr1", QString::fromUtf8(c.address));
    h.set("Fahdr_shp_city", QString::fromUtf8(c.city));
    h.set("Fahdr_shp_prov", QString::fromUtf8("Québec"));
    h.set("Fahdr_shp_cp", c.postalCode);
    h.set("Fahdr_shp_country", "Canada");
    h.set("Fahdr_shp_tel", c.telephone);
    h.set("Fahdr_terms", c.terms);
    h.set("Fahdr_date_shp", date);
    h.set("Fahdr_ship_via", QStringLiteral("Livraison Beauchemin"));
    h.set("Fahdr_total", total);
    h.set("Fahdr_tax1", gst);
    h.set("Fahdr_tax2", qst);
    h.set("Fahdr_g_total", grand);
    h.set("Fahdr_date_order", date);
    h.set("Fahdr_time_order", QTime(9, 15));
    h.set("Fahdr_time_invoice", QTime(11, 40));
    h.set("Fahdr_status", 1);
    h.set("Fahdr_user", "ADMIN");
    h.set("Fahdr_stamp", QDateTime(date, QTime(11, 40)));
    h.set("Fahdr_store", 1);
    table("fahdr").post();

    RecordWriter& item = table("car").add();
    item.set("Car_client", c.code);
    item.set("Car_invoice", invoice);
    item.set("Car_date", date);
    item.set("Car_type", "1");
    item.set("Car_du_date", due);
    item.set("Car_amount", grand);
    item.set("Car_slsm", c.salesRep);
    item.set("Car_pro_tax", qst);
    item.set("Car_fed_tax", gst);
    item.set("Car_user", "ADMIN");
    item.set("Car_stamp", QDateTime(date, QTime(11, 40)));
    table("car").post();

    RecordWriter& doc = table("arori").add();
    doc.set("Reference", invoice);
    doc.set("Client", c.code);
    doc.set("Date", date);
    doc.set("Due_date", due);
    doc.set("Direct_cash_sale", false);
    doc.set("Trx_type", "1");
    doc.set("Comments", QString::fromUtf8("Facture"));
    int n = 1;
    auto ledger = [&](int account, Currency debit, Currency credit) {
        if (debit.isZero() && credit.isZero())
            return;
        doc.set(QStringLiteral("Account%1").arg(n), account);
        doc.set(QStringLiteral("Debit%1").arg(n), debit);
        doc.set(QStringLiteral("Credit%1").arg(n), credit);
        ++n;
    };
    ledger(kReceivables, grand, Currency());
    ledger(kSalesHardware, Currency(), hardware);
    ledger(kSalesGas, Currency(), gas);
    ledger(kGstCollected, Currency(), gst);
    ledger(kQstCollected, Currency(), qst);
    doc.set("Stamp", QDateTime(date, QTime(11, 40)));
    doc.set("User", "ADMIN");
    doc.set("DebitCredit", false);
    table("arori").post();

    const int m = date.month();
    c.statSales[m] += total;
    c.statCost[m] += cost;
    c.statQty[m] += quantity;
    c.statInvoices += 1;
    c.balance += grand;
    c.lastSale = grand;
    c.yearSales += total;
    if (m == m_today.month())
        c.monthSales += total;
    if (!c.lastSaleDate.isValid() || date > c.lastSaleDate)
        c.lastSaleDate = date;
    m_invoiceDates.insert(invoice, date);
    return grand;
}

void Demo::receivePayment(const char* clientCode, const QString& reference, const QDate& date,
                          const QList<QPair<QString, Currency>>& invoices)
{
    Client& c = client(clientCode);
    Currency total;
    for (const auto& i : invoices)
        total += i.second;
    RecordWriter& h = table("crorihdr").add();
    h.set("Reference", reference);
    h.set("Client", c.code);
    h.set("Date", date);
    h.set("Not_from_cli", false);
    h.set("Nsf_cheque", false);
    h.set("Comments", QString::fromUtf8("Chèque reçu"));
    h.set("Account1", kBank);
    h.set("Debit1", total);
    h.set("Account2", kReceivables);
    h.set("Credit2", total);
    h.set("User", "ADMIN");
    h.set("Stamp", QDateTime(date, QTime(13, 10)));
    table("crorihdr").post();
    const qint64 headerSeq = table("crorihdr").integer(QStringLiteral("Seq"));
    for (const auto& [invoice, amount] : invoices) {
        RecordWriter& d = table("croridet").add();
        d.set("Reference", reference);
        d.set("Client", c.code);
        d.set("Date", date);
        d.set("Header_seq", headerSeq);
        d.set("Invoice", invoice);
        d.set("Invoice_date", m_invoiceDates.value(invoice));
        d.set("Invoice_due_date", m_invoiceDates.value(invoice).addDays(30));
        d.set("Invoice_amount", amount);
        d.set("Invoice_payment", amount);
        table("croridet").post();

        RecordWriter& item = table("car").add();
        item.set("Car_client", c.code);
        item.set("Car_invoice", invoice);
        item.set("Car_ref", reference);
        item.set("Car_date", date);
        item.set("Car_type", "2");
        item.set("Car_du_date", date);
        item.set("Car_amount", -amount);
        item.set("Car_user", "ADMIN");
        item.set("Car_stamp", QDateTime(date, QTime(13, 10)));
        table("car").post();
    }
    c.balance -= total;
    if (!c.lastPaymentDate.isValid() || date > c.lastPaymentDate)
        c.lastPaymentDate = date;
}

void Demo::writeSales()
{
    int number = 20041;
    auto next = [&number] { return QString::number(number++); };
    struct Sale {
        const char* client;
        int daysAgo;
        QList<SaleLine> lines;
        bool paid;
    };
    const QList<Sale> sales = {
        {"TREMBLAY", 110, {{"VIS-10-34", 40}, {"CLOU-212", 25}}, true},
        {"TREMBLAY", 52, {{"PERC-18V", 2}, {"FIL-142", 6}}, false},
        {"TREMBLAY", 12, {{"BOUL-38", 15}, {"PENT-INT", 48}}, false},
        {"BERGERON", 85, {{"SCIE-CIRC", 1}, {"NIV-48", 2}}, true},
        {"BERGERON", 33, {{"DISJ-15A", 30}, {"FIL-142", 3}}, false},
        {"LACHANCE", 140, {{"OXY-244", 2}, {"ACE-145", 1}}, false},
        {"LACHANCE", 44, {{"OXY-244", 3}, {"ARG-MIX", 1}}, false},
        {"GAGNE", 70, {{"ARG-MIX", 4}, {"OXY-244", 2}}, true},
        {"GAGNE", 8, {{"ACE-145", 2}, {"TROUSSE-SD", 1}}, false},
        {"ROY", 95, {{"ENS-TERR", 6}, {"VIS-10-34", 30}}, false},
        {"ROY", 21, {{"MART-16", 5}, {"NIV-48", 3}}, false},
        {"PELLETIERG", 38, {{"PERC-18V", 1}, {"MART-16", 2}}, true},
        {"BECANCOUR", 60, {{"FIL-142", 10}, {"DISJ-15A", 40}}, false},
        {"COTE", 16, {{"PENT-INT", 24}, {"VIS-10-34", 12}}, false},
    };
    QList<QPair<const char*, QPair<QString, Currency>>> toPay;
    for (const Sale& s : sales) {
        const QString invoice = next();
        const QDate date = daysAgo(s.daysAgo);
        const Currency amount = postInvoice(s.client, invoice, date, s.lines);
        if (s.paid)
            toPay.append({s.client, {invoice, amount}});
    }
    int receipt = 7301;
    for (const auto& [clientCode, invoice] : toPay) {
        const QDate paidOn = std::min(m_invoiceDates.value(invoice.first).addDays(28), m_today);
        receivePayment(clientCode, QStringLiteral("R%1").arg(receipt++), paidOn, {invoice});
    }
    // A part payment on an old invoice keeps it in the oldest aging column.
    receivePayment("LACHANCE", QStringLiteral("R%1").arg(receipt++), daysAgo(100),
                   {{QStringLiteral("20046"), Currency::fromUnits(100)}});

    // Opening balances of cylinders held by the welding shops.
    const struct {
        const char* client;
        const char* item;
        double held;
    } openings[] = {{"GAGNE", "OXY-244", 4}, {"GAGNE", "ACE-145", 2}, {"LACHANCE", "OXY-244", 1}};
    for (const auto& o : openings) {
        const Product& p = *findProduct(o.item);
        RecordWriter& cyl = table("FaCylinder").add();
        cyl.set("FaCylinder_Client", o.client);
        cyl.set("FaCylinder_Line_Code", p.line);
        cyl.set("FaCylinder_Item_Code", p.item);
        cyl.set("FaCylinder_Store", 1);
        cyl.set("FaCylinder_date", QDate(m_year, 1, 1));
        cyl.set("FaCylinder_Opening", o.held);
        cyl.set("FaCylinder_Net", o.held);
        table("FaCylinder").post();
    }
}

// Paid items of last year moved to the history tables, with their archived
// sales documents.
void Demo::writeHistory()
{
    const QDate lastYear(m_year - 1, 10, 14);
    const struct {
        const char* client;
        const char* invoice;
        const char* item;
        double quantity;
    } archived[] = {
        {"TREMBLAY", "19870", "CLOU-212", 40}, {"GAGNE", "19902", "OXY-244", 6}, {"ROY", "19955", "NIV-48", 4}};
    int receipt = 6950;
    for (const auto& a : archived) {
        const Product& p = *findProduct(a.item);
        const Currency total = cents(a.quantity * p.price);
        const Currency gst = tax(total, kGstRate);
        const Currency qst = tax(total, kQstRate);
        const Currency grand = total + gst + qst;

        RecordWriter& h = table("fahdra").add();
        h.set("Fahdra_doc", "1");
        h.set("Fahdra_invoice", a.invoice);
        h.set("Fahdra_client", a.client);
        h.set("Fahdra_date", lastYear);
        h.set("Fahdra_du_date", lastYear.addDays(30));
        h.set("Fahdra_terms", 1);
        h.set("Fahdra_total", total);
        h.set("Fahdra_tax1", gst);
        h.set("Fahdra_tax2", qst);
        h.set("Fahdra_g_total", grand);
        h.set("Fahdra_status", 1);
        h.set("Fahdra_store", 1);
        table("fahdra").post();
        RecordWriter& d = table("fadeta").add();
        d.set("Fadeta_doc", "1");
        d.set("Fadeta_invoice", a.invoice);
        d.set("Fadeta_line_code", p.line);
        d.set("Fadeta_item_code", p.item);
        d.set("Fadeta_desc", QString::fromUtf8(p.description));
        d.set("Fadeta_qty_order", a.quantity);
        d.set("Fadeta_qty_ship", a.quantity);
        d.set("Fadeta_tax1_code", true);
        d.set("Fadeta_tax2_code", true);
        d.set("Fadeta_price", p.price);
        d.set("Fadeta_cost", cents(a.quantity * p.cost));
        d.set("Fadeta_total", total);
        d.set("Fadeta_tax1", gst);
        d.set("Fadeta_tax2", qst);
        table("fadeta").post();

        for (int kind = 0; kind < 2; ++kind) {
            RecordWriter& item = table("carh").add();
            item.set("Car_client", a.client);
            item.set("Car_invoice", a.invoice);
            item.set("Car_ref", kind ? QStringLiteral("R%1").arg(receipt) : QString());
            item.set("Car_date", kind ? lastYear.addDays(25) : lastYear);
            item.set("Car_type", kind ? "2" : "1");
            item.set("Car_du_date", lastYear.addDays(30));
            item.set("Car_amount", kind ? -grand : grand);
            item.set("Car_user", "ADMIN");
            table("carh").post();
        }
        ++receipt;
    }

    const struct {
        const char* supplier;
        const char* invoice;
        double amount;
    } paid[] = {{"LEVESQUE", "F-86120", 1843.22}, {"GAZIND", "GIQ-68890", 2210.45}, {"MIDWEST", "MTS-224410", 3150.00}};
    int cheque = 4380;
    for (const auto& p : paid) {
        for (int kind = 0; kind < 2; ++kind) {
            RecordWriter& item = table("caph").add();
            item.set("Cap_supplier", p.supplier);
            item.set("Cap_invoice", p.invoice);
            item.set("Cap_ref", kind ? QString::number(cheque) : QString());
            item.set("Cap_date", kind ? lastYear.addDays(30) : lastYear);
            item.set("Cap_type", kind ? "2" : "1");
            item.set("Cap_du_date", lastYear.addDays(30));
            item.set("Cap_amount", kind ? -cents(p.amount) : cents(p.amount));
            item.set("Cap_user", "ADMIN");
            table("caph").post();
        }
        ++cheque;
    }
}

// The current year's statistics, last year's (psvstatc, psastats) and two
// archived years listed in the years files.
void Demo::writeStatisticsArchives()
{
    std::uniform_int_distribution<int> factor(60, 140);
    auto writeClientStats = [&](const QString& name, double scale) {
        if (!m_db->tableExists(name))
            m_db->createTable(*FindTableDef(QStringLiteral("svstatc")), name);
        TableFiller filler(m_db, name);
        for (const Client& c : m_clients) {
            RecordWriter& r = filler.add();
            r.set("Svstatc_client", c.code);
            Currency yearTotal;
            int invoices = 0;
            for (int m = 1; m <= 12; ++m) {
                Currency sales = c.statSales[m];
                Currency cost = c.statCost[m];
                double qty = c.statQty[m];
                if (scale > 0) { // a past year: a plausible year of business
                    const double f = scale * factor(m_rng) / 100.0;
                    sales = cents(c.creditLimit * 0.08 * f);
                    cost = cents(c.creditLimit * 0.08 * f * 0.62);
                    qty = std::round(c.creditLimit * 0.002 * f);
                    invoices += 2;
                }
                r.set(QStringLiteral("Svstatc_dols%1").arg(m), sales);
                r.set(QStringLiteral("Svstatc_cost%1").arg(m), cost);
                r.set(QStringLiteral("Svstatc_Qty%1").arg(m), qty);
                yearTotal += sales;
            }
            r.set("Svstatc_date", scale > 0 ? QDate(m_year - 1, 12, 31) : c.lastSaleDate);
            r.set("Svstatc_invoice", scale > 0 ? invoices : c.statInvoices);
            r.set("Svstatc_total", yearTotal);
            filler.post();
        }
        m_extraRows.emplace_back(name, filler.rows());
    };
    auto writeSupplierStats = [&](const QString& name, double scale) {
        if (!m_db->tableExists(name))
            m_db->createTable(*FindTableDef(QStringLiteral("sastats")), name);
        TableFiller filler(m_db, name);
        for (const Supplier& s : m_suppliers) {
            const SupplierStats st = m_supplierStats.value(QString::fromLatin1(s.code));
            RecordWriter& r = filler.add();
            r.set("Supplier", s.code);
            Currency total;
            for (int m = 1; m <= 12; ++m) {
                Currency cost = st.cost[m];
                double qty = st.qty[m];
                if (scale > 0) {
                    const double f = scale * factor(m_rng) / 100.0;
                    cost = cents(900.0 * f);
                    qty = std::round(20 * f);
                }
                r.set(QStringLiteral("Cost%1").arg(m), cost);
                r.set(QStringLiteral("Qty%1").arg(m), qty);
                total += cost;
            }
            r.set("Date", scale > 0 ? QDate(m_year - 1, 12, 31) : s.lastPurchaseDate);
            r.set("PO", scale > 0 ? 6 : st.orders);
            r.set("Total", total);
            filler.post();
        }
        m_extraRows.emplace_back(name, filler.rows());
    };

    writeClientStats(QStringLiteral("svstatc"), 0);
    writeClientStats(QStringLiteral("psvstatc"), 1.0);
    // The current year's supplier statistics are the receipts' own.
    writeSupplierStats(QStringLiteral("psastats"), 1.0);
    QStringList years;
    for (int back = 2; back >= 1; --back) {
        const int year = m_year - back;
        writeClientStats(QStringLiteral("svstatc%1").arg(year), 1.0 - 0.1 * back);
        writeSupplierStats(QStringLiteral("sastats%1").arg(year), 1.0 - 0.1 * back);
        years << QString::number(year);
    }
    for (const char* file : {"SvstatYears", "SastatYears"}) {
        QFile f(QDir(m_folder).filePath(QString::fromLatin1(file)));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            throw SetupError(QStringLiteral("The file %1 cannot be written.").arg(f.fileName()));
        QTextStream(&f) << years.join(QLatin1Char('\n')) << '\n';
    }
}

void Demo::writeEmployees()
{
    const struct {
        const char* code;
        const char* name;
        const char* occupation;
        double rate;
        bool hourly;
    } employees[] = {{"BEAUCHEMIN", "Martine Beauchemin", "Directrice générale", 0, false},
                     {"LAFLAMME", "Éric Laflamme", "Commis d'entrepôt", 22.50, true},
                     {"NADEAU", "Geneviève Nadeau", "Conseillère aux ventes", 24.75, true}};
    for (const auto& e : employees) {
        RecordWriter& r = table("emp").add();
        r.set("Emp_Code", e.code);
        r.set("Emp_Name", QString::fromUtf8(e.name));
        r.set("Emp_City", QString::fromUtf8("Trois-Rivières"));
        r.set("Emp_province", QString::fromUtf8("Québec"));
        r.set("Emp_Occupation", QString::fromUtf8(e.occupation));
        r.set("Emp_Start_Date", QDate(m_year - 6, 3, 1));
        r.set("Emp_Active", true);
        r.set("Emp_Hourly", e.hourly);
        r.set("Emp_Hourly_Rate", e.rate);
        r.set("Emp_pay_periods", 26);
        table("emp").post();
    }
    RecordWriter& d = table("Pndept").add();
    d.set("Pndept_code", 1);
    d.set("Pndept_name", QStringLiteral("Magasin"));
    table("Pndept").post();
}

// The suppliers before any posting.
void Demo::writeSuppliers()
{
    for (const Supplier& s : m_suppliers) {
        RecordWriter& r = table("sup").add();
        r.set("Sup_code", s.code);
        r.set("Sup_name", QString::fromUtf8(s.name));
        r.set("Sup_adr1", QString::fromUtf8(s.address));
        r.set("Sup_city", QString::fromUtf8(s.city));
        r.set("Sup_prov", QString::fromUtf8(s.province));
        r.set("Sup_country", QString::fromUtf8(s.country));
        r.set("Sup_postal_code", s.postalCode);
        r.set("Sup_tel", s.telephone);
        r.set("Sup_contact", QString::fromUtf8(s.contact));
        r.set("Sup_email", s.email);
        r.set("Sup_terr", s.currency == 0 ? "QC" : "EXT");
        r.set("Sup_language", QString(QLatin1Char(s.language)));
        r.set("Sup_date_created", QDate(m_year - 4, 2, 1));
        r.set("Sup_po_req", s.currency != 0);
        r.set("Sup_du_days", s.terms);
        r.set("Sup_credit_limit", 25000);
        r.set("Sup_pmt_discount", s.terms == 910 ? 2.0 : 0.0);
        // Balances and purchase figures start at zero: the postings below
        // make them.
        r.set("Sup_current_bal", Currency());
        r.set("Sup_last_purch", Currency());
        r.set("Sup_purch_mth", Currency());
        r.set("Sup_purch_ytd", Currency());
        r.set("Sup_currency", s.currency);
        r.set("Sup_user", "ADMIN");
        r.set("Sup_stamp", QDateTime(m_today, QTime(8, 0)));
        r.set("Sup_bank_account", s.currency == 1 ? kBankUs : kBank);
        r.set("Sup_email_po", s.email[0] != '\0');
        r.set("Sup_accnt1", s.account1);
        r.set("Sup_accnt2", s.account2);
        r.set("Sup_accnt3", s.account3);
        r.set("Sup_copies", 1);
        table("sup").post();
    }
}

// Clients last: their balances, totals and statistics are those the sales
// above accumulated.
void Demo::writeMasters()
{
    for (const Client& c : m_clients) {
        RecordWriter& r = table("cli").add();
        r.set("Cli_code", c.code);
        r.set("Cli_name", QString::fromUtf8(c.name));
        r.set("Cli_adr1", QString::fromUtf8(c.address));
        r.set("Cli_city", QString::fromUtf8(c.city));
        r.set("Cli_prov", QString::fromUtf8("Québec"));
        r.set("Cli_country", "Canada");
        r.set("Cli_postal_code", c.postalCode);
        r.set("Cli_tel", c.telephone);
        r.set("Cli_contact", QString::fromUtf8(c.contact));
        r.set("Cli_email", c.email);
        r.set("Cli_salesrep", c.salesRep);
        r.set("Cli_terr", "MAURICIE");
        r.set("Cli_language", QString(QLatin1Char(c.language)));
        r.set("Cli_bank", QString::fromUtf8("Caisse Desjardins de Trois-Rivières"));
        r.set("Cli_terms", c.terms);
        r.set("Cli_ship_via", QStringLiteral("Livraison Beauchemin"));
        r.set("Cli_date_created", QDate(m_year - 5, 6, 1));
        if (c.lastSaleDate.isValid())
            r.set("Cli_date_last_sale", c.lastSaleDate);
        if (c.lastPaymentDate.isValid())
            r.set("Cli_date_last_pmt", c.lastPaymentDate);
        r.set("Cli_tax_fed", c.taxable);
        r.set("Cli_tax_pro", c.taxable);
        r.set("Cli_du_days", 30);
        r.set("Cli_credit_limit", c.creditLimit);
        r.set("Cli_price_list", 1);
        r.set("Cli_current_bal", c.balance);
        r.set("Cli_last_sale", c.lastSale);
        r.set("Cli_sales_mth", c.monthSales);
        r.set("Cli_sales_ytd", c.yearSales);
        r.set("Cli_user", "ADMIN");
        r.set("Cli_stamp", QDateTime(m_today, QTime(8, 0)));
        r.set("Cli_copies", 1);
        r.set("Cli_accnt1", kSalesHardware);
        r.set("Cli_accnt2", kSalesGas);
        table("cli").post();
    }
}

// Opening stock in each store, before the receipts post into it.
void Demo::writeOpeningStock()
{
    // Stock in each store: three cost layers, newest first; layers 4 and 5
    // empty (no cost, no date).
    for (const Product& p : kProducts) {
        for (int store = 1; store <= 3; ++store) {
            const Stock st = m_stock[{QString::fromLatin1(p.line), QString::fromLatin1(p.item), store}];
            if (!st.kept)
                continue;
            RecordWriter& r = table("ivinv").add();
            r.set("Ivinv_Line_Code", p.line);
            r.set("Ivinv_item_code", p.item);
            r.set("Ivinv_store", store);
            r.set("Ivinv_bin", QStringLiteral("%1-%2").arg(QString::fromLatin1(p.line)).arg(store * 10 + 1));
            r.set("Ivinv_lead_days", 7);
            double onHand = 0;
            for (int layer = 1; layer <= 3; ++layer) {
                const double qty = st.layers[layer - 1];
                const double cost = std::round(p.cost * (1.0 - 0.02 * (layer - 1)) * 100.0) / 100.0;
                r.set(QStringLiteral("Ivinv_qty%1").arg(layer), qty);
                r.set(QStringLiteral("Ivinv_cost%1").arg(layer), cost);
                r.set(QStringLiteral("Ivinv_date_cost%1").arg(layer), m_today.addDays(-30 * layer - 5));
                onHand += qty;
            }
            r.set("Ivinv_on_hand", onHand);
            r.set("Ivinv_min", 5);
            r.set("Ivinv_max", 60);
            r.set("Ivinv_min_order", 10);
            r.set("Ivinv_max_order", 50);
            r.set("Ivinv_on_order", 0.0);
            r.set("Ivinv_mth_rec", 0.0);
            r.set("Ivinv_ytd_rec", 0.0);
            r.set("Ivinv_date_lst_sale", m_today.addDays(-3));
            r.set("Ivinv_mth_start_qty", onHand);
            if (p.volume)
                r.set("Ivinv_CylindersOnHand", static_cast<int>(onHand));
            table("ivinv").post();
        }
    }
}

DemoSummary Demo::run()
{
    m_suppliers = {
        {"LEVESQUE", "Distribution Lévesque inc.", "2250, rue King Ouest", "Sherbrooke", "Québec", "Canada", "J1J 2E8",
         "819 555-0110", "Josée Lévesque", "commandes@distlevesque.example", 'F', 0, 30, kPurchasesGoods, kFreight, 0},
        {"GAGNON", "Quincaillerie Gagnon & Fils", "88, rue Principale", "Louiseville", "Québec", "Canada", "J5V 1L1",
         "819 555-0177", "Réjean Gagnon", "rejean@gagnonfils.example", 'F', 0, 45, kPurchasesGoods, 0, 0},
        {"GAZIND", "Gaz Industriels du Québec ltée", "4100, boulevard Industriel", "Laval", "Québec", "Canada",
         "H7L 4R9", "450 555-0190", "Annie Thériault", "service@gazindqc.example", 'F', 0, 910, kPurchasesGas, kFreight,
         0},
        {"HYDRO", "Hydro-Québec", "C.P. 11022, succ. Centre-ville", "Montréal", "Québec", "Canada", "H3C 4V6",
         "1 888 555-0101", "Service à la clientèle", "", 'F', 0, 21, kElectricity, 0, 0},
        {"VIDEOTRON", "Vidéotron ltée", "612, rue Saint-Jacques", "Montréal", "Québec", "Canada", "H3C 4M8",
         "1 877 555-0155", "Service aux entreprises", "affaires@videotron.example", 'F', 0, 925, kTelecom, 0, 0},
        {"COTEIMPR", "Imprimerie Côté", "315, rue des Forges", "Trois-Rivières", "Québec", "Canada", "G9A 2G9",
         "819 555-0123", "Hélène Côté", "helene@imprimeriecote.example", 'F', 0, 30, kOfficeSupplies, 0, 0},
        {"BELANGER", "Transport Bélanger", "1200, rue Fusey", "Cap-de-la-Madeleine", "Québec", "Canada", "G8T 2V7",
         "819 555-0166", "François Bélanger", "repartition@tbelanger.example", 'F', 0, 15, kFreight, 0, 0},
        {"PELLETIER", "Matériaux Pelletier", "5005, boulevard Jean-XXIII", "Trois-Rivières", "Québec", "Canada",
         "G8Z 4A1", "819 555-0148", "Mathieu Pelletier", "ventes@materiauxpelletier.example", 'F', 0, 60,
         kPurchasesGoods, kFreight, 0},
        {"MIDWEST", "Midwest Tool Supply Corp.", "2700 W. Roosevelt Rd", "Chicago", "Illinois", "United States",
         "60608", "+1 312 555-0140", "Karen Novak", "orders@midwesttool.example", 'E', 1, 30, kPurchasesGoods, kFreight,
         0},
        {"GLFAST", "Great Lakes Fasteners Inc.", "915 Industrial Pkwy", "Buffalo", "New York", "United States", "14227",
         "+1 716 555-0133", "Dan Kowalski", "sales@glfasteners.example", 'E', 1, 45, kPurchasesGoods, 0, 0},
        {"LEFEVRE", "Outillage Lefèvre SARL", "18, rue de la Villette", "Lyon", "Rhône", "France", "69003",
         "+33 4 72 55 01 20", "Céline Lefèvre", "export@outillage-lefevre.example", 'F', 2, 60, kPurchasesGoods, 0, 0},
        {"MULLER", "Werkzeug Müller GmbH", "Industriestraße 12", "Stuttgart", "Baden-Württemberg", "Deutschland",
         "70565", "+49 711 555 0140", "Jürgen Müller", "export@werkzeug-mueller.example", 'E', 2, 930, kPurchasesGoods,
         0, 0},
    };
    m_clients = {
        {"TREMBLAY", "Construction Tremblay inc.", "740, rue Bellefeuille", "Trois-Rivières", "G9A 3Y3", "819 555-0201",
         "Stéphane Tremblay", "comptes@constructiontremblay.example", 'F', 1, "JMB", true, 15000},
        {"BERGERON", "Rénovations Bergeron", "31, rue Notre-Dame", "Champlain", "G0X 1C0", "819 555-0214",
         "Nathalie Bergeron", "nathalie@renobergeron.example", 'F', 2, "SGA", true, 5000},
        {"LACHANCE", "Ferme Lachance S.E.N.C.", "2015, rang Saint-Charles", "Saint-Maurice", "G0X 2X0", "819 555-0228",
         "Pierre Lachance", "", 'F', 1, "LTR", true, 3000},
        {"GAGNE", "Soudure Gagné & Fils", "455, rue de l'Industrie", "Bécancour", "G9H 3P3", "819 555-0235",
         "Yves Gagné", "yves@soudure-gagne.example", 'F', 5, "LTR", true, 10000},
        {"ROY", "Les Entreprises Roy ltée", "1880, boulevard du Saint-Maurice", "Trois-Rivières", "G9A 3R6",
         "819 555-0247", "Chantal Roy", "chantal@entreprisesroy.example", 'F', 3, "JMB", true, 8000},
        {"PELLETIERG", "Garage Pelletier", "12, route 153", "Saint-Tite", "G0X 3H0", "418 555-0251", "Gilles Pelletier",
         "garagepelletier@example.com", 'F', 4, "SGA", true, 2000},
        {"BECANCOUR", "Ville de Bécancour", "1295, avenue Nicolas-Perrot", "Bécancour", "G9H 1A1", "819 555-0262",
         "Service des travaux publics", "achats@becancour.example", 'F', 1, "JMB", false, 25000},
        {"COTE", "Menuiserie Côté", "67, rue Saint-Laurent", "Louiseville", "J5V 1J8", "819 555-0273",
         "Marc-André Côté", "ma.cote@menuiseriecote.example", 'F', 2, "SGA", true, 4000},
        {"NMAINE", "Northern Maine Builders", "14 Main Street", "Fort Kent", "04743", "+1 207 555-0280", "Bob Michaud",
         "bob@nmbuilders.example", 'E', 1, "LTR", false, 5000},
    };

    // What the postings stand on, in one transaction.
    {
        Transaction tx(m_db);
        writeChart();
        writeTaxesTermsAndReps();
        writeCurrencies();
        writeStoresAndProducts();
        writeJobCost();
        writeSuppliers();
        writeOpeningStock();
        tx.commit();
    }
    // Purchases, credits and receipts are posted as the windows post them,
    // each in its own transaction.
    writePurchases();
    writeOrdersAndReceipts();
    {
        Transaction tx(m_db);
        writeSales();
        writeHistory();
        writeStatisticsArchives();
        writeEmployees();
        writeMasters();
        tx.commit();
    }

    DemoSummary summary;
    for (const QString& name : m_db->tableNames()) {
        Query rows(m_db, QStringLiteral("SELECT COUNT(*) AS n FROM %1").arg(name));
        rows.open();
        const int n = static_cast<int>(rows.field(QStringLiteral("n")).asInteger());
        if (n > 0)
            summary.rows.emplace_back(name, n);
    }
    return summary;
}

} // namespace

DemoSummary BuildDemoCompany(const QString& dataRoot)
{
    CompanyOptions o;
    o.number = 1;
    o.name = QStringLiteral("Quincaillerie Beauchemin inc.");
    o.address1 = QString::fromUtf8("1450, boulevard des Forges");
    o.city = QString::fromUtf8("Trois-Rivières");
    o.province = QString::fromUtf8("Québec");
    o.country = QStringLiteral("Canada");
    o.postalCode = QStringLiteral("G8Z 1T7");
    o.telephone = QStringLiteral("819 555-0142");
    o.contact = QStringLiteral("Martine Beauchemin");
    o.language = 2;
    o.periods = 12;
    o.currentPeriod = QDate::currentDate().month();
    o.payroll = true;
    o.jobCost = true;
    // Registered only once every posting is in: an interrupted run leaves no
    // company that check would pass or a new run would refuse.
    CompanyCreation creation(dataRoot, o);
    Demo demo(creation.database(), creation.folder());
    const DemoSummary summary = demo.run();
    creation.finish();
    return summary;
}
