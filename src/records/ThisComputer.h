#pragma once
// Which computer this is, so that a bench's journal carried to another
// computer (copied, or put back from a backup there) is told from the bench's
// own: SHA-256 of the system's machine id (/etc/machine-id), cut to sixteen
// hex digits, so that the id itself is kept nowhere. Empty when the system
// has none: the journal then cannot tell, and says nothing.

#include <QByteArray>
#include <QString>

namespace ThisComputer {
// This computer, read once.
QString machine();
// The machine named by the content of a machine-id file (blanks around it
// do not count); empty for an empty one.
QString machineOf(const QByteArray &machineId);
} // namespace ThisComputer
