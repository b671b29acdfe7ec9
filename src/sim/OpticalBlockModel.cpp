#include "OpticalBlockModel.h"

#include "RandomIn.h"

#include <algorithm>
#include <cmath>

OpticalBlockModel::OpticalBlockModel(std::uint8_t version, std::uint32_t randomStart)
    : VirtualSensor(randomStart), version_(version),
      zeroSignal_(randomIn(rng_, ZeroSignalMin, ZeroSignalMax)) {
    voltage_ = measure();
}

std::optional<std::uint8_t> OpticalBlockModel::linkError() const {
    if (linkErrorForced_)
        return linkErrorForced_;
    if (restartLeft_ > 0)
        return RestartErrorCode;
    return std::nullopt;
}

int OpticalBlockModel::concentration() const {
    if (!sensing())
        return 0;
    const long long s = std::max(1, voltage_);
    const long long n = static_cast<long long>(HalfSignalAt) * (zeroSignal_ - s);
    // Rounded to the nearest hundredth, halves away from zero.
    const long long c = n >= 0 ? (n + s / 2) / s : -((-n + s / 2) / s);
    return static_cast<int>(std::clamp<long long>(c, -FullScale, FullScale));
}

OpticalReply::Status OpticalBlockModel::statusFlags() const {
    OpticalReply::Status s;
    s.on = on_;
    s.linkError = linkError().has_value();
    s.settingsError = settingsErrorForced_;
    if (sensing() && !linkError()) {
        const int c = concentration();
        s.alarm1 = c > Threshold1;
        s.alarm2 = c > Threshold2;
        s.alarm3 = c > Threshold3;
    }
    s.setUp = setup_;
    return s;
}

std::uint8_t OpticalBlockModel::status() const {
    return statusByte(statusFlags());
}

int OpticalBlockModel::measure() {
    if (!sensing())
        return randomIn(rng_, 0, DeadSignalMax);
    const double g = gasLevel();
    const auto clean =
        static_cast<int>(std::floor(zeroSignal_ * double(HalfSignalAt) / (HalfSignalAt + g)));
    return std::clamp(clean + randomIn(rng_, -NoiseCounts, NoiseCounts), 0, 0xFFFF);
}

double OpticalBlockModel::thresholdGas(int which) const {
    return justAbove(which == 1 ? Threshold1 : Threshold2);
}

void OpticalBlockModel::act(std::uint8_t code) {
    switch (code) {
    case OpticalCode::Off:
        on_ = false;
        break;
    case OpticalCode::On:
        on_ = true;
        break;
    case OpticalCode::SetUp:
        setup_ = true;
        break;
    case OpticalCode::Reset:
        setup_ = false;
        break;
    default:
        break;
    }
}

std::optional<Frame> OpticalBlockModel::answer(const Frame &command) {
    const std::uint8_t code = command[1];
    const bool restart = code == OpticalCode::On && !on_;
    act(code);
    const bool readings = OpticalCode::carriesReadings(code);
    if (readings)
        for (int i = 0; i < GasStepsPerReading; ++i)
            gas_.next(TypicalPuff);
    voltage_ = measure();

    OpticalReply r;
    r.code = code;
    r.status = statusFlags();
    r.linkErrorCode = linkError();
    if (!r.linkErrorCode && readings) {
        r.concentration = concentration();
        r.signal = signal();
    }
    if (code == OpticalCode::On)
        r.version = version_;

    // The module restarts behind the reply to 9 and is lost for the replies after it.
    if (restartLeft_ > 0)
        --restartLeft_;
    if (restart)
        restartLeft_ = RestartErrorReplies;
    return encode(r);
}
