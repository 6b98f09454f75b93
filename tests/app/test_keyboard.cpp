// Every window of the program by keyboard alone: Tab reaches each control and comes back to the
// first, grids and memos pass Tab on, Esc leaves as 退出 does and Return presses the main action.
#include "app/windows.h"
#include "core/application.h"
#include "core/keyboard.h"
#include "core/main_form.h"
#include "core/welcome_window.h"
#include "support/controls.h"
#include "support/focuschain.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QAbstractButton>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <memory>

using namespace tamsel;
using test::ScriptedUi;

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void tabReachesEveryControl_data();
    void tabReachesEveryControl();
    void escapeAndReturn_data();
    void escapeAndReturn();

private:
    QWidget* window(const QString& name) const;

    std::unique_ptr<test::TestFolder> m_folder;
    std::unique_ptr<test::TestFolder> m_lockFolder;
    std::unique_ptr<core::Application> m_app;
};

void TestKeyboard::initTestCase() {
    m_folder = std::make_unique<test::TestFolder>();
    m_folder->copyDeliveredData();
    test::appendRecord(m_folder->path(), QStringLiteral("unit.dbf"),
                       {{QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
    test::appendRecord(
        m_folder->path(), QStringLiteral("pelk.dbf"),
        {{QStringLiteral("ITEM_4"), QString::number(QDate::currentDate().year()) + QStringLiteral("000001")},
         {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
         {QStringLiteral("ITEM_CGLB"), QStringLiteral("1")},
         {QStringLiteral("ITEM_3"), QStringLiteral("键盘成果")},
         {QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
    m_lockFolder = std::make_unique<test::TestFolder>();
    core::Application::Options options;
    options.dataPath = m_folder->path();
    options.lockFolder = m_lockFolder->path();
    options.createOtherWindows = app::createOtherWindows;
    m_app = std::make_unique<core::Application>(options);
    QVERIFY(m_app->start());
    ScriptedUi ui;
    ui.expectModal(QStringLiteral("Tformwel"), [](QWidget* w) {
        auto* welcome = qobject_cast<core::Tformwel*>(w);
        welcome->Timer1Timer();
        return welcome->result();
    });
    m_app->mainForm()->FormShow();
    TAMSEL_VERIFY_UI(ui);
    // Pages done, so the main window's list and commands are open to the keyboard too.
    for (QPushButton* button : m_app->mainForm()->pageButtons())
        core::TMainForm::setPageDone(button, true);
    QVERIFY(m_app->mainForm()->ApplyCompleteness());
}

void TestKeyboard::cleanupTestCase() {
    m_app.reset();
}

QWidget* TestKeyboard::window(const QString& name) const {
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->isWindow() && w->objectName() == name)
            return w;
    }
    qFatal("no window %s", qPrintable(name));
}

void TestKeyboard::tabReachesEveryControl_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("last"); // the stop before the chain comes round: the buttons come last
    QTest::newRow("TMainForm") << QStringLiteral("TMainForm") << QStringLiteral("SpeedButton23");
    QTest::newRow("TFpage1") << QStringLiteral("TFpage1") << QStringLiteral("btnQuit");
    QTest::newRow("TFpage2") << QStringLiteral("TFpage2") << QStringLiteral("quit02");
    QTest::newRow("TFpage3") << QStringLiteral("TFpage3") << QStringLiteral("BtnQuit");
    QTest::newRow("TFpage9") << QStringLiteral("TFpage9") << QStringLiteral("BtnQuit");
    QTest::newRow("TFpage6") << QStringLiteral("TFpage6") << QStringLiteral("btnQuit");
    QTest::newRow("TFinto6") << QStringLiteral("TFinto6") << QStringLiteral("btnQuit");
    QTest::newRow("TFormTree") << QStringLiteral("TFormTree") << QStringLiteral("Button2");
    QTest::newRow("TFpage4") << QStringLiteral("TFpage4") << QStringLiteral("Button3");
    QTest::newRow("TFpage4a") << QStringLiteral("TFpage4a") << QStringLiteral("quit01");
    QTest::newRow("Tdw_Form") << QStringLiteral("Tdw_Form") << QStringLiteral("Button2");
    QTest::newRow("TFpage5") << QStringLiteral("TFpage5") << QStringLiteral("quit01");
    QTest::newRow("TFinto5") << QStringLiteral("TFinto5") << QStringLiteral("Button2");
    QTest::newRow("TFpage10") << QStringLiteral("TFpage10") << QStringLiteral("quit01");
    QTest::newRow("TFpage11") << QStringLiteral("TFpage11") << QStringLiteral("quit01");
    QTest::newRow("TFinto11") << QStringLiteral("TFinto11") << QStringLiteral("Button2");
    QTest::newRow("TFpage7") << QStringLiteral("TFpage7") << QStringLiteral("quit01");
    QTest::newRow("TFinto7") << QStringLiteral("TFinto7") << QStringLiteral("Button2");
    QTest::newRow("TFpage8") << QStringLiteral("TFpage8") << QStringLiteral("quit01");
    QTest::newRow("TFinto8") << QStringLiteral("TFinto8") << QStringLiteral("Button2");
    QTest::newRow("TFpage12") << QStringLiteral("TFpage12") << QStringLiteral("quit01");
    QTest::newRow("TFormWcr") << QStringLiteral("TFormWcr") << QStringLiteral("BitBtn5");
    QTest::newRow("TFormNew") << QStringLiteral("TFormNew") << QStringLiteral("Button2");
    QTest::newRow("Tformformat") << QStringLiteral("Tformformat") << QStringLiteral("btnexit");
    QTest::newRow("TFormout") << QStringLiteral("TFormout") << QStringLiteral("Button1");
    QTest::newRow("TFormin") << QStringLiteral("TFormin") << QStringLiteral("Button5");
    QTest::newRow("TFcodeManage") << QStringLiteral("TFcodeManage") << QStringLiteral("Button3");
    QTest::newRow("TPrintForm") << QStringLiteral("TPrintForm") << QStringLiteral("btnExit4");
    QTest::newRow("THelpForm") << QStringLiteral("THelpForm") << QStringLiteral("Button1");
}

void TestKeyboard::tabReachesEveryControl() {
    QFETCH(QString, name);
    QFETCH(QString, last);
    QWidget* w = window(name);
    ScriptedUi ui; // showing a page loads its record; no box may come up
    w->show();
    QWidget* start = nullptr;
    for (QWidget* c : core::keyboard::formOrder(w)) {
        if (test::isTabStop(c)) {
            start = c;
            break;
        }
    }
    QVERIFY(start);
    QCOMPARE(w->focusWidget(), start); // a window opens at its first control
    QVERIFY(test::showAndFocus(w, start));
    const QList<QWidget*> stops = test::tabStops(w);
    const QList<QWidget*> reached = test::tabWalk(start, int(stops.size()) * 2 + 4);
    QStringList names;
    for (QWidget* r : reached)
        names << r->objectName();
    QStringList missed;
    for (QWidget* s : stops) {
        const QList<QWidget*> group = test::radioGroup(s);
        if (std::none_of(group.begin(), group.end(), [&](QWidget* g) { return reached.contains(g); }))
            missed << s->objectName() + QLatin1Char('(') + QLatin1String(s->metaObject()->className()) +
                          QLatin1Char(')');
    }
    w->hide();
    TAMSEL_VERIFY_UI(ui);
    QVERIFY2(!reached.isEmpty() && reached.last() == start,
             qPrintable(QStringLiteral("the chain does not close: ") + names.join(QLatin1Char(' '))));
    QVERIFY2(missed.isEmpty(), qPrintable(QStringLiteral("never reached: ") + missed.join(QLatin1Char(' '))));
    QCOMPARE(reached.size() > 1 ? reached[reached.size() - 2]->objectName() : QString(), last);
}

void TestKeyboard::escapeAndReturn_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("control"); // focused; typed into when typed is given
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("box"); // "caption|text" of the one box expected; a question is answered 否
    QTest::addColumn<bool>("closes");
    const int esc = Qt::Key_Escape;
    const int ret = Qt::Key_Return;
    const QString none;
    const QString changed = QStringLiteral("请注意！|记录已经更改,是否保存？");
    QTest::newRow("page: Esc asks") << "TFpage9"
                                    << "Edt_301"
                                    << "X1" << esc << changed << true;
    QTest::newRow("page: Esc unchanged") << "TFpage9"
                                         << "Edt_301"
                                         << "" << esc << none << true;
    QTest::newRow("page: Return stores") << "TFpage9"
                                         << "Edt_301"
                                         << "X1" << ret << "Tamsel|储存成功！" << false;
    QTest::newRow("page: Return on 退出") << "TFpage9"
                                          << "BtnQuit"
                                          << "" << ret << none << true;
    QTest::newRow("list: Esc") << "TFpage5"
                               << "DBGrid2"
                               << "" << esc << none << true;
    QTest::newRow("dialog: Esc") << "Tformformat"
                                 << "edt_4"
                                 << "" << esc << none << true;
    QTest::newRow("dialog: Return on 退出, not default") << "Tformformat"
                                                         << "btnexit"
                                                         << "" << ret << none << true;
    QTest::newRow("dialog without a main action: Return") << "TFcodeManage"
                                                          << "Edit1"
                                                          << "" << ret << none << false;
    QTest::newRow("dialog: Return") << "TFormNew"
                                    << "edt_3"
                                    << "X1" << ret << "Tamsel|成果第一完成单位不能为空！" << false;
}

void TestKeyboard::escapeAndReturn() {
    QFETCH(QString, name);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QString, box);
    QFETCH(bool, closes);
    bool closed = false;
    // Presses the key in the shown window, as the user would.
    const auto drive = [&](QWidget* w) {
        auto* target = test::control<QWidget>(w, control);
        if (!test::showAndFocus(w, target))
            return -1;
        if (!typed.isEmpty())
            QTest::keyClicks(target, typed);
        QTest::keyClick(target, Qt::Key(key));
        closed = !w->isVisible();
        w->hide();
        return 0;
    };
    // Pages open through the main window, which loads their record.
    const core::WindowHooks& hooks = m_app->mainForm()->Hooks;
    const std::function<void()> open = name == QLatin1String("TFpage9")   ? hooks.page09
                                       : name == QLatin1String("TFpage5") ? hooks.page05
                                                                          : nullptr;
    ScriptedUi ui;
    if (open) {
        ui.expectModal(name, drive);
    }
    if (!box.isEmpty()) {
        const QString caption = box.section(QLatin1Char('|'), 0, 0);
        ui.expectBox(caption, box.section(QLatin1Char('|'), 1),
                     caption == QStringLiteral("请注意！") ? platform::No : platform::Ok);
    }
    if (open)
        open();
    else
        QCOMPARE(drive(window(name)), 0);
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(closed, closes);
}

TAMSEL_TEST(TestKeyboard)
#include "test_keyboard.moc"
