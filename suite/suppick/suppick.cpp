// Supplier pick list: the chosen supplier code, empty when cancelled.
#include "varnex/frame/picklist.h"

using namespace varnex::frame;

extern "C" std::int32_t ApGetSupplier(VxStr* code, TLinkSection record)
{
    const PickListSpec pickList{QStringLiteral("SupplierPick"),
                                QStringLiteral("Suppliers"),
                                QStringLiteral("sup"),
                                QString(),
                                {{QStringLiteral("Sup_code"), QStringLiteral("Code"), 90},
                                 {QStringLiteral("Sup_name"), QStringLiteral("Name"), 220},
                                 {QStringLiteral("Sup_city"), QStringLiteral("City"), 120},
                                 {QStringLiteral("Sup_tel"), QStringLiteral("Telephone"), 100}},
                                {QStringLiteral("Sup_code")},
                                nullptr};
    const auto chosen = RunPickList(pickList, record);
    FillString(code, chosen ? chosen->first().toString() : QString());
    return chosen ? 1 : 0;
}
