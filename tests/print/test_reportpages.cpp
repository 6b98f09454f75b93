// The printed form without Word: pages prepared from an achievement, written into a PDF and
// read back with pdftotext, page by page.
#include "print/report_pages.h"
#include "printfixture.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

using namespace tamsel;
using print::PrintData;
using print::Record;

namespace {

// The delivered data folder for the code tables; the achievement and its lists come as rows.
struct Achievement {
    Record fields;
    QHash<int, QList<Record>> rows;

    PrintData data() const {
        print::Prefetched prefetched;
        prefetched.achievement = fields;
        prefetched.rows = rows;
        for (auto list : {PrintData::List::PatentsApplied, PrintData::List::PatentsGranted,
                          PrintData::List::Units, PrintData::List::Completers, PrintData::List::Committee}) {
            prefetched.rows.insert(int(list), rows.value(int(list)));
        }
        return PrintData(QStringLiteral(TAMSEL_BUILD_DATA_DIR),
                         {QStringLiteral("2008000001"), QStringLiteral(".")}, prefetched);
    }
};

QStringList pdfPages(const QList<print::Sheet>& sheets) {
    test::TestFolder folder;
    const QString pdf = folder.file(QStringLiteral("pages.pdf"));
    return print::writePdf(pdf, sheets) ? test::readPdfPages(pdf) : QStringList();
}

QStringList render(print::ReportPage& page, const Achievement& achievement) {
    PrintData data = achievement.data();
    page.prepare(data);
    return pdfPages(page.layout());
}

// Blanks squeezed, so a check does not depend on the columns pdftotext chose.
QString squeezed(const QString& text) {
    return QString(text).replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
}

QList<Record> people(int count, const char* title = "2") {
    QList<Record> rows;
    for (int n = 1; n <= count; ++n) {
        rows.append({{QStringLiteral("item_187"), QString::number(n)},
                     {QStringLiteral("item_180"), QStringLiteral("人员%1").arg(n)},
                     {QStringLiteral("item_181"), QStringLiteral("1")},
                     {QStringLiteral("item_183"), QString::fromLatin1(title)},
                     {QStringLiteral("item_184"), QStringLiteral("2")}});
    }
    return rows;
}

} // namespace

