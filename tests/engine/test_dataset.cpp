#include "engine/query.h"
#include "engine/table.h"
#include "sqlfixture.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QSignalSpy>
#include <QTest>

using namespace tamsel::engine;
using tamsel::test::column;
using tamsel::test::TestFolder;

namespace {

void openTable(Table& t, const QString& folder, const QString& name = QStringLiteral("PELK")) {
    t.setFolder(folder);
    t.setTableName(name);
    t.open();
}

} // namespace

class TestDataset : public QObject {
    Q_OBJECT
private slots:
    void filter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quoted value") << "item_cglb='1'"
                                      << "2008000001,2009000001,2008000010";
        QTest::newRow("blank before equals") << "zddm ='x'"
                                             << "error";
        QTest::newRow("prefix") << "item_4='2008*'"
                                << "2008000001,2008000002,2008000010";
        QTest::newRow("prefix and") << "item_4='2008*' and item_dqdm='.'"
                                    << "2008000001,2008000002";
        QTest::newRow("chinese prefix") << "item_3='研究*'"
                                        << "2008000010";
        QTest::newRow("bare number") << "item_45 = 100"
                                     << "2007000003";
        QTest::newRow("numeric field, quoted number") << "item_45 = '12.5'"
                                                      << "2008000002";
        QTest::newRow("trailing blanks") << "item_dqdm ='.  '"
                                         << "2008000001,2008000002,2009000001,2007000003";
        QTest::newRow("like") << "item_3 like '%a%'"
                              << "2009000001";
        QTest::newRow("or, upper case field") << "ITEM_CGLB='2' or item_cglb='3'"
                                              << "2008000002,2007000003";
        QTest::newRow("incomplete") << "xxdm ="
                                    << "error";
        QTest::newRow("unquoted text") << "item_4=2008 x"
                                       << "error";
    }
    void filter() {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        Table t;
        openTable(t, folder.path());
        t.setFiltered(true);
        const QString all = column(t, QStringLiteral("item_4"));
        try {
            t.setFilter(filter);
            QCOMPARE(column(t, QStringLiteral("item_4")), expected);
        } catch (const EngineError& e) {
            QVERIFY2(expected == u"error", qPrintable(e.message()));
            QVERIFY(e.message().startsWith(QStringLiteral("过滤条件第 ")));
            // A bad filter leaves the table as it was.
            QCOMPARE(t.filter(), QString());
            QCOMPARE(column(t, QStringLiteral("item_4")), all);
        }
    }

    void locate_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("partial");
        QTest::addColumn<bool>("caseInsensitive");
        QTest::addColumn<QString>("found");
        QTest::newRow("partial chinese") << "item_3"
                                         << "研究" << true << false << "2008000010";
        QTest::newRow("exact needs whole value") << "item_3"
                                                 << "研究" << false << false << "";
        QTest::newRow("trailing blanks") << "ITEM_DQDM"
                                         << "X  " << false << false << "2008000010";
        QTest::newRow("partial key never splits a character") << "item_3"
                                                              << "\xB0" << true << false << "";
        QTest::newRow("number") << "item_45"
                                << "12.5" << false << false << "2008000002";
        QTest::newRow("case") << "item_3"
                              << "ABC" << false << true << "2009000001";
        QTest::newRow("case sensitive") << "item_3"
                                        << "ABC" << false << false << "";
    }
    void locate() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(bool, partial);
        QFETCH(bool, caseInsensitive);
        QFETCH(QString, found);
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        Table t;
        openTable(t, folder.path());
        t.last();
        LocateOptions options;
        options.partialKey = partial;
        options.caseInsensitive = caseInsensitive;
        QCOMPARE(t.locate(field, value, options), !found.isEmpty());
        QCOMPARE(t.asString(u"item_4"), found.isEmpty() ? QStringLiteral("2008000010") : found);
    }

    // Edited out of the filter: gone after post, the cursor on the next row. Appended elsewhere:
    // in the view when it matches.
    void filteredViewFollowsWrites() {
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        Table t, other;
        openTable(t, folder.path());
        openTable(other, folder.path(), QStringLiteral("pelk.DBF"));
        t.setFilter(QStringLiteral("item_cglb='1'"));
        t.setFiltered(true);
        t.first();
        t.edit();
        t.setValue(u"item_cglb", QStringLiteral("2"));
        QCOMPARE(t.recordCount(), 3); // still there while editing
        t.post();
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.asString(u"item_4"), QStringLiteral("2009000001"));

        other.append();
        other.setValue(u"item_4", QStringLiteral("2012000001"));
        other.setValue(u"item_cglb", QStringLiteral("1"));
        other.post();
        other.append();
        other.setValue(u"item_4", QStringLiteral("2012000002"));
        other.setValue(u"item_cglb", QStringLiteral("3"));
        other.post();
        QCOMPARE(column(t, QStringLiteral("item_4")), QStringLiteral("2009000001,2008000010,2012000001"));

        other.first(); // deleted through another object: gone from the view
        QVERIFY(other.locate(u"item_4", QStringLiteral("2008000010")));
        other.deleteRecord();
        QCOMPARE(column(t, QStringLiteral("item_4")), QStringLiteral("2009000001,2012000001"));
        QCOMPARE(other.recordCount(), 6);

        // A write the datasets did not make (straight to the file) is found by a rescan.
        auto file = t.file();
        const QByteArray changed = file->buildRecord(QByteArray(file->recordData(1), file->recordLength()),
                                                     {{file->fieldIndex(u"item_cglb"), QStringLiteral("1")}});
        file->writeRecord(1, changed);
        QCOMPARE(column(t, QStringLiteral("item_4")), QStringLiteral("2008000002,2009000001,2012000001"));
    }

    void failedPostKeepsEditing_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("too long") << "item_4"
                                  << "12345678901";
        QTest::newRow("not GBK") << "item_3"
                                 << "😀";
        QTest::newRow("not a number") << "item_45"
                                      << "12x";
    }
    void failedPostKeepsEditing() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        const QByteArray before = tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbf")));
        Table t;
        openTable(t, folder.path());
        t.next();
        t.edit();
        t.setValue(u"no", QStringLiteral("7"));
        t.setValue(field, value);
        try {
            t.post();
            QFAIL("post did not fail");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(field, Qt::CaseInsensitive), qPrintable(e.message()));
        }
        QCOMPARE(t.state(), Dataset::State::Edit);
        QCOMPARE(t.asString(u"no"), QStringLiteral("7"));
        QCOMPARE(tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbf"))), before);
        t.setValue(field, QVariant());
        t.post();
        QCOMPARE(t.state(), Dataset::State::Browse);
        QCOMPARE(t.asString(u"no"), QStringLiteral("7"));
        QCOMPARE(t.asString(u"item_4"), field == u"item_4" ? QString() : QStringLiteral("2008000002"));
    }

    void cursor() {
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        Table t;
        openTable(t, folder.path());
        QCOMPARE(t.recordCount(), 5);
        QVERIFY(t.bof());
        QCOMPARE(t.moveBy(3), 3);
        QCOMPARE(t.recNo(), 4);
        const Bookmark mark = t.bookmark();
        QCOMPARE(t.moveBy(10), 1);
        QVERIFY(t.eof());
        t.next();
        QVERIFY(t.eof());
        QCOMPARE(t.moveBy(-10), -4);
        QVERIFY(t.bof());
        t.gotoBookmark(mark);
        QCOMPARE(t.asString(u"ITEM_4"), QStringLiteral("2007000003"));
        t.deleteRecord(); // the cursor moves to the next row
        QCOMPARE(t.asString(u"ITEM_4"), QStringLiteral("2008000010"));
        QVERIFY(!t.bookmarkValid(mark));
        QVERIFY_THROWS_EXCEPTION(EngineError, t.gotoBookmark(mark));
        t.deleteRecord(); // the last row: the cursor goes to the new last one
        QCOMPARE(t.asString(u"ITEM_4"), QStringLiteral("2009000001"));
        QCOMPARE(t.recordCount(), 3);
        QVERIFY_THROWS_EXCEPTION(EngineError, t.asString(u"nosuch"));
        QCOMPARE(t.asFloat(u"item_45"), 0.0);
        t.first();
        QCOMPARE(t.asDate(u"item_121"), QDate(2008, 1, 2));
        QCOMPARE(t.asInteger(u"item_45"), 5);
        QCOMPARE(t.asString(u"item_13"), QStringLiteral("水稻研究 memo"));
        t.setFilter(QStringLiteral("item_4='1999*'"));
        t.setFiltered(true);
        QVERIFY(t.isEmpty());
        QVERIFY_THROWS_EXCEPTION(EngineError, t.edit()); // not an append: nothing is added
        QCOMPARE(t.state(), Dataset::State::Browse);
        t.setFiltered(false);
        QCOMPARE(t.recordCount(), 3);
    }

    void controlsAndSignals() {
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        Table t;
        openTable(t, folder.path());
        QSignalSpy data(&t, &Dataset::dataChanged);
        QSignalSpy current(&t, &Dataset::currentChanged);
        t.disableControls();
        for (t.first(); !t.eof(); t.next()) {
            t.edit();
            t.setValue(u"no", t.recNo());
            t.post();
        }
        QCOMPARE(data.count(), 0);
        QCOMPARE(current.count(), 0);
        t.enableControls();
        QCOMPARE(data.count(), 1);
        QCOMPARE(column(t, QStringLiteral("no")), QStringLiteral("1,2,3,4,5"));
    }

    // Every object on the same file shares its state: a write through one is seen at once.
    void sharedState() {
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        Table t;
        openTable(t, folder.path());
        Query q;
        q.setFolder(folder.path());
        q.setSql(QStringLiteral("select * from pelk where item_cglb='1' order by item_4 desc"));
        q.open();
        QVERIFY(q.isLive());
        QCOMPARE(t.file().get(), DbfFile::open(folder.path(), QStringLiteral("PELK.DBF")).get());
        q.first();
        q.edit();
        q.setValue(u"item_3", QStringLiteral("改名"));
        q.post();
        QCOMPARE(q.asString(u"item_3"), QStringLiteral("改名"));
        QVERIFY(t.locate(u"item_4", QStringLiteral("2009000001")));
        QCOMPARE(t.asString(u"item_3"), QStringLiteral("改名"));
        t.edit();
        t.setValue(u"no", QStringLiteral("n"));
        t.post();
        QCOMPARE(q.asString(u"no"), QStringLiteral("n"));
    }
};

TAMSEL_TEST(TestDataset)
#include "test_dataset.moc"
