#pragma once

#include <QGraphicsView>
#include <QRect>
#include <optional>

class TMapScene;

// The zoom steps, from 1/16 to 16 times.
namespace zoomsteps {
constexpr qreal Smallest = 1.0 / 16;
constexpr qreal Largest = 16;
// The next step at least 5 % above the zoom, or the largest; the next at least 5 % below,
// or the smallest.
qreal above(qreal zoom);
qreal below(qreal zoom);
} // namespace zoomsteps

// The map in a window: the scene through one zoom, with scroll bars. Ctrl+wheel zooms about
// the point under the mouse; a drag with the middle button, or with the left button while
// Space is held, moves the map under the mouse. Everything else goes to the scene. It first
// shows the picture's top-left corner, as a scroll box does. While the scene shows room
// types, a legend of the types in use stays in the bottom-left corner of the window.
class TMapView : public QGraphicsView {
    Q_OBJECT
public:
    explicit TMapView(TMapScene* scene, QWidget* parent = nullptr);

    // Screen pixels per picture pixel.
    qreal zoom() const { return scale; }

    // Shows or hides the room types on the scene and their legend.
    void setRoomTypesShown(bool shown);
    // Where the legend is drawn in the viewport; empty when there is none.
    QRect typeLegendRect() const;

public slots:
    void zoomIn();
    void zoomOut();
    void zoomToFit();    // the whole picture in the window
    void zoomActual();   // one screen pixel per picture pixel
    // Zooms about the centre of the window, held between the smallest and largest step.
    void setZoom(qreal zoom);
    // Zooms keeping the picture point under this point of the viewport where it is.
    void zoomAbout(qreal zoom, QPointF viewportPoint);
    // Zooms putting a picture point at this point of the viewport, as far as the scroll
    // bars reach.
    void zoomAbout(qreal zoom, QPointF viewportPoint, QPointF picturePoint);

signals:
    void zoomChanged(qreal zoom);
    // The context menu asked for at a picture pixel, over the room on top there (0: none).
    void mapMenuRequested(QPoint picturePixel, quint32 room, QPoint globalPos);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void applyZoom(qreal zoom);
    void startPan(QPoint at);
    void endPan();
    void showPanCursor();
    void followTypes();

    TMapScene* mapScene;
    qreal scale = 1;
    int wheelTurn = 0;         // eighths of a degree the wheel turned since the last step
    std::optional<QPointF> wheelAnchor;   // the picture point the wheel zooms about
    QPointF wheelAnchorAt;                // and where in the viewport it stays
    bool spaceHeld = false;
    bool panning = false;
    bool shownBefore = false;
    QPoint panFrom;
    QRect legendDrawn;   // where the legend was last drawn
};
