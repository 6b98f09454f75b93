#include "entry/patent_dialog.h"
#include "entry/patent_list.h"
#include "entry/patents_page.h"
#include "ipfixture.h"
#include "support/testmain.h"

#include <QLineEdit>
#include <QTableView>

using namespace tamsel;
using entry::PatentGridModel;
using entry::TFinto6;
using entry::TFpage6;
using platform::Button;
using platform::Icon;
using test::control;
using test::IpFixture;
using test::ScriptedUi;

namespace {

// The patents list over the fixture's achievement, narrowed as the page narrows it.
struct List {
    explicit List(const IpFixture& f) : list(std::make_unique<TFpage6>(*f.dm, *f.main)) {
        entry::filterPatentsToCurrent(*f.dm, *f.main);
        ScriptedUi ui;
        list->FormShow();
        if (!ui.verify()) {
            qFatal("showing: %s", qPrintable(ui.failures()));
        }
    }
    TFinto6* dialog() const { return list->dialog(); }
    QLineEdit* edit(const char* name) const {
        return control<QLineEdit>(dialog(), QString::fromLatin1(name));
    }
    QComboBox* combo(const char* name) const {
        return control<QComboBox>(dialog(), QString::fromLatin1(name));
    }
    std::unique_ptr<TFpage6> list;
};

// Drives the dialog shown modally by the list.
std::function<int(QWidget*)> driving(std::function<void()> drive) {
    return [drive](QWidget*) {
        drive();
        return 0;
    };
}

} // namespace

class TestPatents : public QObject {
    Q_OBJECT
private slots:
    void numberingOnShow();
    void deleteRenumbers_data();
    void deleteRenumbers();
    void newPatentsInOneSitting();
    void editChangesCurrentRow();
    void checks_data();
    void checks();
    void leavingTheDialog_data();
    void leavingTheDialog();
    void closingRecounts();
};

void TestPatents::numberingOnShow() {
    // Numbers as an import may leave them: gaps and repeats.
    IpFixture f;
    for (int n : {5, 5, 9}) {
        f.addPatent(n == 9 ? "1/3" : "2/1", n);
    }
    List l(f);
    QCOMPARE(f.patentRows(), (QStringList{"X01|7|OTHER|2|1", ".|1|ZL5|2|1", ".|2|ZL5|2|1", ".|3|ZL9|1|3"}));
    QCOMPARE(f.dm->tblzlqk.recNo(), 1);

    // The grid: number, looked-up texts, codes; the key columns hidden; titles in maroon.
    auto* grid = control<QTableView>(l.list.get(), "DBGrid1");
    const PatentGridModel* model = l.list->gridModel();
    QCOMPARE(model->rowCount(), 3);
    auto cell = [model](int row, int column) { return model->index(row, column).data().toString(); };
    QCOMPARE(cell(2, PatentGridModel::No), QStringLiteral("3"));
    QCOMPARE(cell(0, PatentGridModel::StatusText), QStringLiteral("已授权"));
    QCOMPARE(cell(2, PatentGridModel::StatusText), QStringLiteral("已申请"));
    QCOMPARE(cell(0, PatentGridModel::TypeText), QStringLiteral("发明专利"));
    QCOMPARE(cell(2, PatentGridModel::TypeText), QStringLiteral("外观设计专利"));
    QCOMPARE(cell(2, PatentGridModel::Type), QStringLiteral("3"));
    QCOMPARE(model->headerData(PatentGridModel::Name, Qt::Horizontal).toString(), QStringLiteral("专利名称"));
    QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor("#800000"));
    QVERIFY(grid->isColumnHidden(PatentGridModel::Item4));
    QVERIFY(grid->isColumnHidden(PatentGridModel::Dqdm));
    QVERIFY(!grid->isColumnHidden(PatentGridModel::Status));
    QCOMPARE(grid->currentIndex().row(), 0);
}

void TestPatents::deleteRenumbers_data() {
    QTest::addColumn<int>("row");          // 1-based row deleted
    QTest::addColumn<QStringList>("left"); // patent numbers left, in order
    QTest::addColumn<int>("current");      // item_no of the current row afterwards
    QTest::newRow("middle") << 2 << QStringList{"ZL1", "ZL3"} << 2;
    QTest::newRow("first") << 1 << QStringList{"ZL2", "ZL3"} << 1;
    QTest::newRow("last") << 3 << QStringList{"ZL1", "ZL2"} << 2;
}

