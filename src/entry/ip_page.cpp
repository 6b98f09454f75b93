// TFpage2: intellectual property and application of an applied-technology achievement.
#include "entry/ip_page.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "engine/gbk.h"
#include "entry/patent_list.h"
#include "entry/patents_page.h"
#include "platform/placement.h"
#include "platform/prompt.h"

#include "ui_ip_page.h"

#include <QRadioButton>

namespace tamsel::entry {

using core::acceptDigitsOnly;
using core::checkAmountText;
using core::CheckCodes;
using core::ClearChoiceButtons;
using core::CollectCodes;
using core::FillCodeList;
using core::makeSingleChoice;
using core::SelectCode;
using core::ShowWarning;
using core::UncheckOthers;
using engine::EngineError;

namespace {

// Fields compared with the record on leaving, in the order the page writes them.
const QStringList& comparedFields() {
    static const QStringList fields{
        QStringLiteral("ITEM_51"),   QStringLiteral("ITEM_32"),    QStringLiteral("ITEM_46"),
        QStringLiteral("ITEM_47"),   QStringLiteral("ITEM_51_2"),  QStringLiteral("ITEM_51_3"),
        QStringLiteral("ITEM_52"),   QStringLiteral("ITEM_53"),    QStringLiteral("ITEM_45"),
        QStringLiteral("ITEM_150"),  QStringLiteral("ITEM_151_1"), QStringLiteral("ITEM_152_1"),
        QStringLiteral("ITEM_153"),  QStringLiteral("ITEM_154"),   QStringLiteral("ITEM_161"),
        QStringLiteral("ITEM_32_1"), QStringLiteral("ITEM_160")};
    return fields;
}

// Numbers compare by value, so "5" typed and "5.0" stored are the same.
bool sameValue(const QString& page, const QString& stored) {
    const QString a = page.trimmed();
    const QString b = stored.trimmed();
    if (a == b) {
        return true;
    }
    bool okA = false;
    bool okB = false;
    const double x = a.toDouble(&okA);
    const double y = b.toDouble(&okB);
    return okA && okB && x == y;
}

// A count edit read as a number; an empty edit counts none.
int countOf(const QLineEdit* edit) {
    return edit->text().trimmed().toInt();
}

void uncheckRadio(QAbstractButton* button) {
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(exclusive);
}

} // namespace

TFpage2::TFpage2(core::TDM& dm, core::TMainForm& mainForm, TFpage6* patents, QWidget* parent)
    : EntryPage(dm, mainForm, parent), m_ui(std::make_unique<Ui::TFpage2>()), m_patents(patents) {
    m_ui->setupUi(this);
    m_ui->btnSave02->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("TFpage2"));
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);
    if (!m_patents) {
        m_ownPatents = std::make_unique<TFpage6>(dm, mainForm, nullptr, this);
        m_patents = m_ownPatents.get();
    }
    m_patents->RefreshIpControls = [this] { RefreshIpControls(); };
    m_patents->ShowPatentCounts = [this](int applied, int granted) { ShowPatentCounts(applied, granted); };

    // The summary edits are kept for storing only.
    m_ui->edt_51_1->setVisible(false);
    m_ui->patent_ty->setVisible(false);
    m_ui->edt_51_1->setAccessibleName(QStringLiteral("专利汇总"));
    m_ui->patent_ty->setAccessibleName(QStringLiteral("专利类型"));
    m_ui->pl51->setAccessibleName(m_ui->Label51->text());
    m_ui->pl_161->setAccessibleName(m_ui->Label161->text());
    m_ui->pl_32_1->setAccessibleName(m_ui->Label32_1->text());
    m_ui->Pl_160->setAccessibleName(QStringLiteral("未应用或停用原因细类"));
    for (QLineEdit* edit : {m_ui->Edt_150, m_ui->Edt_162, m_ui->Edt_151_1, m_ui->Edt_152_1, m_ui->Edt_153,
                            m_ui->Edt_154, m_ui->Edt_45}) {
        acceptDigitsOnly(edit);
        edit->setMaximumWidth(120);
    }
    for (QLineEdit* edit : amountEdits()) {
        connect(edit, &QLineEdit::textChanged, this,
                [this, edit](const QString& text) { checkAmountText(edit, text); });
    }
    m_ui->edt_51_2->setMaximumWidth(120);
    m_ui->edt_51_3->setMaximumWidth(120);
    m_ui->Edt_53->setMaximumWidth(120);
    // Short edits sit at the start of their column, as on the paper form.
    for (QLineEdit* edit : {m_ui->Edt_45, m_ui->Edt_150, m_ui->Edt_162, m_ui->Edt_152_1, m_ui->Edt_153,
                            m_ui->Edt_154, m_ui->edt_51_2, m_ui->Edt_53}) {
        m_ui->appGrid->setAlignment(edit, Qt::AlignLeft | Qt::AlignVCenter);
        m_ui->ipGrid->setAlignment(edit, Qt::AlignLeft | Qt::AlignVCenter);
    }

    // A reason detail decides its group: the group box follows the chosen detail.
    makeSingleChoice(m_ui->pl_32_1);
    for (QAbstractButton* detail : detailButtons()) {
        connect(detail, &QAbstractButton::toggled, this, [this, detail](bool on) {
            if (!on) {
                return;
            }
            const QString box = QStringLiteral("cb_32_1_") + detail->objectName().right(2).left(1);
            if (auto* group = m_ui->pl_32_1->findChild<QAbstractButton*>(box)) {
                group->setChecked(true);
                UncheckOthers(m_ui->pl_32_1, box);
            }
        });
    }

    connect(m_ui->cb_51_1, &QCheckBox::clicked, this, &TFpage2::cb_51_1Click);
    connect(m_ui->cb_51_3, &QCheckBox::clicked, this, &TFpage2::cb_51_3Click);
    connect(m_ui->CB_32, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_loading) {
            CB_32Change();
        }
    });
    connect(m_ui->btnSave02, &QPushButton::clicked, this, &TFpage2::btnSave02Click);
    connect(m_ui->quit02, &QPushButton::clicked, this, &TFpage2::quit02Click);
    connect(m_ui->btnHelp02, &QPushButton::clicked, this, &TFpage2::btnHelp02Click);
    connect(m_ui->btnPatent, &QPushButton::clicked, this, &TFpage2::btnPatentClick);
    core::nameControlsByLabels(this);
}

