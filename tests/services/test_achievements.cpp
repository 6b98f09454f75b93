// The achievement rules on a copied data folder, without any window.
#include "core/achievements.h"
#include "core/data_module.h"
#include "engine/query.h"
#include "support/records.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QTest>
#include <algorithm>
#include <memory>

using namespace tamsel;
using core::Achievements;
using core::StoreOutcome;
using Status = StoreOutcome::Status;

namespace {

const QStringList kChildren = {"cgwcdw.DBF", "zlqk.dbf", "jdwyhmd.DBF", "cgwcr.DBF"};

struct Folder {
    Folder() {
        folder.copyDeliveredData();
        dm = std::make_unique<core::TDM>(folder.path());
    }
    // Opens the data module once the rows are in place.
    Achievements open() {
        dm->openObjects();
        if (!dm->startupErrors().isEmpty()) {
            qFatal("%s", qPrintable(dm->startupErrors().join('\n')));
        }
        return Achievements(*dm);
    }
    void append(const QString& table, const QHash<QString, QVariant>& values) const {
        test::appendRecord(folder.path(), table, values);
    }
    void addAchievement(const QString& number, const QString& name,
                        QHash<QString, QVariant> values = {}) const {
        values.insert("ITEM_4", number);
        values.insert("ITEM_DQDM", ".");
        values.insert("ITEM_3", name);
        values.insert("ITEM_9", "测试研究院");
        if (!values.contains("ITEM_CGLB")) {
            values.insert("ITEM_CGLB", "1");
        }
        append("pelk.dbf", values);
    }
    void addChildren(const QString& number, const QString& dqdm = ".") const {
        for (const QString& table : kChildren) {
            append(table, {{"ITEM_4", number}, {"ITEM_DQDM", dqdm}});
        }
    }
    // The named fields of every record of a table, each record's values joined by "|".
    QStringList rows(const QString& table, const QStringList& fields) const {
        engine::Table t;
        t.setFolder(folder.path());
        t.setTableName(table);
        t.open();
        QStringList rows;
        for (t.first(); !t.eof(); t.next()) {
            QStringList values;
            for (const QString& field : fields) {
                values << t.asString(field);
            }
            rows << values.join('|');
        }
        return rows;
    }
    // "number/region" of every child row, table by table.
    QStringList childKeys() const {
        QStringList keys;
        for (const QString& table : kChildren) {
            keys << table.section('.', 0, 0) + ':' + rows(table, {"ITEM_4", "ITEM_DQDM"}).join(',');
        }
        return keys;
    }

    test::TestFolder folder;
    std::unique_ptr<core::TDM> dm;
};

} // namespace

class TestAchievements : public QObject {
    Q_OBJECT
private slots:
    void create_data();
    void create();
    void changeMainItems_data();
    void changeMainItems();
    void removeAndRenumber();
    void completeness_data();
    void completeness();
    void patentSummary_data();
    void patentSummary();
};

void TestAchievements::create_data() {
    QTest::addColumn<QStringList>("existing"); // "number|name"
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("message");
    QTest::newRow("first of the year")
        << QStringList{"2009000004|甲"} << "新成果" << int(Status::Stored) << "2010000001"
        << "";
    QTest::newRow("after a gap") << QStringList{"2010000001|甲", "2010000007|乙"} << "新成果"
                                 << int(Status::Stored) << "2010000008"
                                 << "";
    QTest::newRow("name with a quote taken")
        << QStringList{"2009000001|O'Neil的方法"} << "O'Neil的方法" << int(Status::DuplicateName) << ""
        << "已有同名项目!";
    QTest::newRow("serials used up") << QStringList{"2010999999|甲"} << "新成果" << int(Status::NumbersUsedUp)
                                     << ""
                                     << "2010年的成果管理编号已用完！";
    QTest::newRow("too long for its field")
        << QStringList{} << QString(71, QChar(0x6C34)) << int(Status::Failed) << "2010000001"
        << "ITEM_3";
}

