// Phase pick list: the chosen phase's number, 0 when cancelled; the caller
// reads the phase code itself.
#include "varnex/frame/picklist.h"

using namespace varnex::frame;

extern "C" std::int32_t Getphase(TLinkSection record)
{
    const PickListSpec pickList{QStringLiteral("PhasePick"),
                                QStringLiteral("Phases"),
                                QStringLiteral("jcPhase"),
                                QString(),
                                {{QStringLiteral("JcPhase_Code"), QStringLiteral("Phase"), 120},
                                 {QStringLiteral("JcPhase_No"), QStringLiteral("Number"), 80}},
                                {QStringLiteral("JcPhase_No")},
                                nullptr};
    const auto chosen = RunPickList(pickList, record);
    return chosen ? static_cast<std::int32_t>(chosen->first().toLongLong()) : 0;
}
