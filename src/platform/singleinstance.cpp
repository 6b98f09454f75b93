// The single-instance guard: a lock file in the user's runtime folder.
#include "platform/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tamsel::platform {

SingleInstance::SingleInstance(const QString& title, const QString& folder) {
    QString dir = folder;
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    m_path = QDir(dir).filePath(lockFileName(title));
    m_lock = std::make_unique<QLockFile>(m_path);
    // A running copy never gives the lock up; only a dead one's lock is stale.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryAcquire() {
    if (m_lock->isLocked()) {
        return true;
    }
    return m_lock->tryLock(0);
}

bool SingleInstance::isHeld() const {
    return m_lock->isLocked();
}

QString SingleInstance::lockFileName(const QString& title) {
    QString name = title;
    for (QChar& c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.isSpace() || c.unicode() < 0x20) {
            c = QLatin1Char('_');
        }
    }
    return name + QStringLiteral(".lock");
}

} // namespace tamsel::platform
