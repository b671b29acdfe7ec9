#include "OxygenBlockModel.h"

#include "RandomIn.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

// The oxygen of clean air, tenths of a percent: the sensor's air voltage is
// given for it.
constexpr int CleanAirTenths = 209;

int toWordRange(long long v) {
    return static_cast<int>(std::clamp<long long>(v, -0x8000, 0x7FFF));
}

std::uint8_t toByte(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 0xFF));
}

} // namespace

int OxygenBlockModel::tiaOhms(std::uint8_t gain) {
    constexpr std::array<int, 8> Ohms{0, 2750, 3500, 7000, 14000, 35000, 120000, 350000};
    return Ohms[(gain >> 2) & 0x07];
}

OxygenBlockModel::OxygenBlockModel(std::uint8_t version, std::uint32_t randomStart)
    : VirtualSensor(randomStart), version_(version), zeroTenths_(randomIn(rng_, 0, ZeroVoltageMax)),
      airTenths_(randomIn(rng_, AirVoltageMin, AirVoltageMax)),
      temperature_(250 + randomIn(rng_, -15, 15)),
      driftPercent_(driftIn(DriftPercentMin, DriftPercentMax, 0)),
      driftZeroTenths_(driftIn(DriftZeroMinTenths, DriftZeroMaxTenths, 1)) {
    // The factory calibrates each block on its own sensor.
    working_ = {FactoryCalibrationGas, FactoryThreshold1,
                FactoryThreshold2,     FactoryThreshold3,
                voltageAt(0, false),   voltageAt(FactoryCalibrationGas, false)};
    saved_ = working_;
    voltage_ = measure();
}

int OxygenBlockModel::oxygenTenths() const {
    return static_cast<int>(std::lround(level_));
}

double OxygenBlockModel::ambientLevel() const {
    if (heldOxygen_)
        return *heldOxygen_;
    return std::max(0, AirTopTenths - gas_.level());
}

void OxygenBlockModel::releaseHolds() {
    gas_.release();
    heldOxygen_.reset();
}

double OxygenBlockModel::targetOf(TestGas gas, int concentration) const {
    switch (gas) {
    case TestGas::CleanAir:
        return CleanAirTenths;
    case TestGas::Cylinder:
        return std::clamp(concentration, 0, HoldMaxTenths);
    default:
        return VirtualSensor::targetOf(gas, concentration);
    }
}

double OxygenBlockModel::thresholdGas(int which) const {
    // Past the threshold by as much as justAbove() goes over it.
    const auto past = [](int t) { return justAbove(t) - std::max(0, t); };
    if (which == 1)
        return std::max(0.0,
                        working_.calibrationGas - working_.threshold1 - past(working_.threshold1));
    return std::max(0.0, working_.threshold2 - past(working_.threshold2));
}

void OxygenBlockModel::holdOxygen(int tenthsOfPercent) {
    heldOxygen_ = std::clamp(tenthsOfPercent, 0, HoldMaxTenths);
}

void OxygenBlockModel::releaseOxygen() {
    heldOxygen_.reset();
}

std::uint8_t OxygenBlockModel::frontEndStatus() const {
    return statusByte(frontEndStatusFlags());
}

int OxygenBlockModel::voltageAt(double oxygen, bool asNow) const {
    const double span = airTenths_ - zeroTenths_;
    const double o = asNow ? oxygen * (sensitivityPercent() / 100.0) : oxygen;
    const double crept = asNow && drifted_ ? driftZeroTenths_ : 0;
    const long long cell = zeroTenths_ +
                           static_cast<long long>(std::floor(span * o / CleanAirTenths)) +
                           static_cast<long long>(std::floor(span * crept / CleanAirTenths));
    const long long v = cell * tiaOhms(frontEnd_.gain) / tiaOhms(FactoryFrontEnd.gain);
    return static_cast<int>(std::clamp<long long>(v, 0, RailTenths));
}

int OxygenBlockModel::measure() {
    if (!sensing() || tiaOhms(frontEnd_.gain) == 0)
        return randomIn(rng_, 0, DeadTenthsMax);
    level_ = gasLevel();
    const int v = voltageAt(level_, true) + randomIn(rng_, -NoiseTenths, NoiseTenths);
    return std::clamp(v, 0, RailTenths);
}

bool OxygenBlockModel::setUpError() const {
    return setUpErrorForced_ || working_.uGasTenths - working_.uZeroTenths < MinSpanTenths;
}

int OxygenBlockModel::concentration() const {
    const long long span = static_cast<long long>(working_.uGasTenths) - working_.uZeroTenths;
    if (span < MinSpanTenths)
        return 0;
    const long long n =
        static_cast<long long>(working_.calibrationGas) * (voltage_ - working_.uZeroTenths);
    // Rounded to the nearest tenth, halves away from zero.
    const long long c = n >= 0 ? (n + span / 2) / span : -((-n + span / 2) / span);
    return toWordRange(c);
}

