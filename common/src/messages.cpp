#include "varnex/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace varnex {

namespace {

class QtMessageService : public MessageService {
public:
    MessageAnswer show(QWidget* parent, MessageKind kind, const QString& title, const QString& text,
                       MessageButtons buttons) override
    {
        QMessageBox::Icon icon = QMessageBox::Information;
        switch (kind) {
        case MessageKind::Information: icon = QMessageBox::Information; break;
        case MessageKind::Warning: icon = QMessageBox::Warning; break;
        case MessageKind::Error: icon = QMessageBox::Critical; break;
        case MessageKind::Question: icon = QMessageBox::Question; break;
        }
        QMessageBox::StandardButtons standard = QMessageBox::Ok;
        switch (buttons) {
        case MessageButtons::Ok: standard = QMessageBox::Ok; break;
        case MessageButtons::OkCancel: standard = QMessageBox::Ok | QMessageBox::Cancel; break;
        case MessageButtons::YesNo: standard = QMessageBox::Yes | QMessageBox::No; break;
        case MessageButtons::YesNoCancel: standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
        }
        QMessageBox box(icon, title, text, standard, parent);
        switch (box.exec()) {
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        case QMessageBox::Cancel: return MessageAnswer::Cancel;
        default: return MessageAnswer::Ok;
        }
    }
};

MessageService* g_installed = nullptr;

QString applicationTitle()
{
    return QApplication::applicationDisplayName().isEmpty() ? QApplication::applicationName()
                                                            : QApplication::applicationDisplayName();
}

} // namespace

MessageService& Messages()
{
    static QtMessageService qtService;
    return g_installed ? *g_installed : qtService;
}

void SetMessageService(MessageService* service)
{
    g_installed = service;
}

void ShowMessage(const QString& text, QWidget* parent)
{
    Messages().show(parent, MessageKind::Information, applicationTitle(), text, MessageButtons::Ok);
}

void ShowWarning(const QString& text, QWidget* parent)
{
    Messages().show(parent, MessageKind::Warning, applicationTitle(), text, MessageButtons::Ok);
}

void ShowErrorMessage(const QString& text, QWidget* parent)
{
    Messages().show(parent, MessageKind::Error, applicationTitle(), text, MessageButtons::Ok);
}

bool AskYesNo(const QString& text, QWidget* parent)
{
    return Messages().show(parent, MessageKind::Question, applicationTitle(), text, MessageButtons::YesNo)
           == MessageAnswer::Yes;
}

RecordingMessageService::RecordingMessageService()
{
    SetMessageService(this);
}

RecordingMessageService::~RecordingMessageService()
{
    if (g_installed == this)
        SetMessageService(nullptr);
}

MessageAnswer RecordingMessageService::show(QWidget*, MessageKind kind, const QString& title, const QString& text,
                                            MessageButtons buttons)
{
    shown.append({kind, title, text, buttons});
    if (!answers.isEmpty())
        return answers.takeFirst();
    if (defaultAnswer == MessageAnswer::Ok
        && (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel))
        return MessageAnswer::Yes;
    return defaultAnswer;
}

QStringList RecordingMessageService::texts() const
{
    QStringList out;
    for (const Shown& s : shown)
        out << s.text;
    return out;
}

} // namespace varnex
