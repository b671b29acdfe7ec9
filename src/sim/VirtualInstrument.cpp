#include "VirtualInstrument.h"

#include "CatalyticSensorModel.h"
#include "OpticalBlockModel.h"
#include "OxygenBlockModel.h"
#include "PgsBlockModel.h"
#include "RandomIn.h"
#include "ReplyWords.h"
#include "SemiconductorSensorModel.h"
#include "TwoSensorBlockModel.h"
#include "protocol/BaseReply.h"
#include "protocol/InstrumentKind.h"
#include "protocol/PumpReply.h"

#include <algorithm>
#include <utility>

VirtualInstrument::VirtualInstrument(std::uint8_t kind, std::uint16_t serialNumber,
                                     std::uint32_t rngStart)
    : rng_(rngStart), kind_(kind), serial_(serialNumber) {
    // Each instrument leaves the bench with its own battery charge and pump
    // tuning, but always inside the limits.
    batteryMv_ = randomIn(5150, 5450);
    amplitude_ = randomIn(16, 36) * AmplitudeStep;
    frequencyHz_ = randomIn(45, 75);
    makeSensorModel();
}

std::optional<std::uint8_t> VirtualInstrument::sensorBlockOf(std::uint8_t kind) {
    if (const InstrumentKind *k = findInstrumentKind(kind))
        return k->sensor.block;
    return std::nullopt;
}

namespace {
using Model = std::unique_ptr<SensorBlockModel>;
using V = VirtualInstrument;

// One row per kind a virtual instrument can be: its name in the device list
// and the model of its sensor block, made with a start value of its own.
// clang-format off
const struct {
    VirtualInstrument::Kind listed;
    Model (*make)(std::uint32_t start);
} VirtualKinds[] = {
    {{1, "ТКС"},             [](std::uint32_t r) -> Model { return std::make_unique<CatalyticSensorModel>(Block::Tks, true, V::TksVersion, r); }},
    {{2, "ТКС+ПГС"},         [](std::uint32_t r) -> Model { return std::make_unique<TwoSensorBlockModel>(Block::TksPgs, true, V::TksPgsVersion, r); }},
    {{3, "ТКС+ПГС водород"}, [](std::uint32_t r) -> Model { return std::make_unique<TwoSensorBlockModel>(Block::Hydrogen, false, V::HydrogenVersion, r); }},
    {{4, "ПГС"},             [](std::uint32_t r) -> Model { return std::make_unique<PgsBlockModel>(V::PgsVersion, r); }},
    {{5, "Оптика метан"},    [](std::uint32_t r) -> Model { return std::make_unique<OpticalBlockModel>(V::OpticalVersion, r); }},
    {{7, "Кислород"},        [](std::uint32_t r) -> Model { return std::make_unique<OxygenBlockModel>(V::OxygenVersion, r); }},
};
// clang-format on
} // namespace

std::vector<VirtualInstrument::Kind> VirtualInstrument::kinds() {
    std::vector<Kind> all;
    for (const auto &k : VirtualKinds)
        all.push_back(k.listed);
    return all;
}

void VirtualInstrument::powerOn() {
    off_ = false;
    testMode_ = false;
    led_ = false;
    sound_ = false;
    menu_ = false;
    pumpSetup_ = false;
}

void VirtualInstrument::setBatteryMillivolts(int mv) {
    battery_ = Battery::Held;
    batteryMv_ = std::clamp(mv, 0, 0xFFFF);
}

void VirtualInstrument::setBatteryFault(bool failing) {
    if (failing) {
        battery_ = Battery::Failing;
        return;
    }
    battery_ = Battery::Drifting;
    batteryMv_ = std::clamp(batteryMv_, BatteryLowMv, BatteryHighMv);
}

std::optional<Frame> VirtualInstrument::answer(const Frame &command) {
    if (off_ || !checksumHolds(command) || (command[0] & 0x80) == 0)
        return std::nullopt;
    const std::uint8_t block = command[0] & 0x7F;
    std::optional<Frame> r;
    if (block == Block::Base)
        r = answerBase(command);
    else if (block == Block::Pump)
        r = pumpLinkLost_ ? std::nullopt : answerPump(command);
    else if (block == sensorBlockOf(kind_) && !sensorLinkLost_)
        r = answerSensor(command);
    if (r)
        *r = sealed(*r);
    return r;
}

