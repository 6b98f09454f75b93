// Keyboard use of every window: the Tab order of the form, grids and memos that pass Tab on,
// focusable choice boxes, Esc as the window's leave button and Return on a focused button.
#include "core/keyboard.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>

namespace tamsel::core::keyboard {

namespace {

// Controls that manage their own inner widgets: they are one stop in the chain.
bool isCompound(const QWidget* w) {
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QTabBar*>(w) ||
           (qobject_cast<const QAbstractScrollArea*>(w) && !qobject_cast<const QScrollArea*>(w));
}

bool takesTab(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

class Collector {
public:
    explicit Collector(QWidget* window) : m_window(window) {}

    QList<QWidget*> run() {
        container(m_window);
        return m_order;
    }

private:
    void visit(QWidget* w) {
        if (w->isWindow() || m_seen.contains(w))
            return;
        m_seen.insert(w);
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            visit(tabs->tabBar());
            for (int i = 0; i < tabs->count(); ++i)
                visit(tabs->widget(i));
            return;
        }
        if (auto* scroll = qobject_cast<QScrollArea*>(w)) {
            if (scroll->widget())
                visit(scroll->widget());
            return;
        }
        const bool leaf = takesTab(w) && !w->focusProxy();
        if (leaf || (isCompound(w) && w->focusProxy()))
            m_order << w;
        if (!isCompound(w) && (!leaf || qobject_cast<QGroupBox*>(w)))
            container(w);
    }

    void container(QWidget* c) {
        if (QLayout* layout = c->layout())
            walk(layout);
        // Children outside the layout (placed by hand) follow by their position.
        QList<QWidget*> loose;
        for (QObject* o : c->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && !w->isWindow() && !m_seen.contains(w))
                loose << w;
        }
        for (QWidget* w : byPosition(loose))
            visit(w);
    }

    void walk(QLayout* layout) {
        struct Slot {
            int row;
            int column;
            QLayoutItem* item;
        };
        QList<Slot> items;
        const int n = layout->count();
        auto* grid = qobject_cast<QGridLayout*>(layout);
        auto* form = qobject_cast<QFormLayout*>(layout);
        auto* box = qobject_cast<QBoxLayout*>(layout);
        const bool reversed = box && (box->direction() == QBoxLayout::RightToLeft ||
                                      box->direction() == QBoxLayout::BottomToTop);
        for (int i = 0; i < n; ++i) {
            int row = 0;
            int column = reversed ? n - i : i;
            if (grid && !choiceGrid(grid)) {
                int rowSpan = 0;
                int columnSpan = 0;
                grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            } else if (form) {
                QFormLayout::ItemRole role = QFormLayout::LabelRole;
                form->getItemPosition(i, &row, &role);
                column = int(role);
            }
            items.append({row, column, layout->itemAt(i)});
        }
        std::stable_sort(items.begin(), items.end(), [](const Slot& a, const Slot& b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        });
        for (const Slot& s : std::as_const(items)) {
            if (QWidget* w = s.item->widget())
                visit(w);
            else if (QLayout* inner = s.item->layout())
                walk(inner);
        }
    }

    // A grid of check boxes or radio buttons is filled in the order of its choices (often down
    // its columns), which is the order they are read in.
    static bool choiceGrid(const QGridLayout* grid) {
        bool any = false;
        for (int i = 0; i < grid->count(); ++i) {
            QWidget* w = grid->itemAt(i)->widget();
            if (!w)
                continue;
            if (!qobject_cast<QCheckBox*>(w) && !qobject_cast<QRadioButton*>(w))
                return false;
            any = true;
        }
        return any;
    }

