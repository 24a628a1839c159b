#include "toolsmaint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/table.h"
#include "varnex/library.h"
#include "varnex/messages.h"

namespace {

namespace data = varnex::data;

struct Texts {
    bool french;
    QString t(const char* english, const char* frenchText) const
    {
        return french ? QString::fromUtf8(frenchText) : QString::fromUtf8(english);
    }
};

struct Entry {
    QString name, nameFr, program, about, aboutFr, security, directory;
    bool library = false;
};

// Refusals of an entry, in the user's language; empty when it can be saved.
QString checkEntry(const Entry& entry, const QList<Entry>& others, const Texts& texts)
{
    if (entry.program.trimmed().isEmpty())
        return texts.t("Give the option or the program of the entry.",
                       "Indiquez l'option ou le programme de l'entrée.");
    if (entry.name.trimmed().isEmpty() && entry.nameFr.trimmed().isEmpty())
        return texts.t("Give the entry a caption.", "Donnez un libellé à l'entrée.");
    for (const Entry& other : others) {
        // The menu item is named after the program, and the launcher finds the
        // program's folder by that name: two entries may not share it.
        if (other.program.compare(entry.program.trimmed(), Qt::CaseInsensitive) == 0)
            return texts.t("Another entry already runs this option or program.",
                           "Une autre entrée lance déjà cette option ou ce programme.");
    }
    // The launcher loads a suite option from the program folder by this name.
    if (entry.library && !varnex::IsPlainLibraryName(entry.program.trimmed()))
        return texts.t("An option of the suite is the plain name of a library of the program folder "
                       "(no \"/\" and no \"..\").",
                       "Une option de la suite est le simple nom d'une bibliothèque du dossier des programmes "
                       "(sans « / » ni « .. »).");
    if (!entry.library && !entry.directory.trimmed().isEmpty() && !QDir(entry.directory.trimmed()).exists())
        return texts.t("The working folder does not exist.", "Le dossier de travail n'existe pas.");
    return QString();
}

class ToolsMaintWindow : public QDialog {
public:
    ToolsMaintWindow(const varnex::LinkRecord& record, QListWidget* optionNames, QListWidget* dllList)
        : m_record(record)
        , m_texts{record.raw().Link_language == 2}
    {
        setObjectName(QStringLiteral("ToolsMaint_Frm"));
        setWindowTitle(m_texts.t("Maintenance of Tools menu", "Maintenance du menu Outils"));
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
        LibraryCheck = new QCheckBox(m_texts.t("Option of the suite", "Option de la suite"), this);
        LibraryCheck->setObjectName(QStringLiteral("LibraryCheck"));
        ProgramCombo = new QComboBox(this);
        ProgramCombo->setObjectName(QStringLiteral("ProgramCombo"));
        ProgramCombo->setEditable(true);
        AboutEdit = line("AboutEdit");
        AboutFrEdit = line("AboutFrEdit");
        SecurityCombo = new QComboBox(this);
        SecurityCombo->setObjectName(QStringLiteral("SecurityCombo"));
        SecurityCombo->addItem(m_texts.t("(everybody)", "(tout le monde)"), QString());
        for (const auto& [caption, option] : m_options)
            SecurityCombo->addItem(caption, option);
        DirectoryEdit = line("DirectoryEdit");
        form->addRow(m_texts.t("English caption", "Libellé anglais"), NameEdit);
        form->addRow(m_texts.t("French caption", "Libellé français"), NameFrEdit);
        form->addRow(QString(), LibraryCheck);
        form->addRow(m_texts.t("Option or program", "Option ou programme"), ProgramCombo);
        form->addRow(m_texts.t("English description", "Description anglaise"), AboutEdit);
        form->addRow(m_texts.t("French description", "Description française"), AboutFrEdit);
        form->addRow(m_texts.t("Rights like", "Sécurité comme"), SecurityCombo);
        form->addRow(m_texts.t("Working folder", "Dossier de travail"), DirectoryEdit);
        right->addLayout(form);

        auto* buttons = new QHBoxLayout;
        auto button = [this, buttons](const char* name, const QString& text) {
            auto* b = new QPushButton(text, this);
            b->setObjectName(QLatin1String(name));
            b->setAutoDefault(false);
            buttons->addWidget(b);
            return b;
        };
        NewBtn = button("NewBtn", m_texts.t("New", "Nouveau"));
        SaveBtn = button("SaveBtn", m_texts.t("Save", "Enregistrer"));
        DeleteBtn = button("DeleteBtn", m_texts.t("Delete", "Détruire"));
        CloseBtn = button("CloseBtn", m_texts.t("Close", "Fermer"));
        right->addLayout(buttons);
        layout->addLayout(right, 2);

        connect(LibraryCheck, &QCheckBox::toggled, this, [this] { fillPrograms(); });
        connect(Entries, &QListWidget::currentRowChanged, this, [this](int row) { showEntry(row); });
        connect(NewBtn, &QPushButton::clicked, this, [this] { newEntry(); });
        connect(SaveBtn, &QPushButton::clicked, this, [this] { saveEntry(); });
        connect(DeleteBtn, &QPushButton::clicked, this, [this] { deleteEntry(); });
        connect(CloseBtn, &QPushButton::clicked, this, [this] { accept(); });
        reload(0);
        resize(720, 360);
    }

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
            const QString caption = m_texts.french && !e.nameFr.isEmpty() ? e.nameFr : e.name;
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
        const QString refusal = checkEntry(e, others, m_texts);
        if (!refusal.isEmpty()) {
            varnex::ShowWarning(refusal, this);
            return;
        }
        if (e.library)
            e.directory.clear(); // an option runs in the launcher, not in a folder
        try {
            if (m_editing >= 0) {
                if (!positionOn(m_editing)) {
                    varnex::ShowWarning(m_texts.t("The entry was deleted on another workstation.",
                                                  "L'entrée a été détruite sur un autre poste."),
                                        this);
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
            varnex::ShowWarning(m_texts.t("The maintenance of the Tools menu cannot be deleted.",
                                          "La maintenance du menu Outils ne peut pas être détruite."),
                                this);
            return;
        }
        if (!varnex::AskYesNo(m_texts.t("Delete this entry?", "Détruire cette entrée ?"), this))
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
    Texts m_texts;
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
