// The Word documents: templates, the document layer and the values of each form, read back
// from the produced files by an independent reader.
#include "print/docxdocument.h"
#include "print/wordoutput.h"
#include "printfixture.h"
#include "support/testmain.h"

#include <QTest>

using namespace tamsel;
using print::DocumentError;
using print::WordButton;
using test::readDocument;

namespace {

const QString kData = QStringLiteral(TAMSEL_BUILD_DATA_DIR);
const print::AchievementKey kApplied{QStringLiteral("2008000001"), QStringLiteral(".")};
const print::AchievementKey kOther{QStringLiteral("2008000002"), QStringLiteral(".")};

print::WordOutput output(const test::PrintFolder& f) {
    return print::WordOutput(f.folder.path(), {f.folder.path()}, f.output());
}

} // namespace

class TestWordForms : public QObject {
    Q_OBJECT

private slots:
    // Every template opens as a package and holds each bookmark its form fills exactly once.
    void templatesHoldTheirBookmarks() {
        const print::WordOutput out(kData, {kData}, QString());
        for (WordButton button : {WordButton::YY, WordButton::YY_S, WordButton::RJ, WordButton::RJ_S,
                                  WordButton::Application, WordButton::Certificate}) {
            for (const print::DocumentPlan& plan : print::documentsOf(button)) {
                const QString path = out.findTemplate(plan.templateName);
                QVERIFY2(!path.isEmpty(), qPrintable(plan.templateName));
                const print::DocxDocument document(path);
                const QStringList needed = print::formBookmarks(plan.form);
                QCOMPARE(document.missingBookmarks(needed), QStringList());
                const test::ReadDocument read = readDocument(path);
                QVERIFY(read.ok);
                for (const QString& name : needed) {
                    QVERIFY2(read.count.value(name) == 1, qPrintable(plan.templateName + u' ' + name));
                }
            }
        }
    }

