#include "app/framepacer.h"

#include <utility>

FramePacer::FramePacer(std::function<void()> show, First first, QObject* parent)
    : QObject(parent)
    , show(std::move(show))
    , first(first)
{
    nextFrame.setSingleShot(true);
    nextFrame.setTimerType(Qt::PreciseTimer);
    connect(&nextFrame, &QTimer::timeout, this, &FramePacer::showNow);
}

void FramePacer::changed()
{
    if (nextFrame.isActive())
        return;
    const qint64 sinceShown = shownAt.isValid() ? shownAt.elapsed() : FrameMs;
    if (sinceShown < FrameMs)
        nextFrame.start(int(FrameMs - sinceShown));
    else if (first == First::AfterTheTurn)
        nextFrame.start(0);
    else
        showNow();
}

void FramePacer::showPending()
{
    if (nextFrame.isActive()) {
        nextFrame.stop();
        showNow();
    }
}

void FramePacer::showNow()
{
    shownAt.start();
    show();
}
