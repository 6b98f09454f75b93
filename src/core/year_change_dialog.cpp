// Tformformat: gives an incoming achievement of the import dialog another year.
#include "core/year_change_dialog.h"

#include "core/accessibility.h"
#include "core/achievements.h"
#include "core/data_module.h"
#include "core/keyboard.h"
#include "core/option_controls.h"
#include "engine/error.h"
#include "engine/query.h"
#include "platform/prompt.h"
#include "ui_year_change_dialog.h"

namespace tamsel::core {

using engine::EngineError;
using platform::Icon;

namespace {

const QString& incomingFile() {
    static const QString name = QStringLiteral("pelktemp.dbf");
    return name;
}

} // namespace

Tformformat::Tformformat(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::Tformformat>()) {
    m_ui->setupUi(this);
    keyboard::prepare(this);
    m_ui->btnsave->setDefault(true); // Return in an edit
    setFixedSize(size());
    connect(m_ui->btnsave, &QPushButton::clicked, this, &Tformformat::btnsaveClick);
    connect(m_ui->btnexit, &QPushButton::clicked, this, &Tformformat::btnexitClick);
    nameControlsByLabels(this);
}

Tformformat::~Tformformat() = default;

void Tformformat::setDataModule(TDM* dm) {
    m_dm = dm;
}

void Tformformat::setRefreshCounts(std::function<void()> refresh) {
    m_refreshCounts = std::move(refresh);
}

int Tformformat::showDialog() {
    FormShow();
    return platform::showModal(this);
}

void Tformformat::pointAtIncoming() {
    engine::Table& incoming = m_dm->T_temp_in;
    if (incoming.tableName().compare(incomingFile(), Qt::CaseInsensitive) != 0 &&
        incoming.tableName().compare(QStringLiteral("pelktemp"), Qt::CaseInsensitive) != 0) {
        incoming.close();
        incoming.setFolder(m_dm->DataPath);
        incoming.setTableName(incomingFile());
    }
    if (!incoming.isActive()) {
        incoming.open();
    }
}

void Tformformat::FormShow() {
    m_ui->edt_4->clear();
    if (!m_dm) {
        return;
    }
    try {
        pointAtIncoming();
        if (!m_dm->T_temp_in.isEmpty()) {
            m_ui->edt_4->setText(m_dm->T_temp_in.asString(QStringLiteral("ITEM_4")).trimmed().left(4));
        }
    } catch (const EngineError& e) {
        platform::showBox(this, {QStringLiteral("提示"), e.message(), Icon::Warning, platform::Ok});
    }
}

void Tformformat::btnsaveClick() {
    if (!m_dm) {
        return;
    }
    if (!platform::askYesNo(this, QStringLiteral("请注意！"), QStringLiteral("确定要更改成果年份吗？"),
                            Icon::Question)) {
        refreshCounts();
        return;
    }
    m_dm->ExchangeTableNames = {QStringLiteral("PELK"),    QStringLiteral("CGWCDW"), QStringLiteral("CGWCR"),
                                QStringLiteral("JDWYHMD"), QStringLiteral("ZLQK"),   QStringLiteral("UNIT"),
                                QStringLiteral("EXPERT")};
    const QString year = m_ui->edt_4->text().trimmed();
    // A year of another shape would give numbers that the year lists cannot show.
    if (!isValidYear(year) || year.size() != 4) {
        ShowWarning(QStringLiteral("不能输入1900到2050外的年份！"));
        return;
    }
    engine::Table& incoming = m_dm->T_temp_in;
    try {
        pointAtIncoming();
        if (incoming.isEmpty()) {
            refreshCounts();
            return;
        }
        const QString oldNumber = incoming.asString(QStringLiteral("ITEM_4")).trimmed();
        const QString oldCode = incoming.asString(QStringLiteral("ITEM_DQDM")).trimmed();
        const QString newNumber = nextManagementNumber(*m_dm, QStringLiteral("pelktemp"), year);
        if (newNumber.isEmpty()) {
            ShowWarning(year + QStringLiteral("年的成果管理编号已用完！"));
            return;
        }
        // Every twin row of exactly this achievement's key pair takes the new number.
        for (int i = 0; i < 5; ++i) {
            engine::executeSql(m_dm->DataPath,
                               QStringLiteral("update \"") + m_dm->ExchangeTableNames.at(i) +
                                   QStringLiteral("temp.dbf\" set item_4=:new_4"
                                                  " where item_4=:old_4 and item_dqdm=:old_dqdm"),
                               {{QStringLiteral("new_4"), newNumber},
                                {QStringLiteral("old_4"), oldNumber},
                                {QStringLiteral("old_dqdm"), oldCode}});
        }
        incoming.refresh();
    } catch (const EngineError& e) {
        platform::showBox(this, {QStringLiteral("提示"), e.message(), Icon::Warning, platform::Ok});
        refreshCounts();
        return;
    }
    refreshCounts();
    ShowWarning(QStringLiteral("成果年份修改成功！"));
}

void Tformformat::btnexitClick() {
    done(QDialog::Accepted);
}

void Tformformat::refreshCounts() {
    if (m_refreshCounts) {
        m_refreshCounts();
    }
}

void Tformformat::ShowWarning(const QString& text) {
    core::ShowWarning(this, text);
}

} // namespace tamsel::core
