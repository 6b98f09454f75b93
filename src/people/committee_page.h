#pragma once

#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFpage7;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::people {

class TFinto7;

// The evaluation committee of the current achievement ("评价委员会名单"), in role order.
class TFpage7 : public core::childlist::ListPage {
    Q_OBJECT
public:
    // The entry dialog is made once at start-up; without one the page makes its own.
    TFpage7(core::TDM& dm, core::TMainForm& mainForm, TFinto7* into7 = nullptr, QWidget* parent = nullptr);
    ~TFpage7() override;

    Ui::TFpage7* ui() const { return m_ui.get(); }
    TFinto7* into7() const { return m_into7; }

    static void setUpTemplates(core::TDM& dm);
    void Load();
    int Execute();

public slots:
    void FormShow();
    void Button2Click();   // 新增
    void btnSave01Click(); // 修改
    void Button1Click();   // 删除
    void Button3Click();   // 帮助
    void quit01Click();    // 退出

private:
    std::unique_ptr<Ui::TFpage7> m_ui;
    std::unique_ptr<TFinto7> m_ownInto7;
    TFinto7* m_into7 = nullptr;
};

} // namespace tamsel::people
