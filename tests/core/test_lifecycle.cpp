#include "core/achievements.h"
#include "core/main_items_dialog.h"
#include "core/year_change_dialog.h"
#include "mainformfixture.h"
#include "support/controls.h"
#include "support/testmain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QValidator>

using namespace tamsel;
using core::TFormNew;
using platform::Icon;
using tamsel::test::MainFormFixture;
using tamsel::test::ScriptedUi;

namespace {

using Row = QHash<QString, QString>;
using Values = QHash<QString, QVariant>;

// Every record of a table, with the named fields.
QList<Row> tableRows(const MainFormFixture& f, const QString& table, const QStringList& fields) {
    QList<Row> rows;
    engine::Table t;
    t.setFolder(f.folder.path());
    t.setTableName(table);
    t.open();
    for (t.first(); !t.eof(); t.next()) {
        Row row;
        for (const QString& field : fields) {
            row.insert(field, t.asString(field));
        }
        rows.append(row);
    }
    return rows;
}

QStringList numbersOf(const MainFormFixture& f, const QString& table) {
    QStringList numbers;
    for (const Row& row : tableRows(f, table, {"ITEM_4", "ITEM_DQDM"})) {
        numbers << row["ITEM_4"] + QLatin1Char('/') + row["ITEM_DQDM"];
    }
    return numbers;
}

// A control of a window by its objectName.
template <typename T = QWidget> T* child(const QWidget* window, const char* name) {
    return test::control<T>(window, QString::fromLatin1(name));
}

// A modal window driven by the test in place of the user; QCOMPARE may leave it early.
std::function<int(QWidget*)> driving(std::function<void(QWidget*)> drive) {
    return [drive](QWidget* window) {
        drive(window);
        return 0;
    };
}

// Types into a control of the dialog as the user would: the text, then its change handler.
void type(TFormNew* d, const char* control, const QString& text) {
    d->findChild<QLineEdit*>(QString::fromLatin1(control))->setText(text);
    QMetaObject::invokeMethod(d, (QByteArray(control) + "Change").constData());
}

const QStringList kChildTables = {"cgwcdw.DBF", "zlqk.dbf", "jdwyhmd.DBF", "cgwcr.DBF"};

void addChildren(const MainFormFixture& f, const QString& number, const QString& dqdm,
                 const QString& suffix = {}) {
    for (const QString& table : kChildTables) {
        f.append(suffix.isEmpty() ? table : table.section('.', 0, 0) + suffix,
                 {{"ITEM_4", number}, {"ITEM_DQDM", dqdm}});
    }
}

} // namespace

class TestLifecycle : public QObject {
    Q_OBJECT
private slots:
    void numbering_data();
    void numbering();
    void create_data();
    void create();
    void createRefused_data();
    void createRefused();
    void exitPaths_data();
    void exitPaths();
    void yearChecks_data();
    void yearChecks();
    void changeYearRekeysOwnChildren();
    void changeCategory_data();
    void changeCategory();
    void changeRefused_data();
    void changeRefused();
    void categoryChangeInDialogReloadsFully();
    void deleteThirdOfFive();
    void yearChangeOfIncoming_data();
    void yearChangeOfIncoming();
};

void TestLifecycle::numbering_data() {
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("expected");
    QTest::newRow("next of year") << QStringList{"2008000001", "2008000009", "2009000001"} << "2008"
                                  << "2008000010";
    QTest::newRow("first of year") << QStringList{"2008000009", "2010000003"} << "2009"
                                   << "2009000001";
    QTest::newRow("malformed import numbers not counted")
        << QStringList{"2008000003", "2008ABCDEF", "20089", "2008999x99"} << "2008"
        << "2008000004";
    QTest::newRow("only malformed: never a taken number")
        << QStringList{"20080001", "2008000001", "2008zz"} << "2008"
        << "2008000002";
    QTest::newRow("serials used up") << QStringList{"2008999999"} << "2008"
                                     << "";
}

