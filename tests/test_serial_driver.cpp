// The serial-port driver without an adapter: the sysfs lookup on a made-up tree, list
// texts, handle checks, open failures, and a pseudo-terminal standing in for a port.

#include "link/SerialPortFtDriver.h"
#include "link/UsbHotplugMonitor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// The driver with a list the test decides instead of the machine's ports.
class ListedPortsDriver : public SerialPortFtDriver {
  public:
    using SerialPortFtDriver::SerialPortFtDriver;
    std::vector<FtPortEntry> ports;

  protected:
    std::vector<FtPortEntry> scanPorts() const override { return ports; }
};

FtPortEntry entry(const QString &location, const QString &serial, const QString &description) {
    FtPortEntry e;
    e.portName = QFileInfo(location).fileName();
    e.systemLocation = location;
    e.hasVendorId = true;
    e.vendorId = FtdiVendorId;
    e.serialNumber = serial;
    e.description = description;
    return e;
}

// Master side of a pseudo-terminal; its slave plays the adapter's tty.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        char name[128] = {};
        if (::ptsname_r(master_, name, sizeof name) == 0)
            slavePath_ = QString::fromLocal8Bit(name);
    }
    ~PseudoTerminal() { hangUp(); }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return master_ >= 0 && !slavePath_.isEmpty(); }
    QString slavePath() const { return slavePath_; }

    bool send(const QByteArray &data) {
        return ::write(master_, data.constData(), size_t(data.size())) == data.size();
    }
    // Waits for the driver's bytes to come through, up to a deadline.
    QByteArray receive(int expected) {
        QByteArray got;
        QDeadlineTimer deadline(5000);
        while (got.size() < expected && !deadline.hasExpired()) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, int(deadline.remainingTime())) <= 0)
                break;
            char buf[256];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, int(n));
        }
        return got;
    }
    // Closing the master hangs the slave up, as unplugging an adapter does.
    void hangUp() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

  private:
    int master_ = -1;
    QString slavePath_;
};

// The pty's line discipline hands bytes over from a kernel worker: keep asking the driver
// until the count shows up (no sleeping, bounded by a deadline).
std::uint32_t rxWhenAtLeast(SerialPortFtDriver &driver, FtHandle handle, std::uint32_t wanted) {
    std::uint32_t rx = 0, tx = 0, event = 0;
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        if (driver.getStatus(handle, rx, tx, event) != FT_OK || rx >= wanted)
            break;
        ::sched_yield();
    }
    return rx;
}

void writeFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void makeLink(const QString &target, const QString &link) {
    QDir().mkpath(QFileInfo(link).path());
    QVERIFY2(QFile::link(target, link), qPrintable(link));
}

} // namespace

class TestSerialDriver : public QObject {
    Q_OBJECT

  private slots:
    void sysfsLookupFindsParentUsbDevice();
    void sysfsLookupStopsAtRoot();
    void completionFillsOnlyWhatUdevLeftEmpty();
    void listingTakesTheUsbSerialBusAlone();

    void listBufferFilling_data();
    void listBufferFilling();
    void listUsesSnapshotAndRejectsBadIndex();

    void unknownHandleRejectedEverywhere();
    void openOfMissingSerialNumber();
    void openFailureWording_data();
    void openFailureWording();
    void openFailureOfNonTerminal();

    void ptyTransfersAndSettings();
    void ptyHandlesAfterClose();
    void ptyHangUpFailsWithoutCrash();
    void ptyHangUpSeenByEventLoop();

    void hotplugMonitorSetsUpAndTearsDown();
};

