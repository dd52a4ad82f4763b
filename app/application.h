#pragma once

#include <QApplication>
#include <functional>

// The application object: catches the errors that event handlers raise and hands
// their message to the error reporter, then goes on with the message loop.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

namespace plsd {

// Receives the caption (the application title) and the message of every error that
// reaches the top level. The default shows a message box.
using ErrorReporter = std::function<void(const QString& caption, const QString& message)>;

// Replaces the reporter; an empty one restores the default. Returns the previous one.
ErrorReporter setErrorReporter(ErrorReporter reporter);
void reportError(const QString& message);

// Runs a handler as the top-level handler would: an error it raises is reported.
void runGuarded(const std::function<void()>& handler);

// Connects a signal to a handler method without arguments, guarded as above.
template <typename Sender, typename Signal, typename Receiver>
void connectHandler(Sender* sender, Signal signal, Receiver* receiver, void (Receiver::*handler)())
{
    QObject::connect(sender, signal, receiver, [receiver, handler] {
        runGuarded([receiver, handler] { (receiver->*handler)(); });
    });
}

} // namespace plsd
