// Account pick list: the chosen account number, 0 when cancelled.
#include "varnex/frame/picklist.h"

using namespace varnex::frame;

extern "C" std::int32_t GlGetAccount(TLinkSection record)
{
    const PickListSpec pickList{QStringLiteral("AccountPick"),
                                QStringLiteral("Accounts"),
                                QStringLiteral("glm"),
                                QString(),
                                {{QStringLiteral("Glm_account"), QStringLiteral("Account"), 80},
                                 {QStringLiteral("Glm_Description"), QStringLiteral("Description"), 260},
                                 {QStringLiteral("Glm_type"), QStringLiteral("Type"), 100}},
                                {QStringLiteral("Glm_account")},
                                nullptr};
    const auto chosen = RunPickList(pickList, record);
    return chosen ? static_cast<std::int32_t>(chosen->first().toLongLong()) : 0;
}
