// SQL with named parameters: typed binding, results read like a table,
// insert statements, and the errors of bad statements.

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

class QueryTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(SupplierDef());
        db->createTable(OpenItemDef());
        auto cap = openTable(QStringLiteral("cap"));
        addItem(*cap, QStringLiteral("ACME"), QStringLiteral("I1"), QDate(2024, 1, 10), QStringLiteral("100.10"));
        addItem(*cap, QStringLiteral("ACME"), QStringLiteral("I2"), QDate(2024, 2, 10), QStringLiteral("0.2"));
        addItem(*cap, QStringLiteral("BOLT"), QStringLiteral("I1"), QDate(2024, 3, 10), QStringLiteral("-5"));
    }
};

TEST_F(QueryTest, ParametersBindByTypeAndResultsReadLikeATable)
{
    Query q(db, QStringLiteral("SELECT Cap_invoice, Cap_date, Cap_amount FROM cap "
                               "WHERE Cap_supplier = :pcode AND Cap_date >= :pFrom AND Cap_amount > :pMin "
                               "ORDER BY Cap_invoice"));
    q.bindText(QStringLiteral("PCODE"), QStringLiteral("ACME"));
    q.bindDate(QStringLiteral(":pFrom"), QDate(2024, 1, 1));
    q.bindMoney(QStringLiteral("pMin"), Currency::fromTicks(2000)); // I2 is exactly 0.2000
    q.open();
    EXPECT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.field(QStringLiteral("cap_invoice")).asString(), QStringLiteral("I1"));
    EXPECT_EQ(q.field(QStringLiteral("Cap_date")).asDate(), QDate(2024, 1, 10));
    EXPECT_EQ(q.field(QStringLiteral("Cap_amount")).asMoney(), Currency::fromTicks(1001000));

    q.bindMoney(QStringLiteral("pMin"), Currency::fromTicks(1999));
    q.open();
    EXPECT_EQ(walk(q, QStringLiteral("Cap_invoice")), (QStringList{"I1", "I2"}));
    EXPECT_EQ(walkBackwards(q, QStringLiteral("Cap_invoice")), (QStringList{"I1", "I2"}));
    EXPECT_EQ(ErrorCodeOf([&] { q.field(QStringLiteral("Cap_invoice")).setString(QStringLiteral("x")); }),
              ErrorCode::ReadOnly);
}

TEST_F(QueryTest, SumsOverMoneyStayExact)
{
    Query q(db, QStringLiteral("SELECT Cap_supplier, SUM(Cap_amount) AS Total, COUNT(*) AS N FROM cap "
                               "GROUP BY Cap_supplier ORDER BY Cap_supplier"));
    q.declareResultField(QStringLiteral("Total"), FieldType::Money);
    q.open();
    EXPECT_EQ(q.field(QStringLiteral("Total")).type(), FieldType::Money);
    EXPECT_EQ(q.field(QStringLiteral("Total")).asMoney(), Currency::fromTicks(1003000));
    EXPECT_EQ(q.field(QStringLiteral("N")).asInteger(), 2);
    q.next();
    EXPECT_EQ(q.field(QStringLiteral("Total")).asMoney(), Currency::fromUnits(-5));
    q.next();
    EXPECT_TRUE(q.eof());
}

TEST_F(QueryTest, InsertStatementAndValuesThatLookLikeSql)
{
    Query insert(db, QStringLiteral("INSERT INTO cap (Cap_supplier, Cap_invoice, Cap_amount) VALUES (:s, :i, :a)"));
    insert.bindText(QStringLiteral("s"), QStringLiteral("O'B\"; --"));
    insert.bindText(QStringLiteral("i"), QStringLiteral("Z9"));
    insert.bindMoney(QStringLiteral("a"), Currency::fromUnits(7));
    EXPECT_EQ(insert.execSql(), 1);
    auto cap = openTable(QStringLiteral("cap"));
    EXPECT_EQ(cap->recordCount(), 4);
    ASSERT_TRUE(cap->findKey({QStringLiteral("O'B\"; --")}));
    EXPECT_EQ(cap->field(QStringLiteral("Cap_amount")).asMoney(), Currency::fromUnits(7));

    // Statements cannot store more characters than a text field holds.
    insert.bindText(QStringLiteral("s"), QStringLiteral("ELEVEN CHAR"));
    insert.bindText(QStringLiteral("i"), QStringLiteral("Z10"));
    EXPECT_EQ(ErrorCodeOf([&] { insert.execSql(); }), ErrorCode::TypeMismatch);
    cap->refresh();
    EXPECT_EQ(cap->recordCount(), 4);
}

TEST_F(QueryTest, BadStatementsAreEngineErrors)
{
    struct Case {
        QString sql;
        QStringList bound;
        int code;
        const char* edge;
    };
    const Case cases[] = {
        {QStringLiteral("SELEKT * FROM cap"), {}, ErrorCode::QuerySyntax, "syntax"},
        {QStringLiteral("SELECT * FROM nothere"), {}, ErrorCode::TableNotFound, "unknown table"},
        {QStringLiteral("SELECT Nope FROM cap"), {}, ErrorCode::FieldNotFound, "unknown field"},
        {QStringLiteral("SELECT * FROM cap WHERE Cap_supplier = :p"),
         {},
         ErrorCode::QueryParameter,
         "unbound parameter"},
        {QStringLiteral("SELECT * FROM cap"),
         {QStringLiteral("extra")},
         ErrorCode::QueryParameter,
         "parameter not in the text"},
        {QStringLiteral("SELECT * FROM cap WHERE Cap_supplier = ?"),
         {},
         ErrorCode::QueryParameter,
         "positional parameter"},
        {QStringLiteral("SELECT 1; DELETE FROM cap"), {}, ErrorCode::QuerySyntax, "two statements"},
        {QStringLiteral("DELETE FROM cap"), {}, ErrorCode::QuerySyntax, "a change opened as a query"},
        {QStringLiteral("   "), {}, ErrorCode::QuerySyntax, "empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        Query q(db, c.sql);
        for (const QString& name : c.bound)
            q.bindInteger(name, 1);
        EXPECT_EQ(ErrorCodeOf([&] { q.open(); }), c.code);
        EXPECT_FALSE(q.isOpen());
    }
    EXPECT_EQ(openTable(QStringLiteral("cap"))->recordCount(), 3);
}

TEST_F(QueryTest, QueryOnAnAliasAndWithAFilter)
{
    DefineAlias(QStringLiteral("supviewdb"), QStringLiteral("path=") + folder());
    Query q;
    q.setAliasName(QStringLiteral("supviewdb"));
    q.setSql(QStringLiteral("SELECT * FROM cap ORDER BY Cap_supplier, Cap_invoice"));
    q.setFilter([](DataSet& t) { return t.field(QStringLiteral("Cap_invoice")).asString() == QLatin1String("I1"); });
    q.open();
    EXPECT_EQ(walk(q, QStringLiteral("Cap_supplier")), (QStringList{"ACME", "BOLT"}));
    EXPECT_EQ(q.recordCount(), 2);
    RemoveAlias(QStringLiteral("supviewdb"));
}

} // namespace
} // namespace varnex::data::testing
