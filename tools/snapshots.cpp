// Pictures of the main window against the virtual instruments, for a
// developer to look at: every page of every kind, after some seconds of
// polling on a hand-moved clock. Usage: ze23-snapshots DIR
#include "pages/BlockPage.h"
#include "sim/SimFtDriver.h"
#include "testsupport/RecordingMessages.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTableWidget>

#include <cstdio>

namespace {
std::int64_t nowMs = 0;

void run(TForm1 &form, int ms) {
    for (int t = 0; t < ms; t += 50) {
        nowMs += 50;
        if (nowMs % 350 == 0)
            form.Timer1Timer();
        if (nowMs % 100 == 0)
            form.Timer2Timer();
    }
    QApplication::processEvents();
}
} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ze23-snapshots DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(dir.path());
    SimFtDriver sim([] { return nowMs; });
    for (std::size_t row = 0; row < sim.adapterCount(); ++row) {
        RecordingMessages messages;
        TForm1 form(sim, messages);
        form.pictureFolder = QCoreApplication::applicationDirPath() + "/src";
        form.resize(1100, 760);
        form.show();
        form.ListView1->selectRow(int(row));
        form.ListView1DblClick();
        run(form, 3000);
        const int kind = sim.instrument(row).kind();
        for (int page = 0; page < form.PageControl1->count(); ++page) {
            if (!form.isTabShown(page))
                continue;
            form.PageControl1->setCurrentIndex(page);
            run(form, 20000);
            const QString name = QString("kind%1-page%2.png").arg(kind).arg(page);
            form.grab().save(dir.filePath(name));
            std::printf("%s\n", qPrintable(dir.filePath(name)));
        }
    }
    return 0;
}
