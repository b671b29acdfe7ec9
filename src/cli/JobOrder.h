#pragma once
// What the command line asks of one adapter, and what came of it. The job
// fills the outcome; JobReport puts it into words or JSON.

#include "protocol/InstrumentSession.h"
#include "protocol/InstrumentSettings.h"

#include <optional>
#include <string>
#include <vector>

// Records, Certificate and Cylinders read the journal of calibrations (and
// its register of cylinders), Journal sets up its roles on a server; none of
// them an adapter.
enum class BenchCommand {
    List,
    Identify,
    Read,
    Diff,
    Write,
    Stand,
    Records,
    Certificate,
    Cylinders,
    Journal
};

struct JobOrder {
    BenchCommand command = BenchCommand::Identify;
    std::string adapter; // its serial number, as the list shows it
    // diff and write: the snapshot from the file, as read.
    std::optional<InstrumentSnapshot> wanted;
    bool save = false; // write: keep the settings once all are confirmed
    int channel = 0;   // stand: 1 to 32
};

struct JobOutcome {
    bool ok = false;
    // Why the job did not get through, in the technician's words.
    std::string failure;
    // From the base's answer to 9.
    std::optional<int> kind;
    int serialNumber = 0;
    // read: what the instrument keeps, and the file it went to (-o).
    std::optional<InstrumentSnapshot> snapshot;
    std::string file;
    // diff and write: why the file does not suit the instrument.
    std::vector<std::string> refusals;
    // diff: every difference; write: those the blocks set themselves, not written.
    std::vector<SettingChange> changes;
    // write: each value written and what came back.
    std::vector<InstrumentSession::Check> checks;
    // write --save: every block that had to keep its settings did.
    bool saved = false;
};
