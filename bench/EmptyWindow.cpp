// The floor the program's start-up, memory and idle work are held against:
// an empty Qt Widgets window of the main window's size, built with the same
// flags, doing nothing.

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Пустое окно");
    window.resize(1000, 700);
    window.show();
    return app.exec();
}
