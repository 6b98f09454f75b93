#include "mainformfixture.h"
#include "support/testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace tamsel;
using tamsel::test::MainFormFixture;
using tamsel::test::ScriptedUi;

namespace {

// A page-like form with one panel of choice buttons named prefix + code.
struct ChoiceForm {
    ChoiceForm(const QString& panelName, const QString& prefix, const QStringList& codes, bool radio) {
        form.setObjectName("TFpageTest");
        panel = new QWidget(&form);
        panel->setObjectName(panelName);
        for (const QString& code : codes) {
            QAbstractButton* button =
                radio ? static_cast<QAbstractButton*>(new QRadioButton(panel)) : new QCheckBox(panel);
            button->setObjectName(prefix + code);
        }
        // A button of another panel with a matching code is never touched.
        auto* other = new QWidget(&form);
        other->setObjectName("PL_other");
        (new QCheckBox(other))->setObjectName(prefix + codes.value(0));
    }
    QStringList checked() const {
        QStringList codes;
        const auto buttons = form.findChildren<QAbstractButton*>();
        for (QAbstractButton* button : buttons) {
            if (button->isChecked()) {
                codes.append(button->parentWidget()->objectName() + ":" + button->objectName());
            }
        }
        return codes;
    }
    void check(const QStringList& names) {
        for (const QString& name : names) {
            panel->findChild<QAbstractButton*>(name)->setChecked(true);
        }
    }
    QWidget form;
    QWidget* panel = nullptr;
};

QStringList twoDigitCodes(int last) {
    QStringList codes;
    for (int i = 1; i <= last; ++i) {
        codes.append(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    }
    return codes;
}

QStringList entries(const QComboBox& combo) {
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i) {
        texts.append(combo.itemText(i));
    }
    return texts;
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void fillCodeList_data();
    void fillCodeList();
    void fillCodeNameList();
    void selectCode_data();
    void selectCode();
    void checkCodes_data();
    void checkCodes();
    void collectCodes_data();
    void collectCodes();
    void clearAndSingleChoice();
    void splitToEdits_data();
    void splitToEdits();
    void showClassCode();
    void numericEntry_data();
    void numericEntry();
};

void TestOptions::fillCodeList_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("all");
    QTest::addColumn<bool>("withoutBlank");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("entry page") << "item_zz" << false << false << QStringList{"1  稳定应用", "12  推广", " "};
    QTest::newRow("entry page, no blank")
        << "item_zz" << false << true << QStringList{"1  稳定应用", "12  推广"};
    QTest::newRow("query list keeps old options")
        << "item_zz" << true << false << QStringList{"1  稳定应用", "2  **旧版选项", "12  推广", " "};
    QTest::newRow("quote in item code") << "it'em" << false << false << QStringList{" "};
}

void TestOptions::fillCodeList() {
    QFETCH(QString, item);
    QFETCH(bool, all);
    QFETCH(bool, withoutBlank);
    QFETCH(QStringList, expected);
    MainFormFixture f;
    for (const auto& [code, text] : QList<std::pair<QString, QString>>{
             {"1", "稳定应用"}, {"2", "**旧版选项"}, {"", "没有代码"}, {"3", ""}, {"12", "推广"}}) {
        f.append("zdxx.dbf", {{"zddm", "item_zz"}, {"xxdm", code}, {"xxmc", text}});
    }
    f.append("zdxx.dbf", {{"zddm", "item_yy"}, {"xxdm", "9"}, {"xxmc", "别的项目"}});
    QComboBox combo;
    ScriptedUi ui;
    if (all) {
        core::FillCodeListAll(f.dm->Tblzdxx, item, withoutBlank, &combo);
    } else {
        core::FillCodeList(f.dm->Tblzdxx, item, withoutBlank, &combo);
    }
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(entries(combo), expected);
    QCOMPARE(combo.currentIndex(), -1);
}

void TestOptions::fillCodeNameList() {
    MainFormFixture f;
    const int delivered = f.dm->tblProvince.recordCount();
    f.append("province.dbf", {{"Province_i", "999"}});
    f.append("province.dbf", {{"Province_n", "无代码"}});
    QComboBox combo;
    ScriptedUi ui;
    core::FillCodeNameList(f.dm->tblProvince, &combo, false, "Province_i", "Province_n");
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(combo.count(), delivered + 1);
    QCOMPARE(combo.itemText(0), QStringLiteral("110  (北京市)"));
    QCOMPARE(combo.itemText(combo.count() - 1), QStringLiteral(" "));
    // A stored code selects its entry in such a list too.
    core::SelectCode("120", &combo);
    QCOMPARE(combo.currentText(), QStringLiteral("120  (天津市)"));
}

