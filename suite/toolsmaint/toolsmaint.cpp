#include "toolsmaint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/table.h"
#include "varnex/library.h"
#include "varnex/messages.h"
#include "varnex/translation/message_lines.h"
#include "varnex/translation/translate.h"

namespace {

namespace data = varnex::data;

namespace lines = varnex::translation::toolsmaint_lines;

// The window's message list as designed; the language table replaces it.
const char* const kDesignMessages =
    "(everybody)\n"
    "Give the option or the program of the entry.\n"
    "Give the entry a caption.\n"
    "Another entry already runs this option or program.\n"
    "An option of the suite is the plain name of a library of the program folder (no \"/\" and no \"..\").\n"
    "The working folder does not exist.\n"
    "The entry was deleted on another workstation.\n"
    "The maintenance of the Tools menu cannot be deleted.\n"
    "Delete this entry?";

struct Entry {
    QString name, nameFr, program, about, aboutFr, security, directory;
    bool library = false;
};

// Why an entry cannot be saved (a line of the message list); -1 when it can.
int checkEntry(const Entry& entry, const QList<Entry>& others)
{
    if (entry.program.trimmed().isEmpty())
        return lines::NoProgram;
    if (entry.name.trimmed().isEmpty() && entry.nameFr.trimmed().isEmpty())
        return lines::NoCaption;
    for (const Entry& other : others) {
        // The menu item is named after the program, and the launcher finds the
        // program's folder by that name: two entries may not share it.
        if (other.program.compare(entry.program.trimmed(), Qt::CaseInsensitive) == 0)
            return lines::ProgramTaken;
    }
    // The launcher loads a suite option from the program folder by this name.
    if (entry.library && !varnex::IsPlainLibraryName(entry.program.trimmed()))
        return lines::LibraryNameRefused;
    if (!entry.library && !entry.directory.trimmed().isEmpty() && !QDir(entry.directory.trimmed()).exists())
        return lines::NoWorkingFolder;
    return -1;
}

class ToolsMaintWindow : public QDialog {
public:
    ToolsMaintWindow(const varnex::LinkRecord& record, QListWidget* optionNames, QListWidget* dllList)
        : m_record(record)
        , m_french(record.raw().Link_language == 2)
    {
        setObjectName(QStringLiteral("ToolsMaint_Frm"));
        setWindowTitle(QStringLiteral("Maintenance of Tools menu"));
        Messages = new QPlainTextEdit(this);
        Messages->setObjectName(QStringLiteral("Messages"));
        Messages->setPlainText(QString::fromUtf8(kDesignMessages));
        Messages->hide();
        if (optionNames && dllList) {
            for (int i = 0; i < optionNames->count() && i < dllList->count(); ++i) {
                if (!dllList->item(i)->text().isEmpty())
                    m_options.append({optionNames->item(i)->text(), dllList->item(i)->text()});
            }
        }

        m_apps = std::make_unique<data::Table>();
        auto db = data::Database::forFolder(m_record.text(&TLinkSection::Link_data_dir));
        data::EnsureAppsTable(*db);
        m_apps->setDatabase(db);
        m_apps->setTableName(QStringLiteral("apps"));
        m_apps->open();

        auto* layout = new QHBoxLayout(this);
        Entries = new QListWidget(this);
        Entries->setObjectName(QStringLiteral("Entries"));
        layout->addWidget(Entries, 1);

        auto* right = new QVBoxLayout;
        auto* form = new QFormLayout;
        auto line = [this](const char* name) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QLatin1String(name));
            return edit;
        };
        NameEdit = line("NameEdit");
        NameFrEdit = line("NameFrEdit");
        LibraryCheck = new QCheckBox(QStringLiteral("Option of the suite"), this);
        LibraryCheck->setObjectName(QStringLiteral("LibraryCheck"));
        ProgramCombo = new QComboBox(this);
        ProgramCombo->setObjectName(QStringLiteral("ProgramCombo"));
        ProgramCombo->setEditable(true);
        AboutEdit = line("AboutEdit");
        AboutFrEdit = line("AboutFrEdit");
        SecurityCombo = new QComboBox(this);
        SecurityCombo->setObjectName(QStringLiteral("SecurityCombo"));
        SecurityCombo->addItem(QString(), QString()); // "(everybody)", once translated
        for (const auto& [caption, option] : m_options)
            SecurityCombo->addItem(caption, option);
        DirectoryEdit = line("DirectoryEdit");
        auto row = [this, form](const char* name, const char* caption, QWidget* field) {
            auto* label = new QLabel(QString::fromUtf8(caption), this);
            label->setObjectName(QLatin1String(name));
            label->setBuddy(field);
            form->addRow(label, field);
        };
        row("NameLabel", "English caption", NameEdit);
        row("NameFrLabel", "French caption", NameFrEdit);
        form->addRow(QString(), LibraryCheck);
        row("ProgramLabel", "Option or program", ProgramCombo);
        row("AboutLabel", "English description", AboutEdit);
        row("AboutFrLabel", "French description", AboutFrEdit);
        row("SecurityLabel", "Rights like", SecurityCombo);
        row("DirectoryLabel", "Working folder", DirectoryEdit);
        right->addLayout(form);

