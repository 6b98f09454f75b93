// Query: SQL statements over the tables of a folder, live and buffered results, cached updates.
#include "engine/query.h"

#include "engine/dataset_p.h"
#include "engine/gbk.h"
#include "engine/sql.h"

#include <QSet>
#include <algorithm>
#include <limits>
#include <optional>

namespace tamsel::engine {

namespace {

using expr::Params;

std::shared_ptr<DbfFile> openStatementTable(const QString& folder, const sql::TableRef& table,
                                            const expr::Source& source) {
    try {
        return openTableFile(folder, table.name, table.quoted, OpenMode::Shared);
    } catch (const EngineError& e) {
        throw expr::errorAt(source, table.pos, e.message());
    }
}

int fieldOrThrow(const DbfFile& file, const QString& name, int pos, const expr::Source& source) {
    const int index = file.fieldIndex(name);
    if (index < 0)
        throw expr::errorAt(source, pos, QStringLiteral("表 %1 中没有字段 %2").arg(file.tableName(), name));
    return index;
}

std::unique_ptr<expr::Condition> compileWhere(const sql::Statement& st, const DbfFile& file,
                                              const Params& params, const expr::Source& source) {
    if (!st.where)
        return nullptr;
    return expr::Condition::compile(*st.where, file, params, source);
}

QList<qint64> matchingRecords(const DbfFile& file, const expr::Condition* cond) {
    QList<qint64> out;
    const quint32 count = file.recordCount();
    for (quint32 r = 0; r < count; ++r) {
        const char* rec = file.recordData(r);
        if (rec == nullptr || rec[0] == '*')
            continue;
        if (cond && !cond->matches(rec))
            continue;
        out.append(r);
    }
    return out;
}

// Sort and max keys: numbers numerically (empty lowest), dates and text by their stored bytes
// (GBK order, trailing blanks ignored), memos and logicals by their text.
struct KeyReader {
    KeyReader(const DbfFile& table, int index) : file(table), field(index), f(table.fields()[index]) {}
    const DbfFile& file;
    int field;
    const Field& f;

    bool numeric() const { return f.type == 'N' || f.type == 'F'; }
    bool raw() const { return f.type == 'C' || f.type == 'D'; }

