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

// The window with its frame, as far as can be told before it is shown.
QSize framed(const QWidget &w) {
    return w.isVisible() ? w.frameGeometry().size()
                         : QSize(w.width() + 2 * Border, w.height() + TitleBar + Border);
}

// Moves `w`, its frame's top-left at `at` (where QWidget::move puts a
// window), as little as it takes for the frame to lie inside `r`.
void moveInside(QWidget &w, QPoint at, const QRect &r) {
    const QSize f = framed(w);
    const int x = std::clamp(at.x(), r.left(), std::max(r.left(), r.right() + 1 - f.width()));
    const int y = std::clamp(at.y(), r.top(), std::max(r.top(), r.bottom() + 1 - f.height()));
    w.move(x, y);
}
} // namespace

void placeBeside(QWidget &window, const QWidget &main) {
    const QRect r = room(main);
    const QRect m = main.frameGeometry();
    const QSize f = framed(window);
    // Right of the main window, left of it, under it, over it: the first
    // place the whole window fits without covering the main one.
    const QPoint places[] = {{m.right() + 8, m.top()},
                             {m.left() - 8 - f.width(), m.top()},
                             {m.left(), m.bottom() + 8},
                             {m.left(), m.top() - 8 - f.height()}};
    for (const QPoint &at : places)
        if (r.contains(QRect(at, f))) {
            window.move(at);
            return;
        }
    moveInside(window, places[0], r);
}

void showInScreen(QWidget &window) {
    if (!window.isVisible()) {
        const QRect r = room(window);
        const QSize fits(std::min(window.width(), r.width() - 2 * Border),
                         std::min(window.height(), r.height() - TitleBar - Border));
        window.resize(fits.expandedTo(window.minimumSize()));
        // Never placed yet: the middle of the screen; else where it was, as
        // far as it stays inside.
        const QSize f = framed(window);
        const QPoint at = window.testAttribute(Qt::WA_Moved)
                              ? window.pos()
                              : r.center() - QPoint(f.width(), f.height()) / 2;
        moveInside(window, at, r);
    }
    window.show();
    window.raise();
    window.activateWindow();
}
