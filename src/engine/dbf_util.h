#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <cstddef>

// Byte-level helpers of the dBase file code.
namespace tamsel::engine::dbf {

inline quint16 le16(const char* p) {
    return static_cast<quint16>(static_cast<quint8>(p[0]) | (static_cast<quint8>(p[1]) << 8));
}

inline quint32 le32(const char* p) {
    return static_cast<quint32>(static_cast<quint8>(p[0])) |
           (static_cast<quint32>(static_cast<quint8>(p[1])) << 8) |
           (static_cast<quint32>(static_cast<quint8>(p[2])) << 16) |
           (static_cast<quint32>(static_cast<quint8>(p[3])) << 24);
}

inline void putLe16(char* p, quint16 v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

inline void putLe32(char* p, quint32 v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

// Whole reads and writes at a position; false (errno set) on failure or a short file.
bool preadAll(int fd, char* buffer, size_t size, qint64 offset);
bool pwriteAll(int fd, const char* buffer, size_t size, qint64 offset);
QString errorText(int err);

// Length of field text without its padding: up to the first NUL, trailing blanks dropped.
int trimmedLength(const char* p, int size);

// A number stored as text (blank padded, optional sign); false when empty or not a number.
bool parseNumber(const char* p, qsizetype size, double* out);
// Fixed-point text with the given decimals, "-0" written as "0"; empty when not finite.
QByteArray fixedNumber(double value, int decimals);

// A stored date yyyyMMdd; invalid when blank or impossible.
QDate parseDate(const char* p, int size);
// "yyyy-MM-dd", "yyyy.MM.dd", "yyyy/MM/dd" or "yyyyMMdd".
QDate parseDateText(QStringView text);

} // namespace tamsel::engine::dbf
