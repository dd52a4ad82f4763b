#include "view/mapview.h"

#include "view/mapscene.h"
#include "view/room.h"

#include "core/render/mappainter.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>

namespace zoomsteps {

namespace {

const qreal steps[] = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1,
                       1.5,      2,        3,       4,       6,       8,       12,      16};
// A zoom less than this much away from a step is on it: a zoom in or out always changes
// the size of what is shown by more than that.
constexpr qreal slack = 0.05;

} // namespace

qreal above(qreal zoom)
{
    for (const qreal step : steps) {
        if (step > zoom * (1 + slack))
            return step;
    }
    return Largest;
}

qreal below(qreal zoom)
{
    for (auto it = std::rbegin(steps); it != std::rend(steps); ++it) {
        if (*it < zoom * (1 - slack))
            return *it;
    }
    return Smallest;
}

} // namespace zoomsteps

namespace {

// One step of a mouse wheel, in eighths of a degree.
constexpr int wheelStep = 120;

// The type legend: its margin inside and its distance from the window's corner.
constexpr int legendPadding = 6;
constexpr int legendOffset = 8;

std::set<int> typesInUse(const TMetaroomDocument& doc)
{
    std::set<int> used;
    for (const RoomKey key : doc.rooms())
        used.insert(doc.room(key).roomtype);
    return used;
}

} // namespace

TMapView::TMapView(TMapScene* scene, QWidget* parent)
    : QGraphicsView(scene, parent)
    , mapScene(scene)
{
    // Every item sets what it paints with and draws without antialiasing.
    setOptimizationFlags(DontSavePainterState | DontAdjustForAntialiasing);
    // One rectangle around all that changed: painting through a clip of several
    // rectangles costs Qt far more than the few pixels it saves.
    setViewportUpdateMode(BoundingRectViewportUpdate);
    setTransformationAnchor(AnchorViewCenter);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);   // the selected room shows the handle under the mouse
    viewport()->setBackgroundRole(QPalette::Window);   // around the picture, as around a panel
    mapScene->setScreenScale(scale);

    const TMetaroomDocument* doc = mapScene->document();
    connect(doc, &TMetaroomDocument::roomInserted, this, &TMapView::followTypes);
    connect(doc, &TMetaroomDocument::roomRemoved, this, &TMapView::followTypes);
    connect(doc, &TMetaroomDocument::roomChanged, this, [this](RoomKey, TMetaroomDocument::RoomChanges changes) {
        if (changes & TMetaroomDocument::TypeChanged)
            followTypes();
    });
}

// Room types

void TMapView::setRoomTypesShown(bool shown)
{
    mapScene->setRoomTypesShown(shown);
    followTypes();
}

void TMapView::followTypes()
{
    const QRect now = typeLegendRect();
    if (now.isEmpty() && legendDrawn.isEmpty())
        return;
    viewport()->update(now | legendDrawn);
}

QRect TMapView::typeLegendRect() const
{
    if (!mapScene->roomTypesShown())
        return {};
    const std::set<int> used = typesInUse(*mapScene->document());
    if (used.empty())
        return {};
    const QFontMetrics metrics(mappainter::legendFont());
    int width = 0;
    for (const int type : used)
        width = std::max(width, mappainter::legendEntrySize(metrics, type).width());
    const QSize size(2 * legendPadding + width, 2 * legendPadding + int(used.size()) * metrics.height());
    const int bottom = viewport()->height() - legendOffset;
    return QRect(QPoint(legendOffset, bottom - size.height()), size);
}

namespace {

// Whether the rectangles of a region cover at least three quarters of the rectangle
// around them (a guide along a row of rooms and a room do not).
bool fillsMostOf(const QRegion& region, const QRect& around)
{
    qint64 covered = 0;
    for (const QRect& r : region)
        covered += qint64(r.width()) * r.height();
    return 4 * covered >= 3 * qint64(around.width()) * around.height();
}

} // namespace

