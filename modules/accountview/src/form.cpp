// The account display window's handlers.
#include "varnex/accountview/accountform.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextStream>
#include <QToolButton>
#include <QValueAxis>

#include "varnex/accountview/reports.h"
#include "varnex/accountview/search.h"
#include "varnex/controls/maskedit.h"
#include "varnex/data/database.h"
#include "varnex/data/schema.h"
#include "varnex/frame/picklist.h"
#include "varnex/ledger/statement.h"
#include "varnex/messages.h"
#include "varnex/regional.h"
#include "varnex/shell.h"
#include "varnex/statusbar.h"
#include "varnex/translation/message_lines.h"
#include "varnex/widgets/dbwidgets.h"

namespace varnex::accountview {

namespace {

// Lines of IntlStrings1 beyond the numbered messages: texts the window
// composes or sets in code.
constexpr int ChartTitleLine = 13;
constexpr int DefaultCurrencyLine = 14;
constexpr int TotalPrefixLine = 15;
constexpr int StateLine = 16;
constexpr int ZipCodeLine = 17;
constexpr int LastNsfLine = 18;
constexpr int ChargeTax1Line = 19;
constexpr int ChargeTax2Line = 20;
constexpr int AddressLine1Line = 21;
constexpr int AddressLine2Line = 22;
constexpr int StatementFirstColumnLine = 23;

// An account code no record has: the detail tables show nothing while the
// list is empty.
const QString NoAccount = QStringLiteral("\x01");

class DefaultChartPrinter : public ChartPrinter {
public:
    bool printChart(QChartView* chart, bool showDialog, QWidget* parent) override
    {
        const QImage image = chart->grab().toImage();
        if (!showDialog)
            return Printing().printImage(image, chart->chart()->title());
        QPrinter printer;
        QPrintDialog dialog(&printer, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        QPainter painter(&printer);
        const QRect page = painter.viewport();
        const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(page.topLeft(), size), image);
        return true;
    }
};

ChartPrinter* g_chartPrinter = nullptr;
WhichDocumentAsker g_whichAsker;

} // namespace

ChartPrinter& ChartPrinting()
{
    static DefaultChartPrinter printer;
    return g_chartPrinter ? *g_chartPrinter : printer;
}

void SetChartPrinter(ChartPrinter* printer)
{
    g_chartPrinter = printer;
}
void SetWhichDocumentAsker(WhichDocumentAsker asker)
{
    g_whichAsker = std::move(asker);
}

TAccountForm::TAccountForm(const AccountSide& side, TAccountDataModule* dm, LinkRecord& link, const void* moduleAddress,
                           QWidget* parent)
    : frame::TModuleForm(parent)
    , m_side(side)
    , m_dm(dm)
    , m_link(link)
    , m_moduleAddress(moduleAddress)
{
    DBGrid3 = nullptr;
    Edit1 = nullptr;
    TaxGroup = nullptr;
    DBCheckBox1 = nullptr;
    DBCheckBox2 = nullptr;
    lbTaxes = nullptr;
    buildWindow();
    m_dm->messageLine = [this](int n) { return line(n); };
    setStatementColumns(true);

    connect(RefreshButton, &QPushButton::clicked, this, &TAccountForm::SearchAccounts);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TAccountForm::PageControl1Change);
    connect(CheckBox1, &QCheckBox::clicked, this, &TAccountForm::CheckBox1Click);
    connect(DetailButton, &QPushButton::clicked, this, &TAccountForm::ShowStatementDetail);
    connect(DBGrid2, &QAbstractItemView::doubleClicked, this, [this] {
        if (!m_detailRunning)
            ShowStatementDetail();
    });
    connect(ComboBox4, &QComboBox::activated, this, &TAccountForm::ComboBox4Change);
    connect(PrintButton, &QPushButton::clicked, this, &TAccountForm::PrintAgingChart);
    connect(ExitButton, &QPushButton::clicked, this, &TAccountForm::ExitClick);
    connect(HelpButton, &QPushButton::clicked, this, &TAccountForm::HelpClick);
    connect(PrintScreenButton, &QToolButton::clicked, this, [this] { frame::PrintScreen(this); });
    connect(EmailButton, &QToolButton::clicked, this, [this] {
        const data::Field* email =
            m_dm->Query1.isOpen() && !m_dm->Query1.isEmpty() ? m_dm->Query1.findField(m_side.emailField) : nullptr;
        frame::EmailTo(email ? email->asString() : QString());
    });
    connect(QuickLinkButton, &QToolButton::clicked, this, [this] {
        frame::SetPickListModule(m_moduleAddress);
        frame::PickLists().QuickLink(m_link.raw());
    });
    connect(&m_dm->Query1, &data::DataSet::recordChanged, this, &TAccountForm::followAccount);
    connect(&m_dm->Query1, &data::DataSet::dataSetChanged, this, &TAccountForm::followAccount);
}