    // Top to bottom, and left to right within a row (tops within a few pixels share a row).
    static QList<QWidget*> byPosition(QList<QWidget*> widgets) {
        std::stable_sort(widgets.begin(), widgets.end(),
                         [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
        QList<QWidget*> out;
        for (qsizetype start = 0; start < widgets.size();) {
            qsizetype end = start + 1;
            while (end < widgets.size() && widgets[end]->y() - widgets[start]->y() < 8)
                ++end;
            QList<QWidget*> row = widgets.mid(start, end - start);
            std::stable_sort(row.begin(), row.end(),
                             [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
            out << row;
            start = end;
        }
        return out;
    }

    QWidget* m_window;
    QList<QWidget*> m_order;
    QSet<QWidget*> m_seen;
};

QWidget* firstStop(QWidget* window) {
    for (QWidget* w : formOrder(window)) {
        if (w->isVisible() && w->isEnabled() && takesTab(w) && !w->focusProxy())
            return w;
    }
    return nullptr;
}

// A dialog without a main action gets no default button: otherwise Qt makes the first button
// in the chain the default, and Return in any edit would press it. Return on a focused button
// still presses that button (see WindowKeys).
void withoutGuessedDefault(QWidget* window) {
    if (!qobject_cast<QDialog*>(window))
        return;
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    if (std::any_of(buttons.begin(), buttons.end(), [](const QPushButton* b) { return b->isDefault(); }))
        return;
    for (QPushButton* b : buttons)
        b->setAutoDefault(false);
}

bool plainKey(const QKeyEvent* key) {
    return (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Watches one window: orders it each time it is shown and takes the keys its controls leave.
class WindowKeys : public QObject {
public:
    explicit WindowKeys(QWidget* window) : QObject(window), m_window(window) {
        setObjectName(name());
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Show) {
            prepareControls(m_window);
            orderTabChain(m_window);
            withoutGuessedDefault(m_window);
            // Windows are reused: one opens at its first control, unless its opener chose
            // another since it was last closed.
            QWidget* focus = m_window->focusWidget();
            if (!focus || focus == m_focusWhenHidden) {
                if (QWidget* first = firstStop(m_window))
                    first->setFocus(Qt::TabFocusReason);
            }
            return false;
        }
        if (event->type() == QEvent::Hide) {
            m_focusWhenHidden = m_window->focusWidget();
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!plainKey(key))
            return false;
        if (key->key() == Qt::Key_Escape && qobject_cast<QDialog*>(m_window)) {
            // Esc leaves as the leave button does, question included; never past it.
            if (QAbstractButton* exit = exitButton(m_window)) {
                if (exit->isEnabled())
                    pressExit(m_window);
                return true;
            }
            return false;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // A focused button that is not the dialog's default passes Return on: press it.
            QWidget* focus = QApplication::focusWidget();
            auto* button = qobject_cast<QAbstractButton*>(focus);
            if (button && button->window() == m_window && button->isEnabled() &&
                (qobject_cast<QPushButton*>(button) || qobject_cast<QToolButton*>(button))) {
                button->click();
                return true;
            }
        }
        return false;
    }

    static QString name() { return QStringLiteral("tamsel_keyboard"); }

private:
    QWidget* m_window;
    QPointer<QWidget> m_focusWhenHidden;
};

QString caption(const QAbstractButton* button) {
    QString text = button->text();
    text.remove(QLatin1Char('&'));
    return text.trimmed();
}

} // namespace

void prepare(QWidget* window) {
    if (!window->findChild<QObject*>(WindowKeys::name(), Qt::FindDirectChildrenOnly))
        new WindowKeys(window);
}

QList<QWidget*> formOrder(QWidget* window) {
    return Collector(window).run();
}

void orderTabChain(QWidget* window) {
    const QList<QWidget*> order = formOrder(window);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void prepareControls(QWidget* window) {
    for (auto* view : window->findChildren<QAbstractItemView*>())
        view->setTabKeyNavigation(false);
    for (auto* memo : window->findChildren<QPlainTextEdit*>())
        memo->setTabChangesFocus(true);
    for (auto* memo : window->findChildren<QTextEdit*>())
        memo->setTabChangesFocus(true);
    // A tab widget hands focus to its tab bar; as a stop of its own it would sit wherever it was
    // made in the chain. The same for a scroll area around a panel: its controls are the stops.
    for (auto* tabs : window->findChildren<QTabWidget*>()) {
        tabs->setFocusPolicy(Qt::NoFocus); // passed on to the tab bar, which keeps its own
        tabs->tabBar()->setFocusPolicy(Qt::TabFocus);
    }
    for (auto* scroll : window->findChildren<QScrollArea*>())
        scroll->setFocusPolicy(Qt::NoFocus);
}

QAbstractButton* exitButton(QWidget* window) {
    const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    for (const QString& wanted : {QStringLiteral("退出"), QStringLiteral("取消"), QStringLiteral("关闭")}) {
        for (QAbstractButton* b : buttons) {
            if (b->window() == window && b->isVisibleTo(window) && caption(b) == wanted)
                return b;
        }
    }
    return nullptr;
}

bool pressExit(QWidget* window) {
    // A leave handler that closes the window may come back here through reject(): once is enough.
    static QSet<QWidget*> leaving;
    QAbstractButton* exit = exitButton(window);
    if (!exit || !exit->isEnabled() || leaving.contains(window))
        return false;
    leaving.insert(window);
    exit->click();
    leaving.remove(window);
    return true;
}

} // namespace tamsel::core::keyboard
