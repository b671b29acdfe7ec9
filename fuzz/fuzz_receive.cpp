// The receive tick over a line that delivers anything in any chunks, followed
// by two good replies. Every reply the tick accepts must add up, every frame
// the transmit tick writes must add up, and after the noise the second good
// reply must come through within a bounded number of ticks.
//
// Input: chunks up to the last 14 bytes, then the two replies.
//   chunk:  control byte C, then C & 0x1F bytes of line noise
//           C & 0x20  a transmit tick first
//           C & 0x40  the driver delivers at most half of what is asked
//           C & 0x80  three more bytes load a command (address, code, data)
//   reply:  block (one of the eight, by index), code, five data bytes

#include "FuzzInput.h"
#include "protocol/ExchangeCycle.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace {

constexpr std::uint8_t KnownBlocks[8] = {Block::Base,         Block::Tks,   Block::Pgs,
                                         Block::OpticMethane, Block::Pump,  Block::TksPgs,
                                         Block::Hydrogen,     Block::Oxygen};
constexpr std::size_t TailSize = 14;

class ScriptedPort : public LinkPort {
  public:
    std::deque<std::uint8_t> line;
    bool starved = false; // reads return at most half of what is asked
    bool reportsOn = true;

    void setErrorReports(bool enabled) override { reportsOn = enabled; }
    std::uint32_t queueStatus() override { return static_cast<std::uint32_t>(line.size()); }
    std::uint32_t read(std::uint8_t *dst, std::uint32_t n) override {
        std::uint32_t give = std::min<std::uint32_t>(n, static_cast<std::uint32_t>(line.size()));
        if (starved)
            give /= 2;
        std::copy_n(line.begin(), give, dst);
        line.erase(line.begin(), line.begin() + give);
        return give;
    }
    void write(const std::uint8_t *src, std::uint32_t n) override {
        check(n == FrameSize);
        Frame f;
        std::copy_n(src, FrameSize, f.begin());
        check(checksumHolds(f));
    }
};

ExchangeCycle::Received tick(ExchangeCycle &cycle, ScriptedPort &port) {
    using R = ExchangeCycle::Received;
    R r = cycle.receiveTick(port);
    check(port.reportsOn);
    const bool accepted = r == R::Identification || r == R::Reply;
    check(cycle.ReplyValid == accepted);
    if (accepted) {
        check(checksumHolds(cycle.ReplyFrame));
        const bool identification =
            cycle.ReplyFrame[0] == Block::Base && cycle.ReplyFrame[1] == Code::Identify;
        check((r == R::Identification) == identification);
    }
    return r;
}

void loadCommand(ExchangeCycle &cycle, Reader &in) {
    const std::uint8_t how = in.next();
    const std::uint8_t address = Block::address(KnownBlocks[how & 7]);
    const std::uint8_t code = in.next();
    const std::uint8_t value = in.next();
    const auto data = WriteData::from(2 + (how >> 3) % 5, {value, code});
    switch ((how >> 5) % 8) {
    case 0:
        cycle.loadFrame(address, code);
        break;
    case 1:
        cycle.loadCommand(address, code);
        break;
    case 2:
        cycle.queueSequence(address, {Code::Identify, code, value});
        break;
    case 3:
        cycle.loadAssured(address, code, data);
        break;
    case 4:
        cycle.queueAssured(address, {code, Code::Poll}, data);
        break;
    case 5:
        cycle.loadAssured(address, code);
        break;
    case 6:
        cycle.queueAssured(address, {});
        break;
    default:
        cycle.resetStream();
        break;
    }
}

Frame replyFrom(const std::uint8_t *b) {
    return sealed({KnownBlocks[b[0] & 7], b[1], b[2], b[3], b[4], b[5], b[6], 0});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::size_t noise = size > TailSize ? size - TailSize : 0;
    std::uint8_t tail[TailSize] = {};
    std::copy(data + noise, data + size, tail);

    ExchangeCycle cycle;
    ScriptedPort port;
    Reader in(data, noise);
    while (!in.done()) {
        const std::uint8_t control = in.next();
        if (control & 0x80)
            loadCommand(cycle, in);
        for (int n = control & 0x1F; n > 0 && !in.done(); --n)
            port.line.push_back(in.next());
        if (control & 0x20)
            cycle.transmitTick(port);
        port.starved = (control & 0x40) != 0;
        tick(cycle, port);
        port.starved = false;
    }

    // The noise stops and the block answers twice, cleanly.
    const Frame first = replyFrom(tail);
    const Frame second = replyFrom(tail + 7);
    port.line.insert(port.line.end(), first.begin(), first.end());
    port.line.insert(port.line.end(), second.begin(), second.end());
    // Each tick takes a frame or drops at least one byte; a hunt drops many.
    const std::size_t limit = 2 * port.line.size() + 64;
    bool seen = false;
    for (std::size_t i = 0; i < limit && !seen; ++i) {
        tick(cycle, port);
        seen = cycle.ReplyValid && cycle.ReplyFrame == second;
        if (i % 4 == 3)
            cycle.transmitTick(port);
    }
    check(seen);
    return 0;
}
