// The receipt window driven through its named components, on both engines.
#include "receipt_fixture.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "varnex/controls/maskedit.h"
#include "varnex/data/table.h"
#include "varnex/ledger/receipt.h"
#include "varnex/translation/window_check.h"

using namespace varnex;
using namespace varnex::data;
using namespace varnex::stockrcv;
using namespace stockrcv_test;
using varnex::test_support::ModalDriver;

TEST_F(ReceiptFixture, EveryWindowMatchesItsLanguageTables)
{
    OpenWindow();
    for (const char* table : {"stockrcven", "stockrcvfr"}) {
        for (QWidget* w :
             std::initializer_list<QWidget*>{form.get(), form->Frm2, form->StoreFrm, form->SerialFrm, form->RangeFrm,
                                             form->CyQtyFrm, form->ProjectFrm, form->ErrorFrm})
            EXPECT_TRUE(translation::CheckWindowTexts(w, QString::fromLatin1(table)).isEmpty())
                << table << " " << w->objectName().toStdString();
    }
    // Every line the module reads is there, in English (the window's language).
    for (int line : lines::All)
        EXPECT_FALSE(form->Message(line).trimmed().isEmpty()) << "line " << line;
    EXPECT_EQ(form->DBGrid3->columnTitles(),
              QStringList({"Line", "Item", "Description", "Qty to receive", "Qty received", "Cost", "Total"}));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Stock receipts entry - Store 1"));
}

TEST_F(ReceiptFixture, FrenchWindowTexts)
{
    ModuleLink().raw().Link_language = 2;
    ModuleLink().setLangCode(QStringLiteral("fr"));
    OpenWindow();
    EXPECT_EQ(form->Frm2->RadioGroup1->title(), QStringLiteral("Réception de stock par"));
    EXPECT_EQ(form->Frm2->CompleteOrder->text(), QStringLiteral("Bon d'achat au complet"));
    EXPECT_EQ(form->Frm2->windowTitle(), QStringLiteral("Dialogue"));
    EXPECT_EQ(form->DBGrid3->columnTitles().at(3), QStringLiteral("Qté à recevoir"));
}

TEST_F(ReceiptFixture, CompleteOrderCopiesWhatIsLeftToReceive)
{
    OpenWindow();
    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), true);
    // 10 ordered, 4 received: 6 and 6 at 5.00 less 10 %; the fully received
    // line and the line with nothing ordered are not copied.
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(0, ColLine), QStringLiteral("ABC"));
    EXPECT_EQ(Cell(0, ColItem), QStringLiteral("BOLT"));
    EXPECT_EQ(Cell(0, ColQtyOrder), QStringLiteral("6"));
    EXPECT_EQ(Cell(0, ColQtyReceived), QStringLiteral("6"));
    EXPECT_EQ(Cell(0, ColCost), QStringLiteral("4.500"));
    EXPECT_EQ(Cell(0, ColTotal), QStringLiteral("27.00"));
    // PNT RED has a unit factor of 0, which counts as 1.
    EXPECT_EQ(Cell(1, ColQtyReceived), QStringLiteral("8"));
    EXPECT_EQ(Cell(1, ColTotal), QStringLiteral("16.00"));
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney(), Currency::fromUnits(43));
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_supplier")).asString(), QStringLiteral("ACME"));
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfhrd_date_received")).asDate(), QDate(2026, 11, 20));
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_date")).asDate(), QDate::currentDate());
    EXPECT_TRUE(form->SupName->isVisible());
    EXPECT_EQ(form->SupName->text(), QStringLiteral("Acme Québec"));
    EXPECT_FALSE(form->Client_code->isEnabled());
    EXPECT_TRUE(form->Accept_btn->isEnabled());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Stock receipts entry - Store 1"));
    // The copied lines keep their product and quantity to receive.
    EXPECT_FALSE(form->CellEditable(0, ColItem));
    EXPECT_FALSE(form->CellEditable(0, ColQtyOrder));
    EXPECT_TRUE(form->CellEditable(0, ColQtyReceived));
    EXPECT_TRUE(form->CellEditable(0, ColCost));
    EXPECT_TRUE(messages.shown.isEmpty()) << Shown().join(QLatin1Char('|')).toStdString();
}

