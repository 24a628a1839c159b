// The purchase window driven as a user drives it, on the embedded and the
// server engine: start-up, the rules that run while typing, the checks of the
// accept button and the rows the posting stores.
#include "purchent_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QToolButton>

#include "varnex/shell.h"
#include "varnex/statusbar.h"
#include "varnex/translation/message_lines.h"
#include "varnex/translation/translate.h"
#include "varnex/translation/window_check.h"

using namespace purchenttest;
using varnex::FormatShortDate;
using varnex::data::Query;

namespace {

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
    for (const char* code : {"en", "fr"}) {
        record.raw().Link_language = QString::fromLatin1(code) == QLatin1String("fr") ? 2 : 1;
        record.setLangCode(QString::fromLatin1(code));
        QString caption;
        EXPECT_EQ(run([&](Entry& e) {
                      caption = e.window->windowTitle();
                      for (const char* form : {"purchent_frm", "period_frm", "frmHoldback", "frmProject", "frmVAT"}) {
                          QWidget* window = QString::fromLatin1(form) == QLatin1String("purchent_frm")
                                                ? e.window
                                                : [&]() -> QWidget* {
                              for (QWidget* top : QApplication::topLevelWidgets())
                                  if (top->objectName() == QLatin1String(form))
                                      return top;
                              return nullptr;
                          }();
                          ASSERT_NE(window, nullptr) << form;
                          EXPECT_EQ(varnex::translation::CheckWindowTexts(window, QStringLiteral("purchent")
                                                                                      + QString::fromLatin1(code)),
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
    for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 16, 17, 19, 20, 21, 22, 23, 24}) {
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

// ---- while typing ---------------------------------------------------------------

TEST_F(PurchentFixture, AnUnknownSupplierIsRefusedAndNothingElseIsEnteredWithoutOne)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("NOPE"));
        EXPECT_EQ(messages.texts(), QStringList({line(7)}));
        EXPECT_EQ(e.text(QStringLiteral("Varnexdbedit1")), QString());
        EXPECT_TRUE(e.focused(QStringLiteral("Varnexdbedit1")));
        // the type, the invoice or the grid send the user back to the supplier
        for (const char* box : {"InvoiceNum", "TransType", "DebitCell2"}) {
            e.focus(QString::fromLatin1(box));
            EXPECT_TRUE(e.focused(QStringLiteral("Varnexdbedit1"))) << box;
        }
        // ... unless it is a direct/cash purchase
        e.click(QStringLiteral("CheckBox1"));
        e.focus(QStringLiteral("InvoiceNum"));
        EXPECT_TRUE(e.focused(QStringLiteral("InvoiceNum")));
    });
}

TEST_F(PurchentFixture, TheInvoiceNumberIsCheckedByTypeOnLeavingItsBox)
{
    {
        auto cap = open(QStringLiteral("cap"));
        cap->append();
        cap->field(QStringLiteral("Cap_supplier")).setString(QStringLiteral("ACME"));
        cap->field(QStringLiteral("Cap_invoice")).setString(QStringLiteral("INV-1"));
        cap->field(QStringLiteral("Cap_type")).setString(QStringLiteral("1"));
        cap->field(QStringLiteral("Cap_date")).setDate(QDate(2026, 2, 1));
        cap->field(QStringLiteral("Cap_amount")).setMoney(money("50"));
        cap->post();
    }
    const struct {
        int type;
        const char* invoice;
        int line; // -1: accepted
        const char* kept;
    } cases[] = {
        {0, "inv-1", 0, ""},       // a purchase already there
        {0, "INV-2", -1, "INV-2"}, // a new purchase
        {1, "INV-1", -1, "INV-1"}, // a debit note against it
        {2, "INV-9", 1, ""},       // a credit note against no purchase
        {3, "ANY", -1, "ANY"},     // an adjustment takes any number
        {0, "  ", 2, "  "},        // empty after trimming
    };
    for (const auto& c : cases) {
        messages.shown.clear();
        run([&](Entry& e) {
            e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
            e.chooseType(c.type);
            e.fill(QStringLiteral("InvoiceNum"), QString::fromLatin1(c.invoice));
            EXPECT_EQ(messages.texts(), c.line < 0 ? QStringList() : QStringList({line(c.line)})) << c.invoice;
            EXPECT_EQ(e.text(QStringLiteral("InvoiceNum")).trimmed(), QString::fromLatin1(c.kept).trimmed())
                << c.invoice;
            if (c.line >= 0) {
                EXPECT_TRUE(e.focused(QStringLiteral("InvoiceNum"))) << c.invoice;
            }
        });
    }
}

TEST_F(PurchentFixture, LeavingTheInvoiceBoxForCancelDoesNotValidateAndCancelFreesTheSupplier)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("A1"));
        EXPECT_FALSE(e.w(QStringLiteral("Varnexdbedit1"))->isEnabled());
        e.type(QStringLiteral("InvoiceNum"), QString());
        e.click(QStringLiteral("CancelBtn"));
        EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(e.w(QStringLiteral("Varnexdbedit1"))->isEnabled());
        EXPECT_TRUE(e.w(QStringLiteral("SearchBtn"))->isEnabled());
        EXPECT_TRUE(e.focused(QStringLiteral("Varnexdbedit1")));
        EXPECT_EQ(e.text(QStringLiteral("Varnexdbedit1")), QString());
    });
}

