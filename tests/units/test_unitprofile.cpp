#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/table.h"
#include "entry/classification_picker.h"
#include "support/controls.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"
#include "units/unit_introduction_dialog.h"
#include "units/unit_profile_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <memory>

using namespace tamsel;
using platform::Button;
using test::ScriptedUi;
using units::TFpage4a;

namespace {

// A profile that passes every leave check.
const QHash<QString, QString> kValidEdits{
    {"edt_9", "测试研究院"}, {"edt_420", "12345678-9"},    {"Edt_37", "北京市海淀区学院路1号"},
    {"Edt_38", "100081"},    {"Edt_39", "010-62345678"},   {"Edt_40", "010-62345679"},
    {"Edt_41", "科技处"},    {"Edt_41_2", "010-62345670"},
};

QString chinese(int count) {
    return QString(count, QChar(0x7814)); // 研
}

// One row of unit.dbf read back through a fresh table.
struct UnitFile {
    int count = 0;
    QHash<QString, QString> first;
};

UnitFile readUnit(const QString& folder) {
    engine::Table t;
    t.setFolder(folder);
    t.setTableName(QStringLiteral("unit.dbf"));
    t.open();
    UnitFile result;
    result.count = t.recordCount();
    if (result.count > 0) {
        t.first();
        for (const QString& name : t.fieldNames()) {
            result.first.insert(name.toLower(), t.asString(name));
        }
    }
    return result;
}

// The page over a fresh copy of the delivered data folder.
struct Fixture {
    explicit Fixture(const QHash<QString, QVariant>& unit = {}, bool withDiscipline = true) {
        folder.copyDeliveredData();
        if (!withDiscipline) {
            QFile::remove(folder.file(QStringLiteral("xkfl.dbf")));
        }
        if (!unit.isEmpty()) {
            engine::Table t;
            t.setFolder(folder.path());
            t.setTableName(QStringLiteral("unit.dbf"));
            t.open();
            t.append();
            for (auto it = unit.cbegin(); it != unit.cend(); ++it) {
                t.setValue(it.key(), it.value());
            }
            t.post();
        }
        dm = std::make_unique<core::TDM>(folder.path());
        dm->DataModuleCreate(nullptr);
        main = std::make_unique<core::TMainForm>(dm.get());
        page = std::make_unique<TFpage4a>(*dm, *main);
        page->LoadFromUnit();
        page->FormShow();
    }

    template <typename T = QLineEdit> T* control(const QString& name) const {
        return test::control<T>(page.get(), name);
    }

    void fillValid(const QString& intro = chinese(50)) const {
        for (auto it = kValidEdits.cbegin(); it != kValidEdits.cend(); ++it) {
            control(it.key())->setText(it.value());
        }
        control<QPlainTextEdit>("Memo3")->setPlainText(intro);
    }

    void selectEntry(QComboBox* combo, const QString& code) const { core::SelectCode(code, combo); }

    // Runs 退出; true when the page closed.
    bool quit() const {
        page->setResult(0);
        page->quit01Click();
        return page->result() == QDialog::Accepted;
    }

    test::TestFolder folder;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<core::TMainForm> main;
    std::unique_ptr<TFpage4a> page;
};

// Drives the shown picker: confirms the node with this text, or the root when text is empty.
int pickNode(QWidget* window, const QString& text) {
    auto* tree = window->findChild<QTreeView*>(QStringLiteral("TreeView1"));
    const QModelIndex root = tree->model()->index(0, 0);
    QModelIndex node = root;
    if (!text.isEmpty()) {
        const QModelIndexList found =
            tree->model()->match(root, Qt::DisplayRole, text, 1, Qt::MatchExactly | Qt::MatchRecursive);
        if (found.isEmpty()) {
            return -1;
        }
        node = found.first();
    }
    tree->setCurrentIndex(node);
    window->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    return static_cast<QDialog*>(window)->result();
}

} // namespace

