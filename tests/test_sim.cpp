// The virtual instrument and its driver: the replies the tool relies on, their
// timing on the byte path, and the line trouble the tool must survive.

#include "protocol/SensorCodes.h"
#include "sim/CatalyticSensorModel.h"
#include "sim/OpticalBlockModel.h"
#include "sim/OxygenBlockModel.h"
#include "sim/PgsBlockModel.h"
#include "sim/ReplyWords.h"
#include "sim/SemiconductorSensorModel.h"
#include "sim/SimFtDriver.h"
#include "sim/VirtualInstrument.h"

#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using VI = VirtualInstrument;

Frame command(std::uint8_t address, std::uint8_t code, std::uint8_t b2 = 0, std::uint8_t b3 = 0,
              std::uint8_t b4 = 0, std::uint8_t b5 = 0, std::uint8_t b6 = 0) {
    return sealed(Frame{address, code, b2, b3, b4, b5, b6, 0});
}

const std::uint8_t BaseAddr = Block::address(Block::Base);
const std::uint8_t PumpAddr = Block::address(Block::Pump);

using Catalytic = CatalyticSensorModel;
using Pgs = PgsBlockModel;

// The block's reply to `code` with word `a` in bytes 3, 4 and `b` in 5, 6.
Frame ask(VirtualInstrument &vi, std::uint8_t address, std::uint8_t code, int a = 0, int b = 0) {
    return vi
        .answer(command(address, code, 0, std::uint8_t(a), std::uint8_t(a >> 8), std::uint8_t(b),
                        std::uint8_t(b >> 8)))
        .value();
}

// Calibration gas, threshold 1, threshold 2 and switch-off threshold as 3 and 4 read them.
QList<int> readParameters(VirtualInstrument &vi, std::uint8_t address) {
    const Frame r3 = ask(vi, address, CatalyticCode::ReadCalibrationGas);
    const Frame r4 = ask(vi, address, CatalyticCode::ReadThresholds);
    return {signed16(r3, 3), signed16(r3, 5), signed16(r4, 3), signed16(r4, 5)};
}

QByteArray toBytes(const Frame &f) {
    return QByteArray(reinterpret_cast<const char *>(f.data()), static_cast<qsizetype>(f.size()));
}

Frame toFrame(const QByteArray &b) {
    Frame f{};
    std::memcpy(f.data(), b.constData(), FrameSize);
    return f;
}

// A driver on a clock the test winds by hand.
class Bench {
  public:
    Bench() = default;
    Bench(const Bench &) = delete;
    Bench &operator=(const Bench &) = delete;

    std::int64_t t = 1000;
    SimFtDriver driver{[this] { return t; }};

    // Opens adapter `index`; with `lineUp` also sets the instrument's line.
    FtHandle open(std::size_t index, bool lineUp = true) {
        FtHandle h = 0;
        if (driver.openBySerialNumber(driver.serialNumber(index).c_str(), h) != FT_OK)
            return 0;
        if (lineUp) {
            driver.setBaudRate(h, SimFtDriver::LineBaud);
            driver.setDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_2, FT_PARITY_NONE);
        }
        return h;
    }
    void send(FtHandle h, const QByteArray &b) {
        std::uint32_t written = 0;
        driver.write(h, reinterpret_cast<const std::uint8_t *>(b.constData()),
                     static_cast<std::uint32_t>(b.size()), written);
    }
    void send(FtHandle h, const Frame &f) { send(h, toBytes(f)); }
    std::uint32_t waiting(FtHandle h) {
        std::uint32_t rx = 0, tx = 0, ev = 0;
        driver.getStatus(h, rx, tx, ev);
        return rx;
    }
    QByteArray take(FtHandle h, std::uint32_t n = 256) {
        QByteArray b(static_cast<qsizetype>(n), '\0');
        std::uint32_t got = 0;
        driver.read(h, reinterpret_cast<std::uint8_t *>(b.data()), n, got);
        b.resize(got);
        return b;
    }
    void pass(std::int64_t ms) { t += ms; }
    // One command and its whole reply, as the tool sees them one tick later.
    std::optional<Frame> exchange(FtHandle h, const Frame &f) {
        send(h, f);
        pass(SimFtDriver::MaxReplyDelayMs);
        const QByteArray b = take(h);
        if (b.size() != FrameSize)
            return std::nullopt;
        return toFrame(b);
    }
};

} // namespace

class TestSim : public QObject {
    Q_OBJECT

  private slots:
    void adapterList_data();
    void adapterList();
    void listBufferIsFilledLikeTheLibrary();
    void identification_data();
    void identification();
    void replyWaitsForItsDelay();
    void twoCommandsGiveTwoRepliesInOrder();
    void partialWrites_data();
    void partialWrites();
    void purgeDropsRepliesAndPartialInput();
    void sensorTypeCodeSetsKind_data();
    void sensorTypeCodeSetsKind();
    void pollKeepsStandChannel();
    void powerOffThenSilenceUntilReopened();
    void testModeLedAndSound_data();
    void testModeLedAndSound();
    void stateBits_data();
    void stateBits();
    void lostLinkSilencesBlock();
    void batteryDriftsWithinRange();
    void batteryHeldAndFailing();
    void sameStartValueSameRun();
    void silentFrames_data();
    void silentFrames();
    void sensorBlockOfEachKind_data();
    void sensorBlockOfEachKind();
    void catalyticParameters_data();
    void catalyticParameters();
    void calibrationPoints();
    void alarmBits_data();
    void alarmBits();
    void semiconductorSensor_data();
    void semiconductorSensor();
    void pgsThresholds();
    void demoGasPuffs_data();
    void demoGasPuffs();
    void opticalReplies_data();
    void opticalReplies();
    void opticalLinkError();
    void oxygenParameters();
    void oxygenFrontEnd_data();
    void oxygenFrontEnd();
    void oxygenAlarms_data();
    void oxygenAlarms();
    void oxygenTemperature();
    void pumpStepsStayWithinLimits_data();
    void pumpStepsStayWithinLimits();
    void pumpOnOffVersionAndCurrent();
    void pumpSetupAndSave();
    void pumpPositionSensor();
    void faults_data();
    void faults();
    void splitAndExtraDelay();
    void wrongLineSettings_data();
    void wrongLineSettings();
    void invalidLineValuesRefused();
    void unknownHandle_data();
    void unknownHandle();
    void openRefusals();
};

// ---- Adapter list -------------------------------------------------------------

void TestSim::adapterList_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("serial");
    QTest::newRow("ТКС") << 0 << 1 << "ЗЭ-23 виртуальный: ТКС"
                         << "FTV111D6";
    QTest::newRow("ТКС+ПГС") << 1 << 2 << "ЗЭ-23 виртуальный: ТКС+ПГС"
                             << "FTV11WMD";
    QTest::newRow("водород") << 2 << 3 << "ЗЭ-23 виртуальный: ТКС+ПГС водород"
                             << "FTV12RVK";
    QTest::newRow("ПГС") << 3 << 4 << "ЗЭ-23 виртуальный: ПГС"
                         << "FTV13N4R";
    QTest::newRow("оптика") << 4 << 5 << "ЗЭ-23 виртуальный: Оптика метан"
                            << "FTV14IDY";
    QTest::newRow("кислород") << 5 << 7 << "ЗЭ-23 виртуальный: Кислород"
                              << "FTV168WC";
}

void TestSim::adapterList() {
    QFETCH(int, index);
    QFETCH(int, kind);
    QFETCH(QString, description);
    QFETCH(QString, serial);
    Bench b;
    std::uint32_t count = 0;
    QCOMPARE(b.driver.listCount(count), FT_OK);
    QCOMPARE(count, 6u);

    const auto i = static_cast<std::uint32_t>(index);
    char text[64];
    QCOMPARE(b.driver.listDescription(i, text, sizeof text), FT_OK);
    QVERIFY(std::memchr(text, 0, sizeof text) != nullptr); // fits with its zero
    QCOMPARE(QString::fromUtf8(text), description);
    char sn[16];
    QCOMPARE(b.driver.listSerialNumber(i, sn, sizeof sn), FT_OK);
    QCOMPARE(QString::fromLatin1(sn), serial);
    QCOMPARE(int(b.driver.instrument(i).kind()), kind);

    // Instrument serial numbers differ from adapter to adapter.
    for (std::size_t j = 0; j < b.driver.adapterCount(); ++j)
        if (j != i)
            QVERIFY(b.driver.instrument(j).serialNumber() != b.driver.instrument(i).serialNumber());
}