OxygenReply::Status OxygenBlockModel::statusFlags() const {
    OxygenReply::Status s;
    s.temperatureFault = temperatureFault_;
    // With its set-up in error the block has no concentration to raise alarms on.
    if (setUpError()) {
        s.settingsError = true;
    } else {
        const int c = concentration();
        s.alarm1 = std::abs(c - working_.calibrationGas) > working_.threshold1;
        s.alarm2 = c < working_.threshold2;
        s.alarm3 = c > working_.threshold3;
    }
    s.setUp = setup_;
    return s;
}

std::uint8_t OxygenBlockModel::status() const {
    return statusByte(statusFlags());
}

std::uint8_t OxygenBlockModel::temperatureCode() const {
    if (temperatureFault_)
        return FaultTemperatureCode;
    return toByte(85 - (temperature_ + 5) / 10);
}

std::uint8_t OxygenBlockModel::coefficientCode() const {
    if (temperatureFault_)
        return CoefficientAt25;
    return toByte(CoefficientAt25 - CoefficientPerDegree * (temperature_ - 250) / 10);
}

void OxygenBlockModel::driftTemperature() {
    temperature_ = std::clamp(temperature_ + randomIn(rng_, -1, 1), TemperatureMin, TemperatureMax);
}

void OxygenBlockModel::writeFrontEnd(const Frame &command) {
    // The chip takes no write while it is not ready or locked.
    if (!frontEndReady_ || writeProtected_)
        return;
    frontEnd_ = {static_cast<std::uint8_t>(command[4] & GainBits), command[5],
                 static_cast<std::uint8_t>(command[6] & ModeBits)};
}

void OxygenBlockModel::act(const Frame &command) {
    switch (command[1]) {
    case OxygenCode::SetUp:
        setup_ = true;
        break;
    case OxygenCode::Save:
        if (losesSaves_)
            working_ = saved_;
        else
            saved_ = working_;
        setup_ = false;
        break;
    case OxygenCode::WriteUpper:
        working_.calibrationGas = signed16(command, 3);
        working_.threshold1 = signed16(command, 5);
        break;
    case OxygenCode::WriteLower:
        working_.threshold2 = signed16(command, 3);
        working_.threshold3 = signed16(command, 5);
        break;
    case OxygenCode::Reset:
        working_ = saved_;
        setup_ = false;
        break;
    case OxygenCode::WriteFrontEnd:
        writeFrontEnd(command);
        break;
    default:
        break;
    }
}

std::optional<Frame> OxygenBlockModel::answer(const Frame &command) {
    const std::uint8_t code = command[1];
    act(command);
    if (code == Code::Poll || code == OxygenCode::Voltage) {
        gas_.next(TypicalDipTenths);
        driftTemperature();
    }
    voltage_ = measure();
    // The calibration points are taken on the voltage just measured.
    if (code == OxygenCode::GasPoint)
        working_.uGasTenths = voltage_;
    else if (code == OxygenCode::ZeroPoint)
        working_.uZeroTenths = voltage_;

    OxygenReply r;
    r.code = code;
    r.status = statusFlags();
    const auto putFrontEnd = [&r, this] {
        r.frontEndGain = frontEnd_.gain;
        r.frontEndReference = frontEnd_.reference;
        r.frontEndMode = frontEnd_.mode;
    };
    switch (code) {
    case Code::Poll:
        r.concentration = concentration();
        r.temperatureCode = temperatureCode();
        r.coefficientCode = coefficientCode();
        break;
    case OxygenCode::Voltage:
        r.concentration = concentration();
        r.voltageTenths = voltage_;
        break;
    case OxygenCode::Version:
        r.version = version_;
        putFrontEnd();
        break;
    case OxygenCode::ReadFrontEnd:
    case OxygenCode::WriteFrontEnd:
        r.frontEndStatus = frontEndStatusFlags();
        // Sent whether or not the front end is ready.
        putFrontEnd();
        break;
    case OxygenCode::ReadVoltages:
        r.uZeroTenths = working_.uZeroTenths;
        r.uGasTenths = working_.uGasTenths;
        break;
    case OxygenCode::ReadCalibrationGas:
        r.calibrationGas = working_.calibrationGas;
        r.threshold1 = working_.threshold1;
        break;
    case OxygenCode::ReadThresholds:
        r.threshold2 = working_.threshold2;
        r.threshold3 = working_.threshold3;
        break;
    default:
        break;
    }
    return encode(r);
}
