#pragma once

#include <QList>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace tamsel::platform {

// Every message box and every modal window of the program goes through these functions, so
// the whole program runs headless in tests: a test installs a script of expected boxes with
// their answers, and an unexpected box or an unused answer fails the test; nothing blocks.

enum class Icon { None, Information, Warning, Question, Error };

enum Button : unsigned {
    Ok = 0x1,
    Cancel = 0x2,
    Yes = 0x4,
    No = 0x8,
};
using Buttons = unsigned;

struct Box {
    QString caption;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Ok;
};

// Shows a modal message box and returns the button pressed.
Button showBox(QWidget* parent, const Box& box);

// Shorthands.
void showMessage(QWidget* parent, const QString& caption, const QString& text, Icon icon = Icon::Information);
bool askYesNo(QWidget* parent, const QString& caption, const QString& text, Icon icon = Icon::Question);

// Shows a window modally (QDialog::exec, or a QWidget made modal with a local event loop)
// and returns the dialog result (QDialog::Accepted/Rejected, 0 for a plain widget).
int showModal(QWidget* window);

// The test seam. While a handler is installed, showBox and showModal go to it instead of the
// screen. tests/support provides a scripted implementation.
struct UiHandler {
    std::function<Button(QWidget* parent, const Box& box)> box;
    // Called instead of exec(): the test may drive the window and returns its result.
    std::function<int(QWidget* window)> modal;
};
void setUiHandler(UiHandler* handler); // nullptr restores the real screen
UiHandler* uiHandler();

} // namespace tamsel::platform
