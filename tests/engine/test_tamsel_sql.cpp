#include "engine/query.h"
#include "sqlfixture.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QProcess>
#include <QTest>

using namespace tamsel::engine;
using tamsel::test::TestFolder;

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(TAMSEL_BUILD_DIR "/tamsel-sql"), args);
    p.closeWriteChannel();
    Run r;
    if (!p.waitForFinished(30000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestTamselSql : public QObject {
    Q_OBJECT
private slots:
    void statements_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("out");
        QTest::newRow("escaping") << "select item_13 from pelk where item_4 = '2008000001'"
                                  << "ITEM_13\na\\tb\\nc\\\\d\\r\n";
        QTest::newRow("star") << "select * from pelk where item_cglb='3'"
                              << "ITEM_4\tITEM_DQDM\tITEM_3\tITEM_CGLB\tITEM_45\tITEM_121\tITEM_13\tNO\n"
                                 "2007000003\t.\tO'Brien\t3\t100\t2007-12-31\tO'Brien memo\t\n";
        QTest::newRow("max of nothing") << "select max(item_4) from pelk where item_4 like '1999%'"
                                        << "ITEM_4\n\n";
        QTest::newRow("several fields") << "select item_3, item_4 from pelk where item_cglb='3'"
                                        << "ITEM_3\tITEM_4\nO'Brien\t2007000003\n";
        QTest::newRow("count") << "select count(*) from pelk where item_4 like '2008%'"
                               << "COUNT(*)\n3\n";
        QTest::newRow("update") << "update pelk set no='1' where item_4 like '2008%'"
                                << "3\n";
        QTest::newRow("insert") << "insert into pelk (item_4) values ('2013000001')"
                                << "1\n";
        QTest::newRow("delete") << "delete from pelk where item_dqdm='X'"
                                << "1\n";
    }
    void statements() {
        QFETCH(QString, sql);
        QFETCH(QString, out);
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        executeSql(folder.path(), QStringLiteral("update pelk set item_13 = :m where item_4 = '2008000001'"),
                   {{QStringLiteral("m"), QStringLiteral("a\tb\nc\\d\r")}});
        const Run r = runTool({folder.path(), sql});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, out);
    }

    // Errors: message on stderr, status 1, every file byte for byte as it was.
    void errors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("syntax") << QStringList{QStringLiteral("update pelk item_3='x'")} << "缺少 set";
        QTest::newRow("too long") << QStringList{QStringLiteral(
                                         "update pelk set no='x', item_4='12345678901'")}
                                  << "ITEM_4";
        QTest::newRow("memo not GBK")
            << QStringList{QStringLiteral("update pelk set item_13='😀'")} << "ITEM_13";
        QTest::newRow("unknown field in list")
            << QStringList{QStringLiteral("select item_4, nosuch from pelk")} << "没有字段 nosuch";
        QTest::newRow("no table") << QStringList{QStringLiteral("select * from pelkx")} << "找不到表 pelkx";
        QTest::newRow("pack missing")
            << QStringList{QStringLiteral("--pack"), QStringLiteral("nosuch.dbf")} << "nosuch.dbf";
        QTest::newRow("no statement") << QStringList{} << "用法";
    }
    void errors() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        const QByteArray dbf = tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbf")));
        const QByteArray dbt = tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbt")));
        const Run r = runTool(QStringList{folder.path()} + args);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbf"))), dbf);
        QCOMPARE(tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbt"))), dbt);
    }

    void pack() {
        TestFolder folder;
        tamsel::test::createSampleTable(folder.path());
        QCOMPARE(runTool({folder.path(), QStringLiteral("delete from pelk where item_cglb='1'")}).out,
                 QStringLiteral("3\n"));
        const qint64 before = tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbf"))).size();
        const Run r = runTool({folder.path(), QStringLiteral("--pack"), QStringLiteral("PELK.DBF")});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QVERIFY(tamsel::test::fileBytes(folder.file(QStringLiteral("pelk.dbf"))).size() < before);
        QCOMPARE(runTool({folder.path(), QStringLiteral("select item_3 from pelk")}).out,
                 QStringLiteral("ITEM_3\n癮\nO'Brien\n"));
    }
};

TAMSEL_TEST(TestTamselSql)
#include "test_tamsel_sql.moc"
