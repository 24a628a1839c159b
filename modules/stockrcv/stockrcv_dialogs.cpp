#include "stockrcv_forms.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "varnex/controls/maskedit.h"
#include "varnex/data/database.h"
#include "varnex/frame/picklist.h"
#include "varnex/messages.h"

namespace varnex::stockrcv {

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* dialogButton(QDialog* dialog, const char* name, const char* text)
{
    auto* b = named(new QPushButton(QString::fromUtf8(text), dialog), name);
    b->setAutoDefault(false);
    return b;
}

QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace

// ---- Tstockrcv_frm2 --------------------------------------------------------------

Tstockrcv_frm2::Tstockrcv_frm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("stockrcv_frm2"));
    setWindowTitle(QStringLiteral("Dialog"));
    RadioGroup1 = named(new QGroupBox(QStringLiteral("Perform stock receipt by"), this), "RadioGroup1");
    ItemByItem = named(new QRadioButton(QStringLiteral("Item by item"), RadioGroup1), "ItemByItem");
    CompleteOrder = named(new QRadioButton(QStringLiteral("Complete Purchase order"), RadioGroup1), "CompleteOrder");
    ItemByItem->setChecked(true);
    auto* group = new QVBoxLayout(RadioGroup1);
    group->addWidget(ItemByItem);
    group->addWidget(CompleteOrder);
    OKBtn = dialogButton(this, "OKBtn", "OK");
    OKBtn->setDefault(true);
    CancelBtn = dialogButton(this, "CancelBtn", "Cancel");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addLayout(buttonRow({OKBtn, CancelBtn}));
    setFixedSize(300, 160);
}

bool Tstockrcv_frm2::complete() const
{
    return CompleteOrder->isChecked();
}

// ---- TStore_frm ------------------------------------------------------------------

TStore_frm::TStore_frm(Tstockrcv_dm* dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("Store_frm"));
    setWindowTitle(QStringLiteral("Which store"));
    Label1 =
        named(new QLabel(QStringLiteral("Select the store where the inventory is being received"), this), "Label1");
    Label1->setWordWrap(true);
    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    OKBtn = dialogButton(this, "OKBtn", "OK");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ComboBox1);
    layout->addLayout(buttonRow({OKBtn}));
    setFixedSize(340, 140);
}

void TStore_frm::showEvent(QShowEvent* event)
{
    FillStores();
    QDialog::showEvent(event);
}

void TStore_frm::FillStores()
{
    ComboBox1->clear();
    StoreNumbers.clear();
    auto& stores = m_dm->ivmag;
    if (!stores.isOpen())
        return;
    for (stores.first(); !stores.eof(); stores.next()) {
        const QString number = QString::number(stores.field(QStringLiteral("Ivmag_store_number")).asInteger());
        ComboBox1->addItem(number + QStringLiteral(" - ")
                           + stores.field(QStringLiteral("Ivmag_store_name")).asString());
        StoreNumbers << number;
    }
    if (!StoreNumbers.isEmpty())
        ComboBox1->setCurrentIndex(0);
    // The user's own store comes first to hand.
    const QString userName = LinkText(ModuleLink().raw().Link_user_name);
    auto& users = m_dm->user_table;
    if (userName.isEmpty() || !users.isOpen())
        return;
    for (users.first(); !users.eof(); users.next()) {
        if (!users.field(QStringLiteral("User_name")).asString().startsWith(userName, Qt::CaseInsensitive))
            continue;
        const int index = static_cast<int>(
            StoreNumbers.indexOf(QString::number(users.field(QStringLiteral("User_store")).asInteger())));
        if (index >= 0)
            ComboBox1->setCurrentIndex(index);
        break;
    }
}

int TStore_frm::SelectedStore() const
{
    const int index = ComboBox1->currentIndex();
    return index >= 0 && index < StoreNumbers.size() ? StoreNumbers[index].toInt() : 0;
}

// ---- TRangeFrm -------------------------------------------------------------------

TRangeFrm::TRangeFrm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("RangeFrm"));
    setWindowTitle(QStringLiteral("Enter range"));
    Label1 = named(new QLabel(QStringLiteral("From serial number"), this), "Label1");
    Label2 = named(new QLabel(QStringLiteral("To serial number"), this), "Label2");
    const QString digits23 = QString(23, QLatin1Char('9')) + QStringLiteral(";0; ");
    FromEdit = named(new TVarnexMaskEdit(this), "FromEdit");
    FromEdit->setEditMask(digits23);
    ToEdit = named(new TVarnexMaskEdit(this), "ToEdit");
    ToEdit->setEditMask(digits23);
    OKBtn = dialogButton(this, "OKBtn", "OK");
    CancelBtn = dialogButton(this, "CancelBtn", "Cancel");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow(Label1, FromEdit);
    form->addRow(Label2, ToEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({OKBtn, CancelBtn}));
    setFixedSize(400, 140);
}

