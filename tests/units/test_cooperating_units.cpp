#include "engine/query.h"
#include "support/listfixture.h"
#include "support/testmain.h"
#include "units/cooperating_unit_dialog.h"
#include "units/cooperating_units_page.h"

#include <QLineEdit>

using namespace tamsel;
using test::ListFixture;
using test::ScriptedUi;
using units::TFinto5;
using units::TFpage5;

namespace {

const QString kTable = QStringLiteral("cgwcdw.DBF");

QLineEdit* edit(QWidget* w, const char* name) {
    auto* found = w->findChild<QLineEdit*>(QLatin1String(name));
    if (!found)
        qFatal("no edit %s", name);
    return found;
}

struct Page {
    explicit Page(ListFixture& fixture) : f(fixture), page(*f.dm, *f.main) {
        f.select(1);
        f.main->reopenChildQuery(f.dm->QryCgwcdw, QStringLiteral("cgwcdw"));
        page.Load();
    }

    // 新增 or 修改 with the unit's name, contact and (modify) number.
    void store(const QString& name, bool modify = false, const QString& number = {},
               const QString& contact = QStringLiteral("李四")) {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFinto5"), [&](QWidget* w) {
            auto* dialog = static_cast<TFinto5*>(w);
            edit(dialog, "edtdw_170")->setText(name);
            edit(dialog, "edtdw_171")->setText(QStringLiteral("学院路1号"));
            edit(dialog, "edtdw_173")->setText(contact);
            if (!number.isEmpty())
                edit(dialog, "edt_176")->setText(number);
            dialog->Button1Click();
            return int(dialog->result());
        });
        ui.expectBox(QStringLiteral("Tamsel"), QStringLiteral("储存成功！"));
        modify ? page.btnSave01Click() : page.Button2Click();
        QVERIFY2(ui.verify(), qPrintable(ui.failures()));
    }

    void current(const QString& name) {
        engine::Query& q = f.dm->QryCgwcdw;
        for (q.first(); !q.eof(); q.next()) {
            if (q.asString(u"ITEM_170") == name)
                return;
        }
        QFAIL("unit not in the list");
    }

    // "序号|单位名称|联系人" of the achievement's local units, by 序号.
    QStringList list(const QString& dqdm = QStringLiteral(".")) const {
        QStringList rows;
        for (const QString& r :
             f.rows(kTable, {"ITEM_DQDM", "ITEM_176", "ITEM_170", "ITEM_173"}, ListFixture::number(1))) {
            if (r.section('|', 0, 0) == dqdm)
                rows << r.section('|', 1);
        }
        rows.sort();
        return rows;
    }

    ListFixture& f;
    TFpage5 page;
};

} // namespace

class TestCoopUnits : public QObject {
    Q_OBJECT
private slots:
    void postcodeTakesDigitsOnly();
    void numberChecks_data();
    void numberChecks();
    void leavingComparesFourTexts();
    void movingTheSecondToTheFront();
    void changeReachesOnlyItsOwnRow();
};

void TestCoopUnits::postcodeTakesDigitsOnly() {
    ListFixture f;
    Page p(f);
    QLineEdit* postcode = edit(p.page.into5(), "edtdw_172");
    QTest::keyClicks(postcode, "10a00-8x1");
    QCOMPARE(postcode->text(), QStringLiteral("100081"));
}

void TestCoopUnits::numberChecks_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("message"); // empty: no box, the dialog stays open
    QTest::newRow("cleared") << ""
                             << "";
    QTest::newRow("blanks") << "  "
                            << "";
    QTest::newRow("letters") << "2a"
                             << "输入序号必须为数字！";
}

void TestCoopUnits::numberChecks() {
    QFETCH(QString, number);
    QFETCH(QString, message);
    ListFixture f;
    Page p(f);
    p.store(QStringLiteral("甲单位"));
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFinto5"), [&](QWidget* w) {
        auto* dialog = static_cast<TFinto5*>(w);
        edit(dialog, "edtdw_170")->setText(QStringLiteral("乙单位"));
        edit(dialog, "edt_176")->setText(number);
        dialog->setResult(0);
        dialog->Button1Click();
        return int(dialog->result());
    });
    if (!message.isEmpty())
        ui.expectBox(QStringLiteral("Tamsel"), message);
    p.page.btnSave01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.list(), QStringList{"1|甲单位|李四"});
}

void TestCoopUnits::leavingComparesFourTexts() {
    ListFixture f;
    Page p(f);
    p.store(QStringLiteral("甲单位"));
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFinto5"), [&](QWidget* w) {
        auto* dialog = static_cast<TFinto5*>(w);
        edit(dialog, "edtdw_174")->setText(QStringLiteral("010-1234"));
        dialog->setResult(0);
        dialog->Button2Click();
        return int(dialog->result());
    });
    p.page.btnSave01Click();
    TAMSEL_VERIFY_UI(ui);
    // A changed contact asks, and No leaves the row as it was.
    ScriptedUi ui2;
    ui2.expectModal(QStringLiteral("TFinto5"), [&](QWidget* w) {
        auto* dialog = static_cast<TFinto5*>(w);
        edit(dialog, "edtdw_173")->setText(QStringLiteral("王五"));
        dialog->Button2Click();
        return int(dialog->result());
    });
    ui2.expectBox(QStringLiteral("请注意！"), QStringLiteral("记录已更改，是否保存后退出？"), platform::No);
    p.page.btnSave01Click();
    TAMSEL_VERIFY_UI(ui2);
    QCOMPARE(p.list(), QStringList{"1|甲单位|李四"});
}

void TestCoopUnits::movingTheSecondToTheFront() {
    ListFixture f;
    Page p(f);
    p.store(QStringLiteral("甲单位"));
    p.store(QStringLiteral("乙单位"));
    p.current(QStringLiteral("乙单位"));
    p.store(QStringLiteral("乙单位"), true, QStringLiteral("1"), QStringLiteral("王五"));
    const QStringList rows = p.list();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].left(2), QStringLiteral("1|"));
    QCOMPARE(rows[1].left(2), QStringLiteral("2|"));
    QVERIFY(rows.join(',').contains(QStringLiteral("乙单位|王五")));
    // Deleting the first closes the gap.
    p.current(rows[0].section('|', 1, 1));
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"), platform::Yes);
    p.page.Button1Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.list().size(), 1);
    QCOMPARE(p.list()[0].left(2), QStringLiteral("1|"));
}

void TestCoopUnits::changeReachesOnlyItsOwnRow() {
    ListFixture f;
    // An imported achievement of another region with the same number, unit and 序号.
    f.append(kTable, {{"ITEM_4", ListFixture::number(1)},
                      {"ITEM_DQDM", "110"},
                      {"ITEM_176", 1},
                      {"ITEM_170", "甲单位"},
                      {"ITEM_173", "外地"}});
    Page p(f);
    p.store(QStringLiteral("甲单位"));
    p.current(QStringLiteral("甲单位"));
    p.store(QStringLiteral("甲单位"), true, QStringLiteral("1"), QStringLiteral("王五"));
    QCOMPARE(p.list(), QStringList{"1|甲单位|王五"});
    QCOMPARE(p.list(QStringLiteral("110")), QStringList{"1|甲单位|外地"});
}

TAMSEL_TEST(TestCoopUnits)
#include "test_cooperating_units.moc"
