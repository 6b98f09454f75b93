#pragma once

#include "core/entry_page.h"

#include <QList>
#include <QString>
#include <memory>

class QPlainTextEdit;

namespace Ui {
class TFpage9;
}

namespace tamsel::entry {

// 评价证书内容: the certificate number, its date and the four long texts of the evaluation
// certificate. Works on the current achievement of Qrypelk; the same page for every category.
class TFpage9 : public core::EntryPage {
    Q_OBJECT
public:
    TFpage9(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent = nullptr);
    ~TFpage9() override;

    Ui::TFpage9* ui() const { return m_ui.get(); }

    // Fills the page from the current achievement; false when there is none.
    bool LoadFromRecord();
    // Loads the page and shows it modally (the main window's page button).
    int Execute();
    // The date checks of 储存; false after showing the first failing rule's message.
    bool validate() override;
    // True when the number or a text differs from the record (the date is not compared).
    bool differsFromRecord() override;
    bool store() override;

public slots:
    void FormShow();
    void BtnSaveClick(); // 储存
    void BtnHelpClick(); // 帮助
    void BtnQuitClick(); // 退出
    // A memo of only blanks is emptied when clicked, so typing starts at its top.
    void MemoClick(QPlainTextEdit* memo);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The dates are checked on storing only, so an unchanged page is always left.
    bool checkBeforeLeaving() override { return true; }

private:
    struct Memo {
        QPlainTextEdit* memo;
        const char* field;
    };
    QList<Memo> memos() const;
    QString recordValue(const char* field) const;
    void setButtonsEnabled(bool enabled);

    std::unique_ptr<Ui::TFpage9> m_ui;
};

} // namespace tamsel::entry