void TestSim::listBufferIsFilledLikeTheLibrary() {
    Bench b;
    char small[5];
    std::memset(small, 'x', sizeof small);
    QCOMPARE(b.driver.listSerialNumber(0, small, 4), FT_OK);
    QCOMPARE(QByteArray(small, 5), QByteArray("FTV1x")); // cut, no zero, nothing past 4
    char sn[16];
    QCOMPARE(b.driver.listSerialNumber(6, sn, sizeof sn), FT_DEVICE_NOT_FOUND);
    QCOMPARE(b.driver.listDescription(6, sn, sizeof sn), FT_DEVICE_NOT_FOUND);
}

// ---- Base block ---------------------------------------------------------------

void TestSim::identification_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("reply");
    // Kind in byte 4, serial number little-endian in 5 and 6, XOR in 7.
    QTest::newRow("kind 1") << 0 << QByteArray::fromHex("00090000013D5A6F");
    QTest::newRow("kind 2") << 1 << QByteArray::fromHex("0009000002A25AF3");
    QTest::newRow("kind 3") << 2 << QByteArray::fromHex("0009000003075B56");
    QTest::newRow("kind 4") << 3 << QByteArray::fromHex("00090000046C5B3A");
    QTest::newRow("kind 5") << 4 << QByteArray::fromHex("0009000005D15B86");
    QTest::newRow("kind 7") << 5 << QByteArray::fromHex("00090000079B5CC9");
}

void TestSim::identification() {
    QFETCH(int, index);
    QFETCH(QByteArray, reply);
    Bench b;
    const FtHandle h = b.open(static_cast<std::size_t>(index));
    QVERIFY(h != 0);
    b.send(h, command(BaseAddr, Code::Identify));
    b.pass(SimFtDriver::MaxReplyDelayMs);
    QCOMPARE(b.take(h).toHex(' '), reply.toHex(' '));
}

void TestSim::replyWaitsForItsDelay() {
    Bench b;
    const FtHandle h = b.open(0);
    b.send(h, command(BaseAddr, Code::Poll));
    QCOMPARE(b.waiting(h), 0u);
    b.pass(SimFtDriver::MinReplyDelayMs - 1);
    QCOMPARE(b.waiting(h), 0u);
    QCOMPARE(b.take(h).size(), 0);
    b.pass(SimFtDriver::MaxReplyDelayMs - SimFtDriver::MinReplyDelayMs + 1);
    QCOMPARE(b.waiting(h), 8u);
    const Frame r = toFrame(b.take(h));
    QCOMPARE(r[0], Block::Base);
    QCOMPARE(r[1], Code::Poll);
    QVERIFY(checksumHolds(r));
    QCOMPARE(b.waiting(h), 0u);
}

void TestSim::twoCommandsGiveTwoRepliesInOrder() {
    // Replies come back in the order of their commands, even when the second
    // one's own delay is the shorter; several start values make sure of that.
    for (std::uint32_t start = 1; start <= 20; ++start) {
        std::int64_t t = 0;
        SimFtDriver d([&t] { return t; }, start);
        FtHandle h = 0;
        d.openBySerialNumber(d.serialNumber(2).c_str(), h);
        d.setBaudRate(h, SimFtDriver::LineBaud);
        d.setDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_2, FT_PARITY_NONE);
        const QByteArray both =
            toBytes(command(BaseAddr, Code::Identify)) + toBytes(command(PumpAddr, Code::Poll));
        std::uint32_t n = 0;
        d.write(h, reinterpret_cast<const std::uint8_t *>(both.constData()), 16, n);
        QByteArray got;
        for (; t <= SimFtDriver::MaxReplyDelayMs; ++t) {
            std::uint8_t buf[16];
            d.read(h, buf, sizeof buf, n);
            got += QByteArray(reinterpret_cast<const char *>(buf), qsizetype(n));
        }
        QCOMPARE(got.size(), 16);
        const Frame first = toFrame(got.left(8));
        const Frame second = toFrame(got.mid(8));
        QCOMPARE(int(first[0]), int(Block::Base));
        QCOMPARE(int(first[1]), int(Code::Identify));
        QCOMPARE(int(second[0]), int(Block::Pump));
        QCOMPARE(int(second[1]), int(Code::Poll));
        QVERIFY(checksumHolds(first) && checksumHolds(second));
    }
}

void TestSim::partialWrites_data() {
    QTest::addColumn<QList<int>>("pieces");
    QTest::newRow("byte, then the rest") << QList<int>{1, 15};
    QTest::newRow("frame by frame") << QList<int>{8, 8};
    QTest::newRow("across the boundary") << QList<int>{3, 9, 4};
    QTest::newRow("frame and a byte, then the rest") << QList<int>{9, 7};
    QTest::newRow("byte by byte") << QList<int>(16, 1);
}

void TestSim::partialWrites() {
    QFETCH(QList<int>, pieces);
    Bench b;
    const FtHandle h = b.open(0);
    const QByteArray stream =
        toBytes(command(BaseAddr, Code::Identify)) + toBytes(command(BaseAddr, Code::Poll));
    qsizetype at = 0;
    for (int n : pieces) {
        b.send(h, stream.mid(at, n));
        at += n;
        b.pass(5);
    }
    b.pass(SimFtDriver::MaxReplyDelayMs);
    const QByteArray got = b.take(h);
    QCOMPARE(got.size(), 16);
    QCOMPARE(got[1], char(Code::Identify));
    QCOMPARE(got[9], char(Code::Poll));
    QCOMPARE(b.driver.written(0).size(), std::size_t(2));
}

void TestSim::purgeDropsRepliesAndPartialInput() {
    Bench b;
    const FtHandle h = b.open(0);
    // A reply already readable and one still on its way both go.
    b.send(h, command(BaseAddr, Code::Poll));
    b.pass(SimFtDriver::MaxReplyDelayMs);
    b.send(h, command(BaseAddr, Code::Poll));
    QCOMPARE(b.driver.purge(h, FT_PURGE_RX), FT_OK);
    b.pass(100);
    QCOMPARE(b.waiting(h), 0u);

    // Half a frame is forgotten, so the next command is framed afresh.
    b.send(h, toBytes(command(BaseAddr, Code::Poll)).left(3));
    QCOMPARE(b.driver.purge(h, FT_PURGE_TX), FT_OK);
    const std::optional<Frame> r = b.exchange(h, command(BaseAddr, Code::Identify));
    QVERIFY(r);
    QCOMPARE((*r)[1], Code::Identify);
}

void TestSim::sensorTypeCodeSetsKind_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<int>("kindAfter");
    QTest::newRow("poll, ПГС") << int(Code::Poll) << 4 << 4;
    QTest::newRow("identify, кислород") << int(Code::Identify) << 7 << 7;
    QTest::newRow("poll, no code") << int(Code::Poll) << 0 << 1;
    QTest::newRow("any value is kept") << int(Code::Poll) << 0x42 << 0x42;
    QTest::newRow("not from test mode") << int(BaseCode::TestMode) << 4 << 1;
}

void TestSim::sensorTypeCodeSetsKind() {
    QFETCH(int, code);
    QFETCH(int, typeCode);
    QFETCH(int, kindAfter);
    Bench b;
    const FtHandle h = b.open(0); // kind 1
    QVERIFY(b.exchange(h, command(BaseAddr, std::uint8_t(code), 0, 0, std::uint8_t(typeCode))));
    const std::optional<Frame> id = b.exchange(h, command(BaseAddr, Code::Identify));
    QVERIFY(id);
    QCOMPARE(int((*id)[4]), kindAfter);

    // The sensor block follows the kind.
    const bool tksAnswers =
        b.exchange(h, command(Block::address(Block::Tks), Code::Poll)).has_value();
    const bool pgsAnswers =
        b.exchange(h, command(Block::address(Block::Pgs), Code::Poll)).has_value();
    QCOMPARE(tksAnswers, kindAfter == 1);
    QCOMPARE(pgsAnswers, kindAfter == 4);
    VI &vi = b.driver.instrument(0);
    QCOMPARE(vi.catalytic() != nullptr, kindAfter == 1);
    QCOMPARE(vi.pgs() != nullptr, kindAfter == 4);
    QVERIFY(!vi.semiconductor());
}

void TestSim::pollKeepsStandChannel() {
    VI vi(1, 100);
    QVERIFY(vi.answer(command(BaseAddr, Code::Poll, 17)));
    QCOMPARE(vi.channel(), std::uint8_t(17));
    QVERIFY(vi.answer(command(BaseAddr, Code::Identify, 5)));
    QCOMPARE(vi.channel(), std::uint8_t(17)); // only a poll carries the channel
    QVERIFY(vi.answer(command(BaseAddr, Code::Poll, 32)));
    QCOMPARE(vi.channel(), std::uint8_t(32));
}

