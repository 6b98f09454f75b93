#pragma once

// Parser for the statement shapes the program runs (see query.h).

#include "engine/expr.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace tamsel::engine::sql {

struct TableRef {
    QString name;
    bool quoted = false; // "cgwcr.DBF": a file name as written
    int pos = 0;
};

struct Assignment {
    QString field;
    int fieldPos = 0;
    expr::Operand value;
};

struct Statement {
    enum Kind { Select, Insert, Update, Delete };
    enum Column { All, One, Distinct, Max };
    Kind kind = Select;
    TableRef table;

    // select
    Column column = All;
    QString field; // the one field, distinct field or max field
    int fieldPos = 0;
    QString orderBy;
    int orderPos = 0;
    bool descending = false;

    // insert (fields with values), update (assignments)
    QList<Assignment> assignments;

    std::unique_ptr<expr::Node> where;
};

expr::Source sqlSource(const QString& text);

// Throws EngineError: "SQL 语句第 N 个字符处：…".
Statement parse(const QString& text);

// The select list of a statement for people looking into a data folder: several fields
// ("select item_4, item_3 from pelk ...") or count(*). fromPos is where "from" begins, so the
// rows come from "select * " + the text from there. Throws EngineError as parse does.
struct SelectList {
    QStringList fields;
    QList<int> positions;
    bool countAll = false;
    int fromPos = 0;
};
SelectList parseSelectList(const QString& text);

} // namespace tamsel::engine::sql