// Layout as the kernel makes it: class/tty/<name> links into the device tree, and the
// tty's "device" link leads to the USB interface below the USB device.
void TestSerialDriver::sysfsLookupFindsParentUsbDevice() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sys = dir.path() + "/sys";
    const QString usbDevice = sys + "/devices/pci0000:00/0000:00:14.0/usb1/1-2";
    const QString iface = usbDevice + "/1-2:1.0";
    writeFile(usbDevice + "/idVendor", "0403\n");
    writeFile(usbDevice + "/product", "FT232R USB UART\n");
    writeFile(usbDevice + "/serial", "A50285BI\n");
    QDir().mkpath(iface + "/ttyUSB0/tty/ttyUSB0");
    makeLink("../../../ttyUSB0", iface + "/ttyUSB0/tty/ttyUSB0/device");
    makeLink("../../devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0",
             sys + "/class/tty/ttyUSB0");

    const UsbAttributes usb = usbAttributesFromSysfs(sys, "ttyUSB0");
    QVERIFY(usb.found);
    QCOMPARE(usb.vendorId, FtdiVendorId);
    QCOMPARE(usb.product, QStringLiteral("FT232R USB UART"));
    QCOMPARE(usb.serial, QStringLiteral("A50285BI"));

    // A second adapter with an unreadable vendor id is no USB parent at all.
    writeFile(sys + "/devices/usb2/2-1/idVendor", "zz\n");
    QDir().mkpath(sys + "/devices/usb2/2-1/2-1:1.0/ttyUSB1");
    makeLink("../../../devices/usb2/2-1/2-1:1.0/ttyUSB1", sys + "/class/tty/ttyUSB1/device");
    QVERIFY(!usbAttributesFromSysfs(sys, "ttyUSB1").found);

    QVERIFY(!usbAttributesFromSysfs(sys, "ttyUSB7").found);
    QVERIFY(!usbAttributesFromSysfs(sys, "../ttyUSB0").found);
    QVERIFY(!usbAttributesFromSysfs(dir.path() + "/nowhere", "ttyUSB0").found);
}

// A port without a USB parent must not pick up an idVendor lying above the sysfs root.
void TestSerialDriver::sysfsLookupStopsAtRoot() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sys = dir.path() + "/sys";
    writeFile(dir.path() + "/idVendor", "0403\n");
    QDir().mkpath(sys + "/devices/platform/serial8250/tty/ttyS0");
    makeLink("../../../devices/platform/serial8250/tty/ttyS0", sys + "/class/tty/ttyS0/device");

    QVERIFY(!usbAttributesFromSysfs(sys, "ttyS0").found);
}

// The list is what the USB-serial bus holds, FTDI's alone, in numeric order:
// another maker's adapter and a tty on no USB are left out.
void TestSerialDriver::listingTakesTheUsbSerialBusAlone() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sys = dir.path() + "/sys";
    const auto adapter = [&](const QString &tty, const QString &usb, const QByteArray &vendor,
                             const QByteArray &serial) {
        const QString device = sys + "/devices/" + usb;
        writeFile(device + "/idVendor", vendor + "\n");
        writeFile(device + "/product", "FT232R USB UART\n");
        writeFile(device + "/serial", serial + "\n");
        QDir().mkpath(device + "/1.0/" + tty);
        makeLink("../../../devices/" + usb + "/1.0/" + tty, sys + "/class/tty/" + tty + "/device");
        makeLink("../../../devices/" + usb + "/1.0/" + tty, sys + "/bus/usb-serial/devices/" + tty);
    };
    adapter("ttyUSB10", "usb1/1-1", "0403", "A10");
    adapter("ttyUSB2", "usb1/1-2", "0403", "A2");
    adapter("ttyUSB3", "usb1/1-3", "067b", "PL3"); // another maker's
    QDir().mkpath(sys + "/devices/platform/serial8250/tty/ttyS0");
    makeLink("../../../devices/platform/serial8250/tty/ttyS0", sys + "/class/tty/ttyS0/device");

    SerialPortFtDriver driver(sys);
    std::uint32_t count = 0;
    QCOMPARE(driver.listCount(count), FT_OK);
    QCOMPARE(count, 2u);
    char serial[16] = {};
    QCOMPARE(driver.listSerialNumber(0, serial, sizeof serial), FT_OK);
    QCOMPARE(QByteArray(serial), QByteArray("A2"));
    QCOMPARE(driver.listSerialNumber(1, serial, sizeof serial), FT_OK);
    QCOMPARE(QByteArray(serial), QByteArray("A10"));

    // No USB-serial driver loaded: no bus, no adapters.
    SerialPortFtDriver none(dir.path() + "/nowhere");
    QCOMPARE(none.listCount(count), FT_OK);
    QCOMPARE(count, 0u);
}

