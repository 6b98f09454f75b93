// The page layer of the printed form: sheets of drawing items in millimetres, laid out by the
// report pages and drawn onto printers, previews and PDF files.
#include "print/report_page.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <cmath>

namespace tamsel::print {
namespace {

// Fonts are sized in tenths of a millimetre, the unit the painter draws in, so measuring
// and drawing agree on every device.
constexpr double Unit = 10.0;

int pixelSize(double points) {
    return std::max(1, int(std::lround(points * 25.4 / 72.0 * Unit)));
}

QRectF units(const QRectF& mm) {
    return {mm.x() * Unit, mm.y() * Unit, mm.width() * Unit, mm.height() * Unit};
}

} // namespace

QFont formFont(double points, bool bold) {
    QFont font;
    // Latin letters and digits from DejaVu Serif where 宋体 is missing: the CJK font's own
    // digits reach PDF text extraction without their characters.
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("DejaVu Serif"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixelSize(points));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double textWidth(const QString& text, double points, bool bold) {
    return QFontMetricsF(formFont(points, bold)).horizontalAdvance(text) / Unit;
}

QStringList wrapText(const QString& text, double width, double points) {
    QStringList lines;
    const QFont font = formFont(points);
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    for (const QString& paragraph : normalized.split(u'\n')) {
        if (paragraph.isEmpty()) {
            lines.append(QString());
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width * Unit);
            lines.append(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
    }
    return lines;
}

double fittingSize(const QString& text, const QSizeF& mm, double points) {
    // One line at a slightly smaller size reads better than a word broken over two.
    if (!text.contains(u'\n') && !text.contains(u'\r')) {
        for (double size = points; size >= std::min(points, 7.5); size -= 0.5) {
            if (QFontMetricsF(formFont(size)).horizontalAdvance(text) <= mm.width() * Unit) {
                return size;
            }
        }
    }
    double size = points;
    for (; size > 6.0; size -= 0.5) {
        const QRectF needed = QFontMetricsF(formFont(size))
                                  .boundingRect(QRectF(0, 0, mm.width() * Unit, 1e6),
                                                Qt::TextWordWrap | Qt::TextWrapAnywhere, text);
        if (needed.width() <= mm.width() * Unit + 0.5 && needed.height() <= mm.height() * Unit + 0.5) {
            break;
        }
    }
    return std::max(size, 6.0);
}

// ---------------------------------------------------------------------------------------------
// Sheet

void Sheet::text(const QRectF& mm, const QString& text, double points, int flags, bool bold) {
    if (text.isEmpty()) {
        return;
    }
    SheetItem item;
    item.kind = SheetItem::Kind::Text;
    item.rect = mm;
    item.text = text;
    item.points = bold ? points : fittingSize(text, mm.size(), points);
    item.flags = flags;
    item.bold = bold;
    m_items.append(item);
}

void Sheet::line(const QPointF& from, const QPointF& to, double pen) {
    SheetItem item;
    item.kind = SheetItem::Kind::Line;
    item.rect = QRectF(from, to);
    item.pen = pen;
    m_items.append(item);
}

void Sheet::box(const QRectF& mm, double pen) {
    SheetItem item;
    item.kind = SheetItem::Kind::Box;
    item.rect = mm;
    item.pen = pen;
    m_items.append(item);
}

double Sheet::tick(const QPointF& at, const QString& caption, bool ticked, double points) {
    const double side = 3.2;
    box(QRectF(at.x(), at.y() - side / 2, side, side), 0.2);
    if (ticked) {
        text(QRectF(at.x() - 0.5, at.y() - side / 2 - 0.5, side + 1, side + 1), QStringLiteral("√"), points,
             Qt::AlignCenter);
    }
    const double width = textWidth(caption, points) + 0.5;
    text(QRectF(at.x() + side + 0.8, at.y() - 2.5, width, 5), caption, points,
         Qt::AlignLeft | Qt::AlignVCenter);
    return side + 0.8 + width;
}

// ---------------------------------------------------------------------------------------------
// Composer

Composer::Composer(const ReportPage& page) : m_page(page) {
    m_sheets.append(Sheet());
}

bool Composer::ensure(double height) {
    if (y + height <= Bottom + 0.01 || y <= Top + 0.01) {
        return false;
    }
    newSheet();
    return true;
}

void Composer::newSheet() {
    m_sheets.append(Sheet());
    y = Top;
}

QList<Sheet> Composer::finish() {
    for (int i = 0; i < m_sheets.size(); ++i) {
        const QString footer = m_page.footer(i + 1, int(m_sheets.size()));
        if (!footer.isEmpty()) {
            m_sheets[i].text(QRectF(Left, 283, Right - Left, 6),
                             QStringLiteral("— ") + footer + QStringLiteral(" —"), 9, Qt::AlignCenter);
        }
    }
    return m_sheets;
}

// ---------------------------------------------------------------------------------------------
// ReportPage

ReportPage::ReportPage(QString name) : m_name(std::move(name)) {
    setLabelEnabled(QStringLiteral("PageLabel"), true);
}

ReportPage::~ReportPage() = default;

void ReportPage::prepare(PrintData&) {}

void ReportPage::setCaption(const QString& label, const QString& text) {
    m_captions.insert(label, text);
}

QString ReportPage::caption(const QString& label) const {
    return m_captions.value(label);
}

void ReportPage::setLabelEnabled(const QString& label, bool enabled) {
    m_enabled.insert(label, enabled);
}

bool ReportPage::labelEnabled(const QString& label) const {
    return m_enabled.value(label, true);
}

QStringList ReportPage::labelNames() const {
    QStringList names = m_captions.keys();
    names.sort();
    return names;
}

QString ReportPage::footer(int sheetNumber, int sheets) const {
    if (labelEnabled(QStringLiteral("PageLabel")) && (sheets == 1 || m_counterPrefix.isEmpty())) {
        return caption(QStringLiteral("PageLabel"));
    }
    return m_counterPrefix + QString::number(sheetNumber);
}

QList<Sheet> ReportPage::layout() const {
    Composer composer(*this);
    compose(composer);
    return composer.finish();
}

void ReportPage::declareTicks(const QString& field, const QList<std::pair<QString, QString>>& options) {
    m_options.insert(field, options);
    for (const auto& [code, text] : options) {
        const QString label = QStringLiteral("QL_") + field + u'_' + code;
        if (!m_captions.contains(label)) {
            m_captions.insert(label, QString());
        }
    }
}

void ReportPage::declareTicks(PrintData& data, const QString& field, const QString& list) {
    declareTicks(field, data.options(list.isEmpty() ? field.toLower() : list));
}

const QList<std::pair<QString, QString>>& ReportPage::tickOptions(const QString& field) const {
    static const QList<std::pair<QString, QString>> none;
    auto it = m_options.constFind(field);
    return it == m_options.constEnd() ? none : it.value();
}

void ReportPage::clearTicks() {
    for (auto it = m_captions.begin(); it != m_captions.end(); ++it) {
        const QString rest = it.key().mid(3);
        if (rest.contains(QStringLiteral("ITEM")) || rest.contains(QStringLiteral("patent"))) {
            it.value().clear();
        }
    }
}

void ReportPage::setTicks(const QString& field, const QString& value) {
    QStringList codes;
    if (value.contains(u';')) {
        codes = value.split(u';');
        codes.removeLast(); // only the parts before a ";" are codes
        codes = codes.mid(0, 3);
    } else {
        codes = {value};
    }
    for (const QString& code : codes) {
        const QString trimmed = code.trimmed();
        const QString label = QStringLiteral("QL_") + field + u'_' + trimmed;
        if (!trimmed.isEmpty() && m_captions.contains(label)) {
            m_captions.insert(label, QStringLiteral("√"));
        }
    }
}

bool ReportPage::ticked(const QString& field, const QString& code) const {
    return !caption(QStringLiteral("QL_") + field + u'_' + code).isEmpty();
}

double ReportPage::drawTicks(Sheet& sheet, const QString& field, double x, double y, double right,
                             double rowHeight) const {
    double cx = x;
    double cy = y + rowHeight / 2;
    for (const auto& [code, text] : tickOptions(field)) {
        const QString shown = code + u'.' + text;
        const double width = 3.2 + 0.8 + textWidth(shown, 9) + 3.0;
        if (cx + width > right && cx > x) {
            cx = x;
            cy += rowHeight;
        }
        cx += sheet.tick(QPointF(cx, cy), shown, ticked(field, code)) + 2.5;
    }
    return cy + rowHeight / 2 - y;
}

double ReportPage::tickRow(Composer& composer, const QString& caption, const QString& field,
                           double captionWidth) const {
    Sheet scratch;
    const double height = std::max(7.0, drawTicks(scratch, field, Left + captionWidth + 2, 0) + 1.5);
    composer.ensure(height);
    Sheet& sheet = composer.sheet();
    const double y = composer.y;
    sheet.box(QRectF(Left, y, captionWidth, height));
    sheet.text(QRectF(Left + 1, y, captionWidth - 2, height), caption, 10, Qt::AlignCenter);
    sheet.box(QRectF(Left + captionWidth, y, Right - Left - captionWidth, height));
    drawTicks(sheet, field, Left + captionWidth + 2, y + 0.75);
    composer.y = y + height;
    return composer.y;
}

double cellRow(Sheet& sheet, double y, double height, const QList<Cell>& cells, double points) {
    double fixed = 0;
    int open = 0;
    for (const Cell& cell : cells) {
        fixed += cell.width;
        open += cell.width <= 0 ? 1 : 0;
    }
    const double rest = open > 0 ? std::max(0.0, (Right - Left - fixed) / open) : 0;
    double x = Left;
    for (const Cell& cell : cells) {
        const double width = cell.width > 0 ? cell.width : rest;
        const QRectF box(x, y, width, height);
        sheet.box(box);
        sheet.text(box.adjusted(1, 0.3, -1, -0.3), cell.text, points,
                   cell.caption ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter));
        x += width;
    }
    return y + height;
}

double heading(Sheet& sheet, double y, const QString& text) {
    sheet.text(QRectF(Left, y + 1, Right - Left, 7), text, 12, Qt::AlignLeft | Qt::AlignVCenter, true);
    return y + 9;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void drawSheet(QPainter& painter, const Sheet& sheet, double pixelsPerMm) {
    painter.save();
    painter.scale(pixelsPerMm / Unit, pixelsPerMm / Unit);
    for (const SheetItem& item : sheet.items()) {
        switch (item.kind) {
        case SheetItem::Kind::Text:
            painter.setFont(formFont(item.points, item.bold));
            painter.setPen(Qt::black);
            painter.drawText(units(item.rect), item.flags | Qt::TextWordWrap | Qt::TextWrapAnywhere,
                             item.text);
            break;
        case SheetItem::Kind::Line:
            painter.setPen(QPen(Qt::black, item.pen * Unit));
            painter.drawLine(units(item.rect).topLeft(), units(item.rect).bottomRight());
            break;
        case SheetItem::Kind::Box:
            painter.setPen(QPen(Qt::black, item.pen * Unit));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(units(item.rect));
            break;
        }
    }
    painter.restore();
}

bool renderSheets(QPagedPaintDevice& device, const QList<Sheet>& sheets) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The painter's origin is the page's printable area: draw the form where the paper is.
    const QPageLayout layout = device.pageLayout();
    const double pixelsPerMm = device.logicalDpiX() / 25.4;
    const QRectF margins = layout.paintRect(QPageLayout::Millimeter);
    for (int i = 0; i < sheets.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        painter.save();
        painter.translate(-margins.left() * pixelsPerMm, -margins.top() * pixelsPerMm);
        drawSheet(painter, sheets.at(i), pixelsPerMm);
        painter.restore();
    }
    return painter.end();
}

bool writePdf(const QString& path, const QList<Sheet>& sheets, const QString& title) {
    QPdfWriter writer(path);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Tamsel"));
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    return renderSheets(writer, sheets);
}

} // namespace tamsel::print
