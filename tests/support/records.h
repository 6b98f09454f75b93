#pragma once

// Writing rows into a test's data folder through the engine (no widgets).

#include "engine/table.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>

namespace tamsel::test {

// Appends one record to a table of a data folder.
inline void appendRecord(const QString& folder, const QString& table,
                         const QHash<QString, QVariant>& values) {
    engine::Table t;
    t.setFolder(folder);
    t.setTableName(table);
    t.open();
    t.append();
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        t.setValue(it.key(), it.value());
    }
    t.post();
}

// Every mandatory field of an achievement of the category filled, as the folder's checkup table
// lists them: dates 2009-05-01, anything else "1".
inline QHash<QString, QVariant> completeFields(const QString& folder, const QString& category) {
    QHash<QString, QVariant> values;
    engine::Table checkup;
    checkup.setFolder(folder);
    checkup.setTableName(QStringLiteral("checkup"));
    checkup.open();
    engine::Table pelk;
    pelk.setFolder(folder);
    pelk.setTableName(QStringLiteral("pelk"));
    pelk.open();
    const QString group = category == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("2");
    for (checkup.first(); !checkup.eof(); checkup.next()) {
        const QString lb = checkup.asString(QStringLiteral("lb")).trimmed();
        const QString id = checkup.asString(QStringLiteral("id")).trimmed();
        if (lb != QLatin1String("a") && lb != group) {
            continue;
        }
        const int index = pelk.fieldIndex(id);
        if (index >= 0) {
            values.insert(id, pelk.field(index).type == 'D' ? QVariant(QDate(2009, 5, 1)) : QVariant("1"));
        }
    }
    return values;
}

} // namespace tamsel::test
