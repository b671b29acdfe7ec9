#pragma once
// The settings sessions of every block of an instrument, one after another:
// reading a whole snapshot, or writing one with every value checked, and only
// then, when every written value came back as written in every block, telling
// the blocks that were written to keep their settings.

#include "InstrumentSettings.h"
#include "SettingsSession.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

class InstrumentSession {
  public:
    struct Check {
        std::string block;
        SettingsSession::Check value;
    };

    // With `save`, which blocks are told to keep their settings once every
    // written value held: those written to, or also those the snapshot names
    // that needed no write because they already hold its values (perhaps only
    // until the power goes).
    //
    // The window and the command line choose differently on purpose. In the
    // window the technician has just confirmed a list of what will be written,
    // and only those blocks are told to keep: a block left off that list is not
    // touched. On the bench the file is what every instrument must leave with,
    // kept: a block that holds its values only in working memory would lose
    // them at the next power-off, so it is told to keep them too.
    enum class Keeping { Written, AlsoHeld };

    static InstrumentSession read(int kind, int serialNumber);
    static InstrumentSession write(const InstrumentSnapshot &now, const InstrumentSnapshot &wanted,
                                   bool save, Keeping keeping = Keeping::Written);

    std::optional<Frame> nextFrame();
    void takeReply(const Frame &reply);

    bool finished() const;
    bool failed() const { return !failure_.empty(); }
    std::string failure() const { return failure_; }
    // What the blocks hold, as last read.
    InstrumentSnapshot snapshot() const;
    std::vector<Check> checks() const;
    bool allConfirmed() const;
    // Every block told to keep its settings answered, and there was one.
    bool saved() const;

  private:
    std::vector<SettingsSession> &active() { return keeping_ ? keeps_ : sessions_; }
    void advance();
    bool toKeep(std::size_t block) const;

    int kind_ = 0;
    int serialNumber_ = 0;
    bool save_ = false;
    Keeping keepAlso_ = Keeping::Written;
    bool keeping_ = false;
    std::vector<SettingsSession> sessions_;
    // What the snapshot asks of each block, beside its session.
    std::vector<std::map<std::string, int>> wanted_;
    std::vector<SettingsSession> keeps_;
    std::size_t current_ = 0;
    std::string failure_;
};
