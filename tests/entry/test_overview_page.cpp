#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/table.h"
#include "entry/overview_page.h"
#include "support/controls.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <memory>

using namespace tamsel;
using entry::TFpage1;
using platform::Button;
using test::ScriptedUi;

namespace {

const QString kNumber = QStringLiteral("2009000001");
const QString kSaved = QStringLiteral("储存成功！");
const QString kAsk = QStringLiteral("记录已经更改,是否保存？");

QString chinese(int count) {
    return QString(count, QChar(0x7814)); // 研
}

QString thisYear() {
    return QString::number(QDate::currentDate().year());
}

// One achievement of a category, its page loaded from the main window's list.
struct Page {
    explicit Page(const QString& category, const QHash<QString, QVariant>& extra = {},
                  bool withClasses = true) {
        folder.copyDeliveredData();
        if (!withClasses) {
            for (const QString& name : QDir(folder.path()).entryList(QDir::Files)) {
                if (name.compare(QLatin1String("xkfl.dbf"), Qt::CaseInsensitive) == 0 ||
                    name.compare(QLatin1String("ztflh.dbf"), Qt::CaseInsensitive) == 0) {
                    QFile::remove(folder.file(name));
                }
            }
        }
        append(QStringLiteral("unit.dbf"), {{QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
        QHash<QString, QVariant> values{{QStringLiteral("ITEM_4"), kNumber},
                                        {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                        {QStringLiteral("ITEM_CGLB"), category},
                                        {QStringLiteral("ITEM_3"), QStringLiteral("测试成果")}};
        for (auto it = extra.cbegin(); it != extra.cend(); ++it) {
            values.insert(it.key(), it.value());
        }
        append(QStringLiteral("pelk.dbf"), values);

        dm = std::make_unique<core::TDM>(folder.path());
        dm->DataModuleCreate(nullptr);
        main = std::make_unique<core::TMainForm>(dm.get());
        {
            ScriptedUi ui;
            main->FormShow();
            main->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(category.toInt() - 1);
            main->ComboBox1Change();
            if (!ui.verify()) {
                qFatal("main window: %s", qPrintable(ui.failures()));
            }
        }
        page = std::make_unique<TFpage1>(*dm, *main);
        page->LoadFromRecord();
    }

    void append(const QString& table, const QHash<QString, QVariant>& values) const {
        test::appendRecord(folder.path(), table, values);
    }

    // The achievement's fields as the file holds them now.
    QString stored(const QString& field) const {
        engine::Table t;
        t.setFolder(folder.path());
        t.setTableName(QStringLiteral("pelk.dbf"));
        t.open();
        return t.locate(u"ITEM_4", kNumber) ? t.asString(field) : QStringLiteral("<none>");
    }

    template <typename T = QLineEdit> T* control(const QString& name) const {
        return test::control<T>(page.get(), name);
    }

    void set(const QString& edit, const QString& text) const { control(edit)->setText(text); }
    void select(const QString& combo, const QString& code) const {
        core::SelectCode(code, control<QComboBox>(combo));
    }
    void check(const QString& button) const { control<QAbstractButton>(button)->setChecked(true); }

    // Every item the store asks for, in the category the page shows.
    void fillValid() const {
        set("edt_121_y", "2009");
        set("edt_121_m", "05");
        set("edt_121_d", "20");
        set("edt_8_y_s", "2007");
        set("edt_8_m_s", "01");
        set("edt_8_y_e", "2008");
        set("edt_8_m_e", "12");
        set("Edt_120", "110200900012");
        set("Edt_128", "测试推荐单位");
        select("CB_1", "1");
        select("cb_2", "3");
        select("cb_201", "2");
        set("edt_14_1", "软件");
        set("edt_14_2", "测试");
        if (page->isApplied()) {
            select("cb_16", "2");
            select("cb_33", "1");
            select("Cb_125_1", "3");
            check("RB_123_B");
            check("CB_124_1_02");
        } else {
            select("cb_210", "3");
            check("cb_200_07");
        }
        check("CB_125_20");
        control<QPlainTextEdit>("Mo_13_1")->setPlainText("成果简介的内容");
        control<QPlainTextEdit>("Mo_13")->setPlainText("成果公报的内容");
    }

    // 储存 with the one box it should show.
    bool save(const QString& message) const {
        ScriptedUi ui;
        ui.expectBox(QStringLiteral("Tamsel"), message);
        page->btnSaveClick();
        return ui.verify();
    }

    // 退出, answering the save question (if any) with `answer`; true when the page closed.
    bool quit(const QStringList& boxes, Button answer = platform::No) const {
        ScriptedUi ui;
        for (const QString& text : boxes) {
            ui.expectBox(text == kAsk ? QStringLiteral("请注意！") : QStringLiteral("Tamsel"), text,
                         text == kAsk ? answer : platform::Ok);
        }
        page->setResult(0);
        page->btnQuitClick();
        if (!ui.verify()) {
            qWarning("%s", qPrintable(ui.failures()));
            return false;
        }
        return page->result() == QDialog::Accepted;
    }

    test::TestFolder folder;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<core::TMainForm> main;
    std::unique_ptr<TFpage1> page;
};

using Change = std::function<void(const Page&)>;

} // namespace

class TestFpage1 : public QObject {
    Q_OBJECT
private slots:
    void checks_data();
    void checks();
    void keywords_data();
    void keywords();
    void leavingPeriodEdits_data();
    void leavingPeriodEdits();
    void categoryItems_data();
    void categoryItems();
    void exitComparison_data();
    void exitComparison();
    void classification_data();
    void classification();
    void failedPostKeepsRecord();
    void memoCopies();
    void openedFromMainWindow();
    void layoutFits_data();
    void layoutFits();
};

// --- The checks of 储存, in their order --------------------------------------------------------------

void TestFpage1::checks_data() {
    QTest::addColumn<QStringList>("edits"); // name=value pairs applied over a valid page
    QTest::addColumn<QString>("message");   // kSaved when the store goes through
    QTest::addColumn<QString>("period");    // ITEM_8 after the store ("" when nothing is written)

    const QString valid = QStringLiteral("2007.01   至2008.12");
    QTest::newRow("valid") << QStringList{} << kSaved << valid;
    QTest::newRow("period missing") << QStringList{"edt_8_m_s="} << "研究起止时间为必填项！" << QString();
    QTest::newRow("period blank") << QStringList{"edt_8_y_e=  "} << "研究起止时间为必填项！" << QString();
    QTest::newRow("one-digit months padded")
        << QStringList{"edt_8_y_s=2001", "edt_8_m_s=3", "edt_8_y_e=2003", "edt_8_m_e=11"} << kSaved
        << QStringLiteral("2001.03   至2003.11");
    QTest::newRow("start equals end")
        << QStringList{"edt_8_y_s=2003", "edt_8_m_s=05", "edt_8_y_e=2003", "edt_8_m_e=05"}
        << "所填写的研究起始时间不应等于研究终止时间！" << QString();
    QTest::newRow("end before start")
        << QStringList{"edt_8_y_s=2003", "edt_8_m_s=06", "edt_8_y_e=2003", "edt_8_m_e=05"}
        << "所填写的研究起始时间不应大于研究终止时间！" << QString();
    QTest::newRow("end after registration") << QStringList{"edt_121_y=2004", "edt_121_m=03",   "edt_121_d=15",
                                                           "edt_8_y_s=2002", "edt_8_y_e=2004", "edt_8_m_e=04"}
                                            << "所填写的研究终止时间不应大于登记日期！" << QString();
    QTest::newRow("end in registration month")
        << QStringList{"edt_121_y=2004", "edt_121_m=04",   "edt_121_d=15",
                       "edt_8_y_s=2002", "edt_8_y_e=2004", "edt_8_m_e=04"}
        << kSaved << QStringLiteral("2002.01   至2004.04");
    // Unpadded, 20045 would read as smaller than 200404.
    QTest::newRow("registration month one digit")
        << QStringList{"edt_121_y=2004", "edt_121_m=5",    "edt_121_d=15",
                       "edt_8_y_s=2002", "edt_8_y_e=2004", "edt_8_m_e=04"}
        << kSaved << QStringLiteral("2002.01   至2004.04");
    QTest::newRow("registration date empty")
        << QStringList{"edt_121_y=", "edt_121_m=", "edt_121_d="} << "\"批准登记日期\"不能为空！" << QString();
    QTest::newRow("registration year 2050") << QStringList{"edt_121_y=2050"} << kSaved << valid;
    QTest::newRow("registration year 2051")
        << QStringList{"edt_121_y=2051"} << "批准登记日期年份非法！合理年份应为1949年至今!" << QString();
    QTest::newRow("registration year missing")
        << QStringList{"edt_121_y="} << "批准登记日期年份非法！合理年份应为1949年至今!" << QString();
    QTest::newRow("registration month 13")
        << QStringList{"edt_121_m=13"} << "批准登记日期月份非法!" << QString();
    QTest::newRow("registration day 32") << QStringList{"edt_121_d=32"} << "非法日期!" << QString();
    QTest::newRow("registration 2009-02-30")
        << QStringList{"edt_121_m=02", "edt_121_d=30"} << "日期非法!" << QString();
    QTest::newRow("registration day missing") << QStringList{"edt_121_d="} << "日期非法!" << QString();
    QTest::newRow("registration year not a number")
        << QStringList{"edt_121_y=20x9"} << "'20x9'不是有效的整数值！" << QString();
    QTest::newRow("pasted research year")
        << QStringList{"edt_8_y_s=19a0"} << "'19a0'不是有效的整数值！" << QString();
    QTest::newRow("research start 1948")
        << QStringList{"edt_8_y_s=1948"} << "研究开始日期年份非法！合理年份应为1949年至今!" << QString();
    QTest::newRow("research start month 13")
        << QStringList{"edt_8_m_s=13"} << "研究开始日期月份非法!" << QString();
    QTest::newRow("research start month 00")
        << QStringList{"edt_8_m_s=00"} << "研究开始日期月份非法!" << QString();
    QTest::newRow("research end month 13") << QStringList{"edt_121_y=2010", "edt_8_y_e=2009", "edt_8_m_e=13"}
                                           << "研究终止日期月份非法!" << QString();
    QTest::newRow("secrecy empty") << QStringList{"CB_1"} << "\"成果密级\"不能为空！" << QString();
    QTest::newRow("stage empty") << QStringList{"cb_16"} << "\"成果所处阶段\"不能为空！" << QString();
    QTest::newRow("transfer scope empty") << QStringList{"cb_33"} << "\"转让范围\"不能为空！" << QString();
    QTest::newRow("form empty") << QStringList{"RB_123_B"} << "\"成果体现形式\"不能为空！" << QString();
    QTest::newRow("attribute empty") << QStringList{"Cb_125_1"} << "\"成果属性\"不能为空！" << QString();
    QTest::newRow("research form empty") << QStringList{"cb_201"} << "\"研究形式\"不能为空！" << QString();
    QTest::newRow("industry empty") << QStringList{"CB_125_20"} << "\"成果应用行业\"不能为空！" << QString();
    QTest::newRow("summary blank") << QStringList{"Mo_13_1=  "} << "\"成果简介\"不能为空！" << QString();
    QTest::newRow("bulletin empty") << QStringList{"Mo_13="} << "\"成果公报内容\"不能为空！" << QString();
    // The first failing rule wins: the period before the secrecy level before the date.
    QTest::newRow("order") << QStringList{"edt_8_m_e=", "CB_1", "edt_121_y=2051"} << "研究起止时间为必填项！"
                           << QString();
    QTest::newRow("order 2") << QStringList{"CB_1", "edt_121_y=2051"} << "\"成果密级\"不能为空！"
                             << QString();
}

void TestFpage1::checks() {
    QFETCH(QStringList, edits);
    QFETCH(QString, message);
    QFETCH(QString, period);

    Page p(QStringLiteral("1"));
    p.fillValid();
    for (const QString& edit : edits) {
        const qsizetype eq = edit.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? edit : edit.left(eq);
        QWidget* widget = p.control<QWidget>(name);
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            line->setText(edit.mid(eq + 1));
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
            memo->setPlainText(edit.mid(eq + 1));
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->setCurrentIndex(-1);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            core::ClearChoiceButtons(button->parentWidget());
        }
    }
    QVERIFY(p.save(message));
    QCOMPARE(p.stored("ITEM_8"), period);
    QCOMPARE(core::TMainForm::isPageDone(p.main->pageButton("01")), message == kSaved);
    if (message != kSaved) {
        QCOMPARE(p.dm->Qrypelk.state(), engine::Dataset::State::Browse);
    }
}

// --- Keywords ---------------------------------------------------------------------------------------------

void TestFpage1::keywords_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");

    QTest::newRow("three") << QStringList{"甲", "乙", "丙"} << kSaved << "甲;乙;丙";
    QTest::newRow("two") << QStringList{"甲", "乙", ""} << kSaved << "甲;乙";
    QTest::newRow("one") << QStringList{"甲", "", ""} << kSaved << "甲";
    QTest::newRow("none") << QStringList{"", "", ""} << kSaved << "";
    QTest::newRow("98 characters") << QStringList{chinese(49), chinese(49), ""} << kSaved
                                   << chinese(49) + ";" + chinese(49);
    QTest::newRow("196 bytes mixed") << QStringList{chinese(97), "ab", ""} << kSaved << chinese(97) + ";ab";
    QTest::newRow("197 bytes") << QStringList{chinese(98), "a", ""} << "\"关键词\"三栏总字数不要超过98字"
                               << "<old>";
    QTest::newRow("3 x 66 characters")
        << QStringList{chinese(66), chinese(66), chinese(66)} << "\"关键词\"三栏总字数不要超过98字"
        << "<old>";
    QTest::newRow("separator inside") << QStringList{"甲;乙", "丙", ""} << "\"关键词\"中不能含有分号\";\"！"
                                      << "<old>";
}

void TestFpage1::keywords() {
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    QFETCH(QString, stored);

    Page p(QStringLiteral("2"), {{QStringLiteral("ITEM_14"), QStringLiteral("旧")}});
    QCOMPARE(p.control("edt_14_1")->text(), QStringLiteral("旧"));
    QVERIFY(p.control("edt_14_2")->isEnabled());
    QVERIFY(!p.control("edt_14_3")->isEnabled());
    p.fillValid();
    p.set("edt_14_1", typed[0]);
    p.set("edt_14_2", typed[1]);
    p.set("edt_14_3", typed[2]);
    QVERIFY(p.save(message));
    QCOMPARE(p.stored("ITEM_14"), stored == "<old>" ? QStringLiteral("旧") : stored);

    // A later keyword needs the earlier ones: emptying the first empties and locks the others.
    p.set("edt_14_1", "甲");
    p.set("edt_14_2", "乙");
    p.set("edt_14_3", "丙");
    p.set("edt_14_2", " ");
    QCOMPARE(p.control("edt_14_3")->text(), QString());
    QVERIFY(!p.control("edt_14_3")->isEnabled());
    p.set("edt_14_1", "");
    QCOMPARE(p.control("edt_14_2")->text(), QString());
    QVERIFY(!p.control("edt_14_2")->isEnabled());
}

// --- Leaving the research-period edits ---------------------------------------------------------------------

void TestFpage1::leavingPeriodEdits_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");

