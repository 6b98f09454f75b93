// tamsel-sql FOLDER 'STATEMENT'   runs one statement on the tables of FOLDER
// tamsel-sql FOLDER --pack FILE   packs one table
//
// A select prints a header line of column names and one line per row, values TAB-separated
// in their text form (UTF-8); other statements print the number of rows changed.
// Any error goes to stderr with exit status 1, and no file is changed.

#include "engine/dbffile.h"
#include "engine/error.h"
#include "engine/query.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

using namespace tamsel::engine;

namespace {

QString escaped(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

void writeLine(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

void fail(const QString& message) {
    const QByteArray bytes = message.toUtf8();
    std::fprintf(stderr, "%s\n", bytes.constData());
}

bool isSelect(const QString& sql) {
    return sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool pack = args.size() == 3 && args[1] == QLatin1String("--pack");
    if (args.size() != 2 && !pack) {
        fail(QStringLiteral("用法：tamsel-sql 文件夹 'SQL 语句'\n      tamsel-sql 文件夹 --pack 表文件"));
        return 1;
    }
    const QString folder = args[0];
    try {
        if (pack) {
            DbfFile::open(folder, args[2], OpenMode::Exclusive)->pack();
            return 0;
        }
        const QString sql = args[1];
        if (!isSelect(sql)) {
            writeLine(QString::number(executeSql(folder, sql)));
            return 0;
        }
        Query query;
        query.setFolder(folder);
        query.setSql(sql);
        query.open();
        QStringList line;
        for (const QString& name : query.fieldNames())
            line.append(escaped(name));
        QStringList out{line.join(u'\t')};
        for (query.first(); !query.eof(); query.next()) {
            line.clear();
            for (int i = 0; i < query.fieldCount(); ++i)
                line.append(escaped(query.asString(i)));
            out.append(line.join(u'\t'));
        }
        for (const QString& l : out)
            writeLine(l);
    } catch (const EngineError& e) {
        fail(e.message());
        return 1;
    }
    return 0;
}
