// TFpage4: the first completing unit of the current achievement.
#include "units/first_unit_page.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/gbk.h"
#include "platform/placement.h"
#include "platform/prompt.h"
#include "units/unit_record.h"
#include "units/unit_situation_dialog.h"

#include "ui_first_unit_page.h"

#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <algorithm>

namespace tamsel::units {

using core::ClearChoiceButtons;
using core::FillCodeList;
using core::FillCodeNameList;
using core::SelectCode;
using core::ShowWarning;
using engine::EngineError;
using platform::Icon;

namespace {

const QString kEnterprise = QStringLiteral("企业");

// The unit's text items compared with the record on leaving, as typed: edit and field.
const QList<std::pair<const char*, const char*>>& comparedEdits() {
    static const QList<std::pair<const char*, const char*>> edits{
        {"Edt_9", "ITEM_9"},       {"Edt_420", "ITEM_420"}, {"Edt_37", "ITEM_37"}, {"Edt_39", "ITEM_39"},
        {"Edt_38", "ITEM_38"},     {"Edt_60", "ITEM_60"},   {"Edt_40", "ITEM_40"}, {"Edt_41", "ITEM_41"},
        {"Edt_41_2", "ITEM_41_2"}, {"Edt_61", "ITEM_61"},
    };
    return edits;
}

} // namespace

TFpage4::TFpage4(core::TDM& dm, core::TMainForm& mainForm, Tdw_Form* dwForm, QWidget* parent)
    : EntryPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage4>()), m_dwForm(dwForm) {
    m_ui->setupUi(this);
    m_ui->btnSave01->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("TFpage4"));
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);
    if (!m_dwForm) {
        m_ownDwForm = std::make_unique<Tdw_Form>(dm, mainForm);
        m_dwForm = m_ownDwForm.get();
    }
    m_dwForm->setPage(this);

    // The registering unit's own record is kept through the unit profile; these two commands
    // stay reachable for the handlers only.
    m_ui->Button1->hide();
    m_ui->Button2->hide();

    // The three groups line up as one form: each label column is as wide as its widest label.
    const QList<QList<QLabel*>> labelColumns{
        {m_ui->Label9, m_ui->Label420, m_ui->Label37, m_ui->Label39, m_ui->Label60, m_ui->Label62,
         m_ui->Label41_3, m_ui->Label63, m_ui->Label41, m_ui->Label61, m_ui->LabelTLinkMan,
         m_ui->LabelTLinkManEmail},
        {m_ui->Label38, m_ui->Label40, m_ui->Label64, m_ui->Label41_2, m_ui->LabelTLinkManTel},
    };
    for (const QList<QLabel*>& column : labelColumns) {
        int width = 0;
        for (const QLabel* label : column) {
            width = std::max(width, label->sizeHint().width());
        }
        for (QLabel* label : column) {
            label->setMinimumWidth(width);
        }
    }
    m_ui->Label420hint->setAccessibleName(m_ui->Label420hint->text());
    m_ui->cb_163->setAccessibleName(m_ui->cb_163->text());
    m_ui->TitleLabel->setAccessibleName(m_ui->TitleLabel->text());

    connect(m_ui->btnSave01, &QPushButton::clicked, this, &TFpage4::btnSave01Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage4::quit01Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage4::Button3Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFpage4::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFpage4::Button2Click);
    connect(m_ui->cb_62, &QComboBox::activated, this, &TFpage4::cb_62Change);
    core::nameControlsByLabels(this);
}

TFpage4::~TFpage4() = default;

void TFpage4::setEnterpriseEnabled(bool enabled) {
    m_ui->CB_41_3->setEnabled(enabled);
    m_ui->cb_163->setEnabled(enabled);
}

void TFpage4::fillLists() {
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_62"), true, m_ui->cb_62);
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_41_3"), true, m_ui->CB_41_3);
    FillCodeNameList(m_dm.tblProvince, m_ui->cb_64, true, QStringLiteral("Province_i"),
                     QStringLiteral("Province_n"));
    FillCodeNameList(m_dm.tblLsbw, m_ui->cb_63, false, QStringLiteral("Bwdm"), QStringLiteral("Bwmc"));
}

// --- Loading --------------------------------------------------------------------------------------

