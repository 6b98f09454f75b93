// Numbering of imported achievements.

#include "exchange/numbering.h"

#include "core/achievements.h"
#include "engine/dbffile.h"
#include "engine/error.h"

using namespace tamsel::engine;

namespace tamsel::exchange {

bool isWellFormedNumber(QByteArrayView number) {
    if (number.size() != 10) {
        return false;
    }
    for (const char c : number) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

NumberAllocator::NumberAllocator(const DbfFile& pelk) {
    const int i4 = pelk.fieldIndex(u"ITEM_4");
    const int iq = pelk.fieldIndex(u"ITEM_DQDM");
    for (quint32 r = 0; r < pelk.recordCount(); ++r) {
        if (pelk.isDeleted(r)) {
            continue;
        }
        const char* rec = pelk.recordData(r);
        const QByteArray number = pelk.rawText(rec, i4).trimmed().toByteArray();
        m_taken.insert(number);
        if (pelk.rawText(rec, iq).trimmed() == ".") {
            m_takenDot.insert(number);
        }
        if (isWellFormedNumber(number)) {
            const QByteArray year = number.left(4);
            m_localYears.insert(year);
            m_max[year] = std::max(m_max.value(year), number.mid(4).toLongLong());
        }
    }
}

QByteArray NumberAllocator::numberFor(QByteArrayView incoming) const {
    const QByteArray number = incoming.trimmed().toByteArray();
    const QByteArray year = number.left(4);
    if (!m_localYears.contains(year) && !m_takenDot.contains(number)) {
        return number;
    }
    // The local rule (core::nextManagementNumber) in memory, skipping numbers taken in any region.
    for (qint64 serial = m_max.value(year) + 1; serial <= core::kLastSerial; ++serial) {
        const QByteArray candidate =
            core::managementNumber(QString::fromLatin1(year), static_cast<int>(serial)).toLatin1();
        if (!m_taken.contains(candidate)) {
            return candidate;
        }
    }
    throw EngineError(QStringLiteral("%1 年的成果管理编号已经用完").arg(QString::fromLatin1(year)));
}

void NumberAllocator::take(const QByteArray& number) {
    m_taken.insert(number);
    m_takenDot.insert(number);
    if (isWellFormedNumber(number)) {
        const QByteArray year = number.left(4);
        m_max[year] = std::max(m_max.value(year), number.mid(4).toLongLong());
    }
}

} // namespace tamsel::exchange
