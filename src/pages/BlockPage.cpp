#include "BlockPage.h"

#include <QMetaMethod>
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
    noteReply(exchange_.ReplyFrame);
    if (exchange_.ReplyFrame[0] != block_)
        return false;
    if (exchange_.ReplyFrame[1] != Code::Poll)
        reloadPoll();
    return true;
}

void BlockPage::reloadPoll() {
    exchange_.loadFrame(address(), Code::Poll);
}

void BlockPage::connectClickHandlers() {
    const QMetaObject *page = metaObject();
    const QMetaMethod clicked = QMetaMethod::fromSignal(&QPushButton::clicked);
    for (QPushButton *b : findChildren<QPushButton *>()) {
        const QByteArray handler = b->objectName().toLatin1() + "Click()";
        const int index = page->indexOfSlot(handler.constData());
        if (index >= 0)
            connect(b, clicked, this, page->method(index));
    }
}
