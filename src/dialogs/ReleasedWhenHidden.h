#pragma once
// A window that gives its picture back when closed. A top-level window keeps
// its backing store, four bytes for each of its pixels (2.7 MB at 1000 × 700),
// for as long as it exists, hidden or not; the windows opened now and then
// (multiplexer, calibration, journal, history, due list, register) are kept
// for their state once made, so closed, each destroys its native window as
// soon as the event loop is back, and Qt makes a new one when it is shown
// again.

#include <QHideEvent>
#include <QTimer>

template <class Window> class ReleasedWhenHidden : public Window {
  public:
    using Window::Window;

  protected:
    void hideEvent(QHideEvent *event) override {
        Window::hideEvent(event);
        // Minimised, a window is hidden by the window system and stays visible.
        if (event->spontaneous() || !this->isWindow())
            return;
        QTimer::singleShot(0, this, [this] {
            if (!this->isVisible())
                this->destroy();
        });
    }
};