    void insertedText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("markup escaped")
            << QStringLiteral("A/B & <C> \"'") << QStringLiteral("A/B & <C> \"'¶");
        QTest::newRow("tab and line breaks")
            << QStringLiteral("a\tb\nc\r\nd") << QStringLiteral("a\tb\nc\nd¶");
        QTest::newRow("controls dropped") << QStringLiteral("x\x01y\x1Fz") << QStringLiteral("xyz¶");
        QTest::newRow("lone CR is a paragraph") << QStringLiteral("one\rtwo") << QStringLiteral("one¶two¶");
        QTest::newRow("blanks kept") << QStringLiteral("  two  ") << QStringLiteral("  two  ¶");
    }
    void insertedText() {
        QFETCH(QString, text);
        QFETCH(QString, readBack);
        test::TestFolder folder;
        print::DocxDocument document(kData + QStringLiteral("/应用技术封面.dotx"));
        document.insertAfter(QStringLiteral("item_3"), text);
        document.insertAfter(QStringLiteral("item_8_1"), QStringLiteral("A"));
        document.insertAfter(QStringLiteral("item_8_1"), QStringLiteral("B")); // follows the first
        QVERIFY_THROWS_EXCEPTION(DocumentError, document.insertAfter(QStringLiteral("nowhere"), text));
        document.save(folder.file(QStringLiteral("out.docx")));
        const test::ReadDocument read = readDocument(folder.file(QStringLiteral("out.docx")));
        QVERIFY(read.ok);
        QCOMPARE(read.text.value(QStringLiteral("item_3")), readBack);
        QCOMPARE(read.text.value(QStringLiteral("item_8_1")), QStringLiteral("AB 至 "));
        QCOMPARE(read.contentType,
                 QStringLiteral(
                     "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"));
    }

    void appliedTechnology() {
        test::PrintFolder f;
        const QStringList files = output(f).produce(WordButton::YY, kApplied);
        QCOMPARE(files.size(), 2);
        QVERIFY(files.at(0).contains(QStringLiteral("应用技术封面_2008000001_")));
        const test::ReadDocument cover = readDocument(files.at(0));
        QCOMPARE(cover.text.value(QStringLiteral("item_3")),
                 QStringLiteral("十个汉字十个汉字十个¶¶")); // padded
        QCOMPARE(cover.text.value(QStringLiteral("item_9")), QStringLiteral("A/B & <C>¶¶"));
        QCOMPARE(cover.text.value(QStringLiteral("item_8_1")), QStringLiteral("2001年03月 至 "));
        QCOMPARE(cover.text.value(QStringLiteral("item_8_2")), QStringLiteral("2003年12月¶"));

        const test::ReadDocument form = readDocument(files.at(1));
        const auto at = [&](const char* name) { return form.text.value(QLatin1String(name)); };
        QCOMPARE(at("item_126"), QStringLiteral("国家科技计划(国家科技支撑计划);自选¶"));
        QCOMPARE(at("item_62"), QStringLiteral("企业"));
        QCOMPARE(at("item_163"), QStringLiteral("(属于科研机构转制型企业)¶"));
        QCOMPARE(at("item_15"), QStringLiteral("110 数学；"));
        QCOMPARE(at("item_13_1"), QStringLiteral("第一行\n第二行\t完¶"));
        // Six patents applied for: five printed, in table order.
        QCOMPARE(at("patentl_nam_1"), QStringLiteral("专利1¶"));
        QCOMPARE(at("patentl_nam_5"), QStringLiteral("专利5¶"));
        QVERIFY(!form.text.contains(QStringLiteral("patentl_nam_6")));
        // Units, completers and committee in their 序号 order, completers up to 45.
        QCOMPARE(at("item_176_1") + at("item_170_1"), QStringLiteral("1¶单位1¶"));
        QCOMPARE(at("item_170_6"), QStringLiteral("单位6¶"));
        QCOMPARE(at("item_180_45"), QStringLiteral("人员45¶"));
        QCOMPARE(at("item_181_1"), QStringLiteral("女¶"));
        QCOMPARE(at("item_191_1") + at("item_192_1"), QStringLiteral("主任委员¶委员1¶"));

        // The certificate prints the secrecy level of a classified achievement.
        const QStringList certificate = output(f).produce(WordButton::Certificate, kApplied);
        const test::ReadDocument read = readDocument(certificate.at(0));
        QCOMPARE(read.text.value(QStringLiteral("item_1_1")), QStringLiteral("1¶"));
        QCOMPARE(read.text.value(QStringLiteral("item_1_2")), QStringLiteral("机密¶"));
        QCOMPARE(read.text.value(QStringLiteral("item_34_y")) + read.text.value(QStringLiteral("item_34_d")),
                 QStringLiteral("2004年06日¶"));
        // File names: no separators or controls; a second print never replaces the first.
        QCOMPARE(print::WordOutput::fileBaseName(QStringLiteral("表"), QStringLiteral("1"),
                                                 QStringLiteral("A/B & <C>\x01")),
                 QStringLiteral("表_1_A_B & _C__"));
        const QStringList again = output(f).produce(WordButton::Certificate, kApplied);
        QVERIFY(again.at(0).endsWith(QStringLiteral("(2).docx")));
        QCOMPARE(f.written().size(), 4);
    }

    void softScience() {
        test::PrintFolder f;
        const QStringList body = output(f).produce(WordButton::RJ_S, kOther);
        const test::ReadDocument cover = readDocument(body.at(0));
        QCOMPARE(cover.text.value(QStringLiteral("item_3")),
                 QStringLiteral("二十二个汉字的名称二十二个汉字的名称二十二个¶")); // 44 bytes: not padded
        QCOMPARE(cover.text.value(QStringLiteral("item_8_1")), QStringLiteral("2001年03月 至 "));
        QCOMPARE(cover.text.value(QStringLiteral("item_8_2")), QStringLiteral("¶"));
        const test::ReadDocument bodyForm = readDocument(body.at(1));
        QCOMPARE(bodyForm.text.value(QStringLiteral("item_170_6")), QStringLiteral("单位6¶"));
        QCOMPARE(bodyForm.text.value(QStringLiteral("item_21")), QStringLiteral("评审¶"));
        QCOMPARE(bodyForm.text.value(QStringLiteral("item_126")), QStringLiteral("国家科技计划;自选¶"));
        QCOMPARE(bodyForm.text.value(QStringLiteral("item_62")), QString());
        QCOMPARE(bodyForm.text.value(QStringLiteral("item_163")), QStringLiteral("¶"));

        const QStringList full = output(f).produce(WordButton::RJ, kOther);
        const test::ReadDocument form = readDocument(full.at(1));
        QCOMPARE(form.text.value(QStringLiteral("item_170_5")), QStringLiteral("单位5¶"));
        QVERIFY(!form.text.contains(QStringLiteral("item_170_6")));
        QCOMPARE(form.text.value(QStringLiteral("item_21")), QStringLiteral("¶")); // no such code in item_21

        const QStringList application = output(f).produce(WordButton::Application, kOther);
        const test::ReadDocument read = readDocument(application.at(0));
        QCOMPARE(read.text.value(QStringLiteral("item_1_1")), QStringLiteral("0¶"));
        QCOMPARE(read.text.value(QStringLiteral("item_1_2")), QStringLiteral("¶"));
    }

    // A missing template or bookmark is reported and nothing is written.
    void failuresWriteNothing() {
        test::PrintFolder f;
        QFile::remove(f.folder.file(QStringLiteral("应用技术登记表.dotx")));
        try {
            output(f).produce(WordButton::YY, kApplied);
            QFAIL("no error");
        } catch (const DocumentError& e) {
            QCOMPARE(e.message(), QStringLiteral("您的电脑上没有相应的报表"));
        }
        QFile::remove(f.folder.file(QStringLiteral("应用技术封面.dotx")));
        QVERIFY(QFile::copy(f.folder.file(QStringLiteral("基础、软科学封面.dotx")),
                            f.folder.file(QStringLiteral("应用技术封面.DOTX"))));
        QVERIFY(QFile::copy(kData + QStringLiteral("/应用技术登记表.dotx"),
                            f.folder.file(QStringLiteral("应用技术登记表.dotx"))));
        try {
            output(f).produce(WordButton::YY, kApplied);
            QFAIL("no error");
        } catch (const DocumentError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("item_8_1、item_8_2、item_128、item_120")),
                     qPrintable(e.message()));
        }
        QCOMPARE(f.written(), QStringList());
    }
};

TAMSEL_TEST(TestWordForms)
#include "test_wordforms.moc"
