#include "core/query_builder.h"
#include "mainformfixture.h"
#include "support/testmain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

using namespace tamsel;
using tamsel::test::MainFormFixture;
using tamsel::test::ScriptedUi;

namespace {

// A window with achievements of 2009 (applied technology unless said) and one of 2008.
struct QueryFixture : MainFormFixture {
    explicit QueryFixture(const QStringList& moreNames = {}) {
        addAchievement("2009000001", "1", "水稻育种");
        addAchievement("2009000002", "1", "O'Brien法", false);
        addAchievement("2009000003", "2", "水稻软科学");
        addAchievement("2008000001", "1", "水稻旧品种");
        for (qsizetype i = 0; i < moreNames.size(); ++i) {
            addAchievement(QString("20090001%1").arg(i, 2, 10, QChar('0')), "1", moreNames.at(i));
        }
        show();
    }
    void chooseItem(const QString& text) {
        auto* items = control<QComboBox>("ComboBox2");
        items->setCurrentIndex(items->findText(text));
        form->ComboBox2Change();
    }
    core::QueryBuilder& builder() { return *core::QueryBuilder::of(*form); }
    QPlainTextEdit* box() { return control<QPlainTextEdit>("MMSysV"); }
    QStringList names() {
        QStringList shown;
        for (dm->Qrypelk.first(); !dm->Qrypelk.eof(); dm->Qrypelk.next()) {
            shown << dm->Qrypelk.asString(QString("NO")) + ":" + dm->Qrypelk.asString(QString("ITEM_3"));
        }
        dm->Qrypelk.first();
        return shown;
    }
};

} // namespace

class TestQueryBuilder : public QObject {
    Q_OBJECT
private slots:
    void addingConditions_data();
    void addingConditions();
    void queryFindsQuotedNameAndKeepsPlainList();
    void valuesAreSearchedAsTyped_data();
    void valuesAreSearchedAsTyped();
    void failuresRestoreTheList_data();
    void failuresRestoreTheList();
    void completenessFollowsTheList();
};

void TestQueryBuilder::addingConditions_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("comparison");
    QTest::addColumn<QString>("value"); // typed, or the list entry starting with it
    QTest::addColumn<QString>("piece");
    QTest::newRow("contains") << "成果名称"
                              << "包含"
                              << "水稻"
                              << " item_3 like '%水稻%'";
    QTest::newRow("quote doubled") << "成果名称"
                                   << "包含"
                                   << "O'Brien"
                                   << " item_3 like '%O''Brien%'";
    QTest::newRow("list code") << "评价形式(应用)"
                               << "="
                               << "2"
                               << " item_21 ='2'";
    QTest::newRow("soft and basic evaluation on item_21") << "评价形式(软、基)"
                                                          << "<>"
                                                          << "4"
                                                          << " item_21 <>'4'";
    QTest::newRow("empty comparison") << "评价形式(应用)"
                                      << ""
                                      << "2"
                                      << " item_21 '2'";
    QTest::newRow("picked class code") << "中图分类号"
                                       << "="
                                       << "TP3  计算技术、计算机技术"
                                       << " item_12 ='TP3'";
}

void TestQueryBuilder::addingConditions() {
    QFETCH(QString, item);
    QFETCH(QString, comparison);
    QFETCH(QString, value);
    QFETCH(QString, piece);
    QueryFixture f;
    f.chooseItem(item);
    auto* comparisons = f.control<QComboBox>("ComboBox4");
    comparisons->setCurrentIndex(comparisons->findText(comparison));
    auto* list = f.control<QComboBox>("Combobox3");
    if (!list->isHidden()) {
        const int index = list->findText(value + "  ", Qt::MatchStartsWith);
        QVERIFY(index >= 0);
        list->setCurrentIndex(index);
    } else {
        QVERIFY(f.control<QLineEdit>("Edit2")->isHidden() == false);
        f.control<QLineEdit>("Edit2")->setText(value);
    }
    f.builder().SpeedButton20Click();
    f.builder().SpeedButton24Click();
    f.builder().SpeedButton21Click();
    f.builder().SpeedButton15Click();
    QCOMPARE(f.box()->toPlainText(), "(" + piece + ")and ");
    // 剪切 takes out the selection and leaves the box read-only.
    QTextCursor cursor = f.box()->textCursor();
    cursor.setPosition(f.box()->toPlainText().size() - 4);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    f.box()->setTextCursor(cursor);
    f.builder().SpeedButton23Click();
    QCOMPARE(f.box()->toPlainText(), "(" + piece + ")");
    QVERIFY(f.box()->isReadOnly());
}

void TestQueryBuilder::queryFindsQuotedNameAndKeepsPlainList() {
    QueryFixture f;
    const QString plain = f.dm->SavedListSql;
    QCOMPARE(f.names(), (QStringList{"1:水稻育种", "2:O'Brien法"}));
    f.chooseItem("成果名称");
    f.control<QLineEdit>("Edit2")->setText("O'Brien");
    f.builder().SpeedButton24Click();
    f.builder().SpeedButton16Click();
    QCOMPARE(f.names(), QStringList{"1:O'Brien法"});
    QCOMPARE(f.dm->SavedListSql, plain);

    // A second query on top of the first still leaves the plain list to go back to.
    f.box()->setPlainText(" item_3 like '%水稻%'");
    f.builder().SpeedButton16Click();
    QCOMPARE(f.names(), QStringList{"1:水稻育种"});
    QCOMPARE(f.dm->SavedListSql, plain);

    f.builder().SpeedButton26Click();
    QCOMPARE(f.dm->Qrypelk.sql(), plain);
    QCOMPARE(f.names(), (QStringList{"1:水稻育种", "2:O'Brien法"}));
    QVERIFY(f.box()->toPlainText().isEmpty());
    QCOMPARE(core::QueryBuilder::yearPrefix("2009年"), QString("2009"));
    QCOMPARE(core::QueryBuilder::yearPrefix("2'"), QString("2'"));
}

