#include "TextFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace {
QStyle::SubElement contentsOf(const QAbstractButton *b) {
    if (qobject_cast<const QRadioButton *>(b))
        return QStyle::SE_RadioButtonContents;
    if (qobject_cast<const QCheckBox *>(b))
        return QStyle::SE_CheckBoxContents;
    return QStyle::SE_PushButtonContents;
}
} // namespace

bool TextFit::fits(const QAbstractButton *b) {
    QStyleOptionButton option;
    option.initFrom(b);
    option.text = b->text();
    const QRect room = b->style()->subElementRect(contentsOf(b), &option, b);
    const QFontMetrics fm(b->font());
    int widest = 0;
    for (const QString &line : b->text().split('\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return room.left() + widest <= room.right() + 1;
}

namespace {
// Makes `w`'s font a pixel smaller at a time while `fits` says no.
template <class Fits> void shrinkWhile(QWidget *w, Fits fits) {
    for (int px = QFontInfo(w->font()).pixelSize() - 1; px >= TextFit::SmallestPixels && !fits();
         --px) {
        QFont smaller = w->font();
        smaller.setPixelSize(px);
        w->setFont(smaller);
    }
}
} // namespace

void TextFit::shrinkToFit(QAbstractButton *b) {
    shrinkWhile(b, [b] { return fits(b); });
}

void TextFit::shrinkToFit(QLabel *label, const QString &widest) {
    shrinkWhile(label, [label, &widest] {
        return QFontMetrics(label->font()).horizontalAdvance(widest) <=
               label->contentsRect().width() - 2 * label->margin();
    });
}
