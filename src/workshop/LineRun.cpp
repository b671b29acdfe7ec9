#include "LineRun.h"

#include "protocol/LinkPort.h"

LineRun::LineRun(Clock clock, QObject *parent) : QObject(parent), clock_(std::move(clock)) {}

void LineRun::send(LinkPort &port, const Frame &frame) {
    port.setErrorReports(false);
    port.write(frame.data(), FrameSize);
    port.setErrorReports(true);
}

void LineRun::announce() {
    if (announcing_)
        return;
    announcing_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            announcing_ = false;
            if (running())
                emit changed();
            endIfOver();
        },
        Qt::QueuedConnection);
}
