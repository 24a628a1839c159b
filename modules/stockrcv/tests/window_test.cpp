// The receipt window's stock labels, its delete keys, the serial rows of a
// changed line and its standard buttons, on both engines.
#include "receipt_fixture.h"

#include <QToolButton>

#include <stdexcept>

#include "varnex/application.h"
#include "varnex/data/table.h"
#include "varnex/ledger/receipt.h"
#include "varnex/shell.h"

using namespace varnex;
using namespace varnex::stockrcv;
using namespace stockrcv_test;
using varnex::test_support::ModalDriver;

namespace {

void selectRow(Tstockrcv_frm* form, int row)
{
    form->DBGrid3->setFocus();
    form->DBGrid3->setCurrentIndex(form->DBGrid3->gridModel()->index(row, ColQtyReceived));
    ASSERT_TRUE(varnex::test_support::RunDeferred());
}

QStringList stockLabels(Tstockrcv_frm* form)
{
    return {form->lblOnHand->text(), form->lblAvailable->text(), form->lblOnOrder->text()};
}

} // namespace

TEST_F(ReceiptFixture, TheStockLabelsFollowTheCurrentLine)
{
    // Layers of 7 and 3.5, 4 claimed by client orders, 1,200 on order.
    Update(*company, QStringLiteral("ivinv"), {{"Ivinv_Line_Code", "ABC"}, {"Ivinv_item_code", "BOLT"}},
           {{"Ivinv_qty1", 7.0}, {"Ivinv_qty2", 3.5}, {"Ivinv_cli_order", 4.0}, {"Ivinv_on_order", 1200.0}});
    // The same product in another store must not be shown.
    Put(*company, QStringLiteral("ivinv"),
        {{"Ivinv_Line_Code", "ABC"}, {"Ivinv_item_code", "BOLT"}, {"Ivinv_store", 2}, {"Ivinv_qty1", 99.0}});
    OpenWindow();
    const QStringList none = {QString(), QString(), QString()};
    EXPECT_EQ(stockLabels(form.get()), none);
    EXPECT_EQ(form->Label7->text(), QStringLiteral("On hand"));

    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), true);
    const QStringList bolt = {QStringLiteral("10.5"), QStringLiteral("6.5"), QStringLiteral("1,200")};
    EXPECT_EQ(stockLabels(form.get()), bolt);
    // PNT RED has no stock record in the store: nothing to show.
    selectRow(form.get(), 1);
    EXPECT_EQ(stockLabels(form.get()), none);
    selectRow(form.get(), 0);
    EXPECT_EQ(stockLabels(form.get()), bolt);

    // A typed line shows its product once the product is known.
    QTest::mouseClick(form->Cancel_btn, Qt::LeftButton);
    Settle();
    EXPECT_EQ(stockLabels(form.get()), none);
    StartFreeReceipt(QStringLiteral("ACME"), QStringLiteral("PS-2"));
    form->DBGrid3->setFocus();
    Settle();
    TypeCell(0, ColLine, QStringLiteral("ABC"));
    EXPECT_EQ(stockLabels(form.get()), none);
    TypeCell(0, ColItem, QStringLiteral("BOLT"));
    EXPECT_EQ(stockLabels(form.get()), bolt);
    // A non-stock line has no stock.
    form->AppendLine();
    Settle();
    TypeCell(1, ColLine, QStringLiteral("N"));
    TypeCell(1, ColDesc, QStringLiteral("Freight"));
    EXPECT_EQ(stockLabels(form.get()), none);
}

TEST_F(ReceiptFixture, ACompleteOrderTakesEachProductsUnitFactor)
{
    Put(*company, QStringLiteral("ivprod"),
        {{"Ivprod_line_code", "PNT"},
         {"Ivprod_item_code", "CAN"},
         {"Ivprod_desc_1", "Paint, case of 12"},
         {"Ivprod_price_unit", 12.0}});
    Put(*company, QStringLiteral("cfhdr"),
        {{"Cfhdr_doc", "2"}, {"Cfhdr_order_number", "1003"}, {"Cfhdr_supplier", "BELL"}, {"Cfhdr_store", 1}});
    // The same product twice, a product with a factor of 0 (counts as 1) and
    // one that is no product at all (1).
    const struct {
        const char* line;
        const char* item;
        double ordered;
        double price;
        const char* total;
    } orderLines[] = {
        {"PNT", "CAN", 2, 3.00, "72.00"},
        {"PNT", "RED", 1, 2.00, "2.00"},
        {"PNT", "CAN", 1, 1.50, "18.00"},
        {"N", "FREIGHT", 1, 25.00, "25.00"},
    };
    for (const auto& l : orderLines)
        Put(*company, QStringLiteral("cfdet"),
            {{"Cfdet_doc", "2"},
             {"Cfdet_order_number", "1003"},
             {"Cfdet_line_code", l.line},
             {"Cfdet_item_code", l.item},
             {"Cfdet_qty_order", l.ordered},
             {"Cfdet_qty_received", 0.0},
             {"Cfdet_price", l.price},
             {"Cfdet_discount", 0.0}});
    OpenWindow();
    StartOrderReceipt(QStringLiteral("1003"), QStringLiteral("PS-8"), true);
    ASSERT_EQ(Rows(), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Cell(row, ColTotal), QString::fromLatin1(orderLines[row].total)) << "row " << row;
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney(), Currency::fromUnits(117));
}

