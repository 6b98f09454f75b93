// main() of the program: the command line, the choice of the data folder, then the run.

#include "app/command_line.h"
#include "app/windows.h"
#include "core/application.h"
#include "core/data_folder.h"
#include "core/data_module.h"
#include "core/main_form.h"
#include "core/welcome_window.h"
#include "platform/prompt.h"
#include "platform/translations.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

using tamsel::app::CommandLine;
namespace core = tamsel::core;
namespace platform = tamsel::platform;

namespace {

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// A problem before any window: on stderr, and in a box when the user started the program from
// the desktop and may have no terminal.
void report(const QString& text, bool box) {
    print(stderr, QStringLiteral("tamsel：") + text + QLatin1Char('\n'));
    if (box) {
        platform::installChineseTranslations(*QCoreApplication::instance());
        platform::showBox(nullptr, {core::applicationTitle(), text, platform::Icon::Error, platform::Ok});
    }
}

// Checks and screenshots run without a screen: boxes go to stderr and answer as safely as they
// can, modal windows return at once (the welcome window after its tick), and `onModal` may look
// at a window before it closes.
struct Headless : platform::UiHandler {
    int boxes = 0;
    std::function<void(QWidget*)> onModal;
    Headless() {
        box = [this](QWidget*, const platform::Box& shown) {
            ++boxes;
            print(stderr, QStringLiteral("%1：%2\n").arg(shown.caption, shown.text));
            for (platform::Button b : {platform::Ok, platform::No, platform::Cancel}) {
                if (shown.buttons & b) {
                    return b;
                }
            }
            return platform::Yes;
        };
        modal = [this](QWidget* window) {
            if (auto* welcome = qobject_cast<core::Tformwel*>(window)) {
                welcome->Timer1Timer();
                return 0;
            }
            if (onModal) {
                onModal(window);
            }
            return 0;
        };
    }
};

// Starts as the program does, opens every table and shows the main window; 0 when nothing failed.
int selfCheck(core::Application& tamsel, Headless& ui) {
    if (!tamsel.start()) {
        report(tamsel.lockError().isEmpty() ? QStringLiteral("另一个 Tamsel 正在使用这个数据文件夹")
                                            : tamsel.lockError(),
               false);
        return 1;
    }
    core::TDM* dm = tamsel.dataModule();
    tamsel.mainForm()->show();
    tamsel.mainForm()->FormShow();
    QCoreApplication::processEvents();
    const bool ok = dm->startupErrors().isEmpty() && dm->failedObjects().isEmpty() && ui.boxes == 0 &&
                    tamsel.mainForm()->isVisible();
    print(stdout, QStringLiteral("主窗口：%1\n数据文件夹：%2\n%3\n")
                      .arg(tamsel.mainForm()->windowTitle(), QDir::toNativeSeparators(dm->DataPath),
                           ok ? QStringLiteral("自检通过：全部数据表已打开，主窗口已显示。")
                              : QStringLiteral("自检失败。")));
    return ok ? 0 : 1;
}

// Pictures for the README: the main window and the overview page of the current achievement.
int screenshots(core::Application& tamsel, Headless& ui, const QString& folder) {
    if (!tamsel.start()) {
        report(tamsel.lockError(), false);
        return 1;
    }
    QDir().mkpath(folder);
    core::TMainForm* main = tamsel.mainForm();
    main->show();
    main->FormShow();
    QCoreApplication::processEvents();
    bool ok = main->grab().save(QDir(folder).filePath(QStringLiteral("main-window.png")));
    bool page = false;
    ui.onModal = [&](QWidget* window) {
        if (window->objectName() == QLatin1String("TFpage1")) {
            window->show();
            QCoreApplication::processEvents();
            page = window->grab().save(QDir(folder).filePath(QStringLiteral("overview-page.png")));
            window->hide();
        }
    };
    main->btn_page01Click();
    ok = ok && page;
    if (!ok) {
        report(QStringLiteral("截图未能全部保存到 %1").arg(QDir::toNativeSeparators(folder)), false);
    }
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList raw;
    for (int i = 1; i < argc; ++i) {
        raw << QString::fromLocal8Bit(argv[i]);
    }
    // Help and version need no screen, so they are answered before Qt looks for one.
    const CommandLine early = tamsel::app::parseCommandLine(raw);
    if (early.action == CommandLine::Action::Help) {
        print(stdout, tamsel::app::helpText());
        return 0;
    }
    if (early.action == CommandLine::Action::Version) {
        print(stdout, tamsel::app::versionText());
        return 0;
    }
    const bool headless =
        early.action == CommandLine::Action::SelfCheck || early.action == CommandLine::Action::Screenshots;
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    tamsel::core::GuardedApplication app(argc, argv);
    // Qt has taken its own options out by now.
    const CommandLine line = tamsel::app::parseCommandLine(QCoreApplication::arguments().mid(1));
    if (line.action == CommandLine::Action::Usage) {
        print(stderr, tamsel::app::usageErrorText(line.error));
        return 2;
    }

    Headless ui;
    const bool boxes = !headless;
    if (headless) {
        platform::setUiHandler(&ui);
    }

    core::Application::Options options;
    options.createOtherWindows = tamsel::app::createOtherWindows;
    if (!line.dataFolder.isEmpty()) {
        options.dataPath = QFileInfo(line.dataFolder).absoluteFilePath();
        options.showDataFolder = true;
        if (!QFileInfo(options.dataPath).isDir()) {
            report(QStringLiteral("数据文件夹 %1 不存在").arg(QDir::toNativeSeparators(options.dataPath)),
                   boxes);
            return 1;
        }
    } else {
        const core::datafolder::Choice choice =
            core::datafolder::chooseDefault(QCoreApplication::applicationDirPath());
        if (!choice.error.isEmpty()) {
            report(choice.error, boxes);
            return 1;
        }
        options.dataPath = choice.path;
    }
    // A folder that is not a data folder is left untouched: no packing, no lock file in it.
    const QStringList missing = core::datafolder::missingTables(options.dataPath);
    if (!missing.isEmpty()) {
        report(QStringLiteral("%1 不是 Tamsel 的数据文件夹，缺少以下数据表：\n%2")
                   .arg(QDir::toNativeSeparators(options.dataPath), missing.join(QLatin1Char('\n'))),
               boxes);
        return 1;
    }

    core::Application tamsel(options);
    switch (line.action) {
    case CommandLine::Action::SelfCheck:
        return selfCheck(tamsel, ui);
    case CommandLine::Action::Screenshots:
        return screenshots(tamsel, ui, line.screenshotsFolder);
    default:
        return tamsel.run();
    }
}
