#include "core/model/editor.h"

#include "core/common/errors.h"
#include "core/model/neighbours.h"
#include "core/model/steps.h"
#include "core/model/scriptload.h"
#include "core/model/snapshot.h"
#include "core/script/scriptreader.h"
#include "core/rules/gamerules.h"

#include <QUndoStack>
#include <algorithm>
#include <memory>

MetaroomEditor::MetaroomEditor(QObject* parent)
    : QObject(parent)
    , doc(new TMetaroomDocument(this))
    , stack(new QUndoStack(this))
{
    stack->setObjectName(QStringLiteral("UndoStack"));
}

MetaroomEditor::~MetaroomEditor()
{
    // The steps go first, while the document they refer to is still there.
    stack->disconnect();
    delete stack;
    doc->disconnect();
    delete doc;
}

int MetaroomEditor::mergeKeyFor(EditRun& run) const
{
    const int here = stack->index();
    if (run.key == 0 || here != run.index || here == 0 || stack->command(here - 1) != run.top)
        run.key = NewMergeKey();
    return run.key;
}

int MetaroomEditor::newMergeKey()
{
    return NewMergeKey();
}

void MetaroomEditor::continueRun(EditRun& run) const
{
    run.index = stack->index();
    run.top = run.index > 0 ? stack->command(run.index - 1) : nullptr;
}

RoomKey MetaroomEditor::addRoom(const RoomRecord& record, RoomKey linkFrom, int perm)
{
    auto* add = new AddRoomStep(doc, record);
    if (linkFrom == 0) {
        stack->push(add);
        return add->key();
    }
    stack->beginMacro(QStringLiteral("Add Room"));
    stack->push(add);
    stack->push(new SetDoorStep(doc, linkFrom, add->key(), perm, QStringLiteral("Add Door")));
    stack->endMacro();
    return add->key();
}

void MetaroomEditor::deleteRoom(RoomKey key)
{
    if (doc->contains(key))
        stack->push(new DeleteRoomStep(doc, key));
}

void MetaroomEditor::changeRoom(RoomKey key, const RoomRecord& after, const QString& text, int mergeKey)
{
    if (!doc->contains(key))
        return;
    RoomRecord record = after;
    record.doors = doc->room(key).doors;   // doors change only through their own steps
    if (record == doc->room(key))
        return;
    stack->push(new ChangeRoomStep(doc, key, record, text, mergeKey));
}

void MetaroomEditor::setRoomShape(RoomKey key, const RoomShape& shape, const QString& text, int mergeKey)
{
    if (!doc->contains(key))
        return;
    RoomRecord record = doc->room(key);
    record.shape = shape;
    changeRoom(key, record, text, mergeKey);
}

void MetaroomEditor::setRoomType(RoomKey key, int roomtype)
{
    if (!doc->contains(key))
        return;
    RoomRecord record = doc->room(key);
    record.roomtype = roomtype;
    changeRoom(key, record, QStringLiteral("Change Room Type"));
}

void MetaroomEditor::setRoomMusic(RoomKey key, const QString& music)
{
    if (!doc->contains(key))
        return;
    RoomRecord record = doc->room(key);
    record.music = music;
    changeRoom(key, record, QStringLiteral("Change Room Music"));
}

bool MetaroomEditor::changeRooms(const QList<RoomKey>& keys, const std::function<void(RoomRecord&)>& change,
                                 const QString& text, int mergeKey)
{
    QList<std::pair<RoomKey, RoomRecord>> after;
    after.reserve(keys.size());
    QSet<RoomKey> seen;
    for (const RoomKey key : keys) {
        if (!doc->contains(key) || seen.contains(key))
            continue;
        seen.insert(key);
        RoomRecord record = doc->room(key);
        change(record);
        if (!(record == doc->room(key)))
            after.append({key, std::move(record)});
    }
    if (after.isEmpty())
        return false;
    stack->push(new ChangeRoomsStep(doc, after, text, mergeKey));
    return true;
}