    double number(qint64 rec) const {
        double d = 0;
        if (!expr::parseNumber(std::string_view(file.recordData(quint32(rec)) + f.offset, size_t(f.length)),
                               &d))
            return -std::numeric_limits<double>::infinity();
        return d;
    }
    QByteArray bytes(qint64 rec) const {
        if (raw()) {
            const auto v = expr::trimmedRaw(file.recordData(quint32(rec)) + f.offset, f.length);
            return QByteArray(v.data(), qsizetype(v.size()));
        }
        QByteArray out;
        encodeGbk(file.text(file.recordData(quint32(rec)), field), &out);
        return out;
    }
};

void sortRecords(const DbfFile& file, int field, bool descending, QList<qint64>& recs) {
    const KeyReader reader(file, field);
    if (reader.numeric()) {
        std::vector<std::pair<double, qint64>> keyed;
        keyed.reserve(size_t(recs.size()));
        for (const qint64 r : std::as_const(recs))
            keyed.emplace_back(reader.number(r), r);
        if (descending)
            std::stable_sort(keyed.begin(), keyed.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
        else
            std::stable_sort(keyed.begin(), keyed.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t i = 0; i < keyed.size(); ++i)
            recs[qsizetype(i)] = keyed[i].second;
        return;
    }
    std::vector<std::pair<std::string_view, qint64>> keyed;
    QList<QByteArray> storage; // texts that are not stored bytes
    keyed.reserve(size_t(recs.size()));
    if (reader.raw()) {
        const Field& f = reader.f;
        for (const qint64 r : std::as_const(recs))
            keyed.emplace_back(expr::trimmedRaw(file.recordData(quint32(r)) + f.offset, f.length), r);
    } else {
        storage.reserve(recs.size());
        for (const qint64 r : std::as_const(recs))
            storage.append(reader.bytes(r));
        for (qsizetype i = 0; i < recs.size(); ++i)
            keyed.emplace_back(std::string_view(storage[i].constData(), size_t(storage[i].size())), recs[i]);
    }
    // std::string_view compares as unsigned char through char_traits<char>::compare (memcmp).
    if (descending)
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < keyed.size(); ++i)
        recs[qsizetype(i)] = keyed[i].second;
}

QVariant operandValue(const expr::Operand& o, const Params& params, const expr::Source& source) {
    switch (o.kind) {
    case expr::Operand::Number:
        return o.number;
    case expr::Operand::Text:
        return o.text;
    case expr::Operand::Param: {
        const auto it = params.constFind(expr::paramKey(o.text));
        if (it == params.constEnd())
            throw expr::errorAt(source, o.pos, QStringLiteral("参数 :%1 没有赋值").arg(o.text));
        return *it;
    }
    default:
        return QVariant();
    }
}

// Checks new values before anything is written, so a bad value leaves every file as it was.
void checkValues(DbfFile& file, const QHash<int, QVariant>& values) {
    QHash<int, QVariant> plain;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const Field& f = file.fields()[it.key()];
        if (f.type == 'M') {
            if (gbkByteLength(it.value().toString()) < 0)
                throw EngineError(QStringLiteral("表 %1 字段 %2 的值含有 GBK 无法表示的字符")
                                      .arg(file.tableName(), f.name));
        } else {
            plain.insert(it.key(), it.value());
        }
    }
    if (!plain.isEmpty())
        file.buildRecord(file.blankRecord(), plain);
}

// A modify or delete of a held-back change names the record it came from (ownFile, ownRecord):
// the statement then writes exactly that record and its where clause is not consulted, since a
// where clause over values cannot tell apart two rows that read the same.
int executeStatement(const QString& folder, const sql::Statement& st, const Params& params,
                     const expr::Source& source, const DbfFile* ownFile = nullptr, qint64 ownRecord = -1) {
    auto file = openStatementTable(folder, st.table, source);
    const bool own = ownFile && ownFile == file.get() && ownRecord >= 0 && ownRecord < kPendingBase;
    auto targets = [&](const expr::Condition* cond) {
        if (!own)
            return matchingRecords(*file, cond);
        QList<qint64> recs;
        if (quint64(ownRecord) < file->recordCount() && !file->isDeleted(quint32(ownRecord)))
            recs.append(ownRecord);
        return recs;
    };
    QHash<int, QVariant> values;
    for (const sql::Assignment& a : st.assignments) {
        const int index = fieldOrThrow(*file, a.field, a.fieldPos, source);
        if (values.contains(index))
            throw expr::errorAt(source, a.fieldPos, QStringLiteral("字段 %1 写了两次").arg(a.field));
        values.insert(index, operandValue(a.value, params, source));
    }
    // One write lock for the whole statement; a failure anywhere puts the files back.
    std::optional<DbfFile::WriteScope> scope;
    if (st.kind != sql::Statement::Select)
        scope.emplace(*file);
    switch (st.kind) {
    case sql::Statement::Insert: {
        checkValues(*file, values);
        const QByteArray data = file->buildRecord(file->blankRecord(), values);
        const quint64 before = file->changeCount();
        noteWrite(file, before, file->appendRecord(data));
        return 1;
    }
    case sql::Statement::Update: {
        const auto cond = compileWhere(st, *file, params, source);
        checkValues(*file, values);
        const QList<qint64> recs = targets(cond.get());
        QList<QByteArray> built;
        built.reserve(recs.size());
        for (const qint64 r : recs)
            built.append(
                file->buildRecord(QByteArray(storedRecord(*file, quint32(r)), file->recordLength()), values));
        for (qsizetype i = 0; i < recs.size(); ++i) {
            const quint64 before = file->changeCount();
            file->writeRecord(quint32(recs[i]), built[i]);
            noteWrite(file, before, quint32(recs[i]));
        }
        return int(recs.size());
    }
    case sql::Statement::Delete: {
        const auto cond = compileWhere(st, *file, params, source);
        const QList<qint64> recs = targets(cond.get());
        for (const qint64 r : recs) {
            const quint64 before = file->changeCount();
            file->setDeleted(quint32(r), true);
            noteWrite(file, before, quint32(r));
        }
        return int(recs.size());
    }
    case sql::Statement::Select:
        break;
    }
    return 0;
}

struct QueryImpl : Dataset::Impl {
    explicit QueryImpl(Dataset* owner) : Impl(owner, Kind::Live) {}

