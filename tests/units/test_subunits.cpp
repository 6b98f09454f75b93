// The registering unit's discipline leaders and second-level units, stored through their windows
// and read back from the files.
#include "engine/query.h"
#include "support/listfixture.h"
#include "support/testmain.h"
#include "units/discipline_leader_dialog.h"
#include "units/discipline_leaders_page.h"
#include "units/second_level_units_page.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

using namespace tamsel;
using platform::Button;
using test::ListFixture;
using test::ScriptedUi;
using units::TFinto11;
using units::TFpage10;
using units::TFpage11;

namespace {

const QString kUnit = QStringLiteral("9990001000");
const QString kSaved = QStringLiteral("储存成功！");

template <typename T = QLineEdit> T* child(const QWidget* w, const char* name) {
    auto* found = w->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// The registering unit's record carries its code, as the profile stores it.
void giveUnitCode(ListFixture& f) {
    engine::Table& unit = f.dm->Tblunit;
    unit.first();
    unit.edit();
    unit.setValue(u"unitcode", kUnit);
    unit.setValue(u"unitlevel", QStringLiteral("1"));
    unit.post();
}

QStringList leaders(const ListFixture& f) {
    return f.rows(QStringLiteral("unitexpert.dbf"),
                  {"UNITCODE", "ITEM_187", "ITEM_180", "ITEM_181", "ITEM_182", "ITEM_124_1"});
}

// The leaders page of the registering unit, with its dialog driven in place.
struct Leaders {
    Leaders() : page(*f.dm, *f.main) {
        giveUnitCode(f);
        page.Load(kUnit);
        page.FormShow();
    }
    TFinto11& dialog() { return *page.into11(); }
    void openDialog(bool modify) {
        dialog().setWindowTitle(modify ? TFinto11::modifyCaption() : TFinto11::addCaption());
        dialog().FormShow();
    }
    void fill(const QString& name, const QString& year, const QString& month) {
        child(&dialog(), "edtry_180")->setText(name);
        child(&dialog(), "Edt_both_1")->setText(year);
        child(&dialog(), "edt_both_2")->setText(month);
        child(&dialog(), "edtry_186")->setText(QStringLiteral("说明"));
        core::SelectCode(QStringLiteral("1"), child<QComboBox>(&dialog(), "cbry_181"));
        core::SelectCode(QStringLiteral("02"), child<QComboBox>(&dialog(), "cbry_124_1"));
    }
    void add(const QString& name) {
        openDialog(false);
        fill(name, QStringLiteral("1970"), QStringLiteral("05"));
        ScriptedUi ui;
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        dialog().Button1Click();
        QVERIFY2(ui.verify(), qPrintable(ui.failures()));
        page.FormShow();
    }
    bool buttonsEnabled() const {
        return child<QPushButton>(&page, "Button1")->isEnabled() &&
               child<QPushButton>(&page, "Button3")->isEnabled();
    }

    ListFixture f;
    TFpage11 page;
};

} // namespace

class TestSubunits : public QObject {
    Q_OBJECT
private slots:
    void leaderEntry_data();
    void leaderEntry();
    void leaderListRenumbers();
    void secondLevelUnits();
};

void TestSubunits::leaderEntry_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QStringList>("exitBoxes"); // boxes on leaving the year, then the month
    QTest::addColumn<QString>("message");       // empty: stored
    QTest::addColumn<QString>("stored");

    const QStringList none;
    const QString badYear = QStringLiteral("年份不合法！");
    const QString badMonth = QStringLiteral("月份不合法");
    const QString exitYear = QStringLiteral("非法年份");
    const QString exitMonth = QStringLiteral("不是合法时间!");
    QTest::newRow("2050/12") << "2050"
                             << "12" << none << QString() << "2050.12";
    QTest::newRow("month padded") << "1965"
                                  << "3" << none << QString() << "1965.03";
    QTest::newRow("2051") << "2051"
                          << "01" << QStringList{exitYear} << badYear << QString();
    QTest::newRow("1899") << "1899"
                          << "01" << QStringList{exitYear} << badYear << QString();
    QTest::newRow("three digits") << "965"
                                  << "01" << QStringList{exitYear} << badYear << QString();
    QTest::newRow("letter in year") << "19a5"
                                    << "01" << QStringList{exitYear} << badYear << QString();
    QTest::newRow("month 0") << "1965"
                             << "0" << QStringList{exitMonth} << badMonth << QString();
    QTest::newRow("month 13") << "1965"
                              << "13" << QStringList{exitMonth} << badMonth << QString();
    QTest::newRow("letter in month") << "1965"
                                     << "1a" << QStringList{exitMonth} << badMonth << QString();
}

