#include "engine/dbffile.h"
#include "engine/table.h"
#include "exchange/archiver.h"
#include "exchange/exchangeerror.h"
#include "exchange/exchangeformat.h"
#include "exchange/exporter.h"
#include "exchange/folderlock.h"
#include "exchange/importstore.h"
#include "exchange/oldstyle.h"
#include "exchange/twinreader.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace tamsel::engine;
using namespace tamsel::exchange;
using tamsel::test::TestFolder;

namespace {

using Values = QHash<QString, QVariant>;
using Texts = QHash<QString, QString>;

void addRow(const QString& folder, const QString& table, const Values& values) {
    Table t;
    t.setFolder(folder);
    t.setTableName(table);
    t.open();
    t.append();
    for (auto it = values.begin(); it != values.end(); ++it) {
        t.setValue(it.key(), it.value());
    }
    t.post();
}

// Every row of a table as field name -> text.
QList<Texts> rows(const QString& folder, const QString& table) {
    Table t;
    t.setFolder(folder);
    t.setTableName(table);
    t.open();
    QList<Texts> out;
    for (t.first(); !t.eof(); t.next()) {
        Texts v;
        for (int i = 0; i < t.fieldCount(); ++i) {
            v.insert(t.field(i).name.toUpper(), t.asString(i));
        }
        out << v;
    }
    return out;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QSet<QByteArray> keySet(const QList<QByteArray>& keys) {
    return QSet<QByteArray>(keys.begin(), keys.end());
}

// Unpacks an archive and reads and stores it, as the import does.
StoreResult importArchive(const QString& archive, const QString& data, SameName mode) {
    QTemporaryDir work;
    Archiver::extract(archive, work.path());
    const ReadReport report = readMembers(work.path(), data, true);
    if (!report.ok()) {
        throw ExchangeError(report.problems.join(u'\n'));
    }
    return storeTwins(data, mode);
}

int runArj(const QString& folder, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral("arj"), args);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return p.exitCode();
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    // A value written under the quoting rule comes back unchanged from the reader, whatever
    // it holds; line breaks travel as CR LF.
    void valueRoundTrip_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("back");
        QTest::newRow("plain") << QByteArray("abc") << QByteArray("abc");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("tab") << QByteArray("a\tb") << QByteArray("a\tb");
        QTest::newRow("leading quote") << QByteArray("\"x\"y") << QByteArray("\"x\"y");
        QTest::newRow("quote later") << QByteArray("x\"y") << QByteArray("x\"y");
        QTest::newRow("lf lines") << QByteArray("one\ntwo\n") << QByteArray("one\r\ntwo\r\n");
        QTest::newRow("tab and quote") << QByteArray("a\t\"b") << QByteArray("a\t\"b");
        QTest::newRow("gbk ascii trail") << QByteArray("\xf0\x5c\xc1\x5f") << QByteArray("\xf0\x5c\xc1\x5f");
    }
    void valueRoundTrip() {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, back);
        QByteArray data("first\t");
        appendQuoted(data, crlfLineBreaks(value));
        data += "\tlast\r\nnext\tline\r\n";
        RecordReader reader(data, QStringLiteral("T.TXT"));
        QByteArray record;
        int line = 0;
        QVERIFY(reader.next(&record, &line));
        const SplitRecord split = splitRecord(record, 3);
        QCOMPARE(split.values, (QList<QByteArray>{"first", back, "last"}));
        QVERIFY(reader.next(&record, &line));
        QCOMPARE(record, QByteArray("next\tline"));
        QCOMPARE(line, 2 + int(back.count('\n')));
        QVERIFY(!reader.next(&record, &line));
    }

    // An achievement exported from one data folder and imported into another reads back the
    // same: tricky values, empty date, children by key pair, numbering after the local maximum.
    void exportImportRoundTrip() {
        TestFolder a;
        TestFolder b;
        TestFolder out;
        a.copyDeliveredData();
        b.copyDeliveredData();
        const Values first{{QStringLiteral("ITEM_4"), QStringLiteral("2003000001")},
                           {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                           {QStringLiteral("ITEM_3"), QStringLiteral("名称\t含制表符")},
                           {QStringLiteral("ITEM_9"), QStringLiteral("单位甲")},
                           {QStringLiteral("ITEM_13"), QStringLiteral("第一行\n第二行")},
                           {QStringLiteral("ITEM_14"), QStringLiteral("\"开头引号")},
                           {QStringLiteral("ITEM_127_1"), QStringLiteral("中间\"引号")},
                           {QStringLiteral("ITEM_37"), QStringLiteral("癮羅路")},
                           {QStringLiteral("ITEM_141"), 12.5},
                           {QStringLiteral("ITEM_CGLB"), QStringLiteral("1")},
                           {QStringLiteral("TLINKMANEM"), QStringLiteral("not carried")}};
        addRow(a.path(), QStringLiteral("pelk.dbf"), first);
        addRow(a.path(), QStringLiteral("pelk.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2003000002")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                {QStringLiteral("ITEM_3"), QStringLiteral("第二项")},
                {QStringLiteral("ITEM_121"), QDate(2004, 3, 5)},
                {QStringLiteral("ITEM_CGLB"), QStringLiteral("2")}});
        // Same number, other region: another achievement, not exported.
        addRow(a.path(), QStringLiteral("pelk.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2003000001")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral("123")}});
        addRow(a.path(), QStringLiteral("cgwcr.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2003000001")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                {QStringLiteral("ITEM_187"), 1},
                {QStringLiteral("ITEM_180"), QStringLiteral("张三")},
                {QStringLiteral("ITEM_188"), QStringLiteral("1")}});
        addRow(a.path(), QStringLiteral("cgwcr.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2003000001")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral("123")},
                {QStringLiteral("ITEM_180"), QStringLiteral("李四")}});
        addRow(a.path(), QStringLiteral("zlqk.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2003000002")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                {QStringLiteral("PATENT_NAM"), QStringLiteral("专利")}});
        addRow(b.path(), QStringLiteral("pelk.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2003000010")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}});
        writeFile(out.file(QStringLiteral("PELK.TXT")), "mine");
        writeFile(out.file(QStringLiteral("cgsbqy.arj")), "old");

        const Exporter exporter(a.path());
        QList<QByteArray> keys = exporter.keys(QStringLiteral("2003"));
        QCOMPARE(keys.size(), 3);
        keys.removeLast();
        const ExportResult exported = exporter.exportTo(out.path(), keySet(keys));
        QCOMPARE(exported.achievements, 2);
        QCOMPARE(exported.childRows[1], 1);
        QCOMPARE(readAll(out.file(QStringLiteral("PELK.TXT"))), QByteArray("mine"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2);
        QCOMPARE(Archiver::list(out.file(QStringLiteral("cgsbqy.arj"))), memberNames());
        const QList<Texts> flagged = rows(a.path(), QStringLiteral("pelk.dbf"));
        QCOMPARE(flagged[0][QStringLiteral("ITEM_SJDC")], QStringLiteral("1"));
        QCOMPARE(flagged[2][QStringLiteral("ITEM_SJDC")], QString());
        QCOMPARE(exporter.resetFlags(), 3);

        const StoreResult stored =
            importArchive(out.file(QStringLiteral("cgsbqy.arj")), b.path(), SameName::Store);
        QCOMPARE(stored.stored, 2);
        const QList<Texts> pelk = rows(b.path(), QStringLiteral("pelk.dbf"));
        QCOMPARE(pelk.size(), 3);
        Values expected = first;
        expected[QStringLiteral("ITEM_4")] = QStringLiteral("2003000011");
        expected[QStringLiteral("ITEM_141")] = QStringLiteral("12.5");
        expected[QStringLiteral("TLINKMANEM")] = QString();
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            QCOMPARE(pelk[1][it.key()], it.value().toString());
        }
        QCOMPARE(pelk[1][QStringLiteral("ITEM_121")], QString());
        QCOMPARE(pelk[1][QStringLiteral("ITEM_SJDC")], QStringLiteral("0"));
        QCOMPARE(pelk[2][QStringLiteral("ITEM_4")], QStringLiteral("2003000012"));
        QCOMPARE(pelk[2][QStringLiteral("ITEM_121")], QStringLiteral("2004-03-05"));
        const QList<Texts> persons = rows(b.path(), QStringLiteral("cgwcr.dbf"));
        QCOMPARE(persons.size(), 1);
        QCOMPARE(persons[0][QStringLiteral("ITEM_4")], QStringLiteral("2003000011"));
        QCOMPARE(persons[0][QStringLiteral("ITEM_DQDM")], QStringLiteral("."));
        QCOMPARE(persons[0][QStringLiteral("ITEM_188")], QStringLiteral("1"));
        QCOMPARE(rows(b.path(), QStringLiteral("zlqk.dbf"))[0][QStringLiteral("ITEM_4")],
                 QStringLiteral("2003000012"));
        QCOMPARE(rows(b.path(), QStringLiteral("cgwcrNew.dbf")).size(), 1);
        // The twins are back to a bare header.
        QCOMPARE(DbfFile::open(b.path(), QStringLiteral("pelktemp.dbf"))->recordCount(), 0u);
        QCOMPARE(DbfFile::open(b.path(), QStringLiteral("cgwcrtemp.dbf"))->recordCount(), 0u);
    }

    // A value the format cannot carry stops the export before the user's folder or the tables change.
    void unwritableValueStopsExport() {
        TestFolder a;
        TestFolder out;
        a.copyDeliveredData();
        addRow(a.path(), QStringLiteral("pelk.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2003000001")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}});
        addRow(a.path(), QStringLiteral("cgwcdw.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2003000001")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                {QStringLiteral("ITEM_175"), QStringLiteral("\"quoted")}});
        writeFile(out.file(QStringLiteral("cgsbqy.arj")), "old");
        const Exporter exporter(a.path());
        try {
            exporter.exportTo(out.path(), keySet(exporter.keys()));
            QFAIL("export went through");
        } catch (const ExchangeError& e) {
            QVERIFY2(e.message().contains(QLatin1String("2003000001")) &&
                         e.message().contains(QLatin1String("CGWCDW.TXT")) &&
                         e.message().contains(QLatin1String("ITEM_175")),
                     qPrintable(e.message()));
        }
        QCOMPARE(readAll(out.file(QStringLiteral("cgsbqy.arj"))), QByteArray("old"));
        QCOMPARE(rows(a.path(), QStringLiteral("pelk.dbf"))[0][QStringLiteral("ITEM_SJDC")], QString());
    }

    // Values that do not fit refuse the archive with member, line and field; dates are read leniently.
    void readChecksValues() {
        TestFolder data;
        TestFolder members;
        data.copyDeliveredData();
        auto pelkLine = [](const QByteArray& first, const QByteArray& date, const QByteArray& number,
                           const QByteArray& name) {
            QList<QByteArray> v(105);
            v[0] = first;
            v[5] = date;
            v[20] = name;
            v[22] = number;
            v[77] = ".";
            QByteArray line;
            for (const QByteArray& x : v) {
                line += x + '\t';
            }
            return line + "\r\n";
        };
        writeFile(members.file(QStringLiteral("pelk.txt")),
                  pelkLine("1", "2004-3-5", "2003000001", "a") + pelkLine("1", "abc", "2003000002", "b") +
                      pelkLine("12", "", "2003000003", "c") + pelkLine("1", "", "2003000004", "\xff\xff") +
                      pelkLine("1", "", "2003000001", "dup"));
        for (const char* m : {"CGWCDW.TXT", "CGWCR.TXT", "JDWYHMD.TXT"}) {
            writeFile(members.file(QString::fromLatin1(m)), "");
        }
        writeFile(members.file(QStringLiteral("ZLQK.TXT")), "2003000001\t.\t1\tP1\tname\t1\t1\textra\r\n");
        const ReadReport report = readMembers(members.path(), data.path(), true);
        QCOMPARE(report.problems.size(), 3);
        QVERIFY(report.problems[0].contains(QStringLiteral("PELK.TXT 第 3 行，字段 ITEM_1")));
        QVERIFY(report.problems[1].contains(QStringLiteral("第 4 行，字段 ITEM_3")));
        QVERIFY(report.problems[2].contains(QStringLiteral("第 5 行")));
        QCOMPARE(report.notes.size(), 2);
        QVERIFY(report.notes[0].contains(QStringLiteral("第 2 行，字段 ITEM_121")));
        QVERIFY(report.notes[1].contains(QStringLiteral("ZLQK.TXT 第 1 行")));
        QCOMPARE(DbfFile::open(data.path(), QStringLiteral("pelktemp.dbf"))->recordCount(), 0u);

        writeFile(members.file(QStringLiteral("pelk.txt")), pelkLine("1", "2004-3-5", "2003000001", "a"));
        QVERIFY(readMembers(members.path(), data.path(), true).ok());
        QCOMPARE(rows(data.path(), QStringLiteral("pelktemp.dbf"))[0][QStringLiteral("ITEM_121")],
                 QStringLiteral("2004-03-05"));
    }

    // Same name and unit: skipped, or stored in place of the old one with its children;
    // the person pool follows the entry dialog's rule.
    void sameNameAndPool_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("overwritten");
        QTest::newRow("skip") << int(SameName::Skip) << 1 << 1 << 0;
        QTest::newRow("overwrite") << int(SameName::Overwrite) << 1 << 0 << 1;
    }
    void sameNameAndPool() {
        QFETCH(int, mode);
        QFETCH(int, stored);
        QFETCH(int, skipped);
        QFETCH(int, overwritten);
        TestFolder a;
        TestFolder b;
        TestFolder out;
        a.copyDeliveredData();
        b.copyDeliveredData();
        for (const QString& folder : {a.path(), b.path()}) {
            const QString number =
                folder == a.path() ? QStringLiteral("2005000001") : QStringLiteral("2005000003");
            addRow(folder, QStringLiteral("pelk.dbf"),
                   {{QStringLiteral("ITEM_4"), number},
                    {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                    {QStringLiteral("ITEM_3"), QStringLiteral("王'五的成果")},
                    {QStringLiteral("ITEM_9"), QStringLiteral("单位甲")}});
            addRow(folder, QStringLiteral("cgwcr.dbf"),
                   {{QStringLiteral("ITEM_4"), number},
                    {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                    {QStringLiteral("ITEM_180"), QStringLiteral("旧人")}});
        }
        addRow(a.path(), QStringLiteral("pelk.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2005000002")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                {QStringLiteral("ITEM_3"), QStringLiteral("新的")}});
        for (const char* name : {"张三", "李四", "王五", ""}) {
            addRow(a.path(), QStringLiteral("cgwcr.dbf"),
                   {{QStringLiteral("ITEM_4"), QStringLiteral("2005000002")},
                    {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                    {QStringLiteral("ITEM_180"), QString::fromUtf8(name)},
                    {QStringLiteral("ITEM_185"), QStringLiteral("新单位")}});
        }
        for (const char* name : {"张三", "张三", "李四"}) {
            addRow(b.path(), QStringLiteral("cgwcrNew.dbf"),
                   {{QStringLiteral("ITEM_180"), QString::fromUtf8(name)},
                    {QStringLiteral("ITEM_185"), QStringLiteral("旧单位")}});
        }
        const Exporter exporter(a.path());
        exporter.exportTo(out.path(), keySet(exporter.keys()));
        const StoreResult r = importArchive(out.file(QStringLiteral("cgsbqy.arj")), b.path(), SameName(mode));
        QCOMPARE(r.read, 2);
        QCOMPARE(r.stored, stored);
        QCOMPARE(r.skipped, skipped);
        QCOMPARE(r.overwritten, overwritten);
        const QList<Texts> pelk = rows(b.path(), QStringLiteral("pelk.dbf"));
        QCOMPARE(pelk.size(), 2);
        QStringList numbers;
        for (const Texts& v : pelk) {
            numbers << v[QStringLiteral("ITEM_4")];
        }
        QStringList persons;
        for (const Texts& v : rows(b.path(), QStringLiteral("cgwcr.dbf"))) {
            persons << v[QStringLiteral("ITEM_4")] + v[QStringLiteral("ITEM_180")];
        }
        if (mode == int(SameName::Skip)) {
            QCOMPARE(numbers, (QStringList{"2005000003", "2005000004"}));
            QCOMPARE(persons.size(), 5);
        } else {
            QCOMPARE(numbers, (QStringList{"2005000004", "2005000005"}));
            QVERIFY(!persons.contains(QStringLiteral("2005000003旧人")));
            QVERIFY(persons.contains(QStringLiteral("2005000004旧人")));
        }
        QStringList pool;
        for (const Texts& v : rows(b.path(), QStringLiteral("cgwcrNew.dbf"))) {
            pool << v[QStringLiteral("ITEM_180")] + v[QStringLiteral("ITEM_185")];
        }
        QCOMPARE(pool.mid(0, 3), (QStringList{"张三旧单位", "张三旧单位", "李四新单位"}));
        QCOMPARE(pool.contains(QStringLiteral("旧人")), mode == int(SameName::Overwrite));
        QVERIFY(pool.contains(QStringLiteral("王五新单位")));
        QVERIFY(!pool.contains(QStringLiteral("新单位")));
    }

    // Hostile archives are refused with a clear message; nothing lands outside the private folder.
    void hostileArchives_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("parent") << QStringLiteral("../x") << QStringLiteral("不安全");
        QTest::newRow("backslash") << QStringLiteral("a\\bc") << QStringLiteral("不安全");
        QTest::newRow("absolute") << QStringLiteral("/abs") << QStringLiteral("不安全");
        QTest::newRow("drive") << QStringLiteral("C:xy") << QStringLiteral("不安全");
        QTest::newRow("truncated") << QStringLiteral("truncated") << QStringLiteral("arj");
        QTest::newRow("text file") << QStringLiteral("text") << QStringLiteral("arj");
        QTest::newRow("unclosed quote")
            << QStringLiteral("quote") << QStringLiteral("PELK.TXT 第 1 行起的引号没有结束");
    }
    void hostileArchives() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        TestFolder data;
        TestFolder pack;
        data.copyDeliveredData();
        const QString archive = pack.file(QStringLiteral("cgsbqy.arj"));
        if (kind == QLatin1String("text")) {
            writeFile(archive, "not an archive\n");
        } else if (kind == QLatin1String("quote")) {
            for (const QString& m : memberNames()) {
                writeFile(pack.file(m), m == QLatin1String("PELK.TXT") ? "1\t\"open\r\n2\tx\r\n" : "");
            }
            QCOMPARE(runArj(pack.path(), QStringList{"a", "-y", "cgsbqy.arj"} + memberNames()), 0);
        } else {
            writeFile(pack.file(QStringLiteral("ZZZZ")), QByteArray(4000, 'e'));
            QCOMPARE(runArj(pack.path(), {"a", "-y", "cgsbqy.arj", "ZZZZ"}), 0);
            if (kind == QLatin1String("truncated")) {
                const QByteArray whole = readAll(archive);
                writeFile(archive, whole.left(whole.size() / 2));
            } else {
                QProcess patch;
                patch.start(QStringLiteral("python3"),
                            {QStringLiteral(TAMSEL_TESTS_SOURCE_DIR "/exchange/arjpatch.py"), archive,
                             QStringLiteral("ZZZZ"), kind});
                QVERIFY(patch.waitForFinished(30000) && patch.exitCode() == 0);
            }
        }
        QTemporaryDir parent;
        const QString into = QDir(parent.path()).filePath(QStringLiteral("a/b"));
        QVERIFY(QDir().mkpath(into));
        QDir::setCurrent(parent.path());
        try {
            importArchive(archive, data.path(), SameName::Store);
            QFAIL("the archive was taken");
        } catch (const ExchangeError& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QDir::setCurrent(QStringLiteral(TAMSEL_BUILD_DIR));
        QCOMPARE(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"a"});
        QCOMPARE(DbfFile::open(data.path(), QStringLiteral("pelktemp.dbf"))->recordCount(), 0u);
    }

    // An old-style archive is repacked as cgsbqy.arj with the standard names; a name failing
    // either test is refused.
    void oldStyleConversion() {
        QCOMPARE(oldStyleCode(QStringLiteral("/x/cgsb12.arj")), QStringLiteral("12"));
        for (const char* bad : {"CGSB12.ZIP", "XGSB12.ARJ", "CGSB1234.ARJ", "CGSB.ARJ"}) {
            QVERIFY2(oldStyleCode(QString::fromLatin1(bad)).isEmpty(), bad);
        }
        TestFolder pack;
        QStringList old;
        for (const char* name : {"PELK", "CGDW", "CGWCR", "JDMD", "ZLQK"}) {
            old << QString::fromLatin1(name) + QStringLiteral("12.TXT");
            writeFile(pack.file(old.last()), QByteArray(name) + "\r\n");
        }
        QCOMPARE(runArj(pack.path(), QStringList{"a", "-y", "CGSB12.ARJ"} + old), 0);
        const QString converted = convertOldStyleArchive(pack.file(QStringLiteral("CGSB12.ARJ")));
        QCOMPARE(converted, pack.file(QStringLiteral("cgsbqy.arj")));
        QCOMPARE(Archiver::list(converted), memberNames().mid(0, 5));
        QTemporaryDir back;
        Archiver::extract(converted, back.path());
        QCOMPARE(readAll(QDir(back.path()).filePath(QStringLiteral("CGWCDW.TXT"))), QByteArray("CGDW\r\n"));
        QFile::remove(pack.file(QStringLiteral("ZLQK12.TXT")));
        QCOMPARE(runArj(pack.path(), QStringList{"a", "-y", "CGSB3.ARJ"} + old.mid(0, 4)), 0);
        QVERIFY_THROWS_EXCEPTION(ExchangeError,
                                 convertOldStyleArchive(pack.file(QStringLiteral("CGSB3.ARJ"))));
    }

    // The command-line tool: one writer per data folder, export, check and import.
    void tool() {
        TestFolder a;
        TestFolder b;
        a.copyDeliveredData();
        b.copyDeliveredData();
        addRow(a.path(), QStringLiteral("pelk.dbf"),
               {{QStringLiteral("ITEM_4"), QStringLiteral("2003000001")},
                {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                {QStringLiteral("ITEM_3"), QStringLiteral("成果")},
                {QStringLiteral("ITEM_CGLB"), QStringLiteral("3")}});
        auto run = [](const QStringList& args, QString* output) {
            QProcess p;
            p.start(QStringLiteral(TAMSEL_BUILD_DIR "/tamsel-exchange"), args);
            p.closeWriteChannel();
            p.waitForFinished(60000);
            *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
            return p.exitCode();
        };
        QString output;
        {
            FolderLock lock;
            QString error;
            QVERIFY(lock.tryLock(a.path(), &error));
            QCOMPARE(run({"export", a.path(), b.path()}, &output), 1);
            QVERIFY2(output.contains(QStringLiteral("正由另一个程序")), qPrintable(output));
        }
        QCOMPARE(run({"export", a.path(), b.path(), "--year", "2003"}, &output), 0);
        QCOMPARE(run({"check", "--data", b.path(), b.file("cgsbqy.arj")}, &output), 0);
        QVERIFY2(output.contains(QStringLiteral("基础理论 1 条")), qPrintable(output));
        QCOMPARE(run({"import", b.path(), b.file("cgsbqy.arj")}, &output), 0);
        QVERIFY2(output.contains(QStringLiteral("读入 1 条，入库 1 条，跳过 0 条")), qPrintable(output));
        QCOMPARE(run({"import", b.path(), b.file("cgsbqy.arj")}, &output), 0);
        QVERIFY2(output.contains(QStringLiteral("入库 0 条，跳过 1 条")), qPrintable(output));
    }
};

TAMSEL_TEST(TestExchange)
#include "test_exchange.moc"
