// TFinto8: the entry dialog of one completer.
#include "people/completer_dialog.h"

#include "core/child_list.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/filter_params.h"
#include "engine/query.h"
#include "engine/table.h"

#include "ui_completer_dialog.h"

#include <QComboBox>
#include <QLineEdit>

namespace tamsel::people {

using engine::EngineError;
namespace cl = core::childlist;
using core::FillCodeList;
using core::SelectCode;
using core::ShowWarning;

namespace {

const QString kNumber = QStringLiteral("ITEM_187");

} // namespace

TFinto8::TFinto8(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : EntryDialog(addCaption(), modifyCaption(), parent), m_ui(std::make_unique<Ui::TFinto8>()), m_dm(dm),
      m_main(mainForm) {
    m_ui->setupUi(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    m_ui->edt_182_y->setMaxLength(4);
    m_ui->edt_182_m->setMaxLength(2);
    m_ui->edt_182_y->setFixedWidth(60);
    m_ui->edt_182_m->setFixedWidth(40);
    m_ui->edtry_187->setFixedWidth(60);
    for (QComboBox* combo : {m_ui->cbry_181, m_ui->cbry_183, m_ui->cbry_184, m_ui->cbry_188})
        combo->setMinimumWidth(160);
    // Mandatory items.
    for (QWidget* label : {static_cast<QWidget*>(m_ui->Label180), static_cast<QWidget*>(m_ui->Label181),
                           static_cast<QWidget*>(m_ui->Label182), static_cast<QWidget*>(m_ui->Label183),
                           static_cast<QWidget*>(m_ui->Label184), static_cast<QWidget*>(m_ui->Label187)})
        label->setStyleSheet(core::maroonStyle());
    m_ui->edt_182_m->setAccessibleName(QStringLiteral("出生月份"));
    cl::nameControls(this);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFinto8::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFinto8::Button2Click);
}

TFinto8::~TFinto8() = default;

QString TFinto8::addCaption() {
    return QStringLiteral("新增－－【成果完成人员名单】");
}

QString TFinto8::modifyCaption() {
    return QStringLiteral("修改－－【成果完成人员名单】");
}

void TFinto8::FormShow() {
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_181"), true, m_ui->cbry_181);
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_183"), true, m_ui->cbry_183);
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_184"), true, m_ui->cbry_184);
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_188"), true, m_ui->cbry_188);
    engine::Query& q = m_dm.QryCgwcr;
    core::limitToFields(this, q);
    if (modifyMode() && cl::hasRows(q)) {
        m_ui->edtry_180->setText(q.asString(u"ITEM_180"));
        const QString birth = q.asString(u"ITEM_182");
        m_ui->edt_182_y->setText(birth.left(4));
        m_ui->edt_182_m->setText(birth.mid(5, 2));
        SelectCode(q.asString(u"ITEM_181"), m_ui->cbry_181);
        SelectCode(q.asString(u"ITEM_183"), m_ui->cbry_183);
        SelectCode(q.asString(u"ITEM_184"), m_ui->cbry_184);
        const QString abroad = q.asString(u"ITEM_188").trimmed();
        if (abroad.isEmpty())
            m_ui->cbry_188->setCurrentIndex(1);
        else
            SelectCode(abroad, m_ui->cbry_188);
        m_ui->edtry_185->setText(q.asString(u"ITEM_185"));
        m_ui->edtry_186->setText(q.asString(u"ITEM_186"));
        m_ui->edtry_187->setText(q.asString(kNumber));
        m_ui->edtry_187->setReadOnly(false);
        return;
    }
    m_ui->edtry_180->clear();
    m_ui->edt_182_y->clear();
    m_ui->edt_182_m->clear();
    m_ui->edtry_186->clear();
    m_ui->cbry_181->setCurrentIndex(0);
    m_ui->cbry_183->setCurrentIndex(3);
    m_ui->cbry_184->setCurrentIndex(2);
    m_ui->cbry_188->setCurrentIndex(1);
    m_ui->edtry_185->setText(m_main.currentValue(QStringLiteral("ITEM_9")));
    m_ui->edtry_187->setText(cl::nextNumber(q));
    m_ui->edtry_187->setReadOnly(true);
}

bool TFinto8::store() {
    const QString name = m_ui->edtry_180->text().trimmed();
    if (name.isEmpty() && m_ui->edtry_185->text().trimmed().isEmpty() &&
        m_ui->edtry_186->text().trimmed().isEmpty())
        return true;
    if (name.isEmpty()) {
        ShowWarning(this, QStringLiteral("姓名不能为空！"));
        return false;
    }
    const QString sex = core::entryCode(m_ui->cbry_181, 2);
    if (sex.isEmpty()) {
        ShowWarning(this, QStringLiteral("性别不能为空！"));
        return false;
    }
    const QString year = m_ui->edt_182_y->text().trimmed();
    QString month = m_ui->edt_182_m->text().trimmed();
    if (year.isEmpty() || month.isEmpty()) {
        ShowWarning(this, QStringLiteral("出生年月不能为空！"));
        return false;
    }
    for (const QString& part : {year, month}) {
        if (!core::allDigits(part)) {
            cl::showPlain(this, QStringLiteral("'") + part + QStringLiteral("' 不是有效的整数"));
            return false;
        }
    }
    if (year.toInt() < 1900) {
        ShowWarning(this, QStringLiteral("出生年份不合法！"));
        return false;
    }
    if (month.toInt() > 12) {
        ShowWarning(this, QStringLiteral("出生月份不合法！"));
        return false;
    }
    if (month.size() == 1)
        month.prepend(QLatin1Char('0'));
    QString title = core::entryCode(m_ui->cbry_183, 2);
    if (title.isEmpty()) {
        ShowWarning(this, QStringLiteral("技术职称不能为空！"));
        return false;
    }
    const QString education = core::entryCode(m_ui->cbry_184, 2);
    if (education.isEmpty()) {
        ShowWarning(this, QStringLiteral("文化程度不能为空！"));
        return false;
    }
    const QString numberText = m_ui->edtry_187->text().trimmed();
    if (numberText.isEmpty()) {
        ShowWarning(this, QStringLiteral("序号不能为空！"));
        return false;
    }
    int number = 0;
    if (!cl::readNumber(this, numberText, &number))
        return false;
    const bool adding = addMode();
    if (!adding && !modifyMode())
        return true;

    engine::Query& q = m_dm.QryCgwcr;
    QList<QVariant> written;
    try {
        if (adding) {
            number = q.recordCount() + 1; // the new person comes last
            q.append();
            q.setValue(u"ITEM_4", m_main.currentValue(QStringLiteral("ITEM_4")));
            q.setValue(u"ITEM_DQDM", m_main.currentValue(QStringLiteral("ITEM_DQDM")));
        } else {
            if (title.size() == 2 && title.startsWith(QLatin1Char('1')))
                title = title.mid(1); // academicians of the earlier dictionary: "1a" → "a"
            if (q.isEmpty())
                return true;
            q.edit();
        }
        q.setValue(kNumber, number);
        q.setValue(u"ITEM_180", name);
        q.setValue(u"ITEM_181", sex);
        q.setValue(u"ITEM_182", QString(year + QLatin1Char('.') + month));
        q.setValue(u"ITEM_183", title);
        q.setValue(u"ITEM_184", education);
        q.setValue(u"ITEM_185", m_ui->edtry_185->text());
        q.setValue(u"ITEM_186", m_ui->edtry_186->text());
        q.setValue(u"ITEM_188", core::entryCode(m_ui->cbry_188, 2));
        q.post();
        for (int i = 0; i < q.fieldCount(); ++i)
            written << q.value(i);
        cl::writeAtOnce(q);
    } catch (const EngineError& e) {
        cl::abandonEdit(this, q, kNumber, e.message());
        return false;
    }
    if (adding)
        updatePool(written);
    try {
        cl::reopen(q);
        cl::renumber(q, kNumber);
    } catch (const EngineError& e) {
        cl::recover(this, q, kNumber, e.message());
        return false;
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    if (adding) {
        m_ui->edtry_180->clear();
        m_ui->edtry_185->clear();
        m_ui->edtry_186->clear();
    }
    return true;
}

void TFinto8::updatePool(const QList<QVariant>& row) {
    engine::Table& pool = m_dm.TblwcrNew;
    try {
        pool.setFiltered(false);
        engine::setFilter(pool, QStringLiteral("item_180 =:name"),
                          {{QStringLiteral("name"), row.value(3).toString().trimmed()}});
        pool.setFiltered(true);
        if (!pool.isActive())
            pool.open();
        const int found = pool.recordCount();
        if (found <= 1) {
            if (found == 0) {
                pool.append();
            } else {
                pool.first();
                pool.edit();
            }
            const int n = std::min(pool.fieldCount(), int(row.size()));
            for (int i = 0; i < n; ++i)
                pool.setValue(i, row[i]);
            pool.post();
        }
        pool.setFiltered(false);
    } catch (const EngineError& e) {
        if (pool.state() != engine::Dataset::State::Browse)
            pool.cancel();
        cl::showEngineError(this, e.message());
    }
}

bool TFinto8::differsFromRow() const {
    const engine::Query& q = m_dm.QryCgwcr;
    const bool row = cl::hasRows(q);
    auto value = [&](const char16_t* field) { return row ? q.asString(field) : QString(); };
    auto code = [](const QComboBox* combo) { return combo->currentText().left(3).trimmed(); };
    return m_ui->edtry_185->text() != value(u"ITEM_185") || m_ui->edtry_186->text() != value(u"ITEM_186") ||
           m_ui->edtry_180->text() != value(u"ITEM_180") || code(m_ui->cbry_181) != value(u"ITEM_181") ||
           code(m_ui->cbry_183) != value(u"ITEM_183") || code(m_ui->cbry_184) != value(u"ITEM_184") ||
           code(m_ui->cbry_188) != value(u"ITEM_188") ||
           m_ui->edt_182_y->text() + QLatin1Char('.') + m_ui->edt_182_m->text() != value(u"ITEM_182");
}

void TFinto8::Button1Click() {
    if (store())
        accept();
}

void TFinto8::Button2Click() {
    if (m_ui->edtry_186->text().isEmpty() && m_ui->edtry_180->text().isEmpty()) {
        accept();
        return;
    }
    if (differsFromRow() && cl::askToSave(this, QStringLiteral("记录已更改,是否保存后退出？"))) {
        // A save that failed a check keeps the dialog and its input open.
        if (!store())
            return;
    }
    accept();
}

void TFinto8::reject() {
    Button2Click();
}

} // namespace tamsel::people
