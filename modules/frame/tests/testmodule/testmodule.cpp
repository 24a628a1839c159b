// A module built on the frame, only for tests: it walks the whole path a
// real module walks, on a company folder of the demo layout.
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "varnex/data/table.h"
#include "varnex/frame/module.h"
#include "varnex/frame/picklist.h"
#include "varnex/frame/services.h"
#include "varnex/frame/tables.h"
#include "varnex/statusbar.h"

using namespace varnex;
using namespace varnex::frame;

// Linked, not loaded: without suppick.so beside it this library cannot load.
extern "C" std::int32_t ApGetSupplier(VxStr* code, TLinkSection record);

namespace {

LinkRecord g_link;

class Ttestmodule_dm : public QObject {
public:
    Ttestmodule_dm() { setObjectName(QStringLiteral("testmodule_dm")); }
    ModuleDatabase Database1{QStringLiteral("testmoduledb")};
    // A child of the data module, so that its date fields get the regional format.
    data::Table sup_table{this};
};

class Ttestmodule_frm : public TModuleForm {
public:
    explicit Ttestmodule_frm(Ttestmodule_dm* dm)
        : m_dm(dm)
    {
        setObjectName(QStringLiteral("testmodule_frm"));
        setWindowTitle(QStringLiteral("Test module"));
        SupplierLabel = new QLabel(this);
        SupplierLabel->setObjectName(QStringLiteral("SupplierLabel"));
        IntlStrings1 = new QPlainTextEdit(this);
        IntlStrings1->setObjectName(QStringLiteral("IntlStrings1"));
        IntlStrings1->hide();
        StatusBar1 = new TStatusBar(this);
        StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
        StatusBar1->addPanel();
        StatusBar1->addPanel();
        StatusBar1->addPanel(QStringLiteral("Version "));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(SupplierLabel);
        layout->addWidget(StatusBar1);
        setFixedSize(360, 120);
    }

    QLabel* SupplierLabel;
    QPlainTextEdit* IntlStrings1;
    TStatusBar* StatusBar1;
    int activations = 0;

protected:
    void FormActivate() override
    {
        ++activations;
        FirstActivationSetup setup;
        setup.moduleName = QStringLiteral("testmodule");
        setup.formsToTranslate = {this};
        setup.standaloneDefaults = true;
        setup.statusBar = StatusBar1;
        setup.moduleAddress = reinterpret_cast<const void*>(&ShowDllFormAddress);
        setup.databases = {{&m_dm->Database1, true}};
        if (!FirstActivation(g_link, setup))
            return;
        setProperty("workTable",
                    PrepareWorkTable(*m_dm->Database1.database(), QStringLiteral("Captmp"), g_link.raw().Link_session));
        m_dm->sup_table.setDatabase(m_dm->Database1.database());
        m_dm->sup_table.setTableName(QStringLiteral("sup"));
        if (!OpenTableChecked(m_dm->sup_table, g_link.raw().Link_language, nullptr))
            return;
        setProperty("supplierCount", m_dm->sup_table.recordCount());
        SetPickListModule(reinterpret_cast<const void*>(&ShowDllFormAddress));
        LinkSetText(g_link.raw().Link_context, QStringLiteral("N"));
        SupplierLabel->setText(PickLists().ApGetSupplier(g_link.raw()));
    }

private:
    static void ShowDllFormAddress() {}
    Ttestmodule_dm* m_dm;
};

// What the test reads back after the call.
QString g_lastCaption;
QString g_lastStatus;
QString g_lastSupplier;
QString g_lastWorkTable;
int g_lastActivations = 0;
int g_lastSupplierCount = -1;

} // namespace

extern "C" std::int32_t ShowDllForm(TLinkSection record)
{
    ModuleOptions options;
    return RunModule(record, g_link, options, [] {
        ModuleObjects objects;
        auto dm = std::make_unique<Ttestmodule_dm>();
        auto form = std::make_unique<Ttestmodule_frm>(dm.get());
        QObject::connect(form.get(), &QDialog::finished, form.get(), [f = form.get()] {
            g_lastCaption = f->windowTitle();
            g_lastStatus = f->StatusBar1->panelText(0) + QLatin1Char('|') + f->StatusBar1->panelText(1)
                           + QLatin1Char('|') + f->StatusBar1->panelText(2);
            g_lastSupplier = f->SupplierLabel->text();
            g_lastWorkTable = f->property("workTable").toString();
            g_lastActivations = f->activations;
            g_lastSupplierCount = f->property("supplierCount").isValid() ? f->property("supplierCount").toInt() : -1;
        });
        objects.dataModule = std::move(dm);
        objects.mainForm = std::move(form);
        return objects;
    });
}

// Test access to what the last call showed.
extern "C" const char* TestModuleLast(int what)
{
    static QByteArray text;
    switch (what) {
    case 0: text = g_lastCaption.toUtf8(); break;
    case 1: text = g_lastStatus.toUtf8(); break;
    case 2: text = g_lastSupplier.toUtf8(); break;
    case 3: text = g_lastWorkTable.toUtf8(); break;
    case 4: text = QByteArray::number(g_lastActivations); break;
    case 5: text = QByteArray::number(g_lastSupplierCount); break;
    case 6: text = QByteArray::number(static_cast<qulonglong>(vxstr_refcount(g_link.raw().Link_user))); break;
    default: text.clear();
    }
    return text.constData();
}
