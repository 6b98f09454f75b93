// TPrintForm: the print dialog, its Word output and the printed form (preview, printer, PDF).
#include "print/printform.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/keyboard.h"
#include "engine/error.h"
#include "platform/opendocument.h"
#include "platform/prompt.h"
#include "print/docxdocument.h"
#include "print/report_pages.h"
#include "print/wordoutput.h"
#include "ui_printform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
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

void preparePrinter(QPrinter& printer, const QString& title) {
    printer.setDocName(title);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true); // the sheets place everything from the paper's corner
}

bool printToPrinter(QWidget* parent, const QList<Sheet>& sheets, const QString& title, QString* error) {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, title);
    // Without a configured printer the print dialog lets the user choose one, or a PDF file,
    // rather than the job going nowhere.
    if (QPrinterInfo::defaultPrinter().isNull()) {
        QPrintDialog dialog(&printer, parent);
        if (platform::showModal(&dialog) != QDialog::Accepted) {
            return false;
        }
        preparePrinter(printer, title);
    }
    if (!renderSheets(printer, sheets) || printer.printerState() == QPrinter::Error) {
        *error = QStringLiteral("打印失败：打印机不能接受打印作业。");
        return false;
    }
    return true;
}

QString choosePdf(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("导出PDF"), suggested,
                                        QStringLiteral("PDF 文件 (*.pdf)"));
}

TPrintForm::PrintJob& printJob() {
    static TPrintForm::PrintJob job;
    return job;
}

TPrintForm::PdfChooser& pdfChooser() {
    static TPrintForm::PdfChooser chooser;
    return chooser;
}

} // namespace

void TPrintForm::setPrintJob(PrintJob job) {
    printJob() = std::move(job);
}

void TPrintForm::setPdfChooser(PdfChooser chooser) {
    pdfChooser() = std::move(chooser);
}

TPrintForm::TPrintForm(core::TDM& dm, QWidget* parent)
    : QDialog(parent), m_dm(&dm), m_ui(std::make_unique<Ui::TPrintForm>()) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
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
    buildReportPanels();
    core::nameControlsByLabels(this);
}

