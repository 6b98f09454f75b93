#pragma once

#include "print/formvalues.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace tamsel::print {

// The page layer of the printed registration form: pages are drawn in millimetres on A4
// portrait sheets, first into a list of drawing items (so a page knows how many sheets it
// needs before anything is printed), then onto any paged device: printer, preview or PDF.

inline constexpr double PageWidth = 210.0;
inline constexpr double PageHeight = 297.0;
inline constexpr double Left = 20.0;
inline constexpr double Right = 190.0;
inline constexpr double Top = 18.0;
inline constexpr double Bottom = 276.0;

// The form's typeface: 宋体 where the system has it, Noto Serif CJK SC otherwise; size in points.
QFont formFont(double points, bool bold = false);

struct SheetItem {
    enum class Kind { Text, Line, Box };
    Kind kind = Kind::Text;
    QRectF rect; // millimetres; a line runs from topLeft to bottomRight
    QString text;
    double points = 10.5;
    int flags = 0;
    bool bold = false;
    double pen = 0.25; // millimetres
};

// One printed sheet.
class Sheet {
public:
    // Text in a box; wrapped, and made smaller (down to 6 pt) when it would not fit.
    void text(const QRectF& mm, const QString& text, double points = 10.5,
              int flags = Qt::AlignLeft | Qt::AlignVCenter, bool bold = false);
    void line(const QPointF& from, const QPointF& to, double pen = 0.25);
    void box(const QRectF& mm, double pen = 0.25);
    // A tick box followed by its option text; ticked shows "√" inside. Returns the width used.
    double tick(const QPointF& at, const QString& caption, bool ticked, double points = 9.0);
    const QList<SheetItem>& items() const { return m_items; }

private:
    QList<SheetItem> m_items;
};

// Width in millimetres of a text in the form font.
double textWidth(const QString& text, double points, bool bold = false);
// The lines a text breaks into within a width (hard breaks kept).
QStringList wrapText(const QString& text, double width, double points);
// The largest size up to points at which the text fits the box, 6 at least.
double fittingSize(const QString& text, const QSizeF& mm, double points);

// A cell of a form row: a caption (centred) or a value (left, wrapped); width 0 takes what
// the row has left.
struct Cell {
    double width = 0;
    QString text;
    bool caption = false;
};
// A row of boxed cells from the left to the right margin; returns its bottom.
double cellRow(Sheet& sheet, double y, double height, const QList<Cell>& cells, double points = 10);
// A section heading ("一、成果概况"); returns the y below it.
double heading(Sheet& sheet, double y, const QString& text);

class ReportPage;

// Lays sheets out top to bottom: keeps the current height and starts a new sheet, with the
// page's running label or counter at its foot, when a band does not fit.
class Composer {
public:
    explicit Composer(const ReportPage& page);
    Sheet& sheet() { return m_sheets.last(); }
    double y = Top;
    // Starts a new sheet when height does not fit below y; true when it did.
    bool ensure(double height);
    void newSheet();
    QList<Sheet> finish();

private:
    const ReportPage& m_page;
    QList<Sheet> m_sheets;
};

// One page of the form (or a run of sheets, for the lists), named as the form names it.
// Labels are the page's named texts: data texts, tick boxes (QL_…, "√" or empty) and the
// running page label; preparing fills them from the achievement, laying out draws them.
class ReportPage {
public:
    explicit ReportPage(QString name);
    virtual ~ReportPage();
    ReportPage(const ReportPage&) = delete;
    ReportPage& operator=(const ReportPage&) = delete;

    const QString& name() const { return m_name; }

    // Fills the labels from the achievement; a static page has nothing to fill.
    virtual void prepare(PrintData& data);

    void setCaption(const QString& label, const QString& text);
    QString caption(const QString& label) const;
    void setLabelEnabled(const QString& label, bool enabled);
    bool labelEnabled(const QString& label) const;
    QStringList labelNames() const;

    // The running page label ("6") and the counter prefix ("6--"): a single sheet shows the
    // label while it is enabled; a page run onto more sheets, or one whose label is disabled,
    // shows the prefix and the sheet's number.
    void setPageLabel(const QString& label) { setCaption(QStringLiteral("PageLabel"), label); }
    void setCounterPrefix(const QString& prefix) { m_counterPrefix = prefix; }
    QString footer(int sheetNumber, int sheets) const;

    // The sheets of the page as prepared now.
    QList<Sheet> layout() const;
    int pageCount() const { return int(layout().size()); }

protected:
    virtual void compose(Composer& composer) const = 0;

    // Tick boxes of a field: one QL_<field>_<code> label per option; the options' texts are
    // kept for drawing.
    void declareTicks(const QString& field, const QList<std::pair<QString, QString>>& options);
    void declareTicks(PrintData& data, const QString& field, const QString& list = {});
    const QList<std::pair<QString, QString>>& tickOptions(const QString& field) const;
    // Clears every tick box whose name holds "ITEM" or "patent" after its third character.
    void clearTicks();
    // Marks the boxes of a value: its first three ";"-separated codes, or the whole value.
    void setTicks(const QString& field, const QString& value);
    bool ticked(const QString& field, const QString& code) const;

    // Draws a field's tick boxes row by row from x to the right margin; returns the height.
    double drawTicks(Sheet& sheet, const QString& field, double x, double y, double right = Right,
                     double rowHeight = 5.5) const;
    // A boxed form row: the caption at the left, the field's tick boxes at the right. Returns
    // its bottom; starts a new sheet first when it does not fit.
    double tickRow(Composer& composer, const QString& caption, const QString& field,
                   double captionWidth = 34) const;

private:
    QString m_name;
    QHash<QString, QString> m_captions;
    QHash<QString, bool> m_enabled;
    QHash<QString, QList<std::pair<QString, QString>>> m_options;
    QString m_counterPrefix;
};

// Draws sheets onto a paged device (QPrinter, QPdfWriter), one after another in one job.
// Returns false when the device cannot be painted on.
bool renderSheets(QPagedPaintDevice& device, const QList<Sheet>& sheets);
// Draws one sheet with the painter, whose device is an A4 page of the given size in pixels.
void drawSheet(QPainter& painter, const Sheet& sheet, double pixelsPerMm);

// Writes sheets into a PDF file; false when the file cannot be written.
bool writePdf(const QString& path, const QList<Sheet>& sheets, const QString& title = {});

} // namespace tamsel::print
