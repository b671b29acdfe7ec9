#include "PgsBlockModel.h"

#include "RandomIn.h"
#include "ReplyWords.h"
#include "protocol/PgsReply.h"

#include <algorithm>

namespace {

// A puff in the demo gas peaks near this, hundredths of a percent: past the
// factory threshold 2 of the gas.
int typicalPuff(bool propane) {
    return propane ? 60 : 150;
}

} // namespace

int PgsBlockModel::converterOf(int quarters) {
    const long long steps = static_cast<long long>(quarters) * ConverterSteps / FullScaleQuarters;
    return static_cast<int>(std::clamp<long long>(steps, 0, ConverterSteps - 1));
}

int PgsBlockModel::nominalQuarters(bool propane, int hundredths) {
    const int g = std::max(0, hundredths);
    const int half = propane ? PropaneHalfRiseAt : MethaneHalfRiseAt;
    return NominalAirQuarters +
           static_cast<int>(static_cast<long long>(RiseQuarters) * g / (g + half));
}

PgsBlockModel::Thresholds PgsBlockModel::defaultsFor(bool propane) {
    const int t1 = propane ? 20 : 50;
    const int t2 = propane ? 40 : 100;
    return {converterOf(nominalQuarters(propane, t1)), converterOf(nominalQuarters(propane, t2))};
}

PgsBlockModel::PgsBlockModel(std::uint8_t version, std::uint32_t randomStart)
    : VirtualSensor(randomStart), version_(version),
      airQuarters_(randomIn(rng_, AirQuartersMin, AirQuartersMax)), working_{defaultsFor(false),
                                                                             defaultsFor(true)},
      saved_(working_) {
    voltage_ = measure();
}

std::uint8_t PgsBlockModel::status() const {
    const Thresholds &t = working_[gasIndex()];
    std::uint8_t s = 0;
    if (on_)
        s |= SensorStatus::On;
    if (propane_)
        s |= SensorStatus::Propane;
    // Threshold 1 must lie below threshold 2.
    if (settingsErrorForced_ || t.threshold1 >= t.threshold2)
        s |= SensorStatus::SettingsError;
    if (circuitFault_)
        s |= SensorStatus::CircuitFault;
    if (sensing()) {
        const int c = converterValue();
        if (c > t.threshold1)
            s |= SensorStatus::Threshold1;
        if (c > t.threshold2)
            s |= SensorStatus::Threshold2;
    }
    if (setup_)
        s |= SensorStatus::SetUp;
    return s;
}

int PgsBlockModel::measure() {
    if (!sensing())
        return randomIn(rng_, 0, DeadQuartersMax);
    const int rise = nominalQuarters(propane_, gas_.level()) - NominalAirQuarters;
    const int v = airQuarters_ + rise + randomIn(rng_, -NoiseQuarters, NoiseQuarters);
    return std::clamp(v, 0, FullScaleQuarters);
}

void PgsBlockModel::act(std::uint8_t code) {
    switch (code) {
    case PgsCode::GasChoice:
        propane_ = !propane_;
        break;
    case PgsCode::SetUp:
        setup_ = true;
        break;
    case PgsCode::Save:
        saved_ = working_;
        setup_ = false;
        break;
    case PgsCode::Off:
        on_ = false;
        break;
    case PgsCode::On:
        on_ = true;
        break;
    case PgsCode::Reset:
        working_ = saved_;
        setup_ = false;
        break;
    default:
        break;
    }
}

std::optional<Frame> PgsBlockModel::answer(const Frame &command) {
    const std::uint8_t code = command[1];
    act(code);
    const bool readings = PgsCode::carriesReadings(code);
    if (readings)
        gas_.next(typicalPuff(propane_));
    voltage_ = measure();
    // "Apply" takes the converter value just measured.
    if (code == PgsCode::ApplyThreshold2)
        working_[gasIndex()].threshold2 = converterValue();
    else if (code == PgsCode::ApplyThreshold1)
        working_[gasIndex()].threshold1 = converterValue();

    Frame f = replyFrame(Block::Pgs, code);
    f[2] = status();
    switch (code) {
    case PgsCode::ReadThresholds:
    case PgsCode::ApplyThreshold2:
    case PgsCode::ApplyThreshold1:
        putSignedWord(f, 3, threshold1());
        putSignedWord(f, 5, threshold2());
        break;
    case PgsCode::On:
        f[6] = version_;
        break;
    default:
        if (readings) {
            putWord(f, 3, voltage_);
            putSignedWord(f, 5, converterValue());
        }
        break;
    }
    return f;
}
