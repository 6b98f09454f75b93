// TFpage10: the second-level units of the registering unit, kept as further records of unit.dbf.
#include "units/second_level_units_page.h"

#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "engine/error.h"
#include "engine/filter_params.h"
#include "engine/query.h"
#include "entry/classification_picker.h"
#include "platform/prompt.h"
#include "units/discipline_leaders_page.h"
#include "units/unit_record.h"

#include "ui_second_level_units_page.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace tamsel::units {

using engine::EngineError;
using platform::Icon;
namespace cl = core::childlist;
using core::acceptDigitsOnly;
using core::ReplaceTabs;
using core::ShowClassCode;
using core::ShowWarning;

namespace {

struct CodeItem {
    const char16_t* field;      // item_124_1
    const char16_t* editPrefix; // edt_124_1_
    const char16_t* tableFile;  // gxjs.dbf
    const char16_t* caption;
};

const CodeItem kCodeItems[] = {
    {u"item_124_1", u"edt_124_1_", u"gxjs.dbf", u"优势领域"},
    {u"item_15", u"edt_15_", u"xkfl.dbf", u"优势学科"},
};

const CodeItem* codeItem(const QString& field) {
    for (const CodeItem& item : kCodeItems) {
        if (field.compare(QStringView(item.field), Qt::CaseInsensitive) == 0)
            return &item;
    }
    return nullptr;
}

// The eight text items of a second-level unit: edit, field, width.
struct TextItem {
    const char* edit;
    const char16_t* field;
};

const TextItem kTextItems[] = {
    {"edt_9", u"item_9"},   {"Edt_37", u"item_37"}, {"Edt_38", u"item_38"},     {"Edt_39", u"item_39"},
    {"Edt_40", u"item_40"}, {"Edt_41", u"item_41"}, {"Edt_41_2", u"item_41_2"}, {"Edt_61", u"item_61"},
};

// The unit-code rule: the parent's first seven characters and "010" for the first unit, then the
// greatest code's first nine characters plus one and "0". Empty when the next code would leave
// the parent's range (99 units).
QString nextUnitCode(const QString& parent, const QString& greatest) {
    const QString prefix = parent.left(7);
    if (greatest.isEmpty())
        return prefix + QStringLiteral("010");
    bool ok = false;
    const qlonglong nine = greatest.left(9).toLongLong(&ok);
    if (!ok || greatest.left(9).size() != 9)
        return {};
    const QString next = QStringLiteral("%1").arg(nine + 1, 9, 10, QLatin1Char('0')) + QLatin1Char('0');
    if (next.size() != 10 || next.left(7) != prefix || next.mid(7, 2) == QLatin1String("00"))
        return {};
    return next;
}

} // namespace

QStringList TFpage10::codeItems() {
    QStringList names;
    for (const CodeItem& item : kCodeItems)
        names << QString::fromUtf16(item.field);
    return names;
}

