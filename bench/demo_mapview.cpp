// A window with the map view over a synthetic 60 x 24 block picture and rooms, for looking
// at it and driving it by hand: Ctrl++ and Ctrl+- zoom, Ctrl+0 fits the picture, Ctrl+1 is
// actual size, Ctrl+Z and Ctrl+Shift+Z undo and redo; the status line shows the zoom.
#include "bench/syntheticgrid.h"
#include "core/model/document.h"
#include "view/mapscene.h"
#include "view/mapview.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>
#include <QUndoStack>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    constexpr int columns = 60;
    constexpr int rows = 24;
    TMetaroomDocument document;
    QUndoStack undoStack;
    document.setGrid({std::shared_ptr<TBlockList>(synthetic::makeBlocks(columns, rows)), columns, rows});
    document.setSurfaceSize(QSize(columns * 128, rows * 128));
    for (int i = 0; i < 300; ++i) {
        const qint64 left = (i % 30) * 250 + 40;
        const qint64 top = (i / 30) * 300 + 30;
        RoomRecord record;
        record.shape = {left, left + 120 + (i % 5) * 20, top + (i % 3) * 15, top + (i % 4) * 10, top + 150,
                        top + 170 - (i % 3) * 20};
        document.insertRoom(i, record);
    }
    document.select(document.roomAt(0));

    TMapScene scene(&document, &undoStack);
    QMainWindow window;
    auto* view = new TMapView(&scene);
    window.setCentralWidget(view);
    window.setWindowTitle(QStringLiteral("Map view"));
    QObject::connect(view, &TMapView::zoomChanged, &window, [&window](qreal zoom) {
        window.statusBar()->showMessage(QStringLiteral("Zoom %1 %").arg(zoom * 100, 0, 'f', 1), 2000);
    });
    auto addShortcut = [&](const QList<QKeySequence>& keys, auto slot) {
        auto* action = new QAction(&window);
        action->setShortcuts(keys);
        QObject::connect(action, &QAction::triggered, slot);
        window.addAction(action);
    };
    addShortcut({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, [view] { view->zoomIn(); });
    addShortcut({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [view] { view->zoomOut(); });
    addShortcut({QKeySequence(Qt::CTRL | Qt::Key_0)}, [view] { view->zoomToFit(); });
    addShortcut({QKeySequence(Qt::CTRL | Qt::Key_1)}, [view] { view->zoomActual(); });
    addShortcut({QKeySequence::Undo}, [&undoStack] { undoStack.undo(); });
    addShortcut({QKeySequence::Redo}, [&undoStack] { undoStack.redo(); });
    window.resize(1280, 800);
    window.show();
    view->setFocus();
    return app.exec();
}
