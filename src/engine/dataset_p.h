#pragma once

// Private state shared by Dataset, Table and Query.

#include "engine/dataset.h"
#include "engine/expr.h"

#include <QHash>
#include <QList>

namespace tamsel::engine {

// Row keys of held-back appends start here, far above any record number.
constexpr qint64 kPendingBase = qint64(1) << 40;

struct Dataset::Impl {
    enum class Kind { Table, Live, Result };

    Impl(Dataset* owner, Kind datasetKind) : q(owner), kind(datasetKind) {}
    virtual ~Impl() = default;

    Dataset* q;
    Kind kind;
    State state = State::Inactive;

    // File-backed datasets (tables, live queries).
    std::shared_ptr<DbfFile> file;
    QByteArray blank;
    // Live queries: the rows the query produced (plus appends); the view is a filtered copy.
    QList<qint64> baseRows;

    // Results: one column of values.
    QList<Field> resultFields;
    QList<QVariant> resultValues;
    QStringList resultTexts;

    QList<qint64> rows; // the view: record numbers, pending keys, or result indexes
    int cur = -1;
    bool eof = true;
    bool bof = true;

    // Edit buffer.
    QHash<int, QVariant> pending;
    qint64 editKey = -1;

    QString filterText;
    expr::Params filterParams;
    bool filtered = false;
    std::unique_ptr<expr::Condition> filterCond;

    // The file state this dataset has taken in; a difference means writes by someone else.
    quint64 seenChange = 0;
    quint64 seenLayout = 0;

    int disabled = 0;

    // Held-back changes of a live query with cached updates.
    struct Overlay {
        QHash<int, QVariant> values;
        QByteArray original; // the record as read
        bool inserted = false;
        bool deleted = false;
    };
    bool cached = false;
    QHash<qint64, Overlay> overlays;
    QList<qint64> opOrder;
    qint64 nextPendingKey = kPendingBase;

    // Re-runs the source (a query's statement); tables just rescan.
    virtual void rerun() { computeRows(); }

    // --- helpers (dataset.cpp)
    bool fileBacked() const { return kind != Kind::Result; }
    void requireActive() const;
    void requireEditable() const;
    void sync();
    void markSeen();
    bool inSync() const;
    void computeRows();
    void takeInWrites(const QList<quint32>& records);
    bool passesFilter(qint64 key) const;
    void compileFilter(const QString& text, bool on, std::unique_ptr<expr::Condition>* out) const;
    void openFinished(); // after the source has filled rows
    void closeState();
    void repositionTo(qint64 key, int fallbackIndex);
    const char* recordFor(qint64 key) const;
    qint64 currentKey() const { return cur >= 0 && cur < rows.size() ? rows[cur] : -1; }
    int fieldIndexOrThrow(QStringView name) const;
    const Field& fieldAt(int index) const;
    QVariant valueAt(int field) const;
    QString textAt(int field) const;
    QVariant valueOfKey(qint64 key, int field) const; // committed or held-back value of a row
    void validateValues(const QHash<int, QVariant>& values) const;
    void checkBrowseMode(); // posts a pending edit before the cursor moves
    void setState(State s);
    void emitData();
    void emitCurrent();
};

// Text form of a value about to be stored in a field of the given type.
QString pendingText(const Field& field, const QVariant& value);
QVariant pendingValue(const Field& field, const QVariant& value);

// Every write the engine makes through a dataset or statement is noted here, so other datasets
// on the same file can take in just those records instead of rescanning the file.
// before is the file's changeCount() just before the write.
void noteWrite(const std::shared_ptr<DbfFile>& file, quint64 before, quint32 record);
// The records written between changeCount() values from and to, when every write in between
// was noted; false when something else changed the file (refresh, pack, a direct write).
bool writesSince(const std::shared_ptr<DbfFile>& file, quint64 from, quint64 to, QList<quint32>* records);

// The stored bytes of a record; throws when the file no longer holds it.
const char* storedRecord(const DbfFile& file, quint32 record);

// Opens the file of a table named in SQL or set on a Table; bare names get ".dbf".
std::shared_ptr<DbfFile> openTableFile(const QString& folder, const QString& name, bool quoted,
                                       OpenMode mode);

} // namespace tamsel::engine
