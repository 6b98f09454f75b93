// Byte-level helpers of the dBase file code: whole reads and writes, stored numbers and dates.
#include "engine/dbf_util.h"

#include "engine/dbffile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unistd.h>

namespace tamsel::engine {

namespace dbf {

bool preadAll(int fd, char* buffer, size_t size, qint64 offset) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, buffer, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        buffer += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

namespace {
WriteFunction g_write = &::pwrite;
} // namespace

WriteFunction setWriteFunction(WriteFunction function) {
    const WriteFunction old = g_write;
    g_write = function != nullptr ? function : &::pwrite;
    return old;
}

bool pwriteAll(int fd, const char* buffer, size_t size, qint64 offset) {
    while (size > 0) {
        const ssize_t n = g_write(fd, buffer, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        buffer += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

QString errorText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

int trimmedLength(const char* p, int size) {
    const void* nul = std::memchr(p, '\0', static_cast<size_t>(size));
    int n = nul != nullptr ? static_cast<int>(static_cast<const char*>(nul) - p) : size;
    while (n > 0 && p[n - 1] == ' ') {
        --n;
    }
    return n;
}

bool parseNumber(const char* p, qsizetype size, double* out) {
    const char* begin = p;
    const char* end = p + size;
    while (begin < end && (*begin == ' ' || *begin == '\0')) {
        ++begin;
    }
    while (end > begin && (end[-1] == ' ' || end[-1] == '\0')) {
        --end;
    }
    if (begin == end) {
        return false;
    }
    if (*begin == '+') {
        ++begin;
    }
    // from_chars also takes "inf" and "nan"; a stored number is digits, sign, point, exponent.
    bool digit = false;
    for (const char* q = begin; q < end; ++q) {
        const char c = *q;
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c != '.' && c != '-' && c != 'e' && c != 'E' && c != '+') {
            return false;
        }
    }
    if (!digit) {
        return false;
    }
    double v = 0;
    const auto result = std::from_chars(begin, end, v);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(v)) {
        return false;
    }
    *out = v;
    return true;
}

bool parseDecimal(const char* p, qsizetype size, Decimal* out) {
    const char* begin = p;
    const char* end = p + size;
    while (begin < end && (*begin == ' ' || *begin == '\0')) {
        ++begin;
    }
    while (end > begin && (end[-1] == ' ' || end[-1] == '\0')) {
        --end;
    }
    Decimal d;
    if (begin < end && (*begin == '-' || *begin == '+')) {
        d.negative = *begin == '-';
        ++begin;
    }
    const char* point = std::find(begin, end, '.');
    const auto digitsOnly = [](const char* a, const char* b) {
        return std::all_of(a, b, [](char c) { return c >= '0' && c <= '9'; });
    };
    const char* fractionBegin = point < end ? point + 1 : end;
    if (begin == end || (point == begin && fractionBegin == end) || !digitsOnly(begin, point) ||
        !digitsOnly(fractionBegin, end)) {
        return false;
    }
    while (begin < point && *begin == '0') {
        ++begin;
    }
    const char* fractionEnd = end;
    while (fractionEnd > fractionBegin && fractionEnd[-1] == '0') {
        --fractionEnd;
    }
    d.whole = QByteArray(begin, point - begin);
    d.fraction = QByteArray(fractionBegin, fractionEnd - fractionBegin);
    if (d.whole.isEmpty() && d.fraction.isEmpty()) {
        d.negative = false;
    }
    *out = d;
    return true;
}

QByteArray decimalText(const Decimal& d) {
    QByteArray out;
    out.reserve(d.whole.size() + d.fraction.size() + 3);
    if (d.negative) {
        out.append('-');
    }
    out.append(d.whole.isEmpty() ? QByteArray("0") : d.whole);
    if (!d.fraction.isEmpty()) {
        out.append('.').append(d.fraction);
    }
    return out;
}

QByteArray fixedNumber(double value, int decimals) {
    if (!std::isfinite(value)) {
        return QByteArray();
    }
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        return QByteArray();
    }
    QByteArray text(buffer, result.ptr - buffer);
    if (text.startsWith('-')) {
        bool nonzero = false;
        for (char c : text) {
            nonzero = nonzero || (c >= '1' && c <= '9');
        }
        if (!nonzero) {
            text.remove(0, 1);
        }
    }
    return text;
}

QDate parseDate(const char* p, int size) {
    if (size < 8) {
        return QDate();
    }
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    int pos = 0;
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < widths[i]; ++k) {
            const char c = p[pos++];
            if (c < '0' || c > '9') {
                return QDate();
            }
            parts[i] = parts[i] * 10 + (c - '0');
        }
    }
    return QDate(parts[0], parts[1], parts[2]);
}

QDate parseDateText(QStringView text) {
    const QString s = text.trimmed().toString();
    QByteArray digits;
    if (s.size() == 8) {
        digits = s.toLatin1();
    } else if (s.size() == 10 && s[4] == s[7] && (s[4] == u'-' || s[4] == u'.' || s[4] == u'/')) {
        digits = (s.left(4) + s.mid(5, 2) + s.mid(8, 2)).toLatin1();
    } else {
        return QDate();
    }
    return parseDate(digits.constData(), int(digits.size()));
}

} // namespace dbf

QString formatNumber(double value) {
    if (!std::isfinite(value)) {
        return QString();
    }
    // Round to 15 significant digits first, so 0.1 + 0.2 reads "0.3", then print the shortest
    // fixed-point form that gives that value back.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    double rounded = value;
    std::from_chars(buffer, result.ptr, rounded);
    if (rounded == 0) {
        return QStringLiteral("0");
    }
    result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed);
    if (result.ec != std::errc()) {
        return QString::number(value, 'g', 15);
    }
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace tamsel::engine
