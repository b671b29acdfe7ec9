#include "RadioGroup.h"

#include "TextFit.h"

#include <QButtonGroup>
#include <QRadioButton>

RadioGroup::RadioGroup(const char *name, const QString &caption, const QStringList &items,
                       QWidget *parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
    setObjectName(name);
    buttons_->setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], this);
        b->setObjectName(QString("%1Item%2").arg(name).arg(i));
        buttons_->addButton(b, i);
    }
}

int RadioGroup::itemIndex() const {
    return buttons_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton *b = buttons_->button(index))
        b->setChecked(true);
}

QStringList RadioGroup::items() const {
    QStringList texts;
    for (QAbstractButton *b : buttons_->buttons())
        texts << b->text();
    return texts;
}

void RadioGroup::resizeEvent(QResizeEvent *event) {
    QGroupBox::resizeEvent(event);
    const QList<QAbstractButton *> all = buttons_->buttons();
    if (all.isEmpty())
        return;
    constexpr int Top = 15;
    const int step = (height() - Top - 2) / int(all.size());
    for (int i = 0; i < all.size(); ++i) {
        all[i]->setGeometry(6, Top + i * step, width() - 8, step);
        TextFit::shrinkToFit(all[i]);
    }
}
