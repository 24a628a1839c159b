#include "infowindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "option_rules.h"
#include "varnex/helpviewer.h"
#include "varnex/settings.h"
#include "varnex/shell.h"
#include "varnex/version.h"
#include "windowparts.h"

namespace varnex::launcher {

namespace {

using parts::buttonRow;
using parts::named;

QString lines(std::initializer_list<const char*> texts)
{
    QStringList result;
    for (const char* text : texts)
        result << QString::fromUtf8(text);
    return result.join(QLatin1Char('\n'));
}

// The supplier's details: the project's own.
struct ContactDetails {
    const char* email;
    const char* web;
    const char* phone;
    const char* fax;
};
constexpr ContactDetails kSupport = {"support@varnex.example", "www.varnex.example/support", "1-800-555-0140",
                                     "1-800-555-0141"};
constexpr ContactDetails kServices = {"services@varnex.example", "www.varnex.example/services", "1-800-555-0150",
                                      "1-800-555-0151"};
constexpr ContactDetails kProducts = {"sales@varnex.example", "www.varnex.example/products", "1-800-555-0160",
                                      "1-800-555-0161"};

} // namespace

TClickLabel::TClickLabel(QWidget* parent)
    : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

// ---- welcome ------------------------------------------------------------

TfrmWelcome::TfrmWelcome(QWidget* parent)
    : QDialog(parent)
{
    parts::setUpDialog(this, "frmWelcome", QStringLiteral("Welcome"), false);
    memMessage = named<QPlainTextEdit>(this, "memMessage",
                                       lines({"Welcome to Primora.  Would you like to view the ",
                                              "Introduction help file that explains how Primora ", "functions?"}));
    btnYes = named<QPushButton>(this, "btnYes", QStringLiteral("Yes"));
    btnNo = named<QPushButton>(this, "btnNo", QStringLiteral("No"));
    chkAlwaysShow = named<QCheckBox>(this, "chkAlwaysShow", QStringLiteral("Do not show when entering into Primora"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memMessage);
    layout->addWidget(chkAlwaysShow);
    layout->addLayout(buttonRow({btnYes, btnNo}));
    btnYes->setDefault(true);
    connect(btnYes, &QPushButton::clicked, this, [this] { btnYesClick(); });
    connect(btnNo, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    resize(420, 200);
}

void TfrmWelcome::setLink(const TLinkSection& record, const QString& section)
{
    m_language = record.Link_language;
    m_languageCode = LinkLangCode(record);
    m_programFolder = LinkText(record.Link_pgm_dir);
    m_section = section;
}

QString TfrmWelcome::introductionFolder() const
{
    return HelpFolderFor(m_programFolder, m_language, m_languageCode);
}

void TfrmWelcome::btnYesClick()
{
    // The Introduction page when the viewer has it in the user's language;
    // otherwise the contents of the help of that language, or of English.
    const QString folder = introductionFolder();
    if (QFileInfo::exists(HelpPagePath(folder, QStringLiteral("Introduction")))) {
        Help().showTopic(folder, QStringLiteral("Introduction"));
    } else {
        const QString contents =
            m_programFolder + (m_language == 2 ? QStringLiteral("/Helpfr") : QStringLiteral("/Help"));
        Help().showContents(QFileInfo::exists(contents) ? contents : m_programFolder + QStringLiteral("/Help"));
    }
    done(QDialog::Accepted);
}

void TfrmWelcome::FormClose()
{
    if (chkAlwaysShow->isChecked())
        SettingsStore::machine().setValue(m_section, QStringLiteral("ShowWelcome"), QStringLiteral("N"));
}

void TfrmWelcome::done(int result)
{
    FormClose();
    QDialog::done(result);
}

// ---- set-up notice ------------------------------------------------------

TfrmSetup::TfrmSetup(QWidget* parent)
    : QDialog(parent)
{
    parts::setUpDialog(this, "frmSetup", QStringLiteral("Setup required"), false);
    memPayroll = named<QPlainTextEdit>(this, "memPayroll",
                                       QStringLiteral("The system has detected that the payroll setup has not been "
                                                      "performed."));
    memJobCost = named<QPlainTextEdit>(this, "memJobCost",
                                       QStringLiteral("The system has detected that the job cost setup has not been "
                                                      "performed."));
    memPayroll->hide();
    memJobCost->hide();
    btnPrintForm = named<QPushButton>(this, "btnPrintForm", QStringLiteral("Print"));
    btnPrintForm->setToolTip(QStringLiteral("Print Screen"));
    btnOk = named<QPushButton>(this, "btnOk", QStringLiteral("OK"));
    btnOk->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memPayroll);
    layout->addWidget(memJobCost);
    layout->addLayout(buttonRow({btnPrintForm, btnOk}));
    connect(btnPrintForm, &QPushButton::clicked, this, [this] { btnPrintFormClick(); });
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    resize(560, 300);
}

void TfrmSetup::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TfrmSetup::FormActivate()
{
    memPayroll->setVisible(ShowPayroll);
    memJobCost->setVisible(ShowJobCost);
}

void TfrmSetup::btnPrintFormClick()
{
    PrintWindow(this);
}

// ---- contact ------------------------------------------------------------

QString ContactTarget(const QString& labelText)
{
    if (labelText.startsWith(QLatin1Char('w')))
        return labelText;
    return QStringLiteral("mailto: ") + labelText;
}

QUrl ContactUrl(const QString& target)
{
    if (target.startsWith(QLatin1String("mailto:")))
        return QUrl(QStringLiteral("mailto:") + target.mid(7).trimmed());
    return QUrl::fromUserInput(target);
}

TContactUs::TContactUs(QWidget* parent)
    : QDialog(parent)
{
    parts::setUpDialog(this, "ContactUs", QStringLiteral("Contact us"), true);
    Memo3 = named<QPlainTextEdit>(
        nullptr, "Memo3",
        lines({"Questions about the use of the software, error messages,", "installation and data recovery."}));
    Memo1 = named<QPlainTextEdit>(nullptr, "Memo1",
                                  lines({"Training, form design, data conversion and on-site", "consulting."}));
    Memo2 = named<QPlainTextEdit>(nullptr, "Memo2",
                                  lines({"Prices, new modules, upgrades and additional user", "licences."}));
    const auto details = [](const ContactDetails& d) {
        return QStringList{QLatin1String(d.email), QLatin1String(d.web), QLatin1String(d.phone), QLatin1String(d.fax)};
    };
    SupportPanel = addPanel("Support", QStringLiteral("Technical support"), Memo3, details(kSupport));
    ServicesPanel = addPanel("Services", QStringLiteral("Services"), Memo1, details(kServices));
    ProductsPanel = addPanel("Products", QStringLiteral("Products"), Memo2, details(kProducts));
    Button1 = named<QPushButton>(this, "Button1", QStringLiteral("Close"));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    auto* layout = new QVBoxLayout(this);
    for (QGroupBox* panel : {SupportPanel, ServicesPanel, ProductsPanel})
        layout->addWidget(panel);
    layout->addLayout(buttonRow({Button1}));
    resize(480, 520);
}

QGroupBox* TContactUs::addPanel(const char* prefix, const QString& title, QPlainTextEdit* text,
                                const QStringList& details)
{
    const QByteArray name = QByteArray(prefix) + "Panel";
    auto* panel = named<QGroupBox>(this, name.constData(), title);
    text->setParent(panel);
    text->setMaximumHeight(52);
    // The texts never hold the caret.
    text->installEventFilter(this);
    auto* grid = new QGridLayout(panel);
    grid->addWidget(text, 0, 0, 1, 2);
    const char* kinds[] = {"Email", "Web", "Phone", "Fax"};
    const QString captions[] = {QStringLiteral("E-mail:"), QStringLiteral("Internet:"), QStringLiteral("Telephone:"),
                                QStringLiteral("Fax:")};
    for (int i = 0; i < 4; ++i) {
        const QByteArray captionName = QByteArray(prefix) + kinds[i] + "Label";
        grid->addWidget(named<QLabel>(panel, captionName.constData(), captions[i]), i + 1, 0);
        const QByteArray valueName = QByteArray(prefix) + kinds[i];
        if (i < 2) {
            auto* address = named<TClickLabel>(panel, valueName.constData(), details.value(i));
            connect(address, &TClickLabel::clicked, this, [this, address] { Label3Click(address); });
            m_addresses << address;
            grid->addWidget(address, i + 1, 1);
        } else {
            grid->addWidget(named<QLabel>(panel, valueName.constData(), details.value(i)), i + 1, 1);
        }
    }
    grid->setColumnStretch(1, 1);
    return panel;
}

bool TContactUs::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == Memo1 || watched == Memo2 || watched == Memo3))
        Memo3Enter();
    return QDialog::eventFilter(watched, event);
}

