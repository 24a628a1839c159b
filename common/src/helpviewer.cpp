#include "varnex/helpviewer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace varnex {

QString HelpPagePath(const QString& helpFolder, const QString& pageName)
{
    // Page names come from context numbers and topic names only; anything
    // that could climb out of the help folder is not a page.
    if (pageName.isEmpty() || pageName.contains(QLatin1Char('/')) || pageName.contains(QLatin1String("..")))
        return QString();
    return QDir(helpFolder).filePath(pageName + QStringLiteral(".html"));
}

HelpViewer::HelpViewer(QWidget* parent)
    : QDialog(parent)
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Help"));
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
}

bool HelpViewer::showPage(const QString& helpFolder, const QString& pageName)
{
    const QString path = HelpPagePath(helpFolder, pageName);
    m_currentPage = pageName;
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        m_browser->setHtml(QStringLiteral("<p>No help page &laquo;%1&raquo; in %2.</p>")
                               .arg(pageName.toHtmlEscaped(), helpFolder.toHtmlEscaped()));
        return false;
    }
    m_browser->setSearchPaths({helpFolder});
    m_browser->setSource(QUrl::fromLocalFile(path));
    return true;
}

HelpViewer* HelpViewer::instance()
{
    static QPointer<HelpViewer> viewer;
    if (!viewer) {
        viewer = new HelpViewer;
        viewer->setAttribute(Qt::WA_DeleteOnClose, false);
        // A top-level window has no parent to free it: the application does.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, viewer.data(), &QObject::deleteLater);
    }
    return viewer;
}

} // namespace varnex
