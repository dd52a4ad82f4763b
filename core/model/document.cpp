#include "core/model/document.h"

#include "core/background/blkformat.h"
#include "core/common/errors.h"

#include <algorithm>

TMetaroomDocument::TMetaroomDocument(QObject* parent)
    : QObject(parent)
{
}

TMetaroomDocument::~TMetaroomDocument() = default;

TMetaroomDocument::Entry& TMetaroomDocument::entry(RoomKey key)
{
    const auto it = entries.find(key);
    if (it == entries.end())
        throw ListIndexError();
    return *it;
}

const RoomRecord& TMetaroomDocument::room(RoomKey key) const
{
    const auto it = entries.constFind(key);
    if (it == entries.cend())
        throw ListIndexError();
    return it->record;
}

RoomKey TMetaroomDocument::roomAt(int position) const
{
    return position >= 0 && position < order.size() ? order[position] : 0;
}

int TMetaroomDocument::positionOf(RoomKey key) const
{
    const auto it = entries.constFind(key);
    return it == entries.cend() ? -1 : it->position;
}

int TMetaroomDocument::doorIndex(RoomKey from, RoomKey to) const
{
    const auto it = entries.constFind(from);
    if (it == entries.cend())
        return -1;
    const QList<RoomDoor>& doors = it->record.doors;
    for (int i = 0; i < doors.size(); ++i) {
        if (doors[i].target == to)
            return i;
    }
    return -1;
}

std::optional<int> TMetaroomDocument::doorPerm(RoomKey from, RoomKey to) const
{
    const int i = doorIndex(from, to);
    if (i < 0)
        return std::nullopt;
    return entries.constFind(from)->record.doors[i].perm;
}

void TMetaroomDocument::boxNewRooms() const
{
    for (const RoomKey key : std::as_const(unboxed)) {
        if (const auto e = entries.constFind(key); e != entries.cend())
            boxes.insert(key, RoomBox(e->record.shape));
    }
    unboxed.clear();
}

QList<RoomKey> TMetaroomDocument::roomsMeeting(const GridIndex::Box& box) const
{
    boxNewRooms();
    QList<RoomKey> found;
    for (const quint64 key : boxes.find(box))
        found.append(RoomKey(key));
    return found;
}

void TMetaroomDocument::sortByPosition(QList<RoomKey>& keys) const
{
    std::sort(keys.begin(), keys.end(), [this](RoomKey a, RoomKey b) { return positionOf(a) < positionOf(b); });
}

void TMetaroomDocument::renumberFrom(int position)
{
    for (int i = position; i < order.size(); ++i)
        entries[order[i]].position = i;
}

// The record comes by value: one of this map's own may be given, and the table may grow.
RoomKey TMetaroomDocument::insertRoom(int position, RoomRecord record, RoomKey key)
{
    if (position < 0 || position > order.size() || (key != 0 && entries.contains(key)))
        throw ListIndexError();
    if (key == 0)
        key = ++lastKey;
    else if (key > lastKey)
        lastKey = key;
    Entry& e = entries[key];   // made in place: a load puts in thousands
    e.record = std::move(record);
    e.record.doors.clear();
    e.position = position;
    unboxed.append(key);
    order.insert(position, key);
    renumberFrom(position + 1);
    emit roomInserted(position, key);
    return key;
}

void TMetaroomDocument::beginChanges()
{
    if (changeDepth++ == 0)
        emit changesBegun();
}

void TMetaroomDocument::endChanges()
{
    Q_ASSERT(changeDepth > 0);
    if (changeDepth > 0 && --changeDepth == 0)
        emit changesEnded();
}

void TMetaroomDocument::removeRoom(RoomKey key)
{
    Entry& e = entry(key);
    // Doors go first, each pair announced while both rooms are still there.
    while (!e.record.doors.isEmpty())
        removeDoor(key, e.record.doors.last().target);
    const int position = e.position;
    order.removeAt(position);
    entries.remove(key);
    boxes.remove(key);
    renumberFrom(position);
    emit roomRemoved(position, key);
    if (selected == key)
        setSelection({roomAt(0)}, roomAt(0));
    else if (chosenSet.contains(key))
        setSelection(chosen, selected);
}

void TMetaroomDocument::setShape(RoomKey key, const RoomShape& shape)
{
    RoomRecord& r = entry(key).record;
    if (r.shape == shape)
        return;
    r.shape = shape;
    if (boxes.contains(key))   // else it waits to be boxed
        boxes.insert(key, RoomBox(shape));
    emit roomChanged(key, ShapeChanged);
}

