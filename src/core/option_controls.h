#pragma once

// The option controls every entry page uses: dictionary lists in combo boxes, choice panels
// whose button names end in the stored codes, digit-only edits and the warning box.

#include <QString>

class QComboBox;
class QLineEdit;
class QWidget;

namespace tamsel::engine {
class Dataset;
}

namespace tamsel::core {

// The program's warning box over parent.
void ShowWarning(QWidget* parent, const QString& text);

// Fills the combo with "code  text" entries of one dictionary item, without the options of
// the earlier form edition ("**"); a blank entry is appended unless withoutBlank. An engine
// error is shown over the combo's window and leaves the list empty.
void FillCodeList(engine::Dataset& table, const QString& itemCode, bool withoutBlank, QComboBox* combo);
// As FillCodeList, keeping the "**" options (query lists).
void FillCodeListAll(engine::Dataset& table, const QString& itemCode, bool withoutBlank, QComboBox* combo);
// "code  (name)" entries from any code table; rows with an empty code or name are skipped.
void FillCodeNameList(engine::Dataset& table, QComboBox* combo, bool withoutBlank, const QString& codeField,
                      const QString& nameField);
// The non-empty values of one field; each entry carries its record number as item data.
void FillFieldValues(engine::Dataset& table, QComboBox* combo, const QString& field);
// Selects the entry whose code part equals code; no match leaves the selection alone.
void SelectCode(const QString& code, QComboBox* combo);

// Checks the buttons of a choice panel named by a stored value ("A", "02", "02;05;"): a button
// whose name ends in the code's n characters. Panels are matched by name within form.
void CheckCodes(QWidget* form, QWidget* panel, int n, const QString& stored);
void CheckByCode(QWidget* form, QWidget* panel, int n, const QString& code);
// Builds the stored value of a panel. False when the caller must abort (too many choices);
// the warnings are shown over form.
[[nodiscard]] bool CollectCodes(QWidget* form, QWidget* panel, QString& result, const QString& caption,
                                int n);
// Unchecks every check box and radio button of the form.
void ClearChoiceButtons(QWidget* form);
// Unchecks every checked box of the panel except the named one.
void UncheckOthers(QWidget* panel, const QString& name);
// Makes the check boxes of a panel behave as a single choice.
void makeSingleChoice(QWidget* panel);

// Puts the parts of "a;b;c" into up to three edits (missing parts leave them empty).
void SplitToEdits(const QString& text, QLineEdit* first, QLineEdit* second, QLineEdit* third);
// Shows "code  name" of a classification code, or nothing when the table lacks it.
void ShowClassCode(engine::Dataset& table, const QString& code, QLineEdit* edit);
QString ReplaceTabs(const QString& text);

// Amount and count edits: typed characters other than digits (and "." when allowed) are
// swallowed; editing and navigation keys still work.
void acceptDigitsOnly(QLineEdit* edit, bool allowPoint = false);
// The amount check on a change: a non-empty text that is not a decimal number warns with
// prefix + " 不是正确的数据格式！现在已经置零" and the edit becomes "0". False when it did.
bool checkAmountText(QLineEdit* edit, const QString& prefix);

} // namespace tamsel::core
