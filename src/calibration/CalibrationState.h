#pragma once
// The inside of a calibration procedure, shared by the turn-by-turn engine
// (CalibrationProcedure.cpp) and the steps each kind of block goes through
// (CalibrationSteps.cpp). The steps are a queue of operations: a request to
// the block, a question to the technician, a wait for a steady reading, or a
// piece of bookkeeping run when it comes up.

#include "CalibrationProcedure.h"
#include "SteadyWatch.h"
#include "protocol/WriteData.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace calibration {
using Action = CalibrationProcedure::Action;
enum class Sensor { Catalytic, Oxygen, Pgs, Optical };
// What a step shows and a wait watches: the concentration, the raw signal
// (the catalytic mid-point voltage, the ПГС converter value) or the ПГС
// alarm bits (shown as its converter value).
enum class Source { Concentration, Signal, Alarms };

struct Op {
    enum class Kind { Send, Ask, Wait, Run };
    Kind kind = Kind::Run;
    CalibrationProcedure::Step step;
    Source source = Source::Concentration;
    std::uint8_t code = 0; // Send
    std::optional<WriteData> data;
    std::function<void()> answered;     // Send: after the answer is taken in
    std::function<void(Action)> chosen; // Ask: the technician's choice
    std::optional<Measurement> measure; // Wait: what the steady reading makes
    std::function<void()> run;          // Run
};

// The span gas and its point: the cylinder, or air for the oxygen block
// without one; `what` names it as an instruction does.
struct Span {
    std::string what, point;
    TestGas gas;
    int expected;
};
} // namespace calibration

struct CalibrationProcedure::State {
    using Action = calibration::Action;
    using Sensor = calibration::Sensor;
    using Source = calibration::Source;
    using Op = calibration::Op;
    using Span = calibration::Span;

    State(std::uint8_t block, SensorGas gas, CalibrationRecord base, std::int64_t nowMs);
    // The reset and read-back of a block a lost connection left in set-up
    // mode, for the correction of `interrupted`.
    State(const CalibrationRecord &interrupted, std::int64_t nowMs);

    // Engine (CalibrationProcedure.cpp).
    void advance();
    std::optional<Frame> frame();
    void take(const Frame &reply);
    void feed(const Frame &reply);
    void absorb(const Frame &reply);
    void choose(Action action);
    void beginWait();
    void completeWait(bool early);
    void abort();
    void silent();
    void finish(CalibrationOutcome outcome, std::string remark);
    std::optional<double> shown(Source source) const;
    SteadyRule ruleFor(Source source) const;

    // Steps (CalibrationSteps.cpp).
    void begin();
    void asFound();
    void verdict();
    void adjust();
    void offerGasWrite();
    void finishChecked();
    void readBack(CalibrationOutcome outcome, std::string remark, bool reset);
    // The read-back after readBack(), in words, against the points before.
    std::string heldNow(bool reset) const;
    void takeBefore();
    std::vector<std::optional<int>> pointValues() const;
    std::vector<std::uint8_t> pointReads() const;
    // The gas as an instruction names it: "газ из баллона № 5 (2,50 % CH4)".
    std::string gasText(TestGas g) const;
    Span span() const;
    int stepCount() const;
    // The voltage points as the block last read them back, for the technician.
    void confirmPoint(bool zero);
    // After the save: the points read back must be those written.
    void checkSaved();
    void confirmThresholds();
    void then(std::vector<Op> next);
    Op send(std::uint8_t code, std::string text, std::optional<WriteData> data = std::nullopt,
            std::function<void()> answered = {}) const;
    void appendReads(std::vector<Op> &to) const;

    std::uint8_t block;
    const CalibrationRules *rules;
    Sensor sensor = Sensor::Catalytic;
    CalibrationRecord rec;
    Step step;
    std::deque<Op> ops;
    bool finished = false;
    std::int64_t nowMs = 0;

    // The request out: turns it has waited and times it went.
    bool awaiting = false;
    int turnsWaited = 0;
    int sends = 0;

    // How far the block was changed.
    bool setUpSent = false;
    bool saved = false;
    // Resetting or reading back after an abort or a fault: how it will end.
    bool ending = false;
    CalibrationOutcome endOutcome = CalibrationOutcome::Interrupted;
    std::string endRemark;

    // The latest readings the block gave (block units).
    std::optional<int> concentration, signal, alarms;
    Source source = Source::Concentration;
    TestGas gas = TestGas::Ambient;

    // The wait under way: the watch that decides, the one over the values
    // charted (for the band drawn), when it began, the alarms seen during it.
    std::optional<SteadyWatch> watch, chartWatch;
    std::int64_t waitBeganMs = 0;
    int alarmsInWait = 0;
    std::vector<ChartPoint> chart;
    // What the block confirmed after each write, for the window.
    std::vector<std::string> confirmed;

    // What the block holds as last read (the two voltages of 2, the settings
    // of 3 and 4), and the settings read at the start.
    std::optional<int> firstPoint, secondPoint;
    // The points as read back after each was taken, for the read after the save.
    std::optional<int> writtenFirst, writtenSecond;
    // Readings a wait wants at least (a stand's rule; 1 on the desk).
    int readings = 1;
    std::map<std::string, int> settings, settingsStart;
};