void TestPatents::deleteRenumbers() {
    QFETCH(int, row);
    QFETCH(QStringList, left);
    QFETCH(int, current);
    IpFixture f({}, {"1/1", "2/2", "1/3"});
    List l(f);
    engine::Table& patents = f.dm->tblzlqk;
    patents.setRecNo(row);
    {
        // No keeps everything.
        ScriptedUi ui;
        ui.expectBox("提示信息", "是否删除该项目？!", Icon::Information, Button::No);
        l.list->btnDeleteClick();
        TAMSEL_VERIFY_UI(ui);
        QCOMPARE(f.patentRows().size(), 4);
    }
    ScriptedUi ui;
    ui.expectBox("提示信息", "是否删除该项目？!", Icon::Information, Button::Yes);
    l.list->btnDeleteClick();
    TAMSEL_VERIFY_UI(ui);
    QStringList rows = f.patentRows();
    QCOMPARE(rows.takeFirst(), QStringLiteral("X01|7|OTHER|2|1"));
    QCOMPARE(rows.size(), left.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i].section('|', 1, 2), QString::number(i + 1) + '|' + left[i]);
    }
    QCOMPARE(patents.asString(u"ITEM_NO"), QString::number(current));
    QCOMPARE(l.list->gridModel()->rowCount(), 2);
    QCOMPARE(control<QTableView>(l.list.get(), "DBGrid1")->currentIndex().row(), current - 1);
}

void TestPatents::newPatentsInOneSitting() {
    IpFixture f({}, {"1/1"});
    List l(f);
    ScriptedUi ui;
    ui.expectModal("TFinto6", driving([&] {
                       QCOMPARE(l.dialog()->windowTitle(), TFinto6::newCaption());
                       QVERIFY(l.edit("Edt_no")->text().isEmpty());
                       QVERIFY(l.combo("CB_st")->currentText().startsWith("1  "));
                       for (const char* number : {"ZL200910001", "ZL200910002"}) {
                           l.edit("Edt_no")->setText(QString::fromLatin1(number));
                           l.edit("Edt_nam")->setText(QStringLiteral("一种装置"));
                           l.combo("CB_st")->setCurrentIndex(1);
                           l.combo("CB_ty")->setCurrentIndex(2);
                           l.dialog()->btnSaveClick();
                           // The dialog stays open for the next patent, its edits empty.
                           QVERIFY(l.edit("Edt_no")->text().isEmpty() && l.edit("Edt_nam")->text().isEmpty());
                       }
                       l.dialog()->btnQuitClick();
                   }));
    ui.expectBox("Tamsel", "储存成功！");
    ui.expectBox("Tamsel", "储存成功！");
    l.list->btnNewClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.patentRows(),
             (QStringList{"X01|7|OTHER|2|1", ".|1|ZL1|1|1", ".|2|ZL200910001|2|3", ".|3|ZL200910002|2|3"}));
    QCOMPARE(l.list->gridModel()->rowCount(), 3);
}

void TestPatents::editChangesCurrentRow() {
    IpFixture f({}, {"1/1", "1/2"});
    List l(f);
    f.dm->tblzlqk.setRecNo(2);
    ScriptedUi ui;
    ui.expectModal("TFinto6", driving([&] {
                       QCOMPARE(l.dialog()->windowTitle(), TFinto6::editCaption());
                       QCOMPARE(l.edit("Edt_no")->text(), QStringLiteral("ZL2"));
                       QVERIFY(l.combo("CB_ty")->currentText().startsWith("2  "));
                       l.edit("Edt_no")->setText("ZL2-B");
                       l.combo("CB_st")->setCurrentIndex(1);
                       l.dialog()->btnSaveClick();
                   }));
    ui.expectBox("Tamsel", "储存成功！");
    l.list->btnEditClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.patentRows(), (QStringList{"X01|7|OTHER|2|1", ".|1|ZL1|1|1", ".|2|ZL2-B|2|2"}));
    QCOMPARE(l.list->gridModel()->index(1, PatentGridModel::StatusText).data().toString(),
             QStringLiteral("已授权"));

    // 修改 on an empty list enters a new patent.
    IpFixture empty;
    List e(empty);
    ScriptedUi ui2;
    ui2.expectModal("TFinto6", driving([&] { QCOMPARE(e.dialog()->windowTitle(), TFinto6::newCaption()); }));
    e.list->btnEditClick();
    TAMSEL_VERIFY_UI(ui2);
}

