#pragma once
// A stand calibration with the line to itself while it goes round the
// positions: each transmit turn sends the stand's frame instead of the
// page's, and each good reply goes to the stand. While the stand waits for
// the technician to put the next gas on, the line is the page's again: the
// page polls as ever (the stand switches the multiplexer back at its next
// visit).
//
// Changes are announced from the event loop (LineRun).

#include "LineRun.h"
#include "calibration/StandCalibration.h"

#include <optional>
#include <vector>

class StandRun : public LineRun {
    Q_OBJECT
  public:
    explicit StandRun(Clock clock, QObject *parent = nullptr);

    // Takes the line from the next transmit turn on. Only while not busy().
    void start(StandCalibration stand);
    bool busy() const { return stand_.has_value(); }
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
    // It is over: the records of the positions that answered.
    void finished(const std::vector<CalibrationRecord> &records);

  private:
    bool running() const override { return busy(); }
    void endIfOver() override;

    std::optional<StandCalibration> stand_;
    std::optional<StandCalibration> ended_;
};
