// TFpage1, 成果概况: the general items of the current achievement.
#include "entry/overview_page.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/gbk.h"
#include "entry/classification_picker.h"
#include "platform/prompt.h"

#include "ui_overview_page.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>

namespace tamsel::entry {

using core::acceptDigitsOnly;
using core::CheckCodes;
using core::ClearChoiceButtons;
using core::CollectCodes;
using core::FillCodeList;
using core::makeSingleChoice;
using core::ReplaceTabs;
using core::SelectCode;
using core::ShowClassCode;
using core::ShowWarning;
using core::SplitToEdits;
using engine::EngineError;

namespace {

// Typed classification codes (no classification table) are at most this long.
constexpr int kTypedCodeLength = 10;
// The three keywords together, in stored bytes (98 Chinese characters).
constexpr qsizetype kKeywordBytes = 196;
constexpr int kFirstYear = 1949;
constexpr int kLastYear = 2050;
// Written into outcomeb with every applied-technology store: the registering unit's code.
const QString kOutcomeMarker = QStringLiteral("9990001000");

// A one-digit month is written with a leading zero, so year and month read as YYYYMM.
QString padMonth(const QString& month) {
    return month.size() == 1 ? QStringLiteral("0") + month : month;
}

QString recordText(const engine::Dataset& record, const QString& field) {
    try {
        return record.asString(field);
    } catch (const EngineError&) {
        return QString();
    }
}

// Memo texts as the page shows them: line breaks of other systems read as plain line breaks.
QString memoForm(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The items the leave check compares, for every category and then per category.
const QStringList& comparedCommon() {
    static const QStringList fields{
        QStringLiteral("ITEM_120"), QStringLiteral("ITEM_128"),  QStringLiteral("ITEM_125_1"),
        QStringLiteral("ITEM_14"),  QStringLiteral("ITEM_15"),   QStringLiteral("ITEM_15_1"),
        QStringLiteral("ITEM_12"),  QStringLiteral("ITEM_12_1"), QStringLiteral("ITEM_8"),
        QStringLiteral("ITEM_1"),   QStringLiteral("ITEM_2"),    QStringLiteral("ITEM_201"),
        QStringLiteral("ITEM_125"), QStringLiteral("ITEM_13"),   QStringLiteral("ITEM_13_1"),
        QStringLiteral("ITEM_121"),
    };
    return fields;
}

const QStringList& comparedApplied() {
    static const QStringList fields{QStringLiteral("ITEM_16"), QStringLiteral("ITEM_33"),
                                    QStringLiteral("ITEM_123"), QStringLiteral("ITEM_124_1")};
    return fields;
}

const QStringList& comparedOther() {
    static const QStringList fields{QStringLiteral("ITEM_210"), QStringLiteral("ITEM_200")};
    return fields;
}

bool isMemo(const QString& field) {
    return field == QLatin1String("ITEM_13") || field == QLatin1String("ITEM_13_1");
}

} // namespace

TFpage1::TFpage1(core::TDM& dm, core::TMainForm& mainForm, TFormTree* picker, QWidget* parent)
    : EntryPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage1>()), m_picker(picker) {
    m_ui->setupUi(this);
    m_ui->btnSave->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("TFpage1"));
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);
    QFont heading = small;
    heading.setPixelSize(16);
    heading.setBold(true);
    m_ui->LabelTitle->setFont(heading);

    // Controls without a label of their own are named after the item they belong to.
    const std::pair<QWidget*, const char*> names[] = {
        {m_ui->edt_121_y, "批准登记日期 年"},
        {m_ui->edt_121_m, "批准登记日期 月"},
        {m_ui->edt_121_d, "批准登记日期 日"},
        {m_ui->edt_8_y_s, "研究起始日期 年"},
        {m_ui->edt_8_m_s, "研究起始日期 月"},
        {m_ui->edt_8_y_e, "研究终止日期 年"},
        {m_ui->edt_8_m_e, "研究终止日期 月"},
        {m_ui->edt_14_1, "关键词1"},
        {m_ui->edt_14_2, "关键词2"},
        {m_ui->edt_14_3, "关键词3"},
        {m_ui->Edt_15, "学科分类号1"},
        {m_ui->edt_15_1, "学科分类号2"},
        {m_ui->edt_12, "中图分类号1"},
        {m_ui->edt_12_1, "中图分类号2"},
        {m_ui->cb_15, "选择学科分类号1"},
        {m_ui->cb_15_1, "选择学科分类号2"},
        {m_ui->CB_12, "选择中图分类号1"},
        {m_ui->CB_12_1, "选择中图分类号2"},
        {m_ui->PL_123, "成果体现形式"},
        {m_ui->Pl_124_1, "所属高新科技领域"},
        {m_ui->PL_200, "社会经济目标"},
        {m_ui->PL_125, "成果主要应用行业"},
        {m_ui->Mo_13_1, "成果简介"},
        {m_ui->Mo_13, "成果公报内容"},
        {m_ui->PageControl1, "成果简介及公报内容"},
    };
    for (const auto& [widget, name] : names) {
        widget->setAccessibleName(QString::fromUtf8(name));
    }
    // Both long texts are required.
    m_ui->PageControl1->tabBar()->setTabTextColor(0, core::maroon());
    m_ui->PageControl1->tabBar()->setTabTextColor(1, core::maroon());
    m_ui->Mo_13_1->setTabChangesFocus(true);
    m_ui->Mo_13->setTabChangesFocus(true);

    for (QLineEdit* edit : {m_ui->edt_8_y_s, m_ui->edt_8_m_s, m_ui->edt_8_y_e, m_ui->edt_8_m_e}) {
        acceptDigitsOnly(edit);
        edit->installEventFilter(this);
    }
    for (QWidget* panel : {m_ui->Pl_124_1, m_ui->PL_200, m_ui->PL_125}) {
        makeSingleChoice(panel);
    }
    m_ui->edt_14_2->installEventFilter(this);
    m_ui->edt_14_3->installEventFilter(this);
    m_ui->Mo_13->viewport()->installEventFilter(this);
    m_ui->Mo_13->installEventFilter(this);
    m_ui->TabSheet2->installEventFilter(this);
    m_ui->PageControl1->tabBar()->installEventFilter(this);

    connect(m_ui->btnSave, &QPushButton::clicked, this, &TFpage1::btnSaveClick);
    connect(m_ui->btnHelp, &QPushButton::clicked, this, &TFpage1::btnHelpClick);
    connect(m_ui->btnQuit, &QPushButton::clicked, this, &TFpage1::btnQuitClick);
    connect(m_ui->edt_14_1, &QLineEdit::textChanged, this, &TFpage1::edt_14_1Change);
    connect(m_ui->edt_14_2, &QLineEdit::textChanged, this, &TFpage1::edt_14_2Change);
    connect(m_ui->PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_lastTab == 0 && index != 0) {
            TabSheet1Exit();
        }
        m_lastTab = index;
    });
    const std::pair<QToolButton*, QLineEdit*> pickers[] = {
        {m_ui->cb_15, m_ui->Edt_15},
        {m_ui->cb_15_1, m_ui->edt_15_1},
        {m_ui->CB_12, m_ui->edt_12},
        {m_ui->CB_12_1, m_ui->edt_12_1},
    };
    for (const auto& [button, edit] : pickers) {
        QLineEdit* target = edit;
        connect(button, &QToolButton::clicked, this, [this, target] { OpenPicker(target); });
        // Picked entries are longer than the edit: show their start, and all of it on hover.
        connect(edit, &QLineEdit::textChanged, edit,
                [target](const QString& text) { target->setToolTip(text); });
    }
    core::nameControlsByLabels(this);
}

