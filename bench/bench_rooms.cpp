// Times what the user does to rooms with the mouse (a click that moves the selection to
// another room, a drag step of a handle box, a drag step of a whole room) on a panel that
// holds a picture of 60 x 24 blocks and 1000 rooms, next to the same steps on an empty
// panel with no more rooms than the step needs. Each step includes the event loop's
// painting that it causes. The last rows time Qt's own part: the repaint of one room's
// area and the move of one room's widget, the least that the steps have to do.
//
// A second table times the same drag steps on the 1000-room map with View > Doors on
// against the same map with it off: once with the rooms apart, once with them joined
// wall to wall and floor to ceiling, each with door lines to its right and lower
// neighbours, the dragged room in the middle of them.
//
// A third table times a drag step of one room against a drag step of ten selected rooms
// (two rows of five, joined) on a map of 2000 rooms, and then Qt's repaint alone of the
// area that each map's drag steps repainted, with no change: the part of the step that
// grows with the area the moved rooms, their door lines and guides cover on the screen.
//
// The panels take turns in short batches, so that other work on the machine weighs on
// all alike.
#include "app/application.h"
#include "app/main.h"
#include "app/toolbox.h"
#include "bench/benchsupport.h"
#include "bench/syntheticgrid.h"
#include "core/model/steps.h"
#include "core/model/document.h"
#include "view/room.h"
#include "view/mapscene.h"
#include "view/mapview.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QUndoStack>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int pictureColumns = 60;
constexpr int pictureRows = 24;
constexpr int manyRooms = 1000;
constexpr int severalRooms = 2000;

enum class Layout { Apart, Joined };

// The area of a widget that its paints covered while recording.
class PaintedArea : public QObject {
public:
    bool recording = false;
    QRect area;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (recording && event->type() == QEvent::Paint)
            area |= static_cast<QPaintEvent*>(event)->rect();
        return false;
    }
};

