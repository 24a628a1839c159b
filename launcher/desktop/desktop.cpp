#include "desktop.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextEdit>
#include <QToolButton>

#include <set>

#include "dialogs.h"
#include "logoappform.h"
#include "varnex/controls/componentstream.h"
#include "varnex/controls/transparentbutton.h"
#include "varnex/controls/wallpaper.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/table.h"
#include "varnex/messages.h"
#include "varnex/translation/message_lines.h"
#include "varnex/translation/translate.h"

namespace varnex::launcher::desktop {

namespace lines = translation::launcher_lines;

namespace {

// What a list box carries when it is dragged with drag and drop: its name.
const QString kListMime = QStringLiteral("application/x-varnex-desktop-list");

const char* const kStreamClasses[kComponentTypeCount] = {"TWallpaper", "TTransparentButton", "TGroupBox", "TDBGrid",
                                                         "TRichEdit"};

template <typename T>
T* as(QObject* o)
{
    return qobject_cast<T*>(o);
}

} // namespace

TDesktop::TDesktop(TLogoAppForm& form, DesktopEnvironment environment)
    : QObject(&form)
    , m_form(form)
    , m_env(std::move(environment))
{
    setObjectName(QStringLiteral("Desktop1"));
    if (!m_env.choosePicture)
        m_env.choosePicture = SystemPictureChooser();
    registerClasses();
    buildDesign();
    installHooks();
}

TDesktop::~TDesktop() = default;

void TDesktop::registerClasses()
{
    ComponentRegistry& registry = ComponentRegistry::instance();

    ComponentClass box;
    box.className = QStringLiteral("TGroupBox");
    box.metaObject = &TDesktopListBox::staticMetaObject;
    box.add(stored::Geometry());
    box.add(stored::Tag());
    box.add(stored::Font());
    box.add(stored::BackgroundColor());
    registry.registerClass(std::move(box));

    ComponentClass grid;
    grid.className = QStringLiteral("TDBGrid");
    grid.metaObject = &TDesktopGrid::staticMetaObject;
    grid.add(stored::Geometry());
    grid.add(stored::Font());
    grid.add(stored::HeaderColumns());
    registry.registerClass(std::move(grid));

    ComponentClass notes;
    notes.className = QStringLiteral("TRichEdit");
    notes.metaObject = &QTextEdit::staticMetaObject;
    notes.add(stored::Geometry());
    notes.add(stored::Font());
    notes.add(stored::RichText());
    registry.registerClass(std::move(notes));
}

void TDesktop::buildDesign()
{
    m_wallpaper = m_form.findChild<TWallpaper*>(QStringLiteral("Wallpaper1"));
    Q_ASSERT(m_wallpaper);
    m_wallpaper->setAcceptDrops(true);
    m_wallpaper->setContextMenuPolicy(Qt::PreventContextMenu);
    m_wallpaper->installEventFilter(this);

    m_popup = new QMenu(&m_form);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    auto popupItem = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* item = menu->addAction(text);
        item->setObjectName(QLatin1String(name));
        return item;
    };
    auto component = [this] { return m_popup->property("PopupComponent").value<QObject*>(); };
    connect(popupItem(m_popup, "Properties1", QStringLiteral("Propriétés")), &QAction::triggered, this,
            [this, component] { Properties1Click(component()); });
    connect(popupItem(m_popup, "Shortcut1", QStringLiteral("Raccourci")), &QAction::triggered, this,
            [this] { Shortcut1Click(); });
    connect(popupItem(m_popup, "DeleteShortCut", QStringLiteral("Détruire raccourci")), &QAction::triggered, this,
            [this, component] { DeleteShortCutClick(component()); });

