#include "core/data_module.h"
#include "core/main_form.h"
#include "core/page_helpers.h"
#include "engine/table.h"
#include "support/controls.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"
#include "units/first_unit_page.h"
#include "units/unit_situation_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace tamsel;
using platform::Icon;
using test::ScriptedUi;
using units::Tdw_Form;
using units::TFpage4;

namespace {

const QString kUnitName = QStringLiteral("测试研究院");
const QString kOtherUnit = QStringLiteral("合作研究所");
const QString kNumber = QStringLiteral("2009000001");

// An achievement of another unit whose first-unit items pass every check.
QHash<QString, QVariant> completeAchievement() {
    return {
        {"ITEM_4", kNumber},    {"ITEM_DQDM", "."},        {"ITEM_CGLB", "1"},
        {"ITEM_3", "新型材料"}, {"ITEM_9", kOtherUnit},    {"ITEM_37", "成果地址"},
        {"ITEM_38", "100081"},  {"ITEM_39", "成果电话"},   {"ITEM_62", "1"},
        {"ITEM_64", "110"},     {"ITEM_41", "成果联系人"}, {"ITEM_41_2", "成果联系电话"},
        {"TLinkMan", "转让人"},
    };
}

// Rows of a table read back through a fresh table object.
QList<QHash<QString, QString>> readRows(const QString& folder, const QString& file) {
    engine::Table t;
    t.setFolder(folder);
    t.setTableName(file);
    t.open();
    QList<QHash<QString, QString>> rows;
    for (t.first(); !t.eof(); t.next()) {
        QHash<QString, QString> row;
        for (const QString& name : t.fieldNames()) {
            row.insert(name.toUpper(), t.asString(name));
        }
        rows.append(row);
    }
    return rows;
}

// The page on the main window's current achievement over a fresh data folder.
struct Fixture {
    explicit Fixture(const QHash<QString, QVariant>& achievement = completeAchievement(),
                     const QHash<QString, QVariant>& unit = {{"ITEM_9", kUnitName}},
                     const QList<QHash<QString, QVariant>>& dwqk = {}) {
        folder.copyDeliveredData();
        append(QStringLiteral("unit.dbf"), unit);
        append(QStringLiteral("pelk.dbf"), withOtherPages(achievement));
        append(QStringLiteral("cgwcr.DBF"),
               {{"ITEM_4", kNumber}, {"ITEM_DQDM", "."}, {"ITEM_187", 1}, {"ITEM_180", "张三"}});
        for (const auto& row : dwqk) {
            append(QStringLiteral("dwqk.dbf"), row);
        }
        dm = std::make_unique<core::TDM>(folder.path());
        dm->DataModuleCreate(nullptr);
        main = std::make_unique<core::TMainForm>(dm.get());
        {
            ScriptedUi ui;
            main->FormShow();
        }
        page = std::make_unique<TFpage4>(*dm, *main);
        main->Hooks.page04 = [this] { page->Execute(); };
    }

    // The mandatory items of the other pages filled, so the lock follows this page alone.
    QHash<QString, QVariant> withOtherPages(QHash<QString, QVariant> values) const {
        engine::Table checkup;
        checkup.setFolder(folder.path());
        checkup.setTableName(QStringLiteral("checkup"));
        checkup.open();
        for (checkup.first(); !checkup.eof(); checkup.next()) {
            const QString id = checkup.asString(u"id");
            if (checkup.asString(u"button") != QLatin1String("04") &&
                checkup.asString(u"lb") != QLatin1String("2") && !values.contains(id)) {
                values.insert(id,
                              id == QLatin1String("ITEM_121") ? QVariant(QDate(2009, 5, 1)) : QVariant("1"));
            }
        }
        return values;
    }

    void append(const QString& table, const QHash<QString, QVariant>& values) const {
        test::appendRecord(folder.path(), table, values);
    }

    template <typename T = QLineEdit> T* control(const QString& name, QWidget* window = nullptr) const {
        return test::control<T>(window ? window : page.get(), name);
    }

