// The purchase window driven as a user drives it, on the embedded and the
// server engine: start-up, the rules that run while typing, the checks of the
// accept button and the rows the posting stores.
#include "purchent_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QToolButton>

#include "varnex/statusbar.h"
#include "varnex/translation/message_lines.h"
#include "varnex/translation/translate.h"
#include "varnex/translation/window_check.h"

using namespace purchenttest;
using varnex::FormatShortDate;
using varnex::data::Query;

namespace
{

[[maybe_unused]] QString dmy(int day, int month, int year)
{
    return FormatShortDate(QDate(year, month, day));
}

QString line(int n, const QString& language = QStringLiteral("en"))
{
    QWidget window;
    window.setObjectName(QStringLiteral("purchent_frm"));
    auto* list = new QPlainTextEdit(&window);
    list->setObjectName(QStringLiteral("IntlStrings1"));
    varnex::translation::TranslateForm(&window, QStringLiteral("purchent") + language);
    return varnex::translation::MessageLine(list, n);
}

// A purchase of ACME: goods on row 2, the payable on row 1.
[[maybe_unused]] void typeAcmeInvoice(Entry& e, const QString& invoice, const QString& amount)
{
    e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
    e.fill(QStringLiteral("InvoiceNum"), invoice);
    e.debit(2, amount);
    e.credit(1, amount);
}

} // namespace

TEST_F(PurchentFixture, StartsOnTheControlsAndTheSupplierAndShowsEveryTextInEnglishAndFrench)
{
    for (const char* code : { "en", "fr" }) {
        record.raw().Link_language = QString::fromLatin1(code) == QLatin1String("fr") ? 2 : 1;
        record.setLangCode(QString::fromLatin1(code));
        QString caption;
        EXPECT_EQ(run([&](Entry& e) {
            caption = e.window->windowTitle();
            for (const char* form : { "purchent_frm", "period_frm", "frmHoldback", "frmProject", "frmVAT" }) {
                QWidget* window
                    = QString::fromLatin1(form) == QLatin1String("purchent_frm") ? e.window : [&]() -> QWidget* {
                    for (QWidget* top : QApplication::topLevelWidgets())
                        if (top->objectName() == QLatin1String(form))
                            return top;
                    return nullptr;
                }();
                ASSERT_NE(window, nullptr) << form;
                EXPECT_EQ(varnex::translation::CheckWindowTexts(
                              window, QStringLiteral("purchent") + QString::fromLatin1(code)),
                    QStringList())
                    << form;
            }
            // defaults of the controls on the first rows, payable first
            EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit1")), QString::number(Payable));
            EXPECT_EQ(e.text(QStringLiteral("Edit3")), QStringLiteral("Account 2100"));
            EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit2")), QString::number(Goods));
            EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit6")), QStringLiteral("0"));
            EXPECT_EQ(e.text(QStringLiteral("TransDate")), FormatShortDate(QDate::currentDate()));
            auto* status = e.w<varnex::TStatusBar>(QStringLiteral("StatusBar1"));
            EXPECT_EQ(status->panelText(0), QStringLiteral("1-Quincaillerie Côté"));
            EXPECT_EQ(status->panelText(1), QStringLiteral("Marie"));
            EXPECT_FALSE(e.w(QStringLiteral("Sup_name"))->isVisible());
        }),
            -1);
        const QString month = varnex::data::PeriodName(3, 1);
        EXPECT_EQ(caption, line(12, QString::fromLatin1(code)) + QStringLiteral("3 : ") + month) << code;
    }
    EXPECT_TRUE(db->tableExists(QStringLiteral("VatTmp3")) == (taxSystem != 0));
    EXPECT_EQ(record.text(&TLinkSection::Link_context), QString());
}

TEST_F(PurchentFixture, EveryMessageLineTheModuleReadsExistsInBothLanguages)
{
    for (int n : { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 16, 17, 19, 20, 21, 22, 23, 24 }) {
        EXPECT_FALSE(line(n, QStringLiteral("en")).isEmpty()) << n;
        EXPECT_FALSE(line(n, QStringLiteral("fr")).isEmpty()) << n;
    }
}

