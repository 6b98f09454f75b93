// The data module's start-up as the program runs it: open everything, then show what failed.
#include "core/application.h"
#include "core/data_module.h"
#include "platform/prompt.h"

namespace tamsel::core {

void TDM::DataModuleCreate(QWidget* parent) {
    openObjects();
    if (!m_errors.isEmpty()) {
        // Long lists (a wrong or empty folder) are cut so the box stays on the screen.
        constexpr int kShown = 12;
        QStringList lines = m_errors.mid(0, kShown);
        if (m_errors.size() > kShown) {
            lines << QStringLiteral("……");
        }
        platform::showBox(
            parent, {applicationTitle(), lines.join(QLatin1Char('\n')), platform::Icon::Error, platform::Ok});
    }
}

} // namespace tamsel::core
