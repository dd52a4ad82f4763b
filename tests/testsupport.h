#pragma once

// Shared helpers for the Qt Test executables: answering dialogs, catching reported
// errors, a main window with its toolbox, and a main() that uses the real application object.

#include "app/application.h"
#include "app/dialogs.h"
#include "app/main.h"
#include "app/toolbox.h"
#include "view/room.h"
#include "view/blockimage.h"
#include "view/mapscene.h"
#include "view/pictureoverview.h"
#include "view/mapview.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QFileDialog>
#include <QList>
#include <QSettings>
#include <QStandardPaths>
#include <QUndoStack>
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

// The mouse on a main window's map: picture pixels mapped through the view (at whatever
// zoom and scroll it has), events sent to its viewport as a user's would come.
struct MapMouse {
    explicit MapMouse(TfrmMainForm* main)
        : main(main)
    {
    }
    TfrmMainForm* main;

    QWidget* viewport() const { return main->scbImage->viewport(); }
    // The screen pixel that shows a picture pixel (zoomed out, neighbours share one).
    QPoint at(QPoint picture) const { return main->scbImage->mapFromScene(QPointF(picture) + QPointF(0.25, 0.25)); }

    void hover(QPoint picture)
    {
        const QPoint p = at(picture);
        QMouseEvent move(QEvent::MouseMove, p, viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(viewport(), &move);
    }
    void press(QPoint picture, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(viewport(), button, modifiers, at(picture));
    }
    void moveTo(QPoint picture) { QTest::mouseMove(viewport(), at(picture)); }
    void release(QPoint picture, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseRelease(viewport(), button, modifiers, at(picture));
    }
    // Hover, press, two moves and release.
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {})
    {
        hover(from);
        press(from, Qt::LeftButton, modifiers);
        moveTo((from + to) / 2);
        moveTo(to);
        release(to, Qt::LeftButton, modifiers);
    }
    void click(QPoint picture, Qt::KeyboardModifiers modifiers = {}) { drag(picture, picture, modifiers); }
    // A click on the middle of a room.
    void click(const TRoom* room)
    {
        click(QPoint((room->xl() + room->xr()) / 2, (std::min(room->ytl(), room->ytr()) + std::max(room->ybl(), room->ybr())) / 2));
    }
    // The context menu asked for at a picture pixel, as a right click asks for it.
    void menu(QPoint picture)
    {
        const QPoint p = at(picture);
        QContextMenuEvent event(QContextMenuEvent::Mouse, p, viewport()->mapToGlobal(p));
        QCoreApplication::sendEvent(viewport(), &event);
    }
    // What the viewport shows.
    QImage screen() const { return viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // The colour shown at a picture pixel.
    QColor colourAt(const QImage& screen, QPoint picture) const { return screen.pixelColor(at(picture)); }
};

// Panel's items from the top down: the rooms first, then the picture (its blocks and its
// overview), nothing else.
inline bool roomsAbovePicture(const TMapScene& panel)
{
    bool pictureSeen = false;
    for (const QGraphicsItem* item : panel.items(Qt::DescendingOrder)) {
        if (item->type() == TImage::Type || item->type() == TPictureOverview::Type)
            pictureSeen = true;
        else if (item->type() != TRoom::Type || pictureSeen)
            return false;
    }
    return true;
}

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
