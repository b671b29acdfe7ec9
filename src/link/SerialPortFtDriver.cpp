#include "SerialPortFtDriver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

// termios2 (the speed as a plain number) without <termios.h>, whose struct termios clashes.
#include <asm/termbits.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A USB tty sits a few levels below its USB device; this bounds the walk up.
constexpr int MaxSysfsDepth = 16;

// Rounds of non-blocking output per call: enough for any frame the tool sends.
constexpr int MaxWriteRounds = 8;

// The adapter may round the rate; beyond this the rate did not take.
constexpr double BaudTolerance = 0.03;

QString readAttribute(const QString &dir, const char *name) {
    QFile file(dir + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(4096)).trimmed();
}

bool isGoneError(QSerialPort::SerialPortError error) {
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
           error == QSerialPort::DeviceNotFoundError;
}

std::uint32_t clampToU32(qint64 value) {
    if (value <= 0)
        return 0;
    return value > qint64(UINT32_MAX) ? UINT32_MAX : std::uint32_t(value);
}

// Numeric order: ttyUSB2 before ttyUSB10.
bool portNameLess(const FtPortEntry &a, const FtPortEntry &b) {
    if (a.portName.size() != b.portName.size())
        return a.portName.size() < b.portName.size();
    return a.portName < b.portName;
}

} // namespace

UsbAttributes usbAttributesFromSysfs(const QString &sysRoot, const QString &portName) {
    UsbAttributes result;
    if (portName.isEmpty() || portName.contains(QLatin1Char('/')))
        return result;
    const QString root = QFileInfo(sysRoot).canonicalFilePath();
    if (root.isEmpty())
        return result;
    const QString rootPrefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');

    QString dir =
        QFileInfo(sysRoot + QStringLiteral("/class/tty/") + portName + QStringLiteral("/device"))
            .canonicalFilePath();
    for (int depth = 0; depth < MaxSysfsDepth && dir.startsWith(rootPrefix); ++depth) {
        if (QFileInfo::exists(dir + QStringLiteral("/idVendor"))) {
            bool ok = false;
            const quint16 vendor = readAttribute(dir, "idVendor").toUShort(&ok, 16);
            if (!ok)
                return result;
            result.found = true;
            result.vendorId = vendor;
            result.product = readAttribute(dir, "product");
            result.serial = readAttribute(dir, "serial");
            return result;
        }
        const QString parent = QFileInfo(dir).path();
        if (parent == dir)
            break;
        dir = parent;
    }
    return result;
}

void completeFromSysfs(FtPortEntry &entry, const QString &sysRoot) {
    if (entry.hasVendorId && !entry.description.isEmpty() && !entry.serialNumber.isEmpty())
        return;
    const UsbAttributes usb = usbAttributesFromSysfs(sysRoot, entry.portName);
    if (!usb.found)
        return;
    if (!entry.hasVendorId) {
        entry.hasVendorId = true;
        entry.vendorId = usb.vendorId;
    }
    if (entry.description.isEmpty())
        entry.description = usb.product;
    if (entry.serialNumber.isEmpty())
        entry.serialNumber = usb.serial;
}

SerialPortFtDriver::SerialPortFtDriver(QString sysRoot) : sysRoot_(std::move(sysRoot)) {}

SerialPortFtDriver::~SerialPortFtDriver() = default;

std::vector<FtPortEntry> SerialPortFtDriver::scanPorts() const {
    // The ports the kernel's USB-serial drivers made (an FTDI's ftdi_sio among
    // them) are listed on their bus: no need to read every tty the machine has.
    std::vector<FtPortEntry> ports;
    const QStringList names =
        QDir(sysRoot_ + QStringLiteral("/bus/usb-serial/devices"))
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        FtPortEntry entry;
        entry.portName = name;
        entry.systemLocation = QStringLiteral("/dev/") + name;
        completeFromSysfs(entry, sysRoot_);
        if (entry.hasVendorId && entry.vendorId == FtdiVendorId)
            ports.push_back(std::move(entry));
    }
    std::sort(ports.begin(), ports.end(), portNameLess);
    return ports;
}

FtStatus SerialPortFtDriver::listCount(std::uint32_t &count) {
    lastTrouble_ = LinkTrouble::None;
    snapshot_ = scanPorts();
    haveSnapshot_ = true;
    count = std::uint32_t(snapshot_.size());
    return FT_OK;
}

