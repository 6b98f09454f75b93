#pragma once

// The rules of an achievement's life that windows, the exchange and the tools share: storing,
// changing and deleting it, its management number, the numbering of a list, which pages of a
// record are complete and the patent summary. Nothing here shows a box: results and the texts
// the user is told come back to the caller, engine failures as engine::EngineError.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <optional>

namespace tamsel::engine {
class Dataset;
class Query;
} // namespace tamsel::engine

namespace tamsel::core {

class TDM;

// A year the dialogs accept: a whole number from 1900 to 2050, written with digits only.
bool isValidYear(const QString& year);

// True for a management number of the year: the four-digit year and a six-digit serial.
bool isWellFormedNumber(QStringView number, QStringView year);

// The last serial a year can hand out, and the number made of a year and a serial.
constexpr int kLastSerial = 999999;
QString managementNumber(QStringView year, int serial);

// The next management number of a year in `pelk` or its import twin `pelktemp`: the largest
// well-formed number of the year plus one, or the year followed by "000001" when it has none.
// Numbers of another shape (they can come in through import) are not counted, so the result is
// never a number that is taken. Runs on the data module's scratch query. Empty when the year is
// not four digits or its serials are used up. Throws engine::EngineError.
QString nextManagementNumber(TDM& dm, const QString& table, const QString& year);
// What the user is told when nextManagementNumber gave nothing for the year text.
QString numbersUsedUpMessage(const QString& year);

// True for the category code of applied technology ("1").
bool isAppliedTechnology(const QString& category);

// The filter of one achievement's rows in a child table, by its key pair, with its parameters.
QString keyPairFilter();
QHash<QString, QVariant> keyPairParams(const QString& item4, const QString& dqdm);
// Sets the key-pair filter on data and turns filtering on. Throws engine::EngineError.
void filterByKeyPair(engine::Dataset& data, const QString& item4, const QString& dqdm);

// An achievement's key pair: its management number and region code.
struct AchievementKey {
    QString number; // ITEM_4
    QString dqdm;   // ITEM_DQDM
};

// The main items the main-items dialog asks for, as they are stored.
struct MainItems {
    QString category; // ITEM_CGLB: "1" applied technology, "2" soft science, "3" basic theory
    QString year;     // the year text; the number is taken from its first four characters
    QString registration;
    QString name;
    QString unit;
};

// How a create or change of the main items ended.
struct StoreOutcome {
    enum class Status {
        Stored,        // written
        DuplicateName, // another achievement has the name; nothing written
        NumbersUsedUp, // the year has no number left; nothing written
        Gone,          // the achievement to change no longer exists; nothing written
        Failed,        // the main record could not be written (message: the engine's); nothing written
    };
    Status status = Status::Stored;
    QString number;  // the achievement's number after the operation (new or kept)
    QString message; // what the user is told, exactly as shown (empty when stored)
    // Child tables that could not follow a new number: the engine's messages, in table order.
    QStringList childErrors;
};

// Which of the evaluated pages of one record still lack mandatory data.
struct PageCheck {
    QStringList openPages; // page codes, from "01", "02", "03", "04", "08"
    QStringList errors;    // engine messages met on the way (the pages concerned count as open)
};

class Achievements {
public:
    explicit Achievements(TDM& dm) : m_dm(dm) {}

    // The child tables of an achievement, in the order they are changed.
    static const QStringList& childTables();
    // The key pair of the current record; empty when the dataset is closed or empty.
    static AchievementKey keyOf(const engine::Dataset& record);

    // True when an achievement other than `except` is named `name`. Throws engine::EngineError.
    bool nameTaken(const QString& name, const std::optional<AchievementKey>& except = std::nullopt);
    // nextManagementNumber on this data module.
    QString nextNumber(const QString& year, const QString& table = QStringLiteral("pelk"));

    // Appends a new achievement with list position `row` and region ".". The name must be free
    // and the year must have a number left. Throws engine::EngineError when a check cannot run.
    StoreOutcome create(const MainItems& items, int row);
    // Changes the main items of the achievement `old`: a new year gives it the next number of that
    // year and its child rows follow it; a new category empties the items the category lacks.
    // Throws engine::EngineError when a check cannot run.
    StoreOutcome changeMainItems(const AchievementKey& old, const MainItems& items);

    // Deletes the achievement's rows in every child table; on an error stops there and throws.
    void removeChildren(const AchievementKey& key);
    // Deletes exactly the achievement with this key pair from pelk. Throws engine::EngineError.
    void removeMainRecord(const AchievementKey& key);
    // Both, children first.
    void remove(const AchievementKey& key);

    // Reopens a child query ("cgwcdw", "jdwyhmd", anything else: "cgwcr") on the achievement's
    // rows in their list order. Throws engine::EngineError.
    void openChildQuery(engine::Query& query, const QString& table, const AchievementKey& key);

    // Writes 1, 2, 3, ... into NO of the records of list in list order, leaving rows that hold
    // their number alone, and moves to the first record. Throws engine::EngineError (the record
    // being written is given up).
    void renumber(engine::Dataset& list);

    // The pages of the current record of `record` that lack mandatory data: the checkup rows of
    // the list's category (applied technology or the others) and, for "08", the completers.
    PageCheck incompletePages(const engine::Dataset& record, bool appliedList);
    // The pages an achievement of this category must complete.
    static QStringList requiredPages(const QString& category);

    // Forms of intellectual property are stored as codes each followed by ";": appends the ";"
    // older records lack to ITEM_51 of the current record. Throws (the edit is given up).
    void normaliseIpForms(engine::Dataset& record);
    // For records stored before the patent page kept it: when the current achievement has patents
    // and neither patent_ty nor ITEM_51_1, writes the patent types present ("1;3;") and the
    // furthest status ("3" granted, "2" applied, else "1"). Throws (the edit is given up).
    void writePatentSummary(engine::Dataset& record);

private:
    TDM& m_dm;
};

} // namespace tamsel::core