TEST_F(ReceiptFixture, ItemByItemCopiesWithNothingReceived)
{
    OpenWindow();
    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), false);
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(0, ColQtyOrder), QStringLiteral("6"));
    EXPECT_EQ(Cell(0, ColQtyReceived), QStringLiteral("0"));
    EXPECT_EQ(Cell(0, ColTotal), QStringLiteral("0.00"));
    EXPECT_TRUE(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney().isZero());
    // Receiving 3 of them makes the line's and the receipt's totals.
    TypeCell(0, ColQtyReceived, QStringLiteral("3"));
    EXPECT_EQ(Cell(0, ColTotal), QStringLiteral("13.50"));
    TypeCell(0, ColCost, QStringLiteral("5"));
    EXPECT_EQ(Cell(0, ColTotal), QStringLiteral("15.00"));
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney(), Currency::fromUnits(15));
}

TEST_F(ReceiptFixture, HeaderRefusals)
{
    OpenWindow();
    // An unknown supplier keeps the focus in its box.
    Type(form->Client_code, QStringLiteral("NOBODY"));
    FocusTo(form->Order_no);
    EXPECT_EQ(Shown(), QStringList({Line(lines::NoSuchSupplier)}));
    EXPECT_TRUE(form->Client_code->hasFocus());
    // An order number of another kind of document is no purchase order.
    messages.shown.clear();
    Type(form->Client_code, QString());
    FocusTo(form->Order_no);
    Type(form->Order_no, QStringLiteral("1002"));
    FocusTo(form->packing_slip);
    EXPECT_EQ(Shown(), QStringList({Line(lines::NoSuchOrder)}));
    EXPECT_TRUE(form->Order_no->hasFocus());
    // A packing slip already used is emptied.
    messages.shown.clear();
    Type(form->Order_no, QString());
    FocusTo(form->Client_code);
    Type(form->Client_code, QStringLiteral("ACME"));
    FocusTo(form->packing_slip);
    Type(form->packing_slip, QStringLiteral("PS-OLD"));
    FocusTo(form->DateEdit);
    EXPECT_EQ(Shown(), QStringList({Line(lines::PackingSlipUsed)}));
    EXPECT_TRUE(dm->cfrhd_table.field(QStringLiteral("Cfrhd_packing_slip")).isNull());
    // Accept without packing slip warns and writes nothing.
    messages.shown.clear();
    CapturedPosting posting;
    posting.install();
    form->Accept_btn->setEnabled(true);
    Accept();
    EXPECT_EQ(Shown(), QStringList({Line(lines::NoPackingSlip)}));
    EXPECT_EQ(posting.calls, 0);
}

