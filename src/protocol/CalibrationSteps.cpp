// The steps of a calibration for each kind of block, and what it reads and
// sends on the way: the block's own codes only.

#include "CalibrationState.h"
#include "SensorCodes.h"

#include <algorithm>
#include <cstdio>

namespace {
using calibration::Op;
using calibration::Sensor;
using calibration::Source;
using Kind = Op::Kind;
using Action = CalibrationProcedure::Action;
using Waiting = CalibrationProcedure::Waiting;
using Phase = Measurement::Phase;

// The codes the catalytic and oxygen blocks share, and the ПГС block's own.
namespace C = CatalyticCode;
constexpr std::uint8_t Version = C::On;
constexpr std::uint8_t ZeroPoint = C::AirPoint;

constexpr int Alarm1 = 0b01;
constexpr int Alarms12 = 0b11;

std::string percent(int value, int perPercent) {
    return percentText(value, perPercent);
}

Op ask(std::string text, TestGas gas, Source source,
       std::vector<Action> actions = {Action::Ready, Action::Abort},
       std::function<void(Action)> chosen = {}) {
    Op op;
    op.kind = Kind::Ask;
    op.step = {std::move(text), gas, Waiting::Technician, std::move(actions)};
    op.source = source;
    op.chosen = std::move(chosen);
    return op;
}

Op wait(const std::string &point, TestGas gas, Source source,
        std::optional<Measurement> measure = std::nullopt) {
    Op op;
    op.kind = Kind::Wait;
    const char *what = source == Source::Alarms ? ": дождитесь, пока сигнализация установится"
                                                : ": дождитесь установившихся показаний";
    op.step = {point + what, gas, Waiting::Steady, {Action::AcceptNow, Action::Abort}};
    op.source = source;
    op.measure = std::move(measure);
    return op;
}

Op run(std::function<void()> fn) {
    Op op;
    op.kind = Kind::Run;
    op.run = std::move(fn);
    return op;
}

Measurement measure(Phase phase, TestGas gas, std::string point, int expected) {
    Measurement m;
    m.phase = phase;
    m.gas = gas;
    m.point = std::move(point);
    m.expected = expected;
    return m;
}

Measurement alarmCheck(Phase phase, TestGas gas, std::string point, int alarms) {
    Measurement m = measure(phase, gas, std::move(point), 0);
    m.alarmsExpected = alarms;
    return m;
}

bool allPassed(const CalibrationRecord &rec, Phase phase) {
    return std::all_of(rec.measurements.begin(), rec.measurements.end(),
                       [phase](const Measurement &m) { return m.phase != phase || m.passed; });
}

AdjustedPoint point(const char *name, int perUnit) {
    AdjustedPoint p;
    p.name = name;
    p.perUnit = perUnit;
    return p;
}

const char *const Threshold1Gas = "Подайте на датчик газ порога 1";
const char *const Threshold2Gas = "Подайте на датчик газ порога 2";
} // namespace

void CalibrationProcedure::State::then(std::vector<Op> next) {
    ops.insert(ops.begin(), std::make_move_iterator(next.begin()),
               std::make_move_iterator(next.end()));
}

// A request; after an abort or a fault the technician can no longer abort it.
Op CalibrationProcedure::State::send(std::uint8_t code, std::string text,
                                     std::optional<WriteData> data,
                                     std::function<void()> answered) const {
    Op op;
    op.kind = Kind::Send;
    op.code = code;
    op.step = {std::move(text), TestGas::Ambient, Waiting::Block, {}};
    if (!ending)
        op.step.actions = {Action::Abort};
    op.data = std::move(data);
    op.answered = std::move(answered);
    return op;
}

void CalibrationProcedure::State::appendReads(std::vector<Op> &to) const {
    for (std::uint8_t code : pointReads())
        to.push_back(send(code, "Чтение точек и настроек блока"));
}