class TestReportPages : public QObject {
    Q_OBJECT

private slots:
    // Tick boxes: cleared, then the codes of the value (three at most) ticked; the page text
    // shows "√" before the option.
    void ticks_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("ticked");
        QTest::newRow("one code") << "TyyPrint05"
                                  << "ITEM_21"
                                  << "1" << QStringList{"1"};
        QTest::newRow("codes 1 and 3") << "TyyPrint05"
                                       << "ITEM_161"
                                       << "1;3;" << QStringList{"1", "3"};
        QTest::newRow("three at most") << "TyyPrint03"
                                       << "ITEM_125"
                                       << "01;03;04;05;" << QStringList{"01", "03", "04"};
        QTest::newRow("empty") << "TyyPrint03"
                               << "ITEM_2"
                               << "" << QStringList{};
        QTest::newRow("other group") << "TrjPrint03"
                                     << "ITEM_200"
                                     << "02;13;" << QStringList{"02", "13"};
        QTest::newRow("unit kind") << "TyyPrint07"
                                   << "ITEM_62"
                                   << "3" << QStringList{"3"};
    }
    void ticks() {
        QFETCH(QString, page);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QStringList, ticked);
        auto report = print::createReportPage(page);
        QVERIFY(report);
        // A value left from the previous achievement must not stay ticked.
        Achievement before{{{QStringLiteral("item_21"), QStringLiteral("2")},
                            {QStringLiteral("item_62"), QStringLiteral("1")},
                            {QStringLiteral("item_2"), QStringLiteral("4")},
                            {field.toLower(), QStringLiteral("2")}},
                           {}};
        PrintData previous = before.data();
        report->prepare(previous);
        const QStringList text = render(*report, {{{field.toLower(), value}}, {}});
        QStringList found;
        for (const QString& label : report->labelNames()) {
            if (label.startsWith(QStringLiteral("QL_") + field + u'_') && !report->caption(label).isEmpty()) {
                found.append(label.mid(field.size() + 4));
            }
        }
        QCOMPARE(found, ticked);
        QCOMPARE(text.join(QString()).count(QStringLiteral("√")), ticked.size());
        if (!ticked.isEmpty()) {
            QVERIFY(squeezed(text.join(QString()))
                        .contains(QRegularExpression(QStringLiteral("√ ?") + ticked.first() + u'.')));
        }
    }

    // One page of each group, with its data texts and the running label at its foot.
    void overviewPages() {
        Achievement achievement{{{QStringLiteral("item_3"), QStringLiteral("高效节能锅炉")},
                                 {QStringLiteral("item_14"), QStringLiteral("锅炉;节能;燃烧;控制")},
                                 {QStringLiteral("item_127"), QStringLiteral("2005BA123")},
                                 {QStringLiteral("item_149"), QStringLiteral("120.5")}},
                                {}};
        for (const char* name : {"TyyPrint03", "TrjPrint03"}) {
            auto page = print::createReportPage(QString::fromLatin1(name));
            page->setPageLabel(QStringLiteral("1"));
            const QStringList pages = render(*page, achievement);
            QCOMPARE(pages.size(), 1);
            const QString text = squeezed(pages.first());
            for (const char* expected :
                 {"一、成果概况", "高效节能锅炉", "锅炉", "燃烧;控制", "2005BA123", "120.5"}) {
                QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
            }
            QVERIFY(text.contains(QRegularExpression(QStringLiteral("— ?1 ?—"))));
        }
    }

    // The lists print every sheet in one run: 18 completers fit one sheet under the fixed
    // label, 19 go onto two with the running counter; codes print as text.
    void peopleLists_data() {
        QTest::addColumn<bool>("committee");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("footers");
        QTest::newRow("18 completers") << false << 18 << QStringList{"6"};
        QTest::newRow("19 completers") << false << 19 << QStringList{"6--1", "6--2"};
        QTest::newRow("100 completers")
            << false << 100 << QStringList{"6--1", "6--2", "6--3", "6--4", "6--5", "6--6"};
        QTest::newRow("15 members") << true << 15 << QStringList{"6"};
        QTest::newRow("16 members") << true << 16 << QStringList{"6--1", "6--2"};
    }
    void peopleLists() {
        QFETCH(bool, committee);
        QFETCH(int, count);
        QFETCH(QStringList, footers);
        print::PeoplePage page(QStringLiteral("TyyPrint10"), committee);
        page.setPageLabel(QStringLiteral("6"));
        page.setCounterPrefix(QStringLiteral("6--"));
        QList<Record> rows = people(count, "b");
        for (Record& row : rows) {
            row.insert(QStringLiteral("item_192"), row.value(QStringLiteral("item_180")));
            row.insert(QStringLiteral("item_193"), QStringLiteral("0"));
            row.insert(QStringLiteral("item_198"), QStringLiteral("3"));
        }
        const auto list = committee ? PrintData::List::Committee : PrintData::List::Completers;
        const QStringList pages = render(page, {{}, {{int(list), rows}}});
        QCOMPARE(pages.size(), footers.size());
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(test::pageFooter(pages.at(i)), footers.at(i));
        }
        const QString all = squeezed(pages.join(QString()));
        QVERIFY(all.contains(QStringLiteral("人员%1").arg(count)));
        if (committee) {
            QVERIFY(all.contains(QStringLiteral("男")) && all.contains(QStringLiteral("副高")));
        } else {
            QVERIFY(all.contains(QStringLiteral("中科院院士")) && all.contains(QStringLiteral("女")) &&
                    all.contains(QStringLiteral("博士研究生")));
        }
    }

    // The registration date: split into year, month and day; an empty date prints nothing.
    // The cover splits the period and the date into their boxes.
    void dates() {
        auto page = print::createReportPage(QStringLiteral("TyyPrint08"));
        QString text =
            render(*page, {{{QStringLiteral("item_121"), QStringLiteral("2008-03-05")}}, {}}).join(QString());
        QVERIFY(squeezed(text).contains(QRegularExpression(QStringLiteral("2008 ?年 ?03 ?月 ?05 ?日"))));
        text = render(*page, {{{QStringLiteral("item_121"), QString()}}, {}}).join(QString());
        QVERIFY(!text.contains(QStringLiteral("2008")) && !text.contains(QStringLiteral("1899")));
        QVERIFY(page->caption(QStringLiteral("item_121_1")).isEmpty());

        auto cover = print::createReportPage(QStringLiteral("Tyyfm1"));
        text = squeezed(render(*cover, {{{QStringLiteral("item_8"), QStringLiteral("2001.03   至2003.12")},
                                         {QStringLiteral("item_121"), QStringLiteral("2008-03-05")},
                                         {QStringLiteral("item_3"), QStringLiteral("高效节能锅炉")}},
                                        {}})
                            .join(QString()));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("2001 ?年 ?03 ?月 ?至 ?2003 ?年 ?12 ?月"))));
        QVERIFY(text.contains(QStringLiteral("高效节能锅炉")) &&
                QString(text).remove(u' ').contains(QStringLiteral("科技成果登记表")));
    }

    // Long texts continue on further sheets under the running counter instead of being cut:
    // the summary, and cooperating units beyond one sheet.
    void longTextsContinue() {
        QString summary;
        for (int n = 1; n <= 60; ++n) {
            summary += QStringLiteral("第%1段：本成果的主要技术内容与创新点。\r\n").arg(n);
        }
        auto page = print::createReportPage(QStringLiteral("TyyPrint09"));
        page->setPageLabel(QStringLiteral("5"));
        page->setCounterPrefix(QStringLiteral("5--"));
        QStringList pages = render(*page, {{{QStringLiteral("item_13"), summary}}, {}});
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages.last().contains(QStringLiteral("第60段")) &&
                squeezed(pages.last()).contains(QStringLiteral("5--2")));

        QList<Record> units;
        for (int n = 1; n <= 30; ++n) {
            units.append({{QStringLiteral("item_176"), QString::number(n)},
                          {QStringLiteral("item_170"), QStringLiteral("合作单位%1").arg(n)}});
        }
        auto unitPage = print::createReportPage(QStringLiteral("TyyPrint07"));
        unitPage->setPageLabel(QStringLiteral("3"));
        unitPage->setCounterPrefix(QStringLiteral("3--"));
        pages = render(*unitPage, {{}, {{int(PrintData::List::Units), units}}});
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages.last().contains(QStringLiteral("合作单位30")) &&
                squeezed(pages.first()).contains(QStringLiteral("3--1")));
    }

    // The evaluation date prints as the text it is stored as; patents fill six rows of each status.
    void evaluationPage() {
        QList<Record> applied;
        for (int n = 1; n <= 7; ++n) {
            applied.append({{QStringLiteral("patent_no"), QStringLiteral("ZL%1").arg(n)},
                            {QStringLiteral("patent_nam"), QStringLiteral("申请专利%1").arg(n)}});
        }
        auto page = print::createReportPage(QStringLiteral("TyyPrint05"));
        const QString text = render(*page, {{{QStringLiteral("item_34"), QStringLiteral("2004.05.06")},
                                             {QStringLiteral("item_46"), QStringLiteral("01")}},
                                            {{int(PrintData::List::PatentsApplied), applied}}})
                                 .join(QString());
        QVERIFY(text.contains(QStringLiteral("2004.05.06")));
        QVERIFY(text.contains(QStringLiteral("申请专利6")) && !text.contains(QStringLiteral("申请专利7")));
        QCOMPARE(page->caption(QStringLiteral("QLL_zlqk_zlh_6")), QStringLiteral("ZL6"));
        QVERIFY(page->caption(QStringLiteral("QL_zlqk_zlh_1")).isEmpty());
        QVERIFY(!page->caption(QStringLiteral("item_46")).isEmpty());
    }

    // The overview page drawn at low resolution against a stored picture, so that a change of
    // layout shows. Pixels may differ a little (font rasterising); a moved or lost row does not
    // pass. TAMSEL_UPDATE_REFERENCE=1 writes the picture anew.
    void layoutMatchesReference() {
        Achievement achievement{
            {{QStringLiteral("item_3"), QStringLiteral("城市污水高效生物脱氮除磷关键技术")},
             {QStringLiteral("item_14"), QStringLiteral("污水处理;生物脱氮;除磷")},
             {QStringLiteral("item_123"), QStringLiteral("2")},
             {QStringLiteral("item_2"), QStringLiteral("3")},
             {QStringLiteral("item_125"), QStringLiteral("24;04;")},
             {QStringLiteral("item_126"), QStringLiteral("01;03;")},
             {QStringLiteral("item_127"), QStringLiteral("2006BAC19B03")},
             {QStringLiteral("item_149"), QStringLiteral("860")}},
            {}};
        auto page = print::createReportPage(QStringLiteral("TyyPrint03"));
        page->setPageLabel(QStringLiteral("1"));
        PrintData data = achievement.data();
        page->prepare(data);
        const double pixelsPerMm = 2.0;
        QImage image(int(print::PageWidth * pixelsPerMm), int(print::PageHeight * pixelsPerMm),
                     QImage::Format_Grayscale8);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            print::drawSheet(painter, page->layout().first(), pixelsPerMm);
        }
        const QString reference =
            QStringLiteral(TAMSEL_TESTS_SOURCE_DIR "/print/reference/overview_applied.png");
        if (qEnvironmentVariableIntValue("TAMSEL_UPDATE_REFERENCE") == 1) {
            QVERIFY(image.save(reference));
        }
        const QImage expected = QImage(reference).convertToFormat(QImage::Format_Grayscale8);
        QCOMPARE(expected.size(), image.size());
        int differing = 0;
        int inked = 0;
        for (int y = 0; y < image.height(); ++y) {
            const uchar* a = image.constScanLine(y);
            const uchar* b = expected.constScanLine(y);
            for (int x = 0; x < image.width(); ++x) {
                differing += std::abs(int(a[x]) - int(b[x])) > 96 ? 1 : 0;
                inked += b[x] < 160 ? 1 : 0;
            }
        }
        // Within a twentieth of the drawn pixels.
        QVERIFY2(differing * 20 <= inked,
                 qPrintable(QStringLiteral("%1 of %2 pixels differ").arg(differing).arg(inked)));
    }
};

TAMSEL_TEST(TestReportPages)
#include "test_reportpages.moc"
