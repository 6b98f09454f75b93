#include "core/main_form.h"
#include "entry/project_page.h"
#include "evalpagefixture.h"
#include "support/testmain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace tamsel;
using entry::TFpage3;
using platform::Button;
using test::control;
using test::EvalPageFixture;
using test::ScriptedUi;

namespace {

using Values = QHash<QString, QVariant>;

const QString kCaption = QStringLiteral("Tamsel");
const QString kSaved = QStringLiteral("储存成功！");
const QString kAsk = QStringLiteral("记录已经更改,是否保存？");

// The project page over one achievement, loaded as the main window's button does.
struct Page {
    explicit Page(const QString& category = QStringLiteral("1"), const Values& extra = {})
        : f(category, extra), page(std::make_unique<TFpage3>(*f.dm, *f.main)) {
        ScriptedUi ui;
        reload();
        if (!ui.verify()) {
            qFatal("loading: %s", qPrintable(ui.failures()));
        }
    }

    void reload() const {
        page->LoadFromRecord();
        page->FormShow();
    }
    QLineEdit* edit(const QString& name) const { return control<QLineEdit>(page.get(), name); }
    QComboBox* combo(const QString& name) const { return control<QComboBox>(page.get(), name); }
    QCheckBox* box(const QString& code) const { return control<QCheckBox>(page.get(), "CB_126_" + code); }
    QRadioButton* radio(const QString& code) const {
        return control<QRadioButton>(page.get(), "RB_140_" + code);
    }
    void pickMethod(const QString& code) const { core::SelectCode(code, page->methodList()); }
    // What a valid page needs: an evaluation method and a source that is not a national plan.
    void fillRequired() const {
        pickMethod(QStringLiteral("2"));
        box(QStringLiteral("08"))->click();
    }
    // Runs 退出; true when the page closed.
    bool quit() const {
        page->setResult(-1);
        page->BtnQuitClick();
        return page->result() == QDialog::Accepted;
    }

    EvalPageFixture f;
    std::unique_ptr<TFpage3> page;
};

// One data row, its values in column order.
template <typename... Values> void row(const char* name, Values... values) {
    (QTest::newRow(name) << ... << values);
}

QStringList entries(const QComboBox* combo) {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i) {
        list << combo->itemText(i);
    }
    return list;
}

QStringList checkedSources(const Page& p) {
    QStringList codes;
    for (QCheckBox* box : p.page->sourceBoxes()) {
        if (box->isChecked()) {
            codes << box->objectName().right(2);
        }
    }
    return codes;
}

} // namespace

class TestFpage3 : public QObject {
    Q_OBJECT
private slots:
    void fundingSums_data();
    void fundingSums();
    void fundingLimits_data();
    void fundingLimits();
    void sourceRules_data();
    void sourceRules();
    void nationalPlanNeedsNumberAndName_data();
    void nationalPlanNeedsNumberAndName();
    void planStoredAndReopened();
    void evaluationMethods_data();
    void evaluationMethods();
    void evaluationDate_data();
    void evaluationDate();
    void exitComparison_data();
    void exitComparison();
    void roundTrip_data();
    void roundTrip();
    void engineErrorWritesNothing();
};

// --- Funding ------------------------------------------------------------------------------------------

void TestFpage3::fundingSums_data() {
    QTest::addColumn<QStringList>("typed"); // edit=text, in order
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QStringList>("warnings");

    row("local parts, one empty", QStringList{"Edt_142_1=10", "Edt_142_2=2.5"}, "12.5", "12.5",
        QStringList());
    row("local and national", QStringList{"Edt_142_1=10", "Edt_141=5", "Edt_145=0.5"}, "10", "15.5",
        QStringList());
    row("total over seven characters shown whole", QStringList{"Edt_141=9999999", "Edt_148=1"}, "",
        "10000000", QStringList());
    row("decimals add without binary noise", QStringList{"Edt_142_1=0.1", "Edt_142_2=0.2"}, "0.3", "0.3",
        QStringList());
    row("malformed local part becomes 0", QStringList{"Edt_142_2=4", "Edt_142_1=1.2.3"}, "4", "4",
        QStringList{"读取数据时，发现“省级投入”:1.2.3 不是正确的数据格式！现在已经置零"});
    row("malformed amount becomes 0", QStringList{"Edt_143=7", "Edt_244=.."}, "", "7",
        QStringList{"“国外资金”:.. 不是正确的数据格式！现在已经置零"});
    row("emptied part leaves the rest", QStringList{"Edt_142_3=3", "Edt_142_1=2", "Edt_142_3="}, "2", "2",
        QStringList());
}