void TestOptions::selectCode_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("selected"); // the list starts on entry 2
    const QStringList list{"1  甲", "10  乙", "2  丙", "110  (北京市)", " "};
    QTest::newRow("one character") << list << "1" << 0;
    QTest::newRow("not a prefix match") << list << "10" << 1;
    QTest::newRow("code and name list") << list << "110" << 3;
    QTest::newRow("unknown keeps selection") << list << "9" << 2;
    QTest::newRow("empty keeps selection") << list << "" << 2;
    QTest::newRow("last match wins") << QStringList{"1  甲", "2  乙", "1  丙"} << "1" << 2;
}

void TestOptions::selectCode() {
    QFETCH(QStringList, items);
    QFETCH(QString, code);
    QFETCH(int, selected);
    MainFormFixture f;
    QComboBox combo;
    combo.addItems(items);
    combo.setCurrentIndex(2);
    core::SelectCode(code, &combo);
    QCOMPARE(combo.currentIndex(), selected);
}

void TestOptions::checkCodes_data() {
    QTest::addColumn<bool>("radio");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("checked");
    QTest::newRow("two codes") << false << 2 << "02;05;"
                               << QStringList{"PL_125:CB_125_02", "PL_125:CB_125_05"};
    QTest::newRow("no separator") << false << 2 << "02" << QStringList{"PL_125:CB_125_02"};
    QTest::newRow("fourth ignored") << false << 2 << "01;02;03;04;"
                                    << QStringList{"PL_125:CB_125_01", "PL_125:CB_125_02",
                                                   "PL_125:CB_125_03"};
    QTest::newRow("unterminated last not taken") << false << 2 << "02;05" << QStringList{"PL_125:CB_125_02"};
    QTest::newRow("empty") << false << 2 << "" << QStringList{};
    QTest::newRow("radio letter") << true << 1 << "E" << QStringList{"PL_125:CB_125_E"};
}

void TestOptions::checkCodes() {
    QFETCH(bool, radio);
    QFETCH(int, n);
    QFETCH(QString, stored);
    QFETCH(QStringList, checked);
    MainFormFixture f;
    QStringList codes = radio ? QStringList{"1", "2", "A", "E"} : twoDigitCodes(13);
    ChoiceForm page("PL_125", "CB_125_", codes, radio);
    core::CheckCodes(&page.form, page.panel, n, stored);
    QCOMPARE(page.checked(), checked);
}

void TestOptions::collectCodes_data() {
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QStringList>("check");
    QTest::addColumn<bool>("radio");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("box"); // "caption|text" expected, or empty

    const QStringList panel = twoDigitCodes(13);
    QTest::newRow("sorted") << panel << QStringList{"09", "03"} << false << "推广形式" << 2 << true
                            << "03;09;"
                            << "";
    QTest::newRow("one") << panel << QStringList{"07"} << false << "推广形式" << 2 << true << "07;"
                         << "";
    QTest::newRow("none") << panel << QStringList{} << false << "推广形式" << 2 << true << ""
                          << "";
    QTest::newRow("reversed panel order") << QStringList{"05", "02"} << QStringList{"05", "02"} << false
                                          << "成果主要应用行业" << 2 << true << "02;05;"
                                          << "";
    QTest::newRow("three refused") << panel << QStringList{"01", "02", "03"} << false << "推广形式" << 2
                                   << false << ""
                                   << "提示|'推广形式'项目为复选项目，但至多选择二项！";
    QTest::newRow("three forms of property kept")
        << QStringList{"1", "2", "3", "4"} << QStringList{"1", "3", "4"} << false << "知识产权形式" << 1
        << true << "1;3;4;"
        << "";
    QTest::newRow("not a number warns, still stored") << QStringList{"03", "0A"} << QStringList{"03", "0A"}
                                                      << false << "社会经济目标" << 2 << true << "03;0A;"
                                                      << "Tamsel|'0A'不是数字格式！";
    QTest::newRow("letters in panel order")
        << QStringList{"B", "A"} << QStringList{"B", "A"} << false << "成果水平" << 1 << true << "B;A;"
        << "";
    QTest::newRow("radio") << QStringList{"1", "A", "E"} << QStringList{"A"} << true << "成果体现形式" << 1
                           << true << "A"
                           << "";
}

