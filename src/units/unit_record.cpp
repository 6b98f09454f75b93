// The registering unit's fixed identity, written with every store of its profile.
#include "units/unit_record.h"

#include "engine/dataset.h"
#include "engine/error.h"

#include <QComboBox>

namespace tamsel::units {

void setFixedUnitValues(engine::Dataset& unit) {
    unit.setValue(u"unitcode", QString::fromUtf16(kUnitCode));
    unit.setValue(u"unitlevel", QStringLiteral("1"));
    unit.setValue(u"endlevel", 1);
    unit.setValue(u"chiefexper", QStringLiteral("   9999999999"));
}

void beginUnitEdit(engine::Dataset& unit) {
    if (!unit.isActive()) {
        unit.open();
    }
    if (unit.isEmpty()) {
        unit.append();
        setFixedUnitValues(unit);
        return;
    }
    if (unit.recNo() <= 0) {
        unit.first();
    }
    unit.edit();
}

void cancelQuietly(engine::Dataset& unit) {
    try {
        if (unit.state() == engine::Dataset::State::Edit || unit.state() == engine::Dataset::State::Insert) {
            unit.cancel();
        }
    } catch (const engine::EngineError&) {
        // Nothing was written; the error that led here has already been reported.
    }
}

QString unitValue(const engine::Dataset& unit, const QString& field) {
    try {
        if (!unit.isActive() || unit.isEmpty()) {
            return QString();
        }
        return unit.asString(field);
    } catch (const engine::EngineError&) {
        return QString();
    }
}

void showUnlistedCode(const QString& code, QComboBox* combo) {
    const QString bare = code.trimmed();
    if (!combo || bare.isEmpty() || combo->currentText().section(QLatin1Char(' '), 0, 0) == bare) {
        return;
    }
    int at = combo->findText(bare);
    if (at < 0) {
        combo->addItem(bare);
        at = combo->count() - 1;
    }
    combo->setCurrentIndex(at);
}

} // namespace tamsel::units