void TestFpage3::fundingSums() {
    QFETCH(QStringList, typed);
    QFETCH(QString, local);
    QFETCH(QString, total);
    QFETCH(QStringList, warnings);
    Page p;
    ScriptedUi ui;
    for (const QString& warning : warnings) {
        ui.expectBox(kCaption, warning);
    }
    for (const QString& step : typed) {
        p.edit(step.section('=', 0, 0))->setText(step.section('=', 1));
    }
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.edit("Edt_142")->text(), local);
    QCOMPARE(p.edit("Edt_149")->text(), total);
}

void TestFpage3::fundingLimits_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("storedTotal"); // when stored

    row("seven characters", QStringList{"Edt_141=9999999"}, kSaved, "9999999");
    row("total of eight characters", QStringList{"Edt_141=9999999", "Edt_148=1"}, "经费最大长度不超得过7位！",
        "");
    row("local sum of eight characters", QStringList{"Edt_142_1=5000000", "Edt_142_2=5000000"},
        "经费最大长度不超得过7位！", "");
    row("sum with long decimals", QStringList{"Edt_141=0.12", "Edt_148=999999.9"},
        "经费最大长度不超得过7位！", "");
    row("two decimals", QStringList{"Edt_144=12.25", "Edt_243=1"}, kSaved, "13.25");
    row("three decimals would be rounded", QStringList{"Edt_144=0.125"}, "“自有资金”最多保留两位小数！", "");
}

void TestFpage3::fundingLimits() {
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    QFETCH(QString, storedTotal);
    Page p;
    p.fillRequired();
    for (const QString& step : typed) {
        p.edit(step.section('=', 0, 0))->setText(step.section('=', 1));
    }
    ScriptedUi ui;
    ui.expectBox(kCaption, message);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_149"), storedTotal);
    // A refused store writes nothing at all.
    QCOMPARE(p.f.stored("ITEM_126"), storedTotal.isEmpty() ? QString() : QStringLiteral("08;"));
    QCOMPARE(p.f.pageDone("03"), !storedTotal.isEmpty());
}

// --- Sources and plans ------------------------------------------------------------------------------------

void TestFpage3::sourceRules_data() {
    QTest::addColumn<QStringList>("clicks"); // "RB_140_x", "CB_126_xx", "BtnClear140"
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QString>("programme");
    QTest::addColumn<QString>("planLabel"); // empty: list and label hidden
    QTest::addColumn<int>("plans");         // entries before the blank one

    row("programme checks national plan", QStringList{"RB_140_7"}, QStringList{"01"}, "7", "", 0);
    row("national plan replaces a source", QStringList{"CB_126_03", "RB_140_1"}, QStringList{"01"}, "1", "",
        0);
    row("no other source beside national plan", QStringList{"RB_140_1", "CB_126_03"}, QStringList{"01"}, "1",
        "", 0);
    row("cleared national plan frees the sources", QStringList{"RB_140_1", "BtnClear140", "CB_126_03"},
        QStringList{"03"}, "", "“地方计划”的下属分类", 12);
    row("one source at a time", QStringList{"CB_126_03", "CB_126_02"}, QStringList{"02"}, "",
        "“部门计划”的下属分类", 6);
    row("source without plans hides the list", QStringList{"CB_126_03", "CB_126_07"}, QStringList{"07"}, "",
        "", 0);
    row("clear alone", QStringList{"RB_140_9", "BtnClear140"}, QStringList(), "", "", 0);
}

