#include "engine/query.h"
#include "engine/table.h"
#include "people/committee_page.h"
#include "people/completer_dialog.h"
#include "people/completers_page.h"
#include "people/completers_table_page.h"
#include "people/quick_add_dialog.h"
#include "support/listfixture.h"
#include "support/testmain.h"
#include "units/cooperating_units_page.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace tamsel;
using people::TFinto8;
using people::TFormWcr;
using people::TFpage12;
using people::TFpage8;
using platform::Button;
using test::ListFixture;
using test::ScriptedUi;

namespace {

const QString kTable = QStringLiteral("cgwcr.DBF");
const QString kSaved = QStringLiteral("储存成功！");

struct Person {
    Person(QString name_, QString year_ = QStringLiteral("1965"), QString month_ = QStringLiteral("3"),
           QString unit_ = QStringLiteral("测试研究院"), QString number_ = {})
        : name(std::move(name_)), year(std::move(year_)), month(std::move(month_)), unit(std::move(unit_)),
          number(std::move(number_)) {}
    QString name, year, month, unit;
    QString number; // modify mode only; empty keeps what the dialog shows
};

QLineEdit* edit(QWidget* w, const char* name) {
    auto* found = w->findChild<QLineEdit*>(QLatin1String(name));
    if (!found)
        qFatal("no edit %s", name);
    return found;
}

void fill(TFinto8* dialog, const Person& p) {
    edit(dialog, "edtry_180")->setText(p.name);
    edit(dialog, "edt_182_y")->setText(p.year);
    edit(dialog, "edt_182_m")->setText(p.month);
    edit(dialog, "edtry_185")->setText(p.unit);
    edit(dialog, "edtry_186")->setText(QStringLiteral("总体设计"));
    if (!p.number.isEmpty())
        edit(dialog, "edtry_187")->setText(p.number);
}

// The completers page on the current achievement of a fixture.
struct Page {
    explicit Page(ListFixture& fixture, int serial = 1) : f(fixture), page(*f.dm, *f.main) {
        f.select(serial);
        f.main->reopenChildQuery(f.dm->QryCgwcr, QStringLiteral("cgwcr"));
        page.Load();
    }

    // 新增 (or 修改) with the dialog filled and stored; the boxes it shows are expected by the caller.
    void store(const Person& p, bool modify = false) {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFinto8"), [&](QWidget* w) {
            auto* dialog = static_cast<TFinto8*>(w);
            fill(dialog, p);
            dialog->Button1Click();
            return int(dialog->result());
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        modify ? page.Button3Click() : page.Button2Click();
        QVERIFY2(ui.verify(), qPrintable(ui.failures()));
    }

    // Makes the person with this name current in the list.
    void current(const QString& name, int occurrence = 1) {
        engine::Query& q = f.dm->QryCgwcr;
        int seen = 0;
        for (q.first(); !q.eof(); q.next()) {
            if (q.asString(u"ITEM_180") == name && ++seen == occurrence)
                return;
        }
        QFAIL("person not in the list");
    }

    // "序号|姓名" of the achievement's completers in the table, by 序号.
    QStringList list(const QString& extra = {}, int serial = 1) const {
        QStringList fields{QStringLiteral("ITEM_187"), QStringLiteral("ITEM_180")};
        if (!extra.isEmpty())
            fields << extra;
        QStringList rows = f.rows(kTable, fields, ListFixture::number(serial));
        rows.sort();
        return rows;
    }

    ListFixture& f;
    TFpage8 page;
};

} // namespace

class TestCompleters : public QObject {
    Q_OBJECT
private slots:
    void deletingTheMiddleOneRenumbers();
    void movingAPersonToTheFront();
    void birthDate_data();
    void birthDate();
    void pool_data();
    void pool();
    void quickAddWithNothingSelected_data();
    void quickAddWithNothingSelected();
    void quickAddKeepsTheOrder();
    void tableViewKeepsTheOrder();
    void sameNamesChangedOneAtATime();
    void failedSaveKeepsTheListNumbered();
    void leavingNeedsAPerson();
    void entryDialogDefaultsAndLeaving();
    void helpOnlyForAppliedTechnology_data();
    void helpOnlyForAppliedTechnology();
    void gridEditsReportDuplicateNumbers();
    void typingStopsAtTheFieldWidth();
};

