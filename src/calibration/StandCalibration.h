#pragma once
// Calibrating sensors: those of a test stand in one pass of gas per stage,
// or one on the desk, which is a stand of one position without a
// multiplexer. Each
// position fitted runs the calibration procedure a sensor on the desk runs
// (CalibrationProcedure: the same steps, checks and read-backs); this drives
// them all through the base's multiplexer, turn by turn as a procedure is
// driven:
//
// - The technician puts each gas on the whole stand once. When every
//   position still calibrating waits for a gas, the stand asks for it, and
//   Ready goes to them all. A position whose next gas is the one on the stand
//   already goes on without asking (the as-left check in the cylinder's gas
//   right after its point was taken).
// - Between, the stand goes round the positions: at each it switches the
//   multiplexer (the base's poll, 12, with the channel in byte 2; a page's
//   poll may have moved it since), waits for the base's answer, then gives
//   the position's procedure the line: while
//   it waits for a steady reading, for one reading; while it talks to its
//   block (reads, points, the save and the read-back), until that is done.
// - What a calibration on the desk leaves to the technician is decided by
//   rule: a position whose as-found check passed finishes without adjusting,
//   one out of tolerance is adjusted, and a block holding another
//   calibration-gas concentration than the cylinder's gets the cylinder's.
// - A position that never answers is empty: it gets no record and is left
//   out of the stages after the first. A block that stops answering is
//   handled by its procedure as on the desk. Aborting aborts every
//   procedure; those whose adjustment had begun are reset and read back.
// - Steadiness: a position is read once a round, so a wait wants the last
//   StandReadings readings within the band, spanning the rule's window.
// - On the desk the one procedure has the line to itself (it reads at every
//   turn, and times its block's silence itself), and what it leaves to the
//   technician stays the technician's: the stage is its step.

#include "CalibrationProcedure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class StandCalibration {
  public:
    using Action = CalibrationProcedure::Action;

    static constexpr int StandReadings = 3;
    // Turns a visit waits for a block's answer before the round goes on, and
    // visits without one before the block counts as silent.
    static constexpr int SilentTurns = 3;
    static constexpr int SilentVisits = 3;
    // Turns to wait for the base's answer to a switch before sending it again.
    static constexpr int SwitchTurns = 3;

    enum class State { Waiting, Steady, Adjusted, Passed, Failed, Empty };

    struct Fitted {
        int position = 0; // 1 to 32
        std::string label;
    };
    struct Position {
        int position = 0;
        std::string label;
        State state = State::Waiting;
        std::optional<double> latest; // its last reading
        std::string unit;             // of that reading: "%", "мВ"
    };
    // What the technician sees of the stage under way: the instruction, the
    // gas on the stand, what may be chosen, the positions still waiting and
    // since when.
    struct Stage {
        std::string instruction;
        TestGas gas = TestGas::Ambient;
        std::vector<Action> actions;
        int number = 0; // the gases put on so far
        int waiting = 0;
        std::int64_t beganMs = 0;
    };

    // `base` as for a procedure; each position's record is started from it
    // with its position and label.
    StandCalibration(std::uint8_t block, SensorGas gas, const CalibrationRecord &base,
                     const std::vector<Fitted> &fitted, std::int64_t nowMs);

    // The steadiness rule (its readings stay the stand's) and the tolerance
    // of every position, as a procedure takes them: before its first reading.
    // A sensor on the desk: `procedure` (a calibration, or the recovery of
    // a block a lost connection left in set-up mode) as a stand of one.
    StandCalibration(CalibrationProcedure procedure, std::int64_t nowMs);

    bool setRule(SteadyRule rule);
    bool setTolerance(int tolerance);

    std::optional<Frame> nextFrame(std::int64_t nowMs);
    void takeReply(const Frame &reply, std::int64_t nowMs);
    // Ready (the gas asked for is on the stand) or Abort.
    void act(Action action, std::int64_t nowMs);
    // The line went: every record is marked interrupted with what it holds.
    void drop(std::int64_t nowMs);

    const Stage &stage() const { return stage_; }
    // The stand waits for the technician to put a gas on it: the line is
    // free meanwhile (the pages may poll).
    bool waitsForTechnician() const;
    std::vector<Position> positions() const;
    // The procedure of a position fitted, or nullptr.
    const CalibrationProcedure *procedure(int position) const;
    // On the desk, its procedure; nullptr on a stand.
    const CalibrationProcedure *desk() const;
    // A reply taken that the page may show too: on the desk, the block's
    // readings (the page shows what it measures); on a stand none, as they
    // are of whichever position the multiplexer is on.
    bool pageMaySee(const Frame &reply) const;
    bool finished() const;
    // The records of the positions that answered, in the order fitted.
    std::vector<CalibrationRecord> records() const;
    // Every gas the technician put on the stand.
    int gasesPut() const { return stage_.number; }

  private:
    struct Slot {
        Fitted fitted;
        CalibrationProcedure procedure;
        bool answered = false; // its block ever answered
        int silentVisits = 0;
        bool abortAsked = false;
        std::optional<double> latest;
        std::string unit;
    };
    enum class Line { Switch, AwaitSwitch, Visit };

    bool done(const Slot &s) const;
    bool empty(const Slot &s) const;
    bool parked(const Slot &s) const;
    // The choices a desk leaves to the technician, made by rule.
    void decide(Slot &s);
    void nextSlot();
    void ask();
    // Once every position is done: the stage says so and offers nothing.
    bool closeIfDone();
    // On the desk: the stage is the procedure's step.
    void followDesk();

    std::uint8_t block_;
    std::vector<Slot> slots_;
    std::size_t current_ = 0;
    Line line_ = Line::Switch;
    int turns_ = 0;         // in the switch or the visit under way
    int readings_ = 0;      // taken in the visit under way
    bool answered_ = false; // in the visit under way
    std::optional<TestGas> onStand_;
    bool desk_ = false;
    std::int64_t nowMs_ = 0;
    Stage stage_;
};
