#include "entry/ip_page.h"
#include "entry/patents_page.h"
#include "ipfixture.h"
#include "support/testmain.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace tamsel;
using entry::TFpage2;
using platform::Button;
using test::control;
using test::IpFixture;
using test::ScriptedUi;

namespace {

const QString kSaved = QStringLiteral("储存成功！");

struct Page {
    explicit Page(const IpFixture& f) : own(std::make_unique<TFpage2>(*f.dm, *f.main)), page(own.get()) {
        ScriptedUi ui;
        if (!page->LoadFromRecord()) {
            qFatal("page did not load");
        }
        page->FormShow();
        if (!ui.verify()) {
            qFatal("loading: %s", qPrintable(ui.failures()));
        }
    }
    // A page already loaded and shown by the main window.
    Page(const IpFixture&, TFpage2* shown) : page(shown) {}
    template <typename T = QLineEdit> T* c(const QString& name) const { return control<T>(page, name); }
    void check(const QString& box, bool on = true) const {
        auto* b = c<QAbstractButton>(box);
        b->setChecked(on);
        if (box == QLatin1String("cb_51_1")) {
            page->cb_51_1Click();
        } else if (box == QLatin1String("cb_51_3")) {
            page->cb_51_3Click();
        }
    }
    // Picks the status entry with this code (the change handler runs as for the user).
    void status(const QString& code) const {
        auto* list = c<QComboBox>("CB_32");
        for (int i = 0; i < list->count(); ++i) {
            if (list->itemText(i).startsWith(code + "  ")) {
                list->setCurrentIndex(i);
            }
        }
    }
    std::unique_ptr<TFpage2> own;
    TFpage2* page;
};

// The page made storable: stable use and one promotion form.
void makeStorable(const Page& p) {
    p.status("1");
    p.check("cb_161_4");
}

} // namespace

class TestFpage2 : public QObject {
    Q_OBJECT
private slots:
    void patentSummary_data();
    void patentSummary();
    void ipForms_data();
    void ipForms();
    void uncheckingPatents_data();
    void uncheckingPatents();
    void applicationStatus_data();
    void applicationStatus();
    void amountCheck_data();
    void amountCheck();
    void storeReopenAndLeave();
    void patentsListRecountsOnClose();
    void throughTheMainWindow();
};

void TestFpage2::patentSummary_data() {
    QTest::addColumn<QStringList>("patents"); // status/type
    QTest::addColumn<QString>("applied");
    QTest::addColumn<QString>("granted");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("types");

    QTest::newRow("none: refused") << QStringList{} << "0"
                                   << "0" << QString() << QString();
    QTest::newRow("one granted") << QStringList{"2/1"} << "0"
                                 << "1"
                                 << "3"
                                 << "1;";
    QTest::newRow("applied only, two types") << QStringList{"1/3", "1/2"} << "2"
                                             << "0"
                                             << "2"
                                             << "2;3;";
    QTest::newRow("mixed") << QStringList{"1/1", "2/3", "1/3"} << "2"
                           << "1"
                           << "3"
                           << "1;3;";
    QTest::newRow("other status counts neither") << QStringList{"3/2"} << "0"
                                                 << "0" << QString() << QString();
}

void TestFpage2::patentSummary() {
    QFETCH(QStringList, patents);
    QFETCH(QString, applied);
    QFETCH(QString, granted);
    QFETCH(QString, summary);
    QFETCH(QString, types);

    IpFixture f({}, patents);
    Page p(f);
    QVERIFY(!p.c("edt_51_2")->isVisibleTo(p.page));
    p.check("cb_51_1");
    QVERIFY(p.c("edt_51_2")->isVisibleTo(p.page));
    QVERIFY(p.c<QPushButton>("btnPatent")->isVisibleTo(p.page));
    // The patent of the other achievement with the same number is never counted.
    QCOMPARE(p.c("edt_51_2")->text(), applied);
    QCOMPARE(p.c("edt_51_3")->text(), granted);
    makeStorable(p);

    ScriptedUi ui;
    if (summary.isEmpty()) {
        ui.expectBox("Tamsel", "请填写专利情况！");
    } else {
        ui.expectBox("Tamsel", kSaved);
    }
    p.page->btnSave02Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.stored("ITEM_51"), summary.isEmpty() ? QString() : QStringLiteral("1;"));
    QCOMPARE(f.stored("ITEM_51_1"), summary);
    QCOMPARE(f.stored("patent_ty"), types);
    QCOMPARE(f.stored("ITEM_51_2"), summary.isEmpty() ? QString() : applied);
    QCOMPARE(f.stored("ITEM_51_3"), summary.isEmpty() ? QString() : granted);
    QCOMPARE(f.pageDone("02"), !summary.isEmpty());
}

