#include "core/main_form.h"
#include "entry/certificate_page.h"
#include "evalpagefixture.h"
#include "support/testmain.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace tamsel;
using entry::TFpage9;
using platform::Button;
using test::control;
using test::EvalPageFixture;
using test::ScriptedUi;

namespace {

using Values = QHash<QString, QVariant>;

const QString kCaption = QStringLiteral("Tamsel");
const QString kSaved = QStringLiteral("储存成功！");
const QString kAsk = QStringLiteral("记录已经更改,是否保存？");

const Values kStored{{"ITEM_301", "鉴字[2008]第12号"}, {"ITEM_302", "2008.10.20"},
                     {"ITEM_13_2", "推广前景"},        {"ITEM_13_3", "技术文件目录\n第二行"},
                     {"ITEM_133", "测试报告"},         {"ITEM_303", "评价意见"}};

// One data row, its values in column order.
template <typename... Values> void row(const char* name, Values... values) {
    (QTest::newRow(name) << ... << values);
}

struct Page {
    explicit Page(const QString& category = QStringLiteral("1"), const Values& extra = {})
        : f(category, extra), page(std::make_unique<TFpage9>(*f.dm, *f.main)) {
        // The certificate is never required, so the main window shows it done; only a store
        // may set it.
        core::TMainForm::setPageDone(f.main->pageButton(QStringLiteral("09")), false);
        page->LoadFromRecord();
    }
    QLineEdit* edit(const QString& name) const { return control<QLineEdit>(page.get(), name); }
    QPlainTextEdit* memo(const QString& name) const { return control<QPlainTextEdit>(page.get(), name); }
    bool quit() const {
        page->setResult(-1);
        page->BtnQuitClick();
        return page->result() == QDialog::Accepted;
    }

    EvalPageFixture f;
    std::unique_ptr<TFpage9> page;
};

} // namespace

class TestFpage9 : public QObject {
    Q_OBJECT
private slots:
    void certificateDate_data();
    void certificateDate();
    void exitComparison_data();
    void exitComparison();
    void roundTrip_data();
    void roundTrip();
    void tabsStoredAsBlanks();
    void blankMemoEmptiedOnClick();
    void engineErrorKeepsPageUsable();
};

void TestFpage9::certificateDate_data() {
    // The checks themselves are the project page's; these rows show the certificate uses them.
    QTest::addColumn<QString>("date"); // year/month/day as typed
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored"); // "-": the stored date is kept
    row("padded", "2005/1/9", kSaved, "2005.01.09");
    row("emptied", "//", kSaved, "");
    row("day only", "//9", "日期非法!", "-");
    row("1948", "1948/12/31", "非法年份！合理年份应为1949年至今!", "-");
    row("31 April", "2005/4/31", "日期非法!", "-");
}

void TestFpage9::certificateDate() {
    QFETCH(QString, date);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    Page p("1", kStored);
    QCOMPARE(p.edit("edt_302_y")->text(), QStringLiteral("2008"));
    QCOMPARE(p.edit("edt_302_m")->text(), QStringLiteral("10"));
    QCOMPARE(p.edit("edt_302_d")->text(), QStringLiteral("20"));
    p.edit("edt_302_y")->setText(date.section('/', 0, 0));
    p.edit("edt_302_m")->setText(date.section('/', 1, 1));
    p.edit("edt_302_d")->setText(date.section('/', 2, 2));
    ScriptedUi ui;
    ui.expectBox(kCaption, message);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_302"), stored == QLatin1String("-") ? QStringLiteral("2008.10.20") : stored);
    QCOMPARE(p.f.pageDone("09"), message == kSaved);
}

void TestFpage9::exitComparison_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asks");
    row("nothing changed", "", "", false);
    row("date only", "edt_302_d", "21", false);
    row("invalid date is not checked on leaving", "edt_302_m", "13", false);
    row("trailing blanks of a memo", "Mo_303", "评价意见  \n", false);
    row("certificate number", "Edt_301", "鉴字[2008]第13号", true);
    row("prospects", "Mo_13_2", "新的推广前景", true);
    row("document list", "Mo_13_3", "技术文件目录", true);
    row("test report emptied", "Mo_133", "", true);
    row("opinion", "Mo_303", "同意通过评价", true);
}

