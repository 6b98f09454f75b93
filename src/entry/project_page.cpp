// TFpage3, 课题立项，评价情况: the project's source, its funding and the evaluation.
#include "entry/project_page.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/filter_params.h"
#include "engine/gbk.h"
#include "entry/page_dates.h"
#include "platform/placement.h"
#include "platform/prompt.h"

#include "ui_project_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <cmath>

namespace tamsel::entry {

using core::acceptDigitsOnly;
using core::checkAmountText;
using core::CheckCodes;
using core::ClearChoiceButtons;
using core::CollectCodes;
using core::FillCodeList;
using core::SelectCode;
using core::ShowWarning;
using engine::EngineError;

namespace {

constexpr int kAmountLength = 7;

// An amount as typed; empty counts as 0 (sums) or as no value (storing).
double amountOf(const QString& text, bool* ok = nullptr) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        if (ok) {
            *ok = true;
        }
        return 0;
    }
    return trimmed.toDouble(ok);
}

// Shortest decimal form without an exponent: 12.5, 3, 10000000.
QString shortestText(double value) {
    if (value == 0 || !std::isfinite(value)) {
        return QStringLiteral("0");
    }
    QString text = QString::number(value, 'f', 10);
    while (text.endsWith(QLatin1Char('0'))) {
        text.chop(1);
    }
    if (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

// More than two decimals cannot be kept by the amount fields.
bool tooManyDecimals(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype point = trimmed.indexOf(QLatin1Char('.'));
    if (point < 0) {
        return false;
    }
    QString decimals = trimmed.mid(point + 1);
    while (decimals.endsWith(QLatin1Char('0'))) {
        decimals.chop(1);
    }
    return decimals.size() > 2;
}

// The same stored amount: both empty, or equal in the two decimals the field keeps.
bool sameAmount(const QString& typed, const QString& stored) {
    const QString a = typed.trimmed();
    const QString b = stored.trimmed();
    if (a.isEmpty() || b.isEmpty()) {
        return a.isEmpty() == b.isEmpty();
    }
    return std::llround(amountOf(a) * 100) == std::llround(amountOf(b) * 100);
}

QVariant amountValue(const QString& text) {
    if (text.trimmed().isEmpty()) {
        return QVariant();
    }
    return amountOf(text);
}

} // namespace

TFpage3::TFpage3(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : EntryPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage3>()) {
    m_ui->setupUi(this);
    m_ui->BtnSave->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("TFpage3"));
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);

    // 国家计划 follows the programme buttons; it is never clicked itself.
    QCheckBox* national = m_ui->CB_126_01;
    national->setAttribute(Qt::WA_TransparentForMouseEvents);
    national->setFocusPolicy(Qt::NoFocus);
    national->setAccessibleName(QStringLiteral("国家计划"));
    m_ui->edt_34_m->setAccessibleName(QStringLiteral("评价日期（月）"));
    m_ui->edt_34_d->setAccessibleName(QStringLiteral("评价日期（日）"));
    m_ui->cb_21_l->setAccessibleName(QStringLiteral("评价方式"));
    m_ui->Pl_126->setAccessibleName(QStringLiteral("课题来源"));
    m_ui->Pl_140->setAccessibleName(QStringLiteral("国家计划"));

    for (QCheckBox* box : sourceBoxes()) {
        connect(box, &QCheckBox::toggled, this, [this, box] { SourceClick(box); });
    }
    for (QRadioButton* radio : m_ui->Pl_140->findChildren<QRadioButton*>()) {
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                ProgrammeClick();
            }
        });
    }
    // The project number and name are required for a national plan, as soon as it is chosen.
    connect(national, &QCheckBox::toggled, this, &TFpage3::setNationalRequired);
    connect(m_ui->BtnClear140, &QPushButton::clicked, this, &TFpage3::BtnClear140Click);
    connect(m_ui->BtnSave, &QPushButton::clicked, this, &TFpage3::BtnSaveClick);
    connect(m_ui->BtnHelp, &QPushButton::clicked, this, &TFpage3::BtnHelpClick);
    connect(m_ui->BtnQuit, &QPushButton::clicked, this, &TFpage3::BtnQuitClick);

    for (const Amount& amount : amounts()) {
        acceptDigitsOnly(amount.edit, true);
    }
    for (const Amount& amount : localParts()) {
        connect(amount.edit, &QLineEdit::textChanged, this, &TFpage3::LocalAmountChange);
    }
    for (const Amount& amount : totalParts()) {
        connect(amount.edit, &QLineEdit::textChanged, this, &TFpage3::TotalAmountChange);
    }
    for (QLineEdit* edit : {m_ui->edt_34_y, m_ui->edt_34_m, m_ui->edt_34_d}) {
        acceptDigitsOnly(edit);
    }
    setPlanListVisible(false);
    m_ui->cb_21_l->hide();
    core::nameControlsByLabels(this);
}

