// Exchange benchmark: a data folder of 100,000 achievements with a million child rows, then
// the export of all of them and the import of an archive of 10,000 achievements with 100,000
// child rows into it. The archiver's own time is measured apart. Prints figures; not a test.
//
// bench_exchange [DELIVERED_DATA_FOLDER]   (default: ../data beside the bench folder)

#include "engine/dbffile.h"
#include "engine/gbk.h"
#include "exchange/achievement_rows.h"
#include "exchange/archiver.h"
#include "exchange/exchangeformat.h"
#include "exchange/exporter.h"
#include "exchange/importstore.h"
#include "exchange/twinreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

using namespace tamsel::engine;
using namespace tamsel::exchange;

namespace {

void put(const DbfFile& file, QByteArray& rec, const char* field, const QString& text) {
    const int i = file.fieldIndex(QString::fromLatin1(field));
    const Field& f = file.fields()[i];
    QByteArray bytes;
    encodeGbk(text, &bytes);
    bytes = bytes.left(f.length);
    if (f.type == 'N') {
        bytes = bytes.rightJustified(f.length, ' ');
    }
    std::memcpy(rec.data() + f.offset, bytes.constData(), size_t(bytes.size()));
}

void copyFolder(const QString& from, const QString& to) {
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name));
    }
}

// Achievements numbered from firstSerial in year, each with ten child rows.
void generate(const QString& folder, const QString& year, int firstSerial, int count) {
    const auto pelk = DbfFile::open(folder, QStringLiteral("pelk.dbf"));
    const auto cgwcr = DbfFile::open(folder, QStringLiteral("cgwcr.dbf"));
    const auto cgwcdw = DbfFile::open(folder, QStringLiteral("cgwcdw.dbf"));
    const auto jdwyhmd = DbfFile::open(folder, QStringLiteral("jdwyhmd.dbf"));
    const auto zlqk = DbfFile::open(folder, QStringLiteral("zlqk.dbf"));
    const int memo = pelk->fieldIndex(u"ITEM_13");
    for (int n = 0; n < count; ++n) {
        const QString number = year + QString::number(firstSerial + n).rightJustified(6, u'0');
        QByteArray rec = pelk->blankRecord();
        put(*pelk, rec, "ITEM_4", number);
        put(*pelk, rec, "ITEM_DQDM", QStringLiteral("."));
        put(*pelk, rec, "ITEM_3", QStringLiteral("基于数据交换的科技成果登记方法研究第%1项").arg(number));
        put(*pelk, rec, "ITEM_9", QStringLiteral("某某科学技术研究院第%1分院").arg(n % 50));
        put(*pelk, rec, "ITEM_CGLB", QString::number(n % 3 + 1));
        put(*pelk, rec, "ITEM_14", QStringLiteral("交换;登记;成果"));
        put(*pelk, rec, "ITEM_37", QStringLiteral("北京市海淀区某某路%1号").arg(n % 300));
        put(*pelk, rec, "ITEM_141", QStringLiteral("125.50"));
        put(*pelk, rec, "ITEM_149", QStringLiteral("300.00"));
        put(*pelk, rec, "ITEM_SJDC", QStringLiteral("0"));
        if (n % 2 == 0) {
            rec = pelk->buildRecord(
                rec,
                {{memo, QStringLiteral("本成果研究了科技成果登记中的数据交换。\n第二行说明应用情况。")}});
        }
        pelk->appendRecord(rec);
        auto child = [&](const std::shared_ptr<DbfFile>& file, const char* seqField, int seq,
                         std::initializer_list<std::pair<const char*, QString>> values) {
            QByteArray row = file->blankRecord();
            put(*file, row, "ITEM_4", number);
            put(*file, row, "ITEM_DQDM", QStringLiteral("."));
            put(*file, row, seqField, QString::number(seq));
            for (const auto& [field, text] : values) {
                put(*file, row, field, text);
            }
            file->appendRecord(row);
        };
        for (int i = 1; i <= 4; ++i) {
            child(cgwcr, "ITEM_187", i,
                  {{"ITEM_180", QStringLiteral("完成人%1").arg((n * 4 + i) % 20000)},
                   {"ITEM_185", QStringLiteral("某某科学技术研究院")},
                   {"ITEM_186", QStringLiteral("负责总体方案设计")},
                   {"ITEM_188", QStringLiteral("0")}});
        }
        for (int i = 1; i <= 2; ++i) {
            child(cgwcdw, "ITEM_176", i, {{"ITEM_170", QStringLiteral("合作单位%1").arg(n % 700)}});
        }
        for (int i = 1; i <= 3; ++i) {
            child(jdwyhmd, "ITEM_190", i,
                  {{"ITEM_192", QStringLiteral("委员%1").arg(i)}, {"ITEM_195", QStringLiteral("某某大学")}});
        }
        child(zlqk, "ITEM_NO", 1,
              {{"PATENT_NAM", QStringLiteral("一种交换方法")}, {"PATENT_ST", QStringLiteral("1")}});
    }
}

