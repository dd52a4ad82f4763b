// The map's context menu: adding a room, cutting a room in two and adding a room beyond one
// of its sides, where the menu was opened; and the Edit menu's commands that add to the map.
#include "app/application.h"
#include "app/main.h"
#include "app/statusbar.h"
#include "app/toolbox.h"
#include "core/model/editor.h"
#include "view/mapview.h"

#include <QMenu>

void TfrmMainForm::createMapMenu()
{
    MapMenu = new QMenu(this);
    MapMenu->setObjectName(QStringLiteral("MapMenu"));
    auto item = [this](const char* name, const char* caption, void (TfrmMainForm::*handler)()) {
        QAction* a = MapMenu->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        plsd::connectHandler(a, &QAction::triggered, this, handler);
        return a;
    };
    AddRoomHere1 = item("AddRoomHere1", "Add Room", &TfrmMainForm::AddRoomHere1Click);
    MapMenu->addSeparator();
    SplitVertically1 = item("SplitVertically1", "Split Here Vertically", &TfrmMainForm::SplitVertically1Click);
    SplitHorizontally1 = item("SplitHorizontally1", "Split Here Horizontally", &TfrmMainForm::SplitHorizontally1Click);
    AddRoomBeyond1 = item("AddRoomBeyond1", "Add Room Beyond", &TfrmMainForm::AddRoomBeyond1Click);
    connect(scbImage, &TMapView::mapMenuRequested, this, &TfrmMainForm::ShowMapMenu);
}

void TfrmMainForm::ShowMapMenu(QPoint picturePixel, RoomKey room, QPoint globalPos)
{
    mapMenuPixel = picturePixel;
    mapMenuRoom = room;
    for (QAction* a : {SplitVertically1, SplitHorizontally1, AddRoomBeyond1})
        a->setEnabled(room != 0);
    MapMenu->popup(globalPos);
}

namespace {

// The permeability the toolbox holds for new doors; 100 without a toolbox.
int newDoorPerm(const TfrmToolbox* toolbox)
{
    return toolbox ? toolbox->typedPerm() : 100;
}

} // namespace

void TfrmMainForm::createEditCommands()
{
    // Above Settings, after Undo and Redo.
    auto item = [this](const char* name, const char* caption, void (TfrmMainForm::*handler)()) {
        auto* a = new QAction(QString::fromLatin1(caption), Edit1);
        a->setObjectName(QString::fromLatin1(name));
        Edit1->insertAction(Settings1, a);
        plsd::connectHandler(a, &QAction::triggered, this, handler);
        return a;
    };
    AddRoom1 = item("AddRoom1", "&Add Room", &TfrmMainForm::AddRoom);
    AddRoom1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    AddRoom1->setShortcutContext(Qt::ApplicationShortcut);
    DoorsOnEdges1 = item("DoorsOnEdges1", "&Doors on All Shared Edges", &TfrmMainForm::DoorsOnEdges1Click);
    Edit1->insertSeparator(Settings1)->setObjectName(QStringLiteral("N5"));
}

void TfrmMainForm::AddRoomHere1Click()
{
    AddRoomAt(mapMenuPixel);
}

void TfrmMainForm::DoorsOnEdges1Click()
{
    const int made = Editor->doorsOnAllSharedEdges(newDoorPerm(frmToolbox));
    if (made == 0)
        StatusBar->setText(QStringLiteral("Every shared edge has a door line already"));
    else
        StatusBar->setText(QStringLiteral("Made %1 door %2 on shared edges")
                               .arg(made)
                               .arg(made == 1 ? QStringLiteral("line") : QStringLiteral("lines")));
}

void TfrmMainForm::SplitVertically1Click()
{
    if (Document->contains(mapMenuRoom))
        Editor->splitRoom(mapMenuRoom, Qt::Vertical, mapMenuPixel.x(), mapMenuPixel.y(), newDoorPerm(frmToolbox));
}

void TfrmMainForm::SplitHorizontally1Click()
{
    if (Document->contains(mapMenuRoom))
        Editor->splitRoom(mapMenuRoom, Qt::Horizontal, mapMenuPixel.x(), mapMenuPixel.y(), newDoorPerm(frmToolbox));
}

void TfrmMainForm::AddRoomBeyond1Click()
{
    if (!Document->contains(mapMenuRoom))
        return;
    const RoomSide side = NearestSide(Document->room(mapMenuRoom).shape, mapMenuPixel.x(), mapMenuPixel.y());
    Editor->addRoomBeyond(mapMenuRoom, side);
}