bool TFpage4::LoadFromAchievement() {
    engine::Query& pelk = m_dm.Qrypelk;
    if (!pelk.isActive() || pelk.isEmpty()) {
        return false;
    }
    core::limitToFields(this, pelk,
                        {{m_ui->TLinkMan, QStringLiteral("TLinkMan")},
                         {m_ui->TLinkManTel, QStringLiteral("TLinkManTe")},
                         {m_ui->TLinkManEmail, QStringLiteral("TLinkManEm")}});
    ClearChoiceButtons(this);
    engine::Table& unit = m_dm.Tblunit;
    try {
        if (unit.isActive() && !unit.isEmpty() && unit.recNo() <= 0) {
            unit.first();
        }
        const auto mine = [&pelk](const char* field) { return pelk.asString(QString::fromLatin1(field)); };
        // The registering unit's own achievements take its address and numbers from its
        // profile; the contacts and the enterprise details stay the achievement's.
        const bool fromUnit =
            unit.isActive() && !unit.isEmpty() && unitValue(unit, QStringLiteral("item_9")) == mine("ITEM_9");
        const auto shared = [&](const char* field) {
            return fromUnit ? unitValue(unit, QString::fromLatin1(field)) : mine(field);
        };

        m_ui->Edt_9->setText(shared("ITEM_9"));
        m_ui->Edt_420->setText(shared("ITEM_420"));
        m_ui->Edt_37->setText(shared("ITEM_37"));
        m_ui->Edt_38->setText(shared("ITEM_38"));
        m_ui->Edt_39->setText(shared("ITEM_39"));
        m_ui->Edt_40->setText(shared("ITEM_40"));
        m_ui->Edt_60->setText(shared("ITEM_60"));
        m_ui->Edt_61->setText(shared("ITEM_61"));
        m_ui->Edt_41_2->setText(shared("ITEM_41_2"));
        m_ui->Edt_41->setText(mine("ITEM_41"));
        m_ui->TLinkMan->setText(mine("TLinkMan"));
        m_ui->TLinkManTel->setText(mine("TLinkManTe"));
        m_ui->TLinkManEmail->setText(mine("TLinkManEm"));

        fillLists();
        const QString unitType = shared("ITEM_62").trimmed();
        SelectCode(unitType, m_ui->cb_62);
        SelectCode(shared("ITEM_64"), m_ui->cb_64);
        SelectCode(mine("ITEM_41_3"), m_ui->CB_41_3);
        SelectCode(mine("ITEM_63"), m_ui->cb_63);
        showUnlistedCode(mine("ITEM_63"), m_ui->cb_63);
        const bool enterprise = unitType == QLatin1String("3");
        setEnterpriseEnabled(enterprise);
        m_ui->cb_163->setChecked(enterprise && mine("ITEM_163").trimmed() == QLatin1String("1"));
        setWindowTitle(QStringLiteral("成果名称：") + mine("ITEM_3"));
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return false;
    }
    return true;
}

int TFpage4::Execute() {
    if (!LoadFromAchievement()) {
        return QDialog::Rejected;
    }
    FormShow();
    const int result = platform::showModal(this);
    // The page may have completed (or the user emptied) the achievement's mandatory items.
    m_main.MarkIncompletePages();
    m_main.ApplyCompleteness();
    return result;
}

// --- Showing ----------------------------------------------------------------------------------------

void TFpage4::FormShow() {
    placePage();
}

void TFpage4::FormResize() {
    holdPageSize();
}

void TFpage4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFpage4::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

// --- Controls ---------------------------------------------------------------------------------------

void TFpage4::cb_62Change() {
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_41_3"), true, m_ui->CB_41_3);
    if (m_ui->cb_62->currentText().contains(kEnterprise)) {
        setEnterpriseEnabled(true);
    } else {
        m_ui->cb_163->setChecked(false);
        m_ui->CB_41_3->clear();
        setEnterpriseEnabled(false);
    }
}

void TFpage4::Button3Click() {
    // The filling instructions of this page exist for applied technology only.
    if (core::isAppliedTechnology(m_main)) {
        showHelp(QStringLiteral("THelpWcdw"));
    }
}

// --- Checking and storing ---------------------------------------------------------------------------

