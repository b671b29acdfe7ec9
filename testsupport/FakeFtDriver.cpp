#include "FakeFtDriver.h"

#include <algorithm>
#include <cstring>

void FakeFtDriver::queueIncoming(const std::vector<std::uint8_t> &bytes) {
    incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
}

std::vector<std::vector<std::uint8_t>> FakeFtDriver::writtenFrames() const {
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::size_t i = 0; i + 8 <= written_.size(); i += 8)
        frames.emplace_back(written_.begin() + static_cast<std::ptrdiff_t>(i),
                            written_.begin() + static_cast<std::ptrdiff_t>(i + 8));
    return frames;
}

FtStatus FakeFtDriver::failure(Op op) const {
    auto it = failures_.find(op);
    return it == failures_.end() ? FT_OK : it->second;
}

FtStatus FakeFtDriver::checkHandle(FtHandle handle) const {
    return handle != 0 && handle == openHandle_ ? FT_OK : FT_INVALID_HANDLE;
}

FtStatus FakeFtDriver::listCount(std::uint32_t &count) {
    if (FtStatus s = failure(Op::ListCount))
        return s;
    count = static_cast<std::uint32_t>(adapters.size());
    return FT_OK;
}

FtStatus FakeFtDriver::listSerialNumber(std::uint32_t index, char *buffer, std::size_t size) {
    if (FtStatus s = failure(Op::ListSerialNumber))
        return s;
    if (index >= adapters.size())
        return FT_DEVICE_NOT_FOUND;
    fillListBuffer(adapters[index].serialNumber, buffer, size);
    return FT_OK;
}

FtStatus FakeFtDriver::listDescription(std::uint32_t index, char *buffer, std::size_t size) {
    if (FtStatus s = failure(Op::ListDescription))
        return s;
    if (index >= adapters.size())
        return FT_DEVICE_NOT_FOUND;
    fillListBuffer(adapters[index].description, buffer, size);
    return FT_OK;
}

FtStatus FakeFtDriver::openBySerialNumber(const char *serial, FtHandle &handle) {
    if (FtStatus s = failure(Op::Open))
        return s;
    auto it = std::find_if(adapters.begin(), adapters.end(),
                           [&](const Adapter &a) { return a.serialNumber == serial; });
    if (it == adapters.end())
        return FT_DEVICE_NOT_FOUND;
    if (openHandle_ != 0)
        return FT_DEVICE_NOT_OPENED; // one adapter at a time, like a busy port
    openHandle_ = handle = nextHandle_++;
    openedSerial_ = serial;
    ++openCount_;
    return FT_OK;
}

FtStatus FakeFtDriver::close(FtHandle handle) {
    if (FtStatus s = failure(Op::Close))
        return s;
    if (FtStatus s = checkHandle(handle))
        return s;
    openHandle_ = 0;
    ++closeCount_;
    return FT_OK;
}

FtStatus FakeFtDriver::read(FtHandle handle, std::uint8_t *buffer, std::uint32_t toRead,
                            std::uint32_t &got) {
    got = 0;
    if (FtStatus s = failure(Op::Read))
        return s;
    if (FtStatus s = checkHandle(handle))
        return s;
    while (got < toRead && !incoming_.empty()) {
        buffer[got++] = incoming_.front();
        incoming_.pop_front();
    }
    return FT_OK;
}

FtStatus FakeFtDriver::write(FtHandle handle, const std::uint8_t *buffer, std::uint32_t toWrite,
                             std::uint32_t &written) {
    written = 0;
    if (FtStatus s = failure(Op::Write))
        return s;
    if (FtStatus s = checkHandle(handle))
        return s;
    written_.insert(written_.end(), buffer, buffer + toWrite);
    written = toWrite;
    return FT_OK;
}

FtStatus FakeFtDriver::setBaudRate(FtHandle handle, std::uint32_t baud) {
    if (FtStatus s = failure(Op::SetBaudRate))
        return s;
    if (FtStatus s = checkHandle(handle))
        return s;
    baud_ = baud;
    return FT_OK;
}

FtStatus FakeFtDriver::setDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                              std::uint8_t stopBits, std::uint8_t parity) {
    if (FtStatus s = failure(Op::SetDataCharacteristics))
        return s;
    if (FtStatus s = checkHandle(handle))
        return s;
    wordLength_ = wordLength;
    stopBits_ = stopBits;
    parity_ = parity;
    return FT_OK;
}

FtStatus FakeFtDriver::purge(FtHandle handle, std::uint32_t mask) {
    if (FtStatus s = failure(Op::Purge))
        return s;
    if (FtStatus s = checkHandle(handle))
        return s;
    purges_.push_back(mask);
    if (mask & FT_PURGE_RX)
        incoming_.clear();
    return FT_OK;
}

FtStatus FakeFtDriver::getStatus(FtHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                                 std::uint32_t &event) {
    if (FtStatus s = failure(Op::GetStatus))
        return s;
    if (FtStatus s = checkHandle(handle))
        return s;
    rxBytes = static_cast<std::uint32_t>(incoming_.size());
    txBytes = 0;
    event = 0;
    return FT_OK;
}
