#include "WaitChart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {
QFont chartFont(double points, bool bold = false) {
    QFont f("DejaVu Sans");
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// A step of 1, 2 or 5 times a power of ten giving about `ticks` divisions.
double niceStep(double range, int ticks) {
    const double raw = range / ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    return (norm < 1.5 ? 1 : norm < 3 ? 2 : norm < 7 ? 5 : 10) * magnitude;
}

QString tickText(double value, double step) {
    const int decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
    if (std::abs(value) < step / 1e6)
        value = 0;
    return QString::number(value, 'f', decimals).replace('.', ',');
}

struct Range {
    double low, high;
    double span() const { return high - low; }
};
} // namespace

void drawWaitChart(QPainter &p, const QRectF &area, double dotsPerMm, const Measurement &m,
                   int perPercent, const QString &title) {
    const auto mm = [&](double v) { return v * dotsPerMm; };
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(chartFont(7.5, true));
    p.setPen(Qt::black);
    const QRectF titleRect(area.left(), area.top(), area.width(), mm(4.5));
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, title);
    // Under the title a line for the unit and the steady mark, then the plot.
    const QRectF plot(area.left() + mm(11), titleRect.bottom() + mm(5.5), area.width() - mm(13),
                      area.height() - titleRect.height() - mm(13));
    const double markTop = plot.top() - mm(5.2), markHeight = mm(3);

    // Band the reading had to end in, in percent.
    const bool judged = m.reading.has_value() && perPercent > 0;
    const double expected = double(m.expected) / perPercent;
    const double tolerance = double(m.tolerance) / perPercent;

    Range x{0, 1}, y{0, 0};
    bool any = false;
    for (const ChartPoint &c : m.chart) {
        x.high = std::max(x.high, c.seconds);
        y = any ? Range{std::min(y.low, c.value), std::max(y.high, c.value)}
                : Range{c.value, c.value};
        any = true;
    }
    if (m.secondsToSteady)
        x.high = std::max(x.high, *m.secondsToSteady);
    if (judged) {
        y = any ? Range{std::min(y.low, expected - tolerance),
                        std::max(y.high, expected + tolerance)}
                : Range{expected - tolerance, expected + tolerance};
    }
    if (y.span() <= 0)
        y = {y.low - 0.1, y.high + 0.1};
    const double pad = y.span() * 0.08;
    y = {y.low - pad, y.high + pad};
    const double xStep = niceStep(x.span(), 6), yStep = niceStep(y.span(), 4);
    x.high = std::ceil(x.high / xStep - 1e-9) * xStep;
    y = {std::floor(y.low / yStep) * yStep, std::ceil(y.high / yStep) * yStep};

    const auto at = [&](double s, double v) {
        return QPointF(plot.left() + (s - x.low) / x.span() * plot.width(),
                       plot.bottom() - (v - y.low) / y.span() * plot.height());
    };

    // Grid with the ticks' labels.
    p.setFont(chartFont(6.5));
    const QPen grid(QColor(0xdd, 0xdd, 0xdd), mm(0.12));
    const QColor label(0x44, 0x44, 0x44);
    for (double v = y.low; v <= y.high + yStep / 2; v += yStep) {
        const QPointF a = at(x.low, v);
        p.setPen(grid);
        p.drawLine(a, at(x.high, v));
        p.setPen(label);
        p.drawText(QRectF(area.left(), a.y() - mm(2), mm(10), mm(4)),
                   Qt::AlignRight | Qt::AlignVCenter, tickText(v, yStep));
    }
    for (double s = x.low; s <= x.high + xStep / 2; s += xStep) {
        const QPointF a = at(s, y.low);
        p.setPen(grid);
        p.drawLine(a, at(s, y.high));
        p.setPen(label);
        p.drawText(QRectF(a.x() - mm(6), plot.bottom() + mm(0.8), mm(12), mm(3.5)),
                   Qt::AlignHCenter | Qt::AlignTop, tickText(s, xStep));
    }
    p.drawText(QRectF(plot.left(), plot.bottom() + mm(4.2), plot.width(), mm(3.5)),
               Qt::AlignHCenter | Qt::AlignTop, "время от начала ожидания, с");
    p.drawText(QRectF(area.left(), markTop, mm(10), markHeight), Qt::AlignRight | Qt::AlignBottom,
               judged ? "%" : "");

    p.setClipRect(plot);
    if (judged) {
        const QRectF band(at(x.low, expected + tolerance), at(x.high, expected - tolerance));
        p.fillRect(band, QColor(70, 170, 100, 45));
        p.setPen(QPen(QColor(40, 130, 70), mm(0.2), Qt::DashLine));
        p.drawLine(at(x.low, expected), at(x.high, expected));
    }
    if (m.secondsToSteady) {
        p.setPen(QPen(QColor(0xb0, 0x50, 0x20), mm(0.2), Qt::DotLine));
        p.drawLine(at(*m.secondsToSteady, y.low), at(*m.secondsToSteady, y.high));
    }
    if (!m.chart.empty()) {
        QPainterPath curve(at(m.chart.front().seconds, m.chart.front().value));
        for (const ChartPoint &c : m.chart)
            curve.lineTo(at(c.seconds, c.value));
        p.setPen(
            QPen(QColor(0x1f, 0x4e, 0x9a), mm(0.35), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(curve);
    } else {
        p.setPen(label);
        p.drawText(plot, Qt::AlignCenter, "показания не записаны");
    }
    p.setClipping(false);
    if (m.secondsToSteady) {
        p.setPen(QColor(0xb0, 0x50, 0x20));
        const double x0 = at(*m.secondsToSteady, y.high).x();
        p.drawLine(QPointF(x0, markTop + markHeight), QPointF(x0, plot.top()));
        // Left of the mark, or right of it when the mark is near the left edge.
        const bool left = x0 - mm(30) >= area.left();
        p.drawText(left ? QRectF(x0 - mm(30.5), markTop, mm(30), markHeight)
                        : QRectF(x0 + mm(0.5), markTop, mm(30), markHeight),
                   (left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignBottom,
                   "установилось за " + tickText(*m.secondsToSteady, 0.1) + " с");
    }
    p.setPen(QPen(QColor(0x66, 0x66, 0x66), mm(0.2)));
    p.drawRect(plot);
    p.restore();
}
