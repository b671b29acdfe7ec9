// The floor the program's start-up, memory and idle work are held against:
// an empty Qt Widgets window of the main window's size, built with the same
// flags, doing nothing.
//
//     ze23-empty-window [--text] [--ticks]
//
// --text puts one line of text in it, so that it pays for the fonts as any
// window with words on it does; --ticks runs two 100 ms timers that do
// nothing, as the main window's receive and picture ticks wake it.

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList options = app.arguments();
    QWidget window;
    window.setWindowTitle("Пустое окно");
    window.resize(1000, 700);
    if (options.contains("--text"))
        (new QLabel("Серия ЗЭ-23", &window))->move(10, 10);
    QTimer receive, picture;
    if (options.contains("--ticks")) {
        receive.start(100);
        picture.start(100);
    }
    window.show();
    return app.exec();
}
