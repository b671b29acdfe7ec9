// Benchmarks of the main window and the receive path, with a table of how far
// each figure stays from what the line asks. Run headless:
//   QT_QPA_PLATFORM=offscreen build/bench/ze23-bench [--benchmark_filter=...]

#include "Benchmarks.h"
#include "Summary.h"

#include <QApplication>

#include <iostream>

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    SummaryReporter summary;
    // Start-up first, so that its first window is the process's first.
    registerStartup(summary);
    registerPageReplies(summary);
    registerReceivePath(summary);

    benchmark::RunSpecifiedBenchmarks(&summary);
    summary.printTable(std::cout);
    benchmark::Shutdown();
    return 0;
}
