#pragma once
// Which cylinder of the register suits which sensor block, and its entry's
// fields checked as the register takes them. The register keeps
// concentrations in hundredths of a percent whatever the block; a record
// keeps them in the block's units (CalibrationRules::perPercent).
//
// A cylinder holds one component for the sensor: one of the sensor gases
// (the span the record names), or a zero gas (nitrogen, zero air) for the
// point without gas. Its balance is the gas it is mixed in: a catalytic or
// semiconductor (ПГС) sensor burns or adsorbs its gas with the oxygen of air
// and takes it in air only; the optical and oxygen sensors take either.

#include "CalibrationRecord.h"

#include <optional>
#include <string>
#include <vector>

enum class CylinderComponent { Methane, Propane, Hydrogen, Oxygen, Nitrogen, ZeroAir };

// The register's keys: the sensor gases' keys as the journal writes them
// ("methane", ..., "oxygen"), then "nitrogen" and "zero-air".
std::string componentKey(CylinderComponent c);
std::optional<CylinderComponent> componentFromKey(const std::string &key);
// "метан", ..., "азот", "нулевой воздух".
std::string componentName(CylinderComponent c);
CylinderComponent componentOf(SensorGas gas);

// The balance written on the cylinder: "воздух" (or "air") and "азот" (or
// "N2") in any case and with anything around them.
enum class Balance { Air, Nitrogen, Unknown };
Balance balanceOf(const std::string &text);

// One cylinder as the register keeps it.
struct RegisteredCylinder {
    std::string number;    // number or lot, unique in the register
    std::string gas;       // as written on it, "CH4 в воздухе"
    std::string component; // componentKey()
    int concentration = 0; // hundredths of a percent
    int uncertainty = 0;   // hundredths of a percent; 0 when not known
    std::string balance;   // "воздух", "азот"
    std::string supplier;
    std::string certified; // YYYY-MM-DD, the date of its certificate
    std::string expiry;    // YYYY-MM-DD
    std::string added;     // YYYY-MM-DDTHH:MM:SS, when the register took it
    bool operator==(const RegisteredCylinder &) const = default;
};

// Why the register does not take the entry, in the technician's words;
// nothing when it may. `added` is not looked at.
std::optional<std::string> entryFault(const RegisteredCylinder &c);

// Why the cylinder does not suit the span of a block with these rules judged
// in `gas` ("Баллон с пропаном не подходит датчику метана"); nothing when it
// does. Its concentration must be one the block can hold exactly.
std::optional<std::string> cylinderMisfit(const RegisteredCylinder &c,
                                          const CalibrationRules &rules, SensorGas gas);

// The same for the gas of the step `role`: the span (TestGas::Cylinder) and
// the ПГС threshold gases as above; the oxygen sensor's zero gas must be
// nitrogen, whose purity the block does not hold.
std::optional<std::string> gasMisfit(const RegisteredCylinder &c, const CalibrationRules &rules,
                                     SensorGas gas, TestGas role);

// Whether the block's sensor takes its span gas only in air.
bool spanNeedsAir(const CalibrationRules &rules);

// Hundredths of a percent in units of 1/perPercent of a percent; nothing when
// they cannot be written so exactly (2,55 % in tenths).
std::optional<int> inBlockUnits(int hundredths, int perPercent);

// Percent as the technician types it ("2,5" or "2.5") in hundredths of a
// percent, from 0 to 100; nothing when it is not a number so, or has more
// than two decimals.
std::optional<int> hundredthsOf(const std::string &text);

// The record's cylinder for a block with `perPercent` units a percent; the
// entry must suit the block (cylinderMisfit()).
Cylinder recordCylinder(const RegisteredCylinder &c, int perPercent);

// Whether a YYYY-MM-DD text names a day of the calendar from 1900 on.
bool isDate(const std::string &text);

// The number with each Cyrillic letter that reads as a Latin one ("А", "В",
// "С", "Р", ...) taken as that Latin letter: two numbers with the same key
// look alike on a cylinder's label.
std::string lookAlikeKey(const std::string &number);
// The registered number that differs from `number` only by such letters;
// nothing when none does.
std::optional<std::string> lookAlikeOf(const std::string &number,
                                       const std::vector<std::string> &registered);
