#pragma once

// Which data folder the program opens, and making the user's own folder on the first start.

#include <QString>
#include <QStringList>

namespace tamsel::core::datafolder {

// The table files every start opens (the two optional classifications left out), as the data
// module names them; a folder may hold them in any case.
const QStringList& requiredTables();
// Those of requiredTables() that folder lacks, in that order.
QStringList missingTables(const QString& folder);

// The folder named `data` beside the executable in appDir; empty when there is none.
QString besideExecutable(const QString& appDir);
// The user's own folder: $XDG_DATA_HOME/Tamsel/data (~/.local/share/Tamsel/data).
QString userFolder();
// The delivered folder an installed program copies on its first start: share/tamsel/data
// relative to its bin folder, so a package unpacked anywhere finds its own copy.
QString deliveredFolder(const QString& appDir);

// Makes target as a copy of delivered when target does not exist yet. The copy is made beside
// target under another name and renamed into place, so an interrupted first start leaves no
// half-made folder behind. False with a message for the user on failure.
bool createFromDelivered(const QString& target, const QString& delivered, QString* error);

struct Choice {
    QString path;
    QString error; // set when no usable folder could be found or made
};
// The folder to open when the user named none: the one beside the executable, else the user's
// own folder, made from the delivered copy when missing.
Choice chooseDefault(const QString& appDir);

} // namespace tamsel::core::datafolder
