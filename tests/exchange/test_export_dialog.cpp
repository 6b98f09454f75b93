#include "engine/table.h"
#include "exchange/archiver.h"
#include "exchange/export_dialog.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace tamsel::engine;
using namespace tamsel::exchange;
using tamsel::platform::No;
using tamsel::platform::Yes;
using tamsel::test::ScriptedUi;
using tamsel::test::TestFolder;

namespace {

void addAchievement(const QString& folder, const QString& number, const QString& flag) {
    Table t;
    t.setFolder(folder);
    t.setTableName(QStringLiteral("pelk.dbf"));
    t.open();
    t.append();
    t.setValue(u"ITEM_4", number);
    t.setValue(u"ITEM_DQDM", QStringLiteral("."));
    t.setValue(u"ITEM_3", QStringLiteral("成果") + number);
    t.setValue(u"ITEM_SJDC", flag);
    t.post();
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList flags(const QString& folder) {
    Table t;
    t.setFolder(folder);
    t.setTableName(QStringLiteral("pelk.dbf"));
    t.open();
    QStringList out;
    for (t.first(); !t.eof(); t.next()) {
        out << t.asString(u"ITEM_SJDC");
    }
    return out;
}

} // namespace

class TestFormout : public QObject {
    Q_OBJECT
private slots:
    // The year range, the questions, the old archive kept until the new one is complete, and
    // the export flags.
    void exportDialog() {
        TestFolder data;
        TestFolder out;
        data.copyDeliveredData();
        addAchievement(data.path(), QStringLiteral("2003000001"), QStringLiteral("1"));
        addAchievement(data.path(), QStringLiteral("2004000001"), QStringLiteral("0"));
        addAchievement(data.path(), QStringLiteral("2003000002"), QString());
        const QString archive = out.file(QStringLiteral("cgsbqy.arj"));
        QFile old(archive);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old archive");
        old.close();

        TFormout dialog(data.path());
        dialog.FormShow();
        auto* years = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
        auto* exportButton = dialog.findChild<QPushButton*>(QStringLiteral("Button2"));
        auto* folder = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        auto* count = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
        auto* grid = dialog.findChild<QTableView*>(QStringLiteral("DBGrid1"));
        QCOMPARE(flags(data.path()), (QStringList{"0", "0", "0"}));
        QCOMPARE(years->count(), 2);
        QCOMPARE(years->itemText(0), QStringLiteral("2004"));
        QVERIFY(!exportButton->isEnabled());
        folder->setText(out.path());

        dialog.RadioButton7Click();
        years->setCurrentIndex(1);
        dialog.ComboBox2Change();
        QCOMPARE(dialog.rowsModel()->rowCount(), 2);
        QCOMPARE(count->text(), QStringLiteral("选择了2记录！"));

        {
            ScriptedUi screen;
            screen.expectBox(QStringLiteral("提示信息"), QStringLiteral("该路径存在上报文件"), No,
                             ScriptedUi::Match::Contains);
            dialog.Button2Click();
            grid->clearSelection();
            screen.expectBox(QStringLiteral("提示信息"), QStringLiteral("该路径存在上报文件"), Yes,
                             ScriptedUi::Match::Contains);
            screen.expectBox(QStringLiteral("提示信息"),
                             QStringLiteral("请选择您要导出的项目，是否全部选择？"), No);
            dialog.Button2Click();
            TAMSEL_VERIFY_UI(screen);
        }
        QCOMPARE(fileBytes(archive), QByteArray("old archive"));
        QCOMPARE(flags(data.path()), (QStringList{"0", "0", "0"}));

        dialog.ComboBox2Change();
        {
            ScriptedUi screen;
            screen.expectBox(QStringLiteral("提示信息"), QStringLiteral("该路径存在上报文件"), Yes,
                             ScriptedUi::Match::Contains);
            screen.expectBox(QStringLiteral("Tamsel"), QStringLiteral("你已打包成功!文件在"),
                             tamsel::platform::Ok, ScriptedUi::Match::Contains);
            dialog.Button2Click();
            TAMSEL_VERIFY_UI(screen);
        }
        QCOMPARE(flags(data.path()), (QStringList{"1", "0", "1"}));
        QCOMPARE(Archiver::list(archive).size(), 7);
        dialog.FormShow();
        QCOMPARE(folder->text(), out.path());
        QCOMPARE(flags(data.path()), (QStringList{"0", "0", "0"}));
    }
};

TAMSEL_TEST(TestFormout)
#include "test_export_dialog.moc"
