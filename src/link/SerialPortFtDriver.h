#pragma once
// FTDI adapters through the operating system's serial driver (ftdi_sio + QSerialPort).
// Nothing here blocks: every call returns with what the port has right now, because the
// adapter layer polls from the UI thread.

#include "FtDriver.h"

#include <QSerialPort>
#include <QString>

#include <map>
#include <memory>
#include <string>
#include <vector>

// FTDI's USB vendor id.
constexpr quint16 FtdiVendorId = 0x0403;

// What the parent USB device of a tty tells about itself in sysfs.
struct UsbAttributes {
    bool found = false; // a USB device with idVendor was found above the tty
    quint16 vendorId = 0;
    QString product;
    QString serial;
};

// Walks up from <sysRoot>/class/tty/<portName>/device to the first directory that has
// idVendor and reads idVendor, product and serial there.
UsbAttributes usbAttributesFromSysfs(const QString &sysRoot, const QString &portName);

// One serial port as the adapter list sees it.
struct FtPortEntry {
    QString portName;       // ttyUSB0
    QString systemLocation; // /dev/ttyUSB0
    bool hasVendorId = false;
    quint16 vendorId = 0;
    QString description;
    QString serialNumber;
};

// Fills what udev left empty (vendor id, description, serial number) from sysfs.
void completeFromSysfs(FtPortEntry &entry, const QString &sysRoot);

class SerialPortFtDriver : public FtDriver {
  public:
    explicit SerialPortFtDriver(QString sysRoot = QStringLiteral("/sys"));
    ~SerialPortFtDriver() override;

    SerialPortFtDriver(const SerialPortFtDriver &) = delete;
    SerialPortFtDriver &operator=(const SerialPortFtDriver &) = delete;

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

    std::string lastErrorDetail() const override { return lastError_; }
    LinkTrouble lastTrouble() const override { return lastTrouble_; }

    // The words for the error box when opening `location` failed, and what
    // they mean for the technician. `accessible` tells whether the current
    // user may read and write the device node.
    static QString describeOpenFailure(const QString &location, QSerialPort::SerialPortError error,
                                       const QString &systemText, bool accessible,
                                       LinkTrouble &trouble);

  protected:
    // FTDI ports present now, in a stable order.
    virtual std::vector<FtPortEntry> scanPorts() const;

  private:
    struct OpenPort {
        std::unique_ptr<QSerialPort> port;
        QString location;  // /dev/ttyUSB0
        bool gone = false; // unplugged: only close() is left to do
    };

    const FtPortEntry *snapshotEntry(std::uint32_t index);
    OpenPort *find(FtHandle handle);
    FtStatus usable(FtHandle handle, OpenPort *&open);
    // Looks at the port's error after a call; an unplugged adapter marks the port gone.
    bool checkGone(OpenPort &open);
    // Pulls what the kernel holds into Qt's buffer; false when the adapter is gone.
    bool pollInput(OpenPort &open);
    // Hands Qt's pending output to the kernel without waiting; false when the adapter is gone.
    bool pushOutput(OpenPort &open);
    void markGone(OpenPort &open, const QString &why);

    QString sysRoot_;
    std::vector<FtPortEntry> snapshot_;
    bool haveSnapshot_ = false;
    std::map<FtHandle, OpenPort> ports_;
    FtHandle nextHandle_ = 1;
    std::string lastError_;
    LinkTrouble lastTrouble_ = LinkTrouble::None;
};
