#pragma once
// The electrochemical oxygen block (block 22). The cell's current goes through
// the transimpedance amplifier of an LMP91000 front end; the block measures the
// amplifier's output, the sensor voltage, and turns it into a concentration
// with its two calibration points:
//     concentration = calibration gas × (V − U zero) / (U gas − U zero).
// With the factory gain the voltage is near 0 mV without oxygen and some
// 1500 mV in air; it scales with the amplifier's feedback resistor (R_TIA), so
// after a gain change the block needs calibrating again.
//
// An oxygen sensor is never switched off; the block reports the fault of its
// temperature sensor in status bit 0 and three alarms: threshold 1 when the
// concentration is more than threshold 1 away from the calibration gas,
// threshold 2 when it falls below threshold 2, threshold 3 when it rises above
// threshold 3. Concentrations in tenths of a percent of oxygen, voltages in
// tenths of a millivolt.
//
// Drifted, the cell gives only DriftPercentMin to DriftPercentMax % of the
// current it gave at its calibration, over a zero crept up by what
// DriftZeroMinTenths to DriftZeroMaxTenths of oxygen would give: it reads
// some 1.5 % of oxygen low in air until its points are taken again in
// nitrogen (15) and in air or the cylinder (14). The threshold gases are
// oxygen just past threshold 1 below the calibration gas, and just under
// threshold 2.
//
// Replies (status in byte 2 of each; words little-endian):
//   12  concentration (3, 4), temperature code 85 − t °C (5), coefficient
//       code 10 × k − 900 with k in % (6)
//    1  concentration (3, 4), sensor voltage, unsigned (5, 6)
//    9  version (3), front-end gain, reference and mode bytes (4, 5, 6)
//   32, 33  front-end status (3), front-end bytes (4, 5, 6)
//    2  U zero (3, 4), U gas (5, 6)
//    3  calibration gas (3, 4), threshold 1 (5, 6)
//    4  threshold 2 (3, 4), threshold 3 (5, 6)
// and the status alone to every other code.

#include "protocol/OxygenReply.h"
#include "sim/VirtualSensor.h"

#include <cstdint>
#include <optional>

class OxygenBlockModel : public VirtualSensor {
  public:
    struct Settings {
        int calibrationGas;
        int threshold1; // the largest distance from the calibration gas
        int threshold2; // the lowest concentration
        int threshold3; // the highest concentration
        int uZeroTenths;
        int uGasTenths;
    };

    // Factory values besides the calibration points, which are the sensor's own.
    static constexpr int FactoryCalibrationGas = 210;
    static constexpr int FactoryThreshold1 = 20;
    static constexpr int FactoryThreshold2 = 180;
    static constexpr int FactoryThreshold3 = 250;
    // Front-end bytes on start: 50 Ω load, 7.0 kΩ feedback; internal
    // reference, zero at 50 %, positive bias of 10 %; shorting FET off,
    // three-lead amperometric mode. Ready and writable.
    static constexpr FrontEnd::Bytes FactoryFrontEnd{0x0E, 0x36, 0x03};
    // Bits the front end keeps of a write.
    static constexpr std::uint8_t GainBits = 0x1F;
    static constexpr std::uint8_t ModeBits = 0x87;

    // Oxygen in clean air: the level wanders between AirTopTenths less
    // AmbientGas::BackgroundMax and AirTopTenths, about 20.9 %.
    static constexpr int AirTopTenths = 212;
    // Now and then something displaces the oxygen: a dip takes away somewhat
    // more than this, below threshold 2.
    static constexpr int TypicalDipTenths = 40;
    // A held oxygen level is kept within [0, HoldMaxTenths].
    static constexpr int HoldMaxTenths = 1000;

    // The sensor voltage in 20.9 % oxygen with the factory gain: each sensor
    // lies in [AirVoltageMin, AirVoltageMax]; without oxygen it shows up to
    // ZeroVoltageMax.
    static constexpr int AirVoltageMin = 14700;
    static constexpr int AirVoltageMax = 15300;
    static constexpr int ZeroVoltageMax = 30;
    static constexpr int NoiseTenths = 3;
    // The amplifier's output never leaves [0, RailTenths].
    static constexpr int RailTenths = 33000;
    // Broken, or with no feedback resistor (R_TIA "external", none fitted on
    // the board), the voltage shows at most this.
    static constexpr int DeadTenthsMax = 20;
    // The block cannot calibrate on points closer than this and reports a set-up error.
    static constexpr int MinSpanTenths = 1000;
    static constexpr int DriftPercentMin = 91;
    static constexpr int DriftPercentMax = 92;
    static constexpr int DriftZeroMinTenths = 1;
    static constexpr int DriftZeroMaxTenths = 3;

