#include "app/application.h"

#include "core/common/product.h"

#include <QMessageBox>
#include <exception>

namespace {

void showMessageBox(const QString& caption, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, caption, message, QMessageBox::Ok, QApplication::activeWindow());
    // Above the toolbox, which stays on top and would cover the message otherwise.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

plsd::ErrorReporter& currentReporter()
{
    static plsd::ErrorReporter reporter = showMessageBox;
    return reporter;
}

} // namespace

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // Every window's text is 11 pixels high, in the system's own sans serif face.
    QFont text = font();
    text.setPixelSize(11);
    setFont(text);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        plsd::reportError(QString::fromStdString(error.what()));
    }
    return false;
}

namespace plsd {

ErrorReporter setErrorReporter(ErrorReporter reporter)
{
    ErrorReporter previous = currentReporter();
    currentReporter() = reporter ? std::move(reporter) : ErrorReporter(showMessageBox);
    return previous;
}

void reportError(const QString& message)
{
    currentReporter()(product::applicationTitle(), message);
}

void runGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        reportError(QString::fromStdString(error.what()));
    }
}

} // namespace plsd
