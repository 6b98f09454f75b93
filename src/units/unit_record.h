#pragma once

#include <QString>

class QComboBox;

namespace tamsel::engine {
class Dataset;
}

namespace tamsel::units {

// The registering unit's fixed identity, written with every store of its profile: the
// second-level units and the discipline leaders refer to the unit by this code.
inline constexpr char16_t kUnitCode[] = u"9990001000";

// Puts the unit table's current record into edit state; an empty table gets a new record
// that already carries the unit's fixed values. Throws engine::EngineError.
void beginUnitEdit(engine::Dataset& unit);
// unitcode, unitlevel, endlevel and chiefexper of the registering unit.
void setFixedUnitValues(engine::Dataset& unit);
// Drops pending changes after a failed post, so the record stays as it was on disk.
void cancelQuietly(engine::Dataset& unit);
// A field of the unit table's current record; empty when the table is closed or empty.
QString unitValue(const engine::Dataset& unit, const QString& field);
// After a stored code was selected in a "code  (name)" list: a code the list lacks (a
// ministry an older data folder knew) is shown and selected as the bare code, so it is
// neither shown as empty nor lost when the page is stored.
void showUnlistedCode(const QString& code, QComboBox* combo);

} // namespace tamsel::units
