#pragma once
// Each kept record's check sum, chained to the one before it, so that a record
// changed, renumbered or taken out of the journal behind the program's back
// shows: hash = SHA-256 of the previous record's hash (its hex text; empty for
// the first record) followed by the record's canonical text, as lowercase hex.
// The record before is the one before it from the same bench: each bench's
// records make a chain of their own, and the records kept before benches had
// ids one more.
//
// The canonical text holds every field of the record but the hash itself: a
// bench's record is known by its bench and the bench's number (the journal's
// number differs from journal to journal), a record kept before benches had
// ids by its number (a renumbered record no longer matches), and its cylinder
// by the four fields it had then; the other gases' cylinders only where the
// record names any (none did before they were kept). One field a line,
// "name=" then the value's length in UTF-8 bytes, a colon and the value, "-"
// for a value that is not there; lists and maps in their kept order; reals in
// the shortest text that reads back as the same double.

#include "calibration/CalibrationRecord.h"
#include "calibration/CylinderFit.h"

#include <QByteArray>

#include <string>

namespace RecordHash {
QByteArray canonical(const CalibrationRecord &r);
std::string chained(const std::string &previousHash, const CalibrationRecord &r);
// The journal's own chain, over every bench's records in the order of the
// journal's numbers: SHA-256 of the record before's link, the record's number
// in this journal and its hash, a line each. It binds each record to the
// number it is known and certified by here: renumbering records, or swapping
// two, shows. On a server the login that kept it is a fourth line.
std::string journalLink(const std::string &previousLink, std::int64_t number,
                        const std::string &hash, const std::string &login = {});
// The register of cylinders' chain, in the order the register took them:
// SHA-256 of the cylinder before's hash, the cylinder's place in that order
// and every field of it, as for a record. A cylinder changed or taken out
// from between others shows.
std::string cylinderChained(const std::string &previousHash, std::int64_t seq,
                            const RegisteredCylinder &c);
} // namespace RecordHash
