// TFpage4a: the registering unit's profile (unit.dbf).
#include "units/unit_profile_page.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/filter_params.h"
#include "engine/gbk.h"
#include "entry/classification_picker.h"
#include "platform/prompt.h"
#include "units/unit_advantage_dialog.h"
#include "units/unit_introduction_dialog.h"
#include "units/unit_notes_dialog.h"
#include "units/unit_record.h"

#include "ui_unit_profile_page.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QToolButton>
#include <algorithm>

namespace tamsel::units {

using core::FillCodeList;
using core::FillCodeNameList;
using core::ReplaceTabs;
using core::SelectCode;
using core::ShowClassCode;
using core::ShowWarning;
using engine::EngineError;

namespace {

// Classification codes typed by hand (no discipline table) are as long as the picker's codes.
constexpr int kTypedCodeLength = 10;

// The page's text items compared with the record on leaving, as typed.
const QList<std::pair<const char*, const char*>>& comparedEdits() {
    static const QList<std::pair<const char*, const char*>> edits{
        {"edt_9", "item_9"},   {"Edt_37", "item_37"},     {"Edt_38", "item_38"},
        {"Edt_39", "item_39"}, {"Edt_40", "item_40"},     {"Edt_60", "item_60"},
        {"Edt_41", "item_41"}, {"Edt_41_2", "item_41_2"}, {"Edt_61", "item_61"},
    };
    return edits;
}

} // namespace

const QList<TFpage4a::CodeItem>& TFpage4a::items() {
    static const QList<CodeItem> list{
        {QStringLiteral("item_124_2"), QStringLiteral("edt_124_2_"), QStringLiteral("gxjs.dbf"),
         QStringLiteral("优势领域")},
        {QStringLiteral("item_15_1"), QStringLiteral("edt_15_1_"), QStringLiteral("xkfl.dbf"),
         QStringLiteral("优势学科")},
        {QStringLiteral("item_124_1"), QStringLiteral("edt_124_1_"), QStringLiteral("gxjs.dbf"),
         QStringLiteral("研究领域")},
        {QStringLiteral("item_15"), QStringLiteral("edt_15_"), QStringLiteral("xkfl.dbf"),
         QStringLiteral("研究所属学科")},
    };
    return list;
}

QStringList TFpage4a::codeItems() {
    QStringList names;
    for (const CodeItem& item : items()) {
        names << item.field;
    }
    return names;
}

TFpage4a::TFpage4a(core::TDM& dm, core::TMainForm& mainForm, entry::TFormTree* picker, QWidget* parent)
    : EntryPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage4a>()), m_picker(picker) {
    m_ui->setupUi(this);
    m_ui->btnSave01->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("TFpage4a"));
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);
    if (!m_picker) {
        m_ownPicker = std::make_unique<entry::TFormTree>(dm);
        m_picker = m_ownPicker.get();
    }
    m_formStudy = std::make_unique<TFormstudy>(dm, this);
    m_formAdvantage = std::make_unique<Tformadvantage>(dm, this);
    m_formUnitIntrod = std::make_unique<Tformunitintrod>(dm, this);

    m_ui->Label420hint->setAccessibleName(m_ui->Label420hint->text());
    m_ui->cb_163->setAccessibleName(m_ui->cb_163->text());
    m_ui->Edit1->setAccessibleName(QStringLiteral("更改标记"));
    setupCodeEdits();

    connect(m_ui->btnSave01, &QPushButton::clicked, this, &TFpage4a::btnSave01Click);
    connect(m_ui->quit01, &QPushButton::clicked, this, &TFpage4a::quit01Click);
    connect(m_ui->BitBtndtr, &QPushButton::clicked, this, &TFpage4a::BitBtndtrClick);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFpage4a::Button3Click);
    connect(m_ui->Button4, &QPushButton::clicked, this, &TFpage4a::Button4Click);
    connect(m_ui->Button5, &QPushButton::clicked, this, &TFpage4a::Button5Click);
    connect(m_ui->cb_62, &QComboBox::activated, this, &TFpage4a::cb_62Change);
    for (QPlainTextEdit* memo : {m_ui->Memo1, m_ui->Memo2, m_ui->Memo3}) {
        // Three lines of the text show, the rest opens in the memo's own window.
        memo->setFixedHeight(3 * core::textLineHeight(memo->font()) +
                             int(2 * memo->document()->documentMargin()) + 2 * memo->frameWidth());
        memo->installEventFilter(this);
        memo->viewport()->installEventFilter(this);
    }
    core::nameControlsByLabels(this);
}

