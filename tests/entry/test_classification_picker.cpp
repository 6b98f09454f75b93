#include "engine/dbffile.h"
#include "engine/table.h"
#include "entry/classification_picker.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace tamsel;
using tamsel::entry::ClassTreeModel;
using tamsel::entry::TFormTree;
using tamsel::test::ScriptedUi;

namespace {

// Writes a classification table; each row is "level|code|name", a fourth part "D" marks the
// record deleted. The level column is numeric unless levelType says otherwise.
void writeClassTable(const QString& folder, const QString& name, const QStringList& rows,
                     char levelType = 'N') {
    const QString path = folder + QLatin1Char('/') + name;
    engine::DbfFile::create(path, {{QStringLiteral("JB"), levelType, levelType == 'N' ? 2 : 4, 0},
                                   {QStringLiteral("XXDM"), 'C', 12, 0},
                                   {QStringLiteral("XXMC"), 'C', 40, 0}});
    auto file = engine::DbfFile::open(folder, name);
    for (const QString& row : rows) {
        const QStringList parts = row.split(QLatin1Char('|'));
        const quint32 record = file->appendRecord(
            file->buildRecord(file->blankRecord(), {{0, parts[0]}, {1, parts[1]}, {2, parts[2]}}));
        if (parts.size() > 3 && parts[3] == QLatin1String("D")) {
            file->setDeleted(record, true);
        }
    }
}

// The tree as nested text: "详细分类(A  甲(A1  乙),B  丙)".
QString shape(const QAbstractItemModel* model, const QModelIndex& index) {
    QString text = index.data().toString();
    const int rows = model->rowCount(index);
    if (rows > 0) {
        QStringList children;
        for (int row = 0; row < rows; ++row) {
            children << shape(model, model->index(row, 0, index));
        }
        text += QLatin1Char('(') + children.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    return text;
}

QString shape(const QAbstractItemModel* model) {
    return model->rowCount() == 0 ? QString() : shape(model, model->index(0, 0));
}

// Drives the shown picker: selects the node with this text (the root when empty) and
// confirms; "#cancel" and "#esc" select the first class and leave by 取消 or by Esc.
int pick(QWidget* window, const QString& text) {
    auto* tree = window->findChild<QTreeView*>(QStringLiteral("TreeView1"));
    const QModelIndex root = tree->model()->index(0, 0);
    if (text.startsWith(QLatin1Char('#'))) {
        tree->setCurrentIndex(tree->model()->index(0, 0, root));
        if (text == QLatin1String("#esc")) {
            QTest::keyClick(window, Qt::Key_Escape);
        } else {
            window->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        }
    } else {
        const QModelIndexList found =
            text.isEmpty()
                ? QModelIndexList{root}
                : tree->model()->match(root, Qt::DisplayRole, text, 1, Qt::MatchExactly | Qt::MatchRecursive);
        if (found.isEmpty()) {
            return -1;
        }
        tree->setCurrentIndex(found.first());
        window->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    }
    return static_cast<QDialog*>(window)->result();
}

const QStringList kDiscipline{"1|110|数学", "2|11010|数学史", "2|11014|数理逻辑", "1|120|信息科学与系统科学"};
const QStringList kHighTech{"1|01|电子信息", "2|0101|软件", "1|02|生物与新医药"};

} // namespace

class TestFormTree : public QObject {
    Q_OBJECT

private slots:
    void treeShape_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<char>("levelType");
        QTest::addColumn<QString>("expected");
        QTest::newRow("tree order") << QStringList{"1|A|甲", "2|A1|乙", "3|A11|丙", "2|A2|丁", "1|B|戊"}
                                    << 'N' << "详细分类(A  甲(A1  乙(A11  丙),A2  丁),B  戊)";
        QTest::newRow("blanks trimmed, text level")
            << QStringList{" 1 |  A |  甲  ", "2|A1|乙"} << 'C' << "详细分类(A  甲(A1  乙))";
        QTest::newRow("levels 0 and below skipped")
            << QStringList{"0|Z|零", "-1|Y|负", "1|A|甲", "0|X|零"} << 'N' << "详细分类(A  甲)";
        QTest::newRow("deleted records skipped")
            << QStringList{"1|A|甲", "2|A1|乙|D", "2|A2|丙"} << 'N' << "详细分类(A  甲(A2  丙))";
        // Skipped levels hang under the nearest shallower class read so far.
        QTest::newRow("level skipped")
            << QStringList{"1|A|甲", "3|A11|丙", "2|A2|丁"} << 'N' << "详细分类(A  甲(A11  丙,A2  丁))";
        QTest::newRow("level 2 before any level 1")
            << QStringList{"2|X1|乙", "1|A|甲"} << 'N' << "详细分类(X1  乙,A  甲)";
        QTest::newRow("no stale parent") << QStringList{"1|A|甲", "2|A1|乙", "1|B|丙", "3|B11|丁"} << 'N'
                                         << "详细分类(A  甲(A1  乙),B  丙(B11  丁))";
        QTest::newRow("levels above 4")
            << QStringList{"1|A|甲", "2|A1|乙", "3|A11|丙", "4|A111|丁", "6|A1111|戊", "5|A1112|己"} << 'N'
            << "详细分类(A  甲(A1  乙(A11  丙(A111  丁(A1111  戊,A1112  己)))))";
        QTest::newRow("empty table") << QStringList{} << 'N' << "详细分类";
    }
    void treeShape() {
        QFETCH(QStringList, rows);
        QFETCH(char, levelType);
        QFETCH(QString, expected);
        test::TestFolder folder;
        writeClassTable(folder.path(), QStringLiteral("xkfl.dbf"), rows, levelType);
        engine::Table table;
        table.setFolder(folder.path());
        TFormTree picker(table);
        QLineEdit target;
        picker.SetActiveTarget(&target, QStringLiteral("xkfl.dbf"));
        ScriptedUi ui; // no box expected
        QVERIFY(picker.FormShow());
        TAMSEL_VERIFY_UI(ui);
        QCOMPARE(shape(picker.treeModel()), expected);
        QVERIFY(!table.isActive());
        const QModelIndex root = picker.treeModel()->index(0, 0);
        QCOMPARE(picker.findChild<QTreeView*>(QStringLiteral("TreeView1"))->currentIndex(), root);
    }

