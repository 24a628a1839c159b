// The quick link window: a few shortcuts for the company being worked on.
// It is modal: the module that calls it is unloaded when its own window
// closes, and no window of this library may outlive that.
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "varnex/frame/module.h"
#include "varnex/frame/picklist.h"
#include "varnex/linksection.h"
#include "varnex/shell.h"

namespace {

class TQuickLinkForm : public QDialog {
public:
    explicit TQuickLinkForm(const TLinkSection& record)
    {
        const bool french = record.Link_language == 2;
        setObjectName(QStringLiteral("QuickLinkForm"));
        setWindowTitle(french ? QStringLiteral("Lien Rapide") : QStringLiteral("Quick Link"));
        auto* company = new QLabel(varnex::LinkText(record.Link_company) + QStringLiteral(" - ")
                                       + varnex::LinkText(record.Link_company_name),
                                   this);
        company->setObjectName(QStringLiteral("CompanyLabel"));
        m_links = new QListWidget(this);
        m_links->setObjectName(QStringLiteral("LinkList"));
        const QString folder = varnex::frame::CompanyFolder(record);
        const QString help = varnex::HelpFolderFor(varnex::LinkText(record.Link_pgm_dir), record.Link_language,
                                                   varnex::LinkRecord(record).langCode());
        add(french ? QStringLiteral("Ouvrir le dossier de la compagnie") : QStringLiteral("Open the company folder"),
            [folder] { varnex::Shell().openUrl(QUrl::fromLocalFile(folder)); });
        add(french ? QStringLiteral("Table des matières de l'aide") : QStringLiteral("Help contents"),
            [help] { varnex::Help().showContents(help); });
        add(french ? QStringLiteral("Écrire un courriel") : QStringLiteral("Write an e-mail"),
            [] { varnex::Shell().openUrl(QUrl(QStringLiteral("mailto:"))); });
        m_links->setCurrentRow(0);
        connect(m_links, &QListWidget::itemActivated, this,
                [this](QListWidgetItem* item) { m_actions.value(m_links->row(item))(); });
        auto* close = new QPushButton(french ? QStringLiteral("Fermer") : QStringLiteral("Close"), this);
        close->setObjectName(QStringLiteral("CloseBtn"));
        connect(close, &QPushButton::clicked, this, &QDialog::accept);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(company);
        layout->addWidget(m_links);
        layout->addWidget(close, 0, Qt::AlignRight);
        resize(320, 220);
    }

private:
    void add(const QString& caption, std::function<void()> action)
    {
        m_links->addItem(caption);
        m_actions << std::move(action);
    }

    QListWidget* m_links;
    QList<std::function<void()>> m_actions;
};

} // namespace

extern "C" std::int32_t QuickLink(TLinkSection record)
{
    TQuickLinkForm form(record);
    varnex::frame::TranslatePickWindow(&form, record);
    form.exec();
    return 0;
}