void TestQueryBuilder::valuesAreSearchedAsTyped_data() {
    QTest::addColumn<QString>("comparison");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("found"); // none: the box says so and the plain list comes back
    QTest::newRow("quote") << "包含"
                           << "O'Brien" << QStringList{"1:O'Brien法"};
    QTest::newRow("quote, equal") << "="
                                  << "O'Brien法" << QStringList{"1:O'Brien法"};
    QTest::newRow("percent is no wildcard") << "包含"
                                            << "50%" << QStringList{"1:含50%氮肥"};
    QTest::newRow("underscore is no wildcard") << "包含"
                                               << "a_b" << QStringList{"1:a_b法"};
    QTest::newRow("backslash") << "包含"
                               << "\\" << QStringList{"1:c\\d法"};
    QTest::newRow("condition text, equal") << "="
                                           << "x' or '1'='1" << QStringList{};
    QTest::newRow("condition text, contains") << "包含"
                                              << "%' or item_3 like '%" << QStringList{};
}

void TestQueryBuilder::valuesAreSearchedAsTyped() {
    QFETCH(QString, comparison);
    QFETCH(QString, value);
    QFETCH(QStringList, found);
    QueryFixture f({"含50%氮肥", "50吨氮肥", "a_b法", "axb法", "c\\d法"});
    const QStringList plain = f.names();
    f.chooseItem("成果名称");
    auto* comparisons = f.control<QComboBox>("ComboBox4");
    comparisons->setCurrentIndex(comparisons->findText(comparison));
    f.control<QLineEdit>("Edit2")->setText(value);
    // The same piece twice: each runs with its own bound value.
    f.builder().SpeedButton24Click();
    f.builder().SpeedButton15Click();
    f.builder().SpeedButton24Click();
    {
        ScriptedUi ui;
        if (found.isEmpty()) {
            ui.expectBox("信息", "没找到符合条件的条目,请再输入合适语句!");
        }
        f.builder().SpeedButton16Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(f.names(), found.isEmpty() ? plain : found);
}

void TestQueryBuilder::failuresRestoreTheList_data() {
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    QTest::newRow("parentheses") << ") and ("
                                 << "Tamsel"
                                 << "您的查询语句含有不正确的的“（”“）”,请修改！";
    QTest::newRow("empty") << ""
                           << "信息"
                           << "没有条件无法查询!";
    QTest::newRow("other year") << "item_3 like '%旧品种%'"
                                << "信息"
                                << "没找到符合条件的条目,请再输入合适语句!";
    QTest::newRow("other category") << "item_3 like '%软科学%'"
                                    << "信息"
                                    << "没找到符合条件的条目,请再输入合适语句!";
    QTest::newRow("unclosed") << "((item_3 like '%a%')"
                              << "请注意！"
                              << "条件输入有误，请检查";
    QTest::newRow("unknown field") << "nosuch='1'"
                                   << "请注意！"
                                   << "条件输入有误，请检查";
    QTest::newRow("unquoted quote") << "item_3 like '%O'Brien%'"
                                    << "请注意！"
                                    << "条件输入有误，请检查";
}

void TestQueryBuilder::failuresRestoreTheList() {
    QFETCH(QString, condition);
    QFETCH(QString, caption);
    QFETCH(QString, message);
    QueryFixture f;
    // Failures return to the list shown before, here an earlier query's result.
    f.box()->setPlainText("item_3 like '%水稻%'");
    f.builder().SpeedButton16Click();
    const QString before = f.dm->Qrypelk.sql();
    f.box()->setPlainText(condition);
    {
        ScriptedUi ui;
        ui.expectBox(caption, message);
        f.builder().SpeedButton16Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(f.dm->Qrypelk.sql(), before);
    QCOMPARE(f.names(), QStringList{"1:水稻育种"});
    QCOMPARE(f.box()->toPlainText(), condition);
}

void TestQueryBuilder::completenessFollowsTheList() {
    QueryFixture f;
    auto* grid = f.control<QTableView>("DBGrid1");
    QVERIFY(grid->isEnabled());
    f.box()->setPlainText("item_4='2009000002'");
    f.builder().SpeedButton16Click();
    QCOMPARE(f.names(), QStringList{"1:O'Brien法"});
    // The imported, incomplete achievement is current: its pages show open and the list locks.
    QVERIFY(!core::TMainForm::isPageDone(f.form->pageButton("08")));
    QVERIFY(!grid->isEnabled());
    // 恢复 brings back the plain list, whose first achievement is complete.
    f.builder().SpeedButton26Click();
    QVERIFY(core::TMainForm::isPageDone(f.form->pageButton("08")));
    QVERIFY(grid->isEnabled());
}

TAMSEL_TEST(TestQueryBuilder)
#include "test_query_builder.moc"
