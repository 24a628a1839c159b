// The account display window's components and layout. Names are the
// design's, so that translation, tests and stored desktops find them.
#include "varnex/accountview/accountform.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "varnex/controls/maskedit.h"
#include "varnex/statusbar.h"
#include "varnex/widgets/dbwidgets.h"

namespace varnex::accountview {

namespace {

template <typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text)
{
    return named(new QLabel(text, parent), name);
}

TVarnexDBEdit* dbEdit(QWidget* parent, data::DataSet* dataSet, const QString& field)
{
    auto* edit = named(new TVarnexDBEdit(parent), QStringLiteral("DBEdit_") + field);
    edit->setDataSet(dataSet);
    edit->setDataField(field);
    edit->setBoxReadOnly(true);
    return edit;
}

TVarnexCurrencyField* moneyField(QWidget* parent, data::DataSet* dataSet, const QString& name, const QString& field)
{
    auto* edit = named(new TVarnexCurrencyField(parent), name);
    edit->setReadOnly(true);
    edit->setDataSet(dataSet, field);
    return edit;
}

QGridLayout* compactGrid(QWidget* page)
{
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    return grid;
}

} // namespace

TWhichReportForm::TWhichReportForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("which_rep_frm"));
    setWindowTitle(QStringLiteral("Which document"));
    RadioGroup1 = named(new QGroupBox(this), QStringLiteral("RadioGroup1"));
    PurchaseItem = new QRadioButton(QStringLiteral("Purchase"), RadioGroup1);
    PurchaseOrderItem = new QRadioButton(QStringLiteral("Purchase order"), RadioGroup1);
    PurchaseItem->setChecked(true);
    auto* radios = new QVBoxLayout(RadioGroup1);
    radios->addWidget(PurchaseItem);
    radios->addWidget(PurchaseOrderItem);
    OKBtn = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("OKBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addWidget(OKBtn, 0, Qt::AlignHCenter);
}

int TWhichReportForm::itemIndex() const
{
    return PurchaseOrderItem->isChecked() ? 1 : 0;
}