// The view repaints one rectangle around the items that changed, and the overlays that
// change with them ask for rectangles of their own: a paint of the several, where they
// fill most of the rectangle around them, is painted as that rectangle, its background
// filled where Qt did not fill it. Qt clips every line of pixels against several
// rectangles at a far greater cost than painting the few pixels between them. Done only
// where the viewport is unobscured across that rectangle, and at one device pixel per
// pixel, where the clip's rectangle is the same on the device.
void TMapView::paintEvent(QPaintEvent* event)
{
    const QRegion& region = event->region();
    const QRect around = region.boundingRect();
    if (region.rectCount() > 1 && fillsMostOf(region, around)
        && QRegion(around).subtracted(viewport()->visibleRegion()).isEmpty()) {
        QPaintEngine* engine = nullptr;
        {
            QPainter probe(viewport());   // the engine of the window's backing store
            if (probe.device()->devicePixelRatio() == 1)
                engine = probe.paintEngine();
        }
        if (engine && !engine->isActive()) {
            engine->setSystemClip(QRegion(engine->systemClip().boundingRect()));
            if (viewport()->autoFillBackground()) {
                QPainter background(viewport());
                const QBrush& brush = viewport()->palette().brush(viewport()->backgroundRole());
                for (const QRect& part : QRegion(around).subtracted(region))
                    background.fillRect(part, brush);
            }
            QPaintEvent wider(around);
            QGraphicsView::paintEvent(&wider);
            return;
        }
    }
    QGraphicsView::paintEvent(event);
}

// A swatch and the name of each type in use, one a line, on a dark box.
void TMapView::drawForeground(QPainter* painter, const QRectF& rect)
{
    QGraphicsView::drawForeground(painter, rect);   // the scene's: the doors
    legendDrawn = typeLegendRect();
    if (legendDrawn.isEmpty())
        return;
    painter->save();
    painter->resetTransform();
    painter->setFont(mappainter::legendFont());
    painter->fillRect(legendDrawn, mappainter::legendBackground(true));
    const int step = QFontMetrics(painter->font()).height();
    QPoint at = legendDrawn.topLeft() + QPoint(legendPadding, legendPadding);
    for (const int type : typesInUse(*mapScene->document())) {
        mappainter::drawLegendEntry(painter, at, type);
        at.ry() += step;
    }
    painter->restore();
}

// Scrolling moves the pixels of the window, the legend's with them: draw it again.
void TMapView::scrollContentsBy(int dx, int dy)
{
    QGraphicsView::scrollContentsBy(dx, dy);
    if (!legendDrawn.isEmpty())
        viewport()->update(legendDrawn | legendDrawn.translated(dx, dy));
}

// Zoom

void TMapView::applyZoom(qreal zoom)
{
    zoom = std::clamp(zoom, zoomsteps::Smallest, zoomsteps::Largest);
    if (zoom == scale)
        return;
    scale = zoom;
    setTransform(QTransform::fromScale(zoom, zoom));
    mapScene->setScreenScale(zoom);
    emit zoomChanged(zoom);
}

void TMapView::setZoom(qreal zoom)
{
    applyZoom(zoom);
}

void TMapView::zoomAbout(qreal zoom, QPointF viewportPoint)
{
    zoomAbout(zoom, viewportPoint, viewportTransform().inverted().map(viewportPoint));
}

void TMapView::zoomAbout(qreal zoom, QPointF viewportPoint, QPointF picturePoint)
{
    const ViewportAnchor anchor = transformationAnchor();
    setTransformationAnchor(NoAnchor);
    applyZoom(zoom);
    setTransformationAnchor(anchor);
    const QPointF shift = viewportTransform().map(picturePoint) - viewportPoint;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + qRound(shift.x()));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + qRound(shift.y()));
}

void TMapView::zoomIn()
{
    setZoom(zoomsteps::above(scale));
}

