// Each block's replies decoded without a page: literal frames and what they
// say, and each encoder giving back the frame its decoder read.

#include "protocol/BaseReply.h"
#include "protocol/CatalyticReply.h"
#include "protocol/OpticalReply.h"
#include "protocol/OxygenReply.h"
#include "protocol/PgsReply.h"
#include "protocol/PumpReply.h"
#include "protocol/SemiconductorReply.h"

#include <QTest>

namespace {
template <class Reply> struct Row {
    const char *name;
    Frame frame;
    Reply want;
};

template <class Reply, std::size_t N, class Decode>
void checkTable(const Row<Reply> (&rows)[N], Decode decode) {
    for (const Row<Reply> &row : rows)
        QVERIFY2(decode(row.frame) == row.want, row.name);
}

// Encoding a decoded reply gives its frame back, bytes 0 to 6.
template <class Reply, std::size_t N, class Decode>
void checkRoundTrips(const Row<Reply> (&rows)[N], Decode decode) {
    for (const Row<Reply> &row : rows) {
        QVERIFY2(encode(row.want) == row.frame, row.name);
        QVERIFY2(decode(encode(row.want)) == row.want, row.name);
    }
}

using Base = BaseReply;
using Pump = PumpReply;
using Cat = CatalyticReply;
using Semi = SemiconductorReply;
using Pgs = PgsReply;
using Opt = OpticalReply;
using Oxy = OxygenReply;

const Row<Base> BaseRows[] = {
    {"poll",
     {0, 12, 0x18, 0x02, 0x00, 0x88, 0x13},
     {.code = 12,
      .state = Base::State{.charging = true, .contactBroken = true},
      .links = Base::Links{.noSensor = true},
      .batteryMillivolts = 5000}},
    {"test mode, menu, discharged, no pump",
     {0, 6, 0x07, 0x01, 0x00, 0xFF, 0xFF},
     {.code = 6,
      .state = Base::State{.testMode = true, .menu = true, .discharged = true},
      .links = Base::Links{.noPump = true},
      .batteryMillivolts = 65535}},
};

const Row<Pump> PumpRows[] = {
    {"poll",
     {15, 12, 0x01, 151, 0, 42, 61},
     {.code = 12,
      .status = {.on = true},
      .currentHalfMilliamps = 151,
      .amplitude = 42,
      .frequency = 61}},
    {"amplitude step",
     {15, 13, 0xC1, 0x10, 0x27, 200, 120},
     {.code = 13,
      .status = {.on = true, .defaults = true, .setUp = true},
      .currentHalfMilliamps = 10000,
      .amplitude = 200,
      .frequency = 120}},
    {"version",
     {15, 9, 0x40, 0, 0, 0, 0x23},
     {.code = 9, .status = {.defaults = true}, .version = 0x23}},
    {"position sensor",
     {15, 14, 0x01, 0x84, 0x03, 0x78, 0x00},
     {.code = 14, .status = {.on = true}, .positionMax = 900, .positionMin = 120}},
    {"set-up mode", {15, 6, 0x80}, {.code = 6, .status = {.setUp = true}}},
};

const Row<Cat> CatalyticRows[] = {
    {"poll, measuring",
     {3, 12, 0x01, 0x9C, 0xFF, 0xA8, 0x61},
     {.block = 3,
      .code = 12,
      .status = {.on = true},
      .concentration = -100,
      .voltageTenths = 25000}},
    {"voltages",
     {3, 2, 0x01, 0x9C, 0xFF, 0xD2, 0x04},
     {.block = 3, .code = 2, .status = {.on = true}, .uAirTenths = -100, .uGasTenths = 1234}},
    {"calibration gas and threshold 1",
     {20, 3, 0x03, 0xFA, 0x00, 0x32, 0x00},
     {.block = 20,
      .code = 3,
      .status = {.on = true, .propane = true},
      .calibrationGas = 250,
      .threshold1 = 50}},
    {"threshold 2 and switch-off threshold",
     {21, 4, 0x00, 0x64, 0x00, 0xF4, 0x01},
     {.block = 21, .code = 4, .threshold2 = 100, .offThreshold = 500}},
    {"version",
     {3, 9, 0x01, 0, 0, 0, 0x14},
     {.block = 3, .code = 9, .status = {.on = true}, .version = 0x14}},
    {"gas choice carries readings",
     {3, 1, 0x71, 0x2C, 0x01, 0xFF, 0xFF},
     {.block = 3,
      .code = 1,
      .status = {.on = true, .alarm1 = true, .alarm2 = true, .offAlarm = true},
      .concentration = 300,
      .voltageTenths = 65535}},
    {"an unknown code carries readings",
     {3, 99, 0xFF, 0, 0, 0, 0},
     {.block = 3,
      .code = 99,
      .status = {true, true, true, true, true, true, true, true},
      .concentration = 0,
      .voltageTenths = 0}},
    {"zero adjustment: the status alone",
     {3, 5, 0x09},
     {.block = 3, .code = 5, .status = {.on = true, .circuitFault = true}}},
    {"reset: the status alone",
     {3, 16, 0x04},
     {.block = 3, .code = 16, .status = {.settingsError = true}}},
};

const Row<Semi> SemiconductorRows[] = {
    {"poll", {20, 21, 0x09, 0, 0, 0x00, 0x80}, {20, 21, {true, true}, 32768}},
    {"off", {21, 20, 0x00, 0, 0, 0x0A, 0x00}, {21, 20, {false, false}, 10}},
};

const Row<Pgs> PgsRows[] = {
    {"poll",
     {8, 12, 0x31, 0xD2, 0x04, 0x10, 0x00},
     {.code = 12,
      .status = {.on = true, .alarm1 = true, .alarm2 = true},
      .voltageQuarters = 1234,
      .converterValue = 16}},
    {"set-up mode carries readings",
     {8, 6, 0x81, 4, 0, 0xFF, 0xFF},
     {.code = 6,
      .status = {.on = true, .setUp = true},
      .voltageQuarters = 4,
      .converterValue = -1}},
    {"thresholds",
     {8, 4, 0x06, 0xFF, 0xFF, 0x2C, 0x01},
     {.code = 4,
      .status = {.propane = true, .settingsError = true},
      .threshold1 = -1,
      .threshold2 = 300}},
    {"threshold 1 applied",
     {8, 11, 0x01, 0x64, 0x00, 0xC8, 0x00},
     {.code = 11, .status = {.on = true}, .threshold1 = 100, .threshold2 = 200}},
    {"threshold 2 applied",
     {8, 10, 0x09, 0x64, 0x00, 0xC8, 0x00},
     {.code = 10,
      .status = {.on = true, .circuitFault = true},
      .threshold1 = 100,
      .threshold2 = 200}},
    {"version", {8, 9, 0x01, 0, 0, 0, 0x13}, {.code = 9, .status = {.on = true}, .version = 0x13}},
    {"off: the status alone", {8, 8, 0x00}, {.code = 8}},
};

const Row<Opt> OpticalRows[] = {
    {"poll",
     {11, 12, 0x71, 0xF4, 0x01, 0xD0, 0x07},
     {.code = 12,
      .status = {.on = true, .alarm1 = true, .alarm2 = true, .alarm3 = true},
      .concentration = 500,
      .signal = 2000}},
    {"measurement",
     {11, 7, 0x85, 0x9C, 0xFF, 0xFF, 0xFF},
     {.code = 7,
      .status = {.on = true, .settingsError = true, .setUp = true},
      .concentration = -100,
      .signal = 65535}},
    {"version", {11, 9, 0x01, 0, 0, 0, 0x15}, {.code = 9, .status = {.on = true}, .version = 0x15}},
    {"link error: its code, no readings",
     {11, 12, 0x03, 0x1F, 0, 0, 0},
     {.code = 12, .status = {.on = true, .linkError = true}, .linkErrorCode = 0x1F}},
    {"link error: the version still",
     {11, 9, 0x03, 0x1F, 0, 0, 0x15},
     {.code = 9,
      .status = {.on = true, .linkError = true},
      .linkErrorCode = 0x1F,
      .version = 0x15}},
    {"start: the status alone", {11, 13, 0x01}, {.code = 13, .status = {.on = true}}},
};

const Row<Oxy> OxygenRows[] = {
    {"poll",
     {22, 12, 0x10, 0xD1, 0x00, 60, 100},
     {.code = 12,
      .status = {.alarm1 = true},
      .concentration = 209,
      .temperatureCode = 60,
      .coefficientCode = 100}},
    {"voltage",
     {22, 1, 0x21, 0x9C, 0xFF, 0x98, 0x3A},
     {.code = 1,
      .status = {.temperatureFault = true, .alarm2 = true},
      .concentration = -100,
      .voltageTenths = 15000}},
    {"voltages",
     {22, 2, 0x80, 0x14, 0x00, 0x98, 0x3A},
     {.code = 2, .status = {.setUp = true}, .uZeroTenths = 20, .uGasTenths = 15000}},
    {"calibration gas and threshold 1",
     {22, 3, 0x44, 0xD2, 0x00, 0x14, 0x00},
     {.code = 3,
      .status = {.settingsError = true, .alarm3 = true},
      .calibrationGas = 210,
      .threshold1 = 20}},
    {"thresholds 2 and 3",
     {22, 4, 0x00, 0xB4, 0x00, 0xFA, 0x00},
     {.code = 4, .threshold2 = 180, .threshold3 = 250}},
    {"version and front end",
     {22, 9, 0x00, 0x12, 0x0E, 0x36, 0x03},
     {.code = 9,
      .version = 0x12,
      .frontEndGain = 0x0E,
      .frontEndReference = 0x36,
      .frontEndMode = 0x03}},
    {"front end ready",
     {22, 32, 0x00, 0x10, 0x0E, 0x36, 0x03},
     {.code = 32,
      .frontEndStatus = Oxy::FrontEndStatus{.ready = true},
      .frontEndGain = 0x0E,
      .frontEndReference = 0x36,
      .frontEndMode = 0x03}},
    {"front end written, protected",
     {22, 33, 0x00, 0x11, 0x1F, 0xFF, 0x87},
     {.code = 33,
      .frontEndStatus = Oxy::FrontEndStatus{.ready = true, .writeProtected = true},
      .frontEndGain = 0x1F,
      .frontEndReference = 0xFF,
      .frontEndMode = 0x87}},
    {"bits the tool does not know",
     {22, 32, 0x00, 0x30, 1, 2, 3},
     {.code = 32,
      .frontEndStatus = Oxy::FrontEndStatus{.ready = true, .otherBits = 0x20},
      .frontEndGain = 1,
      .frontEndReference = 2,
      .frontEndMode = 3}},
    {"save: the status alone", {22, 7, 0x00}, {.code = 7}},
};
} // namespace

