#include "core/script/scriptwriter.h"

#include "core/common/errors.h"
#include "core/script/calevels.h"
#include "core/script/gamenumbering.h"
#include "core/script/gametext.h"
#include "core/script/roompoint.h"
#include "core/script/int32wrap.h"
#include "core/script/scripttokens.h"
#include "core/script/textfile.h"

#include <algorithm>
#include <initializer_list>

namespace {

// Throws when the game refuses or overflows text as a quoted string.
// `what` gives the field's name, made only for the message.
template <typename What>
void checkTextField(const QString& text, What what)
{
    if (const QString fault = GameTextFault(text); !fault.isEmpty())
        throw PlsdError(QStringLiteral("%1 cannot be written to a room definition script: it holds %2. "
                                       "Nothing was saved.")
                            .arg(what(), fault));
}

// Throws for a number the reader converts that would be -2147483648: the reader, as every
// number field, does not take it.
template <typename What>
void checkReadable(std::initializer_list<std::int32_t> numbers, What what)
{
    if (std::find(numbers.begin(), numbers.end(), INT32_MIN) != numbers.end())
        throw PlsdError(QStringLiteral("%1 would be written as -2147483648, which a room definition script "
                                       "cannot hold. Nothing was saved.")
                            .arg(what()));
}

// The text fields as the user's messages name them.
QString metaroomFilenameField()
{
    return QStringLiteral("The metaroom file name");
}

QString metaroomMusicField()
{
    return QStringLiteral("The metaroom music");
}

QString roomMusicField(qsizetype position)
{
    return QStringLiteral("The music of room %1").arg(position);
}

void checkTextFields(const RoomDefs& defs)
{
    checkTextField(BackgroundName(defs.metaroomFilename), metaroomFilenameField);
    checkTextField(defs.metaroomMusic, metaroomMusicField);
    for (qsizetype i = 0; i < defs.rooms.size(); ++i)
        checkTextField(defs.rooms[i].music, [i] { return roomMusicField(i); });
}

// Halving truncates toward zero, as integer division does.
std::int32_t half(std::int32_t value)
{
    return value / 2;
}

class ScriptText {
public:
    void line(const char* fixed, std::initializer_list<std::int32_t> numbers)
    {
        start(fixed, numbers);
        end();
    }

    // A line that ends with a text field; field() names it in the message. A line the game
    // would stop reading at is refused.
    template <typename FieldName>
    void line(const char* fixed, std::initializer_list<std::int32_t> numbers, const QString& text, FieldName field)
    {
        const qsizetype lineStart = bytes.size();
        start(fixed, numbers);
        bytes += ' ';
        bytes += QuotedText(text.toLatin1());
        const qsizetype length = bytes.size() - lineStart;
        if (length > GameLineMaxLength)
            throw PlsdError(QStringLiteral("%1 is too long for a room definition script: its line would be %2 "
                                           "characters, and the game reads lines of at most %3. Nothing was saved.")
                                .arg(field())
                                .arg(length)
                                .arg(GameLineMaxLength));
        end();
    }

    QByteArray bytes;

private:
    void start(const char* fixed, std::initializer_list<std::int32_t> numbers)
    {
        bytes += fixed;
        bool first = true;
        for (const std::int32_t n : numbers) {
            if (!first)
                bytes += ' ';
            bytes += QByteArray::number(n);
            first = false;
        }
    }

    void end() { bytes += "\r\n"; }

public:
    // A line as it stands.
    void text(const QByteArray& line)
    {
        bytes += line;
        end();
    }
};

} // namespace