void TAccountForm::buildWindow()
{
    setObjectName(m_side.formName);
    setWindowTitle(m_side.caption);

    auto* top = named(new QWidget(this), QStringLiteral("Panel1"));
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(4, 2, 4, 2);
    Label1 = label(top, QStringLiteral("Label1"), QStringLiteral("Select a field:"));
    ComboBox1 = named(new QComboBox(top), QStringLiteral("ComboBox1"));
    ComboBox1->addItems(m_side.searchCaptions);
    ComboBox1->setMaxVisibleItems(20);
    auto* opLabel = label(top, QStringLiteral("Label2"), QStringLiteral("Operator:"));
    ComboBox2 = named(new QComboBox(top), QStringLiteral("ComboBox2"));
    ComboBox2->addItems({QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<"), QStringLiteral("<>"),
                         QStringLiteral("CONTAINING")});
    auto* paramLabel = label(top, QStringLiteral("Label3"), QStringLiteral("Enter parameter:"));
    VarnexMaskEdit1 = named(new TVarnexMaskEdit(top), QStringLiteral("VarnexMaskEdit1"));
    RefreshButton = named(new QPushButton(QStringLiteral("Refresh"), top), m_side.refreshButton);
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(ComboBox1), static_cast<QWidget*>(opLabel),
                       static_cast<QWidget*>(ComboBox2), static_cast<QWidget*>(paramLabel),
                       static_cast<QWidget*>(VarnexMaskEdit1), static_cast<QWidget*>(RefreshButton)})
        topRow->addWidget(w);
    topRow->setStretch(5, 1);

    PageControl1 = named(new QTabWidget(this), QStringLiteral("PageControl1"));
    // Eight captions in both languages fit the fixed width only a little smaller.
    QFont tabFont = PageControl1->tabBar()->font();
    tabFont.setPointSizeF(tabFont.pointSizeF() * 0.82);
    PageControl1->tabBar()->setFont(tabFont);
    PageControl1->addTab(buildListTab(), m_side.tabCaptions.value(0));
    PageControl1->addTab(buildGeneralTab(), m_side.tabCaptions.value(1));
    PageControl1->addTab(buildControlTab(), m_side.tabCaptions.value(2));
    PageControl1->addTab(buildCommentsTab(), m_side.tabCaptions.value(3));
    PageControl1->addTab(buildStatementTab(), m_side.tabCaptions.value(4));
    PageControl1->addTab(buildStatisticsTab(), m_side.tabCaptions.value(5));
    PageControl1->addTab(buildGraphTab(), m_side.tabCaptions.value(6));
    if (m_side.client)
        PageControl1->addTab(buildCylindersTab(), m_side.tabCaptions.value(7));
    for (int i = 0; i < PageControl1->count(); ++i)
        PageControl1->widget(i)->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));

    auto* bottom = named(new QWidget(this), QStringLiteral("Panel2"));
    auto* bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(4, 2, 4, 2);
    CheckBox1 = named(new QCheckBox(QStringLiteral("View current transactions"), bottom), QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    CheckBox1->setVisible(false);
    ExitButton = named(new QPushButton(QStringLiteral("Exit"), bottom), m_side.exitButton);
    HelpButton = named(new QPushButton(QStringLiteral("Help"), bottom), m_side.helpButton);
    ExitButton->setProperty("Tag", 13);
    PrintScreenButton = named(new QToolButton(bottom), m_side.printScreenButton);
    PrintScreenButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    PrintScreenButton->setToolTip(m_side.client ? QStringLiteral("Print screen") : QStringLiteral("Print Screen"));
    EmailButton = named(new QToolButton(bottom), m_side.emailButton);
    EmailButton->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    EmailButton->setToolTip(QStringLiteral("E-Mail to"));
    QuickLinkButton = named(new QToolButton(bottom), m_side.quickLinkButton);
    QuickLinkButton->setIcon(style()->standardIcon(QStyle::SP_DirLinkIcon));
    QuickLinkButton->setToolTip(QStringLiteral("Quick Link"));
    bottomRow->addWidget(PrintScreenButton);
    bottomRow->addWidget(EmailButton);
    bottomRow->addWidget(QuickLinkButton);
    bottomRow->addSpacing(12);
    bottomRow->addWidget(CheckBox1);
    bottomRow->addStretch(1);
    bottomRow->addWidget(HelpButton);
    bottomRow->addWidget(ExitButton);

    IntlStrings1 = named(new QPlainTextEdit(this), QStringLiteral("IntlStrings1"));
    IntlStrings1->hide();
    StatusBar1 = named(new TStatusBar(this), QStringLiteral("StatusBar1"));
    StatusBar1->addPanel(QString(), 260);
    StatusBar1->addPanel(QString(), 160);
    StatusBar1->addPanel(QStringLiteral("Version "));
    StatusBar1->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(bottom);
    layout->addWidget(StatusBar1);
    setFixedSize(m_side.clientArea);
}

