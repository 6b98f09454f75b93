#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace tamsel::platform {

// The program's own date and time formats. Every date text the program writes or parses goes
// through here. They start as the desktop's formats and are fixed once at start-up (the welcome
// window's tick) to the formats the stored texts rely on; the desktop settings are never changed.
class DateFormats {
public:
    static QString shortDate();
    static QString longDate();
    static QString time();

    // Sets the three formats. Empty arguments are ignored.
    static void set(const QString& shortDate, const QString& longDate, const QString& time);
    // Sets the program's formats: "yyyy-MM-dd", "yyyy-MM-dd", "H:mm:ss".
    static void applyProgramFormats();
    // Back to the desktop's formats (tests).
    static void reset();
    // True once applyProgramFormats (or set) ran.
    static bool isSet();

    static QString formatDate(const QDate& date);     // "" for a null date
    static QString formatLongDate(const QDate& date); // "" for a null date
    static QString formatTime(const QTime& time);
    static QString formatDateTime(const QDateTime& value); // short date, blank, time
    // Parses text in the short date format (surrounding blanks ignored); an invalid QDate when
    // the text is empty or not a date in that format.
    static QDate parseDate(const QString& text);
};

} // namespace tamsel::platform
