#pragma once
// A record as rows of the journal's tables (RecordSchema.h) and back. The
// caller holds the transaction; these only run the statements.

#include "protocol/CalibrationRecord.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <cstdint>
#include <optional>
#include <vector>

namespace RecordRows {
// Inserts the record and its child rows; the number the database gave it (the
// record's own number is not used).
std::optional<std::int64_t> insert(QSqlDatabase &db, const CalibrationRecord &r, QString *why);

// The records whose row meets `where` (a condition on the records table with
// "?" for each of `binds`), oldest first, children and all.
std::optional<std::vector<CalibrationRecord>> select(QSqlDatabase &db, const QString &where,
                                                     const QVariantList &binds, QString *why);
} // namespace RecordRows