    m_notesPopup = new QMenu(&m_form);
    m_notesPopup->setObjectName(QStringLiteral("PopupMenu2"));
    connect(popupItem(m_notesPopup, "Enlarge2", QStringLiteral("Agrandir")), &QAction::triggered, this,
            [this] { Enlarge2Click(); });
    connect(popupItem(m_notesPopup, "Reduce2", QStringLiteral("Réduire")), &QAction::triggered, this,
            [this] { Reduce2Click(); });
    // The printing of the list is offered and does nothing yet.
    popupItem(m_notesPopup, "PrintList1", QStringLiteral("Imprimer la liste"));

    m_pictureFilter = new QLabel(QStringLiteral("Bitmap image|*.bmp|Jpeg image|*.jpg"), &m_form);
    m_pictureFilter->setObjectName(QStringLiteral("PictureFilter"));
    m_pictureFilter->hide();

    static const QPoint places[kListCount] = {{8, 8}, {330, 8}, {8, 186}, {330, 186}, {420, 300}, {8, 300}};
    static const char* const titles[kListCount] = {"Clients",  "Fournisseurs",   "Charte des comptes",
                                                   "Employés", "Choses à faire", "Produits"};
    for (int i = 0; i < kListCount; ++i) {
        auto* box = new TDesktopListBox(i, m_wallpaper);
        box->setTitle(QString::fromUtf8(titles[i]));
        box->setGeometry(QRect(places[i], QSize(313, 169)));
        box->installEventFilter(this);
        connect(box->reduceButton(), &QToolButton::clicked, this, [this, i] { ReduceClick(i); });
        connect(box->enlargeButton(), &QToolButton::clicked, this, [this, i] { EnlargeClick(i); });
        connect(box->closeButton(), &QToolButton::clicked, this, [this, i] { ToggleList(i); });
        m_boxes[static_cast<size_t>(i)] = box;

        const ListInfo& info = Lists()[static_cast<size_t>(i)];
        if (info.gridIndex >= 0) {
            auto* grid = new TDesktopGrid(box);
            grid->setObjectName(QLatin1String(info.contentName));
            m_tables.bind(i, grid);
            connect(grid, &TVarnexDBGrid::keyPressed, this,
                    [this, i](int key, Qt::KeyboardModifiers) { DBGrid1KeyDown(i, key); });
            m_grids[static_cast<size_t>(info.gridIndex)] = grid;
            box->setContent(grid);
        } else {
            m_notes = new QTextEdit(box);
            m_notes->setObjectName(QLatin1String(info.contentName));
            m_notes->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(m_notes, &QWidget::customContextMenuRequested, this,
                    [this](const QPoint& at) { m_notesPopup->popup(m_notes->mapToGlobal(at)); });
            connect(m_notes, &QTextEdit::textChanged, this, [this] {
                if (!m_restoring)
                    changed();
            });
            box->setContent(m_notes);
        }
    }

    // Entering a list with the keyboard or the mouse brings it to the front.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (QWidget* w = now; w; w = w->parentWidget()) {
            if (auto* box = qobject_cast<TDesktopListBox*>(w)) {
                if (box->parentWidget() == m_wallpaper)
                    BringToFront(box->listIndex());
                return;
            }
        }
    });

    m_properties = new TPropertiesDlg(&m_form, m_env.choosePicture);
    translateOwnComponents();
}

void TDesktop::installHooks()
{
    LauncherHooks& hooks = m_form.environment().hooks;
    hooks.buildDesktop = [this] { Set_Desktop(); };
    hooks.saveDesktop = [this] { Save_Desktop(); };
    hooks.changeDesktopProperties = [this] { Changeproperties1Click(); };
    hooks.addShortcut = [this] { Shortcut1Click(); };
    hooks.companyChanged = [this] { CompanyChanged(); };
    hooks.loggedOut = [this] { CloseListTables(); };
    // The properties dialog speaks the language of the login, like the
    // other dialogs of the launcher, and keeps it until the next start.
    connect(&m_form, &TLogoAppForm::firstActivationDone, this, [this] { translateProperties(); });
}

