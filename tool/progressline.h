#pragma once

// A line of progress on standard error that rewrites itself, shown only when standard
// error is a terminal, and wiped at the end.

#include <QString>

class ProgressLine {
public:
    ProgressLine();   // shown when standard error is a terminal
    explicit ProgressLine(bool shown);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // "Reading map.blk: 40%"; only written again when it changes.
    void show(const QString& step, int percent);
    // "Writing map.png ..."
    void show(const QString& step);
    void clear();

private:
    void write(const QString& text);

    bool shown;
    QString current;
};
