#pragma once

// Walks a shown window's focus chain with the Tab key, as a keyboard user does.

#include <QApplication>
#include <QCheckBox>
#include <QList>
#include <QRadioButton>
#include <QTest>
#include <QWidget>

namespace tamsel::test {

// True when Tab may stop at w: shown, enabled, taking Tab focus and not handing focus on to
// another widget.
inline bool isTabStop(const QWidget* w) {
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
           !w->focusProxy();
}

// True when a keyboard user must be able to reach w: a tab stop, or a shown and enabled choice
// box that is not a mere indicator (one the mouse cannot click either).
inline bool mustReach(const QWidget* w) {
    if ((qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) &&
        !w->testAttribute(Qt::WA_TransparentForMouseEvents) && w->isVisible() && w->isEnabled())
        return true;
    return isTabStop(w);
}

// The radio buttons that share w's exclusive group: Tab stops at one of them, arrows move on.
inline QList<QWidget*> radioGroup(QWidget* w) {
    auto* radio = qobject_cast<QRadioButton*>(w);
    if (!radio || !radio->autoExclusive() || radio->group() || !w->parentWidget())
        return {w};
    QList<QWidget*> group;
    for (auto* r : w->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
        if (r->autoExclusive() && isTabStop(r))
            group << r;
    }
    return group;
}

// Every control of window a keyboard user must reach.
inline QList<QWidget*> tabStops(QWidget* window) {
    QList<QWidget*> stops;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() == window && mustReach(w))
            stops << w;
    }
    return stops;
}

// Shows window, makes it active and gives start focus.
inline bool showAndFocus(QWidget* window, QWidget* start) {
    window->show();
    // A window shown again may still be the platform's focus window, which then sends no
    // activation: make it the active one directly.
    QApplication::setActiveWindow(window);
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    start->setFocus(Qt::TabFocusReason);
    return QApplication::focusWidget() == start;
}

// Presses Tab from start until focus comes back to it, at most limit times; the controls focus
// reached in order, start last when the chain closed. A Tab that leaves focus where it was ends
// the walk (the control keeps Tab for itself).
inline QList<QWidget*> tabWalk(QWidget* start, int limit) {
    QList<QWidget*> reached;
    QWidget* at = start;
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(at, Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        if (!next || next == at)
            break;
        reached << next;
        if (next == start)
            break;
        at = next;
    }
    return reached;
}

} // namespace tamsel::test