void TestSerialDriver::completionFillsOnlyWhatUdevLeftEmpty() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sys = dir.path() + "/sys";
    writeFile(sys + "/devices/usb1/1-1/idVendor", "0403\n");
    writeFile(sys + "/devices/usb1/1-1/product", "ZE23 adapter\n");
    writeFile(sys + "/devices/usb1/1-1/serial", "FT9XK1\n");
    QDir().mkpath(sys + "/devices/usb1/1-1/1-1:1.0/ttyUSB0");
    makeLink("../../../devices/usb1/1-1/1-1:1.0/ttyUSB0", sys + "/class/tty/ttyUSB0/device");

    // No udev database: everything comes from sysfs.
    FtPortEntry bare;
    bare.portName = "ttyUSB0";
    completeFromSysfs(bare, sys);
    QVERIFY(bare.hasVendorId);
    QCOMPARE(bare.vendorId, FtdiVendorId);
    QCOMPARE(bare.description, QStringLiteral("ZE23 adapter"));
    QCOMPARE(bare.serialNumber, QStringLiteral("FT9XK1"));

    // What udev did say stays; only the gap is filled.
    FtPortEntry partial = entry("/dev/ttyUSB0", QString(), "FT232R USB UART");
    completeFromSysfs(partial, sys);
    QCOMPARE(partial.description, QStringLiteral("FT232R USB UART"));
    QCOMPARE(partial.serialNumber, QStringLiteral("FT9XK1"));

    // A port sysfs knows nothing about is left as it was.
    FtPortEntry unknown;
    unknown.portName = "ttyACM0";
    completeFromSysfs(unknown, sys);
    QVERIFY(!unknown.hasVendorId);
    QVERIFY(unknown.description.isEmpty());
}

void TestSerialDriver::listBufferFilling_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("expected"); // the whole 16-byte buffer afterwards

    const QByteArray fresh(16, 'x');
    QTest::newRow("room for the zero") << "A502" << 10 << QByteArray("A502\0xxxxxxxxxxx", 16);
    QTest::newRow("exactly full: no zero") << "A50285BI" << 8 << QByteArray("A50285BIxxxxxxxx");
    QTest::newRow("longer text cut") << "A50285BI" << 4 << QByteArray("A502xxxxxxxxxxxx");
    QTest::newRow("size zero touches nothing") << "A50285BI" << 0 << fresh;
    QTest::newRow("empty text") << "" << 4 << QByteArray(1, '\0') + QByteArray(15, 'x');
    // UTF-8 bytes are copied as they are, even if the cut splits a letter.
    QTest::newRow("utf-8 cut by bytes")
        << QStringLiteral("Дат") << 3 << QByteArray("\xD0\x94\xD0xxxxxxxxxxxxx", 16);
}

void TestSerialDriver::listBufferFilling() {
    QFETCH(QString, text);
    QFETCH(int, size);
    QFETCH(QByteArray, expected);

    ListedPortsDriver driver;
    driver.ports = {entry("/dev/ttyUSB0", text, text)};

    QByteArray serial(16, 'x');
    QCOMPARE(driver.listSerialNumber(0, serial.data(), std::size_t(size)), FT_OK);
    QCOMPARE(serial, expected);

    QByteArray description(16, 'x');
    QCOMPARE(driver.listDescription(0, description.data(), std::size_t(size)), FT_OK);
    QCOMPARE(description, expected);
}

