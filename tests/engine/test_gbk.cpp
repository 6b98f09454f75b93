#include "engine/gbk.h"
#include "support/testmain.h"

#include <QTest>

using namespace tamsel::engine;

class TestGbk : public QObject {
    Q_OBJECT
private slots:
    void encode_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("encodable");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("abc 123") << true << QByteArray("abc 123");
        QTest::newRow("ascii second bytes")
            << QStringLiteral("羅襖癮") << true << QByteArray("\xC1\x5F\xD2\x5C\xB0\x61");
        QTest::newRow("punctuation") << QStringLiteral("“中”，。") << true
                                     << QByteArray("\xA1\xB0\xD6\xD0\xA1\xB1\xA3\xAC\xA1\xA3");
        QTest::newRow("empty") << QString() << true << QByteArray();
        QTest::newRow("emoji") << QStringLiteral("a😀") << false << QByteArray();
        QTest::newRow("hangul") << QStringLiteral("한") << false << QByteArray();
        QTest::newRow("replacement char") << QStringLiteral("\uFFFD") << false << QByteArray();
    }
    void encode() {
        QFETCH(QString, text);
        QFETCH(bool, encodable);
        QFETCH(QByteArray, bytes);
        QByteArray out;
        QCOMPARE(encodeGbk(text, &out), encodable);
        QCOMPARE(gbkByteLength(text), encodable ? bytes.size() : -1);
        if (encodable) {
            QCOMPARE(out, bytes);
            QCOMPARE(decodeGbk(out), text);
        }
    }

    // A cut never ends inside a character, even where the second byte looks like ASCII.
    void safeCut_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("cut");
        const QByteArray luo("\xC1\x5F"); // 羅
        QTest::newRow("before trail that is '_'") << luo + "a" << 1 << 0;
        QTest::newRow("whole char") << luo + "a" << 2 << 2;
        QTest::newRow("ascii then char") << "a" + luo << 2 << 1;
        QTest::newRow("all") << "a" + luo << 3 << 3;
        QTest::newRow("more room than text") << "a" + luo << 10 << 3;
        QTest::newRow("lone lead byte at end") << QByteArray("ab\xC1") << 3 << 3;
        QTest::newRow("zero") << luo << 0 << 0;
    }
    void safeCut() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, maxBytes);
        QFETCH(int, cut);
        QCOMPARE(gbkSafeCut(bytes.constData(), bytes.size(), maxBytes), qsizetype(cut));
    }

    void left_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("odd limit on chinese") << QStringLiteral("羅襖癮") << 5 << QStringLiteral("羅襖");
        QTest::newRow("mixed") << QStringLiteral("a羅b") << 3 << QStringLiteral("a羅");
        QTest::newRow("mixed short") << QStringLiteral("a羅b") << 2 << QStringLiteral("a");
        QTest::newRow("fits") << QStringLiteral("ab") << 10 << QStringLiteral("ab");
    }
    void left() {
        QFETCH(QString, text);
        QFETCH(int, maxBytes);
        QFETCH(QString, expected);
        QCOMPARE(gbkLeft(text, maxBytes), expected);
    }

    void decodeKeepsAsciiSecondBytes() {
        // The trail byte 0x5C is '\\' in ASCII; a byte-wise reader would split the character.
        const QByteArray bytes("\xD2\x5C\xC1\x5F");
        QCOMPARE(decodeGbk(bytes), QStringLiteral("襖羅"));
    }
};

TAMSEL_TEST(TestGbk)
#include "test_gbk.moc"