const FtPortEntry *SerialPortFtDriver::snapshotEntry(std::uint32_t index) {
    if (!haveSnapshot_) {
        snapshot_ = scanPorts();
        haveSnapshot_ = true;
    }
    return index < snapshot_.size() ? &snapshot_[index] : nullptr;
}

FtStatus SerialPortFtDriver::listSerialNumber(std::uint32_t index, char *buffer, std::size_t size) {
    const FtPortEntry *entry = snapshotEntry(index);
    if (!entry)
        return FT_DEVICE_NOT_FOUND;
    if (!buffer && size > 0)
        return FT_INVALID_PARAMETER;
    fillListBuffer(entry->serialNumber.toStdString(), buffer, size);
    return FT_OK;
}

FtStatus SerialPortFtDriver::listDescription(std::uint32_t index, char *buffer, std::size_t size) {
    const FtPortEntry *entry = snapshotEntry(index);
    if (!entry)
        return FT_DEVICE_NOT_FOUND;
    if (!buffer && size > 0)
        return FT_INVALID_PARAMETER;
    fillListBuffer(entry->description.toStdString(), buffer, size);
    return FT_OK;
}

QString SerialPortFtDriver::describeOpenFailure(const QString &location,
                                                QSerialPort::SerialPortError error,
                                                const QString &systemText, bool accessible,
                                                LinkTrouble &trouble) {
    trouble = LinkTrouble::None;
    if (error == QSerialPort::PermissionError) {
        if (!accessible) {
            trouble = LinkTrouble::NoPermission;
            return QStringLiteral("Нет доступа к %1 (%2)").arg(location, systemText);
        }
        trouble = LinkTrouble::Busy;
        return QStringLiteral("Порт %1 занят другой программой (%2)").arg(location, systemText);
    }
    if (error == QSerialPort::DeviceNotFoundError)
        trouble = LinkTrouble::Gone;
    return QStringLiteral("Не удалось открыть %1: %2").arg(location, systemText);
}

FtStatus SerialPortFtDriver::openBySerialNumber(const char *serial, FtHandle &handle) {
    handle = 0;
    lastError_.clear();
    lastTrouble_ = LinkTrouble::None;
    if (!serial)
        return FT_INVALID_PARAMETER;
    const QString wanted = QString::fromUtf8(serial);

    const std::vector<FtPortEntry> ports = scanPorts();
    const auto entry = std::find_if(ports.begin(), ports.end(),
                                    [&](const FtPortEntry &e) { return e.serialNumber == wanted; });
    if (entry == ports.end()) {
        lastError_ =
            QStringLiteral("Адаптер с серийным номером «%1» не найден").arg(wanted).toStdString();
        return FT_DEVICE_NOT_FOUND;
    }
    const QString location = entry->systemLocation;

    for (const auto &[otherHandle, other] : ports_) {
        if (!other.gone && other.location == location) {
            lastError_ = QStringLiteral("Порт %1 уже открыт").arg(location).toStdString();
            lastTrouble_ = LinkTrouble::Busy;
            return FT_DEVICE_NOT_OPENED;
        }
    }

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(location);
    if (!port->open(QIODevice::ReadWrite)) {
        const QByteArray path = QFile::encodeName(location);
        const bool accessible = ::access(path.constData(), R_OK | W_OK) == 0;
        lastError_ = describeOpenFailure(location, port->error(), port->errorString(), accessible,
                                         lastTrouble_)
                         .toStdString();
        return FT_DEVICE_NOT_OPENED;
    }

    FtHandle newHandle = nextHandle_;
    while (newHandle == 0 || ports_.count(newHandle))
        ++newHandle;
    nextHandle_ = newHandle + 1;

    // With the event loop running, Qt's own read notifier may be the first to meet an
    // unplugged adapter. Close the port soon after, or the notifier keeps firing on the
    // hung-up tty until the next poll.
    QSerialPort *raw = port.get();
    QObject::connect(raw, &QSerialPort::errorOccurred, raw,
                     [this, raw, newHandle](QSerialPort::SerialPortError error) {
                         if (!isGoneError(error))
                             return;
                         QMetaObject::invokeMethod(
                             raw,
                             [this, newHandle] {
                                 if (OpenPort *open = find(newHandle); open && !open->gone)
                                     checkGone(*open);
                             },
                             Qt::QueuedConnection);
                     });

    OpenPort &open = ports_[newHandle];
    open.port = std::move(port);
    open.location = location;
    handle = newHandle;
    return FT_OK;
}