        auto* buttons = new QHBoxLayout;
        auto button = [this, buttons](const char* name, const QString& text) {
            auto* b = new QPushButton(text, this);
            b->setObjectName(QLatin1String(name));
            b->setAutoDefault(false);
            buttons->addWidget(b);
            return b;
        };
        NewBtn = button("NewBtn", QStringLiteral("New"));
        SaveBtn = button("SaveBtn", QStringLiteral("Save"));
        DeleteBtn = button("DeleteBtn", QStringLiteral("Delete"));
        CloseBtn = button("CloseBtn", QStringLiteral("Close"));
        right->addLayout(buttons);
        layout->addLayout(right, 2);

        connect(LibraryCheck, &QCheckBox::toggled, this, [this] { fillPrograms(); });
        connect(Entries, &QListWidget::currentRowChanged, this, [this](int row) { showEntry(row); });
        connect(NewBtn, &QPushButton::clicked, this, [this] { newEntry(); });
        connect(SaveBtn, &QPushButton::clicked, this, [this] { saveEntry(); });
        connect(DeleteBtn, &QPushButton::clicked, this, [this] { deleteEntry(); });
        connect(CloseBtn, &QPushButton::clicked, this, [this] { accept(); });
        translate();
        reload(0);
        resize(720, 360);
    }

    QPlainTextEdit* Messages;
    QListWidget* Entries;
    QLineEdit* NameEdit;
    QLineEdit* NameFrEdit;
    QCheckBox* LibraryCheck;
    QComboBox* ProgramCombo;
    QLineEdit* AboutEdit;
    QLineEdit* AboutFrEdit;
    QComboBox* SecurityCombo;
    QLineEdit* DirectoryEdit;
    QPushButton* NewBtn;
    QPushButton* SaveBtn;
    QPushButton* DeleteBtn;
    QPushButton* CloseBtn;

