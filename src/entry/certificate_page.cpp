// TFpage9, 评价证书内容: the evaluation certificate's number, date and four long texts.
#include "entry/certificate_page.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "entry/page_dates.h"
#include "platform/prompt.h"

#include "ui_certificate_page.h"

#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace tamsel::entry {

using core::acceptDigitsOnly;
using core::ReplaceTabs;
using core::ShowWarning;
using engine::EngineError;

namespace {

// Memo text as compared: tabs become blanks as on storing, line ends in one form.
QString comparable(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return ReplaceTabs(text).trimmed();
}

} // namespace

TFpage9::TFpage9(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent)
    : EntryPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage9>()) {
    m_ui->setupUi(this);
    m_ui->BtnSave->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("TFpage9"));
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);

    m_ui->edt_302_m->setAccessibleName(QStringLiteral("评价日期（月）"));
    m_ui->edt_302_d->setAccessibleName(QStringLiteral("评价日期（日）"));
    for (int i = 0; i < m_ui->PageControl1->count(); ++i) {
        if (auto* memo = m_ui->PageControl1->widget(i)->findChild<QPlainTextEdit*>()) {
            memo->setAccessibleName(m_ui->PageControl1->tabText(i));
        }
    }
    for (QLineEdit* edit : {m_ui->edt_302_y, m_ui->edt_302_m, m_ui->edt_302_d}) {
        acceptDigitsOnly(edit);
    }
    for (const Memo& memo : memos()) {
        memo.memo->viewport()->installEventFilter(this);
    }
    connect(m_ui->BtnSave, &QPushButton::clicked, this, &TFpage9::BtnSaveClick);
    connect(m_ui->BtnHelp, &QPushButton::clicked, this, &TFpage9::BtnHelpClick);
    connect(m_ui->BtnQuit, &QPushButton::clicked, this, &TFpage9::BtnQuitClick);
    core::nameControlsByLabels(this);
}

TFpage9::~TFpage9() = default;

QList<TFpage9::Memo> TFpage9::memos() const {
    return {{m_ui->Mo_13_2, "ITEM_13_2"},
            {m_ui->Mo_13_3, "ITEM_13_3"},
            {m_ui->Mo_133, "ITEM_133"},
            {m_ui->Mo_303, "ITEM_303"}};
}

QString TFpage9::recordValue(const char* field) const {
    try {
        if (m_dm.Qrypelk.isActive() && !m_dm.Qrypelk.isEmpty()) {
            return m_dm.Qrypelk.asString(QString::fromLatin1(field));
        }
    } catch (const EngineError&) {
        // A field the table lacks reads as empty, as an empty list does.
    }
    return QString();
}

bool TFpage9::LoadFromRecord() {
    engine::Query& record = m_dm.Qrypelk;
    if (!record.isActive() || record.isEmpty()) {
        return false;
    }
    core::limitToFields(this, record);
    m_ui->Edt_301->setText(recordValue("ITEM_301"));
    DateEdits{m_ui->edt_302_y, m_ui->edt_302_m, m_ui->edt_302_d}.show(recordValue("ITEM_302").trimmed());
    for (const Memo& memo : memos()) {
        memo.memo->clear();
        memo.memo->setPlainText(recordValue(memo.field));
    }
    m_ui->PageControl1->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("成果名称：") + recordValue("ITEM_3").trimmed());
    setButtonsEnabled(true);
    return true;
}

int TFpage9::Execute() {
    if (!LoadFromRecord()) {
        return QDialog::Rejected;
    }
    FormShow();
    return platform::showModal(this);
}

void TFpage9::FormShow() {
    placePage();
}

bool TFpage9::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (const Memo& memo : memos()) {
            if (watched == memo.memo->viewport()) {
                MemoClick(memo.memo);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFpage9::MemoClick(QPlainTextEdit* memo) {
    if (memo && !memo->toPlainText().isEmpty() && memo->toPlainText().trimmed().isEmpty()) {
        memo->clear();
    }
}

void TFpage9::setButtonsEnabled(bool enabled) {
    m_ui->BtnSave->setEnabled(enabled);
    m_ui->BtnHelp->setEnabled(enabled);
    m_ui->BtnQuit->setEnabled(enabled);
}

bool TFpage9::validate() {
    const QString problem = DateEdits{m_ui->edt_302_y, m_ui->edt_302_m, m_ui->edt_302_d}.problem();
    if (!problem.isEmpty()) {
        ShowWarning(this, problem);
        return false;
    }
    return true;
}

bool TFpage9::store() {
    if (!validate()) {
        return false;
    }
    setButtonsEnabled(false);
    engine::Query& record = m_dm.Qrypelk;
    try {
        record.edit();
        record.setValue(u"ITEM_301", m_ui->Edt_301->text());
        record.setValue(u"ITEM_302",
                        DateEdits{m_ui->edt_302_y, m_ui->edt_302_m, m_ui->edt_302_d}.storedText());
        for (const Memo& memo : memos()) {
            // Tabs separate the exchange files' columns, so none is stored.
            const QString text = ReplaceTabs(memo.memo->toPlainText());
            if (text != memo.memo->toPlainText()) {
                memo.memo->setPlainText(text);
            }
            record.setValue(QString::fromLatin1(memo.field), text);
        }
        record.post();
    } catch (const EngineError& e) {
        // Nothing is half-written: the record keeps its stored values and the page its input.
        if (record.state() == engine::Dataset::State::Edit) {
            record.cancel();
        }
        setButtonsEnabled(true);
        showEngineError(e.message());
        return false;
    }
    setButtonsEnabled(true);
    ShowWarning(this, QStringLiteral("储存成功！"));
    markDone(QStringLiteral("09"));
    return true;
}

void TFpage9::BtnSaveClick() {
    store();
}

bool TFpage9::differsFromRecord() {
    if (m_ui->Edt_301->text().trimmed() != recordValue("ITEM_301").trimmed()) {
        return true;
    }
    for (const Memo& memo : memos()) {
        if (comparable(memo.memo->toPlainText()) != comparable(recordValue(memo.field))) {
            return true;
        }
    }
    return false;
}

void TFpage9::BtnQuitClick() {
    if (leave() == Leave::Stay) {
        return;
    }
    m_main.MarkIncompletePages();
    m_main.ApplyCompleteness();
    done(QDialog::Accepted);
}

void TFpage9::BtnHelpClick() {
    // Only the applied-technology certificate has filling instructions.
    if (core::isAppliedTechnology(recordValue("ITEM_CGLB"))) {
        showHelp(QStringLiteral("THelpPjzs"));
    }
}

} // namespace tamsel::entry
