// A session at the bench: the clock stepped, what falls due in each step
// (housekeeping, follow-ups, line trouble, the technician's next move), the
// watch for a window that stopped getting replies or an instrument told the
// wrong sensor type, and the warm-up tour.

#include "Technician.h"

#include "mux/TForm2.h"
#include "pages/TraceMemo.h"
#include "sim/RandomIn.h"
#include "ui/CalibrationHandler.h"
#include "ui/PageIndex.h"
#include "workshop/CalibrationRun.h"
#include "workshop/CalibrationWindow.h"

#include <QPushButton>

namespace {
constexpr std::int64_t Second = 1000;
constexpr std::int64_t Minute = 60 * Second;

QString hex(const Frame &f) {
    return TraceMemo::hex(f).trimmed();
}
} // namespace

Technician::Technician(SoakBench &bench, std::uint32_t randomStart)
    : trouble(randomStart * 668265263u + 374761393u), bench_(bench),
      random_(randomStart * 2246822519u + 3266489917u) {
    QObject::connect(&bench_.form.calibration()->run(), &CalibrationRun::finished, &bench_.form,
                     [this](const std::vector<CalibrationRecord> &records) {
                         for (const CalibrationRecord &r : records)
                             countRecord(r);
                     });
}

std::int64_t Technician::in(int loMs, int hiMs) {
    return bench_.nowMs() + randomIn(random_, loMs, hiMs);
}

void Technician::later(int loMs, int hiMs, std::function<void()> action) {
    followUps_.push_back({in(loMs, hiMs), std::move(action)});
}

void Technician::begin(int kind) {
    kind_ = kind;
    blockPage_ = SoakBench::blockPageOf(kind);
    row_ = bench_.rowOf(kind);
    followUps_.clear();
    unidentifiedSince_ = -1;
    kindPutRightAt_ = -1;
    nextPage_ = in(10 * Second, Minute);
    nextPress_ = in(5 * Second, 30 * Second);
    nextTrouble_ = in(10 * Second, Minute);
    nextHousekeeping_ = bench_.nowMs() + HousekeepingMs;
    nextSwitchOff_ = in(30 * Minute, 150 * Minute);
    nextMux_ = in(45 * Minute, 180 * Minute);
    nextCalibration_ = in(10 * Minute, 40 * Minute);
    calibration_.reset();
}

void Technician::runFollowUps() {
    // An action may add follow-ups of its own, or open the adapter again and
    // run the clock meanwhile: take the due ones out first.
    std::vector<FollowUp> due;
    for (auto it = followUps_.begin(); it != followUps_.end();) {
        if (it->at <= bench_.nowMs()) {
            due.push_back(std::move(*it));
            it = followUps_.erase(it);
        } else {
            ++it;
        }
    }
    for (FollowUp &f : due)
        f.action();
}

void Technician::settleFollowUps() {
    while (!followUps_.empty())
        tick(false);
}

void Technician::note(const QString &move) {
    recentMoves_ << QString("%1 s %2").arg(bench_.nowMs() / Second).arg(move);
    if (recentMoves_.size() > 6)
        recentMoves_.removeFirst();
}

void Technician::noticeKindChange() {
    // The base keeps the sensor type a poll or identification request carries
    // in byte 4: find the frame that told it.
    const std::uint8_t now = bench_.sim.instrument(row_).kind();
    QString culprit = "(not among the frames kept)";
    const std::vector<Frame> &sent = bench_.sim.written(row_);
    for (auto f = sent.rbegin(); f != sent.rend(); ++f)
        if ((*f)[0] == Block::address(Block::Base) && (*f)[4] == now) {
            culprit = hex(*f);
            break;
        }
    ++counts.kindChanges;
    kindChangeNotes << QString("kind %1 became %2 at %3 s through %4; last moves: %5")
                           .arg(kind_)
                           .arg(now)
                           .arg(bench_.nowMs() / Second)
                           .arg(culprit, recentMoves_.join("; "));
    putKindRight();
}

void Technician::putKindRight() {
    // As the technician would, through the multiplexer window's sensor type.
    // It reaches the base with the next transmit tick, if the adapter is open:
    // tried again until it has.
    bench_.form.sensorTypeChosen(static_cast<std::uint8_t>(kind_));
    kindPutRightAt_ = bench_.nowMs();
}

void Technician::reopen() {
    ++counts.reopenings;
    unidentifiedSince_ = -1;
    bench_.open(kind_);
}

