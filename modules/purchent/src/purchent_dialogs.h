#pragma once
// The dialogs of the purchase entry: taxes per rate, holdback, job-cost
// distribution, posting period, and the end-of-year notice. They are created
// once per module call and only ask; the posting writes what they answered.

#include <QDate>
#include <QDialog>

#include <functional>

#include "varnex/currency.h"
#include "varnex/ledger/purchase.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace varnex {
class TVarnexDBGrid;
class TVarnexMaskEdit;
} // namespace varnex

namespace varnex::purchent {

class Tpurchent_dm;

// The message lines of the purchase window, read by number.
using MessageLines = std::function<QString(int line)>;

// Net amount per tax rate: the grid over this session's tax work table.
class TfrmVAT : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVAT(Tpurchent_dm* dm, QWidget* parent = nullptr);
    // Binds the grid to the work table (open) and shows it; true on OK.
    bool Run();

    TVarnexDBGrid* dbgTaxes;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    void OKBtnClick();
    Tpurchent_dm* m_dm;
};

class TfrmHoldback : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHoldback(MessageLines lines, QWidget* parent = nullptr);
    // Shows the dialog over a base amount; the answers are read afterwards.
    void Run(Currency base);

    double Percent() const { return m_percent; }
    double Amount() const { return m_amount; }
    QDate DueDate() const { return m_dueDate; }

    QLineEdit* edtPercent;
    QLineEdit* edtAmount;
    TVarnexMaskEdit* edtDate;
    QPushButton* OKBtn;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override {} // no close box: only OK ends it

private:
    void edtPercentExit();
    void OKBtnClick();
    MessageLines m_lines;
    Currency m_base;
    double m_percent = 0;
    double m_amount = 0;
    QDate m_dueDate;
};

// One line of a job-cost distribution, as the dialog accepted it.
using DistributionLine = ledger::JobCostLine;

class TfrmProject : public QDialog {
    Q_OBJECT
public:
    TfrmProject(Tpurchent_dm* dm, MessageLines lines, QWidget* parent = nullptr);
    // Shows the distribution of `amount` over the (emptied) work table; true
    // on OK with every line valid. The lines are read afterwards.
    bool Run(Currency amount);
    const QList<DistributionLine>& Lines() const { return m_lines; }
    Currency Remaining() const { return m_remaining; }

    // 0 when the line is valid, otherwise the message line of its fault.
    int ValidateDistributionLine(const QString& project, const QString& phase, const QString& element);
    // A new line at the end of the table, ready to be typed.
    void AppendLine();
    void Lookup(int column);

    QLabel* Label1;
    QLabel* lblDistAmnt;
    TVarnexDBGrid* dbgProject;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    void OKBtnClick();
    void ShowRemaining();
    void OpenJobCostTables();
    void CloseJobCostTables();
    Tpurchent_dm* m_dm;
    MessageLines m_messages;
    Currency m_remaining;
    Currency m_lineAmount; // the amount of the current line when it was reached
    QList<DistributionLine> m_lines;
    bool m_recomputing = false;
};

class Tperiod_frm : public QDialog {
    Q_OBJECT
public:
    explicit Tperiod_frm(MessageLines lines, QWidget* parent = nullptr);
    // Shows the period; the accepted number afterwards.
    int Run(int period);

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* OKBtn;

protected:
    void reject() override {} // no close box

private:
    void OKBtnClick();
    MessageLines m_lines;
    int m_period = 0;
};

// Created with the module and kept for the end-of-year close of the payables.
class TEoy_dlg : public QDialog {
    Q_OBJECT
public:
    explicit TEoy_dlg(QWidget* parent = nullptr);
    QLabel* Label1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

} // namespace varnex::purchent
