#include "engine/query.h"
#include "people/committee_member_dialog.h"
#include "people/committee_page.h"
#include "support/controls.h"
#include "support/listfixture.h"
#include "support/testmain.h"

#include <QComboBox>
#include <QLineEdit>

using namespace tamsel;
using people::TFinto7;
using people::TFpage7;
using test::ListFixture;
using test::ScriptedUi;

namespace {

const QString kTable = QStringLiteral("jdwyhmd.DBF");
const QString kSaved = QStringLiteral("储存成功！");

template <typename T = QLineEdit> T* child(QWidget* w, const char* name) {
    return test::control<T>(w, QLatin1String(name));
}

struct Member {
    QString role;
    QString name;
    QString unit = QStringLiteral("评价单位");
};

struct Page {
    explicit Page(ListFixture& fixture) : f(fixture), page(*f.dm, *f.main) {
        f.select(1);
        f.main->reopenChildQuery(f.dm->QryJdwyhmd, QStringLiteral("jdwyhmd"));
        page.Load();
    }

    static void fill(TFinto7* dialog, const Member& m) {
        auto* role = child<QComboBox>(dialog, "cbwy_191");
        role->setCurrentIndex(role->findText(m.role));
        child(dialog, "Edtwy_192")->setText(m.name);
        child(dialog, "edtwy_195")->setText(m.unit);
        child(dialog, "edtwy_196")->setText(QStringLiteral("机械"));
        child(dialog, "edtwy_197")->setText(QStringLiteral("机械设计"));
    }

    void store(const Member& m, bool modify = false) {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFinto7"), [&](QWidget* w) {
            auto* dialog = static_cast<TFinto7*>(w);
            fill(dialog, m);
            dialog->Button1Click();
            return int(dialog->result());
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        modify ? page.btnSave01Click() : page.Button2Click();
        QVERIFY2(ui.verify(), qPrintable(ui.failures()));
    }

    void current(const QString& name) {
        engine::Query& q = f.dm->QryJdwyhmd;
        for (q.first(); !q.eof(); q.next()) {
            if (q.asString(u"ITEM_192") == name)
                return;
        }
        QFAIL("member not in the list");
    }

    // "序号|姓名|rank" of the achievement's members in the table, by 序号.
    QStringList list(const QString& dqdm = QStringLiteral(".")) const {
        QStringList rows;
        for (const QString& r : f.rows(kTable, {"ITEM_DQDM", "ITEM_190", "ITEM_192", "ITEM_194", "ITEM_195"},
                                       ListFixture::number(1))) {
            if (r.section('|', 0, 0) == dqdm)
                rows << r.section('|', 1);
        }
        rows.sort();
        return rows;
    }

    ListFixture& f;
    TFpage7 page;
};

} // namespace

class TestCommittee : public QObject {
    Q_OBJECT
private slots:
    void rolesOrderTheList_data();
    void rolesOrderTheList();
    void secondChairRefused();
    void deletingTheChairRenumbers();
    void leavingAnEmptyAddDialog();
    void changeReachesOnlyItsOwnRow();
};

void TestCommittee::rolesOrderTheList_data() {
    QTest::addColumn<QStringList>("roles"); // "role:name" in the order they are added
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("member then chair")
        << QStringList{"委员:甲", "主任委员:乙"} << QStringList{"1|乙|1|评价单位", "2|甲|3|评价单位"};
    QTest::newRow("all three roles") << QStringList{"委员:甲", "副主任委员:乙", "委员:丙", "主任委员:丁"}
                                     << QStringList{"1|丁|1|评价单位", "2|乙|2|评价单位", "3|甲|3|评价单位",
                                                    "4|丙|3|评价单位"};
}

void TestCommittee::rolesOrderTheList() {
    QFETCH(QStringList, roles);
    QFETCH(QStringList, expected);
    ListFixture f;
    Page p(f);
    for (const QString& r : roles)
        p.store({r.section(':', 0, 0), r.section(':', 1)});
    QCOMPARE(p.list(), expected);
    QCOMPARE(f.dm->QryJdwyhmd.recordCount(), roles.size());
}

