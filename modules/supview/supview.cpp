// Display of suppliers: the account display window on the supplier side.
#include "varnex/accountview/accountform.h"

using namespace varnex;
using namespace varnex::accountview;

namespace {

LinkRecord g_link;

void ModuleAddress()
{
}

} // namespace

class Tsupview_dm : public TAccountDataModule {
public:
    Tsupview_dm()
        : TAccountDataModule(SupplierSide())
    {
    }
};

class Tsupview_Frm : public TAccountForm {
public:
    explicit Tsupview_Frm(Tsupview_dm* dm)
        : TAccountForm(SupplierSide(), dm, g_link, reinterpret_cast<const void*>(&ModuleAddress))
    {
    }
};

class Twhich_rep_frm : public TWhichReportForm {
public:
    Twhich_rep_frm() = default;
};

extern "C" std::int32_t ShowDllForm(TLinkSection record)
{
    return frame::RunModule(record, g_link, {}, [] {
        frame::ModuleObjects objects;
        auto dm = std::make_unique<Tsupview_dm>();
        auto form = std::make_unique<Tsupview_Frm>(dm.get());
        auto which = std::make_unique<Twhich_rep_frm>();
        form->whichForm = which.get();
        objects.mainForm = std::move(form);
        objects.dataModule = std::move(dm);
        objects.furtherForms.push_back(std::move(which));
        return objects;
    });
}