void TestFpage9::exitComparison() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(bool, asks);
    for (const bool answerYes : {false, true}) {
        Page p("2", kStored);
        if (control.startsWith("Mo_")) {
            p.memo(control)->setPlainText(text);
        } else if (!control.isEmpty()) {
            p.edit(control)->setText(text);
        }
        ScriptedUi ui;
        if (asks) {
            ui.expectBox("请注意！", kAsk, answerYes ? Button::Yes : Button::No);
            if (answerYes) {
                ui.expectBox(kCaption, kSaved);
            }
        }
        QVERIFY(p.quit());
        TAMSEL_VERIFY_UI(ui);
        const bool written = asks && answerYes;
        const QString field = control == "Edt_301" ? "ITEM_301" : "ITEM_" + control.mid(3);
        if (!control.isEmpty() && !control.startsWith("edt_")) {
            QCOMPARE(p.f.stored(field), written ? text : kStored.value(field).toString());
        }
        QCOMPARE(p.f.stored("ITEM_302"), QStringLiteral("2008.10.20"));
    }
}

void TestFpage9::roundTrip_data() {
    QTest::addColumn<QString>("category");
    row("applied technology", "1");
    row("soft science", "2");
    row("basic theory", "3");
}

void TestFpage9::roundTrip() {
    QFETCH(QString, category);
    Page p(category);
    QVERIFY(!p.f.pageDone("09"));
    p.edit("Edt_301")->setText("评字 No.7 'A'");
    p.edit("edt_302_y")->setText("2009");
    p.edit("edt_302_m")->setText("3");
    p.edit("edt_302_d")->setText("15");
    const QString longText = QString(3000, QChar(0x8bc4)) + "\n第二段";
    p.memo("Mo_13_2")->setPlainText("前景：\n1. 推广\n2. 应用");
    p.memo("Mo_13_3")->setPlainText("目录");
    p.memo("Mo_133")->setPlainText(longText);
    p.memo("Mo_303")->setPlainText("同意");
    ScriptedUi ui;
    ui.expectBox(kCaption, kSaved);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QVERIFY(p.f.pageDone("09"));
    QCOMPARE(p.f.stored("ITEM_302"), QStringLiteral("2009.03.15"));
    QCOMPARE(p.f.stored("ITEM_133"), longText);
    QCOMPARE(p.edit("edt_302_m")->text(), QStringLiteral("03"));

    TFpage9 again(*p.f.dm, *p.f.main);
    QVERIFY(again.LoadFromRecord());
    for (QLineEdit* edit : again.findChildren<QLineEdit*>()) {
        QCOMPARE(edit->text(), p.edit(edit->objectName())->text());
    }
    for (QPlainTextEdit* memo : again.findChildren<QPlainTextEdit*>()) {
        QCOMPARE(memo->toPlainText(), p.memo(memo->objectName())->toPlainText());
    }
    QCOMPARE(again.windowTitle(), QStringLiteral("成果名称：测试成果"));
    QVERIFY(!again.differsFromRecord());
    again.setResult(-1);
    again.BtnQuitClick();
    QCOMPARE(again.result(), int(QDialog::Accepted));
    TAMSEL_VERIFY_UI(ui);
}

void TestFpage9::tabsStoredAsBlanks() {
    Page p;
    p.memo("Mo_303")->setPlainText("同意\t通过\t\t评价");
    ScriptedUi ui;
    ui.expectBox(kCaption, kSaved);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_303"), QStringLiteral("同意 通过  评价"));
    QCOMPARE(p.memo("Mo_303")->toPlainText(), QStringLiteral("同意 通过  评价"));
}

void TestFpage9::blankMemoEmptiedOnClick() {
    Page p;
    p.page->show();
    QPlainTextEdit* memo = p.memo("Mo_13_2");
    memo->setPlainText("   \n  ");
    QTest::mouseClick(memo->viewport(), Qt::LeftButton);
    QCOMPARE(memo->toPlainText(), QString());
    memo->setPlainText("  文字 ");
    QTest::mouseClick(memo->viewport(), Qt::LeftButton);
    QCOMPARE(memo->toPlainText(), QStringLiteral("  文字 "));
    p.page->hide();
}

void TestFpage9::engineErrorKeepsPageUsable() {
    Page p("1", kStored);
    // Eighty Chinese characters fit the edit but take 160 bytes of an 80-byte field.
    p.edit("Edt_301")->setText(QString(80, QChar(0x8bc1)));
    p.memo("Mo_303")->setPlainText("新意见");
    ScriptedUi ui;
    ui.expectBox("提示", "“证书号”最多40个汉字（80字节），现有80个汉字");
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_303"), QStringLiteral("评价意见"));
    QCOMPARE(p.f.dm->Qrypelk.state(), engine::Dataset::State::Browse);
    for (const char* name : {"BtnSave", "BtnHelp", "BtnQuit"}) {
        QVERIFY(control<QPushButton>(p.page.get(), name)->isEnabled());
    }
    QVERIFY(!p.f.pageDone("09"));
}

TAMSEL_TEST(TestFpage9)
#include "test_certificate_page.moc"