void TestSerialDriver::listUsesSnapshotAndRejectsBadIndex() {
    ListedPortsDriver driver;
    driver.ports = {entry("/dev/ttyUSB0", "AAA", "first"), entry("/dev/ttyUSB1", "BBB", "second")};
    char buf[16];

    // An index query before any count takes its own snapshot.
    QCOMPARE(driver.listSerialNumber(1, buf, sizeof buf), FT_OK);
    QCOMPARE(QByteArray(buf), QByteArray("BBB"));

    std::uint32_t count = 0;
    QCOMPARE(driver.listCount(count), FT_OK);
    QCOMPARE(count, 2u);

    // Adapters coming and going do not shift the indexes until the next count.
    driver.ports = {entry("/dev/ttyUSB1", "BBB", "second")};
    QCOMPARE(driver.listSerialNumber(0, buf, sizeof buf), FT_OK);
    QCOMPARE(QByteArray(buf), QByteArray("AAA"));
    QCOMPARE(driver.listDescription(1, buf, sizeof buf), FT_OK);
    QCOMPARE(QByteArray(buf), QByteArray("second"));

    QCOMPARE(driver.listCount(count), FT_OK);
    QCOMPARE(count, 1u);
    QCOMPARE(driver.listSerialNumber(1, buf, sizeof buf), FT_DEVICE_NOT_FOUND);
    QCOMPARE(driver.listDescription(1, buf, sizeof buf), FT_DEVICE_NOT_FOUND);
    QCOMPARE(driver.listSerialNumber(0xFFFFFFFFu, buf, sizeof buf), FT_DEVICE_NOT_FOUND);
}

void TestSerialDriver::unknownHandleRejectedEverywhere() {
    SerialPortFtDriver driver;
    std::uint8_t buf[8] = {};
    std::uint32_t n = 99, rx = 99, tx = 99, event = 99;
    for (FtHandle handle : {FtHandle(0), FtHandle(1), FtHandle(12345), FtHandle(0xFFFFFFFFu)}) {
        QCOMPARE(driver.read(handle, buf, sizeof buf, n), FT_INVALID_HANDLE);
        QCOMPARE(n, 0u);
        QCOMPARE(driver.write(handle, buf, sizeof buf, n), FT_INVALID_HANDLE);
        QCOMPARE(n, 0u);
        QCOMPARE(driver.setBaudRate(handle, 250000), FT_INVALID_HANDLE);
        QCOMPARE(driver.setDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_2, FT_PARITY_NONE),
                 FT_INVALID_HANDLE);
        // A bad value does not hide the bad handle.
        QCOMPARE(driver.setDataCharacteristics(handle, 9, 9, 9), FT_INVALID_HANDLE);
        QCOMPARE(driver.purge(handle, FT_PURGE_RX | FT_PURGE_TX), FT_INVALID_HANDLE);
        QCOMPARE(driver.getStatus(handle, rx, tx, event), FT_INVALID_HANDLE);
        QCOMPARE(driver.close(handle), FT_INVALID_HANDLE);
    }
}

void TestSerialDriver::openOfMissingSerialNumber() {
    // The machine's real port list: whatever is plugged in, this number is not.
    SerialPortFtDriver real;
    FtHandle handle = 77;
    QCOMPARE(real.openBySerialNumber("NO-SUCH-ADAPTER-4711", handle), FT_DEVICE_NOT_FOUND);
    QCOMPARE(handle, 0u);
    QVERIFY(!real.lastErrorDetail().empty());

    // Exact match only: neither a prefix nor another case is the same adapter.
    ListedPortsDriver listed;
    listed.ports = {entry("/dev/ttyUSB0", "A50285BI", "FT232R USB UART")};
    QCOMPARE(listed.openBySerialNumber("A50285B", handle), FT_DEVICE_NOT_FOUND);
    QCOMPARE(listed.openBySerialNumber("a50285bi", handle), FT_DEVICE_NOT_FOUND);
    QCOMPARE(listed.openBySerialNumber(nullptr, handle), FT_INVALID_PARAMETER);
}