TEST_F(ReceiptFixture, DeleteAsksFirstAndCtrlDeleteDoesNot)
{
    OpenWindow();
    StartFreeReceipt(QStringLiteral("ACME"), QStringLiteral("PS-2"));
    form->DBGrid3->setFocus();
    Settle();
    const char* products[][2] = {{"ABC", "BOLT"}, {"ABC", "NUT"}, {"PNT", "RED"}};
    for (int row = 0; row < 3; ++row) {
        if (row > 0)
            form->AppendLine();
        TypeCell(row, ColLine, QString::fromLatin1(products[row][0]));
        TypeCell(row, ColItem, QString::fromLatin1(products[row][1]));
    }
    ASSERT_EQ(Rows(), 3);

    const struct {
        const char* what;
        Qt::KeyboardModifiers modifiers;
        MessageAnswer answer;
        bool asked;
        int rowsAfter;
    } cases[] = {
        {"Delete, answered No", Qt::NoModifier, MessageAnswer::No, true, 3},
        {"Delete, answered Yes", Qt::NoModifier, MessageAnswer::Yes, true, 2},
        {"Ctrl+Delete", Qt::ControlModifier, MessageAnswer::No, false, 1},
    };
    for (const auto& c : cases) {
        messages.shown.clear();
        messages.answers = {c.answer};
        selectRow(form.get(), 0);
        QTest::keyClick(form->DBGrid3, Qt::Key_Delete, c.modifiers);
        Settle();
        EXPECT_EQ(Rows(), c.rowsAfter) << c.what;
        if (c.asked) {
            ASSERT_EQ(messages.shown.size(), 1) << c.what;
            EXPECT_EQ(messages.shown[0].kind, MessageKind::Question) << c.what;
            EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo) << c.what;
            EXPECT_EQ(messages.shown[0].text, Line(lines::DeleteLineQuestion)) << c.what;
        } else {
            EXPECT_TRUE(messages.shown.isEmpty()) << c.what;
        }
    }
    EXPECT_EQ(Cell(0, ColItem), QStringLiteral("RED"));
    // Only PNT RED is left: its 0.00 is the receipt's total.
    EXPECT_TRUE(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney().isZero());

    // A line of the order is refused without a question first.
    QTest::mouseClick(form->Cancel_btn, Qt::LeftButton);
    Settle();
    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), true);
    messages.shown.clear();
    messages.answers = {MessageAnswer::Yes};
    selectRow(form.get(), 0);
    QTest::keyClick(form->DBGrid3, Qt::Key_Delete);
    Settle();
    EXPECT_EQ(Shown(), QStringList({Line(lines::OrderLineNotDeleted)}));
    EXPECT_EQ(Rows(), 2);
}

// ---- serial rows of a line that changes ----------------------------------------

namespace {

QStringList gridColumn(Tstockrcv_serial_frm* dialog, int column)
{
    QStringList texts;
    for (int row = 0; row < dialog->DBGrid1->gridModel()->rowCount(); ++row)
        texts << dialog->DBGrid1->gridModel()->index(row, column).data().toString();
    return texts;
}

} // namespace

class ChangedSerialLineFixture : public ReceiptFixture {
protected:
    // Three saws received, their serials typed, then the dialog cancelled:
    // the rows stay in the work table with their serials.
    void typeThreeSerialsAndCancel()
    {
        OpenWindow();
        ReceiveOneLine(QStringLiteral("PS-9"), QStringLiteral("SAW"), QStringLiteral("CIRC"), QStringLiteral("3"));
        ModalDriver serials(
            QStringLiteral("stockrcv_serial_frm"),
            [](QWidget* w) {
                auto* dialog = static_cast<Tstockrcv_serial_frm*>(w);
                for (int row = 0; row < 3; ++row)
                    TypeSerial(dialog, row, QStringLiteral("S-%1").arg(row + 1));
                QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
            },
            DialogLimitMs);
        Accept();
        ASSERT_TRUE(serials.ran());
        ASSERT_EQ(serialRows(), 3);
    }

    int serialRows() { return Count(*company, dm->workSerialsName); }
};

