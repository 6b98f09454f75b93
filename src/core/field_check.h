#pragma once

#include <QString>

class QWidget;

namespace tamsel::core {

// Why text cannot be stored in a text field of widthBytes GBK bytes (0: no width, a memo), said
// with the item's label as the page shows it; empty when it can be stored.
//   "“姓名”中的“䶮”无法保存，请改用其他字"
//   "“对成果创造性贡献”最多80个汉字（160字节），现有96个汉字"
QString storeProblem(const QString& label, const QString& text, int widthBytes);

// The label the user knows a control by: its accessible name, else its label (labelFor).
QString controlLabel(const QWidget* control);

// The engine's message for a value its field cannot hold ("表 cgwcr 的字段 ITEM_186 的值超过 160
// 字节的宽度") said by the label of the control of window bound to that field (limitToFields)
// whose text is at fault; the message as it stands when there is no such control. culprit, when
// given, receives that control or nullptr.
QString explainStoreError(QWidget* window, const QString& message, QWidget** culprit = nullptr);

// Shows an engine error of a store in window (the pages' 提示 box), by the control's label where
// it names a field a control is bound to, and then puts the focus on that control.
void showStoreError(QWidget* window, const QString& message);

// Checks every control of window bound to a text field (limitToFields) before a store: the first
// text its field cannot hold is told by its label (storeProblem) and gets the focus. True when
// something was refused and nothing may be stored.
bool refuseUnstorable(QWidget* window);

// Brings control into view (the tab or stacked page holding it) and gives it the focus.
void focusControl(QWidget* control);

} // namespace tamsel::core