class TestUnitProfile : public QObject {
    Q_OBJECT
private slots:
    void leaveChecks_data();
    void leaveChecks();
    void storeCreatesThenUpdates();
    void leaveAsksWhenChanged_data();
    void leaveAsksWhenChanged();
    void enterpriseItems_data();
    void enterpriseItems();
    void codeRows_data();
    void codeRows();
    void typedDisciplineCodes();
    void pickerWiring();
    void memoDialogStoresAtOnce();
    void disciplineLeadersStoreSilently();
};

void TestUnitProfile::leaveChecks_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("intro");
    QTest::addColumn<QString>("message"); // empty: the page may be left

    const QString valid = chinese(50);
    QTest::newRow("complete") << QString() << QString() << valid << QString();
    QTest::newRow("name empty") << "edt_9"
                                << "" << valid << "\"单位名称\"不能为空！";
    QTest::newRow("blank name is not empty") << "edt_9"
                                             << " " << valid << QString();
    QTest::newRow("address empty") << "Edt_37"
                                   << "" << valid << "\"通讯地址\"不能为空！";
    QTest::newRow("postcode empty") << "Edt_38"
                                    << "" << valid << "\"邮政编码\"不能为空！";
    QTest::newRow("postcode five digits") << "Edt_38"
                                          << "10008" << valid << "\"邮政编码\"应该为6位数字！";
    QTest::newRow("postcode padded") << "Edt_38"
                                     << " 10008" << valid << "\"邮政编码\"应该为6位数字！";
    QTest::newRow("postcode letter") << "Edt_38"
                                     << "10008A" << valid << "\"邮政编码\"必须为数字！";
    QTest::newRow("postcode sign") << "Edt_38"
                                   << "-10008" << valid << "\"邮政编码\"必须为数字！";
    QTest::newRow("phone empty") << "Edt_39"
                                 << "" << valid << "\"单位电话\"不能为空！";
    QTest::newRow("fax empty") << "Edt_40"
                               << "" << valid << "\"单位传真\"不能为空！";
    QTest::newRow("introduction empty") << QString() << QString() << ""
                                        << "\"单位简介\"不能为空！";
    QTest::newRow("introduction 49 characters")
        << QString() << QString() << chinese(49) << "\"单位简介\"内容不得小于50字！";
    QTest::newRow("introduction 49 characters and blanks") << QString() << QString() << chinese(49) + "    "
                                                           << "\"单位简介\"内容不得小于50字！";
    QTest::newRow("introduction 99 bytes") << QString() << QString() << chinese(49) + "a"
                                           << "\"单位简介\"内容不得小于50字！";
    QTest::newRow("introduction 100 bytes") << QString() << QString() << chinese(49) + "ab" << QString();
    QTest::newRow("department empty") << "Edt_41"
                                      << "" << valid << "\"联系部门\"不能为空！";
    QTest::newRow("department phone empty") << "Edt_41_2"
                                            << "" << valid << "\"联系部门电话\"不能为空！";
    QTest::newRow("code without dash") << "edt_420"
                                       << "123456789" << valid << "\"组织机构代码\"格式错误！";
    QTest::newRow("code too short") << "edt_420"
                                    << "1234567" << valid << "\"组织机构代码\"格式错误！";
    QTest::newRow("code blank") << "edt_420"
                                << "   " << valid << QString();
    // Checks run in order: the first failing one is the only message.
    QTest::newRow("address before introduction") << "Edt_37"
                                                 << ""
                                                 << ""
                                                 << "\"通讯地址\"不能为空！";
    QTest::newRow("introduction before department") << "Edt_41"
                                                    << "" << chinese(10) << "\"单位简介\"内容不得小于50字！";
}

