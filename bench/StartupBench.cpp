// Start-up: the main window built over a driver with two adapters, shown, and
// events processed until the platform has exposed (and so painted) it.

#include "Benchmarks.h"
#include "Summary.h"
#include "testsupport/FakeFtDriver.h"
#include "testsupport/RecordingMessages.h"
#include "ui/TForm1.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <memory>

namespace {
bool coldMeasured = false;

// Milliseconds from construction to exposure, or a negative value when the
// platform never exposes the window.
double showFirstWindow(std::unique_ptr<TForm1> &form, FakeFtDriver &driver, Messages &messages) {
    QElapsedTimer clock;
    clock.start();
    form = std::make_unique<TForm1>(driver, messages);
    return showExposed(*form) ? clock.nsecsElapsed() / 1e6 : -1;
}
} // namespace

bool showExposed(QWidget &window) {
    QElapsedTimer clock;
    clock.start();
    window.show();
    while (!window.windowHandle()->isExposed()) {
        if (clock.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

void registerStartup(SummaryReporter &summary) {
    summary.plain("Startup", "start-up to the first shown window");
    summary.plain("Startup/cold", "  the process's first window (cold)");
    benchmark::RegisterBenchmark(
        "Startup",
        [&summary](benchmark::State &state) {
            FakeFtDriver driver;
            driver.adapters = {{"FT232R USB UART", "A50285BI"}, {"USB Serial", "FT9XK2LM"}};
            RecordingMessages messages;
            std::unique_ptr<TForm1> form;
            for (auto _ : state) {
                const double ms = showFirstWindow(form, driver, messages);
                if (ms < 0) {
                    state.SkipWithError("the window was never exposed");
                    break;
                }
                // The process's very first window also loads fonts, styles and plugins.
                if (!coldMeasured)
                    summary.fill("Startup/cold", ms);
                coldMeasured = true;
                state.PauseTiming();
                form.reset();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                state.ResumeTiming();
            }
            if (!messages.errors.isEmpty() || !messages.informations.isEmpty())
                state.SkipWithError("the window reported something at start-up");
        })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