void TestLifecycle::numbering() {
    QFETCH(QStringList, numbers);
    QFETCH(QString, year);
    QFETCH(QString, expected);
    for (const QString table : {"pelk", "pelktemp"}) {
        MainFormFixture f;
        for (const QString& number : numbers) {
            f.append(table, {{"ITEM_4", number}, {"ITEM_DQDM", "."}});
        }
        QCOMPARE(core::nextManagementNumber(*f.dm, table, year), expected);
    }
}

void TestLifecycle::create_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("years");
    QTest::addColumn<QString>("row");
    QTest::newRow("next in listed year") << QStringList{"2008000009"} << 0 << "2008"
                                         << "2008000010" << QStringList{"2008"} << "2";
    QTest::newRow("first of a new year, soft science") << QStringList{"2009000002"} << 1 << "2010"
                                                       << "2010000001" << QStringList{"2009", "2010"} << "1";
}

void TestLifecycle::create() {
    QFETCH(QStringList, existing);
    QFETCH(int, category);
    QFETCH(QString, year);
    QFETCH(QString, expected);
    QFETCH(QStringList, years);
    QFETCH(QString, row);
    MainFormFixture f;
    for (const QString& number : existing) {
        f.addAchievement(number, "1", "成果" + number);
    }
    f.show();
    ScriptedUi ui;
    ui.expectModal("TFormNew", driving([&](QWidget* w) {
                       auto* d = qobject_cast<TFormNew*>(w);
                       // The unit profile's name is offered as the first completing unit.
                       QCOMPARE(child<QLineEdit>(d, "edt_9")->text(), QStringLiteral("测试研究院"));
                       QVERIFY(d->Clean);
                       child<QComboBox>(d, "ComboBox1")->setCurrentIndex(category);
                       d->ComboBox1Change();
                       type(d, "cbYear", year);
                       type(d, "edt_120", "110200Y0001");
                       type(d, "edt_3", "  新的成果  ");
                       d->Button1Click();
                   }));
    f.form->Button6Click();
    TAMSEL_VERIFY_UI(ui);

    const QList<Row> rows =
        tableRows(f, "pelk", {"ITEM_4", "ITEM_DQDM", "ITEM_CGLB", "ITEM_3", "ITEM_9", "ITEM_120"});
    QCOMPARE(rows.size(), existing.size() + 1);
    const Row created = rows.last();
    QCOMPARE(created["ITEM_4"], expected);
    QCOMPARE(created["ITEM_DQDM"], QStringLiteral("."));
    QCOMPARE(created["ITEM_CGLB"], QString::number(category + 1));
    QCOMPARE(created["ITEM_3"], QStringLiteral("新的成果"));
    QCOMPARE(created["ITEM_9"], QStringLiteral("测试研究院"));
    QCOMPARE(created["ITEM_120"], QStringLiteral("110200Y0001"));

    // The main window shows the new achievement's list and locks onto it.
    const QWidget* m = f.form.get();
    QStringList shownYears;
    for (int i = 0; i < child<QComboBox>(m, "cbYear")->count(); ++i) {
        shownYears << child<QComboBox>(m, "cbYear")->itemText(i);
    }
    QCOMPARE(shownYears, years);
    QCOMPARE(child<QComboBox>(m, "cbYear")->currentText(), year);
    QCOMPARE(child<QComboBox>(m, "ComboBox1")->currentIndex(), category);
    QCOMPARE(f.form->currentValue("ITEM_4"), expected);
    QCOMPARE(f.form->currentValue("NO"), row);
    for (QPushButton* button : f.form->pageButtons()) {
        QVERIFY2(!core::TMainForm::isPageDone(button), qPrintable(button->objectName()));
    }
    for (const char* locked :
         {"DBGrid1", "Button1", "Button5", "cbYear", "ComboBox1", "BitBtn1", "BitBtn2"}) {
        QVERIFY2(!child(m, locked)->isEnabled(), locked);
    }
    QVERIFY(child(m, "Button4")->isEnabled());
}

