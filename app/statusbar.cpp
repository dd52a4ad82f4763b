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
