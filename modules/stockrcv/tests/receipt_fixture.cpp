#include "receipt_fixture.h"

#include <QFile>
#include <QPointer>

#include "varnex/data/table.h"
#include "varnex/regional.h"

using namespace varnex;
using namespace varnex::data;
using namespace varnex::stockrcv;

namespace stockrcv_test {

void Put(Database& db, const QString& table, const FieldValues& values)
{
    Table t;
    t.setDatabase(db.shared_from_this());
    t.setTableName(table);
    t.open();
    t.append();
    for (const auto& [field, value] : values)
        t.field(field).setValue(value);
    t.post();
}

namespace {

bool matches(Table& t, const FieldValues& where)
{
    for (const auto& [field, value] : where)
        if (t.field(field).value() != value && t.field(field).asString() != value.toString())
            return false;
    return true;
}

} // namespace

void Update(Database& db, const QString& table, const FieldValues& where, const FieldValues& values)
{
    Table t;
    t.setDatabase(db.shared_from_this());
    t.setTableName(table);
    t.open();
    for (t.first(); !t.eof(); t.next()) {
        if (!matches(t, where))
            continue;
        t.edit();
        for (const auto& [field, value] : values)
            t.field(field).setValue(value);
        t.post();
    }
}

int Count(Database& db, const QString& table, const FieldValues& where)
{
    Table t;
    t.setDatabase(db.shared_from_this());
    t.setTableName(table);
    t.setReadOnly(true);
    t.open();
    int n = 0;
    for (t.first(); !t.eof(); t.next())
        n += matches(t, where) ? 1 : 0;
    return n;
}

QVariant Value(Database& db, const QString& table, const FieldValues& where, const QString& field)
{
    Table t;
    t.setDatabase(db.shared_from_this());
    t.setTableName(table);
    t.setReadOnly(true);
    t.open();
    for (t.first(); !t.eof(); t.next())
        if (matches(t, where))
            return t.field(field).value();
    return QVariant();
}

void CapturedPosting::install()
{
    SetReceiptPoster([this](Tstockrcv_dm& dm, const GatheredReceipt& gathered, const TLinkSection& record) {
        ++calls;
        receipt = BuildStockReceipt(dm, gathered, record, QStringLiteral("Stock receipt"));
        return failWith;
    });
}

QStringList CapturedPosting::serials() const
{
    QStringList all;
    for (const ledger::ReceiptLine& line : receipt.lines)
        for (const auto& serial : line.serials)
            all << serial.serial;
    return all;
}

void TypeSerial(Tstockrcv_serial_frm* dialog, int row, const QString& serial)
{
    // The dialog may not be active yet right after a message: wait for it,
    // so the editor gets the keys as it would under a window manager.
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    auto* grid = dialog->DBGrid1;
    const QModelIndex index = grid->gridModel()->index(row, 1);
    grid->setFocus();
    grid->setCurrentIndex(index);
    grid->edit(index);
    QPointer<QLineEdit> editor = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, serial);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(test_support::WaitUntil([&editor] { return editor.isNull() || !editor->isVisible(); }));
    ASSERT_TRUE(test_support::RunDeferred()) << "the serial's rules did not finish";
}

void ReceiptFixture::SetUp()
{
    ResetRegionalFormats();
    QFile ini(settings.path());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Lgx]\nJobCost=N\n");
    ini.close();
    dataRoot = root.path() + QStringLiteral("/data");
    DataRootOptions rootOptions;
    rootOptions.sessions = 4;
    rootOptions.adminPassword = QStringLiteral("SECRET");
    rootOptions.adminLanguage = 1;
    CreateDataRoot(dataRoot, rootOptions);
    CompanyOptions companyOptions;
    companyOptions.name = QStringLiteral("Quincaillerie Côté");
    companyOptions.language = 1;
    CreateCompany(dataRoot, companyOptions);
    UserSpec clerk;
    clerk.code = QStringLiteral("MARIE");
    clerk.name = QStringLiteral("Marie Tremblay");
    clerk.password = QStringLiteral("MT");
    clerk.store = 2;
    AddUser(dataRoot, clerk);
    company = Database::forFolder(CompanyFolderOf(dataRoot, 1));
    SeedCompany();

    LinkRecord& link = ModuleLink();
    link = LinkRecord();
    link.setText(&TLinkSection::Link_data_dir, dataRoot);
    link.setText(&TLinkSection::Link_pgm_dir, root.path() + QStringLiteral("/bin"));
    link.setText(&TLinkSection::Link_company, QStringLiteral("1"));
    link.setText(&TLinkSection::Link_company_name, QStringLiteral("Quincaillerie Côté"));
    link.setText(&TLinkSection::Link_user, QStringLiteral("MARIE"));
    link.setText(&TLinkSection::Link_user_name, QStringLiteral("Marie"));
    link.raw().Link_session = 3;
    link.raw().Link_language = 1;
    link.setLangCode(QStringLiteral("en"));
    SetMessageService(&messages);
    frame::SetPickListService(&picks);
}

