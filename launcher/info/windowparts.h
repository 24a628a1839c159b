#pragma once
// Small pieces shared by the windows the launcher makes beside its main
// window: components named as translation and the tests find them, the row
// of buttons at the bottom, and the dialog without title-bar buttons.

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>

#include <type_traits>

namespace varnex::launcher::parts {

// A component with its design name and, for the kinds that show one, its
// design text (a memo is read-only: the windows only inform).
template <typename Widget>
Widget* named(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    if constexpr (std::is_base_of_v<QPlainTextEdit, Widget>) {
        widget->setPlainText(text);
        widget->setReadOnly(true);
    } else if constexpr (std::is_base_of_v<QGroupBox, Widget>) {
        widget->setTitle(text);
    } else if constexpr (std::is_base_of_v<QLabel, Widget> || std::is_base_of_v<QAbstractButton, Widget>) {
        if (!text.isEmpty())
            widget->setText(text);
    }
    return widget;
}

inline QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* button : buttons)
        row->addWidget(button);
    return row;
}

// A modal dialog with its design name and caption; without title-bar buttons
// the user leaves it only by its own buttons.
inline void setUpDialog(QDialog* dialog, const char* name, const QString& caption, bool titleBarButtons)
{
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowTitle(caption);
    dialog->setModal(true);
    if (!titleBarButtons)
        dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

} // namespace varnex::launcher::parts
