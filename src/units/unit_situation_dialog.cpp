// Tdw_Form: the registering unit's situation (dwqk), copied into a first completing unit.
#include "units/unit_situation_dialog.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/gbk.h"
#include "engine/query.h"
#include "platform/prompt.h"
#include "units/first_unit_page.h"
#include "units/unit_record.h"

#include "ui_unit_situation_dialog.h"

#include <QComboBox>
#include <QFont>
#include <QStringList>

namespace tamsel::units {

using core::FillCodeList;
using core::FillCodeNameList;
using core::SelectCode;
using core::ShowWarning;
using engine::EngineError;

namespace {

const QString kEnterprise = QStringLiteral("企业");

// The dialog's edits and their dwqk fields, compared as typed.
const QList<std::pair<const char*, const char*>>& textItems() {
    static const QList<std::pair<const char*, const char*>> items{
        {"Edt_9", "item_9"},       {"Edt_420", "item_420"}, {"Edt_37", "item_37"}, {"Edt_38", "item_38"},
        {"Edt_39", "item_39"},     {"Edt_40", "item_40"},   {"Edt_60", "item_60"}, {"Edt_41", "item_41"},
        {"Edt_41_2", "item_41_2"}, {"Edt_61", "item_61"},
    };
    return items;
}

// A list's stored value: the chosen entry up to its first blank, which is the option's code.
QString listValue(const QComboBox* combo) {
    const QString text = combo->currentText();
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    return (blank < 0 ? text : text.left(blank)).trimmed();
}

} // namespace

Tdw_Form::Tdw_Form(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : EntryPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::Tdw_Form>()) {
    m_ui->setupUi(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("Tdw_Form"));
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);
    m_ui->cb_163->setAccessibleName(m_ui->cb_163->text());

    connect(m_ui->Button1, &QPushButton::clicked, this, &Tdw_Form::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &Tdw_Form::Button2Click);
    connect(m_ui->cb_62, &QComboBox::activated, this, &Tdw_Form::cb_62Change);
    core::nameControlsByLabels(this);
}

Tdw_Form::~Tdw_Form() = default;

void Tdw_Form::setEnterpriseEnabled(bool enabled) {
    m_ui->CB_41_3->setEnabled(enabled);
    m_ui->cb_163->setEnabled(enabled);
}

void Tdw_Form::setConverted(bool checked) {
    m_ui->cb_163->setChecked(checked);
}

QString Tdw_Form::recordValue(const QString& field) const {
    const engine::Query& dwqk = m_dm.Qrydwqk;
    if (!dwqk.isActive() || dwqk.isEmpty()) {
        return QString();
    }
    return dwqk.asString(field);
}

void Tdw_Form::LoadFromDwqk() {
    engine::Query& dwqk = m_dm.Qrydwqk;
    if (!dwqk.isActive()) {
        dwqk.open();
    }
    core::limitToFields(this, dwqk);
    if (!dwqk.isEmpty()) {
        dwqk.first();
    }
    const auto value = [this](const char* field) { return recordValue(QString::fromLatin1(field)); };
    for (const auto& [editName, field] : textItems()) {
        if (auto* edit = findChild<QLineEdit*>(QString::fromLatin1(editName))) {
            edit->setText(value(field));
        }
    }
    const bool enterprise = value("item_62").trimmed() == QLatin1String("3");
    setEnterpriseEnabled(enterprise);
    m_ui->cb_163->setChecked(enterprise && value("item_163").trimmed() == QLatin1String("1"));

    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_62"), true, m_ui->cb_62);
    SelectCode(value("item_62"), m_ui->cb_62);
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_41_3"), true, m_ui->CB_41_3);
    SelectCode(value("item_41_3"), m_ui->CB_41_3);
    FillCodeNameList(m_dm.tblProvince, m_ui->cb_64, true, QStringLiteral("Province_i"),
                     QStringLiteral("Province_n"));
    SelectCode(value("item_64"), m_ui->cb_64);
    FillCodeNameList(m_dm.tblLsbw, m_ui->cb_63, false, QStringLiteral("Bwdm"), QStringLiteral("Bwmc"));
    SelectCode(value("item_63"), m_ui->cb_63);
    showUnlistedCode(value("item_63"), m_ui->cb_63);
}

int Tdw_Form::Execute() {
    LoadFromDwqk();
    FormShow();
    return platform::showModal(this);
}

void Tdw_Form::FormShow() {
    adjustSize();
}

void Tdw_Form::cb_62Change() {
    // As on the first completing unit page: only an enterprise has an ownership.
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_41_3"), true, m_ui->CB_41_3);
    if (m_ui->cb_62->currentText().contains(kEnterprise)) {
        setEnterpriseEnabled(true);
    } else {
        m_ui->cb_163->setChecked(false);
        m_ui->CB_41_3->clear();
        setEnterpriseEnabled(false);
    }
}