TFpage1::~TFpage1() = default;

// --- Classification ---------------------------------------------------------------------------------

bool TFpage1::canPickDiscipline() const {
    // A classification that cannot be read is typed too: looking codes up in it would empty the
    // edits, and the next store would drop the codes.
    return m_dm.HasDisciplineClass && m_dm.isOpen(QStringLiteral("Txkfl2"));
}

bool TFpage1::canPickLibrary() const {
    return m_dm.HasLibraryClass && m_dm.isOpen(QStringLiteral("Tztflh2"));
}

void TFpage1::applyClassEntryMode() {
    const std::pair<bool, QList<std::pair<QLineEdit*, QToolButton*>>> groups[] = {
        {canPickDiscipline(), {{m_ui->Edt_15, m_ui->cb_15}, {m_ui->edt_15_1, m_ui->cb_15_1}}},
        {canPickLibrary(), {{m_ui->edt_12, m_ui->CB_12}, {m_ui->edt_12_1, m_ui->CB_12_1}}},
    };
    for (const auto& [picked, pairs] : groups) {
        for (const auto& [edit, button] : pairs) {
            edit->setReadOnly(picked);
            button->setVisible(picked);
            // A stored code longer than the typing limit keeps its length; picked entries carry
            // their name.
            const int limit =
                picked ? 32767 : std::max<int>(kTypedCodeLength, static_cast<int>(edit->text().size()));
            if (edit->maxLength() != limit) {
                edit->setMaxLength(limit);
                edit->setCursorPosition(0);
            }
        }
    }
}

