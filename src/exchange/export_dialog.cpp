// TFormout, the export dialog: folder, range, chosen achievements, and the export itself
// through the exchange library.

#include "exchange/export_dialog.h"

#include "core/accessibility.h"
#include "core/keyboard.h"
#include "engine/error.h"
#include "exchange/exchangeerror.h"
#include "exchange/exchangeformat.h"
#include "exchange/exporter.h"
#include "platform/prompt.h"
#include "ui_export_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>

namespace tamsel::exchange {

using platform::Icon;

TFormout::TFormout(QString dataFolder, QWidget* parent)
    : QDialog(parent), m_dataFolder(std::move(dataFolder)), m_ui(std::make_unique<Ui::TFormout>()),
      m_rows(new AchievementRowsModel(false, this)), m_dirs(new QFileSystemModel(this)) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    m_ui->Button2->setDefault(true); // Return in an edit
    m_ui->DBGrid1->setModel(m_rows);
    m_ui->DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ui->DBGrid1->horizontalHeader()->setStretchLastSection(true);
    m_ui->DBGrid1->setColumnWidth(0, 280);
    m_dirs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_ui->DirectoryListBox1->setModel(m_dirs);
    for (int c = 1; c < m_dirs->columnCount(); ++c) {
        m_ui->DirectoryListBox1->hideColumn(c);
    }
    // Drives become the home folder and the mounted volumes.
    m_ui->DriveComboBox1->addItem(QDir::homePath());
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() && !volume.isReadOnly() && root != QDir::homePath() &&
            !root.startsWith(QLatin1String("/proc")) && !root.startsWith(QLatin1String("/sys")) &&
            !root.startsWith(QLatin1String("/dev")) && !root.startsWith(QLatin1String("/run/user"))) {
            m_ui->DriveComboBox1->addItem(root);
        }
    }
    m_ui->ComboBox2->setVisible(false);
    m_ui->ProgressBar1->setVisible(false);
    m_ui->RadioButton5->installEventFilter(this);

    connect(m_ui->DriveComboBox1, &QComboBox::activated, this, &TFormout::DriveComboBox1Change);
    connect(m_ui->DirectoryListBox1, &QTreeView::clicked, this, &TFormout::DirectoryListBox1Change);
    connect(m_ui->RadioButton5, &QRadioButton::clicked, this, &TFormout::RadioButton5Click);
    connect(m_ui->RadioButton7, &QRadioButton::clicked, this, &TFormout::RadioButton7Click);
    connect(m_ui->ComboBox2, &QComboBox::activated, this, &TFormout::ComboBox2Change);
    connect(m_ui->DBGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormout::updateCount);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFormout::Button2Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFormout::Button1Click);
    core::nameControlsByLabels(this);
}

TFormout::~TFormout() = default;

int TFormout::Execute() {
    FormShow();
    return platform::showModal(this);
}

int TFormout::selectedCount() const {
    return int(m_ui->DBGrid1->selectionModel()->selectedRows().size());
}

void TFormout::FormShow() {
    // Years, newest first, from the management numbers.
    QStringList years;
    try {
        years = achievementYears(m_dataFolder, QStringLiteral("pelk.dbf"));
    } catch (const engine::EngineError& e) {
        platform::showBox(this, {QStringLiteral("Tamsel"), e.message(), Icon::Warning, platform::Ok});
    }
    m_ui->ComboBox2->clear();
    m_ui->ComboBox2->addItems(years);
    m_ui->ComboBox2->setVisible(false);
    for (QRadioButton* r : {m_ui->RadioButton5, m_ui->RadioButton7}) {
        r->setAutoExclusive(false);
        r->setChecked(false);
        r->setAutoExclusive(true);
    }
    // The flag marks what has been written since the dialog was opened; only rows holding
    // something else are rewritten.
    try {
        Exporter(m_dataFolder).resetFlags();
    } catch (const engine::EngineError& e) {
        platform::showBox(this, {QStringLiteral("Tamsel"), e.message(), Icon::Warning, platform::Ok});
    }
    m_rows->setRows({});
    m_ui->Button2->setEnabled(false);
    m_ui->Label1->setText(QStringLiteral("选择了0条记录"));
    QString folder = m_lastFolder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(folder).isDir()) {
            folder = QDir::homePath();
        }
    }
    setFolder(folder);
}

void TFormout::setFolder(const QString& folder) {
    m_ui->Edit1->setText(QDir::toNativeSeparators(QDir::cleanPath(folder)));
    m_dirs->setRootPath(m_ui->DriveComboBox1->currentText());
    m_ui->DirectoryListBox1->setRootIndex(m_dirs->index(m_ui->DriveComboBox1->currentText()));
    const QModelIndex at = m_dirs->index(folder);
    if (at.isValid()) {
        m_ui->DirectoryListBox1->setCurrentIndex(at);
        m_ui->DirectoryListBox1->scrollTo(at);
    }
}

