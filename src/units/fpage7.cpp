#include "units/fpage7.h"

#include "core/datamodule.h"
#include "core/mainform.h"
#include "engine/error.h"
#include "engine/query.h"
#include "platform/prompt.h"
#include "units/finto7.h"

#include "ui_fpage7.h"

#include <QPushButton>

namespace tamsel::units {

using engine::EngineError;
namespace cl = childlist;

namespace {
const QString kNumber = QStringLiteral("ITEM_190");
}

TFpage7::TFpage7(core::TDM& dm, core::TMainForm& mainForm, TFinto7* into7, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFpage7>()), m_dm(dm), m_main(mainForm), m_into7(into7) {
    m_ui->setupUi(this);
    if (!m_into7) {
        m_ownInto7 = std::make_unique<TFinto7>(dm, mainForm, this);
        m_into7 = m_ownInto7.get();
    }
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont caption = m_ui->Panel1->font();
    caption.setPointSize(caption.pointSize() + 4);
    caption.setBold(true);
    m_ui->Panel1->setFont(caption);
    const QList<std::pair<QString, QString>> sex{{"0", "男"}, {"1", "女"}};
    const QList<std::pair<QString, QString>> title{
        {"1", "院士"}, {"2", "正高"},     {"3", "副高"},       {"4", "中级"},      {"5", "初级"},
        {"9", "其他"}, {"a", "两院院士"}, {"b", "中科院院士"}, {"c", "工程院院士"}};
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
    resize(cl::kPageWidth, cl::kPageHeight);
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
    setWindowTitle(QStringLiteral("成果名称：") + m_main.currentValue(QStringLiteral("ITEM_3")));
    m_model->reload();
}

int TFpage7::Execute() {
    Load();
    FormShow();
    const int result = platform::showModal(this);
    m_main.MarkIncompletePages();
    m_main.ApplyCompleteness();
    return result;
}

void TFpage7::FormShow() {
    m_model->reload();
    resize(cl::kPageWidth, cl::kPageHeight);
}

void TFpage7::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (size() != QSize(cl::kPageWidth, cl::kPageHeight))
        resize(cl::kPageWidth, cl::kPageHeight);
}

void TFpage7::Button2Click() {
    m_into7->Execute(TFinto7::addCaption());
    m_model->reload();
}

void TFpage7::btnSave01Click() {
    const bool rows = m_dm.QryJdwyhmd.isActive() && !m_dm.QryJdwyhmd.isEmpty();
    m_into7->Execute(rows ? TFinto7::modifyCaption() : TFinto7::addCaption());
    m_model->reload();
}

void TFpage7::Button1Click() {
    engine::Query& q = m_dm.QryJdwyhmd;
    if (!q.isActive() || q.isEmpty())
        return;
    const int remembered = q.asInteger(kNumber);
    if (platform::showBox(this, {QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"),
                                 platform::Icon::Information, platform::Yes | platform::No}) != platform::Yes)
        return;
    try {
        q.deleteRecord();
        cl::writeAtOnce(q);
        TFinto7::reopenInRoleOrder(m_dm, m_main);
        cl::renumber(q, kNumber);
    } catch (const EngineError& e) {
        cl::recover(this, q, kNumber, e.message());
        m_model->reload();
        return;
    }
    cl::locateNumber(q, kNumber, remembered);
    m_model->reload();
}

void TFpage7::Button3Click() {
    if (cl::appliedTechnology(m_main) && m_main.Hooks.showHelp)
        m_main.Hooks.showHelp(QStringLiteral("THelpPjwy"));
}

void TFpage7::quit01Click() {
    core::TMainForm::setPageDone(m_main.pageButton(QStringLiteral("07")), true);
    accept();
}

void TFpage7::reject() {}

} // namespace tamsel::units
