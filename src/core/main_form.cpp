// TMainForm, the main window: the achievement list of one category and year, the page and
// action buttons and the completeness lock.
#include "core/main_form.h"

#include "core/accessibility.h"
#include "core/achievement_grid_model.h"
#include "core/achievements.h"
#include "core/data_module.h"
#include "core/keyboard.h"
#include "core/page_helpers.h"
#include "core/query_builder.h"
#include "engine/error.h"
#include "platform/prompt.h"
#include "ui_main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QShowEvent>
#include <QTimer>

namespace tamsel::core {

using engine::EngineError;
using platform::Icon;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 570;

const char* const kPageDoneProperty = "pageDone";

// Busy cursor for the duration of a long step.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QIcon makeGlyph(bool done) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (done) {
        QPen pen(QColor(0x00, 0x80, 0x00), 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        QPainterPath tick;
        tick.moveTo(6, 17);
        tick.lineTo(13, 24);
        tick.lineTo(26, 8);
        painter.drawPath(tick);
    } else {
        QFont font;
        font.setPixelSize(28);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(QColor(0xC0, 0x00, 0x00));
        painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("?"));
    }
    painter.end();
    return QIcon(pixmap);
}

const QIcon& pageGlyph(bool done) {
    static const QIcon doneGlyph = makeGlyph(true);
    static const QIcon openGlyph = makeGlyph(false);
    return done ? doneGlyph : openGlyph;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::TMainForm>()) {
    m_ui->setupUi(this);
    keyboard::prepare(this);
    setupControls();
    connectHandlers();
    new QueryBuilder(*this); // a child of the window, wired to the lower panel
    FormCreate();
    nameControlsByLabels(this);
}

TMainForm::TMainForm(TDM* dm, QWidget* parent) : TMainForm(parent) {
    setDataModule(dm);
}

TMainForm::~TMainForm() = default;

void TMainForm::setDataModule(TDM* dm) {
    if (m_dm) {
        disconnect(&m_dm->Qrypelk, nullptr, this, nullptr);
    }
    m_dm = dm;
    m_gridModel->setDataset(m_dm ? &m_dm->Qrypelk : nullptr);
    if (m_dm) {
        connect(&m_dm->Qrypelk, &engine::Dataset::currentChanged, this, &TMainForm::syncGridToDataset);
    }
}

void TMainForm::setWelcomeWindow(QWidget* welcome) {
    m_welcome = welcome;
}

void TMainForm::setupControls() {
    QFont font = this->font();
    // A Song-style face where the system has one, else the installed CJK sans.
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Serif CJK SC")});
    font.setPixelSize(12);
    setFont(font);

    m_gridModel = new PelkGridModel(this);
    m_gridModel->setColumns({{QStringLiteral("NO"), QStringLiteral("序号")},
                             {QStringLiteral("ITEM_120"), QStringLiteral("批准登记号")},
                             {QStringLiteral("ITEM_3"), QStringLiteral("成果名称")},
                             {QStringLiteral("ITEM_9"), QStringLiteral("成果完成单位")}});
    QTableView* grid = m_ui->DBGrid1;
    grid->setModel(m_gridModel);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setColumnWidth(0, 48);
    grid->setColumnWidth(1, 106);
    grid->setColumnWidth(2, 260);
    grid->setTextElideMode(Qt::ElideRight);

    for (QPushButton* button : pageButtons()) {
        setPageDone(button, true);
        button->setIconSize(QSize(14, 14));
    }
    for (QWidget* button : {static_cast<QWidget*>(m_ui->Button1), static_cast<QWidget*>(m_ui->Button5),
                            static_cast<QWidget*>(m_ui->Button4), static_cast<QWidget*>(m_ui->BitBtn1),
                            static_cast<QWidget*>(m_ui->BitBtn2), static_cast<QWidget*>(m_ui->BitBtn4),
                            static_cast<QWidget*>(m_ui->BitBtn3), static_cast<QWidget*>(m_ui->Button2),
                            static_cast<QWidget*>(m_ui->BitBtn7)}) {
        button->setMinimumWidth(92);
    }
    // A typed year is a filter, not a new entry, and is taken as typed (no inline completion).
    m_ui->cbYear->setInsertPolicy(QComboBox::NoInsert);
    m_ui->cbYear->setCompleter(nullptr);
    m_ui->MMSysV->setFixedHeight(68);
    m_ui->Edit2->hide();
    m_ui->ComboBox5->hide();
    m_ui->ComboBox6->hide();
    m_ui->ComboBox4->setCurrentIndex(0);
    m_ui->ComboBox1->setCurrentIndex(0);
}