TEST_F(ReceiptFixture, FreeLinesUnitFactorAlternateKeysKitsAndUnknownProducts)
{
    OpenWindow();
    StartFreeReceipt(QStringLiteral("ACME"), QStringLiteral("PS-2"));
    // One store: no store dialog, the store is taken.
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_store")).asInteger(), 1);
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_date")).asDate(), QDate::currentDate());
    form->DBGrid3->setFocus();
    Settle();
    ASSERT_EQ(Rows(), 1);
    // Cost 2.50 x 4 with a unit factor of 0: 10.00.
    TypeCell(0, ColLine, QStringLiteral("PNT"));
    TypeCell(0, ColItem, QStringLiteral("RED"));
    EXPECT_EQ(Cell(0, ColDesc), QStringLiteral("Red paint"));
    EXPECT_EQ(Cell(0, ColCost), QStringLiteral("2.500"));
    TypeCell(0, ColQtyReceived, QStringLiteral("4"));
    EXPECT_EQ(Cell(0, ColTotal), QStringLiteral("10.00"));
    EXPECT_TRUE(form->Accept_btn->isEnabled());

    // "XY" + "NUT" is the alternate key of ABC NUT: the codes are replaced.
    form->AppendLine();
    TypeCell(1, ColLine, QStringLiteral("XY"));
    TypeCell(1, ColItem, QStringLiteral("NUT"));
    EXPECT_EQ(Cell(1, ColLine), QStringLiteral("ABC"));
    EXPECT_EQ(Cell(1, ColItem), QStringLiteral("NUT"));
    EXPECT_EQ(Cell(1, ColDesc), QStringLiteral("Nut 1/4"));

    // Product defaults from the stock record: bin and the minimum order.
    form->AppendLine();
    TypeCell(2, ColLine, QStringLiteral("ABC"));
    TypeCell(2, ColItem, QStringLiteral("BOLT"));
    EXPECT_EQ(Cell(2, ColQtyReceived), QStringLiteral("50"));
    EXPECT_EQ(Cell(2, ColTotal), QStringLiteral("5.00"));
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney(), Currency::fromUnits(15));

    // A kit is refused and the line keeps what it had.
    messages.shown.clear();
    form->AppendLine();
    TypeCell(3, ColLine, QStringLiteral("KIT"));
    TypeCell(3, ColItem, QStringLiteral("BOX"));
    EXPECT_EQ(Shown(), QStringList({Line(lines::KitRefused)}));
    EXPECT_TRUE(Cell(3, ColItem).isEmpty());
    // An unknown product removes the line and leaves an empty one.
    messages.shown.clear();
    TypeCell(3, ColLine, QStringLiteral("ZZZ"));
    TypeCell(3, ColItem, QStringLiteral("NONE"));
    EXPECT_EQ(Shown(), QStringList({Line(lines::NoSuchProduct)}));
    ASSERT_EQ(Rows(), 4);
    EXPECT_TRUE(Cell(3, ColLine).isEmpty());
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney(), Currency::fromUnits(15));

    // Deleting a typed line takes its total off; the supplier stays fixed.
    form->DBGrid3->setCurrentIndex(form->DBGrid3->gridModel()->index(2, ColLine));
    Settle();
    EXPECT_TRUE(form->DeleteCurrentLine());
    Settle();
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney(), Currency::fromUnits(10));
    form->Client_code->setFocus();
    Settle();
    EXPECT_TRUE(form->Client_code->isReadOnly());
}

