#include "varnex/statusbar.h"

#include <QLabel>

namespace varnex {

TStatusBar::TStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setSizeGripEnabled(false);
}

QLabel* TStatusBar::addPanel(const QString& text, int width)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("Panel%1").arg(m_panels.size()));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    if (width > 0) {
        label->setMinimumWidth(width);
        addWidget(label, 0);
    } else {
        addWidget(label, 1);
    }
    m_panels << label;
    return label;
}

QString TStatusBar::panelText(int index) const
{
    const QLabel* label = panel(index);
    return label ? label->text() : QString();
}

void TStatusBar::setPanelText(int index, const QString& text)
{
    if (QLabel* label = panel(index))
        label->setText(text);
}

QLabel* TStatusBar::panel(int index) const
{
    return index >= 0 && index < m_panels.size() ? m_panels[index] : nullptr;
}

} // namespace varnex