TAccountForm::~TAccountForm() = default;

QString TAccountForm::line(int n) const
{
    return translation::MessageLine(IntlStrings1, n);
}

QString TAccountForm::companyFolder() const
{
    return frame::CompanyFolder(m_link.raw());
}

bool TAccountForm::statementCurrent() const
{
    return CheckBox1->isChecked();
}

void TAccountForm::applyInternationalCaptions()
{
    if (!frame::IsInternational())
        return;
    if (m_side.client) {
        if (m_link.raw().Link_language == 2) {
            DBCheckBox1->setText(line(ChargeTax1Line));
            DBCheckBox2->setText(line(ChargeTax2Line));
            findChild<QLabel*>(QStringLiteral("Label24"))->setText(line(AddressLine1Line));
            findChild<QLabel*>(QStringLiteral("Label25"))->setText(line(AddressLine2Line));
        } else {
            findChild<QLabel*>(QStringLiteral("Label27"))->setText(line(StateLine));
            findChild<QLabel*>(QStringLiteral("Label29"))->setText(line(ZipCodeLine));
            findChild<QLabel*>(QStringLiteral("Label38"))->setText(line(LastNsfLine));
            DBCheckBox1->setText(line(ChargeTax1Line));
            DBCheckBox2->setText(line(ChargeTax2Line));
        }
    } else if (m_link.raw().Link_language == 1) {
        findChild<QLabel*>(QStringLiteral("Label6"))->setText(line(StateLine));
        findChild<QLabel*>(QStringLiteral("Label8"))->setText(line(ZipCodeLine));
        DBGrid2->gridModel()->setHeaderData(0, Qt::Horizontal, line(StatementFirstColumnLine), Qt::DisplayRole);
    }
}

