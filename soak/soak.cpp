// ze23-soak: the main window against every virtual instrument through hours of
// simulated polling, its ticks driven directly on a simulated clock (no real
// time passes), with page changes, button presses, typed thresholds and line
// trouble drawn from a fixed random start. Reports resident memory when the
// window is built, once every chart and frame trace has filled (after a
// warm-up pass over every kind), and at the end.
//
//   QT_QPA_PLATFORM=offscreen build/soak/ze23-soak --hours 24
//
// Exit status: 0 when all went well; 1 when, for some kind, the lowest resident
// memory of the session's last hour lies more than 1 MB above that of its first
// hour (the charts and traces full by then); 2 when
// a message box would have been shown, an instrument was not identified in
// time, the window stopped getting replies (a stall: the adapter is opened
// again to go on), it told the base a sensor type nobody chose, or a
// calibration ran on after its connection ended, ended without its record in
// the journal, or never ended.

#include "MemoryUse.h"
#include "SoakBench.h"
#include "Technician.h"
#include "ui/MemoryTuning.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
constexpr std::int64_t HourMs = 3'600'000;
constexpr std::int64_t GrowthLimitKb = 1024;
// The kinds the virtual driver has an adapter for.
constexpr std::array<int, 6> VirtualKinds{1, 2, 3, 4, 5, 7};

struct Options {
    double hours = 24;
    std::vector<int> kinds{1, 2, 3, 4, 5, 7};
    std::uint32_t randomStart = 23;
};

bool parse(const QApplication &app, Options &o) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Drives the main window against the virtual instruments through simulated hours of "
        "polling and reports resident memory.");
    parser.addHelpOption();
    const QCommandLineOption hours("hours", "Simulated hours of polling per kind (default 24).",
                                   "H", "24");
    const QCommandLineOption kinds("kinds", "Instrument kinds, in turn (default 1,2,3,4,5,7).",
                                   "list", "1,2,3,4,5,7");
    const QCommandLineOption start(
        "random-start", "Random start of the bench work and the instruments.", "N", "23");
    parser.addOptions({hours, kinds, start});
    parser.process(app);

    bool ok = false;
    o.hours = parser.value(hours).toDouble(&ok);
    if (!ok || o.hours <= 0) {
        std::fprintf(stderr, "--hours wants a positive number\n");
        return false;
    }
    o.kinds.clear();
    for (const QString &k : parser.value(kinds).split(',', Qt::SkipEmptyParts)) {
        const int kind = k.trimmed().toInt(&ok);
        if (!ok ||
            std::find(VirtualKinds.begin(), VirtualKinds.end(), kind) == VirtualKinds.end()) {
            std::fprintf(stderr, "--kinds: %s is no virtual instrument (1, 2, 3, 4, 5, 7)\n",
                         qPrintable(k));
            return false;
        }
        o.kinds.push_back(kind);
    }
    o.randomStart = parser.value(start).toUInt(&ok);
    if (!ok || o.kinds.empty()) {
        std::fprintf(stderr, "--random-start wants a whole number, --kinds at least one kind\n");
        return false;
    }
    return true;
}

// The offscreen platform cannot raise a window nor pass on its size hints; the
// multiplexer and calibration windows ask it to each time they open.
// Everything else Qt has to say goes through.
QtMessageHandler qtDefaultHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (!text.startsWith("This plugin does not support raise()") &&
        !text.startsWith("This plugin does not support propagateSizeHints()"))
        qtDefaultHandler(type, context, text);
}

double mb(std::int64_t kb) {
    return double(kb) / 1024.0;
}

// Resident memory over a simulated hour, sampled each minute. A frame trace's
// text is rebuilt now and then as its oldest lines go, so the resident set
// swings by a megabyte or so within the hour; what a day adds shows in the low
// of those swings.
struct HourOfMemory {
    std::int64_t lowKb = INT64_MAX;
    std::int64_t highKb = 0;
    void take(std::int64_t kb) {
        lowKb = std::min(lowKb, kb);
        highKb = std::max(highKb, kb);
    }
    bool sampled() const { return highKb > 0; }
};

void printMemory(const char *when, const MemoryUse &m) {
    std::printf("%-26s RSS %6.1f MB (anon %5.1f, file %5.1f); heap in use %5.1f, held %5.1f\n",
                when, mb(m.residentKb), mb(m.anonymousKb), mb(m.fileKb), mb(m.heapInUseKb),
                mb(m.heapHeldKb));
    std::fflush(stdout);
}

