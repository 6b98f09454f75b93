// The delivered data folder, read back by an independent dBase reader (dbfread): every table
// has exactly the fields and rows of its text source, and the codes the program relies on
// are there.

#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {

QString sourceDir() {
    return QDir::cleanPath(QStringLiteral(TAMSEL_TESTS_SOURCE_DIR "/../data-src/tables"));
}

// A table as its text source describes it.
struct SourceTable {
    QList<QStringList> fields; // name, type, length, decimals
    QList<QStringList> rows;
};

QString unescape(const QString& raw) {
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw.at(i) == QLatin1Char('\\') && i + 1 < raw.size()) {
            const QChar next = raw.at(++i);
            out += next == QLatin1Char('t') ? QChar(u'\t') : next == QLatin1Char('n') ? QChar(u'\n') : next;
        } else {
            out += raw.at(i);
        }
    }
    return out;
}

SourceTable readSource(const QString& path) {
    SourceTable table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return table;
    }
    bool rows = false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line.remove(QLatin1Char('\r'));
        if (line.startsWith(QLatin1Char('#')) || line.trimmed().isEmpty()) {
            continue;
        }
        if (rows) {
            QStringList values;
            for (const QString& v : line.split(QLatin1Char('\t'))) {
                values << unescape(v);
            }
            table.rows << values;
        } else if (line.startsWith(QLatin1String("@field "))) {
            QStringList words = line.simplified().split(QLatin1Char(' ')).mid(1);
            if (words.size() == 3) {
                words << QStringLiteral("0");
            }
            table.fields << words;
        } else if (line.trimmed() == QLatin1String("@rows")) {
            rows = true;
        }
    }
    return table;
}

QString python() {
    // Debian's interpreter carries python3-dbfread; another python3 earlier in PATH may not.
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                 : QStringLiteral("python3");
}

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT

    QJsonObject m_dump; // file name -> table as dbfread reads it

    QJsonObject table(const QString& file) const { return m_dump.value(file).toObject(); }

    QList<QStringList> records(const QString& file) const {
        QList<QStringList> out;
        for (const QJsonValue& r : table(file).value(QStringLiteral("records")).toArray()) {
            QStringList values;
            for (const QJsonValue& v : r.toArray()) {
                values << v.toString();
            }
            out << values;
        }
        return out;
    }

    QStringList fieldNames(const QString& file) const {
        QStringList names;
        for (const QJsonValue& f : table(file).value(QStringLiteral("fields")).toArray()) {
            names << f.toArray().at(0).toString();
        }
        return names;
    }

    // Option codes of one dictionary item, in table order.
    QStringList options(const QString& item, QStringList* texts = nullptr) const {
        QStringList codes;
        for (const QStringList& r : records(QStringLiteral("zdxx.dbf"))) {
            if (r.value(0) == item) {
                codes << r.value(1);
                if (texts) {
                    *texts << r.value(2);
                }
            }
        }
        return codes;
    }

