// Code maintenance without windows: reading a code-table member or a copied table file into a
// new table beside the old one, checking it, and renaming it over the old one.

#include "exchange/codetables.h"

#include "engine/error.h"
#include "engine/gbk.h"
#include "exchange/archiver.h"
#include "exchange/exchangeerror.h"
#include "exchange/exchangeformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QVariant>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace tamsel::engine;

namespace tamsel::exchange {

namespace {

FieldSpec spec(const char* name, char type, int length, int decimals = 0) {
    return {QString::fromLatin1(name), type, length, decimals};
}

// The table file in the folder whatever the case of its name, or the canonical name when absent.
QString targetPath(const QString& dataFolder, const QString& tableFile) {
    const QString existing = DbfFile::resolve(dataFolder, tableFile);
    return existing.isEmpty() ? QDir(dataFolder).filePath(tableFile) : existing;
}

QString label(const QString& path) {
    return QFileInfo(path).fileName();
}

// An empty file name in the data folder for a table written beside the old one.
QString reserveTemp(const QString& dataFolder) {
    QTemporaryFile file(QDir(dataFolder).filePath(QStringLiteral(".codetable-XXXXXX.dbf")));
    file.setAutoRemove(false);
    if (!file.open()) {
        throw ExchangeError(QStringLiteral("无法在数据文件夹中建立临时文件：%1").arg(file.errorString()));
    }
    return file.fileName();
}

void syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Checks that the table file has the columns the program reads; throws naming what is wrong.
void checkColumns(const DbfFile& file, const CodeTableInfo& info, const QString& shownName) {
    const QList<Field>& fields = file.fields();
    const auto wrong = [&](const QString& why) {
        return ExchangeError(QStringLiteral("文件 %1 不是可用的代码表：%2").arg(shownName, why));
    };
    if (file.memoLayout() != MemoLayout::None) {
        throw wrong(QStringLiteral("含有备注字段"));
    }
    if (info.columns.isEmpty()) {
        // A classification tree: level, code and name in the first three columns.
        if (fields.size() < 3) {
            throw wrong(QStringLiteral("字段不足三个（级别、代码、名称）"));
        }
        const char level = fields[0].type;
        if ((level != 'N' && level != 'F' && level != 'C') || fields[1].type != 'C' ||
            fields[2].type != 'C') {
            throw wrong(QStringLiteral("前三个字段应为级别、代码、名称"));
        }
        return;
    }
    for (const QString& column : info.columns) {
        const int index = file.fieldIndex(column);
        if (index < 0 || fields[index].type != 'C') {
            throw wrong(QStringLiteral("缺少字段 %1").arg(column));
        }
    }
}

// Puts the new file in place of the table. The exclusive open proves nobody holds the table, in
// this process or another, and keeps it so until the rename is done.
void renameOver(const QString& dataFolder, const CodeTableInfo& info, const QString& newFile) {
    const QString target = targetPath(dataFolder, info.tableFile);
    std::shared_ptr<DbfFile> old;
    if (QFileInfo::exists(target)) {
        try {
            old = DbfFile::open(dataFolder, label(target), OpenMode::Exclusive);
        } catch (const EngineError& e) {
            // A damaged old table is replaced all the same; one in use is not.
            if (e.message().contains(QStringLiteral("使用"))) {
                throw;
            }
        }
    }
    syncFile(newFile);
    if (std::rename(QFile::encodeName(newFile).constData(), QFile::encodeName(target).constData()) != 0) {
        throw ExchangeError(QStringLiteral("无法替换表文件 %1：%2")
                                .arg(label(target), QString::fromLocal8Bit(strerror(errno))));
    }
}

struct TempFile {
    QString path;
    ~TempFile() {
        if (!path.isEmpty()) {
            QFile::remove(path);
        }
    }
};

} // namespace

const CodeTableInfo& codeTableInfo(CodeTable table) {
    static const CodeTableInfo infos[] = {
        {QStringLiteral("DFJHZDXX.DBF"),
         QStringLiteral("DFJHXX.ARJ"),
         QStringLiteral("DFJHXX.TXT"),
         QStringLiteral("DFJHZDXX.DBF"),
         {QStringLiteral("ITEM_126"), QStringLiteral("ITEM_41_"), QStringLiteral("XXMC")},
         {spec("ITEM_126", 'C', 2), spec("ITEM_41_", 'C', 2), spec("XXMC", 'C', 80)}},
        {QStringLiteral("ztflh.dbf"),
         QStringLiteral("ZTFLB.ARJ"),
         QStringLiteral("ZTFL.TXT"),
         QStringLiteral("ZTFLH.DBF"),
         {},
         {spec("JB", 'N', 2), spec("XXDM", 'C', 12), spec("XXMC", 'C', 100)}},
        {QStringLiteral("xkfl.dbf"),
         QStringLiteral("XKFLB.ARJ"),
         QStringLiteral("XKFL.TXT"),
         QStringLiteral("XKFL.DBF"),
         {},
         {spec("JB", 'N', 2), spec("XXDM", 'C', 10), spec("XXMC", 'C', 100)}},
        {QStringLiteral("lsbw.dbf"),
         QStringLiteral("LSBWB.ARJ"),
         QStringLiteral("LSBW.TXT"),
         QStringLiteral("LSBW.DBF"),
         {QStringLiteral("BWDM"), QStringLiteral("BWMC")},
         {spec("BWDM", 'C', 3), spec("BWMC", 'C', 80)}},
    };
    return infos[static_cast<int>(table)];
}

bool isArchiveName(CodeTable table, const QString& path) {
    return path.endsWith(codeTableInfo(table).archive, Qt::CaseInsensitive);
}

bool isCopyName(CodeTable table, const QString& path) {
    return QFileInfo(path).fileName().compare(codeTableInfo(table).copyName, Qt::CaseInsensitive) == 0;
}

int replaceFromMember(const QString& dataFolder, CodeTable table, const QByteArray& member) {
    const CodeTableInfo& info = codeTableInfo(table);

    // The new table takes the old one's fields (or the delivered layout when there is none).
    QList<FieldSpec> specs = info.schema;
    CreateOptions options;
    const QString target = DbfFile::resolve(dataFolder, info.tableFile);
    std::shared_ptr<DbfFile> old;
    if (!target.isEmpty()) {
        try {
            old = DbfFile::open(dataFolder, label(target));
        } catch (const EngineError&) {
            // A damaged table is rebuilt in the delivered layout.
        }
    }
    if (old) {
        checkColumns(*old, info, label(target));
        specs.clear();
        for (const Field& f : old->fields()) {
            specs.append({f.name, f.type, f.length, f.decimals});
        }
        options.version = old->version();
        options.languageDriver = old->languageDriver();
        old.reset();
    }

    TempFile temp{reserveTemp(dataFolder)};
    QFile::remove(temp.path);
    DbfFile::create(temp.path, specs, options);
    int rows = 0;
    {
        const std::shared_ptr<DbfFile> out = DbfFile::open(dataFolder, label(temp.path), OpenMode::Exclusive);
        const QList<Field>& fields = out->fields();
        const int n = int(fields.size());
        const QByteArray blank = out->blankRecord();
        RecordReader reader(member, info.member);
        QByteArray record;
        int line = 0;
        while (reader.next(&record, &line)) {
            if (record.trimmed().isEmpty()) {
                continue;
            }
            // One more value than fields: the last field is then read as a middle one, so a
            // name written quoted (holding a TAB or a line end) arrives unquoted and whole.
            SplitRecord split = splitRecord(record, n + 1);
            QByteArray bytes = blank;
            QHash<int, QVariant> typed;
            for (int f = 0; f < n; ++f) {
                QByteArrayView v = split.values[f];
                if (f == n - 1) {
                    v = v.trimmed();
                }
                const Field& field = fields[f];
                const auto bad = [&](const QString& why) {
                    return ExchangeError(QStringLiteral("%1 第 %2 行，字段 %3：%4，代码表没有更新")
                                             .arg(info.member)
                                             .arg(line)
                                             .arg(field.name, why));
                };
                if (field.type == 'C') {
                    if (!isValidGbk(v)) {
                        throw bad(QStringLiteral("含有无法识别的 GBK 字节"));
                    }
                    if (v.size() > field.length) {
                        throw bad(QStringLiteral("长度 %1 字节，超过字段宽度 %2 字节")
                                      .arg(v.size())
                                      .arg(field.length));
                    }
                    std::memcpy(bytes.data() + field.offset, v.data(), size_t(v.size()));
                } else if (field.type == 'N' || field.type == 'F') {
                    const QByteArray t = v.trimmed().toByteArray();
                    if (t.isEmpty()) {
                        continue;
                    }
                    bool ok = false;
                    const double d = t.toDouble(&ok);
                    if (!ok || QString::number(d, 'f', field.decimals).size() > field.length) {
                        throw bad(QStringLiteral("“%1”不是合适的数字").arg(QString::fromLatin1(t)));
                    }
                    typed.insert(f, d);
                } else {
                    if (!isValidGbk(v)) {
                        throw bad(QStringLiteral("含有无法识别的 GBK 字节"));
                    }
                    typed.insert(f, decodeGbk(v.data(), v.size()));
                }
            }
            try {
                out->appendRecord(typed.isEmpty() ? bytes : out->buildRecord(bytes, typed));
            } catch (const EngineError& e) {
                throw ExchangeError(QStringLiteral("%1 第 %2 行：%3，代码表没有更新")
                                        .arg(info.member)
                                        .arg(line)
                                        .arg(e.message()));
            }
            ++rows;
        }
    }
    renameOver(dataFolder, info, temp.path);
    temp.path.clear();
    return rows;
}

int replaceFromArchive(const QString& dataFolder, CodeTable table, const QString& archivePath) {
    const CodeTableInfo& info = codeTableInfo(table);
    QTemporaryDir unpacked;
    if (!unpacked.isValid()) {
        throw ExchangeError(QStringLiteral("无法建立临时文件夹：%1").arg(unpacked.errorString()));
    }
    const QStringList members = Archiver::extract(archivePath, unpacked.path());
    QString memberPath;
    for (const QString& path : members) {
        if (QFileInfo(path).fileName().compare(info.member, Qt::CaseInsensitive) == 0) {
            memberPath = path;
        }
    }
    if (memberPath.isEmpty()) {
        throw ExchangeError(
            QStringLiteral("%1 中没有 %2，代码表没有更新").arg(label(archivePath), info.member));
    }
    QFile in(memberPath);
    if (!in.open(QIODevice::ReadOnly)) {
        throw ExchangeError(QStringLiteral("无法读取 %1：%2").arg(info.member, in.errorString()));
    }
    return replaceFromMember(dataFolder, table, in.readAll());
}

void replaceByCopy(const QString& dataFolder, CodeTable table, const QString& sourcePath) {
    const CodeTableInfo& info = codeTableInfo(table);
    TempFile temp{reserveTemp(dataFolder)};
    QFile::remove(temp.path);
    QFile source(sourcePath);
    if (!source.copy(temp.path)) {
        throw ExchangeError(
            QStringLiteral("无法复制文件 %1：%2").arg(label(sourcePath), source.errorString()));
    }
    if (QFileInfo(temp.path).size() != QFileInfo(sourcePath).size()) {
        throw ExchangeError(QStringLiteral("文件 %1 没有完整复制，代码表没有更新").arg(label(sourcePath)));
    }
    try {
        const std::shared_ptr<DbfFile> copy = DbfFile::open(dataFolder, label(temp.path));
        checkColumns(*copy, info, label(sourcePath));
        // Every record is there: a file cut short is refused, not read as fewer rows.
        const qint64 expected =
            qint64(copy->headerLength()) + qint64(copy->recordLength()) * copy->recordCount();
        if (QFileInfo(temp.path).size() < expected) {
            throw ExchangeError(QStringLiteral("文件 %1 不完整，代码表没有更新").arg(label(sourcePath)));
        }
    } catch (const EngineError& e) {
        throw ExchangeError(
            QStringLiteral("文件 %1 不是可用的表文件：%2").arg(label(sourcePath), e.message()));
    }
    renameOver(dataFolder, info, temp.path);
    temp.path.clear();
}

} // namespace tamsel::exchange
