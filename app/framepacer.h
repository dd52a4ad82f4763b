#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

// Shows changes that come faster than the screen shows them at most once a frame: a
// change shows at once when the last showing is a frame old, otherwise when that frame is
// over, together with every change made since. The mouse may move many times in a frame.
class FramePacer : public QObject {
public:
    // When: at once, or once the events of this turn of the event loop are done (several
    // changes may come in one).
    enum class First { AtOnce, AfterTheTurn };
    explicit FramePacer(std::function<void()> show, First first = First::AtOnce, QObject* parent = nullptr);

    // Something changed: shows it now or at the end of the frame.
    void changed();
    // Shows at once what waits for the end of the frame.
    void showPending();

    static constexpr qint64 FrameMs = 16;

private:
    void showNow();

    std::function<void()> show;
    First first;
    QElapsedTimer shownAt;   // since the last showing
    QTimer nextFrame;        // the showing at the end of the frame
};