    const QString year = QStringLiteral("年份不合理，合理取值为1949年至今！");
    const QString month = QStringLiteral("月份数不合理！");
    QTest::newRow("year kept") << "edt_8_y_s"
                               << "2003"
                               << "2003" << QString();
    QTest::newRow("year 1949") << "edt_8_y_e"
                               << "1949"
                               << "1949" << QString();
    QTest::newRow("empty year is this year") << "edt_8_y_s"
                                             << "" << thisYear() << QString();
    QTest::newRow("year 1948 becomes this year") << "edt_8_y_e"
                                                 << "1948" << thisYear() << year;
    QTest::newRow("next year becomes this year")
        << "edt_8_y_s" << QString::number(QDate::currentDate().year() + 1) << thisYear() << year;
    QTest::newRow("month padded") << "edt_8_m_s"
                                  << "3"
                                  << "03" << QString();
    QTest::newRow("month 11") << "edt_8_m_e"
                              << "11"
                              << "11" << QString();
    QTest::newRow("month 0") << "edt_8_m_s"
                             << "0"
                             << "12" << month;
    QTest::newRow("month 13") << "edt_8_m_e"
                              << "13"
                              << "12" << month;
    QTest::newRow("month empty") << "edt_8_m_e"
                                 << " "
                                 << "" << QString();
}

void TestFpage1::leavingPeriodEdits() {
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, message);

