// Engine benchmark: a main table of 100,000 achievements laid out like the real one, then the
// scans, sorts, maxima, numbering pass, appends and pack that the program runs on it.
// Prints one line per measurement; not a test.

#include "engine/dbffile.h"
#include "engine/query.h"
#include "engine/table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

using namespace tamsel::engine;

namespace {

struct Spec {
    const char* name;
    char type;
    int length;
    int decimals;
};

// The main table's 106 fields in stored order.
const Spec kFields[] = {{"ITEM_1", 'C', 1, 0},      {"ITEM_110", 'C', 1, 0},    {"ITEM_12", 'C', 12, 0},
                        {"ITEM_12_1", 'C', 12, 0},  {"ITEM_120", 'C', 20, 0},   {"ITEM_121", 'D', 8, 0},
                        {"ITEM_123", 'C', 2, 0},    {"ITEM_124_1", 'C', 15, 0}, {"ITEM_125", 'C', 15, 0},
                        {"ITEM_125_1", 'C', 7, 0},  {"ITEM_126", 'C', 50, 0},   {"ITEM_13", 'M', 10, 0},
                        {"ITEM_13_1", 'M', 10, 0},  {"ITEM_13_2", 'M', 10, 0},  {"ITEM_13_3", 'M', 10, 0},
                        {"ITEM_14", 'C', 200, 0},   {"ITEM_16", 'C', 1, 0},     {"ITEM_2", 'C', 1, 0},
                        {"ITEM_200", 'C', 15, 0},   {"ITEM_210", 'C', 1, 0},    {"ITEM_3", 'C', 140, 0},
                        {"ITEM_33", 'C', 1, 0},     {"ITEM_4", 'C', 10, 0},     {"ITEM_420", 'C', 20, 0},
                        {"ITEM_8", 'C', 22, 0},     {"ITEM_127", 'C', 30, 0},   {"ITEM_201", 'C', 1, 0},
                        {"ITEM_37", 'C', 100, 0},   {"ITEM_38", 'C', 6, 0},     {"ITEM_39", 'C', 30, 0},
                        {"ITEM_40", 'C', 30, 0},    {"ITEM_41", 'C', 20, 0},    {"ITEM_41_1", 'C', 20, 0},
                        {"ITEM_41_2", 'C', 30, 0},  {"ITEM_41_3", 'C', 2, 0},   {"ITEM_60", 'C', 100, 0},
                        {"ITEM_61", 'C', 80, 0},    {"ITEM_62", 'C', 1, 0},     {"ITEM_63", 'C', 3, 0},
                        {"ITEM_64", 'C', 3, 0},     {"ITEM_9", 'C', 140, 0},    {"ITEM_32", 'C', 3, 0},
                        {"ITEM_32_1", 'C', 10, 0},  {"ITEM_34", 'C', 14, 0},    {"ITEM_45", 'N', 16, 0},
                        {"ITEM_46", 'C', 2, 0},     {"ITEM_47", 'C', 2, 0},     {"ITEM_300", 'C', 1, 0},
                        {"ITEM_301", 'C', 80, 0},   {"ITEM_302", 'C', 14, 0},   {"ITEM_303", 'M', 10, 0},
                        {"ITEM_304", 'C', 1, 0},    {"ITEM_305", 'C', 1, 0},    {"ITEM_306", 'C', 14, 0},
                        {"ITEM_160", 'C', 30, 0},   {"ITEM_161", 'C', 10, 0},   {"ITEM_163", 'C', 4, 0},
                        {"ITEM_151", 'N', 12, 2},   {"ITEM_152", 'N', 12, 2},   {"ITEM_153", 'N', 12, 2},
                        {"ITEM_150", 'N', 12, 2},   {"ITEM_140", 'C', 1, 0},    {"ITEM_142", 'N', 12, 2},
                        {"ITEM_143", 'N', 12, 2},   {"ITEM_141", 'N', 12, 2},   {"ITEM_162", 'N', 12, 2},
                        {"ITEM_130", 'C', 80, 0},   {"ITEM_133", 'M', 10, 0},   {"ITEM_21", 'C', 1, 0},
                        {"ITEM_22", 'C', 30, 0},    {"ITEM_131", 'C', 1, 0},    {"ITEM_51", 'C', 6, 0},
                        {"ITEM_52", 'C', 80, 0},    {"ITEM_53", 'C', 12, 0},    {"ITEM_56", 'C', 12, 0},
                        {"ITEM_SJDR", 'C', 1, 0},   {"ITEM_SJDC", 'C', 1, 0},   {"ITEM_DQDM", 'C', 3, 0},
                        {"ITEM_CGLB", 'C', 1, 0},   {"ITEM_144", 'N', 12, 2},   {"ITEM_145", 'N', 12, 2},
                        {"ITEM_149", 'N', 12, 2},   {"ITEM_154", 'N', 12, 2},   {"ITEM_128", 'C', 80, 0},
                        {"ITEM_15", 'C', 10, 0},    {"ITEM_15_1", 'C', 10, 0},  {"ITEM_142_1", 'N', 12, 2},
                        {"ITEM_142_2", 'N', 12, 2}, {"ITEM_142_3", 'N', 12, 2}, {"ITEM_XH", 'N', 10, 0},
                        {"ITEM_148", 'N', 12, 2},   {"ITEM_243", 'N', 12, 2},   {"ITEM_244", 'N', 12, 2},
                        {"ITEM_51_1", 'C', 1, 0},   {"ITEM_51_2", 'N', 6, 0},   {"ITEM_51_3", 'N', 6, 0},
                        {"ITEM_151_1", 'N', 12, 2}, {"ITEM_152_1", 'N', 12, 2}, {"ITEM_127_1", 'C', 140, 0},
                        {"NO", 'C', 10, 0},         {"ITEM_CHECK", 'C', 20, 0}, {"OUTCOMEB", 'C', 20, 0},
                        {"PATENT_TY", 'C', 6, 0},   {"TLINKMAN", 'C', 20, 0},   {"TLINKMANTE", 'C', 30, 0},
                        {"TLINKMANEM", 'C', 80, 0}};

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

void report(const char* what, double millis, const QString& extra = QString()) {
    std::printf("%-58s %9.1f ms %s\n", what, millis, extra.toUtf8().constData());
    std::fflush(stdout);
}

const char* const kWords[] = {"水稻", "研究", "小麦", "系统", "技术", "开发", "应用", "材料", "装置", "方法"};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString folder = dir.path();
    QList<FieldSpec> specs;
    for (const Spec& s : kFields)
        specs.append({QString::fromLatin1(s.name), s.type, s.length, s.decimals});
    DbfFile::create(folder + QStringLiteral("/pelk.dbf"), specs, {0x83, kGbkLanguageDriver, 512});

