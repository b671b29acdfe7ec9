#pragma once
// A guided calibration of one sensor block, driven turn by turn like a
// settings session: the window (or a test) asks for the frame of each
// transmit turn, hands over each good reply, and passes on what the
// technician chose. Time comes in with every call, in milliseconds from any
// fixed start, so a test drives the clock itself.
//
// It checks before it adjusts (as found), adjusts only through the block's own
// commands, reading back each point, and checks again (as left). Aborting, or a
// block that fails a read-back or stops answering before the save, ends with a
// reset of the block and a read-back of its points. The record says all of it.

#include "CalibrationRecord.h"
#include "CalibrationRules.h"
#include "protocol/Frame.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CalibrationProcedure {
  public:
    // The remark of a record whose connection was lost between set-up mode
    // and the save: the block may still be in set-up mode, its points changed.
    static constexpr const char *LeftInSetUpRemark =
        "Связь с прибором прервана во время настройки: блок мог остаться в режиме настройки с "
        "изменёнными точками";

    // What the technician may choose at a step; the window shows one button
    // for each the step offers.
    enum class Action {
        Ready,     // the gas asked for is on the sensor
        AcceptNow, // take the reading before it counts as steady
        Adjust,    // after the as-found check: go on to adjust
        Finish,    // after a passed as-found check: finish without adjusting
        WriteGas,  // write the cylinder's concentration as the block's setting
        KeepGas,   // leave the block's calibration-gas setting as it is
        Abort,
    };

    // What the procedure waits for now.
    enum class Waiting {
        Technician, // one of actions()
        Steady,     // a steady reading (or the alarms settling)
        Block,      // answers to what it sent
        Nothing,    // over
    };

    // What to do now: every instruction starts with what the technician
    // does ("Подайте на датчик чистый воздух", "Подождите: ...") and names
    // the gas. Steps are counted as the technician meets them: each gas put
    // on the sensor, the decision after the as-found check, the save; the
    // requests on the way belong to the step they serve.
    struct Step {
        std::string instruction;
        TestGas gas = TestGas::Ambient; // what should be on the sensor
        Waiting waiting = Waiting::Nothing;
        std::vector<Action> actions;
        int number = 0; // from 1; 0 before the first
        int count = 0;  // of the whole run with adjustment
    };

    // The wait for a steady reading, for the chart's band and countdown.
    struct SteadyWait {
        double low = 0, high = 0; // the band the last window's readings span
        double secondsLeft = 0;   // until it counts as steady if it stays so
        double secondsWaited = 0;
        bool tooLong = false; // past the rule's longest wait
    };

    // The record is started from `base`, which the window filled with the
    // instrument, who, where and which cylinder (its concentration in the
    // block's units). The procedure reads the block's points and settings
    // itself before it begins, and again at the end for the record.
    CalibrationProcedure(std::uint8_t block, SensorGas gas, CalibrationRecord base,
                         std::int64_t nowMs);
    // For a block a lost connection left in set-up mode (leftInSetUp()): the
    // reset (16) and a read-back of its points, kept as a correction of the
    // interrupted record that says what the block was found to hold.
    static CalibrationProcedure recovery(const CalibrationRecord &interrupted, std::int64_t nowMs);
    ~CalibrationProcedure();
    CalibrationProcedure(CalibrationProcedure &&) noexcept;
    CalibrationProcedure &operator=(CalibrationProcedure &&) noexcept;

    // Frames and replies, as a settings session takes them.
    std::optional<Frame> nextFrame(std::int64_t nowMs);
    void takeReply(const Frame &reply, std::int64_t nowMs);
    // The technician's choice; one the step does not offer is ignored.
    void act(Action action, std::int64_t nowMs);
    // The line went: the record is marked interrupted with what it holds.
    void drop(std::int64_t nowMs);

    const Step &step() const;
    std::optional<SteadyWait> steadyWait() const;
    // What the reading of the wait under way is judged against, in the units
    // of liveValue(): the gas's value and the tolerance either side. Nothing
    // for a wait that only settles the sensor or watches the alarms.
    struct Target {
        double expected = 0, low = 0, high = 0;
    };
    std::optional<Target> target() const;
    // What the block confirmed it holds after each write, in order: "Точка
    // воздуха записана: U воздух 1219,4 мВ", "Настройка сохранена в блоке".
    const std::vector<std::string> &confirmations() const;
    // The latest reading the block gave for the step's chart, as a number in
    // percent (or millivolts during adjustment), and its unit text.
    std::optional<double> liveValue() const;
    std::string liveUnit() const;
    // The step's chart since the wait began.
    const std::vector<ChartPoint> &liveChart() const;

    bool finished() const;
    const CalibrationRecord &record() const;

    // Changing the rule or the tolerance is possible until the first reading
    // is taken.
    bool setRule(SteadyRule rule);
    bool setTolerance(int tolerance);
    // On a stand each position is read once a round: every wait then wants at
    // least `readings` readings within the band, spanning the rule's window.
    // Possible until the first reading is taken, as the rule.
    bool setReadings(int readings);

    // The block stopped answering its polls: as a request it never answered.
    void blockSilent(std::int64_t nowMs);

  private:
    struct State;
    explicit CalibrationProcedure(std::unique_ptr<State> state);
    std::unique_ptr<State> s_;
};

// The record's connection was lost between set-up mode and the save.
bool leftInSetUp(const CalibrationRecord &r);