void TDesktop::translateOwnComponents()
{
    // The main window was translated before the desktop existed: the lists,
    // their columns and the popup menus take the same table's texts now.
    const QString code = m_form.linkSection().langCode();
    if (code.isEmpty())
        return;
    try {
        const auto table =
            translation::LanguageTables().open(translation::LanguageTableFileName(QStringLiteral("MainMenu") + code));
        std::set<QString> own;
        for (QObject* o : translation::WindowComponents(&m_form)) {
            for (QObject* p = o; p; p = p->parent()) {
                if (p == m_wallpaper || p == m_popup || p == m_notesPopup || p == m_pictureFilter) {
                    own.insert(o->objectName());
                    break;
                }
            }
        }
        std::vector<translation::LanguageRow> rows;
        for (translation::LanguageRow& row : table->rowsOfForm(m_form.objectName())) {
            if (own.count(row.componentName))
                rows.push_back(std::move(row));
        }
        translation::ApplyLanguageRows(&m_form, rows);
    } catch (const std::exception&) {
        // The main window has told the user about a missing table already.
    }
}

void TDesktop::translateProperties()
{
    const QString code = m_form.linkSection().langCode();
    if (code.isEmpty())
        return;
    try {
        translation::TranslateForm(m_properties, QStringLiteral("MainMenu") + code);
    } catch (const std::exception&) {
        // Told once by the main window; the dialog keeps its texts.
    }
}

// ---- helpers ------------------------------------------------------------------------

QString TDesktop::userCode() const
{
    auto* user = m_form.findChild<data::Table*>(QStringLiteral("user"));
    if (!user || !user->isOpen() || user->isEmpty() || user->eof())
        return QString();
    return user->field(QStringLiteral("User_code")).asString();
}

QString TDesktop::dataRoot() const
{
    return m_form.linkSection().text(&TLinkSection::Link_data_dir);
}

QString TDesktop::programFolder() const
{
    return m_form.linkSection().text(&TLinkSection::Link_pgm_dir);
}

QString TDesktop::messageLine(int line) const
{
    return m_form.messageLine(line);
}

int TDesktop::runDialog(QDialog& dialog)
{
    return m_form.environment().runDialog(dialog);
}

void TDesktop::changed()
{
    m_form.markDesktopChanged();
}

bool TDesktop::optionAllowed(const QString& option) const
{
    // The option must be a row of the allowed-options list, as for shortcuts:
    // a test for the name anywhere in the list's text would let "view" pass
    // on the strength of "clview".
    auto* dllList = m_form.findChild<QListWidget*>(QStringLiteral("DllList"));
    if (!dllList || option.isEmpty())
        return false;
    for (int i = 0; i < dllList->count(); ++i) {
        if (dllList->item(i)->text() == option)
            return true;
    }
    return false;
}

QList<TTransparentButton*> TDesktop::icons() const
{
    return m_wallpaper->findChildren<TTransparentButton*>(Qt::FindDirectChildrenOnly);
}

// ---- lists ----------------------------------------------------------------------------

bool TDesktop::showList(int listIndex, bool show)
{
    TDesktopListBox* box = listBox(listIndex);
    if (!show) {
        box->setProperty("Tag", 0);
        box->hide();
        m_tables.close(listIndex);
        return true;
    }
    try {
        m_tables.open(listIndex);
    } catch (const data::EngineError& error) {
        // A company without this table: the list stays closed.
        ShowErrorMessage(error.message(), &m_form);
        box->setProperty("Tag", 0);
        box->hide();
        return false;
    }
    box->setProperty("Tag", 1);
    box->show();
    box->applyGeometryRules();
    return true;
}

void TDesktop::ToggleList(int listIndex)
{
    if (listIndex < 0 || listIndex >= kListCount)
        return;
    const ListInfo& info = Lists()[static_cast<size_t>(listIndex)];
    if (*info.option && !optionAllowed(QLatin1String(info.option)))
        return;
    TDesktopListBox* box = listBox(listIndex);
    if (!box->isHidden())
        showList(listIndex, false);
    else if (!showList(listIndex, true))
        return;
    changed();
}