    // Tables the picker cannot show: the error is reported, the picker stays closed, the
    // target keeps its text and the table is not left open.
    void unloadable_data() {
        QTest::addColumn<QStringList>("rows"); // none: no table file at all
        QTest::addColumn<bool>("twoFields");
        QTest::addColumn<QString>("message");
        QTest::newRow("fraction") << QStringList{"1|A|甲", "1.5|B|乙"} << false
                                  << "第 2 条记录的级别“1.5”不是整数";
        QTest::newRow("letters") << QStringList{"x|A|甲"} << false << "第 1 条记录的级别“x”不是整数";
        QTest::newRow("empty level") << QStringList{"1|A|甲", "2|A1|乙", "|B|丙"} << false
                                     << "第 3 条记录的级别“”不是整数";
        QTest::newRow("missing file")
            << QStringList() << false << "xkfl.dbf"; // the engine's own message names the table
        QTest::newRow("two columns") << QStringList{"1|A"} << true << "字段不足三个";
    }
    void unloadable() {
        QFETCH(QStringList, rows);
        QFETCH(bool, twoFields);
        QFETCH(QString, message);
        test::TestFolder folder;
        if (twoFields) {
            engine::DbfFile::create(
                folder.file(QStringLiteral("xkfl.dbf")),
                {{QStringLiteral("JB"), 'C', 2, 0}, {QStringLiteral("XXDM"), 'C', 12, 0}});
        } else if (!rows.isEmpty()) {
            writeClassTable(folder.path(), QStringLiteral("xkfl.dbf"), rows, 'C');
        }
        engine::Table table;
        table.setFolder(folder.path());
        TFormTree picker(table);
        QLineEdit target(QStringLiteral("110  数学"));
        {
            ScriptedUi ui;
            ui.expectBox(QStringLiteral("Tamsel"), message, platform::Ok, ScriptedUi::Match::Contains);
            QCOMPARE(picker.OpenFor(&target, QStringLiteral("xkfl.dbf")), int(QDialog::Rejected));
            TAMSEL_VERIFY_UI(ui);
        }
        QVERIFY(!table.isActive());
        QCOMPARE(target.text(), QStringLiteral("110  数学"));
        QCOMPARE(picker.treeModel()->rowCount(), 0);
        if (!rows.isEmpty()) { // the file is free again: nothing still holds it
            QVERIFY(engine::DbfFile::open(folder.path(), QStringLiteral("xkfl.dbf"),
                                          engine::OpenMode::Exclusive));
        }
    }

