#pragma once

#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFinto11;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::units {

// The entry dialog of one discipline leader; its caption tells add from modify. It works on the
// current row of the expert table as the list page filtered it.
class TFinto11 : public core::childlist::EntryDialog {
    Q_OBJECT
public:
    TFinto11(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent = nullptr);
    ~TFinto11() override;

    Ui::TFinto11* ui() const { return m_ui.get(); }
    static QString addCaption();
    static QString modifyCaption();
    // The unit whose list is open: a new leader is stored under this code.
    void setUnitCode(const QString& code) { m_unitCode = code; }
    QString unitCode() const { return m_unitCode; }

public slots:
    void FormShow() override;
    void Button1Click();     // 储存
    void Button2Click();     // 退出
    void Edt_both_1Exit();   // leaving the year
    void edt_both_2Exit();   // leaving the month
    void cbry_124_1Change(); // 研究领域 changed

public:
    void reject() override;

private:
    // False when a check refused the entry or the post failed; the dialog then stays open.
    bool store();
    bool differsFromRow() const;

    std::unique_ptr<Ui::TFinto11> m_ui;
    core::TDM& m_dm;
    core::TMainForm& m_main;
    QString m_unitCode;
};

} // namespace tamsel::units