void TestLifecycle::createRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    QTest::newRow("duplicate name") << "水稻育种"
                                    << "提示信息"
                                    << "已有同名项目!";
    QTest::newRow("duplicate name with a quote") << "O'Neil的方法"
                                                 << "提示信息"
                                                 << "已有同名项目!";
    QTest::newRow("name over 140 bytes") << QString(71, QChar(0x6C34)) << "提示"
                                         << "“成果名称”最多70个汉字（140字节），现有71个汉字";
    QTest::newRow("character GBK cannot hold")
        << QString::fromUtf8("新方法\xF0\x9F\x98\x80") << "提示"
        << QString::fromUtf8("“成果名称”中的“\xF0\x9F\x98\x80”无法保存，请改用其他字");
}

void TestLifecycle::createRefused() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, message);
    MainFormFixture f;
    f.addAchievement("2008000001", "1", "水稻育种");
    f.addAchievement("2008000002", "1", "O'Neil的方法");
    f.show();
    ScriptedUi ui;
    ui.expectModal("TFormNew", driving([&](QWidget* w) {
                       auto* d = qobject_cast<TFormNew*>(w);
                       QSignalSpy closed(d, &QDialog::finished);
                       type(d, "edt_3", name);
                       d->Button1Click();
                       TAMSEL_VERIFY_UI(ui);
                       QCOMPARE(closed.count(), 0); // the input stays for correction
                       // Typing stops at the field's width in bytes, not at 140 characters.
                       auto* edit = d->findChild<QLineEdit*>(QStringLiteral("edt_3"));
                       QString typed = QString(70, QChar(0x6C34));
                       int pos = 0;
                       QCOMPARE(edit->validator()->validate(typed, pos), QValidator::Acceptable);
                       typed += QChar(0x6C34);
                       QCOMPARE(edit->validator()->validate(typed, pos), QValidator::Invalid);
                   }));
    ui.expectBox(caption, message, platform::Ok, ScriptedUi::Match::Contains);
    f.form->Button6Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(numbersOf(f, "pelk"), (QStringList{"2008000001/.", "2008000002/."}));
    QVERIFY(child<QPushButton>(f.form.get(), "Button1")->isEnabled()); // no lock without a new achievement
}

void TestLifecycle::exitPaths_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<int>("answer"); // 0: no question expected
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("stores");
    QTest::newRow("clean") << ""
                           << "测试研究院" << false << 0 << "" << true << false;
    QTest::newRow("both blank") << ""
                                << "" << true << 0 << "" << true << false;
    QTest::newRow("name blank") << ""
                                << "测试研究院" << true << 0 << "成果名称不能为空！" << false << false;
    QTest::newRow("OK stores") << "新成果"
                               << "测试研究院" << true << int(platform::Ok) << "" << true << true;
    QTest::newRow("Cancel discards") << "新成果"
                                     << "测试研究院" << true << int(platform::Cancel) << "" << true << false;
    QTest::newRow("unit blank") << "新成果"
                                << "" << true << 0 << "成果第一完成单位不能为空！" << false << false;
}

void TestLifecycle::exitPaths() {
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QFETCH(bool, typed);
    QFETCH(int, answer);
    QFETCH(QString, warning);
    QFETCH(bool, closes);
    QFETCH(bool, stores);
    MainFormFixture f;
    f.show();
    ScriptedUi ui;
    ui.expectModal("TFormNew", driving([&](QWidget* w) {
                       auto* d = qobject_cast<TFormNew*>(w);
                       QSignalSpy closed(d, &QDialog::finished);
                       if (typed) {
                           type(d, "edt_3", name);
                           type(d, "edt_9", unit);
                       }
                       if (answer != 0) {
                           ui.expectBox("提示信息", "退出并储存？", Icon::Information,
                                        platform::Button(answer));
                       }
                       if (!warning.isEmpty()) {
                           ui.expectBox("Tamsel", warning, Icon::Warning);
                       }
                       d->Button2Click();
                       TAMSEL_VERIFY_UI(ui);
                       QCOMPARE(closed.count() > 0, closes);
                   }));
    f.form->Button6Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(tableRows(f, "pelk", {"ITEM_3"}).size(), stores ? 1 : 0);
}

