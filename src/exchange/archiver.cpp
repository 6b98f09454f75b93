// Running arj: packing, listing with a check of every member name, extracting.

#include "exchange/archiver.h"

#include "exchange/exchangeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace tamsel::exchange {

namespace {

struct Run {
    int exitCode = 0;
    QString output;
};

// The time limit grows with the bytes arj has to go through.
int timeLimitMs(qint64 bytes) {
    return int(std::min<qint64>(30000 + bytes / (1 << 20) * 3000, 30 * 60 * 1000));
}

Run runArj(const QStringList& arguments, const QString& folder, qint64 bytes) {
    QProcess process;
    process.setProgram(QStringLiteral("arj"));
    process.setArguments(arguments);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("ARJ_SW")); // default switches of the user's own must not apply
    process.setProcessEnvironment(env);
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(10000)) {
        throw ExchangeError(QStringLiteral("无法启动压缩程序 arj：%1").arg(process.errorString()));
    }
    process.closeWriteChannel();
    const int limit = timeLimitMs(bytes);
    if (!process.waitForFinished(limit)) {
        process.kill();
        process.waitForFinished(5000);
        throw ExchangeError(QStringLiteral("压缩程序 arj 在 %1 秒内没有完成，已被终止").arg(limit / 1000));
    }
    Run run;
    run.output = QString::fromLocal8Bit(process.readAll());
    if (process.exitStatus() != QProcess::NormalExit) {
        throw ExchangeError(QStringLiteral("压缩程序 arj 异常结束：\n%1").arg(run.output.trimmed()));
    }
    run.exitCode = process.exitCode();
    return run;
}

[[noreturn]] void failed(const Run& run) {
    throw ExchangeError(
        QStringLiteral("压缩程序 arj 出错（退出码 %1）：\n%2").arg(run.exitCode).arg(run.output.trimmed()));
}

} // namespace

bool Archiver::safeMemberName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name.contains(QLatin1String(".."))) {
        return false;
    }
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20 || c.unicode() == 0x7F) {
            return false;
        }
    }
    return true;
}

QStringList Archiver::list(const QString& archivePath) {
    const QFileInfo info(archivePath);
    if (!info.isFile()) {
        throw ExchangeError(QStringLiteral("找不到文件 %1").arg(archivePath));
    }
    const Run run = runArj({QStringLiteral("v"), QStringLiteral("-y"), info.absoluteFilePath()},
                           info.absolutePath(), info.size());
    if (run.exitCode != 0) {
        failed(run);
    }
    static const QRegularExpression entry(QStringLiteral("^\\d{3,}\\) (.*)$"));
    static const QRegularExpression total(QStringLiteral("^\\s*(\\d+) files\\b"));
    QStringList names;
    int declared = -1;
    const QStringList lines = run.output.split(u'\n');
    for (QString line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        const QRegularExpressionMatch m = entry.match(line);
        if (m.hasMatch()) {
            names << m.captured(1);
            continue;
        }
        const QRegularExpressionMatch t = total.match(line);
        if (t.hasMatch()) {
            declared = t.captured(1).toInt();
        }
    }
    if (names.isEmpty() || (declared >= 0 && declared != names.size())) {
        throw ExchangeError(
            QStringLiteral("%1 不是可读的导入包（压缩程序列不出其中的文件）").arg(info.fileName()));
    }
    for (const QString& name : std::as_const(names)) {
        if (!safeMemberName(name)) {
            throw ExchangeError(
                QStringLiteral(
                    "导入包中的文件名“%1”不安全（含有路径、盘符或“..”），导入包被拒绝，没有解出任何文件")
                    .arg(name));
        }
    }
    return names;
}

QStringList Archiver::extract(const QString& archivePath, const QString& intoFolder) {
    const QStringList names = list(archivePath);
    QSet<QString> expected;
    for (const QString& n : names) {
        expected.insert(n.toUpper());
    }
    if (expected.size() != names.size()) {
        throw ExchangeError(QStringLiteral("导入包中有同名的文件，导入包被拒绝"));
    }
    const QFileInfo info(archivePath);
    const Run run = runArj({QStringLiteral("e"), QStringLiteral("-y"), info.absoluteFilePath()}, intoFolder,
                           info.size() * 4);
    if (run.exitCode != 0) {
        failed(run);
    }
    QStringList paths;
    const QFileInfoList landed =
        QDir(intoFolder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& f : landed) {
        if (f.isSymLink() || !f.isFile() || !expected.contains(f.fileName().toUpper())) {
            throw ExchangeError(
                QStringLiteral("解压结果与导入包的文件清单不符（%1），导入包被拒绝").arg(f.fileName()));
        }
        paths << f.absoluteFilePath();
    }
    if (paths.size() != names.size()) {
        throw ExchangeError(QStringLiteral("导入包没有完整解出（%1 个文件中解出 %2 个），导入包被拒绝")
                                .arg(names.size())
                                .arg(paths.size()));
    }
    return paths;
}

void Archiver::pack(const QString& folder, const QString& archiveName, const QStringList& members) {
    qint64 bytes = 0;
    for (const QString& m : members) {
        bytes += QFileInfo(QDir(folder).filePath(m)).size();
    }
    QStringList args{QStringLiteral("a"), QStringLiteral("-y"), QStringLiteral("-2d"), archiveName};
    args += members;
    const Run run = runArj(args, folder, bytes);
    if (run.exitCode != 0) {
        failed(run);
    }
    const QStringList listed = list(QDir(folder).filePath(archiveName));
    if (listed != members) {
        throw ExchangeError(
            QStringLiteral("压缩后的上报文件内容不完整：%1").arg(listed.join(QLatin1String(", "))));
    }
}

} // namespace tamsel::exchange
