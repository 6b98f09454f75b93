#include "app/windows.h"
#include "core/application.h"
#include "core/help_form.h"
#include "core/main_form.h"
#include "help/helpwindows.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"
#include "support/testmain.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace tamsel;

namespace {

std::unique_ptr<core::THelpForm> makeWindow(const QString& name) {
    if (name == QStringLiteral("THelpForm")) {
        auto window = std::make_unique<core::THelpForm>();
        return help::loadHelpText(*window, name) ? std::move(window) : nullptr;
    }
    return help::createHelpWindow(name);
}

QString shownText(QWidget* window) {
    auto* memo = window->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    return memo ? memo->toPlainText() : QString();
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void windowsCarryTheirText_data();
    void windowsCarryTheirText();
    void unknownNamesShowNothing();
    void hookOpensNamedWindow();
};

void TestHelp::windowsCarryTheirText_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent"); // items of the other category's form

    QTest::newRow("THelpForm") << "THelpForm" << QStringList{"专利号", "专利状况", "成果完成人员名单"}
                               << QStringList{};
    QTest::newRow("THelpForm_rj") << "THelpForm_rj"
                                  << QStringList{"软科学", "社会经济目标", "成果完成人员名单"}
                                  << QStringList{"进入填写专利"};
    QTest::newRow("THelpCggk")
        << "THelpCggk"
        << QStringList{"研究起始日期", "YYYY.MM.DD", "YYYY.MM", "成果体现形式", "所属高新科技领域（单选）",
                       "成果所处阶段"}
        << QStringList{"社会经济目标"};
    QTest::newRow("THelpCggkRj") << "THelpCggkRj"
                                 << QStringList{"社会经济目标（必填，单选）", "论文", "YYYY.MM"}
                                 << QStringList{"成果所处阶段（必填）", "所属高新科技领域（单选）"};
    QTest::newRow("THelpWcdw") << "THelpWcdw"
                               << QStringList{"组织机构代码", "XXXXXXXX-X", "科研机构转制型企业"}
                               << QStringList{};
    QTest::newRow("THelpCglx") << "THelpCglx" << QStringList{"课题来源", "9999999", "鉴定——", "万元"}
                               << QStringList{"结题——"};
    QTest::newRow("THelpKtlxRj") << "THelpKtlxRj" << QStringList{"课题来源", "9999999", "结题——", "评审——"}
                                 << QStringList{"鉴定——", "行业准入"};
    QTest::newRow("THelpZscq") << "THelpZscq"
                               << QStringList{"推广形式（必填，可复选，最多2项）", "未应用或停用原因",
                                              "9999999", "万元"}
                               << QStringList{};
    QTest::newRow("THelpHzdw") << "THelpHzdw" << QStringList{"单位名称", "邮政编码", "联系人电话"}
                               << QStringList{};
    QTest::newRow("THelpPjwy") << "THelpPjwy" << QStringList{"主任委员", "只能有一个主任委员", "职称（必填）"}
                               << QStringList{};
    QTest::newRow("THelpPjzs") << "THelpPjzs" << QStringList{"证书号", "评价意见", "YYYY.MM.DD"}
                               << QStringList{};
    QTest::newRow("THelpWcr") << "THelpWcr"
                              << QStringList{"1.序号：按对成果贡献大小顺序填写。序号顺序可以更改。",
                                             "出生年月", "快速添加"}
                              << QStringList{};
}

void TestHelp::windowsCarryTheirText() {
    QFETCH(QString, name);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    QVERIFY(help::helpWindowNames().contains(name));
    auto window = makeWindow(name);
    QVERIFY(window);
    QCOMPARE(window->objectName(), name);
    if (name != QStringLiteral("THelpForm")) {
        QVERIFY(QString::fromLatin1(window->metaObject()->className()).endsWith(QStringLiteral("::") + name));
    }
    QCOMPARE(window->windowTitle(), QStringLiteral("帮助信息"));

    const QString text = shownText(window.get());
    QCOMPARE(text, help::helpText(name));
    QVERIFY(!text.startsWith(QChar(0xFEFF)));
    QVERIFY2(text.split(QLatin1Char('\n')).size() >= 20, "a page of instructions");
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]{10}"))));
    for (const QString& phrase : present) {
        QVERIFY2(text.contains(phrase), qPrintable(phrase));
    }
    for (const QString& phrase : absent) {
        QVERIFY2(!text.contains(phrase), qPrintable(phrase));
    }

    auto* close = window->findChild<QPushButton*>(QStringLiteral("Button1"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("关闭"));
    window->show();
    QVERIFY(window->isVisible());
    close->click();
    QVERIFY(!window->isVisible());
}

void TestHelp::unknownNamesShowNothing() {
    for (const QString& name : {QStringLiteral("THelpNone"), QStringLiteral("../THelpCggk"), QString()}) {
        QVERIFY(help::helpText(name).isEmpty());
        QVERIFY(!help::createHelpWindow(name));
    }
    // Core creates the general window itself; the factory does not make a second one.
    QVERIFY(!help::createHelpWindow(QStringLiteral("THelpForm")));

    core::THelpForm general;
    general.setHelpText(QStringLiteral("原文"));
    QVERIFY(!help::loadHelpText(general, QStringLiteral("THelpNone")));
    QCOMPARE(general.helpText(), QStringLiteral("原文"));

    help::HelpWindows windows;
    windows.add(QStringLiteral("THelpForm"), &general);
    // The strict test screen fails on any modal window: an unknown name must not open one.
    QTest::ignoreMessage(QtWarningMsg, "tamsel: no help window named THelpNone");
    QVERIFY(!windows.show(QStringLiteral("THelpNone")));
}

// The program's start-up creates every help window; a page's 帮助 opens the one it names.
void TestHelp::hookOpensNamedWindow() {
    test::TestFolder folder;
    folder.copyDeliveredData();
    test::TestFolder lockFolder;
    core::Application::Options options;
    options.dataPath = folder.path();
    options.lockFolder = lockFolder.path();
    options.createOtherWindows = app::createOtherWindows;
    core::Application application(options);
    QVERIFY(application.start());
    QVERIFY(application.mainForm()->Hooks.showHelp);

    for (const QString& name : help::helpWindowNames()) {
        test::ScriptedUi ui;
        QWidget* shown = nullptr;
        ui.expectModal(name, [&](QWidget* window) {
            shown = window;
            window->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            return 0;
        });
        application.mainForm()->Hooks.showHelp(name);
        TAMSEL_VERIFY_UI(ui);
        QVERIFY(shown);
        QCOMPARE(shown->objectName(), name);
        QCOMPARE(shownText(shown), help::helpText(name));
        if (name == QStringLiteral("THelpForm")) {
            QCOMPARE(shown, static_cast<QWidget*>(application.helpForm()));
        }
    }

    // A name no page uses opens nothing.
    test::ScriptedUi ui;
    QTest::ignoreMessage(QtWarningMsg, "tamsel: no help window named THelpUnknown");
    application.mainForm()->Hooks.showHelp(QStringLiteral("THelpUnknown"));
    TAMSEL_VERIFY_UI(ui);
}

TAMSEL_TEST(TestHelp)
#include "test_help.moc"
