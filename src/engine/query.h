#pragma once

#include "engine/dataset.h"

#include <QHash>

namespace tamsel::engine {

// A query over the tables of one folder, from one SQL text.
//
// Shapes: select *, one field, distinct field or max(field) from T [where C] [order by F [desc]];
// insert into T (F, ...) values (...); update T set F = v, ... [where C]; delete from T [where C].
// T is a bare table name or a double-quoted file name ("cgwcr.DBF").
// Named parameters (:item_4) are bound as values, never spliced into the text.
//
// A single-table "select *" is live: its rows are records of the table and can be edited,
// appended and deleted, written straight to the file. Other selects are read-only results.
//
// With cached updates on, edits, appends and deletes of a live query are held back and written
// by applyUpdates() through three statement templates, in which :F stands for the new value
// of field F and :OLD_F for the value as read.
class Query : public Dataset {
    Q_OBJECT
public:
    explicit Query(QObject* parent = nullptr);
    ~Query() override;

    void setFolder(const QString& folder);
    QString folder() const;
    void setSql(const QString& sql); // closes the query
    QString sql() const;

    void setParam(const QString& name, const QVariant& value); // name without ':'
    void clearParams();

    void open() override; // runs a select; throws for other statements
    void close() override;
    // Runs an insert, update or delete (or a select, returning its row count).
    // Returns the number of rows changed.
    int execSql();

    bool isLive() const;

    void setCachedUpdates(bool on);
    bool cachedUpdates() const;
    void setUpdateTemplates(const QString& insertSql, const QString& modifySql, const QString& deleteSql);
    bool hasPendingUpdates() const;
    // Writes the held-back changes in the order they were made; on error throws, and the
    // changes not yet written stay pending.
    void applyUpdates();
    void cancelUpdates();
};

// Runs one statement on the tables in folder; returns rows changed (insert, update, delete).
int executeSql(const QString& folder, const QString& sql, const QHash<QString, QVariant>& params = {});

} // namespace tamsel::engine
