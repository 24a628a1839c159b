#include "purchent_frm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "purchent_dialogs.h"
#include "purchent_dm.h"
#include "purchent_lines.h"
#include "varnex/application.h"
#include "varnex/controls/maskedit.h"
#include "varnex/data/engine_error.h"
#include "varnex/frame/picklist.h"
#include "varnex/frame/services.h"
#include "varnex/ledger/purchase.h"
#include "varnex/messages.h"
#include "varnex/regional.h"
#include "varnex/settings.h"
#include "varnex/statusbar.h"
#include "varnex/translation/message_lines.h"
#include "varnex/widgets/dbwidgets.h"

namespace varnex::purchent {

namespace {

// The virmem fields of each row: debit, then credit.
constexpr int DebitField[RowCount] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 23};
constexpr int CreditField[RowCount] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 22, 24};
constexpr int DebitTotalField = 19;
constexpr int CreditTotalField = 20;
const char* const DescriptionBoxName[RowCount] = {"Edit3",  "Edit1",  "Edit4",  "Edit6", "Edit10", "Edit12",
                                                  "Edit14", "Edit16", "Edit18", "Edit2", "Edit5"};

enum CellKind { AccountCell, DescriptionCell, DebitCell, CreditCell };

QString currName(int number)
{
    return QStringLiteral("Curr_%1").arg(number);
}

int tagOf(const QWidget* widget)
{
    return widget ? widget->property("Tag").toInt() : 0;
}

bool isEntryBox(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget)
           || qobject_cast<const QListWidget*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

// A pause between two attempts at a record another workstation holds: the
// window keeps painting, user input waits.
bool waitForLock(const QString&, const QString&, int)
{
    QEventLoop loop;
    QTimer::singleShot(ledger::LockRetryPauseMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return true;
}

} // namespace

LinkRecord& ModuleLink()
{
    static LinkRecord link;
    return link;
}

Tpurchent_frm::Tpurchent_frm(Tpurchent_dm* dm)
    : m_dm(dm)
{
    setObjectName(QStringLiteral("purchent_frm"));
    setWindowTitle(QStringLiteral("Purchases - current period is "));
    buildWindow();
}

Tpurchent_frm::~Tpurchent_frm() = default;

void Tpurchent_frm::SetDialogs(TfrmVAT* vat, TfrmHoldback* holdback, TfrmProject* project, Tperiod_frm* period,
                               frame::TErrorForm* errorForm, QWidget* endOfYear)
{
    m_endOfYear = endOfYear;
    m_vat = vat;
    m_holdback = holdback;
    m_project = project;
    m_period = period;
    m_errorForm = errorForm;
}

