#pragma once
// A stand calibration with the line to itself while it goes round the
// positions: each transmit turn sends the stand's frame instead of the
// page's, and each good reply goes to the stand. While the stand waits for
// the technician to put the next gas on, the line is the page's again: the
// page polls as ever (the stand switches the multiplexer back at its next
// visit).
//
// Changes are announced from the event loop, never from inside a tick.

#include "calibration/StandCalibration.h"

#include <QObject>

#include <functional>
#include <optional>
#include <vector>

class LinkPort;

class StandRun : public QObject {
    Q_OBJECT
  public:
    using Clock = std::function<std::int64_t()>;

    explicit StandRun(Clock clock, QObject *parent = nullptr);

    // Takes the line from the next transmit turn on. Only while not busy().
    void start(StandCalibration stand);
    bool busy() const { return stand_.has_value(); }
    std::int64_t now() const { return clock_(); }
    // The stand running, or the last one, until the next start.
    const StandCalibration *stand() const {
        return stand_ ? &*stand_ : ended_ ? &*ended_ : nullptr;
    }
    void act(CalibrationProcedure::Action action);

    // The transmit turn: true when the stand took it.
    bool transmit(LinkPort &port);
    // A good reply: true when the page is not to see it.
    bool receive(const Frame &reply);
    // The connection ended, or another instrument answers.
    void drop();

  signals:
    void busyChanged(bool busy);
    void changed();
    // It is over: the records of the positions that answered.
    void finished(const std::vector<CalibrationRecord> &records);

  private:
    void announce();
    void endIfOver();

    Clock clock_;
    std::optional<StandCalibration> stand_;
    std::optional<StandCalibration> ended_;
    bool announcing_ = false;
};
