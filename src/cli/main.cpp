// ze23-cli: the real adapters through the kernel's serial driver and, with
// --simulate, the virtual instruments; ticks waited out on the event loop.

#include "BenchCli.h"
#include "CommandLine.h"
#include "link/SerialPortFtDriver.h"
#include "settings/ProgramName.h"
#include "settings/QtRussian.h"
#include "sim/SimFtDriver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include <memory>

int main(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // A certificate is painted, which takes a QGuiApplication (fonts); with no
    // platform named it is the offscreen one, so that no display is needed.
    // Every other command stays on QCoreApplication.
    std::unique_ptr<QCoreApplication> app;
    if (CommandLine::paints(arguments)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    installQtRussian(*app); // Qt's own texts in Russian, as in the window
    // The window's name: the program's data folder, and with it the journal
    // of calibrations, are the window's.
    nameProgram();
    QCoreApplication::setApplicationVersion(ZE23_VERSION);

    SerialPortFtDriver serialDriver;
    SimFtDriver simDriver;
    QTextStream out(stdout);
    QTextStream err(stderr);
    BenchCli cli(serialDriver, simDriver, out, err, [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    });
    return cli.run(QCoreApplication::arguments());
}