void TestLifecycle::yearChecks_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("step"); // change, exit, store
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("left");
    QTest::newRow("letters typed") << "20a9"
                                   << "change"
                                   << "不能输入非数字的字符！"
                                   << "";
    QTest::newRow("below range left") << "1899"
                                      << "exit"
                                      << "不能输入1900到2050外的年份！"
                                      << "";
    QTest::newRow("above range left") << "2051"
                                      << "exit"
                                      << "不能输入1900到2050外的年份！"
                                      << "";
    QTest::newRow("in range left") << "2050"
                                   << "exit"
                                   << ""
                                   << "2050";
    QTest::newRow("blank stored") << ""
                                  << "store"
                                  << "年份不能为空！"
                                  << "";
    QTest::newRow("partial year stored") << "20"
                                         << "store"
                                         << "不能输入1900到2050外的年份！"
                                         << "20";
}

void TestLifecycle::yearChecks() {
    QFETCH(QString, year);
    QFETCH(QString, step);
    QFETCH(QString, warning);
    QFETCH(QString, left);
    MainFormFixture f;
    f.show();
    ScriptedUi ui;
    ui.expectModal("TFormNew", driving([&](QWidget* w) {
                       auto* d = qobject_cast<TFormNew*>(w);
                       type(d, "edt_3", "新成果");
                       if (!warning.isEmpty()) {
                           ui.expectBox("Tamsel", warning, Icon::Warning);
                       }
                       if (step == "change") {
                           type(d, "cbYear", year);
                       } else {
                           child<QLineEdit>(d, "cbYear")->setText(year);
                           step == "exit" ? d->cbYearExit() : d->Button1Click();
                       }
                       QCOMPARE(child<QLineEdit>(d, "cbYear")->text(), left);
                   }));
    f.form->Button6Click();
    TAMSEL_VERIFY_UI(ui);
    QVERIFY(tableRows(f, "pelk", {"ITEM_3"}).isEmpty());
}

void TestLifecycle::changeYearRekeysOwnChildren() {
    MainFormFixture f;
    f.addAchievement("2008000001", "1", "旧成果", true, {{"ITEM_120", "OLD"}});
    // Another achievement with the same number from elsewhere, with child rows of its own.
    f.addAchievement("2008000001", "1", "别处成果", false, {{"ITEM_DQDM", "ABC"}});
    f.addAchievement("2009000004", "1", "去年成果");
    addChildren(f, "2008000001", ".");
    addChildren(f, "2008000001", "ABC");
    f.show();
    child<QComboBox>(f.form.get(), "cbYear")->setCurrentText("2008");
    f.form->ComboBox1Change();
    QCOMPARE(f.form->currentValue("ITEM_DQDM"), QStringLiteral("."));

    ScriptedUi ui;
    ui.expectModal("TFormNew", driving([&](QWidget* w) {
                       auto* d = qobject_cast<TFormNew*>(w);
                       QCOMPARE(d->windowTitle(), TFormNew::changeCaption());
                       QCOMPARE(child<QLineEdit>(d, "cbYear")->text(), QStringLiteral("2008"));
                       QCOMPARE(child<QLineEdit>(d, "edt_120")->text(), QStringLiteral("OLD"));
                       type(d, "cbYear", "2009");
                       type(d, "edt_3", "旧成果（修订）");
                       d->Button1Click();
                   }));
    f.form->Button3Click();
    TAMSEL_VERIFY_UI(ui);

    QCOMPARE(numbersOf(f, "pelk"), (QStringList{"2009000005/.", "2008000001/ABC", "2009000004/."}));
    QCOMPARE(tableRows(f, "pelk", {"ITEM_3"}).first()["ITEM_3"], QStringLiteral("旧成果（修订）"));
    QCOMPARE(tableRows(f, "pelk", {"ITEM_3"})[1]["ITEM_3"], QStringLiteral("别处成果"));
    for (const QString& table : kChildTables) {
        QStringList expected{"2009000005/.", "2008000001/ABC"};
        if (table == "cgwcr.DBF") { // the completer rows the fixture adds come first
            expected = QStringList{"2009000005/.", "2009000004/."} + expected;
        }
        QCOMPARE(numbersOf(f, table), expected);
    }
    // The main window follows the achievement into its new year.
    QCOMPARE(child<QComboBox>(f.form.get(), "cbYear")->currentText(), QStringLiteral("2009"));
    QCOMPARE(f.form->currentValue("ITEM_4"), QStringLiteral("2009000005"));
}