void TestSim::powerOffThenSilenceUntilReopened() {
    Bench b;
    FtHandle h = b.open(3);
    const std::optional<Frame> bye = b.exchange(h, command(BaseAddr, BaseCode::PowerOff));
    QVERIFY(bye);
    QCOMPARE((*bye)[0], Block::Base);
    QCOMPARE((*bye)[1], BaseCode::PowerOff);
    QVERIFY(checksumHolds(*bye));

    for (const Frame &f : {command(BaseAddr, Code::Identify), command(BaseAddr, Code::Poll),
                           command(PumpAddr, Code::Poll)}) {
        b.send(h, f);
        b.pass(500);
        QCOMPARE(b.waiting(h), 0u);
    }

    QCOMPARE(b.driver.close(h), FT_OK);
    h = b.open(3);
    QVERIFY(h != 0);
    QVERIFY(!b.driver.instrument(3).isOff());
    QVERIFY(b.exchange(h, command(BaseAddr, Code::Identify)));
}

void TestSim::testModeLedAndSound_data() {
    QTest::addColumn<QByteArray>("sequence"); // three bytes a step: code, byte 3, byte 4
    QTest::addColumn<bool>("test");
    QTest::addColumn<bool>("led");
    QTest::addColumn<bool>("sound");
    QTest::newRow("LED on") << QByteArray::fromHex("06ff00") << true << true << false;
    QTest::newRow("sound") << QByteArray::fromHex("060010") << true << false << true;
    QTest::newRow("LED on, then off") << QByteArray::fromHex("06ff00"
                                                             "060000")
                                      << true << false << false;
    QTest::newRow("LED and sound, then working mode") << QByteArray::fromHex("06ff00"
                                                                             "060010"
                                                                             "070000")
                                                      << false << false << false;
}

void TestSim::testModeLedAndSound() {
    QFETCH(QByteArray, sequence);
    QFETCH(bool, test);
    QFETCH(bool, led);
    QFETCH(bool, sound);
    VI vi(2, 100);
    std::optional<Frame> last;
    for (qsizetype i = 0; i + 2 < sequence.size(); i += 3) {
        const auto code = std::uint8_t(sequence[i]);
        last = vi.answer(command(BaseAddr, code, 0, std::uint8_t(sequence[i + 1]),
                                 std::uint8_t(sequence[i + 2])));
        QVERIFY(last);
        QCOMPARE((*last)[1], code);
    }
    QCOMPARE(vi.testMode(), test);
    QCOMPARE(vi.ledOn(), led);
    QCOMPARE(vi.soundOn(), sound);
    QCOMPARE(bool((*last)[2] & BaseState::TestMode), test);
    // The test-mode reply has the poll layout: battery in bytes 5 and 6.
    QCOMPARE(int(word16(*last, 5)), vi.batteryMillivolts());
}

void TestSim::stateBits_data() {
    QTest::addColumn<int>("hook");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("link");
    QTest::newRow("all well") << 0 << 0x00 << 0x00;
    QTest::newRow("contact broken") << 1 << 0x10 << 0x00;
    QTest::newRow("charging") << 2 << 0x08 << 0x00;
    QTest::newRow("discharged") << 3 << 0x04 << 0x00;
    QTest::newRow("menu") << 4 << 0x02 << 0x00;
    QTest::newRow("no sensor block") << 5 << 0x00 << 0x02;
    QTest::newRow("no pump") << 6 << 0x00 << 0x01;
}

void TestSim::stateBits() {
    QFETCH(int, hook);
    QFETCH(int, state);
    QFETCH(int, link);
    VI vi(1, 100);
    switch (hook) {
    case 1:
        vi.setBatteryContactBroken(true);
        break;
    case 2:
        vi.setCharging(true);
        break;
    case 3:
        vi.setBatteryMillivolts(VI::DischargedBelowMv - 1);
        break;
    case 4:
        vi.setMenuActive(true);
        break;
    case 5:
        vi.setSensorLinkLost(true);
        break;
    case 6:
        vi.setPumpLinkLost(true);
        break;
    }
    const std::optional<Frame> r = vi.answer(command(BaseAddr, Code::Poll));
    QVERIFY(r);
    QCOMPARE(int((*r)[2]), state);
    QCOMPARE(int((*r)[3]), link);
    QCOMPARE(int((*r)[4]), 0);
}

void TestSim::lostLinkSilencesBlock() {
    VI vi(1, 100);
    const Frame tksPoll = command(Block::address(Block::Tks), Code::Poll);
    const Frame pumpPoll = command(PumpAddr, Code::Poll);
    vi.setSensorLinkLost(true);
    QVERIFY(!vi.answer(tksPoll));
    QVERIFY(vi.answer(pumpPoll));
    vi.setSensorLinkLost(false);
    vi.setPumpLinkLost(true);
    QVERIFY(vi.answer(tksPoll));
    QVERIFY(!vi.answer(pumpPoll));
}

void TestSim::batteryDriftsWithinRange() {
    VI vi(1, 100, 7);
    int previous = vi.batteryMillivolts();
    int lowest = previous, highest = previous;
    for (int i = 0; i < 2000; ++i) {
        const Frame r = *vi.answer(command(BaseAddr, Code::Poll));
        const int mv = word16(r, 5);
        QVERIFY2(mv >= VI::BatteryLowMv && mv <= VI::BatteryHighMv,
                 qPrintable(QString::number(mv)));
        QVERIFY(std::abs(mv - previous) <= 4);
        QCOMPARE(r[2] & BaseState::Discharged, 0);
        lowest = std::min(lowest, mv);
        highest = std::max(highest, mv);
        previous = mv;
    }
    QVERIFY(highest > lowest); // it does move
}

void TestSim::batteryHeldAndFailing() {
    VI vi(1, 100);
    vi.setBatteryMillivolts(4500);
    for (int i = 0; i < 3; ++i) {
        const Frame r = *vi.answer(command(BaseAddr, Code::Poll));
        QCOMPARE(int(word16(r, 5)), 4500);
        QVERIFY(r[2] & BaseState::Discharged);
    }

    vi.setBatteryFault(false);
    QVERIFY(vi.batteryMillivolts() >= VI::BatteryLowMv);
    vi.setBatteryFault(true);
    int previous = vi.batteryMillivolts();
    int pollsToDischarge = 0;
    for (int i = 0; i < 200; ++i) {
        const Frame r = *vi.answer(command(BaseAddr, Code::Poll));
        const int mv = word16(r, 5);
        QVERIFY(mv <= previous && mv >= VI::FailingFloorMv);
        QCOMPARE(bool(r[2] & BaseState::Discharged), mv < VI::DischargedBelowMv);
        if (pollsToDischarge == 0 && mv < VI::DischargedBelowMv)
            pollsToDischarge = i + 1;
        previous = mv;
    }
    QVERIFY(pollsToDischarge > 10); // it sinks, it does not drop off a cliff
    QCOMPARE(previous, VI::FailingFloorMv);
}

void TestSim::sameStartValueSameRun() {
    // Two benches on the same start value and the same commands: the same bytes
    // at the same moments; another start value gives another run.
    auto run = [](std::uint32_t start) {
        std::int64_t t = 0;
        SimFtDriver d([&t] { return t; }, start);
        FtHandle h = 0;
        d.openBySerialNumber(d.serialNumber(1).c_str(), h);
        d.setBaudRate(h, SimFtDriver::LineBaud);
        d.setDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_2, FT_PARITY_NONE);
        QByteArray trace;
        for (int i = 0; i < 40; ++i) {
            const Frame f = command(i % 2 ? PumpAddr : BaseAddr, Code::Poll);
            std::uint32_t n = 0;
            d.write(h, f.data(), 8, n);
            for (int ms = 0; ms < 35; ++ms, ++t) {
                std::uint32_t rx = 0, tx = 0, ev = 0;
                d.getStatus(h, rx, tx, ev);
                trace += char(rx);
            }
            std::uint8_t buf[8];
            d.read(h, buf, 8, n);
            trace += QByteArray(reinterpret_cast<const char *>(buf), int(n));
        }
        return trace;
    };
    QCOMPARE(run(5), run(5));
    QVERIFY(run(5) != run(6));
}