    // "Edt_37=text" sets an edit, "cb_62=3" selects a list's code ("cb_62=" selects nothing,
    // running the change handler for the unit type), "cb_163=1" ticks the box.
    void apply(const QStringList& changes, QWidget* window = nullptr) const {
        for (const QString& change : changes) {
            const QString name = change.section(QLatin1Char('='), 0, 0);
            const QString value = change.section(QLatin1Char('='), 1);
            QWidget* target = control<QWidget>(name, window);
            if (auto* edit = qobject_cast<QLineEdit*>(target)) {
                edit->setText(value);
            } else if (auto* box = qobject_cast<QCheckBox*>(target)) {
                box->setChecked(value == QLatin1String("1"));
            } else if (auto* combo = qobject_cast<QComboBox*>(target)) {
                combo->setCurrentIndex(-1);
                core::SelectCode(value, combo);
                if (name == QLatin1String("cb_62")) {
                    QMetaObject::invokeMethod(window ? window : page.get(), "cb_62Change");
                }
            }
        }
    }

    QHash<QString, QString> pelk() const {
        return readRows(folder.path(), QStringLiteral("pelk.dbf")).first();
    }

    bool pageDone() const { return core::TMainForm::isPageDone(main->pageButton(QStringLiteral("04"))); }

    test::TestFolder folder;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<core::TMainForm> main;
    std::unique_ptr<TFpage4> page;
};

} // namespace

class TestFirstUnitPage : public QObject {
    Q_OBJECT
private slots:
    void checksInOrder_data();
    void checksInOrder();
    void organisationCode_data();
    void organisationCode();
    void enterpriseItems_data();
    void enterpriseItems();
    void fillRule_data();
    void fillRule();
    void leaving_data();
    void leaving();
    void failedPostKeepsRecord();
    void unlistedMinistryKept();
    void storeThroughMainWindow();
    void unitSituationStoresApostrophe_data();
    void unitSituationStoresApostrophe();
    void fillWithoutUnitSituation();
    void help_data();
    void help();
    void transferEditsStopAtFieldWidth_data();
    void transferEditsStopAtFieldWidth();
};

void TestFirstUnitPage::checksInOrder_data() {
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("message"); // empty: stored

    QTest::newRow("complete") << QStringList{} << QString();
    QTest::newRow("blank name is typed") << QStringList{"Edt_9= "} << QString();
    QTest::newRow("name") << QStringList{"Edt_9="} << "\"单位名称\"不能为空！";
    QTest::newRow("address") << QStringList{"Edt_37="} << "\"通讯地址\"不能为空！";
    QTest::newRow("postcode") << QStringList{"Edt_38="} << "\"邮政编码\"不能为空！";
    QTest::newRow("unit type") << QStringList{"cb_62="} << "\"单位属性\"不能为空！";
    QTest::newRow("ownership") << QStringList{"cb_62=3"} << "\"企业所有制属性\"不能为空！";
    QTest::newRow("province") << QStringList{"cb_64="} << "\"单位所在省市\"不能为空！";
    QTest::newRow("contact") << QStringList{"Edt_41="} << "\"联系人\"不能为空！";
    QTest::newRow("contact phone") << QStringList{"Edt_41_2="} << "\"联系人电话\"不能为空！";
    QTest::newRow("name before address") << QStringList{"Edt_37=", "Edt_9="} << "\"单位名称\"不能为空！";
    QTest::newRow("ownership before province")
        << QStringList{"cb_64=", "cb_62=3"} << "\"企业所有制属性\"不能为空！";
    QTest::newRow("contact phone before code")
        << QStringList{"Edt_420=123456789", "Edt_41_2="} << "\"联系人电话\"不能为空！";
}

void TestFirstUnitPage::checksInOrder() {
    QFETCH(QStringList, changes);
    QFETCH(QString, message);

    Fixture f;
    QVERIFY(f.page->LoadFromAchievement());
    f.apply(changes);
    f.apply({"Edt_39=新电话"});
    ScriptedUi ui;
    ui.expectBox("Tamsel", message.isEmpty() ? QStringLiteral("储存成功！") : message, Icon::Warning);
    f.page->btnSave01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.pelk()["ITEM_39"], message.isEmpty() ? QStringLiteral("新电话") : QStringLiteral("成果电话"));
}