void Technician::tick(bool randomWork) {
    bench_.step();
    const std::int64_t now = bench_.nowMs();
    SimFaults &faults = bench_.sim.faults(row_);
    trouble.settle(faults, now);
    // Before housekeeping lets go of the frames sent: the one that told the
    // base its kind is looked for among them.
    if (bench_.sim.instrument(row_).kind() == kind_)
        kindPutRightAt_ = -1;
    else if (kindPutRightAt_ < 0)
        noticeKindChange();
    else if (now - kindPutRightAt_ > 5 * Second)
        putKindRight();
    if (now >= nextHousekeeping_) {
        bench_.housekeeping();
        nextHousekeeping_ = now + HousekeepingMs;
    }
    runFollowUps();
    checkCalibration();
    if (calibration_ && now >= calibration_->nextMove)
        calibrationMove();

    if (!bench_.identified(kind_)) {
        // Switched off and waiting to be opened again, or identifying itself
        // anew after the multiplexer window announced a sensor type.
        if (unidentifiedSince_ < 0)
            unidentifiedSince_ = now;
        if (followUps_.empty() && now - unidentifiedSince_ > LostMs)
            reopen();
        return;
    }
    unidentifiedSince_ = -1;
    if (now - bench_.lastReplyAt() > StallMs) {
        ++counts.stalls;
        stallNotes << QString("kind %1, page %2, %3 s: no reply for %4 s to %5; last moves: %6")
                          .arg(kind_)
                          .arg(bench_.form.activePage())
                          .arg(now / Second)
                          .arg((now - bench_.lastReplyAt()) / Second)
                          .arg(hex(bench_.form.exchange.CommandFrame), recentMoves_.join("; "));
        reopen();
        return;
    }
    if (!randomWork)
        return;

    if (now >= nextTrouble_) {
        trouble.inject(faults, now);
        nextTrouble_ = in(10 * Second, 90 * Second);
    }
    if (now >= nextPress_) {
        pressSomething();
        nextPress_ = in(10 * Second, 2 * Minute);
    }
    // Moves that take the technician off the page wait for the last press's
    // consequences (a sensor switched back on, an amplitude run stopped).
    if (!followUps_.empty())
        return;
    if (now >= nextSwitchOff_) {
        switchOff();
        nextSwitchOff_ = in(30 * Minute, 150 * Minute);
    } else if (now >= nextMux_) {
        openMuxWindow();
        nextMux_ = in(45 * Minute, 180 * Minute);
    } else if (now >= nextCalibration_ && !calibration_) {
        const int r = randomIn(random_, 0, 99);
        calibrate(r < 55   ? CalibrationPlan::AsAsked
                  : r < 70 ? CalibrationPlan::WrongGas
                  : r < 85 ? CalibrationPlan::Abort
                           : CalibrationPlan::Close);
        nextCalibration_ = in(40 * Minute, 120 * Minute);
    } else if (now >= nextPage_) {
        changePage();
    }
}

void Technician::session(int kind, std::int64_t ms, const std::function<void(int)> &minutely) {
    begin(kind);
    const std::int64_t start = bench_.nowMs();
    int minutesDone = 0;
    while (bench_.nowMs() - start < ms) {
        tick(true);
        if (minutely && (bench_.nowMs() - start) / Minute > minutesDone)
            minutely(++minutesDone);
    }
    followUps_.clear();
    if (calibration_)
        endCalibration();
    trouble.clear(bench_.sim.faults(row_));
    bench_.form.Form2->hide();
}

void Technician::tour(int kind) {
    begin(kind);
    for (int page : {int(PageIndex::Base), int(PageIndex::Pump), blockPage_}) {
        showPage(page);
        bench_.run(5 * Second);
        for (QPushButton *b : everydayButtons(page)) {
            press(page, b);
            for (int i = 0; i < 60; ++i)
                tick(false);
            settleFollowUps();
            showPage(page);
        }
    }
    // One calibration through to its record, the window drawn meanwhile.
    calibrate(CalibrationPlan::AsAsked);
    while (calibration_)
        tick(false);
    for (int k = 0; k < LineTrouble::KindCount; ++k) {
        trouble.inject(bench_.sim.faults(row_), bench_.nowMs());
        for (int i = 0; i < 200; ++i)
            tick(false);
    }
    trouble.clear(bench_.sim.faults(row_));
    switchOff();
    settleFollowUps();
    openMuxWindow();
    // Drawn once while it shows, as the event loop would.
    bench_.run(2 * Second);
    bench_.housekeeping();
    settleFollowUps();
    for (int i = 0; i < 6000 && !bench_.identified(kind_); ++i)
        tick(false);
    showPage(blockPage_);
    const std::int64_t start = bench_.nowMs();
    while (bench_.nowMs() - start < 5 * Minute || !traceFull())
        tick(false);
    if (!hasTrace())
        return;
    // A full trace still takes a line for each reply, the oldest going: its
    // text is compacted now and then, and grows meanwhile, and the frames
    // kept for the file outnumber the lines shown. The kept frames' worth of
    // lines brings both to the size they keep from then on.
    const std::int64_t repliesAtFull = bench_.counts.replies;
    while (bench_.counts.replies - repliesAtFull < TraceMemo::KeptLines)
        tick(false);
}