    QString folder;
    QString sqlText;
    Params params;
    QString insertSql, modifySql, deleteSql;

    void runSelect();
    void rerun() override { runSelect(); }
    Params changeParams(qint64 key, const Overlay& ov) const;
    void writeChange(qint64 key, const Overlay& ov);
};

QueryImpl& impl(const std::unique_ptr<Dataset::Impl>& d) {
    return static_cast<QueryImpl&>(*d);
}

// Runs the select and fills rows; held-back appends of a live query stay at the end.
void QueryImpl::runSelect() {
    const expr::Source source = sql::sqlSource(sqlText);
    const sql::Statement st = sql::parse(sqlText);
    if (st.kind != sql::Statement::Select)
        throw EngineError(QStringLiteral("只有 select 语句才能打开，其他语句请执行"));
    auto f = openStatementTable(folder, st.table, source);
    f->catchUp();
    const auto cond = compileWhere(st, *f, params, source);
    const int orderField = st.orderBy.isEmpty() ? -1 : fieldOrThrow(*f, st.orderBy, st.orderPos, source);
    const int column =
        st.column == sql::Statement::All ? -1 : fieldOrThrow(*f, st.field, st.fieldPos, source);

    QList<qint64> recs = matchingRecords(*f, cond.get());
    if (orderField >= 0)
        sortRecords(*f, orderField, st.descending, recs);

    if (st.column == sql::Statement::All) {
        kind = Kind::Live;
        if (file != f) {
            overlays.clear();
            opOrder.clear();
        }
        file = f;
        blank = f->blankRecord();
        for (const qint64 key : std::as_const(opOrder))
            if (key >= kPendingBase && !recs.contains(key))
                recs.append(key);
        baseRows = recs;
        compileFilter(filterText, filtered, &filterCond);
        computeRows();
        return;
    }

    kind = Kind::Result;
    file.reset();
    baseRows.clear();
    overlays.clear();
    opOrder.clear();
    filterCond.reset();
    Field column0 = f->fields()[column];
    column0.offset = 0;
    resultFields = {column0};
    resultValues.clear();
    resultTexts.clear();
    const bool textual = column0.type == 'C' || column0.type == 'M';
    auto addRow = [&](qint64 rec) {
        const char* data = f->recordData(quint32(rec));
        resultTexts.append(f->text(data, column));
        resultValues.append(textual ? QVariant(resultTexts.last()) : f->value(data, column));
    };
    switch (st.column) {
    case sql::Statement::One:
        resultTexts.reserve(recs.size());
        resultValues.reserve(recs.size());
        for (const qint64 r : std::as_const(recs))
            addRow(r);
        break;
    case sql::Statement::Distinct: {
        const bool sortedByColumn = orderField < 0 || orderField == column;
        if (orderField < 0)
            sortRecords(*f, column, false, recs);
        const KeyReader reader(*f, column);
        auto keyOf = [&](qint64 r) {
            return reader.numeric() ? QByteArray::number(reader.number(r), 'g', 17) : reader.bytes(r);
        };
        if (sortedByColumn) { // equal values are neighbours
            QByteArray previous;
            for (qsizetype i = 0; i < recs.size(); ++i) {
                QByteArray key = keyOf(recs[i]);
                if (i > 0 && key == previous)
                    continue;
                addRow(recs[i]);
                previous = std::move(key);
            }
            break;
        }
        QSet<QByteArray> seen;
        for (const qint64 r : std::as_const(recs)) {
            const QByteArray key = keyOf(r);
            if (seen.contains(key))
                continue;
            seen.insert(key);
            addRow(r);
        }
        break;
    }
    case sql::Statement::Max: {
        const KeyReader reader(*f, column);
        qint64 best = -1;
        if (reader.numeric()) {
            double bestValue = -std::numeric_limits<double>::infinity();
            for (const qint64 r : std::as_const(recs)) {
                const double v = reader.number(r);
                if (v == -std::numeric_limits<double>::infinity())
                    continue;
                if (best < 0 || v > bestValue) {
                    best = r;
                    bestValue = v;
                }
            }
        } else if (reader.raw()) {
            std::string_view bestValue;
            for (const qint64 r : std::as_const(recs)) {
                const auto v = expr::trimmedRaw(f->recordData(quint32(r)) + reader.f.offset, reader.f.length);
                if (v.empty())
                    continue;
                if (best < 0 || v > bestValue) {
                    best = r;
                    bestValue = v;
                }
            }
        } else {
            QByteArray bestValue;
            for (const qint64 r : std::as_const(recs)) {
                const QByteArray v = reader.bytes(r);
                if (!v.isEmpty() && (best < 0 || v > bestValue)) {
                    best = r;
                    bestValue = v;
                }
            }
        }
        if (best >= 0) {
            addRow(best);
        } else { // no row: one empty value, so callers can read it without a check
            resultValues.append(column0.type == 'C' || column0.type == 'M' ? QVariant(QString())
                                                                           : QVariant());
            resultTexts.append(QString());
        }
        break;
    }
    case sql::Statement::All:
        break;
    }
    computeRows();
}

Params QueryImpl::changeParams(qint64 key, const Overlay& ov) const {
    Params p;
    const QList<Field>& fields = file->fields();
    const QByteArray& base = ov.inserted ? blank : ov.original;
    for (int i = 0; i < fields.size(); ++i) {
        const QString name = expr::paramKey(fields[i].name);
        const QVariant old = file->value(base.constData(), i);
        const auto changed = ov.values.constFind(i);
        p.insert(name, changed != ov.values.constEnd() ? pendingValue(fields[i], *changed) : old);
        p.insert(QStringLiteral("OLD_") + name, old);
    }
    Q_UNUSED(key);
    return p;
}

// Writes one held-back change: through its statement template when one is set, otherwise
// straight to the record.
void QueryImpl::writeChange(qint64 key, const Overlay& ov) {
    const QString& templ = ov.inserted ? insertSql : (ov.deleted ? deleteSql : modifySql);
    if (!templ.trimmed().isEmpty()) {
        // A row read from the table is written to its own record, whatever the template's
        // where clause says; new rows go through the insert template as written.
        const sql::Statement st = sql::parse(templ);
        if (!ov.inserted && st.kind != sql::Statement::Select)
            executeStatement(folder, st, changeParams(key, ov), sql::sqlSource(templ), file.get(), key);
        else
            executeSql(folder, templ, changeParams(key, ov));
        return;
    }
    const DbfFile::WriteScope scope(*file);
    if (ov.inserted) {
        checkValues(*file, ov.values);
        const QByteArray data = file->buildRecord(blank, ov.values);
        const quint64 before = file->changeCount();
        noteWrite(file, before, file->appendRecord(data));
    } else if (ov.deleted) {
        if (!file->isDeleted(quint32(key))) {
            const quint64 before = file->changeCount();
            file->setDeleted(quint32(key), true);
            noteWrite(file, before, quint32(key));
        }
    } else {
        checkValues(*file, ov.values);
        const QByteArray data =
            file->buildRecord(QByteArray(storedRecord(*file, quint32(key)), file->recordLength()), ov.values);
        const quint64 before = file->changeCount();
        file->writeRecord(quint32(key), data);
        noteWrite(file, before, quint32(key));
    }
}

} // namespace

