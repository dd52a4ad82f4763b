#include "core/script/scriptreader.h"

#include "core/common/intconv.h"
#include "core/script/calevels.h"
#include "core/script/gamenumbering.h"
#include "core/script/gametext.h"
#include "core/script/int32wrap.h"
#include "core/script/roompoint.h"
#include "core/script/scripttokens.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

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

QString quotedToken(const QByteArray& token)
{
    return QLatin1Char('\'') + shortenedToken(QString::fromLatin1(token)) + QLatin1Char('\'');
}

// The index of a variable va00 to va99 (any case), or -1.
int variableIndex(const QByteArray& word)
{
    if (word.size() != 4 || (word[0] | 0x20) != 'v' || (word[1] | 0x20) != 'a')
        return -1;
    if (word[2] < '0' || word[2] > '9' || word[3] < '0' || word[3] > '9')
        return -1;
    return (word[2] - '0') * 10 + (word[3] - '0');
}

// A number argument as StrToInt takes it, but for -2147483648 ("$80000000"): the toolbox's
// fields do not take it back, and the writer never writes it.
int scriptNumber(const QByteArray& text)
{
    const QString number = QString::fromLatin1(text);
    std::int32_t value = 0;
    try {
        value = StrToInt(number);
    } catch (const ConversionError&) {
        throw FormatError(QStringLiteral("%1 is not a valid integer value").arg(quotedToken(text)));
    }
    if (value == INT32_MIN)
        throw FormatError(QStringLiteral("%1 is -2147483648, a number the editor does not hold").arg(quotedToken(text)));
    return value;
}

bool isNumberWord(const QByteArray& word)
{
    if (word.isEmpty())
        return false;
    if (CaLevelFromText(word))
        return true;
    try {
        StrToInt(QString::fromLatin1(word));
        return true;
    } catch (const ConversionError&) {
        return false;
    }
}

// The game's command words are four characters: letters, digits and a few signs.
bool isCommandWord(const StreamToken& token)
{
    if (token.quoted || token.text.size() != 4 || isNumberWord(token.text))
        return false;
    static const QByteArray signs = ":_#!$?+-/=<>&@";
    for (const char c : token.text) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && !signs.contains(c))
            return false;
    }
    return true;
}

// A token that can only be an argument: a number, a quoted text, a variable, a byte string.
bool isArgumentToken(const StreamToken& token)
{
    return token.quoted || isNumberWord(token.text) || variableIndex(token.text) >= 0 || token.text.startsWith('[') ||
           token.text.endsWith(']');
}

// Commands whose first argument is the variable they set.
bool setsItsFirstArgument(const QByteArray& command)
{
    static const QSet<QByteArray> setting = {"setv", "sets", "seta", "addv", "subv", "mulv", "divv", "modv",
                                             "negv", "andv", "orrv", "absv", "adds", "char", "setl", "rndv"};
    return setting.contains(command);
}

// What a variable holds: nothing yet (the game's 0), a number, or a value this reader
// does not work out, set by a kept line.
struct Variable {
    enum State { Unset, Number, Unknown } state = Unset;
    int value = 0;
    int line = 0;
};

struct Metaroom {
    MetaroomSummary summary;
    bool ofFile = false;   // made by an addm line
    int offsetX = 0;
    int offsetY = 0;
    int roomBase = 0;      // the room base when it was made
    std::optional<QString> music;
    int musicLine = 0;
    int numberingLine = 0;
    QList<int> rooms;      // indexes into the reader's rooms
};

struct Room {
    ReadRoom read;        // corners in game coordinates until the content is made
    int metaroom = 0;
};

struct Door {
    int line = 0;
    int a = 0;
    int b = 0;
    int perm = 0;
};

class ScriptReader {
public:
    ScriptReader(const QByteArray& bytes, const ScriptStart& start)
        : tokens(bytes)
        , start(start)
        , roomBase(start.subRoomStartID)
    {
    }

    void read()
    {
        try {
            for (;;) {
                const StreamToken& next = tokens.peek();
                if (next.atEnd)
                    break;
                command();
            }
        } catch (const ScriptError&) {
            throw;
        } catch (const PlsdError& error) {
            throw ScriptError(tokens.line(), error.message());
        }
    }

    QList<MetaroomSummary> summaries() const
    {
        QList<MetaroomSummary> list;
        for (const Metaroom& m : metarooms) {
            MetaroomSummary s = m.summary;
            s.roomCount = int(m.rooms.size());
            list.append(s);
        }
        return list;
    }

