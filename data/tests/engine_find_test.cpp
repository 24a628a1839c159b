// Keyed searches: the record found is exactly the one whose key equals the
// values, of every field type; what another workstation committed is what a
// search shows; a search that finds nothing leaves the cursor as it stood.

#include <QProcess>

#include <cmath>

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

TableDef KeyedDef()
{
    TableDef def;
    def.name = QStringLiteral("keyed");
    def.fields = {
        {QStringLiteral("K_text"), FieldType::Text, 40},  {QStringLiteral("K_text2"), FieldType::Text, 40},
        {QStringLiteral("K_int"), FieldType::Integer, 0}, {QStringLiteral("K_money"), FieldType::Money, 0},
        {QStringLiteral("K_num"), FieldType::Number, 0},  {QStringLiteral("K_flag"), FieldType::Logical, 0},
        {QStringLiteral("K_date"), FieldType::Date, 0},   {QStringLiteral("Label"), FieldType::Text, 10},
    };
    // No primary key: equal keys keep the order they were written in.
    def.indexes = {
        {QStringLiteral("ByText"), {QStringLiteral("K_text"), QStringLiteral("K_text2")}, false, false},
        {QStringLiteral("ByInt"), {QStringLiteral("K_int")}, false, false},
        {QStringLiteral("ByMoney"), {QStringLiteral("K_money")}, false, false},
        {QStringLiteral("ByNum"), {QStringLiteral("K_num")}, false, false},
        {QStringLiteral("ByFlag"), {QStringLiteral("K_flag")}, false, false},
        {QStringLiteral("ByDate"), {QStringLiteral("K_date")}, false, false},
    };
    return def;
}

// Longer than a short string keeps inside itself.
const QString LongA = QStringLiteral("a text longer than any short buffer, A");
const QString LongB = QStringLiteral("a text longer than any short buffer, B");
// As long as its field allows.
const QString Longest = QStringLiteral("forty characters, as the field holds: 40");

class FindTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(KeyedDef());
        auto t = openTable(QStringLiteral("keyed"));
        const QVariant none;
        const QDate feb28(2024, 2, 28), feb29(2024, 2, 29);
        // Neighbours of every key: a longer text, another case, an accent,
        // a trailing space, a tenth of a cent, a number off in its last bit.
        const QVariantList rows[] = {
            {"ab", none, 5, "1.0000", 0.3, false, feb28, "r1"},
            {"abc", "x", 50, "1.0001", 0.1 + 0.2, true, feb29, "r2"},
            {"Ab", LongA, -5, "-1", 2.5, true, feb28, "r3"},
            {QStringLiteral("\u00e9"), none, 7, "7", 7.0, false, feb29, "r4"},
            {"e", none, 8, "8", 8.0, false, feb28, "r5"},
            {none, none, none, none, none, none, none, "r6"},
            {"ab", "x", 5, "1.0000", 0.3, false, feb28, "r7"},
            {"ab ", none, 500, "1", 1.0, true, feb28, "r8"},
            {LongA, LongB, 9, "9", 9.0, true, feb28, "r9"},
            {LongA, LongA, 10, "10", 10.0, true, feb28, "r10"},
            {Longest, none, 11, "11", 11.0, true, feb28, "r11"},
        };
        for (const QVariantList& row : rows) {
            t->append();
            for (int i = 0; i < row.size(); ++i)
                t->fieldByNumber(i).setValue(row[i]);
            t->post();
        }
    }

    static QString label(Table& t) { return t.field(QStringLiteral("Label")).asString(); }
};

