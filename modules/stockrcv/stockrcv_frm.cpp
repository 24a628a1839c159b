#include "stockrcv_forms.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <vector>

#include "varnex/application.h"
#include "varnex/data/database.h"
#include "varnex/frame/picklist.h"
#include "varnex/frame/tables.h"
#include "varnex/messages.h"
#include "varnex/regional.h"
#include "varnex/settings.h"
#include "varnex/statusbar.h"
#include "varnex/translation/message_lines.h"

namespace varnex::stockrcv {

using data::DataSetState;
using data::Field;

namespace {

const char* const ColumnFields[ColumnCount] = {
    "Cfrdet_line_code",    "Cfrdet_item_code", "Cfrdet_desc",  "Cfrdet_qty_order",
    "Cfrdet_qty_received", "Cfrdet_price",     "Cfrdet_total",
};

bool editing(const data::DataSet& set)
{
    return set.state() == DataSetState::Edit || set.state() == DataSetState::Insert;
}

// A number typed in a grid cell or a box: the regional thousands separator
// is ignored, the regional decimal separator accepted.
std::optional<double> parseNumber(const QString& text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return 0.0;
    t.remove(Regional().thousandSeparator);
    t.replace(Regional().decimalSeparator, QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Routes the grid's edits through the receipt's line rules instead of
// writing the field directly, and refuses an editor on a locked cell.
class ReceiptGridDelegate : public LookupButtonDelegate {
public:
    ReceiptGridDelegate(Tstockrcv_frm* form, QObject* parent)
        : LookupButtonDelegate(parent)
        , m_form(form)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!m_form->CellEditable(index.row(), index.column()))
            return nullptr;
        return LookupButtonDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr)
            return;
        // The rules may show a message or change the rows: run them once the
        // editor is gone.
        const QString text = line->text();
        const int row = index.row();
        const int column = index.column();
        QPointer<Tstockrcv_frm> form = m_form;
        QTimer::singleShot(0, m_form, [form, row, column, text] {
            if (form)
                form->EditCell(row, column, text);
        });
    }

private:
    Tstockrcv_frm* m_form;
};

} // namespace

// ---- construction --------------------------------------------------------------

Tstockrcv_frm::Tstockrcv_frm(Tstockrcv_dm* dm, QWidget* parent)
    : TModuleForm(parent)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("stockrcv_frm"));
    setWindowTitle(QStringLiteral("Stock receipts entry"));
    buildWindow();

    auto& lines = m_dm->cfrdettmp_table.events();
    lines.newRecord = [this](data::DataSet& set) { cfrdettmp_tableNewRecord(set); };
    lines.beforeDelete = [this](data::DataSet& set) { cfrdettmp_tableBeforeDelete(set); };
    lines.afterDelete = [this](data::DataSet& set) { cfrdettmp_tableAfterDelete(set); };
    m_dm->cfrhd_table.events().newRecord = [this](data::DataSet& set) { cfrhd_tableNewRecord(set); };

    RangeFrm = new TRangeFrm(this);
    Frm2 = new Tstockrcv_frm2(this);
    StoreFrm = new TStore_frm(m_dm, this);
    SerialFrm = new Tstockrcv_serial_frm(m_dm, this, RangeFrm, this);
    CyQtyFrm = new TfrmCyQty(this);
    ProjectFrm = new TstockrcvProjectFrm(m_dm, this, this);
    ErrorFrm = new frame::TErrorForm(this);
}

Tstockrcv_frm::~Tstockrcv_frm()
{
    m_dm->cfrdettmp_table.events() = {};
    m_dm->cfrhd_table.events() = {};
}

