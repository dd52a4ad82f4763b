#include "core/rules/gamerules.h"

#include "core/script/gametext.h"
#include "core/script/scriptwriter.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr int MaxRooms = 2000;
constexpr int MaxMetarooms = 200;
constexpr int MaxRoomType = 15;
constexpr int MaxPermeability = 100;
constexpr int FloorTolerance = 1;   // floors and ceilings this close share an edge
constexpr int AlmostDistance = 3;   // walls, floors and ceilings this close almost do

// ---- Geometry ----------------------------------------------------------------------

// Products of three 32-bit coordinates, exactly.
using Wide = __int128;

// A ceiling or floor: the line from (x1, y1) to (x2, y2), with x1 < x2.
struct Slope {
    qint64 x1, y1, x2, y2;

    qint64 width() const { return x2 - x1; }
    // The height at x times width(), exactly.
    Wide scaledY(qint64 x) const { return Wide(y1) * width() + Wide(y2 - y1) * (x - x1); }
    double y(qint64 x) const { return double(y1) + double(y2 - y1) * double(x - x1) / double(width()); }
};

Slope ceilingOf(const ScriptRoom& r)
{
    return {r.xl, r.ytl, r.xr, r.ytr};
}

Slope floorOf(const ScriptRoom& r)
{
    return {r.xl, r.ybl, r.xr, r.ybr};
}

// How far q lies below p at x, times the widths of both.
Wide scaledGap(const Slope& p, const Slope& q, qint64 x)
{
    return q.scaledY(x) * p.width() - p.scaledY(x) * q.width();
}

bool within(const Slope& p, const Slope& q, qint64 x, int pixels)
{
    const Wide gap = scaledGap(p, q, x);
    const Wide limit = Wide(pixels) * p.width() * q.width();
    return -limit <= gap && gap <= limit;
}

// The x range both rooms cover; empty when last <= first.
struct Span {
    qint64 first, last;
    bool hasLength() const { return last > first; }
};

Span commonX(const ScriptRoom& a, const ScriptRoom& b)
{
    return {std::max<qint64>(a.xl, b.xl), std::min<qint64>(a.xr, b.xr)};
}

// The right wall of `left` against the left wall of `right`.
void meetWalls(const ScriptRoom& left, const ScriptRoom& right, RoomContact& contact)
{
    const qint64 top = std::max<qint64>(left.ytr, right.ytl);
    const qint64 bottom = std::min<qint64>(left.ybr, right.ybl);
    if (bottom <= top)
        return;
    const qint64 gap = qint64(right.xl) - left.xr;
    if (gap == 0) {
        contact.edge = Meeting::Walls;
        contact.line = QLineF(double(left.xr), double(top), double(left.xr), double(bottom));
    } else if (std::abs(gap) <= AlmostDistance) {
        contact.almost = Meeting::Walls;
    }
}

// The floor of `upper` against the ceiling of `lower`.
void meetFloor(const ScriptRoom& upper, const ScriptRoom& lower, Span span, RoomContact& contact)
{
    const Slope floor = floorOf(upper);
    const Slope ceiling = ceilingOf(lower);
    const auto closeAtBothEnds = [&](int pixels) {
        return within(floor, ceiling, span.first, pixels) && within(floor, ceiling, span.last, pixels);
    };
    if (closeAtBothEnds(FloorTolerance)) {
        contact.edge = Meeting::FloorAndCeiling;
        contact.line = QLineF(double(span.first), floor.y(span.first), double(span.last), floor.y(span.last));
    } else if (closeAtBothEnds(AlmostDistance)) {
        contact.almost = Meeting::FloorAndCeiling;
    }
}

// Whether `lower` lies wholly at or below the floor of `upper` over the span.
bool whollyBelow(const ScriptRoom& upper, const ScriptRoom& lower, Span span)
{
    const Slope floor = floorOf(upper);
    const Slope ceiling = ceilingOf(lower);
    return scaledGap(floor, ceiling, span.first) >= 0 && scaledGap(floor, ceiling, span.last) >= 0;
}

// ---- Finding pairs -----------------------------------------------------------------

// A closed bounding box.
struct Box {
    qint64 x0, y0, x1, y1;

