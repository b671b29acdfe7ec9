#include "CompositeFtDriver.h"

#include <algorithm>

FtStatus CompositeFtDriver::listCount(std::uint32_t &count) {
    counts_.assign(drivers_.size(), 0);
    std::uint32_t total = 0;
    for (std::size_t i = 0; i < drivers_.size(); ++i) {
        lastUsed_ = drivers_[i];
        std::uint32_t n = 0;
        // A driver that cannot list (no permission, no bus) contributes nothing.
        if (drivers_[i]->listCount(n) == FT_OK)
            counts_[i] = n;
        total += counts_[i];
    }
    count = total;
    return FT_OK;
}

FtDriver *CompositeFtDriver::locate(std::uint32_t &index) {
    if (counts_.size() != drivers_.size()) {
        std::uint32_t ignored = 0;
        listCount(ignored);
    }
    for (std::size_t i = 0; i < drivers_.size(); ++i) {
        if (index < counts_[i])
            return drivers_[i];
        index -= counts_[i];
    }
    return nullptr;
}

FtStatus CompositeFtDriver::listSerialNumber(std::uint32_t index, char *buffer, std::size_t size) {
    FtDriver *d = locate(index);
    if (!d)
        return FT_DEVICE_NOT_FOUND;
    lastUsed_ = d;
    return d->listSerialNumber(index, buffer, size);
}

FtStatus CompositeFtDriver::listDescription(std::uint32_t index, char *buffer, std::size_t size) {
    FtDriver *d = locate(index);
    if (!d)
        return FT_DEVICE_NOT_FOUND;
    lastUsed_ = d;
    return d->listDescription(index, buffer, size);
}

FtStatus CompositeFtDriver::openBySerialNumber(const char *serial, FtHandle &handle) {
    FtStatus last = FT_DEVICE_NOT_FOUND;
    for (FtDriver *d : drivers_) {
        FtHandle inner = 0;
        lastUsed_ = d;
        FtStatus s = d->openBySerialNumber(serial, inner);
        if (s == FT_OK) {
            handle = nextHandle_++;
            routes_.push_back({handle, d, inner});
            return FT_OK;
        }
        // "Not found" from one driver says nothing of the others; any other
        // failure is the answer of the driver that has the adapter.
        if (s != FT_DEVICE_NOT_FOUND)
            return s;
        last = s;
    }
    return last;
}

const CompositeFtDriver::Route *CompositeFtDriver::route(FtHandle handle) const {
    auto it = std::find_if(routes_.begin(), routes_.end(),
                           [&](const Route &r) { return r.handle == handle; });
    return it == routes_.end() ? nullptr : &*it;
}

FtStatus CompositeFtDriver::close(FtHandle handle) {
    const Route *r = route(handle);
    if (!r)
        return FT_INVALID_HANDLE;
    lastUsed_ = r->driver;
    FtStatus s = r->driver->close(r->inner);
    routes_.erase(routes_.begin() + (r - routes_.data()));
    return s;
}

#define ZE23_ROUTED(call)                                                                          \
    const Route *r = route(handle);                                                                \
    if (!r)                                                                                        \
        return FT_INVALID_HANDLE;                                                                  \
    lastUsed_ = r->driver;                                                                         \
    return r->driver->call;

FtStatus CompositeFtDriver::read(FtHandle handle, std::uint8_t *buffer, std::uint32_t toRead,
                                 std::uint32_t &got) {
    got = 0;
    ZE23_ROUTED(read(r->inner, buffer, toRead, got))
}

FtStatus CompositeFtDriver::write(FtHandle handle, const std::uint8_t *buffer,
                                  std::uint32_t toWrite, std::uint32_t &written) {
    written = 0;
    ZE23_ROUTED(write(r->inner, buffer, toWrite, written))
}

FtStatus CompositeFtDriver::setBaudRate(FtHandle handle, std::uint32_t baud){
    ZE23_ROUTED(setBaudRate(r->inner, baud))}

FtStatus CompositeFtDriver::setDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                                   std::uint8_t stopBits, std::uint8_t parity){
    ZE23_ROUTED(setDataCharacteristics(r->inner, wordLength, stopBits, parity))}

FtStatus CompositeFtDriver::purge(FtHandle handle,
                                  std::uint32_t mask){ZE23_ROUTED(purge(r->inner, mask))}

FtStatus CompositeFtDriver::getStatus(FtHandle handle, std::uint32_t &rxBytes,
                                      std::uint32_t &txBytes, std::uint32_t &event){
    ZE23_ROUTED(getStatus(r->inner, rxBytes, txBytes, event))}

#undef ZE23_ROUTED

std::string CompositeFtDriver::lastErrorDetail() const {
    return lastUsed_ ? lastUsed_->lastErrorDetail() : std::string();
}

LinkTrouble CompositeFtDriver::lastTrouble() const {
    return lastUsed_ ? lastUsed_->lastTrouble() : LinkTrouble::None;
}
