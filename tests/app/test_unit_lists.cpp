// The unit profile reaches the discipline leaders and the second-level units through the
// windows the program creates at start.
#include "app/windows.h"
#include "core/application.h"
#include "core/data_module.h"
#include "core/main_form.h"
#include "core/welcome_window.h"
#include "engine/query.h"
#include "engine/table.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"
#include "units/discipline_leaders_page.h"
#include "units/second_level_units_page.h"
#include "units/unit_profile_page.h"

#include <QTest>

using namespace tamsel;
using test::ScriptedUi;

class TestUnitLists : public QObject {
    Q_OBJECT
private slots:
    void openedFromTheProfile();
};

void TestUnitLists::openedFromTheProfile() {
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

    QString leadersOf;
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("TFpage4a"), [](QWidget* w) {
        auto* profile = static_cast<units::TFpage4a*>(w);
        profile->BitBtndtrClick(); // stores the profile silently, then lists its leaders
        profile->Button3Click();   // the hidden 所属二级单位情况
        return 0;
    });
    ui.expectModal(QStringLiteral("TFpage11"), [&leadersOf](QWidget* w) {
        leadersOf = static_cast<units::TFpage11*>(w)->unitCode();
        return 0;
    });
    ui.expectModal(QStringLiteral("TFpage10"), [](QWidget* w) {
        auto* page = static_cast<units::TFpage10*>(w);
        page->Button2Click(); // 增加
        page->quit01Click();
        return page->result();
    });
    main.Hooks.unitProfile();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(leadersOf, QStringLiteral("9990001000"));

    engine::Table unit;
    unit.setFolder(folder.path());
    unit.setTableName(QStringLiteral("unit.dbf"));
    unit.open();
    QStringList rows;
    for (unit.first(); !unit.eof(); unit.next())
        rows << unit.asString(u"UNITCODE") + QLatin1Char('|') + unit.asString(u"UPUNITCODE");
    QCOMPARE(rows, (QStringList{QStringLiteral("9990001000|"), QStringLiteral("9990001010|9990001000")}));
    // The page is closed: the unit query lists every unit again.
    QVERIFY(!application.dataModule()->Qryunit.filtered());
}

TAMSEL_TEST(TestUnitLists)
#include "test_unit_lists.moc"
