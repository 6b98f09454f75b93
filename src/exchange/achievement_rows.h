#pragma once

// The grid model of the exchange dialogs: the achievements of pelk (export) or of the import
// twin (import) as name, unit and number, each row carrying its key pair.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tamsel::exchange {

struct AchievementRow {
    QByteArray key; // see achievementKey()
    QString number;
    QString region;
    QString name;
    QString unit;
    quint32 record = 0; // in the table file
};

// The rows of table (pelk.dbf, pelktemp.dbf) in file order, those whose ITEM_4 begins with
// yearPrefix when it is given.
QList<AchievementRow> readAchievementRows(const QString& dataFolder, const QString& table,
                                          const QString& yearPrefix = {});

// The years of the management numbers of table (first four characters), newest first.
QStringList achievementYears(const QString& dataFolder, const QString& table);

class AchievementRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Columns: 成果名称, 完成单位, and with yearColumn the year (first four characters of ITEM_4).
    explicit AchievementRowsModel(bool yearColumn, QObject* parent = nullptr);
    void setRows(QList<AchievementRow> rows);
    const QList<AchievementRow>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<AchievementRow> m_rows;
    bool m_yearColumn;
};

} // namespace tamsel::exchange
