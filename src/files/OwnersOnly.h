#pragma once
// A file only its owner may read: the journal, the bench's outbox and the
// preferences hold who calibrated what, and where the server is.

#include <QString>

// Makes the file's folder, each folder made here readable by its owner only
// (0700), and the file itself, empty and 0600, when it is not there; a file
// or folder already there is left as it is. Why not, in the technician's
// words, or empty.
QString makeOwnersOnly(const QString &path);
