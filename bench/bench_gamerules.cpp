// Times the check of the game's rules on a map of 10,000 rooms and 20,000 door lines,
// next to the baseline of the same run: the script reader reading the same map's text
// into a sink that only records what it is told.
//
// The rooms lie in a grid of 100 x 100 with zig-zag floors, each sharing its walls and
// floors with its neighbours; each room has a door to the next one and to the one 100
// places on, wrapping round, so 200 door lines join rooms that share no edge. The same map
// without its door lines gives a note for each of its 19,800 shared edges.
//
// The cases take turns within each run. An optional argument sets the number of runs
// (default 21).
#include "bench/benchsupport.h"
#include "bench/roomgrid.h"
#include "core/rules/gamerules.h"
#include "core/script/scriptreader.h"
#include "core/script/scripttokens.h"
#include "core/script/scriptwriter.h"

#include <cstdio>
#include <vector>

namespace {

using roomgrid::roomCount;
const QSize picture = roomgrid::picture;

// The baseline's reading: the script reader into plain records.
ScriptContent readScript(const QByteArray& text)
{
    return ReadScript(text, ScriptStart{});
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = bench::runsFromArguments(argc, argv, 21);
    const RoomDefs defs = roomgrid::makeMap();
    const QByteArray text = RoomDefsText(defs);
    RoomDefs doorless = defs;
    for (ScriptRoom& room : doorless.rooms)
        room.doors.clear();

    std::vector<double> reading, checking, checkingDoorless, edges;
    size_t roomsRead = 0, doorsRead = 0;
    QList<Finding> findings;
    qsizetype doorlessFindings = 0;
    qsizetype edgeCount = 0;
    for (int run = 0; run < runs; ++run) {
        reading.push_back(bench::timeMs([&] {
            const ScriptContent sink = readScript(text);
            roomsRead = sink.rooms.size();
            doorsRead = sink.doors.size();
        }));
        checking.push_back(bench::timeMs([&] { findings = CheckGameRules(defs, picture); }));
        checkingDoorless.push_back(
            bench::timeMs([&] { doorlessFindings = CheckGameRules(doorless, picture).size(); }));
        edges.push_back(bench::timeMs([&] { edgeCount = SharedEdges(defs).size(); }));
    }

    int errors = 0, warnings = 0, notes = 0;
    for (const Finding& f : findings)
        (f.severity == Severity::Error ? errors : f.severity == Severity::Warning ? warnings : notes) += 1;

    std::printf("Game rules: %d rooms, %d door lines, a script of %lld bytes; %d runs\n", roomCount, 2 * roomCount,
                static_cast<long long>(text.size()), runs);
    std::printf("Read back %zu rooms and %zu door lines; %lld shared edges; findings: %d errors, %d warnings, "
                "%d notes; without door lines: %lld findings\n",
                roomsRead, doorsRead, static_cast<long long>(edgeCount), errors, warnings, notes,
                static_cast<long long>(doorlessFindings));
    bench::printHeader();
    const bench::Spread baseline = bench::spread(reading);
    bench::printRow("script reader, same map's text (lines+read)", baseline);
    bench::printRow("CheckGameRules", bench::spread(checking), &baseline);
    bench::printRow("CheckGameRules, no door lines", bench::spread(checkingDoorless), &baseline);
    bench::printRow("SharedEdges", bench::spread(edges), &baseline);
    std::printf("Goal: CheckGameRules at most 2 x the reader.\n");
    return 0;
}
