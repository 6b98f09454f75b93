// The road of one applied-technology achievement through the whole program: started as the
// executable starts, created with 新增 and completed page by page through the windows'
// handlers until the main window's lock lifts.

#include "app/windows.h"
#include "core/application.h"
#include "core/data_module.h"
#include "core/main_form.h"
#include "core/main_items_dialog.h"
#include "core/welcome_window.h"
#include "engine/table.h"
#include "entry/ip_page.h"
#include "entry/overview_page.h"
#include "entry/project_page.h"
#include "people/committee_member_dialog.h"
#include "people/committee_page.h"
#include "people/completer_dialog.h"
#include "people/completers_page.h"
#include "support/controls.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"
#include "units/cooperating_unit_dialog.h"
#include "units/cooperating_units_page.h"
#include "units/first_unit_page.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace tamsel;
using test::ScriptedUi;

namespace {

const QString kSaved = QStringLiteral("储存成功！");

template <typename T = QLineEdit> T* child(const QWidget* window, const QString& name) {
    return test::control<T>(window, name);
}

// Sets controls as the user would: "name=value" for edits and memos, a code for lists,
// "1" to tick a box.
void apply(QWidget* window, const QStringList& changes) {
    for (const QString& change : changes) {
        const QString name = change.section(QLatin1Char('='), 0, 0);
        const QString value = change.section(QLatin1Char('='), 1);
        QWidget* target = child<QWidget>(window, name);
        if (auto* edit = qobject_cast<QLineEdit*>(target)) {
            edit->setText(value);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(target)) {
            memo->setPlainText(value);
        } else if (auto* combo = qobject_cast<QComboBox*>(target)) {
            combo->setCurrentIndex(-1);
            core::SelectCode(value, combo);
        } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
            button->setChecked(value == QLatin1String("1"));
        }
    }
}

bool done(core::TMainForm& main, const char* code) {
    return core::TMainForm::isPageDone(main.pageButton(QString::fromLatin1(code)));
}

