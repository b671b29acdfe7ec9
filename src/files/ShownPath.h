#pragma once
// A path or location as a message echoes it back: whole when short, its first
// and last 60 characters with "…" between when longer, so that a pasted
// screenful never fills a box or a terminal.

#include <QString>

QString shownPath(const QString &path);
