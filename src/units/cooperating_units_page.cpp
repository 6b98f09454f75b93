// TFpage5: the cooperating units of the current achievement.
#include "units/cooperating_units_page.h"

#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/query.h"
#include "platform/prompt.h"
#include "units/cooperating_unit_dialog.h"

#include "ui_cooperating_units_page.h"

#include <QPushButton>

namespace tamsel::units {

namespace cl = core::childlist;

namespace {
const QString kNumber = QStringLiteral("ITEM_176");
}

TFpage5::TFpage5(core::TDM& dm, core::TMainForm& mainForm, TFinto5* into5, QWidget* parent)
    : ListPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage5>()) {
    m_ui->setupUi(this);
    m_ui->btnSave01->setDefault(true); // Return in an edit
    m_into5 = cl::sharedOrOwn(into5, m_ownInto5, dm, mainForm, this);
    cl::dressPage(this, m_ui->Panel1);
    m_model =
        new cl::GridModel(dm.QryCgwcdw,
                          {{kNumber, QStringLiteral("序号"), {}, false},
                           {QStringLiteral("ITEM_170"), QStringLiteral("单位名称"), {}, false},
                           {QStringLiteral("ITEM_171"), QStringLiteral("详细通信地址"), {}, false, true},
                           {QStringLiteral("ITEM_172"), QStringLiteral("邮政编码"), {}, false},
                           {QStringLiteral("ITEM_173"), QStringLiteral("联系人"), {}, false},
                           {QStringLiteral("ITEM_174"), QStringLiteral("联系人电话"), {}, false}},
                          this);
    cl::editInPlace(m_model, this, kNumber, Qt::CaseSensitive, [this](int row) { DBGrid2ColExit(row); });
    cl::bindGrid(m_ui->DBGrid2, m_model);
    cl::nameControls(this);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFpage5::Button2Click);
    connect(m_ui->btnSave01, &QPushButton::clicked, this, &TFpage5::btnSave01Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFpage5::Button1Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage5::Button3Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage5::quit01Click);
    cl::setPageSize(this);
}

TFpage5::~TFpage5() = default;

void TFpage5::setUpTemplates(core::TDM& dm) {
    dm.QryCgwcdw.setCachedUpdates(true);
    dm.QryCgwcdw.setUpdateTemplates(
        QStringLiteral(
            "insert into \"cgwcdw.DBF\" (ITEM_4, ITEM_DQDM, ITEM_176, ITEM_170, ITEM_171, ITEM_172, "
            "ITEM_173, ITEM_174, ITEM_175) values (:ITEM_4, :ITEM_DQDM, :ITEM_176, :ITEM_170, :ITEM_171, "
            ":ITEM_172, :ITEM_173, :ITEM_174, :ITEM_175)"),
        QStringLiteral(
            "update \"cgwcdw.DBF\" set ITEM_170 = :ITEM_170, ITEM_171 = :ITEM_171, ITEM_172 = :ITEM_172, "
            "ITEM_173 = :ITEM_173, ITEM_174 = :ITEM_174, ITEM_175 = :ITEM_175, ITEM_176 = :ITEM_176 "
            "where ITEM_4 = :OLD_ITEM_4 and ITEM_170 = :OLD_ITEM_170 and ITEM_176 = :OLD_ITEM_176"),
        QStringLiteral(
            "delete from \"cgwcdw.DBF\" where ITEM_4 = :OLD_ITEM_4 and ITEM_DQDM = :OLD_ITEM_DQDM and "
            "ITEM_176 = :OLD_ITEM_176 and ITEM_170 = :OLD_ITEM_170"));
}

void TFpage5::Load() {
    setUpTemplates(m_dm);
    cl::setAchievementTitle(this, m_main);
    m_model->reload();
}

int TFpage5::Execute() {
    Load();
    FormShow();
    // This page is never required, so closing it leaves the lock as it is.
    return platform::showModal(this);
}

void TFpage5::FormShow() {
    m_model->reload();
    cl::setPageSize(this);
}

void TFpage5::Button2Click() {
    m_into5->Execute(TFinto5::addCaption());
    m_model->reload();
}

void TFpage5::btnSave01Click() {
    m_into5->Execute(cl::hasRows(m_dm.QryCgwcdw) ? TFinto5::modifyCaption() : TFinto5::addCaption());
    m_model->reload();
}

void TFpage5::Button1Click() {
    engine::Query& q = m_dm.QryCgwcdw;
    if (cl::deleteCurrent(this, q, kNumber, [&q] { cl::reopen(q); }))
        m_model->reload();
}

void TFpage5::Button3Click() {
    cl::showAppliedHelp(m_main, QStringLiteral("THelpHzdw"));
}

void TFpage5::quit01Click() {
    cl::leavePage(this, m_main, QStringLiteral("05"));
}

void TFpage5::DBGrid2ColExit(int row) {
    cl::reportDuplicateNumber(this, *m_model, row);
}

} // namespace tamsel::units
