#pragma once
// The thermocatalytic sensor of a virtual ТКС block (block 3 on its own, the
// first sensor of blocks 20 and 21). The sensor bridge's mid-point sits near
// 1200 mV in clean air and rises with the gas; the block turns that into a
// concentration with its two calibration points:
//     concentration = calibration gas × (V − U air) / (U gas − U air).
//
// Each gas the block can be set for has its own parameters: a working set the
// commands change and a saved set that code 7 writes and code 16 brings back.
// The hydrogen block has no gas selection: code 1 is answered but changes
// nothing, and the one parameter set is the hydrogen one.
//
// Drifted, the sensor rises only DriftPercentMin to DriftPercentMax % as far
// per unit of gas as when it was calibrated, and its clean-air mid-point has
// crept up by DriftZeroMinTenths to DriftZeroMaxTenths: it reads some 20 to
// 25 % low in the calibration gas and a little over zero in clean air, until
// the two points are taken again in clean air (15) and in the gas (14).
//
// Its replies are built with encode(const CatalyticReply &).

#include "protocol/CatalyticReply.h"
#include "sim/VirtualSensor.h"

#include <array>
#include <cstdint>
#include <random>

class CatalyticSensorModel : public VirtualSensor {
  public:
    // The block cannot calibrate on calibration points closer than this
    // (tenths of a millivolt) and reports a settings error.
    static constexpr int MinSpanTenths = 200;
    // The mid-point never leaves [0, RailTenths].
    static constexpr int RailTenths = 30000;
    // Off or broken, the mid-point shows at most this (tenths of a millivolt).
    static constexpr int DeadTenthsMax = 20;
    // Clean-air mid-point of a sensor fresh from the factory, tenths of a
    // millivolt; each sensor is off it by up to BaselineSpreadTenths.
    static constexpr int NominalAirTenths = 12000;
    static constexpr int BaselineSpreadTenths = 150;
    static constexpr int NoiseTenths = 3;
    static constexpr int DriftPercentMin = 72;
    static constexpr int DriftPercentMax = 77;
    static constexpr int DriftZeroMinTenths = 30;
    static constexpr int DriftZeroMaxTenths = 60;

    enum class Gas { Methane, Propane, Hydrogen };

    // Concentrations in hundredths of a percent, voltages in tenths of a millivolt.
    struct Settings {
        int calibrationGas;
        int threshold1;
        int threshold2;
        int offThreshold;
        int uAirTenths;
        int uGasTenths;
    };

    // Factory values: methane 250, 50, 100, 500; propane 100, 20, 40, 200;
    // hydrogen 200, 40, 80, 400; calibration points of a nominal sensor.
    static Settings defaultsFor(Gas gas);
    // How far the mid-point rises per hundredth of a percent of the gas.
    static int sensitivityTenths(Gas gas);

    CatalyticSensorModel(std::uint8_t block, bool gasChoice, std::uint8_t version,
                         std::uint32_t randomStart);

    std::optional<Frame> answer(const Frame &command) override;
    void setLosesSaves(bool on) override { losesSaves_ = on; }

    bool setupMode() const { return setup_; }
    bool propane() const { return gasChoice_ && propane_; }
    Gas gas() const;
    CatalyticReply::Status statusFlags() const;
    // Byte 2 of its replies.
    std::uint8_t status() const;
    // The settings of the gas in force.
    const Settings &working() const { return working_[gasIndex()]; }
    const Settings &saved() const { return saved_[gasIndex()]; }
    // The last measured mid-point voltage and the concentration it gives.
    int voltageTenths() const { return voltage_; }
    int concentration() const { return concentrationAt(voltage_); }

    // How far the sensor rises per unit of gas against when it was
    // calibrated, percent: 100 unless drifted.
    int sensitivityPercent() const { return drifted_ ? driftPercent_ : 100; }

    void setSettingsError(bool on) { settingsErrorForced_ = on; }
    // A faulty memory: writes 10 and 11 are answered but change nothing.
    void setWritesLost(bool on) { writesLost_ = on; }

  private:
    std::size_t gasIndex() const { return propane() ? 1 : 0; }
    Settings &workingSet() { return working_[gasIndex()]; }
    bool settingsError() const;
    int measure();
    double thresholdGas(int which) const override;
    int concentrationAt(int voltageTenths) const;
    // Commands that change the block's state, before it measures.
    void act(const Frame &command);
    // Zero adjustment and the two calibration points, on the voltage measured.
    void calibrate(std::uint8_t code);

    std::uint8_t block_;
    bool gasChoice_;
    std::uint8_t version_;
    int baselineTenths_;
    int driftPercent_;
    int driftZeroTenths_;

    bool setup_ = false;
    bool propane_ = false;
    bool settingsErrorForced_ = false;
    bool writesLost_ = false;
    // Index 0: methane (hydrogen on a block without gas selection), 1: propane.
    std::array<Settings, 2> working_;
    std::array<Settings, 2> saved_;
    bool losesSaves_ = false;
};
