#pragma once

// The seed corpus of fuzz_script, also read by the bad-input tests: scripts that the
// program's writer makes for a few layouts, damaged copies of them, and hand-written
// scripts with what the writer never makes. The same files every time.

#include "core/script/roomdefs.h"
#include "core/script/scriptwriter.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <random>
#include <utility>

namespace seeds {

using NamedFile = std::pair<QString, QByteArray>;

namespace detail {

inline ScriptRoom room(int xl, int xr, int ytl, int ytr, int ybl, int ybr, int roomtype, const QString& music = {})
{
    return {{xl, xr, ytl, ytr, ybl, ybr}, roomtype, music, {}, {}};
}

inline void link(RoomDefs& defs, int a, int b, int perm)
{
    defs.rooms[a].doors.append({b, perm});
    defs.rooms[b].doors.append({a, perm});
}

inline RoomDefs emptyLayout()
{
    RoomDefs defs;
    defs.metaroomFilename = QStringLiteral("Empty.blk");
    defs.panelWidth = 433;
    defs.panelHeight = 249;
    return defs;
}

inline RoomDefs garden()
{
    RoomDefs defs;
    defs.offsetX = 1000;
    defs.offsetY = -200;
    defs.metaRoomID = 3;
    defs.subRoomStartID = 100;
    defs.metaroomMusic = QStringLiteral("main.mng\\garden");
    defs.metaroomFilename = QStringLiteral("C:\\Creatures 3\\Images\\Garden.blk");
    defs.panelWidth = 1024;
    defs.panelHeight = 768;
    defs.rooms = {room(10, 300, 20, 40, 200, 220, 4), room(300, 600, 40, 40, 220, 231, 5, QStringLiteral("Caf\u00E9 du monde")),
                  room(-50, 5, -9, 0, 100, 7, 8, QStringLiteral("say \"hi\" \\ it's"))};
    link(defs, 0, 1, 100);
    link(defs, 2, 0, 30);
    link(defs, 1, 2, 0);
    return defs;
}

// Numbers at the ends of their range: game coordinates and room numbers wrap around,
// up to -2147483647, the lowest number a script holds.
inline RoomDefs extremes()
{
    RoomDefs defs;
    defs.offsetX = INT32_MAX;
    defs.offsetY = INT32_MIN + 1;
    defs.metaRoomID = -1;
    defs.subRoomStartID = INT32_MAX;   // room 1 is -2147483648: no door to it
    defs.metaroomFilename = QStringLiteral("/maps/edge.BLK");
    defs.panelWidth = INT32_MAX;
    defs.panelHeight = 0;
    defs.rooms = {room(INT32_MIN + 2, INT32_MAX, 0, 1, INT32_MAX, INT32_MIN, INT32_MIN + 1, QStringLiteral("  spaced  ")),
                  room(0, 0, 0, 0, 0, 0, INT32_MAX), room(-1, 2, 0, 1, 0, 1, 0)};
    link(defs, 0, 2, INT32_MIN + 1);
    return defs;
}

// A row of rooms, each linked to the next.
inline RoomDefs corridor()
{
    RoomDefs defs;
    defs.offsetX = 128;
    defs.offsetY = 64;
    defs.metaRoomID = 7;
    defs.subRoomStartID = 0;
    defs.metaroomMusic = QStringLiteral("corridor");
    defs.metaroomFilename = QStringLiteral("corridor.blk");
    defs.panelWidth = 3072;
    defs.panelHeight = 256;
    for (int i = 0; i < 24; ++i)
        defs.rooms.append(room(i * 128, i * 128 + 128, 10 + i, 20 - i, 200, 210 + i, i % 16, QString::number(i)));
    for (int i = 0; i + 1 < 24; ++i)
        link(defs, i, i + 1, (i * 13) % 101);
    return defs;
}

class Corpus {
public:
    QList<NamedFile> files;

    void add(const QString& name, const QByteArray& bytes) { files.append({name, bytes}); }