TEST_F(PurchentFixture, AnAdjustmentNeedsItsReference)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.chooseType(3);
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("X1"));
        e.fill(QStringLiteral("DebCreRef"), QString());
        EXPECT_EQ(messages.texts(), QStringList({line(5)}));
        EXPECT_TRUE(e.focused(QStringLiteral("DebCreRef")));
    });
}

TEST_F(PurchentFixture, DueDatesFollowTheTermsOfTheSupplierAndTheSupplierAccountsFillTheRows)
{
    const struct {
        const char* supplier;
        QDate date;
        QDate due;
    } cases[] = {
        {"USCO", QDate(2026, 12, 20), QDate(2027, 1, 15)}, // terms 915: the 15th of the next month
        {"ACME", QDate(2026, 12, 20), QDate(2027, 1, 19)}, // terms 30: thirty days
        {"EURO", QDate(2026, 2, 27), QDate(2026, 3, 9)},   // terms 10
    };
    for (const auto& c : cases) {
        run([&](Entry& e) {
            e.fill(QStringLiteral("Varnexdbedit1"), QString::fromLatin1(c.supplier));
            e.setDate(QStringLiteral("TransDate"), FormatShortDate(c.date));
            EXPECT_EQ(e.text(QStringLiteral("TransDueDate")), FormatShortDate(c.due)) << c.supplier;
            if (QString::fromLatin1(c.supplier) == QLatin1String("EURO")) {
                EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit1")), QString::number(PayableEuro));
                EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit2")), QString::number(Supplies)); // Sup_accnt1
                EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit3")), QString::number(Freight));
            }
            // a date that does not exist goes back to its box
            e.setDate(QStringLiteral("TransDate"), QStringLiteral("31/02/2026"));
            EXPECT_TRUE(e.focused(QStringLiteral("TransDate"))) << c.supplier;
            EXPECT_TRUE(messages.texts().isEmpty());
        });
    }
}

TEST_F(PurchentFixture, TheTotalsFollowEveryCellThatIsLeft)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.credit(2, QStringLiteral("40.00"));
        EXPECT_EQ(e.amount(QStringLiteral("TotalCDEdit")), money("40"));
        // a debit on a row that holds a credit removes the credit from its total
        e.debit(2, QStringLiteral("25.00"));
        EXPECT_EQ(e.amount(QStringLiteral("CreditCell2")), Currency());
        EXPECT_EQ(e.amount(QStringLiteral("TotalDBEdit")), money("25"));
        EXPECT_EQ(e.amount(QStringLiteral("TotalCDEdit")), Currency());
        // merely passing through the empty credit cell keeps the debit
        e.focus(QStringLiteral("CreditCell2"));
        e.tab();
        EXPECT_EQ(e.amount(QStringLiteral("DebitCell2")), money("25"));
        EXPECT_EQ(e.amount(QStringLiteral("TotalDBEdit")), money("25"));
        // changing an amount corrects the total by the difference
        e.debit(2, QStringLiteral("30.50"));
        e.debit(3, QStringLiteral("9.50"));
        EXPECT_EQ(e.amount(QStringLiteral("TotalDBEdit")), money("40"));
        e.debit(3, QString());
        EXPECT_EQ(e.amount(QStringLiteral("TotalDBEdit")), money("30.50"));
    });
}