SerialPortFtDriver::OpenPort *SerialPortFtDriver::find(FtHandle handle) {
    const auto it = ports_.find(handle);
    return it == ports_.end() ? nullptr : &it->second;
}

FtStatus SerialPortFtDriver::usable(FtHandle handle, OpenPort *&open) {
    open = find(handle);
    if (!open)
        return FT_INVALID_HANDLE;
    if (open->gone)
        return FT_DEVICE_NOT_FOUND;
    if (checkGone(*open))
        return FT_IO_ERROR;
    return FT_OK;
}

void SerialPortFtDriver::markGone(OpenPort &open, const QString &why) {
    open.gone = true;
    lastTrouble_ = LinkTrouble::Gone;
    lastError_ =
        QStringLiteral("Связь с адаптером %1 потеряна: %2").arg(open.location, why).toStdString();
    // A hung-up tty has nothing left to drain, so this returns at once.
    open.port->close();
}

bool SerialPortFtDriver::checkGone(OpenPort &open) {
    if (!isGoneError(open.port->error()))
        return false;
    markGone(open, open.port->errorString());
    return true;
}

bool SerialPortFtDriver::pollInput(OpenPort &open) {
    QSerialPort &port = *open.port;
    if (!port.waitForReadyRead(0)) {
        if (checkGone(open))
            return false;
        port.clearError(); // the expected TimeoutError: nothing new arrived
    }
    return true;
}

bool SerialPortFtDriver::pushOutput(OpenPort &open) {
    QSerialPort &port = *open.port;
    for (int round = 0; round < MaxWriteRounds && port.bytesToWrite() > 0; ++round) {
        if (!port.waitForBytesWritten(0)) {
            if (checkGone(open))
                return false;
            // The kernel's queue is full; the rest goes out on a later call or from
            // Qt's write notifier.
            port.clearError();
            break;
        }
    }
    return true;
}

FtStatus SerialPortFtDriver::close(FtHandle handle) {
    const auto it = ports_.find(handle);
    if (it == ports_.end())
        return FT_INVALID_HANDLE;
    it->second.port->close();
    ports_.erase(it);
    return FT_OK;
}

FtStatus SerialPortFtDriver::read(FtHandle handle, std::uint8_t *buffer, std::uint32_t toRead,
                                  std::uint32_t &got) {
    got = 0;
    OpenPort *open = nullptr;
    if (const FtStatus status = usable(handle, open); status != FT_OK)
        return status;
    if (toRead == 0)
        return FT_OK;
    if (!buffer)
        return FT_INVALID_PARAMETER;
    QSerialPort &port = *open->port;
    if (port.bytesAvailable() < qint64(toRead) && !pollInput(*open))
        return FT_IO_ERROR;
    const qint64 n = port.read(reinterpret_cast<char *>(buffer), qint64(toRead));
    if (n < 0) {
        if (!checkGone(*open))
            lastError_ = port.errorString().toStdString();
        return FT_IO_ERROR;
    }
    got = std::uint32_t(n);
    return FT_OK;
}

FtStatus SerialPortFtDriver::write(FtHandle handle, const std::uint8_t *buffer,
                                   std::uint32_t toWrite, std::uint32_t &written) {
    written = 0;
    OpenPort *open = nullptr;
    if (const FtStatus status = usable(handle, open); status != FT_OK)
        return status;
    if (toWrite == 0)
        return FT_OK;
    if (!buffer)
        return FT_INVALID_PARAMETER;
    QSerialPort &port = *open->port;
    const qint64 n = port.write(reinterpret_cast<const char *>(buffer), qint64(toWrite));
    if (n < 0) {
        if (!checkGone(*open)) {
            lastError_ = port.errorString().toStdString();
            port.clearError();
        }
        return FT_IO_ERROR;
    }
    written = std::uint32_t(n);
    return pushOutput(*open) ? FT_OK : FT_IO_ERROR;
}

FtStatus SerialPortFtDriver::setBaudRate(FtHandle handle, std::uint32_t baud) {
    OpenPort *open = nullptr;
    if (const FtStatus status = usable(handle, open); status != FT_OK)
        return status;
    if (baud == 0 || baud > std::uint32_t(INT_MAX))
        return FT_INVALID_BAUD_RATE;
    QSerialPort &port = *open->port;
    if (!port.setBaudRate(qint32(baud))) {
        if (checkGone(*open))
            return FT_IO_ERROR;
        lastError_ = port.errorString().toStdString();
        port.clearError();
        return FT_INVALID_BAUD_RATE;
    }
    // A driver that cannot make the rate falls back to another one without failing the
    // call; the speed the tty reports afterwards tells.
    struct termios2 tio {};
    if (::ioctl(port.handle(), TCGETS2, &tio) == 0 && tio.c_ospeed != 0) {
        const double off = std::abs(double(tio.c_ospeed) - double(baud)) / double(baud);
        if (off > BaudTolerance) {
            lastError_ = QStringLiteral("Адаптер не поддерживает скорость %1 бод (установлено %2)")
                             .arg(baud)
                             .arg(tio.c_ospeed)
                             .toStdString();
            return FT_INVALID_BAUD_RATE;
        }
    }
    return FT_OK;
}

