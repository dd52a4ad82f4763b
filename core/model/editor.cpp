#include "core/model/editor.h"

#include "core/common/errors.h"
#include "core/model/steps.h"
#include "core/model/scriptload.h"
#include "core/model/snapshot.h"
#include "core/script/scriptreader.h"
#include "core/rules/gamerules.h"

#include <QUndoStack>
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

namespace {

bool shareEdge(const RoomShape& a, const RoomShape& b)
{
    return ShareEdge(ScriptRoomOf(a), ScriptRoomOf(b));
}

} // namespace

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
        const bool firstShares = shareEdge(parts->first, beyond);
        if (shareEdge(parts->second, beyond)) {
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
