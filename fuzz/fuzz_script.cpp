// libFuzzer target for the room definition script reader. The bytes go through
// ReadScript, whose content is checked and applied to a small model of the editor, and
// through LoadRoomDefsText into the real main window and toolbox (offscreen). A load
// either fails with a message naming a line and leaves the editor exactly as it was, or
// gives the editor what the model holds. What the editor then holds is written and read
// back to the same script. Any other exception, or a failed check, is a finding.

#include "app/application.h"
#include "core/common/errors.h"
#include "app/main.h"
#include "app/toolbox.h"
#include "view/room.h"
#include "core/script/gametext.h"
#include "core/script/int32wrap.h"
#include "core/script/roomdefs.h"
#include "app/roomscriptfiles.h"
#include "core/script/scriptreader.h"
#include "core/script/scripttokens.h"
#include "core/script/scriptwriter.h"
#include "tests/scriptmodel.h"
#include "view/mapscene.h"

#include <QLineEdit>
#include <QUndoStack>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// What a successful read says holds together: rooms and doors in line order, door
// references to rooms that exist, texts the game takes, a panel no smaller than the
// start's or than any room read.
void checkContent(const ScriptContent& content, const ScriptStart& start, int lineCount)
{
    check(content.panelWidth >= start.panelWidth && content.panelHeight >= start.panelHeight,
          "the panel size shrank");
    int line = 0;
    for (const ReadRoom& room : content.rooms) {
        check(room.line >= line && room.line >= 1 && room.line <= lineCount, "rooms out of line order");
        line = room.line;
        check(content.panelWidth >= room.corners.xr, "the panel is narrower than a room read");
        check(content.panelHeight >= std::max(room.corners.ybl, room.corners.ybr), "the panel is lower than a room read");
        check(GameTextFault(room.music).isEmpty(), "room music the game refuses");
    }
    const auto exists = [&](const RoomRef& ref) {
        return ref.index >= 0 && ref.index < (ref.inScript ? content.rooms.size() : start.existingRooms);
    };
    line = 0;
    for (const ReadDoor& door : content.doors) {
        check(door.line >= line && door.line >= 1 && door.line <= lineCount, "doors out of line order");
        line = door.line;
        check(exists(door.first) && exists(door.second), "a door to a room that is not there");
        // A door reaches only the script's rooms made before its line.
        for (const RoomRef& ref : {door.first, door.second})
            check(!ref.inScript || content.rooms[ref.index].line <= door.line, "a door to a room made after it");
    }
    if (content.metaroom)
        check(GameTextFault(content.metaroom->backgroundName).isEmpty(), "a background name the game refuses");
    if (content.metaroomMusic)
        check(GameTextFault(*content.metaroomMusic).isEmpty(), "metaroom music the game refuses");
}

// What the editor holds, written as a script and read into an empty editor, is written
// again as the same script, but for what a script leaves out on purpose: the background
// name loses its folder and ending, doors of a room to itself are not written, and the
// panel grows to rooms beyond it. A text field the writer refuses ends the check.
void checkReadsBack(const RoomDefs& held)
{
    QByteArray text;
    try {
        text = RoomDefsText(held);
    } catch (const PlsdError&) {
        return;
    }
    RoomDefs expected = held;
    expected.metaroomFilename = BackgroundName(held.metaroomFilename);
    for (qsizetype i = 0; i < expected.rooms.size(); ++i) {
        const ScriptRoom& room = expected.rooms[i];
        expected.panelWidth = std::max(expected.panelWidth, int(room.xr));
        expected.panelHeight = std::max({expected.panelHeight, int(room.ybl), int(room.ybr)});
        expected.rooms[i].doors.removeIf([i](const ScriptDoor& d) { return d.target == i; });
    }

    RoomDefs back;
    try {
        back = scriptmodel::applied(RoomDefs(), ReadScript(text, ScriptStart()));
    } catch (const PlsdError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        broken("a written script fails to read");
    }
    const QByteArray again = RoomDefsText(back);
    if (again != RoomDefsText(expected)) {
        printFirstDifference(RoomDefsText(expected), again);
        broken("a written script reads back different");
    }
}

// The real main window and toolbox, made once; the rooms go after every input.
struct Editor {
    TfrmMainForm* main = nullptr;
    TfrmToolbox* tool = nullptr;

