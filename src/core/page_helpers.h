#pragma once

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

// The filter of one achievement's rows in a child table, by its key pair, with its parameters.
QString keyPairFilter();
QHash<QString, QVariant> keyPairParams(const QString& item4, const QString& dqdm);
// Sets the key-pair filter on data and turns filtering on. Throws engine::EngineError.
void filterByKeyPair(engine::Dataset& data, const QString& item4, const QString& dqdm);
// The same for the main window's current achievement.
void filterToCurrent(engine::Dataset& data, const TMainForm& mainForm);

// True for the category code of applied technology ("1").
bool isAppliedTechnology(const QString& category);
// True when the main window lists applied-technology achievements.
bool isAppliedTechnology(const TMainForm& mainForm);

} // namespace tamsel::core
