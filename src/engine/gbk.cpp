// GBK text: encoding, decoding, byte lengths and cuts that keep whole characters.
#include "engine/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tamsel::engine {

namespace {

// Converters are costly to create; one pair per thread. Qt keeps an encoder's error flag
// once set, so unencodable characters are found by a round trip instead.
QStringEncoder& encoder() {
    thread_local QStringEncoder enc("GBK", QStringConverter::Flag::Stateless);
    return enc;
}

QStringDecoder& decoder() {
    thread_local QStringDecoder dec("GBK", QStringConverter::Flag::Stateless);
    return dec;
}

bool isAscii(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            return false;
        }
    }
    return true;
}

bool isAscii(const char* data, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Bytes one character (a UTF-16 unit, or a surrogate pair counted at its first unit) takes in GBK.
int charBytes(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < 0x80) {
        return 1;
    }
    QByteArray bytes;
    const qsizetype n = QChar::isHighSurrogate(c) && i + 1 < text.size() ? 2 : 1;
    if (!encodeGbk(text.mid(i, n), &bytes)) {
        return 2;
    }
    return static_cast<int>(bytes.size());
}

} // namespace

bool encodeGbk(QStringView text, QByteArray* out) {
    if (isAscii(text)) {
        *out = text.toLatin1();
        return true;
    }
    QStringEncoder& enc = encoder();
    enc.resetState();
    *out = enc.encode(text);
    // A character without a GBK form comes out as '?'; it does not survive the way back.
    QStringDecoder& dec = decoder();
    dec.resetState();
    const QString back = dec.decode(*out);
    return back == text;
}

QString decodeGbk(const char* data, qsizetype size) {
    if (size <= 0) {
        return QString();
    }
    if (isAscii(data, size)) {
        return QString::fromLatin1(data, size);
    }
    QStringDecoder& dec = decoder();
    dec.resetState();
    return dec.decode(QByteArrayView(data, size));
}

qsizetype gbkByteLength(QStringView text) {
    if (isAscii(text)) {
        return text.size();
    }
    QByteArray bytes;
    if (!encodeGbk(text, &bytes)) {
        return -1;
    }
    return bytes.size();
}

QString gbkLeft(QStringView text, qsizetype maxBytes) {
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const int n = charBytes(text, i);
        if (bytes + n > maxBytes) {
            break;
        }
        bytes += n;
        i += text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    }
    return text.left(i).toString();
}

qsizetype gbkSafeCut(const char* data, qsizetype size, qsizetype maxBytes) {
    const char* p = data;
    const char* end = data + size;
    qsizetype taken = 0;
    while (p < end) {
        const int n = gbkCharLength(p, end);
        if (taken + n > maxBytes) {
            break;
        }
        taken += n;
        p += n;
    }
    return taken;
}

} // namespace tamsel::engine
