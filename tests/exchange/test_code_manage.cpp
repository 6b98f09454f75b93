#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/gbk.h"
#include "engine/table.h"
#include "exchange/archiver.h"
#include "exchange/code_manage_dialog.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace tamsel;
using tamsel::test::ScriptedUi;
using tamsel::test::TestFolder;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray gbk(const QString& text) {
    QByteArray out;
    engine::encodeGbk(text, &out);
    return out;
}

// The data folder, the main window and the dialog with a scripted file dialog.
struct CodeFixture {
    explicit CodeFixture(const QStringList& removed = {}) {
        data.copyDeliveredData();
        for (const QString& name : removed) {
            QFile::remove(data.file(name));
        }
        dm = std::make_unique<core::TDM>(data.path());
        dm->DataModuleCreate(nullptr);
        main = std::make_unique<core::TMainForm>(dm.get());
        dialog = std::make_unique<exchange::TFcodeManage>(*dm, *main);
        dialog->OpenDialog1 = [this](const QString&) { return chosen; };
    }
    // An archive of one member in the source folder.
    QString archive(const QString& archiveName, const QString& member, const QByteArray& bytes) {
        writeFile(source.file(member), bytes);
        exchange::Archiver::pack(source.path(), archiveName, {member});
        return source.file(archiveName);
    }
    QStringList rows(const QString& table, const QString& field) {
        engine::Table t;
        t.setFolder(data.path());
        t.setTableName(table);
        t.open();
        QStringList out;
        for (t.first(); !t.eof(); t.next()) {
            out << t.asString(field);
        }
        return out;
    }
    TestFolder data, source;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<core::TMainForm> main;
    std::unique_ptr<exchange::TFcodeManage> dialog;
    QString chosen;
};

} // namespace

class TestCodeManage : public QObject {
    Q_OBJECT
private slots:
    void archiveReplacesRows();
    void badInputLeavesTable_data();
    void badInputLeavesTable();
    void copiedFileReplacesWhateverCase();
};

void TestCodeManage::archiveReplacesRows() {
    CodeFixture f({"ztflh.dbf"});
    QVERIFY(!f.dm->HasLibraryClass);
    // A name written quoted, with a TAB and a line end inside, arrives whole.
    f.chosen = f.archive("ztflb.arj", "ZTFL.TXT",
                         gbk("1\tA\t马列主义\r\n2\tA1\t\"马克思\t恩格斯\r\n著作\"\r\n2\tA2\t列宁著作 \r\n"));
    ScriptedUi ui;
    ui.expectBox("提示信息", "导入更新成功！");
    f.dialog->Button6Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(f.rows("ztflh.dbf", "XXDM"), (QStringList{"A", "A1", "A2"}));
    QCOMPARE(f.rows("ztflh.dbf", "XXMC"), (QStringList{"马列主义", "马克思\t恩格斯\r\n著作", "列宁著作"}));
    QCOMPARE(f.rows("ztflh.dbf", "JB"), (QStringList{"1", "2", "2"}));
    // Usable at once, without a restart.
    QVERIFY(f.dm->HasLibraryClass);
    QVERIFY(f.dm->Tztflh2.isActive());
    QCOMPARE(f.dm->Tztflh2.recordCount(), 3);
}

void TestCodeManage::badInputLeavesTable_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    QTest::newRow("name too long") << "long"
                                   << "提示"
                                   << "LSBW.TXT 第 2 行，字段 BWMC";
    QTest::newRow("code too long") << "code"
                                   << "提示"
                                   << "字段 BWDM";
    QTest::newRow("member missing") << "missing"
                                    << "提示"
                                    << "没有 LSBW.TXT";
    QTest::newRow("not an archive") << "garbage"
                                    << "提示"
                                    << "";
    QTest::newRow("wrong archive name") << "archivename"
                                        << "请注意！"
                                        << "请选择正确导入包,名字是LSBWB.ARJ!";
    QTest::newRow("wrong table file") << "otherfields"
                                      << "提示"
                                      << "缺少字段 BWDM";
    QTest::newRow("truncated table file") << "truncated"
                                          << "提示"
                                          << "LSBW.DBF";
    QTest::newRow("not a table file") << "textcopy"
                                      << "提示"
                                      << "LSBW.DBF";
    QTest::newRow("wrong copy name") << "copyname"
                                     << "提示信息"
                                     << "请选择正确的文件（LSBW.DBF）！";
}

