#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {
// A window manager's frame before the window is shown, when it cannot be
// asked yet: a title bar and thin borders.
constexpr int TitleBar = 32;
constexpr int Border = 4;

QRect room(const QWidget &w) {
    const QWidget *anchor = w.parentWidget() ? w.parentWidget()->window() : &w;
    QScreen *screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1366, 728);
}

// Moves `w` (client top-left `at`) so that its frame lies inside `r`.
void moveInside(QWidget &w, QPoint at, const QRect &r) {
    const int x = std::clamp(at.x(), r.left() + Border,
                             std::max(r.left() + Border, r.right() - Border - w.width()));
    const int y = std::clamp(at.y(), r.top() + TitleBar,
                             std::max(r.top() + TitleBar, r.bottom() - Border - w.height()));
    w.move(x, y);
}
} // namespace

void placeBeside(QWidget &window, const QWidget &main) {
    const QRect r = room(main);
    const QRect frame = main.frameGeometry();
    moveInside(window, QPoint(frame.right() + 8 + Border, frame.top() + TitleBar), r);
}

void showInScreen(QWidget &window) {
    if (!window.isVisible()) {
        const QRect r = room(window);
        const QSize fits(std::min(window.width(), r.width() - 2 * Border),
                         std::min(window.height(), r.height() - TitleBar - Border));
        window.resize(fits.expandedTo(window.minimumSize()));
        const QRect at(window.pos(), window.size());
        if (!r.contains(at.adjusted(-Border, -TitleBar, Border, Border)))
            moveInside(window, r.center() - QPoint(window.width(), window.height()) / 2, r);
    }
    window.show();
    window.raise();
    window.activateWindow();
}