TEST_F(ReceiptFixture, OrderLinesCannotBeDeletedAndTheLastDeleteDisablesAccept)
{
    OpenWindow();
    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), true);
    form->DBGrid3->setFocus();
    Settle();
    QTest::keyClick(form->DBGrid3, Qt::Key_Delete, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(Shown(), QStringList({Line(lines::OrderLineNotDeleted)}));
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney(), Currency::fromUnits(43));

    // A typed line can go; deleting the last one disables Accept.
    QTest::mouseClick(form->Cancel_btn, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(form->Accept_btn->isEnabled());
    StartFreeReceipt(QStringLiteral("BELL"), QStringLiteral("PS-3"));
    form->DBGrid3->setFocus();
    Settle();
    TypeCell(0, ColLine, QStringLiteral("ABC"));
    TypeCell(0, ColItem, QStringLiteral("BOLT"));
    EXPECT_TRUE(form->Accept_btn->isEnabled());
    QTest::keyClick(form->DBGrid3, Qt::Key_Delete, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(form->Accept_btn->isEnabled());
    EXPECT_TRUE(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney().isZero());
}

TEST_F(ReceiptFixture, ThePickListsFillTheHeaderAndTheLine)
{
    OpenWindow();
    // The supplier list, then the order list with the document type "2".
    picks.textAnswers = {QStringLiteral("BELL"), QStringLiteral("1001"), QStringLiteral("PNTRED")};
    QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
    Settle();
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_supplier")).asString(), QStringLiteral("BELL"));
    EXPECT_EQ(form->SupName->text(), QStringLiteral("Bell Fournitures"));
    Type(form->Client_code, QString());
    FocusTo(form->Order_no);
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    Settle();
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_order_number")).asString(), QStringLiteral("1001"));
    EXPECT_FALSE(form->Order_no->isEnabled());
    EXPECT_FALSE(form->BitBtn2->isEnabled());
    EXPECT_EQ(picks.calls, QStringList({QStringLiteral("ApGetSupplier:"), QStringLiteral("CfhdrGetDoc:2")}));

    // F2 in the line column of a typed line: the product list's key is split.
    QTest::mouseClick(form->Cancel_btn, Qt::LeftButton);
    Settle();
    StartFreeReceipt(QStringLiteral("ACME"), QStringLiteral("PS-6"));
    form->DBGrid3->setFocus();
    Settle();
    form->DBGrid3->setCurrentIndex(form->DBGrid3->gridModel()->index(0, ColLine));
    QTest::keyClick(form->DBGrid3, Qt::Key_F2);
    Settle();
    EXPECT_EQ(Cell(0, ColLine), QStringLiteral("PNT"));
    EXPECT_EQ(Cell(0, ColItem), QStringLiteral("RED"));
    EXPECT_EQ(Cell(0, ColDesc), QStringLiteral("Red paint"));
}

TEST_F(ReceiptFixture, ANonStockLineIsTypedFreely)
{
    OpenWindow();
    StartFreeReceipt(QStringLiteral("ACME"), QStringLiteral("PS-7"));
    form->DBGrid3->setFocus();
    Settle();
    TypeCell(0, ColLine, QStringLiteral("n"));
    EXPECT_FALSE(form->Accept_btn->isEnabled());
    TypeCell(0, ColDesc, QStringLiteral("Freight"));
    EXPECT_TRUE(form->Accept_btn->isEnabled());
    TypeCell(0, ColQtyReceived, QStringLiteral("1"));
    TypeCell(0, ColCost, QStringLiteral("25"));
    EXPECT_EQ(Cell(0, ColTotal), QStringLiteral("25.00"));
    EXPECT_TRUE(messages.shown.isEmpty()) << Shown().join(QLatin1Char('|')).toStdString();
}

TEST_F(ReceiptFixture, TwoStoresAskWhichWithTheUsersOwnPreselected)
{
    Put(*company, QStringLiteral("ivmag"), {{"Ivmag_store_number", 2}, {"Ivmag_store_name", "Magasin"}});
    OpenWindow();
    QString preselected;
    ModalDriver which(
        QStringLiteral("Store_frm"),
        [&](QWidget* w) {
            auto* dialog = static_cast<TStore_frm*>(w);
            preselected = dialog->ComboBox1->currentText();
            QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        },
        DialogLimitMs);
    Type(form->Client_code, QStringLiteral("ACME"));
    FocusTo(form->packing_slip);
    ASSERT_TRUE(QTest::qWaitFor([&] { return which.ran(); }, 5000));
    Settle();
    EXPECT_EQ(preselected, QStringLiteral("2 - Magasin"));
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_store")).asInteger(), 2);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Stock receipts entry - Store 2"));
}

TEST_F(ReceiptFixture, EnterAndArrowsMoveBetweenTheHeaderBoxes)
{
    OpenWindow();
    form->Client_code->setFocus();
    Settle();
    QTest::keyClick(form->Client_code, Qt::Key_Return);
    Settle();
    EXPECT_TRUE(form->Order_no->hasFocus());
    QTest::keyClick(form->Order_no, Qt::Key_Up);
    Settle();
    EXPECT_TRUE(form->Client_code->hasFocus());
    QTest::keyClick(form->Client_code, Qt::Key_Down);
    Settle();
    EXPECT_TRUE(form->Order_no->hasFocus());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ReceiptFixture, AcceptHandsTheWholeReceiptToThePostingOnce)
{
    CapturedPosting posting;
    posting.install();
    OpenWindow();
    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), true);
    Accept();
    ASSERT_EQ(posting.calls, 1);
    const ledger::StockReceipt& r = posting.receipt;
    EXPECT_EQ(r.packingSlip, QStringLiteral("PS-1"));
    EXPECT_EQ(r.orderNumber, QStringLiteral("1001"));
    EXPECT_EQ(r.supplierCode, QStringLiteral("ACME"));
    EXPECT_EQ(r.store, 1);
    EXPECT_EQ(r.total, Currency::fromUnits(43));
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0].quantityReceived, 6);
    EXPECT_EQ(r.lines[0].price, Currency::fromTicks(45000));
    EXPECT_TRUE(r.lines[0].fromOrder);
    EXPECT_EQ(r.user, QStringLiteral("MARIE"));
    // Posted: the entry is reset for the next receipt.
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(dm->cfrhd_table.field(QStringLiteral("Cfrhd_packing_slip")).isNull());
    EXPECT_TRUE(form->Client_code->isEnabled());
}

