#include "MemoryTuning.h"
#include "Program.h"
#include "settings/QtRussian.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

int main(int argc, char *argv[]) {
    keepLargeBlocksReturnable();
    QApplication::setApplicationName("Серия ЗЭ-23");
    QApplication::setApplicationVersion(ZE23_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Обслуживание и настройка переносных газоанализаторов серии ЗЭ-23 через адаптер USB "
        "(FTDI).");
    // Qt's own help and version options describe themselves in English.
    const QCommandLineOption helpOption(QStringList{"h", "help"}, "Эта справка.");
    const QCommandLineOption versionOption(QStringList{"v", "version"}, "Версия программы.");
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    const QCommandLineOption simulateOption(
        "simulate", "Добавить в список устройств виртуальные приборы всех видов (1, 2, 3, 4, 5, "
                    "7), чтобы работать без оборудования.");
    parser.addOption(simulateOption);
    const QCommandLineOption recordsOption(
        "records",
        "Журнал калибровок: файл SQLite (по умолчанию records.sqlite в папке данных "
        "пользователя или то, что задано в окне журнала) или сервер "
        "postgresql://пользователь[:пароль]@сервер[:порт]/база.",
        "FILE");
    parser.addOption(recordsOption);
    const QCommandLineOption outboxOption(
        "outbox",
        "С журналом на сервере: файл этого рабочего места, где каждая запись хранится и откуда "
        "отправляется на сервер (по умолчанию records.sqlite в папке данных пользователя).",
        "FILE");
    parser.addOption(outboxOption);

    // --help and --version answer without the window system, where no display is.
    const auto answerHelpOrVersion = [&] {
        if (parser.isSet(helpOption))
            parser.showHelp();
        if (parser.isSet(versionOption))
            parser.showVersion();
    };
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "-h" || a == "--help" || a == "-v" || a == "--version") {
            QCoreApplication plain(argc, argv);
            installQtRussian(plain);
            parser.process(plain);
            answerHelpOrVersion();
        }
    }

    // Qt's own file dialog and boxes, which speak Russian with Qt's
    // translations; a desktop's native dialog would follow the desktop's
    // language instead.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    installQtRussian(app);
    parser.process(app);
    answerHelpOrVersion();
    QApplication::setWindowIcon(QIcon(QApplication::applicationDirPath() + "/ze23-setup.png"));

    ProgramOptions options;
    options.simulate = parser.isSet(simulateOption);
    options.records = parser.value(recordsOption);
    options.outbox = parser.value(outboxOption);
    Program program(options);
    program.show();
    return app.exec();
}