void TestCompleters::deletingTheMiddleOneRenumbers() {
    ListFixture f;
    Page p(f);
    p.store({QStringLiteral("甲")});
    p.store({QStringLiteral("乙")});
    p.store({QStringLiteral("丙")});
    QCOMPARE(p.list(), (QStringList{"1|甲", "2|乙", "3|丙"}));
    p.current(QStringLiteral("乙"));
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"), platform::Icon::Information,
                 platform::Yes);
    p.page.Button1Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.list(), (QStringList{"1|甲", "2|丙"}));
    QCOMPARE(f.dm->QryCgwcr.asString(u"ITEM_180"), QStringLiteral("丙"));
    // The other achievement's list is not touched, and its completeness follows the table.
    QVERIFY(p.list({}, 2).isEmpty());
}

void TestCompleters::movingAPersonToTheFront() {
    ListFixture f;
    Page p(f);
    for (const char* name : {"甲", "乙", "丙"})
        p.store({QString::fromUtf8(name)});
    p.current(QStringLiteral("丙"));
    p.store({QStringLiteral("丙"), "1970", "12", "别的单位", "1"}, true);
    const QStringList rows = p.list(QStringLiteral("ITEM_185"));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[2], QStringLiteral("3|乙|测试研究院"));
    QVERIFY(rows.contains(QStringLiteral("1|丙|别的单位")) || rows.contains(QStringLiteral("2|丙|别的单位")));
    QCOMPARE(p.list(QStringLiteral("ITEM_182")).filter(QStringLiteral("丙")).first().section('|', 2),
             QStringLiteral("1970.12"));
}

void TestCompleters::birthDate_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("message"); // empty: stored
    QTest::addColumn<QString>("stored");
    QTest::newRow("month padded") << "1965"
                                  << "3"
                                  << ""
                                  << "1965.03";
    QTest::newRow("two-digit month") << "1965"
                                     << "11"
                                     << ""
                                     << "1965.11";
    QTest::newRow("month 0 accepted") << "1965"
                                      << "0"
                                      << ""
                                      << "1965.00";
    QTest::newRow("year 1900") << "1900"
                               << "12"
                               << ""
                               << "1900.12";
    QTest::newRow("year 1899") << "1899"
                               << "5"
                               << "出生年份不合法！"
                               << "";
    QTest::newRow("month 13") << "1965"
                              << "13"
                              << "出生月份不合法！"
                              << "";
    QTest::newRow("no month") << "1965"
                              << ""
                              << "出生年月不能为空！"
                              << "";
    QTest::newRow("letters") << "19a5"
                             << "3"
                             << "'19a5' 不是有效的整数"
                             << "";
}

void TestCompleters::birthDate() {
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    ListFixture f;
    Page p(f);
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFinto8"), [&](QWidget* w) {
        auto* dialog = static_cast<TFinto8*>(w);
        fill(dialog, {QStringLiteral("甲"), year, month});
        dialog->setResult(0);
        dialog->Button1Click();
        // A refused date keeps the dialog open with the input.
        if (!message.isEmpty())
            [&] { QCOMPARE(edit(dialog, "edtry_180")->text(), QStringLiteral("甲")); }();
        return int(dialog->result());
    });
    ui.expectBox(QStringLiteral("Tamsel"), message.isEmpty() ? kSaved : message);
    p.page.Button2Click();
    TAMSEL_VERIFY_UI(ui);
    if (message.isEmpty())
        QCOMPARE(p.list(QStringLiteral("ITEM_182")), QStringList{"1|甲|" + stored});
    else
        QVERIFY(p.list().isEmpty());
}

