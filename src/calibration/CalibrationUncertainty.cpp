#include "CalibrationUncertainty.h"

#include <cmath>

std::optional<double> expandedUncertainty(const CalibrationRecord &r, const Measurement &m) {
    if (!m.reading)
        return std::nullopt;
    double gas = 0;
    if (const Cylinder *c = cylinderFor(r, m.gas)) {
        if (c->uncertainty <= 0)
            return std::nullopt;
        // The record's own cylinder is in the block's units, the others in
        // hundredths of a percent.
        gas = c == &r.cylinder ? c->uncertainty : c->uncertainty * r.perPercent / 100.0;
    }
    constexpr double Resolution = 1;
    return 2 * std::sqrt(std::pow(gas / 2, 2) + Resolution * Resolution / 12);
}
