#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace tamsel::print {

// One row of a table as text forms, by lower-case field name.
using Record = QHash<QString, QString>;

struct AchievementKey {
    QString item4;
    QString dqdm;
};

// Rows a caller already holds for the achievement (the main window's current record and child
// lists), so that a print need not scan the tables again; what is absent is read.
struct Prefetched {
    std::optional<Record> achievement;
    QHash<int, QList<Record>> rows; // by PrintData::List, in 序号 order
};

// What one print reads: the achievement, its child lists and the code tables, each read once
// through the engine with bound values and kept for the rest of the print.
class PrintData {
public:
    // Throws engine::EngineError when a table cannot be read, DocumentError when the
    // achievement is not in pelk.
    PrintData(const QString& dataFolder, const AchievementKey& key, const Prefetched& prefetched = {});

    QString field(const QString& name) const; // text form, "" when absent
    const Record& achievement() const { return m_achievement; }

    // Dictionary option name of code in list (zdxx); "" when there is none.
    QString optionName(const QString& list, const QString& code);
    // The options (code, name) of a dictionary list in its order, the old form's "**" options
    // left out.
    QList<std::pair<QString, QString>> options(const QString& list);
    // "code name" from a classification table (xkfl.dbf, ztflh.dbf); "" when the class is
    // unknown, has no name, or the table is not in the folder.
    QString classCodeName(const QString& tableFile, const QString& code);
    QString province(const QString& code);
    QString ministry(const QString& code);

    enum class List { PatentsApplied, PatentsGranted, Units, Completers, Committee };
    const QList<Record>& rows(List list);

private:
    QList<Record> select(const QString& sql, const QHash<QString, QString>& params = {}) const;
    QString findFile(const QString& fileName) const;

    QString m_folder;
    AchievementKey m_key;
    Record m_achievement;
    void loadOptions();
    std::optional<QHash<QString, QString>> m_options; // "list\ncode" -> name
    QHash<QString, QList<std::pair<QString, QString>>> m_optionLists;
    std::optional<QHash<QString, QString>> m_provinces; // code -> name
    std::optional<QHash<QString, QString>> m_ministries;
    QHash<QString, QString> m_classes; // "table\ncode" -> "code name"
    QHash<int, QList<Record>> m_rows;
};

// The documents the dialog produces: two covers and forms per registration form, and the
// evaluation application and certificate.
enum class FormKind {
    AppliedCover,   // both applied-technology covers
    AppliedForm,    // both applied-technology forms
    OtherCoverBody, // soft science / basic theory, body templates
    OtherCover,     // soft science / basic theory, full templates
    OtherFormBody,
    OtherForm,
    Application,
    Certificate,
};

struct FormValue {
    QString bookmark;
    QString text;
    bool operator==(const FormValue&) const = default;
};

// The values of a form in insertion order.
QList<FormValue> formValues(FormKind form, PrintData& data);
// Every bookmark the form may fill, the numbered list rows up to the form's caps included.
QStringList formBookmarks(FormKind form);

// The word buttons of the dialog and their documents (template base name, form), in order.
enum class WordButton { YY, YY_S, RJ, RJ_S, Application, Certificate };
struct DocumentPlan {
    QString templateName; // without extension
    FormKind form;
};
QList<DocumentPlan> documentsOf(WordButton button);

// Rules usable on their own.
QString paddedText(const QString& text, int bytes);
// ("2001年03月", "2003年12月") from "2001.03   至2003.12".
std::pair<QString, QString> periodParts(const QString& period);
// Up to three keywords from a ";"-joined text.
QStringList keywordParts(const QString& keywords);
// The two codes of a ";"-terminated pair; a text without ";" is one code.
std::pair<QString, QString> twoCodes(const QString& value);

} // namespace tamsel::print