bool MetaroomEditor::setRoomsType(const QList<RoomKey>& keys, int roomtype, int mergeKey)
{
    return changeRooms(keys, [roomtype](RoomRecord& r) { r.roomtype = roomtype; }, QStringLiteral("Change Room Type"),
                mergeKey);
}

bool MetaroomEditor::setRoomsMusic(const QList<RoomKey>& keys, const QString& music, int mergeKey)
{
    return changeRooms(keys, [&music](RoomRecord& r) { r.music = music; }, QStringLiteral("Change Room Music"), mergeKey);
}

bool MetaroomEditor::moveRooms(const QList<RoomKey>& keys, qint64 dx, qint64 dy, int mergeKey)
{
    if (dx == 0 && dy == 0)
        return false;
    return changeRooms(keys, [dx, dy](RoomRecord& r) { r.shape = Moved(r.shape, dx, dy); },
                keys.size() == 1 ? QStringLiteral("Move Room") : QStringLiteral("Move Rooms"), mergeKey);
}

void MetaroomEditor::deleteRooms(const QList<RoomKey>& keys)
{
    QList<RoomKey> present;
    QSet<RoomKey> seen;
    for (const RoomKey key : keys) {
        if (doc->contains(key) && !seen.contains(key)) {
            seen.insert(key);
            present.append(key);
        }
    }
    if (!present.isEmpty())
        stack->push(new DeleteRoomsStep(doc, present));
}

void MetaroomEditor::setDoor(RoomKey a, RoomKey b, int perm)
{
    if (!doc->contains(a) || !doc->contains(b))
        return;
    const std::optional<int> now = doc->doorPerm(a, b);
    if (now == perm)
        return;
    stack->push(new SetDoorStep(doc, a, b, perm, now ? QStringLiteral("Update Door") : QStringLiteral("Add Door")));
}

void MetaroomEditor::removeDoor(RoomKey a, RoomKey b)
{
    if (doc->contains(a) && doc->doorIndex(a, b) >= 0)
        stack->push(new RemoveDoorStep(doc, a, b));
}

void MetaroomEditor::setMetaroom(const MetaroomValues& values, const QString& text, int mergeKey)
{
    if (values != doc->metaroom())
        stack->push(new MetaroomStep(doc, values, text, mergeKey));
}

void MetaroomEditor::installPicture(const PictureGrid& grid, QSize surface, const QString& text)
{
    stack->push(new PictureStep(doc, grid, surface, text));
}

// --- Files and the saved state --------------------------------------------------------

namespace {

// A step that replaced the picture and nothing else.
bool picturesOnly(const QUndoCommand* step)
{
    if (dynamic_cast<const PictureStep*>(step))
        return true;
    if (step->childCount() == 0)
        return false;
    for (int i = 0; i < step->childCount(); ++i) {
        if (!picturesOnly(step->child(i)))
            return false;
    }
    return true;
}

mapfiles::PictureKey keyOf(const PictureGrid& grid)
{
    return mapfiles::pictureKey(grid.blocks.get(), grid.columns, grid.rows);
}

} // namespace

bool MetaroomEditor::pictureUnsaved() const
{
    return keyOf(doc->grid()) != savedPicture;
}

bool MetaroomEditor::editsUnsaved() const
{
    // Steps between the clean point and here that only replaced the picture leave the
    // room script as it was (the picture is saved or not on its own).
    if (stack->isClean())
        return false;
    const int clean = stack->cleanIndex();
    if (clean < 0)
        return true;
    const int here = stack->index();
    for (int i = std::min(clean, here); i < std::max(clean, here); ++i) {
        if (!picturesOnly(stack->command(i)))
            return true;
    }
    return false;
}

void MetaroomEditor::keepScriptSavedThrough(const std::function<void()>& change)
{
    const bool saved = !editsUnsaved();
    change();
    if (saved)
        stack->setClean();
}

void MetaroomEditor::takePictureAsSaved()
{
    savedPicture = keyOf(doc->grid());
}

