// Code lookups over the code tables: dictionary options, code/name pairs, classification texts.
#include "core/code_lookup.h"

#include "engine/dataset.h"
#include "engine/filter_params.h"

namespace tamsel::core {

QList<CodeName> dictionaryOptions(engine::Dataset& table, const QString& itemCode, bool keepOldEdition) {
    QList<CodeName> options;
    table.setFiltered(false);
    // The item code is bound as a value, so no text of it is read as part of the filter.
    engine::setFilter(table, QStringLiteral("zddm =:item"), {{QStringLiteral("item"), itemCode}});
    table.setFiltered(true);
    if (!table.isActive()) {
        table.open();
    }
    const QString codeField = QStringLiteral("xxdm");
    const QString nameField = QStringLiteral("xxmc");
    for (table.first(); !table.eof(); table.next()) {
        const QString code = table.asString(codeField).trimmed();
        const QString name = table.asString(nameField).trimmed();
        if (code.isEmpty() || name.isEmpty()) {
            continue;
        }
        if (!keepOldEdition && name.startsWith(QLatin1String("**"))) {
            continue;
        }
        options.append({code, name});
    }
    return options;
}

QList<CodeName> codeNames(engine::Dataset& table, const QString& codeField, const QString& nameField) {
    QList<CodeName> pairs;
    if (!table.isActive()) {
        table.open();
    }
    for (table.first(); !table.eof(); table.next()) {
        const QString code = table.asString(codeField).trimmed();
        const QString name = table.asString(nameField).trimmed();
        if (!code.isEmpty() && !name.isEmpty()) {
            pairs.append({code, name});
        }
    }
    return pairs;
}

QString classCodeText(engine::Dataset& table, const QString& code) {
    table.close();
    engine::setFilter(table, QStringLiteral("xxdm=:code"), {{QStringLiteral("code"), code}});
    table.setFiltered(true);
    table.open();
    if (table.isEmpty() || table.fieldCount() < 3) {
        return {};
    }
    return table.asString(1).trimmed() + QStringLiteral("  ") + table.asString(2).trimmed();
}

} // namespace tamsel::core
