#pragma once

#include <QList>
#include <QString>
#include <QValidator>
#include <utility>

class QLineEdit;
class QWidget;

namespace tamsel::engine {
class Dataset;
}

namespace tamsel::core {

// Accepts a text while it fits a character field: its length counted in GBK bytes, as the
// table stores it, so a Chinese character takes two of the field's bytes.
class FieldWidthValidator : public QValidator {
public:
    FieldWidthValidator(int widthBytes, QObject* parent);
    State validate(QString& input, int& pos) const override;
    int widthBytes() const { return m_width; }

private:
    int m_width;
};

// Limits an edit to the width of a character field of table: typing stops at the width, and the
// tooltip tells it in bytes. An edit for a field the table lacks, or a field that is not text,
// keeps its own limits. Returns the width, or 0 when nothing was set.
int limitToField(QLineEdit* edit, const engine::Dataset& table, const QString& field);

// Limits every edit of window named for an item field (edt_9, Edt_37, edtry_185, edtwy_195,
// edtdw_170 for ITEM_…) and each named pair (edit, field) to its field in table. Memos named for
// an item field (Mo_13_1) and memos among the pairs have no limit but are bound the same way, so
// a value that cannot be stored is reported by the control's label (field_check.h).
void limitToFields(QWidget* window, const engine::Dataset& table,
                   const QList<std::pair<QWidget*, QString>>& named = {});

// The text field a control was bound to by limitToField(s), and its width in GBK bytes (0 for a
// memo, which has none); an empty field when the control is bound to none.
struct BoundField {
    QString field;
    int widthBytes = 0;
};
BoundField boundField(const QWidget* control);

} // namespace tamsel::core
