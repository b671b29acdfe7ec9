#pragma once
// The settings sessions of every block of an instrument, one after another:
// reading a whole snapshot, or writing one with every value checked, and only
// then, when every written value came back as written in every block, telling
// the blocks that were written to keep their settings.

#include "InstrumentSettings.h"
#include "SettingsSession.h"

#include <optional>
#include <string>
#include <vector>

class InstrumentSession {
  public:
    struct Check {
        std::string block;
        SettingsSession::Check value;
    };

    static InstrumentSession read(int kind, int serialNumber);
    static InstrumentSession write(const InstrumentSnapshot &now, const InstrumentSnapshot &wanted,
                                   bool save);

    std::optional<Frame> nextFrame();
    void takeReply(const Frame &reply);

    bool finished() const;
    bool failed() const { return !failure_.empty(); }
    std::string failure() const { return failure_; }
    // What the blocks hold, as last read.
    InstrumentSnapshot snapshot() const;
    std::vector<Check> checks() const;
    bool allConfirmed() const;
    // Every block written to was told to keep its settings, and answered.
    bool saved() const;

  private:
    std::vector<SettingsSession> &active() { return keeping_ ? keeps_ : sessions_; }
    void advance();

    int kind_ = 0;
    int serialNumber_ = 0;
    bool save_ = false;
    bool keeping_ = false;
    std::vector<SettingsSession> sessions_;
    std::vector<SettingsSession> keeps_;
    std::size_t current_ = 0;
    std::string failure_;
};