void TAccountForm::FormActivate()
{
    frame::FirstActivationSetup setup;
    setup.moduleName = m_side.moduleName;
    setup.formsToTranslate = {this};
    if (whichForm)
        setup.formsToTranslate << whichForm;
    setup.standaloneDefaults = !m_side.client;
    setup.statusBar = StatusBar1;
    setup.moduleAddress = m_moduleAddress;
    setup.databases = {{&m_dm->database, true}};
    if (!frame::FirstActivation(m_link, setup))
        return;
    applyInternationalCaptions();
    auto db = m_dm->database.database();

    m_dm->balanceTableName = frame::PrepareWorkTable(*db, m_side.balanceBase, m_link.raw().Link_session);
    m_dm->balanceTable.setDatabase(db);
    m_dm->balanceTable.setTableName(m_dm->balanceTableName);
    m_dm->Table4.open();

    if (m_side.client) {
        const bool singleTaxes =
            m_dm->Table4.isEmpty() || m_dm->Table4.field(QStringLiteral("Ctrl_TaxSystem")).asInteger() == 0;
        DBCheckBox1->setVisible(singleTaxes);
        DBCheckBox2->setVisible(singleTaxes);
        lbTaxes->setVisible(!singleTaxes);
        if (!singleTaxes)
            LoadTaxList();
    }

    m_dm->balanceTable.open();
    for (data::Table* t : {&m_dm->currentLines, &m_dm->historyLines, &m_dm->ctrl}) {
        t->open();
        TAccountDataModule::ApplyDateFormatTo(*t);
    }
    if (m_side.client)
        m_dm->Table3.open();

    ComboBox3->clear();
    ComboBox3->addItem(line(DefaultCurrencyLine));
    QStringList signs;
    for (int n = 1; n <= 4; ++n) {
        const data::Field* name =
            m_dm->Table4.isEmpty() ? nullptr : m_dm->Table4.findField(QStringLiteral("Ctrl_curr%1_name").arg(n));
        const data::Field* sign =
            m_dm->Table4.isEmpty() ? nullptr : m_dm->Table4.findField(QStringLiteral("Ctrl_curr%1_sign").arg(n));
        ComboBox3->addItem(name ? name->asString() : QString());
        signs << (sign ? sign->asString() : QString());
    }
    m_currencies.LoadCurrencySymbols(signs[0], signs[1], signs[2], signs[3]);

    PrepareQuery(m_dm->Query1, BuildAccountSearch({m_side.accountTable, m_side.codeField, m_side.codeField,
                                                   data::FieldType::Text, SearchOperator::Equal, QString(),
                                                   Regional().shortDateFormat, QDate::currentDate()}));
    m_dm->Query1.open();
    TAccountDataModule::ApplyDateFormatTo(m_dm->Query1);

    if (m_side.client) {
        m_dm->periods_table.open();
        int month = 0;
        for (m_dm->periods_table.first(); !m_dm->periods_table.eof() && month < 12; m_dm->periods_table.next())
            monthLabels[month++]->setText(m_dm->periods_table.field(QStringLiteral("Period_mth")).asString());
    }
    m_dm->statsTable.open();

    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
    if (frame::QuickLinkOpen())
        QuickLinkButton->setEnabled(false);
    if (m_side.client) {
        const QString symbol = m_currencies.entry(0) + QLatin1Char(' ');
        Label51->setText(symbol + Label51->text());
        Label48->setText(symbol + Label48->text());
    }
    DBGrid1->setFocus();

    m_dm->virmem.setFolder(m_link.text(&TLinkSection::Link_data_dir));
    m_dm->virmem.open();
    m_dm->virmem.insert();
    for (TVarnexCurrencyField* text : DBTexts)
        text->refresh();

    if (m_side.client) {
        auto root = data::Database::forFolder(m_link.text(&TLinkSection::Link_data_dir));
        if (!db->tableExists(QStringLiteral("FaCylinder")))
            db->createTableLike(QStringLiteral("FaCylinder"), QStringLiteral("FaCylinder"), root.get());
        const QString cylinders = QStringLiteral("CliCyln") + QString::number(m_link.raw().Link_session);
        db->dropTable(cylinders);
        db->createTableLike(cylinders, QStringLiteral("CliCyln"), root.get());
        m_dm->CliCyln.setDatabase(db);
        m_dm->CliCyln.setTableName(cylinders);
        m_dm->facylinder.open();
        m_dm->CliCyln.open();
        DBGrid3->setDataSet(&m_dm->CliCyln);
    }

    QFile years(QDir(companyFolder()).filePath(m_side.yearsFile));
    if (years.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&years);
        while (!in.atEnd()) {
            const QString year = in.readLine().trimmed();
            if (!year.isEmpty())
                ComboBox4->insertItem(1, year);
        }
    } else {
        years.open(QIODevice::WriteOnly); // created empty: only the current year is offered
    }
    ComboBox4->setCurrentIndex(0);
    TotalsGroup->setTitle(line(TotalPrefixLine) + ComboBox4->itemText(0));

    DBGrid2->setDataSet(&m_dm->currentLines);
    m_followedValid = false;
    followAccount();
}