void TestFpage3::sourceRules() {
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, checked);
    QFETCH(QString, programme);
    QFETCH(QString, planLabel);
    QFETCH(int, plans);
    Page p;
    for (const QString& name : clicks) {
        control<QAbstractButton>(p.page.get(), name)->click();
    }
    QCOMPARE(checkedSources(p), checked);
    QString chosen;
    QVERIFY(
        core::CollectCodes(p.page.get(), control<QWidget>(p.page.get(), "Pl_140"), chosen, "课题来源", 1));
    QCOMPARE(chosen, programme);
    auto* list = p.combo("CB_41");
    auto* label = control<QLabel>(p.page.get(), "Lb_41");
    QCOMPARE(list->isVisibleTo(p.page.get()), !planLabel.isEmpty());
    QCOMPARE(label->isVisibleTo(p.page.get()), !planLabel.isEmpty());
    if (!planLabel.isEmpty()) {
        QCOMPARE(label->text(), planLabel);
        QCOMPARE(list->count(), plans + 1);
        QCOMPARE(list->itemText(plans), QStringLiteral(" "));
        QCOMPARE(list->currentIndex(), -1);
    }
    // The project number is required exactly while a national plan is chosen.
    QCOMPARE(p.page->nationalRequired(), checked.contains("01"));
}

void TestFpage3::nationalPlanNeedsNumberAndName_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString prefix = QStringLiteral("“课题来源”为“国家计划”的项目，");
    row("number missing", "", "国家课题", prefix + "“课题立项编号”不能为空！");
    row("number blank", "  ", "国家课题", prefix + "“课题立项编号”不能为空！");
    row("name missing", "2009AA01Z101", "", prefix + "“课题立项名称”不能为空！");
    row("both given", "2009AA01Z101", "国家课题", kSaved);
}

void TestFpage3::nationalPlanNeedsNumberAndName() {
    QFETCH(QString, number);
    QFETCH(QString, name);
    QFETCH(QString, message);
    Page p;
    p.pickMethod("1");
    p.radio("3")->click();
    p.edit("Edt_127")->setText(number);
    p.edit("Edt_127_1")->setText(name);
    ScriptedUi ui;
    ui.expectBox(kCaption, message);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    const bool stored = message == kSaved;
    QCOMPARE(p.f.stored("ITEM_126"), stored ? QStringLiteral("01;") : QString());
    QCOMPARE(p.f.stored("ITEM_140"), stored ? QStringLiteral("3") : QString());
}

void TestFpage3::planStoredAndReopened() {
    Page p;
    p.pickMethod("1");
    p.box("03")->click();
    core::SelectCode("05", p.combo("CB_41"));
    ScriptedUi ui;
    ui.expectBox(kCaption, kSaved);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_126"), QStringLiteral("03;"));
    QCOMPARE(p.f.stored("ITEM_41_1"), QStringLiteral("05"));

    // A fresh page over the same record shows the source's plans with the stored one chosen.
    TFpage3 again(*p.f.dm, *p.f.main);
    QVERIFY(again.LoadFromRecord());
    auto* list = control<QComboBox>(&again, "CB_41");
    QVERIFY(list->isVisibleTo(&again));
    QCOMPARE(list->currentText(), QStringLiteral("05  重点新产品计划"));
    QCOMPARE(control<QLabel>(&again, "Lb_41")->text(), QStringLiteral("“地方计划”的下属分类"));

    // Without a stored plan the list stays hidden even for a source that has plans.
    core::SelectCode(" ", p.combo("CB_41"));
    p.combo("CB_41")->setCurrentIndex(p.combo("CB_41")->count() - 1);
    ui.expectBox(kCaption, kSaved);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_41_1"), QString());
    QVERIFY(again.LoadFromRecord());
    QVERIFY(!list->isVisibleTo(&again));
}

// --- Evaluation
// -----------------------------------------------------------------------------------------------

void TestFpage3::evaluationMethods_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("codes");
    const QStringList other{"2", "4", "6", "9"};
    row("applied technology", "1", "cb_21", QStringList{"1", "2", "3", "5", "9"});
    row("soft science", "2", "cb_21_l", other);
    row("basic theory", "3", "cb_21_l", other);
}

void TestFpage3::evaluationMethods() {
    QFETCH(QString, category);
    QFETCH(QString, list);
    QFETCH(QStringList, codes);
    Page p(category);
    QComboBox* methods = p.combo(list);
    QCOMPARE(p.page->methodList(), methods);
    QVERIFY(methods->isVisibleTo(p.page.get()));
    const QString other = list == QLatin1String("cb_21") ? "cb_21_l" : "cb_21";
    QVERIFY(!p.combo(other)->isVisibleTo(p.page.get()));
    QStringList shown;
    for (const QString& entry : entries(methods)) {
        shown << entry.section("  ", 0, 0);
    }
    QCOMPARE(shown, codes); // no blank entry

    // Without a method nothing is stored.
    p.box("10")->click();
    ScriptedUi ui;
    ui.expectBox(kCaption, "“评价形式”不能为空！");
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_126"), QString());

    p.pickMethod(codes.last());
    ui.expectBox(kCaption, kSaved);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_21"), codes.last());
}