void TestFirstUnitPage::organisationCode_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("valid");

    QTest::newRow("dash ninth") << "12345678-9" << true;
    QTest::newRow("no dash") << "123456789" << false;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("blanks") << "   " << true;
    QTest::newRow("dash ninth, nothing after") << "12345678-" << true;
    QTest::newRow("too short") << "1234567" << false;
    QTest::newRow("dash eighth") << "1234567-89" << false;
}

void TestFirstUnitPage::organisationCode() {
    QFETCH(QString, code);
    QFETCH(bool, valid);

    Fixture f;
    QVERIFY(f.page->LoadFromAchievement());
    f.apply({"Edt_420=" + code});
    ScriptedUi ui;
    ui.expectBox("Tamsel",
                 valid ? QStringLiteral("储存成功！") : QStringLiteral("\"组织机构代码\"格式错误！"),
                 Icon::Warning);
    f.page->btnSave01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.pelk()["ITEM_420"], valid ? code.trimmed() : QString());
}

void TestFirstUnitPage::enterpriseItems_data() {
    QTest::addColumn<QString>("storedType"); // the achievement's ITEM_62 when the page opens
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<bool>("enabled"); // ownership list and box after the changes
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("ownership");
    QTest::addColumn<QString>("converted");

    QTest::newRow("enterprise, converted")
        << "1" << QStringList{"cb_62=3", "CB_41_3=2", "cb_163=1"} << true << "3"
        << "2"
        << "1";
    QTest::newRow("enterprise, not converted") << "1" << QStringList{"cb_62=3", "CB_41_3=5"} << true << "3"
                                               << "5"
                                               << "0";
    QTest::newRow("stored enterprise kept") << "3" << QStringList{} << true << "3"
                                            << "4"
                                            << "1";
    QTest::newRow("enterprise changed to university") << "3" << QStringList{"cb_62=2"} << false << "2"
                                                      << ""
                                                      << "";
    QTest::newRow("other type, disabled items ignored")
        << "9" << QStringList{"CB_41_3=2", "cb_163=1"} << false << "9"
        << ""
        << "";
}

void TestFirstUnitPage::enterpriseItems() {
    QFETCH(QString, storedType);
    QFETCH(QStringList, changes);
    QFETCH(bool, enabled);
    QFETCH(QString, type);
    QFETCH(QString, ownership);
    QFETCH(QString, converted);

    QHash<QString, QVariant> achievement = completeAchievement();
    achievement.insert("ITEM_62", storedType);
    achievement.insert("ITEM_41_3", "4");
    achievement.insert("ITEM_163", "1");
    Fixture f(achievement);
    QVERIFY(f.page->LoadFromAchievement());
    QCOMPARE(f.control<QComboBox>("CB_41_3")->isEnabled(), storedType == "3");
    f.apply(changes);
    QCOMPARE(f.control<QComboBox>("CB_41_3")->isEnabled(), enabled);
    QCOMPARE(f.control<QCheckBox>("cb_163")->isEnabled(), enabled);
    if (type != "3" && type != storedType) {
        QCOMPARE(f.control<QComboBox>("CB_41_3")->count(), 0);
        QVERIFY(!f.control<QCheckBox>("cb_163")->isChecked());
    }

    ScriptedUi ui;
    ui.expectBox("Tamsel", "储存成功！");
    f.page->btnSave01Click();
    TAMSEL_VERIFY_UI(ui);
    const auto row = f.pelk();
    QCOMPARE(row["ITEM_62"], type);
    QCOMPARE(row["ITEM_41_3"], ownership);
    QCOMPARE(row["ITEM_163"], converted);
}

void TestFirstUnitPage::fillRule_data() {
    QTest::addColumn<QString>("name"); // the achievement's first unit
    QTest::addColumn<bool>("fromUnit");

    QTest::newRow("names agree") << kUnitName << true;
    QTest::newRow("names differ") << "另一单位" << false;
    QTest::newRow("longer name") << kUnitName + " 分所" << false;
}

