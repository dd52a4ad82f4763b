// Times the room script reader on 10,000 rooms and 20,000 door lines written in the game's
// own style (variables reused block after block, types, levels and music after the rooms,
// door lines by number at the end) against the same map in the writer's own form, in the
// same run. The two take turns within each run. An optional argument sets the number of
// runs (default 5).
#include "bench/benchsupport.h"
#include "core/model/scriptload.h"
#include "core/script/roompoint.h"
#include "core/script/scriptreader.h"
#include "core/script/scriptwriter.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

constexpr int Columns = 100;
constexpr int Rows = 100;
constexpr int Block = 90;   // rooms a block of variables va10 to va99 names

RoomDefs gridMap()
{
    RoomDefs defs;
    defs.offsetX = 1000;
    defs.offsetY = 500;
    defs.subRoomStartID = 100;
    defs.metaroomFilename = QStringLiteral("grid");
    defs.panelWidth = Columns * 76;
    defs.panelHeight = Rows * 30;
    for (int k = 0; k < Columns * Rows; ++k) {
        const int x = (k % Columns) * 76;
        const int y = (k / Columns) * 30;
        ScriptRoom r{x + 5, x + 65, y + 3, y + 7, y + 24, y + 27, k % 11, QStringLiteral("main.mng\\t%1").arg(k % 7), {}, {}};
        r.levels = {{3, 0.5f}};
        defs.rooms.append(r);
    }
    // 20,000 links between rooms that do not share an edge in this grid: the reader does not care.
    int links = 0;
    for (int k = 0; links < 2 * Columns * Rows; ++k) {
        const int a = k % (Columns * Rows);
        const int b = (a + 1 + k / (Columns * Rows)) % (Columns * Rows);
        defs.rooms[a].doors.append({b, 50});
        defs.rooms[b].doors.append({a, 50});
        ++links;
    }
    return defs;
}

QByteArray gameStyle(const RoomDefs& defs)
{
    QByteArray out = "brmi 0 100\r\nsetv va00 addm 1000 500 7600 3000 \"grid\"\r\n";
    const auto var = [](int k) { return "va" + QByteArray::number(10 + k % Block); };
    for (int start = 0; start < defs.rooms.size(); start += Block) {
        const int end = std::min(int(defs.rooms.size()), start + Block);
        for (int k = start; k < end; ++k) {
            const ScriptRoom& r = defs.rooms[k];
            out += "setv " + var(k) + " addr va00 " + QByteArray::number(r.xl + 1000) + ' ' +
                   QByteArray::number(r.xr + 1000) + ' ' + QByteArray::number(r.ytl + 500) + ' ' +
                   QByteArray::number(r.ytr + 500) + ' ' + QByteArray::number(r.ybl + 500) + ' ' +
                   QByteArray::number(r.ybr + 500) + "\r\n";
        }
        for (int k = start; k < end; ++k)
            out += "rtyp " + var(k) + ' ' + QByteArray::number(defs.rooms[k].roomtype) + "  * type\r\n";
        for (int k = start; k < end; ++k)
            out += "prop " + var(k) + " 3 0.5\r\n";
    }
    for (const ScriptRoom& r : defs.rooms) {
        const QPoint p = *MusicPoint(CornersOf(r));
        out += "RMSC " + QByteArray::number(p.x() + 1000) + ' ' + QByteArray::number(p.y() + 500) + " \"" +
               r.music.toLatin1().replace("\\", "\\\\") + "\"\r\n";
    }
    for (int a = 0; a < defs.rooms.size(); ++a) {
        for (const ScriptDoor& d : defs.rooms[a].doors) {
            if (d.target > a)
                out += "door " + QByteArray::number(100 + a) + ' ' + QByteArray::number(100 + d.target) + " 50\r\n";
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = bench::runsFromArguments(argc, argv);
    const RoomDefs defs = gridMap();
    const QByteArray own = RoomDefsText(defs);
    const QByteArray game = gameStyle(defs);
    const bool same = LoadedIntoEmptyMap(ReadScript(own, {})) == LoadedIntoEmptyMap(ReadScript(game, {}));

    std::vector<double> ownTimes, gameTimes;
    for (int run = 0; run < runs; ++run) {
        ownTimes.push_back(bench::timeMs([&] { ReadScript(own, ScriptStart{}); }));
        gameTimes.push_back(bench::timeMs([&] { ReadScript(game, ScriptStart{}); }));
    }
    std::printf("ReadScript: %lld rooms, 20,000 door lines; %d runs; %lld bytes in the writer's form, %lld in the "
                "game's style\n",
                static_cast<long long>(defs.rooms.size()), runs, static_cast<long long>(own.size()),
                static_cast<long long>(game.size()));
    if (!same)
        std::printf("WARNING: the two texts did not read to the same map\n");
    bench::printHeader();
    const bench::Spread baseline = bench::spread(ownTimes);
    bench::printRow("writer's own form", baseline);
    bench::printRow("game's style: variables, types, music after", bench::spread(gameTimes), &baseline);
    return 0;
}