    Page p(QStringLiteral("1"));
    QLineEdit* line = p.control(edit);
    line->setText(typed);
    ScriptedUi ui;
    if (!message.isEmpty()) {
        ui.expectBox(QStringLiteral("Tamsel"), message);
    }
    if (edit.contains(QLatin1String("_y_"))) {
        p.page->YearExit(line);
    } else {
        p.page->MonthExit(line);
    }
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(line->text(), shown);
}

// --- Category-dependent items and the round trip
// -------------------------------------------------------------

void TestFpage1::categoryItems_data() {
    QTest::addColumn<QString>("category");
    QTest::newRow("applied technology") << "1";
    QTest::newRow("soft science") << "2";
    QTest::newRow("basic theory") << "3";
}

void TestFpage1::categoryItems() {
    QFETCH(QString, category);
    const bool applied = category == QLatin1String("1");

    // The record still holds the other category's items, as after a change of category.
    Page p(category, {{QStringLiteral("ITEM_123"), QStringLiteral("2")},
                      {QStringLiteral("ITEM_124_1"), QStringLiteral("05;")},
                      {QStringLiteral("ITEM_16"), QStringLiteral("1")},
                      {QStringLiteral("ITEM_33"), QStringLiteral("2")},
                      {QStringLiteral("ITEM_125_1"), QStringLiteral("1")},
                      {QStringLiteral("ITEM_210"), QStringLiteral("1")},
                      {QStringLiteral("ITEM_200"), QStringLiteral("01;")}});
    QCOMPARE(p.page->isApplied(), applied);
    QCOMPARE(p.page->windowTitle(), QStringLiteral("成果名称：测试成果"));
    for (const char* name : {"Cb_125_1", "cb_16", "cb_33", "PL_123", "Pl_124_1", "Label16", "Label33"}) {
        QCOMPARE(p.control<QWidget>(name)->isVisibleTo(p.page.get()), applied);
    }
    for (const char* name : {"cb_210", "PL_200", "Label210"}) {
        QCOMPARE(p.control<QWidget>(name)->isVisibleTo(p.page.get()), !applied);
    }
    QCOMPARE(p.control<QLabel>("Label124")->text(), applied ? "所属高新科技领域" : "社会经济目标");

    QStringList help;
    p.main->Hooks.showHelp = [&help](const QString& name) { help << name; };
    p.page->btnHelpClick();
    QCOMPARE(help, QStringList{applied ? "THelpCggk" : "THelpCggkRj"});

    p.fillValid();
    QVERIFY(p.save(kSaved));
    QVERIFY(core::TMainForm::isPageDone(p.main->pageButton("01")));
    const QHash<QString, QString> expected =
        applied ? QHash<QString, QString>{{"ITEM_123", "B"}, {"ITEM_124_1", "02;"},     {"ITEM_16", "2"},
                                          {"ITEM_33", "1"},  {"ITEM_125_1", "3"},       {"ITEM_210", ""},
                                          {"ITEM_200", ""},  {"outcomeb", "9990001000"}}
                : QHash<QString, QString>{{"ITEM_123", ""},    {"ITEM_124_1", ""}, {"ITEM_16", ""},
                                          {"ITEM_33", ""},     {"ITEM_125_1", ""}, {"ITEM_210", "3"},
                                          {"ITEM_200", "07;"}, {"outcomeb", ""}};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY2(p.stored(it.key()) == it.value(), qPrintable(it.key() + "=" + p.stored(it.key())));
    }
    const QHash<QString, QString> common{
        {"ITEM_120", "110200900012"},
        {"ITEM_128", "测试推荐单位"},
        {"ITEM_121", "2009-05-20"},
        {"ITEM_1", "1"},
        {"ITEM_2", "3"},
        {"ITEM_201", "2"},
        {"ITEM_14", "软件;测试"},
        {"ITEM_125", "20;"},
        {"ITEM_13_1", "成果简介的内容"},
        {"ITEM_13", "成果公报的内容"},
        {"ITEM_8", "2007.01   至2008.12"},
    };
    for (auto it = common.cbegin(); it != common.cend(); ++it) {
        QVERIFY2(p.stored(it.key()) == it.value(), qPrintable(it.key() + "=" + p.stored(it.key())));
    }

    // Reopened, the page shows what was stored and leaving asks nothing.
    TFpage1 again(*p.dm, *p.main);
    again.LoadFromRecord();
    const auto text = [&again](const char* name) { return again.findChild<QLineEdit*>(name)->text(); };
    const auto entry = [&again](const char* name) {
        return again.findChild<QComboBox*>(name)->currentText();
    };
    const auto checked = [&again](const char* name) {
        return again.findChild<QAbstractButton*>(name)->isChecked();
    };
    QCOMPARE(text("edt_121_y") + text("edt_121_m") + text("edt_121_d"), QStringLiteral("20090520"));
    QCOMPARE(text("edt_8_y_s") + text("edt_8_m_s") + text("edt_8_y_e") + text("edt_8_m_e"),
             QStringLiteral("200701200812"));
    QCOMPARE(text("edt_14_1") + "|" + text("edt_14_2") + "|" + text("edt_14_3"),
             QStringLiteral("软件|测试|"));
    QCOMPARE(entry("CB_1"), QStringLiteral("1  公开"));
    QCOMPARE(entry("cb_2"), QStringLiteral("3  国内领先"));
    QVERIFY(checked("CB_125_20"));
    if (applied) {
        QVERIFY(checked("RB_123_B"));
        QVERIFY(checked("CB_124_1_02"));
        QCOMPARE(entry("cb_16"), QStringLiteral("2  中期阶段"));
    } else {
        QVERIFY(checked("cb_200_07"));
        QCOMPARE(entry("cb_210"), QStringLiteral("3  研究报告"));
    }
    QVERIFY(!again.differsFromRecord());
}