private slots:
    void initTestCase() {
        QProcess process;
        process.start(python(), {QStringLiteral(TAMSEL_TESTS_SOURCE_DIR "/data_folder/dbfdump.py"),
                                 QStringLiteral(TAMSEL_BUILD_DATA_DIR)});
        QVERIFY2(process.waitForFinished(120000), "dbfread did not finish");
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        QJsonParseError error;
        m_dump = QJsonDocument::fromJson(process.readAllStandardOutput(), &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    }

    // Exactly the tables the program opens, under the names it expects.
    void deliversEveryTable() {
        const QStringList expected = {QStringLiteral("DFJHZDXX.DBF"),  QStringLiteral("UNITtemp.dbf"),
                                      QStringLiteral("cgwcdw.DBF"),    QStringLiteral("cgwcdwtemp.DBF"),
                                      QStringLiteral("cgwcr.DBF"),     QStringLiteral("cgwcrNew.dbf"),
                                      QStringLiteral("cgwcrtemp.DBF"), QStringLiteral("checkup.dbf"),
                                      QStringLiteral("dwqk.dbf"),      QStringLiteral("gxjs.dbf"),
                                      QStringLiteral("jdwyhmd.DBF"),   QStringLiteral("jdwyhmdtemp.DBF"),
                                      QStringLiteral("lsbw.dbf"),      QStringLiteral("pelk.dbf"),
                                      QStringLiteral("pelktemp.dbf"),  QStringLiteral("province.dbf"),
                                      QStringLiteral("unit.dbf"),      QStringLiteral("unitexpert.dbf"),
                                      QStringLiteral("xkfl.dbf"),      QStringLiteral("zdxx.dbf"),
                                      QStringLiteral("zdxx1.dbf"),     QStringLiteral("zlqk.dbf"),
                                      QStringLiteral("zlqktemp.DBF"),  QStringLiteral("ztflh.dbf")};
        QStringList delivered = m_dump.keys();
        delivered.sort();
        QStringList sorted = expected;
        sorted.sort();
        QCOMPARE(delivered, sorted);
    }

    void matchesSource_data() {
        QTest::addColumn<QString>("file");
        const QStringList sources = QDir(sourceDir()).entryList({QStringLiteral("*.txt")}, QDir::Files);
        QVERIFY(!sources.isEmpty());
        for (const QString& s : sources) {
            const QString file = QFileInfo(s).completeBaseName();
            QTest::newRow(qPrintable(file)) << file;
        }
    }
    // Field list, header bytes and every row, as the independent reader sees them.
    void matchesSource() {
        QFETCH(QString, file);
        const SourceTable source = readSource(QDir(sourceDir()).filePath(file + QStringLiteral(".txt")));
        const QJsonObject t = table(file);
        QVERIFY2(!t.isEmpty(), "table missing from the data folder");
        QVERIFY2(!t.contains(QStringLiteral("error")),
                 qPrintable(t.value(QStringLiteral("error")).toString()));

        QList<QStringList> fields;
        bool memo = false;
        for (const QJsonValue& f : t.value(QStringLiteral("fields")).toArray()) {
            const QJsonArray a = f.toArray();
            fields << QStringList{a.at(0).toString(), a.at(1).toString(), QString::number(a.at(2).toInt()),
                                  QString::number(a.at(3).toInt())};
            memo = memo || a.at(1).toString() == QLatin1String("M");
        }
        QCOMPARE(fields, source.fields);
        QCOMPARE(t.value(QStringLiteral("version")).toInt(), memo ? 0x83 : 0x03);
        QCOMPARE(t.value(QStringLiteral("language_driver")).toInt(), 0x7A);

        QList<QStringList> expected;
        for (QStringList r : source.rows) {
            while (r.size() < fields.size()) {
                r << QString();
            }
            for (QString& v : r) {
                // Stored text loses its trailing blanks.
                while (v.endsWith(QLatin1Char(' '))) {
                    v.chop(1);
                }
            }
            expected << r;
        }
        QCOMPARE(records(file), expected);
    }

    void pelkLayout() {
        const QStringList pelk = fieldNames(QStringLiteral("pelk.dbf"));
        QCOMPARE(pelk.size(), 106);
        QCOMPARE(pelk.at(5), QStringLiteral("ITEM_121")); // the import's date check uses field 6
        QCOMPARE(
            table(QStringLiteral("pelk.dbf")).value(QStringLiteral("fields")).toArray().at(5).toArray().at(1),
            QJsonValue(QStringLiteral("D")));
        QCOMPARE(pelk.at(22), QStringLiteral("ITEM_4")); // the year change uses fields 23 and 78
        QCOMPARE(pelk.at(77), QStringLiteral("ITEM_DQDM"));
        QCOMPARE(pelk.first(), QStringLiteral("ITEM_1"));
        QCOMPARE(pelk.last(), QStringLiteral("TLINKMANEM"));
    }

    void twinsAndWorkingTables_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("original");
        QTest::newRow("pelk") << "pelktemp.dbf"
                              << "pelk.dbf";
        QTest::newRow("cgwcdw") << "cgwcdwtemp.DBF"
                                << "cgwcdw.DBF";
        QTest::newRow("cgwcr") << "cgwcrtemp.DBF"
                               << "cgwcr.DBF";
        QTest::newRow("person pool") << "cgwcrNew.dbf"
                                     << "cgwcr.DBF";
        QTest::newRow("jdwyhmd") << "jdwyhmdtemp.DBF"
                                 << "jdwyhmd.DBF";
        QTest::newRow("zlqk") << "zlqktemp.DBF"
                              << "zlqk.dbf";
        QTest::newRow("unit") << "UNITtemp.dbf"
                              << "unit.dbf";
        QTest::newRow("unitexpert") << "unitexpert.dbf"
                                    << "";
        QTest::newRow("dwqk") << "dwqk.dbf"
                              << "";
    }
    // Twins take rows by position from their tables, so their layouts must be identical;
    // every working table is delivered empty.
    void twinsAndWorkingTables() {
        QFETCH(QString, file);
        QFETCH(QString, original);
        if (!original.isEmpty()) {
            QCOMPARE(table(file).value(QStringLiteral("fields")),
                     table(original).value(QStringLiteral("fields")));
            QVERIFY(records(original).isEmpty());
        }
        QVERIFY(!fieldNames(file).isEmpty());
        QVERIFY(records(file).isEmpty());
    }

    void fixedCodes_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("codes"); // the item's codes, in table order (without "**" options)
        QTest::addColumn<QString>("code");  // one code whose text ...
        QTest::addColumn<QString>("text");  // ... equals this (or contains it, with a leading "~")
        QTest::newRow("patent status") << "patent_st"
                                       << "1 2"
                                       << "2"
                                       << "已授权";
        QTest::newRow("patent type") << "patent_ty"
                                     << "1 2 3"
                                     << "1"
                                     << "发明专利";
        QTest::newRow("unit type") << "item_62"
                                   << "1 2 3 4 9"
                                   << "3"
                                   << "企业";
        QTest::newRow("application state") << "item_32"
                                           << "1 2 3 4"
                                           << "1"
                                           << "~稳定应用";
        QTest::newRow("not applied") << "item_32"
                                     << "1 2 3 4"
                                     << "4"
                                     << "~未应用";
        QTest::newRow("sex") << "item_181"
                             << "0 1"
                             << "0"
                             << "男";
        QTest::newRow("committee sex") << "item_193"
                                       << "0 1"
                                       << "1"
                                       << "女";
        QTest::newRow("title") << "item_183"
                               << "1 2 3 4 5 9 a b c"
                               << "4"
                               << "中级";
        QTest::newRow("committee title") << "item_198"
                                         << "1 2 3 4 5 9 a b c"
                                         << "c"
                                         << "工程院院士";
        QTest::newRow("education") << "item_184"
                                   << "2 3 4 5 6 9"
                                   << "4"
                                   << "大本";
        QTest::newRow("returned") << "item_188"
                                  << "1 0"
                                  << "0"
                                  << "否";
        QTest::newRow("committee role") << "item_191"
                                        << "1 2 3"
                                        << "1"
                                        << "主任委员";
        QTest::newRow("evaluation applied") << "item_21"
                                            << "1 2 3 5 9"
                                            << "9"
                                            << "其他";
        QTest::newRow("evaluation other") << "item_21_l"
                                          << "2 4 6 9"
                                          << "9"
                                          << "其他";
        QTest::newRow("national plan in print") << "item_126"
                                                << "01 02 03 05 06 07 08 09 10 19"
                                                << "01"
                                                << "国家科技计划";
        QTest::newRow("reasons") << "item_32_1"
                                 << "1 2 3 4 5"
                                 << "3"
                                 << "市场问题";
        QTest::newRow("high tech") << "item_124_1"
                                   << "01 02 03 04 05 06 07 08 09 10 11"
                                   << "11"
                                   << "农业";
    }
    // Codes the pages store, count or decode by value.
    void fixedCodes() {
        QFETCH(QString, item);
        QFETCH(QString, codes);
        QFETCH(QString, code);
        QFETCH(QString, text);
        QStringList texts;
        const QStringList all = options(item, &texts);
        QStringList current;
        QString found;
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (!texts.at(i).startsWith(QLatin1String("**"))) {
                current << all.at(i);
            }
            if (all.at(i) == code) {
                found = texts.at(i);
            }
        }
        QCOMPARE(current.join(QLatin1Char(' ')), codes);
        if (text.startsWith(QLatin1Char('~'))) {
            QVERIFY2(found.contains(text.mid(1)), qPrintable(found));
        } else {
            QCOMPARE(found, text);
        }
    }

    // Every stored code fits the field it goes to: lists store the first three (some two)
    // characters of "code  text", panels add ";".
    void dictionaryCodesFitTheirFields() {
        QHash<QString, int> widths;
        for (const QString& file : {QStringLiteral("pelk.dbf"), QStringLiteral("cgwcr.DBF"),
                                    QStringLiteral("jdwyhmd.DBF"), QStringLiteral("zlqk.dbf")}) {
            for (const QJsonValue& f : table(file).value(QStringLiteral("fields")).toArray()) {
                widths.insert(f.toArray().at(0).toString().toLower(), f.toArray().at(2).toInt());
            }
        }
        const QSet<QString> twoCharacterLists = {QStringLiteral("item_125_1"), QStringLiteral("item_46"),
                                                 QStringLiteral("item_47"), QStringLiteral("patent_st"),
                                                 QStringLiteral("patent_ty")};
        QSet<QString> seen;
        for (const QStringList& r : records(QStringLiteral("zdxx.dbf"))) {
            const QString item = r.value(0);
            const QString key = item + QLatin1Char('|') + r.value(1);
            QVERIFY2(!seen.contains(key), qPrintable(QStringLiteral("duplicate option ") + key));
            seen.insert(key);
            QVERIFY2(!r.value(1).isEmpty() && !r.value(2).isEmpty(), qPrintable(key));
            const int width =
                widths.value(item == QLatin1String("item_21_l") ? QStringLiteral("item_21") : item);
            QVERIFY2(width > 0, qPrintable(QStringLiteral("no field for ") + item));
            const qsizetype limit = twoCharacterLists.contains(item) ? 2 : 3;
            QVERIFY2(r.value(1).toLatin1().size() <= std::min<qsizetype>(limit, width), qPrintable(key));
            QVERIFY2(r.value(1) == r.value(1).trimmed(), qPrintable(key));
        }
    }

    // The query builder recognises these item texts; every item names a field to search.
    void queryItems() {
        QStringList names;
        const QStringList pelk = fieldNames(QStringLiteral("pelk.dbf"));
        for (const QStringList& r : records(QStringLiteral("zdxx1.dbf"))) {
            names << r.value(0);
            const bool field = pelk.contains(r.value(1).toUpper());
            QVERIFY2(field || !options(r.value(1)).isEmpty(), qPrintable(r.value(1)));
        }
        const auto count = [&](const QString& part) {
            return std::count_if(names.begin(), names.end(),
                                 [&](const QString& n) { return n.contains(part); });
        };
        QCOMPARE(count(QStringLiteral("隶属部委")), 1);
        QCOMPARE(count(QStringLiteral("单位所在省市")), 1);
        QVERIFY(count(QStringLiteral("图分类号")) >= 1);
        QVERIFY(count(QStringLiteral("科分类号")) >= 1);
        QVERIFY(names.contains(QStringLiteral("评价形式(软、基)")));
        // Province and ministry lists come from their own tables only when the dictionary has none.
        QVERIFY(options(QStringLiteral("item_64")).isEmpty());
        QVERIFY(options(QStringLiteral("item_63")).isEmpty());
    }

    void codeTables() {
        const QStringList pelk = fieldNames(QStringLiteral("pelk.dbf"));
        for (const QStringList& r : records(QStringLiteral("checkup.dbf"))) {
            QVERIFY2(QStringList({"a", "1", "2"}).contains(r.value(0)), qPrintable(r.join(' ')));
            QVERIFY2(pelk.contains(r.value(1).toUpper()), qPrintable(r.join(' ')));
            QVERIFY2(QStringList({"01", "02", "03", "04"}).contains(r.value(2)), qPrintable(r.join(' ')));
        }
        const QList<QStringList> provinces = records(QStringLiteral("province.dbf"));
        QCOMPARE(provinces.size(), 34);
        QSet<QString> codes;
        for (const QStringList& r : provinces) {
            QCOMPARE(r.value(0).size(), 3); // ITEM_64 is text 3
            codes.insert(r.value(0));
        }
        QCOMPARE(codes.size(), 34);
        QStringList ministries;
        for (const QStringList& r : records(QStringLiteral("lsbw.dbf"))) {
            QVERIFY(!r.value(0).isEmpty() && r.value(0).size() <= 3);
            ministries << r.value(1);
        }
        QVERIFY(ministries.contains(QStringLiteral("国家信访局")));
        QVERIFY(ministries.contains(QStringLiteral("国务院参事室")));
        const QStringList sources = options(QStringLiteral("item_126"));
        for (const QStringList& r : records(QStringLiteral("DFJHZDXX.DBF"))) {
            QVERIFY2(sources.contains(r.value(0)), qPrintable(r.join(' ')));
            QVERIFY(r.value(1).size() <= 2); // stored as the first two characters of the entry
        }
    }

    void classificationTrees_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("codeWidth"); // the pelk field the codes are stored in
        QTest::newRow("gxjs") << "gxjs.dbf" << 15;
        QTest::newRow("xkfl") << "xkfl.dbf" << 10;
        QTest::newRow("ztflh") << "ztflh.dbf" << 12;
    }
    // The picker builds its tree from record order: each node follows its parent, at most one
    // level deeper, and its code extends its parent's.
    void classificationTrees() {
        QFETCH(QString, file);
        QFETCH(int, codeWidth);
        QCOMPARE(fieldNames(file).value(1), QStringLiteral("XXDM"));
        QCOMPARE(fieldNames(file).value(2), QStringLiteral("XXMC"));
        QStringList path; // codes of the current node's ancestors, by level
        QSet<QString> codes;
        QStringList tops;
        for (const QStringList& r : records(file)) {
            const int level = r.value(0).toInt();
            const QString code = r.value(1);
            QVERIFY2(level >= 1 && level <= path.size() + 1 && level <= 4, qPrintable(code));
            QVERIFY2(!codes.contains(code), qPrintable(code));
            QVERIFY2(code.size() <= codeWidth && !r.value(2).isEmpty(), qPrintable(code));
            codes.insert(code);
            path = path.mid(0, level - 1);
            // A bracketed alternative class ("[TN98]") belongs where its number does.
            QString number = code;
            number.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
            QVERIFY2(path.isEmpty() || number.startsWith(path.last()), qPrintable(code));
            path << number;
            if (level == 1) {
                tops << code;
            }
        }
        if (file == QLatin1String("gxjs.dbf")) {
            QCOMPARE(tops.join(' '), QStringLiteral("01 02 03 04 05 06 07 08 09 10 11"));
        } else if (file == QLatin1String("ztflh.dbf")) {
            QCOMPARE(tops.size(), 22);
        } else {
            QVERIFY(tops.size() >= 60 && codes.size() > 600);
        }
    }

    void matchesReference_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<int>("codeColumn");
        QTest::addColumn<int>("codeLength"); // leading characters of the reference code kept, 0: all
        QTest::newRow("xkfl") << "xkfl.dbf"
                              << "xkfl-gbt13745-2009.tsv" << 1 << 0;
        QTest::newRow("ztflh") << "ztflh.dbf"
                               << "ztflh-clc4.tsv" << 1 << 0;
        QTest::newRow("province") << "province.dbf"
                                  << "province-gbt2260.tsv" << 0 << 3;
    }
    // The delivered code tables are the public standards' lists, code for code and in order.
    void matchesReference() {
        QFETCH(QString, file);
        QFETCH(QString, reference);
        QFETCH(int, codeColumn);
        QFETCH(int, codeLength);
        QFile list(QStringLiteral(TAMSEL_TESTS_SOURCE_DIR "/data_folder/reference/") + reference);
        QVERIFY(list.open(QIODevice::ReadOnly));
        QStringList expected;
        for (const QString& line :
             QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList parts = line.split(QLatin1Char('\t'));
            expected << (codeLength > 0 ? parts.value(0).left(codeLength) : parts.value(0)) +
                            QLatin1Char(' ') + parts.value(1).trimmed();
        }
        QStringList delivered;
        for (const QStringList& r : records(file)) {
            delivered << r.value(codeColumn) + QLatin1Char(' ') + r.value(codeColumn + 1);
        }
        QCOMPARE(delivered, expected);
    }

    void generatorRefusesBadSources_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("where"); // line and field the message must name
        QTest::newRow("too long") << QByteArray("@field A C 2\n@rows\nab\nabc\n") << ":4: A";
        QTest::newRow("not GBK") << QByteArray("@field A C 8\n@rows\n\xF0\x9F\x98\x80\n") << ":3: A";
        QTest::newRow("not a number") << QByteArray("@field A C 2\n@field B N 4 0\n@rows\na\tx\n") << ":4: B";
        QTest::newRow("bad date") << QByteArray("@field D D 8\n@rows\n2009-13-45\n") << ":3: D";
        QTest::newRow("too many values") << QByteArray("@field A C 2\n@rows\na\tb\n") << ":3:";
        QTest::newRow("unknown escape") << QByteArray("@field A C 2\n@rows\n\\x\n") << ":3:";
        QTest::newRow("bad width") << QByteArray("# c\n@field A C 300\n@rows\n") << ":2: A";
        QTest::newRow("unknown line") << QByteArray("@field A C 2\n@fields B C 2\n") << ":2:";
    }
    // A bad source fails the build with its place named and leaves no table behind, while
    // the good sources beside it are still written.
    void generatorRefusesBadSources() {
        QFETCH(QByteArray, source);
        QFETCH(QString, where);
        QTemporaryDir src;
        QTemporaryDir out;
        QFile bad(src.filePath(QStringLiteral("bad.dbf.txt")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(source);
        bad.close();
        QFile good(src.filePath(QStringLiteral("good.dbf.txt")));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write("@field A C 4\n@rows\n\xE4\xB8\xAD\n"); // 中
        good.close();

        QProcess process;
        process.start(QStringLiteral(TAMSEL_BUILD_DIR "/tamsel-mkdata"), {src.path(), out.path()});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        const QString message = QString::fromUtf8(process.readAllStandardError()).simplified();
        const QStringList parts = where.split(QLatin1Char(' '));
        QVERIFY2(message.contains(QStringLiteral("bad.dbf.txt") + parts.first()), qPrintable(message));
        if (parts.size() > 1) {
            QVERIFY2(message.contains(parts.last()), qPrintable(message));
        }
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{QStringLiteral("good.dbf")});
    }
};

TAMSEL_TEST(TestDataFolder)
#include "test_data_folder.moc"