TEST_F(PurchentFixture, APayableAmountOnTheWrongSideOfANoteIsRefused)
{
    for (int type : {1, 2}) {
        messages.shown.clear();
        run([&](Entry& e) {
            e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
            e.chooseType(type);
            if (type == 1)
                e.debit(1, QStringLiteral("10.00"));
            else
                e.credit(1, QStringLiteral("10.00"));
            EXPECT_EQ(messages.texts(), QStringList({line(type == 1 ? 9 : 10)}));
            EXPECT_EQ(e.amount(type == 1 ? QStringLiteral("DebitCell1") : QStringLiteral("CreditCell1")), Currency());
            EXPECT_EQ(e.amount(QStringLiteral("TotalDBEdit")), Currency());
            EXPECT_EQ(e.amount(QStringLiteral("TotalCDEdit")), Currency());
        });
    }
}

TEST_F(PurchentFixture, AccountBoxesReadNumbersAndThePickListsAnswerF2)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("VarnexMaskEdit5"), QStringLiteral("abc")); // no supplier yet
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.account(6, QStringLiteral("abc"));
        EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit6")), QStringLiteral("0"));
        EXPECT_TRUE(messages.texts().isEmpty());
        e.account(6, QStringLiteral("9999"));
        EXPECT_EQ(messages.texts(), QStringList({line(8)}));
        EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit6")), QStringLiteral("0"));
        EXPECT_TRUE(e.focused(QStringLiteral("VarnexMaskEdit6")));
        e.account(6, QString::number(Supplies));
        EXPECT_EQ(e.text(QStringLiteral("Edit12")), QStringLiteral("Account 5400"));
        // F2 on an account box asks the account list and fills the row
        picks.numberAnswers = {Freight};
        e.focus(QStringLiteral("VarnexMaskEdit7"));
        e.key(Qt::Key_F2);
        EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit7")), QString::number(Freight));
        EXPECT_EQ(e.text(QStringLiteral("Edit14")), QStringLiteral("Account 5300"));
        picks.numberAnswers = {0}; // cancelled: nothing changes
        e.key(Qt::Key_F2);
        EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit7")), QString::number(Freight));
    });
    EXPECT_EQ(picks.calls, QStringList({QStringLiteral("GlGetAccount:N"), QStringLiteral("GlGetAccount:N")}));
}

TEST_F(PurchentFixture, TheSupplierListAnswersF2AndTheSearchButton)
{
    picks.textAnswers = {QStringLiteral("USCO"), QString(), QStringLiteral("EURO")};
    run([&](Entry& e) {
        e.focus(QStringLiteral("Varnexdbedit1"));
        e.key(Qt::Key_F2);
        EXPECT_EQ(e.text(QStringLiteral("Varnexdbedit1")), QStringLiteral("USCO"));
        EXPECT_EQ(e.w<QLabel>(QStringLiteral("Sup_name"))->text(), QStringLiteral("US Tools"));
        e.tab(); // leaving the box selects the supplier
        EXPECT_EQ(e.text(QStringLiteral("VarnexMaskEdit1")), QString::number(PayableUs));
        e.click(QStringLiteral("SearchBtn")); // cancelled
        EXPECT_EQ(e.text(QStringLiteral("Varnexdbedit1")), QStringLiteral("USCO"));
        e.click(QStringLiteral("SearchBtn"));
        EXPECT_EQ(e.text(QStringLiteral("Varnexdbedit1")), QStringLiteral("EURO"));
    });
    EXPECT_EQ(picks.calls.size(), 3);
}