TFpage3::~TFpage3() = default;

QList<TFpage3::Amount> TFpage3::amounts() const {
    return {
        {m_ui->Edt_142_1, "ITEM_142_1", QStringLiteral("省级投入")},
        {m_ui->Edt_142_2, "ITEM_142_2", QStringLiteral("地级投入")},
        {m_ui->Edt_142_3, "ITEM_142_3", QStringLiteral("县级投入")},
        {m_ui->Edt_142, "ITEM_142", QStringLiteral("地方投入")},
        {m_ui->Edt_141, "ITEM_141", QStringLiteral("国家投入")},
        {m_ui->Edt_148, "ITEM_148", QStringLiteral("部门投入")},
        {m_ui->Edt_143, "ITEM_143", QStringLiteral("基金投入")},
        {m_ui->Edt_144, "ITEM_144", QStringLiteral("自有资金")},
        {m_ui->Edt_243, "ITEM_243", QStringLiteral("银行贷款")},
        {m_ui->Edt_244, "ITEM_244", QStringLiteral("国外资金")},
        {m_ui->Edt_145, "ITEM_145", QStringLiteral("其他")},
        {m_ui->Edt_149, "ITEM_149", QStringLiteral("总计（万元）")},
    };
}

QList<TFpage3::Amount> TFpage3::localParts() const {
    return amounts().mid(0, 3);
}

QList<TFpage3::Amount> TFpage3::totalParts() const {
    return amounts().mid(3, 8);
}

QList<QCheckBox*> TFpage3::sourceBoxes() const {
    QList<QCheckBox*> boxes;
    for (QCheckBox* box : m_ui->Pl_126->findChildren<QCheckBox*>()) {
        if (box->parentWidget() == m_ui->Pl_126) {
            boxes << box;
        }
    }
    return boxes;
}

bool TFpage3::isApplied() const {
    return core::isAppliedTechnology(recordValue("ITEM_CGLB"));
}

QComboBox* TFpage3::methodList() const {
    return isApplied() ? m_ui->cb_21 : m_ui->cb_21_l;
}

QString TFpage3::recordValue(const char* field) const {
    try {
        if (m_dm.Qrypelk.isActive() && !m_dm.Qrypelk.isEmpty()) {
            return m_dm.Qrypelk.asString(QString::fromLatin1(field)).trimmed();
        }
    } catch (const EngineError&) {
        // A field the table lacks reads as empty, as an empty list does.
    }
    return QString();
}

void TFpage3::setNationalRequired(bool on) {
    m_nationalRequired = on;
    m_ui->Label127->setStyleSheet(on ? core::maroonStyle() : QString());
    m_ui->Label127_1->setStyleSheet(on ? core::maroonStyle() : QString());
}

void TFpage3::setPlanListVisible(bool visible) {
    m_ui->CB_41->setVisible(visible);
    m_ui->Lb_41->setVisible(visible);
}

// --- Plans and sources ------------------------------------------------------------------------------