    QElapsedTimer timer;
    {
        Table t;
        t.setFolder(folder);
        t.setTableName(QStringLiteral("pelk"));
        t.open();
        const int f4 = t.fieldIndex(u"ITEM_4"), f3 = t.fieldIndex(u"ITEM_3"), fc = t.fieldIndex(u"ITEM_CGLB"),
                  fd = t.fieldIndex(u"ITEM_DQDM"), f9 = t.fieldIndex(u"ITEM_9"),
                  f13 = t.fieldIndex(u"ITEM_13"), f45 = t.fieldIndex(u"ITEM_45"),
                  f121 = t.fieldIndex(u"ITEM_121");
        t.disableControls();
        timer.start();
        for (int i = 0; i < count; ++i) {
            const int year = 2000 + i % 10;
            t.append();
            t.setValue(f4, QStringLiteral("%1%2").arg(year).arg(i / 10 + 1, 6, 10, QChar(u'0')));
            t.setValue(fd, QStringLiteral("."));
            t.setValue(f3, QString::fromUtf8(kWords[i % 10]) + QString::fromUtf8(kWords[(i / 10) % 10]) +
                               QString::fromUtf8(kWords[(i / 100) % 10]) + QString::number(i));
            t.setValue(fc, QString::number(1 + (i / 10) % 3));
            t.setValue(f9, QStringLiteral("某某研究院第%1研究所").arg(i % 50));
            t.setValue(f45, i % 17);
            t.setValue(f121, QDate(year, 1 + i % 12, 1 + i % 28));
            t.setValue(f13, QStringLiteral("成果简介 %1").arg(i));
            t.post();
        }
        const double took = ms(timer);
        t.enableControls();
        report("append+setValue+post (Table, memo each)", took,
               QStringLiteral("%1 records, %2 per second").arg(count).arg(qRound(count / (took / 1000))));
    }

    {
        // The same appends into a table without memo fields: the cost of the table layer alone.
        QList<FieldSpec> plain;
        for (const FieldSpec& s : specs)
            if (s.type != 'M')
                plain.append(s);
        DbfFile::create(folder + QStringLiteral("/plain.dbf"), plain);
        Table t;
        t.setFolder(folder);
        t.setTableName(QStringLiteral("plain"));
        t.open();
        const int f4 = t.fieldIndex(u"ITEM_4"), f3 = t.fieldIndex(u"ITEM_3");
        timer.start();
        for (int i = 0; i < count; ++i) {
            t.append();
            t.setValue(f4, QString::number(2000000000 + i));
            t.setValue(f3, QString::fromUtf8(kWords[i % 10]));
            t.post();
        }
        const double took = ms(timer);
        report("append+setValue+post (Table, no memo field)", took,
               QStringLiteral("%1 records, %2 per second").arg(count).arg(qRound(count / (took / 1000))));
    }

