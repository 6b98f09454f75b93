#pragma once

#include <QString>

namespace tamsel::core {

class TDM;

// A year the dialogs accept: a whole number from 1900 to 2050, written with digits only.
bool isValidYear(const QString& year);

// True for a management number of the year: the four-digit year and a six-digit serial.
bool isWellFormedNumber(QStringView number, QStringView year);

// The next management number of a year in `pelk` or its import twin `pelktemp`: the largest
// well-formed number of the year plus one, or the year followed by "000001" when it has none.
// Numbers of another shape (they can come in through import) are not counted, so the result is
// never a number that is taken. Runs on the data module's scratch query. Empty when the year is
// not four digits or its serials are used up. Throws engine::EngineError.
QString nextManagementNumber(TDM& dm, const QString& table, const QString& year);

} // namespace tamsel::core