void TestAchievements::create() {
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(int, status);
    QFETCH(QString, number);
    QFETCH(QString, message);
    Folder f;
    for (const QString& row : existing) {
        f.addAchievement(row.section('|', 0, 0), row.section('|', 1));
    }
    const StoreOutcome outcome = f.open().create({"2", "2010", "Y01", name, "测试研究院"}, 9);
    QCOMPARE(int(outcome.status), status);
    QCOMPARE(outcome.number, number);
    QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
    const QStringList rows = f.rows("pelk", {"NO", "ITEM_4", "ITEM_DQDM", "ITEM_CGLB", "ITEM_120", "ITEM_3"});
    if (status == int(Status::Stored)) {
        QCOMPARE(rows.size(), existing.size() + 1);
        QCOMPARE(rows.last(), "9|" + number + "|.|2|Y01|" + name);
    } else {
        QCOMPARE(rows.size(), existing.size());
    }
}

void TestAchievements::changeMainItems_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("evaluation"); // ITEM_21 before
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected"); // ITEM_4|ITEM_CGLB|ITEM_3|ITEM_21|ITEM_123|ITEM_210 after
    QTest::newRow("new year: own children follow") << "1"
                                                   << "2009"
                                                   << "甲"
                                                   << "3" << int(Status::Stored) << "2009000004|1|甲|3|1|";
    QTest::newRow("soft science keeps evaluation 2") << "2"
                                                     << "2008"
                                                     << "甲二"
                                                     << "2" << int(Status::Stored) << "2008000001|2|甲二|2||";
    QTest::newRow("soft science empties evaluation 3") << "2"
                                                       << "2008"
                                                       << "甲"
                                                       << "3" << int(Status::Stored) << "2008000001|2|甲|||";
    QTest::newRow("name of another achievement")
        << "2"
        << "2009"
        << "乙"
        << "3" << int(Status::DuplicateName) << "2008000001|1|甲|3|1|";
}

void TestAchievements::changeMainItems() {
    QFETCH(QString, category);
    QFETCH(QString, year);
    QFETCH(QString, name);
    QFETCH(QString, evaluation);
    QFETCH(int, status);
    QFETCH(QString, expected);
    Folder f;
    f.addAchievement("2008000001", "甲", {{"ITEM_21", evaluation}, {"ITEM_123", "1"}});
    f.addAchievement("2009000003", "乙", {{"ITEM_CGLB", "2"}, {"ITEM_210", "1"}});
    f.addChildren("2008000001");
    f.append("cgwcr.DBF", {{"ITEM_4", "2008000001"}, {"ITEM_DQDM", "11"}}); // another region's
    const StoreOutcome outcome =
        f.open().changeMainItems({"2008000001", "."}, {category, year, "", name, "单位"});
    QCOMPARE(int(outcome.status), status);
    QVERIFY(outcome.childErrors.isEmpty());
    const QStringList rows =
        f.rows("pelk", {"ITEM_4", "ITEM_CGLB", "ITEM_3", "ITEM_21", "ITEM_123", "ITEM_210"});
    QCOMPARE(rows.first(), expected);
    QCOMPARE(rows.last(), "2009000003|2|乙|||1");
    const QString number = expected.section('|', 0, 0);
    QCOMPARE(outcome.number, number);
    const QString own = number + "/.";
    QCOMPARE(
        f.childKeys().join(' ').replace('|', '/'),
        QStringList({"cgwcdw:" + own, "zlqk:" + own, "jdwyhmd:" + own, "cgwcr:" + own + ",2008000001/11"})
            .join(' '));
}

void TestAchievements::removeAndRenumber() {
    Folder f;
    for (const QString& number : QStringList{"2008000001", "2008000002", "2008000003"}) {
        f.addAchievement(number, "成果" + number, {{"NO", "7"}});
        f.addChildren(number);
    }
    f.append("zlqk.dbf", {{"ITEM_4", "2008000002"}, {"ITEM_DQDM", "11"}}); // another region's
    Achievements achievements = f.open();
    achievements.remove({"2008000002", "."});
    f.dm->OpenQueryText(f.dm->Query1, "select * from pelk");
    achievements.renumber(f.dm->Query1);
    QCOMPARE(f.rows("pelk", {"NO", "ITEM_4"}), (QStringList{"1|2008000001", "2|2008000003"}));
    QCOMPARE(f.childKeys(),
             (QStringList{"cgwcdw:2008000001|.,2008000003|.", "zlqk:2008000001|.,2008000003|.,2008000002|11",
                          "jdwyhmd:2008000001|.,2008000003|.", "cgwcr:2008000001|.,2008000003|."}));
}

