#pragma once

#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFpage11;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::units {

class TFinto11;

// The discipline leaders of one unit ("学科带头人情况"): the expert table filtered to the unit.
class TFpage11 : public core::childlist::ListPage {
    Q_OBJECT
public:
    // The entry dialog is made once at start-up; without one the page makes its own.
    TFpage11(core::TDM& dm, core::TMainForm& mainForm, TFinto11* into11 = nullptr, QWidget* parent = nullptr);
    ~TFpage11() override;

    Ui::TFpage11* ui() const { return m_ui.get(); }
    TFinto11* into11() const { return m_into11; }
    QString unitCode() const { return m_unitCode; }

    // Narrows the expert table to the unit's leaders and fills the page. False (after showing
    // the error) when the table could not be opened.
    bool Load(const QString& unitCode);
    // Loads the page for the unit and shows it modally.
    int Execute(const QString& unitCode);

public slots:
    void FormShow();
    void Button2Click(); // 新增
    void Button3Click(); // 修改
    void Button1Click(); // 删除
    void quit01Click();  // 退出

private:
    void updateButtons();

    std::unique_ptr<Ui::TFpage11> m_ui;
    std::unique_ptr<TFinto11> m_ownInto11;
    TFinto11* m_into11 = nullptr;
    QString m_unitCode;
};

} // namespace tamsel::units