void ReceiptFixture::TearDown()
{
    form.reset();
    dm.reset();
    SetReceiptPoster({});
    SetMessageService(nullptr);
    frame::SetPickListService(nullptr);
    ModuleLink() = LinkRecord();
}

void ReceiptFixture::SeedCompany()
{
    Database& db = *company;
    Put(db, QStringLiteral("sup"),
        {{"Sup_code", "ACME"},
         {"Sup_name", "Acme Québec"},
         {"Sup_city", "Lévis"},
         {"Sup_email", "ventes@acme.example"},
         {"Sup_currency", 0}});
    Put(db, QStringLiteral("sup"), {{"Sup_code", "BELL"}, {"Sup_name", "Bell Fournitures"}, {"Sup_currency", 0}});
    Put(db, QStringLiteral("ivmag"), {{"Ivmag_store_number", 1}, {"Ivmag_store_name", "Entrepôt"}});
    struct Product {
        const char* line;
        const char* item;
        const char* desc;
        double cost;
        double unit;
        bool kit;
        bool serial;
        const char* alt1;
    };
    const Product products[] = {
        {"ABC", "BOLT", "Bolt 1/4", 0.10, 1, false, false, ""},
        {"ABC", "NUT", "Nut 1/4", 0.05, 0, false, false, "XYNUT"},
        {"PNT", "RED", "Red paint", 2.50, 0, false, false, ""},
        {"KIT", "BOX", "Tool box kit", 30, 1, true, false, ""},
        {"SAW", "CIRC", "Circular saw", 120, 1, false, true, ""},
    };
    for (const Product& p : products)
        Put(db, QStringLiteral("ivprod"),
            {{"Ivprod_line_code", p.line},
             {"Ivprod_item_code", p.item},
             {"Ivprod_desc_1", QString::fromUtf8(p.desc)},
             {"Ivprod_std_cost", p.cost},
             {"Ivprod_price_unit", p.unit},
             {"Ivprod_kit", p.kit},
             {"Ivprod_serial_no", p.serial},
             {"Ivprod_alt_key1", p.alt1}});
    Put(db, QStringLiteral("ivinv"),
        {{"Ivinv_Line_Code", "ABC"},
         {"Ivinv_item_code", "BOLT"},
         {"Ivinv_store", 1},
         {"Ivinv_bin", "A-12"},
         {"Ivinv_min_order", 50}});
    Put(db, QStringLiteral("ivserin"),
        {{"Ivserin_line_code", "SAW"},
         {"Ivserin_item_code", "CIRC"},
         {"Ivserin_serial", "S-OLD"},
         {"Ivserin_store", 1}});
    // Order 1001 (a purchase order) and 1002 (another kind of document).
    Put(db, QStringLiteral("cfhdr"),
        {{"Cfhdr_doc", "2"},
         {"Cfhdr_order_number", "1001"},
         {"Cfhdr_supplier", "ACME"},
         {"Cfhdr_date", QDate(2026, 11, 20)},
         {"Cfhdr_store", 1},
         {"Cfhdr_total", QVariant::fromValue(Currency::fromUnits(120))}});
    Put(db, QStringLiteral("cfhdr"),
        {{"Cfhdr_doc", "1"}, {"Cfhdr_order_number", "1002"}, {"Cfhdr_supplier", "ACME"}, {"Cfhdr_store", 1}});
    struct OrderLine {
        const char* line;
        const char* item;
        double ordered;
        double received;
        double price;
        double discount;
    };
    const OrderLine orderLines[] = {
        {"ABC", "BOLT", 10, 4, 5.00, 10}, // 6 left at 4.50
        {"ABC", "NUT", 5, 5, 1.00, 0},    // fully received: not copied
        {"PNT", "RED", 0, 0, 3.00, 0},    // nothing ordered: filtered out
        {"PNT", "RED", 8, 0, 2.00, 0},    // 8 left at 2.00, unit factor 0 -> 1
    };
    for (const OrderLine& l : orderLines)
        Put(db, QStringLiteral("cfdet"),
            {{"Cfdet_doc", "2"},
             {"Cfdet_order_number", "1001"},
             {"Cfdet_line_code", l.line},
             {"Cfdet_item_code", l.item},
             {"Cfdet_desc", l.item},
             {"Cfdet_qty_order", l.ordered},
             {"Cfdet_qty_received", l.received},
             {"Cfdet_price", l.price},
             {"Cfdet_discount", l.discount}});
    Put(db, QStringLiteral("cfrhd"), {{"Cfrhd_packing_slip", "PS-OLD"}, {"Cfrhd_supplier", "ACME"}});
}