std::vector<std::uint8_t> CalibrationProcedure::State::pointReads() const {
    switch (sensor) {
    case Sensor::Catalytic:
    case Sensor::Oxygen:
        return {C::ReadVoltages, C::ReadCalibrationGas, C::ReadThresholds};
    case Sensor::Pgs:
        return {PgsCode::ReadThresholds};
    case Sensor::Optical:
        break;
    }
    return {};
}

// The points of the record, in the order takeBefore() names them.
std::vector<std::optional<int>> CalibrationProcedure::State::pointValues() const {
    auto setting = [this](const char *key) {
        const auto it = settings.find(key);
        return it == settings.end() ? std::nullopt : std::optional<int>(it->second);
    };
    switch (sensor) {
    case Sensor::Catalytic:
    case Sensor::Oxygen:
        return {firstPoint, secondPoint, setting("calibrationGas")};
    case Sensor::Pgs:
        return {setting("threshold1"), setting("threshold2")};
    case Sensor::Optical:
        break;
    }
    return {};
}

void CalibrationProcedure::State::takeBefore() {
    std::vector<AdjustedPoint> points;
    if (sensor == Sensor::Catalytic)
        points = {point("U воздух, мВ", 10), point("U газ, мВ", 10),
                  point("Калибровочный газ, %", 100)};
    else if (sensor == Sensor::Oxygen)
        points = {point("U ноль, мВ", 10), point("U газ, мВ", 10),
                  point("Калибровочный газ, %", 10)};
    else if (sensor == Sensor::Pgs)
        points = {point("Порог 1", 1), point("Порог 2", 1)};
    const std::vector<std::optional<int>> values = pointValues();
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i].before = values[i];
    rec.points = std::move(points);
    settingsStart = settings;
}

std::string CalibrationProcedure::State::zeroInstruction() const {
    return sensor == Sensor::Oxygen ? "Подайте на датчик нулевой газ (азот)"
                                    : "Подайте на датчик чистый воздух";
}

calibration::Span CalibrationProcedure::State::span() const {
    const Cylinder &c = rec.cylinder;
    if (sensor == Sensor::Oxygen && c.concentration == 0 && rules->airSpan)
        return {"Подайте на датчик атмосферный воздух (" + percent(*rules->airSpan, 10) + " %)",
                "Атмосферный воздух", "Проверка после настройки: атмосферный воздух",
                TestGas::CleanAir, *rules->airSpan};
    return {"Подайте на датчик газ из баллона № " + c.number + ", " +
                percent(c.concentration, rec.perPercent) + " %",
            "Газ из баллона", "Проверка после настройки: газ из баллона", TestGas::Cylinder,
            c.concentration};
}

void CalibrationProcedure::State::begin() {
    std::vector<Op> start{send(Version, "Чтение версии блока")};
    appendReads(start);
    start.push_back(run([this] { takeBefore(); }));
    then(std::move(start));
    asFound();
}

void CalibrationProcedure::State::asFound() {
    std::vector<Op> v;
    if (sensor == Sensor::Pgs) {
        v.push_back(ask(Threshold1Gas, TestGas::Threshold1, Source::Alarms));
        v.push_back(wait("Порог 1", TestGas::Threshold1, Source::Alarms,
                         alarmCheck(Phase::AsFound, TestGas::Threshold1, "Порог 1", Alarm1)));
        v.push_back(ask(Threshold2Gas, TestGas::Threshold2, Source::Alarms));
        v.push_back(wait("Порог 2", TestGas::Threshold2, Source::Alarms,
                         alarmCheck(Phase::AsFound, TestGas::Threshold2, "Порог 2", Alarms12)));
    } else {
        const bool oxygen = sensor == Sensor::Oxygen;
        const TestGas zero = oxygen ? TestGas::ZeroGas : TestGas::CleanAir;
        const std::string zeroPoint = oxygen ? "Нулевой газ" : "Чистый воздух";
        const Span g = span();
        v.push_back(ask(zeroInstruction(), zero, Source::Concentration));
        v.push_back(wait(zeroPoint, zero, Source::Concentration,
                         measure(Phase::AsFound, zero, zeroPoint, 0)));
        v.push_back(ask(g.instruction, g.gas, Source::Concentration));
        v.push_back(wait(g.point, g.gas, Source::Concentration,
                         measure(Phase::AsFound, g.gas, g.point, g.expected)));
    }
    v.push_back(run([this] { verdict(); }));
    ops.insert(ops.end(), std::make_move_iterator(v.begin()), std::make_move_iterator(v.end()));
}

