#include "defaultinfo.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>

#include "companydefaults.h"
#include "varnex/controls/maskedit.h"
#include "varnex/data/engine_error.h"
#include "varnex/messages.h"
#include "varnex/settings.h"
#include "varnex/translation/message_lines.h"
#include "windowparts.h"

namespace varnex::launcher {

namespace {

// The settings keep the format's own text whatever language shows the list.
constexpr std::array<const char*, 3> kDateFormats = {"yyyy/mm/dd", "dd/mm/yyyy", "mm/dd/yyyy"};
constexpr int kDayMonthYear = 1;
constexpr int kMonthDayYear = 2;
constexpr int kAlignLeft = 0;
constexpr int kAlignRight = 1;

using parts::named;

QPlainTextEdit* memo(QWidget* parent, const char* name, const QStringList& lines)
{
    return named<QPlainTextEdit>(parent, name, lines.join(QLatin1Char('\n')));
}

QComboBox* list(QWidget* parent, const char* name, const QStringList& items)
{
    auto* result = named<QComboBox>(parent, name);
    result->addItems(items);
    // Nothing chosen until the user or a Next button chooses.
    result->setCurrentIndex(-1);
    return result;
}

TVarnexMaskEdit* box(QWidget* parent, const char* name, int maxLength = 0)
{
    auto* result = named<TVarnexMaskEdit>(parent, name);
    if (maxLength > 0)
        result->setMaxLength(maxLength);
    return result;
}

QString nextText()
{
    return QStringLiteral("&Next >>");
}
QString backText()
{
    return QStringLiteral("<< &Back");
}

// A page: its contents, then its buttons on the right.
QVBoxLayout* pageLayout(QWidget* page, std::initializer_list<QWidget*> buttons)
{
    auto* layout = new QVBoxLayout(page);
    layout->addStretch();
    layout->addLayout(parts::buttonRow(buttons));
    return layout;
}

void insertContent(QVBoxLayout* layout, QWidget* content)
{
    layout->insertWidget(layout->count() - 2, content);
}

} // namespace

QString TfrmDefaultInfo::productName()
{
    return QStringLiteral("Ledgrix");
}

TfrmDefaultInfo::TfrmDefaultInfo(QWidget* parent)
    : QDialog(parent)
{
    parts::setUpDialog(this, "frmDefaultInfo", QStringLiteral("Varnex setup wizard"), false);

    pcMain = named<QTabWidget>(this, "pcMain");
    pcMain->tabBar()->hide();
    auto addPage = [this](const char* name) {
        QWidget* page = named<QWidget>(pcMain, name);
        pcMain->addTab(page, QString());
        return page;
    };
    tsInOrNotInCanada = addPage("tsInOrNotInCanada");
    tsWhichProv = addPage("tsWhichProv");
    tsTaxInfo = addPage("tsTaxInfo");
    tsCurrencyInfo = addPage("tsCurrencyInfo");
    tsEnd = addPage("tsEnd");

    // Page 1: in or outside Canada.
    memIntro =
        memo(tsInOrNotInCanada, "memIntro",
             {QStringLiteral("The setup wizard will help you to rapidly "),
              QStringLiteral("configure some of the most important controls "), QStringLiteral("in the software.")});
    rgpInCanada = named<QGroupBox>(tsInOrNotInCanada, "rgpInCanada");
    rgpInCanada->setTitle(QStringLiteral("I am"));
    rbInCanada = new QRadioButton(QStringLiteral("&In Canada"), rgpInCanada);
    rbOutsideCanada = new QRadioButton(QStringLiteral("&Outside of Canada"), rgpInCanada);
    rbOutsideCanada->setChecked(true);
    auto* radios = new QVBoxLayout(rgpInCanada);
    radios->addWidget(rbInCanada);
    radios->addWidget(rbOutsideCanada);
    btnNext1 = named<QPushButton>(tsInOrNotInCanada, "btnNext1", nextText());
    QVBoxLayout* page = pageLayout(tsInOrNotInCanada, {btnNext1});
    insertContent(page, memIntro);
    insertContent(page, rgpInCanada);

    // Page 2: the province.
    grpProvince = named<QGroupBox>(tsWhichProv, "grpProvince");
    grpProvince->setTitle(QStringLiteral("Select the province in which you reside"));
    lblProvinces = named<QLabel>(grpProvince, "lblProvinces", QStringLiteral("Provinces"));
    cbxProvinces = list(grpProvince, "cbxProvinces",
                        {QStringLiteral("Alberta"), QStringLiteral("British Columbia"), QStringLiteral("Manitoba"),
                         QStringLiteral("Newfoundland"), QStringLiteral("New Brunswick"), QStringLiteral("Nova Scotia"),
                         QStringLiteral("Prince Edward Island"), QStringLiteral("Québec"), QStringLiteral("Ontario"),
                         QStringLiteral("Saskatchewan")});
    auto* provinceRow = new QHBoxLayout(grpProvince);
    provinceRow->addWidget(lblProvinces);
    provinceRow->addWidget(cbxProvinces, 1);
    btnBack1 = named<QPushButton>(tsWhichProv, "btnBack1", backText());
    btnNext2 = named<QPushButton>(tsWhichProv, "btnNext2", nextText());
    insertContent(pageLayout(tsWhichProv, {btnBack1, btnNext2}), grpProvince);

    // Page 3: date format and tax rates.
    auto* dateRow = named<QWidget>(tsTaxInfo, "dateRow");
    lblDateFormat = named<QLabel>(dateRow, "lblDateFormat", QStringLiteral("Date format: "));
    cbxDateFormat =
        list(dateRow, "cbxDateFormat",
             {QLatin1String(kDateFormats[0]), QLatin1String(kDateFormats[1]), QLatin1String(kDateFormats[2])});
    auto* dateLayout = new QHBoxLayout(dateRow);
    dateLayout->setContentsMargins(0, 0, 0, 0);
    dateLayout->addWidget(lblDateFormat);
    dateLayout->addWidget(cbxDateFormat, 1);
    grpTax = named<QGroupBox>(tsTaxInfo, "grpTax");
    grpTax->setTitle(QStringLiteral("Enter your sales tax or VAT Rates"));
    lblGST = named<QLabel>(grpTax, "lblGST", QStringLiteral("GST rate %"));
    lblPST = named<QLabel>(grpTax, "lblPST", QStringLiteral("PST rate %"));
    lblHST = named<QLabel>(grpTax, "lblHST", QStringLiteral("HST rate %"));
    edtGST = box(grpTax, "edtGST");
    edtPST = box(grpTax, "edtPST");
    edtHST = box(grpTax, "edtHST");
    memVat = memo(grpTax, "memVat",
                  {QStringLiteral("In order for you to complete the "), QStringLiteral("set up of the VAT rates, you "),
                   QStringLiteral("will have to enter the account "), QStringLiteral("numbers and descriptions "),
                   QStringLiteral("pertaining to each rate in the "), QStringLiteral("Maintenance of parameters "),
                   QStringLiteral("option.")});
    memVat->hide();
    auto* rates = new QFormLayout;
    rates->addRow(lblGST, edtGST);
    rates->addRow(lblPST, edtPST);
    rates->addRow(lblHST, edtHST);
    auto* taxLayout = new QHBoxLayout(grpTax);
    taxLayout->addLayout(rates, 1);
    taxLayout->addWidget(memVat, 1);
    memCaptions =
        memo(tsTaxInfo, "memCaptions",
             {QStringLiteral("Enter your sales tax  and VAT rates"), QStringLiteral("Enter your GST/PST rates"),
              QStringLiteral("VAT/Tax 1 rate"), QStringLiteral("VAT/Tax 2 rate"), QStringLiteral("GST rate"),
              QStringLiteral("PST rate"), QStringLiteral("HST rate"), QStringLiteral("Enter your GST/QST rates"),
              QStringLiteral("QST rate"), QStringLiteral("Enter your GST/PST/HST rates"),
              QStringLiteral("The box \"%1\" does not hold a number. Correct it, then click Close again."),
              QStringLiteral("The settings file \"%1\" cannot be written: nothing was stored. Check that it can be "
                             "written, then click Close again.")});
    memCaptions->hide();
    btnBack2 = named<QPushButton>(tsTaxInfo, "btnBack2", backText());
    btnNext3 = named<QPushButton>(tsTaxInfo, "btnNext3", nextText());
    page = pageLayout(tsTaxInfo, {btnBack2, btnNext3});
    insertContent(page, dateRow);
    insertContent(page, grpTax);

    // Page 4: currency.
    grpCurrency = named<QGroupBox>(tsCurrencyInfo, "grpCurrency");
    grpCurrency->setTitle(QStringLiteral("Currency information"));
    lblSymbol = named<QLabel>(grpCurrency, "lblSymbol", QStringLiteral("Currency symbol"));
    lblAlignment = named<QLabel>(grpCurrency, "lblAlignment", QStringLiteral("Currency aligment"));
    lblCurrDescription = named<QLabel>(grpCurrency, "lblCurrDescription", QStringLiteral("Currency description"));
    lblFractDescription = named<QLabel>(grpCurrency, "lblFractDescription", QStringLiteral("Fractions description"));
    // The control record holds 30 characters of each description.
    edtSymbol = box(grpCurrency, "edtSymbol", 10);
    cbxAlignment = list(grpCurrency, "cbxAlignment", {QStringLiteral("Left"), QStringLiteral("Right")});
    edtCurrDescription = box(grpCurrency, "edtCurrDescription", 30);
    edtFractDescription = box(grpCurrency, "edtFractDescription", 30);
    auto* currency = new QFormLayout(grpCurrency);
    currency->addRow(lblSymbol, edtSymbol);
    currency->addRow(lblAlignment, cbxAlignment);
    currency->addRow(lblCurrDescription, edtCurrDescription);
    currency->addRow(lblFractDescription, edtFractDescription);
    btnBack3 = named<QPushButton>(tsCurrencyInfo, "btnBack3", backText());
    btnNext4 = named<QPushButton>(tsCurrencyInfo, "btnNext4", nextText());
    insertContent(pageLayout(tsCurrencyInfo, {btnBack3, btnNext4}), grpCurrency);

    // Page 5: the end.
    Memo1 = memo(tsEnd, "Memo1",
                 {QStringLiteral("Please click on the close button to accept the changes."), QString(),
                  QStringLiteral("In order to set up other company data such as printers, formats, users, etc.,"),
                  QStringLiteral("please go to the \"System Manager\" options under the \"Edit\" group.")});
    btnBack4 = named<QPushButton>(tsEnd, "btnBack4", backText());
    btnClose = named<QPushButton>(tsEnd, "btnClose", QStringLiteral("&Close"));
    insertContent(pageLayout(tsEnd, {btnBack4, btnClose}), Memo1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pcMain);

    connect(btnNext1, &QPushButton::clicked, this, [this] { btnNext1Click(); });
    connect(btnNext2, &QPushButton::clicked, this, [this] { btnNext2Click(); });
    connect(btnNext3, &QPushButton::clicked, this, [this] { btnNext3Click(); });
    connect(btnNext4, &QPushButton::clicked, this, [this] { btnNext4Click(); });
    connect(btnBack1, &QPushButton::clicked, this, [this] { btnBack1Click(); });
    connect(btnBack2, &QPushButton::clicked, this, [this] { btnBack2Click(); });
    connect(btnBack3, &QPushButton::clicked, this, [this] { btnBack3Click(); });
    connect(btnBack4, &QPushButton::clicked, this, [this] { btnBack4Click(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });

    setFixedSize(520, 340);
}

void TfrmDefaultInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfrmDefaultInfo::reject()
{
}

QString TfrmDefaultInfo::caption(int line) const
{
    return translation::MessageLine(memCaptions, line);
}

void TfrmDefaultInfo::showPage(QWidget* page)
{
    pcMain->setCurrentWidget(page);
    // Enter goes forward, on every page.
    QPushButton* forward = page == tsInOrNotInCanada ? btnNext1
                           : page == tsWhichProv     ? btnNext2
                           : page == tsTaxInfo       ? btnNext3
                           : page == tsCurrencyInfo  ? btnNext4
                                                     : btnClose;
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setDefault(button == forward);
}

bool TfrmDefaultInfo::outsideCanada() const
{
    return !rbInCanada->isChecked();
}

void TfrmDefaultInfo::FormActivate()
{
    showPage(tsInOrNotInCanada);
}

void TfrmDefaultInfo::btnNext1Click()
{
    if (outsideCanada()) {
        if (cbxDateFormat->currentIndex() < 0)
            cbxDateFormat->setCurrentIndex(kMonthDayYear);
        grpTax->setTitle(caption(wizard_lines::TaxCaptionOutside));
        lblGST->setText(caption(wizard_lines::Vat1Label));
        lblPST->setText(caption(wizard_lines::Vat2Label));
        lblHST->hide();
        edtHST->hide();
        memVat->show();
        showPage(tsTaxInfo);
        return;
    }
    if (cbxProvinces->currentIndex() < 0)
        cbxProvinces->setCurrentIndex(province::Alberta);
    memVat->hide();
    showPage(tsWhichProv);
}

void TfrmDefaultInfo::btnNext2Click()
{
    grpTax->setTitle(caption(wizard_lines::TaxCaptionCanada));
    lblGST->setText(caption(wizard_lines::GstLabel));
    lblPST->setText(caption(wizard_lines::PstLabel));
    lblHST->setText(caption(wizard_lines::HstLabel));
    if (edtGST->Text().isEmpty())
        edtGST->setText(QStringLiteral("7"));

    const int chosen = cbxProvinces->currentIndex();
    const bool harmonized = chosen >= province::Newfoundland && chosen <= province::NovaScotia;
    if (harmonized) {
        // The harmonized tax replaces both, whatever the boxes held.
        edtGST->setText(QStringLiteral("0"));
        edtPST->setText(QStringLiteral("0"));
        if (edtHST->Text().isEmpty())
            edtHST->setText(QStringLiteral("15"));
        lblHST->show();
        edtHST->show();
        grpTax->setTitle(caption(wizard_lines::TaxCaptionHarmonized));
    } else if (chosen == province::Quebec) {
        if (edtPST->Text().isEmpty())
            edtPST->setText(QStringLiteral("7.5"));
        if (cbxDateFormat->currentIndex() < 0)
            cbxDateFormat->setCurrentIndex(kDayMonthYear);
        grpTax->setTitle(caption(wizard_lines::TaxCaptionQuebec));
        lblPST->setText(caption(wizard_lines::QstLabel));
    }
    if (cbxDateFormat->currentIndex() < 0)
        cbxDateFormat->setCurrentIndex(kMonthDayYear);
    if (!harmonized) {
        lblHST->hide();
        edtHST->hide();
    }
    showPage(tsTaxInfo);
}

void TfrmDefaultInfo::btnNext3Click()
{
    if (edtSymbol->Text().isEmpty())
        edtSymbol->setText(QStringLiteral("$"));
    if (cbxAlignment->currentIndex() < 0) {
        const bool frenchQuebec =
            !outsideCanada() && cbxProvinces->currentIndex() == province::Quebec && m_language == 2;
        cbxAlignment->setCurrentIndex(frenchQuebec ? kAlignRight : kAlignLeft);
    }
    if (edtCurrDescription->Text().isEmpty())
        edtCurrDescription->setText(QStringLiteral("Dollars"));
    if (edtFractDescription->Text().isEmpty())
        edtFractDescription->setText(QStringLiteral("Cents"));
    showPage(tsCurrencyInfo);
}

void TfrmDefaultInfo::btnNext4Click()
{
    // A translated text may name the product with a placeholder.
    const QString text = Memo1->toPlainText();
    if (text.contains(QLatin1String("%1")))
        Memo1->setPlainText(text.arg(productName()));
    showPage(tsEnd);
}

void TfrmDefaultInfo::btnBack1Click()
{
    showPage(tsInOrNotInCanada);
}

void TfrmDefaultInfo::btnBack2Click()
{
    showPage(outsideCanada() ? tsInOrNotInCanada : tsWhichProv);
}

void TfrmDefaultInfo::btnBack3Click()
{
    showPage(tsTaxInfo);
}

void TfrmDefaultInfo::btnBack4Click()
{
    showPage(tsCurrencyInfo);
}

bool TfrmDefaultInfo::btnCloseClick()
{
    CompanyDefaults defaults;
    defaults.outsideCanada = outsideCanada();
    const struct {
        TVarnexMaskEdit* box;
        QLabel* label;
        std::optional<double>* rate;
    } rates[] = {
        {edtGST, lblGST, &defaults.federalRate},
        {edtPST, lblPST, &defaults.provincialRate},
        {edtHST, lblHST, &defaults.harmonizedRate},
    };
    // Every box is checked before anything is written, so the user corrects
    // the one named and closes again.
    for (const auto& r : rates) {
        if (ParseRate(r.box->Text(), *r.rate))
            continue;
        showPage(tsTaxInfo);
        r.label->show();
        r.box->show();
        QString name = r.label->text();
        name.remove(QLatin1Char('&'));
        ShowErrorMessage(caption(wizard_lines::RateNotANumber).arg(name.trimmed()), this);
        r.box->setFocus();
        r.box->selectAll();
        return false;
    }
    defaults.currencyDescription = edtCurrDescription->Text();
    defaults.fractionsDescription = edtFractDescription->Text();
    const int format = cbxDateFormat->currentIndex();
    defaults.dateFormat = QLatin1String(kDateFormats[static_cast<size_t>(format < 0 ? kMonthDayYear : format)]);
    defaults.currencySymbol = edtSymbol->Text();
    defaults.symbolLeft = cbxAlignment->currentIndex() == kAlignLeft;
    try {
        WriteCompanyDefaults(m_companyFolder, defaults, SettingsStore::machine());
    } catch (const data::EngineError& error) {
        ShowErrorMessage(error.message(), this);
        return false;
    } catch (const SettingsNotWritten& error) {
        ShowErrorMessage(caption(wizard_lines::SettingsNotWritten).arg(error.path()), this);
        return false;
    }
    accept();
    return true;
}

} // namespace varnex::launcher
