// The option controls of the entry pages: dictionary lists, choice panels, digit-only edits and
// the warning box.
#include "core/option_controls.h"

#include "core/code_lookup.h"

#include "engine/dataset.h"
#include "engine/error.h"
#include "platform/prompt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <algorithm>

namespace tamsel::core {

using engine::EngineError;
using platform::Icon;

namespace {

// The choice buttons that sit on a panel. Panels are matched by name, so a page may pass the
// panel of another form instance; the image list of the original layout is never a button.
QList<QAbstractButton*> panelButtons(QWidget* form, QWidget* panel) {
    QList<QAbstractButton*> buttons;
    if (!form || !panel) {
        return buttons;
    }
    const QString panelName = panel->objectName();
    const auto all = form->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : all) {
        const QWidget* parent = button->parentWidget();
        if (!parent || parent->objectName() != panelName ||
            button->objectName() == QLatin1String("ImageList1")) {
            continue;
        }
        if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
            buttons.append(button);
        }
    }
    return buttons;
}

// A code must read as a whole number (sign allowed, as the stored forms were checked before).
bool isWholeNumber(const QString& code, int* value = nullptr) {
    bool ok = false;
    const int number = code.toInt(&ok);
    if (value) {
        *value = number;
    }
    return ok;
}

// Text before the first separator, or empty when there is none.
QString beforeSeparator(const QString& text) {
    const qsizetype at = text.indexOf(QLatin1Char(';'));
    return at < 0 ? QString() : text.left(at);
}

void uncheck(QAbstractButton* button) {
    if (!button->isChecked()) {
        return;
    }
    // Exclusive radio buttons refuse to be unchecked directly.
    QButtonGroup* group = button->group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = button->autoExclusive();
    if (group) {
        group->setExclusive(false);
    }
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(autoExclusive);
    if (group) {
        group->setExclusive(groupExclusive);
    }
}

