// Cost element pick list: the chosen element code, empty when cancelled.
#include "varnex/frame/picklist.h"

using namespace varnex::frame;

extern "C" std::int32_t Getelem(VxStr* element, TLinkSection record)
{
    const PickListSpec pickList{QStringLiteral("ElementPick"),
                                QStringLiteral("Cost elements"),
                                QStringLiteral("JcElem"),
                                QString(),
                                {{QStringLiteral("JcElem_Code"), QStringLiteral("Element"), 100},
                                 {QStringLiteral("JcElem_Description"), QStringLiteral("Description"), 240},
                                 {QStringLiteral("JcElem_UM"), QStringLiteral("Unit"), 60}},
                                {QStringLiteral("JcElem_Code")},
                                nullptr};
    const auto chosen = RunPickList(pickList, record);
    FillString(element, chosen ? chosen->first().toString() : QString());
    return chosen ? 1 : 0;
}