TFpage2::~TFpage2() = default;

QList<QAbstractButton*> TFpage2::detailButtons() const {
    QList<QAbstractButton*> buttons;
    const auto radios = m_ui->Pl_160->findChildren<QRadioButton*>();
    for (QRadioButton* radio : radios) {
        buttons.append(radio);
    }
    return buttons;
}

QList<QLineEdit*> TFpage2::amountEdits() const {
    return {m_ui->Edt_150, m_ui->Edt_151_1, m_ui->Edt_152_1, m_ui->Edt_153, m_ui->Edt_154, m_ui->Edt_162};
}

// --- Patent summary ------------------------------------------------------------------------------------

void TFpage2::RefreshIpControls() {
    const bool patent = m_ui->cb_51_1->isChecked();
    const bool software = m_ui->cb_51_3->isChecked();
    const bool hasRecord = !m_main.isListEmpty();
    auto showSoftware = [this](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(m_ui->lbl_52), static_cast<QWidget*>(m_ui->lbl_53),
                           static_cast<QWidget*>(m_ui->Edt_52), static_cast<QWidget*>(m_ui->Edt_53)}) {
            w->setVisible(on);
        }
    };
    // A software right being typed is kept through a refresh (returning from the patents list,
    // clicking 专利); the stored one is shown when the edits are empty.
    auto refillSoftware = [this] {
        if (!m_ui->Edt_52->text().isEmpty() || !m_ui->Edt_53->text().isEmpty()) {
            return;
        }
        m_ui->Edt_52->setText(m_main.currentValue(QStringLiteral("ITEM_52")));
        m_ui->Edt_53->setText(m_main.currentValue(QStringLiteral("ITEM_53")));
    };
    auto showPatent = [this](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(m_ui->lbl_51_2), static_cast<QWidget*>(m_ui->lbl_51_3),
                           static_cast<QWidget*>(m_ui->edt_51_2), static_cast<QWidget*>(m_ui->edt_51_3),
                           static_cast<QWidget*>(m_ui->btnPatent)}) {
            w->setVisible(on);
        }
    };
    auto clearPatent = [this] {
        m_ui->edt_51_2->clear();
        m_ui->edt_51_3->clear();
        m_ui->patent_ty->clear();
        m_ui->edt_51_1->clear();
    };

    try {
        if (patent) {
            PatentCounts counts;
            if (hasRecord) {
                filterPatentsToCurrent(m_dm, m_main);
                counts = countPatents(m_dm.tblzlqk);
            }
            m_ui->patent_ty->setText(counts.typeCodes());
            m_ui->edt_51_1->setText(counts.summary());
            showPatent(true);
            m_ui->edt_51_2->setText(QString::number(counts.applied));
            m_ui->edt_51_3->setText(QString::number(counts.granted));
            if (software) {
                showSoftware(true);
                refillSoftware();
            } else {
                showSoftware(false);
                m_ui->Edt_52->clear();
                m_ui->Edt_53->clear();
            }
        } else if (software) {
            if (hasRecord) {
                filterPatentsToCurrent(m_dm, m_main);
            }
            showSoftware(true);
            refillSoftware();
            clearPatent();
        } else if (m_ui->cb_51_9->isChecked()) {
            showSoftware(false);
            m_ui->Edt_52->clear();
            m_ui->Edt_53->clear();
            showPatent(false);
            clearPatent();
        }
    } catch (const EngineError& e) {
        showEngineError(e.message());
    }
    if (!patent) {
        showPatent(false);
        // Without patents the counts of earlier patents must not be stored again.
        clearPatent();
    }
    if (!software) {
        showSoftware(false);
        // Likewise a software right no longer claimed is not stored.
        m_ui->Edt_52->clear();
        m_ui->Edt_53->clear();
    }
}

