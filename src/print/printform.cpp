// TPrintForm: the print dialog and its Word output.
#include "print/printform.h"

#include "core/data_module.h"
#include "engine/error.h"
#include "platform/opendocument.h"
#include "platform/prompt.h"
#include "print/docxdocument.h"
#include "print/wordoutput.h"
#include "ui_printform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <optional>

namespace tamsel::print {
namespace {

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

Record currentRecord(const engine::Dataset& rows) {
    Record record;
    const QStringList names = rows.fieldNames();
    for (int i = 0; i < names.size(); ++i) {
        record.insert(names.at(i).toLower(), rows.asString(i));
    }
    return record;
}

bool belongsTo(const engine::Dataset& rows, const AchievementKey& key) {
    return rows.asString(u"ITEM_4") == key.item4 && rows.asString(u"ITEM_DQDM") == key.dqdm;
}

// The rows of an open child query when they are all the achievement's, sorted by their 序号;
// nothing when the query is closed, empty or holds another achievement's rows.
std::optional<QList<Record>> childRows(engine::Dataset& rows, const AchievementKey& key,
                                       const QString& order) {
    if (!rows.isActive() || rows.isEmpty() || !rows.hasField(u"ITEM_4") || !rows.hasField(u"ITEM_DQDM")) {
        return std::nullopt;
    }
    QList<Record> records;
    const int position = rows.recNo();
    rows.disableControls();
    bool all = true;
    for (rows.first(); !rows.eof() && all; rows.next()) {
        all = belongsTo(rows, key);
        records.append(currentRecord(rows));
    }
    rows.setRecNo(position);
    rows.enableControls();
    if (!all) {
        return std::nullopt;
    }
    std::stable_sort(records.begin(), records.end(), [&](const Record& a, const Record& b) {
        return a.value(order).toDouble() < b.value(order).toDouble();
    });
    return records;
}

} // namespace

TPrintForm::TPrintForm(core::TDM& dm, QWidget* parent)
    : QDialog(parent), m_dm(&dm), m_ui(std::make_unique<Ui::TPrintForm>()) {
    m_ui->setupUi(this);
    connect(m_ui->YY_Button, &QPushButton::clicked, this, &TPrintForm::YY_ButtonClick);
    connect(m_ui->RJ_Button, &QPushButton::clicked, this, &TPrintForm::RJ_ButtonClick);
    connect(m_ui->YY_SButton, &QPushButton::clicked, this, &TPrintForm::YY_SButtonClick);
    connect(m_ui->RJ_SButton, &QPushButton::clicked, this, &TPrintForm::RJ_SButtonClick);
    connect(m_ui->Button5, &QPushButton::clicked, this, &TPrintForm::Button5Click);
    connect(m_ui->Button6, &QPushButton::clicked, this, &TPrintForm::Button6Click);
    connect(m_ui->Button7, &QPushButton::clicked, this, &TPrintForm::Button7Click);
    connect(m_ui->Button4, &QPushButton::clicked, this, &TPrintForm::Button4Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TPrintForm::Button3Click);
    connect(m_ui->btnBack2, &QPushButton::clicked, this, &TPrintForm::BackFromPanel2);
    connect(m_ui->btnBack1, &QPushButton::clicked, this, &TPrintForm::BackFromPanel1);
    connect(m_ui->btnBack3, &QPushButton::clicked, this, &TPrintForm::FormShow);
    connect(m_ui->btnBack4, &QPushButton::clicked, this, &TPrintForm::FormShow);
    connect(m_ui->btnExit2, &QPushButton::clicked, this, &TPrintForm::Button3Click);
    connect(m_ui->btnExit1, &QPushButton::clicked, this, &TPrintForm::Button3Click);
    m_outputFolder = WordOutput::defaultOutputFolder();
}

TPrintForm::~TPrintForm() = default;

void TPrintForm::setAchievement(const AchievementKey& key, const QString& category) {
    m_key = key;
    m_category = category.trimmed();
}

QStringList TPrintForm::templateFolders() const {
    const QString program = QCoreApplication::applicationDirPath();
    QStringList folders{m_dm->DataPath, program + QStringLiteral("/data"),
                        QDir::cleanPath(program + QStringLiteral("/../share/tamsel/data"))};
    folders.removeDuplicates();
    return folders;
}

int TPrintForm::Execute() {
    FormShow();
    return platform::showModal(this);
}

void TPrintForm::showPanel(QWidget* panel) {
    for (QWidget* each : {m_ui->Panel1, m_ui->Panel2, m_ui->Panel3, m_ui->Panel4, m_ui->Panel5}) {
        each->setVisible(each == panel);
    }
}

void TPrintForm::FormShow() {
    showPanel(m_ui->Panel5);
    const bool applied = appliedTechnology();
    m_ui->YY_Button->setVisible(applied);
    m_ui->YY_SButton->setVisible(applied);
    m_ui->RJ_Button->setVisible(!applied);
    m_ui->RJ_SButton->setVisible(!applied);
}

void TPrintForm::YY_ButtonClick() {
    outputWord(WordButton::YY);
}
void TPrintForm::RJ_ButtonClick() {
    outputWord(WordButton::RJ);
}
void TPrintForm::YY_SButtonClick() {
    outputWord(WordButton::YY_S);
}
void TPrintForm::RJ_SButtonClick() {
    outputWord(WordButton::RJ_S);
}
void TPrintForm::Button5Click() {
    outputWord(WordButton::Application);
}
void TPrintForm::Button6Click() {
    outputWord(WordButton::Certificate);
}

void TPrintForm::Button7Click() {
    showPanel(appliedTechnology() ? m_ui->Panel2 : m_ui->Panel1);
}

void TPrintForm::Button4Click() {
    showPanel(appliedTechnology() ? m_ui->Panel3 : m_ui->Panel4);
}

void TPrintForm::Button3Click() {
    reject();
}

void TPrintForm::BackFromPanel2() {
    showPanel(m_ui->Panel5);
    m_ui->YY_Button->setVisible(true);
}

void TPrintForm::BackFromPanel1() {
    showPanel(m_ui->Panel5);
    m_ui->RJ_Button->setVisible(true);
}

Prefetched TPrintForm::prefetched() const {
    // The main window has the achievement current and its child lists open: reading them from
    // there spares a scan of each table, which on an authority's folder takes most of a print.
    Prefetched result;
    if (m_dm->Qrypelk.isActive() && !m_dm->Qrypelk.isEmpty() && belongsTo(m_dm->Qrypelk, m_key)) {
        result.achievement = currentRecord(m_dm->Qrypelk);
    }
    const struct {
        PrintData::List list;
        engine::Dataset* rows;
        const char* order;
    } lists[] = {{PrintData::List::Units, &m_dm->QryCgwcdw, "item_176"},
                 {PrintData::List::Completers, &m_dm->QryCgwcr, "item_187"},
                 {PrintData::List::Committee, &m_dm->QryJdwyhmd, "item_190"}};
    for (const auto& each : lists) {
        if (auto rows = childRows(*each.rows, m_key, QString::fromLatin1(each.order))) {
            result.rows.insert(int(each.list), *rows);
        }
    }
    return result;
}

void TPrintForm::outputWord(WordButton button) {
    const platform::Button answer =
        platform::showBox(this, {QStringLiteral("提示"), QStringLiteral("您确定输出word文档吗？"),
                                 platform::Icon::Question, platform::Ok | platform::Cancel});
    if (answer != platform::Ok) {
        return;
    }
    QStringList files;
    try {
        BusyCursor busy;
        const WordOutput output(m_dm->DataPath, templateFolders(), m_outputFolder);
        files = output.produce(button, m_key, prefetched());
    } catch (const DocumentError& e) {
        platform::showBox(this, {QStringLiteral("Tamsel"), e.message(), platform::Icon::Error, platform::Ok});
        return;
    } catch (const engine::EngineError& e) {
        platform::showBox(this, {QStringLiteral("Tamsel"), e.message(), platform::Icon::Error, platform::Ok});
        return;
    }
    // The cover first, then the form: the desktop shows them in that order.
    for (const QString& file : files) {
        if (!platform::openDocument(file)) {
            platform::showBox(this, {QStringLiteral("提示"),
                                     QStringLiteral("没有可以打开Word文档的程序，文档已保存在：\n") +
                                         QDir::toNativeSeparators(file),
                                     platform::Icon::Information, platform::Ok});
        }
    }
}

} // namespace tamsel::print
