// Renders the cover and the first data page of the printed registration form for a sample
// achievement into one PNG (the README's picture). Usage: render_sample DATA_FOLDER OUT.png
#include "print/report_pages.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

using namespace tamsel::print;

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_sample DATA_FOLDER OUT.png\n");
        return 2;
    }
    Prefetched sample;
    sample.achievement = Record{
        {"item_3", "城市污水高效生物脱氮除磷关键技术"},
        {"item_9", "示范市环境科学研究院"},
        {"item_128", "示范市科学技术局"},
        {"item_120", "9992008Y0001"},
        {"item_121", "2008-06-18"},
        {"item_8", "2004.03   至2007.12"},
        {"item_14", "污水处理;生物脱氮;除磷"},
        {"item_15", "610"},
        {"item_12", "X703"},
        {"item_123", "2"},
        {"item_16", "3"},
        {"item_2", "3"},
        {"item_33", "1"},
        {"item_125_1", "03"},
        {"item_201", "2"},
        {"item_124_1", "08;"},
        {"item_125", "24;04;"},
        {"item_126", "01;03;"},
        {"item_140", "7"},
        {"item_127", "2006BAC19B03"},
        {"item_127_1", "城镇污水深度处理技术研究与示范"},
        {"item_149", "860"},
        {"item_141", "300"},
        {"item_142", "260"},
        {"item_142_1", "160"},
        {"item_142_2", "100"},
        {"item_144", "300"},
    };
    for (const int list : {0, 1, 2, 3, 4}) {
        sample.rows.insert(list, {});
    }
    PrintData data(QString::fromLocal8Bit(argv[1]), {"2008000001", "."}, sample);
    const double pixelsPerMm = 4.0;
    QImage image(int(2 * PageWidth * pixelsPerMm) + 20, int(PageHeight * pixelsPerMm), QImage::Format_RGB32);
    image.fill(QColor(0xd0, 0xd0, 0xd0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    double x = 0;
    for (const char* name : {"Tyyfm1", "TyyPrint03"}) {
        auto page = createReportPage(QString::fromLatin1(name));
        page->setPageLabel(name == std::string("Tyyfm1") ? QString() : QStringLiteral("1"));
        page->prepare(data);
        painter.fillRect(QRectF(x, 0, PageWidth * pixelsPerMm, PageHeight * pixelsPerMm), Qt::white);
        painter.save();
        painter.translate(x, 0);
        drawSheet(painter, page->layout().first(), pixelsPerMm);
        painter.restore();
        x += PageWidth * pixelsPerMm + 20;
    }
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
