#pragma once
// The two account display windows are one design: everything that differs
// between the client window and the supplier window is described here, so
// that the form, the data module and the handlers are written once.

#include <QSize>
#include <QString>
#include <QStringList>

namespace varnex::accountview {

struct AccountSide {
    bool client = true;

    // ---- the module ----
    QString moduleName; // "clview": language tables moduleName + code
    QString formName;   // objectName of the main form
    QString dataModuleName;
    QString caption;
    int helpContext = 0;
    QSize clientArea;
    QString alias;        // the private database name
    QString databaseName; // its component name

    // ---- the account list ----
    QString accountTable; // "cli"
    QString codeField, nameField, telField, emailField, currencyField, copiesField;
    // Items of ComboBox1 and the query fields they name, in the query's order.
    QStringList searchCaptions;
    QStringList searchFields;

    // ---- the statement ----
    QString currentTable, historyTable;         // "car", "carh"
    QString currentComponent, historyComponent; // "Table2", "carh"
    QString lineAccountField;                   // "Car_client"
    QString linePrefix;                         // "Car_"
    QString balanceBase;                        // "Cartmp" (+ session number)
    QString balancePrefix;                      // "Cartmp_"
    QString balanceField;                       // calculated "car_balance"
    QString typeField;                          // calculated "strType" / "StrType" in caph
    QString historyTypeField;
    // Message line naming type "6" in the current table; -1: not named.
    int typeSixLineCurrent = 10;
    int typeSixLineHistory = 10;

    // ---- statistics ----
    QString statsTable;     // "svstatc"
    QString statsComponent; // "svstatc_table"
    QString statsKeyField;  // "Svstatc_client"
    QString salesPrefix;    // "Svstatc_dols" (empty: no sales row)
    QString costPrefix;     // "Svstatc_cost"
    QString qtyPrefix;      // "Svstatc_Qty"
    QString yearsFile;      // "SvstatYears"

    // ---- aging ----
    QString agingDaysPrefix;  // "Ctrl_ar_days"
    QString agingNamesPrefix; // "Ctrl_ar_dname"
    int virmemFirst = 1;      // Curr_1..5 or Curr_6..10

    // ---- component names that differ ----
    QString refreshButton, detailButton, printButton, exitButton, helpButton;
    QString printScreenButton, emailButton, quickLinkButton;

    QStringList tabCaptions;
};

const AccountSide& ClientSide();
const AccountSide& SupplierSide();

// Lines of IntlStrings1 the windows read.
namespace lines {
inline constexpr int SearchFailed = 6;
inline constexpr int NoDocument = 7;
inline constexpr int Yes = 8;
inline constexpr int No = 9;
inline constexpr int PurchaseOrderMissing = 10;     // supview
inline constexpr int PurchaseOrderNotReceived = 11; // supview
} // namespace lines

} // namespace varnex::accountview
