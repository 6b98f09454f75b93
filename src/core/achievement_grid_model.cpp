// The table model of the achievement grid, reading the dataset's rows in blocks as the view asks.
#include "core/achievement_grid_model.h"

#include "engine/dataset.h"
#include "engine/error.h"

#include <QSignalBlocker>

namespace tamsel::core {

PelkGridModel::PelkGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void PelkGridModel::setDataset(engine::Dataset* dataset) {
    if (m_dataset) {
        disconnect(m_dataset, nullptr, this, nullptr);
    }
    m_dataset = dataset;
    if (m_dataset) {
        connect(m_dataset, &engine::Dataset::dataChanged, this, &PelkGridModel::onDatasetChanged);
    }
    reload();
}

void PelkGridModel::setColumns(const QList<Column>& columns) {
    beginResetModel();
    m_columns = columns;
    m_blocks.clear();
    endResetModel();
}

int PelkGridModel::liveRowCount() const {
    if (!m_dataset || !m_dataset->isActive()) {
        return 0;
    }
    return m_dataset->recordCount();
}

void PelkGridModel::reload() {
    beginResetModel();
    m_blocks.clear();
    m_stale = false;
    try {
        m_rows = liveRowCount();
    } catch (const engine::EngineError&) {
        m_rows = 0;
    }
    endResetModel();
}

void PelkGridModel::onDatasetChanged() {
    if (m_dataset && m_dataset->controlsDisabled()) {
        m_stale = true;
        return;
    }
    reload();
}

const QList<QStringList>* PelkGridModel::block(int row) const {
    const int index = row / kBlockRows;
    auto found = m_blocks.constFind(index);
    if (found != m_blocks.constEnd()) {
        return &found.value();
    }
    // Reading moves the dataset's cursor; it is put back before anyone can see it, and nothing
    // is read while the dataset is being walked or edited by someone else.
    if (!m_dataset || !m_dataset->isActive() || m_dataset->controlsDisabled() || m_stale ||
        m_dataset->state() != engine::Dataset::State::Browse) {
        return nullptr;
    }
    QList<QStringList> rows;
    try {
        const QSignalBlocker blocker(m_dataset.data());
        const int saved = m_dataset->recNo();
        const int first = index * kBlockRows;
        const int count = std::min(kBlockRows, m_rows - first);
        rows.reserve(count);
        m_dataset->setRecNo(first + 1);
        for (int i = 0; i < count && !m_dataset->eof(); ++i) {
            QStringList values;
            values.reserve(m_columns.size());
            for (const Column& column : m_columns) {
                values.append(m_dataset->asString(column.field));
            }
            rows.append(values);
            m_dataset->next();
        }
        if (saved > 0) {
            m_dataset->setRecNo(saved);
        }
    } catch (const engine::EngineError&) {
        return nullptr;
    }
    if (m_blocks.size() >= kMaxBlocks) {
        m_blocks.clear();
    }
    return &m_blocks.insert(index, rows).value();
}

int PelkGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int PelkGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant PelkGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const QList<QStringList>* rows = block(index.row());
    const int offset = index.row() % kBlockRows;
    if (!rows || offset >= rows->size() || index.column() >= rows->at(offset).size()) {
        return {};
    }
    return rows->at(offset).at(index.column());
}

QVariant PelkGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return section >= 0 && section < m_columns.size() ? QVariant(m_columns.at(section).title)
                                                          : QVariant();
    }
    return section + 1;
}

Qt::ItemFlags PelkGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace tamsel::core
