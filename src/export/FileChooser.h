#pragma once
// The file dialogs, as the exports and the settings files see them: where the
// technician wants a file written, or which file to read. The main window
// holds the one its charts, traces and settings buttons use (a
// DialogFileChooser unless TForm1::setFileChooser put in another), so tests
// answer in place of the dialog and none ever opens under them.

#include <QString>

class QWidget;

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // The chosen path, or an empty string when the technician cancelled.
    // suggestedName may carry a folder, where the dialog then starts.
    virtual QString saveFileName(QWidget *parent, const QString &caption,
                                 const QString &suggestedName, const QString &filter) = 0;
    // An existing file to read, or an empty string when cancelled. The dialog
    // starts in `folder`.
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &folder,
                                 const QString &filter) = 0;
};
