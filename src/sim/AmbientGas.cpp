#include "AmbientGas.h"

#include "RandomIn.h"

#include <algorithm>

int AmbientGas::next(int typicalPuff) {
    if (held_)
        return level();
    background_ = std::clamp(background_ + randomIn(rng_, -1, 1), 0, BackgroundMax);
    if (rising_) {
        puff_ = std::min(peak_, puff_ + riseStep_);
        rising_ = puff_ < peak_;
    } else if (peakLeft_ > 0) {
        --peakLeft_;
    } else if (puff_ > 0) {
        puff_ = puff_ * DecayKeep / DecayOf;
        if (puff_ < PuffGoneBelow)
            puff_ = 0;
    } else if (randomIn(rng_, 1, QuietChance) == 1) {
        startPuff(typicalPuff);
    }
    return level();
}

void AmbientGas::startPuff(int typicalPuff) {
    const int typical = std::clamp(typicalPuff, 10, HoldMax);
    peak_ = typical * randomIn(rng_, PeakLowPercent, PeakHighPercent) / 100;
    riseStep_ = std::max(1, peak_ / randomIn(rng_, RiseStepsMin, RiseStepsMax));
    peakLeft_ = randomIn(rng_, PeakStepsMin, PeakStepsMax);
    rising_ = true;
}

void AmbientGas::hold(int hundredths) {
    held_ = true;
    rising_ = false;
    peakLeft_ = 0;
    background_ = std::clamp(hundredths, 0, HoldMax);
    puff_ = 0;
}

void AmbientGas::release() {
    held_ = false;
    background_ = std::min(background_, BackgroundMax);
}
