#include "varnex/ledger/posting.h"

namespace varnex::ledger {

PostingResult PostingResult::failedCheck(PostingCheck check, const QString& message, int row)
{
    PostingResult result;
    result.ok = false;
    result.check = check;
    result.message = message;
    result.row = row;
    return result;
}

} // namespace varnex::ledger
