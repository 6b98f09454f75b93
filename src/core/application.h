#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace tamsel::engine {
class FolderLock;
}
namespace tamsel::platform {
class SingleInstance;
}

namespace tamsel::core {

class TDM;
class TMainForm;
class Tformwel;
class THelpForm;
class TFormNew;
class Tformformat;

// The application title: names the single-instance lock and heads the start-up error box.
QString applicationTitle();

// Runs deliver, the delivery of one event. An error that escapes it is shown in a box and
// the data module's unposted edits are dropped, so the data stay as they were; false then.
bool runGuarded(TDM* dm, const std::function<bool()>& deliver);

// The program's QApplication: no error that escapes an event handler ends the program.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // The data module whose unposted edits an escaped error drops.
    void setDataModule(TDM* dm) { m_dm = dm; }

private:
    TDM* m_dm = nullptr;
};

// The process from start to end: the single-instance guard, every window created once (hidden)
// and reused for the whole run, the data module, and the run loop.
class Application {
public:
    struct Options {
        QString dataPath;   // empty: the folder beside the executable
        QString lockFolder; // empty: the user's runtime folder
        // True when the user named the data folder: the main window's title then shows it.
        bool showDataFolder = false;
        // Creates the windows of the libraries above core (entry, units, exchange, print) and
        // sets the main window's hooks; called once the data module is set up.
        std::function<void(Application&)> createOtherWindows;
    };
    Application();
    explicit Application(Options options);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Sets the title, loads the Chinese translations, takes the single-instance guard and the data
    // folder's writer lock, and creates the windows and the data module. False when another copy
    // runs on the same data folder (nothing was created and the process should end silently) or
    // another program holds the folder (lockError() says which; shown by run()).
    bool start();
    QString lockError() const { return m_lockError; }
    // start(), then shows the main window and runs the loop; the process's exit code.
    int run();

    TMainForm* mainForm() const { return m_mainForm.get(); }
    Tformwel* welcome() const { return m_welcome.get(); }
    TDM* dataModule() const { return m_dm.get(); }
    THelpForm* helpForm() const { return m_helpForm.get(); }
    TFormNew* formNew() const { return m_formNew.get(); }
    Tformformat* formFormat() const { return m_formFormat.get(); }

    // Takes a window created by createOtherWindows; such windows go before the data module.
    template <class W> W* adopt(std::unique_ptr<W> window) {
        W* raw = window.get();
        m_otherWindows.push_back(std::move(window));
        return raw;
    }

private:
    void createWindows();

    Options m_options;
    std::unique_ptr<platform::SingleInstance> m_instance;
    std::unique_ptr<engine::FolderLock> m_folderLock;
    QString m_lockError;
    std::unique_ptr<TMainForm> m_mainForm;
    std::unique_ptr<Tformwel> m_welcome;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<THelpForm> m_helpForm;
    std::unique_ptr<TFormNew> m_formNew;
    std::unique_ptr<Tformformat> m_formFormat;
    std::vector<std::unique_ptr<QWidget>> m_otherWindows;
};

} // namespace tamsel::core
