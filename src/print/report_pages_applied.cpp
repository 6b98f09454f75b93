// The data pages only the applied-technology form has in this shape: 成果概况 with 立项情况,
// and 评价情况 with 知识产权状况 and 成果应用情况.
#include "print/report_pages.h"

namespace tamsel::print {
namespace {

QString text(PrintData& data, const char* field) {
    return data.field(QString::fromLatin1(field)).trimmed();
}

Cell label(const char* caption, double width = 30) {
    return {width, QString::fromUtf8(caption), true};
}

// The code and name of a classification, or the bare code when the table lacks it.
QString classText(PrintData& data, const char* table, const char* field) {
    const QString code = text(data, field);
    const QString named = data.classCodeName(QString::fromLatin1(table), code);
    return named.isEmpty() ? code : named;
}

const char* const OverviewTicks[] = {"ITEM_2",   "ITEM_16",  "ITEM_33",  "ITEM_123", "ITEM_124_1",
                                     "ITEM_125", "ITEM_126", "ITEM_140", "ITEM_201", "ITEM_125_1"};
const char* const EvaluationTicks[] = {"ITEM_21",   "ITEM_32",  "ITEM_32_1", "ITEM_51",
                                       "ITEM_51_1", "ITEM_161", "ITEM_160",  "patent_ty"};
const char* const Funds[][2] = {{"ITEM_149", "总计"},     {"ITEM_141", "国家投入"}, {"ITEM_148", "部门投入"},
                                {"ITEM_142", "地方投入"}, {"ITEM_142_1", "省级"},   {"ITEM_142_2", "地级"},
                                {"ITEM_142_3", "县级"},   {"ITEM_143", "基金投入"}, {"ITEM_144", "自有资金"},
                                {"ITEM_243", "银行贷款"}, {"ITEM_244", "国外资金"}, {"ITEM_145", "其他"}};

} // namespace

void setKeywords(ReportPage& page, const QString& keywords) {
    const QStringList parts = keywords.split(u';');
    page.setCaption(QStringLiteral("item_14_1"), parts.value(0).trimmed());
    page.setCaption(QStringLiteral("item_14_2"), parts.value(1).trimmed());
    page.setCaption(QStringLiteral("item_14_3"),
                    parts.size() > 2 ? parts.mid(2).join(u';').trimmed() : QString());
}

void setFunds(ReportPage& page, PrintData& data) {
    for (const auto& fund : Funds) {
        page.setCaption(QString::fromLatin1(fund[0]).toLower(),
                        data.field(QString::fromLatin1(fund[0])).trimmed());
    }
}

void drawFunds(const ReportPage& page, Composer& composer) {
    composer.ensure(3 * 9);
    composer.y = cellRow(composer.sheet(), composer.y, 9, {label("投入经费（万元）", 170)});
    for (int row = 0; row < 3; ++row) {
        QList<Cell> cells;
        for (int c = 0; c < 4; ++c) {
            const auto& fund = Funds[row * 4 + c];
            cells.append(label(fund[1], 20));
            cells.append({22.5, page.caption(QString::fromLatin1(fund[0]).toLower()), false});
        }
        composer.y = cellRow(composer.sheet(), composer.y, 8, cells, 9);
    }
}

TyyPrint03::TyyPrint03() : ReportPage(QStringLiteral("TyyPrint03")) {}

void TyyPrint03::prepare(PrintData& data) {
    setKeywords(*this, data.field(QStringLiteral("ITEM_14")));
    for (const char* field : OverviewTicks) {
        declareTicks(data, QString::fromLatin1(field));
    }
    clearTicks();
    for (const char* field : OverviewTicks) {
        setTicks(QString::fromLatin1(field), data.field(QString::fromLatin1(field)));
    }
    setCaption(QStringLiteral("item_3"), text(data, "ITEM_3"));
    setCaption(QStringLiteral("item_15"), classText(data, "xkfl.dbf", "ITEM_15"));
    setCaption(QStringLiteral("item_15_1"), classText(data, "xkfl.dbf", "ITEM_15_1"));
    setCaption(QStringLiteral("item_12"), classText(data, "ztflh.dbf", "ITEM_12"));
    setCaption(QStringLiteral("item_12_1"), classText(data, "ztflh.dbf", "ITEM_12_1"));
    setCaption(QStringLiteral("item_127"), text(data, "ITEM_127"));
    setCaption(QStringLiteral("item_127_1"), text(data, "ITEM_127_1"));
    setFunds(*this, data);
}

void TyyPrint03::compose(Composer& composer) const {
    const auto value = [&](const char* name, double width = 0) {
        return Cell{width, caption(QString::fromLatin1(name)), false};
    };
    composer.y = heading(composer.sheet(), composer.y, QStringLiteral("一、成果概况"));
    composer.y = cellRow(composer.sheet(), composer.y, 11, {label("成果名称", 34), value("item_3")});
    composer.y = cellRow(composer.sheet(), composer.y, 9,
                         {label("关键词", 34), value("item_14_1"), value("item_14_2"), value("item_14_3")});
    composer.y = cellRow(composer.sheet(), composer.y, 9,
                         {label("学科分类", 34), value("item_15"), value("item_15_1")});
    composer.y = cellRow(composer.sheet(), composer.y, 9,
                         {label("中图分类号", 34), value("item_12"), value("item_12_1")});
    tickRow(composer, QStringLiteral("成果体现形式"), QStringLiteral("ITEM_123"));
    tickRow(composer, QStringLiteral("成果所处阶段"), QStringLiteral("ITEM_16"));
    tickRow(composer, QStringLiteral("成果水平"), QStringLiteral("ITEM_2"));
    tickRow(composer, QStringLiteral("转让范围"), QStringLiteral("ITEM_33"));
    tickRow(composer, QStringLiteral("成果属性"), QStringLiteral("ITEM_125_1"));
    tickRow(composer, QStringLiteral("研究形式"), QStringLiteral("ITEM_201"));
    tickRow(composer, QStringLiteral("所属高新技术领域"), QStringLiteral("ITEM_124_1"));
    tickRow(composer, QStringLiteral("成果主要应用行业"), QStringLiteral("ITEM_125"));
    composer.y += 3;
    composer.y = heading(composer.sheet(), composer.y, QStringLiteral("二、立项情况"));
    tickRow(composer, QStringLiteral("课题来源"), QStringLiteral("ITEM_126"));
    tickRow(composer, QStringLiteral("国家科技计划"), QStringLiteral("ITEM_140"));
    composer.ensure(18);
    composer.y = cellRow(composer.sheet(), composer.y, 9, {label("课题立项编号", 34), value("item_127")});
    composer.y = cellRow(composer.sheet(), composer.y, 9, {label("课题立项名称", 34), value("item_127_1")});
    drawFunds(*this, composer);
}

TyyPrint05::TyyPrint05() : ReportPage(QStringLiteral("TyyPrint05")) {}

void TyyPrint05::prepare(PrintData& data) {
    for (const char* field : EvaluationTicks) {
        declareTicks(data, QString::fromLatin1(field));
    }
    clearTicks();
    setCaption(QStringLiteral("item_46"),
               data.optionName(QStringLiteral("item_46"), data.field(QStringLiteral("ITEM_46"))));
    setCaption(QStringLiteral("item_47"),
               data.optionName(QStringLiteral("item_47"), data.field(QStringLiteral("ITEM_47"))));
    // Six rows of each patent status; the labels of missing rows are cleared.
    const struct {
        PrintData::List list;
        const char* prefix;
    } patents[] = {{PrintData::List::PatentsApplied, "QLL_zlqk_"},
                   {PrintData::List::PatentsGranted, "QL_zlqk_"}};
    for (const auto& each : patents) {
        const QList<Record>& rows = data.rows(each.list);
        for (int n = 1; n <= 6; ++n) {
            const Record row = rows.value(n - 1);
            setCaption(QString::fromLatin1(each.prefix) + QStringLiteral("zlh_%1").arg(n),
                       row.value(QStringLiteral("patent_no")).trimmed());
            setCaption(QString::fromLatin1(each.prefix) + QStringLiteral("zlm_%1").arg(n),
                       row.value(QStringLiteral("patent_nam")).trimmed());
        }
    }
    for (const char* field : EvaluationTicks) {
        setTicks(QString::fromLatin1(field), data.field(QString::fromLatin1(field)));
    }
    // The evaluation date is stored as text and printed as such.
    for (const char* field :
         {"ITEM_34", "ITEM_130", "ITEM_22", "ITEM_51_2", "ITEM_51_3", "ITEM_52", "ITEM_53", "ITEM_45",
          "ITEM_150", "ITEM_162", "ITEM_151_1", "ITEM_152_1", "ITEM_153", "ITEM_154"}) {
        setCaption(QString::fromLatin1(field).toLower(), text(data, field));
    }
}

void TyyPrint05::compose(Composer& composer) const {
    const auto value = [&](const char* name, double width = 0) {
        return Cell{width, caption(QString::fromLatin1(name)), false};
    };
    composer.y = heading(composer.sheet(), composer.y, QStringLiteral("三、评价情况"));
    tickRow(composer, QStringLiteral("评价方式"), QStringLiteral("ITEM_21"));
    composer.y =
        cellRow(composer.sheet(), composer.y, 9,
                {label("评价日期", 34), value("item_34", 40), label("评价报告编号", 30), value("item_22")});
    composer.y = cellRow(composer.sheet(), composer.y, 9, {label("评价单位", 34), value("item_130")});
    composer.y += 3;
    composer.y = heading(composer.sheet(), composer.y, QStringLiteral("四、知识产权状况"));
    tickRow(composer, QStringLiteral("知识产权形式"), QStringLiteral("ITEM_51"));
    tickRow(composer, QStringLiteral("专利类型"), QStringLiteral("patent_ty"));
    tickRow(composer, QStringLiteral("专利概况"), QStringLiteral("ITEM_51_1"));
    composer.y = cellRow(
        composer.sheet(), composer.y, 9,
        {label("申请专利项数", 34), value("item_51_2", 40), label("授权项数", 30), value("item_51_3")});
    composer.y = cellRow(
        composer.sheet(), composer.y, 9,
        {label("软件著作权登记号", 34), value("item_53", 40), label("软件名称", 30), value("item_52")});
    const struct {
        const char* title;
        const char* prefix;
    } lists[] = {{"5.已授权专利情况", "QL_zlqk_"}, {"6.已受理专利情况", "QLL_zlqk_"}};
    for (const auto& list : lists) {
        composer.ensure(8 * 7);
        composer.y = cellRow(composer.sheet(), composer.y, 8,
                             {label(list.title, 34), label("专利号", 50), label("专利名称", 86)}, 9);
        for (int n = 1; n <= 6; ++n) {
            const QString prefix = QString::fromLatin1(list.prefix);
            composer.y = cellRow(composer.sheet(), composer.y, 7,
                                 {{34, QString::number(n), true},
                                  {50, caption(prefix + QStringLiteral("zlh_%1").arg(n)), false},
                                  {86, caption(prefix + QStringLiteral("zlm_%1").arg(n)), false}},
                                 9);
        }
    }
    composer.y += 3;
    composer.ensure(60);
    composer.y = heading(composer.sheet(), composer.y, QStringLiteral("五、成果应用情况"));
    tickRow(composer, QStringLiteral("应用状态"), QStringLiteral("ITEM_32"));
    tickRow(composer, QStringLiteral("未应用或停用原因"), QStringLiteral("ITEM_32_1"));
    tickRow(composer, QStringLiteral("原因细类"), QStringLiteral("ITEM_160"));
    tickRow(composer, QStringLiteral("推广形式"), QStringLiteral("ITEM_161"));
    composer.ensure(4 * 9);
    composer.y = cellRow(composer.sheet(), composer.y, 9,
                         {label("已转让企业数", 34), value("item_45", 22), label("技术转让收入", 30),
                          value("item_150", 27), label("其中知识产权", 30), value("item_162")},
                         9);
    composer.y = cellRow(composer.sheet(), composer.y, 9,
                         {label("净利润（万元）", 34), value("item_151_1", 22), label("实交税金（万元）", 30),
                          value("item_152_1", 27), label("出口创汇（万元）", 30), value("item_153")},
                         9);
    composer.y = cellRow(composer.sheet(), composer.y, 9,
                         {label("节约资金（万元）", 34), value("item_154", 22), label("预计达产投资", 30),
                          value("item_46", 27), label("预计达产利润", 30), value("item_47")},
                         9);
}

} // namespace tamsel::print
