// The help windows of the pages (THelp…) and their texts from the program's resources.
#include "help/helpwindows.h"

#include "platform/prompt.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QtDebug>

namespace tamsel::help {

namespace {

template <class W> std::unique_ptr<core::THelpForm> make() {
    return std::make_unique<W>();
}

QString resourcePath(const QString& className) {
    return QStringLiteral(":/help/") + className + QStringLiteral(".txt");
}

} // namespace

const QStringList& helpWindowNames() {
    static const QStringList names{
        QStringLiteral("THelpForm"), QStringLiteral("THelpForm_rj"), QStringLiteral("THelpCggk"),
        QStringLiteral("THelpWcdw"), QStringLiteral("THelpCglx"),    QStringLiteral("THelpZscq"),
        QStringLiteral("THelpHzdw"), QStringLiteral("THelpPjwy"),    QStringLiteral("THelpPjzs"),
        QStringLiteral("THelpWcr"),  QStringLiteral("THelpCggkRj"),  QStringLiteral("THelpKtlxRj"),
    };
    return names;
}

QString helpText(const QString& className) {
    // Only the known names: a name with a path part must not reach other resources.
    if (!helpWindowNames().contains(className)) {
        return {};
    }
    QFile file(resourcePath(className));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    return text;
}

bool loadHelpText(core::THelpForm& window, const QString& className) {
    const QString text = helpText(className);
    if (text.isEmpty()) {
        return false;
    }
    window.setObjectName(className);
    window.setHelpText(text);
    return true;
}

std::unique_ptr<core::THelpForm> createHelpWindow(const QString& className) {
    using Factory = std::unique_ptr<core::THelpForm> (*)();
    static const QHash<QString, Factory> factories{
        {QStringLiteral("THelpForm_rj"), &make<THelpForm_rj>},
        {QStringLiteral("THelpCggk"), &make<THelpCggk>},
        {QStringLiteral("THelpWcdw"), &make<THelpWcdw>},
        {QStringLiteral("THelpCglx"), &make<THelpCglx>},
        {QStringLiteral("THelpZscq"), &make<THelpZscq>},
        {QStringLiteral("THelpHzdw"), &make<THelpHzdw>},
        {QStringLiteral("THelpPjwy"), &make<THelpPjwy>},
        {QStringLiteral("THelpPjzs"), &make<THelpPjzs>},
        {QStringLiteral("THelpWcr"), &make<THelpWcr>},
        {QStringLiteral("THelpCggkRj"), &make<THelpCggkRj>},
        {QStringLiteral("THelpKtlxRj"), &make<THelpKtlxRj>},
    };
    const auto it = factories.constFind(className);
    return it == factories.constEnd() ? nullptr : (*it)();
}

void HelpWindows::add(const QString& className, core::THelpForm* window) {
    if (window) {
        m_windows.insert(className, window);
    }
}

core::THelpForm* HelpWindows::find(const QString& className) const {
    return m_windows.value(className, nullptr);
}

bool HelpWindows::show(const QString& className) const {
    core::THelpForm* window = find(className);
    if (!window) {
        // A page asking for a window that does not exist is a programming slip, not the user's.
        qWarning("tamsel: no help window named %s", qPrintable(className));
        return false;
    }
    // Each opening starts at the top of the instructions.
    if (auto* memo = window->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))) {
        memo->moveCursor(QTextCursor::Start);
        memo->ensureCursorVisible();
    }
    platform::showModal(window);
    return true;
}

HelpWindow::HelpWindow(const QString& className, QWidget* parent) : core::THelpForm(parent) {
    if (!loadHelpText(*this, className)) {
        setObjectName(className);
        qWarning("tamsel: help text %s is missing", qPrintable(className));
    }
}

THelpForm_rj::THelpForm_rj(QWidget* parent) : HelpWindow(QStringLiteral("THelpForm_rj"), parent) {}
THelpCggk::THelpCggk(QWidget* parent) : HelpWindow(QStringLiteral("THelpCggk"), parent) {}
THelpWcdw::THelpWcdw(QWidget* parent) : HelpWindow(QStringLiteral("THelpWcdw"), parent) {}
THelpCglx::THelpCglx(QWidget* parent) : HelpWindow(QStringLiteral("THelpCglx"), parent) {}
THelpZscq::THelpZscq(QWidget* parent) : HelpWindow(QStringLiteral("THelpZscq"), parent) {}
THelpHzdw::THelpHzdw(QWidget* parent) : HelpWindow(QStringLiteral("THelpHzdw"), parent) {}
THelpPjwy::THelpPjwy(QWidget* parent) : HelpWindow(QStringLiteral("THelpPjwy"), parent) {}
THelpPjzs::THelpPjzs(QWidget* parent) : HelpWindow(QStringLiteral("THelpPjzs"), parent) {}
THelpWcr::THelpWcr(QWidget* parent) : HelpWindow(QStringLiteral("THelpWcr"), parent) {}
THelpCggkRj::THelpCggkRj(QWidget* parent) : HelpWindow(QStringLiteral("THelpCggkRj"), parent) {}
THelpKtlxRj::THelpKtlxRj(QWidget* parent) : HelpWindow(QStringLiteral("THelpKtlxRj"), parent) {}

} // namespace tamsel::help