QString BackgroundName(const QString& metaroomFilename)
{
    const qsizetype folderEnd = std::max(metaroomFilename.lastIndexOf(u'/'), metaroomFilename.lastIndexOf(u'\\'));
    QString name = metaroomFilename.mid(folderEnd + 1);
    if (name.endsWith(QStringLiteral(".blk"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

namespace {

// One metaroom: base line, metaroom line, metaroom music, rooms, then its door lines by
// the numbers the game gives its rooms.
void writeMetaroom(ScriptText& out, const RoomDefs& defs, GameNumbering& roomNumbers)
{
    checkTextFields(defs);

    const std::int32_t dx = defs.offsetX;
    const std::int32_t dy = defs.offsetY;
    const std::initializer_list<std::int32_t> numbering = {defs.metaRoomID, defs.subRoomStartID};
    checkReadable(numbering, [] { return QStringLiteral("The metaroom ID or sub room start ID"); });
    out.line("brmi ", numbering);
    const std::initializer_list<std::int32_t> metaroom = {dx, dy, defs.panelWidth, defs.panelHeight};
    checkReadable(metaroom, [] { return QStringLiteral("The metaroom offset or size"); });
    out.line("setv va01 addm ", metaroom, BackgroundName(defs.metaroomFilename), metaroomFilenameField);
    const std::initializer_list<std::int32_t> metaroomMiddle = {wrappingAdd(half(defs.panelWidth), dx),
                                                                wrappingAdd(half(defs.panelHeight), dy)};
    checkReadable(metaroomMiddle, [] { return QStringLiteral("The middle of the metaroom"); });
    out.line("mmsc ", metaroomMiddle, defs.metaroomMusic, metaroomMusicField);

    QList<std::int32_t> numbers;
    numbers.reserve(defs.rooms.size());
    RoomPointIndex earlier;
    for (qsizetype i = 0; i < defs.rooms.size(); ++i) {
        const ScriptRoom& room = defs.rooms[i];
        const std::initializer_list<std::int32_t> corners = {
            wrappingAdd(room.xl, dx),  wrappingAdd(room.xr, dx),  wrappingAdd(room.ytl, dy),
            wrappingAdd(room.ytr, dy), wrappingAdd(room.ybl, dy), wrappingAdd(room.ybr, dy)};
        checkReadable(corners, [i] { return QStringLiteral("A corner of room %1 in game coordinates").arg(i); });
        out.line("setv va02 addr va01 ", corners);
        numbers.append(roomNumbers.next(defs.subRoomStartID));
        checkReadable({room.roomtype}, [i] { return QStringLiteral("The type of room %1").arg(i); });
        out.line("rtyp va02 ", {room.roomtype});
        // A point the game finds in the room; a room it finds nowhere keeps the middle
        // of its diagonal, and the check says what the game does with it.
        // A point no earlier room holds, as the game gives the music to the first room it
        // finds there; failing that, any point of the room.
        const RoomShape c = CornersOf(room);
        const QPoint diagonal(half(wrappingAdd(room.xl, room.xr)), half(wrappingAdd(room.ytl, room.ybr)));
        const auto takenEarlier = [&](QPoint p) { return earlier.find(p.x(), p.y()) >= 0; };
        const QPoint point = MusicPoint(c, takenEarlier).value_or(MusicPoint(c).value_or(diagonal));
        earlier.add(c);
        const std::initializer_list<std::int32_t> musicPoint = {wrappingAdd(point.x(), dx), wrappingAdd(point.y(), dy)};
        checkReadable(musicPoint, [i] { return QStringLiteral("The music point of room %1").arg(i); });
        out.line("rmsc ", musicPoint, room.music, [i] { return roomMusicField(i); });
        for (const CaLevel& level : room.levels)
            out.text("prop va02 " + QByteArray::number(level.index) + ' ' + CaLevelText(level.level));
    }

    // Each link is held by both of its rooms; it is written once, from the earlier one.
    for (qsizetype a = 0; a < defs.rooms.size(); ++a) {
        for (const ScriptDoor& door : defs.rooms[a].doors) {
            if (door.target <= a || door.target >= numbers.size())
                continue;
            const std::initializer_list<std::int32_t> doorNumbers = {numbers[a], numbers[door.target], door.perm};
            checkReadable(doorNumbers, [&] {
                return QStringLiteral("The door between rooms %1 and %2").arg(a).arg(door.target);
            });
            out.line("door ", doorNumbers);
        }
    }
}

} // namespace

QByteArray RoomDefsText(const RoomDefs& defs)
{
    return ScriptFileText(defs, {}, 0);
}

QByteArray ScriptFileText(const RoomDefs& open, const QList<RoomDefs>& others, int openIndex)
{
    ScriptText out;
    qsizetype roomCount = open.rooms.size();
    for (const RoomDefs& other : others)
        roomCount += other.rooms.size();
    out.bytes.reserve(128 + roomCount * 120);

    for (const QByteArray& line : open.mapLines)
        out.text(line);
    GameNumbering roomNumbers;
    const int count = int(others.size()) + 1;
    openIndex = std::clamp(openIndex, 0, count - 1);
    for (int k = 0, other = 0; k < count; ++k)
        writeMetaroom(out, k == openIndex ? open : others[other++], roomNumbers);
    for (const QByteArray& line : open.keptLines)
        out.text(line);
    return out.bytes;
}

void SaveRoomDefsFile(const QString& path, const RoomDefs& defs)
{
    WriteTextFile(path, RoomDefsText(defs));
}

void SaveScriptFile(const QString& path, const RoomDefs& open, const QList<RoomDefs>& others, int openIndex)
{
    WriteTextFile(path, ScriptFileText(open, others, openIndex));
}