void TAccountForm::LoadTaxList()
{
    m_taxCount = 0;
    lbTaxes->clear();
    m_dm->tblTaxRates.open();
    for (m_dm->tblTaxRates.first(); !m_dm->tblTaxRates.eof(); m_dm->tblTaxRates.next()) {
        auto* item =
            new QListWidgetItem(m_dm->tblTaxRates.field(QStringLiteral("TaxRates_Description")).asString(), lbTaxes);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        ++m_taxCount;
    }
    m_dm->tblTaxRates.close();
}

void TAccountForm::followAccount()
{
    data::Query& q = m_dm->Query1;
    if (!m_dm->database.connected())
        return;
    const QString code = q.isOpen() && !q.isEmpty() && !q.eof() ? q.field(m_side.codeField).asString() : NoAccount;
    if (m_followedValid && code == m_followedAccount)
        return;
    m_followedAccount = code;
    m_followedValid = true;
    const QVariantList key{code};
    for (data::Table* t : {&m_dm->currentLines, &m_dm->historyLines, &m_dm->statsTable, &m_dm->facylinder})
        if (t->isOpen())
            t->setRange(key, key);
    Query1AfterScroll();
}

void TAccountForm::showPriceListName()
{
    if (!m_side.client || m_dm->Query1.isEmpty() || !m_dm->Query1.isOpen())
        return;
    const std::int64_t list = m_dm->Query1.field(QStringLiteral("Cli_price_list")).asInteger();
    data::Table* source = nullptr;
    QString field;
    if (list >= 1 && list <= 5) {
        source = &m_dm->Table4;
        field = QStringLiteral("Ctrl_pl_name%1").arg(list);
    } else if (list >= 6 && list <= 9) {
        source = &m_dm->Table3;
        field = QStringLiteral("Ivctrl_pl_name%1").arg(list);
    }
    // Any other number names no list: the box keeps what it showed.
    if (source && source->isOpen() && !source->isEmpty())
        Edit1->setText(source->field(field).asString());
}

void TAccountForm::Query1AfterScroll()
{
    data::Query& q = m_dm->Query1;
    const bool hasAccount = q.isOpen() && !q.isEmpty() && !q.eof();
    showPriceListName();
    for (TVarnexDBEdit* edit : m_statsEdits)
        if (edit->property("Tag").toInt() == 13)
            edit->setDataSet(&m_dm->statsTable);
    if (hasAccount) {
        const int currency = static_cast<int>(q.field(m_side.currencyField).asInteger());
        ComboBox3->setCurrentIndex(currency);
        m_currencies.SetCurrencyDisplay(currency);
    }
    for (const auto& [box, field] : m_boundChecks)
        box->setChecked(hasAccount && q.field(field).asLogical());
    for (const auto& [memo, field] : m_boundMemos)
        memo->setPlainText(hasAccount ? q.field(field).asString() : QString());
    if (m_side.client && lbTaxes && hasAccount) {
        auto mark = [this](int item, bool on) {
            if (QListWidgetItem* it = lbTaxes->item(item))
                it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        };
        mark(0, q.field(QStringLiteral("Cli_tax_fed")).asLogical());
        mark(1, q.field(QStringLiteral("Cli_tax_pro")).asLogical());
        for (int i = 3; i <= m_taxCount && i <= 12; ++i)
            mark(i - 1, q.field(QStringLiteral("Cli_tax%1").arg(i)).asLogical());
    }
    // The money boxes format with the account's currency.
    for (TVarnexCurrencyField* money : findChildren<TVarnexCurrencyField*>())
        money->refresh();
}

