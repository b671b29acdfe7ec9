// Opening the multiplexer window and the sensor type chosen there.

#include "TForm1.h"

#include "Messages.h"
#include "mux/TForm2.h"

#include <QFile>
#include <QTimer>

void TForm1::Button72Click() {
    Form2->show();
    Form2->raise();
    Form2->activateWindow();

    const QString path = pictureFolder + "/stend1.bmp";
    StandPicture = QImage();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Form2->setPicture(StandPicture);
        messages_.error(QString("Cannot open file \"%1\". %2").arg(path, file.errorString()));
        return;
    }
    if (!StandPicture.load(&file, "BMP")) {
        Form2->setPicture(StandPicture);
        messages_.error(QString("Cannot open file \"%1\". Not a valid bitmap.").arg(path));
        return;
    }
    Form2->setPicture(StandPicture);

    // Kinds 1 to 4 are the window's first four items; any other kind chooses
    // nothing (not even 7, though "Электрохимия" announces it).
    Form2->setItemIndex(IdentifiedType >= 1 && IdentifiedType <= 4 ? IdentifiedType - 1 : -1);
}

void TForm1::sensorTypeChosen(std::uint8_t typeCode) {
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