private:
    QString field(const char* name) { return m_apps->field(QLatin1String(name)).asString(); }
    QString message(int line) const { return varnex::translation::MessageLine(Messages, line); }

    void translate()
    {
        const QString code = m_record.langCode();
        if (!code.isEmpty()) {
            try {
                varnex::translation::TranslateForm(this, QStringLiteral("toolsmaint") + code);
            } catch (const std::exception&) {
                // Without its table the window keeps its design texts: the
                // menu can still be maintained.
            }
        }
        SecurityCombo->setItemText(0, message(lines::Everybody));
    }

    void reload(int select)
    {
        m_rows.clear();
        m_ids.clear();
        m_apps->refresh();
        for (m_apps->first(); !m_apps->eof(); m_apps->next()) {
            Entry e{field("Application_name"),      field("Application_name_fr"),
                    field("Application_pgm"),       field("Application_about"),
                    field("Application_about_fr"),  field("Application_security"),
                    field("Application_directory"), m_apps->field(QStringLiteral("Application_type")).asLogical()};
            m_rows.append(e);
            m_ids.append(m_apps->recordId());
        }
        const QSignalBlocker blocker(Entries);
        Entries->clear();
        for (const Entry& e : m_rows) {
            const QString caption = m_french && !e.nameFr.isEmpty() ? e.nameFr : e.name;
            Entries->addItem(caption.isEmpty() ? e.program : caption);
        }
        m_editing = -1;
        if (!m_rows.isEmpty()) {
            Entries->setCurrentRow(std::clamp(select, 0, static_cast<int>(m_rows.size()) - 1));
            showEntry(Entries->currentRow());
        } else {
            newEntry();
        }
    }

    void fillPrograms()
    {
        const QString current = ProgramCombo->currentText();
        ProgramCombo->clear();
        if (LibraryCheck->isChecked()) {
            for (const auto& [caption, option] : m_options)
                ProgramCombo->addItem(option);
        }
        ProgramCombo->setEditText(current);
    }

    void showEntry(int row)
    {
        if (row < 0 || row >= m_rows.size())
            return;
        m_editing = row;
        const Entry& e = m_rows[row];
        NameEdit->setText(e.name);
        NameFrEdit->setText(e.nameFr);
        LibraryCheck->setChecked(e.library);
        fillPrograms();
        ProgramCombo->setEditText(e.program);
        AboutEdit->setText(e.about);
        AboutFrEdit->setText(e.aboutFr);
        const int security = SecurityCombo->findData(e.security);
        SecurityCombo->setCurrentIndex(security >= 0 ? security : 0);
        DirectoryEdit->setText(e.directory);
    }

    void newEntry()
    {
        m_editing = -1;
        Entries->clearSelection();
        for (QLineEdit* edit : {NameEdit, NameFrEdit, AboutEdit, AboutFrEdit, DirectoryEdit})
            edit->clear();
        LibraryCheck->setChecked(false);
        fillPrograms();
        ProgramCombo->setEditText(QString());
        SecurityCombo->setCurrentIndex(0);
        NameEdit->setFocus();
    }

    Entry typed() const
    {
        Entry e;
        e.name = NameEdit->text().trimmed();
        e.nameFr = NameFrEdit->text().trimmed();
        e.program = ProgramCombo->currentText().trimmed();
        e.about = AboutEdit->text().trimmed();
        e.aboutFr = AboutFrEdit->text().trimmed();
        e.security = SecurityCombo->currentData().toString();
        e.directory = DirectoryEdit->text().trimmed();
        e.library = LibraryCheck->isChecked();
        return e;
    }

    bool positionOn(int row)
    {
        for (m_apps->first(); !m_apps->eof(); m_apps->next()) {
            if (m_apps->recordId() == m_ids[row])
                return true;
        }
        return false;
    }

    void saveEntry()
    {
        Entry e = typed();
        QList<Entry> others = m_rows;
        if (m_editing >= 0)
            others.removeAt(m_editing);
        if (const int refusal = checkEntry(e, others); refusal >= 0) {
            varnex::ShowWarning(message(refusal), this);
            return;
        }
        if (e.library)
            e.directory.clear(); // an option runs in the launcher, not in a folder
        try {
            if (m_editing >= 0) {
                if (!positionOn(m_editing)) {
                    varnex::ShowWarning(message(lines::EntryDeletedElsewhere), this);
                    reload(0);
                    return;
                }
                m_apps->edit();
            } else {
                m_apps->append();
            }
            m_apps->field(QStringLiteral("Application_name")).setString(e.name);
            m_apps->field(QStringLiteral("Application_name_fr")).setString(e.nameFr);
            m_apps->field(QStringLiteral("Application_pgm")).setString(e.program);
            m_apps->field(QStringLiteral("Application_about")).setString(e.about);
            m_apps->field(QStringLiteral("Application_about_fr")).setString(e.aboutFr);
            m_apps->field(QStringLiteral("Application_security")).setString(e.security);
            m_apps->field(QStringLiteral("Application_type")).setLogical(e.library);
            m_apps->field(QStringLiteral("Application_directory")).setString(e.directory);
            m_apps->post();
        } catch (const data::EngineError& error) {
            if (m_apps->state() != data::DataSetState::Browse)
                m_apps->cancel();
            varnex::ShowErrorMessage(error.message(), this);
            return;
        }
        reload(m_editing >= 0 ? m_editing : static_cast<int>(m_rows.size()));
    }

    void deleteEntry()
    {
        if (m_editing < 0)
            return;
        // Without this entry the menu could no longer be maintained.
        if (m_rows[m_editing].program == QLatin1String("toolsmaint")) {
            varnex::ShowWarning(message(lines::MaintenanceKept), this);
            return;
        }
        if (!varnex::AskYesNo(message(lines::ConfirmDelete), this))
            return;
        try {
            if (positionOn(m_editing))
                m_apps->deleteRecord();
        } catch (const data::EngineError& error) {
            varnex::ShowErrorMessage(error.message(), this);
            return;
        }
        reload(m_editing);
    }

    varnex::LinkRecord m_record;
    bool m_french;                                // the entries' captions of the user's language, when they have one
    QList<std::pair<QString, QString>> m_options; // caption, option name
    std::unique_ptr<data::Table> m_apps;
    QList<Entry> m_rows;
    QList<std::int64_t> m_ids;
    int m_editing = -1;
};

} // namespace

extern "C" {

__attribute__((visibility("default"))) QDialog* toolsmaint_create_window(TLinkSection received,
                                                                         QListWidget* optionNames, QListWidget* dllList)
{
    varnex::LinkRecord record(received);
    try {
        return new ToolsMaintWindow(record, optionNames, dllList);
    } catch (const std::exception& error) {
        varnex::ShowErrorMessage(QString::fromUtf8(error.what()));
        return nullptr;
    }
}

__attribute__((visibility("default"))) std::int32_t ShowDllForm(TLinkSection received, QListWidget* optionNames,
                                                                QListWidget* dllList)
{
    std::unique_ptr<QDialog> window(toolsmaint_create_window(received, optionNames, dllList));
    if (!window)
        return 0;
    window->exec();
    return -1;
}

} // extern "C"
