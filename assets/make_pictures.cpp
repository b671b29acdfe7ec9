// Draws the pictures the tool reads beside its executable: the test stand
// with its 32 sensor positions, lined up with the multiplexer window's lamps
// and click rectangles.
//
// Usage: make-pictures OUTPUT_DIR

#include "mux/StandLayout.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {
// Window-relative coordinates to picture coordinates.
QPoint toPicture(int x, int y) {
    return {x - StandLayout::FrameLeft - StandLayout::PictureLeft,
            y - StandLayout::FrameTop - StandLayout::PictureTop};
}

QImage drawStand() {
    QImage image(222, 200, QImage::Format_RGB32);
    image.fill(QColor(0xD4, 0xD0, 0xC8));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Two sensor boards: the upper holds channels 1 to 16, the lower 17 to 32.
    p.setPen(QPen(QColor(0x20, 0x40, 0x20), 1));
    p.setBrush(QColor(0x3C, 0x7A, 0x3C));
    p.drawRoundedRect(QRect(toPicture(3, 31), toPicture(226, 113)), 4, 4);
    p.drawRoundedRect(QRect(toPicture(3, 131), toPicture(226, 212)), 4, 4);

    QFont font("DejaVu Sans");
    font.setPixelSize(8);
    font.setBold(true);
    p.setFont(font);
    for (const StandPosition &s : StandLayout::positions()) {
        QRect r(toPicture(s.left, s.top), toPicture(s.right, s.bottom));
        int d = std::min(r.width(), r.height()) - 2;
        QRect body(0, 0, d, d);
        body.moveCenter(r.center());
        p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
        p.setBrush(QColor(0xC0, 0xC0, 0xC0));
        p.drawEllipse(body);
        p.setBrush(QColor(0x90, 0x90, 0x90));
        p.drawEllipse(body.adjusted(4, 4, -4, -4));
        p.setPen(Qt::white);
        p.drawText(body, Qt::AlignCenter, QString::number(s.channel));
        // The lamp's slot, under the window's lamp.
        QPoint lamp(s.lampLeft - StandLayout::PictureLeft, s.lampTop - StandLayout::PictureTop);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x10, 0x10, 0x10));
        p.drawRect(QRect(lamp - QPoint(1, 1), QSize(11, 8)));
    }
    p.setPen(QColor(0x10, 0x10, 0x10));
    font.setPixelSize(9);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRect(0, 182, 222, 16), Qt::AlignCenter, "Стенд ЗЭ-23: 32 позиции");
    return image;
}
} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-pictures OUTPUT_DIR\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!drawStand().save(out.filePath("stend1.bmp"), "BMP")) {
        std::fprintf(stderr, "cannot write stend1.bmp\n");
        return 1;
    }
    return 0;
}