void TestLifecycle::changeCategory_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("item21");
    QTest::addColumn<bool>("item21Kept");
    QTest::newRow("applied to soft, 4 kept") << "1" << 1 << "4" << true;
    QTest::newRow("applied to basic, 1 emptied") << "1" << 2 << "1" << false;
    QTest::newRow("soft to applied, 5 kept") << "2" << 0 << "5" << true;
    QTest::newRow("soft to applied, 6 emptied") << "2" << 0 << "6" << false;
}

void TestLifecycle::changeCategory() {
    QFETCH(QString, from);
    QFETCH(int, to);
    QFETCH(QString, item21);
    QFETCH(bool, item21Kept);
    const QStringList applied = {"ITEM_123", "ITEM_124_1", "ITEM_16",   "ITEM_33",
                                 "ITEM_32",  "ITEM_32_1",  "ITEM_125_1"};
    const QStringList others = {"ITEM_210", "ITEM_200"};
    Values extra{{"ITEM_21", item21}, {"ITEM_14", "关键词"}};
    for (const QString& field : applied + others) {
        extra.insert(field, "1");
    }
    MainFormFixture f;
    f.addAchievement("2008000001", from, "成果", true, extra);
    f.show();
    child<QComboBox>(f.form.get(), "ComboBox1")->setCurrentIndex(from.toInt() - 1);
    f.form->ComboBox1Change();
    ScriptedUi ui;
    ui.expectModal("TFormNew", driving([&](QWidget* w) {
                       auto* d = qobject_cast<TFormNew*>(w);
                       QCOMPARE(d->category(), from.toInt() - 1);
                       child<QComboBox>(d, "ComboBox1")->setCurrentIndex(to);
                       d->ComboBox1Change();
                       d->Button1Click();
                   }));
    f.form->Button3Click();
    TAMSEL_VERIFY_UI(ui);

    const Row row =
        tableRows(f, "pelk", applied + others + QStringList{"ITEM_21", "ITEM_CGLB", "ITEM_4", "ITEM_14"})
            .first();
    QCOMPARE(row["ITEM_CGLB"], QString::number(to + 1));
    QCOMPARE(row["ITEM_4"], QStringLiteral("2008000001"));
    QCOMPARE(row["ITEM_14"], QStringLiteral("关键词"));
    QCOMPARE(row["ITEM_21"], item21Kept ? item21 : QString());
    for (const QString& field : to == 0 ? others : applied) {
        QVERIFY2(row[field].isEmpty(), qPrintable(field));
    }
    for (const QString& field : to == 0 ? applied : others) {
        QCOMPARE(row[field], QStringLiteral("1"));
    }
}

void TestLifecycle::changeRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    QTest::newRow("name of another achievement") << "别的成果"
                                                 << "提示信息"
                                                 << "已有同名项目!";
    QTest::newRow("name over 140 bytes") << QString(71, QChar(0x6C34)) << "提示"
                                         << "“成果名称”最多70个汉字（140字节），现有71个汉字";
}

