// Values a text field cannot hold, told by the label of the control they were typed, pasted or
// set into: the engine names the table and field, which the user never sees.
#include "core/field_check.h"

#include "core/accessibility.h"
#include "core/field_limits.h"
#include "engine/gbk.h"
#include "platform/prompt.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>

namespace tamsel::core {

namespace {

QString textOf(const QWidget* control) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(control))
        return memo->toPlainText();
    return {};
}

} // namespace

QString storeProblem(const QString& label, const QString& text, int widthBytes) {
    const qsizetype bytes = engine::gbkByteLength(text);
    if (bytes < 0) {
        QByteArray ignored;
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QStringView character = QStringView(text).mid(i, n);
            if (!engine::encodeGbk(character, &ignored))
                return QStringLiteral("“%1”中的“%2”无法保存，请改用其他字").arg(label, character.toString());
            i += n;
        }
    }
    if (widthBytes <= 0 || bytes <= widthBytes)
        return {};
    const QString limit = widthBytes >= 2
                              ? QStringLiteral("最多%1个汉字（%2字节）").arg(widthBytes / 2).arg(widthBytes)
                              : QStringLiteral("最多%1字节").arg(widthBytes);
    // Counting in characters only says the truth when every character takes two bytes.
    const bool allDouble = bytes == 2 * text.toUcs4().size();
    const QString now =
        allDouble ? QStringLiteral("现有%1个汉字").arg(bytes / 2) : QStringLiteral("现有%1字节").arg(bytes);
    return QStringLiteral("“%1”%2，%3").arg(label, limit, now);
}

QString controlLabel(const QWidget* control) {
    if (!control)
        return {};
    const QString name = labelText(control->accessibleName());
    return name.trimmed().isEmpty() ? labelFor(control) : name;
}

QString explainStoreError(QWidget* window, const QString& message, QWidget** culprit) {
    if (culprit)
        *culprit = nullptr;
    // The engine's words for a text that does not fit its field or has a character GBK lacks.
    static const QRegularExpression fieldError(
        QStringLiteral("^表 \\S+ (?:的)?字段 (\\S+) 的值(?:含有 GBK 无法表示的字符|超过 \\d+ 字节的宽度)$"));
    const auto match = fieldError.match(message);
    if (!window || !match.hasMatch())
        return message;
    const QString field = match.captured(1);
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const BoundField bound = boundField(control);
        if (bound.field.compare(field, Qt::CaseInsensitive) != 0)
            continue;
        const QString label = controlLabel(control);
        if (label.isEmpty())
            continue;
        const QString problem = storeProblem(label, textOf(control), bound.widthBytes);
        if (problem.isEmpty())
            continue; // the page stored something else than this text
        if (culprit)
            *culprit = control;
        return problem;
    }
    return message;
}

void showStoreError(QWidget* window, const QString& message) {
    QWidget* culprit = nullptr;
    const QString text = explainStoreError(window, message, &culprit);
    platform::showBox(window, {QStringLiteral("提示"), text, platform::Icon::Warning, platform::Ok});
    if (culprit)
        focusControl(culprit);
}

bool refuseUnstorable(QWidget* window) {
    if (!window)
        return false;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const BoundField bound = boundField(control);
        if (bound.field.isEmpty())
            continue;
        const QString problem = storeProblem(controlLabel(control), textOf(control), bound.widthBytes);
        if (problem.isEmpty())
            continue;
        platform::showBox(window, {QStringLiteral("提示"), problem, platform::Icon::Warning, platform::Ok});
        focusControl(control);
        return true;
    }
    return false;
}

void focusControl(QWidget* control) {
    if (!control)
        return;
    for (QWidget* w = control; w->parentWidget(); w = w->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
        if (!stack)
            continue;
        if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
            tabs->setCurrentWidget(w);
        else
            stack->setCurrentWidget(w);
    }
    control->setFocus(Qt::OtherFocusReason);
}

} // namespace tamsel::core
