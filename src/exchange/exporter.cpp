// Export of achievements into cgsbqy.arj.

#include "exchange/exporter.h"

#include "engine/dbffile.h"
#include "engine/error.h"
#include "engine/gbk.h"
#include "exchange/archiver.h"
#include "exchange/exchangeerror.h"
#include "exchange/exchangeformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

using namespace tamsel::engine;

namespace tamsel::exchange {

namespace {

// The shortest decimal text of a stored number, straight from its bytes when they are plain
// ("12.50" -> "12.5"); anything unusual goes through the engine.
QByteArray numberBytes(const DbfFile& file, const char* rec, int i) {
    const QByteArrayView raw = file.rawText(rec, i);
    if (raw.isEmpty()) {
        return {};
    }
    qsizetype p = raw.startsWith('-') ? 1 : 0;
    const qsizetype digitsStart = p;
    qsizetype dot = -1;
    for (; p < raw.size(); ++p) {
        const char c = raw[p];
        if (c == '.' && dot < 0) {
            dot = p;
        } else if (c < '0' || c > '9') {
            return file.text(rec, i).toLatin1();
        }
    }
    const qsizetype intDigits = (dot < 0 ? raw.size() : dot) - digitsStart;
    if (intDigits == 0 || (raw[digitsStart] == '0' && intDigits > 1) || digitsStart == 1) {
        return file.text(rec, i).toLatin1();
    }
    QByteArray out = raw.toByteArray();
    if (dot >= 0) {
        while (out.endsWith('0')) {
            out.chop(1);
        }
        if (out.endsWith('.')) {
            out.chop(1);
        }
    }
    return out;
}

QByteArray valueBytes(const DbfFile& file, const char* rec, int i) {
    const Field& f = file.fields()[i];
    switch (f.type) {
    case 'C':
        return crlfLineBreaks(file.rawText(rec, i));
    case 'N':
    case 'F':
        return numberBytes(file, rec, i);
    case 'D': {
        const QByteArrayView raw = file.rawText(rec, i);
        if (raw.size() == 8 && raw.front() >= '0' && raw.front() <= '9') {
            QByteArray out;
            out.reserve(10);
            out.append(raw.sliced(0, 4))
                .append('-')
                .append(raw.sliced(4, 2))
                .append('-')
                .append(raw.sliced(6, 2));
            return out;
        }
        return file.text(rec, i).toLatin1();
    }
    default: {
        QByteArray out;
        encodeGbk(file.text(rec, i), &out);
        return crlfLineBreaks(out);
    }
    }
}

// A member file of the private folder, written through a large buffer.
class MemberWriter {
public:
    MemberWriter(const QString& folder, const QString& member) : m_file(QDir(folder).filePath(member)) {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            throw ExchangeError(QStringLiteral("无法写入 %1：%2").arg(member, m_file.errorString()));
        }
        m_buffer.reserve(kFlush + 65536);
    }
    void line(const QByteArray& bytes) {
        m_buffer += bytes;
        m_buffer += "\r\n";
        if (m_buffer.size() >= kFlush) {
            flush();
        }
    }
    void close() {
        flush();
        m_file.close();
    }

private:
    static constexpr qsizetype kFlush = 1 << 20;
    void flush() {
        if (m_file.write(m_buffer) != m_buffer.size()) {
            throw ExchangeError(
                QStringLiteral("无法写入 %1：%2").arg(m_file.fileName(), m_file.errorString()));
        }
        m_buffer.clear();
    }
    QFile m_file;
    QByteArray m_buffer;
};

[[noreturn]] void unwritable(const QString& who, const QString& member, const QString& field) {
    throw ExchangeError(
        QStringLiteral("%1在 %2 中的字段 %3 的值无法写入交换文件（以引号开头，或含有制表符、回车、换行），"
                       "导出已停止，没有写入任何文件")
            .arg(who, member, field));
}

QString achievementName(const QByteArray& key) {
    const qsizetype nul = key.indexOf('\0');
    return QStringLiteral("成果 %1（地区代码 %2）")
        .arg(decodeGbk(key.left(nul)), decodeGbk(key.mid(nul + 1)));
}

// Appends a field's value under the quoting rule, straight from the record for text fields.
void appendField(QByteArray& line, const DbfFile& file, const char* rec, int i) {
    if (file.fields()[i].type == 'C') {
        appendQuoted(line, file.rawText(rec, i));
    } else {
        appendQuoted(line, valueBytes(file, rec, i));
    }
}

} // namespace

