#include "tool/scriptinfo.h"

#include "core/script/int32wrap.h"
#include "core/script/scriptreader.h"

#include <optional>

namespace {

QString quoted(const std::optional<QString>& text)
{
    return text ? QLatin1Char('"') + *text + QLatin1Char('"') : QStringLiteral("not given");
}

QString roomLine(int number, const ReadRoom& room)
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
    if (!room.music.isEmpty())
        line += QStringLiteral(", music ") + quoted(room.music);
    return line + QLatin1Char('\n');
}

} // namespace

QString describeScript(const QString& path, const QByteArray& text)
{
    // Read as the editor loads it into an empty map with no offsets.
    const ScriptContent content = ReadScript(text, ScriptStart{});
    const int first = content.numbering ? content.numbering->subRoomStartID : 0;
    const auto roomNumber = [&](const RoomRef& ref) { return wrappingAdd(first, ref.index); };
    QString out = path + QStringLiteral(": room script\n");
    out += QStringLiteral("  metaroom number: %1\n")
               .arg(content.numbering ? QString::number(content.numbering->metaRoomID) : QStringLiteral("not given"));
    out += QStringLiteral("  first room number: %1\n").arg(content.numbering ? QString::number(first)
                                                                               : QStringLiteral("not given (0)"));
    if (content.metaroom)
        out += QStringLiteral("  metaroom offsets: %1 %2\n").arg(content.metaroom->offsetX).arg(content.metaroom->offsetY);
    else
        out += QStringLiteral("  metaroom offsets: not given not given\n");
    out += QStringLiteral("  background: %1\n")
               .arg(quoted(content.metaroom ? std::optional<QString>(content.metaroom->backgroundName) : std::nullopt));
    out += QStringLiteral("  metaroom music: %1\n").arg(quoted(content.metaroomMusic));
    if (content.rooms.isEmpty())
        out += QStringLiteral("  rooms: 0\n");
    else
        out += QStringLiteral("  rooms: %1, numbered %2 to %3 (corners in picture pixels: the script's less the "
                              "offsets)\n")
                   .arg(content.rooms.size())
                   .arg(first)
                   .arg(wrappingAdd(first, int(content.rooms.size()) - 1));
    out += QStringLiteral("  doors: %1\n").arg(content.doors.size());
    for (int i = 0; i < content.rooms.size(); ++i)
        out += roomLine(wrappingAdd(first, i), content.rooms[i]);
    for (const ReadDoor& door : content.doors)
        out += QStringLiteral("  door %1 %2: permeability %3\n")
                   .arg(roomNumber(door.first))
                   .arg(roomNumber(door.second))
                   .arg(door.perm);
    return out;
}
