#pragma once
// Several drivers seen as one: their adapters listed one after the other, an
// open going to whichever lists the serial number.

#include "FtDriver.h"

#include <vector>

class CompositeFtDriver : public FtDriver {
  public:
    void add(FtDriver &driver) { drivers_.push_back(&driver); }

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
    LinkTrouble lastTrouble() const override;

  private:
    struct Route {
        FtHandle handle = 0; // ours
        FtDriver *driver = nullptr;
        FtHandle inner = 0; // the driver's
    };
    // The driver listing adapter `index`, and its index there.
    FtDriver *locate(std::uint32_t &index);
    const Route *route(FtHandle handle) const;

    std::vector<FtDriver *> drivers_;
    std::vector<std::uint32_t> counts_;
    std::vector<Route> routes_;
    FtHandle nextHandle_ = 1;
    FtDriver *lastUsed_ = nullptr;
};
