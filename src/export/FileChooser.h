#pragma once
// The save dialog, as the exports see it: where the technician wants a file.
// The main window holds the one its charts and traces use (a DialogFileChooser
// unless TForm1::setFileChooser put in another), so tests answer in place of
// the dialog and none ever opens under them.

#include <QString>

class QWidget;

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // The chosen path, or an empty string when the technician cancelled.
    // suggestedName may carry a folder, where the dialog then starts.
    virtual QString saveFileName(QWidget *parent, const QString &caption,
                                 const QString &suggestedName, const QString &filter) = 0;
};
