// libFuzzer target for the room definition script reader. The bytes go through
// ScriptLines and RoomDefsReader into an editor, and what must hold for any file is
// checked afterwards. The program's own errors (PlsdError) end a load as they would in
// the editor; anything else that leaves the reader is a finding, and so is a failed check.
//
// The editor is given to loadAndCheck as a ScriptSink and a function that reads its
// state, so the small model below and the real main window can both stand there.

#include "app/errors.h"
#include "script/int32wrap.h"
#include "script/roomdefs.h"
#include "script/scriptreader.h"
#include "script/scripttokens.h"
#include "script/scriptwriter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

[[noreturn]] void broken(const char* what)
{
    std::fprintf(stderr, "fuzz_script: %s\n", what);
    std::abort();
}

void check(bool holds, const char* what)
{
    if (!holds)
        broken(what);
}

// The editor's rooms, doors and metaroom values as the writer takes them.
using EditorState = std::function<RoomDefs()>;

// A small editor: the room list with corners, type, music and doors, and the metaroom
// values. Rooms are found by game room number as in the editor, counting over the whole
// list and wrapping at 32 bits as the writer does when it numbers them.
class ModelEditor : public ScriptSink {
public:
    RoomDefs defs;

    void addRoom(const RoomCorners& c) override
    {
        defs.rooms.append({c.xl, c.xr, c.ytl, c.ytr, c.ybl, c.ybr, 0, {}, {}});
    }
    void setRoomType(int roomtype) override { latest().roomtype = roomtype; }
    void setRoomMusic(const QString& music) override { latest().music = music; }
    void linkRooms(int a, int b, int perm) override
    {
        const int from = position(a);
        const int to = position(b);
        setDoor(from, to, perm);
        setDoor(to, from, perm);
    }
    void setMetaroom(int offsetX, int offsetY, const QString& backgroundName) override
    {
        defs.offsetX = offsetX;
        defs.offsetY = offsetY;
        defs.metaroomFilename = backgroundName;
    }
    void setMetaroomMusic(const QString& music) override { defs.metaroomMusic = music; }
    void setRoomNumbering(int metaRoomID, int subRoomStartID) override
    {
        defs.metaRoomID = metaRoomID;
        defs.subRoomStartID = subRoomStartID;
    }

private:
    ScriptRoom& latest()
    {
        check(!defs.rooms.isEmpty(), "room type or music with no room");
        return defs.rooms.last();
    }
    int position(int roomNumber) const
    {
        const std::int32_t i = wrappingSub(roomNumber, defs.subRoomStartID);
        if (i < 0 || i >= defs.rooms.size())
            throw ListIndexError();
        return i;
    }
    void setDoor(int from, int to, int perm)
    {
        for (ScriptDoor& door : defs.rooms[from].doors) {
            if (door.target == to) {
                door.perm = perm;
                return;
            }
        }
        defs.rooms[from].doors.append({to, perm});
    }
};

// Passes every command of one load on to the editor and checks the reader's side of the
// ScriptSink contract on the way.
class CheckedSink : public ScriptSink {
public:
    CheckedSink(ScriptSink& editor, const EditorState& state, int offsetX, int offsetY)
        : editor(editor)
        , state(state)
        , offsetX(offsetX)
        , offsetY(offsetY)
    {
    }

    int roomsMade = 0;
    // The largest xr, and ybl or ybr, of the rooms made, as written in the script.
    std::int32_t writtenRight = INT32_MIN;
    std::int32_t writtenBottom = INT32_MIN;

    void addRoom(const RoomCorners& c) override
    {
        writtenRight = std::max(writtenRight, wrappingAdd(c.xr, offsetX));
        writtenBottom = std::max({writtenBottom, wrappingAdd(c.ybl, offsetY), wrappingAdd(c.ybr, offsetY)});
        editor.addRoom(c);
        ++roomsMade;
    }
    void setRoomType(int roomtype) override
    {
        check(roomsMade > 0, "room type before any room of this load");
        editor.setRoomType(roomtype);
    }
    void setRoomMusic(const QString& music) override
    {
        check(roomsMade > 0, "room music before any room of this load");
        editor.setRoomMusic(music);
    }
    void linkRooms(int a, int b, int perm) override
    {
        const RoomDefs before = state();
        try {
            editor.linkRooms(a, b, perm);
        } catch (const ListIndexError&) {
            check(state() == before, "a door line to no room changed the editor");
            throw;
        }
    }
    void setMetaroom(int x, int y, const QString& backgroundName) override
    {
        offsetX = x;
        offsetY = y;
        editor.setMetaroom(x, y, backgroundName);
    }
    void setMetaroomMusic(const QString& music) override { editor.setMetaroomMusic(music); }
    void setRoomNumbering(int metaRoomID, int subRoomStartID) override
    {
        editor.setRoomNumbering(metaRoomID, subRoomStartID);
    }

private:
    ScriptSink& editor;
    const EditorState& state;
    std::int32_t offsetX;
    std::int32_t offsetY;
};

