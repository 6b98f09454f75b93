#pragma once

// The one way to the external archiver: Debian's arj, started as a program with arguments
// (never through a shell), non-interactively, in a folder of our own, under a time limit.

#include <QString>
#include <QStringList>

namespace tamsel::exchange {

class Archiver {
public:
    // Packs the named files of folder into archiveName there (-2d, so DOS/Windows arj reads
    // it) and checks that the archive lists exactly those members.
    static void pack(const QString& folder, const QString& archiveName, const QStringList& members);
    // The member names of an archive, each checked: a name with a folder part, "..", a drive,
    // a backslash or a leading slash refuses the archive.
    static QStringList list(const QString& archivePath);
    // Lists and checks the archive, then extracts its members into intoFolder (which should
    // be new and empty) and checks that exactly those files landed there. Returns their paths.
    static QStringList extract(const QString& archivePath, const QString& intoFolder);
    // Whether a member name is safe to extract.
    static bool safeMemberName(const QString& name);
};

} // namespace tamsel::exchange