// ---- Tstockrcv_serial_frm --------------------------------------------------------

namespace {

class SerialGridDelegate : public LookupButtonDelegate {
public:
    SerialGridDelegate(Tstockrcv_serial_frm* form, QObject* parent)
        : LookupButtonDelegate(parent)
        , m_form(form)
    {
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr)
            return;
        const QString text = line->text();
        const int row = index.row();
        QPointer<Tstockrcv_serial_frm> form = m_form;
        QTimer::singleShot(0, m_form, [form, row, text] {
            if (form)
                form->SetSerial(row, text);
        });
    }

private:
    Tstockrcv_serial_frm* m_form;
};

} // namespace

Tstockrcv_serial_frm::Tstockrcv_serial_frm(Tstockrcv_dm* dm, Tstockrcv_frm* receipt, TRangeFrm* range, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_dm(dm)
    , m_receipt(receipt)
    , m_range(range)
{
    setObjectName(QStringLiteral("stockrcv_serial_frm"));
    setWindowTitle(QStringLiteral("Enter serial numbers"));
    Label1 = named(new QLabel(QStringLiteral("Description:"), this), "Label1");
    Label2 = named(new QLabel(QStringLiteral("Product code:"), this), "Label2");
    Label3 = named(new QLabel(QStringLiteral("Number of items received:"), this), "Label3");
    DescLabel = named(new QLabel(this), "DescLabel");
    CodeLabel = named(new QLabel(this), "CodeLabel");
    QtyLabel = named(new QLabel(this), "QtyLabel");
    DBGrid1 = named(new TVarnexDBGrid(this), "DBGrid1");
    DBGrid1->setItemDelegate(new SerialGridDelegate(this, DBGrid1));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    GridColumn count;
    count.fieldName = QStringLiteral("Ivserin_Count");
    count.title = QStringLiteral("Count");
    count.width = 60;
    count.alignment = Qt::AlignRight | Qt::AlignVCenter;
    GridColumn serial;
    serial.fieldName = QStringLiteral("Ivserin_serial");
    serial.title = QStringLiteral("Serial number");
    serial.width = 260;
    serial.readOnly = false;
    DBGrid1->setColumns({count, serial});
    AcceptBtn = dialogButton(this, "AcceptBtn", "Accept");
    CancelBtn = dialogButton(this, "CancelBtn", "Cancel");
    RangeBtn = dialogButton(this, "RangeBtn", "Range");
    connect(AcceptBtn, &QPushButton::clicked, this, &Tstockrcv_serial_frm::AcceptBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &Tstockrcv_serial_frm::CancelBtnClick);
    connect(RangeBtn, &QPushButton::clicked, this, &Tstockrcv_serial_frm::RangeBtnClick);
    auto* form = new QFormLayout;
    form->addRow(Label1, DescLabel);
    form->addRow(Label2, CodeLabel);
    form->addRow(Label3, QtyLabel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttonRow({RangeBtn, AcceptBtn, CancelBtn}));
    setFixedSize(420, 400);
}

QString Tstockrcv_serial_frm::message(int line) const
{
    return m_receipt->Message(line);
}

void Tstockrcv_serial_frm::Prepare(const QString& lineCode, const QString& itemCode, const QString& description,
                                   int quantity)
{
    m_line = lineCode;
    m_item = itemCode;
    m_quantity = quantity;
    DescLabel->setText(description);
    CodeLabel->setText(lineCode + QLatin1Char(' ') + itemCode);
    QtyLabel->setText(QString::number(quantity));
    Cancelled = true;
    DBGrid1->gridModel()->reload();
    if (DBGrid1->gridModel()->rowCount() > 0)
        DBGrid1->setCurrentIndex(DBGrid1->gridModel()->index(0, 1));
}

void Tstockrcv_serial_frm::keyPressEvent(QKeyEvent* event)
{
    // Rows are made by the receipt, never typed in or removed here; Esc in
    // the grid does not close the dialog.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Insert || event->key() == Qt::Key_Delete)
        return;
    QDialog::keyPressEvent(event);
}

bool Tstockrcv_serial_frm::serialUsedElsewhere(const QString& serial, std::int64_t exceptRow)
{
    // Every row of the receipt, whatever line it belongs to.
    data::Table rows;
    rows.setDatabase(m_dm->ivserintmp.database());
    rows.setTableName(m_dm->workSerialsName);
    rows.setReadOnly(true);
    rows.open();
    for (rows.first(); !rows.eof(); rows.next()) {
        if (rows.recordId() == exceptRow)
            continue;
        if (rows.field(QStringLiteral("Ivserin_line_code")).asString() == m_line
            && rows.field(QStringLiteral("Ivserin_item_code")).asString() == m_item
            && rows.field(QStringLiteral("Ivserin_serial")).asString() == serial)
            return true;
    }
    return false;
}

bool Tstockrcv_serial_frm::serialInStock(const QString& serial)
{
    return m_dm->ivserin_table.findKey({m_line, m_item, serial});
}

bool Tstockrcv_serial_frm::ivserintmpIvserin_serialChange(const QString& serial)
{
    if (serial.isEmpty())
        return true;
    if (serialUsedElsewhere(serial, m_dm->ivserintmp.recordId())) {
        Messages().show(this, MessageKind::Information, windowTitle(), message(lines::SerialTwiceInReceipt),
                        MessageButtons::Ok);
        DBGrid1->setFocus();
        return false;
    }
    if (serialInStock(serial)) {
        Messages().show(this, MessageKind::Information, windowTitle(), message(lines::SerialInStock),
                        MessageButtons::Ok);
        DBGrid1->setFocus();
        return false;
    }
    return true;
}

bool Tstockrcv_serial_frm::SetSerial(int row, const QString& text)
{
    if (!DBGrid1->gridModel()->moveDataSetTo(row))
        return false;
    const QString serial = text.trimmed();
    if (!ivserintmpIvserin_serialChange(serial))
        return false;
    auto& rows = m_dm->ivserintmp;
    rows.edit();
    rows.field(QStringLiteral("Ivserin_serial")).setString(serial);
    rows.post();
    return true;
}

void Tstockrcv_serial_frm::AcceptBtnClick()
{
    auto& rows = m_dm->ivserintmp;
    if (rows.state() == data::DataSetState::Edit)
        rows.post();
    for (rows.first(); !rows.eof(); rows.next()) {
        if (rows.field(QStringLiteral("Ivserin_Count")).asInteger() > m_quantity)
            continue;
        if (rows.field(QStringLiteral("Ivserin_serial")).asString().trimmed().isEmpty()) {
            Messages().show(this, MessageKind::Information, windowTitle(), message(lines::SerialMissing),
                            MessageButtons::Ok);
            return;
        }
    }
    Cancelled = false;
    accept();
}

void Tstockrcv_serial_frm::CancelBtnClick()
{
    auto& rows = m_dm->ivserintmp;
    if (rows.state() == data::DataSetState::Edit)
        rows.post();
    Cancelled = true;
    reject();
}

void Tstockrcv_serial_frm::RangeBtnClick()
{
    for (;;) {
        m_range->FromEdit->setText(QString());
        m_range->ToEdit->setText(QString());
        if (m_range->exec() != QDialog::Accepted)
            return;
        bool fromOk = false;
        bool toOk = false;
        const qlonglong from = m_range->FromEdit->Text().trimmed().toLongLong(&fromOk);
        const qlonglong to = m_range->ToEdit->Text().trimmed().toLongLong(&toOk);
        if (!fromOk || !toOk)
            continue;
        // Both are non-negative (digits only), so the difference cannot overflow.
        if (to < from || to - from + 1 != m_quantity) {
            Messages().show(this, MessageKind::Information, windowTitle(), message(lines::RangeDoesNotMatch),
                            MessageButtons::Ok);
            continue;
        }
        // Every number is checked before any is written: a range is taken
        // whole or not at all. The range replaces this product's rows, so
        // only the serials in stock can collide.
        for (qlonglong n = from;; ++n) {
            if (serialInStock(QString::number(n))) {
                Messages().show(this, MessageKind::Information, windowTitle(), message(lines::SerialInStock),
                                MessageButtons::Ok);
                return;
            }
            if (n == to)
                break;
        }
        auto& rows = m_dm->ivserintmp;
        data::Transaction fill(rows.database());
        qlonglong n = from;
        for (rows.first(); !rows.eof() && n <= to; rows.next()) {
            if (rows.field(QStringLiteral("Ivserin_Count")).asInteger() > m_quantity)
                continue;
            rows.edit();
            rows.field(QStringLiteral("Ivserin_serial")).setString(QString::number(n));
            rows.post();
            if (n == to)
                break;
            ++n;
        }
        fill.commit();
        DBGrid1->gridModel()->reload();
        return;
    }
}

// ---- TfrmCyQty -------------------------------------------------------------------

TfrmCyQty::TfrmCyQty(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmCyQty"));
    setWindowTitle(QStringLiteral("Cylinders received"));
    Label1 = named(new QLabel(QStringLiteral("Number of cylinders received"), this), "Label1");
    lblDesc = named(new QLabel(this), "lblDesc");
    edtCYReceived = named(new QLineEdit(QStringLiteral("0"), this), "edtCYReceived");
    OKBtn = dialogButton(this, "OKBtn", "OK");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblDesc);
    layout->addWidget(Label1);
    layout->addWidget(edtCYReceived);
    layout->addLayout(buttonRow({OKBtn}));
    setFixedSize(320, 150);
}

