#pragma once

// The earlier form of the exchange: an archive named "CGSB" + the unit's code (one to three
// characters) + ".ARJ" whose members carry that code in their names.

#include <QString>

namespace tamsel::exchange {

// The unit code of an old-style archive name, or an empty string when the name is not one
// (both the "CGSB" start and the ".ARJ" end are required, any case).
QString oldStyleCode(const QString& fileName);

// Repacks an old-style archive as cgsbqy.arj with the standard member names, in a private
// folder, and puts it beside the old archive (replacing a cgsbqy.arj there: ask first).
// Returns the new archive's path. Throws ExchangeError with the message for the user.
QString convertOldStyleArchive(const QString& oldArchive);

} // namespace tamsel::exchange
