#pragma once
// A calibration with the line to itself, as a settings session has it, on
// the desk or on a stand (StandCalibration): each transmit turn sends its
// frame instead of the page's, and each good reply goes to it. On the desk
// the block's poll replies go on to the page too, so the page keeps showing
// what the block measures. While a stand waits for the technician to put
// the next gas on, the line is the page's again: the page polls as ever (the
// stand switches the multiplexer back at its next visit).
//
// Its changes are announced from the event loop, never from inside a tick,
// so that what follows (a window redrawing, a record written) does not hold
// the ticks up.

#include "calibration/StandCalibration.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class LinkPort;

class CalibrationRun : public QObject {
    Q_OBJECT
  public:
    using Clock = std::function<std::int64_t()>;

    explicit CalibrationRun(Clock clock, QObject *parent = nullptr);

    std::int64_t now() const { return clock_(); }

    // Takes the line from the next transmit turn on. Only while not busy().
    void start(StandCalibration calibration);
    bool busy() const { return running_.has_value(); }
    // The calibration running, or the last one, until the next start.
    const StandCalibration *calibration() const {
        return running_ ? &*running_ : ended_ ? &*ended_ : nullptr;
    }
    // On the desk, that calibration's procedure; nullptr for a stand.
    const CalibrationProcedure *procedure() const {
        return calibration() ? calibration()->desk() : nullptr;
    }
    // The technician's choice.
    void act(CalibrationProcedure::Action action);

    // The transmit turn: true when the calibration took it.
    bool transmit(LinkPort &port);
    // A good reply: true when the page is not to see it.
    bool receive(const Frame &reply);
    // The connection ended, or another instrument answers: what runs ends
    // interrupted.
    void drop();

  signals:
    void busyChanged(bool busy);
    // Something moved: a reading, a step.
    void changed();
    // It is over: the records of the sensors that answered (on the desk,
    // its one record, complete).
    void finished(const std::vector<CalibrationRecord> &records);

  private:
    // Once the event loop is back: changed() while running, then endIfOver().
    void announce();
    // When it is over: the records handed on and busyChanged(false).
    void endIfOver();

    Clock clock_;
    bool announcing_ = false;
    std::optional<StandCalibration> running_;
    std::optional<StandCalibration> ended_;
};
