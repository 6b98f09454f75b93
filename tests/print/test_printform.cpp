// The print dialog: panels and buttons per category, and the Word output through the dialog
// (question, files written, documents opened cover first).
#include "core/data_module.h"
#include "platform/opendocument.h"
#include "print/printform.h"
#include "printfixture.h"
#include "support/scriptedui.h"
#include "support/testmain.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace tamsel;
using print::TPrintForm;
using test::ScriptedUi;

namespace {

// Records the documents the dialog opens; the desktop is never asked.
struct Opened {
    QStringList files;
    bool succeed = true;
    Opened() {
        platform::setDocumentOpener([this](const QString& path) {
            files.append(path);
            return succeed;
        });
    }
    ~Opened() { platform::setDocumentOpener({}); }
};

const QString kQuestion = QStringLiteral("您确定输出word文档吗？");

} // namespace

class TestPrintForm : public QObject {
    Q_OBJECT

private slots:
    void panelsFollowCategory_data() {
        QTest::addColumn<QString>("category");
        QTest::newRow("applied technology") << QStringLiteral("1");
        QTest::newRow("soft science") << QStringLiteral("2");
        QTest::newRow("basic theory") << QStringLiteral("3");
    }
    void panelsFollowCategory() {
        QFETCH(QString, category);
        const bool applied = category == u"1";
        core::TDM dm(QStringLiteral(TAMSEL_BUILD_DATA_DIR));
        TPrintForm form(dm);
        const auto shown = [&](const char* name) {
            auto* widget = form.findChild<QWidget*>(QLatin1String(name));
            return widget != nullptr && widget->isVisibleTo(&form);
        };
        form.setAchievement({}, category);
        form.FormShow();
        QVERIFY(shown("Panel5") && !shown("Panel2"));
        QCOMPARE(shown("YY_Button"), applied);
        QCOMPARE(shown("YY_SButton"), applied);
        QCOMPARE(shown("RJ_Button"), !applied);
        QCOMPARE(shown("RJ_SButton"), !applied);
        QVERIFY(shown("Button5") && shown("Button6"));

        form.Button7Click();
        QCOMPARE(shown("Panel2"), applied);
        QCOMPARE(shown("Panel1"), !applied);
        QVERIFY(!shown("Panel5"));
        form.findChild<QPushButton*>(QLatin1String(applied ? "btnBack2" : "btnBack1"))->click();
        QVERIFY(shown("Panel5"));
        form.Button4Click();
        QCOMPARE(shown("Panel3"), applied);
        QCOMPARE(shown("Panel4"), !applied);
    }

    void wordOutput() {
        test::PrintFolder f;
        core::TDM dm(f.folder.path());
        TPrintForm form(dm);
        form.setOutputFolder(f.output());
        form.setAchievement({QStringLiteral("2008000001"), QStringLiteral(".")}, QStringLiteral("1"));
        form.FormShow();
        Opened opened;
        {
            ScriptedUi ui;
            ui.expectBox(QStringLiteral("提示"), kQuestion, platform::Cancel);
            form.YY_ButtonClick();
            TAMSEL_VERIFY_UI(ui);
            QCOMPARE(f.written(), QStringList());
            QCOMPARE(opened.files, QStringList());
        }
        {
            ScriptedUi ui;
            ui.expectBox(QStringLiteral("提示"), kQuestion, platform::Ok);
            form.YY_ButtonClick();
            TAMSEL_VERIFY_UI(ui);
            QCOMPARE(opened.files.size(), 2);
            QVERIFY(opened.files.at(0).contains(QStringLiteral("/应用技术封面_2008000001_十个汉字")));
            QVERIFY(opened.files.at(1).contains(QStringLiteral("/应用技术登记表_2008000001_")));
            QCOMPARE(f.written().size(), 2);
        }
        {
            // Rows the main window holds for the achievement are printed in 序号 order; a list
            // holding another achievement's rows is read again.
            dm.OpenQueryText(dm.QryCgwcr, QStringLiteral("select * from cgwcr where item_187 <= 3"));
            dm.OpenQueryText(dm.QryCgwcdw, QStringLiteral("select * from cgwcdw"));
            opened.files.clear();
            ScriptedUi ui;
            ui.expectBox(QStringLiteral("提示"), kQuestion, platform::Ok);
            form.YY_SButtonClick();
            TAMSEL_VERIFY_UI(ui);
            const test::ReadDocument read = test::readDocument(opened.files.value(1));
            QCOMPARE(read.text.value(QStringLiteral("item_180_1")), QStringLiteral("人员1¶"));
            QCOMPARE(read.text.value(QStringLiteral("item_180_3")), QStringLiteral("人员3¶"));
            QCOMPARE(read.text.value(QStringLiteral("item_180_4")), QStringLiteral("¶"));
            QCOMPARE(read.text.value(QStringLiteral("item_170_6")), QStringLiteral("单位6¶"));
        }
        {
            // Nothing can open it: the message says where the file is.
            opened.succeed = false;
            ScriptedUi ui;
            ui.expectBox(QStringLiteral("提示"), kQuestion, platform::Ok);
            ui.expectBox(QStringLiteral("提示"), f.output(), platform::Ok, ScriptedUi::Match::Contains);
            form.Button5Click();
            TAMSEL_VERIFY_UI(ui);
        }
        {
            QVERIFY(QFile::remove(f.folder.file(QStringLiteral("科学技术成果鉴定证书.dotx"))));
            ScriptedUi ui;
            ui.expectBox(QStringLiteral("提示"), kQuestion, platform::Ok);
            ui.expectBox(QStringLiteral("Tamsel"), QStringLiteral("您的电脑上没有相应的报表"),
                         platform::Icon::Error);
            form.Button6Click();
            TAMSEL_VERIFY_UI(ui);
            QCOMPARE(f.written().size(), 5);
        }
    }