TEST_F(PurchentFixture, EnterAndTheArrowsMoveBetweenTheBoxes)
{
    run([&](Entry& e) {
        e.type(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.key(Qt::Key_Return); // the check box is not an entry box: skipped
        EXPECT_TRUE(e.focused(QStringLiteral("TransType")));
        e.key(Qt::Key_Down);
        EXPECT_TRUE(e.focused(QStringLiteral("InvoiceNum")));
        QTest::keyClicks(e.w(QStringLiteral("InvoiceNum")), QStringLiteral("E1"));
        e.key(Qt::Key_Up);
        EXPECT_TRUE(e.focused(QStringLiteral("TransType")));
        e.focus(QStringLiteral("DebitCell2"));
        e.key(Qt::Key_Return);
        EXPECT_TRUE(e.focused(QStringLiteral("CreditCell2")));
        e.key(Qt::Key_Return);
        EXPECT_TRUE(e.focused(QStringLiteral("VarnexMaskEdit3")));
        // the memo keeps Enter for its own lines
        e.focus(QStringLiteral("TransMemo"));
        e.key(Qt::Key_Return);
        EXPECT_TRUE(e.focused(QStringLiteral("TransMemo")));
    });
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(PurchentFixture, AnUnknownPurchaseOrderIsRefused)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.fill(QStringLiteral("PO_number"), QStringLiteral("PO100"));
        EXPECT_TRUE(messages.texts().isEmpty());
        e.fill(QStringLiteral("PO_number"), QStringLiteral("PO999"));
        EXPECT_EQ(messages.texts(), QStringList({line(14)}));
        EXPECT_TRUE(e.focused(QStringLiteral("PO_number")));
    });
}

// ---- the accept button ------------------------------------------------------------

TEST_F(PurchentFixture, TheChecksOfTheAcceptButtonStopBeforeAnythingIsWritten)
{
    const struct {
        const char* what;
        std::function<void(Entry&)> steps;
        int line;
        const char* focus;
    } cases[] = {
        {"no invoice", [](Entry& e) { e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME")); }, 2,
         "InvoiceNum"},
        {"unbalanced",
         [](Entry& e) {
             typeAcmeInvoice(e, QStringLiteral("U1"), QStringLiteral("10.00"));
             e.debit(3, QStringLiteral("1.00"));
         },
         4, nullptr},
        {"amount without account",
         [](Entry& e) {
             typeAcmeInvoice(e, QStringLiteral("U2"), QStringLiteral("10.00"));
             e.account(2, QStringLiteral("0"));
         },
         8, "VarnexMaskEdit2"},
        {"cash purchase on the payable",
         [](Entry& e) {
             e.click(QStringLiteral("CheckBox1"));
             e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("C1"));
             e.type(QStringLiteral("TransMemo"), QStringLiteral("paid at the counter"));
             e.debit(2, QStringLiteral("10.00"));
             e.credit(1, QStringLiteral("10.00"));
         },
         3, nullptr},
        {"credit without reference",
         [](Entry& e) {
             e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
             e.chooseType(3);
             e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("ADJ"));
         },
         5, "DebCreRef"},
    };
    for (const auto& c : cases) {
        messages.shown.clear();
        run([&](Entry& e) {
            c.steps(e);
            messages.shown.clear();
            e.click(QStringLiteral("PostBtn"));
            ASSERT_FALSE(messages.texts().isEmpty()) << c.what;
            EXPECT_EQ(messages.texts().first(), line(c.line)) << c.what;
            if (c.focus) {
                EXPECT_TRUE(e.focused(QString::fromLatin1(c.focus))) << c.what;
            }
            EXPECT_FALSE(e.text(QStringLiteral("InvoiceNum")).isEmpty() && c.line != 2) << c.what; // entry kept
        });
        for (const char* table : {"tjlh", "tjld", "cap", "apori"})
            EXPECT_EQ(count(QString::fromLatin1(table)), 0) << c.what << " " << table;
    }
}

