// Times undo and redo against the edits themselves, on a main window with a picture of
// 60 x 24 blocks and 1,000 rooms: a run of 1,000 edits through the public names (drags of
// rooms and of handle boxes with mouse events, typed corners, door changes, rooms added
// and deleted), then undoing all of it, then redoing all of it; and the bytes the undo
// stack holds per step. Then a Load Room Defs of 10,000 rooms and 20,000 door lines, and
// its undo and redo, against the load's own time. Each step includes the painting it causes.
//
// An optional argument sets the number of runs (default 3).
#include "app/application.h"
#include "app/main.h"
#include "app/toolbox.h"
#include "bench/benchsupport.h"
#include "view/mapview.h"
#include "bench/syntheticgrid.h"
#include "core/common/intconv.h"
#include "view/room.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QUndoStack>
#include <QWindow>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int pictureColumns = 60;
constexpr int pictureRows = 24;
constexpr int roomCount = 1000;
constexpr int editCount = 1000;
constexpr int loadRooms = 10000;   // 100 x 100 rooms, each linked to its right and lower neighbour

// A main window with its toolbox, the picture and the rooms, laid out 40 to a row; the
// stack starts empty.
class Scene {
public:
    explicit Scene(int rooms)
        : main(std::make_unique<TfrmMainForm>())
    {
        tool = new TfrmToolbox(main.get());
        main->resize(1024, 768);
        synthetic::installGrid(*main, pictureColumns, pictureRows);
        for (int i = 0; i < rooms; ++i) {
            main->AddRoom();
            TRoom* room = main->Rooms.last();
            room->setLeft((i % 40) * 190 + 40);
            room->setTop((i / 40) * 120 + 10);
        }
        main->show();
        while (!main->windowHandle() || !main->windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        main->UndoStack->clear();
    }
    ~Scene() { delete tool; }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    TfrmMainForm& form() { return *main; }
    TfrmToolbox& toolbox() { return *tool; }

private:
    std::unique_ptr<TfrmMainForm> main;
    TfrmToolbox* tool = nullptr;
};

// Mouse events at a picture point, sent through the main window's view as a user's would come.
void send(TfrmMainForm& main, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held)
{
    const TMapView* view = main.scbImage;
    const QPoint onView = view->mapFromScene(at + QPointF(0.25, 0.25));
    QMouseEvent event(type, onView, view->viewport()->mapToGlobal(onView), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &event);
}

// A press, three moves and a release, starting at a picture point.
void drag(TfrmMainForm& main, QPointF from, QPointF by)
{
    send(main, QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);   // the box under the mouse
    send(main, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= 3; ++i)
        send(main, QEvent::MouseMove, from + i * by / 3, Qt::NoButton, Qt::LeftButton);
    send(main, QEvent::MouseButtonRelease, from + by, Qt::LeftButton, Qt::NoButton);
}

// One of the edits a user makes, picked by the random source.
void edit(Scene& scene, std::mt19937& random)
{
    TfrmMainForm& main = scene.form();
    TfrmToolbox& tool = scene.toolbox();
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    if (!main.SelectedRoom || pick(4) == 0)
        main.SelectRoom(main.Rooms[pick(int(main.Rooms.size()))]);
    TRoom* room = main.SelectedRoom;
    const QPoint by(pick(41) - 20, pick(41) - 20);
    switch (pick(10)) {
    case 0:
    case 1:
    case 2:
        drag(main, QPointF((room->xl() + room->xr()) / 2, (room->ytl() + room->ybl()) / 2), by);
        break;
    case 3:   // the right wall's box
        drag(main, QPointF(room->xr(), room->ytr() + (room->ybr() - room->ytr()) / 2), by);
        break;
    case 4:
        tool.edtxl->setText(IntToStr(room->xl() + by.x()));
        tool.edtxlExit();
        break;
    case 5:
        tool.edtybr->setText(IntToStr(room->ybr() + by.y()));
        tool.edtybrExit();
        break;
    case 6:
        room->SetDoor(main.Rooms[pick(int(main.Rooms.size()))], pick(100));
        break;
    case 7:
        if (room->doorCount() > 0)
            room->RemoveDoor(room->DoorAt(0)->target);
        else
            room->SetDoor(main.Rooms[pick(int(main.Rooms.size()))], pick(100));
        break;
    case 8:
        main.AddRoom();
        break;
    default:
        main.DeleteRoom();
    }
    QCoreApplication::processEvents();
}

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

// A script of 100 x 100 rooms, each linked to its right and lower neighbour (and the last
// row and column around to the first, so every room has two door lines).
QByteArray bigScript()
{
    QByteArray script = "brmi 1 100\r\nsetv va01 addm 0 0 7680 3072 \"big\"\r\nmmsc 3840 1536 \"\"\r\n";
    for (int k = 0; k < loadRooms; ++k) {
        const int x = (k % 100) * 76;
        const int y = (k / 100) * 30;
        script += QStringLiteral("setv va02 addr va01 %1 %2 %3 %4 %5 %6\r\nrtyp va02 %7\r\nrmsc 0 0 \"\"\r\n")
                      .arg(x + 5)
                      .arg(x + 65)
                      .arg(y + 3)
                      .arg(y + 7)
                      .arg(y + 24)
                      .arg(y + 27)
                      .arg(k % 4)
                      .toLatin1();
    }
    for (int k = 0; k < loadRooms; ++k) {
        const int right = (k / 100) * 100 + (k + 1) % 100;
        const int below = (k + 100) % loadRooms;
        script += QStringLiteral("door %1 %2 50\r\ndoor %1 %3 25\r\n").arg(100 + k).arg(100 + right).arg(100 + below).toLatin1();
    }
    return script;
}

} // namespace

