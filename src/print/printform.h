#pragma once

#include "core/achievements.h"
#include "print/formvalues.h"
#include "print/report_page.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

namespace Ui {
class TPrintForm;
}

namespace tamsel::core {
class TDM;
}

namespace tamsel::print {

// The print dialog: Word documents of the current achievement from the main panel (Panel5),
// and the way to the report pages (Panel1 … Panel4). The caller says which achievement is
// current; the dialog reads it from the data module's folder.
class TPrintForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrintForm(core::TDM& dm, QWidget* parent = nullptr);
    ~TPrintForm() override;

    Ui::TPrintForm* ui() const { return m_ui.get(); }

    // The achievement to print and its category (ITEM_CGLB; anything but "1" is the second group).
    void setAchievement(const AchievementKey& key, const QString& category);
    AchievementKey achievement() const { return m_key; }
    bool appliedTechnology() const { return core::isAppliedTechnology(m_category); }

    // Where documents are written: the user's Documents/Tamsel unless set (tests).
    void setOutputFolder(const QString& folder) { m_outputFolder = folder; }
    // The folders searched for templates: the data folder, then the program's own.
    QStringList templateFolders() const;

    // FormShow, then modal.
    int Execute();

    // The printed form. A print job sends sheets to the printer, a chooser asks where a PDF
    // goes (the suggested path given); tests replace both. The default job prints to the
    // default printer, or asks with the print dialog when none is configured; it returns
    // false when nothing was printed, and sets the error text when printing failed.
    using PrintJob = std::function<bool(QWidget* parent, const QList<Sheet>& sheets, const QString& title,
                                        QString* error)>;
    using PdfChooser = std::function<QString(QWidget* parent, const QString& suggested)>;
    static void setPrintJob(PrintJob job);
    static void setPdfChooser(PdfChooser chooser);

    // The report page of a name, created on first use and kept; prepared from the achievement
    // with its running number when it is a numbered section.
    ReportPage& preparedPage(const QString& name);
    // The sheets of the whole form in print order: cover, then the numbered sections.
    QList<Sheet> fullRunSheets();

public slots:
    void FormShow();
    void YY_ButtonClick();
    void RJ_ButtonClick();
    void YY_SButtonClick();
    void RJ_SButtonClick();
    void Button5Click();
    void Button6Click();
    void Button7Click(); // 自定义打印
    void Button4Click(); // 直接打印
    void Button3Click(); // 退出
    void BackFromPanel2();
    void BackFromPanel1();
    void PreviewPage(const QString& name);  // 自定义打印: one page, modal preview
    void PrintSection(const QString& name); // 直接打印: one section to the printer
    void PrintAll();                        // 全文打印: the whole form as one job
    void ExportPdf();                       // 导出PDF: the whole form into a file, then opened

private:
    // Lays out one page's sheets; false, after showing the error, when it cannot be prepared.
    bool layoutPage(const QString& name, QList<Sheet>& sheets);
    void showPanel(QWidget* panel);
    void outputWord(WordButton button);
    Prefetched prefetched() const;
    void buildReportPanels();
    void print(const QList<Sheet>& sheets, const QString& title);
    ReportPage& prepare(const QString& name, PrintData& values);
    QList<Sheet> fullRunSheets(PrintData& values);
    void showError(const QString& text);

    core::TDM* m_dm;
    std::unique_ptr<Ui::TPrintForm> m_ui;
    AchievementKey m_key;
    QString m_category;
    QString m_outputFolder;
    std::map<QString, std::unique_ptr<ReportPage>> m_pages;
};

} // namespace tamsel::print
