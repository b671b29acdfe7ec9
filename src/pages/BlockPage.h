#pragma once
// What every block page shares: its block, its transmit interval, the common
// start of its decoder section, and the wiring of its buttons to its handlers.

#include "IndicatorPanel.h"
#include "protocol/ExchangeCycle.h"

#include <QWidget>

class QTimer;

class BlockPage : public QWidget {
    Q_OBJECT
  public:
    BlockPage(ExchangeCycle &exchange, QTimer &transmitTimer, std::uint8_t block, int intervalMs,
              QWidget *parent = nullptr);

    std::uint8_t block() const { return block_; }
    std::uint8_t address() const { return Block::address(block_); }
    int intervalMs() const { return intervalMs_; }

    // The page's section of the decoder, run on a valid reply while the page
    // is active.
    virtual void decodeReply();

  protected:
    // The page's own decoding, after the common start found a reply of its
    // block. A page with nothing of its own to show leaves it empty.
    virtual void decode(const Frame &reply) { (void)reply; }
    // The common start: the transmit interval, polling redirected to this
    // page's block and, when the block answered another command, the poll
    // loaded again. True when the reply is the block's own.
    bool prologue();
    // Pages that must not cut a running sequence short override this.
    virtual void reloadPoll();
    // Every reply the section gets, whichever block sent it, once the frame is
    // addressed to this page's block. Pages with a frame trace add a line.
    virtual void noteReply(const Frame &reply) { (void)reply; }

    void loadCommand(std::uint8_t code) { exchange_.loadCommand(address(), code); }
    void queueSequence(std::initializer_list<std::uint8_t> codes) {
        exchange_.queueSequence(address(), codes);
    }

    // Connects each button to the page's handler named after it (Button14
    // runs Button14Click). Called at the end of the page's constructor.
    void connectClickHandlers();

    ExchangeCycle &exchange_;
    QTimer &transmitTimer_;

  private:
    std::uint8_t block_;
    int intervalMs_;
};