void TestFpage2::ipForms_data() {
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("software"); // ITEM_52 stored
    QTest::newRow("all three") << QStringList{"cb_51_1", "cb_51_3", "cb_51_9"} << "1;3;9;"
                               << "成果软件";
    QTest::newRow("software and other") << QStringList{"cb_51_9", "cb_51_3"} << "3;9;"
                                        << "成果软件";
    QTest::newRow("patent only") << QStringList{"cb_51_1"} << "1;" << QString();
    QTest::newRow("none: the stored text is left as loaded") << QStringList{} << QString() << "旧软件";
}

void TestFpage2::ipForms() {
    QFETCH(QStringList, boxes);
    QFETCH(QString, expected);
    QFETCH(QString, software);

    IpFixture f({{"ITEM_52", "旧软件"}}, {"2/1"});
    Page p(f);
    for (const QString& box : boxes) {
        p.check(box);
    }
    if (boxes.contains("cb_51_3")) {
        // Checking the box shows the stored software right, which the user then renames.
        QCOMPARE(p.c("Edt_52")->text(), QStringLiteral("旧软件"));
        p.c("Edt_52")->setText(software);
        p.c("Edt_53")->setText("2009SR0001");
    }
    makeStorable(p);
    ScriptedUi ui;
    ui.expectBox("Tamsel", kSaved);
    p.page->btnSave02Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.stored("ITEM_51"), expected);
    // Unchecking a form in passing drops its software right; a page never touched keeps it.
    QCOMPARE(f.stored("ITEM_52"), software);
    QCOMPARE(f.stored("ITEM_53"), boxes.contains("cb_51_3") ? QStringLiteral("2009SR0001") : QString());
}

void TestFpage2::uncheckingPatents_data() {
    QTest::addColumn<QString>("failure"); // what makes the save fail; empty: it goes through
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    QTest::newRow("save goes through") << QString() << "Tamsel" << kSaved;
    QTest::newRow("check refuses") << "no promotion"
                                   << "Tamsel"
                                   << "\"推广形式\"必须选择！";
    QTest::newRow("too many promotion forms") << "three promotion forms"
                                              << "提示"
                                              << "'推广形式'项目为复选项目，但至多选择二项！";
    QTest::newRow("write refuses") << "software name too long"
                                   << "提示"
                                   << "“软件著作权名称”最多40个汉字（80字节），现有41个汉字";
}

void TestFpage2::uncheckingPatents() {
    QFETCH(QString, failure);
    QFETCH(QString, caption);
    QFETCH(QString, message);

    IpFixture f({{"ITEM_51", "1;"}, {"ITEM_51_1", "3"}, {"patent_ty", "1;"}, {"ITEM_51_3", 1}},
                {"2/1", "1/2"});
    const QStringList before = f.patentRows();
    Page p(f);
    QVERIFY(p.c<QCheckBox>("cb_51_1")->isChecked());
    p.check("cb_51_1", false);
    QVERIFY(!p.c("edt_51_2")->isVisibleTo(p.page));
    p.status("1");
    if (failure != QLatin1String("no promotion")) {
        p.check("cb_161_1");
    }
    if (failure == QLatin1String("three promotion forms")) {
        p.check("cb_161_2");
        p.check("cb_161_3");
    }
    if (failure == QLatin1String("software name too long")) {
        p.check("cb_51_3");
        p.c("Edt_52")->setText(QString(41, QChar(0x8F6F))); // 82 bytes in an 80-byte field
    }

    ScriptedUi ui;
    ui.expectBox(caption, message);
    p.page->btnSave02Click();
    TAMSEL_VERIFY_UI(ui);
    const QStringList after = f.patentRows();
    if (failure.isEmpty()) {
        // Only the other achievement's patent is left.
        QCOMPARE(after, QStringList{"X01|7|OTHER|2|1"});
        QCOMPARE(f.stored("ITEM_51"), QString());
        QCOMPARE(f.stored("ITEM_51_1"), QString());
        QCOMPARE(f.stored("patent_ty"), QString());
        QCOMPARE(f.stored("ITEM_51_3"), QString());
    } else {
        // A refused save keeps the patents and the record as they were.
        QCOMPARE(after, before);
        QCOMPARE(f.stored("ITEM_51"), QStringLiteral("1;"));
        QCOMPARE(f.stored("ITEM_51_1"), QStringLiteral("3"));
        QCOMPARE(f.stored("ITEM_32"), QString());
        QVERIFY(!f.pageDone("02"));
        QCOMPARE(f.dm->Qrypelk.state(), engine::Dataset::State::Browse);
    }
}

