// Word output benchmark: a data folder with N other achievements (10 completers, 3 units and
// 2 committee members each) and one applied-technology achievement with 45 completers, 8
// units, 13 committee members and 10 patents; each print button is run a few times and the
// time per produced document printed. Usage: bench_print [N=10000]; with TAMSEL_BENCH_KEEP set
// the folder and the documents stay.
#include "engine/table.h"
#include "print/wordoutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace tamsel;

namespace {

// Appends rows to one table; fill sets the values of row i.
template <typename Fill> void append(const QString& folder, const QString& table, int rows, Fill fill) {
    engine::Table t;
    t.setFolder(folder);
    t.setTableName(table);
    t.open();
    t.disableControls();
    for (int i = 0; i < rows; ++i) {
        t.append();
        fill(t, i);
        t.post();
    }
}

QString number(int i) {
    return QStringLiteral("2008%1").arg(i, 6, 10, QChar(u'0'));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int others = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTemporaryDir dir;
    const QString folder = dir.path();
    if (qEnvironmentVariableIsSet("TAMSEL_BENCH_KEEP")) { // keep the documents for a look
        dir.setAutoRemove(false);
        std::printf("folder: %s\n", qPrintable(folder));
    }
    const QDir source(QStringLiteral(TAMSEL_BUILD_DATA_DIR));
    for (const QString& file : source.entryList(QDir::Files)) {
        QFile::copy(source.filePath(file), dir.filePath(file));
        QFile::setPermissions(dir.filePath(file), QFile::ReadOwner | QFile::WriteOwner);
    }

    QElapsedTimer timer;
    timer.start();
    const auto key = [](engine::Table& t, int achievement) {
        t.setValue(u"ITEM_4", number(achievement));
        t.setValue(u"ITEM_DQDM", QStringLiteral("."));
    };
    // Achievement 0 is the one printed; its rows come last in every child table.
    append(folder, QStringLiteral("pelk.dbf"), others + 1, [&](engine::Table& t, int i) {
        key(t, i == others ? 0 : i + 1);
        t.setValue(u"ITEM_CGLB", QStringLiteral("1"));
        t.setValue(u"ITEM_3", QStringLiteral("一种用于测试打印速度的成果名称%1").arg(i));
        t.setValue(u"ITEM_9", QStringLiteral("某某研究院"));
        t.setValue(u"ITEM_8", QStringLiteral("2001.03   至2003.12"));
        t.setValue(u"ITEM_126", QStringLiteral("01;10;"));
        t.setValue(u"ITEM_140", QStringLiteral("7"));
        t.setValue(u"ITEM_13_1", QStringLiteral("成果公报内容。\r\n第二段。").repeated(20));
    });
    append(folder, QStringLiteral("cgwcr.DBF"), others * 10 + 45, [&](engine::Table& t, int i) {
        const bool target = i >= others * 10;
        key(t, target ? 0 : i / 10 + 1);
        t.setValue(u"ITEM_187", target ? i - others * 10 + 1 : i % 10 + 1);
        t.setValue(u"ITEM_180", QStringLiteral("人员%1").arg(i));
        t.setValue(u"ITEM_181", QStringLiteral("1"));
        t.setValue(u"ITEM_183", QStringLiteral("2"));
        t.setValue(u"ITEM_185", QStringLiteral("某某研究院"));
        t.setValue(u"ITEM_186", QStringLiteral("主要研究与试验"));
    });
    append(folder, QStringLiteral("cgwcdw.DBF"), others * 3 + 8, [&](engine::Table& t, int i) {
        const bool target = i >= others * 3;
        key(t, target ? 0 : i / 3 + 1);
        t.setValue(u"ITEM_176", target ? i - others * 3 + 1 : i % 3 + 1);
        t.setValue(u"ITEM_170", QStringLiteral("合作单位%1").arg(i));
    });
    append(folder, QStringLiteral("jdwyhmd.DBF"), others * 2 + 13, [&](engine::Table& t, int i) {
        const bool target = i >= others * 2;
        key(t, target ? 0 : i / 2 + 1);
        t.setValue(u"ITEM_190", target ? i - others * 2 + 1 : i % 2 + 1);
        t.setValue(u"ITEM_192", QStringLiteral("委员%1").arg(i));
    });
    append(folder, QStringLiteral("zlqk.dbf"), 10, [&](engine::Table& t, int i) {
        key(t, 0);
        t.setValue(u"ITEM_NO", i + 1);
        t.setValue(u"PATENT_NO", QStringLiteral("ZL%1").arg(i));
        t.setValue(u"PATENT_ST", i < 5 ? QStringLiteral("1") : QStringLiteral("2"));
    });
    std::printf("data: %d achievements, %d completers, written in %lld ms\n", others + 1, others * 10 + 45,
                static_cast<long long>(timer.elapsed()));

    // What one print reads, step by step. The dialog takes the achievement and the child lists
    // from the main window when it holds them; kept here for the runs below.
    print::Prefetched held;
    {
        timer.start();
        print::PrintData data(folder, {number(0), QStringLiteral(".")});
        std::printf("read the achievement           %7lld ms\n", static_cast<long long>(timer.restart()));
        data.optionName(QStringLiteral("item_2"), QStringLiteral("1"));
        std::printf("code dictionary                %7lld ms\n", static_cast<long long>(timer.restart()));
        const struct {
            print::PrintData::List list;
            const char* name;
        } lists[] = {{print::PrintData::List::Completers, "completers"},
                     {print::PrintData::List::Units, "units"},
                     {print::PrintData::List::Committee, "committee"},
                     {print::PrintData::List::PatentsApplied, "patents"}};
        held.achievement = data.achievement();
        for (const auto& l : lists) {
            held.rows.insert(int(l.list), data.rows(l.list));
            std::printf("%-30s %7lld ms\n", l.name, static_cast<long long>(timer.restart()));
        }
    }

    const print::WordOutput output(folder, {folder}, dir.filePath(QStringLiteral("out")));
    const print::AchievementKey target{number(0), QStringLiteral(".")};
    const struct {
        print::WordButton button;
        const char* name;
    } buttons[] = {{print::WordButton::YY, "YY_Button (cover + form)"},
                   {print::WordButton::YY_S, "YY_SButton (cover + form)"},
                   {print::WordButton::Application, "Button5 (application)"},
                   {print::WordButton::Certificate, "Button6 (certificate)"}};
    const int runs = 5;
    held.rows.remove(int(print::PrintData::List::PatentsApplied)); // patents are always read
    for (const bool fromMainWindow : {true, false}) {
        std::printf("%s\n", fromMainWindow ? "with the rows the main window holds:" : "reading every table:");
        for (const auto& b : buttons) {
            timer.start();
            qsizetype documents = 0;
            for (int run = 0; run < runs; ++run) {
                documents +=
                    output.produce(b.button, target, fromMainWindow ? held : print::Prefetched()).size();
            }
            std::printf("  %-28s %7.1f ms per document\n", b.name,
                        double(timer.elapsed()) / double(documents));
        }
    }
    return 0;
}
