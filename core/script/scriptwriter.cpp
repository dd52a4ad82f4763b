#include "core/script/scriptwriter.h"

#include "core/common/errors.h"
#include "core/script/int32wrap.h"
#include "core/script/scripttokens.h"
#include "core/script/textfile.h"

#include <algorithm>
#include <initializer_list>

namespace {

// Throws when text cannot be written between double quotes and read back unchanged.
void checkTextField(const QString& text, const QString& what)
{
    for (const char32_t c : text.toUcs4()) {
        QString problem;
        if (c == U'"')
            problem = QStringLiteral("a double quote character");
        else if (c == U'\r' || c == U'\n')
            problem = QStringLiteral("a line break");
        else if (c > 0xFF)
            problem = QStringLiteral("the character \"%1\"").arg(QString::fromUcs4(&c, 1));
        if (!problem.isEmpty())
            throw PlsdError(QStringLiteral("%1 holds %2, which a room definition script cannot hold. "
                                           "Nothing was saved.")
                                .arg(what, problem));
    }
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

    // A line that ends with a text field; field() names it in the message. The reader keeps
    // KeptAfterToken characters of a line after its first word, so a text that would reach
    // past them is refused.
    template <typename FieldName>
    void line(const char* fixed, std::initializer_list<std::int32_t> numbers, const QString& text, FieldName field)
    {
        const qsizetype lineStart = bytes.size();
        start(fixed, numbers);
        bytes += " \"";
        const qsizetype keptEnd = bytes.indexOf(' ', lineStart) + 1 + KeptAfterToken;
        const qsizetype fits = keptEnd - bytes.size() - 1;   // the closing quote is kept too
        if (text.size() > fits)
            throw PlsdError(QStringLiteral("%1 is too long for a room definition script: it can hold %2 characters "
                                           "there. Nothing was saved.")
                                .arg(field())
                                .arg(std::max<qsizetype>(fits, 0)));
        bytes += text.toLatin1();
        bytes += '"';
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

    out.line("brmi ", {defs.metaRoomID, defs.subRoomStartID});
    out.line("setv va01 addm ", {dx, dy, defs.panelWidth, defs.panelHeight}, BackgroundName(defs.metaroomFilename),
             metaroomFilenameField);
    out.line("mmsc ", {wrappingAdd(half(defs.panelWidth), dx), wrappingAdd(half(defs.panelHeight), dy)},
             defs.metaroomMusic, metaroomMusicField);

    for (qsizetype i = 0; i < defs.rooms.size(); ++i) {
        const ScriptRoom& room = defs.rooms[i];
        out.line("setv va02 addr va01 ",
                 {wrappingAdd(room.xl, dx), wrappingAdd(room.xr, dx), wrappingAdd(room.ytl, dy),
                  wrappingAdd(room.ytr, dy), wrappingAdd(room.ybl, dy), wrappingAdd(room.ybr, dy)});
        out.line("rtyp va02 ", {room.roomtype});
        out.line("rmsc ",
                 {wrappingAdd(half(wrappingAdd(room.xl, room.xr)), dx),
                  wrappingAdd(half(wrappingAdd(room.ytl, room.ybr)), dy)},
                 room.music, [i] { return roomMusicField(i); });
    }

    // Each link is held by both of its rooms; it is written once, from the earlier one.
    for (qsizetype a = 0; a < defs.rooms.size(); ++a) {
        for (const ScriptDoor& door : defs.rooms[a].doors) {
            if (door.target > a)
                out.line("door ", {wrappingAdd(defs.subRoomStartID, std::int32_t(a)),
                                   wrappingAdd(defs.subRoomStartID, door.target), door.perm});
        }
    }
    return out.bytes;
}

void SaveRoomDefsFile(const QString& path, const RoomDefs& defs)
{
    WriteTextFile(path, RoomDefsText(defs));
}
