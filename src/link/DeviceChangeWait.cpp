#include "DeviceChangeWait.h"

DeviceChangeWait::DeviceChangeWait(QObject *parent) : QObject(parent) {
    timer_.setObjectName("DeviceChangeWaitTimer");
    timer_.setInterval(StepMs);
    connect(&timer_, &QTimer::timeout, this, &DeviceChangeWait::step);
}

void DeviceChangeWait::start() {
    step_ = 0;
    running_ = true;
    timer_.start();
}

void DeviceChangeWait::stop() {
    timer_.stop();
    running_ = false;
}

void DeviceChangeWait::step() {
    if (!running_)
        return;
    emit progress(step_);
    if (step_ >= LastStep) {
        stop();
        emit finished();
        return;
    }
    ++step_;
}
