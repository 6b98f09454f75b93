#include "engine/folderlock.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QProcess>
#include <QTest>

using tamsel::engine::FolderLock;

namespace {

// Whether another process could take the folder's lock right now (flock(1) takes the same lock).
bool freeForOthers(const QString& folder) {
    QProcess p;
    p.start(QStringLiteral("flock"),
            {QStringLiteral("-n"), folder + QStringLiteral("/tamsel.lock"), QStringLiteral("true")});
    p.waitForFinished(10000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class TestFolderLock : public QObject {
    Q_OBJECT
private slots:
    // The program holds the lock for its run while its dialogs take it again; other processes
    // stay out until the last holder lets go.
    void sharedWithinProcessExclusiveOutside() {
        tamsel::test::TestFolder folder;
        QString error;
        FolderLock program;
        QVERIFY(program.tryLock(folder.path(), &error));
        QVERIFY(!freeForOthers(folder.path()));
        {
            FolderLock dialog;
            QVERIFY2(dialog.tryLock(folder.path() + QStringLiteral("/."), &error), qPrintable(error));
        }
        QVERIFY(program.isLocked());
        QVERIFY(!freeForOthers(folder.path()));
        program.unlock();
        QVERIFY(freeForOthers(folder.path()));

        FolderLock missing;
        QVERIFY(!missing.tryLock(folder.file(QStringLiteral("absent")), &error));
        QVERIFY(error.contains(QStringLiteral("absent")));
    }
};

TAMSEL_TEST(TestFolderLock)
#include "test_folderlock.moc"
