#include "engine/query.h"
#include "engine/table.h"
#include "sqlfixture.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QTest>

using namespace tamsel::engine;
using tamsel::test::column;
using tamsel::test::TestFolder;

namespace {

const char* const kListSql = "select *  from  cgwcr  where  item_4=:item_4\nand  item_dqdm=:item_dqdm\n"
                             "order  by  item_187 ";

// Completers of two achievements, stored out of order.
void createPersons(const QString& folder) {
    DbfFile::create(folder + QStringLiteral("/cgwcr.DBF"), {{QStringLiteral("ITEM_4"), 'C', 10, 0},
                                                            {QStringLiteral("ITEM_DQDM"), 'C', 3, 0},
                                                            {QStringLiteral("ITEM_187"), 'N', 3, 0},
                                                            {QStringLiteral("ITEM_180"), 'C', 20, 0}});
    Table t;
    t.setFolder(folder);
    t.setTableName(QStringLiteral("cgwcr"));
    t.open();
    const QList<std::tuple<const char*, int, QString>> rows = {{"2008000001", 2, QStringLiteral("李四")},
                                                               {"2008000001", 1, QStringLiteral("张三")},
                                                               {"2008000002", 1, QStringLiteral("王五")},
                                                               {"2008000001", 3, QStringLiteral("赵六")}};
    for (const auto& [key, rank, name] : rows) {
        t.append();
        t.setValue(u"item_4", QString::fromLatin1(key));
        t.setValue(u"item_dqdm", QStringLiteral("."));
        t.setValue(u"item_187", rank);
        t.setValue(u"item_180", name);
        t.post();
    }
}

void openList(Query& q, const QString& folder) {
    q.setFolder(folder);
    q.setSql(QString::fromUtf8(kListSql));
    q.setParam(QStringLiteral("item_4"), QStringLiteral("2008000001"));
    q.setParam(QStringLiteral(":item_dqdm"), QStringLiteral("."));
    q.open();
}

// Every stored row, in file order: "key/rank/name".
QString stored(const QString& folder) {
    Table t;
    t.setFolder(folder);
    t.setTableName(QStringLiteral("CGWCR.DBF"));
    t.open();
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out.append(t.asString(u"item_4").right(1) + u'/' + t.asString(u"item_187") + u'/' +
                   t.asString(u"item_180"));
    return out.join(u',');
}

void setTemplates(Query& q, const QString& modifyField = QStringLiteral("ITEM_180")) {
    q.setUpdateTemplates(
        QStringLiteral("insert into \"cgwcr.DBF\" (ITEM_4, ITEM_DQDM, ITEM_187, ITEM_180) values (:ITEM_4, "
                       ":ITEM_DQDM, :ITEM_187, :ITEM_180)"),
        QStringLiteral(
            "update \"cgwcr.DBF\" set ITEM_187=:ITEM_187, %1=:ITEM_180 where item_4=:OLD_ITEM_4 and "
            "item_180=:OLD_ITEM_180")
            .arg(modifyField),
        QStringLiteral(
            "delete from \"cgwcr.DBF\" where ITEM_4 = :OLD_ITEM_4 and ITEM_DQDM = :OLD_ITEM_DQDM and "
            "ITEM_187 = :OLD_ITEM_187 and ITEM_180 = :OLD_ITEM_180"));
}

} // namespace

class TestQuery : public QObject {
    Q_OBJECT
private slots:
    // The row list is fixed when opened; writes go straight to the table.
    void liveQuery() {
        TestFolder folder;
        createPersons(folder.path());
        Query q;
        openList(q, folder.path());
        QVERIFY(q.isLive());
        QCOMPARE(column(q, QStringLiteral("item_180")), QStringLiteral("张三,李四,赵六"));

        q.first();
        q.edit();
        q.setValue(u"item_4", QStringLiteral("2008000009")); // no longer matches: stays listed
        q.post();
        q.append();
        q.setValue(u"item_4", QStringLiteral("2008000001"));
        q.setValue(u"item_187", 4);
        q.setValue(u"item_180", QStringLiteral("新人"));
        q.post();
        QCOMPARE(q.asString(u"item_180"), QStringLiteral("新人"));
        QCOMPARE(column(q, QStringLiteral("item_180")), QStringLiteral("张三,李四,赵六,新人"));
        QCOMPARE(stored(folder.path()), QStringLiteral("1/2/李四,9/1/张三,2/1/王五,1/3/赵六,1/4/新人"));

        Table t; // changes through another object: deletions show, appends wait for a refresh
        t.setFolder(folder.path());
        t.setTableName(QStringLiteral("cgwcr"));
        t.open();
        QVERIFY(t.locate(u"item_180", QStringLiteral("李四")));
        t.deleteRecord();
        t.append();
        t.setValue(u"item_4", QStringLiteral("2008000001"));
        t.setValue(u"item_dqdm", QStringLiteral("."));
        t.setValue(u"item_187", 0);
        t.post();
        QCOMPARE(column(q, QStringLiteral("item_180")), QStringLiteral("张三,赵六,新人"));
        q.refresh();
        QCOMPARE(column(q, QStringLiteral("item_187")), QStringLiteral("0,3")); // 新人 has no region code

        q.last();
        q.deleteRecord();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(stored(folder.path()), QStringLiteral("9/1/张三,2/1/王五,1/4/新人,1/0/"));
    }

