// Any bytes taken as a settings file. Parsing must never crash, and a
// snapshot it accepts must come back the same through its own JSON: written
// out and read again, it has the same kind, serial number, blocks, versions
// and values, and nothing differs between the two.

#include "FuzzInput.h"
#include "settings/SnapshotJson.h"

#include <cstddef>
#include <cstdint>

namespace {
bool same(const InstrumentSnapshot &a, const InstrumentSnapshot &b) {
    if (a.kind != b.kind || a.serialNumber != b.serialNumber || a.blocks.size() != b.blocks.size())
        return false;
    for (std::size_t i = 0; i < a.blocks.size(); ++i) {
        const BlockSnapshot &x = a.blocks[i];
        const BlockSnapshot &y = b.blocks[i];
        if (x.name != y.name || x.version != y.version || x.values != y.values)
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray file =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString error;
    const std::optional<InstrumentSnapshot> snapshot = SnapshotJson::fromJson(file, error);
    if (!snapshot) {
        check(!error.isEmpty());
        return 0;
    }
    // What the window and the command line do next with a file they read: a
    // file they refuse (an unknown block or setting) is never written, so
    // only a suitable one must come back the same through its own JSON.
    if (!refusals(*snapshot, snapshot->kind).empty())
        return 0;
    QString again;
    const std::optional<InstrumentSnapshot> back =
        SnapshotJson::fromJson(SnapshotJson::toJson(*snapshot), again);
    check(back.has_value());
    check(same(*snapshot, *back));
    check(differences(*snapshot, *back).empty());
    return 0;
}
