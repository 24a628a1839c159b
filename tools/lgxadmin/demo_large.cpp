// The large company for benchmarks: generated names and amounts, each table
// filled in one transaction. Open items are written before their accounts so
// that every balance is the sum of what was written.

#include "demo.h"

#include "demo_writer.h"

#include "varnex/currency.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"

#include <QHash>

#include <random>
#include <vector>

using namespace varnex;
using namespace varnex::data;

namespace {

constexpr int kClients = 20000;
constexpr int kSuppliers = 5000;
constexpr int kProducts = 50000;
constexpr int kClientItems = 20;   // per client: 400,000
constexpr int kSupplierItems = 20; // per supplier: 100,000

const char* const kFamilies[] = {"Tremblay", "Gagnon",   "Roy",       "Côté",    "Bouchard",  "Gauthier", "Morin",
                                 "Lavoie",   "Fortin",   "Gagné",     "Ouellet", "Pelletier", "Bélanger", "Lévesque",
                                 "Bergeron", "Leblanc",  "Paquette",  "Girard",  "Simard",    "Boucher",  "Caron",
                                 "Beaulieu", "Cloutier", "Dubé",      "Poirier", "Fournier",  "Lapointe", "Leclerc",
                                 "Lefebvre", "Poulin",   "Thériault", "Ménard"};
const char* const kTrades[] = {"Construction", "Rénovations", "Ferme",      "Garage",   "Soudure",  "Menuiserie",
                               "Plomberie",    "Électricité", "Excavation", "Toitures", "Peinture", "Paysagement"};
const char* const kSupplierKinds[] = {"Distribution", "Grossiste",   "Manufacturier",
                                      "Importations", "Fabrication", "Entreprises"};
const char* const kCities[] = {"Trois-Rivières", "Shawinigan", "Bécancour",     "Nicolet",
                               "Louiseville",    "La Tuque",   "Drummondville", "Victoriaville",
                               "Québec",         "Montréal",   "Sherbrooke",    "Saint-Hyacinthe",
                               "Lévis",          "Rimouski",   "Saguenay",      "Gatineau"};
const char* const kLines[] = {"QUI", "OUT", "GAZ", "ELE", "PLO", "PEI", "BOI", "JAR", "SEC", "AUT"};
const char* const kNouns[] = {"Vis", "Boulon",      "Écrou",   "Clou",    "Charnière", "Serrure", "Tuyau", "Raccord",
                              "Fil", "Disjoncteur", "Pinceau", "Rouleau", "Planche",   "Madrier", "Gant",  "Lunettes"};
const char* const kQualifiers[] = {"galvanisé",    "inoxydable", "en laiton",  "robuste",
                                   "de précision", "compact",    "industriel", "économique"};

template <std::size_t N>
QString pick(const char* const (&list)[N], int i)
{
    return QString::fromUtf8(list[static_cast<std::size_t>(i) % N]);
}

// Fills one table in one transaction.
template <typename Fill>
void fillTable(const std::shared_ptr<Database>& db, const char* name, DemoSummary& summary, Fill fill)
{
    Transaction tx(db);
    TableFiller filler(db, QString::fromLatin1(name));
    fill(filler);
    tx.commit();
    summary.rows.emplace_back(QString::fromLatin1(name), filler.rows());
}

} // namespace

