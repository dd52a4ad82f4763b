// Times the map view (document, scene, view), in two parts.
//
// What the user does to rooms with the mouse through the view at 100 % (a click that
// moves the selection to another room, a drag step of a handle box, a drag step of a whole
// room) on a map of 60 x 24 blocks and 1000 rooms, next to the same steps on a map with no
// picture and no more rooms than the step needs. Each step includes the event loop's
// painting that it causes; the two maps take turns in short batches, so that other work on
// the machine weighs on both alike.
//
// A full repaint of a 1280 x 800 view, zoomed to fit the whole 7680 x 3072 picture and at
// 100 %, next to drawing one ready image of the view's size, and the view's part of one
// image of the whole picture.
//
// The last rows of the first table time Qt's own part: an update and a move of one room
// item, the least that the steps have to do.
#include "app/application.h"
#include "bench/benchsupport.h"
#include "bench/syntheticgrid.h"
#include "core/model/document.h"
#include "core/model/editor.h"
#include "view/mapscene.h"
#include "view/mapview.h"
#include "rooms/room.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QUndoStack>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int pictureColumns = 60;
constexpr int pictureRows = 24;
constexpr int manyRooms = 1000;
const QSize viewSize(1280, 800);
const QSize surface(pictureColumns * 128, pictureRows * 128);

// A map in a shown view of 1280 x 800 pixels at 100 %, scrolled to the top-left: an
// optional picture, and rooms of 96 x 96 pixels laid out 40 to a row from the top-left.
// The steps work on the first two rooms.
class Map {
public:
    Map(const PictureGrid& picture, int rooms)
    {
        doc.setGrid(picture);
        doc.setSurfaceSize(surface);
        for (int i = 0; i < rooms; ++i) {
            const qint64 left = (i % 40) * 190 + 40;
            const qint64 top = (i / 40) * 120 + 10;
            RoomRecord record;
            record.shape = {left + 2, left + 97, top + 2, top + 2, top + 97, top + 97};
            doc.insertRoom(i, record);
        }
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(viewSize);
        view.show();
        while (!view.windowHandle() || !view.windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        showTopLeft();
    }
    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;

    void showTopLeft()
    {
        view.zoomActual();
        view.centerOn(QPointF(viewSize.width() / 2.0, viewSize.height() / 2.0));
        QCoreApplication::processEvents();
    }

    RoomKey room(int position) const { return doc.roomAt(position); }
    TRoom* item(int position) const { return scene.roomItem(room(position)); }
    QPoint at(QPointF picturePoint) const { return view.mapFromScene(picturePoint + QPointF(0.25, 0.25)); }

    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QWidget* viewport = view.viewport();
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }
    void hover(QPointF p) { send(QEvent::MouseMove, at(p), Qt::NoButton, Qt::NoButton); }
    void press(QPointF p) { send(QEvent::MouseButtonPress, at(p), Qt::LeftButton, Qt::LeftButton); }
    void dragTo(QPointF p) { send(QEvent::MouseMove, at(p), Qt::NoButton, Qt::LeftButton); }
    void release(QPointF p) { send(QEvent::MouseButtonRelease, at(p), Qt::LeftButton, Qt::NoButton); }
    void click(QPointF p)
    {
        hover(p);
        press(p);
        release(p);
    }

    MetaroomEditor editor;
    TMetaroomDocument& doc = *editor.document();
    TMapScene scene{&editor};
    TMapView view{&scene};
};

// Points of room 0 (picture 40..136 x 10..106, corners 42..137 x 12..107) and room 1.
const QPointF bodyOfRoom[2] = {{90, 60}, {280, 60}};
const QPointF bottomRight(137, 107);

using Operation = bench::StepOperation<Map>;

const Operation operations[] = {
    {"selection change", 2, [](Map&) {}, [](Map& m, int i) { m.click(bodyOfRoom[i % 2]); }, [](Map&) {}},
    {"drag step of a handle", 1,
     [](Map& m) {
         m.click(bodyOfRoom[0]);
         m.hover(bottomRight);
         m.press(bottomRight);
     },
     [](Map& m, int i) { m.dragTo(bottomRight + QPointF(0, i % 2 ? 13 : -7)); },
     [](Map& m) { m.release(bottomRight); }},
    {"drag step of a room", 1,
     [](Map& m) {
         m.click(bodyOfRoom[0]);
         m.press(bodyOfRoom[0]);
     },
     [](Map& m, int i) { m.dragTo(bodyOfRoom[0] + (i % 2 ? QPointF(12, 7) : QPointF(-12, -7))); },
     [](Map& m) { m.release(bodyOfRoom[0]); }},
    // Qt's own work, which the steps cannot avoid: repainting a room item, and moving one
    // there and back (an even number of steps in all).
    {"Qt: repaint of a room", 1, [](Map&) {}, [](Map& m, int) { m.item(0)->update(); }, [](Map&) {}},
    {"Qt: move of a room", 1, [](Map&) {},
     [](Map& m, int i) { m.item(0)->moveBy(i % 2 ? 12 : -12, i % 2 ? 7 : -7); }, [](Map&) {}},
};