TEST_F(ReceiptFixture, ACompleteOrderIsPostedThroughTheLedger)
{
    OpenWindow();
    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), true);
    Accept();
    EXPECT_TRUE(messages.shown.isEmpty()) << Shown().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(
        Count(*company, QStringLiteral("cfrhd"), {{"Cfrhd_packing_slip", "PS-1"}, {"Cfrhd_order_number", "1001"}}), 1);
    EXPECT_EQ(Count(*company, QStringLiteral("cfrdet"), {{"Cfrdet_paking_slip", "PS-1"}}), 2);
    // 4 received before, 6 now: the order line is complete.
    EXPECT_EQ(Value(*company, QStringLiteral("cfdet"), {{"Cfdet_line_code", "ABC"}, {"Cfdet_item_code", "BOLT"}},
                    QStringLiteral("Cfdet_qty_received"))
                  .toDouble(),
              10.0);
    EXPECT_EQ(Value(*company, QStringLiteral("ivinv"), {{"Ivinv_Line_Code", "ABC"}, {"Ivinv_item_code", "BOLT"}},
                    QStringLiteral("Ivinv_qty1"))
                  .toDouble(),
              6.0);
    EXPECT_EQ(Rows(), 0);
    // The window's focus is back in the supplier box.
    EXPECT_EQ(form->focusWidget(), form->Client_code);
}

TEST_F(ReceiptFixture, AFailedWriteLeavesTheDataAndTheScreenAsTheyWere)
{
    OpenWindow();
    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), true);
    company->failAtWrite(3);
    Accept();
    company->failAtWrite(0);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown.first().kind, MessageKind::Error);
    EXPECT_TRUE(messages.shown.first().text.startsWith(Line(lines::NotPosted)));
    EXPECT_EQ(Count(*company, QStringLiteral("cfrhd")), 1);
    EXPECT_EQ(Count(*company, QStringLiteral("cfrdet")), 0);
    EXPECT_EQ(Value(*company, QStringLiteral("cfdet"), {{"Cfdet_line_code", "ABC"}, {"Cfdet_item_code", "BOLT"}},
                    QStringLiteral("Cfdet_qty_received"))
                  .toDouble(),
              4.0);
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_packing_slip")).asString(), QStringLiteral("PS-1"));
    // The user tries again: now it is posted.
    messages.shown.clear();
    Accept();
    EXPECT_TRUE(messages.shown.isEmpty()) << Shown().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Count(*company, QStringLiteral("cfrdet")), 2);
}

TEST_F(ReceiptFixture, AFailedPostingShowsWhyAndLeavesTheReceiptOnTheScreen)
{
    CapturedPosting posting;
    posting.failWith = QStringLiteral("Record locked by another user.");
    posting.install();
    OpenWindow();
    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), true);
    Accept();
    EXPECT_EQ(posting.calls, 1);
    EXPECT_EQ(Shown(), QStringList({QStringLiteral("Record locked by another user.")}));
    EXPECT_EQ(messages.shown.first().kind, MessageKind::Error);
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(0, ColQtyReceived), QStringLiteral("6"));
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_packing_slip")).asString(), QStringLiteral("PS-1"));
    EXPECT_EQ(dm->cfrhd_table.field(QStringLiteral("Cfrhd_total")).asMoney(), Currency::fromUnits(43));
    EXPECT_TRUE(form->Accept_btn->isEnabled());
    EXPECT_TRUE(form->Exit_btn->isEnabled());
    EXPECT_EQ(Count(*company, QStringLiteral("cfrhd")), 1);
}

// ---- serial numbers ----------------------------------------------------------------

class SerialFixture : public ReceiptFixture {
protected:
    void receiveSaws(int quantity)
    {
        OpenWindow();
        ReceiveOneLine(QStringLiteral("PS-9"), QStringLiteral("SAW"), QStringLiteral("CIRC"),
                       QString::number(quantity));
    }
};

