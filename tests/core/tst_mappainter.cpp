#include "core/render/mappainter.h"
#include "core/rules/mapcolours.h"
#include "core/rules/roomtypes.h"

#include <QFontMetrics>
#include <QPainter>
#include <QtTest>
#include <algorithm>
#include <random>

using namespace mappainter;

namespace {

const QRgb grey = mapcolours::noPicture().rgb();

// A drawing on the surface's grey, in picture coordinates scaled by `scale`.
template <typename Draw>
QImage drawn(QSize size, qreal scale, Draw draw)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(grey);
    QPainter painter(&image);
    painter.scale(scale, scale);
    draw(painter);
    return image;
}

// The columns of a row in this colour.
QList<int> columnsOf(const QImage& image, int row, QRgb colour)
{
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, row) == colour)
            columns.append(x);
    }
    return columns;
}

// The colour over the surface's grey.
QRgb over(const QColor& colour)
{
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(grey);
    QPainter(&pixel).fillRect(0, 0, 1, 1, colour);
    return pixel.pixel(0, 0);
}

} // namespace

class TestMapPainter : public QObject {
    Q_OBJECT
private slots:
    void outlinesAreOnePixelOnTheirPixelsAtEveryScale_data();
    void outlinesAreOnePixelOnTheirPixelsAtEveryScale();
    void linesKeepTheirWidthOnTheDevice();
    void runsCoverWhatStrokesCover();
    void labelsAreDarkEdgedAndCentred();
    void legendEntriesStayInsideTheirSize();
    void drawMapPutsTheLegendBandBelowTheMap();
};

void TestMapPainter::outlinesAreOnePixelOnTheirPixelsAtEveryScale_data()
{
    QTest::addColumn<qreal>("scale");
    for (const qreal scale : {0.25, 0.5, 1.0, 1.5, 2.0, 3.0, 16.0})
        QTest::newRow(qPrintable(QString::number(scale))) << scale;
}

// A room from (10, 20) to (60, 50): its outline crosses a row through its middle in one
// device pixel at each wall, in the middle of the wall's picture pixel in the view, at its
// left edge in render; the type fill inside, the halo darkens just outside.
void TestMapPainter::outlinesAreOnePixelOnTheirPixelsAtEveryScale()
{
    QFETCH(qreal, scale);
    const QSize size(int(80 * scale), int(70 * scale));
    const int row = int(35 * scale);
    const QRgb white = mapcolours::roomOutline().rgb();
    for (const PixelLines lines : {PixelLines::ThroughMiddle, PixelLines::AlongEdges}) {
        const RoomOutline room = roomOutline(10, 60, 20, 20, 50, 50, lines);
        const QImage image = drawn(size, scale, [&](QPainter& p) {
            drawTypeFill(&p, room, 5);
            drawOutline(&p, room, mapcolours::roomOutline());
        });
        const qreal shift = lines == PixelLines::ThroughMiddle ? 0.5 : 0;
        const QList<int> walls{int(std::floor((10 + shift) * scale)), int(std::floor((60 + shift) * scale))};
        QCOMPARE(columnsOf(image, row, white), walls);
        if (scale >= 1) {
            QCOMPARE(image.pixel(int(35 * scale), row), over(RoomTypeColour(5)));
            QCOMPARE(image.pixel(walls[0] - 1, row), grey);
            QCOMPARE(image.pixel(walls[1] + 1, row), grey);
        }
    }
    // At 100 % both ways of drawing put a wall on the same pixel.
    if (scale == 1) {
        const QImage middle = drawn(size, 1, [](QPainter& p) {
            drawOutline(&p, roomOutline(10, 60, 20, 20, 50, 50, PixelLines::ThroughMiddle), Qt::white);
        });
        const QImage edges = drawn(size, 1, [](QPainter& p) {
            drawOutline(&p, roomOutline(10, 60, 20, 20, 50, 50, PixelLines::AlongEdges), Qt::white);
        });
        QCOMPARE(middle, edges);
    }

    const QImage halo = drawn(size, scale, [&](QPainter& p) {
        const RoomOutline room = roomOutline(10, 60, 20, 20, 50, 50, PixelLines::AlongEdges);
        drawOutlineHalo(&p, room);
        drawOutline(&p, room, mapcolours::roomOutline());
    });
    if (scale < 1)
        return;
    const int wall = int(10 * scale);
    QCOMPARE(halo.pixel(wall, row), white);
    QVERIFY(qGray(halo.pixel(wall - 1, row)) < qGray(grey));
    QCOMPARE(halo.pixel(wall - 3, row), grey);
}

