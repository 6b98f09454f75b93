#pragma once

#include "core/entry_page.h"

#include <QDate>
#include <QDialog>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <utility>

class QLineEdit;

namespace Ui {
class TFpage1;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::entry {

class TFormTree;

// 成果概况: the general items of the current achievement (registration, research period,
// classification, keywords, the category's choice items and the two long texts), read from and
// written to the current record of Qrypelk. Applied technology and the two other categories
// show different items; the main window's category list says which.
class TFpage1 : public core::EntryPage {
    Q_OBJECT
public:
    // The picker is the shared classification window; without one the page asks the main
    // window's hook, and failing that makes its own.
    TFpage1(core::TDM& dm, core::TMainForm& mainForm, TFormTree* picker = nullptr, QWidget* parent = nullptr);
    ~TFpage1() override;

    Ui::TFpage1* ui() const { return m_ui.get(); }

    // Fills the page from the current achievement of Qrypelk.
    void LoadFromRecord();
    // Loads the page, shows it modally and lets the main window re-evaluate its page buttons.
    int Execute();

    // True when the page shows the applied-technology items (as last loaded).
    bool isApplied() const { return m_applied; }
    // Runs the checks in order; the first failing one is shown and false returned.
    bool validate() override;
    // True when leaving would lose something the page holds that the record does not.
    bool differsFromRecord() override;
    bool store() override;

public slots:
    void FormShow();
    void FormResize();
    void btnSaveClick(); // 储存
    void btnHelpClick(); // 帮助
    void btnQuitClick(); // 退出
    // Leaving a research-period edit: the year is brought into 1949..this year, the month
    // into 01..12.
    void YearExit(QLineEdit* edit);
    void MonthExit(QLineEdit* edit);
    // Keyword edits: a later keyword needs the earlier ones.
    void edt_14_1Change();
    void edt_14_2Change();
    // Bulletin text: taken from the summary when it is still empty, and the other way round.
    void Mo_13Click();
    void TabSheet1Exit();
    void TabSheet2ContextPopup();
    // Opens the classification picker for one of the four classification edits.
    void OpenPicker(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    using FieldValues = QList<std::pair<QString, QVariant>>;

    // Whether the classification behind the edit can be picked from (table present and readable).
    bool canPickDiscipline() const;
    bool canPickLibrary() const;
    void applyClassEntryMode();
    void loadClassCode(QLineEdit* edit, const QString& code, bool picked);
    static QString classCode(const QLineEdit* edit, bool picked);
    void applyCategory();
    // Reads a date or period part as a whole number; shows the conversion message when it is not.
    bool readNumber(const QString& text, int& value);
    // What a store would write now, in writing order. False when a choice panel refused
    // (its message has been shown).
    bool collectValues(FieldValues& values);
    QDate registrationDate() const;

    std::unique_ptr<Ui::TFpage1> m_ui;
    TFormTree* m_picker = nullptr;
    std::unique_ptr<TFormTree> m_ownPicker;
    bool m_applied = true;
    int m_lastTab = 0;
};

} // namespace tamsel::entry
