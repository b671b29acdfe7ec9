// One reply per page: taken off the link by the receive tick, decoded into the
// page's widgets and its chart redrawn (the series replaced). The "painted"
// variant then lets the event loop paint what changed, as it would on screen.

#include "Benchmarks.h"
#include "Summary.h"
#include "charts/StripChart.h"
#include "pages/BlockPage.h"
#include "pages/TraceMemo.h"
#include "protocol/SensorCodes.h"
#include "testsupport/WindowHarness.h"

#include <QChartView>
#include <QCoreApplication>
#include <QLineSeries>
#include <QTabWidget>
#include <QTimer>

namespace {

std::uint8_t lo(unsigned v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}
std::uint8_t hi(unsigned v) {
    return static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

// Readings sweep from `from` to `to` every 50 replies: on a 200-point chart
// four teeth over about half its height, a lively signal, which costs more to
// draw than a quiet one.
unsigned sweep(unsigned i, unsigned from, unsigned to) {
    return from + i % 50 * (to - from) / 49;
}

// The i-th reply a polled block sends, readings in the block's own units.
Bytes baseReply(unsigned i) {
    const unsigned mv = sweep(i, 4500, 5700);
    return frame(Block::Base, Code::Poll, 0x10, 0x03, 0, lo(mv), hi(mv));
}
Bytes pumpReply(unsigned i) {
    const unsigned halfMa = sweep(i, 60, 240);
    return frame(Block::Pump, Code::Poll, 0x01, lo(halfMa), hi(halfMa), 40, 60);
}
Bytes catalyticReply(std::uint8_t block, unsigned i) {
    const unsigned concentration = i % 500, tenthsMv = sweep(i, 2000, 14000);
    return frame(block, Code::Poll, SensorStatus::On, lo(concentration), hi(concentration),
                 lo(tenthsMv), hi(tenthsMv));
}
Bytes tksReply(unsigned i) {
    return catalyticReply(Block::Tks, i);
}
Bytes pgsReply(unsigned i) {
    const unsigned quarterMv = sweep(i, 2000, 8000), concentration = i % 50;
    return frame(Block::Pgs, Code::Poll, SensorStatus::On, lo(quarterMv), hi(quarterMv),
                 lo(concentration), hi(concentration));
}
// The two-sensor blocks are polled in turn for each sensor.
Bytes twoSensorReply(std::uint8_t block, unsigned i) {
    if (i % 2 == 0)
        return catalyticReply(block, i);
    const unsigned tenthsMv = sweep(i, 2000, 14000);
    return frame(block, SemiconductorCode::Poll, SensorStatus::On, 0, 0, lo(tenthsMv),
                 hi(tenthsMv));
}
Bytes tksPgsReply(unsigned i) {
    return twoSensorReply(Block::TksPgs, i);
}
Bytes hydrogenReply(unsigned i) {
    return twoSensorReply(Block::Hydrogen, i);
}
Bytes opticalReply(unsigned i) {
    const unsigned concentration = i % 10000, signal = sweep(i, 500, 1700);
    return frame(Block::OpticMethane, Code::Poll, SensorStatus::On, lo(concentration),
                 hi(concentration), lo(signal), hi(signal));
}
// The oxygen block's chart moves on its voltage replies.
Bytes oxygenReply(unsigned i) {
    const unsigned concentration = 209 - i % 50, tenthsMv = sweep(i, 5000, 17000);
    return frame(Block::Oxygen, OxygenCode::Voltage, 0, lo(concentration), hi(concentration),
                 lo(tenthsMv), hi(tenthsMv));
}

struct PageCase {
    const char *name;
    int page;
    std::uint8_t kind; // an instrument kind that shows the page
    int pollMs;        // the page's transmit interval
    Bytes (*reply)(unsigned i);
};

constexpr PageCase Pages[] = {
    {"base", PageIndex::Base, 1, 350, baseReply},
    {"pump", PageIndex::Pump, 1, 350, pumpReply},
    {"tks", PageIndex::Tks, 1, 350, tksReply},
    {"pgs", PageIndex::Pgs, 4, 350, pgsReply},
    {"tks_pgs", PageIndex::TksPgs, 2, 350, tksPgsReply},
    {"hydrogen", PageIndex::Hydrogen, 3, 350, hydrogenReply},
    {"optical", PageIndex::OpticMethane, 5, 800, opticalReply},
    {"oxygen", PageIndex::Oxygen, 7, 350, oxygenReply},
};

// Counts the paint events of the widgets it watches.
class PaintCounter : public QObject {
  public:
    long paints = 0;
    bool eventFilter(QObject *, QEvent *e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// The main window with an adapter open, the instrument identified and the
// page opened by the technician; shown, but drawn only when events run.
class PageWindow : public WindowHarness {
  public:
    explicit PageWindow(const PageCase &c) {
        startWindow({{"FT232R USB UART", "A50285BI"}});
        form->pictureFolder = ZE23_PICTURE_DIR;
        exposed = showExposed(*form);
        openRow(0);
        identifyAs(c.kind);
        form->PageControl1->setCurrentIndex(c.page);
        // The ticks are the benchmark's to run.
        for (QTimer *t : {form->Timer1, form->Timer2, form->Timer3})
            t->stop();
        QCoreApplication::processEvents();
        QWidget *page = form->TabSheets[std::size_t(c.page)];
        // Traces full, as after a long session: each new line drops the oldest.
        for (TraceMemo *memo : page->findChildren<TraceMemo *>()) {
            QStringList lines;
            for (int n = 0; n < TraceMemo::ShownLines; ++n)
                lines << TraceMemo::line(Frame{}, Frame{});
            memo->setPlainText(lines.join('\n'));
        }
        for (StripChart *chart : page->findChildren<StripChart *>()) {
            QObject::connect(chart->series(), &QXYSeries::pointsReplaced, form.get(),
                             [this] { ++redraws; });
            chart->findChild<QChartView *>()->viewport()->installEventFilter(&chartPaints);
        }
    }
    using WindowHarness::form;
    using WindowHarness::receive;
    bool quiet() const { return messages.errors.isEmpty() && messages.informations.isEmpty(); }
    bool exposed = false;
    long redraws = 0;
    PaintCounter chartPaints;
};

void replies(benchmark::State &state, const PageCase &c, bool painted) {
    PageWindow window(c);
    if (!window.exposed) {
        state.SkipWithError("the window was never exposed");
        return;
    }
    if (!window.quiet()) {
        state.SkipWithError("the window reported something while opening the page");
        return;
    }
    if (window.form->blockPages[std::size_t(c.page)]->intervalMs() != c.pollMs) {
        state.SkipWithError("the page polls at another interval than its budget assumes");
        return;
    }
    unsigned i = 0;
    for (auto _ : state) {
        window.receive(c.reply(i++));
        if (painted)
            QCoreApplication::processEvents();
    }
    if (window.redraws != long(state.iterations()))
        state.SkipWithError("a reply did not redraw its chart");
    if (painted && window.chartPaints.paints < long(state.iterations()))
        state.SkipWithError("a reply's chart was not painted");
}

} // namespace

void registerPageReplies(SummaryReporter &summary) {
    for (const PageCase &c : Pages) {
        for (bool painted : {false, true}) {
            const std::string name =
                std::string(painted ? "PageReplyPainted/" : "PageReply/") + c.name;
            summary.budget(name, painted ? "  and painted" : std::string("reply on page ") + c.name,
                           c.pollMs * Line::ReplyShare);
            benchmark::RegisterBenchmark(name.c_str(), replies, c, painted)
                ->Unit(benchmark::kMicrosecond)
                ->UseRealTime();
        }
    }
}