TFpage4a::~TFpage4a() = default;

void TFpage4a::setupCodeEdits() {
    for (const CodeItem& item : items()) {
        int k = 0;
        for (QLineEdit* edit : codeEdits(item.field)) {
            ++k;
            edit->setAccessibleName(item.caption + QString::number(k));
            edit->setMinimumWidth(160);
            // Any change of a classification edit marks the page changed, by the edit's item name.
            const QString marker = QStringLiteral("item_") + edit->objectName().mid(4);
            connect(edit, &QLineEdit::textChanged, this, [this, edit, marker](const QString& text) {
                // Picked entries are longer than the edit: show their start, and all of it on hover.
                edit->setToolTip(text);
                if (!m_loading) {
                    m_ui->Edit1->setText(marker);
                }
            });
            auto* arrow = findChild<QToolButton*>(QStringLiteral("cb_") + edit->objectName().mid(4));
            if (arrow) {
                arrow->setAccessibleName(QStringLiteral("选择") + item.caption + QString::number(k));
                arrow->setToolTip(QStringLiteral("分类选择"));
                connect(arrow, &QToolButton::clicked, this, [this, edit] { OpenPicker(edit); });
            }
        }
    }
}

const TFpage4a::CodeItem* TFpage4a::item(const QString& field) const {
    for (const CodeItem& candidate : items()) {
        if (candidate.field.compare(field, Qt::CaseInsensitive) == 0) {
            return &candidate;
        }
    }
    return nullptr;
}

QList<QLineEdit*> TFpage4a::codeEdits(const QString& field) const {
    QList<QLineEdit*> edits;
    const CodeItem* code = item(field);
    if (!code) {
        return edits;
    }
    for (int k = 1; k <= 10; ++k) {
        if (auto* edit = findChild<QLineEdit*>(code->editPrefix + QString::number(k))) {
            edits << edit;
        }
    }
    return edits;
}

bool TFpage4a::typedCodes(const CodeItem& item) const {
    // A classification that cannot be read is typed too: looking codes up in it would empty the
    // edits, and the next store would drop the codes.
    if (item.tableFile == QLatin1String("xkfl.dbf")) {
        return !m_dm.HasDisciplineClass || !m_dm.isOpen(QStringLiteral("Txkfl2"));
    }
    return !m_dm.isOpen(QStringLiteral("Tblgxjs"));
}

engine::Dataset& TFpage4a::classTable(const CodeItem& item) const {
    if (item.tableFile == QLatin1String("xkfl.dbf")) {
        return m_dm.Txkfl2;
    }
    return m_dm.Tblgxjs;
}

void TFpage4a::applyCodeEntryMode() {
    for (const CodeItem& item : items()) {
        const bool typed = typedCodes(item);
        for (QLineEdit* edit : codeEdits(item.field)) {
            edit->setReadOnly(!typed);
            // Changing the limit puts the cursor at the end; a stored code longer than the typing
            // limit keeps its length.
            const int limit =
                typed ? std::max<int>(kTypedCodeLength, static_cast<int>(edit->text().size())) : 32767;
            if (edit->maxLength() != limit) {
                edit->setMaxLength(limit);
                edit->setCursorPosition(0);
            }
            if (auto* arrow = findChild<QToolButton*>(QStringLiteral("cb_") + edit->objectName().mid(4))) {
                arrow->setVisible(!typed);
            }
        }
    }
}

void TFpage4a::setEnterpriseEnabled(bool enabled) {
    m_ui->CB_41_3->setEnabled(enabled);
    m_ui->cb_163->setEnabled(enabled);
}

// --- Loading --------------------------------------------------------------------------------------