// A main window with its toolbox, an optional picture and the given number of rooms,
// laid out 40 to a row from the top-left, apart or joined with doors. The steps work on
// the first two rooms, or on two in the middle when joined.
class Scene {
public:
    Scene(bool picture, int rooms, Layout layout = Layout::Apart, bool doorsShown = true)
        : main(new TfrmMainForm)
        , tool(new TfrmToolbox(main))
        , first(layout == Layout::Joined ? 41 : 0)
    {
        main->resize(1024, 768);
        main->ShowDoors1->setChecked(doorsShown);
        if (picture)
            addPicture();
        const bool joined = layout == Layout::Joined;
        for (int i = 0; i < rooms; ++i) {
            main->AddRoom();
            TRoom* room = main->Rooms.last();
            room->setLeft(joined ? (i % 40) * 95 : (i % 40) * 190 + 40);
            room->setTop(joined ? (i / 40) * 95 : (i / 40) * 120 + 10);
        }
        if (joined)
            addDoors(rooms);
        main->show();
        while (!main->windowHandle() || !main->windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        main->scbImage->viewport()->installEventFilter(&painted);
    }
    ~Scene()
    {
        delete tool;
        delete main;
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    TRoom* room(int position) const { return main->Rooms[first + position]; }
    TfrmMainForm* form() const { return main; }

    // Selects the rooms of a block `columns` wide and `rows` high from room(0), room(0) current.
    void selectBlock(int columns, int rows)
    {
        QList<RoomKey> keys;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                keys.append(room(r * 40 + c)->key());
        main->Document->selectRooms(keys, room(0)->key());
    }
    int blockColumns = 1;
    int blockRows = 1;
    PaintedArea painted;   // of the map's viewport

private:
    // The picture as a load puts it on Panel: one "TImage" per block, behind the rooms.
    void addPicture() { synthetic::installGrid(*main, pictureColumns, pictureRows); }

    void addDoors(int rooms)
    {
        TMetaroomDocument* doc = main->Document;
        for (int i = 0; i < rooms; ++i) {
            if (i % 40 + 1 < 40 && i + 1 < rooms)
                main->UndoStack->push(new SetDoorStep(doc, doc->roomAt(i), doc->roomAt(i + 1), 50, "Door"));
            if (i + 40 < rooms)
                main->UndoStack->push(new SetDoorStep(doc, doc->roomAt(i), doc->roomAt(i + 40), 50, "Door"));
        }
    }

    TfrmMainForm* main;
    TfrmToolbox* tool;
    int first;
};

// Mouse events at a point of a room's box at 100 % (its top-left handle box at 0, 0), sent
// through the main window's view as a user's would come.
void send(TRoom* room, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    const TMapView* view = room->parentForm->scbImage;
    const QPoint onView = view->mapFromScene(QPointF(room->left() + at.x(), room->top() + at.y()) + QPointF(0.25, 0.25));
    QMouseEvent event(type, onView, view->viewport()->mapToGlobal(onView), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &event);
}

void hover(TRoom* room, QPoint at)
{
    send(room, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
}
void press(TRoom* room, QPoint at)
{
    send(room, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
void dragTo(TRoom* room, QPoint at)
{
    send(room, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
void release(TRoom* room, QPoint at)
{
    send(room, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
void click(TRoom* room)
{
    hover(room, QPoint(50, 50));
    press(room, QPoint(50, 50));
    release(room, QPoint(50, 50));
}

using Operation = bench::StepOperation<Scene>;

const QPoint roomGrab(50, 50);
const QPoint handleBox(97, 97);   // the bottom-right box of a new room

const Operation operations[] = {
    {"selection change", 2, [](Scene&) {}, [](Scene& s, int i) { click(s.room(i % 2)); }, [](Scene&) {}},
    {"drag step of a handle", 1,
     [](Scene& s) {
         click(s.room(0));
         hover(s.room(0), handleBox);
         press(s.room(0), handleBox);
     },
     [](Scene& s, int i) { dragTo(s.room(0), QPoint(97, i % 2 ? 110 : 90)); },
     [](Scene& s) { release(s.room(0), handleBox); }},
    {"drag step of a room", 1,
     [](Scene& s) {
         click(s.room(0));
         press(s.room(0), roomGrab);
     },
     [](Scene& s, int i) {
         // The room follows the mouse, so a point of its box moves with it.
         dragTo(s.room(0), roomGrab + (i % 2 ? QPoint(12, 7) : QPoint(-12, -7)));
     },
     [](Scene& s) { release(s.room(0), roomGrab); }},
    // Qt's own work, which the steps cannot avoid: updating a room's area, and moving a
    // room's item there and back (an even number of steps in all).
    {"Qt: update of a room", 1, [](Scene&) {}, [](Scene& s, int) { s.room(0)->update(); }, [](Scene&) {}},
    {"Qt: move of a room", 1, [](Scene&) {},
     [](Scene& s, int i) { s.room(0)->moveBy(i % 2 ? 12 : -12, i % 2 ? 7 : -7); }, [](Scene&) {}},
};

// The rooms of the scene's block selected, room(0) dragged. The map's paints after the
// first step are recorded.
const Operation selectionDrag = {
    "drag step of the selection", 1,
    [](Scene& s) {
        s.selectBlock(s.blockColumns, s.blockRows);
        hover(s.room(0), roomGrab);
        press(s.room(0), roomGrab);
    },
    [](Scene& s, int i) {
        s.painted.recording = i > 0;
        dragTo(s.room(0), roomGrab + (i % 2 ? QPoint(12, 7) : QPoint(-12, -7)));
    },
    [](Scene& s) {
        s.painted.recording = false;
        release(s.room(0), roomGrab);
    }};

// Qt's repaint of the area that the drag steps repainted, the map left as it is.
const Operation repaintOfDragArea = {
    "Qt: repaint of that area", 1, [](Scene&) {},
    [](Scene& s, int) { s.form()->scbImage->viewport()->update(s.painted.area); }, [](Scene&) {}};

} // namespace

void firstTables();
void selectionTable();

int main(int argc, char** argv)
{
    bench::useOffscreenUnlessChosen();
    TApplication app(argc, argv);
    // "selection" runs the last table alone.
    if (argc < 2 || std::strcmp(argv[1], "selection") != 0)
        firstTables();
    selectionTable();
    return 0;
}

void firstTables()
{
    Scene oneRoom(false, 1);
    Scene twoRooms(false, 2);
    Scene loaded(true, manyRooms);
    std::printf("Rooms on Panel, Qt platform \"%s\", median of %d steps\n",
                qPrintable(QGuiApplication::platformName()), bench::CountedSteps);
    std::printf("%-24s | %-24s | %-24s | %s\n", "step", "no picture, 1 or 2 rooms", "60x24 blocks, 1000 rooms",
                "ratio");
    for (const Operation& operation : operations) {
        Scene& bare = operation.bareRooms == 1 ? oneRoom : twoRooms;
        const auto [baseline, measured] = bench::compareSteps(operation, bare, loaded);
        const QString bareText = QStringLiteral("%1 us (%2 room%3)")
                                     .arg(baseline, 0, 'f', 1)
                                     .arg(operation.bareRooms)
                                     .arg(operation.bareRooms == 1 ? "" : "s");
        std::printf("%-24s | %24s | %21.1f us | %5.2f\n", operation.name, qPrintable(bareText), measured,
                    measured / baseline);
    }

    std::printf("\nView > Doors on the 1000-room map, against the same map with it off\n");
    std::printf("%-24s | %-7s | %-14s | %-14s | %s\n", "step", "rooms", "Doors off", "Doors on", "ratio");
    const Operation* drags[] = {&operations[1], &operations[2]};
    for (const Layout layout : {Layout::Apart, Layout::Joined}) {
        Scene off(true, manyRooms, layout, false);
        Scene on(true, manyRooms, layout, true);
        for (const Operation* operation : drags) {
            const auto [baseline, measured] = bench::compareSteps(*operation, off, on);
            std::printf("%-24s | %-7s | %11.1f us | %11.1f us | %5.2f\n", operation->name,
                        layout == Layout::Joined ? "joined" : "apart", baseline, measured, measured / baseline);
        }
    }
    std::printf("Goal: a drag step with the doors at most 1.2 x the step without them.\n");
}

void selectionTable()
{
    std::printf("\nA drag step of several selected rooms on a map of %d joined rooms with doors\n", severalRooms);
    std::printf("%-26s | %-14s | %-14s | %s\n", "step", "1 room", "10 rooms", "ratio");
    {
        Scene one(true, severalRooms, Layout::Joined, true);
        Scene ten(true, severalRooms, Layout::Joined, true);
        ten.blockColumns = 5;
        ten.blockRows = 2;
        for (const Operation* operation : {&selectionDrag, &repaintOfDragArea}) {
            const auto [baseline, measured] = bench::compareSteps(*operation, one, ten);
            std::printf("%-26s | %11.1f us | %11.1f us | %5.2f\n", operation->name, baseline, measured,
                        measured / baseline);
        }
        const QRect a = one.painted.area, b = ten.painted.area;
        std::printf("%-26s | %14s | %14s | %5.2f\n", "area repainted per step",
                    qPrintable(QStringLiteral("%1 x %2 px").arg(a.width()).arg(a.height())),
                    qPrintable(QStringLiteral("%1 x %2 px").arg(b.width()).arg(b.height())),
                    double(b.width()) * b.height() / (double(a.width()) * a.height()));
    }
    std::printf("Goal: a drag step of 10 selected rooms at most 1.2 x the step of one.\n");
}
