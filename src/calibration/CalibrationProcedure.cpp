#include "CalibrationProcedure.h"

#include "CalibrationState.h"
#include "protocol/CatalyticReply.h"
#include "protocol/OpticalReply.h"
#include "protocol/OxygenReply.h"
#include "protocol/PgsReply.h"
#include "protocol/SettingsSession.h"

#include <algorithm>
#include <cstdlib>

namespace {
using Kind = calibration::Op::Kind;
using calibration::Sensor;
using calibration::Source;

Sensor sensorOf(const CalibrationRules &rules) {
    if (rules.style == CalibrationStyle::Thresholds)
        return Sensor::Pgs;
    if (rules.style == CalibrationStyle::CheckOnly)
        return Sensor::Optical;
    return rules.block == Block::Oxygen ? Sensor::Oxygen : Sensor::Catalytic;
}

void put(std::map<std::string, int> &to, const char *key, const std::optional<int> &value) {
    if (value)
        to[key] = *value;
}

int alarmBits(bool first, bool second, bool third = false) {
    return (first ? 1 : 0) | (second ? 2 : 0) | (third ? 4 : 0);
}
} // namespace

CalibrationProcedure::State::State(std::uint8_t block_, SensorGas gas_, CalibrationRecord base,
                                   std::int64_t now)
    : block(block_), rules(findCalibrationRules(block_)), rec(std::move(base)), nowMs(now) {
    rec.block = block;
    rec.sensorGas = gas_;
    rec.tolerance = defaultTolerance(gas_);
    if (!rules) {
        finish(CalibrationOutcome::Interrupted,
               "Блок " + std::to_string(block) + " этим инструментом не калибруется");
        return;
    }
    sensor = sensorOf(*rules);
    rec.perPercent = rules->perPercent;
    rec.steady = rules->steady;
    rec.method = rules->method;
    const bool needsCylinder = sensor == Sensor::Catalytic || sensor == Sensor::Optical;
    if (needsCylinder && rec.cylinder.concentration <= 0) {
        finish(CalibrationOutcome::Interrupted,
               "Не указана концентрация газа в баллоне: калибровка не начата");
        return;
    }
    begin();
    advance();
}

CalibrationProcedure::State::State(const CalibrationRecord &interrupted, std::int64_t now)
    : block(interrupted.block), rules(findCalibrationRules(interrupted.block)), rec(interrupted),
      nowMs(now) {
    // A new record: the store gives its numbers and check sum.
    rec.corrects = interrupted.number > 0 ? std::optional(interrupted.number) : std::nullopt;
    rec.number = 0;
    rec.bench.clear();
    rec.benchNumber = 0;
    rec.hash.clear();
    if (!rules) {
        finish(CalibrationOutcome::Interrupted,
               "Блок " + std::to_string(block) + " этим инструментом не калибруется");
        return;
    }
    sensor = sensorOf(*rules);
    // The points before are the interrupted calibration's; what the block
    // holds after the reset is judged against them.
    setUpSent = true;
    settingsStart.clear();
    readBack(CalibrationOutcome::Interrupted,
             "Блок сброшен после настройки, прерванной потерей связи", true);
    advance();
}

void CalibrationProcedure::State::advance() {
    while (!finished) {
        if (ops.empty()) {
            // Every run of steps ends by finishing; this is only a guard.
            finish(rec.outcome, rec.remark);
            return;
        }
        Op &op = ops.front();
        if (op.kind == Kind::Run) {
            const std::function<void()> run = std::move(op.run);
            ops.pop_front();
            run();
            continue;
        }
        // A new step starts a new chart; the requests inside one keep its number.
        const int number = op.step.number ? op.step.number : step.number;
        if (number != step.number)
            chart.clear();
        step = op.step;
        step.number = number;
        step.count = stepCount();
        if (op.kind == Kind::Send) {
            step.gas = gas;
            return;
        }
        gas = op.step.gas;
        source = op.source;
        if (op.kind == Kind::Wait && !watch)
            beginWait();
        return;
    }
}

std::optional<Frame> CalibrationProcedure::State::frame() {
    while (!finished && !ops.empty()) {
        Op &op = ops.front();
        if (op.kind != Kind::Send)
            return sealed(Frame{Block::address(block), Code::Poll});
        if (awaiting) {
            if (++turnsWaited < SettingsSession::TurnsToWait)
                return std::nullopt;
            if (sends >= SettingsSession::Sends) {
                silent();
                continue;
            }
        } else {
            sends = 0;
        }
        awaiting = true;
        turnsWaited = 0;
        ++sends;
        if (op.code == CatalyticCode::SetUp)
            setUpSent = true;
        Frame f{Block::address(block), op.code};
        if (op.data)
            op.data->applyTo(f);
        return sealed(f);
    }
    return std::nullopt;
}

