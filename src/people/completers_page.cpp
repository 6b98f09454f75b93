// TFpage8: the completers of the current achievement, renumbered after every change.
#include "people/completers_page.h"

#include "core/data_module.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "engine/query.h"
#include "people/completer_dialog.h"
#include "people/quick_add_dialog.h"

#include "ui_completers_page.h"

#include <QHeaderView>
#include <QPushButton>

namespace tamsel::people {

namespace cl = core::childlist;
using core::ShowWarning;

namespace {
const QString kNumber = QStringLiteral("ITEM_187");
}

TFpage8::TFpage8(core::TDM& dm, core::TMainForm& mainForm, TFinto8* into8, TFormWcr* formWcr, QWidget* parent)
    : ListPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage8>()) {
    m_ui->setupUi(this);
    m_ui->Button3->setDefault(true); // Return in an edit
    m_into8 = cl::sharedOrOwn(into8, m_ownInto8, dm, mainForm, this);
    m_formWcr = cl::sharedOrOwn(formWcr, m_ownFormWcr, dm, mainForm, this);
    cl::dressPage(this, m_ui->Panel1);
    m_model = new cl::GridModel(dm.QryCgwcr, columns(), this);
    cl::editInPlace(m_model, this, kNumber, Qt::CaseInsensitive, [this](int row) { DBGrid4ColExit(row); });
    cl::bindGrid(m_ui->DBGrid4, m_model);
    m_ui->DBGrid4->setItemDelegate(new cl::CodeDelegate(m_ui->DBGrid4));
    cl::nameControls(this);
    connect(m_ui->Button5, &QPushButton::clicked, this, &TFpage8::Button5Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFpage8::Button2Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage8::Button3Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFpage8::Button1Click);
    connect(m_ui->Button4, &QPushButton::clicked, this, &TFpage8::Button4Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage8::quit01Click);
    cl::setPageSize(this);
}

TFpage8::~TFpage8() = default;

QList<cl::Column> TFpage8::columns() {
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
    const auto education = cl::codeTexts({{"2", "博士研究生"},
                                          {"3", "硕士研究生"},
                                          {"4", "大本"},
                                          {"5", "大专"},
                                          {"6", "中专"},
                                          {"9", "其他"}});
    const auto abroad = cl::codeTexts({{"1", "是"}, {"0", "否"}});
    return {
        {kNumber, QStringLiteral("序号"), {}, false},
        {QStringLiteral("ITEM_180"), QStringLiteral("姓名"), {}, true},
        {QStringLiteral("ITEM_181"), QStringLiteral("性别"), sex, false},
        {QStringLiteral("ITEM_182"), QStringLiteral("出生年月"), {}, false},
        {QStringLiteral("ITEM_183"), QStringLiteral("技术职称"), title, false},
        {QStringLiteral("ITEM_184"), QStringLiteral("文化程度"), education, false},
        {QStringLiteral("ITEM_188"), QStringLiteral("是否留学归国"), abroad, false},
        {QStringLiteral("ITEM_185"), QStringLiteral("工作单位"), {}, false},
        {QStringLiteral("ITEM_186"), QStringLiteral("对成果创造性贡献"), {}, false, true},
    };
}

void TFpage8::setUpTemplates(core::TDM& dm) {
    dm.QryCgwcr.setCachedUpdates(true);
    dm.QryCgwcr.setUpdateTemplates(
        QStringLiteral(
            "insert into \"cgwcr.DBF\" (ITEM_4, ITEM_DQDM, ITEM_187, ITEM_180, ITEM_181, ITEM_182, "
            "ITEM_183, ITEM_184, ITEM_185, ITEM_186, ITEM_188) values (:ITEM_4, :ITEM_DQDM, :ITEM_187, "
            ":ITEM_180, :ITEM_181, :ITEM_182, :ITEM_183, :ITEM_184, :ITEM_185, :ITEM_186, :ITEM_188)"),
        QStringLiteral(
            "update \"cgwcr.DBF\" set ITEM_180 = :ITEM_180, ITEM_181 = :ITEM_181, ITEM_182 = :ITEM_182, "
            "ITEM_185 = :ITEM_185, ITEM_183 = :ITEM_183, ITEM_184 = :ITEM_184, ITEM_186 = :ITEM_186, "
            "ITEM_187 = :ITEM_187, ITEM_188 = :ITEM_188 where ITEM_4 = :OLD_ITEM_4 and "
            "ITEM_DQDM = :OLD_ITEM_DQDM and ITEM_180 = :OLD_ITEM_180"),
        QStringLiteral(
            "delete from \"cgwcr.DBF\" where ITEM_4 = :OLD_ITEM_4 and ITEM_DQDM = :OLD_ITEM_DQDM and "
            "ITEM_187 = :OLD_ITEM_187 and ITEM_180 = :OLD_ITEM_180"));
}

void TFpage8::Load() {
    setUpTemplates(m_dm);
    cl::setAchievementTitle(this, m_main);
    m_model->reload();
}

int TFpage8::Execute() {
    Load();
    FormShow();
    return cl::showAndMark(this, m_main);
}

void TFpage8::FormShow() {
    m_model->reload();
    cl::setPageSize(this);
}

void TFpage8::Button5Click() {
    m_formWcr->Execute();
    m_model->reload();
}

void TFpage8::Button2Click() {
    m_into8->Execute(TFinto8::addCaption());
    m_model->reload();
}

void TFpage8::Button3Click() {
    m_into8->Execute(cl::hasRows(m_dm.QryCgwcr) ? TFinto8::modifyCaption() : TFinto8::addCaption());
    m_model->reload();
}

void TFpage8::Button1Click() {
    engine::Query& q = m_dm.QryCgwcr;
    if (cl::deleteCurrent(this, q, kNumber, [&q] { cl::reopen(q); }))
        m_model->reload();
}

void TFpage8::Button4Click() {
    cl::showAppliedHelp(m_main, QStringLiteral("THelpWcr"));
}

void TFpage8::quit01Click() {
    if (!cl::hasRows(m_dm.QryCgwcr)) {
        ShowWarning(this, QStringLiteral("成果完成人员名单不能为空！"));
        return;
    }
    cl::leavePage(this, m_main, QStringLiteral("08"));
}

void TFpage8::DBGrid4ColExit(int row) {
    cl::reportDuplicateNumber(this, *m_model, row);
}

} // namespace tamsel::people