// --- 退出
// -----------------------------------------------------------------------------------------------------

void TestFpage1::exitComparison_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("asks");

    QTest::newRow("nothing changed") << "1" << Change([](const Page&) {}) << false;
    QTest::newRow("trailing blanks only") << "1" << Change([](const Page& p) {
        p.set("Edt_128", "测试推荐单位  ");
        p.control<QPlainTextEdit>("Mo_13")->setPlainText("成果公报的内容\n ");
    }) << false;
    QTest::newRow("registration number")
        << "1" << Change([](const Page& p) { p.set("Edt_120", "X"); }) << true;
    QTest::newRow("research month") << "1" << Change([](const Page& p) { p.set("edt_8_m_e", "11"); }) << true;
    QTest::newRow("keyword") << "1" << Change([](const Page& p) { p.set("edt_14_2", "其他"); }) << true;
    QTest::newRow("level") << "1" << Change([](const Page& p) { p.select("cb_2", "1"); }) << true;
    QTest::newRow("industry") << "1" << Change([](const Page& p) { p.check("CB_125_03"); }) << true;
    QTest::newRow("summary") << "1" << Change([](const Page& p) {
        p.control<QPlainTextEdit>("Mo_13_1")->setPlainText("新的简介");
    }) << true;
    QTest::newRow("form") << "1" << Change([](const Page& p) { p.check("RB_123_1"); }) << true;
    QTest::newRow("high-tech field") << "1" << Change([](const Page& p) { p.check("CB_124_1_11"); }) << true;
    QTest::newRow("registration date")
        << "1" << Change([](const Page& p) { p.set("edt_121_d", "21"); }) << true;
    QTest::newRow("same date unpadded")
        << "1" << Change([](const Page& p) { p.set("edt_121_m", "5"); }) << false;
    QTest::newRow("other: form") << "3" << Change([](const Page& p) { p.select("cb_210", "1"); }) << true;
    QTest::newRow("other: objective") << "2" << Change([](const Page& p) { p.check("cb_200_13"); }) << true;
    QTest::newRow("other: nothing") << "2" << Change([](const Page&) {}) << false;
}

