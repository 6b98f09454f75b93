#pragma once

#include "platform/prompt.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

namespace tamsel::test {

// The scripted stand-in for the screen: while alive it answers every message box and modal
// window of the program from a queue of expectations, in order. An unexpected box or window,
// or an expectation left unused, is a failure: check it with TAMSEL_VERIFY_UI(ui), or let the
// destructor report it through QTest::qFail. Nothing ever blocks.
class ScriptedUi {
public:
    enum class Match { Exact, Contains };

    ScriptedUi();
    ~ScriptedUi();
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    // Expects a box with this caption and text (exact, or text containing `text`) and answers it.
    ScriptedUi& expectBox(const QString& caption, const QString& text, platform::Button answer = platform::Ok,
                          Match match = Match::Exact);
    // Also checks the icon.
    ScriptedUi& expectBox(const QString& caption, const QString& text, platform::Icon icon,
                          platform::Button answer = platform::Ok, Match match = Match::Exact);
    // Expects a modal window whose objectName or class (or a base class) is `name`. The callback
    // drives it in place of exec() and returns its result; without one the result is `result`.
    ScriptedUi& expectModal(const QString& name, std::function<int(QWidget*)> drive = {}, int result = 0);

    // True when every box and window was expected and every expectation used.
    bool verify() const;
    QString failures() const;
    bool finished() const { return m_queue.empty(); }
    // Returns the failures and forgets them and the unused expectations (tests of failure paths).
    QString takeFailures();

    // What was shown, in order (boxes as "caption|text", windows as "modal:name").
    QStringList log() const { return m_log; }
    QList<platform::Box> boxes() const { return m_boxes; }

private:
    struct Expectation {
        bool modal = false;
        QString caption;
        QString text;
        Match match = Match::Exact;
        bool checkIcon = false;
        platform::Icon icon = platform::Icon::None;
        platform::Button answer = platform::Ok;
        QString name;
        std::function<int(QWidget*)> drive;
        int result = 0;
    };
    platform::Button onBox(const platform::Box& box);
    int onModal(QWidget* window);
    QString describe(const Expectation& e) const;

    platform::UiHandler m_handler;
    platform::UiHandler* m_previous = nullptr;
    std::deque<Expectation> m_queue;
    QStringList m_errors;
    QStringList m_log;
    QList<platform::Box> m_boxes;
};

// Outside a ScriptedUi every test runs with a strict screen: any box or modal window fails the
// current test and is answered with the button that changes nothing, so nothing blocks. A test
// of the real boxes themselves lifts it for its own scope with RealScreen.
class RealScreen {
public:
    RealScreen();
    ~RealScreen();
    RealScreen(const RealScreen&) = delete;
    RealScreen& operator=(const RealScreen&) = delete;

private:
    platform::UiHandler* m_previous;
};

} // namespace tamsel::test

#define TAMSEL_VERIFY_UI(ui) QVERIFY2((ui).verify(), qPrintable((ui).failures()))
