// Damaged memo files, a full disk, files replaced or left half-written by other programs.

#include "engine/dbf_util.h"
#include "engine/dbffile.h"
#include "engine/query.h"
#include "sqlfixture.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <cerrno>
#include <unistd.h>

using namespace tamsel::engine;
using tamsel::test::fileBytes;
using tamsel::test::TestFolder;

namespace {

void patch(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray le32Bytes(quint32 v) {
    QByteArray out(4, '\0');
    dbf::putLe32(out.data(), v);
    return out;
}

// The write seam: lets `writesLeft` writes through, then tears the next one in half and fails
// every later one with ENOSPC, as a disk running full does.
int writesLeft = -1;
ssize_t fullDiskWrite(int fd, const void* buffer, size_t size, off_t offset) {
    if (writesLeft == -2) {
        errno = ENOSPC;
        return -1;
    }
    if (writesLeft == 0) {
        writesLeft = -2;
        if (size > 1) {
            return ::pwrite(fd, buffer, size / 2, offset);
        }
        errno = ENOSPC;
        return -1;
    }
    if (writesLeft > 0) {
        --writesLeft;
    }
    return ::pwrite(fd, buffer, size, offset);
}

} // namespace

class TestDbfDamage : public QObject {
    Q_OBJECT
private slots:
    // Each write of a statement fails in turn: the statement reports it and leaves both files
    // byte for byte as they were; the open state stays usable.
    void fullDisk_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("count"); // records after the statement went through
        const QString longText(700, QChar(u'长'));
        QTest::newRow("insert with memo")
            << QStringLiteral("insert into pelk (item_4, item_13) values ('x', '%1')").arg(longText) << 6;
        QTest::newRow("update of several rows")
            << QStringLiteral("update pelk set item_13 = '%1', item_3 = 'n' where item_cglb = '1'")
                   .arg(longText)
            << 5;
        QTest::newRow("delete") << QStringLiteral("delete from pelk where item_cglb = '1'") << 5;
    }
    void fullDisk() {
        QFETCH(QString, sql);
        QFETCH(int, count);
        TestFolder dir;
        tamsel::test::createSampleTable(dir.path());
        auto holder = DbfFile::open(dir.path(), QStringLiteral("pelk.dbf"));
        const QString memoPath = dir.file(QStringLiteral("pelk.dbt"));
        const QByteArray table = fileBytes(holder->path());
        const QByteArray memo = fileBytes(memoPath);
        int failAt = 0;
        for (;; ++failAt) {
            writesLeft = failAt;
            const auto old = dbf::setWriteFunction(&fullDiskWrite);
            QString error;
            try {
                executeSql(dir.path(), sql);
            } catch (const EngineError& e) {
                error = e.message();
            }
            dbf::setWriteFunction(old);
            writesLeft = -1;
            if (error.isEmpty()) {
                break;
            }
            QVERIFY2(error.contains(dbf::errorText(ENOSPC)), qPrintable(error));
            QCOMPARE(fileBytes(holder->path()), table);
            QCOMPARE(fileBytes(memoPath), memo);
            QCOMPARE(holder->recordCount(), 5u);
        }
        QVERIFY(failAt >= 2);
        QCOMPARE(int(holder->recordCount()), count);
        const QString after =
            tamsel::test::fileBytes(holder->path()).size() > table.size() ? "grown" : "same";
        QCOMPARE(after, count == 6 ? QStringLiteral("grown") : QStringLiteral("same"));
    }