void TestSerialDriver::openFailureWording_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("systemText");
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<int>("trouble");
    QTest::newRow("denied") << int(QSerialPort::PermissionError) << "Permission denied" << false
                            << int(LinkTrouble::NoPermission);
    // Allowed to use the node, yet refused: someone else holds the port.
    QTest::newRow("held") << int(QSerialPort::PermissionError) << "Permission error while locking"
                          << true << int(LinkTrouble::Busy);
    QTest::newRow("gone") << int(QSerialPort::DeviceNotFoundError) << "No such file or directory"
                          << true << int(LinkTrouble::Gone);
    QTest::newRow("other") << int(QSerialPort::OpenError) << "Input/output error" << true
                           << int(LinkTrouble::None);
}

void TestSerialDriver::openFailureWording() {
    QFETCH(int, error);
    QFETCH(QString, systemText);
    QFETCH(bool, accessible);
    QFETCH(int, trouble);
    LinkTrouble found = LinkTrouble::None;
    const QString text = SerialPortFtDriver::describeOpenFailure(
        "/dev/ttyUSB0", QSerialPort::SerialPortError(error), systemText, accessible, found);
    QCOMPARE(int(found), trouble);
    QVERIFY(text.contains("/dev/ttyUSB0"));
    QVERIFY(text.contains(systemText));
}

void TestSerialDriver::openFailureOfNonTerminal() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString plainFile = dir.path() + "/ttyUSB0";
    writeFile(plainFile, "");

    ListedPortsDriver driver;
    driver.ports = {entry(plainFile, "PLAIN", "not a tty"),
                    entry(dir.path() + "/ttyUSB9", "GONE", "vanished")};
    FtHandle handle = 5;
    QCOMPARE(driver.openBySerialNumber("PLAIN", handle), FT_DEVICE_NOT_OPENED);
    QCOMPARE(handle, 0u);
    QVERIFY(QString::fromStdString(driver.lastErrorDetail()).contains(plainFile));

    QCOMPARE(driver.openBySerialNumber("GONE", handle), FT_DEVICE_NOT_OPENED);
    QVERIFY(QString::fromStdString(driver.lastErrorDetail()).contains("ttyUSB9"));
    QCOMPARE(driver.lastTrouble(), LinkTrouble::Gone);
}

