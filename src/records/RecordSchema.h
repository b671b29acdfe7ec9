#pragma once
// The journal's tables, made in a new file and checked in one already there.
//
// records        one row a calibration, numbered by SQLite (never reused);
//                the instrument, who, where, the cylinder, the rule, the
//                verdict; indexed by serial number
// versions       the version byte of each block, by name
// measurements   each judged reading in order, its chart as ChartText
// points         each adjusted point, before and after
// settings_after the block's settings by name once it was over
// schema_version one row: the layout's version
//
// Triggers refuse any UPDATE or DELETE: a kept record is never changed.

#include <QSqlDatabase>
#include <QString>

namespace RecordSchema {
constexpr int Version = 1;

// Makes the tables in an empty database, or checks that the file holds a
// journal of this version. The reason in the technician's words otherwise.
bool prepare(QSqlDatabase &db, QString *why);
} // namespace RecordSchema
