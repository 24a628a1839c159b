// Document pick list over the order headers: the chosen order number, empty
// when cancelled. The kind of document to offer ("2": purchase orders) comes
// in Link_context.
#include "varnex/data/table.h"
#include "varnex/frame/picklist.h"

using namespace varnex::frame;

extern "C" std::int32_t CfhdrGetDoc(VxStr* order, TLinkSection record)
{
    const QString kind = varnex::LinkText(record.Link_context);
    const PickListSpec pickList{QStringLiteral("DocumentPick"),
                                QStringLiteral("Orders"),
                                QStringLiteral("cfhdr"),
                                QString(),
                                {{QStringLiteral("Cfhdr_order_number"), QStringLiteral("Order"), 100},
                                 {QStringLiteral("Cfhdr_supplier"), QStringLiteral("Supplier"), 100},
                                 {QStringLiteral("Cfhdr_date"), QStringLiteral("Date"), 90},
                                 {QStringLiteral("Cfhdr_total"), QStringLiteral("Total"), 100}},
                                {QStringLiteral("Cfhdr_order_number")},
                                [kind](varnex::data::DataSet& headers) {
                                    return headers.field(QStringLiteral("Cfhdr_doc")).asString() == kind;
                                }};
    const auto chosen = RunPickList(pickList, record);
    FillString(order, chosen ? chosen->first().toString() : QString());
    return chosen ? 1 : 0;
}