void TestUnitProfile::leaveChecks() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QString, intro);
    QFETCH(QString, message);

    Fixture f;
    f.fillValid(intro);
    if (!control.isEmpty()) {
        f.control(control)->setText(text);
    }
    ScriptedUi ui;
    if (message.isEmpty()) {
        // Nothing stored yet: leaving offers to store, and No leaves without writing.
        ui.expectBox("请注意！", "记录已经更改,是否保存？", platform::Icon::Question, platform::No);
    } else {
        ui.expectBox("Tamsel", message, platform::Icon::Warning);
    }
    QCOMPARE(f.quit(), message.isEmpty());
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(readUnit(f.folder.path()).count, 0);
}

void TestUnitProfile::storeCreatesThenUpdates() {
    Fixture f;
    QCOMPARE(readUnit(f.folder.path()).count, 0);
    f.fillValid();
    f.control("edt_9")->setText("  测试研究院 ");
    f.control<QPlainTextEdit>("Memo2")->setPlainText("优势\t说明");
    f.selectEntry(f.control<QComboBox>("cb_62"), "2");
    f.selectEntry(f.control<QComboBox>("cb_64"), "110");
    f.control("Edt_41")->setText("科技处");
    core::TMainForm::setPageDone(f.main->pageButton("04"), false);
    {
        ScriptedUi ui;
        ui.expectBox("Tamsel", "储存成功！");
        f.page->btnSave01Click();
        TAMSEL_VERIFY_UI(ui);
    }
    UnitFile unit = readUnit(f.folder.path());
    QCOMPARE(unit.count, 1);
    QCOMPARE(unit.first["item_9"], QString("测试研究院"));
    QCOMPARE(unit.first["item_38"], QString("100081"));
    QCOMPARE(unit.first["item_62"], QString("2"));
    QCOMPARE(unit.first["item_64"], QString("110"));
    QCOMPARE(unit.first["unitintrod"], chinese(50));
    QCOMPARE(unit.first["advantage"], QString("优势 说明"));
    QCOMPARE(unit.first["unitcode"], QString("9990001000"));
    QCOMPARE(unit.first["unitlevel"], QString("1"));
    QCOMPARE(unit.first["endlevel"], QString("1"));
    // The profile is no achievement's page: the current achievement's buttons stay as they were.
    QVERIFY(!core::TMainForm::isPageDone(f.main->pageButton("04")));

    f.control("edt_9")->setText("新名称研究院");
    {
        ScriptedUi ui;
        ui.expectBox("Tamsel", "储存成功！");
        f.page->btnSave01Click();
        TAMSEL_VERIFY_UI(ui);
    }
    unit = readUnit(f.folder.path());
    QCOMPARE(unit.count, 1);
    QCOMPARE(unit.first["item_9"], QString("新名称研究院"));
    QCOMPARE(unit.first["item_38"], QString("100081"));

    // A value the field cannot hold is refused by name and leaves the record as it was.
    f.control("edt_9")->setMaxLength(1000);
    f.control("edt_9")->setText(chinese(71));
    {
        ScriptedUi ui;
        ui.expectBox("提示", "“单位名称”最多70个汉字（140字节），现有71个汉字");
        f.page->btnSave01Click();
        TAMSEL_VERIFY_UI(ui);
    }
    unit = readUnit(f.folder.path());
    QCOMPARE(unit.count, 1);
    QCOMPARE(unit.first["item_9"], QString("新名称研究院"));

    // So is a memo with a character GBK lacks, named by its label, which takes the focus.
    f.control("edt_9")->setText("新名称研究院");
    auto* memo = f.control<QPlainTextEdit>("Memo2");
    memo->setPlainText(QString::fromUtf8("优势\xF0\x9F\x98\x80"));
    {
        ScriptedUi ui;
        ui.expectBox("提示",
                     QString::fromUtf8("“研发优势简要说明”中的“\xF0\x9F\x98\x80”无法保存，请改用其他字"));
        f.page->btnSave01Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(f.page->focusWidget(), memo);
    QCOMPARE(readUnit(f.folder.path()).first["advantage"], QString("优势 说明"));
}

void TestUnitProfile::leaveAsksWhenChanged_data() {
    QTest::addColumn<QString>("change"); // control to change, or "" for none
    QTest::addColumn<bool>("asks");
    QTest::newRow("unchanged") << "" << false;
    QTest::newRow("name") << "edt_9" << true;
    QTest::newRow("web address") << "Edt_60" << true;
    QTest::newRow("classification edit") << "edt_15_1_4" << true;
    // Neither the organisation code nor the texts are compared.
    QTest::newRow("organisation code") << "edt_420" << false;
}

void TestUnitProfile::leaveAsksWhenChanged() {
    QFETCH(QString, change);
    QFETCH(bool, asks);
    Fixture f({{"ITEM_9", "测试研究院"},
               {"ITEM_420", "12345678-9"},
               {"ITEM_37", "地址"},
               {"ITEM_38", "100081"},
               {"ITEM_39", "1"},
               {"ITEM_40", "2"},
               {"ITEM_41", "科技处"},
               {"ITEM_41_2", "3"},
               {"ITEM_62", "1"},
               {"ITEM_64", "110"},
               {"UNITINTROD", chinese(60)}});
    if (!change.isEmpty()) {
        f.control(change)->setText(change == "edt_420" ? "87654321-0" : "11011");
    }
    ScriptedUi ui;
    if (asks) {
        ui.expectBox("请注意！", "记录已经更改,是否保存？", platform::Yes);
        ui.expectBox("Tamsel", "储存成功！");
    }
    QVERIFY(f.quit());
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(readUnit(f.folder.path()).count, 1);
}

void TestUnitProfile::enterpriseItems_data() {
    QTest::addColumn<QString>("unitType");
    QTest::addColumn<QString>("converted");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    QTest::newRow("enterprise, converted") << "3"
                                           << "1" << true << true;
    QTest::newRow("enterprise, not converted") << "3"
                                               << "0" << true << false;
    QTest::newRow("research institute") << "1"
                                        << "1" << false << false;
    QTest::newRow("no type") << ""
                             << "" << false << false;
}

void TestUnitProfile::enterpriseItems() {
    QFETCH(QString, unitType);
    QFETCH(QString, converted);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    Fixture f({{"ITEM_9", "测试企业"}, {"ITEM_62", unitType}, {"ITEM_163", converted}, {"ITEM_41_3", "2"}});
    auto* ownership = f.control<QComboBox>("CB_41_3");
    auto* box = f.control<QCheckBox>("cb_163");
    QCOMPARE(ownership->isEnabled(), enabled);
    QCOMPARE(box->isEnabled(), enabled);
    QCOMPARE(box->isChecked(), checked);
    if (enabled) {
        QVERIFY(ownership->currentText().startsWith("2  "));
    }

    // Choosing another type switches the items by whether it is an enterprise.
    auto* type = f.control<QComboBox>("cb_62");
    f.selectEntry(type, enabled ? "1" : "3");
    f.page->cb_62Change();
    QCOMPARE(ownership->isEnabled(), !enabled);
    QCOMPARE(box->isEnabled(), !enabled);
    if (enabled) {
        QVERIFY(!box->isChecked());
        QCOMPARE(ownership->count(), 0);
    } else {
        QVERIFY(ownership->count() > 0);
        f.selectEntry(ownership, "1");
        box->setChecked(true);
    }

    {
        ScriptedUi ui;
        ui.expectBox("Tamsel", "储存成功！");
        f.page->btnSave01Click();
        TAMSEL_VERIFY_UI(ui);
    }
    const UnitFile unit = readUnit(f.folder.path());
    QCOMPARE(unit.first["item_41_3"], enabled ? QString() : QString("1"));
    QCOMPARE(unit.first["item_163"], enabled ? QString() : QString("1"));
}

void TestUnitProfile::codeRows_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("shown"); // the first edits, the rest must be empty
    QTest::addColumn<QString>("collected");

    QTest::newRow("two fields") << "item_124_2"
                                << "01;05;" << QStringList{"01  电子信息", "05  生物、医药和医疗器械"}
                                << "01 ;05 ;";
    QTest::newRow("as stored by the page")
        << "item_124_1"
        << "0101 ;0203 ;" << QStringList{"0101  微电子技术", "0203  中间件软件"} << "0101 ;0203 ;";
    QTest::newRow("unknown code empties its edit")
        << "item_124_2"
        << "01;99;05;" << QStringList{"01  电子信息", "", "05  生物、医药和医疗器械"} << "01 ;05 ;";
    QTest::newRow("quote in a stored code") << "item_124_2"
                                            << "0'1;02;" << QStringList{"", "02  软件"} << "02 ;";
    QTest::newRow("last code without separator")
        << "item_15"
        << "110;120" << QStringList{"110  数学", "120  信息科学与系统科学"} << "110 ;120 ;";
    QTest::newRow("discipline") << "item_15_1"
                                << "11014 ;" << QStringList{"11014  数理逻辑与数学基础"} << "11014 ;";
    QTest::newRow("empty") << "item_15"
                           << "" << QStringList{} << "";
    QTest::newRow("ten codes") << "item_124_1"
                               << "01;02;03;04;05;06;07;08;09;10;" << QStringList{}
                               << "01 ;02 ;03 ;04 ;05 ;06 ;07 ;08 ;09 ;10 ;";
}

