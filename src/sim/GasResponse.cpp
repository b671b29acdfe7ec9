#include "GasResponse.h"

#include <cmath>

namespace {
// A remainder under this (block units) is gone.
constexpr double GoneBelow = 1e-6;
} // namespace

double GasResponse::decayAt(std::int64_t nowMs) const {
    // A clock that went back counts as no time passed.
    const auto elapsed = static_cast<double>(nowMs > since_ ? nowMs - since_ : 0);
    return std::exp(-elapsed / static_cast<double>(tauMs_));
}

double GasResponse::levelAt(double gas, std::int64_t nowMs) const {
    if (remainder_ == 0)
        return gas;
    return gas + remainder_ * decayAt(nowMs);
}

void GasResponse::change(double levelNow, double gas, std::int64_t nowMs) {
    remainder_ = levelNow - gas;
    since_ = nowMs;
    settle(nowMs);
}

void GasResponse::settle(std::int64_t nowMs) {
    if (remainder_ != 0 && std::abs(remainder_ * decayAt(nowMs)) < GoneBelow)
        remainder_ = 0;
}
