#include "TForm2.h"

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("Form2");
    setWindowTitle("Управление мультиплексором");
    setFixedSize(224, 321);
    move(213, 148);
}