void CalibrationProcedure::State::take(const Frame &reply) {
    if (finished || !checksumHolds(reply) || reply[0] != block)
        return;
    if (reply[1] == Code::Poll)
        feed(reply);
    if (!awaiting || ops.empty() || ops.front().kind != Kind::Send || reply[1] != ops.front().code)
        return;
    const std::function<void()> answered = std::move(ops.front().answered);
    ops.pop_front();
    awaiting = false;
    absorb(reply);
    if (answered)
        answered();
    advance();
}

// A poll's readings: they feed the live value and the wait under way.
void CalibrationProcedure::State::feed(const Frame &reply) {
    switch (sensor) {
    case Sensor::Catalytic: {
        const CatalyticReply r = decodeCatalytic(reply);
        concentration = r.status.on ? r.concentration : std::nullopt;
        signal = r.status.on ? r.voltageTenths : std::nullopt;
        break;
    }
    case Sensor::Oxygen:
        concentration = decodeOxygen(reply).concentration;
        break;
    case Sensor::Pgs: {
        const PgsReply r = decodePgs(reply);
        alarms = alarmBits(r.status.alarm1, r.status.alarm2);
        signal = r.measuring() ? r.converterValue : std::nullopt;
        break;
    }
    case Sensor::Optical: {
        const OpticalReply r = decodeOptical(reply);
        concentration = r.concentration;
        alarms = alarmBits(r.status.alarm1, r.status.alarm2, r.status.alarm3);
        break;
    }
    }
    if (!watch || ops.empty() || ops.front().kind != Kind::Wait)
        return;
    const double seconds = static_cast<double>(nowMs - waitBeganMs) / 1000.0;
    if (alarms)
        alarmsInWait |= *alarms;
    if (const std::optional<double> value = shown(source)) {
        chart.push_back({seconds, *value});
        chartWatch->add(seconds, *value);
    }
    const std::optional<int> &decides = source == Source::Concentration ? concentration
                                        : source == Source::Signal      ? signal
                                                                        : alarms;
    if (!decides)
        return;
    watch->add(seconds, *decides);
    if (watch->steady())
        completeWait(false);
}

// An answer to a request: the version, the voltages and the settings it carries.
void CalibrationProcedure::State::absorb(const Frame &reply) {
    std::optional<std::uint8_t> version;
    switch (sensor) {
    case Sensor::Catalytic: {
        const CatalyticReply r = decodeCatalytic(reply);
        version = r.version;
        if (r.uAirTenths) {
            firstPoint = r.uAirTenths;
            secondPoint = r.uGasTenths;
        }
        put(settings, "calibrationGas", r.calibrationGas);
        put(settings, "threshold1", r.threshold1);
        put(settings, "threshold2", r.threshold2);
        put(settings, "offThreshold", r.offThreshold);
        break;
    }
    case Sensor::Oxygen: {
        const OxygenReply r = decodeOxygen(reply);
        version = r.version;
        if (r.uZeroTenths) {
            firstPoint = r.uZeroTenths;
            secondPoint = r.uGasTenths;
        }
        put(settings, "calibrationGas", r.calibrationGas);
        put(settings, "threshold1", r.threshold1);
        put(settings, "threshold2", r.threshold2);
        put(settings, "threshold3", r.threshold3);
        break;
    }
    case Sensor::Pgs: {
        const PgsReply r = decodePgs(reply);
        version = r.version;
        put(settings, "threshold1", r.threshold1);
        put(settings, "threshold2", r.threshold2);
        break;
    }
    case Sensor::Optical:
        version = decodeOptical(reply).version;
        break;
    }
    if (version)
        rec.versions["sensor"] = *version;
}

void CalibrationProcedure::State::choose(Action action) {
    if (std::find(step.actions.begin(), step.actions.end(), action) == step.actions.end())
        return;
    if (action == Action::Abort) {
        abort();
        return;
    }
    Op &op = ops.front();
    if (op.kind == Kind::Wait && action == Action::AcceptNow) {
        if (watch && !watch->empty())
            completeWait(true);
        return;
    }
    if (op.kind != Kind::Ask)
        return;
    const std::function<void(Action)> chosen = std::move(op.chosen);
    ops.pop_front();
    if (chosen)
        chosen(action);
    advance();
}

SteadyRule CalibrationProcedure::State::ruleFor(Source s) const {
    switch (s) {
    case Source::Concentration:
        return rec.steady;
    case Source::Signal: {
        SteadyRule r = rules->signalSteady;
        r.readings = readings;
        return r;
    }
    case Source::Alarms:
        return {rec.steady.windowSeconds, 1, readings}; // unchanged
    }
    return rec.steady;
}

