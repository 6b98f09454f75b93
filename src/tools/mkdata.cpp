// tamsel-mkdata SRC_DIR OUT_DIR
//
// Writes the delivered data folder: every SRC_DIR/<table file name>.txt becomes the GBK dBase
// table <table file name> in OUT_DIR (text format: data-src/tables/README.md). Any error names
// the source file, line and field, leaves no partly written table behind and ends with exit 1,
// so the build fails instead of shipping a damaged folder.

#include "engine/dbffile.h"
#include "engine/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QVariant>
#include <cstdio>
#include <optional>

using tamsel::engine::CreateOptions;
using tamsel::engine::DbfFile;
using tamsel::engine::EngineError;
using tamsel::engine::FieldSpec;

namespace {

struct SourceRow {
    int line = 0;
    QStringList values;
};

struct Source {
    QString path;
    QString tableFile; // the source's name without ".txt"
    std::optional<quint8> version;
    QList<FieldSpec> fields;
    QList<int> fieldLines;
    QList<SourceRow> rows;
};

// A failure tied to a place in a source file.
struct SourceError {
    QString message;
};

[[noreturn]] void fail(const Source& src, int line, const QString& what) {
    throw SourceError{QStringLiteral("%1:%2: %3").arg(src.path).arg(line).arg(what)};
}

// Undoes the escapes of a row value: \t, \n and \\ (anything else after a backslash is an error).
QString unescape(const Source& src, int line, const QString& raw) {
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        const QChar next = i + 1 < raw.size() ? raw.at(i + 1) : QChar();
        if (next == QLatin1Char('t')) {
            out += QLatin1Char('\t');
        } else if (next == QLatin1Char('n')) {
            out += QLatin1Char('\n');
        } else if (next == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
        } else {
            fail(src, line, QStringLiteral("未知的转义序列“\\%1”（只允许 \\t、\\n 和 \\\\）").arg(next));
        }
        ++i;
    }
    return out;
}

// Width rules of the dBase III/IV field types we write.
void checkField(const Source& src, int line, const FieldSpec& f) {
    const QByteArray name = f.name.toLatin1();
    bool nameOk = !name.isEmpty() && name.size() <= 10 && f.name == QString::fromLatin1(name);
    for (char c : name) {
        nameOk = nameOk &&
                 ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_');
    }
    if (!nameOk) {
        fail(src, line, QStringLiteral("字段名“%1”不合法（1 到 10 个字母、数字或下划线）").arg(f.name));
    }
    bool ok = true;
    switch (f.type) {
    case 'C':
        ok = f.length >= 1 && f.length <= 254 && f.decimals == 0;
        break;
    case 'N':
    case 'F':
        ok = f.length >= 1 && f.length <= 20 && f.decimals >= 0 &&
             (f.decimals == 0 || f.decimals <= f.length - 2);
        break;
    case 'D':
        ok = f.length == 8 && f.decimals == 0;
        break;
    case 'L':
        ok = f.length == 1 && f.decimals == 0;
        break;
    case 'M':
        ok = f.length == 10 && f.decimals == 0;
        break;
    default:
        fail(src, line,
             QStringLiteral("字段 %1：类型“%2”不合法（C、N、F、D、L 或 M）")
                 .arg(f.name)
                 .arg(QChar::fromLatin1(f.type)));
    }
    if (!ok) {
        fail(src, line,
             QStringLiteral("字段 %1：类型 %2 不能是宽度 %3、小数位 %4")
                 .arg(f.name)
                 .arg(QChar::fromLatin1(f.type))
                 .arg(f.length)
                 .arg(f.decimals));
    }
}

