#pragma once
// journal grant: a server's journal made (when it is not yet) and its roles
// set up (JournalRoles.h), as the journal's owner. Returns the exit status.

#include <QTextStream>

struct CliRequest;

namespace JournalCommands {
int grant(const CliRequest &request, QTextStream &out, QTextStream &err);
} // namespace JournalCommands
