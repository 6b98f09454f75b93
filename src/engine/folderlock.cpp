// The data folder's writer lock: flock on a lock file, released when the process ends.

#include "engine/folderlock.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tamsel::engine {

FolderLock::~FolderLock() {
    unlock();
}

bool FolderLock::tryLock(const QString& dataFolder, QString* error) {
    unlock();
    const QByteArray path = QFile::encodeName(QDir(dataFolder).filePath(lockFileName()));
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
    m_fd = fd;
    return true;
}

void FolderLock::unlock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace tamsel::engine
