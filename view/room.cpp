#include "view/room.h"

#include "core/common/errors.h"
#include "core/model/editor.h"
#include "core/render/mappainter.h"
#include "core/rules/mapcolours.h"
#include "view/mapscene.h"
#include "view/roomhandles.h"

#include <QCursor>
#include <QPainter>

using namespace roomhandles;

namespace {

const QColor fuchsia(255, 0, 255);
const QColor blue(0, 0, 255);
const QColor lime(0, 255, 0);

bool isHandle(int part)
{
    return part >= FirstHandle && part <= LastHandle;
}

} // namespace

TDoor::TDoor(TRoom* from, TRoom* target)
    : target(target)
    , from(from)
{
}

int TDoor::permValue() const
{
    return from->document()->doorPerm(from->key(), target->key()).value_or(0);
}

void TDoor::setPermValue(const int& value)
{
    from->SetDoor(target, value);
}

TRoom::TRoom(MetaroomEditor* editor, RoomKey key)
    : doc(editor->document())
    , edits(editor)
    , roomKey(key)
    , shapeNow(doc->room(key).shape)
{
    setFlag(ItemIsSelectable);   // the selected look; the scene sets it from the document
}

TRoom::~TRoom() = default;

const RoomShape& TRoom::roomShape() const
{
    return doc->room(roomKey).shape;
}

// Values of the document

int TRoom::idValue() const { return doc->positionOf(roomKey); }
int TRoom::roomtypeValue() const { return doc->room(roomKey).roomtype; }
QString TRoom::musicValue() const { return doc->room(roomKey).music; }

void TRoom::setRoomtypeValue(const int& value)
{
    edits->setRoomType(roomKey, value);
}

void TRoom::setMusicValue(const QString& value)
{
    edits->setRoomMusic(roomKey, value);
}

// Corners

int TRoom::xl() const { return SaturatedCorner(roomShape().xl); }
int TRoom::xr() const { return SaturatedCorner(roomShape().xr); }
int TRoom::ytl() const { return SaturatedCorner(roomShape().ytl); }
int TRoom::ytr() const { return SaturatedCorner(roomShape().ytr); }
int TRoom::ybl() const { return SaturatedCorner(roomShape().ybl); }
int TRoom::ybr() const { return SaturatedCorner(roomShape().ybr); }

void TRoom::setXl(int value) { setCorner(Corner::LeftWall, value, "Change Left Wall"); }
void TRoom::setXr(int value) { setCorner(Corner::RightWall, value, "Change Right Wall"); }
void TRoom::setYtl(int value) { setCorner(Corner::TopLeft, value, "Change Top Left"); }
void TRoom::setYtr(int value) { setCorner(Corner::TopRight, value, "Change Top Right"); }
void TRoom::setYbl(int value) { setCorner(Corner::BottomLeft, value, "Change Bottom Left"); }
void TRoom::setYbr(int value) { setCorner(Corner::BottomRight, value, "Change Bottom Right"); }

void TRoom::setCorner(Corner corner, int value, const char* text)
{
    RoomShape s = WithCorner(roomShape(), corner, value);
    if (fixed)
        s = AdjustedShape(s, corner, HandleWidth, HandleHeight);
    changeShape(s, QString::fromLatin1(text));
    // A write of a fixed room makes it the selected one, as a click does.
    if (fixed && doc->selection() != roomKey)
        doc->select(roomKey);
}

void TRoom::changeShape(const RoomShape& s, const QString& text)
{
    edits->setRoomShape(roomKey, s, text);
}

int TRoom::left() const { return SaturatedCorner(roomShape().xl - 2); }
int TRoom::top() const { return SaturatedCorner(std::min(roomShape().ytl, roomShape().ytr) - 2); }

void TRoom::setLeft(int value)
{
    const RoomShape& s = roomShape();
    changeShape(Moved(s, qint64(value) - (s.xl - 2), 0), QStringLiteral("Move Room"));
}

void TRoom::setTop(int value)
{
    const RoomShape& s = roomShape();
    changeShape(Moved(s, 0, qint64(value) - (std::min(s.ytl, s.ytr) - 2)), QStringLiteral("Move Room"));
}

void TRoom::followShape()
{
    const RoomShape& s = roomShape();
    if (s == shapeNow)
        return;
    prepareGeometryChange();
    shapeNow = s;
}

// Selection

