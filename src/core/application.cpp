#include "core/application.h"

#include "core/data_module.h"
#include "core/help_form.h"
#include "core/main_form.h"
#include "core/main_items_dialog.h"
#include "core/welcome_window.h"
#include "core/year_change_dialog.h"
#include "platform/singleinstance.h"
#include "platform/translations.h"

#include <QApplication>

namespace tamsel::core {

QString applicationTitle() {
    return QStringLiteral("Tamsel－【简易版V6.0】");
}

Application::Application() : Application(Options{}) {}

Application::Application(Options options) : m_options(std::move(options)) {}

Application::~Application() {
    // Windows borrow the data module's objects: they go first, the latest created first.
    while (!m_otherWindows.empty()) {
        m_otherWindows.pop_back();
    }
    m_formFormat.reset();
    m_formNew.reset();
    m_helpForm.reset();
    m_welcome.reset();
    m_mainForm.reset();
    m_dm.reset();
}

bool Application::start() {
    QCoreApplication::setApplicationName(QStringLiteral("tamsel"));
    // A second copy must not pack or write the tables the first one holds: it ends before any
    // window exists.
    m_instance = std::make_unique<platform::SingleInstance>(applicationTitle(), m_options.lockFolder);
    if (!m_instance->tryAcquire()) {
        return false;
    }
    platform::installChineseTranslations(*QCoreApplication::instance());
    createWindows();
    return true;
}

void Application::createWindows() {
    // Creation order matters: the main window exists before the data module, so nothing in its
    // creation touches the data.
    m_mainForm = std::make_unique<TMainForm>();
    m_welcome = std::make_unique<Tformwel>();
    m_dm = m_options.dataPath.isEmpty() ? std::make_unique<TDM>() : std::make_unique<TDM>(m_options.dataPath);
    m_dm->DataModuleCreate(nullptr);

    // The windows of the other parts of the program are created here, in this order, as they
    // arrive: patents, classification picker, export, new achievement, unit situation, entry
    // dialogs, import, print, the pages, code maintenance, completers, unit profile and its
    // companions, text windows, year change, and the help windows of the pages.
    m_formNew = std::make_unique<TFormNew>();
    m_helpForm = std::make_unique<THelpForm>();
    m_formFormat = std::make_unique<Tformformat>();

    m_mainForm->setDataModule(m_dm.get());
    m_mainForm->setWelcomeWindow(m_welcome.get());
    m_mainForm->setFormNew(m_formNew.get());
    m_formFormat->setDataModule(m_dm.get());
    if (m_options.createOtherWindows) {
        m_options.createOtherWindows(*this);
    }
}

int Application::run() {
    if (!start()) {
        return 0;
    }
    m_mainForm->show();
    return QApplication::exec();
}

} // namespace tamsel::core
