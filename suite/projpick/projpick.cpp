// Project pick list: the chosen project number, empty when cancelled.
#include "varnex/frame/picklist.h"

using namespace varnex::frame;

extern "C" std::int32_t Getproject(VxStr* project, TLinkSection record)
{
    const PickListSpec pickList{QStringLiteral("ProjectPick"),
                                QStringLiteral("Projects"),
                                QStringLiteral("jcProject"),
                                QString(),
                                {{QStringLiteral("JcProject_No"), QStringLiteral("Project"), 120},
                                 {QStringLiteral("JcProject_Fact"), QStringLiteral("Billing"), 80}},
                                {QStringLiteral("JcProject_No")},
                                nullptr};
    const auto chosen = RunPickList(pickList, record);
    FillString(project, chosen ? chosen->first().toString() : QString());
    return chosen ? 1 : 0;
}