void TestAchievements::completeness_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<bool>("filled");
    QTest::addColumn<bool>("completer");
    QTest::addColumn<QStringList>("open");
    QTest::addColumn<bool>("complete");
    QTest::newRow("applied, complete") << "1" << true << true << QStringList{} << true;
    QTest::newRow("no completer") << "1" << true << false << QStringList{"08"} << false;
    QTest::newRow("applied, nothing filled")
        << "1" << false << true << QStringList{"01", "02", "03", "04"} << false;
    QTest::newRow("soft science has no page 2")
        << "2" << false << false << QStringList{"01", "03", "04", "08"} << false;
    QTest::newRow("soft science, complete") << "2" << true << true << QStringList{} << true;
}

void TestAchievements::completeness() {
    QFETCH(QString, category);
    QFETCH(bool, filled);
    QFETCH(bool, completer);
    QFETCH(QStringList, open);
    QFETCH(bool, complete);
    Folder f;
    QHash<QString, QVariant> values =
        filled ? test::completeFields(f.folder.path(), category) : QHash<QString, QVariant>();
    values.insert("ITEM_CGLB", category);
    f.addAchievement("2008000001", "甲", values);
    if (completer) {
        f.append("cgwcr.DBF", {{"ITEM_4", "2008000001"}, {"ITEM_DQDM", "."}});
    }
    Achievements achievements = f.open();
    f.dm->OpenQueryText(f.dm->Query1, "select * from pelk");
    const core::PageCheck check =
        achievements.incompletePages(f.dm->Query1, core::isAppliedTechnology(category));
    QVERIFY(check.errors.isEmpty());
    QStringList pages = check.openPages;
    pages.sort();
    QCOMPARE(pages, open);
    const QStringList required = Achievements::requiredPages(category);
    QCOMPARE(required.contains("02"), category == "1");
    const bool done = std::none_of(required.cbegin(), required.cend(),
                                   [&](const QString& code) { return pages.contains(code); });
    QCOMPARE(done, complete);
}

void TestAchievements::patentSummary_data() {
    QTest::addColumn<QStringList>("patents"); // "type/status"
    QTest::addColumn<QString>("summary");     // ITEM_51_1 before
    QTest::addColumn<QString>("expected");    // ITEM_51|patent_ty|ITEM_51_1 after
    QTest::newRow("type 2 applied") << QStringList{"2/1"} << ""
                                    << "1;|2;|2";
    QTest::newRow("types 3 and 1, one granted") << QStringList{"3/2", "1/1"} << ""
                                                << "1;|1;3;|3";
    QTest::newRow("summary kept") << QStringList{"2/1"} << "1"
                                  << "1;||1";
    QTest::newRow("no patents") << QStringList{} << ""
                                << "1;||";
}

void TestAchievements::patentSummary() {
    QFETCH(QStringList, patents);
    QFETCH(QString, summary);
    QFETCH(QString, expected);
    Folder f;
    f.addAchievement("2008000001", "甲", {{"ITEM_51", "1"}, {"ITEM_51_1", summary}});
    for (const QString& patent : patents) {
        f.append("zlqk.dbf", {{"ITEM_4", "2008000001"},
                              {"ITEM_DQDM", "."},
                              {"PATENT_TY", patent.section('/', 0, 0)},
                              {"PATENT_ST", patent.section('/', 1)}});
    }
    f.append("zlqk.dbf",
             {{"ITEM_4", "2008000001"}, {"ITEM_DQDM", "11"}, {"PATENT_TY", "2"}, {"PATENT_ST", "2"}});
    Achievements achievements = f.open();
    f.dm->OpenQueryText(f.dm->Query1, "select * from pelk");
    achievements.normaliseIpForms(f.dm->Query1);
    achievements.writePatentSummary(f.dm->Query1);
    QCOMPARE(f.rows("pelk", {"ITEM_51", "patent_ty", "ITEM_51_1"}), QStringList{expected});
}

TAMSEL_TEST(TestAchievements)
#include "test_achievements.moc"