void TFpage1::loadClassCode(QLineEdit* edit, const QString& code, bool picked) {
    const QString trimmed = code.trimmed();
    if (!picked) {
        edit->setMaxLength(std::max<int>(kTypedCodeLength, static_cast<int>(code.size())));
        edit->setText(code);
        return;
    }
    edit->setMaxLength(32767);
    if (trimmed.isEmpty()) {
        edit->clear();
        return;
    }
    engine::Dataset& table = edit == m_ui->Edt_15 || edit == m_ui->edt_15_1
                                 ? static_cast<engine::Dataset&>(m_dm.Txkfl2)
                                 : static_cast<engine::Dataset&>(m_dm.Tztflh2);
    ShowClassCode(table, trimmed, edit);
    // A code the table does not know (an older or newer edition) is kept as it is rather than
    // emptied, so storing the page does not lose it.
    if (edit->text().isEmpty()) {
        edit->setText(trimmed);
    }
    edit->setCursorPosition(0);
    // The look-up leaves the shared table narrowed to one code; other users expect all rows.
    try {
        table.setFiltered(false);
    } catch (const EngineError&) {
        // The table is reopened with its own filter by whoever reads it next.
    }
}

QString TFpage1::classCode(const QLineEdit* edit, bool picked) {
    const QString text = edit->text();
    if (!picked) {
        return text.trimmed();
    }
    // A picked entry reads code, two blanks, name; a bare code (kept from the record) is stored
    // as it is.
    const qsizetype gap = text.indexOf(QStringLiteral("  "));
    return (gap < 0 ? text : text.left(gap)).trimmed();
}

void TFpage1::OpenPicker(QLineEdit* edit) {
    if (!edit) {
        return;
    }
    const bool discipline = edit == m_ui->Edt_15 || edit == m_ui->edt_15_1;
    if (!discipline && edit != m_ui->edt_12 && edit != m_ui->edt_12_1) {
        return;
    }
    if (discipline ? !canPickDiscipline() : !canPickLibrary()) {
        return;
    }
    const QString tableFile = discipline ? QStringLiteral("xkfl.dbf") : QStringLiteral("ztflh.dbf");
    if (m_picker) {
        m_picker->OpenFor(edit, tableFile);
    } else if (m_main.Hooks.pickClass) {
        m_main.Hooks.pickClass(edit, tableFile);
    } else {
        if (!m_ownPicker) {
            m_ownPicker = std::make_unique<TFormTree>(m_dm, this);
        }
        m_ownPicker->OpenFor(edit, tableFile);
    }
    edit->setCursorPosition(0);
}

// --- Loading --------------------------------------------------------------------------------------

void TFpage1::applyCategory() {
    const bool applied = m_applied;
    for (QWidget* widget :
         std::initializer_list<QWidget*>{m_ui->Label125_1, m_ui->Cb_125_1, m_ui->Label16, m_ui->cb_16,
                                         m_ui->Label33, m_ui->cb_33, m_ui->Box123, m_ui->Pl_124_1}) {
        widget->setVisible(applied);
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{m_ui->Label210, m_ui->cb_210, m_ui->PL_200}) {
        widget->setVisible(!applied);
    }
    if (applied) {
        m_ui->Label124->setText(QStringLiteral("所属高新科技领域"));
        m_ui->Label124->setStyleSheet(QString());
    } else {
        m_ui->Label124->setText(QStringLiteral("社会经济目标"));
        m_ui->Label124->setStyleSheet(core::maroonStyle());
    }
}

