#include "core/rules/findinglines.h"

#include "core/script/gametext.h"
#include "core/script/scriptwriter.h"

#include <QHash>

namespace {

quint64 pairKey(int a, int b)
{
    if (a > b)
        std::swap(a, b);
    return (quint64(quint32(a)) << 32) | quint32(b);
}

struct DoorLines {
    int first = 0;
    int last = 0;
};

QHash<quint64, DoorLines> doorLinesOf(const ScriptContent& content)
{
    QHash<quint64, DoorLines> lines;
    lines.reserve(content.doors.size());
    for (const ReadDoor& door : content.doors) {
        if (!door.first.inScript || !door.second.inScript)
            continue;
        DoorLines& found = lines[pairKey(door.first.index, door.second.index)];
        if (found.first == 0)
            found.first = door.line;
        found.last = door.line;
    }
    return lines;
}

int orOne(int line)
{
    return line > 0 ? line : 1;
}

} // namespace

QList<int> FindingLines(const QList<Finding>& findings, const ScriptContent& content)
{
    const QHash<quint64, DoorLines> doorLines = doorLinesOf(content);
    const int numberingLine = content.numbering ? content.numbering->line : 0;
    const int metaroomLine = content.metaroom ? content.metaroom->line : 0;
    // The rules tell the background name's text fault before the metaroom music's.
    bool backgroundFaultPending =
        content.metaroom && !GameTextFault(BackgroundName(content.metaroom->backgroundName)).isEmpty();

    QList<int> lines;
    lines.reserve(findings.size());
    for (const Finding& finding : findings) {
        int line = 0;
        const bool doorRule = finding.rule == GameRule::DoorWithoutEdge || finding.rule == GameRule::DoorPermeability;
        if (doorRule && finding.rooms.size() == 2) {
            const DoorLines found = doorLines.value(pairKey(finding.rooms[0], finding.rooms[1]));
            line = finding.rule == GameRule::DoorPermeability ? found.last : found.first;
        } else if (!finding.rooms.isEmpty()) {
            const int position = finding.rooms.first();
            if (position >= 0 && position < content.rooms.size()) {
                const ReadRoom& room = content.rooms[position];
                line = room.line;
                // A type at its rtyp line, music at its rmsc line; the shape at the addr line.
                if (finding.rule == GameRule::RoomType && room.typeLine > 0)
                    line = room.typeLine;
                else if (finding.rule == GameRule::Text && room.musicLine > 0)
                    line = room.musicLine;
            }
        } else if (finding.rule == GameRule::MetaroomNumber || finding.rule == GameRule::RoomBase) {
            line = numberingLine;
        } else if (finding.rule == GameRule::Text && backgroundFaultPending) {
            line = metaroomLine;
            backgroundFaultPending = false;
        } else if (finding.rule == GameRule::Text) {
            line = content.metaroomMusicLine;
        }
        lines.append(orOne(line));
    }
    return lines;
}

QList<LineFinding> FindingsOfScriptLines(const ScriptContent& content)
{
    QList<LineFinding> found;
    for (const int line : content.musicWithoutRoomLines)
        found.append({line, Severity::Error,
                      QStringLiteral("No room holds the point of this rmsc line: the game stops the script here, and "
                                     "every later line is lost.")});
    return found;
}
