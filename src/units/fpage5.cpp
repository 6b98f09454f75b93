#include "units/fpage5.h"

#include "core/datamodule.h"
#include "core/mainform.h"
#include "engine/error.h"
#include "engine/query.h"
#include "platform/prompt.h"
#include "units/finto5.h"

#include "ui_fpage5.h"

#include <QPushButton>

namespace tamsel::units {

using engine::EngineError;
namespace cl = childlist;

namespace {
const QString kNumber = QStringLiteral("ITEM_176");
}

TFpage5::TFpage5(core::TDM& dm, core::TMainForm& mainForm, TFinto5* into5, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFpage5>()), m_dm(dm), m_main(mainForm), m_into5(into5) {
    m_ui->setupUi(this);
    if (!m_into5) {
        m_ownInto5 = std::make_unique<TFinto5>(dm, mainForm, this);
        m_into5 = m_ownInto5.get();
    }
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont caption = m_ui->Panel1->font();
    caption.setPointSize(caption.pointSize() + 4);
    caption.setBold(true);
    m_ui->Panel1->setFont(caption);
    m_model = new cl::GridModel(dm.QryCgwcdw,
                                {{kNumber, QStringLiteral("序号"), {}, false},
                                 {QStringLiteral("ITEM_170"), QStringLiteral("单位名称"), {}, false},
                                 {QStringLiteral("ITEM_171"), QStringLiteral("详细通信地址"), {}, false},
                                 {QStringLiteral("ITEM_172"), QStringLiteral("邮政编码"), {}, false},
                                 {QStringLiteral("ITEM_173"), QStringLiteral("联系人"), {}, false},
                                 {QStringLiteral("ITEM_174"), QStringLiteral("联系人电话"), {}, false}},
                                this);
    m_model->setEditable(true);
    m_model->onError = [this](const QString& message) { cl::showEngineError(this, message); };
    m_model->afterEdit = [this](int row, const QString& field) {
        if (field == kNumber)
            DBGrid2ColExit(row);
    };
    cl::bindGrid(m_ui->DBGrid2, m_model);
    cl::nameControls(this);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFpage5::Button2Click);
    connect(m_ui->btnSave01, &QPushButton::clicked, this, &TFpage5::btnSave01Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFpage5::Button1Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage5::Button3Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage5::quit01Click);
    resize(cl::kPageWidth, cl::kPageHeight);
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
    setWindowTitle(QStringLiteral("成果名称：") + m_main.currentValue(QStringLiteral("ITEM_3")));
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
    resize(cl::kPageWidth, cl::kPageHeight);
}

void TFpage5::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (size() != QSize(cl::kPageWidth, cl::kPageHeight))
        resize(cl::kPageWidth, cl::kPageHeight);
}

void TFpage5::Button2Click() {
    m_into5->Execute(TFinto5::addCaption());
    m_model->reload();
}

void TFpage5::btnSave01Click() {
    const bool rows = m_dm.QryCgwcdw.isActive() && !m_dm.QryCgwcdw.isEmpty();
    m_into5->Execute(rows ? TFinto5::modifyCaption() : TFinto5::addCaption());
    m_model->reload();
}

void TFpage5::Button1Click() {
    engine::Query& q = m_dm.QryCgwcdw;
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

void TFpage5::Button3Click() {
    if (cl::appliedTechnology(m_main) && m_main.Hooks.showHelp)
        m_main.Hooks.showHelp(QStringLiteral("THelpHzdw"));
}

void TFpage5::quit01Click() {
    core::TMainForm::setPageDone(m_main.pageButton(QStringLiteral("05")), true);
    accept();
}

void TFpage5::DBGrid2ColExit(int row) {
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

void TFpage5::reject() {}

} // namespace tamsel::units
