#include "app/statusbar.h"

#include <QLabel>
#include <QPainter>

// The mouse's field changes at every move: it paints its text itself and asks the status
// bar for more room only when a text is longer than any before, where a label would lay
// the bar out again at every change.
class TPointerField : public QWidget {
public:
    explicit TPointerField(QWidget* parent)
        : QWidget(parent)
    {
    }

    QString text() const { return shown; }

    void setText(const QString& text)
    {
        if (text == shown)
            return;
        shown = text;
        if (shown.size() > longest) {
            longest = shown.size();
            // Room for a wider character or two in a text as long.
            const int wanted = fontMetrics().horizontalAdvance(shown) + 2 * fontMetrics().averageCharWidth() + 2 * Margin;
            if (wanted > minimumWidth())
                setMinimumWidth(wanted);
        }
        update();
    }

    QSize sizeHint() const override { return {minimumWidth(), fontMetrics().height()}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect().adjusted(Margin, 0, -Margin, 0), Qt::AlignLeft | Qt::AlignVCenter, shown);
    }

private:
    static constexpr int Margin = 2;
    QString shown;
    qsizetype longest = 0;
};

TStatusBar::TStatusBar(QWidget* parent)
    : QStatusBar(parent)
    , line(new QLabel(this))
{
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(false);
    setFixedHeight(19);
    line->setObjectName(QStringLiteral("StatusBarText"));
    addWidget(line, 1);
    pointer = new TPointerField(this);
    pointer->setObjectName(QStringLiteral("MousePosition"));
    addPermanentWidget(pointer);
}

void TStatusBar::setText(const QString& text)
{
    line->setText(text);
    if (line->isVisible())
        line->repaint();
}

QString TStatusBar::text() const
{
    return line->text();
}

void TStatusBar::setPointer(QPoint picturePixel, qint64 gameX, qint64 gameY)
{
    position = tr("%1, %2 (game %3, %4)").arg(picturePixel.x()).arg(picturePixel.y()).arg(gameX).arg(gameY);
    showPointerField();
}

void TStatusBar::clearPointer()
{
    position.clear();
    showPointerField();
}

void TStatusBar::setDragValues(const QString& values)
{
    dragValues = values;
    showPointerField();
}

QString TStatusBar::pointerText() const
{
    return pointer->text();
}

void TStatusBar::showPointerField()
{
    const QString gap = dragValues.isEmpty() || position.isEmpty() ? QString() : QStringLiteral("   ");
    pointer->setText(dragValues + gap + position);
}