void TestSim::silentFrames_data() {
    QTest::addColumn<QByteArray>("frame");
    Frame bad = command(BaseAddr, Code::Identify);
    bad[7] ^= 0x01;
    QTest::newRow("bad checksum") << toBytes(bad);
    QTest::newRow("no such block") << toBytes(command(0x81, Code::Poll));
    QTest::newRow("another kind's block")
        << toBytes(command(Block::address(Block::TksPgs), Code::Poll));
    QTest::newRow("a reply, not a command") << toBytes(command(Block::Base, Code::Identify));
    QTest::newRow("base code it lacks") << toBytes(command(BaseAddr, 0x21));
}

void TestSim::silentFrames() {
    QFETCH(QByteArray, frame);
    VI vi(1, 100);
    QVERIFY(!vi.answer(toFrame(frame)));
}

void TestSim::sensorBlockOfEachKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("bit0"); // of the reply to 9 once it is over: on, no temperature fault
    QTest::newRow("ТКС") << 1 << 0x83 << 1;
    QTest::newRow("ТКС+ПГС") << 2 << 0x94 << 1;
    QTest::newRow("водород") << 3 << 0x95 << 1;
    QTest::newRow("ПГС") << 4 << 0x88 << 1;
    QTest::newRow("оптика") << 5 << 0x8B << 1;
    QTest::newRow("кислород") << 7 << 0x96 << 0;
}

void TestSim::sensorBlockOfEachKind() {
    QFETCH(int, kind);
    QFETCH(int, address);
    QFETCH(int, bit0);
    VI vi(std::uint8_t(kind), 100);
    // Every code and data byte gets a sealed reply from the block, whatever it means.
    for (int code = 0; code < 256; ++code) {
        for (std::uint8_t d : {0x00, 0x7F, 0x80, 0xFF}) {
            const std::optional<Frame> r =
                vi.answer(command(std::uint8_t(address), std::uint8_t(code), d, d, d, d, d));
            QVERIFY(r);
            QVERIFY(checksumHolds(*r));
            QCOMPARE(int((*r)[0]), address & 0x7F);
            QCOMPARE(int((*r)[1]), code);
        }
    }
    // The block is still sound after all that.
    QCOMPARE(ask(vi, std::uint8_t(address), Code::Identify)[2] & 0x01, bit0);
    // No other sensor block answers.
    for (int other : {0x83, 0x94, 0x95, 0x88, 0x8B, 0x96})
        if (other != address)
            QVERIFY(!vi.answer(command(std::uint8_t(other), Code::Poll)));
}

// ---- Sensor block models ---------------------------------------------------------

void TestSim::catalyticParameters_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<int>>("defaults");
    QTest::newRow("ТКС") << 1 << QList<int>{250, 50, 100, 500};
    QTest::newRow("ТКС+ПГС") << 2 << QList<int>{250, 50, 100, 500};
    QTest::newRow("водород") << 3 << QList<int>{200, 40, 80, 400};
}

void TestSim::catalyticParameters() {
    QFETCH(int, kind);
    QFETCH(QList<int>, defaults);
    VI vi(std::uint8_t(kind), 100);
    const std::uint8_t a = Block::address(*VI::sensorBlockOf(std::uint8_t(kind)));
    QCOMPARE(readParameters(vi, a), defaults);

    // 10 and 11 change the working set; the words are signed.
    ask(vi, a, CatalyticCode::WriteUpper, 0x0123, 0xFFFF);
    ask(vi, a, CatalyticCode::WriteLower, 300, 0x8000);
    const QList<int> written{0x123, -1, 300, -32768};
    QCOMPARE(readParameters(vi, a), written);
    QCOMPARE(vi.catalytic()->saved().threshold2, defaults[2]);
    // The tool repeats its type code in the base poll; that keeps the block as it is.
    vi.answer(command(BaseAddr, Code::Poll, 0, 0, std::uint8_t(kind)));
    QCOMPARE(readParameters(vi, a), written);

    // Reset brings back what was saved and leaves set-up mode.
    QVERIFY(ask(vi, a, CatalyticCode::SetUp)[2] & SensorStatus::SetUp);
    QCOMPARE(ask(vi, a, CatalyticCode::Reset)[2] & SensorStatus::SetUp, 0);
    QCOMPARE(readParameters(vi, a), defaults);
    ask(vi, a, CatalyticCode::WriteUpper, 111, 22);
    ask(vi, a, CatalyticCode::SetUp);
    const Frame save = ask(vi, a, CatalyticCode::Save);
    QCOMPARE(save[2] & SensorStatus::SetUp, 0);
    QCOMPARE(int(word16(save, 5)), vi.catalytic()->voltageTenths()); // readings ride along
    ask(vi, a, CatalyticCode::WriteUpper, 333, 44);
    ask(vi, a, CatalyticCode::Reset);
    QCOMPARE(readParameters(vi, a), (QList<int>{111, 22, defaults[2], defaults[3]}));

    // Gas selection switches to the other gas's set and back; not on the hydrogen block.
    const bool choice = kind != 3;
    QCOMPARE(bool(ask(vi, a, CatalyticCode::GasChoice)[2] & SensorStatus::Propane), choice);
    QCOMPARE(readParameters(vi, a) == (QList<int>{100, 20, 40, 200}), choice);
    ask(vi, a, CatalyticCode::WriteLower, 5, 6);
    QCOMPARE(ask(vi, a, CatalyticCode::GasChoice)[2] & SensorStatus::Propane, 0);
    QCOMPARE(readParameters(vi, a) == (QList<int>{111, 22, 5, 6}), !choice);
}

void TestSim::calibrationPoints() {
    VI vi(1, 100, 9);
    const std::uint8_t a = 0x83;
    Catalytic &c = *vi.catalytic();
    auto voltages = [&] {
        const Frame r = ask(vi, a, CatalyticCode::ReadVoltages);
        return std::pair<int, int>{signed16(r, 3), signed16(r, 5)};
    };
    auto reading = [&] { return signed16(ask(vi, a, Code::Poll), 3); };

    // Air point in clean air, gas point at the calibration gas: the block then
    // reads the gas it is given.
    c.holdGas(0);
    ask(vi, a, CatalyticCode::AirPoint);
    const int air = c.voltageTenths();
    c.holdGas(250);
    ask(vi, a, CatalyticCode::GasPoint);
    QCOMPARE(voltages(), std::pair(air, c.voltageTenths()));
    QVERIFY(std::abs(reading() - 250) <= 1);
    c.holdGas(120);
    QVERIFY(std::abs(reading() - 120) <= 1);

    // Zero adjustment in 0.20 % keeps the span and reads 0 there.
    c.holdGas(20);
    const auto [air1, gas1] = voltages();
    ask(vi, a, CatalyticCode::Zero);
    const auto [air2, gas2] = voltages();
    QVERIFY(air2 > air1);
    QCOMPARE(gas2 - air2, gas1 - air1);
    QVERIFY(std::abs(reading()) <= 1);

    // The gas point taken in clean air leaves no span: settings error, no reading.
    c.holdGas(0);
    ask(vi, a, CatalyticCode::GasPoint);
    c.holdGas(300);
    const Frame r = ask(vi, a, Code::Poll);
    QVERIFY(r[2] & SensorStatus::SettingsError);
    QCOMPARE(signed16(r, 3), 0);

    // A sensor that is off is not calibrated.
    ask(vi, a, CatalyticCode::Off);
    const auto before = voltages();
    ask(vi, a, CatalyticCode::AirPoint);
    QCOMPARE(voltages(), before);
}

void TestSim::alarmBits_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("gas");  // hundredths of a percent
    QTest::addColumn<int>("hook"); // 1 sensor off, 2 circuit fault, 3 settings error
    QTest::addColumn<int>("status");
    // Thresholds: methane 50, 100, 500; hydrogen 40, 80, 400; ПГС applied at 50 and 100.
    QTest::newRow("ТКС under threshold 1") << 1 << 40 << 0 << 0x01;
    QTest::newRow("ТКС over threshold 1") << 1 << 60 << 0 << 0x11;
    QTest::newRow("ТКС over threshold 2") << 1 << 150 << 0 << 0x31;
    QTest::newRow("ТКС over switch-off") << 1 << 600 << 0 << 0x71;
    QTest::newRow("ТКС off") << 1 << 600 << 1 << 0x00;
    QTest::newRow("ТКС circuit fault") << 1 << 600 << 2 << 0x09;
    QTest::newRow("ТКС settings error") << 1 << 600 << 3 << 0x75;
    QTest::newRow("водород over threshold 1") << 3 << 55 << 0 << 0x11;
    QTest::newRow("водород over switch-off") << 3 << 450 << 0 << 0x71;
    QTest::newRow("ПГС under threshold 1") << 4 << 30 << 0 << 0x01;
    QTest::newRow("ПГС over threshold 1") << 4 << 70 << 0 << 0x11;
    QTest::newRow("ПГС over threshold 2") << 4 << 150 << 0 << 0x31;
    QTest::newRow("ПГС off") << 4 << 150 << 1 << 0x00;
    QTest::newRow("ПГС circuit fault") << 4 << 150 << 2 << 0x09;
    QTest::newRow("ПГС settings error") << 4 << 150 << 3 << 0x35;
}

