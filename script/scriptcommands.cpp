// File > Save Room Defs and File > Load Room Defs: the script writer and reader applied
// to the document.
#include "app/main.h"

#include "app/tool.h"
#include "rooms/room.h"
#include "script/scriptcommands.h"
#include "core/script/int32wrap.h"
#include "core/script/scriptreader.h"
#include "core/script/scripttokens.h"
#include "core/script/scriptwriter.h"
#include "core/script/textfile.h"
#include "core/common/errors.h"
#include "core/model/commands.h"
#include "core/model/snapshot.h"

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

namespace {

// Where the reader's commands go: each becomes a part of one undo step and is carried out
// at once, so later lines see the rooms and values of earlier ones. A room's type and
// music lines are taken into its record before it is added.
class DocumentSink : public ScriptSink {
public:
    DocumentSink(TMetaroomDocument& document, QUndoCommand& step)
        : document(document)
        , step(step)
    {
    }

    void addRoom(const RoomCorners& c) override
    {
        flush();
        // The corners as written; only the last one, ybr, keeps the minimum height.
        const RoomShape written{c.xl, c.xr, c.ytl, c.ytr, c.ybl, c.ybr};
        pending = RoomRecord{AdjustedShape(written, Corner::BottomRight, 5, 5), 0, QString(), {}};
    }

    void setRoomType(int roomtype) override
    {
        if (pending) {
            pending->roomtype = roomtype;
            return;
        }
        RoomRecord record = document.room(latest);
        record.roomtype = roomtype;
        apply(new ChangeRoomCommand(&document, latest, record, QString(), 0, &step));
    }

    void setRoomMusic(const QString& music) override
    {
        if (pending) {
            pending->music = music;
            return;
        }
        RoomRecord record = document.room(latest);
        record.music = music;
        apply(new ChangeRoomCommand(&document, latest, record, QString(), 0, &step));
    }

    void linkRooms(int a, int b, int perm) override
    {
        flush();
        const int start = document.metaroom().subRoomStartID;
        const RoomKey first = document.roomAt(wrappingSub(a, start));
        const RoomKey second = document.roomAt(wrappingSub(b, start));
        if (first == 0 || second == 0)
            throw ListIndexError();
        apply(new SetDoorCommand(&document, first, second, perm, QString(), &step));
    }

    void setMetaroom(int offsetX, int offsetY, const QString& backgroundName) override
    {
        MetaroomValues values = document.metaroom();
        values.offsetX = offsetX;
        values.offsetY = offsetY;
        values.filename = backgroundName;
        apply(new MetaroomCommand(&document, values, QString(), 0, &step));
    }

    void setMetaroomMusic(const QString& music) override
    {
        MetaroomValues values = document.metaroom();
        values.music = music;
        apply(new MetaroomCommand(&document, values, QString(), 0, &step));
    }

    void setRoomNumbering(int metaRoomID, int subRoomStartID) override
    {
        MetaroomValues values = document.metaroom();
        values.metaRoomID = metaRoomID;
        values.subRoomStartID = subRoomStartID;
        apply(new MetaroomCommand(&document, values, QString(), 0, &step));
    }

    // Adds the room read last, if it is not in yet.
    void flush()
    {
        if (!pending)
            return;
        auto* add = new AddRoomCommand(&document, *pending, -1, false, &step);
        pending.reset();
        apply(add);
        latest = add->key();
    }

    RoomKey latestRoom() const { return latest; }

private:
    static void apply(QUndoCommand* part) { part->redo(); }

    TMetaroomDocument& document;
    QUndoCommand& step;
    std::optional<RoomRecord> pending;
    RoomKey latest = 0;
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
    auto step = std::make_unique<AppliedCommand>(QStringLiteral("Load Room Defs"));
    DocumentSink sink(*Document, *step);
    // Panel paints the outcome once at the end.
    const HiddenWhile hidden(Panel);
    RoomDefsReader reader(sink, frmToolbox->GetOffsetX(), frmToolbox->GetOffsetY(), Document->surfaceSize().width(),
                          Document->surfaceSize().height());
    try {
        reader.read(ScriptLines(text));
        sink.flush();
        const QSize grown(reader.panelWidth(), reader.panelHeight());
        if (grown != Document->surfaceSize())
            (new SurfaceSizeCommand(Document, grown, step.get()))->redo();
    } catch (...) {
        // All or nothing: what the lines before changed is taken back, and no step is kept.
        step->undo();
        throw;
    }
    if (step->childCount() > 0)
        Push(step.release());
    // The last room read is the selected one.
    if (sink.latestRoom() != 0)
        Document->select(sink.latestRoom());
    frmToolbox->ShowMetaroomValues();
}
