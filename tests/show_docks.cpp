// Shows the Rooms and Problems docks beside a plain drawing of a document with a busy
// picture and rooms of every type, some breaking the game's rules, to look at them as a
// user does. Not part of the program: build it with `--target show_docks`.
// A room chosen in a dock is selected and outlined in the drawing.
#include "bench/syntheticgrid.h"
#include "core/model/steps.h"
#include "core/model/snapshot.h"
#include "core/rules/roomtypes.h"
#include "docks/problemsdock.h"
#include "docks/roomsdock.h"

#include <QApplication>
#include <QMainWindow>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QUndoStack>

namespace {

// The picture with each room filled by its type's colour, the selected one outlined.
class MapDrawing : public QWidget {
public:
    explicit MapDrawing(TMetaroomDocument* document)
        : document(document)
    {
        setFixedSize(PictureSize(document->grid()));
        connect(document, &TMetaroomDocument::gridReplaced, this, qOverload<>(&QWidget::update));
        connect(document, &TMetaroomDocument::roomChanged, this, qOverload<>(&QWidget::update));
        connect(document, &TMetaroomDocument::selectionChanged, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const PictureGrid& grid = document->grid();
        for (int k = 0; grid.blocks && k < int(grid.blocks->size()); ++k)
            p.drawImage(QPoint(k / grid.rows * 128, k % grid.rows * 128), (*grid.blocks)[size_t(k)]->Bitmap);
        p.setRenderHint(QPainter::Antialiasing);
        for (const RoomKey key : document->rooms()) {
            const RoomShape& s = document->room(key).shape;
            const QPolygonF outline({QPointF(s.xl, s.ytl), QPointF(s.xr, s.ytr), QPointF(s.xr, s.ybr), QPointF(s.xl, s.ybl)});
            p.setBrush(RoomTypeColour(document->room(key).roomtype));
            p.setPen(QPen(key == document->selection() ? Qt::white : Qt::black, key == document->selection() ? 3 : 1));
            p.drawPolygon(outline);
        }
    }

private:
    TMetaroomDocument* document;
};

void addRoom(TMetaroomDocument& doc, QUndoStack& stack, RoomShape shape, int roomtype, const QString& music = {})
{
    stack.push(new AddRoomStep(&doc, RoomRecord{shape, roomtype, music, {}}));
}

// Two rows of rooms of every type, walls shared, with doors; then a few faults.
void fill(TMetaroomDocument& doc, QUndoStack& stack)
{
    std::shared_ptr<TBlockList> blocks = synthetic::makeBlocks(9, 5);
    stack.push(new PictureStep(&doc, PictureGrid{blocks, 9, 5}, QSize(9 * 128, 5 * 128), "Import"));
    for (int t = 0; t < RoomTypeCount; ++t) {
        const qint64 x = 20 + (t % 8) * 130, y = 40 + (t / 8) * 200;
        addRoom(doc, stack, RoomShape{x, x + 130, y + (t % 2) * 10, y + 10 - (t % 2) * 10, y + 150, y + 160}, t,
                t % 3 ? QString() : QStringLiteral("main.mng\\\\garden"));
        if (t % 8 > 0 && t % 4 != 3)
            stack.push(new SetDoorStep(&doc, doc.roomAt(t - 1), doc.roomAt(t), 25 * (t % 5), "Add Door"));
    }
    addRoom(doc, stack, RoomShape{40, 160, 450, 450, 560, 560}, 17);                  // a type past the tables
    addRoom(doc, stack, RoomShape{162, 300, 450, 450, 560, 560}, 5);                  // almost a door, 2 pixels
    addRoom(doc, stack, RoomShape{420, 320, 450, 450, 560, 560}, 8);                  // reversed walls
    addRoom(doc, stack, RoomShape{1050, 1200, 500, 500, 600, 600}, 9);                // partly outside
    stack.push(new SetDoorStep(&doc, doc.roomAt(0), doc.roomAt(15), 50, "Add Door"));   // no edge
    doc.select(doc.roomAt(3));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TMetaroomDocument doc;
    QUndoStack stack;
    fill(doc, stack);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Docks - Palisandre"));
    auto* area = new QScrollArea;
    area->setWidget(new MapDrawing(&doc));
    window.setCentralWidget(area);
    auto* rooms = new RoomsDock(&doc, &window);
    auto* problems = new ProblemsDock(&doc, &window);
    window.addDockWidget(Qt::RightDockWidgetArea, rooms);
    window.addDockWidget(Qt::BottomDockWidgetArea, problems);
    const auto choose = [&](RoomKey key) {
        doc.select(key);
        const RoomShape& s = doc.room(key).shape;
        area->ensureVisible(int((s.xl + s.xr) / 2), int((s.ytl + s.ybl) / 2), 200, 200);
    };
    QObject::connect(rooms, &RoomsDock::roomActivated, &window, choose);
    QObject::connect(problems, &ProblemsDock::roomActivated, &window, choose);
    QObject::connect(problems, &ProblemsDock::checked, &window,
                     [&](const QString& summary) { window.statusBar()->showMessage(summary); });
    window.statusBar()->showMessage(problems->summary());
    window.resize(1260, 900);
    window.show();
    return app.exec();
}