void TAccountForm::SearchAccounts()
{
    data::Query& q = m_dm->Query1;
    const int index = ComboBox1->currentIndex();
    const data::TableDef* def = data::FindTableDef(m_side.accountTable);
    SearchRequest request;
    request.table = m_side.accountTable;
    request.orderField = m_side.codeField;
    // Each item names its field: the supplier table keeps its currency
    // before the user and stamp, where the list has it last.
    const data::FieldDef* field =
        def && index >= 0 && index < m_side.searchFields.size() ? def->field(m_side.searchFields[index]) : nullptr;
    if (field) {
        request.field = field->name;
        request.fieldType = field->type;
    }
    request.op = static_cast<SearchOperator>(std::max(0, ComboBox2->currentIndex()));
    request.parameter = VarnexMaskEdit1->Text();
    request.dateFormat = Regional().shortDateFormat;
    request.today = QDate::currentDate();
    const AccountSearch search = BuildAccountSearch(request);
    q.close();
    bool opened = false;
    if (search.runnable && !request.field.isEmpty()) {
        try {
            PrepareQuery(q, search);
            q.open();
            TAccountDataModule::ApplyDateFormatTo(q);
            opened = true;
        } catch (const data::EngineError&) {
            q.close();
        }
    }
    if (!opened) {
        q.close();
        Messages().show(this, MessageKind::Error, windowTitle(), line(lines::SearchFailed), MessageButtons::Ok);
        return;
    }
    PageControl1->setCurrentIndex(0);
}

void TAccountForm::PageControl1Change(int index)
{
    CheckBox1->setVisible(index == 4);
    if (!m_dm->database.connected())
        return;
    data::Query& q = m_dm->Query1;
    const bool hasAccount = q.isOpen() && !q.isEmpty() && !q.eof();
    switch (index) {
    case 0: DBGrid1->setFocus(); break;
    case 2:
        if (hasAccount)
            SpinEdit1->setValue(static_cast<int>(q.field(m_side.copiesField).asInteger()));
        break;
    case 4:
        FillBalanceTable(CheckBox1->isChecked());
        DBGrid2->setFocus();
        break;
    case 6: ShowAging(); break;
    case 7:
        if (m_side.client)
            FillCylinderTable();
        break;
    default: break;
    }
}

void TAccountForm::CheckBox1Click()
{
    const bool current = CheckBox1->isChecked();
    setStatementColumns(current);
    DBGrid2->setDataSet(&m_dm->statementTable(current));
    FillBalanceTable(current);
    DBGrid2->setFocus();
}

void TAccountForm::FillBalanceTable(bool current)
{
    data::Table& lines = m_dm->statementTable(current);
    auto db = m_dm->database.database();
    const ledger::StatementSide side = m_side.client ? ledger::StatementSide::Client : ledger::StatementSide::Supplier;
    lines.disableControls();
    struct Resume {
        data::Table& lines;
        ~Resume() { lines.enableControls(); }
    } resume{lines};

    const std::vector<ledger::StatementLine> statement =
        m_followedAccount == NoAccount ? std::vector<ledger::StatementLine>()
                                       : ledger::ReadStatement(db, side, m_followedAccount, !current);
    const std::vector<Currency> balances = ledger::RunningBalances(statement);
    data::Table& balance = m_dm->balanceTable;
    const QString& p = m_side.balancePrefix;
    balance.close();
    {
        data::Transaction fill(db);
        db->emptyTable(m_dm->balanceTableName);
        balance.open();
        // The session's own table, emptied above and filled from a statement
        // whose lines are unique by the same key: nothing is ever refused
        // one record at a time, so the lines may reach the server in bulk.
        balance.setBatchedAppends(true);
        data::Field& account = balance.fieldByNumber(0);
        data::Field& invoice = balance.field(p + QStringLiteral("invoice"));
        data::Field& reference = balance.fieldByNumber(2);
        data::Field& date = balance.field(p + QStringLiteral("date"));
        data::Field& type = balance.field(p + QStringLiteral("type"));
        data::Field& sequence = balance.field(p + QStringLiteral("seq"));
        data::Field& amount = balance.field(p + QStringLiteral("balance"));
        for (size_t i = 0; i < statement.size(); ++i) {
            const ledger::StatementLine& l = statement[i];
            balance.append();
            account.setString(l.account);
            invoice.setString(l.invoice);
            reference.setString(l.reference);
            date.setDate(l.date);
            type.setString(l.type);
            sequence.setInteger(l.sequence);
            amount.setMoney(balances[i]);
            balance.post();
        }
        fill.commit();
    }
    balance.first();
    lines.first();
}

