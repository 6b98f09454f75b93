#pragma once

#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFinto7;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::people {

// The entry dialog of one committee member. New members are appended to the committee table
// directly; a change goes through the list's held-back changes. The list is ordered by role.
class TFinto7 : public core::childlist::EntryDialog {
    Q_OBJECT
public:
    TFinto7(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent = nullptr);
    ~TFinto7() override;

    Ui::TFinto7* ui() const { return m_ui.get(); }
    static QString addCaption();
    static QString modifyCaption();
    // Rebuilds the list query in role order for the current achievement. Throws engine::EngineError.
    static void reopenInRoleOrder(core::TDM& dm, core::TMainForm& mainForm);

public slots:
    void FormShow() override;
    void cbwy_191Change(); // only one 主任委员
    void Button1Click();   // 储存
    void Button2Click();   // 退出

public:
    void reject() override;

private:
    void setAddDefaults();
    // The first failing check's message shown; false then.
    bool checks();
    bool store();
    bool differsFromRow() const;
    // ITEM_194 of every member of the achievement from the role.
    void rankPass();

    std::unique_ptr<Ui::TFinto7> m_ui;
    core::TDM& m_dm;
    core::TMainForm& m_main;
};

} // namespace tamsel::people