void TestFpage1::exitComparison() {
    QFETCH(QString, category);
    QFETCH(Change, change);
    QFETCH(bool, asks);

    Page p(category);
    p.fillValid();
    QVERIFY(p.save(kSaved));
    change(p);

    if (!asks) {
        QVERIFY(p.quit({}));
        return;
    }
    // No: the page closes and the record keeps what was stored.
    const QString before = p.stored("ITEM_120") + p.stored("ITEM_14") + p.stored("ITEM_121");
    QVERIFY(p.quit({kAsk}, platform::No));
    QCOMPARE(p.stored("ITEM_120") + p.stored("ITEM_14") + p.stored("ITEM_121"), before);
    // Yes: the change is stored first, and the page no longer differs.
    QVERIFY(p.quit({kAsk, kSaved}, platform::Yes));
    QVERIFY(!p.page->differsFromRecord());
}

// --- Classification edits --------------------------------------------------------------------------------

void TestFpage1::classification_data() {
    QTest::addColumn<bool>("withClasses");
    QTest::newRow("tables present") << true;
    QTest::newRow("tables missing") << false;
}

void TestFpage1::classification() {
    QFETCH(bool, withClasses);

    // 11011 is in the discipline table; "ZZ999" in neither edition the page knows.
    Page p(QStringLiteral("1"),
           {{QStringLiteral("ITEM_15"), QStringLiteral("11011")},
            {QStringLiteral("ITEM_15_1"), QStringLiteral("ZZ999")},
            {QStringLiteral("ITEM_12_1"), QStringLiteral("TP311.13456")}},
           withClasses);
    QCOMPARE(p.dm->HasDisciplineClass, withClasses);
    QCOMPARE(p.dm->HasLibraryClass, withClasses);
    p.page->FormShow();
    for (const char* button : {"cb_15", "cb_15_1", "CB_12", "CB_12_1"}) {
        QCOMPARE(p.control<QToolButton>(button)->isVisibleTo(p.page.get()), withClasses);
    }
    for (const char* edit : {"Edt_15", "edt_15_1", "edt_12", "edt_12_1"}) {
        QCOMPARE(p.control(edit)->isReadOnly(), withClasses);
    }
    QCOMPARE(p.control("Edt_15")->text(),
             withClasses ? QStringLiteral("11011  数学史") : QStringLiteral("11011"));
    // Unknown or long codes are shown whole, never dropped or cut.
    QCOMPARE(p.control("edt_15_1")->text(), QStringLiteral("ZZ999"));
    QCOMPARE(p.control("edt_12_1")->text(), QStringLiteral("TP311.13456"));

    QStringList picked;
    p.main->Hooks.pickClass = [&picked](QLineEdit* target, const QString& table) {
        picked << target->objectName() + ":" + table;
        target->setText(QStringLiteral("TP3  计算技术、计算机技术"));
        return int(QDialog::Accepted);
    };
    p.page->OpenPicker(p.control("edt_12"));
    if (withClasses) {
        QCOMPARE(picked, QStringList{"edt_12:ztflh.dbf"});
    } else {
        QVERIFY(picked.isEmpty());
        QCOMPARE(p.control("edt_12")->maxLength(), 10);
        p.set("edt_12", "TP31");
    }
    p.fillValid();
    QVERIFY(p.save(kSaved));
    QCOMPARE(p.stored("ITEM_15"), QStringLiteral("11011"));
    QCOMPARE(p.stored("ITEM_15_1"), QStringLiteral("ZZ999"));
    QCOMPARE(p.stored("ITEM_12"), withClasses ? QStringLiteral("TP3") : QStringLiteral("TP31"));
    QCOMPARE(p.stored("ITEM_12_1"), QStringLiteral("TP311.13456"));
    QVERIFY(!p.page->differsFromRecord());
    // The look-ups leave the shared classification tables unfiltered.
    if (withClasses) {
        QVERIFY(!p.dm->Txkfl2.filtered());
    }
}

