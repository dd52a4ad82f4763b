// Times File > Save Room Defs and File > Load Room Defs on a script of 10,000 rooms and
// 20,000 door lines, loaded over a picture of 60 x 24 blocks and over no picture, next to
// the baseline of the same run: making the same 10,000 rooms by hand, with AddRoom and
// the corner setters, on a window with no picture.
//
// The cases take turns within each run, so that other work on the machine weighs on all
// alike. An optional argument sets the number of runs (default 5).
#include "app/application.h"
#include "app/main.h"
#include "app/toolbox.h"
#include "bench/benchsupport.h"
#include "bench/syntheticgrid.h"
#include "core/script/scriptreader.h"
#include "view/room.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int pictureColumns = 60;
constexpr int pictureRows = 24;
constexpr int roomColumns = 100;   // 100 x 100 rooms of 76 x 30 pixels cover the picture
constexpr int roomRows = 100;
constexpr int roomCount = roomColumns * roomRows;

struct Corners {
    int xl, xr, ytl, ytr, ybl, ybr;
};

// Room k of the grid: sloping top and bottom, well above the minimum size.
Corners cornersOf(int k)
{
    const int x = (k % roomColumns) * 76;
    const int y = (k / roomColumns) * 30;
    return {x + 5, x + 65, y + 3, y + 7, y + 24, y + 27};
}

// A main window with its toolbox, shown as the user has it, with or without the picture.
class Scene {
public:
    explicit Scene(bool picture)
        : main(std::make_unique<TfrmMainForm>())
    {
        new TfrmToolbox(main.get());   // sets main->frmToolbox
        main->resize(1024, 768);
        if (picture)
            synthetic::installGrid(*main, pictureColumns, pictureRows);
        main->show();
        while (!main->windowHandle() || !main->windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
    }
    ~Scene() { delete main->frmToolbox; }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    TfrmMainForm& form() { return *main; }

private:
    std::unique_ptr<TfrmMainForm> main;
};

// The baseline: the rooms made one by one as the toolbox would, each corner typed in turn,
// the side the room moves toward first, so that no step meets the minimum size wherever
// Add Room put the room.
void makeRoomsByHand(TfrmMainForm& form)
{
    for (int k = 0; k < roomCount; ++k) {
        form.AddRoom();
        TRoom* room = form.Rooms.last();
        const Corners c = cornersOf(k);
        if (c.xl < room->xl()) {
            room->setXl(c.xl);
            room->setXr(c.xr);
        } else {
            room->setXr(c.xr);
            room->setXl(c.xl);
        }
        if (c.ytl < room->ytl()) {
            room->setYtl(c.ytl);
            room->setYtr(c.ytr);
            room->setYbl(c.ybl);
            room->setYbr(c.ybr);
        } else {
            room->setYbl(c.ybl);
            room->setYbr(c.ybr);
            room->setYtl(c.ytl);
            room->setYtr(c.ytr);
        }
    }
}

// Each room joined to the next one and to the one 100 places on (wrapping round):
// 20,000 distinct pairs.
void joinRooms(TfrmMainForm& form)
{
    for (int k = 0; k < roomCount; ++k) {
        for (int step : {1, roomColumns}) {
            TRoom* a = form.Rooms[k];
            TRoom* b = form.Rooms[(k + step) % roomCount];
            a->SetDoor(b, 50);
            b->SetDoor(a, 50);
        }
    }
}

// The load must give back the rooms as they were made.
bool sameRooms(TfrmMainForm& form)
{
    if (form.Rooms.size() != roomCount || form.SelectedRoom != form.Rooms.last())
        return false;
    for (int k = 0; k < roomCount; ++k) {
        const TRoom* room = form.Rooms[k];
        const Corners c = cornersOf(k);
        if (room->xl() != c.xl || room->xr() != c.xr || room->ytl() != c.ytl || room->ytr() != c.ytr ||
            room->ybl() != c.ybl || room->ybr() != c.ybr || room->doorCount() != 4)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bench::useOffscreenUnlessChosen();
    TApplication app(argc, argv);
    const int runs = bench::runsFromArguments(argc, argv);

    QTemporaryDir folder;
    const QString script = QDir(folder.path()).filePath(QStringLiteral("rooms.cos"));

    std::vector<double> byHand, load, loadBare, save, readOnly;
    bool allSame = true;
    for (int run = 0; run < runs; ++run) {
        {
            Scene bare(false);
            byHand.push_back(bench::timeMs([&] { makeRoomsByHand(bare.form()); }));
        }
        {
            // The script comes from a window with the picture, as a user's would.
            Scene source(true);
            makeRoomsByHand(source.form());
            joinRooms(source.form());
            QCoreApplication::processEvents();
            save.push_back(bench::timeMs([&] { source.form().SaveRoomDefs(script); }));
        }
        {
            // The reader alone: the same text into plain records.
            QFile file(script);
            const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            readOnly.push_back(bench::timeMs([&] { ReadScript(text, ScriptStart{}); }));
        }
        {
            Scene loaded(true);
            load.push_back(bench::timeMs([&] {
                loaded.form().LoadRoomDefs(script);
                QCoreApplication::processEvents();
            }));
            allSame = allSame && sameRooms(loaded.form());
        }
        {
            Scene bare(false);
            loadBare.push_back(bench::timeMs([&] {
                bare.form().LoadRoomDefs(script);
                QCoreApplication::processEvents();
            }));
            allSame = allSame && sameRooms(bare.form());
        }
    }

    std::printf("Room definition scripts: %d rooms, %d door lines; %d runs, Qt platform \"%s\"\n", roomCount,
                2 * roomCount, runs, qPrintable(QGuiApplication::platformName()));
    if (!allSame)
        std::printf("WARNING: a load did not give back the rooms that were saved\n");
    bench::printHeader();
    const bench::Spread baseline = bench::spread(byHand);
    const bench::Spread bareLoad = bench::spread(loadBare);
    const bench::Spread pictureLoad = bench::spread(load);
    bench::printRow("AddRoom + corner setters, no picture", baseline);
    bench::printRow("LoadRoomDefs, 60x24 block picture", pictureLoad, &baseline);
    bench::printRow("LoadRoomDefs, no picture", bareLoad, &baseline);
    bench::printRow("SaveRoomDefs, 60x24 block picture", bench::spread(save), &baseline);
    std::printf("The picture adds %.0f%% to a load (median over median).\n",
                100.0 * (pictureLoad.median / bareLoad.median - 1.0));
    std::printf("\nAgainst the reader alone, reading the same text into plain records:\n");
    bench::printHeader();
    const bench::Spread reader = bench::spread(readOnly);
    bench::printRow("ReadScript, the same text", reader);
    bench::printRow("LoadRoomDefs, 60x24 block picture", pictureLoad, &reader);
    return 0;
}
