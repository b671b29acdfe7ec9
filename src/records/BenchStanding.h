#pragma once
// Whether a bench's journal is still the bench's own, here: a journal whose
// newest bench row (BenchHistory.h) names another computer is a copy of one
// kept there (copied, or put back from its backup here); one whose bench's
// records fall short of this computer's head for the bench (BenchHead.h) was
// put back from a backup. Either way the bench's other copy gives the same
// numbers to other records, and a server would take only one of each: the
// journal is to take a new bench id for what comes next. Records kept
// meanwhile stay in the journal and are held back from the server.

#include "BenchHistory.h"

#include <QString>

struct BenchStanding {
    enum class Kind {
        Own,
        Copied,
        Restored,
        // Records were kept under the old id since it was found a copy or put
        // back (the row's `held`), and no new id taken yet.
        Held
    };
    Kind kind = Kind::Own;
    // What the technician is told, without what to do about it; empty for Own.
    QString note;
    bool doubtful() const { return kind != Kind::Own; }
};

namespace BenchStandings {
// `current` the journal's newest bench row, `machine` this computer (empty:
// not known, then a copy cannot be told), `shortOfHead` what the journal
// lacks against this computer's head for the bench (BenchHeads::shortfall),
// `shown` the journal's location as a message shows it.
BenchStanding judge(const BenchHistory::Row &current, const QString &machine,
                    const QString &shortOfHead, const QString &shown);
// What `held` is to hold for records kept while the journal is so.
QString heldFor(BenchStanding::Kind kind);
} // namespace BenchStandings
