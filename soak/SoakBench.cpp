#include "SoakBench.h"

#include "protocol/InstrumentKind.h"
#include "ui/CalibrationHandler.h"
#include "ui/PageIndex.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>

#include <stdexcept>

SoakBench::SoakBench(std::uint32_t randomStart)
    : sim([this] { return nowMs_; }, randomStart), form(sim, messages) {
    for (std::size_t i = 0; i < sim.adapterCount(); ++i)
        rows_[sim.instrument(i).kind()] = i;
    form.pictureFolder = ZE23_PICTURE_DIR;
    form.clock = [this] { return nowMs_; };
    form.calibration()->setRecordsPath(folder.filePath("records.sqlite"));
    // The timers keep their state (running, interval) for the ticks driven
    // here, but must not fire by themselves when events are processed.
    for (QTimer *t : {form.Timer1, form.Timer2, form.Timer3})
        t->blockSignals(true);
}

void SoakBench::step() {
    nowMs_ += StepMs;
    const bool transmitRunning = form.Timer1->isActive();
    if (transmitRunning && !transmitRunning_)
        lastTransmitAt_ = nowMs_ - StepMs;
    transmitRunning_ = transmitRunning;
    if (transmitRunning && nowMs_ - lastTransmitAt_ >= form.Timer1->interval()) {
        lastTransmitAt_ = nowMs_;
        form.Timer1Timer();
        ++counts.transmitTicks;
    }
    if (nowMs_ % ReceiveMs != 0)
        return;
    if (form.Timer2->isActive()) {
        form.Timer2Timer();
        ++counts.receiveTicks;
        // Every receive tick says whether it took a valid frame.
        if (form.exchange.ReplyValid) {
            ++counts.replies;
            lastReplyAt_ = nowMs_;
        }
    }
    if (form.Timer3->isActive())
        form.Timer3Timer();
}

void SoakBench::run(std::int64_t ms) {
    const std::int64_t end = nowMs_ + ms;
    while (nowMs_ < end)
        step();
}

std::size_t SoakBench::rowOf(int kind) const {
    if (auto it = rows_.find(kind); it != rows_.end())
        return it->second;
    throw std::invalid_argument("no virtual adapter of kind " + std::to_string(kind));
}

int SoakBench::blockPageOf(int kind) {
    const InstrumentKind *k = findInstrumentKind(static_cast<std::uint8_t>(kind));
    return k ? PageIndex::ofBlock(k->sensor.block) : -1;
}

bool SoakBench::identified(int kind) const {
    return form.ConnectionOpen && form.IdentifiedType == kind && form.Label1->text().isEmpty() &&
           form.isTabShown(blockPageOf(kind));
}

bool SoakBench::open(int kind) {
    ++counts.openings;
    form.ListView1->selectRow(static_cast<int>(rowOf(kind)));
    form.ListView1DblClick();
    // The previous instrument may have been of the same kind: wait for the
    // search notice to go first.
    const std::int64_t end = nowMs_ + IdentifyWithinMs;
    while (nowMs_ < end) {
        step();
        if (identified(kind)) {
            lastReplyAt_ = nowMs_;
            return true;
        }
    }
    ++counts.failedIdentifications;
    return false;
}

void SoakBench::housekeeping() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (std::size_t i = 0; i < sim.adapterCount(); ++i)
        sim.clearWritten(i);
}

void SoakBench::deliverCalls() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}
