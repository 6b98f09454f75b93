// TFinto6: one patent of the current achievement, new or changed.
#include "entry/patent_dialog.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/keyboard.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/gbk.h"
#include "entry/patent_list.h"
#include "platform/prompt.h"

#include "ui_patent_dialog.h"

#include <QCloseEvent>

namespace tamsel::entry {

using core::FillCodeList;
using core::SelectCode;
using core::ShowWarning;
using engine::EngineError;
using platform::Icon;

QString TFinto6::newCaption() {
    return QStringLiteral("新增－－【专利情况】");
}

QString TFinto6::editCaption() {
    return QStringLiteral("修改－－【专利情况】");
}

TFinto6::TFinto6(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFinto6>()), m_dm(dm), m_main(mainForm) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    m_ui->btnSave->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("TFinto6"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);
    connect(m_ui->CB_st, &QComboBox::currentIndexChanged, this, &TFinto6::ListChange);
    connect(m_ui->CB_ty, &QComboBox::currentIndexChanged, this, &TFinto6::ListChange);
    connect(m_ui->btnSave, &QPushButton::clicked, this, &TFinto6::btnSaveClick);
    connect(m_ui->btnQuit, &QPushButton::clicked, this, &TFinto6::btnQuitClick);
    core::nameControlsByLabels(this);
}

TFinto6::~TFinto6() = default;

bool TFinto6::isEditMode() const {
    return windowTitle() == editCaption();
}

int TFinto6::Execute(bool editMode) {
    setWindowTitle(editMode ? editCaption() : newCaption());
    FormShow();
    return platform::showModal(this);
}

void TFinto6::FormShow() {
    m_filling = true;
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("patent_st"), true, m_ui->CB_st);
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("patent_ty"), true, m_ui->CB_ty);
    engine::Table& patents = m_dm.tblzlqk;
    core::limitToFields(
        this, patents,
        {{m_ui->Edt_no, QStringLiteral("PATENT_NO")}, {m_ui->Edt_nam, QStringLiteral("PATENT_NAM")}});
    if (isEditMode() && patents.isActive() && !patents.isEmpty()) {
        m_ui->Edt_no->setText(patents.asString(u"PATENT_NO"));
        m_ui->Edt_nam->setText(patents.asString(u"PATENT_NAM"));
        SelectCode(patents.asString(u"PATENT_ST"), m_ui->CB_st);
        SelectCode(patents.asString(u"PATENT_TY"), m_ui->CB_ty);
    } else {
        m_ui->Edt_no->clear();
        m_ui->Edt_nam->clear();
        m_ui->CB_st->setCurrentIndex(m_ui->CB_st->count() > 0 ? 0 : -1);
        m_ui->CB_ty->setCurrentIndex(m_ui->CB_ty->count() > 0 ? 0 : -1);
    }
    m_filling = false;
    m_changed = false;
}

void TFinto6::ListChange() {
    if (!m_filling) {
        m_changed = true;
    }
}

QString TFinto6::checkMessage() const {
    if (m_ui->CB_st->currentText().trimmed().isEmpty()) {
        return QStringLiteral("\"专利状况\"不能为空！");
    }
    if (m_ui->CB_ty->currentText().trimmed().isEmpty()) {
        return QStringLiteral("\"专利类型\"不能为空！");
    }
    if (m_ui->Edt_no->text().isEmpty()) {
        return QStringLiteral("\"专利号\"不能为空！");
    }
    if (m_ui->Edt_nam->text().isEmpty()) {
        return QStringLiteral("\"专利名称\"不能为空！");
    }
    return QString();
}

bool TFinto6::save() {
    const QString problem = checkMessage();
    if (!problem.isEmpty()) {
        ShowWarning(this, problem);
        return false;
    }
    engine::Table& patents = m_dm.tblzlqk;
    const bool editing = isEditMode() && patents.isActive() && !patents.isEmpty();
    try {
        if (!patents.isActive()) {
            patents.open();
        }
        if (editing) {
            patents.edit();
        } else {
            patents.append();
            patents.setValue(u"item_4", m_main.currentValue(QStringLiteral("ITEM_4")));
            patents.setValue(u"item_dqdm", m_main.currentValue(QStringLiteral("ITEM_DQDM")));
        }
        patents.setValue(u"PATENT_NO", m_ui->Edt_no->text());
        patents.setValue(u"PATENT_NAM", m_ui->Edt_nam->text());
        patents.setValue(u"PATENT_st", core::entryCode(m_ui->CB_st, 2));
        patents.setValue(u"PATENT_ty", core::entryCode(m_ui->CB_ty, 2));
        patents.post();
        if (!editing) {
            renumberPatents(patents);
            // The new patent stays current, so 修改 after closing changes the one just entered.
            patents.last();
        }
    } catch (const EngineError& e) {
        if (patents.state() == engine::Dataset::State::Edit ||
            patents.state() == engine::Dataset::State::Insert) {
            patents.cancel();
        }
        platform::showBox(this, {QStringLiteral("提示"), e.message(), Icon::Warning, platform::Ok});
        return false;
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    if (editing) {
        done(QDialog::Accepted);
    } else {
        m_ui->Edt_no->clear();
        m_ui->Edt_nam->clear();
    }
    return true;
}

void TFinto6::btnSaveClick() {
    save();
}

void TFinto6::btnQuitClick() {
    const QString number = m_ui->Edt_no->text();
    const QString name = m_ui->Edt_nam->text();
    if (number.isEmpty() && name.isEmpty()) {
        done(QDialog::Rejected);
        return;
    }
    const engine::Table& patents = m_dm.tblzlqk;
    const bool hasRow = patents.isActive() && !patents.isEmpty();
    if (hasRow && !m_changed && number == patents.asString(u"PATENT_NO") &&
        name == patents.asString(u"PATENT_NAM")) {
        done(QDialog::Rejected);
        return;
    }
    if (platform::askYesNo(this, QStringLiteral("请注意！"),
                           QStringLiteral("记录已更改，是否保存后退出？"))) {
        // A failed save keeps the dialog open, so nothing typed is lost.
        const bool editing = isEditMode() && hasRow;
        if (!save() || editing) {
            return; // an edited patent closes the dialog on saving
        }
    }
    done(QDialog::Rejected);
}

void TFinto6::reject() {
    core::keyboard::pressExit(this);
}

void TFinto6::done(int result) {
    QDialog::done(result);
    m_changed = false;
}

void TFinto6::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace tamsel::entry