void TMetaroomDocument::setRoomType(RoomKey key, int roomtype)
{
    RoomRecord& r = entry(key).record;
    if (r.roomtype == roomtype)
        return;
    r.roomtype = roomtype;
    emit roomChanged(key, TypeChanged);
}

void TMetaroomDocument::setMusic(RoomKey key, const QString& music)
{
    RoomRecord& r = entry(key).record;
    if (r.music == music)
        return;
    r.music = music;
    emit roomChanged(key, MusicChanged);
}

void TMetaroomDocument::setLevels(RoomKey key, const CaLevels& levels)
{
    RoomRecord& r = entry(key).record;
    if (r.levels == levels)
        return;
    r.levels = levels;
    emit roomChanged(key, LevelsChanged);
}

void TMetaroomDocument::setDoor(RoomKey a, RoomKey b, int perm)
{
    RoomRecord& ra = entry(a).record;
    RoomRecord& rb = entry(b).record;
    const int ia = doorIndex(a, b);
    if (ia >= 0) {
        ra.doors[ia].perm = perm;
        if (a != b)
            rb.doors[doorIndex(b, a)].perm = perm;
    } else {
        ra.doors.append({b, perm});
        if (a != b)
            rb.doors.append({a, perm});
    }
    emit doorsChanged(a, b);
}

void TMetaroomDocument::insertDoor(RoomKey a, int indexInA, RoomKey b, int indexInB, int perm)
{
    RoomRecord& ra = entry(a).record;
    RoomRecord& rb = entry(b).record;
    if (doorIndex(a, b) >= 0 || indexInA < 0 || indexInA > ra.doors.size())
        throw ListIndexError();
    if (a != b && (indexInB < 0 || indexInB > rb.doors.size()))
        throw ListIndexError();
    ra.doors.insert(indexInA, {b, perm});
    if (a != b)
        rb.doors.insert(indexInB, {a, perm});
    emit doorsChanged(a, b);
}

void TMetaroomDocument::dropDoorRecord(RoomKey from, RoomKey to)
{
    const int i = doorIndex(from, to);
    if (i >= 0)
        entry(from).record.doors.removeAt(i);
}

void TMetaroomDocument::removeDoor(RoomKey a, RoomKey b)
{
    if (doorIndex(a, b) < 0)
        return;
    dropDoorRecord(a, b);
    dropDoorRecord(b, a);
    emit doorsChanged(a, b);
}

void TMetaroomDocument::setMetaroom(const MetaroomValues& newValues)
{
    if (values == newValues)
        return;
    const MetaroomValues before = values;
    values = newValues;
    emit metaroomChanged(before);
}

void TMetaroomDocument::setGrid(const PictureGrid& grid)
{
    if (picture == grid)
        return;
    picture = grid;
    emit gridReplaced();
}

void TMetaroomDocument::setSurfaceSize(QSize size)
{
    if (surface == size)
        return;
    surface = size;
    emit surfaceSizeChanged(size);
}

void TMetaroomDocument::takeSavedOffsets()
{
    if (!picture.blocks)
        return;
    blk::takeSavedOffsets(*picture.blocks);
    emit blockOffsetsChanged();
}

void TMetaroomDocument::select(RoomKey key)
{
    if (key != 0 && !entries.contains(key))
        return;
    setSelection({key}, key);
}

void TMetaroomDocument::toggleSelected(RoomKey key)
{
    if (!entries.contains(key))
        return;
    QList<RoomKey> keys = chosen;
    if (keys.removeOne(key)) {
        setSelection(keys, key == selected ? keys.value(keys.size() - 1) : selected);
        return;
    }
    keys.append(key);
    setSelection(keys, key);
}

void TMetaroomDocument::selectRooms(const QList<RoomKey>& keys, RoomKey current)
{
    setSelection(keys, current);
}

// The one writer of the selection: rooms not in the map and repeats are dropped, and the
// current room is one of the selected ones.
void TMetaroomDocument::setSelection(QList<RoomKey> keys, RoomKey current)
{
    QSet<RoomKey> seen;
    seen.reserve(keys.size());
    keys.removeIf([&](RoomKey k) {
        if (k == 0 || !entries.contains(k) || seen.contains(k))
            return true;
        seen.insert(k);
        return false;
    });
    if (!seen.contains(current))
        current = keys.value(keys.size() - 1);
    const RoomKey before = selected;
    if (!std::equal(keys.begin(), keys.end(), chosen.begin(), chosen.end())) {
        const QList<RoomKey> chosenBefore = chosen;
        chosen = std::move(keys);
        chosenSet = std::move(seen);
        selected = current;
        emit selectedRoomsChanged(chosen, chosenBefore);
    }
    selected = current;
    if (current != before)
        emit selectionChanged(current, before);
}
