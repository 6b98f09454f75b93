#pragma once

// The line format of the exchange members: how a value is written (quoting, line breaks) and
// how the reading side assembles records over line ends and splits them into field values.
// Everything works on GBK bytes: TAB, CR, LF and '"' never occur as GBK trail bytes.

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tamsel::exchange {

// The archive and its members, in packing order.
inline constexpr char kArchiveName[] = "cgsbqy.arj";
const QStringList& memberNames(); // PELK.TXT CGWCDW.TXT CGWCR.TXT JDWYHMD.TXT ZLQK.TXT UNIT.TXT EXPERT.TXT
// Exchange name of a member's table ("PELK" for PELK.TXT); its twin is that name + "temp.dbf".
QString exchangeName(const QString& member);
// The local table a member is written from and stored into ("pelk", "cgwcdw", ...).
QString localTable(const QString& exchangeName);

// One record may hold quoted multi-line memos, but never more than this: an unclosed quote
// would otherwise swallow the rest of the member.
inline constexpr qsizetype kMaxRecordBytes = 1 << 20;

// Every line break inside a value (LF, CR, CR LF) as CR LF.
QByteArray crlfLineBreaks(QByteArrayView value);
// Appends value with its line breaks as CR LF, under the quoting rule: quoted (quotes doubled)
// when it then holds TAB or CR or begins with '"'; unchanged otherwise.
void appendQuoted(QByteArray& line, QByteArrayView value);
// A last value of a line carries no quoting, so it must hold no TAB, CR or LF and must not
// begin with '"'.
bool writableAsLast(QByteArrayView value);

// Whether bytes are well-formed GBK (ASCII, or a lead byte 0x81-0xFE with a trail byte
// 0x40-0x7E or 0x80-0xFE).
bool isValidGbk(QByteArrayView bytes);

// A date of the exchange: "yyyy-MM-dd", also with one-digit month or day ("2004-3-5").
QDate parseExchangeDate(QByteArrayView text);

// Assembles records from a member's bytes. Lines end at CR LF; a lone LF or CR is data.
// A quoted value (a TAB followed by '"') still open at a line end carries the record over
// to the next line with CR LF between.
class RecordReader {
public:
    RecordReader(QByteArray data, QString member);
    // The next record and the line it starts on (1-based); false at the end of the member.
    // Throws ExchangeError when a quoted value stays open beyond kMaxRecordBytes.
    bool next(QByteArray* record, int* startLine);

private:
    QByteArray m_data;
    QString m_member;
    qsizetype m_pos = 0;
    int m_line = 0;
};

struct SplitRecord {
    QList<QByteArray> values;  // fieldCount values (fewer pieces leave the rest empty)
    QList<QByteArray> surplus; // pieces beyond the last field, as found
};
// Splits a record into the values of a table of fieldCount fields: the first value as it
// stands, the middle ones unquoted (a quoted value may span TABs), the last one up to the
// next TAB, trimmed of blanks and line ends and not unquoted. A table of 102 fields takes 101.
SplitRecord splitRecord(const QByteArray& record, int fieldCount);

} // namespace tamsel::exchange