void Tpurchent_frm::buildWindow()
{
    auto named = [this](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    auto label = [&](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        named(l, name);
        return l;
    };
    auto speed = [&](const char* name, QStyle::StandardPixmap icon, const char* hint) {
        auto* b = new QToolButton(this);
        named(b, name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(QString::fromUtf8(hint));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    auto maskEdit = [&](const char* name, int maxLength) {
        auto* e = new TVarnexMaskEdit(this);
        named(e, name);
        if (maxLength > 0)
            e->setMaxLength(maxLength);
        return e;
    };

    SpeedButton1 = speed("SpeedButton1", QStyle::SP_FileDialogDetailedView, "Print screen");
    SpeedButton2 = speed("SpeedButton2", QStyle::SP_DialogSaveButton, "E-Mail to");
    SpeedButton3 = speed("SpeedButton3", QStyle::SP_ArrowRight, "Quick Link");
    SpeedButton4 = speed("SpeedButton4", QStyle::SP_BrowserReload, "Change period");
    auto* tools = new QHBoxLayout;
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        tools->addWidget(b);
    tools->addStretch();

    // Header: the creation order is the order Tab and Enter follow.
    auto* header = new QGridLayout;
    header->addWidget(label("Label1", "Supplier"), 0, 0);
    Varnexdbedit1 = new QLineEdit(this);
    named(Varnexdbedit1, "Varnexdbedit1");
    Varnexdbedit1->setMaxLength(10);
    Varnexdbedit1->setProperty("Tag", 13);
    SearchBtn = new QToolButton(this);
    named(SearchBtn, "SearchBtn");
    SearchBtn->setText(QStringLiteral("..."));
    SearchBtn->setToolTip(QStringLiteral("List of suppliers"));
    SearchBtn->setProperty("Tag", 13);
    SearchBtn->setFocusPolicy(Qt::NoFocus);
    auto* supplierRow = new QHBoxLayout;
    supplierRow->addWidget(Varnexdbedit1);
    supplierRow->addWidget(SearchBtn);
    header->addLayout(supplierRow, 0, 1);
    CheckBox1 = new QCheckBox(QStringLiteral("Direct/cash purchase"), this);
    named(CheckBox1, "CheckBox1");
    header->addWidget(CheckBox1, 1, 1);
    header->addWidget(label("Label2", "Type"), 2, 0);
    TransType = new QComboBox(this);
    named(TransType, "TransType");
    TransType->addItems(
        {QStringLiteral("Purchase"), QStringLiteral("Debit"), QStringLiteral("Credit"), QStringLiteral("Adjustment")});
    header->addWidget(TransType, 2, 1);
    header->addWidget(label("Label3", "Invoice"), 3, 0);
    InvoiceNum = maskEdit("InvoiceNum", 10);
    header->addWidget(InvoiceNum, 3, 1);
    header->addWidget(label("Label4", "Dr/Cr reference"), 4, 0);
    DebCreRef = maskEdit("DebCreRef", 10);
    header->addWidget(DebCreRef, 4, 1);
    header->addWidget(label("Label5", "PO number"), 5, 0);
    PO_number = maskEdit("PO_number", 10);
    header->addWidget(PO_number, 5, 1);
    header->addWidget(label("Label6", "Date"), 0, 3);
    TransDate = maskEdit("TransDate", 0);
    TransDate->setEditMask(QStringLiteral("!99/99/9999;1; "));
    header->addWidget(TransDate, 0, 4);
    header->addWidget(label("Label7", "Due date"), 1, 3);
    TransDueDate = maskEdit("TransDueDate", 0);
    TransDueDate->setEditMask(QStringLiteral("!99/99/9999;1; "));
    header->addWidget(TransDueDate, 1, 4);
    header->addWidget(label("Label8", "Memo"), 2, 3);
    TransMemo = new QPlainTextEdit(this);
    named(TransMemo, "TransMemo");
    TransMemo->setTabChangesFocus(true);
    TransMemo->setFixedHeight(54);
    header->addWidget(TransMemo, 2, 4, 2, 1);
    auto* supplier = new QVBoxLayout;
    supplier->setSpacing(0);
    Sup_name = label("Sup_name", "");
    Sup_adr1 = label("Sup_adr1", "");
    Sup_adr2 = label("Sup_adr2", "");
    Sup_city = label("Sup_city", "");
    Sup_prov = label("Sup_prov", "");
    for (QLabel* l : {Sup_name, Sup_adr1, Sup_adr2, Sup_city, Sup_prov}) {
        // Hidden between two invoices, the labels keep their place: the rows
        // below would otherwise move up and back, and the whole window be
        // laid out and painted again for every invoice.
        QSizePolicy policy = l->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        l->setSizePolicy(policy);
        supplier->addWidget(l);
    }
    supplier->addStretch();
    header->addLayout(supplier, 4, 3, 2, 2);
    header->setColumnMinimumWidth(2, 16);
    header->setColumnStretch(4, 1);

    // The eleven rows.
    ScrollBox1 = new QScrollArea(this);
    named(ScrollBox1, "ScrollBox1");
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    ScrollBox1->setWidgetResizable(true);
    auto* rows = new QWidget;
    rows->setObjectName(QStringLiteral("GridPanel"));
    auto* grid = new QGridLayout(rows);
    grid->setVerticalSpacing(2);
    auto* accountTitle = new QLabel(QStringLiteral("Account"), rows);
    accountTitle->setObjectName(QStringLiteral("Label9"));
    grid->addWidget(accountTitle, 0, 0);
    SearchAccountBtn = new QToolButton(rows);
    SearchAccountBtn->setObjectName(QStringLiteral("SearchAccountBtn"));
    SearchAccountBtn->setText(QStringLiteral("..."));
    SearchAccountBtn->setToolTip(QStringLiteral("List of accounts"));
    SearchAccountBtn->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(SearchAccountBtn, 0, 1, Qt::AlignLeft);
    const char* titles[] = {"Description", "Debit", "Credit"};
    const char* titleNames[] = {"Label10", "Label11", "Label12"};
    for (int c = 0; c < 3; ++c) {
        auto* t = new QLabel(QString::fromUtf8(titles[c]), rows);
        t->setObjectName(QString::fromLatin1(titleNames[c]));
        grid->addWidget(t, 0, c + 2);
    }
    for (int i = 0; i < RowCount; ++i) {
        const int row = i + 1;
        auto* account = new TVarnexMaskEdit(rows);
        account->setObjectName(QStringLiteral("VarnexMaskEdit%1").arg(row));
        account->setProperty("Hint", QStringLiteral("1"));
        account->setMaxLength(9);
        auto* description = new QLineEdit(rows);
        description->setObjectName(QString::fromLatin1(DescriptionBoxName[i]));
        description->setMaxLength(60);
        auto* debit = new TVarnexDBEdit(rows);
        debit->setObjectName(QStringLiteral("DebitCell%1").arg(row));
        debit->setDataField(currName(DebitField[i]));
        auto* credit = new TVarnexDBEdit(rows);
        credit->setObjectName(QStringLiteral("CreditCell%1").arg(row));
        credit->setDataField(currName(CreditField[i]));
        const QList<QWidget*> cells{account, description, debit, credit};
        for (int kind = 0; kind < 4; ++kind) {
            cells[kind]->setProperty("Tag", row);
            cells[kind]->setProperty("cellKind", kind);
            cells[kind]->installEventFilter(this);
        }
        debit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        credit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        account->setFixedWidth(90);
        debit->setFixedWidth(110);
        credit->setFixedWidth(110);
        grid->addWidget(account, row, 0, 1, 2);
        grid->addWidget(description, row, 2);
        grid->addWidget(debit, row, 3);
        grid->addWidget(credit, row, 4);
        AccountBoxes[i] = account;
        DescriptionBoxes[i] = description;
        DebitCells[i] = debit;
        CreditCells[i] = credit;
    }
    auto* totalTitle = new QLabel(QStringLiteral("Totals"), rows);
    totalTitle->setObjectName(QStringLiteral("Label13"));
    grid->addWidget(totalTitle, RowCount + 1, 2, Qt::AlignRight);
    TotalDBEdit = new TVarnexDBEdit(rows);
    TotalDBEdit->setObjectName(QStringLiteral("TotalDBEdit"));
    TotalDBEdit->setDataField(currName(DebitTotalField));
    TotalCDEdit = new TVarnexDBEdit(rows);
    TotalCDEdit->setObjectName(QStringLiteral("TotalCDEdit"));
    TotalCDEdit->setDataField(currName(CreditTotalField));
    for (TVarnexDBEdit* total : {TotalDBEdit, TotalCDEdit}) {
        total->setBoxReadOnly(true);
        total->setFocusPolicy(Qt::NoFocus);
        total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        total->setFixedWidth(110);
    }
    grid->addWidget(TotalDBEdit, RowCount + 1, 3);
    grid->addWidget(TotalCDEdit, RowCount + 1, 4);
    ScrollBox1->setWidget(rows);
    ScrollBox1->setMinimumHeight(rows->sizeHint().height() + 4);

    auto* buttons = new QHBoxLayout;
    PostBtn = new QPushButton(QStringLiteral("Accept"), this);
    named(PostBtn, "PostBtn");
    PostBtn->setToolTip(QStringLiteral("Accept transaction"));
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    named(CancelBtn, "CancelBtn");
    CancelBtn->setToolTip(QStringLiteral("Cancel entry"));
    CancelBtn->setProperty("Tag", 13);
    Exit_btn = new QPushButton(QStringLiteral("Exit"), this);
    named(Exit_btn, "Exit_btn");
    Exit_btn->setProperty("Tag", 13);
    Help_btn = new QPushButton(QStringLiteral("Help"), this);
    named(Help_btn, "Help_btn");
    buttons->addStretch();
    for (QPushButton* b : {PostBtn, CancelBtn, Exit_btn, Help_btn}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }

    StatusBar1 = new TStatusBar(this);
    named(StatusBar1, "StatusBar1");
    StatusBar1->addPanel(QString(), 220);
    StatusBar1->addPanel(QString(), 160);
    StatusBar1->addPanel(QStringLiteral("Version "));
    IntlStrings1 = new QPlainTextEdit(this);
    named(IntlStrings1, "IntlStrings1");
    IntlStrings1->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addLayout(header);
    layout->addWidget(ScrollBox1, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);

    for (QWidget* w : std::initializer_list<QWidget*>{Varnexdbedit1, TransType, InvoiceNum, DebCreRef, PO_number,
                                                      TransDate, TransDueDate, TransMemo, CheckBox1})
        w->installEventFilter(this);

    connect(SearchBtn, &QToolButton::clicked, this, &Tpurchent_frm::SearchBtnClick);
    connect(SearchAccountBtn, &QToolButton::clicked, this, &Tpurchent_frm::SearchAccountBtnClick);
    connect(CheckBox1, &QCheckBox::clicked, this, [this](bool) { CheckBox1Click(); });
    connect(PostBtn, &QPushButton::clicked, this, &Tpurchent_frm::PostBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &Tpurchent_frm::CancelBtnClick);
    connect(Exit_btn, &QPushButton::clicked, this, &Tpurchent_frm::Exit_btnClick);
    connect(Help_btn, &QPushButton::clicked, this, &Tpurchent_frm::Help_btnClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &Tpurchent_frm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &Tpurchent_frm::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &Tpurchent_frm::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &Tpurchent_frm::SpeedButton4Click);

    resize(800, 660);
    setFixedSize(size());
}

QString Tpurchent_frm::Message(int line) const
{
    return translation::MessageLine(IntlStrings1, line);
}

void Tpurchent_frm::info(int line)
{
    ShowMessage(Message(line), this);
}

void Tpurchent_frm::plain(int line)
{
    ShowMessage(Message(line), this);
}

void Tpurchent_frm::later(std::function<void()> step)
{
    QTimer::singleShot(0, this, std::move(step));
}

void Tpurchent_frm::returnFocus(QWidget* box)
{
    // The box the focus is taken from is not validated on the way out: two
    // refusing boxes would otherwise send the focus back and forth for ever.
    m_returningFocus = true;
    box->setFocus(Qt::OtherFocusReason);
    m_returningFocus = false;
}

// ---- start --------------------------------------------------------------------

void Tpurchent_frm::FormActivate()
{
    LinkRecord& link = ModuleLink();
    frame::FirstActivationSetup setup;
    setup.moduleName = QStringLiteral("purchent");
    setup.formsToTranslate = {this, m_period, m_holdback, m_project, m_vat};
    // Never shown by this window, but its texts follow the language like the others'.
    if (m_endOfYear)
        setup.formsToTranslate << m_endOfYear;
    if (m_errorForm)
        setup.formsToTranslate << m_errorForm.data();
    setup.statusBar = StatusBar1;
    setup.moduleAddress = reinterpret_cast<const void*>(&ModuleLink);
    setup.databases = {{&m_dm->Database1, true}, {&m_dm->Database2, false}};
    if (!frame::FirstActivation(link, setup))
        return;
    frame::SetPickListModule(reinterpret_cast<const void*>(&ModuleLink));
    m_jobCostEnabled = SettingsStore::machine()
                           .value(QStringLiteral("Lgx"), QStringLiteral("JobCost"), QStringLiteral("N"))
                           .trimmed()
                           .toUpper()
                       == QLatin1String("Y");
    LinkSetText(link.raw().Link_context, QStringLiteral("N"));

    QWidget* launcherWindow = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w))
            launcherWindow = w;
    if (!m_dm->OpenTables(link.raw().Link_language, launcherWindow)) {
        // Without its tables the window can do nothing but fail: it goes too.
        later([this] { Exit_btnClick(); });
        return;
    }
    m_dm->EditSessionRecord(link.raw().Link_session);
    for (int i = 0; i < RowCount; ++i) {
        DebitCells[i]->setDataSet(m_dm->Table2);
        CreditCells[i]->setDataSet(m_dm->Table2);
    }
    TotalDBEdit->setDataSet(m_dm->Table2);
    TotalCDEdit->setDataSet(m_dm->Table2);

    const int period = m_dm->ApPeriod();
    if (period != 0)
        setWindowTitle(windowTitle() + QString::number(period) + QStringLiteral(" : ") + m_dm->PeriodMonth(period));
    else
        setWindowTitle(Message(lines::CaptionPrefix) + QStringLiteral("0"));
    m_postingPeriod = period;

    m_symbols.LoadCurrencySymbols(m_dm->CurrencySign(1), m_dm->CurrencySign(2), m_dm->CurrencySign(3),
                                  m_dm->CurrencySign(4));
    m_entryDate = QDateTime::currentDateTime();
    reset_screen();
    Varnexdbedit1->setFocus();
    if (frame::QuickLinkOpen())
        SpeedButton3->setEnabled(false);
    if (m_jobCostEnabled)
        m_dm->PrepareJobCostTable(link.raw().Link_session);
    if (m_dm->TaxSystem() != 0)
        m_dm->PrepareVatTable(link.raw().Link_session);
}

void Tpurchent_frm::SetPostingPeriod(int period)
{
    m_postingPeriod = period;
    if (period != 0)
        setWindowTitle(Message(lines::CaptionPrefix) + QString::number(period) + QStringLiteral(" : ")
                       + m_dm->PeriodMonth(period));
    else
        setWindowTitle(Message(lines::CaptionPrefix) + QStringLiteral("0"));
}

// ---- rows ---------------------------------------------------------------------

int Tpurchent_frm::RowAccount(int row)
{
    if (!RowIsValid(row))
        return 0;
    TVarnexMaskEdit* box = AccountBoxes[row - 1];
    bool ok = false;
    const int account = box->Text().trimmed().toInt(&ok);
    if (!ok || account == 0) {
        if (box->Text() != QLatin1String("0"))
            box->setText(QStringLiteral("0"));
        return 0;
    }
    return account;
}

Currency Tpurchent_frm::RowDebit(int row) const
{
    if (!RowIsValid(row) || !m_dm->Table2->isOpen())
        return {};
    return m_dm->Table2->field(currName(DebitField[row - 1])).asMoney();
}

Currency Tpurchent_frm::RowCredit(int row) const
{
    if (!RowIsValid(row) || !m_dm->Table2->isOpen())
        return {};
    return m_dm->Table2->field(currName(CreditField[row - 1])).asMoney();
}

void Tpurchent_frm::SetRowDebit(int row, Currency amount)
{
    if (RowIsValid(row)) {
        m_dm->Table2->field(currName(DebitField[row - 1])).setMoney(amount);
        DebitCells[row - 1]->refreshFromField();
    }
}

void Tpurchent_frm::SetRowCredit(int row, Currency amount)
{
    if (RowIsValid(row)) {
        m_dm->Table2->field(currName(CreditField[row - 1])).setMoney(amount);
        CreditCells[row - 1]->refreshFromField();
    }
}

Currency Tpurchent_frm::DebitTotal() const
{
    return m_dm->Table2->field(currName(DebitTotalField)).asMoney();
}

Currency Tpurchent_frm::CreditTotal() const
{
    return m_dm->Table2->field(currName(CreditTotalField)).asMoney();
}

void Tpurchent_frm::SetTotals(Currency debit, Currency credit)
{
    m_dm->Table2->field(currName(DebitTotalField)).setMoney(debit);
    m_dm->Table2->field(currName(CreditTotalField)).setMoney(credit);
    TotalDBEdit->refreshFromField();
    TotalCDEdit->refreshFromField();
}

void Tpurchent_frm::LoadRowAccount(int row, int account)
{
    if (!RowIsValid(row))
        return;
    // A box is only rewritten when its text changes: after each posting the
    // same default rows come back, and rewriting them repaints the window.
    const QString number = QString::number(account);
    if (AccountBoxes[row - 1]->Text() != number)
        AccountBoxes[row - 1]->setText(number);
    const QString description = account == 0 ? QString() : m_dm->AccountDescription(account);
    if (DescriptionBoxes[row - 1]->text() != description)
        DescriptionBoxes[row - 1]->setText(description);
    if (!RowDebit(row).isZero())
        SetRowDebit(row, {});
    if (!RowCredit(row).isZero())
        SetRowCredit(row, {});
}

int Tpurchent_frm::FirstEmptyRow()
{
    for (int row = 1; row <= RowCount; ++row)
        if (RowAccount(row) == 0)
            return row;
    return 1;
}

QString Tpurchent_frm::TypeCode() const
{
    return TypeCodeOfIndex(TransType->currentIndex());
}

void Tpurchent_frm::LoadDefaultRows()
{
    const int currency =
        m_dm->Table1->isEmpty() ? 0 : int(m_dm->Table1->field(QStringLiteral("Sup_currency")).asInteger());
    LoadRowAccount(1, m_dm->PayableAccounts().forCurrency(currency));
    for (int row = 2; row <= 9; ++row)
        LoadRowAccount(row, m_dm->PurchaseAccounts()[row - 2]);
    LoadRowAccount(10, 0);
    LoadRowAccount(11, 0);
}

void Tpurchent_frm::reset_screen()
{
    Varnexdbedit1->clear();
    PO_number->setText(QString());
    ShowSupplierLabels(false);
    SearchBtn->setEnabled(true);
    TransType->setCurrentIndex(0);
    InvoiceNum->setText(QString());
    TransMemo->clear();
    DebCreRef->setText(QString());
    TransDate->setText(FormatShortDate(m_entryDate.date()));
    calc_due_date();
    m_dm->Table5->first();
    m_dm->Table2->cancel();
    m_dm->Table2->edit();
    LoadDefaultRows();
    m_currentRow = FirstEmptyRow();
    SetTotals({}, {});
    CheckBox1->setChecked(false);
}

// ---- due dates ----------------------------------------------------------------

void Tpurchent_frm::ApplyDueDate(const QDate& start, int terms)
{
    const QDate due = ledger::DueDateFromTerms(start, terms);
    if (due.isValid())
        TransDueDate->setText(FormatShortDate(due));
}

void Tpurchent_frm::calc_due_date()
{
    const int terms = m_dm->Table1->isEmpty() ? 0 : int(m_dm->Table1->field(QStringLiteral("Sup_du_days")).asInteger());
    ApplyDueDate(QDate::currentDate(), terms);
}

void Tpurchent_frm::calc_due_date_change()
{
    const int terms =
        m_dm->Sup2_Table->isEmpty() ? 0 : int(m_dm->Sup2_Table->field(QStringLiteral("Sup_du_days")).asInteger());
    ApplyDueDate(ParseShortDate(TransDate->Text()), terms);
}

// ---- supplier -----------------------------------------------------------------

void Tpurchent_frm::ShowSupplierLabels(bool visible)
{
    const std::pair<QLabel*, const char*> labels[] = {{Sup_name, "Sup_name"},
                                                      {Sup_adr1, "Sup_adr1"},
                                                      {Sup_adr2, "Sup_adr2"},
                                                      {Sup_city, "Sup_city"},
                                                      {Sup_prov, "Sup_prov"}};
    for (const auto& [label, field] : labels) {
        if (visible)
            label->setText(m_dm->Table1->field(QString::fromLatin1(field)).asString());
        label->setVisible(visible);
    }
}

void Tpurchent_frm::Varnexdbedit1Exit()
{
    const QString code = Varnexdbedit1->text().trimmed();
    if (code.isEmpty())
        return;
    if (m_dm->FindSupplier(code) || m_dm->FindSupplier(code.toUpper())) {
        m_symbols.SetCurrencyDisplay(int(m_dm->Table1->field(QStringLiteral("Sup_currency")).asInteger()));
        reset_screen();
        const QString stored = m_dm->Table1->field(QStringLiteral("Sup_code")).asString();
        Varnexdbedit1->setText(stored);
        m_dm->Sup2_Table->findKey({stored});
        TransDate->setText(FormatShortDate(m_entryDate.date()));
        calc_due_date_change();
        ShowSupplierLabels(true);
        for (int i = 1; i <= 3; ++i) {
            const data::Field& account = m_dm->Table1->field(QStringLiteral("Sup_accnt%1").arg(i));
            if (!account.isNull() && account.asInteger() != 0)
                LoadRowAccount(i + 1, int(account.asInteger()));
        }
        return;
    }
    reset_screen();
    Varnexdbedit1->clear();
    TransDate->setText(FormatShortDate(QDate::currentDate()));
    TransDueDate->setText(FormatShortDate(QDate::currentDate()));
    later([this] {
        info(lines::SupplierUnknown);
        returnFocus(Varnexdbedit1);
    });
}

void Tpurchent_frm::SearchBtnClick()
{
    const QString code = frame::PickLists().ApGetSupplier(ModuleLink().raw());
    if (code.isEmpty())
        return;
    m_dm->FindSupplier(code);
    m_dm->Sup2_Table->findKey({code});
    Varnexdbedit1->setText(code);
    TransDate->setText(FormatShortDate(m_entryDate.date()));
    calc_due_date_change();
    ShowSupplierLabels(true);
    Varnexdbedit1->setFocus();
}

bool Tpurchent_frm::TransTypeEnter()
{
    if (!Varnexdbedit1->text().trimmed().isEmpty() || CheckBox1->isChecked())
        return true;
    later([this] { returnFocus(Varnexdbedit1); });
    return false;
}

// ---- header boxes -------------------------------------------------------------

void Tpurchent_frm::InvoiceNumExit(QWidget* next)
{
    if (tagOf(next) == 13)
        return;
    const QString text = InvoiceNum->Text().trimmed();
    if (text.isEmpty()) {
        later([this] {
            info(lines::InvoiceEmpty);
            returnFocus(InvoiceNum);
        });
        return;
    }
    InvoiceNum->setText(InvoiceNum->Text().toUpper());
    Varnexdbedit1->setEnabled(false);
    SearchBtn->setEnabled(false);
    const QString invoice = InvoiceNum->Text();
    const QString supplier = Varnexdbedit1->text();
    int failure = -1;
    switch (TransType->currentIndex()) {
    case 0:
        if (m_dm->InvoiceExists(supplier, ledger::PurchaseTypeCode, invoice))
            failure = lines::InvoiceAlreadyPurchased;
        break;
    case 1:
    case 2:
        if (!m_dm->InvoiceExists(supplier, ledger::PurchaseTypeCode, invoice))
            failure = lines::InvoiceNotPurchased;
        break;
    default: break;
    }
    if (failure < 0)
        return;
    InvoiceNum->setText(QString());
    later([this, failure] {
        plain(failure);
        InvoiceNum->selectAll();
        returnFocus(InvoiceNum);
    });
}

void Tpurchent_frm::DebCreRefExit(QWidget* next)
{
    if (tagOf(next) == 13 || TransType->currentIndex() == 0)
        return;
    if (DebCreRef->Text().trimmed().isEmpty())
        later([this] {
            plain(lines::ReferenceEmpty);
            returnFocus(DebCreRef);
        });
}

void Tpurchent_frm::TransDateExit()
{
    const QDate date = ParseShortDate(TransDate->Text());
    if (!date.isValid()) {
        later([this] { returnFocus(TransDate); });
        return;
    }
    const QString code = Varnexdbedit1->text().trimmed();
    if (m_dm->FindSupplier(code)) {
        m_dm->Sup2_Table->findKey({code});
        calc_due_date_change();
    } else {
        TransDueDate->setText(TransDate->Text());
    }
}

void Tpurchent_frm::TransDueDateExit()
{
    if (!ParseShortDate(TransDueDate->Text()).isValid())
        later([this] { returnFocus(TransDueDate); });
}

void Tpurchent_frm::PO_numberExit(QWidget* next)
{
    const QString order = PO_number->Text().trimmed();
    if (order.isEmpty() || next == Exit_btn || next == Help_btn || next == CancelBtn)
        return;
    if (!m_dm->PurchaseOrderExists(order))
        later([this] {
            info(lines::OrderUnknown);
            returnFocus(PO_number);
        });
}

void Tpurchent_frm::CheckBox1Click()
{
    if (!CheckBox1->isChecked())
        return;
    TransDate->setText(FormatShortDate(m_entryDate.date()));
    TransDueDate->setText(FormatShortDate(m_entryDate.date()));
    m_symbols.SetCurrencyDisplay(-1);
    LoadDefaultRows();
    SetTotals({}, {});
}

// ---- grid ---------------------------------------------------------------------

void Tpurchent_frm::OnEnterGridElem(QWidget* box)
{
    m_currentRow = tagOf(box);
}

void Tpurchent_frm::OnDbCdEnter(QWidget* cell)
{
    m_currentRow = tagOf(cell);
    const int kind = cell->property("cellKind").toInt();
    m_enteredValue = kind == DebitCell ? RowDebit(m_currentRow) : RowCredit(m_currentRow);
}

void Tpurchent_frm::OnDbExit(int row)
{
    const Currency debit = RowDebit(row);
    if (m_dm->IsPayableAccount(RowAccount(row)) && TransType->currentIndex() == 1 && debit > Currency()) {
        SetRowDebit(row, {});
        later([this] { plain(lines::DebitOnPayable); });
        return;
    }
    Currency creditTotal = CreditTotal();
    // Only an amount clears the other side: tabbing through an empty cell
    // must not destroy what the row already holds.
    if (!debit.isZero() && !RowCredit(row).isZero()) {
        creditTotal -= RowCredit(row);
        SetRowCredit(row, {});
    }
    SetTotals(DebitTotal() - m_enteredValue + debit, creditTotal);
    m_enteredValue = debit;
}

void Tpurchent_frm::OnCDExit(int row)
{
    const Currency credit = RowCredit(row);
    if (m_dm->IsPayableAccount(RowAccount(row)) && TransType->currentIndex() == 2 && credit > Currency()) {
        SetRowCredit(row, {});
        later([this] { plain(lines::CreditOnPayable); });
        return;
    }
    Currency debitTotal = DebitTotal();
    if (!credit.isZero() && !RowDebit(row).isZero()) {
        debitTotal -= RowDebit(row);
        SetRowDebit(row, {});
    }
    SetTotals(debitTotal, CreditTotal() - m_enteredValue + credit);
    m_enteredValue = credit;
}

void Tpurchent_frm::AccountEditExit(int row)
{
    const int account = RowAccount(row);
    if (account == 0)
        return;
    if (m_dm->FindAccount(account)) {
        DescriptionBoxes[row - 1]->setText(m_dm->Table3->field(QStringLiteral("Glm_Description")).asString());
        return;
    }
    AccountBoxes[row - 1]->setText(QStringLiteral("0"));
    later([this, row] {
        returnFocus(AccountBoxes[row - 1]);
        info(lines::AccountUnknown);
    });
}

void Tpurchent_frm::SearchAccountBtnClick()
{
    const int account = frame::PickLists().GlGetAccount(ModuleLink().raw());
    if (account == 0 || !RowIsValid(m_currentRow))
        return;
    AccountBoxes[m_currentRow - 1]->setText(QString::number(account));
    DescriptionBoxes[m_currentRow - 1]->setText(m_dm->AccountDescription(account));
}

// ---- events -------------------------------------------------------------------

QWidget* Tpurchent_frm::RowWidgetOf(QObject* object, int* row, int* kind) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr || !widget->property("cellKind").isValid())
        return nullptr;
    *row = tagOf(widget);
    *kind = widget->property("cellKind").toInt();
    return widget;
}

