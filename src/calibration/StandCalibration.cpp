#include "StandCalibration.h"

#include <algorithm>

namespace {
using Waiting = CalibrationProcedure::Waiting;

bool offers(const CalibrationProcedure &p, CalibrationProcedure::Action a) {
    const auto &actions = p.step().actions;
    return std::find(actions.begin(), actions.end(), a) != actions.end();
}

// "Подайте на датчик …" as the stand says it.
std::string forTheStand(std::string instruction) {
    const std::string desk = "на датчик", stand = "на все датчики стенда";
    if (const auto at = instruction.find(desk); at != std::string::npos)
        instruction.replace(at, desk.size(), stand);
    return instruction;
}
} // namespace

StandCalibration::StandCalibration(std::uint8_t block, SensorGas gas, const CalibrationRecord &base,
                                   const std::vector<Fitted> &fitted, std::int64_t nowMs)
    : block_(block), nowMs_(nowMs) {
    slots_.reserve(fitted.size());
    for (const Fitted &f : fitted) {
        CalibrationRecord r = base;
        r.standPosition = f.position;
        r.sensorLabel = f.label;
        Slot s{
            f, CalibrationProcedure(block, gas, std::move(r), nowMs), false, 0, false, std::nullopt,
            {}};
        s.procedure.setReadings(StandReadings);
        slots_.push_back(std::move(s));
    }
    stage_.beganMs = nowMs;
    stage_.instruction = "Подождите: читаются блоки стенда";
    stage_.actions = {Action::Abort};
}

StandCalibration::StandCalibration(CalibrationProcedure procedure, std::int64_t nowMs)
    : block_(procedure.record().block), desk_(true) {
    const CalibrationRecord &r = procedure.record();
    slots_.push_back(Slot{{r.standPosition.value_or(0), r.sensorLabel},
                          std::move(procedure),
                          true,
                          0,
                          false,
                          std::nullopt,
                          {}});
    nowMs_ = nowMs;
    stage_.beganMs = nowMs;
    followDesk();
}

void StandCalibration::followDesk() {
    const CalibrationProcedure::Step &step = slots_.front().procedure.step();
    if (step.instruction != stage_.instruction)
        stage_.beganMs = nowMs_;
    stage_.instruction = step.instruction;
    stage_.gas = step.gas;
    stage_.actions = step.actions;
    stage_.number = step.number;
    stage_.waiting = finished() ? 0 : 1;
}

const CalibrationProcedure *StandCalibration::desk() const {
    return desk_ ? &slots_.front().procedure : nullptr;
}

bool StandCalibration::pageMaySee(const Frame &reply) const {
    return desk_ && reply[1] == Code::Poll;
}

bool StandCalibration::setRule(SteadyRule rule) {
    bool all = true;
    for (Slot &s : slots_)
        all = s.procedure.setRule(rule) && all;
    return all;
}

bool StandCalibration::setTolerance(int tolerance) {
    bool all = true;
    for (Slot &s : slots_)
        all = s.procedure.setTolerance(tolerance) && all;
    return all;
}

bool StandCalibration::closeIfDone() {
    if (!finished())
        return false;
    stage_.instruction = "Снимите газ со стенда: калибровка окончена";
    stage_.actions.clear();
    stage_.waiting = 0;
    return true;
}

bool StandCalibration::done(const Slot &s) const {
    return s.procedure.finished();
}

bool StandCalibration::empty(const Slot &s) const {
    return done(s) && !s.answered;
}

bool StandCalibration::parked(const Slot &s) const {
    return !done(s) && s.procedure.step().waiting == Waiting::Technician;
}

bool StandCalibration::waitsForTechnician() const {
    // The desk's procedure keeps the line while the technician chooses.
    return !desk_ && std::find(stage_.actions.begin(), stage_.actions.end(), Action::Ready) !=
                         stage_.actions.end();
}

bool StandCalibration::finished() const {
    return std::all_of(slots_.begin(), slots_.end(), [this](const Slot &s) { return done(s); });
}

void StandCalibration::decide(Slot &s) {
    // Each choice moves the procedure on; a few are made in a row at most.
    for (int made = 0; made < 8 && !done(s); ++made) {
        CalibrationProcedure &p = s.procedure;
        if (s.abortAsked) {
            if (offers(p, Action::Abort))
                p.act(Action::Abort, nowMs_);
            return;
        }
        if (!parked(s))
            return;
        if (offers(p, Action::Finish))
            p.act(Action::Finish, nowMs_);
        else if (offers(p, Action::Adjust))
            p.act(Action::Adjust, nowMs_);
        else if (offers(p, Action::WriteGas))
            p.act(Action::WriteGas, nowMs_);
        else if (offers(p, Action::Ready) && onStand_ == p.step().gas)
            p.act(Action::Ready, nowMs_);
        else
            return;
    }
}

void StandCalibration::nextSlot() {
    line_ = Line::Switch;
    turns_ = 0;
    for (std::size_t i = 1; i <= slots_.size(); ++i) {
        const std::size_t at = (current_ + i) % slots_.size();
        const Slot &s = slots_[at];
        if (!done(s) && !parked(s)) {
            current_ = at;
            return;
        }
    }
}

void StandCalibration::ask() {
    const Slot *first = nullptr;
    for (const Slot &s : slots_)
        if (parked(s)) {
            first = &s;
            break;
        }
    if (!first)
        return;
    stage_.instruction = forTheStand(first->procedure.step().instruction);
    stage_.gas = first->procedure.step().gas;
    stage_.actions = {Action::Ready, Action::Abort};
    stage_.waiting = 0;
}

