// TFormWcr, 快速添加: adds persons of the pool to the current achievement's completers.
#include "people/quick_add_dialog.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/keyboard.h"
#include "core/main_form.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/table.h"
#include "platform/prompt.h"

#include "ui_quick_add_dialog.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <algorithm>

namespace tamsel::people {

using engine::EngineError;
namespace cl = core::childlist;

TFormWcr::TFormWcr(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFormWcr>()), m_dm(dm), m_main(mainForm) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    m_ui->BitBtn1->setDefault(true); // Return in an edit
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_model = new cl::GridModel(dm.TblwcrNew,
                                {{QStringLiteral("item_180"), QStringLiteral("名称"), {}, false},
                                 {QStringLiteral("item_185"), QStringLiteral("工作单位"), {}, false}},
                                this);
    cl::bindGrid(m_ui->DBGrid1, m_model);
    m_ui->DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ui->DBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Chosen persons stand out in maroon.
    m_ui->DBGrid1->setStyleSheet(
        QStringLiteral("QTableView { selection-background-color: %1; selection-color: white; }")
            .arg(core::maroon().name()));
    m_ui->DBGrid1->setAccessibleName(QStringLiteral("本地专家列表"));
    connect(m_ui->DBGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormWcr::showSelectedCount);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFormWcr::BitBtn1Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFormWcr::Button1Click);
    connect(m_ui->BitBtn5, &QPushButton::clicked, this, &TFormWcr::BitBtn5Click);
    core::nameControlsByLabels(this);
}

TFormWcr::~TFormWcr() = default;

int TFormWcr::Execute() {
    FormShow();
    return platform::showModal(this);
}

void TFormWcr::FormShow() {
    engine::Table& pool = m_dm.TblwcrNew;
    try {
        pool.setFiltered(false);
        pool.setFilter(QString());
        if (!pool.isActive())
            pool.open();
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
    }
    m_model->reload();
    m_ui->DBGrid1->clearSelection();
    m_ui->Label1->setText(QStringLiteral("请选择记录(按住ctrl键进行多条选择)"));
}

void TFormWcr::selectRows(const QList<int>& rows) {
    auto* selection = m_ui->DBGrid1->selectionModel();
    selection->clearSelection();
    for (const int r : rows)
        selection->select(m_model->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QList<int> TFormWcr::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_ui->DBGrid1->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFormWcr::showSelectedCount() {
    m_ui->Label1->setText(QStringLiteral("选择了") + QString::number(selectedRows().size()) +
                          QStringLiteral("记录！"));
}

void TFormWcr::Button1Click() {
    engine::Table& pool = m_dm.TblwcrNew;
    if (!pool.isActive() || pool.isEmpty())
        return;
    const QString remembered = pool.asString(u"item_187").trimmed();
    if (platform::showBox(this, {QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"),
                                 platform::Icon::Information, platform::Yes | platform::No}) != platform::Yes)
        return;
    try {
        pool.deleteRecord();
        cl::locateNumber(pool, QStringLiteral("item_187"), remembered.toInt());
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
    }
    m_model->reload();
}

void TFormWcr::BitBtn1Click() {
    QList<int> rows = selectedRows();
    showSelectedCount();
    const bool all = rows.isEmpty();
    if (all) {
        if (platform::showBox(
                this, {QStringLiteral("提示信息"), QStringLiteral("请选择您要导出的项目，是否全部选择？"),
                       platform::Icon::Question, platform::Yes | platform::No}) != platform::Yes)
            return;
        m_ui->DBGrid1->selectAll();
        for (int r = 0; r < m_model->rowCount(); ++r)
            rows << r;
    }
    addRows(rows, all);
    accept();
}

void TFormWcr::addRows(const QList<int>& rows, bool showProgress) {
    engine::Table& pool = m_dm.TblwcrNew;
    engine::Table& table = m_dm.TblCgwcr;
    engine::Query& list = m_dm.QryCgwcr;
    const QString number = QStringLiteral("ITEM_187");
    const QString item4 = m_main.currentValue(QStringLiteral("ITEM_4"));
    const QString dqdm = m_main.currentValue(QStringLiteral("ITEM_DQDM"));
    // Changes made in the list's grid are written first, so the list reread below keeps them.
    try {
        if (list.isActive() && list.hasPendingUpdates())
            cl::writeAtOnce(list);
    } catch (const EngineError& e) {
        cl::recover(this, list, number, e.message());
        return;
    }
    try {
        core::filterToCurrent(table, m_main);
        if (!table.isActive())
            table.open();
        // The persons already listed keep their order; the new ones come after them.
        int last = 0;
        for (table.first(); !table.eof(); table.next())
            last = std::max(last, table.asInteger(number));
        for (const int r : rows) {
            if (showProgress) {
                m_ui->Label1->setText(QStringLiteral("正在载入，请等待！"));
                repaint();
            }
            pool.setRecNo(r + 1);
            QList<QVariant> values;
            for (int i = 0; i < pool.fieldCount(); ++i)
                values << pool.value(i);
            table.append();
            for (int i = 0; i < std::min(table.fieldCount(), int(values.size())); ++i)
                table.setValue(i, values[i]);
            table.setValue(u"item_4", item4);
            table.setValue(u"item_dqdm", dqdm);
            table.setValue(number, ++last);
            table.post();
        }
    } catch (const EngineError& e) {
        if (table.state() != engine::Dataset::State::Browse)
            table.cancel();
        cl::showEngineError(this, e.message());
    }
    showSelectedCount();
    try {
        if (!list.sql().contains(QStringLiteral("item_4=:item_4"), Qt::CaseInsensitive))
            m_main.reopenChildQuery(list, QStringLiteral("cgwcr"));
        else
            cl::reopen(list);
        cl::renumber(list, number);
    } catch (const EngineError& e) {
        cl::recover(this, list, number, e.message());
    }
}

void TFormWcr::BitBtn5Click() {
    accept();
}

} // namespace tamsel::people
