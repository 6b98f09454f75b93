// The data folder's writer lock: flock on a lock file, released when the process ends.

#include "engine/folderlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tamsel::engine {
namespace {

// flock conflicts between two descriptors of one process too, so the process keeps one
// descriptor per lock file and counts its holders.
struct Held {
    int fd = -1;
    int holders = 0;
};
QMutex& registryMutex() {
    static QMutex mutex;
    return mutex;
}
QHash<QString, Held>& registry() {
    static QHash<QString, Held> held;
    return held;
}

} // namespace

FolderLock::~FolderLock() {
    unlock();
}

bool FolderLock::tryLock(const QString& dataFolder, QString* error) {
    unlock();
    const QString file = QDir(dataFolder).filePath(lockFileName());
    const QFileInfo folderInfo(dataFolder);
    const QString key =
        QDir(folderInfo.exists() ? folderInfo.canonicalFilePath() : folderInfo.absoluteFilePath())
            .filePath(lockFileName());
    const QMutexLocker locker(&registryMutex());
    auto it = registry().find(key);
    if (it != registry().end()) {
        ++it->holders;
        m_key = key;
        return true;
    }
    const QByteArray path = QFile::encodeName(file);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = QStringLiteral("无法在数据文件夹 %1 建立锁文件：%2")
                     .arg(QDir::toNativeSeparators(dataFolder), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        ::close(fd);
        *error =
            code == EWOULDBLOCK
                ? QStringLiteral("数据文件夹 %1 正由另一个程序（Tamsel 或 tamsel-exchange）使用，请先关闭它")
                      .arg(QDir::toNativeSeparators(dataFolder))
                : QStringLiteral("无法锁定数据文件夹 %1：%2")
                      .arg(QDir::toNativeSeparators(dataFolder), QString::fromLocal8Bit(std::strerror(code)));
        return false;
    }
    registry().insert(key, Held{fd, 1});
    m_key = key;
    return true;
}

void FolderLock::unlock() {
    if (m_key.isEmpty()) {
        return;
    }
    const QMutexLocker locker(&registryMutex());
    auto it = registry().find(m_key);
    if (it != registry().end() && --it->holders == 0) {
        ::flock(it->fd, LOCK_UN);
        ::close(it->fd);
        registry().erase(it);
    }
    m_key.clear();
}

} // namespace tamsel::engine