void ReceiptFixture::OpenWindow()
{
    dm = std::make_unique<Tstockrcv_dm>();
    form = std::make_unique<Tstockrcv_frm>(dm.get());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ASSERT_TRUE(test_support::WaitUntil([this] { return form->DBGrid3->gridModel()->dataSet() != nullptr; }));
    Settle();
}

void ReceiptFixture::Settle()
{
    ASSERT_TRUE(test_support::RunDeferred()) << "the window kept deferring work";
}

void ReceiptFixture::Type(QWidget* box, const QString& text)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    box->setFocus();
    Settle();
    auto* edit = qobject_cast<QLineEdit*>(box);
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

void ReceiptFixture::FocusTo(QWidget* next)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    next->setFocus();
    Settle();
}

void ReceiptFixture::TypeCell(int row, int column, const QString& text)
{
    auto* grid = form->DBGrid3;
    // After a modal dialog the window is active again (a window manager
    // would do this; offscreen there is none).
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    grid->setFocus();
    Settle();
    // The row may come from a line the window appends on entering the grid.
    ASSERT_TRUE(test_support::WaitUntil([&] { return row < Rows(); })) << "no row " << row;
    const QModelIndex index = grid->gridModel()->index(row, column);
    grid->setCurrentIndex(index);
    grid->edit(index);
    QPointer<QLineEdit> editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr) << "no editor in cell " << row << "," << column;
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // Committed: the editor is gone, and the rules it deferred have run.
    ASSERT_TRUE(test_support::WaitUntil([&editor] { return editor.isNull() || !editor->isVisible(); }))
        << "cell " << row << "," << column << " still in its editor";
    Settle();
}

QString ReceiptFixture::Cell(int row, int column) const
{
    return form->DBGrid3->gridModel()->index(row, column).data().toString();
}

int ReceiptFixture::Rows() const
{
    return form->DBGrid3->gridModel()->rowCount();
}

void ReceiptFixture::StartFreeReceipt(const QString& supplier, const QString& slip)
{
    Type(form->Client_code, supplier);
    FocusTo(form->Order_no);
    FocusTo(form->packing_slip);
    Type(form->packing_slip, slip);
    FocusTo(form->DateEdit);
}

void ReceiptFixture::ReceiveOneLine(const QString& slip, const QString& lineCode, const QString& itemCode,
                                    const QString& quantity)
{
    StartFreeReceipt(QStringLiteral("ACME"), slip);
    form->DBGrid3->setFocus();
    Settle();
    TypeCell(0, ColLine, lineCode);
    TypeCell(0, ColItem, itemCode);
    TypeCell(0, ColQtyReceived, quantity);
}

void ReceiptFixture::StartOrderReceipt(const QString& order, const QString& slip, bool complete)
{
    FocusTo(form->Order_no);
    Type(form->Order_no, order);
    FocusTo(form->packing_slip);
    Type(form->packing_slip, slip);
    varnex::test_support::ModalDriver perform(
        QStringLiteral("stockrcv_frm2"),
        [complete](QWidget* w) {
            auto* dialog = static_cast<Tstockrcv_frm2*>(w);
            (complete ? dialog->CompleteOrder : dialog->ItemByItem)->setChecked(true);
            QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        },
        DialogLimitMs);
    FocusTo(form->DateEdit);
    ASSERT_TRUE(test_support::WaitUntil([&] { return perform.ran(); })) << "no \"Perform stock receipt by\" dialog";
    Settle();
}

void ReceiptFixture::Accept()
{
    Settle();
    ASSERT_TRUE(test_support::WaitUntil([this] { return form->Accept_btn->isEnabled(); })) << "Accept stayed disabled";
    QTest::mouseClick(form->Accept_btn, Qt::LeftButton);
    Settle();
}

} // namespace stockrcv_test
