#include "MemoryTuning.h"
#include "Preferences.h"
#include "Program.h"
#include "records/RecordLocation.h"
#include "settings/ProgramName.h"
#include "settings/QtRussian.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTextStream>

int main(int argc, char *argv[]) {
    keepLargeBlocksReturnable();
    nameProgram();
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
        "postgresql://пользователь@сервер[:порт]/база (пароль — в ~/.pgpass или PGPASSWORD).",
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

    // A journal's location with a password in it, or of blanks, is refused
    // before anything is opened: the process list shows the command line.
    if (parser.isSet(recordsOption)) {
        if (const QString bad = RecordLocation::malformed(parser.value(recordsOption));
            !bad.isEmpty()) {
            QTextStream(stderr) << "ze23-setup: --records: " << bad << "\n";
            return 2;
        }
    }
    if (parser.isSet(outboxOption) && parser.value(outboxOption).trimmed().isEmpty()) {
        QTextStream(stderr) << "ze23-setup: --outbox: не указан файл журнала рабочего места\n";
        return 2;
    }
    Preferences::settle();

    ProgramOptions options;
    options.simulate = parser.isSet(simulateOption);
    options.records = parser.value(recordsOption);
    options.outbox = parser.value(outboxOption);
    Program program(options);
    program.show();
    return app.exec();
}
