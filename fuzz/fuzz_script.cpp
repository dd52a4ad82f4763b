// libFuzzer target for the room definition script reader. The bytes go through
// ScriptLines and RoomDefsReader into a small model of the editor, and through
// LoadRoomDefsText into the real main window and toolbox (offscreen); what must hold for
// any file is checked on both, and the two must agree. The program's own errors
// (PlsdError) end a load as they would in the editor; anything else that leaves the
// reader is a finding, and so is a failed check.

#include "app/application.h"
#include "core/common/errors.h"
#include "app/main.h"
#include "app/tool.h"
#include "rooms/room.h"
#include "core/script/int32wrap.h"
#include "core/script/roomdefs.h"
#include "script/scriptcommands.h"
#include "core/script/scriptreader.h"
#include "core/script/scripttokens.h"
#include "core/script/scriptwriter.h"

#include <QUndoStack>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <utility>

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

// One load of text into the model, as File > Load Room Defs runs it, starting from the
// offsets and panel size the model holds; then the checks. Gives the error that ended
// the load, if any.
std::optional<QString> loadAndCheck(ModelEditor& model, const QByteArray& text)
{
    const EditorState state = [&model] { return model.defs; };
    const RoomDefs before = state();
    CheckedSink sink(model, state, before.offsetX, before.offsetY);
    RoomDefsReader reader(sink, before.offsetX, before.offsetY, before.panelWidth, before.panelHeight);
    std::optional<QString> failure;
    try {
        reader.read(ScriptLines(text));
    } catch (const PlsdError& error) {
        // The load ends here; the checks below see what it made so far, and then the
        // model drops it, as a failed load keeps nothing.
        failure = error.message();
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
    if (!failure) {
        model.defs.panelWidth = reader.panelWidth();
        model.defs.panelHeight = reader.panelHeight();
    } else {
        model.defs = before;
    }
    return failure;
}

// The real main window and toolbox, made once; the rooms go after every input.
struct Editor {
    TfrmMainForm* main = nullptr;
    TfrmToolbox* tool = nullptr;

    void reset(const RoomDefs& start)
    {
        tool->DoorPending = false;
        while (main->Document->roomCount() > 0)
            main->Document->removeRoom(main->Document->roomAt(0));
        tool->SetOffsetX(start.offsetX);
        tool->SetOffsetY(start.offsetY);
        tool->MetaRoomID = start.metaRoomID;
        tool->SubRoomStartID = start.subRoomStartID;
        tool->MetaroomMusic = start.metaroomMusic;
        tool->MetaroomFilename = start.metaroomFilename;
        main->Document->setSurfaceSize(QSize(start.panelWidth, start.panelHeight));
        main->UndoStack->clear();
    }
};

Editor& editor()
{
    static Editor e;
    return e;
}

// The panel's size as Qt keeps it: no larger than a widget can be.
int widgetSize(int size)
{
    return std::min(size, QWIDGETSIZE_MAX);
}

// The same load into the real editor: it fails where the model's failed, with the same
// message, and leaves the same rooms, doors and values. Only the bottom-right corner
// may differ: the room control keeps its least height, which moves it down.
void loadIntoWindowAndCompare(const QByteArray& text, const std::optional<QString>& modelFailure,
                              const RoomDefs& model)
{
    Editor& e = editor();
    const QSize panelBefore = e.main->Panel->size();
    std::optional<QString> failure;
    try {
        e.main->LoadRoomDefsText(text);
    } catch (const PlsdError& error) {
        failure = error.message();
    }
    check(failure == modelFailure, "the main window's load ended otherwise than the model's");

    RoomDefs held = collectRoomDefs(*e.main, *e.tool);
    checkDoorsPaired(held);
    check(held.rooms.size() == model.rooms.size(), "the main window holds other rooms than the model");
    for (qsizetype i = 0; i < held.rooms.size(); ++i) {
        ScriptRoom& room = held.rooms[i];
        check(room.ybr >= model.rooms[i].ybr, "a room's bottom-right corner moved up");
        room.ybr = model.rooms[i].ybr;
    }
    const QSize panel = e.main->Panel->size();
    check(panel.width() >= panelBefore.width() && panel.height() >= panelBefore.height(), "the panel shrank");
    check(panel == QSize(widgetSize(model.panelWidth), widgetSize(model.panelHeight)),
          "the panel's size is not the running panel size");
    held.panelWidth = model.panelWidth;
    held.panelHeight = model.panelHeight;
    if (!(held == model)) {
        printFirstDifference(RoomDefsText(model), RoomDefsText(held));
        broken("the main window holds other values than the model");
    }
    checkReadsBack(collectRoomDefs(*e.main, *e.tool));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Qt takes its own options out of the arguments it is given: not libFuzzer's.
    static int argc = 1;
    static char name[] = "fuzz_script";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new TApplication(argc, argv);
    Editor& e = editor();
    e.main = new TfrmMainForm;
    e.tool = new TfrmToolbox(e.main);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    ModelEditor model;
    model.defs.offsetX = 100;
    model.defs.offsetY = -50;
    model.defs.panelWidth = 433;
    model.defs.panelHeight = 249;
    editor().reset(model.defs);

    // The second load of the same file finds the rooms of the first in the list.
    for (int load = 0; load < 2; ++load) {
        const std::optional<QString> failure = loadAndCheck(model, text);
        loadIntoWindowAndCompare(text, failure, model.defs);
    }
    return 0;
}