void TestFpage2::applicationStatus_data() {
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("detail"); // radio chosen, empty: none
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("benefitsOpen");
    QTest::addColumn<QString>("reason");  // stored ITEM_32_1
    QTest::addColumn<QString>("details"); // stored ITEM_160

    QTest::newRow("not applied without reason")
        << "4" << QString() << "非\"稳定应用\"的项目，其\"未应用或停用原因\"必须说明！" << false << "1;"
        << "11";
    QTest::newRow("not applied, market detail") << "4"
                                                << "rb_160_33" << kSaved << false << "3;"
                                                << "33";
    QTest::newRow("stopped, policy detail") << "3"
                                            << "rb_160_52" << kSaved << true << "5;"
                                            << "52";
    QTest::newRow("stable use empties reasons")
        << "1" << QString() << kSaved << true << QString() << QString();
}

void TestFpage2::applicationStatus() {
    QFETCH(QString, status);
    QFETCH(QString, detail);
    QFETCH(QString, message);
    QFETCH(bool, benefitsOpen);
    QFETCH(QString, reason);
    QFETCH(QString, details);

    // A stored reason 资金问题 / 拨款未到位 and stored amounts.
    IpFixture f({{"ITEM_32", "2"},
                 {"ITEM_32_1", "1;"},
                 {"ITEM_160", "11"},
                 {"ITEM_161", "4;"},
                 {"ITEM_45", 3},
                 {"ITEM_150", 12},
                 {"ITEM_151_1", 8},
                 {"ITEM_162", 5}});
    Page p(f);
    QVERIFY(p.c<QCheckBox>("cb_32_1_1")->isChecked());
    QVERIFY(p.c<QRadioButton>("rb_160_11")->isChecked());
    QVERIFY(!p.c<QCheckBox>("cb_32_1_1")->isEnabled());
    {
        ScriptedUi ui;
        p.status(status);
        TAMSEL_VERIFY_UI(ui);
    }
    if (status == QLatin1String("4")) {
        // The application leaves nothing to count: the amounts are emptied and closed.
        for (const char* name : {"Edt_45", "Edt_150", "Edt_151_1", "Edt_162"}) {
            QVERIFY2(p.c(name)->text().isEmpty(), name);
        }
        // Without a detail the old reason would stand; the test wants it explained anew.
        if (detail.isEmpty()) {
            p.c<QRadioButton>("rb_160_11")->setAutoExclusive(false);
            p.c<QRadioButton>("rb_160_11")->setChecked(false);
            p.c<QCheckBox>("cb_32_1_1")->setChecked(false);
        }
    }
    QCOMPARE(p.c("Edt_150")->isEnabled(), benefitsOpen);
    QCOMPARE(p.c<QRadioButton>("rb_160_33")->isEnabled(), status != QLatin1String("1"));
    if (!detail.isEmpty()) {
        p.c<QRadioButton>(detail)->setChecked(true);
        const QString group = "cb_32_1_" + detail.right(2).left(1);
        for (int g = 1; g <= 5; ++g) {
            const QString box = QStringLiteral("cb_32_1_%1").arg(g);
            QCOMPARE(p.c<QCheckBox>(box)->isChecked(), box == group);
        }
    }

    ScriptedUi ui;
    ui.expectBox("Tamsel", message);
    p.page->btnSave02Click();
    TAMSEL_VERIFY_UI(ui);
    if (message != kSaved) {
        QCOMPARE(f.stored("ITEM_32"), QStringLiteral("2"));
        return;
    }
    QCOMPARE(f.stored("ITEM_32"), status);
    QCOMPARE(f.stored("ITEM_32_1"), reason);
    QCOMPARE(f.stored("ITEM_160"), details);
    QCOMPARE(f.stored("ITEM_150"), benefitsOpen ? QStringLiteral("12") : QString());
    QCOMPARE(f.stored("ITEM_45"), benefitsOpen ? QStringLiteral("3") : QString());
}

