#pragma once
// Small tables of their own for the engine tests: a supplier-like master with
// its open items, built in a fresh data folder for each test.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"

namespace varnex::data::testing {

inline TableDef SupplierDef(const QString& name = QStringLiteral("sup"))
{
    TableDef def;
    def.name = name;
    def.fields = {
        {QStringLiteral("Sup_code"), FieldType::Text, 10},
        {QStringLiteral("Sup_name"), FieldType::Text, 30},
        {QStringLiteral("Sup_current_bal"), FieldType::Money, 0},
        {QStringLiteral("Sup_terms"), FieldType::ShortInteger, 0},
        {QStringLiteral("Sup_since"), FieldType::Date, 0},
        {QStringLiteral("Sup_active"), FieldType::Logical, 0},
    };
    def.indexes = {
        {QString(), {QStringLiteral("Sup_code")}, true, true},
        {QStringLiteral("ByName"), {QStringLiteral("Sup_name")}, false, false},
    };
    return def;
}

inline TableDef OpenItemDef(const QString& name = QStringLiteral("cap"))
{
    TableDef def;
    def.name = name;
    def.fields = {
        {QStringLiteral("Cap_supplier"), FieldType::Text, 10},
        {QStringLiteral("Cap_invoice"), FieldType::Text, 12},
        {QStringLiteral("Cap_date"), FieldType::Date, 0},
        {QStringLiteral("Cap_amount"), FieldType::Money, 0},
    };
    def.indexes = {{QString(),
                    {QStringLiteral("Cap_supplier"), QStringLiteral("Cap_invoice"), QStringLiteral("Cap_date")},
                    true,
                    true}};
    return def;
}

// "S0042": supplier codes in key order for tests that make many.
inline QString SupplierCode(int i)
{
    return QStringLiteral("S%1").arg(i, 4, 10, QLatin1Char('0'));
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        db = Database::forFolder(m_dir.path());
    }
    void TearDown() override { db.reset(); }

    QString folder() const { return m_dir.path(); }

    std::unique_ptr<Table> openTable(const QString& name)
    {
        auto table = std::make_unique<Table>();
        table->setDatabase(db);
        table->setTableName(name);
        table->open();
        return table;
    }

    void addSupplier(Table& sup, const QString& code, const QString& name, const QString& balance = QStringLiteral("0"))
    {
        sup.append();
        sup.field(QStringLiteral("Sup_code")).setString(code);
        sup.field(QStringLiteral("Sup_name")).setString(name);
        sup.field(QStringLiteral("Sup_current_bal")).setValue(balance);
        sup.post();
    }

    void addItem(Table& cap, const QString& supplier, const QString& invoice, const QDate& date, const QString& amount)
    {
        cap.append();
        cap.field(QStringLiteral("Cap_supplier")).setString(supplier);
        cap.field(QStringLiteral("Cap_invoice")).setString(invoice);
        cap.field(QStringLiteral("Cap_date")).setDate(date);
        cap.field(QStringLiteral("Cap_amount")).setValue(amount);
        cap.post();
    }

    // The values of one field in cursor order, walking forwards.
    static QStringList walk(DataSet& t, const QString& field)
    {
        QStringList seen;
        for (t.first(); !t.eof(); t.next())
            seen << t.field(field).asString();
        return seen;
    }
    static QStringList walkBackwards(DataSet& t, const QString& field)
    {
        QStringList seen;
        for (t.last(); !t.bof(); t.prior())
            seen.prepend(t.field(field).asString());
        return seen;
    }

    std::shared_ptr<Database> db;

private:
    QTemporaryDir m_dir;
};

// The tests run on the server engine (VARNEX_ENGINE=postgresql).
inline bool OnServer()
{
    return qgetenv("VARNEX_ENGINE") == "postgresql";
}

// Runs `action` and returns the engine error code it raised (0 when none).
inline int ErrorCodeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EngineError& e) {
        return e.code();
    }
    return 0;
}

} // namespace varnex::data::testing
