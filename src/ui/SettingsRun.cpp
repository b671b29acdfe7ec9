#include "SettingsRun.h"

#include "protocol/LinkPort.h"

SettingsRun::SettingsRun(QObject *parent) : QObject(parent) {}

void SettingsRun::start(InstrumentSession session, Done done) {
    if (busy())
        return;
    running_ = std::move(session);
    done_ = std::move(done);
    emit busyChanged(true);
}

bool SettingsRun::transmit(LinkPort &port) {
    if (!running_)
        return false;
    if (std::optional<Frame> frame = running_->nextFrame()) {
        // As on the page's own turns, a failed write is no reason for a box.
        port.setErrorReports(false);
        port.write(frame->data(), FrameSize);
        port.setErrorReports(true);
        return true;
    }
    if (!running_->finished())
        return true; // its answer is awaited: nothing else goes out meanwhile
    // Over: the page has this turn again.
    ended_ = std::move(running_);
    running_.reset();
    QMetaObject::invokeMethod(
        this,
        [this, drops = drops_] {
            if (drops == drops_)
                report();
        },
        Qt::QueuedConnection);
    return false;
}

bool SettingsRun::receive(const Frame &reply) {
    if (!running_)
        return false;
    running_->takeReply(reply);
    return true;
}

void SettingsRun::report() {
    if (!ended_)
        return;
    const InstrumentSession session = std::move(*ended_);
    ended_.reset();
    const Done done = std::move(done_);
    done_ = nullptr;
    // What follows may start the next session.
    done(session, false);
    emit busyChanged(busy());
}

void SettingsRun::drop() {
    if (!busy())
        return;
    ++drops_;
    const InstrumentSession session = running_ ? std::move(*running_) : std::move(*ended_);
    running_.reset();
    ended_.reset();
    const Done done = std::move(done_);
    done_ = nullptr;
    done(session, true);
    emit busyChanged(busy());
}
