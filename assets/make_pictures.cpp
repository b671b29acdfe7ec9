// Draws the pictures the tool reads beside its executable: the test stand
// with its 32 sensor positions, lined up with the multiplexer window's lamps
// and click rectangles, the oxygen block's LMP91000 front end, labelled
// with the names of the eight settings on the oxygen page, and the program's
// icon (a portable detector on its USB lead), also used by the desktop entry.
//
// Usage: make-pictures OUTPUT_DIR

#include "mux/StandLayout.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

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
// A resistor as a small box between two points on one line, named above.
void resistor(QPainter &p, QPointF a, QPointF b, const QString &name) {
    const QPointF mid = (a + b) / 2;
    const QRectF box(mid - QPointF(17, 6), QSizeF(34, 12));
    p.drawLine(a, QPointF(box.left(), a.y()));
    p.drawLine(QPointF(box.right(), b.y()), b);
    p.setBrush(Qt::white);
    p.drawRect(box);
    p.drawText(box.translated(0, -17).adjusted(-25, -2, 25, 2), Qt::AlignCenter, name);
}

// An operational amplifier pointing right: inverting input 14 below its top,
// the other 42 below, output at its tip.
void amplifier(QPainter &p, QPointF at, const QString &name) {
    p.setBrush(QColor(0xEE, 0xF2, 0xFF));
    p.drawPolygon(QPolygonF({at, at + QPointF(0, 56), at + QPointF(50, 28)}));
    p.drawText(QRectF(at + QPointF(8, 20), QSizeF(30, 16)), Qt::AlignCenter, name);
    p.drawText(QRectF(at + QPointF(2, 9), QSizeF(10, 10)), Qt::AlignCenter, "−");
    p.drawText(QRectF(at + QPointF(2, 37), QSizeF(10, 10)), Qt::AlignCenter, "+");
}

void path(QPainter &p, std::initializer_list<QPointF> points) {
    p.drawPolyline(QPolygonF(points));
}

QImage drawFrontEnd() {
    QImage image(561, 337, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.4));
    p.drawText(QRect(0, 6, 561, 18), Qt::AlignCenter,
               "LMP91000 — входной каскад датчика кислорода");
    font.setBold(false);
    p.setFont(font);

    // The sensor and its counter, reference and working electrodes.
    p.setBrush(QColor(0xF4, 0xEC, 0xD8));
    p.drawEllipse(QRectF(12, 120, 70, 110));
    p.drawText(QRectF(12, 160, 70, 30), Qt::AlignCenter, "Датчик\nO₂");
    const QPointF ce(82, 140), re(82, 175), we(82, 210);
    p.drawText(QRectF(88, 126, 24, 12), Qt::AlignCenter, "CE");
    p.drawText(QRectF(88, 161, 24, 12), Qt::AlignCenter, "RE");
    p.drawText(QRectF(88, 196, 24, 12), Qt::AlignCenter, "WE");

    // A1 holds RE at the reference it is given by driving CE.
    amplifier(p, {200, 50}, "A1");
    path(p, {ce, {280, 140}, {280, 78}, {250, 78}});
    path(p, {re, {160, 175}, {160, 64}, {200, 64}});

    // The shorting FET between RE and WE.
    path(p, {{135, 175}, {135, 186}});
    path(p, {{135, 199}, {135, 210}});
    p.drawLine(QPointF(127, 186), QPointF(143, 186));
    p.drawLine(QPointF(127, 199), QPointF(143, 199));
    p.drawLine(QPointF(127, 186), QPointF(127, 199));
    p.drawText(QRectF(100, 186, 26, 13), Qt::AlignCenter, "FET");

    // The transimpedance amplifier: WE through R_Load, gain by R_TIA.
    amplifier(p, {310, 185}, "TIA");
    p.drawLine(we, QPointF(170, 210));
    resistor(p, {170, 210}, {240, 210}, "R_Load");
    path(p, {{240, 210}, {290, 210}, {290, 199}, {310, 199}});
    path(p, {{290, 199}, {290, 160}});
    resistor(p, {290, 160}, {390, 160}, "R_TIA");
    path(p, {{390, 160}, {390, 213}});
    p.drawLine(QPointF(360, 213), QPointF(410, 213));
    p.drawText(QRectF(350, 216, 60, 14), Qt::AlignRight, "VOUT");

    // The reference divider: internal zero for the TIA, zero plus bias for A1.
    p.setBrush(QColor(0xEE, 0xFF, 0xEE));
    const QRectF divider(180, 255, 210, 48);
    p.drawRect(divider);
    p.drawText(divider.adjusted(4, 4, -4, -24), Qt::AlignCenter, "Делитель опоры");
    p.drawText(divider.adjusted(4, 24, -4, -4), Qt::AlignCenter, "ноль  •  ноль ± смещение");
    path(p, {{300, 255}, {300, 227}, {310, 227}});
    path(p, {{200, 255}, {200, 240}, {175, 240}, {175, 92}, {200, 92}});
    path(p, {{285, 303}, {285, 318}});
    p.drawText(QRectF(245, 318, 80, 14), Qt::AlignCenter, "Vref");

    // The page's eight settings and where they act.
    const QColor setting(0x00, 0x40, 0xA0);
    p.setPen(setting);
    const char *const legend[] = {
        "R_Load — нагрузка WE", "R_TIA — усиление TIA", "U_опоры — Vref",  "U_нуля — ноль, % Vref",
        "Полярность — знак",    "Смещение — % Vref",    "FET — закоротка", "Режим — работа/сон",
    };
    for (int i = 0; i < 8; ++i)
        p.drawText(QRectF(418, 40 + 18 * i, 140, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(legend[i]));
    return image;
}
// A portable detector: yellow case, display with the series name, the sensor
// grille, and the USB lead the tool talks through.
QImage drawIcon() {
    QImage image(256, 256, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 10, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath lead(QPointF(128, 226));
    lead.cubicTo(128, 250, 170, 248, 200, 240);
    p.drawPath(lead);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x70, 0x70, 0x70));
    p.drawRoundedRect(QRectF(196, 228, 34, 22), 3, 3);
    p.setBrush(QColor(0xB0, 0xB0, 0xB0));
    p.drawRect(QRectF(230, 232, 20, 14));

    p.setPen(QPen(QColor(0x40, 0x30, 0x00), 6));
    p.setBrush(QColor(0xF2, 0xB7, 0x05));
    p.drawRoundedRect(QRectF(48, 8, 160, 220), 28, 28);

    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 4));
    p.setBrush(QColor(0xB8, 0xE0, 0xB0));
    p.drawRoundedRect(QRectF(68, 36, 120, 72), 8, 8);
    QFont font("DejaVu Sans");
    font.setPixelSize(30);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x10, 0x30, 0x10));
    p.drawText(QRectF(68, 36, 120, 72), Qt::AlignCenter, "ЗЭ-23");

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            p.drawEllipse(QPointF(86 + col * 28, 136 + row * 24), 8, 8);
    p.setBrush(QColor(0xD0, 0x20, 0x20));
    p.drawEllipse(QPointF(128, 210), 10, 10);
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
    if (!drawFrontEnd().save(out.filePath("LMP91000.bmp"), "BMP")) {
        std::fprintf(stderr, "cannot write LMP91000.bmp\n");
        return 1;
    }
    const QImage icon = drawIcon();
    if (!icon.save(out.filePath("ze23-setup.png"), "PNG") ||
        !icon.scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation)
             .save(out.filePath("ze23-setup-48.png"), "PNG")) {
        std::fprintf(stderr, "cannot write the icon\n");
        return 1;
    }
    return 0;
}