    // The script and its damaged copies.
    void addWithDamage(const QString& name, const QByteArray& script)
    {
        add(name, script);
        add(name + QStringLiteral("-cut-third"), script.left(script.size() / 3));
        add(name + QStringLiteral("-cut-half"), script.left(script.size() / 2));
        add(name + QStringLiteral("-cut-last-byte"), script.left(script.size() - 1));
        for (int copy = 1; copy <= 3; ++copy)
            add(name + QStringLiteral("-flipped-%1").arg(copy), flipped(script, copy));
        QByteArray noClosingQuote = script;
        noClosingQuote.remove(noClosingQuote.lastIndexOf('"'), 1);
        add(name + QStringLiteral("-quote-unclosed"), noClosingQuote);
        QByteArray noOpeningQuote = script;
        noOpeningQuote.remove(noOpeningQuote.indexOf('"'), 1);
        add(name + QStringLiteral("-quote-unopened"), noOpeningQuote);
        add(name + QStringLiteral("-lf-only"), QByteArray(script).replace("\r\n", "\n"));
        add(name + QStringLiteral("-cr-only"), QByteArray(script).replace("\r\n", "\r"));
    }

private:
    // A few bytes of the script changed at places and to values of the copy's own.
    QByteArray flipped(QByteArray script, int copy)
    {
        std::mt19937 random(std::uint32_t(copy) * 7919u + std::uint32_t(script.size()));
        std::uniform_int_distribution<qsizetype> at(0, script.size() - 1);
        std::uniform_int_distribution<int> bits(1, 255);
        for (int i = 0; i < copy + 1; ++i)
            script[at(random)] ^= char(bits(random));
        return script;
    }
};

} // namespace detail

inline QList<NamedFile> scriptSeeds()
{
    using namespace detail;
    Corpus corpus;

    corpus.add(QStringLiteral("empty-layout"), RoomDefsText(emptyLayout()));
    const QByteArray gardenScript = RoomDefsText(garden());
    corpus.addWithDamage(QStringLiteral("garden"), gardenScript);
    corpus.addWithDamage(QStringLiteral("extremes"), RoomDefsText(extremes()));
    corpus.addWithDamage(QStringLiteral("corridor"), RoomDefsText(corridor()));

    // Numbers out of range, or not numbers, in place of the first room's xl.
    const QByteArray firstXl = "addr va01 1010 ";
    const QList<QByteArray> badNumbers = {"2147483648", "-2147483649", "99999999999999999999", "$FFFFFFFF",
                                          "$100000000", "-2147483648", "$", "+", "1e3", "0x10"};
    for (qsizetype i = 0; i < badNumbers.size(); ++i)
        corpus.add(QStringLiteral("garden-number-%1").arg(i),
                   QByteArray(gardenScript).replace(firstXl, "addr va01 " + badNumbers[i] + ' '));

    corpus.add(QStringLiteral("hand-metaroom-line"),
               "brmi 9 20\r\nsetv va01 addm 500 300 1024 768 \"Hand made\"\r\nmmsc 1012 684 \"Hand music\"\r\n"
               "setv va02 addr va01 510 900 310 320 600 620\r\nrtyp va02 2\r\nrmsc 705 465 \"in room\"\r\n"
               "setv va01 addm -500 $10 0 0 Second\r\nsetv va02 addr va01 0 10 20 30 40 50\r\ndoor 20 21 75\r\n");
    corpus.add(QStringLiteral("hand-doors-to-missing-rooms"),
               "brmi 0 10\r\naddr va01 1 10 2 2 9 9\r\ndoor 10 10 5\r\ndoor 10 11 50\r\ndoor 9 10 50\r\n"
               "door -2147483648 2147483647 1\r\n");
    const char withNul[] = "addr va01 1 10 2 2 9 9\r\nrmsc 0 0 \"a\0b\"\r\nbrmi \0 1\r\n";
    corpus.add(QStringLiteral("hand-nul-bytes"), QByteArray(withNul, sizeof withNul - 1));
    corpus.add(QStringLiteral("hand-loose-lines"),
               "* comment: brmi 1 2\r\n   rtyp va02 3\r\nBRMI 4 5\r\nbrmi\t6\t7\r\n"
               "  addr va01 1 10 2 2 9 9   rtyp va02 4 rmsc 1 2 \"a  b\"  mmsc 0 0 tune \r\n"
               "x \"door\" 0 0 9\r\n\r\nbrmi 8 9\r\n");
    corpus.add(QStringLiteral("hand-upper-case"),
               "BRMI 9 20\r\nSETV VA01 ADDM 500 300 1024 768 \"Hand\"\r\nSETV VA02 ADDR VA01 510 900 310 320 600 620\r\n"
               "Rtyp va02 2\r\nRMSC 705 465 \"main.mng\\\\garden\"\r\nSETV VA02 ADDR VA01 900 990 320 320 620 620\r\n"
               "DOOR 20 21 75\r\nMmsc 0 0 \"Tune\"\r\n");
    corpus.add(QStringLiteral("hand-tabs-and-blank-lines"),
               "brmi\t1\t2\r\n\r\n\taddr va01\t1 10 2 2 9 9\r\n\r\n\r\nrtyp\tva02 3\v\f\r\n");
    corpus.add(QStringLiteral("hand-escapes"),
               "addr va01 1 10 2 2 9 9\r\nrmsc 0 0 \"a\\\\b \\\"q\\\" \\'s\"\r\n"
               "mmsc 0 0 \"C:\\\\music\\\\x\"\r\nx \"\\n\\r\\t\\0\"\r\n");
    corpus.add(QStringLiteral("hand-unknown-escape"), "addr va01 1 10 2 2 9 9\r\nrmsc 0 0 \"C:\\music\\x\"\r\n");
    corpus.add(QStringLiteral("hand-unclosed-string"), "brmi 1 2\r\nmmsc 0 0 \"open \\\"\r\nbrmi 3 4\r\n");
    corpus.add(QStringLiteral("hand-comments"),
               "* brmi 1 2 \"C:\\x\r\n   * door 0 0 0\r\nbrmi 3 4 * \"x\"\r\n*\r\n");
    corpus.add(QStringLiteral("hand-doors-between-script-and-editor"),
               "brmi 0 0\r\naddr va01 1 10 2 2 9 9\r\naddr va01 11 20 2 2 9 9\r\ndoor 0 1 5\r\ndoor 1 2 6\r\n"
               "door 0 3 7\r\nbrmi 0 1\r\ndoor 0 1 8\r\n");
    corpus.add(QStringLiteral("hand-short-lines"), "addr va01 1 2 3\r\nrtyp\r\nrmsc 1\r\ndoor\r\naddm\r\nmmsc\r\nbrmi\r\n");
    corpus.add(QStringLiteral("hand-long-line"),
               "addr va01 1 10 2 2 9 9\r\nrmsc 0 0 \"" + QByteArray(3000, 'm') + "\"\r\nmmsc 1 1 " +
                   QByteArray(1500, 'z') + "\r\nbrmi 1 2\r\n");
    QByteArray manyTokens = "brmi";
    for (int i = 0; i < 2000; ++i)
        manyTokens += " " + QByteArray::number(i);
    corpus.add(QStringLiteral("hand-many-tokens"), manyTokens + "\r\nbrmi 3 4\r\n");

    corpus.add(QStringLiteral("game-style-variables"),
               "* install script\r\nsetv va00 addm 0 0 800 600 \"one\"  * the first\r\n"
               "setv va01 addr va00 0 100 0 0 50 50\r\nsetv va02 addr va00 100 200 0 0 50 30\r\n"
               "setv va01\r\n  addr va00 200 300 0 0 50 50\r\nRTYP va01 3 rtyp va02 5\r\n"
               "rmsc 50 25 \"main.mng\\\\garden\\t\" rmsc 150 20 \"x\\0y\"\r\n"
               "prop va02 4 0.25 prop va01 15 1\r\ndoor va01 va02 40 door 0 1 100\r\n"
               "rate 3 2 0.5 0.1 0.2\r\naltr va02 4 0.05\r\nsetv va05 rand 1 3\r\n");
    corpus.add(QStringLiteral("game-style-metarooms"),
               "mapd 100000 100000\r\nbrmi 0 0\r\nsetv va00 addm 0 0 800 600 \"one\"\r\n"
               "setv va10 addm 1000 0 400 300 \"two\"\r\nsetv va01 addr va00 0 100 0 0 50 50\r\n"
               "setv va02 addr va10 1000 1100 0 0 50 50\r\nsetv va03 addr va10 1100 1200 0 0 50 50\r\n"
               "door va02 va03 30\r\nmmsc 1100 100 \"tune\"\r\nmmsc 50 50 \"other\"\r\n"
               "scrp 1 2 3 4\r\n  setv va00 0\r\nendm\r\nnew: simp 2 7 1000\r\n  \"blnk\" 2 0\r\n");

    return corpus.files;
}

} // namespace seeds
