#include "BasePage.h"

#include <QGroupBox>
#include <QLabel>

BasePage::BasePage(QWidget *parent) : QWidget(parent) {
    GroupBox4 = new QGroupBox("Прибор", this);
    GroupBox4->setObjectName("GroupBox4");
    GroupBox4->setGeometry(4, 0, 201, 45);

    Panel2 = new QLabel(GroupBox4);
    Panel2->setObjectName("Panel2");
    Panel2->setGeometry(6, 18, 189, 21);
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setAutoFillBackground(true);
    QFont font("Arial");
    font.setPixelSize(12);
    font.setBold(true);
    Panel2->setFont(font);
    QPalette palette = Panel2->palette();
    // The system's active-border colour.
    palette.setColor(QPalette::Window, QColor(0xB4, 0xB4, 0xB4));
    Panel2->setPalette(palette);
}
