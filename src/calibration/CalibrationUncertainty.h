#pragma once
// The expanded uncertainty (k = 2) of a reading left after a calibration,
// from the two sources the record knows: the gas's concentration, as its
// cylinder's certificate states it (an expanded uncertainty, k = 2), and the
// reading's resolution, one unit of the block:
//
//     U = 2 · √( (Uc / 2)² + (d / √12)² )
//
// with Uc the cylinder's uncertainty and d the resolution, both in the
// block's units. Clean air, nitrogen for a zero and the room's air for the
// oxygen span count Uc as their cylinder states it, or 0 without one.

#include "CalibrationRecord.h"

#include <optional>

// In the block's units; none for an alarm check, a point not read, and a gas
// from a cylinder whose uncertainty is not known.
std::optional<double> expandedUncertainty(const CalibrationRecord &r, const Measurement &m);
