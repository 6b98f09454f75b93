#pragma once

// A small achievement table for the SQL, dataset and query tests.

#include "engine/dbffile.h"
#include "engine/query.h"

#include <QFile>
#include <QStringList>

namespace tamsel::test {

inline void createSampleTable(const QString& folder, const QString& fileName = QStringLiteral("pelk.dbf")) {
    using namespace tamsel::engine;
    DbfFile::create(folder + u'/' + fileName, {{QStringLiteral("ITEM_4"), 'C', 10, 0},
                                               {QStringLiteral("ITEM_DQDM"), 'C', 3, 0},
                                               {QStringLiteral("ITEM_3"), 'C', 40, 0},
                                               {QStringLiteral("ITEM_CGLB"), 'C', 1, 0},
                                               {QStringLiteral("ITEM_45"), 'N', 10, 2},
                                               {QStringLiteral("ITEM_121"), 'D', 8, 0},
                                               {QStringLiteral("ITEM_13"), 'M', 10, 0},
                                               {QStringLiteral("NO"), 'C', 10, 0}});
    auto file = DbfFile::open(folder, fileName);
    struct Row {
        const char* item4;
        const char* dqdm;
        QString name;
        const char* cglb;
        QVariant amount;
        const char* date;
    };
    const QList<Row> rows = {
        {"2008000001", ".", QStringLiteral("水稻研究"), "1", 5, "2008-01-02"},
        {"2008000002", ".", QStringLiteral("癮"), "2", 12.5, ""},
        {"2009000001", ".", QStringLiteral("abc"), "1", QVariant(), ""},
        {"2007000003", ".", QStringLiteral("O'Brien"), "3", 100, "2007-12-31"},
        {"2008000010", "X", QStringLiteral("研究水稻"), "1", 7, ""},
    };
    for (const Row& r : rows) {
        file->appendRecord(file->buildRecord(file->blankRecord(), {{0, QString::fromLatin1(r.item4)},
                                                                   {1, QString::fromLatin1(r.dqdm)},
                                                                   {2, r.name},
                                                                   {3, QString::fromLatin1(r.cglb)},
                                                                   {4, r.amount},
                                                                   {5, QString::fromLatin1(r.date)},
                                                                   {6, r.name + QStringLiteral(" memo")}}));
    }
}

// The values of one field over all rows of a dataset, joined by ",".
inline QString column(tamsel::engine::Dataset& ds, const QString& field) {
    QStringList out;
    for (ds.first(); !ds.eof(); ds.next())
        out.append(ds.asString(field));
    return out.join(u',');
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace tamsel::test
