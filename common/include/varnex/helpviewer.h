#pragma once
// The help viewer: HTML pages in a help folder, one per context number
// ("<n>.html") and per named topic ("<topic>.html"), with "index.html" as the
// contents page.

#include <QDialog>

class QTextBrowser;

namespace varnex {

class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // False (and a "no page" text shown) when the page does not exist.
    bool showPage(const QString& helpFolder, const QString& pageName);
    QString currentPage() const { return m_currentPage; }
    QTextBrowser* browser() const { return m_browser; }

    // The one viewer of the process.
    static HelpViewer* instance();

private:
    QTextBrowser* m_browser;
    QString m_currentPage;
};

// Page file of a context number or topic name within a help folder.
QString HelpPagePath(const QString& helpFolder, const QString& pageName);

} // namespace varnex