// Shared edges 3 device pixels wide, doors without an edge 2, at every scale.
void TestMapPainter::linesKeepTheirWidthOnTheDevice()
{
    for (const qreal scale : {0.5, 1.0, 4.0}) {
        const QImage image = drawn(QSize(int(100 * scale), int(100 * scale)), scale, [](QPainter& p) {
            useSharedEdgePen(&p);
            DeviceLines(&p).draw(QLineF(20, 10, 20, 90));
            useDoorWithoutEdgePen(&p);
            DeviceLines(&p).draw(QLineF(70, 10, 70, 90));
        });
        const int row = int(50 * scale);
        QCOMPARE(columnsOf(image, row, mapcolours::sharedEdge().rgb()).size(), 3);
        QCOMPARE(columnsOf(image, row, mapcolours::doorWithoutEdge().rgb()).size(), 2);
    }
}

// Outlines and lines filled as runs of device pixels light the pixels that Qt's stroke
// of the same outline or line lights, but for one here and there at an end, or a step of
// a sloped edge put one pixel over, on random rooms, lines, scales and offsets.
void TestMapPainter::runsCoverWhatStrokesCover()
{
    std::mt19937 random(7);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const qreal scales[] = {0.1, 0.25, 0.33, 0.5, 0.75, 1, 1.5, 2, 3, 16};
    const QSize size(300, 300);
    auto near = [](QPointF centre, QPointF end) {
        return std::abs(end.x() - centre.x()) <= 1.5 && std::abs(end.y() - centre.y()) <= 1.5;
    };
    auto nearSegment = [](QPointF centre, const QLineF& segment) {
        const QPointF along = segment.p2() - segment.p1();
        const qreal length2 = QPointF::dotProduct(along, along);
        const qreal t = length2 > 0 ? std::clamp(QPointF::dotProduct(centre - segment.p1(), along) / length2, 0.0, 1.0) : 0;
        const QPointF closest = segment.p1() + t * along;
        return QLineF(centre, closest).length() <= 1.0;
    };
    // Two drawings differ only near the ends, or next to a sloped edge, and light about as many pixels.
    auto differOnlyAtEnds = [&](const QImage& ours, const QImage& qts, const QList<QPointF>& ends,
                                const QList<QLineF>& sloped = {}) {
        int lit = 0;
        for (int y = 0; y < ours.height(); ++y) {
            for (int x = 0; x < ours.width(); ++x) {
                lit += (ours.pixel(x, y) != qRgb(0, 0, 0)) - (qts.pixel(x, y) != qRgb(0, 0, 0));
                if (ours.pixel(x, y) == qts.pixel(x, y))
                    continue;
                const QPointF centre(x + 0.5, y + 0.5);
                if (std::none_of(ends.begin(), ends.end(), [&](QPointF end) { return near(centre, end); })
                    && std::none_of(sloped.begin(), sloped.end(), [&](const QLineF& edge) { return nearSegment(centre, edge); }))
                    return false;
            }
        }
        return std::abs(lit) <= 2 * ends.size();
    };
    for (int trial = 0; trial < 300; ++trial) {
        const qreal scale = scales[pick(0, 9)];
        QTransform place;
        place.translate(pick(-40, 40) + pick(0, 3) / 4.0, pick(-40, 40) + pick(0, 3) / 4.0).scale(scale, scale);
        const PixelLines lines = pick(0, 1) ? PixelLines::ThroughMiddle : PixelLines::AlongEdges;
        const int xl = pick(0, 150), ytl = pick(0, 150), ytr = pick(0, 1) ? ytl : pick(0, 150);
        const int xr = xl + pick(1, 150), ybl = ytl + pick(1, 100), ybr = pick(0, 1) ? ybl - ytl + ytr : ytr + pick(1, 100);
        const RoomOutline room = roomOutline(xl, xr, ytl, ytr, ybl, ybr, lines);
        const QString where = QStringLiteral("trial %1, scale %2, room %3 %4 %5 %6 %7 %8, at %9, %10")
                                  .arg(trial).arg(scale).arg(xl).arg(xr).arg(ytl).arg(ytr).arg(ybl).arg(ybr)
                                  .arg(place.dx()).arg(place.dy());

        auto draw = [&](auto paint) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::black);
            QPainter painter(&image);
            painter.setTransform(place);
            paint(painter);
            return image;
        };
        const QImage ourOutline = draw([&](QPainter& p) { drawOutline(&p, room, Qt::white); });
        const QImage qtsOutline = draw([&](QPainter& p) {
            p.setPen(QPen(Qt::white, 0));
            p.drawPolygon(room.corners, 4);
        });
        QList<QPointF> corners;
        for (const QPointF& corner : room.corners)
            corners.append(place.map(corner));
        QList<QLineF> sloped;
        for (const auto& [from, to] : {std::pair(0, 3), std::pair(1, 2)}) {
            if (room.corners[from].y() != room.corners[to].y())
                sloped.append(QLineF(corners[from], corners[to]));
        }
        QVERIFY2(differOnlyAtEnds(ourOutline, qtsOutline, corners, sloped), qPrintable(where));

        const QPointF start = pixelPoint(pick(0, 200), pick(0, 200), lines);
        const QPointF end = start + (pick(0, 1) ? QPointF(0, pick(-100, 100)) : QPointF(pick(-100, 100), 0));
        const QLineF line(start, pick(0, 5) ? end : end + QPointF(0, 7));   // now and then sloped
        for (auto usePen : {useSharedEdgePen, useDoorWithoutEdgePen}) {
            const QImage ours = draw([&](QPainter& p) {
                usePen(&p);
                DeviceLines(&p).draw(line);
            });
            const QImage qts = draw([&](QPainter& p) {
                usePen(&p);
                p.drawLine(line);
            });
            QVERIFY2(differOnlyAtEnds(ours, qts, {place.map(line.p1()), place.map(line.p2())}), qPrintable(where));
        }
    }
}

