// tamsel-exchange: batch export, check and import of exchange archives for registering
// authorities, with the same code as the program's export and import dialogs.

#include "engine/error.h"
#include "exchange/archiver.h"
#include "exchange/exchangeerror.h"
#include "exchange/exchangeformat.h"
#include "exchange/exporter.h"
#include "exchange/folderlock.h"
#include "exchange/importstore.h"
#include "exchange/twinreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

using namespace tamsel::exchange;

namespace {

void out(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void err(const QString& text) {
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

const char kHelp[] = R"(用法：
  tamsel-exchange export 数据文件夹 输出文件夹 [--year 年份]
      把全部（或某一年份的）成果写成输出文件夹中的 cgsbqy.arj，如同“导出”。
  tamsel-exchange import 数据文件夹 导入包... [--overwrite-same-name]
      逐个导入各导入包的成果，如同“保存”；与已有成果同名同单位的成果列出并跳过，
      给出 --overwrite-same-name 时如同“同名覆盖”替换已有成果。
  tamsel-exchange check [--data 数据文件夹] 导入包...
      只读不存：列出导入包中的文件、各类成果数、各文件行数、放不下的值、
      重复的成果编号、被替换的日期和不安全的文件名。
  tamsel-exchange --help
退出码：0 成功；1 有导入包被拒绝或出错。)";

// Progress on a terminal: one line rewritten in place.
Progress terminalProgress(const QString& what) {
    if (!::isatty(STDERR_FILENO)) {
        return {};
    }
    return [what, last = -1](qint64 done, qint64 total) mutable {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (percent != last) {
            last = percent;
            std::fprintf(stderr, "\r%s %3d%%", what.toUtf8().constData(), percent);
            if (percent >= 100) {
                std::fputc('\n', stderr);
            }
            std::fflush(stderr);
        }
    };
}

QString categories(const ReadReport& r) {
    return QStringLiteral("成果 %1 条，其中：应用技术 %2 条，软科学 %3 条，基础理论 %4 条")
               .arg(r.achievements)
               .arg(r.byCategory[0])
               .arg(r.byCategory[1])
               .arg(r.byCategory[2]) +
           (r.byCategory[3] > 0 ? QStringLiteral("，类别不明 %1 条").arg(r.byCategory[3]) : QString());
}

bool lockFolder(FolderLock& lock, const QString& folder) {
    QString message;
    if (!lock.tryLock(folder, &message)) {
        err(message);
        return false;
    }
    return true;
}

int runExport(const QStringList& args) {
    QStringList plain;
    QString year;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--year") && i + 1 < args.size()) {
            year = args[++i];
        } else {
            plain << args[i];
        }
    }
    if (plain.size() != 2 || (!year.isEmpty() && (year.size() != 4 || year.toInt() <= 0))) {
        err(QString::fromUtf8(kHelp));
        return 1;
    }
    FolderLock lock;
    if (!lockFolder(lock, plain[0])) {
        return 1;
    }
    const Exporter exporter(plain[0]);
    const QList<QByteArray> keys = exporter.keys(year);
    if (keys.isEmpty()) {
        err(year.isEmpty() ? QStringLiteral("没有可导出的成果")
                           : QStringLiteral("%1 年没有可导出的成果").arg(year));
        return 1;
    }
    const ExportResult r = exporter.exportTo(plain[1], QSet<QByteArray>(keys.begin(), keys.end()),
                                             terminalProgress(QStringLiteral("正在导出……")));
    out(QStringLiteral("你已打包成功!文件在%1").arg(QDir::toNativeSeparators(r.archivePath)));
    out(QStringLiteral("成果 %1 条；合作完成单位 %2 行，完成人 %3 行，评价委员会 %4 行，专利 %5 行")
            .arg(r.achievements)
            .arg(r.childRows[0])
            .arg(r.childRows[1])
            .arg(r.childRows[2])
            .arg(r.childRows[3]));
    return 0;
}

// Lists, extracts and reads one archive; the report says what was found.
ReadReport readArchive(const QString& archive, const QString& dataFolder, bool store) {
    QTemporaryDir work;
    if (!work.isValid()) {
        throw ExchangeError(QStringLiteral("无法建立临时文件夹：%1").arg(work.errorString()));
    }
    Archiver::extract(archive, work.path());
    return readMembers(work.path(), dataFolder, store, terminalProgress(QStringLiteral("正在读入……")));
}

