#include "BenchComparison.h"

#include <map>

QStringList BenchComparison::differences(const std::vector<CalibrationRecord> &journal,
                                         const std::vector<CalibrationRecord> &bench,
                                         const std::string &id) {
    std::map<std::int64_t, const CalibrationRecord *> inJournal, onBench;
    for (const CalibrationRecord &r : journal)
        if (r.bench == id)
            inJournal[r.benchNumber] = &r;
    for (const CalibrationRecord &r : bench)
        if (r.bench == id)
            onBench[r.benchNumber] = &r;
    const QString bench_ = QString::fromStdString(id);
    const auto name = [&](std::int64_t n) { return QString("%1-%2").arg(bench_).arg(n); };
    QStringList out;
    for (const auto &[n, own] : onBench) {
        const auto there = inJournal.find(n);
        if (there == inJournal.end()) {
            // One not sent yet is not expected there.
            if (own->number != 0)
                out << QString("Запись %1 (№ %2) есть на рабочем месте, а в журнале её нет")
                           .arg(name(n))
                           .arg(own->number);
            continue;
        }
        const CalibrationRecord &r = *there->second;
        if (r.hash != own->hash)
            out << QString("Запись %1 в журнале не такая, как на рабочем месте").arg(name(n));
        else if (own->number != 0 && r.number != own->number)
            out << QString("Запись %1 в журнале под № %2, а принята была под № %3")
                       .arg(name(n))
                       .arg(r.number)
                       .arg(own->number);
    }
    for (const auto &[n, r] : inJournal)
        if (!onBench.count(n))
            out << QString("Запись %1 (№ %2) есть в журнале, а на рабочем месте её нет")
                       .arg(name(n))
                       .arg(r->number);
    return out;
}
