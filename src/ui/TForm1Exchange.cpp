// The two ticks, identification and the hand-over of replies to the pages.

#include "TForm1.h"

#include "BitmapFile.h"
#include "CalibrationHandler.h"
#include "SettingsRun.h"
#include "UsbPage.h"
#include "dialogs/Messages.h"
#include "pages/BlockPage.h"
#include "pages/OxygenPage.h"
#include "protocol/InstrumentKind.h"
#include "workshop/CalibrationRun.h"

#include <QLabel>
#include <QTimer>

namespace {
const char *const UnknownInstrument = "Прибор неизвестен!";
const QString SilentInstrument = QString("Адаптер открыт, но прибор не отвечает. %1. "
                                         "Поиск продолжается.")
                                     .arg(QString::fromUtf8(SilentSearch::Advice));
} // namespace

void TForm1::Timer1Timer() {
    // A settings session has the line to itself; a write the technician asked
    // for on the page goes out first.
    if (!exchange.assuredPending() && settingsRun_->transmit(link_))
        return;
    // So has a calibration, once the page's own write is out.
    if (!exchange.assuredPending() && calibrationRun_->transmit(link_))
        return;
    // So has a stand calibration, but while it waits for the next gas.
    if (!exchange.assuredPending() && standRun_->transmit(link_))
        return;
    exchange.transmitTick(link_);
}

void TForm1::Timer2Timer() {
    const ExchangeCycle::Received received = exchange.receiveTick(link_);
    const bool heard = received == ExchangeCycle::Received::Identification ||
                       received == ExchangeCycle::Received::Reply;
    if (silentSearch_.tick(heard, Timer2->interval()))
        usbPage->SilenceHint->setText(silentSearch_.noticed() ? SilentInstrument : QString());
    switch (received) {
    case ExchangeCycle::Received::Identification:
        Identify();
        break;
    case ExchangeCycle::Received::Reply:
        if (settingsRun_->receive(exchange.ReplyFrame) ||
            calibrationRun_->receive(exchange.ReplyFrame) ||
            standRun_->receive(exchange.ReplyFrame))
            break;
        if (isAcceptedKind(IdentifiedType))
            PageDecoder();
        else
            messages_.information(UnknownInstrument);
        break;
    case ExchangeCycle::Received::Nothing:
    case ExchangeCycle::Received::Invalid:
        break;
    }
}

void TForm1::searching(bool on) {
    Label1->setText(on ? "Поиск прибора ..." : "");
    usbPage->SilenceHint->clear();
    if (on)
        silentSearch_.start();
    else
        silentSearch_.stop();
}

void TForm1::Identify() {
    searching(false);
    // What a settings session was doing belonged to the instrument as it was.
    settingsRun_->drop();
    calibrationRun_->drop();
    standRun_->drop();
    const InstrumentKind *kind = findInstrumentKind(deviceTypeOf(exchange.ReplyFrame));
    if (!kind) {
        messages_.information(UnknownInstrument);
        return;
    }
    const auto show = [&](int page) {
        setTabShown(page, true, QString::fromUtf8(PageIndex::caption(page, kind->deviceType)));
    };
    show(PageIndex::Base);
    setActivePage(PageIndex::Base);
    show(PageIndex::Pump);
    show(PageIndex::ofBlock(kind->sensor.block));
    Panel2->setText(
        QString::fromStdString(modelLine(kind->deviceType, serialNumberOf(exchange.ReplyFrame))));
    exchange.loadFrame(Block::address(kind->firstPoll), Code::Poll);
    IdentifiedType = kind->deviceType;
    IdentifiedSerialNumber = serialNumberOf(exchange.ReplyFrame);
    calibrationHandler_->showLastCalibration();
}

void TForm1::PageDecoder() {
    const int page = activePage();
    if (page >= PageIndex::Base && page <= PageIndex::Oxygen)
        if (BlockPage *section = blockPages[static_cast<std::size_t>(page)])
            section->decodeReply();
}

void TForm1::PageControl1Change() {
    // A picture that cannot be read does not keep the block from being read.
    if (activePage() == PageIndex::Oxygen)
        loadFrontEndPicture();
    readPage(activePage());
}

void TForm1::readPage(int page) {
    if (page == PageIndex::Base) {
        // The base answers only its own codes: a code, a sequence or write
        // data another page left standing would stall it, and byte 4 would
        // announce a sensor type. Only the stand's channel in byte 2 stays.
        const std::uint8_t standChannel = exchange.CommandFrame[2];
        exchange.Sequence.clear();
        exchange.loadFrame(Block::address(Block::Base), Code::Poll);
        exchange.CommandFrame[2] = standChannel;
        return;
    }
    const std::uint8_t block = PageIndex::blockOf(page);
    if (const KindBlock *b = findKindBlock(block); b && block != Block::Base)
        exchange.queueSequence(Block::address(block), b->opening);
}

void TForm1::loadFrontEndPicture() {
    QString error;
    FrontEndPicture = readBitmap(pictureFolder + "/LMP91000.bmp", error);
    if (oxygenPage)
        oxygenPage->setPicture(FrontEndPicture);
    if (!FrontEndPicture.isNull()) {
        frontEndPictureReported_ = false;
        return;
    }
    if (!frontEndPictureReported_)
        messages_.error(error);
    frontEndPictureReported_ = true;
}
