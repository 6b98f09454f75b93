#pragma once

#include "engine/dbffile.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace tamsel::engine {

struct Bookmark {
    qint64 value = -1;
    bool isValid() const { return value >= 0; }
    bool operator==(const Bookmark&) const = default;
};

struct LocateOptions {
    bool partialKey = false; // the field begins with the value
    bool caseInsensitive = false;
};

// A cursor over rows: the common part of tables and queries.
//
// A file-backed dataset (a table, a live query) holds record numbers of one DbfFile and reads
// values from the file, so writes by any other object on the same file are seen at once.
// A result dataset (distinct, one field, max, or a join-free select that is not live) holds
// its own rows and is read-only.
//
// Field names are matched without regard to case. Reading a field that does not exist throws
// EngineError naming it. Every method that fails throws EngineError and leaves the dataset as
// it was.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(QObject* parent = nullptr);
    ~Dataset() override;

    virtual void open() = 0;
    virtual void close();
    bool isActive() const;
    State state() const;

    // Cursor. recNo() is 1-based, 0 when there is no row.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const;
    bool bof() const;
    bool isEmpty() const;
    int moveBy(int distance); // returns the distance actually moved
    int recordCount() const;
    int recNo() const;
    void setRecNo(int recNo);
    Bookmark bookmark() const;
    bool bookmarkValid(const Bookmark& bookmark) const;
    void gotoBookmark(const Bookmark& bookmark); // throws when the row is gone

    // Grids attached to the dataset stop following it while a walk runs.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    // Fields of the rows.
    int fieldCount() const;
    const Field& field(int index) const;
    QStringList fieldNames() const;
    int fieldIndex(QStringView name) const; // -1 when absent
    bool hasField(QStringView name) const { return fieldIndex(name) >= 0; }

    // Values of the current row (the pending values while editing).
    QString asString(QStringView name) const; // text form (see DbfFile::text)
    double asFloat(QStringView name) const;   // 0 when empty
    int asInteger(QStringView name) const;    // rounded, 0 when empty
    QDate asDate(QStringView name) const;     // null when empty
    QVariant value(QStringView name) const;   // typed, see DbfFile::value
    QVariant value(int index) const;
    QString asString(int index) const;
    bool isNull(QStringView name) const; // empty field

    // Editing (file-backed datasets only; a read-only dataset throws).
    void edit();
    void append();                                          // a new blank row, written on post
    void setValue(QStringView name, const QVariant& value); // see DbfFile::buildRecord
    void setValue(int index, const QVariant& value);
    void post(); // writes the row; on error throws and stays in Edit/Insert with its values
    void cancel();
    void deleteRecord(); // marks the current record deleted; the cursor moves to the next row
    void refresh();      // rereads the file state, keeps the current record when it is still there

    // Filter expression (the condition language of SQL where clauses, plus 'abc*' prefix
    // match: "zddm ='item_191'", "item_4='2008*' and item_cglb='1'"). Takes effect when
    // filtered is on; set while open it re-applies at once and moves to the first row.
    void setFilter(const QString& expression);
    QString filter() const;
    void setFiltered(bool on);
    bool filtered() const;

    // Moves to the first row whose field equals value (or begins with it when partialKey).
    // Character fields compare without trailing blanks. Returns false and stays when none.
    bool locate(QStringView fieldName, const QString& value, LocateOptions options = {});

signals:
    // Rows came or went, or values changed: attached views reload.
    void dataChanged();
    // The current row moved.
    void currentChanged();
    void stateChanged();

public:
    struct Impl; // the engine's own; defined in dataset_p.h

protected:
    std::unique_ptr<Impl> d;
};

} // namespace tamsel::engine
