#include "CertificatePage.h"

#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace {
constexpr double FooterMm = 8;
constexpr double CellPaddingMm = 1.0;
const QColor LabelColour(0x55, 0x55, 0x55);
const QColor RuleColour(0x88, 0x88, 0x88);
const QColor HeadingShade(0xe6, 0xe9, 0xee);
const QColor RowShade(0xf6, 0xf7, 0xf9);
} // namespace

CertificatePage::CertificatePage(QPdfWriter &writer, QPainter &painter, QString footer)
    : writer_(writer), painter_(painter), footer_(std::move(footer)),
      dotsPerMm_(writer.resolution() / 25.4), width_(writer.width()),
      bottom_(writer.height() - mm(FooterMm)) {}

QFont CertificatePage::font(double points, bool bold) {
    QFont f("DejaVu Sans");
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QFont CertificatePage::monospace(double points) {
    QFont f("DejaVu Sans Mono");
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(points);
    // Every character on its own: no "ff" drawn as one glyph, so that what is
    // copied out of the document is what was printed.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

double CertificatePage::textHeight(const QString &text, const QFont &font, double width) const {
    painter_.setFont(font);
    return painter_.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text).height();
}

void CertificatePage::need(double height) {
    if (y_ > 0 && y_ + height > bottom_)
        newPage();
}

QRectF CertificatePage::take(double height) {
    need(height);
    const QRectF r(0, y_, width_, height);
    y_ += height;
    return r;
}

void CertificatePage::skip(double millimetres) {
    y_ += mm(millimetres);
}

void CertificatePage::newPage() {
    footer();
    writer_.newPage();
    ++sheet_;
    y_ = 0;
}

void CertificatePage::footer() {
    painter_.save();
    painter_.setFont(font(7));
    painter_.setPen(LabelColour);
    const QRectF r(0, writer_.height() - mm(FooterMm * 0.6), width_, mm(FooterMm * 0.6));
    painter_.drawLine(QPointF(0, r.top()), QPointF(width_, r.top()));
    painter_.drawText(r, Qt::AlignLeft | Qt::AlignBottom, footer_);
    painter_.drawText(r, Qt::AlignRight | Qt::AlignBottom, QString("Лист %1").arg(sheet_));
    painter_.restore();
}

void CertificatePage::finish() {
    footer();
}

void CertificatePage::centred(const QString &text, const QFont &font) {
    const QRectF r = take(textHeight(text, font, width_));
    painter_.setFont(font);
    painter_.setPen(Qt::black);
    painter_.drawText(r, Qt::AlignHCenter | Qt::TextWordWrap, text);
}

void CertificatePage::heading(const QString &text, double followMm) {
    const QFont f = font(10.5, true);
    // A heading is not left alone at the foot of a page.
    need(mm(6) + textHeight(text, f, width_) + mm(followMm));
    skip(4);
    const QRectF r = take(textHeight(text, f, width_));
    painter_.setFont(f);
    painter_.setPen(Qt::black);
    painter_.drawText(r, Qt::AlignLeft, text);
    painter_.setPen(QPen(RuleColour, mm(0.25)));
    painter_.drawLine(QPointF(0, r.bottom() + mm(0.6)), QPointF(width_, r.bottom() + mm(0.6)));
    skip(2);
}

void CertificatePage::paragraph(const QString &text) {
    const QFont f = font(9);
    const QRectF r = take(textHeight(text, f, width_));
    painter_.setFont(f);
    painter_.setPen(Qt::black);
    painter_.drawText(r, Qt::TextWordWrap, text);
}

void CertificatePage::fields(const Fields &rows) {
    const double labelWidth = mm(55);
    const QFont f = font(9);
    for (const auto &[label, value] : rows) {
        const double h = std::max(textHeight(label, f, labelWidth - mm(2)),
                                  textHeight(value, f, width_ - labelWidth)) +
                         mm(0.8);
        const QRectF r = take(h);
        painter_.setFont(f);
        painter_.setPen(LabelColour);
        painter_.drawText(QRectF(r.left(), r.top(), labelWidth - mm(2), h), Qt::TextWordWrap,
                          label);
        painter_.setPen(Qt::black);
        painter_.drawText(QRectF(r.left() + labelWidth, r.top(), width_ - labelWidth, h),
                          Qt::TextWordWrap, value);
    }
}

double CertificatePage::rowHeight(const std::vector<Column> &columns, const QStringList &cells,
                                  const QFont &font) const {
    double h = 0;
    for (std::size_t i = 0; i < columns.size(); ++i)
        h = std::max(h, textHeight(cells.value(qsizetype(i)), font,
                                   mm(columns[i].widthMm - 2 * CellPaddingMm)));
    return h + mm(2 * CellPaddingMm);
}

void CertificatePage::drawRow(const std::vector<Column> &columns, const QStringList &cells,
                              const QFont &font, double height, bool shaded) {
    const QRectF row = take(height);
    if (shaded)
        painter_.fillRect(row, font.bold() ? HeadingShade : RowShade);
    painter_.setFont(font);
    double x = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const double w = mm(columns[i].widthMm);
        const QRectF cell(x, row.top(), w, height);
        painter_.setPen(Qt::black);
        const Qt::Alignment align =
            font.bold() ? Qt::AlignHCenter | Qt::AlignVCenter : columns[i].align | Qt::AlignVCenter;
        painter_.drawText(cell.adjusted(mm(CellPaddingMm), mm(CellPaddingMm), -mm(CellPaddingMm),
                                        -mm(CellPaddingMm)),
                          int(align) | Qt::TextWordWrap, cells.value(qsizetype(i)));
        painter_.setPen(QPen(RuleColour, mm(0.15)));
        painter_.drawRect(cell);
        x += w;
    }
}

void CertificatePage::table(std::vector<Column> columns, const std::vector<QStringList> &rows) {
    // The widths are proportions of the page's width.
    double total = 0;
    for (const Column &c : columns)
        total += c.widthMm;
    for (Column &c : columns)
        c.widthMm *= width_ / mm(total);
    const QFont head = font(7, true), body = font(7.5);
    QStringList headings;
    for (const Column &c : columns)
        headings << c.heading;
    const double headHeight = rowHeight(columns, headings, head);
    bool first = true;
    int n = 0;
    for (const QStringList &cells : rows) {
        const double h = rowHeight(columns, cells, body);
        const int before = sheet_;
        need(h + (first ? headHeight : 0));
        if (first || sheet_ != before)
            drawRow(columns, headings, head, headHeight, true);
        first = false;
        drawRow(columns, cells, body, h, n++ % 2 == 1);
    }
}
