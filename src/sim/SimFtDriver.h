#pragma once
// A driver with one virtual adapter per instrument kind (1, 2, 3, 4, 5, 7 in that
// order), each wired to its own VirtualInstrument. Bytes take the same path as
// on hardware: write() collects them into 8-byte commands, every complete
// command gets its reply 10 to 30 ms later, and getStatus()/read() see only the
// reply bytes whose time has come on the clock.
//
// Line settings: after open the adapter is at 9600 baud, 8 bits, 1 stop bit, no
// parity, like a fresh FTDI chip. The instrument understands commands only at
// 250000 baud, 8 bits, 2 stop bits, no parity; at any other setting it cannot
// make them out and keeps quiet (the frames still appear in written()).
//
// read() never waits: it hands over what is readable now, which may be fewer
// bytes than asked for, with FT_OK, as the library does when its read times out.
//
// The instruments run on the driver's clock too, and their sensors have
// drifted since their last calibration, so that a check with a cylinder finds
// them out and a calibration puts them right.

#include "link/FtDriver.h"
#include "sim/SimClock.h"
#include "sim/VirtualInstrument.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Line trouble for one adapter. Fields marked "next" are used up by the next
// reply the instrument sends (a dropped reply does not use them up).
struct SimFaults {
    // Replies lost on the way back; the instrument still carries the commands out.
    int dropReplies = 0;
    // Next reply arrives with its checksum byte flipped.
    bool corruptChecksum = false;
    // Added to the delay of every reply while non-zero.
    int extraDelayMs = 0;
    // Next reply comes in two parts: its first `splitAfter` bytes (1..7) at the
    // usual time, the rest `splitGapMs` later.
    int splitAfter = 0;
    int splitGapMs = 0;
    // A stray byte on the line just ahead of the next reply.
    std::optional<std::uint8_t> garbageBefore;
    // The byte at this position (0..7) of the next reply is lost.
    std::optional<std::size_t> dropByteAt;
};

class SimFtDriver : public FtDriver {
  public:
    static constexpr std::uint32_t LineBaud = 250000;
    static constexpr std::int64_t MinReplyDelayMs = 10;
    static constexpr std::int64_t MaxReplyDelayMs = 30;

    // Without a clock the driver uses std::chrono::steady_clock.
    explicit SimFtDriver(SimClock clock = {}, std::uint32_t rngStart = 1);

    FtStatus listCount(std::uint32_t &count) override;
    FtStatus listSerialNumber(std::uint32_t index, char *buffer, std::size_t size) override;
    FtStatus listDescription(std::uint32_t index, char *buffer, std::size_t size) override;
    FtStatus openBySerialNumber(const char *serial, FtHandle &handle) override;
    FtStatus close(FtHandle handle) override;
    FtStatus read(FtHandle handle, std::uint8_t *buffer, std::uint32_t toRead,
                  std::uint32_t &got) override;
    FtStatus write(FtHandle handle, const std::uint8_t *buffer, std::uint32_t toWrite,
                   std::uint32_t &written) override;
    FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) override;
    FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    FtStatus purge(FtHandle handle, std::uint32_t mask) override;
    FtStatus getStatus(FtHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                       std::uint32_t &event) override;
    std::string lastErrorDetail() const override;
    LinkTrouble lastTrouble() const override { return lastTrouble_; }

    // What is on the sensors of the instrument behind the adapter with serial
    // number `serial` (as the list gives it), `concentration` in its block's
    // units; false when there is no such adapter.
    bool applyGas(const std::string &serial, TestGas gas, int concentration);

    // For tests and the simulator's own controls. Indexes follow the list order.
    std::size_t adapterCount() const { return adapters_.size(); }
    VirtualInstrument &instrument(std::size_t index) { return adapters_.at(index).instrument; }
    SimFaults &faults(std::size_t index) { return adapters_.at(index).faults; }
    const std::string &serialNumber(std::size_t index) const { return adapters_.at(index).serial; }
    const std::string &description(std::size_t index) const {
        return adapters_.at(index).description;
    }
    bool isOpen(std::size_t index) const { return adapters_.at(index).handle != 0; }
    // Every complete 8-byte frame written to the adapter since it was made.
    const std::vector<Frame> &written(std::size_t index) const {
        return adapters_.at(index).written;
    }
    void clearWritten(std::size_t index) { adapters_.at(index).written.clear(); }
    std::uint32_t baudRate(std::size_t index) const { return adapters_.at(index).baud; }
    std::uint8_t wordLength(std::size_t index) const { return adapters_.at(index).wordLength; }
    std::uint8_t stopBits(std::size_t index) const { return adapters_.at(index).stopBits; }
    std::uint8_t parity(std::size_t index) const { return adapters_.at(index).parity; }

  private:
    struct Chunk {
        std::int64_t readyAt;
        std::vector<std::uint8_t> bytes;
    };
    struct Adapter {
        Adapter(std::string serialNumber, std::string text, VirtualInstrument vi,
                std::uint32_t timingStart)
            : serial(std::move(serialNumber)), description(std::move(text)),
              instrument(std::move(vi)), timing(timingStart) {}

        std::string serial;
        std::string description;
        VirtualInstrument instrument;
        SimFaults faults;
        std::mt19937 timing;
        FtHandle handle = 0;
        std::uint32_t baud = 9600;
        std::uint8_t wordLength = FT_BITS_8;
        std::uint8_t stopBits = FT_STOP_BITS_1;
        std::uint8_t parity = FT_PARITY_NONE;
        std::vector<std::uint8_t> input; // bytes of a command not yet complete
        std::deque<Chunk> pending;       // reply bytes still on their way
        std::deque<std::uint8_t> rx;     // reply bytes ready to read
        std::vector<Frame> written;
    };

    Adapter *find(FtHandle handle);
    std::int64_t now() const;
    void lineSettingsToDefaults(Adapter &a);
    bool lineMatches(const Adapter &a) const;
    void takeCommand(Adapter &a, const Frame &command);
    void sendReply(Adapter &a, Frame reply);
    void settle(Adapter &a);
    static FtStatus copyText(const std::string &text, char *buffer, std::size_t size);

    SimClock clock_;
    std::vector<Adapter> adapters_;
    FtHandle nextHandle_ = 0x1001;
    std::string lastError_;
    LinkTrouble lastTrouble_ = LinkTrouble::None;
};