void TFpage2::ShowPatentCounts(int applied, int granted) {
    m_ui->edt_51_2->setText(QString::number(applied));
    m_ui->edt_51_3->setText(QString::number(granted));
}

void TFpage2::cb_51_1Click() {
    RefreshIpControls();
}

void TFpage2::cb_51_3Click() {
    RefreshIpControls();
}

void TFpage2::btnPatentClick() {
    if (m_main.isListEmpty()) {
        return;
    }
    try {
        filterPatentsToCurrent(m_dm, m_main);
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return;
    }
    m_patents->setWindowTitle(QStringLiteral("成果名称：") + m_main.currentValue(QStringLiteral("ITEM_3")));
    m_patents->Execute();
}

// --- Application status ---------------------------------------------------------------------------------

void TFpage2::applyStatus(bool onChange) {
    const QString status = m_ui->CB_32->currentText();
    if (status.contains(QStringLiteral("稳定"))) {
        for (int group = 1; group <= 5; ++group) {
            if (auto* box = m_ui->pl_32_1->findChild<QAbstractButton*>(QStringLiteral("cb_32_1_") +
                                                                       QString::number(group))) {
                box->setChecked(false);
                box->setEnabled(false);
            }
        }
        for (QAbstractButton* detail : detailButtons()) {
            uncheckRadio(detail);
            detail->setEnabled(false);
        }
    } else {
        for (QAbstractButton* detail : detailButtons()) {
            detail->setEnabled(true);
        }
    }

    QList<QLineEdit*> benefits{m_ui->Edt_45,    m_ui->Edt_150, m_ui->Edt_151_1,
                               m_ui->Edt_152_1, m_ui->Edt_153, m_ui->Edt_154};
    if (status.contains(QStringLiteral("未应用"))) {
        if (onChange) {
            benefits.append(m_ui->Edt_162);
        }
        for (QLineEdit* edit : benefits) {
            edit->clear();
            edit->setEnabled(false);
        }
    } else {
        benefits.append(m_ui->Edt_162);
        for (QLineEdit* edit : benefits) {
            edit->setEnabled(true);
        }
    }
}

void TFpage2::CB_32Change() {
    applyStatus(true);
}

// --- Loading and showing --------------------------------------------------------------------------------

