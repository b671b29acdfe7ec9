#include "BoxMessages.h"

#include <QAbstractButton>
#include <QMessageBox>

void BoxMessages::error(const QString &text) {
    show(QMessageBox::Critical, text);
}

void BoxMessages::information(const QString &text) {
    show(QMessageBox::NoIcon, text);
}

bool BoxMessages::confirm(const QString &text) {
    QMessageBox box(QMessageBox::Question, QString(), text, QMessageBox::Yes | QMessageBox::No,
                    parent_);
    box.button(QMessageBox::Yes)->setText("Да");
    box.button(QMessageBox::No)->setText("Нет");
    box.setDefaultButton(QMessageBox::No);
    box.setWindowModality(parent_ ? modality_ : Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes;
}

void BoxMessages::show(int icon, const QString &text) {
    open_.removeIf([](const QPointer<QMessageBox> &box) { return box.isNull(); });
    for (const QPointer<QMessageBox> &box : open_)
        if (box->text() == text && box->isVisible())
            return;
    auto *box = new QMessageBox(static_cast<QMessageBox::Icon>(icon), QString(), text,
                                QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent_ ? modality_ : Qt::ApplicationModal);
    open_.append(box);
    box->open();
}

Messages &BoxMessages::of(QWidget *window) {
    if (!window || window == parent_)
        return *this;
    std::unique_ptr<BoxMessages> &own = windows_[window];
    if (!own)
        own = std::make_unique<BoxMessages>(window, modality_);
    return *own;
}