void interactionTable(Map& loaded)
{
    Map oneRoom({}, 1);
    Map twoRooms({}, 2);
    std::printf("Mouse steps through the view at 100 %%, median of %d steps\n", bench::CountedSteps);
    std::printf("| %-22s | %-24s | %-24s | %5s |\n", "step", "no picture, 1 or 2 rooms", "60x24 blocks, 1000 rooms",
                "ratio");
    std::printf("|%s|%s|%s|%s|\n", std::string(24, '-').c_str(), std::string(26, '-').c_str(),
                std::string(26, '-').c_str(), std::string(7, '-').c_str());
    for (const Operation& operation : operations) {
        Map& bare = operation.bareRooms == 1 ? oneRoom : twoRooms;
        const auto [baseline, measured] = bench::compareSteps(operation, bare, loaded);
        const QString bareText = QStringLiteral("%1 us (%2 room%3)")
                                     .arg(baseline, 0, 'f', 1)
                                     .arg(operation.bareRooms)
                                     .arg(operation.bareRooms == 1 ? "" : "s");
        std::printf("| %-22s | %24s | %21.1f us | %5.2f |\n", operation.name, qPrintable(bareText), measured,
                    measured / baseline);
    }
}

// The picture as one image, as the baselines draw it.
QImage wholePicture(const TBlockList& blocks)
{
    QImage image(surface, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int k = 0; k < int(blocks.size()); ++k)
        painter.drawImage(QPoint(k / pictureRows * 128, k % pictureRows * 128), blocks[size_t(k)]->Bitmap);
    return image;
}

bench::Spread timeRuns(int runs, const std::function<void()>& work)
{
    work();   // warms up
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i)
        ms.push_back(bench::timeMs(work));
    return bench::spread(ms);
}

void repaintTable(int runs, Map& loaded, Map& pictureOnly, const TBlockList& blocks)
{
    const QImage picture = wholePicture(blocks);
    const QImage ready = picture.copy(QRect(QPoint(0, 0), viewSize));
    QImage target(viewSize, QImage::Format_ARGB32_Premultiplied);
    const QPoint partAt(2560, 1024);

    auto repaint = [](Map& map) { return [&map] { map.view.viewport()->repaint(); }; };
    auto fit = [](Map& map) {
        map.view.zoomToFit();
        QCoreApplication::processEvents();
    };

    std::printf("\nFull repaint of a %d x %d view, median of %d runs\n", viewSize.width(), viewSize.height(), runs);
    bench::printHeader();

    // The first paint at fit makes the smaller images of the picture.
    const double firstFit = bench::timeMs([&] { fit(pictureOnly); });

    const bench::Spread drawReady = timeRuns(runs, [&] {
        QPainter painter(&target);
        painter.drawImage(QPoint(0, 0), ready);
    });
    bench::printRow("drawImage of one ready 1280 x 800 image", drawReady);
    fit(loaded);
    bench::printRow("fit 7680 x 3072, picture", timeRuns(runs, repaint(pictureOnly)), &drawReady);
    bench::printRow("fit 7680 x 3072, picture and 1000 rooms", timeRuns(runs, repaint(loaded)), &drawReady);

    const bench::Spread drawPart = timeRuns(runs, [&] {
        QPainter painter(&target);
        painter.drawImage(QPoint(0, 0), picture, QRect(partAt, viewSize));
    });
    bench::printRow("drawImage of 1280 x 800 of the whole image", drawPart);
    for (Map* map : {&pictureOnly, &loaded}) {
        map->view.zoomActual();
        map->view.centerOn(QRectF(partAt, viewSize).center());
        QCoreApplication::processEvents();
    }
    bench::printRow("100 %, picture", timeRuns(runs, repaint(pictureOnly)), &drawPart);
    bench::printRow("100 %, picture and 1000 rooms", timeRuns(runs, repaint(loaded)), &drawPart);
    std::printf("\nThe first zoom to fit, which makes the picture's smaller images: %.1f ms\n", firstFit);
}

} // namespace

int main(int argc, char** argv)
{
    bench::useOffscreenUnlessChosen();
    TApplication app(argc, argv);
    const int runs = bench::runsFromArguments(argc, argv, 21);

    const std::shared_ptr<TBlockList> blocks = synthetic::makeBlocks(pictureColumns, pictureRows);
    const PictureGrid picture{blocks, pictureColumns, pictureRows};
    std::printf("Map view, Qt platform \"%s\"\n\n", qPrintable(QGuiApplication::platformName()));
    Map loaded(picture, manyRooms);
    interactionTable(loaded);
    Map pictureOnly(picture, 0);
    repaintTable(runs, loaded, pictureOnly, *blocks);
    return 0;
}
