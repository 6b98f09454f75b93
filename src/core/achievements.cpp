// The achievement rules shared by the windows, the exchange and the tools: numbering, storing,
// changing and deleting achievements, list numbering, page completeness and the patent summary.
#include "core/achievements.h"

#include "core/data_module.h"
#include "engine/dataset.h"
#include "engine/error.h"
#include "engine/filter_params.h"
#include "engine/query.h"
#include "engine/table.h"

#include <algorithm>

namespace tamsel::core {

using engine::EngineError;

namespace {

bool isAsciiDigits(QStringView text) {
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

void cancelPending(engine::Dataset& dataset) {
    if (dataset.state() == engine::Dataset::State::Edit ||
        dataset.state() == engine::Dataset::State::Insert) {
        dataset.cancel();
    }
}

// Closes the query, replaces its text and opens it, on the data folder unless it has one.
void reopen(TDM& dm, engine::Query& query, const QString& text) {
    query.close();
    if (query.folder().isEmpty()) {
        query.setFolder(dm.DataPath);
    }
    query.setSql(text);
    query.open();
}

QString trimmedValue(const engine::Dataset& record, const QString& field) {
    return record.asString(field).trimmed();
}

const QString kDuplicateName = QStringLiteral("已有同名项目!");

} // namespace

// --- Numbers ------------------------------------------------------------------------------------------

bool isValidYear(const QString& year) {
    if (year.isEmpty() || year.size() > 4 || !isAsciiDigits(year)) {
        return false;
    }
    const int value = year.toInt();
    return value >= 1900 && value <= 2050;
}

bool isWellFormedNumber(QStringView number, QStringView year) {
    return number.size() == 10 && number.startsWith(year) && isAsciiDigits(number);
}

QString managementNumber(QStringView year, int serial) {
    return year.toString() + QStringLiteral("%1").arg(serial, 6, 10, QLatin1Char('0'));
}

QString nextManagementNumber(TDM& dm, const QString& table, const QString& year) {
    const QString y = year.trimmed().left(4);
    if (y.size() != 4 || !isAsciiDigits(y)) {
        return {};
    }
    // Ten characters that begin with the year; the digits are checked below.
    const QString where = QStringLiteral(" from ") + table + QStringLiteral(" where item_4 like '") + y +
                          QStringLiteral("______'");
    engine::Query& scratch = dm.tempquery;
    scratch.clearParams();
    dm.OpenQueryText(scratch, QStringLiteral("select max(item_4)") + where);
    QString largest = scratch.isEmpty() ? QString() : scratch.asString(0).trimmed();
    if (!largest.isEmpty() && !isWellFormedNumber(largest, y)) {
        // The largest is malformed (letters from an imported file): look at every number of the year.
        largest.clear();
        dm.OpenQueryText(scratch, QStringLiteral("select item_4") + where);
        for (scratch.first(); !scratch.eof(); scratch.next()) {
            const QString number = scratch.asString(0).trimmed();
            if (isWellFormedNumber(number, y) && number > largest) {
                largest = number;
            }
        }
    }
    const int serial = largest.isEmpty() ? 1 : largest.mid(4).toInt() + 1;
    if (serial > kLastSerial) {
        return {};
    }
    return managementNumber(y, serial);
}

QString numbersUsedUpMessage(const QString& year) {
    return year.trimmed().left(4) + QStringLiteral("年的成果管理编号已用完！");
}

// --- Categories and key pairs ----------------------------------------------------------------------------

bool isAppliedTechnology(const QString& category) {
    return category.trimmed() == QLatin1String("1");
}

QString keyPairFilter() {
    return QStringLiteral("item_4=:item_4 and item_dqdm=:item_dqdm");
}

QHash<QString, QVariant> keyPairParams(const QString& item4, const QString& dqdm) {
    return {{QStringLiteral("item_4"), item4}, {QStringLiteral("item_dqdm"), dqdm}};
}

void filterByKeyPair(engine::Dataset& data, const QString& item4, const QString& dqdm) {
    data.setFiltered(false);
    engine::setFilter(data, keyPairFilter(), keyPairParams(item4, dqdm));
    data.setFiltered(true);
}

// --- Achievements ------------------------------------------------------------------------------------------

const QStringList& Achievements::childTables() {
    static const QStringList tables = {QStringLiteral("cgwcdw"), QStringLiteral("zlqk"),
                                       QStringLiteral("jdwyhmd"), QStringLiteral("cgwcr")};
    return tables;
}

AchievementKey Achievements::keyOf(const engine::Dataset& record) {
    if (!record.isActive() || record.isEmpty()) {
        return {};
    }
    return {trimmedValue(record, QStringLiteral("ITEM_4")),
            trimmedValue(record, QStringLiteral("ITEM_DQDM"))};
}

bool Achievements::nameTaken(const QString& name, const std::optional<AchievementKey>& except) {
    engine::Query& scratch = m_dm.tempquery;
    m_dm.OpenQueryText(scratch, QStringLiteral("select * from pelk where item_3=:name"),
                       {{QStringLiteral("name"), name}});
    bool taken = false;
    for (scratch.first(); !scratch.eof(); scratch.next()) {
        if (!except || trimmedValue(scratch, QStringLiteral("item_4")) != except->number ||
            trimmedValue(scratch, QStringLiteral("item_dqdm")) != except->dqdm) {
            taken = true;
            break;
        }
    }
    scratch.clearParams();
    return taken;
}

QString Achievements::nextNumber(const QString& year, const QString& table) {
    return nextManagementNumber(m_dm, table, year);
}

StoreOutcome Achievements::create(const MainItems& items, int row) {
    using Status = StoreOutcome::Status;
    if (nameTaken(items.name)) {
        return {Status::DuplicateName, {}, kDuplicateName, {}};
    }
    const QString number = nextNumber(items.year);
    if (number.isEmpty()) {
        return {Status::NumbersUsedUp, {}, numbersUsedUpMessage(items.year), {}};
    }
    engine::Table& out = m_dm.T_temp_out;
    try {
        if (!out.isActive()) {
            out.open();
        }
        out.append();
        out.setValue(QStringLiteral("NO"), QString::number(row));
        out.setValue(QStringLiteral("ITEM_CGLB"), items.category);
        out.setValue(QStringLiteral("ITEM_4"), number);
        out.setValue(QStringLiteral("ITEM_DQDM"), QStringLiteral("."));
        out.setValue(QStringLiteral("ITEM_120"), items.registration);
        out.setValue(QStringLiteral("ITEM_3"), items.name);
        out.setValue(QStringLiteral("ITEM_9"), items.unit);
        out.post();
    } catch (const EngineError& e) {
        cancelPending(out);
        return {Status::Failed, number, e.message(), {}};
    }
    return {Status::Stored, number, {}, {}};
}

StoreOutcome Achievements::changeMainItems(const AchievementKey& old, const MainItems& items) {
    using Status = StoreOutcome::Status;
    if (nameTaken(items.name, old)) {
        return {Status::DuplicateName, old.number, kDuplicateName, {}};
    }
    const QString year = items.year.trimmed();
    QString newNumber = old.number;
    if (year != old.number.left(4)) {
        newNumber = nextNumber(year);
        if (newNumber.isEmpty()) {
            return {Status::NumbersUsedUp, old.number, numbersUsedUpMessage(year), {}};
        }
    }

    const QHash<QString, QVariant> oldKey = {{QStringLiteral("old_4"), old.number},
                                             {QStringLiteral("old_dqdm"), old.dqdm}};
    engine::Query& scratch = m_dm.tempquery;
    QString evaluation;
    try {
        m_dm.OpenQueryText(scratch,
                           QStringLiteral("select * from pelk where item_4=:old_4 and item_dqdm=:old_dqdm"),
                           oldKey);
        const bool gone = scratch.isEmpty();
        if (!gone) {
            evaluation = trimmedValue(scratch, QStringLiteral("ITEM_21"));
        }
        scratch.clearParams();
        if (gone) {
            return {Status::Gone, old.number, {}, {}};
        }
    } catch (...) {
        scratch.clearParams();
        throw;
    }

    // The main record first, in one write: when it fails (a name too long, a character GBK
    // cannot hold) nothing has changed, and the children are never left under a number that
    // no achievement carries.
    QHash<QString, QVariant> values = oldKey;
    QStringList assignments;
    const auto assign = [&](const QString& field, const QString& value) {
        assignments.append(field + QStringLiteral("=:new_") + field);
        values.insert(QStringLiteral("new_") + field, value);
    };
    assign(QStringLiteral("item_cglb"), items.category);
    if (isAppliedTechnology(items.category)) {
        assign(QStringLiteral("item_210"), QString());
        assign(QStringLiteral("item_200"), QString());
        static const QStringList appliedForms = {QStringLiteral("1"), QStringLiteral("2"),
                                                 QStringLiteral("3"), QStringLiteral("5"),
                                                 QStringLiteral("9")};
        if (!appliedForms.contains(evaluation)) {
            assign(QStringLiteral("item_21"), QString());
        }
    } else {
        for (const char* field :
             {"item_123", "item_124_1", "item_16", "item_33", "item_32", "item_32_1", "item_125_1"}) {
            assign(QString::fromLatin1(field), QString());
        }
        static const QStringList otherForms = {QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("6"),
                                               QStringLiteral("9")};
        if (!otherForms.contains(evaluation)) {
            assign(QStringLiteral("item_21"), QString());
        }
    }
    assign(QStringLiteral("item_4"), newNumber);
    assign(QStringLiteral("item_120"), items.registration.trimmed());
    assign(QStringLiteral("item_3"), items.name);
    assign(QStringLiteral("item_9"), items.unit);
    try {
        engine::executeSql(m_dm.DataPath,
                           QStringLiteral("update pelk set ") + assignments.join(QStringLiteral(", ")) +
                               QStringLiteral(" where item_4=:old_4 and item_dqdm=:old_dqdm"),
                           values);
    } catch (const EngineError& e) {
        return {Status::Failed, old.number, e.message(), {}};
    }

    StoreOutcome outcome{Status::Stored, newNumber, {}, {}};
    // Only the rows of this achievement's own key pair follow it to the new number.
    if (newNumber != old.number) {
        for (const QString& table : childTables()) {
            try {
                engine::executeSql(m_dm.DataPath,
                                   QStringLiteral("update ") + table +
                                       QStringLiteral(" set item_4=:new_4, item_dqdm=:old_dqdm"
                                                      " where item_4=:old_4 and item_dqdm=:old_dqdm"),
                                   {{QStringLiteral("new_4"), newNumber},
                                    {QStringLiteral("old_4"), old.number},
                                    {QStringLiteral("old_dqdm"), old.dqdm}});
            } catch (const EngineError& e) {
                outcome.childErrors.append(e.message());
            }
        }
    }
    return outcome;
}

void Achievements::removeChildren(const AchievementKey& key) {
    for (const QString& table : childTables()) {
        engine::executeSql(m_dm.DataPath,
                           QStringLiteral("delete from ") + table + QStringLiteral(" where ") +
                               keyPairFilter(),
                           keyPairParams(key.number, key.dqdm));
    }
}

void Achievements::removeMainRecord(const AchievementKey& key) {
    // The key pair: exactly this achievement, never another one that shares its number.
    engine::executeSql(m_dm.DataPath,
                       QStringLiteral("DELETE FROM pelk WHERE item_4=:item_4 and item_dqdm=:item_dqdm"),
                       keyPairParams(key.number, key.dqdm));
}

void Achievements::remove(const AchievementKey& key) {
    removeChildren(key);
    removeMainRecord(key);
}

void Achievements::openChildQuery(engine::Query& query, const QString& table, const AchievementKey& key) {
    QStringList lines;
    if (table.compare(QStringLiteral("cgwcdw"), Qt::CaseInsensitive) == 0) {
        lines = {QStringLiteral("select *  from  cgwcdw  where  item_4=:item_4"),
                 QStringLiteral("and  item_dqdm=:item_dqdm"), QStringLiteral("order  by  item_176 ")};
    } else if (table.compare(QStringLiteral("jdwyhmd"), Qt::CaseInsensitive) == 0) {
        lines = {QStringLiteral("select *  from  Jdwyhmd  where  item_4=:item_4"),
                 QStringLiteral("and  item_dqdm=:item_dqdm"), QStringLiteral("order  by  item_190")};
    } else {
        lines = {QStringLiteral("select *  from  cgwcr  where  item_4=:item_4"),
                 QStringLiteral("and  item_dqdm=:item_dqdm"), QStringLiteral("order  by  item_187 ")};
    }
    query.close();
    if (query.folder().isEmpty()) {
        query.setFolder(m_dm.DataPath);
    }
    query.setSql(lines.join(QLatin1Char('\n')));
    query.clearParams();
    query.setParam(QStringLiteral("item_4"), key.number);
    query.setParam(QStringLiteral("item_dqdm"), key.dqdm);
    query.open();
}

void Achievements::renumber(engine::Dataset& list) {
    list.disableControls();
    try {
        list.first();
        const QString noField = QStringLiteral("NO");
        for (int n = 1; !list.eof(); ++n) {
            const QString number = QString::number(n);
            // Rows that already hold their number are not rewritten: the stored result is the same.
            if (list.asString(noField) != number) {
                list.edit();
                list.setValue(noField, number);
                list.post();
            }
            list.next();
        }
    } catch (...) {
        cancelPending(list);
        list.enableControls();
        throw;
    }
    list.enableControls();
    list.first();
}

PageCheck Achievements::incompletePages(const engine::Dataset& record, bool appliedList) {
    PageCheck check;
    if (!record.isActive() || record.isEmpty()) {
        return check;
    }
    const auto open = [&check](const QString& code) {
        if (!check.openPages.contains(code)) {
            check.openPages.append(code);
        }
    };
    const QString condition =
        appliedList ? QStringLiteral("lb='a' or lb='1'") : QStringLiteral("lb='a' or lb='2'");
    try {
        engine::Query& checkup = m_dm.QryCheckUp;
        reopen(m_dm, checkup, QStringLiteral("select * from checkup where \n") + condition);
        static const QStringList pageCodes = {QStringLiteral("01"), QStringLiteral("02"),
                                              QStringLiteral("03"), QStringLiteral("04")};
        for (checkup.first(); !checkup.eof(); checkup.next()) {
            const QString code = trimmedValue(checkup, QStringLiteral("button"));
            const QString field = trimmedValue(checkup, QStringLiteral("id"));
            // A row naming no page or no field of the achievement table marks nothing.
            if (!pageCodes.contains(code) || field.isEmpty() || !record.hasField(field)) {
                continue;
            }
            if (trimmedValue(record, field).isEmpty()) {
                open(code);
            }
        }
    } catch (const EngineError& e) {
        check.errors.append(e.message());
    }

    const AchievementKey key = keyOf(record);
    try {
        engine::Table& completers = m_dm.TblCgwcr;
        completers.close();
        filterByKeyPair(completers, key.number, key.dqdm);
        completers.open();
        if (completers.isEmpty()) {
            open(QStringLiteral("08"));
        }
    } catch (const EngineError& e) {
        open(QStringLiteral("08"));
        check.errors.append(e.message());
    }
    return check;
}

QStringList Achievements::requiredPages(const QString& category) {
    QStringList required = {QStringLiteral("01"), QStringLiteral("03"), QStringLiteral("04"),
                            QStringLiteral("08")};
    if (isAppliedTechnology(category)) {
        required.append(QStringLiteral("02"));
    }
    return required;
}

void Achievements::normaliseIpForms(engine::Dataset& record) {
    if (!record.isActive() || record.isEmpty()) {
        return;
    }
    const QString forms = trimmedValue(record, QStringLiteral("ITEM_51"));
    if (forms.isEmpty() || forms.contains(QLatin1Char(';'))) {
        return;
    }
    try {
        record.edit();
        record.setValue(QStringLiteral("ITEM_51"), QString(forms + QLatin1Char(';')));
        record.post();
    } catch (...) {
        cancelPending(record);
        throw;
    }
}

void Achievements::writePatentSummary(engine::Dataset& record) {
    if (!record.isActive() || record.isEmpty()) {
        return;
    }
    const AchievementKey key = keyOf(record);
    engine::Table& patents = m_dm.tblzlqk;
    filterByKeyPair(patents, key.number, key.dqdm);
    if (!patents.isActive()) {
        patents.open();
    }
    if (patents.isEmpty() || !trimmedValue(record, QStringLiteral("ITEM_51_1")).isEmpty() ||
        !trimmedValue(record, QStringLiteral("patent_ty")).isEmpty()) {
        return;
    }
    bool applied = false;
    bool granted = false;
    bool types[4] = {false, false, false, false};
    for (patents.first(); !patents.eof(); patents.next()) {
        const QString status = trimmedValue(patents, QStringLiteral("PATENT_ST"));
        applied = applied || status == QLatin1String("1");
        granted = granted || status == QLatin1String("2");
        const QString type = trimmedValue(patents, QStringLiteral("PATENT_TY"));
        if (type == QLatin1String("1") || type == QLatin1String("2") || type == QLatin1String("3")) {
            types[type.toInt()] = true;
        }
    }
    QString typeCodes;
    for (int type = 1; type <= 3; ++type) {
        if (types[type]) {
            typeCodes += QString::number(type) + QLatin1Char(';');
        }
    }
    const QString summary = granted   ? QStringLiteral("3")
                            : applied ? QStringLiteral("2")
                                      : QStringLiteral("1");
    try {
        record.edit();
        record.setValue(QStringLiteral("patent_ty"), typeCodes);
        record.setValue(QStringLiteral("ITEM_51_1"), summary);
        record.post();
    } catch (...) {
        cancelPending(record);
        throw;
    }
}

} // namespace tamsel::core
