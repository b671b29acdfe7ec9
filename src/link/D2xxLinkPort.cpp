#include "D2xxLinkPort.h"

#include <algorithm>
#include <cstring>

std::uint32_t D2xxLinkPort::queueStatus() {
    if (layer_.GetFTQueueStatus() != FT_OK)
        return 0;
    return layer_.RxQueueBytes;
}

std::uint32_t D2xxLinkPort::read(std::uint8_t *dst, std::uint32_t n) {
    std::uint32_t got = layer_.ReadFTBytes(n);
    std::memcpy(dst, layer_.ReceiveBuffer.data(), got);
    return got;
}

void D2xxLinkPort::write(const std::uint8_t *src, std::uint32_t n) {
    n = std::min<std::uint32_t>(n, layer_.TransmitBuffer.size());
    std::memcpy(layer_.TransmitBuffer.data(), src, n);
    layer_.WriteFTBytes(n);
}
