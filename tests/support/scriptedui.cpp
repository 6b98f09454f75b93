#include "support/scriptedui.h"

#include <QTest>
#include <QWidget>

namespace tamsel::test {

using platform::Box;
using platform::Button;

namespace {

Button harmlessAnswer(platform::Buttons buttons) {
    if (buttons & platform::Cancel) {
        return platform::Cancel;
    }
    if (buttons & platform::No) {
        return platform::No;
    }
    return platform::Ok;
}

void failUnexpected(const QString& what) {
    const QByteArray message = QStringLiteral("unexpected %1 (no ScriptedUi expects it)").arg(what).toUtf8();
    if (QTest::currentTestFunction() != nullptr && !QTest::currentTestFailed()) {
        QTest::qFail(message.constData(), __FILE__, __LINE__);
    } else {
        qCritical("%s", message.constData());
    }
}

// Installed before main() in every test program that links the scripted UI.
struct StrictScreen {
    platform::UiHandler handler;
    StrictScreen() {
        handler.box = [](QWidget*, const Box& box) {
            failUnexpected(QStringLiteral("box \"%1\" / \"%2\"").arg(box.caption, box.text));
            return harmlessAnswer(box.buttons);
        };
        handler.modal = [](QWidget* window) {
            failUnexpected(
                QStringLiteral("modal window %1 (%2)")
                    .arg(window->objectName(), QString::fromLatin1(window->metaObject()->className())));
            return 0;
        };
        platform::setUiHandler(&handler);
    }
};
StrictScreen g_strictScreen;

} // namespace

RealScreen::RealScreen() : m_previous(platform::uiHandler()) {
    platform::setUiHandler(nullptr);
}

RealScreen::~RealScreen() {
    platform::setUiHandler(m_previous);
}

ScriptedUi::ScriptedUi() {
    m_handler.box = [this](QWidget*, const Box& box) { return onBox(box); };
    m_handler.modal = [this](QWidget* window) { return onModal(window); };
    m_previous = platform::uiHandler();
    platform::setUiHandler(&m_handler);
}

ScriptedUi::~ScriptedUi() {
    platform::setUiHandler(m_previous);
    // Report only when the test has not failed already: one failure per test is enough.
    if (!verify() && !QTest::currentTestFailed() && QTest::currentTestFunction() != nullptr) {
        QTest::qFail(qPrintable(failures()), __FILE__, __LINE__);
    }
}

ScriptedUi& ScriptedUi::expectBox(const QString& caption, const QString& text, Button answer, Match match) {
    Expectation e;
    e.caption = caption;
    e.text = text;
    e.answer = answer;
    e.match = match;
    m_queue.push_back(std::move(e));
    return *this;
}

ScriptedUi& ScriptedUi::expectBox(const QString& caption, const QString& text, platform::Icon icon,
                                  Button answer, Match match) {
    expectBox(caption, text, answer, match);
    m_queue.back().checkIcon = true;
    m_queue.back().icon = icon;
    return *this;
}

ScriptedUi& ScriptedUi::expectModal(const QString& name, std::function<int(QWidget*)> drive, int result) {
    Expectation e;
    e.modal = true;
    e.name = name;
    e.drive = std::move(drive);
    e.result = result;
    m_queue.push_back(std::move(e));
    return *this;
}

Button ScriptedUi::onBox(const Box& box) {
    m_log << box.caption + QLatin1Char('|') + box.text;
    m_boxes << box;
    // An unexpected box gets the answer that changes nothing, so the code under test goes on.
    const Button fallback = harmlessAnswer(box.buttons);
    const QString shown = QStringLiteral("box \"%1\" / \"%2\"").arg(box.caption, box.text);
    if (m_queue.empty()) {
        m_errors << QStringLiteral("unexpected %1").arg(shown);
        return fallback;
    }
    Expectation e = m_queue.front();
    const bool textOk = e.match == Match::Exact ? box.text == e.text : box.text.contains(e.text);
    if (e.modal || box.caption != e.caption || !textOk || (e.checkIcon && box.icon != e.icon)) {
        m_errors << QStringLiteral("%1 shown, expected %2").arg(shown, describe(e));
        return fallback;
    }
    m_queue.pop_front();
    if (!(box.buttons & e.answer)) {
        m_errors << QStringLiteral("answer %1 is not a button of %2").arg(int(e.answer)).arg(shown);
    }
    return e.answer;
}

int ScriptedUi::onModal(QWidget* window) {
    const QString objectName = window->objectName();
    const QString className = QString::fromLatin1(window->metaObject()->className());
    m_log << QStringLiteral("modal:") + (objectName.isEmpty() ? className : objectName);
    const QString shown = QStringLiteral("modal window %1 (%2)").arg(objectName, className);
    if (m_queue.empty()) {
        m_errors << QStringLiteral("unexpected %1").arg(shown);
        return 0;
    }
    Expectation e = m_queue.front();
    const bool nameOk =
        e.modal && (objectName == e.name || className.endsWith(QStringLiteral("::") + e.name) ||
                    className == e.name || window->inherits(e.name.toLatin1().constData()));
    if (!nameOk) {
        m_errors << QStringLiteral("%1 shown, expected %2").arg(shown, describe(e));
        return 0;
    }
    m_queue.pop_front();
    return e.drive ? e.drive(window) : e.result;
}

QString ScriptedUi::describe(const Expectation& e) const {
    if (e.modal) {
        return QStringLiteral("modal window %1").arg(e.name);
    }
    return QStringLiteral("box \"%1\" / \"%2\"").arg(e.caption, e.text);
}

bool ScriptedUi::verify() const {
    return m_errors.isEmpty() && m_queue.empty();
}

QString ScriptedUi::failures() const {
    QStringList all = m_errors;
    for (const Expectation& e : m_queue) {
        all << QStringLiteral("not shown: %1").arg(describe(e));
    }
    return all.join(QLatin1Char('\n'));
}

QString ScriptedUi::takeFailures() {
    const QString all = failures();
    m_errors.clear();
    m_queue.clear();
    return all;
}

} // namespace tamsel::test