void TMapView::zoomOut()
{
    setZoom(zoomsteps::below(scale));
}

void TMapView::zoomToFit()
{
    const QRectF picture = sceneRect();
    if (picture.isEmpty())
        return;
    // The room the window has without scroll bars, which the whole picture does not need.
    const QSize room = maximumViewportSize();
    const qreal fit = std::min(room.width() / picture.width(), room.height() / picture.height());
    setZoom(fit * (1 - 1e-9));   // a hair less, so rounding never calls for a scroll bar
    centerOn(picture.center());
}

void TMapView::zoomActual()
{
    setZoom(1);
}

void TMapView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    event->accept();
    // Turns in a row with the mouse at rest zoom about the same picture point, also where
    // a picture smaller than the window was centred in between.
    const QPointF at = event->position();
    if (!wheelAnchor || at != wheelAnchorAt) {
        wheelAnchor = viewportTransform().inverted().map(at);
        wheelAnchorAt = at;
    }
    wheelTurn += event->angleDelta().y();
    for (; wheelTurn >= wheelStep; wheelTurn -= wheelStep)
        zoomAbout(zoomsteps::above(scale), at, *wheelAnchor);
    for (; wheelTurn <= -wheelStep; wheelTurn += wheelStep)
        zoomAbout(zoomsteps::below(scale), at, *wheelAnchor);
}

// Panning

void TMapView::startPan(QPoint at)
{
    panning = true;
    panFrom = at;
    viewport()->setCursor(Qt::ClosedHandCursor);
}

void TMapView::endPan()
{
    panning = false;
    showPanCursor();
}

void TMapView::showPanCursor()
{
    if (panning)
        viewport()->setCursor(Qt::ClosedHandCursor);
    else if (spaceHeld)
        viewport()->setCursor(Qt::OpenHandCursor);
    else
        viewport()->unsetCursor();
}

void TMapView::mousePressEvent(QMouseEvent* event)
{
    wheelAnchor.reset();
    const bool panButton =
        event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld);
    if (panning || panButton) {
        if (!panning)
            startPan(event->position().toPoint());
        event->accept();
        return;
    }
    QGraphicsView::mousePressEvent(event);
}

void TMapView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (panning || event->button() == Qt::MiddleButton || spaceHeld)
        mousePressEvent(event);
    else
        QGraphicsView::mouseDoubleClickEvent(event);
}

void TMapView::mouseMoveEvent(QMouseEvent* event)
{
    wheelAnchor.reset();
    if (!panning) {
        QGraphicsView::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const QPoint moved = at - panFrom;
    panFrom = at;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
    event->accept();
}

void TMapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!panning) {
        QGraphicsView::mouseReleaseEvent(event);
        return;
    }
    if (event->buttons() == Qt::NoButton)
        endPan();
    event->accept();
}

void TMapView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat()) {
            spaceHeld = true;
            showPanCursor();
        }
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

void TMapView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat()) {
            spaceHeld = false;
            showPanCursor();
        }
        event->accept();
        return;
    }
    QGraphicsView::keyReleaseEvent(event);
}

void TMapView::focusOutEvent(QFocusEvent* event)
{
    spaceHeld = false;
    showPanCursor();
    QGraphicsView::focusOutEvent(event);
}

void TMapView::showEvent(QShowEvent* event)
{
    QGraphicsView::showEvent(event);
    if (shownBefore)
        return;
    shownBefore = true;
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

void TMapView::contextMenuEvent(QContextMenuEvent* event)
{
    const QPoint pixel = event->pos();
    const QList<TRoom*> under = mapScene->roomsAt(pixel, viewportTransform());
    const QPointF picture = mapToScene(pixel);
    emit mapMenuRequested(QPoint(int(std::floor(picture.x())), int(std::floor(picture.y()))),
                          under.isEmpty() ? 0 : under.first()->key(), event->globalPos());
    event->accept();
}
