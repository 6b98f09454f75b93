#pragma once

#include "core/achievements.h"

#include <QColor>
#include <QHash>
#include <QString>
#include <QStringView>
#include <QVariant>

class QComboBox;
class QFont;

namespace tamsel::engine {
class Dataset;
}

namespace tamsel::core {

class TMainForm;

// The fixed size of every list and entry page.
constexpr int kPageWidth = 800;
constexpr int kPageHeight = 600;

// The colour of the labels of required items.
QColor maroon();
// The same as a style sheet for a label.
QString maroonStyle();

// The stored code of a dictionary entry ("0  男", "110  数学"): its first bytes in GBK, trimmed.
// A double-byte character is never cut in half.
QString entryCode(const QString& entry, int bytes);
QString entryCode(const QComboBox* combo, int bytes);

// The height of one line of Chinese text in font (the fallback font's lines are often taller).
int textLineHeight(const QFont& font);

// True when text is one or more of the digits 0-9 and nothing else.
bool allDigits(QStringView text);

// The key-pair filter (keyPairFilter, filterByKeyPair) for the main window's current achievement.
void filterToCurrent(engine::Dataset& data, const TMainForm& mainForm);

// True when the main window lists applied-technology achievements (isAppliedTechnology of a
// category code is in achievements.h).
bool isAppliedTechnology(const TMainForm& mainForm);

} // namespace tamsel::core