void TFpage1::LoadFromRecord() {
    const engine::Query& record = m_dm.Qrypelk;
    auto value = [&record](const char* field) { return recordText(record, QString::fromLatin1(field)); };
    m_applied = core::isAppliedTechnology(m_main);
    core::limitToFields(this, record);

    ClearChoiceButtons(this);
    m_ui->Edt_120->setText(value("ITEM_120"));
    m_ui->Edt_128->setText(value("ITEM_128"));

    // Research period: "YYYY.MM   至YYYY.MM".
    const QString period = value("ITEM_8");
    const qsizetype to = period.indexOf(QChar(0x81f3)); // 至
    const QString end = to < 0 ? QString() : period.mid(to + 1);
    m_ui->edt_8_y_s->setText(period.left(4));
    m_ui->edt_8_m_s->setText(period.mid(5, 2));
    m_ui->edt_8_y_e->setText(end.left(4));
    m_ui->edt_8_m_e->setText(end.mid(5, 2));

    QDate registered;
    try {
        registered = record.asDate(u"ITEM_121");
    } catch (const EngineError&) {
        registered = QDate();
    }
    if (registered.isValid()) {
        m_ui->edt_121_y->setText(QString::number(registered.year()));
        m_ui->edt_121_m->setText(QStringLiteral("%1").arg(registered.month(), 2, 10, QLatin1Char('0')));
        m_ui->edt_121_d->setText(QStringLiteral("%1").arg(registered.day(), 2, 10, QLatin1Char('0')));
    } else {
        m_ui->edt_121_y->clear();
        m_ui->edt_121_m->clear();
        m_ui->edt_121_d->clear();
    }

    engine::Table& codes = m_dm.Tblzdxx;
    FillCodeList(codes, QStringLiteral("item_1"), true, m_ui->CB_1);
    SelectCode(value("ITEM_1"), m_ui->CB_1);
    FillCodeList(codes, QStringLiteral("item_125_1"), true, m_ui->Cb_125_1);
    SelectCode(value("ITEM_125_1"), m_ui->Cb_125_1);
    SplitToEdits(value("ITEM_14"), m_ui->edt_14_1, m_ui->edt_14_2, m_ui->edt_14_3);
    // An edit that stays empty sends no change: the keyword rules are applied once more.
    edt_14_1Change();
    edt_14_2Change();

    applyCategory();
    if (m_applied) {
        CheckCodes(this, m_ui->PL_123, 1, value("ITEM_123"));
        FillCodeList(codes, QStringLiteral("item_16"), true, m_ui->cb_16);
        FillCodeList(codes, QStringLiteral("item_33"), true, m_ui->cb_33);
        SelectCode(value("ITEM_16"), m_ui->cb_16);
        SelectCode(value("ITEM_33"), m_ui->cb_33);
    } else {
        FillCodeList(codes, QStringLiteral("item_210"), true, m_ui->cb_210);
        SelectCode(value("ITEM_210"), m_ui->cb_210);
    }
    FillCodeList(codes, QStringLiteral("item_2"), true, m_ui->cb_2);
    FillCodeList(codes, QStringLiteral("item_201"), true, m_ui->cb_201);
    SelectCode(value("ITEM_2"), m_ui->cb_2);
    SelectCode(value("ITEM_201"), m_ui->cb_201);

    const bool discipline = canPickDiscipline();
    const bool library = canPickLibrary();
    loadClassCode(m_ui->Edt_15, value("ITEM_15"), discipline);
    loadClassCode(m_ui->edt_15_1, value("ITEM_15_1"), discipline);
    loadClassCode(m_ui->edt_12, value("ITEM_12"), library);
    loadClassCode(m_ui->edt_12_1, value("ITEM_12_1"), library);

    if (m_applied) {
        CheckCodes(this, m_ui->Pl_124_1, 2, value("ITEM_124_1"));
    } else {
        CheckCodes(this, m_ui->PL_200, 2, value("ITEM_200"));
    }
    CheckCodes(this, m_ui->PL_125, 2, value("ITEM_125"));

    m_ui->Mo_13->clear();
    m_ui->Mo_13_1->clear();
    m_ui->Mo_13->setPlainText(value("ITEM_13"));
    m_ui->Mo_13_1->setPlainText(value("ITEM_13_1"));
    m_ui->PageControl1->setCurrentIndex(0);
    m_lastTab = 0;

    setWindowTitle(QStringLiteral("成果名称：") + value("ITEM_3"));
}

int TFpage1::Execute() {
    LoadFromRecord();
    FormShow();
    const int result = platform::showModal(this);
    // Closing the page refreshes the main window's page buttons and its lock.
    m_main.MarkIncompletePages();
    m_main.ApplyCompleteness();
    return result;
}

// --- Showing ----------------------------------------------------------------------------------------

void TFpage1::FormShow() {
    placePage();
    applyClassEntryMode();
}

void TFpage1::FormResize() {
    holdPageSize();
}

void TFpage1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFpage1::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

// --- Field behaviour --------------------------------------------------------------------------------

