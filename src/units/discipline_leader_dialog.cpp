// TFinto11: the entry dialog of one discipline leader of a unit (unitexpert.dbf).
#include "units/discipline_leader_dialog.h"

#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/table.h"

#include "ui_discipline_leader_dialog.h"

#include <QComboBox>
#include <QLineEdit>

namespace tamsel::units {

using engine::EngineError;
namespace cl = core::childlist;
using core::FillCodeList;
using core::SelectCode;
using core::ShowWarning;

namespace {

// Four digits from 1900 to 2050; anything else, a letter too, is no year.
bool validYear(const QString& typed) {
    const QString year = typed.trimmed();
    if (year.size() != 4 || !core::allDigits(year))
        return false;
    const int value = year.toInt();
    return value >= 1900 && value <= 2050;
}

// A one-digit month is written with its leading zero.
QString paddedMonth(const QString& typed) {
    const QString month = typed.trimmed();
    return month.size() == 1 && core::allDigits(month) ? QStringLiteral("0") + month : month;
}

bool validMonth(const QString& typed) {
    const QString month = typed.trimmed();
    if (month.size() > 2 || !core::allDigits(month))
        return false;
    const int value = month.toInt();
    return value >= 1 && value <= 12;
}

} // namespace

TFinto11::TFinto11(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : EntryDialog(addCaption(), modifyCaption(), parent), m_ui(std::make_unique<Ui::TFinto11>()), m_dm(dm),
      m_main(mainForm) {
    m_ui->setupUi(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    m_ui->Edt_both_1->setFixedWidth(60);
    m_ui->edt_both_2->setFixedWidth(40);
    cl::nameControls(this);
    m_ui->Edit1->setAccessibleName(QStringLiteral("更改标记"));
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFinto11::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFinto11::Button2Click);
    connect(m_ui->Edt_both_1, &QLineEdit::editingFinished, this, &TFinto11::Edt_both_1Exit);
    connect(m_ui->edt_both_2, &QLineEdit::editingFinished, this, &TFinto11::edt_both_2Exit);
    connect(m_ui->cbry_124_1, &QComboBox::activated, this, &TFinto11::cbry_124_1Change);
}

TFinto11::~TFinto11() = default;

QString TFinto11::addCaption() {
    return QStringLiteral("新增－－【学科带头人名单】");
}

QString TFinto11::modifyCaption() {
    return QStringLiteral("修改－－【学科带头人名单】");
}

void TFinto11::FormShow() {
    // Refilling the field list keeps its last choice for the next new leader.
    const QString lastField = core::entryCode(m_ui->cbry_124_1, 2);
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_181"), true, m_ui->cbry_181);
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_124_1"), true, m_ui->cbry_124_1);
    if (!lastField.isEmpty())
        SelectCode(lastField, m_ui->cbry_124_1);
    core::limitToFields(this, m_dm.Tblexpert);
    m_ui->Edit1->clear();
    const engine::Table& t = m_dm.Tblexpert;
    if (modifyMode() && cl::hasRows(t)) {
        m_ui->edtry_180->setText(t.asString(u"item_180"));
        m_ui->edtry_186->setText(t.asString(u"item_186"));
        SelectCode(t.asString(u"item_181"), m_ui->cbry_181);
        SelectCode(t.asString(u"item_124_1"), m_ui->cbry_124_1);
        const QString born = t.asString(u"item_182");
        m_ui->Edt_both_1->setText(born.left(4));
        m_ui->edt_both_2->setText(born.mid(5, 2));
        return;
    }
    // A new leader: year, month and field keep what they showed last.
    m_ui->edtry_180->clear();
    m_ui->edtry_186->clear();
    m_ui->cbry_181->setCurrentIndex(0);
}

void TFinto11::Edt_both_1Exit() {
    if (!validYear(m_ui->Edt_both_1->text()))
        cl::showPlain(this, QStringLiteral("非法年份"));
}

void TFinto11::edt_both_2Exit() {
    const QString month = paddedMonth(m_ui->edt_both_2->text());
    if (month != m_ui->edt_both_2->text().trimmed())
        m_ui->edt_both_2->setText(month);
    if (!validMonth(month))
        cl::showPlain(this, QStringLiteral("不是合法时间!"));
}

void TFinto11::cbry_124_1Change() {
    m_ui->Edit1->setText(QStringLiteral("1"));
}

bool TFinto11::store() {
    const QString name = m_ui->edtry_180->text();
    const QString note = m_ui->edtry_186->text();
    if (name.trimmed().isEmpty() && note.trimmed().isEmpty()) {
        accept();
        return true;
    }
    const QString sex = core::entryCode(m_ui->cbry_181, 2);
    if (name.trimmed().isEmpty()) {
        ShowWarning(this, QStringLiteral("姓名不能为空！"));
        return false;
    }
    if (sex.isEmpty()) {
        ShowWarning(this, QStringLiteral("性别不能为空！"));
        return false;
    }
    if (!validYear(m_ui->Edt_both_1->text())) {
        ShowWarning(this, QStringLiteral("年份不合法！"));
        return false;
    }
    // Storing by keyboard never leaves the month edit, so the month is padded here too.
    const QString month = paddedMonth(m_ui->edt_both_2->text());
    if (!validMonth(month)) {
        ShowWarning(this, QStringLiteral("月份不合法"));
        return false;
    }
    m_ui->edt_both_2->setText(month);
    const bool adding = addMode();
    engine::Table& t = m_dm.Tblexpert;
    if (!adding && !(modifyMode() && cl::hasRows(t)))
        return true;
    try {
        if (adding) {
            if (!t.isActive())
                t.open();
            const int count = t.recordCount();
            t.append();
            t.setValue(u"item_187", QString::number(count + 1));
            t.setValue(u"unitcode", m_unitCode);
            t.setValue(u"item_180", name.trimmed());
        } else {
            t.edit();
            t.setValue(u"item_180", name);
        }
        t.setValue(u"item_181", sex);
        t.setValue(u"item_182", QString(m_ui->Edt_both_1->text().trimmed() + QStringLiteral(".") + month));
        t.setValue(u"item_186", note);
        t.setValue(u"item_124_1", core::entryCode(m_ui->cbry_124_1, 2));
        t.post();
    } catch (const EngineError& e) {
        if (t.state() != engine::Dataset::State::Browse)
            t.cancel();
        cl::showEngineError(this, e.message());
        return false;
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    if (adding) {
        // The dialog stays open for the next person.
        m_ui->edtry_180->clear();
        m_ui->edtry_186->clear();
        m_ui->Edit1->clear();
    } else {
        accept();
    }
    return true;
}

bool TFinto11::differsFromRow() const {
    const engine::Table& t = m_dm.Tblexpert;
    const bool row = cl::hasRows(t);
    auto value = [&](const char16_t* field) { return row ? t.asString(field) : QString(); };
    return m_ui->edtry_186->text() != value(u"item_186") || m_ui->edtry_180->text() != value(u"item_180") ||
           core::entryCode(m_ui->cbry_181, 3) != value(u"item_181").trimmed() ||
           m_ui->Edit1->text() == QLatin1String("1");
}

void TFinto11::Button1Click() {
    store();
}

void TFinto11::Button2Click() {
    if (m_ui->edtry_186->text().isEmpty() && m_ui->edtry_180->text().isEmpty()) {
        accept();
        return;
    }
    if (differsFromRow() && cl::askToSave(this, QStringLiteral("记录已更改，是否保存后退出？"))) {
        if (!store())
            return; // refused: the dialog stays open so nothing typed is lost
    }
    accept();
}

void TFinto11::reject() {
    Button2Click();
}

} // namespace tamsel::units