void TestLifecycle::changeRefused() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, message);
    MainFormFixture f;
    f.addAchievement("2008000001", "1", "本成果");
    f.addAchievement("2008000002", "1", "别的成果");
    addChildren(f, "2008000001", ".");
    f.show();
    const QStringList pelkBefore = numbersOf(f, "pelk");
    ScriptedUi ui;
    ui.expectModal("TFormNew", driving([&](QWidget* w) {
                       auto* d = qobject_cast<TFormNew*>(w);
                       type(d, "cbYear", "2010"); // a new number too: neither it nor the children may move
                       type(d, "edt_3", name);
                       d->Button1Click();
                   }));
    ui.expectBox(caption, message, platform::Ok, ScriptedUi::Match::Contains);
    f.form->Button3Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(numbersOf(f, "pelk"), pelkBefore);
    QCOMPARE(tableRows(f, "pelk", {"ITEM_3"}).first()["ITEM_3"], QStringLiteral("本成果"));
    for (const QString& table : kChildTables) {
        QVERIFY2(!numbersOf(f, table).join(',').contains("2010"), qPrintable(table));
    }

    // Keeping its own name is no duplicate.
    ScriptedUi again;
    again.expectModal("TFormNew", driving([&](QWidget* w) {
                          auto* d = qobject_cast<TFormNew*>(w);
                          type(d, "edt_120", "NEW");
                          d->Button1Click();
                      }));
    child<QComboBox>(f.form.get(), "cbYear")->setCurrentText("2008");
    f.form->ComboBox1Change();
    f.form->Button3Click();
    TAMSEL_VERIFY_UI(again);
    QCOMPARE(tableRows(f, "pelk", {"ITEM_120"}).first()["ITEM_120"], QStringLiteral("NEW"));
}

void TestLifecycle::categoryChangeInDialogReloadsFully() {
    MainFormFixture f;
    f.addAchievement("2008000003", "1", "应用成果", true, {{"NO", "1"}});
    f.addAchievement("2008000001", "2", "软科学甲", false, {{"NO", "5"}});
    f.addAchievement("2008000002", "2", "软科学乙", true, {{"NO", "5"}});
    f.show();
    QVERIFY(child(f.form.get(), "DBGrid1")->isEnabled());
    ScriptedUi ui;
    ui.expectModal("TFormNew", driving([&](QWidget* w) {
                       auto* d = qobject_cast<TFormNew*>(w);
                       child<QComboBox>(d, "ComboBox1")->setCurrentIndex(1);
                       d->ComboBox1Change();
                   }));
    f.form->Button6Click();
    TAMSEL_VERIFY_UI(ui);
    // The soft-science list is numbered afresh and locked on its incomplete first achievement.
    QCOMPARE(child<QComboBox>(f.form.get(), "ComboBox1")->currentIndex(), 1);
    QCOMPARE(f.form->currentValue("ITEM_4"), QStringLiteral("2008000001"));
    QStringList numbers;
    for (const auto& row : f.pelkRows({"ITEM_4", "NO"})) {
        numbers << row["ITEM_4"] + '=' + row["NO"];
    }
    QCOMPARE(numbers, (QStringList{"2008000003=1", "2008000001=1", "2008000002=2"}));
    QVERIFY(!core::TMainForm::isPageDone(f.form->pageButton("01")));
    QVERIFY(!child(f.form.get(), "DBGrid1")->isEnabled());
}

