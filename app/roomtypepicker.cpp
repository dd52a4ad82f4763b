#include "app/roomtypepicker.h"

#include "core/common/intconv.h"
#include "core/rules/roomtypes.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace {

// A small arrow pointing down, in the field's text colour.
QIcon arrowIcon(const QWidget* field)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(field->palette().color(QPalette::Text));
    painter.drawPolygon(QPolygonF({QPointF(2, 4), QPointF(10, 4), QPointF(6, 9)}));
    return QIcon(pixmap);
}

} // namespace

RoomTypePicker::RoomTypePicker(QLineEdit* field)
    : QObject(field)
    , field(field)
    , types(new QMenu(field))
    , opener(new QAction(arrowIcon(field), QStringLiteral("Room types"), field))
{
    types->setObjectName(field->objectName() + QStringLiteral("Types"));
    for (int type = 0; type < RoomTypeCount; ++type) {
        const bool named = RoomTypeLabel(type) != RoomTypeName(type);
        QAction* item = types->addAction(named ? RoomTypeLabel(type) : QStringLiteral("%1 (unused)").arg(type));
        item->setData(type);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, type] { this->field->setText(IntToStr(type)); });
    }
    opener->setObjectName(field->objectName() + QStringLiteral("List"));
    opener->setToolTip(QStringLiteral("The game's room types"));
    field->addAction(opener, QLineEdit::TrailingPosition);

    connect(opener, &QAction::triggered, this, &RoomTypePicker::showList);
    connect(types, &QMenu::aboutToShow, this, &RoomTypePicker::markTypedType);
    connect(field, &QLineEdit::textChanged, this, &RoomTypePicker::nameTypedType);
    nameTypedType();
}

void RoomTypePicker::showList()
{
    types->popup(field->mapToGlobal(QPoint(0, field->height())));
}

void RoomTypePicker::nameTypedType()
{
    const std::optional<std::int32_t> type = tryStrToInt(field->text());
    if (!type)
        field->setToolTip(QString());
    else if (IsGameRoomType(*type))
        field->setToolTip(RoomTypeLabel(*type));
    else
        field->setToolTip(QStringLiteral("Type %1: the game has only types 0 to %2").arg(*type).arg(RoomTypeCount - 1));
}

void RoomTypePicker::markTypedType()
{
    const std::optional<std::int32_t> type = tryStrToInt(field->text());
    for (QAction* item : types->actions())
        item->setChecked(type && item->data().toInt() == *type);
}
