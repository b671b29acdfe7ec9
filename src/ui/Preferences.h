#pragma once
// The window's preferences (QSettings): readable by their owner only, and
// those kept before the organisation was named ("Unknown Organization")
// carried over once, any server's password left out of both.

#include <QString>

namespace Preferences {
// Carries `from`'s preferences into `to` unless done before (a key in `to`
// says so), with every server location's password removed there and in
// `from`; makes `to` (and a folder made for it) readable by its owner only.
void carryOver(const QString &from, const QString &to);

// The same for this program's files; after nameProgram().
void settle();
} // namespace Preferences
