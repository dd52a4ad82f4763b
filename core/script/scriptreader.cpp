#include "core/script/scriptreader.h"

#include "core/common/intconv.h"
#include "core/script/gametext.h"
#include "core/script/int32wrap.h"
#include "core/script/scripttokens.h"

#include <algorithm>
#include <cstdint>
#include <utility>

ScriptError::ScriptError(int line, const QString& problem, const QString& fileName)
    : FormatError(fileName.isEmpty() ? QStringLiteral("line %1: %2").arg(line).arg(problem)
                                     : QStringLiteral("%1, line %2: %3").arg(fileName).arg(line).arg(problem))
    , line_(line)
    , problem_(problem)
    , fileName_(fileName)
{
}

ScriptError ScriptError::inFile(const QString& fileName) const
{
    return ScriptError(line_, problem_, fileName);
}

namespace {

// A number argument as StrToInt takes it, but for -2147483648 ("$80000000"): the toolbox's
// fields do not take it back, and the writer never writes it.
int scriptNumber(const QByteArray& text)
{
    const QString number = QString::fromLatin1(text);
    const std::int32_t value = StrToInt(number);
    if (value == INT32_MIN)
        throw FormatError(QStringLiteral("'%1' is -2147483648, a number the editor does not hold").arg(number));
    return value;
}

// The tokens of one line, taken one by one; past the last, empty words.
class Arguments {
public:
    explicit Arguments(QList<ScriptToken> tokens)
        : tokens(std::move(tokens))
    {
    }

    bool atEnd() const { return next >= tokens.size(); }
    ScriptToken take() { return atEnd() ? ScriptToken() : tokens[next++]; }
    void skip() { take(); }
    int number() { return scriptNumber(take().text); }
    // A text argument; what names it in a message ("the music").
    QString text(const char* what)
    {
        const QString text = QString::fromLatin1(take().text);
        if (const QString fault = GameTextFault(text); !fault.isEmpty())
            throw FormatError(QStringLiteral("%1 holds %2").arg(QLatin1String(what), fault));
        return text;
    }

private:
    QList<ScriptToken> tokens;
    qsizetype next = 0;
};

class ScriptReader {
public:
    explicit ScriptReader(const ScriptStart& start)
        : offsetX(start.offsetX)
        , offsetY(start.offsetY)
        , subRoomStartID(start.subRoomStartID)
        , existingRooms(start.existingRooms)
    {
        content.panelWidth = start.panelWidth;
        content.panelHeight = start.panelHeight;
    }

    ScriptContent read(const QByteArray& bytes)
    {
        for (const ScriptLine& line : ScriptLines(bytes)) {
            if (IsCommentLine(line.text))
                continue;
            try {
                readLine(line);
            } catch (const PlsdError& error) {
                throw ScriptError(line.number, error.message());
            }
        }
        return std::move(content);
    }

private:
    void readLine(const ScriptLine& line)
    {
        Arguments args(LineTokens(line.text));
        while (!args.atEnd()) {
            const QByteArray word = args.take().text.toLower();
            if (word == "addr")
                addRoom(args, line.number);
            else if (word == "rtyp")
                roomType(args);
            else if (word == "rmsc")
                roomMusic(args);
            else if (word == "door")
                door(args, line.number);
            else if (word == "addm")
                metaroom(args, line.number);
            else if (word == "mmsc")
                metaroomMusic(args, line.number);
            else if (word == "brmi")
                roomNumbering(args, line.number);
        }
    }

    void addRoom(Arguments& args, int line)
    {
        args.skip();
        ReadRoom room;
        room.line = line;
        RoomCorners& c = room.corners;
        c.xl = wrappingSub(args.number(), offsetX);
        c.xr = wrappingSub(args.number(), offsetX);
        c.ytl = wrappingSub(args.number(), offsetY);
        c.ytr = wrappingSub(args.number(), offsetY);
        c.ybl = wrappingSub(args.number(), offsetY);
        c.ybr = wrappingSub(args.number(), offsetY);
        growPanel(c.xr, std::max(c.ybl, c.ybr));
        content.rooms.append(room);
    }

    // Type and music lines before the first room line have no room to go to: their
    // arguments are taken as usual and nothing is set.
    void roomType(Arguments& args)
    {
        args.skip();
        const int roomtype = args.number();
        if (!content.rooms.isEmpty())
            content.rooms.last().roomtype = roomtype;
    }

    void roomMusic(Arguments& args)
    {
        args.skip();
        args.skip();
        const QString music = args.text("the music");
        if (!content.rooms.isEmpty())
            content.rooms.last().music = music;
    }

    void door(Arguments& args, int line)
    {
        const int a = args.number();
        const int b = args.number();
        const int perm = args.number();
        content.doors.append({line, room(a), room(b), perm});
    }

    RoomRef room(int number) const
    {
        const std::int32_t k = wrappingSub(number, subRoomStartID);
        if (k >= 0 && k < content.rooms.size())
            return {true, k};
        if (k >= 0 && k < existingRooms)
            return {false, k};
        throw FormatError(QStringLiteral("the door names room %1, but neither this script nor the editor "
                                         "has a room of that number")
                              .arg(number));
    }

    void metaroom(Arguments& args, int line)
    {
        ReadMetaroom m;
        m.line = line;
        m.offsetX = args.number();
        m.offsetY = args.number();
        const int width = args.number();
        const int height = args.number();
        m.backgroundName = args.text("the background name");
        offsetX = m.offsetX;
        offsetY = m.offsetY;
        growPanel(width, height);
        content.metaroom = m;
    }

    void metaroomMusic(Arguments& args, int line)
    {
        args.skip();
        args.skip();
        content.metaroomMusic = args.text("the metaroom music");
        content.metaroomMusicLine = line;
    }

    void roomNumbering(Arguments& args, int line)
    {
        ReadNumbering n;
        n.line = line;
        n.metaRoomID = args.number();
        n.subRoomStartID = args.number();
        subRoomStartID = n.subRoomStartID;
        content.numbering = n;
    }

    void growPanel(int width, int height)
    {
        content.panelWidth = std::max(content.panelWidth, width);
        content.panelHeight = std::max(content.panelHeight, height);
    }

    int offsetX;
    int offsetY;
    int subRoomStartID;
    int existingRooms;
    ScriptContent content;
};

} // namespace

ScriptContent ReadScript(const QByteArray& bytes, const ScriptStart& start)
{
    return ScriptReader(start).read(bytes);
}
