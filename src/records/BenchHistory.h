#pragma once
// The benches a journal has kept its own records as (this_bench), a row for
// each change, only ever added: the newest row is the bench now. A row names
//   id         the bench's id (twelve hex digits)
//   machine    the computer it was kept on from then (ThisComputer.h); empty
//              in the one row of a journal made before, which gets a row with
//              its computer on first opening
//   since      when the row was added (UTC)
//   held       why the bench's records from number `held_from` on stay in
//              this journal alone and are never sent to a server: "copy", kept
//              in a copy of the journal of a bench on another computer, or
//              "restored", kept in a journal put back from a backup, both
//              under numbers the bench's other copy gives too; empty for none
// The caller holds the journal for writing when it adds.

#include "BenchHead.h"

#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace BenchHistory {
struct Row {
    std::int64_t seq = 0;
    std::string id;
    QString machine;
    QString since;
    QString held;
    std::int64_t heldFrom = 0;
};

// "copy", "restored": what `held` holds.
inline const char *const HeldCopy = "copy";
inline const char *const HeldRestored = "restored";

// A condition on the records table: the record is one of the journal's own
// benches' and not held back, nor a correction of one held back (whose
// server number it could never name): for the outbox's query.
inline const char *const OwnAndNotHeld =
    "records.bench IN (SELECT id FROM this_bench) AND NOT EXISTS (SELECT 1 FROM this_bench h "
    "WHERE h.id = records.bench AND h.held <> '' AND records.bench_number >= h.held_from) AND "
    "NOT EXISTS (SELECT 1 FROM records c JOIN this_bench h ON h.id = c.bench WHERE c.number = "
    "records.corrects AND h.held <> '' AND c.bench_number >= h.held_from)";

// The newest row.
std::optional<Row> current(QSqlDatabase &db, QString *why);
// Adds `row` after the newest one, stamped with the time now, and reads it back.
bool add(QSqlDatabase &db, Row row, QString *why);
// Every id the journal has kept its own records under, oldest first.
std::optional<std::vector<std::string>> ids(QSqlDatabase &db, QString *why);

// The bench's records in the journal up to number `last`, as a head sees them.
std::optional<BenchHeads::Held> heldUpTo(QSqlDatabase &db, const std::string &bench,
                                         std::int64_t last, QString *why);
// The bench's head as the journal has it now: its records, its newest; nothing
// with `why` empty when it has none.
std::optional<BenchHead> headNow(QSqlDatabase &db, const std::string &bench, QString *why);
} // namespace BenchHistory
