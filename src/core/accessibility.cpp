// Accessible names of input controls taken from the labels beside them, and the drop-down
// lists' accessible interface that reports that name (Qt's own reports the current entry as the
// name of a list on Linux).
#include "core/accessibility.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTextEdit>
#include <limits>

namespace tamsel::core {

namespace {

// A drop-down list as screen readers see it: its label as name, its current entry as value, the
// entry list (and the edit of an editable list) as children.
class ComboAccessible : public QAccessibleWidget {
public:
    explicit ComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return combo()->isEditable() ? combo()->lineEdit()->text() : combo()->currentText();
        if (t == QAccessible::Name) {
            const QString name = combo()->accessibleName();
            return name.isEmpty() ? labelFor(combo()) : name;
        }
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return combo()->isEditable() ? 2 : 1; }

    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->isEditable())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child)
            return -1;
        if (child->object() == combo()->view())
            return 0;
        if (combo()->isEditable() && child->object() == combo()->lineEdit())
            return 1;
        return -1;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* comboFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
        return new ComboAccessible(static_cast<QComboBox*>(object));
    return nullptr;
}

// The widgets whose labels name them. Edits inside lists, spin boxes and grids belong to those.
bool isInputControl(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    if (qobject_cast<const QLineEdit*>(w)) {
        if (qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent))
            return false;
    } else if (!qobject_cast<const QComboBox*>(w) && !qobject_cast<const QAbstractSpinBox*>(w) &&
               !qobject_cast<const QTextEdit*>(w) && !qobject_cast<const QPlainTextEdit*>(w)) {
        return false;
    }
    for (const QWidget* p = parent; p; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractItemView*>(p))
            return false;
    }
    return true;
}

// The box, tab page, scrolled area or window a widget sits in: labels name controls only there.
const QWidget* containerOf(const QWidget* w) {
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        const QWidget* up = p->parentWidget();
        if (p->isWindow() || qobject_cast<const QGroupBox*>(p) || qobject_cast<const QStackedWidget*>(up) ||
            (up && qobject_cast<const QAbstractScrollArea*>(up->parentWidget())))
            return p;
    }
    return w;
}

QRect rectIn(const QWidget* w, const QWidget* container) {
    return {w->mapTo(container, QPoint(0, 0)), w->size()};
}

// Lays the window out as it will be shown, so positions can be compared before it is shown.
void settleLayouts(QWidget* window) {
    if (window->layout())
        window->layout()->activate();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->layout())
            child->layout()->activate();
    }
}

QString nearestLabel(const QWidget* control) {
    const QWidget* container = containerOf(control);
    const QRect c = rectIn(control, container);
    const QLabel* beside = nullptr;
    int besideRight = std::numeric_limits<int>::min();
    const QLabel* above = nullptr;
    int aboveGap = std::numeric_limits<int>::max();
    for (const QLabel* label : control->window()->findChildren<QLabel*>()) {
        if (label->isHidden() || (label->buddy() && label->buddy() != control) ||
            containerOf(label) != container || labelText(label->text()).isEmpty())
            continue;
        const QRect l = rectIn(label, container);
        const int middle = l.center().y();
        if (l.right() <= c.left() + 2 && middle >= c.top() - 2 && middle <= c.bottom() + 2) {
            if (l.right() > besideRight) {
                besideRight = l.right();
                beside = label;
            }
        } else if (l.bottom() <= c.top() + 2 && c.top() - l.bottom() <= 40 && l.left() >= c.left() - 10 &&
                   l.left() <= c.right()) {
            if (c.top() - l.bottom() < aboveGap) {
                aboveGap = c.top() - l.bottom();
                above = label;
            }
        }
    }
    if (beside)
        return labelText(beside->text());
    return above ? labelText(above->text()) : QString();
}

} // namespace

QString labelText(const QString& text) {
    QString name = text;
    name.remove(QLatin1Char('&'));
    name = name.trimmed();
    static const QString trailing = QStringLiteral("：:*＊ ");
    while (!name.isEmpty() && trailing.contains(name.back()))
        name.chop(1);
    while (!name.isEmpty() && (name.front() == QLatin1Char('*') || name.front() == QChar(0xFF0A)))
        name.remove(0, 1);
    return name.trimmed();
}

QString labelFor(const QWidget* control) {
    if (!control)
        return {};
    for (const QLabel* label : control->window()->findChildren<QLabel*>()) {
        if (label->buddy() == control)
            return labelText(label->text());
    }
    return nearestLabel(control);
}

void nameControlsByLabels(QWidget* window) {
    QAccessible::installFactory(comboFactory);
    // A list asked about before the factory was there keeps Qt's interface until it is dropped.
    for (QComboBox* combo : window->findChildren<QComboBox*>()) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(combo);
        if (face && !dynamic_cast<ComboAccessible*>(face))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
    }
    bool settled = false;
    const QSize least = window->minimumSize();
    const QSize size = window->size();
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->accessibleName().isEmpty() || !isInputControl(control))
            continue;
        if (!settled) {
            settleLayouts(window);
            settled = true;
        }
        const QString name = labelFor(control);
        if (!name.isEmpty())
            control->setAccessibleName(name);
    }
    // Laying out before the window has shown what it shows may have grown it: undo that.
    if (settled) {
        window->setMinimumSize(least);
        window->resize(size);
        if (window->layout())
            window->layout()->invalidate();
    }
}

} // namespace tamsel::core
