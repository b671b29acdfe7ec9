#pragma once
// A wait's chart as the journal keeps it: "seconds value" pairs separated by
// semicolons, each number in the shortest text that reads back as the same
// double ("0 2;0.5 2.25;1 2.5").

#include "calibration/CalibrationRecord.h"

#include <optional>
#include <string>
#include <vector>

std::string chartToText(const std::vector<ChartPoint> &chart);
// None when the text is not such a list.
std::optional<std::vector<ChartPoint>> chartFromText(const std::string &text);