TEST_F(PurchentFixture, ACreditWithAPayableDebitLowersTheBalanceAndKeepsTheReference)
{
    run([&](Entry& e) {
        typeAcmeInvoice(e, QStringLiteral("INV-1"), QStringLiteral("500.00"));
        e.click(QStringLiteral("PostBtn"));
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.chooseType(2);
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("INV-1"));
        e.fill(QStringLiteral("DebCreRef"), QStringLiteral("CN-4"));
        e.debit(1, QStringLiteral("200.00"));
        e.credit(2, QStringLiteral("200.00"));
        e.click(QStringLiteral("PostBtn"));
        EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(QLatin1Char('|')).toStdString();
    });
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), money("300"));
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_purch_ytd")), money("500"));
    Query credit(db, QStringLiteral("SELECT Cap_amount, Cap_ref FROM cap WHERE Cap_type = '5'"));
    credit.open();
    ASSERT_EQ(credit.recordCount(), 1);
    EXPECT_EQ(credit.field(QStringLiteral("Cap_amount")).asMoney(), money("-200"));
    EXPECT_EQ(credit.field(QStringLiteral("Cap_ref")).asString(), QStringLiteral("CN-4"));
    Query document(db, QStringLiteral("SELECT DebitCredit, Trx_type FROM apori WHERE Trx_type = '5'"));
    document.open();
    ASSERT_EQ(document.recordCount(), 1);
    EXPECT_TRUE(document.field(QStringLiteral("DebitCredit")).asLogical());
}

TEST_F(PurchentFixture, ASupplierInCurrencyTwoPostsUnderJournal33)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("EURO"));
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("E-1"));
        e.debit(2, QStringLiteral("75.00"));
        e.credit(1, QStringLiteral("75.00"));
        e.click(QStringLiteral("PostBtn"));
    });
    Query journal(db, QStringLiteral("SELECT Tjld_journal, Tjld_account, Tjld_credit FROM tjld WHERE Tjld_credit > 0"));
    journal.open();
    ASSERT_EQ(journal.recordCount(), 1);
    EXPECT_EQ(journal.field(QStringLiteral("Tjld_journal")).asInteger(), 33);
    EXPECT_EQ(journal.field(QStringLiteral("Tjld_account")).asInteger(), PayableEuro);
    EXPECT_EQ(supplierMoney(QStringLiteral("EURO"), QStringLiteral("Sup_current_bal")), money("75"));
}

TEST_F(PurchentFixture, ADirectCashPurchaseAsksForAMemoAndTouchesNoSupplier)
{
    for (const auto answer : {varnex::MessageAnswer::Yes, varnex::MessageAnswer::No}) {
        messages.shown.clear();
        messages.answers = {answer};
        run([&](Entry& e) {
            e.click(QStringLiteral("CheckBox1"));
            e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("CASH-1"));
            e.debit(2, QStringLiteral("12.00"));
            e.credit(5, QStringLiteral("12.00"));
            e.account(5, QString::number(Supplies));
            e.click(QStringLiteral("PostBtn"));
            EXPECT_EQ(messages.texts(), QStringList({line(6)}));
            EXPECT_EQ(messages.shown.first().buttons, varnex::MessageButtons::YesNo);
            if (answer == varnex::MessageAnswer::Yes) {
                EXPECT_TRUE(e.focused(QStringLiteral("TransMemo")));
            }
        });
        EXPECT_EQ(count(QStringLiteral("apori")), answer == varnex::MessageAnswer::Yes ? 0 : 1);
    }
    auto apori = open(QStringLiteral("apori"));
    apori->first();
    EXPECT_EQ(apori->field(QStringLiteral("Supplier")).asString(), QString());
    EXPECT_TRUE(apori->field(QStringLiteral("Direct_cash_purchase")).asLogical());
    EXPECT_EQ(count(QStringLiteral("cap")), 0);
    EXPECT_EQ(count(QStringLiteral("tjld")), 2);
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), Currency());
}