void TestSerialDriver::ptyTransfersAndSettings() {
    PseudoTerminal pty;
    if (!pty.isValid())
        QSKIP("no pseudo-terminals here");
    ListedPortsDriver driver;
    driver.ports = {entry(pty.slavePath(), "PTY0001", "pseudo adapter")};

    FtHandle handle = 0;
    QCOMPARE(driver.openBySerialNumber("PTY0001", handle), FT_OK);
    QVERIFY(handle != 0);
    QVERIFY(driver.lastErrorDetail().empty());

    // One port is held once.
    FtHandle second = 0;
    QCOMPARE(driver.openBySerialNumber("PTY0001", second), FT_DEVICE_NOT_OPENED);
    QCOMPARE(second, 0u);
    QCOMPARE(driver.lastTrouble(), LinkTrouble::Busy);

    QCOMPARE(driver.setBaudRate(handle, 250000), FT_OK);
    QCOMPARE(driver.setBaudRate(handle, 0), FT_INVALID_BAUD_RATE);
    QCOMPARE(driver.setDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_2, FT_PARITY_NONE),
             FT_OK);
    // A pty keeps eight data bits without parity and refuses the rest as a bad value.
    QCOMPARE(driver.setDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE),
             FT_OK);
    QCOMPARE(driver.setDataCharacteristics(handle, 9, FT_STOP_BITS_1, FT_PARITY_NONE),
             FT_INVALID_PARAMETER);
    QCOMPARE(driver.setDataCharacteristics(handle, 5, FT_STOP_BITS_1, FT_PARITY_NONE),
             FT_INVALID_PARAMETER);
    QCOMPARE(driver.setDataCharacteristics(handle, FT_BITS_8, 1, FT_PARITY_NONE),
             FT_INVALID_PARAMETER);
    QCOMPARE(driver.setDataCharacteristics(handle, FT_BITS_8, 3, FT_PARITY_NONE),
             FT_INVALID_PARAMETER);
    QCOMPARE(driver.setDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, 5),
             FT_INVALID_PARAMETER);
    QCOMPARE(driver.setDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_2, FT_PARITY_NONE),
             FT_OK);

    std::uint32_t rx = 9, tx = 9, event = 9;
    QCOMPARE(driver.getStatus(handle, rx, tx, event), FT_OK);
    QCOMPARE(rx, 0u);
    QCOMPARE(tx, 0u);
    QCOMPARE(event, 0u);

    // Out through the driver, in at the far end.
    const std::uint8_t frame[] = {0x55, 0xAA, 0x01, 0x02, 0x03};
    std::uint32_t written = 0;
    QCOMPARE(driver.write(handle, frame, sizeof frame, written), FT_OK);
    QCOMPARE(written, std::uint32_t(sizeof frame));
    QCOMPARE(pty.receive(sizeof frame), QByteArray(reinterpret_cast<const char *>(frame), 5));

    // In from the far end: the count is what waits, the read takes no more than asked.
    std::uint8_t buf[16] = {};
    std::uint32_t got = 99;
    QCOMPARE(driver.read(handle, buf, sizeof buf, got), FT_OK); // nothing there: no wait
    QCOMPARE(got, 0u);
    QVERIFY(pty.send("hello"));
    QCOMPARE(rxWhenAtLeast(driver, handle, 5), 5u);
    QCOMPARE(driver.read(handle, buf, 3, got), FT_OK);
    QCOMPARE(got, 3u);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 3), QByteArray("hel"));
    QCOMPARE(driver.getStatus(handle, rx, tx, event), FT_OK);
    QCOMPARE(rx, 2u);
    QCOMPARE(driver.read(handle, buf, sizeof buf, got), FT_OK);
    QCOMPARE(got, 2u);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 2), QByteArray("lo"));

    // A read finds bytes that arrived since the last status call.
    QVERIFY(pty.send("xyz"));
    QDeadlineTimer deadline(5000);
    std::uint32_t total = 0;
    while (total < 3 && !deadline.hasExpired()) {
        QCOMPARE(driver.read(handle, buf + total, 3 - total, got), FT_OK);
        total += got;
        ::sched_yield();
    }
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 3), QByteArray("xyz"));

    // Purging the receive side drops what waits.
    QVERIFY(pty.send("stale"));
    QCOMPARE(rxWhenAtLeast(driver, handle, 5), 5u);
    QCOMPARE(driver.purge(handle, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    QCOMPARE(driver.getStatus(handle, rx, tx, event), FT_OK);
    QCOMPARE(rx, 0u);
    QCOMPARE(tx, 0u);

    QCOMPARE(driver.close(handle), FT_OK);
}

void TestSerialDriver::ptyHandlesAfterClose() {
    PseudoTerminal pty;
    if (!pty.isValid())
        QSKIP("no pseudo-terminals here");
    ListedPortsDriver driver;
    driver.ports = {entry(pty.slavePath(), "PTY0002", "pseudo adapter")};

    FtHandle first = 0;
    QCOMPARE(driver.openBySerialNumber("PTY0002", first), FT_OK);
    QCOMPARE(driver.close(first), FT_OK);
    QCOMPARE(driver.close(first), FT_INVALID_HANDLE);

    // Reopening works (the port and its lock were given back) and the old handle stays dead.
    FtHandle again = 0;
    QCOMPARE(driver.openBySerialNumber("PTY0002", again), FT_OK);
    QVERIFY(again != 0);
    QVERIFY(again != first);
    std::uint32_t rx = 0, tx = 0, event = 0;
    QCOMPARE(driver.getStatus(first, rx, tx, event), FT_INVALID_HANDLE);
    QCOMPARE(driver.setBaudRate(first, 250000), FT_INVALID_HANDLE);
    QCOMPARE(driver.getStatus(again, rx, tx, event), FT_OK);
    QCOMPARE(driver.close(again), FT_OK);
}

void TestSerialDriver::ptyHangUpFailsWithoutCrash() {
    auto pty = std::make_unique<PseudoTerminal>();
    if (!pty->isValid())
        QSKIP("no pseudo-terminals here");
    ListedPortsDriver driver;
    driver.ports = {entry(pty->slavePath(), "PTY0003", "pseudo adapter")};

    FtHandle handle = 0;
    QCOMPARE(driver.openBySerialNumber("PTY0003", handle), FT_OK);
    QCOMPARE(driver.setBaudRate(handle, 250000), FT_OK);
    QVERIFY(pty->send("ab"));
    QCOMPARE(rxWhenAtLeast(driver, handle, 2), 2u);

    pty.reset();

    std::uint32_t rx = 0, tx = 0, event = 0;
    QCOMPARE(driver.getStatus(handle, rx, tx, event), FT_IO_ERROR);
    QVERIFY(!driver.lastErrorDetail().empty());
    QCOMPARE(driver.lastTrouble(), LinkTrouble::Gone);

    // Every later call fails quickly; close still gives the handle back.
    std::uint8_t buf[8] = {1, 2, 3};
    std::uint32_t n = 0;
    QVERIFY(driver.getStatus(handle, rx, tx, event) != FT_OK);
    QVERIFY(driver.read(handle, buf, sizeof buf, n) != FT_OK);
    QCOMPARE(n, 0u);
    QVERIFY(driver.write(handle, buf, 3, n) != FT_OK);
    QVERIFY(driver.setBaudRate(handle, 250000) != FT_OK);
    QVERIFY(driver.setDataCharacteristics(handle, 8, 2, 0) != FT_OK);
    QVERIFY(driver.purge(handle, FT_PURGE_RX) != FT_OK);
    QCOMPARE(driver.close(handle), FT_OK);
    QCOMPARE(driver.close(handle), FT_INVALID_HANDLE);
}

// In the application Qt's own notifier usually meets the hang-up first, between polls; the
// port is closed then, before the next poll.
void TestSerialDriver::ptyHangUpSeenByEventLoop() {
    auto pty = std::make_unique<PseudoTerminal>();
    if (!pty->isValid())
        QSKIP("no pseudo-terminals here");
    ListedPortsDriver driver;
    driver.ports = {entry(pty->slavePath(), "PTY0004", "pseudo adapter")};

    FtHandle handle = 0;
    QCOMPARE(driver.openBySerialNumber("PTY0004", handle), FT_OK);
    pty.reset();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();

    std::uint8_t buf[8] = {};
    std::uint32_t n = 0;
    QCOMPARE(driver.write(handle, buf, sizeof buf, n), FT_DEVICE_NOT_FOUND);
    std::uint32_t rx = 0, tx = 0, event = 0;
    QVERIFY(driver.getStatus(handle, rx, tx, event) != FT_OK);
    QCOMPARE(driver.close(handle), FT_OK);
}

void TestSerialDriver::hotplugMonitorSetsUpAndTearsDown() {
    // Two at once share nothing; either both listen or neither can. Tearing down with the
    // notifier registered must leave the event loop without a dangling socket.
    auto first = std::make_unique<UsbHotplugMonitor>();
    auto second = std::make_unique<UsbHotplugMonitor>();
    QCOMPARE(first->isActive(), second->isActive());
    QCoreApplication::processEvents();
    first.reset();
    QCoreApplication::processEvents();
    second.reset();
    QCoreApplication::processEvents();
}

QTEST_GUILESS_MAIN(TestSerialDriver)
#include "test_serial_driver.moc"