void TFpage3::GetItem41List(engine::Dataset& table, const QString& source, bool withoutBlank, QLabel* label,
                            QComboBox* list) {
    if (!list) {
        return;
    }
    auto show = [label, list](bool visible) {
        list->setVisible(visible);
        if (label) {
            label->setVisible(visible);
        }
    };
    list->clear();
    try {
        table.setFiltered(false);
        engine::setFilter(table, QStringLiteral("item_126 =:source"), {{QStringLiteral("source"), source}});
        table.setFiltered(true);
        if (!table.isActive()) {
            table.open();
        }
        if (table.isEmpty()) {
            show(false);
            return;
        }
        show(true);
        const QString codeField = QStringLiteral("item_41_");
        const QString nameField = QStringLiteral("xxmc");
        for (table.first(); !table.eof(); table.next()) {
            const QString code = table.asString(codeField).trimmed();
            const QString name = table.asString(nameField).trimmed();
            if (!code.isEmpty() && !name.isEmpty()) {
                list->addItem(code + QStringLiteral("  ") + name);
            }
        }
    } catch (const EngineError& e) {
        show(false);
        showEngineError(e.message());
        return;
    }
    if (!withoutBlank) {
        list->addItem(QStringLiteral(" "));
    }
    list->setCurrentIndex(-1);
}

void TFpage3::SourceClick(QCheckBox* box) {
    if (!box) {
        return;
    }
    QCheckBox* national = m_ui->CB_126_01;
    // While 国家计划 is on no other source can be chosen.
    if (national->isChecked()) {
        for (QCheckBox* other : sourceBoxes()) {
            if (other != national) {
                other->setChecked(false);
            }
        }
    }
    if (!box->isChecked()) {
        return;
    }
    for (QCheckBox* other : sourceBoxes()) {
        if (other != box && other != national) {
            other->setChecked(false);
        }
    }
    m_ui->CB_41->clear();
    setPlanListVisible(true);
    const QString caption = box->text().isEmpty() ? box->accessibleName() : box->text();
    m_ui->Lb_41->setText(QStringLiteral("“") + caption + QStringLiteral("”的下属分类"));
    GetItem41List(m_dm.TblDFJHZDXX, box->objectName().right(2), false, m_ui->Lb_41, m_ui->CB_41);
}

void TFpage3::ProgrammeClick() {
    m_ui->CB_126_01->setChecked(true);
}

void TFpage3::BtnClear140Click() {
    m_ui->CB_126_01->setChecked(false);
    ClearChoiceButtons(m_ui->Pl_140);
}

// --- Amounts --------------------------------------------------------------------------------------------

double TFpage3::checkedSum(const QList<Amount>& parts, const QString& prefix) {
    double sum = 0;
    for (const Amount& part : parts) {
        checkAmountText(part.edit,
                        prefix + QStringLiteral("“") + part.label + QStringLiteral("”:") + part.edit->text());
        sum += amountOf(part.edit->text());
    }
    return sum;
}

void TFpage3::LocalAmountChange() {
    if (m_summing) {
        return;
    }
    const QScopedValueRollback<bool> guard(m_summing, true);
    m_ui->Edt_142->setText(shortestText(checkedSum(localParts(), QStringLiteral("读取数据时，发现"))));
    // The new 地方投入 is a change of the total's parts too.
    m_ui->Edt_149->setText(shortestText(checkedSum(totalParts(), QString())));
}

void TFpage3::TotalAmountChange() {
    if (m_summing) {
        return;
    }
    const QScopedValueRollback<bool> guard(m_summing, true);
    m_ui->Edt_149->setText(shortestText(checkedSum(totalParts(), QString())));
}

// --- Loading and showing ----------------------------------------------------------------------------------

