#include "varnex/frame/picklist.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include <dlfcn.h>

#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/table.h"
#include "varnex/frame/module.h"
#include "varnex/messages.h"
#include "varnex/translation/translate.h"
#include "varnex/widgets/dbwidgets.h"

namespace varnex::frame {

namespace {

PickListService* g_installed = nullptr;
const void* g_moduleAddress = nullptr;

// Finds the entry points through the calling module's own handle: a lookup on
// a library's handle also searches the libraries it was linked with.
class LinkedPickLists : public PickListService {
public:
    QString ApGetSupplier(const TLinkSection& record) override { return callText("ApGetSupplier", record); }
    int GlGetAccount(const TLinkSection& record) override { return callNumber("GlGetAccount", record); }
    QString Getproject(const TLinkSection& record) override { return callText("Getproject", record); }
    int Getphase(const TLinkSection& record) override { return callNumber("Getphase", record); }
    QString Getelem(const TLinkSection& record) override { return callText("Getelem", record); }
    QString GetLineCd(const TLinkSection& record) override { return callText("GetLineCd", record); }
    QString CfhdrGetDoc(const TLinkSection& record) override { return callText("CfhdrGetDoc", record); }
    void QuickLink(const TLinkSection& record) override { callNumber("QuickLink", record); }

private:
    static void* entry(const char* name)
    {
        void* handle = RTLD_DEFAULT;
        Dl_info info{};
        void* own = nullptr;
        if (g_moduleAddress && dladdr(g_moduleAddress, &info) && info.dli_fname) {
            own = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
            if (own)
                handle = own;
        }
        void* address = dlsym(handle, name);
        if (own)
            dlclose(own); // only drops the reference NOLOAD took
        return address;
    }

    static QString callText(const char* name, const TLinkSection& record)
    {
        using Function = std::int32_t (*)(VxStr*, TLinkSection);
        auto function = reinterpret_cast<Function>(entry(name));
        if (function == nullptr)
            return QString();
        VxStr slot = 0;
        function(&slot, record);
        const QString text = LinkText(slot);
        vxstr_release(slot);
        return text;
    }

    static int callNumber(const char* name, const TLinkSection& record)
    {
        using Function = std::int32_t (*)(TLinkSection);
        auto function = reinterpret_cast<Function>(entry(name));
        return function ? function(record) : 0;
    }
};

} // namespace

PickListService& PickLists()
{
    static LinkedPickLists linked;
    return g_installed ? *g_installed : linked;
}

void SetPickListService(PickListService* service)
{
    g_installed = service;
}
void SetPickListModule(const void* moduleAddress)
{
    g_moduleAddress = moduleAddress;
}

RecordingPickListService::RecordingPickListService()
{
    SetPickListService(this);
}
RecordingPickListService::~RecordingPickListService()
{
    if (g_installed == this)
        SetPickListService(nullptr);
}

QString RecordingPickListService::nextText(const char* entry, const TLinkSection& record)
{
    calls << QString::fromUtf8(entry) + QLatin1Char(':') + LinkText(record.Link_context);
    return textAnswers.isEmpty() ? QString() : textAnswers.takeFirst();
}

int RecordingPickListService::nextNumber(const char* entry, const TLinkSection& record)
{
    calls << QString::fromUtf8(entry) + QLatin1Char(':') + LinkText(record.Link_context);
    return numberAnswers.isEmpty() ? 0 : numberAnswers.takeFirst();
}

QString RecordingPickListService::ApGetSupplier(const TLinkSection& r)
{
    return nextText("ApGetSupplier", r);
}
int RecordingPickListService::GlGetAccount(const TLinkSection& r)
{
    return nextNumber("GlGetAccount", r);
}
QString RecordingPickListService::Getproject(const TLinkSection& r)
{
    return nextText("Getproject", r);
}
int RecordingPickListService::Getphase(const TLinkSection& r)
{
    return nextNumber("Getphase", r);
}
QString RecordingPickListService::Getelem(const TLinkSection& r)
{
    return nextText("Getelem", r);
}
QString RecordingPickListService::GetLineCd(const TLinkSection& r)
{
    return nextText("GetLineCd", r);
}
QString RecordingPickListService::CfhdrGetDoc(const TLinkSection& r)
{
    return nextText("CfhdrGetDoc", r);
}
void RecordingPickListService::QuickLink(const TLinkSection& r)
{
    nextNumber("QuickLink", r);
}

// ---- TPickListDialog ----------------------------------------------------------

TPickListDialog::TPickListDialog(const PickListSpec& pickList, QWidget* parent)
    : QDialog(parent)
    , m_spec(pickList)
    , m_model(new QStandardItemModel(this))
    , m_filter(new QSortFilterProxyModel(this))
{
    setObjectName(pickList.objectName);
    setWindowTitle(pickList.caption);
    auto* searchLabel = new QLabel(QStringLiteral("Search:"), this);
    searchLabel->setObjectName(QStringLiteral("SearchLabel"));
    SearchEdit = new QLineEdit(this);
    SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
    searchLabel->setBuddy(SearchEdit);
    PickGrid = new QTableView(this);
    PickGrid->setObjectName(QStringLiteral("PickGrid"));
    PickGrid->setModel(m_filter);
    PickGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    PickGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    PickGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PickGrid->verticalHeader()->hide();
    PickGrid->horizontalHeader()->setStretchLastSection(true);
    m_filter->setSourceModel(m_model);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_filter->setFilterKeyColumn(-1);

    QStringList titles;
    for (const PickColumn& c : pickList.columns)
        titles << c.title;
    m_model->setHorizontalHeaderLabels(titles);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(ok, &QPushButton::clicked, this, &TPickListDialog::choose);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(PickGrid, &QTableView::doubleClicked, this, &TPickListDialog::choose);
    connect(SearchEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setFilterFixedString(text);
        if (m_filter->rowCount() > 0)
            PickGrid->selectRow(0);
    });

