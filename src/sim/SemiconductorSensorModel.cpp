#include "SemiconductorSensorModel.h"

#include "RandomIn.h"

#include <cmath>

SemiconductorSensorModel::SemiconductorSensorModel(std::uint8_t block, std::uint32_t randomStart)
    : VirtualSensor(randomStart), block_(block),
      airTenths_(randomIn(rng_, AirTenthsMin, AirTenthsMax)) {
    voltage_ = measure();
}

std::uint8_t SemiconductorSensorModel::status() const {
    return statusByte(statusFlags());
}

int SemiconductorSensorModel::measure() {
    if (!on_ || circuitFault_)
        return randomIn(rng_, 0, DeadTenthsMax);
    const double g = gasLevel();
    const auto rise = static_cast<int>(std::floor(RiseTenths * g / (g + HalfRiseAt)));
    return airTenths_ + rise + randomIn(rng_, -NoiseTenths, NoiseTenths);
}

std::optional<Frame> SemiconductorSensorModel::answer(const Frame &command) {
    const std::uint8_t code = command[1];
    if (code == SemiconductorCode::On)
        on_ = true;
    else if (code == SemiconductorCode::Off)
        on_ = false;
    gas_.next(TypicalPuff);
    voltage_ = measure();

    return encode(SemiconductorReply{block_, code, statusFlags(), voltage_});
}