void TDesktop::CloseListTables()
{
    for (int list = 0; list < kListCount; ++list)
        m_tables.close(list);
}

void TDesktop::CompanyChanged()
{
    // Open lists would go on showing the company that was left.
    for (int list = 0; list < kListCount; ++list) {
        if (!m_tables.isOpen(list))
            continue;
        m_tables.close(list);
        if (listBox(list)->isHidden()) {
            // A list hidden with its icon keeps its table open, now on this company.
            try {
                m_tables.open(list);
            } catch (const data::EngineError&) {
                // Opened again when the list is next shown.
            }
        } else {
            showList(list, true);
        }
    }
}

void TDesktop::ReduceClick(int listIndex)
{
    TDesktopListBox* box = listBox(listIndex);
    box->resize(Reduced(box->size()));
    box->applyGeometryRules();
    changed();
}

void TDesktop::EnlargeClick(int listIndex)
{
    TDesktopListBox* box = listBox(listIndex);
    box->resize(Enlarged(box->size()));
    box->applyGeometryRules();
    changed();
}

void TDesktop::BringToFront(int listIndex)
{
    TDesktopListBox* box = listBox(listIndex);
    // Already above every other shown list: nothing changes, and the focus
    // the window gives a list when it is activated does not count as a change.
    TDesktopListBox* front = nullptr;
    for (QObject* child : m_wallpaper->children()) {
        if (auto* shown = qobject_cast<TDesktopListBox*>(child); shown && !shown->isHidden())
            front = shown;
    }
    if (front == box)
        return;
    box->raise();
    changed();
}

void TDesktop::ClientListMouseDown(TDesktopListBox* box, Qt::MouseButton button, const QPoint& at)
{
    if (button != Qt::LeftButton)
        return;
    m_dragging = box;
    m_pressAt = at;
}

void TDesktop::ClientListMouseMove(TDesktopListBox* box, const QPoint& at)
{
    if (!m_dragging || m_dragging != box)
        return;
    const std::optional<QPoint> moved = DraggedPosition(box->geometry(), m_pressAt, at, m_wallpaper->size());
    if (!moved)
        return;
    box->move(*moved);
    box->update();
    changed();
}

void TDesktop::ClientListMouseUp(TDesktopListBox*)
{
    m_dragging = nullptr;
}

void TDesktop::DBGrid1KeyDown(int listIndex, int key)
{
    if (key != Qt::Key_Insert)
        return;
    const ListInfo& info = Lists()[static_cast<size_t>(listIndex)];
    if (!*info.maintenance)
        return;
    m_form.RunOption(QLatin1String(info.maintenance));
    try {
        m_tables.refresh(listIndex);
    } catch (const data::EngineError& error) {
        ShowErrorMessage(error.message(), &m_form);
    }
}

// ---- events --------------------------------------------------------------------------

bool TDesktop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_wallpaper) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                m_popup->setProperty("PopupComponent", QVariant::fromValue(static_cast<QObject*>(m_wallpaper)));
                m_popup->popup(mouse->globalPosition().toPoint());
                return true;
            }
            break;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            // Wallpaper1DragOver: only list boxes are accepted.
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const bool list = drag->mimeData()->hasFormat(kListMime)
                              && ListIndexOfBox(QString::fromUtf8(drag->mimeData()->data(kListMime))) >= 0;
            if (list)
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const int index = drop->mimeData()->hasFormat(kListMime)
                                  ? ListIndexOfBox(QString::fromUtf8(drop->mimeData()->data(kListMime)))
                                  : -1;
            if (index < 0)
                return false;
            listBox(index)->move(drop->position().toPoint());
            drop->acceptProposedAction();
            changed();
            return true;
        }
        default: break;
        }
        return false;
    }
    if (auto* box = qobject_cast<TDesktopListBox*>(watched)) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            BringToFront(box->listIndex());
            ClientListMouseDown(box, mouse->button(), mouse->position().toPoint());
            return true;
        }
        case QEvent::MouseMove:
            ClientListMouseMove(box, static_cast<QMouseEvent*>(event)->position().toPoint());
            return true;
        case QEvent::MouseButtonRelease: ClientListMouseUp(box); return true;
        default: break;
        }
    }
    return false;
}

