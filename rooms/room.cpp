#include "rooms/room.h"

#include "app/application.h"
#include "core/common/errors.h"
#include "app/main.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

// The widget never reaches further than this from Panel's origin: a picture is at most
// 65535 blocks of 128 pixels across, so Panel lies well inside, and a widget of this
// size stays within Qt's limits.
constexpr qint64 widgetReachLow = -(qint64(1) << 23) + 1;
constexpr qint64 widgetReachHigh = qint64(1) << 23;

int saturated(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Start and length of the part of [start, start + length) that the widget covers.
std::pair<int, int> widgetSpan(qint64 start, qint64 length)
{
    const qint64 low = std::clamp(start, widgetReachLow, widgetReachHigh);
    const qint64 high = std::clamp(start + std::max<qint64>(length, 0), widgetReachLow, widgetReachHigh);
    return {int(low), int(high - low)};
}

// Cuts the segment a-b to the rectangle; false when nothing of it is inside.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return false;
    const QPointF start = a;
    a = start + QPointF(dx, dy) * t0;
    b = start + QPointF(dx, dy) * t1;
    return true;
}

// A line three pixels wide: three one-pixel lines side by side, across the line's main
// direction. Much quicker than a wide pen, which goes through a path fill.
void drawWideLine(QPainter& painter, QPointF from, QPointF to, const QRectF& reach)
{
    if (!clipSegment(from, to, reach))
        return;
    const QPoint a = from.toPoint();
    const QPoint b = to.toPoint();
    const QPoint across = std::abs(b.y() - a.y()) <= std::abs(b.x() - a.x()) ? QPoint(0, 1) : QPoint(1, 0);
    for (int k = -1; k <= 1; ++k)
        painter.drawLine(a + k * across, b + k * across);
}

const QColor fuchsia(255, 0, 255);
const QColor white(255, 255, 255);
const QColor blue(0, 0, 255);
const QColor lime(0, 255, 0);

} // namespace

TRoom::TRoom(QWidget* owner)
    : QWidget(owner)
{
    Width = 100;
    Height = 100;
    HandleWidth = 5;
    HandleHeight = 5;
    edgeL = 0;
    edgeR = Width;
    edgeTL = 0;
    edgeTR = 0;
    edgeBL = Height;
    edgeBR = Height;
    placeWidget();
    setMouseTracking(true);
    setVisible(true);
}

TRoom::~TRoom()
{
    // No room may keep a door to a room that is gone: the doors that lead here go first.
    for (TRoom* from : std::as_const(doorsIn)) {
        if (from != this)
            from->forgetDoorTo(this);
    }
    for (const auto& door : doors) {
        if (door->target != this)
            door->target->doorsIn.removeOne(this);
    }
}

// Corners

int TRoom::xl() const { return saturated(Left + edgeL + 2); }
int TRoom::xr() const { return saturated(Left + edgeR - 3); }
int TRoom::ytl() const { return saturated(Top + edgeTL + 2); }
int TRoom::ytr() const { return saturated(Top + edgeTR + 2); }
int TRoom::ybl() const { return saturated(Top + edgeBL - 3); }
int TRoom::ybr() const { return saturated(Top + edgeBR - 3); }

void TRoom::setXl(int value) { setCorner(edgeL, qint64(value) - Left - 2, LeftWall); }
void TRoom::setXr(int value) { setCorner(edgeR, qint64(value) - Left + 3, RightWall); }
void TRoom::setYtl(int value) { setCorner(edgeTL, qint64(value) - Top - 2, TopLeft); }
void TRoom::setYtr(int value) { setCorner(edgeTR, qint64(value) - Top - 2, TopRight); }
void TRoom::setYbl(int value) { setCorner(edgeBL, qint64(value) - Top + 3, BottomLeft); }
void TRoom::setYbr(int value) { setCorner(edgeBR, qint64(value) - Top + 3, BottomRight); }

void TRoom::setCorner(qint64& edge, qint64 value, Handle code)
{
    edge = value;
    dragHandle = code;
    AdjustShape();
}

