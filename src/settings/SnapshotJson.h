#pragma once
// An instrument's settings as a small JSON document, the file a technician
// keeps, compares and writes back:
//
//   {"format": "ze23-settings", "formatVersion": 1, "kind": 1, "model": "ЗЭ11.2к",
//    "serialNumber": 12345,
//    "blocks": [{"block": "tks", "address": "0x83", "version": 33,
//                "settings": {"threshold1": {"value": 100, "unit": "0.01 %"}, ...}}, ...]}

#include "protocol/InstrumentSettings.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace SnapshotJson {
QByteArray toJson(const InstrumentSnapshot &snapshot);
// Nothing, with the reason in `error`, for a document that is no snapshot.
// Whether its values suit an instrument is refusals()' business.
std::optional<InstrumentSnapshot> fromJson(const QByteArray &json, QString &error);
} // namespace SnapshotJson