void TfrmCyQty::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    edtCYReceived->setFocus();
    edtCYReceived->selectAll();
}

// ---- TstockrcvProjectFrm ---------------------------------------------------------

TstockrcvProjectFrm::TstockrcvProjectFrm(Tstockrcv_dm* dm, Tstockrcv_frm* receipt, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_dm(dm)
    , m_receipt(receipt)
{
    setObjectName(QStringLiteral("stockrcvProjectFrm"));
    setWindowTitle(QStringLiteral("Project"));
    Label1 = named(new QLabel(QStringLiteral("Project"), this), "Label1");
    Label2 = named(new QLabel(QStringLiteral("Period"), this), "Label2");
    edtProject = named(new TVarnexDBEdit(this), "edtProject");
    edtProject->setDataSet(&m_dm->cfrhd_table);
    edtProject->setDataField(QStringLiteral("Cfrhd_Project"));
    edtProject->installEventFilter(this);
    btnGetProject = named(new QToolButton(this), "btnGetProject");
    btnGetProject->setText(QStringLiteral("..."));
    btnGetProject->setToolTip(QStringLiteral("List of projects"));
    edtPeriod = named(new TVarnexMaskEdit(this), "edtPeriod");
    edtPeriod->setEditMask(QStringLiteral("99;0; "));
    OKBtn = dialogButton(this, "OKBtn", "OK");
    CancelBtn = dialogButton(this, "CancelBtn", "Cancel");
    connect(btnGetProject, &QToolButton::clicked, this, &TstockrcvProjectFrm::btnGetProjectClick);
    connect(OKBtn, &QPushButton::clicked, this, &TstockrcvProjectFrm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        Confirmed = false;
        reject();
    });
    auto* project = new QHBoxLayout;
    project->addWidget(edtProject);
    project->addWidget(btnGetProject);
    auto* form = new QFormLayout;
    form->addRow(Label1, project);
    form->addRow(Label2, edtPeriod);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({OKBtn, CancelBtn}));
    setFixedSize(320, 140);
}