TEST_F(FindTest, SearchesOfEveryKeyTypeFindExactlyTheirRecord)
{
    struct Case {
        const char* order;
        QVariantList key;
        const char* found; // nullptr: nothing found, the cursor stays
        const char* edge;
    };
    const QDate feb29(2024, 2, 29);
    const Case cases[] = {
        {"K_text", {"ab"}, "r1", "the first of equal keys, not a longer text"},
        {"K_text", {"ab", "x"}, "r7", "two fields"},
        {"K_text", {"Ab"}, "r3", "case counts"},
        {"K_text", {"ab "}, "r8", "a trailing space counts"},
        {"K_text", {QStringLiteral("\u00e9")}, "r4", "an accented letter"},
        {"K_text", {"e"}, "r5", "the same letter without its accent"},
        {"K_text", {"a"}, nullptr, "a prefix is not a key"},
        {"K_text", {QString()}, "r6", "an empty key finds the empty record"},
        {"K_text", {LongA, LongB}, "r9", "two long texts"},
        {"K_text", {LongA, LongA}, "r10", "two long texts, the second one differs"},
        {"K_text", {LongA, LongB.chopped(1)}, nullptr, "a long text cut short"},
        {"K_text", {Longest + QStringLiteral(" and more")}, "r11", "a key longer than its field is cut to it"},
        {"K_int", {5}, "r1", "an integer"},
        {"K_int", {QStringLiteral("50")}, "r2", "an integer given as text"},
        {"K_int", {-5}, "r3", "a negative integer"},
        {"K_int", {6}, nullptr, "an integer between two"},
        {"K_money", {QVariant::fromValue(Currency::fromTicks(10001))}, "r2", "a tenth of a cent more"},
        {"K_money", {QStringLiteral("1")}, "r1", "an amount given as text"},
        {"K_money", {QStringLiteral("1.0002")}, nullptr, "an amount between two"},
        {"K_num", {0.3}, "r1", "a number"},
        {"K_num", {0.1 + 0.2}, "r2", "a number off in its last bit"},
        {"K_num", {std::nextafter(2.5, 3.0)}, nullptr, "the next number after one"},
        {"K_flag", {true}, "r2", "a logical"},
        {"K_flag", {false}, "r1", "the other logical"},
        {"K_date", {feb29}, "r2", "a date"},
        {"K_date", {QDate(2024, 3, 1)}, nullptr, "a date after the last"},
    };
    auto t = openTable(QStringLiteral("keyed"));
    QString order;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        if (order != QLatin1String(c.order)) {
            order = QLatin1String(c.order);
            t->setIndexFieldNames(order);
        }
        // Searches of one order follow each other on one cursor, so each
        // starts where the one before left it.
        const QString before = label(*t);
        EXPECT_EQ(t->findKey(c.key), c.found != nullptr);
        EXPECT_EQ(label(*t), c.found ? QString::fromLatin1(c.found) : before);
    }
}

TEST_F(FindTest, AFailedSearchLeavesTheCursorAsTheSameMovesWithoutIt)
{
    db->createTable(SupplierDef());
    {
        auto sup = openTable(QStringLiteral("sup"));
        Transaction tx(db);
        for (int i = 0; i < 60; i += 2)
            addSupplier(*sup, SupplierCode(i), QStringLiteral("Name %1").arg(i));
        tx.commit();
    }
    struct Start {
        const char* name;
        std::function<void(Table&)> moves;
    };
    const Start starts[] = {
        {"never read", [](Table&) {}},
        {"on the first record", [](Table& t) { t.first(); }},
        {"inside the first page",
         [](Table& t) {
             t.first();
             t.next();
             t.next();
         }},
        {"past a page edge",
         [](Table& t) {
             t.first();
             for (int i = 0; i < 20; ++i)
                 t.next();
         }},
        {"past the end",
         [](Table& t) {
             t.last();
             t.next();
         }},
        {"before the start",
         [](Table& t) {
             t.first();
             t.prior();
         }},
        {"after a jump",
         [](Table& t) {
             t.first();
             t.moveBy(25);
         }},
        {"after a search that found", [](Table& t) { t.findKey({SupplierCode(10)}); }},
        {"inside a range",
         [](Table& t) {
             t.setRange({SupplierCode(10)}, {SupplierCode(30)});
             t.next();
         }},
        {"filtered",
         [](Table& t) {
             t.setFilter([](DataSet& d) { return d.field(QStringLiteral("Sup_code")).asString().endsWith('0'); });
             t.first();
             t.next();
         }},
    };
    const QVariantList misses[] = {{SupplierCode(7)}, {QStringLiteral("A")}, {QStringLiteral("T")}, {QString()}};
    for (const Start& s : starts) {
        for (const QVariantList& key : misses) {
            SCOPED_TRACE(std::string(s.name) + ", " + key.first().toString().toStdString());
            auto searched = openTable(QStringLiteral("sup"));
            auto twin = openTable(QStringLiteral("sup"));
            s.moves(*searched);
            s.moves(*twin);
            ASSERT_FALSE(searched->findKey(key));
            // The record, its edges, then where moves from there lead.
            for (int step = 0; step < 8; ++step) {
                ASSERT_EQ(searched->recordId(), twin->recordId()) << "step " << step;
                EXPECT_EQ(searched->bof(), twin->bof()) << "step " << step;
                EXPECT_EQ(searched->eof(), twin->eof()) << "step " << step;
                EXPECT_EQ(searched->field(QStringLiteral("Sup_name")).asString(),
                          twin->field(QStringLiteral("Sup_name")).asString());
                if (step < 3) {
                    searched->next();
                    twin->next();
                } else {
                    searched->prior();
                    twin->prior();
                }
            }
        }
    }
    // A record the filter hides is not found, and the cursor stays.
    auto sup = openTable(QStringLiteral("sup"));
    sup->setFilter([](DataSet& d) { return d.field(QStringLiteral("Sup_code")).asString() != SupplierCode(4); });
    ASSERT_TRUE(sup->findKey({SupplierCode(2)}));
    EXPECT_FALSE(sup->findKey({SupplierCode(4)}));
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), SupplierCode(2));
    sup->next();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), SupplierCode(6));
}

