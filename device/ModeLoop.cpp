#include "ModeLoop.h"

#include <QCoreApplication>

#include "Clock.h"
#include "IdleWait.h"

ModeLoop::ModeLoop(Clock& clock, std::function<void()> flushPanes)
    : loopClock(clock), flushPanes(std::move(flushPanes)) {}

void ModeLoop::run(const StopToken& stop, const std::function<std::uint32_t()>& pass,
                   const std::function<IdleOn()>& idleOn, Events events) {
    const bool afterPass = events == Events::AfterPass;
    while (!stop.requested()) {
        const std::uint32_t handled = pass();
        if (handled == 0) {
            // Whatever the user did meanwhile is handled before the sleep,
            // not after it.
            if (afterPass) {
                keepAliveNow();
            }
            if (!stop.requested()) {
                sleepIdle(idleOn());
            }
        } else if (afterPass) {
            keepAlive();
        }
    }
    if (flushPanes) {
        flushPanes();
    }
}

WaitEnd ModeLoop::await(const StopToken& stop, WaitBound bound, IdleOn idleOn,
                        const std::function<Step()>& step) {
    std::int64_t boundStartMs = loopClock.milliseconds();
    int quietSteps = 0;
    for (;;) {
        if (stop.requested()) {
            return WaitEnd::Stopped;
        }
        const Step done = step();
        if (done == Step::Failed) {
            return WaitEnd::Failed;
        }
        const bool silence = bound.kind == WaitBound::Kind::Silence;
        if (done == Step::Done && silence) {
            return WaitEnd::Done;
        }
        const std::int64_t now = loopClock.milliseconds();
        // A deadline holds whatever the step found: what came with its end
        // came late.
        if (!silence && now - boundStartMs >= bound.limitMs) {
            return WaitEnd::TimedOut;
        }
        if (done == Step::Done) {
            return WaitEnd::Done;
        }
        if (done == Step::Progress && silence) {
            boundStartMs = now;
        } else if (now - boundStartMs >= bound.limitMs) {
            return WaitEnd::TimedOut;
        }
        if (done != Step::Nothing) {
            quietSteps = 0;
            keepAlive();
            continue;
        }
        // An answer that comes within one idle wait is not held up by the
        // window (the boot loader's acknowledgements come that fast, 1,024
        // times a flash); a wait that goes on handles the window's events
        // before each further sleep, so a click ends it at once.
        if (++quietSteps > 1) {
            keepAliveNow();
            if (stop.requested()) {
                return WaitEnd::Stopped;
            }
        } else {
            keepAlive();
        }
        sleepIdle(idleOn);
    }
}

void ModeLoop::keepAlive() {
    if (loopClock.milliseconds() - lastEventsMs >= WindowEventIntervalMs) {
        keepAliveNow();
    }
}

void ModeLoop::keepAliveNow() {
    lastEventsMs = loopClock.milliseconds();
    if (flushPanes) {
        flushPanes();
    }
    QCoreApplication::processEvents();
}

void ModeLoop::sleepIdle(IdleOn idleOn) {
    if (idleOn.first != 0 && idleOn.second != 0) {
        WaitAfterIdlePass(idleOn.first, idleOn.second);
    } else if (idleOn.first != 0) {
        WaitAfterIdlePass(idleOn.first);
    }
}
