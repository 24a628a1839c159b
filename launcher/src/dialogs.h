#pragma once
// The launcher's small dialogs: the login dialog, the company password dialog
// and the shortcut dialog whose two lists hold the options the user may see.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace varnex::launcher {

// Results of the two password dialogs, as the design numbers them.
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// The login dialog: the password is typed in upper case and echoed as "*".
class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Password;
    QCheckBox* DesktopCheckBox; // "Use Standard Desktop"
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;
};

// The company password dialog: "*" echo, the case is kept as typed.
class TCompPasswd_Frm : public QDialog {
    Q_OBJECT
public:
    explicit TCompPasswd_Frm(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Password;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;
};

// The new-shortcut dialog. Row i of `OptionNames` (caption and ledger label)
// belongs to row i of the hidden `DllList` (the option name, or "" for an
// option the user may see but not run). The desktop creates icons from it;
// the Tools maintenance receives both lists.
class TShortcutDlg : public QDialog {
    Q_OBJECT
public:
    explicit TShortcutDlg(QWidget* parent = nullptr);

    QLabel* Label1;
    QListWidget* OptionNames;
    QListWidget* DllList;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

} // namespace varnex::launcher