// ---- icons ---------------------------------------------------------------------------

void TDesktop::prepareIcon(TTransparentButton* icon)
{
    icon->setPopUpMenu(m_popup);
    const int list = ListIndexOfIcon(icon->objectName());
    if (list >= 0)
        icon->OnClick = [this, list](QObject*) { ToggleList(list); };
    else
        icon->OnClick = [this](QObject* sender) { ExecuteIconOption(sender); };
    icon->OnMouseMove = [this](QObject* sender, Qt::KeyboardModifiers, int, int) { ClientBtnMouseMove(sender); };
}

void TDesktop::ExecuteIconOption(QObject* icon)
{
    if (icon)
        m_form.RunOption(icon->objectName());
}

void TDesktop::ClientBtnMouseMove(QObject* icon)
{
    auto* button = as<TTransparentButton>(icon);
    if (button && button->isTracking() && button->Movable())
        changed();
}

void TDesktop::Shortcut1Click()
{
    auto* dialog = m_form.findChild<TShortcutDlg*>(QStringLiteral("ShortcutDlg"));
    if (!dialog)
        return;
    if (dialog->OptionNames->count() > 0)
        dialog->OptionNames->setCurrentRow(0);
    if (runDialog(*dialog) != QDialog::Accepted)
        return;
    const int row = dialog->OptionNames->currentRow();
    if (row < 0 || row >= dialog->DllList->count())
        return;
    const QString option = dialog->DllList->item(row)->text();
    if (option.isEmpty()) {
        // Listed because the user sees it in the menus, but not his to run.
        ShowMessage(messageLine(lines::OptionNotAllowed), &m_form);
        return;
    }
    const QString name = ShortcutName(option);
    for (TTransparentButton* icon : icons()) {
        if (icon->objectName() == name) {
            ShowMessage(messageLine(lines::ShortcutExists), &m_form);
            return;
        }
    }
    auto* icon = new TTransparentButton(m_wallpaper);
    icon->hide();
    const QImage picture(programFolder() + QStringLiteral("/sysedit.bmp"));
    if (!picture.isNull())
        icon->setGlyph(picture);
    icon->setCaption(dialog->OptionNames->item(row)->text());
    icon->setObjectName(name);
    icon->setGeometry(296, 256, 89, 89);
    icon->setBorderWidth(0);
    icon->setProperty("Tag", 1);
    icon->setFont(QFont(QStringLiteral("Arial"), 10));
    QPalette palette = icon->palette();
    palette.setColor(icon->foregroundRole(), Qt::white);
    palette.setColor(QPalette::WindowText, Qt::white);
    icon->setPalette(palette);
    prepareIcon(icon);
    icon->show();
    changed();
}

void TDesktop::DeleteShortCutClick(QObject* component)
{
    auto* icon = as<TTransparentButton>(component);
    if (!icon || icon->parent() != m_wallpaper)
        return;
    const int list = ListIndexOfIcon(icon->objectName());
    if (list >= 0) {
        // The list goes away with its icon; its table stays open.
        listBox(list)->setProperty("Tag", 0);
        listBox(list)->hide();
    }
    // The icon may be the one whose popup is still returning: it leaves the
    // desktop now and is freed once its events are over.
    icon->hide();
    icon->setParent(nullptr);
    icon->deleteLater();
    changed();
}

