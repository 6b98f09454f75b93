// What the list pages of an achievement's child rows share: the grid model, renumbering, delete,
// page dressing and leaving, the list page and entry dialog bases.
#include "core/child_list.h"

#include "core/accessibility.h"
#include "core/field_check.h"
#include "core/grid_columns.h"
#include "core/keyboard.h"
#include "core/main_form.h"
#include "engine/dataset.h"
#include "engine/error.h"
#include "engine/query.h"
#include "platform/prompt.h"

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>

namespace tamsel::core::childlist {

using engine::EngineError;

namespace {

// Grids stop following the dataset while a walk runs, whatever way the walk ends.
struct ControlsOff {
    explicit ControlsOff(engine::Dataset& dataset) : data(dataset) { data.disableControls(); }
    ~ControlsOff() { data.enableControls(); }
    engine::Dataset& data;
};

} // namespace

void writeAtOnce(engine::Query& query) {
    if (query.state() == engine::Dataset::State::Edit || query.state() == engine::Dataset::State::Insert)
        query.post();
    query.applyUpdates();
}

void reopen(engine::Query& query) {
    query.close();
    query.open();
}

void renumber(engine::Query& query, const QString& field) {
    {
        ControlsOff off(query);
        int position = 0;
        for (query.first(); !query.eof(); query.next()) {
            ++position;
            if (query.asString(field) == QString::number(position))
                continue;
            query.edit();
            query.setValue(field, position);
            query.post();
        }
    }
    writeAtOnce(query);
}

void showEngineError(QWidget* parent, const QString& message) {
    showStoreError(parent, message);
}

void showPlain(QWidget* parent, const QString& text) {
    platform::showBox(parent, {QStringLiteral("Tamsel"), text, platform::Icon::None, platform::Ok});
}

void recover(QWidget* parent, engine::Query& query, const QString& field, const QString& message) {
    showEngineError(parent, message);
    try {
        if (query.isActive())
            query.cancelUpdates();
        reopen(query);
        renumber(query, field);
    } catch (const EngineError& e) {
        // The list could not even be renumbered: drop what is held so the grid shows the file.
        try {
            query.cancelUpdates();
        } catch (const EngineError&) {
        }
        if (e.message() != message)
            showEngineError(parent, e.message());
    }
}

bool locateNumber(engine::Dataset& data, const QString& field, int number) {
    if (!data.isActive() || data.isEmpty())
        return false;
    const int before = data.recNo();
    {
        ControlsOff off(data);
        for (data.first(); !data.eof(); data.next()) {
            if (!data.asString(field).isEmpty() && data.asInteger(field) == number)
                return true;
        }
        data.setRecNo(before);
    }
    return false;
}

bool isWholeNumber(const QString& text, int* value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (ok && value)
        *value = v;
    return ok;
}

QList<std::pair<QString, QString>>
codeTexts(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    QList<std::pair<QString, QString>> result;
    for (const auto& [code, text] : pairs)
        result.append({QString::fromUtf8(code), QString::fromUtf8(text)});
    return result;
}

void dressPage(QDialog* page, QWidget* caption) {
    page->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont font = caption->font();
    font.setPointSize(font.pointSize() + 4);
    font.setBold(true);
    caption->setFont(font);
}

void setPageSize(QWidget* page) {
    page->resize(kPageWidth, kPageHeight);
}

void holdPageSize(QWidget* page) {
    if (page->size() != QSize(kPageWidth, kPageHeight))
        setPageSize(page);
}

void setAchievementTitle(QWidget* page, const core::TMainForm& mainForm) {
    page->setWindowTitle(QStringLiteral("成果名称：") + mainForm.currentValue(QStringLiteral("ITEM_3")));
}

int showAndMark(QDialog* page, core::TMainForm& mainForm) {
    const int result = platform::showModal(page);
    mainForm.MarkIncompletePages();
    mainForm.ApplyCompleteness();
    return result;
}

void leavePage(QDialog* page, core::TMainForm& mainForm, const QString& pageCode) {
    core::TMainForm::setPageDone(mainForm.pageButton(pageCode), true);
    page->accept();
}

void showAppliedHelp(core::TMainForm& mainForm, const QString& topic) {
    if (isAppliedTechnology(mainForm) && mainForm.Hooks.showHelp)
        mainForm.Hooks.showHelp(topic);
}

bool hasRows(const engine::Dataset& data) {
    return data.isActive() && !data.isEmpty();
}

QString nextNumber(const engine::Dataset& data) {
    return QString::number((data.isActive() ? data.recordCount() : 0) + 1);
}

bool confirmDelete(QWidget* parent) {
    return platform::showBox(parent, {QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"),
                                      platform::Icon::Information, platform::Yes | platform::No}) ==
           platform::Yes;
}

bool deleteCurrent(QWidget* parent, engine::Query& query, const QString& field,
                   const std::function<void()>& reopenList) {
    if (!hasRows(query))
        return false;
    const int remembered = query.asInteger(field);
    if (!confirmDelete(parent))
        return false;
    try {
        query.deleteRecord();
        writeAtOnce(query);
        reopenList();
        renumber(query, field);
    } catch (const EngineError& e) {
        recover(parent, query, field, e.message());
        return true;
    }
    locateNumber(query, field, remembered);
    return true;
}

void abandonEdit(QWidget* parent, engine::Query& query, const QString& field, const QString& message) {
    if (query.state() != engine::Dataset::State::Browse)
        query.cancel();
    recover(parent, query, field, message);
}

bool readNumber(QWidget* parent, const QString& text, int* number) {
    if (isWholeNumber(text, number))
        return true;
    showPlain(parent, QStringLiteral("输入序号必须为数字！"));
    return false;
}

bool askToSave(QWidget* parent, const QString& question) {
    return platform::showBox(parent, {QStringLiteral("请注意！"), question, platform::Icon::Question,
                                      platform::Yes | platform::No}) == platform::Yes;
}

void nameControls(QWidget* window) {
    core::nameControlsByLabels(window);
    for (auto* grid : window->findChildren<QTableView*>()) {
        if (auto* panel = window->findChild<QLabel*>(QStringLiteral("Panel1")))
            grid->setAccessibleName(panel->text());
    }
}

// --- GridModel -------------------------------------------------------------------------------------

GridModel::GridModel(engine::Dataset& data, QList<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_data(data), m_columns(std::move(columns)) {
    connect(&m_data, &engine::Dataset::dataChanged, this, &GridModel::scheduleReload);
}

void GridModel::scheduleReload() {
    if (m_reloadScheduled)
        return;
    m_reloadScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_reloadScheduled = false;
        reload();
    });
}

