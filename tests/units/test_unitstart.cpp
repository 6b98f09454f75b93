#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/table.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"
#include "units/unit_profile_page.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace tamsel;
using test::ScriptedUi;

namespace {

int unitRecords(const QString& folder) {
    engine::Table t;
    t.setFolder(folder);
    t.setTableName(QStringLiteral("unit.dbf"));
    t.open();
    return t.recordCount();
}

// Fills the required items the way the user would and leaves through 退出.
int fillAndLeave(QWidget* page) {
    const QHash<QString, QString> edits{
        {"edt_9", "测试研究院"},      {"Edt_37", "北京市海淀区学院路1号"}, {"Edt_38", "100081"},
        {"Edt_39", "010-62345678"},   {"Edt_40", "010-62345679"},          {"Edt_41", "科技处"},
        {"Edt_41_2", "010-62345670"},
    };
    for (auto it = edits.cbegin(); it != edits.cend(); ++it) {
        page->findChild<QLineEdit*>(it.key())->setText(it.value());
    }
    page->findChild<QPlainTextEdit*>("Memo3")->setPlainText(QString(50, QChar(0x7814)));
    page->findChild<QPushButton*>("quit01")->click();
    return static_cast<QDialog*>(page)->result();
}

} // namespace

// The unit profile as the main window reaches it through its hook.
class TestUnitProfileStart : public QObject {
    Q_OBJECT
private slots:
    void freshFolderStartsWithProfile_data();
    void freshFolderStartsWithProfile();
    void unitButtonKeepsProfile();
};

void TestUnitProfileStart::freshFolderStartsWithProfile_data() {
    QTest::addColumn<bool>("store");
    QTest::newRow("stored") << true;
    QTest::newRow("not stored") << false;
}

void TestUnitProfileStart::freshFolderStartsWithProfile() {
    QFETCH(bool, store);
    test::TestFolder folder;
    folder.copyDeliveredData();
    core::TDM dm(folder.path());
    dm.DataModuleCreate(nullptr);
    core::TMainForm main(&dm);
    units::TFpage4a page(dm, main);
    main.Hooks.unitProfile = [&page] { page.Execute(); };

    ScriptedUi ui;
    ui.expectModal("TFpage4a", fillAndLeave);
    ui.expectBox("请注意！", "记录已经更改,是否保存？", store ? platform::Yes : platform::No);
    if (store) {
        ui.expectBox("Tamsel", "储存成功！");
    }
    main.FormShow();
    TAMSEL_VERIFY_UI(ui);

    QCOMPARE(unitRecords(folder.path()), store ? 1 : 0);
    // The commands follow whether a profile now exists.
    QCOMPARE(main.pageButton("01")->isEnabled(), store);
    QCOMPARE(main.findChild<QPushButton*>("Button1")->isEnabled(), store); // 新增
}

void TestUnitProfileStart::unitButtonKeepsProfile() {
    test::TestFolder folder;
    folder.copyDeliveredData();
    {
        engine::Table t;
        t.setFolder(folder.path());
        t.setTableName(QStringLiteral("unit.dbf"));
        t.open();
        t.append();
        t.setValue(u"ITEM_9", QStringLiteral("测试研究院"));
        t.post();
    }
    core::TDM dm(folder.path());
    dm.DataModuleCreate(nullptr);
    core::TMainForm main(&dm);
    units::TFpage4a page(dm, main);
    main.Hooks.unitProfile = [&page] { page.Execute(); };
    {
        ScriptedUi ui; // a stored profile is not demanded at start
        main.FormShow();
        TAMSEL_VERIFY_UI(ui);
    }
    ScriptedUi ui;
    ui.expectModal("TFpage4a", [](QWidget* w) {
        return w->findChild<QLineEdit*>("edt_9")->text() == "测试研究院" ? fillAndLeave(w) : -1;
    });
    ui.expectBox("请注意！", "记录已经更改,是否保存？", platform::Yes);
    ui.expectBox("Tamsel", "储存成功！");
    main.Button2Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(unitRecords(folder.path()), 1);
    QVERIFY(main.pageButton("01")->isEnabled());
}

TAMSEL_TEST(TestUnitProfileStart)
#include "test_unitstart.moc"