void TDesktop::Properties1Click(QObject* component)
{
    if (component == m_wallpaper) {
        Changeproperties1Click();
        return;
    }
    auto* icon = as<TTransparentButton>(component);
    if (!icon)
        return;
    m_properties->setProgramFolder(programFolder());
    m_properties->setPicture(icon->Glyph());
    m_properties->NewCaption->setText(icon->Caption());
    m_properties->DllLabel->setText(OptionOfShortcut(icon->objectName()));
    // A picture chosen in an earlier, cancelled use of the dialog is not this icon's.
    m_properties->clearNewPicture();
    changed();
    if (runDialog(*m_properties) != QDialog::Accepted)
        return;
    icon->setCaption(m_properties->NewCaption->text());
    if (m_properties->newPictureChosen()) {
        const QImage picture(m_properties->pictureFile());
        if (picture.isNull())
            ShowMessage(messageLine(lines::PictureNotLoaded), &m_form);
        else
            icon->setGlyph(picture);
    }
}

void TDesktop::Changeproperties1Click()
{
    const QString file = m_env.choosePicture(&m_form, programFolder(), QtFileFilter(m_pictureFilter->text()));
    if (file.isEmpty())
        return;
    changed();
    const QImage picture(file);
    if (picture.isNull()) {
        ShowMessage(messageLine(lines::PictureNotLoaded), &m_form);
        return;
    }
    m_wallpaper->setWallpaper(picture);
}

void TDesktop::removeIcons()
{
    for (TTransparentButton* icon : icons()) {
        icon->hide();
        icon->setParent(nullptr);
        icon->deleteLater();
    }
}

// ---- stored desktop ----------------------------------------------------------------

QList<DesktopRow> TDesktop::CaptureDesktop() const
{
    QList<DesktopRow> rows;
    const QList<QWidget*> components = m_form.findChildren<QWidget*>();
    for (int position = 0; position < components.size(); ++position) {
        QWidget* w = components[position];
        DesktopRow row;
        row.componentIndex = position;
        if (w == m_wallpaper) {
            row.type = int(ComponentType::Wallpaper);
        } else if (qobject_cast<TTransparentButton*>(w) && w->parent() == m_wallpaper) {
            row.type = int(ComponentType::Icon);
        } else if (auto* box = qobject_cast<TDesktopListBox*>(w)) {
            row.type = int(ComponentType::ListBox);
            row.componentIndex = box->listIndex();
        } else if (qobject_cast<TDesktopGrid*>(w)) {
            row.type = int(ComponentType::ListGrid);
            row.componentIndex = int(std::find(m_grids.begin(), m_grids.end(), w) - m_grids.begin());
        } else if (w == m_notes) {
            row.type = int(ComponentType::Notes);
        } else {
            continue;
        }
        row.component = WriteComponent(w);
        rows << row;
    }
    return rows;
}

void TDesktop::Save_Desktop()
{
    const QString user = userCode();
    if (user.isEmpty())
        return;
    try {
        ReplaceDesktopRows(dataRoot(), user, CaptureDesktop());
    } catch (const data::EngineError& error) {
        ShowErrorMessage(error.message(), &m_form);
    } catch (const ComponentStreamError& error) {
        ShowErrorMessage(error.message(), &m_form);
    }
}

QString TDesktop::validate(const QList<DesktopRow>& rows) const
{
    std::set<QString> iconNames;
    for (int i = 0; i < rows.size(); ++i) {
        const DesktopRow& row = rows[i];
        auto fault = [i](const QString& why) { return QStringLiteral("%1: %2").arg(i + 1).arg(why); };
        if (row.type < 0 || row.type >= kComponentTypeCount)
            return fault(QStringLiteral("type %1").arg(row.type));
        QString why;
        const std::optional<StoredComponent> stored = TryReadStream(row.component, &why);
        if (!stored)
            return fault(why);
        if (stored->className != QLatin1String(kStreamClasses[row.type]))
            return fault(stored->className);
        const auto type = ComponentType(row.type);
        // Each component is loaded into a stand-in first, so that a row that
        // would be refused is found before anything on screen has changed.
        std::unique_ptr<QWidget> standIn;
        switch (type) {
        case ComponentType::Wallpaper: standIn = std::make_unique<TWallpaper>(); break;
        case ComponentType::Icon:
            if (!iconNames.insert(stored->name).second)
                return fault(stored->name);
            standIn = std::make_unique<TTransparentButton>();
            break;
        case ComponentType::ListBox:
            if (row.componentIndex < 0 || row.componentIndex >= kListCount)
                return fault(QStringLiteral("index %1").arg(row.componentIndex));
            standIn = std::make_unique<TDesktopListBox>(row.componentIndex, nullptr);
            break;
        case ComponentType::ListGrid: {
            if (row.componentIndex < 0 || row.componentIndex >= kGridCount)
                return fault(QStringLiteral("index %1").arg(row.componentIndex));
            auto grid = std::make_unique<TDesktopGrid>();
            grid->setColumns(m_grids[static_cast<size_t>(row.componentIndex)]->gridModel()->columns());
            standIn = std::move(grid);
            break;
        }
        case ComponentType::Notes: standIn = std::make_unique<QTextEdit>(); break;
        }
        try {
            ApplyComponent(*stored, standIn.get(), true);
        } catch (const ComponentStreamError& error) {
            return fault(error.message());
        }
    }
    return QString();
}

