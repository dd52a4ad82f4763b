// The lines of a script that the findings of its map are told at, and the map a script
// makes in an empty editor.
#include "core/model/scriptload.h"
#include "core/rules/findinglines.h"

#include <QtTest>

class TestFindingLines : public QObject {
    Q_OBJECT
private slots:
    void linesOfFindings();
    void loadedMap();
};

void TestFindingLines::linesOfFindings()
{
    const QByteArray script =
        "* a comment\r\n"                              // 1
        "brmi 250 1999\r\n"                            // 2: metaroom number too large
        "addr 0 0 100 0 0 50 50\r\n"                   // 3: room 1999
        "addr 0 100 200 0 0 50 50\r\n"                 // 4: room 2000, shares a wall with 1999
        "addr 0 300 400 0 0 50 50\r\n"                 // 5: room 2001, alone
        "door 1999 2001 40\r\n"                        // 6: no shared edge
        "addr 0 150 250 10 10 40 40 rtyp 0 20\r\n"     // 7: room 2002, overlaps 2000
        "door 1999 2000 300\r\n"                       // 8
        "door 2000 1999 500\r\n";                      // 9: the permeability the map holds
    const ScriptContent content = ReadScript(script, ScriptStart{});
    const QList<Finding> findings = CheckGameRules(LoadedIntoEmptyMap(content), QSize());
    const QList<int> lines = FindingLines(findings, content);
    QCOMPARE(lines.size(), findings.size());

    QMap<GameRule, int> lineOfRule;
    for (qsizetype i = 0; i < findings.size(); ++i)
        lineOfRule.insert(findings[i].rule, lines[i]);   // the last finding of each rule
    const QMap<GameRule, int> expected{
        {GameRule::RoomNumber, 4},      {GameRule::MetaroomNumber, 2},
        {GameRule::RoomType, 7},        {GameRule::DoorWithoutEdge, 6}, {GameRule::DoorPermeability, 9},
        {GameRule::Overlap, 4},
    };
    QCOMPARE(lineOfRule, expected);

    // Without the lines they would name: line 1.
    Finding metaroomWide{Severity::Error, {}, QStringLiteral("x"), GameRule::MetaroomNumber};
    Finding unknownDoor{Severity::Error, {0, 3}, QStringLiteral("x"), GameRule::DoorWithoutEdge};
    Finding count{Severity::Error, {}, QStringLiteral("x"), GameRule::RoomCount};
    QCOMPARE(FindingLines({metaroomWide, unknownDoor, count}, ReadScript("addr 0 0 1 0 0 1 1\r\n", {})),
             QList<int>({1, 1, 1}));
}

void TestFindingLines::loadedMap()
{
    // Doors both ways; a second door line between the same rooms sets the permeability;
    // a door to itself is one record; the last floor is held at the minimum height.
    const QByteArray script = "brmi 4 10\r\naddm 5 6 900 700 \"sky\"\r\nmmsc 0 0 \"tune\"\r\n"
                              "addr 4 105 205 6 6 106 106\r\nrtyp 0 3\r\nrmsc 0 0 \"drip\"\r\n"
                              "addr 4 205 305 6 6 106 8\r\n"
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
    QCOMPARE(defs.rooms[1], (ScriptRoom{200, 300, 0, 0, 100, 5, 0, QString(), {{0, 60}, {1, 5}}, {}}));
}

QTEST_GUILESS_MAIN(TestFindingLines)
#include "tst_findinglines.moc"
