#pragma once
// How long the instrument has kept silent while the tool searches for it with
// the adapter open. After a few seconds without one good frame the technician
// is told that the adapter is open but nothing answers; a frame that adds up
// takes the notice back, and the search goes on either way.

class SilentSearch {
  public:
    static constexpr int NoticeAfterMs = 3000;
    // What the technician is asked to check, in the window and on the command line.
    static constexpr const char *Advice =
        "Проверьте, что прибор включён и что кабель между адаптером и прибором подключён";

    void start() {
        stop();
        searching_ = true;
    }
    void stop() { *this = SilentSearch(); }

    // One receive tick `ms` after the last, with or without a good frame.
    // True when the notice is to be shown or taken back now.
    bool tick(bool heard, int ms) {
        if (!searching_)
            return false;
        silentMs_ = heard ? 0 : silentMs_ + ms;
        const bool silent = silentMs_ >= NoticeAfterMs;
        const bool changed = silent != noticed_;
        noticed_ = silent;
        return changed;
    }
    bool noticed() const { return noticed_; }

  private:
    bool searching_ = false;
    bool noticed_ = false;
    int silentMs_ = 0;
};
