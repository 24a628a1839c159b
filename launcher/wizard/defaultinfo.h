#pragma once
// The company set-up wizard shown once, at the first start, after the first
// company has been created: in or outside Canada, the province, the tax rates
// and date format, the currency presentation. Closing it stores the answers
// as the new company's defaults (companydefaults.h).

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace varnex {
class TVarnexMaskEdit;
}

namespace varnex::launcher {

// Lines of the wizard's message list `memCaptions`.
namespace wizard_lines {
inline constexpr int TaxCaptionOutside = 0;
inline constexpr int TaxCaptionCanada = 1;
inline constexpr int Vat1Label = 2;
inline constexpr int Vat2Label = 3;
inline constexpr int GstLabel = 4;
inline constexpr int PstLabel = 5;
inline constexpr int HstLabel = 6;
inline constexpr int TaxCaptionQuebec = 7;
inline constexpr int QstLabel = 8;
inline constexpr int TaxCaptionHarmonized = 9;
// A rate box that is not a number; %1 is the box's label.
inline constexpr int RateNotANumber = 10;
// The settings file cannot be written; %1 is its path.
inline constexpr int SettingsNotWritten = 11;
} // namespace wizard_lines

// Indexes of `cbxProvinces`.
namespace province {
inline constexpr int Alberta = 0;
inline constexpr int Newfoundland = 3;
inline constexpr int NovaScotia = 5;
inline constexpr int Quebec = 7;
inline constexpr int Ontario = 8;
} // namespace province

class TfrmDefaultInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDefaultInfo(QWidget* parent = nullptr);

    // The folder whose control record and tax-rate tables receive the answers.
    void setCompanyFolder(const QString& folder) { m_companyFolder = folder; }
    const QString& companyFolder() const { return m_companyFolder; }
    // The language number (2 French) decides Québec's currency alignment.
    void setLanguage(int language) { m_language = language; }
    // The product named by the end page's text, where a translation asks for it.
    static QString productName();

    void FormActivate();
    void btnNext1Click();
    void btnNext2Click();
    void btnNext3Click();
    void btnNext4Click();
    void btnBack1Click();
    void btnBack2Click();
    void btnBack3Click();
    void btnBack4Click();
    // True when everything was written and the window closed.
    bool btnCloseClick();

    bool outsideCanada() const;

    QTabWidget* pcMain;
    QWidget* tsInOrNotInCanada;
    QWidget* tsWhichProv;
    QWidget* tsTaxInfo;
    QWidget* tsCurrencyInfo;
    QWidget* tsEnd;

    QPlainTextEdit* memIntro;
    QGroupBox* rgpInCanada;
    QRadioButton* rbInCanada;
    QRadioButton* rbOutsideCanada;
    QPushButton* btnNext1;

    QGroupBox* grpProvince;
    QLabel* lblProvinces;
    QComboBox* cbxProvinces;
    QPushButton* btnBack1;
    QPushButton* btnNext2;

    QLabel* lblDateFormat;
    QComboBox* cbxDateFormat;
    QGroupBox* grpTax;
    QLabel* lblGST;
    QLabel* lblPST;
    QLabel* lblHST;
    TVarnexMaskEdit* edtGST;
    TVarnexMaskEdit* edtPST;
    TVarnexMaskEdit* edtHST;
    QPlainTextEdit* memVat;
    QPlainTextEdit* memCaptions;
    QPushButton* btnBack2;
    QPushButton* btnNext3;

    QGroupBox* grpCurrency;
    QLabel* lblSymbol;
    QLabel* lblAlignment;
    QLabel* lblCurrDescription;
    QLabel* lblFractDescription;
    TVarnexMaskEdit* edtSymbol;
    QComboBox* cbxAlignment;
    TVarnexMaskEdit* edtCurrDescription;
    TVarnexMaskEdit* edtFractDescription;
    QPushButton* btnBack3;
    QPushButton* btnNext4;

    QPlainTextEdit* Memo1;
    QPushButton* btnBack4;
    QPushButton* btnClose;

public slots:
    // No cancel: the only way out is Close on the last page.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString caption(int line) const;
    void showPage(QWidget* page);

    QString m_companyFolder;
    int m_language = 1;
};

} // namespace varnex::launcher