bool Tpurchent_frm::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::FocusIn && type != QEvent::FocusOut && type != QEvent::KeyPress
        && type != QEvent::MouseButtonDblClick)
        return false;
    if (m_closing || !m_dm->Table2->isOpen())
        return TModuleForm::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    int row = 0;
    int kind = 0;
    const bool gridCell = RowWidgetOf(watched, &row, &kind) != nullptr;
    switch (event->type()) {
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        if (watched != Varnexdbedit1 && watched != CheckBox1 && watched != PO_number && !TransTypeEnter())
            break;
        if (gridCell && (kind == DebitCell || kind == CreditCell))
            OnDbCdEnter(widget);
        else if (gridCell)
            OnEnterGridElem(widget);
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        QWidget* next = QApplication::focusWidget();
        if (m_returningFocus && !(gridCell && (kind == DebitCell || kind == CreditCell)))
            break;
        if (gridCell) {
            if (kind == DebitCell || kind == CreditCell) {
                // The box writes its text to the field first: the rule reads the field.
                static_cast<TVarnexDBEdit*>(widget)->writeToField();
                if (kind == DebitCell)
                    OnDbExit(row);
                else
                    OnCDExit(row);
            } else if (kind == AccountCell && tagOf(next) != 13) {
                AccountEditExit(row);
            }
        } else if (watched == Varnexdbedit1) {
            if (next != Exit_btn && next != CancelBtn)
                Varnexdbedit1Exit();
        } else if (watched == InvoiceNum) {
            InvoiceNumExit(next);
        } else if (watched == DebCreRef) {
            DebCreRefExit(next);
        } else if (watched == TransDate && tagOf(next) != 13) {
            TransDateExit();
        } else if (watched == TransDueDate && tagOf(next) != 13) {
            TransDueDateExit();
        } else if (watched == PO_number) {
            PO_numberExit(next);
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (gridCell && kind == AccountCell) {
            m_currentRow = row;
            SearchAccountBtnClick();
            return true;
        }
        break;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F2) {
            if (watched == Varnexdbedit1) {
                SearchBtnClick();
                return true;
            }
            if (widget && widget->property("Hint").toString() == QLatin1String("1")) {
                SearchAccountBtnClick();
                return true;
            }
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Down
             || key->key() == Qt::Key_Up)
            && key->modifiers() == Qt::NoModifier && !qobject_cast<QPlainTextEdit*>(watched)) {
            if (m_skipNextMove) {
                m_skipNextMove = false;
                return true;
            }
            MoveFocus(key->key() != Qt::Key_Up);
            return true;
        }
        break;
    }
    default: break;
    }
    return TModuleForm::eventFilter(watched, event);
}

