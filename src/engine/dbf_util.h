#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <cstddef>
#include <sys/types.h>

// Byte-level helpers of the dBase file code.
namespace tamsel::engine::dbf {

// Where the fields of a table header lie (dBase III, IV and 7 alike).
namespace hdr {
constexpr int kVersion = 0;
constexpr int kDate = 1; // three bytes: year - 1900, month, day
constexpr int kRecordCount = 4;
constexpr int kHeaderLength = 8;
constexpr int kRecordLength = 10;
constexpr int kFlags = 28; // bit 0: a production index exists
constexpr int kLanguageDriver = 29;
constexpr int kFixedSize = 32;
constexpr int kFixedSize7 = 68; // dBase 7 keeps the language driver name after the fixed part
constexpr int kDescriptorSize = 32;
constexpr int kDescriptorSize7 = 48;
// Within a field descriptor.
constexpr int kFieldType = 11;
constexpr int kFieldLength = 16;
constexpr int kFieldDecimals = 17;
constexpr int kFieldType7 = 32;
constexpr int kFieldLength7 = 33;
constexpr int kFieldDecimals7 = 34;
constexpr char kHeaderEnd = '\x0D';
constexpr char kFileEnd = '\x1A';
} // namespace hdr

// Where the fields of a memo file header lie.
namespace memohdr {
constexpr int kNextBlock = 0;
constexpr int kDbfName = 8;        // dBase IV: the table's base name, eight bytes
constexpr int kBlockSize = 20;     // dBase IV: two bytes
constexpr int kDbase3Version = 16; // dBase III: 0x03
constexpr int kUsedSize = 22;      // header bytes the engine reads
} // namespace memohdr

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

// Every write of the engine goes through this function (pwrite by default); tests put in one
// that fails, to see a full disk. Returns the one it replaces; nullptr restores pwrite.
using WriteFunction = ssize_t (*)(int fd, const void* buffer, size_t size, off_t offset);
WriteFunction setWriteFunction(WriteFunction function);

// A number in plain decimal form ("-0012.50" -> negative, whole "12", fraction "5"): leading
// zeros of the whole part and trailing zeros of the fraction dropped. False for anything else
// (exponent forms, stray characters, empty text).
struct Decimal {
    bool negative = false;
    QByteArray whole;
    QByteArray fraction;
};
bool parseDecimal(const char* p, qsizetype size, Decimal* out);
// "12.5", "0", "-3": the shortest text of a parsed decimal ("-0" reads "0").
QByteArray decimalText(const Decimal& d);

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