QString TFpage4::CheckMessage() const {
    // Emptiness is the text as typed: a text of blanks counts as filled.
    if (m_ui->Edt_9->text().isEmpty()) {
        return QStringLiteral("\"单位名称\"不能为空！");
    }
    if (m_ui->Edt_37->text().isEmpty()) {
        return QStringLiteral("\"通讯地址\"不能为空！");
    }
    if (m_ui->Edt_38->text().isEmpty()) {
        return QStringLiteral("\"邮政编码\"不能为空！");
    }
    if (m_ui->cb_62->currentText().trimmed().isEmpty()) {
        return QStringLiteral("\"单位属性\"不能为空！");
    }
    if (m_ui->cb_62->currentText().contains(kEnterprise) &&
        m_ui->CB_41_3->currentText().trimmed().isEmpty()) {
        return QStringLiteral("\"企业所有制属性\"不能为空！");
    }
    if (m_ui->cb_64->currentText().trimmed().isEmpty()) {
        return QStringLiteral("\"单位所在省市\"不能为空！");
    }
    if (m_ui->Edt_41->text().isEmpty()) {
        return QStringLiteral("\"联系人\"不能为空！");
    }
    if (m_ui->Edt_41_2->text().isEmpty()) {
        return QStringLiteral("\"联系人电话\"不能为空！");
    }
    const QString code = m_ui->Edt_420->text().trimmed();
    if (!code.isEmpty() && code.mid(8, 1) != QLatin1String("-")) {
        return QStringLiteral("\"组织机构代码\"格式错误！");
    }
    return QString();
}

bool TFpage4::validate() {
    const QString problem = CheckMessage();
    if (!problem.isEmpty()) {
        ShowWarning(this, problem);
        return false;
    }
    return true;
}

