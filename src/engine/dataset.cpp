// Dataset, the cursor over rows shared by tables and queries: navigation, editing, filters,
// bookmarks and locate.
#include "engine/dataset.h"
#include "engine/filter_params.h"

#include "engine/dataset_p.h"
#include "engine/gbk.h"

#include <QDir>
#include <QLocale>
#include <algorithm>
#include <deque>
#include <unordered_map>
#include <utility>

namespace tamsel::engine {

// ---------------------------------------------------------------------------------------------
// Helpers

const char* storedRecord(const DbfFile& file, quint32 record) {
    const char* rec = file.recordData(record);
    if (rec == nullptr)
        throw EngineError(
            QStringLiteral("表 %1 的第 %2 条记录读不出来").arg(file.tableName()).arg(record + 1));
    return rec;
}

std::shared_ptr<DbfFile> openTableFile(const QString& folder, const QString& name, bool quoted,
                                       OpenMode mode) {
    QString fileName = name;
    if (!quoted && !name.contains(u'.') && DbfFile::resolve(folder, name).isEmpty())
        fileName = name + QStringLiteral(".dbf");
    if (DbfFile::resolve(folder, fileName).isEmpty())
        throw EngineError(
            QStringLiteral("找不到表 %1（文件夹 %2）").arg(name, QDir::toNativeSeparators(folder)));
    return DbfFile::open(folder, fileName, mode);
}

namespace {

struct WriteLog {
    struct Entry {
        quint64 before;
        quint64 after;
        quint32 record;
    };
    std::weak_ptr<DbfFile> owner; // tells a live file from a dead one at the same address
    std::deque<Entry> entries;
};

std::unordered_map<const DbfFile*, WriteLog>& writeLogs() {
    static std::unordered_map<const DbfFile*, WriteLog> logs;
    return logs;
}

constexpr size_t kWriteLogLength = 8192;

} // namespace

void noteWrite(const std::shared_ptr<DbfFile>& file, quint64 before, quint32 record) {
    auto& logs = writeLogs();
    if (logs.size() > 64) // forget files that are closed
        std::erase_if(logs, [](const auto& item) { return item.second.owner.expired(); });
    WriteLog& log = logs[file.get()];
    if (log.owner.lock() != file) {
        log.owner = file;
        log.entries.clear();
    }
    if (!log.entries.empty() && log.entries.back().after != before)
        log.entries.clear(); // a gap: older entries can never form a chain again
    log.entries.push_back({before, file->changeCount(), record});
    if (log.entries.size() > kWriteLogLength)
        log.entries.pop_front();
}

bool writesSince(const std::shared_ptr<DbfFile>& file, quint64 from, quint64 to, QList<quint32>* records) {
    const auto it = writeLogs().find(file.get());
    if (it == writeLogs().end() || it->second.entries.empty() || it->second.owner.lock() != file)
        return false;
    const auto& entries = it->second.entries;
    if (entries.back().after != to || entries.front().before > from)
        return false;
    auto e = std::lower_bound(entries.begin(), entries.end(), from,
                              [](const WriteLog::Entry& x, quint64 v) { return x.before < v; });
    if (e == entries.end() || e->before != from)
        return false;
    for (; e != entries.end(); ++e)
        records->append(e->record);
    return true;
}

namespace {

bool isNumberType(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

QDate dateFromText(const QString& text) {
    const QString t = text.trimmed();
    for (const char* format : {"yyyy-MM-dd", "yyyy.MM.dd", "yyyyMMdd"}) {
        const QDate d = QDate::fromString(t, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return {};
}

QString shortest(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

} // namespace

QVariant pendingValue(const Field& field, const QVariant& value) {
    if (value.isNull() && value.typeId() != QMetaType::QString)
        return field.type == 'C' || field.type == 'M' ? QVariant(QString()) : QVariant();
    switch (field.type) {
    case 'N':
    case 'F': {
        if (isNumberType(value))
            return value.toDouble();
        bool ok = false;
        const double d = value.toString().trimmed().toDouble(&ok);
        return ok ? QVariant(d) : QVariant();
    }
    case 'D': {
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().isValid() ? value : QVariant();
        const QDate d = dateFromText(value.toString());
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case 'L':
        if (value.typeId() == QMetaType::Bool)
            return value;
        if (value.toString().trimmed().isEmpty())
            return QVariant();
        return QVariant(QStringLiteral("TtYy").contains(value.toString().trimmed().left(1)));
    case 'C': {
        QString s = value.typeId() == QMetaType::Double ? shortest(value.toDouble()) : value.toString();
        while (s.endsWith(u' '))
            s.chop(1);
        return s;
    }
    default:
        return value.toString();
    }
}

QString pendingText(const Field& field, const QVariant& value) {
    const QVariant v = pendingValue(field, value);
    if (v.isNull() && v.typeId() != QMetaType::QString)
        return QString();
    switch (v.typeId()) {
    case QMetaType::Double:
        return shortest(v.toDouble());
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    default:
        return v.toString();
    }
}

// ---------------------------------------------------------------------------------------------
// Impl

void Dataset::Impl::requireActive() const {
    if (state == State::Inactive)
        throw EngineError(QStringLiteral("数据集没有打开"));
}

void Dataset::Impl::requireEditable() const {
    requireActive();
    if (!fileBacked())
        throw EngineError(QStringLiteral("查询结果是只读的，不能修改"));
}

bool Dataset::Impl::inSync() const {
    return file && file->changeCount() == seenChange && file->layoutChangeCount() == seenLayout;
}

void Dataset::Impl::markSeen() {
    if (!file)
        return;
    seenChange = file->changeCount();
    seenLayout = file->layoutChangeCount();
}

// Takes in writes made through other objects on the same file. Lazy: runs when the dataset
// is next used, so a burst of writes elsewhere costs one pass here.
void Dataset::Impl::sync() {
    if (!file || state == State::Inactive || inSync())
        return;
    if (state != State::Browse) // the row being edited keeps its place until post or cancel
        return;
    const qint64 key = currentKey();
    const int index = cur;
    QList<quint32> written;
    if (writesSince(file, seenChange, file->changeCount(), &written))
        takeInWrites(written);
    else
        computeRows();
    markSeen();
    repositionTo(key, index);
}

// Brings the view up to date for the given written records only.
void Dataset::Impl::takeInWrites(const QList<quint32>& records) {
    const quint32 count = file->recordCount();
    for (const quint32 r : records) {
        const bool alive = r < count && !file->isDeleted(r);
        if (kind == Kind::Table) { // rows stay in record order
            const auto pos = std::lower_bound(rows.begin(), rows.end(), qint64(r));
            const bool present = pos != rows.end() && *pos == qint64(r);
            const bool wanted = alive && passesFilter(r);
            if (present && !wanted)
                rows.erase(pos);
            else if (!present && wanted)
                rows.insert(pos, qint64(r));
        } else if (!alive) { // live queries keep their rows; only deletions show
            rows.removeOne(qint64(r));
            baseRows.removeOne(qint64(r));
        }
    }
}

bool Dataset::Impl::passesFilter(qint64 key) const {
    if (!filterCond || key >= kPendingBase)
        return true;
    const char* rec = file->recordData(quint32(key));
    return rec != nullptr && filterCond->matches(rec);
}

void Dataset::Impl::computeRows() {
    rows.clear();
    if (kind == Kind::Result) {
        for (qint64 i = 0; i < resultValues.size(); ++i)
            rows.append(i);
        return;
    }
    if (kind == Kind::Table) {
        const quint32 count = file->recordCount();
        rows.reserve(count);
        for (quint32 r = 0; r < count; ++r) {
            const char* rec = file->recordData(r);
            if (rec == nullptr || rec[0] == '*')
                continue;
            if (filterCond && !filterCond->matches(rec))
                continue;
            rows.append(r);
        }
        return;
    }
    // Live query: its own rows, less those deleted since (here or elsewhere).
    QList<qint64> kept;
    kept.reserve(baseRows.size());
    const quint32 count = file->recordCount();
    for (const qint64 key : std::as_const(baseRows)) {
        if (key < kPendingBase && (quint32(key) >= count || file->isDeleted(quint32(key))))
            continue;
        kept.append(key);
        const auto ov = overlays.constFind(key);
        if (ov != overlays.constEnd() && ov->deleted)
            continue;
        if (passesFilter(key))
            rows.append(key);
    }
    baseRows = std::move(kept);
}

void Dataset::Impl::compileFilter(const QString& text, bool on, std::unique_ptr<expr::Condition>* out) const {
    out->reset();
    if (!on || text.trimmed().isEmpty() || state == State::Inactive)
        return;
    if (!fileBacked())
        throw EngineError(QStringLiteral("查询结果不能过滤"));
    const expr::Source source{text, QStringLiteral("过滤条件")};
    const auto node = expr::parseCondition(source);
    expr::CompileOptions options;
    options.starPrefix = true;
    *out = expr::Condition::compile(*node, *file, filterParams, source, options);
}

void Dataset::Impl::openFinished() {
    state = State::Browse;
    pending.clear();
    editKey = -1;
    cur = rows.isEmpty() ? -1 : 0;
    bof = true;
    eof = rows.isEmpty();
    markSeen();
    emit q->stateChanged();
    emitData();
    emitCurrent();
}

void Dataset::Impl::closeState() {
    const bool wasActive = state != State::Inactive;
    state = State::Inactive;
    file.reset();
    blank.clear();
    baseRows.clear();
    rows.clear();
    resultValues.clear();
    resultTexts.clear();
    resultFields.clear();
    pending.clear();
    editKey = -1;
    filterCond.reset();
    overlays.clear();
    opOrder.clear();
    cur = -1;
    eof = bof = true;
    if (wasActive) {
        emit q->stateChanged();
        emitData();
    }
}

void Dataset::Impl::repositionTo(qint64 key, int fallbackIndex) {
    int found = -1;
    if (key >= 0 && kind == Kind::Table) { // table rows are in record order
        const auto pos = std::lower_bound(rows.cbegin(), rows.cend(), key);
        found = pos != rows.cend() && *pos == key ? int(pos - rows.cbegin()) : -1;
    } else if (key >= 0) {
        found = int(rows.indexOf(key));
    }
    if (found >= 0)
        cur = found;
    else if (rows.isEmpty())
        cur = -1;
    else
        cur = qBound(0, fallbackIndex, int(rows.size()) - 1);
    if (rows.isEmpty())
        eof = bof = true;
    else
        eof = bof = false;
}

const char* Dataset::Impl::recordFor(qint64 key) const {
    if (key < 0 || key >= kPendingBase)
        return blank.constData();
    const char* rec = file->recordData(quint32(key));
    return rec != nullptr ? rec : blank.constData();
}

int Dataset::Impl::fieldIndexOrThrow(QStringView name) const {
    requireActive();
    const int index = q->fieldIndex(name);
    if (index < 0) {
        if (kind == Kind::Result)
            throw EngineError(QStringLiteral("查询结果中没有字段 %1").arg(name));
        throw EngineError(QStringLiteral("表 %1 中没有字段 %2").arg(file->tableName(), name));
    }
    return index;
}

const Field& Dataset::Impl::fieldAt(int index) const {
    requireActive();
    const QList<Field>& list = fileBacked() ? file->fields() : resultFields;
    if (index < 0 || index >= list.size())
        throw EngineError(QStringLiteral("没有第 %1 个字段").arg(index + 1));
    return list[index];
}

QVariant Dataset::Impl::valueOfKey(qint64 key, int field) const {
    const auto ov = overlays.constFind(key);
    if (ov != overlays.constEnd()) {
        const auto v = ov->values.constFind(field);
        if (v != ov->values.constEnd())
            return pendingValue(file->fields()[field], *v);
    }
    return file->value(recordFor(key), field);
}

QVariant Dataset::Impl::valueAt(int field) const {
    if (kind == Kind::Result) {
        if (cur < 0 || cur >= rows.size())
            return QVariant();
        return resultValues[int(rows[cur])];
    }
    if (state == State::Edit || state == State::Insert) {
        const auto it = pending.constFind(field);
        if (it != pending.constEnd())
            return pendingValue(file->fields()[field], *it);
        if (state == State::Insert)
            return file->value(blank.constData(), field);
        return valueOfKey(editKey, field);
    }
    const qint64 key = currentKey();
    if (key < 0)
        return file->value(blank.constData(), field);
    return valueOfKey(key, field);
}

QString Dataset::Impl::textAt(int field) const {
    if (kind == Kind::Result)
        return cur >= 0 && cur < rows.size() ? resultTexts[int(rows[cur])] : QString();
    const Field& f = file->fields()[field];
    if (state == State::Edit || state == State::Insert) {
        const auto it = pending.constFind(field);
        if (it != pending.constEnd())
            return pendingText(f, *it);
    }
    const qint64 key = state == State::Insert ? -1 : (state == State::Edit ? editKey : currentKey());
    const auto ov = overlays.constFind(key);
    if (ov != overlays.constEnd()) {
        const auto v = ov->values.constFind(field);
        if (v != ov->values.constEnd())
            return pendingText(f, *v);
    }
    return file->text(recordFor(key), field);
}

// Checks values without touching the files: widths, numbers, dates, GBK.
void Dataset::Impl::validateValues(const QHash<int, QVariant>& values) const {
    QHash<int, QVariant> plain;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const Field& f = file->fields()[it.key()];
        if (f.type == 'M') {
            if (gbkByteLength(it.value().toString()) < 0)
                throw EngineError(QStringLiteral("表 %1 字段 %2 的值含有 GBK 无法表示的字符")
                                      .arg(file->tableName(), f.name));
        } else {
            plain.insert(it.key(), it.value());
        }
    }
    if (!plain.isEmpty())
        file->buildRecord(blank, plain);
}

void Dataset::Impl::checkBrowseMode() {
    if (state == State::Edit || state == State::Insert)
        q->post();
}

void Dataset::Impl::setState(State s) {
    if (state == s)
        return;
    state = s;
    if (disabled == 0)
        emit q->stateChanged();
}

void Dataset::Impl::emitData() {
    if (disabled == 0)
        emit q->dataChanged();
}

void Dataset::Impl::emitCurrent() {
    if (disabled == 0)
        emit q->currentChanged();
}

// ---------------------------------------------------------------------------------------------
// Dataset

Dataset::Dataset(QObject* parent) : QObject(parent) {}

Dataset::~Dataset() = default;

void Dataset::close() {
    d->closeState();
}

bool Dataset::isActive() const {
    return d->state != State::Inactive;
}

Dataset::State Dataset::state() const {
    return d->state;
}

void Dataset::first() {
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    d->cur = d->rows.isEmpty() ? -1 : 0;
    d->bof = true;
    d->eof = d->rows.isEmpty();
    d->emitCurrent();
}

void Dataset::last() {
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    d->cur = int(d->rows.size()) - 1;
    d->eof = true;
    d->bof = d->rows.isEmpty();
    d->emitCurrent();
}

void Dataset::next() {
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    if (d->cur + 1 < d->rows.size()) {
        ++d->cur;
        d->eof = false;
        d->emitCurrent();
    } else {
        d->eof = true;
    }
    d->bof = false;
}

void Dataset::prior() {
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    if (d->cur > 0) {
        --d->cur;
        d->bof = false;
        d->emitCurrent();
    } else {
        d->bof = true;
    }
    d->eof = false;
}

bool Dataset::eof() const {
    d->sync();
    return d->state == State::Inactive || d->eof || d->rows.isEmpty();
}

bool Dataset::bof() const {
    d->sync();
    return d->state == State::Inactive || d->bof || d->rows.isEmpty();
}

bool Dataset::isEmpty() const {
    d->sync();
    return d->state == State::Inactive || (d->rows.isEmpty() && d->state != State::Insert);
}

int Dataset::moveBy(int distance) {
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    if (d->rows.isEmpty()) {
        d->eof = d->bof = true;
        return 0;
    }
    const int target = d->cur + distance;
    const int bounded = qBound(0, target, int(d->rows.size()) - 1);
    const int moved = bounded - d->cur;
    d->cur = bounded;
    d->eof = target > bounded;
    d->bof = target < bounded;
    if (moved != 0)
        d->emitCurrent();
    return moved;
}

int Dataset::recordCount() const {
    d->sync();
    return int(d->rows.size());
}

int Dataset::recNo() const {
    d->sync();
    if (d->state == State::Insert)
        return 0;
    return d->cur >= 0 ? d->cur + 1 : 0;
}

void Dataset::setRecNo(int recNo) {
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    if (d->rows.isEmpty())
        return;
    d->cur = qBound(1, recNo, int(d->rows.size())) - 1;
    d->eof = d->bof = false;
    d->emitCurrent();
}

Bookmark Dataset::bookmark() const {
    d->sync();
    return Bookmark{d->currentKey()};
}

bool Dataset::bookmarkValid(const Bookmark& bookmark) const {
    d->sync();
    return bookmark.isValid() && d->rows.contains(bookmark.value);
}

void Dataset::gotoBookmark(const Bookmark& bookmark) {
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    const int index = bookmark.isValid() ? int(d->rows.indexOf(bookmark.value)) : -1;
    if (index < 0)
        throw EngineError(QStringLiteral("书签指向的记录已不存在"));
    d->cur = index;
    d->eof = d->bof = false;
    d->emitCurrent();
}

void Dataset::disableControls() {
    ++d->disabled;
}

void Dataset::enableControls() {
    if (d->disabled == 0)
        return;
    if (--d->disabled == 0) {
        emit dataChanged();
        emit currentChanged();
    }
}

bool Dataset::controlsDisabled() const {
    return d->disabled > 0;
}

int Dataset::fieldCount() const {
    if (d->state == State::Inactive)
        return 0;
    return int(d->fileBacked() ? d->file->fields().size() : d->resultFields.size());
}

const Field& Dataset::field(int index) const {
    return d->fieldAt(index);
}

QStringList Dataset::fieldNames() const {
    QStringList names;
    for (int i = 0; i < fieldCount(); ++i)
        names.append(field(i).name);
    return names;
}

int Dataset::fieldIndex(QStringView name) const {
    if (d->state == State::Inactive)
        return -1;
    if (d->fileBacked())
        return d->file->fieldIndex(name);
    for (int i = 0; i < d->resultFields.size(); ++i)
        if (d->resultFields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString Dataset::asString(QStringView name) const {
    return asString(d->fieldIndexOrThrow(name));
}

QString Dataset::asString(int index) const {
    d->fieldAt(index);
    d->sync();
    return d->textAt(index);
}

double Dataset::asFloat(QStringView name) const {
    const QVariant v = value(name);
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const double x = v.toString().trimmed().toDouble(&ok);
        return ok ? x : 0.0;
    }
    return v.isNull() ? 0.0 : v.toDouble();
}

int Dataset::asInteger(QStringView name) const {
    return qRound(asFloat(name));
}

QDate Dataset::asDate(QStringView name) const {
    const QVariant v = value(name);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return dateFromText(v.toString());
}

QVariant Dataset::value(QStringView name) const {
    return value(d->fieldIndexOrThrow(name));
}

QVariant Dataset::value(int index) const {
    d->fieldAt(index);
    d->sync();
    return d->valueAt(index);
}

bool Dataset::isNull(QStringView name) const {
    return asString(name).isEmpty();
}

void Dataset::edit() {
    d->requireEditable();
    if (d->state == State::Edit || d->state == State::Insert)
        return;
    d->sync();
    if (d->currentKey() < 0) // never turned into an append: a loop run past its end must not add rows
        throw EngineError(QStringLiteral("表 %1 没有当前记录，不能修改").arg(d->file->tableName()));
    d->editKey = d->currentKey();
    d->pending.clear();
    d->setState(State::Edit);
}

void Dataset::append() {
    d->requireEditable();
    d->checkBrowseMode();
    d->sync();
    d->pending.clear();
    d->editKey = -1;
    d->setState(State::Insert);
    d->emitCurrent();
}

void Dataset::setValue(QStringView name, const QVariant& value) {
    setValue(d->fieldIndexOrThrow(name), value);
}

void Dataset::setValue(int index, const QVariant& value) {
    d->fieldAt(index);
    if (d->state != State::Edit && d->state != State::Insert)
        throw EngineError(
            QStringLiteral("表 %1 不在编辑状态，不能给字段 %2 赋值")
                .arg(d->fileBacked() ? d->file->tableName() : QString(), d->fieldAt(index).name));
    d->pending.insert(index, value);
}

void Dataset::post() {
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    DbfFile& file = *d->file;
    if (d->cached) {
        d->validateValues(d->pending);
        if (d->state == State::Edit) {
            const qint64 key = d->editKey;
            auto ov = d->overlays.find(key);
            if (ov == d->overlays.end()) {
                Impl::Overlay fresh;
                fresh.original = QByteArray(d->recordFor(key), file.recordLength());
                ov = d->overlays.insert(key, fresh);
            }
            for (auto it = d->pending.cbegin(); it != d->pending.cend(); ++it)
                ov->values.insert(it.key(), it.value());
            if (!d->opOrder.contains(key))
                d->opOrder.append(key);
        } else {
            const qint64 key = d->nextPendingKey++;
            Impl::Overlay fresh;
            fresh.inserted = true;
            fresh.values = d->pending;
            d->overlays.insert(key, fresh);
            d->opOrder.append(key);
            d->baseRows.append(key);
            d->rows.append(key);
            d->cur = int(d->rows.size()) - 1;
            d->eof = d->bof = false;
        }
    } else if (d->state == State::Edit) {
        const DbfFile::WriteScope scope(file);
        const quint32 record = quint32(d->editKey);
        const QByteArray data =
            file.buildRecord(QByteArray(storedRecord(file, record), file.recordLength()), d->pending);
        const bool wasInSync = d->inSync();
        const quint64 before = file.changeCount();
        file.writeRecord(record, data);
        noteWrite(d->file, before, record);
        if (wasInSync)
            d->markSeen();
        // A record edited out of the filter leaves the view; the cursor goes to the next row.
        if (!d->passesFilter(d->editKey)) {
            const int index = int(d->rows.indexOf(d->editKey));
            if (index >= 0) {
                d->rows.removeAt(index);
                d->repositionTo(-1, index);
            }
        }
    } else {
        const DbfFile::WriteScope scope(file);
        const QByteArray data = file.buildRecord(d->blank, d->pending);
        const bool wasInSync = d->inSync();
        const quint64 before = file.changeCount();
        const quint32 record = file.appendRecord(data);
        noteWrite(d->file, before, record);
        if (wasInSync)
            d->markSeen();
        if (d->kind == Impl::Kind::Live)
            d->baseRows.append(record);
        if (d->passesFilter(record)) {
            d->rows.append(record);
            d->cur = int(d->rows.size()) - 1;
            d->eof = d->bof = false;
        }
    }
    d->pending.clear();
    d->editKey = -1;
    d->setState(State::Browse);
    d->emitData();
    d->emitCurrent();
}

void Dataset::cancel() {
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    d->pending.clear();
    d->editKey = -1;
    d->setState(State::Browse);
    d->emitData();
}

void Dataset::deleteRecord() {
    d->requireEditable();
    if (d->state == State::Insert) {
        cancel();
        return;
    }
    if (d->state == State::Edit)
        cancel();
    d->sync();
    const qint64 key = d->currentKey();
    if (key < 0)
        throw EngineError(QStringLiteral("没有可删除的记录"));
    if (d->cached) {
        auto ov = d->overlays.find(key);
        if (ov != d->overlays.end() && ov->inserted) {
            d->overlays.erase(ov);
            d->opOrder.removeOne(key);
        } else {
            if (ov == d->overlays.end()) {
                Impl::Overlay fresh;
                fresh.original = QByteArray(d->recordFor(key), d->file->recordLength());
                ov = d->overlays.insert(key, fresh);
            }
            ov->deleted = true;
            if (!d->opOrder.contains(key))
                d->opOrder.append(key);
        }
    } else {
        const bool wasInSync = d->inSync();
        const quint64 before = d->file->changeCount();
        d->file->setDeleted(quint32(key), true);
        noteWrite(d->file, before, quint32(key));
        if (wasInSync)
            d->markSeen();
    }
    const int index = d->cur;
    d->rows.removeAt(index);
    d->baseRows.removeOne(key);
    d->repositionTo(-1, index);
    d->emitData();
    d->emitCurrent();
}

void Dataset::refresh() {
    d->requireActive();
    d->checkBrowseMode();
    const qint64 key = d->currentKey();
    const int index = d->cur;
    if (d->file)
        d->file->refresh();
    d->rerun();
    d->markSeen();
    d->repositionTo(key, index);
    d->emitData();
    d->emitCurrent();
}

void Dataset::setFilter(const QString& expression) {
    if (expression == d->filterText)
        return;
    std::unique_ptr<expr::Condition> compiled;
    d->compileFilter(expression, d->filtered, &compiled);
    d->filterText = expression;
    if (d->state == State::Inactive || !d->filtered)
        return;
    d->checkBrowseMode();
    d->filterCond = std::move(compiled);
    d->computeRows();
    d->markSeen();
    first();
    d->emitData();
}

QString Dataset::filter() const {
    return d->filterText;
}

void Dataset::setFiltered(bool on) {
    if (on == d->filtered)
        return;
    std::unique_ptr<expr::Condition> compiled;
    d->compileFilter(d->filterText, on, &compiled);
    d->filtered = on;
    if (d->state == State::Inactive)
        return;
    d->checkBrowseMode();
    d->filterCond = std::move(compiled);
    d->computeRows();
    d->markSeen();
    first();
    d->emitData();
}

bool Dataset::filtered() const {
    return d->filtered;
}

bool Dataset::locate(QStringView fieldName, const QString& value, LocateOptions options) {
    const int index = d->fieldIndexOrThrow(fieldName);
    d->checkBrowseMode();
    d->sync();
    const Field& f = d->fieldAt(index);
    QByteArray wanted;
    const bool raw = d->fileBacked() && f.type == 'C' && !options.caseInsensitive && d->overlays.isEmpty() &&
                     encodeGbk(value, &wanted);
    if (raw) {
        if (!options.partialKey)
            while (wanted.endsWith(' '))
                wanted.chop(1);
    }
    QString wantedText = value;
    if (!options.partialKey)
        while (wantedText.endsWith(u' '))
            wantedText.chop(1);
    const Qt::CaseSensitivity cs = options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < d->rows.size(); ++i) {
        const qint64 key = d->rows[i];
        bool hit = false;
        if (raw && key < kPendingBase) {
            const char* rec = d->file->recordData(quint32(key));
            if (rec == nullptr)
                continue;
            const auto stored = expr::trimmedRaw(rec + f.offset, f.length);
            hit = options.partialKey ? stored.substr(0, size_t(wanted.size())) ==
                                           std::string_view(wanted.constData(), size_t(wanted.size()))
                                     : stored == std::string_view(wanted.constData(), size_t(wanted.size()));
        } else {
            QString text;
            if (d->kind == Impl::Kind::Result) {
                text = d->resultTexts[int(key)];
            } else {
                const qint64 saved = d->cur;
                d->cur = i;
                text = d->textAt(index);
                d->cur = int(saved);
            }
            hit = options.partialKey ? text.startsWith(wantedText, cs) : text.compare(wantedText, cs) == 0;
        }
        if (hit) {
            d->cur = i;
            d->eof = d->bof = false;
            d->emitCurrent();
            return true;
        }
    }
    return false;
}

namespace {
// The filter's parameters live in the dataset's private state.
struct ImplAccess : Dataset {
    static Dataset::Impl& of(Dataset& data) { return *(data.*(&ImplAccess::d)); }
};
} // namespace

void setFilter(Dataset& data, const QString& expression, const QHash<QString, QVariant>& params) {
    Dataset::Impl& impl = ImplAccess::of(data);
    expr::Params keyed;
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        keyed.insert(expr::paramKey(it.key()), it.value());
    if (expression == impl.filterText && keyed == impl.filterParams)
        return;
    // Clearing the text makes the dataset compile the expression again with the new values.
    std::swap(impl.filterParams, keyed);
    const QString before = std::exchange(impl.filterText, QString());
    try {
        data.setFilter(expression);
    } catch (...) {
        std::swap(impl.filterParams, keyed);
        impl.filterText = before;
        throw;
    }
}

} // namespace tamsel::engine