TFpage10::TFpage10(core::TDM& dm, core::TMainForm& mainForm, entry::TFormTree* picker, TFpage11* leaders,
                   QWidget* parent)
    : ListPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage10>()), m_picker(picker),
      m_leaders(leaders) {
    m_ui->setupUi(this);
    m_ui->btnSave01->setDefault(true); // Return in an edit
    if (!m_picker) {
        m_ownPicker = std::make_unique<entry::TFormTree>(dm);
        m_picker = m_ownPicker.get();
    }
    if (!m_leaders) {
        m_ownLeaders = std::make_unique<TFpage11>(dm, mainForm, nullptr, this);
        m_leaders = m_ownLeaders.get();
    }
    cl::dressPage(this, m_ui->Panel1);
    acceptDigitsOnly(m_ui->Edt_38);
    m_model = new cl::GridModel(dm.Qryunit,
                                {{QStringLiteral("unitcode"), QStringLiteral("单位代码"), {}, false},
                                 {QStringLiteral("item_9"), QStringLiteral("单位名称"), {}, false}},
                                this);
    cl::bindGrid(m_ui->DBGrid1, m_model);
    cl::nameControls(this);
    m_ui->DBGrid1->setAccessibleName(m_ui->Panel1->text());
    // Selecting another unit shows its data, so 存储 never writes one unit's data into another.
    connect(&dm.Qryunit, &engine::Dataset::currentChanged, this, [this] {
        engine::Query& q = m_dm.Qryunit;
        if (!m_showing || !q.isActive() || q.state() != engine::Dataset::State::Browse ||
            q.controlsDisabled())
            return;
        if (!cl::hasRows(q) || q.asString(u"unitcode") != m_shownCode)
            showCurrentRow();
    });
    for (const CodeItem& item : kCodeItems) {
        int k = 0;
        for (QLineEdit* edit : codeEdits(QString::fromUtf16(item.field))) {
            const QString caption = QString::fromUtf16(item.caption) + QString::number(++k);
            edit->setAccessibleName(caption);
            edit->setMinimumWidth(80);
            connect(edit, &QLineEdit::textChanged, edit,
                    [edit](const QString& text) { edit->setToolTip(text); });
            const QString arrowName = QStringLiteral("cb_") + edit->objectName().mid(4);
            if (auto* arrow = findChild<QToolButton*>(arrowName)) {
                arrow->setAccessibleName(QStringLiteral("选择") + caption);
                arrow->setToolTip(QStringLiteral("分类选择"));
                connect(arrow, &QToolButton::clicked, this, [this, edit] { OpenPicker(edit); });
            }
        }
    }
    connect(m_ui->btnSave01, &QPushButton::clicked, this, &TFpage10::btnSave01Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFpage10::Button2Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage10::Button3Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage10::quit01Click);
    connect(m_ui->BitBtndtr, &QPushButton::clicked, this, &TFpage10::BitBtndtrClick);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFpage10::Button1Click);
    cl::setPageSize(this);
}

TFpage10::~TFpage10() = default;

QList<QLineEdit*> TFpage10::codeEdits(const QString& field) const {
    QList<QLineEdit*> edits;
    if (const CodeItem* item = codeItem(field)) {
        for (int k = 1; k <= 10; ++k) {
            if (auto* edit = findChild<QLineEdit*>(QString::fromUtf16(item->editPrefix) + QString::number(k)))
                edits << edit;
        }
    }
    return edits;
}

bool TFpage10::typedCodes(const QString& field) const {
    // Without the discipline table its codes are typed, and stored as typed.
    if (field.compare(QLatin1String("item_15"), Qt::CaseInsensitive) == 0)
        return !m_dm.HasDisciplineClass || !m_dm.isOpen(QStringLiteral("Txkfl2"));
    return !m_dm.isOpen(QStringLiteral("Tblgxjs"));
}

// --- Opening ------------------------------------------------------------------------------------------

bool TFpage10::Load() {
    const QString name = unitValue(m_dm.Tblunit, QStringLiteral("item_9"));
    const QString code = unitValue(m_dm.Tblunit, QStringLiteral("unitcode"));
    m_ui->PanelUpName->setText(name);
    m_ui->PanelUpCode->setText(code);
    engine::Query& q = m_dm.Qryunit;
    try {
        q.close();
        engine::setFilter(q, QStringLiteral("upunitcode=:code and unitlevel='2'"),
                          {{QStringLiteral("code"), code}});
        q.setFiltered(true);
        q.open();
        // The edits stop at their fields' widths in bytes; both memos are named for the messages.
        core::limitToFields(
            this, q,
            {{m_ui->Memo2, QStringLiteral("advantage")}, {m_ui->Memo3, QStringLiteral("unitintrod")}});
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
        Unload();
        return false;
    }
    for (const CodeItem& item : kCodeItems) {
        const bool typed = typedCodes(QString::fromUtf16(item.field));
        for (QLineEdit* edit : codeEdits(QString::fromUtf16(item.field))) {
            edit->setReadOnly(!typed);
            if (auto* arrow = findChild<QToolButton*>(QStringLiteral("cb_") + edit->objectName().mid(4)))
                arrow->setVisible(!typed);
        }
    }
    m_showing = true;
    m_model->reload();
    showCurrentRow();
    return true;
}

