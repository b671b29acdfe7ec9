#include "CutTexts.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>

#include <algorithm>

namespace {
int widestLine(const QFontMetrics &fm, const QString &text) {
    int widest = 0;
    for (const QString &line : text.split('\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

struct Shown {
    QString text;
    int needs = 0; // px
    int has = 0;   // px
};

Shown shown(const QWidget *w) {
    const QFontMetrics fm(w->font());
    if (const auto *l = qobject_cast<const QLabel *>(w)) {
        if (l->wordWrap() || Qt::mightBeRichText(l->text()))
            return {};
        return {l->text(), widestLine(fm, l->text()) + std::max(0, l->indent()),
                l->contentsRect().width() - 2 * l->margin()};
    }
    // A button's text goes where its style puts a button's contents.
    const auto button = [&](const QAbstractButton *b, QStyle::SubElement contents) {
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        const QRect r = b->style()->subElementRect(contents, &option, b);
        return Shown{b->text(), r.left() + widestLine(fm, b->text()), r.right() + 1};
    };
    if (const auto *b = qobject_cast<const QRadioButton *>(w))
        return button(b, QStyle::SE_RadioButtonContents);
    if (const auto *b = qobject_cast<const QCheckBox *>(w))
        return button(b, QStyle::SE_CheckBoxContents);
    if (const auto *b = qobject_cast<const QPushButton *>(w))
        return button(b, QStyle::SE_PushButtonContents);
    if (const auto *g = qobject_cast<const QGroupBox *>(w))
        return {g->title(), fm.horizontalAdvance(g->title()) + 4, g->width()};
    // A field's text inside its frame and margins.
    if (const auto *e = qobject_cast<const QLineEdit *>(w))
        return {e->text(), fm.horizontalAdvance(e->text()) + 8, e->width()};
    return {};
}
} // namespace

QStringList cutTexts(const QWidget *root) {
    QStringList cut;
    for (const QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(root))
            continue;
        const Shown s = shown(w);
        if (!s.text.isEmpty() && s.needs > s.has)
            cut << QString("%1 «%2»: needs %3 px, has %4")
                       .arg(w->objectName(), s.text)
                       .arg(s.needs)
                       .arg(s.has);
    }
    return cut;
}