void CalibrationProcedure::State::beginWait() {
    const SteadyRule rule = ruleFor(source);
    watch.emplace(rule);
    chartWatch.emplace(SteadyRule{rule.windowSeconds, 1});
    waitBeganMs = nowMs;
    alarmsInWait = 0;
    chart.clear();
}

void CalibrationProcedure::State::completeWait(bool early) {
    Op op = std::move(ops.front());
    ops.pop_front();
    if (op.measure) {
        Measurement m = std::move(*op.measure);
        if (m.alarmsExpected) {
            m.alarmsSeen = static_cast<int>(watch->latest());
            m.passed = m.alarmsSeen == m.alarmsExpected;
        } else {
            m.tolerance = rec.tolerance;
            m.reading = static_cast<int>(watch->latest());
            m.passed = std::abs(*m.reading - m.expected) <= m.tolerance;
            m.secondsTo90 = watch->secondsTo90();
            if (sensor == Sensor::Optical && m.gas == TestGas::Cylinder)
                m.alarmsSeen = alarmsInWait;
        }
        if (!early)
            m.secondsToSteady = watch->lastSeconds();
        m.acceptedEarly = early;
        m.chart = chart;
        rec.measurements.push_back(std::move(m));
    }
    watch.reset();
    chartWatch.reset();
    advance();
}

void CalibrationProcedure::State::abort() {
    ops.clear();
    awaiting = false;
    watch.reset();
    if (!setUpSent)
        finish(CalibrationOutcome::Interrupted, "Прервана техником; блок не изменён");
    else
        // The record says what the read-back finds (heldNow()): a save still
        // out when the technician aborted may well have been kept.
        readBack(CalibrationOutcome::Interrupted, "Прервана техником", !saved);
    advance();
}

void CalibrationProcedure::State::silent() {
    const int code = ops.front().code;
    ops.clear();
    awaiting = false;
    watch.reset();
    const std::string text = "Блок не ответил на код " + std::to_string(code);
    if (ending) {
        finish(endOutcome, endRemark + (code == CatalyticCode::Reset
                                            ? "; на сброс блок тоже не ответил, что в нём "
                                              "осталось, неизвестно"
                                            : "; после сброса блок не ответил на чтение, что в нём "
                                              "осталось, неизвестно"));
    } else if (!setUpSent) {
        finish(CalibrationOutcome::Failed,
               text + "; блок не изменён. Проверьте, что прибор включён и блок на месте");
    } else if (!saved) {
        readBack(CalibrationOutcome::Failed, text + " во время настройки", true);
        advance();
    } else {
        finish(CalibrationOutcome::Failed,
               text + " после сохранения настройки; проверка после неё не завершена");
    }
}

void CalibrationProcedure::State::finish(CalibrationOutcome outcome, std::string remark) {
    rec.outcome = outcome;
    rec.remark = std::move(remark);
    const bool changed = setUpSent;
    const std::vector<std::optional<int>> now = pointValues();
    for (std::size_t i = 0; i < rec.points.size(); ++i)
        rec.points[i].after = changed ? now[i] : rec.points[i].before;
    rec.settingsAfter = changed ? settings : settingsStart;
    rec.nextDue.clear();
    if (rules &&
        (outcome == CalibrationOutcome::PassedAsFound || outcome == CalibrationOutcome::Adjusted))
        rec.nextDue = nextDueDate(rec.when, rules->intervalDays);
    finished = true;
    ops.clear();
    awaiting = false;
    watch.reset();
    chartWatch.reset();
    step = {"Снимите газ с датчика: калибровка окончена («" + outcomeText(outcome) + "»)",
            gas,
            Waiting::Nothing,
            {},
            step.number,
            rules ? stepCount() : 0};
}

std::optional<double> CalibrationProcedure::State::shown(Source s) const {
    if (s == Source::Concentration)
        return concentration
                   ? std::optional<double>(static_cast<double>(*concentration) / rec.perPercent)
                   : std::nullopt;
    if (!signal)
        return std::nullopt;
    return sensor == Sensor::Pgs ? *signal : *signal / 10.0;
}

CalibrationProcedure::CalibrationProcedure(std::uint8_t block, SensorGas gas,
                                           CalibrationRecord base, std::int64_t nowMs)
    : s_(std::make_unique<State>(block, gas, std::move(base), nowMs)) {}
CalibrationProcedure::~CalibrationProcedure() = default;
CalibrationProcedure::CalibrationProcedure(CalibrationProcedure &&) noexcept = default;
CalibrationProcedure &CalibrationProcedure::operator=(CalibrationProcedure &&) noexcept = default;

std::optional<Frame> CalibrationProcedure::nextFrame(std::int64_t nowMs) {
    s_->nowMs = nowMs;
    return s_->frame();
}

