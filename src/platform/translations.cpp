// Loads Qt's own Chinese translations for the standard buttons and dialogs.
#include "platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tamsel::platform {

bool installChineseTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    // Standard dialogs and number/date widgets follow the program's language, not the desktop's.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    return true;
}

} // namespace tamsel::platform
