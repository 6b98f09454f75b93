#pragma once

#include "engine/table.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QWidget>

namespace tamsel::test {

// A control of a window by its objectName; a missing one ends the run, naming it.
template <typename T = QWidget> T* control(const QObject* window, const QString& name) {
    T* found = window->findChild<T*>(name);
    if (!found) {
        qFatal("no control %s in %s", qPrintable(name), qPrintable(window->objectName()));
    }
    return found;
}

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

} // namespace tamsel::test