QByteArray achievementKey(QByteArrayView number, QByteArrayView region) {
    QByteArray key = number.trimmed().toByteArray();
    key += '\0';
    key += region.trimmed();
    return key;
}

QByteArray achievementKey(const QString& number, const QString& region) {
    QByteArray n;
    QByteArray r;
    encodeGbk(number, &n);
    encodeGbk(region, &r);
    return achievementKey(QByteArrayView(n), QByteArrayView(r));
}

Exporter::Exporter(QString dataFolder) : m_folder(std::move(dataFolder)) {}

QList<QByteArray> Exporter::keys(const QString& yearPrefix) const {
    const auto pelk = DbfFile::open(m_folder, QStringLiteral("pelk.dbf"));
    const int i4 = pelk->fieldIndex(u"ITEM_4");
    const int iq = pelk->fieldIndex(u"ITEM_DQDM");
    const QByteArray prefix = yearPrefix.toLatin1();
    QList<QByteArray> out;
    for (quint32 r = 0; r < pelk->recordCount(); ++r) {
        if (pelk->isDeleted(r)) {
            continue;
        }
        const char* rec = pelk->recordData(r);
        const QByteArrayView number = pelk->rawText(rec, i4).trimmed();
        if (number.startsWith(prefix)) {
            out.append(achievementKey(number, pelk->rawText(rec, iq)));
        }
    }
    return out;
}

int Exporter::resetFlags() const {
    const auto pelk = DbfFile::open(m_folder, QStringLiteral("pelk.dbf"));
    const int flag = pelk->fieldIndex(u"ITEM_SJDC");
    const int offset = pelk->fields()[flag].offset;
    int changed = 0;
    for (quint32 r = 0; r < pelk->recordCount(); ++r) {
        const char* rec = pelk->recordData(r);
        if (!pelk->isDeleted(r) && rec[offset] != '0') {
            QByteArray bytes(rec, pelk->recordLength());
            std::memset(bytes.data() + offset, ' ', size_t(pelk->fields()[flag].length));
            bytes[offset] = '0';
            pelk->writeRecord(r, bytes);
            ++changed;
        }
    }
    return changed;
}

