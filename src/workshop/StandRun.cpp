#include "StandRun.h"

StandRun::StandRun(Clock clock, QObject *parent) : LineRun(std::move(clock), parent) {}

void StandRun::start(StandCalibration stand) {
    if (busy())
        return;
    ended_.reset();
    stand_ = std::move(stand);
    emit busyChanged(true);
    announce();
}

void StandRun::act(CalibrationProcedure::Action action) {
    if (!stand_)
        return;
    stand_->act(action, now());
    announce();
}

bool StandRun::transmit(LinkPort &port) {
    if (!stand_)
        return false;
    const std::optional<Frame> frame = stand_->nextFrame(now());
    announce();
    if (!frame)
        return !stand_->waitsForTechnician();
    send(port, *frame);
    return true;
}

bool StandRun::receive(const Frame &reply) {
    if (!stand_ || stand_->waitsForTechnician())
        return false;
    stand_->takeReply(reply, now());
    announce();
    return true;
}

void StandRun::drop() {
    if (!stand_)
        return;
    stand_->drop(now());
    endIfOver();
}

void StandRun::endIfOver() {
    if (!stand_ || !stand_->finished())
        return;
    ended_ = std::move(stand_);
    stand_.reset();
    emit changed();
    emit finished(ended_->records());
    emit busyChanged(false);
}
