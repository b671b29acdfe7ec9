#pragma once
// The open link as the transmit and receive ticks see it.

#include <cstdint>

class LinkPort {
  public:
    virtual ~LinkPort() = default;
    // The ticks switch the adapter layer's error boxes off while they run.
    virtual void setErrorReports(bool enabled) = 0;
    // Bytes waiting in the receive queue; 0 when the query fails.
    virtual std::uint32_t queueStatus() = 0;
    // Reads up to n bytes into dst; returns how many arrived.
    virtual std::uint32_t read(std::uint8_t *dst, std::uint32_t n) = 0;
    virtual void write(const std::uint8_t *src, std::uint32_t n) = 0;
};