void TestPatents::checks_data() {
    QTest::addColumn<int>("status"); // list index, -1 none
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("no status") << -1 << 0 << "ZL1"
                               << "名称"
                               << "\"专利状况\"不能为空！";
    QTest::newRow("no type") << 0 << -1 << "ZL1"
                             << "名称"
                             << "\"专利类型\"不能为空！";
    QTest::newRow("no number") << 0 << 0 << ""
                               << "名称"
                               << "\"专利号\"不能为空！";
    QTest::newRow("no name") << 0 << 0 << "ZL1"
                             << ""
                             << "\"专利名称\"不能为空！";
    QTest::newRow("name too long for its field")
        << 0 << 0 << "ZL1" << QString(71, QChar(0x4E13)) << "PATENT_NAM";
}

void TestPatents::checks() {
    QFETCH(int, status);
    QFETCH(int, type);
    QFETCH(QString, number);
    QFETCH(QString, name);
    QFETCH(QString, message);
    IpFixture f;
    List l(f);
    ScriptedUi ui;
    ui.expectModal("TFinto6", driving([&] {
                       l.combo("CB_st")->setCurrentIndex(status);
                       l.combo("CB_ty")->setCurrentIndex(type);
                       l.edit("Edt_no")->setText(number);
                       l.edit("Edt_nam")->setText(name);
                       l.dialog()->btnSaveClick();
                       // The input stays for correcting.
                       QCOMPARE(l.edit("Edt_no")->text(), number);
                       QCOMPARE(l.edit("Edt_nam")->text(), name);
                   }));
    if (message.startsWith("PATENT")) {
        ui.expectBox("提示", message, Button::Ok, ScriptedUi::Match::Contains);
    } else {
        ui.expectBox("Tamsel", message);
    }
    l.list->btnNewClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.patentRows().size(), 1);
    QCOMPARE(f.dm->tblzlqk.state(), engine::Dataset::State::Browse);
}

void TestPatents::leavingTheDialog_data() {
    QTest::addColumn<QString>("change"); // what the user changes before 退出
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("yes");
    QTest::newRow("nothing changed") << QString() << false << false;
    QTest::newRow("only the status list") << "status" << true << false;
    QTest::newRow("only the type list, saved") << "type" << true << true;
    QTest::newRow("the name") << "name" << true << false;
    QTest::newRow("both edits emptied") << "empty" << false << false;
}

void TestPatents::leavingTheDialog() {
    QFETCH(QString, change);
    QFETCH(bool, asks);
    QFETCH(bool, yes);
    IpFixture f({}, {"1/1"});
    List l(f);
    ScriptedUi ui;
    ui.expectModal("TFinto6", driving([&] {
                       QVERIFY(!l.dialog()->changed());
                       if (change == QLatin1String("status")) {
                           l.combo("CB_st")->setCurrentIndex(1);
                       } else if (change == QLatin1String("type")) {
                           l.combo("CB_ty")->setCurrentIndex(2);
                       } else if (change == QLatin1String("name")) {
                           l.edit("Edt_nam")->setText("新名称");
                       } else if (change == QLatin1String("empty")) {
                           l.edit("Edt_no")->clear();
                           l.edit("Edt_nam")->clear();
                       }
                       QCOMPARE(l.dialog()->changed(),
                                change == QLatin1String("status") || change == QLatin1String("type"));
                       l.dialog()->setResult(-1);
                       l.dialog()->btnQuitClick();
                       QVERIFY(l.dialog()->result() != -1);
                       // Closing clears the flag.
                       QVERIFY(!l.dialog()->changed());
                   }));
    if (asks) {
        ui.expectBox("请注意！", "记录已更改，是否保存后退出？", yes ? Button::Yes : Button::No);
    }
    if (yes) {
        ui.expectBox("Tamsel", "储存成功！");
    }
    l.list->btnEditClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.patentRows().last(), yes ? QStringLiteral(".|1|ZL1|1|3") : QStringLiteral(".|1|ZL1|1|1"));
}

void TestPatents::closingRecounts() {
    IpFixture f({}, {"1/1", "2/2", "2/3"});
    List l(f);
    int applied = -1;
    int granted = -1;
    bool refreshed = false;
    l.list->RefreshIpControls = [&] { refreshed = true; };
    l.list->ShowPatentCounts = [&](int a, int g) {
        applied = a;
        granted = g;
    };
    f.dm->tblzlqk.setRecNo(1);
    ScriptedUi ui;
    ui.expectBox("提示信息", "是否删除该项目？!", Icon::Information, Button::Yes);
    l.list->btnDeleteClick();
    l.list->btnQuitClick();
    TAMSEL_VERIFY_UI(ui);
    QVERIFY(refreshed);
    QCOMPARE(applied, 0);
    QCOMPARE(granted, 2);
}

TAMSEL_TEST(TestPatents)
#include "test_patents.moc"
