#include "ShownPath.h"

namespace {
constexpr qsizetype Kept = 60;
}

QString shownPath(const QString &path) {
    if (path.size() <= 2 * Kept + 1)
        return path;
    return path.left(Kept) + "…" + path.right(Kept);
}
