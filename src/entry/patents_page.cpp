// TFpage6: the patents of the current achievement, with new, change and delete.
#include "entry/patents_page.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/grid_columns.h"
#include "core/keyboard.h"
#include "core/main_form.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "entry/patent_dialog.h"
#include "entry/patent_list.h"
#include "platform/prompt.h"

#include "ui_patents_page.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>

namespace tamsel::entry {

using engine::EngineError;
using platform::Icon;

TFpage6::TFpage6(core::TDM& dm, core::TMainForm& mainForm, TFinto6* dialog, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFpage6>()), m_dm(dm), m_main(mainForm), m_dialog(dialog) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    m_ui->btnEdit->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("TFpage6"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(core::kPageWidth, core::kPageHeight);
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);
    QFont heading = m_ui->Heading->font();
    heading.setPixelSize(18);
    heading.setBold(true);
    m_ui->Heading->setFont(heading);

    m_model = new PatentGridModel(dm.Tblzlqk_st, dm.Tblzlqk_ty, this);
    QTableView* grid = m_ui->DBGrid1;
    grid->setModel(m_model);
    grid->setAccessibleName(QStringLiteral("专利情况"));
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->setColumnHidden(PatentGridModel::Item4, true);
    grid->setColumnHidden(PatentGridModel::Dqdm, true);
    core::fitColumns(grid, {PatentGridModel::Name});
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { onGridRowChanged(current.isValid() ? current.row() : -1); });
    connect(m_model, &QAbstractItemModel::modelReset, this, &TFpage6::syncGridToTable);
    connect(&m_dm.tblzlqk, &engine::Dataset::currentChanged, this, &TFpage6::syncGridToTable);

    connect(m_ui->btnNew, &QPushButton::clicked, this, &TFpage6::btnNewClick);
    connect(m_ui->btnEdit, &QPushButton::clicked, this, &TFpage6::btnEditClick);
    connect(m_ui->btnDelete, &QPushButton::clicked, this, &TFpage6::btnDeleteClick);
    connect(m_ui->btnHelp, &QPushButton::clicked, this, &TFpage6::btnHelpClick);
    connect(m_ui->btnQuit, &QPushButton::clicked, this, &TFpage6::btnQuitClick);
    core::nameControlsByLabels(this);
}

TFpage6::~TFpage6() = default;

TFinto6* TFpage6::dialog() {
    if (!m_dialog) {
        m_ownDialog = std::make_unique<TFinto6>(m_dm, m_main, this);
        m_dialog = m_ownDialog.get();
    }
    return m_dialog;
}

int TFpage6::Execute() {
    FormShow();
    return platform::showModal(this);
}

void TFpage6::showError(const QString& message) {
    platform::showBox(this, {QStringLiteral("提示"), message, Icon::Warning, platform::Ok});
}

void TFpage6::FormShow() {
    engine::Table& patents = m_dm.tblzlqk;
    // The grid lets go of the table while it is renumbered.
    m_model->setDataset(nullptr);
    try {
        renumberPatents(patents);
        if (patents.isActive()) {
            patents.first();
        }
    } catch (const EngineError& e) {
        showError(e.message());
    }
    m_model->setDataset(&patents);
    resize(core::kPageWidth, core::kPageHeight);
}

void TFpage6::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    resize(core::kPageWidth, core::kPageHeight);
}

void TFpage6::syncGridToTable() {
    const engine::Table& patents = m_dm.tblzlqk;
    if (m_model->dataset() != &patents || patents.controlsDisabled()) {
        return;
    }
    const int row = patents.isActive() ? patents.recNo() - 1 : -1;
    m_syncing = true;
    QItemSelectionModel* selection = m_ui->DBGrid1->selectionModel();
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row, 0);
        if (selection->currentIndex().row() != row) {
            selection->setCurrentIndex(index,
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        m_ui->DBGrid1->scrollTo(index);
    } else {
        selection->clear();
    }
    m_syncing = false;
}

void TFpage6::onGridRowChanged(int row) {
    engine::Table& patents = m_dm.tblzlqk;
    if (m_syncing || row < 0 || m_model->dataset() != &patents || !patents.isActive()) {
        return;
    }
    try {
        if (patents.recNo() != row + 1 && row < patents.recordCount()) {
            patents.setRecNo(row + 1);
        }
    } catch (const EngineError& e) {
        showError(e.message());
    }
}

void TFpage6::btnNewClick() {
    dialog()->Execute(false);
}

void TFpage6::btnEditClick() {
    const engine::Table& patents = m_dm.tblzlqk;
    dialog()->Execute(patents.isActive() && !patents.isEmpty());
}

void TFpage6::btnDeleteClick() {
    engine::Table& patents = m_dm.tblzlqk;
    if (!patents.isActive() || patents.isEmpty()) {
        return;
    }
    if (platform::showBox(this, {QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"),
                                 Icon::Information, platform::Yes | platform::No}) != platform::Yes) {
        return;
    }
    try {
        const QString number = patents.asString(u"ITEM_NO").trimmed();
        patents.deleteRecord();
        renumberPatents(patents);
        // The row that now carries the deleted row's number; after the last row, the new last.
        if (!patents.isEmpty() && !patents.locate(u"ITEM_NO", number)) {
            patents.last();
        }
    } catch (const EngineError& e) {
        showError(e.message());
    }
}

void TFpage6::btnHelpClick() {
    if (!m_main.Hooks.showHelp) {
        return;
    }
    const bool applied = m_main.currentValue(QStringLiteral("ITEM_CGLB")) == QLatin1String("1");
    m_main.Hooks.showHelp(applied ? QStringLiteral("THelpForm") : QStringLiteral("THelpForm_rj"));
}

void TFpage6::btnQuitClick() {
    if (RefreshIpControls) {
        RefreshIpControls();
    }
    done(QDialog::Accepted);
}

void TFpage6::FormClose() {
    engine::Table& patents = m_dm.tblzlqk;
    m_model->setDataset(nullptr);
    try {
        const PatentCounts counts = renumberPatents(patents);
        if (ShowPatentCounts) {
            ShowPatentCounts(counts.applied, counts.granted);
        }
    } catch (const EngineError& e) {
        // The page keeps the counts it showed rather than taking those of a broken walk.
        showError(e.message());
    }
    m_main.MarkIncompletePages();
    m_main.ApplyCompleteness();
}

void TFpage6::reject() {
    core::keyboard::pressExit(this);
}

void TFpage6::done(int result) {
    QDialog::done(result);
    FormClose();
}

void TFpage6::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace tamsel::entry
