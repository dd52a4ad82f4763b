#pragma once

#include <QStatusBar>

class QLabel;

// A status bar with one line of text and no panels. Setting the text repaints at
// once, so progress shows while a command is still running.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const;

private:
    QLabel* line;
};