bool TFpage4::store() {
    if (!validate()) {
        return false;
    }
    engine::Query& pelk = m_dm.Qrypelk;
    if (!pelk.isActive() || pelk.isEmpty()) {
        return false;
    }
    try {
        pelk.edit();
        pelk.setValue(u"ITEM_9", m_ui->Edt_9->text());
        pelk.setValue(u"ITEM_420", m_ui->Edt_420->text());
        pelk.setValue(u"ITEM_37", m_ui->Edt_37->text());
        pelk.setValue(u"ITEM_39", m_ui->Edt_39->text());
        pelk.setValue(u"ITEM_38", m_ui->Edt_38->text());
        pelk.setValue(u"ITEM_60", m_ui->Edt_60->text());
        pelk.setValue(u"ITEM_40", m_ui->Edt_40->text());
        pelk.setValue(u"ITEM_41", m_ui->Edt_41->text());
        pelk.setValue(u"ITEM_41_2", m_ui->Edt_41_2->text());
        pelk.setValue(u"ITEM_61", m_ui->Edt_61->text());
        pelk.setValue(u"TLinkMan", m_ui->TLinkMan->text());
        pelk.setValue(u"TLinkManTe", m_ui->TLinkManTel->text());
        pelk.setValue(u"TLinkManEm", m_ui->TLinkManEmail->text());
        const QString unitType = core::entryCode(m_ui->cb_62, 3);
        pelk.setValue(u"ITEM_62", unitType);
        pelk.setValue(u"ITEM_64", core::entryCode(m_ui->cb_64, 3));
        pelk.setValue(u"ITEM_63", core::entryCode(m_ui->cb_63, 3));
        // Only an enterprise has an ownership and may be a converted research institute.
        if (unitType != QLatin1String("3")) {
            pelk.setValue(u"ITEM_41_3", QString());
            pelk.setValue(u"ITEM_163", QString());
        } else {
            pelk.setValue(u"ITEM_41_3", core::entryCode(m_ui->CB_41_3, 3));
            pelk.setValue(u"ITEM_163", m_ui->cb_163->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        }
        pelk.post();
    } catch (const EngineError& e) {
        if (pelk.state() == engine::Dataset::State::Edit) {
            pelk.cancel();
        }
        showEngineError(e.message());
        return false;
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    if (QPushButton* button = m_main.pageButton(QStringLiteral("04"))) {
        core::TMainForm::setPageDone(button, true);
        button->setText(QStringLiteral("第一完成单位情况"));
    }
    return true;
}

void TFpage4::btnSave01Click() {
    store();
}

bool TFpage4::differsFromRecord() {
    const engine::Query& pelk = m_dm.Qrypelk;
    if (!pelk.isActive() || pelk.isEmpty()) {
        return false;
    }
    for (const auto& [editName, field] : comparedEdits()) {
        const auto* edit = findChild<QLineEdit*>(QString::fromLatin1(editName));
        if (edit && edit->text() != pelk.asString(QString::fromLatin1(field))) {
            return true;
        }
    }
    const std::pair<const QComboBox*, const char*> lists[] = {{m_ui->cb_62, "ITEM_62"},
                                                              {m_ui->CB_41_3, "ITEM_41_3"},
                                                              {m_ui->cb_64, "ITEM_64"},
                                                              {m_ui->cb_63, "ITEM_63"}};
    for (const auto& [combo, field] : lists) {
        if (core::entryCode(combo, 3) != pelk.asString(QString::fromLatin1(field)).trimmed()) {
            return true;
        }
    }
    // A box checked for a record that does not hold "1" is a change too, or ticking it on an
    // achievement stored without the item would be lost without a question.
    const bool stored = pelk.asString(u"ITEM_163").trimmed() == QLatin1String("1");
    return m_ui->cb_163->isChecked() != stored;
}

void TFpage4::quit01Click() {
    if (leave() == Leave::Stay) {
        return;
    }
    done(QDialog::Accepted);
}

// --- The registering unit's own record ----------------------------------------------------------------

void TFpage4::Button1Click() {
    engine::Query& dwqk = m_dm.Qrydwqk;
    const auto value = [&dwqk](const char* field) { return dwqk.asString(QString::fromLatin1(field)); };
    QString name;
    try {
        if (!dwqk.isActive()) {
            dwqk.open();
        }
        if (!dwqk.isEmpty()) {
            dwqk.first();
            name = value("item_9");
        }
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return;
    }
    if (name.isEmpty()) {
        platform::showMessage(this, QStringLiteral("提示信息"),
                              QStringLiteral("本单位情况还没设置，请先设置单位基本情况"), Icon::Information);
        return;
    }
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_41_3"), true, m_ui->CB_41_3);
    m_ui->Edt_9->setText(name);
    m_ui->Edt_420->setText(value("item_420"));
    m_ui->Edt_37->setText(value("item_37"));
    m_ui->Edt_38->setText(value("item_38"));
    m_ui->Edt_39->setText(value("item_39"));
    m_ui->Edt_40->setText(value("item_40"));
    m_ui->Edt_60->setText(value("item_60"));
    m_ui->Edt_41->setText(value("item_41"));
    m_ui->Edt_41_2->setText(value("item_41_2"));
    m_ui->Edt_61->setText(value("item_61"));
    SelectCode(value("item_62"), m_ui->cb_62);
    if (m_ui->cb_62->currentText().contains(kEnterprise)) {
        setEnterpriseEnabled(true);
        SelectCode(value("item_41_3"), m_ui->CB_41_3);
    } else {
        m_ui->CB_41_3->clear();
        setEnterpriseEnabled(false);
    }
    SelectCode(value("item_64"), m_ui->cb_64);
    SelectCode(value("item_63"), m_ui->cb_63);
    showUnlistedCode(value("item_63"), m_ui->cb_63);
    const bool enterprise = value("item_62").trimmed() == QLatin1String("3");
    setEnterpriseEnabled(enterprise);
    m_ui->cb_163->setChecked(enterprise && value("item_163").trimmed() == QLatin1String("1"));
}

void TFpage4::Button2Click() {
    try {
        const bool enterprise = m_main.currentValue(QStringLiteral("ITEM_62")) == QLatin1String("3");
        m_dwForm->setEnterpriseEnabled(enterprise);
        m_dwForm->setConverted(enterprise &&
                               m_main.currentValue(QStringLiteral("ITEM_163")) == QLatin1String("1"));
        m_dwForm->Execute();
    } catch (const EngineError& e) {
        ShowWarning(this, QStringLiteral("读入数据时出错,请到本单位情况设置中修改:") + e.message());
    }
}

} // namespace tamsel::units
