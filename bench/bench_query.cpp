// Query builder and code maintenance benchmark: 查询 on 100,000 achievements with 10,000
// results in one category and year (listed and numbered), and a 50,000-row library
// classification replacing ztflh.dbf from its member, then opened in the picker.
// Prints one line per measurement; not a test.

#include "core/data_module.h"
#include "core/main_form.h"
#include "core/query_builder.h"
#include "engine/dbffile.h"
#include "engine/gbk.h"
#include "engine/table.h"
#include "entry/classification_picker.h"
#include "exchange/codetables.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <cstdio>

using namespace tamsel;

namespace {

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

void report(const char* what, double millis, const QString& extra = QString()) {
    std::printf("%-58s %9.1f ms %s\n", what, millis, extra.toUtf8().constData());
    std::fflush(stdout);
}

void copyFolder(const QString& from, const QString& to) {
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        QFile::copy(from + "/" + name, to + "/" + name);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString folder = dir.path();
    copyFolder(QStringLiteral(TAMSEL_BUILD_DATA_DIR), folder);

    {
        // Nine years of achievements; 2009 holds 12,000 applied-technology ones, 10,000 about rice.
        const auto pelk = engine::DbfFile::open(folder, "pelk.dbf");
        const int f4 = pelk->fieldIndex(u"ITEM_4"), f3 = pelk->fieldIndex(u"ITEM_3"),
                  fc = pelk->fieldIndex(u"ITEM_CGLB"), fd = pelk->fieldIndex(u"ITEM_DQDM");
        const QByteArray blank = pelk->blankRecord();
        for (int i = 0; i < count; ++i) {
            const int year = i < count * 88 / 100 ? 2000 + i * 8 / (count * 88 / 100) : 2009;
            const bool rice = year == 2009 && i % 6 != 0;
            QHash<int, QVariant> v;
            v.insert(f4, QStringLiteral("%1%2").arg(year).arg(i + 1, 6, 10, QChar(u'0')));
            v.insert(fd, QStringLiteral("."));
            v.insert(fc, year == 2009 ? "1" : QString::number(1 + i % 3));
            v.insert(f3,
                     (rice ? QStringLiteral("水稻品种") : QStringLiteral("材料研究")) + QString::number(i));
            pelk->appendRecord(pelk->buildRecord(blank, v));
        }
    }
    engine::Table unit;
    unit.setFolder(folder);
    unit.setTableName("unit.dbf");
    unit.open();
    unit.append();
    unit.setValue(QString("ITEM_9"), QStringLiteral("测试研究院"));
    unit.post();
    unit.close();

    core::TDM dm(folder);
    dm.DataModuleCreate(nullptr);
    core::TMainForm form(&dm);
    auto* years = form.findChild<QComboBox*>("cbYear");
    years->addItem("2009");
    years->setCurrentIndex(0);
    form.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(0);
    form.LoadAchievementList();
    form.RenumberList();
    form.findChild<QPlainTextEdit*>("MMSysV")->setPlainText(" item_3 like '%水稻%'");
    QElapsedTimer timer;
    timer.start();
    core::QueryBuilder::of(form)->SpeedButton16Click();
    report("查询: list and number the results", ms(timer),
           QStringLiteral("%1 of %2 achievements").arg(dm.Qrypelk.recordCount()).arg(count));
    timer.start();
    core::QueryBuilder::of(form)->SpeedButton16Click();
    report("查询 again (numbers already in place)", ms(timer));

    // A 50,000-row library classification from its member.
    QByteArray member;
    for (int i = 0; i < 50000; ++i) {
        const int level = i % 50 == 0 ? 1 : 2;
        QByteArray name;
        engine::encodeGbk(QStringLiteral("分类名称第%1类").arg(i), &name);
        member += QByteArray::number(level) + "\t" + (level == 1 ? "K" : "K") + QByteArray::number(i) + "\t" +
                  name + "\r\n";
    }
    dm.Tztflh2.close();
    dm.Table1.close();
    timer.start();
    const int rows = exchange::replaceFromMember(folder, exchange::CodeTable::LibraryClass, member);
    report("ZTFL.TXT replaces ztflh.dbf", ms(timer), QStringLiteral("%1 rows").arg(rows));

    entry::TFormTree picker(dm);
    QLineEdit target;
    picker.SetActiveTarget(&target, "ztflh.dbf");
    timer.start();
    picker.FormShow();
    report("picker opens the new classification", ms(timer));
    return 0;
}