void TestCommittee::secondChairRefused() {
    ListFixture f;
    Page p(f);
    p.store({QStringLiteral("主任委员"), QStringLiteral("甲")});
    p.store({QStringLiteral("委员"), QStringLiteral("乙")});
    p.current(QStringLiteral("乙"));
    TFinto7* dialog = p.page.into7();
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFinto7"), [&](QWidget* w) {
        auto* role = child<QComboBox>(w, "cbwy_191");
        role->setCurrentIndex(role->findText(QStringLiteral("主任委员")));
        dialog->cbwy_191Change();
        [&] { QCOMPARE(role->currentText(), QStringLiteral("委员")); }();
        // The list stays on the member being changed.
        [&] { QCOMPARE(p.f.dm->QryJdwyhmd.asString(u"ITEM_192"), QStringLiteral("乙")); }();
        // The chair may keep the chair.
        return 0;
    });
    ui.expectBox(QStringLiteral("Tamsel"), QStringLiteral("只能有一个主任委员"));
    p.page.btnSave01Click();
    TAMSEL_VERIFY_UI(ui);
    p.current(QStringLiteral("甲"));
    ScriptedUi ui2;
    ui2.expectModal(QStringLiteral("TFinto7"), [&](QWidget* w) {
        auto* role = child<QComboBox>(w, "cbwy_191");
        role->setCurrentIndex(role->findText(QStringLiteral("主任委员")));
        dialog->cbwy_191Change();
        [&] { QCOMPARE(role->currentText(), QStringLiteral("主任委员")); }();
        return 0;
    });
    p.page.btnSave01Click();
    TAMSEL_VERIFY_UI(ui2);
    QCOMPARE(p.list(), (QStringList{"1|甲|1|评价单位", "2|乙|3|评价单位"}));
}

void TestCommittee::deletingTheChairRenumbers() {
    ListFixture f;
    Page p(f);
    p.store({QStringLiteral("委员"), QStringLiteral("甲")});
    p.store({QStringLiteral("副主任委员"), QStringLiteral("乙")});
    p.store({QStringLiteral("主任委员"), QStringLiteral("丙")});
    p.current(QStringLiteral("丙"));
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"), platform::Icon::Information,
                 platform::Yes);
    p.page.Button1Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(p.list(), (QStringList{"1|乙|2|评价单位", "2|甲|3|评价单位"}));
    QCOMPARE(f.dm->QryJdwyhmd.asString(u"ITEM_192"), QStringLiteral("乙"));
}

void TestCommittee::leavingAnEmptyAddDialog() {
    ListFixture f;
    Page p(f);
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFinto7"), [&](QWidget* w) {
        auto* dialog = static_cast<TFinto7*>(w);
        dialog->setResult(0);
        dialog->Button2Click();
        [&] { QCOMPARE(dialog->result(), 0); }();
        child(dialog, "Edtwy_192")->setText(QStringLiteral("甲"));
        dialog->Button2Click();
        return int(dialog->result());
    });
    ui.expectBox(QStringLiteral("Tamsel"), QStringLiteral("\"姓名\"不能为空！"));
    ui.expectBox(QStringLiteral("请注意！"), QStringLiteral("记录已更改，是否保存后退出？"),
                 platform::Icon::Question, platform::No);
    p.page.Button2Click();
    TAMSEL_VERIFY_UI(ui);
    QVERIFY(p.list().isEmpty());
}

void TestCommittee::changeReachesOnlyItsOwnRow() {
    ListFixture f;
    // An imported achievement of another region with the same number, member and 序号.
    f.append(kTable, {{"ITEM_4", ListFixture::number(1)},
                      {"ITEM_DQDM", "110"},
                      {"ITEM_190", 1},
                      {"ITEM_191", "主任委员"},
                      {"ITEM_192", "甲"},
                      {"ITEM_194", "1"},
                      {"ITEM_195", "外地"}});
    Page p(f);
    p.store({QStringLiteral("主任委员"), QStringLiteral("甲")});
    p.current(QStringLiteral("甲"));
    p.store({QStringLiteral("主任委员"), QStringLiteral("甲"), QStringLiteral("新单位")}, true);
    QCOMPARE(p.list(), QStringList{"1|甲|1|新单位"});
    QCOMPARE(p.list(QStringLiteral("110")), QStringList{"1|甲|1|外地"});
    p.current(QStringLiteral("甲"));
    ScriptedUi ui;
    ui.expectBox(QStringLiteral("提示信息"), QStringLiteral("是否删除该项目？!"), platform::Yes);
    p.page.Button1Click();
    TAMSEL_VERIFY_UI(ui);
    QVERIFY(p.list().isEmpty());
    QCOMPARE(p.list(QStringLiteral("110")), QStringList{"1|甲|1|外地"});
}

TAMSEL_TEST(TestCommittee)
#include "test_committee.moc"
