#pragma once

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QProxyStyle>

// The application's style, but line edits' panels drawn once for each size, state, palette
// and backdrop and then copied: the style's own panel, round corners smoothed, costs many
// times the text inside it, and the toolbox repaints its fields at every step of a drag.
class TFieldStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    // What lies behind a field, drawn under its panel so that the panel covers all of the
    // field's place.
    static void setBackdrop(QWidget* field, const QImage& behind);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    struct PanelKey {
        QSize size;
        int state = 0;
        int lineWidth = 0;
        qint64 palette = 0;
        qreal ratio = 1;
        qint64 backdrop = 0;
        bool operator==(const PanelKey&) const = default;
    };
    friend size_t qHash(const PanelKey& key, size_t seed)
    {
        return qHashMulti(seed, key.size.width(), key.size.height(), key.state, key.lineWidth, key.palette, key.ratio,
                          key.backdrop);
    }

    mutable QHash<PanelKey, QPixmap> panels;
};