void TestSim::alarmBits() {
    QFETCH(int, kind);
    QFETCH(int, gas);
    QFETCH(int, hook);
    QFETCH(int, status);
    VI vi(std::uint8_t(kind), 100);
    const std::uint8_t a = Block::address(*VI::sensorBlockOf(std::uint8_t(kind)));
    // Calibrated so that the sensor reads exactly what it is given.
    const auto setUp = [&](auto &sensor, std::uint8_t code1, int gas1, std::uint8_t code2,
                           int gas2) {
        sensor.holdGas(gas1);
        ask(vi, a, code1);
        sensor.holdGas(gas2);
        ask(vi, a, code2);
        if (hook == 1)
            ask(vi, a, CatalyticCode::Off);
        sensor.setCircuitFault(hook == 2);
        sensor.setSettingsError(hook == 3);
        sensor.holdGas(gas);
    };
    if (kind == 4)
        setUp(*vi.pgs(), PgsCode::ApplyThreshold1, 50, PgsCode::ApplyThreshold2, 100);
    else
        setUp(*vi.catalytic(), CatalyticCode::AirPoint, 0, CatalyticCode::GasPoint,
              vi.catalytic()->working().calibrationGas);
    const Frame r = ask(vi, a, Code::Poll);
    QCOMPARE(int(r[2]), status);
    const bool dead = hook == 1 || hook == 2;
    if (kind == 4) {
        // Bytes 3, 4: the voltage in quarters of a millivolt; 5, 6: its converter value.
        QCOMPARE(signed16(r, 5), Pgs::converterOf(word16(r, 3)));
        QCOMPARE(word16(r, 3) <= Pgs::DeadQuartersMax, dead);
    } else {
        QCOMPARE(vi.catalytic()->status(), r[2]);
        QVERIFY(std::abs(signed16(r, 3) - (dead ? 0 : gas)) <= 2);
        QCOMPARE(word16(r, 5) <= Catalytic::DeadTenthsMax, dead);
    }
}

void TestSim::semiconductorSensor_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("ТКС+ПГС") << 2;
    QTest::newRow("водород") << 3;
}

void TestSim::semiconductorSensor() {
    using Semi = SemiconductorSensorModel;
    QFETCH(int, kind);
    VI vi(std::uint8_t(kind), 100);
    const std::uint8_t block = *VI::sensorBlockOf(std::uint8_t(kind));
    const std::uint8_t a = Block::address(block);
    Semi &s = *vi.semiconductor();
    s.holdGas(0);
    Frame r = ask(vi, a, SemiconductorCode::Poll);
    QCOMPARE(toBytes(r).left(5),
             toBytes(Frame{block, SemiconductorCode::Poll, SensorStatus::On}).left(5));
    const int air = word16(r, 5);
    QVERIFY2(air >= 8000 && air <= 15000, qPrintable(QString::number(air)));
    s.holdGas(300);
    QVERIFY(word16(ask(vi, a, SemiconductorCode::Poll), 5) > air + 2000);

    // Off and on again; the thermocatalytic sensor is not touched, nor the other way round.
    r = ask(vi, a, SemiconductorCode::Off);
    QCOMPARE(int(r[2]), 0);
    QVERIFY(word16(r, 5) <= Semi::DeadTenthsMax);
    QVERIFY(ask(vi, a, Code::Poll)[2] & SensorStatus::On);
    QCOMPARE(int(ask(vi, a, SemiconductorCode::On)[2]), int(SensorStatus::On));
    ask(vi, a, CatalyticCode::Off);
    QVERIFY(s.isOn());
    s.setCircuitFault(true);
    r = ask(vi, a, SemiconductorCode::Poll);
    QCOMPARE(int(r[2]), 0x09);
    QVERIFY(word16(r, 5) <= Semi::DeadTenthsMax);
}

void TestSim::pgsThresholds() {
    VI vi(4, 100);
    const std::uint8_t a = 0x88;
    Pgs &p = *vi.pgs();
    auto thresholds = [](const Frame &r) {
        return std::pair<int, int>{signed16(r, 3), signed16(r, 5)};
    };
    const Pgs::Thresholds m = Pgs::defaultsFor(false), q = Pgs::defaultsFor(true);
    QCOMPARE(thresholds(ask(vi, a, PgsCode::ReadThresholds)),
             std::pair(m.threshold1, m.threshold2));

    // "Apply" takes the converter value of the moment.
    p.holdGas(30);
    const auto t1 = thresholds(ask(vi, a, PgsCode::ApplyThreshold1));
    QCOMPARE(t1, std::pair(p.converterValue(), m.threshold2));
    p.holdGas(80);
    const auto t12 = thresholds(ask(vi, a, PgsCode::ApplyThreshold2));
    QCOMPARE(t12, std::pair(t1.first, p.converterValue()));
    QCOMPARE(thresholds(ask(vi, a, PgsCode::ReadThresholds)), t12);

    // Reset brings back the saved thresholds, save keeps the working ones.
    QVERIFY(ask(vi, a, PgsCode::SetUp)[2] & SensorStatus::SetUp);
    QCOMPARE(ask(vi, a, PgsCode::Reset)[2] & SensorStatus::SetUp, 0);
    QCOMPARE(std::pair(p.threshold1(), p.threshold2()), std::pair(m.threshold1, m.threshold2));
    ask(vi, a, PgsCode::ApplyThreshold2);
    const Frame save = ask(vi, a, PgsCode::Save);
    QCOMPARE(int(word16(save, 3)), p.voltageQuarters()); // readings ride along
    const int saved2 = p.threshold2();
    p.holdGas(5);
    ask(vi, a, PgsCode::ApplyThreshold2);
    QVERIFY(ask(vi, a, Code::Poll)[2] & SensorStatus::SettingsError); // threshold 2 under 1
    ask(vi, a, PgsCode::Reset);
    QCOMPARE(std::pair(p.threshold1(), p.threshold2()), std::pair(m.threshold1, saved2));

    // Each gas has its own thresholds.
    QVERIFY(ask(vi, a, PgsCode::GasChoice)[2] & SensorStatus::Propane);
    QCOMPARE(thresholds(ask(vi, a, PgsCode::ReadThresholds)),
             std::pair(q.threshold1, q.threshold2));
    QCOMPARE(ask(vi, a, PgsCode::GasChoice)[2] & SensorStatus::Propane, 0);
    QCOMPARE(p.threshold2(), saved2);
}

void TestSim::demoGasPuffs_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("topAlarm"); // the status bit of the rarest alarm
    QTest::addColumn<int>("polls");    // the optical block's gas moves twice per poll
    QTest::newRow("ТКС") << 1 << int(SensorStatus::OffThreshold) << 3000;
    QTest::newRow("водород") << 3 << int(SensorStatus::OffThreshold) << 3000;
    QTest::newRow("ПГС") << 4 << int(SensorStatus::Threshold2) << 3000;
    QTest::newRow("оптика") << 5 << int(SensorStatus::Threshold3) << 1500;
    QTest::newRow("кислород, провалы") << 7 << int(SensorStatus::Threshold2) << 3000;
}

void TestSim::demoGasPuffs() {
    // Left alone, the gas now and then rises past the highest threshold and
    // clears again; held, it stays put. The same start value gives the same run.
    QFETCH(int, kind);
    QFETCH(int, topAlarm);
    QFETCH(int, polls);
    const std::uint8_t a = Block::address(*VI::sensorBlockOf(std::uint8_t(kind)));
    auto run = [&](VI &vi, int polls) {
        QByteArray statuses;
        for (int i = 0; i < polls; ++i)
            statuses += char(ask(vi, a, Code::Poll)[2]);
        return statuses;
    };
    VI vi(std::uint8_t(kind), 100, 4);
    const QByteArray statuses = run(vi, polls);
    int puffs = 0, alarmed = 0;
    for (qsizetype i = 1; i < statuses.size(); ++i) {
        puffs += (statuses[i] & topAlarm) && !(statuses[i - 1] & topAlarm);
        alarmed += (statuses[i] & 0x10) != 0;
    }
    QVERIFY2(puffs >= 8 && puffs <= 40, qPrintable(QString::number(puffs)));
    QVERIFY2(alarmed < statuses.size() / 3, qPrintable(QString::number(alarmed)));
    VI twin(std::uint8_t(kind), 100, 4);
    QCOMPARE(run(twin, polls), statuses);

    if (kind == 4)
        vi.pgs()->holdGas(0);
    else if (kind == 5)
        vi.optical()->holdGas(0);
    else if (kind == 7)
        vi.oxygen()->holdOxygen(209);
    else
        vi.catalytic()->holdGas(0);
    const QByteArray held = run(vi, 2000);
    QVERIFY(std::none_of(held.begin(), held.end(), [](char s) { return s & 0x70; }));
}

