// Printed form figures: the preview of the completers page with 100 completers, and the whole
// form laid out and spooled as one job (rendered into the printer's PDF output).
#include "core/data_module.h"
#include "engine/table.h"
#include "platform/prompt.h"
#include "print/printform.h"
#include "print/report_page.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>

using namespace tamsel;

namespace {

void addRow(const QString& folder, const QString& table, const QVariantHash& values) {
    engine::Table t;
    t.setFolder(folder);
    t.setTableName(table);
    t.open();
    t.append();
    for (auto it = values.begin(); it != values.end(); ++it) {
        t.setValue(it.key(), it.value());
    }
    t.post();
}

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        QFile::copy(from + "/" + name, to + "/" + name);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString data = dir.filePath("data");
    copyFolder(TAMSEL_BUILD_DATA_DIR, data);
    const QVariantHash key{{"ITEM_4", "2008000001"}, {"ITEM_DQDM", "."}};
    QVariantHash achievement = key;
    achievement.insert({{"ITEM_CGLB", "1"},
                        {"ITEM_3", "基准成果"},
                        {"ITEM_8", "2001.03   至2003.12"},
                        {"ITEM_13", QString("成果简介的一段文字。").repeated(60)},
                        {"ITEM_2", "1"},
                        {"ITEM_125", "01;03;"},
                        {"ITEM_21", "1"}});
    addRow(data, "pelk.dbf", achievement);
    for (int n = 1; n <= 100; ++n) {
        QVariantHash person = key;
        person.insert({{"ITEM_187", n},
                       {"ITEM_180", QString("人员%1").arg(n)},
                       {"ITEM_181", "1"},
                       {"ITEM_183", "b"},
                       {"ITEM_185", "基准单位"},
                       {"ITEM_186", "总体设计"}});
        addRow(data, "cgwcr.DBF", person);
    }
    for (int n = 1; n <= 16; ++n) {
        QVariantHash member = key;
        member.insert({{"ITEM_190", n}, {"ITEM_192", QString("委员%1").arg(n)}, {"ITEM_193", "0"}});
        addRow(data, "jdwyhmd.DBF", member);
        QVariantHash unit = key;
        unit.insert({{"ITEM_176", n}, {"ITEM_170", QString("合作单位%1").arg(n)}});
        addRow(data, "cgwcdw.DBF", unit);
    }

    core::TDM dm(data);
    print::TPrintForm form(dm);
    form.setAchievement({"2008000001", "."}, "1");

    // The preview counts from the button to the first page painted in the preview window.
    bool painted = false;
    platform::UiHandler handler;
    handler.modal = [&](QWidget* window) {
        window->show();
        for (int i = 0; i < 50 && !painted; ++i) {
            QCoreApplication::processEvents();
            painted = window->isVisible();
        }
        window->hide();
        return 0;
    };
    platform::setUiHandler(&handler);
    QElapsedTimer timer;
    timer.start();
    form.PreviewPage("TyyPrint10");
    std::printf("preview of the completers page, 100 completers (%d sheets): %lld ms\n",
                form.preparedPage("TyyPrint10").pageCount(), static_cast<long long>(timer.elapsed()));

    // 全文打印: laid out and spooled to the printer's output as one job.
    int sheets = 0;
    print::TPrintForm::setPrintJob([&](QWidget*, const QList<print::Sheet>& all, const QString&, QString*) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("all.pdf"));
        printer.setFullPage(true);
        sheets = int(all.size());
        return print::renderSheets(printer, all);
    });
    timer.restart();
    form.PrintAll();
    std::printf("全文打印 laid out and spooled (%d sheets, one job): %lld ms\n", sheets,
                static_cast<long long>(timer.elapsed()));
    platform::setUiHandler(nullptr);
    return 0;
}
