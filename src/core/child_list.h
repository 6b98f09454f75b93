#pragma once

#include "core/page_helpers.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>
#include <memory>

class QComboBox;
class QResizeEvent;
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
namespace tamsel::core::childlist {

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
// Shows an engine error in the way every window of the lists does (a value its field cannot hold
// by the label of its control, as showStoreError does).
void showEngineError(QWidget* parent, const QString& message);
// The plain message box of the lists (序号 checks, the single chair).
void showPlain(QWidget* parent, const QString& text);
// Moves to the first row whose number field equals number; false when there is none.
bool locateNumber(engine::Dataset& data, const QString& field, int number);
// True when text is a whole number (an optional sign and digits).
bool isWholeNumber(const QString& text, int* value = nullptr);
// Gives the page the look every list page has: no close button, a large bold caption.
void dressPage(QDialog* page, QWidget* caption);
// Sizes a list or entry page to the fixed page size.
void setPageSize(QWidget* page);
// Undoes any resize of a page away from the fixed page size.
void holdPageSize(QWidget* page);
// The caption of a list page: the name of the main window's current achievement.
void setAchievementTitle(QWidget* page, const core::TMainForm& mainForm);
// Shows a page modally; afterwards the main window re-evaluates which pages are complete.
int showAndMark(QDialog* page, core::TMainForm& mainForm);
// Marks the page's button in the main window done and closes the page.
void leavePage(QDialog* page, core::TMainForm& mainForm, const QString& pageCode);
// Shows the help topic, which exists only for applied-technology achievements.
void showAppliedHelp(core::TMainForm& mainForm, const QString& topic);
// True when data is open and holds at least one row.
bool hasRows(const engine::Dataset& data);
// The number a new row gets: one past the rows the list holds.
QString nextNumber(const engine::Dataset& data);
// Asks whether the list's current row is to be deleted.
bool confirmDelete(QWidget* parent);
// Deletes the query's current row after asking, rebuilds the list through reopenList, renumbers
// it and goes back to the row that took the deleted row's number. False when nothing was done,
// so the grid needs no reload.
bool deleteCurrent(QWidget* parent, engine::Query& query, const QString& field,
                   const std::function<void()>& reopenList);
// After an engine error in an entry dialog: drops the unposted edit, then recovers the list.
void abandonEdit(QWidget* parent, engine::Query& query, const QString& field, const QString& message);
// Reads a typed 序号; tells the user when it is not a whole number.
bool readNumber(QWidget* parent, const QString& text, int* number);
// Asks whether a changed record is saved before the entry dialog is left.
bool askToSave(QWidget* parent, const QString& question);

// The entry (or quick-add) dialog a page was given, or else one the page makes and owns.
template <class Dialog>
Dialog* sharedOrOwn(Dialog* given, std::unique_ptr<Dialog>& own, core::TDM& dm, core::TMainForm& mainForm,
                    QWidget* page) {
    if (given)
        return given;
    own = std::make_unique<Dialog>(dm, mainForm, page);
    return own.get();
}

// Sets accessible names of the window's edits and lists from their label buddies, and of the
// grid from its caption, so screen readers and automation find every control.
void nameControls(QWidget* window);

// Code → text pairs of a coded column, written as UTF-8 literals.
QList<std::pair<QString, QString>>
codeTexts(std::initializer_list<std::pair<const char*, const char*>> pairs);

// A grid column: a field, its title and, for coded fields, the texts drawn over the codes.
struct Column {
    QString field;
    QString title;
    QList<std::pair<QString, QString>> codes; // code → text, in pick-list order
    bool maroon = false;
    // Free text that may be long: the column takes the grid's spare width and elides.
    bool longText = false;
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
// A list page: a dialog of the fixed page size over one grid, left only through its 退出 button.
class ListPage : public QDialog {
public:
    ListPage(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent);

    GridModel* gridModel() const { return m_model; }
    // Esc runs 退出, which may check the list first; the page never just closes.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

    core::TDM& m_dm;
    core::TMainForm& m_main;
    GridModel* m_model = nullptr;
};

// The entry dialog of one row of a list. Its caption tells the mode: the add caption appends a row,
// the modify caption changes the list's current row.
class EntryDialog : public QDialog {
public:
    EntryDialog(QString addCaption, QString modifyCaption, QWidget* parent);

    // Sets the caption, fills the dialog and shows it modally.
    int Execute(const QString& caption);
    // Fills the dialog for the mode its caption tells.
    virtual void FormShow() = 0;

protected:
    bool addMode() const;
    bool modifyMode() const;

private:
    QString m_addCaption;
    QString m_modifyCaption;
};

// Makes the grid editable in place: engine errors are shown on the page and leaving an edit of
// the number field calls numberEdited with the row.
void editInPlace(GridModel* model, QWidget* page, const QString& numberField, Qt::CaseSensitivity cs,
                 std::function<void(int row)> numberEdited);
// Reports a number in the grid's first column that another row holds too.
void reportDuplicateNumber(QWidget* page, const GridModel& model, int row);

} // namespace tamsel::core::childlist
