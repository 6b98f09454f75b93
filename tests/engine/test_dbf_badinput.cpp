#include "engine/dbffile.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <functional>

using namespace tamsel::engine;
using tamsel::test::TestFolder;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

struct RawField {
    const char* name;
    char type;
    int length;
};

// A dBase III table written byte by byte, as another program would leave it.
QByteArray rawTable(const QList<RawField>& fields, const QList<QByteArray>& records, quint8 version = 0x83) {
    const int headerLength = 32 + 32 * int(fields.size()) + 1;
    int recordLength = 1;
    for (const RawField& f : fields) {
        recordLength += f.length;
    }
    QByteArray out(headerLength, '\0');
    out[0] = char(version);
    out[1] = 124;
    out[2] = 1;
    out[3] = 1;
    out[4] = char(records.size());
    out[8] = char(headerLength & 0xFF);
    out[9] = char(headerLength >> 8);
    out[10] = char(recordLength & 0xFF);
    out[11] = char(recordLength >> 8);
    out[29] = 0x7A;
    for (int i = 0; i < fields.size(); ++i) {
        char* d = out.data() + 32 + 32 * i;
        qstrncpy(d, fields.at(i).name, 11);
        d[11] = fields.at(i).type;
        d[16] = char(fields.at(i).length);
    }
    out[headerLength - 1] = '\x0D';
    for (const QByteArray& r : records) {
        out += r;
    }
    return out + '\x1A';
}

// A dBase III memo file: the header block and one memo "hello" at block 1.
QByteArray rawMemo() {
    QByteArray memo(512, '\0');
    memo[0] = 2;
    QByteArray block("hello\x1A\x1A");
    return memo + block + QByteArray(512 - block.size(), '\0');
}

const QList<RawField> kFields = {{"NAME", 'C', 5}, {"AMOUNT", 'N', 5}, {"DAY", 'D', 8},
                                 {"FLAG", 'L', 1}, {"NOTE", 'M', 10},  {"ODD", 'X', 4}};
// Deleted flag, NAME, AMOUNT, DAY, FLAG, NOTE, ODD.
const QByteArray kGoodRecord = QByteArray(" ") + "abc  " + "   12" + "20240101" + "T" + "         1" + "wxyz";

} // namespace

