// Ranges and master links walked across many pages: every record of the
// range once, in key order, in both directions and back and forth, whatever
// the range's shape; and the statement a page is read with seeks in the key
// instead of scanning the range from its start.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <QTemporaryDir>

#include <algorithm>
#include <random>

#include "engine_fixture.h"
#include "keyset_sql.h"

using namespace varnex::data;
using namespace varnex::data::testing;

namespace {

// Three accounts of 700 lines; every seventh line has no invoice (NULL,
// which sorts first). Lines are written in a shuffled order so that the
// record ids do not follow the key.
struct Line {
    QString account;
    QString invoice; // empty: NULL
    int seq;
    int written; // place in the writing order: breaks ties like the record id
};

constexpr int LinesPerAccount = 700;

TableDef LineDef()
{
    TableDef def;
    def.name = QStringLiteral("lines");
    def.fields = {
        {QStringLiteral("Acct"), FieldType::Text, 8},
        {QStringLiteral("Inv"), FieldType::Text, 8},
        {QStringLiteral("Seq"), FieldType::Integer, 0},
    };
    def.indexes = {
        {QString(), {QStringLiteral("Acct"), QStringLiteral("Inv"), QStringLiteral("Seq")}, true, true},
        {QStringLiteral("BySeq"), {QStringLiteral("Seq")}, false, false},
    };
    return def;
}

QString labelOf(const QString& account, const QString& invoice, qlonglong seq)
{
    return QStringLiteral("%1/%2/%3").arg(account, invoice.isEmpty() ? QStringLiteral("-") : invoice).arg(seq);
}

QString labelOf(DataSet& t)
{
    return labelOf(t.field(QStringLiteral("Acct")).asString(), t.field(QStringLiteral("Inv")).asString(),
                   t.field(QStringLiteral("Seq")).asInteger());
}

// The engine's order of two key prefixes: NULL (empty) first, then by value.
int compareKeys(const QVariantList& a, const QVariantList& b)
{
    for (int i = 0; i < std::min(a.size(), b.size()); ++i) {
        const bool an = !a[i].isValid() || (a[i].typeId() == QMetaType::QString && a[i].toString().isEmpty());
        const bool bn = !b[i].isValid() || (b[i].typeId() == QMetaType::QString && b[i].toString().isEmpty());
        if (an != bn)
            return an ? -1 : 1;
        if (an)
            continue;
        const int c = a[i].typeId() == QMetaType::QString
                          ? a[i].toString().compare(b[i].toString())
                          : (a[i].toLongLong() > b[i].toLongLong()) - (a[i].toLongLong() < b[i].toLongLong());
        if (c != 0)
            return c;
    }
    return 0;
}

class RangeTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(LineDef());
        for (const char* account : {"A", "B", "C"})
            for (int i = 0; i < LinesPerAccount; ++i)
                lines.push_back({QString::fromLatin1(account),
                                 i % 7 == 3 ? QString() : QStringLiteral("I%1").arg(i / 5, 3, 10, QLatin1Char('0')), i,
                                 0});
        std::mt19937 random(13);
        std::shuffle(lines.begin(), lines.end(), random);
        Transaction tx(db);
        auto table = openTable(QStringLiteral("lines"));
        for (size_t i = 0; i < lines.size(); ++i) {
            lines[i].written = static_cast<int>(i);
            table->append();
            table->field(QStringLiteral("Acct")).setString(lines[i].account);
            table->field(QStringLiteral("Inv")).setString(lines[i].invoice);
            table->field(QStringLiteral("Seq")).setInteger(lines[i].seq);
            table->post();
        }
        tx.commit();
    }

    // What a cursor in the primary key's order (or by sequence alone)
    // limited to [low, high] must show, in its order.
    QStringList expected(bool bySeq, const QVariantList& low, const QVariantList& high) const
    {
        std::vector<Line> in;
        for (const Line& l : lines) {
            const QVariantList key = bySeq ? QVariantList{l.seq} : QVariantList{l.account, l.invoice, l.seq};
            if ((low.isEmpty() || compareKeys(key, low) >= 0) && (high.isEmpty() || compareKeys(key, high) <= 0))
                in.push_back(l);
        }
        std::sort(in.begin(), in.end(), [&](const Line& a, const Line& b) {
            const int c = bySeq ? compareKeys({a.seq}, {b.seq})
                                : compareKeys({a.account, a.invoice, a.seq}, {b.account, b.invoice, b.seq});
            return c != 0 ? c < 0 : a.written < b.written;
        });
        QStringList labels;
        for (const Line& l : in)
            labels << labelOf(l.account, l.invoice, l.seq);
        return labels;
    }

    std::vector<Line> lines;
};

