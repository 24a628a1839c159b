// The tables of the system and company folders, declared once. Modules,
// tools and the engine create and check tables from these definitions, so a
// field added here reaches every folder created afterwards.

#include "varnex/data/schema.h"

#include <QHash>
#include <QRegularExpression>

#include <initializer_list>

namespace varnex::data {

namespace {

// One field, or a numbered family of fields (`Glm_budget1` .. `Glm_budget14`)
// whose names are the prefix followed by each number.
struct Run {
    const char* name;
    FieldType type;
    int size = 0;
    int first = -1;
    int last = -1;
};

constexpr Run text(const char* n, int size)
{
    return {n, FieldType::Text, size};
}
constexpr Run memo(const char* n, int size)
{
    return {n, FieldType::Memo, size};
}
constexpr Run bytes(const char* n, int size)
{
    return {n, FieldType::Bytes, size};
}
constexpr Run binary(const char* n, int size)
{
    return {n, FieldType::Binary, size};
}
constexpr Run integer(const char* n)
{
    return {n, FieldType::Integer};
}
constexpr Run shortInteger(const char* n)
{
    return {n, FieldType::ShortInteger};
}
constexpr Run number(const char* n)
{
    return {n, FieldType::Number};
}
constexpr Run money(const char* n)
{
    return {n, FieldType::Money};
}
constexpr Run logical(const char* n)
{
    return {n, FieldType::Logical};
}
constexpr Run date(const char* n)
{
    return {n, FieldType::Date};
}
constexpr Run time(const char* n)
{
    return {n, FieldType::Time};
}
constexpr Run timestamp(const char* n)
{
    return {n, FieldType::Timestamp};
}
constexpr Run autoIncrement(const char* n)
{
    return {n, FieldType::AutoIncrement};
}
constexpr Run family(Run r, int first, int last)
{
    r.first = first;
    r.last = last;
    return r;
}

IndexDef primary(const QStringList& fields)
{
    return {QString(), fields, true, true};
}
// A key order the modules select by its field names; named after its fields
// ("Reference_Client_Date") so that the name says what it orders by.
IndexDef keyOrder(const QStringList& fields)
{
    return {fields.join(QLatin1Char('_')), fields, false, false};
}

class Builder {
public:
    QList<TableDef> tables;

    TableDef& add(const char* name, Folder folder, std::initializer_list<Run> runs, QList<IndexDef> indexes)
    {
        TableDef t;
        t.name = QString::fromLatin1(name);
        t.folder = folder;
        for (const Run& r : runs) {
            if (r.first < 0) {
                t.fields.append({QString::fromLatin1(r.name), r.type, r.size});
                continue;
            }
            for (int n = r.first; n <= r.last; ++n)
                t.fields.append({QString::fromLatin1(r.name) + QString::number(n), r.type, r.size});
        }
        t.indexes = std::move(indexes);
        tables.append(std::move(t));
        return tables.last();
    }

    TableDef& get(const char* name)
    {
        for (TableDef& t : tables)
            if (t.name == QLatin1String(name))
                return t;
        qFatal("catalogue: no table %s", name); // a typo in this file, found by every test run
    }