QString Tdw_Form::CheckMessage() const {
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
    if (m_ui->cb_62->currentText().contains(kEnterprise) && m_ui->CB_41_3->currentText().isEmpty()) {
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
    return QString();
}

QList<std::pair<QString, QVariant>> Tdw_Form::Values() const {
    const auto text = [this](const char* editName) {
        const auto* edit = findChild<QLineEdit*>(QString::fromLatin1(editName));
        return edit ? edit->text() : QString();
    };
    return {
        {QStringLiteral("item_9"), text("Edt_9")},
        {QStringLiteral("item_420"), text("Edt_420")},
        {QStringLiteral("item_37"), text("Edt_37")},
        {QStringLiteral("item_38"), text("Edt_38")},
        {QStringLiteral("item_39"), text("Edt_39")},
        {QStringLiteral("item_40"), text("Edt_40")},
        {QStringLiteral("item_60"), text("Edt_60")},
        {QStringLiteral("item_62"), listValue(m_ui->cb_62)},
        {QStringLiteral("item_163"), m_ui->cb_163->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {QStringLiteral("item_41_3"), listValue(m_ui->CB_41_3)},
        {QStringLiteral("item_64"), listValue(m_ui->cb_64)},
        {QStringLiteral("item_63"), listValue(m_ui->cb_63)},
        {QStringLiteral("item_41"), text("Edt_41")},
        {QStringLiteral("item_41_2"), text("Edt_41_2")},
        {QStringLiteral("item_61"), text("Edt_61")},
    };
}

bool Tdw_Form::validate() {
    const QString problem = CheckMessage();
    if (!problem.isEmpty()) {
        ShowWarning(this, problem);
        return false;
    }
    return true;
}

bool Tdw_Form::store() {
    if (!validate()) {
        return false;
    }
    engine::Query& dwqk = m_dm.Qrydwqk;
    const QString remembered = dwqk.sql();
    // The values travel as bound parameters, so a name such as A'B cannot break the statement.
    // With a record present every record takes the values: the table holds the one unit.
    QStringList names;
    QStringList placeholders;
    QHash<QString, QVariant> params;
    for (const auto& [field, value] : Values()) {
        names << field;
        placeholders << QLatin1Char(':') + field;
        params.insert(field, value);
    }
    try {
        if (!dwqk.isActive()) {
            dwqk.open();
        }
        QString sql;
        if (!dwqk.isEmpty()) {
            QStringList assignments;
            for (const QString& field : names) {
                assignments << field + QStringLiteral("=:") + field;
            }
            sql = QStringLiteral("update dwqk set ") + assignments.join(QLatin1Char(','));
        } else {
            sql = QStringLiteral("insert into dwqk (") + names.join(QLatin1Char(',')) +
                  QStringLiteral(") values (") + placeholders.join(QLatin1Char(',')) + QLatin1Char(')');
        }
        engine::executeSql(m_dm.DataPath, sql, params);
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return false;
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    try {
        m_dm.OpenQueryText(dwqk, remembered);
    } catch (const EngineError& e) {
        showEngineError(e.message());
    }
    if (m_page) {
        m_page->Button1Click();
    }
    done(QDialog::Accepted);
    return true;
}

void Tdw_Form::Button1Click() {
    store();
}

bool Tdw_Form::differsFromRecord() {
    for (const auto& [editName, field] : textItems()) {
        const auto* edit = findChild<QLineEdit*>(QString::fromLatin1(editName));
        if (edit && edit->text() != recordValue(QString::fromLatin1(field))) {
            return true;
        }
    }
    const std::pair<const QComboBox*, const char*> lists[] = {{m_ui->cb_62, "item_62"},
                                                              {m_ui->CB_41_3, "item_41_3"},
                                                              {m_ui->cb_64, "item_64"},
                                                              {m_ui->cb_63, "item_63"}};
    for (const auto& [combo, field] : lists) {
        if (core::entryCode(combo, 3) != recordValue(QString::fromLatin1(field)).trimmed()) {
            return true;
        }
    }
    const bool stored = recordValue(QStringLiteral("item_163")).trimmed() == QLatin1String("1");
    return m_ui->cb_163->isChecked() != stored;
}

void Tdw_Form::Button2Click() {
    switch (leave()) {
    case Leave::Stay:
    case Leave::Stored: // storing closed the dialog
        return;
    case Leave::Unchanged:
    case Leave::Declined:
        done(QDialog::Rejected);
    }
}

} // namespace tamsel::units
