// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The longest gap between two turns of the window thread's event loop, measured from construction:
// a timer asks for a turn every millisecond and each turn notes how long it has been since the last.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

class LoopStallMeter {
public:
    LoopStallMeter()
    {
        clock_.start();
        tick_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        tick_.start(1);
        last_ = clock_.nsecsElapsed();
    }
    LoopStallMeter(const LoopStallMeter&) = delete;
    LoopStallMeter& operator=(const LoopStallMeter&) = delete;

    double longest_ms() const { return static_cast<double>(longest_) / 1e6; }

private:
    QElapsedTimer clock_;
    QTimer tick_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};