void TestCompleters::pool_data() {
    QTest::addColumn<int>("copies"); // of the name in the pool before the add
    QTest::addColumn<QStringList>("after");
    QTest::newRow("new name") << 0 << QStringList{"王伟|测试研究院"};
    QTest::newRow("found once: overwritten") << 1 << QStringList{"王伟|测试研究院"};
    QTest::newRow("found twice: left alone") << 2 << QStringList{"王伟|旧单位", "王伟|旧单位"};
}

void TestCompleters::pool() {
    QFETCH(int, copies);
    QFETCH(QStringList, after);
    ListFixture f;
    for (int i = 0; i < copies; ++i)
        f.append(QStringLiteral("cgwcrNew.dbf"), {{"ITEM_180", "王伟"}, {"ITEM_185", "旧单位"}});
    f.append(QStringLiteral("cgwcrNew.dbf"), {{"ITEM_180", "O'Brien"}, {"ITEM_185", "别处"}});
    Page p(f);
    p.store({QStringLiteral("王伟")});
    QStringList names = f.rows(QStringLiteral("cgwcrNew.dbf"), {"ITEM_180", "ITEM_185"});
    QCOMPARE(names.filter(QStringLiteral("王伟")), after);
    // A quote in a name is just a character of the name.
    p.store({QStringLiteral("O'Brien")});
    names = f.rows(QStringLiteral("cgwcrNew.dbf"), {"ITEM_180", "ITEM_185"});
    QCOMPARE(names.filter(QStringLiteral("O'Brien")), QStringList{"O'Brien|测试研究院"});
}

void TestCompleters::quickAddWithNothingSelected_data() {
    QTest::addColumn<bool>("all");
    QTest::newRow("yes adds every person") << true;
    QTest::newRow("no adds nobody") << false;
}

void TestCompleters::quickAddWithNothingSelected() {
    QFETCH(bool, all);
    ListFixture f;
    f.append(QStringLiteral("cgwcrNew.dbf"), {{"ITEM_180", "赵"}, {"ITEM_185", "甲单位"}, {"ITEM_187", 4}});
    f.append(QStringLiteral("cgwcrNew.dbf"), {{"ITEM_180", "钱"}, {"ITEM_185", "乙单位"}, {"ITEM_187", 9}});
    Page p(f);
    p.store({QStringLiteral("孙")});
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFormWcr"), [&](QWidget* w) {
        auto* dialog = static_cast<TFormWcr*>(w);
        dialog->setResult(0);
        dialog->BitBtn1Click();
        return int(dialog->result());
    });
    ui.expectBox(QStringLiteral("提示信息"), QStringLiteral("请选择您要导出的项目，是否全部选择？"),
                 all ? platform::Yes : platform::No);
    p.page.Button5Click();
    TAMSEL_VERIFY_UI(ui);
    if (all) {
        // Every pool person in the pool's order, after the ones already listed.
        QCOMPARE(p.list(QStringLiteral("ITEM_185")),
                 (QStringList{"1|孙|测试研究院", "2|赵|甲单位", "3|钱|乙单位", "4|孙|测试研究院"}));
        QCOMPARE(f.dm->QryCgwcr.recordCount(), 4);
    } else {
        QCOMPARE(p.list(), QStringList{"1|孙"});
    }
    // The pool is unchanged either way (the person stored above joined it).
    QCOMPARE(f.rows(QStringLiteral("cgwcrNew.dbf"), {"ITEM_180"}).size(), 3);
}

