#include "app/windows.h"

#include "core/application.h"
#include "core/datamodule.h"
#include "core/mainform.h"
#include "entry/formtree.h"
#include "units/fpage4a.h"

#include <memory>

namespace tamsel::app {

void createOtherWindows(core::Application& application) {
    core::TDM& dm = *application.dataModule();
    core::TMainForm& main = *application.mainForm();
    core::WindowHooks& hooks = main.Hooks;

    auto* picker = application.adopt(std::make_unique<entry::TFormTree>(dm));
    hooks.pickClass = [picker](QLineEdit* target, const QString& tableFile) {
        return picker->OpenFor(target, tableFile);
    };

    auto* unitProfile = application.adopt(std::make_unique<units::TFpage4a>(dm, main, picker));
    hooks.unitProfile = [unitProfile] { unitProfile->Execute(); };
}

} // namespace tamsel::app
