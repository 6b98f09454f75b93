// TFpage7: the evaluation committee of the current achievement.
#include "people/committee_page.h"

#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/query.h"
#include "people/committee_member_dialog.h"

#include "ui_committee_page.h"

#include <QPushButton>

namespace tamsel::people {

namespace cl = core::childlist;

namespace {
const QString kNumber = QStringLiteral("ITEM_190");
}

TFpage7::TFpage7(core::TDM& dm, core::TMainForm& mainForm, TFinto7* into7, QWidget* parent)
    : ListPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage7>()) {
    m_ui->setupUi(this);
    m_ui->btnSave01->setDefault(true); // Return in an edit
    m_into7 = cl::sharedOrOwn(into7, m_ownInto7, dm, mainForm, this);
    cl::dressPage(this, m_ui->Panel1);
    const auto sex = cl::codeTexts({{"0", "男"}, {"1", "女"}});
    const auto title = cl::codeTexts({{"1", "院士"},
                                      {"2", "正高"},
                                      {"3", "副高"},
                                      {"4", "中级"},
                                      {"5", "初级"},
                                      {"9", "其他"},
                                      {"a", "两院院士"},
                                      {"b", "中科院院士"},
                                      {"c", "工程院院士"}});
    m_model = new cl::GridModel(dm.QryJdwyhmd,
                                {{QStringLiteral("ITEM_191"), QStringLiteral("评价委员会职务"), {}, false},
                                 {QStringLiteral("ITEM_192"), QStringLiteral("姓名"), {}, false},
                                 {QStringLiteral("ITEM_193"), QStringLiteral("性别"), sex, false},
                                 {QStringLiteral("ITEM_195"), QStringLiteral("工作单位"), {}, false},
                                 {QStringLiteral("ITEM_196"), QStringLiteral("所学专业"), {}, false},
                                 {QStringLiteral("ITEM_197"), QStringLiteral("现从事专业"), {}, false},
                                 {QStringLiteral("ITEM_198"), QStringLiteral("职称"), title, false}},
                                this);
    cl::bindGrid(m_ui->DBGrid3, m_model);
    m_ui->DBGrid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cl::nameControls(this);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFpage7::Button2Click);
    connect(m_ui->btnSave01, &QPushButton::clicked, this, &TFpage7::btnSave01Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFpage7::Button1Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage7::Button3Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage7::quit01Click);
    cl::setPageSize(this);
}

TFpage7::~TFpage7() = default;

void TFpage7::setUpTemplates(core::TDM& dm) {
    dm.QryJdwyhmd.setCachedUpdates(true);
    // New members are appended to the table directly, so there is no insert template.
    dm.QryJdwyhmd.setUpdateTemplates(
        QString(),
        QStringLiteral(
            "update \"jdwyhmd.DBF\" set ITEM_190 = :ITEM_190, ITEM_191 = :ITEM_191, ITEM_192 = :ITEM_192, "
            "ITEM_193 = :ITEM_193, ITEM_194 = :ITEM_194, ITEM_195 = :ITEM_195, ITEM_196 = :ITEM_196, "
            "ITEM_197 = :ITEM_197, ITEM_198 = :ITEM_198, ITEM_199 = :ITEM_199 where "
            "ITEM_4 = :OLD_ITEM_4 and ITEM_190 = :OLD_ITEM_190 and ITEM_192 = :OLD_ITEM_192"),
        QStringLiteral(
            "delete from \"jdwyhmd.DBF\" where ITEM_4 = :OLD_ITEM_4 and ITEM_DQDM = :OLD_ITEM_DQDM and "
            "ITEM_190 = :OLD_ITEM_190 and ITEM_192 = :OLD_ITEM_192"));
}

void TFpage7::Load() {
    setUpTemplates(m_dm);
    cl::setAchievementTitle(this, m_main);
    m_model->reload();
}

int TFpage7::Execute() {
    Load();
    FormShow();
    return cl::showAndMark(this, m_main);
}

void TFpage7::FormShow() {
    m_model->reload();
    cl::setPageSize(this);
}

void TFpage7::Button2Click() {
    m_into7->Execute(TFinto7::addCaption());
    m_model->reload();
}

void TFpage7::btnSave01Click() {
    m_into7->Execute(cl::hasRows(m_dm.QryJdwyhmd) ? TFinto7::modifyCaption() : TFinto7::addCaption());
    m_model->reload();
}

void TFpage7::Button1Click() {
    // The committee is listed in role order, so it is rebuilt in that order.
    if (cl::deleteCurrent(this, m_dm.QryJdwyhmd, kNumber,
                          [this] { TFinto7::reopenInRoleOrder(m_dm, m_main); }))
        m_model->reload();
}

void TFpage7::Button3Click() {
    cl::showAppliedHelp(m_main, QStringLiteral("THelpPjwy"));
}

void TFpage7::quit01Click() {
    cl::leavePage(this, m_main, QStringLiteral("07"));
}

} // namespace tamsel::people
