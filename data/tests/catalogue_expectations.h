#pragma once
// The table layouts the modules were written for, kept apart from the
// catalogue so that a change to either shows: the catalogue tests compare the
// catalogue with them, and the engine tests compare what the engine stored.

#include "varnex/data/schema.h"

#include <QList>
#include <QPair>
#include <QStringList>

namespace catalogue_expectations {

using namespace varnex::data;

// "Name:code", families as "Prefix1..14:code"; codes: tN text(N), mN memo(N),
// bN bytes(N), BN binary(N), i integer, s short integer, n number, $ money,
// l logical, d date, tm time, ts timestamp, a autoincrement.
struct Expected {
    const char* table;
    const char* fields;
};

inline QString typeCode(const FieldDef& f)
{
    switch (f.type) {
    case FieldType::Text: return QStringLiteral("t%1").arg(f.size);
    case FieldType::Memo: return QStringLiteral("m%1").arg(f.size);
    case FieldType::Bytes: return QStringLiteral("b%1").arg(f.size);
    case FieldType::Binary: return QStringLiteral("B%1").arg(f.size);
    case FieldType::Integer: return QStringLiteral("i");
    case FieldType::ShortInteger: return QStringLiteral("s");
    case FieldType::Number: return QStringLiteral("n");
    case FieldType::Money: return QStringLiteral("$");
    case FieldType::Logical: return QStringLiteral("l");
    case FieldType::Date: return QStringLiteral("d");
    case FieldType::Time: return QStringLiteral("tm");
    case FieldType::Timestamp: return QStringLiteral("ts");
    case FieldType::AutoIncrement: return QStringLiteral("a");
    }
    return QStringLiteral("?");
}

// Expands the compact notation into "Name:code" items in order.
inline QStringList expand(const char* compact)
{
    QStringList out;
    const QStringList items = QString::fromUtf8(compact).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& item : items) {
        const int colon = item.lastIndexOf(QLatin1Char(':'));
        const QString name = item.left(colon);
        const QString code = item.mid(colon + 1);
        const int dots = name.indexOf(QLatin1String(".."));
        if (dots < 0) {
            out << name + QLatin1Char(':') + code;
            continue;
        }
        // "Glm_budget1..14": the prefix is the name without its trailing digits.
        QString first = name.left(dots);
        int digits = 0;
        while (digits < first.size() && first.at(first.size() - 1 - digits).isDigit())
            ++digits;
        const QString prefix = first.left(first.size() - digits);
        const int from = first.right(digits).toInt();
        const int to = name.mid(dots + 2).toInt();
        for (int n = from; n <= to; ++n)
            out << prefix + QString::number(n) + QLatin1Char(':') + code;
    }
    return out;
}

inline QStringList actual(const TableDef& t)
{
    QStringList out;
    for (const FieldDef& f : t.fields)
        out << f.name + QLatin1Char(':') + typeCode(f);
    return out;
}