void TestFpage2::amountCheck_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("letter after the digits in net profit") << "Edt_151_1"
                                                           << "120a"
                                                           << "0";
    QTest::newRow("letters in IP income") << "Edt_162"
                                          << "abc"
                                          << "0";
    QTest::newRow("decimal accepted") << "Edt_150"
                                      << "12.5"
                                      << "12.5";
    QTest::newRow("blank accepted") << "Edt_154"
                                    << " "
                                    << " ";
}

void TestFpage2::amountCheck() {
    QFETCH(QString, edit);
    QFETCH(QString, text);
    QFETCH(QString, result);
    IpFixture f;
    Page p(f);
    ScriptedUi ui;
    if (result != text) {
        ui.expectBox("Tamsel", text + " 不是正确的数据格式！现在已经置零");
    }
    p.c(edit)->setText(text); // as pasted
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.c(edit)->text(), result);
    // Typing accepts digits only.
    p.c(edit)->clear();
    QTest::keyClicks(p.c(edit), "7x.8");
    QCOMPARE(p.c(edit)->text(), QStringLiteral("78"));
}

void TestFpage2::storeReopenAndLeave() {
    IpFixture f({}, {"1/2"});
    {
        Page p(f);
        p.check("cb_51_1");
        p.check("cb_51_3");
        p.c("Edt_52")->setText("测试软件");
        p.c("Edt_53")->setText("2009SR1234");
        p.status("3");
        p.c<QRadioButton>("rb_160_42")->setChecked(true);
        p.c("Edt_45")->setText("2");
        p.c("Edt_150")->setText("30");
        p.c("Edt_162")->setText("10");
        p.c("Edt_151_1")->setText("9999999");
        p.c("Edt_152_1")->setText("4");
        p.c("Edt_153")->setText("5");
        p.c("Edt_154")->setText("6");
        p.check("cb_161_9");
        p.check("cb_161_2");
        control<QComboBox>(p.page, "cb_46")->setCurrentIndex(2);
        control<QComboBox>(p.page, "cb_47")->setCurrentIndex(0);
        ScriptedUi ui;
        ui.expectBox("Tamsel", kSaved);
        p.page->btnSave02Click();
        TAMSEL_VERIFY_UI(ui);
    }
    const QHash<QString, QString> expected{
        {"ITEM_51", "1;3;"}, {"ITEM_51_1", "2"},        {"patent_ty", "2;"},       {"ITEM_51_2", "1"},
        {"ITEM_51_3", "0"},  {"ITEM_52", "测试软件"},   {"ITEM_53", "2009SR1234"}, {"ITEM_32", "3"},
        {"ITEM_32_1", "4;"}, {"ITEM_160", "42"},        {"ITEM_45", "2"},          {"ITEM_150", "30"},
        {"ITEM_162", "10"},  {"ITEM_151_1", "9999999"}, {"ITEM_152_1", "4"},       {"ITEM_153", "5"},
        {"ITEM_154", "6"},   {"ITEM_161", "2;9;"},      {"ITEM_46", "03"},         {"ITEM_47", "01"}};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY2(f.stored(it.key()) == it.value(), qPrintable(it.key() + ": " + f.stored(it.key())));
    }
    QVERIFY(f.pageDone("02"));

    // Reopened, the page shows what was stored and may be left without a question.
    Page p(f);
    QVERIFY(p.c<QCheckBox>("cb_51_1")->isChecked());
    QVERIFY(p.c<QCheckBox>("cb_51_3")->isChecked());
    QVERIFY(!p.c<QCheckBox>("cb_51_9")->isChecked());
    QCOMPARE(p.c("Edt_52")->text(), QStringLiteral("测试软件"));
    QCOMPARE(p.c("edt_51_2")->text(), QStringLiteral("1"));
    QCOMPARE(p.c("Edt_151_1")->text(), QStringLiteral("9999999"));
    QVERIFY(p.c<QRadioButton>("rb_160_42")->isChecked());
    QVERIFY(p.c<QCheckBox>("cb_32_1_4")->isChecked());
    QVERIFY(p.c<QCheckBox>("cb_161_2")->isChecked() && p.c<QCheckBox>("cb_161_9")->isChecked());
    QVERIFY(control<QComboBox>(p.page, "CB_32")->currentText().startsWith("3  "));
    QVERIFY(control<QComboBox>(p.page, "cb_46")->currentText().startsWith("03  "));
    {
        ScriptedUi ui;
        p.page->setResult(-1);
        p.page->quit02Click();
        TAMSEL_VERIFY_UI(ui);
        QCOMPARE(p.page->result(), int(QDialog::Accepted));
    }

    // A change asks; No leaves the record as it was.
    Page q(f);
    q.c("Edt_153")->setText("50");
    {
        ScriptedUi ui;
        ui.expectBox("请注意！", "记录已经更改,是否保存？", Button::No);
        q.page->setResult(-1);
        q.page->quit02Click();
        TAMSEL_VERIFY_UI(ui);
        QCOMPARE(q.page->result(), int(QDialog::Accepted));
    }
    QCOMPARE(f.stored("ITEM_153"), QStringLiteral("5"));
    // A page that fails its checks is not left.
    Page r(f);
    r.check("cb_161_9", false);
    r.check("cb_161_2", false);
    ScriptedUi ui;
    ui.expectBox("Tamsel", "\"推广形式\"必须选择！");
    r.page->setResult(-1);
    r.page->quit02Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(r.page->result(), -1);
}

