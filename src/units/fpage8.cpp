#include "units/fpage8.h"

#include "core/datamodule.h"
#include "core/mainform.h"
#include "engine/error.h"
#include "engine/query.h"
#include "platform/prompt.h"
#include "units/finto8.h"
#include "units/formwcr.h"

#include "ui_fpage8.h"

#include <QHeaderView>
#include <QPushButton>

namespace tamsel::units {

using engine::EngineError;
namespace cl = childlist;

namespace {
const QString kNumber = QStringLiteral("ITEM_187");
}

TFpage8::TFpage8(core::TDM& dm, core::TMainForm& mainForm, TFinto8* into8, TFormWcr* formWcr, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFpage8>()), m_dm(dm), m_main(mainForm), m_into8(into8),
      m_formWcr(formWcr) {
    m_ui->setupUi(this);
    if (!m_into8) {
        m_ownInto8 = std::make_unique<TFinto8>(dm, mainForm, this);
        m_into8 = m_ownInto8.get();
    }
    if (!m_formWcr) {
        m_ownFormWcr = std::make_unique<TFormWcr>(dm, mainForm, this);
        m_formWcr = m_ownFormWcr.get();
    }
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont caption = m_ui->Panel1->font();
    caption.setPointSize(caption.pointSize() + 4);
    caption.setBold(true);
    m_ui->Panel1->setFont(caption);
    m_model = new cl::GridModel(dm.QryCgwcr, columns(), this);
    m_model->setEditable(true);
    m_model->onError = [this](const QString& message) { cl::showEngineError(this, message); };
    m_model->afterEdit = [this](int row, const QString& field) {
        if (field.compare(kNumber, Qt::CaseInsensitive) == 0)
            DBGrid4ColExit(row);
    };
    cl::bindGrid(m_ui->DBGrid4, m_model);
    m_ui->DBGrid4->setItemDelegate(new cl::CodeDelegate(m_ui->DBGrid4));
    cl::nameControls(this);
    connect(m_ui->Button5, &QPushButton::clicked, this, &TFpage8::Button5Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFpage8::Button2Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage8::Button3Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFpage8::Button1Click);
    connect(m_ui->Button4, &QPushButton::clicked, this, &TFpage8::Button4Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage8::quit01Click);
    resize(cl::kPageWidth, cl::kPageHeight);
}

TFpage8::~TFpage8() = default;

QList<cl::Column> TFpage8::columns() {
    const QList<std::pair<QString, QString>> sex{{"0", "男"}, {"1", "女"}};
    const QList<std::pair<QString, QString>> title{
        {"1", "院士"}, {"2", "正高"},     {"3", "副高"},       {"4", "中级"},      {"5", "初级"},
        {"9", "其他"}, {"a", "两院院士"}, {"b", "中科院院士"}, {"c", "工程院院士"}};
    const QList<std::pair<QString, QString>> education{
        {"2", "博士研究生"}, {"3", "硕士研究生"}, {"4", "大本"}, {"5", "大专"}, {"6", "中专"}, {"9", "其他"}};
    const QList<std::pair<QString, QString>> abroad{{"1", "是"}, {"0", "否"}};
    return {
        {kNumber, QStringLiteral("序号"), {}, false},
        {QStringLiteral("ITEM_180"), QStringLiteral("姓名"), {}, true},
        {QStringLiteral("ITEM_181"), QStringLiteral("性别"), sex, false},
        {QStringLiteral("ITEM_182"), QStringLiteral("出生年月"), {}, false},
        {QStringLiteral("ITEM_183"), QStringLiteral("技术职称"), title, false},
        {QStringLiteral("ITEM_184"), QStringLiteral("文化程度"), education, false},
        {QStringLiteral("ITEM_188"), QStringLiteral("是否留学归国"), abroad, false},
        {QStringLiteral("ITEM_185"), QStringLiteral("工作单位"), {}, false},
        {QStringLiteral("ITEM_186"), QStringLiteral("对成果创造性贡献"), {}, false},
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
    setWindowTitle(QStringLiteral("成果名称：") + m_main.currentValue(QStringLiteral("ITEM_3")));
    m_model->reload();
}

int TFpage8::Execute() {
    Load();
    FormShow();
    const int result = platform::showModal(this);
    m_main.MarkIncompletePages();
    m_main.ApplyCompleteness();
    return result;
}

void TFpage8::FormShow() {
    m_model->reload();
    resize(cl::kPageWidth, cl::kPageHeight);
}

void TFpage8::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_ui->DBGrid4->resizeColumnsToContents();
}

void TFpage8::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (size() != QSize(cl::kPageWidth, cl::kPageHeight))
        resize(cl::kPageWidth, cl::kPageHeight);
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
    const bool rows = m_dm.QryCgwcr.isActive() && !m_dm.QryCgwcr.isEmpty();
    m_into8->Execute(rows ? TFinto8::modifyCaption() : TFinto8::addCaption());
    m_model->reload();
}

void TFpage8::Button1Click() {
    engine::Query& q = m_dm.QryCgwcr;
    if (!q.isActive() || q.isEmpty())
        return;
    const int remembered = q.asInteger(kNumber);
    if (platform::showBox(this, {QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"),
                                 platform::Icon::Information, platform::Yes | platform::No}) != platform::Yes)
        return;
    try {
        q.deleteRecord();
        cl::writeAtOnce(q);
        cl::reopen(q);
        cl::renumber(q, kNumber);
    } catch (const EngineError& e) {
        cl::recover(this, q, kNumber, e.message());
        m_model->reload();
        return;
    }
    cl::locateNumber(q, kNumber, remembered);
    m_model->reload();
}

void TFpage8::Button4Click() {
    if (cl::appliedTechnology(m_main) && m_main.Hooks.showHelp)
        m_main.Hooks.showHelp(QStringLiteral("THelpWcr"));
}

void TFpage8::quit01Click() {
    if (!m_dm.QryCgwcr.isActive() || m_dm.QryCgwcr.isEmpty()) {
        m_main.ShowWarning(QStringLiteral("成果完成人员名单不能为空！"));
        return;
    }
    core::TMainForm::setPageDone(m_main.pageButton(QStringLiteral("08")), true);
    accept();
}

void TFpage8::DBGrid4ColExit(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QString typed = m_model->index(row, 0).data(Qt::EditRole).toString().trimmed();
    for (int r = 0; r < m_model->rowCount(); ++r) {
        if (r != row && m_model->index(r, 0).data(Qt::EditRole).toString().trimmed() == typed) {
            cl::showPlain(this, QStringLiteral("序号有重复，请重新输入序号！"));
            return;
        }
    }
}

void TFpage8::reject() {
    // Esc does not leave the page: 退出 checks the list first.
}

} // namespace tamsel::units
