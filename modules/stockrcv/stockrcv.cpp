// The module library's one entry point.
#include "stockrcv_forms.h"

using namespace varnex;
using namespace varnex::stockrcv;

// Linked, not loaded: the pick lists the receipt window calls must be beside the module.
extern "C" std::int32_t ApGetSupplier(VxStr* code, TLinkSection record);
extern "C" std::int32_t GetLineCd(VxStr* key, TLinkSection record);
extern "C" std::int32_t CfhdrGetDoc(VxStr* order, TLinkSection record);
extern "C" std::int32_t Getproject(VxStr* project, TLinkSection record);
extern "C" std::int32_t QuickLink(TLinkSection record);

// Keeps the references above, so the linker records every library as needed.
[[maybe_unused]] static const void* const linkedPickLists[] = {
    reinterpret_cast<const void*>(&ApGetSupplier), reinterpret_cast<const void*>(&GetLineCd),
    reinterpret_cast<const void*>(&CfhdrGetDoc), reinterpret_cast<const void*>(&Getproject),
    reinterpret_cast<const void*>(&QuickLink)};

extern "C" __attribute__((visibility("default"))) std::int32_t ShowDllForm(TLinkSection record)
{
    frame::ModuleOptions options;
    options.exceptionHandler = ModuleExceptionHandler;
    return frame::RunModule(record, ModuleLink(), options, [] {
        frame::ModuleObjects objects;
        auto dm = std::make_unique<Tstockrcv_dm>();
        auto form = std::make_unique<Tstockrcv_frm>(dm.get());
        objects.dataModule = std::move(dm);
        objects.mainForm = std::move(form);
        return objects;
    });
}
