#pragma once
// What ze23-setup is once its command line is read: the main window over the
// serial adapters (and, under --simulate, the virtual instruments), its
// message boxes and file dialogs as the technician sees them, the hot-plug
// notices, the journal's location and, under --simulate, the control of the
// gas on the virtual sensors. main() builds one; the wiring test builds the
// very same, so that what the tests press is what ships.

#include <QString>

#include <memory>

class GasControl;
class SimFtDriver;
class TForm1;

struct ProgramOptions {
    bool simulate = false;
    // --records: the journal's file or server; empty for the one set in the
    // journal window, or the default.
    QString records;
    // --outbox: the bench's own journal with the journal on a server.
    QString outbox;
};

class Program {
  public:
    explicit Program(const ProgramOptions &options);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // The main window, and beside it, under --simulate, the gas control,
    // each inside the screen.
    void show();

    // The whole window, built now if it was not yet.
    TForm1 &form();
    // nullptr without --simulate.
    GasControl *gasControl() const;
    SimFtDriver *simulator() const;

  private:
    // What needs the whole window: the journal's location, the hot-plug
    // notices, the gas control.
    void wire(const ProgramOptions &options);
    void showGasControl();

    struct Parts;
    std::unique_ptr<Parts> parts_;
};
