// Opening the multiplexer window and the sensor type chosen there.

#include "TForm1.h"

#include "BitmapFile.h"
#include "SettingsRun.h"
#include "WindowPlacement.h"
#include "dialogs/Messages.h"
#include "mux/TForm2.h"
#include "workshop/CalibrationRun.h"

#include <QTimer>

void TForm1::Button72Click() {
    showInScreen(*Form2);

    QString error;
    StandPicture = readBitmap(pictureFolder + "/stend1.bmp", error);
    Form2->setPicture(StandPicture);
    if (StandPicture.isNull()) {
        messages_.of(Form2).error(error);
        return;
    }

    // Kinds 1 to 4 are the window's first four items; any other kind chooses
    // nothing (not even 7, though "Электрохимия" announces it).
    Form2->setItemIndex(IdentifiedType >= 1 && IdentifiedType <= 4 ? IdentifiedType - 1 : -1);
}

void TForm1::sensorTypeChosen(std::uint8_t typeCode) {
    // The kind changes: a settings session of the old one stops here.
    settingsRun_->drop();
    calibrationRun_->drop();
    standRun_->drop();
    Timer2->stop();
    Timer1->stop();
    setActivePage(PageIndex::Base);
    for (int page : {PageIndex::Tks, PageIndex::Pgs, PageIndex::TksPgs, PageIndex::Hydrogen,
                     PageIndex::Oxygen})
        setTabShown(page, false);
    exchange.CommandFrame[0] = Block::address(Block::Base);
    exchange.CommandFrame[4] = typeCode;
    exchange.Sequence.queue({Code::Poll, Code::Identify});
    Timer2->start();
    // Without an open adapter there is nobody to send to.
    if (ConnectionOpen)
        Timer1->start();
}