void TFpage1::YearExit(QLineEdit* edit) {
    if (!edit) {
        return;
    }
    const int thisYear = QDate::currentDate().year();
    bool ok = false;
    int year = edit->text().trimmed().toInt(&ok);
    if (!ok) {
        year = thisYear;
    }
    if (year >= kFirstYear && year <= thisYear) {
        edit->setText(QString::number(year));
        return;
    }
    ShowWarning(this, QStringLiteral("年份不合理，合理取值为1949年至今！"));
    // The message promises a year up to now, so the current year is what the edit gets.
    edit->setText(QString::number(thisYear));
}

void TFpage1::MonthExit(QLineEdit* edit) {
    if (!edit) {
        return;
    }
    const QString text = edit->text().trimmed();
    edit->setText(text);
    bool ok = false;
    const int month = text.toInt(&ok);
    if (!ok) {
        return;
    }
    if (month <= 0 || month > 12) {
        ShowWarning(this, QStringLiteral("月份数不合理！"));
        edit->setText(QStringLiteral("12"));
    } else if (month < 10) {
        edit->setText(QStringLiteral("0") + QString::number(month));
    }
}

void TFpage1::edt_14_1Change() {
    const bool empty = m_ui->edt_14_1->text().trimmed().isEmpty();
    if (empty) {
        m_ui->edt_14_2->clear();
        m_ui->edt_14_3->clear();
    }
    m_ui->edt_14_2->setEnabled(!empty);
    m_ui->edt_14_3->setEnabled(!empty);
}

void TFpage1::edt_14_2Change() {
    const bool empty = m_ui->edt_14_2->text().trimmed().isEmpty();
    if (empty) {
        m_ui->edt_14_3->clear();
    }
    m_ui->edt_14_3->setEnabled(!empty);
}

void TFpage1::Mo_13Click() {
    if (m_ui->Mo_13->toPlainText().isEmpty()) {
        m_ui->Mo_13->setPlainText(m_ui->Mo_13_1->toPlainText());
    }
}

void TFpage1::TabSheet1Exit() {
    Mo_13Click();
}

void TFpage1::TabSheet2ContextPopup() {
    if (m_ui->Mo_13_1->toPlainText().isEmpty()) {
        m_ui->Mo_13_1->setPlainText(m_ui->Mo_13->toPlainText());
    }
}