void TPrintForm::buildReportPanels() {
    const auto button = [this](QWidget* panel, const QString& caption, const QString& name) {
        auto* each = new QPushButton(caption, panel);
        each->setObjectName(name);
        each->setAccessibleName(caption);
        return each;
    };
    // 自定义打印: one button per page, in the form's order.
    for (const bool applied : {true, false}) {
        QWidget* panel = applied ? m_ui->Panel2 : m_ui->Panel1;
        auto* grid = new QGridLayout;
        const QList<PageButton> pages = customPages(applied);
        for (int i = 0; i < pages.size(); ++i) {
            const QString page = pages.at(i).page;
            auto* each = button(panel, pages.at(i).caption, QStringLiteral("btn_") + page);
            connect(each, &QPushButton::clicked, this, [this, page] { PreviewPage(page); });
            grid->addWidget(each, i / 5, i % 5);
        }
        qobject_cast<QBoxLayout*>(panel->layout())->insertLayout(1, grid);
    }
    // 直接打印: one button per section, then the whole form and its PDF.
    for (const bool applied : {true, false}) {
        QWidget* panel = applied ? m_ui->Panel3 : m_ui->Panel4;
        const QString suffix = applied ? QStringLiteral("3") : QStringLiteral("4");
        auto* layout = qobject_cast<QBoxLayout*>(panel->layout());
        int at = 0;
        for (const Section& section : sections(applied)) {
            const QString page = section.page;
            auto* each = button(panel, section.caption, QStringLiteral("btnSection_") + page);
            connect(each, &QPushButton::clicked, this, [this, page] { PrintSection(page); });
            layout->insertWidget(at++, each);
        }
        auto* all = button(panel, QStringLiteral("全文打印"), QStringLiteral("btnPrintAll") + suffix);
        connect(all, &QPushButton::clicked, this, &TPrintForm::PrintAll);
        layout->insertWidget(at++, all);
        auto* pdf = button(panel, QStringLiteral("导出PDF"), QStringLiteral("btnExportPdf") + suffix);
        connect(pdf, &QPushButton::clicked, this, &TPrintForm::ExportPdf);
        layout->insertWidget(at++, pdf);
        auto* exit = button(panel, QStringLiteral("退出"), QStringLiteral("btnExit") + suffix);
        connect(exit, &QPushButton::clicked, this, &TPrintForm::Button3Click);
        layout->addWidget(exit);
    }
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

void TPrintForm::showError(const QString& text) {
    platform::showBox(this, {QStringLiteral("Tamsel"), text, platform::Icon::Error, platform::Ok});
}

ReportPage& TPrintForm::prepare(const QString& name, PrintData& values) {
    auto& page = m_pages[name];
    if (!page) {
        page = createReportPage(name);
    }
    // The sections carry their running number, whichever button printed them.
    QString label;
    QString prefix;
    for (const Section& section : sections(name.startsWith(QStringLiteral("Tyy")))) {
        if (section.page == name) {
            label = section.label;
            prefix = section.counterPrefix;
        }
    }
    page->setPageLabel(label);
    page->setCounterPrefix(prefix);
    page->prepare(values);
    // Keep the painting going while many pages are laid out.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return *page;
}

ReportPage& TPrintForm::preparedPage(const QString& name) {
    PrintData values(m_dm->DataPath, m_key, prefetched());
    return prepare(name, values);
}

QList<Sheet> TPrintForm::fullRunSheets(PrintData& values) {
    QList<Sheet> sheets;
    for (const Section& section : fullRun(appliedTechnology())) {
        sheets.append(prepare(section.page, values).layout());
    }
    return sheets;
}

QList<Sheet> TPrintForm::fullRunSheets() {
    PrintData values(m_dm->DataPath, m_key, prefetched());
    return fullRunSheets(values);
}

void TPrintForm::print(const QList<Sheet>& sheets, const QString& title) {
    QString error;
    const PrintJob job = printJob() ? printJob() : PrintJob(printToPrinter);
    if (!job(this, sheets, title, &error) && !error.isEmpty()) {
        showError(error);
    }
}

bool TPrintForm::layoutPage(const QString& name, QList<Sheet>& sheets) {
    try {
        BusyCursor busy;
        sheets = preparedPage(name).layout();
        return true;
    } catch (const DocumentError& e) {
        showError(e.message());
    } catch (const engine::EngineError& e) {
        showError(e.message());
    }
    return false;
}

void TPrintForm::PreviewPage(const QString& name) {
    QList<Sheet> sheets;
    if (!layoutPage(name, sheets))
        return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, name);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(QStringLiteral("打印预览"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&sheets](QPrinter* target) { renderSheets(*target, sheets); });
    platform::showModal(&preview);
}

void TPrintForm::PrintSection(const QString& name) {
    QList<Sheet> sheets;
    if (!layoutPage(name, sheets))
        return;
    print(sheets, name);
}

void TPrintForm::PrintAll() {
    QList<Sheet> sheets;
    try {
        BusyCursor busy;
        sheets = fullRunSheets();
    } catch (const DocumentError& e) {
        showError(e.message());
        return;
    } catch (const engine::EngineError& e) {
        showError(e.message());
        return;
    }
    print(sheets, QStringLiteral("科技成果登记表 ") + m_key.item4);
}

void TPrintForm::ExportPdf() {
    QString file;
    try {
        PrintData values(m_dm->DataPath, m_key, prefetched());
        QDir().mkpath(m_outputFolder);
        const QString suggested =
            QDir(m_outputFolder)
                .filePath(WordOutput::fileBaseName(QStringLiteral("科技成果登记表"), m_key.item4,
                                                   values.field(QStringLiteral("item_3"))) +
                          QStringLiteral(".pdf"));
        file = pdfChooser() ? pdfChooser()(this, suggested) : choosePdf(this, suggested);
        if (file.isEmpty()) {
            return;
        }
        if (!file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
            file += QStringLiteral(".pdf");
        }
        BusyCursor busy;
        if (!writePdf(file, fullRunSheets(values), QStringLiteral("科技成果登记表 ") + m_key.item4)) {
            showError(QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(file));
            return;
        }
    } catch (const DocumentError& e) {
        showError(e.message());
        return;
    } catch (const engine::EngineError& e) {
        showError(e.message());
        return;
    }
    if (!platform::openDocument(file)) {
        platform::showBox(this, {QStringLiteral("提示"),
                                 QStringLiteral("没有可以打开PDF文件的程序，文件已保存在：\n") +
                                     QDir::toNativeSeparators(file),
                                 platform::Icon::Information, platform::Ok});
    }
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
