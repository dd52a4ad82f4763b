#pragma once

#include <QPoint>
#include <QStatusBar>

class QLabel;
class TPointerField;

// A status bar with one line of text that commands set, and at its right end a field of
// its own for where the mouse is on the map and the values a drag changes. Setting the
// text repaints at once, so progress shows while a command is still running.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const;

    // The mouse over a picture pixel, and the game's coordinates of it.
    void setPointer(QPoint picturePixel, qint64 gameX, qint64 gameY);
    // What a drag in progress changes; empty when none is.
    void setDragValues(const QString& values);
    // The mouse is off the map.
    void clearPointer();
    QString pointerText() const;

private:
    void showPointerField();

    QLabel* line;
    TPointerField* pointer;
    const QString pointerFormat;
    QString position;
    QString dragValues;
};
