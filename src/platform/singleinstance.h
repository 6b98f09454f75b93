#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace tamsel::platform {

// Keeps a second copy of the program from running: a lock file in the user's runtime folder,
// named from the application title. The lock holds while the object lives; a copy that died
// leaves a stale lock that the next start takes over.
class SingleInstance {
public:
    // folder empty: the user's runtime folder (XDG_RUNTIME_DIR), else the temp folder.
    explicit SingleInstance(const QString& title, const QString& folder = QString());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process now holds the lock (or already held it); false when another
    // running copy holds it.
    bool tryAcquire();
    bool isHeld() const;
    QString lockFilePath() const { return m_path; }

    // The lock file's name for a title: characters unsafe in file names replaced.
    static QString lockFileName(const QString& title);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tamsel::platform
