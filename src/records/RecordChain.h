#pragma once
// Whether every kept record still reads as it was written: its stored hash
// against its content and the hash of the bench's record before it
// (RecordHash.h), and each bench's numbers one after another. Only a bench's
// last record may be taken out unseen: nothing after it names it.
// A number missing with the chain whole is one a failed write took on the
// server, not a removed record.

#include "calibration/CalibrationRecord.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ChainCheck {
    enum class Finding { Intact, Changed, Missing, Unread };
    Finding finding = Finding::Intact;
    // The record changed, or the one a record is missing before.
    std::int64_t number = 0;
    std::size_t records = 0;
    // In the technician's words: "Журнал цел: 3 записи, каждая как записана."
    QString reason;
};

namespace RecordChain {
// `records` oldest first as read, `previousHashes` what each was chained to,
// `links` each one's link in the journal's own chain (RecordHash::journalLink),
// which binds it to its number here.
ChainCheck check(const std::vector<CalibrationRecord> &records,
                 const std::vector<std::string> &previousHashes,
                 const std::vector<std::string> &links);
} // namespace RecordChain
