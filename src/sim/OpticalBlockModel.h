#pragma once
// The optical methane block (block 11). An infrared source shines through the
// gas onto a detector; methane absorbs part of the light, so the detector
// signal, some 1800 to 2000 counts in clean air, falls as the methane rises:
//     signal = zero signal × HalfSignalAt / (HalfSignalAt + methane).
// The block turns the signal back into a concentration against the zero signal
// it took in clean air at the factory, and compares that with three fixed
// thresholds. It measures 0 to 100 % methane.
//
// Replies to 7, 12 and codes the block does not know: bytes 3, 4 = the
// concentration in hundredths of a percent (signed), bytes 5, 6 = the detector
// signal (unsigned). The reply to 9 has the version in byte 6. The replies to
// 8, 13, 3, 4, 6 and 16 carry only the status.
//
// The optical module sits on a link of its own inside the block. While that
// link is in error the status has OpticalCode::LinkError, byte 3 of every reply
// is the error code, bytes 4 to 6 are zero (the reply to 9 still has the
// version) and no threshold bit is set. Switching the sensor off and on again
// restarts the module: for the RestartErrorReplies replies after the one to 9
// the block reports RestartErrorCode, then the module is back.
//
// The optical sensor does not drift: it reads a test gas true, give or take
// its noise.

#include "protocol/OpticalReply.h"
#include "sim/VirtualSensor.h"

#include <cstdint>
#include <optional>

class OpticalBlockModel : public VirtualSensor {
  public:
    // Thresholds 1, 2, 3 in hundredths of a percent.
    static constexpr int Threshold1 = 100;
    static constexpr int Threshold2 = 200;
    static constexpr int Threshold3 = 500;
    // The block reads at most this (100 %).
    static constexpr int FullScale = 10000;
    // Clean-air signal range of the blocks.
    static constexpr int ZeroSignalMin = 1800;
    static constexpr int ZeroSignalMax = 2000;
    // The methane level (hundredths of a percent) that halves the signal.
    static constexpr int HalfSignalAt = 2500;
    static constexpr int NoiseCounts = 2;
    // Off or broken, the signal shows at most this.
    static constexpr int DeadSignalMax = 5;
    // A puff in the demo gas peaks near this: past threshold 3.
    static constexpr int TypicalPuff = 600;
    // The tool polls this block every 800 ms instead of 350: the gas moves on
    // this many steps per reading so that puffs come and go as fast as at the
    // other blocks.
    static constexpr int GasStepsPerReading = 2;
    static constexpr int RestartErrorReplies = 8;
    static constexpr std::uint8_t RestartErrorCode = 0x1F;

    OpticalBlockModel(std::uint8_t version, std::uint32_t randomStart);

    std::optional<Frame> answer(const Frame &command) override;

    bool setupMode() const { return setup_; }
    OpticalReply::Status statusFlags() const;
    // Byte 2 of its replies.
    std::uint8_t status() const;
    // The error code of the link to the optical module, none while it is sound.
    std::optional<std::uint8_t> linkError() const;
    // The last detector signal measured and the concentration it gives.
    int signal() const { return voltage_; }
    int concentration() const;
    int zeroSignal() const { return zeroSignal_; }

    // Holds the link in error with `code` until called with nullopt; a restart
    // after off and on comes on top of it.
    void setLinkError(std::optional<std::uint8_t> code) { linkErrorForced_ = code; }
    void setSettingsError(bool on) { settingsErrorForced_ = on; }

  private:
    int measure();
    double thresholdGas(int which) const override;
    void act(std::uint8_t code);

    std::uint8_t version_;
    int zeroSignal_;

    bool setup_ = false;
    bool settingsErrorForced_ = false;
    std::optional<std::uint8_t> linkErrorForced_;
    // Replies still to come with the restart's link error.
    int restartLeft_ = 0;
};
