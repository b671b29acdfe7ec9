#pragma once
// A journal opened only to be read: the windows that look at records never
// make one that is not there yet.

#include <QString>

#include <memory>

class RecordStore;

// The store at `path` (a file or a server); nullptr when the file is not made
// yet (`error` left empty) or the journal cannot be opened (`error` says why).
std::unique_ptr<RecordStore> openExistingJournal(const QString &path, QString *error);