TEST_F(FindTest, ASearchShowsWhatAnotherWorkstationCommitted)
{
    db->createTable(SupplierDef());
    auto sup = openTable(QStringLiteral("sup"));
    addSupplier(*sup, QStringLiteral("S1"), QStringLiteral("First"), QStringLiteral("10"));
    addSupplier(*sup, QStringLiteral("S2"), QStringLiteral("Second"), QStringLiteral("20"));
    auto other = [&](QStringList arguments) {
        arguments.prepend(QStringLiteral("sup"));
        arguments.prepend(folder());
        QProcess process;
        process.start(QStringLiteral(VARNEX_TEST_BIN_DIR "/engine_record_changer"), arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return process.readAllStandardOutput().trimmed();
    };
    auto balance = [&] { return sup->field(QStringLiteral("Sup_current_bal")).asMoney().toText(); };

    ASSERT_TRUE(sup->findKey({QStringLiteral("S1")}));
    EXPECT_EQ(balance(), QStringLiteral("10.00"));
    sup->next();
    EXPECT_EQ(balance(), QStringLiteral("20.00"));

    ASSERT_EQ(other({QStringLiteral("set"), QStringLiteral("S1"), QStringLiteral("Sup_current_bal=99")}), "DONE");
    ASSERT_EQ(other({QStringLiteral("add"), QStringLiteral("Sup_code=S3"), QStringLiteral("Sup_current_bal=30")}),
              "DONE");
    ASSERT_TRUE(sup->findKey({QStringLiteral("S1")})) << "a record read before is read again";
    EXPECT_EQ(balance(), QStringLiteral("99.00"));
    ASSERT_TRUE(sup->findKey({QStringLiteral("S3")})) << "a record added since is found";
    EXPECT_EQ(balance(), QStringLiteral("30.00"));

    // The record the cursor stands on, changed meanwhile, searched again.
    ASSERT_EQ(other({QStringLiteral("set"), QStringLiteral("S3"), QStringLiteral("Sup_current_bal=31")}), "DONE");
    ASSERT_TRUE(sup->findKey({QStringLiteral("S3")}));
    EXPECT_EQ(balance(), QStringLiteral("31.00"));

    // A change made through another cursor of this program.
    auto writer = openTable(QStringLiteral("sup"));
    ASSERT_TRUE(writer->findKey({QStringLiteral("S2")}));
    writer->edit();
    writer->field(QStringLiteral("Sup_current_bal")).setMoney(Currency::fromTicks(210000));
    writer->post();
    ASSERT_TRUE(sup->findKey({QStringLiteral("S2")}));
    EXPECT_EQ(balance(), QStringLiteral("21.00"));
    sup->prior();
    EXPECT_EQ(balance(), QStringLiteral("99.00"));
}

} // namespace
} // namespace varnex::data::testing