std::optional<Frame> StandCalibration::nextFrame(std::int64_t nowMs) {
    nowMs_ = nowMs;
    if (desk_) {
        std::optional<Frame> frame = slots_.front().procedure.nextFrame(nowMs);
        followDesk();
        return frame;
    }
    for (Slot &s : slots_)
        decide(s);
    if (closeIfDone())
        return std::nullopt;
    const auto needsLine = [this](const Slot &s) { return !done(s) && !parked(s); };
    stage_.waiting = static_cast<int>(std::count_if(slots_.begin(), slots_.end(), needsLine));
    if (stage_.waiting == 0) {
        ask();
        return std::nullopt;
    }

    Slot *s = &slots_[current_];
    if (line_ == Line::Visit) {
        const bool reading = s->procedure.step().waiting == Waiting::Steady;
        bool over = !needsLine(*s) || (reading && readings_ > 0);
        if (needsLine(*s) && reading && !answered_ && turns_ >= SilentTurns) {
            over = true;
            if (++s->silentVisits >= SilentVisits) {
                s->silentVisits = 0;
                s->procedure.blockSilent(nowMs);
                // What it sends now (the reset and the reads) is its own to time.
                over = !needsLine(*s);
            }
        }
        if (over)
            nextSlot();
    } else if (!needsLine(*s)) {
        nextSlot();
    }
    s = &slots_[current_];
    if (!needsLine(*s))
        return std::nullopt;

    switch (line_) {
    case Line::Switch:
        line_ = Line::AwaitSwitch;
        turns_ = 0;
        return sealed(Frame{Block::address(Block::Base), Code::Poll,
                            static_cast<std::uint8_t>(s->fitted.position)});
    case Line::AwaitSwitch:
        if (++turns_ >= SwitchTurns)
            line_ = Line::Switch;
        return std::nullopt;
    case Line::Visit:
        ++turns_;
        return s->procedure.nextFrame(nowMs);
    }
    return std::nullopt;
}

void StandCalibration::takeReply(const Frame &reply, std::int64_t nowMs) {
    nowMs_ = nowMs;
    if (!checksumHolds(reply) || slots_.empty())
        return;
    if (desk_) {
        Slot &s = slots_.front();
        s.procedure.takeReply(reply, nowMs);
        s.latest = s.procedure.liveValue();
        s.unit = s.procedure.liveUnit();
        followDesk();
        return;
    }
    if (reply[0] == Block::Base) {
        if (line_ == Line::AwaitSwitch && reply[1] == Code::Poll) {
            line_ = Line::Visit;
            turns_ = readings_ = 0;
            answered_ = false;
        }
        return;
    }
    if (reply[0] != block_ || line_ != Line::Visit)
        return;
    Slot &s = slots_[current_];
    s.answered = true;
    s.silentVisits = 0;
    answered_ = true;
    s.procedure.takeReply(reply, nowMs);
    if (reply[1] == Code::Poll) {
        ++readings_;
        s.latest = s.procedure.liveValue();
        s.unit = s.procedure.liveUnit();
    }
    closeIfDone();
}

void StandCalibration::act(Action action, std::int64_t nowMs) {
    nowMs_ = nowMs;
    if (std::find(stage_.actions.begin(), stage_.actions.end(), action) == stage_.actions.end())
        return;
    if (desk_) {
        slots_.front().procedure.act(action, nowMs);
        followDesk();
        return;
    }
    if (action == Action::Abort) {
        for (Slot &s : slots_) {
            s.abortAsked = true;
            decide(s);
        }
        stage_.instruction = "Прервано: блоки, которые настраивались, сбрасываются и читаются";
        stage_.actions.clear();
        closeIfDone();
        return;
    }
    if (action != Action::Ready)
        return;
    for (Slot &s : slots_)
        if (parked(s) && s.procedure.step().gas == stage_.gas && offers(s.procedure, Action::Ready))
            s.procedure.act(Action::Ready, nowMs);
    onStand_ = stage_.gas;
    ++stage_.number;
    stage_.beganMs = nowMs;
    stage_.instruction = "Держите газ на стенде: идёт обход позиций";
    stage_.actions = {Action::Abort};
}

void StandCalibration::drop(std::int64_t nowMs) {
    nowMs_ = nowMs;
    for (Slot &s : slots_)
        s.procedure.drop(nowMs);
    if (desk_)
        return followDesk();
    stage_.actions.clear();
    closeIfDone();
}

std::vector<StandCalibration::Position> StandCalibration::positions() const {
    std::vector<Position> v;
    v.reserve(slots_.size());
    for (const Slot &s : slots_) {
        Position p{s.fitted.position, s.fitted.label, State::Waiting, s.latest, s.unit};
        if (empty(s))
            p.state = State::Empty;
        else if (done(s))
            switch (s.procedure.record().outcome) {
            case CalibrationOutcome::PassedAsFound:
                p.state = State::Passed;
                break;
            case CalibrationOutcome::Adjusted:
                p.state = State::Adjusted;
                break;
            default:
                p.state = State::Failed;
                break;
            }
        else if (parked(s))
            p.state = State::Steady;
        v.push_back(std::move(p));
    }
    return v;
}

const CalibrationProcedure *StandCalibration::procedure(int position) const {
    for (const Slot &s : slots_)
        if (s.fitted.position == position)
            return &s.procedure;
    return nullptr;
}

std::vector<CalibrationRecord> StandCalibration::records() const {
    std::vector<CalibrationRecord> v;
    for (const Slot &s : slots_)
        if (!empty(s))
            v.push_back(s.procedure.record());
    return v;
}
