#include "TextFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
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

void TextFit::shrinkToFit(QAbstractButton *b) {
    for (int px = QFontInfo(b->font()).pixelSize() - 1; px >= SmallestPixels && !fits(b); --px) {
        QFont smaller = b->font();
        smaller.setPixelSize(px);
        b->setFont(smaller);
    }
}