FtStatus SerialPortFtDriver::setDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                                    std::uint8_t stopBits, std::uint8_t parity) {
    OpenPort *open = nullptr;
    if (const FtStatus status = usable(handle, open); status != FT_OK)
        return status;

    QSerialPort::DataBits dataBits;
    switch (wordLength) {
    case FT_BITS_7:
        dataBits = QSerialPort::Data7;
        break;
    case FT_BITS_8:
        dataBits = QSerialPort::Data8;
        break;
    default:
        return FT_INVALID_PARAMETER;
    }

    QSerialPort::StopBits stop;
    switch (stopBits) {
    case FT_STOP_BITS_1:
        stop = QSerialPort::OneStop;
        break;
    case FT_STOP_BITS_2:
        stop = QSerialPort::TwoStop;
        break;
    default:
        return FT_INVALID_PARAMETER;
    }

    QSerialPort::Parity qtParity;
    switch (parity) {
    case FT_PARITY_NONE:
        qtParity = QSerialPort::NoParity;
        break;
    case FT_PARITY_ODD:
        qtParity = QSerialPort::OddParity;
        break;
    case FT_PARITY_EVEN:
        qtParity = QSerialPort::EvenParity;
        break;
    case 3:
        qtParity = QSerialPort::MarkParity;
        break;
    case 4:
        qtParity = QSerialPort::SpaceParity;
        break;
    default:
        return FT_INVALID_PARAMETER;
    }

    QSerialPort &port = *open->port;
    if (!port.setDataBits(dataBits) || !port.setStopBits(stop) || !port.setParity(qtParity)) {
        if (checkGone(*open))
            return FT_IO_ERROR;
        // The tty refused the combination (EINVAL): a value this adapter cannot do.
        const bool refused = port.error() == QSerialPort::UnsupportedOperationError;
        lastError_ = port.errorString().toStdString();
        port.clearError();
        return refused ? FT_INVALID_PARAMETER : FT_IO_ERROR;
    }
    return FT_OK;
}

FtStatus SerialPortFtDriver::purge(FtHandle handle, std::uint32_t mask) {
    OpenPort *open = nullptr;
    if (const FtStatus status = usable(handle, open); status != FT_OK)
        return status;
    QSerialPort::Directions directions;
    if (mask & FT_PURGE_RX)
        directions |= QSerialPort::Input;
    if (mask & FT_PURGE_TX)
        directions |= QSerialPort::Output;
    if (!directions)
        return FT_OK;
    QSerialPort &port = *open->port;
    if (!port.clear(directions)) {
        if (!checkGone(*open)) {
            lastError_ = port.errorString().toStdString();
            port.clearError();
        }
        return FT_IO_ERROR;
    }
    return FT_OK;
}

FtStatus SerialPortFtDriver::getStatus(FtHandle handle, std::uint32_t &rxBytes,
                                       std::uint32_t &txBytes, std::uint32_t &event) {
    rxBytes = 0;
    txBytes = 0;
    event = 0;
    OpenPort *open = nullptr;
    if (const FtStatus status = usable(handle, open); status != FT_OK)
        return status;
    if (!pollInput(*open) || !pushOutput(*open))
        return FT_IO_ERROR;

    QSerialPort &port = *open->port;
    // Qt reads one chunk per poll; whatever is left still sits in the kernel.
    int queued = 0;
    if (::ioctl(port.handle(), TIOCINQ, &queued) == -1) {
        const int err = errno;
        if (err == EIO || err == ENODEV || err == ENXIO || err == EBADF) {
            markGone(*open, QString::fromLocal8Bit(std::strerror(err)));
            return FT_IO_ERROR;
        }
        queued = 0;
    }
    rxBytes = clampToU32(port.bytesAvailable() + qint64(std::max(queued, 0)));
    txBytes = clampToU32(port.bytesToWrite());
    return FT_OK;
}
