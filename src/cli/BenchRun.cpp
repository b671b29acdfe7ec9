#include "BenchRun.h"

#include <algorithm>

void runTogether(const std::vector<std::unique_ptr<InstrumentJob>> &jobs, const TickWait &wait) {
    for (const auto &job : jobs)
        job->start();
    const auto running = [&] {
        return std::any_of(jobs.begin(), jobs.end(), [](const auto &j) { return !j->done(); });
    };
    while (running()) {
        wait(InstrumentJob::TickMs);
        for (const auto &job : jobs)
            job->tick();
    }
}