    void resultIsReadOnly() {
        TestFolder folder;
        createPersons(folder.path());
        Query q;
        q.setFolder(folder.path());
        q.setSql(QStringLiteral("select distinct item_4 from cgwcr order by item_4 desc"));
        q.open();
        QVERIFY(!q.isLive());
        QCOMPARE(column(q, QStringLiteral("item_4")), QStringLiteral("2008000002,2008000001"));
        QVERIFY_THROWS_EXCEPTION(EngineError, q.edit());
        QVERIFY_THROWS_EXCEPTION(EngineError, q.deleteRecord());
        q.setSql(QStringLiteral("delete from cgwcr"));
        QVERIFY_THROWS_EXCEPTION(EngineError, q.open());
        QCOMPARE(q.execSql(), 4);
    }

    // Held-back changes reach the table only through applyUpdates, via the templates.
    void bufferedApply_data() {
        QTest::addColumn<bool>("templates");
        QTest::newRow("templates") << true;
        QTest::newRow("direct") << false;
    }
    void bufferedApply() {
        QFETCH(bool, templates);
        TestFolder folder;
        createPersons(folder.path());
        const QString before = stored(folder.path());
        Query q;
        q.setCachedUpdates(true);
        if (templates)
            setTemplates(q);
        openList(q, folder.path());

        q.first(); // 张三 becomes 3rd
        q.edit();
        q.setValue(u"item_187", 3);
        q.setValue(u"item_180", QStringLiteral("张三丰"));
        q.post();
        q.next(); // 李四 goes
        q.deleteRecord();
        q.append();
        q.setValue(u"item_4", QStringLiteral("2008000001"));
        q.setValue(u"item_dqdm", QStringLiteral("."));
        q.setValue(u"item_187", 2);
        q.setValue(u"item_180", QStringLiteral("新人"));
        q.post();
        q.append(); // appended and dropped again: never written
        q.setValue(u"item_180", QStringLiteral("临时"));
        q.post();
        q.deleteRecord();

        QVERIFY(q.hasPendingUpdates());
        QCOMPARE(column(q, QStringLiteral("item_180")), QStringLiteral("张三丰,赵六,新人"));
        QCOMPARE(stored(folder.path()), before);
        q.applyUpdates();
        QVERIFY(!q.hasPendingUpdates());
        QCOMPARE(stored(folder.path()), QStringLiteral("1/3/张三丰,2/1/王五,1/3/赵六,1/2/新人"));
        QCOMPARE(column(q, QStringLiteral("item_180")), QStringLiteral("新人,张三丰,赵六"));
    }

    // A failing change stops applyUpdates; it and the later ones stay pending, earlier ones are done.
    void pendingAfterError() {
        TestFolder folder;
        createPersons(folder.path());
        Query q;
        q.setCachedUpdates(true);
        setTemplates(q, QStringLiteral("nosuch"));
        openList(q, folder.path());
        q.append();
        q.setValue(u"item_4", QStringLiteral("2008000001"));
        q.setValue(u"item_dqdm", QStringLiteral("."));
        q.setValue(u"item_187", 4);
        q.setValue(u"item_180", QStringLiteral("新人"));
        q.post();
        q.first();
        q.edit();
        q.setValue(u"item_180", QStringLiteral("张三丰"));
        q.post();
        QVERIFY_THROWS_EXCEPTION(EngineError, q.applyUpdates());
        QVERIFY(q.hasPendingUpdates());
        QCOMPARE(stored(folder.path()), QStringLiteral("1/2/李四,1/1/张三,2/1/王五,1/3/赵六,1/4/新人"));
        QCOMPARE(column(q, QStringLiteral("item_180")), QStringLiteral("张三丰,李四,赵六,新人"));

        setTemplates(q);
        q.applyUpdates();
        QCOMPARE(stored(folder.path()), QStringLiteral("1/2/李四,1/1/张三丰,2/1/王五,1/3/赵六,1/4/新人"));

        q.first();
        q.edit();
        q.setValue(u"item_180", QStringLiteral("名字太长名字太长名字太长")); // 24 bytes in a 20-byte field
        QVERIFY_THROWS_EXCEPTION(EngineError, q.post());
        QCOMPARE(q.state(), Dataset::State::Edit);
        q.cancel();
        q.deleteRecord();
        q.cancelUpdates();
        QVERIFY(!q.hasPendingUpdates());
        QCOMPARE(column(q, QStringLiteral("item_180")), QStringLiteral("张三丰,李四,赵六,新人"));
    }
};

TAMSEL_TEST(TestQuery)
#include "test_query.moc"
