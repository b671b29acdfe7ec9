#pragma once
// A file written whole or not at all: the bytes go to a temporary file beside
// the target, which takes the target's name only once all of them are on disk.
// When anything fails (no such folder, a full disk, a write error) the
// temporary file goes and a file already there keeps its old content.
// Only a regular file is ever replaced: a device (/dev/full), a folder, a
// pipe or a socket of that name is refused untouched, since renaming over it
// would put a file in its place.

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Why nothing may be written at `path`, in the technician's words; empty when
// it names a regular file or nothing yet.
QString unwritableTarget(const QString &path);

// The system's reason for a failure, or an empty string once the file is in place.
QString saveAtomically(const QString &path, const QByteArray &bytes);
// The same for what `write` puts into the device (a PDF painted into it);
// `write` returns its own reason for a failure, or an empty string.
QString saveAtomically(const QString &path, const std::function<QString(QIODevice &)> &write);
