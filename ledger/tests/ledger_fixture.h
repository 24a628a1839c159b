#pragma once
// A small company for the ledger tests: a chart with payable accounts per
// currency, suppliers in three currencies, two tax rates, products and
// stores. Works on both engines (the folder names a schema on the server).

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QMap>
#include <QTemporaryDir>

#include <memory>
#include <string_view>

#include "varnex/currency.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"

namespace ledgertest {

using varnex::Currency;

inline Currency money(std::string_view text)
{
    return *Currency::parse(text);
}

constexpr int Payable = 2100;
constexpr int PayableUs = 2110;
constexpr int PayableEuro = 2120;
constexpr int Goods = 5100;
constexpr int Freight = 5300;
constexpr int GstPaid = 1410;
constexpr int QstPaid = 1420;
constexpr int ZeroRated = 1430;

// Every table's row count and a checksum of every value, to show that a
// failed posting left the company exactly as it was.
inline QMap<QString, QByteArray> Snapshot(const std::shared_ptr<varnex::data::Database>& db)
{
    QMap<QString, QByteArray> out;
    for (const QString& name : db->tableNames()) {
        varnex::data::Table t;
        t.setDatabase(db);
        t.setTableName(name);
        t.setReadOnly(true);
        t.open();
        QCryptographicHash hash(QCryptographicHash::Sha1);
        int rows = 0;
        for (t.first(); !t.eof(); t.next()) {
            ++rows;
            for (int i = 0; i < t.fieldCount(); ++i) {
                hash.addData(t.fieldByNumber(i).asString().toUtf8());
                hash.addData(QByteArrayView("|"));
            }
        }
        out.insert(name.toLower(), QByteArray::number(rows) + ' ' + hash.result().toHex());
    }
    return out;
}

class LedgerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString root = m_dir.path() + QStringLiteral("/Lgx/data");
        varnex::data::CreateDataRoot(root);
        varnex::data::CompanyOptions options;
        options.number = 1;
        options.name = QStringLiteral("Test");
        options.taxSystem = 1;
        varnex::data::CreateCompany(root, options);
        m_folder = varnex::data::CompanyFolderOf(root, 1);
        db = varnex::data::Database::forFolder(m_folder);
        fillMasters();
    }

    const QString& folder() const { return m_folder; }

    std::unique_ptr<varnex::data::Table> open(const QString& name)
    {
        auto t = std::make_unique<varnex::data::Table>();
        t->setDatabase(db);
        t->setTableName(name);
        t->open();
        return t;
    }

    void exec(const QString& sql)
    {
        varnex::data::Query q(db, sql);
        q.execSql();
    }

    int count(const QString& sql)
    {
        varnex::data::Query q(db, sql);
        q.open();
        return static_cast<int>(q.fieldByNumber(0).asInteger());
    }

    Currency supplierMoney(const QString& code, const QString& field)
    {
        auto sup = open(QStringLiteral("sup"));
        EXPECT_TRUE(sup->findKey({code}));
        return sup->field(field).asMoney();
    }

    void addSupplier(const QString& code, const QString& name, int currency, int terms)
    {
        auto sup = open(QStringLiteral("sup"));
        sup->append();
        sup->field(QStringLiteral("Sup_code")).setString(code);
        sup->field(QStringLiteral("Sup_name")).setString(name);
        sup->field(QStringLiteral("Sup_currency")).setInteger(currency);
        sup->field(QStringLiteral("Sup_du_days")).setInteger(terms);
        for (const char* f : {"Sup_current_bal", "Sup_last_purch", "Sup_purch_mth", "Sup_purch_ytd"})
            sup->field(QString::fromLatin1(f)).setMoney(Currency());
        sup->post();
    }

    void addProduct(const QString& line, const QString& item, bool serial = false, bool volume = false,
                    double priceUnit = 0)
    {
        auto p = open(QStringLiteral("ivprod"));
        p->append();
        p->field(QStringLiteral("Ivprod_line_code")).setString(line);
        p->field(QStringLiteral("Ivprod_item_code")).setString(item);
        p->field(QStringLiteral("Ivprod_desc_1")).setString(item.toLower());
        p->field(QStringLiteral("Ivprod_std_cost")).setNumber(1.0);
        p->field(QStringLiteral("Ivprod_serial_no")).setLogical(serial);
        p->field(QStringLiteral("Ivprod_VolumeProduct")).setLogical(volume);
        p->field(QStringLiteral("Ivprod_price_unit")).setNumber(priceUnit);
        p->post();
    }

    void fillMasters()
    {
        auto ctrl = open(QStringLiteral("ctrl"));
        ctrl->first();
        ctrl->edit();
        ctrl->field(QStringLiteral("Ctrl_ap_accnt")).setInteger(Payable);
        ctrl->field(QStringLiteral("Ctrl_ap_curr2")).setInteger(PayableUs);
        ctrl->field(QStringLiteral("Ctrl_ap_curr3")).setInteger(PayableEuro);
        ctrl->field(QStringLiteral("Ctrl_ap_curr4")).setInteger(0);
        ctrl->field(QStringLiteral("Ctrl_ap_curr5")).setInteger(0);
        ctrl->field(QStringLiteral("Ctrl_curr1_rate")).setNumber(1.25);
        ctrl->field(QStringLiteral("Ctrl_curr2_rate")).setNumber(1.5);
        ctrl->field(QStringLiteral("Ctrl_TaxSystem")).setInteger(1);
        ctrl->field(QStringLiteral("Ctrl_PreserveSTDCost")).setLogical(false);
        ctrl->post();

        auto glm = open(QStringLiteral("glm"));
        for (int account : {Payable, PayableUs, PayableEuro, Goods, Freight, GstPaid, QstPaid, ZeroRated}) {
            glm->append();
            glm->field(QStringLiteral("Glm_account")).setInteger(account);
            glm->field(QStringLiteral("Glm_Description")).setString(QStringLiteral("Account %1").arg(account));
            glm->post();
        }
        auto rates = open(QStringLiteral("taxratesP"));
        const struct {
            int account;
            const char* description;
            double rate;
            int code;
        } taxes[] = {{GstPaid, "GST", 5.0, 1}, {QstPaid, "QST", 9.975, 2}, {ZeroRated, "Zero", 0.0, 3}};
        for (const auto& t : taxes) {
            rates->append();
            rates->field(QStringLiteral("TaxRates_Account")).setInteger(t.account);
            rates->field(QStringLiteral("TaxRates_Description")).setString(QString::fromLatin1(t.description));
            rates->field(QStringLiteral("TaxRates_Rate")).setNumber(t.rate);
            rates->field(QStringLiteral("TaxRates_Code")).setInteger(t.code);
            rates->post();
        }
        addSupplier(QStringLiteral("ACME"), QStringLiteral("Acme Hardware"), 0, 30);
        addSupplier(QStringLiteral("USCO"), QStringLiteral("US Tools"), 1, 915);
        addSupplier(QStringLiteral("EURO"), QStringLiteral("Euro Gas"), 2, 931);
    }

    QTemporaryDir m_dir;
    QString m_folder;
    std::shared_ptr<varnex::data::Database> db;
};

} // namespace ledgertest