void TContactUs::Label3Click(QLabel* label)
{
    // The shell's answer is not shown: a missing browser or mail program
    // is the desktop's to report.
    Shell().openUrl(ContactUrl(ContactTarget(label->text())));
}

void TContactUs::Memo3Enter()
{
    Button1->setFocus();
}

void TContactUs::Button1Click()
{
    accept();
}

// ---- about --------------------------------------------------------------

QString TAboutBox::productName()
{
    return QStringLiteral("Primora/Lgx");
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent)
{
    parts::setUpDialog(this, "AboutBox", QStringLiteral("About"), true);
    ProductName = named<QLabel>(this, "ProductName", productName());
    QFont large = ProductName->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    ProductName->setFont(large);
    VersionLabel = named<QLabel>(this, "VersionLabel", QStringLiteral("Version"));
    Version = named<QLabel>(this, "Version", ProgramVersionText());
    DatabaseLabel = named<QLabel>(this, "DatabaseLabel", QStringLiteral("Data folder:"));
    lblDatabase = named<TClickLabel>(this, "lblDatabase");
    PayrollLabel = named<QLabel>(this, "PayrollLabel", QStringLiteral("Payroll:"));
    cbxPayroll = named<QComboBox>(this, "cbxPayroll");
    cbxPayroll->addItems({QStringLiteral("None"), QStringLiteral("Regular"), QStringLiteral("CCQ")});
    cbxPayroll->setEnabled(false);
    OKButton = named<QPushButton>(this, "OKButton", QStringLiteral("OK"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(lblDatabase, &TClickLabel::clicked, this, [this] { lblDatabaseClick(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProductName);
    auto* grid = new QGridLayout;
    grid->addWidget(VersionLabel, 0, 0);
    grid->addWidget(Version, 0, 1);
    grid->addWidget(DatabaseLabel, 1, 0);
    grid->addWidget(lblDatabase, 1, 1);
    grid->addWidget(PayrollLabel, 2, 0);
    grid->addWidget(cbxPayroll, 2, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttonRow({OKButton}));
    resize(440, 220);
}

void TAboutBox::setInstallation(const QString& dataFolder, const QString& payroll, const QString& payrollCCQ)
{
    m_dataFolder = dataFolder;
    m_payroll = payroll;
    m_payrollCCQ = payrollCCQ;
}

void TAboutBox::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TAboutBox::FormShow()
{
    lblDatabase->setText(m_dataFolder);
    // The list's positions: 0 None, 1 Regular, 2 CCQ.
    int kind = 0;
    if (IsYesAnyCase(m_payroll))
        kind = 1;
    else if (IsExactlyYes(m_payrollCCQ))
        kind = 2;
    cbxPayroll->setCurrentIndex(kind);
}

void TAboutBox::lblDatabaseClick()
{
    Shell().openUrl(QUrl::fromLocalFile(lblDatabase->text()));
}

} // namespace varnex::launcher
