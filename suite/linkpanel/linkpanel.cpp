// The quick link window: a few shortcuts for the company being worked on.
// It is modal: the module that calls it is unloaded when its own window
// closes, and no window of this library may outlive that.
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "varnex/frame/module.h"
#include "varnex/frame/picklist.h"
#include "varnex/linksection.h"
#include "varnex/shell.h"
#include "varnex/translation/message_lines.h"

namespace {

class TQuickLinkForm : public QDialog {
public:
    explicit TQuickLinkForm(const TLinkSection& record)
    {
        setObjectName(QStringLiteral("QuickLinkForm"));
        setWindowTitle(QStringLiteral("Quick Link"));
        auto* company = new QLabel(varnex::LinkText(record.Link_company) + QStringLiteral(" - ")
                                       + varnex::LinkText(record.Link_company_name),
                                   this);
        company->setObjectName(QStringLiteral("CompanyLabel"));
        // The captions of the links, one a line, translated with the window.
        m_captions = new QPlainTextEdit(this);
        m_captions->setObjectName(QStringLiteral("LinkCaptions"));
        m_captions->setPlainText(QStringLiteral("Open the company folder\nHelp contents\nWrite an e-mail"));
        m_captions->hide();
        m_links = new QListWidget(this);
        m_links->setObjectName(QStringLiteral("LinkList"));
        const QString folder = varnex::frame::CompanyFolder(record);
        const QString help = varnex::HelpFolderFor(varnex::LinkText(record.Link_pgm_dir), record.Link_language,
                                                   varnex::LinkRecord(record).langCode());
        m_actions << [folder] { varnex::Shell().openUrl(QUrl::fromLocalFile(folder)); } << [help] {
            varnex::Help().showContents(help);
        } << [] { varnex::Shell().openUrl(QUrl(QStringLiteral("mailto:"))); };
        connect(m_links, &QListWidget::itemActivated, this,
                [this](QListWidgetItem* item) { m_actions.value(m_links->row(item))(); });
        auto* close = new QPushButton(QStringLiteral("Close"), this);
        close->setObjectName(QStringLiteral("CloseBtn"));
        connect(close, &QPushButton::clicked, this, &QDialog::accept);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(company);
        layout->addWidget(m_links);
        layout->addWidget(close, 0, Qt::AlignRight);
        resize(320, 220);
    }

    // After the translation: the links take the captions of the user's language.
    void fillLinks()
    {
        m_links->clear();
        for (int i = 0; i < m_actions.size(); ++i)
            m_links->addItem(varnex::translation::MessageLine(m_captions, i));
        m_links->setCurrentRow(0);
    }

private:
    QPlainTextEdit* m_captions;
    QListWidget* m_links;
    QList<std::function<void()>> m_actions;
};

} // namespace

extern "C" std::int32_t QuickLink(TLinkSection record)
{
    TQuickLinkForm form(record);
    varnex::frame::TranslatePickWindow(&form, record);
    form.fillLinks();
    form.exec();
    return 0;
}