    bool meets(const Box& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
};

Box grownBox(const ScriptRoom& r)
{
    return {qint64(r.xl) - AlmostDistance, qint64(std::min(r.ytl, r.ytr)) - AlmostDistance,
            qint64(r.xr) + AlmostDistance, qint64(std::max(r.ybl, r.ybr)) + AlmostDistance};
}

qint64 median(std::vector<qint64> values)
{
    auto middle = values.begin() + qsizetype(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// A uniform grid of buckets over boxes, with cells the size of a typical box and at most
// a few cells a box on the whole.
class BoxGrid {
public:
    explicit BoxGrid(const std::vector<Box>& boxes)
        : boxes(boxes)
    {
        minX = minY = std::numeric_limits<qint64>::max();
        qint64 maxX = std::numeric_limits<qint64>::min();
        qint64 maxY = maxX;
        std::vector<qint64> widths, heights;
        for (const Box& b : boxes) {
            minX = std::min(minX, b.x0);
            minY = std::min(minY, b.y0);
            maxX = std::max(maxX, b.x1);
            maxY = std::max(maxY, b.y1);
            widths.push_back(b.x1 - b.x0 + 1);
            heights.push_back(b.y1 - b.y0 + 1);
        }
        cellWidth = median(widths);
        cellHeight = median(heights);
        // Scattered boxes would ask for many empty cells: coarser cells keep them few.
        const qint64 maxCells = 4 * qint64(boxes.size()) + 64;
        while (true) {
            columns = (maxX - minX) / cellWidth + 1;
            rows = (maxY - minY) / cellHeight + 1;
            if (columns <= maxCells / rows)
                break;
            if (columns >= rows)
                cellWidth *= 2;
            else
                cellHeight *= 2;
        }
        fill();
    }

    // Each pair of boxes that meet, once, as indices i < j.
    std::vector<std::pair<int, int>> pairs() const
    {
        std::vector<std::pair<int, int>> found;
        for (qint64 cell = 0; cell < columns * rows; ++cell) {
            const int* begin = members.data() + starts[size_t(cell)];
            const int* end = members.data() + starts[size_t(cell) + 1];
            for (const int* i = begin; i != end; ++i) {
                for (const int* j = i + 1; j != end; ++j) {
                    const Box& a = boxes[size_t(*i)];
                    const Box& b = boxes[size_t(*j)];
                    // A pair shares many cells; it is taken in the one holding the top-left
                    // corner of the boxes' intersection.
                    if (a.meets(b) && cellOf(std::max(a.x0, b.x0), std::max(a.y0, b.y0)) == cell)
                        found.emplace_back(std::min(*i, *j), std::max(*i, *j));
                }
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    qint64 column(qint64 x) const { return (x - minX) / cellWidth; }
    qint64 row(qint64 y) const { return (y - minY) / cellHeight; }
    qint64 cellOf(qint64 x, qint64 y) const { return row(y) * columns + column(x); }

    template <typename Visit>
    void forEachCell(const Box& b, Visit visit) const
    {
        for (qint64 r = row(b.y0); r <= row(b.y1); ++r) {
            for (qint64 c = column(b.x0); c <= column(b.x1); ++c)
                visit(r * columns + c);
        }
    }

    // Members of cell k are members[starts[k]] to members[starts[k + 1] - 1].
    void fill()
    {
        starts.assign(size_t(columns * rows) + 1, 0);
        for (const Box& b : boxes)
            forEachCell(b, [&](qint64 cell) { ++starts[size_t(cell) + 1]; });
        for (size_t k = 1; k < starts.size(); ++k)
            starts[k] += starts[k - 1];
        members.resize(size_t(starts.back()));
        std::vector<qint64> next(starts.begin(), starts.end() - 1);
        for (size_t i = 0; i < boxes.size(); ++i)
            forEachCell(boxes[i], [&](qint64 cell) { members[size_t(next[size_t(cell)]++)] = int(i); });
    }

    const std::vector<Box>& boxes;
    qint64 minX = 0, minY = 0;
    qint64 cellWidth = 1, cellHeight = 1;
    qint64 columns = 1, rows = 1;
    std::vector<qint64> starts;
    std::vector<int> members;
};

// ---- Findings ----------------------------------------------------------------------

Severity severityOf(GameRule rule)
{
    switch (rule) {
    case GameRule::Overlap:
    case GameRule::OutsidePicture:
    case GameRule::AlmostDoor:
        return Severity::Warning;
    case GameRule::EdgeWithoutDoor:
        return Severity::Note;
    default:
        return Severity::Error;
    }
}

QString stopsTheScript()
{
    return QStringLiteral("the game stops the script at this line: the rooms made before it keep the doors the game "
                          "made on their shared edges, at permeability 100, and every later line is lost.");
}

class Checker {
public:
    Checker(const RoomDefs& defs, QSize picture)
        : defs(defs)
        , picture(picture)
    {
    }

    QList<Finding> run()
    {
        const QList<RoomPair> pairs = RoomsInContact(defs);
        checkLimits();
        checkTexts();
        for (int i = 0; i < defs.rooms.size(); ++i)
            reversedWalls(i);
        for (int i = 0; i < defs.rooms.size(); ++i)
            roomType(i);
        checkDoors();
        checkPairs(pairs, GameRule::Overlap);
        if (!picture.isEmpty()) {
            for (int i = 0; i < defs.rooms.size(); ++i)
                outsidePicture(i);
        }
        checkPairs(pairs, GameRule::AlmostDoor);
        checkPairs(pairs, GameRule::EdgeWithoutDoor);
        return findings;
    }

private:
    void add(GameRule rule, QList<int> rooms, const QString& message)
    {
        findings.append({severityOf(rule), std::move(rooms), message, rule});
    }

    QString number(int position) const { return QString::number(GameRoomNumber(defs, position)); }

    void checkLimits()
    {
        const qsizetype count = defs.rooms.size();
        if (count > MaxRooms)
            add(GameRule::RoomCount, {},
                QStringLiteral("The metaroom has %1 rooms, more than the game's 2,000: the game writes the rooms "
                               "past its 2,000th beyond the end of its room table.")
                    .arg(count));
        // With the base refused the game numbers the rooms itself; that finding says so.
        if (defs.subRoomStartID < MaxRooms) {
            const qint64 first = std::max<qint64>(0, qint64(MaxRooms) - defs.subRoomStartID);
            if (first < count) {
                QList<int> rooms;
                for (qint64 i = first; i < count; ++i)
                    rooms.append(int(i));
                const QString which = rooms.size() == 1
                    ? QStringLiteral("Room %1 has a number").arg(number(rooms.first()))
                    : QStringLiteral("Rooms %1 to %2 have numbers").arg(number(rooms.first()), number(rooms.last()));
                add(GameRule::RoomNumber, rooms,
                    QStringLiteral("%1 of 2,000 or more: the game writes such rooms past the end of its room table.")
                        .arg(which));
            }
        }
        const QString brmiIgnored = QStringLiteral(
            "the game ignores the brmi line without a word and numbers the rooms from its own base, so the door "
            "lines name other rooms.");
        if (defs.metaRoomID >= MaxMetarooms)
            add(GameRule::MetaroomNumber, {},
                QStringLiteral("The metaroom number %1 is 200 or more: %2").arg(defs.metaRoomID).arg(brmiIgnored));
        if (defs.subRoomStartID >= MaxRooms)
            add(GameRule::RoomBase, {},
                QStringLiteral("The room base %1 is 2,000 or more: %2").arg(defs.subRoomStartID).arg(brmiIgnored));
    }

    void checkText(const QString& text, const QString& what, QList<int> rooms)
    {
        const QString fault = GameTextFault(text);
        if (fault.isEmpty())
            return;
        // Fine up to the game's limit: only its length is at fault.
        const bool tooLong = GameTextFault(text.left(GameTextMaxBytes)).isEmpty();
        const QString outcome = tooLong ? QStringLiteral("the game overflows its text buffer when it reads this line.")
                                        : QStringLiteral("the game refuses the whole script and makes none of its rooms.");
        add(GameRule::Text, std::move(rooms), QStringLiteral("%1 has %2: %3").arg(what, fault, outcome));
    }

    void checkTexts()
    {
        checkText(BackgroundName(defs.metaroomFilename), QStringLiteral("The background name"), {});
        checkText(defs.metaroomMusic, QStringLiteral("The metaroom music"), {});
        for (int i = 0; i < defs.rooms.size(); ++i)
            checkText(defs.rooms[i].music, QStringLiteral("The music of room %1").arg(number(i)), {i});
    }

    void reversedWalls(int i)
    {
        const ScriptRoom& r = defs.rooms[i];
        QStringList faults;
        if (r.xl >= r.xr)
            faults.append(QStringLiteral("its left wall at x %1, not left of its right wall at x %2").arg(r.xl).arg(r.xr));
        if (r.ytl > r.ybl)
            faults.append(QStringLiteral("on its left wall a ceiling at y %1, below the floor at y %2")
                              .arg(r.ytl)
                              .arg(r.ybl));
        if (r.ytr > r.ybr)
            faults.append(QStringLiteral("on its right wall a ceiling at y %1, below the floor at y %2")
                              .arg(r.ytr)
                              .arg(r.ybr));
        if (!faults.isEmpty())
            add(GameRule::ReversedWalls, {i},
                QStringLiteral("Room %1 has %2: the game stores it as given and can never find it, so its rmsc line "
                               "stops the script and every later line is lost.")
                    .arg(number(i), faults.join(QStringLiteral(", and "))));
    }

    void roomType(int i)
    {
        const int type = defs.rooms[i].roomtype;
        if (type < 0 || type > MaxRoomType)
            add(GameRule::RoomType, {i},
                QStringLiteral("Room %1 has type %2, outside the game's 0 to 15: the game reads past its tables on "
                               "every update of the room's air.")
                    .arg(number(i))
                    .arg(type));
    }

    void outsidePicture(int i)
    {
        const ScriptRoom& r = defs.rooms[i];
        const int left = std::min(r.xl, r.xr);
        const int right = std::max(r.xl, r.xr);
        const int top = std::min({r.ytl, r.ytr, r.ybl, r.ybr});
        const int bottom = std::max({r.ytl, r.ytr, r.ybl, r.ybr});
        const int width = picture.width();
        const int height = picture.height();
        if (left >= 0 && right <= width && top >= 0 && bottom <= height)
            return;
        const bool wholly = right <= 0 || left >= width || bottom <= 0 || top >= height;
        add(GameRule::OutsidePicture, {i},
            QStringLiteral("Room %1 lies %2 outside the picture of %3 x %4 pixels: the game has no background to "
                           "show behind %5.")
                .arg(number(i), wholly ? QStringLiteral("wholly") : QStringLiteral("partly"))
                .arg(width)
                .arg(height)
                .arg(wholly ? QStringLiteral("it") : QStringLiteral("that part")));
    }

    // The door lines as the writer writes them: from the earlier room, once a pair.
    void checkDoors()
    {
        struct DoorLine {
            int a, b, perm;
        };
        std::vector<DoorLine> lines;
        for (int a = 0; a < defs.rooms.size(); ++a) {
            for (const ScriptDoor& door : defs.rooms[a].doors) {
                if (door.target > a)
                    lines.push_back({a, door.target, door.perm});
            }
        }
        for (const DoorLine& line : lines) {
            const int a = line.a, b = line.b;
            if (b >= defs.rooms.size()) {
                add(GameRule::DoorWithoutEdge, {a},
                    QStringLiteral("Door from room %1 to room %2, which is not in the metaroom: %3")
                        .arg(number(a), number(b), stopsTheScript()));
            } else if (!HasReversedWalls(defs.rooms[a]) && !HasReversedWalls(defs.rooms[b]) &&
                       !ShareEdge(defs.rooms[a], defs.rooms[b])) {
                // A room with reversed walls has its own finding; what the game makes of its
                // doors is not known.
                add(GameRule::DoorWithoutEdge, {a, b},
                    QStringLiteral("Door between rooms %1 and %2, which share no edge: %3")
                        .arg(number(a), number(b), stopsTheScript()));
            }
        }
        for (const DoorLine& line : lines) {
            if (line.perm < 0 || line.perm > MaxPermeability)
                add(GameRule::DoorPermeability, {line.a, line.b},
                    QStringLiteral("Door between rooms %1 and %2 has permeability %3, outside 0 to 100: %4")
                        .arg(number(line.a), number(line.b), QString::number(line.perm), stopsTheScript()));
            doorPairs.emplace_back(line.a, line.b);
        }
        std::sort(doorPairs.begin(), doorPairs.end());
    }

    bool hasDoorLine(int a, int b) const
    {
        return std::binary_search(doorPairs.begin(), doorPairs.end(), std::pair(a, b));
    }

    void checkPairs(const QList<RoomPair>& pairs, GameRule rule)
    {
        for (const RoomPair& p : pairs) {
            const RoomContact& c = p.contact;
            QString what;
            if (rule == GameRule::Overlap && c.overlap)
                what = QStringLiteral("overlap: where they do, the game may take a point to be in either.");
            else if (rule == GameRule::AlmostDoor && c.almost == Meeting::Walls)
                what = QStringLiteral("have walls 1 to 3 pixels apart: the game makes no door between them.");
            else if (rule == GameRule::AlmostDoor && c.almost == Meeting::FloorAndCeiling)
                what = QStringLiteral("have a floor and a ceiling 2 to 3 pixels apart: the game makes no door "
                                      "between them.");
            else if (rule == GameRule::EdgeWithoutDoor && c.sharesEdge() && !hasDoorLine(p.a, p.b))
                what = QStringLiteral("share an edge with no door line: the game makes a door of permeability 100 "
                                      "there.");
            if (!what.isEmpty())
                add(rule, {p.a, p.b}, QStringLiteral("Rooms %1 and %2 %3").arg(number(p.a), number(p.b), what));
        }
    }

    const RoomDefs& defs;
    const QSize picture;
    QList<Finding> findings;
    std::vector<std::pair<int, int>> doorPairs;   // of the door lines, (earlier, later), sorted
};

} // namespace

int GameRoomNumber(const RoomDefs& defs, int position)
{
    return GameRoomNumber(defs.subRoomStartID, position);
}

int GameRoomNumber(int roomBase, int position)
{
    return int(qint64(roomBase) + position);   // wraps, as the door lines do
}

std::optional<int> PositionOfGameRoomNumber(int roomBase, int number, int roomCount)
{
    const quint32 position = quint32(number) - quint32(roomBase);   // undoes the wrap
    if (position >= quint32(std::max(roomCount, 0)))
        return std::nullopt;
    return int(position);
}

bool HasReversedWalls(const ScriptRoom& room)
{
    // A wedge, whose ceiling meets its floor on one wall, is a room.
    return room.xl >= room.xr || room.ytl > room.ybl || room.ytr > room.ybr;
}

RoomContact ContactOf(const ScriptRoom& a, const ScriptRoom& b)
{
    RoomContact contact;
    if (HasReversedWalls(a) || HasReversedWalls(b))
        return contact;
    meetWalls(a, b, contact);
    meetWalls(b, a, contact);
    const Span span = commonX(a, b);
    if (span.hasLength()) {
        meetFloor(a, b, span, contact);
        meetFloor(b, a, span, contact);
        contact.overlap = !contact.sharesEdge() && !whollyBelow(a, b, span) && !whollyBelow(b, a, span);
    }
    if (contact.sharesEdge())
        contact.almost = Meeting::None;
    return contact;
}

bool ShareEdge(const ScriptRoom& a, const ScriptRoom& b)
{
    return ContactOf(a, b).sharesEdge();
}

QList<RoomPair> RoomsInContact(const RoomDefs& defs)
{
    std::vector<int> positions;
    std::vector<Box> boxes;
    for (int i = 0; i < defs.rooms.size(); ++i) {
        if (!HasReversedWalls(defs.rooms[i])) {
            positions.push_back(i);
            boxes.push_back(grownBox(defs.rooms[i]));
        }
    }
    QList<RoomPair> found;
    if (boxes.size() < 2)
        return found;
    // Positions grow with indices, so the pairs stay in order.
    for (const auto& [i, j] : BoxGrid(boxes).pairs()) {
        const int a = positions[size_t(i)];
        const int b = positions[size_t(j)];
        const RoomContact contact = ContactOf(defs.rooms[a], defs.rooms[b]);
        if (contact.any())
            found.append({a, b, contact});
    }
    return found;
}

QList<SharedEdge> SharedEdges(const RoomDefs& defs)
{
    QList<SharedEdge> edges;
    for (const RoomPair& p : RoomsInContact(defs)) {
        if (p.contact.sharesEdge())
            edges.append({p.a, p.b, p.contact.line});
    }
    return edges;
}

QList<Finding> CheckGameRules(const RoomDefs& defs, QSize picture)
{
    return Checker(defs, picture).run();
}
