#include "SteadyWatch.h"

#include <algorithm>
#include <cmath>

void SteadyWatch::add(double seconds, double value) {
    samples_.push_back({seconds, value});
}

double SteadyWatch::latest() const {
    return samples_.empty() ? 0 : samples_.back().value;
}

double SteadyWatch::lastSeconds() const {
    return samples_.empty() ? 0 : samples_.back().seconds;
}

std::size_t SteadyWatch::windowStart() const {
    if (rule_.readings <= 1) {
        const double from = lastSeconds() - rule_.windowSeconds;
        std::size_t i = samples_.size();
        while (i > 0 && samples_[i - 1].seconds >= from)
            --i;
        return i;
    }
    // The newest samples that are at least the readings asked for and span
    // the window, as far back as there are any.
    if (samples_.empty())
        return 0;
    const auto readings = static_cast<std::size_t>(rule_.readings);
    std::size_t i = samples_.size() - 1;
    while (i > 0 && (samples_.size() - i < readings ||
                     lastSeconds() - samples_[i].seconds < rule_.windowSeconds))
        --i;
    return i;
}

double SteadyWatch::low() const {
    double v = latest();
    for (std::size_t i = windowStart(); i < samples_.size(); ++i)
        v = std::min(v, samples_[i].value);
    return v;
}

double SteadyWatch::high() const {
    double v = latest();
    for (std::size_t i = windowStart(); i < samples_.size(); ++i)
        v = std::max(v, samples_[i].value);
    return v;
}

bool SteadyWatch::steady() const {
    if (samples_.empty() || lastSeconds() < rule_.windowSeconds || high() - low() >= rule_.band)
        return false;
    if (rule_.readings <= 1)
        return true;
    const std::size_t first = windowStart();
    return samples_.size() - first >= static_cast<std::size_t>(rule_.readings) &&
           lastSeconds() - samples_[first].seconds >= rule_.windowSeconds;
}

double SteadyWatch::secondsLeft() const {
    if (steady())
        return 0;
    // The newest run of samples that stays within the band: the window has
    // to move past the sample before it.
    double lo = latest(), hi = latest();
    double readyAt = rule_.windowSeconds;
    for (std::size_t i = samples_.size(); i > 0; --i) {
        const Sample &s = samples_[i - 1];
        lo = std::min(lo, s.value);
        hi = std::max(hi, s.value);
        if (hi - lo >= rule_.band) {
            readyAt = std::max(readyAt, s.seconds + rule_.windowSeconds);
            break;
        }
    }
    return std::max(0.0, readyAt - lastSeconds());
}

std::optional<double> SteadyWatch::secondsTo90() const {
    if (samples_.empty())
        return std::nullopt;
    const double first = samples_.front().value;
    const double change = latest() - first;
    if (std::abs(change) < rule_.band)
        return std::nullopt;
    for (const Sample &s : samples_)
        if ((s.value - first) / change >= 0.9)
            return s.seconds;
    return lastSeconds();
}