void TestFpage2::patentsListRecountsOnClose() {
    IpFixture f({{"ITEM_51", "1;3;"}, {"ITEM_52", "旧软件"}}, {"1/1"});
    Page p(f);
    QCOMPARE(p.c("edt_51_3")->text(), QString());
    // A software name being typed survives the visit to the list.
    p.c("Edt_52")->setText("新软件");
    ScriptedUi ui;
    ui.expectModal("TFpage6", [&](QWidget* window) {
        auto* list = static_cast<entry::TFpage6*>(window);
        // The list shows this achievement's patents only.
        if (list->windowTitle() != QStringLiteral("成果名称：测试成果") || f.dm->tblzlqk.recordCount() != 1) {
            return -1;
        }
        f.addPatent("2/2", 2);
        f.dm->tblzlqk.refresh();
        list->btnQuitClick();
        return 0;
    });
    p.page->btnPatentClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.c("edt_51_2")->text(), QStringLiteral("1"));
    QCOMPARE(p.c("edt_51_3")->text(), QStringLiteral("1"));
    QCOMPARE(p.c("edt_51_1")->text(), QStringLiteral("3"));
    QCOMPARE(p.c("patent_ty")->text(), QStringLiteral("1;2;"));
    QCOMPARE(p.c("Edt_52")->text(), QStringLiteral("新软件"));
}

void TestFpage2::throughTheMainWindow() {
    IpFixture f;
    TFpage2 page(*f.dm, *f.main);
    f.main->Hooks.page02 = [&page] { page.Execute(); };
    QStringList help;
    f.main->Hooks.showHelp = [&help](const QString& name) { help << name; };
    f.main->MarkIncompletePages();
    QVERIFY(!f.pageDone("02"));

    ScriptedUi ui;
    ui.expectModal("TFpage2", [&](QWidget*) {
        Page p{f, &page};
        if (page.windowTitle() != QStringLiteral("成果名称：测试成果")) {
            return -1;
        }
        page.btnHelp02Click();
        makeStorable(p);
        page.quit02Click();
        return 0;
    });
    ui.expectBox("请注意！", "记录已经更改,是否保存？", Button::Yes);
    ui.expectBox("Tamsel", kSaved);
    f.main->btn_page02Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(help, QStringList{"THelpZscq"});
    QCOMPARE(f.stored("ITEM_32"), QStringLiteral("1"));
    QCOMPARE(f.stored("ITEM_161"), QStringLiteral("4;"));
    // Closing the page re-evaluated the page buttons from the stored record.
    QVERIFY(f.pageDone("02"));
}

TAMSEL_TEST(TestFpage2)
#include "test_ip_page.moc"
