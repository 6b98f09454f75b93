// TFormNew, the main-items dialog of 新增 and 修改主项.
#include "core/main_items_dialog.h"

#include "core/accessibility.h"
#include "core/achievements.h"
#include "core/data_module.h"
#include "core/keyboard.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "platform/prompt.h"
#include "ui_main_items_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace tamsel::core {

using platform::Icon;

namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2050;

} // namespace

QString TFormNew::createCaption() {
    return QStringLiteral("请填写新项目！");
}

QString TFormNew::changeCaption() {
    return QStringLiteral("修改主要项目！");
}

TFormNew::TFormNew(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TFormNew>()) {
    m_ui->setupUi(this);
    keyboard::prepare(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    setFixedSize(480, 288);
    m_ui->cbYear->setText(QString::number(kFirstYear));
    m_ui->cbYear->setMaximumWidth(64);
    m_ui->cbYear->installEventFilter(this);
    m_ui->UpDown1Up->setFixedSize(18, 11);
    m_ui->UpDown1Down->setFixedSize(18, 11);
    m_ui->ComboBox1->setCurrentIndex(0);
    connectHandlers();
    nameControlsByLabels(this);
}

TFormNew::~TFormNew() = default;

void TFormNew::setMainForm(TMainForm* main) {
    m_main = main;
}

TMainForm* TFormNew::mainForm() const {
    return m_main;
}

void TFormNew::connectHandlers() {
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFormNew::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFormNew::Button2Click);
    connect(m_ui->ComboBox1, &QComboBox::activated, this, &TFormNew::ComboBox1Change);
    connect(m_ui->cbYear, &QLineEdit::textEdited, this, &TFormNew::cbYearChange);
    // Leaving the box checks the year; hiding the window is no leaving.
    connect(m_ui->cbYear, &QLineEdit::editingFinished, this, [this] {
        if (isVisible()) {
            cbYearExit();
        }
    });
    connect(m_ui->edt_120, &QLineEdit::textEdited, this, &TFormNew::edt_120Change);
    connect(m_ui->edt_3, &QLineEdit::textEdited, this, &TFormNew::edt_3Change);
    connect(m_ui->edt_9, &QLineEdit::textEdited, this, &TFormNew::edt_9Change);
    connect(m_ui->UpDown1Up, &QToolButton::clicked, this, [this] { UpDown1Click(true); });
    connect(m_ui->UpDown1Down, &QToolButton::clicked, this, [this] { UpDown1Click(false); });
}

// --- Modes ----------------------------------------------------------------------------------------------

void TFormNew::prepareCreate(const QString& unitName) {
    setWindowTitle(createCaption());
    m_ui->edt_120->clear();
    m_ui->edt_3->clear();
    m_ui->edt_9->setText(unitName);
}

void TFormNew::prepareChange(const QString& category, const QString& number, const QString& registration,
                             const QString& name, const QString& unit) {
    int position = 0;
    if (category == QLatin1String("2")) {
        position = 1;
    } else if (category == QLatin1String("3")) {
        position = 2;
    }
    m_ui->ComboBox1->setCurrentIndex(position);
    setWindowTitle(changeCaption());
    m_ui->cbYear->setText(number.left(4));
    m_ui->edt_120->setText(registration);
    m_ui->edt_3->setText(name);
    m_ui->edt_9->setText(unit);
}

int TFormNew::showDialog() {
    FormShow();
    return platform::showModal(this);
}

bool TFormNew::isCreateMode() const {
    return windowTitle() == createCaption();
}

int TFormNew::category() const {
    return std::max(0, m_ui->ComboBox1->currentIndex());
}

QString TFormNew::yearText() const {
    return m_ui->cbYear->text();
}

QString TFormNew::registration() const {
    return m_ui->edt_120->text();
}

QString TFormNew::name() const {
    return m_ui->edt_3->text().trimmed();
}

QString TFormNew::unit() const {
    return m_ui->edt_9->text().trimmed();
}

std::optional<QString> TFormNew::RequireText(const QString& text, const QString& message) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        Clean = false;
        ShowWarning(message);
        return std::nullopt;
    }
    return trimmed;
}

// --- Handlers -------------------------------------------------------------------------------------------

void TFormNew::FormShow() {
    if (m_main) {
        if (isCreateMode()) {
            // The unit situation's own name, when it has one, is the likelier first completing unit.
            if (TDM* dm = m_main->dataModule(); dm && dm->Qrydwqk.isActive() && !dm->Qrydwqk.isEmpty()) {
                try {
                    dm->Qrydwqk.first();
                    const QString dwqkName = dm->Qrydwqk.asString(QStringLiteral("item_9")).trimmed();
                    if (!dwqkName.isEmpty()) {
                        m_ui->edt_9->setText(dwqkName);
                    }
                } catch (const engine::EngineError&) {
                    // No name to offer: the unit profile's stays.
                }
            }
            m_ui->ComboBox1->setCurrentIndex(m_main->listCategory());
            m_ui->cbYear->setText(m_main->listYear());
        }
        // In change mode the category and year stay those of the achievement: the main window's
        // year box may hold a partly typed year, which must not move the achievement.
    }
    m_ui->edt_3->setFocus();
    Clean = true;
}

