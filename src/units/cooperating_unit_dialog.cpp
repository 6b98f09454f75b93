// TFinto5: the entry dialog of one cooperating unit.
#include "units/cooperating_unit_dialog.h"

#include "core/child_list.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "engine/error.h"
#include "engine/query.h"

#include "ui_cooperating_unit_dialog.h"

#include <QLineEdit>

namespace tamsel::units {

using engine::EngineError;
namespace cl = core::childlist;
using core::acceptDigitsOnly;
using core::ShowWarning;

namespace {
const QString kNumber = QStringLiteral("ITEM_176");
}

TFinto5::TFinto5(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : EntryDialog(addCaption(), modifyCaption(), parent), m_ui(std::make_unique<Ui::TFinto5>()), m_dm(dm),
      m_main(mainForm) {
    m_ui->setupUi(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    m_ui->edtdw_172->setFixedWidth(100);
    m_ui->edt_176->setFixedWidth(60);
    acceptDigitsOnly(m_ui->edtdw_172);
    cl::nameControls(this);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFinto5::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFinto5::Button2Click);
}

TFinto5::~TFinto5() = default;

QString TFinto5::addCaption() {
    return QStringLiteral("新增－－【合作完成单位情况】");
}

QString TFinto5::modifyCaption() {
    return QStringLiteral("修改－－【合作完成单位情况】");
}

void TFinto5::FormShow() {
    const engine::Query& q = m_dm.QryCgwcdw;
    core::limitToFields(this, q);
    if (modifyMode() && cl::hasRows(q)) {
        m_ui->edtdw_170->setText(q.asString(u"ITEM_170"));
        m_ui->edtdw_171->setText(q.asString(u"ITEM_171"));
        m_ui->edtdw_172->setText(q.asString(u"ITEM_172"));
        m_ui->edtdw_173->setText(q.asString(u"ITEM_173"));
        m_ui->edtdw_174->setText(q.asString(u"ITEM_174"));
        m_ui->edt_176->setText(q.asString(kNumber));
        m_ui->edt_176->setReadOnly(false);
        return;
    }
    for (QLineEdit* edit :
         {m_ui->edtdw_170, m_ui->edtdw_171, m_ui->edtdw_172, m_ui->edtdw_173, m_ui->edtdw_174})
        edit->clear();
    m_ui->edt_176->setText(cl::nextNumber(q));
    m_ui->edt_176->setReadOnly(true);
}

bool TFinto5::allEmpty(bool trimmed) const {
    for (const QLineEdit* edit : {m_ui->edtdw_170, m_ui->edtdw_171, m_ui->edtdw_172, m_ui->edtdw_173}) {
        if (!(trimmed ? edit->text().trimmed() : edit->text()).isEmpty())
            return false;
    }
    return true;
}

bool TFinto5::store() {
    if (allEmpty(true))
        return true;
    const QString numberText = m_ui->edt_176->text().trimmed();
    if (numberText.isEmpty())
        return false;
    int number = 0;
    if (!cl::readNumber(this, numberText, &number))
        return false;
    const bool adding = addMode();
    if (!adding && !modifyMode())
        return true;
    engine::Query& q = m_dm.QryCgwcdw;
    try {
        if (adding) {
            q.append();
            q.setValue(u"ITEM_4", m_main.currentValue(QStringLiteral("ITEM_4")));
            q.setValue(u"ITEM_DQDM", m_main.currentValue(QStringLiteral("ITEM_DQDM")));
        } else {
            if (q.isEmpty())
                return true;
            q.edit();
        }
        q.setValue(u"ITEM_170", m_ui->edtdw_170->text().trimmed());
        q.setValue(u"ITEM_171", m_ui->edtdw_171->text());
        q.setValue(u"ITEM_172", m_ui->edtdw_172->text());
        q.setValue(u"ITEM_173", m_ui->edtdw_173->text());
        q.setValue(u"ITEM_174", m_ui->edtdw_174->text());
        q.setValue(kNumber, number);
        cl::writeAtOnce(q);
        cl::reopen(q);
        cl::renumber(q, kNumber);
    } catch (const EngineError& e) {
        cl::abandonEdit(this, q, kNumber, e.message());
        return false;
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    if (adding) {
        for (QLineEdit* edit : {m_ui->edtdw_170, m_ui->edtdw_171, m_ui->edtdw_172, m_ui->edtdw_173})
            edit->clear();
    }
    return true;
}

bool TFinto5::sameAsRow() const {
    const engine::Query& q = m_dm.QryCgwcdw;
    const bool row = cl::hasRows(q);
    auto value = [&](const char16_t* field) { return row ? q.asString(field) : QString(); };
    return m_ui->edtdw_170->text() == value(u"ITEM_170") && m_ui->edtdw_171->text() == value(u"ITEM_171") &&
           m_ui->edtdw_172->text() == value(u"ITEM_172") && m_ui->edtdw_173->text() == value(u"ITEM_173");
}

void TFinto5::Button1Click() {
    if (store())
        accept();
}

void TFinto5::Button2Click() {
    if (allEmpty(false) || sameAsRow()) {
        accept();
        return;
    }
    if (cl::askToSave(this, QStringLiteral("记录已更改，是否保存后退出？"))) {
        if (!store())
            return;
    }
    accept();
}

void TFinto5::reject() {
    Button2Click();
}

} // namespace tamsel::units
