#pragma once

// Storing the achievements of the import twins into the data folder's tables.

#include "exchange/twinreader.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace tamsel::exchange {

enum class SameName {
    Store,     // every incoming achievement is stored as new ("保存")
    Skip,      // one whose name and unit match an achievement already here is left out
    Overwrite, // such a match is replaced ("同名覆盖")
};

struct StoreResult {
    int read = 0;
    int stored = 0;      // stored as new
    int skipped = 0;     // left out as same-name duplicates
    int overwritten = 0; // stored in place of a same-named achievement
    int failed = 0;      // refused by a table; left in the twins
    QStringList skippedNames;
    QStringList messages; // one per failed achievement
};

// Stores every achievement of pelktemp.dbf with its child rows (selected by its key pair) under
// a local number and region ".", each achievement with its children all or nothing. Completers
// feed the person pool. Same-name matching (trimmed name and unit) only sees achievements that
// were here before the call. Afterwards the twins hold only what failed (bare header when all
// went in) and UNITtemp.dbf is empty.
StoreResult storeTwins(const QString& dataFolder, SameName sameName, const Progress& progress = {});

// Removes an incoming achievement (key pair, see achievementKey()) and its child rows from the twins.
void removeIncoming(const QString& dataFolder, const QByteArray& key);

// The achievements of pelk by trimmed name and unit (see nameKey()), with their counts.
QHash<QByteArray, int> sameNameIndex(const QString& dataFolder);
QByteArray nameKey(const QString& name, const QString& unit);

} // namespace tamsel::exchange
