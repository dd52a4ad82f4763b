#include "rooms/tilestacking.h"

#include <QChildEvent>
#include <QWidget>
#include <cstring>

namespace {

// Past this many new children a full pass is cheaper than remembering them.
constexpr qsizetype maxRemembered = 64;

} // namespace

bool isBlockPicture(const QObject* child)
{
    return child && child->isWidgetType() && std::strcmp(child->metaObject()->className(), "TImage") == 0;
}

TileStacking::TileStacking(QWidget* panel, QObject* owner)
    : QObject(owner)
    , panel(panel)
{
    panel->installEventFilter(this);
}

bool TileStacking::eventFilter(QObject* watched, QEvent* event)
{
    // A new child's class is not known yet while it is being built; look at it later.
    if (watched == panel && event->type() == QEvent::ChildAdded) {
        if (added.size() < maxRemembered)
            added.append(static_cast<QChildEvent*>(event)->child());
        else
            tilesKnownAtBack = false;
    }
    return false;
}

bool TileStacking::tilesMayBeOutOfPlace() const
{
    if (!tilesKnownAtBack || isBlockPicture(panel->children().last()))
        return true;
    for (const QPointer<QObject>& child : added) {
        if (isBlockPicture(child))
            return true;
    }
    return false;
}

qsizetype TileStacking::sendTilesToBack()
{
    const QObjectList children = panel->children();   // lowering reorders Panel's own list
    qsizetype tiles = 0;
    bool otherBelow = false;
    for (QObject* child : children) {
        if (!isBlockPicture(child)) {
            otherBelow = true;
            continue;
        }
        ++tiles;
        if (otherBelow)
            static_cast<QWidget*>(child)->lower();
    }
    return tiles;
}

qsizetype TileStacking::countTilesAtBack() const
{
    const QObjectList& children = panel->children();
    qsizetype low = 0;
    qsizetype high = children.size();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (isBlockPicture(children[middle]))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

void TileStacking::placeAboveTiles(QWidget* room)
{
    if (room->parentWidget() != panel)
        return;
    const qsizetype tiles = tilesMayBeOutOfPlace() ? sendTilesToBack() : countTilesAtBack();
    added.clear();
    tilesKnownAtBack = true;

    const QObjectList& children = panel->children();
    for (qsizetype i = tiles; i < children.size(); ++i) {
        if (!children[i]->isWidgetType())
            continue;
        if (children[i] != room)
            room->stackUnder(static_cast<QWidget*>(children[i]));
        return;
    }
}