TEST_F(PurchentFixture, AnEntryWithoutPayableRowKeepsItsSupplierOnTheDocument)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.chooseType(3);
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("RECLASS"));
        e.fill(QStringLiteral("DebCreRef"), QStringLiteral("R1"));
        e.debit(2, QStringLiteral("5.00"));
        e.credit(3, QStringLiteral("5.00"));
        e.click(QStringLiteral("PostBtn"));
    });
    auto apori = open(QStringLiteral("apori"));
    ASSERT_EQ(apori->recordCount(), 1);
    apori->first();
    EXPECT_EQ(apori->field(QStringLiteral("Supplier")).asString(), QStringLiteral("ACME"));
    EXPECT_EQ(count(QStringLiteral("cap")), 0);
}

TEST_F(PurchentFixture, ThePeriodDialogRefusesWhatIsNotAPeriodAndRetitlesTheWindow)
{
    QString caption;
    run([&](Entry& e) {
        auto driver = WhenShown(QStringLiteral("period_frm"), [&](QWidget* dialog) {
            auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("Edit1"));
            ASSERT_NE(box, nullptr) << dialog->metaObject()->className();
            EXPECT_EQ(box->text(), QStringLiteral("3"));
            for (const char* wrong : {"14", "x", "-1"}) {
                box->selectAll();
                QTest::keyClicks(box, QString::fromLatin1(wrong));
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
                EXPECT_TRUE(dialog->isVisible()) << wrong;
            }
            box->selectAll();
            QTest::keyClicks(box, QStringLiteral("0"));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
        });
        e.click(QStringLiteral("SpeedButton4"));
        EXPECT_TRUE(driver->ran());
        caption = e.window->windowTitle();
        typeAcmeInvoice(e, QStringLiteral("P0"), QStringLiteral("1.00"));
        e.click(QStringLiteral("PostBtn"));
    });
    EXPECT_EQ(messages.texts(), QStringList({line(24), line(24), line(24)}));
    EXPECT_EQ(caption, line(12) + QStringLiteral("0"));
    Query journal(db, QStringLiteral("SELECT Tjlh_period FROM tjlh"));
    journal.open();
    EXPECT_EQ(journal.field(QStringLiteral("Tjlh_period")).asInteger(), 0);
}

TEST_F(PurchentFixture, TheStandardButtons)
{
    varnex::RecordingShellService shell;
    varnex::RecordingHelpService help;
    varnex::RecordingPrintService printer;
    run([&](Entry& e) {
        e.click(QStringLiteral("SpeedButton1"));
        e.click(QStringLiteral("SpeedButton2")); // no supplier chosen: the address stays empty
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("USCO"));
        e.click(QStringLiteral("SpeedButton2"));
        e.click(QStringLiteral("Help_btn"));
        e.click(QStringLiteral("SpeedButton3"));
    });
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(shell.opened[0].toString(), QStringLiteral("mailto:"));
    EXPECT_EQ(shell.opened[1].toString(), QStringLiteral("mailto:usco@example.com"));
    ASSERT_EQ(help.requests.size(), 1);
    EXPECT_TRUE(help.requests[0].startsWith(QStringLiteral("context:"))) << help.requests[0].toStdString();
    EXPECT_TRUE(help.requests[0].endsWith(QStringLiteral(":304"))) << help.requests[0].toStdString();
    EXPECT_EQ(picks.calls, QStringList({QStringLiteral("QuickLink:N")}));
}

TEST_F(PurchentFixture, ChoosingASupplierMovesNoBoxOfTheRows)
{
    // The supplier labels appear and disappear with every invoice; the rows
    // below them must stay where they are (a move lays out and paints the
    // whole window again, the most of what a posting cost).
    run([&](Entry& e) {
        QWidget* cell = e.w(QStringLiteral("DebitCell1"));
        const auto* name = e.w<QLabel>(QStringLiteral("Sup_name"));
        EXPECT_TRUE(name->isHidden());
        const QPoint before = cell->mapTo(e.window, QPoint());
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("USCO"));
        EXPECT_FALSE(name->isHidden());
        e.window->layout()->activate();
        EXPECT_EQ(cell->mapTo(e.window, QPoint()), before);
    });
}

namespace {

// A pick list that fails the way the engine fails inside an event handler.
class FailingAccountList : public varnex::frame::RecordingPickListService {
public:
    int GlGetAccount(const TLinkSection&) override
    {
        if (code != 0)
            throw varnex::data::EngineError(code, QStringLiteral("Disk full."));
        throw std::runtime_error("Not a number.");
    }
    int code = 0;
};

} // namespace