std::array<Currency, 5> TAccountForm::ComputeAging(const QDate& today)
{
    auto db = m_dm->database.database();
    const ledger::StatementSide side = m_side.client ? ledger::StatementSide::Client : ledger::StatementSide::Supplier;
    if (m_followedAccount == NoAccount)
        return {};
    const auto statement = ledger::ReadStatement(db, side, m_followedAccount, false);
    const QDateTime now = today.isValid() ? QDateTime(today, QTime::currentTime()) : QDateTime::currentDateTime();
    return ledger::ComputeAging(statement, ledger::ReadAgingLimits(db, side), now);
}

void TAccountForm::ShowAging()
{
    data::Table& scratch = m_dm->virmem;
    if (scratch.state() != data::DataSetState::Insert)
        return;
    for (int n = 1; n <= 24; ++n)
        scratch.field(QStringLiteral("Curr_%1").arg(n)).setMoney(Currency());
    for (int i = 0; i < 5; ++i) {
        const data::Field* name =
            m_dm->ctrl.isEmpty() ? nullptr : m_dm->ctrl.findField(m_side.agingNamesPrefix + QString::number(i + 1));
        agingCaptions[static_cast<size_t>(i)]->setText(name ? name->asString() : QString());
    }
    const std::array<Currency, 5> buckets = ComputeAging(agingToday);
    for (int i = 0; i < 5; ++i)
        scratch.field(QStringLiteral("Curr_%1").arg(m_side.virmemFirst + i)).setMoney(buckets[static_cast<size_t>(i)]);
    for (TVarnexCurrencyField* text : DBTexts)
        text->refresh();
    fillChart(VtChart1->chart(), line(ChartTitleLine), false);
}

void TAccountForm::fillChart(QChart* chart, const QString& title, bool withAmounts)
{
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    auto* bars = new QBarSet(QString());
    QStringList labels;
    double highest = 0;
    for (int i = 0; i < 5; ++i) {
        const Currency amount = m_dm->virmem.field(QStringLiteral("Curr_%1").arg(m_side.virmemFirst + i)).asMoney();
        // Whole units: the fraction is dropped, as the chart's values are.
        const double value = static_cast<double>(amount.ticks() / Currency::Scale);
        *bars << value;
        highest = std::max(highest, std::abs(value));
        QString text = agingCaptions[static_cast<size_t>(i)]->text();
        if (withAmounts)
            text += QStringLiteral(": ")
                    + FormatFloat(QStringLiteral("###,###,##0.00"), DBTexts[static_cast<size_t>(i)]->value());
        labels << text;
    }
    auto* series = new QBarSeries;
    series->append(bars);
    chart->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    QFont small = categories->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    categories->setLabelsFont(small);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    auto* values = new QValueAxis;
    values->setRange(std::min(0.0, bars->at(0) < 0 ? -highest : 0.0), highest > 0 ? highest : 1);
    chart->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
    chart->legend()->hide();
    chart->setTitle(title);
}

bool TAccountForm::PrintAgingChart()
{
    const data::Field* name =
        m_dm->Query1.isOpen() && !m_dm->Query1.isEmpty() ? m_dm->Query1.findField(m_side.nameField) : nullptr;
    fillChart(VtChart2->chart(), VtChart1->chart()->title() + QLatin1Char('\n') + (name ? name->asString() : QString()),
              true);
    return ChartPrinting().printChart(VtChart2, CheckBox2->isChecked(), this);
}

void TAccountForm::ComboBox4Change(int index)
{
    data::Table& stats = m_dm->statsTable;
    stats.close();
    stats.setTableName(index <= 0 ? m_side.statsTable : m_side.statsTable + ComboBox4->itemText(index));
    stats.open();
    const QVariantList key{m_followedAccount};
    stats.setRange(key, key);
    TotalsGroup->setTitle(line(TotalPrefixLine) + ComboBox4->itemText(index));
}

