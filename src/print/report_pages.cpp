// The pages both groups of the form share in kind: static texts, covers, the summary, the
// registration page, the unit page and the lists of people; and which pages make up each group.
#include "print/report_pages.h"

#include <QFile>
#include <span>

namespace tamsel::print {
namespace {

QString trimmed(PrintData& data, const char* field) {
    return data.field(QString::fromLatin1(field)).trimmed();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// StaticPage

StaticPage::StaticPage(QString name, QString resource)
    : ReportPage(std::move(name)), m_resource(std::move(resource)) {}

QString StaticPage::text() const {
    QFile file(QStringLiteral(":/reports/") + m_resource);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

void StaticPage::compose(Composer& composer) const {
    // First line the title; "## " starts a heading; other lines are paragraphs, and a line
    // that begins with a blank keeps its place as an entry of a list.
    QStringList lines = text().split(u'\n');
    if (lines.isEmpty()) {
        return;
    }
    const QString title = lines.takeFirst().trimmed();
    composer.sheet().text(QRectF(Left, composer.y, Right - Left, 12), title, 16, Qt::AlignCenter, true);
    composer.y += 16;
    const double lineHeight = 6.2;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty()) {
            composer.y += 2;
            continue;
        }
        if (line.startsWith(QStringLiteral("## "))) {
            composer.ensure(lineHeight * 3);
            composer.sheet().text(QRectF(Left, composer.y, Right - Left, lineHeight + 1),
                                  line.mid(3).trimmed(), 11, Qt::AlignLeft | Qt::AlignVCenter, true);
            composer.y += lineHeight + 1.5;
            continue;
        }
        const bool entry = line.startsWith(u' ');
        const QString paragraph = entry ? line.trimmed() : QStringLiteral("　　") + line.trimmed();
        const double indent = entry ? 8 : 0;
        for (const QString& part : wrapText(paragraph, Right - Left - indent, 10.5)) {
            composer.ensure(lineHeight);
            composer.sheet().text(QRectF(Left + indent, composer.y, Right - Left - indent, lineHeight), part,
                                  10.5, Qt::AlignLeft | Qt::AlignVCenter);
            composer.y += lineHeight;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// CoverPage

CoverPage::CoverPage(QString name, QString category)
    : ReportPage(std::move(name)), m_category(std::move(category)) {}

void CoverPage::prepare(PrintData& data) {
    for (const char* label :
         {"item_8_1", "item_8_2", "item_8_3", "item_8_4", "item_121_1", "item_121_2", "item_121_3"}) {
        setCaption(QString::fromLatin1(label), QString());
    }
    const QString period = data.field(QStringLiteral("ITEM_8"));
    if (!period.isEmpty()) {
        const QString start = period.left(7);
        const QString end = period.right(7);
        setCaption(QStringLiteral("item_8_1"), start.left(4));
        setCaption(QStringLiteral("item_8_2"), start.mid(5, 2));
        setCaption(QStringLiteral("item_8_3"), end.left(4));
        setCaption(QStringLiteral("item_8_4"), end.mid(5, 2));
    }
    const QString date = data.field(QStringLiteral("ITEM_121"));
    if (!date.isEmpty()) {
        const QStringList parts = date.split(u'-');
        for (int i = 0; i < 3; ++i) {
            setCaption(QStringLiteral("item_121_%1").arg(i + 1), parts.value(i));
        }
    }
    setCaption(QStringLiteral("item_3"), trimmed(data, "ITEM_3"));
    setCaption(QStringLiteral("item_9"), trimmed(data, "ITEM_9"));
    setCaption(QStringLiteral("item_128"), trimmed(data, "ITEM_128"));
    setCaption(QStringLiteral("item_120"), trimmed(data, "ITEM_120"));
}

void CoverPage::compose(Composer& composer) const {
    Sheet& sheet = composer.sheet();
    // Registration number box at the top right, as the paper form has it.
    sheet.text(QRectF(120, 22, 25, 8), QStringLiteral("登记号"), 10.5, Qt::AlignRight | Qt::AlignVCenter);
    sheet.box(QRectF(146, 22, 44, 8));
    sheet.text(QRectF(147, 22, 42, 8), caption(QStringLiteral("item_120")), 10.5);
    sheet.text(QRectF(Left, 60, Right - Left, 16), QStringLiteral("科 技 成 果 登 记 表"), 26,
               Qt::AlignCenter, true);
    sheet.text(QRectF(Left, 80, Right - Left, 10), m_category, 14, Qt::AlignCenter);

    const double labelX = 40;
    const double valueX = 72;
    const double valueWidth = 108;
    double y = 120;
    const auto field = [&](const QString& label, const QString& value) {
        sheet.text(QRectF(labelX, y, valueX - labelX, 12), label, 13, Qt::AlignLeft | Qt::AlignBottom);
        sheet.text(QRectF(valueX, y, valueWidth, 12), value, 12, Qt::AlignLeft | Qt::AlignBottom);
        sheet.line(QPointF(valueX, y + 12.5), QPointF(valueX + valueWidth, y + 12.5), 0.3);
        y += 18;
    };
    field(QStringLiteral("成果名称："), caption(QStringLiteral("item_3")));
    field(QStringLiteral("完成单位："), caption(QStringLiteral("item_9")));
    field(QStringLiteral("推荐单位："), caption(QStringLiteral("item_128")));

    // Dates in boxes: one box per digit group, with 年 and 月 (and 日) between.
    const auto boxes = [&](double x, double top, const QList<std::pair<QString, QString>>& parts) {
        for (const auto& [label, unit] : parts) {
            const double width = unit == QStringLiteral("年") ? 16 : 10;
            sheet.box(QRectF(x, top, width, 8));
            sheet.text(QRectF(x, top, width, 8), caption(label), 12, Qt::AlignCenter);
            x += width + 1;
            sheet.text(QRectF(x, top, 7, 8), unit, 12, Qt::AlignLeft | Qt::AlignVCenter);
            x += 7;
        }
        return x;
    };
    sheet.text(QRectF(labelX, y + 2, valueX - labelX, 8), QStringLiteral("研究起止时间："), 13,
               Qt::AlignLeft | Qt::AlignVCenter);
    double x = boxes(valueX, y + 2,
                     {{QStringLiteral("item_8_1"), QStringLiteral("年")},
                      {QStringLiteral("item_8_2"), QStringLiteral("月")}});
    sheet.text(QRectF(x, y + 2, 8, 8), QStringLiteral("至"), 12, Qt::AlignCenter);
    boxes(x + 9, y + 2,
          {{QStringLiteral("item_8_3"), QStringLiteral("年")},
           {QStringLiteral("item_8_4"), QStringLiteral("月")}});
    y += 18;
    sheet.text(QRectF(labelX, y + 2, valueX - labelX, 8), QStringLiteral("登记日期："), 13,
               Qt::AlignLeft | Qt::AlignVCenter);
    boxes(valueX, y + 2,
          {{QStringLiteral("item_121_1"), QStringLiteral("年")},
           {QStringLiteral("item_121_2"), QStringLiteral("月")},
           {QStringLiteral("item_121_3"), QStringLiteral("日")}});
}

Tyyfm1::Tyyfm1() : CoverPage(QStringLiteral("Tyyfm1"), QStringLiteral("（应用技术类成果）")) {}
Trjfm1::Trjfm1() : CoverPage(QStringLiteral("Trjfm1"), QStringLiteral("（软科学、基础理论类成果）")) {}

// ---------------------------------------------------------------------------------------------
// SummaryPage

void SummaryPage::prepare(PrintData& data) {
    setCaption(QStringLiteral("item_13"), data.field(QStringLiteral("ITEM_13")).trimmed());
    setCaption(QStringLiteral("item_3"), trimmed(data, "ITEM_3"));
}

void SummaryPage::compose(Composer& composer) const {
    // The summary continues on further sheets when it is longer than one box; every sheet
    // carries the heading and its own frame.
    const double lineHeight = 6.2;
    const QStringList lines = wrapText(caption(QStringLiteral("item_13")), Right - Left - 6, 10.5);
    int next = 0;
    do {
        if (next > 0) {
            composer.newSheet();
        }
        Sheet& sheet = composer.sheet();
        double y =
            heading(sheet, composer.y,
                    next == 0 ? QStringLiteral("成果简介（800字以内）") : QStringLiteral("成果简介（续）"));
        const double top = y;
        y += 2;
        while (next < lines.size() && y + lineHeight <= Bottom - 2) {
            sheet.text(QRectF(Left + 3, y, Right - Left - 6, lineHeight), lines.at(next), 10.5,
                       Qt::AlignLeft | Qt::AlignVCenter);
            y += lineHeight;
            ++next;
        }
        sheet.box(QRectF(Left, top, Right - Left, Bottom - top));
        composer.y = Bottom;
    } while (next < lines.size());
}

// ---------------------------------------------------------------------------------------------
// RegistrationPage

void RegistrationPage::prepare(PrintData& data) {
    for (int i = 1; i <= 3; ++i) {
        setCaption(QStringLiteral("item_121_%1").arg(i), QString());
    }
    // An empty date leaves the labels empty rather than printing a made-up day.
    QString date = data.field(QStringLiteral("ITEM_121"));
    date.remove(u'-');
    if (date.size() == 8) {
        setCaption(QStringLiteral("item_121_1"), date.left(4));
        setCaption(QStringLiteral("item_121_2"), date.mid(4, 2));
        setCaption(QStringLiteral("item_121_3"), date.mid(6, 2));
    }
    setCaption(QStringLiteral("item_120"), trimmed(data, "ITEM_120"));
}

void RegistrationPage::compose(Composer& composer) const {
    Sheet& sheet = composer.sheet();
    double y = heading(sheet, composer.y, QStringLiteral("登记材料清单"));
    const QStringList materials = {
        QStringLiteral("1. 科技成果登记表"),
        QStringLiteral("2. 评价证明（鉴定证书、验收报告、评审意见或检测报告等）"),
        QStringLiteral("3. 研究工作报告或技术报告"),
        QStringLiteral("4. 知识产权证明（专利证书、软件著作权登记证书等）"),
        QStringLiteral("5. 应用证明及经济效益、社会效益证明"),
        QStringLiteral("6. 其他有关材料"),
    };
    const double top = y;
    y += 2;
    for (const QString& each : materials) {
        sheet.text(QRectF(Left + 4, y, Right - Left - 24, 7), each, 10.5);
        sheet.box(QRectF(Right - 12, y + 1.75, 3.5, 3.5), 0.2);
        y += 7.5;
    }
    sheet.box(QRectF(Left, top, Right - Left, y + 2 - top));
    y += 8;
    y = heading(sheet, y, QStringLiteral("批准登记单位意见"));
    const double box = y;
    sheet.box(QRectF(Left, box, Right - Left, 110));
    sheet.text(QRectF(Left + 4, box + 4, Right - Left - 8, 8), QStringLiteral("经审查，同意登记。"), 11);
    sheet.text(QRectF(Left + 4, box + 70, 40, 8), QStringLiteral("批准登记号："), 11);
    sheet.text(QRectF(Left + 32, box + 70, 60, 8), caption(QStringLiteral("item_120")), 11);
    sheet.text(QRectF(110, box + 80, 70, 8), QStringLiteral("（登记单位盖章）"), 11, Qt::AlignCenter);
    double x = 118;
    const double dateY = box + 92;
    for (const auto& [label, unit] :
         {std::pair{"item_121_1", "年"}, std::pair{"item_121_2", "月"}, std::pair{"item_121_3", "日"}}) {
        const double width = QString::fromLatin1(label).endsWith(u'1') ? 14 : 8;
        sheet.text(QRectF(x, dateY, width, 8), caption(QString::fromLatin1(label)), 11, Qt::AlignCenter);
        sheet.line(QPointF(x, dateY + 7.5), QPointF(x + width, dateY + 7.5), 0.2);
        x += width + 1;
        sheet.text(QRectF(x, dateY, 6, 8), QString::fromUtf8(unit), 11);
        x += 7;
    }
    composer.y = box + 110;
}

// ---------------------------------------------------------------------------------------------
// PeoplePage

namespace {

QString mapped(const QString& code, std::initializer_list<std::pair<const char*, const char*>> table) {
    const QString trimmedCode = code.trimmed();
    for (const auto& [from, to] : table) {
        if (trimmedCode == QString::fromLatin1(from)) {
            return QString::fromUtf8(to);
        }
    }
    return {};
}

QString sexText(const QString& code) {
    return mapped(code, {{"0", "男"}, {"1", "女"}});
}

QString titleText(const QString& code, bool academicians) {
    if (academicians) {
        const QString extra = mapped(code, {{"a", "两院院士"}, {"b", "中科院院士"}, {"c", "工程院院士"}});
        if (!extra.isEmpty()) {
            return extra;
        }
    }
    return mapped(code,
                  {{"1", "院士"}, {"2", "正高"}, {"3", "副高"}, {"4", "中级"}, {"5", "初级"}, {"9", "其他"}});
}

struct Column {
    const char* caption;
    double width;
};

constexpr Column CompleterColumns[] = {
    {"序号", 9},      {"姓名", 16},     {"性别", 9},      {"出生年月", 17},
    {"技术职称", 18}, {"文化程度", 17}, {"工作单位", 33}, {"对成果创造性贡献", 39},
    {"留学归国", 12}};
constexpr Column CommitteeColumns[] = {{"序号", 9},        {"评价委员会职务", 20}, {"姓名", 16},
                                       {"性别", 9},        {"工作单位", 36},       {"所学专业", 22},
                                       {"现从事专业", 22}, {"职称", 14},           {"职务", 12}};

} // namespace

PeoplePage::PeoplePage(QString name, bool committee) : ReportPage(std::move(name)), m_committee(committee) {}

void PeoplePage::prepare(PrintData& data) {
    m_rows.clear();
    const auto list = m_committee ? PrintData::List::Committee : PrintData::List::Completers;
    for (const Record& row : data.rows(list)) {
        const auto text = [&](const char* field) { return row.value(QString::fromLatin1(field)).trimmed(); };
        if (m_committee) {
            m_rows.append({text("item_190"), text("item_191"), text("item_192"), sexText(text("item_193")),
                           text("item_195"), text("item_196"), text("item_197"),
                           titleText(text("item_198"), false), text("item_199")});
        } else {
            m_rows.append({text("item_187"), text("item_180"), sexText(text("item_181")), text("item_182"),
                           titleText(text("item_183"), true),
                           mapped(text("item_184"), {{"2", "博士研究生"},
                                                     {"3", "硕士研究生"},
                                                     {"4", "大本"},
                                                     {"5", "大专"},
                                                     {"6", "中专"},
                                                     {"9", "其他"}}),
                           text("item_185"), text("item_186"),
                           mapped(text("item_188"), {{"1", "是"}, {"0", "否"}})});
        }
    }
    // The list closes with one empty row, room for a hand-written addition.
    m_rows.append(QStringList(9, QString()));
    // The fixed page label up to a sheet's worth of people, the running counter beyond.
    setLabelEnabled(QStringLiteral("PageLabel"), m_rows.size() - 1 < counterFrom());
}

void PeoplePage::compose(Composer& composer) const {
    const QString title = m_committee ? QStringLiteral("评价委员会名单") : QStringLiteral("成果完成人员名单");
    QList<Cell> header;
    QList<double> widths;
    for (const Column& column : m_committee ? std::span<const Column>(CommitteeColumns)
                                            : std::span<const Column>(CompleterColumns)) {
        header.append({column.width, QString::fromUtf8(column.caption), true});
        widths.append(column.width);
    }
    // One sheet holds the rows up to the counter switch, the closing empty row included.
    const int perSheet = counterFrom();
    const double rowHeight = (Bottom - Top - 9 - 12) / perSheet;
    for (int first = 0; first < m_rows.size(); first += perSheet) {
        if (first > 0) {
            composer.newSheet();
        }
        Sheet& sheet = composer.sheet();
        double y = heading(sheet, composer.y, first == 0 ? title : title + QStringLiteral("（续）"));
        y = cellRow(sheet, y, 12, header, 9);
        for (int i = first; i < std::min<int>(int(m_rows.size()), first + perSheet); ++i) {
            QList<Cell> cells;
            for (int c = 0; c < widths.size(); ++c) {
                cells.append(
                    {widths.at(c), m_rows.at(i).value(c), c == 0 || c == 2 || (!m_committee && c == 8)});
            }
            y = cellRow(sheet, y, rowHeight, cells, 9);
        }
        composer.y = y;
    }
}

// ---------------------------------------------------------------------------------------------
// UnitPage

UnitPage::UnitPage(QString name, bool applied) : ReportPage(std::move(name)), m_applied(applied) {}

void UnitPage::prepare(PrintData& data) {
    // Pages are reused from one achievement to the next: clear every box before setting.
    declareTicks(data, QStringLiteral("ITEM_62"));
    declareTicks(data, QStringLiteral("ITEM_41_3"));
    declareTicks(QStringLiteral("ITEM_163"),
                 {{QStringLiteral("1"), QStringLiteral("属于科研机构转制型企业")}});
    if (!m_applied) {
        declareTicks(data, QStringLiteral("ITEM_21"), QStringLiteral("item_21_l"));
    }
    clearTicks();
    setTicks(QStringLiteral("ITEM_41_3"), data.field(QStringLiteral("ITEM_41_3")));
    setTicks(QStringLiteral("ITEM_62"), data.field(QStringLiteral("ITEM_62")));
    setTicks(QStringLiteral("ITEM_163"), data.field(QStringLiteral("ITEM_163")));
    if (!m_applied) {
        setTicks(QStringLiteral("ITEM_21"), data.field(QStringLiteral("ITEM_21")));
        // The evaluation date is text, printed as it is stored.
        setCaption(QStringLiteral("QR_item_34"), trimmed(data, "ITEM_34"));
        setCaption(QStringLiteral("QR_item_130"), trimmed(data, "ITEM_130"));
    }
    for (const char* field :
         {"ITEM_22", "ITEM_9", "ITEM_420", "ITEM_37", "ITEM_39", "ITEM_60", "ITEM_38", "ITEM_40", "ITEM_41",
          "ITEM_41_2", "ITEM_61", "Tlinkman", "TlinkmanTe", "TlinkmanEm"}) {
        setCaption(QStringLiteral("QR_") + QString::fromLatin1(field).toLower().replace(
                                               QStringLiteral("tlinkman"), QStringLiteral("Tlinkman")),
                   data.field(QString::fromLatin1(field)).trimmed());
    }
    setCaption(QStringLiteral("QR_item_64"), data.province(data.field(QStringLiteral("ITEM_64"))));
    setCaption(QStringLiteral("QR_item_63"), data.ministry(data.field(QStringLiteral("ITEM_63"))));
    m_units.clear();
    for (const Record& row : data.rows(PrintData::List::Units)) {
        QStringList unit;
        for (const char* field : {"item_176", "item_170", "item_171", "item_172", "item_173", "item_174"}) {
            unit.append(row.value(QString::fromLatin1(field)).trimmed());
        }
        m_units.append(unit);
    }
}

void UnitPage::compose(Composer& composer) const {
    const auto label = [&](const char* name) { return caption(QString::fromLatin1(name)); };
    const auto caption_ = [](const char* text) { return Cell{26, QString::fromUtf8(text), true}; };
    const auto value = [](const QString& text, double width = 0) { return Cell{width, text, false}; };
    if (!m_applied) {
        composer.y = heading(composer.sheet(), composer.y, QStringLiteral("三、评价情况"));
        tickRow(composer, QStringLiteral("评价方式"), QStringLiteral("ITEM_21"), 26);
        composer.y = cellRow(composer.sheet(), composer.y, 9,
                             {caption_("评价日期"), value(label("QR_item_34"), 40), caption_("评价单位"),
                              value(label("QR_item_130"))});
    }
    Sheet* sheet = &composer.sheet();
    composer.y =
        heading(*sheet, composer.y,
                m_applied ? QStringLiteral("成果完成单位情况") : QStringLiteral("四、成果完成单位情况"));
    double y = composer.y;
    y = cellRow(*sheet, y, 9, {caption_("第一完成单位"), value(label("QR_item_9"))});
    y = cellRow(*sheet, y, 9,
                {caption_("组织机构代码"), value(label("QR_item_420"), 44), caption_("所在省市"),
                 value(label("QR_item_64"))});
    y = cellRow(*sheet, y, 9, {caption_("隶属关系"), value(label("QR_item_63"))});
    y = cellRow(*sheet, y, 9,
                {caption_("通讯地址"), value(label("QR_item_37")), caption_("邮政编码"),
                 value(label("QR_item_38"), 24)});
    y = cellRow(
        *sheet, y, 9,
        {caption_("电话"), value(label("QR_item_39"), 44), caption_("传真"), value(label("QR_item_40"))});
    y = cellRow(*sheet, y, 9, {caption_("单位网址"), value(label("QR_item_60"))});
    y = cellRow(*sheet, y, 9,
                {caption_("联系人"), value(label("QR_item_41"), 30), caption_("联系电话"),
                 value(label("QR_item_41_2"), 30), caption_("电子信箱"), value(label("QR_item_61"))});
    y = cellRow(*sheet, y, 9,
                {caption_("成果转让联系人"), value(label("QR_Tlinkman"), 30), caption_("联系电话"),
                 value(label("QR_TlinkmanTe"), 30), caption_("电子信箱"), value(label("QR_TlinkmanEm"))});
    composer.y = y;
    tickRow(composer, QStringLiteral("单位属性"), QStringLiteral("ITEM_62"), 26);
    tickRow(composer, QStringLiteral("企业所有制属性"), QStringLiteral("ITEM_41_3"), 26);
    tickRow(composer, QStringLiteral("转制情况"), QStringLiteral("ITEM_163"), 26);

    // Cooperating units in row bands; more than a sheet holds continue on the next sheets.
    const QList<Cell> header = {
        {10, QStringLiteral("序号"), true},         {52, QStringLiteral("单位名称"), true},
        {50, QStringLiteral("详细通信地址"), true}, {16, QStringLiteral("邮政编码"), true},
        {18, QStringLiteral("联系人"), true},       {24, QStringLiteral("联系电话"), true}};
    composer.y += 4;
    composer.ensure(9 + 10 + 10);
    composer.y = heading(composer.sheet(), composer.y, QStringLiteral("合作完成单位情况"));
    composer.y = cellRow(composer.sheet(), composer.y, 10, header, 9);
    const int rows = std::max<int>(int(m_units.size()), 3);
    for (int i = 0; i < rows; ++i) {
        if (composer.ensure(10)) {
            composer.y = heading(composer.sheet(), composer.y, QStringLiteral("合作完成单位情况（续）"));
            composer.y = cellRow(composer.sheet(), composer.y, 10, header, 9);
        }
        const QStringList unit = m_units.value(i);
        QList<Cell> cells;
        for (int c = 0; c < header.size(); ++c) {
            cells.append({header.at(c).width, unit.value(c), c == 0});
        }
        composer.y = cellRow(composer.sheet(), composer.y, 10, cells, 9);
    }
}

// ---------------------------------------------------------------------------------------------
// The pages of each group

namespace {

std::unique_ptr<ReportPage> staticPage(const char* name, const char* resource) {
    return std::make_unique<StaticPage>(QString::fromLatin1(name), QString::fromLatin1(resource));
}

} // namespace

std::unique_ptr<ReportPage> createReportPage(const QString& name) {
    const auto is = [&](const char* each) { return name == QString::fromLatin1(each); };
    if (is("Tyyfm1")) {
        return std::make_unique<Tyyfm1>();
    }
    if (is("Trjfm1")) {
        return std::make_unique<Trjfm1>();
    }
    if (is("Tyyfm2")) {
        return staticPage("Tyyfm2", "cover_notes_applied.txt");
    }
    if (is("Trjfm2")) {
        return staticPage("Trjfm2", "cover_notes_other.txt");
    }
    if (is("TyyPrint01")) {
        return staticPage("TyyPrint01", "filling_notes_applied.txt");
    }
    if (is("TrjPrint01")) {
        return staticPage("TrjPrint01", "filling_notes_other.txt");
    }
    if (is("TyyPrint02")) {
        return staticPage("TyyPrint02", "notes_overview_applied.txt");
    }
    if (is("TrjPrint02")) {
        return staticPage("TrjPrint02", "notes_overview_other.txt");
    }
    if (is("TyyPrint03")) {
        return std::make_unique<TyyPrint03>();
    }
    if (is("TrjPrint03")) {
        return std::make_unique<TrjPrint03>();
    }
    if (is("TyyPrint04")) {
        return staticPage("TyyPrint04", "notes_evaluation_applied.txt");
    }
    if (is("TrjPrint04")) {
        return staticPage("TrjPrint04", "notes_evaluation_other.txt");
    }
    if (is("TyyPrint05")) {
        return std::make_unique<TyyPrint05>();
    }
    if (is("TyyPrint06")) {
        return staticPage("TyyPrint06", "notes_registration.txt");
    }
    if (is("TyyPrint07") || is("TrjPrint05")) {
        return std::make_unique<UnitPage>(name, is("TyyPrint07"));
    }
    if (is("TyyPrint08") || is("TrjPrint06")) {
        return std::make_unique<RegistrationPage>(name);
    }
    if (is("TyyPrint09") || is("TrjPrint07")) {
        return std::make_unique<SummaryPage>(name);
    }
    if (is("TyyPrint10") || is("TrjPrint08")) {
        return std::make_unique<PeoplePage>(name, false);
    }
    if (is("TyyPrint11") || is("TrjPrint09")) {
        return std::make_unique<PeoplePage>(name, true);
    }
    if (is("TyyPrint12") || is("TrjPrint10")) {
        return std::make_unique<StaticPage>(name, QStringLiteral("annex_objectives.txt"));
    }
    if (is("TyyPrint14") || is("TrjPrint11")) {
        return std::make_unique<StaticPage>(name, QStringLiteral("annex_industries.txt"));
    }
    return nullptr;
}

QList<PageButton> customPages(bool applied) {
    QList<PageButton> buttons;
    const QString prefix = applied ? QStringLiteral("Tyy") : QStringLiteral("Trj");
    buttons.append({QStringLiteral("封面1"), prefix + QStringLiteral("fm1")});
    buttons.append({QStringLiteral("封面2"), prefix + QStringLiteral("fm2")});
    const int count = applied ? 13 : 11;
    for (int n = 1; n <= count; ++n) {
        const int page = applied && n == 13 ? 14 : n; // the applied form has no page 13
        buttons.append(
            {QString::number(n), prefix + QStringLiteral("Print%1").arg(page, 2, 10, QChar(u'0'))});
    }
    return buttons;
}

QList<Section> sections(bool applied) {
    const auto section = [](const char* caption, const char* page, const char* label) {
        const QString number = QString::fromLatin1(label);
        return Section{QString::fromUtf8(caption), QString::fromLatin1(page), number,
                       number.isEmpty() ? QString() : number + QStringLiteral("--")};
    };
    if (applied) {
        return {section("封面", "Tyyfm1", ""),
                section("成果概况，立项情况", "TyyPrint03", "1"),
                section("评价情况，知识产权状况，成果应用情况", "TyyPrint05", "2"),
                section("成果完成单位情况", "TyyPrint07", "3"),
                section("批准登记单位意见", "TyyPrint08", "4"),
                section("成果简介", "TyyPrint09", "5"),
                section("成果完成人员名单", "TyyPrint10", "6"),
                section("评价委员会名单", "TyyPrint11", "7")};
    }
    return {section("封面", "Trjfm1", ""),
            section("成果概况，立项情况", "TrjPrint03", "1"),
            section("评价情况，成果完成单位情况", "TrjPrint05", "2"),
            section("批准登记单位意见", "TrjPrint06", "3"),
            section("成果简介", "TrjPrint07", "4"),
            section("成果完成人员名单", "TrjPrint08", "5"),
            section("评价委员会名单", "TrjPrint09", "6")};
}

QList<Section> fullRun(bool applied) {
    return sections(applied);
}

} // namespace tamsel::print
