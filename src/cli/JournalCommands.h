#pragma once
// journal grant: a server's journal made (when it is not yet) and its roles
// set up (JournalRoles.h), as the journal's owner. journal new-bench: a
// bench's journal takes a new bench id for what it keeps from now on (one
// copied from another computer, or put back from a backup). Each returns the
// exit status.

#include <QTextStream>

struct CliRequest;

namespace JournalCommands {
int grant(const CliRequest &request, QTextStream &out, QTextStream &err);
int newBench(const CliRequest &request, QTextStream &out, QTextStream &err);
} // namespace JournalCommands
