#include "platform/dateformats.h"
#include "platform/prompt.h"
#include "platform/singleinstance.h"
#include "platform/translations.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace tamsel;
using platform::Button;
using platform::DateFormats;

namespace {
// Presses the button with this text on the next message box that opens on the real screen.
void pressOnNextBox(const QString& buttonText, QString* seenButtons) {
    QTimer::singleShot(50, [buttonText, seenButtons] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        QStringList texts;
        for (QAbstractButton* b : box->buttons()) {
            texts << b->text().remove(QLatin1Char('&'));
        }
        texts.sort();
        *seenButtons = texts.join(QLatin1Char(','));
        for (QAbstractButton* b : box->buttons()) {
            if (b->text().remove(QLatin1Char('&')).startsWith(buttonText)) {
                b->click();
                return;
            }
        }
        box->reject();
    });
}
} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(platform::installChineseTranslations(*qApp)); }
    void cleanup() { DateFormats::reset(); }

    // The real box shows Chinese buttons and reports the one pressed.
    void realBoxAnswers_data() {
        QTest::addColumn<unsigned>("buttons");
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << unsigned(platform::Yes | platform::No) << "是"
                             << "否,是" << int(platform::Yes);
        QTest::newRow("no") << unsigned(platform::Yes | platform::No) << "否"
                            << "否,是" << int(platform::No);
        QTest::newRow("ok") << unsigned(platform::Ok) << "确定"
                            << "确定" << int(platform::Ok);
        QTest::newRow("cancel") << unsigned(platform::Ok | platform::Cancel) << "取消"
                                << "取消,确定" << int(platform::Cancel);
        QTest::newRow("closed without a button") << unsigned(platform::Yes | platform::No) << "-"
                                                 << "否,是" << int(platform::No);
    }
    void realBoxAnswers() {
        QFETCH(unsigned, buttons);
        QFETCH(QString, press);
        QFETCH(QString, shown);
        QFETCH(int, answer);
        test::RealScreen screen;
        QString seen;
        pressOnNextBox(press, &seen);
        const Button got = platform::showBox(
            nullptr, {QStringLiteral("提示信息"), QStringLiteral("文本"), platform::Icon::Question, buttons});
        QCOMPARE(seen, shown);
        QCOMPARE(int(got), answer);
    }

    void realModalReturns() {
        test::RealScreen screen;
        QDialog dialog;
        QTimer::singleShot(20, &dialog, &QDialog::accept);
        QCOMPARE(platform::showModal(&dialog), int(QDialog::Accepted));

        // A plain widget is modal until it hides.
        QWidget widget;
        QTimer::singleShot(20, &widget, &QWidget::hide);
        QCOMPARE(platform::showModal(&widget), 0);
        QVERIFY(!widget.isVisible());
        QCOMPARE(widget.windowModality(), Qt::NonModal);
    }

    // The script answers in order and reports what it did not expect.
    void scriptedUi() {
        {
            test::ScriptedUi ui;
            ui.expectBox(QStringLiteral("提示"), QStringLiteral("是否删除？"), platform::Yes)
                .expectModal(QStringLiteral("QDialog"),
                             [](QWidget* w) { return w->objectName() == "dlg" ? 7 : 0; });
            QVERIFY(platform::askYesNo(nullptr, QStringLiteral("提示"), QStringLiteral("是否删除？")));
            QDialog dialog;
            dialog.setObjectName(QStringLiteral("dlg"));
            QCOMPARE(platform::showModal(&dialog), 7);
            TAMSEL_VERIFY_UI(ui);
        }
        QVERIFY(platform::uiHandler() != nullptr); // back to the strict screen
        {
            test::ScriptedUi ui;
            ui.expectBox(QStringLiteral("Tamsel"), QStringLiteral("甲"));
            // Wrong text: not consumed, answered with the button that changes nothing.
            QCOMPARE(platform::showBox(nullptr, {QStringLiteral("Tamsel"), QStringLiteral("乙"),
                                                 platform::Icon::Warning, platform::Yes | platform::No}),
                     platform::No);
            QVERIFY(!ui.verify());
            QVERIFY(ui.failures().contains(QStringLiteral("乙")));
            QVERIFY(ui.failures().contains(QStringLiteral("not shown")));
            // A window nobody expected is not run.
            QDialog dialog;
            QCOMPARE(platform::showModal(&dialog), 0);
            const QString failures = ui.takeFailures();
            QVERIFY(failures.contains(QStringLiteral("modal window  (QDialog) shown")));
            QVERIFY(ui.verify());
            QCOMPARE(ui.log().size(), 2);
        }
    }

    void dateFormats_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("plain") << "2008-03-05" << QDate(2008, 3, 5);
        QTest::newRow("blanks around") << " 2008-03-05 " << QDate(2008, 3, 5);
        QTest::newRow("empty") << "" << QDate();
        QTest::newRow("dots") << "2008.03.05" << QDate();
        QTest::newRow("no such day") << "2008-02-30" << QDate();
        QTest::newRow("leap day") << "2008-02-29" << QDate(2008, 2, 29);
        QTest::newRow("text") << "abc" << QDate();
    }
    void dateFormats() {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        DateFormats::applyProgramFormats();
        QCOMPARE(DateFormats::shortDate(), QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(DateFormats::longDate(), QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(DateFormats::time(), QStringLiteral("H:mm:ss"));
        QCOMPARE(DateFormats::parseDate(text), date);
        if (date.isValid()) {
            QCOMPARE(DateFormats::formatDate(date), text.trimmed());
        }
        QCOMPARE(DateFormats::formatTime(QTime(7, 5, 9)), QStringLiteral("7:05:09"));
        QCOMPARE(DateFormats::formatDate(QDate()), QString());
    }

    void singleInstance() {
        test::TestFolder folder;
        const QString title = QStringLiteral("Tamsel－【简易版V6.0】");
        {
            platform::SingleInstance first(title, folder.path());
            platform::SingleInstance second(title, folder.path());
            QVERIFY(first.tryAcquire());
            QVERIFY(!second.tryAcquire());
            QVERIFY(QFile::exists(first.lockFilePath()));
            QVERIFY(first.lockFilePath().endsWith(QStringLiteral("Tamsel－【简易版V6.0】.lock")));
        }
        // A copy that died leaves its lock behind; the next start takes it over.
        {
            QFile stale(folder.file(platform::SingleInstance::lockFileName(title)));
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write("2147480000\ntamsel\n\n");
            stale.close();
            platform::SingleInstance next(title, folder.path());
            QVERIFY(next.tryAcquire());
        }
    }
};

TAMSEL_TEST(TestPlatform)
#include "test_platform.moc"