void TestCompleters::quickAddKeepsTheOrder() {
    ListFixture f;
    Page p(f);
    for (const char* name : {"甲", "乙", "丙"})
        p.store({QString::fromUtf8(name)});
    p.current(QStringLiteral("丙"));
    p.store({QStringLiteral("丙"), "1965", "3", "测试研究院", "1"}, true);
    QCOMPARE(p.list(), (QStringList{"1|甲", "2|丙", "3|乙"}));
    f.append(QStringLiteral("cgwcrNew.dbf"), {{"ITEM_180", "赵"}, {"ITEM_185", "甲单位"}});
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFormWcr"), [&](QWidget* w) {
        auto* dialog = static_cast<TFormWcr*>(w);
        dialog->selectRows({3});
        dialog->BitBtn1Click();
        [&] { QCOMPARE(w->findChild<QLabel*>("Label1")->text(), QStringLiteral("选择了1记录！")); }();
        return int(dialog->result());
    });
    p.page.Button5Click();
    TAMSEL_VERIFY_UI(ui);
    // The order the user set stays; the person added comes last.
    QCOMPARE(p.list(QStringLiteral("ITEM_185")),
             (QStringList{"1|甲|测试研究院", "2|丙|测试研究院", "3|乙|测试研究院", "4|赵|甲单位"}));
}

void TestCompleters::tableViewKeepsTheOrder() {
    ListFixture f;
    const QList<std::pair<const char*, int>> people{{"甲", 3}, {"乙", 1}, {"丙", 2}};
    for (const auto& [name, number] : people)
        f.append(kTable, {{"ITEM_4", ListFixture::number(1)},
                          {"ITEM_DQDM", "."},
                          {"ITEM_187", number},
                          {"ITEM_180", QString::fromUtf8(name)},
                          {"ITEM_188", number == 2 ? "1" : ""}});
    f.select(1);
    TFpage12 view(*f.dm, *f.main);
    view.Load();
    view.FormShow();
    const QStringList fields{"ITEM_187", "ITEM_180", "ITEM_188"};
    QCOMPARE(f.rows(kTable, fields), (QStringList{"3|甲|0", "1|乙|0", "2|丙|1"}));
    // Deleting number 1 renumbers the rest in their order and returns to number 1.
    QVERIFY(f.dm->TblCgwcr.locate(u"ITEM_180", QStringLiteral("乙")));
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"), platform::Yes);
    view.Button1Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.rows(kTable, fields), (QStringList{"2|甲|0", "1|丙|1"}));
    QCOMPARE(f.dm->TblCgwcr.asString(u"ITEM_180"), QStringLiteral("丙"));
    // 新增 goes through the completers' entry dialog.
    ScriptedUi add;
    add.expectModal(QStringLiteral("TFinto8"), [&](QWidget* w) {
        auto* dialog = static_cast<TFinto8*>(w);
        fill(dialog, {QStringLiteral("丁")});
        dialog->Button1Click();
        return int(dialog->result());
    });
    add.expectBox(QStringLiteral("Tamsel"), kSaved);
    view.Button2Click();
    TAMSEL_VERIFY_UI(add);
    QCOMPARE(f.rows(kTable, {"ITEM_187", "ITEM_180"}), (QStringList{"2|甲", "1|丙", "3|丁"}));
}

void TestCompleters::sameNamesChangedOneAtATime() {
    ListFixture f;
    // The other achievement has a person of the same name and number.
    f.append(kTable, {{"ITEM_4", ListFixture::number(2)},
                      {"ITEM_DQDM", "."},
                      {"ITEM_187", 2},
                      {"ITEM_180", "王伟"},
                      {"ITEM_185", "外单位"}});
    Page p(f);
    p.store({QStringLiteral("王伟"), "1960", "1", "一所"});
    p.store({QStringLiteral("王伟"), "1970", "2", "二所"});
    p.current(QStringLiteral("王伟"), 2);
    p.store({QStringLiteral("王伟"), "1971", "2", "三所"}, true);
    QCOMPARE(p.list(QStringLiteral("ITEM_185")), (QStringList{"1|王伟|一所", "2|王伟|三所"}));
    QCOMPARE(p.list(QStringLiteral("ITEM_185"), 2), QStringList{"2|王伟|外单位"});
    p.current(QStringLiteral("王伟"), 1);
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"), platform::Yes);
    p.page.Button1Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.list(QStringLiteral("ITEM_185")), QStringList{"1|王伟|三所"});
    QCOMPARE(p.list(QStringLiteral("ITEM_185"), 2), QStringList{"2|王伟|外单位"});
}

