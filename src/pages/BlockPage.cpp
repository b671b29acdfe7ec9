#include "BlockPage.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTimer>

BlockPage::BlockPage(ExchangeCycle &exchange, QTimer &transmitTimer, std::uint8_t block,
                     int intervalMs, QWidget *parent)
    : QWidget(parent), exchange_(exchange), transmitTimer_(transmitTimer), block_(block),
      intervalMs_(intervalMs) {}

void BlockPage::decodeReply() {
    if (prologue())
        decode(exchange_.ReplyFrame);
}

bool BlockPage::prologue() {
    transmitTimer_.setInterval(intervalMs_);
    exchange_.CommandFrame[0] = address();
    if (exchange_.ReplyFrame[0] != block_)
        return false;
    if (exchange_.ReplyFrame[1] != Code::Poll)
        reloadPoll();
    return true;
}

void BlockPage::reloadPoll() {
    exchange_.loadFrame(address(), Code::Poll);
}

QGroupBox *BlockPage::group(const char *name, const QString &caption, int x, int y, int w, int h,
                            QWidget *parent) {
    auto *box = new QGroupBox(caption, parent ? parent : this);
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    return box;
}

IndicatorPanel *BlockPage::panel(const char *name, QWidget *parent, int x, int y, int w, int h,
                                 int fontPx, bool bold) {
    auto *p = new IndicatorPanel(name, parent);
    p->setGeometry(x, y, w, h);
    if (fontPx > 0) {
        QFont f("Arial");
        f.setPixelSize(fontPx);
        f.setBold(bold);
        p->setFont(f);
    }
    return p;
}

QPushButton *BlockPage::button(const char *name, const QString &caption, int x, int y, int w, int h,
                               QWidget *parent) {
    auto *b = new QPushButton(caption, parent ? parent : this);
    b->setObjectName(name);
    b->setGeometry(x, y, w, h);
    return b;
}