    void reset(const RoomDefs& start)
    {
        tool->DoorPending = false;
        while (main->Document->roomCount() > 0)
            main->Document->removeRoom(main->Document->roomAt(main->Document->roomCount() - 1));
        tool->SetOffsetX(start.offsetX);
        tool->SetOffsetY(start.offsetY);
        tool->MetaRoomID = start.metaRoomID;
        tool->SubRoomStartID = start.subRoomStartID;
        tool->MetaroomMusic = start.metaroomMusic;
        tool->MetaroomFilename = start.metaroomFilename;
        main->Document->setSurfaceSize(QSize(start.panelWidth, start.panelHeight));
        MetaroomValues values = main->Document->metaroom();
        values.mapLines = start.mapLines;
        values.keptLines = start.keptLines;
        main->Document->setMetaroom(values);
        main->UndoStack->clear();
    }
};

Editor& editor()
{
    static Editor e;
    return e;
}

// The panel's size as Qt keeps it: no larger than a widget can be.
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

// One read of text into the model: the content, checked and applied, or the message of
// the failure, which names a line of the text and leaves the model as it was.
std::optional<QString> readIntoModel(RoomDefs& model, const QByteArray& text)
{
    const ScriptStart start = scriptmodel::startOf(model);
    const int lineCount = int(ScriptLines(text).size());
    try {
        const ScriptContent content = ReadScript(text, start);
        checkContent(content, start, lineCount);
        model = scriptmodel::applied(model, content);
        checkDoorsPaired(model);
        return std::nullopt;
    } catch (const ScriptError& error) {
        check(error.line() >= 1 && error.line() <= lineCount, "a failure names a line the script does not have");
        check(error.message().startsWith(QStringLiteral("line %1: ").arg(error.line())), "a message without its line");
        return error.message();
    }
}

// All of the editor that a load may change.
struct WindowState {
    RoomDefs defs;
    QSize panel;
    qsizetype selected = -1;
    qsizetype panelChildren = 0;
    QStringList fields;

    bool operator==(const WindowState&) const = default;
};

WindowState windowState()
{
    const Editor& e = editor();
    WindowState s;
    s.defs = collectRoomDefs(*e.main);
    s.panel = e.main->Panel->size();
    s.selected = e.main->Rooms.indexOf(e.main->SelectedRoom);
    s.panelChildren = e.main->Panel->items().size();
    for (const QLineEdit* edit : e.tool->findChildren<QLineEdit*>())
        s.fields.append(edit->text());
    return s;
}

// The real editor holds what the model holds. Only the bottom-right corner may differ:
// the room control keeps its least height, which moves it down.
void compareWithModel(const RoomDefs& model)
{
    const Editor& e = editor();
    RoomDefs held = collectRoomDefs(*e.main);
    checkDoorsPaired(held);
    check(held.rooms.size() == model.rooms.size(), "the main window holds other rooms than the model");
    // Rooms load exactly as written.
    for (qsizetype i = 0; i < held.rooms.size(); ++i)
        check(held.rooms[i].ybr == model.rooms[i].ybr, "a room's bottom-right corner changed in the load");
    check(e.main->Panel->size() == QSize(model.panelWidth, model.panelHeight),
          "the panel's size is not the size read");
    held.panelWidth = model.panelWidth;
    held.panelHeight = model.panelHeight;
    if (!(held == model)) {
        printFirstDifference(RoomDefsText(model), RoomDefsText(held));
        broken("the main window holds other values than the model");
    }
    if (!model.rooms.isEmpty())
        check(e.main->SelectedRoom == e.main->Rooms.last(), "the last room read is not the selected one");
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
    RoomDefs model;
    model.offsetX = 100;
    model.offsetY = -50;
    model.panelWidth = 433;
    model.panelHeight = 249;
    editor().reset(model);

    // The second load of the same file finds the rooms of the first in the editor.
    for (int load = 0; load < 2; ++load) {
        const WindowState before = windowState();
        const std::optional<QString> failure = readIntoModel(model, text);
        std::optional<QString> windowFailure;
        try {
            editor().main->LoadRoomDefsText(text);
        } catch (const PlsdError& error) {
            windowFailure = error.message();
        }
        check(windowFailure == failure, "the main window's load ended otherwise than the model's");
        if (failure)
            check(windowState() == before, "a failed load changed the editor");
        else
            compareWithModel(model);
        checkReadsBack(collectRoomDefs(*editor().main));
    }
    return 0;
}