// Swallows typed characters other than digits (and the decimal point when allowed).
class DigitFilter : public QObject {
public:
    DigitFilter(QObject* parent, bool allowPoint) : QObject(parent), m_allowPoint(allowPoint) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            const bool printable = !text.isEmpty() && text.at(0).isPrint();
            if (printable && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                for (const QChar c : text) {
                    if (!(c.isDigit() && c.unicode() < 0x80) && !(m_allowPoint && c == QLatin1Char('.'))) {
                        return true;
                    }
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_allowPoint;
};

// An engine error while filling a control, shown over the control's window.
void showEngineError(QWidget* control, const QString& message) {
    platform::showBox(control ? control->window() : nullptr,
                      {QStringLiteral("提示"), message, Icon::Warning, platform::Ok});
}

void fillCodeList(engine::Dataset& table, const QString& itemCode, bool withoutBlank, QComboBox* combo,
                  bool keepOldEdition) {
    if (!combo) {
        return;
    }
    const QSignalBlocker blocker(combo);
    combo->clear();
    try {
        const QList<CodeName> options = dictionaryOptions(table, itemCode, keepOldEdition);
        for (const CodeName& option : options) {
            combo->addItem(option.code + QStringLiteral("  ") + option.name);
        }
    } catch (const EngineError& e) {
        showEngineError(combo, e.message());
    }
    if (!withoutBlank) {
        combo->addItem(QStringLiteral(" "));
    }
    combo->setCurrentIndex(-1);
}

} // namespace

void ShowWarning(QWidget* parent, const QString& text) {
    platform::showBox(parent, {QStringLiteral("Tamsel"), text, Icon::Warning, platform::Ok});
}

void FillCodeList(engine::Dataset& table, const QString& itemCode, bool withoutBlank, QComboBox* combo) {
    fillCodeList(table, itemCode, withoutBlank, combo, false);
}

void FillCodeListAll(engine::Dataset& table, const QString& itemCode, bool withoutBlank, QComboBox* combo) {
    fillCodeList(table, itemCode, withoutBlank, combo, true);
}

void FillCodeNameList(engine::Dataset& table, QComboBox* combo, bool withoutBlank, const QString& codeField,
                      const QString& nameField) {
    if (!combo) {
        return;
    }
    const QSignalBlocker blocker(combo);
    combo->clear();
    try {
        const QList<CodeName> pairs = codeNames(table, codeField, nameField);
        for (const CodeName& pair : pairs) {
            combo->addItem(pair.code + QStringLiteral("  (") + pair.name + QStringLiteral(")"));
        }
    } catch (const EngineError& e) {
        showEngineError(combo, e.message());
    }
    if (!withoutBlank) {
        combo->addItem(QStringLiteral(" "));
    }
    combo->setCurrentIndex(-1);
}

void FillFieldValues(engine::Dataset& table, QComboBox* combo, const QString& field) {
    if (!combo) {
        return;
    }
    const QSignalBlocker blocker(combo);
    combo->clear();
    try {
        if (!table.isActive()) {
            table.open();
        }
        for (table.first(); !table.eof(); table.next()) {
            const QString value = table.asString(field).trimmed();
            if (!value.isEmpty()) {
                // The record number travels with the entry, so a skipped empty row cannot shift
                // the entries against the records.
                combo->addItem(value, table.recNo());
            }
        }
    } catch (const EngineError& e) {
        showEngineError(combo, e.message());
    }
    combo->setCurrentIndex(-1);
}

void SelectCode(const QString& code, QComboBox* combo) {
    if (!combo) {
        return;
    }
    const QString wanted = code.trimmed();
    int match = -1;
    for (int i = 0; i < combo->count(); ++i) {
        const QString entry = combo->itemText(i);
        if (entry == QLatin1String(" ")) {
            continue;
        }
        const qsizetype gap = entry.indexOf(QLatin1String("  "));
        const QString part = (gap < 0 ? entry : entry.left(gap)).trimmed();
        if (part == wanted) {
            match = i;
        }
    }
    if (match >= 0) {
        combo->setCurrentIndex(match);
    }
}

void CheckCodes(QWidget* form, QWidget* panel, int n, const QString& stored) {
    if (stored.isEmpty()) {
        return;
    }
    if (!stored.contains(QLatin1Char(';'))) {
        CheckByCode(form, panel, n, stored.trimmed());
        return;
    }
    QString rest = stored;
    for (int k = 0; k < 3; ++k) {
        const qsizetype at = rest.indexOf(QLatin1Char(';'));
        if (at < 0) {
            break;
        }
        CheckByCode(form, panel, n, rest.left(at).trimmed());
        rest = rest.mid(at + 1);
    }
}

void CheckByCode(QWidget* form, QWidget* panel, int n, const QString& code) {
    if (code.isEmpty() || n <= 0) {
        return;
    }
    for (QAbstractButton* button : panelButtons(form, panel)) {
        if (button->objectName().right(n) == code) {
            button->setChecked(true);
        }
    }
}

bool CollectCodes(QWidget* form, QWidget* panel, QString& result, const QString& caption, int n) {
    QString built;
    QStringList codes;
    for (QAbstractButton* button : panelButtons(form, panel)) {
        if (!button->isChecked()) {
            continue;
        }
        const QString code = button->objectName().right(n);
        if (qobject_cast<QRadioButton*>(button)) {
            built += code;
        } else {
            built += code + QLatin1Char(';');
            codes.append(code);
        }
    }

    const QString first = beforeSeparator(built);
    const QString afterFirst = built.mid(first.size() + 1);
    const QString second = built.contains(QLatin1Char(';')) ? beforeSeparator(afterFirst) : QString();
    int firstValue = 0;
    int secondValue = 0;
    if (first.size() > 1 && !isWholeNumber(first, &firstValue)) {
        ShowWarning(form,
                    QStringLiteral("'") + first + QStringLiteral("'") + QStringLiteral("不是数字格式！"));
    }
    if (second.size() > 1 && !isWholeNumber(second, &secondValue)) {
        ShowWarning(form,
                    QStringLiteral("'") + second + QStringLiteral("'") + QStringLiteral("不是数字格式！"));
    }

    if (built.count(QLatin1Char(';')) >= 3) {
        if (caption != QStringLiteral("知识产权形式")) {
            platform::showBox(form, {QStringLiteral("提示"),
                                     QStringLiteral("'") + caption + QStringLiteral("'") +
                                         QStringLiteral("项目为复选项目，但至多选择二项！"),
                                     Icon::Question, platform::Ok});
            return false;
        }
        // The one item that may hold more than two codes keeps every one of them.
        result = built;
        return true;
    }

    const bool firstNumber = isWholeNumber(first, &firstValue) && firstValue > 0;
    const bool secondNumber = isWholeNumber(second, &secondValue) && secondValue > 0;
    if (firstNumber && secondNumber) {
        const bool swap = secondValue < firstValue;
        result = (swap ? second : first) + QLatin1Char(';') + (swap ? first : second) + QLatin1Char(';');
    } else {
        result = built;
    }
    return true;
}

void ClearChoiceButtons(QWidget* form) {
    if (!form) {
        return;
    }
    const auto buttons = form->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
            uncheck(button);
        }
    }
}

