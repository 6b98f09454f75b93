// Message boxes and modal windows, with the seam that scripts them in tests.
#include "platform/prompt.h"

#include <QAbstractButton>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace tamsel::platform {
namespace {

UiHandler* g_handler = nullptr;

QMessageBox::Icon toQtIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Our buttons in the order the desktop shows them, with their Qt twins.
struct ButtonPair {
    Button ours;
    QMessageBox::StandardButton qt;
    const char16_t* text;
};
// The captions are fixed here rather than left to the translation, which adds "(&Y)".
constexpr ButtonPair kButtons[] = {
    {Yes, QMessageBox::Yes, u"是"},
    {No, QMessageBox::No, u"否"},
    {Ok, QMessageBox::Ok, u"确定"},
    {Cancel, QMessageBox::Cancel, u"取消"},
};

// The answer when the box is closed without a button: the one that changes nothing.
Button escapeAnswer(Buttons buttons) {
    if (buttons & Cancel) {
        return Cancel;
    }
    if (buttons & No) {
        return No;
    }
    if (buttons & Ok) {
        return Ok;
    }
    return Yes;
}

} // namespace

Button showBox(QWidget* parent, const Box& box) {
    Buttons buttons = box.buttons != 0 ? box.buttons : Buttons(Ok);
    if (g_handler != nullptr && g_handler->box) {
        return g_handler->box(parent, Box{box.caption, box.text, box.icon, buttons});
    }
    QMessageBox message(toQtIcon(box.icon), box.caption, box.text, QMessageBox::NoButton, parent);
    QMessageBox::StandardButtons qtButtons;
    for (const ButtonPair& pair : kButtons) {
        if (buttons & pair.ours) {
            qtButtons |= pair.qt;
        }
    }
    message.setStandardButtons(qtButtons);
    for (const ButtonPair& pair : kButtons) {
        if (QAbstractButton* button = message.button(pair.qt)) {
            button->setText(QString::fromUtf16(pair.text));
        }
    }
    const int result = message.exec();
    for (const ButtonPair& pair : kButtons) {
        if (result == pair.qt && (buttons & pair.ours)) {
            return pair.ours;
        }
    }
    return escapeAnswer(buttons);
}

void showMessage(QWidget* parent, const QString& caption, const QString& text, Icon icon) {
    showBox(parent, Box{caption, text, icon, Ok});
}

bool askYesNo(QWidget* parent, const QString& caption, const QString& text, Icon icon) {
    return showBox(parent, Box{caption, text, icon, Yes | No}) == Yes;
}

int showModal(QWidget* window) {
    if (window == nullptr) {
        return 0;
    }
    if (g_handler != nullptr && g_handler->modal) {
        return g_handler->modal(window);
    }
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        return dialog->exec();
    }
    // A plain widget: modal until it hides or goes away.
    const Qt::WindowModality oldModality = window->windowModality();
    window->setWindowModality(Qt::ApplicationModal);
    QPointer<QWidget> guard(window);
    QEventLoop loop;
    window->show();
    struct HideWatcher : QObject {
        QEventLoop* loop;
        bool eventFilter(QObject* /*watched*/, QEvent* event) override {
            if (event->type() == QEvent::Hide) {
                loop->quit();
            }
            return false;
        }
    } watcher;
    watcher.loop = &loop;
    window->installEventFilter(&watcher);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (window->isVisible()) {
        loop.exec(QEventLoop::DialogExec);
    }
    if (guard) {
        guard->removeEventFilter(&watcher);
        guard->setWindowModality(oldModality);
    }
    return 0;
}

void setUiHandler(UiHandler* handler) {
    g_handler = handler;
}

UiHandler* uiHandler() {
    return g_handler;
}

} // namespace tamsel::platform
