#include "InstrumentSettings.h"

#include <cstdint>

const BlockSnapshot *InstrumentSnapshot::block(const std::string &name) const {
    for (const BlockSnapshot &b : blocks)
        if (b.name == name)
            return &b;
    return nullptr;
}

namespace {
const BlockSettingsSpec *specNamed(const std::vector<const BlockSettingsSpec *> &specs,
                                   const std::string &name) {
    for (const BlockSettingsSpec *s : specs)
        if (name == s->name)
            return s;
    return nullptr;
}
} // namespace

std::vector<std::string> refusals(const InstrumentSnapshot &snapshot, int kind) {
    std::vector<std::string> why;
    if (snapshot.kind != kind) {
        why.push_back("настройки сняты с прибора вида " + std::to_string(snapshot.kind) +
                      ", а подключён прибор вида " + std::to_string(kind));
        return why;
    }
    const auto specs = settingsOfKind(static_cast<std::uint8_t>(kind));
    for (const BlockSnapshot &b : snapshot.blocks) {
        const BlockSettingsSpec *spec = specNamed(specs, b.name);
        if (!spec) {
            why.push_back("у прибора нет блока «" + b.name + "»");
            continue;
        }
        for (const auto &[key, value] : b.values) {
            const SettingSpec *s = spec->find(key);
            if (!s)
                why.push_back("у блока «" + b.name + "» нет настройки «" + key + "»");
            else if (!s->accepts(value))
                why.push_back("«" + b.name + "." + key + "» = " + std::to_string(value) +
                              ": допустимо от " + std::to_string(s->min) + " до " +
                              std::to_string(s->max));
        }
    }
    return why;
}

std::vector<SettingChange> differences(const InstrumentSnapshot &now,
                                       const InstrumentSnapshot &wanted) {
    std::vector<SettingChange> changes;
    for (const BlockSettingsSpec *spec : settingsOfKind(static_cast<std::uint8_t>(wanted.kind))) {
        const BlockSnapshot *w = wanted.block(spec->name);
        if (!w)
            continue;
        const BlockSnapshot *n = now.block(spec->name);
        for (const SettingSpec &s : spec->settings) {
            const auto wv = w->values.find(s.key);
            if (wv == w->values.end())
                continue;
            std::optional<int> held;
            if (n)
                if (const auto nv = n->values.find(s.key); nv != n->values.end())
                    held = nv->second;
            if (held != wv->second)
                changes.push_back({spec->name, s.key, s.unit, held, wv->second,
                                   s.writing != SettingSpec::Writing::None});
        }
    }
    return changes;
}