// ---- Optical and oxygen blocks --------------------------------------------------

void TestSim::opticalReplies_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("status"); // in 3.00 % methane: thresholds 1 and 2
    QTest::addColumn<bool>("readings");
    QTest::newRow("poll") << 12 << 0x31 << true;
    QTest::newRow("measurement") << 7 << 0x31 << true;
    QTest::newRow("unknown code") << 40 << 0x31 << true;
    QTest::newRow("on") << 9 << 0x31 << false;
    QTest::newRow("start") << 13 << 0x31 << false;
    QTest::newRow("internal 3") << 3 << 0x31 << false;
    QTest::newRow("set-up") << 6 << 0xB1 << false;
    QTest::newRow("off") << 8 << 0x00 << false;
}

void TestSim::opticalReplies() {
    QFETCH(int, code);
    QFETCH(int, status);
    QFETCH(bool, readings);
    VI vi(5, 100);
    OpticalBlockModel &o = *vi.optical();
    o.holdGas(300);
    const Frame r = ask(vi, 0x8B, std::uint8_t(code));
    QCOMPARE(int(r[0]), int(Block::OpticMethane));
    QCOMPARE(int(r[2]), status);
    if (readings) {
        QVERIFY2(std::abs(signed16(r, 3) - 300) <= 6, qPrintable(QString::number(signed16(r, 3))));
        QCOMPARE(int(word16(r, 5)), o.signal());
        QVERIFY(o.signal() < o.zeroSignal() * 9 / 10); // the methane absorbs
    } else {
        QCOMPARE(toBytes(r).mid(3, 3), QByteArray(3, '\0'));
        QCOMPARE(int(r[6]), code == OpticalCode::On ? int(VI::OpticalVersion) : 0);
    }
}

void TestSim::opticalLinkError() {
    VI vi(5, 100);
    OpticalBlockModel &o = *vi.optical();
    const std::uint8_t a = 0x8B;
    const auto tail = [](const Frame &r) { return toBytes(r).mid(2, 5).toHex(); };
    o.holdGas(600);
    QCOMPARE(int(ask(vi, a, OpticalCode::On)[2]), 0x71); // on already: no restart

    // Off, then the page's switch-on sequence: the reply to 9 is sound, the
    // next eight report the lost module, then the block reads again.
    QCOMPARE(int(ask(vi, a, OpticalCode::Off)[2]), 0);
    QCOMPARE(tail(ask(vi, a, OpticalCode::On)), QByteArray("7100000015"));
    for (std::uint8_t code : {13, 3, 4, 12, 12, 7, 12, 12})
        QCOMPARE(tail(ask(vi, a, code)), QByteArray("031f000000"));
    Frame r = ask(vi, a, Code::Poll);
    QCOMPARE(int(r[2]), 0x71);
    QVERIFY(std::abs(signed16(r, 3) - 600) <= 8);

    // The hook holds the error until cleared; 9 still tells the version.
    o.holdGas(0);
    o.setLinkError(0x2A);
    QCOMPARE(tail(ask(vi, a, Code::Poll)), QByteArray("032a000000"));
    QCOMPARE(tail(ask(vi, a, OpticalCode::On)), QByteArray("032a000015"));
    o.setLinkError(std::nullopt);
    o.setSettingsError(true);
    r = ask(vi, a, Code::Poll);
    QCOMPARE(int(r[2]), 0x05);
    QVERIFY(std::abs(signed16(r, 3)) <= 6);
    QVERIFY(word16(r, 5) >= 1790 && word16(r, 5) <= 2010); // clean air
}

void TestSim::oxygenParameters() {
    VI vi(7, 100);
    OxygenBlockModel &o = *vi.oxygen();
    const std::uint8_t a = 0x96;
    const auto parameters = [&] {
        const Frame r3 = ask(vi, a, OxygenCode::ReadCalibrationGas);
        const Frame r4 = ask(vi, a, OxygenCode::ReadThresholds);
        return QList<int>{signed16(r3, 3), signed16(r3, 5), signed16(r4, 3), signed16(r4, 5)};
    };
    const auto voltages = [&] {
        const Frame r = ask(vi, a, OxygenCode::ReadVoltages);
        return std::pair<int, int>(signed16(r, 3), signed16(r, 5));
    };
    QCOMPARE(parameters(), (QList<int>{210, 20, 180, 250}));
    const auto [zero, gas] = voltages();
    QVERIFY(zero >= 0 && zero <= 50 && std::abs(gas - 15000) <= 500);

    // Written, saved, overwritten and reset to the saved values.
    QVERIFY(ask(vi, a, OxygenCode::SetUp)[2] & SensorStatus::SetUp);
    ask(vi, a, OxygenCode::WriteUpper, 209, 15);
    ask(vi, a, OxygenCode::WriteLower, 190, 230);
    QCOMPARE(parameters(), (QList<int>{209, 15, 190, 230}));
    QCOMPARE(ask(vi, a, OxygenCode::Save)[2] & SensorStatus::SetUp, 0);
    ask(vi, a, OxygenCode::SetUp);
    ask(vi, a, OxygenCode::WriteUpper, -1, 0x7FFF);
    QCOMPARE(parameters(), (QList<int>{-1, 0x7FFF, 190, 230}));
    QCOMPARE(ask(vi, a, OxygenCode::Reset)[2] & SensorStatus::SetUp, 0);
    QCOMPARE(parameters(), (QList<int>{209, 15, 190, 230}));

    // Calibration points on the voltage of the moment; points too close: set-up error.
    o.holdOxygen(0);
    ask(vi, a, OxygenCode::ZeroPoint);
    const int newZero = o.voltageTenths();
    o.holdOxygen(209);
    ask(vi, a, OxygenCode::GasPoint);
    QCOMPARE(voltages(), std::pair(newZero, o.voltageTenths()));
    o.holdOxygen(100);
    QVERIFY(std::abs(signed16(ask(vi, a, Code::Poll), 3) - 100) <= 1);
    o.holdOxygen(2);
    ask(vi, a, OxygenCode::GasPoint);
    QCOMPARE(int(ask(vi, a, Code::Poll)[2]), int(SensorStatus::SettingsError));
    QCOMPARE(o.saved().uGasTenths, gas); // not saved

    // The voltage follows the feedback resistor: 14 kΩ doubles it, none leaves nothing.
    o.holdOxygen(209);
    const int at7k = word16(ask(vi, a, OxygenCode::Voltage), 5);
    vi.answer(command(a, OxygenCode::WriteFrontEnd, 0, 0, 0x12, 0x36, 0x03));
    QVERIFY(std::abs(int(word16(ask(vi, a, OxygenCode::Voltage), 5)) - 2 * at7k) <= 10);
    vi.answer(command(a, OxygenCode::WriteFrontEnd, 0, 0, 0x02, 0x36, 0x03));
    QVERIFY(word16(ask(vi, a, OxygenCode::Voltage), 5) <= OxygenBlockModel::DeadTenthsMax);
}

void TestSim::oxygenFrontEnd_data() {
    QTest::addColumn<bool>("ready");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QByteArray>("state"); // byte 3 of the replies to 32 and 33
    QTest::newRow("ready, writable") << true << false << QByteArray("10");
    QTest::newRow("ready, protected") << true << true << QByteArray("11");
    QTest::newRow("not ready") << false << false << QByteArray("00");
    QTest::newRow("not ready, protected") << false << true << QByteArray("01");
}