void Tstockrcv_frm::buildWindow()
{
    auto named = [this](auto* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    auto label = [&](const char* name, const char* text) {
        return named(new QLabel(QString::fromUtf8(text), this), name);
    };
    auto edit = [&](const char* name, const char* field) {
        auto* box = named(new TVarnexDBEdit(this), name);
        box->setDataSet(&m_dm->cfrhd_table);
        box->setDataField(QString::fromLatin1(field));
        box->installEventFilter(this);
        m_headerEdits << box;
        return box;
    };
    auto button = [&](const char* name, const char* text) {
        auto* b = named(new QPushButton(QString::fromUtf8(text), this), name);
        b->setAutoDefault(false);
        return b;
    };
    auto tool = [&](const char* name, const char* hint, QStyle::StandardPixmap icon) {
        auto* b = named(new QToolButton(this), name);
        b->setToolTip(QString::fromUtf8(hint));
        b->setIcon(style()->standardIcon(icon));
        b->setAutoRaise(true);
        return b;
    };

    Printfrm_Btn = tool("Printfrm_Btn", "Print screen", QStyle::SP_FileDialogDetailedView);
    SpeedButton1 = tool("SpeedButton1", "Quick Link", QStyle::SP_DirLinkIcon);
    SpeedButton2 = tool("SpeedButton2", "E-Mail to", QStyle::SP_MessageBoxInformation);

    Label1 = label("Label1", "Supplier");
    Label2 = label("Label2", "Purchase order");
    Label3 = label("Label3", "Packing slip");
    Label4 = label("Label4", "Date");
    Label5 = label("Label5", "Memo");
    Label6 = label("Label6", "Total");
    Client_code = edit("Client_code", "Cfrhd_supplier");
    Order_no = edit("Order_no", "Cfrhd_order_number");
    packing_slip = edit("packing_slip", "Cfrhd_packing_slip");
    DateEdit = edit("DateEdit", "Cfrhd_date");
    MemoEdit = edit("MemoEdit", "Cfrhd_memo");
    TotalEdit = named(new TVarnexCurrencyField(this), "TotalEdit");
    TotalEdit->setDataSet(&m_dm->cfrhd_table, QStringLiteral("Cfrhd_total"));
    TotalEdit->setFocusPolicy(Qt::NoFocus);
    BitBtn2 = button("BitBtn2", "...");
    BitBtn2->setToolTip(QStringLiteral("List of suppliers"));
    BitBtn2->setFocusPolicy(Qt::TabFocus);
    BitBtn2->setFixedWidth(30);
    BitBtn1 = button("BitBtn1", "...");
    BitBtn1->setToolTip(QStringLiteral("List of purchase orders"));
    BitBtn1->setFocusPolicy(Qt::TabFocus);
    BitBtn1->setFixedWidth(30);
    SupName = label("SupName", "");
    SupAdr1 = label("SupAdr1", "");
    SupAdr2 = label("SupAdr2", "");
    SupCity = label("SupCity", "");
    SupPostal = label("SupPostal", "");
    Label7 = label("Label7", "On hand");
    Label8 = label("Label8", "Available");
    Label9 = label("Label9", "On order");
    lblOnHand = label("lblOnHand", "");
    lblAvailable = label("lblAvailable", "");
    lblOnOrder = label("lblOnOrder", "");
    for (QLabel* l : {lblOnHand, lblAvailable, lblOnOrder}) {
        l->setMinimumWidth(70);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    DBGrid3 = named(new TVarnexDBGrid(this), "DBGrid3");
    DBGrid3->setItemDelegate(new ReceiptGridDelegate(this, DBGrid3));
    DBGrid3->setSelectionBehavior(QAbstractItemView::SelectItems);
    QList<GridColumn> columns;
    const char* titles[ColumnCount] = {"Line",         "Item", "Description", "Qty to receive",
                                       "Qty received", "Cost", "Total"};
    const int widths[ColumnCount] = {60, 130, 220, 95, 95, 90, 100};
    for (int c = 0; c < ColumnCount; ++c) {
        GridColumn column;
        column.fieldName = QString::fromLatin1(ColumnFields[c]);
        column.title = QString::fromUtf8(titles[c]);
        column.width = widths[c];
        column.readOnly = c == ColTotal;
        column.lookupButton = c == ColLine || c == ColItem;
        if (c >= ColQtyOrder)
            column.alignment = Qt::AlignRight | Qt::AlignVCenter;
        columns << column;
    }
    DBGrid3->setColumns(columns);
    DBGrid3->installEventFilter(this);
    connect(DBGrid3, &TVarnexDBGrid::editButtonClicked, this, [this] { DBGrid3EditButtonClick(); });
    connect(DBGrid3, &TVarnexDBGrid::keyPressed, this, &Tstockrcv_frm::DBGrid3KeyDown);
    connect(DBGrid3, &TVarnexDBGrid::gridEntered, this,
            [this] { QTimer::singleShot(0, this, [this] { DBGrid3Enter(); }); });
    connect(DBGrid3->selectionModel(), &QItemSelectionModel::currentColumnChanged, this, [this] { DBGrid3ColEnter(); });
    connect(DBGrid3->gridModel(), &DataSetModel::currentRowChanged, this, [this] { cfrdettmp_tableAfterScroll(); });

    Accept_btn = button("Accept_btn", "Accept");
    Cancel_btn = button("Cancel_btn", "Cancel");
    Cancel_btn->setProperty("Tag", 13);
    Exit_btn = button("Exit_btn", "Exit");
    Exit_btn->setProperty("Tag", 13);
    Help_btn = button("Help_btn", "Help");
    IntlStrings1 = named(new QPlainTextEdit(this), "IntlStrings1");
    IntlStrings1->hide();
    StatusBar1 = named(new TStatusBar(this), "StatusBar1");
    StatusBar1->addPanel(QString(), 260);
    StatusBar1->addPanel(QString(), 160);
    StatusBar1->addPanel(QStringLiteral("Version "));

    connect(BitBtn1, &QPushButton::clicked, this, &Tstockrcv_frm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &Tstockrcv_frm::BitBtn2Click);
    connect(Accept_btn, &QPushButton::clicked, this, &Tstockrcv_frm::Accept_btnClick);
    connect(Cancel_btn, &QPushButton::clicked, this, &Tstockrcv_frm::Cancel_btnClick);
    connect(Exit_btn, &QPushButton::clicked, this, &Tstockrcv_frm::Exit_btnClick);
    connect(Help_btn, &QPushButton::clicked, this, &Tstockrcv_frm::Help_btnClick);
    connect(Printfrm_Btn, &QToolButton::clicked, this, &Tstockrcv_frm::Printfrm_BtnClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &Tstockrcv_frm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &Tstockrcv_frm::SpeedButton2Click);

    auto* tools = new QHBoxLayout;
    tools->addWidget(Printfrm_Btn);
    tools->addWidget(SpeedButton1);
    tools->addWidget(SpeedButton2);
    tools->addStretch();

    auto* header = new QGridLayout;
    header->addWidget(Label1, 0, 0);
    header->addWidget(Client_code, 0, 1);
    header->addWidget(BitBtn2, 0, 2);
    header->addWidget(Label2, 1, 0);
    header->addWidget(Order_no, 1, 1);
    header->addWidget(BitBtn1, 1, 2);
    header->addWidget(Label3, 2, 0);
    header->addWidget(packing_slip, 2, 1);
    header->addWidget(Label4, 3, 0);
    header->addWidget(DateEdit, 3, 1);
    header->addWidget(Label5, 4, 0);
    header->addWidget(MemoEdit, 4, 1, 1, 5);
    auto* supplier = new QVBoxLayout;
    for (QLabel* l : {SupName, SupAdr1, SupAdr2, SupCity, SupPostal})
        supplier->addWidget(l);
    supplier->addStretch();
    header->addLayout(supplier, 0, 4, 4, 2);
    header->setColumnStretch(3, 1);
    header->setColumnMinimumWidth(3, 20);

    auto* totals = new QHBoxLayout;
    for (auto [caption, value] : {std::pair{Label7, lblOnHand}, {Label8, lblAvailable}, {Label9, lblOnOrder}}) {
        totals->addWidget(caption);
        totals->addWidget(value);
        totals->addSpacing(16);
    }
    totals->addStretch();
    totals->addWidget(Label6);
    totals->addWidget(TotalEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Accept_btn);
    buttons->addWidget(Cancel_btn);
    buttons->addStretch();
    buttons->addWidget(Help_btn);
    buttons->addWidget(Exit_btn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addLayout(header);
    layout->addWidget(DBGrid3, 1);
    layout->addLayout(totals);
    layout->addLayout(buttons);
    layout->addWidget(IntlStrings1);
    layout->addWidget(StatusBar1);
    setFixedSize(860, 560);
    setTabOrder(Client_code, Order_no);
    setTabOrder(Order_no, packing_slip);
    setTabOrder(packing_slip, DateEdit);
    setTabOrder(DateEdit, MemoEdit);
    setTabOrder(MemoEdit, DBGrid3);
}

QString Tstockrcv_frm::Message(int line) const
{
    return translation::MessageLine(IntlStrings1, line);
}

QString Tstockrcv_frm::headerText(const char* field)
{
    return m_dm->cfrhd_table.field(QString::fromLatin1(field)).asString().trimmed();
}

// ---- first activation and reset ------------------------------------------------

void Tstockrcv_frm::FormActivate()
{
    if (m_activated)
        return;
    LinkRecord& link = ModuleLink();
    frame::FirstActivationSetup setup;
    setup.moduleName = QStringLiteral("stockrcv");
    setup.formsToTranslate = {this, StoreFrm, SerialFrm, Frm2, RangeFrm, CyQtyFrm, ProjectFrm, ErrorFrm};
    setup.standaloneDefaults = true;
    setup.statusBar = StatusBar1;
    setup.moduleAddress = reinterpret_cast<const void*>(&ModuleLink);
    setup.databases = {{&m_dm->Database1, true}, {&m_dm->Database2, true}};
    if (!frame::FirstActivation(link, setup))
        return;
    m_activated = true;
    m_baseCaption = windowTitle();
    frame::SetPickListModule(reinterpret_cast<const void*>(&ModuleLink));
    // A table that cannot be opened ends the receipt window (after the message).
    if (!m_dm->OpenTables(link.raw(), nullptr)) {
        reject();
        return;
    }
    DBGrid3->setDataSet(&m_dm->cfrdettmp_table);
    SerialFrm->DBGrid1->setDataSet(&m_dm->ivserintmp);

    auto& ctrl = m_dm->ctrl_table;
    ctrl.first();
    m_currencies.LoadCurrencySymbols(ctrl.field(QStringLiteral("Ctrl_curr1_sign")).asString(),
                                     ctrl.field(QStringLiteral("Ctrl_curr2_sign")).asString(),
                                     ctrl.field(QStringLiteral("Ctrl_curr3_sign")).asString(),
                                     ctrl.field(QStringLiteral("Ctrl_curr4_sign")).asString());
    ResetEntry();
    SpeedButton1->setEnabled(!frame::QuickLinkOpen());
    StoreFrm->FillStores();
    setStoreCaption(StoreFrm->SelectedStore());
    m_jobCost = SettingsStore::machine()
                    .value(QStringLiteral("Lgx"), QStringLiteral("JobCost"), QStringLiteral("N"))
                    .trimmed()
                    .toUpper()
                == QLatin1String("Y");
}

void Tstockrcv_frm::setStoreCaption(std::int64_t store)
{
    setWindowTitle(m_baseCaption + Message(lines::StoreSeparator) + QString::number(store));
}

void Tstockrcv_frm::ResetEntry()
{
    m_orderSelectionOpen = true;
    auto& work = m_dm->cfrdettmp_table;
    work.close();
    m_dm->Database2.database()->emptyTable(m_dm->workLinesName);
    work.open();
    work.field(QStringLiteral("Cfrdet_price")).setDisplayFormat(QStringLiteral("###,##0.000"));
    work.field(QStringLiteral("Cfrdet_total")).setDisplayFormat(QStringLiteral("###,###,##0.00"));
    auto& header = m_dm->cfrhd_table;
    if (editing(header))
        header.cancel();
    header.insert();
    for (QWidget* box : m_headerEdits) {
        box->setEnabled(true);
        static_cast<TVarnexDBEdit*>(box)->setBoxReadOnly(false);
    }
    DBGrid3->setEnabled(true);
    setSupplierLabelsVisible(false);
    BitBtn2->setEnabled(true);
    BitBtn1->setEnabled(true);
    setColumnReadOnly(ColQtyOrder, false);
    setColumnReadOnly(ColTotal, false);
    Accept_btn->setEnabled(false);
    m_dm->ivserintmp.close();
    m_dm->Database2.database()->emptyTable(m_dm->workSerialsName);
    m_dm->ivserintmp.open();
    Client_code->setEnabled(true);
    ShowStockOfCurrentLine();
    Client_code->setFocus();
}

void Tstockrcv_frm::cfrhd_tableNewRecord(data::DataSet& header)
{
    for (int i = 0; i < header.fieldCount(); ++i) {
        Field& f = header.fieldByNumber(i);
        switch (f.type()) {
        case data::FieldType::Money: f.setMoney(Currency()); break;
        case data::FieldType::Number: f.setNumber(0); break;
        case data::FieldType::Integer:
        case data::FieldType::ShortInteger: f.setInteger(0); break;
        default: break;
        }
    }
}

// ---- header --------------------------------------------------------------------

bool Tstockrcv_frm::hasLines()
{
    auto& work = m_dm->cfrdettmp_table;
    return work.isOpen() && work.recordCount() > 0;
}

void Tstockrcv_frm::setSupplierLabelsVisible(bool visible)
{
    for (QLabel* l : {SupName, SupAdr1, SupAdr2, SupCity, SupPostal})
        l->setVisible(visible);
}

void Tstockrcv_frm::showSupplier()
{
    auto& sup = m_dm->supp_table;
    SupName->setText(sup.field(QStringLiteral("Sup_name")).asString());
    SupAdr1->setText(sup.field(QStringLiteral("Sup_adr1")).asString());
    SupAdr2->setText(sup.field(QStringLiteral("Sup_adr2")).asString());
    SupCity->setText(sup.field(QStringLiteral("Sup_city")).asString());
    SupPostal->setText(sup.field(QStringLiteral("Sup_postal_code")).asString());
    setSupplierLabelsVisible(true);
    m_currencies.SetCurrencyDisplay(static_cast<int>(sup.field(QStringLiteral("Sup_currency")).asInteger()));
    TotalEdit->refresh();
}

bool Tstockrcv_frm::findSupplier(const QString& code)
{
    return !code.isEmpty() && m_dm->supp_table.findKey({code});
}

void Tstockrcv_frm::returnFocusTo(QWidget* box)
{
    // The box the user was moving to never really had the focus: leaving it
    // now must not run its own exit rules (two boxes would send the focus
    // back and forth for ever).
    m_returningFocus = true;
    box->setFocus(Qt::OtherFocusReason);
    m_returningFocus = false;
}

void Tstockrcv_frm::Client_codeEnter()
{
    Client_code->setBoxReadOnly(hasLines());
}

void Tstockrcv_frm::Order_noEnter()
{
    Order_no->setBoxReadOnly(hasLines());
}

void Tstockrcv_frm::Client_codeExit(QWidget* next)
{
    if (next == Cancel_btn || next == Exit_btn || next == BitBtn2)
        return;
    const QString code = headerText("Cfrhd_supplier");
    if (code.isEmpty() || !headerText("Cfrhd_order_number").isEmpty())
        return;
    if (findSupplier(code)) {
        showSupplier();
        m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_date")).setDate(QDate::currentDate());
        return;
    }
    Messages().show(this, MessageKind::Information, windowTitle(), Message(lines::NoSuchSupplier), MessageButtons::Ok);
    returnFocusTo(Client_code);
}

void Tstockrcv_frm::BitBtn2Click()
{
    if (hasLines())
        return;
    LinkRecord& link = ModuleLink();
    const QString code = frame::PickLists().ApGetSupplier(link.raw()).trimmed();
    if (code.isEmpty() || !findSupplier(code))
        return;
    m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_supplier")).setString(code);
    showSupplier();
    m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_date")).setDate(QDate::currentDate());
    Client_code->setFocus();
}

void Tstockrcv_frm::Order_noExit(QWidget* next)
{
    const QString order = headerText("Cfrhd_order_number");
    if (order.isEmpty()) {
        m_orderSelectionOpen = false;
        BitBtn2->setEnabled(true);
        return;
    }
    m_orderSelectionOpen = true;
    BitBtn2->setEnabled(false);
    if (next == Cancel_btn || next == BitBtn1 || next == Exit_btn)
        return;
    if (m_dm->cfhdr_table.findKey({QStringLiteral("2"), order})) {
        Order_no->setEnabled(false);
        packing_slip->setFocus();
        return;
    }
    Messages().show(this, MessageKind::Information, windowTitle(), Message(lines::NoSuchOrder), MessageButtons::Ok);
    returnFocusTo(Order_no);
}

void Tstockrcv_frm::BitBtn1Click()
{
    if (!m_orderSelectionOpen)
        return;
    LinkRecord& link = ModuleLink();
    link.setText(&TLinkSection::Link_context, QStringLiteral("2"));
    const QString order = frame::PickLists().CfhdrGetDoc(link.raw()).trimmed();
    if (order.isEmpty() || !m_dm->cfhdr_table.findKey({QStringLiteral("2"), order}))
        return;
    m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_order_number")).setString(order);
    Order_no->setEnabled(false);
    Client_code->setEnabled(false);
    BitBtn2->setEnabled(false);
    packing_slip->setFocus();
}

void Tstockrcv_frm::packing_slipEnter()
{
    const QString supplier = headerText("Cfrhd_supplier");
    const QString order = headerText("Cfrhd_order_number");
    if (supplier.isEmpty() && order.isEmpty()) {
        returnFocusTo(Client_code);
        return;
    }
    if (!order.isEmpty())
        return;
    auto& header = m_dm->cfrhd_table;
    if (header.field(QStringLiteral("Cfrhd_store")).asInteger() == 0) {
        auto& stores = m_dm->ivmag;
        if (stores.recordCount() < 2) {
            stores.first();
            if (!stores.eof())
                header.field(QStringLiteral("Cfrhd_store"))
                    .setInteger(stores.field(QStringLiteral("Ivmag_store_number")).asInteger());
        } else {
            StoreFrm->exec();
            header.field(QStringLiteral("Cfrhd_store")).setInteger(StoreFrm->SelectedStore());
            setStoreCaption(StoreFrm->SelectedStore());
        }
    }
    m_orderSelectionOpen = false;
    BitBtn2->setEnabled(true);
}

void Tstockrcv_frm::packing_slipExit(QWidget* next)
{
    if (next == Cancel_btn || next == Exit_btn || next == Help_btn)
        return;
    const QString order = headerText("Cfrhd_order_number");
    // An order's lines are copied once.
    if (!m_orderSelectionOpen && !order.isEmpty())
        return;
    const QString slip = headerText("Cfrhd_packing_slip");
    if (slip.isEmpty()) {
        returnFocusTo(!headerText("Cfrhd_supplier").isEmpty() || !order.isEmpty() ? packing_slip : Client_code);
        return;
    }
    if (m_dm->Table2.findKey({slip})) {
        Messages().show(this, MessageKind::Information, windowTitle(), Message(lines::PackingSlipUsed),
                        MessageButtons::Ok);
        m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_packing_slip")).clear();
        packing_slip->refreshFromField();
        returnFocusTo(packing_slip);
        return;
    }
    if (!order.isEmpty()) {
        if (Frm2->exec() != QDialog::Accepted)
            return;
        CopyOrder(Frm2->complete());
        setStoreCaption(m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_store")).asInteger());
        if (findSupplier(headerText("Cfrhd_supplier")))
            showSupplier();
        MemoEdit->setFocus();
        m_orderSelectionOpen = false;
    } else {
        DateEdit->setFocus();
    }
    setColumnReadOnly(ColQtyOrder, true);
    setColumnReadOnly(ColTotal, true);
}

void Tstockrcv_frm::CopyOrder(bool complete)
{
    auto& header = m_dm->cfrhd_table;
    auto& order = m_dm->cfhdr_table;
    auto& orderLines = m_dm->cfdet_table;
    auto& work = m_dm->cfrdettmp_table;
    if (!order.findKey({QStringLiteral("2"), headerText("Cfrhd_order_number")}))
        return;
    // The order header's fields from the order number to the project have the
    // same positions in the receipt header.
    const int from = order.field(QStringLiteral("Cfhdr_order_number")).index();
    const int to = order.field(QStringLiteral("cfhdr_project")).index();
    const int target = header.field(QStringLiteral("Cfrhd_order_number")).index();
    for (int i = from; i <= to; ++i)
        header.fieldByNumber(target + i - from).setValue(order.fieldByNumber(i).value());
    if (findSupplier(headerText("Cfrhd_supplier")))
        showSupplier();

    const QString slip = headerText("Cfrhd_packing_slip");
    const QString orderNumber = headerText("Cfrhd_order_number");
    Currency receiptTotal;
    // The order's lines are read in one walk before any work line is written:
    // a write between two steps of the walk would make every step ask the
    // engine again where it was.
    struct OrderLine {
        QVariantList copied; // Cfdet_line_code .. Cfdet_bin_loc
        double toReceive = 0;
        double cost = 0;
    };
    std::vector<OrderLine> toCopy;
    const int lineFrom = orderLines.field(QStringLiteral("Cfdet_line_code")).index();
    const int lineTo = orderLines.field(QStringLiteral("Cfdet_bin_loc")).index();
    for (orderLines.first(); !orderLines.eof(); orderLines.next()) {
        const double ordered = orderLines.field(QStringLiteral("Cfdet_qty_order")).asNumber();
        const double received = orderLines.field(QStringLiteral("Cfdet_qty_received")).asNumber();
        if (!(received < ordered))
            continue;
        OrderLine line;
        for (int i = lineFrom; i <= lineTo; ++i)
            line.copied << orderLines.fieldByNumber(i).value();
        const double price = orderLines.field(QStringLiteral("Cfdet_price")).asNumber();
        const double discount = orderLines.field(QStringLiteral("Cfdet_discount")).asNumber();
        line.toReceive = ordered - received;
        line.cost = price - price * discount / 100;
        toCopy.push_back(std::move(line));
    }

    // The unit factors of the order's products in one statement: a lookup
    // per line is a round trip per line on the server.
    QHash<QString, double> units;
    if (complete) {
        data::Query factors;
        factors.setDatabase(m_dm->Database1.database());
        factors.setSql(
            QStringLiteral("select distinct p.Ivprod_line_code as line_code, p.Ivprod_item_code as item_code,\n"
                           "  p.Ivprod_price_unit as price_unit\n"
                           "from cfdet d\n"
                           "join ivprod p on p.Ivprod_line_code = d.Cfdet_line_code\n"
                           "  and p.Ivprod_item_code = d.Cfdet_item_code\n"
                           "where d.Cfdet_doc = :doc and d.Cfdet_order_number = :order"));
        factors.bindText(QStringLiteral("doc"), QStringLiteral("2"));
        factors.bindText(QStringLiteral("order"), orderNumber);
        factors.open();
        for (factors.first(); !factors.eof(); factors.next()) {
            const double unit = factors.field(QStringLiteral("price_unit")).asNumber();
            units.insert(factors.field(QStringLiteral("line_code")).asString() + QLatin1Char('\n')
                             + factors.field(QStringLiteral("item_code")).asString(),
                         unit != 0 ? unit : 1.0);
        }
        factors.close();
    }

    const int lineTarget = work.field(QStringLiteral("Cfrdet_line_code")).index();
    work.disableControls();
    try {
        data::Transaction fill(m_dm->Database2.database());
        for (const OrderLine& line : toCopy) {
            work.append();
            work.field(QStringLiteral("Cfrdet_paking_slip")).setString(slip);
            work.field(QStringLiteral("Cfrdet_order_number")).setString(orderNumber);
            for (int i = 0; i < line.copied.size(); ++i)
                work.fieldByNumber(lineTarget + i).setValue(line.copied[i]);
            work.field(QStringLiteral("Cfrdet_qty_order")).setNumber(line.toReceive);
            work.field(QStringLiteral("Cfrdet_price")).setNumber(line.cost);
            work.field(QStringLiteral("Cfrdet_from_po")).setLogical(true);
            if (complete) {
                const double unit =
                    units.value(work.field(QStringLiteral("Cfrdet_line_code")).asString() + QLatin1Char('\n')
                                    + work.field(QStringLiteral("Cfrdet_item_code")).asString(),
                                1.0);
                const Currency total = Currency::fromDouble(line.cost).multipliedBy(line.toReceive * unit);
                work.field(QStringLiteral("Cfrdet_qty_received")).setNumber(line.toReceive);
                work.field(QStringLiteral("Cfrdet_total")).setMoney(total);
                receiptTotal += total;
            } else {
                work.field(QStringLiteral("Cfrdet_qty_received")).setNumber(0);
                work.field(QStringLiteral("Cfrdet_total")).setMoney(Currency());
            }
            work.post();
        }
        fill.commit();
    } catch (...) {
        if (editing(work))
            work.cancel();
        work.enableControls();
        throw;
    }
    work.enableControls();
    header.field(QStringLiteral("Cfrhd_total")).setMoney(receiptTotal);
    header.field(QStringLiteral("Cfhrd_date_received")).setDate(order.field(QStringLiteral("Cfhdr_date")).asDate());
    header.field(QStringLiteral("Cfrhd_date")).setDate(QDate::currentDate());
    work.first();
    ShowStockOfCurrentLine();
    Accept_btn->setEnabled(work.recordCount() > 0);
    for (QWidget* box : {static_cast<QWidget*>(Client_code), static_cast<QWidget*>(Order_no)})
        box->setEnabled(false);
    BitBtn2->setEnabled(false);
}

// ---- lines ---------------------------------------------------------------------

void Tstockrcv_frm::setColumnReadOnly(int column, bool readOnly)
{
    m_columnReadOnly[column] = readOnly;
}

bool Tstockrcv_frm::CellEditable(int row, int column)
{
    if (column < 0 || column >= ColumnCount || column == ColTotal)
        return false;
    if (m_columnReadOnly[column])
        return false;
    if (column == ColQtyReceived || column == ColCost)
        return true;
    if (!DBGrid3->gridModel()->moveDataSetTo(row))
        return true;
    // Lines copied from the order keep their product, description and quantity to receive.
    return !m_dm->cfrdettmp_table.field(QStringLiteral("Cfrdet_from_po")).asLogical();
}

void Tstockrcv_frm::cfrdettmp_tableNewRecord(data::DataSet& lines)
{
    for (int i = 0; i < lines.fieldCount(); ++i) {
        Field& f = lines.fieldByNumber(i);
        if (!f.isNull())
            continue;
        switch (f.type()) {
        case data::FieldType::Money: f.setMoney(Currency()); break;
        case data::FieldType::Number: f.setNumber(0); break;
        case data::FieldType::Integer:
        case data::FieldType::ShortInteger: f.setInteger(0); break;
        default: break;
        }
    }
    lines.field(QStringLiteral("Cfrdet_from_po")).setLogical(false);
    // Typed lines sort with the copied ones (the work table is keyed by slip, then line).
    lines.field(QStringLiteral("Cfrdet_paking_slip")).setString(headerText("Cfrhd_packing_slip"));
    lines.field(QStringLiteral("Cfrdet_order_number")).setString(headerText("Cfrhd_order_number"));
}

void Tstockrcv_frm::cfrdettmp_tableBeforeDelete(data::DataSet& lines)
{
    if (lines.field(QStringLiteral("Cfrdet_from_po")).asLogical()) {
        Messages().show(this, MessageKind::Information, windowTitle(), Message(lines::OrderLineNotDeleted),
                        MessageButtons::Ok);
        throw data::EngineError(data::ErrorCode::InvalidRequest, Message(lines::OrderLineNotDeleted));
    }
    auto& header = m_dm->cfrhd_table;
    header.field(QStringLiteral("Cfrhd_total"))
        .setMoney(header.field(QStringLiteral("Cfrhd_total")).asMoney()
                  - lines.field(QStringLiteral("Cfrdet_total")).asMoney());
}

void Tstockrcv_frm::cfrdettmp_tableAfterDelete(data::DataSet& lines)
{
    if (lines.recordCount() == 0)
        Accept_btn->setEnabled(false);
}

void Tstockrcv_frm::cfrdettmp_tableAfterScroll()
{
    // Which cells of the current line take an editor is decided per cell
    // (CellEditable); the total is never typed.
    setColumnReadOnly(ColTotal, true);
    ShowStockOfCurrentLine();
}

void Tstockrcv_frm::ShowStockOfCurrentLine()
{
    auto& work = m_dm->cfrdettmp_table;
    QString onHand;
    QString available;
    QString onOrder;
    if (work.isOpen() && !work.isEmpty() && !work.eof()) {
        const QString lineCode = work.field(QStringLiteral("Cfrdet_line_code")).asString().trimmed();
        const QString itemCode = work.field(QStringLiteral("Cfrdet_item_code")).asString().trimmed();
        const qlonglong store = m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_store")).asInteger();
        auto& stock = m_dm->ivinv_table;
        if (!itemCode.isEmpty() && !Tstockrcv_dm::IsNonStock(lineCode) && stock.isOpen()
            && stock.findKey({lineCode, itemCode, store})) {
            // On hand is what the cost layers hold (the stored on-hand field
            // is not kept by every program); available is what client orders
            // have not yet claimed.
            double layers = 0;
            for (int n = 1; n <= 5; ++n)
                layers += stock.field(QStringLiteral("Ivinv_qty%1").arg(n)).asNumber();
            const double claimed = stock.field(QStringLiteral("Ivinv_cli_order")).asNumber();
            const QString mask = QStringLiteral("#,##0.##");
            onHand = FormatFloat(mask, layers);
            available = FormatFloat(mask, layers - claimed);
            onOrder = FormatFloat(mask, stock.field(QStringLiteral("Ivinv_on_order")).asNumber());
        }
    }
    lblOnHand->setText(onHand);
    lblAvailable->setText(available);
    lblOnOrder->setText(onOrder);
}

void Tstockrcv_frm::DBGrid3ColEnter()
{
    setColumnReadOnly(ColQtyReceived, false);
    setColumnReadOnly(ColCost, false);
}

void Tstockrcv_frm::DBGrid3Enter()
{
    if (!DBGrid3->hasFocus())
        return;
    if (headerText("Cfrhd_supplier").isEmpty() && headerText("Cfrhd_order_number").isEmpty())
        returnFocusTo(Client_code);
    else if (headerText("Cfrhd_packing_slip").isEmpty())
        returnFocusTo(packing_slip);
    else if (!hasLines())
        AppendLine();
}

void Tstockrcv_frm::DBGrid3KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    Q_UNUSED(key);
    Q_UNUSED(modifiers);
}

void Tstockrcv_frm::selectColumn(int column)
{
    const int row = DBGrid3->gridModel()->currentRow();
    if (row >= 0)
        DBGrid3->setCurrentIndex(DBGrid3->gridModel()->index(row, column));
}

void Tstockrcv_frm::AppendLine()
{
    auto& work = m_dm->cfrdettmp_table;
    if (editing(work))
        work.post();
    work.append();
    work.post();
    selectColumn(ColLine);
}

bool Tstockrcv_frm::DeleteCurrentLine()
{
    auto& work = m_dm->cfrdettmp_table;
    if (work.isEmpty())
        return false;
    if (editing(work))
        work.cancel();
    const QString lineCode = work.field(QStringLiteral("Cfrdet_line_code")).asString();
    const QString itemCode = work.field(QStringLiteral("Cfrdet_item_code")).asString();
    try {
        work.deleteRecord();
    } catch (const data::EngineError&) {
        return false; // refused by the line rules (message shown)
    }
    TrimSerialRows(lineCode, itemCode);
    ShowStockOfCurrentLine();
    return true;
}

void Tstockrcv_frm::DBGrid3EditButtonClick()
{
    auto& work = m_dm->cfrdettmp_table;
    if (work.isEmpty() || work.field(QStringLiteral("Cfrdet_from_po")).asLogical())
        return;
    const QString key = frame::PickLists().GetLineCd(ModuleLink().raw());
    if (key.isEmpty())
        return;
    const int row = DBGrid3->gridModel()->currentRow();
    EditCell(row, ColItem, QString());
    EditCell(row, ColLine, key.left(3).trimmed());
    EditCell(row, ColItem, key.mid(3).trimmed());
}

void Tstockrcv_frm::updateTotal(Currency previousTotal)
{
    auto& work = m_dm->cfrdettmp_table;
    const QString lineCode = work.field(QStringLiteral("Cfrdet_line_code")).asString();
    const QString itemCode = work.field(QStringLiteral("Cfrdet_item_code")).asString();
    const double unit = m_dm->FindProduct(lineCode, itemCode) ? m_dm->UnitFactor() : 1.0;
    const double price = work.field(QStringLiteral("Cfrdet_price")).asNumber();
    const double quantity = work.field(QStringLiteral("Cfrdet_qty_received")).asNumber();
    const Currency total = Currency::fromDouble(price).multipliedBy(quantity * unit);
    work.field(QStringLiteral("Cfrdet_total")).setMoney(total);
    auto& header = m_dm->cfrhd_table;
    header.field(QStringLiteral("Cfrhd_total"))
        .setMoney(header.field(QStringLiteral("Cfrhd_total")).asMoney() - previousTotal + total);
}

void Tstockrcv_frm::cfrdettmp_tableCfrdet_qty_receivedChange(Currency previousTotal)
{
    updateTotal(previousTotal);
}

void Tstockrcv_frm::cfrdettmp_tableCfrdet_priceChange(Currency previousTotal)
{
    updateTotal(previousTotal);
}

bool Tstockrcv_frm::cfrdettmp_tableCfrdet_item_codeValidate()
{
    auto& work = m_dm->cfrdettmp_table;
    const QString lineCode = work.field(QStringLiteral("Cfrdet_line_code")).asString();
    const QString itemCode = work.field(QStringLiteral("Cfrdet_item_code")).asString();
    if (itemCode.isEmpty() || m_dm->FindProduct(lineCode, itemCode))
        return true;
    // Line and item typed together may be a product's alternate key.
    const QString key = lineCode + itemCode;
    for (data::Table* alternate : {&m_dm->alt1, &m_dm->alt2}) {
        if (alternate->findKey({key})) {
            work.field(QStringLiteral("Cfrdet_line_code"))
                .setString(alternate->field(QStringLiteral("Ivprod_line_code")).asString());
            work.field(QStringLiteral("Cfrdet_item_code"))
                .setString(alternate->field(QStringLiteral("Ivprod_item_code")).asString());
            work.post();
            work.edit();
            return true;
        }
    }
    Messages().show(this, MessageKind::Information, windowTitle(), Message(lines::NoSuchProduct), MessageButtons::Ok);
    work.cancel();
    DeleteCurrentLine();
    AppendLine();
    selectColumn(ColLine);
    return false;
}

bool Tstockrcv_frm::cfrdettmp_tableCfrdet_item_codeChange()
{
    auto& work = m_dm->cfrdettmp_table;
    if (!editing(work))
        return true;
    const QString lineCode = work.field(QStringLiteral("Cfrdet_line_code")).asString();
    const QString itemCode = work.field(QStringLiteral("Cfrdet_item_code")).asString();
    if (itemCode.isEmpty() || !m_dm->FindProduct(lineCode, itemCode))
        return true;
    auto& product = m_dm->ivprod_table;
    if (product.field(QStringLiteral("Ivprod_kit")).asLogical()) {
        Messages().show(this, MessageKind::Information, windowTitle(), Message(lines::KitRefused), MessageButtons::Ok);
        work.cancel();
        return false;
    }
    applyProductDefaults();
    return true;
}

void Tstockrcv_frm::applyProductDefaults()
{
    auto& work = m_dm->cfrdettmp_table;
    auto& product = m_dm->ivprod_table;
    const Currency previousTotal = work.field(QStringLiteral("Cfrdet_total")).asMoney();
    work.field(QStringLiteral("Cfrdet_desc")).setString(product.field(QStringLiteral("Ivprod_desc_1")).asString());
    work.field(QStringLiteral("Cfrdet_price")).setNumber(product.field(QStringLiteral("Ivprod_std_cost")).asNumber());
    const qlonglong store = m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_store")).asInteger();
    if (m_dm->ivinv_table.findKey({product.field(QStringLiteral("Ivprod_line_code")).asString(),
                                   product.field(QStringLiteral("Ivprod_item_code")).asString(), store})) {
        auto& stock = m_dm->ivinv_table;
        work.field(QStringLiteral("Cfrdet_bin_loc")).setString(stock.field(QStringLiteral("Ivinv_bin")).asString());
        if (work.field(QStringLiteral("Cfrdet_qty_received")).asNumber() == 0) {
            const double minimum = static_cast<double>(stock.field(QStringLiteral("Ivinv_min_order")).asInteger());
            work.field(QStringLiteral("Cfrdet_qty_order")).setNumber(minimum);
            work.field(QStringLiteral("Cfrdet_qty_received")).setNumber(minimum);
        }
    }
    updateTotal(previousTotal);
    work.post();
    work.edit();
    Accept_btn->setEnabled(true);
}

bool Tstockrcv_frm::cfrdettmp_tableCfrdet_line_codeValidate(int column)
{
    auto& work = m_dm->cfrdettmp_table;
    const QString lineCode = work.field(QStringLiteral("Cfrdet_line_code")).asString();
    const QString itemCode = work.field(QStringLiteral("Cfrdet_item_code")).asString();
    if (itemCode.isEmpty())
        return true;
    if (m_dm->FindProduct(lineCode, itemCode)) {
        if (column != ColDesc)
            return cfrdettmp_tableCfrdet_item_codeChange();
        return true;
    }
    if (column == ColLine || column == ColItem) {
        Messages().show(this, MessageKind::Information, windowTitle(), Message(lines::NoSuchProduct),
                        MessageButtons::Ok);
        work.cancel();
        DeleteCurrentLine();
        if (work.isEmpty())
            AppendLine();
        selectColumn(ColLine);
        return false;
    }
    return true;
}

void Tstockrcv_frm::cfrdettmp_tableCfrdet_descChange()
{
    auto& work = m_dm->cfrdettmp_table;
    if (!editing(work) || !Tstockrcv_dm::IsNonStock(work.field(QStringLiteral("Cfrdet_line_code")).asString()))
        return;
    if (work.field(QStringLiteral("Cfrdet_qty_received")).asNumber() != 0)
        return;
    work.post();
    work.edit();
    Accept_btn->setEnabled(true);
}

bool Tstockrcv_frm::EditCell(int row, int column, const QString& text)
{
    if (m_inCellEdit || !CellEditable(row, column))
        return false;
    auto* model = DBGrid3->gridModel();
    if (!model->moveDataSetTo(row))
        return false;
    auto& work = m_dm->cfrdettmp_table;
    m_inCellEdit = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_inCellEdit};
    std::optional<double> number;
    if (column == ColQtyOrder || column == ColQtyReceived || column == ColCost) {
        number = parseNumber(text);
        if (!number)
            return false;
    }
    const Currency previousTotal = work.field(QStringLiteral("Cfrdet_total")).asMoney();
    const QString previousLine = work.field(QStringLiteral("Cfrdet_line_code")).asString();
    const QString previousItem = work.field(QStringLiteral("Cfrdet_item_code")).asString();
    if (!editing(work))
        work.edit();
    Field& field = work.field(QString::fromLatin1(ColumnFields[column]));
    if (number)
        field.setNumber(*number);
    else
        field.setString(text.trimmed());
    bool accepted = true;
    switch (column) {
    case ColLine: accepted = cfrdettmp_tableCfrdet_line_codeValidate(column); break;
    case ColItem:
        accepted = cfrdettmp_tableCfrdet_item_codeValidate() && cfrdettmp_tableCfrdet_item_codeChange();
        break;
    case ColDesc:
        accepted = cfrdettmp_tableCfrdet_line_codeValidate(column);
        if (accepted)
            cfrdettmp_tableCfrdet_descChange();
        break;
    case ColQtyOrder: accepted = cfrdettmp_tableCfrdet_line_codeValidate(column); break;
    case ColQtyReceived: cfrdettmp_tableCfrdet_qty_receivedChange(previousTotal); break;
    case ColCost: cfrdettmp_tableCfrdet_priceChange(previousTotal); break;
    default: break;
    }
    if (editing(work))
        work.post();
    // Serial rows typed for units this receipt no longer takes (a lowered
    // quantity, a line moved to another product or deleted) would otherwise
    // be asked for, block their serials elsewhere and be handed on.
    if (column == ColQtyReceived || column == ColLine || column == ColItem) {
        TrimSerialRows(previousLine, previousItem);
        if (!work.isEmpty() && !work.eof())
            TrimSerialRows(work.field(QStringLiteral("Cfrdet_line_code")).asString(),
                           work.field(QStringLiteral("Cfrdet_item_code")).asString());
    }
    ShowStockOfCurrentLine();
    return accepted;
}

// ---- keyboard ------------------------------------------------------------------

bool Tstockrcv_frm::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == DBGrid3) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape)
                return true; // Esc never cancels the window from the grid
            const bool lastRow = DBGrid3->currentIndex().row() == DBGrid3->gridModel()->rowCount() - 1;
            // (Keys typed into a cell's editor go to the editor, not here.)
            if (key->key() == Qt::Key_Insert || (key->key() == Qt::Key_Down && lastRow)) {
                AppendLine();
                return true;
            }
            if (key->key() == Qt::Key_Delete) {
                // Ctrl+Delete is the keyboard's delete without a question;
                // the Delete key alone might be a slip, so it asks first.
                auto& work = m_dm->cfrdettmp_table;
                if (!(key->modifiers() & Qt::ControlModifier) && hasLines()
                    && !work.field(QStringLiteral("Cfrdet_from_po")).asLogical()
                    && Messages().show(this, MessageKind::Question, windowTitle(), Message(lines::DeleteLineQuestion),
                                       MessageButtons::YesNo)
                           != MessageAnswer::Yes)
                    return true;
                DeleteCurrentLine();
                return true;
            }
        }
        return TModuleForm::eventFilter(watched, event);
    }
    if (widget == nullptr || !m_headerEdits.contains(widget))
        return TModuleForm::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Down
            || key->key() == Qt::Key_Up) {
            FormKeyDown(key, widget);
            return true;
        }
    } else if (event->type() == QEvent::FocusIn) {
        QPointer<QWidget> box = widget;
        QTimer::singleShot(0, this, [this, box] {
            if (!box || QApplication::focusWidget() != box)
                return;
            if (box == Client_code)
                Client_codeEnter();
            else if (box == Order_no)
                Order_noEnter();
            else if (box == packing_slip)
                packing_slipEnter();
        });
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box or another window taking the focus is not leaving the
        // box, nor is a box that only had the focus until a rule sent it back.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || m_returningFocus)
            return TModuleForm::eventFilter(watched, event);
        QPointer<QWidget> box = widget;
        QPointer<QWidget> next = QApplication::focusWidget();
        QTimer::singleShot(0, this, [this, box, next] {
            if (!box || !isVisible())
                return;
            if (box == Client_code)
                Client_codeExit(next);
            else if (box == Order_no)
                Order_noExit(next);
            else if (box == packing_slip)
                packing_slipExit(next);
        });
    }
    return TModuleForm::eventFilter(watched, event);
}

