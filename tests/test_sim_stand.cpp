// The virtual test stand: 32 blocks behind the base's multiplexer, reached
// by the channel in the base's poll, some positions empty, one block that
// loses its saves, one chamber of gas.

#include "protocol/BaseCodes.h"
#include "protocol/SensorCodes.h"
#include "sim/CatalyticSensorModel.h"
#include "sim/OxygenBlockModel.h"
#include "sim/ReplyWords.h"
#include "sim/VirtualInstrument.h"

#include <QTest>

#include <set>

namespace {

Frame command(std::uint8_t block, std::uint8_t code, std::uint8_t b2 = 0) {
    return sealed(Frame{Block::address(block), code, b2, 0, 0, 0, 0, 0});
}

// A ТКС instrument carrying the standard stand, on a clock the test turns.
struct Bench {
    std::int64_t nowMs = 0;
    VirtualInstrument vi{1, 300};
    Bench() {
        vi.setClock([this] { return nowMs; });
        vi.setStand(VirtualStand::standard());
    }
    std::optional<Frame> pick(std::uint8_t channel) {
        return vi.answer(command(Block::Base, Code::Poll, channel));
    }
    std::optional<Frame> sensor(std::uint8_t code) { return vi.answer(command(Block::Tks, code)); }
    CatalyticSensorModel *at(int position) {
        return dynamic_cast<CatalyticSensorModel *>(vi.stand()->at(position));
    }
};

} // namespace

class TestSimStand : public QObject {
    Q_OBJECT
  private slots:
    // The block that answers is the one at the channel picked last; a poll
    // without a channel leaves the multiplexer where it is; an empty
    // position keeps quiet while the base goes on answering.
    void theChannelPicksTheBlock() {
        Bench b;
        QVERIFY(b.vi.stand());
        QCOMPARE(b.vi.stand()->selected(), 1);
        QVERIFY(b.pick(5));
        QVERIFY(b.sensor(CatalyticCode::SetUp));
        QVERIFY(b.at(5)->setupMode());
        QVERIFY(!b.at(6)->setupMode());
        QVERIFY(b.pick(0));
        QCOMPARE(b.vi.stand()->selected(), 5);
        QVERIFY(b.pick(33));
        QCOMPARE(b.vi.stand()->selected(), 5);
        for (int empty : VirtualStand::standard().empty) {
            QVERIFY(b.pick(std::uint8_t(empty)));
            QVERIFY(!b.vi.stand()->at(empty));
            QVERIFY(!b.sensor(Code::Poll));
        }
        QVERIFY(b.pick(6));
        QVERIFY(b.sensor(CatalyticCode::SetUp));
        QVERIFY(b.at(6)->setupMode());
    }

    // One chamber: a gas put on reaches every block, each at its own pace,
    // and each sensor is a sensor of its own.
    void oneChamberManySensors() {
        Bench b;
        b.vi.applyGas(TestGas::Cylinder, 250);
        std::set<std::int64_t> settling;
        std::set<int> baselines;
        for (int p = 1; p <= VirtualStand::Positions; ++p) {
            CatalyticSensorModel *s = b.at(p);
            if (!s)
                continue;
            QCOMPARE(s->appliedGas(), TestGas::Cylinder);
            const std::int64_t tau = b.vi.stand()->settlingMs(p);
            QVERIFY(tau >= VirtualStand::SettlingMinMs && tau <= VirtualStand::SettlingMaxMs);
            settling.insert(tau);
        }
        QVERIFY(settling.size() > 10);
        b.vi.applyGas(TestGas::CleanAir);
        b.nowMs = 120000;
        for (int p : {1, 2, 3, 4}) {
            QVERIFY(b.pick(std::uint8_t(p)));
            QVERIFY(b.sensor(Code::Poll));
            baselines.insert(b.at(p)->voltageTenths());
        }
        QVERIFY(baselines.size() > 1);
    }

    // A save is kept by every block but the one at 12, whose working points
    // fall back to what its memory held.
    void theBlockAtTwelveLosesItsSave() {
        Bench b;
        b.vi.setDrifted(true);
        b.vi.applyGas(TestGas::CleanAir);
        b.nowMs = 120000;
        for (int p : {11, 12}) {
            QVERIFY(b.pick(std::uint8_t(p)));
            const int before = b.at(p)->saved().uAirTenths;
            QVERIFY(b.sensor(CatalyticCode::SetUp));
            QVERIFY(b.sensor(CatalyticCode::AirPoint));
            const int taken = b.at(p)->working().uAirTenths;
            QVERIFY(taken != before);
            QVERIFY(b.sensor(CatalyticCode::Save));
            const Frame points = *b.sensor(CatalyticCode::ReadVoltages);
            QCOMPARE(signed16(points, 3), p == 12 ? before : taken);
            QCOMPARE(b.at(p)->saved().uAirTenths, p == 12 ? before : taken);
        }
    }

    // An oxygen instrument carries a stand of oxygen blocks; without a stand
    // the one block is back.
    void aStandOfTheInstrumentsKind() {
        VirtualInstrument vi(7, 301);
        vi.setStand(VirtualStand::Layout{{2}, 0});
        QVERIFY(dynamic_cast<OxygenBlockModel *>(vi.stand()->at(1)));
        QVERIFY(!vi.stand()->at(2));
        // The block the tool reaches is the one the multiplexer is on.
        QCOMPARE(static_cast<SensorBlockModel *>(vi.oxygen()), vi.stand()->at(1));
        QVERIFY(vi.answer(command(Block::Base, Code::Poll, 2)));
        QVERIFY(!vi.oxygen());
        vi.setStand(std::nullopt);
        QVERIFY(!vi.stand());
        QVERIFY(vi.oxygen());
    }
};

QTEST_MAIN(TestSimStand)
#include "test_sim_stand.moc"
