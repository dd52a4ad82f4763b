// The lines of a script that the findings of its map are told at, and the map a script
// makes in an empty editor.
#include "core/model/scriptload.h"
#include "core/rules/findinglines.h"
#include "core/script/scriptwriter.h"

#include <QtTest>

class TestFindingLines : public QObject {
    Q_OBJECT
private slots:
    void linesOfFindings();
    void loadedMap();
};

void TestFindingLines::linesOfFindings()
{
    // In the game's style: rooms kept in variables, types and music after all the rooms.
    const QByteArray script =
        "* a comment\r\n"                                   // 1
        "brmi 250 1999\r\n"                                 // 2: metaroom number too large
        "setv va01 addr 0 0 100 0 0 50 50\r\n"              // 3: room 1999
        "setv va02 addr 0 100 200 0 0 50 50\r\n"            // 4: room 2000, shares a wall with 1999
        "setv va03 addr 0 300 400 0 0 50 50\r\n"            // 5: room 2001, alone
        "door va01 va03 40\r\n"                             // 6: no shared edge
        "setv va04 addr 0 150 250 10 10 40 40\r\n"          // 7: room 2002, overlaps 2000
        "door va01 va02 300\r\n"                            // 8
        "door va02 va01 500\r\n"                            // 9: the permeability the map holds
        "rtyp va04 20\r\n"                                  // 10: the type, at its own line
        "rmsc 350 25 \"bell\\r\\n\" rmsc 50 25 \"drip\"\r\n"  // 11: music of 2001, 1999
        "setv va05 addr 0 500 490 0 0 50 50\r\n";          // 12: reversed walls
    const ScriptContent content = ReadScript(script, ScriptStart{});
    const QList<Finding> findings = CheckGameRules(LoadedIntoEmptyMap(content), QSize());
    const QList<int> lines = FindingLines(findings, content);
    QCOMPARE(lines.size(), findings.size());

    QMap<GameRule, int> lineOfRule;
    for (qsizetype i = 0; i < findings.size(); ++i)
        lineOfRule.insert(findings[i].rule, lines[i]);   // the last finding of each rule
    const QMap<GameRule, int> expected{
        {GameRule::RoomNumber, 4},    {GameRule::MetaroomNumber, 2},  {GameRule::RoomType, 10},
        {GameRule::ReversedWalls, 12},  {GameRule::DoorWithoutEdge, 6},
        {GameRule::DoorPermeability, 9}, {GameRule::Overlap, 4},
    };
    QCOMPARE(lineOfRule, expected);

    // Without the lines they would name: line 1.
    Finding metaroomWide{Severity::Error, {}, QStringLiteral("x"), GameRule::MetaroomNumber};
    Finding unknownDoor{Severity::Error, {0, 3}, QStringLiteral("x"), GameRule::DoorWithoutEdge};
    Finding count{Severity::Error, {}, QStringLiteral("x"), GameRule::RoomCount};
    QCOMPARE(FindingLines({metaroomWide, unknownDoor, count}, ReadScript("addr 0 0 1 0 0 1 1\r\n", {})),
             QList<int>({1, 1, 1}));

    // An rmsc line whose point no room holds stops the script: told at its line.
    const ScriptContent lost = ReadScript("addr 0 0 100 0 0 50 50\r\nrmsc 500 500 \"x\"\r\n", {});
    const QList<LineFinding> stops = FindingsOfScriptLines(lost);
    QCOMPARE(stops.size(), 1);
    QCOMPARE(stops[0].line, 2);
    QVERIFY(stops[0].message.contains(QStringLiteral("stops the script")));
}

void TestFindingLines::loadedMap()
{
    // Doors both ways; a second door line between the same rooms sets the permeability;
    // a door to itself is one record; a wedge's corners stay as written.
    const QByteArray script = "brmi 4 10\r\nsetv va00 addm 5 6 900 700 \"sky\"\r\nmmsc 7 8 \"tune\"\r\n"
                              "addr va00 105 205 6 6 106 106\r\nrtyp 10 3\r\nrmsc 155 56 \"drip\"\r\n"
                              "addr va00 205 305 6 6 106 6\r\n"
                              "door 10 11 30\r\ndoor 11 10 60\r\ndoor 11 11 5\r\n";
    const RoomDefs defs = LoadedIntoEmptyMap(ReadScript(script, ScriptStart{}));
    QCOMPARE(defs.metaRoomID, 4);
    QCOMPARE(defs.subRoomStartID, 10);
    QCOMPARE(defs.offsetX, 5);
    QCOMPARE(defs.metaroomFilename, QStringLiteral("sky"));
    QCOMPARE(defs.metaroomMusic, QStringLiteral("tune"));
    QCOMPARE(QSize(defs.panelWidth, defs.panelHeight), QSize(900, 700));
    QCOMPARE(defs.rooms.size(), 2);
    QCOMPARE(defs.rooms[0], (ScriptRoom{100, 200, 0, 0, 100, 100, 3, QStringLiteral("drip"), {{1, 60}}, {}}));
    QCOMPARE(defs.rooms[1], (ScriptRoom{200, 300, 0, 0, 100, 0, 0, QString(), {{0, 60}, {1, 5}}, {}}));
    // Saved, the wedge keeps its corners; before, "... 106 6" came back "... 106 11".
    QVERIFY(RoomDefsText(defs).contains("setv va02 addr va01 205 305 6 6 106 6\r\n"));
}

QTEST_GUILESS_MAIN(TestFindingLines)
#include "tst_findinglines.moc"