void TFpage4a::LoadFromUnit() {
    m_loading = true;
    engine::Table& unit = m_dm.Tblunit;
    try {
        if (!unit.isActive()) {
            unit.open();
        }
        core::limitToFields(this, unit,
                            {{m_ui->Memo1, QStringLiteral("studydirec")},
                             {m_ui->Memo2, QStringLiteral("advantage")},
                             {m_ui->Memo3, QStringLiteral("unitintrod")}});
        if (!unit.isEmpty() && unit.recNo() <= 0) {
            unit.first();
        }
    } catch (const EngineError& e) {
        showEngineError(e.message());
    }
    auto value = [&unit](const char* field) { return unitValue(unit, QString::fromLatin1(field)); };

    m_ui->edt_9->setText(value("item_9"));
    m_ui->edt_420->setText(value("item_420"));
    m_ui->Edt_37->setText(value("item_37"));
    m_ui->Edt_38->setText(value("item_38"));
    m_ui->Edt_39->setText(value("item_39"));
    m_ui->Edt_40->setText(value("item_40"));
    m_ui->Edt_60->setText(value("item_60"));
    m_ui->Edt_41->setText(value("item_41"));
    m_ui->Edt_61->setText(value("item_61"));
    m_ui->Edt_41_2->setText(value("item_41_2"));
    m_ui->Memo3->setPlainText(value("unitintrod"));
    m_ui->Memo2->setPlainText(value("advantage"));
    m_ui->Memo1->setPlainText(value("studydirec"));

    const QString unitType = value("item_62").trimmed();
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_62"), true, m_ui->cb_62);
    SelectCode(unitType, m_ui->cb_62);
    const bool enterprise = unitType == QLatin1String("3");
    setEnterpriseEnabled(enterprise);
    m_ui->cb_163->setChecked(enterprise && value("item_163").trimmed() == QLatin1String("1"));
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_41_3"), true, m_ui->CB_41_3);
    SelectCode(value("item_41_3"), m_ui->CB_41_3);
    FillCodeNameList(m_dm.tblProvince, m_ui->cb_64, true, QStringLiteral("Province_i"),
                     QStringLiteral("Province_n"));
    SelectCode(value("item_64"), m_ui->cb_64);

    applyCodeEntryMode();
    for (const CodeItem& code : items()) {
        LoadCodeList(code.field, unitValue(unit, code.field));
    }
    m_loading = false;
}

void TFpage4a::LoadCodeList(const QString& field, const QString& stored) {
    const CodeItem* code = item(field);
    if (!code) {
        return;
    }
    const bool wasLoading = m_loading;
    m_loading = true;
    QStringList parts = stored.split(QLatin1Char(';'));
    // What follows the last ";" is a code too when it is not blank, so a list written without
    // its final separator loses nothing.
    if (!parts.isEmpty() && parts.last().trimmed().isEmpty()) {
        parts.removeLast();
    }
    const QList<QLineEdit*> edits = codeEdits(field);
    const bool typed = typedCodes(*code);
    for (int k = 0; k < edits.size(); ++k) {
        QLineEdit* edit = edits[k];
        const QString part = k < parts.size() ? parts[k].trimmed() : QString();
        if (part.isEmpty()) {
            edit->clear();
        } else if (typed) {
            // Without the table the code cannot be named; it is shown as stored, never cut.
            edit->setMaxLength(std::max<int>(kTypedCodeLength, static_cast<int>(part.size())));
            edit->setText(part);
        } else {
            ShowClassCode(classTable(*code), part, edit);
            edit->setCursorPosition(0);
        }
    }
    if (!typed) {
        // The look-ups leave the shared table narrowed to one code; other users expect all rows.
        try {
            classTable(*code).setFiltered(false);
        } catch (const EngineError&) {
            // The table is reopened with its own filter by whoever reads it next.
        }
    }
    m_loading = wasLoading;
}

QString TFpage4a::CollectCodeList(const QString& field) const {
    QString result;
    for (const QLineEdit* edit : codeEdits(field)) {
        const QString text = edit->text().trimmed();
        if (text.isEmpty()) {
            continue;
        }
        // A picked entry reads code, two blanks, name: the code and one blank are kept. A typed
        // code has no blank and is kept whole in the same form.
        const qsizetype blank = text.indexOf(QLatin1Char(' '));
        result += (blank >= 0 ? text.left(blank + 1) : text + QLatin1Char(' ')) + QLatin1Char(';');
    }
    return result;
}

int TFpage4a::Execute() {
    LoadFromUnit();
    FormShow();
    return platform::showModal(this);
}

// --- Showing ----------------------------------------------------------------------------------------

void TFpage4a::FormShow() {
    placePage();
    applyCodeEntryMode();
    m_ui->Edit1->clear();
}

void TFpage4a::FormResize() {
    holdPageSize();
}

void TFpage4a::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFpage4a::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

// --- Controls ---------------------------------------------------------------------------------------

void TFpage4a::cb_62Change() {
    const QString text = m_ui->cb_62->currentText();
    FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_41_3"), true, m_ui->CB_41_3);
    if (text.contains(QStringLiteral("企业"))) {
        setEnterpriseEnabled(true);
    } else {
        m_ui->cb_163->setChecked(false);
        m_ui->CB_41_3->clear();
        setEnterpriseEnabled(false);
    }
}

