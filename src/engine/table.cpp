// Table: every non-deleted record of one file in file order, optionally filtered.
#include "engine/table.h"

#include "engine/dataset_p.h"

namespace tamsel::engine {

namespace {

struct TableImpl : Dataset::Impl {
    explicit TableImpl(Dataset* owner) : Impl(owner, Kind::Table) {}
    QString folder;
    QString tableName;
    bool exclusive = false;
};

TableImpl& impl(const std::unique_ptr<Dataset::Impl>& d) {
    return static_cast<TableImpl&>(*d);
}

} // namespace

Table::Table(QObject* parent) : Dataset(parent) {
    d = std::make_unique<TableImpl>(this);
}

Table::~Table() = default;

void Table::setFolder(const QString& folder) {
    if (impl(d).folder != folder)
        close();
    impl(d).folder = folder;
}

QString Table::folder() const {
    return impl(d).folder;
}

void Table::setTableName(const QString& fileName) {
    if (impl(d).tableName != fileName)
        close();
    impl(d).tableName = fileName;
}

QString Table::tableName() const {
    return impl(d).tableName;
}

void Table::setExclusive(bool exclusive) {
    if (impl(d).exclusive != exclusive)
        close();
    impl(d).exclusive = exclusive;
}

bool Table::exclusive() const {
    return impl(d).exclusive;
}

void Table::open() {
    if (isActive())
        return;
    TableImpl& t = impl(d);
    if (t.tableName.trimmed().isEmpty())
        throw EngineError(QStringLiteral("没有指定表名"));
    auto file =
        openTableFile(t.folder, t.tableName, false, t.exclusive ? OpenMode::Exclusive : OpenMode::Shared);
    d->file = file;
    d->blank = file->blankRecord();
    d->state = State::Browse; // compileFilter needs an open dataset
    try {
        d->compileFilter(d->filterText, d->filtered, &d->filterCond);
    } catch (...) {
        d->state = State::Inactive;
        d->file.reset();
        throw;
    }
    d->state = State::Inactive;
    d->computeRows();
    d->openFinished();
}

void Table::close() {
    Dataset::close();
}

void Table::pack() {
    d->requireActive();
    d->checkBrowseMode();
    d->file->pack();
    d->computeRows();
    d->markSeen();
    d->repositionTo(-1, 0);
    d->emitData();
    d->emitCurrent();
}

std::shared_ptr<DbfFile> Table::file() const {
    return d->file;
}

} // namespace tamsel::engine
