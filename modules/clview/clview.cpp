// Display of clients: the account display window on the client side.
#include "varnex/accountview/accountform.h"

using namespace varnex;
using namespace varnex::accountview;

namespace {

LinkRecord g_link;

void ModuleAddress()
{
}

} // namespace

class Tclview_dm : public TAccountDataModule {
public:
    Tclview_dm()
        : TAccountDataModule(ClientSide())
    {
    }
};

class Tclview_frm : public TAccountForm {
public:
    explicit Tclview_frm(Tclview_dm* dm)
        : TAccountForm(ClientSide(), dm, g_link, reinterpret_cast<const void*>(&ModuleAddress))
    {
    }
};

extern "C" std::int32_t ShowDllForm(TLinkSection record)
{
    return frame::RunModule(record, g_link, {}, [] {
        frame::ModuleObjects objects;
        auto dm = std::make_unique<Tclview_dm>();
        objects.mainForm = std::make_unique<Tclview_frm>(dm.get());
        objects.dataModule = std::move(dm);
        return objects;
    });
}
