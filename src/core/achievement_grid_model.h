#pragma once

#include "engine/dataset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

namespace tamsel::core {

// Read-only table model over a dataset's rows for the achievement grid. Rows are read in small
// blocks as the view asks for them, so a list of 100,000 achievements opens at once. While the
// dataset's controls are disabled (a numbering pass walking every row) the model neither reads
// nor reloads; reload() brings it up to date afterwards.
class PelkGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title;
    };

    explicit PelkGridModel(QObject* parent = nullptr);

    void setDataset(engine::Dataset* dataset);
    engine::Dataset* dataset() const { return m_dataset; }
    void setColumns(const QList<Column>& columns);
    const QList<Column>& columns() const { return m_columns; }

    // Drops the cached rows and rereads the row count.
    void reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    static constexpr int kBlockRows = 64;
    static constexpr int kMaxBlocks = 16;

private:
    void onDatasetChanged();
    const QList<QStringList>* block(int row) const;
    int liveRowCount() const;

    QPointer<engine::Dataset> m_dataset;
    QList<Column> m_columns;
    int m_rows = 0;
    bool m_stale = false;
    // Cached blocks of rows by block index; dropped wholesale when too many pile up.
    mutable QHash<int, QList<QStringList>> m_blocks;
};

} // namespace tamsel::core