bool TFpage3::LoadFromRecord() {
    engine::Query& record = m_dm.Qrypelk;
    core::limitToFields(this, record);
    if (!record.isActive() || record.isEmpty()) {
        return false;
    }
    ClearChoiceButtons(this);
    m_ui->Edt_127->setText(recordValue("ITEM_127"));
    m_ui->Edt_127_1->setText(recordValue("ITEM_127_1"));
    m_ui->Edt_130->setText(recordValue("ITEM_130"));
    m_ui->edt_22->setText(recordValue("ITEM_22"));

    // Checking the stored choices runs the click rules, as the user's clicks would.
    const QString sources = recordValue("ITEM_126");
    CheckCodes(this, m_ui->Pl_126, 2, sources);
    CheckCodes(this, m_ui->Pl_140, 1, recordValue("ITEM_140"));

    const QString plan = recordValue("ITEM_41_1");
    if (!plan.isEmpty()) {
        QString source = sources;
        if (source.endsWith(QLatin1Char(';'))) {
            source.chop(1);
        }
        source = source.right(2);
        GetItem41List(m_dm.TblDFJHZDXX, source, false, m_ui->Lb_41, m_ui->CB_41);
        SelectCode(plan, m_ui->CB_41);
        setPlanListVisible(true);
    } else {
        setPlanListVisible(false);
    }

    const bool applied = isApplied();
    m_ui->cb_21->setVisible(applied);
    m_ui->cb_21_l->setVisible(!applied);
    m_ui->Label21->setBuddy(methodList());
    FillCodeList(m_dm.Tblzdxx, applied ? QStringLiteral("item_21") : QStringLiteral("item_21_l"), true,
                 methodList());
    SelectCode(recordValue("ITEM_21"), methodList());

    for (const Amount& amount : amounts()) {
        const QString value = recordValue(amount.field);
        // A stored amount longer than the typing limit is shown whole, never cut.
        if (!amount.edit->isReadOnly()) {
            amount.edit->setMaxLength(std::max<int>(kAmountLength, static_cast<int>(value.size())));
        }
        amount.edit->setText(value);
    }
    DateEdits{m_ui->edt_34_y, m_ui->edt_34_m, m_ui->edt_34_d}.show(recordValue("ITEM_34"));
    setWindowTitle(QStringLiteral("成果名称：") + recordValue("ITEM_3"));
    return true;
}

int TFpage3::Execute() {
    if (!LoadFromRecord()) {
        return QDialog::Rejected;
    }
    FormShow();
    return platform::showModal(this);
}

void TFpage3::FormShow() {
    placePage();
    setNationalRequired(m_ui->CB_126_01->isChecked());
}

void TFpage3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setNationalRequired(m_ui->CB_126_01->isChecked());
}

// --- Checking and storing
// -------------------------------------------------------------------------------------

bool TFpage3::validate() {
    QComboBox* methods = methodList();
    if (methods->currentIndex() < 0 || methods->currentText().trimmed().isEmpty()) {
        ShowWarning(this, QStringLiteral("“评价形式”不能为空！"));
        return false;
    }
    QString sources;
    if (!CollectCodes(this, m_ui->Pl_126, sources, QStringLiteral("课题来源"), 2)) {
        return false;
    }
    if (sources.isEmpty()) {
        ShowWarning(this, QStringLiteral("“课题来源”不能为空！"));
        return false;
    }
    if (m_nationalRequired) {
        if (m_ui->Edt_127->text().trimmed().isEmpty()) {
            ShowWarning(this, QStringLiteral("“课题来源”为“国家计划”的项目，“课题立项编号”不能为空！"));
            return false;
        }
        if (m_ui->Edt_127_1->text().trimmed().isEmpty()) {
            ShowWarning(this, QStringLiteral("“课题来源”为“国家计划”的项目，“课题立项名称”不能为空！"));
            return false;
        }
    }
    if (m_ui->Edt_142->text().size() > kAmountLength || m_ui->Edt_149->text().size() > kAmountLength) {
        ShowWarning(this, QStringLiteral("经费最大长度不超得过7位！"));
        return false;
    }
    // The amount fields keep two decimals; more would be rounded away without a word.
    for (const Amount& amount : amounts()) {
        if (tooManyDecimals(amount.edit->text())) {
            ShowWarning(this, QStringLiteral("“") + amount.label + QStringLiteral("”最多保留两位小数！"));
            return false;
        }
    }
    const QString dateProblem = DateEdits{m_ui->edt_34_y, m_ui->edt_34_m, m_ui->edt_34_d}.problem();
    if (!dateProblem.isEmpty()) {
        ShowWarning(this, dateProblem);
        return false;
    }
    return true;
}

