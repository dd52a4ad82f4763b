#include "tool/scriptinfo.h"

#include "core/common/errors.h"
#include "core/script/int32wrap.h"
#include "core/script/scriptreader.h"
#include "core/script/scripttokens.h"

#include <QList>
#include <optional>

namespace {

struct Room {
    RoomCorners corners;
    int roomtype = 0;
    std::optional<QString> music;
};

struct Door {
    int a = 0;
    int b = 0;
    int perm = 0;
};

// Keeps what the reader hands over, as the editor's load would take it, without windows.
class SummarySink : public ScriptSink {
public:
    std::optional<int> metaRoomID;
    int subRoomStartID = 0;   // the editor's until a script sets it
    bool numberingGiven = false;
    std::optional<int> offsetX, offsetY;
    std::optional<QString> background;
    std::optional<QString> metaroomMusic;
    QList<Room> rooms;
    QList<Door> doors;

    void addRoom(const RoomCorners& corners) override { rooms.append(Room{corners, 0, {}}); }
    void setRoomType(int roomtype) override { rooms.last().roomtype = roomtype; }
    void setRoomMusic(const QString& music) override { rooms.last().music = music; }
    void linkRooms(int a, int b, int perm) override
    {
        if (!isRoom(a) || !isRoom(b))
            throw ListIndexError();
        doors.append(Door{a, b, perm});
    }
    void setMetaroom(int x, int y, const QString& name) override
    {
        offsetX = x;
        offsetY = y;
        background = name;
    }
    void setMetaroomMusic(const QString& music) override { metaroomMusic = music; }
    void setRoomNumbering(int metaroom, int firstRoom) override
    {
        metaRoomID = metaroom;
        subRoomStartID = firstRoom;
        numberingGiven = true;
    }

private:
    bool isRoom(int number) const
    {
        const int position = wrappingSub(number, subRoomStartID);
        return position >= 0 && position < rooms.size();
    }
};

QString quoted(const std::optional<QString>& text)
{
    return text ? QLatin1Char('"') + *text + QLatin1Char('"') : QStringLiteral("not given");
}

QString number(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QStringLiteral("not given");
}

QString roomLine(int number, const Room& room)
{
    const RoomCorners& c = room.corners;
    QString line = QStringLiteral("  room %1: xl %2 xr %3 ytl %4 ytr %5 ybl %6 ybr %7, type %8")
                       .arg(number)
                       .arg(c.xl)
                       .arg(c.xr)
                       .arg(c.ytl)
                       .arg(c.ytr)
                       .arg(c.ybl)
                       .arg(c.ybr)
                       .arg(room.roomtype);
    if (room.music)
        line += QStringLiteral(", music ") + quoted(room.music);
    return line + QLatin1Char('\n');
}

} // namespace

QString describeScript(const QString& path, const QByteArray& text)
{
    SummarySink sink;
    RoomDefsReader reader(sink, 0, 0, 0, 0);
    reader.read(ScriptLines(text));

    const int first = sink.subRoomStartID;
    QString out = path + QStringLiteral(": room script\n");
    out += QStringLiteral("  metaroom number: %1\n").arg(number(sink.metaRoomID));
    out += QStringLiteral("  first room number: %1\n").arg(sink.numberingGiven ? QString::number(first)
                                                                               : QStringLiteral("not given (0)"));
    out += QStringLiteral("  metaroom offsets: %1 %2\n").arg(number(sink.offsetX), number(sink.offsetY));
    out += QStringLiteral("  background: %1\n").arg(quoted(sink.background));
    out += QStringLiteral("  metaroom music: %1\n").arg(quoted(sink.metaroomMusic));
    if (sink.rooms.isEmpty())
        out += QStringLiteral("  rooms: 0\n");
    else
        out += QStringLiteral("  rooms: %1, numbered %2 to %3 (corners in picture pixels: the script's less the "
                              "offsets)\n")
                   .arg(sink.rooms.size())
                   .arg(first)
                   .arg(wrappingAdd(first, int(sink.rooms.size()) - 1));
    out += QStringLiteral("  doors: %1\n").arg(sink.doors.size());
    for (int i = 0; i < sink.rooms.size(); ++i)
        out += roomLine(wrappingAdd(first, i), sink.rooms[i]);
    for (const Door& door : sink.doors)
        out += QStringLiteral("  door %1 %2: permeability %3\n").arg(door.a).arg(door.b).arg(door.perm);
    return out;
}
