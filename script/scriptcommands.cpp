// File > Save Room Defs and File > Load Room Defs: the script writer and reader applied
// to the main window's rooms and the toolbox's metaroom values.
#include "app/main.h"

#include "app/tool.h"
#include "rooms/room.h"
#include "script/scriptcommands.h"
#include "core/script/int32wrap.h"
#include "core/script/scriptreader.h"
#include "core/script/scripttokens.h"
#include "core/script/scriptwriter.h"
#include "core/script/textfile.h"

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

namespace {

// Where the reader's commands go: new rooms on Panel and in Rooms, doors between rooms
// of Rooms, metaroom values into the toolbox.
class MainWindowSink : public ScriptSink {
public:
    MainWindowSink(TfrmMainForm& form, TfrmToolbox& tool)
        : form(form)
        , tool(tool)
    {
    }

    void addRoom(const RoomCorners& c) override
    {
        auto* room = new TRoom(form.Panel);
        room->move(0, 0);
        room->fixed = false;
        room->parentForm = &form;
        form.Rooms.append(room);
        try {
            room->setXl(c.xl);
            room->setXr(c.xr);
            room->setYtl(c.ytl);
            room->setYtr(c.ytr);
            room->setYbl(c.ybl);
            room->fixed = true;
            room->setYbr(c.ybr);   // adjusts, fits and selects the finished shape once
        } catch (...) {
            form.Rooms.removeOne(room);
            if (form.SelectedRoom == room)
                form.SelectedRoom = nullptr;
            delete room;
            throw;
        }
        room->show();
        latest = room;
    }

    void setRoomType(int roomtype) override { latest->roomtype = roomtype; }
    void setRoomMusic(const QString& music) override { latest->music = music; }

    void linkRooms(int a, int b, int perm) override
    {
        TRoom* first = form.RoomByIndex(wrappingSub(a, tool.SubRoomStartID));
        TRoom* second = form.RoomByIndex(wrappingSub(b, tool.SubRoomStartID));
        first->SetDoor(second, perm);
        second->SetDoor(first, perm);
    }

    void setMetaroom(int offsetX, int offsetY, const QString& backgroundName) override
    {
        tool.SetOffsetX(offsetX);
        tool.SetOffsetY(offsetY);
        tool.MetaroomFilename = backgroundName;
    }

    void setMetaroomMusic(const QString& music) override { tool.MetaroomMusic = music; }

    void setRoomNumbering(int metaRoomID, int subRoomStartID) override
    {
        tool.MetaRoomID = metaRoomID;
        tool.SubRoomStartID = subRoomStartID;
    }

private:
    TfrmMainForm& form;
    TfrmToolbox& tool;
    TRoom* latest = nullptr;
};

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
    RoomFileWritten(path);
}

void TfrmMainForm::LoadRoomDefs(const QString& path)
{
    const bool intoEmptyMap = Rooms.isEmpty();
    LoadRoomDefsText(ReadTextFile(path));
    RoomFileRead(path, intoEmptyMap);
}

void TfrmMainForm::LoadRoomDefsText(const QByteArray& text)
{
    // A door waiting for its second room is not completed by the first room read.
    frmToolbox->DoorPending = false;
    MainWindowSink sink(*this, *frmToolbox);
    // Each room read is selected and shown in turn; Panel paints the outcome once at the end.
    const HiddenWhile hidden(Panel);
    RoomDefsReader reader(sink, frmToolbox->GetOffsetX(), frmToolbox->GetOffsetY(), Panel->width(),
                          Panel->height());
    reader.read(ScriptLines(text));
    Panel->resize(reader.panelWidth(), reader.panelHeight());
    frmToolbox->ShowMetaroomValues();
}
