#include "SettingsSession.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
using How = SettingLayout::Writing;

void put(WriteData &data, const SettingLayout &s, int value) {
    if (s.width == SettingLayout::Width::Word)
        data.setWord(s.replyByte, value);
    else
        data.setByte(s.replyByte, static_cast<std::uint8_t>(value & 0xFF));
}
} // namespace

SettingsSession SettingsSession::read(const BlockLayout &layout) {
    SettingsSession s(layout);
    s.steps_.push_back({layout.versionCode, Purpose::Version, std::nullopt});
    s.queueReads();
    return s;
}

SettingsSession SettingsSession::write(const BlockLayout &layout, const Values &current,
                                       const Values &wanted, bool save) {
    SettingsSession s(layout);
    s.writing_ = true;
    s.save_ = save;
    s.values_ = current;
    std::vector<std::uint8_t> codesQueued;
    for (const SettingLayout &setting : layout.settings) {
        const auto w = wanted.find(setting.key);
        const auto now = current.find(setting.key);
        if (w == wanted.end() || setting.writing == How::None ||
            (now != current.end() && now->second == w->second))
            continue;
        s.written_[setting.key] = w->second;
        if (setting.writing == How::Stepped) {
            const int from = now == current.end() ? w->second : now->second;
            s.original_[setting.key] = from;
            s.stepsLeft_ += 2 * std::abs(w->second - from) + 4;
            s.steps_.push_back({from < w->second ? setting.writeCode : setting.downCode,
                                Purpose::Step, std::nullopt, &setting});
            continue;
        }
        if (std::find(codesQueued.begin(), codesQueued.end(), setting.writeCode) !=
            codesQueued.end())
            continue;
        // A partner whose value is known neither way is not guessed: nothing
        // goes out under that code, and its values stay unconfirmed.
        WriteData data;
        bool known = true;
        for (const SettingLayout *partner : layout.writtenWith(setting)) {
            const auto pw = wanted.find(partner->key);
            const auto pc = current.find(partner->key);
            known = known && (pw != wanted.end() || pc != current.end());
            if (known)
                put(data, *partner, pw != wanted.end() ? pw->second : pc->second);
        }
        codesQueued.push_back(setting.writeCode);
        if (known)
            s.steps_.push_back({setting.writeCode, Purpose::Write, data});
    }
    s.queueReads();
    return s;
}

SettingsSession SettingsSession::keep(const BlockLayout &layout) {
    SettingsSession s(layout);
    s.steps_.push_back({layout.saveCode, Purpose::Save, std::nullopt});
    return s;
}

void SettingsSession::queueReads() {
    std::vector<std::uint8_t> codes;
    for (const SettingLayout &s : layout_->settings)
        if (std::find(codes.begin(), codes.end(), s.readCode) == codes.end())
            codes.push_back(s.readCode);
    for (std::uint8_t code : codes)
        steps_.push_back({code, Purpose::Read, std::nullopt});
}

bool SettingsSession::allConfirmed() const {
    return std::all_of(checks_.begin(), checks_.end(),
                       [](const Check &c) { return c.confirmed(); });
}

std::optional<Frame> SettingsSession::nextFrame() {
    if (outcome_ != Outcome::Running || steps_.empty())
        return std::nullopt;
    if (awaiting_) {
        if (++turnsWaited_ < TurnsToWait)
            return std::nullopt;
        if (sends_ >= Sends) {
            outcome_ = Outcome::NoAnswer;
            char text[96];
            std::snprintf(text, sizeof text, "блок %s (0x%02X) не ответил на код %d", layout_->name,
                          layout_->address(), steps_.front().code);
            failure_ = text;
            return std::nullopt;
        }
    } else {
        sends_ = 0;
    }
    const Step &step = steps_.front();
    Frame f{layout_->address(), step.code};
    if (step.data)
        step.data->applyTo(f);
    awaiting_ = true;
    turnsWaited_ = 0;
    ++sends_;
    return sealed(f);
}

void SettingsSession::takeReply(const Frame &reply) {
    if (!awaiting_ || outcome_ != Outcome::Running || steps_.empty())
        return;
    if (reply[0] != layout_->block || reply[1] != steps_.front().code)
        return;
    const Step step = steps_.front();
    steps_.pop_front();
    awaiting_ = false;
    switch (step.purpose) {
    case Purpose::Version:
        version_ = layout_->versionIn(reply);
        break;
    case Purpose::Read:
        for (const SettingLayout &s : layout_->settings)
            if (s.readCode == step.code)
                values_[s.key] = s.valueIn(reply);
        break;
    case Purpose::Step: {
        // Every reply of the stepped block carries its stepped values.
        for (const SettingLayout &s : layout_->settings)
            if (s.writing == How::Stepped)
                values_[s.key] = s.valueIn(reply);
        const SettingLayout &s = *step.stepped;
        const int now = values_[s.key];
        const bool restoring = restoring_.count(s.key) != 0;
        int target = restoring ? original_[s.key] : written_[s.key];
        std::uint8_t next = now < target ? s.writeCode : s.downCode;
        if (now != target && next != step.code && !restoring) {
            // The steps jump over the value: it cannot be set, and the pump
            // goes back to what it held rather than stay at a value nobody asked for.
            restoring_.insert(s.key);
            target = original_[s.key];
            next = now < target ? s.writeCode : s.downCode;
        }
        if (now != target && (next == step.code || !restoring) && stepsLeft_-- > 0)
            steps_.push_front({next, Purpose::Step, std::nullopt, &s});
        break;
    }
    case Purpose::Save:
        saved_ = true;
        break;
    case Purpose::Write:
        break;
    }
    if (steps_.empty())
        done();
}

void SettingsSession::done() {
    if (writing_ && !checked_) {
        finishWrite();
        if (!steps_.empty())
            return;
    }
    outcome_ = Outcome::Done;
}

void SettingsSession::finishWrite() {
    checked_ = true;
    for (const auto &[key, wanted] : written_) {
        Check c{key, wanted, std::nullopt};
        if (const auto it = values_.find(key); it != values_.end())
            c.readBack = it->second;
        checks_.push_back(c);
    }
    if (save_ && !checks_.empty() && allConfirmed())
        steps_.push_back({layout_->saveCode, Purpose::Save, std::nullopt});
}
