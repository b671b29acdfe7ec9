#include "VirtualSensor.h"

#include "RandomIn.h"

#include <algorithm>
#include <utility>

void VirtualSensor::setClock(SimClock clock) {
    clock_ = clock ? std::move(clock) : SimClock(steadyClockMs);
}

double VirtualSensor::onSensorNow() const {
    return applied_ == TestGas::Ambient ? ambientLevel() : target_;
}

void VirtualSensor::applyGas(TestGas gas, int concentration) {
    const std::int64_t now = clock_();
    const double from = response_.levelAt(onSensorNow(), now);
    applied_ = gas;
    concentration_ = concentration;
    if (gas == TestGas::Ambient)
        releaseHolds();
    target_ = targetOf(gas, concentration);
    response_.change(from, onSensorNow(), now);
}

double VirtualSensor::gasLevel() {
    const std::int64_t now = clock_();
    if (applied_ != TestGas::Ambient) {
        const double target = targetOf(applied_, concentration_);
        if (target != target_) {
            response_.change(response_.levelAt(target_, now), target, now);
            target_ = target;
        }
    }
    response_.settle(now);
    return response_.levelAt(onSensorNow(), now);
}

double VirtualSensor::targetOf(TestGas gas, int concentration) const {
    switch (gas) {
    case TestGas::Ambient:
        return ambientLevel();
    case TestGas::CleanAir:
    case TestGas::ZeroGas:
        return 0;
    case TestGas::Cylinder:
        return std::clamp(concentration, 0, AmbientGas::HoldMax);
    case TestGas::Threshold1:
        return thresholdGas(1);
    case TestGas::Threshold2:
        return thresholdGas(2);
    }
    return 0;
}

double VirtualSensor::justAbove(double level) {
    const double l = std::max(0.0, level);
    return std::min<double>(AmbientGas::HoldMax, l + std::max(2.0, l / 10));
}

int VirtualSensor::driftIn(int lo, int hi, std::uint32_t which) const {
    std::mt19937 g(driftStart_ + which);
    return randomIn(g, lo, hi);
}