void TAccountForm::FillCylinderTable()
{
    auto db = m_dm->database.database();
    data::Table& movements = m_dm->facylinder;
    data::Table& balances = m_dm->CliCyln;
    movements.refresh();
    data::Table products;
    products.setDatabase(db);
    products.setTableName(QStringLiteral("ivprod"));
    products.setReadOnly(true);
    products.open();
    balances.close();
    balances.disableControls();
    {
        data::Transaction fill(db);
        db->emptyTable(balances.tableName());
        balances.open();
        for (movements.first(); !movements.eof(); movements.next()) {
            const QString client = movements.field(QStringLiteral("FaCylinder_Client")).asString();
            const QString lineCode = movements.field(QStringLiteral("FaCylinder_Line_Code")).asString();
            const QString item = movements.field(QStringLiteral("FaCylinder_Item_Code")).asString();
            if (balances.findKey({client, lineCode, item})) {
                balances.edit();
            } else {
                balances.append();
                balances.field(QStringLiteral("FaCylinder_Client")).setString(client);
                balances.field(QStringLiteral("FaCylinder_Line_Code")).setString(lineCode);
                balances.field(QStringLiteral("FaCylinder_Item_Code")).setString(item);
            }
            if (products.findKey({lineCode, item}))
                balances.field(QStringLiteral("FaCylinder_description"))
                    .setString(products.field(QStringLiteral("Ivprod_desc_1")).asString());
            const double delivered = movements.field(QStringLiteral("FaCylinder_Delivered")).asNumber();
            const double received = movements.field(QStringLiteral("FaCylinder_Received")).asNumber();
            auto add = [&balances](const char* field, double amount) {
                data::Field& f = balances.field(QString::fromLatin1(field));
                f.setNumber(f.asNumber() + amount);
            };
            add("FaCylinder_Delivered", delivered);
            add("FaCylinder_Received", received);
            add("FaCylinder_Net", delivered - received);
            // A movement without an invoice is the opening count.
            if (movements.field(QStringLiteral("FaCylinder_Invoice")).asString().isEmpty())
                add("FaCylinder_Net", movements.field(QStringLiteral("FaCylinder_Opening")).asNumber());
            balances.post();
        }
        fill.commit();
    }
    balances.enableControls();
    balances.first();
    products.close();
}