void TMainForm::connectHandlers() {
    connect(m_ui->ComboBox1, &QComboBox::activated, this, &TMainForm::ComboBox1Change);
    connect(m_ui->cbYear, &QComboBox::activated, this, &TMainForm::ComboBox1Change);
    connect(m_ui->cbYear->lineEdit(), &QLineEdit::textEdited, this, &TMainForm::ComboBox1Change);

    connect(m_ui->btn_page01, &QPushButton::clicked, this, &TMainForm::btn_page01Click);
    connect(m_ui->btn_page02, &QPushButton::clicked, this, &TMainForm::btn_page02Click);
    connect(m_ui->btn_page03, &QPushButton::clicked, this, &TMainForm::btn_page03Click);
    connect(m_ui->btn_page04, &QPushButton::clicked, this, &TMainForm::btn_page04Click);
    connect(m_ui->btn_page05, &QPushButton::clicked, this, &TMainForm::btn_page05Click);
    connect(m_ui->btn_page07, &QPushButton::clicked, this, &TMainForm::btn_page07Click);
    connect(m_ui->btn_page08, &QPushButton::clicked, this, &TMainForm::btn_page08Click);
    connect(m_ui->btn_page09, &QPushButton::clicked, this, &TMainForm::btn_page09Click);

    connect(m_ui->Button1, &QPushButton::clicked, this, &TMainForm::Button6Click);
    connect(m_ui->Button5, &QPushButton::clicked, this, &TMainForm::Button3Click);
    connect(m_ui->Button4, &QPushButton::clicked, this, &TMainForm::Button4Click);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TMainForm::BitBtn2Click);
    connect(m_ui->BitBtn4, &QPushButton::clicked, this, &TMainForm::BitBtn4Click);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &TMainForm::BitBtn3Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(m_ui->BitBtn7, &QPushButton::clicked, this, &TMainForm::BitBtn7Click);

    connect(m_ui->DBGrid1, &QTableView::clicked, this, &TMainForm::DBGrid1CellClick);
    connect(m_ui->DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { onGridRowChanged(current.isValid() ? current.row() : -1); });
    connect(m_gridModel, &QAbstractItemModel::modelReset, this, &TMainForm::syncGridToDataset);

    connect(m_ui->ComboBox2, &QComboBox::activated, this, &TMainForm::ComboBox2Change);
}

// --- Life of the window ------------------------------------------------------------------------------

void TMainForm::FormCreate() {
    setFixedSize(kWidth, kHeight);
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_formShown && !m_showScheduled) {
        m_showScheduled = true;
        // After the window is on screen, so the welcome window can show modally above it.
        QTimer::singleShot(0, this, [this] {
            if (!m_formShown) {
                FormShow();
            }
        });
    }
}