void TestFpage3::evaluationDate_data() {
    QTest::addColumn<QString>("date"); // year/month/day as typed
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored"); // "-": the stored date is kept
    const QString badYear = QStringLiteral("非法年份！合理年份应为1949年至今!");
    row("padded", "2004/5/7", kSaved, "2004.05.07");
    row("leap day", "2000/02/29", kSaved, "2000.02.29");
    row("empty", "//", kSaved, "");
    row("year only", "2004//", "日期非法!", "-");
    row("day only", "//9", "日期非法!", "-");
    row("1948", "1948/1/1", badYear, "-");
    row("1949", "1949/1/1", kSaved, "1949.01.01");
    row("three-digit year", "204/1/1", badYear, "-");
    row("month 13", "2004/13/1", "非法月份!", "-");
    row("day 32", "2004/1/32", "非法日期!", "-");
    row("30 February", "2004/2/30", "日期非法!", "-");
    row("month 0", "2004/0/1", "日期非法!", "-");
    row("letters in the month", "2004/a/1", "非法月份!", "-");
}

void TestFpage3::evaluationDate() {
    QFETCH(QString, date);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    Page p("1", {{"ITEM_34", "1999.09.09"}});
    p.fillRequired();
    p.edit("edt_34_y")->setText(date.section('/', 0, 0));
    p.edit("edt_34_m")->setText(date.section('/', 1, 1));
    p.edit("edt_34_d")->setText(date.section('/', 2, 2));
    ScriptedUi ui;
    ui.expectBox(kCaption, message);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_34"), stored == QLatin1String("-") ? QStringLiteral("1999.09.09") : stored);
    if (stored != QLatin1String("-") && !stored.isEmpty()) {
        QCOMPARE(p.edit("edt_34_m")->text(), stored.mid(5, 2));
        QCOMPARE(p.edit("edt_34_d")->text(), stored.mid(8, 2));
    }
}

// --- Leaving
// ------------------------------------------------------------------------------------------------------

void TestFpage3::exitComparison_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asks");
    row("nothing changed", "", "", false);
    row("evaluation date", "edt_34_d", "08", false);
    row("plan", "CB_41", "06", false);
    row("same amount written differently", "Edt_141", "12.50", false);
    row("amount", "Edt_141", "12.6", true);
    row("amount emptied", "Edt_243", "", true);
    row("sum through a part", "Edt_142_3", "1", true);
    row("project number", "Edt_127", "X-1", true);
    row("project name", "Edt_127_1", "新名称", true);
    row("evaluating unit", "Edt_130", "另一单位", true);
    row("report number", "edt_22", "R-2", true);
    row("method", "cb_21", "5", true);
    row("source", "CB_126_02", "", true);
}

void TestFpage3::exitComparison() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(bool, asks);
    const Values stored{{"ITEM_126", "03;"}, {"ITEM_41_1", "05"},       {"ITEM_21", "1"},
                        {"ITEM_127", "L-7"}, {"ITEM_127_1", "课题"},    {"ITEM_130", "科技厅"},
                        {"ITEM_22", "R-1"},  {"ITEM_34", "2008.07.07"}, {"ITEM_141", 12.5},
                        {"ITEM_142_1", 3},   {"ITEM_142", 3},           {"ITEM_243", 2},
                        {"ITEM_149", 17.5}};
    for (const bool answerYes : {false, true}) {
        Page p("1", stored);
        QCOMPARE(p.edit("Edt_149")->text(), QStringLiteral("17.5"));
        if (control.startsWith("CB_126")) {
            p.box(control.right(2))->click();
        } else if (control == "CB_41" || control == "cb_21") {
            core::SelectCode(text, p.combo(control));
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
        QCOMPARE(p.f.stored("ITEM_141"), asks && answerYes && control == "Edt_141" ? text : "12.5");
        QCOMPARE(p.f.pageDone("03"), true); // source and method are stored either way
    }
}

