#pragma once
// Each kept record's check sum, chained to the one before it, so that a record
// changed, renumbered or taken out of the journal behind the program's back
// shows: hash = SHA-256 of the previous record's hash (its hex text; empty for
// the first record) followed by the record's canonical text, as lowercase hex.
//
// The canonical text holds every field of the record but the hash itself, the
// number included (a renumbered record no longer matches): one field a line,
// "name=" then the value's length in UTF-8 bytes, a colon and the value, "-"
// for a value that is not there; lists and maps in their kept order; reals in
// the shortest text that reads back as the same double.

#include "protocol/CalibrationRecord.h"

#include <QByteArray>

#include <string>

namespace RecordHash {
QByteArray canonical(const CalibrationRecord &r);
std::string chained(const std::string &previousHash, const CalibrationRecord &r);
} // namespace RecordHash
