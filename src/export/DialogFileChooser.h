#pragma once
// The save dialog on screen (Qt's file dialog, modal): it asks before
// replacing a file, and a name typed without an extension gets the suggested
// name's.

#include "FileChooser.h"

class DialogFileChooser : public FileChooser {
  public:
    QString saveFileName(QWidget *parent, const QString &caption, const QString &suggestedName,
                         const QString &filter) override;
};
