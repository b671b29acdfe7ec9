// The steps of a calibration for each kind of block, and what it reads and
// sends on the way: the block's own codes only.

#include "CalibrationState.h"
#include "protocol/SensorCodes.h"

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

// The wait with the gas on: `what` names it as gasText() does.
Op wait(const std::string &what, TestGas gas, Source source,
        std::optional<Measurement> measure = std::nullopt) {
    Op op;
    op.kind = Kind::Wait;
    const char *until = source == Source::Alarms ? " и дождитесь, пока сигнализация установится"
                                                 : " и дождитесь устойчивых показаний";
    op.step = {"Держите на датчике " + what + until,
               gas,
               Waiting::Steady,
               {Action::AcceptNow, Action::Abort}};
    op.source = source;
    op.measure = std::move(measure);
    return op;
}

std::string apply(const std::string &what) {
    return "Подайте на датчик " + what;
}

// The ops of one step, numbered.
std::vector<Op> numbered(int number, std::vector<Op> ops) {
    for (Op &op : ops)
        op.step.number = number;
    return ops;
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

// The steps of a run with adjustment: for a zero and a span (or the two
// threshold gases) each gas as found, the decision, each gas while its point
// is taken, the save, each gas as left.
constexpr int StepsAdjusted = 8;
constexpr int DecisionStep = 3, SaveStep = 6;

void append(std::vector<Op> &to, std::vector<Op> more) {
    to.insert(to.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}
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
        to.push_back(send(code, "Подождите: читаются точки и настройки блока"));
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

int CalibrationProcedure::State::stepCount() const {
    return sensor == Sensor::Optical ? 2 : StepsAdjusted;
}

std::string CalibrationProcedure::State::gasText(TestGas g) const {
    const Cylinder *c = cylinderFor(rec, g);
    const int per = c == &rec.cylinder ? rec.perPercent : 100;
    const auto from = [&](std::string what, const std::string &formula) {
        if (!c)
            return what;
        what += c->number.empty() ? " из баллона" : " из баллона № " + c->number;
        if (c->concentration > 0)
            what += " (" + percent(c->concentration, per) + " %" +
                    (formula.empty() ? std::string() : " " + formula) + ")";
        return what;
    };
    switch (g) {
    case TestGas::Ambient:
        return "атмосферный воздух";
    case TestGas::CleanAir:
        return "чистый воздух";
    case TestGas::ZeroGas:
        return from("азот", "");
    case TestGas::Cylinder:
        if (sensor == Sensor::Oxygen && rec.cylinder.concentration == 0 && rules->airSpan)
            return "атмосферный воздух (" + percent(*rules->airSpan, 10) + " % " +
                   gasFormula(rec.sensorGas) + ")";
        return from("газ", gasFormula(rec.sensorGas));
    case TestGas::Threshold1:
        return from("газ порога 1", gasFormula(rec.sensorGas));
    case TestGas::Threshold2:
        return from("газ порога 2", gasFormula(rec.sensorGas));
    }
    return {};
}

calibration::Span CalibrationProcedure::State::span() const {
    const Cylinder &c = rec.cylinder;
    if (sensor == Sensor::Oxygen && c.concentration == 0 && rules->airSpan)
        return {gasText(TestGas::Cylinder), "Атмосферный воздух", TestGas::CleanAir,
                *rules->airSpan};
    return {gasText(TestGas::Cylinder), "Газ из баллона", TestGas::Cylinder, c.concentration};
}

void CalibrationProcedure::State::confirmPoint(bool zero) {
    (zero ? writtenFirst : writtenSecond) = zero ? firstPoint : secondPoint;
    const bool oxygen = sensor == Sensor::Oxygen;
    const char *point = zero ? (oxygen ? "Точка нуля" : "Точка воздуха") : "Точка газа";
    const char *name = zero ? (oxygen ? "U ноль" : "U воздух") : "U газ";
    const std::optional<int> &value = zero ? firstPoint : secondPoint;
    confirmed.push_back(value ? std::string(point) + " записана: " + name + " " +
                                    percent(*value, 10) + " мВ"
                              : std::string(point) + " записана, но блок не сообщил " + name);
}

// A block whose memory write failed answers the save all the same and falls
// back to what it held: the points read after the save show it. It is reset
// and read back, and the record says what it holds.
void CalibrationProcedure::State::checkSaved() {
    if (firstPoint == writtenFirst && secondPoint == writtenSecond) {
        confirmed.push_back("Точки, сохранённые в блоке, совпадают с записанными");
        return;
    }
    confirmed.push_back("Блок не сохранил записанные точки");
    readBack(CalibrationOutcome::Failed,
             "Блок не сохранил настройку: точки, прочитанные после сохранения, не те, что записаны",
             true);
}

void CalibrationProcedure::State::confirmThresholds() {
    for (const char *key : {"threshold1", "threshold2"}) {
        const std::string name = std::string("Порог ") + key[9];
        const auto it = settings.find(key);
        confirmed.push_back(it != settings.end()
                                ? name + " записан: " + std::to_string(it->second)
                                : name + " записан, но блок не сообщил его значение");
    }
}

void CalibrationProcedure::State::begin() {
    std::vector<Op> start{send(Version, "Подождите: читается версия блока")};
    appendReads(start);
    start.push_back(run([this] { takeBefore(); }));
    then(numbered(1, std::move(start)));
    asFound();
}

void CalibrationProcedure::State::asFound() {
    std::vector<Op> v;
    if (sensor == Sensor::Pgs) {
        const auto threshold = [&](int number, TestGas g, const char *point, int alarmsDue) {
            append(v, numbered(number, {ask(apply(gasText(g)), g, Source::Alarms),
                                        wait(gasText(g), g, Source::Alarms,
                                             alarmCheck(Phase::AsFound, g, point, alarmsDue))}));
        };
        threshold(1, TestGas::Threshold1, "Порог 1", Alarm1);
        threshold(2, TestGas::Threshold2, "Порог 2", Alarms12);
    } else {
        const bool oxygen = sensor == Sensor::Oxygen;
        const TestGas zero = oxygen ? TestGas::ZeroGas : TestGas::CleanAir;
        const std::string zeroPoint = oxygen ? "Нулевой газ" : "Чистый воздух";
        const Span g = span();
        append(v, numbered(1, {ask(apply(gasText(zero)), zero, Source::Concentration),
                               wait(gasText(zero), zero, Source::Concentration,
                                    measure(Phase::AsFound, zero, zeroPoint, 0))}));
        append(v, numbered(2, {ask(apply(g.what), g.gas, Source::Concentration),
                               wait(g.what, g.gas, Source::Concentration,
                                    measure(Phase::AsFound, g.gas, g.point, g.expected))}));
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
        then(numbered(DecisionStep,
                      {ask("Выберите: показания в допуске, завершить без "
                           "настройки или настроить блок",
                           gas, source, {Action::Finish, Action::Adjust, Action::Abort}, chosen)}));
    else
        then(numbered(DecisionStep, {ask("Настройте блок: показания вне допуска", gas, source,
                                         {Action::Adjust, Action::Abort}, chosen)}));
}

void CalibrationProcedure::State::adjust() {
    std::vector<Op> v{send(C::SetUp, "Подождите: блок переводится в режим настройки")};
    v.front().step.number = DecisionStep + 1;
    const auto saveStep = [this] {
        return numbered(SaveStep,
                        {send(C::Save, "Подождите: блок сохраняет настройку", std::nullopt, [this] {
                            saved = true;
                            confirmed.push_back("Настройка сохранена в блоке");
                        })});
    };
    if (sensor == Sensor::Pgs) {
        const std::string t1 = gasText(TestGas::Threshold1), t2 = gasText(TestGas::Threshold2);
        append(v, numbered(4, {ask(apply(t1), TestGas::Threshold1, Source::Signal),
                               wait(t1, TestGas::Threshold1, Source::Signal),
                               send(PgsCode::ApplyThreshold1,
                                    "Не снимайте газ порога 1: блок записывает порог 1")}));
        append(v, numbered(5, {ask(apply(t2), TestGas::Threshold2, Source::Signal),
                               wait(t2, TestGas::Threshold2, Source::Signal),
                               send(PgsCode::ApplyThreshold2,
                                    "Не снимайте газ порога 2: блок записывает порог 2"),
                               send(PgsCode::ReadThresholds, "Подождите: читаются пороги блока",
                                    std::nullopt, [this] { confirmThresholds(); })}));
        append(v, saveStep());
        append(v, numbered(7, {ask("Проверьте после настройки: подайте на датчик " + t2,
                                   TestGas::Threshold2, Source::Alarms),
                               wait(t2, TestGas::Threshold2, Source::Alarms,
                                    alarmCheck(Phase::AsLeft, TestGas::Threshold2, "Порог 2",
                                               Alarms12))}));
        append(
            v,
            numbered(8, {ask("Проверьте после настройки: подайте на датчик " + t1,
                             TestGas::Threshold1, Source::Alarms),
                         wait(t1, TestGas::Threshold1, Source::Alarms,
                              alarmCheck(Phase::AsLeft, TestGas::Threshold1, "Порог 1", Alarm1))}));
    } else {
        // In set-up mode the catalytic concentration is no measurement: the
        // points are taken on the mid-point voltage.
        const bool oxygen = sensor == Sensor::Oxygen;
        const Source settle = oxygen ? Source::Concentration : Source::Signal;
        const TestGas zero = oxygen ? TestGas::ZeroGas : TestGas::CleanAir;
        const std::string zeroPoint = oxygen ? "Нулевой газ" : "Чистый воздух";
        const std::string z = gasText(zero);
        const Span g = span();
        v.push_back(run([this] { offerGasWrite(); }));
        append(v, numbered(4, {ask(apply(z), zero, settle), wait(z, zero, settle),
                               send(ZeroPoint, "Не снимайте " + z + ": блок записывает " +
                                                   (oxygen ? "точку нуля" : "точку воздуха")),
                               send(C::ReadVoltages, "Подождите: читаются точки блока",
                                    std::nullopt, [this] { confirmPoint(true); })}));
        append(v, numbered(5, {ask(apply(g.what), g.gas, settle), wait(g.what, g.gas, settle),
                               send(C::GasPoint,
                                    "Не снимайте " + g.what + ": блок записывает точку газа"),
                               send(C::ReadVoltages, "Подождите: читаются точки блока",
                                    std::nullopt, [this] { confirmPoint(false); })}));
        append(v, saveStep());
        v.push_back(send(C::ReadVoltages, "Подождите: читаются точки, сохранённые в блоке",
                         std::nullopt, [this] { checkSaved(); }));
        append(v, numbered(7, {ask("Проверьте после настройки: подайте на датчик " + g.what, g.gas,
                                   Source::Concentration),
                               wait(g.what, g.gas, Source::Concentration,
                                    measure(Phase::AsLeft, g.gas, g.point, g.expected))}));
        append(v, numbered(8, {ask("Проверьте после настройки: подайте на датчик " + z, zero,
                                   Source::Concentration),
                               wait(z, zero, Source::Concentration,
                                    measure(Phase::AsLeft, zero, zeroPoint, 0))}));
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
        "Выберите, что записать в блок: в нём задана концентрация калибровочного газа " +
        percent(held->second, rec.perPercent) + " %, " +
        (air ? "в атмосферном воздухе " : "у баллона ") + wanted + ". " +
        (air ? "Записать " + wanted + " в блок?" : "Записать концентрацию баллона в блок?");
    const int keep = threshold1->second;
    then({ask(text, gas, source, {Action::WriteGas, Action::KeepGas, Action::Abort},
              [this, target, keep](Action a) {
                  if (a != Action::WriteGas)
                      return;
                  WriteData d;
                  d.setWord(3, target);
                  d.setWord(5, keep);
                  then({send(C::WriteUpper,
                             "Подождите: в блок записывается концентрация калибровочного газа", d),
                        send(C::ReadCalibrationGas, "Подождите: читается записанная концентрация",
                             std::nullopt, [this, target, keep] {
                                 const auto g = settings.find("calibrationGas");
                                 const auto t = settings.find("threshold1");
                                 if (g != settings.end() && g->second == target &&
                                     t != settings.end() && t->second == keep) {
                                     confirmed.push_back(
                                         "Концентрация калибровочного газа записана: " +
                                         percent(g->second, rec.perPercent) + " %");
                                     return;
                                 }
                                 readBack(CalibrationOutcome::Failed,
                                          "Блок не сохранил записанную концентрацию калибровочного "
                                          "газа " +
                                              percent(target, rec.perPercent) + " %",
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
        v.push_back(send(C::Reset, "Подождите: блок возвращается к сохранённой настройке"));
    appendReads(v);
    v.push_back(run([this, reset] { finish(endOutcome, endRemark + "; " + heldNow(reset)); }));
    then(std::move(v));
}

// What the block was found to hold after an abort or a fault, against what it
// held before the calibration: a reset undoes what was not saved, never a save.
std::string CalibrationProcedure::State::heldNow(bool reset) const {
    const std::vector<std::optional<int>> now = pointValues();
    bool changed = false;
    for (std::size_t i = 0; i < now.size() && i < rec.points.size(); ++i)
        changed = changed || (now[i] && rec.points[i].before && *now[i] != *rec.points[i].before);
    for (const auto &[key, value] : settings)
        if (const auto was = settingsStart.find(key); was != settingsStart.end())
            changed = changed || was->second != value;
    if (changed)
        return "новая настройка сохранена в блоке, проверка после неё не выполнена";
    return reset ? "настройка не сохранена, блок сброшен" : "настройка блока не изменилась";
}
