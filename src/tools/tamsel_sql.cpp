// tamsel-sql FOLDER 'STATEMENT'   runs one statement on the tables of FOLDER
// tamsel-sql FOLDER --pack FILE   packs one table
//
// A select prints a header line of column names and one line per row, values TAB-separated
// in their text form (UTF-8); other statements print the number of rows changed.
// Any error goes to stderr with exit status 1, and no file is changed.

#include "engine/dbffile.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/sql.h"

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
    // No folder lock: each statement takes the table's own write lock, so tamsel-sql may write
    // beside the running program (pack needs the table to itself and is refused while it is open).
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
        // Several fields or count(*): the rows of "select * ..." with the columns asked for.
        sql::SelectList list;
        try {
            sql::parse(sql);
        } catch (const EngineError&) {
            try {
                list = sql::parseSelectList(sql);
            } catch (const EngineError&) {
            }
            if (list.fields.size() < 2 && !list.countAll)
                throw;
        }
        Query query;
        query.setFolder(folder);
        query.setSql(list.fromPos > 0 ? QStringLiteral("select * ") + sql.mid(list.fromPos) : sql);
        query.open();
        QList<int> columns;
        for (int i = 0; i < list.fields.size(); ++i) {
            const int index = query.fieldIndex(list.fields[i]);
            if (index < 0)
                throw expr::errorAt(sql::sqlSource(sql), list.positions[i],
                                    QStringLiteral("表中没有字段 %1").arg(list.fields[i]));
            columns.append(index);
        }
        if (columns.isEmpty())
            for (int i = 0; i < query.fieldCount(); ++i)
                columns.append(i);
        QStringList out;
        if (list.countAll) {
            out = QStringList{QStringLiteral("COUNT(*)"), QString::number(query.recordCount())};
        } else {
            QStringList line;
            for (const int i : std::as_const(columns))
                line.append(escaped(query.fieldNames().at(i)));
            out.append(line.join(u'\t'));
            for (query.first(); !query.eof(); query.next()) {
                line.clear();
                for (const int i : std::as_const(columns))
                    line.append(escaped(query.asString(i)));
                out.append(line.join(u'\t'));
            }
        }
        for (const QString& l : out)
            writeLine(l);
    } catch (const EngineError& e) {
        fail(e.message());
        return 1;
    }
    return 0;
}
