#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tamsel::core {

// Decodes a JPEG held in memory with libjpeg. A damaged or unsupported picture gives a null
// image and the decoder's message in *error; it never ends the process.
QImage decodeJpeg(const QByteArray& data, QString* error = nullptr);

} // namespace tamsel::core