bool TFpage2::LoadFromRecord() {
    core::limitToFields(this, m_dm.Qrypelk);
    m_loading = true;
    auto value = [this](const char* field) { return m_main.currentValue(QString::fromLatin1(field)); };
    try {
        ClearChoiceButtons(this);
        CheckCodes(this, m_ui->pl51, 1, value("ITEM_51"));
        RefreshIpControls();
        FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_32"), true, m_ui->CB_32);
        SelectCode(value("ITEM_32"), m_ui->CB_32);
        CheckCodes(this, m_ui->pl_161, 1, value("ITEM_161"));
        FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_46"), false, m_ui->cb_46);
        SelectCode(value("ITEM_46"), m_ui->cb_46);
        FillCodeList(m_dm.Tblzdxx, QStringLiteral("item_47"), false, m_ui->cb_47);
        SelectCode(value("ITEM_47"), m_ui->cb_47);
        CheckCodes(this, m_ui->pl_32_1, 1, value("ITEM_32_1"));
        CheckCodes(this, m_ui->Pl_160, 2, value("ITEM_160"));

        m_ui->edt_51_2->setText(value("ITEM_51_2"));
        m_ui->edt_51_3->setText(value("ITEM_51_3"));
        m_ui->Edt_45->setText(value("ITEM_45"));
        m_ui->Edt_150->setText(value("ITEM_150"));
        m_ui->Edt_53->setText(value("ITEM_53"));
        m_ui->Edt_52->setText(value("ITEM_52"));
        m_ui->Edt_151_1->setText(value("ITEM_151_1"));
        m_ui->Edt_152_1->setText(value("ITEM_152_1"));
        m_ui->Edt_153->setText(value("ITEM_153"));
        m_ui->Edt_154->setText(value("ITEM_154"));
        m_ui->Edt_162->setText(value("ITEM_162"));
        setWindowTitle(QStringLiteral("成果名称：") + value("ITEM_3"));
    } catch (const EngineError& e) {
        m_loading = false;
        ShowWarning(this, QStringLiteral("读入数据时出错:") + e.message());
        return false;
    }
    m_loading = false;
    return true;
}

int TFpage2::Execute() {
    if (!LoadFromRecord()) {
        return QDialog::Rejected;
    }
    FormShow();
    return platform::showModal(this);
}

void TFpage2::FormShow() {
    placePage();
    applyStatus(false);
}

void TFpage2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    resize(core::kPageWidth, core::kPageHeight);
}

void TFpage2::done(int result) {
    QDialog::done(result);
    FormClose();
}

void TFpage2::FormClose() {
    m_main.MarkIncompletePages();
    m_main.ApplyCompleteness();
}

// --- Checks and storing ---------------------------------------------------------------------------------

bool TFpage2::validate() {
    const QString status = m_ui->CB_32->currentText();
    if (status.trimmed().isEmpty()) {
        ShowWarning(this, QStringLiteral("\"应用状态\"不能为空！"));
        return false;
    }
    QString reason;
    if (!CollectCodes(this, m_ui->pl_32_1, reason, QStringLiteral("未应用或停用原因"), 1)) {
        return false;
    }
    if (!status.contains(QStringLiteral("稳定应用")) && reason.isEmpty()) {
        ShowWarning(this, QStringLiteral("非\"稳定应用\"的项目，其\"未应用或停用原因\"必须说明！"));
        return false;
    }
    QString promotion;
    if (!CollectCodes(this, m_ui->pl_161, promotion, QStringLiteral("推广形式"), 1)) {
        return false;
    }
    if (promotion.isEmpty()) {
        ShowWarning(this, QStringLiteral("\"推广形式\"必须选择！"));
        return false;
    }
    if (m_ui->cb_51_1->isChecked() && countOf(m_ui->edt_51_2) == 0 && countOf(m_ui->edt_51_3) == 0) {
        ShowWarning(this, QStringLiteral("请填写专利情况！"));
        return false;
    }
    return true;
}

