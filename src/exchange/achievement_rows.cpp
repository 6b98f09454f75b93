// The achievement grid model of the exchange dialogs.

#include "exchange/achievement_rows.h"

#include "engine/dbffile.h"
#include "engine/gbk.h"
#include "exchange/exporter.h"

#include <QSet>
#include <algorithm>

using namespace tamsel::engine;

namespace tamsel::exchange {

QList<AchievementRow> readAchievementRows(const QString& dataFolder, const QString& table,
                                          const QString& yearPrefix) {
    const auto file = DbfFile::open(dataFolder, table);
    const int i4 = file->fieldIndex(u"ITEM_4");
    const int iq = file->fieldIndex(u"ITEM_DQDM");
    const int i3 = file->fieldIndex(u"ITEM_3");
    const int i9 = file->fieldIndex(u"ITEM_9");
    const QByteArray prefix = yearPrefix.toLatin1();
    QList<AchievementRow> rows;
    for (quint32 r = 0; r < file->recordCount(); ++r) {
        if (file->isDeleted(r)) {
            continue;
        }
        const char* rec = file->recordData(r);
        const QByteArrayView number = file->rawText(rec, i4).trimmed();
        if (!number.startsWith(prefix)) {
            continue;
        }
        const QByteArrayView region = file->rawText(rec, iq).trimmed();
        const QByteArrayView name = file->rawText(rec, i3);
        const QByteArrayView unit = file->rawText(rec, i9);
        rows.append({achievementKey(number, region), decodeGbk(number.data(), number.size()),
                     decodeGbk(region.data(), region.size()), decodeGbk(name.data(), name.size()),
                     decodeGbk(unit.data(), unit.size()), r});
    }
    return rows;
}

QStringList achievementYears(const QString& dataFolder, const QString& table) {
    const auto file = DbfFile::open(dataFolder, table);
    const int i4 = file->fieldIndex(u"ITEM_4");
    QSet<QByteArray> seen;
    for (quint32 r = 0; r < file->recordCount(); ++r) {
        if (!file->isDeleted(r)) {
            const QByteArrayView number = file->rawText(file->recordData(r), i4).trimmed();
            if (!number.isEmpty()) {
                seen.insert(number.first(std::min<qsizetype>(4, number.size())).toByteArray());
            }
        }
    }
    QStringList years;
    for (const QByteArray& y : std::as_const(seen)) {
        years << decodeGbk(y);
    }
    std::sort(years.begin(), years.end(), std::greater<>());
    return years;
}

AchievementRowsModel::AchievementRowsModel(bool yearColumn, QObject* parent)
    : QAbstractTableModel(parent), m_yearColumn(yearColumn) {}

void AchievementRowsModel::setRows(QList<AchievementRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int AchievementRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int AchievementRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (m_yearColumn ? 3 : 2);
}

QVariant AchievementRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size()) {
        return {};
    }
    const AchievementRow& row = m_rows[index.row()];
    switch (index.column()) {
    case 0:
        return row.name;
    case 1:
        return row.unit;
    default:
        return row.number.left(4);
    }
}

QVariant AchievementRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case 0:
        return QStringLiteral("成果名称");
    case 1:
        return QStringLiteral("完成单位");
    default:
        return QStringLiteral("成果完成时间");
    }
}

} // namespace tamsel::exchange