// The texts of the message boxes that would have been shown, with how many times.
void listMessages(const char *kind, const QMap<QString, std::int64_t> &shown) {
    for (auto it = shown.cbegin(); it != shown.cend(); ++it)
        std::printf("  %s x%lld: %s\n", kind, static_cast<long long>(it.value()),
                    qPrintable(it.key()));
}

// The first few notes of a kind, and how many more there were.
void printNotes(const char *prefix, const QStringList &notes) {
    constexpr qsizetype Shown = 12;
    for (qsizetype i = 0; i < notes.size() && i < Shown; ++i)
        std::printf("  %s%s\n", prefix, qPrintable(notes[i]));
    if (notes.size() > Shown)
        std::printf("  ... and %lld more\n", static_cast<long long>(notes.size() - Shown));
}

// What the run did, and what went wrong on the way.
void printCounts(const SoakBench &bench, const Technician &technician) {
    const SoakBench::Counts &c = bench.counts;
    const Technician::Counts &t = technician.counts;
    std::printf("warm-up included: ticks %lld transmit, %lld receive; replies decoded %lld\n",
                static_cast<long long>(c.transmitTicks), static_cast<long long>(c.receiveTicks),
                static_cast<long long>(c.replies));
    std::printf("presses: %lld (%lld fields typed, %lld refused the digits), page changes: %lld, "
                "switch-offs: %lld (%lld unanswered), multiplexer windows: %lld\n",
                static_cast<long long>(t.presses), static_cast<long long>(t.typedFields),
                static_cast<long long>(t.typingRefused), static_cast<long long>(t.pageChanges),
                static_cast<long long>(t.switchOffs),
                static_cast<long long>(t.switchOffsUnanswered),
                static_cast<long long>(t.muxWindows));
    std::printf("line trouble:");
    for (int k = 0; k < LineTrouble::KindCount; ++k)
        std::printf(" %lld %s%s", static_cast<long long>(technician.trouble.counts[std::size_t(k)]),
                    LineTrouble::name(LineTrouble::Kind(k)),
                    k + 1 < LineTrouble::KindCount ? "," : "\n");
    std::printf("adapter openings: %lld (%lld not identified in time), stalls: %lld\n",
                static_cast<long long>(c.openings), static_cast<long long>(c.failedIdentifications),
                static_cast<long long>(t.stalls));
    printNotes("stall: ", technician.stallNotes);
    std::printf("sensor types nobody chose, taken by the base: %lld\n",
                static_cast<long long>(t.kindChanges));
    printNotes("", technician.kindChangeNotes);
    std::printf(
        "calibrations: %lld begun, %lld ended (%lld passed, %lld with a wrong gas, %lld aborted, "
        "%lld "
        "closed midway); left running after the connection: %lld, records missing: "
        "%lld, never ended: %lld\n",
        static_cast<long long>(t.calibrations), static_cast<long long>(t.calibrationsEnded),
        static_cast<long long>(t.calibrationsPassed),
        static_cast<long long>(t.calibrationsWrongGas),
        static_cast<long long>(t.calibrationsAborted), static_cast<long long>(t.calibrationsClosed),
        static_cast<long long>(t.calibrationsLeftRunning), static_cast<long long>(t.recordsMissing),
        static_cast<long long>(t.calibrationsStuck));
    printNotes("calibration: ", technician.calibrationNotes);
    const CountingMessages &m = bench.messages;
    std::printf("messages shown: %lld errors, %lld informations\n",
                static_cast<long long>(CountingMessages::total(m.errors)),
                static_cast<long long>(CountingMessages::total(m.informations)));
    listMessages("error", m.errors);
    listMessages("information", m.informations);
}

} // namespace

