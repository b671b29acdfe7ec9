#include "ExportHandler.h"

#include "charts/StripChart.h"
#include "dialogs/Messages.h"
#include "export/ChartCsv.h"
#include "files/AtomicSave.h"
#include "pages/TraceMemo.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>

ExportHandler::ExportHandler(Messages &messages, QObject *parent)
    : QObject(parent), messages_(messages), folder_(QDir::homePath()) {}

void ExportHandler::attach(const QWidget &root) {
    for (StripChart *chart : root.findChildren<StripChart *>()) {
        connect(chart, &StripChart::savePictureRequested, this,
                [this, chart] { savePicture(*chart); });
        connect(chart, &StripChart::saveValuesRequested, this,
                [this, chart] { saveValues(*chart); });
    }
    for (TraceMemo *memo : root.findChildren<TraceMemo *>())
        connect(memo, &TraceMemo::saveRequested, this, [this, memo] { saveTrace(*memo); });
}

void ExportHandler::savePicture(StripChart &chart) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!chart.grab().save(&buffer, "PNG")) {
        messages_.error("Не удалось нарисовать график.");
        return;
    }
    save(chart, "Сохранить рисунок графика", "png", "Рисунок PNG (*.png)", png);
}

void ExportHandler::saveValues(const StripChart &chart) {
    // A chart drawn without a title (the oxygen page's) is named by its object name.
    const QString heading = chart.title().isEmpty() ? chart.objectName() : chart.title();
    save(chart, "Сохранить значения графика", "csv", "Таблица CSV (*.csv)",
         chartCsv(heading, chart.history()));
}

void ExportHandler::saveTrace(const TraceMemo &memo) {
    save(memo, "Сохранить протокол обмена", "txt", "Текст (*.txt)", memo.keptText().toUtf8());
}

void ExportHandler::save(const QWidget &source, const QString &caption, const QString &suffix,
                         const QString &filter, const QByteArray &bytes) {
    const QString name =
        source.objectName() + QDateTime::currentDateTime().toString("-yyyy-MM-dd-HHmm.") + suffix;
    const QString path =
        chooser_->saveFileName(source.window(), caption, QDir(folder_).filePath(name), filter);
    if (path.isEmpty())
        return;
    const QString reason = saveAtomically(path, bytes);
    if (!reason.isEmpty()) {
        messages_.error(QString("Не удалось сохранить файл «%1»: %2.")
                            .arg(QDir::toNativeSeparators(path), reason));
        return;
    }
    folder_ = QFileInfo(path).absolutePath();
}
