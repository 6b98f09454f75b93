// The program's own date and time formats, fixed once at start-up.
#include "platform/dateformats.h"

#include <QLocale>

namespace tamsel::platform {
namespace {

struct Formats {
    QString shortDate;
    QString longDate;
    QString time;
    bool set = false;
};

Formats desktopFormats() {
    const QLocale locale = QLocale::system();
    return Formats{locale.dateFormat(QLocale::ShortFormat), locale.dateFormat(QLocale::LongFormat),
                   locale.timeFormat(QLocale::LongFormat), false};
}

Formats& current() {
    static Formats formats = desktopFormats();
    return formats;
}

} // namespace

QString DateFormats::shortDate() {
    return current().shortDate;
}
QString DateFormats::longDate() {
    return current().longDate;
}
QString DateFormats::time() {
    return current().time;
}
bool DateFormats::isSet() {
    return current().set;
}

void DateFormats::set(const QString& shortDate, const QString& longDate, const QString& time) {
    Formats& f = current();
    if (!shortDate.isEmpty()) {
        f.shortDate = shortDate;
    }
    if (!longDate.isEmpty()) {
        f.longDate = longDate;
    }
    if (!time.isEmpty()) {
        f.time = time;
    }
    f.set = true;
}

void DateFormats::applyProgramFormats() {
    set(QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy-MM-dd"), QStringLiteral("H:mm:ss"));
}

void DateFormats::reset() {
    current() = desktopFormats();
}

QString DateFormats::formatDate(const QDate& date) {
    return date.isValid() ? date.toString(current().shortDate) : QString();
}

QString DateFormats::formatLongDate(const QDate& date) {
    return date.isValid() ? date.toString(current().longDate) : QString();
}

QString DateFormats::formatTime(const QTime& time) {
    return time.isValid() ? time.toString(current().time) : QString();
}

QString DateFormats::formatDateTime(const QDateTime& value) {
    if (!value.isValid()) {
        return QString();
    }
    return formatDate(value.date()) + QLatin1Char(' ') + formatTime(value.time());
}

QDate DateFormats::parseDate(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return QDate();
    }
    return QDate::fromString(trimmed, current().shortDate);
}

} // namespace tamsel::platform
