#include "InstrumentSession.h"

InstrumentSession InstrumentSession::read(int kind, int serialNumber) {
    InstrumentSession s;
    s.kind_ = kind;
    s.serialNumber_ = serialNumber;
    for (const BlockLayout *layout : settingsOfKind(static_cast<std::uint8_t>(kind)))
        s.sessions_.push_back(SettingsSession::read(*layout));
    return s;
}

InstrumentSession InstrumentSession::write(const InstrumentSnapshot &now,
                                           const InstrumentSnapshot &wanted, bool save,
                                           Keeping keeping) {
    InstrumentSession s;
    s.kind_ = now.kind;
    s.serialNumber_ = now.serialNumber;
    s.save_ = save;
    s.keepAlso_ = keeping;
    for (const BlockLayout *layout : settingsOfKind(static_cast<std::uint8_t>(now.kind))) {
        const BlockSnapshot *held = now.block(layout->name);
        const BlockSnapshot *w = wanted.block(layout->name);
        if (!held || !w)
            continue;
        s.sessions_.push_back(SettingsSession::write(*layout, held->values, w->values, false));
        s.wanted_.push_back(w->values);
    }
    return s;
}

std::optional<Frame> InstrumentSession::nextFrame() {
    while (!finished()) {
        SettingsSession &s = active()[current_];
        if (std::optional<Frame> f = s.nextFrame())
            return f;
        if (s.outcome() == SettingsSession::Outcome::Running)
            return std::nullopt;
        advance();
    }
    return std::nullopt;
}

void InstrumentSession::takeReply(const Frame &reply) {
    if (!finished())
        active()[current_].takeReply(reply);
}

void InstrumentSession::advance() {
    const SettingsSession &s = active()[current_];
    if (s.outcome() == SettingsSession::Outcome::NoAnswer) {
        failure_ = s.failure();
        return;
    }
    if (++current_ < active().size() || keeping_)
        return;
    // Every block written and read back: keep the settings only if all held.
    if (save_ && allConfirmed())
        for (std::size_t b = 0; b < sessions_.size(); ++b)
            if (toKeep(b))
                keeps_.push_back(SettingsSession::keep(sessions_[b].layout()));
    if (!keeps_.empty()) {
        keeping_ = true;
        current_ = 0;
    }
}

bool InstrumentSession::toKeep(std::size_t block) const {
    const SettingsSession &s = sessions_[block];
    if (!s.checks().empty())
        return true;
    if (keepAlso_ != Keeping::AlsoHeld)
        return false;
    bool writable = false;
    for (const auto &[key, value] : wanted_[block]) {
        const SettingLayout *setting = s.layout().find(key);
        if (!setting || setting->writing == SettingLayout::Writing::None)
            continue;
        writable = true;
        const auto held = s.values().find(key);
        if (held == s.values().end() || held->second != value)
            return false;
    }
    return writable;
}

bool InstrumentSession::finished() const {
    return failed() || current_ >= (keeping_ ? keeps_ : sessions_).size();
}

bool InstrumentSession::saved() const {
    for (const SettingsSession &k : keeps_)
        if (!k.saved())
            return false;
    return !keeps_.empty();
}

InstrumentSnapshot InstrumentSession::snapshot() const {
    InstrumentSnapshot snap{kind_, serialNumber_, {}};
    for (const SettingsSession &s : sessions_)
        snap.blocks.push_back({s.layout().name, s.version(), s.values()});
    return snap;
}

std::vector<InstrumentSession::Check> InstrumentSession::checks() const {
    std::vector<Check> all;
    for (const SettingsSession &s : sessions_)
        for (const SettingsSession::Check &c : s.checks())
            all.push_back({s.layout().name, c});
    return all;
}

bool InstrumentSession::allConfirmed() const {
    for (const SettingsSession &s : sessions_)
        if (!s.allConfirmed())
            return false;
    return true;
}