    void build();
};

void Builder::build()
{
    // System folder (the data root).
    add("comp", Folder::System,
        {
            integer("Comp_Code"),
            text("Comp_Name", 60),
            text("Comp_Adr1", 40),
            text("Comp_adr2", 40),
            text("Comp_city", 40),
            text("Comp_Prov", 40),
            text("Comp_Country", 40),
            text("Comp_Postal_code", 30),
            text("Comp_telephone", 30),
            text("Comp_Contact", 40),
            text("Comp_Passwd", 10),
            integer("Comp_Ret_Earn_accnt"),
            integer("Comp_profit_line"),
        },
        {primary({"Comp_Code"})});
    add("user", Folder::System,
        {
            text("User_password", 10),
            text("User_code", 10),
            text("User_name", 30),
            shortInteger("User_detail"),
            shortInteger("User_language"),
            shortInteger("User_company"),
            text("User_printer", 128),
            bytes("User_security", 200),
            integer("User_store"),
        },
        {primary({"User_password"}), keyOrder({"User_code"})});
    add("Desktop", Folder::System,
        {
            text("Desktop_user", 10),
            autoIncrement("Desktop_index"),
            integer("Desktop_ComponentIndex"),
            integer("Desktop_Component_type"),
            binary("Desktop_Component", 240),
        },
        {primary({"Desktop_user", "Desktop_index"}), keyOrder({"Desktop_user"})});
    add("Languages", Folder::System,
        {
            integer("LangKey"),
            text("LangCode", 3),
            text("LangName", 20),
        },
        {primary({"LangKey"})});
    add("apps", Folder::System,
        {
            text("Application_name", 60),
            text("Application_name_fr", 60),
            text("Application_pgm", 60),
            text("Application_about", 200),
            text("Application_about_fr", 200),
            text("Application_security", 60),
            logical("Application_type"),
            text("Application_directory", 240),
        },
        {});
    add("session", Folder::System,
        {
            integer("Session_id"),
            logical("Session_lock"),
        },
        {primary({"Session_id"})});
    add("virmem", Folder::System,
        {
            integer("Session_id"),
            logical("Session_lock"),
            family(money("Curr_"), 1, 24),
        },
        {primary({"Session_id"})});

    // Company folder: master tables.
    add("ctrl", Folder::Company,
        {
            integer("Ctrl_periods"),
            integer("Ctrl_gl_period"),
            integer("Ctrl_ar_period"),
            integer("Ctrl_ap_period"),
            integer("Ctrl_fa_period"),
            logical("Ctrl_eom_gl"),
            logical("Ctrl_eom_ar"),
            logical("Ctrl_eom_ap"),
            logical("Ctrl_eom_fa"),
            logical("Ctrl_eom_pa"),
            integer("Ctrl_date_fmt"),
            family(text("Ctrl_pl_name", 15), 1, 5),
            text("Ctrl_curr1_name", 30),
            number("Ctrl_curr1_rate"),
            text("Ctrl_curr1_sign", 2),
            text("Ctrl_curr2_name", 30),
            number("Ctrl_curr2_rate"),
            text("Ctrl_curr2_sign", 2),
            text("Ctrl_curr3_name", 30),
            number("Ctrl_curr3_rate"),
            text("Ctrl_curr3_sign", 2),
            text("Ctrl_curr4_name", 30),
            number("Ctrl_curr4_rate"),
            text("Ctrl_curr4_sign", 2),
            text("Ctrl_fed_tax_no", 20),
            text("Ctrl_pro_tax_no", 20),
            family(text("Ctrl_pmt_name", 15), 1, 10),
            family(integer("Ctrl_pmt_accnt"), 1, 10),
            integer("Ctrl_TaxSystem"),
            family(integer("Ctrl_ar_days"), 1, 5),
            family(text("Ctrl_ar_dname", 12), 1, 5),
            logical("Ctrl_PreserveSTDCost"),
            family(integer("Ctrl_bank_accnt"), 1, 5),
            family(integer("Ctrl_ap_days"), 1, 5),
            family(text("Ctrl_ap_dname", 12), 1, 5),
            integer("Ctrl_record_no"),
            number("Ctrl_fed_rate"),
            family(number("Ctrl_pro_rate"), 1, 10),
            date("Ctrl_payroll_start_date"),
            integer("Ctrl_ar_accnt"),
            integer("Ctrl_Pro_tax_accnt"),
            integer("Ctrl_fed_tax_accnt"),
            family(integer("Ctrl_sales_accnt"), 1, 8),
            family(integer("Ctrl_cr_accnt"), 1, 8),
            integer("Ctrl_ar_bal_for"),
            logical("Ctrl_ar_histo"),
            integer("Ctrl_ar_invoiceno"),
            integer("Ctrl_ap_accnt"),
            family(integer("Ctrl_ap_purch_accnt"), 1, 8),
            family(integer("Ctrl_ap_disb_accnt"), 1, 8),
            logical("Ctrl_ap_histo"),
            family(integer("Ctrl_ap_chqno"), 1, 5),
            integer("Ctrl_fa_invoice"),
            integer("Ctrl_fa_order"),
            integer("Ctrl_fa_quote"),
            integer("Ctrl_fa_backorder"),
            text("Ctrl_alt_key1", 15),
            text("Ctrl_alt_key2", 15),
            integer("Ctrl_general_sales_accnt"),
            family(integer("Ctrl_ap_curr"), 2, 5),
            text("Ctrl_dollars1", 30),
            text("Ctrl_cents1", 30),
        },
        {});
    add("cli", Folder::Company,
        {
            text("Cli_code", 10),
            text("Cli_name", 60),
            text("Cli_adr1", 40),
            text("Cli_adr2", 40),
            text("Cli_city", 40),
            text("Cli_prov", 40),
            text("Cli_country", 40),
            text("Cli_postal_code", 30),
            text("Cli_tel", 30),
            text("Cli_fax", 30),
            text("Cli_contact", 40),
            text("Cli_contact_tel", 30),
            text("Cli_email", 60),
            text("Cli_charge_to", 12),
            text("Cli_salesrep", 12),
            text("Cli_terr", 12),
            text("Cli_language", 1),
            text("Cli_bank", 40),
            text("Cli_bank_manager", 40),
            text("Cli_bank_tel", 30),
            integer("Cli_terms"),
            memo("Cli_ship_via", 40),
            date("Cli_date_created"),
            date("Cli_date_last_sale"),
            date("Cli_date_last_pmt"),
            logical("Cli_tax_fed"),
            logical("Cli_tax_pro"),
            logical("Cli_po_req"),
            integer("Cli_du_days"),
            integer("Cli_credit_limit"),
            integer("Cli_price_list"),
            number("Cli_discount"),
            money("Cli_current_bal"),
            date("Cli_nsf_date"),
            money("Cli_last_sale"),
            money("Cli_sales_mth"),
            money("Cli_sales_ytd"),
            memo("Cli_comments", 200),
            text("Cli_user", 10),
            timestamp("Cli_stamp"),
            integer("Cli_currency"),
            logical("Cli_credit_hold"),
            logical("Cli_block_orders"),
            integer("Cli_copies"),
            family(logical("Cli_tax"), 3, 12),
            logical("Cli_block_invoices"),
            logical("Cli_email_statements"),
            logical("Cli_email_invoices"),
            family(integer("Cli_accnt"), 1, 3),
            integer("Cli_invoice_format"),
        },
        {primary({"Cli_code"}), keyOrder({"Cli_name"})});
    add("sup", Folder::Company,
        {
            text("Sup_code", 10),         text("Sup_name", 60),
            text("Sup_adr1", 40),         text("Sup_adr2", 40),
            text("Sup_city", 40),         text("Sup_prov", 40),
            text("Sup_country", 40),      text("Sup_postal_code", 30),
            text("Sup_tel", 30),          text("Sup_fax", 30),
            text("Sup_contact", 40),      text("Sup_contact_tel", 30),
            text("Sup_email", 60),        text("Sup_terr", 12),
            text("Sup_language", 1),      date("Sup_date_created"),
            date("Sup_date_last_purch"),  date("Sup_date_last_pmt"),
            logical("Sup_po_req"),        integer("Sup_du_days"),
            integer("Sup_credit_limit"),  number("Sup_pmt_discount"),
            number("Sup_purch_discount"), money("Sup_current_bal"),
            money("Sup_last_purch"),      money("Sup_purch_mth"),
            money("Sup_purch_ytd"),       memo("Sup_comments", 200),
            integer("Sup_currency"),      text("Sup_user", 10),
            timestamp("Sup_stamp"),       integer("Sup_bank_account"),
            logical("Sup_email_po"),      family(integer("Sup_accnt"), 1, 3),
            integer("Sup_copies"),
        },
        {primary({"Sup_code"}), keyOrder({"Sup_name"})});
    // The children count is stored as Emp_nb_children: table and field names
    // are letters, digits and '_' in every engine, so a '#' has no place in them.
    add("emp", Folder::Company,
        {
            text("Emp_Code", 12),
            text("Emp_Name", 40),
            text("Emp_Adr1", 40),
            text("Emp_Adr2", 40),
            text("Emp_City", 40),
            text("Emp_province", 40),
            integer("Emp_prov_code"),
            text("Emp_Postal_code", 30),
            text("Emp_Telephone", 30),
            text("Emp_Occupation", 30),
            text("Emp_SIN", 9),
            date("Emp_Birth_Date"),
            date("Emp_Start_Date"),
            date("Emp_End_Date"),
            text("Emp_Pension", 30),
            integer("Emp_Dept"),
            text("Emp_Bank_Accnt", 30),
            logical("Emp_Active"),
            logical("Emp_Fixed_Calc"),
            logical("Emp_Hourly"),
            integer("Emp_pay_periods"),
            integer("Emp_period_comm"),
            number("Emp_Hours"),
            number("Emp_Hourly_Rate"),
            number("Emp_hours_per"),
            integer("Emp_UIC_Rate"),
            number("Emp_Vacation_Rate"),
            money("Emp_Gross"),
            money("Emp_Tax_Ben"),
            money("Emp_TD1"),
            money("Emp_MR_19_17"),
            money("Emp_MR_19C"),
            money("Emp_MR19_12"),
            money("Emp_TD3"),
            money("Emp_MR19_23"),
            money("Emp_YTD_Alimony"),
            money("Emp_Alimony"),
            integer("Emp_Tax_Code"),
            number("Emp_Commision_Rate"),
            money("Emp_Fed_Ben"),
            money("Emp_Pro_Ben"),
            money("Emp_YTD_Fed_Ben"),
            money("Emp_YTD_Tax_Ben"),
            money("Emp_YTD_Pro_Ben"),
            money("Emp_YTD_TD3"),
            money("Emp_YTD_MR19_23"),
            money("Emp_YTD_Gross"),
            money("Emp_YTD_Hours"),
            money("Emp_YTD_No_Tax"),
            money("Emp_YTD_Comissions"),
            money("Emp_YTD_UIC"),
            money("Emp_YTD_RRQ"),
            money("Emp_YTD_CPP"),
            money("Emp_YTD_UIC_Earn"),
            money("Emp_YTD_RRQ_Earn"),
            money("Emp_YTD_CPP_Earn"),
            money("Emp_YTD_Net_Sal"),
            money("Emp_YTD_Pension"),
            money("Emp_YTD_Fed_Tax"),
            money("Emp_YTD_Pro_Tax"),
            money("Emp_YTD_Vacation"),
            money("Emp_Ded1"),
            logical("Emp_Ded1_Type"),
            logical("Emp_Ded1_Taxable"),
            money("Emp_YTD_ded1"),
            money("Emp_Ded2"),
            logical("Emp_Ded2_Type"),
            logical("Emp_Ded2_Taxable"),
            money("Emp_YTD_ded2"),
            money("Emp_Ded3"),
            logical("Emp_Ded3_Type"),
            logical("Emp_Ded3_Taxable"),
            money("Emp_YTD_Ded3"),
            money("Emp_Ded4"),
            logical("Emp_Ded4_Type"),
            logical("Emp_Ded4_Taxable"),
            money("Emp_YTD_Ded4"),
            money("Emp_Ded5"),
            logical("Emp_Ded5_Type"),
            logical("Emp_Ded5_Taxable"),
            money("Emp_YTD_Ded5"),
            money("Emp_Ded6"),
            logical("Emp_Ded6_Type"),
            logical("Emp_Ded6_Taxable"),
            money("Emp_YTD_Ded6"),
            money("Emp_Ded7"),
            logical("Emp_Ded7_Type"),
            logical("EMP_Ded7_Taxable"),
            money("Emp_YTD_Ded7"),
            money("Emp_Ded8"),
            logical("Emp_Ded8_Type"),
            logical("Emp_Ded8_Taxable"),
            money("Emp_YTD_Ded8"),
            money("Emp_Ded9"),
            logical("Emp_Ded9_Type"),
            logical("Emp_Ded9_Taxable"),
            money("Emp_YTD_Ded9"),
            money("Emp_Ded10"),
            logical("Emp_Ded10_Type"),
            logical("Emp_Ded10_Taxable"),
            money("Emp_YTD_Ded10"),
            logical("Emp_sex"),
            logical("Emp_highschool"),
            logical("Emp_college"),
            logical("Emp_universite"),
            logical("Emp_masters"),
            logical("Emp_phd"),
            text("Emp_college_degree", 20),
            text("Emp_universite_degree", 20),
            text("Emp_master_degree", 20),
            text("Emp_phd_degree", 20),
            text("Emp_spouse", 40),
            shortInteger("Emp_nb_children"),
            text("Emp_Emergency_tel", 20),
            money("Emp_starting_pay"),
            logical("Emp_starting_hourly"),
            text("Emp_starting_position", 20),
            money("Emp_current_pay"),
            logical("Emp_current_hourly"),
            text("Emp_current_position", 20),
            text("Emp_vacation_entitlement", 10),
            date("Emp_vacation_from_1"),
            date("Emp_vacation_to_1"),
            date("Emp_vacation_from_2"),
            date("Emp_vacation_to_2"),
            date("Emp_vacation_from_3"),
            date("Emp_vacation_to_3"),
            family(text("Emp_training_course_", 20), 1, 5),
            family(date("Emp_training_date_"), 1, 5),
            family(number("Emp_training_hours_"), 1, 5),
            family(logical("Emp_training_inhouse_"), 1, 5),
            family(logical("Emp_training_completed_"), 1, 5),
            memo("Emp_carrer_objectives", 40),
            date("Emp_next_review"),
            date("Emp_current_review"),
            logical("Emp_curr_excellent"),
            logical("Emp_curr_verygood"),
            logical("Emp_curr_good"),
            logical("Emp_curr_satisfactory"),
            logical("Emp_curr_other"),
            memo("Emp_curr_memo", 40),
            date("Emp_prev_review"),
            logical("Emp_prev_excellent"),
            logical("Emp_prev_verygood"),
            logical("Emp_prev_good"),
            logical("Emp_prev_satisfactory"),
            logical("Emp_prev_other"),
            memo("Emp_prev_memo", 40),
            shortInteger("Emp_no_pay"),
            money("Emp_ytd_bonus"),
            money("Emp_ytd_mr19_17"),
        },
        {primary({"Emp_Code"})});
    add("glm", Folder::Company,
        {
            integer("Glm_account"),
            text("Glm_Description", 60),
            text("Glm_type", 15),
            text("Glm_summarize", 1),
            family(money("Glm_budget"), 1, 14),
            family(money("Glm_current"), 1, 14),
            family(money("Glm_ly"), 1, 14),
            text("Glm_user", 10),
            timestamp("Glm_stamp"),
        },
        {primary({"Glm_account"})});
    add("trkdb", Folder::Company,
        {
            integer("Trkdb_account"),
            text("Trkdb_name", 60),
            integer("Trkdb_type"),
        },
        {primary({"Trkdb_account"})});
    add("Periods", Folder::Company,
        {
            integer("Period_no"),
            text("Period_mth", 20),
        },
        {primary({"Period_no"})});
    add("taxrates", Folder::Company,
        {
            integer("TaxRates_Account"),
            text("TaxRates_Description", 40),
            number("TaxRates_Rate"),
            integer("TaxRates_Code"),
        },
        {keyOrder({"TaxRates_Account"})});
    add("taxratesP", Folder::Company,
        {
            integer("TaxRates_Account"),
            text("TaxRates_Description", 40),
            number("TaxRates_Rate"),
            integer("TaxRates_Code"),
        },
        {keyOrder({"TaxRates_Account"})});
    add("arterms", Folder::Company,
        {
            integer("Arterms_code"),
            text("Arterms_desc", 40),
            integer("Arterms_days"),
        },
        {primary({"Arterms_code"})});
    add("slsm", Folder::Company,
        {
            text("Slsm_code", 10),
            text("Slsm_nom", 40),
            number("Slsm_taux1"),
        },
        {primary({"Slsm_code"})});
    add("ivctrl", Folder::Company,
        {
            family(text("Ivctrl_pl_name", 15), 6, 9),
            integer("Ivctrl_inv_accnt"),
            integer("Ivctrl_period_no"),
            logical("Ivctrl_gl"),
            integer("Ivctrl_fifo"),
            number("Ivctrl_pm_ns"),
            logical("Ivctrl_auto_numbering"),
            logical("Ivctrl_block_orders"),
            integer("Ivctrl_po_number"),
        },
        {});
    add("ivprod", Folder::Company,
        {
            text("Ivprod_line_code", 3),
            text("Ivprod_item_code", 18),
            text("Ivprod_desc_1", 40),
            text("Ivprod_sup1", 10),
            family(number("Ivprod_price"), 1, 9),
            number("Ivprod_std_cost"),
            text("Ivprod_upc", 40),
            text("Ivprod_desc_2", 40),
            text("Ivprod_um", 3),
            logical("Ivprod_tax1"),
            logical("Ivprod_tax2"),
            date("Ivprod_date_created"),
            text("Ivprod_sup2", 10),
            integer("Ivprod_inv_accnt"),
            integer("Ivprod_sales_accnt"),
            integer("Ivprod_cost_accnt"),
            text("Ivprod_alt_key1", 21),
            text("Ivprod_alt_key2", 21),
            text("Ivprod_equiv", 21),
            family(integer("Ivprod_vol"), 1, 9),
            logical("Ivprod_labels"),
            date("Ivprod_date_last_price"),
            number("Ivprod_price_unit"),
            number("Ivprod_core_price"),
            number("Ivprod_core_cost"),
            logical("Ivprod_serial_no"),
            logical("Ivprod_lot_no"),
            logical("Ivprod_kit"),
            number("Ivprod_commission_pct"),
            number("Ivprod_pkg_qty"),
            number("Ivprod_pkg_vol"),
            number("Ivprod_pkg_wght"),
            text("Ivprod_dimension", 40),
            text("Ivprod_pakaging_desc", 40),
            logical("Ivprod_VolumeProduct"),
        },
        {primary({"Ivprod_line_code", "Ivprod_item_code"}),
         keyOrder({"Ivprod_alt_key1", "Ivprod_line_code", "Ivprod_item_code"}),
         keyOrder({"Ivprod_alt_key2", "Ivprod_line_code", "Ivprod_item_code"})});
    add("ivinv", Folder::Company,
        {
            text("Ivinv_Line_Code", 3),
            text("Ivinv_item_code", 15),
            integer("Ivinv_store"),
            text("Ivinv_bin", 10),
            integer("Ivinv_lead_days"),
            family(number("Ivinv_qty"), 1, 5),
            text("Ivinv_class", 4),
            date("Ivinv_date_lst_sale"),
            date("Ivinv_date_lst_rc"),
            integer("Ivinv_min"),
            integer("Ivinv_max"),
            integer("Ivinv_min_order"),
            integer("Ivinv_max_order"),
            number("Ivinv_on_order"),
            number("Ivinv_backorder"),
            number("Ivinv_defect"),
            number("Ivinv_mth_start_qty"),
            number("Ivinv_core"),
            number("Ivinv_core_sold"),
            family(number("Ivinv_cost"), 1, 5),
            family(date("Ivinv_date_cost"), 1, 5),
            number("Ivinv_on_hand"),
            number("Ivinv_cli_order"),
            number("Ivinv_mth_sold"),
            number("Ivinv_mth_rec"),
            number("Ivinv_mth_adj"),
            number("Ivinv_mth_trans"),
            number("Ivinv_mth_defect"),
            number("Ivinv_mth_purch"),
            number("Ivinv_mth_core_sold"),
            number("Ivinv_mth_core_ret"),
            number("Ivinv_mth_dols_sold"),
            number("Ivinv_mth_dols_cost"),
            number("Ivinv_ytd_sold"),
            number("Ivinv_ytd_rec"),
            number("Ivinv_ytd_adj"),
            number("Ivinv_ytd_trans"),
            number("Ivinv_ytd_defect"),
            number("Ivinv_ytd_purch"),
            number("Ivinv_ytd_core_sold"),
            number("Ivinv_ytd_core_ret"),
            number("Ivinv_ytd_dols_sold"),
            number("Ivinv_ytd_dols_cost"),
            number("Ivinv_floor_min"),
            number("Ivinv_physical1"),
            number("Ivinv_physical2"),
            family(number("Ivinv_qty_hist"), 0, 12),
            integer("Ivinv_CylindersOnHand"),
        },
        {primary({"Ivinv_Line_Code", "Ivinv_item_code", "Ivinv_store"})});
    add("ivmag", Folder::Company,
        {
            integer("Ivmag_store_number"),
            text("Ivmag_store_name", 40),
        },
        {primary({"Ivmag_store_number"})});
    add("jcProject", Folder::Company,
        {
            text("JcProject_No", 10),
            shortInteger("JcProject_Fact"),
        },
        {primary({"JcProject_No"})});
    add("jcPhase", Folder::Company,
        {
            autoIncrement("JcPhase_No"),
            text("JcPhase_Code", 10),
        },
        {primary({"JcPhase_No"}), keyOrder({"JcPhase_Code"})});
    add("JcElem", Folder::Company,
        {
            text("JcElem_Code", 10),
            text("JcElem_Description", 50),
            text("JcElem_UM", 5),
        },
        {primary({"JcElem_Code"})});
    add("jcBudgetHdr", Folder::Company,
        {
            text("JcBudHdr_Project", 10),
            text("JcBudHdr_Phase", 10),
        },
        {primary({"JcBudHdr_Project", "JcBudHdr_Phase"})});
    add("car", Folder::Company,
        {
            text("Car_client", 10),
            text("Car_invoice", 10),
            text("Car_ref", 10),
            date("Car_date"),
            text("Car_type", 1),
            autoIncrement("Car_seq"),
            date("Car_du_date"),
            money("Car_amount"),
            memo("Car_memo", 200),
            text("Car_slsm", 10),
            money("Car_pro_tax"),
            money("Car_fed_tax"),
            text("Car_user", 10),
            timestamp("Car_stamp"),
        },
        {primary({"Car_client", "Car_invoice", "Car_ref", "Car_date", "Car_type", "Car_seq"}),
         keyOrder({"Car_client"})});
    add("carh", Folder::Company,
        {
            text("Car_client", 10),
            text("Car_invoice", 10),
            text("Car_ref", 10),
            date("Car_date"),
            text("Car_type", 1),
            autoIncrement("Car_seq"),
            date("Car_du_date"),
            money("Car_amount"),
            memo("Car_memo", 200),
            text("Car_slsm", 10),
            money("Car_pro_tax"),
            money("Car_fed_tax"),
            text("Car_user", 10),
            timestamp("Car_stamp"),
        },
        {primary({"Car_client", "Car_invoice", "Car_ref", "Car_date", "Car_type", "Car_seq"}),
         keyOrder({"Car_client"})});
    add("arori", Folder::Company,
        {
            text("Reference", 10),
            text("Client", 10),
            date("Date"),
            autoIncrement("Seq"),
            date("Due_date"),
            logical("Direct_cash_sale"),
            text("Trx_type", 1),
            text("Dr_cr_reference", 10),
            memo("Comments", 240),
            family(integer("Account"), 1, 15),
            family(money("Debit"), 1, 15),
            family(money("Credit"), 1, 15),
            timestamp("Stamp"),
            text("User", 20),
            logical("DebitCredit"),
        },
        {primary({"Reference", "Client", "Date", "Seq"}), keyOrder({"Reference", "Client", "Date"})});
    add("crorihdr", Folder::Company,
        {
            text("Reference", 10),
            text("Client", 10),
            date("Date"),
            autoIncrement("Seq"),
            logical("Not_from_cli"),
            logical("Nsf_cheque"),
            memo("Comments", 240),
            family(integer("Account"), 1, 20),
            family(money("Debit"), 1, 20),
            family(money("Credit"), 1, 20),
            text("User", 20),
            timestamp("Stamp"),
        },
        {primary({"Reference", "Client", "Date", "Seq"}), keyOrder({"Reference", "Client", "Date"})});
    add("croridet", Folder::Company,
        {
            text("Reference", 10),
            text("Client", 10),
            date("Date"),
            integer("Header_seq"),
            autoIncrement("Seq"),
            text("Invoice", 10),
            date("Invoice_date"),
            date("Invoice_due_date"),
            money("Invoice_amount"),
            money("Invoice_payment"),
        },
        {primary({"Reference", "Client", "Date", "Header_seq", "Seq"}),
         keyOrder({"Reference", "Client", "Date", "Header_seq"})});
    add("fahdr", Folder::Company,
        {
            text("Fahdr_doc", 1),
            text("Fahdr_invoice", 10),
            text("Fahdr_client", 10),
            integer("Fahdr_order"),
            date("Fahdr_date"),
            date("Fahdr_du_date"),
            text("Fahdr_slsm", 10),
            number("Fahdr_comm"),
            text("Fahdr_shp_nom", 40),
            text("Fahdr_shp_adr1", 40),
            text("Fahdr_shp_adr2", 40),
            text("Fahdr_shp_city", 40),
            text("Fahdr_shp_prov", 40),
            text("Fahdr_shp_cp", 12),
            text("Fahdr_shp_country", 40),
            text("Fahdr_shp_tel", 20),
            text("Fahdr_charge_to", 10),
            integer("Fahdr_terms"),
            text("Fahdr_po", 20),
            date("Fahdr_date_shp"),
            text("Fahdr_ship_via", 40),
            money("Fahdr_total"),
            money("Fahdr_tax1"),
            money("Fahdr_tax2"),
            money("Fahdr_g_total"),
            memo("Fahdr_memo", 200),
            date("Fahdr_date_order"),
            time("Fahdr_time_order"),
            time("Fahdr_time_invoice"),
            integer("Fahdr_status"),
            family(money("Fahdr_pmt"), 1, 10),
            money("Fahdr_pmt_received"),
            money("Fahdr_tender"),
            text("Fahdr_user", 10),
            timestamp("Fahdr_stamp"),
            integer("Fahdr_duration"),
            date("Fahdr_start_date"),
            date("Fahdr_end_date"),
            integer("Fahdr_type"),
            date("Fahdr_last_invoice_date"),
            date("Fahdr_next_invoice_date"),
            integer("Fahdr_dys_mths_yrs"),
            integer("Fahdr_store"),
        },
        {primary({"Fahdr_doc", "Fahdr_invoice"}), keyOrder({"Fahdr_client"})});
    add("fadet", Folder::Company,
        {
            text("Fadet_doc", 1),       text("Fadet_invoice", 10),    autoIncrement("Fadet_line"),
            text("Fadet_line_code", 3), text("Fadet_item_code", 20),  text("Fadet_desc", 80),
            logical("Fadet_kit"),       logical("Fadet_core"),        number("Fadet_core_cost"),
            number("Fadet_qty_order"),  number("Fadet_qty_ship"),     logical("Fadet_bo"),
            logical("Fadet_tax1_code"), logical("Fadet_tax2_code"),   number("Fadet_price"),
            number("Fadet_discount"),   integer("Fadet_sales_accnt"), integer("Fadet_cost_accnt"),
            money("Fadet_cost"),        money("Fadet_total"),         money("Fadet_tax1"),
            money("Fadet_tax2"),        text("Fadet_bin_loc", 6),     number("Fadet_perc_comm"),
            text("Fadet_Serial", 20),
        },
        {primary({"Fadet_doc", "Fadet_invoice", "Fadet_line"}), keyOrder({"Fadet_doc", "Fadet_invoice"})});
    add("fahdra", Folder::Company,
        {
            text("Fahdra_doc", 1),
            text("Fahdra_invoice", 10),
            text("Fahdra_client", 10),
            integer("Fahdra_order"),
            date("Fahdra_date"),
            date("Fahdra_du_date"),
            text("Fahdra_slsm", 10),
            number("Fahdra_comm"),
            text("Fahdra_shp_nom", 40),
            text("Fahdra_shp_adr1", 40),
            text("Fahdra_shp_adr2", 40),
            text("Fahdra_shp_city", 40),
            text("Fahdra_shp_prov", 40),
            text("Fahdra_shp_cp", 12),
            text("Fahdra_shp_country", 40),
            text("Fahdra_shp_tel", 20),
            text("Fahdra_charge_to", 10),
            integer("Fahdra_terms"),
            text("Fahdra_po", 20),
            date("Fahdra_date_shp"),
            text("Fahdra_ship_via", 40),
            money("Fahdra_total"),
            money("Fahdra_tax1"),
            money("Fahdra_tax2"),
            money("Fahdra_g_total"),
            memo("Fahdra_memo", 200),
            date("Fahdra_date_order"),
            time("Fahdra_time_order"),
            time("Fahdra_time_invoice"),
            integer("Fahdra_status"),
            family(money("Fahdra_pmt"), 1, 10),
            money("Fahdra_pmt_received"),
            money("Fahdra_tender"),
            integer("Fahdra_duration"),
            date("Fahdra_start_date"),
            date("Fahdra_end_date"),
            integer("Fahdra_type"),
            date("Fahdra_last_invoice_date"),
            date("Fahdra_next_invoice_date"),
            integer("Fahdra_dys_mths_yrs"),
            integer("Fahdra_store"),
        },
        {primary({"Fahdra_doc", "Fahdra_invoice"}), keyOrder({"Fahdra_client"})});
    add("fadeta", Folder::Company,
        {
            text("Fadeta_doc", 1),       text("Fadeta_invoice", 10),    autoIncrement("Fadeta_line"),
            text("Fadeta_line_code", 3), text("Fadeta_item_code", 20),  text("Fadeta_desc", 80),
            logical("Fadeta_kit"),       logical("Fadeta_core"),        money("Fadet_core_cost"),
            number("Fadeta_qty_order"),  number("Fadeta_qty_ship"),     logical("Fadeta_bo"),
            logical("Fadeta_tax1_code"), logical("Fadeta_tax2_code"),   number("Fadeta_price"),
            number("Fadeta_discount"),   integer("Fadeta_sales_accnt"), integer("Fadeta_cost_accnt"),
            money("Fadeta_cost"),        money("Fadeta_total"),         money("Fadeta_tax1"),
            money("Fadeta_tax2"),        text("Fadeta_bin_loc", 6),     number("Fadeta_perc_comm"),
            text("Fadeta_Serial", 20),
        },
        {primary({"Fadeta_doc", "Fadeta_invoice", "Fadeta_line"}), keyOrder({"Fadeta_doc", "Fadeta_invoice"})});
    add("svstatc", Folder::Company,
        {
            text("Svstatc_client", 10),
            family(money("Svstatc_dols"), 1, 52),
            family(money("Svstatc_cost"), 1, 52),
            family(number("Svstatc_Qty"), 1, 52),
            date("Svstatc_date"),
            integer("Svstatc_invoice"),
            money("Svstatc_total"),
        },
        {primary({"Svstatc_client"})});
    add("psvstatc", Folder::Company,
        {
            text("Svstatc_client", 10),
            family(money("Svstatc_dols"), 1, 52),
            family(money("Svstatc_cost"), 1, 52),
            family(number("Svstatc_Qty"), 1, 52),
            date("Svstatc_date"),
            integer("Svstatc_invoice"),
            money("Svstatc_total"),
        },
        {primary({"Svstatc_client"})});
    add("FaCylinder", Folder::Company,
        {
            text("FaCylinder_Client", 10),
            text("FaCylinder_Line_Code", 3),
            text("FaCylinder_Item_Code", 20),
            integer("FaCylinder_Store"),
            autoIncrement("FaCylinder_Inc"),
            text("FaCylinder_Invoice", 10),
            date("FaCylinder_date"),
            text("FaCylinder_PO", 10),
            number("FaCylinder_Delivered"),
            number("FaCylinder_Received"),
            number("FaCylinder_Net"),
            number("FaCylinder_Opening"),
        },
        {primary({"FaCylinder_Client", "FaCylinder_Inc"}), keyOrder({"FaCylinder_Client"})});
    add("CliCyln", Folder::Company,
        {
            text("FaCylinder_Client", 10),
            text("FaCylinder_Line_Code", 3),
            text("FaCylinder_Item_Code", 20),
            autoIncrement("FaCylinder_Inc"),
            number("FaCylinder_Delivered"),
            number("FaCylinder_Received"),
            number("FaCylinder_Net"),
            text("FaCylinder_description", 60),
        },
        {primary({"FaCylinder_Client", "FaCylinder_Line_Code", "FaCylinder_Item_Code"})});
    add("cap", Folder::Company,
        {
            text("Cap_supplier", 10),
            text("Cap_invoice", 10),
            text("Cap_ref", 10),
            date("Cap_date"),
            text("Cap_type", 1),
            autoIncrement("Cap_seq"),
            date("Cap_du_date"),
            money("Cap_amount"),
            memo("Cap_memo", 200),
            text("Cap_user", 10),
            timestamp("Cap_stamp"),
        },
        {primary({"Cap_supplier", "Cap_invoice", "Cap_ref", "Cap_date", "Cap_type", "Cap_seq"}),
         keyOrder({"Cap_supplier"})});
    add("caph", Folder::Company,
        {
            text("Cap_supplier", 10),
            text("Cap_invoice", 10),
            text("Cap_ref", 10),
            date("Cap_date"),
            text("Cap_type", 1),
            autoIncrement("Cap_seq"),
            date("Cap_du_date"),
            money("Cap_amount"),
            memo("Cap_memo", 200),
            text("Cap_user", 10),
            timestamp("Cap_stamp"),
        },
        {primary({"Cap_supplier", "Cap_invoice", "Cap_ref", "Cap_date", "Cap_type", "Cap_seq"}),
         keyOrder({"Cap_supplier"})});
    add("apori", Folder::Company,
        {
            text("Reference", 10),
            text("Supplier", 10),
            date("Date"),
            autoIncrement("Seq"),
            date("Due_date"),
            logical("Direct_cash_purchase"),
            text("Trx_type", 1),
            text("Dr_cr_reference", 10),
            memo("Comments", 240),
            text("PO", 10),
            family(integer("Account"), 1, 15),
            family(money("Debit"), 1, 15),
            family(money("Credit"), 1, 15),
            timestamp("Stamp"),
            text("User", 20),
            logical("DebitCredit"),
        },
        {primary({"Reference", "Supplier", "Date", "Seq"}), keyOrder({"Reference", "Supplier", "Date"})});
    add("cdorihdr", Folder::Company,
        {
            text("Reference", 10),
            text("Supplier", 10),
            date("Date"),
            autoIncrement("Seq"),
            logical("Not_to_sup"),
            memo("Comments", 240),
            family(integer("Account"), 1, 20),
            family(money("Debit"), 1, 20),
            family(money("Credit"), 1, 20),
            text("User", 20),
            timestamp("Stamp"),
        },
        {primary({"Reference", "Supplier", "Date", "Seq"}), keyOrder({"Reference", "Supplier", "Date"})});
    add("cdoridet", Folder::Company,
        {
            text("Reference", 10),
            text("Supplier", 10),
            date("Date"),
            integer("Header_seq"),
            autoIncrement("Seq"),
            text("Invoice", 10),
            date("Invoice_date"),
            date("Invoice_due_date"),
            money("Invoice_amount"),
            money("Invoice_payment"),
        },
        {primary({"Reference", "Supplier", "Date", "Header_seq", "Seq"}),
         keyOrder({"Reference", "Supplier", "Date", "Header_seq"})});
    add("cfhdr", Folder::Company,
        {
            text("Cfhdr_doc", 1),          text("Cfhdr_order_number", 10),
            text("Cfhdr_supplier", 10),    date("Cfhdr_date"),
            date("Cfhdr_date_req"),        date("Cfhdr_date_prom"),
            text("Cfhdr_shp_to", 10),      text("Cfhdr_shp_nom", 40),
            text("Cfhdr_shp_adr1", 40),    text("Cfhdr_shp_adr2", 40),
            text("Cfhdr_shp_city", 40),    text("Cfhdr_shp_prov", 40),
            text("Cfhdr_shp_cp", 12),      text("Cfhdr_shp_country", 40),
            text("Cfhdr_shp_tel", 20),     date("Cfhdr_date_received"),
            text("Cfhdr_ship_via", 40),    money("Cfhdr_total"),
            money("Cfhdr_total_received"), memo("Cfhdr_memo", 200),
            integer("Cfhdr_store"),        text("cfhdr_project", 10),
            integer("cfhdr_period"),
        },
        {primary({"Cfhdr_doc", "Cfhdr_order_number"}), keyOrder({"Cfhdr_supplier"})});
    add("cfdet", Folder::Company,
        {
            text("Cfdet_doc", 1),
            text("Cfdet_order_number", 10),
            autoIncrement("Cfdet_line"),
            text("Cfdet_line_code", 3),
            text("Cfdet_item_code", 20),
            text("Cfdet_desc", 60),
            number("Cfdet_qty_order"),
            number("Cfdet_qty_received"),
            number("Cfdet_price"),
            number("Cfdet_discount"),
            money("Cfdet_total"),
            text("Cfdet_bin_loc", 6),
        },
        {primary({"Cfdet_doc", "Cfdet_order_number", "Cfdet_line"}),
         keyOrder({"Cfdet_doc", "Cfdet_line_code", "Cfdet_item_code", "Cfdet_order_number"}),
         keyOrder({"Cfdet_doc", "Cfdet_order_number"})});
    add("cfrhd", Folder::Company,
        {
            text("Cfrhd_packing_slip", 10), text("Cfrhd_order_number", 10),
            text("Cfrhd_supplier", 10),     date("Cfrhd_date"),
            date("Cfrhd_date_req"),         date("Cfrhd_date_prom"),
            text("Cfrhd_shp_to", 10),       text("Cfrhd_shp_nom", 40),
            text("Cfrhd_shp_adr1", 40),     text("Cfrhd_shp_adr2", 40),
            text("Cfrhd_shp_city", 40),     text("Cfrhd_shp_prov", 40),
            text("Cfrhd_shp_cp", 12),       text("Cfrhd_shp_country", 40),
            text("Cfrhd_shp_tel", 20),      date("Cfhrd_date_received"),
            text("Cfrhd_ship_via", 40),     money("Cfrhd_total"),
            money("Cfrhd_total_received"),  memo("Cfrhd_memo", 200),
            integer("Cfrhd_store"),         text("Cfrhd_Project", 10),
        },
        {primary({"Cfrhd_packing_slip"})});
    add("cfrdet", Folder::Company,
        {
            text("Cfrdet_paking_slip", 10),
            autoIncrement("Cfrdet_line"),
            text("Cfrdet_order_number", 10),
            text("Cfrdet_line_code", 3),
            text("Cfrdet_item_code", 20),
            text("Cfrdet_desc", 60),
            number("Cfrdet_qty_order"),
            number("Cfrdet_qty_received"),
            number("Cfrdet_price"),
            number("Cfrdet_discount"),
            money("Cfrdet_total"),
            text("Cfrdet_bin_loc", 6),
            logical("Cfrdet_from_po"),
            integer("Cfrdet_CylindersReceived"),
        },
        {primary({"Cfrdet_paking_slip", "Cfrdet_line"}), keyOrder({"Cfrdet_paking_slip"})});
    add("sastats", Folder::Company,
        {
            text("Supplier", 10),
            family(money("Cost"), 1, 12),
            family(number("Qty"), 1, 12),
            date("Date"),
            integer("PO"),
            money("Total"),
        },
        {primary({"Supplier"})});
    add("psastats", Folder::Company,
        {
            text("Supplier", 10),
            family(money("Cost"), 1, 12),
            family(number("Qty"), 1, 12),
            date("Date"),
            integer("PO"),
            money("Total"),
        },
        {primary({"Supplier"})});
    add("sastatsp", Folder::Company,
        {
            text("Supplier", 10),
            text("Line_code", 3),
            text("Item_code", 20),
            family(money("Cost"), 1, 12),
            family(number("Qty"), 1, 12),
            date("Date"),
            integer("PO"),
            money("Cost"),
            money("Total"),
        },
        {primary({"Supplier", "Line_code", "Item_code"})});
    add("sastatp", Folder::Company,
        {
            text("Line_code", 3),
            text("Item_code", 20),
            family(money("Cost"), 1, 12),
            family(number("Qty"), 1, 12),
            date("Date"),
            integer("PO"),
            money("Cost"),
            money("Total"),
        },
        {primary({"Line_code", "Item_code"})});
    add("sastatmp", Folder::Company,
        {
            integer("Store"),
            text("Line_code", 3),
            text("Item_code", 20),
            family(money("Cost"), 1, 12),
            family(number("Qty"), 1, 12),
            date("Date"),
            integer("PO"),
            money("Cost"),
            money("Total"),
        },
        {primary({"Store", "Line_code", "Item_code"})});
    add("ivtrxhh", Folder::Company,
        {
            text("Ivtrxh_reference", 15),
            date("Ivtrxh_date"),
            autoIncrement("Ivtrxh_seq"),
            integer("Ivtrxh_store"),
            text("Ivtrxh_supplier", 10),
            text("Ivtrxh_client", 10),
            text("Ivtrxh_project", 10),
            text("Ivtrxh_phase", 10),
            text("Ivtrxh_type", 30),
            memo("Ivtrxh_comment", 240),
            integer("Ivtrxh_TypeCode"),
        },
        {primary({"Ivtrxh_reference", "Ivtrxh_seq"}), keyOrder({"Ivtrxh_reference"})});
    add("ivtrxdh", Folder::Company,
        {
            text("Ivtrxd_reference", 15),
            date("Ivtrxd_date"),
            text("Ivtrxd_line_code", 3),
            text("Ivtrxd_item_code", 20),
            autoIncrement("Ivtrxd_seq"),
            number("Ivtrxd_qty"),
            number("Ivtrxd_cost"),
            number("Ivtrxd_balance"),
            integer("Ivtrxd_store"),
            text("Ivtrxd_desc", 40),
        },
        {primary({"Ivtrxd_reference", "Ivtrxd_seq"}), keyOrder({"Ivtrxd_reference"})});
    add("ivserin", Folder::Company,
        {
            text("Ivserin_line_code", 3),
            text("Ivserin_item_code", 20),
            text("Ivserin_serial", 40),
            integer("Ivserin_store"),
            text("Ivserin_PO", 10),
            text("Ivserin_supplier", 10),
            date("Ivserin_date"),
            number("Ivserin_qty"),
            memo("Ivserin_comments", 200),
            logical("Ivserin_type"),
        },
        {keyOrder({"Ivserin_line_code", "Ivserin_item_code", "Ivserin_serial"})});
    add("cfpkey", Folder::Company,
        {
            text("Cfpkey_line_code", 3),
            text("Cfpkey_item_code", 20),
            integer("Cfpkey_store"),
            text("Cfpkey_order", 10),
            integer("Cfpkey_line"),
            text("Cfpkey_supplier", 10),
            number("Cfpkey_qty"),
            number("Cfpkey_cost"),
            date("Cfpkey_date"),
        },
        {primary({"Cfpkey_line_code", "Cfpkey_item_code", "Cfpkey_store", "Cfpkey_order"})});
    add("tjlh", Folder::Company,
        {
            integer("Tjlh_period"),
            integer("Tjlh_journal"),
            text("Tjlh_reference", 30),
            date("Tjlh_date"),
            text("Tjlh_type", 30),
            money("Tjlh_tot_debit"),
            money("Tjlh_tot_credit"),
            memo("Tjlh_memo", 240),
            text("Tjlh_user", 10),
            timestamp("Tjlh_stamp"),
        },
        {keyOrder({"Tjlh_period", "Tjlh_journal", "Tjlh_reference", "Tjlh_date"})});
    add("tjld", Folder::Company,
        {
            integer("Tjld_period"),
            integer("Tjld_journal"),
            text("Tjld_reference", 30),
            date("Tjld_date"),
            autoIncrement("Tjld_autoinc"),
            integer("Tjld_account"),
            money("Tjld_debit"),
            money("Tjld_credit"),
            text("Tjld_description", 60),
        },
        {primary({"Tjld_period", "Tjld_journal", "Tjld_reference", "Tjld_date", "Tjld_autoinc"})});
    add("gla", Folder::Company,
        {
            integer("Gla_accnt"),
            integer("Gla_period"),
            integer("Gla_jrnl"),
            date("Gla_date"),
            text("Gla_reference", 20),
            money("Gla_amount"),
            text("Gla_type", 1),
            memo("Gla_desc", 200),
        },
        {keyOrder({"Gla_accnt", "Gla_period"})});
    add("jcTrans", Folder::Company,
        {
            integer("JcTrans_Seq"),
            text("JcTrans_Project", 10),
            text("JcTrans_Phase", 10),
            text("JcTrans_Comp", 10),
            date("JcTrans_Date"),
            integer("JcTrans_Type"),
            number("JcTrans_Vol"),
            money("JcTrans_Taux"),
            integer("JcTrans_Period"),
            text("JcTrans_Ref", 20),
            text("JcTrans_Desc", 40),
            text("JcTrans_UM", 5),
            money("JcTrans_Tot"),
            integer("JcTrans_Source"),
            timestamp("JcTrans_Stamp"),
            text("JcTrans_User", 10),
            text("JcTrans_TypeDesc", 25),
        },
        {primary({"JcTrans_Seq"}), keyOrder({"JcTrans_Project", "JcTrans_Phase"})});
    add("taxrepP", Folder::Company,
        {
            integer("TaxRep_Code"),
            text("TaxRep_Reference", 10),
            autoIncrement("TaxRep_Inc"),
            date("TaxRep_Date"),
            money("TaxRep_Gross"),
            money("TaxRep_VAT"),
            logical("TaxRep_Purchase"),
            integer("TaxRep_TypeCode"),
        },
        {primary({"TaxRep_Inc"}), keyOrder({"TaxRep_Code", "TaxRep_Date"})});
    add("CaxJC", Folder::Company,
        {
            text("Project", 10),
            text("Phase", 10),
            text("Element", 10),
            number("Quantity"),
            number("Rate"),
            money("Amount"),
        },
        {});
    add("VatTmp", Folder::Company,
        {
            text("Description", 40),
            number("Rate"),
            number("TaxAmount"),
            number("TotalAmount"),
            integer("Type"),
        },
        {});
    add("Cartmp", Folder::Company,
        {
            text("Cartmp_client", 10),
            text("Cartmp_invoice", 10),
            text("Cartmp_ref", 10),
            date("Cartmp_date"),
            text("Cartmp_type", 1),
            integer("Cartmp_seq"),
            money("Cartmp_balance"),
        },
        {primary({"Cartmp_client", "Cartmp_invoice", "Cartmp_ref", "Cartmp_date", "Cartmp_type", "Cartmp_seq"})});
    add("captmp", Folder::Company,
        {
            text("Captmp_supplier", 10),
            text("Captmp_invoice", 10),
            text("Captmp_ref", 10),
            date("Captmp_date"),
            text("Captmp_type", 1),
            integer("Captmp_seq"),
            money("Captmp_balance"),
        },
        {primary({"Captmp_supplier", "Captmp_invoice", "Captmp_ref", "Captmp_date", "Captmp_type", "Captmp_seq"})});
    add("cfrdet01", Folder::Company,
        {
            text("Cfrdet_paking_slip", 10),
            autoIncrement("Cfrdet_line"),
            text("Cfrdet_order_number", 10),
            text("Cfrdet_line_code", 3),
            text("Cfrdet_item_code", 20),
            text("Cfrdet_desc", 60),
            number("Cfrdet_qty_order"),
            number("Cfrdet_qty_received"),
            number("Cfrdet_price"),
            number("Cfrdet_discount"),
            money("Cfrdet_total"),
            text("Cfrdet_bin_loc", 6),
            logical("Cfrdet_from_po"),
        },
        {primary({"Cfrdet_paking_slip", "Cfrdet_line"})});
    add("ivserintmp", Folder::Company,
        {
            text("Ivserin_line_code", 3),
            text("Ivserin_item_code", 20),
            autoIncrement("Ivserin_seq"),
            text("Ivserin_serial", 40),
            integer("Ivserin_store"),
            text("Ivserin_PO", 10),
            text("Ivserin_supplier", 10),
            date("Ivserin_date"),
            number("Ivserin_qty"),
            memo("Ivserin_comments", 200),
            logical("Ivserin_type"),
            integer("Ivserin_Count"),
        },
        {keyOrder({"Ivserin_line_code", "Ivserin_item_code", "Ivserin_seq"})});
    add("fa1frm", Folder::Company,
        {
            autoIncrement("Fafrm_index"),
            text("Fafrm_field", 30),
            text("Fafrm_band", 10),
            number("Fafrm_line"),
            number("Fafrm_pos"),
        },
        {primary({"Fafrm_index"})});
    add("Fa1frm1", Folder::Company,
        {
            number("Fafrm1_page_len"),
            number("Fafrm1_page_width"),
            number("Fafrm1_header_len"),
            number("Fafrm1_detail_len"),
            number("Fafrm1_footer_len"),
        },
        {});
    add("fa1frm2", Folder::Company,
        {
            integer("Index"),
            integer("Style"),
            integer("Size"),
            integer("Width"),
            text("Fontname", 30),
        },
        {primary({"Index"})});

    // Tables the modules read or write beyond the lists above: the budget
    // details counted by the job-cost distribution, and the marker tables whose
    // presence tells the launcher that payroll or job costing has been set up.
    add("jcBudgetDet", Folder::Company,
        {
            text("JcBudDet_Project", 10),
            text("JcBudDet_Phase", 10),
            text("JcBudDet_Elem", 10),
            number("JcBudDet_Qty"),
            money("JcBudDet_Rate"),
            money("JcBudDet_Amount"),
        },
        {primary({"JcBudDet_Project", "JcBudDet_Phase", "JcBudDet_Elem"})});
    add("jcctrl", Folder::Company,
        {
            integer("JcCtrl_period"),
            integer("JcCtrl_last_seq"),
        },
        {})
        .feature = TableDef::Feature::JobCost;
    add("Pndept", Folder::Company,
        {
            integer("Pndept_code"),
            text("Pndept_name", 40),
        },
        {primary({"Pndept_code"})})
        .feature = TableDef::Feature::Payroll;
    add("pntrx", Folder::Company,
        {
            text("Pntrx_emp", 12),
            date("Pntrx_date"),
            autoIncrement("Pntrx_seq"),
            money("Pntrx_gross"),
        },
        {primary({"Pntrx_emp", "Pntrx_date", "Pntrx_seq"})})
        .feature = TableDef::Feature::Payroll;

    for (const char* work : {"Cartmp", "captmp", "CliCyln", "ivserintmp", "CaxJC", "VatTmp", "cfrdet01"})
        get(work).perSession = true;
    get("cfrdet01").sessionBase = QStringLiteral("cfrdettmp");
    get("FaCylinder").dataRootTemplate = true;
    get("CliCyln").dataRootTemplate = true;
    get("svstatc").archivedByYear = true;
    get("sastats").archivedByYear = true;

    // The engine numbers an autoincrement field with the largest value + 1
    // inside the insert; without an index that starts with the field, every
    // insert would read the whole table (a posting into a large `cap` would
    // slow down with every open item ever written).
    for (TableDef& t : tables) {
        for (const FieldDef& f : t.fields) {
            if (f.type != FieldType::AutoIncrement)
                continue;
            bool leads = false;
            for (const IndexDef& ix : t.indexes)
                leads |= ix.fields.first().compare(f.name, Qt::CaseInsensitive) == 0;
            if (!leads)
                t.indexes.append(keyOrder({f.name}));
        }
    }
}

QString normalName(QString name)
{
    name = name.trimmed();
    if (name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        name.chop(3);
    return name.toLower();
}

struct Index {
    QList<TableDef> tables;
    QHash<QString, const TableDef*> byName;         // exact names
    QHash<QString, const TableDef*> byNumberedName; // session copies and year archives

    Index()
    {
        Builder b;
        b.build();
        tables = std::move(b.tables);
        for (const TableDef& t : tables) {
            byName.insert(t.name.toLower(), &t);
            if (t.perSession)
                byNumberedName.insert((t.sessionBase.isEmpty() ? t.name : t.sessionBase).toLower(), &t);
            if (t.archivedByYear)
                byNumberedName.insert(t.name.toLower(), &t);
        }
    }
};

const Index& index()
{
    static const Index instance;
    return instance;
}

} // namespace

const FieldDef* TableDef::field(const QString& fieldName) const
{
    const int i = fieldIndex(fieldName);
    return i < 0 ? nullptr : &fields[i];
}

int TableDef::fieldIndex(const QString& fieldName) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const IndexDef* TableDef::primaryKey() const
{
    for (const IndexDef& ix : indexes)
        if (ix.primary)
            return &ix;
    return nullptr;
}

const IndexDef* TableDef::keyOrder(const QStringList& wanted) const
{
    for (const IndexDef& ix : indexes) {
        if (ix.primary || ix.fields.size() != wanted.size())
            continue;
        bool same = true;
        for (int i = 0; i < wanted.size() && same; ++i)
            same = ix.fields[i].compare(wanted[i].trimmed(), Qt::CaseInsensitive) == 0;
        if (same)
            return &ix;
    }
    return nullptr;
}

QString TableDef::physicalName(int session) const
{
    if (!perSession || session <= 0)
        return name;
    return (sessionBase.isEmpty() ? name : sessionBase) + QString::number(session);
}

const QList<TableDef>& Catalogue()
{
    return index().tables;
}

const TableDef* FindTableDef(const QString& name)
{
    const Index& ix = index();
    const QString key = normalName(name);
    if (const TableDef* t = ix.byName.value(key))
        return t;
    // "Cartmp12", "cfrdettmp3", "svstatc2001": a base name followed by digits.
    static const QRegularExpression numbered(QStringLiteral("^(.*[^0-9])([0-9]+)$"));
    const QRegularExpressionMatch m = numbered.match(key);
    if (!m.hasMatch())
        return nullptr;
    return ix.byNumberedName.value(m.captured(1));
}

QList<const TableDef*> TablesOfFolder(Folder folder)
{
    QList<const TableDef*> out;
    for (const TableDef& t : Catalogue())
        if (t.folder == folder)
            out.append(&t);
    return out;
}

QList<const TableDef*> TablesOfNewCompany(bool payroll, bool jobCost)
{
    QList<const TableDef*> out;
    for (const TableDef& t : Catalogue()) {
        if (t.folder != Folder::Company)
            continue;
        if (t.perSession && t.sessionBase.isEmpty())
            continue; // created by the module, per session
        if (t.feature == TableDef::Feature::Payroll && !payroll)
            continue;
        if (t.feature == TableDef::Feature::JobCost && !jobCost)
            continue;
        out.append(&t);
    }
    return out;
}

QList<const TableDef*> DataRootTemplates()
{
    QList<const TableDef*> out;
    for (const TableDef& t : Catalogue())
        if (t.dataRootTemplate)
            out.append(&t);
    return out;
}

QString FieldTypeText(const FieldDef& f)
{
    switch (f.type) {
    case FieldType::Text: return QStringLiteral("text(%1)").arg(f.size);
    case FieldType::ShortInteger: return QStringLiteral("short integer");
    case FieldType::Integer: return QStringLiteral("integer");
    case FieldType::Number: return QStringLiteral("number");
    case FieldType::Money: return QStringLiteral("money");
    case FieldType::Logical: return QStringLiteral("logical");
    case FieldType::Date: return QStringLiteral("date");
    case FieldType::Time: return QStringLiteral("time");
    case FieldType::Timestamp: return QStringLiteral("timestamp");
    case FieldType::AutoIncrement: return QStringLiteral("autoincrement");
    case FieldType::Memo: return QStringLiteral("memo(%1)").arg(f.size);
    case FieldType::Bytes: return QStringLiteral("bytes(%1)").arg(f.size);
    case FieldType::Binary: return QStringLiteral("binary(%1)").arg(f.size);
    }
    return QString();
}

} // namespace varnex::data
