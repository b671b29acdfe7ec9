#include "D2xxLayer.h"

#include <algorithm>
#include <cstring>

namespace {
const char *const StatusTexts[] = {
    "",
    " - Invalid handle...",
    " - Device not found...",
    " - Device not opened...",
    " - General IO error...",
    " - Insufficient resources...",
    " - Invalid parameter...",
    " - Invalid baud rate...",
    " Device not opened for erase...",
    " Device not opened for write...",
    " - Failed to write...",
    " - EEPROM read failed...",
    " - EEPROM write failed...",
    " - EEPROM erase failed...",
    " - EEPROM not present...",
    " - EEPROM not programmed...",
    " - Invalid arguments...",
    " - Other error ...",
};

template <std::size_t N> std::string textUpToZero(const std::array<char, N> &buffer) {
    const char *end = std::find(buffer.begin(), buffer.end(), '\0');
    return std::string(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
}
} // namespace

D2xxLayer::D2xxLayer(FtDriver &driver) : driver_(&driver) {}

std::string D2xxLayer::errorText(const std::string &name, std::uint32_t status) {
    if (status >= 1 && status <= 17)
        return name + StatusTexts[status];
    // The library's table ends at 17; name the number rather than show an empty box.
    return name + " - Unknown error, status " + std::to_string(status) + "...";
}

std::string D2xxLayer::boxText(const std::string &name, FtStatus status, const std::string &detail,
                               LinkTrouble trouble) {
    std::string text = errorText(name, status);
    if (!detail.empty())
        text += "\n" + detail;
    const std::string advice = adviceFor(troubleOf(status, trouble));
    if (!advice.empty())
        text += "\n\n" + advice;
    return text;
}

void D2xxLayer::SetInstrumentLine() {
    PurgeFTReceive();
    PurgeFTTransmit();
    BaudRate = 250000;
    SetFTBaudRate();
    WordLength = FT_BITS_8;
    StopBits = FT_STOP_BITS_2;
    Parity = FT_PARITY_NONE;
    SetFTDataCharacteristics();
}

void D2xxLayer::ReportFTError(const std::string &name, FtStatus status) {
    if (!ErrorReportsEnabled || status == FT_OK)
        return;
    const std::string message =
        boxText(name, status, driver_->lastErrorDetail(), driver_->lastTrouble());
    if (errorBox_)
        errorBox_(message);
}

FtStatus D2xxLayer::checked(const char *name, FtStatus status) {
    if (status != FT_OK)
        ReportFTError(name, status);
    return status;
}

FtStatus D2xxLayer::GetFTDeviceCount() {
    std::uint32_t count = 0;
    FtStatus status = driver_->listCount(count);
    if (status == FT_OK)
        DeviceCount = count;
    return checked("GetFTDeviceCount", status);
}

FtStatus D2xxLayer::GetFTDeviceSerialNo(std::uint32_t index) {
    FtStatus status =
        driver_->listSerialNumber(index, SerialNumberBuffer.data(), SerialNumberBuffer.size());
    if (status == FT_OK)
        ListText = textUpToZero(SerialNumberBuffer);
    return checked("GetFTDeviceSerialNo", status);
}

FtStatus D2xxLayer::GetFTDeviceDescription(std::uint32_t index) {
    FtStatus status =
        driver_->listDescription(index, DescriptionBuffer.data(), DescriptionBuffer.size());
    if (status == FT_OK)
        ListText = textUpToZero(DescriptionBuffer);
    return checked("GetFTDeviceDescription", status);
}

FtStatus D2xxLayer::Open_USB_Device_By_Serial_Number(const std::string &serial) {
    OpenSerialNumber[0] = '\0';
    std::size_t n = std::min<std::size_t>(serial.size(), OpenSerialNumber.size() - 1);
    if (n > 0) {
        std::memcpy(OpenSerialNumber.data(), serial.data(), n);
        OpenSerialNumber[n] = '\0';
    }
    // A handle the last close could not let go is closed first (its failure was
    // reported then), or the adapter stays busy for the rest of the run.
    if (closeFailed_)
        closeFailed_ = driver_->close(DeviceHandle) != FT_OK;
    FtHandle handle = 0;
    FtStatus status = driver_->openBySerialNumber(OpenSerialNumber.data(), handle);
    if (status == FT_OK) {
        DeviceHandle = handle;
        closeFailed_ = false;
    }
    return checked("Open_USB_Device_By_Serial_Number", status);
}

FtStatus D2xxLayer::CloseFTDevice() {
    FtStatus status = driver_->close(DeviceHandle);
    closeFailed_ = status != FT_OK;
    return checked("FT_Close", status);
}

std::uint32_t D2xxLayer::ReadFTBytes(std::uint32_t n) {
    n = std::min<std::uint32_t>(n, ReceiveBuffer.size());
    std::uint32_t got = 0;
    checked("FT_Read", driver_->read(DeviceHandle, ReceiveBuffer.data(), n, got));
    return std::min(got, n);
}

std::uint32_t D2xxLayer::WriteFTBytes(std::uint32_t n) {
    n = std::min<std::uint32_t>(n, TransmitBuffer.size());
    std::uint32_t written = 0;
    checked("FT_Write", driver_->write(DeviceHandle, TransmitBuffer.data(), n, written));
    return written;
}

FtStatus D2xxLayer::SetFTBaudRate() {
    return checked("FT_SetBaudRate", driver_->setBaudRate(DeviceHandle, BaudRate));
}

FtStatus D2xxLayer::SetFTDataCharacteristics() {
    return checked("FT_SetDataCharacteristics",
                   driver_->setDataCharacteristics(DeviceHandle, WordLength, StopBits, Parity));
}

FtStatus D2xxLayer::PurgeFTReceive() {
    return checked("FT_Purge RX", driver_->purge(DeviceHandle, FT_PURGE_RX));
}

FtStatus D2xxLayer::PurgeFTTransmit() {
    return checked("FT_Purge TX", driver_->purge(DeviceHandle, FT_PURGE_TX));
}

FtStatus D2xxLayer::GetFTQueueStatus() {
    return checked("FT_GetStatus",
                   driver_->getStatus(DeviceHandle, RxQueueBytes, TxQueueBytes, EventStatus));
}
