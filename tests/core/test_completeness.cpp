#include "mainformfixture.h"
#include "support/testmain.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

using namespace tamsel;
using tamsel::test::MainFormFixture;
using tamsel::test::ScriptedUi;

namespace {

const QStringList kLocked = {"DBGrid1", "ComboBox1", "cbYear",  "SpeedButton16", "SpeedButton26",
                             "Button1", "Button5",   "BitBtn1", "BitBtn2",       "BitBtn4"};
const QStringList kNeverLocked = {"Button4", "BitBtn3", "Button2", "BitBtn7"};

QStringList openPages(const MainFormFixture& f) {
    QStringList open;
    for (QPushButton* button : f.form->pageButtons()) {
        if (!core::TMainForm::isPageDone(button)) {
            open.append(button->objectName().right(2));
        }
    }
    return open;
}

} // namespace

class TestCompleteness : public QObject {
    Q_OBJECT
private slots:
    void evaluation_data();
    void evaluation();
    void gridClickLocks();
    void printRefusedWhileIncomplete();
    void closeGuard_data();
    void closeGuard();
};

void TestCompleteness::evaluation_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("emptied");     // mandatory fields left empty
    QTest::addColumn<QString>("completerRegion"); // "" for none
    QTest::addColumn<QStringList>("open");

    QTest::newRow("applied, complete") << "1" << QStringList{} << "." << QStringList{};
    QTest::newRow("applied, no completer") << "1" << QStringList{} << "" << QStringList{"08"};
    QTest::newRow("completer of another region") << "1" << QStringList{} << "110" << QStringList{"08"};
    QTest::newRow("applied, application state empty")
        << "1" << QStringList{"ITEM_32"} << "." << QStringList{"02"};
    QTest::newRow("name empty") << "1" << QStringList{"ITEM_3"} << "." << QStringList{"01"};
    QTest::newRow("several pages") << "1" << QStringList{"ITEM_126", "ITEM_38", "ITEM_121"} << "."
                                   << QStringList{"01", "03", "04"};
    QTest::newRow("soft science, applied-only items empty")
        << "2" << QStringList{"ITEM_32", "ITEM_16", "ITEM_123"} << "." << QStringList{};
    QTest::newRow("soft science, form empty") << "2" << QStringList{"ITEM_210"} << "." << QStringList{"01"};
    QTest::newRow("basic theory, unit empty") << "3" << QStringList{"ITEM_9"} << "." << QStringList{"04"};
}

void TestCompleteness::evaluation() {
    QFETCH(QString, category);
    QFETCH(QStringList, emptied);
    QFETCH(QString, completerRegion);
    QFETCH(QStringList, open);
    MainFormFixture f;
    QHash<QString, QVariant> values = f.completeFields(category);
    for (const QString& field : emptied) {
        values.insert(field, QString());
    }
    values.insert("ITEM_3", emptied.contains("ITEM_3") ? QString() : QStringLiteral("成果"));
    values.insert("ITEM_9", emptied.contains("ITEM_9") ? QString() : QStringLiteral("单位"));
    values.insert("ITEM_4", "2009000001");
    values.insert("ITEM_DQDM", ".");
    values.insert("ITEM_CGLB", category);
    f.append("pelk.dbf", values);
    if (!completerRegion.isEmpty()) {
        f.addCompleter("2009000001", completerRegion);
    }
    f.show();
    ScriptedUi ui;
    f.control<QComboBox>("ComboBox1")->setCurrentIndex(category.toInt() - 1);
    f.form->ComboBox1Change();
    TAMSEL_VERIFY_UI(ui);

    QCOMPARE(openPages(f), open);
    const bool complete = open.isEmpty();
    QCOMPARE(f.form->ApplyCompleteness(), complete);
    for (const QString& name : kLocked) {
        QVERIFY2(f.control(name)->isEnabled() == complete, qPrintable(name));
    }
    for (const QString& name : kNeverLocked) {
        QVERIFY2(f.control(name)->isEnabled(), qPrintable(name));
    }
}

