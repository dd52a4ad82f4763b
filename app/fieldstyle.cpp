#include "app/fieldstyle.h"

#include <QPainter>
#include <QStyleOptionFrame>
#include <QWidget>

namespace {

constexpr qsizetype MostPanelsKept = 64;
constexpr char BackdropProperty[] = "fieldBackdrop";

} // namespace

void TFieldStyle::setBackdrop(QWidget* field, const QImage& behind)
{
    field->setProperty(BackdropProperty, behind);
}

void TFieldStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_PanelLineEdit || !frame || !painter->device()
        || painter->worldTransform().type() > QTransform::TxTranslate || frame->rect.isEmpty()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QVariant backdrop = widget ? widget->property(BackdropProperty) : QVariant();
    QImage behind = backdrop.isValid() ? backdrop.value<QImage>() : QImage();
    const qreal ratio = painter->device()->devicePixelRatio();
    if (behind.size() != frame->rect.size() || ratio != 1)
        behind = QImage();
    const PanelKey key{frame->rect.size(), int(frame->state), frame->lineWidth, frame->palette.cacheKey(), ratio,
                       behind.cacheKey()};
    auto found = panels.constFind(key);
    if (found == panels.cend()) {
        QPixmap panel(frame->rect.size() * ratio);
        panel.setDevicePixelRatio(ratio);
        if (behind.isNull())
            panel.fill(Qt::transparent);
        else
            panel.convertFromImage(behind);
        QStyleOptionFrame atOrigin = *frame;
        atOrigin.rect.moveTo(0, 0);
        QPainter onPanel(&panel);
        QProxyStyle::drawPrimitive(element, &atOrigin, &onPanel, widget);
        onPanel.end();
        if (panels.size() >= MostPanelsKept)
            panels.clear();
        found = panels.insert(key, panel);
    }
    painter->drawPixmap(frame->rect.topLeft(), *found);
}