TEST_F(PurchentFixture, APurchasePostsTheJournalTheSupplierTheOpenItemAndTheDocument)
{
    const QDate day(2026, 3, 14);
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("acme"));
        EXPECT_EQ(e.text(QStringLiteral("Varnexdbedit1")), QStringLiteral("ACME")); // the stored code
        EXPECT_TRUE(e.w(QStringLiteral("Sup_name"))->isVisible());
        EXPECT_EQ(e.w<QLabel>(QStringLiteral("Sup_name"))->text(), QStringLiteral("Acme Hardware"));
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("inv-7"));
        EXPECT_EQ(e.text(QStringLiteral("InvoiceNum")), QStringLiteral("INV-7"));
        EXPECT_FALSE(e.w(QStringLiteral("Varnexdbedit1"))->isEnabled()); // the supplier is fixed
        EXPECT_FALSE(e.w(QStringLiteral("SearchBtn"))->isEnabled());
        e.setDate(QStringLiteral("TransDate"), FormatShortDate(day));
        EXPECT_EQ(e.text(QStringLiteral("TransDueDate")), FormatShortDate(day.addDays(30)));
        e.type(QStringLiteral("TransMemo"), QStringLiteral("March order"));
        e.debit(2, QStringLiteral("800.00"));
        e.debit(3, QStringLiteral("200.00"));
        e.credit(1, QStringLiteral("1000.00"));
        EXPECT_EQ(e.amount(QStringLiteral("TotalDBEdit")), money("1000"));
        EXPECT_EQ(e.amount(QStringLiteral("TotalCDEdit")), money("1000"));
        e.click(QStringLiteral("PostBtn"));
        EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(QLatin1Char('|')).toStdString();
        // the screen is ready for the next document, dated as this one
        EXPECT_EQ(e.text(QStringLiteral("Varnexdbedit1")), QString());
        EXPECT_TRUE(e.w(QStringLiteral("Varnexdbedit1"))->isEnabled());
        EXPECT_EQ(e.text(QStringLiteral("InvoiceNum")), QString());
        EXPECT_EQ(e.text(QStringLiteral("TransDate")), FormatShortDate(day));
        EXPECT_EQ(e.amount(QStringLiteral("TotalDBEdit")), Currency());
        EXPECT_TRUE(e.focused(QStringLiteral("Varnexdbedit1")));
    });
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), money("1000"));
    auto cap = open(QStringLiteral("cap"));
    ASSERT_EQ(cap->recordCount(), 1);
    cap->first();
    EXPECT_EQ(cap->field(QStringLiteral("Cap_invoice")).asString(), QStringLiteral("INV-7"));
    EXPECT_EQ(cap->field(QStringLiteral("Cap_type")).asString(), QStringLiteral("1"));
    EXPECT_EQ(cap->field(QStringLiteral("Cap_amount")).asMoney(), money("1000"));
    EXPECT_EQ(cap->field(QStringLiteral("Cap_du_date")).asDate(), day.addDays(30));
    EXPECT_EQ(cap->field(QStringLiteral("Cap_user")).asString(), QStringLiteral("MARIE"));
    auto tjlh = open(QStringLiteral("tjlh"));
    ASSERT_EQ(tjlh->recordCount(), 1); // three rows share one header
    tjlh->first();
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_journal")).asInteger(), 3);
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_period")).asInteger(), 3);
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_tot_debit")).asMoney(), money("1000"));
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_tot_credit")).asMoney(), money("1000"));
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_memo")).asString(), QStringLiteral("Acme Hardware\rMarch order"));
    EXPECT_EQ(count(QStringLiteral("tjld")), 3);
    auto apori = open(QStringLiteral("apori"));
    ASSERT_EQ(apori->recordCount(), 1);
    apori->first();
    EXPECT_EQ(apori->field(QStringLiteral("Supplier")).asString(), QStringLiteral("ACME"));
    EXPECT_EQ(apori->field(QStringLiteral("Account1")).asInteger(), Payable);
    EXPECT_EQ(apori->field(QStringLiteral("Credit1")).asMoney(), money("1000"));
    EXPECT_EQ(apori->field(QStringLiteral("Account4")).asInteger(), GstPaid); // a row without amount is kept
    EXPECT_EQ(apori->field(QStringLiteral("Debit4")).asMoney(), Currency());
    EXPECT_FALSE(apori->field(QStringLiteral("DebitCredit")).asLogical());
}
