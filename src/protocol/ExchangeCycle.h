#pragma once
// The standing command frame, the last reply and the two ticks that move them
// over the link.

#include "CommandSequence.h"
#include "Frame.h"
#include "LinkPort.h"
#include "WriteData.h"

#include <optional>
#include <vector>

class ExchangeCycle {
  public:
    enum class Received {
        Nothing,        // fewer than 8 bytes to take, or still looking for a frame start
        Invalid,        // 8 bytes taken, checksum wrong
        Identification, // the base answered code 9
        Reply,          // any other valid reply
    };

    Frame CommandFrame{};
    Frame ReplyFrame{};
    bool ReplyValid = false;
    CommandSequence Sequence;

    // Bytes 0 and 1 only; the data bytes go out as they stand.
    void loadCommand(std::uint8_t address, std::uint8_t code);
    // Bytes 0 to 6: address, code and zero data.
    void loadFrame(std::uint8_t address, std::uint8_t code);
    // Byte 0 and a fresh sequence; byte 1 is left to the transmit tick.
    void queueSequence(std::uint8_t address, const CodeList &codes);

    // A write or save the technician has asked for must reach its block. These
    // load it like loadCommand() (or queue it as the first code of a sequence,
    // like queueSequence()) and also keep it aside: should a reply reload the
    // poll, or a sequence claim byte 1, before it has gone out, it goes out on
    // the first transmit tick no sequence code claims, with its own data bytes.
    // A sequence tick that sends its code sends its data with it.
    void loadAssured(std::uint8_t address, std::uint8_t code,
                     std::optional<WriteData> data = std::nullopt);
    void queueAssured(std::uint8_t address, const CodeList &codes,
                      std::optional<WriteData> data = std::nullopt);
    bool assuredPending() const { return assured_.has_value(); }

    void transmitTick(LinkPort &port);
    Received receiveTick(LinkPort &port);

    // Forgets what belonged to the previous connection: bytes held back from
    // the stream and a write not yet sent. Called when the link is purged.
    void resetStream();
    bool resynchronising() const { return hunting_; }

  private:
    struct Assured {
        std::uint8_t address;
        std::uint8_t code;
        std::optional<WriteData> data;
    };
    void putData(const std::optional<WriteData> &data);
    void sendAssured(LinkPort &port);

    Received takeAligned(LinkPort &port, std::uint32_t waiting);
    Received hunt(LinkPort &port, std::uint32_t waiting);
    Received accept(const Frame &frame);
    // Offset (0 to 7) into the held bytes at which the longest run of
    // reply-like frames starts, or NoAlignment.
    std::size_t bestAlignment() const;
    static constexpr std::size_t NoAlignment = static_cast<std::size_t>(-1);
    void pull(LinkPort &port, std::uint32_t n);

    // Bytes read off the link that no frame has used yet.
    std::vector<std::uint8_t> held_;
    bool hunting_ = false;
    std::optional<Assured> assured_;
};
