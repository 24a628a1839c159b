// The account search against a real company: every operator on text,
// number, amount, logical and date fields, with parameters that used to
// break or change the statement.
#include "account_fixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

#include "varnex/accountview/search.h"
#include "varnex/controls/maskedit.h"
#include "varnex/data/query.h"
#include "varnex/data/schema.h"
#include "varnex/widgets/dbwidgets.h"

using namespace varnex;
using namespace varnex::accountview;
using namespace varnex::accountview::test;

namespace {

class SearchFixture : public AccountWindowFixture {
protected:
    void SetUp() override
    {
        AccountWindowFixture::SetUp();
        const QDate today = QDate::currentDate();
        auto client = [this](const char* code, const char* name, const QDate& created, int credit, const char* balance,
                             bool po, double discount) {
            AddRow(db, QStringLiteral("cli"),
                   {{QStringLiteral("Cli_code"), QString::fromUtf8(code)},
                    {QStringLiteral("Cli_name"), QString::fromUtf8(name)},
                    {QStringLiteral("Cli_date_created"), created},
                    {QStringLiteral("Cli_credit_limit"), credit},
                    {QStringLiteral("Cli_current_bal"), Money(balance)},
                    {QStringLiteral("Cli_po_req"), po},
                    {QStringLiteral("Cli_discount"), discount}});
        };
        client("ABC01", "ABCO Outillage", QDate(2024, 3, 15), 500, "125.50", true, 2.5);
        client("BOU01", "Boulangerie L'Étoile", QDate(2024, 3, 14), 1500, "0", false, 0);
        client("CAB01", "Cabinet AB", QDate(2024, 3, 16), 2500, "-40.25", false, 12.5);
        client("DUP01", "Dupont 100% bois", today, 0, "10", true, 0);
        client("ZED01", "Zed", QDate(), 900, "0", false, 0);
    }

    // Runs a search through the window's controls; the codes listed.
    QStringList search(const QString& fieldCaption, const QString& op, const QString& parameter)
    {
        auto* fieldBox = child<QComboBox>(QStringLiteral("ComboBox1"));
        auto* opBox = child<QComboBox>(QStringLiteral("ComboBox2"));
        auto* edit = child<TVarnexMaskEdit>(QStringLiteral("VarnexMaskEdit1"));
        fieldBox->setCurrentIndex(fieldBox->findText(fieldCaption));
        opBox->setCurrentIndex(opBox->findText(op));
        edit->clear();
        // Qt Test types only ASCII keys; other texts are put in the box.
        bool ascii = true;
        for (const QChar c : parameter)
            ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(edit, parameter);
        else
            edit->setText(parameter);
        QTest::mouseClick(child<QPushButton>(QStringLiteral("Button2")), Qt::LeftButton);
        QStringList codes;
        data::Query& q = dm->Query1;
        if (!q.isOpen())
            return {QStringLiteral("<closed>")};
        for (q.first(); !q.eof(); q.next())
            codes << q.field(QStringLiteral("Cli_code")).asString();
        return codes;
    }
};

} // namespace

TEST(AccountSearchFields, EveryItemNamesAFieldOfTheAccountTable)
{
    for (const AccountSide* side : {&ClientSide(), &SupplierSide()}) {
        const data::TableDef* def = data::FindTableDef(side->accountTable);
        ASSERT_NE(def, nullptr);
        ASSERT_EQ(side->searchCaptions.size(), side->client ? 43 : 31);
        ASSERT_EQ(side->searchFields.size(), side->searchCaptions.size());
        for (const QString& field : side->searchFields)
            EXPECT_NE(def->field(field), nullptr) << field.toStdString();
    }
    // The client items are the first 43 fields of the client table, in order.
    const data::TableDef* clients = data::FindTableDef(QStringLiteral("cli"));
    for (int i = 0; i < ClientSide().searchFields.size(); ++i)
        EXPECT_EQ(clients->fields[i].name, ClientSide().searchFields[i]) << i;
}

TEST(AccountSearchText, ParametersAreBoundNeverWritten)
{
    SearchRequest r{QStringLiteral("cli"),        QStringLiteral("Cli_code"), QStringLiteral("Cli_name"),
                    data::FieldType::Text,        SearchOperator::Containing, QStringLiteral("x' OR '1'='1"),
                    QStringLiteral("DD/MM/YYYY"), QDate(2024, 1, 1)};
    AccountSearch s = BuildAccountSearch(r);
    EXPECT_FALSE(s.sql.contains(QStringLiteral("OR '1'"))) << s.sql.toStdString();
    ASSERT_EQ(s.parameters.size(), 1);
    EXPECT_EQ(s.parameters[0].value.toString(), QStringLiteral("%x' OR '1'='1%"));
    // wild cards typed by the user are ordinary characters
    r.parameter = QStringLiteral("100%_");
    EXPECT_EQ(BuildAccountSearch(r).parameters[0].value.toString(), QStringLiteral("%100\\%\\_%"));
    // blanks list everything, in code order
    r.parameter = QStringLiteral("   ");
    s = BuildAccountSearch(r);
    EXPECT_EQ(s.sql, QStringLiteral("SELECT * FROM cli ORDER BY Cli_code"));
    EXPECT_TRUE(s.parameters.isEmpty());
}