QStringList tableRows(const QString& folder, const QString& table, const QStringList& fields) {
    engine::Table t;
    t.setFolder(folder);
    t.setTableName(table);
    t.open();
    QStringList rows;
    for (t.first(); !t.eof(); t.next()) {
        QStringList parts;
        for (const QString& f : fields)
            parts << t.asString(f);
        rows << parts.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void appliedTechnologyFromNewToUnlocked();
};

void TestEndToEnd::appliedTechnologyFromNewToUnlocked() {
    test::TestFolder folder;
    folder.copyDeliveredData();
    {
        engine::Table unit;
        unit.setFolder(folder.path());
        unit.setTableName(QStringLiteral("unit.dbf"));
        unit.open();
        unit.append();
        unit.setValue(u"ITEM_9", QStringLiteral("测试研究院"));
        unit.post();
    }
    test::TestFolder lockFolder;
    core::Application::Options options;
    options.dataPath = folder.path();
    options.lockFolder = lockFolder.path();
    options.createOtherWindows = app::createOtherWindows;
    core::Application application(options);
    QVERIFY(application.start());
    core::TMainForm& main = *application.mainForm();
    const QString year = QString::number(QDate::currentDate().year());

    // Start: the welcome window, then the list (empty).
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("Tformwel"), [](QWidget* w) {
            auto* welcome = qobject_cast<core::Tformwel*>(w);
            welcome->Timer1Timer();
            return welcome->result();
        });
        main.FormShow();
        TAMSEL_VERIFY_UI(ui);
    }

    // 新增: the main-items dialog creates the achievement and the window locks onto it.
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFormNew"), [&](QWidget* w) {
            auto* d = qobject_cast<core::TFormNew*>(w);
            child<QComboBox>(d, QStringLiteral("ComboBox1"))->setCurrentIndex(0);
            d->ComboBox1Change();
            child(d, QStringLiteral("cbYear"))->setText(year);
            QMetaObject::invokeMethod(d, "cbYearChange");
            child(d, QStringLiteral("edt_120"))
                ->setText(QStringLiteral("110") + year + QStringLiteral("Y0001"));
            QMetaObject::invokeMethod(d, "edt_120Change");
            child(d, QStringLiteral("edt_3"))->setText(QStringLiteral("端到端测试成果"));
            QMetaObject::invokeMethod(d, "edt_3Change");
            d->Button1Click();
            return d->result();
        });
        main.Button6Click();
        TAMSEL_VERIFY_UI(ui);
    }
    const QString number = main.currentValue(QStringLiteral("ITEM_4"));
    QCOMPARE(number, year + QStringLiteral("000001"));
    QCOMPARE(main.currentValue(QStringLiteral("ITEM_CGLB")), QStringLiteral("1"));
    for (QPushButton* button : main.pageButtons())
        QVERIFY2(!core::TMainForm::isPageDone(button), qPrintable(button->objectName()));
    QVERIFY(!main.ApplyCompleteness());
    QVERIFY(!child<QWidget>(&main, QStringLiteral("DBGrid1"))->isEnabled());

    // 成果概况.
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFpage1"), [&](QWidget* w) {
            auto* page = static_cast<entry::TFpage1*>(w);
            apply(page, {"edt_121_y=2009",
                         "edt_121_m=05",
                         "edt_121_d=20",
                         "edt_8_y_s=2007",
                         "edt_8_m_s=01",
                         "edt_8_y_e=2008",
                         "edt_8_m_e=12",
                         "Edt_120=110200900012",
                         "Edt_128=测试推荐单位",
                         "CB_1=1",
                         "cb_2=3",
                         "cb_201=2",
                         "edt_14_1=软件",
                         "edt_14_2=测试",
                         "cb_16=2",
                         "cb_33=1",
                         "Cb_125_1=3",
                         "RB_123_B=1",
                         "CB_124_1_02=1",
                         "CB_125_20=1",
                         "Mo_13_1=成果简介的内容",
                         "Mo_13=成果公报的内容"});
            page->btnSaveClick();
            page->btnQuitClick();
            return page->result();
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        main.btn_page01Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QVERIFY(done(main, "01"));

    // 知识产权，成果应用情况: stable use and one promotion form.
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFpage2"), [&](QWidget* w) {
            auto* page = static_cast<entry::TFpage2*>(w);
            auto* status = child<QComboBox>(page, QStringLiteral("CB_32"));
            for (int i = 0; i < status->count(); ++i) {
                if (status->itemText(i).startsWith(QStringLiteral("1  ")))
                    status->setCurrentIndex(i);
            }
            apply(page, {"cb_161_4=1"});
            page->btnSave02Click();
            page->quit02Click();
            return page->result();
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        main.btn_page02Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QVERIFY(done(main, "02"));

    // 课题立项，评价情况: an evaluation method and a source.
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFpage3"), [&](QWidget* w) {
            auto* page = static_cast<entry::TFpage3*>(w);
            core::SelectCode(QStringLiteral("2"), page->methodList());
            child<QCheckBox>(page, QStringLiteral("CB_126_08"))->click();
            page->BtnSaveClick();
            page->BtnQuitClick();
            return page->result();
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        main.btn_page03Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QVERIFY(done(main, "03"));

    // 第一完成单位情况: the unit's name came from the profile with 新增.
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFpage4"), [&](QWidget* w) {
            auto* page = static_cast<units::TFpage4*>(w);
            apply(page, {"Edt_37=北京市海淀区1号", "Edt_38=100081", "Edt_41=李四", "Edt_41_2=010-1",
                         "cb_64=130", "cb_62=1"});
            QMetaObject::invokeMethod(page, "cb_62Change");
            page->btnSave01Click();
            page->quit01Click();
            return page->result();
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        main.btn_page04Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QVERIFY(done(main, "04"));
    // Every page but the completers is stored: still locked.
    QVERIFY(!main.ApplyCompleteness());
    QVERIFY(!child<QWidget>(&main, QStringLiteral("DBGrid1"))->isEnabled());

    // 合作完成单位情况 and 评价委员会名单 are not required; one row each.
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFpage5"), [&](QWidget* w) {
            auto* page = static_cast<units::TFpage5*>(w);
            page->Button2Click();
            page->quit01Click();
            return page->result();
        });
        ui.expectModal(QStringLiteral("TFinto5"), [&](QWidget* w) {
            auto* d = static_cast<units::TFinto5*>(w);
            apply(d, {"edtdw_170=合作单位", "edtdw_173=王五"});
            d->Button1Click();
            return d->result();
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        main.btn_page05Click();
        TAMSEL_VERIFY_UI(ui);
    }
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFpage7"), [&](QWidget* w) {
            auto* page = static_cast<people::TFpage7*>(w);
            page->Button2Click();
            page->quit01Click();
            return page->result();
        });
        ui.expectModal(QStringLiteral("TFinto7"), [&](QWidget* w) {
            auto* d = static_cast<people::TFinto7*>(w);
            apply(d, {"Edtwy_192=赵六", "edtwy_195=评价单位"});
            auto* role = child<QComboBox>(d, QStringLiteral("cbwy_191"));
            role->setCurrentIndex(role->findText(QStringLiteral("主任委员")));
            d->cbwy_191Change();
            d->Button1Click();
            return d->result();
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        main.btn_page07Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QVERIFY(!main.ApplyCompleteness());

    // 成果完成人员名单: one person, and the lock lifts when the page closes.
    {
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFpage8"), [&](QWidget* w) {
            auto* page = static_cast<people::TFpage8*>(w);
            page->Button2Click();
            page->quit01Click();
            return page->result();
        });
        ui.expectModal(QStringLiteral("TFinto8"), [&](QWidget* w) {
            auto* d = static_cast<people::TFinto8*>(w);
            apply(d, {"edtry_180=张三", "edt_182_y=1965", "edt_182_m=3", "edtry_186=总体设计", "cbry_183=2",
                      "cbry_184=2"});
            d->Button1Click();
            return d->result();
        });
        ui.expectBox(QStringLiteral("Tamsel"), kSaved);
        main.btn_page08Click();
        TAMSEL_VERIFY_UI(ui);
    }
    for (const char* code : {"01", "02", "03", "04", "05", "07", "08"})
        QVERIFY2(done(main, code), code);
    QVERIFY(child<QWidget>(&main, QStringLiteral("DBGrid1"))->isEnabled());
    QVERIFY(main.ApplyCompleteness());
    QVERIFY(main.FormCloseQuery());

    // The tables hold what the pages stored, under the achievement's key.
    const QString key = number + QStringLiteral("|.|");
    QCOMPARE(tableRows(folder.path(), QStringLiteral("cgwcr.DBF"),
                       {"ITEM_4", "ITEM_DQDM", "ITEM_187", "ITEM_180", "ITEM_182", "ITEM_185"}),
             QStringList{key + QStringLiteral("1|张三|1965.03|测试研究院")});
    QCOMPARE(tableRows(folder.path(), QStringLiteral("cgwcdw.DBF"),
                       {"ITEM_4", "ITEM_DQDM", "ITEM_176", "ITEM_170"}),
             QStringList{key + QStringLiteral("1|合作单位")});
    QCOMPARE(tableRows(folder.path(), QStringLiteral("jdwyhmd.DBF"),
                       {"ITEM_4", "ITEM_DQDM", "ITEM_190", "ITEM_191", "ITEM_192", "ITEM_194"}),
             QStringList{key + QStringLiteral("1|主任委员|赵六|1")});
    QCOMPARE(tableRows(folder.path(), QStringLiteral("cgwcrNew.dbf"), {"ITEM_180", "ITEM_185"}),
             QStringList{QStringLiteral("张三|测试研究院")});
    QCOMPARE(tableRows(folder.path(), QStringLiteral("pelk.dbf"), {"ITEM_4", "ITEM_3", "ITEM_9", "ITEM_32"}),
             QStringList{number + QStringLiteral("|端到端测试成果|测试研究院|1")});
}

TAMSEL_TEST(TestEndToEnd)
#include "test_endtoend.moc"