void TestCompleters::failedSaveKeepsTheListNumbered() {
    ListFixture f;
    // A list left with a gap and a duplicate number by an earlier interrupted write.
    int position = 0;
    for (const char* name : {"甲", "乙", "丙"}) {
        f.append(kTable, {{"ITEM_4", ListFixture::number(1)},
                          {"ITEM_DQDM", "."},
                          {"ITEM_187", position == 0 ? 1 : 3},
                          {"ITEM_180", QString::fromUtf8(name)},
                          {"ITEM_185", "测试研究院"},
                          {"ITEM_181", "0"},
                          {"ITEM_182", "1965.03"},
                          {"ITEM_183", "4"},
                          {"ITEM_184", "4"}});
        ++position;
    }
    Page p(f);
    p.current(QStringLiteral("丙"));
    // 工作单位 holds 80 bytes: forty Chinese characters fit the edit but not the field.
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFinto8"), [&](QWidget* w) {
        auto* dialog = static_cast<TFinto8*>(w);
        fill(dialog, {QStringLiteral("丙"), "1965", "3", QString(50, QChar(0x7814)), "1"});
        dialog->setResult(0);
        dialog->Button1Click();
        return int(dialog->result());
    });
    ui.expectBox(QStringLiteral("提示"), QStringLiteral("“工作单位”最多40个汉字（80字节），现有50个汉字"));
    p.page.Button3Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.list(QStringLiteral("ITEM_185")),
             (QStringList{"1|甲|测试研究院", "2|乙|测试研究院", "3|丙|测试研究院"}));
    QVERIFY(!f.dm->QryCgwcr.hasPendingUpdates());
    QCOMPARE(f.dm->QryCgwcr.recordCount(), 3);
}

void TestCompleters::typingStopsAtTheFieldWidth() {
    ListFixture f;
    Page p(f);
    const QString han(81, QChar(0x7814));
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFinto8"), [&](QWidget* w) {
        auto* dialog = static_cast<TFinto8*>(w);
        fill(dialog, {QStringLiteral("甲")});
        // 对成果创造性贡献 holds 160 bytes, 工作单位 80: the 81st and the 41st character are refused.
        for (const char* name : {"edtry_186", "edtry_185"}) {
            edit(dialog, name)->clear();
            for (const QChar c : han)
                edit(dialog, name)->insert(QString(c));
        }
        dialog->Button1Click();
        return int(dialog->result());
    });
    ui.expectBox(QStringLiteral("Tamsel"), kSaved);
    p.page.Button2Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.list(QStringLiteral("ITEM_186")), QStringList{"1|甲|" + han.left(80)});
    QCOMPARE(p.list(QStringLiteral("ITEM_185")), QStringList{"1|甲|" + han.left(40)});
}

void TestCompleters::leavingNeedsAPerson() {
    ListFixture f;
    Page p(f);
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("Tamsel"), QStringLiteral("成果完成人员名单不能为空！"));
    p.page.setResult(0);
    p.page.quit01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.page.result(), 0);
    p.store({QStringLiteral("甲")});
    f.main->setPageDone(f.main->pageButton("08"), false);
    p.page.quit01Click();
    QCOMPARE(p.page.result(), int(QDialog::Accepted));
    QVERIFY(core::TMainForm::isPageDone(f.main->pageButton("08")));
}

