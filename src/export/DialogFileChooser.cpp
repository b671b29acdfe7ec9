#include "DialogFileChooser.h"

#include <QFileDialog>
#include <QFileInfo>

QString DialogFileChooser::saveFileName(QWidget *parent, const QString &caption,
                                        const QString &suggestedName, const QString &filter) {
    const QFileInfo suggested(suggestedName);
    QFileDialog dialog(parent, caption, suggested.path(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suggested.suffix());
    dialog.selectFile(suggested.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString DialogFileChooser::openFileName(QWidget *parent, const QString &caption,
                                        const QString &folder, const QString &filter) {
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
