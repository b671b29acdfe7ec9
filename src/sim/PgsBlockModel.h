#pragma once
// The semiconductor gas-sensor block (ПГС, block 8). The sensor's voltage goes
// to a 12-bit converter on a 3.3 V reference; the block compares the raw
// converter value with two thresholds held for each gas (methane, propane).
// "Apply" takes the converter value of the moment as the new threshold, so a
// technician sets a threshold by giving the sensor the gas level it stands for.
//
// Replies that carry readings (poll, 1, 6, 7 and codes the block does not know):
// bytes 3, 4 = the voltage in quarters of a millivolt, bytes 5, 6 = the raw
// converter value (signed). Replies to 4, 10 and 11: bytes 3, 4 = threshold 1,
// bytes 5, 6 = threshold 2 (signed). The reply to 9 has the version in byte 6.
//
// Each threshold stands for the gas that was on the sensor when it was taken
// (the factory's: the gas at which this sensor, as made, reached the factory
// value); the threshold gases are just above those. Drifted, the sensor rises
// only DriftPercentMin to DriftPercentMax % as far as it did then, so that
// the gas just above threshold 1 no longer trips it until the thresholds are
// applied again in their gases.

#include "protocol/PgsReply.h"
#include "sim/VirtualSensor.h"

#include <array>
#include <cstdint>
#include <random>

class PgsBlockModel : public VirtualSensor {
  public:
    // Converter: FullScaleQuarters (3300 mV) gives ConverterSteps.
    static constexpr int FullScaleQuarters = 13200;
    static constexpr int ConverterSteps = 4096;
    // Clean-air voltage range, quarters of a millivolt (900 to 1100 mV).
    static constexpr int AirQuartersMin = 3600;
    static constexpr int AirQuartersMax = 4400;
    static constexpr int NominalAirQuarters = 4000;
    // The rise with gas g (hundredths of a percent): RiseQuarters × g / (g + half-rise
    // level of the gas).
    static constexpr int RiseQuarters = 8000;
    static constexpr int MethaneHalfRiseAt = 200;
    static constexpr int PropaneHalfRiseAt = 100;
    static constexpr int NoiseQuarters = 4;
    // Off or broken, the voltage shows at most this.
    static constexpr int DeadQuartersMax = 40;
    static constexpr int DriftPercentMin = 75;
    static constexpr int DriftPercentMax = 82;

    struct Thresholds {
        int threshold1;
        int threshold2;
    };

    // The converter value of a voltage.
    static int converterOf(int quarters);
    // The voltage of a nominal sensor in `hundredths` of methane or propane.
    static int nominalQuarters(bool propane, int hundredths);
    // Factory thresholds: what a nominal sensor gives at 0.50 % and 1.00 %
    // methane, or 0.20 % and 0.40 % propane.
    static Thresholds defaultsFor(bool propane);

    PgsBlockModel(std::uint8_t version, std::uint32_t randomStart);

    std::optional<Frame> answer(const Frame &command) override;

    bool setupMode() const { return setup_; }
    bool propane() const { return propane_; }
    PgsReply::Status statusFlags() const;
    // Byte 2 of its replies.
    std::uint8_t status() const;
    // Working thresholds of the gas in force.
    int threshold1() const { return working_[gasIndex()].threshold1; }
    int threshold2() const { return working_[gasIndex()].threshold2; }
    // The last voltage and converter value measured.
    int voltageQuarters() const { return voltage_; }
    int converterValue() const { return converterOf(voltage_); }
    // How far the sensor rises with the gas against when its thresholds were
    // taken, percent: 100 unless drifted.
    int sensitivityPercent() const { return drifted_ ? driftPercent_ : 100; }

    void setSettingsError(bool on) { settingsErrorForced_ = on; }

  private:
    // The gas (hundredths of a percent) each threshold stands for.
    struct StandsFor {
        double threshold1;
        double threshold2;
    };

    std::size_t gasIndex() const { return propane_ ? 1 : 0; }
    // The rise over the air voltage in `hundredths` of the gas, as made.
    static double riseQuarters(bool propane, double hundredths);
    // The gas at which this sensor, as made, reaches converter value `value`.
    double gasAtConverter(bool propane, int value) const;
    int measure();
    double thresholdGas(int which) const override;
    void act(std::uint8_t code);

    std::uint8_t version_;
    int airQuarters_;
    int driftPercent_;
    // The gas at the sensor when it last measured.
    double level_ = 0;

    bool setup_ = false;
    bool propane_ = false;
    bool settingsErrorForced_ = false;
    // Index 0: methane, 1: propane.
    std::array<Thresholds, 2> working_;
    std::array<Thresholds, 2> saved_;
    std::array<StandsFor, 2> workingFor_;
    std::array<StandsFor, 2> savedFor_;
};