bool TFpage2::pageValues(QHash<QString, QString>& values) {
    QString forms;
    QString promotion;
    if (!CollectCodes(this, m_ui->pl51, forms, QStringLiteral("知识产权形式"), 1) ||
        !CollectCodes(this, m_ui->pl_161, promotion, QStringLiteral("推广形式"), 1)) {
        return false;
    }
    values.insert(QStringLiteral("ITEM_51_2"), m_ui->edt_51_2->text());
    values.insert(QStringLiteral("ITEM_51_3"), m_ui->edt_51_3->text());
    values.insert(QStringLiteral("ITEM_45"), m_ui->Edt_45->text());
    values.insert(QStringLiteral("ITEM_150"), m_ui->Edt_150->text());
    values.insert(QStringLiteral("ITEM_53"), m_ui->Edt_53->text());
    values.insert(QStringLiteral("ITEM_52"), m_ui->Edt_52->text());
    values.insert(QStringLiteral("ITEM_151_1"), m_ui->Edt_151_1->text());
    values.insert(QStringLiteral("ITEM_152_1"), m_ui->Edt_152_1->text());
    values.insert(QStringLiteral("ITEM_153"), m_ui->Edt_153->text());
    values.insert(QStringLiteral("ITEM_154"), m_ui->Edt_154->text());
    values.insert(QStringLiteral("ITEM_162"), m_ui->Edt_162->text());
    values.insert(QStringLiteral("ITEM_51"), forms);
    const QString status = m_ui->CB_32->currentText();
    values.insert(QStringLiteral("ITEM_32"), engine::gbkLeft(status, 3).trimmed());
    values.insert(QStringLiteral("ITEM_161"), promotion);
    values.insert(QStringLiteral("ITEM_46"), engine::gbkLeft(m_ui->cb_46->currentText(), 2));
    values.insert(QStringLiteral("ITEM_47"), engine::gbkLeft(m_ui->cb_47->currentText(), 2));
    if (m_ui->cb_51_1->isChecked()) {
        values.insert(QStringLiteral("ITEM_51_1"), m_ui->edt_51_1->text().trimmed());
        values.insert(QStringLiteral("patent_ty"), m_ui->patent_ty->text().trimmed());
    } else {
        values.insert(QStringLiteral("ITEM_51_1"), QString());
        values.insert(QStringLiteral("patent_ty"), QString());
    }
    QString reason;
    QString detail;
    if (!status.startsWith(QLatin1Char('1'))) {
        if (!CollectCodes(this, m_ui->pl_32_1, reason, QStringLiteral("未应用或停用原因"), 1) ||
            !CollectCodes(this, m_ui->Pl_160, detail, QStringLiteral("未应用或停用原因细类"), 2)) {
            return false;
        }
    }
    values.insert(QStringLiteral("ITEM_32_1"), reason);
    values.insert(QStringLiteral("ITEM_160"), detail);
    return true;
}

void TFpage2::deletePatents() {
    filterPatentsToCurrent(m_dm, m_main);
    engine::Table& patents = m_dm.tblzlqk;
    while (!patents.isEmpty()) {
        patents.first();
        patents.deleteRecord();
    }
}

bool TFpage2::store() {
    if (!validate()) {
        return false;
    }
    QHash<QString, QString> values;
    if (!pageValues(values)) {
        return false;
    }
    engine::Query& record = m_dm.Qrypelk;
    if (m_main.isListEmpty()) {
        return false;
    }
    try {
        record.edit();
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            record.setValue(it.key(), it.value());
        }
        record.post();
    } catch (const EngineError& e) {
        if (record.state() == engine::Dataset::State::Edit) {
            record.cancel();
        }
        showEngineError(e.message());
        return false;
    }
    // Patents go only once the record no longer claims them, so a refused save keeps them.
    if (!m_ui->cb_51_1->isChecked()) {
        try {
            deletePatents();
        } catch (const EngineError& e) {
            showEngineError(e.message());
            return false;
        }
    }
    ShowWarning(this, QStringLiteral("储存成功！"));
    markDone(QStringLiteral("02"));
    return true;
}

void TFpage2::btnSave02Click() {
    store();
}

bool TFpage2::differsFromRecord() {
    QHash<QString, QString> values;
    if (!pageValues(values)) {
        return true;
    }
    for (const QString& field : comparedFields()) {
        if (!sameValue(values.value(field), m_main.currentValue(field))) {
            return true;
        }
    }
    return false;
}

void TFpage2::quit02Click() {
    if (leave() == Leave::Stay) {
        return;
    }
    done(QDialog::Accepted);
}

void TFpage2::btnHelp02Click() {
    if (core::isAppliedTechnology(m_main.currentValue(QStringLiteral("ITEM_CGLB")))) {
        showHelp(QStringLiteral("THelpZscq"));
    }
}

} // namespace tamsel::entry