void GridModel::reload() {
    if (m_data.isActive() &&
        (m_data.state() != engine::Dataset::State::Browse || m_data.controlsDisabled())) {
        scheduleReload(); // a handler is walking or editing: read the rows when it is done
        return;
    }
    beginResetModel();
    m_rows.clear();
    if (m_data.isActive()) {
        const QSignalBlocker blocker(&m_data);
        const int current = m_data.recNo();
        try {
            for (m_data.first(); !m_data.eof(); m_data.next()) {
                QStringList row;
                for (const Column& c : std::as_const(m_columns))
                    row << (m_data.hasField(c.field) ? m_data.asString(c.field) : QString());
                m_rows << row;
            }
            if (current > 0)
                m_data.setRecNo(current);
        } catch (const EngineError&) {
            m_rows.clear(); // the grid shows nothing rather than half a list
        }
    }
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const QString& text = m_rows[index.row()][index.column()];
    if (role == Qt::EditRole)
        return text;
    if (role == Qt::ToolTipRole && m_columns[index.column()].longText && !text.isEmpty())
        return text;
    if (role != Qt::DisplayRole)
        return {};
    const Column& c = m_columns[index.column()];
    if (c.codes.isEmpty())
        return text;
    for (const auto& [code, name] : c.codes) {
        if (code == text)
            return QString(QStringLiteral("  ") + name);
    }
    return text;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns[section].title;
    if (role == Qt::ForegroundRole && m_columns[section].maroon)
        return maroon();
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!m_editable || role != Qt::EditRole || !index.isValid() || index.row() >= m_rows.size())
        return false;
    const Column& c = m_columns[index.column()];
    QString text = value.toString();
    if (!c.codes.isEmpty())
        text = text.left(1).trimmed(); // a picked entry stores its code
    if (text == m_rows[index.row()][index.column()])
        return false;
    {
        const QSignalBlocker blocker(&m_data);
        try {
            m_data.setRecNo(index.row() + 1);
            m_data.edit();
            m_data.setValue(c.field, text);
            m_data.post();
        } catch (const EngineError& e) {
            if (m_data.state() != engine::Dataset::State::Browse)
                m_data.cancel();
            if (onError)
                onError(e.message());
            return false;
        }
    }
    m_rows[index.row()][index.column()] = m_data.asString(c.field);
    emit dataChanged(index, index);
    if (afterEdit)
        afterEdit(index.row(), c.field);
    return true;
}

