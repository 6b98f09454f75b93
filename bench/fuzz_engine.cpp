// Mutation fuzzer for the table and memo file readers (and the writes that follow a read).
//
//   fuzz_engine [SECONDS [SEED [LIMIT_MS]]]
//
// Builds a few sound tables with memo files in the layouts the engine knows, then, until the
// time is up, damages copies of them at random (headers, field descriptors, memo pointers and
// block headers most often) and opens, reads, writes and packs each. Every input must be read or
// refused with an EngineError, quickly, without writing far past the files' ends. Exits 1 on
// the first input that breaks a rule (a crash ends the run as well); the seed and the input's
// number reproduce it.

#include "engine/dbf_util.h"
#include "engine/dbffile.h"
#include "engine/error.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

using namespace tamsel::engine;

namespace {

struct Seed {
    QByteArray table;
    QByteArray memo;
};

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QList<Seed> makeSeeds(const QString& folder) {
    const QList<FieldSpec> fields = {
        {QStringLiteral("KEY"), 'C', 10, 0}, {QStringLiteral("AMOUNT"), 'N', 12, 2},
        {QStringLiteral("RATE"), 'F', 8, 3}, {QStringLiteral("DAY"), 'D', 8, 0},
        {QStringLiteral("FLAG"), 'L', 1, 0}, {QStringLiteral("NOTE"), 'M', 10, 0},
        {QStringLiteral("MORE"), 'M', 10, 0}};
    const QList<CreateOptions> layouts = {{0x83, kGbkLanguageDriver, 512},
                                          {0x8B, kGbkLanguageDriver, 512},
                                          {0x8B, kGbkLanguageDriver, 64},
                                          {0x04, kGbkLanguageDriver, 512}};
    QList<Seed> seeds;
    for (const CreateOptions& options : layouts) {
        const QString path = folder + QStringLiteral("/seed.dbf");
        QFile::remove(path);
        QFile::remove(folder + QStringLiteral("/seed.dbt"));
        DbfFile::create(path, fields, options);
        {
            auto f = DbfFile::open(folder, QStringLiteral("seed.dbf"));
            for (int r = 0; r < 6; ++r) {
                const QString note = r % 3 == 0 ? QString() : QString(r * 150, QChar(u'研'));
                f->appendRecord(f->buildRecord(f->blankRecord(), {{0, QStringLiteral("k%1").arg(r)},
                                                                  {1, QString::number(r * 12.5)},
                                                                  {2, QStringLiteral("1.25")},
                                                                  {3, QStringLiteral("2024-02-29")},
                                                                  {4, r % 2 == 0},
                                                                  {5, note},
                                                                  {6, QStringLiteral("more %1").arg(r)}}));
            }
            f->setDeleted(2, true);
        }
        seeds.append({readFile(path), readFile(folder + QStringLiteral("/seed.dbt"))});
    }
    return seeds;
}

class Mutator {
public:
    explicit Mutator(quint64 seed) : m_random(seed) {}
    int below(int n) { return n <= 1 ? 0 : int(m_random() % quint64(n)); }