ExportResult Exporter::exportTo(const QString& targetFolder, const QSet<QByteArray>& keys,
                                const Progress& progress) const {
    if (!QFileInfo(targetFolder).isDir()) {
        throw ExchangeError(
            QStringLiteral("导出文件夹 %1 不存在").arg(QDir::toNativeSeparators(targetFolder)));
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        throw ExchangeError(QStringLiteral("无法建立临时文件夹：%1").arg(work.errorString()));
    }
    ExportResult result;
    const auto pelk = DbfFile::open(m_folder, QStringLiteral("pelk.dbf"));
    const int i4 = pelk->fieldIndex(u"ITEM_4");
    const int iq = pelk->fieldIndex(u"ITEM_DQDM");
    const int flag = pelk->fieldIndex(u"ITEM_SJDC");
    QList<quint32> written;
    QByteArray line;
    {
        MemberWriter out(work.path(), QStringLiteral("PELK.TXT"));
        const int n = int(pelk->fields().size()) - 1; // the table's last field is not carried
        const quint32 count = pelk->recordCount();
        for (quint32 r = 0; r < count; ++r) {
            if (progress && (r & 1023) == 0) {
                progress(r, qint64(count) * 2);
            }
            if (pelk->isDeleted(r)) {
                continue;
            }
            const char* rec = pelk->recordData(r);
            if (!keys.contains(achievementKey(pelk->rawText(rec, i4), pelk->rawText(rec, iq)))) {
                continue;
            }
            line.clear();
            for (int i = 0; i < n; ++i) {
                if (i == flag) {
                    line += '0';
                } else {
                    appendField(line, *pelk, rec, i);
                }
                line += '\t';
            }
            out.line(line);
            written.append(r);
        }
        out.close();
    }
    result.achievements = int(written.size());

    const char* const children[] = {"CGWCDW", "CGWCR", "JDWYHMD", "ZLQK"};
    for (int c = 0; c < 4; ++c) {
        const QString name = QString::fromLatin1(children[c]);
        const QString member = name + QStringLiteral(".TXT");
        const auto table = DbfFile::open(m_folder, localTable(name) + QStringLiteral(".dbf"));
        const int c4 = table->fieldIndex(u"ITEM_4");
        const int cq = table->fieldIndex(u"ITEM_DQDM");
        const int n = int(table->fields().size());
        const bool flagLast =
            table->fields().last().name.compare(QLatin1String("ITEM_188"), Qt::CaseInsensitive) == 0;
        MemberWriter out(work.path(), member);
        const quint32 count = table->recordCount();
        for (quint32 r = 0; r < count; ++r) {
            if (progress && (r & 8191) == 0) {
                progress(qint64(pelk->recordCount()) * (4 + c) / 4, qint64(pelk->recordCount()) * 2);
            }
            if (table->isDeleted(r)) {
                continue;
            }
            const char* rec = table->recordData(r);
            const QByteArray key = achievementKey(table->rawText(rec, c4), table->rawText(rec, cq));
            if (!keys.contains(key)) {
                continue;
            }
            line.clear();
            for (int i = 0; i < n - 1; ++i) {
                appendField(line, *table, rec, i);
                line += '\t';
            }
            if (flagLast) {
                line += table->rawText(rec, n - 1) == "1" ? '1' : '0';
            } else {
                const QByteArray last = valueBytes(*table, rec, n - 1);
                if (!writableAsLast(last)) {
                    unwritable(achievementName(key), member, table->fields()[n - 1].name);
                }
                line += last;
            }
            out.line(line);
            ++result.childRows[c];
        }
        out.close();
    }

    {
        const auto unit = DbfFile::open(m_folder, QStringLiteral("unit.dbf"));
        const int n = int(unit->fields().size());
        MemberWriter out(work.path(), QStringLiteral("UNIT.TXT"));
        for (quint32 r = 0; r < unit->recordCount(); ++r) {
            if (unit->isDeleted(r)) {
                continue;
            }
            const char* rec = unit->recordData(r);
            line.clear();
            for (int i = 0; i < n - 1; ++i) {
                appendField(line, *unit, rec, i);
                line += '\t';
            }
            const QByteArray last = valueBytes(*unit, rec, n - 1);
            if (last.contains('\t') || last.contains('\r') || last.contains('\n')) {
                unwritable(QStringLiteral("单位情况"), QStringLiteral("UNIT.TXT"),
                           unit->fields()[n - 1].name);
            }
            line += '"' + last + '"';
            out.line(line);
        }
        out.close();
    }
    {
        const auto expert = DbfFile::open(m_folder, QStringLiteral("unitexpert.dbf"));
        const char* const names[] = {"unitcode", "item_187", "item_180",  "item_181",
                                     "item_182", "item_186", "item_124_1"};
        int index[7];
        for (int i = 0; i < 7; ++i) {
            index[i] = expert->fieldIndex(QString::fromLatin1(names[i]));
            if (index[i] < 0) {
                throw ExchangeError(
                    QStringLiteral("unitexpert.dbf 缺少字段 %1").arg(QString::fromLatin1(names[i])));
            }
        }
        MemberWriter out(work.path(), QStringLiteral("EXPERT.TXT"));
        for (quint32 r = 0; r < expert->recordCount(); ++r) {
            if (expert->isDeleted(r)) {
                continue;
            }
            const char* rec = expert->recordData(r);
            line.clear();
            for (int i = 0; i < 6; ++i) {
                appendField(line, *expert, rec, index[i]);
                line += '\t';
            }
            const QByteArray last = valueBytes(*expert, rec, index[6]);
            if (!writableAsLast(last)) {
                unwritable(QStringLiteral("学科带头人"), QStringLiteral("EXPERT.TXT"),
                           expert->fields()[index[6]].name);
            }
            line += last;
            out.line(line);
        }
        out.close();
    }

    const QString archive = QString::fromLatin1(kArchiveName);
    Archiver::pack(work.path(), archive, memberNames());

    // Only now does the user's folder change: the finished archive replaces the old one.
    {
        QFile built(QDir(work.path()).filePath(archive));
        QSaveFile target(QDir(targetFolder).filePath(archive));
        if (!built.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly)) {
            throw ExchangeError(
                QStringLiteral("无法写入 %1：%2").arg(target.fileName(), target.errorString()));
        }
        if (target.write(built.readAll()) != built.size() || !target.commit()) {
            throw ExchangeError(
                QStringLiteral("无法写入 %1：%2").arg(target.fileName(), target.errorString()));
        }
        result.archivePath = target.fileName();
    }

    const int offset = pelk->fields()[flag].offset;
    for (const quint32 r : std::as_const(written)) {
        const char* rec = pelk->recordData(r);
        if (rec[offset] != '1') {
            QByteArray bytes(rec, pelk->recordLength());
            bytes[offset] = '1';
            pelk->writeRecord(r, bytes);
        }
    }
    if (progress) {
        progress(1, 1);
    }
    return result;
}

} // namespace tamsel::exchange