void TRoom::Select()
{
    // One connection for all rooms, where one for each would cost a load of thousands of
    // rooms a connection made and undone for each.
    if (auto* map = qobject_cast<TMapScene*>(scene()); parentForm && map)
        emit map->roomSelectRequested(this);
    else
        doc->select(roomKey);
}

// Looks

void TRoom::setHoveredHandle(int part)
{
    if (part == hovered)
        return;
    updateHandle(hovered);
    hovered = part;
    updateHandle(hovered);
}

void TRoom::updateHandle(int part)
{
    if (!handlesShown() || !isHandle(part))
        return;
    const qreal r = reach();
    const QPointF centre = handleCentre(shapeNow, part);
    update(QRectF(centre - QPointF(r, r), centre + QPointF(r, r)));
}

int TRoom::partAt(QPoint pixel, const QTransform& toDevice) const
{
    if (handlesShown()) {
        if (const int handle = handleAt(shapeNow, pixel, toDevice))
            return handle;
    }
    return bodyContains(shapeNow, pixel, toDevice) ? BodyPart : NoPart;
}

void TRoom::setScreenScale(qreal scale)
{
    if (scale <= 0 || scale == screenScale)
        return;
    if (handlesShown())
        prepareGeometryChange();
    screenScale = scale;
}

qreal TRoom::reach() const
{
    return Reach / screenScale;
}

QColor TRoom::outlineColor() const
{
    return isSelected() ? fuchsia : mapcolours::roomOutline();
}

QRectF TRoom::boundingRect() const
{
    const QRectF pixels = pixelBounds(shapeNow);
    if (!handlesShown())
        return pixels;
    const qreal r = reach();
    return pixels.adjusted(-r, -r, r, r);
}

void TRoom::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const RoomShape& s = shapeNow;
    const mappainter::RoomOutline outline =
        mappainter::roomOutline(s.xl, s.xr, s.ytl, s.ytr, s.ybl, s.ybr, mappainter::PixelLines::ThroughMiddle);
    if (const auto* map = static_cast<const TMapScene*>(scene()); map && map->roomTypesShown())
        mappainter::drawTypeFill(painter, outline, doc->room(roomKey).roomtype);
    mappainter::drawOutline(painter, outline, outlineColor());
    if (!handlesShown())
        return;

    const QTransform toDevice = painter->worldTransform();
    painter->save();
    painter->resetTransform();
    for (int handle = FirstHandle; handle <= LastHandle; ++handle)
        painter->fillRect(handleBox(shapeNow, handle, toDevice), blue);
    if (isHandle(hovered))   // over the boxes it overlaps
        painter->fillRect(handleBox(shapeNow, hovered, toDevice), lime);
    painter->restore();
}

void TRoom::setCurrent(bool on)
{
    if (on == current)
        return;
    prepareGeometryChange();   // the bounds grow and shrink by the handle boxes
    current = on;
    update();
}

QVariant TRoom::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemSelectedChange) {
        prepareGeometryChange();   // the bounds grow and shrink by the handle boxes
    } else if (change == ItemSelectedHasChanged) {
        hovered = value.toBool() ? BodyPart : NoPart;
        if (value.toBool())
            setCursor(Qt::CrossCursor);
        else
            unsetCursor();
    }
    return QGraphicsObject::itemChange(change, value);
}

// Doors

int TRoom::doorCount() const
{
    return int(doc->room(roomKey).doors.size());
}

void TRoom::SetDoor(TRoom* target, int perm)
{
    if (!target)
        return;
    edits->setDoor(roomKey, target->roomKey, perm);
}

void TRoom::RemoveDoor(TRoom* target)
{
    if (target)
        edits->removeDoor(roomKey, target->roomKey);
}

void TRoom::refreshDoors() const
{
    if (!doorsStale)
        return;
    const auto* map = static_cast<const TMapScene*>(scene());
    doors.clear();
    for (const RoomDoor& d : doc->room(roomKey).doors)
        doors.push_back(std::make_unique<TDoor>(const_cast<TRoom*>(this), map->roomItem(d.target)));
    doorsStale = false;
}

TDoor* TRoom::DoorAt(int index) const
{
    refreshDoors();
    if (index < 0 || index >= int(doors.size()))
        throw ListIndexError();
    return doors[size_t(index)].get();
}

TDoor* TRoom::DoorTo(TRoom* target) const
{
    if (!target)
        return nullptr;
    const int i = doc->doorIndex(roomKey, target->roomKey);
    return i < 0 ? nullptr : DoorAt(i);
}