void TestCompleters::gridEditsReportDuplicateNumbers() {
    ListFixture f;
    Page p(f);
    p.store({QStringLiteral("甲")});
    p.store({QStringLiteral("乙")});
    auto* model = p.page.gridModel();
    model->reload();
    QCOMPARE(model->rowCount(), 2);
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("Tamsel"), QStringLiteral("序号有重复，请重新输入序号！"));
    QVERIFY(model->setData(model->index(1, 0), "1", Qt::EditRole));
    TAMSEL_VERIFY_UI(ui);
    // A pick-list entry stores its code; the edits stay held until the next write.
    QVERIFY(model->setData(model->index(1, 2), "1 女", Qt::EditRole));
    QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("  女"));
    QCOMPARE(p.list(QStringLiteral("ITEM_181")), (QStringList{"1|甲|0", "2|乙|0"}));
    p.store({QStringLiteral("丙")});
    QCOMPARE(p.list(QStringLiteral("ITEM_181")), (QStringList{"1|甲|0", "2|乙|1", "3|丙|0"}));
}

void TestCompleters::entryDialogDefaultsAndLeaving() {
    ListFixture f;
    Page p(f);
    p.store({QStringLiteral("甲")});
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFinto8"), [&](QWidget* w) {
        auto* dialog = static_cast<TFinto8*>(w);
        // A new person comes last and works at the achievement's first completing unit.
        [&] {
            QCOMPARE(edit(dialog, "edtry_187")->text(), QStringLiteral("2"));
            QVERIFY(edit(dialog, "edtry_187")->isReadOnly());
            QCOMPARE(edit(dialog, "edtry_185")->text(), QStringLiteral("测试研究院"));
            QCOMPARE(edit(dialog, "edtry_180")->text(), QString());
            QCOMPARE(dialog->findChild<QComboBox*>("cbry_183")->currentText(), QStringLiteral("4  中级"));
            QCOMPARE(dialog->findChild<QComboBox*>("cbry_184")->currentText(), QStringLiteral("4  大本"));
            QCOMPARE(dialog->findChild<QComboBox*>("cbry_188")->currentText(), QStringLiteral("0  否"));
        }();
        // 退出 with a name asks; Yes stores, and a refused store keeps the dialog and its input.
        edit(dialog, "edtry_180")->setText(QStringLiteral("乙"));
        edit(dialog, "edt_182_y")->setText(QStringLiteral("1850"));
        edit(dialog, "edt_182_m")->setText(QStringLiteral("1"));
        dialog->setResult(0);
        dialog->Button2Click();
        [&] { QCOMPARE(dialog->result(), 0); }();
        // Name, unit and contribution all blank: 储存 closes without a word.
        for (const char* name : {"edtry_180", "edtry_185", "edtry_186"})
            edit(dialog, name)->setText(QStringLiteral("  "));
        dialog->Button1Click();
        return int(dialog->result());
    });
    ui.expectBox(QStringLiteral("请注意！"), QStringLiteral("记录已更改,是否保存后退出？"),
                 platform::Icon::Question, platform::Yes);
    ui.expectBox(QStringLiteral("Tamsel"), QStringLiteral("出生年份不合法！"));
    p.page.Button2Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.list(), QStringList{"1|甲"});
}

void TestCompleters::helpOnlyForAppliedTechnology_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("applied technology")
        << 0 << QStringList{"THelpWcr", "THelpHzdw", "THelpPjwy", "THelpForm"};
    QTest::newRow("soft science") << 1 << QStringList{"THelpForm_rj"};
}

void TestCompleters::helpOnlyForAppliedTechnology() {
    QFETCH(int, category);
    QFETCH(QStringList, shown);
    ListFixture f;
    QStringList help;
    f.main->Hooks.showHelp = [&help](const QString& name) { help << name; };
    f.main->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(category);
    TFpage8 completers(*f.dm, *f.main);
    units::TFpage5 units(*f.dm, *f.main);
    people::TFpage7 committee(*f.dm, *f.main);
    TFpage12 view(*f.dm, *f.main);
    completers.Button4Click();
    units.Button3Click();
    committee.Button3Click();
    // The table view has no help of its own: the category's general instructions.
    view.Button4Click();
    QCOMPARE(help, shown);
}

TAMSEL_TEST(TestCompleters)
#include "test_completers.moc"
