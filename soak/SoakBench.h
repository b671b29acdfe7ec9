#pragma once
// The main window on the virtual instruments, its ticks driven by hand on a
// clock that moves 50 ms a step: the transmit tick each time the transmit
// timer's interval has passed, the receive tick every 100 ms, as the running
// timers would, but with no real time passing.

#include "CountingMessages.h"
#include "sim/SimFtDriver.h"
#include "ui/TForm1.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <map>

class SoakBench {
  public:
    static constexpr int StepMs = 50;
    static constexpr int ReceiveMs = 100;
    // How long an instrument may take to answer the identification request
    // after its adapter is opened.
    static constexpr std::int64_t IdentifyWithinMs = 10'000;

    explicit SoakBench(std::uint32_t randomStart);

    std::int64_t nowMs() const { return nowMs_; }

    // The clock goes first: the driver reads it from its first call on.
    std::int64_t nowMs_ = 0;
    SimFtDriver sim;
    CountingMessages messages;
    // The journal of calibrations lives here, never in the user's data folder.
    QTemporaryDir folder;
    TForm1 form;

    struct Counts {
        std::int64_t transmitTicks = 0;
        std::int64_t receiveTicks = 0;
        std::int64_t replies = 0;
        std::int64_t openings = 0;
        std::int64_t failedIdentifications = 0;
    };
    Counts counts;

    // One step of the clock and the ticks that fall due in it.
    void step();
    void run(std::int64_t ms);

    // The row of the device list (and adapter index) of the kind's adapter:
    // the kind its instrument had when made, whatever it was told since.
    std::size_t rowOf(int kind) const;
    // The kind's page for its sensor block.
    static int blockPageOf(int kind);
    // The instrument on the open adapter has identified itself as `kind` and
    // its pages are shown.
    bool identified(int kind) const;
    // Double-clicks the kind's row and runs until the instrument is identified;
    // false when it is not within IdentifyWithinMs.
    bool open(int kind);
    // When the last valid reply was taken off the line.
    std::int64_t lastReplyAt() const { return lastReplyAt_; }

    // What the event loop would have done meanwhile: posted events, deferred
    // deletions. The record of frames the virtual adapter keeps for tests is
    // let go too, or it alone would grow by eight bytes a command.
    void housekeeping();
    // The calls the event loop would deliver by now: a calibration's steps
    // announced to its window, its record kept once it is over.
    static void deliverCalls();

  private:
    std::map<int, std::size_t> rows_;
    bool transmitRunning_ = false;
    std::int64_t lastTransmitAt_ = 0;
    std::int64_t lastReplyAt_ = 0;
};