void TMainForm::FormShow() {
    m_formShown = true;
    if (m_welcome) {
        platform::showModal(m_welcome);
    }
    if (!m_dm) {
        return;
    }
    // A first start demands the unit profile before anything else.
    if (!unitProfileExists() && Hooks.unitProfile) {
        Hooks.unitProfile();
    }

    m_ui->Edit2->hide();
    m_ui->ComboBox5->hide();
    m_ui->ComboBox6->hide();
    FillFieldValues(m_dm->tblzdxx1, m_ui->ComboBox2, QStringLiteral("Name"));
    if (m_ui->ComboBox2->count() > 0) {
        m_ui->ComboBox2->setCurrentIndex(0);
        ComboBox2Change();
        if (m_ui->Combobox3->count() > 0) {
            m_ui->Combobox3->setCurrentIndex(0);
        }
    }
    m_ui->ComboBox4->setCurrentIndex(m_ui->ComboBox4->findText(QStringLiteral("包含")));

    // A list that failed at start has been reported there; it is not tried again.
    const bool listOpened = m_dm->isOpen(QStringLiteral("Qrypelk"));
    if (listOpened) {
        BusyCursor busy;
        try {
            m_dm->OpenQueryText(m_dm->tempquery,
                                QStringLiteral("select item_4 from pelk order by item_4 desc"));
            FillYearList(m_dm->tempquery);
        } catch (const EngineError& e) {
            showEngineError(e.message());
        }
    }
    if (m_ui->cbYear->count() == 0) {
        m_ui->cbYear->addItem(QDate::currentDate().toString(QStringLiteral("yyyy")));
    }
    m_ui->ComboBox1->setCurrentIndex(0);
    m_ui->cbYear->setCurrentIndex(0);

    enableCommands();
    if (listOpened) {
        LoadAchievementList();
    }
}

bool TMainForm::enableCommands() {
    const bool listOpened = m_dm && m_dm->isOpen(QStringLiteral("Qrypelk"));
    const bool enabled = listOpened && unitProfileExists();
    for (QPushButton* button : pageButtons()) {
        button->setEnabled(enabled);
    }
    for (QWidget* control : {static_cast<QWidget*>(m_ui->Button1), static_cast<QWidget*>(m_ui->Button5),
                             static_cast<QWidget*>(m_ui->BitBtn2), static_cast<QWidget*>(m_ui->BitBtn3),
                             static_cast<QWidget*>(m_ui->BitBtn4), static_cast<QWidget*>(m_ui->ComboBox1),
                             static_cast<QWidget*>(m_ui->cbYear), static_cast<QWidget*>(m_ui->DBGrid1)}) {
        control->setEnabled(enabled);
    }
    if (enabled) {
        m_ui->Button4->setEnabled(true);
        m_ui->BitBtn1->setEnabled(true);
    }
    // Without the achievement table nothing that reads or writes it can work.
    if (!listOpened) {
        for (QWidget* control :
             {static_cast<QWidget*>(m_ui->Button4), static_cast<QWidget*>(m_ui->BitBtn1),
              static_cast<QWidget*>(m_ui->SpeedButton16), static_cast<QWidget*>(m_ui->SpeedButton24),
              static_cast<QWidget*>(m_ui->SpeedButton26)}) {
            control->setEnabled(false);
        }
    }
    return enabled;
}

void TMainForm::FormResize() {
    if (size() != QSize(kWidth, kHeight)) {
        resize(kWidth, kHeight);
    }
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (m_welcome) {
        m_welcome->close();
    }
    event->accept();
}

// --- Achievement list --------------------------------------------------------------------------------

int TMainForm::listCategory() const {
    return std::max(m_ui->ComboBox1->currentIndex(), 0);
}

QString TMainForm::listYear() const {
    return m_ui->cbYear->currentText();
}

void TMainForm::selectListCategory(int category) {
    if (category != m_ui->ComboBox1->currentIndex()) {
        m_ui->ComboBox1->setCurrentIndex(category);
        LoadAchievementList();
    }
}

void TMainForm::selectListYear(const QString& year) {
    const int index = m_ui->cbYear->findText(year, Qt::MatchExactly);
    if (index >= 0) {
        m_ui->cbYear->setCurrentIndex(index);
    }
}