void TestFirstUnitPage::fillRule() {
    QFETCH(QString, name);
    QFETCH(bool, fromUnit);

    QHash<QString, QVariant> achievement = completeAchievement();
    achievement.insert("ITEM_9", name);
    achievement.insert("ITEM_420", "11111111-1");
    achievement.insert("ITEM_61", "a@cg.cn");
    achievement.insert("ITEM_41_3", "2");
    achievement.insert("ITEM_163", "1");
    achievement.insert("ITEM_63", "302");
    achievement.insert("TLinkManTe", "转让电话");
    const QHash<QString, QVariant> unit{
        {"ITEM_9", kUnitName},      {"ITEM_420", "22222222-2"}, {"ITEM_37", "单位地址"},
        {"ITEM_38", "200000"},      {"ITEM_39", "单位电话"},    {"ITEM_40", "单位传真"},
        {"ITEM_60", "www.unit.cn"}, {"ITEM_41", "科技处"},      {"ITEM_41_2", "单位联系电话"},
        {"ITEM_61", "u@unit.cn"},   {"ITEM_62", "3"},           {"ITEM_41_3", "6"},
        {"ITEM_64", "120"},         {"ITEM_163", "0"},
    };
    Fixture f(achievement, unit);
    QVERIFY(f.page->LoadFromAchievement());

    const auto text = [&f](const char* control) { return f.control(QString::fromLatin1(control))->text(); };
    const auto code = [&f](const char* control) {
        return core::entryCode(f.control<QComboBox>(QString::fromLatin1(control)), 3);
    };
    QCOMPARE(text("Edt_9"), fromUnit ? kUnitName : name);
    QCOMPARE(text("Edt_420"), fromUnit ? "22222222-2" : "11111111-1");
    QCOMPARE(text("Edt_37"), fromUnit ? "单位地址" : "成果地址");
    QCOMPARE(text("Edt_38"), fromUnit ? "200000" : "100081");
    QCOMPARE(text("Edt_39"), fromUnit ? "单位电话" : "成果电话");
    QCOMPARE(text("Edt_40"), fromUnit ? "单位传真" : "");
    QCOMPARE(text("Edt_60"), fromUnit ? "www.unit.cn" : "");
    QCOMPARE(text("Edt_61"), fromUnit ? "u@unit.cn" : "a@cg.cn");
    QCOMPARE(text("Edt_41_2"), fromUnit ? "单位联系电话" : "成果联系电话");
    QCOMPARE(code("cb_62"), fromUnit ? "3" : "1");
    QCOMPARE(code("cb_64"), fromUnit ? "120" : "110");
    // Always the achievement's own.
    QCOMPARE(text("Edt_41"), QString("成果联系人"));
    QCOMPARE(text("TLinkMan"), QString("转让人"));
    QCOMPARE(text("TLinkManTel"), QString("转让电话"));
    QCOMPARE(code("CB_41_3"), QString("2"));
    QCOMPARE(code("cb_63"), QString("302"));
    // Enabled by the unit type shown; the box follows the achievement.
    QCOMPARE(f.control<QComboBox>("CB_41_3")->isEnabled(), fromUnit);
    QCOMPARE(f.control<QCheckBox>("cb_163")->isChecked(), fromUnit);
    QCOMPARE(f.page->windowTitle(), QString("成果名称：新型材料"));
}

void TestFirstUnitPage::leaving_data() {
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("warning");  // a failing check: the page stays
    QTest::addColumn<int>("answer");       // 0: no question expected
    QTest::addColumn<QString>("address");  // ITEM_37 afterwards
    QTest::addColumn<QString>("transfer"); // TLinkMan afterwards

    QTest::newRow("unchanged") << QStringList{} << QString() << 0 << "成果地址"
                               << "转让人";
    QTest::newRow("only a transfer contact")
        << QStringList{"TLinkMan=新转让人"} << QString() << 0 << "成果地址"
        << "转让人";
    QTest::newRow("changed, not stored")
        << QStringList{"Edt_37=新地址"} << QString() << int(platform::No) << "成果地址"
        << "转让人";
    QTest::newRow("changed, stored") << QStringList{"Edt_37=新地址", "TLinkMan=新转让人"} << QString()
                                     << int(platform::Yes) << "新地址"
                                     << "新转让人";
    QTest::newRow("ministry chosen") << QStringList{"cb_63=303"} << QString() << int(platform::No)
                                     << "成果地址"
                                     << "转让人";
    QTest::newRow("check fails") << QStringList{"Edt_41="} << "\"联系人\"不能为空！" << 0 << "成果地址"
                                 << "转让人";
}

