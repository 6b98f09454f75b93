#pragma once

#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFpage5;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::units {

class TFinto5;

// The cooperating units of the current achievement ("合作完成单位情况").
class TFpage5 : public core::childlist::ListPage {
    Q_OBJECT
public:
    // The entry dialog is made once at start-up; without one the page makes its own.
    TFpage5(core::TDM& dm, core::TMainForm& mainForm, TFinto5* into5 = nullptr, QWidget* parent = nullptr);
    ~TFpage5() override;

    Ui::TFpage5* ui() const { return m_ui.get(); }
    TFinto5* into5() const { return m_into5; }

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
    // Leaving the 序号 column after an in-place edit: a number held by another row is reported.
    void DBGrid2ColExit(int row);

private:
    std::unique_ptr<Ui::TFpage5> m_ui;
    std::unique_ptr<TFinto5> m_ownInto5;
    TFinto5* m_into5 = nullptr;
};

} // namespace tamsel::units