void TestCodeManage::badInputLeavesTable() {
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QString, message);
    CodeFixture f;
    const QString table = f.data.file("lsbw.dbf");
    const QByteArray before = readAll(table);
    const QByteArray longName(81, 'x');
    bool copy = false;
    if (kind == "long") {
        f.chosen = f.archive("LSBWB.ARJ", "LSBW.TXT", "901\tfine\r\n902\t" + longName + "\r\n");
    } else if (kind == "code") {
        f.chosen = f.archive("LSBWB.ARJ", "LSBW.TXT", "9011\tname\r\n");
    } else if (kind == "missing") {
        f.chosen = f.archive("LSBWB.ARJ", "OTHER.TXT", "901\tname\r\n");
    } else if (kind == "garbage") {
        f.chosen = f.source.file("LSBWB.ARJ");
        writeFile(f.chosen, "not an archive at all");
    } else if (kind == "archivename") {
        f.chosen = f.archive("LSBWB.ZIP", "LSBW.TXT", "901\tname\r\n");
    } else {
        copy = true;
        f.chosen = f.source.file(kind == "copyname" ? "XLSBW.DBF" : "LSBW.DBF");
        if (kind == "otherfields") {
            QVERIFY(QFile::copy(f.data.file("province.dbf"), f.chosen));
        } else if (kind == "truncated") {
            writeFile(f.chosen, before.left(before.size() - 200));
        } else if (kind == "textcopy") {
            writeFile(f.chosen, "BWDM,BWMC\n901,name\n");
        } else {
            QVERIFY(QFile::copy(table, f.chosen));
        }
    }
    {
        ScriptedUi ui;
        ui.expectBox(caption, message, platform::Ok, ScriptedUi::Match::Contains);
        copy ? f.dialog->Button11Click() : f.dialog->Button10Click();
        TAMSEL_VERIFY_UI(ui);
    }
    QCOMPARE(readAll(table), before);
    QVERIFY(f.dm->tblLsbw.isActive());
    QVERIFY(QDir(f.data.path()).entryList({".codetable*"}, QDir::Files | QDir::Hidden).isEmpty());
}

void TestCodeManage::copiedFileReplacesWhateverCase() {
    CodeFixture f;
    // A ministry list of two rows, named in upper case, replaces lsbw.dbf (lower case).
    engine::DbfFile::create(f.source.file("LSBW.DBF"),
                            {{"BWDM", 'C', 3, 0}, {"BWMC", 'C', 80, 0}, {"EXTRA", 'C', 4, 0}});
    {
        engine::Table t;
        t.setFolder(f.source.path());
        t.setTableName("LSBW.DBF");
        t.open();
        for (const auto& [code, name] : {std::pair{"901", "部一"}, std::pair{"902", "部二"}}) {
            t.append();
            t.setValue(QString("BWDM"), QString(code));
            t.setValue(QString("BWMC"), QString::fromUtf8(name));
            t.post();
        }
    }
    f.chosen = f.source.file("LSBW.DBF");
    ScriptedUi ui;
    ui.expectBox("提示信息", "更新“隶属部委”菜单成功!");
    f.dialog->Button11Click();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(QDir(f.data.path()).entryList({"lsbw.dbf"}, QDir::Files).size(), 1);
    QVERIFY(!QFile::exists(f.data.file("LSBW.DBF")));
    QCOMPARE(readAll(f.data.file("lsbw.dbf")), readAll(f.chosen));
    QCOMPARE(f.dm->tblLsbw.recordCount(), 2);
    QCOMPARE(f.rows("lsbw.dbf", "BWMC"), (QStringList{"部一", "部二"}));
}

TAMSEL_TEST(TestCodeManage)
#include "test_code_manage.moc"
