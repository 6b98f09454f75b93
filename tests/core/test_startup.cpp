#include "core/application.h"
#include "core/data_module.h"
#include "core/help_form.h"
#include "core/jpeg_image.h"
#include "core/main_form.h"
#include "core/welcome_window.h"
#include "engine/error.h"
#include "engine/table.h"
#include "platform/dateformats.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStringEncoder>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace tamsel;
using core::TDM;

namespace {

// The record count in the header and the records marked deleted, read from the bytes.
struct DbfCounts {
    int header = -1;
    int deleted = -1;
};
DbfCounts countRecords(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 32) {
        return {};
    }
    const auto* raw = reinterpret_cast<const uchar*>(bytes.constData());
    DbfCounts counts;
    counts.header = int(qFromLittleEndian<quint32>(raw + 4));
    const int headerLength = qFromLittleEndian<quint16>(raw + 8);
    const int recordLength = qFromLittleEndian<quint16>(raw + 10);
    counts.deleted = 0;
    for (int i = 0; i < counts.header; ++i) {
        const qsizetype at = headerLength + qsizetype(i) * recordLength;
        if (at < bytes.size() && bytes.at(at) == '*') {
            ++counts.deleted;
        }
    }
    return counts;
}

QString fileIn(const QString& folder, const QString& name) {
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return QDir(folder).filePath(entry);
        }
    }
    return QDir(folder).filePath(name);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Holds a table the way another program would: its own descriptor with an exclusive lock.
class ForeignLock {
public:
    explicit ForeignLock(const QString& path) {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~ForeignLock() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { platform::DateFormats::reset(); }

    // Records deleted in the previous run are gone from the working tables after a start; the
    // tables that are not packed keep theirs.
    void packsWorkingTables_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("packed");
        QTest::newRow("achievements") << "pelk.dbf" << true;
        QTest::newRow("completers") << "cgwcr.DBF" << true;
        QTest::newRow("person pool") << "cgwcrNew.dbf" << true;
        QTest::newRow("unit profile") << "unit.dbf" << true;
        QTest::newRow("high-tech fields") << "gxjs.dbf" << true;
        QTest::newRow("import twin") << "pelktemp.dbf" << true;
        QTest::newRow("dictionary is not packed") << "zdxx.dbf" << false;
        QTest::newRow("unit twin is not packed") << "UNITtemp.dbf" << false;
    }
    void packsWorkingTables() {
        QFETCH(QString, file);
        QFETCH(bool, packed);
        test::TestFolder folder;
        folder.copyDeliveredData();
        const QString path = fileIn(folder.path(), file);
        int live = 0;
        {
            engine::Table table;
            table.setFolder(folder.path());
            table.setTableName(file);
            table.open();
            for (int i = 0; i < 3; ++i) {
                table.append();
                table.post();
            }
            table.first();
            table.deleteRecord();
            table.last();
            table.deleteRecord();
            live = table.recordCount();
            table.close();
        }
        const DbfCounts before = countRecords(path);
        QCOMPARE(before.deleted, 2);

        test::ScriptedUi ui;
        TDM dm(folder.path());
        dm.DataModuleCreate();
        TAMSEL_VERIFY_UI(ui);
        QVERIFY(dm.failedObjects().isEmpty());

        const DbfCounts after = countRecords(path);
        QCOMPARE(after.deleted, packed ? 0 : 2);
        QCOMPARE(after.header, packed ? live : before.header);
    }

    // A start without deleted records leaves every file as it was.
    void cleanStartWritesNothing() {
        test::TestFolder folder;
        folder.copyDeliveredData();
        QHash<QString, QByteArray> before;
        const auto files = QDir(folder.path()).entryList(QDir::Files);
        for (const QString& name : files) {
            before.insert(name, readAll(folder.file(name)));
        }
        test::ScriptedUi ui;
        TDM dm(folder.path());
        dm.DataModuleCreate();
        TAMSEL_VERIFY_UI(ui);
        for (const QString& name : files) {
            QVERIFY2(readAll(folder.file(name)) == before.value(name), qPrintable(name));
        }
        // Every object the windows rely on is open; the ones only pointed at the folder are not.
        for (const char* name :
             {"Qrypelk",  "QryCgwcdw",   "QryCgwcr",  "QryJdwyhmd", "Qrydwqk",   "QryCheckUp",
              "Qryunit",  "Qryexpert",   "tempquery", "Query1",     "Query2",    "T_temp_out",
              "Tblgxjs",  "TblDFJHZDXX", "Tblzdxx",   "Tblpelk",    "TblCgwcdw", "Tbljdwyhmd",
              "TblCgwcr", "Tblunit",     "Tblexpert", "tblzlqk",    "tblzdxx1",  "tblProvince",
              "tblLsbw",  "TblwcrNew"}) {
            QVERIFY2(dm.dataset(QString::fromLatin1(name))->isActive(), name);
        }
        QVERIFY(!dm.T_temp_in.isActive());
        QVERIFY(!dm.Table_pack.isActive());
        QCOMPARE(dm.T_temp_in.folder(), folder.path());
        QCOMPARE(dm.ExchangeTableNames,
                 (QStringList{"PELK", "CGWCDW", "CGWCR", "JDWYHMD", "ZLQK", "unit", "expert"}));
        // The lookups see only their item's rows.
        dm.TblCgwcr_181.first();
        QVERIFY(!dm.TblCgwcr_181.eof());
        for (; !dm.TblCgwcr_181.eof(); dm.TblCgwcr_181.next()) {
            QCOMPARE(dm.TblCgwcr_181.asString(u"zddm").toLower(), QStringLiteral("item_181"));
        }
    }

