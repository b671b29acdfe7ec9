#include "JournalFilter.h"

namespace {
QDate dayOf(const std::string &text) {
    return QDate::fromString(QString::fromStdString(text).left(10), Qt::ISODate);
}
} // namespace

bool JournalFilter::matches(const CalibrationRecord &r) const {
    if (serial && r.serial != *serial)
        return false;
    if (!model.isEmpty() && QString::fromStdString(r.model) != model)
        return false;
    if (block && r.block != *block)
        return false;
    if (outcome && r.outcome != *outcome)
        return false;
    const QDate day = dayOf(r.when);
    if ((from.isValid() || to.isValid()) && !day.isValid())
        return false;
    if ((from.isValid() && day < from) || (to.isValid() && day > to))
        return false;
    if (!batch.trimmed().isEmpty() && QString::fromStdString(r.batch) != batch.trimmed())
        return false;
    return technician.trimmed().isEmpty() ||
           QString::fromStdString(r.technician).contains(technician.trimmed(), Qt::CaseInsensitive);
}

std::vector<CalibrationRecord> filtered(const std::vector<CalibrationRecord> &oldestFirst,
                                        const JournalFilter &filter) {
    std::vector<CalibrationRecord> shown;
    for (auto r = oldestFirst.rbegin(); r != oldestFirst.rend(); ++r)
        if (filter.matches(*r))
            shown.push_back(*r);
    return shown;
}

bool wantsAttention(const CalibrationRecord &r, bool newestOfInstrument, const QDate &today) {
    if (r.outcome == CalibrationOutcome::Failed || r.outcome == CalibrationOutcome::Interrupted)
        return true;
    const QDate due = dayOf(r.nextDue);
    return newestOfInstrument && (!due.isValid() || due < today);
}