    ScriptContent content() const;

private:
    void command()
    {
        const StreamToken word = tokens.take();
        const QByteArray name = word.text.toLower();
        if (!word.quoted) {
            if (name == "setv") return setVariable(word);
            if (name == "addm") return void(addMetaroom(word.line));
            if (name == "addr") return void(addRoom(word.line));
            if (name == "rtyp") return roomType(word.line);
            if (name == "rmsc") return roomMusic(word);
            if (name == "mmsc") return metaroomMusic(word);
            if (name == "prop") return caLevel(word.line);
            if (name == "door") return door(word.line);
            if (name == "brmi") return roomNumbering(word.line);
            if (name == "mapd") return mapLines.append(keepLine(word, name));
            if (name == "scrp") return kept.append(keepBlock(word));
        }
        if (isCommandWord(word)) {
            lastKept = true;
            kept.append(keepLine(word, name));
            return;
        }
        // Arguments that go on after a kept command, on a line of their own.
        if (lastKept && isArgumentToken(word)) {
            kept.append(keepLine(word, kept.last().command));
            return;
        }
        throw FormatError(QStringLiteral("%1 stands where a command is expected").arg(quotedToken(word.text)));
    }

    // --- arguments ---
    int number()
    {
        const StreamToken token = tokens.take();
        const int v = token.quoted ? -1 : variableIndex(token.text);
        return v < 0 ? scriptNumber(token.text) : variableValue(token, v);
    }

    float level()
    {
        const StreamToken token = tokens.take();
        const int v = token.quoted ? -1 : variableIndex(token.text);
        if (v >= 0)
            return float(variableValue(token, v));
        if (!token.quoted) {
            if (const auto value = CaLevelFromText(token.text))
                return *value;
        }
        throw FormatError(QStringLiteral("%1 is not a valid number").arg(quotedToken(token.text)));
    }

    int variableValue(const StreamToken& token, int v) const
    {
        const Variable& var = variables[v];
        if (var.state == Variable::Unknown)
            throw FormatError(QStringLiteral("%1 holds what line %2 worked out, which Palisandre does not follow")
                                  .arg(quotedToken(token.text))
                                  .arg(var.line));
        return var.value;
    }

    QString text(const char* what)
    {
        const StreamToken token = tokens.take();
        if (!token.quoted)
            throw FormatError(QStringLiteral("%1 must be a quoted text, not %2")
                                  .arg(QLatin1String(what), token.atEnd ? QStringLiteral("the end of the script")
                                                                        : quotedToken(token.text)));
        const QString value = QString::fromLatin1(token.text);
        if (const QString fault = GameTextFault(value); !fault.isEmpty())
            throw FormatError(QStringLiteral("%1 holds %2").arg(QLatin1String(what), fault));
        return value;
    }

    int roomNamed(int number, const char* line)
    {
        const auto it = rooms_.constFind(number);
        if (it == rooms_.cend())
            throw FormatError(QStringLiteral("the %1 names room %2, but no room of that number is made before it")
                                  .arg(QLatin1String(line))
                                  .arg(number));
        return *it;
    }

    // --- commands ---
    void setVariable(const StreamToken& word)
    {
        const StreamToken& target = tokens.peek();
        const int v = target.quoted ? -1 : variableIndex(target.text);
        // A setv whose line ends before its variable cannot be kept as a line of its own.
        if (v < 0 && (target.atEnd || target.startsLine))
            throw FormatError(QStringLiteral("the setv has no variable on its line"));
        if (v < 0) {
            kept.append(keepLine(word, "setv"));
            lastKept = true;
            return;
        }
        const StreamToken targetToken = tokens.take();
        const StreamToken& value = tokens.peek();
        const QByteArray valueName = value.quoted ? QByteArray() : value.text.toLower();
        const int from = value.quoted ? -1 : variableIndex(value.text);
        int result = 0;
        if (valueName == "addm") {
            tokens.take();
            result = addMetaroom(value.line);
        } else if (valueName == "addr") {
            tokens.take();
            result = addRoom(value.line);
        } else if ((from >= 0 && variables[from].state != Variable::Unknown) ||
                   (from < 0 && !value.quoted && isIntegerWord(value.text))) {
            lastKept = false;
            result = number();
        } else {
            // Anything else is worked out by the game alone: the line is kept.
            kept.append(keepLineFrom(word, "setv", targetToken));
            variables[v] = {Variable::Unknown, 0, word.line};
            lastKept = true;
            return;
        }
        variables[v] = {Variable::Number, result, word.line};
    }

    static bool isIntegerWord(const QByteArray& word)
    {
        try {
            StrToInt(QString::fromLatin1(word));
            return true;
        } catch (const ConversionError&) {
            return false;
        }
    }