TEST_F(SerialFixture, ThreeUnitsAskForThreeSerialsAndPostThem)
{
    receiveSaws(3);
    QStringList counts;
    QStringList refusals;
    ModalDriver serials(
        QStringLiteral("stockrcv_serial_frm"),
        [&](QWidget* w) {
            auto* dialog = static_cast<Tstockrcv_serial_frm*>(w);
            for (int row = 0; row < dialog->DBGrid1->gridModel()->rowCount(); ++row)
                counts << dialog->DBGrid1->gridModel()->index(row, 0).data().toString();
            // Accept with empty rows is refused; a duplicate and a serial in stock too.
            QTest::mouseClick(dialog->AcceptBtn, Qt::LeftButton);
            TypeSerial(dialog, 0, QStringLiteral("S-1"));
            TypeSerial(dialog, 1, QStringLiteral("S-1"));
            TypeSerial(dialog, 1, QStringLiteral("S-OLD"));
            refusals = messages.texts();
            messages.shown.clear();
            TypeSerial(dialog, 1, QStringLiteral("S-2"));
            TypeSerial(dialog, 2, QStringLiteral("S-3"));
            QTest::mouseClick(dialog->AcceptBtn, Qt::LeftButton);
        },
        DialogLimitMs);
    Accept();
    EXPECT_TRUE(serials.ran());
    EXPECT_EQ(counts, QStringList({"1", "2", "3"}));
    EXPECT_EQ(refusals,
              QStringList({Line(lines::SerialMissing), Line(lines::SerialTwiceInReceipt), Line(lines::SerialInStock)}));
    EXPECT_TRUE(messages.shown.isEmpty()) << Shown().join(QLatin1Char('|')).toStdString();
    // Three serial records written, beside the one already in stock.
    EXPECT_EQ(Count(*company, QStringLiteral("ivserin"), {{"Ivserin_line_code", "SAW"}, {"Ivserin_item_code", "CIRC"}}),
              4);
    for (const char* serial : {"S-1", "S-2", "S-3"})
        EXPECT_EQ(
            Count(*company, QStringLiteral("ivserin"), {{"Ivserin_serial", serial}, {"Ivserin_supplier", "ACME"}}), 1)
            << serial;
}

TEST_F(SerialFixture, TwoLinesOfOneProductTakeDifferentSerials)
{
    CapturedPosting posting;
    posting.install();
    receiveSaws(1);
    form->AppendLine();
    TypeCell(1, ColLine, QStringLiteral("SAW"));
    TypeCell(1, ColItem, QStringLiteral("CIRC"));
    TypeCell(1, ColQtyReceived, QStringLiteral("2"));
    int dialogs = 0;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<Tstockrcv_serial_frm*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll.stop();
        ++dialogs;
        const int rows = dialog->DBGrid1->gridModel()->rowCount();
        for (int row = 0; row < rows; ++row)
            TypeSerial(dialog, row, QStringLiteral("T-%1").arg(row + 1));
        QTest::mouseClick(dialog->AcceptBtn, Qt::LeftButton);
        poll.start();
    });
    poll.start();
    Accept();
    poll.stop();
    ASSERT_EQ(posting.calls, 1);
    ASSERT_EQ(posting.receipt.lines.size(), 2u);
    ASSERT_EQ(posting.receipt.lines[0].serials.size(), 1u);
    ASSERT_EQ(posting.receipt.lines[1].serials.size(), 2u);
    EXPECT_EQ(posting.receipt.lines[0].serials[0].serial, QStringLiteral("T-1"));
    EXPECT_EQ(posting.receipt.lines[1].serials[0].serial, QStringLiteral("T-2"));
    EXPECT_EQ(posting.receipt.lines[1].serials[1].serial, QStringLiteral("T-3"));
    EXPECT_GE(dialogs, 1);
}

TEST_F(SerialFixture, CancellingTheSerialsPostsNothing)
{
    CapturedPosting posting;
    posting.install();
    receiveSaws(2);
    ModalDriver serials(
        QStringLiteral("stockrcv_serial_frm"),
        [](QWidget* w) { QTest::mouseClick(static_cast<Tstockrcv_serial_frm*>(w)->CancelBtn, Qt::LeftButton); },
        DialogLimitMs);
    Accept();
    EXPECT_TRUE(serials.ran());
    EXPECT_EQ(posting.calls, 0);
    EXPECT_EQ(Rows(), 1);
    // Raising the quantity later adds the missing rows to those already made.
    TypeCell(0, ColQtyReceived, QStringLiteral("4"));
    QStringList counts;
    ModalDriver again(
        QStringLiteral("stockrcv_serial_frm"),
        [&](QWidget* w) {
            auto* dialog = static_cast<Tstockrcv_serial_frm*>(w);
            for (int row = 0; row < dialog->DBGrid1->gridModel()->rowCount(); ++row)
                counts << dialog->DBGrid1->gridModel()->index(row, 0).data().toString();
            QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
        },
        DialogLimitMs);
    Accept();
    EXPECT_EQ(counts, QStringList({"1", "2", "3", "4"}));
}

