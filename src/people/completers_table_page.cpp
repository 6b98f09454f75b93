// TFpage12: the completers of the current achievement as a plain table view.
#include "people/completers_table_page.h"

#include "core/data_module.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/table.h"
#include "people/completer_dialog.h"
#include "people/completers_page.h"
#include "people/quick_add_dialog.h"
#include "platform/prompt.h"

#include "ui_completers_table_page.h"

#include <QHash>
#include <QPushButton>
#include <algorithm>
#include <limits>

namespace tamsel::people {

using engine::EngineError;
namespace cl = core::childlist;
using core::ShowWarning;

TFpage12::TFpage12(core::TDM& dm, core::TMainForm& mainForm, TFinto8* into8, TFormWcr* formWcr,
                   QWidget* parent)
    : ListPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage12>()) {
    m_ui->setupUi(this);
    m_ui->Button3->setDefault(true); // Return in an edit
    m_into8 = cl::sharedOrOwn(into8, m_ownInto8, dm, mainForm, this);
    m_formWcr = cl::sharedOrOwn(formWcr, m_ownFormWcr, dm, mainForm, this);
    cl::dressPage(this, m_ui->Panel1);
    m_model = new cl::GridModel(dm.TblCgwcr, TFpage8::columns(), this);
    cl::bindGrid(m_ui->DBGrid4, m_model);
    m_ui->DBGrid4->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cl::nameControls(this);
    connect(m_ui->Button5, &QPushButton::clicked, this, &TFpage12::Button5Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFpage12::Button2Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage12::Button3Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFpage12::Button1Click);
    connect(m_ui->Button4, &QPushButton::clicked, this, &TFpage12::Button4Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage12::quit01Click);
    cl::setPageSize(this);
}

TFpage12::~TFpage12() = default;

void TFpage12::Load() {
    cl::setAchievementTitle(this, m_main);
    engine::Table& table = m_dm.TblCgwcr;
    try {
        core::filterToCurrent(table, m_main);
        if (!table.isActive())
            table.open();
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
    }
}

int TFpage12::Execute() {
    Load();
    FormShow();
    const int result = platform::showModal(this);
    FormClose();
    return result;
}

bool TFpage12::renumberStored(bool fixAbroad) {
    engine::Table& table = m_dm.TblCgwcr;
    if (!table.isActive())
        return true;
    table.disableControls();
    bool ok = true;
    try {
        // Numbers 1 … n keep the order the persons have (equal numbers in stored order), so
        // opening this view never reorders the completers list.
        QList<std::pair<int, int>> order; // (number, record in the view)
        for (table.first(); !table.eof(); table.next()) {
            const QString n = table.asString(u"ITEM_187");
            order.append({n.isEmpty() ? std::numeric_limits<int>::max() : table.asInteger(u"ITEM_187"),
                          table.recNo()});
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QHash<int, int> position;
        for (qsizetype i = 0; i < order.size(); ++i)
            position.insert(order[i].second, int(i) + 1);
        for (table.first(); !table.eof(); table.next()) {
            const int wanted = position.value(table.recNo());
            const bool renumber = table.asString(u"ITEM_187") != QString::number(wanted);
            const bool abroad = fixAbroad && table.asString(u"ITEM_188") != QLatin1String("1") &&
                                table.asString(u"ITEM_188") != QLatin1String("0");
            if (!renumber && !abroad)
                continue;
            table.edit();
            table.setValue(u"ITEM_187", wanted);
            if (abroad)
                table.setValue(u"ITEM_188", QStringLiteral("0"));
            table.post();
        }
        table.first();
    } catch (const EngineError& e) {
        if (table.state() != engine::Dataset::State::Browse)
            table.cancel();
        cl::showEngineError(this, e.message());
        ok = false;
    }
    table.enableControls();
    m_model->reload();
    return ok;
}

void TFpage12::FormShow() {
    renumberStored(true);
    cl::setPageSize(this);
}

void TFpage12::FormClose() {
    renumberStored(false);
}

void TFpage12::Button5Click() {
    m_formWcr->Execute();
    renumberStored(false);
}

void TFpage12::openEntry(bool modify) {
    engine::Table& table = m_dm.TblCgwcr;
    const int current = cl::hasRows(table) ? table.asInteger(u"ITEM_187") : 0;
    try {
        TFpage8::setUpTemplates(m_dm);
        m_main.reopenChildQuery(m_dm.QryCgwcr, QStringLiteral("cgwcr"));
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
        return;
    }
    // The view and the list share the numbers, so the number finds the same person in the list.
    const bool found = current > 0 && cl::locateNumber(m_dm.QryCgwcr, QStringLiteral("ITEM_187"), current);
    m_into8->Execute(modify && found ? TFinto8::modifyCaption() : TFinto8::addCaption());
    try {
        table.refresh();
    } catch (const EngineError&) {
    }
    renumberStored(false);
}

void TFpage12::Button2Click() {
    openEntry(false);
}

void TFpage12::Button3Click() {
    openEntry(true);
}

void TFpage12::Button1Click() {
    engine::Table& table = m_dm.TblCgwcr;
    if (!cl::hasRows(table))
        return;
    const int remembered = table.asInteger(u"ITEM_187");
    if (!cl::confirmDelete(this))
        return;
    try {
        table.deleteRecord();
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
    }
    if (renumberStored(false))
        cl::locateNumber(table, QStringLiteral("ITEM_187"), remembered);
}

void TFpage12::Button4Click() {
    // This view has no help page of its own: it shows the general instructions of the category.
    if (m_main.Hooks.showHelp)
        m_main.Hooks.showHelp(core::isAppliedTechnology(m_main) ? QStringLiteral("THelpForm")
                                                                : QStringLiteral("THelpForm_rj"));
}

void TFpage12::quit01Click() {
    if (!cl::hasRows(m_dm.TblCgwcr)) {
        ShowWarning(this, QStringLiteral("成果完成人员名单不能为空！"));
        return;
    }
    cl::leavePage(this, m_main, QStringLiteral("08"));
}

} // namespace tamsel::people
