#pragma once
// A calibration with the line to itself, as a settings session has it: each
// transmit turn sends the procedure's frame instead of the page's, and each
// good reply goes to the procedure. Its poll replies go on to the page too,
// so the page keeps showing what the block measures; the page's standing
// frame and sequence wait until the procedure is over.
//
// Changes of step are announced from the event loop (LineRun).

#include "LineRun.h"
#include "calibration/CalibrationProcedure.h"

#include <optional>

class CalibrationRun : public LineRun {
    Q_OBJECT
  public:
    CalibrationRun(Clock clock, QObject *parent = nullptr);

    // Takes the line from the next transmit turn on. Only while not busy().
    void start(CalibrationProcedure procedure);
    bool busy() const { return procedure_.has_value(); }
    // The procedure running, or the last one, until the next start.
    const CalibrationProcedure *procedure() const {
        return procedure_ ? &*procedure_ : ended_ ? &*ended_ : nullptr;
    }
    // The technician's choice.
    void act(CalibrationProcedure::Action action);

    // The transmit turn: true when the procedure took it.
    bool transmit(LinkPort &port);
    // A good reply: true when the page is not to see it.
    bool receive(const Frame &reply);
    // The connection ended, or another instrument answers: the procedure
    // ends interrupted.
    void drop();

  signals:
    // It is over; its record is complete.
    void finished(const CalibrationRecord &record);

  private:
    bool running() const override { return busy(); }
    void endIfOver() override;

    std::optional<CalibrationProcedure> procedure_;
    std::optional<CalibrationProcedure> ended_;
};
