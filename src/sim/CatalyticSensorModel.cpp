#include "CatalyticSensorModel.h"

#include "RandomIn.h"

#include <algorithm>
#include <cmath>

namespace {

int toWordRange(long long v) {
    return static_cast<int>(std::clamp<long long>(v, -0x8000, 0x7FFF));
}

} // namespace

int CatalyticSensorModel::sensitivityTenths(Gas gas) {
    switch (gas) {
    case Gas::Propane:
        return 25;
    case Gas::Hydrogen:
        return 15;
    case Gas::Methane:
        break;
    }
    return 10;
}

CatalyticSensorModel::Settings CatalyticSensorModel::defaultsFor(Gas gas) {
    const int rise = sensitivityTenths(gas);
    const auto set = [rise](int calibrationGas, int threshold1, int threshold2, int off) {
        return Settings{calibrationGas,   threshold1,
                        threshold2,       off,
                        NominalAirTenths, NominalAirTenths + rise * calibrationGas};
    };
    switch (gas) {
    case Gas::Propane:
        return set(100, 20, 40, 200);
    case Gas::Hydrogen:
        return set(200, 40, 80, 400);
    case Gas::Methane:
        break;
    }
    return set(250, 50, 100, 500);
}

CatalyticSensorModel::CatalyticSensorModel(std::uint8_t block, bool gasChoice, std::uint8_t version,
                                           std::uint32_t randomStart)
    : VirtualSensor(randomStart), block_(block), gasChoice_(gasChoice), version_(version),
      baselineTenths_(NominalAirTenths +
                      randomIn(rng_, -BaselineSpreadTenths, BaselineSpreadTenths)),
      driftPercent_(driftIn(DriftPercentMin, DriftPercentMax, 0)),
      driftZeroTenths_(driftIn(DriftZeroMinTenths, DriftZeroMaxTenths, 1)),
      working_{defaultsFor(gasChoice ? Gas::Methane : Gas::Hydrogen), defaultsFor(Gas::Propane)},
      saved_(working_) {
    voltage_ = measure();
}

CatalyticSensorModel::Gas CatalyticSensorModel::gas() const {
    if (!gasChoice_)
        return Gas::Hydrogen;
    return propane_ ? Gas::Propane : Gas::Methane;
}

bool CatalyticSensorModel::settingsError() const {
    const Settings &s = working();
    return settingsErrorForced_ || s.uGasTenths - s.uAirTenths < MinSpanTenths;
}

CatalyticReply::Status CatalyticSensorModel::statusFlags() const {
    CatalyticReply::Status s;
    s.on = on_;
    s.propane = propane();
    s.settingsError = settingsError();
    s.circuitFault = circuitFault_;
    if (sensing()) {
        const int c = concentration();
        const Settings &w = working();
        s.alarm1 = c > w.threshold1;
        s.alarm2 = c > w.threshold2;
        s.offAlarm = c > w.offThreshold;
    }
    s.setUp = setup_;
    return s;
}

std::uint8_t CatalyticSensorModel::status() const {
    return statusByte(statusFlags());
}

int CatalyticSensorModel::measure() {
    if (!sensing())
        return randomIn(rng_, 0, DeadTenthsMax);
    const double rise = sensitivityTenths(gas()) * gasLevel() * (sensitivityPercent() / 100.0);
    const long long zero = baselineTenths_ + (drifted_ ? driftZeroTenths_ : 0);
    const long long v = zero + std::llround(rise) + randomIn(rng_, -NoiseTenths, NoiseTenths);
    return static_cast<int>(std::clamp<long long>(v, 0, RailTenths));
}

double CatalyticSensorModel::thresholdGas(int which) const {
    const Settings &w = working();
    return justAbove(which == 1 ? w.threshold1 : w.threshold2);
}

int CatalyticSensorModel::concentrationAt(int voltageTenths) const {
    const Settings &s = working();
    const long long span = static_cast<long long>(s.uGasTenths) - s.uAirTenths;
    if (!sensing() || span < MinSpanTenths)
        return 0;
    const long long n = static_cast<long long>(s.calibrationGas) * (voltageTenths - s.uAirTenths);
    // Rounded to the nearest hundredth, halves away from zero.
    const long long c = n >= 0 ? (n + span / 2) / span : -((-n + span / 2) / span);
    return toWordRange(c);
}

void CatalyticSensorModel::act(const Frame &command) {
    Settings &w = workingSet();
    switch (command[1]) {
    case CatalyticCode::GasChoice:
        if (gasChoice_)
            propane_ = !propane_;
        break;
    case CatalyticCode::SetUp:
        setup_ = true;
        break;
    case CatalyticCode::Save:
        if (losesSaves_)
            working_ = saved_;
        else
            saved_ = working_;
        setup_ = false;
        break;
    case CatalyticCode::Off:
        on_ = false;
        break;
    case CatalyticCode::On:
        on_ = true;
        break;
    case CatalyticCode::WriteUpper:
        if (writesLost_)
            break;
        w.calibrationGas = signed16(command, 3);
        w.threshold1 = signed16(command, 5);
        break;
    case CatalyticCode::WriteLower:
        if (writesLost_)
            break;
        w.threshold2 = signed16(command, 3);
        w.offThreshold = signed16(command, 5);
        break;
    case CatalyticCode::Reset:
        working_ = saved_;
        setup_ = false;
        break;
    default:
        break;
    }
}

void CatalyticSensorModel::calibrate(std::uint8_t code) {
    // The block calibrates only a sensor that is on and sound, on the voltage
    // it has just measured.
    if (!sensing())
        return;
    Settings &w = workingSet();
    switch (code) {
    case CatalyticCode::Zero: {
        // Zero adjustment moves both points so that the present reading is
        // zero and the span stays.
        const int shift = voltage_ - w.uAirTenths;
        w.uAirTenths = toWordRange(static_cast<long long>(w.uAirTenths) + shift);
        w.uGasTenths = toWordRange(static_cast<long long>(w.uGasTenths) + shift);
        break;
    }
    case CatalyticCode::GasPoint:
        w.uGasTenths = voltage_;
        break;
    case CatalyticCode::AirPoint:
        w.uAirTenths = voltage_;
        break;
    default:
        break;
    }
}

std::optional<Frame> CatalyticSensorModel::answer(const Frame &command) {
    const std::uint8_t code = command[1];
    act(command);
    const bool readings = CatalyticCode::carriesReadings(code);
    // A puff of the room's gas peaks near the switch-off threshold as the
    // sensor reads it, drifted or not.
    if (readings)
        gas_.next(defaultsFor(gas()).offThreshold * 100 / sensitivityPercent());
    voltage_ = measure();
    calibrate(code);

    CatalyticReply r;
    r.block = block_;
    r.code = code;
    r.status = statusFlags();
    const Settings &w = working();
    switch (code) {
    case CatalyticCode::ReadVoltages:
        r.uAirTenths = w.uAirTenths;
        r.uGasTenths = w.uGasTenths;
        break;
    case CatalyticCode::ReadCalibrationGas:
        r.calibrationGas = w.calibrationGas;
        r.threshold1 = w.threshold1;
        break;
    case CatalyticCode::ReadThresholds:
        r.threshold2 = w.threshold2;
        r.offThreshold = w.offThreshold;
        break;
    case CatalyticCode::On:
        r.version = version_;
        break;
    default:
        // In set-up mode too the block sends the concentration it works out.
        if (readings) {
            r.concentration = concentration();
            r.voltageTenths = voltage_;
        }
        break;
    }
    return encode(r);
}
