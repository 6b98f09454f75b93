#pragma once

#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFpage8;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::people {

class TFinto8;
class TFormWcr;

// The completers of the current achievement ("成果完成人员名单"): a list over the buffered
// QryCgwcr, edited in place or through the entry dialog, renumbered after every change.
class TFpage8 : public core::childlist::ListPage {
    Q_OBJECT
public:
    // The entry and quick-add dialogs are made once at start-up and shared; without them the
    // page makes its own.
    TFpage8(core::TDM& dm, core::TMainForm& mainForm, TFinto8* into8 = nullptr, TFormWcr* formWcr = nullptr,
            QWidget* parent = nullptr);
    ~TFpage8() override;

    Ui::TFpage8* ui() const { return m_ui.get(); }
    TFinto8* into8() const { return m_into8; }
    TFormWcr* formWcr() const { return m_formWcr; }

    // The statement templates that write the list's held-back changes.
    static void setUpTemplates(core::TDM& dm);
    // The grid columns of a completers list (shared with the table-view page).
    static QList<core::childlist::Column> columns();
    // Binds the page to the list query the main window has opened for the current achievement.
    void Load();
    // Load, show modally; afterwards the main window re-evaluates completeness.
    int Execute();

public slots:
    void FormShow();
    void Button5Click(); // 快速添加
    void Button2Click(); // 新增
    void Button3Click(); // 修改
    void Button1Click(); // 删除
    void Button4Click(); // 帮助
    void quit01Click();  // 退出
    // Leaving the 序号 column after an in-place edit: a number held by another row is reported.
    void DBGrid4ColExit(int row);

private:
    std::unique_ptr<Ui::TFpage8> m_ui;
    std::unique_ptr<TFinto8> m_ownInto8;
    std::unique_ptr<TFormWcr> m_ownFormWcr;
    TFinto8* m_into8 = nullptr;
    TFormWcr* m_formWcr = nullptr;
};

} // namespace tamsel::people