    // The block's temperature, tenths of a degree: it starts near 25 °C and
    // drifts by a tenth of a degree at most per poll (12 or 1), within
    // [TemperatureMin, TemperatureMax].
    static constexpr int TemperatureMin = 210;
    static constexpr int TemperatureMax = 290;
    // The coefficient code at 25 °C (k = 100.0 %); it falls this many tenths
    // of a percent per degree warmer.
    static constexpr int CoefficientAt25 = 100;
    static constexpr int CoefficientPerDegree = 3;
    // A broken temperature sensor reads as cold as the converter goes; the
    // block then stops correcting (k = 100.0 %).
    static constexpr std::uint8_t FaultTemperatureCode = 0xFF;

    // The feedback resistor of a gain byte, in ohms; 0 for "external".
    static int tiaOhms(std::uint8_t gain);

    OxygenBlockModel(std::uint8_t version, std::uint32_t randomStart);

    std::optional<Frame> answer(const Frame &command) override;
    void setLosesSaves(bool on) override { losesSaves_ = on; }

    bool setupMode() const { return setup_; }
    OxygenReply::Status statusFlags() const;
    // Byte 2 of its replies.
    std::uint8_t status() const;
    const Settings &working() const { return working_; }
    const Settings &saved() const { return saved_; }
    FrontEnd::Bytes frontEnd() const { return frontEnd_; }
    OxygenReply::FrontEndStatus frontEndStatusFlags() const {
        return {frontEndReady_, writeProtected_, 0};
    }
    // Byte 3 of the replies to 32 and 33.
    std::uint8_t frontEndStatus() const;
    // The oxygen at the sensor, the voltage and the concentration it gave,
    // when it last measured.
    int oxygenTenths() const;
    int voltageTenths() const { return voltage_; }
    int concentration() const;
    int temperatureTenths() const { return temperature_; }
    // The cell's current against its calibration, percent: 100 unless drifted.
    int sensitivityPercent() const { return drifted_ ? driftPercent_ : 100; }
    // Bytes 5 and 6 of the reply to 12.
    std::uint8_t temperatureCode() const;
    std::uint8_t coefficientCode() const;

    // Holds the oxygen at `tenthsOfPercent` of oxygen (not hundredths of a
    // gas, as holdGas() of the other sensors) until releaseOxygen().
    void holdOxygen(int tenthsOfPercent);
    void releaseOxygen();
    void holdGas(int) = delete;
    void releaseGas() = delete;

    void setWriteProtected(bool on) { writeProtected_ = on; }
    void setFrontEndReady(bool on) { frontEndReady_ = on; }
    void setTemperatureFault(bool on) { temperatureFault_ = on; }
    void setSetUpError(bool on) { setUpErrorForced_ = on; }

  private:
    bool setUpError() const;
    // The sensor voltage at `oxygen` tenths with the front end as it is, no
    // noise; `asNow` with the drift, else as the sensor was made.
    int voltageAt(double oxygen, bool asNow) const;
    int measure();
    double targetOf(TestGas gas, int concentration) const override;
    double ambientLevel() const override;
    void releaseHolds() override;
    double thresholdGas(int which) const override;
    void driftTemperature();
    // Commands that change the block's state, before it measures.
    void act(const Frame &command);
    void writeFrontEnd(const Frame &command);

    std::uint8_t version_;
    int zeroTenths_;
    int airTenths_;
    int temperature_;
    int driftPercent_;
    int driftZeroTenths_;
    double level_ = 0;

    bool setup_ = false;
    bool setUpErrorForced_ = false;
    bool temperatureFault_ = false;
    bool writeProtected_ = false;
    bool frontEndReady_ = true;
    std::optional<int> heldOxygen_;
    FrontEnd::Bytes frontEnd_ = FactoryFrontEnd;
    Settings working_;
    Settings saved_;
    bool losesSaves_ = false;
};
