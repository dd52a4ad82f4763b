#include "background/tilegrid.h"

#include "app/main.h"
#include "background/blockpicture.h"
#include "core/model/commands.h"

#include <QWidget>
#include <cstring>

namespace tilegrid {

bool isBlockPicture(const QObject* child)
{
    return std::strcmp(child->metaObject()->className(), "TImage") == 0;
}

void RemoveBlockPictures(TfrmMainForm& form)
{
    const QObjectList children = form.Panel->children();
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        if (isBlockPicture(*it))
            delete *it;
    }
}

TImage* AddBlockPicture(TfrmMainForm& form, const TGraphicBlock& block, int column, int row)
{
    auto* picture = new TImage(form.Panel);
    picture->setGeometry(CellSize * column, CellSize * row, CellSize, CellSize);
    picture->setPicture(block.Bitmap);
    picture->show();
    return picture;
}

QSize PictureArea(const PictureGrid& grid)
{
    return QSize(CellSize * grid.columns, CellSize * grid.rows);
}

void PutBlockPicturesBehind(TfrmMainForm& form)
{
    // Raising the few other children in their order costs less than lowering every picture.
    const QObjectList children = form.Panel->children();
    for (QObject* child : children) {
        if (child->isWidgetType() && !isBlockPicture(child))
            static_cast<QWidget*>(child)->raise();
    }
}

void ShowGrid(TfrmMainForm& form)
{
    RemoveBlockPictures(form);
    const PictureGrid& grid = form.Document->grid();
    if (grid.blocks && grid.rows > 0) {
        const int count = int(grid.blocks->size());
        for (int k = 0; k < count; ++k)
            AddBlockPicture(form, *(*grid.blocks)[size_t(k)], k / grid.rows, k % grid.rows);
    }
    PutBlockPicturesBehind(form);
}

void InstallGrid(TfrmMainForm& form, const PictureGrid& grid, const QString& text)
{
    form.Push(new PictureCommand(form.Document, grid, PictureArea(grid), text));
}

void InstallGrid(TfrmMainForm& form, std::unique_ptr<TBlockList> blocks, int columns, int rows, const QString& text)
{
    InstallGrid(form, PictureGrid{std::shared_ptr<TBlockList>(std::move(blocks)), columns, rows}, text);
}

} // namespace tilegrid

void TfrmMainForm::followGrid()
{
    tilegrid::ShowGrid(*this);
}
