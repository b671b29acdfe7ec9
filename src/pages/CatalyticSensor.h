#pragma once
// One thermocatalytic sensor as the pages show it: seven status indicators,
// the gas, the concentration, the mid-point voltage and its chart, the version,
// the calibration voltages and the four parameters, and the commands that go
// with them. The TKS page shows it alone; the two-sensor pages show it beside a
// semiconductor sensor, under widget names of their own.

#include "protocol/CatalyticReply.h"
#include "protocol/ExchangeCycle.h"

#include <array>
#include <optional>

class IndicatorPanel;
class Messages;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;
class StripChart;
class ValueField;

struct CatalyticWidgets {
    // Status indicators, by the bit each one shows.
    IndicatorPanel *power, *mode, *settings, *circuit, *offAlarm, *alarm2, *alarm1;
    // Its caption names the gas, where the block has a choice of gas.
    QGroupBox *parameters;
    // A read-only edit or a panel.
    QWidget *concentration;
    IndicatorPanel *voltage, *version;
    StripChart *chart;
    QLineEdit *uAir, *uGas;
    ValueField *calibrationGas, *threshold1, *threshold2, *offThreshold;
    // The parameter group's buttons.
    QPushButton *applyAir, *applyGas, *writeUpper, *writeLower, *save;
};

// Calibration gas, threshold 1, threshold 2 and switch-off threshold, in
// hundredths of a percent.
using CatalyticDefaults = std::array<int, 4>;

// What sets one page's sensor apart.
struct CatalyticStyle {
    // Single codes are queued as one-code sequences (two-sensor blocks) rather
    // than loaded straight into the frame.
    bool sequenced;
    // The voltage panel shows two blanks and the signed value without a unit,
    // rather than the unsigned value followed by the unit.
    bool signedVoltage;
    // A block for one gas only: these defaults, and status bit 1 not shown.
    std::optional<CatalyticDefaults> fixedGas;
};

class CatalyticSensor {
  public:
    CatalyticSensor(ExchangeCycle &exchange, Messages &messages, std::uint8_t block,
                    CatalyticStyle style);

    CatalyticWidgets w{};

    // The sensor's share of a reply of its block: status, what the reply to
    // its code carries, and the readings where the reply has them.
    void decode(const Frame &reply);

    void switchOn();
    void switchOff();
    void selectGas();
    // Only while the last frame received is the block's own with bit 0 set.
    void adjustZero();
    void enterSetUp();
    void reset();
    void save();
    void readParameters();
    void applyAir();
    void applyGas();
    // Calibration gas and threshold 1 with code 10; threshold 2 and the
    // switch-off threshold with code 11.
    void writeUpper();
    void writeLower();
    void fillDefaults();

  private:
    void showStatus(const CatalyticReply::Status &status);
    void showReadings(const CatalyticReply &reply);
    void sendSingle(std::uint8_t code);
    void write(std::uint8_t code, const ValueField *first, const ValueField *second);
    std::uint8_t address() const { return Block::address(block_); }

    ExchangeCycle &exchange_;
    Messages &messages_;
    std::uint8_t block_;
    CatalyticStyle style_;
    // What its page reads after the version: the voltages, then the four
    // parameters. A command whose effect shows there is followed by them.
    CodeList reads_;
};
