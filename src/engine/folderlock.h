#pragma once

// One writer per data folder: the program and the command-line tools take this lock (an
// advisory lock on a file in the data folder) before they change anything there.

#include <QString>

namespace tamsel::engine {

class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock of dataFolder without waiting. False, with a message for the user, when
    // another program holds it or the lock file cannot be made. Within one process the lock is
    // shared: the program holds it for its whole run, and its own dialogs that take it again
    // (import, export) get it at once.
    bool tryLock(const QString& dataFolder, QString* error);
    void unlock();
    bool isLocked() const { return !m_key.isEmpty(); }

    static QString lockFileName() { return QStringLiteral("tamsel.lock"); }

private:
    QString m_key; // the lock file's canonical path while held
};

} // namespace tamsel::engine
