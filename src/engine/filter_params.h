#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

namespace tamsel::engine {

class Dataset;

// Sets the filter of data with values for its :name parameters (names without ':'), so a value
// is compared as it stands and never read as part of the expression. Throws EngineError.
void setFilter(Dataset& data, const QString& expression, const QHash<QString, QVariant>& params);

} // namespace tamsel::engine
