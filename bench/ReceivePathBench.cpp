// The receive path alone: ExchangeCycle::receiveTick over a long stream of
// replies with line faults in it (stray bytes, a byte lost, a checksum hit),
// which it must resynchronise on. Each iteration one reply, with whatever the
// line put before it, arrives and the receive ticks run until the queue has
// nothing more to give, as the window's faster receive timer does.

#include "Benchmarks.h"
#include "Summary.h"
#include "protocol/ExchangeCycle.h"

#include <random>
#include <vector>

namespace {

constexpr std::uint8_t KnownBlocks[] = {Block::Base,         Block::Tks,   Block::Pgs,
                                        Block::OpticMethane, Block::Pump,  Block::TksPgs,
                                        Block::Hydrogen,     Block::Oxygen};

// The bytes of the line, and where each reply's arrival ends.
struct Stream {
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> arrivals;
};

// `frames` replies; one in `faultEvery` is preceded by one to three stray
// bytes, loses a byte, or has its checksum flipped, in turn.
Stream lineStream(std::size_t frames, unsigned faultEvery) {
    std::mt19937 random(23);
    std::uniform_int_distribution<int> byte(0, 255);
    Stream s;
    s.bytes.reserve(frames * (FrameSize + 1));
    for (std::size_t n = 0; n < frames; ++n) {
        Frame f{KnownBlocks[n % std::size(KnownBlocks)], Code::Poll};
        for (std::size_t i = 2; i < 7; ++i)
            f[i] = std::uint8_t(byte(random));
        f = sealed(f);
        const bool faulty = n % faultEvery == faultEvery - 1;
        switch (faulty ? n / faultEvery % 3 : 3) {
        case 0:
            for (int k = byte(random) % 3; k >= 0; --k)
                s.bytes.push_back(std::uint8_t(byte(random)));
            s.bytes.insert(s.bytes.end(), f.begin(), f.end());
            break;
        case 1:
            s.bytes.insert(s.bytes.end(), f.begin(), f.end());
            s.bytes.erase(s.bytes.end() - 1 - byte(random) % 7);
            break;
        case 2:
            f[7] ^= 0x5A;
            [[fallthrough]];
        default:
            s.bytes.insert(s.bytes.end(), f.begin(), f.end());
            break;
        }
        s.arrivals.push_back(s.bytes.size());
    }
    return s;
}

// The receive queue over the stream: bytes become readable reply by reply, and
// after the last the stream starts again.
class StreamPort : public LinkPort {
  public:
    explicit StreamPort(const Stream &s) : stream_(s) {}
    // False when the stream is at its end and not yet read up.
    bool arrive() {
        if (next_ == stream_.arrivals.size()) {
            if (at_ < arrived_)
                return false;
            next_ = at_ = arrived_ = 0;
        }
        arrived_ = stream_.arrivals[next_++];
        return true;
    }
    void setErrorReports(bool) override {}
    std::uint32_t queueStatus() override { return std::uint32_t(arrived_ - at_); }
    std::uint32_t read(std::uint8_t *dst, std::uint32_t n) override {
        n = std::min(n, queueStatus());
        std::copy_n(stream_.bytes.begin() + std::ptrdiff_t(at_), n, dst);
        at_ += n;
        return n;
    }
    void write(const std::uint8_t *, std::uint32_t) override {}

  private:
    const Stream &stream_;
    std::size_t next_ = 0, at_ = 0, arrived_ = 0;
};

void receivePath(benchmark::State &state, unsigned faultEvery) {
    constexpr std::size_t Frames = 100000;
    const Stream stream = lineStream(Frames, faultEvery);
    StreamPort port(stream);
    ExchangeCycle cycle;
    std::int64_t sent = 0, taken = 0;
    for (auto _ : state) {
        sent += port.arrive();
        for (;;) {
            const ExchangeCycle::Received r = cycle.receiveTick(port);
            if (r == ExchangeCycle::Received::Nothing)
                break;
            taken += r == ExchangeCycle::Received::Reply;
        }
    }
    state.SetItemsProcessed(taken);
    state.counters["frames/s"] = benchmark::Counter(double(taken), benchmark::Counter::kIsRate);
    // Share of the replies sent that came through (the faulty ones may not).
    state.counters["kept"] = double(taken) / double(sent);
}

} // namespace

void registerReceivePath(SummaryReporter &summary) {
    for (unsigned faultEvery : {100u, 10u}) {
        const std::string name = "ReceivePath/fault_every_" + std::to_string(faultEvery);
        summary.rate(name, "receive path, a fault in " + std::to_string(faultEvery) + " replies",
                     "frames/s", Line::FramesPerSecond);
        benchmark::RegisterBenchmark(name.c_str(), receivePath, faultEvery)->UseRealTime();
    }
}
