#include "background/tilegrid.h"

#include "app/main.h"
#include "background/blockpicture.h"

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

void SizePictureArea(TfrmMainForm& form)
{
    // The scroll area takes its ranges from Panel's size.
    form.Panel->resize(CellSize * form.BlockColumns, CellSize * form.BlockRows);
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

void InstallGrid(TfrmMainForm& form, std::unique_ptr<TBlockList> blocks, int columns, int rows)
{
    RemoveBlockPictures(form);
    form.Blocks = std::move(blocks);
    form.BlockColumns = columns;
    form.BlockRows = rows;
    if (rows > 0) {
        const int count = int(form.Blocks->size());
        for (int k = 0; k < count; ++k)
            AddBlockPicture(form, *(*form.Blocks)[size_t(k)], k / rows, k % rows);
    }
    SizePictureArea(form);
    PutBlockPicturesBehind(form);
}

} // namespace tilegrid
