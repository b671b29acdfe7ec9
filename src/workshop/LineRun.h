#pragma once
// What a run with the line to itself shares, a calibration's or a stand's:
// its frames go out in place of the page's, with the adapter's errors left
// to the run to report, and its changes are announced from the event loop,
// never from inside a tick, so that what follows (a window redrawing, a
// record written) does not hold the ticks up.

#include "protocol/Frame.h"

#include <QObject>

#include <cstdint>
#include <functional>

class LinkPort;

class LineRun : public QObject {
    Q_OBJECT
  public:
    using Clock = std::function<std::int64_t()>;

    std::int64_t now() const { return clock_(); }

  signals:
    void busyChanged(bool busy);
    // Something moved: a reading, a step.
    void changed();

  protected:
    LineRun(Clock clock, QObject *parent);
    static void send(LinkPort &port, const Frame &frame);
    // Once the event loop is back: changed() while running, then endIfOver().
    void announce();
    virtual bool running() const = 0;
    // When the run is over: what it leaves is handed on and busyChanged(false).
    virtual void endIfOver() = 0;

  private:
    Clock clock_;
    bool announcing_ = false;
};
