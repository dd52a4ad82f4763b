#include "core/script/scriptwriter.h"

#include "core/common/errors.h"
#include "core/script/gametext.h"
#include "core/script/int32wrap.h"
#include "core/script/scripttokens.h"
#include "core/script/textfile.h"

#include <algorithm>
#include <initializer_list>

namespace {

// Throws when the game refuses or overflows text as a quoted string.
void checkTextField(const QString& text, const QString& what)
{
    if (const QString fault = GameTextFault(text); !fault.isEmpty())
        throw PlsdError(QStringLiteral("%1 cannot be written to a room definition script: it holds %2. "
                                       "Nothing was saved.")
                            .arg(what, fault));
}

// Throws for a number the reader converts that would be -2147483648: the reader, as every
// number field, does not take it.
void checkReadable(std::initializer_list<std::int32_t> numbers, const QString& what)
{
    if (std::find(numbers.begin(), numbers.end(), INT32_MIN) != numbers.end())
        throw PlsdError(QStringLiteral("%1 would be written as -2147483648, which a room definition script "
                                       "cannot hold. Nothing was saved.")
                            .arg(what));
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
    checkTextField(BackgroundName(defs.metaroomFilename), metaroomFilenameField());
    checkTextField(defs.metaroomMusic, metaroomMusicField());
    for (qsizetype i = 0; i < defs.rooms.size(); ++i)
        checkTextField(defs.rooms[i].music, roomMusicField(i));
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

QByteArray RoomDefsText(const RoomDefs& defs)
{
    checkTextFields(defs);

    const std::int32_t dx = defs.offsetX;
    const std::int32_t dy = defs.offsetY;
    ScriptText out;
    out.bytes.reserve(128 + defs.rooms.size() * 120);

    const std::initializer_list<std::int32_t> numbering = {defs.metaRoomID, defs.subRoomStartID};
    checkReadable(numbering, QStringLiteral("The metaroom ID or sub room start ID"));
    out.line("brmi ", numbering);
    const std::initializer_list<std::int32_t> metaroom = {dx, dy, defs.panelWidth, defs.panelHeight};
    checkReadable(metaroom, QStringLiteral("The metaroom offset or size"));
    out.line("setv va01 addm ", metaroom, BackgroundName(defs.metaroomFilename), metaroomFilenameField);
    out.line("mmsc ", {wrappingAdd(half(defs.panelWidth), dx), wrappingAdd(half(defs.panelHeight), dy)},
             defs.metaroomMusic, metaroomMusicField);

    for (qsizetype i = 0; i < defs.rooms.size(); ++i) {
        const ScriptRoom& room = defs.rooms[i];
        const std::initializer_list<std::int32_t> corners = {
            wrappingAdd(room.xl, dx),  wrappingAdd(room.xr, dx),  wrappingAdd(room.ytl, dy),
            wrappingAdd(room.ytr, dy), wrappingAdd(room.ybl, dy), wrappingAdd(room.ybr, dy)};
        checkReadable(corners, QStringLiteral("A corner of room %1 in game coordinates").arg(i));
        out.line("setv va02 addr va01 ", corners);
        checkReadable({room.roomtype}, QStringLiteral("The type of room %1").arg(i));
        out.line("rtyp va02 ", {room.roomtype});
        out.line("rmsc ",
                 {wrappingAdd(half(wrappingAdd(room.xl, room.xr)), dx),
                  wrappingAdd(half(wrappingAdd(room.ytl, room.ybr)), dy)},
                 room.music, [i] { return roomMusicField(i); });
    }

    // Each link is held by both of its rooms; it is written once, from the earlier one.
    for (qsizetype a = 0; a < defs.rooms.size(); ++a) {
        for (const ScriptDoor& door : defs.rooms[a].doors) {
            if (door.target <= a)
                continue;
            const std::initializer_list<std::int32_t> numbers = {
                wrappingAdd(defs.subRoomStartID, std::int32_t(a)), wrappingAdd(defs.subRoomStartID, door.target),
                door.perm};
            checkReadable(numbers, QStringLiteral("The door between rooms %1 and %2").arg(a).arg(door.target));
            out.line("door ", numbers);
        }
    }
    return out.bytes;
}

void SaveRoomDefsFile(const QString& path, const RoomDefs& defs)
{
    WriteTextFile(path, RoomDefsText(defs));
}
