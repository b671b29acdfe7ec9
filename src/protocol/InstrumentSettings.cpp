#include "InstrumentSettings.h"

#include "FrontEnd.h"

#include <cstdint>

const BlockSnapshot *InstrumentSnapshot::block(const std::string &name) const {
    for (const BlockSnapshot &b : blocks)
        if (b.name == name)
            return &b;
    return nullptr;
}

namespace {
const BlockLayout *layoutNamed(const std::vector<const BlockLayout *> &layouts,
                               const std::string &name) {
    for (const BlockLayout *s : layouts)
        if (name == s->name)
            return s;
    return nullptr;
}
} // namespace

namespace {
// The oxygen block's front-end bytes go together, as the page's eight
// groups can show them.
void checkFrontEnd(const BlockSnapshot &b, std::vector<std::string> &why) {
    const char *const keys[] = {"frontEndGain", "frontEndReference", "frontEndMode"};
    int present = 0;
    for (const char *k : keys)
        present += b.values.count(k) ? 1 : 0;
    if (present == 0)
        return;
    if (present < 3) {
        why.push_back("настройки LMP91000 в файле неполны: нужны все три байта");
        return;
    }
    const FrontEnd::Bytes bytes{static_cast<std::uint8_t>(b.values.at(keys[0])),
                                static_cast<std::uint8_t>(b.values.at(keys[1])),
                                static_cast<std::uint8_t>(b.values.at(keys[2]))};
    if (!FrontEnd::expressible(bytes))
        why.push_back("настройки LMP91000 в файле не соответствуют ни одному выбору на странице");
}
} // namespace

std::vector<std::string> refusals(const InstrumentSnapshot &snapshot, int kind) {
    std::vector<std::string> why;
    if (snapshot.kind != kind) {
        why.push_back("настройки сняты с прибора вида " + std::to_string(snapshot.kind) +
                      ", а подключён прибор вида " + std::to_string(kind));
        return why;
    }
    const auto layouts = settingsOfKind(static_cast<std::uint8_t>(kind));
    for (const BlockSnapshot &b : snapshot.blocks) {
        const BlockLayout *layout = layoutNamed(layouts, b.name);
        if (!layout) {
            why.push_back("у прибора нет блока «" + b.name + "»");
            continue;
        }
        for (const auto &[key, value] : b.values) {
            const SettingLayout *s = layout->find(key);
            if (!s)
                why.push_back("у блока «" + b.name + "» нет настройки «" + key + "»");
            else if (!s->accepts(value))
                why.push_back("«" + b.name + "." + key + "» = " + std::to_string(value) +
                              ": допустимо от " + std::to_string(s->min) + " до " +
                              std::to_string(s->max));
        }
        checkFrontEnd(b, why);
    }
    return why;
}

std::vector<SettingChange> differences(const InstrumentSnapshot &now,
                                       const InstrumentSnapshot &wanted) {
    std::vector<SettingChange> changes;
    for (const BlockLayout *layout : settingsOfKind(static_cast<std::uint8_t>(wanted.kind))) {
        const BlockSnapshot *w = wanted.block(layout->name);
        if (!w)
            continue;
        const BlockSnapshot *n = now.block(layout->name);
        for (const SettingLayout &s : layout->settings) {
            const auto wv = w->values.find(s.key);
            if (wv == w->values.end())
                continue;
            std::optional<int> held;
            if (n)
                if (const auto nv = n->values.find(s.key); nv != n->values.end())
                    held = nv->second;
            if (held != wv->second)
                changes.push_back({layout->name, s.key, s.unit, held, wv->second,
                                   s.writing != SettingLayout::Writing::None});
        }
    }
    return changes;
}
