// TFpage11: the discipline leaders of a unit, listed from unitexpert.dbf and numbered 1 … n.
#include "units/discipline_leaders_page.h"

#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/error.h"
#include "engine/filter_params.h"
#include "engine/table.h"
#include "platform/prompt.h"
#include "units/discipline_leader_dialog.h"

#include "ui_discipline_leaders_page.h"

#include <QPushButton>

namespace tamsel::units {

using engine::EngineError;
namespace cl = core::childlist;

namespace {

const QString kNumber = QStringLiteral("item_187");

// Code → text of one dictionary item, read from its lookup table.
QList<std::pair<QString, QString>> lookupTexts(engine::Table& lookup) {
    QList<std::pair<QString, QString>> texts;
    try {
        if (!lookup.isActive())
            return texts;
        for (lookup.first(); !lookup.eof(); lookup.next())
            texts.append({lookup.asString(u"xxdm"), lookup.asString(u"xxmc")});
    } catch (const EngineError&) {
        // Undecodable codes are shown as stored.
    }
    return texts;
}

// Gives the rows the numbers "1" … "n" in stored order, posting each change.
void renumber(engine::Table& t) {
    t.disableControls();
    try {
        int position = 0;
        for (t.first(); !t.eof(); t.next()) {
            const QString number = QString::number(++position);
            if (t.asString(kNumber) == number)
                continue;
            t.edit();
            t.setValue(kNumber, number);
            t.post();
        }
    } catch (...) {
        t.enableControls();
        throw;
    }
    t.enableControls();
}

} // namespace

TFpage11::TFpage11(core::TDM& dm, core::TMainForm& mainForm, TFinto11* into11, QWidget* parent)
    : ListPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage11>()) {
    m_ui->setupUi(this);
    m_ui->Button3->setDefault(true); // Return in an edit
    m_into11 = cl::sharedOrOwn(into11, m_ownInto11, dm, mainForm, this);
    cl::dressPage(this, m_ui->Panel1);
    m_model = new cl::GridModel(
        dm.Tblexpert,
        {{QStringLiteral("item_180"), QStringLiteral("姓名"), {}, false},
         {QStringLiteral("item_182"), QStringLiteral("出生年月"), {}, false},
         {QStringLiteral("item_181"), QStringLiteral("性别"), lookupTexts(dm.Tblexpert_181), false},
         {QStringLiteral("item_124_1"), QStringLiteral("研究领域"), lookupTexts(dm.Tblexpert_124_1), false},
         {QStringLiteral("item_186"), QStringLiteral("简要说明"), {}, false, true}},
        this);
    cl::bindGrid(m_ui->DBGrid4, m_model);
    cl::nameControls(this);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFpage11::Button2Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage11::Button3Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFpage11::Button1Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage11::quit01Click);
    cl::setPageSize(this);
}

TFpage11::~TFpage11() = default;

bool TFpage11::Load(const QString& unitCode) {
    m_unitCode = unitCode;
    m_into11->setUnitCode(unitCode);
    engine::Table& t = m_dm.Tblexpert;
    try {
        t.close();
        engine::setFilter(t, QStringLiteral("unitcode=:unitcode"), {{QStringLiteral("unitcode"), unitCode}});
        t.setFiltered(true);
        t.open();
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
        return false;
    }
    return true;
}

int TFpage11::Execute(const QString& unitCode) {
    if (!Load(unitCode))
        return QDialog::Rejected;
    FormShow();
    return platform::showModal(this);
}

void TFpage11::FormShow() {
    m_model->reload();
    updateButtons();
    cl::setPageSize(this);
}

void TFpage11::updateButtons() {
    const bool rows = cl::hasRows(m_dm.Tblexpert);
    m_ui->Button1->setEnabled(rows);
    m_ui->Button3->setEnabled(rows);
}

void TFpage11::Button2Click() {
    m_into11->Execute(TFinto11::addCaption());
    m_model->reload();
    updateButtons();
}

void TFpage11::Button3Click() {
    m_into11->Execute(cl::hasRows(m_dm.Tblexpert) ? TFinto11::modifyCaption() : TFinto11::addCaption());
    m_model->reload();
    updateButtons();
}

void TFpage11::Button1Click() {
    engine::Table& t = m_dm.Tblexpert;
    if (!cl::hasRows(t))
        return;
    const QString remembered = t.asString(kNumber);
    if (!cl::confirmDelete(this))
        return;
    try {
        t.deleteRecord();
        renumber(t);
        if (!t.isEmpty() && !t.locate(kNumber, remembered))
            t.first();
    } catch (const EngineError& e) {
        if (t.state() != engine::Dataset::State::Browse)
            t.cancel();
        cl::showEngineError(this, e.message());
    }
    m_model->reload();
    updateButtons();
}

void TFpage11::quit01Click() {
    accept();
}

} // namespace tamsel::units