void TestFpage3::roundTrip_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("method");
    row("applied technology", "1", "3");
    row("soft science", "2", "4");
    row("basic theory", "3", "6");
}

void TestFpage3::roundTrip() {
    QFETCH(QString, category);
    QFETCH(QString, method);
    Page p(category);
    QVERIFY(!p.f.pageDone("03"));
    p.pickMethod(method);
    p.radio("6")->click();
    p.edit("Edt_127")->setText("2008BAK49B01");
    p.edit("Edt_127_1")->setText("“十一五”支撑计划课题 O'Neil");
    const QStringList amounts{"Edt_141=100", "Edt_148=20.5", "Edt_142_1=10", "Edt_142_2=2.5", "Edt_143=1",
                              "Edt_144=3",   "Edt_243=4",    "Edt_244=0.25", "Edt_145=7"};
    for (const QString& step : amounts) {
        p.edit(step.section('=', 0, 0))->setText(step.section('=', 1));
    }
    p.edit("Edt_130")->setText("科学技术部");
    p.edit("edt_34_y")->setText("2008");
    p.edit("edt_34_m")->setText("12");
    p.edit("edt_34_d")->setText("1");
    p.edit("edt_22")->setText("国科评字[2008]第1号");
    ScriptedUi ui;
    ui.expectBox(kCaption, kSaved);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QVERIFY(p.f.pageDone("03"));
    QCOMPARE(p.f.stored("ITEM_126"), QStringLiteral("01;"));
    QCOMPARE(p.f.stored("ITEM_140"), QStringLiteral("6"));
    QCOMPARE(p.f.stored("ITEM_142"), QStringLiteral("12.5"));
    QCOMPARE(p.f.stored("ITEM_149"), QStringLiteral("148.25"));
    QCOMPARE(p.f.stored("ITEM_34"), QStringLiteral("2008.12.01"));
    QCOMPARE(p.f.stored("ITEM_21"), method);

    // Reopened on a fresh page: every control as it was, and nothing to ask on leaving.
    TFpage3 again(*p.f.dm, *p.f.main);
    QVERIFY(again.LoadFromRecord());
    const auto* before = p.page.get();
    for (QLineEdit* edit : again.findChildren<QLineEdit*>()) {
        QCOMPARE(edit->text(), control<QLineEdit>(before, edit->objectName())->text());
    }
    for (QAbstractButton* button : again.findChildren<QAbstractButton*>()) {
        QCOMPARE(button->isChecked(), control<QAbstractButton>(before, button->objectName())->isChecked());
    }
    QCOMPARE(again.methodList()->currentText(), p.page->methodList()->currentText());
    QCOMPARE(again.windowTitle(), QStringLiteral("成果名称：测试成果"));
    QVERIFY(!again.differsFromRecord());
    again.setResult(-1);
    again.BtnQuitClick();
    QCOMPARE(again.result(), int(QDialog::Accepted));
    TAMSEL_VERIFY_UI(ui);
}

void TestFpage3::engineErrorWritesNothing() {
    Page p;
    p.fillRequired();
    p.edit("Edt_141")->setText("5");
    // Thirty Chinese characters fit the edit but take 60 bytes of a 30-byte field.
    p.edit("Edt_127")->setText(QString(30, QChar(0x7814)));
    ScriptedUi ui;
    ui.expectBox("请注意！", kAsk, Button::Yes);
    ui.expectBox("提示", "“课题立项编号”最多15个汉字（30字节），现有30个汉字");
    QVERIFY(!p.quit()); // the page stays open with what was typed
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_141"), QString());
    QCOMPARE(p.f.stored("ITEM_126"), QString());
    QVERIFY(!p.f.pageDone("03"));
    QCOMPARE(p.f.dm->Qrypelk.state(), engine::Dataset::State::Browse);
    QCOMPARE(p.edit("Edt_141")->text(), QStringLiteral("5"));

    // Shortened, the same page stores.
    p.edit("Edt_127")->setText(QString(15, QChar(0x7814)));
    ui.expectBox(kCaption, kSaved);
    p.page->BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.f.stored("ITEM_127"), QString(15, QChar(0x7814)));
}

TAMSEL_TEST(TestFpage3)
#include "test_project_page.moc"
