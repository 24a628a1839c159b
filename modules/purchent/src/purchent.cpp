// The purchases module: ShowDllForm creates the data module, the window and
// its dialogs, and runs them through the module frame.
#include <QPointer>

#include "purchent_dialogs.h"
#include "purchent_dm.h"
#include "purchent_frm.h"
#include "varnex/application.h"
#include "varnex/controls/maskedit.h"
#include "varnex/regional.h"
#include "varnex/frame/module.h"
#include "varnex/frame/services.h"

using namespace varnex;
using namespace varnex::purchent;

extern "C" __attribute__((visibility("default"))) std::int32_t ShowDllForm(TLinkSection record)
{
    QPointer<Tpurchent_frm> window;
    QPointer<TfrmHoldback> holdback;
    frame::ModuleOptions options;
    options.exceptionHandler = [&window](std::exception_ptr error) {
        if (window)
            window->HandleDatabaseError(error);
        else
            HandleApplicationException(error);
    };
    options.applyDateMasks = [&window, &holdback](frame::ModuleObjects&, const QString& dateFormat) {
        for (QWidget* form : {static_cast<QWidget*>(window.data()), static_cast<QWidget*>(holdback.data())}) {
            frame::ApplyDateMaskToEdits(form, dateFormat);
            // The suite's masked edit keeps its mask in EditMask(), which the
            // frame's pass (it looks for an "editMask" property) does not see.
            for (TVarnexMaskEdit* box : form->findChildren<TVarnexMaskEdit*>())
                if (frame::IsRegionalDateMask(box->EditMask()))
                    box->setEditMask(DateEditMask(dateFormat));
        }
    };
    return frame::RunModule(record, ModuleLink(), options, [&] {
        frame::ModuleObjects objects;
        auto dm = std::make_unique<Tpurchent_dm>();
        auto form = std::make_unique<Tpurchent_frm>(dm.get());
        Tpurchent_frm* frm = form.get();
        const MessageLines lines = [frm](int line) { return frm->Message(line); };
        auto eoy = std::make_unique<TEoy_dlg>();
        auto period = std::make_unique<Tperiod_frm>(lines);
        auto hold = std::make_unique<TfrmHoldback>(lines);
        auto project = std::make_unique<TfrmProject>(dm.get(), lines);
        auto error = std::make_unique<frame::TErrorForm>();
        auto vat = std::make_unique<TfrmVAT>(dm.get());
        frm->SetDialogs(vat.get(), hold.get(), project.get(), period.get(), error.get(), eoy.get());
        window = frm;
        holdback = hold.get();
        objects.dataModule = std::move(dm);
        objects.mainForm = std::move(form);
        objects.furtherForms.push_back(std::move(eoy));
        objects.furtherForms.push_back(std::move(period));
        objects.furtherForms.push_back(std::move(hold));
        objects.furtherForms.push_back(std::move(project));
        objects.furtherForms.push_back(std::move(error));
        objects.furtherForms.push_back(std::move(vat));
        return objects;
    });
}