int VirtualInstrument::randomIn(int lo, int hi) {
    return ::randomIn(rng_, lo, hi);
}

// ---- Base -------------------------------------------------------------------

Frame VirtualInstrument::baseStateReply(std::uint8_t code) const {
    BaseReply r;
    r.code = code;
    r.state = BaseReply::State{testMode_, menu_, batteryMv_ < DischargedBelowMv, charging_,
                               contactBroken_};
    r.links = BaseReply::Links{pumpLinkLost_, sensorLinkLost_};
    r.batteryMillivolts = batteryMv_;
    return encode(r);
}

void VirtualInstrument::stepBattery() {
    switch (battery_) {
    case Battery::Held:
        break;
    case Battery::Drifting:
        batteryMv_ = std::clamp(batteryMv_ + randomIn(-4, 4), BatteryLowMv, BatteryHighMv);
        break;
    case Battery::Failing:
        batteryMv_ =
            std::max(FailingFloorMv, batteryMv_ - randomIn(FailingStepMv / 2, FailingStepMv));
        break;
    }
}

std::optional<Frame> VirtualInstrument::answerBase(const Frame &command) {
    const std::uint8_t code = command[1];
    // The tool writes its sensor-type code into byte 4 of 9 and 12; the base
    // keeps it as its kind from then on.
    if ((code == Code::Identify || code == Code::Poll) && command[4] != 0 && command[4] != kind_) {
        kind_ = command[4];
        makeSensorModel();
    }

    switch (code) {
    case Code::Identify: {
        // The base answers 9 with its kind in byte 4 and serial number in 5 and 6.
        Frame f = replyFrame(Block::Base, code);
        f[4] = kind_;
        putWord(f, 5, serial_);
        return f;
    }
    case Code::Poll:
        channel_ = command[2];
        if (VirtualStand *s = stand())
            s->select(channel_);
        stepBattery();
        return baseStateReply(code);
    case BaseCode::TestMode:
        testMode_ = true;
        if (command[3] == 0xFF) {
            led_ = true;
        } else if (command[3] == 0 && command[4] == 0x10) {
            sound_ = true;
        } else if (command[3] == 0) {
            led_ = false;
            sound_ = false;
        }
        return baseStateReply(code);
    case BaseCode::WorkMode:
        testMode_ = false;
        led_ = false;
        sound_ = false;
        return baseStateReply(code);
    case BaseCode::PowerOff: {
        // The last word before the power goes.
        Frame f = baseStateReply(code);
        off_ = true;
        return f;
    }
    default:
        return std::nullopt;
    }
}

// ---- Pump -------------------------------------------------------------------

std::uint16_t VirtualInstrument::coilCurrentRaw() {
    if (!pumpOn_)
        return 0;
    // Half-milliamperes: about 100 at the smallest amplitude, 220 at the largest.
    return static_cast<std::uint16_t>(95 + amplitude_ * 5 / 8 + randomIn(-2, 2));
}