    // Confirming, cancelling and closing, each followed by a second opening that must show
    // the full tree with its root caption again.
    void chooseAndReopen_data() {
        QTest::addColumn<QString>("choice"); // see pick()
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("expected");
        QTest::newRow("node") << "11014  数理逻辑" << int(QDialog::Accepted) << "11014  数理逻辑";
        QTest::newRow("root empties") << "" << int(QDialog::Accepted) << "";
        QTest::newRow("cancel") << "#cancel" << int(QDialog::Rejected) << "120  旧值";
        QTest::newRow("esc") << "#esc" << int(QDialog::Rejected) << "120  旧值";
    }
    void chooseAndReopen() {
        QFETCH(QString, choice);
        QFETCH(int, result);
        QFETCH(QString, expected);
        test::TestFolder folder;
        writeClassTable(folder.path(), QStringLiteral("xkfl.dbf"), kDiscipline);
        engine::Table table;
        table.setFolder(folder.path());
        TFormTree picker(table);
        QLineEdit target(QStringLiteral("120  旧值"));
        target.setReadOnly(true);
        QString secondShape;
        {
            ScriptedUi ui;
            ui.expectModal(QStringLiteral("TFormTree"), [&](QWidget* w) { return pick(w, choice); });
            ui.expectModal(QStringLiteral("TFormTree"), [&](QWidget* w) {
                secondShape = shape(picker.treeModel());
                return pick(w, QStringLiteral("#cancel"));
            });
            QCOMPARE(picker.OpenFor(&target, QStringLiteral("xkfl.dbf")), result);
            QCOMPARE(target.text(), expected);
            QCOMPARE(picker.treeModel()->rowCount(), 0); // emptied on closing
            QCOMPARE(picker.OpenFor(&target, QStringLiteral("xkfl.dbf")), int(QDialog::Rejected));
            TAMSEL_VERIFY_UI(ui);
        }
        QCOMPARE(
            secondShape,
            QStringLiteral("详细分类(110  数学(11010  数学史,11014  数理逻辑),120  信息科学与系统科学)"));
        QCOMPARE(target.text(), expected);
    }

    // One shared picker serves several pages: after a high-technology edit was used, a
    // discipline edit shows the discipline table and only that edit receives the choice.
    void onlyActiveTargetWritten() {
        test::TestFolder folder;
        writeClassTable(folder.path(), QStringLiteral("xkfl.dbf"), kDiscipline);
        writeClassTable(folder.path(), QStringLiteral("gxjs.dbf"), kHighTech);
        engine::Table table;
        table.setFolder(folder.path());
        TFormTree picker(table);
        QLineEdit edtHighTech;
        QLineEdit edtDiscipline;
        QString shownSecond;
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("TFormTree"),
                       [](QWidget* w) { return pick(w, QStringLiteral("0101  软件")); });
        ui.expectModal(QStringLiteral("TFormTree"), [&](QWidget* w) {
            shownSecond = shape(picker.treeModel());
            return pick(w, QStringLiteral("110  数学"));
        });
        QCOMPARE(picker.OpenFor(&edtHighTech, QStringLiteral("gxjs.dbf")), int(QDialog::Accepted));
        QCOMPARE(picker.OpenFor(&edtDiscipline, QStringLiteral("xkfl.dbf")), int(QDialog::Accepted));
        TAMSEL_VERIFY_UI(ui);
        QCOMPARE(edtHighTech.text(), QStringLiteral("0101  软件"));
        QCOMPARE(edtDiscipline.text(), QStringLiteral("110  数学"));
        QVERIFY(shownSecond.startsWith(QStringLiteral("详细分类(110  数学(")));
        QCOMPARE(picker.activeTarget(), &edtDiscipline);
    }

    // The delivered classification tables load without an error and have top classes.
    void deliveredTables_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("gxjs") << "gxjs.dbf";
        QTest::newRow("xkfl") << "xkfl.dbf";
        QTest::newRow("ztflh") << "ztflh.dbf";
    }
    void deliveredTables() {
        QFETCH(QString, file);
        test::TestFolder folder;
        folder.copyDeliveredData();
        engine::Table table;
        table.setFolder(folder.path());
        TFormTree picker(table);
        QLineEdit target;
        picker.SetActiveTarget(&target, file);
        ScriptedUi ui;
        QVERIFY(picker.FormShow());
        TAMSEL_VERIFY_UI(ui);
        const QModelIndex root = picker.treeModel()->index(0, 0);
        QCOMPARE(root.data().toString(), QStringLiteral("详细分类"));
        QVERIFY(picker.treeModel()->rowCount(root) > 0);
        for (int row = 0; row < picker.treeModel()->rowCount(root); ++row) {
            QCOMPARE(picker.treeModel()->index(row, 0, root).data(ClassTreeModel::LevelRole).toInt(), 1);
        }
    }
};

TAMSEL_TEST(TestFormTree)

#include "test_classification_picker.moc"
