#include "RecordChain.h"

#include "RecordHash.h"
#include "RecordTexts.h"

#include <map>

namespace {
ChainCheck found(ChainCheck::Finding finding, std::int64_t number, std::size_t records) {
    ChainCheck c{finding, number, records, {}};
    c.reason = finding == ChainCheck::Finding::Changed
                   ? QString("Запись № %1 изменена после записи").arg(number)
                   : QString("Перед записью № %1 недостаёт записи").arg(number);
    return c;
}
} // namespace

ChainCheck RecordChain::check(const std::vector<CalibrationRecord> &records,
                              const std::vector<std::string> &previousHashes,
                              const std::vector<std::string> &links) {
    const std::size_t n = records.size();
    if (previousHashes.size() != n || links.size() != n)
        return {ChainCheck::Finding::Unread, 0, n, "журнал изменился во время проверки"};
    // Each bench's newest record so far: its hash and the bench's number for it
    // (the records kept before benches had ids, under the empty bench, are
    // numbered by the journal alone).
    struct End {
        std::string hash;
        std::int64_t benchNumber = 0;
    };
    std::map<std::string, End> ends;
    for (std::size_t i = 0; i < n; ++i) {
        const CalibrationRecord &r = records[i];
        const std::string &previous = previousHashes[i];
        if (r.hash.empty() || RecordHash::chained(previous, r) != r.hash)
            return found(ChainCheck::Finding::Changed, r.number, n);
        End &end = ends[r.bench];
        if (previous != end.hash || (!r.bench.empty() && r.benchNumber != end.benchNumber + 1))
            return found(ChainCheck::Finding::Missing, r.number, n);
        end = {r.hash, r.benchNumber};
    }
    // Each record under the number the journal took it by, in its order.
    std::string link;
    for (std::size_t i = 0; i < n; ++i) {
        const CalibrationRecord &r = records[i];
        link = RecordHash::journalLink(link, r.number, r.hash, r.login);
        if (links[i] != link) {
            ChainCheck c{ChainCheck::Finding::Changed, r.number, n, {}};
            c.reason = QString("Запись № %1 стоит в журнале не под тем номером или не на том "
                               "месте, под которым и где её приняли")
                           .arg(r.number);
            return c;
        }
        link = links[i];
    }
    return {
        ChainCheck::Finding::Intact, 0, n,
        QString("Журнал цел: %1, каждая как записана.").arg(RecordTexts::recordCount(qint64(n)))};
}