// Every door has its twin in the room it leads to, with the same permeability, and a
// room has at most one door to each room.
void checkDoorsPaired(const RoomDefs& defs)
{
    const qsizetype count = defs.rooms.size();
    for (qsizetype from = 0; from < count; ++from) {
        const QList<ScriptDoor>& doors = defs.rooms[from].doors;
        for (const ScriptDoor& door : doors) {
            check(door.target >= 0 && door.target < count, "a door to a room not in the list");
            check(std::count_if(doors.begin(), doors.end(), [&](const ScriptDoor& d) { return d.target == door.target; }) == 1,
                  "two doors between the same rooms");
            const QList<ScriptDoor>& back = defs.rooms[door.target].doors;
            check(std::find(back.begin(), back.end(), ScriptDoor{int(from), door.perm}) != back.end(),
                  "a door without its twin");
        }
    }
}

void printFirstDifference(const QByteArray& expected, const QByteArray& actual)
{
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = actual.split('\n');
    for (qsizetype i = 0; i < std::max(want.size(), got.size()); ++i) {
        const QByteArray a = want.value(i);
        const QByteArray b = got.value(i);
        if (a != b) {
            std::fprintf(stderr, "line %lld\n  expected: %s\n  read:     %s\n", static_cast<long long>(i + 1),
                         a.toPercentEncoding(" \"$-").constData(), b.toPercentEncoding(" \"$-").constData());
            return;
        }
    }
}

// Doors in the order of the rooms they lead to.
void sortDoors(RoomDefs& defs)
{
    for (ScriptRoom& room : defs.rooms)
        std::sort(room.doors.begin(), room.doors.end(),
                  [](const ScriptDoor& a, const ScriptDoor& b) { return a.target < b.target; });
}

// What the editor holds, written as a script and read into an empty model, comes back
// the same, but for what a script leaves out on purpose: the background name loses its
// folder and ending, doors of a room to itself are not written, the panel size is not
// read, and a room's doors come back in another order (each link is written once, from
// its earlier room). A text field the writer refuses ends the check.
void checkReadsBack(const RoomDefs& held)
{
    QByteArray text;
    try {
        text = RoomDefsText(held);
    } catch (const PlsdError&) {
        return;
    }
    ModelEditor back;
    try {
        RoomDefsReader(back, 0, 0, 0, 0).read(ScriptLines(text));
    } catch (const PlsdError&) {
        broken("a written script fails to read");
    }

    RoomDefs expected = held;
    expected.metaroomFilename = BackgroundName(held.metaroomFilename);
    expected.panelWidth = back.defs.panelWidth;
    expected.panelHeight = back.defs.panelHeight;
    for (qsizetype i = 0; i < expected.rooms.size(); ++i)
        expected.rooms[i].doors.removeIf([i](const ScriptDoor& d) { return d.target == i; });
    sortDoors(expected);
    sortDoors(back.defs);
    if (!(back.defs == expected)) {
        printFirstDifference(RoomDefsText(expected), RoomDefsText(back.defs));
        broken("a written script reads back different");
    }
}

// One load of text into the editor, as File > Load Room Defs runs it, starting from the
// offsets and panel size the editor holds; then the checks.
void loadAndCheck(ScriptSink& editor, const EditorState& state, const QByteArray& text)
{
    const RoomDefs before = state();
    CheckedSink sink(editor, state, before.offsetX, before.offsetY);
    RoomDefsReader reader(sink, before.offsetX, before.offsetY, before.panelWidth, before.panelHeight);
    try {
        reader.read(ScriptLines(text));
    } catch (const PlsdError&) {
        // The load ends here, keeping what it made so far.
    }

    check(reader.panelWidth() >= before.panelWidth && reader.panelHeight() >= before.panelHeight,
          "the running panel size shrank");
    check(reader.panelWidth() >= sink.writtenRight && reader.panelHeight() >= sink.writtenBottom,
          "the running panel size is smaller than a room read");

    const RoomDefs after = state();
    // A room line that failed part way left no room behind.
    check(after.rooms.size() == before.rooms.size() + sink.roomsMade, "rooms other than those the reader made");
    checkDoorsPaired(after);
    checkReadsBack(after);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    ModelEditor editor;
    editor.defs.offsetX = 100;
    editor.defs.offsetY = -50;
    editor.defs.panelWidth = 433;
    editor.defs.panelHeight = 249;
    const EditorState state = [&editor] { return editor.defs; };

    // The second load of the same file finds the rooms of the first in the list.
    loadAndCheck(editor, state, text);
    loadAndCheck(editor, state, text);
    return 0;
}