void TAccountForm::ShowStatementDetail()
{
    if (m_detailRunning)
        return;
    m_detailRunning = true;
    DetailButton->setEnabled(false);
    struct Done {
        TAccountForm* form;
        ~Done()
        {
            form->m_detailRunning = false;
            form->DetailButton->setEnabled(true);
        }
    } done{this};

    const bool current = CheckBox1->isChecked();
    StatementLine l;
    l.current = current;
    l.languageTable = m_side.moduleName + m_link.langCode();
    l.account = m_dm->lineField(current, m_side.client ? QStringLiteral("client") : QStringLiteral("supplier"));
    l.invoice = m_dm->lineField(current, QStringLiteral("invoice"));
    l.reference = m_dm->lineField(current, QStringLiteral("ref"));
    l.type = m_dm->lineField(current, QStringLiteral("type"));
    {
        data::Table& t = m_dm->statementTable(current);
        if (t.isOpen() && !t.isEmpty())
            l.date = t.field(m_side.linePrefix + QStringLiteral("date")).asDate();
    }
    const QString accountField = m_side.client ? QStringLiteral("Client") : QStringLiteral("Supplier");
    auto noDocument = [this] {
        Messages().show(this, MessageKind::Information, windowTitle(), line(lines::NoDocument), MessageButtons::Ok);
    };
    // The receipt (payment) of a line, by reference, account and date.
    auto receiptExists = [&]() {
        data::Table& h = m_dm->receiptHeader;
        if (!h.isOpen())
            h.open();
        h.setIndexFieldNames(QStringLiteral("Reference;") + accountField + QStringLiteral(";Date"));
        return h.findKey({l.reference, l.account, l.date});
    };
    // The entered transaction, by invoice, account and date, whose debit or
    // credit reference is the line's.
    auto transactionExists = [&]() {
        data::Table& d = m_dm->sourceDocument;
        if (!d.isOpen())
            d.open();
        d.setIndexFieldNames(QStringLiteral("Reference;") + accountField + QStringLiteral(";Date"));
        const QString reference = l.reference;
        d.setFilter([reference](data::DataSet& row) {
            return row.field(QStringLiteral("Dr_cr_reference")).asString() == reference;
        });
        d.setRange({l.invoice, l.account, l.date}, {l.invoice, l.account, l.date});
        return !d.isEmpty();
    };
    struct CloseAfter {
        QList<data::Table*> tables;
        ~CloseAfter()
        {
            for (data::Table* t : tables)
                t->close();
        }
    } closeAfter{{&m_dm->sourceDocument, &m_dm->receiptHeader, &m_dm->fahdr, &m_dm->fahdra, &m_dm->glm}};

    if (l.type == QLatin1String("2")) {
        if (receiptExists())
            Reports().ReceiptReport(*m_dm, l, this);
        else
            noDocument();
        return;
    }
    if (m_side.client) {
        m_dm->glm.open();
        m_dm->fahdra.open();
        m_dm->fahdr.open();
        if (m_dm->fahdra.findKey({l.type, l.invoice}))
            Reports().ArchivedInvoiceReprint(*m_dm, l, this);
        else if (m_dm->fahdr.findKey({l.type, l.invoice}))
            Reports().InvoiceReprint(*m_dm, l, this);
        else if (transactionExists())
            Reports().TransactionReport(*m_dm, l, this);
        else if (receiptExists())
            Reports().ReceiptReport(*m_dm, l, this);
        else
            noDocument();
        return;
    }
    m_dm->glm.open();
    const bool transaction = transactionExists();
    if (l.type == QLatin1String("1")) {
        l.purchaseOrder = transaction ? m_dm->sourceDocument.field(QStringLiteral("PO")).asString() : QString();
        if (!l.purchaseOrder.isEmpty() && whichForm) {
            const int choice = g_whichAsker ? g_whichAsker(whichForm) : (whichForm->exec(), whichForm->itemIndex());
            if (choice == 1) {
                Reports().PurchaseOrderReprint(*m_dm, l, this);
                return;
            }
        }
        if (transaction)
            Reports().TransactionReport(*m_dm, l, this);
        else
            noDocument();
        return;
    }
    if (transaction)
        Reports().TransactionReport(*m_dm, l, this);
    else if (receiptExists())
        Reports().ReceiptReport(*m_dm, l, this);
    else
        noDocument();
}

void TAccountForm::ExitClick()
{
    m_chartTexts.clear();
    m_dm->Query1.close();
    for (data::Table* t :
         {&m_dm->historyLines, &m_dm->currentLines, &m_dm->Table3, &m_dm->Table4, &m_dm->statsTable,
          &m_dm->periods_table, &m_dm->ctrl, &m_dm->balanceTable, &m_dm->glm, &m_dm->facylinder, &m_dm->CliCyln})
        t->close();
    if (m_dm->virmem.isOpen()) {
        if (m_dm->virmem.state() == data::DataSetState::Insert)
            m_dm->virmem.cancel();
        m_dm->virmem.close();
    }
    m_dm->database.disconnect();
    accept();
}

void TAccountForm::HelpClick()
{
    frame::ShowHelpContext(m_side.helpContext);
    if (PageControl1->currentIndex() == 0)
        DBGrid1->setFocus();
    else if (PageControl1->currentIndex() == 4)
        DBGrid2->setFocus();
}

} // namespace varnex::accountview