void UncheckOthers(QWidget* panel, const QString& name) {
    if (!panel) {
        return;
    }
    const auto boxes = panel->findChildren<QCheckBox*>();
    for (QCheckBox* box : boxes) {
        if (box->parentWidget() == panel && box->objectName() != name && box->isChecked()) {
            box->setChecked(false);
        }
    }
}

void makeSingleChoice(QWidget* panel) {
    if (!panel) {
        return;
    }
    const auto boxes = panel->findChildren<QCheckBox*>();
    for (QCheckBox* box : boxes) {
        if (box->parentWidget() != panel) {
            continue;
        }
        QObject::connect(box, &QCheckBox::toggled, panel, [panel, box](bool on) {
            if (on) {
                UncheckOthers(panel, box->objectName());
            }
        });
    }
}

void SplitToEdits(const QString& text, QLineEdit* first, QLineEdit* second, QLineEdit* third) {
    for (QLineEdit* edit : {first, second, third}) {
        if (edit) {
            edit->clear();
        }
    }
    auto put = [](QLineEdit* edit, const QString& value) {
        if (edit) {
            edit->setText(value);
        }
    };
    qsizetype at = text.indexOf(QLatin1Char(';'));
    if (at < 0) {
        put(first, text);
        return;
    }
    put(first, text.left(at));
    QString rest = text.mid(at + 1);
    at = rest.indexOf(QLatin1Char(';'));
    if (at < 0) {
        put(second, rest);
        return;
    }
    put(second, rest.left(at));
    rest = rest.mid(at + 1);
    at = rest.indexOf(QLatin1Char(';'));
    put(third, at < 0 ? rest : rest.left(at));
}

void ShowClassCode(engine::Dataset& table, const QString& code, QLineEdit* edit) {
    if (!edit) {
        return;
    }
    try {
        edit->setText(classCodeText(table, code));
    } catch (const EngineError& e) {
        edit->clear();
        showEngineError(edit, e.message());
    }
}

QString ReplaceTabs(const QString& text) {
    QString result = text;
    result.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return result;
}

void acceptDigitsOnly(QLineEdit* edit, bool allowPoint) {
    if (edit) {
        edit->installEventFilter(new DigitFilter(edit, allowPoint));
    }
}

bool checkAmountText(QLineEdit* edit, const QString& prefix) {
    if (!edit) {
        return true;
    }
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    const QString text = edit->text().trimmed();
    if (text.isEmpty() || decimal.match(text).hasMatch()) {
        return true;
    }
    ShowWarning(edit->window(), prefix + QStringLiteral(" 不是正确的数据格式！现在已经置零"));
    edit->setText(QStringLiteral("0"));
    return false;
}

} // namespace tamsel::core