void TestSubunits::leaderEntry() {
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QStringList, exitBoxes);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    Leaders l;
    l.openDialog(false);
    l.fill(QStringLiteral("张三"), year, month);
    {
        ScriptedUi ui;
        for (const QString& text : exitBoxes)
            ui.expectBox(QStringLiteral("Tamsel"), text, platform::Icon::None);
        l.dialog().Edt_both_1Exit();
        l.dialog().edt_both_2Exit();
        TAMSEL_VERIFY_UI(ui);
    }
    // The month edit was left: a one-digit month shows its zero. Storing pads it too.
    if (month == QLatin1String("3")) {
        QCOMPARE(child(&l.dialog(), "edt_both_2")->text(), QString("03"));
        child(&l.dialog(), "edt_both_2")->setText(month);
    }
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("Tamsel"), message.isEmpty() ? kSaved : message);
    l.dialog().Button1Click();
    TAMSEL_VERIFY_UI(ui);
    if (message.isEmpty()) {
        QCOMPARE(leaders(l.f), QStringList{kUnit + "|1|张三|1|" + stored + "|02"});
        QVERIFY(child(&l.dialog(), "edtry_180")->text().isEmpty()); // ready for the next person
    } else {
        QVERIFY(leaders(l.f).isEmpty());
    }
}