void MetaroomEditor::openBackground(const PictureGrid& grid, QSize surface, const QString& path, bool nameIt)
{
    keepScriptSavedThrough([&] {
        const QString text = QStringLiteral("Open");
        MetaroomValues named = doc->metaroom();
        named.filename = path;
        if (!nameIt || named == doc->metaroom()) {
            stack->push(new PictureStep(doc, grid, surface, text));
            return;
        }
        stack->beginMacro(text);
        stack->push(new PictureStep(doc, grid, surface, text));
        stack->push(new MetaroomStep(doc, named, QStringLiteral("Change Metaroom Filename")));
        stack->endMacro();
    });
    backgroundPath = path;
    takePictureAsSaved();
    emit filesChanged();
}

void MetaroomEditor::backgroundSaved(const QString& path)
{
    doc->takeSavedOffsets();
    backgroundPath = path;
    takePictureAsSaved();
    emit filesChanged();
}

void MetaroomEditor::setBackgroundName(const QString& path)
{
    MetaroomValues named = doc->metaroom();
    named.filename = path;
    keepScriptSavedThrough([&] { setMetaroom(named, QStringLiteral("Change Metaroom Filename")); });
}

void MetaroomEditor::pictureImported(const QString& path)
{
    // Saving it must not write over the file of the picture it replaced.
    backgroundPath.clear();
    importedPath = path;
    imported = keyOf(doc->grid());
    emit filesChanged();
}

QString MetaroomEditor::importedPicture() const
{
    return keyOf(doc->grid()) == imported ? importedPath : QString();
}

void MetaroomEditor::roomFileRead(const QString& path, bool intoEmptyMap)
{
    if (intoEmptyMap) {
        roomPath = path;
        stack->setClean();
    } else {
        // The script's rooms joined the map's own: what it holds now is saved nowhere.
        stack->resetClean();
    }
    emit filesChanged();
}

void MetaroomEditor::roomFileWritten(const QString& path)
{
    roomPath = path;
    stack->setClean();
    emit filesChanged();
}

void MetaroomEditor::newMap(QSize surface)
{
    // A new map is no step: the stack goes with the old one. Last room first, so no room
    // behind it moves up.
    stack->clear();
    while (doc->roomCount() > 0)
        doc->removeRoom(doc->roomAt(doc->roomCount() - 1));
    doc->setGrid({});
    doc->setSurfaceSize(surface);
    doc->setMetaroom({});
    roomPath.clear();
    backgroundPath.clear();
    takePictureAsSaved();
    emit filesChanged();
}

RoomKey MetaroomEditor::splitRoom(RoomKey key, Qt::Orientation cut, qint64 x, qint64 y, int perm)
{
    if (!doc->contains(key))
        return 0;
    const RoomRecord whole = doc->room(key);
    const auto parts =
        cut == Qt::Vertical ? SplitVertically(whole.shape, x) : SplitHorizontally(whole.shape, x, y);
    if (!parts)
        throw PlsdError(QStringLiteral("The room cannot be split there: one part would have no room left"));

    stack->beginMacro(cut == Qt::Vertical ? QStringLiteral("Split Room Vertically")
                                          : QStringLiteral("Split Room Horizontally"));
    RoomRecord first = whole;
    first.shape = parts->first;
    stack->push(new ChangeRoomStep(doc, key, first, QString()));
    RoomRecord second = whole;
    second.shape = parts->second;
    second.doors.clear();
    auto* add = new AddRoomStep(doc, second, doc->positionOf(key) + 1, false);
    stack->push(add);
    const RoomKey other = add->key();
    for (const RoomDoor& door : whole.doors) {
        if (door.target == key)
            continue;
        const RoomShape& beyond = doc->room(door.target).shape;
        const bool firstShares = ShapesShareEdge(parts->first, beyond);
        if (ShapesShareEdge(parts->second, beyond)) {
            stack->push(new SetDoorStep(doc, other, door.target, door.perm, QString()));
            if (!firstShares)
                stack->push(new RemoveDoorStep(doc, key, door.target));
        }
    }
    stack->push(new SetDoorStep(doc, key, other, perm, QString()));
    stack->endMacro();
    return other;
}

