// TFcodeManage: the code maintenance dialog opened by "更新指标项".

#include "exchange/code_manage_dialog.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/keyboard.h"
#include "core/main_form.h"
#include "core/query_builder.h"
#include "engine/error.h"
#include "exchange/exchangeerror.h"
#include "platform/prompt.h"
#include "ui_code_manage_dialog.h"

#include <QApplication>
#include <QFileDialog>

namespace tamsel::exchange {

using platform::Icon;

namespace {

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

TFcodeManage::TFcodeManage(core::TDM& dm, core::TMainForm& main, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFcodeManage>()), m_dm(dm), m_main(main) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    OpenDialog1 = [this](const QString& title) {
        return QFileDialog::getOpenFileName(this, title, QString(), QStringLiteral("*.*"));
    };
    connect(m_ui->Button4, &QPushButton::clicked, this, &TFcodeManage::Button4Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFcodeManage::Button2Click);
    connect(m_ui->Button6, &QPushButton::clicked, this, &TFcodeManage::Button6Click);
    connect(m_ui->Button7, &QPushButton::clicked, this, &TFcodeManage::Button7Click);
    connect(m_ui->Button8, &QPushButton::clicked, this, &TFcodeManage::Button8Click);
    connect(m_ui->Button9, &QPushButton::clicked, this, &TFcodeManage::Button9Click);
    connect(m_ui->Button10, &QPushButton::clicked, this, &TFcodeManage::Button10Click);
    connect(m_ui->Button11, &QPushButton::clicked, this, &TFcodeManage::Button11Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFcodeManage::Button3Click);
    core::nameControlsByLabels(this);
}

TFcodeManage::~TFcodeManage() = default;

int TFcodeManage::Execute() {
    return platform::showModal(this);
}

void TFcodeManage::Button4Click() {
    updateFromArchive(CodeTable::ProjectSource, m_ui->Edit1);
}
void TFcodeManage::Button2Click() {
    updateByCopy(CodeTable::ProjectSource);
}
void TFcodeManage::Button6Click() {
    updateFromArchive(CodeTable::LibraryClass, m_ui->Edit3);
}
void TFcodeManage::Button7Click() {
    updateByCopy(CodeTable::LibraryClass);
}
void TFcodeManage::Button8Click() {
    updateFromArchive(CodeTable::DisciplineClass, m_ui->Edit4);
}
void TFcodeManage::Button9Click() {
    updateByCopy(CodeTable::DisciplineClass);
}
void TFcodeManage::Button10Click() {
    updateFromArchive(CodeTable::Ministry, m_ui->Edit5);
}
void TFcodeManage::Button11Click() {
    updateByCopy(CodeTable::Ministry);
}
void TFcodeManage::Button3Click() {
    close();
}

void TFcodeManage::updateFromArchive(CodeTable table, QLineEdit* edit) {
    const CodeTableInfo& info = codeTableInfo(table);
    const QString path = OpenDialog1 ? OpenDialog1(info.archive) : QString();
    if (path.isEmpty()) {
        edit->clear();
        return;
    }
    edit->setText(path);
    if (!isArchiveName(table, path)) {
        platform::showBox(this,
                          {QStringLiteral("请注意！"),
                           QStringLiteral("请选择正确导入包,名字是") + info.archive + QStringLiteral("!"),
                           Icon::Warning, platform::Ok});
        return;
    }
    closeTable(table);
    bool replaced = false;
    try {
        BusyCursor busy;
        replaceFromArchive(m_dm.DataPath, table, path);
        replaced = true;
    } catch (const ExchangeError& e) {
        showError(e.message());
    } catch (const engine::EngineError& e) {
        showError(e.message());
    }
    reopenTable(table, replaced);
    if (replaced) {
        platform::showMessage(this, QStringLiteral("提示信息"), QStringLiteral("导入更新成功！"));
    }
}

void TFcodeManage::updateByCopy(CodeTable table) {
    static const QHash<CodeTable, QString> done = {
        {CodeTable::ProjectSource, QStringLiteral("更新“课题来源”下级菜单成功!")},
        {CodeTable::LibraryClass, QStringLiteral("更新“中图分类号”菜单成功!")},
        {CodeTable::DisciplineClass, QStringLiteral("更新“学科分类”菜单成功!")},
        {CodeTable::Ministry, QStringLiteral("更新“隶属部委”菜单成功!")},
    };
    const CodeTableInfo& info = codeTableInfo(table);
    closeTable(table);
    const QString path = OpenDialog1 ? OpenDialog1(info.copyName) : QString();
    bool replaced = false;
    if (!path.isEmpty()) {
        if (!isCopyName(table, path)) {
            platform::showMessage(this, QStringLiteral("提示信息"),
                                  QStringLiteral("请选择正确的文件（") + info.copyName +
                                      QStringLiteral("）！"));
        } else {
            try {
                BusyCursor busy;
                replaceByCopy(m_dm.DataPath, table, path);
                replaced = true;
            } catch (const ExchangeError& e) {
                showError(e.message());
            } catch (const engine::EngineError& e) {
                showError(e.message());
            }
        }
    }
    reopenTable(table, replaced);
    if (replaced) {
        platform::showMessage(this, QStringLiteral("提示信息"), done.value(table));
    }
}

void TFcodeManage::closeTable(CodeTable table) {
    switch (table) {
    case CodeTable::ProjectSource:
        m_dm.TblDFJHZDXX.close();
        break;
    case CodeTable::LibraryClass:
        m_dm.Tztflh2.close();
        m_dm.Table1.close(); // the picker's table, reopened by the picker itself
        break;
    case CodeTable::DisciplineClass:
        m_dm.Txkfl2.close();
        m_dm.Table1.close();
        break;
    case CodeTable::Ministry:
        m_dm.tblLsbw.close();
        break;
    }
}

void TFcodeManage::reopenTable(CodeTable table, bool replaced) {
    engine::Table* target = nullptr;
    switch (table) {
    case CodeTable::ProjectSource:
        target = &m_dm.TblDFJHZDXX;
        break;
    case CodeTable::LibraryClass:
        target = &m_dm.Tztflh2;
        break;
    case CodeTable::DisciplineClass:
        target = &m_dm.Txkfl2;
        break;
    case CodeTable::Ministry:
        target = &m_dm.tblLsbw;
        break;
    }
    const QString file = codeTableInfo(table).tableFile;
    // A classification that was absent at start is there now.
    if (m_dm.findDataFile(file).isEmpty()) {
        return;
    }
    try {
        target->close();
        target->setFolder(m_dm.DataPath);
        target->setTableName(file);
        target->open();
    } catch (const engine::EngineError& e) {
        showError(e.message());
        return;
    }
    if (table == CodeTable::LibraryClass) {
        m_dm.HasLibraryClass = true;
    } else if (table == CodeTable::DisciplineClass) {
        m_dm.HasDisciplineClass = true;
    }
    // The query builder's value list shows the new rows at once.
    if (replaced) {
        if (core::QueryBuilder* builder = core::QueryBuilder::of(m_main)) {
            builder->refreshValueList();
        }
    }
}

void TFcodeManage::showError(const QString& message) {
    platform::showBox(this, {QStringLiteral("提示"), message, Icon::Warning, platform::Ok});
}

} // namespace tamsel::exchange