    const QString path = folder + QStringLiteral("/pelk.dbf");
    const qint64 size = QFile(path).size();
    double floor = 0;
    {
        QFile f(path); // warm the page cache, then time a plain read of the whole file
        f.open(QIODevice::ReadOnly);
        QByteArray all(f.size(), Qt::Uninitialized);
        f.read(all.data(), all.size());
        f.seek(0);
        timer.start();
        f.read(all.data(), all.size());
        floor = ms(timer);
        report("floor: read() the whole file", floor, QStringLiteral("%1 MB").arg(size / 1e6, 0, 'f', 1));
    }
    {
        auto file = DbfFile::open(folder, QStringLiteral("pelk.dbf"));
        const int f4 = file->fieldIndex(u"ITEM_4");
        const int off = file->fields()[f4].offset;
        timer.start();
        unsigned sum = 0;
        for (quint32 r = 0; r < file->recordCount(); ++r)
            sum += static_cast<unsigned char>(file->recordData(r)[off]);
        report("scan all records touching one field (mapped)", ms(timer),
               QStringLiteral("(%1)").arg(sum % 7));
    }

    auto timeQuery = [&](const char* what, const QString& sql) {
        Query q;
        q.setFolder(folder);
        q.setSql(sql);
        timer.start();
        q.open();
        const double took = ms(timer);
        report(what, took,
               QStringLiteral("%1 rows, %2x floor, first %3")
                   .arg(q.recordCount())
                   .arg(took / floor, 0, 'f', 2)
                   .arg(q.recordCount() ? q.asString(q.hasField(u"ITEM_4") ? q.fieldIndex(u"ITEM_4") : 0)
                                        : QString()));
    };
    timeQuery("select * where item_3 like '%研究%'",
              QStringLiteral("select * from pelk where item_3 like '%研究%'"));
    timeQuery("select * where item_cglb='1' order by item_4 desc",
              QStringLiteral("select * from pelk where item_cglb='1' order by item_4 desc"));
    timeQuery("select max(item_4) where item_4 like '2008%'",
              QStringLiteral("select max(item_4) from pelk where item_4 like'2008%'"));
    timeQuery("select distinct item_4 order by item_4 desc",
              QStringLiteral("select distinct item_4 from pelk order by item_4 desc"));

    {
        Query q;
        q.setFolder(folder);
        q.setSql(QStringLiteral("select * from pelk where item_cglb='1' and item_4 like '200%'"));
        q.open();
        Table shared; // another object on the same file, as the main window has
        shared.setFolder(folder);
        shared.setTableName(QStringLiteral("pelk.DBF"));
        shared.open();
        const int no = q.fieldIndex(u"NO");
        const int rows = qMin(10000, q.recordCount());
        q.disableControls();
        timer.start();
        q.first();
        for (int i = 1; i <= rows; ++i) {
            q.edit();
            q.setValue(no, QString::number(i));
            q.post();
            q.next();
        }
        const double took = ms(timer);
        q.enableControls();
        report("numbering pass: edit+post NO on live query rows", took, QStringLiteral("%1 rows").arg(rows));
        timer.start();
        const int seen = shared.recordCount();
        report("  then first use of another Table on the file", ms(timer),
               QStringLiteral("%1 rows").arg(seen));
    }

    {
        timer.start();
        const int updated = executeSql(
            folder,
            QStringLiteral("update pelk set item_13 = '更新的成果简介', no = '9' where item_4 like '2004%'"));
        report("update pelk set memo and field where item_4 like '2004%'", ms(timer),
               QStringLiteral("%1 rows").arg(updated));
    }

    {
        timer.start();
        const int deleted = executeSql(folder, QStringLiteral("delete from pelk where item_4 like '2003%'"));
        report("delete from pelk where item_4 like '2003%'", ms(timer),
               QStringLiteral("%1 rows").arg(deleted));
        Table t;
        t.setFolder(folder);
        t.setTableName(QStringLiteral("PELK"));
        t.setExclusive(true);
        t.open();
        timer.start();
        t.pack();
        report("pack (exclusive Table)", ms(timer),
               QStringLiteral("%1 records left, %2 MB")
                   .arg(t.recordCount())
                   .arg(QFile(path).size() / 1e6, 0, 'f', 1));
    }

    const QString ogrinfo = QStandardPaths::findExecutable(QStringLiteral("ogrinfo"));
    if (!ogrinfo.isEmpty()) {
        const QStringList sqls = {
            QStringLiteral("select * from pelk where item_3 like '%研究%'"),
            QStringLiteral("select * from pelk where item_cglb='1' order by item_4 desc"),
            QStringLiteral("select max(item_4) from pelk where item_4 like '2008%'")};
        for (const QString& sql : sqls) {
            QProcess p;
            p.setProgram(ogrinfo);
            p.setArguments({QStringLiteral("-ro"), QStringLiteral("-q"), QStringLiteral("-so"),
                            QStringLiteral("--config"), QStringLiteral("SHAPE_ENCODING"),
                            QStringLiteral("CP936"), path, QStringLiteral("-sql"), sql});
            timer.start();
            p.start();
            p.waitForFinished(-1);
            report("ogrinfo -sql (for comparison)", ms(timer), sql);
        }
    }
    return 0;
}