RoomKey MetaroomEditor::addRoomBeyond(RoomKey key, RoomSide side)
{
    if (!doc->contains(key))
        return 0;
    QList<RoomShape> others;
    for (const RoomKey k : doc->rooms()) {
        if (k != key)
            others.append(doc->room(k).shape);
    }
    const QSize picture = PictureSize(doc->grid());
    const QRect area(QPoint(0, 0), picture.isEmpty() ? doc->surfaceSize() : picture);
    const std::optional<RoomShape> shape = ShapeBeyond(doc->room(key).shape, side, others, area);
    if (!shape)
        throw PlsdError(QStringLiteral("There is no space for a room beyond this side"));
    RoomRecord record;
    record.shape = *shape;
    record.roomtype = doc->room(key).roomtype;
    auto* add = new AddRoomStep(doc, record);
    add->setText(QStringLiteral("Add Room Beyond"));
    stack->push(add);
    return add->key();
}

int MetaroomEditor::doorsOnAllSharedEdges(int perm)
{
    const RoomDefs defs = ToRoomDefs(*doc);
    QList<std::pair<RoomKey, RoomKey>> missing;
    for (const SharedEdge& edge : SharedEdges(defs)) {
        const RoomKey a = doc->roomAt(edge.a), b = doc->roomAt(edge.b);
        if (doc->doorIndex(a, b) < 0)
            missing.append({a, b});
    }
    if (missing.isEmpty())
        return 0;
    stack->beginMacro(QStringLiteral("Doors on All Shared Edges"));
    for (const auto& [a, b] : missing)
        stack->push(new SetDoorStep(doc, a, b, perm, QString()));
    stack->endMacro();
    return int(missing.size());
}

namespace {

// Carries out a part of the load's step at once, so later parts see what earlier ones made.
template <typename Part>
Part* apply(Part* part)
{
    part->redo();
    return part;
}

} // namespace

namespace {

// What a read script holds added as one step; with `replace`, the rooms there were and
// the metaroom values (but the background's file name) go in the same step.
RoomKey applyScriptStep(TMetaroomDocument* doc, QUndoStack* stack, const ScriptContent& content, bool replace,
                        const QString& text)
{
    auto step = std::make_unique<AppliedStep>(text);
    QList<RoomKey> made;
    try {
        MetaroomValues before = doc->metaroom();
        if (replace) {
            for (int i = doc->roomCount() - 1; i >= 0; --i)
                apply(new DeleteRoomStep(doc, doc->roomAt(i), step.get()));
            before = MetaroomValues{};
            before.filename = doc->metaroom().filename;
        }
        const QList<RoomKey> existing = doc->rooms();
        made.reserve(content.rooms.size());
        for (const ReadRoom& room : content.rooms) {
            // In place of the rooms there were, the last room read is the selected one.
            const bool selectIt = replace && made.size() == content.rooms.size() - 1;
            made.append(apply(new AddRoomStep(doc, RoomFromScript(room), -1, selectIt, step.get()))->key());
        }
        const auto keyOf = [&](const RoomRef& ref) { return ref.inScript ? made[ref.index] : existing[ref.index]; };
        for (const ReadDoor& door : content.doors)
            apply(new SetDoorStep(doc, keyOf(door.first), keyOf(door.second), door.perm, QString(), step.get()));
        const MetaroomValues values = MetaroomAfterLoad(before, content);
        if (values != doc->metaroom())
            apply(new MetaroomStep(doc, values, QString(), 0, step.get()));
        const QSize size(content.panelWidth, content.panelHeight);
        if (size != doc->surfaceSize())
            apply(new SurfaceSizeStep(doc, size, step.get()));
    } catch (...) {
        step->undo();   // all or nothing
        throw;
    }
    if (step->childCount() > 0)
        stack->push(step.release());
    return made.isEmpty() ? 0 : made.last();
}

} // namespace

RoomKey MetaroomEditor::applyScript(const ScriptContent& content)
{
    return applyScriptStep(doc, stack, content, false, QStringLiteral("Load Room Defs"));
}

RoomKey MetaroomEditor::replaceWithScript(const ScriptContent& content)
{
    return applyScriptStep(doc, stack, content, true, QStringLiteral("Open Room Defs"));
}
