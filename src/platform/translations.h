#pragma once

#include <QString>

class QCoreApplication;

namespace tamsel::platform {

// Loads Qt's own Chinese translations so standard buttons and dialogs read 确定, 取消, 是, 否.
// Returns false (and changes nothing) when the translation file is not installed.
bool installChineseTranslations(QCoreApplication& app);

} // namespace tamsel::platform