TEST_F(SearchFixture, EveryOperatorOnEveryKindOfField)
{
    open(ClientSide());
    const QStringList all = {QStringLiteral("ABC01"), QStringLiteral("BOU01"), QStringLiteral("CAB01"),
                             QStringLiteral("DUP01"), QStringLiteral("ZED01")};
    const QString todayText = FormatShortDate(QDate::currentDate());
    struct Case {
        const char* edge;
        const char* field;
        const char* op;
        QString parameter;
        QStringList codes;
    };
    const QList<Case> cases = {
        {"blanks list everything", "Client name", "=", QStringLiteral("  "), all},
        {"containing AB",
         "Client name",
         "CONTAINING",
         QStringLiteral("AB"),
         {QStringLiteral("ABC01"), QStringLiteral("CAB01")}},
        {"a quote is an ordinary character",
         "Client name",
         "CONTAINING",
         QStringLiteral("L'É"),
         {QStringLiteral("BOU01")}},
        {"equal to a name with a quote",
         "Client name",
         "=",
         QStringLiteral("Boulangerie L'Étoile"),
         {QStringLiteral("BOU01")}},
        {"a percent sign is not a wild card",
         "Client name",
         "CONTAINING",
         QStringLiteral("0%"),
         {QStringLiteral("DUP01")}},
        {"typed SQL is only text", "Client code", "=", QStringLiteral("x' OR '1'='1"), {}},
        {"text greater",
         "Client code",
         ">",
         QStringLiteral("C"),
         {QStringLiteral("CAB01"), QStringLiteral("DUP01"), QStringLiteral("ZED01")}},
        {"text less", "Client code", "<", QStringLiteral("BOU01"), {QStringLiteral("ABC01")}},
        {"text different", "Client code", "<>", QStringLiteral("ABC01"), all.mid(1)},
        {"integer greater",
         "Credit limit",
         ">",
         QStringLiteral("1000"),
         {QStringLiteral("BOU01"), QStringLiteral("CAB01")}},
        {"amount equal", "Current balance", "=", QStringLiteral("125.50"), {QStringLiteral("ABC01")}},
        {"negative amount less", "Current balance", "<", QStringLiteral("0"), {QStringLiteral("CAB01")}},
        {"logical true", "PO required", "=", QStringLiteral("T"), {QStringLiteral("ABC01"), QStringLiteral("DUP01")}},
        {"logical not true",
         "PO required",
         "<>",
         QStringLiteral("Oui"),
         {QStringLiteral("BOU01"), QStringLiteral("CAB01"), QStringLiteral("ZED01")}},
        {"number containing",
         "Discount",
         "CONTAINING",
         QStringLiteral("2.5"),
         {QStringLiteral("ABC01"), QStringLiteral("CAB01")}},
        {"date equal", "Date created", "=", QStringLiteral("15/03/2024"), {QStringLiteral("ABC01")}},
        {"date before", "Date created", "<", QStringLiteral("15/03/2024"), {QStringLiteral("BOU01")}},
        {"date after",
         "Date created",
         ">",
         QStringLiteral("15/03/2024"),
         {QStringLiteral("CAB01"), QStringLiteral("DUP01")}},
        {"date different skips empty dates",
         "Date created",
         "<>",
         QStringLiteral("15/03/2024"),
         {QStringLiteral("BOU01"), QStringLiteral("CAB01"), QStringLiteral("DUP01")}},
        {"not a date searches today", "Date created", "=", QStringLiteral("hier"), {QStringLiteral("DUP01")}},
        {"today written out", "Date created", "=", todayText, {QStringLiteral("DUP01")}},
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        EXPECT_EQ(search(QString::fromLatin1(c.field), QString::fromLatin1(c.op), c.parameter), c.codes) << c.edge;
        EXPECT_TRUE(messages.shown.isEmpty()) << c.edge;
        EXPECT_EQ(form->PageControl1->currentIndex(), 0) << c.edge;
    }
}

TEST_F(SearchFixture, SearchesThatCannotRunShowLineSixAndLeaveTheListClosed)
{
    open(ClientSide());
    struct Case {
        const char* edge;
        const char* field;
        const char* op;
        const char* parameter;
    };
    const QList<Case> cases = {
        {"containing on a date", "Date created", "CONTAINING", "2024"},
        {"a number that is not a number", "Credit limit", "=", "beaucoup"},
        {"a logical that is neither", "PO required", "=", "peut-être"},
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        EXPECT_EQ(search(QString::fromLatin1(c.field), QString::fromLatin1(c.op), QString::fromUtf8(c.parameter)),
                  QStringList{QStringLiteral("<closed>")})
            << c.edge;
        ASSERT_EQ(messages.shown.size(), 1) << c.edge;
        EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
        EXPECT_EQ(messages.shown[0].text, form->IntlStrings1->toPlainText().split(QLatin1Char('\n')).value(6));
        EXPECT_FALSE(messages.shown[0].text.isEmpty());
    }
    // and a good search afterwards lists again
    EXPECT_EQ(search(QStringLiteral("Client code"), QStringLiteral("="), QStringLiteral("ZED01")),
              QStringList{QStringLiteral("ZED01")});
}
