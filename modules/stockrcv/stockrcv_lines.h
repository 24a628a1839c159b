#pragma once
// Lines of the receipt window's message list IntlStrings1 (table "stockrcv" +
// language code) that the module reads. The language check of the build reads
// `All`, so a line used here and missing in one language stops the build's
// tests, not a user.

#include <array>

namespace varnex::stockrcv::lines {

inline constexpr int PackingSlipUsed = 0;
inline constexpr int OrderLineNotDeleted = 1;
inline constexpr int KitRefused = 2;
inline constexpr int NoPackingSlip = 3;
inline constexpr int NoSuchProduct = 4;
inline constexpr int StoreSeparator = 5;
inline constexpr int NoSuchSupplier = 6;
inline constexpr int NoSuchOrder = 7;
inline constexpr int SerialTwiceInReceipt = 8;
inline constexpr int SerialInStock = 9;
inline constexpr int SerialMissing = 10;
inline constexpr int NoSuchProject = 11;
inline constexpr int RangeDoesNotMatch = 13;
// The job-cost transaction's type description has a line of its own: line 13
// is the serial-range refusal, which must not end up in the job-cost records.
inline constexpr int JobCostTypeDescription = 14;
inline constexpr int NotPosted = 15;
// The question asked before the Delete key removes a receipt line.
inline constexpr int DeleteLineQuestion = 16;

inline constexpr std::array<int, 16> All = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16};

} // namespace varnex::stockrcv::lines
