#include "CalibrationRun.h"

#include "protocol/LinkPort.h"

CalibrationRun::CalibrationRun(Clock clock, QObject *parent)
    : QObject(parent), clock_(std::move(clock)) {}

void CalibrationRun::start(StandCalibration calibration) {
    if (busy())
        return;
    ended_.reset();
    running_ = std::move(calibration);
    emit busyChanged(true);
    announce();
}

void CalibrationRun::act(CalibrationProcedure::Action action) {
    if (!running_)
        return;
    running_->act(action, now());
    announce();
}

bool CalibrationRun::transmit(LinkPort &port) {
    if (!running_)
        return false;
    const std::optional<Frame> frame = running_->nextFrame(now());
    announce();
    if (!frame)
        return !running_->waitsForTechnician();
    // The adapter's errors are the calibration's to report.
    port.setErrorReports(false);
    port.write(frame->data(), FrameSize);
    port.setErrorReports(true);
    return true;
}

bool CalibrationRun::receive(const Frame &reply) {
    if (!running_ || running_->waitsForTechnician())
        return false;
    running_->takeReply(reply, now());
    announce();
    return !running_->pageMaySee(reply);
}

void CalibrationRun::drop() {
    if (!running_)
        return;
    running_->drop(now());
    // Reported at once: the window may be told before the next event.
    endIfOver();
}

void CalibrationRun::announce() {
    if (announcing_)
        return;
    announcing_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            announcing_ = false;
            if (busy())
                emit changed();
            endIfOver();
        },
        Qt::QueuedConnection);
}

void CalibrationRun::endIfOver() {
    if (!running_ || !running_->finished())
        return;
    ended_ = std::move(running_);
    running_.reset();
    emit changed();
    emit finished(ended_->records());
    emit busyChanged(false);
}
