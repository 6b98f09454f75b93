#pragma once

#include "engine/dataset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::entry {

// Narrows the shared patents table to the current achievement of the list and opens it.
// Throws engine::EngineError.
void filterPatentsToCurrent(core::TDM& dm, const core::TMainForm& mainForm);

struct PatentCounts {
    int rows = 0;
    int applied = 0;                              // status 1
    int granted = 0;                              // status 2
    bool types[4] = {false, false, false, false}; // types 1, 2 and 3 present

    // "3" when a patent is granted, "2" when patents are only applied for, else "1".
    QString summary() const;
    // The types present, ascending, each followed by ";" ("1;3;").
    QString typeCodes() const;
};

// Counts the rows of the (filtered) patents table. Throws engine::EngineError.
PatentCounts countPatents(engine::Dataset& patents);

// Numbers the rows of the (filtered) patents table 1, 2, 3 ... in table order and counts them on
// the way. Views stop following the table during the walk. Throws engine::EngineError.
PatentCounts renumberPatents(engine::Dataset& patents);

// The patents grid: number, the status and type texts looked up in the dictionary, number,
// name, the two codes, and the hidden key columns. Rows are read once per change of the table,
// as an achievement has few patents.
class PatentGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    PatentGridModel(engine::Dataset& statusTexts, engine::Dataset& typeTexts, QObject* parent = nullptr);

    void setDataset(engine::Dataset* dataset);
    engine::Dataset* dataset() const { return m_dataset; }
    void reload();

    // Column positions; the last two are hidden in the grid.
    enum Column { No, StatusText, TypeText, Number, Name, Status, Type, Item4, Dqdm, ColumnCount };

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QHash<QString, QString> readTexts(engine::Dataset& lookup) const;

    engine::Dataset& m_statusTexts;
    engine::Dataset& m_typeTexts;
    QPointer<engine::Dataset> m_dataset;
    QList<QStringList> m_rows;
};

} // namespace tamsel::entry
