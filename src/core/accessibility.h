#pragma once

#include <QString>

class QWidget;

namespace tamsel::core {

// The label of an input control as the window shows it: the text of the QLabel whose buddy it
// is, else of the nearest label to its left on the same row or just above it in the same
// container, without the trailing colon or mandatory star. Empty when there is none.
QString labelFor(const QWidget* control);

// The label text as a name: mnemonic ampersands, a trailing "：", ":" and "*" removed.
QString labelText(const QString& text);

// Gives every edit, drop-down list, spin box and memo of the window that has no accessible name
// its label as accessible name, so screen readers, automation and messages about an item use the
// words the window shows. Drop-down lists report that name as their name and their current entry
// as their value. Controls named before keep their name.
void nameControlsByLabels(QWidget* window);

} // namespace tamsel::core