    void optionalClassifications_data() {
        QTest::addColumn<QString>("remove");
        QTest::addColumn<QString>("rename");
        QTest::addColumn<bool>("library");
        QTest::addColumn<bool>("discipline");
        QTest::newRow("both present") << ""
                                      << "" << true << true;
        QTest::newRow("no library classification") << "ztflh.dbf"
                                                   << "" << false << true;
        QTest::newRow("no discipline classification") << "xkfl.dbf"
                                                      << "" << true << false;
        QTest::newRow("names in capitals") << ""
                                           << "ZTFLH.DBF" << true << true;
    }
    void optionalClassifications() {
        QFETCH(QString, remove);
        QFETCH(QString, rename);
        QFETCH(bool, library);
        QFETCH(bool, discipline);
        test::TestFolder folder;
        folder.copyDeliveredData();
        if (!remove.isEmpty()) {
            QVERIFY(QFile::remove(fileIn(folder.path(), remove)));
        }
        if (!rename.isEmpty()) {
            QVERIFY(QFile::rename(fileIn(folder.path(), rename), folder.file(rename)));
        }
        test::ScriptedUi ui; // a missing classification is no error: no box
        TDM dm(folder.path());
        dm.DataModuleCreate();
        TAMSEL_VERIFY_UI(ui);
        QCOMPARE(dm.HasLibraryClass, library);
        QCOMPARE(dm.HasDisciplineClass, discipline);
        QCOMPARE(dm.Tztflh2.isActive(), library);
        QCOMPARE(dm.Txkfl2.isActive(), discipline);
        QVERIFY(dm.failedObjects().isEmpty());
    }