    void mutate(QByteArray& bytes) {
        if (bytes.isEmpty()) {
            bytes.append(char(below(256)));
            return;
        }
        const int n = int(bytes.size());
        // Headers and the first records are where the damage matters most.
        const int at = below(4) != 0 ? below(std::min(n, 96)) : below(n);
        switch (below(8)) {
        case 0:
            bytes[at] = char(bytes[at] ^ char(1 << below(8)));
            break;
        case 1:
            bytes[at] = char(below(256));
            break;
        case 2: {
            static const quint32 kValues[] = {0,    1,     2,      8,          16,         0x1A,
                                              0xFF, 0x200, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFF0, 0xFFFFFFFF};
            char word[4];
            tamsel::engine::dbf::putLe32(word, kValues[below(int(std::size(kValues)))]);
            const int width = 1 << below(3); // 1, 2 or 4 bytes
            for (int i = 0; i < width && at + i < n; ++i) {
                bytes[at + i] = word[i];
            }
            break;
        }
        case 3:
            bytes.truncate(below(n));
            break;
        case 4:
            bytes.append(QByteArray(below(2048), char(below(2) != 0 ? 0 : below(256))));
            break;
        case 5: {
            const char marks[] = {'\x1A', '\x0D', ' ', '*', '\0'};
            bytes[at] = marks[below(int(sizeof marks))];
            break;
        }
        case 6: { // copy a run of bytes elsewhere (record over header, memo block over memo block)
            const int from = below(n);
            const int length = std::min(below(64) + 1, n - std::max(from, at));
            if (length > 0) {
                bytes.replace(at, length, bytes.mid(from, length));
            }
            break;
        }
        default: { // a memo pointer of some record
            const int digits = below(12);
            QByteArray number = QByteArray::number(quint64(1) << digits).rightJustified(10, ' ');
            if (at + 10 <= n) {
                bytes.replace(at, 10, number);
            }
            break;
        }
        }
    }

private:
    std::mt19937_64 m_random;
};

// Reads every value of every record, then writes through the engine and, when asked, packs
// (rarely: pack syncs its files to disk, which costs more than all the rest).
void exercise(const QString& folder, bool pack) {
    auto f = DbfFile::open(folder, QStringLiteral("fuzz.dbf"));
    const int fields = int(f->fields().size());
    for (quint32 r = 0; r < f->recordCount(); ++r) {
        const char* rec = f->recordData(r);
        for (int i = 0; i < fields; ++i) {
            f->text(rec, i);
            f->value(rec, i);
            f->rawText(rec, i);
        }
    }
    f->catchUp();
    QHash<int, QVariant> values;
    for (int i = 0; i < fields; ++i) {
        if (f->fields().at(i).type == 'M') {
            values.insert(i, QString(700, QChar(u'新')));
        }
    }
    f->appendRecord(f->buildRecord(f->blankRecord(), values));
    if (f->recordCount() > 1 && f->recordData(0) != nullptr) {
        f->writeRecord(0, f->buildRecord(QByteArray(f->recordData(0), f->recordLength()), values));
        f->setDeleted(0, true);
    }
    f.reset();
    if (pack) {
        DbfFile::open(folder, QStringLiteral("fuzz.dbf"), OpenMode::Exclusive)->pack();
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 20;
    const quint64 seed = argc > 2 ? QString::fromLocal8Bit(argv[2]).toULongLong()
                                  : quint64(QDateTime::currentMSecsSinceEpoch());
    const qint64 limit = argc > 3 ? QString::fromLocal8Bit(argv[3]).toLongLong() : 2000;
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QList<Seed> seeds = makeSeeds(folder);
    Mutator mutator(seed);
    QElapsedTimer total;
    total.start();
    qint64 inputs = 0;
    qint64 refused = 0;
    qint64 slowest = 0;
    while (total.elapsed() < qint64(seconds * 1000)) {
        const Seed& base = seeds.at(mutator.below(int(seeds.size())));
        Seed input = base;
        const int rounds = 1 + mutator.below(6);
        for (int i = 0; i < rounds; ++i) {
            mutator.mutate(mutator.below(2) != 0 ? input.table : input.memo);
        }
        const QString table = folder + QStringLiteral("/fuzz.dbf");
        const QString memo = folder + QStringLiteral("/fuzz.dbt");
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        if (!writeFile(table, input.table) || (mutator.below(8) != 0 && !writeFile(memo, input.memo))) {
            std::fprintf(stderr, "cannot write the input files\n");
            return 2;
        }
        QElapsedTimer one;
        one.start();
        try {
            exercise(folder, mutator.below(16) == 0);
        } catch (const EngineError&) {
            ++refused;
        }
        const qint64 took = one.elapsed();
        slowest = std::max(slowest, took);
        const qint64 biggest =
            std::max(QFileInfo(table).size(), QFileInfo(memo).exists() ? QFileInfo(memo).size() : 0);
        const qint64 allowed = std::max(input.table.size(), input.memo.size()) + (qint64(1) << 20);
        if (took > limit || biggest > allowed) {
            std::fprintf(stderr, "input %lld of seed %llu: %lld ms, largest file %lld bytes\n",
                         static_cast<long long>(inputs), static_cast<unsigned long long>(seed),
                         static_cast<long long>(took), static_cast<long long>(biggest));
            return 1;
        }
        ++inputs;
    }
    std::printf("seed %llu: %lld inputs, %lld refused, slowest %lld ms\n",
                static_cast<unsigned long long>(seed), static_cast<long long>(inputs),
                static_cast<long long>(refused), static_cast<long long>(slowest));
    return 0;
}