    int addMetaroom(int line)
    {
        lastKept = false;
        Metaroom m;
        m.ofFile = true;
        m.summary.line = line;
        m.summary.x = number();
        m.summary.y = number();
        m.summary.width = number();
        m.summary.height = number();
        m.summary.backgroundName = text("the background name");
        m.summary.number = metaroomNumbers.next(metaroomBase);
        m.offsetX = m.summary.x;
        m.offsetY = m.summary.y;
        m.roomBase = roomBase;
        m.numberingLine = numberingLine > 0 ? numberingLine : line;
        metaroomByNumber.insert(m.summary.number, int(metarooms.size()));
        metarooms.append(m);
        ++fileMetarooms;
        return m.summary.number;
    }

    // The metaroom of rooms that name none of the file's: made when first needed.
    int editorMetaroom(int line)
    {
        if (editorMetaroomIndex < 0) {
            Metaroom m;
            m.summary.number = metaroomBase;
            m.summary.line = 0;
            m.offsetX = start.offsetX;
            m.offsetY = start.offsetY;
            m.summary.x = start.offsetX;
            m.summary.y = start.offsetY;
            m.summary.width = start.panelWidth;
            m.summary.height = start.panelHeight;
            m.roomBase = roomBase;
            m.numberingLine = numberingLine > 0 ? numberingLine : line;
            editorMetaroomIndex = int(metarooms.size());
            metarooms.append(m);
        }
        return editorMetaroomIndex;
    }

    int addRoom(int line)
    {
        lastKept = false;
        const int named = number();
        Room room;
        room.read.line = line;
        RoomShape& c = room.read.corners;
        c.xl = number();
        c.xr = number();
        c.ytl = number();
        c.ytr = number();
        c.ybl = number();
        c.ybr = number();
        room.metaroom = metaroomByNumber.value(named, -1);
        if (room.metaroom < 0)
            room.metaroom = editorMetaroom(line);
        room.read.number = roomNumbers.next(roomBase);
        const int index = int(allRooms.size());
        rooms_.insert(room.read.number, index);
        columns.add(c);
        metarooms[room.metaroom].rooms.append(index);
        allRooms.append(room);
        return room.read.number;
    }

    void roomType(int line)
    {
        lastKept = false;
        const int r = roomNamed(number(), "type line");
        const int type = number();
        allRooms[r].read.roomtype = type;
        allRooms[r].read.typeLine = line;
    }

    void caLevel(int line)
    {
        lastKept = false;
        const int r = roomNamed(number(), "prop line");
        const int index = number();
        if (index < 0 || index >= CaIndexCount)
            throw FormatError(QStringLiteral("the CA index %1 is outside 0 to 15").arg(index));
        const float value = level();
        allRooms[r].read.levels = WithCaLevel(allRooms[r].read.levels, index, value);
        Q_UNUSED(line);
    }

    void roomMusic(const StreamToken& word)
    {
        lastKept = false;
        const int x = number();
        const int y = number();
        const QString music = text("the music");
        // The latest room when it holds the point and has no music yet, as the writer puts
        // each rmsc line after its room: a room wholly inside an earlier one keeps its
        // music (the check tells that the rooms overlap). Else the first room, as in the game.
        // A latest room the game finds nowhere (reversed walls) takes it too: the check
        // tells that its line stops the script in the game.
        int r = -1;
        if (!allRooms.isEmpty() && allRooms.last().read.musicLine == 0) {
            const RoomShape& latest = allRooms.last().read.corners;
            if (GameRoomContains(latest, x, y) || !MusicPoint(latest))
                r = int(allRooms.size()) - 1;
        }
        if (r < 0)
            r = columns.find(x, y);
        if (r < 0) {
            // The game stops the script here: the check tells it. Kept after the rooms,
            // the line would find a room made later, so it is not kept.
            musicWithoutRoom.append(word.line);
            return;
        }
        allRooms[r].read.music = music;
        allRooms[r].read.musicLine = word.line;
    }

    void metaroomMusic(const StreamToken& word)
    {
        lastKept = false;
        const int x = number();
        const int y = number();
        const QString music = text("the metaroom music");
        int found = -1;
        for (int i = 0; i < metarooms.size() && found < 0; ++i) {
            const MetaroomSummary& s = metarooms[i].summary;
            if (metarooms[i].ofFile && within(x, s.x, s.width) && within(y, s.y, s.height))
                found = i;
        }
        // The editor's own metaroom, in a file that adds none.
        if (found < 0 && fileMetarooms == 0)
            found = editorMetaroom(word.line);
        // The game passes it over, and so does the editor: kept after the metarooms, it
        // would give music to one.
        if (found < 0)
            return;
        metarooms[found].music = music;
        metarooms[found].musicLine = word.line;
    }

