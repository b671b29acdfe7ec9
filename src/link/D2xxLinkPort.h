#pragma once
// The ticks' view of the link, over the adapter layer: command frames leave
// from the transmit buffer, replies arrive in the receive buffer.

#include "D2xxLayer.h"
#include "protocol/LinkPort.h"

class D2xxLinkPort : public LinkPort {
  public:
    explicit D2xxLinkPort(D2xxLayer &layer) : layer_(layer) {}

    void setErrorReports(bool enabled) override { layer_.ErrorReportsEnabled = enabled; }
    std::uint32_t queueStatus() override;
    std::uint32_t read(std::uint8_t *dst, std::uint32_t n) override;
    void write(const std::uint8_t *src, std::uint32_t n) override;

  private:
    D2xxLayer &layer_;
};