TEST_F(PurchentFixture, AnEngineErrorShowsTheErrorDialogAndClosesTheWindow)
{
    const struct {
        int code; // 0: not an engine error
        bool dialog;
        bool closes;
    } cases[] = {
        {varnex::data::ErrorCode::WriteFailed, true, true},
        {varnex::data::ErrorCode::RecordLocked, false, true}, // locked: no dialog
        {0, false, false},                                    // shown as a message, the window stays
    };
    for (const auto& c : cases) {
        messages.shown.clear();
        FailingAccountList failing;
        failing.code = c.code;
        QStringList shown;
        bool stillOpen = false;
        run([&](Entry& e) {
            auto dialog = WhenShown(QStringLiteral("ErrorForm"), [&](QWidget* form) {
                shown << form->findChild<QLineEdit*>(QStringLiteral("ErrCat"))->text()
                      << form->findChild<QLineEdit*>(QStringLiteral("ErrCode"))->text()
                      << form->findChild<QPlainTextEdit*>(QStringLiteral("ErrMess"))->toPlainText();
                QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("CloseBtn")), Qt::LeftButton);
            });
            e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
            e.focus(QStringLiteral("VarnexMaskEdit7"));
            e.key(Qt::Key_F2);
            if (c.dialog) {
                EXPECT_TRUE(varnex::test_support::WaitUntil([&] { return dialog->ran(); })) << c.code;
            }
            EXPECT_TRUE(varnex::test_support::RunDeferred());
            stillOpen = e.window->isVisible();
            EXPECT_EQ(dialog->ran(), c.dialog) << c.code;
            if (stillOpen) {
                // the key press after an error does not move; the next one does
                e.key(Qt::Key_Return);
                EXPECT_TRUE(e.focused(QStringLiteral("VarnexMaskEdit7")));
                e.key(Qt::Key_Return);
                EXPECT_TRUE(e.focused(QStringLiteral("Edit14")));
            }
        });
        EXPECT_EQ(stillOpen, !c.closes) << c.code;
        if (c.dialog) {
            EXPECT_EQ(shown, QStringList({QString::number(c.code >> 8), QString::number(c.code & 0xFF),
                                          QStringLiteral("Disk full.")}));
        }
        EXPECT_EQ(messages.texts(), c.code == 0 ? QStringList({QStringLiteral("Not a number.")}) : QStringList());
    }
}

TEST_F(PurchentFixture, TheDateBoxesFollowTheRegionalDateFormat)
{
    varnex::SettingsStore(m_settings)
        .setValue(QStringLiteral("Settings"), QStringLiteral("DateFmt"), QStringLiteral("YYYY-MM-DD"));
    const QDate day(2026, 11, 5);
    run([&](Entry& e) {
        EXPECT_EQ(e.w<varnex::TVarnexMaskEdit>(QStringLiteral("TransDate"))->EditMask(),
                  QStringLiteral("!9999-99-99;1; "));
        EXPECT_EQ(e.text(QStringLiteral("TransDate")), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("ISO-1"));
        e.setDate(QStringLiteral("TransDate"), QStringLiteral("2026-11-05"));
        EXPECT_EQ(e.text(QStringLiteral("TransDueDate")), QStringLiteral("2026-12-05"));
        e.debit(2, QStringLiteral("3.00"));
        e.credit(1, QStringLiteral("3.00"));
        e.click(QStringLiteral("PostBtn"));
        EXPECT_EQ(e.text(QStringLiteral("TransDate")), QStringLiteral("2026-11-05")); // the next entry's default
    });
    Query item(db, QStringLiteral("SELECT Cap_date, Cap_du_date FROM cap"));
    item.open();
    ASSERT_EQ(item.recordCount(), 1);
    EXPECT_EQ(item.field(QStringLiteral("Cap_date")).asDate(), day);
    EXPECT_EQ(item.field(QStringLiteral("Cap_du_date")).asDate(), day.addDays(30));
}