class TestReplies : public QObject {
    Q_OBJECT
  private slots:
    void base() {
        checkTable(BaseRows, decodeBase);
        // The identification (InstrumentKind.h) carries no state and no battery.
        QVERIFY(decodeBase({0, 9, 0x1F, 0x03, 1, 0x39, 0x30}) == BaseReply{.code = 9});
    }
    void pump() { checkTable(PumpRows, decodePump); }
    void catalytic() { checkTable(CatalyticRows, decodeCatalytic); }
    void semiconductor() { checkTable(SemiconductorRows, decodeSemiconductor); }
    void pgs() { checkTable(PgsRows, decodePgs); }
    void optical() { checkTable(OpticalRows, decodeOptical); }
    void oxygen() { checkTable(OxygenRows, decodeOxygen); }

    void encodersGiveTheFrameBack() {
        checkRoundTrips(BaseRows, decodeBase);
        checkRoundTrips(PumpRows, decodePump);
        checkRoundTrips(CatalyticRows, decodeCatalytic);
        checkRoundTrips(SemiconductorRows, decodeSemiconductor);
        checkRoundTrips(PgsRows, decodePgs);
        checkRoundTrips(OpticalRows, decodeOptical);
        checkRoundTrips(OxygenRows, decodeOxygen);
    }

