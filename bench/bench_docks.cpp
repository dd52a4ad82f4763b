// Times what the Rooms and Problems docks add to editing a 1,000-room map on the 60 x 24
// block picture: one check of the problems, and a drag (moves of one room pushed as one
// undo step, each with the map's own part of a step and then the event loop's turn) with
// the docks shown and following the document, next to the same drag with no dock (the
// baseline). Then a load of 10,000 rooms
// in one undo step, with the Rooms list shown and without it.
//
// Two maps: "apart", rooms 40 to a row with gaps between them (as bench_rooms lays them
// out), and "joined", rooms 40 to a row sharing their walls and floors, each with a door to
// its right and lower neighbours.
//
// The cases take turns within each run. An optional argument sets the number of runs
// (default 11).
#include "bench/benchsupport.h"
#include "bench/syntheticgrid.h"
#include "core/model/steps.h"
#include "core/model/snapshot.h"
#include "core/rules/gamerules.h"
#include "docks/problemsdock.h"
#include "docks/roomsdock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QUndoStack>
#include <QWindow>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int pictureColumns = 60;
constexpr int pictureRows = 24;
constexpr int roomsPerRow = 40;
constexpr int dragSteps = 200;
constexpr qint64 mapStepUs = 200;

RoomRecord roomAt(qint64 x, qint64 y, qint64 size)
{
    RoomRecord record;
    record.shape = RoomShape{x, x + size, y, y, y + size, y + size};
    return record;
}

// A document with the picture and 1,000 rooms, apart or joined.
struct Map {
    explicit Map(bool joined)
    {
        std::shared_ptr<TBlockList> blocks = synthetic::makeBlocks(pictureColumns, pictureRows);
        stack.push(new PictureStep(&doc, PictureGrid{blocks, pictureColumns, pictureRows},
                                      QSize(128 * pictureColumns, 128 * pictureRows), "Import"));
        for (int i = 0; i < 1000; ++i) {
            const int c = i % roomsPerRow, r = i / roomsPerRow;
            stack.push(joined ? new AddRoomStep(&doc, roomAt(c * 95, r * 95, 95))
                              : new AddRoomStep(&doc, roomAt(c * 190 + 40, r * 120 + 10, 95)));
        }
        if (joined) {
            for (int i = 0; i < 1000; ++i) {
                if (i % roomsPerRow + 1 < roomsPerRow)
                    stack.push(new SetDoorStep(&doc, doc.roomAt(i), doc.roomAt(i + 1), 50, "Door"));
                if (i + roomsPerRow < 1000)
                    stack.push(new SetDoorStep(&doc, doc.roomAt(i), doc.roomAt(i + roomsPerRow), 50, "Door"));
            }
        }
    }
    TMetaroomDocument doc;
    QUndoStack stack;
};

// The docks shown beside the map, or none.
struct Docks {
    Docks(TMetaroomDocument* doc, bool rooms, bool problems)
    {
        if (rooms) {
            roomsDock = std::make_unique<RoomsDock>(doc);
            roomsDock->resize(400, 600);
            roomsDock->show();
        }
        if (problems) {
            problemsDock = std::make_unique<ProblemsDock>(doc);
            problemsDock->resize(600, 200);
            problemsDock->show();
        }
        // Shown and painted before anything is timed.
        for (QWidget* dock : {static_cast<QWidget*>(roomsDock.get()), static_cast<QWidget*>(problemsDock.get())}) {
            while (dock && (!dock->windowHandle() || !dock->windowHandle()->isExposed()))
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }
    std::unique_ptr<RoomsDock> roomsDock;
    std::unique_ptr<ProblemsDock> problemsDock;
};

// Busy for the time the map itself takes for a drag step of a room on this map (bench_rooms
// measured about 200 us offscreen), so that the docks' part is weighed against a real step.
void mapStep()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < mapStepUs * 1000) {
    }
}

