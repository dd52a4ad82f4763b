// The map's context menu: cutting a room in two and adding a room beyond one of its sides,
// where the menu was opened.
#include "app/application.h"
#include "app/main.h"
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
