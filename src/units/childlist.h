#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>

class QComboBox;
class QTableView;
class QWidget;

namespace tamsel::engine {
class Dataset;
class Query;
class Table;
} // namespace tamsel::engine

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

// The numbered child lists of an achievement (completers, cooperating units, committee
// members) share one way of working: a buffered list query whose held-back changes are
// written at once, and a 序号 that is renumbered 1 … n after every change.
namespace tamsel::units::childlist {

// Posts an open edit and writes the query's held-back changes. Throws engine::EngineError.
void writeAtOnce(engine::Query& query);
// Closes and opens the query with its text and parameters. Throws engine::EngineError.
void reopen(engine::Query& query);
// Gives the rows, in the query's order, the numbers 1 … n in field and writes them at once.
// Throws engine::EngineError.
void renumber(engine::Query& query, const QString& field);
// After an engine error: shows its text, drops the changes not written, rebuilds the list and
// renumbers it, so the list is numbered 1 … n again whatever was written before the error.
void recover(QWidget* parent, engine::Query& query, const QString& field, const QString& message);
// Shows an engine error in the way every window of the lists does.
void showEngineError(QWidget* parent, const QString& message);
// The plain message box of the lists (序号 checks, the single chair).
void showPlain(QWidget* parent, const QString& text);
// Moves to the first row whose number field equals number; false when there is none.
bool locateNumber(engine::Dataset& data, const QString& field, int number);
// The stored code of a dictionary entry ("0  男"): its first n characters, trimmed.
QString entryCode(const QComboBox* combo, int n = 2);
// True when text is a whole number (an optional sign and digits).
bool isWholeNumber(const QString& text, int* value = nullptr);
// The window size of the list pages and entry pages.
constexpr int kPageWidth = 800;
constexpr int kPageHeight = 600;
// True when the main window lists applied-technology achievements.
bool appliedTechnology(const core::TMainForm& mainForm);
// The key of the main window's current achievement as a table filter.
QString achievementFilter(const core::TMainForm& mainForm);
// Sets accessible names of the window's edits and lists from their label buddies, and of the
// grid from its caption, so screen readers and automation find every control.
void nameControls(QWidget* window);

// A grid column: a field, its title and, for coded fields, the texts drawn over the codes.
struct Column {
    QString field;
    QString title;
    QList<std::pair<QString, QString>> codes; // code → text, in pick-list order
    bool maroon = false;
};

// A grid model over a small dataset (one achievement's children, the person pool). The rows
// are read when the data changes, never while a walk or an edit is under way, so painting
// never moves the dataset's cursor behind a handler's back.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(engine::Dataset& data, QList<Column> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void setEditable(bool on) { m_editable = on; }
    const Column& column(int index) const { return m_columns[index]; }
    engine::Dataset& dataset() const { return m_data; }
    // Rereads every row (keeps the dataset's current row).
    void reload();
    // Called after an in-place edit of a field (the duplicate-序号 notice).
    std::function<void(int row, const QString& field)> afterEdit;
    // Shows engine errors of in-place edits.
    std::function<void(const QString& message)> onError;

private:
    void scheduleReload();

    engine::Dataset& m_data;
    QList<Column> m_columns;
    QList<QStringList> m_rows; // stored texts
    bool m_editable = false;
    bool m_reloadScheduled = false;
};

// Pick lists of the coded columns: entries "code text"; a picked entry stores its first character.
class CodeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

// Binds a grid to a model: rows follow the dataset's current row and the other way round.
void bindGrid(QTableView* grid, GridModel* model);

} // namespace tamsel::units::childlist
