// Storing imported achievements: numbering, the all-or-nothing append of an achievement with
// its children, same-name handling and the person pool.

#include "exchange/importstore.h"

#include "engine/dbffile.h"
#include "engine/error.h"
#include "engine/gbk.h"
#include "exchange/exchangeformat.h"
#include "exchange/numbering.h"

#include <QHash>
#include <cstring>
#include <memory>

using namespace tamsel::engine;

namespace tamsel::exchange {

namespace {

using FilePtr = std::shared_ptr<DbfFile>;

const char* const kChildren[] = {"ZLQK", "CGWCR", "JDWYHMD", "CGWCDW"};

QByteArray keyOf(const DbfFile& file, const char* rec, int i4, int iq) {
    return file.rawText(rec, i4).trimmed().toByteArray() + '\0' +
           file.rawText(rec, iq).trimmed().toByteArray();
}

bool sameLayout(const DbfFile& a, const DbfFile& b) {
    if (a.recordLength() != b.recordLength() || a.fields().size() != b.fields().size()) {
        return false;
    }
    for (int i = 0; i < a.fields().size(); ++i) {
        const Field& x = a.fields()[i];
        const Field& y = b.fields()[i];
        if (x.type != y.type || x.length != y.length || x.decimals != y.decimals || x.offset != y.offset) {
            return false;
        }
    }
    return true;
}

void putText(const DbfFile& file, QByteArray& rec, int field, QByteArrayView text) {
    const Field& f = file.fields()[field];
    if (text.size() > f.length) {
        throw EngineError(QStringLiteral("%1 的字段 %2 放不下“%3”")
                              .arg(file.tableName(), f.name, QString::fromLatin1(text)));
    }
    std::memset(rec.data() + f.offset, ' ', size_t(f.length));
    std::memcpy(rec.data() + f.offset, text.data(), size_t(text.size()));
}

// A record of dst holding the fields of src's record by position; memo texts are written to
// dst's memo file.
QByteArray copyRecord(const DbfFile& src, const char* rec, DbfFile& dst, bool same) {
    QHash<int, QVariant> values;
    QByteArray out;
    if (same) {
        out = QByteArray(rec, src.recordLength());
        out[0] = ' ';
        for (int i = 0; i < src.fields().size(); ++i) {
            const Field& f = src.fields()[i];
            if (f.type == 'M') {
                std::memset(out.data() + f.offset, ' ', size_t(f.length));
                const QString text = src.memoText(rec, i);
                if (!text.isEmpty()) {
                    values.insert(i, text);
                }
            }
        }
    } else {
        out = dst.blankRecord();
        const int n = int(std::min(src.fields().size(), dst.fields().size()));
        for (int i = 0; i < n; ++i) {
            values.insert(i, src.text(rec, i));
        }
    }
    return values.isEmpty() ? out : dst.buildRecord(out, values);
}

struct Child {
    FilePtr real;
    FilePtr twin;
    bool same = false; // twin and table share one record layout
    int i4 = -1, iq = -1;
    QHash<QByteArray, QList<quint32>> twinRows; // key pair -> twin records
    QHash<QByteArray, QList<quint32>> realRows; // key pair -> records, built when needed
    bool realIndexed = false;
};

void indexRows(const DbfFile& file, int i4, int iq, QHash<QByteArray, QList<quint32>>& out) {
    for (quint32 r = 0; r < file.recordCount(); ++r) {
        if (!file.isDeleted(r)) {
            out[keyOf(file, file.recordData(r), i4, iq)].append(r);
        }
    }
}

} // namespace

StoreResult storeTwins(const QString& dataFolder, SameName sameName, const Progress& progress) {
    StoreResult result;
    {
        FilePtr pelk = DbfFile::open(dataFolder, QStringLiteral("pelk.dbf"));
        FilePtr twin = DbfFile::open(dataFolder, twinTable(QStringLiteral("PELK")));
        FilePtr pool = DbfFile::open(dataFolder, QStringLiteral("cgwcrNew.dbf"));
        const int i4 = pelk->fieldIndex(u"ITEM_4");
        const int iq = pelk->fieldIndex(u"ITEM_DQDM");
        const int i3 = pelk->fieldIndex(u"ITEM_3");
        const int i9 = pelk->fieldIndex(u"ITEM_9");
        const int t4 = twin->fieldIndex(u"ITEM_4");
        const int tq = twin->fieldIndex(u"ITEM_DQDM");
        const int t3 = twin->fieldIndex(u"ITEM_3");
        const int t9 = twin->fieldIndex(u"ITEM_9");
        if (i4 < 0 || iq < 0 || i3 < 0 || i9 < 0 || t4 < 0 || tq < 0 || t3 < 0 || t9 < 0) {
            throw EngineError(QStringLiteral("pelk.dbf 或 pelktemp.dbf 缺少成果的关键字段"));
        }

        NumberAllocator numbers(*pelk);
        const bool pelkSame = sameLayout(*twin, *pelk);

        // Achievements that were here before this run, by trimmed name and unit.
        QHash<QByteArray, QList<quint32>> byName;
        if (sameName != SameName::Store) {
            for (quint32 r = 0; r < pelk->recordCount(); ++r) {
                if (!pelk->isDeleted(r)) {
                    const char* rec = pelk->recordData(r);
                    byName[keyOf(*pelk, rec, i3, i9)].append(r);
                }
            }
        }

        Child children[4];
        Child* completers = nullptr;
        for (int c = 0; c < 4; ++c) {
            const QString name = QString::fromLatin1(kChildren[c]);
            children[c].real = DbfFile::open(dataFolder, localTable(name) + QStringLiteral(".dbf"));
            children[c].twin = DbfFile::open(dataFolder, twinTable(name));
            children[c].same = sameLayout(*children[c].twin, *children[c].real);
            children[c].i4 = children[c].real->fieldIndex(u"ITEM_4");
            children[c].iq = children[c].real->fieldIndex(u"ITEM_DQDM");
            indexRows(*children[c].twin, children[c].twin->fieldIndex(u"ITEM_4"),
                      children[c].twin->fieldIndex(u"ITEM_DQDM"), children[c].twinRows);
            if (name == QLatin1String("CGWCR")) {
                completers = &children[c];
            }
        }

        // The person pool by trimmed name.
        const int p180 = pool->fieldIndex(u"ITEM_180");
        const int c180 = completers->real->fieldIndex(u"ITEM_180");
        const bool poolSame = sameLayout(*completers->real, *pool);
        QHash<QByteArray, QList<quint32>> poolRows;
        for (quint32 r = 0; r < pool->recordCount(); ++r) {
            if (!pool->isDeleted(r)) {
                poolRows[pool->rawText(pool->recordData(r), p180).trimmed().toByteArray()].append(r);
            }
        }

        QList<quint32> incoming;
        for (quint32 r = 0; r < twin->recordCount(); ++r) {
            if (!twin->isDeleted(r)) {
                incoming.append(r);
            }
        }
        result.read = int(incoming.size());

        for (int n = 0; n < incoming.size(); ++n) {
            if (progress) {
                progress(n, incoming.size());
            }
            const quint32 tr = incoming[n];
            const char* trec = twin->recordData(tr);
            const QByteArray oldKey = keyOf(*twin, trec, t4, tq);
            const QByteArray nameKey = keyOf(*twin, trec, t3, t9);
            const QByteArray name = twin->rawText(trec, t3).trimmed().toByteArray();
            QList<quint32> matches;
            if (sameName != SameName::Store && !name.isEmpty()) {
                for (const quint32 r : byName.value(nameKey)) {
                    if (!pelk->isDeleted(r)) {
                        matches.append(r);
                    }
                }
            }
            auto markDone = [&]() {
                twin->setDeleted(tr, true);
                for (Child& c : children) {
                    for (const quint32 r : c.twinRows.value(oldKey)) {
                        c.twin->setDeleted(r, true);
                    }
                }
            };
            if (sameName == SameName::Skip && !matches.isEmpty()) {
                ++result.skipped;
                result.skippedNames << decodeGbk(name);
                markDone();
                continue;
            }

            // Build every record first (this checks them all), then append; undo on failure.
            QList<std::pair<DbfFile*, quint32>> appended;
            QList<QByteArray> completerRows;
            QByteArray number;
            try {
                number = numbers.numberFor(twin->rawText(trec, t4));
                QByteArray main = copyRecord(*twin, trec, *pelk, pelkSame);
                putText(*pelk, main, i4, number);
                putText(*pelk, main, iq, ".");
                QList<std::pair<Child*, QByteArray>> rows;
                for (Child& c : children) {
                    for (const quint32 r : c.twinRows.value(oldKey)) {
                        QByteArray row = copyRecord(*c.twin, c.twin->recordData(r), *c.real, c.same);
                        putText(*c.real, row, c.i4, number);
                        putText(*c.real, row, c.iq, ".");
                        rows.append({&c, row});
                    }
                }
                appended.append({pelk.get(), pelk->appendRecord(main)});
                for (const auto& [c, row] : rows) {
                    appended.append({c->real.get(), c->real->appendRecord(row)});
                    if (c == completers) {
                        completerRows.append(row);
                    }
                }
            } catch (const EngineError& e) {
                for (const auto& [file, r] : appended) {
                    file->setDeleted(r, true);
                }
                ++result.failed;
                result.messages << QStringLiteral("成果“%1”未能入库：%2").arg(decodeGbk(name), e.message());
                continue;
            }
            numbers.take(number);

            // The person pool: a name not there is added, a name there once is overwritten,
            // a name there more often is left alone.
            for (const QByteArray& row : std::as_const(completerRows)) {
                const QByteArray person =
                    completers->real->rawText(row.constData(), c180).trimmed().toByteArray();
                if (person.isEmpty()) {
                    continue;
                }
                QList<quint32>& rowsOfName = poolRows[person];
                if (rowsOfName.size() > 1) {
                    continue;
                }
                try {
                    const QByteArray copy = copyRecord(*completers->real, row.constData(), *pool, poolSame);
                    if (rowsOfName.isEmpty()) {
                        rowsOfName.append(pool->appendRecord(copy));
                    } else {
                        pool->writeRecord(rowsOfName.first(), copy);
                    }
                } catch (const EngineError& e) {
                    result.messages
                        << QStringLiteral("完成人“%1”未能记入人员库：%2").arg(decodeGbk(person), e.message());
                }
            }

            if (matches.isEmpty()) {
                ++result.stored;
            } else {
                ++result.overwritten;
                for (const quint32 r : matches) {
                    const QByteArray key = keyOf(*pelk, pelk->recordData(r), i4, iq);
                    for (Child& c : children) {
                        if (!c.realIndexed) {
                            indexRows(*c.real, c.i4, c.iq, c.realRows);
                            c.realIndexed = true;
                        }
                        for (const quint32 cr : c.realRows.value(key)) {
                            if (!c.real->isDeleted(cr)) {
                                c.real->setDeleted(cr, true);
                            }
                        }
                    }
                    pelk->setDeleted(r, true);
                }
            }
            markDone();
        }
        if (progress) {
            progress(incoming.size(), incoming.size());
        }
    }

    // Only what failed stays in the twins; everything else goes down to a bare header.
    if (result.failed == 0) {
        emptyTwins(dataFolder);
    } else {
        for (const char* name : {"ZLQK", "CGWCR", "JDWYHMD", "CGWCDW", "PELK"}) {
            try {
                DbfFile::open(dataFolder, twinTable(QString::fromLatin1(name)), OpenMode::Exclusive)->pack();
            } catch (const EngineError&) {
            }
        }
        const auto unit = DbfFile::open(dataFolder, twinTable(QStringLiteral("UNIT")));
        for (quint32 r = 0; r < unit->recordCount(); ++r) {
            unit->setDeleted(r, true);
        }
    }
    return result;
}

void removeIncoming(const QString& dataFolder, const QByteArray& key) {
    for (const char* name : {"ZLQK", "CGWCR", "JDWYHMD", "CGWCDW", "PELK"}) {
        const auto twin = DbfFile::open(dataFolder, twinTable(QString::fromLatin1(name)));
        const int i4 = twin->fieldIndex(u"ITEM_4");
        const int iq = twin->fieldIndex(u"ITEM_DQDM");
        for (quint32 r = 0; r < twin->recordCount(); ++r) {
            if (!twin->isDeleted(r) && keyOf(*twin, twin->recordData(r), i4, iq) == key) {
                twin->setDeleted(r, true);
            }
        }
    }
}

QHash<QByteArray, int> sameNameIndex(const QString& dataFolder) {
    const auto pelk = DbfFile::open(dataFolder, QStringLiteral("pelk.dbf"));
    const int i3 = pelk->fieldIndex(u"ITEM_3");
    const int i9 = pelk->fieldIndex(u"ITEM_9");
    QHash<QByteArray, int> index;
    for (quint32 r = 0; r < pelk->recordCount(); ++r) {
        if (!pelk->isDeleted(r)) {
            ++index[keyOf(*pelk, pelk->recordData(r), i3, i9)];
        }
    }
    return index;
}

QByteArray nameKey(const QString& name, const QString& unit) {
    QByteArray n;
    QByteArray u;
    encodeGbk(name.trimmed(), &n);
    encodeGbk(unit.trimmed(), &u);
    return n + '\0' + u;
}

} // namespace tamsel::exchange