bool TstockrcvProjectFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtProject && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        btnGetProjectClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

int TstockrcvProjectFrm::Period() const
{
    return edtPeriod->Text().trimmed().toInt();
}

void TstockrcvProjectFrm::btnGetProjectClick()
{
    const QString project = frame::PickLists().Getproject(ModuleLink().raw()).trimmed();
    if (!project.isEmpty()) {
        m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_Project")).setString(project);
        edtProject->refreshFromField();
    }
    edtProject->setFocus();
}

void TstockrcvProjectFrm::OKBtnClick()
{
    edtProject->writeToField();
    bool periodOk = false;
    edtPeriod->Text().trimmed().toInt(&periodOk);
    if (!periodOk) {
        edtPeriod->setFocus();
        return;
    }
    auto& count = m_dm->qryProjectCount;
    count.close();
    count.clearBindings();
    count.bindText(QStringLiteral("pcode"), m_dm->cfrhd_table.field(QStringLiteral("Cfrhd_Project")).asString());
    count.open();
    const bool exists = count.field(QStringLiteral("mycount")).asInteger() > 0;
    count.close();
    if (!exists) {
        Messages().show(this, MessageKind::Information, windowTitle(), m_receipt->Message(lines::NoSuchProject),
                        MessageButtons::Ok);
        edtProject->setFocus();
        return;
    }
    Confirmed = true;
    accept();
}

} // namespace varnex::stockrcv