void TestSubunits::leaderListRenumbers() {
    Leaders l;
    QVERIFY(!l.buttonsEnabled());
    // A leader of another unit is neither listed, counted nor renumbered.
    l.f.append(QStringLiteral("unitexpert.dbf"),
               {{"UNITCODE", "9990001010"}, {"ITEM_187", "1"}, {"ITEM_180", "外单位"}});
    l.add(QStringLiteral("甲"));
    l.add(QStringLiteral("乙"));
    l.add(QStringLiteral("丙"));
    QVERIFY(l.buttonsEnabled());
    // Leaving with a typed name asks; No stores nothing.
    l.openDialog(false);
    // A new leader starts with the last birth month and field.
    QCOMPARE(child(&l.dialog(), "Edt_both_1")->text(), QString("1970"));
    QCOMPARE(child<QComboBox>(&l.dialog(), "cbry_124_1")->currentText().left(2), QString("02"));
    child(&l.dialog(), "edtry_180")->setText(QStringLiteral("丁"));
    {
        ScriptedUi ui;
        ui.expectBox(QStringLiteral("请注意！"), QStringLiteral("记录已更改，是否保存后退出？"), Button::No);
        l.dialog().Button2Click();
        TAMSEL_VERIFY_UI(ui);
    }

    // 修改 shows the current row and writes back into it.
    QVERIFY(l.f.dm->Tblexpert.locate(u"item_180", QStringLiteral("乙")));
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFinto11"), [&](QWidget* w) {
            if (child(w, "Edt_both_1")->text() != "1970" || child(w, "edt_both_2")->text() != "05")
                return -1;
            child(w, "edtry_180")->setText(QStringLiteral("乙改"));
            l.dialog().Button1Click();
            return l.dialog().result();
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        l.page.Button3Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(leaders(l.f), (QStringList{"9990001010|1|外单位|||", kUnit + "|1|甲|1|1970.05|02",
                                        kUnit + "|2|乙改|1|1970.05|02", kUnit + "|3|丙|1|1970.05|02"}));

    // Deleting the second renumbers the others.
    QVERIFY(l.f.dm->Tblexpert.locate(u"item_180", QStringLiteral("乙改")));
    for (int k = 0; k < 3; ++k) {
        ScriptedUi ui;
        ui.expectBox(QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"), Button::Yes);
        l.page.Button1Click();
        TAMSEL_VERIFY_UI(ui);
        if (k == 0) {
            QCOMPARE(leaders(l.f), (QStringList{"9990001010|1|外单位|||", kUnit + "|1|甲|1|1970.05|02",
                                                kUnit + "|2|丙|1|1970.05|02"}));
            QVERIFY(l.buttonsEnabled());
        }
    }
    QCOMPARE(leaders(l.f), QStringList{"9990001010|1|外单位|||"});
    QVERIFY(!l.buttonsEnabled());
}

void TestSubunits::secondLevelUnits() {
    ListFixture f;
    giveUnitCode(f);
    TFpage10 page(*f.dm, *f.main);
    QVERIFY(page.Load());
    page.FormShow();
    QCOMPARE(child<QLabel>(&page, "PanelUpCode")->text(), kUnit);
    auto units = [&f] {
        return f.rows(QStringLiteral("unit.dbf"), {"UNITCODE", "UPUNITCODE", "UNITLEVEL", "ENDLEVEL",
                                                   "ITEM_9", "ITEM_124_1", "UNITINTROD"});
    };
    const QString registering = kUnit + "||1||测试研究院||";
    auto store = [&page] {
        ScriptedUi ui;
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        page.btnSave01Click();
        return ui.verify();
    };
    auto select = [&page](int row) {
        auto* grid = child<QTableView>(&page, "DBGrid1");
        grid->setCurrentIndex(grid->model()->index(row, 0));
    };

    // Without a unit, 存储 and 删除 are off and do nothing: no stray record.
    QVERIFY(!child<QPushButton>(&page, "btnSave01")->isEnabled());
    {
        ScriptedUi ui;
        page.btnSave01Click();
        page.Button3Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(units(), QStringList{registering});

    page.Button2Click();
    page.Button2Click();
    QCOMPARE(page.shownCode(), QString("9990001020"));
    QVERIFY(child<QPushButton>(&page, "btnSave01")->isEnabled());

    // Storing a unit leaves the current achievement's page buttons alone.
    core::TMainForm::setPageDone(f.main->pageButton("04"), false);
    child(&page, "edt_9")->setText(QStringLiteral("二所"));
    child(&page, "edt_124_1_1")->setText(QStringLiteral("01  电子信息"));
    child<QPlainTextEdit>(&page, "Memo3")->setPlainText(QStringLiteral("简介\t二"));
    QVERIFY(store());
    select(0);
    QCOMPARE(page.shownCode(), QString("9990001010"));
    QVERIFY(child(&page, "edt_9")->text().isEmpty());
    child(&page, "edt_9")->setText(QStringLiteral("一所"));
    QVERIFY(store());

    // Typed into the first, then the second selected: its own data shows and is stored back.
    child(&page, "edt_9")->setText(QStringLiteral("改名"));
    select(1);
    QCOMPARE(child(&page, "edt_9")->text(), QString("二所"));
    QCOMPARE(child(&page, "edt_124_1_1")->text(), QString("01  电子信息"));
    QVERIFY(store());
    QCOMPARE(units(), (QStringList{registering, "9990001010|9990001000|2|0|一所||",
                                   "9990001020|9990001000|2|0|二所|01 ;|简介 二"}));
    QVERIFY(!core::TMainForm::isPageDone(f.main->pageButton("04")));

    // 学科带头人情况 lists the leaders of the selected unit.
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFpage11"));
        page.BitBtndtrClick();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(page.leaders()->unitCode(), QString("9990001020"));
    QCOMPARE(page.leaders()->into11()->unitCode(), QString("9990001020"));

    // 删除 removes the selected unit and shows the one that takes its place.
    {
        ScriptedUi ui;
        ui.expectBox(QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"), Button::Yes);
        page.Button3Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(units(), (QStringList{registering, "9990001010|9990001000|2|0|一所||"}));
    QCOMPARE(child(&page, "edt_9")->text(), QString("一所"));

    // The code after …990 would leave the unit's range.
    f.append(QStringLiteral("unit.dbf"),
             {{"UNITCODE", "9990001990"}, {"UPUNITCODE", kUnit}, {"UNITLEVEL", "2"}});
    {
        ScriptedUi ui;
        ui.expectBox(QStringLiteral("Tamsel"), QStringLiteral("二级单位最多99个！"));
        page.Button2Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(units().size(), 3);

    // Closing lets every unit row be seen again.
    page.Unload();
    QVERIFY(!f.dm->Qryunit.filtered());
    QCOMPARE(f.dm->Qryunit.recordCount(), 3);
}

TAMSEL_TEST(TestSubunits)
#include "test_subunits.moc"