DemoSummary BuildLargeDemoCompany(const QString& dataRoot)
{
    CompanyOptions o;
    o.number = 1;
    o.name = QString::fromUtf8("Grossiste Laurentides inc. (données d'essai)");
    o.city = QString::fromUtf8("Trois-Rivières");
    o.province = QString::fromUtf8("Québec");
    o.country = QStringLiteral("Canada");
    o.language = 2;
    o.currentPeriod = QDate::currentDate().month();
    // Registered last, as the small company is.
    CompanyCreation creation(dataRoot, o);
    auto db = creation.database();
    const QDate today = QDate::currentDate();
    std::mt19937 rng(424242);
    std::uniform_int_distribution<int> cents(1500, 250000); // 15.00 to 2,500.00
    std::uniform_int_distribution<int> days(1, 360);
    DemoSummary summary;

    // Client open items: invoices, most of them followed by their payment.
    std::vector<Currency> clientBalance(kClients + 1);
    fillTable(db, "car", summary, [&](TableFiller& f) {
        for (int c = 1; c <= kClients; ++c) {
            const QString code = QStringLiteral("C%1").arg(c, 5, 10, QLatin1Char('0'));
            for (int i = 0; i < kClientItems; i += 2) {
                const QString invoice = QStringLiteral("%1").arg(100000 + c * kClientItems + i);
                const QDate date = today.addDays(-days(rng));
                const Currency amount = Currency::fromTicks(cents(rng) * 100LL);
                RecordWriter& r = f.add();
                r.set("Car_client", code);
                r.set("Car_invoice", invoice);
                r.set("Car_date", date);
                r.set("Car_type", "1");
                r.set("Car_du_date", date.addDays(30));
                r.set("Car_amount", amount);
                f.post();
                // Three payments in four, some partial.
                const Currency paid = (i % 8 == 6)   ? Currency()
                                      : (i % 8 == 4) ? RoundToCents(amount.multipliedBy(0.5))
                                                     : amount;
                RecordWriter& p = f.add();
                p.set("Car_client", code);
                p.set("Car_invoice", invoice);
                p.set("Car_ref", QStringLiteral("R%1").arg(c * kClientItems + i));
                p.set("Car_date", date.addDays(20));
                p.set("Car_type", "2");
                p.set("Car_du_date", date.addDays(20));
                p.set("Car_amount", -paid);
                f.post();
                clientBalance[c] += amount - paid;
            }
        }
    });
    fillTable(db, "cli", summary, [&](TableFiller& f) {
        for (int c = 1; c <= kClients; ++c) {
            RecordWriter& r = f.add();
            r.set("Cli_code", QStringLiteral("C%1").arg(c, 5, 10, QLatin1Char('0')));
            r.set("Cli_name", pick(kTrades, c) + QLatin1Char(' ') + pick(kFamilies, c / 12)
                                  + (c % 3 ? QStringLiteral(" inc.") : QStringLiteral(" et fils")));
            r.set("Cli_adr1", QStringLiteral("%1, rue %2").arg(10 + c % 980).arg(pick(kFamilies, c / 7)));
            r.set("Cli_city", pick(kCities, c));
            r.set("Cli_prov", QString::fromUtf8("Québec"));
            r.set("Cli_country", QStringLiteral("Canada"));
            r.set("Cli_tel", QStringLiteral("819 555-%1").arg(c % 10000, 4, 10, QLatin1Char('0')));
            r.set("Cli_language", c % 5 ? "F" : "E");
            r.set("Cli_terms", 1);
            r.set("Cli_tax_fed", true);
            r.set("Cli_tax_pro", true);
            r.set("Cli_du_days", 30);
            r.set("Cli_credit_limit", 5000 + (c % 10) * 1000);
            r.set("Cli_current_bal", clientBalance[c]);
            r.set("Cli_date_created", today.addYears(-3));
            f.post();
        }
    });

    std::vector<Currency> supplierBalance(kSuppliers + 1);
    fillTable(db, "cap", summary, [&](TableFiller& f) {
        for (int s = 1; s <= kSuppliers; ++s) {
            const QString code = QStringLiteral("F%1").arg(s, 4, 10, QLatin1Char('0'));
            for (int i = 0; i < kSupplierItems; i += 2) {
                const QString invoice = QStringLiteral("A%1").arg(s * kSupplierItems + i);
                const QDate date = today.addDays(-days(rng));
                const Currency amount = Currency::fromTicks(cents(rng) * 100LL);
                RecordWriter& r = f.add();
                r.set("Cap_supplier", code);
                r.set("Cap_invoice", invoice);
                r.set("Cap_date", date);
                r.set("Cap_type", "1");
                r.set("Cap_du_date", date.addDays(30));
                r.set("Cap_amount", amount);
                f.post();
                const Currency paid = (i % 6 == 4) ? Currency() : amount;
                RecordWriter& p = f.add();
                p.set("Cap_supplier", code);
                p.set("Cap_invoice", invoice);
                p.set("Cap_ref", QString::number(5000 + s * kSupplierItems + i));
                p.set("Cap_date", date.addDays(25));
                p.set("Cap_type", "2");
                p.set("Cap_du_date", date.addDays(25));
                p.set("Cap_amount", -paid);
                f.post();
                supplierBalance[s] += amount - paid;
            }
        }
    });
    fillTable(db, "sup", summary, [&](TableFiller& f) {
        for (int s = 1; s <= kSuppliers; ++s) {
            RecordWriter& r = f.add();
            r.set("Sup_code", QStringLiteral("F%1").arg(s, 4, 10, QLatin1Char('0')));
            r.set("Sup_name",
                  pick(kSupplierKinds, s) + QLatin1Char(' ') + pick(kFamilies, s / 6) + QStringLiteral(" ltée"));
            r.set("Sup_city", pick(kCities, s / 3));
            r.set("Sup_prov", QString::fromUtf8("Québec"));
            r.set("Sup_country", QStringLiteral("Canada"));
            r.set("Sup_language", "F");
            const int currency = s % 10 == 0 ? 1 : s % 25 == 1 ? 2 : 0;
            r.set("Sup_currency", currency);
            r.set("Sup_du_days", s % 7 == 0 ? 910 : 30);
            r.set("Sup_current_bal", supplierBalance[s]);
            r.set("Sup_accnt1", 5100);
            r.set("Sup_date_created", today.addYears(-4));
            f.post();
        }
    });

    fillTable(db, "ivprod", summary, [&](TableFiller& f) {
        for (int p = 0; p < kProducts; ++p) {
            RecordWriter& r = f.add();
            r.set("Ivprod_line_code", pick(kLines, p));
            r.set("Ivprod_item_code", QStringLiteral("%1").arg(p, 6, 10, QLatin1Char('0')));
            r.set("Ivprod_desc_1", pick(kNouns, p / 10) + QLatin1Char(' ') + pick(kQualifiers, p / 160)
                                       + QStringLiteral(" n° %1").arg(p % 997));
            r.set("Ivprod_sup1", QStringLiteral("F%1").arg(1 + p % kSuppliers, 4, 10, QLatin1Char('0')));
            r.set("Ivprod_price1", 2.0 + (p % 500) * 0.75);
            r.set("Ivprod_std_cost", 1.0 + (p % 500) * 0.40);
            r.set("Ivprod_um", "UN");
            r.set("Ivprod_tax1", true);
            r.set("Ivprod_tax2", true);
            r.set("Ivprod_alt_key1", QStringLiteral("B%1").arg(p * 7919 % 1000003, 7, 10, QLatin1Char('0')));
            r.set("Ivprod_alt_key2", QStringLiteral("S%1").arg(p, 7, 10, QLatin1Char('0')));
            r.set("Ivprod_serial_no", p % 97 == 0);
            r.set("Ivprod_VolumeProduct", p % 10 == 2 && p % 3 == 0);
            f.post();
        }
    });
    fillTable(db, "ivinv", summary, [&](TableFiller& f) {
        for (int p = 0; p < kProducts; ++p) {
            RecordWriter& r = f.add();
            r.set("Ivinv_Line_Code", pick(kLines, p));
            r.set("Ivinv_item_code", QStringLiteral("%1").arg(p, 6, 10, QLatin1Char('0')));
            r.set("Ivinv_store", 1);
            const double q1 = p % 13, q2 = p % 7 + 1;
            const double cost = 1.0 + (p % 500) * 0.40;
            r.set("Ivinv_qty1", q1);
            r.set("Ivinv_qty2", q2);
            if (q1 > 0) {
                r.set("Ivinv_cost1", cost);
                r.set("Ivinv_date_cost1", today.addDays(-10));
            }
            r.set("Ivinv_cost2", cost * 0.97);
            r.set("Ivinv_date_cost2", today.addDays(-60));
            r.set("Ivinv_on_hand", q1 + q2);
            f.post();
        }
    });
    fillTable(db, "ivmag", summary, [&](TableFiller& f) {
        RecordWriter& r = f.add();
        r.set("Ivmag_store_number", 1);
        r.set("Ivmag_store_name", QString::fromUtf8("Entrepôt central"));
        f.post();
    });
    creation.finish();
    return summary;
}
