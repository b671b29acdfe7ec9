// A stand of 32 drifted ТКС sensors (the virtual stand: three positions
// empty, the block at 12 losing its saves) calibrated in one pass of gas,
// against the same sensors calibrated one by one, each through the desk's
// procedure with the multiplexer switched to it first. Both run on the
// simulated clock: a turn of the line is 350 ms, and each change of the gas
// on the chamber takes the technician GasChangeSeconds. Prints the time and
// the gas changes of each and their ratio, and how the positions ended.
//
//     build/bench/ze23-stand-bench
//
// Exit status 1 when the stand takes more than a sixth of the one-by-one time.

#include "calibration/StandCalibration.h"
#include "protocol/BaseCodes.h"
#include "sim/VirtualInstrument.h"

#include <cstdio>
#include <map>

namespace {
constexpr std::int64_t TurnMs = 350;
constexpr std::int64_t GasChangeSeconds = 30;
constexpr int CylinderConcentration = 250; // 2,50 % methane, block units

struct Run {
    std::int64_t ms = 0;
    int gasChanges = 0;
    std::map<std::string, int> ended;
};

CalibrationRecord base() {
    CalibrationRecord r;
    r.cylinder.number = "12345";
    r.cylinder.gas = "CH4 в воздухе";
    r.cylinder.concentration = CylinderConcentration;
    r.cylinder.expiry = "2027-12-31";
    r.when = "2026-12-09T10:00:00";
    return r;
}

// The chamber with the stand's instrument, the clock and the gas on it.
struct Chamber {
    Chamber() {
        vi.setClock([this] { return now; });
        vi.setStand(VirtualStand::standard());
        vi.setDrifted(true);
    }
    void put(TestGas gas, Run &run) {
        if (gas == on)
            return;
        vi.applyGas(gas, gas == TestGas::Cylinder ? CylinderConcentration : 0);
        on = gas;
        now += GasChangeSeconds * 1000;
        ++run.gasChanges;
    }
    std::int64_t now = 0;
    VirtualInstrument vi{1, 2312};
    TestGas on = TestGas::Ambient;
};

std::string ending(CalibrationOutcome o) {
    return outcomeText(o);
}

Run onePass() {
    Chamber c;
    Run run;
    std::vector<StandCalibration::Fitted> fitted;
    for (int p = 1; p <= VirtualStand::Positions; ++p)
        fitted.push_back({p, {}});
    StandCalibration stand(Block::Tks, SensorGas::Methane, base(), fitted, c.now);
    std::optional<Frame> pending;
    for (int turn = 0; turn < 2'000'000 && !stand.finished(); ++turn) {
        if (pending)
            stand.takeReply(*pending, c.now);
        pending.reset();
        const auto &a = stand.stage().actions;
        if (std::find(a.begin(), a.end(), CalibrationProcedure::Action::Ready) != a.end()) {
            c.put(stand.stage().gas, run);
            stand.act(CalibrationProcedure::Action::Ready, c.now);
        }
        if (const std::optional<Frame> f = stand.nextFrame(c.now))
            pending = c.vi.answer(*f);
        c.now += TurnMs;
    }
    for (const StandCalibration::Position &p : stand.positions())
        ++run.ended[p.state == StandCalibration::State::Empty
                        ? std::string("пусто")
                        : ending(stand.procedure(p.position)->record().outcome)];
    run.ms = c.now;
    return run;
}

Run oneByOne() {
    Chamber c;
    Run run;
    using Action = CalibrationProcedure::Action;
    for (int position = 1; position <= VirtualStand::Positions; ++position) {
        c.vi.answer(sealed(
            Frame{Block::address(Block::Base), Code::Poll, static_cast<std::uint8_t>(position)}));
        c.now += TurnMs;
        // As the desk runs it: a stand of one.
        StandCalibration p(CalibrationProcedure(Block::Tks, SensorGas::Methane, base(), c.now),
                           c.now);
        std::optional<Frame> pending;
        bool answered = false;
        for (int turn = 0; turn < 200'000 && !p.finished(); ++turn) {
            if (pending) {
                answered = true;
                p.takeReply(*pending, c.now);
            }
            pending.reset();
            const CalibrationProcedure::Step &s = p.desk()->step();
            if (s.waiting == CalibrationProcedure::Waiting::Technician) {
                const auto offers = [&s](Action a) {
                    return std::find(s.actions.begin(), s.actions.end(), a) != s.actions.end();
                };
                // The choices the stand makes by rule, made the same way.
                if (offers(Action::Finish))
                    p.act(Action::Finish, c.now);
                else if (offers(Action::Adjust))
                    p.act(Action::Adjust, c.now);
                else if (offers(Action::WriteGas))
                    p.act(Action::WriteGas, c.now);
                else {
                    c.put(s.gas, run);
                    p.act(Action::Ready, c.now);
                }
            }
            if (const std::optional<Frame> f = p.nextFrame(c.now))
                pending = c.vi.answer(*f);
            c.now += TurnMs;
        }
        ++run.ended[answered ? ending(p.desk()->record().outcome) : std::string("пусто")];
    }
    run.ms = c.now;
    return run;
}

void print(const char *what, const Run &r) {
    std::printf("%-34s %7.1f min  %4d gas changes  ", what, double(r.ms) / 60000.0, r.gasChanges);
    for (const auto &[ending, count] : r.ended)
        std::printf(" %s: %d;", ending.c_str(), count);
    std::printf("\n");
}
} // namespace

int main() {
    const Run stand = onePass(), single = oneByOne();
    std::printf("32 drifted ТКС sensors, a turn of %lld ms, %lld s a change of gas\n",
                static_cast<long long>(TurnMs), static_cast<long long>(GasChangeSeconds));
    print("the stand in one pass of gas", stand);
    print("one by one", single);
    const double ratio = double(stand.ms) / double(single.ms);
    std::printf("stand / one by one: %.3f of the time (goal at most 1/6 = 0.167), %d against %d "
                "gas changes\n",
                ratio, stand.gasChanges, single.gasChanges);
    return ratio <= 1.0 / 6.0 ? 0 : 1;
}