// Lists compared as one text each, so that a failure shows where they part.
std::string joined(const QStringList& labels)
{
    return labels.join(QLatin1Char(' ')).toStdString();
}

QStringList walkLabels(DataSet& t)
{
    QStringList seen;
    for (t.first(); !t.eof(); t.next())
        seen << labelOf(t);
    return seen;
}

QStringList walkLabelsBackwards(DataSet& t)
{
    QStringList seen;
    for (t.last(); !t.bof(); t.prior())
        seen.prepend(labelOf(t));
    return seen;
}

// Three steps on, one back, again and again: the pages read going on and
// coming back must join without a gap or a repeat.
QStringList zigzagLabels(DataSet& t)
{
    QStringList seen;
    t.first();
    while (!t.eof()) {
        seen << labelOf(t);
        t.next();
        if (t.eof())
            break;
        t.next();
        if (t.eof()) {
            // Stayed on the last record, not seen yet.
            seen << labelOf(t);
            break;
        }
        t.prior();
    }
    return seen;
}

} // namespace

TEST_F(RangeTest, EveryRangeShapeWalksInKeyOrderAcrossPages)
{
    const QString A = QStringLiteral("A"), B = QStringLiteral("B"), C = QStringLiteral("C");
    struct Case {
        const char* what;
        bool bySeq;
        QVariantList low, high;
    };
    const QList<Case> cases = {
        {"one account, both ends equal", false, {B}, {B}},
        {"one account, a span of its invoices", false, {B, QStringLiteral("I010")}, {B, QStringLiteral("I090")}},
        {"one account, invoices from its first", false, {B}, {B, QStringLiteral("I020")}},
        {"one account, invoices to its last", false, {B, QStringLiteral("I100")}, {B}},
        {"one account, its lines without an invoice", false, {B, QString()}, {B, QString()}},
        {"one invoice of one account", false, {B, QStringLiteral("I050")}, {B, QStringLiteral("I050")}},
        {"one whole key", false, {C, QStringLiteral("I010"), 51}, {C, QStringLiteral("I010"), 51}},
        {"across accounts", false, {A, QStringLiteral("I120")}, {C, QStringLiteral("I005")}},
        {"two whole accounts", false, {A}, {B}},
        {"from an account on", false, {B}, {}},
        {"up to an account", false, {}, {A}},
        {"no range", false, {}, {}},
        {"a key that is not unique, one value", true, {100}, {100}},
        {"a key that is not unique, a span", true, {100}, {400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto table = openTable(QStringLiteral("lines"));
        if (c.bySeq)
            table->setIndexFieldNames(QStringLiteral("Seq"));
        table->setRange(c.low, c.high);
        const QStringList want = expected(c.bySeq, c.low, c.high);
        ASSERT_FALSE(want.isEmpty());
        EXPECT_EQ(joined(walkLabels(*table)), joined(want));
        EXPECT_EQ(joined(walkLabelsBackwards(*table)), joined(want));
        EXPECT_EQ(joined(zigzagLabels(*table)), joined(want));
        EXPECT_EQ(table->recordCount(), want.size());
    }
}

// Pages grow (16, 64, 256, then 512 records) while a walk goes on through
// them, so 2,100 records take eight statements and not one per sixteen.
TEST_F(RangeTest, LongWalksReadFewGrowingPagesEitherWay)
{
    struct Case {
        const char* what;
        bool backwards;
        QVariantList range;
        std::uint64_t most; // pages, the one that finds the end included
    };
    const QList<Case> cases = {
        {"whole table onwards", false, {}, 8},
        {"whole table backwards", true, {}, 8},
        {"one account onwards", false, {QStringLiteral("B")}, 5},
        {"one account backwards", true, {QStringLiteral("B")}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto table = openTable(QStringLiteral("lines"));
        table->setRange(c.range, c.range);
        const QStringList want = expected(false, c.range, c.range);
        const std::uint64_t before = db->backend().pagesRead();
        const QStringList seen = c.backwards ? walkLabelsBackwards(*table) : walkLabels(*table);
        EXPECT_EQ(joined(seen), joined(want));
        EXPECT_LE(db->backend().pagesRead() - before, c.most);
    }
}

TEST_F(RangeTest, SearchesInsideARangeStayInsideIt)
{
    auto table = openTable(QStringLiteral("lines"));
    table->setRange({QStringLiteral("B")}, {QStringLiteral("B")});
    // A key of another account is outside: nothing found, the cursor stays.
    table->first();
    table->next();
    const QString before = labelOf(*table);
    EXPECT_FALSE(table->findKey({QStringLiteral("C"), QStringLiteral("I010")}));
    EXPECT_FALSE(table->findKey({QStringLiteral("A")}));
    EXPECT_EQ(labelOf(*table), before);
    ASSERT_TRUE(table->findKey({QStringLiteral("B"), QStringLiteral("I100")}));
    EXPECT_EQ(labelOf(*table), QStringLiteral("B/I100/501"));
    // A walk on from a found key reads the rest of the range in order.
    const QStringList all = expected(false, {QStringLiteral("B")}, {QStringLiteral("B")});
    QStringList rest;
    for (; !table->eof(); table->next())
        rest << labelOf(*table);
    EXPECT_EQ(joined(rest), joined(all.mid(all.indexOf(QStringLiteral("B/I100/501")))));
    // Nearest to a key before the range is its first record; beyond it, eof.
    table->findNearest({QStringLiteral("A"), QStringLiteral("I999")});
    EXPECT_EQ(labelOf(*table), all.first());
    table->findNearest({QStringLiteral("C")});
    EXPECT_TRUE(table->eof());
    EXPECT_TRUE(table->locatePrefix({QStringLiteral("B"), QStringLiteral("I13")}));
    EXPECT_EQ(labelOf(*table), QStringLiteral("B/I130/650"));
}

TEST_F(RangeTest, DetailOfALongAccountWalksItAndSearchesOnlyIt)
{
    TableDef accounts;
    accounts.name = QStringLiteral("accounts");
    accounts.fields = {{QStringLiteral("Code"), FieldType::Text, 8}};
    accounts.indexes = {{QString(), {QStringLiteral("Code")}, true, true}};
    db->createTable(accounts);
    auto master = openTable(QStringLiteral("accounts"));
    for (const char* code : {"A", "B", "C", "D"}) {
        master->append();
        master->field(QStringLiteral("Code")).setString(QString::fromLatin1(code));
        master->post();
    }
    {
        auto detail = std::make_unique<Table>();
        detail->setDatabase(db);
        detail->setTableName(QStringLiteral("lines"));
        detail->setMaster(master.get(), QStringLiteral("Code"));
        detail->open();
        for (master->first(); !master->eof(); master->next()) {
            const QString code = master->field(QStringLiteral("Code")).asString();
            SCOPED_TRACE(code.toStdString());
            const QStringList want = code == QLatin1String("D") ? QStringList() : expected(false, {code}, {code});
            EXPECT_EQ(joined(walkLabels(*detail)), joined(want));
            EXPECT_EQ(joined(walkLabelsBackwards(*detail)), joined(want));
            EXPECT_EQ(detail->recordCount(), want.size());
        }
        master->findKey({QStringLiteral("B")});
        EXPECT_FALSE(detail->findKey({QStringLiteral("C")}));
        EXPECT_TRUE(detail->findKey({QStringLiteral("B")}));
        EXPECT_EQ(detail->field(QStringLiteral("Acct")).asString(), QStringLiteral("B"));
    }
}

namespace {

class SqliteTestDialect final : public SqlDialect {
public:
    std::string name(const QString& identifier) const override { return '"' + identifier.toStdString() + '"'; }
    const char* rowIdColumn() const override { return "rowid"; }
    std::string placeholder(int number) const override { return "?" + std::to_string(number); }
    const char* ascending() const override { return ""; }
    const char* descending() const override { return " DESC"; }
};

// How SQLite reads the page statement of `view` from `seek`.
std::string QueryPlan(sqlite3* db, const CursorSpec& view, const Seek& seek)
{
    SqliteTestDialect dialect;
    KeysetSql sql(dialect, view);
    const std::string text = "EXPLAIN QUERY PLAN " + sql.fetch(seek, 64);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, text.c_str(), -1, &s, nullptr) != SQLITE_OK)
        return "cannot prepare: " + text;
    std::string plan;
    while (sqlite3_step(s) == SQLITE_ROW)
        plan += reinterpret_cast<const char*>(sqlite3_column_text(s, 3)) + std::string("\n");
    sqlite3_finalize(s);
    return plan;
}

} // namespace

TEST(KeysetSqlTest, PagesOfARangeSeekInTheKeyInsteadOfScanningFromTheRangeStart)
{
    QTemporaryDir dir;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.filePath(QStringLiteral("plan.sqlite")).toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE \"lines\" (\"Acct\" TEXT, \"Inv\" TEXT, \"Seq\" INT);"
                           "CREATE UNIQUE INDEX pk ON \"lines\" (\"Acct\", \"Inv\", \"Seq\");"
                           "CREATE INDEX byacct ON \"lines\" (\"Acct\");",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    CursorSpec view;
    view.table = QStringLiteral("lines");
    view.fields = LineDef().fields;
    view.orderFields = {0, 1, 2};
    const Seek after{SeekMode::After, {QStringLiteral("B"), QStringLiteral("I010"), 52}, 7};
    const Seek atOrAfter{SeekMode::AtOrAfter, {QStringLiteral("B"), QStringLiteral("I010")}, 0};
    struct Case {
        const char* what;
        QVariantList link, low, high;
        Seek seek;
        const char* searched; // the index search SQLite reports
    };
    const QList<Case> cases = {
        {"range with equal ends", {}, {"B"}, {"B"}, after, "(Acct=? AND (Inv,Seq)>(?,?))"},
        {"master link", {"B"}, {}, {}, after, "(Acct=? AND (Inv,Seq)>(?,?))"},
        {"range of invoices of one account", {}, {"B", "I001"}, {"B", "I200"}, after, "(Acct=? AND (Inv,Seq)>(?,?))"},
        {"range across accounts", {}, {"A"}, {"C"}, after, "((Acct,Inv,Seq)>(?,?,?))"},
        {"search inside a range", {}, {"B"}, {"B"}, atOrAfter, "(Acct=? AND Inv>?)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.linkValues = c.link;
        view.low = c.low;
        view.high = c.high;
        const std::string plan = QueryPlan(db, view, c.seek);
        EXPECT_NE(plan.find(std::string("INDEX pk ") + c.searched), std::string::npos) << plan;
    }
    // A key outside the link is not taken for one inside it.
    view.linkValues = {QStringLiteral("B")};
    view.low.clear();
    view.high.clear();
    const Seek elsewhere{SeekMode::AtOrAfter, {QStringLiteral("C"), QStringLiteral("I010")}, 0};
    EXPECT_EQ(KeysetSql::planOf(view, &elsewhere).seekSkip, 0);
    sqlite3_close(db);
}
