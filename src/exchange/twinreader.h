#pragma once

// Reads the member files of an unpacked exchange archive into the import twins
// (pelktemp.dbf, CGWCDWtemp.dbf, ...), checking every value against its field.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tamsel::exchange {

struct MemberCount {
    QString member; // PELK.TXT, ...
    int rows = 0;
};

struct ReadReport {
    QList<MemberCount> members; // the members found, in packing order
    int achievements = 0;
    int byCategory[4] = {}; // ITEM_CGLB "1", "2", "3", anything else
    // Faults that refuse the archive: a missing member, a value that does not fit its field or
    // is not GBK, a duplicate key pair. Each names member, line and field.
    QStringList problems;
    // Taken in, but worth telling: dates replaced by today, surplus values ignored.
    QStringList notes;
    bool ok() const { return problems.isEmpty(); }
};

using Progress = std::function<void(qint64 done, qint64 total)>;

// Reads the members found in memberFolder (names matched without regard to case) against the
// twins of dataFolder. With store, the twins are emptied first and receive the rows; when the
// report has problems they are emptied again, so they hold the whole archive or nothing.
// Without store nothing is written. File and table errors throw.
ReadReport readMembers(const QString& memberFolder, const QString& dataFolder, bool store,
                       const Progress& progress = {});

// Empties the six import twins to a bare header.
void emptyTwins(const QString& dataFolder);

// The twin table of an exchange name ("PELK" -> "PELKtemp.dbf").
QString twinTable(const QString& exchangeName);

} // namespace tamsel::exchange
