// The values of the printed forms: how each stored item becomes text, and which bookmark of
// which form receives it.
#include "print/formvalues.h"

#include "engine/error.h"
#include "engine/gbk.h"
#include "engine/query.h"
#include "print/docxdocument.h"

#include <QDir>

namespace tamsel::print {
namespace {

const QString kNationalPlan = QStringLiteral("国家科技计划");

enum class Rule {
    Text,
    Padded,
    Name,
    TwoNames,
    CodeName,
    Province,
    Ministry,
    Period,
    Keywords,
    DateParts,
    Plan,
    Platform,
    UnitKind,
    Transformed,
    Secrecy,
    List,
};

struct Item {
    Rule rule;
    const char* bookmark;        // for Period, Keywords, DateParts, Secrecy: the common prefix
    const char* field = nullptr; // defaults to the bookmark
    int number = 0;              // Padded: bytes; List: cap
    const char* extra = nullptr; // Name: list name; CodeName: table file; List: fields left out
    PrintData::List list = PrintData::List::Units;
};

constexpr Item T(const char* bookmark, const char* field = nullptr) {
    return {Rule::Text, bookmark, field};
}
constexpr Item P(const char* bookmark, int bytes, const char* field = nullptr) {
    return {Rule::Padded, bookmark, field, bytes};
}
constexpr Item N(const char* bookmark, const char* field = nullptr, const char* list = nullptr) {
    return {Rule::Name, bookmark, field, 0, list};
}
constexpr Item N2(const char* bookmark) {
    return {Rule::TwoNames, bookmark};
}
constexpr Item C(const char* bookmark, const char* table) {
    return {Rule::CodeName, bookmark, nullptr, 0, table};
}
constexpr Item R(Rule rule, const char* bookmark, const char* field = nullptr) {
    return {rule, bookmark, field};
}
constexpr Item L(PrintData::List list, int cap, const char* leftOut = nullptr) {
    return {Rule::List, "", nullptr, cap, leftOut, list};
}

using PL = PrintData::List;

struct Column {
    const char* prefix;
    const char* field;
    bool name;
};
const QList<Column>& columnsOf(PL list) {
    static const QHash<int, QList<Column>> columns{
        {int(PL::PatentsApplied),
         {{"patentl_no_", "patent_no", false}, {"patentl_nam_", "patent_nam", false}}},
        {int(PL::PatentsGranted), {{"patent_no_", "patent_no", false}, {"patent_nam_", "patent_nam", false}}},
        {int(PL::Units),
         {{"item_176_", "item_176", false},
          {"item_170_", "item_170", false},
          {"item_171_", "item_171", false},
          {"item_172_", "item_172", false},
          {"item_173_", "item_173", false},
          {"item_174_", "item_174", false}}},
        {int(PL::Completers),
         {{"item_187_", "item_187", false},
          {"item_180_", "item_180", false},
          {"item_181_", "item_181", true},
          {"item_182_", "item_182", false},
          {"item_183_", "item_183", true},
          {"item_184_", "item_184", true},
          {"item_188_", "item_188", true},
          {"item_185_", "item_185", false},
          {"item_186_", "item_186", false}}},
        {int(PL::Committee),
         {{"item_191_", "item_191", false},
          {"item_192_", "item_192", false},
          {"item_193_", "item_193", true},
          {"item_195_", "item_195", false},
          {"item_196_", "item_196", false},
          {"item_197_", "item_197", false},
          {"item_198_", "item_198", true}}},
    };
    return columns.find(int(list)).value();
}

const QList<Item>& coverItems(FormKind form) {
    static const QList<Item> applied{P("item_3", 44),   P("item_9", 38), R(Rule::Period, "item_8"),
                                     P("item_128", 42), T("item_120"),   T("item_121")};
    static const QList<Item> otherBody{P("item_3", 42),   P("item_9", 38), R(Rule::Period, "item_8"),
                                       P("item_128", 42), T("item_120"),   T("item_121")};
    static const QList<Item> other{P("item_3", 42), P("item_9", 38), T("item_121")};
    return form == FormKind::AppliedCover ? applied : form == FormKind::OtherCoverBody ? otherBody : other;
}

// The funding block and the first unit's block are the same on both registration forms.
const QList<Item> kFunding{T("item_127"), T("item_127_1"), T("item_149"),   T("item_141"),   T("item_148"),
                           T("item_142"), T("item_142_1"), T("item_142_2"), T("item_142_3"), T("item_143"),
                           T("item_144"), T("item_243"),   T("item_244"),   T("item_145")};
const QList<Item> kFirstUnit{T("item_9"),
                             T("item_420"),
                             T("item_37"),
                             T("item_38"),
                             T("item_39"),
                             T("item_40"),
                             T("item_60"),
                             T("TLinkMan"),
                             T("TLinkManTe"),
                             T("TLinkManEm"),
                             R(Rule::UnitKind, "item_62"),
                             R(Rule::Transformed, "item_163"),
                             R(Rule::Province, "item_64"),
                             R(Rule::Ministry, "item_63"),
                             T("item_41"),
                             T("item_41_2"),
                             T("item_61"),
                             T("item_13_1")};

QList<Item> appliedForm() {
    QList<Item> items{T("item_3"),
                      R(Rule::Keywords, "item_14"),
                      N("item_123"),
                      N("item_16"),
                      N("item_2"),
                      N("item_33"),
                      N("item_201"),
                      C("item_15", "xkfl.dbf"),
                      C("item_15_1", "xkfl.dbf"),
                      C("item_12", "ztflh.dbf"),
                      C("item_12_1", "ztflh.dbf"),
                      N2("item_124_1"),
                      N2("item_125"),
                      R(Rule::Plan, "item_126"),
                      N("item_125_1")};
    items += kFunding;
    items += QList<Item>{N("item_21"),
                         T("item_130"),
                         T("item_34"),
                         T("item_22"),
                         N2("item_51"),
                         N2("patent_ty"),
                         N("item_51_1"),
                         T("item_51_2"),
                         T("item_51_3"),
                         T("item_53"),
                         T("item_52"),
                         N("item_32"),
                         T("item_45"),
                         T("item_150"),
                         T("item_162"),
                         T("item_151_1"),
                         T("item_152_1"),
                         T("item_153"),
                         T("item_154"),
                         N("item_46"),
                         N("item_47"),
                         N2("item_161"),
                         R(Rule::Platform, "item_32_1")};
    items += kFirstUnit;
    items += QList<Item>{L(PL::PatentsApplied, 5), L(PL::PatentsGranted, 5), L(PL::Units, 8),
                         L(PL::Completers, 45), L(PL::Committee, 13)};
    return items;
}

QList<Item> otherForm(bool body) {
    QList<Item> items{T("item_3"),
                      R(Rule::Keywords, "item_14"),
                      N("item_210"),
                      N("item_2"),
                      N("item_201"),
                      C("item_15", "xkfl.dbf"),
                      C("item_15_1", "xkfl.dbf"),
                      C("item_12", "ztflh.dbf"),
                      C("item_12_1", "ztflh.dbf"),
                      N2("item_200"),
                      N2("item_125"),
                      R(Rule::Plan, "item_126")};
    items += kFunding;
    items += QList<Item>{N("item_21", nullptr, body ? "item_21_l" : "item_21"), T("item_130"), T("item_34"),
                         T("item_22")};
    items += kFirstUnit;
    items += QList<Item>{L(PL::Units, body ? 8 : 5), L(PL::Completers, 45), L(PL::Committee, 13)};
    return items;
}

QList<Item> applicationForm() {
    return {P("item_3_1", 46, "item_3"),
            P("item_9", 46),
            P("item_130_1", 40, "item_130"),
            T("item_3_2", "item_3"),
            R(Rule::Period, "item_8"),
            T("item_9_1", "item_9"),
            T("item_63"),
            T("item_64"),
            R(Rule::Province, "item_64_1", "item_64"),
            R(Rule::Ministry, "item_63_1", "item_63"),
            T("item_62"),
            T("item_41"),
            T("item_38"),
            T("item_41_2"),
            T("item_37"),
            T("item_126"),
            R(Rule::Plan, "item_126_2", "item_126"),
            R(Rule::Secrecy, "item_1"),
            T("item_13_1"),
            T("item_13_3"),
            L(PL::Completers, 15, "item_188")};
}

QList<Item> certificate() {
    return {P("item_3", 46),
            P("item_9", 46),
            N("item_21"),
            P("item_130", 46),
            R(Rule::DateParts, "item_34"),
            R(Rule::DateParts, "item_302"),
            T("item_13_1"),
            T("item_13_2"),
            T("item_13_3"),
            T("item_133"),
            T("item_303"),
            T("item_9_2", "item_9"),
            T("item_38"),
            T("item_64"),
            T("item_37"),
            R(Rule::Ministry, "item_63"),
            R(Rule::UnitKind, "item_62"),
            L(PL::Units, 7, "item_176 item_173 item_174"),
            L(PL::Completers, 15, "item_188"),
            L(PL::Committee, 15, "item_193"),
            T("item_3_1", "item_3"),
            R(Rule::Period, "item_8"),
            T("item_9_1", "item_9"),
            T("item_63_1", "item_63"),
            T("item_64_1", "item_64"),
            R(Rule::Province, "item_64_2", "item_64"),
            R(Rule::Ministry, "item_63_2", "item_63"),
            T("item_62_1", "item_62"),
            T("item_41"),
            T("item_38_1", "item_38"),
            T("item_41_2"),
            T("item_37_1", "item_37"),
            T("item_34_1", "item_34"),
            T("item_302_1", "item_302"),
            T("item_130_1", "item_130"),
            R(Rule::Secrecy, "item_1"),
            T("item_2"),
            T("item_126"),
            R(Rule::Plan, "item_126_2", "item_126"),
            T("item_125"),
            T("item_32_1", "item_32"),
            N("item_32_1_1", "item_32", "item_32"),
            T("item_33")};
}

const QList<Item>& itemsOf(FormKind form) {
    static const QList<Item> applied = appliedForm();
    static const QList<Item> otherBody = otherForm(true);
    static const QList<Item> other = otherForm(false);
    static const QList<Item> application = applicationForm();
    static const QList<Item> certificateItems = certificate();
    switch (form) {
    case FormKind::AppliedCover:
    case FormKind::OtherCoverBody:
    case FormKind::OtherCover:
        return coverItems(form);
    case FormKind::AppliedForm:
        return applied;
    case FormKind::OtherFormBody:
        return otherBody;
    case FormKind::OtherForm:
        return other;
    case FormKind::Application:
        return application;
    case FormKind::Certificate:
        break;
    }
    return certificateItems;
}

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

// Walks the items of a form. With data the values are produced; without, every bookmark the
// form may fill is named with an empty text (lists to their caps).
void walk(FormKind form, PrintData* data, const std::function<void(const QString&, const QString&)>& put) {
    const auto value = [&](const QString& field) { return data ? data->field(field) : QString(); };
    const auto name = [&](const QString& list, const QString& code) {
        return data ? data->optionName(list, code) : QString();
    };
    const auto twoNames = [&](const QString& list, const QString& codes) {
        if (codes.trimmed().isEmpty()) {
            return QString();
        }
        if (!codes.contains(u';')) {
            return name(list, codes.trimmed());
        }
        const auto [first, second] = twoCodes(codes);
        return QString(name(list, first) + u';' + name(list, second));
    };
    for (const Item& item : itemsOf(form)) {
        const QString bookmark = latin(item.bookmark);
        const QString field = item.field ? latin(item.field) : bookmark;
        const QString list = item.extra ? latin(item.extra) : field.toLower();
        switch (item.rule) {
        case Rule::Text:
            put(bookmark, value(field));
            break;
        case Rule::Padded:
            put(bookmark, data ? paddedText(value(field), item.number) : QString());
            break;
        case Rule::Name:
            put(bookmark, name(list, value(field)));
            break;
        case Rule::TwoNames:
            put(bookmark, twoNames(field.toLower(), value(field)));
            break;
        case Rule::CodeName:
            put(bookmark, data ? data->classCodeName(list, value(field)) : QString());
            break;
        case Rule::Province:
            put(bookmark, data ? data->province(value(field)) : QString());
            break;
        case Rule::Ministry:
            put(bookmark, data ? data->ministry(value(field)) : QString());
            break;
        case Rule::Period: {
            const auto [start, end] = periodParts(value(QStringLiteral("item_8")));
            put(bookmark + QStringLiteral("_1"), start);
            put(bookmark + QStringLiteral("_2"), end);
            break;
        }
        case Rule::Keywords: {
            const QStringList parts = keywordParts(value(field));
            for (int i = 0; i < 3; ++i) {
                put(bookmark + u'_' + QString::number(i + 1), parts.value(i));
            }
            break;
        }
        case Rule::DateParts: {
            const QString date = value(field);
            put(bookmark + QStringLiteral("_y"), date.mid(0, 4));
            put(bookmark + QStringLiteral("_m"), date.mid(5, 2));
            put(bookmark + QStringLiteral("_d"), date.mid(8, 2));
            break;
        }
        case Rule::Plan: {
            QString names = twoNames(QStringLiteral("item_126"), value(field));
            const QString plan = value(QStringLiteral("item_140"));
            const qsizetype at = names.indexOf(kNationalPlan + u';');
            if (!plan.isEmpty() && at >= 0) {
                names = names.left(at) + kNationalPlan + u'(' + name(QStringLiteral("item_140"), plan) +
                        QStringLiteral(");") + names.mid(at + kNationalPlan.size() + 1);
            }
            put(bookmark, names);
            break;
        }
        case Rule::Platform: {
            QString text = twoNames(QStringLiteral("item_32_1"), value(field));
            const QString detail = name(QStringLiteral("item_160"), value(QStringLiteral("item_160")));
            if (!detail.isEmpty()) {
                text += u'(' + detail + u')';
            }
            put(bookmark, text);
            break;
        }
        case Rule::UnitKind: {
            QString text = name(QStringLiteral("item_62"), value(field));
            const QString ownership = name(QStringLiteral("item_41_3"), value(QStringLiteral("item_41_3")));
            if (!ownership.isEmpty()) {
                text += u'(' + ownership + u')';
            }
            put(bookmark, text);
            break;
        }
        case Rule::Transformed:
            if (!data || value(field) == u"1") {
                put(bookmark, data ? QStringLiteral("(属于科研机构转制型企业)") : QString());
            }
            break;
        case Rule::Secrecy: {
            // A classified achievement prints its level; an open one prints "0".
            const QString level = value(QStringLiteral("item_1")).trimmed();
            const bool classified = level == u"2" || level == u"3" || level == u"4";
            put(bookmark + QStringLiteral("_1"), classified ? QStringLiteral("1") : QStringLiteral("0"));
            if (!data || classified) {
                put(bookmark + QStringLiteral("_2"), name(QStringLiteral("item_1"), level));
            }
            break;
        }
        case Rule::List: {
            const QStringList leftOut = item.extra ? latin(item.extra).split(u' ') : QStringList();
            const QList<Record> none;
            const QList<Record>& rows = data ? data->rows(item.list) : none;
            const int count = data ? int(std::min<qsizetype>(rows.size(), item.number)) : item.number;
            for (int n = 0; n < count; ++n) {
                for (const Column& column : columnsOf(item.list)) {
                    const QString columnField = latin(column.field);
                    if (leftOut.contains(columnField)) {
                        continue;
                    }
                    const QString text = data ? rows.at(n).value(columnField) : QString();
                    put(latin(column.prefix) + QString::number(n + 1),
                        column.name ? name(columnField, text) : text);
                }
            }
            break;
        }
        }
    }
}

} // namespace

QString paddedText(const QString& text, int bytes) {
    // Shorter values get a paragraph of their own, so the form's lines below stay in place.
    return engine::gbkByteLength(text) < bytes ? text + u'\r' : text;
}

std::pair<QString, QString> periodParts(const QString& period) {
    const auto yearMonth = [](const QString& part) {
        const qsizetype dot = part.indexOf(u'.');
        if (part.isEmpty() || dot < 0) {
            return part;
        }
        return QString(part.left(dot) + QStringLiteral("年") + part.mid(dot + 1) + QStringLiteral("月"));
    };
    const qsizetype to = period.indexOf(u"至");
    if (to < 0) {
        return {yearMonth(period.trimmed()), QString()};
    }
    // The blanks the page writes before "至" are trimmed; a value without them loses nothing.
    return {yearMonth(period.left(to).trimmed()), yearMonth(period.mid(to + 1).trimmed())};
}

QStringList keywordParts(const QString& keywords) {
    if (keywords.isEmpty()) {
        return {};
    }
    return keywords.split(u';').mid(0, 3);
}

std::pair<QString, QString> twoCodes(const QString& value) {
    const QStringList parts = value.split(u';');
    if (parts.size() < 2) {
        return {value.trimmed(), QString()};
    }
    return {parts.at(0).trimmed(), parts.size() > 2 ? parts.at(1).trimmed() : QString()};
}

QList<FormValue> formValues(FormKind form, PrintData& data) {
    QList<FormValue> values;
    walk(form, &data, [&](const QString& bookmark, const QString& text) { values.append({bookmark, text}); });
    return values;
}

QStringList formBookmarks(FormKind form) {
    QStringList names;
    walk(form, nullptr, [&](const QString& bookmark, const QString&) { names.append(bookmark); });
    return names;
}

QList<DocumentPlan> documentsOf(WordButton button) {
    switch (button) {
    case WordButton::YY:
        return {{QStringLiteral("应用技术封面"), FormKind::AppliedCover},
                {QStringLiteral("应用技术登记表"), FormKind::AppliedForm}};
    case WordButton::YY_S:
        return {{QStringLiteral("应用技术封面(正文)"), FormKind::AppliedCover},
                {QStringLiteral("应用技术登记表(正文)"), FormKind::AppliedForm}};
    case WordButton::RJ:
        return {{QStringLiteral("基础、软科学封面"), FormKind::OtherCover},
                {QStringLiteral("基础、软科学登记表"), FormKind::OtherForm}};
    case WordButton::RJ_S:
        return {{QStringLiteral("基础、软科学封面(正文)"), FormKind::OtherCoverBody},
                {QStringLiteral("基础、软科学登记表(正文)"), FormKind::OtherFormBody}};
    case WordButton::Application:
        return {{QStringLiteral("科学技术成果鉴定申请表"), FormKind::Application}};
    case WordButton::Certificate:
        break;
    }
    return {{QStringLiteral("科学技术成果鉴定证书"), FormKind::Certificate}};
}

// ---------------------------------------------------------------------------------------------
// PrintData

PrintData::PrintData(const QString& dataFolder, const AchievementKey& key, const Prefetched& prefetched)
    : m_folder(dataFolder), m_key(key), m_rows(prefetched.rows) {
    if (prefetched.achievement) {
        m_achievement = *prefetched.achievement;
        return;
    }
    const QList<Record> found =
        select(QStringLiteral("select * from pelk where item_4=:item_4 and item_dqdm=:item_dqdm"),
               {{QStringLiteral("item_4"), key.item4}, {QStringLiteral("item_dqdm"), key.dqdm}});
    if (found.isEmpty()) {
        throw DocumentError(QStringLiteral("没有找到成果 %1（%2）").arg(key.item4, key.dqdm));
    }
    m_achievement = found.first();
}

QList<Record> PrintData::select(const QString& sql, const QHash<QString, QString>& params) const {
    engine::Query query;
    query.setFolder(m_folder);
    query.setSql(sql);
    for (auto it = params.begin(); it != params.end(); ++it) {
        query.setParam(it.key(), it.value());
    }
    query.open();
    QStringList names = query.fieldNames();
    for (QString& name : names) {
        name = name.toLower();
    }
    QList<Record> rows;
    rows.reserve(query.recordCount());
    for (query.first(); !query.eof(); query.next()) {
        Record row;
        row.reserve(names.size());
        for (int i = 0; i < names.size(); ++i) {
            row.insert(names.at(i), query.asString(i));
        }
        rows.append(std::move(row));
    }
    return rows;
}

QString PrintData::findFile(const QString& fileName) const {
    const QStringList entries = QDir(m_folder).entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    return {};
}

QString PrintData::field(const QString& name) const {
    return m_achievement.value(name.toLower());
}

QString PrintData::optionName(const QString& list, const QString& code) {
    if (code.trimmed().isEmpty()) {
        return {};
    }
    loadOptions();
    return m_options->value(list.toLower() + u'\n' + code.trimmed());
}

QList<std::pair<QString, QString>> PrintData::options(const QString& list) {
    loadOptions();
    return m_optionLists.value(list.toLower());
}

void PrintData::loadOptions() {
    if (m_options) {
        return;
    }
    m_options.emplace();
    const QList<Record> rows = select(QStringLiteral("select * from zdxx"));
    for (const Record& row : rows) {
        const QString list = row.value(QStringLiteral("zddm")).trimmed().toLower();
        const QString code = row.value(QStringLiteral("xxdm")).trimmed();
        const QString key = list + u'\n' + code;
        if (!m_options->contains(key)) { // the first row wins, as a filtered lookup finds it
            m_options->insert(key, row.value(QStringLiteral("xxmc")));
            if (!row.value(QStringLiteral("xxmc")).startsWith(QStringLiteral("**"))) {
                m_optionLists[list].append({code, row.value(QStringLiteral("xxmc")).trimmed()});
            }
        }
    }
}

QString PrintData::classCodeName(const QString& tableFile, const QString& code) {
    const QString trimmed = code.trimmed();
    if (trimmed.isEmpty()) {
        return {};
    }
    const QString key = tableFile + u'\n' + trimmed;
    if (auto it = m_classes.constFind(key); it != m_classes.constEnd()) {
        return it.value();
    }
    QString result;
    const QString file = findFile(tableFile);
    if (!file.isEmpty()) {
        engine::Query query;
        query.setFolder(m_folder);
        query.setSql(QStringLiteral("select * from \"") + file + QStringLiteral("\" where xxdm=:code"));
        query.setParam(QStringLiteral("code"), trimmed);
        query.open();
        // The name is the table's third column, whatever a replaced table calls it.
        if (!query.isEmpty() && query.fieldCount() >= 3 && !query.asString(2).isEmpty()) {
            result = query.asString(QStringLiteral("xxdm")) + u' ' + query.asString(2);
        }
    }
    m_classes.insert(key, result);
    return result;
}

QString PrintData::province(const QString& code) {
    if (!m_provinces) {
        m_provinces.emplace();
        for (const Record& row : select(QStringLiteral("select * from province"))) {
            m_provinces->insert(row.value(QStringLiteral("province_i")).trimmed(),
                                row.value(QStringLiteral("province_n")));
        }
    }
    return code.trimmed().isEmpty() ? QString() : m_provinces->value(code.trimmed());
}

QString PrintData::ministry(const QString& code) {
    if (!m_ministries) {
        m_ministries.emplace();
        for (const Record& row : select(QStringLiteral("select * from lsbw"))) {
            m_ministries->insert(row.value(QStringLiteral("bwdm")).trimmed(),
                                 row.value(QStringLiteral("bwmc")));
        }
    }
    return code.trimmed().isEmpty() ? QString() : m_ministries->value(code.trimmed());
}

const QList<Record>& PrintData::rows(List list) {
    auto it = m_rows.find(int(list));
    if (it != m_rows.end()) {
        return it.value();
    }
    const QHash<QString, QString> key{{QStringLiteral("item_4"), m_key.item4},
                                      {QStringLiteral("item_dqdm"), m_key.dqdm}};
    const QString byKey = QStringLiteral(" where item_4=:item_4 and item_dqdm=:item_dqdm");
    QList<Record> rows;
    switch (list) {
    case List::PatentsApplied:
    case List::PatentsGranted: {
        QHash<QString, QString> params = key;
        params.insert(QStringLiteral("st"),
                      list == List::PatentsApplied ? QStringLiteral("1") : QStringLiteral("2"));
        rows = select(QStringLiteral("select * from zlqk") + byKey + QStringLiteral(" and patent_st=:st"),
                      params);
        break;
    }
    // The numbered lists print in their 序号 order.
    case List::Units:
        rows = select(QStringLiteral("select * from cgwcdw") + byKey + QStringLiteral(" order by item_176"),
                      key);
        break;
    case List::Completers:
        rows =
            select(QStringLiteral("select * from cgwcr") + byKey + QStringLiteral(" order by item_187"), key);
        break;
    case List::Committee:
        rows = select(QStringLiteral("select * from jdwyhmd") + byKey + QStringLiteral(" order by item_190"),
                      key);
        break;
    }
    return m_rows.insert(int(list), rows).value();
}

} // namespace tamsel::print
