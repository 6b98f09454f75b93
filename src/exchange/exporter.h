#pragma once

// Export: the chosen achievements with their child rows and the unit's own data, written as
// the exchange members in a private folder, packed, and moved into the user's folder as
// cgsbqy.arj only when the archive is built and checked.

#include "exchange/twinreader.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace tamsel::exchange {

// An achievement's key pair as one value: trimmed ITEM_4, NUL, trimmed ITEM_DQDM (GBK bytes).
QByteArray achievementKey(QByteArrayView number, QByteArrayView region);
QByteArray achievementKey(const QString& number, const QString& region);

struct ExportResult {
    int achievements = 0;
    int childRows[4] = {}; // CGWCDW, CGWCR, JDWYHMD, ZLQK
    QString archivePath;
};

class Exporter {
public:
    explicit Exporter(QString dataFolder);

    // Key pairs of pelk in table order; only those whose ITEM_4 begins with yearPrefix when
    // it is given.
    QList<QByteArray> keys(const QString& yearPrefix = {}) const;
    // Writes cgsbqy.arj of the achievements with these key pairs into targetFolder, replacing
    // an older one only when the new one is complete. Afterwards every written achievement
    // holds ITEM_SJDC "1" (rows already "1" are not rewritten). Nothing is written to the
    // tables or the target folder when a value cannot be written or the archiver fails.
    ExportResult exportTo(const QString& targetFolder, const QSet<QByteArray>& keys,
                          const Progress& progress = {}) const;
    // Sets ITEM_SJDC to "0" on the rows that hold anything else; returns how many.
    int resetFlags() const;

private:
    QString m_folder;
};

} // namespace tamsel::exchange
