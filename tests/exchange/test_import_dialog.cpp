#include "engine/dbffile.h"
#include "engine/table.h"
#include "exchange/exporter.h"
#include "exchange/import_dialog.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace tamsel::engine;
using namespace tamsel::exchange;
using tamsel::platform::No;
using tamsel::platform::Ok;
using tamsel::platform::Yes;
using tamsel::test::ScriptedUi;
using tamsel::test::TestFolder;

namespace {

void addAchievement(const QString& folder, const QString& number, const QString& name,
                    const QString& category) {
    Table t;
    t.setFolder(folder);
    t.setTableName(QStringLiteral("pelk.dbf"));
    t.open();
    t.append();
    t.setValue(u"ITEM_4", number);
    t.setValue(u"ITEM_DQDM", QStringLiteral("."));
    t.setValue(u"ITEM_3", name);
    t.setValue(u"ITEM_9", QStringLiteral("单位甲"));
    t.setValue(u"ITEM_CGLB", category);
    t.post();
}

QStringList names(const QString& folder) {
    Table t;
    t.setFolder(folder);
    t.setTableName(QStringLiteral("pelk.dbf"));
    t.open();
    QStringList out;
    for (t.first(); !t.eof(); t.next()) {
        out << t.asString(u"ITEM_3");
    }
    return out;
}

} // namespace

class TestImportDialog : public QObject {
    Q_OBJECT
private slots:
    // Choose, read, delete one, remove a duplicate by renaming it, store.
    void importDialog() {
        TestFolder a;
        TestFolder b;
        TestFolder out;
        a.copyDeliveredData();
        b.copyDeliveredData();
        addAchievement(a.path(), QStringLiteral("2006000001"), QStringLiteral("同名"), QStringLiteral("1"));
        addAchievement(a.path(), QStringLiteral("2006000002"), QStringLiteral("删掉"), QStringLiteral("2"));
        addAchievement(a.path(), QStringLiteral("2006000003"), QStringLiteral("第三"), QStringLiteral("3"));
        addAchievement(b.path(), QStringLiteral("2006000001"), QStringLiteral("同名"), QStringLiteral("1"));
        const Exporter exporter(a.path());
        const QList<QByteArray> keys = exporter.keys();
        exporter.exportTo(out.path(), QSet<QByteArray>(keys.begin(), keys.end()));

        TFormin dialog(b.path());
        QStringList chosen{out.file(QStringLiteral("other.arj")), out.file(QStringLiteral("cgsbqy.arj"))};
        dialog.setChooseFile([&](const QString&, const QString&) { return chosen.takeFirst(); });
        dialog.FormShow();
        auto* read = dialog.findChild<QPushButton*>(QStringLiteral("Button3"));
        auto* save = dialog.findChild<QPushButton*>(QStringLiteral("Button6"));
        auto* grid = dialog.findChild<QTableView*>(QStringLiteral("DBGrid1"));
        auto* newName = dialog.findChild<QLineEdit*>(QStringLiteral("Edit2"));
        {
            ScriptedUi screen;
            screen.expectBox(QStringLiteral("请注意！"),
                             QStringLiteral("请选择正确导入包,名字是CGSBQY.ARJ!"));
            dialog.Button1Click();
            QVERIFY(!read->isEnabled());
            dialog.Button1Click();
            QVERIFY(read->isEnabled());
            screen.expectBox(QStringLiteral("提示"), QStringLiteral("导入完毕！"));
            dialog.Button3Click();
            TAMSEL_VERIFY_UI(screen);
        }
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label6"))->text(),
                 QStringLiteral("记录条数:3条；"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("其中：应用技术1条，软科学1条，基础理论1条。"));
        {
            ScriptedUi screen;
            grid->selectRow(1);
            screen.expectBox(QStringLiteral("请注意！"), QStringLiteral("是否删除数据？"), Yes);
            dialog.Button7Click();
            QCOMPARE(dialog.rowsModel()->rowCount(), 2);
            QCOMPARE(grid->selectionModel()->selectedRows().first().row(), 1);
            screen.expectBox(QStringLiteral("请注意！"), QStringLiteral("导入的项目“同名”有重复,是否删除？"),
                             No);
            dialog.Button4Click();
            QVERIFY(dialog.findChild<QWidget*>(QStringLiteral("Panel1"))->isVisibleTo(&dialog));
            QCOMPARE(newName->text(), QStringLiteral("同名"));
            screen.expectBox(QStringLiteral("请注意！"), QStringLiteral("仍与已有的成果重复"), Ok,
                             ScriptedUi::Match::Contains);
            dialog.Button2Click();
            newName->setText(QStringLiteral("改过的名"));
            dialog.Button2Click();
            screen.expectBox(QStringLiteral("请注意！"), QStringLiteral("排重已经完成！"));
            dialog.Button4Click();
            QVERIFY(save->isEnabled());
            screen.expectBox(QStringLiteral("请注意！"), QStringLiteral("入库完毕!"));
            dialog.Button6Click();
            TAMSEL_VERIFY_UI(screen);
        }
        QCOMPARE(names(b.path()), (QStringList{"同名", "改过的名", "第三"}));
        QCOMPARE(DbfFile::open(b.path(), QStringLiteral("pelktemp.dbf"))->recordCount(), 0u);
    }
};

TAMSEL_TEST(TestImportDialog)
#include "test_import_dialog.moc"
