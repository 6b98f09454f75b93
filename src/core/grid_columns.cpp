// Column widths of the grids, kept fitted to their content as rows come and go.
#include "core/grid_columns.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QPointer>
#include <QTableView>

namespace tamsel::core {

namespace {

class ColumnFitter : public QObject {
public:
    ColumnFitter(QTableView* grid, QList<int> longColumns)
        : QObject(grid), m_grid(grid), m_long(std::move(longColumns)) {
        grid->setWordWrap(false);
        grid->setTextElideMode(Qt::ElideRight);
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        grid->installEventFilter(this);
        grid->viewport()->installEventFilter(this);
        watch(grid->model());
    }

    void fit() {
        QAbstractItemModel* model = m_grid->model();
        if (model != m_model)
            watch(model);
        if (!model)
            return;
        QHeaderView* header = m_grid->horizontalHeader();
        const QAbstractItemView* view = m_grid; // where the content's width hint is public
        int fixed = 0;
        QList<int> longs;
        for (int c = 0; c < model->columnCount(); ++c) {
            if (m_grid->isColumnHidden(c))
                continue;
            if (m_long.contains(c)) {
                longs << c;
                continue;
            }
            const int want = std::max(view->sizeHintForColumn(c), header->sectionSizeHint(c));
            m_grid->setColumnWidth(c, want);
            fixed += want;
        }
        header->setStretchLastSection(longs.isEmpty());
        if (longs.isEmpty())
            return;
        const int share = (m_grid->viewport()->width() - fixed) / int(longs.size());
        for (int c : std::as_const(longs))
            m_grid->setColumnWidth(c, std::max(share, header->sectionSizeHint(c)));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if ((watched == m_grid && event->type() == QEvent::Show) ||
            (watched == m_grid->viewport() && event->type() == QEvent::Resize))
            fit();
        return QObject::eventFilter(watched, event);
    }

private:
    void watch(QAbstractItemModel* model) {
        if (m_model)
            disconnect(m_model, nullptr, this, nullptr);
        m_model = model;
        if (!model)
            return;
        const auto refit = [this] { fit(); };
        connect(model, &QAbstractItemModel::modelReset, this, refit);
        connect(model, &QAbstractItemModel::layoutChanged, this, refit);
        connect(model, &QAbstractItemModel::rowsInserted, this, refit);
        connect(model, &QAbstractItemModel::rowsRemoved, this, refit);
        connect(model, &QAbstractItemModel::dataChanged, this, refit);
    }

    QTableView* m_grid;
    QList<int> m_long;
    QPointer<QAbstractItemModel> m_model;
};

} // namespace

void fitColumns(QTableView* grid, const QList<int>& longColumns) {
    (new ColumnFitter(grid, longColumns))->fit();
}

} // namespace tamsel::core