    // From start to start + size, edges included, in coordinates that wrap at 32 bits as
    // the writer's do.
    static bool within(int value, int start, int size)
    {
        return quint32(value) - quint32(start) <= quint32(std::max(size, 0));
    }

    void door(int line)
    {
        lastKept = false;
        const int a = roomNamed(number(), "door");
        const int b = roomNamed(number(), "door");
        const int perm = number();
        if (allRooms[a].metaroom != allRooms[b].metaroom)
            throw FormatError(QStringLiteral("the door links rooms %1 and %2 of different metarooms; the game makes "
                                             "doors only within a metaroom")
                                  .arg(allRooms[a].read.number)
                                  .arg(allRooms[b].read.number));
        doors.append({line, a, b, perm});
    }

    void roomNumbering(int line)
    {
        lastKept = false;
        const int metaroom = number();
        const int room = number();
        numbering = ReadNumbering{line, metaroom, room};
        // The game passes over bases beyond its tables; the check says so, and the editor
        // keeps the numbers as written.
        metaroomBase = metaroom;
        roomBase = room;
        numberingLine = line;
    }

    // --- kept lines ---
    // The command and the rest of its line, variables replaced by their numbers (0 for
    // one never set) but for the one an assigning command sets, which holds a value
    // unknown from here on, and those already unknown.
    KeptLine keepLine(const StreamToken& word, const QByteArray& command)
    {
        return keepLineFrom(word, command, {});
    }

    KeptLine keepLineFrom(const StreamToken& word, const QByteArray& command, const StreamToken& alreadyTaken)
    {
        QList<StreamToken> rest;
        if (!alreadyTaken.text.isEmpty())
            rest.append(alreadyTaken);
        while (!tokens.peek().atEnd && tokens.peek().line == word.line && !tokens.peek().startsLine)
            rest.append(tokens.take());
        const QByteArray& source = tokens.source();
        KeptLine line{word.line, command, {}};
        qsizetype copied = word.begin;
        const bool setting = setsItsFirstArgument(word.text.toLower());
        for (int i = 0; i < rest.size(); ++i) {
            const StreamToken& t = rest[i];
            const int v = t.quoted ? -1 : variableIndex(t.text);
            if (v < 0)
                continue;
            if (setting && i == 0) {
                variables[v] = {Variable::Unknown, 0, word.line};
                continue;
            }
            // A variable never set holds the game's 0; one only the game works out stays.
            if (variables[v].state == Variable::Unknown)
                continue;
            line.text += source.mid(copied, t.begin - copied);
            line.text += QByteArray::number(variables[v].value);
            copied = t.end;
        }
        const qsizetype end = rest.isEmpty() ? word.end : rest.last().end;
        line.text += source.mid(copied, end - copied);
        return line;
    }

    // scrp ... endm, kept as written, its lines ended by CR LF.
    KeptLine keepBlock(const StreamToken& word)
    {
        lastKept = false;
        for (;;) {
            const StreamToken t = tokens.take();
            if (t.atEnd)
                throw FormatError(QStringLiteral("the scrp of line %1 has no endm").arg(word.line));
            if (!t.quoted && t.text.toLower() == "endm") {
                QByteArray text = tokens.source().mid(word.begin, t.end - word.begin);
                text.replace("\r\n", "\n");
                text.replace('\r', '\n');
                text.replace("\n", "\r\n");
                return {word.line, "scrp", text};
            }
        }
    }

    ScriptTokenStream tokens;
    ScriptStart start;
    std::array<Variable, 100> variables{};
    int metaroomBase = 0;
    int roomBase = 0;
    int numberingLine = 0;
    std::optional<ReadNumbering> numbering;
    GameNumbering metaroomNumbers;
    GameNumbering roomNumbers;
    QList<Metaroom> metarooms;
    QHash<int, int> metaroomByNumber;
    int editorMetaroomIndex = -1;
    int fileMetarooms = 0;
    QList<Room> allRooms;
    QHash<int, int> rooms_;   // room number to index
    RoomPointIndex columns;
    QList<Door> doors;
    QList<KeptLine> kept;
    QList<KeptLine> mapLines;
    QList<int> musicWithoutRoom;
    bool lastKept = false;
};

} // namespace

