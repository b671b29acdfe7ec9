#pragma once
// One adapter's work for one command, as a state machine moved on by ticks:
// open the adapter; ask the base who it is (0x80 09, again every 350 ms, as
// the window does) or, for the stand, poll the base with the channel; then
// read the whole instrument, compare or write and read back, and tell the
// blocks to keep their settings. Nothing here waits: each tick takes the
// frames that have arrived and sends at most one, so the caller can serve
// many adapters side by side.
//
// An instrument that does not answer the base request within three seconds
// (the window's notice) ends the job with "прибор не отвечает"; a block that
// stays silent ends the settings session, and with it the job.

#include "AdapterLink.h"
#include "JobOrder.h"
#include "protocol/SilentSearch.h"

#include <memory>
#include <optional>

class InstrumentJob {
  public:
    static constexpr int TickMs = 50;
    // The base request is sent again every 7 ticks, 350 ms.
    static constexpr int IdentifyEveryTicks = 7;
    // A settings session takes a turn every other tick (100 ms), which leaves
    // a request TurnsToWait turns for its reply before it goes again.
    static constexpr int TurnEveryTicks = 2;
    static constexpr int SilentAfterTicks = SilentSearch::NoticeAfterMs / TickMs;

    InstrumentJob(FtDriver &driver, JobOrder order);
    ~InstrumentJob();

    // Opens the adapter; a job that cannot is done at once.
    void start();
    void tick();
    bool done() const { return phase_ == Phase::Done; }

    const JobOrder &order() const { return order_; }
    const JobOutcome &outcome() const { return outcome_; }

  private:
    enum class Phase { Idle, Identify, Stand, Read, Write, Done };

    void enter(Phase phase);
    void sendBaseRequest();
    void waitForBase(const std::vector<Frame> &frames);
    void takeReply(const Frame &reply);
    void identified(const Frame &reply);
    void turn();
    void readDone();
    void writeDone();
    void finish(bool ok);
    void fail(const std::string &why);

    FtDriver &driver_;
    JobOrder order_;
    JobOutcome outcome_;
    std::unique_ptr<AdapterLink> link_;
    Phase phase_ = Phase::Idle;
    int phaseTicks_ = 0;
    std::optional<InstrumentSession> session_;
};
