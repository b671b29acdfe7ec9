#pragma once
// The certificate's pages as a flow from top to bottom: headings, fields
// ("label  value"), wrapped paragraphs and ruled tables, each moved on to a
// new page when it does not fit on this one (a table repeats its heading
// row there). Every page ends with a footer naming the document and the
// sheet. Lengths are in the writer's device units; mm() converts.

#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class QPainter;
class QPdfWriter;

class CertificatePage {
  public:
    struct Column {
        QString heading;
        double widthMm;
        Qt::Alignment align = Qt::AlignLeft;
    };
    using Fields = std::vector<std::pair<QString, QString>>;

    CertificatePage(QPdfWriter &writer, QPainter &painter, QString footer);

    double mm(double millimetres) const { return millimetres * dotsPerMm_; }
    double width() const { return width_; }
    QPainter &painter() { return painter_; }
    // A font of the certificate's family at `points`.
    static QFont font(double points, bool bold = false);
    // For text to be copied out exactly (a check sum): monospace, no ligatures.
    static QFont monospace(double points);

    // Moves on to a new page when less than `height` is left on this one.
    void need(double height);
    // The rectangle of the next `height` across the page, moved past.
    QRectF take(double height);
    void skip(double millimetres);

    void centred(const QString &text, const QFont &font);
    // A heading kept on one page with the next `followMm` of what comes under it.
    void heading(const QString &text, double followMm = 14);
    void paragraph(const QString &text);
    void fields(const Fields &rows);
    // Columns share the page's width in proportion to their widthMm.
    void table(std::vector<Column> columns, const std::vector<QStringList> &rows);
    // The last page's footer.
    void finish();

  private:
    double textHeight(const QString &text, const QFont &font, double width) const;
    double rowHeight(const std::vector<Column> &columns, const QStringList &cells,
                     const QFont &font) const;
    void drawRow(const std::vector<Column> &columns, const QStringList &cells, const QFont &font,
                 double height, bool shaded);
    void newPage();
    void footer();

    QPdfWriter &writer_;
    QPainter &painter_;
    QString footer_;
    double dotsPerMm_;
    double width_, bottom_;
    double y_ = 0;
    int sheet_ = 1;
};