Query::Query(QObject* parent) : Dataset(parent) {
    d = std::make_unique<QueryImpl>(this);
}

Query::~Query() = default;

void Query::setFolder(const QString& folder) {
    if (impl(d).folder != folder)
        close();
    impl(d).folder = folder;
}

QString Query::folder() const {
    return impl(d).folder;
}

void Query::setSql(const QString& sql) {
    close();
    impl(d).sqlText = sql;
}

QString Query::sql() const {
    return impl(d).sqlText;
}

void Query::setParam(const QString& name, const QVariant& value) {
    QString key = name;
    if (key.startsWith(u':'))
        key.remove(0, 1);
    impl(d).params.insert(expr::paramKey(key), value);
}

void Query::clearParams() {
    impl(d).params.clear();
}

void Query::open() {
    if (isActive())
        return;
    QueryImpl& q = impl(d);
    q.overlays.clear();
    q.opOrder.clear();
    q.state = State::Browse; // filters compile only on an open dataset
    try {
        q.runSelect();
    } catch (...) {
        q.state = State::Inactive;
        q.closeState();
        throw;
    }
    q.openFinished();
}

void Query::close() {
    Dataset::close();
}

int Query::execSql() {
    QueryImpl& q = impl(d);
    const sql::Statement st = sql::parse(q.sqlText);
    if (st.kind == sql::Statement::Select) {
        close();
        open();
        return recordCount();
    }
    return executeStatement(q.folder, st, q.params, sql::sqlSource(q.sqlText));
}

