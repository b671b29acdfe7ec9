#pragma once
// A record as rows of the journal's tables (RecordSchema.h) and back. The
// caller holds the transaction; these only run the statements.

#include "calibration/CalibrationRecord.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace RecordRows {
// Where a bench's next record joins its chain: the number it is to be kept
// under, the bench's next number and the hash of the bench's newest record
// (empty for its first). The caller holds the journal for writing, so that no
// one else takes the same place.
struct ChainEnd {
    std::int64_t next = 1;
    std::int64_t nextOfBench = 1;
    std::string lastHash;
    // The journal's newest record's link (RecordHash::journalLink).
    std::string lastLink;
};
std::optional<ChainEnd> chainEnd(QSqlDatabase &db, const std::string &bench, QString *why);

// Inserts the record and its child rows under its own number, with its hash
// and the hash of the record before it.
bool insert(QSqlDatabase &db, const CalibrationRecord &r, const std::string &previousHash,
            const std::string &link, QString *why);

// Sets the hashes of a record kept without them (the triggers that refuse
// changes must be off).
bool setHashes(QSqlDatabase &db, std::int64_t number, const std::string &hash,
               const std::string &previousHash, QString *why);

// The previous record's hash each record was chained to, oldest first; empty
// for a record kept without one.
// Each record's number and its link in the journal's chain, by number.
std::optional<std::vector<std::pair<std::int64_t, std::string>>>
journalLinks(QSqlDatabase &db, QString *why, const QString &where, const QVariantList &binds);
// Sets a record's link (a journal brought up to date; its triggers dropped).
bool setLink(QSqlDatabase &db, std::int64_t number, const std::string &link, QString *why);
std::optional<std::vector<std::string>> previousHashes(QSqlDatabase &db, QString *why,
                                                       const QString &where = "1 = 1",
                                                       const QVariantList &binds = {});

// The records whose row meets `where` (a condition on the records table with
// "?" for each of `binds`), oldest first, children and all; from a journal
// whose records have no bench columns yet when asked so.
enum class Columns { Current, BeforeBenches };
std::optional<std::vector<CalibrationRecord>> select(QSqlDatabase &db, const QString &where,
                                                     const QVariantList &binds, QString *why,
                                                     Columns columns = Columns::Current);

// The same records with only what says when each instrument is due, as a
// list of them shows it: number, bench and its number, instrument (type,
// model, serial, block), when, outcome and next date; the rest left empty.
std::optional<std::vector<CalibrationRecord>> summaries(QSqlDatabase &db, const QString &where,
                                                        const QVariantList &binds, QString *why);
} // namespace RecordRows
