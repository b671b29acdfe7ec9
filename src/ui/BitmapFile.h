#pragma once
// Reading the bitmaps the tool shows (the test stand, the oxygen block's front
// end) from the program's folder.

#include <QImage>
#include <QString>

// The picture, or a null image and the reason in `error` ("Cannot open file
// ..." with the file's name).
QImage readBitmap(const QString &path, QString &error);
