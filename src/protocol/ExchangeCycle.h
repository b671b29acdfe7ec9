#pragma once
// The standing command frame, the last reply and the two ticks that move them
// over the link.

#include "CommandSequence.h"
#include "Frame.h"
#include "LinkPort.h"

#include <initializer_list>
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
    void queueSequence(std::uint8_t address, std::initializer_list<std::uint8_t> codes);

    void transmitTick(LinkPort &port);
    Received receiveTick(LinkPort &port);

    // Forgets bytes held back from the stream; called when the link is purged.
    void resetStream();
    bool resynchronising() const { return hunting_; }

  private:
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
};
