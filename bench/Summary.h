#pragma once
// The table printed after Google Benchmark's own output: each row puts one
// benchmark's figure beside what the line asks of it.

#include "protocol/Frame.h"

#include <benchmark/benchmark.h>

#include <array>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The line as the window sets the adapter: 250 000 baud, a start bit, 8 data
// bits and 2 stop bits to a byte.
namespace Line {
constexpr double Baud = 250000;
constexpr double BitsPerByte = 11;
constexpr double FrameMicroseconds = FrameSize * BitsPerByte / Baud * 1e6; // 352 µs
constexpr double FramesPerSecond = 1e6 / FrameMicroseconds;                // 2 841
// Share of a page's poll interval that one reply's decoding and redraw may take.
constexpr double ReplyShare = 0.01;
} // namespace Line

class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    // Colours only on a terminal, as Google Benchmark's own reporter does.
    SummaryReporter();

    // A row whose time per iteration must stay under `budgetMs`.
    void budget(const std::string &benchmark, std::string what, double budgetMs);
    // A row whose `counter` (a rate) must stay over `needed` frames a second.
    void rate(const std::string &benchmark, std::string what, std::string counter, double needed);
    // A row with no figure of the line to compare with.
    void plain(const std::string &benchmark, std::string what);
    // Fills a plain row whose figure a benchmark measured itself, in milliseconds.
    void fill(const std::string &benchmark, double ms);

    void ReportRuns(const std::vector<Run> &runs) override;
    void printTable(std::ostream &out) const;

  private:
    enum class Compare { Budget, Rate, None };
    struct Row {
        std::string benchmark;
        std::string what;
        Compare compare;
        double line = 0;
        std::string counter;
        std::optional<double> value; // ms, or frames a second for Rate rows
    };
    std::vector<Row> rows_;
};
