#pragma once
// Saving what the technician asks to keep: a strip chart as a PNG picture or
// its values as CSV, a frame trace as text.
//
// Charts and traces know nothing of files, dialogs or message boxes: their
// context menus only emit a signal (StripChart::savePictureRequested and
// saveValuesRequested, TraceMemo::saveRequested). The main window keeps one
// handler, which connects every chart and trace under the window once the
// pages are built, so no page constructor takes anything more. The handler
// asks where to through a FileChooser (the file dialog unless the window was
// given another, as tests do) and reports a failed write through the window's
// Messages.
//
// What is saved is taken when the technician asks, before the dialog: the
// chart as it stood at the click. A cancelled dialog does nothing; a file is
// written whole or not at all, a failure leaving a file already there as it was.

#include "export/DialogFileChooser.h"

#include <QObject>
#include <QString>

class Messages;
class QByteArray;
class QWidget;
class StripChart;
class TraceMemo;

class ExportHandler : public QObject {
    Q_OBJECT
  public:
    explicit ExportHandler(Messages &messages, QObject *parent = nullptr);

    // Connects every strip chart and frame trace under root.
    void attach(const QWidget &root);
    void setFileChooser(FileChooser &chooser) { chooser_ = &chooser; }

    void savePicture(StripChart &chart);
    void saveValues(const StripChart &chart);
    void saveTrace(const TraceMemo &memo);

  private:
    // Asks where to (suggesting "<object name>-yyyy-MM-dd-HHmm.<suffix>" in the
    // folder used last), then writes the bytes there.
    void save(const QWidget &source, const QString &caption, const QString &suffix,
              const QString &filter, const QByteArray &bytes);

    Messages &messages_;
    DialogFileChooser dialog_;
    FileChooser *chooser_ = &dialog_;
    QString folder_;
};
