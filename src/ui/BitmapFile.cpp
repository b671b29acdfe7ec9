#include "BitmapFile.h"

#include <QFile>

QImage readBitmap(const QString &path, QString &error) {
    QImage image;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        error = QString("Cannot open file \"%1\". %2").arg(path, file.errorString());
    else if (!image.load(&file, "BMP"))
        error = QString("Cannot open file \"%1\". Not a valid bitmap.").arg(path);
    return image;
}
