// ze23-cli: the real adapters through the kernel's serial driver and, with
// --simulate, the virtual instruments; ticks waited out on the event loop.

#include "BenchCli.h"
#include "link/SerialPortFtDriver.h"
#include "settings/QtRussian.h"
#include "sim/SimFtDriver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    installQtRussian(app); // Qt's own texts in Russian, as in the window
    QCoreApplication::setApplicationName("ze23-cli");
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
