#pragma once

#include <QList>

class QAbstractButton;
class QWidget;

// Keyboard use of every window: a Tab order that follows the form, grids and memos that let Tab
// go on, choice boxes that take focus, Esc that leaves as 退出 does and Return that presses the
// focused button.
namespace tamsel::core::keyboard {

// Prepares window for the keyboard. Safe to call from a base class's constructor: the controls
// are looked at each time the window is shown, so those made later by a derived class count too.
void prepare(QWidget* window);

// The window's focusable controls in the order of the form: each layout's items top to bottom
// and left to right, a panel (frame, group box, tab page) as one unit, controls outside any layout
// by their position.
QList<QWidget*> formOrder(QWidget* window);
// Applies formOrder as the window's Tab order.
void orderTabChain(QWidget* window);
// Grids leave with Tab (arrows move between cells), memos pass Tab on, and a tab widget or
// scroll area is no stop of its own (its tab bar and controls are).
void prepareControls(QWidget* window);

// The button that leaves the window: the shown one captioned 退出, else 取消, else 关闭.
QAbstractButton* exitButton(QWidget* window);
// Presses the window's leave button, as Esc does; false when it has none that can be pressed.
bool pressExit(QWidget* window);

} // namespace tamsel::core::keyboard
