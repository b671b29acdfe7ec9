#pragma once
// A journal held against a bench's own copy, record by record: each of the
// bench's records (known by its bench's id and number) in both, with the
// same check sum, under the number the bench noted when the journal took it.
// What the check sums cannot show alone, this shows: a bench's records taken
// out of a server's journal (the newest too, or all of them), renumbered, or
// put in that the bench never kept.

#include "calibration/CalibrationRecord.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace BenchComparison {
// `journal` the journal's records (any benches'), `bench` the bench's own
// records as its outbox has sent them (Outbox::asSent: the journal's number,
// or 0 for one not sent yet), `id` the bench. Each difference in the
// technician's words; empty when the two agree.
QStringList differences(const std::vector<CalibrationRecord> &journal,
                        const std::vector<CalibrationRecord> &bench, const std::string &id);
} // namespace BenchComparison