    // Memo files whose header cannot be trusted.
    void damagedMemoHeader_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("free block far past the end")
            << 0x83 << qint64(0) << le32Bytes(0x7FFFFFFF) << QString();
        QTest::newRow("free block at the 32-bit limit")
            << 0x83 << qint64(0) << le32Bytes(0xFFFFFFF0) << QString();
        QTest::newRow("dBase IV free block past the end")
            << 0x8B << qint64(0) << le32Bytes(0x7FFFFFFF) << QString();
        QTest::newRow("dBase IV blocks of 16 bytes")
            << 0x8B << qint64(20) << QByteArray("\x10\x00", 2)
            << QStringLiteral("备注文件 t.dbt 已损坏：块大小 16 太小");
    }
    void damagedMemoHeader() {
        QFETCH(int, version);
        QFETCH(qint64, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        TestFolder dir;
        CreateOptions options;
        options.version = quint8(version);
        DbfFile::create(dir.file("t.dbf"), {{"KEY", 'C', 10, 0}, {"A", 'M', 10, 0}, {"B", 'M', 10, 0}},
                        options);
        executeSql(dir.path(), "insert into t (key, a) values ('1', 'one')");
        patch(dir.file("t.dbt"), offset, bytes);
        const QByteArray table = fileBytes(dir.file("t.dbf"));
        const QByteArray memo = fileBytes(dir.file("t.dbt"));
        QString message;
        try {
            executeSql(dir.path(), "insert into t (key, a, b) values ('2', 'first', 'second')");
        } catch (const EngineError& e) {
            message = e.message();
        }
        QVERIFY2(error.isEmpty() ? message.isEmpty() : message.endsWith(error), qPrintable(message));
        if (!error.isEmpty()) {
            QCOMPARE(fileBytes(dir.file("t.dbf")), table);
            QCOMPARE(fileBytes(dir.file("t.dbt")), memo);
            return;
        }
        QVERIFY(QFileInfo(dir.file("t.dbt")).size() <= memo.size() + 2 * 512);
        Query q;
        q.setFolder(dir.path());
        q.setSql("select * from t");
        q.open();
        QCOMPARE(tamsel::test::column(q, "A") + '|' + tamsel::test::column(q, "B"),
                 QStringLiteral("one,first|,second"));
    }

    // An 8 MB memo file of NULs: every memo lacks its end marker. A select with a condition on
    // the memo must stay linear (run through the tool, so a hang fails the wait).
    void memoWithoutEndMarker() {
        TestFolder dir;
        DbfFile::create(dir.file("t.dbf"), {{"KEY", 'C', 10, 0}, {"NOTE", 'M', 10, 0}});
        const int blocks = 16384;
        {
            auto f = DbfFile::open(dir.path(), "t.dbf");
            QByteArray rec = f->blankRecord();
            for (int r = 0; r < 3000; ++r) {
                // Many records on the first and the last memo, the rest spread out.
                const int block = r % 3 == 0 ? 1 : r % 3 == 1 ? blocks - 1 : 1 + (r * 7) % (blocks - 1);
                const QByteArray digits = QByteArray::number(block).rightJustified(10, ' ');
                std::memcpy(rec.data() + f->fields().at(1).offset, digits.constData(), 10);
                f->appendRecord(rec);
            }
        }
        QByteArray memo(blocks * 512, '\0');
        dbf::putLe32(memo.data(), blocks);
        QFile out(dir.file("t.dbt"));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(memo) == memo.size());
        out.close();
        QProcess p;
        p.start(QStringLiteral(TAMSEL_BUILD_DIR "/tamsel-sql"),
                {dir.path(), "select key from t where note like '%x%' or note = 'y'"});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(), QByteArray("KEY\n"));
    }

    // Another program's pack renamed new files over the table while we held the old ones: the
    // next write goes to the new files. An append cut short before its count is cut back on open.
    void filesChangedByOthers() {
        TestFolder dir;
        TestFolder other;
        tamsel::test::createSampleTable(dir.path());
        auto holder = DbfFile::open(dir.path(), QStringLiteral("pelk.dbf"));
        tamsel::test::createSampleTable(other.path());
        executeSql(other.path(), "delete from pelk where item_cglb = '1'");
        {
            auto packed = DbfFile::open(other.path(), QStringLiteral("pelk.dbf"), OpenMode::Exclusive);
            packed->pack();
        }
        for (const char* name : {"pelk.dbt", "pelk.dbf"})
            QCOMPARE(::rename(QFile::encodeName(other.file(name)).constData(),
                              QFile::encodeName(dir.file(name)).constData()),
                     0);
        executeSql(dir.path(), "insert into pelk (item_4, item_13) values ('new', 'new memo')");
        QCOMPARE(holder->recordCount(), 3u);
        QCOMPARE(holder->memoText(holder->recordData(2), 6), QStringLiteral("new memo"));
        QCOMPARE(holder->memoText(holder->recordData(0), 6), QStringLiteral("癮 memo"));
        holder.reset();

        // A record written past the count, then the writer died.
        const QString path = dir.file("pelk.dbf");
        const qint64 size = QFileInfo(path).size();
        auto f = DbfFile::open(dir.path(), "pelk.dbf");
        QByteArray tail = f->blankRecord() + '\x1A';
        f.reset();
        patch(path, size - 1, tail);
        f = DbfFile::open(dir.path(), "pelk.dbf");
        QCOMPARE(f->recordCount(), 3u);
        QCOMPARE(QFileInfo(path).size(), size);
        QCOMPARE(fileBytes(path).right(1), QByteArray("\x1A"));
    }

    // Wide numbers read back digit for digit; refusals name table and field.
    void numbersKeepTheirDigits() {
        TestFolder dir;
        DbfFile::create(dir.file("t.dbf"), {{"BIG", 'N', 16, 0}, {"AMT", 'N', 12, 2}});
        executeSql(dir.path(), "insert into t (big, amt) values ('1234567890123456', '0.10')");
        Query q;
        q.setFolder(dir.path());
        q.setSql("select * from t");
        q.open();
        QCOMPARE(q.asString(QStringLiteral("BIG")) + u' ' + q.asString(QStringLiteral("AMT")),
                 QStringLiteral("1234567890123456 0.1"));
        const QStringList refused = {"insert into t (big) values ('12345678901234567')",
                                     "insert into t (big) values ('1.5')",
                                     "insert into t (amt) values (0.125)"};
        const QStringList messages = {"表 t 的字段 BIG 的值 12345678901234567 超过 16 字节的宽度",
                                      "表 t 的字段 BIG 的值 1.5 的小数超过 0 位",
                                      "表 t 的字段 AMT 的值 0.125 的小数超过 2 位"};
        for (int i = 0; i < refused.size(); ++i) {
            try {
                executeSql(dir.path(), refused[i]);
                QFAIL(qPrintable(refused[i]));
            } catch (const EngineError& e) {
                QCOMPARE(e.message(), messages[i]);
            }
        }
    }
};

TAMSEL_TEST(TestDbfDamage)
#include "test_dbf_damage.moc"
