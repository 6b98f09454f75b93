// Writing and reading the lines of the exchange members, on GBK bytes.

#include "exchange/exchangeformat.h"

#include "exchange/exchangeerror.h"

namespace tamsel::exchange {

const QStringList& memberNames() {
    static const QStringList names{QStringLiteral("PELK.TXT"),  QStringLiteral("CGWCDW.TXT"),
                                   QStringLiteral("CGWCR.TXT"), QStringLiteral("JDWYHMD.TXT"),
                                   QStringLiteral("ZLQK.TXT"),  QStringLiteral("UNIT.TXT"),
                                   QStringLiteral("EXPERT.TXT")};
    return names;
}

QString exchangeName(const QString& member) {
    const qsizetype dot = member.lastIndexOf(u'.');
    return (dot < 0 ? member : member.left(dot)).toUpper();
}

QString localTable(const QString& name) {
    if (name.compare(QLatin1String("EXPERT"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral("unitexpert");
    }
    return name.toLower();
}

QByteArray crlfLineBreaks(QByteArrayView value) {
    if (!value.contains('\n') && !value.contains('\r')) {
        return value.toByteArray();
    }
    QByteArray out;
    out.reserve(value.size() + 16);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < value.size() && value[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

void appendQuoted(QByteArray& line, QByteArrayView value) {
    bool plain = true;
    for (const char c : value) {
        if (c == '\t' || c == '\r' || c == '\n' || c == '"') {
            plain = false;
            break;
        }
    }
    if (plain) {
        line += value;
        return;
    }
    const QByteArray v = crlfLineBreaks(value);
    const bool quote = v.startsWith('"') || v.contains('\t') || v.contains('\r');
    if (!quote) {
        line += v;
        return;
    }
    line += '"';
    for (const char c : v) {
        if (c == '"') {
            line += '"';
        }
        line += c;
    }
    line += '"';
}

bool writableAsLast(QByteArrayView value) {
    return !value.startsWith('"') && !value.contains('\t') && !value.contains('\r') && !value.contains('\n');
}

bool isValidGbk(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            continue;
        }
        if (c == 0x80 || c == 0xFF || i + 1 >= n) {
            return false;
        }
        const unsigned char t = p[++i];
        if (t < 0x40 || t == 0x7F || t == 0xFF) {
            return false;
        }
    }
    return true;
}

QDate parseExchangeDate(QByteArrayView text) {
    const QList<QByteArray> parts = text.trimmed().toByteArray().split('-');
    if (parts.size() != 3 || parts[0].size() != 4 || parts[1].isEmpty() || parts[1].size() > 2 ||
        parts[2].isEmpty() || parts[2].size() > 2) {
        return {};
    }
    int numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        for (const char c : parts[i]) {
            if (c < '0' || c > '9') {
                return {};
            }
            numbers[i] = numbers[i] * 10 + (c - '0');
        }
    }
    return QDate(numbers[0], numbers[1], numbers[2]);
}

RecordReader::RecordReader(QByteArray data, QString member)
    : m_data(std::move(data)), m_member(std::move(member)) {}

bool RecordReader::next(QByteArray* record, int* startLine) {
    record->clear();
    const qsizetype size = m_data.size();
    if (m_pos >= size) {
        return false;
    }
    *startLine = m_line + 1;
    bool inQuote = false;
    int quotes = 0;
    while (true) {
        qsizetype end = m_data.indexOf("\r\n", m_pos);
        qsizetype nextPos = end + 2;
        if (end < 0) {
            end = size;
            nextPos = size;
        }
        ++m_line;
        const char* p = m_data.constData();
        for (qsizetype i = m_pos; i < end; ++i) {
            const char c = p[i];
            if (inQuote) {
                if (c == '"' && ++quotes % 2 == 0 && (i + 1 == end || p[i + 1] == '\t')) {
                    inQuote = false;
                }
            } else if (c == '\t' && i + 1 < end && p[i + 1] == '"') {
                inQuote = true;
                quotes = 0;
            }
        }
        record->append(p + m_pos, end - m_pos);
        m_pos = nextPos;
        if (record->size() > kMaxRecordBytes) {
            throw ExchangeError(QStringLiteral("%1 第 %2 行起的记录超过 1 MB，引号可能没有结束，导入包被拒绝")
                                    .arg(m_member)
                                    .arg(*startLine));
        }
        if (!inQuote) {
            return true;
        }
        if (m_pos >= size) {
            throw ExchangeError(
                QStringLiteral("%1 第 %2 行起的引号没有结束，导入包被拒绝").arg(m_member).arg(*startLine));
        }
        record->append("\r\n");
    }
}

namespace {

QByteArray unquote(QByteArrayView quoted) {
    QByteArray out;
    if (quoted.size() < 2) {
        return out;
    }
    const QByteArrayView inner = quoted.sliced(1, quoted.size() - 2);
    out.reserve(inner.size());
    for (qsizetype i = 0; i < inner.size(); ++i) {
        out += inner[i];
        if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') {
            ++i;
        }
    }
    return out;
}

QByteArrayView trimmedLast(QByteArrayView v) {
    qsizetype b = 0;
    qsizetype e = v.size();
    auto blank = [](char c) { return c == ' ' || c == '\r' || c == '\n'; };
    while (b < e && blank(v[b])) {
        ++b;
    }
    while (e > b && blank(v[e - 1])) {
        --e;
    }
    return v.sliced(b, e - b);
}

} // namespace

SplitRecord splitRecord(const QByteArray& record, int fieldCount) {
    const int n = fieldCount == 102 ? 101 : fieldCount;
    SplitRecord out;
    out.values.resize(n);
    if (n <= 0) {
        return out;
    }
    const QByteArrayView all(record);
    qsizetype pos = 0;
    bool more = true;
    // The next TAB-delimited piece; more turns false after the last one.
    auto piece = [&]() {
        const qsizetype tab = all.indexOf('\t', pos);
        QByteArrayView p;
        if (tab < 0) {
            p = all.sliced(pos);
            pos = all.size();
            more = false;
        } else {
            p = all.sliced(pos, tab - pos);
            pos = tab + 1;
        }
        return p;
    };
    if (n == 1) {
        out.values[0] = trimmedLast(piece()).toByteArray();
    } else {
        out.values[0] = piece().toByteArray();
    }
    for (int f = 1; f < n - 1 && more; ++f) {
        const QByteArrayView p = piece();
        qsizetype lead = 0;
        while (lead < p.size() && p[lead] == '"') {
            ++lead;
        }
        if (lead % 2 == 1) {
            const qsizetype begin = p.data() - all.data();
            qsizetype quotes = p.count('"');
            qsizetype end = begin + p.size();
            while (quotes % 2 == 1 && more) {
                const QByteArrayView next = piece();
                quotes += next.count('"');
                end = (next.data() - all.data()) + next.size();
            }
            out.values[f] = unquote(all.sliced(begin, end - begin));
        } else if (lead > 0) {
            out.values[f] = unquote(p);
        } else {
            out.values[f] = p.toByteArray();
        }
    }
    if (n > 1 && more) {
        out.values[n - 1] = trimmedLast(piece()).toByteArray();
    }
    while (more) {
        out.surplus.append(piece().toByteArray());
    }
    return out;
}

} // namespace tamsel::exchange