bool TFpage1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusOut) {
        // Switching windows (a message box, another program) is not leaving the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == m_ui->edt_8_y_s || watched == m_ui->edt_8_y_e) {
                YearExit(static_cast<QLineEdit*>(watched));
            } else if (watched == m_ui->edt_8_m_s || watched == m_ui->edt_8_m_e) {
                MonthExit(static_cast<QLineEdit*>(watched));
            }
        }
    } else if (type == QEvent::MouseButtonPress) {
        if (watched == m_ui->edt_14_2) {
            edt_14_1Change();
        } else if (watched == m_ui->edt_14_3) {
            edt_14_2Change();
        } else if (watched == m_ui->Mo_13->viewport()) {
            Mo_13Click();
        }
    } else if (type == QEvent::ContextMenu || type == QEvent::Drop) {
        if (watched == m_ui->Mo_13->viewport() || watched == m_ui->Mo_13 || watched == m_ui->TabSheet2) {
            TabSheet2ContextPopup();
        } else if (watched == m_ui->PageControl1->tabBar() && type == QEvent::ContextMenu &&
                   m_ui->PageControl1->tabBar()->tabAt(static_cast<QContextMenuEvent*>(event)->pos()) == 1) {
            TabSheet2ContextPopup();
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- Checking -----------------------------------------------------------------------------------------

bool TFpage1::readNumber(const QString& text, int& value) {
    // Date and period parts are plain digits; anything else cannot be compared.
    if (!core::allDigits(text) || text.size() > 8) {
        ShowWarning(this, QStringLiteral("'") + text + QStringLiteral("'不是有效的整数值！"));
        return false;
    }
    value = text.toInt();
    return true;
}

bool TFpage1::validate() {
    auto fail = [this](const QString& message) {
        ShowWarning(this, message);
        return false;
    };
    // 1. The research period, trimmed; a one-digit month is written as two so the stored
    //    period keeps its layout.
    for (QLineEdit* edit : {m_ui->edt_8_y_s, m_ui->edt_8_m_s, m_ui->edt_8_y_e, m_ui->edt_8_m_e}) {
        edit->setText(edit->text().trimmed());
    }
    m_ui->edt_8_m_s->setText(padMonth(m_ui->edt_8_m_s->text()));
    m_ui->edt_8_m_e->setText(padMonth(m_ui->edt_8_m_e->text()));
    const QString startYear = m_ui->edt_8_y_s->text();
    const QString startMonth = m_ui->edt_8_m_s->text();
    const QString endYear = m_ui->edt_8_y_e->text();
    const QString endMonth = m_ui->edt_8_m_e->text();
    if (startYear.isEmpty() || startMonth.isEmpty() || endYear.isEmpty() || endMonth.isEmpty()) {
        return fail(QStringLiteral("研究起止时间为必填项！"));
    }
    int sy = 0;
    int sm = 0;
    int ey = 0;
    int em = 0;

    // 2. The research must have ended by the registration.
    const QString regYear = m_ui->edt_121_y->text().trimmed();
    const QString regMonth = m_ui->edt_121_m->text().trimmed();
    const QString regDay = m_ui->edt_121_d->text().trimmed();
    if (!regYear.isEmpty() && !regMonth.isEmpty()) {
        int ry = 0;
        int rm = 0;
        if (!readNumber(regYear, ry) || !readNumber(regMonth, rm) || !readNumber(endYear, ey) ||
            !readNumber(endMonth, em)) {
            return false;
        }
        if (qint64(ry) * 100 + rm < qint64(ey) * 100 + em) {
            return fail(QStringLiteral("所填写的研究终止时间不应大于登记日期！"));
        }
    }
    // 3, 4. Start before end.
    if (!readNumber(startYear, sy) || !readNumber(startMonth, sm) || !readNumber(endYear, ey) ||
        !readNumber(endMonth, em)) {
        return false;
    }
    const qint64 start = qint64(sy) * 100 + sm;
    const qint64 finish = qint64(ey) * 100 + em;
    if (finish < start) {
        return fail(QStringLiteral("所填写的研究起始时间不应大于研究终止时间！"));
    }
    if (finish == start) {
        return fail(QStringLiteral("所填写的研究起始时间不应等于研究终止时间！"));
    }
    // 5.
    if (m_ui->CB_1->currentText().trimmed().isEmpty()) {
        return fail(QStringLiteral("\"成果密级\"不能为空！"));
    }
    // 6. Counted as stored: a Chinese character takes two bytes. A character GBK cannot hold
    //    counts two here; storing reports it by name.
    qsizetype keywordBytes = 0;
    for (const QLineEdit* edit : {m_ui->edt_14_1, m_ui->edt_14_2, m_ui->edt_14_3}) {
        for (const QChar c : edit->text()) {
            const qsizetype length = engine::gbkByteLength(QStringView(&c, 1));
            keywordBytes += length < 0 ? 2 : length;
        }
    }
    if (keywordBytes > kKeywordBytes) {
        return fail(QStringLiteral("\"关键词\"三栏总字数不要超过98字"));
    }
    // The keywords are stored joined by ";": one inside a keyword would split it on reading.
    for (const QLineEdit* edit : {m_ui->edt_14_1, m_ui->edt_14_2, m_ui->edt_14_3}) {
        if (edit->text().contains(QLatin1Char(';'))) {
            return fail(QStringLiteral("\"关键词\"中不能含有分号\";\"！"));
        }
    }
    // 7, 8. The category's own items.
    QString collected;
    if (m_applied) {
        if (m_ui->cb_16->currentText().trimmed().isEmpty()) {
            return fail(QStringLiteral("\"成果所处阶段\"不能为空！"));
        }
        if (m_ui->cb_33->currentText().trimmed().isEmpty()) {
            return fail(QStringLiteral("\"转让范围\"不能为空！"));
        }
        if (!CollectCodes(this, m_ui->PL_123, collected, QStringLiteral("成果体现形式"), 1)) {
            return false;
        }
        if (collected.isEmpty()) {
            return fail(QStringLiteral("\"成果体现形式\"不能为空！"));
        }
        // 9.
        if (core::entryCode(m_ui->Cb_125_1, 2).isEmpty()) {
            return fail(QStringLiteral("\"成果属性\"不能为空！"));
        }
    } else {
        if (m_ui->cb_210->currentText().trimmed().isEmpty()) {
            return fail(QStringLiteral("\"成果体现形式\"不能为空！"));
        }
        if (!CollectCodes(this, m_ui->PL_200, collected, QStringLiteral("社会经济目标"), 2)) {
            return false;
        }
        if (collected.isEmpty()) {
            return fail(QStringLiteral("\"社会经济目标\"不能为空！"));
        }
    }
    // 10, 11.
    if (m_ui->cb_201->currentText().trimmed().isEmpty()) {
        return fail(QStringLiteral("\"研究形式\"不能为空！"));
    }
    if (!CollectCodes(this, m_ui->PL_125, collected, QStringLiteral("成果应用行业"), 2)) {
        return false;
    }
    if (collected.isEmpty()) {
        return fail(QStringLiteral("\"成果应用行业\"不能为空！"));
    }
    // 12.
    if (m_ui->Mo_13_1->toPlainText().trimmed().isEmpty()) {
        return fail(QStringLiteral("\"成果简介\"不能为空！"));
    }
    if (m_ui->Mo_13->toPlainText().trimmed().isEmpty()) {
        return fail(QStringLiteral("\"成果公报内容\"不能为空！"));
    }
    // 13, 14. The registration date.
    if (regYear.isEmpty() && regMonth.isEmpty() && regDay.isEmpty()) {
        return fail(QStringLiteral("\"批准登记日期\"不能为空！"));
    }
    int ry = 0;
    if (regYear.isEmpty()) {
        return fail(QStringLiteral("批准登记日期年份非法！合理年份应为1949年至今!"));
    }
    if (!readNumber(regYear, ry)) {
        return false;
    }
    if (ry < kFirstYear || ry > kLastYear) {
        return fail(QStringLiteral("批准登记日期年份非法！合理年份应为1949年至今!"));
    }
    int rm = 0;
    int rd = 0;
    if (!regMonth.isEmpty()) {
        if (!readNumber(regMonth, rm)) {
            return false;
        }
        if (rm > 12) {
            return fail(QStringLiteral("批准登记日期月份非法!"));
        }
    }
    if (!regDay.isEmpty()) {
        if (!readNumber(regDay, rd)) {
            return false;
        }
        if (rd > 31) {
            return fail(QStringLiteral("非法日期!"));
        }
    }
    if (!QDate(ry, rm, rd).isValid()) {
        return fail(QStringLiteral("日期非法!"));
    }
    // 15, 16. The research years and months; a month 00 is no month either.
    if (sy < kFirstYear || sy > kLastYear) {
        return fail(QStringLiteral("研究开始日期年份非法！合理年份应为1949年至今!"));
    }
    if (sm < 1 || sm > 12) {
        return fail(QStringLiteral("研究开始日期月份非法!"));
    }
    if (ey < kFirstYear || ey > kLastYear) {
        return fail(QStringLiteral("研究终止日期年份非法！合理年份应为1949年至今!"));
    }
    if (em < 1 || em > 12) {
        return fail(QStringLiteral("研究终止日期月份非法!"));
    }
    return true;
}

// --- Storing ----------------------------------------------------------------------------------------

QDate TFpage1::registrationDate() const {
    const QString year = m_ui->edt_121_y->text().trimmed();
    const QString month = m_ui->edt_121_m->text().trimmed();
    const QString day = m_ui->edt_121_d->text().trimmed();
    if (!core::allDigits(year) || !core::allDigits(month) || !core::allDigits(day)) {
        return QDate();
    }
    return QDate(year.toInt(), month.toInt(), day.toInt());
}

bool TFpage1::collectValues(FieldValues& values) {
    values.clear();
    auto put = [&values](const char* field, const QVariant& value) {
        values.append({QString::fromLatin1(field), value});
    };
    put("ITEM_120", m_ui->Edt_120->text());
    put("ITEM_128", m_ui->Edt_128->text());
    put("ITEM_121", registrationDate());
    put("ITEM_8", QString(m_ui->edt_8_y_s->text() + QLatin1Char('.') + m_ui->edt_8_m_s->text() +
                          QStringLiteral("   至") + m_ui->edt_8_y_e->text() + QLatin1Char('.') +
                          m_ui->edt_8_m_e->text()));
    put("ITEM_1", core::entryCode(m_ui->CB_1, 3));

    const QString k1 = m_ui->edt_14_1->text();
    const QString k2 = m_ui->edt_14_2->text();
    const QString k3 = m_ui->edt_14_3->text();
    QString keywords = k1;
    if (!k1.isEmpty() && !k2.isEmpty() && !k3.isEmpty()) {
        keywords = k1 + QLatin1Char(';') + k2 + QLatin1Char(';') + k3;
    } else if (!k1.isEmpty() && !k2.isEmpty()) {
        keywords = k1 + QLatin1Char(';') + k2;
    }
    put("ITEM_14", keywords);

    QString codes;
    if (m_applied) {
        put("ITEM_16", core::entryCode(m_ui->cb_16, 3));
        put("ITEM_33", core::entryCode(m_ui->cb_33, 3));
        if (!CollectCodes(this, m_ui->PL_123, codes, QStringLiteral("成果体现形式"), 1)) {
            return false;
        }
        put("ITEM_123", codes);
        if (!CollectCodes(this, m_ui->Pl_124_1, codes, QStringLiteral("所属高新科技领域"), 2)) {
            return false;
        }
        put("ITEM_124_1", codes);
        put("ITEM_210", QString());
        put("ITEM_200", QString());
        put("ITEM_125_1", core::entryCode(m_ui->Cb_125_1, 2));
        put("outcomeb", kOutcomeMarker);
    } else {
        put("ITEM_210", core::entryCode(m_ui->cb_210, 3));
        if (!CollectCodes(this, m_ui->PL_200, codes, QStringLiteral("社会经济目标"), 2)) {
            return false;
        }
        put("ITEM_200", codes);
        put("ITEM_123", QString());
        put("ITEM_124_1", QString());
        put("ITEM_16", QString());
        put("ITEM_33", QString());
        put("ITEM_125_1", QString());
    }

    const QString summary = ReplaceTabs(m_ui->Mo_13_1->toPlainText());
    const QString bulletin = ReplaceTabs(m_ui->Mo_13->toPlainText());
    put("ITEM_13_1", summary);
    put("ITEM_13", bulletin.isEmpty() ? summary : bulletin);

    put("ITEM_2", core::entryCode(m_ui->cb_2, 3));
    put("ITEM_201", core::entryCode(m_ui->cb_201, 3));
    if (!CollectCodes(this, m_ui->PL_125, codes, QStringLiteral("成果应用行业"), 2)) {
        return false;
    }
    put("ITEM_125", codes);

    const bool discipline = canPickDiscipline();
    const bool library = canPickLibrary();
    put("ITEM_15", classCode(m_ui->Edt_15, discipline));
    put("ITEM_15_1", classCode(m_ui->edt_15_1, discipline));
    put("ITEM_12", classCode(m_ui->edt_12, library));
    put("ITEM_12_1", classCode(m_ui->edt_12_1, library));
    return true;
}

bool TFpage1::store() {
    FieldValues values;
    if (!collectValues(values)) {
        return false;
    }
    // The memos show what is stored: tabs became blanks.
    for (QPlainTextEdit* memo : {m_ui->Mo_13_1, m_ui->Mo_13}) {
        const QString text = memo->toPlainText();
        if (text.contains(QLatin1Char('\t'))) {
            memo->setPlainText(ReplaceTabs(text));
        }
    }
    engine::Query& record = m_dm.Qrypelk;
    try {
        record.edit();
        for (const auto& [field, value] : values) {
            record.setValue(field, value);
        }
        record.post();
    } catch (const EngineError& e) {
        // The record stays as it is on disk; the page keeps what was typed.
        try {
            record.cancel();
        } catch (const EngineError&) {
        }
        showEngineError(e.message());
        return false;
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    markDone(QStringLiteral("01"));
    return true;
}

void TFpage1::btnSaveClick() {
    if (validate()) {
        store();
    }
}

bool TFpage1::differsFromRecord() {
    FieldValues values;
    if (!collectValues(values)) {
        return true;
    }
    const engine::Query& record = m_dm.Qrypelk;
    QStringList fields = comparedCommon();
    fields += m_applied ? comparedApplied() : comparedOther();
    for (const auto& [field, value] : values) {
        if (!fields.contains(field)) {
            continue;
        }
        if (field == QLatin1String("ITEM_121")) {
            QDate stored;
            try {
                stored = record.asDate(field);
            } catch (const EngineError&) {
            }
            if (stored != value.toDate()) {
                return true;
            }
            continue;
        }
        QString page = value.toString();
        QString stored = recordText(record, field);
        if (isMemo(field)) {
            page = memoForm(page);
            stored = memoForm(stored);
        }
        if (page.trimmed() != stored.trimmed()) {
            return true;
        }
    }
    return false;
}

void TFpage1::btnQuitClick() {
    if (leave() == Leave::Stay) {
        return;
    }
    done(QDialog::Accepted);
}

void TFpage1::btnHelpClick() {
    showHelp(m_applied ? QStringLiteral("THelpCggk") : QStringLiteral("THelpCggkRj"));
}

} // namespace tamsel::entry
