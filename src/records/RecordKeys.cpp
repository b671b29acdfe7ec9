#include "RecordKeys.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {
template <typename E, std::size_t N>
std::string keyOf(const std::pair<E, const char *> (&table)[N], E value) {
    for (const auto &[v, key] : table)
        if (v == value)
            return key;
    return {};
}

template <typename E, std::size_t N>
std::optional<E> valueOf(const std::pair<E, const char *> (&table)[N], const std::string &key) {
    const auto found = std::find_if(std::begin(table), std::end(table),
                                    [&](const auto &row) { return key == row.second; });
    if (found == std::end(table))
        return std::nullopt;
    return found->first;
}

const std::pair<Measurement::Phase, const char *> Phases[] = {
    {Measurement::Phase::AsFound, "as-found"},
    {Measurement::Phase::AsLeft, "as-left"},
};

const std::pair<TestGas, const char *> TestGases[] = {
    {TestGas::Ambient, "ambient"},        {TestGas::CleanAir, "clean-air"},
    {TestGas::ZeroGas, "zero-gas"},       {TestGas::Cylinder, "cylinder"},
    {TestGas::Threshold1, "threshold-1"}, {TestGas::Threshold2, "threshold-2"},
};

const std::pair<SensorGas, const char *> SensorGases[] = {
    {SensorGas::Methane, "methane"},
    {SensorGas::Propane, "propane"},
    {SensorGas::Hydrogen, "hydrogen"},
    {SensorGas::Oxygen, "oxygen"},
};
} // namespace

std::string phaseKey(Measurement::Phase phase) {
    return keyOf(Phases, phase);
}
std::optional<Measurement::Phase> phaseFromKey(const std::string &key) {
    return valueOf(Phases, key);
}
std::string testGasKey(TestGas gas) {
    return keyOf(TestGases, gas);
}
std::optional<TestGas> testGasFromKey(const std::string &key) {
    return valueOf(TestGases, key);
}
std::string sensorGasKey(SensorGas gas) {
    return keyOf(SensorGases, gas);
}
std::optional<SensorGas> sensorGasFromKey(const std::string &key) {
    return valueOf(SensorGases, key);
}