void TestFirstUnitPage::leaving() {
    QFETCH(QStringList, changes);
    QFETCH(QString, warning);
    QFETCH(int, answer);
    QFETCH(QString, address);
    QFETCH(QString, transfer);

    Fixture f;
    QVERIFY(f.page->LoadFromAchievement());
    f.apply(changes);
    ScriptedUi ui;
    if (!warning.isEmpty()) {
        ui.expectBox("Tamsel", warning, Icon::Warning);
    }
    if (answer != 0) {
        ui.expectBox("请注意！", "记录已经更改,是否保存？", Icon::Question, platform::Button(answer));
    }
    if (answer == platform::Yes) {
        ui.expectBox("Tamsel", "储存成功！");
    }
    f.page->setResult(0);
    f.page->quit01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.page->result() == QDialog::Accepted, warning.isEmpty());
    QCOMPARE(f.pelk()["ITEM_37"], address);
    QCOMPARE(f.pelk()["TLINKMAN"], transfer);
}

void TestFirstUnitPage::failedPostKeepsRecord() {
    Fixture f;
    QVERIFY(f.page->LoadFromAchievement());
    core::TMainForm::setPageDone(f.main->pageButton("04"), false);
    // The transfer contact takes 80 characters on the form but 20 bytes in the record.
    f.apply({"Edt_37=新地址", "TLinkMan=" + QString(11, QChar(0x5F20))});
    {
        ScriptedUi ui;
        ui.expectBox("提示", "“成果转让联系人”最多10个汉字（20字节），现有11个汉字", Icon::Warning);
        f.page->btnSave01Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QVERIFY(!f.pageDone());
    QCOMPARE(f.pelk()["ITEM_37"], QString("成果地址"));
    QCOMPARE(f.dm->Qrypelk.state(), engine::Dataset::State::Browse);
    QCOMPARE(f.dm->Qrypelk.asString(u"ITEM_37"), QString("成果地址"));

    // Answering Yes on leaving with the same input keeps the page open.
    ScriptedUi ui;
    ui.expectBox("请注意！", "记录已经更改,是否保存？", platform::Yes);
    ui.expectBox("提示", "“成果转让联系人”最多10个汉字（20字节），现有11个汉字", Icon::Warning);
    f.page->setResult(0);
    f.page->quit01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.page->result(), 0);
}

// A ministry code that the delivered list lacks shows as the bare code, is no change on
// leaving and is stored again as it was.
void TestFirstUnitPage::unlistedMinistryKept() {
    QHash<QString, QVariant> achievement = completeAchievement();
    achievement.insert("ITEM_63", "399");
    Fixture f(achievement);
    QVERIFY(f.page->LoadFromAchievement());
    QCOMPARE(f.control<QComboBox>("cb_63")->currentText(), QString("399"));
    ScriptedUi ui;
    f.page->quit01Click();
    ui.expectBox("Tamsel", "储存成功！");
    f.page->btnSave01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.pelk()["ITEM_63"], QString("399"));
}