TEST_F(ChangedSerialLineFixture, ALoweredQuantityDropsTheRowsBeyondIt)
{
    CapturedPosting posting;
    typeThreeSerialsAndCancel();
    posting.install();
    TypeCell(0, ColQtyReceived, QStringLiteral("1"));
    EXPECT_EQ(serialRows(), 1);
    EXPECT_EQ(Count(*company, dm->workSerialsName, {{"Ivserin_serial", "S-1"}}), 1);

    // Raised again: the second row is new and empty, and S-3, typed on a row
    // that is gone, is free to be used.
    TypeCell(0, ColQtyReceived, QStringLiteral("2"));
    QStringList counts;
    QStringList serialsShown;
    ModalDriver serials(
        QStringLiteral("stockrcv_serial_frm"),
        [&](QWidget* w) {
            auto* dialog = static_cast<Tstockrcv_serial_frm*>(w);
            counts = gridColumn(dialog, 0);
            serialsShown = gridColumn(dialog, 1);
            TypeSerial(dialog, 1, QStringLiteral("S-3"));
            QTest::mouseClick(dialog->AcceptBtn, Qt::LeftButton);
        },
        DialogLimitMs);
    Accept();
    EXPECT_TRUE(serials.ran());
    EXPECT_EQ(counts, QStringList({"1", "2"}));
    EXPECT_EQ(serialsShown, QStringList({"S-1", ""}));
    // Only the empty row is told, not a duplicate of the row that is gone.
    EXPECT_EQ(Shown(), QStringList({Line(lines::SerialMissing)}));
    ASSERT_EQ(posting.calls, 1);
    EXPECT_EQ(posting.serials(), QStringList({"S-1", "S-3"}));
}

TEST_F(ChangedSerialLineFixture, ADeletedOrChangedLineTakesItsRowsAlong)
{
    typeThreeSerialsAndCancel();
    // Another product chosen from the product list: the saw's rows go.
    picks.textAnswers = {QStringLiteral("ABCBOLT")};
    form->DBGrid3->setFocus();
    form->DBGrid3->setCurrentIndex(form->DBGrid3->gridModel()->index(0, ColLine));
    QTest::keyClick(form->DBGrid3, Qt::Key_F2);
    Settle();
    EXPECT_EQ(Cell(0, ColItem), QStringLiteral("BOLT"));
    EXPECT_EQ(serialRows(), 0);

    // A deleted line: its rows go; another line of the product keeps its own.
    QTest::mouseClick(form->Cancel_btn, Qt::LeftButton);
    Settle();
    form.reset();
    dm.reset();
    typeThreeSerialsAndCancel();
    form->AppendLine();
    TypeCell(1, ColLine, QStringLiteral("SAW"));
    TypeCell(1, ColItem, QStringLiteral("CIRC"));
    TypeCell(1, ColQtyReceived, QStringLiteral("1"));
    EXPECT_EQ(serialRows(), 3);
    selectRow(form.get(), 0);
    QTest::keyClick(form->DBGrid3, Qt::Key_Delete, Qt::ControlModifier);
    Settle();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(serialRows(), 1);
}

// ---- the standard buttons --------------------------------------------------------

namespace {

// The quick link runs another option; the launcher clears the application's
// exception event when that option returns.
class QuickLinkRunningAnOption : public varnex::frame::RecordingPickListService {
public:
    void QuickLink(const TLinkSection& record) override
    {
        RecordingPickListService::QuickLink(record);
        ClearApplicationExceptionHandler();
    }
};

} // namespace

TEST_F(ReceiptFixture, HelpPrintMailAndQuickLinkButtons)
{
    RecordingShellService shell;
    RecordingHelpService help;
    RecordingPrintService printer;
    QuickLinkRunningAnOption quickLink;
    frame::SetPickListService(&quickLink);
    OpenWindow();
    EXPECT_TRUE(form->SpeedButton1->isEnabled());

    QTest::mouseClick(form->Help_btn, Qt::LeftButton);
    ASSERT_EQ(help.requests.size(), 1);
    EXPECT_TRUE(help.requests[0].startsWith(QStringLiteral("context:"))) << help.requests[0].toStdString();
    EXPECT_TRUE(help.requests[0].endsWith(QStringLiteral(":602"))) << help.requests[0].toStdString();

    QTest::mouseClick(form->Printfrm_Btn, Qt::LeftButton);
    ASSERT_EQ(printer.images.size(), 1);
    EXPECT_EQ(printer.images[0].size(), form->grab().size());
    EXPECT_EQ(printer.titles, QStringList({form->windowTitle()}));

    // No supplier yet: an empty address; then the supplier's.
    QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
    StartFreeReceipt(QStringLiteral("ACME"), QStringLiteral("PS-2"));
    QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(shell.opened[0].toString(), QStringLiteral("mailto:"));
    EXPECT_EQ(shell.opened[1].toString(), QStringLiteral("mailto:ventes@acme.example"));

    // After the quick link the module's own handler is back, even though the
    // option run from it cleared the application's.
    SetApplicationExceptionHandler(ModuleExceptionHandler);
    messages.shown.clear();
    QTest::mouseClick(form->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(quickLink.calls, QStringList({QStringLiteral("QuickLink:")}));
    EXPECT_TRUE(HasApplicationExceptionHandler());
    HandleApplicationException(std::make_exception_ptr(std::runtime_error("Disk full.")));
    EXPECT_EQ(Shown(), QStringList({QStringLiteral("Disk full.")}));
    ClearApplicationExceptionHandler();
    frame::SetPickListService(&picks);
}

TEST_F(ReceiptFixture, AnOpenQuickLinkWindowDisablesTheQuickLinkButton)
{
    QWidget quickLink;
    quickLink.setWindowTitle(QStringLiteral("Quick Link"));
    quickLink.show();
    OpenWindow();
    EXPECT_FALSE(form->SpeedButton1->isEnabled());
}
