#pragma once

#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFinto5;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::units {

// The entry dialog of one cooperating unit; its caption tells add from modify.
class TFinto5 : public core::childlist::EntryDialog {
    Q_OBJECT
public:
    TFinto5(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent = nullptr);
    ~TFinto5() override;

    Ui::TFinto5* ui() const { return m_ui.get(); }
    static QString addCaption();
    static QString modifyCaption();

public slots:
    void FormShow() override;
    void Button1Click(); // 储存
    void Button2Click(); // 退出

public:
    void reject() override;

private:
    bool store();
    bool allEmpty(bool trimmed) const;
    bool sameAsRow() const;

    std::unique_ptr<Ui::TFinto5> m_ui;
    core::TDM& m_dm;
    core::TMainForm& m_main;
};

} // namespace tamsel::units
