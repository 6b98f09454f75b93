#include "app/windows.h"

#include "core/application.h"
#include "core/datamodule.h"
#include "core/mainform.h"
#include "entry/formtree.h"
#include "entry/fpage1.h"
#include "help/helpwindows.h"
#include "units/fpage4a.h"

#include <memory>

namespace tamsel::app {

void createOtherWindows(core::Application& application) {
    core::TDM& dm = *application.dataModule();
    core::TMainForm& main = *application.mainForm();
    core::WindowHooks& hooks = main.Hooks;

    // Help windows join this directory as they are created; core made THelpForm already.
    auto helpWindows = std::make_shared<help::HelpWindows>();
    const auto addHelp = [&](const QString& name) {
        helpWindows->add(name, application.adopt(help::createHelpWindow(name)));
    };
    help::loadHelpText(*application.helpForm(), QStringLiteral("THelpForm"));
    helpWindows->add(QStringLiteral("THelpForm"), application.helpForm());
    hooks.showHelp = [helpWindows](const QString& name) { helpWindows->show(name); };

    auto* picker = application.adopt(std::make_unique<entry::TFormTree>(dm));
    hooks.pickClass = [picker](QLineEdit* target, const QString& tableFile) {
        return picker->OpenFor(target, tableFile);
    };

    // The overview page reaches the picker through hooks.pickClass.
    auto* overviewPage = application.adopt(std::make_unique<entry::TFpage1>(dm, main));
    hooks.page01 = [overviewPage] { overviewPage->Execute(); };

    addHelp(QStringLiteral("THelpForm_rj"));

    auto* unitProfile = application.adopt(std::make_unique<units::TFpage4a>(dm, main, picker));
    hooks.unitProfile = [unitProfile] { unitProfile->Execute(); };

    for (const QString& name : help::helpWindowNames().mid(2)) {
        addHelp(name);
    }
}

} // namespace tamsel::app
