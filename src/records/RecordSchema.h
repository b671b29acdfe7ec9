#pragma once
// The journal's tables, the same on SQLite and PostgreSQL (the key column's
// type, a real's width and the triggers' wording aside).
//
// records        one row a calibration, numbered by the database (never
//                reused); the bench that wrote it and the bench's number for
//                it (unique together); the instrument, who, where, the
//                cylinder, the rule, the verdict, its hash and the previous
//                record's; indexed by serial number
// this_bench     the id of the bench whose own journal this is (a server's
//                for records written to it directly): a row for each new id
//                or computer, the newest the bench now (BenchHistory.h)
// sent           which of the bench's records a server has taken, under
//                which number there
// cylinders      the register of cylinders, by number or lot: gas, the
//                sensor gas it is for (component), concentration and its
//                uncertainty in hundredths of a percent, balance gas,
//                supplier, certificate date, expiry, when it was added
// versions       the version byte of each block, by name
// measurements   each judged reading in order, its chart as ChartText
// points         each adjusted point, before and after
// settings_after the block's settings by name once it was over
// gas_cylinders  the other gases of a calibration in order, each with its
//                cylinder's fields (concentrations in hundredths of a percent)
// schema_version one row: the layout's version
//
// Triggers refuse any UPDATE or DELETE of a record, the bench's id, what was
// sent and a registered cylinder: a kept record is never changed. The
// hashes (RecordHash.h) show a change made with the triggers off; the step
// that brought them in gave the records kept before them theirs.
// Each version's changes are one step of an ordered list; opening brings an
// older journal up to this version in one transaction.

#include <QSqlDatabase>
#include <QString>

namespace RecordSchema {
// A new bench's id: twelve random hex digits.
QString newBenchId();

// The newest layout this program knows: the number of steps.
int version();

// Makes the tables in an empty database, brings an older journal up to date,
// or checks that it holds a journal of this version. False with the reason in
// the technician's words otherwise; `refused` is then the whole message for
// a journal made by a newer program (`shown` names it), empty for the rest.
bool prepare(QSqlDatabase &db, const QString &shown, QString *why, QString *refused);
} // namespace RecordSchema