void CalibrationProcedure::takeReply(const Frame &reply, std::int64_t nowMs) {
    s_->nowMs = nowMs;
    s_->take(reply);
}

void CalibrationProcedure::act(Action action, std::int64_t nowMs) {
    if (s_->finished)
        return;
    s_->nowMs = nowMs;
    s_->choose(action);
}

void CalibrationProcedure::drop(std::int64_t nowMs) {
    if (s_->finished)
        return;
    s_->nowMs = nowMs;
    // Between set-up mode and the save the block may be left changed.
    s_->finish(CalibrationOutcome::Interrupted, s_->setUpSent && !s_->saved
                                                    ? std::string(LeftInSetUpRemark)
                                                    : std::string("Связь с прибором прервана"));
}

CalibrationProcedure CalibrationProcedure::recovery(const CalibrationRecord &interrupted,
                                                    std::int64_t nowMs) {
    return CalibrationProcedure(std::make_unique<State>(interrupted, nowMs));
}

CalibrationProcedure::CalibrationProcedure(std::unique_ptr<State> state) : s_(std::move(state)) {}

bool leftInSetUp(const CalibrationRecord &r) {
    return r.outcome == CalibrationOutcome::Interrupted &&
           r.remark.rfind(CalibrationProcedure::LeftInSetUpRemark, 0) == 0;
}

const CalibrationProcedure::Step &CalibrationProcedure::step() const {
    return s_->step;
}

std::optional<CalibrationProcedure::SteadyWait> CalibrationProcedure::steadyWait() const {
    const State &s = *s_;
    if (!s.watch)
        return std::nullopt;
    SteadyWait w;
    if (!s.chartWatch->empty()) {
        w.low = s.chartWatch->low();
        w.high = s.chartWatch->high();
    }
    w.secondsWaited = static_cast<double>(s.nowMs - s.waitBeganMs) / 1000.0;
    w.secondsLeft = s.watch->empty()
                        ? std::max(0.0, s.ruleFor(s.source).windowSeconds - w.secondsWaited)
                        : s.watch->secondsLeft();
    w.tooLong = w.secondsWaited > s.rules->maxWaitSeconds;
    return w;
}

std::optional<double> CalibrationProcedure::liveValue() const {
    return s_->shown(s_->source);
}

std::string CalibrationProcedure::liveUnit() const {
    if (s_->source == Source::Concentration)
        return "%";
    return s_->sensor == Sensor::Pgs ? "" : "мВ";
}

std::optional<CalibrationProcedure::Target> CalibrationProcedure::target() const {
    const State &s = *s_;
    if (!s.watch || s.ops.empty() || s.source != Source::Concentration)
        return std::nullopt;
    const std::optional<Measurement> &m = s.ops.front().measure;
    if (!m || m->alarmsExpected)
        return std::nullopt;
    const double per = s.rec.perPercent;
    const double expected = m->expected / per, tolerance = s.rec.tolerance / per;
    return Target{expected, expected - tolerance, expected + tolerance};
}

const std::vector<std::string> &CalibrationProcedure::confirmations() const {
    return s_->confirmed;
}

const std::vector<ChartPoint> &CalibrationProcedure::liveChart() const {
    return s_->chart;
}

bool CalibrationProcedure::finished() const {
    return s_->finished;
}

const CalibrationRecord &CalibrationProcedure::record() const {
    return s_->rec;
}

bool CalibrationProcedure::setRule(SteadyRule rule) {
    State &s = *s_;
    if (s.finished || !s.rec.measurements.empty() || rule.windowSeconds < 1 || rule.band < 1)
        return false;
    s.rec.steady = rule;
    s.rec.steady.readings = s.readings;
    if (s.watch) {
        s.watch->setRule(s.ruleFor(s.source));
        s.chartWatch->setRule({s.ruleFor(s.source).windowSeconds, 1});
    }
    return true;
}

bool CalibrationProcedure::setReadings(int readings) {
    State &s = *s_;
    if (s.finished || !s.rec.measurements.empty() || readings < 1)
        return false;
    s.readings = readings;
    s.rec.steady.readings = readings;
    if (s.watch)
        s.watch->setRule(s.ruleFor(s.source));
    return true;
}

void CalibrationProcedure::blockSilent(std::int64_t nowMs) {
    State &s = *s_;
    if (s.finished)
        return;
    s.nowMs = nowMs;
    if (s.ops.empty() || s.ops.front().kind != calibration::Op::Kind::Send)
        s.ops.push_front(s.send(Code::Poll, s.step.instruction));
    s.silent();
    s.advance();
}

bool CalibrationProcedure::setTolerance(int tolerance) {
    State &s = *s_;
    if (s.finished || !s.rec.measurements.empty() || tolerance < 0)
        return false;
    s.rec.tolerance = tolerance;
    return true;
}