TEST_F(SerialFixture, ARangeOfSixtyFourBitNumbersFillsTheRows)
{
    CapturedPosting posting;
    posting.install();
    receiveSaws(3);
    QStringList refusals;
    // 2^62 + 1000: beyond 32 bits and beyond a double's exact integers.
    const qlonglong from = (1LL << 62) + 1000;
    int rangeShown = 0;
    std::function<void()> answerRange;
    ModalDriver serials(
        QStringLiteral("stockrcv_serial_frm"),
        [&](QWidget* w) {
            auto* dialog = static_cast<Tstockrcv_serial_frm*>(w);
            // First a range one too long (refused, the range dialog comes back),
            // then the right one.
            QTimer poll;
            poll.setInterval(20);
            QObject::connect(&poll, &QTimer::timeout, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                auto* range = qobject_cast<TRangeFrm*>(modal);
                if (range == nullptr || !range->isVisible())
                    return;
                ++rangeShown;
                range->FromEdit->setText(QString::number(from));
                range->ToEdit->setText(QString::number(from + (rangeShown == 1 ? 3 : 2)));
                QTest::mouseClick(range->OKBtn, Qt::LeftButton);
                if (rangeShown == 2)
                    poll.stop();
            });
            poll.start();
            QTest::mouseClick(dialog->RangeBtn, Qt::LeftButton);
            refusals = messages.texts();
            QTest::mouseClick(dialog->AcceptBtn, Qt::LeftButton);
        },
        DialogLimitMs);
    Accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return posting.calls == 1; }, 5000));
    EXPECT_EQ(rangeShown, 2);
    EXPECT_EQ(refusals, QStringList({Line(lines::RangeDoesNotMatch)}));
    const auto& written = posting.receipt.lines[0].serials;
    ASSERT_EQ(written.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(written[static_cast<std::size_t>(i)].serial, QString::number(from + i));
}

// ---- project and containers --------------------------------------------------------

TEST_F(ReceiptFixture, AProjectThatDoesNotExistKeepsTheProjectDialogOpen)
{
    QFile ini(settings.path());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Lgx]\nJobCost=Y\n");
    ini.close();
    Put(*company, QStringLiteral("jcProject"), {{"JcProject_No", "P-7"}});
    CapturedPosting posting;
    posting.install();
    OpenWindow();
    StartFreeReceipt(QStringLiteral("ACME"), QStringLiteral("PS-4"));
    form->DBGrid3->setFocus();
    Settle();
    TypeCell(0, ColLine, QStringLiteral("ABC"));
    TypeCell(0, ColItem, QStringLiteral("BOLT"));
    bool stayedOpen = false;
    ModalDriver project(
        QStringLiteral("stockrcvProjectFrm"),
        [&](QWidget* w) {
            auto* dialog = static_cast<TstockrcvProjectFrm*>(w);
            dialog->edtProject->setFocus();
            QTest::keyClicks(dialog->edtProject, QStringLiteral("P-404"));
            dialog->edtPeriod->setText(QStringLiteral("11"));
            QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
            stayedOpen = dialog->isVisible();
            dialog->edtProject->selectAll();
            QTest::keyClicks(dialog->edtProject, QStringLiteral("P-7"));
            QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        },
        DialogLimitMs);
    Accept();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Shown(), QStringList({Line(lines::NoSuchProject)}));
    ASSERT_EQ(posting.calls, 1);
    EXPECT_EQ(posting.receipt.project, QStringLiteral("P-7"));
    EXPECT_EQ(posting.receipt.projectPeriod, 11);
}