class TestDbfBadInput : public QObject {
    Q_OBJECT
private slots:
    // Damage to the file as a whole: a clear error naming the file, and nothing written.
    void damagedTable_data() {
        QTest::addColumn<std::function<void(QByteArray&)>>("damage");
        QTest::addColumn<QString>("reason");
        using Damage = std::function<void(QByteArray&)>;
        QTest::newRow("empty file") << Damage([](QByteArray& b) { b.clear(); }) << QStringLiteral("太短");
        QTest::newRow("short of a header")
            << Damage([](QByteArray& b) { b.truncate(20); }) << QStringLiteral("太短");
        QTest::newRow("records cut off")
            << Damage([](QByteArray& b) { b.chop(10); }) << QStringLiteral("条记录");
        QTest::newRow("count beyond the file")
            << Damage([](QByteArray& b) { b[4] = 40; }) << QStringLiteral("条记录");
        QTest::newRow("huge count") << Damage([](QByteArray& b) { b[7] = char(0xFF); })
                                    << QStringLiteral("条记录");
        QTest::newRow("record length off")
            << Damage([](QByteArray& b) { b[10] = char(b[10] + 1); }) << QStringLiteral("记录长度");
        QTest::newRow("header length past the end")
            << Damage([](QByteArray& b) { b[9] = 0x40; }) << QStringLiteral("表头长度");
        QTest::newRow("header length too small") << Damage([](QByteArray& b) {
            b[8] = 0x10;
            b[9] = 0;
        }) << QStringLiteral("表头长度");
        QTest::newRow("no terminator")
            << Damage([](QByteArray& b) { b[32 + 32 * 6] = 'Z'; }) << QStringLiteral("字段描述");
        QTest::newRow("header cuts a descriptor")
            << Damage([](QByteArray& b) { b[8] = char(b[8] - 16); }) << QStringLiteral("字段描述");
        QTest::newRow("zero width field")
            << Damage([](QByteArray& b) { b[32 + 16] = 0; }) << QStringLiteral("宽度为 0");
    }
    void damagedTable() {
        QFETCH(std::function<void(QByteArray&)>, damage);
        QFETCH(QString, reason);
        TestFolder dir;
        QByteArray bytes = rawTable(kFields, {kGoodRecord, kGoodRecord});
        damage(bytes);
        writeAll(dir.file("bad.dbf"), bytes);
        writeAll(dir.file("bad.dbt"), rawMemo());
        try {
            DbfFile::open(dir.path(), "bad.dbf");
            QFAIL("damaged table opened");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("bad.dbf")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        QCOMPARE(readAll(dir.file("bad.dbf")), bytes);
        QCOMPARE(readAll(dir.file("bad.dbt")), rawMemo());
    }

    // A bad value in one field reads as empty; the table stays usable and nothing is written.
    void badValues_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("good text") << 0 << QByteArray("abc  ") << "abc";
        QTest::newRow("NUL padded text") << 0 << QByteArray("ab\0\0\0", 5) << "ab";
        QTest::newRow("good number") << 1 << QByteArray("  12 ") << "12";
        QTest::newRow("number NUL padded") << 1 << QByteArray(" 3.5\0", 5) << "3.5";
        QTest::newRow("letters in a number") << 1 << QByteArray("  1a2") << "";
        QTest::newRow("overflow stars") << 1 << QByteArray("*****") << "";
        QTest::newRow("lone sign") << 1 << QByteArray("    -") << "";
        QTest::newRow("infinity spelled") << 1 << QByteArray("  inf") << "";
        QTest::newRow("impossible date") << 2 << QByteArray("20230229") << "";
        QTest::newRow("month 13") << 2 << QByteArray("20231301") << "";
        QTest::newRow("letters in a date") << 2 << QByteArray("2023O101") << "";
        QTest::newRow("unset logical") << 3 << QByteArray("?") << "";
        QTest::newRow("memo") << 4 << QByteArray("         1") << "hello";
        QTest::newRow("memo past the end") << 4 << QByteArray("     99999") << "";
        QTest::newRow("memo pointer of letters") << 4 << QByteArray("   abcdefg") << "";
        QTest::newRow("memo pointer at the header") << 4 << QByteArray("         0") << "";
        QTest::newRow("unknown type as text") << 5 << QByteArray("wx  ") << "wx";
    }
    void badValues() {
        QFETCH(int, field);
        QFETCH(QByteArray, stored);
        QFETCH(QString, text);
        TestFolder dir;
        QByteArray record = kGoodRecord;
        const int offsets[] = {1, 6, 11, 19, 20, 30};
        record.replace(offsets[field], stored.size(), stored);
        const QByteArray table = rawTable(kFields, {record});
        writeAll(dir.file("v.dbf"), table);
        writeAll(dir.file("V.DBT"), rawMemo());
        auto f = DbfFile::open(dir.path(), "v.dbf");
        const char* r = f->recordData(0);
        QCOMPARE(f->text(r, field), text);
        if (!text.isEmpty() && field != 4) {
            QCOMPARE(QString::fromLatin1(f->rawText(r, field)), text);
        }
        for (int i = 0; i < kFields.size(); ++i) {
            f->value(r, i);
            f->text(r, i);
            f->number(r, i);
            f->date(r, i);
        }
        if (text.isEmpty() && field != 0) {
            QVERIFY(f->value(r, field).isNull() || f->value(r, field).toString().isEmpty());
        }
        bool ok = true;
        f->number(r, 1, &ok);
        QCOMPARE(ok, field != 1 || !text.isEmpty());
        QCOMPARE(f->text(r, 0).isEmpty(), field == 0 && text.isEmpty()); // the rest still reads
        QCOMPARE(readAll(dir.file("v.dbf")), table);
        QCOMPARE(readAll(dir.file("V.DBT")), rawMemo());
    }

