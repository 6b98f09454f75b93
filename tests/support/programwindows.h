#pragma once

// The program as it starts, with every window it makes, over a fresh copy of the delivered data
// folder holding one applied-technology achievement. Windows are opened the way the user opens
// them, so they show what they would show then.

#include "app/windows.h"
#include "core/application.h"
#include "core/data_module.h"
#include "core/main_form.h"
#include "core/welcome_window.h"
#include "support/controls.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QHash>
#include <QStringList>
#include <QTest>
#include <functional>
#include <memory>

namespace tamsel::test {

class ProgramWindows {
public:
    static constexpr const char* kNumber = "2009000001";

    ProgramWindows() {
        folder.copyDeliveredData();
        append(QStringLiteral("unit.dbf"), {{QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
        append(QStringLiteral("pelk.dbf"), {{QStringLiteral("ITEM_4"), QString::fromLatin1(kNumber)},
                                            {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                            {QStringLiteral("ITEM_CGLB"), QStringLiteral("1")},
                                            {QStringLiteral("ITEM_3"), QStringLiteral("测试成果")},
                                            {QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
        core::Application::Options options;
        options.dataPath = folder.path();
        options.lockFolder = lockFolder.path();
        options.createOtherWindows = app::createOtherWindows;
        application = std::make_unique<core::Application>(options);
        if (!application->start())
            qFatal("the program did not start");
        ScriptedUi ui;
        ui.expectModal(QStringLiteral("Tformwel"), [](QWidget* w) {
            auto* welcome = qobject_cast<core::Tformwel*>(w);
            welcome->Timer1Timer();
            return welcome->result();
        });
        main().FormShow();
        if (!ui.verify())
            qFatal("start: %s", qPrintable(ui.failures()));
    }

    core::TMainForm& main() const { return *application->mainForm(); }
    core::TDM& dm() const { return *application->dataModule(); }

    // A window of the program by its objectName.
    QWidget* window(const QString& name) const {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == name)
                return w;
        }
        qFatal("no window %s", qPrintable(name));
    }

    // Appends one record to a table of the data folder.
    void append(const QString& table, const QHash<QString, QVariant>& values) const {
        appendRecord(folder.path(), table, values);
    }

    // Opens a window the way the user does and runs drive on it while it is open (shown on the
    // offscreen screen). The windows the user cannot reach are shown as they are.
    void open(const QString& name, const std::function<void(QWidget*)>& drive) const {
        core::TMainForm& m = main();
        const QHash<QString, std::function<void()>> openers{
            {QStringLiteral("TFpage1"), [&m] { m.btn_page01Click(); }},
            {QStringLiteral("TFpage2"), [&m] { m.btn_page02Click(); }},
            {QStringLiteral("TFpage3"), [&m] { m.btn_page03Click(); }},
            {QStringLiteral("TFpage4"), [&m] { m.btn_page04Click(); }},
            {QStringLiteral("TFpage5"), [&m] { m.btn_page05Click(); }},
            {QStringLiteral("TFpage7"), [&m] { m.btn_page07Click(); }},
            {QStringLiteral("TFpage8"), [&m] { m.btn_page08Click(); }},
            {QStringLiteral("TFpage9"), [&m] { m.btn_page09Click(); }},
            {QStringLiteral("TFpage4a"), [&m] { m.Hooks.unitProfile(); }},
        };
        // Windows opened from another window: that window and the button that opens them.
        const QHash<QString, std::pair<QString, QString>> routes{
            {QStringLiteral("TFpage6"), {QStringLiteral("TFpage2"), QStringLiteral("btnPatent")}},
            {QStringLiteral("TFormWcr"), {QStringLiteral("TFpage8"), QStringLiteral("Button5")}},
            {QStringLiteral("TFpage10"), {QStringLiteral("TFpage4a"), QStringLiteral("Button3")}},
        };
        const auto show = [&drive](QWidget* w) {
            w->show();
            QCoreApplication::processEvents();
            drive(w);
            w->hide();
        };
        ScriptedUi ui;
        QString first = name;
        if (routes.contains(name)) {
            const auto [via, button] = routes.value(name);
            first = via;
            ui.expectModal(via, [button](QWidget* w) {
                control<QAbstractButton>(w, button)->click();
                return 0;
            });
        } else if (!openers.contains(name)) {
            show(window(name));
            return;
        }
        ui.expectModal(name, [&show](QWidget* w) {
            show(w);
            return 0;
        });
        openers.value(first)();
        QVERIFY2(ui.verify(), qPrintable(ui.failures()));
    }

    TestFolder folder;
    TestFolder lockFolder;
    std::unique_ptr<core::Application> application;
};

} // namespace tamsel::test