void Tstockrcv_frm::FormKeyDown(QKeyEvent* event, QWidget* from)
{
    if (!editing(m_dm->cfrhd_table))
        return;
    static_cast<TVarnexDBEdit*>(from)->writeToField();
    const bool forward = event->key() != Qt::Key_Up;
    int index = static_cast<int>(m_headerEdits.indexOf(from));
    for (;;) {
        index += forward ? 1 : -1;
        if (index < 0)
            return;
        if (index >= m_headerEdits.size()) {
            DBGrid3->setFocus(Qt::TabFocusReason);
            return;
        }
        QWidget* target = m_headerEdits[index];
        if (target->isEnabled()) {
            target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

void Tstockrcv_frm::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc do not close the receipt window; only Exit does.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    TModuleForm::keyPressEvent(event);
}

// ---- buttons -------------------------------------------------------------------

void Tstockrcv_frm::Cancel_btnClick()
{
    if (editing(m_dm->cfrhd_table))
        m_dm->cfrhd_table.cancel();
    ResetEntry();
}

void Tstockrcv_frm::Exit_btnClick()
{
    if (m_dm->cfrhd_table.isOpen() && editing(m_dm->cfrhd_table))
        m_dm->cfrhd_table.cancel();
    DBGrid3->setDataSet(nullptr);
    SerialFrm->DBGrid1->setDataSet(nullptr);
    m_dm->CloseTables();
    accept();
}

void Tstockrcv_frm::Help_btnClick()
{
    frame::ShowHelpContext(602);
}

void Tstockrcv_frm::Printfrm_BtnClick()
{
    frame::PrintScreen(this);
}

void Tstockrcv_frm::SpeedButton1Click()
{
    // The quick link may install its own handler, or run an option after
    // which the launcher clears the application's: the window's comes back.
    const bool handlerInstalled = HasApplicationExceptionHandler();
    frame::PickLists().QuickLink(ModuleLink().raw());
    if (handlerInstalled)
        SetApplicationExceptionHandler(ModuleExceptionHandler);
}

void Tstockrcv_frm::SpeedButton2Click()
{
    const QString code = headerText("Cfrhd_supplier");
    frame::EmailTo(findSupplier(code) ? m_dm->supp_table.field(QStringLiteral("Sup_email")).asString() : QString());
}

} // namespace varnex::stockrcv
