// Product pick list: the product key, three characters of line code (padded
// with spaces) followed by the item code; empty when cancelled.
#include "varnex/frame/picklist.h"

using namespace varnex::frame;

extern "C" std::int32_t GetLineCd(VxStr* key, TLinkSection record)
{
    const PickListSpec pickList{QStringLiteral("ProductPick"),
                                QStringLiteral("Products"),
                                QStringLiteral("ivprod"),
                                QStringLiteral("Ivprod_line_code;Ivprod_item_code"),
                                {{QStringLiteral("Ivprod_line_code"), QStringLiteral("Line"), 50},
                                 {QStringLiteral("Ivprod_item_code"), QStringLiteral("Item"), 140},
                                 {QStringLiteral("Ivprod_desc_1"), QStringLiteral("Description"), 240}},
                                {QStringLiteral("Ivprod_line_code"), QStringLiteral("Ivprod_item_code")},
                                nullptr};
    const auto chosen = RunPickList(pickList, record);
    if (!chosen) {
        FillString(key, QString());
        return 0;
    }
    const QString line = chosen->at(0).toString().left(3).leftJustified(3, QLatin1Char(' '));
    FillString(key, line + chosen->at(1).toString());
    return 1;
}
