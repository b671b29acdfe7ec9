#include "ExchangeCycle.h"

#include <algorithm>

namespace {
// While looking for a frame start, at most this many bytes are held.
constexpr std::size_t HuntWindow = 64;

Frame frameAt(const std::vector<std::uint8_t> &bytes, std::size_t offset) {
    Frame f{};
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), FrameSize, f.begin());
    return f;
}

// A frame start found by searching must look like a reply as well as add up:
// a stray 8-byte window has a 1 in 256 chance of a right checksum.
bool looksLikeReply(const Frame &f) {
    return checksumHolds(f) && Block::isKnown(f[0]);
}

struct ReportsOff {
    LinkPort &port;
    explicit ReportsOff(LinkPort &p) : port(p) { port.setErrorReports(false); }
    ~ReportsOff() { port.setErrorReports(true); }
};
} // namespace

void ExchangeCycle::loadCommand(std::uint8_t address, std::uint8_t code) {
    CommandFrame[0] = address;
    CommandFrame[1] = code;
}

void ExchangeCycle::loadFrame(std::uint8_t address, std::uint8_t code) {
    CommandFrame[0] = address;
    CommandFrame[1] = code;
    std::fill(CommandFrame.begin() + 2, CommandFrame.begin() + 7, 0);
}

void ExchangeCycle::queueSequence(std::uint8_t address, const CodeList &codes) {
    CommandFrame[0] = address;
    Sequence.queue(codes);
}

void ExchangeCycle::putData(const std::optional<WriteData> &data) {
    if (data)
        data->applyTo(CommandFrame);
}

void ExchangeCycle::loadAssured(std::uint8_t address, std::uint8_t code,
                                std::optional<WriteData> data) {
    loadCommand(address, code);
    putData(data);
    assured_ = Assured{address, code, data};
}

void ExchangeCycle::queueAssured(std::uint8_t address, const CodeList &codes,
                                 std::optional<WriteData> data) {
    putData(data);
    queueSequence(address, codes);
    if (!codes.empty())
        assured_ = Assured{address, codes.front(), data};
}

void ExchangeCycle::sendAssured(LinkPort &port) {
    // The page that accepted the command has been left since: it goes to its
    // own block in a frame of its own, and the standing command waits a tick.
    Frame f{assured_->address, assured_->code};
    if (assured_->data)
        assured_->data->applyTo(f);
    f = sealed(f);
    assured_.reset();
    port.write(f.data(), FrameSize);
}

void ExchangeCycle::transmitTick(LinkPort &port) {
    ReportsOff off(port);
    if (assured_ && assured_->address != CommandFrame[0]) {
        sendAssured(port);
        return;
    }
    if (Sequence.pending()) {
        CommandFrame[1] = Sequence.takeNext();
        if (assured_ && assured_->code == CommandFrame[1]) {
            putData(assured_->data);
            assured_.reset();
        }
    } else if (assured_) {
        CommandFrame[1] = assured_->code;
        putData(assured_->data);
        assured_.reset();
    }
    CommandFrame[7] = frameChecksum(CommandFrame);
    port.write(CommandFrame.data(), FrameSize);
}

ExchangeCycle::Received ExchangeCycle::receiveTick(LinkPort &port) {
    Received result;
    {
        ReportsOff off(port);
        std::uint32_t waiting = port.queueStatus();
        result = hunting_ ? hunt(port, waiting) : takeAligned(port, waiting);
    }
    return result;
}

void ExchangeCycle::resetStream() {
    held_.clear();
    hunting_ = false;
    assured_.reset();
}

void ExchangeCycle::pull(LinkPort &port, std::uint32_t n) {
    if (n == 0)
        return;
    std::size_t at = held_.size();
    held_.resize(at + n);
    std::uint32_t got = port.read(held_.data() + at, n);
    held_.resize(at + std::min(got, n));
}

ExchangeCycle::Received ExchangeCycle::takeAligned(LinkPort &port, std::uint32_t waiting) {
    std::size_t total = held_.size() + waiting;
    if (total > FrameSize && total % FrameSize != 0) {
        // Replies come whole, so a queue that is no multiple of 8 says a byte
        // may have been lost or added. With the XOR check a frame that lost a
        // zero byte and borrowed the next frame's first byte can still add up,
        // so pick the alignment that explains the queue best before taking one.
        if (held_.size() < HuntWindow)
            pull(port, std::min<std::uint32_t>(waiting, HuntWindow - held_.size()));
        std::size_t offset = bestAlignment();
        if (offset != NoAlignment && offset > 0)
            held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    if (held_.size() < FrameSize) {
        std::uint32_t need = static_cast<std::uint32_t>(FrameSize - held_.size());
        if (waiting < need) {
            ReplyValid = false;
            return Received::Nothing;
        }
        pull(port, need);
        if (held_.size() < FrameSize) {
            ReplyValid = false;
            return Received::Nothing;
        }
    }
    Frame frame = frameAt(held_, 0);
    ReplyFrame = frame;
    if (checksumHolds(frame)) {
        held_.erase(held_.begin(), held_.begin() + FrameSize);
        return accept(frame);
    }
    // The frame start is lost (a byte dropped or added on the line, or a corrupt
    // frame). Look for the next start from the byte after this one.
    ReplyValid = false;
    held_.erase(held_.begin());
    hunting_ = true;
    return Received::Invalid;
}

std::size_t ExchangeCycle::bestAlignment() const {
    std::size_t best = NoAlignment, bestRun = 0, bestRest = 0;
    for (std::size_t offset = 0; offset < FrameSize && offset + FrameSize <= held_.size();
         ++offset) {
        std::size_t run = 0;
        while (offset + (run + 1) * FrameSize <= held_.size() &&
               looksLikeReply(frameAt(held_, offset + run * FrameSize)))
            ++run;
        if (run == 0)
            continue;
        std::size_t rest = held_.size() - offset - run * FrameSize;
        // More whole frames in a row win; then the fewer bytes left over.
        if (run > bestRun || (run == bestRun && rest < bestRest)) {
            best = offset;
            bestRun = run;
            bestRest = rest;
        }
    }
    return best;
}

ExchangeCycle::Received ExchangeCycle::hunt(LinkPort &port, std::uint32_t waiting) {
    if (held_.size() < HuntWindow)
        pull(port, std::min<std::uint32_t>(waiting, HuntWindow - held_.size()));
    for (std::size_t offset = 0; offset + FrameSize <= held_.size(); ++offset) {
        Frame frame = frameAt(held_, offset);
        if (looksLikeReply(frame)) {
            held_.erase(held_.begin(),
                        held_.begin() + static_cast<std::ptrdiff_t>(offset + FrameSize));
            hunting_ = false;
            ReplyFrame = frame;
            return accept(frame);
        }
    }
    // Keep only the bytes that may still begin a frame.
    if (held_.size() > FrameSize - 1)
        held_.erase(held_.begin(), held_.end() - static_cast<std::ptrdiff_t>(FrameSize - 1));
    ReplyValid = false;
    return Received::Nothing;
}

ExchangeCycle::Received ExchangeCycle::accept(const Frame &frame) {
    ReplyValid = true;
    if (frame[0] == Block::Base && frame[1] == Code::Identify)
        return Received::Identification;
    return Received::Reply;
}
