#include "engine/dbffile.h"
#include "engine/gbk.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

quint32 le32(const QByteArray& b, int at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 |
           quint32(quint8(b[at + 3])) << 24;
}

// Text of exactly `bytes` GBK bytes, made of characters whose second byte is plain ASCII.
QString gbkText(int bytes) {
    static const QString chars = QStringLiteral("羅襖癮");
    QString s;
    for (int i = 0; i < bytes / 2; ++i) {
        s += chars[i % chars.size()];
    }
    if (bytes % 2 != 0) {
        s += QLatin1Char('a');
    }
    return s;
}

const QList<FieldSpec> kAllTypes = {{"NAME", 'C', 20, 0}, {"AMOUNT", 'N', 10, 2}, {"COUNT", 'N', 5, 0},
                                    {"RATE", 'F', 12, 4}, {"DAY", 'D', 8, 0},     {"FLAG", 'L', 1, 0},
                                    {"NOTE", 'M', 10, 0}};

QString memoFile(const TestFolder& dir, const QString& table) {
    return DbfFile::resolve(dir.path(), QFileInfo(table).completeBaseName() + QStringLiteral(".dbt"));
}

} // namespace

class TestDbfFile : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() {
        QTest::addColumn<int>("version");
        QTest::newRow("dBase III") << 0x83;
        QTest::newRow("dBase IV") << 0x8B;
        QTest::newRow("dBase 7") << 0x8C;
    }
    void roundTrip() {
        QFETCH(int, version);
        TestFolder dir;
        CreateOptions options;
        options.version = quint8(version);
        DbfFile::create(dir.file("t.dbf"), kAllTypes, options);
        const QString name = gbkText(20); // exactly the width
        const QString memo = QStringLiteral("第一行\r\n第二行 羅襖\n\n末行");
        {
            auto f = DbfFile::open(dir.path(), "T.DBF");
            const QByteArray rec = f->buildRecord(f->blankRecord(), {{0, name},
                                                                     {1, 12.5},
                                                                     {2, QStringLiteral("42")},
                                                                     {3, -0.125},
                                                                     {4, QDate(2024, 2, 29)},
                                                                     {5, true},
                                                                     {6, memo}});
            f->appendRecord(rec);
            f->appendRecord(f->blankRecord());
        }
        auto f = DbfFile::open(dir.path(), "t.dbf");
        QCOMPARE(int(f->version()), version);
        QCOMPARE(f->languageDriver(), kGbkLanguageDriver);
        QCOMPARE(f->memoLayout(), version == 0x83 ? MemoLayout::Dbase3 : MemoLayout::Dbase4);
        QCOMPARE(f->recordCount(), 2u);
        const char* r = f->recordData(0);
        const QStringList texts = {name, "12.5", "42", "-0.125", "2024-02-29", "T", memo};
        for (int i = 0; i < texts.size(); ++i) {
            QCOMPARE(f->text(r, i), texts.at(i));
        }
        QCOMPARE(f->value(r, 1), QVariant(12.5));
        QCOMPARE(f->value(r, 4), QVariant(QDate(2024, 2, 29)));
        QCOMPARE(f->value(r, 5), QVariant(true));
        QCOMPARE(QByteArray(r + f->fields().at(1).offset, 10), QByteArray("     12.50"));
        const char* blank = f->recordData(1);
        for (int i = 0; i < texts.size(); ++i) {
            QCOMPARE(f->text(blank, i), QString());
        }
        QVERIFY(f->value(blank, 1).isNull());
        QVERIFY(f->value(blank, 4).isNull());
    }

    // Every refused value leaves the record and the memo file as they were.
    void refusedValues_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored"); // text form when accepted
        QTest::addColumn<QString>("error");  // part of the message when refused
        QTest::newRow("text at width") << 0 << QVariant(gbkText(20)) << gbkText(20) << QString();
        QTest::newRow("text one byte over") << 0 << QVariant(QStringLiteral("a") + gbkText(20)) << QString()
                                            << QStringLiteral("表 t 的字段 NAME 的值超过 20 字节的宽度");
        QTest::newRow("blanks past width")
            << 0 << QVariant(QStringLiteral("abc").leftJustified(30)) << "abc" << QString();
        QTest::newRow("not in GBK") << 0 << QVariant(QStringLiteral("a😀")) << QString()
                                    << QStringLiteral("表 t 的字段 NAME 的值含有 GBK 无法表示的字符");
        QTest::newRow("number at width") << 2 << QVariant(99999) << "99999" << QString();
        QTest::newRow("number too wide") << 2 << QVariant(123456) << QString() << QStringLiteral("COUNT");
        QTest::newRow("decimals too wide")
            << 1 << QVariant(12345678.5) << QString() << QStringLiteral("AMOUNT");
        QTest::newRow("number as text") << 1 << QVariant(QStringLiteral(" -3.50 ")) << "-3.5" << QString();
        QTest::newRow("more decimals than held")
            << 2 << QVariant(QStringLiteral("1.5")) << QString()
            << QStringLiteral("表 t 的字段 COUNT 的值 1.5 的小数超过 0 位");
        QTest::newRow("double with more decimals")
            << 1 << QVariant(0.125) << QString() << QStringLiteral("AMOUNT 的值 0.125");
        QTest::newRow("too wide quoted as given") << 2 << QVariant(QStringLiteral("0123456")) << QString()
                                                  << QStringLiteral("的值 0123456 超过 5 字节");
        QTest::newRow("sum of doubles") << 1 << QVariant(0.1 + 0.2) << "0.3" << QString();
        QTest::newRow("not a number")
            << 1 << QVariant(QStringLiteral("12a")) << QString() << QStringLiteral("不是数字");
        QTest::newRow("date dotted") << 4 << QVariant(QStringLiteral("2024.02.29")) << "2024-02-29"
                                     << QString();
        QTest::newRow("date compact")
            << 4 << QVariant(QStringLiteral("20240229")) << "2024-02-29" << QString();
        QTest::newRow("impossible date")
            << 4 << QVariant(QStringLiteral("2023-02-29")) << QString() << QStringLiteral("不是有效日期");
        QTest::newRow("logical text") << 5 << QVariant(QStringLiteral("y")) << "T" << QString();
        QTest::newRow("logical junk")
            << 5 << QVariant(QStringLiteral("maybe")) << QString() << QStringLiteral("不是逻辑值");
        QTest::newRow("memo not in GBK")
            << 6 << QVariant(QStringLiteral("😀")) << QString() << QStringLiteral("GBK");
    }
    void refusedValues() {
        QFETCH(int, field);
        QFETCH(QVariant, value);
        QFETCH(QString, stored);
        QFETCH(QString, error);
        TestFolder dir;
        DbfFile::create(dir.file("t.dbf"), kAllTypes);
        auto f = DbfFile::open(dir.path(), "t.dbf");
        f->appendRecord(f->buildRecord(f->blankRecord(), {{0, "old"}, {6, "old memo"}}));
        const QByteArray tableBefore = readAll(f->path());
        const QByteArray memoBefore = readAll(memoFile(dir, "t.dbf"));
        const QByteArray base(f->recordData(0), f->recordLength());
        // A memo change rides along: it must not reach the memo file when another value fails.
        const QHash<int, QVariant> values = field == 6
                                                ? QHash<int, QVariant>{{6, value}}
                                                : QHash<int, QVariant>{{field, value}, {6, "new memo"}};
        if (error.isEmpty()) {
            f->writeRecord(0, f->buildRecord(base, values));
            QCOMPARE(f->text(f->recordData(0), field), stored);
            return;
        }
        try {
            f->buildRecord(base, values);
            QFAIL("value accepted");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(error), qPrintable(e.message()));
        }
        QCOMPARE(readAll(f->path()), tableBefore);
        QCOMPARE(readAll(memoFile(dir, "t.dbf")), memoBefore);
    }

    void memoLengths_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("blockSize");
        QTest::addColumn<int>("length");
        const int lengths[] = {0, 1, 509, 510, 511, 512, 513, 1024};
        for (const auto& [version, blockSize] : {std::pair{0x83, 512}, {0x8B, 512}, {0x8B, 1024}}) {
            for (int length : lengths) {
                QTest::addRow("%x/%d/%d", version, blockSize, length) << version << blockSize << length;
            }
        }
    }
    void memoLengths() {
        QFETCH(int, version);
        QFETCH(int, blockSize);
        QFETCH(int, length);
        TestFolder dir;
        CreateOptions options;
        options.version = quint8(version);
        options.memoBlockSize = blockSize;
        DbfFile::create(dir.file("m.DBF"), {{"ID", 'C', 4, 0}, {"NOTE", 'M', 10, 0}}, options);
        const QString text = gbkText(length);
        {
            auto f = DbfFile::open(dir.path(), "m.DBF");
            QCOMPARE(f->memoBlockSize(), blockSize);
            f->appendRecord(f->buildRecord(f->blankRecord(), {{1, text}}));
            f->appendRecord(f->buildRecord(f->blankRecord(), {{1, "next"}}));
        }
        auto f = DbfFile::open(dir.path(), "m.dbf");
        QCOMPARE(f->memoText(f->recordData(0), 1), text);
        QCOMPARE(f->memoText(f->recordData(1), 1), QStringLiteral("next"));

        const QByteArray memo = readAll(memoFile(dir, "m.DBF"));
        const int overhead = version == 0x83 ? 2 : 8; // two end markers, or the block header
        const int blocks = length == 0 ? 0 : (length + overhead + blockSize - 1) / blockSize;
        QCOMPARE(le32(memo, 0), quint32(1 + blocks + 1));
        QCOMPARE(memo.size(), (1 + blocks + 1) * blockSize);
        if (version != 0x83 && length > 0) {
            QCOMPARE(memo.mid(blockSize, 4), QByteArray("\xFF\xFF\x08\x00", 4));
            QCOMPARE(le32(memo, blockSize + 4), quint32(length + 8));
        }
    }

    // A changed memo goes to fresh blocks at the end (the record's own write switches to it);
    // the old blocks are left as they were.
    void memoRewrite_data() {
        QTest::addColumn<int>("version");
        QTest::newRow("dBase III") << 0x83;
        QTest::newRow("dBase IV") << 0x8B;
    }
    void memoRewrite() {
        QFETCH(int, version);
        TestFolder dir;
        CreateOptions options;
        options.version = quint8(version);
        DbfFile::create(dir.file("m.dbf"), {{"NOTE", 'M', 10, 0}}, options);
        auto f = DbfFile::open(dir.path(), "m.dbf");
        f->appendRecord(f->buildRecord(f->blankRecord(), {{0, gbkText(700)}})); // blocks 1-2
        f->appendRecord(f->buildRecord(f->blankRecord(), {{0, "second"}}));     // block 3
        auto pointer = [&](quint32 r) { return QByteArray(f->recordData(r), 11).mid(1).trimmed().toInt(); };
        QCOMPARE(pointer(0), 1);
        QCOMPARE(pointer(1), 3);

        const QByteArray before = readAll(memoFile(dir, "m.dbf"));
        const QByteArray built = f->buildRecord(QByteArray(f->recordData(0), 11), {{0, gbkText(1000)}});
        QCOMPARE(pointer(0), 1); // not switched before the record is written
        QCOMPARE(readAll(memoFile(dir, "m.dbf")).left(before.size()).mid(512), before.mid(512));
        f->writeRecord(0, built);
        QCOMPARE(pointer(0), 4); // fresh blocks past the second memo
        const QByteArray memo = readAll(memoFile(dir, "m.dbf"));
        f->writeRecord(0, f->buildRecord(QByteArray(f->recordData(0), 11), {{0, gbkText(1000)}}));
        QCOMPARE(readAll(memoFile(dir, "m.dbf")), memo); // unchanged text: nothing written
        QCOMPARE(f->memoText(f->recordData(0), 0), gbkText(1000));
        QCOMPARE(f->memoText(f->recordData(1), 0), QStringLiteral("second"));

        f->writeRecord(0, f->buildRecord(QByteArray(f->recordData(0), 11), {{0, QString()}}));
        QCOMPARE(QByteArray(f->recordData(0) + 1, 10), QByteArray(10, ' '));
    }

    // Another program adds memo blocks between two of ours: our next memo must go after them.
    void memoAppendedByAnotherProgram() {
        TestFolder dir;
        DbfFile::create(dir.file("m.dbf"), {{"NOTE", 'M', 10, 0}});
        auto f = DbfFile::open(dir.path(), "m.dbf");
        f->appendRecord(f->buildRecord(f->blankRecord(), {{0, "ours 1"}})); // block 1
        {
            // The other writer: a memo at block 2 and the next free block moved to 3.
            QFile memo(memoFile(dir, "m.dbf"));
            QVERIFY(memo.open(QIODevice::ReadWrite));
            QByteArray block("theirs\x1A\x1A");
            block.append(QByteArray(512 - block.size(), '\0'));
            QVERIFY(memo.seek(2 * 512));
            QCOMPARE(memo.write(block), qint64(512));
            QVERIFY(memo.seek(0));
            QCOMPARE(memo.write(QByteArray("\x03\x00\x00\x00", 4)), qint64(4));
        }
        f->appendRecord(f->buildRecord(f->blankRecord(), {{0, "ours 2"}}));
        QCOMPARE(QByteArray(f->recordData(1), 11).mid(1).trimmed().toInt(), 3);
        QCOMPARE(f->memoText(f->recordData(0), 0), QStringLiteral("ours 1"));
        QCOMPARE(f->memoText(f->recordData(1), 0), QStringLiteral("ours 2"));
        QFile memo(memoFile(dir, "m.dbf"));
        QVERIFY(memo.open(QIODevice::ReadOnly));
        QVERIFY(memo.seek(2 * 512));
        QCOMPARE(memo.read(6), QByteArray("theirs"));
    }

    // A dBase IV memo file of 1024-byte blocks written by another program.
    void dbase4MemoOf1024ByteBlocks() {
        TestFolder dir;
        DbfFile::create(dir.file("d4.dbf"), {{"ID", 'C', 2, 0}, {"NOTE", 'M', 10, 0}}, {0x8B, 0x7A, 512});
        QByteArray table = readAll(dir.file("d4.dbf"));
        table.chop(1);
        table += " 1          1\x1A";
        table[4] = 1;
        writeAll(dir.file("d4.dbf"), table);
        QByteArray text;
        encodeGbk(gbkText(1500), &text);
        QByteArray memo(1024, '\0');
        memo[0] = 3; // next free block
        memo[20] = 0x00;
        memo[21] = 0x04; // block size 1024
        memo += QByteArray("\xFF\xFF\x08\x00", 4);
        QByteArray length(4, '\0');
        length[0] = char((1500 + 8) & 0xFF);
        length[1] = char((1500 + 8) >> 8);
        memo += length + text;
        memo += QByteArray(3 * 1024 - memo.size(), '\0');
        writeAll(dir.file("d4.dbt"), memo);

        auto f = DbfFile::open(dir.path(), "d4.dbf");
        QCOMPARE(f->memoBlockSize(), 1024);
        QCOMPARE(f->memoText(f->recordData(0), 1), gbkText(1500));
        f->appendRecord(f->buildRecord(f->blankRecord(), {{0, "2"}, {1, "new"}}));
        QCOMPARE(QByteArray(f->recordData(1) + 3, 10).trimmed(), QByteArray("3"));
        const QByteArray after = readAll(dir.file("d4.dbt"));
        QCOMPARE(le32(after, 0), 4u);
        QCOMPARE(after.mid(3 * 1024, 4), QByteArray("\xFF\xFF\x08\x00", 4));
        QCOMPARE(le32(after, 3 * 1024 + 4), 3u + 8u);
        QCOMPARE(after.mid(4, 3 * 1024 - 4), memo.mid(4)); // the old memo is untouched
    }

    // Writes and packs keep the version, the language driver and the descriptors byte for byte,
    // and drop the production-index flag.
    void rewriteKeepsHeader_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("languageDriver");
        QTest::newRow("dBase IV") << 0x8B << 0x7A;
        QTest::newRow("dBase III other driver") << 0x83 << 0x4D;
        QTest::newRow("dBase 7") << 0x8C << 0x7A;
    }
    void rewriteKeepsHeader() {
        QFETCH(int, version);
        QFETCH(int, languageDriver);
        TestFolder dir;
        DbfFile::create(dir.file("h.dbf"), {{"ID", 'C', 4, 0}, {"NOTE", 'M', 10, 0}},
                        {quint8(version), quint8(languageDriver), 512});
        QByteArray bytes = readAll(dir.file("h.dbf"));
        const bool v7 = version == 0x8C;
        bytes[28] = 0x01; // production index announced
        if (v7) {
            bytes.replace(32, 8, "DB936CN0");
        }
        const int desc = v7 ? 68 : 32;
        for (int i = v7 ? 35 : 18; i < (v7 ? 48 : 32); ++i) {
            bytes[desc + i] = char(0x40 + i); // reserved bytes other writers fill
        }
        writeAll(dir.file("h.dbf"), bytes);
        const int headerLength = int(quint8(bytes[8])) | int(quint8(bytes[9])) << 8;

        auto f = DbfFile::open(dir.path(), "h.dbf", OpenMode::Exclusive);
        auto check = [&](quint32 count) {
            const QByteArray now = readAll(dir.file("h.dbf"));
            QCOMPARE(quint8(now[0]), quint8(version));
            QCOMPARE(quint8(now[29]), quint8(languageDriver));
            QCOMPARE(quint8(now[28]) & 1, 0);
            QCOMPARE(le32(now, 4), count);
            QCOMPARE(now.mid(30, headerLength - 30), bytes.mid(30, headerLength - 30));
            QCOMPARE(now.mid(12, 16), bytes.mid(12, 16));
        };
        for (int i = 0; i < 3; ++i) {
            f->appendRecord(f->buildRecord(f->blankRecord(), {{0, QString::number(i)}, {1, "memo"}}));
        }
        check(3);
        f->writeRecord(1, f->buildRecord(QByteArray(f->recordData(1), f->recordLength()), {{0, "x"}}));
        f->setDeleted(0, true);
        check(3);
        f->pack();
        check(2);
        QCOMPARE(f->text(f->recordData(0), 0), QStringLiteral("x"));
    }

    void pack_data() {
        QTest::addColumn<QList<int>>("deleted");
        QTest::newRow("first") << QList<int>{0};
        QTest::newRow("last") << QList<int>{4};
        QTest::newRow("alternate") << QList<int>{0, 2, 4};
        QTest::newRow("all") << QList<int>{0, 1, 2, 3, 4};
    }
    void pack() {
        QFETCH(QList<int>, deleted);
        TestFolder dir;
        DbfFile::create(dir.file("p.DBF"), {{"ID", 'N', 3, 0}, {"NOTE", 'M', 10, 0}});
        auto f = DbfFile::open(dir.path(), "p.DBF");
        for (int i = 0; i < 5; ++i) {
            f->appendRecord(f->buildRecord(f->blankRecord(), {{0, i}, {1, gbkText(600 + i)}}));
        }
        for (int i : deleted) {
            f->setDeleted(quint32(i), true);
        }
        const qint64 memoBefore = QFileInfo(memoFile(dir, "p.DBF")).size();
        const quint64 layout = f->layoutChangeCount();
        f->pack();
        QVERIFY(f->layoutChangeCount() != layout);
        QCOMPARE(f->recordCount(), quint32(5 - deleted.size()));
        QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        files.sort();
        QCOMPARE(files, (QStringList{"p.DBF", "p.DBT"}));
        f.reset();
        f = DbfFile::open(dir.path(), "p.DBF");
        quint32 r = 0;
        for (int i = 0; i < 5; ++i) {
            if (deleted.contains(i)) {
                continue;
            }
            QCOMPARE(f->text(f->recordData(r), 0), QString::number(i));
            QCOMPARE(f->memoText(f->recordData(r), 1), gbkText(600 + i));
            ++r;
        }
        QCOMPARE(QFileInfo(memoFile(dir, "p.DBF")).size(), memoBefore - qint64(deleted.size()) * 1024);
        const QByteArray table = readAll(f->path());
        QCOMPARE(table.size(), f->headerLength() + int(r) * f->recordLength() + 1);
        QCOMPARE(table.back(), '\x1A');
    }

    void packWithoutDeletedLeavesFiles() {
        TestFolder dir;
        DbfFile::create(dir.file("p.dbf"), {{"ID", 'N', 3, 0}, {"NOTE", 'M', 10, 0}});
        struct stat before {};
        {
            auto f = DbfFile::open(dir.path(), "p.dbf");
            f->appendRecord(f->buildRecord(f->blankRecord(), {{0, 1}, {1, "memo"}}));
        }
        QCOMPARE(::stat(QFile::encodeName(dir.file("p.dbf")).constData(), &before), 0);
        const QByteArray bytes = readAll(dir.file("p.dbf"));
        auto f = DbfFile::open(dir.path(), "p.dbf", OpenMode::Exclusive);
        const quint64 changes = f->changeCount();
        f->pack();
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(dir.file("p.dbf")).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(readAll(dir.file("p.dbf")), bytes);
        QCOMPARE(f->changeCount(), changes);
    }

    void sharedState() {
        TestFolder dir;
        DbfFile::create(dir.file("s.dbf"), {{"NAME", 'C', 8, 0}});
        auto a = DbfFile::open(dir.path(), "s.dbf");
        auto b = DbfFile::open(dir.path(), "S.DBF");
        QCOMPARE(a.get(), b.get());
        const quint64 changes = b->changeCount();
        a->appendRecord(a->buildRecord(a->blankRecord(), {{0, "one"}}));
        QCOMPARE(b->recordCount(), 1u);
        a->writeRecord(0, a->buildRecord(a->blankRecord(), {{0, "two"}}));
        QCOMPARE(b->text(b->recordData(0), 0), QStringLiteral("two"));
        QVERIFY(b->changeCount() >= changes + 2);
    }

    // Another program is a second open file description holding a flock.
    void locks_data() {
        QTest::addColumn<QString>(
            "holder"); // "process" (this process, shared), "sh" or "ex" (another program)
        QTest::addColumn<QString>("action"); // "exclusive", "shared" or "pack"
        QTest::addColumn<bool>("allowed");
        QTest::newRow("exclusive while shared here") << "process"
                                                     << "exclusive" << false;
        QTest::newRow("exclusive while shared elsewhere") << "sh"
                                                          << "exclusive" << false;
        QTest::newRow("shared while shared elsewhere") << "sh"
                                                       << "shared" << true;
        QTest::newRow("shared while exclusive elsewhere") << "ex"
                                                          << "shared" << false;
        QTest::newRow("pack while shared elsewhere") << "sh"
                                                     << "pack" << false;
        QTest::newRow("pack while shared here") << "process"
                                                << "pack" << true;
    }
    void locks() {
        QFETCH(QString, holder);
        QFETCH(QString, action);
        QFETCH(bool, allowed);
        TestFolder dir;
        DbfFile::create(dir.file("l.dbf"), {{"NAME", 'C', 8, 0}});
        {
            auto f = DbfFile::open(dir.path(), "l.dbf");
            f->appendRecord(f->blankRecord());
            f->appendRecord(f->blankRecord());
            f->setDeleted(0, true);
        }
        std::shared_ptr<DbfFile> here;
        int other = -1;
        if (holder == u"process") {
            here = DbfFile::open(dir.path(), "l.dbf");
        } else {
            other = ::open(QFile::encodeName(dir.file("l.dbf")).constData(), O_RDONLY);
            QCOMPARE(::flock(other, holder == u"sh" ? LOCK_SH : LOCK_EX), 0);
        }
        const QByteArray before = readAll(dir.file("l.dbf"));
        bool ok = true;
        QString message;
        try {
            if (action == u"pack") {
                auto f = DbfFile::open(dir.path(), "l.dbf");
                f->pack();
                QCOMPARE(f->recordCount(), 1u);
            } else {
                DbfFile::open(dir.path(), "l.dbf",
                              action == u"exclusive" ? OpenMode::Exclusive : OpenMode::Shared);
            }
        } catch (const EngineError& e) {
            ok = false;
            message = e.message();
        }
        if (other >= 0) {
            ::close(other);
        }
        QVERIFY2(ok == allowed, qPrintable(message));
        if (!allowed) {
            QVERIFY2(message.contains(QStringLiteral("l.dbf")), qPrintable(message));
            QCOMPARE(readAll(dir.file("l.dbf")), before);
        }
    }

    // An append leaves the file whole at every step: record, end marker, then the count; and
    // refresh() picks up records that another program appended.
    void appendAndRefresh() {
        TestFolder dir;
        DbfFile::create(dir.file("a.dbf"), {{"NAME", 'C', 8, 0}});
        QByteArray bytes = readAll(dir.file("a.dbf"));
        bytes[1] = 90; // an old last-update date
        writeAll(dir.file("a.dbf"), bytes);
        auto f = DbfFile::open(dir.path(), "a.dbf");
        for (int i = 0; i < 3; ++i) {
            f->appendRecord(f->buildRecord(f->blankRecord(), {{0, QString::number(i)}}));
        }
        QByteArray now = readAll(dir.file("a.dbf"));
        QCOMPARE(le32(now, 4), 3u);
        QCOMPARE(now.size(), f->headerLength() + 3 * f->recordLength() + 1);
        QCOMPARE(now.back(), '\x1A');
        QCOMPARE(int(quint8(now[1])), QDate::currentDate().year() - 1900);

        now.chop(1);
        now += " other   \x1A";
        now[4] = 4;
        writeAll(dir.file("a.dbf"), now);
        const quint64 layout = f->layoutChangeCount();
        f->refresh();
        QCOMPARE(f->recordCount(), 4u);
        QVERIFY(f->layoutChangeCount() != layout);
        QCOMPARE(f->text(f->recordData(3), 0), QStringLiteral("other"));
    }

    // The files we write, as an independent reader sees them.
    void independentReader() {
        TestFolder dir;
        DbfFile::create(dir.file("x.DBF"), kAllTypes);
        {
            auto f = DbfFile::open(dir.path(), "x.DBF");
            f->appendRecord(
                f->buildRecord(f->blankRecord(), {{0, QStringLiteral("羅襖癮 ab")},
                                                  {1, -12.5},
                                                  {2, 7},
                                                  {3, 0.0625},
                                                  {4, QDate(1999, 12, 31)},
                                                  {5, false},
                                                  {6, QStringLiteral("多行\n备注") + gbkText(600)}}));
            f->appendRecord(f->buildRecord(f->blankRecord(), {{0, "gone"}, {6, "gone"}}));
            f->appendRecord(f->buildRecord(f->blankRecord(), {{0, "blank"}}));
            f->setDeleted(1, true);
            f->pack();
        }
        const QString script = QStringLiteral(TAMSEL_TESTS_SOURCE_DIR "/engine/dbfread_dump.py");
        QProcess python;
        python.start(QFileInfo::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3")
                                                           : QStringLiteral("python3"),
                     {script, dir.file("x.DBF")});
        python.closeWriteChannel();
        QVERIFY(python.waitForFinished(60000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        const QJsonObject out = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        const QJsonArray records = out.value("records").toArray();
        QCOMPARE(records.size(), 2);
        const QJsonArray first = records.at(0).toArray();
        QCOMPARE(first.at(0).toString(), QStringLiteral("羅襖癮 ab"));
        QCOMPARE(first.at(1).toDouble(), -12.5);
        QCOMPARE(first.at(2).toDouble(), 7.0);
        QCOMPARE(first.at(3).toDouble(), 0.0625);
        QCOMPARE(first.at(4).toString(), QStringLiteral("1999-12-31"));
        QCOMPARE(first.at(5).toBool(true), false);
        QCOMPARE(first.at(6).toString(), QStringLiteral("多行\n备注") + gbkText(600));
        const QJsonArray second = records.at(1).toArray();
        QCOMPARE(second.at(0).toString(), QStringLiteral("blank"));
        QVERIFY(second.at(1).isNull());
        QVERIFY(second.at(4).isNull());
        QVERIFY(second.at(6).isNull() || second.at(6).toString().isEmpty());
        const QJsonArray fields = out.value("fields").toArray();
        QCOMPARE(fields.at(1).toArray(), (QJsonArray{"AMOUNT", "N", 10, 2}));
    }
};

TAMSEL_TEST(TestDbfFile)
#include "test_dbffile.moc"