int main(int argc, char** argv)
{
    bench::useOffscreenUnlessChosen();
    TApplication app(argc, argv);
    const int runs = bench::runsFromArguments(argc, argv, 3);

    std::vector<double> edits, undos, redos, bytesPerStep;
    int steps = 0;
    for (int run = 0; run < runs; ++run) {
        Scene scene(roomCount);
        QUndoStack* stack = scene.form().UndoStack;
        std::mt19937 random(run + 1);
        edits.push_back(bench::timeMs([&] {
            for (int i = 0; i < editCount; ++i)
                edit(scene, random);
        }));
        steps = stack->count();
        undos.push_back(bench::timeMs([&] {
            while (stack->canUndo()) {
                stack->undo();
                QCoreApplication::processEvents();
            }
        }));
        redos.push_back(bench::timeMs([&] {
            while (stack->canRedo()) {
                stack->redo();
                QCoreApplication::processEvents();
            }
        }));
        // What clearing the stack frees is what its steps held.
        const size_t heapWithSteps = heapInUse();
        stack->clear();
        const size_t heapWithout = heapInUse();
        bytesPerStep.push_back(double(heapWithSteps - heapWithout) / std::max(steps, 1));
    }

    const QByteArray script = bigScript();
    std::vector<double> loads, loadUndos, loadRedos, loadStepMb;
    for (int run = 0; run < runs; ++run) {
        Scene scene(0);
        QUndoStack* stack = scene.form().UndoStack;
        loads.push_back(bench::timeMs([&] {
            scene.form().LoadRoomDefsText(script);
            QCoreApplication::processEvents();
        }));
        loadUndos.push_back(bench::timeMs([&] {
            stack->undo();
            QCoreApplication::processEvents();
        }));
        loadRedos.push_back(bench::timeMs([&] {
            stack->redo();
            QCoreApplication::processEvents();
        }));
        const size_t heapWithStep = heapInUse();
        stack->clear();
        loadStepMb.push_back(double(heapWithStep - heapInUse()) / 1e6);
    }

    std::printf("Undo and redo: %d rooms on a %dx%d block picture, %d edits (%d steps); %d runs, Qt platform \"%s\"\n",
                roomCount, pictureColumns, pictureRows, editCount, steps, runs,
                qPrintable(QGuiApplication::platformName()));
    bench::printHeader();
    const bench::Spread made = bench::spread(edits);
    bench::printRow("1,000 edits as made", made);
    bench::printRow("undo of all of them", bench::spread(undos), &made);
    bench::printRow("redo of all of them", bench::spread(redos), &made);
    std::printf("The stack holds %.0f bytes a step (median of runs; heap freed by clearing it, over its steps).\n\n",
                bench::spread(bytesPerStep).median);

    std::printf("Load Room Defs: %d rooms, %d door lines, as one undo step\n", loadRooms, 2 * loadRooms);
    bench::printHeader();
    const bench::Spread load = bench::spread(loads);
    bench::printRow("LoadRoomDefs", load);
    bench::printRow("undo of the load", bench::spread(loadUndos), &load);
    bench::printRow("redo of the load", bench::spread(loadRedos), &load);
    std::printf("The load's step holds %.1f MB.\n", bench::spread(loadStepMb).median);
    return 0;
}