void Tpurchent_frm::MoveFocus(bool forward)
{
    QWidget* from = QApplication::focusWidget();
    if (from == nullptr)
        return;
    QWidget* candidate = from;
    for (int guard = 0; guard < 200; ++guard) {
        candidate = forward ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (candidate == from)
            return;
        if (candidate->window() == this && isEntryBox(candidate) && candidate->isVisible() && candidate->isEnabled()
            && (candidate->focusPolicy() & Qt::TabFocus)) {
            candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

void Tpurchent_frm::keyPressEvent(QKeyEvent* event)
{
    // Escape must not close the window behind the user's back: Exit does.
    if (event->key() == Qt::Key_Escape)
        return;
    TModuleForm::keyPressEvent(event);
}

void Tpurchent_frm::closeEvent(QCloseEvent* event)
{
    m_closing = true;
    m_dm->CloseTables();
    m_dm->Database1.disconnect();
    m_dm->Database2.disconnect();
    TModuleForm::closeEvent(event);
}

// ---- buttons ------------------------------------------------------------------

void Tpurchent_frm::CancelBtnClick()
{
    reset_screen();
    Varnexdbedit1->setEnabled(true);
    Varnexdbedit1->setFocus();
}

void Tpurchent_frm::Exit_btnClick()
{
    if (m_closing)
        return;
    close();
    done(QDialog::Rejected);
}

void Tpurchent_frm::Help_btnClick()
{
    frame::ShowHelpContext(HelpContext);
}

void Tpurchent_frm::SpeedButton1Click()
{
    frame::PrintScreen(this);
}

void Tpurchent_frm::SpeedButton2Click()
{
    // Only a chosen supplier has an address here: the supplier cursor may
    // stand on any supplier before one is chosen.
    const QString address =
        !Sup_name->isHidden() ? m_dm->Table1->field(QStringLiteral("Sup_email")).asString() : QString();
    frame::EmailTo(address);
}

void Tpurchent_frm::SpeedButton3Click()
{
    frame::PickLists().QuickLink(ModuleLink().raw());
    SetApplicationExceptionHandler([this](std::exception_ptr error) { HandleDatabaseError(error); });
}

void Tpurchent_frm::SpeedButton4Click()
{
    SetPostingPeriod(m_period->Run(m_postingPeriod));
}

void Tpurchent_frm::HandleDatabaseError(std::exception_ptr error)
{
    m_skipNextMove = true;
    try {
        std::rethrow_exception(error);
    } catch (const data::EngineError& engine) {
        if (engine.code() != data::ErrorCode::RecordLocked && m_errorForm)
            m_errorForm->ShowError(QString::number(engine.category()), QString::number(engine.subCode()),
                                   engine.message());
        if (!m_closing)
            later([this] { Exit_btnClick(); });
    } catch (...) {
        // Not an engine error (an entry refused by a masked box, for one):
        // the user sees it, the window stays.
        ShowErrorMessage(ExceptionMessage(error), this);
    }
}

// ---- posting ------------------------------------------------------------------

void Tpurchent_frm::PostBtnClick()
{
    // 1 to 3: what the user must complete.
    if (InvoiceNum->Text().trimmed().isEmpty()) {
        info(lines::InvoiceEmpty);
        InvoiceNum->setFocus();
        return;
    }
    if (TransType->currentIndex() != 0 && DebCreRef->Text().trimmed().isEmpty()) {
        plain(lines::ReferenceEmpty);
        DebCreRef->setFocus();
        return;
    }
    if (CheckBox1->isChecked() && TransMemo->toPlainText().trimmed().isEmpty()) {
        if (Messages().show(this, MessageKind::Information, QApplication::applicationDisplayName(),
                            Message(lines::CashMemoEmpty), MessageButtons::YesNo)
            == MessageAnswer::Yes) {
            TransMemo->setFocus();
            return;
        }
    }
    // 4: the outside components see that a posting is under way.
    LinkSetText(ModuleLink().raw().Link_context, QStringLiteral("Y"));
    // 5 to 7: the amounts.
    if (CreditTotal() != DebitTotal()) {
        plain(lines::NotBalanced);
        return;
    }
    const QString order = PO_number->Text().trimmed();
    if (!order.isEmpty() && !m_dm->PurchaseOrderExists(order)) {
        info(lines::OrderUnknown);
        PO_number->setFocus();
        return;
    }
    Currency apAmount;
    for (int row = 1; row <= RowCount; ++row) {
        const int account = RowAccount(row);
        const Currency debit = RowDebit(row);
        const Currency credit = RowCredit(row);
        const bool hasAmount = !debit.isZero() || !credit.isZero();
        if (CheckBox1->isChecked()) {
            if (account != 0 && hasAmount && m_dm->IsPayableAccount(account)) {
                info(lines::CashOnPayable);
                return;
            }
        } else if ((debit > Currency() || credit > Currency()) && m_dm->IsPayableAccount(account)) {
            apAmount += debit + credit;
        }
        if (hasAmount && !m_dm->FindAccount(account)) {
            ShowErrorMessage(Message(lines::AccountUnknown), this);
            AccountBoxes[row - 1]->setFocus();
            return;
        }
    }
    // 8: the next entry starts on this date, even if a dialog cancels below.
    const QDate date = ParseShortDate(TransDate->Text());
    if (date.isValid())
        m_entryDate = QDateTime(date, QTime::currentTime());
    Post(apAmount);
}

ledger::PurchaseDocument Tpurchent_frm::Document() const
{
    ledger::PurchaseDocument document;
    const TLinkSection& link = ModuleLink().raw();
    document.typeCode = TypeCode();
    document.directCash = CheckBox1->isChecked();
    document.supplierCode = document.directCash ? QString() : Varnexdbedit1->text().trimmed();
    document.invoiceNumber = InvoiceNum->Text().trimmed();
    document.drCrReference = DebCreRef->Text().trimmed();
    document.poNumber = PO_number->Text().trimmed();
    document.date = ParseShortDate(TransDate->Text());
    document.dueDate = ParseShortDate(TransDueDate->Text());
    document.memo = TransMemo->toPlainText();
    document.period = m_postingPeriod;
    document.session = link.Link_session;
    document.user = LinkText(link.Link_user);
    document.stamp = QDateTime::currentDateTime();
    for (int row = 1; row <= RowCount; ++row) {
        ledger::PurchaseRow& r = document.rows[size_t(row - 1)];
        bool ok = false;
        r.account = AccountBoxes[row - 1]->Text().trimmed().toInt(&ok);
        if (!ok)
            r.account = 0;
        r.description = DescriptionBoxes[row - 1]->text();
        r.debit = RowDebit(row);
        r.credit = RowCredit(row);
    }
    document.jobCostEnabled = m_jobCostEnabled;
    document.jobCostTypeDescription = Message(lines::JobCostTypeText);
    return document;
}

bool Tpurchent_frm::AskTaxes(ledger::PurchaseDocument& document)
{
    const std::vector<ledger::TaxLine> taxes = ledger::BuildTaxLines(m_dm->Database1.database(), document);
    data::Table* work = m_dm->tblVatTmp;
    m_dm->Database1.database()->emptyTable(work->tableName());
    work->refresh();
    if (taxes.empty())
        return true;
    {
        data::Transaction fill(m_dm->Database1.database());
        for (const ledger::TaxLine& tax : taxes) {
            work->append();
            work->field(QStringLiteral("Description")).setString(tax.description);
            work->field(QStringLiteral("Rate")).setNumber(tax.rate);
            work->field(QStringLiteral("TaxAmount")).setNumber(tax.taxAmount.toDouble());
            work->field(QStringLiteral("TotalAmount")).setNumber(tax.totalAmount.toDouble());
            work->field(QStringLiteral("Type")).setInteger(tax.type);
            work->post();
        }
        fill.commit();
    }
    if (!m_vat->Run())
        return false;
    for (work->first(); !work->eof(); work->next()) {
        ledger::TaxLine tax;
        tax.description = work->field(QStringLiteral("Description")).asString();
        tax.rate = work->field(QStringLiteral("Rate")).asNumber();
        tax.taxAmount = Currency::fromDouble(work->field(QStringLiteral("TaxAmount")).asNumber());
        tax.totalAmount = Currency::fromDouble(work->field(QStringLiteral("TotalAmount")).asNumber());
        tax.type = int(work->field(QStringLiteral("Type")).asInteger());
        document.taxLines.push_back(tax);
    }
    return true;
}

bool Tpurchent_frm::Post(Currency apAmount)
{
    ledger::PurchaseDocument document = Document();
    // Every question first: nothing is written before the last answer.
    if (m_dm->TaxSystem() != 0 && !AskTaxes(document))
        return false;
    if (m_jobCostEnabled && !document.directCash && apAmount > Currency()) {
        m_holdback->Run(apAmount);
        if (m_holdback->Percent() > 0) {
            document.holdbackPercent = m_holdback->Percent();
            document.holdbackDueDate = m_holdback->DueDate();
        }
    }
    if (m_jobCostEnabled) {
        if (!m_project->Run(apAmount))
            return false;
        document.jobCost.assign(m_project->Lines().begin(), m_project->Lines().end());
    }
    ledger::PostingOptions options;
    options.lockWait = waitForLock;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ledger::PostingResult result = m_dm->PostPurchase(document, options);
    QApplication::restoreOverrideCursor();
    if (!result.ok) {
        ShowErrorMessage(Message(lines::PostingFailed) + QStringLiteral("\n") + result.message, this);
        return false;
    }
    LinkSetText(ModuleLink().raw().Link_context, QStringLiteral("N"));
    reset_screen();
    Varnexdbedit1->setEnabled(true);
    SearchBtn->setEnabled(true);
    Varnexdbedit1->setFocus();
    return true;
}

} // namespace varnex::purchent