bool TMainForm::isListEmpty() const {
    return !m_dm || !m_dm->Qrypelk.isActive() || m_dm->Qrypelk.isEmpty();
}

QString TMainForm::currentValue(const QString& field) const {
    if (isListEmpty()) {
        return {};
    }
    try {
        return m_dm->Qrypelk.asString(field).trimmed();
    } catch (const EngineError&) {
        return {};
    }
}

void TMainForm::ReopenQuery(engine::Query& query, const QString& text) {
    query.close();
    if (m_dm && query.folder().isEmpty()) {
        query.setFolder(m_dm->DataPath);
    }
    query.setSql(text);
    query.open();
}

void TMainForm::reopenChildQuery(engine::Query& query, const QString& table) {
    if (m_dm) {
        achievements().openChildQuery(query, table, Achievements::keyOf(m_dm->Qrypelk));
    }
}

Achievements TMainForm::achievements() const {
    return Achievements(*m_dm);
}

bool TMainForm::LoadAchievementList() {
    if (!loadList()) {
        return false;
    }
    // Every load numbers the list and evaluates the achievement that became current, so no
    // caller can leave duplicate numbers or an incomplete achievement unlocked behind. Without a
    // unit profile everything stays locked until the profile is stored.
    RenumberList();
    if (unitProfileExists()) {
        MarkIncompletePages();
        ApplyCompleteness();
    }
    return true;
}

bool TMainForm::loadList() {
    if (!m_dm) {
        return false;
    }
    BusyCursor busy;
    const QString year = m_ui->cbYear->currentText().left(4).trimmed();
    const int category = std::max(0, m_ui->ComboBox1->currentIndex());
    m_ui->btn_page02->setVisible(category == 0);
    // The year is typed text: it reaches the statement as a value. The parameters stay with the
    // query, so SavedListSql reopens the same list.
    engine::Query& list = m_dm->Qrypelk;
    list.close();
    list.clearParams();
    list.setParam(QStringLiteral("cglb"), QString::number(category + 1));
    list.setParam(QStringLiteral("year"), QString(year + QLatin1Char('%')));
    try {
        ReopenQuery(list, QStringLiteral("select * from pelk where item_cglb=:cglb and item_4 like :year"));
    } catch (const EngineError& e) {
        m_gridModel->reload();
        showEngineError(e.message());
        return false;
    }
    m_dm->SavedListSql = list.sql();
    m_gridModel->reload();
    return true;
}

void TMainForm::FillYearList(engine::Dataset& query) {
    QComboBox* years = m_ui->cbYear;
    const QSignalBlocker blocker(years);
    years->clear();
    QString previous;
    bool first = true;
    for (query.first(); !query.eof(); query.next()) {
        const QString year = query.asString(QStringLiteral("item_4")).trimmed().left(4);
        if (first || year != previous) {
            const bool digits = year.size() == 4 && std::all_of(year.cbegin(), year.cend(), [](QChar c) {
                                    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
                                });
            if (digits && years->findText(year) < 0) {
                years->addItem(year);
            }
        }
        previous = year;
        first = false;
    }
    if (years->count() == 0) {
        years->addItem(QDate::currentDate().toString(QStringLiteral("yyyy")));
    }
    years->setCurrentIndex(0);
}

void TMainForm::RenumberList() {
    if (!m_dm || !m_dm->Qrypelk.isActive()) {
        return;
    }
    BusyCursor busy;
    try {
        achievements().renumber(m_dm->Qrypelk);
    } catch (const EngineError& e) {
        m_gridModel->reload();
        showEngineError(e.message());
        return;
    }
    m_gridModel->reload();
}

void TMainForm::ComboBox1Change() {
    LoadAchievementList();
}

