#pragma once
// Each group registers its benchmarks and the summary rows they fill.

class QWidget;
class SummaryReporter;

void registerStartup(SummaryReporter &summary);
void registerPageReplies(SummaryReporter &summary);
void registerReceivePath(SummaryReporter &summary);

// Shows the window and processes events until the platform has exposed (and
// so painted) it; false if that takes over ten seconds.
bool showExposed(QWidget &window);
