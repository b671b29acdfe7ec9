#include "RecordChain.h"

#include "RecordHash.h"

namespace {
QString recordsWord(std::size_t n) {
    const std::size_t tens = n % 100, ones = n % 10;
    if (tens >= 11 && tens <= 14)
        return "записей";
    if (ones == 1)
        return "запись";
    if (ones >= 2 && ones <= 4)
        return "записи";
    return "записей";
}

ChainCheck found(ChainCheck::Finding finding, std::int64_t number, std::size_t records) {
    ChainCheck c{finding, number, records, {}};
    c.reason = finding == ChainCheck::Finding::Changed
                   ? QString("Запись № %1 изменена после записи").arg(number)
                   : QString("Перед записью № %1 недостаёт записи").arg(number);
    return c;
}
} // namespace

ChainCheck RecordChain::check(const std::vector<CalibrationRecord> &records,
                              const std::vector<std::string> &previousHashes) {
    const std::size_t n = records.size();
    if (previousHashes.size() != n)
        return {ChainCheck::Finding::Unread, 0, n, "журнал изменился во время проверки"};
    std::string before;
    for (std::size_t i = 0; i < n; ++i) {
        const CalibrationRecord &r = records[i];
        const std::string &previous = previousHashes[i];
        if (r.hash.empty() || RecordHash::chained(previous, r) != r.hash)
            return found(ChainCheck::Finding::Changed, r.number, n);
        if (previous != before)
            return found(ChainCheck::Finding::Missing, r.number, n);
        before = r.hash;
    }
    return {ChainCheck::Finding::Intact, 0, n,
            QString("Журнал цел: %1 %2, каждая как записана.").arg(n).arg(recordsWord(n))};
}
