#include "TwoSensorBlockModel.h"

#include <cmath>
#include <utility>

namespace {

// Two start values from one, so that the sensors do not move in step.
std::uint32_t startOf(std::uint32_t randomStart, int sensor) {
    std::mt19937 rng(randomStart);
    rng.discard(static_cast<unsigned long long>(sensor));
    return static_cast<std::uint32_t>(rng());
}

} // namespace

TwoSensorBlockModel::TwoSensorBlockModel(std::uint8_t block, bool gasChoice, std::uint8_t version,
                                         std::uint32_t randomStart)
    : catalytic_(block, gasChoice, version, startOf(randomStart, 0)),
      semiconductor_(block, startOf(randomStart, 1)) {}

std::optional<Frame> TwoSensorBlockModel::answer(const Frame &command) {
    switch (command[1]) {
    case SemiconductorCode::On:
    case SemiconductorCode::Off:
    case SemiconductorCode::Poll:
        return semiconductor_.answer(command);
    default:
        return catalytic_.answer(command);
    }
}

void TwoSensorBlockModel::applyGas(TestGas gas, int concentration) {
    catalytic_.applyGas(gas, concentration);
    // A threshold's gas is the thermocatalytic sensor's threshold; the
    // semiconductor sensor takes it as the gas it is.
    const CatalyticSensorModel::Settings &w = catalytic_.working();
    if (gas == TestGas::Threshold1 || gas == TestGas::Threshold2) {
        const int t = gas == TestGas::Threshold1 ? w.threshold1 : w.threshold2;
        semiconductor_.applyGas(TestGas::Cylinder,
                                static_cast<int>(std::lround(VirtualSensor::justAbove(t))));
        return;
    }
    semiconductor_.applyGas(gas, concentration);
}

void TwoSensorBlockModel::setSettlingMs(std::int64_t tauMs) {
    catalytic_.setSettlingMs(tauMs);
    semiconductor_.setSettlingMs(tauMs);
}

void TwoSensorBlockModel::setLosesSaves(bool on) {
    catalytic_.setLosesSaves(on);
}

void TwoSensorBlockModel::setClock(SimClock clock) {
    catalytic_.setClock(clock);
    semiconductor_.setClock(std::move(clock));
}
