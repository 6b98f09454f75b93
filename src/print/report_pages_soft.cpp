// The overview page of the soft-science and basic-theory form: 成果概况 and 立项情况.
#include "print/report_pages.h"

namespace tamsel::print {

namespace {

const char* const OverviewTicks[] = {"ITEM_2",   "ITEM_125", "ITEM_126", "ITEM_140",
                                     "ITEM_200", "ITEM_201", "ITEM_210"};

Cell label(const char* caption, double width = 34) {
    return {width, QString::fromUtf8(caption), true};
}

} // namespace

TrjPrint03::TrjPrint03() : ReportPage(QStringLiteral("TrjPrint03")) {}

void TrjPrint03::prepare(PrintData& data) {
    setKeywords(*this, data.field(QStringLiteral("ITEM_14")));
    for (const char* field : OverviewTicks) {
        declareTicks(data, QString::fromLatin1(field));
    }
    clearTicks();
    for (const char* field : OverviewTicks) {
        setTicks(QString::fromLatin1(field), data.field(QString::fromLatin1(field)));
    }
    setCaption(QStringLiteral("item_3"), data.field(QStringLiteral("ITEM_3")).trimmed());
    for (const char* field : {"ITEM_15", "ITEM_15_1", "ITEM_12", "ITEM_12_1", "ITEM_127", "ITEM_127_1"}) {
        setCaption(QStringLiteral("QR_") + QString::fromLatin1(field).toLower(),
                   data.field(QString::fromLatin1(field)).trimmed());
    }
    setFunds(*this, data);
}

void TrjPrint03::compose(Composer& composer) const {
    const auto value = [&](const char* name) { return Cell{0, caption(QString::fromLatin1(name)), false}; };
    composer.y = heading(composer.sheet(), composer.y, QStringLiteral("一、成果概况"));
    composer.y = cellRow(composer.sheet(), composer.y, 11, {label("成果名称"), value("item_3")});
    composer.y = cellRow(composer.sheet(), composer.y, 9,
                         {label("关键词"), value("item_14_1"), value("item_14_2"), value("item_14_3")});
    composer.y = cellRow(composer.sheet(), composer.y, 9,
                         {label("学科分类号"), value("QR_item_15"), value("QR_item_15_1")});
    composer.y = cellRow(composer.sheet(), composer.y, 9,
                         {label("中图分类号"), value("QR_item_12"), value("QR_item_12_1")});
    tickRow(composer, QStringLiteral("成果体现形式"), QStringLiteral("ITEM_210"));
    tickRow(composer, QStringLiteral("成果水平"), QStringLiteral("ITEM_2"));
    tickRow(composer, QStringLiteral("研究形式"), QStringLiteral("ITEM_201"));
    tickRow(composer, QStringLiteral("社会经济目标"), QStringLiteral("ITEM_200"));
    tickRow(composer, QStringLiteral("成果主要应用行业"), QStringLiteral("ITEM_125"));
    composer.y += 3;
    composer.y = heading(composer.sheet(), composer.y, QStringLiteral("二、立项情况"));
    tickRow(composer, QStringLiteral("课题来源"), QStringLiteral("ITEM_126"));
    tickRow(composer, QStringLiteral("国家科技计划"), QStringLiteral("ITEM_140"));
    composer.ensure(18);
    composer.y = cellRow(composer.sheet(), composer.y, 9, {label("课题立项编号"), value("QR_item_127")});
    composer.y = cellRow(composer.sheet(), composer.y, 9, {label("课题立项名称"), value("QR_item_127_1")});
    drawFunds(*this, composer);
}

} // namespace tamsel::print