void TestCompleteness::gridClickLocks() {
    MainFormFixture f;
    f.addAchievement("2009000001", "1", "完整的");
    f.addAchievement("2009000002", "1", "未完成的", false);
    f.show();
    QVERIFY(f.control("DBGrid1")->isEnabled());

    ScriptedUi ui;
    ui.expectBox("提示信息", "当前项目有未完成栏目，请您填写完毕!", platform::Icon::Information);
    f.dm->Qrypelk.setRecNo(2);
    f.form->DBGrid1CellClick();
    TAMSEL_VERIFY_UI(ui);
    QVERIFY(!f.control("DBGrid1")->isEnabled());
    QVERIFY(f.control("Button4")->isEnabled());
    QVERIFY(!openPages(f).isEmpty());
}

void TestCompleteness::printRefusedWhileIncomplete() {
    MainFormFixture f;
    f.addAchievement("2009000001", "1", "甲", false, {{"ITEM_51", "1"}});
    f.append("zlqk.dbf",
             {{"ITEM_4", "2009000001"}, {"ITEM_DQDM", "."}, {"PATENT_TY", "1"}, {"PATENT_ST", "2"}});
    f.show();
    ScriptedUi ui;
    f.form->BitBtn4Click();
    TAMSEL_VERIFY_UI(ui);
    const auto rows = f.pelkRows({"ITEM_51", "ITEM_51_1", "patent_ty"});
    QCOMPARE(rows[0]["ITEM_51"], QStringLiteral("1;")); // normalised before the check
    QCOMPARE(rows[0]["ITEM_51_1"], QString());
    QCOMPARE(rows[0]["patent_ty"], QString());
}

void TestCompleteness::closeGuard_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("open");
    QTest::addColumn<QString>("message"); // empty: the window closes

    QTest::newRow("project page") << "1" << QStringList{"03"}
                                  << "课题立项，评价没有填完,请继续填写完成该项目！";
    QTest::newRow("overview before completers")
        << "1" << QStringList{"08", "01"} << "成果概况没有填完,请继续填写完成该项目！";
    QTest::newRow("applied: property page first")
        << "1" << QStringList{"04", "02"} << "知识产权，成果应用情况没有填完,请继续填写完成该项目！";
    QTest::newRow("soft science skips property page")
        << "2" << QStringList{"04", "02"} << "第一完成单位情况没有填完,请继续填写完成该项目！";
    QTest::newRow("completers") << "3" << QStringList{"08"}
                                << "成果完成人员名单没有填完,请继续填写完成该项目！";
    QTest::newRow("optional pages only") << "1" << QStringList{"05", "07", "09"} << "";
    QTest::newRow("soft science, property page open") << "2" << QStringList{"02"} << "";
}

void TestCompleteness::closeGuard() {
    QFETCH(QString, category);
    QFETCH(QStringList, open);
    QFETCH(QString, message);
    MainFormFixture f;
    f.addAchievement("2009000001", category, "甲");
    f.show();
    {
        ScriptedUi ui;
        f.control<QComboBox>("ComboBox1")->setCurrentIndex(category.toInt() - 1);
        f.form->ComboBox1Change();
        TAMSEL_VERIFY_UI(ui);
    }
    // The guard reads the buttons as last set.
    for (const QString& code : open) {
        core::TMainForm::setPageDone(f.form->pageButton(code), false);
    }
    ScriptedUi ui;
    if (!message.isEmpty()) {
        ui.expectBox("Tamsel", message, platform::Icon::Warning);
    }
    f.form->show();
    const bool closed = f.form->close();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(closed, message.isEmpty());
    QCOMPARE(f.form->isVisible(), !message.isEmpty());
}

TAMSEL_TEST(TestCompleteness)
#include "test_completeness.moc"