void TestUnitProfile::codeRows() {
    QFETCH(QString, item);
    QFETCH(QString, stored);
    QFETCH(QStringList, shown);
    QFETCH(QString, collected);

    Fixture f({{"ITEM_9", "测试研究院"}, {item, stored}});
    const QList<QLineEdit*> edits = f.page->codeEdits(item);
    QCOMPARE(edits.size(), 10);
    for (int k = 0; k < shown.size(); ++k) {
        QCOMPARE(edits[k]->text(), shown[k]);
    }
    if (!shown.isEmpty()) {
        for (int k = static_cast<int>(shown.size()); k < 10; ++k) {
            QVERIFY2(edits[k]->text().isEmpty(), qPrintable(edits[k]->objectName()));
        }
    }
    QCOMPARE(f.page->CollectCodeList(item), collected);
    // Loading is no change; storing writes the list back in its stored form.
    QVERIFY(f.control("Edit1")->text().isEmpty());
    ScriptedUi ui;
    ui.expectBox("Tamsel", "储存成功！");
    f.page->btnSave01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(readUnit(f.folder.path()).first[item], collected);
}

void TestUnitProfile::typedDisciplineCodes() {
    Fixture f({{"ITEM_9", "测试研究院"}, {"ITEM_15", "11014 ;123456789012 ;"}, {"ITEM_124_2", "01 ;"}},
              false);
    QVERIFY(!f.dm->HasDisciplineClass);
    QLineEdit* first = f.control("edt_15_1");
    QCOMPARE(first->text(), QString("11014"));
    QVERIFY(!first->isReadOnly());
    QVERIFY(f.control<QToolButton>("cb_15_1")->isHidden());
    // The high-technology fields still come from their table.
    QVERIFY(f.control("edt_124_2_1")->isReadOnly());
    QVERIFY(!f.control<QToolButton>("cb_124_2_1")->isHidden());
    QCOMPARE(f.control("edt_124_2_1")->text(), QString("01  电子信息"));

    // A stored code longer than the typing limit is shown whole, not cut.
    QCOMPARE(f.control("edt_15_2")->text(), QString("123456789012"));
    f.control("edt_15_3")->setText("120");
    QCOMPARE(f.control("Edit1")->text(), QString("item_15_3"));
    QCOMPARE(f.page->CollectCodeList("item_15"), QString("11014 ;123456789012 ;120 ;"));
}

