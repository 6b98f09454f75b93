// TFormin, the import dialog, over the exchange library: the archiver, reading into the twins,
// review in the twins, storing.

#include "exchange/import_dialog.h"

#include "core/accessibility.h"
#include "core/keyboard.h"
#include "engine/dbffile.h"
#include "engine/error.h"
#include "exchange/archiver.h"
#include "exchange/exchangeerror.h"
#include "exchange/importstore.h"
#include "exchange/oldstyle.h"
#include "exchange/twinreader.h"
#include "platform/prompt.h"
#include "ui_import_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>

using namespace tamsel::engine;

namespace tamsel::exchange {

using platform::Icon;

namespace {

const QString kAttention = QStringLiteral("请注意！");

// Runs work and turns the library's errors into their message.
template <typename F> QString attempt(F&& work) {
    try {
        work();
    } catch (const ExchangeError& e) {
        return e.message();
    } catch (const EngineError& e) {
        return e.message();
    }
    return {};
}

} // namespace

TFormin::TFormin(QString dataFolder, QWidget* parent)
    : QDialog(parent), m_dataFolder(std::move(dataFolder)), m_ui(std::make_unique<Ui::TFormin>()),
      m_rows(new AchievementRowsModel(true, this)) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    m_ui->DBGrid1->setModel(m_rows);
    m_ui->DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ui->DBGrid1->horizontalHeader()->setStretchLastSection(true);
    m_ui->DBGrid1->setColumnWidth(0, 300);
    m_ui->DBGrid1->setColumnWidth(1, 260);
    m_ui->Label7->setCursor(Qt::PointingHandCursor);
    m_chooseFile = [this](const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileName(this, title, QString(), filter);
    };
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFormin::Button1Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TFormin::Button3Click);
    connect(m_ui->Button4, &QPushButton::clicked, this, &TFormin::Button4Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFormin::Button2Click);
    connect(m_ui->Button7, &QPushButton::clicked, this, &TFormin::Button7Click);
    connect(m_ui->Button6, &QPushButton::clicked, this, &TFormin::Button6Click);
    connect(m_ui->Button8, &QPushButton::clicked, this, &TFormin::Button8Click);
    connect(m_ui->btnformat, &QPushButton::clicked, this, &TFormin::btnformatClick);
    connect(m_ui->Label7, &QLabel::linkActivated, this, &TFormin::Label7Click);
    connect(m_ui->Button5, &QPushButton::clicked, this, &TFormin::Button5Click);
    core::nameControlsByLabels(this);
}

TFormin::~TFormin() = default;

void TFormin::setChooseFile(std::function<QString(const QString&, const QString&)> choose) {
    m_chooseFile = std::move(choose);
}

void TFormin::setYearChange(std::function<void(const AchievementRow&)> change) {
    m_yearChange = std::move(change);
}

int TFormin::Execute() {
    FormShow();
    return platform::showModal(this);
}

void TFormin::warn(const QString& caption, const QString& text) {
    platform::showBox(this, {caption, text, Icon::Warning, platform::Ok});
}

void TFormin::setButtons(bool choose, bool read, bool review) {
    m_ui->Button1->setEnabled(choose);
    m_ui->Button3->setEnabled(read);
    m_ui->Button4->setEnabled(review);
    m_ui->Button7->setEnabled(review);
    m_ui->Button8->setEnabled(review);
    m_ui->btnformat->setEnabled(review && m_yearChange);
    m_ui->Button6->setEnabled(false);
    m_ui->Button5->setEnabled(true);
}

void TFormin::FormShow() {
    const QString failure = attempt([this] { emptyTwins(m_dataFolder); });
    if (!failure.isEmpty()) {
        warn(QStringLiteral("Tamsel"), failure);
    }
    m_unpacked.reset();
    m_rows->setRows({});
    m_ui->Edit1->clear();
    m_ui->Label6->clear();
    m_ui->Label2->clear();
    m_ui->Panel1->setVisible(false);
    m_ui->Panelstat->setVisible(false);
    m_ui->DBGrid1->setEnabled(true);
    setButtons(true, false, false);
}