void CalibrationProcedure::State::verdict() {
    const bool passed = allPassed(rec, Phase::AsFound);
    if (sensor == Sensor::Optical) {
        if (passed)
            finish(CalibrationOutcome::PassedAsFound, "");
        else
            finish(CalibrationOutcome::Failed,
                   "Показания вне допуска. Блок нужно отправить в сервис: этот инструмент его "
                   "не настраивает.");
        return;
    }
    const auto chosen = [this](Action a) {
        if (a == Action::Finish)
            finish(CalibrationOutcome::PassedAsFound, "");
        else
            adjust();
    };
    if (passed)
        then({ask("Показания в допуске. Завершить без настройки или настроить?", gas, source,
                  {Action::Finish, Action::Adjust, Action::Abort}, chosen)});
    else
        then({ask("Показания вне допуска: требуется настройка", gas, source,
                  {Action::Adjust, Action::Abort}, chosen)});
}

void CalibrationProcedure::State::adjust() {
    std::vector<Op> v{send(C::SetUp, "Перевод блока в режим настройки")};
    if (sensor == Sensor::Pgs) {
        v.push_back(ask(Threshold1Gas, TestGas::Threshold1, Source::Signal));
        v.push_back(wait("Порог 1", TestGas::Threshold1, Source::Signal));
        v.push_back(send(PgsCode::ApplyThreshold1, "Запись порога 1"));
        v.push_back(ask(Threshold2Gas, TestGas::Threshold2, Source::Signal));
        v.push_back(wait("Порог 2", TestGas::Threshold2, Source::Signal));
        v.push_back(send(PgsCode::ApplyThreshold2, "Запись порога 2"));
        v.push_back(send(PgsCode::ReadThresholds, "Чтение порогов"));
        v.push_back(send(PgsCode::Save, "Сохранение настройки в блоке", std::nullopt,
                         [this] { saved = true; }));
        v.push_back(
            ask("Проверка после настройки: газ порога 2", TestGas::Threshold2, Source::Alarms));
        v.push_back(wait("Порог 2", TestGas::Threshold2, Source::Alarms,
                         alarmCheck(Phase::AsLeft, TestGas::Threshold2, "Порог 2", Alarms12)));
        v.push_back(ask(Threshold1Gas, TestGas::Threshold1, Source::Alarms));
        v.push_back(wait("Порог 1", TestGas::Threshold1, Source::Alarms,
                         alarmCheck(Phase::AsLeft, TestGas::Threshold1, "Порог 1", Alarm1)));
    } else {
        // In set-up mode the catalytic concentration is no measurement: the
        // points are taken on the mid-point voltage.
        const bool oxygen = sensor == Sensor::Oxygen;
        const Source settle = oxygen ? Source::Concentration : Source::Signal;
        const TestGas zero = oxygen ? TestGas::ZeroGas : TestGas::CleanAir;
        const std::string zeroPoint = oxygen ? "Нулевой газ" : "Чистый воздух";
        const Span g = span();
        v.push_back(run([this] { offerGasWrite(); }));
        v.push_back(ask(zeroInstruction(), zero, settle));
        v.push_back(wait(zeroPoint, zero, settle));
        v.push_back(send(ZeroPoint, oxygen ? "Запись точки нуля" : "Запись точки воздуха"));
        v.push_back(send(C::ReadVoltages, "Чтение точек блока"));
        v.push_back(ask(g.instruction, g.gas, settle));
        v.push_back(wait(g.point, g.gas, settle));
        v.push_back(send(C::GasPoint, "Запись точки газа"));
        v.push_back(send(C::ReadVoltages, "Чтение точек блока"));
        v.push_back(
            send(C::Save, "Сохранение настройки в блоке", std::nullopt, [this] { saved = true; }));
        v.push_back(ask(g.check, g.gas, Source::Concentration));
        v.push_back(wait(g.point, g.gas, Source::Concentration,
                         measure(Phase::AsLeft, g.gas, g.point, g.expected)));
        v.push_back(ask(zeroInstruction(), zero, Source::Concentration));
        v.push_back(wait(zeroPoint, zero, Source::Concentration,
                         measure(Phase::AsLeft, zero, zeroPoint, 0)));
    }
    appendReads(v);
    v.push_back(run([this] { finishChecked(); }));
    then(std::move(v));
}