int TRoom::left() const { return saturated(Left); }
int TRoom::top() const { return saturated(Top); }

void TRoom::setLeft(int value)
{
    Left = value;
    placeWidget();
}

void TRoom::setTop(int value)
{
    Top = value;
    placeWidget();
}

// Shape

void TRoom::AdjustShape()
{
    if (!fixed)
        return;
    // Only the side that moved is held back, at the minimum distance from the other.
    const qint64 w2 = 2 * qint64(HandleWidth);
    const qint64 h2 = 2 * qint64(HandleHeight);
    if (edgeR - w2 < edgeL && dragHandle == LeftWall)
        edgeL = edgeR - w2;
    else if (edgeR - w2 < edgeL && dragHandle == RightWall)
        edgeR = edgeL + w2;
    else if (edgeBL - h2 < edgeTL && dragHandle == TopLeft)
        edgeTL = edgeBL - h2;
    else if (edgeBL - h2 < edgeTL && dragHandle == BottomLeft)
        edgeBL = edgeTL + h2;
    else if (edgeBR - h2 < edgeTR && dragHandle == TopRight)
        edgeTR = edgeBR - h2;
    else if (edgeBR - h2 < edgeTR && dragHandle == BottomRight)
        edgeBR = edgeTR + h2;
    FitBounds();
    if (parentForm)
        parentForm->SelectRoom(this);
    repaint();
}

void TRoom::FitBounds()
{
    if (edgeL != 0) {
        Left += edgeL;
        Width -= edgeL;
        edgeR -= edgeL;
        edgeL = 0;
    }
    if (Width != edgeR)
        Width = edgeR;
    if ((edgeTL != 0 && edgeTL <= edgeTR) || edgeTL < 0) {
        const qint64 d = edgeTL;
        Top += d;
        Height -= d;
        edgeTR -= d;
        edgeBL -= d;
        edgeBR -= d;
        edgeTL = 0;
    }
    if ((edgeTR != 0 && edgeTR <= edgeTL) || edgeTR < 0) {
        const qint64 d = edgeTR;
        Top += d;
        Height -= d;
        edgeTL -= d;
        edgeBL -= d;
        edgeBR -= d;
        edgeTR = 0;
    }
    if ((Height != edgeBL && edgeBL >= edgeBR) || Height < edgeBL)
        Height = edgeBL;
    if ((Height != edgeBR && edgeBR >= edgeBL) || Height < edgeBR)
        Height = edgeBR;
    placeWidget();
}

void TRoom::placeWidget()
{
    const auto [x, w] = widgetSpan(Left, Width);
    const auto [y, h] = widgetSpan(Top, Height);
    shiftX = x - Left;
    shiftY = y - Top;
    setGeometry(x, y, w, h);
}

// Selection

void TRoom::Select()
{
    outlineColor = fuchsia;
    setCursor(Qt::CrossCursor);
    raise();
    if (parentForm)
        parentForm->SelectRoom(this);
    hotHandle = Body;
    selected = true;
    repaint();
}

void TRoom::Deselect()
{
    unsetCursor();
    capture = false;
    outlineColor = white;
    hotHandle = NoHandle;
    dragHandle = NoHandle;
    selected = false;
    repaint();
}

// Painting

TRoom::Box TRoom::handleBox(int code) const
{
    const qint64 hw = HandleWidth;
    const qint64 hh = HandleHeight;
    const qint64 midL = edgeTL + (edgeBL - edgeTL) / 2;
    const qint64 midR = edgeTR + (edgeBR - edgeTR) / 2;
    switch (code) {
    case TopLeft: return {edgeL, edgeTL, edgeL + hw, edgeTL + hh};
    case LeftWall: return {edgeL, midL, edgeL + hw, midL + hh};
    case BottomLeft: return {edgeL, edgeBL - hh, edgeL + hw, edgeBL};
    case TopRight: return {edgeR - hw, edgeTR, edgeR, edgeTR + hh};
    case RightWall: return {edgeR - hw, midR, edgeR, midR + hh};
    case BottomRight: return {edgeR - hw, edgeBR - hh, edgeR, edgeBR};
    default: return {0, 0, 0, 0};
    }
}

