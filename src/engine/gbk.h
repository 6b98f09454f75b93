#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace tamsel::engine {

// GBK (code page 936) is the text encoding of every table. All widths count GBK bytes,
// and every cut keeps whole characters: a lead byte 0x81..0xFE always starts a
// two-byte character, whose second byte may be plain ASCII (羅 = C1 5F).

// Encodes text; returns false when a character has no GBK form (out is then undefined).
bool encodeGbk(QStringView text, QByteArray* out);
QString decodeGbk(const char* data, qsizetype size);
inline QString decodeGbk(const QByteArray& bytes) {
    return decodeGbk(bytes.constData(), bytes.size());
}

// Byte length of text in GBK, or -1 when a character cannot be encoded.
qsizetype gbkByteLength(QStringView text);

// The longest prefix of text whose GBK form takes at most maxBytes, never splitting a character.
QString gbkLeft(QStringView text, qsizetype maxBytes);

// Byte length of the GBK character starting at p (1 or 2; 1 at a truncated end).
inline int gbkCharLength(const char* p, const char* end) {
    const auto lead = static_cast<unsigned char>(*p);
    return (lead >= 0x81 && lead <= 0xFE && p + 1 < end) ? 2 : 1;
}

// The number of bytes of data (size bytes) that hold whole characters only, at most maxBytes.
qsizetype gbkSafeCut(const char* data, qsizetype size, qsizetype maxBytes);

} // namespace tamsel::engine
