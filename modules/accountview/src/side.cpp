#include "varnex/accountview/side.h"

namespace varnex::accountview {

namespace {

AccountSide makeClientSide()
{
    AccountSide s;
    s.client = true;
    s.moduleName = QStringLiteral("clview");
    s.formName = QStringLiteral("clview_frm");
    s.dataModuleName = QStringLiteral("clview_dm");
    s.caption = QStringLiteral("Display of clients");
    s.helpContext = 204;
    s.clientArea = QSize(692, 385);
    s.alias = QStringLiteral("clviewdb");
    s.databaseName = QStringLiteral("Database1");
    s.accountTable = QStringLiteral("cli");
    s.codeField = QStringLiteral("Cli_code");
    s.nameField = QStringLiteral("Cli_name");
    s.telField = QStringLiteral("Cli_tel");
    s.emailField = QStringLiteral("Cli_email");
    s.currencyField = QStringLiteral("Cli_currency");
    s.copiesField = QStringLiteral("Cli_copies");
    s.searchCaptions = {
        QStringLiteral("Client code"),
        QStringLiteral("Client name"),
        QStringLiteral("Address 1"),
        QStringLiteral("Address 2"),
        QStringLiteral("City"),
        QStringLiteral("Province"),
        QStringLiteral("Country"),
        QStringLiteral("Postal code"),
        QStringLiteral("Telephone"),
        QStringLiteral("Fax"),
        QStringLiteral("Contact"),
        QStringLiteral("Contact telephone"),
        QStringLiteral("E-mail"),
        QStringLiteral("Charge to"),
        QStringLiteral("Sales rep"),
        QStringLiteral("Territory"),
        QStringLiteral("Language"),
        QStringLiteral("Bank"),
        QStringLiteral("Bank manager"),
        QStringLiteral("Bank telephone"),
        QStringLiteral("Terms"),
        QStringLiteral("Ship via"),
        QStringLiteral("Date created"),
        QStringLiteral("Date last sale"),
        QStringLiteral("Date last payment"),
        QStringLiteral("Pay federal tax"),
        QStringLiteral("Pay provincial tax"),
        QStringLiteral("PO required"),
        QStringLiteral("Due days"),
        QStringLiteral("Credit limit"),
        QStringLiteral("Price list"),
        QStringLiteral("Discount"),
        QStringLiteral("Current balance"),
        QStringLiteral("Last NSF date"),
        QStringLiteral("Last sale amount"),
        QStringLiteral("Sales MTD"),
        QStringLiteral("Sales YTD"),
        QStringLiteral("Comments"),
        QStringLiteral("User"),
        QStringLiteral("Stamp"),
        QStringLiteral("Currency"),
        QStringLiteral("Credit hold"),
        QStringLiteral("Block orders"),
    };
    s.searchFields = {
        QStringLiteral("Cli_code"),          QStringLiteral("Cli_name"),         QStringLiteral("Cli_adr1"),
        QStringLiteral("Cli_adr2"),          QStringLiteral("Cli_city"),         QStringLiteral("Cli_prov"),
        QStringLiteral("Cli_country"),       QStringLiteral("Cli_postal_code"),  QStringLiteral("Cli_tel"),
        QStringLiteral("Cli_fax"),           QStringLiteral("Cli_contact"),      QStringLiteral("Cli_contact_tel"),
        QStringLiteral("Cli_email"),         QStringLiteral("Cli_charge_to"),    QStringLiteral("Cli_salesrep"),
        QStringLiteral("Cli_terr"),          QStringLiteral("Cli_language"),     QStringLiteral("Cli_bank"),
        QStringLiteral("Cli_bank_manager"),  QStringLiteral("Cli_bank_tel"),     QStringLiteral("Cli_terms"),
        QStringLiteral("Cli_ship_via"),      QStringLiteral("Cli_date_created"), QStringLiteral("Cli_date_last_sale"),
        QStringLiteral("Cli_date_last_pmt"), QStringLiteral("Cli_tax_fed"),      QStringLiteral("Cli_tax_pro"),
        QStringLiteral("Cli_po_req"),        QStringLiteral("Cli_du_days"),      QStringLiteral("Cli_credit_limit"),
        QStringLiteral("Cli_price_list"),    QStringLiteral("Cli_discount"),     QStringLiteral("Cli_current_bal"),
        QStringLiteral("Cli_nsf_date"),      QStringLiteral("Cli_last_sale"),    QStringLiteral("Cli_sales_mth"),
        QStringLiteral("Cli_sales_ytd"),     QStringLiteral("Cli_comments"),     QStringLiteral("Cli_user"),
        QStringLiteral("Cli_stamp"),         QStringLiteral("Cli_currency"),     QStringLiteral("Cli_credit_hold"),
        QStringLiteral("Cli_block_orders"),
    };
    s.currentTable = QStringLiteral("car");
    s.historyTable = QStringLiteral("carh");
    s.currentComponent = QStringLiteral("Table2");
    s.historyComponent = QStringLiteral("carh");
    s.lineAccountField = QStringLiteral("Car_client");
    s.linePrefix = QStringLiteral("Car_");
    s.balanceBase = QStringLiteral("Cartmp");
    s.balancePrefix = QStringLiteral("Cartmp_");
    s.balanceField = QStringLiteral("car_balance");
    s.typeField = QStringLiteral("strType");
    s.historyTypeField = QStringLiteral("strType");
    s.typeSixLineCurrent = 10;
    s.typeSixLineHistory = 10;
    s.statsTable = QStringLiteral("svstatc");
    s.statsComponent = QStringLiteral("svstatc_table");
    s.statsKeyField = QStringLiteral("Svstatc_client");
    s.salesPrefix = QStringLiteral("Svstatc_dols");
    s.costPrefix = QStringLiteral("Svstatc_cost");
    s.qtyPrefix = QStringLiteral("Svstatc_Qty");
    s.yearsFile = QStringLiteral("SvstatYears");
    s.agingDaysPrefix = QStringLiteral("Ctrl_ar_days");
    s.agingNamesPrefix = QStringLiteral("Ctrl_ar_dname");
    s.virmemFirst = 1;
    s.refreshButton = QStringLiteral("Button2");
    s.detailButton = QStringLiteral("Button3");
    s.printButton = QStringLiteral("Button4");
    s.exitButton = QStringLiteral("Exit_btn");
    s.helpButton = QStringLiteral("Help_btn");
    s.printScreenButton = QStringLiteral("SpeedButton1");
    s.emailButton = QStringLiteral("SpeedButton3");
    s.quickLinkButton = QStringLiteral("SpeedButton2");
    s.tabCaptions = {
        QStringLiteral("List"),      QStringLiteral("General"),          QStringLiteral("Control information"),
        QStringLiteral("Comments "), QStringLiteral("Client statement"), QStringLiteral("Client statistics"),
        QStringLiteral("Graph"),     QStringLiteral("Cylinders")};
    return s;
}

AccountSide makeSupplierSide()
{
    AccountSide s;
    s.client = false;
    s.moduleName = QStringLiteral("supview");
    s.formName = QStringLiteral("supview_Frm");
    s.dataModuleName = QStringLiteral("supview_dm");
    s.caption = QStringLiteral("Display of suppliers");
    s.helpContext = 303;
    s.clientArea = QSize(646, 388);
    s.alias = QStringLiteral("supviewdb");
    s.databaseName = QStringLiteral("supdatabase");
    s.accountTable = QStringLiteral("sup");
    s.codeField = QStringLiteral("Sup_code");
    s.nameField = QStringLiteral("Sup_name");
    s.telField = QStringLiteral("Sup_tel");
    s.emailField = QStringLiteral("Sup_email");
    s.currencyField = QStringLiteral("Sup_currency");
    s.copiesField = QStringLiteral("Sup_copies");
    s.searchCaptions = {
        QStringLiteral("Supplier code"),
        QStringLiteral("Supplier name"),
        QStringLiteral("Address 1"),
        QStringLiteral("Address 2"),
        QStringLiteral("City"),
        QStringLiteral("Province"),
        QStringLiteral("Country"),
        QStringLiteral("Postal code"),
        QStringLiteral("Telephone"),
        QStringLiteral("Fax"),
        QStringLiteral("Contact"),
        QStringLiteral("Contact telephone"),
        QStringLiteral("E-mail"),
        QStringLiteral("Territory"),
        QStringLiteral("Language"),
        QStringLiteral("Date created"),
        QStringLiteral("Date last purchase"),
        QStringLiteral("Date last payment"),
        QStringLiteral("PO required"),
        QStringLiteral("Sup du days"),
        QStringLiteral("Credit limit"),
        QStringLiteral("Payment discount"),
        QStringLiteral("Puchase discount"),
        QStringLiteral("Current balance"),
        QStringLiteral("Last purchase"),
        QStringLiteral("Puchases MTD"),
        QStringLiteral("Purchases YTD"),
        QStringLiteral("Comments"),
        QStringLiteral("User"),
        QStringLiteral("Stamp"),
        QStringLiteral("Currency"),
    };
    s.searchFields = {
        QStringLiteral("Sup_code"),
        QStringLiteral("Sup_name"),
        QStringLiteral("Sup_adr1"),
        QStringLiteral("Sup_adr2"),
        QStringLiteral("Sup_city"),
        QStringLiteral("Sup_prov"),
        QStringLiteral("Sup_country"),
        QStringLiteral("Sup_postal_code"),
        QStringLiteral("Sup_tel"),
        QStringLiteral("Sup_fax"),
        QStringLiteral("Sup_contact"),
        QStringLiteral("Sup_contact_tel"),
        QStringLiteral("Sup_email"),
        QStringLiteral("Sup_terr"),
        QStringLiteral("Sup_language"),
        QStringLiteral("Sup_date_created"),
        QStringLiteral("Sup_date_last_purch"),
        QStringLiteral("Sup_date_last_pmt"),
        QStringLiteral("Sup_po_req"),
        QStringLiteral("Sup_du_days"),
        QStringLiteral("Sup_credit_limit"),
        QStringLiteral("Sup_pmt_discount"),
        QStringLiteral("Sup_purch_discount"),
        QStringLiteral("Sup_current_bal"),
        QStringLiteral("Sup_last_purch"),
        QStringLiteral("Sup_purch_mth"),
        QStringLiteral("Sup_purch_ytd"),
        QStringLiteral("Sup_comments"),
        QStringLiteral("Sup_user"),
        QStringLiteral("Sup_stamp"),
        QStringLiteral("Sup_currency"),
    };
    s.currentTable = QStringLiteral("cap");
    s.historyTable = QStringLiteral("caph");
    s.currentComponent = QStringLiteral("cap_table");
    s.historyComponent = QStringLiteral("caph");
    s.lineAccountField = QStringLiteral("Cap_supplier");
    s.linePrefix = QStringLiteral("Cap_");
    s.balanceBase = QStringLiteral("captmp");
    s.balancePrefix = QStringLiteral("Captmp_");
    s.balanceField = QStringLiteral("cap_balance");
    s.typeField = QStringLiteral("strType");
    s.historyTypeField = QStringLiteral("StrType");
    s.typeSixLineCurrent = 12;
    s.typeSixLineHistory = -1;
    s.statsTable = QStringLiteral("sastats");
    s.statsComponent = QStringLiteral("sastats_table");
    s.statsKeyField = QStringLiteral("Supplier");
    s.costPrefix = QStringLiteral("Cost");
    s.qtyPrefix = QStringLiteral("Qty");
    s.yearsFile = QStringLiteral("SastatYears");
    s.agingDaysPrefix = QStringLiteral("Ctrl_ap_days");
    s.agingNamesPrefix = QStringLiteral("Ctrl_ap_dname");
    s.virmemFirst = 6;
    s.refreshButton = QStringLiteral("Button4");
    s.detailButton = QStringLiteral("Button5");
    s.printButton = QStringLiteral("Button6");
    s.exitButton = QStringLiteral("Button1");
    s.helpButton = QStringLiteral("Button2");
    s.printScreenButton = QStringLiteral("SpeedButton3");
    s.emailButton = QStringLiteral("SpeedButton6");
    s.quickLinkButton = QStringLiteral("SpeedButton7");
    s.tabCaptions = {QStringLiteral("Supplier list"),
                     QStringLiteral("General"),
                     QStringLiteral("Control information"),
                     QStringLiteral("Comments"),
                     QStringLiteral("Supplier statement"),
                     QStringLiteral("Purchase statistics"),
                     QStringLiteral("Graph")};
    return s;
}

} // namespace

const AccountSide& ClientSide()
{
    static const AccountSide side = makeClientSide();
    return side;
}

const AccountSide& SupplierSide()
{
    static const AccountSide side = makeSupplierSide();
    return side;
}

} // namespace varnex::accountview
