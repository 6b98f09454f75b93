#pragma once

// Code lookups over the code tables (the zdxx dictionary, the classification tables, any
// code/name table), without widgets, so windows, the exchange and the tools share them.

#include <QList>
#include <QString>

namespace tamsel::engine {
class Dataset;
}

namespace tamsel::core {

struct CodeName {
    QString code;
    QString name;
};

// The options of one dictionary item (rows whose zddm is itemCode), in table order. Rows with
// an empty code or name are skipped, and so are the options of the earlier form edition
// (names starting "**") unless keepOldEdition. Leaves the table filtered to the item.
// Throws engine::EngineError.
QList<CodeName> dictionaryOptions(engine::Dataset& table, const QString& itemCode, bool keepOldEdition);

// Every code with its name from any code table, in table order; rows with an empty code or
// name are skipped. Throws engine::EngineError.
QList<CodeName> codeNames(engine::Dataset& table, const QString& codeField, const QString& nameField);

// "code  name" of a classification code: the table is filtered to rows whose xxdm is code and
// its second and third fields are shown; empty when there is no such row. Leaves the table
// open on that filter. Throws engine::EngineError.
QString classCodeText(engine::Dataset& table, const QString& code);

} // namespace tamsel::core