void TestFirstUnitPage::storeThroughMainWindow() {
    QHash<QString, QVariant> achievement = completeAchievement();
    for (const char* field : {"ITEM_37", "ITEM_38", "ITEM_41", "ITEM_41_2", "ITEM_64"}) {
        achievement.remove(QString::fromLatin1(field));
    }
    Fixture f(achievement);
    QVERIFY(!f.pageDone());
    QVERIFY(!f.control<QWidget>("DBGrid1", f.main.get())->isEnabled());

    ScriptedUi ui;
    ui.expectModal("TFpage4", [&f](QWidget* window) {
        auto* page = static_cast<TFpage4*>(window);
        f.apply({"Edt_37=北京市海淀区1号", "Edt_38=100081", "Edt_41=李四", "Edt_41_2=010-1", "cb_64=130",
                 "cb_62=3", "CB_41_3=3", "cb_163=1", "cb_63=301", "Edt_420=12345678-9",
                 "TLinkManEmail=t@x.cn"});
        page->btnSave01Click();
        page->quit01Click(); // stored: closes without a question
        return page->result();
    });
    ui.expectBox("Tamsel", "储存成功！");
    f.main->btn_page04Click();
    TAMSEL_VERIFY_UI(ui);

    QVERIFY(f.pageDone());
    QCOMPARE(f.main->pageButton("04")->text(), QString("第一完成单位情况"));
    QVERIFY(f.control<QWidget>("DBGrid1", f.main.get())->isEnabled());
    const auto row = f.pelk();
    QCOMPARE(row["ITEM_37"], QString("北京市海淀区1号"));
    QCOMPARE(row["ITEM_64"], QString("130"));
    QCOMPARE(row["ITEM_62"], QString("3"));
    QCOMPARE(row["ITEM_41_3"], QString("3"));
    QCOMPARE(row["ITEM_163"], QString("1"));
    QCOMPARE(row["ITEM_63"], QString("301"));
    QCOMPARE(row["TLINKMANEM"], QString("t@x.cn"));

    // Reopened, the page shows what was stored and sees no change.
    QVERIFY(f.page->LoadFromAchievement());
    QCOMPARE(f.control("Edt_37")->text(), QString("北京市海淀区1号"));
    QCOMPARE(core::entryCode(f.control<QComboBox>("CB_41_3"), 3), QString("3"));
    QVERIFY(f.control<QCheckBox>("cb_163")->isChecked());
    QVERIFY(!f.page->differsFromRecord());

    // Emptying a mandatory item behind the page's back locks the achievement again on closing.
    f.dm->Qrypelk.edit();
    f.dm->Qrypelk.setValue(u"ITEM_41", QString());
    f.dm->Qrypelk.post();
    ScriptedUi again;
    again.expectModal("TFpage4", [](QWidget*) { return 0; });
    f.main->btn_page04Click();
    TAMSEL_VERIFY_UI(again);
    QVERIFY(!f.pageDone());
    QVERIFY(!f.control<QWidget>("DBGrid1", f.main.get())->isEnabled());
}

void TestFirstUnitPage::unitSituationStoresApostrophe_data() {
    QTest::addColumn<int>("records"); // dwqk records before storing

    QTest::newRow("insert") << 0;
    QTest::newRow("update") << 1;
    QTest::newRow("update every record") << 2;
}

void TestFirstUnitPage::unitSituationStoresApostrophe() {
    QFETCH(int, records);

    QList<QHash<QString, QVariant>> dwqk;
    for (int i = 0; i < records; ++i) {
        dwqk.append({{"ITEM_9", QString("旧单位%1").arg(i)}, {"ITEM_62", "1"}, {"ITEM_37", "旧地址"}});
    }
    Fixture f(completeAchievement(), {{"ITEM_9", kUnitName}}, dwqk);
    QVERIFY(f.page->LoadFromAchievement());

    ScriptedUi ui;
    ui.expectModal("Tdw_Form", [&f](QWidget* window) {
        f.apply({"Edt_9=A'B", "Edt_37=x'); delete from pelk where ('1'='1", "Edt_38=100081", "Edt_41=O'Neil",
                 "Edt_41_2=1", "cb_62=3", "CB_41_3=5", "cb_163=1", "cb_64=310", "cb_63=302"},
                window);
        static_cast<Tdw_Form*>(window)->Button1Click();
        return static_cast<QDialog*>(window)->result();
    });
    ui.expectBox("Tamsel", "储存成功！");
    f.page->Button2Click();
    TAMSEL_VERIFY_UI(ui);

    const auto rows = readRows(f.folder.path(), "dwqk.dbf");
    QCOMPARE(rows.size(), std::max(records, 1));
    for (const auto& row : rows) {
        QCOMPARE(row["ITEM_9"], QString("A'B"));
        QCOMPARE(row["ITEM_37"], QString("x'); delete from pelk where ('1'='1"));
        QCOMPARE(row["ITEM_41"], QString("O'Neil"));
        QCOMPARE(row["ITEM_62"], QString("3"));
        QCOMPARE(row["ITEM_41_3"], QString("5"));
        QCOMPARE(row["ITEM_163"], QString("1"));
        QCOMPARE(row["ITEM_64"], QString("310"));
        QCOMPARE(row["ITEM_63"], QString("302"));
    }
    QCOMPARE(readRows(f.folder.path(), "pelk.dbf").size(), 1);
    // The page took the stored record in.
    QCOMPARE(f.control("Edt_9")->text(), QString("A'B"));
    QCOMPARE(f.control("Edt_41")->text(), QString("O'Neil"));
    QCOMPARE(core::entryCode(f.control<QComboBox>("CB_41_3"), 3), QString("5"));
    QVERIFY(f.control<QCheckBox>("cb_163")->isChecked());
    QVERIFY(f.control<QCheckBox>("cb_163")->isEnabled());
    QCOMPARE(f.dm->Qrydwqk.sql(), QString("select * from dwqk"));
    QVERIFY(f.dm->Qrydwqk.isActive());

    // Opened again, the dialog shows the stored record unchanged: leaving asks nothing.
    ScriptedUi reopen;
    reopen.expectModal("Tdw_Form", [](QWidget* window) {
        static_cast<Tdw_Form*>(window)->Button2Click();
        return static_cast<QDialog*>(window)->result();
    });
    f.page->Button2Click();
    TAMSEL_VERIFY_UI(reopen);
}

