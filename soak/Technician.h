#pragma once
// What a technician does at the bench through a long session, every choice
// drawn from a generator with a fixed random start so that a run can be
// repeated: moves between the base, pump and block pages (staying mostly on
// the block page), presses the page's buttons, types thresholds before
// "Применить", now and then switches the instrument off or opens the
// multiplexer window, and now and then calibrates the sensor through the
// calibration window, putting on the gas each step asks for (or the wrong
// one), aborting or closing the window midway. The line meanwhile picks up
// trouble of every kind.

#include "LineTrouble.h"
#include "SoakBench.h"
#include "calibration/CalibrationRules.h"
#include "records/RecordStore.h"

#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

class QPushButton;
class QWidget;

class Technician {
  public:
    Technician(SoakBench &bench, std::uint32_t randomStart);

    // Warm-up with the kind's instrument, its adapter open: every button of
    // its three pages pressed once, each kind of line trouble once, the
    // instrument switched off and opened again, the multiplexer window opened
    // and closed, and then polling on the block page until its frame trace
    // (if it has one) holds all the lines it keeps, and as many again.
    void tour(int kind);

    // `ms` of random bench work with the kind's instrument, its adapter open.
    // `minutely` is told each whole minute of the session that has passed.
    void session(int kind, std::int64_t ms, const std::function<void(int minute)> &minutely = {});

    struct Counts {
        std::int64_t presses = 0;
        std::int64_t typedFields = 0;
        // Fields that did not take the digits typed into them.
        std::int64_t typingRefused = 0;
        std::int64_t pageChanges = 0;
        std::int64_t switchOffs = 0;
        // Switch-offs after which the window went on polling (the reply to
        // the off command lost on the line): the adapter was opened again.
        std::int64_t switchOffsUnanswered = 0;
        std::int64_t muxWindows = 0;
        std::int64_t reopenings = 0;
        std::int64_t stalls = 0;
        // Times the instrument took a sensor type nobody chose.
        std::int64_t kindChanges = 0;
        // Calibrations begun, and those that ended (completed, failed or
        // interrupted); how they were disturbed on purpose.
        std::int64_t calibrations = 0;
        std::int64_t calibrationsEnded = 0;
        std::int64_t calibrationsPassed = 0;
        // Calibrations with a wrong gas at some step.
        std::int64_t calibrationsWrongGas = 0;
        std::int64_t calibrationsAborted = 0;
        std::int64_t calibrationsClosed = 0;
        // Faults: a procedure still running after its connection ended; an
        // ended one whose record the journal does not hold; one that never
        // ended in the time the technician gives it.
        std::int64_t calibrationsLeftRunning = 0;
        std::int64_t recordsMissing = 0;
        std::int64_t calibrationsStuck = 0;
    };
    Counts counts;
    LineTrouble trouble;
    // A line for each time the window stopped getting replies by itself.
    QStringList stallNotes;
    QStringList kindChangeNotes;
    QStringList calibrationNotes;

  private:
    static constexpr std::int64_t HousekeepingMs = 3 * 60'000;
    // Without a valid reply for this long the connection counts as stalled.
    static constexpr std::int64_t StallMs = 90'000;
    // How long the instrument may stay unidentified (after the multiplexer
    // window's sensor type, say) before the adapter is opened again.
    static constexpr std::int64_t LostMs = 20'000;
    // Longer than any calibration takes, line trouble and all.
    static constexpr std::int64_t CalibrationWithinMs = 20 * 60'000;

    struct FollowUp {
        std::int64_t at;
        std::function<void()> action;
    };

    void begin(int kind);
    // One clock step, and whatever falls due in it; with `randomWork` the
    // technician's own moves too.
    void tick(bool randomWork);
    void runFollowUps();
    void settleFollowUps();
    void later(int loMs, int hiMs, std::function<void()> action);
    std::int64_t in(int loMs, int hiMs);
    void reopen();
    void note(const QString &move);
    void noticeKindChange();
    void putKindRight();

    void changePage();
    void showPage(int page);
    // Buttons of the page the technician may press at any time.
    std::vector<QPushButton *> everydayButtons(int page) const;
    void pressSomething();
    void press(int page, QPushButton *button);
    void typeThresholds(QWidget *group);
    void switchOff();
    void openMuxWindow();

    // How the technician goes through a calibration.
    enum class CalibrationPlan { AsAsked, WrongGas, Abort, Close };
    struct Calibration {
        CalibrationPlan plan = CalibrationPlan::AsAsked;
        std::int64_t begunAt = 0;
        std::int64_t nextMove = 0;
        // When an abort or close comes, for those plans.
        std::int64_t interruptAt = 0;
        bool interrupted = false;
        bool wrongGas = false;
        // The step answered last and the gas put on for it.
        std::string step;
        TestGas gas = TestGas::Ambient;
    };
    void calibrate(CalibrationPlan plan);
    void calibrationMove();
    void answerStep();
    void endCalibration();
    void checkCalibration();
    void countRecord(const CalibrationRecord &record);
    void calibrationNote(const QString &what);
    bool hasTrace() const;
    bool traceFull() const;

    SoakBench &bench_;
    std::mt19937 random_;
    int kind_ = 0;
    int blockPage_ = -1;
    std::size_t row_ = 0;
    std::int64_t nextPage_ = 0, nextPress_ = 0, nextTrouble_ = 0, nextHousekeeping_ = 0;
    std::int64_t nextSwitchOff_ = 0, nextMux_ = 0, unidentifiedSince_ = -1;
    std::int64_t kindPutRightAt_ = -1;
    std::int64_t nextCalibration_ = 0;
    std::optional<Calibration> calibration_;
    // A procedure was seen running with its connection ended, not yet counted
    // again.
    bool leftRunning_ = false;
    std::vector<FollowUp> followUps_;
    // The technician's last few moves, for the notes.
    QStringList recentMoves_;
};