void TFormin::Button1Click() {
    const QString path = m_chooseFile(QStringLiteral("请选择要导入的文件夹"), QStringLiteral("arj(*.arj)"));
    if (path.isEmpty()) {
        m_ui->Edit1->clear();
        return;
    }
    m_ui->Edit1->setText(QDir::toNativeSeparators(path));
    if (QFileInfo(path).fileName().toUpper() != QLatin1String("CGSBQY.ARJ")) {
        warn(kAttention, QStringLiteral("请选择正确导入包,名字是CGSBQY.ARJ!"));
        return;
    }
    m_ui->Button3->setEnabled(false);
    auto unpacked = std::make_unique<QTemporaryDir>();
    setBusy(true);
    const QString failure = attempt([&] { Archiver::extract(path, unpacked->path()); });
    setBusy(false);
    if (!failure.isEmpty()) {
        warn(kAttention, failure);
        return;
    }
    // "导入" only after the archiver finished cleanly and its result was checked.
    m_unpacked = std::move(unpacked);
    m_ui->Button3->setEnabled(true);
}

void TFormin::recount() {
    const QList<AchievementRow>& rows = m_rows->rows();
    int count[4] = {};
    try {
        const auto twin = DbfFile::open(m_dataFolder, twinTable(QStringLiteral("PELK")));
        const int cat = twin->fieldIndex(u"ITEM_CGLB");
        for (const AchievementRow& row : rows) {
            const QByteArrayView code = twin->rawText(twin->recordData(row.record), cat).trimmed();
            ++count[code == "1" ? 0 : code == "2" ? 1 : code == "3" ? 2 : 3];
        }
    } catch (const EngineError&) {
    }
    m_ui->Label6->setText(QStringLiteral("记录条数:") + QString::number(rows.size()) +
                          QStringLiteral("条；"));
    m_ui->Label2->setText(QStringLiteral("其中：应用技术%1条，软科学%2条，基础理论%3条。")
                              .arg(count[0])
                              .arg(count[1])
                              .arg(count[2]));
}

void TFormin::reloadRows(int select) {
    const QString failure = attempt(
        [this] { m_rows->setRows(readAchievementRows(m_dataFolder, twinTable(QStringLiteral("PELK")))); });
    if (!failure.isEmpty()) {
        warn(QStringLiteral("Tamsel"), failure);
    }
    if (m_rows->rowCount() > 0) {
        m_ui->DBGrid1->selectRow(std::clamp(select, 0, m_rows->rowCount() - 1));
    }
    recount();
}

int TFormin::currentRow() const {
    const QModelIndexList rows = m_ui->DBGrid1->selectionModel()->selectedRows();
    return rows.isEmpty() ? (m_rows->rowCount() > 0 ? 0 : -1) : rows.first().row();
}