void TFormout::DriveComboBox1Change() {
    setFolder(m_ui->DriveComboBox1->currentText());
}

void TFormout::DirectoryListBox1Change() {
    const QModelIndex at = m_ui->DirectoryListBox1->currentIndex();
    if (at.isValid()) {
        m_ui->Edit1->setText(QDir::toNativeSeparators(m_dirs->filePath(at)));
    }
}

void TFormout::showRows(const QString& yearPrefix) {
    try {
        m_rows->setRows(readAchievementRows(m_dataFolder, QStringLiteral("pelk.dbf"), yearPrefix));
    } catch (const engine::EngineError& e) {
        platform::showBox(this, {QStringLiteral("Tamsel"), e.message(), Icon::Warning, platform::Ok});
        m_rows->setRows({});
    }
    m_ui->Button2->setEnabled(true);
    m_ui->DBGrid1->selectAll();
    updateCount();
}

void TFormout::updateCount() {
    m_ui->Label1->setText(QStringLiteral("选择了") + QString::number(selectedCount()) +
                          QStringLiteral("记录！"));
}

void TFormout::RadioButton5Click() {
    m_ui->RadioButton5->setChecked(true);
    m_ui->ComboBox2->setVisible(false);
    showRows({});
}

void TFormout::RadioButton7Click() {
    m_ui->ComboBox2->setVisible(true);
    m_ui->Button2->setEnabled(true);
}

void TFormout::ComboBox2Change() {
    showRows(m_ui->ComboBox2->currentText());
}

bool TFormout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->RadioButton5 && event->type() == QEvent::MouseButtonDblClick) {
        RadioButton5Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormout::setBusy(bool busy) {
    m_busy = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->Button1, m_ui->Button2, m_ui->RadioButton5,
                                                      m_ui->RadioButton7, m_ui->ComboBox2, m_ui->DBGrid1,
                                                      m_ui->DriveComboBox1, m_ui->DirectoryListBox1}) {
        w->setEnabled(!busy);
    }
    m_ui->ProgressBar1->setVisible(busy);
    if (busy) {
        m_ui->ProgressBar1->setRange(0, 1000);
        m_ui->ProgressBar1->setValue(0);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TFormout::Button2Click() {
    const QString folder = QDir::fromNativeSeparators(m_ui->Edit1->text().trimmed());
    const QString archive = QDir(folder).filePath(QString::fromLatin1(kArchiveName));
    if (QFileInfo::exists(archive) &&
        !platform::askYesNo(
            this, QStringLiteral("提示信息"),
            QStringLiteral(
                "该路径存在上报文件！选择“是”该文件将被覆盖；选择“否”放弃操作。如果需要保存现存文件，"
                "需要把该文件保存到到别的文件夹内，再执行该操作！"))) {
        return;
    }
    if (selectedCount() == 0) {
        if (!platform::askYesNo(this, QStringLiteral("提示信息"),
                                QStringLiteral("请选择您要导出的项目，是否全部选择？"))) {
            return;
        }
        RadioButton5Click();
    }
    QSet<QByteArray> keys;
    for (const QModelIndex& index : m_ui->DBGrid1->selectionModel()->selectedRows()) {
        keys.insert(m_rows->rows()[index.row()].key);
    }
    setBusy(true);
    QString failure;
    ExportResult result;
    try {
        result = Exporter(m_dataFolder).exportTo(folder, keys, [this](qint64 done, qint64 total) {
            m_ui->ProgressBar1->setValue(total > 0 ? int(done * 1000 / total) : 1000);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    } catch (const ExchangeError& e) {
        failure = e.message();
    } catch (const engine::EngineError& e) {
        failure = e.message();
    }
    setBusy(false);
    if (!failure.isEmpty()) {
        platform::showBox(this, {QStringLiteral("Tamsel"), failure, Icon::Warning, platform::Ok});
        return;
    }
    m_lastFolder = folder;
    platform::showBox(this,
                      {QStringLiteral("Tamsel"),
                       QStringLiteral("你已打包成功!文件在") + QDir::toNativeSeparators(result.archivePath),
                       Icon::Warning, platform::Ok});
}

void TFormout::Button1Click() {
    close();
}

void TFormout::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormout::keyPressEvent(QKeyEvent* event) {
    if (m_busy && event->key() == Qt::Key_Escape) {
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tamsel::exchange
