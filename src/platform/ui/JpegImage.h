#pragma once
// JPEG pictures decoded with libjpeg's own C interface. A damaged picture
// never ends the program: the library's fatal errors come back here, and a
// picture that needed repairs (truncated, corrupt data) counts as damaged.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform {

// Decodes Data into Image (RGB). False, Image untouched and ErrorText set
// (when given) when the data are no sound JPEG picture.
bool DecodeJpeg(const QByteArray &Data, QImage &Image, QString *ErrorText = nullptr);

} // namespace platform
