#include "tool/scriptinfo.h"

#include "core/script/int32wrap.h"
#include "core/script/scriptreader.h"
#include "tool/mapfiles.h"

#include <QStringList>

#include <optional>

namespace {

QString quoted(const std::optional<QString>& text)
{
    return text ? QLatin1Char('"') + *text + QLatin1Char('"') : QStringLiteral("not given");
}

QString roomLine(int number, const ReadRoom& room)
{
    const RoomShape& c = room.corners;
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

namespace {

QString describeMetaroom(const ScriptContent& content)
{
    const int first = content.numbering ? content.numbering->subRoomStartID : 0;
    QString out;
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
                   .arg(content.rooms.first().number)
                   .arg(content.rooms.last().number);
    out += QStringLiteral("  doors: %1\n").arg(content.doors.size());
    for (const ReadRoom& room : content.rooms)
        out += roomLine(room.number, room);
    for (const ReadDoor& door : content.doors)
        out += QStringLiteral("  door %1 %2: permeability %3\n")
                   .arg(content.rooms[door.first.index].number)
                   .arg(content.rooms[door.second.index].number)
                   .arg(door.perm);
    return out;
}

QString describeKept(const ScriptContent& content)
{
    QString out;
    if (!content.mapLines.isEmpty() || !content.kept.isEmpty())
        out += QStringLiteral("  lines kept as they are: %1\n").arg(content.mapLines.size() + content.kept.size());
    for (const QList<KeptLine>* lines : {&content.mapLines, &content.kept}) {
        for (const KeptLine& line : *lines)
            out += QStringLiteral("  line %1: %2\n")
                       .arg(line.line)
                       .arg(QString::fromLatin1(line.text).replace(QStringLiteral("\r\n"), QStringLiteral(" / ")));
    }
    return out;
}

} // namespace

QString describeScript(const QString& path, const QByteArray& text)
{
    // Read as the editor loads it into an empty map with no offsets.
    const ScriptContent content = ReadScript(text, ScriptStart{});
    QString out = path + QStringLiteral(": room script\n");
    if (content.metarooms.size() <= 1)
        return out + describeMetaroom(content) + describeKept(content);
    out += QStringLiteral("  metarooms: %1\n").arg(content.metarooms.size());
    for (int k = 0; k < content.metarooms.size(); ++k) {
        ScriptStart start;
        start.metaroom = k;
        out += QStringLiteral("  metaroom %1 of %2, added at line %3:\n")
                   .arg(k + 1)
                   .arg(content.metarooms.size())
                   .arg(content.metarooms[k].line);
        out += describeMetaroom(k == 0 ? content : ReadScript(text, start));
    }
    return out + describeKept(content);
}

int MetaroomIndexOfNumber(const QList<MetaroomSummary>& metarooms, std::optional<int> number)
{
    if (!number)
        return 0;
    for (int k = 0; k < metarooms.size(); ++k) {
        if (metarooms[k].number == *number)
            return k;
    }
    QStringList numbers;
    for (const MetaroomSummary& m : metarooms)
        numbers << QString::number(m.number);
    throw FormatError(QStringLiteral("the script has no metaroom numbered %1 (it has %2)")
                          .arg(*number)
                          .arg(numbers.isEmpty() ? QStringLiteral("none") : numbers.join(QStringLiteral(", "))));
}

ScriptContent readScriptMetaroom(const QString& path, std::optional<int> number)
{
    ScriptContent content = mapfiles::readScriptFile(path);
    const int index = MetaroomIndexOfNumber(content.metarooms, number);
    return index == 0 ? content : mapfiles::readScriptFile(path, index);
}