int main(int argc, char *argv[]) {
    // As the tool itself starts.
    keepLargeBlocksReturnable();
    // Nothing is shown: the window is driven, not looked at.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The fields the calibration window remembers go to a settings file of
    // tests, not the user's.
    QStandardPaths::setTestModeEnabled(true);
    qtDefaultHandler = qInstallMessageHandler(quietHandler);
    Options o;
    if (!parse(app, o))
        return 2;

    QElapsedTimer realTime;
    realTime.start();
    SoakBench bench(o.randomStart);
    Technician technician(bench, o.randomStart);
    QStringList kindList;
    for (int k : o.kinds)
        kindList << QString::number(k);
    std::printf("ze23-soak: %g simulated hour(s) per kind, kinds %s, random start %u\n", o.hours,
                qPrintable(kindList.join(',')), o.randomStart);
    const MemoryUse atStart = MemoryUse::now();
    printMemory("start (window built):", atStart);

    bool allIdentified = true;
    for (int kind : o.kinds) {
        allIdentified = bench.open(kind) && allIdentified;
        technician.tour(kind);
    }
    bench.housekeeping();
    const double warmUpSeconds = double(realTime.elapsed()) / 1000.0;
    const std::int64_t warmUpMs = bench.nowMs();
    const MemoryUse filled = MemoryUse::now();
    std::printf("warm-up: %.2f simulated hours in %.1f s\n", double(warmUpMs) / HourMs,
                warmUpSeconds);
    printMemory("filled (after warm-up):", filled);

    QElapsedTimer soakTime;
    soakTime.start();
    const auto sessionMs = static_cast<std::int64_t>(o.hours * double(HourMs));
    std::int64_t worstGrowthKb = 0;
    for (int kind : o.kinds) {
        allIdentified = bench.open(kind) && allIdentified;
        HourOfMemory hour, first, last;
        technician.session(kind, sessionMs, [&](int minute) {
            hour.take(MemoryUse::now().residentKb);
            if (minute % 60 != 0)
                return;
            std::printf("  kind %d, hour %d:%*sRSS %6.1f .. %6.1f MB\n", kind, minute / 60,
                        minute < 600 ? 8 : 7, "", mb(hour.lowKb), mb(hour.highKb));
            if (minute == 60)
                first = hour;
            last = hour;
            hour = {};
        });
        if (first.sampled()) {
            const std::int64_t growthKb = last.lowKb - first.lowKb;
            worstGrowthKb = std::max(worstGrowthKb, growthKb);
            std::printf("  kind %d: low of the last hour against the first: %+lld kB\n", kind,
                        static_cast<long long>(growthKb));
        }
    }
    bench.housekeeping();
    const double soakSeconds = double(soakTime.elapsed()) / 1000.0;
    const MemoryUse atEnd = MemoryUse::now();
    printMemory("end:", atEnd);

    std::printf("end against the filled point: RSS %+lld kB, heap in use %+lld kB\n",
                static_cast<long long>(atEnd.residentKb - filled.residentKb),
                static_cast<long long>(atEnd.heapInUseKb - filled.heapInUseKb));
    std::printf("a day's growth, the worst kind: %+lld kB (limit %lld kB)\n",
                static_cast<long long>(worstGrowthKb), static_cast<long long>(GrowthLimitKb));

    printCounts(bench, technician);
    const double simulatedHours = double(bench.nowMs() - warmUpMs) / HourMs;
    std::printf("real time: %.1f s in all (warm-up %.1f s), %.1f s per simulated hour\n",
                double(realTime.elapsed()) / 1000.0, warmUpSeconds, soakSeconds / simulatedHours);

    const SoakBench::Counts &c = bench.counts;
    const Technician::Counts &t = technician.counts;
    const CountingMessages &m = bench.messages;
    int status = 0;
    if (worstGrowthKb > GrowthLimitKb) {
        std::printf("FAIL: resident memory grew by %lld kB in a day of polling\n",
                    static_cast<long long>(worstGrowthKb));
        status = 1;
    }
    if (!m.errors.isEmpty() || !m.informations.isEmpty()) {
        std::printf("FAIL: message boxes would have been shown\n");
        status = 2;
    }
    if (!allIdentified || c.failedIdentifications > 0) {
        std::printf("FAIL: an instrument was not identified in time\n");
        status = 2;
    }
    if (t.stalls > 0) {
        std::printf("FAIL: the window stopped getting replies and did not recover by itself\n");
        status = 2;
    }
    if (t.kindChanges > 0) {
        std::printf("FAIL: the window told the base a sensor type nobody chose\n");
        status = 2;
    }
    if (t.calibrationsLeftRunning > 0 || t.recordsMissing > 0 || t.calibrationsStuck > 0) {
        std::printf("FAIL: a calibration ran on without its connection, ended without its "
                    "record, or never ended\n");
        status = 2;
    }
    if (status == 0)
        std::printf("OK\n");
    return status;
}
