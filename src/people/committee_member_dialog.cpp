// TFinto7: the entry dialog of one committee member.
#include "people/committee_member_dialog.h"

#include "core/child_list.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/table.h"

#include "ui_committee_member_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace tamsel::people {

using engine::EngineError;
namespace cl = core::childlist;
using core::FillCodeList;
using core::SelectCode;
using core::ShowWarning;

namespace {

const QString kNumber = QStringLiteral("ITEM_190");
const QString kChair = QStringLiteral("主任委员");
const QString kMember = QStringLiteral("委员");

QString rankOf(const QString& role) {
    if (role == u"主任委员")
        return QStringLiteral("1");
    if (role == u"副主任委员")
        return QStringLiteral("2");
    if (role == u"委员")
        return QStringLiteral("3");
    return QString();
}

} // namespace

TFinto7::TFinto7(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : EntryDialog(addCaption(), modifyCaption(), parent), m_ui(std::make_unique<Ui::TFinto7>()), m_dm(dm),
      m_main(mainForm) {
    m_ui->setupUi(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    m_ui->cbwy_191->addItems({kChair, QStringLiteral("副主任委员"), kMember});
    for (QComboBox* combo : {m_ui->cbwy_191, m_ui->cbwy_193, m_ui->cbwy_198})
        combo->setMinimumWidth(160);
    for (QWidget* label : {static_cast<QWidget*>(m_ui->Label191), static_cast<QWidget*>(m_ui->Label192),
                           static_cast<QWidget*>(m_ui->Label193), static_cast<QWidget*>(m_ui->Label198)})
        label->setStyleSheet(core::maroonStyle());
    cl::nameControls(this);
    connect(m_ui->cbwy_191, &QComboBox::activated, this, &TFinto7::cbwy_191Change);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFinto7::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFinto7::Button2Click);
}

TFinto7::~TFinto7() = default;

QString TFinto7::addCaption() {
    return QStringLiteral("新增－－【评价委员会名单】");
}

QString TFinto7::modifyCaption() {
    return QStringLiteral("修改－－【评价委员会名单】");
}

void TFinto7::reopenInRoleOrder(core::TDM& dm, core::TMainForm& mainForm) {
    engine::Query& q = dm.QryJdwyhmd;
    q.close();
    q.setSql(QStringList{QStringLiteral("select *  from  Jdwyhmd where  item_4=:item_4"),
                         QStringLiteral("and  item_dqdm=:item_dqdm"), QStringLiteral("order by  item_194 ")}
                 .join(QLatin1Char('\n')));
    q.setParam(QStringLiteral("item_4"), mainForm.currentValue(QStringLiteral("ITEM_4")));
    q.setParam(QStringLiteral("item_dqdm"), mainForm.currentValue(QStringLiteral("ITEM_DQDM")));
    q.open();
}

void TFinto7::setAddDefaults() {
    m_ui->edtwy_196->clear();
    m_ui->Edtwy_192->clear();
    m_ui->edtwy_197->clear();
    m_ui->edtwy_195->clear();
    m_ui->cbwy_191->setCurrentIndex(2);
    m_ui->cbwy_193->setCurrentIndex(0);
    m_ui->cbwy_198->setCurrentIndex(1);
}

void TFinto7::FormShow() {
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_181"), true, m_ui->cbwy_193);
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_198"), false, m_ui->cbwy_198);
    const engine::Query& q = m_dm.QryJdwyhmd;
    core::limitToFields(this, q);
    if (modifyMode() && cl::hasRows(q)) {
        m_ui->edtwy_196->setText(q.asString(u"ITEM_196"));
        m_ui->Edtwy_192->setText(q.asString(u"ITEM_192"));
        m_ui->edtwy_197->setText(q.asString(u"ITEM_197"));
        m_ui->edtwy_195->setText(q.asString(u"ITEM_195"));
        m_ui->cbwy_191->setCurrentIndex(m_ui->cbwy_191->findText(q.asString(u"ITEM_191").trimmed()));
        SelectCode(q.asString(u"ITEM_193"), m_ui->cbwy_193);
        SelectCode(q.asString(u"ITEM_198"), m_ui->cbwy_198);
        return;
    }
    setAddDefaults();
}

void TFinto7::cbwy_191Change() {
    if (m_ui->cbwy_191->currentText() != kChair)
        return;
    engine::Query& q = m_dm.QryJdwyhmd;
    if (!q.isActive() || q.isEmpty())
        return;
    const int current = q.recNo();
    const int number = q.asInteger(kNumber);
    bool taken = false;
    q.disableControls();
    try {
        for (q.first(); !q.eof() && !taken; q.next()) {
            // The member being changed may keep the chair it holds.
            if (modifyMode() && q.recNo() == current)
                continue;
            taken = q.asString(u"ITEM_191").trimmed() == kChair;
        }
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
    }
    q.enableControls();
    if (!cl::locateNumber(q, kNumber, number))
        q.setRecNo(current);
    if (taken) {
        cl::showPlain(this, QStringLiteral("只能有一个主任委员"));
        const QSignalBlocker blocker(m_ui->cbwy_191);
        m_ui->cbwy_191->setCurrentIndex(m_ui->cbwy_191->findText(kMember));
    }
}

bool TFinto7::checks() {
    if (m_ui->Edtwy_192->text().trimmed().isEmpty()) {
        ShowWarning(this, QStringLiteral("\"姓名\"不能为空！"));
        return false;
    }
    if (m_ui->cbwy_193->currentText().isEmpty()) {
        ShowWarning(this, QStringLiteral("\"性别\"不能为空！"));
        return false;
    }
    if (m_ui->cbwy_198->currentText().isEmpty()) {
        ShowWarning(this, QStringLiteral("\"职称\"不能为空！"));
        return false;
    }
    if (m_ui->cbwy_191->currentText().isEmpty()) {
        ShowWarning(this, QStringLiteral("\"评价委员会职务\"不能为空！"));
        return false;
    }
    return true;
}

void TFinto7::rankPass() {
    engine::Table& table = m_dm.Tbljdwyhmd;
    core::filterToCurrent(table, m_main);
    if (!table.isActive())
        table.open();
    for (table.first(); !table.eof(); table.next()) {
        const QString rank = rankOf(table.asString(u"ITEM_191").trimmed());
        if (rank.isEmpty() || table.asString(u"ITEM_194") == rank)
            continue;
        table.edit();
        table.setValue(u"ITEM_194", rank);
        table.post();
    }
}

bool TFinto7::store() {
    if (m_ui->Edtwy_192->text().trimmed().isEmpty() && m_ui->edtwy_195->text().trimmed().isEmpty() &&
        m_ui->edtwy_196->text().trimmed().isEmpty() && m_ui->edtwy_197->text().trimmed().isEmpty())
        return true;
    const bool adding = addMode();
    if (!adding && !modifyMode())
        return true;
    if (adding && !checks())
        return false;
    engine::Query& q = m_dm.QryJdwyhmd;
    engine::Table& table = m_dm.Tbljdwyhmd;
    try {
        if (adding) {
            if (!table.isActive())
                table.open();
            const int number = table.recordCount() + 1;
            table.append();
            table.setValue(u"ITEM_4", m_main.currentValue(QStringLiteral("ITEM_4")));
            table.setValue(u"ITEM_DQDM", m_main.currentValue(QStringLiteral("ITEM_DQDM")));
            table.setValue(u"ITEM_191", m_ui->cbwy_191->currentText());
            table.setValue(u"ITEM_192", m_ui->Edtwy_192->text());
            table.setValue(u"ITEM_193", core::entryCode(m_ui->cbwy_193, 2));
            table.setValue(u"ITEM_195", m_ui->edtwy_195->text());
            table.setValue(u"ITEM_196", m_ui->edtwy_196->text());
            table.setValue(u"ITEM_197", m_ui->edtwy_197->text());
            table.setValue(u"ITEM_198", core::entryCode(m_ui->cbwy_198, 2));
            table.setValue(kNumber, number);
            table.post();
        } else {
            if (!q.isActive() || q.isEmpty())
                return true;
            q.edit();
            q.setValue(u"ITEM_191", m_ui->cbwy_191->currentText());
            q.setValue(u"ITEM_192", m_ui->Edtwy_192->text());
            q.setValue(u"ITEM_193", core::entryCode(m_ui->cbwy_193, 2));
            q.setValue(u"ITEM_195", m_ui->edtwy_195->text());
            q.setValue(u"ITEM_196", m_ui->edtwy_196->text());
            q.setValue(u"ITEM_197", m_ui->edtwy_197->text());
            q.setValue(u"ITEM_198", core::entryCode(m_ui->cbwy_198, 2));
            cl::writeAtOnce(q);
        }
        rankPass();
        reopenInRoleOrder(m_dm, m_main);
        cl::renumber(q, kNumber);
    } catch (const EngineError& e) {
        if (table.state() != engine::Dataset::State::Browse)
            table.cancel();
        if (q.state() != engine::Dataset::State::Browse)
            q.cancel();
        try {
            rankPass();
            reopenInRoleOrder(m_dm, m_main);
        } catch (const EngineError&) {
        }
        cl::recover(this, q, kNumber, e.message());
        return false;
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    if (adding)
        setAddDefaults();
    return true;
}

bool TFinto7::differsFromRow() const {
    const engine::Query& q = m_dm.QryJdwyhmd;
    const bool row = cl::hasRows(q);
    auto value = [&](const char16_t* field) { return row ? q.asString(field) : QString(); };
    auto code = [](const QComboBox* combo) { return combo->currentText().left(3).trimmed(); };
    return m_ui->Edtwy_192->text().trimmed() != value(u"ITEM_192").trimmed() ||
           m_ui->edtwy_196->text() != value(u"ITEM_196") || m_ui->edtwy_197->text() != value(u"ITEM_197") ||
           m_ui->edtwy_195->text() != value(u"ITEM_195") ||
           m_ui->cbwy_191->currentText().trimmed() != value(u"ITEM_191").trimmed() ||
           code(m_ui->cbwy_193) != value(u"ITEM_193") || code(m_ui->cbwy_198) != value(u"ITEM_198");
}

void TFinto7::Button1Click() {
    if (store())
        accept();
}

void TFinto7::Button2Click() {
    if (!checks())
        return;
    if (differsFromRow() && cl::askToSave(this, QStringLiteral("记录已更改，是否保存后退出？"))) {
        if (!store())
            return;
    }
    accept();
}

void TFinto7::reject() {
    Button2Click();
}

} // namespace tamsel::people