    // Some writers keep more after the descriptors' terminator (field properties, a back link):
    // records start where the header length says, and a write keeps those bytes.
    void bytesAfterTerminator() {
        TestFolder dir;
        QByteArray table = rawTable(kFields, {kGoodRecord});
        const int terminator = 32 + 32 * int(kFields.size());
        const QByteArray extra = QByteArray("\x0D\x0D") + QByteArray(38, 'P');
        table.insert(terminator + 1, extra);
        const int headerLength = terminator + 1 + int(extra.size());
        table[8] = char(headerLength & 0xFF);
        table[9] = char(headerLength >> 8);
        writeAll(dir.file("x.dbf"), table);
        writeAll(dir.file("x.dbt"), rawMemo());
        auto f = DbfFile::open(dir.path(), "x.dbf");
        QCOMPARE(f->headerLength(), headerLength);
        QCOMPARE(f->fields().size(), kFields.size());
        QCOMPARE(f->text(f->recordData(0), 0), QStringLiteral("abc"));
        QCOMPARE(f->text(f->recordData(0), 4), QStringLiteral("hello"));
        f->appendRecord(f->buildRecord(f->blankRecord(), {{0, "new"}}));
        f->setDeleted(0, true);
        f->pack();
        QCOMPARE(readAll(dir.file("x.dbf")).mid(terminator, extra.size() + 1),
                 table.mid(terminator, extra.size() + 1));
        QCOMPARE(f->text(f->recordData(0), 0), QStringLiteral("new"));
    }

    // Without its memo file a table still opens; only a memo write is refused.
    void missingMemoFile() {
        TestFolder dir;
        const QByteArray table = rawTable(kFields, {kGoodRecord});
        writeAll(dir.file("nomemo.dbf"), table);
        auto f = DbfFile::open(dir.path(), "nomemo.dbf");
        const QByteArray base(f->recordData(0), f->recordLength());
        QCOMPARE(f->memoText(f->recordData(0), 4), QString());
        QCOMPARE(f->text(f->recordData(0), 0), QStringLiteral("abc"));
        try {
            f->buildRecord(base, {{0, "new"}, {4, "memo"}});
            QFAIL("memo written without a memo file");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("nomemo")) &&
                         e.message().contains(QStringLiteral("备注文件")),
                     qPrintable(e.message()));
        }
        QCOMPARE(readAll(dir.file("nomemo.dbf")), table);
        f->writeRecord(0, f->buildRecord(base, {{0, "new"}}));
        QCOMPARE(f->text(f->recordData(0), 0), QStringLiteral("new"));
    }

    // A pack cut short leaves the old pair or completes the new one; never a mix.
    void interruptedPack_data() {
        QTest::addColumn<bool>("memoRenamed");
        QTest::newRow("before the memo was renamed") << false;
        QTest::newRow("between the renames") << true;
    }
    void interruptedPack() {
        QFETCH(bool, memoRenamed);
        TestFolder dir;
        TestFolder packed;
        for (const TestFolder* d : {&dir, &packed}) {
            DbfFile::create(d->file("p.dbf"), {{"ID", 'N', 3, 0}, {"NOTE", 'M', 10, 0}});
            auto f = DbfFile::open(d->path(), "p.dbf");
            for (int i = 0; i < 3; ++i) {
                f->appendRecord(
                    f->buildRecord(f->blankRecord(), {{0, i}, {1, QStringLiteral("memo %1").arg(i)}}));
            }
            f->setDeleted(0, true);
        }
        DbfFile::open(packed.path(), "p.dbf")->pack();
        if (memoRenamed) {
            QFile::remove(dir.file("p.dbt"));
            QVERIFY(QFile::copy(packed.file("p.dbt"), dir.file("p.dbt")));
            QVERIFY(QFile::copy(packed.file("p.dbf"), dir.file(".p.dbf.pack")));
        } else {
            QVERIFY(QFile::copy(packed.file("p.dbt"), dir.file(".p.dbt.pack")));
            writeAll(dir.file(".p.dbf.pack"), QByteArray("half written"));
        }
        auto f = DbfFile::open(dir.path(), "p.dbf");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        QCOMPARE(f->recordCount(), memoRenamed ? 2u : 3u);
        for (quint32 r = 0; r < f->recordCount(); ++r) {
            const QString id = f->text(f->recordData(r), 0);
            QCOMPARE(f->memoText(f->recordData(r), 1), QStringLiteral("memo ") + id);
        }
    }
};

TAMSEL_TEST(TestDbfBadInput)
#include "test_dbf_badinput.moc"
