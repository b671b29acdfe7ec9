#pragma once
// The names the journal keeps for the record's enumerations, so that a file
// reads the same whatever order the enumerations are declared in, and the
// command line's JSON says the same words.

#include "calibration/CalibrationRecord.h"

#include <optional>
#include <string>

std::string phaseKey(Measurement::Phase phase); // "as-found", "as-left"
std::optional<Measurement::Phase> phaseFromKey(const std::string &key);

std::string testGasKey(TestGas gas); // "ambient", "clean-air", "cylinder", ...
std::optional<TestGas> testGasFromKey(const std::string &key);

std::string sensorGasKey(SensorGas gas); // "methane", "propane", ...
std::optional<SensorGas> sensorGasFromKey(const std::string &key);