    auto* search = new QHBoxLayout;
    search->addWidget(searchLabel);
    search->addWidget(SearchEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addWidget(PickGrid);
    layout->addLayout(buttons);
    resize(560, 380);
}

bool TPickListDialog::load(const QString& folder)
{
    try {
        data::Table table;
        table.setDatabase(data::Database::forFolder(folder));
        table.setTableName(m_spec.tableName);
        table.setReadOnly(true);
        table.open();
        if (!m_spec.indexFields.isEmpty())
            table.setIndexFieldNames(m_spec.indexFields);
        if (m_spec.filter)
            table.setFilter(m_spec.filter);
        for (table.first(); !table.eof(); table.next()) {
            QList<QStandardItem*> items;
            for (const PickColumn& c : m_spec.columns)
                items << new QStandardItem(DisplayTextOf(table.field(c.field)));
            QVariantList result;
            for (const QString& f : m_spec.resultFields)
                result << table.field(f).value();
            items.first()->setData(static_cast<int>(m_results.size()), Qt::UserRole);
            m_model->appendRow(items);
            m_results << result;
        }
    } catch (const data::EngineError& error) {
        m_error = error.message();
        return false;
    }
    for (int i = 0; i < m_spec.columns.size(); ++i)
        if (m_spec.columns[i].width > 0)
            PickGrid->setColumnWidth(i, m_spec.columns[i].width);
    if (m_filter->rowCount() > 0)
        PickGrid->selectRow(0);
    return true;
}

void TPickListDialog::choose()
{
    const QModelIndex current = PickGrid->currentIndex();
    if (!current.isValid())
        return;
    const QModelIndex first = m_filter->mapToSource(m_filter->index(current.row(), 0));
    const int resultIndex = m_model->itemFromIndex(first)->data(Qt::UserRole).toInt();
    m_chosen = m_results.value(resultIndex);
    accept();
}

void TPickListDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: choose(); return;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        // the arrows move in the list while the search box has the focus
        QCoreApplication::sendEvent(PickGrid, event);
        return;
    default: QDialog::keyPressEvent(event);
    }
}

void TranslatePickWindow(QWidget* window, const TLinkSection& record)
{
    const QString code = LinkLangCode(record);
    if (code.isEmpty())
        return;
    try {
        translation::TranslateForm(window, QStringLiteral("picklists") + code);
    } catch (...) {
        // Without its table the window keeps its design texts: choosing a
        // code matters more than the language it is offered in.
    }
}

std::optional<QVariantList> RunPickList(const PickListSpec& pickList, const TLinkSection& record)
{
    TPickListDialog dialog(pickList);
    TranslatePickWindow(&dialog, record);
    if (!dialog.load(CompanyFolder(record))) {
        ShowErrorMessage(dialog.errorText());
        return std::nullopt;
    }
    dialog.SearchEdit->setFocus();
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty())
        return std::nullopt;
    return dialog.chosen();
}

void FillString(VxStr* slot, const QString& text)
{
    if (slot != nullptr)
        LinkSetText(*slot, text);
}

} // namespace varnex::frame