// Each row of a label's text begins and ends dark, whatever lies behind; the text is
// centred on the point it is drawn at.
void TestMapPainter::labelsAreDarkEdgedAndCentred()
{
    for (const QString& text : {QStringLiteral("0"), QStringLiteral("100"), QStringLiteral("47")}) {
        const Label label = makeLabel(text, mapcolours::sharedEdge());
        const QImage image = drawn(QSize(120, 60), 1, [&](QPainter& p) {
            p.fillRect(0, 0, 120, 60, Qt::white);
            drawLabel(&p, label, QPointF(60, 30));
        });
        // No pixel of the text's colour touches the white behind it.
        const QRgb colour = mapcolours::sharedEdge().rgb();
        int left = image.width(), right = -1, coloured = 0;
        for (int y = 1; y < image.height() - 1; ++y) {
            for (int x = 1; x < image.width() - 1; ++x) {
                if (qGray(image.pixel(x, y)) < 200) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
                if (image.pixel(x, y) != colour)
                    continue;
                ++coloured;
                for (const QPoint n : {QPoint(x - 1, y), QPoint(x + 1, y), QPoint(x, y - 1), QPoint(x, y + 1)})
                    QVERIFY2(qGray(image.pixel(n)) < 230, qPrintable(QStringLiteral("%1 at %2, %3").arg(text).arg(x).arg(y)));
            }
        }
        QVERIFY(coloured > 0);
        QVERIFY2(std::abs((left + right) / 2.0 - 60) <= 1.5, qPrintable(QStringLiteral("%1: %2..%3").arg(text).arg(left).arg(right)));
        const QRectF rect = labelRect(label, QPointF(60, 30));
        QVERIFY(left >= rect.left() && right < rect.right());
    }
}

// An entry's swatch in its type's colour, its name in the outline's colour after it, and
// nothing drawn beyond the size the legends lay entries out by.
void TestMapPainter::legendEntriesStayInsideTheirSize()
{
    for (const int type : {0, 5, 8, 11, 1000}) {
        QImage image(300, 40, QImage::Format_RGB32);
        image.fill(qRgb(24, 24, 24));
        QPainter painter(&image);
        painter.setFont(legendFont());
        const QPoint at(10, 10);
        drawLegendEntry(&painter, at, type);
        painter.end();
        const QSize size = legendEntrySize(QFontMetrics(legendFont()), type);
        const QRect entry(at, size);
        bool named = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == qRgb(24, 24, 24))
                    continue;
                QVERIFY2(entry.contains(x, y), qPrintable(QStringLiteral("type %1: %2, %3").arg(type).arg(x).arg(y)));
                named |= x > at.x() + size.height() && image.pixel(x, y) == mapcolours::roomOutline().rgb();
            }
        }
        QVERIFY(named);
        QCOMPARE(image.pixel(at + QPoint(2, 3)), over(RoomTypeColour(type)));
    }
}

void TestMapPainter::drawMapPutsTheLegendBandBelowTheMap()
{
    RoomDefs defs;
    defs.panelWidth = 120;
    defs.panelHeight = 80;
    for (int type = 0; type < 12; ++type)
        defs.rooms.append({10 * type, 10 * type + 10, 10, 10, 30, 30, type, {}, {}, {}});
    const QImage plain = DrawMap(defs, QImage(), {});
    QCOMPARE(plain.size(), QSize(120, 80));
    MapDrawingOptions options;
    options.types = true;
    const QImage typed = DrawMap(defs, QImage(), options);
    QCOMPARE(typed.width(), 120);
    // Twelve names do not go in one row of 120 pixels.
    const int row = QFontMetrics(legendFont()).height();
    QVERIFY2(typed.height() > 80 + 2 * row, qPrintable(QString::number(typed.height())));
    QCOMPARE(typed.pixel(0, 80), qRgb(24, 24, 24));
    QCOMPARE(typed.pixel(15, 20), over(RoomTypeColour(1)));
    QCOMPARE(typed.copy(0, 0, 120, 80).pixel(15, 50), plain.pixel(15, 50));
}

QTEST_MAIN(TestMapPainter)
#include "tst_mappainter.moc"
