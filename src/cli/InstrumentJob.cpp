#include "InstrumentJob.h"

#include "protocol/InstrumentKind.h"

namespace {
const std::string SilentInstrument = "прибор не отвечает: адаптер открыт, но база не ответила за " +
                                     std::to_string(SilentSearch::NoticeAfterMs / 1000) + " с. " +
                                     SilentSearch::Advice;
} // namespace

InstrumentJob::InstrumentJob(FtDriver &driver, JobOrder order)
    : driver_(driver), order_(std::move(order)) {}

InstrumentJob::~InstrumentJob() = default;

void InstrumentJob::start() {
    link_ = std::make_unique<AdapterLink>(driver_, order_.adapter);
    if (!link_->open())
        return fail(link_->failure());
    enter(order_.command == BenchCommand::Stand ? Phase::Stand : Phase::Identify);
}

void InstrumentJob::enter(Phase phase) {
    phase_ = phase;
    phaseTicks_ = 0;
    if (phase == Phase::Identify || phase == Phase::Stand)
        sendBaseRequest();
    else
        turn();
}

void InstrumentJob::tick() {
    if (phase_ == Phase::Idle || phase_ == Phase::Done)
        return;
    ++phaseTicks_;
    const std::vector<Frame> frames = link_->receive();
    if (link_->failed())
        return fail(link_->failure());
    if (phase_ == Phase::Identify || phase_ == Phase::Stand) {
        waitForBase(frames);
    } else {
        for (const Frame &f : frames)
            takeReply(f);
        if (phaseTicks_ % TurnEveryTicks == 0)
            turn();
    }
    if (phase_ != Phase::Done && link_->failed())
        fail(link_->failure());
}

void InstrumentJob::sendBaseRequest() {
    // The data bytes stay zero: a kind in byte 4 would be taken by the base as its own.
    Frame f{Block::address(Block::Base), Code::Identify};
    if (phase_ == Phase::Stand) {
        f[1] = Code::Poll;
        f[2] = static_cast<std::uint8_t>(order_.channel);
    }
    link_->send(sealed(f));
}

void InstrumentJob::waitForBase(const std::vector<Frame> &frames) {
    for (const Frame &f : frames) {
        if (f[0] != Block::Base)
            continue;
        if (phase_ == Phase::Identify && f[1] == Code::Identify)
            return identified(f);
        if (phase_ == Phase::Stand && f[1] == Code::Poll)
            return finish(true);
    }
    if (phaseTicks_ >= SilentAfterTicks)
        return fail(SilentInstrument);
    if (phaseTicks_ % IdentifyEveryTicks == 0)
        sendBaseRequest();
}

void InstrumentJob::identified(const Frame &reply) {
    const int kind = deviceTypeOf(reply);
    outcome_.kind = kind;
    outcome_.serialNumber = serialNumberOf(reply);
    if (!findInstrumentKind(deviceTypeOf(reply)))
        return fail("прибор неизвестен: база сообщила вид " + std::to_string(kind));
    if (order_.command == BenchCommand::Identify)
        return finish(true);
    if (order_.wanted) {
        outcome_.refusals = refusals(*order_.wanted, kind);
        // Nothing refused is written, and nothing of another kind compared.
        if (!outcome_.refusals.empty() &&
            (order_.command == BenchCommand::Write || order_.wanted->kind != kind))
            return finish(false);
    }
    session_ = InstrumentSession::read(kind, outcome_.serialNumber);
    enter(Phase::Read);
}

void InstrumentJob::takeReply(const Frame &reply) {
    if (session_)
        session_->takeReply(reply);
}

void InstrumentJob::turn() {
    if (const std::optional<Frame> f = session_->nextFrame())
        return link_->send(*f);
    if (!session_->finished())
        return;
    if (session_->failed())
        return fail(session_->failure());
    if (phase_ == Phase::Read)
        readDone();
    else
        writeDone();
}

void InstrumentJob::readDone() {
    const InstrumentSnapshot now = session_->snapshot();
    if (order_.command == BenchCommand::Read) {
        outcome_.snapshot = now;
        return finish(true);
    }
    const std::vector<SettingChange> changes = differences(now, *order_.wanted);
    if (order_.command == BenchCommand::Diff) {
        outcome_.changes = changes;
        return finish(outcome_.refusals.empty());
    }
    // The blocks set these themselves; the write leaves them as they are.
    for (const SettingChange &c : changes)
        if (!c.writable)
            outcome_.changes.push_back(c);
    // With --save, a block that needed no write but holds the file's values
    // is told to keep them too (InstrumentSession::Keeping says why).
    session_ = InstrumentSession::write(now, *order_.wanted, order_.save,
                                        InstrumentSession::Keeping::AlsoHeld);
    enter(Phase::Write);
}

void InstrumentJob::writeDone() {
    outcome_.checks = session_->checks();
    const bool confirmed = session_->allConfirmed();
    if (!confirmed || !order_.save)
        return finish(confirmed);
    // Nothing written, and nothing to keep, is nothing lost.
    outcome_.saved = outcome_.checks.empty() || session_->saved();
    finish(outcome_.saved);
}

void InstrumentJob::finish(bool ok) {
    outcome_.ok = ok;
    phase_ = Phase::Done;
    if (link_)
        link_->close();
}

void InstrumentJob::fail(const std::string &why) {
    outcome_.failure = why;
    finish(false);
}
