#pragma once

#include "core/help_form.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

namespace tamsel::help {

// The help windows of the pages, in the order the program creates them. "THelpForm" is the
// general window that core creates; the others are created here.
const QStringList& helpWindowNames();

// The filling instructions of a help window from the program's resources; empty for a name
// that has no text.
QString helpText(const QString& className);

// Gives an existing window (core's THelpForm) the text of the named help window and that name.
// False when there is no such text; the window is then left as it was.
bool loadHelpText(core::THelpForm& window, const QString& className);

// Creates the named help window with its text, hidden; nullptr for a name that is not one of
// helpWindowNames() or is core's own "THelpForm".
std::unique_ptr<core::THelpForm> createHelpWindow(const QString& className);

// The help windows of one run by name; the pages' "帮助" reaches them through the main window's
// showHelp hook. The windows are owned elsewhere (the application).
class HelpWindows {
public:
    void add(const QString& className, core::THelpForm* window);
    core::THelpForm* find(const QString& className) const;
    // Shows the named window modally. An unknown name shows nothing and returns false.
    bool show(const QString& className) const;

private:
    QHash<QString, core::THelpForm*> m_windows;
};

// A help window with its own text, named as the page asks for it.
class HelpWindow : public core::THelpForm {
    Q_OBJECT
protected:
    explicit HelpWindow(const QString& className, QWidget* parent = nullptr);
};

// Patents list and general instructions, soft science and basic theory.
class THelpForm_rj : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpForm_rj(QWidget* parent = nullptr);
};

// 成果概况, applied technology.
class THelpCggk : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpCggk(QWidget* parent = nullptr);
};

// 第一完成单位情况.
class THelpWcdw : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpWcdw(QWidget* parent = nullptr);
};

// 课题立项，评价情况, applied technology.
class THelpCglx : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpCglx(QWidget* parent = nullptr);
};

// 知识产权，成果应用情况.
class THelpZscq : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpZscq(QWidget* parent = nullptr);
};

// 合作完成单位情况.
class THelpHzdw : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpHzdw(QWidget* parent = nullptr);
};

// 评价委员会名单.
class THelpPjwy : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpPjwy(QWidget* parent = nullptr);
};

// 评价证书内容.
class THelpPjzs : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpPjzs(QWidget* parent = nullptr);
};

// 成果完成人员名单.
class THelpWcr : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpWcr(QWidget* parent = nullptr);
};

// 成果概况, soft science and basic theory.
class THelpCggkRj : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpCggkRj(QWidget* parent = nullptr);
};

// 课题立项，评价情况, soft science and basic theory.
class THelpKtlxRj : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpKtlxRj(QWidget* parent = nullptr);
};

} // namespace tamsel::help