namespace {

RoomShape lessOffsets(const RoomShape& c, int dx, int dy)
{
    // The corners are 32-bit numbers as the script gives them, and so are the results.
    const auto less = [](qint64 value, int by) -> qint64 { return wrappingSub(std::int32_t(value), by); };
    return {less(c.xl, dx), less(c.xr, dx), less(c.ytl, dy), less(c.ytr, dy), less(c.ybl, dy), less(c.ybr, dy)};
}

} // namespace

ScriptContent ScriptReader::content() const
{
    ScriptContent c;
    c.panelWidth = start.panelWidth;
    c.panelHeight = start.panelHeight;
    c.kept = kept;
    c.mapLines = mapLines;
    c.musicWithoutRoomLines = musicWithoutRoom;
    c.metarooms = summaries();
    c.numbering = numbering;
    if (metarooms.isEmpty())
        return c;
    if (start.metaroom < 0 || start.metaroom >= metarooms.size())
        throw ScriptError(1, QStringLiteral("the script has no metaroom %1 to open; it adds %2")
                                 .arg(start.metaroom)
                                 .arg(metarooms.size()));
    c.openMetaroom = start.metaroom;

    // Positions of rooms within their metaroom, for doors.
    QHash<int, int> position;
    for (const Metaroom& m : metarooms) {
        for (int i = 0; i < m.rooms.size(); ++i)
            position.insert(m.rooms[i], i);
    }

    for (int k = 0; k < metarooms.size(); ++k) {
        const Metaroom& m = metarooms[k];
        if (k == start.metaroom) {
            c.rooms.reserve(m.rooms.size());
            for (const int r : m.rooms) {
                ReadRoom room = allRooms[r].read;
                room.corners = lessOffsets(room.corners, m.offsetX, m.offsetY);
                c.panelWidth = std::max(c.panelWidth, int(room.corners.xr));
                c.panelHeight = std::max({c.panelHeight, int(room.corners.ybl), int(room.corners.ybr)});
                c.rooms.append(room);
            }
            for (const Door& d : doors) {
                if (allRooms[d.a].metaroom == k)
                    c.doors.append({d.line, {true, position[d.a]}, {true, position[d.b]}, d.perm});
            }
            if (m.ofFile) {
                c.metaroom = ReadMetaroom{m.summary.line, m.offsetX, m.offsetY, m.summary.backgroundName};
                c.panelWidth = std::max(c.panelWidth, m.summary.width);
                c.panelHeight = std::max(c.panelHeight, m.summary.height);
            }
            c.metaroomMusic = m.music;
            c.metaroomMusicLine = m.musicLine;
            if (m.ofFile || numbering) {
                const int first = m.rooms.isEmpty() ? m.roomBase : allRooms[m.rooms.first()].read.number;
                c.numbering = ReadNumbering{m.numberingLine, m.summary.number, first};
            }
            continue;
        }
        // Another metaroom, as the writer takes it.
        RoomDefs defs;
        defs.offsetX = m.offsetX;
        defs.offsetY = m.offsetY;
        defs.metaRoomID = m.summary.number;
        defs.subRoomStartID = m.rooms.isEmpty() ? m.roomBase : allRooms[m.rooms.first()].read.number;
        defs.metaroomMusic = m.music.value_or(QString());
        defs.metaroomFilename = m.summary.backgroundName;
        defs.panelWidth = m.summary.width;
        defs.panelHeight = m.summary.height;
        for (const int r : m.rooms) {
            const ReadRoom& read = allRooms[r].read;
            ScriptRoom room = ScriptRoomOf(lessOffsets(read.corners, m.offsetX, m.offsetY));
            room.roomtype = read.roomtype;
            room.music = read.music;
            room.levels = read.levels;
            defs.rooms.append(room);
        }
        for (const Door& d : doors) {
            if (allRooms[d.a].metaroom != k)
                continue;
            const int a = position[d.a];
            const int b = position[d.b];
            const auto link = [&](int from, int to) {
                for (ScriptDoor& door : defs.rooms[from].doors) {
                    if (door.target == to) {
                        door.perm = d.perm;
                        return;
                    }
                }
                defs.rooms[from].doors.append({to, d.perm});
            };
            link(a, b);
            if (a != b)
                link(b, a);
        }
        c.otherMetarooms.append(defs);
    }
    return c;
}

ScriptContent ReadScript(const QByteArray& bytes, const ScriptStart& start)
{
    ScriptReader reader(bytes, start);
    reader.read();
    return reader.content();
}

QList<MetaroomSummary> ScriptMetarooms(const QByteArray& bytes, const ScriptStart& start)
{
    ScriptReader reader(bytes, start);
    reader.read();
    return reader.summaries();
}