void TestUnitProfile::pickerWiring() {
    Fixture f({{"ITEM_9", "测试研究院"}, {"ITEM_124_2", "01 ;02 ;03 ;"}});
    QLineEdit* target = f.control("edt_124_2_2");
    QCOMPARE(target->text(), QString("02  软件"));
    QVERIFY(f.control("Edit1")->text().isEmpty());

    {
        ScriptedUi ui;
        ui.expectModal("TFormTree", [](QWidget* w) { return pickNode(w, QString()); });
        f.control<QToolButton>("cb_124_2_2")->click();
        TAMSEL_VERIFY_UI(ui);
    }
    QVERIFY(target->text().isEmpty());
    QCOMPARE(f.control("Edit1")->text(), QString("item_124_2_2"));
    QCOMPARE(f.page->CollectCodeList("item_124_2"), QString("01 ;03 ;"));

    // A discipline arrow opens the discipline table and writes only into its own edit.
    {
        ScriptedUi ui;
        ui.expectModal("TFormTree", [](QWidget* w) { return pickNode(w, "11017  数论"); });
        f.control<QToolButton>("cb_15_1_10")->click();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(f.control("edt_15_1_10")->text(), QString("11017  数论"));
    QVERIFY(target->text().isEmpty());
    QCOMPARE(f.page->picker()->activeTableFile(), QString("xkfl.dbf"));
    QCOMPARE(f.page->CollectCodeList("item_15_1"), QString("11017 ;"));
}

void TestUnitProfile::memoDialogStoresAtOnce() {
    Fixture f({{"ITEM_9", "测试研究院"}, {"UNITINTROD", "旧简介"}});
    auto* pageMemo = f.control<QPlainTextEdit>("Memo3");
    QCOMPARE(pageMemo->toPlainText(), QString("旧简介"));
    const QString text = chinese(50) + "\t完";
    ScriptedUi ui;
    ui.expectModal("Tformunitintrod", [&](QWidget* w) {
        auto* memo = w->findChild<QPlainTextEdit*>("Memo1");
        if (memo->toPlainText() != "旧简介") {
            return -1;
        }
        memo->setPlainText(text);
        w->findChild<QPushButton*>("Button1")->click(); // 保存
        w->findChild<QPushButton*>("Button2")->click(); // 退出
        return static_cast<QDialog*>(w)->result();
    });
    QTest::mouseClick(pageMemo->viewport(), Qt::LeftButton);
    TAMSEL_VERIFY_UI(ui);
    const QString stored = chinese(50) + " 完";
    QCOMPARE(pageMemo->toPlainText(), stored);
    QCOMPARE(readUnit(f.folder.path()).first["unitintrod"], stored);
}

void TestUnitProfile::disciplineLeadersStoreSilently() {
    Fixture f;
    f.fillValid();
    bool opened = false;
    f.page->OpenDisciplineLeaders = [&] { opened = true; };
    core::TMainForm::setPageDone(f.main->pageButton("04"), false);
    ScriptedUi ui; // no box at all
    f.page->BitBtndtrClick();
    TAMSEL_VERIFY_UI(ui);
    QVERIFY(opened);
    const UnitFile unit = readUnit(f.folder.path());
    QCOMPARE(unit.count, 1);
    QCOMPARE(unit.first["item_9"], QString("测试研究院"));
    // The profile is no achievement's page: the current achievement's buttons stay as they were.
    QVERIFY(!core::TMainForm::isPageDone(f.main->pageButton("04")));
    // The unit's code reaches the filter as a bound value.
    QCOMPARE(f.dm->Tblexpert.filter(), QString("unitcode=:unitcode"));
    QVERIFY(f.dm->Tblexpert.filtered());
}

TAMSEL_TEST(TestUnitProfile)
#include "test_unitprofile.moc"