inline const Expected kExpected[] = {
    {"comp", "Comp_Code:i Comp_Name:t60 Comp_Adr1:t40 Comp_adr2:t40 Comp_city:t40 Comp_Prov:t40 "
             "Comp_Country:t40 Comp_Postal_code:t30 Comp_telephone:t30 Comp_Contact:t40 "
             "Comp_Passwd:t10 Comp_Ret_Earn_accnt:i Comp_profit_line:i "},
    {"user", "User_password:t10 User_code:t10 User_name:t30 User_detail:s User_language:s "
             "User_company:s User_printer:t128 User_security:b200 User_store:i "},
    {"Desktop", "Desktop_user:t10 Desktop_index:a Desktop_ComponentIndex:i Desktop_Component_type:i "
                "Desktop_Component:B240 "},
    {"Languages", "LangKey:i LangCode:t3 LangName:t20 "},
    {"apps", "Application_name:t60 Application_name_fr:t60 Application_pgm:t60 "
             "Application_about:t200 Application_about_fr:t200 Application_security:t60 "
             "Application_type:l Application_directory:t240 "},
    {"session", "Session_id:i Session_lock:l "},
    {"virmem", "Session_id:i Session_lock:l Curr_1..24:$ "},
    {"ctrl", "Ctrl_periods:i Ctrl_gl_period:i Ctrl_ar_period:i Ctrl_ap_period:i Ctrl_fa_period:i "
             "Ctrl_eom_gl:l Ctrl_eom_ar:l Ctrl_eom_ap:l Ctrl_eom_fa:l Ctrl_eom_pa:l "
             "Ctrl_date_fmt:i Ctrl_pl_name1..5:t15 Ctrl_curr1_name:t30 Ctrl_curr1_rate:n "
             "Ctrl_curr1_sign:t2 Ctrl_curr2_name:t30 Ctrl_curr2_rate:n Ctrl_curr2_sign:t2 "
             "Ctrl_curr3_name:t30 Ctrl_curr3_rate:n Ctrl_curr3_sign:t2 Ctrl_curr4_name:t30 "
             "Ctrl_curr4_rate:n Ctrl_curr4_sign:t2 Ctrl_fed_tax_no:t20 Ctrl_pro_tax_no:t20 "
             "Ctrl_pmt_name1..10:t15 Ctrl_pmt_accnt1..10:i Ctrl_TaxSystem:i Ctrl_ar_days1..5:i "
             "Ctrl_ar_dname1..5:t12 Ctrl_PreserveSTDCost:l Ctrl_bank_accnt1..5:i "
             "Ctrl_ap_days1..5:i Ctrl_ap_dname1..5:t12 Ctrl_record_no:i Ctrl_fed_rate:n "
             "Ctrl_pro_rate1..10:n Ctrl_payroll_start_date:d Ctrl_ar_accnt:i Ctrl_Pro_tax_accnt:i "
             "Ctrl_fed_tax_accnt:i Ctrl_sales_accnt1..8:i Ctrl_cr_accnt1..8:i Ctrl_ar_bal_for:i "
             "Ctrl_ar_histo:l Ctrl_ar_invoiceno:i Ctrl_ap_accnt:i Ctrl_ap_purch_accnt1..8:i "
             "Ctrl_ap_disb_accnt1..8:i Ctrl_ap_histo:l Ctrl_ap_chqno1..5:i Ctrl_fa_invoice:i "
             "Ctrl_fa_order:i Ctrl_fa_quote:i Ctrl_fa_backorder:i Ctrl_alt_key1:t15 "
             "Ctrl_alt_key2:t15 Ctrl_general_sales_accnt:i Ctrl_ap_curr2..5:i "
             "Ctrl_dollars1:t30 Ctrl_cents1:t30 "},
    {"sup", "Sup_code:t10 Sup_name:t60 Sup_adr1:t40 Sup_adr2:t40 Sup_city:t40 Sup_prov:t40 "
            "Sup_country:t40 Sup_postal_code:t30 Sup_tel:t30 Sup_fax:t30 Sup_contact:t40 "
            "Sup_contact_tel:t30 Sup_email:t60 Sup_terr:t12 Sup_language:t1 Sup_date_created:d "
            "Sup_date_last_purch:d Sup_date_last_pmt:d Sup_po_req:l Sup_du_days:i "
            "Sup_credit_limit:i Sup_pmt_discount:n Sup_purch_discount:n Sup_current_bal:$ "
            "Sup_last_purch:$ Sup_purch_mth:$ Sup_purch_ytd:$ Sup_comments:m200 Sup_currency:i "
            "Sup_user:t10 Sup_stamp:ts Sup_bank_account:i Sup_email_po:l Sup_accnt1..3:i "
            "Sup_copies:i "},
    {"glm", "Glm_account:i Glm_Description:t60 Glm_type:t15 Glm_summarize:t1 Glm_budget1..14:$ "
            "Glm_current1..14:$ Glm_ly1..14:$ Glm_user:t10 Glm_stamp:ts "},
    {"Periods", "Period_no:i Period_mth:t20 "},
    {"taxratesP", "TaxRates_Account:i TaxRates_Description:t40 TaxRates_Rate:n TaxRates_Code:i "},
    {"ivprod", "Ivprod_line_code:t3 Ivprod_item_code:t18 Ivprod_desc_1:t40 Ivprod_sup1:t10 "
               "Ivprod_price1..9:n Ivprod_std_cost:n Ivprod_upc:t40 Ivprod_desc_2:t40 Ivprod_um:t3 "
               "Ivprod_tax1:l Ivprod_tax2:l Ivprod_date_created:d Ivprod_sup2:t10 Ivprod_inv_accnt:i "
               "Ivprod_sales_accnt:i Ivprod_cost_accnt:i Ivprod_alt_key1:t21 Ivprod_alt_key2:t21 "
               "Ivprod_equiv:t21 Ivprod_vol1..9:i Ivprod_labels:l Ivprod_date_last_price:d "
               "Ivprod_price_unit:n Ivprod_core_price:n Ivprod_core_cost:n Ivprod_serial_no:l "
               "Ivprod_lot_no:l Ivprod_kit:l Ivprod_commission_pct:n Ivprod_pkg_qty:n "
               "Ivprod_pkg_vol:n Ivprod_pkg_wght:n Ivprod_dimension:t40 Ivprod_pakaging_desc:t40 "
               "Ivprod_VolumeProduct:l "},
    {"ivinv", "Ivinv_Line_Code:t3 Ivinv_item_code:t15 Ivinv_store:i Ivinv_bin:t10 Ivinv_lead_days:i "
              "Ivinv_qty1..5:n Ivinv_class:t4 Ivinv_date_lst_sale:d Ivinv_date_lst_rc:d Ivinv_min:i "
              "Ivinv_max:i Ivinv_min_order:i Ivinv_max_order:i Ivinv_on_order:n Ivinv_backorder:n "
              "Ivinv_defect:n Ivinv_mth_start_qty:n Ivinv_core:n Ivinv_core_sold:n Ivinv_cost1..5:n "
              "Ivinv_date_cost1..5:d Ivinv_on_hand:n Ivinv_cli_order:n Ivinv_mth_sold:n "
              "Ivinv_mth_rec:n Ivinv_mth_adj:n Ivinv_mth_trans:n Ivinv_mth_defect:n "
              "Ivinv_mth_purch:n Ivinv_mth_core_sold:n Ivinv_mth_core_ret:n Ivinv_mth_dols_sold:n "
              "Ivinv_mth_dols_cost:n Ivinv_ytd_sold:n Ivinv_ytd_rec:n Ivinv_ytd_adj:n "
              "Ivinv_ytd_trans:n Ivinv_ytd_defect:n Ivinv_ytd_purch:n Ivinv_ytd_core_sold:n "
              "Ivinv_ytd_core_ret:n Ivinv_ytd_dols_sold:n Ivinv_ytd_dols_cost:n Ivinv_floor_min:n "
              "Ivinv_physical1:n Ivinv_physical2:n Ivinv_qty_hist0..12:n Ivinv_CylindersOnHand:i "},
    {"ivmag", "Ivmag_store_number:i Ivmag_store_name:t40 "},
    {"car", "Car_client:t10 Car_invoice:t10 Car_ref:t10 Car_date:d Car_type:t1 Car_seq:a "
            "Car_du_date:d Car_amount:$ Car_memo:m200 Car_slsm:t10 Car_pro_tax:$ Car_fed_tax:$ "
            "Car_user:t10 Car_stamp:ts "},
    {"cap", "Cap_supplier:t10 Cap_invoice:t10 Cap_ref:t10 Cap_date:d Cap_type:t1 Cap_seq:a "
            "Cap_du_date:d Cap_amount:$ Cap_memo:m200 Cap_user:t10 Cap_stamp:ts "},
    {"apori", "Reference:t10 Supplier:t10 Date:d Seq:a Due_date:d Direct_cash_purchase:l "
              "Trx_type:t1 Dr_cr_reference:t10 Comments:m240 PO:t10 Account1..15:i Debit1..15:$ "
              "Credit1..15:$ Stamp:ts User:t20 DebitCredit:l "},
    {"cdorihdr", "Reference:t10 Supplier:t10 Date:d Seq:a Not_to_sup:l Comments:m240 Account1..20:i "
                 "Debit1..20:$ Credit1..20:$ User:t20 Stamp:ts "},
    {"cfhdr", "Cfhdr_doc:t1 Cfhdr_order_number:t10 Cfhdr_supplier:t10 Cfhdr_date:d Cfhdr_date_req:d "
              "Cfhdr_date_prom:d Cfhdr_shp_to:t10 Cfhdr_shp_nom:t40 Cfhdr_shp_adr1:t40 "
              "Cfhdr_shp_adr2:t40 Cfhdr_shp_city:t40 Cfhdr_shp_prov:t40 Cfhdr_shp_cp:t12 "
              "Cfhdr_shp_country:t40 Cfhdr_shp_tel:t20 Cfhdr_date_received:d Cfhdr_ship_via:t40 "
              "Cfhdr_total:$ Cfhdr_total_received:$ Cfhdr_memo:m200 Cfhdr_store:i cfhdr_project:t10 "
              "cfhdr_period:i "},
    {"cfdet", "Cfdet_doc:t1 Cfdet_order_number:t10 Cfdet_line:a Cfdet_line_code:t3 "
              "Cfdet_item_code:t20 Cfdet_desc:t60 Cfdet_qty_order:n Cfdet_qty_received:n "
              "Cfdet_price:n Cfdet_discount:n Cfdet_total:$ Cfdet_bin_loc:t6 "},
    {"cfrhd", "Cfrhd_packing_slip:t10 Cfrhd_order_number:t10 Cfrhd_supplier:t10 Cfrhd_date:d "
              "Cfrhd_date_req:d Cfrhd_date_prom:d Cfrhd_shp_to:t10 Cfrhd_shp_nom:t40 "
              "Cfrhd_shp_adr1:t40 Cfrhd_shp_adr2:t40 Cfrhd_shp_city:t40 Cfrhd_shp_prov:t40 "
              "Cfrhd_shp_cp:t12 Cfrhd_shp_country:t40 Cfrhd_shp_tel:t20 Cfhrd_date_received:d "
              "Cfrhd_ship_via:t40 Cfrhd_total:$ Cfrhd_total_received:$ Cfrhd_memo:m200 "
              "Cfrhd_store:i Cfrhd_Project:t10 "},
    {"cfrdet", "Cfrdet_paking_slip:t10 Cfrdet_line:a Cfrdet_order_number:t10 Cfrdet_line_code:t3 "
               "Cfrdet_item_code:t20 Cfrdet_desc:t60 Cfrdet_qty_order:n Cfrdet_qty_received:n "
               "Cfrdet_price:n Cfrdet_discount:n Cfrdet_total:$ Cfrdet_bin_loc:t6 Cfrdet_from_po:l "
               "Cfrdet_CylindersReceived:i "},
    {"sastats", "Supplier:t10 Cost1..12:$ Qty1..12:n Date:d PO:i Total:$ "},
    {"sastatsp", "Supplier:t10 Line_code:t3 Item_code:t20 Cost1..12:$ Qty1..12:n Date:d PO:i Cost:$ "
                 "Total:$ "},
    {"cfpkey", "Cfpkey_line_code:t3 Cfpkey_item_code:t20 Cfpkey_store:i Cfpkey_order:t10 "
               "Cfpkey_line:i Cfpkey_supplier:t10 Cfpkey_qty:n Cfpkey_cost:n Cfpkey_date:d "},
    {"tjlh", "Tjlh_period:i Tjlh_journal:i Tjlh_reference:t30 Tjlh_date:d Tjlh_type:t30 "
             "Tjlh_tot_debit:$ Tjlh_tot_credit:$ Tjlh_memo:m240 Tjlh_user:t10 Tjlh_stamp:ts "},
    {"tjld", "Tjld_period:i Tjld_journal:i Tjld_reference:t30 Tjld_date:d Tjld_autoinc:a "
             "Tjld_account:i Tjld_debit:$ Tjld_credit:$ Tjld_description:t60 "},
    {"gla", "Gla_accnt:i Gla_period:i Gla_jrnl:i Gla_date:d Gla_reference:t20 Gla_amount:$ "
            "Gla_type:t1 Gla_desc:m200 "},
    {"jcTrans", "JcTrans_Seq:i JcTrans_Project:t10 JcTrans_Phase:t10 JcTrans_Comp:t10 JcTrans_Date:d "
                "JcTrans_Type:i JcTrans_Vol:n JcTrans_Taux:$ JcTrans_Period:i JcTrans_Ref:t20 "
                "JcTrans_Desc:t40 JcTrans_UM:t5 JcTrans_Tot:$ JcTrans_Source:i JcTrans_Stamp:ts "
                "JcTrans_User:t10 JcTrans_TypeDesc:t25 "},
    {"taxrepP", "TaxRep_Code:i TaxRep_Reference:t10 TaxRep_Inc:a TaxRep_Date:d TaxRep_Gross:$ "
                "TaxRep_VAT:$ TaxRep_Purchase:l TaxRep_TypeCode:i "},
    {"FaCylinder", "FaCylinder_Client:t10 FaCylinder_Line_Code:t3 FaCylinder_Item_Code:t20 "
                   "FaCylinder_Store:i FaCylinder_Inc:a FaCylinder_Invoice:t10 FaCylinder_date:d "
                   "FaCylinder_PO:t10 FaCylinder_Delivered:n FaCylinder_Received:n FaCylinder_Net:n "
                   "FaCylinder_Opening:n "},
    {"CliCyln", "FaCylinder_Client:t10 FaCylinder_Line_Code:t3 FaCylinder_Item_Code:t20 "
                "FaCylinder_Inc:a FaCylinder_Delivered:n FaCylinder_Received:n FaCylinder_Net:n "
                "FaCylinder_description:t60 "},
    {"Cartmp", "Cartmp_client:t10 Cartmp_invoice:t10 Cartmp_ref:t10 Cartmp_date:d Cartmp_type:t1 "
               "Cartmp_seq:i Cartmp_balance:$ "},
    {"captmp", "Captmp_supplier:t10 Captmp_invoice:t10 Captmp_ref:t10 Captmp_date:d Captmp_type:t1 "
               "Captmp_seq:i Captmp_balance:$ "},
    {"CaxJC", "Project:t10 Phase:t10 Element:t10 Quantity:n Rate:n Amount:$ "},
    {"VatTmp", "Description:t40 Rate:n TaxAmount:n TotalAmount:n Type:i "},
    {"fadeta", "Fadeta_doc:t1 Fadeta_invoice:t10 Fadeta_line:a Fadeta_line_code:t3 "
               "Fadeta_item_code:t20 Fadeta_desc:t80 Fadeta_kit:l Fadeta_core:l Fadet_core_cost:$ "
               "Fadeta_qty_order:n Fadeta_qty_ship:n Fadeta_bo:l Fadeta_tax1_code:l "
               "Fadeta_tax2_code:l Fadeta_price:n Fadeta_discount:n Fadeta_sales_accnt:i "
               "Fadeta_cost_accnt:i Fadeta_cost:$ Fadeta_total:$ Fadeta_tax1:$ Fadeta_tax2:$ "
               "Fadeta_bin_loc:t6 Fadeta_perc_comm:n Fadeta_Serial:t20 "},
    {"jcProject", "JcProject_No:t10 JcProject_Fact:s "},
    {"jcPhase", "JcPhase_No:a JcPhase_Code:t10 "},
    {"JcElem", "JcElem_Code:t10 JcElem_Description:t50 JcElem_UM:t5 "},
    {"jcBudgetHdr", "JcBudHdr_Project:t10 JcBudHdr_Phase:t10 "},
    {"svstatc", "Svstatc_client:t10 Svstatc_dols1..52:$ Svstatc_cost1..52:$ Svstatc_Qty1..52:n "
                "Svstatc_date:d Svstatc_invoice:i Svstatc_total:$ "},
};

// Field counts of the tables not listed above. cli carries the search fields
// of the client display and the tax and control fields beyond its listed 38;
// ivserintmp its sequence field.
inline const QList<QPair<const char*, int>>& fieldCounts()
{
    static const QList<QPair<const char*, int>> counts = {
        {"cli", 61},        {"emp", 171},     {"trkdb", 3},      {"taxrates", 4},  {"arterms", 3},   {"slsm", 3},
        {"ivctrl", 12},     {"carh", 14},     {"arori", 57},     {"crorihdr", 69}, {"croridet", 10}, {"fahdr", 52},
        {"fadet", 25},      {"fahdra", 50},   {"psvstatc", 160}, {"caph", 11},     {"cdoridet", 10}, {"psastats", 28},
        {"sastatp", 30},    {"sastatmp", 31}, {"ivtrxhh", 11},   {"ivtrxdh", 10},  {"ivserin", 10},  {"cfrdet01", 13},
        {"ivserintmp", 12}, {"fa1frm", 5},    {"Fa1frm1", 5},    {"fa1frm2", 5}};
    return counts;
}

} // namespace catalogue_expectations