// CPU time of this process in ms (the machine may be shared; wall time alone misleads).
qint64 cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return qint64(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
}

// Runs one phase and prints its wall time and this process's CPU time (arj's own CPU is not
// in it; the machine may be shared, so wall time alone misleads). Returns the wall time.
template <typename F> qint64 measure(const char* what, F&& work) {
    QElapsedTimer t;
    const qint64 cpu = cpuMs();
    t.start();
    work();
    const qint64 wall = t.elapsed();
    std::printf("%-64s %7lld ms wall %7lld ms cpu\n", what, static_cast<long long>(wall),
                static_cast<long long>(cpuMs() - cpu));
    std::fflush(stdout);
    return wall;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString delivered = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                       : QDir(app.applicationDirPath()).filePath(QStringLiteral("../data"));
    QTemporaryDir big;
    QTemporaryDir small;
    QTemporaryDir out;
    QTemporaryDir smallOut;
    copyFolder(delivered, big.path());
    copyFolder(delivered, small.path());

    measure("generate 100,000 achievements, 1,000,000 child rows",
            [&] { generate(big.path(), QStringLiteral("2008"), 1, 100000); });
    generate(small.path(), QStringLiteral("2008"), 1, 10000);

    // Export of all.
    const Exporter exporter(big.path());
    ExportResult exported;
    const qint64 exportMs = measure("export of all 100,000 (with arj)", [&] {
        const QList<QByteArray> keys = exporter.keys();
        exported = exporter.exportTo(out.path(), QSet<QByteArray>(keys.begin(), keys.end()));
    });
    // The archiver's share: pack the same members again.
    QTemporaryDir again;
    Archiver::extract(exported.archivePath, again.path());
    const qint64 packMs = measure("  arj packing alone (same members, with its listing check)", [&] {
        Archiver::pack(again.path(), QStringLiteral("again.arj"), memberNames());
    });
    std::printf("  export without arj: %lld ms wall; %d achievements, %d child rows, archive %lld bytes\n",
                static_cast<long long>(exportMs - packMs), exported.achievements,
                exported.childRows[0] + exported.childRows[1] + exported.childRows[2] + exported.childRows[3],
                static_cast<long long>(QFileInfo(exported.archivePath).size()));
    measure("second export of all (flags already \"1\", with arj)", [&] {
        const QList<QByteArray> keys = exporter.keys();
        exporter.exportTo(out.path(), QSet<QByteArray>(keys.begin(), keys.end()));
    });
    measure("reset of the export flags (100,000 rows changed)", [&] { exporter.resetFlags(); });
    measure("reset of the export flags again (no row changed)", [&] { exporter.resetFlags(); });
    // What the export dialog does when it opens: the year list from every row, the flag reset.
    measure("export dialog opening: year list, flags already \"0\"", [&] {
        achievementYears(big.path(), QStringLiteral("pelk.dbf"));
        exporter.resetFlags();
    });

    // Import of 10,000 achievements with 100,000 child rows into the big folder.
    const Exporter smallExporter(small.path());
    const QList<QByteArray> smallKeys = smallExporter.keys();
    const ExportResult archive =
        smallExporter.exportTo(smallOut.path(), QSet<QByteArray>(smallKeys.begin(), smallKeys.end()));
    QTemporaryDir work;
    ReadReport read;
    StoreResult stored;
    measure("import: arj listing check and extraction",
            [&] { Archiver::extract(archive.archivePath, work.path()); });
    const qint64 readMs = measure("import: reading members into the twins",
                                  [&] { read = readMembers(work.path(), big.path(), true); });
    const qint64 storeMs = measure("import: storing (numbering, children, pool, emptying twins)",
                                   [&] { stored = storeTwins(big.path(), SameName::Store); });
    std::printf("  import without arj: %lld ms wall; %d achievements read, %d stored, %d problems\n",
                static_cast<long long>(readMs + storeMs), read.achievements, stored.stored,
                int(read.problems.size()));
    measure("second import of the same archive, same names skipped (with arj)", [&] {
        QTemporaryDir work2;
        Archiver::extract(archive.archivePath, work2.path());
        readMembers(work2.path(), big.path(), true);
        stored = storeTwins(big.path(), SameName::Skip);
    });
    std::printf("  %d skipped\n", stored.skipped);
    return 0;
}
