// Reading exchange members into the import twins, with a check of every value.

#include "exchange/twinreader.h"

#include "engine/dbffile.h"
#include "engine/error.h"
#include "engine/gbk.h"
#include "exchange/exchangeerror.h"
#include "exchange/exchangeformat.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <cstring>

using namespace tamsel::engine;

namespace tamsel::exchange {

namespace {

const QStringList& readOrder() {
    static const QStringList names{QStringLiteral("PELK.TXT"),  QStringLiteral("CGWCDW.TXT"),
                                   QStringLiteral("CGWCR.TXT"), QStringLiteral("JDWYHMD.TXT"),
                                   QStringLiteral("ZLQK.TXT"),  QStringLiteral("UNIT.TXT")};
    return names;
}

QString findMember(const QString& folder, const QString& member) {
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    for (const QString& e : entries) {
        if (e.compare(member, Qt::CaseInsensitive) == 0) {
            return QDir(folder).filePath(e);
        }
    }
    return {};
}

// Checks one value and puts it into the record (text fields) or into typed (the rest).
// Returns what is wrong with it, or an empty string.
QString putValue(const Field& f, int index, QByteArrayView v, char* record, QHash<int, QVariant>& typed,
                 bool todayForBadDate, QString* note) {
    switch (f.type) {
    case 'N':
    case 'F': {
        const QByteArray t = v.trimmed().toByteArray();
        if (t.isEmpty()) {
            return {};
        }
        bool ok = false;
        const double d = t.toDouble(&ok);
        if (!ok) {
            return QStringLiteral("“%1”不是数字").arg(QString::fromLatin1(t));
        }
        if (QString::number(d, 'f', f.decimals).size() > f.length) {
            return QStringLiteral("数值 %1 超过 %2 位的宽度").arg(QString::fromLatin1(t)).arg(f.length);
        }
        typed.insert(index, d);
        return {};
    }
    case 'D': {
        if (v.trimmed().isEmpty()) {
            return {};
        }
        QDate date = parseExchangeDate(v);
        if (!date.isValid()) {
            if (!todayForBadDate) {
                return QStringLiteral("“%1”不是日期").arg(decodeGbk(v.data(), v.size()));
            }
            date = QDate::currentDate();
            *note = QStringLiteral("日期“%1”无法识别，改为今天 %2")
                        .arg(decodeGbk(v.data(), v.size()), date.toString(QStringLiteral("yyyy-MM-dd")));
        }
        typed.insert(index, date);
        return {};
    }
    case 'M':
        if (!isValidGbk(v)) {
            return QStringLiteral("含有无法识别的 GBK 字节");
        }
        if (!v.isEmpty()) {
            // Our pages keep memo lines with LF; the format carries them as CR LF.
            typed.insert(index,
                         decodeGbk(v.data(), v.size()).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        }
        return {};
    case 'L':
        typed.insert(index, QString::fromLatin1(v.trimmed()));
        return {};
    default:
        if (!isValidGbk(v)) {
            return QStringLiteral("含有无法识别的 GBK 字节");
        }
        if (v.size() > f.length) {
            return QStringLiteral("长度 %1 字节，超过字段宽度 %2 字节").arg(v.size()).arg(f.length);
        }
        std::memcpy(record + f.offset, v.data(), size_t(v.size()));
        return {};
    }
}

QByteArray trimmedBytes(QByteArrayView v) {
    return v.trimmed().toByteArray();
}

} // namespace

QString twinTable(const QString& exchangeName) {
    return exchangeName + QStringLiteral("temp.dbf");
}

void emptyTwins(const QString& dataFolder) {
    for (const QString& member : readOrder()) {
        const QString twin = twinTable(exchangeName(member));
        {
            const auto file = DbfFile::open(dataFolder, twin);
            for (quint32 r = 0; r < file->recordCount(); ++r) {
                if (!file->isDeleted(r)) {
                    file->setDeleted(r, true);
                }
            }
        }
        // Down to a bare header; while a window of the program holds the twin open the rows
        // stay marked deleted until the next start packs them.
        try {
            DbfFile::open(dataFolder, twin, OpenMode::Exclusive)->pack();
        } catch (const EngineError&) {
        }
    }
}

namespace {

ReadReport readInto(const QString& memberFolder, const QString& dataFolder, bool store,
                    const Progress& progress);

} // namespace

ReadReport readMembers(const QString& memberFolder, const QString& dataFolder, bool store,
                       const Progress& progress) {
    try {
        return readInto(memberFolder, dataFolder, store, progress);
    } catch (...) {
        if (store) {
            emptyTwins(dataFolder);
        }
        throw;
    }
}

namespace {

ReadReport readInto(const QString& memberFolder, const QString& dataFolder, bool store,
                    const Progress& progress) {
    ReadReport report;
    QStringList paths;
    qint64 totalBytes = 0;
    for (int m = 0; m < readOrder().size(); ++m) {
        const QString path = findMember(memberFolder, readOrder()[m]);
        paths << path;
        if (path.isEmpty() && m < 5) {
            report.problems << QStringLiteral("文件的格式不正确：导入包中没有 %1").arg(readOrder()[m]);
        }
        totalBytes += path.isEmpty() ? 0 : QFileInfo(path).size();
    }
    if (!report.ok()) {
        return report;
    }
    if (store) {
        emptyTwins(dataFolder);
    }
    qint64 doneBytes = 0;
    QSet<QByteArray> keys;
    for (int m = 0; m < readOrder().size(); ++m) {
        const QString& member = readOrder()[m];
        if (paths[m].isEmpty()) {
            continue;
        }
        QFile in(paths[m]);
        if (!in.open(QIODevice::ReadOnly)) {
            throw ExchangeError(QStringLiteral("无法读取 %1：%2").arg(member, in.errorString()));
        }
        const QByteArray data = in.readAll();
        in.close();
        const auto twin = DbfFile::open(dataFolder, twinTable(exchangeName(member)));
        const QList<Field>& fields = twin->fields();
        const bool isPelk = m == 0;
        const bool isUnit = m == 5;
        const int dateField = isPelk ? 5 : -1;
        const int i4 = twin->fieldIndex(u"ITEM_4");
        const int iq = twin->fieldIndex(u"ITEM_DQDM");
        const int icat = twin->fieldIndex(u"ITEM_CGLB");
        const QByteArray blank = twin->blankRecord();
        MemberCount count{member, 0};
        RecordReader reader(data, member);
        QByteArray record;
        int line = 0;
        qsizetype consumed = 0;
        while (reader.next(&record, &line)) {
            consumed += record.size() + 2;
            if (progress && (count.rows & 255) == 0) {
                progress(doneBytes + consumed, totalBytes);
            }
            if (record.trimmed().isEmpty()) {
                continue;
            }
            SplitRecord split = splitRecord(record, int(fields.size()));
            if (isUnit) {
                // The last value of UNIT.TXT travels in quotes of its own.
                QByteArray& last = split.values.last();
                if (last.size() >= 2 && last.startsWith('"') && last.endsWith('"')) {
                    last = last.mid(1, last.size() - 2);
                }
            }
            QByteArray bytes = blank;
            QHash<int, QVariant> typed;
            bool rowOk = true;
            for (int f = 0; f < split.values.size(); ++f) {
                QString note;
                const QString fault =
                    putValue(fields[f], f, split.values[f], bytes.data(), typed, f == dateField, &note);
                if (!fault.isEmpty()) {
                    report.problems << QStringLiteral("%1 第 %2 行，字段 %3：%4")
                                           .arg(member)
                                           .arg(line)
                                           .arg(fields[f].name, fault);
                    rowOk = false;
                }
                if (!note.isEmpty()) {
                    report.notes << QStringLiteral("%1 第 %2 行，字段 %3：%4")
                                        .arg(member)
                                        .arg(line)
                                        .arg(fields[f].name, note);
                }
            }
            bool surplus = false;
            for (const QByteArray& s : std::as_const(split.surplus)) {
                surplus = surplus || !s.trimmed().isEmpty();
            }
            if (surplus) {
                report.notes << QStringLiteral("%1 第 %2 行：多出 %3 个值，未读入")
                                    .arg(member)
                                    .arg(line)
                                    .arg(split.surplus.size());
            }
            if (isPelk && i4 >= 0 && iq >= 0) {
                const QByteArray number = trimmedBytes(split.values.value(i4));
                const QByteArray region = trimmedBytes(split.values.value(iq));
                if (keys.contains(number + '\0' + region)) {
                    report.problems << QStringLiteral(
                                           "%1 第 %2 行：成果管理编号 %3（地区代码 %4）在导入包中重复")
                                           .arg(member)
                                           .arg(line)
                                           .arg(QString::fromLatin1(number), QString::fromLatin1(region));
                    rowOk = false;
                }
                keys.insert(number + '\0' + region);
                ++report.achievements;
                const QByteArray cat = icat >= 0 ? trimmedBytes(split.values.value(icat)) : QByteArray();
                const int c = cat == "1" ? 0 : cat == "2" ? 1 : cat == "3" ? 2 : 3;
                ++report.byCategory[c];
            }
            ++count.rows;
            if (store && rowOk && report.ok()) {
                try {
                    twin->appendRecord(twin->buildRecord(bytes, typed));
                } catch (const EngineError& e) {
                    report.problems
                        << QStringLiteral("%1 第 %2 行：%3").arg(member).arg(line).arg(e.message());
                }
            }
        }
        doneBytes += data.size();
        report.members << count;
    }
    if (progress) {
        progress(totalBytes, totalBytes);
    }
    if (store && !report.ok()) {
        emptyTwins(dataFolder);
    }
    return report;
}

} // namespace

} // namespace tamsel::exchange
