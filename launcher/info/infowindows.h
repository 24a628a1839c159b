#pragma once
// The launcher's information windows: the welcome window offered at start-up,
// the notice that an installed payroll or job-cost ledger is not set up, the
// contact window and the about box. Each is translated with the launcher's
// table when it is shown (launcherwindows.h).

#include <QDialog>
#include <QLabel>
#include <QUrl>

#include "varnex/linksection.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace varnex::launcher {

// A label that reacts to a click, for addresses and folders.
class TClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit TClickLabel(QWidget* parent = nullptr);
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TfrmWelcome : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWelcome(QWidget* parent = nullptr);

    // The language, its code and the program folder come from the record;
    // "ShowWelcome" is kept under the settings section given.
    void setLink(const TLinkSection& record, const QString& section);

    void btnYesClick();
    // Writes "ShowWelcome" = "N" when the box is ticked; nothing otherwise.
    void FormClose();
    // The help folder and page the Yes button opens.
    QString introductionFolder() const;

    QPlainTextEdit* memMessage;
    QPushButton* btnYes;
    QPushButton* btnNo;
    QCheckBox* chkAlwaysShow;

public slots:
    void done(int result) override;

private:
    int m_language = 1;
    QString m_languageCode;
    QString m_programFolder;
    QString m_section = QStringLiteral("Lgx");
};

class TfrmSetup : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetup(QWidget* parent = nullptr);

    // Which of the two notices the next showing tells.
    bool ShowPayroll = false;
    bool ShowJobCost = false;

    void FormActivate();
    void btnPrintFormClick();

    QPlainTextEdit* memPayroll;
    QPlainTextEdit* memJobCost;
    QPushButton* btnPrintForm;
    QPushButton* btnOk;

protected:
    void showEvent(QShowEvent* event) override;
};

// What a clickable address of the contact window asks the shell to open: a
// text beginning with a lower-case "w" is a web address and opens as it is;
// anything else is an e-mail address ("mailto: " + text).
QString ContactTarget(const QString& labelText);
// The same as an address the desktop can open: a web address without a
// scheme gets "http://", and "mailto:" loses the space a URL cannot hold.
QUrl ContactUrl(const QString& target);

class TContactUs : public QDialog {
    Q_OBJECT
public:
    explicit TContactUs(QWidget* parent = nullptr);

    int Language = 1;

    void Label3Click(QLabel* label);
    void Memo3Enter();
    void Button1Click();

    QGroupBox* SupportPanel;
    QGroupBox* ServicesPanel;
    QGroupBox* ProductsPanel;
    QPlainTextEdit* Memo3;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;
    QPushButton* Button1;
    QList<TClickLabel*> addressLabels() const { return m_addresses; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* addPanel(const char* prefix, const QString& title, QPlainTextEdit* text, const QStringList& details);
    QList<TClickLabel*> m_addresses;
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // What FormShow shows: the data location and the payroll kind installed.
    void setInstallation(const QString& dataFolder, const QString& payroll, const QString& payrollCCQ);
    void FormShow();
    void lblDatabaseClick();

    QLabel* ProductName;
    QLabel* VersionLabel;
    QLabel* Version;
    QLabel* DatabaseLabel;
    TClickLabel* lblDatabase;
    QLabel* PayrollLabel;
    QComboBox* cbxPayroll;
    QPushButton* OKButton;

    static QString productName();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_dataFolder;
    QString m_payroll;
    QString m_payrollCCQ;
};

} // namespace varnex::launcher