void TestLifecycle::deleteThirdOfFive() {
    MainFormFixture f;
    for (int i = 1; i <= 5; ++i) {
        // The fourth lacks its completers: once current, it locks the list.
        f.addAchievement(QStringLiteral("200800000%1").arg(i), "1", QStringLiteral("成果%1").arg(i), i != 4);
    }
    f.addAchievement("2008000003", "1", "别处成果", false, {{"ITEM_DQDM", "ABC"}});
    addChildren(f, "2008000003", ".");
    addChildren(f, "2008000003", "ABC");
    f.show();
    QVERIFY(child<QTableView>(f.form.get(), "DBGrid1")->isEnabled());
    QVERIFY(f.dm->Qrypelk.locate(QStringLiteral("ITEM_3"), QStringLiteral("成果3")));

    {
        ScriptedUi ui;
        ui.expectBox("提示信息", "是否删除'成果3'项目?", Icon::Information, platform::No);
        f.form->Button4Click();
        TAMSEL_VERIFY_UI(ui);
        QCOMPARE(tableRows(f, "pelk", {"ITEM_4"}).size(), 6);
    }
    ScriptedUi ui;
    ui.expectBox("提示信息", "是否删除'成果3'项目?", Icon::Information, platform::Yes);
    f.form->Button4Click();
    TAMSEL_VERIFY_UI(ui);

    QStringList listed;
    engine::Query& list = f.dm->Qrypelk;
    const int current = list.recNo();
    for (list.first(); !list.eof(); list.next()) {
        listed << list.asString(u"NO") + ":" + list.asString(u"ITEM_3");
    }
    list.setRecNo(current);
    QCOMPARE(listed, (QStringList{"1:成果1", "2:成果2", "3:成果4", "4:成果5", "5:别处成果"}));
    QCOMPARE(f.form->currentValue("ITEM_3"), QStringLiteral("成果4"));
    QVERIFY(!child<QTableView>(f.form.get(), "DBGrid1")->isEnabled());
    for (const QString& table : kChildTables) {
        QVERIFY2(!numbersOf(f, table).contains("2008000003/."), qPrintable(table));
        QVERIFY2(numbersOf(f, table).contains("2008000003/ABC"), qPrintable(table));
    }
}

void TestLifecycle::yearChangeOfIncoming_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("expected"); // the number the incoming achievement ends with
    QTest::newRow("to 2009") << "2009" << int(platform::Yes) << "2009000003";
    QTest::newRow("declined") << "2009" << int(platform::No) << "2008000001";
    QTest::newRow("not a year") << "20x9" << int(platform::Yes) << "2008000001";
}

void TestLifecycle::yearChangeOfIncoming() {
    QFETCH(QString, year);
    QFETCH(int, answer);
    QFETCH(QString, expected);
    MainFormFixture f;
    f.append("pelktemp", {{"ITEM_4", "2008000001"}, {"ITEM_DQDM", "110"}});
    f.append("pelktemp", {{"ITEM_4", "2009000002"}, {"ITEM_DQDM", "120"}});
    f.append("pelktemp", {{"ITEM_4", "2009ABCDEF"}, {"ITEM_DQDM", "130"}});
    addChildren(f, "2008000001", "110", "temp.dbf");
    addChildren(f, "2008000001", "999", "temp.dbf");

    core::Tformformat dialog;
    dialog.setDataModule(f.dm.get());
    int refreshed = 0;
    dialog.setRefreshCounts([&] { ++refreshed; });
    ScriptedUi ui;
    ui.expectModal("Tformformat", driving([&](QWidget*) {
                       QCOMPARE(child<QLineEdit>(&dialog, "edt_4")->text(), QStringLiteral("2008"));
                       child<QLineEdit>(&dialog, "edt_4")->setText(year);
                       dialog.btnsaveClick();
                   }));
    ui.expectBox("请注意！", "确定要更改成果年份吗？", Icon::Question, platform::Button(answer));
    if (year == "20x9" && answer == platform::Yes) {
        ui.expectBox("Tamsel", "不能输入1900到2050外的年份！", Icon::Warning);
    } else if (expected != "2008000001") {
        ui.expectBox("Tamsel", "成果年份修改成功！", Icon::Warning);
    }
    dialog.showDialog();
    TAMSEL_VERIFY_UI(ui);

    QCOMPARE(numbersOf(f, "pelktemp"), (QStringList{expected + "/110", "2009000002/120", "2009ABCDEF/130"}));
    for (const QString& table : kChildTables) {
        QCOMPARE(numbersOf(f, table.section('.', 0, 0) + "temp.dbf"),
                 (QStringList{expected + "/110", "2008000001/999"}));
    }
    QCOMPARE(refreshed, year == "20x9" ? 0 : 1);
    QCOMPARE(f.dm->T_temp_in.asString(u"ITEM_4"), expected); // the import list stays on it
}

TAMSEL_TEST(TestLifecycle)
#include "test_lifecycle.moc"
