// Several tamsel-sql processes writing one table at once.

#include "engine/dbffile.h"
#include "sqlfixture.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QProcess>
#include <QSet>
#include <QTest>

using namespace tamsel::engine;
using tamsel::test::TestFolder;

namespace {

// Writer w inserts rows w1..wN with a memo each and rewrites every third row's memo with a
// longer text, so inserts and updates keep competing for new memo blocks.
const char* const kWriter = R"sh(T=$1; F=$2; W=$3; N=$4; P=$5
for i in $(seq 1 $N); do
  "$T" "$F" "insert into pelk (item_4, item_13) values ('$W$i', 'm $W$i $P')" >/dev/null || exit 1
  if [ $((i % 3)) -eq 0 ]; then
    j=$((i - 1))
    "$T" "$F" "update pelk set item_13 = 'u $W$j $P$P' where item_4 = '$W$j'" >/dev/null || exit 1
  fi
done
)sh";

// A reader running beside the writers must never see a damaged table.
const char* const kReader = R"sh(T=$1; F=$2; N=$3
for i in $(seq 1 $N); do "$T" "$F" "select item_4 from pelk where item_13 like '%zz%'" >/dev/null || exit 1; done
)sh";

} // namespace

class TestConcurrency : public QObject {
    Q_OBJECT
private slots:
    void writersLoseNothing() {
        TestFolder folder;
        DbfFile::create(folder.file(QStringLiteral("pelk.dbf")),
                        {{QStringLiteral("ITEM_4"), 'C', 10, 0}, {QStringLiteral("ITEM_13"), 'M', 10, 0}});
        const QString tool = QStringLiteral(TAMSEL_BUILD_DIR "/tamsel-sql");
        const QStringList writers = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                     QStringLiteral("d")};
        const int perWriter = 45;
        QList<QProcess*> procs;
        QHash<QString, QString> pads;
        for (int w = 0; w < writers.size(); ++w) {
            const QString pad(100 + 300 * w, QChar(u'x'));
            pads.insert(writers[w], pad);
            auto* p = new QProcess(this);
            p->start(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QString::fromLatin1(kWriter), QStringLiteral("sh"), tool,
                      folder.path(), writers[w], QString::number(perWriter), pad});
            procs.append(p);
        }
        auto* reader = new QProcess(this);
        reader->start(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QString::fromLatin1(kReader), QStringLiteral("sh"), tool,
                       folder.path(), QStringLiteral("60")});
        procs.append(reader);
        for (QProcess* p : std::as_const(procs)) {
            QVERIFY(p->waitForFinished(300000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }

        auto file = DbfFile::open(folder.path(), QStringLiteral("pelk.dbf"));
        QCOMPARE(int(file->recordCount()), writers.size() * perWriter);
        QSet<QByteArray> blocks;
        QSet<QString> keys;
        for (quint32 r = 0; r < file->recordCount(); ++r) {
            const char* rec = file->recordData(r);
            const QString key = file->text(rec, 0);
            QVERIFY(!keys.contains(key));
            keys.insert(key);
            const QByteArray block = file->rawText(rec, 1).toByteArray();
            QVERIFY2(!blocks.contains(block), qPrintable(key));
            blocks.insert(block);
            const int i = key.mid(1).toInt();
            const QString& pad = pads[key.left(1)];
            const bool updated = i % 3 == 2 && i < perWriter;
            const QString expected =
                updated ? QStringLiteral("u %1 %2%2").arg(key, pad) : QStringLiteral("m %1 %2").arg(key, pad);
            QCOMPARE(file->memoText(rec, 1), expected);
        }
    }
};

TAMSEL_TEST(TestConcurrency)
#include "test_concurrency.moc"