    // The printed form through the dialog: a preview per page, a section straight to the
    // printer, the whole form as one job in order with its running labels, and the PDF.
    void reportButtons() {
        test::PrintFolder f;
        core::TDM dm(f.folder.path());
        TPrintForm form(dm);
        form.setOutputFolder(f.output());
        form.setAchievement({QStringLiteral("2008000001"), QStringLiteral(".")}, QStringLiteral("1"));
        form.FormShow();
        QList<QList<print::Sheet>> jobs;
        QString failure;
        TPrintForm::setPrintJob(
            [&](QWidget*, const QList<print::Sheet>& sheets, const QString&, QString* error) {
                jobs.append(sheets);
                *error = failure;
                return failure.isEmpty();
            });
        const auto click = [&](const char* name) {
            auto* button = form.findChild<QPushButton*>(QLatin1String(name));
            QVERIFY2(button, name);
            button->click();
        };
        {
            ScriptedUi ui;
            ui.expectModal(QStringLiteral("QPrintPreviewDialog"));
            click("btn_TyyPrint10");
            TAMSEL_VERIFY_UI(ui);
            QCOMPARE(form.findChildren<QPushButton*>(QRegularExpression(QStringLiteral("^btn_Tyy"))).size(),
                     15);
        }
        click("btnSection_TyyPrint10");
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(jobs.first().size(), 3); // 46 completers and the closing row: three sheets, one job

        click("btnPrintAll3");
        QCOMPARE(jobs.size(), 2);
        const QString whole = f.folder.file(QStringLiteral("whole.pdf"));
        QVERIFY(print::writePdf(whole, jobs.last()));
        const QStringList pages = test::readPdfPages(whole);
        QStringList footers;
        for (const QString& page : pages.mid(1)) {
            footers.append(test::pageFooter(page));
        }
        QVERIFY(QString(pages.first()).remove(u' ').contains(QStringLiteral("科技成果登记表")));
        QCOMPARE(footers, (QStringList{"1", "2--1", "2--2", "3", "4", "5", "6--1", "6--2", "6--3", "7"}));
        QVERIFY(pages.at(1).contains(QStringLiteral("一、成果概况")) &&
                pages.at(2).contains(QStringLiteral("三、评价情况")));

        // A failed print is reported.
        {
            failure = QStringLiteral("打印失败");
            ScriptedUi ui;
            ui.expectBox(QStringLiteral("Tamsel"), failure, platform::Icon::Error);
            click("btnSection_Tyyfm1");
            TAMSEL_VERIFY_UI(ui);
        }
        TPrintForm::setPrintJob({});

        // 导出PDF: the same pages into the chosen file, then opened.
        Opened opened;
        QString suggested;
        TPrintForm::setPdfChooser([&](QWidget*, const QString& path) {
            suggested = path;
            return f.folder.file(QStringLiteral("chosen"));
        });
        click("btnExportPdf3");
        TPrintForm::setPdfChooser({});
        QVERIFY(suggested.startsWith(f.output() + u'/') && suggested.endsWith(QStringLiteral(".pdf")));
        QVERIFY(suggested.contains(QStringLiteral("2008000001_十个汉字")));
        QCOMPARE(opened.files, QStringList{f.folder.file(QStringLiteral("chosen.pdf"))});
        QCOMPARE(test::readPdfPages(opened.files.first()).size(), pages.size());
    }
};

TAMSEL_TEST(TestPrintForm)
#include "test_printform.moc"
