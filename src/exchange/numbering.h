#pragma once

// Management numbers for achievements stored by an import.

#include <QByteArray>
#include <QHash>
#include <QSet>

namespace tamsel::engine {
class DbfFile;
}

namespace tamsel::exchange {

// A ten-digit number: four-digit year, six-digit serial.
bool isWellFormedNumber(QByteArrayView number);

// Reads the numbers of pelk once and hands out numbers in memory: the largest well-formed
// number of the year + 1, never one that is taken. An incoming number whose year has no
// local achievement is kept while the pair (number, ".") is free.
class NumberAllocator {
public:
    explicit NumberAllocator(const engine::DbfFile& pelk);
    // The number an incoming achievement would get. Throws EngineError when a year is full.
    QByteArray numberFor(QByteArrayView incoming) const;
    // Records that number is now used with region ".".
    void take(const QByteArray& number);

private:
    QSet<QByteArray> m_taken;        // every number in pelk, any region
    QSet<QByteArray> m_takenDot;     // numbers held with region "."
    QSet<QByteArray> m_localYears;   // years with a well-formed local number before the import
    QHash<QByteArray, qint64> m_max; // year -> largest serial
};

} // namespace tamsel::exchange