    // A missing, locked or damaged table: the engine's message in one box, the rest of the data
    // module still opens, nothing is written to the failed file, and the failure is recorded.
    void badTable_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("closed");
        QTest::addColumn<QString>("stillOpen");
        const QStringList onPelk = {"Qrypelk", "Tblpelk", "T_temp_out", "tempquery", "Query1", "Query2"};
        const QStringList onZdxx = {"Tblzdxx",        "TblCgwcr_181", "TblCgwcr_183",
                                    "Tbljdwyhmd_191", "Tblzlqk_ty",   "Tblexpert_124_1"};
        QTest::newRow("missing unit profile") << "unit.dbf"
                                              << "remove" << QStringList{"Tblunit", "Qryunit"} << "Qrypelk";
        QTest::newRow("missing dictionary") << "zdxx.dbf"
                                            << "remove" << onZdxx << "Tblunit";
        QTest::newRow("damaged achievements") << "pelk.dbf"
                                              << "garbage" << onPelk << "Tblzdxx";
        QTest::newRow("truncated achievements") << "pelk.dbf"
                                                << "truncate" << onPelk << "QryCgwcr";
        QTest::newRow("damaged person pool") << "cgwcrNew.dbf"
                                             << "garbage" << QStringList{"TblwcrNew"} << "QryCgwcr";
        QTest::newRow("locked achievements") << "pelk.dbf"
                                             << "lock" << onPelk << "Tblunit";
        QTest::newRow("locked dictionary") << "zdxx.dbf"
                                           << "lock" << onZdxx << "Qrypelk";
    }
    void badTable() {
        QFETCH(QString, file);
        QFETCH(QString, damage);
        QFETCH(QStringList, closed);
        QFETCH(QString, stillOpen);
        test::TestFolder folder;
        folder.copyDeliveredData();
        const QString path = fileIn(folder.path(), file);
        std::unique_ptr<ForeignLock> lock;
        if (damage == QLatin1String("remove")) {
            QVERIFY(QFile::remove(path));
        } else if (damage == QLatin1String("garbage")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray("this is not a table at all, only some text that looks nothing like one\n"));
        } else if (damage == QLatin1String("truncate")) {
            QVERIFY(QFile::resize(path, 20));
        } else if (damage == QLatin1String("lock")) {
            lock = std::make_unique<ForeignLock>(path);
            QVERIFY(lock->held());
        }
        const QByteArray before = readAll(path);

        test::ScriptedUi ui;
        ui.expectBox(core::applicationTitle(), QString(), platform::Icon::Error, platform::Ok,
                     test::ScriptedUi::Match::Contains);
        TDM dm(folder.path());
        dm.DataModuleCreate();
        TAMSEL_VERIFY_UI(ui);
        QCOMPARE(ui.boxes().size(), 1);
        const QString text = ui.boxes().first().text;
        QVERIFY2(!text.trimmed().isEmpty(), "the engine's message is shown");
        QVERIFY2(text.contains(QFileInfo(file).completeBaseName(), Qt::CaseInsensitive), qPrintable(text));

        QVERIFY(dm.fileFailed(file));
        for (const QString& name : closed) {
            QVERIFY2(!dm.isOpen(name), qPrintable(name));
            QVERIFY2(!dm.dataset(name)->isActive(), qPrintable(name));
        }
        QVERIFY(dm.isOpen(stillOpen));
        QVERIFY(dm.dataset(stillOpen)->isActive());
        lock.reset();
        QCOMPARE(readAll(path), before);
        QCOMPARE(QFile::exists(path), damage != QLatin1String("remove"));
    }

    // A wrong folder: one box, every object recorded as failed, no crash, nothing created.
    void wrongFolder_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("empty folder") << true << "找不到表 pelk.DBF";
        QTest::newRow("no folder") << false << "找不到数据文件夹";
    }
    void wrongFolder() {
        QFETCH(bool, exists);
        QFETCH(QString, firstLine);
        test::TestFolder folder;
        const QString path = exists ? folder.path() : folder.file(QStringLiteral("data"));
        test::ScriptedUi ui;
        ui.expectBox(core::applicationTitle(), firstLine, platform::Icon::Error, platform::Ok,
                     test::ScriptedUi::Match::Contains);
        TDM dm(path);
        dm.DataModuleCreate();
        TAMSEL_VERIFY_UI(ui);
        QVERIFY(ui.boxes().first().text.startsWith(firstLine));
        QVERIFY(!dm.HasLibraryClass);
        QVERIFY(!dm.isOpen(QStringLiteral("Qrypelk")));
        QVERIFY(!dm.isOpen(QStringLiteral("Tblunit")));
        QVERIFY(dm.startupErrors().size() > 10);
        QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }

    void welcomePicture() {
        QString error;
        const QImage picture = core::Tformwel::loadPicture(&error);
        QVERIFY2(!picture.isNull(), qPrintable(error));
        QCOMPARE(picture.size(), QSize(800, 600));
        core::Tformwel welcome;
        QCOMPARE(welcome.windowTitle(), QStringLiteral("国家Tamsel简易版〔V6.0〕"));
        QCOMPARE(welcome.size(), QSize(800, 600));
        QCOMPARE(welcome.Timer1()->interval(), 5000);
    }

    void damagedJpeg_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("hello, no picture here");
        QTest::newRow("marker only") << QByteArray("\xFF\xD8\xFF\xE0", 4);
        QTest::newRow("png signature") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    }
    void damagedJpeg() {
        QFETCH(QByteArray, data);
        QString error;
        QVERIFY(core::decodeJpeg(data, &error).isNull());
        QVERIFY(!error.isEmpty());
    }

    // The welcome tick closes the window and fixes the program's date formats.
    void welcomeTick() {
        core::Tformwel welcome;
        QVERIFY(!platform::DateFormats::isSet());
        test::ScriptedUi ui;
        bool timerRan = false;
        bool closed = false;
        ui.expectModal(QStringLiteral("Tformwel"), [&](QWidget* w) {
            auto* form = qobject_cast<core::Tformwel*>(w);
            form->show();
            timerRan = form->Timer1()->isActive();
            form->Timer1Timer();
            closed = !form->isVisible() && !form->Timer1()->isActive();
            return form->result();
        });
        QCOMPARE(platform::showModal(&welcome), int(QDialog::Accepted));
        TAMSEL_VERIFY_UI(ui);
        QVERIFY(timerRan);
        QVERIFY(closed);
        QCOMPARE(platform::DateFormats::shortDate(), QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(platform::DateFormats::longDate(), QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(platform::DateFormats::time(), QStringLiteral("H:mm:ss"));
    }

    // The whole start in process: windows created, the welcome shown first, then the main window.
    void startShowsWelcomeThenMain() {
        test::TestFolder folder;
        folder.copyDeliveredData();
        test::TestFolder lockFolder;
        test::ScriptedUi ui;
        core::Application::Options options;
        options.dataPath = folder.path();
        options.lockFolder = lockFolder.path();
        core::Application app(options);
        ui.expectModal(QStringLiteral("Tformwel"), [&](QWidget* w) {
            auto* form = qobject_cast<core::Tformwel*>(w);
            form->Timer1Timer();
            return form->result();
        });
        QVERIFY(app.start());
        QVERIFY(app.dataModule()->failedObjects().isEmpty());
        QVERIFY(!app.welcome()->isVisible());
        QVERIFY(!app.mainForm()->isVisible());
        app.mainForm()->show();
        QTRY_VERIFY(ui.finished());
        TAMSEL_VERIFY_UI(ui);
        QVERIFY(app.mainForm()->isVisible());
        QCOMPARE(app.mainForm()->windowTitle(), QStringLiteral("Tamsel【简易版V6.0】"));
        QCOMPARE(platform::DateFormats::shortDate(), QStringLiteral("yyyy-MM-dd"));

        // A second copy in the same session does not get past the guard.
        core::Application second(options);
        QVERIFY(!second.start());
        QCOMPARE(second.mainForm(), nullptr);
    }

    // A real second process ends at once, silently, while the first runs.
    void secondProcessEndsSilently() {
        const QString built = QStringLiteral(TAMSEL_BUILD_DIR "/tamsel");
        if (!QFile::exists(built)) {
            QSKIP("the program is not built");
        }
        test::TestFolder home; // program beside its own data folder, and a private runtime folder
        QVERIFY(QFile::copy(built, home.file(QStringLiteral("tamsel"))));
        QFile::setPermissions(home.file(QStringLiteral("tamsel")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("data")));
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("run")));
        QFile::setPermissions(home.file(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QFileInfo& info : QDir(QStringLiteral(TAMSEL_BUILD_DATA_DIR)).entryInfoList(QDir::Files)) {
            QVERIFY(
                QFile::copy(info.absoluteFilePath(), home.file(QStringLiteral("data/") + info.fileName())));
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.file(QStringLiteral("run")));
        const QDir run(home.file(QStringLiteral("run")));
        const QStringList locks = {QStringLiteral("Tamsel－【简易版V6.0】-*.lock")};

        QProcess first;
        first.setProcessEnvironment(env);
        first.setWorkingDirectory(home.path());
        first.start(home.file(QStringLiteral("tamsel")), {});
        QVERIFY(first.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(!run.entryList(locks, QDir::Files).isEmpty(), 10000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(home.path());
        QElapsedTimer clock;
        clock.start();
        second.start(home.file(QStringLiteral("tamsel")), {});
        QVERIFY(second.waitForStarted(10000));
        const bool ended = second.waitForFinished(15000);
        if (!ended) {
            second.kill();
            second.waitForFinished(5000);
        }
        const bool firstRunning = first.state() == QProcess::Running;
        first.kill();
        first.waitForFinished(5000);
        QVERIFY2(ended, "the second copy kept running");
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(clock.elapsed() < 5000, "the second copy waited (for the welcome window?)");
        QVERIFY(second.readAllStandardOutput().isEmpty());
        QVERIFY(firstRunning);
    }

    void helpWindow() {
        test::TestFolder folder;
        const QString utf8 = folder.file(QStringLiteral("utf8.txt"));
        const QString gbk = folder.file(QStringLiteral("gbk.txt"));
        const QString text = QStringLiteral("成果名称：填写成果的全称。\n第二行");
        QFile f1(utf8);
        QVERIFY(f1.open(QIODevice::WriteOnly));
        f1.write(text.toUtf8());
        f1.close();
        QFile f2(gbk);
        QVERIFY(f2.open(QIODevice::WriteOnly));
        QStringEncoder encoder("GBK");
        f2.write(encoder.encode(text));
        f2.close();

        core::THelpForm help;
        QCOMPARE(help.windowTitle(), QStringLiteral("帮助信息"));
        QVERIFY(help.loadHelpFile(utf8));
        QCOMPARE(help.helpText(), text);
        help.setHelpText(QString());
        QVERIFY(help.loadHelpFile(gbk));
        QCOMPARE(help.helpText(), text);
        QVERIFY(!help.loadHelpFile(folder.file(QStringLiteral("missing.txt"))));
        QCOMPARE(help.helpText(), text);

        auto* close = help.findChild<QPushButton*>(QStringLiteral("Button1"));
        QVERIFY(close);
        QCOMPARE(close->text(), QStringLiteral("关闭"));
        help.show();
        close->click();
        QVERIFY(!help.isVisible());
    }
};

TAMSEL_TEST(TestStartup)
#include "test_startup.moc"