void printReport(const ReadReport& r) {
    QStringList counts;
    for (const MemberCount& m : r.members) {
        counts << QStringLiteral("%1 %2 行").arg(m.member).arg(m.rows);
    }
    if (!counts.isEmpty()) {
        out(QStringLiteral("  文件：") + counts.join(QStringLiteral("，")));
        out(QStringLiteral("  ") + categories(r));
    }
    for (const QString& n : r.notes) {
        out(QStringLiteral("  注意：") + n);
    }
    for (const QString& p : r.problems) {
        out(QStringLiteral("  错误：") + p);
    }
}

int runCheck(const QStringList& args) {
    QString data = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("data"));
    QStringList archives;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--data") && i + 1 < args.size()) {
            data = args[++i];
        } else {
            archives << args[i];
        }
    }
    if (archives.isEmpty()) {
        err(QString::fromUtf8(kHelp));
        return 1;
    }
    int status = 0;
    for (const QString& archive : archives) {
        out(archive + QLatin1Char(':'));
        try {
            const ReadReport r = readArchive(archive, data, false);
            printReport(r);
            out(r.ok() ? QStringLiteral("  可以导入") : QStringLiteral("  导入包被拒绝"));
            status = r.ok() ? status : 1;
        } catch (const ExchangeError& e) {
            out(QStringLiteral("  错误：") + e.message());
            status = 1;
        }
    }
    return status;
}

int runImport(const QStringList& args) {
    QStringList plain;
    bool overwrite = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--overwrite-same-name")) {
            overwrite = true;
        } else {
            plain << a;
        }
    }
    if (plain.size() < 2) {
        err(QString::fromUtf8(kHelp));
        return 1;
    }
    const QString data = plain.takeFirst();
    FolderLock lock;
    if (!lockFolder(lock, data)) {
        return 1;
    }
    int status = 0;
    for (const QString& archive : std::as_const(plain)) {
        out(archive + QLatin1Char(':'));
        try {
            const ReadReport r = readArchive(archive, data, true);
            printReport(r);
            if (!r.ok()) {
                out(QStringLiteral("  导入包被拒绝，没有存入任何成果"));
                status = 1;
                continue;
            }
            const StoreResult s = storeTwins(data, overwrite ? SameName::Overwrite : SameName::Skip,
                                             terminalProgress(QStringLiteral("正在入库……")));
            for (const QString& name : s.skippedNames) {
                out(QStringLiteral("  同名跳过：") + name);
            }
            for (const QString& m : s.messages) {
                out(QStringLiteral("  错误：") + m);
            }
            out(QStringLiteral("  读入 %1 条，入库 %2 条，跳过 %3 条，覆盖 %4 条，失败 %5 条")
                    .arg(s.read)
                    .arg(s.stored)
                    .arg(s.skipped)
                    .arg(s.overwritten)
                    .arg(s.failed));
            status = s.failed > 0 ? 1 : status;
        } catch (const std::exception& e) {
            const auto* x = dynamic_cast<const ExchangeError*>(&e);
            const auto* y = dynamic_cast<const tamsel::engine::EngineError*>(&e);
            out(QStringLiteral("  错误：") + (x   ? x->message()
                                              : y ? y->message()
                                                  : QString::fromUtf8(e.what())));
            status = 1;
            try {
                emptyTwins(data);
            } catch (const tamsel::engine::EngineError&) {
            }
        }
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        out(QString::fromUtf8(kHelp));
        return args.isEmpty() ? 1 : 0;
    }
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("export")) {
            return runExport(args);
        }
        if (command == QLatin1String("import")) {
            return runImport(args);
        }
        if (command == QLatin1String("check")) {
            return runCheck(args);
        }
    } catch (const ExchangeError& e) {
        err(e.message());
        return 1;
    } catch (const tamsel::engine::EngineError& e) {
        err(e.message());
        return 1;
    }
    err(QString::fromUtf8(kHelp));
    return 1;
}