TRoom::Box TRoom::wallStrip(qint64 x, qint64 y1, qint64 y2)
{
    return {x - 1, std::min(y1, y2) - 1, x + 2, std::max(y1, y2) + 2};
}

QRect TRoom::widgetRect(const Box& box) const
{
    // One pixel of slack around the widget is enough to keep what shows inside it.
    const qint64 l = std::max<qint64>(box.left - shiftX, -1);
    const qint64 t = std::max<qint64>(box.top - shiftY, -1);
    const qint64 r = std::min<qint64>(box.right - shiftX, qint64(width()) + 1);
    const qint64 b = std::min<qint64>(box.bottom - shiftY, qint64(height()) + 1);
    if (l >= r || t >= b)
        return {};
    return QRect(int(l), int(t), int(r - l), int(b - t));
}

void TRoom::paintEvent(QPaintEvent*)
{
    QPainter painter(this);

    // The outline, three pixels wide: the walls as filled strips, which also cover the
    // corners, and the top and bottom lines between them.
    const QColor colour = selected ? outlineColor : white;
    const qint64 leftX = edgeL + 2;
    const qint64 rightX = edgeR - 3;
    painter.fillRect(widgetRect(wallStrip(leftX, edgeTL + 2, edgeBL - 3)), colour);
    painter.fillRect(widgetRect(wallStrip(rightX, edgeTR + 2, edgeBR - 3)), colour);
    painter.setPen(QPen(colour, 0));
    const QRectF reach = QRectF(rect()).adjusted(-3, -3, 3, 3);
    auto at = [this](qint64 x, qint64 y) { return QPointF(double(x - shiftX), double(y - shiftY)); };
    drawWideLine(painter, at(leftX, edgeBL - 3), at(rightX, edgeBR - 3), reach);
    drawWideLine(painter, at(rightX, edgeTR + 2), at(leftX, edgeTL + 2), reach);

    if (!selected)
        return;
    for (int code = TopLeft; code <= BottomRight; ++code)
        painter.fillRect(widgetRect(handleBox(code)), blue);
    if (hotHandle >= TopLeft && hotHandle <= BottomRight)
        painter.fillRect(widgetRect(handleBox(hotHandle)), lime);
}

void TRoom::setHotHandle(int code)
{
    if (code == hotHandle)
        return;
    QRegion changed;
    for (int box : {hotHandle, code}) {
        if (box >= TopLeft && box <= BottomRight)
            changed += widgetRect(handleBox(box));
    }
    hotHandle = code;
    if (!changed.isEmpty())
        repaint(changed);
}

// Mouse

int TRoom::hitTest(Point p) const
{
    for (int code = TopLeft; code <= BottomRight; ++code) {
        const Box box = handleBox(code);
        if (box.left < p.x && p.x < box.right && box.top < p.y && p.y < box.bottom)
            return code;
    }
    return Body;
}

bool TRoom::contains(Point p) const
{
    return p.x >= 0 && p.x < Width && p.y >= 0 && p.y < Height;
}

TRoom::Point TRoom::controlPoint(const QMouseEvent* event) const
{
    const QPoint at = event->position().toPoint();
    return {at.x() + shiftX, at.y() + shiftY};
}

bool TRoom::isTopmostUnder(const QMouseEvent* event) const
{
    const QWidget* owner = parentWidget();
    return owner && owner->childAt(mapToParent(event->position().toPoint())) == this;
}

void TRoom::mousePressEvent(QMouseEvent* event)
{
    capture = true;   // Qt hands every mouse event to this room until the buttons are up
    if (event->button() != Qt::LeftButton)
        return;
    clickPending = true;
    if (selected) {
        const Point p = controlPoint(event);
        grabX = p.x;
        grabY = p.y;
        dragHandle = hotHandle;
        dragging = true;
    }
}

// The mouse handlers report their errors themselves: an error must not cross Qt's event
// delivery, which would leave its copy of the event and its mouse state half-done.
void TRoom::mouseMoveEvent(QMouseEvent* event)
{
    plsd::runGuarded([&] { handleMouseMove(event); });
}