// --- A store the table refuses --------------------------------------------------------------------------

void TestFpage1::failedPostKeepsRecord() {
    Page p(QStringLiteral("1"), {{QStringLiteral("ITEM_120"), QStringLiteral("OLD")}});
    p.fillValid();
    // 20 Chinese characters take 40 bytes; the field holds 20.
    p.set("Edt_120", chinese(20));
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("提示"), QStringLiteral("“批准登记号”最多10个汉字（20字节），现有20个汉字"));
    p.page->setResult(0);
    p.page->btnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.stored("ITEM_120"), QStringLiteral("OLD"));
    QCOMPARE(p.stored("ITEM_8"), QString());
    QCOMPARE(p.dm->Qrypelk.state(), engine::Dataset::State::Browse);
    QVERIFY(!core::TMainForm::isPageDone(p.main->pageButton("01")));
    QCOMPARE(p.control("Edt_120")->text(), chinese(20));
}

// --- Summary and bulletin -------------------------------------------------------------------------------

void TestFpage1::memoCopies() {
    Page p(QStringLiteral("2"));
    auto* summary = p.control<QPlainTextEdit>("Mo_13_1");
    auto* bulletin = p.control<QPlainTextEdit>("Mo_13");
    auto* tabs = p.control<QTabWidget>("PageControl1");
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("TabSheet1"));
    summary->setPlainText("简介");
    tabs->setCurrentIndex(1); // leaving the summary tab
    QCOMPARE(bulletin->toPlainText(), QStringLiteral("简介"));
    bulletin->setPlainText("公报");
    tabs->setCurrentIndex(0);
    summary->setPlainText("新简介");
    tabs->setCurrentIndex(1); // a bulletin of its own is kept
    QCOMPARE(bulletin->toPlainText(), QStringLiteral("公报"));
    summary->clear();
    p.page->TabSheet2ContextPopup();
    QCOMPARE(summary->toPlainText(), QStringLiteral("公报"));
    bulletin->clear();
    p.page->Mo_13Click();
    QCOMPARE(bulletin->toPlainText(), QStringLiteral("公报"));
}

