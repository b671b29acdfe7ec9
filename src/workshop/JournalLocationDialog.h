#pragma once
// Where the journal of calibrations is, changed on purpose: a dialog with
// the location (a file, or a server as postgresql://… or postgres://…), a
// button to pick an existing file, and OK. A malformed location, or one with
// a password (libpq finds it in ~/.pgpass, PGPASSWORD or a service), is
// refused with the reason and the dialog stays open; a good one is
// remembered (QSettings "records/location") and handed on.
// Opened window-modal without a nested event loop: the program's timers keep
// the line polled meanwhile.

#include "export/DialogFileChooser.h"

#include <QDialog>

class FileChooser;
class Messages;
class QLineEdit;
class QPushButton;

class JournalLocationDialog : public QDialog {
    Q_OBJECT
  public:
    JournalLocationDialog(Messages &messages, QWidget *parent = nullptr);

    // Shows the dialog over `over` with the location in use filled in.
    void ask(const QString &current, QWidget *over);
    // The location remembered here before; empty when none.
    static QString remembered();
    void setFileChooser(FileChooser &chooser) { chooser_ = &chooser; }

    QLineEdit *recordsLocationEdit;
    QPushButton *browseButton;
    QPushButton *okButton;

  signals:
    // A well-formed location: a file's absolute path, or a server.
    void chosen(const QString &location);

  public slots:
    void accept() override;

  private:
    Messages &messages_;
    DialogFileChooser dialog_;
    FileChooser *chooser_ = &dialog_;
    QString current_;
};
