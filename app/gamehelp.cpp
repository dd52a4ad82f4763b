// The main window's help with the game's rules: the Rooms and Problems docks, and what
// the game will make of a room script just saved.
#include "app/main.h"
#include "view/mapview.h"

#include "app/statusbar.h"
#include "docks/problemsdock.h"
#include "docks/roomsdock.h"
#include "view/room.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QScrollArea>

namespace {

// Rows of findings the Problems dock shows at start, besides its header.
constexpr int ProblemRowsAtStart = 3;

QAction* viewItem(QDockWidget* dock, const char* name, const char* caption)
{
    QAction* item = dock->toggleViewAction();
    item->setObjectName(QString::fromLatin1(name));
    item->setText(QString::fromLatin1(caption));
    // Qt sets the check mark when the dock is first shown or hidden: set it already.
    item->setChecked(!dock->isHidden());
    return item;
}

} // namespace

void TfrmMainForm::createDocks()
{
    dockRooms = new RoomsDock(Document, this);
    dockProblems = new ProblemsDock(Document, this);
    addDockWidget(Qt::RightDockWidgetArea, dockRooms);
    addDockWidget(Qt::BottomDockWidgetArea, dockProblems);
    // The toolbox takes the right side, above the room list: the list starts hidden, and
    // the Problems list starts shown and short.
    dockRooms->hide();
    const int rowHeight = dockProblems->fontMetrics().height() + 6;
    resizeDocks({dockProblems}, {(ProblemRowsAtStart + 2) * rowHeight}, Qt::Vertical);

    ShowRooms1 = viewItem(dockRooms, "ShowRooms1", "&Rooms List");
    ShowProblems1 = viewItem(dockProblems, "ShowProblems1", "&Problems");
    View1->addAction(ShowRooms1);
    View1->addAction(ShowProblems1);

    connect(dockRooms, &RoomsDock::roomActivated, this, &TfrmMainForm::chooseRoom);
    connect(dockRooms, &RoomsDock::roomsChosen, Document, &TMetaroomDocument::selectRooms);
    connect(dockProblems, &ProblemsDock::roomActivated, this, &TfrmMainForm::chooseRoom);
    connect(dockProblems, &ProblemsDock::checked, this, &TfrmMainForm::followErrorsOfSave);
}

void TfrmMainForm::chooseRoom(RoomKey key)
{
    if (!Document->contains(key))
        return;
    Document->select(key);
    ShowRoomInView(key);
}

void TfrmMainForm::ShowRoomInView(RoomKey key)
{
    if (TRoom* room = roomOf(key))
        scbImage->ensureVisible(room);
}

namespace {

// "2 errors the game will trip on (see Problems)", or "no errors".
QString errorCount(int errors)
{
    if (errors == 0)
        return QStringLiteral("no errors");
    return QStringLiteral("%1 %2 the game will trip on (see Problems)")
        .arg(errors)
        .arg(errors == 1 ? QStringLiteral("error") : QStringLiteral("errors"));
}

} // namespace

// "Saved rooms.cos: 2 errors the game will trip on (see Problems)", or "...: no errors".
void TfrmMainForm::showGameErrorsOfSave(const QString& path)
{
    dockProblems->checkNow();
    const int errors = dockProblems->counts().errors;
    const QString fileName = QFileInfo(path).fileName();
    const QString line = QStringLiteral("Saved %1: %2").arg(fileName, errorCount(errors));
    StatusBar->setText(line);
    errorsOfSave = {fileName, errors, line, line};
}

void TfrmMainForm::followErrorsOfSave()
{
    // Only while the save's line is the one shown: the count there follows the map.
    if (errorsOfSave.shown.isEmpty())
        return;
    if (StatusBar->text() != errorsOfSave.shown) {
        errorsOfSave = {};
        return;
    }
    const int errors = dockProblems->counts().errors;
    const QString line = errors == errorsOfSave.errors
                             ? errorsOfSave.line
                             : QStringLiteral("Saved %1; the map now has %2").arg(errorsOfSave.fileName, errorCount(errors));
    StatusBar->setText(line);
    errorsOfSave.shown = line;
}