void TMainForm::syncGridToDataset() {
    if (!m_dm || m_dm->Qrypelk.controlsDisabled()) {
        return;
    }
    const int row = m_dm->Qrypelk.isActive() ? m_dm->Qrypelk.recNo() - 1 : -1;
    m_syncingGrid = true;
    QItemSelectionModel* selection = m_ui->DBGrid1->selectionModel();
    if (row >= 0 && row < m_gridModel->rowCount()) {
        const QModelIndex index = m_gridModel->index(row, 0);
        if (selection->currentIndex().row() != row) {
            selection->setCurrentIndex(index,
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        m_ui->DBGrid1->scrollTo(index);
    } else {
        selection->clear();
    }
    m_syncingGrid = false;
}

void TMainForm::onGridRowChanged(int row) {
    if (m_syncingGrid || !m_dm || row < 0 || !m_dm->Qrypelk.isActive()) {
        return;
    }
    engine::Query& list = m_dm->Qrypelk;
    if (list.recNo() == row + 1) {
        return;
    }
    try {
        list.setRecNo(row + 1);
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return;
    }
    // Moving with the keyboard reaches another achievement just as a click does.
    if (QGuiApplication::mouseButtons() == Qt::NoButton) {
        DBGrid1CellClick();
    }
}

void TMainForm::DBGrid1CellClick() {
    if (isListEmpty()) {
        return;
    }
    MarkIncompletePages();
    ApplyCompleteness();
    if (!m_ui->DBGrid1->isEnabled()) {
        platform::showMessage(this, QStringLiteral("提示信息"),
                              QStringLiteral("当前项目有未完成栏目，请您填写完毕!"), Icon::Information);
    }
}

// --- Completeness ------------------------------------------------------------------------------------

QPushButton* TMainForm::pageButton(const QString& code) const {
    return findChild<QPushButton*>(QStringLiteral("btn_page") + code);
}

QList<QPushButton*> TMainForm::pageButtons() const {
    return {m_ui->btn_page01, m_ui->btn_page02, m_ui->btn_page03, m_ui->btn_page04,
            m_ui->btn_page05, m_ui->btn_page07, m_ui->btn_page08, m_ui->btn_page09};
}

bool TMainForm::isPageDone(const QAbstractButton* button) {
    return button && button->property(kPageDoneProperty).toBool();
}

void TMainForm::setPageDone(QAbstractButton* button, bool done) {
    if (!button) {
        return;
    }
    button->setProperty(kPageDoneProperty, done);
    button->setIcon(pageGlyph(done));
    button->setAccessibleDescription(done ? QStringLiteral("已填写") : QStringLiteral("未填写完"));
}

void TMainForm::MarkIncompletePages() {
    for (QPushButton* button : pageButtons()) {
        setPageDone(button, true);
    }
    if (isListEmpty()) {
        return;
    }
    // The checkup rows follow the category list, which always matches the listed achievements.
    const PageCheck check =
        achievements().incompletePages(m_dm->Qrypelk, m_ui->ComboBox1->currentIndex() <= 0);
    for (const QString& code : check.openPages) {
        setPageDone(pageButton(code), false);
    }
    for (const QString& message : check.errors) {
        showEngineError(message);
    }
}

QList<QWidget*> TMainForm::lockedControls() const {
    return {m_ui->DBGrid1, m_ui->ComboBox1, m_ui->cbYear,  m_ui->SpeedButton16, m_ui->SpeedButton26,
            m_ui->Button1, m_ui->Button5,   m_ui->BitBtn1, m_ui->BitBtn2,       m_ui->BitBtn4};
}

void TMainForm::setListControlsEnabled(bool enabled) {
    for (QWidget* control : lockedControls()) {
        control->setEnabled(enabled);
    }
}

bool TMainForm::ApplyCompleteness() {
    const QStringList required = Achievements::requiredPages(currentValue(QStringLiteral("ITEM_CGLB")));
    const bool complete = std::all_of(required.cbegin(), required.cend(),
                                      [this](const QString& code) { return isPageDone(pageButton(code)); });
    setListControlsEnabled(complete);
    return complete;
}

bool TMainForm::FormCloseQuery() {
    struct Guard {
        const char* code;
        const char* message;
        bool appliedOnly;
    };
    static const Guard guards[] = {
        {"01", "成果概况没有填完,请继续填写完成该项目！", false},
        {"02", "知识产权，成果应用情况没有填完,请继续填写完成该项目！", true},
        {"03", "课题立项，评价没有填完,请继续填写完成该项目！", false},
        {"04", "第一完成单位情况没有填完,请继续填写完成该项目！", false},
        {"08", "成果完成人员名单没有填完,请继续填写完成该项目！", false},
    };
    for (const Guard& guard : guards) {
        if (isPageDone(pageButton(QString::fromLatin1(guard.code)))) {
            continue;
        }
        if (guard.appliedOnly && currentValue(QStringLiteral("ITEM_CGLB")) != QLatin1String("1")) {
            continue;
        }
        ShowWarning(QString::fromUtf8(guard.message));
        return false;
    }
    return true;
}

// --- Page and action buttons ---------------------------------------------------------------------------

bool TMainForm::preparePage() {
    // A list that could not be opened offers nothing, not even a new achievement.
    if (!m_dm || !m_dm->Qrypelk.isActive()) {
        return false;
    }
    if (isListEmpty()) {
        Button6Click();
        if (isListEmpty()) {
            return false;
        }
    }
    return true;
}

void TMainForm::openListPage(engine::Query& query, const QString& table, const std::function<void()>& page) {
    if (!preparePage()) {
        return;
    }
    try {
        reopenChildQuery(query, table);
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return;
    }
    if (page) {
        page();
    }
}

void TMainForm::btn_page01Click() {
    if (!preparePage()) {
        return;
    }
    if (Hooks.page01) {
        Hooks.page01();
    }
}

void TMainForm::btn_page02Click() {
    if (!preparePage()) {
        return;
    }
    if (Hooks.page02) {
        Hooks.page02();
    }
}

void TMainForm::btn_page03Click() {
    if (!preparePage()) {
        return;
    }
    if (Hooks.page03) {
        Hooks.page03();
    }
}

void TMainForm::btn_page04Click() {
    if (!preparePage()) {
        return;
    }
    if (Hooks.page04) {
        Hooks.page04();
    }
}

void TMainForm::btn_page05Click() {
    if (m_dm) {
        openListPage(m_dm->QryCgwcdw, QStringLiteral("cgwcdw"), Hooks.page05);
    }
}

void TMainForm::btn_page07Click() {
    if (m_dm) {
        openListPage(m_dm->QryJdwyhmd, QStringLiteral("jdwyhmd"), Hooks.page07);
    }
}

void TMainForm::btn_page08Click() {
    if (m_dm) {
        openListPage(m_dm->QryCgwcr, QStringLiteral("cgwcr"), Hooks.page08);
    }
}

void TMainForm::btn_page09Click() {
    if (!preparePage()) {
        return;
    }
    if (Hooks.page09) {
        Hooks.page09();
    }
}

// 新增, 修改主项 and 删除 are in lifecycle.cpp.

void TMainForm::BitBtn1Click() {
    if (Hooks.importDialog) {
        Hooks.importDialog();
    }
}

void TMainForm::BitBtn2Click() {
    if (Hooks.exportDialog) {
        Hooks.exportDialog();
    }
}

void TMainForm::BitBtn3Click() {
    if (Hooks.codeManage) {
        Hooks.codeManage();
    }
}

void TMainForm::Button2Click() {
    if (!Hooks.unitProfile) {
        return;
    }
    Hooks.unitProfile();
    if (!m_dm) {
        return;
    }
    // Storing the first profile unlocks the commands; the current achievement's lock still holds.
    if (enableCommands() && !isListEmpty()) {
        MarkIncompletePages();
        ApplyCompleteness();
    }
}

void TMainForm::BitBtn7Click() {
    close();
}

void TMainForm::BitBtn4Click() {
    if (!m_dm) {
        return;
    }
    engine::Query& list = m_dm->Qrypelk;
    try {
        achievements().normaliseIpForms(list);
    } catch (const EngineError& e) {
        platform::showBox(this, {QStringLiteral("提示"), e.message(), Icon::Warning, platform::Ok});
        return;
    }

    MarkIncompletePages();
    if (!ApplyCompleteness()) {
        return;
    }
    if (isListEmpty()) {
        return;
    }
    try {
        reopenChildQuery(m_dm->QryCgwcdw, QStringLiteral("cgwcdw"));
        reopenChildQuery(m_dm->QryJdwyhmd, QStringLiteral("jdwyhmd"));
        reopenChildQuery(m_dm->QryCgwcr, QStringLiteral("cgwcr"));
        achievements().writePatentSummary(list);
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return;
    }
    if (Hooks.printDialog) {
        Hooks.printDialog();
    }
}

// --- Query builder -------------------------------------------------------------------------------------

void TMainForm::ComboBox2Change() {
    if (!m_dm) {
        return;
    }
    m_ui->Edit2->clear();
    const int position = m_ui->ComboBox2->currentIndex();
    if (position < 0) {
        return;
    }
    enum class Mode { List, Text, Library, Discipline };
    Mode mode = Mode::Text;
    const QString itemText = m_ui->ComboBox2->currentText();
    try {
        engine::Table& items = m_dm->tblzdxx1;
        const QVariant record = m_ui->ComboBox2->currentData();
        items.setRecNo(record.isValid() ? record.toInt() : position + 1);
        const QString field = items.fieldCount() > 1 ? items.asString(1).trimmed() : QString();
        if (itemText.contains(QStringLiteral("隶属部委"))) {
            FillCodeNameList(m_dm->tblLsbw, m_ui->Combobox3, false, QStringLiteral("Bwdm"),
                             QStringLiteral("Bwmc"));
        } else {
            FillCodeListAll(m_dm->Tblzdxx, field.toLower(), false, m_ui->Combobox3);
        }
        if (m_ui->Combobox3->count() > 1) {
            mode = Mode::List;
        } else if (itemText.contains(QStringLiteral("单位所在省市"))) {
            mode = Mode::List;
            FillCodeNameList(m_dm->tblProvince, m_ui->Combobox3, true, QStringLiteral("Province_i"),
                             QStringLiteral("Province_n"));
        }
        if (m_dm->HasLibraryClass && itemText.contains(QStringLiteral("图分类号"))) {
            mode = Mode::Library;
        } else if (m_dm->HasDisciplineClass && itemText.contains(QStringLiteral("科分类号"))) {
            mode = Mode::Discipline;
        }
    } catch (const EngineError& e) {
        showEngineError(e.message());
    }
    m_ui->Combobox3->setVisible(mode == Mode::List);
    m_ui->Edit2->setVisible(mode != Mode::List);
    m_ui->Edit2->setReadOnly(mode == Mode::List);
    m_ui->ComboBox5->setVisible(mode == Mode::Library);
    m_ui->ComboBox6->setVisible(mode == Mode::Discipline);
}

// --- Helpers -------------------------------------------------------------------------------------------

void TMainForm::showEngineError(const QString& message) {
    platform::showBox(this, {QStringLiteral("提示"), message, Icon::Warning, platform::Ok});
}

bool TMainForm::unitProfileExists() const {
    if (!m_dm || !m_dm->isOpen(QStringLiteral("Tblunit")) || !m_dm->Tblunit.isActive()) {
        return false;
    }
    try {
        return m_dm->Tblunit.recordCount() > 0;
    } catch (const EngineError&) {
        return false;
    }
}

} // namespace tamsel::core
