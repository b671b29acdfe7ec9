#include "CalibrationRun.h"

#include "protocol/LinkPort.h"

CalibrationRun::CalibrationRun(Clock clock, QObject *parent) : LineRun(std::move(clock), parent) {}

void CalibrationRun::start(CalibrationProcedure procedure) {
    if (busy())
        return;
    ended_.reset();
    procedure_ = std::move(procedure);
    emit busyChanged(true);
    announce();
}

void CalibrationRun::act(CalibrationProcedure::Action action) {
    if (!procedure_)
        return;
    procedure_->act(action, now());
    announce();
}

bool CalibrationRun::transmit(LinkPort &port) {
    if (!procedure_)
        return false;
    if (std::optional<Frame> frame = procedure_->nextFrame(now()))
        send(port, *frame);
    announce();
    return true;
}

bool CalibrationRun::receive(const Frame &reply) {
    if (!procedure_)
        return false;
    procedure_->takeReply(reply, now());
    announce();
    return reply[1] != Code::Poll;
}

void CalibrationRun::drop() {
    if (!procedure_)
        return;
    procedure_->drop(now());
    // Reported at once: the window may be told before the next event.
    endIfOver();
}

void CalibrationRun::endIfOver() {
    if (!procedure_ || !procedure_->finished())
        return;
    ended_ = std::move(procedure_);
    procedure_.reset();
    emit changed();
    emit finished(ended_->record());
    emit busyChanged(false);
}