void TDesktop::applyRows(const QList<DesktopRow>& rows)
{
    m_restoring = true;
    removeIcons();
    // First pass: the wallpaper and the list boxes, each list opened and
    // shown as it was stored.
    for (const DesktopRow& row : rows) {
        const StoredComponent stored = ReadStream(row.component);
        if (row.type == int(ComponentType::Wallpaper)) {
            ApplyComponent(stored, m_wallpaper, true);
            // The window places its central panel; the stored place and size
            // are those of the window it was saved from.
            if (QLayout* layout = m_form.layout()) {
                layout->invalidate();
                layout->activate();
            }
        } else if (row.type == int(ComponentType::ListBox)) {
            TDesktopListBox* box = listBox(row.componentIndex);
            ApplyComponent(stored, box, true);
            const ListInfo& info = Lists()[static_cast<size_t>(row.componentIndex)];
            // A list whose display option the user may no longer run is not
            // shown again from an old desktop.
            const bool allowed = !*info.option || optionAllowed(QLatin1String(info.option));
            showList(row.componentIndex, box->property("Tag").toInt() == 1 && allowed);
        }
    }
    // Second pass: icons, grids and the notes.
    for (const DesktopRow& row : rows) {
        const StoredComponent stored = ReadStream(row.component);
        if (row.type == int(ComponentType::Icon)) {
            auto* icon = new TTransparentButton(m_wallpaper);
            icon->hide();
            ApplyComponent(stored, icon);
            prepareIcon(icon);
            if (icon->property("Tag").toInt() == 1)
                icon->show();
        } else if (row.type == int(ComponentType::ListGrid)) {
            ApplyComponent(stored, m_grids[static_cast<size_t>(row.componentIndex)], true);
        } else if (row.type == int(ComponentType::Notes)) {
            ApplyComponent(stored, m_notes, true);
        }
    }
    for (TDesktopListBox* box : m_boxes) {
        if (!box->isHidden())
            box->applyGeometryRules();
    }
    m_restoring = false;
}

void TDesktop::Set_Desktop()
{
    const QString user = userCode();
    QList<DesktopRow> rows;
    try {
        rows = ReadDesktopRows(dataRoot(), user);
    } catch (const data::EngineError& error) {
        ShowErrorMessage(error.message(), &m_form);
        return;
    }
    if (rows.isEmpty())
        return;
    const QString damage = validate(rows);
    if (!damage.isEmpty()) {
        // The design-time desktop is shown; the stored rows stay as they are
        // unless the user changes this desktop.
        ShowErrorMessage(messageLine(lines::DesktopDamaged).arg(damage), &m_form);
        return;
    }
    try {
        applyRows(rows);
    } catch (const ComponentStreamError& error) {
        m_restoring = false;
        ShowErrorMessage(messageLine(lines::DesktopDamaged).arg(error.message()), &m_form);
    }
}

} // namespace varnex::launcher::desktop
