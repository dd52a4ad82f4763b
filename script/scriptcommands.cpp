// File > Save Room Defs and File > Load Room Defs: the script writer and reader applied
// to the document.
#include "app/main.h"

#include "app/tool.h"
#include "view/room.h"
#include "script/scriptcommands.h"
#include "core/script/scriptreader.h"
#include "core/script/scriptwriter.h"
#include "core/script/textfile.h"
#include "core/common/errors.h"
#include "core/model/commands.h"
#include "core/model/scriptload.h"
#include "core/model/snapshot.h"

#include <QFileInfo>
#include <QUndoStack>
#include <memory>
#include <optional>

RoomDefs collectRoomDefs(const TfrmMainForm& form, const TfrmToolbox& tool)
{
    RoomDefs defs = ToRoomDefs(*form.Document);
    // The offsets as their edits hold them: a text that is no number stops the writer.
    defs.offsetX = tool.GetOffsetX();
    defs.offsetY = tool.GetOffsetY();
    return defs;
}

ScriptStart scriptStart(const TfrmMainForm& form, const TfrmToolbox& tool)
{
    ScriptStart start;
    start.offsetX = tool.GetOffsetX();
    start.offsetY = tool.GetOffsetY();
    start.subRoomStartID = form.Document->metaroom().subRoomStartID;
    start.panelWidth = form.Document->surfaceSize().width();
    start.panelHeight = form.Document->surfaceSize().height();
    start.existingRooms = form.Document->roomCount();
    return start;
}

namespace {

// Carries out a part of the load's step at once, so later parts see what earlier ones made.
template <typename Part>
Part* apply(Part* part)
{
    part->redo();
    return part;
}

// The parts of the load's step, each carried out as it is made.
void addParts(TMetaroomDocument& document, const ScriptContent& content, QUndoCommand& step, RoomKey& lastRoom)
{
    const QList<RoomKey> existing = document.rooms();
    QList<RoomKey> made;
    made.reserve(content.rooms.size());
    for (const ReadRoom& room : content.rooms)
        made.append(apply(new AddRoomCommand(&document, RoomFromScript(room), -1, false, &step))->key());
    const auto keyOf = [&](const RoomRef& ref) { return ref.inScript ? made[ref.index] : existing[ref.index]; };
    for (const ReadDoor& door : content.doors)
        apply(new SetDoorCommand(&document, keyOf(door.first), keyOf(door.second), door.perm, QString(), &step));

    const MetaroomValues values = MetaroomAfterLoad(document.metaroom(), content);
    if (values != document.metaroom())
        apply(new MetaroomCommand(&document, values, QString(), 0, &step));

    const QSize size(content.panelWidth, content.panelHeight);
    if (size != document.surfaceSize())
        apply(new SurfaceSizeCommand(&document, size, &step));
    lastRoom = made.isEmpty() ? 0 : made.last();
}

// The load's step, its parts carried out. The script was read whole before: nothing here
// reads the file, and the map is only changed through the step's parts.
std::unique_ptr<QUndoCommand> loadStep(TMetaroomDocument& document, const ScriptContent& content, RoomKey& lastRoom)
{
    auto step = std::make_unique<AppliedCommand>(QStringLiteral("Load Room Defs"));
    try {
        addParts(document, content, *step, lastRoom);
    } catch (...) {
        step->undo();   // all or nothing
        throw;
    }
    return step;
}

} // namespace

void TfrmMainForm::SaveRoomDefs(const QString& path)
{
    SaveRoomDefsFile(path, collectRoomDefs(*this, *frmToolbox));
    RoomFileWritten(path);
}

void applyScript(TfrmMainForm& form, TfrmToolbox& tool, const ScriptContent& content)
{
    // A door waiting for its second room is not completed by the first room read.
    tool.DoorPending = false;
    RoomKey lastRoom = 0;
    std::unique_ptr<QUndoCommand> step;
    step = loadStep(*form.Document, content, lastRoom);
    if (step->childCount() > 0)
        form.UndoStack->push(step.release());
    if (lastRoom != 0)
        form.Document->select(lastRoom);
    tool.ShowMetaroomValues();
}

void TfrmMainForm::LoadRoomDefs(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    if (name.isEmpty())
        name = path;
    const QByteArray bytes = ReadTextFile(path);   // its errors name the file
    const bool intoEmptyMap = Rooms.isEmpty();
    try {
        LoadRoomDefsText(bytes);
    } catch (const ScriptError& error) {
        throw error.inFile(name);
    }
    RoomFileRead(path, intoEmptyMap);
}

void TfrmMainForm::LoadRoomDefsText(const QByteArray& text)
{
    applyScript(*this, *frmToolbox, ReadScript(text, scriptStart(*this, *frmToolbox)));
}