bool TFpage3::store() {
    if (!validate()) {
        return false;
    }
    QString sources;
    QString programme;
    if (!CollectCodes(this, m_ui->Pl_126, sources, QStringLiteral("课题来源"), 2) ||
        !CollectCodes(this, m_ui->Pl_140, programme, QStringLiteral("课题来源"), 1)) {
        return false;
    }
    const QString date = DateEdits{m_ui->edt_34_y, m_ui->edt_34_m, m_ui->edt_34_d}.storedText();
    engine::Query& record = m_dm.Qrypelk;
    try {
        record.edit();
        record.setValue(u"ITEM_127", m_ui->Edt_127->text());
        record.setValue(u"ITEM_127_1", m_ui->Edt_127_1->text());
        record.setValue(u"ITEM_130", m_ui->Edt_130->text());
        record.setValue(u"ITEM_22", m_ui->edt_22->text());
        for (const Amount& amount : amounts()) {
            record.setValue(QString::fromLatin1(amount.field), amountValue(amount.edit->text()));
        }
        record.setValue(u"ITEM_126", sources);
        record.setValue(u"ITEM_140", programme);
        record.setValue(u"ITEM_34", date);
        record.setValue(u"ITEM_41_1", core::entryCode(m_ui->CB_41, 2));
        record.setValue(u"ITEM_21", core::entryCode(methodList(), 3));
        record.post();
    } catch (const EngineError& e) {
        // Nothing is half-written: the record keeps its stored values and the page its input.
        if (record.state() == engine::Dataset::State::Edit) {
            record.cancel();
        }
        showEngineError(e.message());
        return false;
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    markDone(QStringLiteral("03"));
    return true;
}

void TFpage3::BtnSaveClick() {
    store();
}

bool TFpage3::differsFromRecord() {
    QString sources;
    QString programme;
    if (!CollectCodes(this, m_ui->Pl_126, sources, QStringLiteral("课题来源"), 2) ||
        !CollectCodes(this, m_ui->Pl_140, programme, QStringLiteral("课题来源"), 1)) {
        return true;
    }
    if (programme != recordValue("ITEM_140") || sources != recordValue("ITEM_126")) {
        return true;
    }
    const QList<std::pair<QLineEdit*, const char*>> texts{{m_ui->Edt_127, "ITEM_127"},
                                                          {m_ui->Edt_127_1, "ITEM_127_1"},
                                                          {m_ui->Edt_130, "ITEM_130"},
                                                          {m_ui->edt_22, "ITEM_22"}};
    for (const auto& [edit, field] : texts) {
        if (edit->text().trimmed() != recordValue(field)) {
            return true;
        }
    }
    for (const Amount& amount : amounts()) {
        if (!sameAmount(amount.edit->text(), recordValue(amount.field))) {
            return true;
        }
    }
    return core::entryCode(methodList(), 3) != recordValue("ITEM_21");
}

void TFpage3::BtnQuitClick() {
    if (leave() == Leave::Stay) {
        return;
    }
    m_main.MarkIncompletePages();
    m_main.ApplyCompleteness();
    done(QDialog::Accepted);
}

void TFpage3::BtnHelpClick() {
    showHelp(isApplied() ? QStringLiteral("THelpCglx") : QStringLiteral("THelpKtlxRj"));
}

} // namespace tamsel::entry
