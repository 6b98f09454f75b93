#pragma once

#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFpage12;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::people {

class TFinto8;
class TFormWcr;

// The completers of the current achievement as a plain table view (TblCgwcr); opened from the
// second-level units page.
class TFpage12 : public core::childlist::ListPage {
    Q_OBJECT
public:
    // The entry and quick-add dialogs are made once at start-up and shared; without them the
    // page makes its own.
    TFpage12(core::TDM& dm, core::TMainForm& mainForm, TFinto8* into8 = nullptr, TFormWcr* formWcr = nullptr,
             QWidget* parent = nullptr);
    ~TFpage12() override;

    Ui::TFpage12* ui() const { return m_ui.get(); }
    TFinto8* into8() const { return m_into8; }
    TFormWcr* formWcr() const { return m_formWcr; }
    // Filters the table view to the current achievement.
    void Load();
    int Execute();

public slots:
    void FormShow();
    void FormClose();
    void Button5Click(); // 快速添加
    void Button2Click(); // 新增
    void Button3Click(); // 修改
    void Button1Click(); // 删除
    void Button4Click(); // 帮助
    void quit01Click();  // 退出

private:
    // Numbers the table view's records 1 … n in their order; with fixAbroad every
    // 是否留学归国 other than "1" becomes "0". False after showing an engine error.
    bool renumberStored(bool fixAbroad);
    // Opens the entry dialog on the list query, at the table view's current person.
    void openEntry(bool modify);

    std::unique_ptr<Ui::TFpage12> m_ui;
    std::unique_ptr<TFinto8> m_ownInto8;
    std::unique_ptr<TFormWcr> m_ownFormWcr;
    TFinto8* m_into8 = nullptr;
    TFormWcr* m_formWcr = nullptr;
};

} // namespace tamsel::people