// --- Opened from the main window
// ----------------------------------------------------------------------------

void TestFpage1::openedFromMainWindow() {
    Page p(QStringLiteral("1"));
    p.main->Hooks.page01 = [&p] { p.page->Execute(); };
    QVERIFY(!core::TMainForm::isPageDone(p.main->pageButton("01")));
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFpage1"), [&p](QWidget*) {
        p.fillValid();
        p.page->btnSaveClick();
        p.page->btnQuitClick(); // stored: nothing to ask
        return p.page->result();
    });
    ui.expectBox(QStringLiteral("Tamsel"), kSaved);
    p.main->btn_page01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.page->result(), int(QDialog::Accepted));
    // Closing re-evaluated the buttons from the data: the overview is complete, the
    // completers list still open.
    QVERIFY(core::TMainForm::isPageDone(p.main->pageButton("01")));
    QVERIFY(!core::TMainForm::isPageDone(p.main->pageButton("08")));
    QCOMPARE(p.stored("ITEM_14"), QStringLiteral("软件;测试"));
}

// --- Layout ---------------------------------------------------------------------------------------------

void TestFpage1::layoutFits_data() {
    QTest::addColumn<QString>("category");
    QTest::newRow("applied technology") << "1";
    QTest::newRow("basic theory") << "3";
}