void TFormNew::Button1Click() {
    if (!m_main) {
        return;
    }
    const QString name = this->name();
    const QString unit = this->unit();
    if (name.isEmpty() && unit.isEmpty() && registration().trimmed().isEmpty()) {
        closeDialog();
        return;
    }
    const QString year = yearText().trimmed();
    if (year.isEmpty()) {
        ShowWarning(QStringLiteral("年份不能为空！"));
        return;
    }
    // A partial or out-of-range year would number the achievement into another year.
    if (!isValidYear(year)) {
        ShowWarning(QStringLiteral("不能输入1900到2050外的年份！"));
        return;
    }
    if (name.isEmpty()) {
        ShowWarning(QStringLiteral("成果名称不能为空！"));
        return;
    }
    if (unit.isEmpty()) {
        ShowWarning(QStringLiteral("成果第一完成单位不能为空！"));
        return;
    }
    Clean = true;
    const bool stored = isCreateMode() ? m_main->storeNewAchievement(*this) : m_main->storeMainItems(*this);
    if (stored) {
        closeDialog();
    }
}

void TFormNew::Button2Click() {
    if (m_main && m_main->dataModule()) {
        TDM* dm = m_main->dataModule();
        dm->SavedListSql = dm->Qrypelk.sql();
    }
    if (Clean) {
        closeDialog();
        return;
    }
    const QString name = this->name();
    const QString unit = this->unit();
    if (name.isEmpty() && unit.isEmpty()) {
        Clean = true;
        closeDialog();
        return;
    }
    if (name.isEmpty()) {
        Button1Click();
        return;
    }
    if (!unit.isEmpty()) {
        const platform::Button answer =
            platform::showBox(this, {QStringLiteral("提示信息"), QStringLiteral("退出并储存？"),
                                     Icon::Information, platform::Ok | platform::Cancel});
        if (answer == platform::Ok) {
            Button1Click();
        } else {
            Clean = true;
        }
        closeDialog();
        return;
    }
    Button1Click();
}

void TFormNew::ComboBox1Change() {
    Clean = false;
    if (!m_main) {
        return;
    }
    m_main->selectListCategory(category());
}

void TFormNew::cbYearChange() {
    Clean = false;
    if (!m_ui->cbYear->text().isEmpty() && !allDigits(m_ui->cbYear->text())) {
        m_ui->cbYear->clear();
        ShowWarning(QStringLiteral("不能输入非数字的字符！"));
    }
    if (!m_main) {
        return;
    }
    m_main->selectListYear(m_ui->cbYear->text().trimmed());
}

void TFormNew::cbYearExit() {
    if (m_inYearExit) {
        return;
    }
    const QString year = m_ui->cbYear->text().trimmed();
    // An empty box is reported by 存储 ("年份不能为空！"); leaving it is allowed.
    if (year.isEmpty() || isValidYear(year)) {
        return;
    }
    m_inYearExit = true;
    m_ui->cbYear->clear();
    ShowWarning(QStringLiteral("不能输入1900到2050外的年份！"));
    m_ui->cbYear->setFocus();
    m_inYearExit = false;
}

void TFormNew::edt_120Change() {
    Clean = false;
}

void TFormNew::edt_3Change() {
    Clean = false;
}

void TFormNew::edt_9Change() {
    Clean = false;
}

void TFormNew::UpDown1Click(bool up) {
    const QString text = m_ui->cbYear->text().trimmed();
    int year = isValidYear(text) ? text.toInt() : kFirstYear;
    year = std::clamp(up ? year + 1 : year - 1, kFirstYear, kLastYear);
    m_ui->cbYear->setText(QString::number(year));
    cbYearChange();
}

// --- Closing --------------------------------------------------------------------------------------------

void TFormNew::closeDialog() {
    if (FormCloseQuery()) {
        done(QDialog::Accepted);
    }
}

void TFormNew::reject() {
    if (FormCloseQuery()) {
        QDialog::reject();
    }
}

void TFormNew::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool TFormNew::eventFilter(QObject* watched, QEvent* event) {
    // The arrow keys step the year as the up-down does.
    if (watched == m_ui->cbYear && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            UpDown1Click(key == Qt::Key_Up);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormNew::ShowWarning(const QString& text) {
    core::ShowWarning(m_main ? static_cast<QWidget*>(m_main) : this, text);
}

} // namespace tamsel::core