void TestSim::oxygenFrontEnd() {
    QFETCH(bool, ready);
    QFETCH(bool, locked);
    QFETCH(QByteArray, state);
    VI vi(7, 100);
    OxygenBlockModel &o = *vi.oxygen();
    const std::uint8_t a = 0x96;
    const auto bytes = [](const Frame &r) { return toBytes(r).mid(3, 4).toHex(); };
    o.setFrontEndReady(ready);
    o.setWriteProtected(locked);
    QCOMPARE(bytes(ask(vi, a, OxygenCode::ReadFrontEnd)), state + "0e3603");

    // Every bit written: the unused ones are cleared; a locked or busy chip keeps its bytes.
    const QByteArray now = ready && !locked ? "1f6f85" : "0e3603";
    const Frame w =
        vi.answer(command(a, OxygenCode::WriteFrontEnd, 0, 0, 0xFF, 0x6F, 0xFD)).value();
    QCOMPARE(bytes(w), state + now);
    QCOMPARE(bytes(ask(vi, a, OxygenCode::ReadFrontEnd)), state + now);
    QCOMPARE(bytes(ask(vi, a, OxygenCode::Version)), "12" + now);
}

void TestSim::oxygenAlarms_data() {
    QTest::addColumn<int>("oxygen"); // tenths of a percent
    QTest::addColumn<int>("hook");   // 1 temperature fault, 2 set-up error, 3 set-up mode
    QTest::addColumn<int>("status");
    // Factory: calibration gas 21.0 %; threshold 1 2.0 % off it, 2 under 18.0 %, 3 over 25.0 %.
    QTest::newRow("20.9 %") << 209 << 0 << 0x00;
    QTest::newRow("19.1 %") << 191 << 0 << 0x00;
    QTest::newRow("18.9 %") << 189 << 0 << 0x10;
    QTest::newRow("17.5 %") << 175 << 0 << 0x30;
    QTest::newRow("23.5 %") << 235 << 0 << 0x10;
    QTest::newRow("26.0 %") << 260 << 0 << 0x50;
    QTest::newRow("temperature fault") << 209 << 1 << 0x01;
    QTest::newRow("set-up error") << 175 << 2 << 0x04;
    QTest::newRow("set-up mode") << 175 << 3 << 0xB0;
}

void TestSim::oxygenAlarms() {
    QFETCH(int, oxygen);
    QFETCH(int, hook);
    QFETCH(int, status);
    VI vi(7, 100);
    OxygenBlockModel &o = *vi.oxygen();
    const std::uint8_t a = 0x96;
    o.holdOxygen(oxygen);
    o.setTemperatureFault(hook == 1);
    o.setSetUpError(hook == 2);
    if (hook == 3)
        ask(vi, a, OxygenCode::SetUp);
    const Frame r12 = ask(vi, a, Code::Poll);
    const Frame r1 = ask(vi, a, OxygenCode::Voltage);
    QCOMPARE(int(r12[2]), status);
    QCOMPARE(int(r1[2]), status);
    QCOMPARE(signed16(r12, 3), oxygen);
    QCOMPARE(signed16(r1, 3), oxygen);
}

void TestSim::oxygenTemperature() {
    // The temperature drifts a few degrees about 25 °C; the coefficient follows it.
    VI vi(7, 100);
    const std::uint8_t a = 0x96;
    int lowest = 99, highest = -99;
    for (int i = 0; i < 3000; ++i) {
        const Frame r = ask(vi, a, Code::Poll);
        const int t = 85 - r[5];
        QVERIFY2(t >= 21 && t <= 29, qPrintable(QString::number(t)));
        QVERIFY(std::abs(r[6] - (100 - 3 * (t - 25))) <= 2);
        lowest = std::min(lowest, t);
        highest = std::max(highest, t);
    }
    QVERIFY(highest - lowest >= 2);
    vi.oxygen()->setTemperatureFault(true);
    QCOMPARE(toBytes(ask(vi, a, Code::Poll)).mid(5, 2).toHex(), QByteArray("ff64"));
}

// ---- Pump ---------------------------------------------------------------------

void TestSim::pumpStepsStayWithinLimits_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("byte"); // reply byte that shows the setting
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("limit");
    QTest::newRow("amplitude up") << int(PumpCode::AmplitudeUp) << 5 << VI::AmplitudeStep
                                  << VI::AmplitudeMax;
    QTest::newRow("amplitude down")
        << int(PumpCode::AmplitudeDown) << 5 << -VI::AmplitudeStep << VI::AmplitudeMin;
    QTest::newRow("frequency up") << int(PumpCode::FrequencyUp) << 6 << VI::FrequencyStepHz
                                  << VI::FrequencyMaxHz;
    QTest::newRow("frequency down")
        << int(PumpCode::FrequencyDown) << 6 << -VI::FrequencyStepHz << VI::FrequencyMinHz;
}

void TestSim::pumpStepsStayWithinLimits() {
    QFETCH(int, code);
    QFETCH(int, byte);
    QFETCH(int, step);
    QFETCH(int, limit);
    VI vi(4, 100, 3);
    int value = (*vi.answer(command(PumpAddr, Code::Poll)))[std::size_t(byte)];
    bool reached = false;
    for (int i = 0; i < 300; ++i) {
        const Frame r = *vi.answer(command(PumpAddr, std::uint8_t(code)));
        QCOMPARE(int(r[0]), int(Block::Pump));
        QCOMPARE(int(r[1]), code);
        const int now = r[std::size_t(byte)];
        QCOMPARE(now, reached ? limit : value + step);
        reached = now == limit;
        value = now;
    }
    QVERIFY(reached);
    const Frame poll = *vi.answer(command(PumpAddr, Code::Poll));
    QCOMPARE(int(poll[std::size_t(byte)]), limit);
}

void TestSim::pumpOnOffVersionAndCurrent() {
    VI vi(1, 100);
    const Frame on = *vi.answer(command(PumpAddr, PumpCode::On));
    QCOMPARE(on[1], PumpCode::On);
    QCOMPARE(on[6], VI::PumpVersion);
    QVERIFY(on[2] & PumpState::On);
    QVERIFY(checksumHolds(on));
    // Other replies carry the frequency in byte 6.
    const Frame poll = *vi.answer(command(PumpAddr, Code::Poll));
    QCOMPARE(int(poll[6]), vi.pumpFrequencyHz());

    // Coil current in half-milliamperes grows with the amplitude.
    for (int i = 0; i < 60; ++i)
        vi.answer(command(PumpAddr, PumpCode::AmplitudeDown));
    const int low = word16(*vi.answer(command(PumpAddr, Code::Poll)), 3);
    for (int i = 0; i < 60; ++i)
        vi.answer(command(PumpAddr, PumpCode::AmplitudeUp));
    const int high = word16(*vi.answer(command(PumpAddr, Code::Poll)), 3);
    QVERIFY2(low >= 90 && low <= 110, qPrintable(QString::number(low)));
    QVERIFY2(high >= 210 && high <= 225, qPrintable(QString::number(high)));

    const Frame off = *vi.answer(command(PumpAddr, PumpCode::Off));
    QCOMPARE(off[1], PumpCode::Off);
    QCOMPARE(off[2] & PumpState::On, 0);
    QCOMPARE(int(word16(off, 3)), 0);
    QCOMPARE(int(word16(*vi.answer(command(PumpAddr, Code::Poll)), 3)), 0);
}

void TestSim::pumpSetupAndSave() {
    VI vi(1, 100);
    Frame r = *vi.answer(command(PumpAddr, Code::Poll));
    QCOMPARE(r[2] & (PumpState::Defaults | PumpState::SetUp), PumpState::Defaults);
    r = *vi.answer(command(PumpAddr, PumpCode::SetUpMode));
    QCOMPARE(r[1], PumpCode::SetUpMode);
    QCOMPARE(r[2] & (PumpState::Defaults | PumpState::SetUp),
             PumpState::Defaults | PumpState::SetUp);
    r = *vi.answer(command(PumpAddr, PumpCode::Save));
    QCOMPARE(r[1], PumpCode::Save);
    QCOMPARE(r[2] & (PumpState::Defaults | PumpState::SetUp), 0);
}

void TestSim::pumpPositionSensor() {
    VI vi(1, 100);
    const Frame r = *vi.answer(command(PumpAddr, PumpCode::PositionSensor));
    QCOMPARE(r[1], PumpCode::PositionSensor);
    QVERIFY(checksumHolds(r));
    const int max = word16(r, 3), min = word16(r, 5);
    QVERIFY2(max > 600 && max < 1000 && min > 20 && min < 420,
             qPrintable(QString("%1 %2").arg(max).arg(min)));

    // A stopped piston rests: both ends meet.
    vi.answer(command(PumpAddr, PumpCode::Off));
    const Frame rest = *vi.answer(command(PumpAddr, PumpCode::PositionSensor));
    QVERIFY(std::abs(word16(rest, 3) - word16(rest, 5)) <= 6);
}

