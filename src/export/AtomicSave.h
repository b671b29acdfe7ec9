#pragma once
// A file written whole or not at all: the bytes go to a temporary file beside
// the target, which takes the target's name only once all of them are on disk.
// When anything fails (no such folder, a full disk, a write error) the
// temporary file goes and a file already there keeps its old content.

#include <QByteArray>
#include <QString>

// The system's reason for a failure, or an empty string once the file is in place.
QString saveAtomically(const QString &path, const QByteArray &bytes);
