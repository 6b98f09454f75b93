// The process from start to end: single-instance guard, folder lock, data module, the windows
// made once and reused, and the run loop.
#include "core/application.h"

#include "core/data_module.h"
#include "core/help_form.h"
#include "core/main_form.h"
#include "core/main_items_dialog.h"
#include "core/welcome_window.h"
#include "core/year_change_dialog.h"
#include "engine/dataset.h"
#include "engine/error.h"
#include "engine/folderlock.h"
#include "platform/prompt.h"
#include "platform/singleinstance.h"
#include "platform/translations.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace tamsel::core {

QString applicationTitle() {
    return QStringLiteral("Tamsel－【简易版V6.0】");
}

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    return runGuarded(m_dm, [&] { return QApplication::notify(receiver, event); });
}

bool runGuarded(TDM* dm, const std::function<bool()>& deliver) {
    // The last net under the handlers: each handler shows its own errors, and one it misses
    // must not end the program with the user's other work.
    QString message;
    try {
        return deliver();
    } catch (const engine::EngineError& e) {
        message = e.message();
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    }
    if (dm) {
        for (engine::Dataset* data : dm->findChildren<engine::Dataset*>(Qt::FindDirectChildrenOnly)) {
            if (data->state() == engine::Dataset::State::Edit ||
                data->state() == engine::Dataset::State::Insert)
                data->cancel();
        }
    }
    platform::showBox(QApplication::activeWindow(),
                      {QStringLiteral("提示"), message, platform::Icon::Warning, platform::Ok});
    return false;
}

namespace {

// The guard is per data folder: copies on different folders run side by side.
QString guardName(const QString& dataPath) {
    const QFileInfo info(dataPath);
    const QString path = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return applicationTitle() + QLatin1Char('-') + QString::fromLatin1(hash);
}

} // namespace

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
    if (auto* guarded = dynamic_cast<GuardedApplication*>(QCoreApplication::instance()))
        guarded->setDataModule(nullptr);
    m_dm.reset();
}

bool Application::start() {
    QCoreApplication::setApplicationName(QStringLiteral("tamsel"));
    platform::installChineseTranslations(*QCoreApplication::instance());
    const QString dataPath = m_options.dataPath.isEmpty() ? TDM::defaultDataPath() : m_options.dataPath;
    // A second copy must not pack or write the tables the first one holds: it ends before any
    // window exists.
    m_instance = std::make_unique<platform::SingleInstance>(guardName(dataPath), m_options.lockFolder);
    if (!m_instance->tryAcquire()) {
        return false;
    }
    // The command-line tools take the same lock before they write into the folder.
    m_folderLock = std::make_unique<engine::FolderLock>();
    if (QFileInfo(dataPath).isDir() && !m_folderLock->tryLock(dataPath, &m_lockError)) {
        m_instance.reset();
        return false;
    }
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
    if (auto* guarded = dynamic_cast<GuardedApplication*>(QCoreApplication::instance()))
        guarded->setDataModule(m_dm.get());

    // The windows of the other parts of the program are created here, in this order, as they
    // arrive: patents, classification picker, export, new achievement, unit situation, entry
    // dialogs, import, print, the pages, code maintenance, completers, unit profile and its
    // companions, text windows, year change, and the help windows of the pages.
    m_formNew = std::make_unique<TFormNew>();
    m_helpForm = std::make_unique<THelpForm>();
    m_formFormat = std::make_unique<Tformformat>();

    if (m_options.showDataFolder) {
        m_mainForm->setWindowTitle(m_mainForm->windowTitle() + QStringLiteral(" － ") +
                                   QDir::toNativeSeparators(m_dm->DataPath));
    }
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
        if (m_lockError.isEmpty()) {
            return 0;
        }
        platform::showBox(nullptr, {applicationTitle(), m_lockError, platform::Icon::Error, platform::Ok});
        return 1;
    }
    m_mainForm->show();
    return QApplication::exec();
}

} // namespace tamsel::core
