#pragma once
// The program as main builds it over the virtual instruments, with its
// journal in a folder of its own and a clock the test moves by hand: the
// steps every test of a calibration through the windows takes. A header
// over the main window and the simulator; its users link ze23_ui and
// ze23_sim too.

#include "HandClock.h"
#include "RecordingMessages.h"
#include "ScriptedChooser.h"
#include "sim/SimFtDriver.h"
#include "ui/CalibrationHandler.h"
#include "ui/TForm1.h"

#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

#include <memory>

class SimulatedBench {
  protected:
    std::int64_t nowMs = 0;
    std::unique_ptr<SimFtDriver> sim;
    RecordingMessages messages;
    ScriptedChooser chooser;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TForm1> form;
    std::size_t row = 0; // the adapter opened

    // Preferences cleared, the journal in a new folder.
    void startBench() {
        QSettings().clear();
        nowMs = 0;
        dir = std::make_unique<QTemporaryDir>();
        sim = std::make_unique<SimFtDriver>([this] { return nowMs; });
        messages.clear();
        form = std::make_unique<TForm1>(*sim, messages);
        form->clock = [this] { return nowMs; };
        form->calibration()->setRecordsPath(recordsPath());
        form->setFileChooser(chooser);
    }
    void stopBench() {
        form.reset();
        sim.reset();
    }
    QString recordsPath() const { return dir->filePath("records.sqlite"); }

    // The ticks as the timers run them over `ms`.
    void run(int ms) { runTicks(*form, nowMs, ms); }
    // Connects to the virtual instrument of `kind`.
    void connectKind(int kind) {
        for (std::size_t i = 0; i < sim->adapterCount(); ++i)
            if (sim->instrument(i).kind() == kind)
                row = i;
        form->ListView1->selectRow(int(row));
        form->ListView1DblClick();
    }
};