// ---- Line trouble -------------------------------------------------------------

void TestSim::faults_data() {
    // Each row arms one fault, sends three polls 40 ms apart and reads whatever
    // came back 100 ms after the last; an untroubled bench on the same start
    // value gives the bytes to hold it against.
    QTest::addColumn<int>("fault");
    QTest::newRow("drop two") << 1;
    QTest::newRow("corrupt checksum") << 2;
    QTest::newRow("garbage byte") << 3;
    QTest::newRow("drop a byte") << 4;
    QTest::newRow("split") << 5;
}

void TestSim::faults() {
    QFETCH(int, fault);
    auto run = [](Bench &b, const FtHandle h) {
        for (int i = 0; i < 3; ++i) {
            b.send(h, command(BaseAddr, Code::Poll));
            b.pass(40);
        }
        b.pass(100);
        return b.take(h);
    };
    Bench clean;
    const QByteArray reference = run(clean, clean.open(0));
    QCOMPARE(reference.size(), 24);

    Bench b;
    const FtHandle h = b.open(0);
    SimFaults &f = b.driver.faults(0);
    QByteArray expected = reference;
    switch (fault) {
    case 1:
        f.dropReplies = 2;
        expected = reference.mid(16);
        break;
    case 2:
        f.corruptChecksum = true;
        expected[7] = char(expected[7] ^ 0xFF);
        break;
    case 3:
        f.garbageBefore = 0xA5;
        expected.prepend(char(0xA5));
        break;
    case 4:
        // A lost zero byte can leave a frame whose checksum still holds, so
        // only the exact bytes tell.
        f.dropByteAt = 3;
        expected.remove(3, 1);
        break;
    case 5:
        f.splitAfter = 3;
        f.splitGapMs = 15;
        break;
    }
    QCOMPARE(run(b, h).toHex(' '), expected.toHex(' '));
    // Used up by the first reply.
    QVERIFY(!f.corruptChecksum && !f.garbageBefore && !f.dropByteAt && f.splitAfter == 0 &&
            f.dropReplies == 0);
}

void TestSim::splitAndExtraDelay() {
    Bench b;
    const FtHandle h = b.open(0);
    const std::int64_t t0 = b.t;
    b.driver.faults(0).splitAfter = 5;
    b.driver.faults(0).splitGapMs = 200;
    b.send(h, command(BaseAddr, Code::Poll));
    b.t = t0 + SimFtDriver::MaxReplyDelayMs;
    QCOMPARE(b.waiting(h), 5u);
    b.t = t0 + SimFtDriver::MinReplyDelayMs + 199;
    QCOMPARE(b.waiting(h), 5u);
    b.t = t0 + SimFtDriver::MaxReplyDelayMs + 200;
    QCOMPARE(b.waiting(h), 8u);
    QVERIFY(checksumHolds(toFrame(b.take(h))));

    // An extra delay holds every reply until it is taken off again.
    b.driver.faults(0).extraDelayMs = 300;
    for (int i = 0; i < 2; ++i) {
        const std::int64_t t1 = b.t;
        b.send(h, command(BaseAddr, Code::Poll));
        b.t = t1 + 300 + SimFtDriver::MinReplyDelayMs - 1;
        QCOMPARE(b.waiting(h), 0u);
        b.t = t1 + 300 + SimFtDriver::MaxReplyDelayMs;
        QCOMPARE(b.waiting(h), 8u);
        b.take(h);
    }
    b.driver.faults(0).extraDelayMs = 0;
    QVERIFY(b.exchange(h, command(BaseAddr, Code::Poll)));
}

void TestSim::wrongLineSettings_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("stop");
    QTest::addColumn<int>("parity");
    QTest::addColumn<bool>("answers");
    QTest::newRow("the instrument's line") << 250000 << 8 << 2 << 0 << true;
    QTest::newRow("as opened: 9600 8N1") << 0 << 0 << 0 << 0 << false;
    QTest::newRow("one stop bit") << 250000 << 8 << 0 << 0 << false;
    QTest::newRow("seven bits") << 250000 << 7 << 2 << 0 << false;
    QTest::newRow("even parity") << 250000 << 8 << 2 << 2 << false;
    QTest::newRow("115200") << 115200 << 8 << 2 << 0 << false;
}

void TestSim::wrongLineSettings() {
    QFETCH(int, baud);
    QFETCH(int, bits);
    QFETCH(int, stop);
    QFETCH(int, parity);
    QFETCH(bool, answers);
    Bench b;
    const FtHandle h = b.open(4, false);
    if (baud != 0) {
        QCOMPARE(b.driver.setBaudRate(h, std::uint32_t(baud)), FT_OK);
        QCOMPARE(b.driver.setDataCharacteristics(h, std::uint8_t(bits), std::uint8_t(stop),
                                                 std::uint8_t(parity)),
                 FT_OK);
        QCOMPARE(b.driver.baudRate(4), std::uint32_t(baud));
        QCOMPARE(int(b.driver.stopBits(4)), stop);
    }
    const Frame id = command(BaseAddr, Code::Identify);
    QCOMPARE(b.exchange(h, id).has_value(), answers);
    QCOMPARE(b.driver.written(4).size(), std::size_t(1));
    QCOMPARE(toBytes(b.driver.written(4).front()), toBytes(id));
}

void TestSim::invalidLineValuesRefused() {
    Bench b;
    const FtHandle h = b.open(0);
    QCOMPARE(b.driver.setBaudRate(h, 0), FT_INVALID_BAUD_RATE);
    QCOMPARE(b.driver.setDataCharacteristics(h, 9, FT_STOP_BITS_2, FT_PARITY_NONE),
             FT_INVALID_PARAMETER);
    QCOMPARE(b.driver.setDataCharacteristics(h, FT_BITS_8, 1, FT_PARITY_NONE),
             FT_INVALID_PARAMETER);
    // A refused value leaves the line as it was.
    QCOMPARE(b.driver.baudRate(0), SimFtDriver::LineBaud);
    QVERIFY(b.exchange(h, command(BaseAddr, Code::Poll)));
}

void TestSim::unknownHandle_data() {
    QTest::addColumn<int>("which");
    QTest::newRow("zero") << 0;
    QTest::newRow("never given") << 1;
    QTest::newRow("closed") << 2;
}

void TestSim::unknownHandle() {
    QFETCH(int, which);
    Bench b;
    const FtHandle live = b.open(1);
    FtHandle h = 0;
    if (which == 1)
        h = live + 1000;
    if (which == 2) {
        h = b.open(2);
        QCOMPARE(b.driver.close(h), FT_OK);
    }
    std::uint8_t buf[8] = {};
    std::uint32_t n = 0, rx = 0, tx = 0, ev = 0;
    QCOMPARE(b.driver.read(h, buf, 8, n), FT_INVALID_HANDLE);
    QCOMPARE(b.driver.write(h, buf, 8, n), FT_INVALID_HANDLE);
    QCOMPARE(b.driver.setBaudRate(h, SimFtDriver::LineBaud), FT_INVALID_HANDLE);
    QCOMPARE(b.driver.setDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_2, FT_PARITY_NONE),
             FT_INVALID_HANDLE);
    QCOMPARE(b.driver.purge(h, FT_PURGE_RX | FT_PURGE_TX), FT_INVALID_HANDLE);
    QCOMPARE(b.driver.getStatus(h, rx, tx, ev), FT_INVALID_HANDLE);
    QCOMPARE(b.driver.close(h), FT_INVALID_HANDLE);
    // The adapter that is open is not disturbed.
    QVERIFY(b.exchange(live, command(BaseAddr, Code::Identify)));
}

void TestSim::openRefusals() {
    Bench b;
    FtHandle h = 77;
    QCOMPARE(b.driver.openBySerialNumber("FT000000", h), FT_DEVICE_NOT_FOUND);
    QCOMPARE(h, FtHandle(0));
    QVERIFY(!b.driver.lastErrorDetail().empty());

    QVERIFY(b.open(0) != 0);
    QCOMPARE(b.driver.openBySerialNumber(b.driver.serialNumber(0).c_str(), h),
             FT_DEVICE_NOT_OPENED);
    QVERIFY(b.driver.isOpen(0));
    FtHandle other = 0;
    QCOMPARE(b.driver.openBySerialNumber(b.driver.serialNumber(5).c_str(), other), FT_OK);
    QVERIFY(other != 0);
    QVERIFY(b.driver.lastErrorDetail().empty());
}

QTEST_GUILESS_MAIN(TestSim)
#include "test_sim.moc"
