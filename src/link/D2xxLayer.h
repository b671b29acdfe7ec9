#pragma once
// The tool's thin layer over an FTDI driver: one open adapter at a time, one
// operation per library call, and an error reporter that names the operation.

#include "FtDriver.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class D2xxLayer {
  public:
    using ErrorBox = std::function<void(const std::string &message)>;

    explicit D2xxLayer(FtDriver &driver);

    // Where error texts go; without one they are dropped.
    void setErrorBox(ErrorBox box) { errorBox_ = std::move(box); }

    FtStatus GetFTDeviceCount();
    FtStatus GetFTDeviceSerialNo(std::uint32_t index);
    FtStatus GetFTDeviceDescription(std::uint32_t index);
    FtStatus Open_USB_Device_By_Serial_Number(const std::string &serial);
    FtStatus CloseFTDevice();
    // Both return the number of bytes moved, not the status.
    std::uint32_t ReadFTBytes(std::uint32_t n);
    std::uint32_t WriteFTBytes(std::uint32_t n);
    FtStatus SetFTBaudRate();
    FtStatus SetFTDataCharacteristics();
    FtStatus PurgeFTReceive();
    FtStatus PurgeFTTransmit();
    FtStatus GetFTQueueStatus();
    // An adapter just opened is made ready for an instrument: both queues
    // purged, 250000 baud, 8 data bits, 2 stop bits, no parity. The statuses
    // are not examined; a failure shows its box and the rest goes on.
    void SetInstrumentLine();

    void ReportFTError(const std::string &name, FtStatus status);
    // The error box text for a status: the operation's name and the library's words.
    static std::string errorText(const std::string &name, std::uint32_t status);
    // The whole box: that text, the driver's own words, and what to do about it.
    static std::string boxText(const std::string &name, FtStatus status, const std::string &detail,
                               LinkTrouble trouble);

    FtHandle DeviceHandle = 0;
    bool ErrorReportsEnabled = true;
    std::uint32_t BaudRate = 0;
    std::uint8_t WordLength = 0;
    std::uint8_t StopBits = 0;
    std::uint8_t Parity = 0;
    std::uint32_t RxQueueBytes = 0;
    std::uint32_t TxQueueBytes = 0;
    std::uint32_t EventStatus = 0;
    std::array<char, 64> DescriptionBuffer{};
    std::array<char, 16> SerialNumberBuffer{};
    std::array<std::uint8_t, 65536> ReceiveBuffer{};
    std::array<std::uint8_t, 65536> TransmitBuffer{};
    std::uint32_t DeviceCount = 0;
    std::array<char, 50> OpenSerialNumber{};
    std::string ListText;

  private:
    FtStatus checked(const char *name, FtStatus status);

    FtDriver *driver_;
    ErrorBox errorBox_;
    // The last close failed: the adapter may still be held under DeviceHandle.
    bool closeFailed_ = false;
};