void TestFpage1::layoutFits() {
    QFETCH(QString, category);
    Page p(category);
    p.fillValid();
    p.page->show();
    if (!qEnvironmentVariableIsEmpty("TAMSEL_GRAB")) {
        p.page->grab().save(qEnvironmentVariable("TAMSEL_GRAB") + "/fpage1_" + category + ".png");
    }
    QCOMPARE(p.page->size(), QSize(800, 600));
    const QRect inside = p.page->rect();
    // Every visible control lies inside the window and is as large as its text needs.
    for (QWidget* widget : p.page->findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->objectName().isEmpty() ||
            widget->objectName().startsWith("qt_")) {
            continue;
        }
        const QRect area(widget->mapTo(p.page.get(), QPoint(0, 0)), widget->size());
        QVERIFY2(inside.contains(area), qPrintable(widget->objectName()));
        if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLabel*>(widget)) {
            QVERIFY2(widget->width() >= widget->minimumSizeHint().width(), qPrintable(widget->objectName()));
        }
        // Every control can be named by a screen reader: its own name, its caption or its label.
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
            qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QAbstractButton*>(widget)) {
            const auto* button = qobject_cast<QAbstractButton*>(widget);
            bool named = !widget->accessibleName().isEmpty() || (button && !button->text().isEmpty());
            for (const QLabel* label : p.page->findChildren<QLabel*>()) {
                named = named || label->buddy() == widget;
            }
            QVERIFY2(named, qPrintable(widget->objectName()));
        }
    }
    p.page->hide();
}

TAMSEL_TEST(TestFpage1)
#include "test_overview_page.moc"
