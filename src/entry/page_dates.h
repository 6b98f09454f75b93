#pragma once

#include <QString>

class QLineEdit;

namespace tamsel::entry {

// A date typed into three edits (year, month, day) and stored as text "YYYY.MM.DD", as the
// evaluation pages keep their dates.
struct DateEdits {
    QLineEdit* year = nullptr;
    QLineEdit* month = nullptr;
    QLineEdit* day = nullptr;

    // Shows a stored "YYYY.MM.DD" text: characters 1-4, 6-7 and 9-10.
    void show(const QString& stored) const;
    // The first failing check's message, or empty when the date is empty or valid. A date
    // with only some parts filled is not valid.
    QString problem() const;
    // The stored form: with all three parts filled, a one-digit month or day gets its leading
    // "0" (also in the edit) and the parts are joined by "."; otherwise empty.
    QString storedText() const;
};

} // namespace tamsel::entry