bool Query::isLive() const {
    return isActive() && d->kind == Impl::Kind::Live;
}

void Query::setCachedUpdates(bool on) {
    if (on == d->cached)
        return;
    if (!on && hasPendingUpdates())
        throw EngineError(QStringLiteral("还有没有写入的修改，请先写入或放弃"));
    d->cached = on;
}

bool Query::cachedUpdates() const {
    return d->cached;
}

void Query::setUpdateTemplates(const QString& insertSql, const QString& modifySql, const QString& deleteSql) {
    QueryImpl& q = impl(d);
    q.insertSql = insertSql;
    q.modifySql = modifySql;
    q.deleteSql = deleteSql;
}

bool Query::hasPendingUpdates() const {
    return !d->opOrder.isEmpty();
}

void Query::applyUpdates() {
    QueryImpl& q = impl(d);
    if (!isActive())
        return;
    q.checkBrowseMode();
    const qint64 key0 = q.currentKey();
    const int index = q.cur;
    auto reload = [&] {
        q.runSelect();
        q.markSeen();
        q.repositionTo(key0 < kPendingBase ? key0 : -1, index);
        q.emitData();
        q.emitCurrent();
    };
    try {
        while (!q.opOrder.isEmpty()) {
            const qint64 key = q.opOrder.first();
            const Impl::Overlay ov = q.overlays.value(key);
            q.writeChange(key, ov);
            q.overlays.remove(key);
            q.opOrder.removeFirst();
        }
    } catch (...) {
        try {
            reload();
        } catch (const EngineError&) { // the first error is the one to report
        }
        throw;
    }
    reload();
}

void Query::cancelUpdates() {
    QueryImpl& q = impl(d);
    if (q.state == State::Edit || q.state == State::Insert)
        cancel();
    q.overlays.clear();
    q.opOrder.clear();
    if (!isActive())
        return;
    const int index = q.cur;
    q.runSelect();
    q.markSeen();
    q.repositionTo(-1, index);
    q.emitData();
    q.emitCurrent();
}

int executeSql(const QString& folder, const QString& sqlText, const QHash<QString, QVariant>& params) {
    const sql::Statement st = sql::parse(sqlText);
    Params bound;
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        QString key = it.key();
        if (key.startsWith(u':'))
            key.remove(0, 1);
        bound.insert(expr::paramKey(key), it.value());
    }
    if (st.kind == sql::Statement::Select) {
        Query q;
        q.setFolder(folder);
        q.setSql(sqlText);
        for (auto it = bound.cbegin(); it != bound.cend(); ++it)
            q.setParam(it.key(), it.value());
        q.open();
        return q.recordCount();
    }
    return executeStatement(folder, st, bound, sql::sqlSource(sqlText));
}

} // namespace tamsel::engine
