// Opening the classification picker on a library classification of an authority's size.
//
// Writes a 50,000-row classification table (levels 1-4 in tree order, GBK names) into a
// temporary folder, then times the picker's loading of it: closing and reopening its table,
// building the tree, selecting and expanding the root. Also times a full opening with the
// window shown and painted once. Usage: bench_formtree [rows] [picture.png]
// (the picture is a grab of the shown picker, to look at it).

#include "engine/dbffile.h"
#include "engine/table.h"
#include "entry/classification_picker.h"
#include "platform/prompt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tamsel;

namespace {

const char* const kWords[] = {"材料", "信息", "电子", "机械", "化学", "生物", "医学", "农业", "能源", "环境",
                              "交通", "建筑", "经济", "管理", "教育", "文学", "历史", "哲学", "数学", "物理"};

QString nameFor(int level, int a, int b, int c, int d) {
    constexpr int words = sizeof(kWords) / sizeof(kWords[0]);
    QString name = QString::fromUtf8(kWords[(a + b * 3 + c * 7 + d * 11) % words]);
    name += QString::fromUtf8(kWords[(a * 5 + b + c * 2 + d) % words]);
    switch (level) {
    case 1:
        return name + QStringLiteral("总论");
    case 2:
        return name + QStringLiteral("理论与方法");
    case 3:
        return name + QStringLiteral("技术与应用研究");
    default:
        return name + QStringLiteral("专题（第%1种）").arg(d + 1);
    }
}

void writeTable(const QString& folder, int rows) {
    const QString path = folder + QStringLiteral("/ztflh.dbf");
    engine::DbfFile::create(path, {{QStringLiteral("JB"), 'N', 2, 0},
                                   {QStringLiteral("XXDM"), 'C', 12, 0},
                                   {QStringLiteral("XXMC"), 'C', 100, 0}});
    auto file = engine::DbfFile::open(folder, QStringLiteral("ztflh.dbf"));
    const QByteArray blank = file->blankRecord();
    int written = 0;
    auto add = [&](int level, const QString& code, const QString& name) {
        if (written >= rows) {
            return false;
        }
        file->appendRecord(file->buildRecord(blank, {{0, level}, {1, code}, {2, name}}));
        ++written;
        return true;
    };
    // 22 top classes as the library classification has; the lower fan-outs fill the rest.
    for (int a = 0; a < 22; ++a) {
        const QString c1 = QString(QChar(u'A' + a));
        if (!add(1, c1, nameFor(1, a, 0, 0, 0)))
            return;
        for (int b = 0; b < 12; ++b) {
            const QString c2 = c1 + QString::number(b);
            if (!add(2, c2, nameFor(2, a, b, 0, 0)))
                return;
            for (int c = 0; c < 10; ++c) {
                const QString c3 = c2 + QString::number(c);
                if (!add(3, c3, nameFor(3, a, b, c, 0)))
                    return;
                for (int d = 0; d < 18; ++d) {
                    if (!add(4, c3 + QLatin1Char('.') + QString::number(d), nameFor(4, a, b, c, d)))
                        return;
                }
            }
        }
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 50000;
    QTextStream out(stdout);

    QTemporaryDir dir;
    QElapsedTimer timer;
    timer.start();
    writeTable(dir.path(), rows);
    out << "table: " << rows << " rows written in " << timer.elapsed() << " ms\n";

    engine::Table table;
    table.setFolder(dir.path());
    entry::TFormTree picker(table);
    QLineEdit target;

    // Loading alone, as the picker does on every opening.
    constexpr int runs = 9;
    std::vector<double> loads;
    picker.SetActiveTarget(&target, QStringLiteral("ztflh.dbf"));
    for (int i = 0; i < runs; ++i) {
        timer.restart();
        if (!picker.FormShow()) {
            out << "loading failed\n";
            return 1;
        }
        loads.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    out << "nodes: " << picker.treeModel()->nodeCount() - 1 << "\n";

    // A whole opening: load, show, paint once, cancel.
    platform::UiHandler handler;
    const QString picture = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    handler.modal = [&picture](QWidget* window) {
        window->show();
        QApplication::processEvents();
        if (!picture.isEmpty()) {
            window->grab().save(picture);
        }
        window->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        return 0;
    };
    platform::setUiHandler(&handler);
    std::vector<double> openings;
    for (int i = 0; i < runs; ++i) {
        timer.restart();
        picker.OpenFor(&target, QStringLiteral("ztflh.dbf"));
        openings.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    platform::setUiHandler(nullptr);

    out << QStringLiteral("first load: %1 ms\n").arg(loads.front(), 0, 'f', 1);
    out << QStringLiteral(
               "load tree (close, open, build, select, expand): median %1 ms, min %2 ms over %3 runs\n")
               .arg(median(loads), 0, 'f', 1)
               .arg(*std::min_element(loads.begin(), loads.end()), 0, 'f', 1)
               .arg(runs);
    out << QStringLiteral("open picker (load + show + first paint + cancel): median %1 ms, min %2 ms\n")
               .arg(median(openings), 0, 'f', 1)
               .arg(*std::min_element(openings.begin(), openings.end()), 0, 'f', 1);
    return 0;
}
