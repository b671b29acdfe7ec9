#pragma once
// One ЗЭ-23 instrument on the bench, as the tool sees it through its adapter: a
// base, a pump and the sensor block of its kind, each answering 8-byte command
// frames. Everything that moves (battery drift, coil current noise, the gas at
// the sensors) comes from an std::mt19937 with a fixed start value, so a run
// can be repeated exactly. The sensor block is a model of its own, made for the
// kind with a start value drawn from the instrument's generator, and made anew
// when the tool changes the kind.
//
// The sensor readings move with a clock (milliseconds; the real monotonic
// clock unless one is set): a change of the gas on the sensors settles in
// time, however often the block is polled. An instrument starts with sensors
// that read true; setDrifted() gives it sensors that have drifted since they
// were last calibrated (the virtual adapters' instruments have them).

#include "calibration/CalibrationRules.h"
#include "protocol/BaseCodes.h"
#include "protocol/Frame.h"
#include "protocol/PumpCodes.h"
#include "sim/SensorBlockModel.h"
#include "sim/SimClock.h"
#include "sim/VirtualStand.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

class CatalyticSensorModel;
class SemiconductorSensorModel;
class PgsBlockModel;
class OpticalBlockModel;
class OxygenBlockModel;

class VirtualInstrument {
  public:
    // Battery: the normal range the voltage wanders in, and the level under
    // which the base calls the battery discharged.
    static constexpr int BatteryLowMv = 5000;
    static constexpr int BatteryHighMv = 5600;
    static constexpr int DischargedBelowMv = 4600;
    // A failing battery sinks by up to this much per poll, down to the floor.
    static constexpr int FailingStepMv = 25;
    static constexpr int FailingFloorMv = 4000;

    // Pump set-up limits and steps.
    static constexpr int AmplitudeMin = 10;
    static constexpr int AmplitudeMax = 200;
    static constexpr int AmplitudeStep = 5;
    static constexpr int FrequencyMinHz = 20;
    static constexpr int FrequencyMaxHz = 120;
    static constexpr int FrequencyStepHz = 1;
    // Firmware version of the pump controller: high nibble major, low minor.
    static constexpr std::uint8_t PumpVersion = 0x23;
    // Firmware versions of the sensor blocks, the same way.
    static constexpr std::uint8_t TksVersion = 0x14;
    static constexpr std::uint8_t TksPgsVersion = 0x21;
    static constexpr std::uint8_t HydrogenVersion = 0x12;
    static constexpr std::uint8_t PgsVersion = 0x13;
    static constexpr std::uint8_t OpticalVersion = 0x15;
    static constexpr std::uint8_t OxygenVersion = 0x12;

    VirtualInstrument(std::uint8_t kind, std::uint16_t serialNumber, std::uint32_t rngStart = 1);
    VirtualInstrument(VirtualInstrument &&) noexcept = default;
    VirtualInstrument &operator=(VirtualInstrument &&) noexcept = default;
    VirtualInstrument(const VirtualInstrument &) = delete;
    VirtualInstrument &operator=(const VirtualInstrument &) = delete;
    ~VirtualInstrument() = default;

    // The reply to one command frame, or nothing when the instrument keeps quiet
    // (bad checksum, a block it lacks, an unknown base code, switched off).
    std::optional<Frame> answer(const Frame &command);

    // Power comes back (the adapter was opened again): working mode, LED and
    // sound off. The kind, serial number and pump settings survive.
    void powerOn();

    // The sensor block of a kind, or nothing for a kind without one.
    static std::optional<std::uint8_t> sensorBlockOf(std::uint8_t kind);

    // The kinds a virtual instrument can be, in the device list's order,
    // with the name the list shows for each.
    struct Kind {
        std::uint8_t deviceType;
        const char *name;
    };
    static std::vector<Kind> kinds();

    std::uint8_t kind() const { return kind_; }
    std::uint16_t serialNumber() const { return serial_; }
    bool isOff() const { return off_; }
    bool testMode() const { return testMode_; }
    bool ledOn() const { return led_; }
    bool soundOn() const { return sound_; }
    // Stand channel from byte 2 of the last base poll.
    std::uint8_t channel() const { return channel_; }