std::optional<Frame> VirtualInstrument::answerPump(const Frame &command) {
    const std::uint8_t code = command[1];
    switch (code) {
    case PumpCode::AmplitudeUp:
        amplitude_ = std::min(AmplitudeMax, amplitude_ + AmplitudeStep);
        break;
    case PumpCode::AmplitudeDown:
        amplitude_ = std::max(AmplitudeMin, amplitude_ - AmplitudeStep);
        break;
    case PumpCode::FrequencyDown:
        frequencyHz_ = std::max(FrequencyMinHz, frequencyHz_ - FrequencyStepHz);
        break;
    case PumpCode::FrequencyUp:
        frequencyHz_ = std::min(FrequencyMaxHz, frequencyHz_ + FrequencyStepHz);
        break;
    case PumpCode::SetUpMode:
        pumpSetup_ = true;
        break;
    case PumpCode::Save:
        pumpDefaults_ = false;
        pumpSetup_ = false;
        break;
    case PumpCode::Off:
        pumpOn_ = false;
        break;
    case PumpCode::On:
        pumpOn_ = true;
        break;
    default:
        // Poll and codes the controller does not act on: just the status.
        break;
    }

    PumpReply r;
    r.code = code;
    r.status = {pumpOn_, pumpDefaults_, pumpSetup_};
    if (code == PumpCode::PositionSensor) {
        // The piston's extreme positions over the last strokes: the stroke
        // widens with the amplitude; a stopped piston rests mid-way.
        const int noiseMax = randomIn(-3, 3);
        const int noiseMin = randomIn(-3, 3);
        const int half = pumpOn_ ? 190 + amplitude_ : 0;
        r.positionMax = 510 + half + noiseMax;
        r.positionMin = 510 - half + noiseMin;
        return encode(r);
    }
    // The current and the amplitude go out with every other reply, the
    // version in the frequency's place in the reply to 9.
    r.currentHalfMilliamps = coilCurrentRaw();
    r.amplitude = amplitude_;
    if (code == PumpCode::On)
        r.version = PumpVersion;
    else
        r.frequency = frequencyHz_;
    return encode(r);
}

// ---- Sensor blocks ----------------------------------------------------------

void VirtualInstrument::makeSensorModel() {
    const auto start = static_cast<std::uint32_t>(rng_());
    // Other kinds have no sensor block.
    sensor_.reset();
    for (const auto &k : VirtualKinds)
        if (k.listed.deviceType == kind_)
            sensor_ =
                stand_ ? std::make_unique<VirtualStand>(k.make, start, *stand_) : k.make(start);
    if (!sensor_)
        return;
    sensor_->setClock(clock_);
    sensor_->setDrifted(drifted_);
    if (gas_ != TestGas::Ambient)
        sensor_->applyGas(gas_, gasConcentration_);
}

void VirtualInstrument::setStand(std::optional<VirtualStand::Layout> layout) {
    stand_ = std::move(layout);
    makeSensorModel();
}

VirtualStand *VirtualInstrument::stand() {
    return dynamic_cast<VirtualStand *>(sensor_.get());
}

void VirtualInstrument::applyGas(TestGas gas, int concentration) {
    gas_ = gas;
    gasConcentration_ = concentration;
    if (sensor_)
        sensor_->applyGas(gas, concentration);
}

int VirtualInstrument::unitsPerPercent() const {
    return sensorBlockOf(kind_) == Block::Oxygen ? 10 : 100;
}

void VirtualInstrument::setClock(SimClock clock) {
    clock_ = clock ? std::move(clock) : SimClock(steadyClockMs);
    if (sensor_)
        sensor_->setClock(clock_);
}

void VirtualInstrument::setDrifted(bool on) {
    drifted_ = on;
    if (sensor_)
        sensor_->setDrifted(on);
}

std::optional<Frame> VirtualInstrument::answerSensor(const Frame &command) {
    if (!sensor_)
        return std::nullopt;
    return sensor_->answer(command);
}

SensorBlockModel *VirtualInstrument::reachedBlock() {
    if (VirtualStand *s = stand())
        return s->at(s->selected());
    return sensor_.get();
}

CatalyticSensorModel *VirtualInstrument::catalytic() {
    if (auto *two = dynamic_cast<TwoSensorBlockModel *>(reachedBlock()))
        return &two->catalytic();
    return dynamic_cast<CatalyticSensorModel *>(reachedBlock());
}

SemiconductorSensorModel *VirtualInstrument::semiconductor() {
    if (auto *two = dynamic_cast<TwoSensorBlockModel *>(reachedBlock()))
        return &two->semiconductor();
    return nullptr;
}

PgsBlockModel *VirtualInstrument::pgs() {
    return dynamic_cast<PgsBlockModel *>(reachedBlock());
}

OpticalBlockModel *VirtualInstrument::optical() {
    return dynamic_cast<OpticalBlockModel *>(reachedBlock());
}

OxygenBlockModel *VirtualInstrument::oxygen() {
    return dynamic_cast<OxygenBlockModel *>(reachedBlock());
}