void TFpage10::Unload() {
    m_showing = false;
    engine::Query& q = m_dm.Qryunit;
    try {
        q.close();
        q.setFiltered(false);
        q.setFilter(QString());
        q.open();
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
    }
}

int TFpage10::Execute() {
    if (!Load())
        return QDialog::Rejected;
    FormShow();
    const int result = platform::showModal(this);
    Unload();
    return result;
}

void TFpage10::FormShow() {
    cl::setPageSize(this);
    updateButtons();
}

void TFpage10::updateButtons() {
    const bool rows = cl::hasRows(m_dm.Qryunit);
    m_ui->btnSave01->setEnabled(rows);
    m_ui->Button3->setEnabled(rows);
    m_ui->BitBtndtr->setEnabled(rows);
}

// --- The edits ----------------------------------------------------------------------------------------

void TFpage10::showCurrentRow() {
    const engine::Query& q = m_dm.Qryunit;
    const bool row = cl::hasRows(q) && !q.eof();
    auto value = [&](const char16_t* field) { return row ? q.asString(field) : QString(); };
    m_shownCode = value(u"unitcode");
    for (const TextItem& item : kTextItems) {
        if (auto* edit = findChild<QLineEdit*>(QLatin1String(item.edit)))
            edit->setText(value(item.field));
    }
    m_ui->Memo2->setPlainText(value(u"advantage"));
    m_ui->Memo3->setPlainText(value(u"unitintrod"));
    for (const CodeItem& item : kCodeItems)
        loadCodeList(QString::fromUtf16(item.field), value(item.field));
}

void TFpage10::loadCodeList(const QString& field, const QString& stored) {
    const CodeItem* item = codeItem(field);
    if (!item)
        return;
    QStringList parts = stored.split(QLatin1Char(';'));
    if (!parts.isEmpty() && parts.last().trimmed().isEmpty())
        parts.removeLast();
    const bool typed = typedCodes(field);
    engine::Dataset& table = field == QLatin1String("item_15") ? static_cast<engine::Dataset&>(m_dm.Txkfl2)
                                                               : static_cast<engine::Dataset&>(m_dm.Tblgxjs);
    const QList<QLineEdit*> edits = codeEdits(field);
    for (int k = 0; k < edits.size(); ++k) {
        const QString part = k < parts.size() ? parts[k].trimmed() : QString();
        if (part.isEmpty()) {
            edits[k]->clear();
        } else if (typed) {
            edits[k]->setText(part);
        } else {
            ShowClassCode(table, part, edits[k]);
            edits[k]->setCursorPosition(0);
        }
    }
    if (!typed && !stored.trimmed().isEmpty()) {
        // The look-ups leave the shared table narrowed to one code; other users expect all rows.
        try {
            table.setFiltered(false);
        } catch (const EngineError&) {
        }
    }
}

QString TFpage10::collectCodeList(const QString& field) const {
    QString result;
    for (const QLineEdit* edit : codeEdits(field)) {
        const QString text = edit->text().trimmed();
        if (text.isEmpty())
            continue;
        // A picked entry reads code, two blanks, name: the code and one blank are kept.
        const qsizetype blank = text.indexOf(QLatin1Char(' '));
        result += (blank >= 0 ? text.left(blank + 1) : text + QLatin1Char(' ')) + QLatin1Char(';');
    }
    return result;
}

void TFpage10::OpenPicker(QLineEdit* edit) {
    if (!edit)
        return;
    for (const CodeItem& item : kCodeItems) {
        const QString field = QString::fromUtf16(item.field);
        if (codeEdits(field).contains(edit)) {
            if (!typedCodes(field)) {
                m_picker->OpenFor(edit, QString::fromUtf16(item.tableFile));
                edit->setCursorPosition(0);
            }
            return;
        }
    }
}

bool TFpage10::goToShownRow() {
    engine::Query& q = m_dm.Qryunit;
    if (!cl::hasRows(q) || m_shownCode.isEmpty())
        return false;
    if (q.asString(u"unitcode") == m_shownCode)
        return true;
    return q.locate(u"unitcode", m_shownCode);
}