Source parse(const QString& path) {
    Source src;
    src.path = path;
    src.tableFile = QFileInfo(path).completeBaseName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw SourceError{QStringLiteral("%1: 无法读取：%2").arg(path, file.errorString())};
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        throw SourceError{QStringLiteral("%1: 不是 UTF-8 文本").arg(path)};
    }
    QSet<QString> names;
    bool inRows = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i + 1);
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        if (line.startsWith(QLatin1Char('#')) || line.trimmed().isEmpty()) {
            continue;
        }
        if (inRows) {
            const QStringList raw = line.split(QLatin1Char('\t'));
            if (raw.size() > src.fields.size()) {
                fail(src, lineNo,
                     QStringLiteral("有 %1 个值，但表只有 %2 个字段").arg(raw.size()).arg(src.fields.size()));
            }
            SourceRow row;
            row.line = lineNo;
            for (const QString& value : raw) {
                row.values.append(unescape(src, lineNo, value));
            }
            src.rows.append(row);
            continue;
        }
        const QStringList words = line.simplified().split(QLatin1Char(' '));
        const QString& keyword = words.first();
        if (keyword == QLatin1String("@rows") && words.size() == 1) {
            if (src.fields.isEmpty()) {
                fail(src, lineNo, QStringLiteral("@rows 之前没有任何字段"));
            }
            inRows = true;
        } else if (keyword == QLatin1String("@version") && words.size() == 2) {
            bool ok = false;
            const uint v = words.at(1).toUInt(&ok, 0);
            if (!ok || v > 0xFF) {
                fail(src, lineNo, QStringLiteral("版本号“%1”不合法").arg(words.at(1)));
            }
            src.version = static_cast<quint8>(v);
        } else if (keyword == QLatin1String("@field") && (words.size() == 4 || words.size() == 5)) {
            FieldSpec f;
            f.name = words.at(1);
            bool okLen = false;
            bool okDec = true;
            f.type = words.at(2).size() == 1 ? words.at(2).at(0).toUpper().toLatin1() : '?';
            f.length = words.at(3).toInt(&okLen);
            f.decimals = words.size() == 5 ? words.at(4).toInt(&okDec) : 0;
            if (!okLen || !okDec) {
                fail(src, lineNo, QStringLiteral("字段 %1：宽度或小数位不是整数").arg(f.name));
            }
            checkField(src, lineNo, f);
            if (names.contains(f.name.toUpper())) {
                fail(src, lineNo, QStringLiteral("字段 %1 重复").arg(f.name));
            }
            names.insert(f.name.toUpper());
            src.fields.append(f);
            src.fieldLines.append(lineNo);
        } else {
            fail(src, lineNo, QStringLiteral("无法识别的行：%1").arg(line));
        }
    }
    if (src.fields.isEmpty()) {
        throw SourceError{QStringLiteral("%1: 没有定义任何字段").arg(path)};
    }
    return src;
}

// The table file and its memo file, whatever case the engine gave the memo's suffix.
void removeTable(const QString& outDir, const QString& tableFile) {
    QDir dir(outDir);
    const QString base = QFileInfo(tableFile).completeBaseName();
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        const QFileInfo info(entry);
        const bool same = entry.compare(tableFile, Qt::CaseInsensitive) == 0;
        const bool memo = info.completeBaseName().compare(base, Qt::CaseInsensitive) == 0 &&
                          info.suffix().compare(QLatin1String("dbt"), Qt::CaseInsensitive) == 0;
        if (same || memo) {
            dir.remove(entry);
        }
    }
}

void write(const Source& src, const QString& outDir) {
    removeTable(outDir, src.tableFile);
    CreateOptions options;
    if (src.version) {
        options.version = *src.version;
    }
    try {
        DbfFile::create(QDir(outDir).filePath(src.tableFile), src.fields, options);
        auto table = DbfFile::open(outDir, src.tableFile, tamsel::engine::OpenMode::Exclusive);
        const QByteArray blank = table->blankRecord();
        for (const SourceRow& row : src.rows) {
            // Build field by field, so that a failure can name its field.
            QByteArray record = blank;
            for (qsizetype i = 0; i < row.values.size(); ++i) {
                if (row.values.at(i).isEmpty()) {
                    continue;
                }
                const int field = static_cast<int>(i);
                try {
                    record = table->buildRecord(record, {{field, QVariant(row.values.at(i))}});
                } catch (const EngineError& e) {
                    fail(src, row.line, e.message()); // names table and field
                }
            }
            table->appendRecord(record);
        }
    } catch (const EngineError& e) {
        removeTable(outDir, src.tableFile);
        throw SourceError{QStringLiteral("%1: %2").arg(src.path, e.message())};
    } catch (const SourceError&) {
        removeTable(outDir, src.tableFile);
        throw;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "用法：tamsel-mkdata 源文件夹 输出文件夹\n");
        return 2;
    }
    const QDir srcDir(args.at(1));
    const QString outDir = args.at(2);
    if (!srcDir.exists() || !QDir(outDir).exists()) {
        std::fprintf(stderr, "%s\n",
                     qUtf8Printable(QStringLiteral("文件夹不存在：%1 或 %2").arg(args.at(1), outDir)));
        return 2;
    }
    const QStringList sources = srcDir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    int failures = 0;
    int written = 0;
    QSet<QString> tables; // the program matches table names without regard to case
    for (const QString& name : sources) {
        try {
            const Source src = parse(srcDir.filePath(name));
            if (tables.contains(src.tableFile.toLower())) {
                throw SourceError{
                    QStringLiteral("%1: 表 %2 已由另一个源文件定义").arg(src.path, src.tableFile)};
            }
            tables.insert(src.tableFile.toLower());
            write(src, outDir);
            ++written;
        } catch (const SourceError& e) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(e.message));
            ++failures;
        }
    }
    if (failures > 0) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(QStringLiteral("%1 个表写入失败").arg(failures)));
        return 1;
    }
    std::printf("%s\n", qUtf8Printable(QStringLiteral("写入了 %1 个表").arg(written)));
    return 0;
}
