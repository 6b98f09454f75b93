// Converting an old-style archive into cgsbqy.arj.

#include "exchange/oldstyle.h"

#include "exchange/archiver.h"
#include "exchange/exchangeerror.h"
#include "exchange/exchangeformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

namespace tamsel::exchange {

QString oldStyleCode(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    if (!name.endsWith(QLatin1String(".ARJ"), Qt::CaseInsensitive)) {
        return {};
    }
    const QString base = name.chopped(4);
    if (base.size() < 5 || base.size() > 7 || !base.startsWith(QLatin1String("CGSB"), Qt::CaseInsensitive)) {
        return {};
    }
    return base.mid(4);
}

QString convertOldStyleArchive(const QString& oldArchive) {
    const QString code = oldStyleCode(oldArchive);
    if (code.isEmpty()) {
        throw ExchangeError(QStringLiteral("请选择正确文件,被改名的文件类似CGSBXXX.ARJ(XXX为数字)!"));
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        throw ExchangeError(QStringLiteral("无法建立临时文件夹：%1").arg(work.errorString()));
    }
    const QString unpacked = QDir(work.path()).filePath(QStringLiteral("in"));
    const QString packed = QDir(work.path()).filePath(QStringLiteral("out"));
    QDir().mkpath(unpacked);
    QDir().mkpath(packed);
    const QStringList files = Archiver::extract(oldArchive, unpacked);
    const char* const oldNames[] = {"PELK", "CGDW", "CGWCR", "JDMD", "ZLQK"};
    QStringList members;
    for (int i = 0; i < 5; ++i) {
        const QString wanted = QString::fromLatin1(oldNames[i]) + code + QStringLiteral(".TXT");
        QString found;
        for (const QString& f : files) {
            if (QFileInfo(f).fileName().compare(wanted, Qt::CaseInsensitive) == 0) {
                found = f;
            }
        }
        if (found.isEmpty()) {
            throw ExchangeError(QStringLiteral("包内文件不正确，可能有缺失!"));
        }
        members << memberNames()[i];
        if (!QFile::rename(found, QDir(packed).filePath(members.last()))) {
            throw ExchangeError(QStringLiteral("无法改名 %1").arg(wanted));
        }
    }
    const QString archive = QString::fromLatin1(kArchiveName);
    Archiver::pack(packed, archive, members);
    QFile built(QDir(packed).filePath(archive));
    QSaveFile target(QFileInfo(oldArchive).absoluteDir().filePath(archive));
    if (!built.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly) ||
        target.write(built.readAll()) != built.size() || !target.commit()) {
        throw ExchangeError(QStringLiteral("无法写入 %1：%2").arg(target.fileName(), target.errorString()));
    }
    return target.fileName();
}

} // namespace tamsel::exchange
