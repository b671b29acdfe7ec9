// A real instrument on the desk, for whoever has one: the adapter named by
// ZE23_TEST_ADAPTER (its serial number, as `ze23-cli list` shows it) is opened
// through the kernel's serial driver, the instrument identified and all its
// settings read as `ze23-cli read` reads them. Nothing is written: every
// frame sent is checked to be a request to identify or to read. Without the
// variable the test is skipped.

#include "cli/AdapterList.h"
#include "cli/BenchRun.h"
#include "link/SerialPortFtDriver.h"
#include "protocol/InstrumentKind.h"
#include "settings/SnapshotJson.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace {
// The serial-port driver, with every byte written to the adapter kept.
class WatchedDriver : public FtDriver {
  public:
    explicit WatchedDriver(FtDriver &inner) : inner_(inner) {}

    std::vector<Frame> frames() const {
        std::vector<Frame> all;
        for (std::size_t at = 0; at + FrameSize <= sent_.size(); at += FrameSize) {
            Frame f;
            std::copy_n(sent_.begin() + static_cast<std::ptrdiff_t>(at), FrameSize, f.begin());
            all.push_back(f);
        }
        return all;
    }

    FtStatus listCount(std::uint32_t &count) override { return inner_.listCount(count); }
    FtStatus listSerialNumber(std::uint32_t index, char *buffer, std::size_t size) override {
        return inner_.listSerialNumber(index, buffer, size);
    }
    FtStatus listDescription(std::uint32_t index, char *buffer, std::size_t size) override {
        return inner_.listDescription(index, buffer, size);
    }
    FtStatus openBySerialNumber(const char *serial, FtHandle &handle) override {
        return inner_.openBySerialNumber(serial, handle);
    }
    FtStatus close(FtHandle handle) override { return inner_.close(handle); }
    FtStatus read(FtHandle handle, std::uint8_t *buffer, std::uint32_t toRead,
                  std::uint32_t &got) override {
        return inner_.read(handle, buffer, toRead, got);
    }
    FtStatus write(FtHandle handle, const std::uint8_t *buffer, std::uint32_t toWrite,
                   std::uint32_t &written) override {
        const FtStatus status = inner_.write(handle, buffer, toWrite, written);
        sent_.insert(sent_.end(), buffer, buffer + toWrite);
        return status;
    }
    FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) override {
        return inner_.setBaudRate(handle, baud);
    }
    FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override {
        return inner_.setDataCharacteristics(handle, wordLength, stopBits, parity);
    }
    FtStatus purge(FtHandle handle, std::uint32_t mask) override {
        return inner_.purge(handle, mask);
    }
    FtStatus getStatus(FtHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                       std::uint32_t &event) override {
        return inner_.getStatus(handle, rxBytes, txBytes, event);
    }
    std::string lastErrorDetail() const override { return inner_.lastErrorDetail(); }
    LinkTrouble lastTrouble() const override { return inner_.lastTrouble(); }

  private:
    FtDriver &inner_;
    std::vector<std::uint8_t> sent_;
};

// The base asked who it is, or a block of the kind asked for its version or
// a setting; anything else would change the instrument.
bool onlyAsks(const Frame &f, int kind) {
    if (f[0] == Block::address(Block::Base))
        return f[1] == Code::Identify &&
               std::all_of(f.begin() + 2, f.end() - 1, [](auto b) { return b == 0; });
    for (const BlockLayout *layout : settingsOfKind(static_cast<std::uint8_t>(kind))) {
        if (f[0] != layout->address())
            continue;
        if (f[1] == layout->versionCode)
            return true;
        return std::any_of(layout->settings.begin(), layout->settings.end(),
                           [&](const SettingLayout &s) { return s.readCode == f[1]; });
    }
    return false;
}
} // namespace

class TestRealInstrument : public QObject {
    Q_OBJECT

  private slots:
    void readsEverySetting() {
        const QString adapter = qEnvironmentVariable("ZE23_TEST_ADAPTER");
        if (adapter.isEmpty())
            QSKIP("ZE23_TEST_ADAPTER does not name an adapter: no instrument to read");

        SerialPortFtDriver serialPorts;
        WatchedDriver driver(serialPorts);
        std::string listError;
        const auto listed = listAdapters(driver, listError);
        QVERIFY2(listed, listError.c_str());
        QStringList names;
        for (const AdapterEntry &a : *listed)
            names << QString::fromStdString(a.serialNumber + " " + a.description);
        QVERIFY2(std::any_of(listed->begin(), listed->end(),
                             [&](const AdapterEntry &a) {
                                 return QString::fromStdString(a.serialNumber) == adapter;
                             }),
                 qPrintable("adapter " + adapter + " is not among those plugged in: " +
                            (names.isEmpty() ? QString("none") : names.join(", "))));

        const JobOrder order{BenchCommand::Read, adapter.toStdString(), std::nullopt, false, 0};
        std::vector<std::unique_ptr<InstrumentJob>> jobs;
        jobs.push_back(std::make_unique<InstrumentJob>(driver, order));
        // Each tick waits on the line; the job gives up on silence by itself.
        runTogether(jobs, [](int ms) {
            QEventLoop loop;
            QTimer::singleShot(ms, &loop, &QEventLoop::quit);
            loop.exec();
        });
        const JobOutcome &outcome = jobs.front()->outcome();
        QVERIFY2(outcome.ok, outcome.failure.c_str());
        const int kind = *outcome.kind;
        qInfo().noquote() << adapter + ": вид " + QString::number(kind) + ", " +
                                 QString::fromStdString(modelLine(kind, outcome.serialNumber));
        qInfo().noquote() << SnapshotJson::toJson(*outcome.snapshot);

        for (const Frame &f : driver.frames())
            QVERIFY2(
                onlyAsks(f, kind),
                qPrintable(
                    "sent something other than a request to read: " +
                    QByteArray(reinterpret_cast<const char *>(f.data()), FrameSize).toHex(' ')));
        const auto layouts = settingsOfKind(static_cast<std::uint8_t>(kind));
        QCOMPARE(outcome.snapshot->blocks.size(), layouts.size());
        for (const BlockLayout *layout : layouts) {
            const BlockSnapshot *b = outcome.snapshot->block(layout->name);
            QVERIFY2(b && b->version, layout->name);
            for (const SettingLayout &s : layout->settings)
                QVERIFY2(b->values.count(s.key), s.key);
        }
    }
};

QTEST_GUILESS_MAIN(TestRealInstrument)
#include "test_real_instrument.moc"