void TFormin::Button3Click() {
    if (!m_unpacked) {
        warn(kAttention, QStringLiteral("文件的格式不正确"));
        return;
    }
    setBusy(true);
    ReadReport report;
    const QString failure = attempt([&] {
        report = readMembers(m_unpacked->path(), m_dataFolder, true, [this](qint64 done, qint64 total) {
            m_ui->Gauge1->setValue(total > 0 ? int(done * 1000 / total) : 1000);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    });
    setBusy(false);
    if (!failure.isEmpty() || !report.ok()) {
        QStringList shown = report.problems.mid(0, 20);
        if (report.problems.size() > 20) {
            shown << QStringLiteral("……共 %1 处错误").arg(report.problems.size());
        }
        warn(kAttention, failure.isEmpty() ? shown.join(u'\n') : failure);
        return;
    }
    m_unpacked.reset(); // the member files are not needed any more
    setButtons(false, false, true);
    reloadRows(0);
    if (report.achievements == 0) {
        warn(kAttention, QStringLiteral("导入的文件为空表！"));
    }
    if (!report.notes.isEmpty()) {
        platform::showBox(this,
                          {kAttention,
                           QStringLiteral("以下内容已按规则处理：\n") + report.notes.mid(0, 20).join(u'\n'),
                           Icon::Information, platform::Ok});
    }
    platform::showBox(
        this, {QStringLiteral("提示"), QStringLiteral("导入完毕！"), Icon::Information, platform::Ok});
}

void TFormin::Button4Click() {
    QHash<QByteArray, int> here;
    const QString failure = attempt([&] { here = sameNameIndex(m_dataFolder); });
    if (!failure.isEmpty()) {
        warn(QStringLiteral("Tamsel"), failure);
        return;
    }
    for (int i = 0; i < m_rows->rowCount();) {
        const AchievementRow row = m_rows->rows()[i];
        if (!here.contains(nameKey(row.name, row.unit))) {
            ++i;
            continue;
        }
        m_ui->DBGrid1->selectRow(i);
        if (platform::askYesNo(this, kAttention,
                               QStringLiteral("导入的项目“") + row.name.trimmed() +
                                   QStringLiteral("”有重复,是否删除？"))) {
            const QString removed = attempt([&] { removeIncoming(m_dataFolder, row.key); });
            if (!removed.isEmpty()) {
                warn(QStringLiteral("Tamsel"), removed);
                return;
            }
            reloadRows(i);
            continue;
        }
        m_ui->Edit2->setText(row.name.trimmed());
        m_ui->Panel1->setVisible(true);
        for (QWidget* w : std::initializer_list<QWidget*>{m_ui->Button1, m_ui->Button3, m_ui->Button4,
                                                          m_ui->Button5, m_ui->Button6, m_ui->Button7,
                                                          m_ui->Button8, m_ui->btnformat, m_ui->DBGrid1}) {
            w->setEnabled(false);
        }
        return;
    }
    platform::showBox(this, {kAttention, QStringLiteral("排重已经完成！"), Icon::Information, platform::Ok});
    if (m_rows->rowCount() > 0) {
        m_ui->Button6->setEnabled(true);
    } else {
        setButtons(true, false, false);
    }
}

void TFormin::Button2Click() {
    const int i = currentRow();
    if (i < 0) {
        return;
    }
    const AchievementRow row = m_rows->rows()[i];
    const QString name = m_ui->Edit2->text().trimmed();
    QString failure = attempt([&] {
        if (sameNameIndex(m_dataFolder).contains(nameKey(name, row.unit))) {
            throw ExchangeError(QStringLiteral("成果名称“%1”仍与已有的成果重复，请修改！").arg(name));
        }
        const auto twin = DbfFile::open(m_dataFolder, twinTable(QStringLiteral("PELK")));
        const QByteArray base(twin->recordData(row.record), twin->recordLength());
        twin->writeRecord(row.record, twin->buildRecord(base, {{twin->fieldIndex(u"ITEM_3"), name}}));
    });
    if (!failure.isEmpty()) {
        warn(kAttention, failure);
        return;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->Button5, m_ui->Button4, m_ui->Button7,
                                                      m_ui->Button8, m_ui->DBGrid1}) {
        w->setEnabled(true);
    }
    m_ui->btnformat->setEnabled(bool(m_yearChange));
    m_ui->Panel1->setVisible(false);
    reloadRows(i);
}

void TFormin::Button7Click() {
    const int i = currentRow();
    if (i < 0 || !platform::askYesNo(this, kAttention, QStringLiteral("是否删除数据？"))) {
        return;
    }
    const QString failure = attempt([&] { removeIncoming(m_dataFolder, m_rows->rows()[i].key); });
    if (!failure.isEmpty()) {
        warn(QStringLiteral("Tamsel"), failure);
    }
    reloadRows(i);
    if (m_rows->rowCount() == 0) {
        setButtons(true, false, false);
    }
}

void TFormin::btnformatClick() {
    const int i = currentRow();
    if (i < 0 || !m_yearChange) {
        return;
    }
    m_yearChange(m_rows->rows()[i]);
    reloadRows(i);
}

void TFormin::store(bool overwrite) {
    setBusy(true);
    m_ui->Panelstat->setVisible(true);
    StoreResult result;
    const QString failure = attempt([&] {
        result = storeTwins(m_dataFolder, overwrite ? SameName::Overwrite : SameName::Store,
                            [this](qint64 done, qint64 total) {
                                m_ui->Gauge1->setValue(total > 0 ? int(done * 1000 / total) : 1000);
                                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                            });
    });
    m_ui->Panelstat->setVisible(false);
    setBusy(false);
    if (m_afterStore) {
        m_afterStore();
    }
    reloadRows(0);
    if (!failure.isEmpty()) {
        warn(QStringLiteral("Tamsel"), failure);
        setButtons(false, false, m_rows->rowCount() > 0);
        return;
    }
    setButtons(true, false, result.failed > 0);
    m_ui->Button1->setEnabled(result.failed == 0);
    QString text = overwrite ? QStringLiteral("入库完毕！新增") + QString::number(result.stored) +
                                   QStringLiteral("条,覆盖") + QString::number(result.overwritten) +
                                   QStringLiteral("条。")
                             : QStringLiteral("入库完毕!");
    if (result.failed > 0) {
        text = QStringLiteral("有 %1 条成果未能入库，仍留在导入列表中：\n").arg(result.failed) +
               result.messages.mid(0, 20).join(u'\n');
    }
    platform::showBox(
        this, {kAttention, text, result.failed > 0 ? Icon::Warning : Icon::Information, platform::Ok});
    if (result.failed == 0) {
        m_ui->Label6->setText(QStringLiteral("导入完毕。"));
        m_ui->Label2->clear();
    }
}

void TFormin::Button6Click() {
    store(false);
}

void TFormin::Button8Click() {
    store(true);
}

void TFormin::Label7Click() {
    const QString path = m_chooseFile(QStringLiteral("请选择要改名的文件夹"), QStringLiteral("arj(*.arj)"));
    if (path.isEmpty()) {
        return;
    }
    if (oldStyleCode(path).isEmpty()) {
        warn(kAttention, QStringLiteral("请选择正确文件,被改名的文件类似CGSBXXX.ARJ(XXX为数字)!"));
        return;
    }
    const QString target = QFileInfo(path).absoluteDir().filePath(QStringLiteral("cgsbqy.arj"));
    if (QFileInfo::exists(target) &&
        !platform::askYesNo(this, kAttention, QStringLiteral("该文件夹中已有cgsbqy.arj，是否覆盖？"))) {
        return;
    }
    setBusy(true);
    QString made;
    const QString failure = attempt([&] { made = convertOldStyleArchive(path); });
    setBusy(false);
    if (!failure.isEmpty()) {
        warn(kAttention, failure);
        return;
    }
    platform::showBox(this,
                      {kAttention, QStringLiteral("你已改名成功!文件在") + QDir::toNativeSeparators(made),
                       Icon::Information, platform::Ok});
}

void TFormin::Button5Click() {
    if (m_ui->Button6->isEnabled() &&
        platform::askYesNo(this, kAttention, QStringLiteral("是否保存导入数据？"))) {
        Button6Click();
    }
    m_ui->Panel1->setVisible(false);
    close();
}

void TFormin::setBusy(bool busy) {
    m_busy = busy;
    m_ui->Panelstat->setVisible(busy);
    m_ui->Gauge1->setRange(0, 1000);
    m_ui->Gauge1->setValue(0);
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->Button1, m_ui->Button3, m_ui->Button4,
                                                      m_ui->Button5, m_ui->Button6, m_ui->Button7,
                                                      m_ui->Button8, m_ui->btnformat, m_ui->Label7}) {
        if (busy) {
            w->setProperty("enabledBeforeBusy", w->isEnabled());
            w->setEnabled(false);
        } else {
            w->setEnabled(w->property("enabledBeforeBusy").toBool());
        }
    }
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TFormin::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormin::keyPressEvent(QKeyEvent* event) {
    if (m_busy && event->key() == Qt::Key_Escape) {
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tamsel::exchange
