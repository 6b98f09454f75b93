#pragma once

#include "support/records.h"

#include <QObject>
#include <QString>
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

} // namespace tamsel::test