// --- CodeDelegate ------------------------------------------------------------------------------------

QWidget* CodeDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const auto* model = qobject_cast<const GridModel*>(index.model());
    if (!model || model->column(index.column()).codes.isEmpty())
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    for (const auto& [code, name] : model->column(index.column()).codes)
        combo->addItem(code + QLatin1Char(' ') + name);
    return combo;
}

void CodeDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const QString code = index.data(Qt::EditRole).toString();
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i).section(QLatin1Char(' '), 0, 0) == code)
                combo->setCurrentIndex(i);
        }
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void CodeDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

void bindGrid(QTableView* grid, GridModel* model) {
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->setDefaultSectionSize(24);
    QList<int> longColumns;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (model->column(c).longText)
            longColumns << c;
    }
    fitColumns(grid, longColumns);
    engine::Dataset* data = &model->dataset();
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [data](const QModelIndex& current) {
                         if (!current.isValid() || !data->isActive() ||
                             data->state() != engine::Dataset::State::Browse || data->controlsDisabled())
                             return;
                         if (data->recNo() != current.row() + 1) {
                             try {
                                 data->setRecNo(current.row() + 1);
                             } catch (const EngineError&) {
                             }
                         }
                     });
    auto follow = [grid, data, model] {
        if (!data->isActive() || data->controlsDisabled())
            return;
        const int row = data->recNo() - 1;
        if (row >= 0 && row < model->rowCount() && grid->currentIndex().row() != row)
            grid->setCurrentIndex(model->index(row, std::max(0, grid->currentIndex().column())));
    };
    QObject::connect(data, &engine::Dataset::currentChanged, grid, follow);
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, follow);
}

ListPage::ListPage(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_main(mainForm) {
    keyboard::prepare(this);
}

void ListPage::reject() {
    keyboard::pressExit(this);
}

void ListPage::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    holdPageSize(this);
}

EntryDialog::EntryDialog(QString addCaption, QString modifyCaption, QWidget* parent)
    : QDialog(parent), m_addCaption(std::move(addCaption)), m_modifyCaption(std::move(modifyCaption)) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    keyboard::prepare(this);
}

int EntryDialog::Execute(const QString& caption) {
    setWindowTitle(caption);
    FormShow();
    return platform::showModal(this);
}

bool EntryDialog::addMode() const {
    return windowTitle() == m_addCaption;
}

bool EntryDialog::modifyMode() const {
    return windowTitle() == m_modifyCaption;
}

void editInPlace(GridModel* model, QWidget* page, const QString& numberField, Qt::CaseSensitivity cs,
                 std::function<void(int row)> numberEdited) {
    model->setEditable(true);
    model->onError = [page](const QString& message) { showEngineError(page, message); };
    model->afterEdit = [numberField, cs, numberEdited = std::move(numberEdited)](int row,
                                                                                 const QString& field) {
        if (field.compare(numberField, cs) == 0)
            numberEdited(row);
    };
}

void reportDuplicateNumber(QWidget* page, const GridModel& model, int row) {
    if (row < 0 || row >= model.rowCount())
        return;
    const QString typed = model.index(row, 0).data(Qt::EditRole).toString().trimmed();
    for (int r = 0; r < model.rowCount(); ++r) {
        if (r != row && model.index(r, 0).data(Qt::EditRole).toString().trimmed() == typed) {
            showPlain(page, QStringLiteral("序号有重复，请重新输入序号！"));
            return;
        }
    }
}

} // namespace tamsel::core::childlist
