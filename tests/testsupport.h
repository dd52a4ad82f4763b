#pragma once

// Shared helpers for the Qt Test executables: answering dialogs, catching reported
// errors, a main window with its toolbox, and a main() that uses the real application object.

#include "app/application.h"
#include "app/dialogs.h"
#include "app/main.h"
#include "app/tool.h"

#include <QDialog>
#include <QFileDialog>
#include <QList>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QtTest>
#include <functional>
#include <optional>

// Answers file dialogs from a queue (an empty queue cancels) and modal windows through
// a function (default: the window's rejected result), recording what was asked.
class TestDialogs : public DialogHost {
public:
    TestDialogs() { setDialogHost(this); }
    ~TestDialogs() override { setDialogHost(nullptr); }

    QList<std::optional<QString>> answers;
    QStringList asked;
    std::function<int(QDialog*)> modal;

    void answer(const QString& path) { answers.append(path); }
    void cancel() { answers.append(std::nullopt); }

    std::optional<QString> chooseFile(QFileDialog* dialog) override
    {
        asked.append(dialog->objectName());
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
    int runModal(QDialog* dialog) override
    {
        asked.append(dialog->objectName());
        return modal ? modal(dialog) : int(QDialog::Rejected);
    }
};

// Collects what reaches the top-level error reporter while it lives.
class ErrorCapture {
public:
    ErrorCapture()
    {
        previous = plsd::setErrorReporter([this](const QString& caption, const QString& message) {
            captions.append(caption);
            messages.append(message);
        });
    }
    ~ErrorCapture() { plsd::setErrorReporter(previous); }
    QStringList captions;
    QStringList messages;

private:
    plsd::ErrorReporter previous;
};

// A main window wired to its toolbox, without the splash.
struct Editor {
    Editor()
        : main(new TfrmMainForm)
        , tool(new TfrmToolbox(main))
    {
    }
    ~Editor()
    {
        delete tool;
        delete main;
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;
    TfrmMainForm* main;
    TfrmToolbox* tool;
};

// Settings go to Qt's test location, never the user's, and each test program has its own,
// so that programs run side by side do not meet in them.
inline void keepSettingsApart()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
                           QCoreApplication::applicationName());
}

#define PLSD_TEST_MAIN(TestObject)                 \
    int main(int argc, char** argv)                \
    {                                              \
        TApplication app(argc, argv);              \
        keepSettingsApart();                       \
        TestObject tc;                             \
        QTEST_SET_MAIN_SOURCE_PATH                 \
        return QTest::qExec(&tc, argc, argv);      \
    }
