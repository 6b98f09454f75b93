#include "engine/query.h"
#include "sqlfixture.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QTest>

using namespace tamsel::engine;
using tamsel::test::column;
using tamsel::test::TestFolder;

class TestSql : public QObject {
    Q_OBJECT
private slots:
    void select_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("param"); // value of :p
        QTest::addColumn<QString>("expected");
        const QString all = QStringLiteral("2008000001,2008000002,2009000001,2007000003,2008000010");
        QTest::newRow("star") << "select * from pelk"
                              << "" << all;
        QTest::newRow("no blank after select, table case") << "select* from PELK where item_cglb='1'"
                                                           << ""
                                                           << "2008000001,2009000001,2008000010";
        QTest::newRow("like, order desc")
            << "select * from pelk where item_4 like '2008%' order by item_4 desc"
            << ""
            << "2008000010,2008000002,2008000001";
        QTest::newRow("max, no blank before quote") << "select max(item_4) from pelk where item_4 like'2008%'"
                                                    << ""
                                                    << "2008000010";
        QTest::newRow("max of nothing is one empty row")
            << "select max(item_4) from pelk where item_4 like '2010%'"
            << ""
            << "";
        QTest::newRow("max of numbers") << "select   max(item_45) from   pelk where item_dqdm = :p"
                                        << "."
                                        << "100";
        QTest::newRow("distinct desc") << "select distinct item_cglb from pelk order by item_cglb desc"
                                       << ""
                                       << "3,2,1";
        QTest::newRow("distinct, trailing blanks") << "select distinct item_dqdm from pelk"
                                                   << ""
                                                   << ".,X";
        QTest::newRow("one field, like chinese") << "select item_4 from pelk where item_3 like '%研究%'"
                                                 << ""
                                                 << "2008000001,2008000010";
        QTest::newRow("like never matches a trail byte") << "select item_4 from pelk where item_3 like '%a%'"
                                                         << ""
                                                         << "2009000001";
        QTest::newRow("like underscore is one character") << "select item_4 from pelk where item_3 like '_'"
                                                          << ""
                                                          << "2008000002";
        // A letter as the escape shows both halves: 'ab%' would match abc without it.
        QTest::newRow("like escape: a wildcard after it stands for itself")
            << "select item_4 from pelk where item_3 like 'ab%' escape 'b'"
            << ""
            << "";
        QTest::newRow("like escape: the character after it is literal")
            << "select item_4 from pelk where item_3 like 'a_bc' escape '_'"
            << ""
            << "2009000001";
        QTest::newRow("like escape, other characters as usual")
            << "select item_4 from pelk where item_3 like :p escape '!'"
            << "%研究%"
            << "2008000001,2008000010";
        QTest::newRow("not like") << "select item_4 from pelk where item_3 not like '%研究%'"
                                  << ""
                                  << "2008000002,2009000001,2007000003";
        QTest::newRow("number field, quoted number") << "select item_4 from pelk where item_45 > '10'"
                                                     << ""
                                                     << "2008000002,2007000003";
        QTest::newRow("bare number, not")
            << "select item_4 from pelk where item_45 >= 7 and not item_cglb = '2'"
            << ""
            << "2007000003,2008000010";
        QTest::newRow("parentheses, <>")
            << "select item_4 from pelk where (item_cglb='1' or item_cglb='3') and item_dqdm <> 'X'"
            << ""
            << "2008000001,2009000001,2007000003";
        QTest::newRow("doubled quote") << "select item_4 from pelk where item_3 = 'O''Brien'"
                                       << ""
                                       << "2007000003";
        QTest::newRow("constant condition") << "select item_4 from pelk where 1=0 or item_4='2009000001'"
                                            << ""
                                            << "2009000001";
        QTest::newRow("quoted file name, date")
            << "select item_4 from \"PELK.DBF\" where item_121 = '2008-01-02'"
            << ""
            << "2008000001";
        QTest::newRow("date before") << "select item_4 from pelk where item_121 < '2008.06.01'"
                                     << ""
                                     << "2008000001,2007000003";
        QTest::newRow("trailing blanks ignored") << "select item_4 from pelk where item_dqdm='.  '"
                                                 << ""
                                                 << "2008000001,2008000002,2009000001,2007000003";
        QTest::newRow("numbers sort numerically, empty first")
            << "select item_4 from pelk order by item_45"
            << ""
            << "2009000001,2008000001,2008000010,2008000002,"
               "2007000003";
        QTest::newRow("text sorts by GBK bytes") << "select item_3 from pelk order by item_3"
                                                 << ""
                                                 << "O'Brien,abc,癮,水稻研究,研究水稻";
        QTest::newRow("keywords in capitals") << "SELECT ITEM_4 FROM pelk WHERE ITEM_CGLB = '2'"
                                              << ""
                                              << "2008000002";
        QTest::newRow("parameter")
            << "select *  from  pelk  where  item_4=:p\nand  item_dqdm='.'\norder  by  item_4 "
            << "2009000001"
            << "2009000001";
        QTest::newRow("parameter is a value, not text") << "select item_4 from pelk where item_3 = :p"
                                                        << "x' or '1'='1"
                                                        << "";
        QTest::newRow("field against field") << "select item_4 from pelk where item_4 > item_dqdm"
                                             << ""
                                             << "2008000001,2008000002,2009000001,2007000003";
        QTest::newRow("empty number") << "select item_4 from pelk where item_45 is null or item_45 = 5"
                                      << ""
                                      << "2008000001,2009000001";
        QTest::newRow("empty number, text compare") << "select item_4 from pelk where item_45 = ''"
                                                    << ""
                                                    << "2009000001";
        QTest::newRow("numeric field, text parameter") << "select item_4 from pelk where item_45 = :p"
                                                       << "12.50"
                                                       << "2008000002";
    }
    void select() {
        QFETCH(QString, sql);
        QFETCH(QString, param);
        QFETCH(QString, expected);
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        Query q;
        q.setFolder(folder.path());
        q.setSql(sql);
        q.setParam(QStringLiteral("p"), param);
        q.open();
        QCOMPARE(column(q, q.field(q.fieldNames().contains(QStringLiteral("ITEM_4")) ? 0 : 0).name),
                 expected);
    }

    void errors_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing from") << "select item_4 pelk"
                                      << "SQL 语句第 15 个字符处：缺少 from";
        QTest::newRow("no table") << "select * from nosuch"
                                  << "SQL 语句第 15 个字符处：找不到表 nosuch";
        QTest::newRow("no field") << "select nofield from pelk"
                                  << "第 8 个字符处：表 pelk 中没有字段 nofield";
        QTest::newRow("no field in where") << "select * from pelk where x = 1"
                                           << "第 26 个字符处：表 pelk 中没有字段 x";
        QTest::newRow("open string") << "select * from pelk where item_4 = 'abc"
                                     << "第 35 个字符处：字符串缺少结束的单引号";
        QTest::newRow("no operator") << "select * from pelk where item_21 '2'"
                                     << "缺少比较运算符";
        QTest::newRow("unbalanced") << "select * from pelk where ((item_3 like '%a%')"
                                    << "缺少 )";
        QTest::newRow("unset parameter") << "select * from pelk where item_4 = :nope"
                                         << "参数 :nope 没有赋值";
        QTest::newRow("other statement") << "drop table pelk"
                                         << "第 1 个字符处：语句应以 select";
        QTest::newRow("fewer values") << "insert into pelk (item_4, item_3) values ('1')"
                                      << "值比字段少";
        QTest::newRow("trailing and") << "select * from pelk where item_3 = 'x' and"
                                      << "缺少字段名或值";
        QTest::newRow("order without by") << "select * from pelk order item_4"
                                          << "缺少 by";
        QTest::newRow("extra text") << "delete from pelk where item_4='1' item_3"
                                    << "多余的内容 item_3";
        QTest::newRow("like a number") << "select * from pelk where item_3 like 5"
                                       << "like 后面应是单引号中的文字";
        QTest::newRow("escape of two characters") << "select * from pelk where item_3 like 'a' escape '!!'"
                                                  << "escape 后面应是单引号中的一个字符";
        QTest::newRow("empty") << "  "
                               << "语句是空的";
    }
    void errors() {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        const QByteArray before = tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbf")));
        try {
            executeSql(folder.path(), sql);
            QFAIL("no error");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QCOMPARE(tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbf"))), before);
    }

    void writes_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("changed");
        QTest::addColumn<QString>("check"); // select of one field
        QTest::addColumn<QString>("expected");
        QTest::newRow("insert")
            << "insert into pelk (item_4, item_dqdm, item_45, item_121) values ('2010000001', "
               "'.', 3.5, '2010-05-06')"
            << 1 << "select item_121 from pelk where item_45 = 3.5"
            << "2010-05-06";
        QTest::newRow("insert quoted name, parameters")
            << "insert into \"pelk.DBF\" (item_4, item_3) values (:a, :b)" << 1
            << "select item_3 from pelk where item_4 = '2011000001'"
            << "It's";
        QTest::newRow("update") << "update pelk set item_cglb='9', NO='x' where item_4 like '2008%'" << 3
                                << "select item_4 from pelk where item_cglb = '9' and no = 'x'"
                                << "2008000001,2008000002,2008000010";
        QTest::newRow("update all, memo")
            << "update pelk set item_13='新' " << 5 << "select distinct item_13 from pelk"
            << "新";
        QTest::newRow("delete") << "delete from pelk where item_cglb='1'" << 3 << "select item_4 from pelk"
                                << "2008000002,2007000003";
        QTest::newRow("delete all") << "delete from  pelk" << 5 << "select item_4 from pelk"
                                    << "";
    }
    void writes() {
        QFETCH(QString, sql);
        QFETCH(int, changed);
        QFETCH(QString, check);
        QFETCH(QString, expected);
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        const QHash<QString, QVariant> params{{QStringLiteral("a"), QStringLiteral("2011000001")},
                                              {QStringLiteral("b"), QStringLiteral("It's")}};
        QCOMPARE(executeSql(folder.path(), sql, params), changed);
        Query q;
        q.setFolder(folder.path());
        q.setSql(check);
        q.open();
        QCOMPARE(column(q, q.field(0).name), expected);
    }

    // A value that does not fit fails the whole statement before anything is written.
    void badValueChangesNothing_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        QTest::newRow("too long") << "update pelk set item_cglb='Z', item_4='01234567890123'"
                                  << "ITEM_4";
        QTest::newRow("not GBK") << "update pelk set item_13='ok', item_3='😀'"
                                 << "ITEM_3";
        QTest::newRow("not GBK in memo") << "update pelk set item_3='ok', item_13='😀'"
                                         << "ITEM_13";
        QTest::newRow("not a number") << "insert into pelk (item_4, item_45) values ('1', 'abc')"
                                      << "ITEM_45";
        QTest::newRow("not a date") << "insert into pelk (item_13, item_121) values ('x', '2008-13-45')"
                                    << "ITEM_121";
    }
    void badValueChangesNothing() {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        const QString dbf = folder.file(QStringLiteral("pelk.dbf"));
        const QString dbt = folder.file(QStringLiteral("pelk.dbt"));
        const QByteArray before = tamsel::test::fileBytes(dbf);
        const QByteArray memoBefore = tamsel::test::fileBytes(dbt);
        try {
            executeSql(folder.path(), sql);
            QFAIL("no error");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(message, Qt::CaseInsensitive), qPrintable(e.message()));
        }
        QCOMPARE(tamsel::test::fileBytes(dbf), before);
        QCOMPARE(tamsel::test::fileBytes(dbt), memoBefore);
    }
};

TAMSEL_TEST(TestSql)
#include "test_sql.moc"
