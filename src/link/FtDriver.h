#pragma once
// What the adapter layer needs of a driver: the calls of the D2XX library, one
// method each, with the library's status codes. Handle 0 is never a valid handle.

#include "FtStatus.h"
#include "LinkTrouble.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class FtDriver {
  public:
    virtual ~FtDriver() = default;

    // FT_ListDevices, "number only".
    virtual FtStatus listCount(std::uint32_t &count) = 0;
    // FT_ListDevices by index. Fills at most `size` bytes of `buffer` as the library
    // does: a text that fills the whole buffer carries no terminating zero.
    virtual FtStatus listSerialNumber(std::uint32_t index, char *buffer, std::size_t size) = 0;
    virtual FtStatus listDescription(std::uint32_t index, char *buffer, std::size_t size) = 0;

    // FT_OpenEx by serial number (a zero-terminated text).
    virtual FtStatus openBySerialNumber(const char *serial, FtHandle &handle) = 0;
    virtual FtStatus close(FtHandle handle) = 0;

    virtual FtStatus read(FtHandle handle, std::uint8_t *buffer, std::uint32_t toRead,
                          std::uint32_t &got) = 0;
    virtual FtStatus write(FtHandle handle, const std::uint8_t *buffer, std::uint32_t toWrite,
                           std::uint32_t &written) = 0;

    virtual FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) = 0;
    virtual FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                            std::uint8_t stopBits, std::uint8_t parity) = 0;
    virtual FtStatus purge(FtHandle handle, std::uint32_t mask) = 0;
    // FT_GetStatus: bytes waiting to be read, bytes waiting to be sent, event word.
    virtual FtStatus getStatus(FtHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                               std::uint32_t &event) = 0;

    // Extra words for the error box after the last failure (say, why an open was
    // refused); empty when there is nothing to add.
    virtual std::string lastErrorDetail() const { return {}; }
    // What the last failure of a list or open call says about the adapter.
    virtual LinkTrouble lastTrouble() const { return LinkTrouble::None; }
};

// Copies text into a list buffer the way the library does: at most `size`
// bytes, with no terminating zero when the text fills the buffer.
inline void fillListBuffer(std::string_view text, char *buffer, std::size_t size) {
    std::size_t n = text.size() < size ? text.size() : size;
    std::memcpy(buffer, text.data(), n);
    if (n < size)
        buffer[n] = '\0';
}
