#pragma once
// The lines of the purchase window's message list `IntlStrings1` that the
// module reads (table "purchent" + language code). The tests check that both
// languages hold every one of them.

#include <array>

namespace varnex::purchent::lines {

inline constexpr int InvoiceAlreadyPurchased = 0; // a Purchase whose number the supplier already has
inline constexpr int InvoiceNotPurchased = 1;     // a Debit or Credit against no purchase of that number
inline constexpr int InvoiceEmpty = 2;
inline constexpr int CashOnPayable = 3; // a direct/cash purchase with an amount on a payable account
inline constexpr int NotBalanced = 4;
inline constexpr int ReferenceEmpty = 5;
inline constexpr int CashMemoEmpty = 6; // a question: Yes goes back to the memo
inline constexpr int SupplierUnknown = 7;
inline constexpr int AccountUnknown = 8;
inline constexpr int DebitOnPayable = 9;
inline constexpr int CreditOnPayable = 10;
inline constexpr int CaptionPrefix = 12; // window caption before the period
inline constexpr int OrderUnknown = 14;
inline constexpr int NotANumber = 16;      // holdback dialog
inline constexpr int NotADate = 17;        // holdback dialog
inline constexpr int JobCostTypeText = 19; // JcTrans_TypeDesc of a purchase distribution
inline constexpr int ProjectUnknown = 20;
inline constexpr int PhaseNotBudgeted = 21;
inline constexpr int ElementNotBudgeted = 22;
// Not in the list the design numbers: a posting the ledger refused.
inline constexpr int PostingFailed = 23;
inline constexpr int PeriodInvalid = 24; // period dialog

inline constexpr std::array<int, 21> All = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 16, 17, 19, 20, 21, 22, 23, 24};

} // namespace varnex::purchent::lines