// The block reckons its gas point with its own calibration-gas setting: when
// that is not the gas applied, the technician may write the cylinder's.
void CalibrationProcedure::State::offerGasWrite() {
    const int target = span().expected;
    const auto held = settingsStart.find("calibrationGas");
    const auto threshold1 = settingsStart.find("threshold1");
    if (held == settingsStart.end() || threshold1 == settingsStart.end() || held->second == target)
        return;
    const bool air = span().gas != TestGas::Cylinder;
    const std::string wanted = percent(target, rec.perPercent) + " %";
    const std::string text =
        "В блоке задана концентрация калибровочного газа " + percent(held->second, rec.perPercent) +
        " %, " + (air ? "в атмосферном воздухе " : "у баллона ") + wanted + ". " +
        (air ? "Записать " + wanted + " в блок?" : "Записать концентрацию баллона в блок?");
    const int keep = threshold1->second;
    then({ask(text, gas, source, {Action::WriteGas, Action::KeepGas, Action::Abort},
              [this, target, keep](Action a) {
                  if (a != Action::WriteGas)
                      return;
                  WriteData d;
                  d.setWord(3, target);
                  d.setWord(5, keep);
                  then({send(C::WriteUpper, "Запись концентрации калибровочного газа", d),
                        send(C::ReadCalibrationGas, "Проверка записи", std::nullopt,
                             [this, target, keep] {
                                 const auto g = settings.find("calibrationGas");
                                 const auto t = settings.find("threshold1");
                                 if (g != settings.end() && g->second == target &&
                                     t != settings.end() && t->second == keep)
                                     return;
                                 readBack(CalibrationOutcome::Failed,
                                          "Блок не сохранил записанную концентрацию калибровочного "
                                          "газа " +
                                              percent(target, rec.perPercent) +
                                              " %; настройка не сохранена, блок сброшен",
                                          true);
                             })});
              })});
}

void CalibrationProcedure::State::finishChecked() {
    if (allPassed(rec, Phase::AsLeft))
        finish(CalibrationOutcome::Adjusted, "");
    else
        finish(CalibrationOutcome::Failed, sensor == Sensor::Pgs
                                               ? "После настройки пороги срабатывают неверно"
                                               : "Показания после настройки вне допуска");
}

// After an abort or a fault: the block is reset to what it last kept when it
// was changed and not yet told to keep it, and what it holds then is read for
// the record.
void CalibrationProcedure::State::readBack(CalibrationOutcome outcome, std::string remark,
                                           bool reset) {
    ops.clear();
    ending = true;
    endOutcome = outcome;
    endRemark = std::move(remark);
    firstPoint.reset();
    secondPoint.reset();
    settings.clear();
    std::vector<Op> v;
    if (reset)
        v.push_back(send(C::Reset, "Сброс блока к сохранённой настройке"));
    appendReads(v);
    v.push_back(run([this] { finish(endOutcome, endRemark); }));
    then(std::move(v));
}
