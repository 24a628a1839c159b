#include "purchent_dialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "purchent_dm.h"
#include "purchent_frm.h"
#include "purchent_lines.h"
#include "varnex/controls/maskedit.h"
#include "varnex/data/engine_error.h"
#include "varnex/frame/picklist.h"
#include "varnex/messages.h"
#include "varnex/regional.h"
#include "varnex/widgets/dbwidgets.h"

namespace varnex::purchent {

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* text)
{
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const char* text)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

// A number as the user types it: the regional decimal separator or a point.
std::optional<double> readNumber(const QString& text)
{
    QString t = text.trimmed();
    t.replace(Regional().decimalSeparator, QLatin1Char('.'));
    t.remove(Regional().thousandSeparator == QLatin1Char('.') ? QChar() : Regional().thousandSeparator);
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// A value still being typed in a grid cell belongs to the answer of OK.
void CommitOpenEditor(QAbstractItemView* view)
{
    const auto editors = view->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* editor : editors)
        if (editor->isVisible())
            QMetaObject::invokeMethod(view, "commitData", Qt::DirectConnection, Q_ARG(QWidget*, editor));
}

} // namespace

// ---- TfrmVAT ------------------------------------------------------------------

TfrmVAT::TfrmVAT(Tpurchent_dm* dm, QWidget* parent)
    : QDialog(parent)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("frmVAT"));
    setWindowTitle(QStringLiteral("Enter total sales amount per tax rate"));
    dbgTaxes = new TVarnexDBGrid(this);
    dbgTaxes->setObjectName(QStringLiteral("dbgTaxes"));
    QList<GridColumn> columns;
    columns << GridColumn{QStringLiteral("Description"), QStringLiteral("Description"), 220, true};
    columns << GridColumn{QStringLiteral("Rate"),           QStringLiteral("Rate %"), 70, true, false,
                          Qt::AlignRight | Qt::AlignVCenter};
    columns << GridColumn{QStringLiteral("TaxAmount"),      QStringLiteral("Tax amount"), 100, true, false,
                          Qt::AlignRight | Qt::AlignVCenter};
    columns << GridColumn{QStringLiteral("TotalAmount"),    QStringLiteral("Net amount"), 100, false, false,
                          Qt::AlignRight | Qt::AlignVCenter};
    dbgTaxes->setColumns(columns);
    OKBtn = button(this, "OKBtn", "OK");
    CancelBtn = button(this, "CancelBtn", "Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dbgTaxes);
    layout->addLayout(buttons);
    resize(540, 280);
    connect(OKBtn, &QPushButton::clicked, this, &TfrmVAT::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmVAT::Run()
{
    m_dm->tblVatTmp->field(QStringLiteral("Rate")).setDisplayFormat(QStringLiteral("##0.00"));
    m_dm->tblVatTmp->field(QStringLiteral("TaxAmount")).setDisplayFormat(QStringLiteral("###,###,##0.00"));
    m_dm->tblVatTmp->field(QStringLiteral("TotalAmount")).setDisplayFormat(QStringLiteral("###,###,##0.00"));
    dbgTaxes->setDataSet(m_dm->tblVatTmp);
    m_dm->tblVatTmp->first();
    dbgTaxes->setCurrentIndex(dbgTaxes->model()->index(0, 3));
    const bool ok = exec() == QDialog::Accepted;
    dbgTaxes->setDataSet(nullptr);
    return ok;
}

void TfrmVAT::OKBtnClick()
{
    // A net amount still being typed belongs to the answer.
    CommitOpenEditor(dbgTaxes);
    if (m_dm->tblVatTmp->state() == data::DataSetState::Edit || m_dm->tblVatTmp->state() == data::DataSetState::Insert)
        m_dm->tblVatTmp->post();
    accept();
}

// ---- TfrmHoldback -------------------------------------------------------------

TfrmHoldback::TfrmHoldback(MessageLines lines, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_lines(std::move(lines))
{
    setObjectName(QStringLiteral("frmHoldback"));
    setWindowTitle(QStringLiteral("Holdbacks"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(label(this, "Label1", "Holdback %"), 0, 0);
    edtPercent = new QLineEdit(this);
    edtPercent->setObjectName(QStringLiteral("edtPercent"));
    grid->addWidget(edtPercent, 0, 1);
    grid->addWidget(label(this, "Label2", "Amount"), 1, 0);
    edtAmount = new QLineEdit(this);
    edtAmount->setObjectName(QStringLiteral("edtAmount"));
    grid->addWidget(edtAmount, 1, 1);
    grid->addWidget(label(this, "Label3", "Due date"), 2, 0);
    edtDate = new TVarnexMaskEdit(this);
    edtDate->setObjectName(QStringLiteral("edtDate"));
    edtDate->setEditMask(QStringLiteral("99/99/9999"));
    grid->addWidget(edtDate, 2, 1);
    OKBtn = button(this, "OKBtn", "OK");
    grid->addWidget(OKBtn, 3, 1, Qt::AlignRight);
    for (QWidget* w :
         {static_cast<QWidget*>(edtPercent), static_cast<QWidget*>(edtAmount), static_cast<QWidget*>(edtDate)})
        w->installEventFilter(this);
    connect(OKBtn, &QPushButton::clicked, this, &TfrmHoldback::OKBtnClick);
    setFixedSize(300, 150);
}

void TfrmHoldback::Run(Currency base)
{
    m_base = base;
    m_percent = 0;
    m_amount = 0;
    m_dueDate = QDate();
    edtPercent->setText(QStringLiteral("0.00"));
    edtAmount->setText(QStringLiteral("0.00"));
    edtPercent->setFocus();
    exec();
}

bool TfrmHoldback::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtPercent && event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason
        && QApplication::focusWidget() != OKBtn)
        edtPercentExit();
    return QDialog::eventFilter(watched, event);
}

void TfrmHoldback::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down) {
        if (focusWidget() == OKBtn && key != Qt::Key_Down)
            OKBtnClick();
        else
            focusNextChild();
        return;
    }
    if (key == Qt::Key_Up) {
        focusPreviousChild();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmHoldback::edtPercentExit()
{
    const auto percent = readNumber(edtPercent->text());
    if (!percent) {
        ShowMessage(m_lines(lines::NotANumber), this);
        QTimer::singleShot(0, edtPercent, [this] { edtPercent->setFocus(); });
        return;
    }
    m_percent = *percent;
    edtPercent->setText(FormatFloat(QStringLiteral("##0.00"), m_percent));
    m_amount = m_percent / 100.0 * m_base.toDouble();
    edtAmount->setText(FormatFloat(QStringLiteral("##0.00"), m_amount));
}

void TfrmHoldback::OKBtnClick()
{
    const auto amount = readNumber(edtAmount->text());
    if (!amount) {
        ShowMessage(m_lines(lines::NotANumber), this);
        edtAmount->setFocus();
        return;
    }
    if (m_base.isZero())
        return; // no percentage can be derived; the caller never shows it then
    QDate due;
    if (*amount > 0) {
        due = ParseShortDate(edtDate->EditText());
        if (!due.isValid()) {
            ShowMessage(m_lines(lines::NotADate), this);
            edtDate->setFocus();
            return;
        }
    }
    m_amount = *amount;
    m_percent = m_amount / m_base.toDouble() * 100.0;
    m_dueDate = due;
    accept();
}

// ---- TfrmProject --------------------------------------------------------------

TfrmProject::TfrmProject(Tpurchent_dm* dm, MessageLines lines, QWidget* parent)
    : QDialog(parent)
    , m_dm(dm)
    , m_messages(std::move(lines))
{
    setObjectName(QStringLiteral("frmProject"));
    setWindowTitle(QStringLiteral("Enter project"));
    Label1 = label(this, "Label1", "Distribution amount:");
    lblDistAmnt = label(this, "lblDistAmnt", "0.00");
    dbgProject = new TVarnexDBGrid(this);
    dbgProject->setObjectName(QStringLiteral("dbgProject"));
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    QList<GridColumn> columns;
    columns << GridColumn{QStringLiteral("Project"), QStringLiteral("Project"), 100, false, true};
    columns << GridColumn{QStringLiteral("Phase"), QStringLiteral("Phase"), 100, false, true};
    columns << GridColumn{QStringLiteral("Element"), QStringLiteral("Element"), 100, false, true};
    columns << GridColumn{QStringLiteral("Quantity"), QStringLiteral("Quantity"), 80, false, false, right};
    columns << GridColumn{QStringLiteral("Rate"), QStringLiteral("Rate"), 80, false, false, right};
    columns << GridColumn{QStringLiteral("Amount"), QStringLiteral("Amount"), 100, true, false, right};
    dbgProject->setColumns(columns);
    OKBtn = button(this, "OKBtn", "OK");
    CancelBtn = button(this, "CancelBtn", "Cancel");
    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(lblDistAmnt);
    top->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(dbgProject);
    layout->addLayout(buttons);
    resize(640, 320);
    connect(OKBtn, &QPushButton::clicked, this, &TfrmProject::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(dbgProject, &TVarnexDBGrid::editButtonClicked, this, &TfrmProject::Lookup);
    connect(dbgProject, &TVarnexDBGrid::keyPressed, this, [this](int key, Qt::KeyboardModifiers modifiers) {
        data::Table* lines = m_dm->tblCaxJC;
        if (key == Qt::Key_Insert
            || (key == Qt::Key_Down
                && (lines->isEmpty() || dbgProject->currentIndex().row() + 1 >= dbgProject->model()->rowCount())))
            AppendLine();
        else if (key == Qt::Key_Delete && (modifiers & Qt::ControlModifier) && !lines->isEmpty())
            lines->deleteRecord();
    });
}

void TfrmProject::OpenJobCostTables()
{
    for (data::Table* t : {m_dm->jcProject, m_dm->jcPhase, m_dm->JcElem, m_dm->jcBudgetHdr})
        t->open();
}

void TfrmProject::CloseJobCostTables()
{
    for (data::Table* t : {m_dm->jcProject, m_dm->jcPhase, m_dm->JcElem, m_dm->jcBudgetHdr})
        t->close();
    m_dm->qryBudDetCount->close();
}

bool TfrmProject::Run(Currency amount)
{
    data::Table* lines = m_dm->tblCaxJC;
    lines->close();
    lines->open();
    m_dm->Database1.database()->emptyTable(lines->tableName());
    lines->refresh();
    auto& events = lines->events();
    events.fieldChange = [this, lines](data::Field& field) {
        if (m_recomputing)
            return;
        if (field.name() == QLatin1String("Quantity") || field.name() == QLatin1String("Rate")) {
            const double quantity = lines->field(QStringLiteral("Quantity")).asNumber();
            const double rate = lines->field(QStringLiteral("Rate")).asNumber();
            // Rate is a price: the amount is exact money, rounded once.
            lines->field(QStringLiteral("Amount")).setMoney(Currency::fromDouble(rate).multipliedBy(quantity));
            // The grid shows the cell it wrote; the amount beside it follows.
            QTimer::singleShot(0, dbgProject, [this] { dbgProject->gridModel()->reload(); });
        } else if (field.name() == QLatin1String("Amount")) {
            const Currency now = field.asMoney();
            m_remaining = m_remaining + m_lineAmount - now;
            m_lineAmount = now;
            ShowRemaining();
        }
    };
    events.beforeDelete = [this](data::DataSet& set) {
        m_remaining += set.field(QStringLiteral("Amount")).asMoney();
        m_lineAmount = Currency();
        ShowRemaining();
    };
    connect(lines, &data::DataSet::recordChanged, this, [this, lines] {
        if (lines->state() == data::DataSetState::Browse && !lines->isEmpty())
            m_lineAmount = lines->field(QStringLiteral("Amount")).asMoney();
        else if (lines->state() == data::DataSetState::Insert)
            m_lineAmount = Currency();
    });
    lines->field(QStringLiteral("Rate")).setDisplayFormat(QStringLiteral("###,###,##0.00"));
    m_remaining = amount;
    m_lineAmount = Currency();
    m_lines.clear();
    ShowRemaining();
    OpenJobCostTables();
    dbgProject->setDataSet(lines);
    const bool ok = exec() == QDialog::Accepted;
    dbgProject->setDataSet(nullptr);
    disconnect(lines, &data::DataSet::recordChanged, this, nullptr);
    events.fieldChange = nullptr;
    events.beforeDelete = nullptr;
    CloseJobCostTables();
    if (!ok)
        m_lines.clear();
    return ok;
}

void TfrmProject::ShowRemaining()
{
    lblDistAmnt->setText(FormatFloat(QStringLiteral("###,###,##0.00"), m_remaining));
}

void TfrmProject::AppendLine()
{
    data::Table* lines = m_dm->tblCaxJC;
    if (lines->state() != data::DataSetState::Browse)
        lines->post();
    lines->append();
    lines->field(QStringLiteral("Quantity")).setNumber(0);
    lines->field(QStringLiteral("Rate")).setNumber(0);
    lines->field(QStringLiteral("Amount")).setMoney(Currency());
    lines->post();
    lines->last();
    dbgProject->setCurrentIndex(dbgProject->model()->index(dbgProject->model()->rowCount() - 1, 0));
}

void TfrmProject::Lookup(int column)
{
    data::Table* lines = m_dm->tblCaxJC;
    if (lines->isEmpty())
        AppendLine();
    const TLinkSection& record = ModuleLink().raw();
    QString value;
    if (column == 0) {
        value = frame::PickLists().Getproject(record);
    } else if (column == 1) {
        const int phase = frame::PickLists().Getphase(record);
        if (phase != 0 && m_dm->jcPhase->findKey({phase}))
            value = m_dm->jcPhase->field(QStringLiteral("JcPhase_Code")).asString();
    } else if (column == 2) {
        value = frame::PickLists().Getelem(record);
    }
    if (value.isEmpty() || column > 2)
        return;
    auto* model = dbgProject->gridModel();
    const int row = std::max(0, dbgProject->currentIndex().row());
    model->setData(model->index(row, column), value, Qt::EditRole);
}

int TfrmProject::ValidateDistributionLine(const QString& project, const QString& phase, const QString& element)
{
    if (!m_dm->jcProject->findKey({project}))
        return lines::ProjectUnknown;
    if (!m_dm->jcBudgetHdr->findKey({project, phase}))
        return lines::PhaseNotBudgeted;
    data::Query* count = m_dm->qryBudDetCount;
    count->close();
    count->bindText(QStringLiteral("pProject"), project);
    count->bindText(QStringLiteral("pPhase"), phase);
    count->bindText(QStringLiteral("pElem"), element);
    count->open();
    const qint64 found = count->field(QStringLiteral("MyCount")).asInteger();
    count->close();
    return found > 0 ? 0 : lines::ElementNotBudgeted;
}

void TfrmProject::OKBtnClick()
{
    CommitOpenEditor(dbgProject);
    data::Table* lines = m_dm->tblCaxJC;
    if (lines->state() != data::DataSetState::Browse)
        lines->post();
    QList<DistributionLine> accepted;
    int row = 0;
    for (lines->first(); !lines->eof(); lines->next(), ++row) {
        DistributionLine line;
        line.project = lines->field(QStringLiteral("Project")).asString();
        line.phase = lines->field(QStringLiteral("Phase")).asString();
        line.element = lines->field(QStringLiteral("Element")).asString();
        line.quantity = lines->field(QStringLiteral("Quantity")).asNumber();
        line.rate = lines->field(QStringLiteral("Rate")).asNumber();
        line.amount = lines->field(QStringLiteral("Amount")).asMoney();
        if (const int fault = ValidateDistributionLine(line.project, line.phase, line.element)) {
            ShowMessage(m_messages(fault), this);
            dbgProject->setFocus();
            dbgProject->setCurrentIndex(dbgProject->model()->index(row, 0));
            return;
        }
        accepted << line;
    }
    m_lines = accepted;
    accept();
}

// ---- Tperiod_frm --------------------------------------------------------------

Tperiod_frm::Tperiod_frm(MessageLines lines, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_lines(std::move(lines))
{
    setObjectName(QStringLiteral("period_frm"));
    setWindowTitle(QStringLiteral("Change period number"));
    Label1 = label(this, "Label1", "Period number");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(2);
    OKBtn = button(this, "OKBtn", "OK");
    OKBtn->setDefault(true);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addWidget(OKBtn);
    connect(OKBtn, &QPushButton::clicked, this, &Tperiod_frm::OKBtnClick);
    connect(Edit1, &QLineEdit::returnPressed, this, &Tperiod_frm::OKBtnClick);
    setFixedSize(320, 60);
}

int Tperiod_frm::Run(int period)
{
    m_period = period;
    Edit1->setText(QString::number(period));
    Edit1->setFocus();
    exec();
    return m_period;
}

void Tperiod_frm::OKBtnClick()
{
    bool ok = false;
    const int period = Edit1->text().trimmed().toInt(&ok);
    if (!ok || period < 0 || period > 13) {
        ShowMessage(m_lines(lines::PeriodInvalid), this);
        Edit1->setFocus();
        return;
    }
    m_period = period;
    accept();
}

// ---- TEoy_dlg -----------------------------------------------------------------

TEoy_dlg::TEoy_dlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Eoy_dlg"));
    setWindowTitle(QStringLiteral("End of year"));
    Label1 = label(this, "Label1", "The accounts payable year is closed; purchases now go to the new year.");
    Label1->setWordWrap(true);
    OKBtn = button(this, "OKBtn", "OK");
    CancelBtn = button(this, "CancelBtn", "Cancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace varnex::purchent
