// File > Save Room Defs and File > Load Room Defs: the script writer and reader applied
// to the main window's rooms and the toolbox's metaroom values.
#include "app/main.h"

#include "app/tool.h"
#include "rooms/room.h"
#include "script/scriptcommands.h"
#include "script/scriptwriter.h"
#include "script/textfile.h"

#include <QFileInfo>
#include <QHash>

RoomDefs collectRoomDefs(const TfrmMainForm& form, const TfrmToolbox& tool)
{
    RoomDefs defs;
    defs.offsetX = tool.GetOffsetX();
    defs.offsetY = tool.GetOffsetY();
    defs.metaRoomID = tool.MetaRoomID;
    defs.subRoomStartID = tool.SubRoomStartID;
    defs.metaroomMusic = tool.MetaroomMusic;
    defs.metaroomFilename = tool.MetaroomFilename;
    defs.panelWidth = form.Panel->width();
    defs.panelHeight = form.Panel->height();
    QHash<const TRoom*, int> positions;   // door targets by room, without a search per door
    positions.reserve(form.Rooms.size());
    for (int i = 0; i < form.Rooms.size(); ++i)
        positions.insert(form.Rooms[i], i);
    defs.rooms.reserve(form.Rooms.size());
    for (const TRoom* room : form.Rooms) {
        ScriptRoom r{room->xl(), room->xr(), room->ytl(), room->ytr(), room->ybl(), room->ybr(),
                     room->roomtype, room->music, {}};
        for (int i = 0; i < room->doorCount(); ++i) {
            const TDoor* door = room->DoorAt(i);
            r.doors.append(ScriptDoor{positions.value(door->target, -1), door->perm});
        }
        defs.rooms.append(r);
    }
    return defs;
}

ScriptStart scriptStart(const TfrmMainForm& form, const TfrmToolbox& tool)
{
    ScriptStart start;
    start.offsetX = tool.GetOffsetX();
    start.offsetY = tool.GetOffsetY();
    start.subRoomStartID = tool.SubRoomStartID;
    start.panelWidth = form.Panel->width();
    start.panelHeight = form.Panel->height();
    start.existingRooms = int(form.Rooms.size());
    return start;
}

namespace {

// A room of a script on Panel and at the end of Rooms. Setting the last corner adjusts,
// fits and selects the finished shape once, and the toolbox shows its type and music.
TRoom* makeRoom(TfrmMainForm& form, const ReadRoom& read)
{
    auto* room = new TRoom(form.Panel);
    room->move(0, 0);
    room->fixed = false;
    room->parentForm = &form;
    room->roomtype = read.roomtype;
    room->music = read.music;
    form.Rooms.append(room);
    const RoomCorners& c = read.corners;
    room->setXl(c.xl);
    room->setXr(c.xr);
    room->setYtl(c.ytl);
    room->setYtr(c.ytr);
    room->setYbl(c.ybl);
    room->fixed = true;
    room->setYbr(c.ybr);
    room->show();
    return room;
}

// Keeps a widget hidden while it lives and shows it again at the end, so that its children
// change without painting and the widget paints once, whole, when it is back.
class HiddenWhile {
public:
    explicit HiddenWhile(QWidget* widget)
        : widget(widget)
        , wasHidden(widget->isHidden())
    {
        widget->hide();
    }
    ~HiddenWhile()
    {
        if (!wasHidden)
            widget->show();
    }
    HiddenWhile(const HiddenWhile&) = delete;
    HiddenWhile& operator=(const HiddenWhile&) = delete;

private:
    QWidget* widget;
    bool wasHidden;
};

} // namespace

void TfrmMainForm::SaveRoomDefs(const QString& path)
{
    SaveRoomDefsFile(path, collectRoomDefs(*this, *frmToolbox));
}

void applyScript(TfrmMainForm& form, TfrmToolbox& tool, const ScriptContent& content)
{
    // A door waiting for its second room is not completed by the first room read.
    tool.DoorPending = false;
    {
        // Each room read is selected and shown in turn; Panel paints the outcome once at the end.
        const HiddenWhile hidden(form.Panel);
        const QList<TRoom*> existing = form.Rooms;
        QList<TRoom*> made;
        made.reserve(content.rooms.size());
        for (const ReadRoom& room : content.rooms)
            made.append(makeRoom(form, room));

        const auto roomOf = [&](const RoomRef& ref) { return ref.inScript ? made[ref.index] : existing[ref.index]; };
        for (const ReadDoor& door : content.doors) {
            TRoom* first = roomOf(door.first);
            TRoom* second = roomOf(door.second);
            first->SetDoor(second, door.perm);
            second->SetDoor(first, door.perm);
        }
        // The toolbox shows the last room again, now with its doors.
        if (!made.isEmpty())
            form.SelectRoom(made.last());

        form.Panel->resize(content.panelWidth, content.panelHeight);
    }

    if (content.numbering) {
        tool.MetaRoomID = content.numbering->metaRoomID;
        tool.SubRoomStartID = content.numbering->subRoomStartID;
    }
    if (content.metaroom) {
        tool.SetOffsetX(content.metaroom->offsetX);
        tool.SetOffsetY(content.metaroom->offsetY);
        tool.MetaroomFilename = content.metaroom->backgroundName;
    }
    if (content.metaroomMusic)
        tool.MetaroomMusic = *content.metaroomMusic;
    tool.ShowMetaroomValues();
}

void TfrmMainForm::LoadRoomDefs(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    if (name.isEmpty())
        name = path;
    QByteArray bytes;
    try {
        bytes = ReadTextFile(path);
    } catch (const TextFileError& error) {
        throw TextFileError(QStringLiteral("%1: %2").arg(name, error.message()));
    }
    try {
        LoadRoomDefsText(bytes);
    } catch (const ScriptError& error) {
        throw error.inFile(name);
    }
}

void TfrmMainForm::LoadRoomDefsText(const QByteArray& text)
{
    applyScript(*this, *frmToolbox, ReadScript(text, scriptStart(*this, *frmToolbox)));
}
