// Dates typed into three edits (year, month, day) and stored as "YYYY.MM.DD".
#include "entry/page_dates.h"

#include <QDate>
#include <QLineEdit>

namespace tamsel::entry {

namespace {

QString partOf(const QLineEdit* edit) {
    return edit ? edit->text().trimmed() : QString();
}

// A part is read as a plain run of digits; anything else counts as unreadable.
bool readNumber(const QString& text, int* value) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    bool ok = false;
    *value = text.toInt(&ok);
    return ok;
}

void padPart(QLineEdit* edit) {
    if (edit && edit->text().trimmed().size() == 1) {
        edit->setText(QLatin1Char('0') + edit->text().trimmed());
    }
}

} // namespace

void DateEdits::show(const QString& stored) const {
    if (year) {
        year->setText(stored.mid(0, 4));
    }
    if (month) {
        month->setText(stored.mid(5, 2));
    }
    if (day) {
        day->setText(stored.mid(8, 2));
    }
}

QString DateEdits::problem() const {
    const QString y = partOf(year);
    const QString m = partOf(month);
    const QString d = partOf(day);
    int yv = 0;
    int mv = 0;
    int dv = 0;
    // Letters in a part are reported under that part rather than as a failed conversion.
    if (!y.isEmpty() && (y.size() <= 3 || !readNumber(y, &yv) || yv <= 1948)) {
        return QStringLiteral("非法年份！合理年份应为1949年至今!");
    }
    if (!m.isEmpty() && (!readNumber(m, &mv) || mv > 12)) {
        return QStringLiteral("非法月份!");
    }
    if (!d.isEmpty() && (!readNumber(d, &dv) || dv >= 32)) {
        return QStringLiteral("非法日期!");
    }
    if (y.isEmpty() && m.isEmpty() && d.isEmpty()) {
        return QString();
    }
    if (y.isEmpty() || m.isEmpty() || d.isEmpty() || !QDate(yv, mv, dv).isValid()) {
        return QStringLiteral("日期非法!");
    }
    return QString();
}

QString DateEdits::storedText() const {
    if (partOf(year).isEmpty() || partOf(month).isEmpty() || partOf(day).isEmpty()) {
        return QString();
    }
    padPart(month);
    padPart(day);
    return partOf(year) + QLatin1Char('.') + partOf(month) + QLatin1Char('.') + partOf(day);
}

} // namespace tamsel::entry