void TestOptions::collectCodes() {
    QFETCH(QStringList, codes);
    QFETCH(QStringList, check);
    QFETCH(bool, radio);
    QFETCH(QString, caption);
    QFETCH(int, n);
    QFETCH(bool, ok);
    QFETCH(QString, result);
    QFETCH(QString, box);
    MainFormFixture f;
    ChoiceForm page("PL_161", "CB_161_", codes, radio);
    QStringList names;
    for (const QString& code : check) {
        names.append("CB_161_" + code);
    }
    page.check(names);
    ScriptedUi ui;
    if (!box.isEmpty()) {
        ui.expectBox(box.section('|', 0, 0), box.section('|', 1));
    }
    QString stored = "unchanged";
    QCOMPARE(core::CollectCodes(&page.form, page.panel, stored, caption, n), ok);
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(stored, ok ? result : QStringLiteral("unchanged"));
}

void TestOptions::clearAndSingleChoice() {
    MainFormFixture f;
    ChoiceForm radios("PL_123", "RB_123_", {"1", "2", "A"}, true);
    ChoiceForm boxes("PL_32", "CB_32_", {"1", "2", "3"}, false);
    radios.check({"RB_123_2"});
    boxes.check({"CB_32_1", "CB_32_3"});
    core::ClearChoiceButtons(&radios.form);
    core::ClearChoiceButtons(&boxes.form);
    QCOMPARE(radios.checked(), QStringList{});
    QCOMPARE(boxes.checked(), QStringList{});

    core::makeSingleChoice(boxes.panel);
    boxes.check({"CB_32_1"});
    boxes.check({"CB_32_3"});
    QCOMPARE(boxes.checked(), QStringList{"PL_32:CB_32_3"});
}

void TestOptions::splitToEdits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("edits");
    QTest::newRow("three") << "水稻;育种;杂交" << QStringList{"水稻", "育种", "杂交"};
    QTest::newRow("one") << "水稻" << QStringList{"水稻", "", ""};
    QTest::newRow("two") << "水稻;育种" << QStringList{"水稻", "育种", ""};
    QTest::newRow("trailing separator") << "水稻;育种;杂交;" << QStringList{"水稻", "育种", "杂交"};
    QTest::newRow("four") << "a;b;c;d" << QStringList{"a", "b", "c"};
    QTest::newRow("empty first") << ";b" << QStringList{"", "b", ""};
}

void TestOptions::splitToEdits() {
    QFETCH(QString, text);
    QFETCH(QStringList, edits);
    MainFormFixture f;
    QLineEdit first("old");
    QLineEdit second("old");
    QLineEdit third("old");
    core::SplitToEdits(text, &first, &second, &third);
    QCOMPARE((QStringList{first.text(), second.text(), third.text()}), edits);
}

void TestOptions::showClassCode() {
    MainFormFixture f;
    engine::Table& table = f.dm->Tblgxjs;
    // The first code of the delivered table, with its two display columns.
    table.setFiltered(false);
    table.first();
    const QString code = table.asString(u"xxdm");
    const QString shown = table.asString(1) + "  " + table.asString(2);
    QVERIFY(!code.isEmpty());
    QLineEdit edit("old");
    ScriptedUi ui;
    core::ShowClassCode(table, code, &edit);
    QCOMPARE(edit.text(), shown);
    core::ShowClassCode(table, "no such code", &edit);
    QCOMPARE(edit.text(), QString());
    edit.setText("old");
    core::ShowClassCode(table, "0'1", &edit);
    QCOMPARE(edit.text(), QString());
    TAMSEL_VERIFY_UI(ui);
}

void TestOptions::numericEntry_data() {
    QTest::addColumn<bool>("allowPoint");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("warned");
    QTest::newRow("count") << false << "1a2.3"
                           << "123" << false;
    QTest::newRow("funding") << true << "12.5x"
                             << "12.5" << false;
    QTest::newRow("two points") << true << "1.2.3"
                                << "0" << true;
}

void TestOptions::numericEntry() {
    QFETCH(bool, allowPoint);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(bool, warned);
    MainFormFixture f;
    QLineEdit edit;
    core::acceptDigitsOnly(&edit, allowPoint);
    QTest::keyClicks(&edit, typed);
    ScriptedUi ui;
    if (warned) {
        ui.expectBox("Tamsel", typed + " 不是正确的数据格式！现在已经置零", platform::Icon::Warning);
    }
    QCOMPARE(core::checkAmountText(&edit, edit.text()), !warned);
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(edit.text(), kept);
    // Pasted text passes the key filter; the change check catches it.
    edit.setText("3万");
    ui.expectBox("Tamsel", "3万 不是正确的数据格式！现在已经置零");
    QVERIFY(!core::checkAmountText(&edit, edit.text()));
    QCOMPARE(edit.text(), QStringLiteral("0"));
    TAMSEL_VERIFY_UI(ui);
}

TAMSEL_TEST(TestOptions)
#include "test_options.moc"
