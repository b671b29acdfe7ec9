#include "PgsBlockModel.h"

#include "RandomIn.h"

#include <algorithm>
#include <cmath>

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
      airQuarters_(randomIn(rng_, AirQuartersMin, AirQuartersMax)),
      driftPercent_(driftIn(DriftPercentMin, DriftPercentMax, 0)), working_{defaultsFor(false),
                                                                            defaultsFor(true)},
      saved_(working_) {
    for (bool propane : {false, true}) {
        const Thresholds &t = working_[propane ? 1 : 0];
        workingFor_[propane ? 1 : 0] = {gasAtConverter(propane, t.threshold1),
                                        gasAtConverter(propane, t.threshold2)};
    }
    savedFor_ = workingFor_;
    voltage_ = measure();
}

double PgsBlockModel::riseQuarters(bool propane, double hundredths) {
    const double g = std::max(0.0, hundredths);
    const int half = propane ? PropaneHalfRiseAt : MethaneHalfRiseAt;
    return RiseQuarters * g / (g + half);
}

double PgsBlockModel::gasAtConverter(bool propane, int value) const {
    // The middle of the converter step, over the air voltage.
    const double rise = (value + 0.5) * FullScaleQuarters / ConverterSteps - airQuarters_;
    if (rise <= 0)
        return 0;
    if (rise >= RiseQuarters)
        return AmbientGas::HoldMax;
    const int half = propane ? PropaneHalfRiseAt : MethaneHalfRiseAt;
    return std::min<double>(AmbientGas::HoldMax, half * rise / (RiseQuarters - rise));
}

double PgsBlockModel::thresholdGas(int which) const {
    const StandsFor &f = workingFor_[gasIndex()];
    return justAbove(which == 1 ? f.threshold1 : f.threshold2);
}

PgsReply::Status PgsBlockModel::statusFlags() const {
    const Thresholds &t = working_[gasIndex()];
    PgsReply::Status s;
    s.on = on_;
    s.propane = propane_;
    // Threshold 1 must lie below threshold 2.
    s.settingsError = settingsErrorForced_ || t.threshold1 >= t.threshold2;
    s.circuitFault = circuitFault_;
    if (sensing()) {
        const int c = converterValue();
        s.alarm1 = c > t.threshold1;
        s.alarm2 = c > t.threshold2;
    }
    s.setUp = setup_;
    return s;
}

std::uint8_t PgsBlockModel::status() const {
    return statusByte(statusFlags());
}

int PgsBlockModel::measure() {
    if (!sensing())
        return randomIn(rng_, 0, DeadQuartersMax);
    level_ = gasLevel();
    const auto rise = static_cast<int>(
        std::floor(riseQuarters(propane_, level_) * (sensitivityPercent() / 100.0)));
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
        savedFor_ = workingFor_;
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
        workingFor_ = savedFor_;
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
    // A puff peaks past threshold 2 as the sensor reads it, drifted or not.
    if (readings)
        gas_.next(typicalPuff(propane_) * 100 / sensitivityPercent());
    voltage_ = measure();
    // "Apply" takes the converter value just measured, for the gas on the sensor.
    if (code == PgsCode::ApplyThreshold2) {
        working_[gasIndex()].threshold2 = converterValue();
        workingFor_[gasIndex()].threshold2 = level_;
    } else if (code == PgsCode::ApplyThreshold1) {
        working_[gasIndex()].threshold1 = converterValue();
        workingFor_[gasIndex()].threshold1 = level_;
    }

    PgsReply r;
    r.code = code;
    r.status = statusFlags();
    switch (code) {
    case PgsCode::ReadThresholds:
    case PgsCode::ApplyThreshold2:
    case PgsCode::ApplyThreshold1:
        r.threshold1 = threshold1();
        r.threshold2 = threshold2();
        break;
    case PgsCode::On:
        r.version = version_;
        break;
    default:
        if (readings) {
            r.voltageQuarters = voltage_;
            r.converterValue = converterValue();
        }
        break;
    }
    return encode(r);
}