void TestFirstUnitPage::fillWithoutUnitSituation() {
    Fixture f;
    QVERIFY(f.page->LoadFromAchievement());
    ScriptedUi ui;
    ui.expectBox("提示信息", "本单位情况还没设置，请先设置单位基本情况", Icon::Information);
    f.page->Button1Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.control("Edt_37")->text(), QString("成果地址"));
}

void TestFirstUnitPage::help_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("shown");

    QTest::newRow("applied technology") << 0 << "THelpWcdw";
    QTest::newRow("soft science") << 1 << "";
    QTest::newRow("basic theory") << 2 << "";
}

void TestFirstUnitPage::help() {
    QFETCH(int, category);
    QFETCH(QString, shown);

    Fixture f;
    QString opened;
    f.main->Hooks.showHelp = [&opened](const QString& name) { opened = name; };
    {
        ScriptedUi ui;
        f.control<QComboBox>("ComboBox1", f.main.get())->setCurrentIndex(category);
    }
    f.page->Button3Click();
    QCOMPARE(opened, shown);
}

void TestFirstUnitPage::transferEditsStopAtFieldWidth_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");

    const QString han(16, QChar(0x8f6c));
    QTest::newRow("contact, letters") << "TLinkMan"
                                      << "TLINKMAN" << QString(25, u'a') << QString(20, u'a');
    QTest::newRow("contact, Chinese") << "TLinkMan"
                                      << "TLINKMAN" << han << han.left(10);
    QTest::newRow("phone, digits") << "TLinkManTel"
                                   << "TLINKMANTE" << QString(40, u'1') << QString(30, u'1');
    QTest::newRow("phone, Chinese after a digit")
        << "TLinkManTel"
        << "TLINKMANTE" << QString(u'1') + han << QString(u'1') + han.left(14);
}

void TestFirstUnitPage::transferEditsStopAtFieldWidth() {
    QFETCH(QString, edit);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, kept);

    Fixture f;
    QVERIFY(f.page->LoadFromAchievement());
    QLineEdit* target = f.control(edit);
    target->clear();
    for (const QChar c : typed) {
        target->insert(QString(c)); // as typed: each character goes through the edit's check
    }
    QCOMPARE(target->text(), kept);
    QVERIFY(target->toolTip().contains(u"字节"));
    ScriptedUi ui;
    ui.expectBox("Tamsel", QStringLiteral("储存成功！"), Icon::Warning);
    f.page->btnSave01Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.pelk()[field], kept);
}

TAMSEL_TEST(TestFirstUnitPage)
#include "test_first_unit_page.moc"
