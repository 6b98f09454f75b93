// Draws the welcome picture (800x600 JPEG, quality 90) that the program embeds.
// Build and run by hand: see README.md beside this file.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("welcome.jpg");
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Deep blue to teal background.
    QLinearGradient bg(0, 0, 800, 600);
    bg.setColorAt(0.0, QColor(10, 32, 74));
    bg.setColorAt(0.55, QColor(18, 70, 120));
    bg.setColorAt(1.0, QColor(16, 110, 128));
    p.fillRect(image.rect(), bg);

    // Soft light behind the emblem.
    QRadialGradient glow(QPointF(400, 215), 260);
    glow.setColorAt(0.0, QColor(255, 255, 255, 60));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), glow);

    // A faint grid, like graph paper.
    p.setPen(QPen(QColor(255, 255, 255, 14), 1));
    for (int x = 0; x <= 800; x += 40) {
        p.drawLine(x, 0, x, 600);
    }
    for (int y = 0; y <= 600; y += 40) {
        p.drawLine(0, y, 800, y);
    }

    // Emblem: a nucleus with three orbits.
    const QPointF centre(400, 200);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(i * 60.0);
        p.setPen(QPen(QColor(170, 215, 255, 200), 3));
        p.drawEllipse(QPointF(0, 0), 110, 38);
        p.restore();
    }
    QRadialGradient core(centre, 26);
    core.setColorAt(0.0, QColor(255, 236, 170));
    core.setColorAt(1.0, QColor(230, 160, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(core);
    p.drawEllipse(centre, 24, 24);
    for (int i = 0; i < 3; ++i) {
        const double a = (i * 60.0 + 25.0) * M_PI / 180.0;
        const double t = 0.9 + i * 1.7;
        const QPointF local(110 * std::cos(t), 38 * std::sin(t));
        const QPointF e(centre.x() + local.x() * std::cos(a - 25.0 * M_PI / 180.0) -
                            local.y() * std::sin(a - 25.0 * M_PI / 180.0),
                        centre.y() + local.x() * std::sin(a - 25.0 * M_PI / 180.0) +
                            local.y() * std::cos(a - 25.0 * M_PI / 180.0));
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(e, 6, 6);
    }

    // Titles.
    auto drawCentred = [&](const QString& text, int pixelSize, int weight, QColor colour, int y) {
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPixelSize(pixelSize);
        font.setWeight(QFont::Weight(weight));
        p.setFont(font);
        p.setPen(QColor(0, 0, 0, 90));
        p.drawText(QRect(2, y + 2, 800, pixelSize * 2), Qt::AlignHCenter | Qt::AlignTop, text);
        p.setPen(colour);
        p.drawText(QRect(0, y, 800, pixelSize * 2), Qt::AlignHCenter | Qt::AlignTop, text);
    };
    drawCentred(QStringLiteral("Tamsel"), 40, QFont::Bold, QColor(255, 214, 120), 318);
    drawCentred(QStringLiteral("科技成果登记系统"), 48, QFont::Bold, Qt::white, 372);
    drawCentred(QStringLiteral("简易版 V6.0"), 26, QFont::Normal, QColor(200, 228, 255), 442);

    // Rule and footer.
    p.setPen(QPen(QColor(255, 214, 120, 180), 2));
    p.drawLine(250, 494, 550, 494);
    drawCentred(QStringLiteral("正在启动，请稍候……"), 16, QFont::Normal, QColor(220, 235, 250), 540);
    p.end();

    return image.save(out, "JPEG", 90) ? 0 : 1;
}
