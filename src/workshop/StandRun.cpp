#include "StandRun.h"

#include "protocol/LinkPort.h"

StandRun::StandRun(Clock clock, QObject *parent) : QObject(parent), clock_(std::move(clock)) {}

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
    stand_->act(action, clock_());
    announce();
}

bool StandRun::transmit(LinkPort &port) {
    if (!stand_)
        return false;
    const std::optional<Frame> frame = stand_->nextFrame(clock_());
    announce();
    if (!frame)
        return !stand_->waitsForTechnician();
    port.setErrorReports(false);
    port.write(frame->data(), FrameSize);
    port.setErrorReports(true);
    return true;
}

bool StandRun::receive(const Frame &reply) {
    if (!stand_ || stand_->waitsForTechnician())
        return false;
    stand_->takeReply(reply, clock_());
    announce();
    return true;
}

void StandRun::drop() {
    if (!stand_)
        return;
    stand_->drop(clock_());
    endIfOver();
}

void StandRun::announce() {
    if (announcing_)
        return;
    announcing_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            announcing_ = false;
            if (stand_)
                emit changed();
            endIfOver();
        },
        Qt::QueuedConnection);
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