// Milliseconds a drag takes: moves of the first room, one undo step, each with the map's
// part of a step and the event loop's turn, as between mouse moves.
double drag(Map& map)
{
    const RoomKey key = map.doc.roomAt(0);
    const int gesture = NewMergeKey();
    return bench::timeMs([&] {
        for (int step = 0; step < dragSteps; ++step) {
            RoomRecord r = map.doc.room(key);
            r.shape = Moved(r.shape, step % 2 ? -1 : 1, 0);
            map.stack.push(new ChangeRoomStep(&map.doc, key, r, "Move Room", gesture));
            mapStep();
            QCoreApplication::processEvents();
        }
    });
}

double loadTenThousand(bool roomsList)
{
    TMetaroomDocument doc;
    Docks docks(&doc, roomsList, false);
    QUndoStack stack;
    return bench::timeMs([&] {
        auto* load = new QUndoCommand(QStringLiteral("Load Room Defs"));
        for (int i = 0; i < 10000; ++i)
            new AddRoomStep(&doc, roomAt((i % 100) * 76, (i / 100) * 30, 28), -1, false, load);
        stack.push(load);
        QCoreApplication::processEvents();
    });
}

} // namespace

int main(int argc, char** argv)
{
    bench::useOffscreenUnlessChosen();
    QApplication app(argc, argv);
    const int runs = bench::runsFromArguments(argc, argv, 11);

    std::printf("Docks on a map of 1,000 rooms and a picture of %d x %d blocks; %d runs, drags of %d moves "
                "with %lld us of the map's own work each\n",
                pictureColumns, pictureRows, runs, dragSteps, static_cast<long long>(mapStepUs));
    for (const bool joined : {false, true}) {
        Map map(joined);
        std::vector<double> bare, check, plain, withRooms, withBoth;
        qsizetype findings = 0;
        {
            Docks problems(&map.doc, false, true);
            RoomDefs checked;   // held until the next run, as the dock holds its last check's
            for (int run = 0; run < runs; ++run) {
                bare.push_back(bench::timeMs([&] {
                    checked = ToRoomDefs(map.doc);
                    findings = CheckGameRules(checked, PictureSize(map.doc.grid())).size();
                }));
                RoomRecord r = map.doc.room(map.doc.roomAt(0));
                r.roomtype = (r.roomtype + 1) % 11;
                map.stack.push(new ChangeRoomStep(&map.doc, map.doc.roomAt(0), r, "Room Type"));
                check.push_back(bench::timeMs([&] { problems.problemsDock->checkNow(); }));
            }
        }
        for (int run = 0; run < runs; ++run) {
            plain.push_back(drag(map));
            {
                Docks rooms(&map.doc, true, false);
                withRooms.push_back(drag(map));
            }
            {
                Docks both(&map.doc, true, true);
                withBoth.push_back(drag(map));
            }
        }
        std::printf("\nRooms %s: %d door pairs, %lld findings\n", joined ? "joined" : "apart",
                    joined ? 2 * 1000 - 40 - 25 : 0, static_cast<long long>(findings));
        bench::printHeader();
        const bench::Spread checkBase = bench::spread(bare);
        bench::printRow("ToRoomDefs + CheckGameRules", checkBase);
        bench::printRow("Problems dock: one check", bench::spread(check), &checkBase);
        const bench::Spread base = bench::spread(plain);
        bench::printRow("drag, no dock", base);
        bench::printRow("drag, Rooms dock", bench::spread(withRooms), &base);
        bench::printRow("drag, Rooms and Problems docks", bench::spread(withBoth), &base);
    }

    std::vector<double> loadPlain, loadListed;
    for (int run = 0; run < runs; ++run) {
        loadPlain.push_back(loadTenThousand(false));
        loadListed.push_back(loadTenThousand(true));
    }
    std::printf("\nA load of 10,000 rooms in one undo step\n");
    bench::printHeader();
    const bench::Spread loadBase = bench::spread(loadPlain);
    bench::printRow("load, no dock", loadBase);
    bench::printRow("load, Rooms dock shown", bench::spread(loadListed), &loadBase);
    std::printf("Goal: a drag with the docks at most 1.2 x the drag without.\n");
    return 0;
}