    int batteryMillivolts() const { return batteryMv_; }
    // Holds the voltage at `mv` (drift stops) until setBatteryFault() is called.
    void setBatteryMillivolts(int mv);
    // true: the battery sinks poll by poll towards FailingFloorMv.
    // false: it wanders in the normal range again (pulled back into it at once).
    void setBatteryFault(bool failing);
    void setBatteryContactBroken(bool on) { contactBroken_ = on; }
    void setCharging(bool on) { charging_ = on; }
    void setMenuActive(bool on) { menu_ = on; }
    // A lost link silences the block and is reported in the base's byte 3.
    void setSensorLinkLost(bool lost) { sensorLinkLost_ = lost; }
    void setPumpLinkLost(bool lost) { pumpLinkLost_ = lost; }

    bool pumpOn() const { return pumpOn_; }
    bool pumpSetupMode() const { return pumpSetup_; }
    bool pumpDefaults() const { return pumpDefaults_; }
    void setPumpDefaults(bool on) { pumpDefaults_ = on; }
    int pumpAmplitude() const { return amplitude_; }
    int pumpFrequencyHz() const { return frequencyHz_; }

    // What is on the sensors from now on, for this block and any the kind
    // brings later; `concentration` in the block's units (unitsPerPercent())
    // for a cylinder.
    void applyGas(TestGas gas, int concentration = 0);
    TestGas appliedGas() const { return gas_; }
    int appliedConcentration() const { return gasConcentration_; }
    // Units of the sensor block's readings per percent of gas: 10 on the
    // oxygen block, 100 on the others.
    int unitsPerPercent() const;
    void setClock(SimClock clock);
    void setDrifted(bool on);
    bool drifted() const { return drifted_; }
    // A test stand behind the base's multiplexer in place of the one sensor
    // block (made anew, for this kind and any the kind becomes), or the one
    // block again with nothing.
    void setStand(std::optional<VirtualStand::Layout> layout);
    VirtualStand *stand();

    // The sensor models of the present kind, for tests and the simulator's own
    // controls; nullptr where the kind has no such sensor. With a stand, those
    // of the block at the position the multiplexer is on (none where empty). The thermocatalytic
    // sensor is the whole block of kind 1 and the first sensor of kinds 2 and
    // 3, the semiconductor sensor their second; kind 4 is the ПГС block, kind 5
    // the optical methane block, kind 7 the oxygen block.
    CatalyticSensorModel *catalytic();
    SemiconductorSensorModel *semiconductor();
    PgsBlockModel *pgs();
    OpticalBlockModel *optical();
    OxygenBlockModel *oxygen();

  private:
    enum class Battery { Drifting, Held, Failing };

    std::optional<Frame> answerBase(const Frame &command);
    std::optional<Frame> answerPump(const Frame &command);
    std::optional<Frame> answerSensor(const Frame &command);
    // The block the tool reaches: the one, or the stand's at its position.
    SensorBlockModel *reachedBlock();
    // The sensor block model of kind_, or none for a kind without a block.
    void makeSensorModel();

    Frame baseStateReply(std::uint8_t code) const;
    void stepBattery();
    std::uint16_t coilCurrentRaw();
    // Uniform in [lo, hi], the same on every standard library.
    int randomIn(int lo, int hi);

    std::mt19937 rng_;
    std::uint8_t kind_;
    std::uint16_t serial_;
    std::unique_ptr<SensorBlockModel> sensor_;
    SimClock clock_ = steadyClockMs;
    TestGas gas_ = TestGas::Ambient;
    int gasConcentration_ = 0;
    bool drifted_ = false;
    std::optional<VirtualStand::Layout> stand_;

    bool off_ = false;
    bool testMode_ = false;
    bool led_ = false;
    bool sound_ = false;
    bool menu_ = false;
    bool charging_ = false;
    bool contactBroken_ = false;
    bool sensorLinkLost_ = false;
    bool pumpLinkLost_ = false;
    std::uint8_t channel_ = 0;
    Battery battery_ = Battery::Drifting;
    int batteryMv_ = 5300;

    bool pumpOn_ = true;
    bool pumpSetup_ = false;
    bool pumpDefaults_ = true;
    int amplitude_ = 100;
    int frequencyHz_ = 60;
};
