#pragma once

#include "engine/dataset.h"

namespace tamsel::engine {

// A table: every non-deleted record of one file in file order, optionally filtered.
class Table : public Dataset {
    Q_OBJECT
public:
    explicit Table(QObject* parent = nullptr);
    ~Table() override;

    void setFolder(const QString& folder);
    QString folder() const;
    void setTableName(const QString& fileName); // "pelk.DBF", "zdxx.dbf", or without extension
    QString tableName() const;
    void setExclusive(bool exclusive);
    bool exclusive() const;

    void open() override;
    void close() override;
    // Packs the table (open exclusively): removes deleted records, compacts the memo file.
    void pack();

    std::shared_ptr<DbfFile> file() const;
};

} // namespace tamsel::engine