void TFpage4a::OpenPicker(QLineEdit* edit) {
    if (!edit) {
        return;
    }
    for (const CodeItem& code : items()) {
        if (edit->objectName().startsWith(code.editPrefix) && codeEdits(code.field).contains(edit)) {
            if (!typedCodes(code)) {
                m_picker->OpenFor(edit, code.tableFile);
                edit->setCursorPosition(0);
            }
            return;
        }
    }
}

bool TFpage4a::eventFilter(QObject* watched, QEvent* event) {
    QPlainTextEdit* memo = nullptr;
    for (QPlainTextEdit* candidate : {m_ui->Memo1, m_ui->Memo2, m_ui->Memo3}) {
        if (watched == candidate || watched == candidate->viewport()) {
            memo = candidate;
        }
    }
    if (memo) {
        bool open = event->type() == QEvent::MouseButtonRelease;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            open = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
        }
        if (open) {
            if (memo == m_ui->Memo1) {
                Memo1Click();
            } else if (memo == m_ui->Memo2) {
                Memo2Click();
            } else {
                Memo3Click();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFpage4a::openMemo(QPlainTextEdit* pageMemo, UnitMemoDialog* dialog) {
    dialog->setPageMemo(pageMemo);
    dialog->Open(pageMemo->toPlainText());
}

void TFpage4a::Memo1Click() {
    openMemo(m_ui->Memo1, m_formStudy.get());
}

void TFpage4a::Memo2Click() {
    openMemo(m_ui->Memo2, m_formAdvantage.get());
}

void TFpage4a::Memo3Click() {
    openMemo(m_ui->Memo3, m_formUnitIntrod.get());
}

// --- Storing ----------------------------------------------------------------------------------------

bool TFpage4a::store(bool withMessage) {
    engine::Table& unit = m_dm.Tblunit;
    try {
        beginUnitEdit(unit);
        unit.setValue(u"item_9", m_ui->edt_9->text().trimmed());
        unit.setValue(u"item_420", m_ui->edt_420->text());
        unit.setValue(u"item_37", m_ui->Edt_37->text());
        unit.setValue(u"chiefexper", QStringLiteral("   9999999999"));
        unit.setValue(u"item_38", m_ui->Edt_38->text());
        unit.setValue(u"item_39", m_ui->Edt_39->text());
        unit.setValue(u"item_40", m_ui->Edt_40->text());
        unit.setValue(u"item_60", m_ui->Edt_60->text());
        unit.setValue(u"item_41", m_ui->Edt_41->text());
        unit.setValue(u"item_61", m_ui->Edt_61->text());
        unit.setValue(u"item_41_2", m_ui->Edt_41_2->text());
        unit.setValue(u"unitcode", QString::fromUtf16(kUnitCode));
        unit.setValue(u"advantage", ReplaceTabs(m_ui->Memo2->toPlainText()));
        unit.setValue(u"unitintrod", ReplaceTabs(m_ui->Memo3->toPlainText()));
        unit.setValue(u"studydirec", ReplaceTabs(m_ui->Memo1->toPlainText()));
        unit.setValue(u"endlevel", 1);
        unit.setValue(u"unitlevel", QStringLiteral("1"));
        const QString unitType = core::entryCode(m_ui->cb_62, 3);
        unit.setValue(u"item_62", unitType);
        if (unitType != QLatin1String("3")) {
            unit.setValue(u"item_41_3", QString());
            unit.setValue(u"item_163", QString());
        } else {
            unit.setValue(u"item_41_3", core::entryCode(m_ui->CB_41_3, 3));
            unit.setValue(u"item_163", m_ui->cb_163->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        }
        unit.setValue(u"item_64", core::entryCode(m_ui->cb_64, 3));
        for (const CodeItem& code : items()) {
            unit.setValue(code.field, CollectCodeList(code.field));
        }
        unit.post();
    } catch (const EngineError& e) {
        cancelQuietly(unit);
        showEngineError(e.message());
        return false;
    }
    // The profile belongs to no achievement: the current one keeps its page buttons and lock.
    if (withMessage) {
        ShowWarning(this, QStringLiteral("储存成功！"));
    }
    m_ui->Edit1->clear();
    return true;
}

void TFpage4a::btnSave01Click() {
    store(true);
}

void TFpage4a::Button5Click() {
    store(true);
}

void TFpage4a::Button4Click() {
    LoadFromUnit();
    m_ui->Edit1->clear();
}

// --- Leaving ----------------------------------------------------------------------------------------

QString TFpage4a::leaveCheckMessage() const {
    auto empty = [](const QLineEdit* edit) { return edit->text().isEmpty(); };
    if (empty(m_ui->edt_9)) {
        return QStringLiteral("\"单位名称\"不能为空！");
    }
    if (empty(m_ui->Edt_37)) {
        return QStringLiteral("\"通讯地址\"不能为空！");
    }
    if (empty(m_ui->Edt_38)) {
        return QStringLiteral("\"邮政编码\"不能为空！");
    }
    // A postcode is six digits: blanks do not make up the length, and a sign is no digit.
    const QString postcode = m_ui->Edt_38->text().trimmed();
    if (postcode.size() < 6) {
        return QStringLiteral("\"邮政编码\"应该为6位数字！");
    }
    if (!core::allDigits(postcode)) {
        return QStringLiteral("\"邮政编码\"必须为数字！");
    }
    if (empty(m_ui->Edt_39)) {
        return QStringLiteral("\"单位电话\"不能为空！");
    }
    if (empty(m_ui->Edt_40)) {
        return QStringLiteral("\"单位传真\"不能为空！");
    }
    const QString intro = m_ui->Memo3->toPlainText();
    if (intro.isEmpty()) {
        return QStringLiteral("\"单位简介\"不能为空！");
    }
    // Counted as stored: a Chinese character takes two bytes, so 100 bytes are 50 characters.
    // A character GBK cannot hold counts two here; storing reports it by name.
    qsizetype bytes = 0;
    for (const QChar c : intro.trimmed()) {
        const qsizetype length = engine::gbkByteLength(QStringView(&c, 1));
        bytes += length < 0 ? 2 : length;
    }
    if (bytes < 100) {
        return QStringLiteral("\"单位简介\"内容不得小于50字！");
    }
    if (empty(m_ui->Edt_41)) {
        return QStringLiteral("\"联系部门\"不能为空！");
    }
    if (empty(m_ui->Edt_41_2)) {
        return QStringLiteral("\"联系部门电话\"不能为空！");
    }
    const QString code = m_ui->edt_420->text();
    if (!code.trimmed().isEmpty() && code.mid(8, 1) != QLatin1String("-")) {
        return QStringLiteral("\"组织机构代码\"格式错误！");
    }
    return QString();
}

bool TFpage4a::differsFromRecord() {
    const engine::Table& unit = m_dm.Tblunit;
    for (const auto& [editName, field] : comparedEdits()) {
        const auto* edit = findChild<QLineEdit*>(QString::fromLatin1(editName));
        if (edit && edit->text() != unitValue(unit, QString::fromLatin1(field))) {
            return true;
        }
    }
    if (core::entryCode(m_ui->cb_62, 3) != unitValue(unit, QStringLiteral("item_62")).trimmed()) {
        return true;
    }
    if (core::entryCode(m_ui->cb_64, 3) != unitValue(unit, QStringLiteral("item_64")).trimmed()) {
        return true;
    }
    return !m_ui->Edit1->text().isEmpty();
}

bool TFpage4a::validate() {
    const QString problem = leaveCheckMessage();
    if (!problem.isEmpty()) {
        ShowWarning(this, problem);
        return false;
    }
    return true;
}

bool TFpage4a::store() {
    return store(true);
}

void TFpage4a::quit01Click() {
    // The main window re-evaluates its commands once the page has closed.
    if (leave() == Leave::Stay) {
        return;
    }
    m_ui->Edit1->clear();
    done(QDialog::Accepted);
}

// --- The unit's further lists -------------------------------------------------------------------------

void TFpage4a::BitBtndtrClick() {
    if (!store(false)) {
        return;
    }
    engine::Table& experts = m_dm.Tblexpert;
    try {
        experts.close();
        engine::setFilter(
            experts, QStringLiteral("unitcode=:unitcode"),
            {{QStringLiteral("unitcode"), unitValue(m_dm.Tblunit, QStringLiteral("unitcode"))}});
        experts.setFiltered(true);
        experts.open();
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return;
    }
    // The discipline-leader list opens here once that window exists; until then only the store
    // above happens.
    if (OpenDisciplineLeaders) {
        OpenDisciplineLeaders();
    }
}

void TFpage4a::Button3Click() {
    // The second-level units page opens here once that window exists.
    if (OpenSecondLevelUnits) {
        OpenSecondLevelUnits();
    }
}

} // namespace tamsel::units
