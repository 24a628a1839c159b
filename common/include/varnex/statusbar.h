#pragma once
// A status bar made of panels, each a label with a design text, as the
// launcher and the module windows lay them out.

#include <QList>
#include <QStatusBar>

class QLabel;

namespace varnex {

class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);

    // Appends a panel (named "Panel<n>") with its design text; width 0 stretches.
    QLabel* addPanel(const QString& text = QString(), int width = 0);
    int panelCount() const { return static_cast<int>(m_panels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    QLabel* panel(int index) const;

private:
    QList<QLabel*> m_panels;
};

} // namespace varnex
