// Edits limited by the width of the table fields they are stored in, counted in GBK bytes.
#include "core/field_limits.h"

#include "engine/dataset.h"
#include "engine/gbk.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QWidget>

namespace tamsel::core {

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
    if (const auto* given = dynamic_cast<const FieldWidthValidator*>(edit->validator());
        given && given->widthBytes() == width)
        return width;
    edit->setValidator(new FieldWidthValidator(width, edit));
    edit->setToolTip(QStringLiteral("最多 %1 字节（汉字每字 2 字节）").arg(width));
    return width;
}

void limitToFields(QWidget* window, const engine::Dataset& table,
                   const QList<std::pair<QLineEdit*, QString>>& named) {
    static const QRegularExpression itemEdit(
        QStringLiteral("^(?:edt|Edt|EDT|edtry|edtwy|Edtwy|edtdw)_?(\\d+(?:_\\d+)*)$"));
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        const auto match = itemEdit.match(edit->objectName());
        if (match.hasMatch())
            limitToField(edit, table, QStringLiteral("ITEM_") + match.captured(1));
    }
    for (const auto& [edit, field] : named)
        limitToField(edit, table, field);
}

} // namespace tamsel::core
