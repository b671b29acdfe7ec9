#pragma once
// An in-memory driver for tests: adapters of the test's choosing, every byte
// written kept, incoming bytes queued by the test, any call made to fail.

#include "link/FtDriver.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

class FakeFtDriver : public FtDriver {
  public:
    enum class Op {
        ListCount,
        ListSerialNumber,
        ListDescription,
        Open,
        Close,
        Read,
        Write,
        SetBaudRate,
        SetDataCharacteristics,
        Purge,
        GetStatus
    };

    struct Adapter {
        std::string description;
        std::string serialNumber;
    };

    std::vector<Adapter> adapters;

    // The test's side of the line.
    void queueIncoming(const std::vector<std::uint8_t> &bytes);
    const std::vector<std::uint8_t> &written() const { return written_; }
    // Whole 8-byte frames written so far, in order.
    std::vector<std::vector<std::uint8_t>> writtenFrames() const;
    void clearWritten() { written_.clear(); }

    // Makes every later call of `op` answer `status` (FT_OK to heal it).
    void failWith(Op op, FtStatus status) { failures_[op] = status; }
    void setErrorDetail(std::string detail) { detail_ = std::move(detail); }
    void setTrouble(LinkTrouble trouble) { trouble_ = trouble; }

    // What the layer asked for.
    bool isOpen() const { return openHandle_ != 0; }
    std::string openedSerial() const { return openedSerial_; }
    int openCount() const { return openCount_; }
    int closeCount() const { return closeCount_; }
    std::uint32_t baudRate() const { return baud_; }
    std::uint8_t wordLength() const { return wordLength_; }
    std::uint8_t stopBits() const { return stopBits_; }
    std::uint8_t parity() const { return parity_; }
    std::vector<std::uint32_t> purges() const { return purges_; }

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
    std::string lastErrorDetail() const override { return detail_; }
    LinkTrouble lastTrouble() const override { return trouble_; }

  private:
    FtStatus failure(Op op) const;
    FtStatus checkHandle(FtHandle handle) const;

    std::map<Op, FtStatus> failures_;
    std::deque<std::uint8_t> incoming_;
    std::vector<std::uint8_t> written_;
    std::string detail_;
    LinkTrouble trouble_ = LinkTrouble::None;
    FtHandle openHandle_ = 0;
    FtHandle nextHandle_ = 0x100;
    std::string openedSerial_;
    int openCount_ = 0;
    int closeCount_ = 0;
    std::uint32_t baud_ = 0;
    std::uint8_t wordLength_ = 0, stopBits_ = 0, parity_ = 0;
    std::vector<std::uint32_t> purges_;
};