TEST_F(ReceiptFixture, ContainersOfAVolumeProductAreAskedUntilAWholeNumberIsGiven)
{
    Put(*company, QStringLiteral("ivprod"),
        {{"Ivprod_line_code", "GAS"},
         {"Ivprod_item_code", "O2"},
         {"Ivprod_desc_1", "Oxygen"},
         {"Ivprod_std_cost", 12.0},
         {"Ivprod_VolumeProduct", true}});
    CapturedPosting posting;
    posting.install();
    OpenWindow();
    ReceiveOneLine(QStringLiteral("PS-5"), QStringLiteral("GAS"), QStringLiteral("O2"), QStringLiteral("30"));
    int asked = 0;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TfrmCyQty*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        ++asked;
        dialog->edtCYReceived->setText(asked == 1 ? QStringLiteral("two") : QStringLiteral("2"));
        QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
    });
    poll.start();
    Accept();
    poll.stop();
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(posting.calls, 1);
    ASSERT_EQ(posting.receipt.lines.size(), 1u);
    EXPECT_EQ(posting.receipt.lines[0].cylinders, 2);
}

// ---- the windows' pictures ---------------------------------------------------------

namespace {

// With VARNEX_SCREENSHOTS set to a folder, the pictures of docs/screenshots
// are written there.
void savePicture(QWidget* window, const QString& name)
{
    const QImage image = window->grab().toImage();
    EXPECT_FALSE(image.isNull()) << name.toStdString();
    const QString folder = qEnvironmentVariable("VARNEX_SCREENSHOTS");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) << name.toStdString();
    }
}

} // namespace

class PictureFixture : public ReceiptFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(PictureFixture, AReceiptInProgressAndTheDialogs)
{
    const QString code = QString::fromLatin1(GetParam());
    ModuleLink().raw().Link_language = code == QLatin1String("fr") ? 2 : 1;
    ModuleLink().setLangCode(code);
    Put(*company, QStringLiteral("ivmag"), {{"Ivmag_store_number", 2}, {"Ivmag_store_name", "Magasin"}});
    Update(*company, QStringLiteral("ivinv"), {{"Ivinv_Line_Code", "ABC"}, {"Ivinv_item_code", "BOLT"}},
           {{"Ivinv_qty1", 40.0}, {"Ivinv_cli_order", 15.0}, {"Ivinv_on_order", 6.0}});
    OpenWindow();
    StartOrderReceipt(QStringLiteral("1001"), QStringLiteral("PS-1"), false);
    TypeCell(1, ColQtyReceived, QStringLiteral("8"));
    TypeCell(0, ColQtyReceived, QStringLiteral("5"));
    EXPECT_EQ(Cell(1, ColTotal), QStringLiteral("16.00"));
    EXPECT_EQ(form->lblAvailable->text(), QStringLiteral("25"));
    savePicture(form.get(), QStringLiteral("stockrcv-") + code);
    // The dialogs as the user meets them.
    form->StoreFrm->FillStores();
    form->SerialFrm->QtyLabel->setText(QStringLiteral("3"));
    form->SerialFrm->DescLabel->setText(QStringLiteral("Circular saw"));
    form->SerialFrm->CodeLabel->setText(QStringLiteral("SAW CIRC"));
    form->CyQtyFrm->lblDesc->setText(QStringLiteral("Oxygen"));
    const std::pair<QWidget*, const char*> dialogs[] = {
        {form->Frm2, "stockrcv-perform-"},       {form->StoreFrm, "stockrcv-store-"},
        {form->SerialFrm, "stockrcv-serials-"},  {form->RangeFrm, "stockrcv-range-"},
        {form->CyQtyFrm, "stockrcv-cylinders-"}, {form->ProjectFrm, "stockrcv-project-"},
    };
    for (const auto& [dialog, name] : dialogs)
        savePicture(dialog, QString::fromLatin1(name) + code);
    EXPECT_EQ(form->StoreFrm->ComboBox1->currentText(), QStringLiteral("2 - Magasin"));
    if (code == QLatin1String("fr")) {
        EXPECT_EQ(form->SerialFrm->windowTitle(), QStringLiteral("Entrée des numéros de série"));
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, PictureFixture, ::testing::Values("en", "fr"));