QWidget* TAccountForm::buildListTab()
{
    auto* page = new QWidget;
    DBGrid1 = named(new TVarnexDBGrid(page), QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QString codeTitle = m_side.client ? QStringLiteral("Client code") : QStringLiteral("Supplier code");
    DBGrid1->setColumns({{m_side.codeField, codeTitle, 100},
                         {m_side.nameField, QStringLiteral("Name"), 330},
                         {m_side.telField, QStringLiteral("Telephone"), 140}});
    DBGrid1->setDataSet(&m_dm->Query1);
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(DBGrid1);
    return page;
}

QWidget* TAccountForm::buildGeneralTab()
{
    auto* page = new QWidget;
    auto* grid = compactGrid(page);
    data::DataSet* q = &m_dm->Query1;
    const QString p = m_side.client ? QStringLiteral("Cli_") : QStringLiteral("Sup_");
    // Label names of the province and postal code differ between the two
    // designs; the international captions address them by name.
    struct Row {
        const char* label;
        const char* text;
        const char* field;
    };
    const bool c = m_side.client;
    const QList<Row> rows = {
        {c ? "Label22" : "Label52", c ? "Client code" : "Supplier code", "code"},
        {c ? "Label23" : "Label53", "Name", "name"},
        {c ? "Label24" : "Label54", "Address 1", "adr1"},
        {c ? "Label25" : "Label55", "Address 2", "adr2"},
        {c ? "Label26" : "Label5", "City", "city"},
        {c ? "Label27" : "Label6", "Province", "prov"},
        {c ? "Label28" : "Label7", "Country", "country"},
        {c ? "Label29" : "Label8", "Postal code", "postal_code"},
        {c ? "Label30" : "Label9", "Telephone", "tel"},
        {c ? "Label31" : "Label10", "Fax", "fax"},
        {c ? "Label33" : "Label11", "E-mail", "email"},
        {c ? "Label34" : "Label12", "Contact", "contact"},
        {c ? "Label35" : "Label13", "Contact telephone", "contact_tel"},
    };
    for (int i = 0; i < rows.size(); ++i) {
        const int column = i < 7 ? 0 : 2;
        const int row = i < 7 ? i : i - 7;
        grid->addWidget(label(page, QString::fromLatin1(rows[i].label), QString::fromLatin1(rows[i].text)), row,
                        column);
        grid->addWidget(dbEdit(page, q, p + QString::fromLatin1(rows[i].field)), row, column + 1);
    }
    grid->setRowStretch(7, 1);
    return page;
}

QWidget* TAccountForm::buildControlTab()
{
    auto* page = new QWidget;
    auto* grid = compactGrid(page);
    data::DataSet* q = &m_dm->Query1;
    int row = 0;
    int column = 0;
    auto place = [&](QWidget* caption, QWidget* value) {
        grid->addWidget(caption, row, column);
        grid->addWidget(value, row, column + 1);
        if (++row == 9) {
            row = 0;
            column += 2;
        }
    };
    auto text = [&](const char* name, const char* caption, const QString& field) {
        place(label(page, QString::fromLatin1(name), QString::fromLatin1(caption)), dbEdit(page, q, field));
    };
    auto money = [&](const char* name, const char* caption, const QString& field) {
        place(label(page, QString::fromLatin1(name), QString::fromLatin1(caption)),
              moneyField(page, q, QStringLiteral("DBEdit_") + field, field));
    };
    auto check = [&](const char* caption, const QString& field) {
        auto* box = named(new QCheckBox(QString::fromLatin1(caption), page), QStringLiteral("DBCheck_") + field);
        box->setEnabled(false);
        m_boundChecks << qMakePair(box, field);
        return box;
    };
    ComboBox3 = named(new QComboBox(page), QStringLiteral("ComboBox3"));
    ComboBox3->setEnabled(false);
    SpinEdit1 = named(new QSpinBox(page), QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(1, 10);
    SpinEdit1->setEnabled(false);

    QGridLayout* checks = new QGridLayout;
    if (m_side.client) {
        text("Label4", "Date created", QStringLiteral("Cli_date_created"));
        text("Label5", "Date last sale", QStringLiteral("Cli_date_last_sale"));
        text("Label6", "Date last payment", QStringLiteral("Cli_date_last_pmt"));
        text("Label7", "Language", QStringLiteral("Cli_language"));
        text("Label8", "Territory", QStringLiteral("Cli_terr"));
        text("Label9", "Credit limit", QStringLiteral("Cli_credit_limit"));
        text("Label10", "Due days", QStringLiteral("Cli_du_days"));
        text("Label11", "Discount", QStringLiteral("Cli_discount"));
        text("Label12", "Terms", QStringLiteral("Cli_terms"));
        text("Label13", "Sales rep", QStringLiteral("Cli_salesrep"));
        money("Label14", "Last invoice amount", QStringLiteral("Cli_last_sale"));
        money("Label15", "Sales month to date", QStringLiteral("Cli_sales_mth"));
        money("Label16", "Sales year to date", QStringLiteral("Cli_sales_ytd"));
        Edit1 = named(new QLineEdit(page), QStringLiteral("Edit1"));
        Edit1->setReadOnly(true);
        place(label(page, QStringLiteral("Label17"), QStringLiteral("Price list")), Edit1);
        text("Label38", "Date last NSF cheque", QStringLiteral("Cli_nsf_date"));
        money("Label19", "Current balance", QStringLiteral("Cli_current_bal"));
        place(label(page, QStringLiteral("Label36"), QStringLiteral("Currency")), ComboBox3);
        text("Label37", "Bill to", QStringLiteral("Cli_charge_to"));
        text("Label47", "Sales account 1", QStringLiteral("Cli_accnt1"));
        text("Label49", "Sales account 2", QStringLiteral("Cli_accnt2"));
        text("Label50", "Sales account 3", QStringLiteral("Cli_accnt3"));
        place(label(page, QStringLiteral("Label52"), QStringLiteral("Copies of invoices")), SpinEdit1);
        text("Label53", "Invoice format", QStringLiteral("Cli_invoice_format"));
        checks->addWidget(check("P.O. required", QStringLiteral("Cli_po_req")), 0, 0);
        checks->addWidget(check("Block invoices", QStringLiteral("Cli_block_invoices")), 1, 0);
        checks->addWidget(check("Block orders", QStringLiteral("Cli_block_orders")), 2, 0);
        checks->addWidget(check("E-mail account statements", QStringLiteral("Cli_email_statements")), 3, 0);
        checks->addWidget(check("E-mail invoices", QStringLiteral("Cli_email_invoices")), 4, 0);
        TaxGroup = named(new QGroupBox(QStringLiteral("Taxes"), page), QStringLiteral("GroupBox1"));
        auto* taxes = new QVBoxLayout(TaxGroup);
        taxes->setContentsMargins(4, 2, 4, 2);
        DBCheckBox1 =
            named(new QCheckBox(QStringLiteral("Charge G.S.T./H.S.T"), TaxGroup), QStringLiteral("DBCheckBox1"));
        DBCheckBox2 = named(new QCheckBox(QStringLiteral("Charger T.V.P."), TaxGroup), QStringLiteral("DBCheckBox2"));
        DBCheckBox1->setEnabled(false);
        DBCheckBox2->setEnabled(false);
        m_boundChecks << qMakePair(DBCheckBox1, QStringLiteral("Cli_tax_fed"))
                      << qMakePair(DBCheckBox2, QStringLiteral("Cli_tax_pro"));
        lbTaxes = named(new QListWidget(TaxGroup), QStringLiteral("lbTaxes"));
        lbTaxes->setEnabled(false);
        lbTaxes->setMaximumHeight(90);
        taxes->addWidget(DBCheckBox1);
        taxes->addWidget(DBCheckBox2);
        taxes->addWidget(lbTaxes);
        lbTaxes->hide();
        checks->addWidget(TaxGroup, 0, 1, 5, 1);
    } else {
        text("Label14", "Language", QStringLiteral("Sup_language"));
        text("Label15", "Territory", QStringLiteral("Sup_terr"));
        text("Label16", "Date created", QStringLiteral("Sup_date_created"));
        text("Label17", "Date last purchase", QStringLiteral("Sup_date_last_purch"));
        text("Label18", "Date last payment", QStringLiteral("Sup_date_last_pmt"));
        text("Label19", "Credit limit", QStringLiteral("Sup_credit_limit"));
        text("Label20", "Due days", QStringLiteral("Sup_du_days"));
        text("Label21", "Purchase discount", QStringLiteral("Sup_purch_discount"));
        text("Label22", "Payment discount", QStringLiteral("Sup_pmt_discount"));
        money("Label23", "Current balance", QStringLiteral("Sup_current_bal"));
        money("Label24", "Purchases month to date", QStringLiteral("Sup_purch_mth"));
        money("Label25", "Purchases year to date", QStringLiteral("Sup_purch_ytd"));
        place(label(page, QStringLiteral("Label26"), QStringLiteral("Currency")), ComboBox3);
        text("Label27", "Purchase account 1", QStringLiteral("Sup_accnt1"));
        text("Label28", "Purchase account 2", QStringLiteral("Sup_accnt2"));
        text("Label29", "Purchase account 3", QStringLiteral("Sup_accnt3"));
        text("Label30", "Bank account", QStringLiteral("Sup_bank_account"));
        BankDescEdit = dbEdit(page, q, QStringLiteral("Bank_desc"));
        place(label(page, QStringLiteral("Label31"), QStringLiteral("Bank")), BankDescEdit);
        place(label(page, QStringLiteral("Label32"), QStringLiteral("Copies of purchase orders")), SpinEdit1);
        checks->addWidget(check("P.O. required", QStringLiteral("Sup_po_req")), 0, 0);
        checks->addWidget(check("E-mail purchase orders", QStringLiteral("Sup_email_po")), 1, 0);
    }
    grid->addLayout(checks, 9, 0, 1, 6);
    return page;
}

QWidget* TAccountForm::buildCommentsTab()
{
    auto* page = new QWidget;
    auto* grid = compactGrid(page);
    data::DataSet* q = &m_dm->Query1;
    int row = 0;
    if (m_side.client) {
        grid->addWidget(label(page, QStringLiteral("Label54"), QStringLiteral("Bank")), row, 0);
        grid->addWidget(dbEdit(page, q, QStringLiteral("Cli_bank")), row++, 1);
        grid->addWidget(label(page, QStringLiteral("Label55"), QStringLiteral("Bank telephone")), row, 0);
        grid->addWidget(dbEdit(page, q, QStringLiteral("Cli_bank_tel")), row++, 1);
        grid->addWidget(label(page, QStringLiteral("Label56"), QStringLiteral("Ship via")), row, 0);
        ShipViaMemo = named(new QPlainTextEdit(page), QStringLiteral("DBMemo1"));
        ShipViaMemo->setReadOnly(true);
        ShipViaMemo->setMaximumHeight(44);
        m_boundMemos << qMakePair(ShipViaMemo, QStringLiteral("Cli_ship_via"));
        grid->addWidget(ShipViaMemo, row++, 1);
    }
    grid->addWidget(
        label(page, m_side.client ? QStringLiteral("Label57") : QStringLiteral("Label33"), QStringLiteral("Comments")),
        row, 0, Qt::AlignTop);
    CommentsMemo = named(new QPlainTextEdit(page), QStringLiteral("DBMemo2"));
    CommentsMemo->setReadOnly(true);
    m_boundMemos << qMakePair(CommentsMemo,
                              m_side.client ? QStringLiteral("Cli_comments") : QStringLiteral("Sup_comments"));
    grid->addWidget(CommentsMemo, row, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* TAccountForm::buildStatementTab()
{
    auto* page = new QWidget;
    DBGrid2 = named(new TVarnexDBGrid(page), QStringLiteral("DBGrid2"));
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->verticalHeader()->setDefaultSectionSize(18);
    DetailButton = named(new QPushButton(QStringLiteral("Detail"), page), m_side.detailButton);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(DBGrid2, 1);
    layout->addWidget(DetailButton, 0, Qt::AlignRight);
    return page;
}

QWidget* TAccountForm::buildStatisticsTab()
{
    auto* page = new QWidget;
    auto* grid = compactGrid(page);
    grid->setVerticalSpacing(0);
    data::DataSet* stats = &m_dm->statsTable;
    // Month captions: names from the periods table on the client side,
    // fixed month names on the supplier side.
    const QStringList monthNames =
        m_side.client ? QStringList{QStringLiteral("Label18"), QStringLiteral("Label20"), QStringLiteral("Label21"),
                                    QStringLiteral("Label32"), QStringLiteral("Label39"), QStringLiteral("Label40"),
                                    QStringLiteral("Label41"), QStringLiteral("Label42"), QStringLiteral("Label43"),
                                    QStringLiteral("Label44"), QStringLiteral("Label45"), QStringLiteral("Label46")}
                      : QStringList{QStringLiteral("Label34"), QStringLiteral("Label35"), QStringLiteral("Label36"),
                                    QStringLiteral("Label37"), QStringLiteral("Label38"), QStringLiteral("Label39"),
                                    QStringLiteral("Label40"), QStringLiteral("Label41"), QStringLiteral("Label42"),
                                    QStringLiteral("Label43"), QStringLiteral("Label44"), QStringLiteral("Label45")};
    static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    int column = 1;
    if (m_side.client)
        grid->addWidget(label(page, QStringLiteral("Label58"), QStringLiteral("Sales")), 0, column++);
    Label48 =
        label(page, m_side.client ? QStringLiteral("Label48") : QStringLiteral("Label46"), QStringLiteral("Cost"));
    grid->addWidget(Label48, 0, column++);
    grid->addWidget(
        label(page, m_side.client ? QStringLiteral("Label59") : QStringLiteral("Label47"), QStringLiteral("Quantity")),
        0, column++);
    for (int month = 1; month <= 12; ++month) {
        QLabel* caption = label(page, monthNames[month - 1], QString::fromLatin1(months[month - 1]));
        monthLabels << caption;
        grid->addWidget(caption, month, 0);
        QStringList prefixes;
        if (m_side.client)
            prefixes << m_side.salesPrefix;
        prefixes << m_side.costPrefix << m_side.qtyPrefix;
        for (int c = 0; c < prefixes.size(); ++c) {
            TVarnexDBEdit* edit = dbEdit(page, stats, prefixes[c] + QString::number(month));
            edit->setProperty("Tag", 13);
            edit->setAlignment(Qt::AlignRight);
            edit->setMaximumHeight(19);
            m_statsEdits << edit;
            grid->addWidget(edit, month, c + 1);
        }
    }
    TotalsGroup = named(new QGroupBox(QStringLiteral("Totals"), page), QStringLiteral("GroupBox2"));
    auto* totals = new QFormLayout(TotalsGroup);
    totals->setContentsMargins(4, 2, 4, 2);
    if (m_side.client) {
        totdols = moneyField(TotalsGroup, stats, QStringLiteral("totdols"), QStringLiteral("totdols"));
        totals->addRow(label(TotalsGroup, QStringLiteral("Label60"), QStringLiteral("Sales:")), totdols);
    } else {
        totdols = nullptr;
    }
    totcost = moneyField(TotalsGroup, stats, QStringLiteral("totcost"), QStringLiteral("totcost"));
    Label51 = label(TotalsGroup, m_side.client ? QStringLiteral("Label51") : QStringLiteral("Label48"),
                    QStringLiteral("Cost:"));
    totals->addRow(Label51, totcost);
    totqty = named(new QLineEdit(TotalsGroup), QStringLiteral("totqty"));
    totqty->setReadOnly(true);
    totals->addRow(label(TotalsGroup, m_side.client ? QStringLiteral("Label66") : QStringLiteral("Label49"),
                         QStringLiteral("Quantity:")),
                   totqty);
    auto refreshQuantity = [this] {
        data::Field* f = m_dm->statsTable.isOpen() && !m_dm->statsTable.isEmpty()
                             ? m_dm->statsTable.findField(QStringLiteral("totqty"))
                             : nullptr;
        totqty->setText(f ? QString::number(f->asNumber(), 'f', 2) : QString());
    };
    connect(stats, &data::DataSet::recordChanged, totqty, refreshQuantity);
    connect(stats, &data::DataSet::dataSetChanged, totqty, refreshQuantity);

    ComboBox4 = named(new QComboBox(page), QStringLiteral("ComboBox4"));
    ComboBox4->addItem(QStringLiteral("Current"));
    auto* yearBox = new QVBoxLayout;
    yearBox->addWidget(label(page, m_side.client ? QStringLiteral("Label67") : QStringLiteral("Label50"),
                             QStringLiteral("Which year")));
    yearBox->addWidget(ComboBox4);
    yearBox->addWidget(TotalsGroup);
    yearBox->addStretch(1);
    grid->addLayout(yearBox, 0, column, 13, 1);
    grid->setColumnStretch(column, 1);
    return page;
}

QWidget* TAccountForm::buildGraphTab()
{
    auto* page = new QWidget;
    VtChart1 = named(new QChartView(page), QStringLiteral("VtChart1"));
    VtChart1->setRenderHint(QPainter::Antialiasing);
    VtChart1->chart()->setAnimationOptions(QChart::NoAnimation);
    // The chart that is printed: a copy with the account's name and amounts.
    VtChart2 = named(new QChartView(page), QStringLiteral("VtChart2"));
    VtChart2->chart()->setAnimationOptions(QChart::NoAnimation);
    VtChart2->hide();
    VtChart2->resize(640, 420);
    auto* amounts = new QGridLayout;
    amounts->setVerticalSpacing(1);
    for (int i = 0; i < 5; ++i) {
        agingCaptions[static_cast<size_t>(i)] = label(page, QStringLiteral("Label%1").arg(61 + i), QString());
        DBTexts[static_cast<size_t>(i)] = moneyField(page, &m_dm->virmem, QStringLiteral("DBText%1").arg(i + 1),
                                                     QStringLiteral("Curr_%1").arg(m_side.virmemFirst + i));
        amounts->addWidget(agingCaptions[static_cast<size_t>(i)], 2 * i, 0);
        amounts->addWidget(DBTexts[static_cast<size_t>(i)], 2 * i + 1, 0);
        m_chartTexts << DBTexts[static_cast<size_t>(i)]->objectName();
    }
    PrintButton = named(new QPushButton(QStringLiteral("Print"), page), m_side.printButton);
    CheckBox2 = named(new QCheckBox(QStringLiteral("Display print dialog"), page), QStringLiteral("CheckBox2"));
    amounts->addWidget(PrintButton, 10, 0);
    amounts->addWidget(CheckBox2, 11, 0);
    amounts->setRowStretch(12, 1);
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(VtChart1, 1);
    layout->addLayout(amounts);
    return page;
}

QWidget* TAccountForm::buildCylindersTab()
{
    auto* page = new QWidget;
    DBGrid3 = named(new TVarnexDBGrid(page), QStringLiteral("DBGrid3"));
    DBGrid3->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid3->verticalHeader()->setDefaultSectionSize(18);
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    DBGrid3->setColumns({{QStringLiteral("FaCylinder_Line_Code"), QStringLiteral("Line"), 50},
                         {QStringLiteral("FaCylinder_Item_Code"), QStringLiteral("Item code"), 120},
                         {QStringLiteral("FaCylinder_description"), QStringLiteral("Description"), 240},
                         {QStringLiteral("FaCylinder_Delivered"), QStringLiteral("Delivered"), 80, true, false, right},
                         {QStringLiteral("FaCylinder_Received"), QStringLiteral("Received"), 80, true, false, right},
                         {QStringLiteral("FaCylinder_Net"), QStringLiteral("Balance"), 80, true, false, right}});
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(DBGrid3);
    return page;
}

void TAccountForm::setStatementColumns(bool current)
{
    const AccountSide& s = m_side;
    const QString& p = s.linePrefix;
    const QString typeField = current ? s.typeField : s.historyTypeField;
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    GridColumn invoice{p + QStringLiteral("invoice"), QStringLiteral("Invoice"), 80};
    GridColumn reference{p + QStringLiteral("ref"), QStringLiteral("Reference"), 80};
    GridColumn date{p + QStringLiteral("date"), QStringLiteral("Date"), 80};
    GridColumn type{typeField, QStringLiteral("Type"), 110};
    GridColumn due{p + QStringLiteral("du_date"), QStringLiteral("Due date"), 80};
    GridColumn amount{p + QStringLiteral("amount"), QStringLiteral("Amount"), 95, true, false, right};
    GridColumn balance{s.balanceField, QStringLiteral("Balance"), 95, true, false, right};
    // Keep the titles the translation gave when only the data set changes.
    const QStringList titles = DBGrid2->gridModel()->columns().isEmpty() ? QStringList() : DBGrid2->columnTitles();
    if (s.client)
        DBGrid2->setColumns({invoice, reference, date, type, due, amount, balance});
    else
        DBGrid2->setColumns({invoice, reference, type, date, due, amount, balance});
    if (titles.size() == DBGrid2->gridModel()->columns().size())
        DBGrid2->setColumnTitles(titles);
}

} // namespace varnex::accountview