// --- Commands -----------------------------------------------------------------------------------------

void TFpage10::Button2Click() {
    const QString parent = m_ui->PanelUpCode->text();
    engine::Query& scratch = m_dm.tempquery;
    QString code;
    try {
        scratch.close();
        scratch.clearParams();
        scratch.setSql(QStringLiteral("select* from unit") + QStringLiteral(" where upunitcode = :uncode"));
        scratch.setParam(QStringLiteral("uncode"), parent);
        scratch.open();
        QString greatest;
        if (!scratch.isEmpty()) {
            scratch.close();
            scratch.setSql(QStringLiteral("select   max(unitcode) from   unit") +
                           QStringLiteral(" where upunitcode = :uncode"));
            scratch.open();
            greatest = scratch.isEmpty() ? QString() : scratch.asString(0).trimmed();
            if (greatest.isEmpty())
                greatest = QStringLiteral("x"); // units without a code: no rule applies
        }
        code = nextUnitCode(parent, greatest);
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
        return;
    }
    if (code.isEmpty()) {
        ShowWarning(this, QStringLiteral("二级单位最多99个！"));
        return;
    }
    engine::Query& q = m_dm.Qryunit;
    try {
        q.append();
        q.setValue(u"unitcode", code);
        q.setValue(u"upunitcode", parent);
        q.setValue(u"unitlevel", QStringLiteral("2"));
        q.setValue(u"endlevel", 0);
        q.post();
        q.locate(u"unitcode", code);
    } catch (const EngineError& e) {
        cancelQuietly(q);
        cl::showEngineError(this, e.message());
        return;
    }
    m_model->reload();
    showCurrentRow();
    updateButtons();
}

void TFpage10::btnSave01Click() {
    engine::Query& q = m_dm.Qryunit;
    if (!goToShownRow())
        return; // no unit to store into: never a new record
    try {
        q.edit();
        for (const TextItem& item : kTextItems) {
            if (const auto* edit = findChild<QLineEdit*>(QLatin1String(item.edit)))
                q.setValue(item.field, edit->text());
        }
        q.setValue(u"advantage", ReplaceTabs(m_ui->Memo2->toPlainText()));
        q.setValue(u"unitintrod", ReplaceTabs(m_ui->Memo3->toPlainText()));
        for (const CodeItem& item : kCodeItems)
            q.setValue(item.field, collectCodeList(QString::fromUtf16(item.field)));
        q.post();
    } catch (const EngineError& e) {
        cancelQuietly(q);
        cl::showEngineError(this, e.message());
        return;
    }
    m_model->reload();
    // The achievement current in the main window is not touched: its page buttons stay as they are.
    ShowWarning(this, QStringLiteral("储存成功！"));
}

void TFpage10::Button3Click() {
    engine::Query& q = m_dm.Qryunit;
    if (!goToShownRow() || !cl::confirmDelete(this))
        return;
    try {
        q.deleteRecord();
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
    }
    m_model->reload();
    showCurrentRow();
    updateButtons();
}

void TFpage10::quit01Click() {
    accept();
}

void TFpage10::BitBtndtrClick() {
    if (!goToShownRow())
        return;
    m_leaders->Execute(m_shownCode);
}

void TFpage10::Button1Click() {
    engine::Query& dwqk = m_dm.Qrydwqk;
    QString name;
    try {
        if (!dwqk.isActive())
            dwqk.open();
        if (!dwqk.isEmpty()) {
            dwqk.first();
            name = dwqk.asString(u"item_9");
        }
    } catch (const EngineError& e) {
        cl::showEngineError(this, e.message());
        return;
    }
    if (name.isEmpty()) {
        platform::showMessage(this, QStringLiteral("提示信息"),
                              QStringLiteral("本单位情况还没设置，请先设置单位基本情况"), Icon::Information);
        return;
    }
    for (const TextItem& item : kTextItems) {
        if (auto* edit = findChild<QLineEdit*>(QLatin1String(item.edit)))
            edit->setText(dwqk.asString(item.field));
    }
}

} // namespace tamsel::units