    // A concentration counts only while the sensor measures: the catalytic
    // sensor on and in working mode, the ПГС sensor on.
    void measuring() {
        QVERIFY(decodeCatalytic({3, 12, 0x01}).measuring());
        QVERIFY(!decodeCatalytic({3, 12, 0x81}).measuring());
        QVERIFY(!decodeCatalytic({3, 12, 0x00}).measuring());
        QVERIFY(decodePgs({8, 12, 0x81}).measuring());
        QVERIFY(!decodePgs({8, 12, 0x80}).measuring());
    }

    void oxygenUnits() {
        const OxygenReply r = decodeOxygen({22, 12, 0, 0, 0, 60, 103});
        QCOMPARE(r.temperatureCelsius(), std::optional<int>(25));
        QCOMPARE(r.coefficientTenths(), std::optional<int>(1003));
        QVERIFY(!decodeOxygen({22, 1}).temperatureCelsius());
        const std::optional<FrontEnd::Bytes> bytes =
            decodeOxygen({22, 9, 0, 0x12, 0x0E, 0x36, 0x03}).frontEnd();
        QVERIFY(bytes && bytes->gain == 0x0E && bytes->reference == 0x36 && bytes->mode == 0x03);
    }

    // A front end that is not ready has no register bytes to tell; its state
    // still says whether it is write-protected.
    void frontEndNotReady() {
        for (std::uint8_t code : {32, 33}) {
            const OxygenReply r = decodeOxygen({22, code, 0x00, 0x01, 0x0E, 0x36, 0x03});
            QVERIFY(r.frontEndStatus && !r.frontEndStatus->ready);
            QVERIFY(r.frontEndStatus->writeProtected);
            QVERIFY(!r.frontEndGain && !r.frontEndReference && !r.frontEndMode);
        }
    }

    // Values a word cannot hold go out clamped, never wrapped.
    void encodersClamp() {
        QCOMPARE(encode(CatalyticReply{.concentration = 40000, .voltageTenths = -5}),
                 (Frame{3, 12, 0, 0xFF, 0x7F, 0, 0}));
        QCOMPARE(encode(PgsReply{.threshold1 = -40000}), (Frame{8, 12, 0, 0x00, 0x80}));
    }
};

QTEST_GUILESS_MAIN(TestReplies)
#include "test_replies.moc"
