#include "app/statusbar.h"

#include <QLabel>

TStatusBar::TStatusBar(QWidget* parent)
    : QStatusBar(parent)
    , line(new QLabel(this))
{
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(false);
    setFixedHeight(19);
    line->setObjectName(QStringLiteral("StatusBarText"));
    addWidget(line, 1);
    pointer = new QLabel(this);
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
