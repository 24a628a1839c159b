#pragma once
// Message boxes and questions go through one replaceable service: the program
// shows real Qt boxes, tests install a recorder that answers and remembers.

#include <QList>
#include <QString>

class QWidget;

namespace varnex {

enum class MessageKind { Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MessageAnswer show(QWidget* parent, MessageKind kind, const QString& title, const QString& text,
                               MessageButtons buttons) = 0;
};

// The service in force (the Qt one unless a test replaced it).
MessageService& Messages();
// Installs a service (not owned); nullptr restores the Qt one.
void SetMessageService(MessageService* service);

// Shorthands with the application's title.
void ShowMessage(const QString& text, QWidget* parent = nullptr);
void ShowWarning(const QString& text, QWidget* parent = nullptr);
void ShowErrorMessage(const QString& text, QWidget* parent = nullptr);
bool AskYesNo(const QString& text, QWidget* parent = nullptr);

// A service for tests: answers from a queue (then with the default answer)
// and records every box shown.
class RecordingMessageService : public MessageService {
public:
    struct Shown {
        MessageKind kind;
        QString title;
        QString text;
        MessageButtons buttons;
    };

    RecordingMessageService();
    ~RecordingMessageService() override;

    MessageAnswer show(QWidget* parent, MessageKind kind, const QString& title, const QString& text,
                       MessageButtons buttons) override;

    QList<Shown> shown;
    QList<MessageAnswer> answers;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;

    QStringList texts() const;
};

} // namespace varnex
