// Edits limited by the width of the table fields they are stored in, counted in GBK bytes.
#include "core/field_limits.h"

#include "engine/dataset.h"
#include "engine/gbk.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QWidget>

namespace tamsel::core {

namespace {

const char* const kFieldProperty = "tamselField";
const char* const kWidthProperty = "tamselFieldWidth";

void bind(QWidget* control, const QString& field, int width) {
    control->setProperty(kFieldProperty, field);
    control->setProperty(kWidthProperty, width);
}

// A memo keeps its text whole (no validator); it is only bound to its text or memo field.
void bindMemo(QPlainTextEdit* memo, const engine::Dataset& table, const QString& field) {
    const int index = table.fieldIndex(field);
    if (index < 0)
        return;
    const auto& f = table.field(index);
    if (f.type == 'M')
        bind(memo, f.name, 0);
    else if (f.type == 'C')
        bind(memo, f.name, f.length);
}

} // namespace

BoundField boundField(const QWidget* control) {
    if (!control)
        return {};
    return {control->property(kFieldProperty).toString(), control->property(kWidthProperty).toInt()};
}

FieldWidthValidator::FieldWidthValidator(int widthBytes, QObject* parent)
    : QValidator(parent), m_width(widthBytes) {}

QValidator::State FieldWidthValidator::validate(QString& input, int& /*pos*/) const {
    // The text is never cut here: a value the program sets stays whole, only typing is refused.
    return engine::gbkByteLength(input) <= m_width ? Acceptable : Invalid;
}

int limitToField(QLineEdit* edit, const engine::Dataset& table, const QString& field) {
    const int index = table.fieldIndex(field);
    if (!edit || index < 0 || table.field(index).type != 'C')
        return 0;
    const int width = table.field(index).length;
    bind(edit, table.field(index).name, width);
    if (const auto* given = dynamic_cast<const FieldWidthValidator*>(edit->validator());
        given && given->widthBytes() == width)
        return width;
    edit->setValidator(new FieldWidthValidator(width, edit));
    edit->setToolTip(QStringLiteral("最多 %1 字节（汉字每字 2 字节）").arg(width));
    return width;
}

void limitToFields(QWidget* window, const engine::Dataset& table,
                   const QList<std::pair<QWidget*, QString>>& named) {
    static const QRegularExpression itemEdit(
        QStringLiteral("^(?:edt|Edt|EDT|edtry|edtwy|Edtwy|edtdw)_?(\\d+(?:_\\d+)*)$"));
    static const QRegularExpression itemMemo(QStringLiteral("^Mo_(\\d+(?:_\\d+)*)$"));
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        const auto match = itemEdit.match(edit->objectName());
        if (match.hasMatch())
            limitToField(edit, table, QStringLiteral("ITEM_") + match.captured(1));
    }
    for (QPlainTextEdit* memo : window->findChildren<QPlainTextEdit*>()) {
        const auto match = itemMemo.match(memo->objectName());
        if (match.hasMatch())
            bindMemo(memo, table, QStringLiteral("ITEM_") + match.captured(1));
    }
    for (const auto& [control, field] : named) {
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            limitToField(edit, table, field);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
            bindMemo(memo, table, field);
    }
}

} // namespace tamsel::core