void TRoom::handleMouseMove(const QMouseEvent* event)
{
    // Once the room has let the mouse go, it hears it again only over itself.
    if (event->buttons() != Qt::NoButton && !capture && !isTopmostUnder(event))
        return;
    const Point p = controlPoint(event);
    // While a box is dragged it stays the hot one, and the reshape repaints the room.
    const bool reshaping = dragging && dragHandle > NoHandle && dragHandle != Body;
    if (selected && !reshaping)
        setHotHandle(hitTest(p));
    if (dragging && dragHandle == Body)
        moveWithMouse(event);
    else if (dragging && dragHandle > NoHandle)
        reshapeWithMouse(p);
    else if (p.x < 0 || p.x > Width || p.y < 0 || p.y > Height)
        loseCapture();
}

void TRoom::moveWithMouse(const QMouseEvent* event)
{
    // The grab point stays under the mouse; nothing keeps the room on the picture.
    const QPoint onPanel = mapToParent(event->position().toPoint());
    Left = onPanel.x() - grabX;
    Top = onPanel.y() - grabY;
    placeWidget();
    if (parentForm)
        parentForm->SelectRoom(this);
}

void TRoom::reshapeWithMouse(Point p)
{
    hotHandle = dragHandle;
    switch (dragHandle) {
    case TopLeft: edgeTL = p.y; break;
    case LeftWall: edgeL = p.x; break;
    case BottomLeft: edgeBL = p.y; break;
    case TopRight: edgeTR = p.y; break;
    case RightWall: edgeR = p.x; break;
    case BottomRight: edgeBR = p.y; break;
    default: return;
    }
    AdjustShape();
}

void TRoom::loseCapture()
{
    outlineColor = white;
    hotHandle = NoHandle;
    repaint();
    capture = false;
}

void TRoom::mouseReleaseEvent(QMouseEvent* event)
{
    plsd::runGuarded([&] { handleMouseRelease(event); });
}

void TRoom::handleMouseRelease(const QMouseEvent* event)
{
    const bool overRoom = capture || isTopmostUnder(event);
    const bool click = event->button() == Qt::LeftButton && clickPending && overRoom && contains(controlPoint(event));
    if (event->buttons() == Qt::NoButton)
        capture = false;
    if (event->button() == Qt::LeftButton)
        clickPending = false;
    // The drag ends before the click selects, so an error raised by the selection
    // cannot leave a drag running without a button.
    dragging = false;
    if (click)
        Select();
}

// Doors

int TRoom::doorCount() const
{
    return int(doors.size());
}

qsizetype TRoom::indexOfDoorTo(const TRoom* target) const
{
    for (size_t i = 0; i < doors.size(); ++i) {
        if (doors[i]->target == target)
            return qsizetype(i);
    }
    return -1;
}

void TRoom::SetDoor(TRoom* target, int perm)
{
    if (!target)
        return;
    if (TDoor* door = DoorTo(target)) {
        door->perm = perm;
        return;
    }
    auto door = std::make_unique<TDoor>();
    door->perm = perm;
    door->target = target;
    doors.push_back(std::move(door));
    target->doorsIn.append(this);
}

void TRoom::RemoveDoor(TRoom* target)
{
    if (indexOfDoorTo(target) < 0)
        return;
    forgetDoorTo(target);
    target->doorsIn.removeOne(this);
    // Our door is gone already, so the call back finds nothing and stops.
    target->RemoveDoor(this);
}

void TRoom::forgetDoorTo(TRoom* target)
{
    const qsizetype i = indexOfDoorTo(target);
    if (i >= 0)
        doors.erase(doors.begin() + i);
}

TDoor* TRoom::DoorAt(int index) const
{
    if (index < 0 || index >= doorCount())
        throw ListIndexError();
    return doors[size_t(index)].get();
}

TDoor* TRoom::DoorTo(TRoom* target) const
{
    const qsizetype i = indexOfDoorTo(target);
    return i < 0 ? nullptr : doors[size_t(i)].get();
}
