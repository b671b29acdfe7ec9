#pragma once
// One conversation with one block about the settings it keeps, over whatever
// carries the frames: the window's ticks or the command line's loop. One
// request is out at a time; a request left unanswered for a few turns is sent
// again, and a block that stays silent ends the session.
//
// Reading asks for the version and every setting. Writing sends only what
// differs from what the block holds (a paired word goes with its partner's
// present value, the front-end bytes go together, the pump is stepped),
// reads everything back, checks each written value, and tells the block to
// keep its settings only when every one came back as written.

#include "BlockSettings.h"
#include "WriteData.h"

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class SettingsSession {
  public:
    using Values = std::map<std::string, int>;
    enum class Outcome { Running, Done, NoAnswer };

    // A value the session wrote, and what the block gave back for it.
    struct Check {
        std::string key;
        int wanted = 0;
        std::optional<int> readBack;
        bool confirmed() const { return readBack == wanted; }
    };

    // Turns a request waits for its answer before it is sent again, and
    // sends before the block counts as silent.
    static constexpr int TurnsToWait = 2;
    static constexpr int Sends = 3;

    static SettingsSession read(const BlockLayout &layout);
    // `current` is what the block holds now (a read's values); `wanted` may
    // name only some settings. Settings the block sets itself are not written.
    static SettingsSession write(const BlockLayout &layout, const Values &current,
                                 const Values &wanted, bool save);
    // Only tells the block to keep what it holds.
    static SettingsSession keep(const BlockLayout &layout);

    // The frame for this turn: a new request, the unanswered one again, or
    // nothing while an answer is awaited or the session is over.
    std::optional<Frame> nextFrame();
    // A good frame off the line; replies to anything else are ignored.
    void takeReply(const Frame &reply);

    Outcome outcome() const { return outcome_; }
    const BlockLayout &layout() const { return *layout_; }
    // What the block holds, as last read.
    const Values &values() const { return values_; }
    std::optional<int> version() const { return version_; }
    const std::vector<Check> &checks() const { return checks_; }
    bool allConfirmed() const;
    bool saved() const { return saved_; }
    // Why the session ended early, in the technician's words.
    std::string failure() const { return failure_; }

  private:
    enum class Purpose { Version, Read, Write, Step, Save };
    struct Step {
        std::uint8_t code;
        Purpose purpose;
        std::optional<WriteData> data;
        const SettingLayout *stepped = nullptr;
    };

    explicit SettingsSession(const BlockLayout &layout) : layout_(&layout) {}
    void queueReads();
    void finishWrite();
    void done();

    const BlockLayout *layout_;
    std::deque<Step> steps_;
    Values values_;
    Values written_;
    // Stepped settings: where they started, and those on their way back
    // there because the steps cannot land on the value asked for.
    Values original_;
    std::set<std::string> restoring_;
    std::optional<int> version_;
    std::vector<Check> checks_;
    bool writing_ = false;
    bool save_ = false;
    bool checked_ = false;
    bool saved_ = false;
    int stepsLeft_ = 0;
    bool awaiting_ = false;
    int turnsWaited_ = 0;
    int sends_ = 0;
    Outcome outcome_ = Outcome::Running;
    std::string failure_;
};
