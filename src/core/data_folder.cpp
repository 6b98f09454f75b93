// The choice of the data folder and the first-start copy of the delivered one.

#include "core/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef TAMSEL_BIN_TO_DATA
#define TAMSEL_BIN_TO_DATA "../share/tamsel/data"
#endif

namespace tamsel::core::datafolder {
namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool copyTree(const QString& from, const QString& to, QString* error) {
    if (!QDir().mkpath(to)) {
        *error = QStringLiteral("无法建立文件夹 %1").arg(native(to));
        return false;
    }
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir source(from);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString target = QDir(to).filePath(source.relativeFilePath(info.filePath()));
        if (info.isDir()) {
            if (!QDir().mkpath(target)) {
                *error = QStringLiteral("无法建立文件夹 %1").arg(native(target));
                return false;
            }
            continue;
        }
        // A lock file belongs to whoever ran on the delivered folder, never to the copy.
        if (info.fileName() == QLatin1String("tamsel.lock")) {
            continue;
        }
        QFile file(info.filePath());
        if (!file.copy(target)) {
            *error = QStringLiteral("无法复制 %1：%2").arg(native(info.filePath()), file.errorString());
            return false;
        }
        // Delivered files are read-only for the user; the copy is the user's to change.
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner | QFile::ReadOwner);
    }
    return true;
}

} // namespace

const QStringList& requiredTables() {
    static const QStringList tables = {
        QStringLiteral("pelk.dbf"),      QStringLiteral("pelktemp.dbf"),   QStringLiteral("cgwcr.dbf"),
        QStringLiteral("cgwcrtemp.dbf"), QStringLiteral("jdwyhmd.dbf"),    QStringLiteral("jdwyhmdtemp.dbf"),
        QStringLiteral("cgwcdw.dbf"),    QStringLiteral("cgwcdwtemp.dbf"), QStringLiteral("zlqk.dbf"),
        QStringLiteral("zlqktemp.dbf"),  QStringLiteral("cgwcrNew.dbf"),   QStringLiteral("lsbw.dbf"),
        QStringLiteral("DFJHZDXX.dbf"),  QStringLiteral("unit.dbf"),       QStringLiteral("unitexpert.dbf"),
        QStringLiteral("gxjs.dbf"),      QStringLiteral("dwqk.dbf"),       QStringLiteral("checkup.dbf"),
        QStringLiteral("zdxx.dbf"),      QStringLiteral("zdxx1.dbf"),      QStringLiteral("province.dbf"),
    };
    return tables;
}

QStringList missingTables(const QString& folder) {
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    QStringList missing;
    for (const QString& table : requiredTables()) {
        if (!entries.contains(table, Qt::CaseInsensitive)) {
            missing << table;
        }
    }
    return missing;
}

QString besideExecutable(const QString& appDir) {
    const QString path = QDir(appDir).filePath(QStringLiteral("data"));
    return QFileInfo(path).isDir() ? path : QString();
}

QString userFolder() {
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(home).filePath(QStringLiteral("Tamsel/data"));
}

QString deliveredFolder(const QString& appDir) {
    return QDir::cleanPath(QDir(appDir).filePath(QStringLiteral(TAMSEL_BIN_TO_DATA)));
}

bool createFromDelivered(const QString& target, const QString& delivered, QString* error) {
    if (QFileInfo::exists(target)) {
        return true;
    }
    if (!QFileInfo(delivered).isDir()) {
        *error = QStringLiteral("找不到随程序安装的数据文件夹 %1，无法建立 %2")
                     .arg(native(delivered), native(target));
        return false;
    }
    const QString staging = target + QStringLiteral(".new-%1").arg(QCoreApplication::applicationPid());
    QDir(staging).removeRecursively();
    if (!copyTree(delivered, staging, error) || !QDir().rename(staging, target)) {
        if (error->isEmpty()) {
            *error = QStringLiteral("无法建立数据文件夹 %1").arg(native(target));
        }
        QDir(staging).removeRecursively();
        return false;
    }
    return true;
}

Choice chooseDefault(const QString& appDir) {
    Choice choice;
    choice.path = besideExecutable(appDir);
    if (!choice.path.isEmpty()) {
        return choice;
    }
    choice.path = userFolder();
    createFromDelivered(choice.path, deliveredFolder(appDir), &choice.error);
    return choice;
}

} // namespace tamsel::core::datafolder
