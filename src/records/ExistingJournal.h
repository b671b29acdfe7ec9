#pragma once
// A journal opened only to be read: the windows and the commands that look
// at records never make one that is not there yet, nor one in an empty file.

#include <QString>

#include <memory>

class RecordStore;

// The store at `path` (a file or a server); nullptr when the file is not made
// yet (`error` left empty) or the journal cannot be opened (`error` says why:
// an empty file, for one, holds no journal and is left empty).
std::unique_ptr<RecordStore> openExistingJournal(const QString &path, QString *error);
